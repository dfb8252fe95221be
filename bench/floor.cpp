// The floor of the map creator benchmark: the same file I/O as
// `quillmark-cli create` over the same folder, and nothing else.
//
//   quillmark-bench-floor IMAGES_DIR [OUT_DIR]
//
// For every file of the sorted listing with an image extension: look for an
// existing map file, read the image's first bytes as the header reader does
// (one unbuffered read of up to 4 KiB, the whole file when it is shorter), and
// write a map-sized file the way map files are written: a temporary file
// beside the target (exclusive create), the bytes, close, rename over the
// target; a replaced file is flushed (file and folder) before and after the
// rename, new files are flushed once at the end with one syncfs.

#include "tools/FolderListing.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

// About the size of a new 1:100K map file with five points and a grid.
const QByteArray kMapBytes(2400, 'x');

bool writeLikeAMap(const QString &target, bool replace)
{
    const std::filesystem::path path(QFile::encodeName(target).constData());
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec))
        return false;
    const QFileInfo info(target);
    if (info.exists() && !info.isWritable())
        return false;

    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path;
        temp += QStringLiteral(".%1.tmp")
                    .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                    .toStdString();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = ::write(fd, kMapBytes.constData(), size_t(kMapBytes.size())) == kMapBytes.size();
    if (replace)
        ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    std::filesystem::rename(temp, path, ec);
    if (ec)
        return false;
    if (replace) {
        const int dfd = ::open(path.parent_path().c_str(), O_RDONLY | O_CLOEXEC);
        if (dfd >= 0) {
            (void)::fsync(dfd);
            ::close(dfd);
        }
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2 || argc > 3) {
        std::fputs("usage: quillmark-bench-floor IMAGES_DIR [OUT_DIR]\n", stderr);
        return 2;
    }
    const QString in = QFile::decodeName(argv[1]);
    const QString out = argc == 3 ? QFile::decodeName(argv[2]) : in;
    static const QStringList images = {"JPG", "PNG", "BMP", "GIF"};
    static const QStringList others = {"TIF", "KAP", "CAP", "OZF", "ECW", "SID", "OZF2", "OZF3"};

    const QStringList files = FolderListing::files(in);
    QByteArray head(4096, '\0');
    int written = 0;
    bool wroteNew = false;
    for (const QString &name : files) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        const QString ext = dot < 0 ? QString() : name.mid(dot + 1).toUpper();
        const bool image = images.contains(ext);
        if (!image && !others.contains(ext))
            continue;
        const QString base = dot < 0 ? name : name.left(dot);
        const QString map = FolderListing::join(out, base + QStringLiteral(".map"));
        const bool exists = QFileInfo::exists(map);
        if (image) {
            QFile f(FolderListing::join(in, name));
            if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                continue;
            const qint64 size = f.size();
            (void)f.read(head.data(), size > 0 ? qMin<qint64>(size, head.size()) : head.size());
        }
        if (writeLikeAMap(map, exists)) {
            ++written;
            wroteNew = wroteNew || !exists;
        }
    }
    if (wroteNew) {
        const int fd = ::open(QFile::encodeName(out).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::syncfs(fd);
            ::close(fd);
        }
    }
    std::printf("floor: %d map-sized files written\n", written);
    return 0;
}
