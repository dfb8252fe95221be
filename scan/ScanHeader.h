#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QtGlobal>

// What a scan's header says before any decoder reads its pixels: its kind,
// told by the signature at its start (as the decoders tell it, whatever the
// file's name), and its pixel size. No scan goes to a decoder before its size
// is known from the header and checked: a file of a few kilobytes that claims
// a huge image would otherwise cost gigabytes before any size is seen.
class ScanHeader
{
public:
    enum class Kind {
        None,  // nothing that a decoder here reads
        Jpeg,
        Png,
        Bmp,
        Gif,
        Tiff,
        Other, // a kind that Qt's image plugins read (PPM, ICO, ...): decoded by Qt only
    };

    // The largest TIFF strip or tile taken: OpenCV decodes one whole, at four
    // bytes a pixel besides the strip's own samples.
    static constexpr qint64 kMaxTiffBlockPixels = 64LL * 1000 * 1000;
    // The most memory libjpeg may take for the coefficients of a JPEG stored
    // in several scans (progressive ones above all): it holds all of them,
    // two bytes each, for the whole image, at any reduced size as well.
    static constexpr qint64 kMaxJpegCoefficientBytes = 256LL * 1000 * 1000;

    // Reads the header of `path` (opened as a regular file, never waited on).
    static ScanHeader read(const QString &path);

    Kind kind = Kind::None;
    qint64 width = 0;  // 0 when the header tells none
    qint64 height = 0;
    // The Qt image format that decodes it ("jpeg", "png", ...); empty for a
    // TIFF (OpenCV decodes it) and for what Qt does not read.
    QByteArray qtFormat;
    // Why no decoder may read it (the file cannot be opened, the size is not
    // in its header, a TIFF's strips are too large); empty otherwise. The
    // size itself is left to the caller to judge.
    QString problem;

    // The size as a QSize; invalid when unknown or beyond what a QSize holds.
    QSize size() const;
};
