#include "frame/FrameFinder.h"

#include "frame/FrameEdge.h"
#include "scan/FrameImage.h"
#include "frame/FrameLineFit.h"
#include "frame/FrameProbe.h"
#include "frame/FrameShape.h"
#include "sheet/SheetIdentity.h"

#include <QCoreApplication>
#include <QLineF>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Long side of the reduced image the coarse search runs on.
constexpr double kCoarseSide = 1600.0;
// A sheet's frame spans at least this much of the image each way.
constexpr double kLeastSpan = 0.4;
// A frame line is seen along this share of its edge.
constexpr double kLeastCoverage = 0.6;
// The frame's lines run on outwards past each corner at least this far, mm.
constexpr double kLeastArm = 1.2;
// and stop at the minute frame, across the label band: a line running on
// further is a line of the map (a grid line) crossing another.
constexpr double kMostArm = 16.0;
// The lines of the minute frame and the outer line lie this far outside the
// frame line, mm.
constexpr double kParallelFrom = 1.0;
constexpr double kParallelTo = 25.0;
// How far two lines printed parallel may seem to close in or part over a
// stretch this long, pixels (fitting and the paper's unevenness).
double parallelSpread(double length)
{
    return std::max(3.0, 0.0012 * length);
}
// The most paper a scan shows outside the frame on any side, mm: the title,
// the notes and the scale bar below the frame take some 6 cm.
constexpr double kMostCollar = 120.0;
// Corners of two frames this far apart are different frames, pixels.
constexpr double kSameFrame = 3.0;
// Two different frames whose scores differ by less than this are a tie.
constexpr double kTie = 0.25;

// Corner k joins the horizontal edge horizontalOf[k] and the vertical edge verticalOf[k].
constexpr int kHorizontalOf[4] = {FrameEdge::North, FrameEdge::North, FrameEdge::South, FrameEdge::South};
constexpr int kVerticalOf[4] = {FrameEdge::West, FrameEdge::East, FrameEdge::East, FrameEdge::West};
// Outwards along x at corner k (west or east), along y (north or south).
constexpr int kOutX[4] = {-1, +1, +1, -1};
constexpr int kOutY[4] = {-1, -1, +1, +1};

// The thin dark strokes of the reduced image: black-hat against the local
// paper (stains, tints and uneven light drop out), then a threshold over the
// noise.
cv::Mat strokesOf(const cv::Mat &reduced)
{
    const int side = std::max(reduced.cols, reduced.rows);
    int k = std::max(9, static_cast<int>(side * 0.006));
    k |= 1;
    cv::Mat hat;
    cv::morphologyEx(reduced, hat, cv::MORPH_BLACKHAT, cv::getStructuringElement(cv::MORPH_RECT, {k, k}));
    // The noise level: the median of the black-hat over the paper.
    int histogram[256] = {};
    for (int y = 0; y < hat.rows; y += 2) {
        const uchar *row = hat.ptr(y);
        for (int x = 0; x < hat.cols; x += 2)
            ++histogram[row[x]];
    }
    int total = 0;
    for (int v : histogram) total += v;
    int median = 0;
    for (int seen = 0; median < 255 && seen + histogram[median] < total / 2; ++median)
        seen += histogram[median];
    const double threshold = std::max(10.0, 3.0 * (median + 1));
    cv::Mat strokes;
    cv::threshold(hat, strokes, threshold, 255, cv::THRESH_BINARY);
    return strokes;
}

// How far a line runs on from a corner: steps outwards along it while cuts
// across it show it, until a gap longer than `gap`; more than `reach` when it
// runs on to the image's edge (a scan cut inside the frame shows map lines
// crossing there).
double armLength(const FrameProbe &probe, const FrameLine &line, const QPointF &corner, const QPointF &outward,
                 double start, double reach, double gap, int flank)
{
    const QPointF normal(-outward.y(), outward.x());
    const int half = static_cast<int>(std::ceil(line.width)) + flank;
    const double near = 1.5 + 0.3 * line.width;
    const double least = std::max(10.0, 0.3 * line.depth);
    std::vector<float> g;
    std::vector<FrameProbe::Dip> dips;
    double last = 0;
    for (double t = start; t <= reach; t += 1.0) {
        if (t - std::max(last, start) > gap)
            break;
        const QPointF p = corner + outward * t;
        if (!probe.contains(p, 1))
            return t - last <= gap ? reach + 1 : last; // it may run on past the image's edge
        probe.cut(p, outward, normal, half, 1, g);
        FrameProbe::dips(g, flank, least, dips);
        for (const FrameProbe::Dip &d : dips)
            if (std::abs(d.centre - half) <= near) {
                last = t;
                break;
            }
    }
    return last;
}

