#pragma once

#include <QImage>

#include <algorithm>
#include <cstdlib>

// The largest difference of one colour channel between two images of one
// size; -1 when their sizes differ.
inline int largestChannelDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    const QImage ra = a.convertToFormat(QImage::Format_RGB32);
    const QImage rb = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < ra.height(); ++y) {
        const auto *pa = reinterpret_cast<const QRgb *>(ra.constScanLine(y));
        const auto *pb = reinterpret_cast<const QRgb *>(rb.constScanLine(y));
        for (int x = 0; x < ra.width(); ++x)
            worst = std::max({worst, std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                              std::abs(qBlue(pa[x]) - qBlue(pb[x]))});
    }
    return worst;
}
