// Ordering of the stored calibration points: corners NW, NE, SE, SW in slots
// 1..4, inner points into the slots of the sheet points they stand for.
#include "common/MapFolderFixture.h"
#include "common/MapSamples.h"

#include "mapfile/MapFile.h"

#include <QPoint>
#include <QtTest>

using namespace MapSamples;

namespace {

// The nine points of sheet N-37-001 (1:100K) on a 1000 x 800 image.
struct SheetPoint
{
    QPoint pixel;
    QByteArray body;
};

SheetPoint sp(int x, int y, int latDeg, const char *latMin, int lonDeg, const char *lonMin)
{
    return {QPoint(x, y), pointBody(x, y, latDeg, latMin, 'N', lonDeg, lonMin, 'E')};
}

const SheetPoint NW = sp(30, 40, 56, "0.0000", 36, "0.0000");
const SheetPoint NE = sp(970, 40, 56, "0.0000", 36, "30.0000");
const SheetPoint SE = sp(970, 760, 55, "40.0000", 36, "30.0000");
const SheetPoint SW = sp(30, 760, 55, "40.0000", 36, "0.0000");
const SheetPoint C = sp(500, 400, 55, "50.0000", 36, "15.0000");
const SheetPoint N = sp(500, 40, 56, "0.0000", 36, "15.0000");
const SheetPoint W = sp(30, 400, 55, "50.0000", 36, "0.0000");
const SheetPoint E = sp(970, 400, 55, "50.0000", 36, "30.0000");
const SheetPoint S = sp(500, 760, 55, "40.0000", 36, "15.0000");
const SheetPoint None{QPoint(-1, -1), emptyPointBody()};
// The west-middle point with a latitude one bit above the sheet's 55 deg 50 min.
const SheetPoint WOff{QPoint(30, 400), "xy,   30,  400,in, deg,55.83333333333334, 0,N,  36,  0.0000,E, grid,,,,N"};

using Slots = QList<SheetPoint>;

} // namespace

Q_DECLARE_METATYPE(Slots)

class TestSortPoints : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QUILLMARK_REQUIRE_FIXTURES(); }
    void sort_data();
    void sort();
    void realMapGrid();
};

void TestSortPoints::sort_data()
{
    QTest::addColumn<Slots>("stored");
    QTest::addColumn<Slots>("expected");

    QTest::newRow("three points: nothing changes") << Slots{SE, SW, NE} << Slots{SE, SW, NE};
    QTest::newRow("fewer than four with pixels") << Slots{SE, SW, None, None, NE} << Slots{SE, SW, None, None, NE};
    QTest::newRow("corners SE SW NE NW") << Slots{SE, SW, NE, NW} << Slots{NW, NE, SE, SW};
    QTest::newRow("all nine in place") << Slots{NW, NE, SE, SW, C, N, W, E, S} << Slots{NW, NE, SE, SW, C, N, W, E, S};
    QTest::newRow("corner in slot 7, centre in slot 1")
        << Slots{C, NE, SE, SW, N, W, NW} << Slots{NW, NE, SE, SW, C, N, W};
    QTest::newRow("inner points reversed") << Slots{NW, NE, SE, SW, S, E, W, N, C}
                                           << Slots{NW, NE, SE, SW, C, N, W, E, S};
    // Swapping NW into slot 1 and then copying the corners would lose the
    // centre and write NE twice; every point must survive.
    QTest::newRow("NE in slot 1, NW in slot 5") << Slots{NE, SE, SW, C, NW} << Slots{NW, NE, SE, SW, C};
    QTest::newRow("inner point found by exact degrees") << Slots{NW, NE, SE, SW, W} << Slots{NW, NE, SE, SW, None, None, W};
    QTest::newRow("latitude off by one bit stays") << Slots{NW, NE, SE, SW, WOff} << Slots{NW, NE, SE, SW, WOff};
}

void TestSortPoints::sort()
{
    QFETCH(Slots, stored);
    QFETCH(Slots, expected);

    Options o;
    for (int k = 1; k <= stored.size(); ++k)
        o.points[k] = stored.at(k - 1).body;
    MapFile map;
    map.iScale = 100;
    map.iList = 1;
    map.iX = 1000;
    map.iY = 800;
    map.KeepReadLines = true;
    map.ReadBytes(sheetMap(o)); // reading ends with SortPoints

    for (int k = 1; k <= expected.size(); ++k) {
        const MapPoint &p = map.point(k);
        QCOMPARE(QPoint(p.X, p.Y), expected.at(k - 1).pixel);
        QCOMPARE(p.LineNo, 8 + k); // the slot keeps its line
    }
    // The stored points are the same set as before, only moved.
    QMultiMap<int, double> before, after;
    for (int k = 1; k <= 9; ++k) {
        const SheetPoint &s = k <= stored.size() ? stored.at(k - 1) : None;
        before.insert(s.pixel.x() * 10000 + s.pixel.y(), 0);
        after.insert(map.point(k).X * 10000 + map.point(k).Y, 0);
    }
    QCOMPARE(after.keys(), before.keys());
    // Points move, lines do not.
    QCOMPARE(map.ToBytes(), sheetMap(o));
}

void TestSortPoints::realMapGrid()
{
    // Points in a 3 x 3 grid: 01 NW, 02 N, 03 NE, 04 W, 05 centre, 06 E,
    // 07 SW, 08 S, 09 SE. The corners go to slots 1..4; points 2 and 4, which
    // were in corner slots, go to the slots SE and SW left (9 and 7).
    MapFile map;
    map.ReadMap(MapFolderFixture::fixturePath(QStringLiteral("gk5-pul42.map")));
    const QPoint expected[] = {{0, 0}, {120, 0}, {120, 120}, {0, 120}, {60, 60},
                               {120, 60}, {0, 60}, {60, 120}, {60, 0}};
    for (int k = 1; k <= 9; ++k) {
        QCOMPARE(QPoint(map.point(k).X, map.point(k).Y), expected[k - 1]);
        QCOMPARE(map.point(k).LineNo, 8 + k);
    }
    // Point02 (1 deg 34.2051 min N, 13 deg 5.7949 min W) now sits in slot 9.
    QCOMPARE(map.point(9).Lat, 1 + 34.2051 / 60);
    QCOMPARE(map.point(9).Lon, -(13 + 5.7949 / 60));
    QCOMPARE(map.point(7).Lat, 1 + 32.0551 / 60);
}

QTEST_GUILESS_MAIN(TestSortPoints)
#include "tst_sortpoints.moc"
