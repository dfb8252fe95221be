// The corner-marker tool over real and generated map files.

#include "common/MapFolderFixture.h"
#include "common/RecordingObserver.h"

#include "mapfile/MapFile.h"
#include "tools/CornerMarkersRun.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace MapFolderFixture;

namespace {

const QString kQuestion = QStringLiteral("There is error in data. Continue?");

// Messages that refuse a file (not the title-line notes of the reader).
QList<RecordingObserver::Message> refusalsFor(const RecordingObserver &obs, const QString &fileName)
{
    QList<RecordingObserver::Message> out;
    for (const auto &m : obs.messages) {
        if (m.text.contains(fileName) && !m.text.contains(QLatin1String("Incorrect 1:1M")))
            out.append(m);
    }
    return out;
}

// gk5-pul42.map with all eight corner lines spoiled, so a rewrite shows.
QByteArray spoiledGk5(bool crlf)
{
    QByteArray bytes = readAll(fixturePath(QStringLiteral("gk5-pul42.map")));
    if (crlf)
        bytes = toCrLf(bytes);
    for (int k = 1; k <= 4; ++k) {
        bytes = replaceLine(bytes, 44 + k, "MMPXY," + QByteArray::number(k) + ",7,7");
        bytes = replaceLine(bytes, 48 + k, "MMPLL, " + QByteArray::number(k) + ",   0.000000,   0.000000");
    }
    return bytes;
}

} // namespace

class TestCornerMarkers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QUILLMARK_REQUIRE_FIXTURES(); }
    void gridMapGetsItsTrueCorners_data();
    void gridMapGetsItsTrueCorners();
    void badFileIsLeftAsItWas_data();
    void badFileIsLeftAsItWas();
    void cornerCountLine_data();
    void cornerCountLine();
    void cancelAtPromptEndsTheWalk();
    void cancelBetweenFiles();
    void extensions_data();
    void extensions();
    void emptyFolder_data();
    void emptyFolder();
    void missingFolder();
    void shuffledPointsOfANewMap_data();
    void shuffledPointsOfANewMap();
    void generatedSheetCornersAreItsExtremePoints();
    void wholeRealFolder();
    void rightMarkersAreNotRewritten();
};

void TestCornerMarkers::gridMapGetsItsTrueCorners_data()
{
    QTest::addColumn<bool>("crlf");
    QTest::addColumn<bool>("spoil");
    QTest::newRow("as written, LF") << false << false;
    QTest::newRow("as written, CR LF") << true << false;
    QTest::newRow("spoiled corners, CR LF") << true << true;
}

void TestCornerMarkers::gridMapGetsItsTrueCorners()
{
    QFETCH(bool, crlf);
    QFETCH(bool, spoil);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("gk5-pul42.map"));
    QByteArray before = readAll(fixturePath(QStringLiteral("gk5-pul42.map")));
    if (crlf)
        before = toCrLf(before);
    if (spoil)
        before = spoiledGk5(crlf);
    QVERIFY(writeAll(path, before));

    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QCOMPARE(result.count, 1);
    QCOMPARE(result.failed, 0);
    QVERIFY(!result.cancelled);
    QCOMPARE(result.exitCode(), 0);
    QVERIFY(obs.questions.isEmpty());
    QCOMPARE(obs.statuses, (QStringList{QStringLiteral("Set corner markers for gk5-pul42.map"), QString()}));
    QVERIFY(!obs.messages.isEmpty());
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 1 map-files"));
    QCOMPARE(obs.messages.last().caption, QString());
    QCOMPARE(obs.messages.last().icon, MessageObserver::Icon::None);

    // Corners from the 3 x 3 grid: NW Point01, NE Point03, SE Point09, SW Point07.
    // Degrees worked out by hand from those point lines:
    //   Point01  1 34.1564 N  13 7.8834 W -> 1.569273, -13.131390
    //   Point03  1 34.2539 N  13 3.7053 W -> 1.570898, -13.061755
    //   Point09  1 30.0470 N  13 3.6106 W -> 1.500783, -13.060177
    //   Point07  1 29.9539 N  13 7.7887 W -> 1.499232, -13.129812
    const QMap<int, QByteArray> expected{
        {45, "MMPXY,1,0,0"},
        {46, "MMPXY,2,120,0"},
        {47, "MMPXY,3,120,120"},
        {48, "MMPXY,4,0,120"},
        {49, "MMPLL,1,-13.131390 , 1.569273"},
        {50, "MMPLL,2,-13.061755 , 1.570898"},
        {51, "MMPLL,3,-13.060177 , 1.500783"},
        {52, "MMPLL,4,-13.129812 , 1.499232"},
    };
    const QList<QByteArray> oldLines = linesWithEnds(before);
    const QList<QByteArray> newLines = linesWithEnds(readAll(path));
    QCOMPARE(newLines.size(), oldLines.size());
    for (int i = 0; i < oldLines.size(); ++i) {
        if (expected.contains(i)) {
            QCOMPARE(withoutEnd(newLines.at(i)), expected.value(i));
            if (crlf)
                QVERIFY2(newLines.at(i).endsWith("\r\n"), qPrintable(QString::number(i)));
        } else {
            QCOMPARE(newLines.at(i), oldLines.at(i));
        }
    }
}

