#include "frame/FrameLineFit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Cuts on each side of a cut that are averaged into it.
constexpr int kSpread = 3;

struct Centre { double along; double across; double offset; };

bool leastSquares(const std::vector<Centre> &pts, double *a, double *b)
{
    if (pts.size() < 3)
        return false;
    double n = 0, sx = 0, sy = 0;
    for (const Centre &p : pts) { n += 1; sx += p.along; sy += p.across; }
    const double mx = sx / n, my = sy / n;
    double sxx = 0, sxy = 0;
    for (const Centre &p : pts) {
        sxx += (p.along - mx) * (p.along - mx);
        sxy += (p.along - mx) * (p.across - my);
    }
    if (sxx <= 0)
        return false;
    *b = sxy / sxx;
    *a = my - *b * mx;
    return true;
}

} // namespace

FrameLineFit::FrameLineFit(const cv::Mat &grey, bool horizontal)
    : m_grey(grey), m_horizontal(horizontal)
{
    m_alongSize = horizontal ? grey.cols : grey.rows;
    m_acrossSize = horizontal ? grey.rows : grey.cols;
}

int FrameLineFit::value(int along, int across) const
{
    return m_horizontal ? m_grey.at<uchar>(across, along) : m_grey.at<uchar>(along, across);
}

bool FrameLineFit::fit(double a, double b, double alongFrom, double alongTo, double window, int outward)
{
    const int from = std::max(0, static_cast<int>(std::ceil(std::min(alongFrom, alongTo))));
    const int to = std::min(m_alongSize - 1, static_cast<int>(std::floor(std::max(alongFrom, alongTo))));
    if (to - from < 10)
        return false;
    const int step = std::max(1, (to - from) / 160);
    std::vector<Centre> centres;
    std::vector<int> g;
    int cuts = 0;
    for (int s = from; s <= to; s += step) {
        const double pred = a + b * s;
        const int lo = static_cast<int>(std::floor(pred - window));
        const int hi = static_cast<int>(std::ceil(pred + window));
        if (lo < 0 || hi >= m_acrossSize)
            continue;
        ++cuts;
        // Each cut is the mean of a few neighbouring cuts along the line:
        // noise and the strokes of labels and map detail across the line
        // fade, the line (faint when blurred) does not.
        g.assign(static_cast<size_t>(hi - lo + 1), 0);
        int taken = 0;
        for (int j = -kSpread; j <= kSpread; ++j) {
            const int along = s + j;
            const int shift = static_cast<int>(std::lround(b * j));
            if (along < 0 || along >= m_alongSize || lo + shift < 0 || hi + shift >= m_acrossSize)
                continue;
            ++taken;
            for (int q = lo; q <= hi; ++q)
                g[q - lo] += value(along, q + shift);
        }
        for (int &v : g)
            v = (v + taken / 2) / taken;
        const int bg = *std::max_element(g.begin(), g.end());
        const int lowest = *std::min_element(g.begin(), g.end());
        if (bg - lowest < 20)
            continue;
        const int count = static_cast<int>(g.size());
        int i = 1;
        while (i + 1 < count) {
            // A dip: a local minimum (plateaus taken at their left end).
            if (!(g[i] <= g[i - 1] && g[i] < g[i + 1]) && !(g[i] < g[i - 1] && g[i] <= g[i + 1])) {
                ++i;
                continue;
            }
            const int depth = bg - g[i];
            if (depth < std::max(20, (bg - lowest) / 4)) {
                ++i;
                continue;
            }
            const double threshold = bg - 0.25 * depth;
            // The dip's own slopes: down to the threshold, or up to where a
            // neighbouring stroke (a label, blurred into the line) begins.
            int l = i, r = i;
            while (l - 1 >= 0 && g[l - 1] < threshold && g[l - 1] >= g[l]) --l;
            while (r + 1 < count && g[r + 1] < threshold && g[r + 1] >= g[r]) ++r;
            if (l == 0 || r == count - 1) { // cut off by the window: not centred
                i = r + 1;
                continue;
            }
            // Centred on the minimum: as far out on both sides.
            const int half = std::min(i - l, r - i);
            double centre = i;
            if (half >= 2) {
                double w = 0, m = 0;
                for (int q = i - half; q <= i + half; ++q) {
                    const double wq = threshold - g[q];
                    w += wq;
                    m += wq * q;
                }
                if (w > 0)
                    centre = m / w;
            } else {
                // Too close to its neighbour for a centroid: the parabola
                // through the lowest three values.
                const double denominator = g[i - 1] - 2.0 * g[i] + g[i + 1];
                if (denominator > 0)
                    centre = i + std::clamp(0.5 * (g[i - 1] - g[i + 1]) / denominator, -0.5, 0.5);
            }
            const double across = lo + centre;
            centres.push_back({double(s), across, across - pred});
            i = r + 1;
        }
    }
    if (cuts < 8 || centres.size() < 4)
        return false;

    // The offset from the estimate with the most centres close to it.
    std::vector<int> support(centres.size(), 0);
    int best = 0;
    for (size_t i = 0; i < centres.size(); ++i) {
        for (const Centre &c : centres)
            if (std::abs(c.offset - centres[i].offset) <= 1.0)
                ++support[i];
        best = std::max(best, support[i]);
    }
    // Each line seen is a peak of that count: no centre near it has more.
    // Centres on a line's flank (pulled aside by a blurred label beside it)
    // belong to that line's peak, not to a line of their own.
    double chosen = 0;
    bool have = false;
    for (size_t i = 0; i < centres.size(); ++i) {
        if (support[i] < 0.7 * best)
            continue;
        bool peak = true;
        for (size_t j = 0; j < centres.size() && peak; ++j)
            if (support[j] > support[i] && std::abs(centres[j].offset - centres[i].offset) <= 1.5)
                peak = false;
        if (!peak)
            continue;
        if (!have || centres[i].offset * outward > chosen * outward) {
            chosen = centres[i].offset;
            have = true;
        }
    }
    // Refine the offset to the mean of its neighbours.
    {
        double sum = 0; int n = 0;
        for (const Centre &c : centres)
            if (std::abs(c.offset - chosen) <= 1.0) { sum += c.offset; ++n; }
        chosen = sum / n;
    }
    double fa = a + chosen, fb = b;
    for (double tolerance : {1.5, 0.8, 0.6}) {
        std::vector<Centre> inliers;
        for (const Centre &c : centres)
            if (std::abs(c.across - (fa + fb * c.along)) <= tolerance)
                inliers.push_back(c);
        double na, nb;
        if (!leastSquares(inliers, &na, &nb))
            return false;
        fa = na;
        fb = nb;
    }
    std::vector<Centre> inliers;
    double sq = 0;
    for (const Centre &c : centres) {
        const double d = c.across - (fa + fb * c.along);
        if (std::abs(d) <= 0.8) { inliers.push_back(c); sq += d * d; }
    }
    m_support = double(inliers.size()) / cuts;
    if (inliers.size() < 4)
        return false;
    m_a = fa;
    m_b = fb;
    m_rms = std::sqrt(sq / inliers.size());
    return true;
}
