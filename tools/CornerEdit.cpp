#include "tools/CornerEdit.h"

#include "sheet/MapError.h"
#include "mapfile/MapFile.h"

#include <QCoreApplication>

QString CornerEdit::unusableReason(const MapFile &map)
{
    if (!map.hasHeader())
        return QCoreApplication::translate("CornerEdit", "it is not an OziExplorer map file");
    if (map.pointCount() < 4)
        return QCoreApplication::translate("CornerEdit", "it has fewer than 4 calibration points");
    for (int k = 1; k <= 4; ++k) {
        const MapPoint &p = map.point(k);
        if (p.LineNo == 0 || p.X < 0 || p.Y < 0 || (p.Lat == 0 && p.Lon == 0))
            return QCoreApplication::translate("CornerEdit", "its point %1 has no pixel position or no degrees").arg(k);
    }
    for (int n = 1; n <= 4; ++n) {
        if (map.cornerXY(n).LineNo <= 0 || map.cornerLL(n).LineNo <= 0)
            return QCoreApplication::translate("CornerEdit", "it lacks some of the four MMPXY and four MMPLL lines");
    }
    return QString();
}

QString CornerEdit::apply(MapFile &map, const std::array<QPointF, 4> &corners)
{
    const QString reason = unusableReason(map);
    if (!reason.isEmpty())
        return QCoreApplication::translate("CornerEdit", "The map cannot be edited: ") + reason;
    const QByteArray before = map.ToBytes();
    try {
        for (int k = 1; k <= 4; ++k)
            map.PlacePoint(k, corners[size_t(k - 1)].x(), corners[size_t(k - 1)].y());
        // The inner points follow the corners where the map has them.
        for (int k = 5; k <= 9 && k <= map.pointCount(); ++k) {
            const MapPoint &p = map.point(k);
            if (p.LineNo == 0 || p.X < 0 || p.Y < 0)
                continue;
            map.PlacePoint(k, map.CreatePoint(k, QStringLiteral("X")), map.CreatePoint(k, QStringLiteral("Y")));
        }
        map.SetCorner();
    } catch (const MapError &e) {
        map.ReadBytes(before);
        return e.text();
    }
    return QString();
}

std::vector<QPointF> CornerEdit::pointPositions(const MapFile &map)
{
    std::vector<QPointF> out;
    for (int k = 1; k <= 9 && k <= map.pointCount(); ++k) {
        const MapPoint &p = map.point(k);
        if (p.LineNo != 0 && p.X >= 0 && p.Y >= 0)
            out.emplace_back(p.X, p.Y);
    }
    return out;
}
