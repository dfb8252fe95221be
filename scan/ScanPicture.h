#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// A scan decoded in colour for the eye: a thumbnail or the whole image for the
// corner editor. A JPEG thumbnail of an eighth or less comes from the DC
// coefficients alone (JpegDcDecoder) when the file is a kind that it reads;
// Qt reads other JPEGs at a reduced size natively, and PNG, BMP and GIF as
// they are; OpenCV reads what Qt cannot (TIFF above all) and every
// large non-JPEG scan, since it holds three bytes a pixel where Qt holds four.
// The pixel size comes from the file's header first, so that a scan too large
// for memory is refused before it is decoded.
class ScanPicture
{
public:
    struct Result
    {
        QImage image;     // null when the scan could not be decoded
        QSize sourceSize; // the scan's own pixel size (from the header when it has one)
        QString error;    // why there is no image
        QString warning;  // what is wrong with an image that was decoded all the same (data cut short)
    };

    // The scan fitted into `maxSide` x `maxSide` (kept as it is when smaller);
    // `maxSide` 0 decodes it at full size.
    static Result read(const QString &path, int maxSide = 0);

    // The scan's pixel size from its header (JPEG, PNG, GIF, BMP, TIFF); invalid when unknown.
    static QSize headerSize(const QString &path);
};