void TestCornerMarkers::badFileIsLeftAsItWas_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("exactMessage"); // empty: any text naming the file

    const QByteArray gk5 = toCrLf(readAll(fixturePath(QStringLiteral("gk5-pul42.map"))));
    QTest::newRow("noheader") << readAll(fixturePath(QStringLiteral("noheader.map"))) << QString();
    QTest::newRow("nolines (empty)") << readAll(fixturePath(QStringLiteral("nolines.map"))) << QString();
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << QString();
    QTest::newRow("nogcps: one point with a position")
        << readAll(fixturePath(QStringLiteral("nogcps.map"))) << QString();
    QTest::newRow("badgcps1: all points on one pixel")
        << readAll(fixturePath(QStringLiteral("badgcps1.map"))) << QString();
    QTest::newRow("MMPNUM 5") << replaceLine(gk5, 44, "MMPNUM,5")
                              << QStringLiteral("Map %1 has more then 4 corner markers. Map don't process");
    QTest::newRow("MMPNUM 12") << replaceLine(gk5, 44, "MMPNUM,12")
                               << QStringLiteral("Map %1 has more then 4 corner markers. Map don't process");
    QTest::newRow("corner latitude beyond the pole")
        << replaceLine(gk5, 9, "Point01,xy,    0,    0,in, deg,  91, 34.1564,N,  13,  7.8834,W, grid,   ,     613873,     227463,N")
        << QString();
    QTest::newRow("no MMPXY line for corner 3") << removeLine(gk5, 47) << QString();
    // Points that cannot be read as they stand: the markers would be made
    // from what was read instead (0 for an x of 40000, 0 degrees for nan).
    const QString unusable = QStringLiteral("Map %1 has corner points that cannot be used: %2. Map don't process");
    QTest::newRow("x beyond 16 bits")
        << replaceLine(gk5, 11, "Point03,xy,40000,    0,in, deg,   1, 34.2539,N,  13,  3.7053,W, grid,   ,     624027,     227463,N")
        << unusable.arg("%1", "Point03's x \"40000\" is not within 0..32767");
    QTest::newRow("y beyond the image")
        << replaceLine(gk5, 17, "Point09,xy,  120,  121,in, deg,   1, 30.0470,N,  13,  3.6106,W, grid,   ,     624027,     217309,N")
        << unusable.arg("%1", "Point09 (120, 121) lies beyond the image (120 x 120)");
    QTest::newRow("nan latitude")
        << replaceLine(gk5, 9, "Point01,xy,    0,    0,in, deg,  nan, 34.1564,N,  13,  7.8834,W, grid,   ,     613873,     227463,N")
        << unusable.arg("%1", "Point01's latitude \"nan\" is not a number");
    QTest::newRow("inf longitude")
        << replaceLine(gk5, 9, "Point01,xy,    0,    0,in, deg,   1, 34.1564,N,  inf,  7.8834,W, grid,   ,     613873,     227463,N")
        << unusable.arg("%1", "Point01's longitude \"inf\" is not a number");
    QTest::newRow("blank Point04")
        << replaceLine(gk5, 12, "Point04,xy,     ,     ,in, deg,    ,        ,N,    ,        ,W, grid,   ,           ,           ,N")
        << unusable.arg("%1", "Point04 has no pixel position");
    QTest::newRow("no MMPLL line for corner 1") << removeLine(gk5, 49) << QString();
}

