#include "fileio/RegularFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
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

QString errnoText(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

#ifndef Q_OS_WIN
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QCoreApplication::translate("RegularFile", "it is a folder");
    if (S_ISFIFO(mode))
        return QCoreApplication::translate("RegularFile", "it is not a regular file but a FIFO (named pipe)");
    if (S_ISCHR(mode))
        return QCoreApplication::translate("RegularFile", "it is not a regular file but a character device");
    if (S_ISBLK(mode))
        return QCoreApplication::translate("RegularFile", "it is not a regular file but a block device");
    if (S_ISSOCK(mode))
        return QCoreApplication::translate("RegularFile", "it is not a regular file but a socket");
    return QCoreApplication::translate("RegularFile", "it is not a regular file");
}
#endif

} // namespace

RegularFile::~RegularFile()
{
    close();
}

bool RegularFile::open(const QString &fileName)
{
    close();
    m_error.clear();
    m_size = 0;
#ifdef Q_OS_WIN
    m_fd = _wopen(reinterpret_cast<const wchar_t *>(fileName.utf16()), _O_RDONLY | _O_BINARY);
    if (m_fd < 0) {
        m_error = errnoText(errno);
        return false;
    }
    struct _stat64 st {};
    if (_fstat64(m_fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        m_error = (st.st_mode & _S_IFMT) == _S_IFDIR ? QCoreApplication::translate("RegularFile", "it is a folder")
                                                      : QCoreApplication::translate("RegularFile", "it is not a regular file");
        close();
        return false;
    }
    m_size = st.st_size;
#else
    // O_NONBLOCK: opening a FIFO that has no writer would otherwise wait for
    // one for ever. The type is checked on what was opened, not on the name.
    const QByteArray path = QFile::encodeName(fileName);
    do {
        m_fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        m_error = errnoText(errno);
        return false;
    }
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        m_error = errnoText(errno);
        close();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_error = kindOf(st.st_mode);
        close();
        return false;
    }
    // A regular file reads the same with O_NONBLOCK, so the flag stays (two
    // system calls a file saved); read() clears it should a file system
    // answer EAGAIN all the same.
    m_size = st.st_size;
#endif
    return true;
}

qint64 RegularFile::read(char *data, qint64 max)
{
    if (m_fd < 0) {
        m_error = QCoreApplication::translate("RegularFile", "the file is not open");
        return -1;
    }
    for (;;) {
        const unsigned chunk = unsigned(qMin<qint64>(max, qint64(1) << 30));
#ifdef Q_OS_WIN
        const int n = _read(m_fd, data, chunk);
#else
        const ssize_t n = ::read(m_fd, data, chunk);
#endif
        if (n >= 0)
            return qint64(n);
        if (errno == EINTR)
            continue;
#ifndef Q_OS_WIN
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            const int flags = ::fcntl(m_fd, F_GETFL);
            if (flags >= 0 && (flags & O_NONBLOCK) && ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
                continue;
        }
#endif
        m_error = errnoText(errno);
        return -1;
    }
}

void RegularFile::close()
{
    if (m_fd < 0)
        return;
#ifdef Q_OS_WIN
    _close(m_fd);
#else
    ::close(m_fd);
#endif
    m_fd = -1;
}
