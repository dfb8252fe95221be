#include "frame/FrameEdge.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;
constexpr double kBandDepth = 0.36;   // part of the image searched from each side
constexpr double kAlongFrom = 0.2;    // the middle of each edge, where the sheet surely is
constexpr double kAlongTo = 0.8;
constexpr double kBarsFrom = 0.1;     // where the minute bars are looked for
constexpr double kBarsTo = 0.9;
constexpr double kMaxAngle = 6.0;     // degrees of turn plus lean
constexpr double kStrong = 0.6;       // a line covering this much of the edge
constexpr double kWeak = 0.3;         // the label band covers less

} // namespace

QString FrameEdge::sideName(Side side)
{
    switch (side) {
    case North: return QCoreApplication::translate("FrameEdge", "north");
    case East: return QCoreApplication::translate("FrameEdge", "east");
    case South: return QCoreApplication::translate("FrameEdge", "south");
    case West: return QCoreApplication::translate("FrameEdge", "west");
    }
    return {};
}

FrameEdge::FrameEdge(const cv::Mat &strokes, const cv::Mat &grey, Side side, double minutes)
    : m_strokes(strokes), m_grey(grey), m_side(side), m_minutes(minutes)
{
    const bool across = side == North || side == South;
    m_lenU = across ? strokes.cols : strokes.rows;
    m_depth = across ? strokes.rows : strokes.cols;
    m_uMin = static_cast<int>(m_lenU * kAlongFrom);
    m_uMax = static_cast<int>(m_lenU * kAlongTo);
    const int vMax = static_cast<int>(m_depth * kBandDepth);
    m_offset = static_cast<int>(std::ceil(std::tan(kMaxAngle * kDeg * 1.1) * m_uMax)) + 2;
    m_points.reserve(static_cast<size_t>((m_uMax - m_uMin) * vMax / 6));
    for (int v = 0; v < vMax; ++v) {
        for (int u = m_uMin; u < m_uMax; ++u) {
            int x, y;
            switch (side) {
            case North: x = u; y = v; break;
            case South: x = u; y = m_depth - 1 - v; break;
            case West: x = v; y = u; break;
            default: x = m_depth - 1 - v; y = u; break;
            }
            if (strokes.at<uchar>(y, x))
                m_points.push_back({static_cast<float>(u), static_cast<float>(v)});
        }
    }
}

bool FrameEdge::dark(double u, double v) const
{
    const int iu = static_cast<int>(std::lround(u));
    const int iv = static_cast<int>(std::lround(v));
    if (iu < 0 || iu >= m_lenU || iv < 0 || iv >= m_depth)
        return false;
    switch (m_side) {
    case North: return m_strokes.at<uchar>(iv, iu) != 0;
    case South: return m_strokes.at<uchar>(m_depth - 1 - iv, iu) != 0;
    case West: return m_strokes.at<uchar>(iu, iv) != 0;
    default: return m_strokes.at<uchar>(iu, m_depth - 1 - iv) != 0;
    }
}

int FrameEdge::grey(double u, double v) const
{
    const int iu = std::clamp(static_cast<int>(std::lround(u)), 0, m_lenU - 1);
    const int iv = std::clamp(static_cast<int>(std::lround(v)), 0, m_depth - 1);
    switch (m_side) {
    case North: return m_grey.at<uchar>(iv, iu);
    case South: return m_grey.at<uchar>(m_depth - 1 - iv, iu);
    case West: return m_grey.at<uchar>(iu, iv);
    default: return m_grey.at<uchar>(iu, m_depth - 1 - iv);
    }
}

void FrameEdge::profile(double t, std::vector<int> &bins) const
{
    const int n = static_cast<int>(m_depth * kBandDepth) + 2 * m_offset + 2;
    bins.assign(static_cast<size_t>(n), 0);
    const float tf = static_cast<float>(t);
    const float off = static_cast<float>(m_offset) + 0.5f;
    for (const Point &p : m_points) {
        const int k = static_cast<int>(p.v - tf * p.u + off);
        if (k >= 0 && k < n)
            ++bins[static_cast<size_t>(k)];
    }
}

// The frame's lines lie close together: the best window of a few per cent of
// the edge's length, scored by its sum of squares, prefers them to the
// kilometre grid lines, which lie farther apart.
double FrameEdge::windowScore(const std::vector<int> &bins) const
{
    const int window = std::max(8, static_cast<int>(0.025 * m_lenU));
    double best = 0, sum = 0;
    for (size_t k = 0; k < bins.size(); ++k) {
        sum += double(bins[k]) * bins[k];
        if (k >= static_cast<size_t>(window))
            sum -= double(bins[k - window]) * bins[k - window];
        best = std::max(best, sum);
    }
    return best;
}