void TestCornerMarkers::badFileIsLeftAsItWas()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, exactMessage);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("bad.map"));
    QVERIFY(writeAll(path, bytes));

    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QCOMPARE(readAll(path), bytes);
    QCOMPARE(result.failed, 1);
    QCOMPARE(result.exitCode(), 1);
    // Continued with OK: counted as well, as the tool always did.
    QCOMPARE(result.count, 1);
    QCOMPARE(obs.questions, QStringList{kQuestion});

    const auto refusals = refusalsFor(obs, QStringLiteral("bad.map"));
    QCOMPARE(refusals.size(), 1);
    QCOMPARE(refusals.first().caption, QStringLiteral("Error"));
    QCOMPARE(refusals.first().icon, MessageObserver::Icon::Critical);
    if (!exactMessage.isEmpty())
        QCOMPARE(refusals.first().text, exactMessage.arg(path));
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 1 map-files"));
}

void TestCornerMarkers::cornerCountLine_data()
{
    QTest::addColumn<QByteArray>("mmpnumLine"); // empty: no MMPNUM line
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("no MMPNUM line") << QByteArray() << true;
    QTest::newRow("MMPNUM,4") << QByteArray("MMPNUM,4") << true;
    QTest::newRow("MMPNUM,3") << QByteArray("MMPNUM,3") << true;
    QTest::newRow("MMPNUM,5") << QByteArray("MMPNUM,5") << false;
}

void TestCornerMarkers::cornerCountLine()
{
    QFETCH(QByteArray, mmpnumLine);
    QFETCH(bool, rewritten);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray bytes = spoiledGk5(true);
    int mxy1 = 45;
    if (mmpnumLine.isEmpty()) {
        bytes = removeLine(bytes, 44);
        mxy1 = 44;
    } else {
        bytes = replaceLine(bytes, 44, mmpnumLine);
    }
    const QString path = dir.filePath(QStringLiteral("m.map"));
    QVERIFY(writeAll(path, bytes));

    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    const QList<QByteArray> lines = linesWithEnds(readAll(path));
    if (rewritten) {
        QCOMPARE(result.failed, 0);
        QCOMPARE(withoutEnd(lines.at(mxy1 + 1)), QByteArray("MMPXY,2,120,0"));
        QCOMPARE(withoutEnd(lines.at(mxy1 + 4)), QByteArray("MMPLL,1,-13.131390 , 1.569273"));
    } else {
        QCOMPARE(result.failed, 1);
        QCOMPARE(readAll(path), bytes);
    }
    QCOMPARE(result.count, 1);
}

void TestCornerMarkers::cancelAtPromptEndsTheWalk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray good = spoiledGk5(true);
    const QByteArray refused = replaceLine(good, 44, "MMPNUM,5");
    QVERIFY(writeAll(dir.filePath(QStringLiteral("a.map")), good));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("b.map")), refused));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("c.map")), good));

    RecordingObserver obs;
    obs.answers = {false};
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QVERIFY(result.cancelled);
    QCOMPARE(result.count, 1);
    QCOMPARE(result.failed, 1);
    QVERIFY(readAll(dir.filePath(QStringLiteral("a.map"))) != good);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("b.map"))), refused);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("c.map"))), good);
    QCOMPARE(obs.questions, QStringList{kQuestion});
    QCOMPARE(obs.statuses, (QStringList{QStringLiteral("Set corner markers for a.map"), QString()}));
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 1 map-files"));
}

