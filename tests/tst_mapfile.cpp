// The map file document: how lines are read, parsed, changed and built.
#include "common/MapFolderFixture.h"
#include "common/MapSamples.h"

#include "sheet/MapError.h"
#include "mapfile/MapFile.h"

#include <QtTest>

using namespace MapSamples;

namespace {

MapFile readLines(const QList<QByteArray> &lines, bool keep = false, MessageObserver *observer = nullptr)
{
    MapFile map(observer);
    map.KeepReadLines = keep;
    map.ReadBytes(join(lines, "\r\n"));
    return map;
}

QString fixture(const QString &name)
{
    return MapFolderFixture::fixturePath(name);
}

const QString kTransverse = QStringLiteral("Map Projection,Transverse Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No");

// A new 1:100K document for sheet N-37-001 on a 4000 x 3000 image.
void newSheet(MapFile &map, qint16 width = 4000, qint16 height = 3000)
{
    map.iScale = 100;
    map.iRow = 14;
    map.iCol = 37;
    map.iList = 1;
    map.iX = width;
    map.iY = height;
    map.CreateNew(QStringLiteral("D:\\scan\\N-37-001.jpg"));
}

} // namespace

class TestMapFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QUILLMARK_REQUIRE_FIXTURES(); }
    void splitsLines_data();
    void splitsLines();
    void titleLine_data();
    void titleLine();
    void imagePathLine_data();
    void imagePathLine();
    void projection_data();
    void projection();
    void pointLine_data();
    void pointLine();
    void highPointNumberChangesNothing();
    void counters_data();
    void counters();
    void cornerLinesOfRealMap();
    void cornerLineNumbers_data();
    void cornerLineNumbers();
    void createNew();
    void createNewSouthernSheet();
    void setPointOnNewDocument();
    void setPointUsesStoredValues();
    void setPointRoundsHalfToEven_data();
    void setPointRoundsHalfToEven();
    void setPointWithoutPointLines();
    void setPointWithMissingPointLine();
    void createPointPixels_data();
    void createPointPixels();
    void createPointAveragesStoredCorners_data();
    void createPointAveragesStoredCorners();
    void getPoint();
    void setLineOutsideDocument();
    void setLineWithoutParse();
    void setCorner();
    void setCornerWithoutCornerLines();
    void removePath();
    void hasHeader_data();
    void hasHeader();
    void readMissingFile();
    void readHugeFile();
};

void TestMapFile::splitsLines_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("shown");

    QTest::newRow("map code line whole") << 3 << QByteArray("1 ,Map Code,") << "" << "1 ,Map Code," << "1 ,Map Code,";
    QTest::newRow("early line with comma whole") << 5 << QByteArray("Reserved 1,x") << "" << "Reserved 1,x" << "Reserved 1,x";
    QTest::newRow("magnetic variation") << 7 << QByteArray("Magnetic Variation,,,E") << "Magnetic Variation" << ",,E"
                                        << "Magnetic Variation,,,E";
    QTest::newRow("no comma") << 7 << QByteArray("Reserved 3") << "" << "Reserved 3" << "Reserved 3";
    QTest::newRow("first comma only") << 54 << QByteArray("MOP,Map Open Position,0,0") << "MOP"
                                      << "Map Open Position,0,0" << "MOP,Map Open Position,0,0";
    QTest::newRow("trailing comma") << 44 << QByteArray("abc,") << "abc" << "" << "abc";
    QTest::newRow("leading comma") << 44 << QByteArray(",abc") << "" << "abc" << "abc";
}

void TestMapFile::splitsLines()
{
    QFETCH(int, index);
    QFETCH(QByteArray, text);
    QFETCH(QString, title);
    QFETCH(QString, body);
    QFETCH(QString, shown);

    QList<QByteArray> lines = sheetLines(Options());
    lines[index] = text;
    const MapFile map = readLines(lines, true);
    QCOMPARE(map.lineCount(), 56);
    QCOMPARE(map.line(index).Title, title);
    QCOMPARE(map.line(index).Body, body);
    QCOMPARE(map.lineText(index), shown);
    // Whatever the split, the line is written back as it was read.
    QCOMPARE(map.ToBytes(), join(lines, "\r\n"));
}