struct Combo
{
    int line[4] = {0, 0, 0, 0};  // candidate of each edge N, E, S, W
    std::array<QPointF, 4> corners;
    double score = 0;
    double deviation = 0;
    double pxPerMm = 0;
    double alike = 0;            // the lightest line's depth over the darkest's
    double coverage[4] = {0, 0, 0, 0};
    double arm[4][2] = {};       // at corner k: the horizontal line's arm, the vertical line's
    int arms = 0;
};

} // namespace

FrameResult FrameFinder::find(const QString &imagePath, const SheetIdentity &sheet)
{
    FrameResult result;
    FrameShape shape;
    QString problem;
    if (!shape.setSheet(sheet, &problem)) {
        result.reason = problem;
        return result;
    }

    cv::Mat grey;
    {
        FrameImage image;
        if (!image.load(imagePath)) {
            result.reason = image.reason();
            return result;
        }
        grey = image.grey();
    }
    result.imageSize = QSize(grey.cols, grey.rows);
    if (grey.cols < 200 || grey.rows < 200) {
        result.reason = QCoreApplication::translate("FrameFinder", "the image is too small for a sheet (%1 x %2 pixels)").arg(grey.cols).arg(grey.rows);
        return result;
    }
    cv::Mat reduced;
    int f = 1;
    try {
        f = std::max(1, static_cast<int>(std::lround(std::max(grey.cols, grey.rows) / kCoarseSide)));
        const cv::Mat whole = grey(cv::Rect(0, 0, grey.cols / f * f, grey.rows / f * f));
        if (f == 1)
            reduced = whole;
        else
            cv::resize(whole, reduced, cv::Size(whole.cols / f, whole.rows / f), 0, 0, cv::INTER_AREA);
    } catch (const cv::Exception &) {
        result.reason = QCoreApplication::translate("FrameFinder", "out of memory reducing the image");
        return result;
    }
    const cv::Mat strokes = strokesOf(reduced);
    reduced.release();
    const FrameProbe probe(grey);

    // Each side: the long lines of the coarse search, each fitted on the
    // full-size scan, where it may turn out to be two or three lines.
    const int flank = f + 4;
    const int spread = std::max(2, f / 2);
    // The rough line may lie a reduced pixel or two off, or on a road drawn
    // beside the frame line: the window takes in both.
    const double window = 2.0 * f + 12;
    const double half = shape.convergence() / 2;
    std::vector<FrameLine> lines[4];
    for (int side = 0; side < 4; ++side) {
        const auto s = static_cast<FrameEdge::Side>(side);
        const bool horizontal = FrameEdge::horizontal(s);
        const double lean = horizontal ? 0.0 : (shape.south() ? half : -half);
        const double length = horizontal ? grey.cols : grey.rows;
        // The bend of an arched edge, at about the scale the frame has here;
        // such a sheet may be drawn with straight edges all the same.
        const double pxPerMm = std::min(grey.cols / shape.widthMm(), grey.rows / shape.heightMm()) / 1.08;
        const double bend = horizontal ? shape.bendMm(s == FrameEdge::North) / pxPerMm : 0.0;
        std::vector<FrameLine> roughs = FrameEdge::candidates(strokes, s, f, lean);
        if (bend != 0) {
            const std::vector<FrameLine> bent = FrameEdge::candidates(strokes, s, f, lean, bend);
            roughs.insert(roughs.end(), bent.begin(), bent.end());
        }
        for (const FrameLine &rough : roughs) {
            for (FrameLine &line : FrameLineFit::fit(probe, rough, 0.02 * length, 0.98 * length, window, flank, spread)) {
                if (line.coverage(0.25 * length, 0.75 * length) < 0.5)
                    continue;
                const double mid = length / 2;
                auto same = std::find_if(lines[side].begin(), lines[side].end(), [&](const FrameLine &l) {
                    return std::abs(l.across(mid) - line.across(mid)) < 1.0;
                });
                if (same == lines[side].end())
                    lines[side].push_back(std::move(line));
                else if (same->coverage(0, length) < line.coverage(0, length))
                    *same = std::move(line);
            }
        }
        // The inner of two lines a stroke's width apart (a road drawn along
        // the frame, blurred into it) is not the frame line: it is the outer.
        {
            const double mid = length / 2;
            const double sign = side == FrameEdge::North || side == FrameEdge::West ? -1 : 1;
            std::vector<FrameLine> kept;
            for (const FrameLine &line : lines[side]) {
                bool inner = false;
                for (const FrameLine &other : lines[side]) {
                    const double out = sign * (other.across(mid) - line.across(mid));
                    if (out > 0.5 && out <= std::max(3.0, 2.5 * line.width) && std::abs(other.b - line.b) < 0.002)
                        inner = true;
                }
                if (!inner)
                    kept.push_back(line);
            }
            lines[side] = std::move(kept);
        }
        if (lines[side].empty()) {
            result.reason = QCoreApplication::translate("FrameFinder", "no long straight line along the %1 edge").arg(FrameEdge::sideName(s));
            return result;
        }
    }
    // How far out each line lies: larger is nearer the image's edge.
    // At a tenth and at nine tenths of the side's length.
    auto outer = [&](int side, const FrameLine &l, int end) {
        const double at = (FrameEdge::horizontal(static_cast<FrameEdge::Side>(side)) ? grey.cols : grey.rows) * (end == 0 ? 0.1 : 0.9);
        return side == FrameEdge::North || side == FrameEdge::West ? -l.across(at) : l.across(at);
    };

    // A frame line runs parallel to the lines printed outside it on its side
    // (the minute frame's, the outer line), where there are such: a grid
    // line crossing it at a small angle does not.
    const double pxPerMmGuess = std::min(grey.cols / shape.widthMm(), grey.rows / shape.heightMm()) / 1.08;
    std::vector<char> parallel[4];
    for (int side = 0; side < 4; ++side) {
        const double length = FrameEdge::horizontal(static_cast<FrameEdge::Side>(side)) ? grey.cols : grey.rows;
        const double sign = side == FrameEdge::North || side == FrameEdge::West ? -1 : 1;
        for (const FrameLine &line : lines[side]) {
            bool found = false;
            for (const FrameLine &other : lines[side]) {
                double least = 1e9, most = -1e9;
                for (double at : {0.1, 0.5, 0.9}) {
                    const double d = sign * (other.across(at * length) - line.across(at * length));
                    least = std::min(least, d);
                    most = std::max(most, d);
                }
                if (least >= kParallelFrom * pxPerMmGuess && most <= kParallelTo * pxPerMmGuess
                    && most - least <= parallelSpread(length))
                    found = true;
            }
            parallel[side].push_back(found ? 1 : 0);
        }
    }

    // Every four lines that make a frame of the sheet's shape, whose lines run
    // all along their edges and on outwards past each corner.
    std::map<std::array<int, 3>, std::pair<double, double>> armCache; // (h, v, corner) -> arms
    std::vector<Combo> combos;
    int shaped = 0;
    const double pxPerMmMost = std::min(grey.cols / shape.widthMm(), grey.rows / shape.heightMm()) * 1.1;
    Combo c;
    for (c.line[0] = 0; c.line[0] < int(lines[0].size()); ++c.line[0])
    for (c.line[1] = 0; c.line[1] < int(lines[1].size()); ++c.line[1])
    for (c.line[2] = 0; c.line[2] < int(lines[2].size()); ++c.line[2])
    for (c.line[3] = 0; c.line[3] < int(lines[3].size()); ++c.line[3]) {
        const FrameLine *l[4] = {&lines[0][c.line[0]], &lines[1][c.line[1]], &lines[2][c.line[2]], &lines[3][c.line[3]]};
        bool inside = true;
        for (int k = 0; k < 4; ++k) {
            c.corners[k] = crossing(*l[kHorizontalOf[k]], *l[kVerticalOf[k]]);
            inside = inside && probe.contains(c.corners[k], 2);
        }
        if (!inside)
            continue;
        const double width = (QLineF(c.corners[0], c.corners[1]).length() + QLineF(c.corners[3], c.corners[2]).length()) / 2;
        const double height = (QLineF(c.corners[0], c.corners[3]).length() + QLineF(c.corners[1], c.corners[2]).length()) / 2;
        if (width < kLeastSpan * grey.cols || height < kLeastSpan * grey.rows)
            continue;
        if (!shape.check(c.corners, &c.deviation).isEmpty())
            continue;
        ++shaped;
        c.pxPerMm = (width / shape.widthMm() + height / shape.heightMm()) / 2;
        bool covered = true;
        for (int side = 0; side < 4 && covered; ++side) {
            const QPointF a = c.corners[side], b = c.corners[(side + 1) % 4];
            const double from = l[side]->alongOf(a), to = l[side]->alongOf(b);
            const double trim = 0.02 * std::abs(to - from);
            c.coverage[side] = l[side]->coverage(std::min(from, to) + trim, std::max(from, to) - trim);
            covered = c.coverage[side] >= kLeastCoverage;
        }
        if (!covered)
            continue;
        c.arms = 0;
        for (int k = 0; k < 4; ++k) {
            const int h = kHorizontalOf[k], v = kVerticalOf[k];
            const std::array<int, 3> key = {c.line[h], c.line[v], k};
            auto it = armCache.find(key);
            if (it == armCache.end()) {
                const FrameLine &lh = *l[h], &lv = *l[v];
                QPointF dh = lh.direction(lh.alongOf(c.corners[k])), dv = lv.direction(lv.alongOf(c.corners[k]));
                if (dh.x() * kOutX[k] < 0) dh = -dh;
                if (dv.y() * kOutY[k] < 0) dv = -dv;
                const double gap = std::max(3.0, 0.4 * c.pxPerMm);
                const double reach = (kMostArm + 2) * pxPerMmMost;
                const double armH = armLength(probe, lh, c.corners[k], dh, lv.width / 2 + 2, reach, gap, flank);
                const double armV = armLength(probe, lv, c.corners[k], dv, lh.width / 2 + 2, reach, gap, flank);
                it = armCache.emplace(key, std::make_pair(armH, armV)).first;
            }
            c.arm[k][0] = it->second.first;
            c.arm[k][1] = it->second.second;
            for (double arm : c.arm[k])
                c.arms += arm >= kLeastArm * c.pxPerMm && arm <= kMostArm * c.pxPerMm ? 1 : 0;
        }
        if (c.arms < 7)
            continue;
        // One pen drew the frame all round: its four lines are alike.
        double lightest = l[0]->depth, darkest = l[0]->depth;
        for (const FrameLine *line : l) {
            lightest = std::min(lightest, line->depth);
            darkest = std::max(darkest, line->depth);
        }
        c.alike = lightest / darkest;
        int parallels = 0;
        for (int side = 0; side < 4; ++side)
            parallels += parallel[side][static_cast<size_t>(c.line[side])];
        c.score = (c.coverage[0] + c.coverage[1] + c.coverage[2] + c.coverage[3]) / 4 + 0.5 * c.arms / 8.0
                  - 0.3 * c.deviation + 0.5 * c.alike + 0.3 * parallels;
        combos.push_back(c);
    }
    if (combos.empty()) {
        result.reason = shaped == 0
            ? QCoreApplication::translate("FrameFinder", "no four long lines make a frame of the sheet's shape")
            : QCoreApplication::translate("FrameFinder", "no lines of the sheet's shape cross at the corners and run on outwards like a frame's");
        return result;
    }

    // A frame lying outside another on every side, in no part inside it (a
    // line crossing another at a small angle is neither), with lines as whole
    // and as alike, is the inner frame; the other is made of lines of the map.
    auto dominates = [&](const Combo &x, const Combo &y) {
        // Lines of the minute frame outside the frame line stop the other
        // lines' arms short: an outer frame with fewer arms running on is not
        // the inner frame.
        if (x.alike < y.alike - 0.15 || x.arms < y.arms)
            return false;
        bool further = false;
        for (int side = 0; side < 4; ++side) {
            // A line outside only where it is as whole as the other.
            if (x.line[side] != y.line[side] && x.coverage[side] < y.coverage[side] - 0.1)
                return false;
            for (int end = 0; end < 2; ++end) {
                const double dx = outer(side, lines[side][x.line[side]], end), dy = outer(side, lines[side][y.line[side]], end);
                if (dx < dy - 0.5)
                    return false;
                if (dx > dy + 2)
                    further = true;
            }
        }
        return further;
    };
    std::vector<const Combo *> free;
    for (const Combo &x : combos) {
        bool dominated = false;
        for (const Combo &y : combos)
            if (&x != &y && dominates(y, x)) { dominated = true; break; }
        if (!dominated)
            free.push_back(&x);
    }
    std::sort(free.begin(), free.end(), [](const Combo *x, const Combo *y) { return x->score > y->score; });
    const Combo &best = *free.front();
    for (size_t i = 1; i < free.size(); ++i) {
        double apart = 0;
        for (int k = 0; k < 4; ++k)
            apart = std::max(apart, QLineF(free[i]->corners[k], best.corners[k]).length());
        if (apart > kSameFrame && free[i]->score > best.score - kTie) {
            result.reason = QCoreApplication::translate("FrameFinder", "two frames fit the scan almost equally well, %1 pixels apart").arg(apart, 0, 'f', 0);
            return result;
        }
    }

    // The checks of the chosen frame, by what the search did not look at.
    const FrameLine *l[4] = {&lines[0][best.line[0]], &lines[1][best.line[1]], &lines[2][best.line[2]], &lines[3][best.line[3]]};

    // A frame line not parallel to the lines printed outside it, with a line
    // outside it as whole that is parallel to lines outside it, or a thick
    // outer line all along: that one or one beside it may be the frame line
    // (the chosen one a grid line turned against the frame), so the frame is
    // unsure.
    for (int side = 0; side < 4; ++side) {
        if (parallel[side][static_cast<size_t>(best.line[side])])
            continue;
        const FrameLine &line = *l[side];
        const double length = FrameEdge::horizontal(static_cast<FrameEdge::Side>(side)) ? grey.cols : grey.rows;
        const double sign = side == FrameEdge::North || side == FrameEdge::West ? -1 : 1;
        const double from = line.alongOf(best.corners[side]), to = line.alongOf(best.corners[(side + 1) % 4]);
        const double lo = std::min(from, to), hi = std::max(from, to);
        for (size_t i = 0; i < lines[side].size(); ++i) {
            const FrameLine &other = lines[side][i];
            // The outer line (thick, printed parallel to the frame) counts
            // even without lines outside it to be parallel to.
            const bool thick = other.width >= std::max(3.0, 2 * line.width);
            if ((!parallel[side][i] && !thick) || &other == &line)
                continue;
            double least = 1e9, most = -1e9;
            for (double at : {0.1, 0.5, 0.9}) {
                const double d = sign * (other.across(at * length) - line.across(at * length));
                least = std::min(least, d);
                most = std::max(most, d);
            }
            const double cover = other.coverage(lo + 0.02 * (hi - lo), hi - 0.02 * (hi - lo));
            if (least >= 2 && most <= kParallelTo * best.pxPerMm
                && (parallel[side][i] ? cover >= best.coverage[side] - 0.1 : cover >= 0.9)) {
                result.reason = QCoreApplication::translate("FrameFinder", "another long line runs along the %1 edge just outside the frame")
                                    .arg(FrameEdge::sideName(static_cast<FrameEdge::Side>(side)));
                return result;
            }
        }
    }
    // The frame and the lines printed outside it (the minute frame's, the
    // outer line) were drawn square with one another: a chosen line turned
    // against two long lines outside it that run parallel to each other is a
    // line of the map (a km grid line, which the grid's convergence turns
    // against the frame), however far inside the frame it lies.
    for (int side = 0; side < 4; ++side) {
        if (parallel[side][static_cast<size_t>(best.line[side])])
            continue;
        const FrameLine &line = *l[side];
        const double sign = side == FrameEdge::North || side == FrameEdge::West ? -1 : 1;
        const double from = line.alongOf(best.corners[side]), to = line.alongOf(best.corners[(side + 1) % 4]);
        const double lo = std::min(from, to), hi = std::max(from, to);
        // Offsets of `other` from `base` at a tenth, the middle and nine
        // tenths of the edge, outwards positive.
        auto apart = [&](const FrameLine &base, const FrameLine &other, double &least, double &most) {
            least = 1e9;
            most = -1e9;
            for (double at : {0.1, 0.5, 0.9}) {
                const double d = sign * (other.across(lo + at * (hi - lo)) - base.across(lo + at * (hi - lo)));
                least = std::min(least, d);
                most = std::max(most, d);
            }
        };
        std::vector<const FrameLine *> turned;
        for (const FrameLine &other : lines[side]) {
            double least, most;
            apart(line, other, least, most);
            if (least >= 2 && most - least > parallelSpread(hi - lo)
                && other.coverage(lo + 0.02 * (hi - lo), hi - 0.02 * (hi - lo)) >= 0.5)
                turned.push_back(&other);
        }
        bool pair = false;
        for (const FrameLine *x : turned)
            for (const FrameLine *y : turned) {
                double least, most;
                apart(*x, *y, least, most);
                pair = pair || (least >= kParallelFrom * best.pxPerMm && most <= kParallelTo * best.pxPerMm
                                && most - least <= parallelSpread(hi - lo));
            }
        if (pair) {
            result.reason = QCoreApplication::translate("FrameFinder", "the line found along the %1 edge is turned against the lines printed outside it")
                                .arg(FrameEdge::sideName(static_cast<FrameEdge::Side>(side)));
            return result;
        }
    }

    // A sheet's margins are a few centimetres of paper: a frame that leaves
    // much more of the scan outside it is a square of the map's grid.
    {
        const double cols = grey.cols - 1, rows = grey.rows - 1;
        // From the edge's nearer corner: the frames of the sheets far north
        // narrow towards the pole.
        const double collar[4] = {std::min(best.corners[0].y(), best.corners[1].y()),
                                  cols - std::max(best.corners[1].x(), best.corners[2].x()),
                                  rows - std::max(best.corners[2].y(), best.corners[3].y()),
                                  std::min(best.corners[3].x(), best.corners[0].x())};
        for (int side = 0; side < 4; ++side) {
            const double mm = collar[side] / best.pxPerMm;
            if (mm > kMostCollar) {
                result.reason = QCoreApplication::translate("FrameFinder", "the frame found leaves %1 mm of the scan outside its %2 edge, more than a sheet's margin")
                                    .arg(mm, 0, 'f', 0)
                                    .arg(FrameEdge::sideName(static_cast<FrameEdge::Side>(side)));
                return result;
            }
        }
    }

    double inkIn = 0, inkOut = 0;
    int edgesWithMap = 0;
    for (int side = 0; side < 4; ++side) {
        const auto s = static_cast<FrameEdge::Side>(side);
        const FrameLine &line = *l[side];
        // The corners at either end of this edge, and the arms of the other
        // lines there that run on outwards across this edge's label band.
        const int k0 = side, k1 = (side + 1) % 4;
        const int slot = FrameEdge::horizontal(s) ? 1 : 0;
        const double band = std::min(std::max(best.arm[k0][slot], best.arm[k1][slot]), 12 * best.pxPerMm);
        const double from = line.alongOf(best.corners[k0]), to = line.alongOf(best.corners[k1]);
        const double lo = std::min(from, to), hi = std::max(from, to);
        // Outwards: -1 across for north and west.
        const double out = side == FrameEdge::North || side == FrameEdge::West ? -1 : +1;
        const double near = 2 * line.width + 3;

        // No other line just outside, across the label band, as good a frame
        // line: a frame line has only the labels beside it until the minute
        // frame.
        const double far = 0.8 * band;
        if (far - near > 2) {
            FrameLine rough = line;
            rough.a += out * (near + far) / 2 * std::hypot(1.0, line.b);
            for (const FrameLine &other : FrameLineFit::fit(probe, rough, lo, hi, (far - near) / 2, flank, spread)) {
                const double cover = other.coverage(lo + 0.02 * (hi - lo), hi - 0.02 * (hi - lo));
                // As good a frame line: as long, or running parallel to the
                // frame line (a grid line drawn out across the band at a
                // small angle to it is neither).
                double least = 1e9, most = -1e9;
                for (double at : {0.1, 0.5, 0.9}) {
                    const double d = other.across(lo + at * (hi - lo)) - line.across(lo + at * (hi - lo));
                    least = std::min(least, d);
                    most = std::max(most, d);
                }
                const bool alongside = most - least <= parallelSpread(hi - lo);
                if (cover >= 0.5 && (alongside || cover >= best.coverage[side] - 0.1)) {
                    result.reason = QCoreApplication::translate("FrameFinder", "another long line runs along the %1 edge just outside the frame").arg(FrameEdge::sideName(s));
                    return result;
                }
            }
        }

        // Map inside, label band outside: the share of dark pixels on either
        // side, as deep into the map as the band is wide.
        const double depth = std::clamp(0.8 * band, near + 3, near + 4 * best.pxPerMm);
        std::vector<uchar> inside, outside;
        for (int i = 0; i < 200; ++i) {
            const double along = lo + (hi - lo) * (0.1 + 0.8 * i / 199.0);
            const QPointF p = line.point(along);
            const QPointF outN = line.normal(along) * out;
            for (double d = near; d <= depth; d += std::max(1.0, f / 2.0)) {
                const QPointF po = p + outN * d, pi = p - outN * d;
                if (probe.contains(po))
                    outside.push_back(static_cast<uchar>(probe.value(po.x(), po.y())));
                if (probe.contains(pi))
                    inside.push_back(static_cast<uchar>(probe.value(pi.x(), pi.y())));
            }
        }
        if (outside.empty() || inside.empty())
            continue;
        std::vector<uchar> sorted = outside;
        std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() * 9 / 10), sorted.end());
        const int paper = sorted[sorted.size() * 9 / 10];
        auto ink = [&](const std::vector<uchar> &v) {
            size_t n = 0;
            for (uchar x : v) n += x < paper - 40 ? 1 : 0;
            return double(n) / v.size();
        };
        const double in = ink(inside), o = ink(outside);
        inkIn += in;
        inkOut += o;
        edgesWithMap += in >= 0.1 * o ? 1 : 0;
    }
    if (edgesWithMap < 3 || inkIn < 0.15 * inkOut) {
        result.reason = QCoreApplication::translate("FrameFinder", "the lines found are no frame: there is no more map inside them than outside");
        return result;
    }

    result.found = true;
    result.corners = best.corners;
    double rms = 0, cover = 0;
    for (int side = 0; side < 4; ++side) {
        rms += l[side]->rms / 4;
        cover += best.coverage[side] / 4;
    }
    result.quality = std::clamp(0.4 * cover + 0.2 * (1 - std::min(1.0, rms)) + 0.2 * (1 - best.deviation)
                                + 0.2 * best.arms / 8.0, 0.0, 1.0);
    return result;
}

CornerSource FrameFinder::cornerSource()
{
    return [](const QString &imagePath, const SheetIdentity &sheet) {
        const FrameResult r = find(imagePath, sheet);
        SheetCorners corners;
        corners.found = r.found;
        corners.corners = r.corners;
        corners.imageSize = r.imageSize;
        corners.reason = r.reason;
        return corners;
    };
}
