#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Thumbnails of sheet scans: made from a reduced decode (a JPEG decodes at an
// eighth of its size without ever holding the full image; TIFF and other
// formats that have no reduced decode go through OpenCV) and kept on disk
// in the user's cache folder, keyed by the file's path, size and time, so
// that a folder opened again shows its thumbnails at once. Safe to call from
// any thread.
class ThumbnailCache
{
public:
    struct Thumbnail
    {
        QImage image;       // null when the file could not be decoded
        QSize sourceSize;   // the scan's own pixel size
        bool fromCache = false;
        QString error;      // why there is no image
        QString warning;    // what is wrong with the image (a scan cut short); such a thumbnail is not cached
    };

    // A thumbnail that fits `maxSide` x `maxSide`.
    static Thumbnail load(const QString &imagePath, int maxSide);

    // The cache folder (QStandardPaths::CacheLocation + "/thumbnails").
    static QString folder();
    // The cache file a scan's thumbnail goes to; empty when the scan is missing.
    static QString cacheFile(const QString &imagePath, int maxSide);
};