void TestMapFile::titleLine_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("mapName");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("south");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("extension cut") << QByteArray("N-37-001.jpg") << false << "N-37-001" << 14 << 37 << false
                                   << "N-37-001" << QStringList();
    QTest::newRow("extension kept when asked") << QByteArray("N-37-001.jpg") << true << "N-37-001" << 14 << 37 << false
                                               << "N-37-001.jpg" << QStringList();
    QTest::newRow("four-letter extension stays") << QByteArray("N-37-001.jpeg") << false << "N-37-001.jpeg" << 14 << 37
                                                 << false << "N-37-001.jpeg" << QStringList();
    QTest::newRow("no separator after row") << QByteArray("N37-001") << false << "N37-001" << 14 << 37 << false
                                            << "N37-001" << QStringList();
    QTest::newRow("southern sheet") << QByteArray("sK-37-001") << false << "sK-37-001" << 11 << 37 << true
                                    << "sK-37-001" << QStringList();
    QTest::newRow("row W unknown")
        << QByteArray("W-37-001") << false << "W-37-001" << 0 << -1 << false << "W-37-001"
        << QStringList{"W-37-001 Incorrect 1:1M map row in image name ",
                       "W-37-001 Incorrect 1:1M map column number in image name -1"};
    QTest::newRow("column not a number")
        << QByteArray("N-3X-001") << false << "N-3X-001" << 14 << -1 << false << "N-3X-001"
        << QStringList{"N-3X-001 Incorrect 1:1M map column number in image name -1"};
    QTest::newRow("column zero") << QByteArray("N-00-001") << false << "N-00-001" << 14 << 0 << false << "N-00-001"
                                 << QStringList{"N-00-001 Incorrect 1:1M map column number in image name 0"};
    QTest::newRow("column 61") << QByteArray("N-61-001") << false << "N-61-001" << 14 << 61 << false << "N-61-001"
                               << QStringList{"N-61-001 Incorrect 1:1M map column number in image name 61"};
}

void TestMapFile::titleLine()
{
    QFETCH(QByteArray, title);
    QFETCH(bool, keep);
    QFETCH(QString, mapName);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(bool, south);
    QFETCH(QString, written);
    QFETCH(QStringList, messages);

    Options o;
    o.title = title;
    Messages seen;
    const MapFile map = readLines(sheetLines(o), keep, &seen);
    QCOMPARE(map.MapName, mapName);
    QCOMPARE(int(map.iRow), row);
    QCOMPARE(int(map.iCol), col);
    QCOMPARE(map.bSouth, south);
    QCOMPARE(map.lineText(1), written);
    QStringList texts;
    for (const Messages::Entry &e : seen.entries) {
        texts << e.text;
        QCOMPARE(e.caption, QStringLiteral("Error"));
        QCOMPARE(e.icon, MessageObserver::Icon::Critical);
    }
    QCOMPARE(texts, messages);
    const QList<QByteArray> out = map.ToBytes().split('\n');
    QCOMPARE(out.at(1), written.toLatin1() + '\r');
}

void TestMapFile::imagePathLine_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("imageName");
    QTest::addColumn<QString>("written");

    QTest::newRow("windows path") << QByteArray("C:\\maps\\N-37-001.jpg") << false << "N-37-001.jpg" << "N-37-001.jpg";
    QTest::newRow("windows path kept") << QByteArray("C:\\maps\\N-37-001.jpg") << true << "N-37-001.jpg"
                                       << "C:\\maps\\N-37-001.jpg";
    QTest::newRow("slash path") << QByteArray("../mer.jpg") << false << "mer.jpg" << "mer.jpg";
    QTest::newRow("backslash wins over slash") << QByteArray("a/b\\c.jpg") << false << "c.jpg" << "c.jpg";
    QTest::newRow("bare name") << QByteArray("N-37-001.jpg") << false << "N-37-001.jpg" << "N-37-001.jpg";
}

void TestMapFile::imagePathLine()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, keep);
    QFETCH(QString, imageName);
    QFETCH(QString, written);

    Options o;
    o.image = path;
    const MapFile map = readLines(sheetLines(o), keep);
    QCOMPARE(map.ImageName, imageName);
    QCOMPARE(map.lineText(2), written);
    QCOMPARE(map.ToBytes().split('\n').at(2), written.toLatin1() + '\r');
}

void TestMapFile::projection_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("projection");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QString>("projLine");
    QTest::addColumn<QString>("setupLine");

    const QString readSetup = QStringLiteral("Projection Setup, 0.0000000000, 39.000000000, 1.0000000000, 7500000.00, 0.00,,,,");
    const QString builtSetup = QStringLiteral("Projection Setup,0.000000000,39.000000000 , 1.000000000, 07500000.00, 0.00,,,,,");
    QTest::newRow("sheet in Mercator rewritten")
        << QByteArray("N-37-001.jpg") << QByteArray("Mercator") << false << true << kTransverse << builtSetup;
    QTest::newRow("sheet in Mercator kept when asked")
        << QByteArray("N-37-001.jpg") << QByteArray("Mercator") << true << false
        << "Map Projection,Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No" << readSetup;
    QTest::newRow("sheet in transverse mercator, any case")
        << QByteArray("N-37-001.jpg") << QByteArray("TRANSVERSE mercator") << false << false
        << "Map Projection,TRANSVERSE mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No" << readSetup;
    QTest::newRow("other program's map keeps its projection")
        << QByteArray("merc-wgs84") << QByteArray("Mercator") << false << false
        << "Map Projection,Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No" << readSetup;
    QTest::newRow("bad row keeps projection")
        << QByteArray("W-37-001") << QByteArray("Mercator") << false << false
        << "Map Projection,Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No" << readSetup;
}