void TestCornerMarkers::cancelBetweenFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray good = spoiledGk5(true);
    for (const char *name : {"a.map", "b.map", "c.map"})
        QVERIFY(writeAll(dir.filePath(QLatin1String(name)), good));

    RecordingObserver obs;
    obs.cancelAfterFiles = 2;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QVERIFY(result.cancelled);
    QCOMPARE(result.count, 2);
    QVERIFY(readAll(dir.filePath(QStringLiteral("b.map"))) != good);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("c.map"))), good);
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 2 map-files"));
}

void TestCornerMarkers::extensions_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("processed");
    QTest::newRow("map") << QStringLiteral("a.map") << true;
    QTest::newRow("Map") << QStringLiteral("b.Map") << true;
    QTest::newRow("MAP") << QStringLiteral("C.MAP") << true;
    QTest::newRow("x.y.map: text after the first dot") << QStringLiteral("x.y.map") << false;
    QTest::newRow("x.map.bak") << QStringLiteral("x.map.bak") << false;
    QTest::newRow("no dot") << QStringLiteral("map") << false;
    QTest::newRow("mapx") << QStringLiteral("y.mapx") << false;
}

void TestCornerMarkers::extensions()
{
    QFETCH(QString, fileName);
    QFETCH(bool, processed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray bytes = spoiledGk5(true);
    const QString path = dir.filePath(fileName);
    QVERIFY(writeAll(path, bytes));

    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QCOMPARE(result.count, processed ? 1 : 0);
    QCOMPARE(readAll(path) != bytes, processed);
    QCOMPARE(obs.messages.last().text, processed ? QStringLiteral("Done 1 map-files") : QStringLiteral("Done 0 map-files"));
    if (processed)
        QCOMPARE(obs.statuses.first(), QStringLiteral("Set corner markers for ") + fileName);
}

void TestCornerMarkers::emptyFolder_data()
{
    QTest::addColumn<QStringList>("otherFiles");
    QTest::newRow("empty") << QStringList();
    QTest::newRow("no map files") << QStringList{QStringLiteral("a.jpg"), QStringLiteral("_MapList.csv")};
}

void TestCornerMarkers::emptyFolder()
{
    QFETCH(QStringList, otherFiles);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &name : otherFiles)
        QVERIFY(writeAll(dir.filePath(name), "x"));
    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QCOMPARE(result.count, 0);
    QCOMPARE(result.exitCode(), 0);
    QCOMPARE(obs.messages.size(), 1);
    QCOMPARE(obs.messages.first().text, QStringLiteral("Done 0 map-files"));
    QCOMPARE(obs.statuses, QStringList{QString()});
}

void TestCornerMarkers::missingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("nowhere"));
    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(missing, obs);
    QVERIFY(result.folderMissing);
    QCOMPARE(result.exitCode(), 2);
    QCOMPARE(result.count, 0);
    QCOMPARE(obs.messages.size(), 1);
    QCOMPARE(obs.messages.first().text, QStringLiteral("Folder ") + missing + QStringLiteral(" is not exist"));
    QCOMPARE(obs.messages.first().caption, QStringLiteral("Error"));
    QCOMPARE(obs.messages.first().icon, MessageObserver::Icon::Critical);
    QVERIFY(obs.statuses.isEmpty());
}

void TestCornerMarkers::shuffledPointsOfANewMap_data()
{
    // Point-line fields (degrees, minutes, hemisphere) of the north and south
    // edges and of the west and east edges, and the MMPLL texts they must give.
    QTest::addColumn<QString>("north");
    QTest::addColumn<QString>("south");
    QTest::addColumn<QString>("west");
    QTest::addColumn<QString>("east");
    QTest::addColumn<QByteArray>("northText");
    QTest::addColumn<QByteArray>("southText");
    QTest::addColumn<QByteArray>("westText");
    QTest::addColumn<QByteArray>("eastText");
    QTest::newRow("east of Greenwich")
        << "56, 0.0000,N" << "55, 0.0000,N" << "37, 0.0000,E" << "37,30.0000,E"
        << QByteArray("56.000000") << QByteArray("55.000000") << QByteArray("37.000000") << QByteArray("37.500000");
    QTest::newRow("across Greenwich: the minus sign of -0.5")
        << "51,45.0000,N" << "51,30.0000,N" << "0,30.0000,W" << "0,30.0000,E"
        << QByteArray("51.750000") << QByteArray("51.500000") << QByteArray("-0.500000") << QByteArray("0.500000");
    QTest::newRow("south and west")
        << "0,15.0000,S" << "1, 0.0000,S" << "70,45.0000,W" << "70, 0.0000,W"
        << QByteArray("-0.250000") << QByteArray("-1.000000") << QByteArray("-70.750000") << QByteArray("-70.000000");
}

