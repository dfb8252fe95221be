#include "sheet/SheetLocator.h"

#include "sheet/MapError.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetText.h"
#include "sheet/Global.h"

#include <cmath>

#include <QCoreApplication>

namespace {

// Index of the band of height `step` that holds `offset` (offset >= 0), never
// above `count` - 1.
int band(double offset, double step, int count)
{
    const int i = int(std::floor(offset / step + 1e-12));
    return qBound(0, i, count - 1);
}

// The longitude span of the sheets north of 60 degrees: two, north of 76
// degrees four (three at 1:200K), side by side on one image.
int widthFactor(int row, int scale)
{
    if (row <= 15)
        return 1;
    if (row <= 19)
        return 2;
    return scale == 200 ? 3 : 4;
}

// Quarter index 1..4 (1 NW, 2 NE, 3 SW, 4 SE) from the south-to-north and
// west-to-east halves.
qint16 quarter(int northHalf, int eastHalf)
{
    return qint16(1 + eastHalf + 2 * (1 - northHalf));
}

// The quarter moved to the western column (1 or 3), for the groups of sheets
// side by side on one image.
qint16 westColumn(qint16 q)
{
    return q == 2 || q == 4 ? qint16(q - 1) : q;
}

// The name of the sheets one image spans north of 76 degrees at 1:50K and
// below: four sheets, two of this quarter and two of the next one to the east
// ("T-31-133-В,Г,134-В,Г"); every other sheet as the map creator names it.
QString groupName(const SheetFields &f)
{
    const QString name = SheetText::mapName(f);
    if (f.iRow < 20 || (f.iScale != 50 && f.iScale != 25 && f.iScale != 10))
        return name;
    const QString capitals = QStringLiteral("\u0410\u0411\u0412\u0413");
    const QString small = QStringLiteral("\u0430\u0431\u0432\u0433");
    const QString digits = QStringLiteral("1234");
    auto at = [](const QString &set, int index) { return index >= 1 && index <= 4 ? set.mid(index - 1, 1) : QString(); };
    // The pair of quarters, and the next sheet east of the one that holds them.
    QString parentNext;
    QString pair;
    switch (f.iScale) {
    case 50:
        parentNext = QStringLiteral("%1").arg(f.iList + 1, 3, 10, QLatin1Char('0'));
        pair = at(capitals, f.iList50) + QLatin1Char(',') + at(capitals, f.iList50 + 1);
        break;
    case 25:
        parentNext = at(capitals, f.iList50 + 1);
        pair = at(small, f.iList25) + QLatin1Char(',') + at(small, f.iList25 + 1);
        break;
    default:
        parentNext = at(small, f.iList25 + 1);
        pair = at(digits, f.iList10) + QLatin1Char(',') + at(digits, f.iList10 + 1);
        break;
    }
    // mapName() ends in the parent, a hyphen and the first quarter; it names the pair in full.
    const qsizetype cut = name.lastIndexOf(QLatin1Char('-'));
    return name.left(cut + 1) + pair + QLatin1Char(',') + parentNext + QLatin1Char('-') + pair;
}

} // namespace

bool SheetLocator::holds(const SheetFields &f, double lat, double lon)
{
    try {
        const double north = SheetGeometry::latitude(f, 1);
        const double south = SheetGeometry::latitude(f, 3);
        const double west = SheetGeometry::longitude(f, 1);
        const double east = SheetGeometry::longitude(f, 3);
        if (lon >= 180)
            lon -= 360;
        return lat >= south - 1e-12 && lat < north - 1e-12 && lon >= west - 1e-12 && lon < east - 1e-12;
    } catch (const MapError &) {
        return false;
    }
}

