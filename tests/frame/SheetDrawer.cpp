#include "frame/SheetDrawer.h"

#include "frame/PrintedSheet.h"
#include "frame/ScanWriter.h"
#include "frame/StrokeFont.h"

#include "sheet/SheetFields.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetIdentity.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Offsets outwards from the inner frame, millimetres on paper.
constexpr double kInnerPen = 0.15;
constexpr double kMinuteIn = 4.0;
constexpr double kMinuteOut = 5.0;
constexpr double kMinutePen = 0.12;
constexpr double kOuterAt = 7.0;
constexpr double kOuterPen = 0.8;

using Rng = std::mt19937;

double uniform(Rng &rng, double lo, double hi)
{
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

struct Paper
{
    std::array<QPointF, 4> corner; // inner frame NW, NE, SE, SW
    QPointF normal[4];             // outward normal of edges N, E, S, W
    double minutes[4];             // minutes along edges N, E, S, W

    QPointF along(int edge, double t, double offset) const
    {
        const QPointF a = corner[edge], b = corner[(edge + 1) % 4];
        return a + (b - a) * t + normal[edge] * offset;
    }
    // The frame's outline at an offset: each edge moved outwards, corners meet.
    QPolygonF offsetPolygon(double d) const
    {
        QPolygonF poly;
        for (int k = 0; k < 4; ++k) {
            const int prev = (k + 3) % 4;
            const QLineF l1(corner[prev] + normal[prev] * d, corner[k] + normal[prev] * d);
            const QLineF l2(corner[k] + normal[k] * d, corner[(k + 1) % 4] + normal[k] * d);
            QPointF p;
            l1.intersects(l2, &p);
            poly << p;
        }
        return poly;
    }
};

bool paperOf(const SheetScan &scan, Paper *paper)
{
    const SheetIdentity id = SheetIdentity::check(scan.sheetName + ".png", scan.scale, QStringLiteral("R-CC-LLL"));
    if (!id.ok())
        return false;
    const SheetFields f = id.fields();
    double lat[4], lon[4];
    for (int k = 0; k < 4; ++k) {
        lat[k] = SheetGeometry::latitude(f, k + 1);
        lon[k] = SheetGeometry::longitude(f, k + 1);
    }
    const double latC = (lat[0] + lat[3]) / 2, lonC = (lon[0] + lon[1]) / 2;
    const double mmPerDegree = 111200.0 / scan.scale;
    for (int k = 0; k < 4; ++k)
        paper->corner[k] = QPointF((lon[k] - lonC) * std::cos(lat[k] * kPi / 180) * mmPerDegree,
                                   -(lat[k] - latC) * mmPerDegree);
    for (int e = 0; e < 4; ++e) {
        const QPointF d = paper->corner[(e + 1) % 4] - paper->corner[e];
        const double n = std::hypot(d.x(), d.y());
        paper->normal[e] = QPointF(d.y() / n, -d.x() / n);
    }
    const double minLon = std::abs(lon[1] - lon[0]) * 60, minLat = std::abs(lat[0] - lat[3]) * 60;
    paper->minutes[0] = minLon; paper->minutes[2] = minLon;
    paper->minutes[1] = minLat; paper->minutes[3] = minLat;
    return true;
}

// Text without fonts: words of small strokes, as a scan shows them from afar.
void fakeText(QPainter &p, const QPointF &at, double height, double width, Rng &rng, const QColor &colour)
{
    QPen pen(colour, height * 0.14);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    double x = at.x();
    while (x < at.x() + width - height * 0.5) {
        const double w = height * uniform(rng, 0.45, 0.75);
        const int strokes = 2 + static_cast<int>(uniform(rng, 0, 2.99));
        for (int s = 0; s < strokes; ++s) {
            const double x1 = x + uniform(rng, 0, w), x2 = x + uniform(rng, 0, w);
            const double y1 = at.y() + uniform(rng, 0, height), y2 = at.y() + uniform(rng, 0, height);
            p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
        }
        x += w + height * 0.15;
        if (uniform(rng, 0, 1) < 0.18)
            x += height * 0.6;
    }
}

void drawMap(QPainter &p, const Paper &paper, const SheetScan &scan, Rng &rng)
{
    const QPolygonF inner = paper.offsetPolygon(0);
    const QPolygonF minuteInner = paper.offsetPolygon(kMinuteIn);
    const QRectF box = inner.boundingRect();
    const QColor ink = scan.yellowed ? QColor(70, 60, 50) : QColor(Qt::black);
    const QColor brown = scan.colour ? QColor(170, 110, 60) : QColor(120, 120, 120);
    const QColor blue = scan.colour ? QColor(40, 110, 220) : QColor(90, 90, 90);
    const QColor tint = scan.colour ? QColor(200, 235, 190) : QColor(228, 228, 228);

    QPainterPath innerPath;
    innerPath.addPolygon(inner);
    innerPath.closeSubpath();
    p.save();
    p.setClipPath(innerPath);
    // Forest tints.
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    for (int i = 0; i < 14; ++i) {
        const QPointF c(uniform(rng, box.left(), box.right()), uniform(rng, box.top(), box.bottom()));
        p.drawEllipse(c, uniform(rng, 8, 40), uniform(rng, 8, 30));
    }
    p.setBrush(Qt::NoBrush);
    // Contours.
    p.setPen(QPen(brown, 0.1));
    for (int i = 0; i < 40; ++i) {
        QPainterPath path;
        const double y0 = uniform(rng, box.top(), box.bottom());
        const double amp = uniform(rng, 3, 20), w = uniform(rng, 0.01, 0.06), ph = uniform(rng, 0, 6.3);
        const double x0 = uniform(rng, box.left(), box.right() - 60);
        const double len = uniform(rng, 40, box.width());
        path.moveTo(x0, y0 + amp * std::sin(ph));
        for (double x = x0; x < x0 + len; x += 2)
            path.lineTo(x, y0 + amp * std::sin(w * (x - x0) + ph) + 2 * std::sin(0.3 * x));
        p.drawPath(path);
    }
    // Rivers.
    p.setPen(QPen(blue, 0.25));
    for (int i = 0; i < 3; ++i) {
        QPainterPath path;
        double x = uniform(rng, box.left(), box.right()), y = box.top();
        path.moveTo(x, y);
        while (y < box.bottom()) {
            x += uniform(rng, -4, 4);
            y += 3;
            path.lineTo(x, y);
        }
        p.drawPath(path);
    }
    // Roads: double lines, and solid ones.
    for (int i = 0; i < 6; ++i) {
        const QPointF a(uniform(rng, box.left(), box.right()), uniform(rng, box.top(), box.bottom()));
        const QPointF b(uniform(rng, box.left(), box.right()), uniform(rng, box.top(), box.bottom()));
        p.setPen(QPen(ink, 0.9, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(a, b);
        p.setPen(QPen(Qt::white, 0.6, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(a, b);
    }
    // Villages: small black blocks, and names.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (int i = 0; i < 60; ++i) {
        const QPointF c(uniform(rng, box.left(), box.right()), uniform(rng, box.top(), box.bottom()));
        p.drawRect(QRectF(c, QSizeF(uniform(rng, 0.5, 1.5), uniform(rng, 0.5, 1.5))));
    }
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 40; ++i)
        fakeText(p, QPointF(uniform(rng, box.left(), box.right()), uniform(rng, box.top(), box.bottom())),
                 uniform(rng, 1.5, 3), uniform(rng, 8, 30), rng, ink);
    p.restore();

    // The kilometre grid, turned against the frame, out to the minute frame.
    QPainterPath gridClip;
    gridClip.addPolygon(minuteInner);
    gridClip.closeSubpath();
    p.save();
    p.setClipPath(gridClip);
    p.setPen(QPen(ink, 0.1));
    const double spacing = scan.scale <= 25 ? 40 : 20;
    const double turn = scan.gridTurn * kPi / 180;
    const QPointF dirH(std::cos(turn), std::sin(turn)), dirV(-std::sin(turn), std::cos(turn));
    const double reach = std::hypot(box.width(), box.height());
    const double phase = uniform(rng, 0, spacing);
    for (double o = -reach + phase; o < reach; o += spacing) {
        p.drawLine(box.center() + dirV * o - dirH * reach, box.center() + dirV * o + dirH * reach);
        p.drawLine(box.center() + dirH * o - dirV * reach, box.center() + dirH * o + dirV * reach);
    }
    p.restore();

    if (scan.roadAlongEdges) {
        // Double-line roads a few pixels inside the north and east edges, from
        // corner to corner.
        p.save();
        p.setClipPath(innerPath);
        p.setPen(QPen(ink, 0.12));
        for (int edge : {0, 1})
            for (double off : {-0.55, -1.05})
                p.drawLine(paper.along(edge, -0.01, off), paper.along(edge, 1.01, off));
        p.restore();
    }
    if (scan.roadsAlongFrame) {
        // Double-line roads just inside the north and west edges, from near a corner.
        for (int edge : {0, 3}) {
            const double t0 = edge == 0 ? 0.006 : 0.6, t1 = edge == 0 ? 0.4 : 0.994;
            p.setPen(QPen(ink, 0.12));
            p.drawLine(paper.along(edge, t0, -0.5), paper.along(edge, t1, -0.5));
            p.drawLine(paper.along(edge, t0, -1.0), paper.along(edge, t1, -1.0));
        }
    }
}

void drawFrame(QPainter &p, const Paper &paper, const SheetScan &scan, Rng &rng)
{
    const QColor ink = scan.yellowed ? QColor(70, 60, 50) : QColor(Qt::black);
    // The inner frame, each line running on outwards to the minute frame.
    QPen inner(ink, kInnerPen);
    inner.setCapStyle(Qt::FlatCap);
    p.setPen(inner);
    for (int e = 0; e < 4; ++e) {
        const QPointF a = paper.corner[e], b = paper.corner[(e + 1) % 4];
        const QPointF d = (b - a) / QLineF(a, b).length();
        p.drawLine(a - d * (kMinuteIn + 0.05), b + d * (kMinuteIn + 0.05));
    }
    // The minute frame: its two lines, bars a minute long, dots every 10 seconds.
    QPen thin(ink, kMinutePen);
    p.setPen(thin);
    p.drawPolygon(paper.offsetPolygon(kMinuteIn));
    p.drawPolygon(paper.offsetPolygon(kMinuteOut));
    for (int e = 0; e < 4; ++e) {
        // A bar a minute (every 10 minutes on a 1:1M sheet), the last one
        // cut short where the edge ends between whole minutes.
        const double bar = scan.scale >= 1000 ? 10.0 : 1.0;
        const double span = paper.minutes[e] / bar;
        const int n = static_cast<int>(std::ceil(span - 1e-9));
        // Bars alternate from the north-west, so neighbouring edges agree.
        for (int j = 0; j < n; ++j) {
            const double t0 = j / span, t1 = std::min(1.0, (j + 1) / span);
            const bool black = (j % 2 == 0) == (e < 2);
            if (black) {
                QPolygonF bar;
                bar << paper.along(e, t0, kMinuteIn) << paper.along(e, t1, kMinuteIn)
                    << paper.along(e, t1, kMinuteOut) << paper.along(e, t0, kMinuteOut);
                p.setPen(Qt::NoPen);
                p.setBrush(ink);
                p.drawPolygon(bar);
                p.setBrush(Qt::NoBrush);
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(ink);
                for (int s = 1; s < 6; ++s)
                    p.drawEllipse(paper.along(e, t0 + (t1 - t0) * s / 6, (kMinuteIn + kMinuteOut) / 2),
                                  scan.dotRadius, scan.dotRadius);
                p.setBrush(Qt::NoBrush);
            }
        }
    }
    // The outer frame.
    QPen outer(ink, kOuterPen);
    outer.setJoinStyle(Qt::MiterJoin);
    p.setPen(outer);
    p.drawPolygon(paper.offsetPolygon(kOuterAt));

    // The label band: corner coordinates beside each corner, grid numbers.
    for (int e = 0; e < 4; ++e) {
        const QPointF a = paper.corner[e], b = paper.corner[(e + 1) % 4];
        const double len = QLineF(a, b).length();
        const QPointF d = (b - a) / len;
        const QPointF n = paper.normal[e];
        const double angle = std::atan2(d.y(), d.x()) * 180 / kPi;
        auto label = [&](double along, double width, double out = 3.1, double height = 2.2) {
            p.save();
            p.translate(a + d * along + n * out);
            p.rotate(angle);
            fakeText(p, QPointF(0, 0), height, width, rng, ink);
            p.restore();
        };
        if (scan.labelsAtCorner) {
            // Right at the corner, against the frame line, and out in the
            // corner's square between the arms.
            label(0.25, 10, 2.9, 2.6);
            label(len - 10.25, 10, 2.9, 2.6);
            label(-3.8, 3.4, 3.6, 2.4);
        } else {
            label(1.2, 10);             // beside the corner at the edge's start
            label(len - 11.5, 10);      // and its end
        }
        for (double s = 25; s < len - 25; s += 20 + uniform(rng, -1, 1))
            label(s, 4.5);
    }
    // The collar: title, notes, a scale bar.
    const QRectF outerBox = paper.offsetPolygon(kOuterAt).boundingRect();
    fakeText(p, QPointF(outerBox.center().x() - 40, outerBox.top() - 14), 7, 80, rng, ink);
    for (int i = 0; i < 3; ++i)
        fakeText(p, QPointF(outerBox.left() + 2, outerBox.top() - 10 + 3 * i), 2, 60, rng, ink);
    for (int i = 0; i < 6; ++i)
        fakeText(p, QPointF(outerBox.left() + 10, outerBox.bottom() + 4 + 3 * i), 2, 90, rng, ink);
    p.setPen(QPen(ink, 0.2));
    for (int i = 0; i < 8; ++i) {
        const QRectF seg(outerBox.center().x() - 40 + 10 * i, outerBox.bottom() + 12, 10, 1.2);
        if (i % 2 == 0)
            p.fillRect(seg, ink);
        p.drawRect(seg);
    }
    fakeText(p, QPointF(outerBox.right() - 70, outerBox.bottom() + 20), 3, 60, rng, ink);
}

// The fixed style's files: a GIF gets grey levels with a random dither.
bool save(const cv::Mat &image, const QString &path, const QString &format, int quality, int palette, Rng &rng)
{
    if (format == QLatin1String("gif") && image.channels() == 3) {
        cv::Mat grey;
        cv::cvtColor(image, grey, cv::COLOR_BGR2GRAY);
        return ScanWriter::save(grey, path, format, quality, palette, ScanWriter::Random, rng);
    }
    return ScanWriter::save(image, path, format, quality, palette, ScanWriter::Random, rng);
}


SheetScan cutSheet(NonSheet kind, SheetScan s, Rng &rng);

// The printed style: the sheet on paper in millimetres, laid on the scanner
// (turned, sheared, shrunk, a little out of square), cropped, aged, written.
QString drawPrinted(const SheetScan &scan, const QString &folder, std::array<QPointF, 4> *corners,
                    const QString &baseName)
{
    const PrintedSheet sheet(scan);
    if (!sheet.ok())
        return {};
    const SheetPrint &f = scan.print;
    Rng rng(scan.seed * 7919u + 17u);
    const double out = sheet.outerOutside();
    const QPolygonF crop = sheet.outline({{out + f.crop[0], out + f.crop[1], out + f.crop[2], out + f.crop[3]}});
    const double turn = scan.rotation * kPi / 180;
    auto placed = [&](double pxPerMm) {
        QTransform shear(1, 0, std::tan(f.shear * kPi / 180), 1, 0, 0);
        QTransform rotate;
        rotate.rotateRadians(turn);
        return QTransform::fromScale(pxPerMm * scan.shrinkX, pxPerMm * scan.shrinkY) * shear * rotate;
    };
    double pxPerMm = f.dpi / 25.4;
    QRectF box = placed(pxPerMm).map(crop).boundingRect();
    if (scan.longSide > 0 && std::max(box.width(), box.height()) > scan.longSide) {
        pxPerMm *= scan.longSide / std::max(box.width(), box.height());
        box = placed(pxPerMm).map(crop).boundingRect();
    }
    // Paint with the affine part; out of square (the sides differing by up
    // to `keystone` degrees) is a warp of the painted picture afterwards, in
    // pixel-centre coordinates, each corner of the scanned area moved a little.
    const double dx = std::tan(f.keystone * kPi / 360) * box.height();
    const double dy = std::tan(f.keystone * kPi / 360) * box.width();
    const int margin = f.keystone > 0 ? static_cast<int>(std::ceil(std::max(dx, dy))) + 3 : 0;
    const QTransform m = placed(pxPerMm) * QTransform::fromTranslate(margin - box.left(), margin - box.top());
    const QRectF painted = m.map(crop).boundingRect();
    QTransform k; // painted pixel centres to the image's
    if (f.keystone > 0) {
        const QRectF c = painted.translated(-0.5, -0.5);
        QPolygonF from, to;
        for (const QPointF &q : {c.topLeft(), c.topRight(), c.bottomRight(), c.bottomLeft()}) {
            from << q;
            to << q + QPointF(uniform(rng, -dx, dx) / 2, uniform(rng, -dy, dy) / 2);
        }
        if (!QTransform::quadToQuad(from, to, k))
            k = QTransform();
    }
    const QRectF onImage = k.map(m.map(crop).translated(-0.5, -0.5)).boundingRect();
    k = k * QTransform::fromTranslate(-onImage.left(), -onImage.top());
    const int w = static_cast<int>(std::ceil(onImage.width())), h = static_cast<int>(std::ceil(onImage.height()));
    const int pw = f.keystone > 0 ? static_cast<int>(std::ceil(painted.right())) + margin : w;
    const int ph = f.keystone > 0 ? static_cast<int>(std::ceil(painted.bottom())) + margin : h;
    if (w < 16 || h < 16 || double(pw) * ph > 4.5e8)
        return {};

    QImage image(pw, ph, QImage::Format_RGB32);
    image.fill(QColor(f.bed, f.bed, f.bed));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(f.keystone > 0 ? m : m * QTransform::fromTranslate(-onImage.left(), -onImage.top()));
        sheet.paint(p, rng);
    }
    if (f.keystone > 0) {
        const cv::Mat src(ph, pw, CV_8UC4, image.bits(), static_cast<size_t>(image.bytesPerLine()));
        const cv::Matx33d hm(k.m11(), k.m21(), k.m31(), k.m12(), k.m22(), k.m32(), k.m13(), k.m23(), k.m33());
        QImage warped(w, h, QImage::Format_RGB32);
        cv::Mat dst(h, w, CV_8UC4, warped.bits(), static_cast<size_t>(warped.bytesPerLine()));
        cv::warpPerspective(src, dst, hm, dst.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                            cv::Scalar(f.bed, f.bed, f.bed, 255));
        image = warped;
        for (int c = 0; c < 4; ++c)
            (*corners)[c] = k.map(m.map(sheet.corners()[c]) - QPointF(0.5, 0.5));
    } else {
        for (int c = 0; c < 4; ++c)
            (*corners)[c] = m.map(sheet.corners()[c]) - QPointF(0.5, 0.5) - QPointF(onImage.left(), onImage.top());
    }
    ScanWriter::age(image, scan, rng);
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath((baseName.isEmpty() ? scan.sheetName : baseName) + '.' + scan.format);
    if (!ScanWriter::write(image, scan, path, rng))
        return {};
    return path;
}

} // namespace

QString SheetDrawer::drawSheet(const SheetScan &scan, const QString &folder, std::array<QPointF, 4> *corners,
                               const QString &baseName)
{
    if (scan.print.dpi > 0)
        return drawPrinted(scan, folder, corners, baseName);
    Paper paper;
    if (!paperOf(scan, &paper))
        return {};
    Rng rng(scan.seed);
    const QRectF outerBox = paper.offsetPolygon(kOuterAt + kOuterPen / 2).boundingRect();
    const QRectF page = scan.cropAtOuterFrame ? outerBox : outerBox.adjusted(-18, -26, 18, 36);
    const double pxPerMm = scan.longSide / std::max(page.width() * 1.04, page.height() * 1.04);
    QTransform t;
    t.translate(0, 0);
    t.rotate(scan.rotation);
    t.scale(pxPerMm * scan.shrinkX, pxPerMm * scan.shrinkY);
    t.translate(-page.center().x(), -page.center().y());
    // The image: the scanned page, or for a crop the outer frame's box on the image.
    QRectF onImage = t.mapRect(page);
    if (scan.cropAtOuterFrame)
        onImage = t.map(paper.offsetPolygon(kOuterAt + kOuterPen / 2)).boundingRect().adjusted(0.6, 0.6, -0.6, -0.6);
    if (scan.cropInto > 0) {
        // Through the thick outer line on the north and west.
        const double cut = scan.cropInto * pxPerMm;
        onImage = t.map(paper.offsetPolygon(kOuterAt + kOuterPen / 2)).boundingRect().adjusted(cut, cut, 2, 2);
    }
    else
        onImage.adjust(-8, -8, 8, 8);
    const int w = static_cast<int>(std::ceil(onImage.width()));
    const int h = static_cast<int>(std::ceil(onImage.height()));
    QTransform toImage = t * QTransform::fromTranslate(-onImage.left(), -onImage.top());

    QImage image(w, h, scan.colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    image.fill(scan.cropAtOuterFrame || scan.cropInto > 0 ? Qt::white : QColor(238, 238, 238));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(toImage);
        QPolygonF paperPoly(page);
        p.setPen(Qt::NoPen);
        p.setBrush(scan.yellowed ? QColor(232, 216, 170)
                   : scan.colour ? QColor(250, 248, 240) : QColor(250, 250, 250));
        p.drawPolygon(paperPoly);
        p.setBrush(Qt::NoBrush);
        drawMap(p, paper, scan, rng);
        drawFrame(p, paper, scan, rng);
    }
    for (int k = 0; k < 4; ++k)
        (*corners)[k] = toImage.map(paper.corner[k]) - QPointF(0.5, 0.5);

    cv::Mat mat;
    if (scan.colour) {
        cv::Mat bgra(h, w, CV_8UC4, image.bits(), static_cast<size_t>(image.bytesPerLine()));
        cv::cvtColor(bgra, mat, cv::COLOR_BGRA2BGR);
    } else {
        mat = cv::Mat(h, w, CV_8UC1, image.bits(), static_cast<size_t>(image.bytesPerLine())).clone();
    }
    image = QImage();
    cv::Mat f;
    mat.convertTo(f, CV_32F);
    mat.release();
    std::vector<cv::Mat> planes;
    cv::split(f, planes);
    f.release();
    for (cv::Mat &plane : planes) {
        if (scan.unevenLight)
            for (int y = 0; y < h; ++y) {
                float *row = plane.ptr<float>(y);
                for (int x = 0; x < w; ++x)
                    row[x] *= static_cast<float>(0.78 + 0.22 * (double(x) / w) * (0.6 + 0.4 * double(y) / h));
            }
    }
    if (scan.stains) {
        Rng srng(scan.seed * 7 + 3);
        for (int i = 0; i < 5; ++i) {
            // One stain sits on a corner.
            const QPointF c = i == 0 ? (*corners)[srng() % 4]
                                     : QPointF(uniform(srng, 0, w), uniform(srng, 0, h));
            const double r = uniform(srng, 0.03, 0.08) * std::max(w, h);
            const double depth = uniform(srng, 0.25, 0.45);
            for (cv::Mat &plane : planes)
                for (int y = std::max(0, int(c.y() - 2 * r)); y < std::min(h, int(c.y() + 2 * r)); ++y) {
                    float *row = plane.ptr<float>(y);
                    for (int x = std::max(0, int(c.x() - 2 * r)); x < std::min(w, int(c.x() + 2 * r)); ++x) {
                        const double d2 = ((x - c.x()) * (x - c.x()) + (y - c.y()) * (y - c.y())) / (r * r);
                        row[x] *= static_cast<float>(1 - depth * std::exp(-d2 * d2));
                    }
                }
        }
    }
    if (scan.folds) {
        const double fx = w * uniform(rng, 0.4, 0.6), fy = h * uniform(rng, 0.4, 0.6);
        for (cv::Mat &plane : planes)
            for (int y = 0; y < h; ++y) {
                float *row = plane.ptr<float>(y);
                const double dy = (y - fy) / 3.0;
                for (int x = 0; x < w; ++x) {
                    const double dx = (x - fx - 0.01 * y) / 3.0;
                    const double shade = 1 - 0.35 * std::exp(-dx * dx) - 0.35 * std::exp(-dy * dy)
                                         + 0.05 * std::exp(-(dx - 2) * (dx - 2));
                    row[x] *= static_cast<float>(shade);
                }
            }
    }
    cv::merge(planes, f);
    planes.clear();
    if (scan.blur > 0)
        cv::GaussianBlur(f, f, cv::Size(0, 0), scan.blur);
    if (scan.noise > 0) {
        cv::Mat n(f.size(), f.type());
        cv::RNG cvrng(scan.seed);
        cvrng.fill(n, cv::RNG::NORMAL, 0, scan.noise);
        f += n;
    }
    cv::Mat out;
    f.convertTo(out, CV_8U);
    f.release();
    if (scan.greyScan && out.channels() == 3)
        cv::cvtColor(out, out, cv::COLOR_BGR2GRAY);

    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath((baseName.isEmpty() ? scan.sheetName : baseName) + '.' + scan.format);
    if (!save(out, path, scan.format, scan.jpegQuality, scan.paletteColours, rng))
        return {};
    return path;
}

QString SheetDrawer::drawNonSheet(NonSheet kind, int width, int height, unsigned seed, const QString &folder,
                                  const QString &baseName, const QString &format)
{
    if (kind == NonSheet::InsideFrame || kind == NonSheet::EdgeCut) {
        Rng cutRng(seed);
        RandomLimits limits;
        limits.maxSide = std::max(width, height);
        SheetScan s = cutSheet(kind, randomScan(seed, limits), cutRng);
        s.format = format;
        std::array<QPointF, 4> corners;
        return drawPrinted(s, folder, &corners, baseName);
    }
    Rng rng(seed);
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(QColor(248, 248, 248));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const double mm = width / 300.0; // a page 300 mm wide
        p.scale(mm, mm);
        const double pw = width / mm, ph = height / mm;
        switch (kind) {
        case NonSheet::Blank:
            break;
        case NonSheet::Text:
            for (double y = 20; y < ph - 20; y += 6)
                fakeText(p, QPointF(20, y), 3.5, pw - 40, rng, Qt::black);
            p.setPen(QPen(Qt::black, 0.3));
            p.drawLine(QPointF(15, 15), QPointF(pw - 15, 15));  // a rule under a heading
            break;
        case NonSheet::Photo:
            for (int i = 0; i < 300; ++i) {
                const int g = static_cast<int>(uniform(rng, 0, 255));
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(g, g, g));
                p.drawEllipse(QPointF(uniform(rng, 0, pw), uniform(rng, 0, ph)), uniform(rng, 3, 40), uniform(rng, 3, 40));
            }
            break;
        case NonSheet::Table: {
            // A form: a heavy border, a double rule inside it, ruled rows and
            // columns with words in the cells.
            p.setPen(QPen(Qt::black, 0.8));
            p.drawRect(QRectF(12, 12, pw - 24, ph - 24));
            p.setPen(QPen(Qt::black, 0.12));
            p.drawRect(QRectF(16, 16, pw - 32, ph - 32));
            p.drawRect(QRectF(17, 17, pw - 34, ph - 34));
            const double cols[] = {17, 40, 110, 160, 210, pw - 17};
            for (double x : cols)
                p.drawLine(QPointF(x, 17), QPointF(x, ph - 17));
            for (double y = 17; y < ph - 17; y += 7) {
                p.setPen(QPen(Qt::black, 0.12));
                p.drawLine(QPointF(17, y), QPointF(pw - 17, y));
                for (size_t c = 0; c + 1 < std::size(cols); ++c)
                    fakeText(p, QPointF(cols[c] + 1.5, y + 1.8), 3.2, (cols[c + 1] - cols[c]) * uniform(rng, 0.3, 0.9),
                             rng, Qt::black);
            }
            break;
        }
        case NonSheet::Building: {
            // A photograph of a building's front: sky, walls, rows of
            // windows with frames and sills, a roof edge, straight lines all over.
            p.setPen(Qt::NoPen);
            p.fillRect(QRectF(0, 0, pw, ph * 0.22), QColor(200, 200, 200));
            p.fillRect(QRectF(0, ph * 0.22, pw, ph * 0.7), QColor(150, 150, 150));
            p.fillRect(QRectF(0, ph * 0.92, pw, ph * 0.08), QColor(90, 90, 90));
            p.setPen(QPen(QColor(30, 30, 30), 1.5));
            p.drawLine(QPointF(0, ph * 0.22), QPointF(pw, ph * 0.22));
            const double ww = 18, wh = 26;
            for (double y = ph * 0.26; y + wh < ph * 0.9; y += wh + 14)
                for (double x = 8; x + ww < pw - 4; x += ww + 12) {
                    p.setPen(QPen(QColor(235, 235, 235), 1.2));
                    p.setBrush(QColor(40, 40, 40));
                    p.drawRect(QRectF(x, y, ww, wh));
                    p.setPen(QPen(QColor(230, 230, 230), 0.6));
                    p.drawLine(QPointF(x + ww / 2, y), QPointF(x + ww / 2, y + wh));
                    p.drawLine(QPointF(x, y + wh * 0.35), QPointF(x + ww, y + wh * 0.35));
                    p.setPen(QPen(QColor(20, 20, 20), 0.8));
                    p.drawLine(QPointF(x - 2, y + wh + 1.5), QPointF(x + ww + 2, y + wh + 1.5));
                }
            p.setBrush(Qt::NoBrush);
            break;
        }
        case NonSheet::MapGrid: {
            // A map fragment whose kilometre grid runs square to the image,
            // lines a sheet's width apart making rectangles.
            Paper paper;
            paper.corner = {QPointF(-20, -20), QPointF(pw + 20, -20), QPointF(pw + 20, ph + 20), QPointF(-20, ph + 20)};
            paper.normal[0] = QPointF(0, -1); paper.normal[1] = QPointF(1, 0);
            paper.normal[2] = QPointF(0, 1); paper.normal[3] = QPointF(-1, 0);
            SheetScan scan;
            scan.gridTurn = 0;
            drawMap(p, paper, scan, rng);
            p.setPen(QPen(Qt::black, 0.15));
            for (double x = 30; x < pw; x += 60)
                p.drawLine(QPointF(x, 0), QPointF(x, ph));
            for (double y = 30; y < ph; y += 60)
                p.drawLine(QPointF(0, y), QPointF(pw, y));
            break;
        }
        case NonSheet::BookPage: {
            // A book page: a heading, a ruled box (a heavy line and a thin
            // one inside it) round the text and a figure, the page number below.
            const double m = pw * uniform(rng, 0.08, 0.14);
            p.setPen(Qt::black);
            StrokeFont::draw(p, QPointF(m + 20, m * 0.7), QStringLiteral("ГЛАВА %1").arg(1 + rng() % 12), 5, 0.12);
            const QRectF box(m, m, pw - 2 * m, ph - 2.3 * m);
            p.setPen(QPen(Qt::black, uniform(rng, 0.4, 1.0)));
            p.drawRect(box);
            const double in = uniform(rng, 1, 3);
            p.setPen(QPen(Qt::black, 0.15));
            p.drawRect(box.adjusted(in, in, -in, -in));
            for (double y = box.top() + 10; y < box.bottom() - 6; y += 6) {
                if (y > box.top() + box.height() * 0.4 && y < box.top() + box.height() * 0.65)
                    continue;
                fakeText(p, QPointF(box.left() + 6, y), 3.2, box.width() - 12, rng, Qt::black);
            }
            // The figure: a few ruled lines and a curve.
            const QRectF fig(box.left() + 20, box.top() + box.height() * 0.42, box.width() - 40, box.height() * 0.2);
            p.setPen(QPen(Qt::black, 0.3));
            p.drawRect(fig);
            QPainterPath curve(fig.bottomLeft());
            for (double x = 0; x <= 1.0; x += 0.05)
                curve.lineTo(fig.left() + x * fig.width(), fig.bottom() - fig.height() * (0.5 + 0.4 * std::sin(6 * x)));
            p.drawPath(curve);
            StrokeFont::draw(p, QPointF(pw / 2 - 4, ph - m * 0.6), QString::number(10 + rng() % 300), 4, 0.1);
            break;
        }
        case NonSheet::InsideFrame:
        case NonSheet::EdgeCut:
            break;
        case NonSheet::MapFragment: {
            Paper paper;
            paper.corner = {QPointF(-20, -20), QPointF(pw + 20, -20), QPointF(pw + 20, ph + 20), QPointF(-20, ph + 20)};
            paper.normal[0] = QPointF(0, -1); paper.normal[1] = QPointF(1, 0);
            paper.normal[2] = QPointF(0, 1); paper.normal[3] = QPointF(-1, 0);
            SheetScan scan;
            drawMap(p, paper, scan, rng);
            break;
        }
        }
    }
    cv::Mat mat(height, width, CV_8UC1, image.bits(), static_cast<size_t>(image.bytesPerLine()));
    cv::Mat out;
    if (kind == NonSheet::Photo)
        cv::GaussianBlur(mat, out, cv::Size(0, 0), 3);
    else if (kind == NonSheet::Building)
        cv::GaussianBlur(mat, out, cv::Size(0, 0), 1.2);
    else
        out = mat.clone();
    cv::Mat n(out.size(), CV_16S);
    cv::RNG cvrng(seed);
    cvrng.fill(n, cv::RNG::NORMAL, 0, kind == NonSheet::Photo || kind == NonSheet::Building ? 12 : 3);
    cv::Mat o16;
    out.convertTo(o16, CV_16S);
    o16 += n;
    o16.convertTo(out, CV_8U);
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(baseName + '.' + format);
    if (!save(out, path, format, 85, 0, rng))
        return {};
    return path;
}

