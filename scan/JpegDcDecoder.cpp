#include "scan/JpegDcDecoder.h"

#include "fileio/RegularFile.h"

#include <QtEndian>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

int readU16(const uchar *p)
{
    return (int(p[0]) << 8) | p[1];
}

JpegDcDecoder::Result outcome(JpegDcDecoder::Status status, const QString &message)
{
    JpegDcDecoder::Result r;
    r.status = status;
    r.message = message;
    return r;
}

bool declined(JpegDcDecoder::Result &r, const char *why)
{
    r.status = JpegDcDecoder::Status::Declined;
    r.message = QString::fromLatin1(why);
    return false;
}

bool failed(JpegDcDecoder::Result &r, const char *why)
{
    r.status = JpegDcDecoder::Status::Failed;
    r.message = QString::fromLatin1(why);
    return false;
}

// The skip entry: bits 0-5 the bits of all its symbols (codes and their
// magnitude bits; the low six bits, as a 64-bit shift takes its count), 8-13
// how far they move the coefficient index, 16-21 how far all but the last move
// it. An end of block, or any move that fills the block whatever it started
// at, counts 63.
constexpr uint32_t skipEntry(unsigned bits, unsigned advance, unsigned prefix)
{
    return bits | (std::min(advance, 63u) << 8) | (prefix << 16);
}

// How far one AC symbol moves the coefficient index, the way libjpeg counts:
// a run and a coefficient, sixteen zeros, or (any other zero magnitude) the
// end of the block.
unsigned acAdvance(unsigned symbol)
{
    const unsigned run = symbol >> 4;
    if (symbol & 15)
        return run + 1;
    return run == 15 ? 16 : 64;
}

// libjpeg's YCbCr to RGB, to the same rounding.
struct ColourTables
{
    std::array<int, 256> crR{}, cbB{}, crG{}, cbG{};
    ColourTables()
    {
        constexpr int kScale = 16;
        constexpr int kHalf = 1 << (kScale - 1);
        auto fix = [](double x) { return int(x * (1 << kScale) + 0.5); };
        for (int i = 0; i < 256; ++i) {
            const int x = i - 128;
            crR[i] = (fix(1.40200) * x + kHalf) >> kScale;
            cbB[i] = (fix(1.77200) * x + kHalf) >> kScale;
            crG[i] = -fix(0.71414) * x;
            cbG[i] = -fix(0.34414) * x + kHalf;
        }
    }
};

const ColourTables &colourTables()
{
    static const ColourTables tables;
    return tables;
}

uint8_t clamped(int v)
{
    return uint8_t(std::clamp(v, 0, 255));
}

// Copies entropy data from `in` to `out` without its stuffed zero bytes, up
// to `full` or to the end of the data: a marker (its code goes to
// `endMarker`, and `in` moves past it) or the end of the file. `done` is set
// at the end of the data. Returns the end of what was written.
uint8_t *unstuff(const uchar *&in, const uchar *end, uint8_t *out, uint8_t *full, int &endMarker, bool &done)
{
    while (!done && out < full) {
        // Eight bytes at a time while none of them is 0xFF.
        if (end - in >= 8 && full - out >= 8) {
            uint64_t w;
            std::memcpy(&w, in, 8);
            if (!((~w - 0x0101010101010101ull) & w & 0x8080808080808080ull)) {
                std::memcpy(out, &w, 8);
                in += 8;
                out += 8;
                continue;
            }
        }
        if (in == end) {
            done = true;
            break;
        }
        if (*in != 0xFF) {
            *out++ = *in++;
            continue;
        }
        const uchar *q = in + 1;
        while (q < end && *q == 0xFF)
            ++q;
        if (q >= end) {
            in = end;
            done = true;
        } else if (*q == 0x00) {
            *out++ = 0xFF;
            in = q + 1;
        } else {
            endMarker = *q;
            in = q + 1;
            done = true;
        }
    }
    return out;
}


#if defined(__GNUC__)
#define QM_ALWAYS_INLINE __attribute__((always_inline))
#else
#define QM_ALWAYS_INLINE
#endif

// The bit buffer over un-stuffed entropy data: the next `bits` bits from the
// top of `acc`, at least 56 after each refill; the bytes past them are those
// at `p`.
struct BitReader
{
    const uint8_t *p = nullptr;
    uint64_t acc = 0;
    int bits = 0;

