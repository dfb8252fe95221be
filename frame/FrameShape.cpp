#include "frame/FrameShape.h"

#include "sheet/MapError.h"
#include "sheet/SheetFields.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetIdentity.h"

#include <QCoreApplication>
#include <QLineF>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
// Krasovsky's ellipsoid, the one these sheets are drawn on.
constexpr double kE2 = 0.0066934216;
constexpr double kSemiMajor = 6378245.0; // metres

// Tolerances of the checks.
constexpr double kPoleRatioTolerance = 0.005; // north/south edge length
constexpr double kAspectTolerance = 0.06;     // uneven paper shrink
constexpr double kSideTolerance = 0.015;      // west/east edge length
constexpr double kAngleTolerance = 1.2;       // degrees, each corner

double angleAt(const QPointF &a, const QPointF &corner, const QPointF &b)
{
    const QPointF u = a - corner;
    const QPointF v = b - corner;
    const double dot = u.x() * v.x() + u.y() * v.y();
    const double cross = u.x() * v.y() - u.y() * v.x();
    return std::atan2(std::abs(cross), dot) / kDeg;
}

} // namespace

bool FrameShape::setSheet(const SheetIdentity &sheet, QString *error)
{
    const SheetFields fields = sheet.fields();
    double lat[4];
    double lon[4];
    try {
        for (int k = 0; k < 4; ++k) {
            lat[k] = SheetGeometry::latitude(fields, k + 1);
            lon[k] = SheetGeometry::longitude(fields, k + 1);
        }
    } catch (const MapError &) {
        if (error)
            *error = QCoreApplication::translate("FrameShape", "the sheet's corners cannot be computed");
        return false;
    }
    const double latN = std::max(lat[0], lat[3]);
    const double latS = std::min(lat[0], lat[3]);
    const double dLon = std::abs(lon[1] - lon[0]);
    const double dLat = latN - latS;
    if (!(dLon > 0) || !(dLat > 0) || std::abs(latN) > 89 || std::abs(latS) > 89) {
        if (error)
            *error = QCoreApplication::translate("FrameShape", "the sheet's corners do not span an area");
        return false;
    }
    m_south = latN <= 0;
    const double latPole = m_south ? latS : latN;
    const double latEquator = m_south ? latN : latS;
    // Parallel radius N cos(phi) against the meridian's M dphi.
    auto primeRadius = [](double phi) { return 1.0 / std::sqrt(1 - kE2 * std::sin(phi) * std::sin(phi)); };
    auto parallel = [&](double latDeg) { return primeRadius(latDeg * kDeg) * std::cos(latDeg * kDeg); };
    const double mid = (latN + latS) / 2 * kDeg;
    const double meridian = (1 - kE2) / std::pow(1 - kE2 * std::sin(mid) * std::sin(mid), 1.5);
    const double wPole = parallel(latPole) * dLon * kDeg;
    const double wEquator = parallel(latEquator) * dLon * kDeg;
    const double height = meridian * dLat * kDeg;
    m_poleRatio = wPole / wEquator;
    m_aspect = height / ((wPole + wEquator) / 2);
    m_convergence = 2 * std::atan((wEquator - wPole) / 2 / height) / kDeg;
    m_minutesLon = dLon * 60;
    m_minutesLat = dLat * 60;
    // Ground metres over the scale's denominator: paper millimetres.
    const double scale = std::max<int>(1, fields.iScale) * 1000.0;
    m_widthMm = (wPole + wEquator) / 2 * kSemiMajor / scale * 1000;
    m_heightMm = height * kSemiMajor / scale * 1000;
    // 1:500K and 1:1M: each parallel an arc of radius N cot(phi) at the
    // sheet's scale, its centre towards the pole; a parallel arches towards
    // the equator in its middle.
    m_bendNorth = m_bendSouth = 0;
    if (fields.iScale >= 500) {
        auto bend = [&](double latDeg) {
            const double radiusMm = kSemiMajor * primeRadius(latDeg * kDeg) / std::tan(std::abs(latDeg) * kDeg) / scale * 1000;
            return (m_south ? 1.0 : -1.0) / (2 * radiusMm);
        };
        m_bendNorth = bend(latN);
        m_bendSouth = bend(latS);
    }
    return true;
}

QString FrameShape::check(const std::array<QPointF, 4> &c, double *deviation) const
{
    const double north = QLineF(c[0], c[1]).length();
    const double east = QLineF(c[1], c[2]).length();
    const double southEdge = QLineF(c[2], c[3]).length();
    const double west = QLineF(c[3], c[0]).length();
    if (north < 1 || east < 1 || southEdge < 1 || west < 1)
        return QCoreApplication::translate("FrameShape", "the corners do not span a quadrilateral");
    // Convex, clockwise on the image (y down): NW, NE, SE, SW.
    for (int k = 0; k < 4; ++k) {
        const QPointF a = c[k], b = c[(k + 1) % 4], d = c[(k + 2) % 4];
        const double cross = (b.x() - a.x()) * (d.y() - b.y()) - (b.y() - a.y()) * (d.x() - b.x());
        if (cross <= 0)
            return QCoreApplication::translate("FrameShape", "the corners do not make a convex frame");
    }
    double worst = 0;
    const double ratio = m_south ? southEdge / north : north / southEdge;
    const double ratioDev = std::abs(ratio - m_poleRatio) / kPoleRatioTolerance;
    worst = std::max(worst, ratioDev);
    if (ratioDev > 1)
        return QCoreApplication::translate("FrameShape", "the frame's %1 edge is %2 of the %3 edge, the sheet's is %4")
            .arg(m_south ? QCoreApplication::translate("FrameShape", "south") : QCoreApplication::translate("FrameShape", "north"))
            .arg(ratio, 0, 'f', 4)
            .arg(m_south ? QCoreApplication::translate("FrameShape", "north") : QCoreApplication::translate("FrameShape", "south"))
            .arg(m_poleRatio, 0, 'f', 4);
    const double sideDev = std::abs(west / east - 1) / kSideTolerance;
    worst = std::max(worst, sideDev);
    if (sideDev > 1)
        return QCoreApplication::translate("FrameShape", "the frame's west and east edges differ in length");
    const double aspect = ((west + east) / 2) / ((north + southEdge) / 2);
    const double aspectDev = std::abs(aspect / m_aspect - 1) / kAspectTolerance;
    worst = std::max(worst, aspectDev);
    if (aspectDev > 1)
        return QCoreApplication::translate("FrameShape", "the frame's height to width is %1, the sheet's is %2")
            .arg(aspect, 0, 'f', 3).arg(m_aspect, 0, 'f', 3);
    // Pole-side corners open wider than a right angle by half the convergence.
    const double half = m_convergence / 2;
    const double expected[4] = {
        m_south ? 90 - half : 90 + half, m_south ? 90 - half : 90 + half,
        m_south ? 90 + half : 90 - half, m_south ? 90 + half : 90 - half };
    for (int k = 0; k < 4; ++k) {
        const double angle = angleAt(c[(k + 3) % 4], c[k], c[(k + 1) % 4]);
        const double dev = std::abs(angle - expected[k]) / kAngleTolerance;
        worst = std::max(worst, dev);
        if (dev > 1)
            return QCoreApplication::translate("FrameShape", "the frame's corner angle is %1 degrees, the sheet's is %2")
                .arg(angle, 0, 'f', 2).arg(expected[k], 0, 'f', 2);
    }
    if (deviation)
        *deviation = worst;
    return {};
}