void TestCornerMarkers::shuffledPointsOfANewMap()
{
    QFETCH(QString, north);
    QFETCH(QString, south);
    QFETCH(QString, west);
    QFETCH(QString, east);
    QFETCH(QByteArray, northText);
    QFETCH(QByteArray, southText);
    QFETCH(QByteArray, westText);
    QFETCH(QByteArray, eastText);
    // A new map whose four points are stored SE, NW, SW, NE in slots 1..4.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("N-37-001.map"));
    {
        MapFile map;
        map.iRow = 14;
        map.iCol = 37;
        map.iList = 1;
        map.iScale = 100;
        map.iX = 1000;
        map.iY = 800;
        map.CreateNew(QStringLiteral("D:\\scan\\N-37-001.jpg"));
        const int first = map.firstPointLine();
        QCOMPARE(first, 9);
        auto body = [](const char *xy, const QString &lat, const QString &lon) {
            return QStringLiteral("xy,") + QLatin1String(xy) + QStringLiteral(",in, deg,") + lat + QLatin1Char(',') + lon
                + QStringLiteral(", grid,,,,N");
        };
        map.SetLine(first + 0, QStringLiteral("Point01"), body("900,700", south, east), -1, true);
        map.SetLine(first + 1, QStringLiteral("Point02"), body("100,50", north, west), -1, true);
        map.SetLine(first + 2, QStringLiteral("Point03"), body("100,700", south, west), -1, true);
        map.SetLine(first + 3, QStringLiteral("Point04"), body("900,50", north, east), -1, true);
        map.WriteMap(path, false);
    }
    const QByteArray before = readAll(path);

    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QCOMPARE(result.failed, 0);
    QCOMPARE(result.count, 1);
    const QMap<int, QByteArray> expected{
        {45, "MMPXY,1,100,50"},
        {46, "MMPXY,2,900,50"},
        {47, "MMPXY,3,900,700"},
        {48, "MMPXY,4,100,700"},
        {49, "MMPLL,1," + westText + " , " + northText},
        {50, "MMPLL,2," + eastText + " , " + northText},
        {51, "MMPLL,3," + eastText + " , " + southText},
        {52, "MMPLL,4," + westText + " , " + southText},
    };
    const QList<QByteArray> oldLines = linesWithEnds(before);
    const QList<QByteArray> newLines = linesWithEnds(readAll(path));
    QCOMPARE(newLines.size(), 56);
    QCOMPARE(newLines.size(), oldLines.size());
    for (int i = 0; i < newLines.size(); ++i) {
        QVERIFY(newLines.at(i).endsWith("\r\n"));
        if (expected.contains(i))
            QCOMPARE(withoutEnd(newLines.at(i)), expected.value(i));
        else
            QCOMPARE(newLines.at(i), oldLines.at(i));
    }
}