// A strip of alternating black and white bars, one a minute, along the edge:
// judged on the grey image against the strip's own dark and light, so that
// blur (which greys the white bars between the frame's lines) does not hide it.
bool FrameEdge::minuteLike(double rho, double t, std::vector<char> *pattern) const
{
    // Most of the edge's length: a large-scale sheet has only a few bars a side.
    const int from = static_cast<int>(m_lenU * kBarsFrom), to = static_cast<int>(m_lenU * kBarsTo);
    std::vector<int> g;
    g.reserve(static_cast<size_t>(to - from));
    for (int u = from; u < to; ++u)
        g.push_back(grey(u, rho + t * u));
    std::vector<int> sorted = g;
    const size_t lo = sorted.size() / 10, hi = sorted.size() * 9 / 10;
    std::nth_element(sorted.begin(), sorted.begin() + lo, sorted.end());
    const int p10 = sorted[lo];
    std::nth_element(sorted.begin(), sorted.begin() + hi, sorted.end());
    const int p90 = sorted[hi];
    if (p90 - p10 < 40)
        return false;
    const int mid = (p10 + p90) / 2;
    int darkCount = 0, current = -1, runLength = 0;
    std::vector<int> lengths;
    if (pattern)
        pattern->clear();
    for (int v : g) {
        const int d = v < mid ? 1 : 0;
        if (pattern)
            pattern->push_back(static_cast<char>(d));
        darkCount += d;
        if (d == current) {
            ++runLength;
            continue;
        }
        if (current == 1 && runLength >= 2)
            lengths.push_back(runLength);
        current = d;
        runLength = 1;
    }
    if (current == 1 && runLength >= 2)
        lengths.push_back(runLength);
    const int runs = static_cast<int>(lengths.size());
    const double fraction = g.empty() ? 0 : double(darkCount) / g.size();
    if (fraction < 0.2 || fraction > 0.8)
        return false;
    // Bars seen in the searched middle of the edge; the sheet spans most of it.
    const double expected = m_minutes * (kBarsTo - kBarsFrom);
    // Small-scale sheets (a degree and more a side) may mark every 5 or 10
    // minutes instead: the fewest bars those would give.
    const double fewest = m_minutes > 120 ? expected / 10 : expected;
    // A large-scale sheet's edge spans only a few minutes: one or two bars
    // are seen, each a large part of the edge.
    const bool fewBars = fewest < 5;
    if (runs < (fewBars ? 1.0 : std::max(2.0, 0.4 * std::min(fewest, 40.0))))
        return false;
    if (m_minutes <= 120 && runs > 6 * expected + 10)
        return false;
    // The bars are of like length: no long dark stretch.
    const int longest = lengths.empty() ? 0 : *std::max_element(lengths.begin(), lengths.end());
    if (longest > 3 * (to - from) / std::max(3, runs))
        return false;
    // And most of the dark lies in runs of about the same length: a line
    // blurred and shaded by stains or folds breaks into pieces of any length,
    // the 10-second dots into short specks that hold little of the dark.
    std::vector<int> sortedRuns = lengths;
    std::sort(sortedRuns.begin(), sortedRuns.end());
    long long darkInRuns = 0;
    for (int l : sortedRuns) darkInRuns += l;
    long long seen = 0;
    int typical = sortedRuns.back();
    for (int l : sortedRuns) {
        seen += l;
        if (2 * seen >= darkInRuns) { typical = l; break; }
    }
    long long alike = 0;
    int alikeRuns = 0;
    for (int l : sortedRuns)
        if (l >= 0.6 * typical && l <= 1.5 * typical + 1) { alike += l; ++alikeRuns; }
    if (fewBars) {
        // Most of the dark in bars of at least a good part of a minute.
        const double minute = m_lenU / m_minutes;
        long long inBars = 0;
        for (int l : sortedRuns)
            if (l >= 0.3 * minute) inBars += l;
        return inBars >= 0.75 * darkInRuns;
    }
    return alike >= 0.75 * darkInRuns && alikeRuns >= std::max(2.0, 0.3 * std::min(fewest, 40.0));
}