    void refill()
    {
        uint64_t w;
        std::memcpy(&w, p, 8);
        acc |= qFromBigEndian(w) >> bits;
        p += (63 - bits) >> 3;
        bits |= 56;
    }
    void skip(int n)
    {
        acc <<= n;
        bits -= n;
    }
    // The next bit's place from `base`: below 0 after a top-up that moved the
    // data of bits still held to before the buffer's start.
    int64_t position(const uint8_t *base) const { return int64_t(p - base) * 8 - bits; }
    unsigned peek() const { return unsigned(acc >> (64 - JpegDcDecoder::kLookupBits)); }
};

// A code longer than the lookup bits; false when it is no code of the table.
template <class Table>
bool longCode(const Table &t, uint64_t acc, int &length, int &symbol)
{
    int len = JpegDcDecoder::kLookupBits + 1;
    int32_t code = int32_t(acc >> (64 - len));
    while (len <= 16 && code > t.maxCode[size_t(len)]) {
        ++len;
        code = int32_t(acc >> (64 - len));
    }
    if (len > 16)
        return false;
    const int index = code + t.valueOffset[size_t(len)];
    if (index < 0 || index >= t.count)
        return false;
    length = len;
    symbol = t.values[size_t(index)];
    return true;
}

// The symbol at the reader and its code's length, from the table's lookup or
// (a longer code) its code lengths; false for a bad code.
template <class Table>
QM_ALWAYS_INLINE inline bool nextSymbol(const uint16_t *lookup, const Table &t, const BitReader &in, int &length,
                                        int &symbol)
{
    if (const uint16_t e = lookup[in.peek()]) {
        length = e & 15;
        symbol = e >> 4;
        return true;
    }
    return longCode(t, in.acc, length, symbol);
}

// The DC difference of a block, from a refilled reader; false for a bad code.
template <class Block>
QM_ALWAYS_INLINE inline bool dcDifference(const Block &blk, BitReader &in, int &diff)
{
    int len;
    int s;
    if (!nextSymbol(blk.dcLookup, *blk.dc, in, len, s))
        return false;
    in.skip(len);
    // The difference's magnitude bits, without a branch (none when s is 0).
    const int v = int((in.acc >> 1) >> (63 - s));
    in.skip(s);
    const int half = (1 << s) >> 1;
    diff = v + (((v - half) >> 31) & (int(~0u << s) + 1));
    return true;
}

// The AC walk of a block keeps the coefficient index and the bits taken
// since the reader was last settled in one word, `q`: the index from bit 8 on,
// the bits in bits 0-7, so that one addition of a skip entry's low bits moves
// both. A skip step takes its entry unchecked; only when the index reaches 64
// is it checked whether the entry's symbols all belonged to the block (it
// ended there), or the step is undone and one symbol is taken alone.
constexpr unsigned kBlockEnd = 64u << 8;

inline void settle(BitReader &in, unsigned &q)
{
    in.bits -= int(q & 0xFF);
    q &= ~0xFFu;
}

// At most kLookupBits bits; false when the index reached 64.
QM_ALWAYS_INLINE inline bool skipStep(const uint32_t *skip, BitReader &in, unsigned &q, unsigned &e, uint64_t &before)
{
    before = in.acc;
    e = skip[in.peek()];
    in.acc <<= (e & 63);
    q += e & 0x3F3F;
    return q < kBlockEnd;
}

// One AC symbol taken alone (at the end of a block, a long code, or many
// magnitude bits), with a refill before and after; false for a bad code.
template <class Block>
QM_ALWAYS_INLINE inline bool acAlone(const Block &blk, BitReader &in, unsigned &k)
{
    in.refill();
    int len;
    int symbol;
    if (!nextSymbol(blk.acSingle, *blk.ac, in, len, symbol))
        return false;
    in.skip(len + (symbol & 15));
    k += acAdvance(unsigned(symbol));
    in.refill();
    return true;
}

// After a skip step that reached index 64: 1 when the block is over, 0 when
// the step was undone and one symbol taken alone instead, -1 for a bad code.
template <class Block>
QM_ALWAYS_INLINE inline int endOrAlone(const Block &blk, BitReader &in, unsigned &q, unsigned e, uint64_t before)
{
    const unsigned previous = (q >> 8) - ((e >> 8) & 63);
    if (previous + (e >> 16) < 64)
        return 1; // all but the entry's last symbol stayed in the block
    in.acc = before;
    q -= e & 0x3F3F;
    settle(in, q);
    unsigned k = q >> 8;
    if (!acAlone(blk, in, k))
        return -1;
    q = k << 8;
    return k >= 64 ? 1 : 0;
}

} // namespace