void TestCornerMarkers::generatedSheetCornersAreItsExtremePoints()
{
    // A sheet written the way the map creator does (nine computed points),
    // whose corner lines were then spoiled by hand.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("N-37-001.map"));
    {
        MapFile map;
        map.iRow = 14;
        map.iCol = 37;
        map.iList = 1;
        map.iScale = 100;
        map.iX = 4000;
        map.iY = 3000;
        map.CreateNew(QStringLiteral("N-37-001.jpg"));
        for (int k = 1; k <= 9; ++k)
            QCOMPARE(map.SetPoint(k, true), k + 1);
        map.WriteMap(path, false);
    }
    QByteArray bytes = readAll(path);
    for (int k = 1; k <= 4; ++k) {
        bytes = replaceLine(bytes, 44 + k, "MMPXY," + QByteArray::number(k) + ",1,1");
        bytes = replaceLine(bytes, 48 + k, "MMPLL," + QByteArray::number(k) + ",0.000000,0.000000");
    }
    QVERIFY(writeAll(path, bytes));

    // N-37-001 at 1:100K spans 36d00'..36d30' E, 55d40'..56d00' N; on a 4000 x 3000
    // image with the default collars (3 % each side, 5 % top and bottom) its
    // corners are at x 120 and 3880, y 150 and 2850.
    const QList<QByteArray> lines = linesWithEnds(bytes);
    const QByteArray expected[8] = {
        "MMPXY,1,120,150",
        "MMPXY,2,3880,150",
        "MMPXY,3,3880,2850",
        "MMPXY,4,120,2850",
        "MMPLL,1,36.000000 , 56.000000",
        "MMPLL,2,36.500000 , 56.000000",
        "MMPLL,3,36.500000 , 55.666667",
        "MMPLL,4,36.000000 , 55.666667",
    };

    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QCOMPARE(result.failed, 0);
    const QList<QByteArray> after = linesWithEnds(readAll(path));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(withoutEnd(after.at(45 + i)), expected[i]);
    for (int i = 0; i < after.size(); ++i) {
        if (i < 45 || i > 52)
            QCOMPARE(after.at(i), lines.at(i));
    }
}

void TestCornerMarkers::wholeRealFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList names{
        QStringLiteral("badgcps1.map"), QStringLiteral("gk5-pul42.map"), QStringLiteral("latlon-wgs84.map"),
        QStringLiteral("merc-wgs84.map"), QStringLiteral("nogcps.map"), QStringLiteral("noheader.map"),
        QStringLiteral("nolines.map"), QStringLiteral("utm17-wgs84.map"),
    };
    const QStringList broken{QStringLiteral("badgcps1.map"), QStringLiteral("nogcps.map"),
                             QStringLiteral("noheader.map"), QStringLiteral("nolines.map")};
    for (const QString &name : names)
        copyFixture(dir.path(), name);

    RecordingObserver obs;
    const RunResult result = CornerMarkersRun::run(dir.path(), obs);
    QCOMPARE(result.failed, 4);
    QCOMPARE(result.count, 8);
    QCOMPARE(obs.questions.size(), 4);
    for (const QString &name : broken) {
        QCOMPARE(readAll(dir.filePath(name)), readAll(fixturePath(name)));
        QCOMPARE(refusalsFor(obs, name).size(), 1);
    }
    // latlon-wgs84: 3 x 3 grid of 720 x 360; its corners stay where they were.
    const QList<QByteArray> lines = linesWithEnds(readAll(dir.filePath(QStringLiteral("latlon-wgs84.map"))));
    QCOMPARE(withoutEnd(lines.at(46)), QByteArray("MMPXY,2,720,0"));
    QCOMPARE(withoutEnd(lines.at(47)), QByteArray("MMPXY,3,720,360"));
    QCOMPARE(withoutEnd(lines.at(51)), QByteArray("MMPLL,3,180.000000 , -90.000000"));
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 8 map-files"));
}

QTEST_GUILESS_MAIN(TestCornerMarkers)
#include "tst_cornermarkers.moc"

// A second run finds the markers right already: the file is not written again.
void TestCornerMarkers::rightMarkersAreNotRewritten()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("gk5-pul42.map"));
    QVERIFY(writeAll(path, spoiledGk5(true)));
    RecordingObserver first;
    QCOMPARE(CornerMarkersRun::run(dir.path(), first).failed, 0);
    const QByteArray rewritten = readAll(path);
    QVERIFY(rewritten != spoiledGk5(true));

    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    const qint64 before = QFileInfo(path).lastModified().toSecsSinceEpoch();
    RecordingObserver second;
    const RunResult result = CornerMarkersRun::run(dir.path(), second);
    QCOMPARE(result.failed, 0);
    QCOMPARE(result.count, 1);
    QCOMPARE(readAll(path), rewritten);
    QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), before);
}
