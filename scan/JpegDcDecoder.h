#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// A baseline JPEG at an eighth of its size from the DC coefficients alone:
// every 8x8 block becomes one pixel (the block's mean, DC/8 + 128, the value
// libjpeg gives at scale 1/8), the AC coefficients are only skipped. It is the
// thumbnail path for large scans, over twice as fast as libjpeg's 1/8
// decode, which still decodes every AC coefficient.
//
// Sequential Huffman files of 8 bits with one (grey) or three components in
// one interleaved scan are read, with any sampling factors of 1 to 4 whose
// ratios are whole, restart markers and 8 or 16-bit quantisation tables.
// Anything else (progressive, arithmetic, lossless, 12-bit, CMYK, one scan per
// component ...) is declined, so that the caller reads the file with libjpeg.
// Entropy data cut short gives the rest of the picture in grey, with a
// warning; corrupt data fails. The image is in the file's own pixel grid
// (EXIF orientation is not applied).
class JpegDcDecoder
{
public:
    enum class Status {
        Decoded,  // `image` holds the picture (`message` is a warning when not empty)
        Declined, // a kind of JPEG this decoder does not read: use libjpeg
        Failed,   // not a JPEG, or a damaged one
    };

    struct Result
    {
        Status status = Status::Failed;
        QImage image;     // ceil(W/8) x ceil(H/8): Grayscale8 for one component, RGB32 for three
        QSize sourceSize; // W x H from the frame header, when it was read
        QString message;  // why it was declined or failed, or the warning of a decoded image
    };

    // Files above this are refused (a scan is at most a few hundred MB).
    // A file is mapped, not read into memory, and only a few windows of it
    // are held at a time (see Pager); where it cannot be mapped, it is read
    // whole, and then a file above kMaxReadSize is left to libjpeg, which
    // reads in pieces.
    static constexpr qint64 kMaxFileSize = qint64(1) << 30;
    static constexpr qint64 kMaxReadSize = qint64(256) << 20;

    static Result read(const QString &path);
    static Result decode(const uchar *data, qsizetype size);

    // Whether a JPEG's data ends before its end-of-image marker (cut short):
    // libjpeg then gives a picture whose missing part is grey, without a
    // word. False for a whole JPEG and for what is not a JPEG at all.
    static bool endsEarly(const QString &path);
    static bool endsEarly(const uchar *data, qsizetype size);

    // The bits that one table lookup takes.
    static constexpr int kLookupBits = 12;

private:
    // A mapped file read from front to back (see the .cpp).
    struct Pager;

    struct HuffmanTable
    {
        bool defined = false;
        int count = 0;
        std::array<uint8_t, 256> values{};
        std::array<int32_t, 18> maxCode{};    // the largest code of each length, -1 when none
        std::array<int32_t, 17> valueOffset{}; // from a code of a length to its index in `values`
        // The next kLookupBits bits to the code they start with: its length |
        // its symbol << 4; 0 for a longer code.
        std::vector<uint16_t> single;
        // AC tables: the next kLookupBits bits to the whole symbols they hold
        // (see buildSkipLookup()).
        std::vector<uint32_t> skip;
    };

    struct Component
    {
        int id = 0;
        int h = 1;
        int v = 1;
        int quantTable = 0;
        int dcTable = 0;
        int acTable = 0;
        int dcQuant = 0;   // the DC quantiser, taken when the scan starts
        int blocksX = 0;   // the plane's size in blocks (whole MCUs)
        int blocksY = 0;
        std::vector<uint8_t> plane; // one sample per block
    };

    // The blocks of one MCU in their order: the table pair, the predictor and
    // the block's place in its plane relative to the MCU's first block.
    struct Block
    {
        const uint16_t *dcLookup;
        const uint16_t *acSingle;
        const uint32_t *acSkip;
        const HuffmanTable *dc;
        const HuffmanTable *ac;
        int component;
        int quant;
        size_t offset;
    };

    // The scan's MCUs and where each of their blocks goes.
    struct ScanLayout
    {
        int mcusX = 0;
        int mcusY = 0;
        std::array<Block, 10> blocks{};
        int blockCount = 0;
        std::array<uint8_t *, 4> planes{};
        std::array<int, 4> stepX{};
        std::array<size_t, 4> rowStep{};

        uint8_t &sample(const Block &b, int mx, int my) const
        {
            const auto c = size_t(b.component);
            return planes[c][size_t(my) * rowStep[c] + size_t(mx) * size_t(stepX[c]) + b.offset];
        }
    };

    JpegDcDecoder(const uchar *data, qsizetype size, Pager *pager);
    static Result decode(const uchar *data, qsizetype size, Pager *pager);
    // Calls `use(data, size, pager)` on the whole of a file (see the .cpp).
    template <class Use>
    static QString withFileBytes(const QString &path, qint64 maxSize, bool &tooLarge, Use use);
    static bool endsEarly(const uchar *data, qsizetype size, Pager *pager);
    Result run();
    ScanLayout prepareScan();
    bool readFrameHeader(const uchar *p, int length, Result &r);
    bool readHuffmanTables(const uchar *p, int length, Result &r);
    bool readQuantTables(const uchar *p, int length, Result &r);
    bool readScanHeader(const uchar *p, int length, Result &r);
    bool decodeScan(const ScanLayout &layout, Result &r);
    QImage picture() const;

    static bool buildTable(HuffmanTable &t, const uint8_t *counts, const uint8_t *values, bool dc);
    static void buildSkipLookup(HuffmanTable &t);

    const uchar *m_begin;
    const uchar *m_end;
    Pager *m_pager; // told how far the reading has come; none for bytes in memory
    const uchar *m_scanData = nullptr; // the entropy data of the scan
    std::array<HuffmanTable, 8> m_tables; // DC 0..3, AC 0..3
    std::array<int, 4> m_dcQuant{};
    std::array<bool, 4> m_quantDefined{};
    std::vector<Component> m_components;
    std::array<int, 4> m_scanOrder{}; // frame component of each scan component
    int m_width = 0;
    int m_height = 0;
    int m_hMax = 1;
    int m_vMax = 1;
    int m_restartInterval = 0;
    bool m_frameSeen = false;
    bool m_jfif = false;
    bool m_adobe = false;
    int m_adobeTransform = 0;
};