// A mapped file, read from front to back. The pages ahead of the reading are
// filled a window at a time (a fault a page would cost more than the decoding
// of it) and the pages a window behind it are let go: a file of any size
// (a sparse one of a gigabyte, say) costs a few windows of memory, not its
// size.
struct JpegDcDecoder::Pager
{
    const uchar *begin = nullptr;
    qsizetype size = 0;
    qsizetype filled = 0;  // the pages up to here were filled
    qsizetype dropped = 0; // the pages up to here were let go

    static constexpr qsizetype kWindow = qsizetype(16) << 20;

    // The reading has come to `p`.
    void reach(const uchar *p)
    {
#ifdef Q_OS_LINUX
        const qsizetype at = p - begin;
        if (filled < size && at + kWindow > filled) {
            const qsizetype from = filled & ~qsizetype(4095);
            const qsizetype to = std::min(size, at + 2 * kWindow);
            void *start = const_cast<uchar *>(begin) + from;
            if (madvise(start, size_t(to - from), kPopulateRead) != 0)
                madvise(start, size_t(to - from), MADV_WILLNEED); // a kernel before 5.14
            filled = to;
        }
        const qsizetype behind = (at - kWindow) & ~qsizetype(4095);
        if (behind - dropped >= kWindow) {
            madvise(const_cast<uchar *>(begin) + dropped, size_t(behind - dropped), MADV_DONTNEED);
            dropped = behind;
        }
#else
        Q_UNUSED(p);
#endif
    }

#ifdef Q_OS_LINUX
#ifdef MADV_POPULATE_READ
    static constexpr int kPopulateRead = MADV_POPULATE_READ;
#else
    static constexpr int kPopulateRead = 22;
#endif
#endif
};

JpegDcDecoder::JpegDcDecoder(const uchar *data, qsizetype size, Pager *pager)
    : m_begin(data)
    , m_end(data + size)
    , m_pager(pager)
{
}

// Calls `use(data, size, pager)` on the whole of a file, mapped where the
// system can (the pager then holds a few windows of it at a time), else read
// into memory when it is at most kMaxReadSize. Opened as every scan and map
// is: a FIFO or a device under a .jpg name is refused, never waited on or
// read without end. Returns the reason when the file cannot be read;
// `tooLarge` is set for a file above `maxSize`, or one too large to read.
template <class Use>
QString JpegDcDecoder::withFileBytes(const QString &path, qint64 maxSize, bool &tooLarge, Use use)
{
    tooLarge = false;
    RegularFile file;
    if (!file.open(path))
        return file.errorString();
    const qint64 size = file.size();
    if (size > maxSize) {
        tooLarge = true;
        return QStringLiteral("file too large (%1 bytes)").arg(size);
    }
    if (size == 0) {
        use(nullptr, 0, nullptr);
        return QString();
    }
#ifdef Q_OS_LINUX
    if (void *mapped = mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, file.handle(), 0); mapped != MAP_FAILED) {
        Pager pager;
        pager.begin = static_cast<const uchar *>(mapped);
        pager.size = qsizetype(size);
        pager.reach(pager.begin);
        use(pager.begin, pager.size, &pager);
        munmap(mapped, size_t(size));
        return QString();
    }
#endif
    if (size > kMaxReadSize) {
        tooLarge = true;
        return QStringLiteral("file too large to read whole (%1 bytes)").arg(size);
    }
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(bytes.data() + done, size - done);
        if (n <= 0)
            return n < 0 ? file.errorString() : QStringLiteral("the file ends early");
        done += n;
    }
    use(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size(), nullptr);
    return QString();
}

JpegDcDecoder::Result JpegDcDecoder::read(const QString &path)
{
    Result r;
    bool tooLarge = false;
    const QString problem = withFileBytes(path, kMaxFileSize, tooLarge, [&r](const uchar *data, qsizetype size, Pager *pager) {
        r = decode(data, size, pager);
    });
    if (!problem.isEmpty())
        return outcome(tooLarge ? Status::Declined : Status::Failed, problem);
    return r;
}

bool JpegDcDecoder::endsEarly(const QString &path)
{
    bool early = false;
    bool tooLarge = false;
    withFileBytes(path, std::numeric_limits<qint64>::max(), tooLarge,
                  [&early](const uchar *data, qsizetype size, Pager *pager) { early = endsEarly(data, size, pager); });
    return early;
}

bool JpegDcDecoder::endsEarly(const uchar *data, qsizetype size)
{
    return endsEarly(data, size, nullptr);
}