void TestMapFile::projection()
{
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, projection);
    QFETCH(bool, keep);
    QFETCH(bool, fixed);
    QFETCH(QString, projLine);
    QFETCH(QString, setupLine);

    Options o;
    o.title = title;
    o.projection = projection;
    Messages quiet;
    const MapFile map = readLines(sheetLines(o), keep, &quiet);
    QCOMPARE(map.projFixed(), fixed);
    QCOMPARE(map.projLine(), 8);
    QCOMPARE(map.projSetupLine(), 39);
    QCOMPARE(map.lineText(8), projLine);
    QCOMPARE(map.lineText(39), setupLine);
}

void TestMapFile::pointLine_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");
    QTest::addColumn<int>("count");

    QTest::newRow("padded point") << 1 << pointBody(120, 95, 56, "0.0000", 'N', 36, "0.0000", 'E') << 120 << 95 << 56.0
                                  << 36.0 << 1;
    QTest::newRow("south and west") << 2 << pointBody(1, 2, 33, "30.0000", 'S', 70, "15.0000", 'W') << 1 << 2 << -33.5
                                    << -70.25 << 2;
    QTest::newRow("empty template") << 3 << QByteArray("xy,,,in, deg,,,,,,, grid,,,,") << -1 << -1 << 0.0 << 0.0 << 0;
    QTest::newRow("padded empty") << 3 << emptyPointBody() << -1 << -1 << 0.0 << 0.0 << 0;
    QTest::newRow("ex means no pixel") << 2 << QByteArray("xy,  10,  20,ex, deg,  56,  0.0000,N,  36,  0.0000,E, grid")
                                       << -1 << -1 << 0.0 << 0.0 << 0;
    QTest::newRow("only xy") << 1 << QByteArray("xy") << -1 << -1 << 0.0 << 0.0 << 0;
    QTest::newRow("longitude degrees not a number")
        << 2 << QByteArray("xy,1,2,in, deg,10,30.0,N,abc,30.0,E, grid") << 1 << 2 << 10.5 << 0.0 << 2;
    QTest::newRow("latitude degrees blank") << 1 << QByteArray("xy,1,2,in, deg,   , 30.0,N,5,0,E, grid") << 1 << 2 << 0.5
                                            << 5.0 << 1;
    QTest::newRow("pixel beyond 16 bits trapped")
        << 1 << QByteArray("xy,40000,5,in, deg,1,0,N,2,0,E, grid") << 0 << 5 << 1.0 << 2.0 << 1;
    QTest::newRow("pixels rounded half to even")
        << 3 << QByteArray("xy,2.5,3.5,in, deg,1,0,N,2,0,E, grid") << 2 << 4 << 1.0 << 2.0 << 3;
    QTest::newRow("hemisphere letter exact") << 1 << QByteArray("xy,1,2,in, deg,10,0,s,20,0,w, grid") << 1 << 2 << 10.0
                                             << 20.0 << 1;
}

void TestMapFile::pointLine()
{
    QFETCH(int, k);
    QFETCH(QByteArray, body);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(double, lat);
    QFETCH(double, lon);
    QFETCH(int, count);

    Options o;
    o.points[k] = body;
    const MapFile map = readLines(sheetLines(o));
    const MapPoint &p = map.point(k);
    QCOMPARE(int(p.X), x);
    QCOMPARE(int(p.Y), y);
    QCOMPARE(p.Lat, lat);
    QCOMPARE(p.Lon, lon);
    QCOMPARE(p.LineNo, 8 + k);
    QCOMPARE(map.pointCount(), count);
    QCOMPARE(map.firstPointLine(), 9);
    // Every point line is written back as read.
    QCOMPARE(map.ToBytes().split('\n').at(8 + k), "Point0" + QByteArray::number(k) + ',' + body + '\r');
}

void TestMapFile::highPointNumberChangesNothing()
{
    QList<QByteArray> lines = sheetLines(Options());
    lines[20] = "Point12," + pointBody(5, 6, 7, "0", 'N', 8, "0", 'E');
    const MapFile map = readLines(lines);
    QCOMPARE(map.pointCount(), 0);
    for (int k = 1; k <= 9; ++k) {
        QCOMPARE(int(map.point(k).X), -1);
        QCOMPARE(map.point(k).Lat, 0.0);
    }
    QCOMPARE(map.lineText(20), QString::fromLatin1(lines[20]));
}

