#include "imageinfo/TiffHeader.h"

#include <QByteArray>
#include <QFile>
#include <QSet>

namespace {

// Tags and field types of the directory entries taken here.
constexpr quint16 kImageWidth = 256;
constexpr quint16 kImageLength = 257;
constexpr quint16 kRowsPerStrip = 278;
constexpr quint16 kTileWidth = 322;
constexpr quint16 kTileLength = 323;
constexpr quint16 kShort = 3;
constexpr quint16 kLong = 4;
constexpr quint16 kLong8 = 16;

// How far the reader goes: directories followed along the chain, and entries
// of one directory (a real first directory has a few dozen).
constexpr int kMaxDirectories = 16;
constexpr quint64 kMaxEntries = 4096;

quint64 unsignedValue(const uchar *p, int size, bool bigEndian)
{
    quint64 v = 0;
    for (int i = 0; i < size; ++i) {
        const int at = bigEndian ? i : size - 1 - i;
        v = (v << 8) | p[at];
    }
    return v;
}

} // namespace

bool TiffHeader::fail(const QString &text)
{
    m_error = text;
    return false;
}

QString TiffHeader::kindText() const
{
    return QString(m_bigTiff ? QStringLiteral("BigTIFF") : QStringLiteral("TIFF")) + QLatin1String(", ")
           + (m_bigEndian ? QStringLiteral("big-endian") : QStringLiteral("little-endian"));
}

bool TiffHeader::read(const QString &fileName)
{
    *this = TiffHeader();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot open %1: %2").arg(fileName, file.errorString()));
    return read(file);
}

bool TiffHeader::read(QIODevice &device)
{
    m_width = m_height = m_blockWidth = m_blockHeight = 0;
    m_bigEndian = m_bigTiff = m_isTiff = m_tiled = false;
    m_error.clear();

    const quint64 fileSize = quint64(device.size());
    auto readAt = [&](quint64 offset, qint64 count, QByteArray &out) {
        if (offset > fileSize || quint64(count) > fileSize - offset || !device.seek(qint64(offset)))
            return false;
        out = device.read(count);
        return out.size() == count;
    };

    QByteArray head;
    if (!readAt(0, 8, head))
        return fail(QStringLiteral("not a TIFF file (shorter than its header)"));
    const auto *h = reinterpret_cast<const uchar *>(head.constData());
    if (h[0] == 'I' && h[1] == 'I')
        m_bigEndian = false;
    else if (h[0] == 'M' && h[1] == 'M')
        m_bigEndian = true;
    else
        return fail(QStringLiteral("not a TIFF file (no byte-order mark)"));
    const quint64 magic = unsignedValue(h + 2, 2, m_bigEndian);
    quint64 offset = 0;
    if (magic == 42) {
        offset = unsignedValue(h + 4, 4, m_bigEndian);
    } else if (magic == 43) {
        m_bigTiff = true;
        // BigTIFF: offset size 8, a reserved zero, then the 8-byte offset.
        if (unsignedValue(h + 4, 2, m_bigEndian) != 8 || unsignedValue(h + 6, 2, m_bigEndian) != 0)
            return fail(QStringLiteral("not a BigTIFF file (offset size is not 8)"));
        QByteArray off;
        if (!readAt(8, 8, off))
            return fail(QStringLiteral("BigTIFF header is cut short"));
        offset = unsignedValue(reinterpret_cast<const uchar *>(off.constData()), 8, m_bigEndian);
    } else {
        return fail(QStringLiteral("not a TIFF file (version %1)").arg(magic));
    }
    m_isTiff = true;

    const int countSize = m_bigTiff ? 8 : 2;
    const int entrySize = m_bigTiff ? 20 : 12;
    const int valueSize = m_bigTiff ? 8 : 4;
    const quint64 headerSize = m_bigTiff ? 16 : 8;

    QSet<quint64> seen;
    for (int dir = 0; dir < kMaxDirectories; ++dir) {
        if (offset == 0)
            return fail(QStringLiteral("TIFF file has no image size (no ImageWidth/ImageLength)"));
        if (offset < headerSize)
            return fail(QStringLiteral("TIFF image directory offset %1 points into the header").arg(offset));
        if (offset >= fileSize)
            return fail(QStringLiteral("TIFF image directory offset %1 lies past the end of the file (%2 bytes)")
                            .arg(offset)
                            .arg(fileSize));
        if (seen.contains(offset))
            return fail(QStringLiteral("TIFF image directories loop (offset %1 seen before)").arg(offset));
        seen.insert(offset);

        QByteArray countBytes;
        if (!readAt(offset, countSize, countBytes))
            return fail(QStringLiteral("TIFF image directory at %1 is cut short").arg(offset));
        const quint64 entries =
            unsignedValue(reinterpret_cast<const uchar *>(countBytes.constData()), countSize, m_bigEndian);
        if (entries == 0 || entries > kMaxEntries)
            return fail(QStringLiteral("TIFF image directory at %1 has %2 entries").arg(offset).arg(entries));
        QByteArray table;
        if (!readAt(offset + quint64(countSize), qint64(entries * entrySize + valueSize), table))
            return fail(QStringLiteral("TIFF image directory at %1 runs past the end of the file").arg(offset));
        const auto *t = reinterpret_cast<const uchar *>(table.constData());

        quint64 width = 0;
        quint64 height = 0;
        quint64 rowsPerStrip = 0;
        quint64 tileWidth = 0;
        quint64 tileHeight = 0;
        for (quint64 e = 0; e < entries; ++e) {
            const uchar *entry = t + e * entrySize;
            const quint16 tag = quint16(unsignedValue(entry, 2, m_bigEndian));
            quint64 *layout = tag == kRowsPerStrip ? &rowsPerStrip
                : tag == kTileWidth                ? &tileWidth
                : tag == kTileLength               ? &tileHeight
                                                   : nullptr;
            if (tag != kImageWidth && tag != kImageLength && !layout)
                continue;
            const quint16 type = quint16(unsignedValue(entry + 2, 2, m_bigEndian));
            const quint64 count = unsignedValue(entry + 4, m_bigTiff ? 8 : 4, m_bigEndian);
            const uchar *value = entry + (m_bigTiff ? 12 : 8);
            int size = 0;
            if (type == kShort)
                size = 2;
            else if (type == kLong)
                size = 4;
            else if (type == kLong8 && m_bigTiff)
                size = 8;
            if (size == 0 || count < 1) {
                if (layout)
                    continue; // a layout tag of a type no decoder takes: as if it were not there
                return fail(QStringLiteral("TIFF tag %1 has field type %2").arg(tag).arg(type));
            }
            // The value is left-justified in the entry's value field.
            const quint64 v = unsignedValue(value, size, m_bigEndian);
            if (layout)
                *layout = v;
            else
                (tag == kImageWidth ? width : height) = v;
        }
        if (width > 0 && height > 0) {
            m_width = width;
            m_height = height;
            if (tileWidth > 0 && tileHeight > 0) {
                m_blockWidth = tileWidth;
                m_blockHeight = tileHeight;
                m_tiled = true;
            } else {
                // No rows per strip (or more than the image has): one strip.
                m_blockWidth = width;
                m_blockHeight = rowsPerStrip == 0 || rowsPerStrip > height ? height : rowsPerStrip;
            }
            return true;
        }
        offset = unsignedValue(t + entries * entrySize, valueSize, m_bigEndian);
    }
    return fail(QStringLiteral("TIFF file has no image size in its first %1 image directories").arg(kMaxDirectories));
}