bool JpegDcDecoder::endsEarly(const uchar *data, qsizetype size, Pager *pager)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    const uchar *p = data + 2;
    const uchar *const end = data + size;
    bool inScan = false; // in the entropy data after a scan header
    while (p < end) {
        if (inScan) {
            // On to the next marker that is neither a stuffed byte nor a
            // restart, a window of a mapped file at a time.
            const uchar *ff = nullptr;
            while (!ff && p < end) {
                const uchar *stop = pager ? std::min(end, p + Pager::kWindow) : end;
                ff = static_cast<const uchar *>(std::memchr(p, 0xFF, size_t(stop - p)));
                p = stop;
                if (pager)
                    pager->reach(p);
            }
            if (!ff)
                return true;
            p = ff;
            const uchar *q = p + 1;
            while (q < end && *q == 0xFF)
                ++q;
            if (q >= end)
                return true;
            if (*q == 0x00 || (*q >= 0xD0 && *q <= 0xD7)) {
                p = q + 1;
                continue;
            }
            p = q - 1;
            inScan = false;
        }
        if (*p != 0xFF)
            return false; // garbage between markers: a damaged file, not one cut short
        while (p < end && *p == 0xFF)
            ++p;
        if (p >= end)
            return true;
        const int marker = *p++;
        if (marker == 0xD9)
            return false;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue;
        if (end - p < 2)
            return true;
        const int length = readU16(p);
        if (length < 2)
            return false;
        if (length > end - p)
            return true;
        p += length;
        inScan = marker == 0xDA;
    }
    return true;
}

JpegDcDecoder::Result JpegDcDecoder::decode(const uchar *data, qsizetype size)
{
    return decode(data, size, nullptr);
}

JpegDcDecoder::Result JpegDcDecoder::decode(const uchar *data, qsizetype size, Pager *pager)
{
    if (!data || size < 4)
        return outcome(Status::Failed, QStringLiteral("not a JPEG file"));
    JpegDcDecoder decoder(data, size, pager);
    return decoder.run();
}

JpegDcDecoder::Result JpegDcDecoder::run()
{
    Result r;
    if (m_begin[0] != 0xFF || m_begin[1] != 0xD8) {
        failed(r, "not a JPEG file");
        return r;
    }
    const uchar *p = m_begin + 2;
    for (;;) {
        // Fill bytes may stand before a marker.
        if (p >= m_end || *p != 0xFF) {
            failed(r, p >= m_end ? "the file ends before the image data" : "garbage between markers");
            return r;
        }
        while (p < m_end && *p == 0xFF)
            ++p;
        if (p >= m_end) {
            failed(r, "the file ends before the image data");
            return r;
        }
        const int marker = *p++;
        if (marker == 0xD8 || marker == 0xD9) {
            failed(r, marker == 0xD9 ? "no image data" : "a second start of image");
            return r;
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // no length
        if (marker == 0x00) {
            failed(r, "garbage between markers");
            return r;
        }
        if (m_end - p < 2) {
            failed(r, "the file ends inside a marker");
            return r;
        }
        const int length = readU16(p);
        if (length < 2 || length > m_end - p) {
            failed(r, "bad marker length");
            return r;
        }
        const uchar *body = p + 2;
        const int bodyLength = length - 2;
        p += length;
        switch (marker) {
        case 0xC0:
        case 0xC1:
            if (!readFrameHeader(body, bodyLength, r))
                return r;
            r.sourceSize = QSize(m_width, m_height);
            break;
        case 0xC2:
        case 0xC6:
        case 0xCA:
        case 0xCE:
            declined(r, "progressive JPEG");
            return r;
        case 0xC3:
        case 0xC7:
        case 0xCB:
        case 0xCF:
            declined(r, "lossless JPEG");
            return r;
        case 0xC5:
            declined(r, "hierarchical JPEG");
            return r;
        case 0xC9:
        case 0xCD:
            declined(r, "arithmetic coding");
            return r;
        case 0xCC: // arithmetic conditioning
            declined(r, "arithmetic coding");
            return r;
        case 0xC4:
            if (!readHuffmanTables(body, bodyLength, r))
                return r;
            break;
        case 0xDB:
            if (!readQuantTables(body, bodyLength, r))
                return r;
            break;
        case 0xDD:
            if (bodyLength < 2) {
                failed(r, "bad restart interval");
                return r;
            }
            m_restartInterval = readU16(body);
            break;
        case 0xDC:
            declined(r, "a height given after the first scan");
            return r;
        case 0xE0:
            if (bodyLength >= 14 && std::memcmp(body, "JFIF\0", 5) == 0)
                m_jfif = true;
            break;
        case 0xEE:
            if (bodyLength >= 12 && std::memcmp(body, "Adobe", 5) == 0) {
                m_adobe = true;
                m_adobeTransform = body[11];
            }
            break;
        case 0xDA:
            if (!readScanHeader(body, bodyLength, r))
                return r;
            m_scanData = p;
            if (!decodeScan(prepareScan(), r))
                return r;
            r.image = picture();
            if (r.image.isNull()) {
                failed(r, "out of memory");
                return r;
            }
            r.status = Status::Decoded;
            return r;
        default:
            break; // APPn, COM and the like
        }
    }
}

bool JpegDcDecoder::readFrameHeader(const uchar *p, int length, Result &r)
{
    if (m_frameSeen)
        return failed(r, "a second frame header");
    m_frameSeen = true;
    if (length < 6)
        return failed(r, "bad frame header");
    if (p[0] != 8)
        return declined(r, "not 8 bits a sample");
    m_height = readU16(p + 1);
    m_width = readU16(p + 3);
    const int count = p[5];
    if (m_width == 0)
        return failed(r, "zero image width");
    if (m_height == 0)
        return declined(r, "a height given after the first scan");
    if (count != 1 && count != 3)
        return declined(r, "neither grey nor three components");
    if (length < 6 + 3 * count)
        return failed(r, "bad frame header");
    m_components.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        Component &c = m_components[size_t(i)];
        const uchar *q = p + 6 + 3 * i;
        c.id = q[0];
        c.h = q[1] >> 4;
        c.v = q[1] & 15;
        c.quantTable = q[2];
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4)
            return failed(r, "bad sampling factors");
        if (c.quantTable > 3)
            return failed(r, "bad quantisation table number");
        for (int j = 0; j < i; ++j)
            if (m_components[size_t(j)].id == c.id)
                return failed(r, "two components of one id");
        m_hMax = std::max(m_hMax, c.h);
        m_vMax = std::max(m_vMax, c.v);
    }
    for (const Component &c : m_components)
        if (m_hMax % c.h != 0 || m_vMax % c.v != 0)
            return declined(r, "sampling factors not in whole ratios");
    return true;
}

