#include "frame/FrameLineFit.h"

#include "frame/FrameProbe.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCuts = 120;
// A dip this much darker than the paper beside it may be a line.
constexpr double kMinDepth = 10.0;
// The rough line's slope may be this far off.
constexpr double kMaxTurn = 0.012;

struct Hit
{
    int cut;
    double along;
    double across;
    double depth;
    double width;
};

bool leastSquares(const std::vector<const Hit *> &pts, double *a, double *b)
{
    if (pts.size() < 3)
        return false;
    double n = 0, sx = 0, sy = 0;
    for (const Hit *p : pts) { n += 1; sx += p->along; sy += p->across; }
    const double mx = sx / n, my = sy / n;
    double sxx = 0, sxy = 0;
    for (const Hit *p : pts) {
        sxx += (p->along - mx) * (p->along - mx);
        sxy += (p->along - mx) * (p->across - my);
    }
    if (sxx <= 0)
        return false;
    *b = sxy / sxx;
    *a = my - *b * mx;
    return true;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace

std::vector<FrameLine> FrameLineFit::fit(const FrameProbe &probe, const FrameLine &rough, double alongFrom,
                                         double alongTo, double window, int flank, int spread)
{
    std::vector<FrameLine> lines;
    const int half = static_cast<int>(std::ceil(window)) + flank;
    const double step = (alongTo - alongFrom) / (kCuts - 1);
    const QPointF dir = rough.direction();
    const QPointF normal = rough.horizontal ? QPointF(-dir.y(), dir.x()) : QPointF(dir.y(), -dir.x());

    // Hits of each cut, in cut order.
    std::vector<Hit> hits;
    std::vector<char> valid(kCuts, 0);
    int validCuts = 0;
    std::vector<float> g;
    std::vector<FrameProbe::Dip> dips;
    for (int i = 0; i < kCuts; ++i) {
        const double s = alongFrom + step * i;
        const QPointF centre = rough.point(s);
        if (!probe.contains(centre))
            continue;
        valid[i] = 1;
        ++validCuts;
        probe.cut(centre, dir, normal, half, spread, g);
        FrameProbe::dips(g, flank, kMinDepth, dips);
        for (const FrameProbe::Dip &d : dips) {
            const double k = d.centre - half;
            if (std::abs(k) > window)
                continue;
            const QPointF p = centre + normal * k;
            hits.push_back({i, rough.horizontal ? p.x() : p.y(), rough.horizontal ? p.y() : p.x(), d.contrast, d.width});
        }
    }
    if (validCuts < 12 || hits.empty())
        return lines;

    // Offsets from the rough line, half a pixel a bin, over small turns of
    // it (the rough line's slope is a reduced image's): each line is a peak.
    const double mid = (alongFrom + alongTo) / 2;
    const double reach = std::max(1.0, (alongTo - alongFrom) / 2);
    const double turnStep = 0.4 / reach;
    const int turns = 2 * static_cast<int>(std::ceil(kMaxTurn / turnStep)) + 1;
    const int bins = static_cast<int>(std::ceil(4 * (window + 1))) + 3;
    std::vector<double> histogram(static_cast<size_t>(turns) * bins, 0);
    auto turnOf = [&](int t) { return (t - turns / 2) * turnStep; };
    for (const Hit &h : hits) {
        const double base = h.across - rough.across(h.along);
        for (int t = 0; t < turns; ++t) {
            const double offset = base - turnOf(t) * (h.along - mid);
            const int k = static_cast<int>(std::lround(2 * (offset + window + 1))) + 1;
            if (k >= 0 && k < bins)
                histogram[static_cast<size_t>(t) * bins + k] += 1;
        }
    }
    auto count = [&](int t, int k) {
        if (t < 0 || t >= turns || k < 1 || k + 1 >= bins)
            return 0.0;
        const double *row = histogram.data() + static_cast<size_t>(t) * bins;
        return row[k - 1] + 2 * row[k] + row[k + 1];
    };
    struct Seed { double count; double turn; double offset; };
    std::vector<Seed> seeds;
    const double least = 4 * std::max(6.0, 0.2 * validCuts);
    for (int t = 0; t < turns; ++t)
        for (int k = 1; k + 1 < bins; ++k) {
            const double v = count(t, k);
            if (v < least)
                continue;
            bool top = true;
            for (int dt = -2; dt <= 2 && top; ++dt)
                for (int dk = -2; dk <= 2 && top; ++dk) {
                    if (dt == 0 && dk == 0)
                        continue;
                    const double w = count(t + dt, k + dk);
                    if (w > v || (w == v && (dt < 0 || (dt == 0 && dk < 0))))
                        top = false;
                }
            if (top)
                seeds.push_back({v, turnOf(t), (k - 1) / 2.0 - window - 1});
        }
    std::sort(seeds.begin(), seeds.end(), [](const Seed &x, const Seed &y) { return x.count > y.count; });

    // Per cut, the hit nearest a line within a tolerance.
    std::vector<size_t> firstOfCut(kCuts + 1, hits.size());
    for (size_t i = hits.size(); i-- > 0;)
        firstOfCut[static_cast<size_t>(hits[i].cut)] = i;
    for (int i = kCuts - 1; i >= 0; --i)
        firstOfCut[static_cast<size_t>(i)] = std::min(firstOfCut[static_cast<size_t>(i)], firstOfCut[static_cast<size_t>(i + 1)]);
    auto nearest = [&](double a, double b, double tolerance) {
        std::vector<const Hit *> chosen;
        for (int c = 0; c < kCuts; ++c) {
            const Hit *best = nullptr;
            double bestD = tolerance;
            for (size_t i = firstOfCut[c]; i < hits.size() && hits[i].cut == c; ++i) {
                const double d = std::abs(hits[i].across - (a + b * hits[i].along));
                if (d <= bestD) { bestD = d; best = &hits[i]; }
            }
            if (best)
                chosen.push_back(best);
        }
        return chosen;
    };

    for (const Seed &seed : seeds) {
        double b = rough.b + seed.turn;
        double a = rough.a + seed.offset - seed.turn * mid;
        std::vector<const Hit *> in = nearest(a, b, 2.0);
        bool ok = true;
        for (double tolerance : {1.5, 1.0}) {
            if (!leastSquares(in, &a, &b)) { ok = false; break; }
            in = nearest(a, b, tolerance);
        }
        if (!ok || in.size() < 3)
            continue;
        std::vector<double> widths, depths;
        for (const Hit *h : in) { widths.push_back(h->width); depths.push_back(h->depth); }
        const double width = median(widths);
        in = nearest(a, b, std::max(0.8, 0.3 * width));
        if (!leastSquares(in, &a, &b))
            continue;
        in = nearest(a, b, std::max(0.8, 0.3 * width));
        if (static_cast<int>(in.size()) < std::max(6, validCuts / 5))
            continue;
        bool same = false;
        for (const FrameLine &l : lines)
            if (std::abs(l.across(mid) - (a + b * mid)) < 1.0)
                same = true;
        if (same)
            continue;
        FrameLine line;
        line.horizontal = rough.horizontal;
        line.a = a;
        line.b = b;
        widths.clear();
        depths.clear();
        double sq = 0;
        line.alongFrom = alongFrom;
        line.alongStep = step;
        line.seen.assign(kCuts, 0);
        for (const Hit *h : in) {
            widths.push_back(h->width);
            depths.push_back(h->depth);
            const double d = h->across - (a + b * h->along);
            sq += d * d;
            line.seen[static_cast<size_t>(h->cut)] = 1;
        }
        line.width = median(widths);
        line.depth = median(depths);
        line.rms = std::sqrt(sq / static_cast<double>(in.size()));
        lines.push_back(std::move(line));
    }
    return lines;
}
