#include "scan/ScanHeader.h"

#include "imageinfo/CImageInfo.h"
#include "imageinfo/TiffHeader.h"
#include "fileio/RegularFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// The header reader looks at the first 64 KiB only.
constexpr qint64 kHeadSize = 65536;

bool startsWith(const QByteArray &head, const char *signature, int length)
{
    return head.size() >= length && std::memcmp(head.constData(), signature, size_t(length)) == 0;
}

// The kind by the signature the decoders go by: libjpeg and OpenCV take a
// JPEG from FF D8 FF, libpng the whole 8-byte PNG signature, OpenCV and Qt a
// BMP from "BM" and Qt a GIF from "GIF8"; libtiff either byte order of
// classic TIFF and BigTIFF.
ScanHeader::Kind kindOf(const QByteArray &head)
{
    if (startsWith(head, "\xFF\xD8\xFF", 3))
        return ScanHeader::Kind::Jpeg;
    if (startsWith(head, "\x89PNG\r\n\x1A\n", 8))
        return ScanHeader::Kind::Png;
    if (startsWith(head, "BM", 2))
        return ScanHeader::Kind::Bmp;
    if (startsWith(head, "GIF8", 4))
        return ScanHeader::Kind::Gif;
    if (startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4) || startsWith(head, "II+\0", 4)
        || startsWith(head, "MM\0+", 4))
        return ScanHeader::Kind::Tiff;
    return ScanHeader::Kind::None;
}

int u16(const QByteArray &b, qsizetype at)
{
    return (uchar(b.at(at)) << 8) | uchar(b.at(at + 1));
}

// The bytes libjpeg takes for the coefficients of the whole image when the
// JPEG in `head` is stored in several scans (progressive, or one scan per
// component): 128 bytes a block of each component. 0 for a JPEG of one
// interleaved scan, decoded a row of blocks at a time, and when the headers
// are not within `head`.
qint64 multiScanCoefficientBytes(const QByteArray &head)
{
    qsizetype p = 2;
    bool progressive = false;
    int width = 0, height = 0;
    std::vector<std::pair<int, int>> sampling; // h, v of each component
    while (p + 4 <= head.size()) {
        if (uchar(head.at(p)) != 0xFF)
            return 0;
        const int marker = uchar(head.at(p + 1));
        if (marker == 0xFF) {
            ++p;
            continue;
        }
        const int length = u16(head, p + 2);
        const qsizetype body = p + 4;
        if (length < 2 || body + length - 2 > head.size())
            return 0;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 8) {
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            height = u16(head, body + 1);
            width = u16(head, body + 3);
            const int count = uchar(head.at(body + 5));
            if (length < 8 + 3 * count)
                return 0;
            for (int c = 0; c < count; ++c) {
                const int factors = uchar(head.at(body + 6 + 3 * c + 1));
                sampling.emplace_back(std::max(1, factors >> 4), std::max(1, factors & 15));
            }
        } else if (marker == 0xDA && length >= 3) {
            // One scan of fewer components than the frame: more scans follow.
            const bool multiScan = progressive || uchar(head.at(body)) < int(sampling.size());
            if (!multiScan || sampling.empty())
                return 0;
            int hMax = 1, vMax = 1;
            for (const auto &[h, v] : sampling) {
                hMax = std::max(hMax, h);
                vMax = std::max(vMax, v);
            }
            qint64 bytes = 0;
            for (const auto &[h, v] : sampling) {
                const qint64 blocksX = (qint64(width) * h / hMax + 7) / 8 + hMax;
                const qint64 blocksY = (qint64(height) * v / vMax + 7) / 8 + vMax;
                bytes += blocksX * blocksY * 128;
            }
            return bytes;
        }
        p = body + length - 2;
    }
    return 0;
}

} // namespace

QSize ScanHeader::size() const
{
    if (width <= 0 || height <= 0 || width > INT_MAX || height > INT_MAX)
        return QSize();
    return QSize(int(width), int(height));
}

