#include "frame/FrameImage.h"

#include "imageinfo/CImageInfo.h"
#include "mapfile/RegularFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <cstring>

QString FrameImage::sizeProblem(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return QCoreApplication::translate("FrameImage", "the image has no pixels");
    if (width > kMaxSide || height > kMaxSide)
        return QCoreApplication::translate("FrameImage", "the image is %1 x %2 pixels: a map file holds at most %3 pixels a side")
            .arg(width).arg(height).arg(kMaxSide);
    if (width * height > kMaxPixels)
        return QCoreApplication::translate("FrameImage", "the image is %1 x %2 pixels: too large to decode").arg(width).arg(height);
    return {};
}

bool FrameImage::load(const QString &path)
{
    m_grey.release();
    m_reason.clear();
    // Opened as every scan and map is, before any decoder opens it by name: a
    // FIFO or a folder under an image name is refused, never waited on.
    RegularFile file;
    if (!file.open(path)) {
        m_reason = QCoreApplication::translate("FrameImage", "cannot open the image: %1").arg(file.errorString());
        return false;
    }
    QByteArray head(16, '\0');
    const qint64 got = file.read(head.data(), head.size());
    head.truncate(int(std::max<qint64>(got, 0)));
    file.close();

    // The header's size, where it can be read without decoding: our own
    // header reader first, else Qt's image plugins (they read no pixels for it).
    {
        CImageInfo info;
        qint64 w = 0, h = 0;
        if (info.ReadImageInfo(path) && info.Width() > 0 && info.Height() > 0) {
            w = info.Width();
            h = info.Height();
        } else {
            QImageReader reader(path);
            reader.setDecideFormatFromContent(true);
            const QSize size = reader.size();
            if (size.isValid()) {
                w = size.width();
                h = size.height();
            }
        }
        if (w > 0 && h > 0) {
            const QString problem = sizeProblem(w, h);
            if (!problem.isEmpty()) {
                m_reason = problem;
                return false;
            }
        }
    }

    if (head.startsWith("GIF8"))
        return loadWithQt(path);

    try {
        m_grey = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_GRAYSCALE);
    } catch (const cv::Exception &e) {
        m_grey.release();
        m_reason = QCoreApplication::translate("FrameImage", "cannot decode the image: %1").arg(QString::fromStdString(e.msg).trimmed());
        return false;
    }
    if (m_grey.empty()) {
        // OpenCV knows nothing of it: Qt may (its plugins).
        if (loadWithQt(path))
            return true;
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

bool FrameImage::loadWithQt(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
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