void TestMapFile::counters_data()
{
    QTest::addColumn<QByteArray>("mmpnum");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << QByteArray("MMPNUM,4") << 4;
    QTest::newRow("blanks") << QByteArray("MMPNUM,  6 ") << 6;
    QTest::newRow("half to even down") << QByteArray("MMPNUM,2.5") << 2;
    QTest::newRow("half to even up") << QByteArray("MMPNUM,3.5") << 4;
    QTest::newRow("trailing text") << QByteArray("MMPNUM,12abc") << 12;
    QTest::newRow("not a number") << QByteArray("MMPNUM,abc") << 0;
    QTest::newRow("beyond 16 bits trapped") << QByteArray("MMPNUM,99999") << 0;
    QTest::newRow("title any case") << QByteArray("mmpnum,8") << 8;
}

void TestMapFile::counters()
{
    QFETCH(QByteArray, mmpnum);
    QFETCH(int, expected);

    QList<QByteArray> lines = sheetLines(Options());
    lines[44] = mmpnum;
    const MapFile map = readLines(lines);
    QCOMPARE(int(map.MMPNUM), expected);
    QCOMPARE(map.MM1B, 14.826667f);
}

void TestMapFile::cornerLinesOfRealMap()
{
    MapFile map;
    map.ReadMap(fixture(QStringLiteral("gk5-pul42.map")));
    QCOMPARE(map.lineCount(), 56);
    QCOMPARE(int(map.MMPNUM), 4);
    QCOMPARE(map.MM1B, 64.592220f);
    const int xs[] = {0, 120, 120, 0};
    const int ys[] = {0, 0, 120, 120};
    const double lons[] = {-13.131390, -13.061755, -13.060177, -13.129811};
    const double lats[] = {1.569273, 1.570898, 1.500783, 1.499231};
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(int(map.cornerXY(n).X), xs[n - 1]);
        QCOMPARE(int(map.cornerXY(n).Y), ys[n - 1]);
        QCOMPARE(map.cornerXY(n).LineNo, 44 + n);
        QCOMPARE(map.cornerLL(n).Lon, lons[n - 1]);
        QCOMPARE(map.cornerLL(n).Lat, lats[n - 1]);
        QCOMPARE(map.cornerLL(n).LineNo, 48 + n);
    }
}

void TestMapFile::cornerLineNumbers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("corner");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");

    QTest::newRow("blank before number") << QByteArray("MMPXY, 2, 15, 16") << 2 << 15 << 16;
    QTest::newRow("third part holds the rest") << QByteArray("MMPXY,3,7,8,9") << 3 << 7 << 8;
    QTest::newRow("number 5 ignored") << QByteArray("MMPXY,5,7,8") << 0 << 0 << 0;
    QTest::newRow("number not numeric ignored") << QByteArray("MMPXY,x,7,8") << 0 << 0 << 0;
    QTest::newRow("missing y") << QByteArray("MMPXY,4,7") << 4 << 7 << 0;
}

void TestMapFile::cornerLineNumbers()
{
    QFETCH(QByteArray, text);
    QFETCH(int, corner);
    QFETCH(int, x);
    QFETCH(int, y);

    MapFile map;
    map.ReadBytes(join({"OziExplorer Map Data File Version 2.2", "a", "b", "c", "d", "e", "f", "g", text}, "\r\n"));
    for (int n = 1; n <= 4; ++n) {
        const CornerXY &c = map.cornerXY(n);
        QCOMPARE(int(c.X), n == corner ? x : 0);
        QCOMPARE(int(c.Y), n == corner ? y : 0);
        QCOMPARE(c.LineNo, n == corner ? 8 : 0);
    }
}

