#pragma once

#include <QByteArray>
#include <QString>

// Pixel size, colour depth and kind of a JPEG, BMP, GIF or PNG image, picked
// out of the first 64 KiB of the file without decoding it.
class CImageInfo
{
public:
    enum Type { Unknown = 0, Gif = 1, Jpeg = 2, Png = 3, Bmp = 4 };

    // Reads the header of `fileName`. Returns false when the file cannot be
    // opened or read, or when a depth does not fit in 8 bits; errorString()
    // then says why (the results hold what was found up to the failure).
    // An unrecognised file is not a failure: it returns true with all results 0.
    bool ReadImageInfo(const QString &fileName);
    // The same over the first bytes of a file (at most 64 KiB are looked at).
    bool ReadImageInfo(const QByteArray &head);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    quint8 Depth() const { return m_depth; }
    int ImageType() const { return m_type; }
    QString errorString() const { return m_error; }

private:
    int m_width = 0;
    int m_height = 0;
    quint8 m_depth = 0;
    int m_type = 0;
    QString m_error;
};
