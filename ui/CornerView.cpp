#include "ui/CornerView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kHandleRadius = 9;   // widget pixels a press may miss a handle by
constexpr int kPreviewSide = 2048;
constexpr double kLoupeRadius = 70;
constexpr double kLoupeZoom = 10;     // screen pixels per image pixel inside the loupe
const char *const kCornerNames[] = {QT_TRANSLATE_NOOP("CornerView", "NW"), QT_TRANSLATE_NOOP("CornerView", "NE"),
                                    QT_TRANSLATE_NOOP("CornerView", "SE"), QT_TRANSLATE_NOOP("CornerView", "SW")};
} // namespace

CornerView::CornerView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("cornerView"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(300, 200);
}

void CornerView::setImage(const QImage &image)
{
    m_image = image;
    m_preview = QImage();
    m_previewScale = 1;
    if (std::max(image.width(), image.height()) > kPreviewSide) {
        m_preview = image.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_previewScale = double(m_preview.width()) / image.width();
    }
    m_fitted = false;
    fitToWindow();
}

void CornerView::setCorners(const std::array<QPointF, 4> &corners)
{
    m_corners = corners;
    update();
}

void CornerView::setPoints(const std::vector<QPointF> &points)
{
    m_points = points;
    update();
}

QPointF CornerView::toWidget(const QPointF &point) const
{
    // Pixel i spans i - 0.5 .. i + 0.5 of the image's coordinates.
    return (point + QPointF(0.5, 0.5) - m_origin) * m_scale;
}

QPointF CornerView::toImage(const QPointF &widgetPos) const
{
    return widgetPos / m_scale + m_origin - QPointF(0.5, 0.5);
}

void CornerView::fitToWindow()
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return;
    const double s = std::min(double(width()) / m_image.width(), double(height()) / m_image.height());
    m_scale = s;
    m_origin = QPointF((m_image.width() - width() / s) / 2, (m_image.height() - height() / s) / 2);
    m_fitted = true;
    emit zoomChanged(m_scale);
    update();
}

void CornerView::setZoom(double zoom, const QPointF &anchor)
{
    if (m_image.isNull())
        return;
    const double fit = std::min(double(width()) / m_image.width(), double(height()) / m_image.height());
    const double z = std::clamp(zoom, std::min(fit, 1.0) / 2, kMaxZoom);
    const QPointF fixed = anchor / m_scale + m_origin; // the image point under the anchor stays there
    m_scale = z;
    m_origin = fixed - anchor / m_scale;
    emit zoomChanged(m_scale);
    update();
}

void CornerView::centreOn(const QPointF &point)
{
    m_origin = point + QPointF(0.5, 0.5) - QPointF(width(), height()) / (2 * m_scale);
    update();
}

void CornerView::setSelectedHandle(int handle)
{
    m_selected = (handle >= 0 && handle < 4) ? handle : -1;
    update();
}

int CornerView::handleAt(const QPointF &widgetPos) const
{
    int best = -1;
    double bestDistance = kHandleRadius;
    for (int i = 0; i < 4; ++i) {
        const QPointF d = toWidget(m_corners[size_t(i)]) - widgetPos;
        const double distance = std::hypot(d.x(), d.y());
        if (distance <= bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void CornerView::moveCorner(int handle, const QPointF &point)
{
    if (handle < 0 || handle > 3 || m_image.isNull())
        return;
    // Corners are whole pixels, inside the image.
    const QPointF p(std::clamp(std::round(point.x()), 0.0, double(m_image.width() - 1)),
                    std::clamp(std::round(point.y()), 0.0, double(m_image.height() - 1)));
    if (p == m_corners[size_t(handle)])
        return;
    m_corners[size_t(handle)] = p;
    update();
    emit cornersEdited();
}

void CornerView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(60, 60, 60));
    if (m_image.isNull()) {
        p.setPen(Qt::white);
        p.drawText(rect(), Qt::AlignCenter, tr("No image"));
        return;
    }
    // Only the part of the scan in view is drawn; zoomed out, from the reduced copy.
    const QRectF wanted(m_origin, QSizeF(width(), height()) / m_scale);
    const QRectF source = wanted.intersected(QRectF(QPointF(0, 0), QSizeF(m_image.size())));
    if (!source.isEmpty()) {
        const QRectF target((source.topLeft() - m_origin) * m_scale, source.size() * m_scale);
        const bool usePreview = !m_preview.isNull() && m_scale < m_previewScale;
        p.setRenderHint(QPainter::SmoothPixmapTransform, m_scale < 2);
        if (usePreview) {
            const QRectF ps(source.topLeft() * m_previewScale, source.size() * m_previewScale);
            p.drawImage(target, m_preview, ps);
        } else {
            p.drawImage(target, m_image, source);
        }
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF outline;
    for (const QPointF &c : m_corners)
        outline << toWidget(c);
    p.setPen(QPen(QColor(255, 40, 40), 1.5));
    p.drawPolygon(outline);
    p.setPen(QPen(QColor(0, 150, 255), 1.5));
    for (const QPointF &pt : m_points) {
        const QPointF c = toWidget(pt);
        p.drawLine(c - QPointF(6, 0), c + QPointF(6, 0));
        p.drawLine(c - QPointF(0, 6), c + QPointF(0, 6));
    }
    for (int i = 0; i < 4; ++i) {
        const QPointF c = toWidget(m_corners[size_t(i)]);
        const bool sel = i == m_selected;
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(sel ? QColor(255, 220, 0) : QColor(255, 255, 255, 180));
        p.drawRect(QRectF(c - QPointF(5, 5), QSizeF(10, 10)));
        const QString name = tr(kCornerNames[i]);
        const QRectF label(c + QPointF(8, -22), QSizeF(p.fontMetrics().horizontalAdvance(name) + 6, 16));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 170));
        p.drawRoundedRect(label, 3, 3);
        p.setPen(Qt::white);
        p.drawText(label, Qt::AlignCenter, name);
    }
    if (m_mouseInside)
        drawLoupe(p);
}

