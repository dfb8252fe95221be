#pragma once

#include <QPointF>
#include <QString>

#include <array>

class SheetIdentity;

// The shape a sheet's inner frame must have on the scan, from the sheet's
// corner latitudes and longitudes: an isosceles trapezoid whose pole-side edge
// is the shorter one, whose height-to-width ratio follows the sheet's extent,
// turned and scaled by the scan as a whole. Paper shrinks unevenly and scans
// lean, so each figure has its tolerance.
class FrameShape
{
public:
    // False (with `error`) when the sheet's geometry cannot be computed.
    bool setSheet(const SheetIdentity &sheet, QString *error);

    // Ratio of the pole-side edge to the equator-side edge (< 1).
    double poleRatio() const { return m_poleRatio; }
    // Height over the mean of the north and south edges.
    double aspect() const { return m_aspect; }
    // Angle between the west and east edges in degrees (they meet towards the pole).
    double convergence() const { return m_convergence; }
    bool south() const { return m_south; }
    // Minutes along the north-south and the west-east edges.
    double minutesAcross() const { return m_minutesLon; }
    double minutesDown() const { return m_minutesLat; }
    // The frame on paper at the sheet's scale, millimetres: the mean of its
    // north and south edges, and its height.
    double widthMm() const { return m_widthMm; }
    double heightMm() const { return m_heightMm; }
    // The bend of the north or south edge on paper: across = c * along^2 in
    // millimetres, y down, about the edge's middle. The small-scale sheets
    // draw their parallels as circular arcs about the pole; the larger scales
    // as straight lines (0).
    double bendMm(bool northEdge) const { return northEdge ? m_bendNorth : m_bendSouth; }

    // Checks corners NW, NE, SE, SW; returns an empty text when they fit, else
    // what does not fit. `deviation` gets 0 (perfect) .. 1 (at the tolerance).
    QString check(const std::array<QPointF, 4> &corners, double *deviation = nullptr) const;

private:
    double m_poleRatio = 1;
    double m_aspect = 1;
    double m_convergence = 0;
    double m_minutesLon = 0;
    double m_minutesLat = 0;
    double m_widthMm = 0;
    double m_heightMm = 0;
    double m_bendNorth = 0;
    double m_bendSouth = 0;
    bool m_south = false;
};
