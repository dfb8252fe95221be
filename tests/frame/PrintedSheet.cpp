#include "frame/PrintedSheet.h"

#include "frame/StrokeFont.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetIdentity.h"

#include <QLineF>
#include <QPainter>
#include <QPainterPath>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180;

// Gauss-Krueger on the Krasovsky ellipsoid: northing and easting (metres,
// easting from the central meridian) of a point.
void gaussKrueger(double lat, double lon, double centralMeridian, double *north, double *east)
{
    const double a = 6378245.0, f = 1 / 298.3;
    const double e2 = f * (2 - f), e4 = e2 * e2, e6 = e4 * e2, ep2 = e2 / (1 - e2);
    const double phi = lat * kDeg;
    const double s = std::sin(phi), c = std::cos(phi), t = std::tan(phi);
    const double n = a / std::sqrt(1 - e2 * s * s);
    const double tt = t * t, cc = ep2 * c * c, aa = (lon - centralMeridian) * kDeg * c;
    const double m = a * ((1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256) * phi
                          - (3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024) * std::sin(2 * phi)
                          + (15 * e4 / 256 + 45 * e6 / 1024) * std::sin(4 * phi) - (35 * e6 / 3072) * std::sin(6 * phi));
    const double a2 = aa * aa;
    *north = m + n * t * (a2 / 2 + (5 - tt + 9 * cc + 4 * cc * cc) * a2 * a2 / 24
                          + (61 - 58 * tt + tt * tt + 600 * cc - 330 * ep2) * a2 * a2 * a2 / 720);
    *east = n * (aa + (1 - tt + cc) * aa * a2 / 6 + (5 - 18 * tt + tt * tt + 72 * cc - 58 * ep2) * aa * a2 * a2 / 120);
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
}

QColor grey(int v)
{
    v = std::clamp(v, 0, 255);
    return QColor(v, v, v);
}

QString degrees(double value)
{
    const double a = std::abs(value);
    int d = static_cast<int>(std::floor(a + 1e-9));
    int m = static_cast<int>(std::lround((a - d) * 60));
    if (m == 60) { ++d; m = 0; }
    return QStringLiteral("%1\u00B0%2'").arg(d).arg(m, 2, 10, QLatin1Char('0'));
}

// A place name of Russian syllables.
QString placeName(PrintedSheet::Rng &rng)
{
    static const char16_t *const first[] = {u"НОВО", u"СТАРО", u"ДУБ", u"БЕРЕЗ", u"КРАСН", u"ГОР", u"ЛЕС", u"ПОЛ",
                                            u"ВЕРХ", u"КАМ", u"СОСН", u"ЛИП", u"МАЛ", u"БОЛЬШ", u"ЗАРЕЧ", u"ПЕСК"};
    static const char16_t *const last[] = {u"ОВКА", u"ИНО", u"ЕВО", u"ОЕ", u"КИ", u"ИЦА", u"НОЕ", u"ЯНКА", u"ЕЦ",
                                           u"ЬЕ", u"ОВО", u"АЯ", u"ИХА", u"УША"};
    QString s = QString::fromUtf16(first[rng() % std::size(first)]) + QString::fromUtf16(last[rng() % std::size(last)]);
    if (PrintedSheet::chance(rng, 0.5))
        s = s.left(1) + s.mid(1).toLower();
    return s;
}

// Text centred on a point, turned by `angle` degrees.
void centred(QPainter &p, const QPointF &c, const QString &text, double height, double weight, double angle = 0)
{
    p.save();
    p.translate(c);
    p.rotate(angle);
    StrokeFont::draw(p, QPointF(-StrokeFont::width(text, height) / 2, height / 2), text, height, weight);
    p.restore();
}

