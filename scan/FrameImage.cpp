#include "scan/FrameImage.h"

#include "scan/ScanHeader.h"
#include "imageinfo/ImageLimits.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cstring>

QString FrameImage::sizeProblem(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return QCoreApplication::translate("FrameImage", "the image has no pixels");
    if (const QString side = ImageLimits::sideProblem(width, height); !side.isEmpty())
        return side;
    if (width * height > kMaxPixels)
        return QCoreApplication::translate("FrameImage", "the image is %1 x %2 pixels: too large to decode").arg(width).arg(height);
    return {};
}

QString FrameImage::headerProblem(const ScanHeader &header)
{
    if (header.kind == ScanHeader::Kind::None)
        return header.problem.isEmpty() ? QCoreApplication::translate("FrameImage", "cannot decode the image") : header.problem;
    const QString size = header.width > 0 && header.height > 0 ? sizeProblem(header.width, header.height) : QString();
    return size.isEmpty() ? header.problem : size;
}

bool FrameImage::load(const QString &path)
{
    m_grey.release();
    m_reason.clear();
    // The kind and size from the header, read through a file opened as every
    // scan and map is (a FIFO or a folder under an image name is refused,
    // never waited on): nothing is decoded before its size is checked.
    const ScanHeader header = ScanHeader::read(path);
    m_reason = headerProblem(header);
    if (!m_reason.isEmpty())
        return false;

    // GIF, which OpenCV does not read, and the kinds only Qt's plugins read.
    if (header.kind == ScanHeader::Kind::Gif || header.kind == ScanHeader::Kind::Other)
        return loadWithQt(path, header.qtFormat);

    try {
        m_grey = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_GRAYSCALE);
    } catch (const cv::Exception &e) {
        m_grey.release();
        m_reason = QCoreApplication::translate("FrameImage", "cannot decode the image: %1").arg(QString::fromStdString(e.msg).trimmed());
        return false;
    }
    if (m_grey.empty()) {
        m_reason = QCoreApplication::translate("FrameImage", "cannot decode the image");
        return false;
    }
    const QString problem = sizeProblem(m_grey.cols, m_grey.rows);
    if (!problem.isEmpty()) {
        m_grey.release();
        m_reason = problem;
        return false;
    }
    return true;
}

bool FrameImage::loadWithQt(const QString &path, const QByteArray &format)
{
    QImageReader reader(path, format);
    // Qt decodes to four bytes a pixel before the grey copy: a quarter of the
    // pixels keeps it within the same memory.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels / 4) {
        m_reason = QCoreApplication::translate("FrameImage", "the image is %1 x %2 pixels: too large to decode").arg(size.width()).arg(size.height());
        return false;
    }
    reader.setAllocationLimit(static_cast<int>(kMaxPixels / (1000 * 1000)) + 16);
    QImage image = reader.read();
    if (image.isNull()) {
        m_reason = QCoreApplication::translate("FrameImage", "cannot decode the image: %1").arg(reader.errorString());
        return false;
    }
    const QString problem = sizeProblem(image.width(), image.height());
    if (!problem.isEmpty()) {
        m_reason = problem;
        return false;
    }
    image = image.convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull()) {
        m_reason = QCoreApplication::translate("FrameImage", "cannot decode the image: out of memory");
        return false;
    }
    m_grey.create(image.height(), image.width(), CV_8UC1);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(m_grey.ptr(y), image.constScanLine(y), static_cast<size_t>(image.width()));
    return true;
}
