#pragma once

#include "imageinfo/ImageLimits.h"

#include <QByteArray>
#include <QString>

#include <opencv2/core.hpp>

class ScanHeader;

// A scan decoded to 8-bit grey at full size, for the frame finder. JPEG, PNG,
// BMP and TIFF go through OpenCV; GIF (which OpenCV does not read) and the
// kinds only Qt's plugins read through Qt. The kind and size come from the
// header first (ScanHeader), so that a scan too large for the map file or for
// memory, or one whose size its header does not tell, is refused before any
// decoder sees it.
class FrameImage
{
public:
    // Largest side a map file can hold (its pixel sizes are 16-bit).
    static constexpr int kMaxSide = ImageLimits::kMaxSide;
    // Largest pixel count decoded: one byte a pixel, 400 MB, which with the
    // reduced copy and the decoder's buffers keeps a scan within memory.
    static constexpr qint64 kMaxPixels = 400LL * 1000 * 1000;

    // Decodes `path`; on failure grey() is empty and reason() says why.
    bool load(const QString &path);

    const cv::Mat &grey() const { return m_grey; }
    QString reason() const { return m_reason; }
    int width() const { return m_grey.cols; }
    int height() const { return m_grey.rows; }

    // The reason for refusing an image of this size, or an empty text.
    static QString sizeProblem(qint64 width, qint64 height);
    // The reason for refusing a scan before decoding it in full from what its
    // header says (kind, size, layout), or an empty text.
    static QString headerProblem(const ScanHeader &header);

private:
    bool loadWithQt(const QString &path, const QByteArray &format);

    cv::Mat m_grey;
    QString m_reason;
};