// The regions of a field above a level, as closed paths in millimetres
// (field cells `cell` mm from `origin`).
QPainterPath regions(const cv::Mat &field, float level, const QPointF &origin, double cell, bool filled)
{
    cv::Mat up;
    cv::resize(field, up, cv::Size(), 4, 4, cv::INTER_CUBIC);
    cv::Mat mask = up > level;
    std::vector<std::vector<cv::Point>> contours;
    std::vector<cv::Vec4i> hierarchy;
    cv::findContours(mask, contours, hierarchy, filled ? cv::RETR_CCOMP : cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const double s = cell / 4;
    for (const auto &c : contours) {
        if (c.size() < 4)
            continue;
        std::vector<cv::Point> simple;
        cv::approxPolyDP(c, simple, 0.7, true);
        if (simple.size() < 3)
            continue;
        QPolygonF poly;
        for (const cv::Point &q : simple)
            poly << origin + QPointF((q.x + 0.5) * s, (q.y + 0.5) * s);
        poly << poly.first();
        path.addPolygon(poly);
    }
    return path;
}

// A smooth random field over a box, cells of `cell` mm.
cv::Mat field(PrintedSheet::Rng &rng, int w, int h, int hills, double minSigma, double maxSigma)
{
    cv::Mat f(h, w, CV_32F, cv::Scalar(0));
    for (int i = 0; i < hills; ++i) {
        const double cx = PrintedSheet::uniform(rng, -0.1, 1.1) * w, cy = PrintedSheet::uniform(rng, -0.1, 1.1) * h;
        const double sg = PrintedSheet::uniform(rng, minSigma, maxSigma);
        const double amp = PrintedSheet::uniform(rng, -0.6, 1.0);
        for (int y = 0; y < h; ++y) {
            float *row = f.ptr<float>(y);
            for (int x = 0; x < w; ++x) {
                const double d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (2 * sg * sg);
                if (d2 < 12)
                    row[x] += static_cast<float>(amp * std::exp(-d2));
            }
        }
    }
    return f;
}

float quantile(const cv::Mat &f, double q)
{
    std::vector<float> v(f.begin<float>(), f.end<float>());
    const size_t k = std::min(v.size() - 1, static_cast<size_t>(q * v.size()));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

} // namespace

struct PrintedSheet::Ink
{
    QColor paper, black, frame, outer, brown, blue, water, forest, orange, grey, sand;
};

PrintedSheet::PrintedSheet(const SheetScan &scan)
    : m_scan(scan), m_print(scan.print)
{
    const SheetIdentity id = SheetIdentity::check(scan.sheetName + ".png", scan.scale, QStringLiteral("R-CC-LLL"));
    if (!id.ok())
        return;
    const SheetFields f = id.fields();
    for (int k = 0; k < 4; ++k) {
        m_lat[k] = SheetGeometry::latitude(f, k + 1);
        m_lon[k] = SheetGeometry::longitude(f, k + 1);
    }
    // Corners NW, NE, SE, SW as they lie on the ground.
    if (m_lat[0] < m_lat[3]) {
        std::swap(m_lat[0], m_lat[3]);
        std::swap(m_lat[1], m_lat[2]);
    }
    m_lonMid = (m_lon[0] + m_lon[1]) / 2;
    m_latMid = (m_lat[0] + m_lat[3]) / 2;
    m_mmPerM = 1.0 / scan.scale;
    m_centralMeridian = (id.col - 1) * 6 - 180 + 3;
    m_zone = id.col > 30 ? id.col - 30 : id.col + 30;
    // Stand the sheet upright about its centre: its middle meridian vertical.
    m_turn = 0;
    m_shift = QPointF();
    const QPointF s = project(m_lat[3], m_lonMid), n = project(m_lat[0], m_lonMid);
    const double a = std::atan2(n.x() - s.x(), -(n.y() - s.y()));
    m_shift = project((m_lat[0] + m_lat[3]) / 2, m_lonMid);
    m_turn = -a;
    m_gridTurn = m_print.curved ? 0 : -a / kDeg;
    for (int k = 0; k < 4; ++k)
        m_corner[k] = project(m_lat[k], m_lon[k]);
    m_minutes[0] = m_minutes[2] = std::abs(m_lon[1] - m_lon[0]) * 60;
    m_minutes[1] = m_minutes[3] = std::abs(m_lat[0] - m_lat[3]) * 60;
    m_ok = true;
}

QPointF PrintedSheet::project(double lat, double lon) const
{
    QPointF p;
    if (m_print.curved) {
        // Polyconic: parallels are arcs about the pole, true to scale along
        // them; the middle meridian straight.
        const double r = 6371000.0;
        const double m = r * (lat - m_latMid) * kDeg;
        const double dl = (lon - m_lonMid) * kDeg;
        const double phi = std::abs(lat) * kDeg;
        if (phi < 1e-6) {
            p = QPointF(r * dl, -m);
        } else {
            const double rho = r / std::tan(phi);
            const double th = dl * std::sin(phi);
            const double sign = lat >= 0 ? 1 : -1;
            p = QPointF(rho * std::sin(th), -m - sign * rho * (1 - std::cos(th)));
        }
    } else {
        double north = 0, east = 0;
        gaussKrueger(lat, lon, m_centralMeridian, &north, &east);
        p = QPointF(east, -north);
    }
    p *= m_mmPerM;
    p -= m_shift;
    const double c = std::cos(m_turn), s = std::sin(m_turn);
    return QPointF(p.x() * c - p.y() * s, p.x() * s + p.y() * c);
}

QPointF PrintedSheet::curve(int edge, double t) const
{
    if (m_print.curved && (edge == 0 || edge == 2)) {
        const double lat = edge == 0 ? m_lat[0] : m_lat[3];
        const double lon = edge == 0 ? m_lon[0] + t * (m_lon[1] - m_lon[0]) : m_lon[1] - t * (m_lon[1] - m_lon[0]);
        return project(lat, lon);
    }
    const QPointF a = m_corner[edge], b = m_corner[(edge + 1) % 4];
    return a + (b - a) * t;
}

QPointF PrintedSheet::outward(int edge, double t) const
{
    const double h = 1e-3;
    const QPointF d = curve(edge, t + h) - curve(edge, t - h);
    const double n = std::hypot(d.x(), d.y());
    return QPointF(d.y() / n, -d.x() / n);
}

QPointF PrintedSheet::at(int edge, double t, double offset) const
{
    return curve(edge, t) + outward(edge, t) * offset;
}

QPolygonF PrintedSheet::outline(const std::array<double, 4> &offset) const
{
    QPolygonF poly;
    for (int k = 0; k < 4; ++k) {
        const int prev = (k + 3) % 4;
        const QPointF a = at(prev, 1, offset[prev]), b = at(k, 0, offset[k]);
        const QPointF da = curve(prev, 1) - curve(prev, 1 - 1e-3), db = curve(k, 1e-3) - curve(k, 0);
        QPointF x;
        if (QLineF(a, a + da).intersects(QLineF(b, b + db), &x) == QLineF::NoIntersection)
            x = b;
        poly << x;
        const int n = m_print.curved && (k == 0 || k == 2) ? 64 : 1;
        for (int i = 1; i < n; ++i)
            poly << at(k, double(i) / n, offset[k]);
    }
    return poly;
}

double PrintedSheet::outerOutside() const
{
    return m_print.band + m_print.strip + m_print.outerGap + m_print.outerPen;
}

void PrintedSheet::paint(QPainter &p, Rng &rng) const
{
    const bool colour = m_scan.colour;
    Ink ink;
    ink.paper = m_scan.yellowed ? QColor(244, 236, 208) : grey(m_print.paper);
    auto faded = [&](const QColor &c) { return mix(c, ink.paper, m_print.fade); };
    const int v = m_print.frameInk;
    QColor frame = grey(v);
    if (m_print.frameHue == 1)
        frame = QColor(v * 4 / 10, std::min(255, v * 7 / 10 + 40), std::min(255, v + 150));
    else if (m_print.frameHue == 2)
        frame = QColor(std::min(255, v + 120), std::min(255, v * 8 / 10 + 60), std::min(255, v / 2 + 20));
    if (!colour)
        frame = grey(qGray(frame.rgb()));
    ink.frame = faded(frame);
    ink.outer = m_print.outerDithered ? faded(grey(uniform(rng, 60, 110))) : ink.frame;
    ink.black = faded(grey(std::min(v, 45)));
    ink.brown = faded(colour ? QColor(178, 104, 48) : grey(120));
    ink.blue = faded(colour ? QColor(30, 120, 200) : grey(95));
    ink.water = faded(colour ? QColor(178, 222, 242) : grey(218));
    ink.forest = faded(colour ? QColor(196, 230, 170) : grey(212));
    ink.orange = faded(colour ? QColor(244, 160, 70) : grey(170));
    ink.grey = faded(grey(150));
    ink.sand = faded(colour ? QColor(120, 100, 60) : grey(110));

    const double out = outerOutside();
    const std::array<double, 4> paperAt{{out + m_print.paperEdge[0], out + m_print.paperEdge[1],
                                         out + m_print.paperEdge[2], out + m_print.paperEdge[3]}};
    p.setPen(Qt::NoPen);
    p.setBrush(ink.paper);
    p.drawPolygon(outline(paperAt));
    p.setBrush(Qt::NoBrush);
    if (m_print.content)
        paintMap(p, rng, ink);
    if (m_print.content && m_print.edgeRoads)
        paintEdgeRoads(p, rng, ink);
    if (m_print.grid)
        paintGrid(p, rng, ink);
    paintFrame(p, rng, ink);
    paintCollar(p, rng, ink);
}

void PrintedSheet::paintRelief(QPainter &p, Rng &rng, const Ink &ink) const
{
    const QRectF box = outline(0).boundingRect().adjusted(-4, -4, 4, 4);
    const double cell = 2.0;
    const int w = static_cast<int>(box.width() / cell) + 1, h = static_cast<int>(box.height() / cell) + 1;
    // Forest and other tints, reaching the frame.
    if (m_print.tints) {
        const cv::Mat forest = field(rng, w, h, 90, 3, 20);
        const float level = quantile(forest, uniform(rng, 0.45, 0.8));
        p.setPen(Qt::NoPen);
        p.setBrush(ink.forest);
        p.drawPath(regions(forest, level, box.topLeft(), cell, true));
        p.setBrush(Qt::NoBrush);
    }
    // Contours: every fifth thicker.
    const cv::Mat relief = field(rng, w, h, 70, 4, 40);
    double lo = 0, hi = 0;
    cv::minMaxLoc(relief, &lo, &hi);
    const int levels = static_cast<int>(uniform(rng, 20, 50));
    const double step = (hi - lo) / levels;
    const double pen = uniform(rng, 0.08, 0.14);
    for (int i = 1; i < levels; ++i) {
        p.setPen(QPen(ink.brown, i % 5 == 0 ? pen * 2 : pen));
        p.drawPath(regions(relief, static_cast<float>(lo + i * step), box.topLeft(), cell, false));
    }
    // Sand and marsh patterns.
    if (m_print.patterns) {
        const int n = 2 + static_cast<int>(rng() % 5);
        for (int i = 0; i < n; ++i) {
            // Some of them over an edge of the frame.
            QPointF c(uniform(rng, box.left(), box.right()), uniform(rng, box.top(), box.bottom()));
            if (chance(rng, 0.5))
                c = at(static_cast<int>(rng() % 4), uniform(rng, 0.1, 0.9), 0);
            const double rx = uniform(rng, 8, 40), ry = uniform(rng, 6, 30);
            QPainterPath blob;
            blob.addEllipse(c, rx, ry);
            p.save();
            p.setClipPath(blob, Qt::IntersectClip);
            const bool marsh = chance(rng, 0.5);
            const double gap = uniform(rng, 0.5, 1.0);
            p.setPen(marsh ? QPen(ink.blue, 0.1) : Qt::NoPen);
            p.setBrush(marsh ? Qt::NoBrush : QBrush(ink.sand));
            for (double y = c.y() - ry; y < c.y() + ry; y += gap * (marsh ? 1.6 : 1))
                for (double x = c.x() - rx + (std::fmod(y, 2 * gap) < gap ? 0 : gap / 2); x < c.x() + rx; x += gap * (marsh ? 3 : 1)) {
                    if (marsh)
                        p.drawLine(QPointF(x, y), QPointF(x + gap * 1.5, y));
                    else
                        p.drawEllipse(QPointF(x, y), 0.09, 0.09);
                }
            p.restore();
        }
        p.setBrush(Qt::NoBrush);
    }
    // Lakes, or the sea over a large part of the sheet.
    if (m_print.water == 1) {
        const cv::Mat lakes = field(rng, w, h, 12, 3, 12);
        p.setPen(QPen(ink.blue, 0.12));
        p.setBrush(ink.water);
        p.drawPath(regions(lakes, quantile(lakes, 0.97), box.topLeft(), cell, true));
    }
    p.setBrush(Qt::NoBrush);
}

void PrintedSheet::paintMap(QPainter &p, Rng &rng, const Ink &ink) const
{
    const QPolygonF inner = outline(0);
    QPainterPath clip;
    clip.addPolygon(inner);
    clip.closeSubpath();
    p.save();
    p.setClipPath(clip);
    const QRectF box = inner.boundingRect();
    const double area = box.width() * box.height() / 10000; // square decimetres
    auto randomPoint = [&](double margin) {
        return QPointF(uniform(rng, box.left() - margin, box.right() + margin),
                       uniform(rng, box.top() - margin, box.bottom() + margin));
    };
    auto wander = [&](QPointF a, double stepLen, int steps, double bend) {
        QPainterPath path(a);
        double dir = uniform(rng, 0, 2 * kPi);
        for (int i = 0; i < steps; ++i) {
            dir += uniform(rng, -bend, bend);
            a += QPointF(std::cos(dir), std::sin(dir)) * stepLen;
            path.lineTo(a);
        }
        return path;
    };
    // Relief, tints, water (the sea is painted last of these: it stays blank).
    const int water = m_print.water;
    paintRelief(p, rng, ink);
    // Rivers.
    const int rivers = 1 + static_cast<int>(area * uniform(rng, 0.1, 0.5));
    for (int i = 0; i < rivers; ++i) {
        p.setPen(QPen(ink.blue, uniform(rng, 0.15, 0.45), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(wander(randomPoint(20), 2, 150, 0.35));
    }
    const int streams = static_cast<int>(area * uniform(rng, 1, 4));
    p.setPen(QPen(ink.blue, 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int i = 0; i < streams; ++i)
        p.drawPath(wander(randomPoint(5), 1, static_cast<int>(uniform(rng, 10, 60)), 0.5));
    // Roads: main roads double-lined with a fill, others single, tracks dashed.
    const int roads = 4 + static_cast<int>(area * uniform(rng, 0.6, 2.0));
    for (int i = 0; i < roads; ++i) {
        const QPainterPath path = wander(randomPoint(30), 3, 120, 0.12);
        const double pick = uniform(rng, 0, 1);
        const int kind = pick < 0.2 ? 0 : pick < 0.55 ? 1 : pick < 0.9 ? 2 : 3;
        if (kind == 0) {
            const double wdt = uniform(rng, 0.6, 1.1);
            p.setPen(QPen(ink.black, wdt + 0.2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
            p.drawPath(path);
            p.setPen(QPen(ink.orange, wdt, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
            p.drawPath(path);
        } else if (kind == 1) {
            p.setPen(QPen(ink.black, uniform(rng, 0.2, 0.4), Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
            p.drawPath(path);
        } else if (kind == 2) {
            QPen pen(ink.black, 0.15, Qt::DashLine, Qt::FlatCap);
            p.setPen(pen);
            p.drawPath(path);
        } else {
            // A railway: black with white dashes.
            p.setPen(QPen(ink.black, 0.6, Qt::SolidLine, Qt::FlatCap));
            p.drawPath(path);
            QPen dash(ink.paper, 0.3, Qt::CustomDashLine, Qt::FlatCap);
            dash.setDashPattern({10, 10});
            p.setPen(dash);
            p.drawPath(path);
        }
    }
    // Settlements: houses, town blocks, names.
    const int places = 4 + static_cast<int>(area * uniform(rng, 1.5, 4));
    for (int i = 0; i < places; ++i) {
        const QPointF c = randomPoint(5);
        const bool town = chance(rng, 0.2);
        const int houses = town ? 20 : 4 + static_cast<int>(rng() % 30);
        const double spread = town ? uniform(rng, 4, 12) : uniform(rng, 1.5, 5);
        p.setPen(town ? QPen(ink.black, 0.1) : Qt::NoPen);
        for (int j = 0; j < houses; ++j) {
            const QPointF h = c + QPointF(uniform(rng, -spread, spread), uniform(rng, -spread, spread) * 0.6);
            const double s = town ? uniform(rng, 0.8, 2.5) : uniform(rng, 0.4, 1.0);
            p.setBrush(town ? ink.orange : ink.black);
            p.drawRect(QRectF(h, QSizeF(s, s * uniform(rng, 0.6, 1.4))));
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(ink.black);
        const double th = town ? uniform(rng, 2.5, 4.5) : uniform(rng, 1.4, 2.4);
        StrokeFont::draw(p, c + QPointF(spread + 1, -spread * 0.3), placeName(rng), th, town ? 0.14 : 0.1);
    }
    // Spot heights and small lettering.
    const int spots = static_cast<int>(area * uniform(rng, 1, 4));
    for (int i = 0; i < spots; ++i) {
        const QPointF c = randomPoint(3);
        p.setPen(Qt::NoPen);
        p.setBrush(ink.black);
        p.drawEllipse(c, 0.2, 0.2);
        p.setBrush(Qt::NoBrush);
        p.setPen(chance(rng, 0.5) ? ink.black : ink.brown);
        StrokeFont::draw(p, c + QPointF(0.6, 0.6), QString::number(100 + rng() % 900) + (chance(rng, 0.3) ? ",5" : ""),
                         1.3, 0.1);
    }
    if (water == 2) {
        // The sea over a large part: blank, without roads and houses.
        const QRectF fieldBox = box.adjusted(-4, -4, 4, 4);
        const double cell = 2.0;
        const int w = static_cast<int>(fieldBox.width() / cell) + 1, h = static_cast<int>(fieldBox.height() / cell) + 1;
        cv::Mat sea = field(rng, w, h, 20, 10, 40) * 0.4;
        const double angle = uniform(rng, 0, 2 * kPi);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                sea.at<float>(y, x) += static_cast<float>((std::cos(angle) * x / w + std::sin(angle) * y / h) * 2.5);
        p.setPen(QPen(ink.blue, 0.2));
        p.setBrush(ink.water);
        p.drawPath(regions(sea, quantile(sea, uniform(rng, 0.5, 0.8)), fieldBox.topLeft(), cell, true));
            p.setBrush(Qt::NoBrush);
    }
    p.restore();
}

void PrintedSheet::paintEdgeRoads(QPainter &p, Rng &rng, const Ink &ink) const
{
    QPainterPath clip;
    clip.addPolygon(outline(0));
    clip.closeSubpath();
    p.save();
    p.setClipPath(clip);
    for (int e = 0; e < 4; ++e) {
        if (!(m_print.edgeRoads & (1 << e)))
            continue;
        const double width = uniform(rng, 0.5, 0.9);
        double t0 = -0.02, t1 = 1.02;
        if (!m_print.edgeRoadWhole) {
            const double len = uniform(rng, 0.2, 0.7);
            if (chance(rng, 0.5)) { t0 = uniform(rng, -0.02, 0.15); t1 = t0 + len; }
            else { t1 = uniform(rng, 0.85, 1.02); t0 = t1 - len; }
        }
        const double nearIn = m_print.edgeRoadIn;
        auto line = [&](double off) {
            QPainterPath path(at(e, t0, off));
            const int n = m_print.curved ? 64 : 1;
            for (int i = 1; i <= n; ++i)
                path.lineTo(at(e, t0 + (t1 - t0) * i / n, off));
            return path;
        };
        p.setPen(QPen(ink.orange, width, Qt::SolidLine, Qt::FlatCap));
        p.drawPath(line(-nearIn - width / 2));
        p.setPen(QPen(ink.black, uniform(rng, 0.08, 0.14), Qt::SolidLine, Qt::FlatCap));
        p.drawPath(line(-nearIn));
        p.drawPath(line(-nearIn - width));
    }
    p.restore();
}

void PrintedSheet::paintGrid(QPainter &p, Rng &rng, const Ink &ink) const
{
    const double band = m_print.band;
    QPainterPath clip;
    clip.addPolygon(outline(band));
    clip.closeSubpath();
    QPainterPath innerClip;
    innerClip.addPolygon(outline(0));
    innerClip.closeSubpath();
    const double pen = uniform(rng, 0.07, 0.13);
    if (m_print.curved || m_scan.scale >= 500) {
        // A graticule: meridians and parallels inside the frame.
        p.save();
        p.setClipPath(innerClip);
        p.setPen(QPen(ink.black, pen));
        const double step = m_scan.scale >= 1000 ? 1.0 : 0.5;
        const double lonW = std::min(m_lon[0], m_lon[1]), lonE = std::max(m_lon[0], m_lon[1]);
        const double latS = m_lat[3], latN = m_lat[0];
        for (double lon = std::ceil(lonW / step + 1e-9) * step; lon < lonE - 1e-9; lon += step) {
            QPainterPath path(project(latS - 0.1, lon));
            path.lineTo(project(latN + 0.1, lon));
            p.drawPath(path);
        }
        for (double lat = std::ceil(latS / step + 1e-9) * step; lat < latN - 1e-9; lat += step) {
            QPainterPath path(project(lat, lonW - 0.1));
            for (int i = 1; i <= 64; ++i)
                path.lineTo(project(lat, lonW - 0.1 + (lonE - lonW + 0.2) * i / 64));
            p.drawPath(path);
        }
        p.restore();
        return;
    }
    const double spacing = m_scan.scale <= 50 ? 1000 : m_scan.scale <= 100 ? 2000 : 4000;
    double northMin = 1e18, northMax = -1e18, eastMin = 1e18, eastMax = -1e18;
    for (int k = 0; k < 4; ++k) {
        double n = 0, e = 0;
        gaussKrueger(m_lat[k], m_lon[k], m_centralMeridian, &n, &e);
        northMin = std::min(northMin, n); northMax = std::max(northMax, n);
        eastMin = std::min(eastMin, e); eastMax = std::max(eastMax, e);
    }
    // Grid metres to paper: the projection's own transform.
    const double c = std::cos(m_turn), s = std::sin(m_turn);
    auto toPaper = [&](double north, double east) {
        QPointF q = QPointF(east, -north) * m_mmPerM - m_shift;
        return QPointF(q.x() * c - q.y() * s, q.x() * s + q.y() * c);
    };
    const double reach = 20 * spacing;
    const bool gapBehind = chance(rng, 0.5);
    const bool southern = m_lat[0] < 0;
    auto kmText = [&](double metres, bool easting, bool full) {
        long long km = std::llround(metres / 1000);
        if (easting)
            km += m_zone * 1000LL + 500;
        else if (southern)
            km += 10000;
        const QString all = QString::number(km);
        return full ? all : all.right(2);
    };
    // Lines and the numbers where they cross the edges.
    struct Crossing { QPointF at; int edge; double t; QString big, small; };
    std::vector<Crossing> crossings;
    auto cross = [&](const QPointF &a, const QPointF &b, double value, bool easting) {
        for (int e = 0; e < 4; ++e) {
            if (easting != (e == 0 || e == 2))
                continue;
            QPointF x;
            const QLineF edge(m_corner[e], m_corner[(e + 1) % 4]);
            if (QLineF(a, b).intersects(edge, &x) != QLineF::BoundedIntersection)
                continue;
            const double t = QLineF(m_corner[e], x).length() / edge.length();
            crossings.push_back({x, e, t, kmText(value, easting, false), kmText(value, easting, true)});
        }
    };
    p.save();
    p.setClipPath(clip);
    p.setPen(QPen(ink.black, pen, Qt::SolidLine, Qt::FlatCap));
    for (double e = std::ceil(eastMin / spacing) * spacing; e <= eastMax; e += spacing) {
        const QPointF a = toPaper(northMin - reach, e), b = toPaper(northMax + reach, e);
        p.drawLine(a, b);
        cross(a, b, e, true);
    }
    for (double n = std::ceil(northMin / spacing) * spacing; n <= northMax; n += spacing) {
        const QPointF a = toPaper(n, eastMin - reach), b = toPaper(n, eastMax + reach);
        p.drawLine(a, b);
        cross(a, b, n, false);
    }
    p.restore();
    // The numbers: two bold digits, the whole value at the first and last
    // line of an edge (its leading digits small).
    for (size_t i = 0; i < crossings.size(); ++i) {
        const Crossing &x = crossings[i];
        double tMin = 2, tMax = -1;
        for (const Crossing &y : crossings)
            if (y.edge == x.edge) { tMin = std::min(tMin, y.t); tMax = std::max(tMax, y.t); }
        const bool full = x.t == tMin || x.t == tMax;
        // Near a corner the corner's labels are there.
        const double edgeLength = QLineF(m_corner[x.edge], m_corner[(x.edge + 1) % 4]).length();
        const double clear = StrokeFont::width(QStringLiteral("00\u00B000'"), std::clamp(band * 0.25, 1.3, 2.0)) + 1.5;
        if (std::min(x.t, 1 - x.t) * edgeLength < clear)
            continue;
        const QString big = x.big;
        const QString small = full ? x.small.left(x.small.size() - 2) : QString();
        const bool across = x.edge == 0 || x.edge == 2;
        // Along the east and west edges the number lies across the band: it must fit.
        double h = m_print.numberHeight;
        if (!across) {
            const double wide = StrokeFont::width(big, h) + StrokeFont::width(small, h * 0.62);
            h *= std::min(1.0, (band - 0.6) / wide);
        }
        const double hs = h * 0.62;
        const double wBig = StrokeFont::width(big, h), wSmall = StrokeFont::width(small, hs);
        const double wAll = wBig + wSmall;
        const QPointF n = outward(x.edge, x.t);
        // Centre of the number in the band.
        QPointF centre = x.at + n * (band * 0.5);
        if (!gapBehind)
            centre += across ? QPointF(wAll / 2 + 0.6, 0) : QPointF(0, -(h / 2 + 0.6));
        if (m_print.numbersOutside && full)
            centre = x.at + n * (outerOutside() + h);
        const QRectF box(centre.x() - wAll / 2 - 0.3, centre.y() - h / 2 - 0.3, wAll + 0.6, h + 0.6);
        if (gapBehind) {
            p.fillRect(box, ink.paper);
        }
        p.setPen(ink.black);
        StrokeFont::draw(p, QPointF(box.left() + 0.3, box.bottom() - 0.3), small, hs, 0.1);
        StrokeFont::draw(p, QPointF(box.left() + 0.3 + wSmall, box.bottom() - 0.3), big, h, 0.16);
    }
}

void PrintedSheet::paintFrame(QPainter &p, Rng &rng, const Ink &ink) const
{
    const SheetPrint &f = m_print;
    auto edgePath = [&](int e, double t0, double t1, double off) {
        QPainterPath path(at(e, t0, off));
        const int n = f.curved && (e == 0 || e == 2) ? 64 : 1;
        for (int i = 1; i <= n; ++i)
            path.lineTo(at(e, t0 + (t1 - t0) * i / n, off));
        return path;
    };
    auto length = [&](int e) { return QLineF(m_corner[e], m_corner[(e + 1) % 4]).length(); };
    // The inner frame lines, running on past the corners. A line finer than
    // 0.7 pixel is drawn that wide and lighter, as the scanner's blur would
    // show it (the painter's coverage of finer slanted lines wavers).
    const double pxPerMm = std::sqrt(std::abs(p.transform().determinant()));
    const double finest = 0.7 / pxPerMm;
    const QColor innerInk = f.innerPen >= finest ? ink.frame : mix(ink.paper, ink.frame, f.innerPen / finest);
    QPen innerPen(innerInk, std::max(f.innerPen, finest), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p.setPen(innerPen);
    for (int e = 0; e < 4; ++e) {
        const double r = f.innerRunOn / length(e);
        p.drawPath(edgePath(e, -r, 1 + r, 0));
    }
    // The minute bar strip, the 10-second dots.
    const double b0 = f.band, b1 = f.band + f.strip;
    const QPolygonF in = outline(b0), outLine = outline(b1);
    auto cornerIndex = [&](const QPolygonF &poly, int k) {
        // The outline's points: corner k comes after the samples of edges before it.
        int index = 0;
        for (int e = 0; e < k; ++e)
            index += f.curved && (e == 0 || e == 2) ? 64 : 1;
        return poly[index];
    };
    for (int e = 0; e < 4; ++e) {
        if (!(f.minuteEdges & (1 << e)))
            continue;
        // Its two thin lines, corner to corner of the strip.
        p.setPen(QPen(ink.frame, f.stripPen, Qt::SolidLine, Qt::SquareCap));
        for (const QPolygonF *poly : {&in, &outLine}) {
            if (f.bars == SheetPrint::Ticks && poly == &outLine)
                continue;
            const double off = poly == &in ? b0 : b1;
            QPainterPath path(cornerIndex(*poly, e));
            const QPainterPath mid = edgePath(e, 0, 1, off);
            for (int i = 1; i < mid.elementCount() - 1; ++i)
                path.lineTo(mid.elementAt(i));
            path.lineTo(cornerIndex(*poly, (e + 1) % 4));
            p.drawPath(path);
        }
        const double span = m_minutes[e];
        const int n = static_cast<int>(std::ceil(span - 1e-9));
        if (f.bars == SheetPrint::Ticks) {
            // Graticule ticks: every minute short, every 5 longer, every 10 across.
            p.setPen(QPen(ink.frame, f.stripPen, Qt::SolidLine, Qt::FlatCap));
            for (int j = 1; j < n; ++j) {
                const double t = j / span;
                const double len = j % 10 == 0 ? 1.0 : j % 5 == 0 ? 0.7 : 0.4;
                p.drawLine(at(e, t, b0), at(e, t, b0 + f.strip * len));
            }
            continue;
        }
        const double hatchGap = uniform(rng, 0.2, 0.4), hatchPen = hatchGap * uniform(rng, 0.25, 0.45);
        for (int j = 0; j < n; ++j) {
            const double t0 = j / span, t1 = std::min(1.0, (j + 1) / span);
            const bool dark = (j % 2 == 0) == (e < 2);
            QPolygonF bar;
            bar << at(e, t0, b0) << at(e, t1, b0) << at(e, t1, b1) << at(e, t0, b1);
            if (dark && f.bars != SheetPrint::Hatched) {
                p.setPen(Qt::NoPen);
                p.setBrush(ink.frame);
                p.drawPolygon(bar);
                p.setBrush(Qt::NoBrush);
            } else if (dark) {
                // Hatching across the bar.
                QPainterPath barPath;
                barPath.addPolygon(bar);
                p.save();
                p.setClipPath(barPath, Qt::IntersectClip);
                p.setPen(QPen(ink.frame, hatchPen));
                const double len = length(e) * (t1 - t0);
                for (double s = -f.strip; s < len + f.strip; s += hatchGap) {
                    const double ta = t0 + s / length(e), tb = t0 + (s + f.strip) / length(e);
                    p.drawLine(at(e, ta, b0), at(e, tb, b1));
                }
                p.restore();
            } else if (f.bars == SheetPrint::Hollow) {
                // Two thin lines along the light minute.
                const double mid = (b0 + b1) / 2, half = (f.hollowGap + f.stripPen) / 2;
                p.setPen(QPen(ink.frame, f.stripPen, Qt::SolidLine, Qt::FlatCap));
                p.drawLine(at(e, t0, mid - half), at(e, t1, mid - half));
                p.drawLine(at(e, t0, mid + half), at(e, t1, mid + half));
            }
        }
        if (f.dots) {
            p.setPen(Qt::NoPen);
            p.setBrush(ink.frame);
            const double r = uniform(rng, 0.07, 0.14);
            for (int i = 1; i < 6 * span; ++i)
                if (i % 6 != 0)
                    p.drawEllipse(at(e, i / (6 * span), b1 + f.dotsOut), r, r);
            p.setBrush(Qt::NoBrush);
        }
    }
    // The outer frame line.
    const double o1 = f.band + f.strip + f.outerGap;
    QPainterPath ring;
    ring.addPolygon(outline(o1 + f.outerPen));
    ring.closeSubpath();
    ring.addPolygon(outline(o1));
    ring.closeSubpath();
    ring.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    if (f.outerDithered && chance(rng, 0.5)) {
        // A halftone: the frame's ink in a pattern of device pixels.
        QBrush halftone(ink.frame, chance(rng, 0.5) ? Qt::Dense2Pattern : Qt::Dense3Pattern);
        halftone.setTransform(p.transform().inverted());
        p.fillPath(ring, ink.paper);
        p.setBrush(halftone);
    } else {
        p.setBrush(ink.outer);
    }
    p.drawPath(ring);
    p.setBrush(Qt::NoBrush);
    if (f.numberBreak) {
        const double th = std::clamp(f.outerGap + f.outerPen, 2.5, 4.5);
        const QPointF c = at(0, 0.5, o1 + f.outerPen / 2);
        const double wdt = StrokeFont::width(m_scan.sheetName, th) + 3;
        p.fillRect(QRectF(c.x() - wdt / 2, c.y() - f.outerPen / 2 - 0.2, wdt, f.outerPen + 0.4), ink.paper);
        p.setPen(ink.black);
        centred(p, c, m_scan.sheetName, th, 0.12);
    }
    // The corner coordinates: the longitude in the band over the parallel,
    // the latitude (turned) in the band beside the meridian, each starting a
    // little outside the other line's run-on, so that it straddles that line.
    const double ch = std::clamp(f.band * 0.25, 1.3, 2.0);
    const bool straddle = chance(rng, 0.8);
    for (int k = 0; k < 4; ++k) {
        const int ns = k < 2 ? 0 : 2, ew = k == 0 || k == 3 ? 3 : 1;
        const double tns = k == 0 || k == 2 ? 0.0 : 1.0, tew = k == 1 || k == 3 ? 0.0 : 1.0;
        const int alongNs = k == 0 ? 1 : k == 1 ? 0 : k == 2 ? 3 : 2; // the other corner of each edge
        const int alongEw = k == 0 ? 3 : k == 1 ? 2 : k == 2 ? 1 : 0;
        const QPointF dirNs = (m_corner[alongNs] - m_corner[k]) / QLineF(m_corner[k], m_corner[alongNs]).length();
        const QPointF dirEw = (m_corner[alongEw] - m_corner[k]) / QLineF(m_corner[k], m_corner[alongEw]).length();
        const QString lon = degrees(m_lon[k]), lat = degrees(m_lat[k]);
        const double share = straddle ? 0.35 : 0.5;
        const double wLon = StrokeFont::width(lon, ch), wLat = StrokeFont::width(lat, ch);
        p.setPen(ink.black);
        centred(p, at(ns, tns, f.band * 0.5) + dirNs * (wLon * share + (straddle ? 0 : 0.6)), lon, ch, 0.1);
        centred(p, at(ew, tew, f.band * 0.5) + dirEw * (wLat * share + (straddle ? 0 : 0.6)), lat, ch, 0.1, -90);
    }
}

void PrintedSheet::paintCollar(QPainter &p, Rng &rng, const Ink &ink) const
{
    const double out = outerOutside();
    const QRectF box = outline(out).boundingRect();
    p.setPen(ink.black);
    // Title just above the frame: the place, the sheet name, the state.
    const double gap = uniform(rng, 1.5, 6);
    const double title = uniform(rng, 3.5, 6);
    centred(p, QPointF(box.center().x(), box.top() - gap - title / 2), placeName(rng).toUpper(), title, 0.13);
    centred(p, QPointF(box.right() - 30, box.top() - gap - 2), m_scan.sheetName, 4, 0.12);
    StrokeFont::draw(p, QPointF(box.left() + 2, box.top() - gap), QStringLiteral("СССР"), 3, 0.1);
    StrokeFont::draw(p, QPointF(box.left() + 2, box.top() - gap - 6), QStringLiteral("ГЕНЕРАЛЬНЫЙ ШТАБ"), 2.2, 0.1);
    StrokeFont::draw(p, QPointF(box.right() - 60, box.top() - gap - 9),
                     QStringLiteral("ИЗДАНИЕ 19%1 Г.").arg(60 + rng() % 30), 2, 0.1);
    // Neighbouring sheets in the middle of each side.
    for (int e = 0; e < 4; ++e) {
        const QPointF c = at(e, 0.5, out + 3);
        centred(p, c, placeName(rng), 1.8, 0.1, e == 1 ? 90 : e == 3 ? -90 : 0);
    }
    // Below: the scale, the scale bar, notes, the declination diagram.
    const double y = box.bottom() + uniform(rng, 3, 7);
    const QString scale = m_scan.scale >= 1000 ? QStringLiteral("1:%1 000 000").arg(m_scan.scale / 1000)
                                               : QStringLiteral("1:%1 000").arg(m_scan.scale);
    centred(p, QPointF(box.center().x(), y + 2), scale, 3.5, 0.12);
    const double seg = 10.0;
    for (int i = 0; i < 8; ++i) {
        const QRectF r(box.center().x() - 4 * seg + i * seg, y + 7, seg, 1.2);
        if (i % 2 == 0)
            p.fillRect(r, ink.black);
        p.setPen(QPen(ink.black, 0.12));
        p.drawRect(r);
        StrokeFont::draw(p, QPointF(r.left() - 0.6, y + 11), QString::number(i), 1.6, 0.1);
    }
    p.setPen(ink.black);
    for (int i = 0; i < 6; ++i) {
        QString line;
        const int words = 3 + static_cast<int>(rng() % 6);
        for (int w = 0; w < words; ++w)
            line += placeName(rng).toLower() + ' ';
        StrokeFont::draw(p, QPointF(box.left() + 2, y + 4 + 3 * i), line, 1.7, 0.1);
    }
    p.setPen(QPen(ink.black, 0.15));
    const QPointF d(box.right() - 40, y + 22);
    for (double a : {-4.0, 0.0, 3.0})
        p.drawLine(d, d + QPointF(std::sin(a * kDeg) * 18, -std::cos(a * kDeg) * 18));
}
