#include "common/SheetImages.h"
#include "sheet/Global.h"
#include "tools/MapCreatorGuess.h"
#include "tools/MapCreatorOptions.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestMapCreatorGuess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    int m_case = 0;

private slots:
    void initTestCase() { QVERIFY(m_tmp.isValid()); }

    void firstImage_data()
    {
        QTest::addColumn<QStringList>("files");   // a trailing "/" makes a folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("text file first") << QStringList{"N-37.jpg", "readme.txt"} << "N-37.jpg";
        // Extensions in any case, as scanners and cameras write them.
        QTest::newRow("upper-case JPG") << QStringList{"N-37-001.JPG"} << "N-37-001.JPG";
        QTest::newRow("mixed-case Jpg") << QStringList{"N-37-001.Jpg", "N-37-002.jpg"} << "N-37-001.Jpg";
        QTest::newRow("empty folder") << QStringList{} << "";
        QTest::newRow("lower-case tif") << QStringList{"a.tif", "b.TIF"} << "a.tif";
        QTest::newRow("jpeg is not jpg") << QStringList{"a.jpeg", "b.bmp"} << "b.bmp";
        QTest::newRow("hidden file left out") << QStringList{".a.jpg", "z.png"} << "z.png";
        QTest::newRow("folder left out") << QStringList{"a.jpg/", "b.gif"} << "b.gif";
        QTest::newRow("pattern is the whole name") << QStringList{"a.jpg.txt", "b.SID"} << "b.SID";
        QTest::newRow("name order") << QStringList{"N-37-002.png", "N-37-001.png", "M-37.ECW"} << "M-37.ECW";
        QTest::newRow("every pattern") << QStringList{"x.KAP", "x.CAP", "x.OZF"} << "x.CAP";
    }

    void firstImage()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        const QString dir = m_tmp.path() + QStringLiteral("/f%1").arg(++m_case);
        QDir().mkpath(dir);
        for (const QString &f : files) {
            if (f.endsWith('/'))
                QDir().mkpath(dir + '/' + f);
            else
                QVERIFY(SheetImages::write(dir + '/' + f, "x"));
        }
        QCOMPARE(MapCreatorGuess::getFirstImage(dir), expected);
    }

    void missingFolder()
    {
        QCOMPARE(MapCreatorGuess::getFirstImage(m_tmp.path() + "/nothing here"), QString());
        QCOMPARE(MapCreatorGuess::getFirstImage(QString()), QString());
    }

    void byName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");   // "scale=points" kept in the options, or ""
        QTest::addColumn<bool>("recognised");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("grid");
        QTest::addColumn<QString>("points");

        // Start of every row: 1:200K, R-CC-LLL, no grid, 9 points (not a default anywhere).
        QTest::newRow("1:50K Cyrillic") << QStringLiteral("N-37-001-А.jpg") << "" << true << "1:50K" << "R-CC-LLL"
                                        << 1 << "4";
        QTest::newRow("1:50K stored points") << QStringLiteral("N-37-001-А.jpg") << "1:50K=5" << true << "1:50K"
                                             << "R-CC-LLL" << 1 << "5";
        QTest::newRow("another scale's points") << QStringLiteral("N-37-001-А.jpg") << "1:100K=9" << true << "1:50K"
                                                << "R-CC-LLL" << 1 << "4";
        QTest::newRow("1:25K") << QStringLiteral("N-37-001-А-а.jpg") << "" << true << "1:25K" << "R-CC-LLL" << 1
                               << "4";
        QTest::newRow("1:1M") << "N-37.jpg" << "" << true << "1:1M" << "R-CC-LLL" << 2 << "5";
        QTest::newRow("1:1M RCC-LLL") << "N37.png" << "" << true << "1:1M" << "RCC-LLL" << 2 << "5";
        QTest::newRow("1:500K") << QStringLiteral("N-37-Б.gif") << "1:500K=4" << true << "1:500K" << "R-CC-LLL" << 2
                                << "4";
        QTest::newRow("1:100K RCC-LLL") << "N37-001.jpg" << "" << true << "1:100K" << "RCC-LLL" << 1 << "5";
        QTest::newRow("southern 1:200K") << "sK-37-01.png" << "" << true << "1:200K" << "R-CC-LLL" << 1 << "5";
        QTest::newRow("path is cut") << "/scans/N-37-001.jpg" << "" << true << "1:100K" << "R-CC-LLL" << 1 << "5";
        QTest::newRow("not a sheet") << "readme.txt" << "1:200K=4" << false << "1:200K" << "R-CC-LLL" << 0 << "9";
        QTest::newRow("empty name") << "" << "" << false << "1:200K" << "R-CC-LLL" << 0 << "9";
        QTest::newRow("row W not a letter") << "W-37-001.jpg" << "" << false << "1:200K" << "R-CC-LLL" << 0 << "9";
    }

    void byName()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(bool, recognised);
        QFETCH(QString, scale);
        QFETCH(QString, mask);
        QFETCH(int, grid);
        QFETCH(QString, points);

        MapCreatorOptions o;
        o.scaleText = "1:200K";
        o.maskText = "R-CC-LLL";
        o.gridMode = 0;
        o.pointsText = "9";
        if (!stored.isEmpty())
            o.pointsOfScale.insert(Global::scaleFromText(stored.section('=', 0, 0)), stored.section('=', 1));
        QCOMPARE(MapCreatorGuess::setByImageName(name, o), recognised);
        QCOMPARE(o.scaleText, scale);
        QCOMPARE(o.maskText, mask);
        QCOMPARE(o.gridMode, grid);
        QCOMPARE(o.pointsText, points);
    }

    // The scale from the folder's first names: theirs when they agree, "auto"
    // (each file's own) when they differ; "auto" chosen before stays.
    void byFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("first");
        QStringList eleven;
        for (int i = 1; i <= MapCreatorGuess::FirstNames; ++i)
            eleven.append(QStringLiteral("N-37-%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        eleven.append(QStringLiteral("O-37.jpg"));
        QTest::newRow("one scale") << QStringList{"N-37-001.jpg", "N-37-002.jpg"} << "1:1M" << "1:100K"
                                   << "N-37-001.jpg";
        QTest::newRow("upper-case extensions") << QStringList{"N-37-001.JPG", "N-37-002.JPG"} << "1:1M" << "1:100K"
                                               << "N-37-001.JPG";
        QTest::newRow("scales differ") << QStringList{"N-37.jpg", "N-37-001.Jpg", "readme.txt"} << "1:1M" << "auto"
                                       << "N-37-001.Jpg";
        QTest::newRow("official and Roman names") << QStringList{"M-45-VIII.jpg", "M-45-12-A.jpg"} << "1:1M"
                                                  << "auto" << "M-45-12-A.jpg";
        QTest::newRow("past the first names") << eleven << "1:1M" << "1:100K" << "N-37-001.jpg";
        QTest::newRow("no sheet names") << QStringList{"a.jpg", "b.png"} << "1:200K" << "1:200K" << "a.jpg";
        QTest::newRow("by name stays") << QStringList{"N-37-001.jpg"} << "auto" << "auto" << "N-37-001.jpg";
    }

    void byFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, before);
        QFETCH(QString, scale);
        QFETCH(QString, first);
        const QString dir = m_tmp.path() + QStringLiteral("/g%1").arg(++m_case);
        QDir().mkpath(dir);
        for (const QString &f : files)
            QVERIFY(SheetImages::write(dir + '/' + f, "x"));
        MapCreatorOptions o;
        o.scaleText = before;
        QCOMPARE(MapCreatorGuess::setByFolder(dir, o), first);
        QCOMPARE(o.scaleText, scale);
        QCOMPARE(o.scaleGuessed, scale != before);
    }

    void withoutStoredPointsUsesDefaults()
    {
        MapCreatorOptions o;
        o.pointsText = "9";
        QVERIFY(MapCreatorGuess::setByImageName(QStringLiteral("N-37-001-А.jpg"), o));
        QCOMPARE(o.pointsText, QStringLiteral("4"));
        QCOMPARE(o.scaleText, QStringLiteral("1:50K"));
    }
};

QTEST_GUILESS_MAIN(TestMapCreatorGuess)
#include "tst_mapcreatorguess.moc"
