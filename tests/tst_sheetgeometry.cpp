// Latitude and longitude of the nine calibration points of a sheet, worked out
// by hand from the graticule of the 1:1M sheet system and its subdivisions.
// Expected values are written in the order the rules compute them, so that
// the comparison can be exact.

#include "sheet/MapError.h"
#include "sheet/SheetFields.h"
#include "sheet/SheetGeometry.h"

#include <QtTest>

namespace {

SheetFields sheet(int row, int col, int list, int list50, int list25, int scale, bool south = false)
{
    SheetFields f;
    f.iRow = qint16(row);
    f.iCol = qint16(col);
    f.iList = qint16(list);
    f.iList50 = qint16(list50);
    f.iList25 = qint16(list25);
    f.iScale = qint16(scale);
    f.bSouth = south;
    return f;
}

QString exact(double v)
{
    return QString::number(v, 'g', 17);
}

} // namespace

class TestSheetGeometry : public QObject
{
    Q_OBJECT

private slots:
    void point_data();
    void point();
    void overflow_data();
    void overflow();
};

void TestSheetGeometry::point_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("list50");
    QTest::addColumn<int>("list25");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("south");
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");

    // N-37-001 at 1:100K: 56 .. 55 40', 36 .. 36 30'.
    QTest::newRow("N-37-001 k1") << 14 << 37 << 1 << 0 << 0 << 100 << false << 1 << 56.0 << 36.0;
    QTest::newRow("N-37-001 k2") << 14 << 37 << 1 << 0 << 0 << 100 << false << 2 << 56.0 << 36.5;
    QTest::newRow("N-37-001 k3") << 14 << 37 << 1 << 0 << 0 << 100 << false << 3 << 56 - 20 / 60.0 << 36.5;
    QTest::newRow("N-37-001 k4") << 14 << 37 << 1 << 0 << 0 << 100 << false << 4 << 56 - 20 / 60.0 << 36.0;
    QTest::newRow("N-37-001 k5") << 14 << 37 << 1 << 0 << 0 << 100 << false << 5 << 56 - 0 / 60.0 - 10 / 60.0 << 36.25;
    QTest::newRow("N-37-001 k6") << 14 << 37 << 1 << 0 << 0 << 100 << false << 6 << 56.0 << 36.25;
    QTest::newRow("N-37-001 k7") << 14 << 37 << 1 << 0 << 0 << 100 << false << 7 << 56 - 10 / 60.0 << 36.0;
    QTest::newRow("N-37-001 k8") << 14 << 37 << 1 << 0 << 0 << 100 << false << 8 << 56 - 10 / 60.0 << 36.5;
    QTest::newRow("N-37-001 k9") << 14 << 37 << 1 << 0 << 0 << 100 << false << 9 << 56 - 20 / 60.0 << 36.25;
    // N-37-144: the last sheet, south-east corner of the 1:1M sheet.
    QTest::newRow("N-37-144 k1") << 14 << 37 << 144 << 0 << 0 << 100 << false << 1 << 56 - 220 / 60.0 << 5.5 + 36;
    QTest::newRow("N-37-144 k3") << 14 << 37 << 144 << 0 << 0 << 100 << false << 3 << 56 - 240 / 60.0 << 42.0;
    // N-37-013: second row of 1:100K sheets.
    QTest::newRow("N-37-013 k4") << 14 << 37 << 13 << 0 << 0 << 100 << false << 4 << 56 - 40 / 60.0 << 36.0;

    // 1:50K quarters of N-37-001.
    QTest::newRow("N-37-001-Г k1") << 14 << 37 << 1 << 4 << 0 << 50 << false << 1 << 56 - 10 / 60.0 << 36.25;
    QTest::newRow("N-37-001-Г k3") << 14 << 37 << 1 << 4 << 0 << 50 << false << 3 << 56 - 20 / 60.0 << 36.5;
    QTest::newRow("N-37-001-Г k5") << 14 << 37 << 1 << 4 << 0 << 50 << false << 5
                                   << 56 - 10 / 60.0 - 5 / 60.0 << 36.25 + 0.125;
    QTest::newRow("N-37-001-А k3") << 14 << 37 << 1 << 1 << 0 << 50 << false << 3 << 56 - 20 / 60.0 + 10 / 60.0 << 36.25;
    QTest::newRow("N-37-001-А k5") << 14 << 37 << 1 << 1 << 0 << 50 << false << 5
                                   << 56 - 10 / 60.0 + 5 / 60.0 << 36.25 - 0.125;
    QTest::newRow("N-37-001-Б k1") << 14 << 37 << 1 << 2 << 0 << 50 << false << 1 << 56.0 << 36.25;
    QTest::newRow("N-37-001-В k2") << 14 << 37 << 1 << 3 << 0 << 50 << false << 2 << 56 - 10 / 60.0 << 36.25;
    // A letter outside 1..4 leaves the 1:100K value.
    QTest::newRow("1:50K letter 0 k3") << 14 << 37 << 1 << 0 << 0 << 50 << false << 3 << 56 - 20 / 60.0 << 36.5;

    // 1:25K.
    QTest::newRow("N-37-001-А-а k2") << 14 << 37 << 1 << 1 << 1 << 25 << false << 2 << 56.0 << 36.125;
    QTest::newRow("N-37-001-А-а k3") << 14 << 37 << 1 << 1 << 1 << 25 << false << 3
                                     << 56 - 20 / 60.0 + 10 / 60.0 + 5 / 60.0 << 36.125;
    QTest::newRow("N-37-001-А-а k5") << 14 << 37 << 1 << 1 << 1 << 25 << false << 5
                                     << 56 - 10 / 60.0 + 5 / 60.0 + 2.5 / 60.0 << 36.0625;
    QTest::newRow("N-37-001-Г-г k1") << 14 << 37 << 1 << 4 << 4 << 25 << false << 1
                                     << 56 - 10 / 60.0 - 5 / 60.0 << 36.25 + 0.125;
    QTest::newRow("N-37-001-Г-г k3") << 14 << 37 << 1 << 4 << 4 << 25 << false << 3 << 56 - 20 / 60.0 << 36.5;
    QTest::newRow("N-37-001-Г-г k5") << 14 << 37 << 1 << 4 << 4 << 25 << false << 5
                                     << 56 - 10 / 60.0 - 5 / 60.0 - 2.5 / 60.0 << 36.25 + 0.125 + 0.0625;
    QTest::newRow("N-37-001-Б-в k4") << 14 << 37 << 1 << 2 << 3 << 25 << false << 4
                                     << 56 - 20 / 60.0 + 10 / 60.0 << 36.25;
    // The 1:25K quarter step east is taken with the width factor: doubled at row 16.
    QTest::newRow("P-37-001-А-а k2") << 16 << 37 << 1 << 1 << 1 << 25 << false << 2 << 64.0 << 36.25;
    // A point number outside 1..9 at 1:25K gives the stored base longitude.
    QTest::newRow("1:25K k0") << 14 << 37 << 1 << 4 << 4 << 25 << false << 0 << 0.0 << 36.25;
    QTest::newRow("1:25K k10") << 14 << 37 << 1 << 2 << 1 << 25 << false << 10 << 0.0 << 36.25;

    // 1:200K.
    QTest::newRow("N-37-01 k1") << 14 << 37 << 1 << 0 << 0 << 200 << false << 1 << 56.0 << 36.0;
    QTest::newRow("N-37-01 k3") << 14 << 37 << 1 << 0 << 0 << 200 << false << 3 << 56 - 4 / 6.0 << 37.0;
    QTest::newRow("N-37-01 k5") << 14 << 37 << 1 << 0 << 0 << 200 << false << 5 << 56 - 2 / 6.0 << 36.5;
    QTest::newRow("N-37-12 k1") << 14 << 37 << 12 << 0 << 0 << 200 << false << 1 << 56 - 4 / 6.0 << 41.0;
    QTest::newRow("N-37-12 k3") << 14 << 37 << 12 << 0 << 0 << 200 << false << 3 << 56 - 8 / 6.0 << 42.0;
    QTest::newRow("N-37-13 k7") << 14 << 37 << 13 << 0 << 0 << 200 << false << 7 << 56 - 8 / 6.0 - 2 / 6.0 << 36.0;
    // Row 20 at 1:200K: three sheets, 3 degrees wide.
    QTest::newRow("T-37-01 k2") << 20 << 37 << 1 << 0 << 0 << 200 << false << 2 << 80.0 << 39.0;
    QTest::newRow("T-37-01 k9") << 20 << 37 << 1 << 0 << 0 << 200 << false << 9 << 80 - 4 / 6.0 << 37.5;

    // Row 16 at 1:100K: two sheets, 1 degree wide.
    QTest::newRow("P-37-001 k1") << 16 << 37 << 1 << 0 << 0 << 100 << false << 1 << 64.0 << 36.0;
    QTest::newRow("P-37-001 k2") << 16 << 37 << 1 << 0 << 0 << 100 << false << 2 << 64.0 << 37.0;
    QTest::newRow("P-37-001 k6") << 16 << 37 << 1 << 0 << 0 << 100 << false << 6 << 64.0 << 36.5;
    // Row 20 at 1:100K: four sheets, 2 degrees wide.
    QTest::newRow("T-37-001 k8") << 20 << 37 << 1 << 0 << 0 << 100 << false << 8 << 80 - 10 / 60.0 << 38.0;

    // 1:500K.
    QTest::newRow("N-37-А k1") << 14 << 37 << 1 << 0 << 0 << 500 << false << 1 << 56.0 << 36.0;
    QTest::newRow("N-37-А k3") << 14 << 37 << 1 << 0 << 0 << 500 << false << 3 << 54.0 << 39.0;
    QTest::newRow("N-37-Б k5") << 14 << 37 << 2 << 0 << 0 << 500 << false << 5 << 55.0 << 40.5;
    QTest::newRow("N-37-В k4") << 14 << 37 << 3 << 0 << 0 << 500 << false << 4 << 52.0 << 36.0;
    QTest::newRow("N-37-Г k1") << 14 << 37 << 4 << 0 << 0 << 500 << false << 1 << 54.0 << 39.0;
    QTest::newRow("N-37-Г k3") << 14 << 37 << 4 << 0 << 0 << 500 << false << 3 << 52.0 << 42.0;
    QTest::newRow("N-37-Г k5") << 14 << 37 << 4 << 0 << 0 << 500 << false << 5 << 53.0 << 40.5;
    QTest::newRow("P-37-А k2") << 16 << 37 << 1 << 0 << 0 << 500 << false << 2 << 64.0 << 42.0;
    // A list outside 1..4 has no latitude.
    QTest::newRow("1:500K list 5 k1") << 14 << 37 << 5 << 0 << 0 << 500 << false << 1 << 0.0 << 36.0;

    // 1:1M.
    QTest::newRow("N-37 k1") << 14 << 37 << 0 << 0 << 0 << 1000 << false << 1 << 56.0 << 36.0;
    QTest::newRow("N-37 k3") << 14 << 37 << 0 << 0 << 0 << 1000 << false << 3 << 52.0 << 42.0;
    QTest::newRow("N-37 k5") << 14 << 37 << 0 << 0 << 0 << 1000 << false << 5 << 54.0 << 39.0;
    QTest::newRow("P-37 k2") << 16 << 37 << 0 << 0 << 0 << 1000 << false << 2 << 64.0 << 48.0;
    QTest::newRow("T-37 k2") << 20 << 37 << 0 << 0 << 0 << 1000 << false << 2 << 80.0 << 60.0;
    QTest::newRow("T-37 k5") << 20 << 37 << 0 << 0 << 0 << 1000 << false << 5 << 78.0 << 48.0;
    QTest::newRow("A-01 k4") << 1 << 1 << 0 << 0 << 0 << 1000 << false << 4 << 0.0 << -180.0;

    // Southern sheets: the 1:1M sheet of row R spans -4R .. -4(R-1) and is
    // subdivided from its north-west corner.
    QTest::newRow("sK-37-001 k1") << 11 << 37 << 1 << 0 << 0 << 100 << true << 1 << -40.0 << 36.0;
    QTest::newRow("sK-37-001 k3") << 11 << 37 << 1 << 0 << 0 << 100 << true << 3 << -40 - 20 / 60.0 << 36.5;
    QTest::newRow("sK-37-001 k5") << 11 << 37 << 1 << 0 << 0 << 100 << true << 5 << -40 - 10 / 60.0 << 36.25;
    QTest::newRow("sK-37-144 k3") << 11 << 37 << 144 << 0 << 0 << 100 << true << 3 << -40 - 240 / 60.0 << 42.0;
    QTest::newRow("sA-37 k1") << 1 << 37 << 0 << 0 << 0 << 1000 << true << 1 << 0.0 << 36.0;
    QTest::newRow("sA-37 k3") << 1 << 37 << 0 << 0 << 0 << 1000 << true << 3 << -4.0 << 42.0;
    QTest::newRow("sA-37 k5") << 1 << 37 << 0 << 0 << 0 << 1000 << true << 5 << -2.0 << 39.0;
    QTest::newRow("sK-37-Г k1") << 11 << 37 << 4 << 0 << 0 << 500 << true << 1 << -42.0 << 39.0;
    QTest::newRow("sK-37-Г k3") << 11 << 37 << 4 << 0 << 0 << 500 << true << 3 << -44.0 << 42.0;
    QTest::newRow("sK-37-12 k3") << 11 << 37 << 12 << 0 << 0 << 200 << true << 3 << -40 - 8 / 6.0 << 42.0;
    QTest::newRow("sK-37-001-Г-г k1") << 11 << 37 << 1 << 4 << 4 << 25 << true << 1
                                      << -40 - 10 / 60.0 - 5 / 60.0 << 36.375;
    // The width factor follows the distance from the equator.
    QTest::newRow("sP-37 k2") << 16 << 37 << 0 << 0 << 0 << 1000 << true << 2 << -60.0 << 48.0;
    QTest::newRow("sP-37-001 k3") << 16 << 37 << 1 << 0 << 0 << 100 << true << 3 << -60 - 20 / 60.0 << 37.0;

    // Nothing covers these: 0.
    QTest::newRow("scale 300") << 14 << 37 << 1 << 0 << 0 << 300 << false << 1 << 0.0 << 0.0;
    QTest::newRow("1:100K k0") << 14 << 37 << 1 << 0 << 0 << 100 << false << 0 << 0.0 << 0.0;
    QTest::newRow("1:100K k10") << 14 << 37 << 1 << 0 << 0 << 100 << false << 10 << 0.0 << 0.0;
    QTest::newRow("1:50K k10") << 14 << 37 << 1 << 4 << 0 << 50 << false << 10 << 0.0 << 0.0;
    QTest::newRow("1:1M k-1") << 14 << 37 << 0 << 0 << 0 << 1000 << false << -1 << 0.0 << 0.0;
}

