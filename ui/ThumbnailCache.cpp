#include "ui/ThumbnailCache.h"

#include "scan/ScanPicture.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QBuffer>
#include <QFile>
#include <QTemporaryFile>
#include <QStandardPaths>

namespace {

// A cached thumbnail, or a null image when the file is not a whole JPEG: a
// write cut short by a crash ends before the end-of-image marker, and the
// thumbnail is then made again.
QImage readCached(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    QByteArray bytes = file.readAll();
    if (bytes.size() < 4 || !bytes.endsWith("\xFF\xD9"))
        return QImage();
    return QImage::fromData(bytes, "JPG");
}

// Puts a thumbnail into the cache: written whole to a temporary file beside
// it, then renamed into place. Not flushed to the disk: a cache loses nothing
// when a thumbnail is lost, and one flush per thumbnail would cost seconds
// on a folder of hundreds of scans on a spinning disk.
void writeCached(const QString &path, const QImage &image)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", 85))
        return;
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    temp.setAutoRemove(true);
    if (!temp.open() || temp.write(bytes) != bytes.size())
        return;
    temp.close();
    QFile::remove(path); // a damaged one in the way
    if (temp.rename(path))
        temp.setAutoRemove(false);
}

} // namespace

QString ThumbnailCache::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/thumbnails");
}

QString ThumbnailCache::cacheFile(const QString &imagePath, int maxSide)
{
    const QFileInfo info(imagePath);
    if (!info.isFile())
        return QString();
    const QString key = info.absoluteFilePath() + QLatin1Char('\n') + QString::number(info.size()) + QLatin1Char('\n')
        + QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('\n') + QString::number(maxSide);
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder() + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".jpg");
}

ThumbnailCache::Thumbnail ThumbnailCache::load(const QString &imagePath, int maxSide)
{
    Thumbnail t;
    const QString cached = cacheFile(imagePath, maxSide);
    if (!cached.isEmpty() && QFileInfo::exists(cached)) {
        t.image = readCached(cached);
        if (!t.image.isNull()) {
            t.sourceSize = ScanPicture::headerSize(imagePath);
            t.fromCache = true;
            return t;
        }
    }
    ScanPicture::Result scan = ScanPicture::read(imagePath, maxSide);
    t.sourceSize = scan.sourceSize;
    t.image = std::move(scan.image);
    if (t.image.isNull()) {
        t.error = scan.error;
        return t;
    }
    t.warning = scan.warning;
    if (!cached.isEmpty() && t.warning.isEmpty()) // a warned one is made (and its warning seen) each time
        writeCached(cached, t.image); // a thumbnail that cannot be kept is made again next time
    return t;
}
