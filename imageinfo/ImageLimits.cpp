#include "imageinfo/ImageLimits.h"

#include <QCoreApplication>

QString ImageLimits::sideProblem(qint64 width, qint64 height)
{
    if (width <= kMaxSide && height <= kMaxSide)
        return QString();
    return QCoreApplication::translate("FrameImage", "the image is %1 x %2 pixels: a map file holds at most %3 pixels a side")
        .arg(width)
        .arg(height)
        .arg(kMaxSide);
}
