#include "tools/SheetVerdict.h"

#include "sheet/MapError.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetName.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineF>

#include <algorithm>
#include <cmath>

namespace {

double cross(const QPointF &o, const QPointF &a, const QPointF &b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

} // namespace

QString SheetVerdict::text(Kind kind)
{
    switch (kind) {
    case Kind::Ok:
        return QCoreApplication::translate("SheetVerdict", "ok");
    case Kind::OffFrame:
        return QCoreApplication::translate("SheetVerdict", "off-frame");
    case Kind::NoFrame:
        return QCoreApplication::translate("SheetVerdict", "no-frame");
    case Kind::Implausible:
        return QCoreApplication::translate("SheetVerdict", "implausible");
    case Kind::NoImage:
        return QCoreApplication::translate("SheetVerdict", "no-image");
    }
    return QString();
}

double SheetVerdict::tolerance(const QSize &imageSize)
{
    const int longer = std::max(imageSize.width(), imageSize.height());
    return std::max(4.0, 0.002 * longer);
}

double SheetVerdict::maxOffset(const std::array<QPointF, 4> &mapCorners, const std::array<QPointF, 4> &frameCorners)
{
    double worst = 0;
    for (int i = 0; i < 4; ++i)
        worst = std::max(worst, QLineF(mapCorners[size_t(i)], frameCorners[size_t(i)]).length());
    return worst;
}

QString SheetVerdict::implausibility(const std::array<QPointF, 4> &c, const QSize &imageSize)
{
    static const char *const names[] = {QT_TRANSLATE_NOOP("SheetVerdict", "north-west"), QT_TRANSLATE_NOOP("SheetVerdict", "north-east"),
                                        QT_TRANSLATE_NOOP("SheetVerdict", "south-east"), QT_TRANSLATE_NOOP("SheetVerdict", "south-west")};
    if (!imageSize.isEmpty()) {
        for (int i = 0; i < 4; ++i) {
            const QPointF &p = c[size_t(i)];
            if (p.x() < 0 || p.y() < 0 || p.x() >= imageSize.width() || p.y() >= imageSize.height())
                return QCoreApplication::translate("SheetVerdict", "the %1 corner (%2, %3) lies outside the image (%4 x %5)")
                    .arg(QCoreApplication::translate("SheetVerdict", names[i]))
                    .arg(p.x())
                    .arg(p.y())
                    .arg(imageSize.width())
                    .arg(imageSize.height());
        }
    }
    // Collapsed: two corners (nearly) on one another, or no area to speak of.
    double shortest = 1e300;
    double longest = 0;
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            const double d = QLineF(c[size_t(i)], c[size_t(j)]).length();
            shortest = std::min(shortest, d);
            longest = std::max(longest, d);
        }
    }
    const QString collapsed = QCoreApplication::translate("SheetVerdict", "the corners collapse onto one another");
    if (longest <= 0 || shortest < 0.05 * longest)
        return collapsed;
    // Crossed: going NW, NE, SE, SW the outline must turn the same way at every corner.
    for (int i = 0; i < 4; ++i) {
        if (cross(c[size_t(i)], c[size_t((i + 1) % 4)], c[size_t((i + 2) % 4)]) <= 0)
            return QCoreApplication::translate("SheetVerdict", "the frame outline through the corners crosses itself");
    }
    const double area = std::fabs(cross(c[0], c[1], c[2]) + cross(c[0], c[2], c[3])) / 2;
    if (area < 0.01 * longest * longest)
        return collapsed;
    return QString();
}

