#include "ui/CoverageView.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kMargin = 60; // widget pixels round the sheets, room for the grid labels

bool usable(const QPolygonF &p)
{
    if (p.size() != 4)
        return false;
    for (const QPointF &c : p) {
        if (!std::isfinite(c.x()) || !std::isfinite(c.y()) || std::fabs(c.y()) > 90 || std::fabs(c.x()) > 180)
            return false;
    }
    return p.boundingRect().width() > 0 && p.boundingRect().height() > 0;
}

// A grid step in degrees giving a handful of lines over `span` degrees.
double gridStep(double span)
{
    static const double steps[] = {1.0 / 60, 2.0 / 60, 5.0 / 60, 10.0 / 60, 0.25, 0.5, 1, 2, 3, 6, 12, 30};
    for (double s : steps) {
        if (span / s <= 8)
            return s;
    }
    return 60;
}

QString degreeText(double value, bool latitude)
{
    const QChar hemisphere = latitude ? (value < 0 ? u'S' : u'N') : (value < 0 ? u'W' : u'E');
    double a = std::fabs(value);
    int d = int(std::floor(a + 1e-9));
    int m = int(std::lround((a - d) * 60));
    if (m == 60) {
        ++d;
        m = 0;
    }
    return m == 0 ? QStringLiteral("%1°%2").arg(d).arg(hemisphere)
                  : QStringLiteral("%1°%2'%3").arg(d).arg(m, 2, 10, QLatin1Char('0')).arg(hemisphere);
}

} // namespace

CoverageView::CoverageView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("coverage"));
    setMinimumSize(200, 150);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void CoverageView::setFootprints(const std::vector<Footprint> &footprints)
{
    m_footprints.clear();
    for (const Footprint &f : footprints) {
        if (usable(f.lonLat))
            m_footprints.push_back(f);
    }
    update();
}

void CoverageView::setSelected(int id)
{
    m_selected = id;
    update();
}

QRectF CoverageView::bounds() const
{
    QRectF r;
    for (const Footprint &f : m_footprints)
        r = r.isNull() ? f.lonLat.boundingRect() : r.united(f.lonLat.boundingRect());
    return r;
}

QPointF CoverageView::toWidget(const QPointF &lonLat) const
{
    const QRectF b = bounds();
    if (b.isEmpty())
        return QPointF();
    // Degrees of longitude are shorter than degrees of latitude away from the equator.
    const double shrink = std::max(0.1, std::cos(b.center().y() * std::numbers::pi / 180));
    const double w = b.width() * shrink;
    const double h = b.height();
    const double avW = std::max(1.0, width() - 2 * kMargin);
    const double avH = std::max(1.0, height() - 2 * kMargin);
    const double scale = std::min(avW / w, avH / h);
    const double offX = kMargin + (avW - w * scale) / 2;
    const double offY = kMargin + (avH - h * scale) / 2;
    return QPointF(offX + (lonLat.x() - b.left()) * shrink * scale, offY + (b.bottom() - lonLat.y()) * scale);
}

QPointF CoverageView::footprintCentre(int id) const
{
    for (const Footprint &f : m_footprints) {
        if (f.id == id) {
            QPointF sum;
            for (const QPointF &c : f.lonLat)
                sum += toWidget(c);
            return sum / 4;
        }
    }
    return QPointF(-1, -1);
}

int CoverageView::footprintAt(const QPointF &pos) const
{
    int best = -1;
    double bestArea = 0;
    for (const Footprint &f : m_footprints) {
        QPolygonF shape;
        for (const QPointF &c : f.lonLat)
            shape << toWidget(c);
        if (!shape.containsPoint(pos, Qt::OddEvenFill))
            continue;
        const double area = shape.boundingRect().width() * shape.boundingRect().height();
        if (best < 0 || area < bestArea) {
            best = f.id;
            bestArea = area;
        }
    }
    return best;
}

void CoverageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (m_footprints.empty()) {
        p.setPen(Qt::gray);
        p.drawText(rect(), Qt::AlignCenter, tr("No sheet with latitudes and longitudes"));
        return;
    }
    const QRectF b = bounds();
    const double step = gridStep(std::max(b.width(), b.height()));
    p.setPen(QPen(QColor(200, 200, 200), 1));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    p.setFont(small);
    for (double lon = std::ceil(b.left() / step - 1e-9) * step; lon <= b.right() + 1e-9; lon += step) {
        const QPointF top = toWidget(QPointF(lon, b.bottom())), bottom = toWidget(QPointF(lon, b.top()));
        p.setPen(QPen(QColor(200, 200, 200), 1));
        p.drawLine(top, bottom);
        p.setPen(QColor(90, 90, 90));
        p.drawText(QRectF(bottom.x() - 40, bottom.y() + 2, 80, 16), Qt::AlignHCenter | Qt::AlignTop,
                   degreeText(lon, false));
    }
    for (double lat = std::ceil(b.top() / step - 1e-9) * step; lat <= b.bottom() + 1e-9; lat += step) {
        const QPointF left = toWidget(QPointF(b.left(), lat)), right = toWidget(QPointF(b.right(), lat));
        p.setPen(QPen(QColor(200, 200, 200), 1));
        p.drawLine(left, right);
        p.setPen(QColor(90, 90, 90));
        p.drawText(QRectF(0, left.y() - 8, left.x() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   degreeText(lat, true));
    }
    p.setFont(font());
    for (const Footprint &f : m_footprints) {
        QPolygonF shape;
        for (const QPointF &c : f.lonLat)
            shape << toWidget(c);
        const bool sel = f.id == m_selected;
        QColor fill = f.needsLook ? QColor(230, 60, 60, 60) : QColor(40, 120, 230, 45);
        if (sel)
            fill = QColor(255, 200, 0, 120);
        p.setBrush(fill);
        p.setPen(QPen(f.needsLook ? QColor(200, 30, 30) : QColor(30, 90, 200), sel ? 2.5 : 1.2));
        p.drawPolygon(shape);
        p.setPen(Qt::black);
        p.drawText(shape.boundingRect(), Qt::AlignCenter | Qt::TextWordWrap, f.name);
    }
}

void CoverageView::mousePressEvent(QMouseEvent *event)
{
    const int id = footprintAt(event->position());
    if (id >= 0) {
        setSelected(id);
        emit sheetClicked(id);
    }
}
