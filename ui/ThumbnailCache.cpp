#include "ui/ThumbnailCache.h"

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
    QImageReader reader(imagePath);
    reader.setAutoTransform(false); // the calibration is in the file's own pixel grid
    t.sourceSize = reader.size();
    const QString cached = cacheFile(imagePath, maxSide);
    if (!cached.isEmpty() && QFileInfo::exists(cached)) {
        QImageReader cacheReader(cached);
        t.image = cacheReader.read();
        if (!t.image.isNull()) {
            t.fromCache = true;
            return t;
        }
    }
    if (t.sourceSize.isValid() && (t.sourceSize.width() > maxSide || t.sourceSize.height() > maxSide))
        reader.setScaledSize(t.sourceSize.scaled(maxSide, maxSide, Qt::KeepAspectRatio));
    t.image = reader.read();
    if (t.image.isNull()) {
        t.error = reader.errorString();
        return t;
    }
    if (!t.sourceSize.isValid())
        t.sourceSize = t.image.size();
    if (t.image.width() > maxSide || t.image.height() > maxSide) // a reader that does not scale
        t.image = t.image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!cached.isEmpty() && QDir().mkpath(folder())) {
        QSaveFile out(cached);
        if (out.open(QIODevice::WriteOnly) && t.image.convertToFormat(QImage::Format_RGB32).save(&out, "JPG", 85))
            out.commit(); // a thumbnail that cannot be kept is made again next time
    }
    return t;
}
