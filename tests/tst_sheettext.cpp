// Zone, central meridian, metres per pixel, sheet names and the coordinate
// texts of map files, checked against values worked out by hand.

#include "sheet/MapError.h"
#include "sheet/SheetFields.h"
#include "sheet/SheetText.h"

#include <QtTest>

#include <functional>
#include <limits>

namespace {

SheetFields sheet(int row, int col, int list, int list50, int list25, int scale, bool south = false, int iY = 0)
{
    SheetFields f;
    f.iRow = qint16(row);
    f.iCol = qint16(col);
    f.iList = qint16(list);
    f.iList50 = qint16(list50);
    f.iList25 = qint16(list25);
    f.iScale = qint16(scale);
    f.bSouth = south;
    f.iY = qint16(iY);
    return f;
}

} // namespace

class TestSheetText : public QObject
{
    Q_OBJECT

private slots:
    void zone_data();
    void zone();
    void centralMeridian_data();
    void centralMeridian();
    void scaleMP_data();
    void scaleMP();
    void mapName_data();
    void mapName();
    void decimalDegrees_data();
    void decimalDegrees();
    void degreesMinutes_data();
    void degreesMinutes();
    void overflow_data();
    void overflow();
};

void TestSheetText::zone_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("zone");

    QTest::newRow("column 1") << 1 << 31;
    QTest::newRow("column 30") << 30 << 60;
    QTest::newRow("column 31") << 31 << 1;
    QTest::newRow("column 37") << 37 << 7;
    QTest::newRow("column 60") << 60 << 30;
}

void TestSheetText::zone()
{
    QFETCH(int, col);
    QFETCH(int, zone);
    QCOMPARE(int(SheetText::zone(sheet(14, col, 1, 0, 0, 100))), zone);
}

void TestSheetText::centralMeridian_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("text");

    QTest::newRow("N-37 at 1:100K") << 14 << 37 << 100 << "39.000000000";
    QTest::newRow("R-37 at 1:25K") << 18 << 37 << 25 << "39.000000000";
    QTest::newRow("T-37 at 1:200K") << 20 << 37 << 200 << "39.000000000";
    QTest::newRow("N-37 at 1:1M") << 14 << 37 << 1000 << "39.000000000";
    QTest::newRow("P-37 at 1:1M: offset 6") << 16 << 37 << 1000 << "42.000000000";
    QTest::newRow("S-37 at 1:1M: offset 6") << 19 << 37 << 1000 << "42.000000000";
    QTest::newRow("T-37 at 1:1M: offset 12") << 20 << 37 << 1000 << "48.000000000";
    QTest::newRow("column 1 west of Greenwich") << 14 << 1 << 100 << "-177.000000000";
    QTest::newRow("column 31") << 14 << 31 << 50 << "3.000000000";
}

void TestSheetText::centralMeridian()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, scale);
    QFETCH(QString, text);
    QCOMPARE(SheetText::centralMeridian(sheet(row, col, 1, 1, 1, scale)), text);
}

void TestSheetText::scaleMP_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("iY");
    QTest::addColumn<double>("metres");

    QTest::newRow("1:1M") << 1000 << 4448 << 100.0;
    QTest::newRow("1:500K") << 500 << 4448 << 50.0;
    QTest::newRow("1:200K: 444800 / 5") << 200 << 4448 << 20.0;
    QTest::newRow("1:100K") << 100 << 4448 << 10.0;
    QTest::newRow("1:50K") << 50 << 4448 << 5.0;
    QTest::newRow("1:25K") << 25 << 4448 << 2.5;
    QTest::newRow("1:100K, 8000 rows") << 100 << 8000 << 5.56;
    QTest::newRow("unknown scale") << 300 << 4448 << 0.0;
    QTest::newRow("height 0: no division by zero") << 100 << 0 << 0.0;
    QTest::newRow("negative height") << 100 << -4448 << 0.0;
}

void TestSheetText::scaleMP()
{
    QFETCH(int, scale);
    QFETCH(int, iY);
    QFETCH(double, metres);
    QCOMPARE(SheetText::scaleMP(sheet(14, 37, 1, 1, 1, scale, false, iY)), metres);
}