SheetLocator::Result SheetLocator::locate(double lat, double lon, int scale)
{
    Result r;
    if (!std::isfinite(lat) || !std::isfinite(lon) || lat < -90 || lat > 90 || lon < -180 || lon > 180) {
        r.error = QCoreApplication::translate("SheetLocator", "The point %1, %2 lies outside latitude -90..90 or longitude -180..180")
                      .arg(lat, 0, 'g', 12)
                      .arg(lon, 0, 'g', 12);
        return r;
    }
    if (Global::scaleText(scale) == QLatin1String(" ")) {
        r.error = QCoreApplication::translate("SheetLocator", "Unknown scale %1").arg(scale);
        return r;
    }
    // The 1:1M rows A..V reach 88 degrees north and south.
    if (lat >= 88 || lat <= -88) {
        r.error = QCoreApplication::translate("SheetLocator", "The series has no sheet at latitude %1 (rows A..V end at 88 degrees)")
                      .arg(lat, 0, 'g', 12);
        return r;
    }
    if (lon >= 180)
        lon -= 360;

    SheetFields &f = r.fields;
    f.iScale = qint16(scale);
    f.bSouth = lat < 0;
    // Row R spans 4(R-1)..4R degrees north, or -4R..-4(R-1) south.
    const int row = f.bSouth ? int(std::ceil(-lat / 4 - 1e-12)) : int(std::floor(lat / 4 + 1e-12)) + 1;
    f.iRow = qint16(qBound(1, row, 22));
    const double south1M = f.bSouth ? -4.0 * f.iRow : 4.0 * (f.iRow - 1);
    const double dlat = qMax(0.0, lat - south1M);          // 0..4 from the south edge
    int col = int(std::floor((lon + 180) / 6 + 1e-12)) + 1;
    col = qBound(1, col, 60);
    const double dlon = qMax(0.0, lon - ((col - 1) * 6.0 - 180)); // 0..6 from the west edge
    const int w = widthFactor(f.iRow, scale);
    // The list rows are counted from the north edge of the 1:1M sheet in
    // both hemispheres.
    auto fromNorth = [](int rowFromSouth, int rows) { return rows - 1 - rowFromSouth; };

    f.iList = 0;
    f.iList50 = 0;
    f.iList25 = 0;
    f.iList10 = 0;
    switch (scale) {
    case 1000:
        f.iList = 0;
        // One image spans w columns, the groups starting at columns 1, 1 + w, ...
        col -= (col - 1) % w;
        break;
    case 500: {
        const int east = band(dlon, 3, 2);
        const int north = band(dlat, 2, 2);
        f.iList = quarter(north, east);
        if (w >= 2)
            f.iList = westColumn(f.iList);
        if (w >= 4)
            col -= (col - 1) % 2;
        break;
    }
    case 200: {
        int c = band(dlon, 1, 6);
        const int rs = band(dlat, 4.0 / 6, 6);
        c -= c % w;
        f.iList = qint16(fromNorth(rs, 6) * 6 + c + 1);
        break;
    }
    default: {
        // 1:100K and the sheets inside it.
        int c = band(dlon, 0.5, 12);
        const int rs = band(dlat, 20.0 / 60, 12);
        const double lat100 = dlat - rs * (20.0 / 60);  // 0..20' from the 100K south edge
        const double lon100 = dlon - c * 0.5;           // 0..30' from the 100K west edge
        if (scale == 100) {
            c -= c % w;
        } else if (scale == 50 && w >= 4) {
            c -= c % 2;
        }
        f.iList = qint16(fromNorth(rs, 12) * 12 + c + 1);
        if (scale == 100)
            break;
        const int north50 = band(lat100, 10.0 / 60, 2);
        const int east50 = band(lon100, 15.0 / 60, 2);
        f.iList50 = quarter(north50, east50);
        if (scale == 50) {
            if (w >= 2)
                f.iList50 = westColumn(f.iList50);
            break;
        }
        const double lat50 = lat100 - north50 * (10.0 / 60);
        const double lon50 = lon100 - east50 * (15.0 / 60);
        const int north25 = band(lat50, 5.0 / 60, 2);
        const int east25 = band(lon50, 7.5 / 60, 2);
        f.iList25 = quarter(north25, east25);
        if (scale == 25) {
            if (w >= 2)
                f.iList25 = westColumn(f.iList25);
            if (w >= 4)
                f.iList50 = westColumn(f.iList50);
            break;
        }
        const double lat25 = lat50 - north25 * (5.0 / 60);
        const double lon25 = lon50 - east25 * (7.5 / 60);
        f.iList10 = quarter(band(lat25, 2.5 / 60, 2), band(lon25, 3.75 / 60, 2));
        if (w >= 2)
            f.iList10 = westColumn(f.iList10);
        if (w >= 4)
            f.iList25 = westColumn(f.iList25);
        break;
    }
    }
    f.iCol = qint16(col);

    if (!holds(f, lat, lon)) {
        r.error = QCoreApplication::translate("SheetLocator", "No sheet at %1 holds the point %2, %3")
                      .arg(Global::scaleText(scale))
                      .arg(lat, 0, 'g', 12)
                      .arg(lon, 0, 'g', 12);
        return r;
    }
    r.name = groupName(f);
    return r;
}
