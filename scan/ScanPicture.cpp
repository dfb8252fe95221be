#include "scan/ScanPicture.h"

#include "scan/FrameImage.h"
#include "scan/JpegDcDecoder.h"
#include "scan/ScanHeader.h"
#include "imageinfo/ImageLimits.h"
#include "fileio/RegularFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdlib>

namespace {

// Non-JPEG scans above this many pixels go through OpenCV (three bytes a pixel).
constexpr qint64 kQtPixelLimit = 16LL * 1000 * 1000;

QSize fitted(const QSize &size, int maxSide)
{
    if (maxSide <= 0 || (size.width() <= maxSide && size.height() <= maxSide))
        return size;
    return size.scaled(maxSide, maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// The OpenCV reduction flag that still leaves at least `wanted` (JPEG decodes
// at that size; other formats are decoded whole and reduced on the way out).
int reducedFlag(const QSize &source, const QSize &wanted)
{
    if (!source.isValid() || !wanted.isValid())
        return cv::IMREAD_COLOR;
    const double f = std::min(double(source.width()) / wanted.width(), double(source.height()) / wanted.height());
    if (f >= 8)
        return cv::IMREAD_REDUCED_COLOR_8;
    if (f >= 4)
        return cv::IMREAD_REDUCED_COLOR_4;
    if (f >= 2)
        return cv::IMREAD_REDUCED_COLOR_2;
    return cv::IMREAD_COLOR;
}

// Whether libjpeg would decode the JPEG at 1/8 for this size: Qt takes scale
// 1/8 when the wanted size is an eighth of the source or less on both sides.
bool atAnEighth(const QSize &source, const QSize &wanted)
{
    return source.isValid() && wanted.isValid() && !wanted.isEmpty() && source.width() >= 8 * wanted.width()
        && source.height() >= 8 * wanted.height();
}

void freeMat(void *mat)
{
    delete static_cast<cv::Mat *>(mat);
}

// The Mat's pixels as a QImage without a copy: the image owns the Mat.
QImage imageOf(cv::Mat &&bgr)
{
    if (bgr.empty() || bgr.type() != CV_8UC3)
        return QImage();
    auto *owned = new cv::Mat(std::move(bgr));
    return QImage(owned->data, owned->cols, owned->rows, static_cast<qsizetype>(owned->step), QImage::Format_BGR888,
                  &freeMat, owned);
}

// The BMP file header and the start of its information header.
constexpr qint64 kBmpHeader = 34;

// An uncompressed BMP (BI_RGB, BI_BITFIELDS) shorter than its rows of pixels.
bool bmpCutShort(const uchar *h, qint64 fileSize)
{
    if (h[0] != 'B' || h[1] != 'M')
        return false;
    auto u32 = [h](int at) { return quint32(h[at]) | quint32(h[at + 1]) << 8 | quint32(h[at + 2]) << 16 | quint32(h[at + 3]) << 24; };
    const quint32 infoSize = u32(14);
    if (infoSize < 40)
        return false; // an OS/2 header
    const qint64 width = qint32(u32(18));
    const qint64 height = std::abs(qint64(qint32(u32(22))));
    const int bits = h[28] | h[29] << 8;
    const quint32 compression = u32(30);
    if ((compression != 0 && compression != 3) || width <= 0 || bits <= 0 || bits > 64)
        return false;
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return fileSize < qint64(u32(10)) + stride * height;
}

// The warning of a picture decoded from a file cut short, where the readers
// cannot tell which part is missing.
QString partMissing()
{
    return QCoreApplication::translate("ScanPicture", "the scan's data ends early: part of it is missing");
}

} // namespace

QSize ScanPicture::headerSize(const QString &path)
{
    return ScanHeader::read(path).size();
}

ScanPicture::Result ScanPicture::read(const QString &path, int maxSide)
{
    Result r;
    bool cutShort = false;
    {
        // Opened as every scan and map is, before Qt or OpenCV opens it by
        // name: a FIFO or a folder under an image name is refused, never
        // waited on.
        RegularFile file;
        if (!file.open(path)) {
            r.error = QCoreApplication::translate("FrameImage", "cannot open the image: %1").arg(file.errorString());
            return r;
        }
        char head[kBmpHeader];
        if (file.read(head, kBmpHeader) == kBmpHeader)
            cutShort = bmpCutShort(reinterpret_cast<const uchar *>(head), file.size());
    }
    const ScanHeader header = ScanHeader::read(path);
    r.sourceSize = header.size();
    {
        QString problem = FrameImage::headerProblem(header);
        // A thumbnail of a JPEG is decoded at an eighth at most: more pixels
        // than a full decode may hold are fine. Sides longer than a map file
        // can address are not: no map calibrates such a scan, and a header
        // of a few bytes claiming 65535 x 65535 would still cost half a
        // gigabyte at an eighth.
        if (maxSide > 0 && header.kind == ScanHeader::Kind::Jpeg && r.sourceSize.isValid()
            && ImageLimits::sideProblem(header.width, header.height).isEmpty())
            problem = header.problem;
        if (!problem.isEmpty()) {
            r.error = problem;
            return r;
        }
    }

    using Kind = ScanHeader::Kind;
    const bool large = qint64(r.sourceSize.width()) * r.sourceSize.height() > kQtPixelLimit;
    const bool byQt = header.kind == Kind::Jpeg || header.kind == Kind::Gif || header.kind == Kind::Other
        || ((header.kind == Kind::Png || header.kind == Kind::Bmp) && !large);
    if (byQt) {
        QImageReader reader(path, header.qtFormat);
        reader.setAutoTransform(false); // the calibration is in the file's own pixel grid
        const bool jpeg = header.kind == Kind::Jpeg;
        const QSize wanted = fitted(r.sourceSize, maxSide);
        // A thumbnail at an eighth or less from the DC coefficients alone,
        // over twice as fast as libjpeg; the kinds of JPEG it declines,
        // and damaged ones, go to libjpeg below.
        if (jpeg && maxSide > 0 && atAnEighth(r.sourceSize, wanted)) {
            const JpegDcDecoder::Result dc = JpegDcDecoder::read(path);
            if (dc.status == JpegDcDecoder::Status::Decoded && dc.sourceSize == r.sourceSize) {
                r.image = dc.image.size() == wanted
                    ? dc.image
                    : dc.image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                // The only warning of a decoded image: its data ends early.
                if (!dc.message.isEmpty())
                    r.warning = QCoreApplication::translate("ScanPicture", "the scan's data ends early: its lower part is missing");
            }
        }
        if (r.image.isNull()) {
            reader.setScaledSize(wanted);
            // Qt's own limit stays on as a second guard, at what the checked
            // size needs: libjpeg decodes a JPEG thumbnail at an eighth where
            // it can, the other readers the whole image before scaling it.
            const QSize decoded = jpeg && atAnEighth(r.sourceSize, wanted)
                ? QSize((r.sourceSize.width() + 7) / 8, (r.sourceSize.height() + 7) / 8)
                : r.sourceSize;
            const qint64 bytes = 4 * (qint64(decoded.width()) * decoded.height() + qint64(wanted.width()) * wanted.height());
            reader.setAllocationLimit(int(bytes / (1024 * 1024)) + 16);
            r.image = reader.read();
            if (r.image.isNull()) {
                r.error = reader.errorString();
                return r;
            }
            // libjpeg fills what is missing of a JPEG cut short with grey, and
            // says so only on the console.
            if (jpeg && JpegDcDecoder::endsEarly(path))
                r.warning = partMissing();
        }
    } else {
        const QSize wanted = fitted(r.sourceSize, maxSide);
        cv::Mat bgr;
        try {
            bgr = cv::imread(QFile::encodeName(path).toStdString(), reducedFlag(r.sourceSize, wanted));
        } catch (const cv::Exception &e) {
            r.error = QCoreApplication::translate("FrameImage", "cannot decode the image: %1").arg(QString::fromStdString(e.msg).trimmed());
            return r;
        }
        if (bgr.empty()) {
            r.error = QCoreApplication::translate("FrameImage", "cannot decode the image");
            return r;
        }
        const QSize target = fitted(r.sourceSize, maxSide);
        if (maxSide > 0 && (bgr.cols > target.width() || bgr.rows > target.height())) {
            cv::Mat small;
            cv::resize(bgr, small, cv::Size(target.width(), target.height()), 0, 0, cv::INTER_AREA);
            bgr = small;
        }
        r.image = imageOf(std::move(bgr));
    }
    if (maxSide > 0 && (r.image.width() > maxSide || r.image.height() > maxSide)) // a reader that does not scale
        r.image = r.image.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (r.image.isNull() && r.error.isEmpty())
        r.error = QCoreApplication::translate("FrameImage", "cannot decode the image");
    // Qt and OpenCV decode an uncompressed BMP cut short without a word,
    // the missing rows left blank.
    if (!r.image.isNull() && cutShort && r.warning.isEmpty())
        r.warning = partMissing();
    return r;
}