bool JpegDcDecoder::readHuffmanTables(const uchar *p, int length, Result &r)
{
    while (length > 0) {
        if (length < 17)
            return failed(r, "bad Huffman table");
        const int tableClass = p[0] >> 4;
        const int id = p[0] & 15;
        if (tableClass > 1 || id > 3)
            return failed(r, "bad Huffman table number");
        int total = 0;
        for (int i = 1; i <= 16; ++i)
            total += p[i];
        if (total > 256 || 17 + total > length)
            return failed(r, "bad Huffman table");
        if (!buildTable(m_tables[size_t(tableClass * 4 + id)], p + 1, p + 17, tableClass == 0))
            return failed(r, "bad Huffman table");
        p += 17 + total;
        length -= 17 + total;
    }
    return true;
}

bool JpegDcDecoder::readQuantTables(const uchar *p, int length, Result &r)
{
    while (length > 0) {
        const int precision = p[0] >> 4;
        const int id = p[0] & 15;
        if (precision > 1 || id > 3)
            return failed(r, "bad quantisation table");
        const int size = 1 + 64 * (precision + 1);
        if (size > length)
            return failed(r, "bad quantisation table");
        m_dcQuant[size_t(id)] = precision ? readU16(p + 1) : p[1]; // the first value is the DC one
        m_quantDefined[size_t(id)] = true;
        p += size;
        length -= size;
    }
    return true;
}

bool JpegDcDecoder::readScanHeader(const uchar *p, int length, Result &r)
{
    if (!m_frameSeen)
        return failed(r, "a scan before the frame header");
    if (length < 1)
        return failed(r, "bad scan header");
    const int count = p[0];
    if (count < 1 || count > 4 || length < 1 + 2 * count + 3)
        return failed(r, "bad scan header");
    if (count != int(m_components.size()))
        return declined(r, "one scan per component");
    for (int i = 0; i < count; ++i) {
        const int id = p[1 + 2 * i];
        const int tables = p[2 + 2 * i];
        int index = -1;
        for (size_t j = 0; j < m_components.size(); ++j)
            if (m_components[j].id == id)
                index = int(j);
        if (index < 0)
            return failed(r, "a scan of an unknown component");
        for (int j = 0; j < i; ++j)
            if (m_scanOrder[size_t(j)] == index)
                return failed(r, "a component twice in a scan");
        m_scanOrder[size_t(i)] = index;
        Component &c = m_components[size_t(index)];
        c.dcTable = tables >> 4;
        c.acTable = tables & 15;
        if (c.dcTable > 3 || c.acTable > 3 || !m_tables[size_t(c.dcTable)].defined
            || !m_tables[size_t(4 + c.acTable)].defined)
            return failed(r, "a missing Huffman table");
        if (!m_quantDefined[size_t(c.quantTable)])
            return failed(r, "a missing quantisation table");
        c.dcQuant = m_dcQuant[size_t(c.quantTable)];
    }
    const uchar *q = p + 1 + 2 * count;
    if (q[0] != 0 || q[1] != 63 || q[2] != 0)
        return declined(r, "not a sequential scan");
    int blocks = 0;
    for (const Component &c : m_components)
        blocks += c.h * c.v;
    if (count > 1 && blocks > 10)
        return declined(r, "more than ten blocks a unit");
    return true;
}

