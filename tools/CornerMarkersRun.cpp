#include "tools/CornerMarkersRun.h"

#include "mapfile/MapFile.h"
#include "tools/MapFolderWalk.h"
#include "tools/RunObserver.h"

#include <cmath>

namespace {

QString refusal(const QString &fileName, const QString &reason)
{
    return QStringLiteral("Map ") + fileName + QLatin1Char(' ') + reason + QStringLiteral(". Map don't process");
}

// Points that SortPoints can take as corners: seen on a line and with a pixel position.
int pointsWithPosition(const MapFile &map)
{
    int n = 0;
    for (int k = 1; k <= 9 && k <= map.pointCount(); ++k) {
        const MapPoint &p = map.point(k);
        if (p.LineNo != 0 && p.X >= 0 && p.Y >= 0)
            ++n;
    }
    return n;
}

// After SetCorner slots 1..4 hold the corners it wrote: four different pixel
// positions with degrees on the globe, or the markers would be nonsense.
bool cornersSound(const MapFile &map)
{
    for (int k = 1; k <= 4; ++k) {
        const MapPoint &p = map.point(k);
        if (p.X < 0 || p.Y < 0)
            return false;
        if (!std::isfinite(p.Lat) || !std::isfinite(p.Lon) || std::fabs(p.Lat) > 90.0 || std::fabs(p.Lon) > 180.0)
            return false;
        for (int j = 1; j < k; ++j) {
            const MapPoint &q = map.point(j);
            if (q.X == p.X && q.Y == p.Y)
                return false;
        }
    }
    return true;
}

// Sets the corner markers of one file; returns the message for the user when
// the file is left as it was, or an empty text when it was rewritten.
QString setMarkers(const QString &fileName, RunObserver &observer)
{
    MapFile map(&observer);
    map.FileName = fileName;
    map.KeepReadLines = true; // only the eight corner lines may change
    map.ReadMap(fileName);
    if (!map.hasHeader())
        return refusal(fileName, QStringLiteral("is not an OziExplorer map file"));
    if (map.MMPNUM > 4)
        return refusal(fileName, QStringLiteral("has more then 4 corner markers"));
    for (int n = 1; n <= 4; ++n) {
        // Line 0 is the header: a corner without its own line would be written over it.
        if (map.cornerXY(n).LineNo <= 0 || map.cornerLL(n).LineNo <= 0)
            return refusal(fileName, QStringLiteral("lacks some of the four MMPXY and four MMPLL lines"));
    }
    if (pointsWithPosition(map) < 4)
        return refusal(fileName, QStringLiteral("has fewer than 4 calibration points with pixel positions"));
    const QByteArray before = map.ToBytes(); // the file as read, byte for byte
    map.SetCorner();
    if (!cornersSound(map))
        return refusal(fileName, QStringLiteral("has no 4 distinct corner points with valid coordinates"));
    // Markers that are right already: the file is not touched (its date stays).
    if (map.ToBytes() != before)
        map.WriteMap(fileName, true);
    return QString();
}

} // namespace

RunResult CornerMarkersRun::run(const QString &folder, RunObserver &observer)
{
    RunResult result;
    if (!MapFolderWalk::requireFolder(folder, observer, result))
        return result;
    MapFolderWalk::Options options;
    options.statusPrefix = QStringLiteral("Set corner markers for ");
    options.countFailed = true; // a refused file that the user continued past counts as well
    MapFolderWalk::walk(
        folder, observer, options,
        [&observer](const QString &path, const QString &) { return setMarkers(path, observer); }, result);
    MapFolderWalk::sayDone(observer, result.count);
    return result;
}