void TestMapFile::createNew()
{
    MapFile map;
    newSheet(map);
    QCOMPARE(map.lineCount(), 56);
    QCOMPARE(map.lineText(0), QStringLiteral("OziExplorer Map Data File Version 2.2"));
    QCOMPARE(map.lineText(1), QStringLiteral("N-37-001"));
    QCOMPARE(map.lineText(2), QStringLiteral("N-37-001.jpg"));
    QCOMPARE(map.lineText(3), QStringLiteral("1 ,Map Code,"));
    QCOMPARE(map.lineText(7), QStringLiteral("Magnetic Variation, , , E"));
    QCOMPARE(map.lineText(8), kTransverse);
    QCOMPARE(map.lineText(9), QStringLiteral("Point01,xy,,,in, deg,,,,,,, grid,,,,"));
    QCOMPARE(map.lineText(38), QStringLiteral("Point30,xy,,,in, deg,,,,,,, grid,,,,"));
    QCOMPARE(map.lineText(39),
             QStringLiteral("Projection Setup,0.000000000,39.000000000 , 1.000000000, 07500000.00, 0.00,,,,,"));
    QCOMPARE(map.lineText(40), QStringLiteral("Map Feature = MF ; Map Comment = MC These follow if they exist"));
    QCOMPARE(map.lineText(44), QStringLiteral("MMPNUM,4"));
    QCOMPARE(map.lineText(45), QStringLiteral("MMPXY,1,0,0"));
    QCOMPARE(map.lineText(46), QStringLiteral("MMPXY,2,4000,0"));
    QCOMPARE(map.lineText(47), QStringLiteral("MMPXY,3,0,3000"));
    QCOMPARE(map.lineText(48), QStringLiteral("MMPXY,4,4000,3000"));
    QCOMPARE(map.lineText(49), QStringLiteral("MMPLL,1,0.000000,0.000000"));
    QCOMPARE(map.lineText(52), QStringLiteral("MMPLL,4,0.000000,0.000000"));
    // 88960 / 2 metres over 3000 pixels.
    QCOMPARE(map.lineText(53), QStringLiteral("MM1B,14.826667"));
    QCOMPARE(map.lineText(55), QStringLiteral("IWH,Map Image Width/Height,4000,3000"));

    QCOMPARE(map.MapName, QStringLiteral("N-37-001"));
    QCOMPARE(map.ImageName, QStringLiteral("N-37-001.jpg"));
    QCOMPARE(map.firstPointLine(), 9);
    QCOMPARE(map.pointCount(), 0);
    for (int k = 1; k <= 9; ++k) {
        QCOMPARE(map.point(k).LineNo, 8 + k);
        QCOMPARE(int(map.point(k).X), -1);
        QCOMPARE(int(map.point(k).Y), -1);
    }
    QCOMPARE(map.projSetupLine(), 39);
    QCOMPARE(map.projFixed(), false);
    QCOMPARE(int(map.MMPNUM), 4);
    QCOMPARE(map.cornerXY(4).LineNo, 48);
    QCOMPARE(map.cornerLL(1).LineNo, 49);
    QVERIFY(map.hasHeader());

    const QByteArray bytes = map.ToBytes();
    QCOMPARE(bytes.count("\r\n"), 56);
    QVERIFY(bytes.endsWith("Width/Height,4000,3000\r\n"));
    QVERIFY(!bytes.contains("\n\n"));
}

void TestMapFile::createNewSouthernSheet()
{
    // The sheet name written on line 1 is read back by the parser: a southern
    // sheet must stay southern through it.
    MapFile map;
    map.bSouth = true;
    map.iScale = 100;
    map.iRow = 11;
    map.iCol = 37;
    map.iList = 1;
    map.iX = 1000;
    map.iY = 800;
    map.CreateNew(QStringLiteral("sK-37-001.tif"));
    QCOMPARE(map.lineText(1), QStringLiteral("sK-37-001"));
    QCOMPARE(map.lineText(2), QStringLiteral("sK-37-001.tif"));
    QCOMPARE(map.bSouth, true);
    QCOMPARE(int(map.iRow), 11);
    QCOMPARE(int(map.iCol), 37);
}

void TestMapFile::setPointOnNewDocument()
{
    MapFile map;
    newSheet(map);
    const QString before = map.lineText(13);
    QCOMPARE(map.SetPoint(5, false), 5);
    QCOMPARE(map.lineText(13), before);

    QCOMPARE(map.SetPoint(5, true), 6);
    // Centre of N-37-001: 55 deg 50 min N, 36 deg 15 min E; pixel (4000/2, 1499):
    // the middle row is 1499.9999999999998 before it is cut to a whole pixel.
    QCOMPARE(map.lineText(13), QStringLiteral("Point05,xy,2000,1499,in, deg,55, 50.0000,N,36, 15.0000,E, grid,,,,N"));
    QCOMPARE(int(map.point(5).X), 2000);
    QCOMPARE(int(map.point(5).Y), 1499);
    QCOMPARE(map.point(5).Lat, 55.0 + 50.0 / 60);
    QCOMPARE(map.point(5).Lon, 36.25);
    QCOMPARE(map.pointCount(), 5);
    QCOMPARE(map.lineCount(), 56);
}

void TestMapFile::setPointUsesStoredValues()
{
    Options o;
    o.points[1] = pointBody(120, 95, 56, "30.0000", 'N', 36, "15.0000", 'E');
    MapFile map = readLines(sheetLines(o));
    map.iScale = 100;
    map.iList = 1;
    map.iX = 1000;
    map.iY = 800;
    QCOMPARE(map.SetPoint(1, true), 2);
    // Not the sheet's corner (56 N, 36 E at pixel 30, 40): the stored point.
    QCOMPARE(map.lineText(9), QStringLiteral("Point01,xy,120,95,in, deg,56, 30.0000,N,36, 15.0000,E, grid,,,,N"));
    QCOMPARE(map.line(9).Tag, qint16(0));
}