bool JpegDcDecoder::buildTable(HuffmanTable &t, const uint8_t *counts, const uint8_t *values, bool dc)
{
    t.defined = false;
    t.count = 0;
    for (int i = 0; i < 16; ++i)
        t.count += counts[i];
    std::copy(values, values + t.count, t.values.begin());
    if (dc)
        for (int i = 0; i < t.count; ++i)
            if (t.values[size_t(i)] > 15)
                return false;

    // The canonical codes; none may be all ones.
    std::array<uint16_t, 256> codes{};
    std::array<uint8_t, 256> lengths{};
    int code = 0;
    int k = 0;
    for (int len = 1; len <= 16; ++len) {
        t.valueOffset[size_t(len)] = k - code;
        for (int i = 0; i < counts[len - 1]; ++i) {
            codes[size_t(k)] = uint16_t(code);
            lengths[size_t(k)] = uint8_t(len);
            ++k;
            ++code;
        }
        t.maxCode[size_t(len)] = counts[len - 1] ? code - 1 : -1;
        if (code >= (1 << len))
            return false;
        code <<= 1;
    }
    t.maxCode[17] = 0x7fffffff;

    t.single.assign(size_t(1) << kLookupBits, 0);
    for (int i = 0; i < t.count; ++i) {
        const int len = lengths[size_t(i)];
        if (len > kLookupBits)
            break;
        const int shift = kLookupBits - len;
        const auto entry = uint16_t(len | (t.values[size_t(i)] << 4));
        const size_t first = size_t(codes[size_t(i)]) << shift;
        std::fill(t.single.begin() + ptrdiff_t(first), t.single.begin() + ptrdiff_t(first + (size_t(1) << shift)),
                  entry);
    }
    if (dc)
        t.skip.clear();
    else
        buildSkipLookup(t);
    t.defined = true;
    return true;
}

// Each skip entry takes as many whole symbols as the lookup bits hold. It is
// used only when all but its last symbol stay in the block (the coefficient
// index plus the prefix move below 64): a block that ends at coefficient 63
// without an end of block must not run on into the next block's DC code.
void JpegDcDecoder::buildSkipLookup(HuffmanTable &t)
{
    constexpr uint32_t kMask = (1u << kLookupBits) - 1;
    t.skip.assign(t.single.size(), 0);
    for (uint32_t i = 0; i <= kMask; ++i) {
        unsigned bits = 0;
        unsigned advance = 0;
        unsigned prefix = 0;
        for (;;) {
            const uint16_t e = t.single[(i << bits) & kMask];
            if (!e)
                break;
            const unsigned len = (e & 15u) + ((e >> 4) & 15u);
            if (bits + len > unsigned(kLookupBits))
                break;
            prefix = advance;
            bits += len;
            advance += acAdvance(unsigned(e) >> 4);
            if (advance >= 64)
                break;
        }
        // No whole symbol: an entry that ends every block and whose prefix
        // no index passes, so that the walk takes one symbol alone.
        t.skip[i] = bits ? skipEntry(bits, advance, prefix) : skipEntry(0, 63, 63);
    }
}

