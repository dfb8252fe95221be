#include "ui/ThumbnailCache.h"

#include "frame/ScanPicture.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <QStandardPaths>

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
        QImageReader cacheReader(cached);
        t.image = cacheReader.read();
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
    if (!cached.isEmpty() && QDir().mkpath(folder())) {
        QSaveFile out(cached);
        if (out.open(QIODevice::WriteOnly) && t.image.convertToFormat(QImage::Format_RGB32).save(&out, "JPG", 85))
            out.commit(); // a thumbnail that cannot be kept is made again next time
    }
    return t;
}
