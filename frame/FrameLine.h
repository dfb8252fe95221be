#pragma once

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <vector>

// One straight thin dark line of a scan, in full-size image pixels:
// across = a + b * along, where along is x and across is y for a line running
// west-east (`horizontal`), and the other way round otherwise.
struct FrameLine
{
    bool horizontal = true;
    double a = 0;
    double b = 0;
    double width = 0; // of its dark dip at half depth, pixels
    double depth = 0; // darker than the paper beside it (the lighter side), grey levels
    double rms = 0;   // of the centres about the line, pixels
    // Where along the line it was looked for, and whether each cut saw it.
    double alongFrom = 0;
    double alongStep = 1;
    std::vector<char> seen;

    double across(double along) const { return a + b * along; }
    QPointF point(double along) const
    {
        const double c = across(along);
        return horizontal ? QPointF(along, c) : QPointF(c, along);
    }
    double alongOf(const QPointF &p) const { return horizontal ? p.x() : p.y(); }
    // Unit vector along the line towards growing `along`.
    QPointF direction() const
    {
        const double n = std::hypot(1.0, b);
        return horizontal ? QPointF(1 / n, b / n) : QPointF(b / n, 1 / n);
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
    // y = a1 + b1 x and x = a2 + b2 y.
    const double x = (v.a + v.b * h.a) / (1 - h.b * v.b);
    return {x, h.a + h.b * x};
}