JpegDcDecoder::ScanLayout JpegDcDecoder::prepareScan()
{
    ScanLayout layout;
    const int count = int(m_components.size());
    const bool interleaved = count > 1;
    if (interleaved) {
        layout.mcusX = (m_width + 8 * m_hMax - 1) / (8 * m_hMax);
        layout.mcusY = (m_height + 8 * m_vMax - 1) / (8 * m_vMax);
        for (Component &c : m_components) {
            c.blocksX = layout.mcusX * c.h;
            c.blocksY = layout.mcusY * c.v;
        }
    } else {
        Component &c = m_components[0];
        layout.mcusX = c.blocksX = (m_width + 7) / 8;
        layout.mcusY = c.blocksY = (m_height + 7) / 8;
    }
    for (Component &c : m_components)
        c.plane.assign(size_t(c.blocksX) * size_t(c.blocksY), 128);

    for (int s = 0; s < count; ++s) {
        const int ci = m_scanOrder[size_t(s)];
        Component &c = m_components[size_t(ci)];
        const int h = interleaved ? c.h : 1;
        const int v = interleaved ? c.v : 1;
        for (int y = 0; y < v; ++y)
            for (int x = 0; x < h; ++x) {
                Block &b = layout.blocks[size_t(layout.blockCount++)];
                b.dc = &m_tables[size_t(c.dcTable)];
                b.ac = &m_tables[size_t(4 + c.acTable)];
                b.dcLookup = b.dc->single.data();
                b.acSingle = b.ac->single.data();
                b.acSkip = b.ac->skip.data();
                b.component = ci;
                b.quant = c.dcQuant;
                b.offset = size_t(y) * size_t(c.blocksX) + size_t(x);
            }
    }
    for (int ci = 0; ci < count; ++ci) {
        Component &c = m_components[size_t(ci)];
        layout.planes[size_t(ci)] = c.plane.data();
        layout.stepX[size_t(ci)] = interleaved ? c.h : 1;
        layout.rowStep[size_t(ci)] = size_t(c.blocksX) * size_t(interleaved ? c.v : 1);
    }
    return layout;
}

bool JpegDcDecoder::decodeScan(const ScanLayout &layout, Result &r)
{
    const int mcusX = layout.mcusX;
    const int mcusY = layout.mcusY;
    const int blockCount = layout.blockCount;
    const auto &blocks = layout.blocks;

    // The entropy data, without its stuffed zero bytes, goes through a small
    // buffer that stays in the cache; it is topped up between MCUs while less
    // than kMargin bytes (more than any one MCU can take) are left. After the
    // last byte of a restart interval come zeros, as libjpeg feeds them at a
    // marker, so that data cut short shows (bits used past the end) and no
    // read goes beyond the buffer.
    constexpr size_t kChunk = 256 * 1024;
    constexpr size_t kMargin = 4096;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kChunk + kMargin + 8]);
    if (!buffer)
        return failed(r, "out of memory");
    uint8_t *const base = buffer.get();
    const uchar *in = m_scanData; // the next byte of the file to take
    size_t fill = 0;              // bytes in the buffer
    bool intervalDone = false;    // the buffer holds the rest of the interval
    int endMarker = -1;           // the marker after the interval; -1: the end of the file

    // Moves the bytes from `from` on to the front and takes more from the file.
    auto topUp = [&](const uint8_t *from) {
        const size_t keep = fill - size_t(from - base);
        std::memmove(base, from, keep);
        uint8_t *out = base + keep;
        uint8_t *const full = base + kChunk;
        if (m_pager)
            m_pager->reach(in);
        out = unstuff(in, m_end, out, full, endMarker, intervalDone);
        fill = size_t(out - base);
        if (intervalDone)
            std::memset(out, 0, kMargin + 8);
    };
    topUp(base);

    BitReader reader;
    reader.p = base;

    std::array<int, 4> predictor{};
    int64_t untilRestart = m_restartInterval;
    int nextRestart = 0;
    bool truncated = false;
    int64_t at = 0;
    for (int my = 0; my < mcusY && !truncated; ++my) {
        for (int mx = 0; mx < mcusX; ++mx, ++at) {
            if (m_restartInterval && untilRestart == 0) {
                // The next interval: the bits left are padding, and so is what is
                // left of this interval's data.
                while (!intervalDone)
                    topUp(base + fill);
                if (endMarker < 0xD0 || endMarker > 0xD7) {
                    if (endMarker != -1 && endMarker != 0xD9)
                        return failed(r, "corrupt data (a marker inside the image data)");
                    truncated = true;
                } else if (endMarker != 0xD0 + nextRestart) {
                    return failed(r, "a restart marker out of order");
                } else {
                    nextRestart = (nextRestart + 1) & 7;
                    intervalDone = false;
                    endMarker = -1;
                    fill = 0;
                    topUp(base);
                    reader = BitReader();
                    reader.p = base;
                    predictor = {};
                    untilRestart = m_restartInterval;
                }
            } else if (!intervalDone && fill - size_t(reader.p - base) < kMargin) {
                topUp(reader.p);
                reader.p = base;
            }
            if (!truncated) {
                for (int b = 0; b < blockCount; ++b) {
                    const Block &blk = blocks[size_t(b)];
                    reader.refill();
                    int diff;
                    if (!dcDifference(blk, reader, diff))
                        return failed(r, "corrupt data (a bad Huffman code)");
                    int &pred = predictor[size_t(blk.component)];
                    pred = int(uint32_t(pred) + uint32_t(diff));
                    const int dc = int16_t(pred); // libjpeg keeps the coefficient in 16 bits
                    layout.sample(blk, mx, my) = clamped(((dc * blk.quant + 4) >> 3) + 128);

                    // The AC coefficients, skipped. Four steps of at most
                    // kLookupBits bits fit in one refill; a symbol taken alone
                    // refills before and after.
                    const uint32_t *skip = blk.acSkip;
                    unsigned q = 1u << 8;
                    bool bad = false;
                    auto step = [&]() QM_ALWAYS_INLINE {
                        unsigned e;
                        uint64_t before;
                        if (skipStep(skip, reader, q, e, before))
                            return false;
                        const int end = endOrAlone(blk, reader, q, e, before);
                        bad = end < 0;
                        return end != 0;
                    };
                    for (;;) {
                        settle(reader, q);
                        reader.refill();
                        if (step() || step() || step() || step())
                            break;
                    }
                    settle(reader, q);
                    if (bad)
                        return failed(r, "corrupt data (a bad Huffman code)");
                }
                // Bits used past the end of the interval's data: it is cut short.
                if (intervalDone && reader.position(base) > int64_t(fill) * 8) {
                    if (endMarker != -1 && endMarker != 0xD9 && (endMarker < 0xD0 || endMarker > 0xD7))
                        return failed(r, "corrupt data (a marker inside the image data)");
                    truncated = true;
                }
                --untilRestart;
            }
            if (truncated) {
                // This MCU and the rest are grey.
                for (int b = 0; b < blockCount; ++b) {
                    const Block &blk = blocks[size_t(b)];
                    layout.sample(blk, mx, my) = 128;
                }
                break;
            }
        }
    }
    if (truncated)
        r.message = QStringLiteral("the image data ends early (%1 of %2 rows of blocks); the rest is grey")
                        .arg(at / std::max(mcusX, 1))
                        .arg(mcusY);
    return true;
}


