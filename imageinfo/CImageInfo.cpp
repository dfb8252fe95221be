#include "imageinfo/CImageInfo.h"

#include <QCoreApplication>
#include <QDir>
#include "fileio/RegularFile.h"

#include <QFile>

#include <cstdlib>
#include <limits>

namespace {

// The header is looked at within the first 64 KiB of the file only; bytes
// past the end of a shorter file read as 0.
constexpr int kBufferSize = 65536;
// The start-of-image search and the marker walk stop here, so that every byte
// they read (at most the marker position + 8) lies inside the buffer.
constexpr int kWalkLimit = 65525;
// The first read; most headers lie well inside it. More is read only when the
// JPEG walk goes past it.
constexpr int kFirstRead = 4096;

// The bytes read so far. `complete` when they are all the file has within the
// first 64 KiB; otherwise a read past them marks the parse as wanting more.
class Bytes
{
public:
    Bytes(const QByteArray &data, bool complete)
        : m_data(reinterpret_cast<const uchar *>(data.constData()))
        , m_size(int(qMin<qsizetype>(data.size(), kBufferSize)))
        , m_complete(complete)
    {
    }

    int operator[](int i)
    {
        if (i < m_size)
            return m_data[i];
        if (!m_complete && i < kBufferSize && m_wanted < 0)
            m_wanted = i;
        return 0;
    }

    // Whether every byte from `i` on reads as 0: `i` lies past the end of all there is.
    bool zerosFrom(int i) const { return m_complete && i >= m_size; }

    // The first index read that lies past the bytes at hand, -1 when none.
    int wanted() const { return m_wanted; }

private:
    const uchar *m_data;
    int m_size;
    bool m_complete;
    int m_wanted = -1;
};

struct Header
{
    int width = 0;
    int height = 0;
    int depth = 0;
    int type = CImageInfo::Unknown;
    QString error; // a depth that does not fit in 8 bits
};

int word(int high, int low)
{
    return high * 256 + low;
}

// A 32-bit field as a size: 0 (not found) for a value that no image has, one
// beyond what a 32-bit signed integer holds (the formats allow no more).
int size32(quint32 value)
{
    return value > quint32(std::numeric_limits<int>::max()) ? 0 : int(value);
}

quint32 big32(Bytes &b, int at)
{
    return quint32(b[at]) << 24 | quint32(b[at + 1]) << 16 | quint32(b[at + 2]) << 8 | quint32(b[at + 3]);
}

quint32 little32(Bytes &b, int at)
{
    return quint32(b[at]) | quint32(b[at + 1]) << 8 | quint32(b[at + 2]) << 16 | quint32(b[at + 3]) << 24;
}

bool isStartOfFrame(int k)
{
    return (k >= 0xC0 && k <= 0xC3) || (k >= 0xC5 && k <= 0xC7) || (k >= 0xC9 && k <= 0xCB)
           || (k >= 0xCD && k <= 0xCF);
}

// Reads the header out of `b`. Stops early, with whatever it has, as soon as
// it reads past the bytes at hand (b.wanted() >= 0): the caller reads more and
// starts again.
Header parse(Bytes &b)
{
    Header h;

    // PNG: signature, then the IHDR chunk (big-endian 32-bit width and
    // height, bit depth, colour type).
    if (b[0] == 0x89 && b[1] == 0x50 && b[2] == 0x4E) {
        h.type = CImageInfo::Png;
        const int c = b[25];
        const int d = b[24];
        int depth = 0;
        switch (c) {
        case 0: // greyscale
            depth = d;
            break;
        case 2: // truecolour
            depth = d * 3;
            break;
        case 3: // indexed: 8 whatever the bit depth
            depth = 8;
            break;
        case 4: // greyscale with alpha
            depth = d * 2;
            break;
        case 6: // truecolour with alpha
            depth = d * 4;
            break;
        default:
            h.type = CImageInfo::Unknown;
            break;
        }
        if (h.type == CImageInfo::Png) {
            if (depth > 255) {
                h.error = QCoreApplication::translate("CImageInfo", "PNG colour depth overflow: bit depth %1 with colour type %2 "
                                         "does not fit in 8 bits")
                              .arg(d)
                              .arg(c);
                return h;
            }
            h.depth = depth;
            h.width = size32(big32(b, 16));
            h.height = size32(big32(b, 20));
        }
    }

    // GIF: little-endian logical screen size, colour table size bits.
    if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F') {
        h.type = CImageInfo::Gif;
        h.width = word(b[7], b[6]);
        h.height = word(b[9], b[8]);
        h.depth = (b[10] & 7) + 1;
    }