bool FrameEdge::search()
{
    const QString side = sideName(m_side);
    if (m_points.size() < static_cast<size_t>(m_uMax - m_uMin)) {
        m_reason = QCoreApplication::translate("FrameEdge", "no lines along the %1 edge").arg(side);
        return false;
    }
    std::vector<int> bins;
    double bestT = 0, bestScore = -1;
    for (double deg = -kMaxAngle; deg <= kMaxAngle + 1e-9; deg += 0.25) {
        profile(std::tan(deg * kDeg), bins);
        const double s = windowScore(bins);
        if (s > bestScore) { bestScore = s; bestT = deg; }
    }
    const double centre = bestT;
    for (double deg = centre - 0.25; deg <= centre + 0.25 + 1e-9; deg += 0.025) {
        profile(std::tan(deg * kDeg), bins);
        const double s = windowScore(bins);
        if (s > bestScore) { bestScore = s; bestT = deg; }
    }
    const double t = std::tan(bestT * kDeg);
    profile(t, bins);
    const double length = m_uMax - m_uMin;
    const int n = static_cast<int>(bins.size());
    std::vector<double> cover(static_cast<size_t>(n), 0);
    for (int k = 0; k + 1 < n; ++k)
        cover[k] = (bins[k] + bins[k + 1]) / length;

    const int maxBand = std::max(6, static_cast<int>(0.04 * m_lenU));
    // Two rows of bars one above the other within `from`..`to`. The stepping
    // edges of a line drawn at a slant look like bars too, but the rows along
    // its two sides step in turn, and a thick line's edge is a single row.
    auto bars = [&](int from, int to) {
        std::vector<std::vector<char>> patterns;
        std::vector<int> rows;
        for (int q = from; q <= to && q < n; ++q) {
            std::vector<char> p;
            if (cover[q] >= 0.3 && minuteLike(q - m_offset, t, &p)) {
                rows.push_back(q);
                patterns.push_back(std::move(p));
            }
        }
        for (size_t i = 0; i < rows.size(); ++i)
            for (size_t j = i + 1; j < rows.size(); ++j) {
                if (rows[j] - rows[i] > 3)
                    continue;
                size_t same = 0;
                for (size_t u = 0; u < patterns[i].size(); ++u)
                    same += patterns[i][u] == patterns[j][u] ? 1 : 0;
                if (same >= 0.85 * patterns[i].size())
                    return true;
            }
        return false;
    };
    bool sawMinutes = false;
    int k = 0;
    while (k < n) {
        // The next strip of minute bars, from the outside in.
        if (!(cover[k] >= 0.3 && minuteLike(k - m_offset, t))) {
            ++k;
            continue;
        }
        // Rows of bars, allowing a row broken by the 10-second dots. The
        // bars lie one above the other, so two rows of the band agree; the
        // stepping edges of a line drawn at a slant look like bars too, but
        // the rows along its two sides step in turn, and a thick line's edge
        // is a single row.
        int m = k;
        for (int q = k + 1; q < n && q <= m + 2; ++q)
            if (cover[q] >= 0.3 && minuteLike(q - m_offset, t))
                m = q;
        const bool agree = bars(k, m);
        if (!agree) {
            k = m + 1;
            continue;
        }
        sawMinutes = true;
        // Over the minute frame's inner line (right beside its bars), then
        // the label band (no long line across it, only labels), then the
        // inner frame.
        int j = m + 1;
        int start = -1;
        for (int q = j; q < n && q <= m + 3; ++q)
            if (cover[q] >= kStrong) { start = q; break; }
        if (start >= 0) {
            j = start;
            while (j < n && cover[j] >= kStrong)
                ++j;
        }
        const int gapFrom = j;
        while (j < n && cover[j] < kStrong && j - m <= maxBand)
            ++j;
        if (j == gapFrom) {
            k = m + 1;
            continue;
        }
        if (j < n && j - m <= maxBand && cover[j] >= kStrong) {
            int r = j;
            while (r + 1 < n && cover[r + 1] >= kStrong)
                ++r;
            // Bars in it: this was the outer frame, and this the minute frame.
            if (bars(j, r)) {
                k = j;
                continue;
            }
            double weight = 0, sum = 0;
            for (int q = j; q <= std::min(n - 1, r + 1); ++q) {
                weight += bins[q];
                sum += double(bins[q]) * q;
            }
            const double rho = sum / weight - m_offset;
            m_labelBand = rho - (m - m_offset);
            switch (m_side) {
            case North: case West: m_a = rho; m_b = t; break;
            case South: case East: m_a = m_depth - 1 - rho; m_b = -t; break;
            }
            return true;
        }
        k = m + 1;
    }
    m_reason = sawMinutes
        ? QCoreApplication::translate("FrameEdge", "no inner frame line inside the minute frame along the %1 edge").arg(side)
        : QCoreApplication::translate("FrameEdge", "no minute frame along the %1 edge").arg(side);
    return false;
}