namespace {

// A sheet name of the given scale at random: row and column of the 1:1M
// sheet (now and then in the south, a quarter of them north of 60 degrees
// where sheets are doubled), then the lists and letters below it.
QString randomName(int scale, Rng &rng)
{
    for (;;) {
        const bool south = uniform(rng, 0, 1) < 0.08;
        int row;
        const double u = uniform(rng, 0, 1);
        if (south)
            row = 1 + static_cast<int>(rng() % 14);
        else if (u < 0.7)
            row = 9 + static_cast<int>(rng() % 7);   // I .. O: 32 .. 60 degrees
        else if (u < 0.95)
            row = 16 + static_cast<int>(rng() % 4);  // P .. S: 60 .. 76, doubled
        else
            row = 20 + static_cast<int>(rng() % 2);  // T, U: tripled or quadrupled
        const int col = 1 + static_cast<int>(rng() % 60);
        QString name = QStringLiteral("%1%2-%3").arg(south ? QStringLiteral("s") : QString()).arg(QChar('A' + row - 1))
                           .arg(col, 2, 10, QLatin1Char('0'));
        static const QString big = QStringLiteral("АБВГ"), small = QStringLiteral("абвг");
        const int list100 = 1 + static_cast<int>(rng() % 144);
        switch (scale) {
        case 500: name += '-' + big.at(rng() % 4); break;
        case 200: name += QStringLiteral("-%1").arg(1 + rng() % 36, 2, 10, QLatin1Char('0')); break;
        case 100: name += QStringLiteral("-%1").arg(list100, 3, 10, QLatin1Char('0')); break;
        case 50: name += QStringLiteral("-%1-%2").arg(list100, 3, 10, QLatin1Char('0')).arg(big.at(rng() % 4)); break;
        case 25:
            name += QStringLiteral("-%1-%2-%3").arg(list100, 3, 10, QLatin1Char('0')).arg(big.at(rng() % 4))
                        .arg(small.at(rng() % 4));
            break;
        default: break;
        }
        if (SheetIdentity::check(name + ".png", scale, QStringLiteral("R-CC-LLL")).ok())
            return name;
    }
}

double logUniform(Rng &rng, double lo, double hi)
{
    return std::exp(uniform(rng, std::log(lo), std::log(hi)));
}

bool chance(Rng &rng, double p)
{
    return uniform(rng, 0, 1) < p;
}

// A length in millimetres picked from a printed range and held to a range of
// pixels at the scan's resolution.
double mmWithin(Rng &rng, double lo, double hi, double pxLo, double pxHi, double pxPerMm)
{
    return std::clamp(uniform(rng, lo, hi), pxLo / pxPerMm, pxHi / pxPerMm);
}

// A printed sheet cut so that no whole frame is left: inside its inner frame
// all round, or on one edge.
SheetScan cutSheet(NonSheet kind, SheetScan s, Rng &rng)
{
    SheetPrint &f = s.print;
    const double out = PrintedSheet(s).outerOutside();
    // How far in a cut must reach to miss the frame however the sheet is turned.
    const double skew = std::abs(s.rotation) + std::abs(f.shear) + f.keystone;
    const double reach = 3 + 600 * std::sin(skew * kPi / 180);
    if (kind == NonSheet::InsideFrame) {
        for (double &c : f.crop)
            c = -out - uniform(rng, 3, 30) - reach;
    } else if (kind == NonSheet::EdgeCut) {
        f.crop[rng() % 4] = -out - uniform(rng, 3, 30) - reach;
    }
    return s;
}

const char *const kBarNames[] = {"filled", "hollow", "hatched", "ticks"};

} // namespace

