#pragma once

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <vector>

// One thin dark line of a scan, in full-size image pixels:
// across = a + b * along + c * (along - mid)^2, where along is x and across is
// y for a line running west-east (`horizontal`), and the other way round
// otherwise. The frame's lines are straight (c = 0) but for the parallels of
// the small-scale sheets, which are drawn as circular arcs.
struct FrameLine
{
    bool horizontal = true;
    double a = 0;
    double b = 0;
    double c = 0;
    double mid = 0;
    double width = 0; // of its dark dip at half depth, pixels
    double depth = 0; // darker than the paper beside it (the lighter side), grey levels
    double rms = 0;   // of the centres about the line, pixels
    // Where along the line it was looked for, and whether each cut saw it.
    double alongFrom = 0;
    double alongStep = 1;
    std::vector<char> seen;

    double across(double along) const { return a + b * along + c * (along - mid) * (along - mid); }
    double slope(double along) const { return b + 2 * c * (along - mid); }
    QPointF point(double along) const
    {
        const double c = across(along);
        return horizontal ? QPointF(along, c) : QPointF(c, along);
    }
    double alongOf(const QPointF &p) const { return horizontal ? p.x() : p.y(); }
    // Unit vector along the line towards growing `along`, at `along`.
    QPointF direction(double along) const
    {
        const double t = slope(along);
        const double n = std::hypot(1.0, t);
        return horizontal ? QPointF(1 / n, t / n) : QPointF(t / n, 1 / n);
    }
    // Unit vector across the line towards growing `across`, at `along`.
    QPointF normal(double along) const
    {
        const QPointF d = direction(along);
        return horizontal ? QPointF(-d.y(), d.x()) : QPointF(d.y(), -d.x());
    }
    // The share of the cuts between two along positions that saw the line.
    double coverage(double from, double to) const
    {
        if (from > to)
            std::swap(from, to);
        int seenCount = 0, cuts = 0;
        for (size_t i = 0; i < seen.size(); ++i) {
            const double s = alongFrom + alongStep * static_cast<double>(i);
            if (s < from || s > to)
                continue;
            ++cuts;
            seenCount += seen[i] ? 1 : 0;
        }
        return cuts == 0 ? 0 : double(seenCount) / cuts;
    }
};

// The crossing of a line running west-east with one running north-south.
inline QPointF crossing(const FrameLine &h, const FrameLine &v)
{
    // y = h(x) and x = v(y): from the crossing of their tangents, a few steps.
    double x = v.across(h.across(v.a)), y = h.across(x);
    for (int i = 0; i < 4; ++i) {
        // The tangents of both at the last guess, each through its own line.
        const double hb = h.slope(x), ha = h.across(x) - hb * x;
        const double vb = v.slope(y), va = v.across(y) - vb * y;
        x = (va + vb * ha) / (1 - hb * vb);
        y = h.across(x);
    }
    return {x, y};
}
