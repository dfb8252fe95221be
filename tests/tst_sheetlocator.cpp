// Which sheet holds a place: hand-worked points with their names, bad points,
// the north-east rule on shared edges, and the round trip over many random
// points at every scale (the name given back to the name parser is the same
// sheet, and that sheet holds the point).

#include "sheet/SheetGeometry.h"
#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetLocator.h"
#include "common/CliRun.h"

#include <QRandomGenerator>
#include <QtTest>

class TestSheetLocator : public QObject
{
    Q_OBJECT

private slots:
    void knownPoints_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("name");

        QTest::newRow("1:10K near Moscow") << 55.9 << 36.1 << 10 << QString("N-37-001-\u0410-\u0432-2");
        QTest::newRow("1:25K") << 55.9 << 36.1 << 25 << QString("N-37-001-\u0410-\u0432");
        QTest::newRow("1:50K") << 55.9 << 36.3 << 50 << QString("N-37-001-\u0411");
        QTest::newRow("1:100K on the 56th parallel") << 56.0 << 36.0 << 100 << QString("O-37-133");
        QTest::newRow("1:200K") << 55.5 << 37.5 << 200 << QString("N-37-02");
        QTest::newRow("1:500K") << 53.0 << 40.0 << 500 << QString("N-37-\u0413");
        QTest::newRow("1:1M") << 55.0 << 37.0 << 1000 << QString("N-37");
        QTest::newRow("south, west") << -33.5 << -70.25 << 100 << QString("sI-19-052");
        QTest::newRow("just south of the equator") << -0.0001 << 0.0001 << 1000 << QString("sA-31");
        QTest::newRow("equator and prime meridian") << 0.0 << 0.0 << 1000 << QString("A-31");
        QTest::newRow("180 east is 180 west") << 10.0 << 180.0 << 1000 << QString("C-01");
        QTest::newRow("north of 60, 1:100K pair") << 64.5 << 37.3 << 100 << QString("Q-37-123,124");
        QTest::newRow("north of 60, 1:500K pair") << 60.0 << 30.0 << 500 << QString("P-36-\u0412,\u0413");
        QTest::newRow("north of 76, 1:1M group") << 80.0 << 10.0 << 1000 << QString("U-29,30,31,32");
        QTest::newRow("north of 76, 1:200K triple") << 77.0 << 40.5 << 200 << QString("T-37-28,29,30");
        QTest::newRow("north of 60, 1:10K pair") << 64.5 << 37.3 << 10 << QString("Q-37-123-\u0411-\u0432-3,4");
    }

    void knownPoints()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(int, scale);
        QFETCH(QString, name);
        const SheetLocator::Result r = SheetLocator::locate(lat, lon, scale);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.name, name);
    }

    void badPoints_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("message");
        QTest::newRow("latitude above 90") << 90.5 << 10.0 << 100 << "outside latitude -90..90";
        QTest::newRow("latitude below -90") << -91.0 << 10.0 << 100 << "outside latitude -90..90";
        QTest::newRow("longitude above 180") << 10.0 << 180.5 << 100 << "longitude -180..180";
        QTest::newRow("longitude below -180") << 10.0 << -200.0 << 100 << "longitude -180..180";
        QTest::newRow("not a number") << qQNaN() << 10.0 << 100 << "outside";
        QTest::newRow("beyond row V") << 88.0 << 10.0 << 1000 << "no sheet";
        QTest::newRow("beyond row V south") << -89.0 << 10.0 << 1000 << "no sheet";
        QTest::newRow("unknown scale") << 10.0 << 10.0 << 5 << "Unknown scale";
    }

    void badPoints()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(int, scale);
        QFETCH(QString, message);
        const SheetLocator::Result r = SheetLocator::locate(lat, lon, scale);
        QVERIFY(!r.ok());
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
        QVERIFY(r.name.isEmpty());
    }

    // Points on grid lines of the finest sheets: the sheet found has the point
    // as its south-west corner (it is the sheet north-east of the edges).
    void sharedEdges_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<double>("latStep"); // minutes
        QTest::addColumn<double>("lonStep");
        QTest::newRow("1:10K") << 10 << 2.5 << 3.75;
        QTest::newRow("1:25K") << 25 << 5.0 << 7.5;
        QTest::newRow("1:50K") << 50 << 10.0 << 15.0;
        QTest::newRow("1:100K") << 100 << 20.0 << 30.0;
        QTest::newRow("1:200K") << 200 << 40.0 << 60.0;
        QTest::newRow("1:500K") << 500 << 120.0 << 180.0;
        QTest::newRow("1:1M") << 1000 << 240.0 << 360.0;
    }

    void sharedEdges()
    {
        QFETCH(int, scale);
        QFETCH(double, latStep);
        QFETCH(double, lonStep);
        QRandomGenerator rng(4711);
        for (int i = 0; i < 300; ++i) {
            // Grid crossings between 56 south and 56 north (single-width sheets).
            const double lat = (rng.bounded(int(2 * 56 * 60 / latStep)) - int(56 * 60 / latStep)) * latStep / 60;
            const double lon = (rng.bounded(int(360 * 60 / lonStep)) - int(180 * 60 / lonStep)) * lonStep / 60;
            const SheetLocator::Result r = SheetLocator::locate(lat, lon, scale);
            QVERIFY2(r.ok(), qPrintable(r.error));
            const QString where = QStringLiteral("%1, %2: %3").arg(lat).arg(lon).arg(r.name);
            QVERIFY2(qAbs(SheetGeometry::latitude(r.fields, 4) - lat) < 1e-9, qPrintable(where));
            QVERIFY2(qAbs(SheetGeometry::longitude(r.fields, 4) - lon) < 1e-9, qPrintable(where));
        }
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<double>("latLow");
        QTest::addColumn<double>("latHigh");
        const int scales[] = {1000, 500, 200, 100, 50, 25, 10};
        for (int scale : scales) {
            const QString s = Global::scaleText(scale);
            QTest::newRow(qPrintable(s + " north")) << scale << 0.0 << 60.0;
            QTest::newRow(qPrintable(s + " north of 60")) << scale << 60.0 << 76.0;
            QTest::newRow(qPrintable(s + " north of 76")) << scale << 76.0 << 88.0;
            QTest::newRow(qPrintable(s + " south")) << scale << -88.0 << 0.0;
        }
    }

    void roundTrip()
    {
        QFETCH(int, scale);
        QFETCH(double, latLow);
        QFETCH(double, latHigh);
        QRandomGenerator rng(quint32(scale * 1000 + int(latLow + 100)));
        for (int i = 0; i < 2000; ++i) {
            const double lat = latLow + rng.generateDouble() * (latHigh - latLow);
            const double lon = -180 + rng.generateDouble() * 360;
            const SheetLocator::Result r = SheetLocator::locate(lat, lon, scale);
            const QString where = QStringLiteral("%1, %2 -> %3").arg(lat, 0, 'g', 15).arg(lon, 0, 'g', 15).arg(r.name);
            QVERIFY2(r.ok(), qPrintable(where + " " + r.error));
            // The name reads back, under the scale and mask guessed from it, as the same sheet.
            QCOMPARE(Global::getScaleByName(r.name), Global::scaleText(scale));
            const SheetIdentity id = SheetIdentity::check(r.name, scale, Global::getMaskByName(r.name));
            QVERIFY2(id.ok(), qPrintable(where + " " + id.error));
            QVERIFY2(id.row == r.fields.iRow && id.col == r.fields.iCol && id.south == r.fields.bSouth
                         && (scale == 1000 || id.list == r.fields.iList) && id.list50 == r.fields.iList50
                         && id.list25 == r.fields.iList25 && id.list10 == r.fields.iList10,
                     qPrintable(where));
            // And that sheet, as the map creator draws it, holds the point.
            QVERIFY2(SheetLocator::holds(r.fields, lat, lon), qPrintable(where));
        }
    }

    // North of 60 degrees one image spans several sheets side by side: every
    // sheet its name lists is a whole sheet of the series, and together they
    // fill the image's extent from its west edge to its east edge.
    void groupsFillTheirImage_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<double>("latLow");
        for (int scale : {1000, 500, 200, 100, 50, 25, 10}) {
            QTest::newRow(qPrintable(Global::scaleText(scale) + " north of 60")) << scale << 60.0;
            QTest::newRow(qPrintable(Global::scaleText(scale) + " north of 76")) << scale << 76.0;
        }
    }

    void groupsFillTheirImage()
    {
        QFETCH(int, scale);
        QFETCH(double, latLow);
        QRandomGenerator rng(quint32(scale + int(latLow)));
        for (int i = 0; i < 200; ++i) {
            // The point of the issue first: 76 N 0 E and 76 N 0.3 E.
            const double lat = i < 2 ? latLow : latLow + rng.generateDouble() * 12;
            const double lon = i < 2 ? 0.3 * i : -180 + rng.generateDouble() * 360;
            const SheetLocator::Result r = SheetLocator::locate(lat, lon, scale);
            QVERIFY2(r.ok(), qPrintable(r.error));
            const QString where = QStringLiteral("%1, %2 -> %3").arg(lat).arg(lon).arg(r.name);
            // "T-31-133-В,Г,134-В,Г": each part after a comma stands for the
            // last parts of the sheet before it; after a semicolon, a whole name.
            QStringList members;
            const QStringList whole = r.name.split(QLatin1Char(';'));
            for (const QString &name : whole) {
                const QStringList parts = name.split(QLatin1Char(','));
                members.append(parts.first());
                for (qsizetype k = 1; k < parts.size(); ++k) {
                    QStringList before = members.last().split(QLatin1Char('-'));
                    const QStringList replaced = parts.at(k).split(QLatin1Char('-'));
                    QVERIFY2(!parts.at(k).isEmpty() && replaced.size() < before.size(), qPrintable(where));
                    before = before.mid(0, before.size() - replaced.size()) + replaced;
                    members.append(before.join(QLatin1Char('-')));
                }
            }
            // The members, each a single-width sheet, west to east.
            QList<QPair<double, double>> spans;
            for (const QString &m : std::as_const(members)) {
                const SheetIdentity id = SheetIdentity::check(m, scale, Global::getMaskByName(m));
                QVERIFY2(id.ok(), qPrintable(where + ": " + m + " " + id.error));
                SheetFields f = id.fields();
                QCOMPARE(SheetGeometry::latitude(f, 1), SheetGeometry::latitude(r.fields, 1));
                QCOMPARE(SheetGeometry::latitude(f, 3), SheetGeometry::latitude(r.fields, 3));
                f.iRow = 1; // one sheet wide
                spans.append({SheetGeometry::longitude(f, 1), SheetGeometry::longitude(f, 3)});
            }
            std::sort(spans.begin(), spans.end());
            QVERIFY2(qAbs(spans.first().first - SheetGeometry::longitude(r.fields, 1)) < 1e-9, qPrintable(where));
            for (qsizetype k = 1; k < spans.size(); ++k)
                QVERIFY2(qAbs(spans.at(k).first - spans.at(k - 1).second) < 1e-9, qPrintable(where));
            QVERIFY2(qAbs(spans.last().second - SheetGeometry::longitude(r.fields, 3)) < 1e-9, qPrintable(where));
        }
    }

    // The command line: --at prints the sheet and its points, and its name
    // given back to `sheet` shows the same sheet.
    void cli_data()
    {
        QTest::addColumn<QString>("at");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("default 1:100K") << "55.9,36.1" << QString() << 0 << "N-37-001";
        QTest::newRow("1:10K") << "55.9,36.1" << "1:10K" << 0 << QString("N-37-001-\u0410-\u0432-2");
        QTest::newRow("south") << "-33.5,-70.25" << "1:100K" << 0 << "sI-19-052";
        QTest::newRow("north of 60") << "64.5,37.3" << "1:50K" << 0 << QString("Q-37-123-\u0410,\u0411");
        QTest::newRow("outside") << "95,10" << "1:100K" << 1 << QString();
        QTest::newRow("not a point") << "55.9" << "1:100K" << 2 << QString();
        QTest::newRow("unknown scale") << "55,36" << "1:5K" << 2 << QString();
    }

    void cli()
    {
        QFETCH(QString, at);
        QFETCH(QString, scale);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QStringList args{"sheet", "--at", at};
        if (!scale.isEmpty())
            args << "--scale" << scale;
        const CliRun r = CliRun::run(args);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode != 0) {
            QVERIFY(!r.errText().isEmpty());
            return;
        }
        const QString out = QString::fromUtf8(r.out);
        QCOMPARE(out.section('\n', 0, 0), firstLine);
        const CliRun back = CliRun::run({"sheet", firstLine});
        QCOMPARE(back.exitCode, 0);
        QCOMPARE(QString::fromUtf8(back.out), out);
    }
};

QTEST_GUILESS_MAIN(TestSheetLocator)
#include "tst_sheetlocator.moc"