SheetIdentity SheetVerdict::identityFor(const QString &imageName, int scale, const SheetRecord *map)
{
    const SheetName name = SheetName::read(imageName, scale > 0 ? scale : SheetName::ByName, QString());
    if (scale <= 0 && map && map->positionedPoints >= 4 && name.readings.size() > 1) {
        for (const SheetName::Reading &r : name.readings) {
            try {
                // The north-west and south-east corners (points 1 and 3).
                const SheetFields f = r.id.fields();
                bool fits = true;
                for (int k : {1, 3}) {
                    const QPointF &stored = map->cornersLonLat[size_t(k - 1)];
                    fits = fits && std::abs(SheetGeometry::longitude(f, k) - stored.x()) < 1e-4
                           && std::abs(SheetGeometry::latitude(f, k) - stored.y()) < 1e-4;
                }
                if (fits)
                    return r.id;
            } catch (const MapError &) {
            }
        }
    }
    return name.id;
}

SheetVerdict::Result SheetVerdict::quick(const SheetRecord &sheet)
{
    Result r;
    if (!sheet.readable) {
        r.kind = Kind::Implausible;
        r.reason = sheet.error;
        return r;
    }
    if (sheet.imagePath.isEmpty()) {
        r.kind = Kind::NoImage;
        r.reason = sheet.imageName.isEmpty()
            ? QCoreApplication::translate("SheetVerdict", "the map names no image")
            : QCoreApplication::translate("SheetVerdict", "the image %1 is not beside the map file").arg(sheet.imageName);
        return r;
    }
    if (sheet.positionedPoints < 4) {
        r.kind = Kind::Implausible;
        r.reason = QCoreApplication::translate("SheetVerdict", "fewer than 4 calibration points with pixel positions");
        return r;
    }
    if (!sheet.cornerProblem.isEmpty()) {
        r.kind = Kind::Implausible;
        r.reason = sheet.cornerProblem;
        return r;
    }
    const QString why = implausibility(sheet.corners, sheet.imageSize);
    if (!why.isEmpty()) {
        r.kind = Kind::Implausible;
        r.reason = why;
    }
    return r;
}

SheetVerdict::Result SheetVerdict::judgeWithFrame(const SheetRecord &sheet, const FrameResult &frame)
{
    Result r = quick(sheet);
    if (r.kind != Kind::Ok)
        return r;
    r.finderRan = true;
    r.frame = frame;
    if (!frame.found) {
        r.kind = Kind::NoFrame;
        r.reason = frame.reason.isEmpty() ? QCoreApplication::translate("SheetVerdict", "the frame was not found") : frame.reason;
        return r;
    }
    // An image whose header tells no size: the finder's decode does.
    if (sheet.imageSize.isEmpty() && !frame.imageSize.isEmpty()) {
        const QString why = implausibility(sheet.corners, frame.imageSize);
        if (!why.isEmpty()) {
            r.kind = Kind::Implausible;
            r.reason = why;
            return r;
        }
    }
    r.maxCornerOffset = maxOffset(sheet.corners, frame.corners);
    const QSize size = sheet.imageSize.isEmpty() ? frame.imageSize : sheet.imageSize;
    const double limit = tolerance(size);
    if (r.maxCornerOffset > limit) {
        r.kind = Kind::OffFrame;
        r.reason = QCoreApplication::translate("SheetVerdict", "a map corner lies %1 px from the frame (at most %2 px is taken)")
                       .arg(r.maxCornerOffset, 0, 'f', 1)
                       .arg(limit, 0, 'f', 1);
    }
    return r;
}

SheetVerdict::Result SheetVerdict::judge(const SheetRecord &sheet, const Finder &finder, int scale)
{
    Result r = quick(sheet);
    if (r.kind != Kind::Ok)
        return r;
    const QString imageName = QFileInfo(sheet.imagePath).fileName();
    const SheetIdentity identity = identityFor(imageName, scale, &sheet);
    if (!identity.ok()) {
        r.kind = Kind::NoFrame;
        r.reason = QCoreApplication::translate("SheetVerdict", "the frame cannot be looked for: ") + identity.error;
        return r;
    }
    FrameResult frame;
    if (finder)
        frame = finder(sheet.imagePath, identity);
    else
        frame.reason = QCoreApplication::translate("SheetVerdict", "no frame finder");
    return judgeWithFrame(sheet, frame);
}
