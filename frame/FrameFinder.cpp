#include "frame/FrameFinder.h"

#include "frame/FrameEdge.h"
#include "frame/FrameImage.h"
#include "frame/FrameLineFit.h"
#include "frame/FrameShape.h"
#include "sheet/SheetIdentity.h"

#include <QCoreApplication>
#include <QLineF>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Long side of the reduced image the coarse search runs on.
constexpr double kCoarseSide = 1600.0;

// A line of the frame on the full image: across = a + b * along.
struct Line { double a = 0; double b = 0; bool horizontal = true; };

QPointF intersect(const Line &h, const Line &v)
{
    // y = a1 + b1 x and x = a2 + b2 y.
    const double x = (v.a + v.b * h.a) / (1 - h.b * v.b);
    return {x, h.a + h.b * x};
}

const char *cornerName(int k)
{
    static const char *names[] = {QT_TRANSLATE_NOOP("FrameFinder", "NW"), QT_TRANSLATE_NOOP("FrameFinder", "NE"),
                                  QT_TRANSLATE_NOOP("FrameFinder", "SE"), QT_TRANSLATE_NOOP("FrameFinder", "SW")};
    return names[k];
}

// The thin dark strokes of the reduced image: black-hat against the local
// paper (stains, tints and uneven light drop out), then a threshold over the
// noise.
cv::Mat strokesOf(const cv::Mat &reduced)
{
    const int side = std::max(reduced.cols, reduced.rows);
    int k = std::max(9, static_cast<int>(side * 0.012));
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
    const double threshold = std::max(20.0, 4.0 * (median + 1));
    cv::Mat strokes;
    cv::threshold(hat, strokes, threshold, 255, cv::THRESH_BINARY);
    return strokes;
}

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

    cv::Mat reduced;
    cv::Mat grey;
    int f = 1;
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

    // Coarse: each edge's inner frame line on the reduced image.
    const double c0 = (f - 1) / 2.0; // reduced pixel centre on the full image
    Line lines[4];
    double labelBand[4];
    for (int side = 0; side < 4; ++side) {
        const bool horizontal = side == FrameEdge::North || side == FrameEdge::South;
        FrameEdge edge(strokes, reduced, static_cast<FrameEdge::Side>(side),
                       horizontal ? shape.minutesAcross() : shape.minutesDown());
        if (!edge.search()) {
            result.reason = edge.reason();
            return result;
        }
        lines[side] = {f * edge.a() + c0 - edge.b() * c0, edge.b(), horizontal};
        labelBand[side] = edge.labelBand() * f;
    }
    std::array<QPointF, 4> coarse = {
        intersect(lines[FrameEdge::North], lines[FrameEdge::West]),
        intersect(lines[FrameEdge::North], lines[FrameEdge::East]),
        intersect(lines[FrameEdge::South], lines[FrameEdge::East]),
        intersect(lines[FrameEdge::South], lines[FrameEdge::West])};
    problem = shape.check(coarse);
    if (!problem.isEmpty()) {
        result.reason = problem;
        return result;
    }

    // Fine: both lines of each corner on the full image, near that corner.
    const double window = 2.0 * f + 5;
    const double gap = window + 6;
    std::array<QPointF, 4> fine;
    double rmsSum = 0;
    // Each corner: its horizontal and vertical edge, and which way along each
    // leads into the sheet.
    const int horizontalOf[4] = {FrameEdge::North, FrameEdge::North, FrameEdge::South, FrameEdge::South};
    const int verticalOf[4] = {FrameEdge::West, FrameEdge::East, FrameEdge::East, FrameEdge::West};
    const int inX[4] = {+1, -1, -1, +1};
    const int inY[4] = {+1, +1, -1, -1};
    const double width = (QLineF(coarse[0], coarse[1]).length() + QLineF(coarse[3], coarse[2]).length()) / 2;
    const double height = (QLineF(coarse[0], coarse[3]).length() + QLineF(coarse[1], coarse[2]).length()) / 2;
    for (int k = 0; k < 4; ++k) {
        const Line &h = lines[horizontalOf[k]];
        const Line &v = lines[verticalOf[k]];
        const QPointF c = coarse[k];
        const double lenX = std::clamp(0.14 * width, 80.0, 800.0);
        const double lenY = std::clamp(0.14 * height, 80.0, 800.0);
        FrameLineFit fitH(grey, true);
        FrameLineFit fitV(grey, false);
        const double x0 = c.x() + inX[k] * gap, x1 = c.x() + inX[k] * (gap + lenX);
        const double y0 = c.y() + inY[k] * gap, y1 = c.y() + inY[k] * (gap + lenY);
        // Outward: north and west lines have the paper's edge towards smaller values.
        const int outH = horizontalOf[k] == FrameEdge::North ? -1 : +1;
        const int outV = verticalOf[k] == FrameEdge::West ? -1 : +1;
        if (!fitH.fit(h.a, h.b, x0, x1, window, outH) || fitH.support() < 0.5
            || !fitV.fit(v.a, v.b, y0, y1, window, outV) || fitV.support() < 0.5) {
            result.reason = QCoreApplication::translate("FrameFinder", "the inner frame lines at the %1 corner are not clear").arg(QCoreApplication::translate("FrameFinder", cornerName(k)));
            return result;
        }
        const Line fh{fitH.a(), fitH.b(), true};
        const Line fv{fitV.a(), fitV.b(), false};
        fine[k] = intersect(fh, fv);
        rmsSum += fitH.rms() + fitV.rms();
        if (QLineF(fine[k], c).length() > 2.5 * f + 3) {
            result.reason = QCoreApplication::translate("FrameFinder", "the inner frame lines at the %1 corner do not meet where the frame runs").arg(QCoreApplication::translate("FrameFinder", cornerName(k)));
            return result;
        }

        // The arms: both lines run on outwards through the label band to the
        // minute frame.
        auto armCovered = [&](double dirX, double dirY, double length) {
            const double norm = std::hypot(dirX, dirY);
            dirX /= norm;
            dirY /= norm;
            const double start = 1.5 * f + 2, end = length - 1.5 * f - 1;
            if (end - start < 2.0 * f)
                return true; // too short to tell on the reduced image
            int seen = 0, dark = 0;
            for (double d = start; d <= end; d += f) {
                const QPointF p = fine[k] + QPointF(dirX * d, dirY * d);
                const int rx = static_cast<int>(std::lround((p.x() - c0) / f));
                const int ry = static_cast<int>(std::lround((p.y() - c0) / f));
                ++seen;
                bool hit = false;
                for (int dy = -1; dy <= 1 && !hit; ++dy)
                    for (int dx = -1; dx <= 1 && !hit; ++dx) {
                        const int xx = rx + dx, yy = ry + dy;
                        if (xx >= 0 && yy >= 0 && xx < strokes.cols && yy < strokes.rows && strokes.at<uchar>(yy, xx))
                            hit = true;
                    }
                dark += hit ? 1 : 0;
            }
            return seen == 0 || dark >= 0.6 * seen;
        };
        // Horizontal line outwards (against inX), vertical line outwards (against inY).
        const bool armH = armCovered(-inX[k], -inX[k] * fh.b, labelBand[verticalOf[k]]);
        const bool armV = armCovered(-inY[k] * fv.b, -inY[k], labelBand[horizontalOf[k]]);
        if (!armH || !armV) {
            result.reason = QCoreApplication::translate("FrameFinder", "the inner frame lines do not run on to the minute frame at the %1 corner").arg(QCoreApplication::translate("FrameFinder", cornerName(k)));
            return result;
        }
    }
    double deviation = 0;
    problem = shape.check(fine, &deviation);
    if (!problem.isEmpty()) {
        result.reason = problem;
        return result;
    }
    for (const QPointF &p : fine) {
        if (p.x() < 0 || p.y() < 0 || p.x() > grey.cols - 1 || p.y() > grey.rows - 1) {
            result.reason = QCoreApplication::translate("FrameFinder", "the frame's corners lie outside the image");
            return result;
        }
    }
    result.found = true;
    result.corners = fine;
    const double rms = rmsSum / 8;
    result.quality = std::clamp(1.0 - 0.5 * std::min(1.0, rms / 0.8) - 0.5 * std::min(1.0, deviation), 0.0, 1.0);
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