SheetScan SheetDrawer::randomScan(unsigned seed, const RandomLimits &limits)
{
    Rng rng(seed * 2654435761u ^ 0x5bd1e995u);
    SheetScan s;
    s.seed = seed;
    // Scale and place.
    static const int scales[] = {25, 50, 100, 100, 200, 200, 500, 1000};
    do
        s.scale = scales[rng() % std::size(scales)];
    while (!limits.smallScales && s.scale >= 500);
    s.sheetName = randomName(s.scale, rng);
    SheetPrint &f = s.print;
    f.curved = s.scale >= 500 && chance(rng, 0.85);

    // The paper's size in millimetres gives the image's at a resolution.
    f.dpi = 300;
    f.paperEdge = {{uniform(rng, 15, 40), uniform(rng, 8, 20), uniform(rng, 25, 55), uniform(rng, 8, 20)}};
    const PrintedSheet draft(s);
    const double out = draft.outerOutside();
    const QRectF paper = draft.outline({{out + f.paperEdge[0], out + f.paperEdge[1], out + f.paperEdge[2],
                                         out + f.paperEdge[3]}}).boundingRect();
    // Most scans are made at 200-400 dpi; the rest anywhere in the range.
    double dpi = chance(rng, 0.7) ? uniform(rng, std::max(limits.minDpi, 200.0), std::min(limits.maxDpi, 400.0))
                                  : logUniform(rng, limits.minDpi, limits.maxDpi);
    // No scan longer than an A1 scanner's at 600 dpi, and the cap if one is given.
    const double longMm = std::max(paper.width(), paper.height());
    dpi = std::min(dpi, 14000 / (longMm / 25.4));
    if (limits.maxSide > 0)
        dpi = std::min(dpi, limits.maxSide / (longMm / 25.4));
    f.dpi = dpi;
    s.longSide = limits.maxSide;
    const double px = dpi / 25.4;

    // The frame.
    f.innerPen = 0.08 + 0.22 * std::pow(uniform(rng, 0, 1), 2);
    f.band = mmWithin(rng, s.scale >= 500 ? 3 : 3.5, 9, 30, 120, px);
    f.strip = mmWithin(rng, 0.4, 1.3, 4, 30, px);
    f.stripPen = std::clamp(uniform(rng, 0.8, 1.3) / px, 0.05, 0.15);
    if (s.scale >= 500 && chance(rng, 0.7))
        f.bars = SheetPrint::Ticks;
    else
        f.bars = static_cast<SheetPrint::Bars>(rng() % 3);
    f.hollowGap = std::min(uniform(rng, 1, 3) / px, std::max(0.0, f.strip - 3 * f.stripPen));
    f.minuteEdges = 0xF;
    if (chance(rng, 0.2)) {
        // One or more edges without their minute frame.
        f.minuteEdges = static_cast<int>(rng() % 15);
    }
    f.dots = chance(rng, 0.55);
    f.dotsOut = uniform(rng, 0.6, 1.2);
    f.outerGap = uniform(rng, f.dots ? f.dotsOut + 0.6 : 1.2, 4.5);
    f.outerPen = mmWithin(rng, 0.5, 1.3, 4, 16, px);
    f.outerDithered = chance(rng, 0.3);
    f.numberBreak = chance(rng, 0.4);
    f.numberHeight = std::min(uniform(rng, 2.0, 3.2), f.band * 0.7);
    f.numbersOutside = chance(rng, 0.15);
    f.innerRunOn = uniform(rng, 0.3, 1.0) * (f.band + f.strip);

    // The collar and the crop: whole, cut outside the outer line, at it, or
    // into it (never into the minute strip).
    const double u = uniform(rng, 0, 1);
    for (int e = 0; e < 4; ++e) {
        if (u < 0.4)
            f.crop[e] = f.paperEdge[e] + (chance(rng, 0.4) ? uniform(rng, 1, 10) : -uniform(rng, 0, f.paperEdge[e] * 0.3));
        else if (u < 0.7)
            f.crop[e] = uniform(rng, 15, 50) / px;
        else if (u < 0.85)
            f.crop[e] = uniform(rng, 0, 0.5);
        else
            f.crop[e] = chance(rng, 0.6) ? -uniform(rng, 0.1, f.outerPen + f.outerGap * 0.6) : uniform(rng, 0, 2);
    }
    // Ink and paper.
    f.paper = static_cast<int>(uniform(rng, 240, 256));
    f.frameInk = static_cast<int>(90 * std::pow(uniform(rng, 0, 1), 1.5));
    const double hue = uniform(rng, 0, 1);
    f.frameHue = hue < 0.8 ? 0 : hue < 0.9 ? 1 : 2;
    f.fade = chance(rng, 0.3) ? uniform(rng, 0.1, 0.5) : 0;
    // The map.
    f.grid = chance(rng, s.scale == 200 ? 0.6 : 0.9);
    f.tints = chance(rng, 0.85);
    f.patterns = chance(rng, 0.6);
    const double w = uniform(rng, 0, 1);
    f.water = w < 0.55 ? 0 : w < 0.85 ? 1 : 2;
    f.edgeRoads = chance(rng, 0.35) ? 1 << (rng() % 4) | (chance(rng, 0.3) ? 1 << (rng() % 4) : 0) : 0;
    f.edgeRoadIn = uniform(rng, 3, 15) / px;
    f.edgeRoadWhole = chance(rng, 0.4);
    f.watermark = chance(rng, 0.15);
    // The scan.
    const double t = uniform(rng, 0, 1);
    s.rotation = t < 0.5 ? uniform(rng, -0.5, 0.5) : t < 0.85 ? uniform(rng, -1.5, 1.5)
                                                              : uniform(rng, -limits.maxTurn, limits.maxTurn);
    f.shear = chance(rng, 0.4) ? uniform(rng, -0.3, 0.3) : 0;
    f.keystone = chance(rng, 0.4) ? uniform(rng, 0, 0.8) : 0;
    s.shrinkX = chance(rng, 0.5) ? uniform(rng, 0.97, 1.0) : 1.0;
    s.shrinkY = chance(rng, 0.5) ? uniform(rng, 0.97, 1.0) : 1.0;
    s.blur = chance(rng, 0.7) ? uniform(rng, 0.3, 1.4) : 0;
    s.noise = uniform(rng, 0, 6);
    s.colour = chance(rng, 0.85);
    s.greyScan = chance(rng, 0.3);
    s.unevenLight = chance(rng, 0.35);
    s.stains = chance(rng, 0.2);
    s.folds = chance(rng, 0.2);
    s.yellowed = s.colour && chance(rng, 0.2);
    f.bed = chance(rng, 0.3) ? static_cast<int>(uniform(rng, 10, 60)) : static_cast<int>(uniform(rng, 180, 250));
    // The file.
    const double fmt = uniform(rng, 0, 1);
    s.format = fmt < 0.45 ? QStringLiteral("jpg") : fmt < 0.65 ? QStringLiteral("gif")
               : fmt < 0.8 ? QStringLiteral("png") : fmt < 0.9 ? QStringLiteral("tif") : QStringLiteral("bmp");
    s.jpegQuality = static_cast<int>(uniform(rng, 50, 96));
    s.paletteColours = static_cast<int>(logUniform(rng, 8, 257));
    f.ditherGif = chance(rng, 0.8) ? 1 : 0;
    return s;
}

