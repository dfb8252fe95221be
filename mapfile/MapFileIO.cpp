#include "mapfile/MapFileIO.h"

#include "fileio/FolderLinks.h"
#include "fileio/RegularFile.h"
#include "sheet/MapError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The largest file read as a map file: a real one is a few kilobytes.
constexpr qint64 kMaxMapFileSize = qint64(16) * 1024 * 1024;

std::filesystem::path toPath(const QString &name)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

#ifdef Q_OS_WIN
QString fromPath(const std::filesystem::path &path)
{
    return QString::fromStdWString(path.native());
}
#endif

QString errnoText(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

// The file a name finally stands for: symbolic links followed, so that a
// write through a link changes the file it points to and keeps the link.
// `found` tells whether that file is there (false only when it is surely
// missing: the same look-up then needs no second system call).
std::filesystem::path followLinks(std::filesystem::path path, const QString &shown, bool &found)
{
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
        if (!std::filesystem::is_symlink(status)) {
            found = status.type() != std::filesystem::file_type::not_found;
            return path;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (ec)
            throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": %2")
                               .arg(shown, QString::fromStdString(ec.message())));
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": too many levels of symbolic links").arg(shown));
}

// A temporary file beside the target; removed when the write does not finish.
class TempFile
{
public:
    TempFile(const std::filesystem::path &target, const QString &shown) : m_shown(shown)
    {
        const std::filesystem::path folder = target.parent_path();
        const std::filesystem::path base = target.filename();
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString suffix = QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            std::filesystem::path candidate = folder / base;
            candidate += toPath(suffix);
#ifdef Q_OS_WIN
            m_fd = _wopen(candidate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
            // 0666 before the umask: a new map file gets the usual permissions.
            m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
            if (m_fd >= 0) {
                m_path = candidate;
                return;
            }
            if (errno != EEXIST)
                fail(errnoText(errno));
        }
        fail(QCoreApplication::translate("MapFile", "no free name for a temporary file"));
    }

    ~TempFile()
    {
        if (m_fd >= 0)
            closeFd();
        if (!m_path.empty()) {
            std::error_code ec;
            std::filesystem::remove(m_path, ec);
        }
    }

    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    void write(const QByteArray &bytes)
    {
        const char *data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const unsigned chunk = unsigned(std::min<qsizetype>(left, 1 << 30));
#ifdef Q_OS_WIN
            const int done = _write(m_fd, data, chunk);
#else
            const ssize_t done = ::write(m_fd, data, chunk);
#endif
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                fail(errnoText(errno));
            }
            if (done == 0)
                fail(QCoreApplication::translate("MapFile", "nothing could be written"));
            data += done;
            left -= done;
        }
    }

    void sync()
    {
#ifdef Q_OS_WIN
        if (_commit(m_fd) != 0)
            fail(errnoText(errno));
#else
        if (::fsync(m_fd) != 0)
            fail(errnoText(errno));
#endif
    }

    void close()
    {
        if (closeFd() != 0)
            fail(errnoText(errno));
    }

#ifndef Q_OS_WIN
    // Gives the temporary file the permissions (and, where allowed, the owner)
    // of the file it replaces, as `st` gives them.
    void copyModeFrom(const struct stat &st)
    {
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner or root may give a file away; a file of our own stays ours.
        }
        if (::fchmod(m_fd, st.st_mode & 07777) != 0)
            fail(errnoText(errno));
    }
#endif

    void replace(const std::filesystem::path &target, bool syncFolder)
    {
        std::error_code ec;
        std::filesystem::rename(m_path, target, ec);
        if (ec)
            fail(QString::fromStdString(ec.message()));
        m_path.clear();
#ifndef Q_OS_WIN
        if (syncFolder) {
            const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
            const int dfd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
            if (dfd >= 0) {
                (void)::fsync(dfd);
                ::close(dfd);
            }
        }
#else
        Q_UNUSED(syncFolder);
#endif
    }

private:
    int closeFd()
    {
        const int fd = m_fd;
        m_fd = -1;
#ifdef Q_OS_WIN
        return _close(fd);
#else
        return ::close(fd);
#endif
    }

    [[noreturn]] void fail(const QString &reason) const
    {
        throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": %2").arg(m_shown, reason));
    }

    QString m_shown;
    std::filesystem::path m_path;
    int m_fd = -1;
};

} // namespace

QByteArray MapFileIO::read(const QString &fileName)
{
    RegularFile file;
    if (!file.open(fileName))
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file \"%1\": %2").arg(fileName, file.errorString()));
    // A real map file is a few kilobytes; a huge file that merely carries the
    // extension (a disk image, a video) is not read into memory.
    const auto tooLarge = [&](qint64 size) {
        return MapError(QCoreApplication::translate("MapFile", "Cannot read the map file \"%1\": it is too large for a map file (%2 MB; "
                                       "the limit is %3 MB)")
                            .arg(fileName)
                            .arg(size / (1024 * 1024))
                            .arg(kMaxMapFileSize / (1024 * 1024)));
    };
    if (file.size() > kMaxMapFileSize)
        throw tooLarge(file.size());
    // Read to the end (a file may grow while it is read), never past the limit.
    QByteArray bytes(qsizetype(file.size()) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > kMaxMapFileSize)
                throw tooLarge(bytes.size());
            bytes.resize(std::min<qsizetype>(bytes.size() * 2 + 4096, kMaxMapFileSize + 1));
        }
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file \"%1\": %2").arg(fileName, file.errorString()));
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    bytes.truncate(got);
    return bytes;
}

void MapFileIO::write(const QString &fileName, const QByteArray &bytes, bool syncToDisk)
{
    bool found = true;
    const std::filesystem::path named = toPath(fileName);
    const std::filesystem::path target = followLinks(named, fileName, found);
    // A link is written through only when its file lies in the link's own
    // folder or below it: never out of the folder a tool was given, never
    // where a dangling link points.
    if (target != named) {
        if (const QString problem = FolderLinks::writeProblem(fileName); !problem.isEmpty())
            throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": %2").arg(fileName, problem));
    }
    // The rename below would replace a read-only file; it must be refused
    // here (and for root as well, who may write anything).
    const auto folderError = [&fileName] {
        return MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": it is a folder").arg(fileName));
    };
    const auto readOnlyError = [&fileName] {
        return MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": the file is read-only").arg(fileName));
    };
    bool exists = false;
#ifdef Q_OS_WIN
    if (const QFileInfo info = found ? QFileInfo(fromPath(target)) : QFileInfo(); found && info.exists()) {
        if (info.isDir())
            throw folderError();
        const QFileDevice::Permissions perms = info.permissions();
        const bool anyWrite = perms & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
        if (!anyWrite || !info.isWritable())
            throw readOnlyError();
        exists = true;
    }
#else
    // One stat gives the type, the mode bits and the owner to copy; access()
    // tells whether this user may write it.
    struct stat st;
    if (found && ::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw folderError();
        if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || ::access(target.c_str(), W_OK) != 0)
            throw readOnlyError();
        exists = true;
    }
#endif

    TempFile temp(target, fileName);
    temp.write(bytes);
#ifndef Q_OS_WIN
    if (exists)
        temp.copyModeFrom(st);
#endif
    if (syncToDisk)
        temp.sync();
    temp.close();
    temp.replace(target, syncToDisk);
}