    // BMP: the information header's size tells its kind. The OS/2 one (12
    // bytes) has 16-bit width, height and bits per pixel; the others 32-bit
    // signed width and height, a negative height for rows stored top-down.
    // The low byte of the bits per pixel is the depth.
    if (b[0] == 'B' && b[1] == 'M') {
        h.type = CImageInfo::Bmp;
        if (little32(b, 14) == 12) {
            h.width = word(b[19], b[18]);
            h.height = word(b[21], b[20]);
            h.depth = b[24];
        } else {
            const qint64 width = qint32(little32(b, 18));
            const qint64 height = qint32(little32(b, 22));
            h.width = width > 0 ? size32(quint32(width)) : 0;
            h.height = size32(quint32(std::abs(height)));
            h.depth = b[28];
        }
    }

    if (h.type != CImageInfo::Unknown)
        return h;

    // JPEG: the start-of-image marker anywhere in the buffer, then the marker
    // walk from segment to segment up to a start-of-frame marker.
    int i = 0;
    for (; i < kWalkLimit; ++i) {
        // Past the end only zeros follow: no marker there (and no walking them).
        if (b.zerosFrom(i))
            return h;
        if (b[i] == 0xFF && b[i + 1] == 0xD8 && b[i + 2] == 0xFF)
            break;
        if (b.wanted() >= 0)
            return h;
    }
    int p = i + 2;
    while (p < kWalkLimit) {
        if (b.zerosFrom(p))
            return h;
        if (b[p] == 0xFF && b[p + 1] != 0xFF) {
            const int m = p + 1;
            const int k = b[m];
            if (isStartOfFrame(k)) {
                h.type = CImageInfo::Jpeg;
                h.height = word(b[m + 4], b[m + 5]);
                h.width = word(b[m + 6], b[m + 7]);
                const int components = b[m + 8];
                if (components * 8 > 255) {
                    h.error = QCoreApplication::translate("CImageInfo", "JPEG colour depth overflow: %1 components do not fit in 8 bits")
                                  .arg(components);
                    return h;
                }
                h.depth = components * 8;
                return h;
            }
            p = m + word(b[m + 1], b[m + 2]);
        } else {
            ++p;
        }
        if (b.wanted() >= 0)
            return h;
    }
    return h;
}

} // namespace

bool CImageInfo::ReadImageInfo(const QString &fileName)
{
    m_width = m_height = m_depth = m_type = 0;
    m_error.clear();

    RegularFile file;
    if (!file.open(fileName)) {
        m_error = QCoreApplication::translate("CImageInfo", "Cannot open %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }

    // The size saves a read that only finds the end of a short file; a file
    // whose size is not known (0) is read up to its end.
    const qint64 fileSize = file.size();
    QByteArray data;
    bool complete = false;
    int target = kFirstRead;
    Header h;
    for (;;) {
        // Read up to `target` bytes (or to the end of the file).
        const qsizetype have = data.size();
        const qsizetype want = fileSize > 0 ? qMin<qint64>(target, fileSize) : target;
        data.resize(want);
        qsizetype got = have;
        while (got < want) {
            const qint64 n = file.read(data.data() + got, want - got);
            if (n < 0) {
                m_error = QCoreApplication::translate("CImageInfo", "Cannot read %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
                return false;
            }
            if (n == 0) {
                complete = true;
                break;
            }
            got += n;
        }
        data.resize(got);
        if (got >= kBufferSize || (fileSize > 0 && got >= fileSize))
            complete = true;

        Bytes b(data, complete);
        h = parse(b);
        if (b.wanted() < 0 || complete)
            break;
        // Read on past the byte the walk wanted, in steps that grow fast.
        target = qMin(kBufferSize, qMax(target * 4, (b.wanted() / kFirstRead + 2) * kFirstRead));
    }
    file.close();

    m_type = h.type;
    m_width = h.width;
    m_height = h.height;
    m_depth = quint8(h.depth);
    if (!h.error.isEmpty()) {
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(fileName), h.error);
        return false;
    }
    return true;
}

bool CImageInfo::ReadImageInfo(const QByteArray &head)
{
    m_width = m_height = m_depth = m_type = 0;
    m_error.clear();

    Bytes b(head, true);
    const Header h = parse(b);
    m_type = h.type;
    m_width = h.width;
    m_height = h.height;
    m_depth = quint8(h.depth);
    m_error = h.error;
    return h.error.isEmpty();
}
