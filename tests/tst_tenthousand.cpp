// The 1:10,000 sheets: a 1:25,000 sheet divided into four sheets numbered 1..4
// (north-west, north-east, south-west, south-east), named by an appended digit.
// Names, identity checks, corners, sheet names north of 60 degrees and in the
// south, metres per pixel, grid lines and the window's guessing.

#include "sheet/SheetFields.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetText.h"
#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "tools/MapCreatorGuess.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "common/RecordingObserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr double kMinute = 1.0 / 60.0;

bool near(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

} // namespace

class TestTenThousand : public QObject
{
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("list50");
        QTest::addColumn<int>("list25");
        QTest::addColumn<int>("list10");

        QTest::newRow("Cyrillic, separator") << QString("N-37-001-\u0410-\u0430-1.jpg") << "1:10K" << "R-CC-LLL" << 1 << 1
                                             << 1 << 1;
        QTest::newRow("Latin, no separator") << "N37-001-B-V-4" << "1:10K" << "RCC-LLL" << 1 << 2 << 3 << 4;
        QTest::newRow("all digits") << "N-37-144-4-4-3.tif" << "1:10K" << "R-CC-LLL" << 144 << 4 << 4 << 3;
        QTest::newRow("southern") << QString("sK-37-020-\u0413-\u0431-2") << "1:10K" << "R-CC-LLL" << 20 << 4 << 2
                                  << 2;
        QTest::newRow("1:25K stays 1:25K") << QString("N-37-001-\u0410-\u0430.jpg") << "1:25K" << "R-CC-LLL" << 1 << 1
                                           << 1 << -1;
        QTest::newRow("mixed letter and digit is 1:50K") << "N-37-001-A-1-2" << "1:50K" << "R-CC-LLL" << 1 << 1 << 1
                                                         << 2;
    }

    void names()
    {
        QFETCH(QString, name);
        QFETCH(QString, scale);
        QFETCH(QString, mask);
        QFETCH(int, list);
        QFETCH(int, list50);
        QFETCH(int, list25);
        QFETCH(int, list10);
        QCOMPARE(Global::getScaleByName(name), scale);
        QCOMPARE(Global::getMaskByName(name), mask);
        QCOMPARE(int(Global::getListNum(name, 10, mask)), list);
        QCOMPARE(int(Global::getLetter50K(name, 10, mask)), list50);
        QCOMPARE(int(Global::getLetter25K(name, 10, mask)), list25);
        QCOMPARE(int(Global::getLetter10K(name, 10, mask)), list10);
    }

    void scaleTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("scale");
        QTest::newRow("1:10K") << "1:10K" << 10;
        QTest::newRow("1:10k is not known") << "1:10k" << 0;
        QTest::newRow("1:5K is not known") << "1:5K" << 0;
    }

    void scaleTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, scale);
        QCOMPARE(Global::scaleFromText(text), scale);
        if (scale != 0)
            QCOMPARE(Global::scaleText(scale), text);
    }

    void checks_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("error");
        QTest::newRow("good") << QString("N-37-001-\u0410-\u0430-1.jpg") << QString();
        QTest::newRow("digit 5") << QString("N-37-001-\u0410-\u0430-5.jpg")
                                 << QString("N-37-001-\u0410-\u0430-5.jpg Incorrect 1:10K map list number in image name 1");
        QTest::newRow("no digit") << QString("N-37-007-\u0410-\u0430.jpg")
                                  << QString("N-37-007-\u0410-\u0430.jpg Incorrect 1:10K map list number in image name 7");
        QTest::newRow("bad 1:25K letter, good digit")
            << QString("N-37-002-\u0410-\u0434-1.jpg")
            << QString("N-37-002-\u0410-\u0434-1.jpg Incorrect 1:25K map list number in image name 2");
        QTest::newRow("list 145") << QString("N-37-145-\u0410-\u0430-1.jpg")
                                  << QString("N-37-145-\u0410-\u0430-1.jpg Incorrect  map list number in image name 145");
    }

    void checks()
    {
        QFETCH(QString, file);
        QFETCH(QString, error);
        QCOMPARE(SheetIdentity::check(file, 10, "R-CC-LLL").error, error);
    }

    // Corners and centre of 1:10K sheets, worked out by hand from the graticule.
    void geometry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("k");
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");

        const QString a1 = QString("N-37-001-\u0410-\u0430-1");
        QTest::newRow("NW sheet, point 1") << a1 << 1 << 56.0 << 36.0;
        QTest::newRow("NW sheet, point 3") << a1 << 3 << 56 - 2.5 * kMinute << 36 + 3.75 * kMinute;
        QTest::newRow("NW sheet, centre") << a1 << 5 << 56 - 1.25 * kMinute << 36 + 1.875 * kMinute;
        const QString a4 = QString("N-37-001-\u0410-\u0430-4");
        QTest::newRow("SE sheet, point 1") << a4 << 1 << 56 - 2.5 * kMinute << 36 + 3.75 * kMinute;
        QTest::newRow("SE sheet, point 3") << a4 << 3 << 56 - 5 * kMinute << 36 + 7.5 * kMinute;
        const QString g4 = QString("N-37-012-\u0413-\u0433-4");
        QTest::newRow("last corner, point 3") << g4 << 3 << 55 + 40 * kMinute << 42.0;
        QTest::newRow("last corner, point 1") << g4 << 1 << 55 + 42.5 * kMinute << 41 + 56.25 * kMinute;
        QTest::newRow("last corner, centre") << g4 << 5 << 55 + 41.25 * kMinute << 41 + 58.125 * kMinute;
        const QString b2 = QString("N-37-001-\u0411-\u0431-2");
        QTest::newRow("NE of NE of NE, point 2") << b2 << 2 << 56.0 << 36.5;
        QTest::newRow("NE of NE of NE, point 4") << b2 << 4 << 56 - 2.5 * kMinute << 36.5 - 3.75 * kMinute;
        // North of 60 degrees one image holds two sheets ("1,2"), north of 76 four.
        const QString p1 = QString("P-37-001-\u0410-\u0430-1");
        QTest::newRow("row P, point 2") << p1 << 2 << 64.0 << 36 + 7.5 * kMinute;
        QTest::newRow("row P, centre") << p1 << 5 << 64 - 1.25 * kMinute << 36 + 3.75 * kMinute;
        const QString p3 = QString("P-37-013-\u0410-\u0430-3");
        QTest::newRow("row P, SW pair, point 4") << p3 << 4 << 63 + 35 * kMinute << 36.0;
        QTest::newRow("row P, SW pair, point 3") << p3 << 3 << 63 + 35 * kMinute << 36 + 7.5 * kMinute;
        const QString u1 = QString("U-37-001-\u0410-\u0430-1");
        QTest::newRow("row U, point 2") << u1 << 2 << 84.0 << 36.25;
        // South of the equator the sheet of row K spans -40 .. -44 degrees.
        const QString s1 = QString("sK-37-001-\u0410-\u0430-1");
        QTest::newRow("southern, point 1") << s1 << 1 << -40.0 << 36.0;
        QTest::newRow("southern, point 3") << s1 << 3 << -40 - 2.5 * kMinute << 36 + 3.75 * kMinute;
    }

    void geometry()
    {
        QFETCH(QString, name);
        QFETCH(int, k);
        QFETCH(double, lat);
        QFETCH(double, lon);
        const SheetIdentity id = SheetIdentity::check(name + ".jpg", 10, "R-CC-LLL");
        QVERIFY2(id.ok(), qPrintable(id.error));
        const SheetFields f = id.fields();
        QVERIFY2(near(SheetGeometry::latitude(f, k), lat),
                 qPrintable(QString::number(SheetGeometry::latitude(f, k), 'f', 12)));
        QVERIFY2(near(SheetGeometry::longitude(f, k), lon),
                 qPrintable(QString::number(SheetGeometry::longitude(f, k), 'f', 12)));
    }

    void mapNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mapName");
        QTest::newRow("plain") << QString("N37-001-A-A-1") << QString("N-37-001-\u0410-\u0430-1");
        QTest::newRow("row P") << QString("P-37-001-\u0410-\u0430-1") << QString("P-37-001-\u0410-\u0430-1,2");
        QTest::newRow("row P, south pair") << QString("P-37-001-\u0410-\u0432-3")
                                           << QString("P-37-001-\u0410-\u0432-3,4");
        QTest::newRow("row U") << QString("U-37-001-\u0410-\u0430-1") << QString("U-37-001-\u0410-\u0430-1,2,3,4");
        QTest::newRow("southern") << QString("sK-37-001-\u0413-\u0433-4") << QString("sK-37-001-\u0413-\u0433-4");
    }

    void mapNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, mapName);
        const SheetIdentity id = SheetIdentity::check(name + ".jpg", 10, Global::getMaskByName(name));
        QVERIFY2(id.ok(), qPrintable(id.error));
        QCOMPARE(SheetText::mapName(id.fields()), mapName);
    }

    void metresPerPixel_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("metres");
        QTest::newRow("1:10K, 2000 px") << 10 << 2000 << 2.78;
        QTest::newRow("1:10K, 556 px") << 10 << 556 << 10.0;
        QTest::newRow("1:25K, 2000 px") << 25 << 2000 << 5.56;
    }

    void metresPerPixel()
    {
        QFETCH(int, scale);
        QFETCH(int, height);
        QFETCH(double, metres);
        SheetFields f;
        f.iScale = qint16(scale);
        f.iY = qint16(height);
        QVERIFY(near(SheetText::scaleMP(f), metres));
    }

    // A whole run at 1:10K: the map's name, corners, metres per pixel and grid.
    void creatorRun_data()
    {
        QTest::addColumn<int>("gridMode");
        QTest::addColumn<QString>("gridLine");
        QTest::newRow("lat/lon grid") << 2 << "LLGRID,Yes,1 min,No,255,16711680,0,5 min,0,16777215,7,1,Yes,x";
        QTest::newRow("metric grid") << 1 << "GRGRID,Yes,1 Km,No,16711680,255,1 Km,0,16777215,8,0,Yes,Yes,No,x";
    }

    void creatorRun()
    {
        QFETCH(int, gridMode);
        QFETCH(QString, gridLine);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile chart(dir.filePath("P-37-001-A-A-1.kap"));
        QVERIFY(chart.open(QIODevice::WriteOnly));
        chart.write("BSB/NA=x,RA=1000,2000\r\n\x1A");
        chart.close();
        MapCreatorOptions options;
        options.inFolder = dir.path();
        options.outFolder = dir.path();
        options.scaleText = "1:10K";
        options.maskText = "R-CC-LLL";
        options.pointsText = "4";
        options.gridMode = gridMode;
        RecordingObserver observer;
        MapCreatorRun::run(options, observer);
        QCOMPARE(observer.texts(), QStringList{"Done 1 map-files"});
        QFile map(dir.filePath("P-37-001-A-A-1.map"));
        QVERIFY(map.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(map.readAll()).split("\r\n");
        QCOMPARE(lines.value(1), QString("P-37-001-\u00C0-\u00E0-1,2")); // Windows-1251 bytes of А and а, read as Latin-1
        QVERIFY(lines.contains("Point02,xy,970,100,in, deg,64, 0.0000,N,36, 7.5000,E, grid,,,,N"));
        QVERIFY(lines.contains("MM1B,2.780000"));
        QVERIFY(lines.contains(gridLine));
    }

    void guess_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("stored");  // the point count kept for 1:10K, empty for none
        QTest::addColumn<QString>("scale");
        QTest::addColumn<int>("grid");
        QTest::addColumn<QString>("points");
        QTest::newRow("default points") << QString("N-37-001-\u0410-\u0430-1.jpg") << QString() << "1:10K" << 1 << "4";
        QTest::newRow("stored points") << "N37-001-A-A-2.png" << "9" << "1:10K" << 1 << "9";
    }

    void guess()
    {
        QFETCH(QString, file);
        QFETCH(QString, stored);
        QFETCH(QString, scale);
        QFETCH(int, grid);
        QFETCH(QString, points);
        MapCreatorOptions options;
        options.gridMode = 0;
        options.pointsText = "5";
        if (!stored.isEmpty())
            options.pointsOfScale.insert(10, stored);
        QVERIFY(MapCreatorGuess::setByImageName(file, options));
        QCOMPARE(options.scaleText, scale);
        QCOMPARE(options.gridMode, grid);
        QCOMPARE(options.pointsText, points);
    }
};

QTEST_GUILESS_MAIN(TestTenThousand)
#include "tst_tenthousand.moc"