QString SheetDrawer::describe(const SheetScan &s)
{
    if (s.print.dpi <= 0)
        return QStringLiteral("%1 1:%2K fixed style, %3 px, %4").arg(s.sheetName).arg(s.scale).arg(s.longSide).arg(s.format);
    const SheetPrint &f = s.print;
    const double px = f.dpi / 25.4;
    QString edges;
    for (int e = 0; e < 4; ++e)
        if (f.minuteEdges & (1 << e))
            edges += QLatin1Char("NESW"[e]);
    QStringList parts;
    parts << QStringLiteral("%1 1:%2K %3dpi %4").arg(s.sheetName).arg(s.scale).arg(f.dpi, 0, 'f', 0)
                 .arg(s.format == QLatin1String("jpg") ? QStringLiteral("jpg q%1").arg(s.jpegQuality)
                      : s.format == QLatin1String("gif") ? QStringLiteral("gif %1c%2").arg(s.paletteColours).arg(f.ditherGif ? " dither" : "")
                                                         : s.format);
    parts << QStringLiteral("%1%2").arg(s.colour ? "colour" : "mono").arg(s.greyScan ? "->grey" : "");
    parts << QStringLiteral("inner %1px ink %2%3").arg(f.innerPen * px, 0, 'f', 1).arg(f.frameInk)
                 .arg(f.frameHue == 1 ? " blue" : f.frameHue == 2 ? " brown" : "") + (f.fade > 0 ? QStringLiteral(" faded") : QString());
    parts << QStringLiteral("band %1px").arg(f.band * px, 0, 'f', 0);
    parts << QStringLiteral("strip %1px %2 [%3]%4").arg(f.strip * px, 0, 'f', 0).arg(kBarNames[f.bars]).arg(edges)
                 .arg(f.dots ? " dots" : "");
    parts << QStringLiteral("outer %1px%2%3").arg(f.outerPen * px, 0, 'f', 0).arg(f.outerDithered ? " grey" : "")
                 .arg(f.numberBreak ? " broken" : "");
    parts << QStringLiteral("crop %1/%2/%3/%4px").arg(f.crop[0] * px, 0, 'f', 0).arg(f.crop[1] * px, 0, 'f', 0)
                 .arg(f.crop[2] * px, 0, 'f', 0).arg(f.crop[3] * px, 0, 'f', 0);
    QStringList map;
    if (f.curved) map << QStringLiteral("curved");
    if (!f.grid) map << QStringLiteral("no-grid");
    if (f.tints) map << QStringLiteral("tints");
    if (f.water == 1) map << QStringLiteral("lakes");
    if (f.water == 2) map << QStringLiteral("sea");
    if (f.edgeRoads) map << QStringLiteral("edge-roads %1px%2").arg(f.edgeRoadIn * px, 0, 'f', 0).arg(f.edgeRoadWhole ? " whole" : "");
    if (f.watermark) map << QStringLiteral("watermark");
    if (!map.isEmpty())
        parts << map.join(QLatin1Char(' '));
    QStringList scanFaults;
    scanFaults << QStringLiteral("turn %1").arg(s.rotation, 0, 'f', 2);
    if (f.shear != 0) scanFaults << QStringLiteral("shear %1").arg(f.shear, 0, 'f', 2);
    if (f.keystone > 0) scanFaults << QStringLiteral("key %1").arg(f.keystone, 0, 'f', 2);
    if (s.shrinkX != 1 || s.shrinkY != 1) scanFaults << QStringLiteral("shrink %1/%2").arg(s.shrinkX, 0, 'f', 3).arg(s.shrinkY, 0, 'f', 3);
    if (s.blur > 0) scanFaults << QStringLiteral("blur %1").arg(s.blur, 0, 'f', 1);
    if (s.unevenLight) scanFaults << QStringLiteral("light");
    if (s.stains) scanFaults << QStringLiteral("stains");
    if (s.folds) scanFaults << QStringLiteral("folds");
    if (s.yellowed) scanFaults << QStringLiteral("yellowed");
    parts << scanFaults.join(QLatin1Char(' '));
    return parts.join(QStringLiteral("; "));
}