void TestSheetText::mapName_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("list50");
    QTest::addColumn<int>("list25");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("south");
    QTest::addColumn<QString>("name");

    QTest::newRow("N-37-001") << 14 << 37 << 1 << 0 << 0 << 100 << false << "N-37-001";
    QTest::newRow("R-37-001: two sheets") << 18 << 37 << 1 << 0 << 0 << 100 << false << "R-37-001,002";
    QTest::newRow("T-37-005: four sheets") << 20 << 37 << 5 << 0 << 0 << 100 << false << "T-37-005,006,007,008";
    QTest::newRow("N-37") << 14 << 37 << 0 << 0 << 0 << 1000 << false << "N-37";
    QTest::newRow("P-37,38") << 16 << 37 << 0 << 0 << 0 << 1000 << false << "P-37,38";
    QTest::newRow("T-37,38,39,40") << 20 << 37 << 0 << 0 << 0 << 1000 << false << "T-37,38,39,40";
    QTest::newRow("A-05: column with a leading zero") << 1 << 5 << 0 << 0 << 0 << 1000 << false << "A-05";
    QTest::newRow("N-37-12") << 14 << 37 << 12 << 0 << 0 << 200 << false << "N-37-12";
    QTest::newRow("N-37-03") << 14 << 37 << 3 << 0 << 0 << 200 << false << "N-37-03";
    QTest::newRow("P-37-01,02") << 16 << 37 << 1 << 0 << 0 << 200 << false << "P-37-01,02";
    QTest::newRow("T-37-01: three sheets at 1:200K") << 20 << 37 << 1 << 0 << 0 << 200 << false << "T-37-01,02,03";
    QTest::newRow("N-37-Г") << 14 << 37 << 4 << 0 << 0 << 500 << false << "N-37-\u0413";
    QTest::newRow("P-37-А,Б") << 16 << 37 << 1 << 0 << 0 << 500 << false << "P-37-\u0410,\u0411";
    QTest::newRow("T-37-А,Б;T-38-А,Б") << 20 << 37 << 1 << 0 << 0 << 500 << false
                                     << "T-37-\u0410,\u0411;T-38-\u0410,\u0411";
    QTest::newRow("P-37-Г: no fifth letter") << 16 << 37 << 4 << 0 << 0 << 500 << false << "P-37-\u0413,";
    QTest::newRow("N-37-001-Г") << 14 << 37 << 1 << 4 << 0 << 50 << false << "N-37-001-\u0413";
    QTest::newRow("R-37-001-А,Б") << 18 << 37 << 1 << 1 << 0 << 50 << false << "R-37-001-\u0410,\u0411";
    QTest::newRow("N-37-144-Б-в") << 14 << 37 << 144 << 2 << 3 << 25 << false << "N-37-144-\u0411-\u0432";
    QTest::newRow("R-37-001-А-а,б") << 18 << 37 << 1 << 1 << 1 << 25 << false << "R-37-001-\u0410-\u0430,\u0431";
    QTest::newRow("T-37-001-А-а,б,в,г") << 20 << 37 << 1 << 1 << 1 << 25 << false
                                      << "T-37-001-\u0410-\u0430,\u0431,\u0432,\u0433";
    QTest::newRow("unknown scale: base only") << 14 << 37 << 1 << 0 << 0 << 300 << false << "N-37";
    // Southern sheets carry the "s" prefix, also in the second part of a 1:500K name.
    QTest::newRow("sK-37-001") << 11 << 37 << 1 << 0 << 0 << 100 << true << "sK-37-001";
    QTest::newRow("sA-37") << 1 << 37 << 0 << 0 << 0 << 1000 << true << "sA-37";
    QTest::newRow("sT-37-А,Б;sT-38-А,Б") << 20 << 37 << 1 << 0 << 0 << 500 << true
                                       << "sT-37-\u0410,\u0411;sT-38-\u0410,\u0411";
    // Out-of-range indices give empty letters, never a crash.
    QTest::newRow("row 0") << 0 << 37 << 1 << 0 << 0 << 100 << false << "-37-001,002,003,004";
    QTest::newRow("row 23") << 23 << 37 << 0 << 0 << 0 << 1000 << false << "-37,38,39,40";
    QTest::newRow("row -1 at 1:200K") << -1 << 37 << 1 << 0 << 0 << 200 << false << "-37-01,02,03";
    QTest::newRow("1:50K letter 5") << 14 << 37 << 1 << 5 << 0 << 50 << false << "N-37-001-";
    QTest::newRow("1:25K letters 0") << 14 << 37 << 1 << 0 << 0 << 25 << false << "N-37-001--";
    QTest::newRow("1:500K list 9") << 14 << 37 << 9 << 0 << 0 << 500 << false << "N-37-";
}

void TestSheetText::mapName()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, list);
    QFETCH(int, list50);
    QFETCH(int, list25);
    QFETCH(int, scale);
    QFETCH(bool, south);
    QFETCH(QString, name);
    QCOMPARE(SheetText::mapName(sheet(row, col, list, list50, list25, scale, south)), name);
}