void TestMapFile::setPointRoundsHalfToEven_data()
{
    QTest::addColumn<int>("x1");
    QTest::addColumn<int>("x2");
    QTest::addColumn<QString>("prefix");

    // Point 6 lies halfway between points 1 and 2; rows 41 and 40 give 40.5.
    QTest::newRow("0.5 to 0") << 0 << 1 << "Point06,xy,0,40,in, deg,";
    QTest::newRow("1.5 to 2") << 1 << 2 << "Point06,xy,2,40,in, deg,";
    QTest::newRow("2.5 to 2") << 2 << 3 << "Point06,xy,2,40,in, deg,";
    QTest::newRow("3.5 to 4") << 3 << 4 << "Point06,xy,4,40,in, deg,";
    QTest::newRow("whole") << 10 << 30 << "Point06,xy,20,40,in, deg,";
}

void TestMapFile::setPointRoundsHalfToEven()
{
    QFETCH(int, x1);
    QFETCH(int, x2);
    QFETCH(QString, prefix);

    MapFile map;
    newSheet(map, 1000, 800);
    const auto point = [](int k, int x, int y) {
        return QStringLiteral("xy,%1,%2,in, deg,1, 0.0000,N,%3, 0.0000,E, grid,,,,N").arg(x).arg(y).arg(k);
    };
    map.SetLine(9, QStringLiteral("Point01"), point(1, x1, 41), -1, true);
    map.SetLine(10, QStringLiteral("Point02"), point(2, x2, 40), -1, true);
    map.SetLine(11, QStringLiteral("Point03"), point(3, 970, 761), -1, true);
    map.SetLine(12, QStringLiteral("Point04"), point(4, 30, 760), -1, true);
    QCOMPARE(map.pointCount(), 4);
    QCOMPARE(map.SetPoint(6, true), 7);
    QVERIFY2(map.lineText(14).startsWith(prefix), qPrintable(map.lineText(14)));
}

void TestMapFile::setPointWithoutPointLines()
{
    MapFile map;
    map.ReadBytes(join({"OziExplorer Map Data File Version 2.2", "N-37-001", "x.jpg", "a", "b", "c", "d", "e",
                        "Map Projection,Transverse Mercator", "MMPNUM,4", "MMPXY,1,0,0"},
                       "\r\n"));
    const QByteArray before = map.ToBytes();
    QCOMPARE(map.firstPointLine(), 0);
    QVERIFY_THROWS_EXCEPTION(MapError, map.SetPoint(1, true));
    QVERIFY_THROWS_EXCEPTION(MapError, map.SetPoint(5, false));
    QCOMPARE(map.ToBytes(), before);
}

void TestMapFile::setPointWithMissingPointLine()
{
    QList<QByteArray> lines = sheetLines(Options());
    lines.removeAt(10); // no Point02 line: Point03 follows Point01
    MapFile map = readLines(lines);
    map.iScale = 100;
    map.iList = 1;
    map.iX = 1000;
    map.iY = 800;
    const QByteArray before = map.ToBytes();
    QVERIFY_THROWS_EXCEPTION(MapError, map.SetPoint(2, true));
    QCOMPARE(map.ToBytes(), before);
    QCOMPARE(map.lineText(10).left(8), QStringLiteral("Point03,"));
    // The lines before the gap are still where they belong.
    QCOMPARE(map.SetPoint(1, true), 2);
    QVERIFY(map.lineText(9).startsWith(QStringLiteral("Point01,xy,30,40,in, deg,56, 0.0000,N,36, 0.0000,E")));
}

void TestMapFile::createPointPixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("type");
    QTest::addColumn<double>("expected");

    QTest::newRow("1 X") << 1000 << 800 << 1 << "X" << 30.0;
    QTest::newRow("1 Y") << 1000 << 800 << 1 << "Y" << 40.0;
    QTest::newRow("2 X") << 1000 << 800 << 2 << "X" << 970.0;
    QTest::newRow("3 X") << 1000 << 800 << 3 << "X" << 970.0;
    QTest::newRow("3 Y") << 1000 << 800 << 3 << "Y" << 760.0;
    QTest::newRow("4 X") << 1000 << 800 << 4 << "X" << 30.0;
    QTest::newRow("5 X") << 1000 << 800 << 5 << "X" << 500.0;
    QTest::newRow("5 Y 399.99999999999994") << 1000 << 800 << 5 << "Y" << 399.0;
    QTest::newRow("7 X") << 1000 << 800 << 7 << "X" << 30.0;
    QTest::newRow("7 Y") << 1000 << 800 << 7 << "Y" << 399.0;
    QTest::newRow("8 X") << 1000 << 800 << 8 << "X" << 970.0;
    QTest::newRow("6 Y") << 1000 << 800 << 6 << "Y" << 40.0;
    QTest::newRow("9 Y") << 1000 << 800 << 9 << "Y" << 760.0;
    QTest::newRow("5 Y height 1000") << 1000 << 1000 << 5 << "Y" << 499.0;
    QTest::newRow("odd width middle") << 1001 << 800 << 9 << "X" << 500.0;
    QTest::newRow("lower case x") << 1000 << 800 << 2 << "x" << 970.0;
    QTest::newRow("Z") << 1000 << 800 << 1 << "Z" << 0.0;
    QTest::newRow("k 0") << 1000 << 800 << 0 << "X" << 0.0;
    QTest::newRow("k 10") << 1000 << 800 << 10 << "Y" << 0.0;
}