QImage JpegDcDecoder::picture() const
{
    const int width = (m_width + 7) / 8;
    const int height = (m_height + 7) / 8;
    if (m_components.size() == 1) {
        const Component &c = m_components[0];
        QImage image(width, height, QImage::Format_Grayscale8);
        if (image.isNull())
            return image;
        for (int y = 0; y < height; ++y)
            std::memcpy(image.scanLine(y), c.plane.data() + size_t(y) * size_t(c.blocksX), size_t(width));
        return image;
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const Component &c0 = m_components[0];
    const Component &c1 = m_components[1];
    const Component &c2 = m_components[2];
    const int fx0 = m_hMax / c0.h, fy0 = m_vMax / c0.v;
    const int fx1 = m_hMax / c1.h, fy1 = m_vMax / c1.v;
    const int fx2 = m_hMax / c2.h, fy2 = m_vMax / c2.v;
    bool rgb;
    if (m_jfif)
        rgb = false;
    else if (m_adobe)
        rgb = m_adobeTransform == 0;
    else
        rgb = c0.id == 'R' && c1.id == 'G' && c2.id == 'B';
    const ColourTables &t = colourTables();
    std::vector<int> columns(size_t(width) * 3);
    for (int x = 0; x < width; ++x) {
        columns[size_t(x) * 3] = x / fx0;
        columns[size_t(x) * 3 + 1] = x / fx1;
        columns[size_t(x) * 3 + 2] = x / fx2;
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t *row0 = c0.plane.data() + size_t(y / fy0) * size_t(c0.blocksX);
        const uint8_t *row1 = c1.plane.data() + size_t(y / fy1) * size_t(c1.blocksX);
        const uint8_t *row2 = c2.plane.data() + size_t(y / fy2) * size_t(c2.blocksX);
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int *column = columns.data();
        for (int x = 0; x < width; ++x, column += 3) {
            const int a = row0[column[0]];
            const int b = row1[column[1]];
            const int c = row2[column[2]];
            if (rgb)
                out[x] = qRgb(a, b, c);
            else
                out[x] = qRgb(clamped(a + t.crR[size_t(c)]), clamped(a + ((t.cbG[size_t(b)] + t.crG[size_t(c)]) >> 16)),
                              clamped(a + t.cbB[size_t(b)]));
        }
    }
    return image;
}