QString SheetDrawer::describe(NonSheet kind)
{
    static const char *const names[] = {"blank page", "page of text", "photo-like", "map fragment", "ruled table",
                                        "building", "map with square grid", "sheet cut inside its frame",
                                        "sheet with an edge cut off", "book page with a ruled box"};
    return QString::fromLatin1(names[static_cast<int>(kind)]);
}

NonSheetScan SheetDrawer::randomNonSheet(unsigned seed, const RandomLimits &limits)
{
    Rng rng(seed * 40503u + 977u);
    NonSheetScan n;
    n.kind = static_cast<NonSheet>(rng() % 10);
    n.sheet = cutSheet(n.kind, randomScan(seed ^ 0x3c6ef372u, limits), rng);
    n.sheet.seed = seed;
    return n;
}

QString SheetDrawer::drawNonSheet(const NonSheetScan &scan, const QString &folder, const QString &baseName)
{
    const QString base = baseName.isEmpty() ? scan.sheet.sheetName : baseName;
    if (scan.kind == NonSheet::InsideFrame || scan.kind == NonSheet::EdgeCut) {
        std::array<QPointF, 4> corners;
        return drawPrinted(scan.sheet, folder, &corners, base);
    }
    // The others at the size the sheet's scan would have (a book page narrower).
    const double px = scan.sheet.print.dpi / 25.4;
    int width = static_cast<int>(px * (scan.kind == NonSheet::BookPage ? 300 : 420)), height = static_cast<int>(px * 500);
    const int cap = scan.sheet.longSide > 0 ? scan.sheet.longSide : 12000;
    if (height > cap) {
        width = width * cap / height;
        height = cap;
    }
    return drawNonSheet(scan.kind, width, height, scan.sheet.seed, folder, base, scan.sheet.format);
}