void TestMapFile::createPointPixels()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, k);
    QFETCH(QString, type);
    QFETCH(double, expected);

    MapFile map;
    map.iX = qint16(width);
    map.iY = qint16(height);
    QCOMPARE(map.CreatePoint(k, type), expected);
}

void TestMapFile::createPointAveragesStoredCorners_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("type");
    QTest::addColumn<double>("expected");

    // Corners stored at rows 41, 40, 761, 760 and columns 31, 970, 971, 30.
    QTest::newRow("6 Y") << 6 << "Y" << 40.5;
    QTest::newRow("9 Y") << 9 << "Y" << 760.5;
    QTest::newRow("5 Y") << 5 << "Y" << 400.5;
    QTest::newRow("7 Y") << 7 << "Y" << 400.5;
    QTest::newRow("8 Y") << 8 << "Y" << 400.5;
    QTest::newRow("1 Y from margin") << 1 << "Y" << 40.0;
    QTest::newRow("6 X") << 6 << "X" << 500.5;
    QTest::newRow("7 X") << 7 << "X" << 30.5;
    QTest::newRow("8 X") << 8 << "X" << 970.5;
    QTest::newRow("9 X") << 9 << "X" << 500.5;
    QTest::newRow("5 X") << 5 << "X" << 500.5;
}

void TestMapFile::createPointAveragesStoredCorners()
{
    QFETCH(int, k);
    QFETCH(QString, type);
    QFETCH(double, expected);

    MapFile map;
    map.iX = 1000;
    map.iY = 800;
    const QList<QByteArray> lines{"OziExplorer Map Data File Version 2.2", "N-37-001", "x.jpg", "a", "b", "c", "d", "e",
                                  "Point01,xy,31,41,in, deg,1,0,N,1,0,E",
                                  "Point02,xy,970,40,in, deg,1,0,N,1,0,E",
                                  "Point03,xy,971,761,in, deg,1,0,N,1,0,E",
                                  "Point04,xy,30,760,in, deg,1,0,N,1,0,E"};
    map.ReadBytes(join(lines, "\r\n"));
    QCOMPARE(map.pointCount(), 4);
    QCOMPARE(map.CreatePoint(k, type), expected);
}

void TestMapFile::getPoint()
{
    Options o;
    o.points[3] = pointBody(7, 8, 10, "30", 'N', 20, "15", 'W');
    const MapFile map = readLines(sheetLines(o));
    QCOMPARE(map.GetPoint(3, QStringLiteral("lon")), -20.25);
    QCOMPARE(map.GetPoint(3, QStringLiteral("LON")), -20.25);
    QCOMPARE(map.GetPoint(3, QStringLiteral("Lat")), 10.5);
    QCOMPARE(map.GetPoint(3, QStringLiteral("x")), 7.0);
    QCOMPARE(map.GetPoint(3, QStringLiteral("Y")), 8.0);
    QCOMPARE(map.GetPoint(3, QStringLiteral("Z")), 0.0);
    QVERIFY_THROWS_EXCEPTION(MapError, map.GetPoint(0, QStringLiteral("X")));
    QVERIFY_THROWS_EXCEPTION(MapError, map.GetPoint(10, QStringLiteral("X")));
}

void TestMapFile::setLineOutsideDocument()
{
    MapFile map;
    newSheet(map);
    QVERIFY_THROWS_EXCEPTION(MapError, map.SetLine(56, QStringLiteral("MM0"), QStringLiteral("No")));
    QVERIFY_THROWS_EXCEPTION(MapError, map.SetLine(-1, QStringLiteral("MM0"), QStringLiteral("No")));
    QVERIFY_THROWS_EXCEPTION(MapError, map.lineText(56));
    QCOMPARE(map.lineCount(), 56);
}

void TestMapFile::setLineWithoutParse()
{
    MapFile map;
    newSheet(map);
    map.SetLine(44, QStringLiteral("MMPNUM"), QStringLiteral("9"), 5);
    QCOMPARE(map.lineText(44), QStringLiteral("MMPNUM,9"));
    QCOMPARE(map.line(44).Tag, qint16(5));
    QCOMPARE(int(map.MMPNUM), 4);
    map.SetLine(44, QStringLiteral("MMPNUM"), QStringLiteral("9"), -1, true);
    QCOMPARE(int(map.MMPNUM), 9);
}