void CornerView::drawLoupe(QPainter &p)
{
    const QPointF at = toImage(m_mouse);
    QPointF centre = m_mouse + QPointF(kLoupeRadius + 20, -(kLoupeRadius + 20));
    centre.setX(centre.x() + kLoupeRadius > width() ? m_mouse.x() - kLoupeRadius - 20 : centre.x());
    centre.setY(centre.y() - kLoupeRadius < 0 ? m_mouse.y() + kLoupeRadius + 20 : centre.y());
    const double zoom = std::max(kLoupeZoom, m_scale * 2);
    const double half = kLoupeRadius / zoom;
    // The image area round the cursor point (pixel centres at whole numbers).
    const QRectF source(at.x() + 0.5 - half, at.y() + 0.5 - half, 2 * half, 2 * half);
    const QRectF target(centre - QPointF(kLoupeRadius, kLoupeRadius), QSizeF(2, 2) * kLoupeRadius);
    p.save();
    QPainterPath circle;
    circle.addEllipse(target);
    p.setClipPath(circle);
    p.fillRect(target, QColor(40, 40, 40));
    const QRectF clipped = source.intersected(QRectF(QPointF(0, 0), QSizeF(m_image.size())));
    if (!clipped.isEmpty()) {
        const QRectF t(target.topLeft() + (clipped.topLeft() - source.topLeft()) * zoom, clipped.size() * zoom);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(t, m_image, clipped);
    }
    // The frame's outline only: the brush left from the corner labels would
    // darken the whole sheet inside the loupe.
    p.setPen(QPen(QColor(255, 40, 40), 1));
    p.setBrush(Qt::NoBrush);
    const auto inLoupe = [&](const QPointF &pt) {
        return target.topLeft() + (pt + QPointF(0.5, 0.5) - source.topLeft()) * zoom;
    };
    QPolygonF outline;
    for (const QPointF &c : m_corners)
        outline << inLoupe(c);
    p.drawPolygon(outline);
    p.setPen(QPen(QColor(0, 255, 255), 1));
    p.drawLine(QPointF(centre.x() - 8, centre.y()), QPointF(centre.x() + 8, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - 8), QPointF(centre.x(), centre.y() + 8));
    p.restore();
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(target);
    p.drawText(QRectF(target.left(), target.bottom() + 2, target.width(), 16), Qt::AlignHCenter,
               QStringLiteral("%1, %2").arg(std::lround(at.x())).arg(std::lround(at.y())));
}

void CornerView::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        setZoom(m_scale * std::pow(1.25, steps), event->position());
    event->accept();
}

void CornerView::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    m_last = event->position();
    if (event->button() == Qt::LeftButton) {
        const int h = handleAt(event->position());
        if (h >= 0) {
            m_dragging = h;
            setSelectedHandle(h);
            return;
        }
    }
    m_panning = true;
    setCursor(Qt::ClosedHandCursor);
}

void CornerView::mouseMoveEvent(QMouseEvent *event)
{
    m_mouse = event->position();
    m_mouseInside = true;
    if (m_dragging >= 0) {
        moveCorner(m_dragging, toImage(event->position()));
    } else if (m_panning) {
        m_origin -= (event->position() - m_last) / m_scale;
    }
    m_last = event->position();
    update();
}

void CornerView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging >= 0)
        moveCorner(m_dragging, toImage(event->position()));
    m_dragging = -1;
    m_panning = false;
    unsetCursor();
}

void CornerView::keyPressEvent(QKeyEvent *event)
{
    QPointF step;
    switch (event->key()) {
    case Qt::Key_Left:
        step = QPointF(-1, 0);
        break;
    case Qt::Key_Right:
        step = QPointF(1, 0);
        break;
    case Qt::Key_Up:
        step = QPointF(0, -1);
        break;
    case Qt::Key_Down:
        step = QPointF(0, 1);
        break;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
        setSelectedHandle(event->key() - Qt::Key_1);
        centreOn(m_corners[size_t(m_selected)]);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (m_selected < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    moveCorner(m_selected, m_corners[size_t(m_selected)] + step);
}

void CornerView::leaveEvent(QEvent *event)
{
    m_mouseInside = false;
    update();
    QWidget::leaveEvent(event);
}

void CornerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_fitted)
        fitToWindow();
}