void TestSheetText::decimalDegrees_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("dd");       // DD2Str
    QTest::addColumn<QString>("formatDD"); // the MMPLL degrees text

    QTest::newRow("55.5") << 55.5 << "55.500000" << "55.500000";
    QTest::newRow("36.25") << 36.25 << "36.250000" << "36.250000";
    QTest::newRow("-36.25") << -36.25 << "-36.250000" << "-36.250000";
    QTest::newRow("0") << 0.0 << "0.000000" << "0.000000";
    QTest::newRow("-180") << -180.0 << "-180.000000" << "-180.000000";
    QTest::newRow("55 + 40/60") << 55 + 40 / 60.0 << "55.666667" << "55.666667";
    // A value between -1 and 0 keeps its sign.
    QTest::newRow("-0.5") << -0.5 << "-0.500000" << "-0.500000";
    QTest::newRow("-0.0000125") << -0.0000125 << "-0.000012" << "-0.000012";
    // A fraction that rounds to a whole degree carries into the degrees.
    QTest::newRow("55.9999999999") << 55.9999999999 << "56.000000" << "56.000000";
    QTest::newRow("-55.9999999999") << -55.9999999999 << "-56.000000" << "-56.000000";
    QTest::newRow("-0.9999999999") << -0.9999999999 << "-1.000000" << "-1.000000";
    QTest::newRow("0.9999999999") << 0.9999999999 << "1.000000" << "1.000000";
    // A value that rounds to zero is written without a sign.
    QTest::newRow("-0.0000001") << -0.0000001 << "0.000000" << "0.000000";
    // Halves of the sixth decimal go to the even digit.
    QTest::newRow("0.0078125: 7812.5 millionths") << 0.0078125 << "0.007812" << "0.007812";
    QTest::newRow("1.0078125") << 1.0078125 << "1.007812" << "1.007812";
    QTest::newRow("0.0000035: 3.5 millionths") << 0.0000035 << "0.000004" << "0.000004";
    QTest::newRow("0.0000125: 12.5 millionths") << 0.0000125 << "0.000012" << "0.000012";
    // Only the decimal-degree text of a point is limited to 16-bit degrees.
    QTest::newRow("32767.25") << 32767.25 << "32767.250000" << "32767.250000";
}

void TestSheetText::decimalDegrees()
{
    QFETCH(double, value);
    QFETCH(QString, dd);
    QFETCH(QString, formatDD);
    QCOMPARE(SheetText::dd(value), dd);
    QCOMPARE(SheetText::formatDD(value), formatDD);
}

void TestSheetText::degreesMinutes_data()
{
    QTest::addColumn<bool>("latitude");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("lat 55.6666667") << true << 55.6666667 << "55, 40.0000,N";
    QTest::newRow("lat -33.5") << true << -33.5 << "33, 30.0000,S";
    QTest::newRow("lat 56") << true << 56.0 << "56, 0.0000,N";
    QTest::newRow("lat 0") << true << 0.0 << "0, 0.0000,N";
    QTest::newRow("lat 55.5125") << true << 55.5125 << "55, 30.7500,N";
    QTest::newRow("lat -0.25") << true << -0.25 << "0, 15.0000,S";
    QTest::newRow("lat 55 + 50/60") << true << 56 - 10 / 60.0 << "55, 50.0000,N";
    QTest::newRow("lat 1 second") << true << 10 + 1 / 3600.0 << "10, 0.0167,N";
    // 2.5 ten-thousandths of a minute: the half goes to the even digit.
    QTest::newRow("lat half of the 4th decimal") << true << 4.166666666666667e-06 << "0, 0.0002,N";
    QTest::newRow("lon 36") << false << 36.0 << "36, 0.0000,E";
    QTest::newRow("lon -70.25") << false << -70.25 << "70, 15.0000,W";
    QTest::newRow("lon 136.1") << false << 136.1 << "136, 6.0000,E";
    QTest::newRow("lon -180") << false << -180.0 << "180, 0.0000,W";
    QTest::newRow("lon 36.375") << false << 36.375 << "36, 22.5000,E";
}

void TestSheetText::degreesMinutes()
{
    QFETCH(bool, latitude);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(latitude ? SheetText::lat(value) : SheetText::lon(value), text);
}

void TestSheetText::overflow_data()
{
    QTest::addColumn<QString>("what");

    QTest::newRow("DD2Str of 40000 degrees") << "dd";
    QTest::newRow("latitude text of 40000 degrees") << "lat";
    QTest::newRow("longitude text of -40000 degrees") << "lon";
    QTest::newRow("central meridian of column 32767") << "cm";
    QTest::newRow("map name of 1:1M column 32767 at row 20") << "name";
    QTest::newRow("MMPLL degrees of infinity") << "formatDD";
}

void TestSheetText::overflow()
{
    QFETCH(QString, what);
    const SheetFields big = sheet(20, 32767, 1, 0, 0, 1000);
    const QHash<QString, std::function<void()>> calls = {
        {"dd", [] { SheetText::dd(40000.0); }},
        {"lat", [] { SheetText::lat(40000.0); }},
        {"lon", [] { SheetText::lon(-40000.0); }},
        {"cm", [&] { SheetText::centralMeridian(big); }},
        {"name", [&] { SheetText::mapName(big); }},
        {"formatDD", [] { SheetText::formatDD(std::numeric_limits<double>::infinity()); }},
    };
    QVERIFY(calls.contains(what));
    QVERIFY_THROWS_EXCEPTION(MapError, calls.value(what)());
}

QTEST_APPLESS_MAIN(TestSheetText)
#include "tst_sheettext.moc"