void TestMapFile::setCorner()
{
    Options o;
    o.points[1] = pointBody(30, 40, 56, "0.0000", 'N', 36, "0.0000", 'E');
    o.points[2] = pointBody(970, 40, 56, "0.0000", 'N', 36, "30.0000", 'E');
    o.points[3] = pointBody(970, 760, 55, "45.0000", 'N', 36, "30.0000", 'E');
    o.points[4] = pointBody(30, 760, 55, "45.0000", 'N', 36, "0.0000", 'E');
    QList<QByteArray> lines = sheetLines(o);
    MapFile map = readLines(lines, true);
    map.SetCorner();
    QCOMPARE(map.lineText(45), QStringLiteral("MMPXY,1,30,40"));
    QCOMPARE(map.lineText(46), QStringLiteral("MMPXY,2,970,40"));
    QCOMPARE(map.lineText(47), QStringLiteral("MMPXY,3,970,760"));
    QCOMPARE(map.lineText(48), QStringLiteral("MMPXY,4,30,760"));
    QCOMPARE(map.lineText(49), QStringLiteral("MMPLL,1,36.000000 , 56.000000"));
    QCOMPARE(map.lineText(51), QStringLiteral("MMPLL,3,36.500000 , 55.750000"));
    QCOMPARE(int(map.cornerXY(3).X), 970);
    QCOMPARE(map.cornerLL(3).Lat, 55.75);
    // Only the eight corner lines changed.
    const QList<QByteArray> out = map.ToBytes().split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        if (i < 45 || i > 52)
            QCOMPARE(out.at(i), lines.at(i) + '\r');
    }
}

void TestMapFile::setCornerWithoutCornerLines()
{
    Options o;
    o.points[1] = pointBody(30, 40, 56, "0.0000", 'N', 36, "0.0000", 'E');
    QList<QByteArray> lines = sheetLines(o);
    lines.removeAt(50); // MMPLL 2
    MapFile map = readLines(lines);
    const QByteArray before = map.ToBytes();
    QVERIFY_THROWS_EXCEPTION(MapError, map.SetCorner());
    QCOMPARE(map.ToBytes(), before);

    MapFile bare;
    bare.ReadBytes(join({"OziExplorer Map Data File Version 2.2", "N-37-001"}, "\r\n"));
    QVERIFY_THROWS_EXCEPTION(MapError, bare.SetCorner());
    QCOMPARE(bare.lineText(0), QStringLiteral("OziExplorer Map Data File Version 2.2"));
}

void TestMapFile::removePath()
{
    Options o;
    QList<QByteArray> lines = sheetLines(o);
    MapFile map = readLines(lines, true);
    QCOMPARE(map.lineText(2), QStringLiteral("C:\\maps\\N-37-001.jpg"));
    map.RemovePath();
    QCOMPARE(map.lineText(2), QStringLiteral("N-37-001.jpg"));
    lines[2] = "N-37-001.jpg";
    QCOMPARE(map.ToBytes(), join(lines, "\r\n"));

    MapFile shortMap;
    shortMap.ReadBytes("OziExplorer Map Data File Version 2.2\r\nN-37-001\r\n");
    shortMap.RemovePath();
    QCOMPARE(shortMap.lineCount(), 2);
}

void TestMapFile::hasHeader_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("expected");
    QTest::newRow("version 2.1") << "gk5-pul42.map" << true;
    QTest::newRow("cut header") << "noheader.map" << false;
    QTest::newRow("empty file") << "nolines.map" << false;
}

void TestMapFile::hasHeader()
{
    QFETCH(QString, file);
    QFETCH(bool, expected);
    MapFile map;
    map.ReadMap(fixture(file));
    QCOMPARE(map.hasHeader(), expected);
}

void TestMapFile::readMissingFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("absent.map"));
    MapFile map;
    newSheet(map);
    try {
        map.ReadMap(name);
        QFAIL("no error for a missing file");
    } catch (const MapError &e) {
        QVERIFY2(e.text().contains(name), qPrintable(e.text()));
    }
    // The document is left as it was.
    QCOMPARE(map.lineCount(), 56);
    QVERIFY_THROWS_EXCEPTION(MapError, map.ReadMap(dir.path()));
    map.FileName = name;
    QVERIFY_THROWS_EXCEPTION(MapError, map.ReadMap());
}

void TestMapFile::readHugeFile()
{
    // A sparse file: no disk space is used.
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("disk image.map"));
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(300) * 1024 * 1024));
    }
    MapFile map;
    newSheet(map);
    try {
        map.ReadMap(name);
        QFAIL("a 300 MB file was read as a map file");
    } catch (const MapError &e) {
        QVERIFY2(e.text().contains(name) && e.text().contains(QLatin1String("too large")), qPrintable(e.text()));
    }
    QCOMPARE(map.lineCount(), 56);
}

QTEST_GUILESS_MAIN(TestMapFile)
#include "tst_mapfile.moc"
