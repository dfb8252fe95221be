#include "frame/FrameEdge.h"

#include "frame/FramePeaks.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;
constexpr double kDepth = 0.4;      // part of the image searched from each side
constexpr double kAlongFrom = 0.2;  // the middle of each side, where the sheet surely is
constexpr double kAlongTo = 0.8;
constexpr double kTurn = 4.5;       // degrees of turn and lean on either side of the expected lean
constexpr double kCover = 0.4;      // a line's strokes over this share of the middle
constexpr size_t kMaxLines = 24;
constexpr double kSameTurn = 0.012; // slopes of peaks of one line (0.7 degrees)

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

std::vector<FrameLine> FrameEdge::candidates(const cv::Mat &strokes, Side side, int factor, double lean, double bend)
{
    const bool across = horizontal(side);
    const int lenU = across ? strokes.cols : strokes.rows;
    const int depth = across ? strokes.rows : strokes.cols;
    const int uMin = static_cast<int>(lenU * kAlongFrom), uMax = static_cast<int>(lenU * kAlongTo);
    const double uc = (uMin + uMax) / 2.0;
    const double length = uMax - uMin;
    const int vMax = static_cast<int>(depth * kDepth);
    // The bend on the side's own axes, reduced pixels: v grows inwards.
    const double um = (lenU - 1) / 2.0;
    const double cv = (side == South ? -bend : bend) * factor;
    std::vector<float> du, dv;
    for (int v = 0; v < vMax; ++v)
        for (int u = uMin; u < uMax; ++u) {
            int x, y;
            switch (side) {
            case North: x = u; y = v; break;
            case South: x = u; y = depth - 1 - v; break;
            case West: x = v; y = u; break;
            default: x = depth - 1 - v; y = u; break;
            }
            if (strokes.at<uchar>(y, x)) {
                du.push_back(static_cast<float>(u - uc));
                dv.push_back(static_cast<float>(v - cv * (u - um) * (u - um)));
            }
        }
    std::vector<FrameLine> lines;
    if (du.size() < static_cast<size_t>(length))
        return lines;

    const double centreDeg = lean;
    const double step = 1.0 / length / kDeg; // half a pixel at either end of the middle
    const int angles = 2 * static_cast<int>(std::ceil(kTurn / step)) + 1;
    const int offset = static_cast<int>(std::ceil(length / 2 * std::tan((std::abs(centreDeg) + kTurn) * kDeg))) + 3;
    const int rhos = vMax + 2 * offset;
    std::vector<int> acc(static_cast<size_t>(angles) * rhos, 0);
    std::vector<double> slopes(static_cast<size_t>(angles));
    for (int a = 0; a < angles; ++a) {
        const double deg = centreDeg + (a - angles / 2) * step;
        slopes[a] = std::tan(deg * kDeg);
        const float t = static_cast<float>(slopes[a]);
        int *row = acc.data() + static_cast<size_t>(a) * rhos;
        const float off = static_cast<float>(offset) + 0.5f;
        for (size_t i = 0; i < du.size(); ++i) {
            const int k = static_cast<int>(dv[i] - du[i] * t + off);
            if (k >= 0 && k < rhos)
                ++row[k];
        }
    }
    // Votes of three neighbouring offsets: a line a pixel wide falls on one or two.
    auto votes = [&](int a, int k) {
        if (a < 0 || a >= angles || k < 1 || k + 1 >= rhos)
            return 0;
        const int *row = acc.data() + static_cast<size_t>(a) * rhos;
        return row[k - 1] + row[k] + row[k + 1];
    };
    struct Peak { int votes; int a; int k; };
    std::vector<Peak> peaks;
    const int least = static_cast<int>(kCover * length);
    forEachPeak(angles, rhos, 3, 2, least, votes, [&](int a, int k, int v) { peaks.push_back({v, a, k}); });
    std::sort(peaks.begin(), peaks.end(), [](const Peak &p, const Peak &q) { return p.votes > q.votes; });
    std::vector<Peak> kept;
    // A weaker peak whose line meets or nears a stronger one's within the
    // middle at a small angle is that line's strokes seen at a slant (a thick
    // line, a strip of bars), not a line of its own. (A grid line may cross
    // the frame line at a small angle too: it is told apart on the full-size
    // scan.)
    for (const Peak &p : peaks) {
        bool near = false;
        for (const Peak &q : kept) {
            const double dk = p.k - q.k, dt = (slopes[p.a] - slopes[q.a]) * length / 2;
            const double first = dk - dt, last = dk + dt;
            if (std::abs(slopes[p.a] - slopes[q.a]) <= kSameTurn
                && ((first > 0) != (last > 0) || std::min(std::abs(first), std::abs(last)) <= 3))
                near = true;
        }
        if (near)
            continue;
        kept.push_back(p);
        if (kept.size() == kMaxLines)
            break;
    }
    const double c0 = (factor - 1) / 2.0; // a reduced pixel's centre on the full image
    for (const Peak &p : kept) {
        const double rho = p.k - offset;
        const double t = slopes[p.a];
        double A = 0, B = 0;
        switch (side) {
        case North: case West: A = rho - uc * t; B = t; break;
        case South: case East: A = depth - 1 - rho + uc * t; B = -t; break;
        }
        FrameLine line;
        line.horizontal = across;
        line.a = factor * A + c0 * (1 - B);
        line.b = B;
        line.depth = double(p.votes) / length; // the share of the middle its strokes cover
        line.c = bend;
        line.mid = factor * um + c0;
        lines.push_back(line);
    }
    return lines;
}
