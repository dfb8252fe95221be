#include "ui/SheetOverlay.h"

#include <QPainter>
#include <QPolygonF>

void SheetOverlay::paint(QPainter &painter, const QRectF &target, const QSize &imageSize,
                         const std::array<QPointF, 4> &corners, bool hasCorners, const std::vector<QPointF> &points,
                         const QColor &color)
{
    if (imageSize.isEmpty() || target.isEmpty())
        return;
    const double sx = target.width() / imageSize.width();
    const double sy = target.height() / imageSize.height();
    // Pixel centres sit at whole numbers: pixel i spans i - 0.5 .. i + 0.5.
    const auto place = [&](const QPointF &p) {
        return QPointF(target.left() + (p.x() + 0.5) * sx, target.top() + (p.y() + 0.5) * sy);
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, 1.5);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (hasCorners) {
        QPolygonF outline;
        for (const QPointF &c : corners)
            outline << place(c);
        painter.drawPolygon(outline);
    }
    const double arm = 4;
    for (const QPointF &p : points) {
        const QPointF c = place(p);
        painter.drawLine(c - QPointF(arm, 0), c + QPointF(arm, 0));
        painter.drawLine(c - QPointF(0, arm), c + QPointF(0, arm));
    }
    painter.restore();
}

QColor SheetOverlay::markColor(bool judged, bool needsLook)
{
    if (needsLook)
        return QColor(220, 30, 30);
    return judged ? QColor(20, 160, 60) : QColor(120, 120, 120);
}