void TestSheetGeometry::point()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, list);
    QFETCH(int, list50);
    QFETCH(int, list25);
    QFETCH(int, scale);
    QFETCH(bool, south);
    QFETCH(int, k);
    QFETCH(double, lat);
    QFETCH(double, lon);

    const SheetFields f = sheet(row, col, list, list50, list25, scale, south);
    // Exact comparison: the texts show all 17 digits when they differ.
    QCOMPARE(exact(SheetGeometry::latitude(f, k)), exact(lat));
    QCOMPARE(exact(SheetGeometry::longitude(f, k)), exact(lon));
}

void TestSheetGeometry::overflow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("south");
    QTest::addColumn<bool>("latitudeThrows");
    QTest::addColumn<bool>("longitudeThrows");

    QTest::newRow("row 10000: 4R beyond 16 bits") << 10000 << 37 << false << true << false;
    QTest::newRow("column 32767: (C-1)*6 beyond 16 bits") << 14 << 32767 << false << false << true;
    QTest::newRow("southern row -8191: 4(R-1) fits, its negation does not") << -8191 << 37 << true << true << false;
    QTest::newRow("row 8191 fits") << 8191 << 37 << false << false << false;
}

void TestSheetGeometry::overflow()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(bool, south);
    QFETCH(bool, latitudeThrows);
    QFETCH(bool, longitudeThrows);

    const SheetFields f = sheet(row, col, 1, 0, 0, 100, south);
    bool threw = false;
    try {
        SheetGeometry::latitude(f, 1);
    } catch (const MapError &) {
        threw = true;
    }
    QCOMPARE(threw, latitudeThrows);
    threw = false;
    try {
        SheetGeometry::longitude(f, 1);
    } catch (const MapError &) {
        threw = true;
    }
    QCOMPARE(threw, longitudeThrows);
}

QTEST_APPLESS_MAIN(TestSheetGeometry)
#include "tst_sheetgeometry.moc"
