#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <array>
#include <vector>

class QPainter;

// The calibration drawn over a picture of the sheet: the frame outline
// through points 1..4 and a cross at every calibration point.
class SheetOverlay
{
public:
    // `target` is where the whole image of `imageSize` pixels is drawn.
    static void paint(QPainter &painter, const QRectF &target, const QSize &imageSize,
                      const std::array<QPointF, 4> &corners, bool hasCorners, const std::vector<QPointF> &points,
                      const QColor &color);

    // The colour of a verdict's mark: red for a sheet that needs a look,
    // green for one that is ok, grey while the check has not run.
    static QColor markColor(bool judged, bool needsLook);
};
