#pragma once

#include <QString>
#include <QtGlobal>

class QIODevice;

// The pixel size of the first image of a TIFF file (classic or BigTIFF, either
// byte order), read from its ImageWidth and ImageLength tags. Only the file
// header and the directory entries are read: the first image directory may lie
// anywhere in the file and is reached by its offset. When the first directory
// lacks the two tags, the chain of directories is followed a little way.
class TiffHeader
{
public:
    // Reads the header of `fileName`. False when the file cannot be opened, is
    // not a TIFF, or its directories cannot be followed (an offset past the end
    // of the file, a chain that loops, no size tags); errorString() says why.
    bool read(const QString &fileName);
    bool read(QIODevice &device);

    quint64 width() const { return m_width; }
    quint64 height() const { return m_height; }
    // The pixels are stored in strips of whole rows, or in tiles: the size of
    // one strip (the image's width x its rows per strip) or tile. Decoders
    // take a strip or tile whole, at a few bytes a pixel.
    quint64 blockWidth() const { return m_blockWidth; }
    quint64 blockHeight() const { return m_blockHeight; }
    bool tiled() const { return m_tiled; }
    bool bigEndian() const { return m_bigEndian; }
    bool bigTiff() const { return m_bigTiff; }
    // True when the file starts like a TIFF (the size may still be unreadable).
    bool isTiff() const { return m_isTiff; }
    QString errorString() const { return m_error; }

    // "TIFF" or "BigTIFF", with the byte order ("little-endian" / "big-endian").
    QString kindText() const;

private:
    bool fail(const QString &text);

    quint64 m_width = 0;
    quint64 m_height = 0;
    quint64 m_blockWidth = 0;
    quint64 m_blockHeight = 0;
    bool m_tiled = false;
    bool m_bigEndian = false;
    bool m_bigTiff = false;
    bool m_isTiff = false;
    QString m_error;
};
