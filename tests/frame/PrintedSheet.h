#pragma once

#include "frame/SheetDrawer.h"

#include <QPointF>
#include <QPolygonF>
#include <QString>

#include <array>
#include <random>
#include <vector>

class QPainter;

// One map sheet as it is printed, in millimetres on paper (x to the right,
// y down): the inner frame in the shape its corners' latitudes and longitudes
// give (Gauss-Krueger corners joined by straight lines at 1:200K and larger;
// arcs for the parallels of the polyconic small scales), the label band with
// its kilometre numbers and corner coordinates, the minute bar strip, the
// outer frame line, the collar, and the map inside.
class PrintedSheet
{
public:
    using Rng = std::mt19937;

    explicit PrintedSheet(const SheetScan &scan);
    bool ok() const { return m_ok; }

    // Inner frame corners NW, NE, SE, SW: where the centre lines of the inner
    // frame lines cross.
    const std::array<QPointF, 4> &corners() const { return m_corner; }
    // A point of edge e (0 N from NW to NE, 1 E, 2 S, 3 W) at t (0 .. 1 from
    // its first corner; beyond runs on along the line), moved `offset` outwards.
    QPointF at(int edge, double t, double offset) const;
    QPointF outward(int edge, double t) const;
    // The frame's outline moved outwards by each edge's offset, corners mitred.
    QPolygonF outline(const std::array<double, 4> &offset) const;
    QPolygonF outline(double offset) const { return outline({{offset, offset, offset, offset}}); }
    // The outer frame line's outside, from the inner line.
    double outerOutside() const;
    // Minutes of arc along edge e.
    double minutes(int edge) const { return m_minutes[edge]; }
    // The kilometre grid's turn against the frame (degrees, clockwise).
    double gridTurn() const { return m_gridTurn; }
    // Everything printed on the paper, inside the page outline.
    void paint(QPainter &p, Rng &rng) const;

    static double uniform(Rng &rng, double lo, double hi)
    {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    }
    static bool chance(Rng &rng, double p) { return uniform(rng, 0, 1) < p; }

private:
    struct Ink;
    QPointF curve(int edge, double t) const;
    QPointF project(double lat, double lon) const;
    void paintMap(QPainter &p, Rng &rng, const Ink &ink) const;
    void paintRelief(QPainter &p, Rng &rng, const Ink &ink) const;
    void paintGrid(QPainter &p, Rng &rng, const Ink &ink) const;
    void paintFrame(QPainter &p, Rng &rng, const Ink &ink) const;
    void paintCollar(QPainter &p, Rng &rng, const Ink &ink) const;
    void paintEdgeRoads(QPainter &p, Rng &rng, const Ink &ink) const;

    SheetScan m_scan;
    SheetPrint m_print;
    bool m_ok = false;
    double m_lat[4] = {}, m_lon[4] = {};   // corners
    double m_lonMid = 0, m_latMid = 0;
    double m_mmPerM = 0;                   // paper millimetres per metre on the ground
    double m_turn = 0;                     // radians the projected sheet is turned to stand upright
    QPointF m_shift;                       // projected sheet centre
    std::array<QPointF, 4> m_corner;
    double m_minutes[4] = {};
    double m_gridTurn = 0;
    double m_centralMeridian = 0;
    int m_zone = 0;
};
