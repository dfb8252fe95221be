#include "frame/FrameLineFit.h"

#include "frame/FramePeaks.h"
#include "frame/FrameProbe.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCuts = 120;
// A dip this much darker than the paper beside it may be a line.
constexpr double kMinDepth = 6.0;
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

// a and b of across - c (along - mid)^2 = a + b along; c and mid stay.
bool leastSquares(const std::vector<const Hit *> &pts, double c, double mid, double *a, double *b)
{
    if (pts.size() < 3)
        return false;
    auto y = [&](const Hit *p) { return p->across - c * (p->along - mid) * (p->along - mid); };
    double n = 0, sx = 0, sy = 0;
    for (const Hit *p : pts) { n += 1; sx += p->along; sy += y(p); }
    const double mx = sx / n, my = sy / n;
    double sxx = 0, sxy = 0;
    for (const Hit *p : pts) {
        sxx += (p->along - mx) * (p->along - mx);
        sxy += (p->along - mx) * (y(p) - my);
    }
    if (sxx <= 0)
        return false;
    *b = sxy / sxx;
    *a = my - *b * mx;
    return true;
}

// a, b and c of across = a + b along + c (along - mid)^2.
bool quadratic(const std::vector<const Hit *> &pts, double mid, double *a, double *b, double *c)
{
    if (pts.size() < 6)
        return false;
    double m[3][4] = {};
    for (const Hit *p : pts) {
        const double x = p->along - mid;
        const double row[3] = {1, x, x * x};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                m[i][j] += row[i] * row[j];
            m[i][3] += row[i] * p->across;
        }
    }
    for (int i = 0; i < 3; ++i) {
        int pivot = i;
        for (int r = i + 1; r < 3; ++r)
            if (std::abs(m[r][i]) > std::abs(m[pivot][i])) pivot = r;
        if (std::abs(m[pivot][i]) < 1e-12)
            return false;
        for (int k = 0; k < 4; ++k) std::swap(m[i][k], m[pivot][k]);
        for (int r = 0; r < 3; ++r) {
            if (r == i) continue;
            const double f = m[r][i] / m[i][i];
            for (int k = 0; k < 4; ++k) m[r][k] -= f * m[i][k];
        }
    }
    const double q0 = m[0][3] / m[0][0], q1 = m[1][3] / m[1][1], q2 = m[2][3] / m[2][2];
    // q0 + q1 x + q2 x^2 with x = along - mid.
    *c = q2;
    *b = q1;
    *a = q0 - q1 * mid;
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
        const QPointF dir = rough.direction(s), normal = rough.normal(s);
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
    // it (the rough line's slope is a reduced image's) and, for a bent line,
    // over its bend (the scale it was guessed at may be a tenth or two off):
    // each line is a peak.
    const double mid = (alongFrom + alongTo) / 2;
    const double reach = std::max(1.0, (alongTo - alongFrom) / 2);
    const double turnStep = 0.4 / reach;
    const int turns = 2 * static_cast<int>(std::ceil(kMaxTurn / turnStep)) + 1;
    const int bins = static_cast<int>(std::ceil(4 * (window + 1))) + 3;
    auto turnOf = [&](int t) { return (t - turns / 2) * turnStep; };
    struct Seed { double count; double turn; double offset; double bend; };
    std::vector<Seed> seeds;
    const double least = 4 * std::max(6.0, 0.2 * validCuts);
    std::vector<double> histogram(static_cast<size_t>(turns) * bins, 0);
    // Bends a quarter either way: first in steps that move the line's ends by
    // three pixels (and every other turn), then by half a pixel about the
    // best of those.
    std::vector<double> bends{1.0};
    double fineStep = 0;
    if (rough.c != 0) {
        const double far = std::max(std::abs(alongFrom - rough.mid), std::abs(alongTo - rough.mid));
        const double sag = std::abs(rough.c) * far * far;
        const int steps = std::clamp(static_cast<int>(std::ceil(0.25 * sag / 3)), 2, 30);
        bends.clear();
        for (int i = -steps; i <= steps; ++i)
            bends.push_back(1.0 + 0.25 * i / steps);
        fineStep = 0.5 / std::max(sag, 1.0);
    }
    auto vote = [&](double factor, int turnStride) {
        std::fill(histogram.begin(), histogram.end(), 0.0);
        double most = 0;
        for (const Hit &h : hits) {
            const double base = h.across - rough.across(h.along)
                                - (factor - 1) * rough.c * (h.along - rough.mid) * (h.along - rough.mid);
            for (int t = 0; t < turns; t += turnStride) {
                const double offset = base - turnOf(t) * (h.along - mid);
                const int k = static_cast<int>(std::lround(2 * (offset + window + 1))) + 1;
                if (k >= 0 && k < bins)
                    most = std::max(most, histogram[static_cast<size_t>(t) * bins + k] += 1);
            }
        }
        return most;
    };
    // The bends the lines here follow best: those near the highest vote (the
    // frame's lines and the minute frame's beside them are arcs about one pole).
    if (bends.size() > 1) {
        double best = 1, bestVote = -1;
        for (double factor : bends) {
            const double v = vote(factor, 2);
            if (v > bestVote) { bestVote = v; best = factor; }
        }
        const double coarse = bends[1] - bends[0];
        bends.clear();
        for (double factor = best - coarse; factor <= best + coarse + 1e-12; factor += fineStep)
            bends.push_back(factor);
    }
    std::vector<double> most(bends.size(), 0);
    if (bends.size() > 1)
        for (size_t i = 0; i < bends.size(); ++i)
            most[i] = vote(bends[i], 1);
    const double top = *std::max_element(most.begin(), most.end());
    for (size_t i = 0; i < bends.size(); ++i) {
        if (bends.size() > 1 && most[i] < 0.8 * top)
            continue;
        const double factor = bends[i];
        vote(factor, 1);
        auto count = [&](int t, int k) {
            if (t < 0 || t >= turns || k < 1 || k + 1 >= bins)
                return 0.0;
            const double *row = histogram.data() + static_cast<size_t>(t) * bins;
            return row[k - 1] + 2 * row[k] + row[k + 1];
        };
        forEachPeak(turns, bins, 2, 2, least, count, [&](int t, int k, double v) {
            seeds.push_back({v, turnOf(t), (k - 1) / 2.0 - window - 1, rough.c * factor});
        });
    }
    std::sort(seeds.begin(), seeds.end(), [](const Seed &x, const Seed &y) { return x.count > y.count; });

    // Per cut, the hit nearest a line within a tolerance.
    std::vector<size_t> firstOfCut(kCuts + 1, hits.size());
    for (size_t i = hits.size(); i-- > 0;)
        firstOfCut[static_cast<size_t>(hits[i].cut)] = i;
    for (int i = kCuts - 1; i >= 0; --i)
        firstOfCut[static_cast<size_t>(i)] = std::min(firstOfCut[static_cast<size_t>(i)], firstOfCut[static_cast<size_t>(i + 1)]);
    double curve = rough.c;
    auto bend = [&](double along) { return curve * (along - rough.mid) * (along - rough.mid); };
    auto nearest = [&](double a, double b, double tolerance) {
        std::vector<const Hit *> chosen;
        for (int c = 0; c < kCuts; ++c) {
            const Hit *best = nullptr;
            double bestD = tolerance;
            for (size_t i = firstOfCut[c]; i < hits.size() && hits[i].cut == c; ++i) {
                const double d = std::abs(hits[i].across - (a + b * hits[i].along + bend(hits[i].along)));
                if (d <= bestD) { bestD = d; best = &hits[i]; }
            }
            if (best)
                chosen.push_back(best);
        }
        return chosen;
    };

    // A bent line's bend is fitted too, within reason of the expected one.
    auto fitTo = [&](const std::vector<const Hit *> &in, double *a, double *b) {
        if (rough.c != 0 && quadratic(in, rough.mid, a, b, &curve)) {
            const double lo = std::min(0.5 * rough.c, 1.6 * rough.c), hi = std::max(0.5 * rough.c, 1.6 * rough.c);
            if (curve >= lo && curve <= hi)
                return true;
            curve = std::clamp(curve, lo, hi);
        }
        return leastSquares(in, curve, rough.mid, a, b);
    };
    for (const Seed &seed : seeds) {
        curve = seed.bend;
        double b = rough.b + seed.turn;
        double a = rough.a + seed.offset - seed.turn * mid;
        std::vector<const Hit *> in = nearest(a, b, 2.0);
        bool ok = true;
        for (double tolerance : {1.5, 1.0}) {
            if (!fitTo(in, &a, &b)) { ok = false; break; }
            in = nearest(a, b, tolerance);
        }
        if (!ok || in.size() < 3)
            continue;
        std::vector<double> widths, depths;
        for (const Hit *h : in) { widths.push_back(h->width); depths.push_back(h->depth); }
        const double width = median(widths);
        in = nearest(a, b, std::max(0.8, 0.3 * width));
        if (!fitTo(in, &a, &b))
            continue;
        in = nearest(a, b, std::max(0.8, 0.3 * width));
        if (static_cast<int>(in.size()) < std::max(6, validCuts / 5))
            continue;
        bool same = false;
        for (const FrameLine &l : lines)
            if (std::abs(l.across(mid) - (a + b * mid + bend(mid))) < 1.0)
                same = true;
        if (same)
            continue;
        FrameLine line;
        line.horizontal = rough.horizontal;
        line.a = a;
        line.b = b;
        line.c = curve;
        line.mid = rough.mid;
        widths.clear();
        depths.clear();
        double sq = 0;
        line.alongFrom = alongFrom;
        line.alongStep = step;
        line.seen.assign(kCuts, 0);
        for (const Hit *h : in) {
            widths.push_back(h->width);
            depths.push_back(h->depth);
            const double d = h->across - (a + b * h->along + bend(h->along));
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
