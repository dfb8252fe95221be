#include "tools/CornerMarkersRun.h"

#include "mapfile/MapFile.h"
#include "tools/CornerPoints.h"
#include "tools/MapFolderWalk.h"
#include "tools/RunObserver.h"

#include <cmath>

#include <QCoreApplication>

namespace {

QString refusal(const QString &fileName, const QString &reason)
{
    return QCoreApplication::translate("CornerMarkersRun", "Map ") + fileName + QLatin1Char(' ') + reason + QCoreApplication::translate("CornerMarkersRun", ". Map don't process");
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

// Whether the map has none of the eight corner lines (MMPXY and MMPLL, any number).
bool lacksAllCornerLines(const MapFile &map)
{
    for (int i = 1; i < map.lineCount(); ++i) {
        const QString title = map.line(i).Title.trimmed().toUpper();
        if (title == QLatin1String("MMPXY") || title == QLatin1String("MMPLL"))
            return false;
    }
    return true;
}

// The line index before which the corner lines of a map that has none go:
// after its MMPNUM line; without one, where a new map has them (after MM0, or
// before MM1B, or after the "Moving Map Parameters" line), else at the end.
int cornerInsertIndex(const MapFile &map)
{
    int mm0 = -1, mm1b = -1, moving = -1;
    for (int i = 1; i < map.lineCount(); ++i) {
        const QString title = map.line(i).Title.trimmed().toUpper();
        if (title == QLatin1String("MMPNUM"))
            return i + 1;
        if (title == QLatin1String("MM0") && mm0 < 0)
            mm0 = i;
        else if (title == QLatin1String("MM1B") && mm1b < 0)
            mm1b = i;
        else if (title.startsWith(QLatin1String("MOVING MAP PARAMETERS")) && moving < 0)
            moving = i;
    }
    if (mm0 >= 0)
        return mm0 + 1;
    if (mm1b >= 0)
        return mm1b;
    if (moving >= 0)
        return moving + 1;
    return map.lineCount();
}

// The bytes of `map` with the eight corner lines put in before line `at`,
// with the file's own line ends; every other line keeps its bytes. SetCorner
// fills them in afterwards.
QByteArray withCornerLines(const MapFile &map, int at)
{
    const QByteArray bytes = map.ToBytes();
    QByteArray eol = "\r\n";
    for (int i = 0; i < map.lineCount(); ++i) {
        if (!map.line(i).eol.isEmpty()) {
            eol = map.line(i).eol;
            break;
        }
    }
    // The byte offset of line `at`: past `at` line ends.
    qsizetype offset = 0;
    for (int i = 0; i < at && offset >= 0; ++i) {
        const qsizetype nl = bytes.indexOf('\n', offset);
        offset = nl < 0 ? -1 : nl + 1;
    }
    QByteArray added;
    for (int k = 1; k <= 4; ++k)
        added += "MMPXY," + QByteArray::number(k) + ",0,0" + eol;
    for (int k = 1; k <= 4; ++k)
        added += "MMPLL," + QByteArray::number(k) + ",   0.000000,   0.000000" + eol;
    if (offset < 0 || offset >= bytes.size()) {
        QByteArray out = bytes;
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += eol; // the last line had no line end: it gets one, as it is no longer last
        return out + added;
    }
    return bytes.left(offset) + added + bytes.mid(offset);
}

// Sets the corner markers of one file; returns the message for the user when
// the file is left as it was, or an empty text when it was rewritten or was
// right already (reported to the observer as Written or Unchanged).
QString setMarkers(const QString &fileName, const QString &name, RunObserver &observer)
{
    MapFile map(&observer);
    map.FileName = fileName;
    map.KeepReadLines = true; // only the eight corner lines may change
    map.ReadMap(fileName);
    if (!map.hasHeader())
        return refusal(fileName, QCoreApplication::translate("CornerMarkersRun", "is not an OziExplorer map file"));
    if (map.MMPNUM > 4)
        return refusal(fileName, QCoreApplication::translate("CornerMarkersRun", "has more then 4 corner markers"));
    const QByteArray before = map.ToBytes(); // the file as read, byte for byte
    if (pointsWithPosition(map) >= 4 && lacksAllCornerLines(map)) {
        // A map without corner markers gets them, in the place a new map has them.
        // Read again without the observer: the title line's notes were given once already.
        const QByteArray added = withCornerLines(map, cornerInsertIndex(map));
        map.Observer = nullptr;
        map.ReadBytes(added);
        map.Observer = &observer;
    }
    for (int n = 1; n <= 4; ++n) {
        // Line 0 is the header: a corner without its own line would be written over it.
        if (map.cornerXY(n).LineNo <= 0 || map.cornerLL(n).LineNo <= 0)
            return refusal(fileName, QCoreApplication::translate("CornerMarkersRun", "lacks some of the four MMPXY and four MMPLL lines"));
    }
    if (pointsWithPosition(map) < 4)
        return refusal(fileName, QCoreApplication::translate("CornerMarkersRun", "has fewer than 4 calibration points with pixel positions"));
    // Markers from points that were not read as they stand would be wrong
    // without a word: the file is left as it is.
    if (const QString why = CornerPoints::problem(map, CornerPoints::Check::PixelsAndDegrees); !why.isEmpty())
        return refusal(fileName, QCoreApplication::translate("CornerMarkersRun", "has corner points that cannot be used: %1").arg(why));
    map.SetCorner();
    if (!cornersSound(map))
        return refusal(fileName, QCoreApplication::translate("CornerMarkersRun", "has no 4 distinct corner points with valid coordinates"));
    // Markers that are right already: the file is not touched (its date stays).
    if (map.ToBytes() != before) {
        map.WriteMap(fileName, true);
        observer.fileResult(name, RunObserver::FileOutcome::Written, QString());
    } else {
        observer.fileResult(name, RunObserver::FileOutcome::Unchanged, QString());
    }
    return QString();
}

} // namespace

RunResult CornerMarkersRun::run(const QString &folder, RunObserver &observer)
{
    MapFolderWalk::Options options;
    options.statusPrefix = QCoreApplication::translate("CornerMarkersRun", "Set corner markers for ");
    options.countFailed = true; // a refused file that the user continued past counts as well
    options.workReportsOutcome = true;
    return MapFolderWalk::run(folder, observer, options, [&observer](const QString &path, const QString &name) {
        return setMarkers(path, name, observer);
    });
}