ScanHeader ScanHeader::read(const QString &path)
{
    ScanHeader h;
    RegularFile file;
    if (!file.open(path)) {
        h.problem = QCoreApplication::translate("FrameImage", "cannot open the image: %1").arg(file.errorString());
        return h;
    }
    QByteArray head(int(std::min(file.size(), kHeadSize)), Qt::Uninitialized);
    qint64 got = 0;
    while (got < head.size()) {
        const qint64 n = file.read(head.data() + got, head.size() - got);
        if (n <= 0)
            break;
        got += n;
    }
    head.truncate(int(got));
    // The rest of the header, where a reader needs more than the first bytes,
    // through the same open file.
    QFile device;
    device.open(file.handle(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle);

    h.kind = kindOf(head);
    switch (h.kind) {
    case Kind::Jpeg:
    case Kind::Png:
    case Kind::Bmp:
    case Kind::Gif: {
        static const char *const formats[] = {"jpeg", "png", "bmp", "gif"};
        h.qtFormat = formats[int(h.kind) - int(Kind::Jpeg)];
        CImageInfo info;
        if (info.ReadImageInfo(head)) {
            h.width = info.Width();
            h.height = info.Height();
        }
        // A JPEG frame header beyond the first 64 KiB (behind a large
        // metadata segment): libjpeg finds it, reading no pixels.
        if (h.kind == Kind::Jpeg && (h.width <= 0 || h.height <= 0) && device.seek(0)) {
            QImageReader reader(&device, h.qtFormat);
            const QSize size = reader.size();
            h.width = size.isValid() ? size.width() : 0;
            h.height = size.isValid() ? size.height() : 0;
        }
        if (h.kind == Kind::Jpeg) {
            const qint64 bytes = multiScanCoefficientBytes(head);
            if (bytes > kMaxJpegCoefficientBytes) {
                h.problem = QCoreApplication::translate("ScanHeader", "the JPEG of %1 x %2 pixels is stored in several scans (progressive): decoding it takes %3 MB, more than %4 MB")
                                .arg(h.width)
                                .arg(h.height)
                                .arg(bytes / (1000 * 1000))
                                .arg(kMaxJpegCoefficientBytes / (1000 * 1000));
                return h;
            }
        }
        break;
    }
    case Kind::Tiff: {
        TiffHeader tiff;
        if (tiff.read(device)) {
            h.width = qint64(std::min<quint64>(tiff.width(), LLONG_MAX));
            h.height = qint64(std::min<quint64>(tiff.height(), LLONG_MAX));
            const quint64 block = tiff.blockWidth() * tiff.blockHeight();
            if (tiff.blockWidth() > quint64(kMaxTiffBlockPixels) || tiff.blockHeight() > quint64(kMaxTiffBlockPixels)
                || block > quint64(kMaxTiffBlockPixels)) {
                h.problem = (tiff.tiled() ? QCoreApplication::translate("ScanHeader", "the TIFF's tiles of %1 x %2 pixels are too large to decode (at most %3 million pixels a tile)")
                                          : QCoreApplication::translate("ScanHeader", "the TIFF's strips of %1 x %2 pixels are too large to decode (at most %3 million pixels a strip)"))
                                .arg(tiff.blockWidth())
                                .arg(tiff.blockHeight())
                                .arg(kMaxTiffBlockPixels / (1000 * 1000));
                return h;
            }
        }
        break;
    }
    case Kind::Other:
    case Kind::None: {
        // What Qt's plugins recognise is read by Qt alone, with the size its
        // handler reads from the header.
        QImageReader reader(&device);
        reader.setDecideFormatFromContent(true);
        if (device.seek(0) && reader.canRead()) {
            h.kind = Kind::Other;
            h.qtFormat = reader.format();
            const QSize size = reader.size();
            h.width = size.isValid() ? size.width() : 0;
            h.height = size.isValid() ? size.height() : 0;
        }
        break;
    }
    }
    if (h.kind != Kind::None && (h.width <= 0 || h.height <= 0))
        h.problem = QCoreApplication::translate("ScanHeader", "cannot decode the image: its header gives no size");
    return h;
}
