#include "common/RecordingObserver.h"
#include "common/SheetImages.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "tools/RunResult.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using Icon = MessageObserver::Icon;

namespace {

const QString kWarning4000 = QStringLiteral(
    "Warning|Programm can recognize image size only for jpeg, bmp, gif, png. For other format Program use constant "
    "(4000*4000)");

// Bytes of a map file as lines (Windows-1251, CR LF; Cyrillic letters decoded).
QStringList mapLines(const QByteArray &bytes, bool *allCrLf = nullptr)
{
    QString text;
    for (char c : bytes) {
        const uchar u = uchar(c);
        text.append(u >= 0xC0 ? QChar(0x0410 + (u - 0xC0)) : QChar(u));
    }
    if (allCrLf)
        *allCrLf = text.count(QLatin1Char('\n')) == text.count(QStringLiteral("\r\n")) && text.endsWith("\r\n");
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList recorded(const RecordingObserver &obs)
{
    QStringList out;
    for (const RecordingObserver::Message &m : obs.messages)
        out.append(m.caption + QLatin1Char('|') + m.text);
    return out;
}

// One input file of a case: name and content kind.
QByteArray contentFor(const QString &description)
{
    // "jpg:W:H", "png:W:H", "gif:W:H", "bmp:W:H", "empty", "text", "trunc"
    const QStringList p = description.split(QLatin1Char(':'));
    if (p[0] == QLatin1String("jpg"))
        return SheetImages::jpeg(p[1].toInt(), p[2].toInt());
    if (p[0] == QLatin1String("png"))
        return SheetImages::png(p[1].toUInt(), p[2].toUInt());
    if (p[0] == QLatin1String("gif"))
        return SheetImages::gif(p[1].toInt(), p[2].toInt());
    if (p[0] == QLatin1String("bmp"))
        return SheetImages::bmp(p[1].toInt(), p[2].toInt());
    if (p[0] == QLatin1String("trunc"))
        return SheetImages::jpeg(1000, 800).left(10);
    if (p[0] == QLatin1String("text"))
        return QByteArray("some notes\r\n");
    return QByteArray();
}

// The lines of a new 1:100K map N-37-001 of a 1000 x 800 image with the
// default margins (5, 5, 3 %), five points and the metric grid, worked out by
// hand: corners 56/55°40' N, 36/36°30' E; pixels 3 % of 1000 and 5 % of 800.
QStringList expectedN37001()
{
    QStringList l = {
        "OziExplorer Map Data File Version 2.2",
        "N-37-001",
        "N-37-001.jpg",
        "1 ,Map Code,",
        "Pulkovo 1942 (1),WGS 84,   0.0000,   0.0000,WGS 84",
        "Reserved 1",
        "Reserved 2",
        "Magnetic Variation, , , E",
        // No blank after the comma: readers of the format (GDAL among them) do
        // not know the projection " Transverse Mercator".
        "Map Projection,Transverse Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No",
        "Point01,xy,30,40,in, deg,56, 0.0000,N,36, 0.0000,E, grid,,,,N",
        "Point02,xy,970,40,in, deg,56, 0.0000,N,36, 30.0000,E, grid,,,,N",
        "Point03,xy,970,760,in, deg,55, 40.0000,N,36, 30.0000,E, grid,,,,N",
        "Point04,xy,30,760,in, deg,55, 40.0000,N,36, 0.0000,E, grid,,,,N",
        "Point05,xy,500,400,in, deg,55, 50.0000,N,36, 15.0000,E, grid,,,,N", // mean of the four corners
    };
    for (int n = 6; n <= 30; ++n)
        l.append(QStringLiteral("Point%1,xy,,,in, deg,,,,,,, grid,,,,").arg(n, 2, 10, QLatin1Char('0')));
    l += QStringList{
        "Projection Setup,0.000000000,39.000000000 , 1.000000000, 07500000.00, 0.00,,,,,",
        "Map Feature = MF ; Map Comment = MC These follow if they exist",
        "Track File = TF These follow if they exist",
        "Moving Map Parameters = MM? These follow if they exist",
        "MM0,Yes",
        "MMPNUM,4",
        "MMPXY,1,30,40",
        "MMPXY,2,970,40",
        "MMPXY,3,970,760",
        "MMPXY,4,30,760",
        "MMPLL,1,36.000000 , 56.000000",
        "MMPLL,2,36.500000 , 56.000000",
        "MMPLL,3,36.500000 , 55.666667",
        "MMPLL,4,36.000000 , 55.666667",
        "MM1B,55.600000", // 88960 m / 2 over 800 pixels
        "MOP,Map Open Position,0,0",
        "IWH,Map Image Width/Height,1000,800",
        "Other Grid Setup",
        "GRGRID,Yes,2 Km,No,16711680,255,2 Km,0,16777215,8,0,Yes,Yes,No,x",
    };
    return l;
}

} // namespace

class TestMapCreatorRun : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    int m_case = 0;

    // A fresh input folder holding `files` ("name=content" entries).
    QString makeFolder(const QStringList &files)
    {
        const QString dir = m_tmp.path() + QStringLiteral("/case%1").arg(++m_case);
        QDir().mkpath(dir);
        for (const QString &f : files) {
            const int eq = int(f.indexOf(QLatin1Char('=')));
            SheetImages::write(dir + QLatin1Char('/') + f.left(eq), contentFor(f.mid(eq + 1)));
        }
        return dir;
    }

    MapCreatorOptions optionsFor(const QString &dir, const QString &scale, const QString &mask = "R-CC-LLL")
    {
        MapCreatorOptions o;
        o.inFolder = dir;
        o.outFolder = dir;
        o.scaleText = scale;
        o.maskText = mask;
        o.pointsText = QStringLiteral("5");
        o.gridMode = 1;
        return o;
    }

    QStringList mapsIn(const QString &dir)
    {
        return QDir(dir).entryList({QStringLiteral("*.map")}, QDir::Files, QDir::Name);
    }

private slots:
    void initTestCase() { QVERIFY(m_tmp.isValid()); }

    // Messages, counts and written maps over one folder.
    void walk_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("maps");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("failed");
        QTest::addColumn<bool>("cancelled");

        const QList<bool> ok;
        QTest::newRow("text and .jpeg passed over")
            << QStringList{"N-37-001.jpg=jpg:1000:800", "readme.txt=text", "N-37-002.jpeg=jpg:1000:800"} << "1:100K"
            << "R-CC-LLL" << ok << QStringList{"|Done 1 map-files"} << QStringList{"N-37-001.map"} << 0 << 0 << false;
        QTest::newRow("two tif, one warning")
            << QStringList{"N-37-001.tif=empty", "N-37-002.tif=empty"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{kWarning4000, "|Done 2 map-files"} << QStringList{"N-37-001.map", "N-37-002.map"} << 0 << 0
            << false;
        QTest::newRow("bad row")
            << QStringList{"X-37-001.jpg=jpg:100:100"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"Error|X-37-001.jpg Incorrect 1:1M map row in image name ", "|Done 1 map-files"}
            << QStringList{} << 1 << 1 << false;
        QTest::newRow("bad column")
            << QStringList{"N-61-001.jpg=jpg:100:100"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"Error|N-61-001.jpg Incorrect 1:1M map column number in image name 61", "|Done 1 map-files"}
            << QStringList{} << 1 << 1 << false;
        QTest::newRow("list beyond 144, two blanks")
            << QStringList{"N-37-145.jpg=jpg:100:100"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"Error|N-37-145.jpg Incorrect  map list number in image name 145", "|Done 1 map-files"}
            << QStringList{} << 1 << 1 << false;
        QTest::newRow("bad 1:50K letter")
            << QStringList{QStringLiteral("N-37-001-Д.jpg=jpg:100:100")} << "1:50K" << "R-CC-LLL" << ok
            << QStringList{QStringLiteral("Error|N-37-001-Д.jpg Incorrect 1:50K map list number in image name 1"),
                           "|Done 1 map-files"}
            << QStringList{} << 1 << 1 << false;
        QTest::newRow("cancel at the first prompt")
            << QStringList{"X-37-001.jpg=jpg:100:100", "X-37-002.jpg=jpg:100:100"}
            << "1:100K" << "R-CC-LLL" << QList<bool>{false}
            << QStringList{"Error|X-37-001.jpg Incorrect 1:1M map row in image name ", "|Done 1 map-files"}
            << QStringList{} << 1 << 1 << true;
        QTest::newRow("ok after a failure goes on")
            << QStringList{"N-37-001.jpg=jpg:100:100", "N-37-200.jpg=jpg:100:100", "N-37-002.jpg=jpg:100:100"}
            << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"Error|N-37-200.jpg Incorrect  map list number in image name 200", "|Done 3 map-files"}
            << QStringList{"N-37-001.map", "N-37-002.map"} << 1 << 1 << false;
        QTest::newRow("several dots: extension after the first dot")
            << QStringList{"N-37-001.v2.jpg=jpg:100:100"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"|Done 0 map-files"} << QStringList{} << 0 << 0 << false;
        QTest::newRow("upper-case extension")
            << QStringList{"N-37-001.JPG=jpg:100:100", "N-37-002.Png=png:100:100"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"|Done 2 map-files"} << QStringList{"N-37-001.map", "N-37-002.map"} << 0 << 0 << false;
        QTest::newRow("name with spaces")
            << QStringList{"N-37-001 scan.jpg=jpg:100:100"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"|Done 1 map-files"} << QStringList{"N-37-001 scan.map"} << 0 << 0 << false;
        QTest::newRow("image wider than 32767")
            << QStringList{"N-37-001.png=png:40000:100", "N-37-002.png=png:100:100"} << "1:100K" << "R-CC-LLL" << ok
            << QStringList{"Error|N-37-001.png Image size 40000 x 100 is too large (at most 32767)",
                           "|Done 2 map-files"}
            << QStringList{"N-37-002.map"} << 1 << 1 << false;
        QTest::newRow("RCC-LLL mask, 1:200K")
            << QStringList{"N37-36.gif=gif:300:200", "N37-37.bmp=bmp:300:200"} << "1:200K" << "RCC-LLL" << ok
            << QStringList{"Error|N37-37.bmp Incorrect  map list number in image name 37", "|Done 2 map-files"}
            << QStringList{"N37-36.map"} << 1 << 1 << false;
        QTest::newRow("scale text not known: every list fails")
            << QStringList{"N-37-001.jpg=jpg:100:100"} << "1:5K" << "R-CC-LLL" << ok
            << QStringList{"Error|N-37-001.jpg Incorrect  map list number in image name 0", "|Done 1 map-files"}
            << QStringList{} << 1 << 1 << false;
    }

    void walk()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, scale);
        QFETCH(QString, mask);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, maps);
        QFETCH(int, questions);
        QFETCH(int, failed);
        QFETCH(bool, cancelled);

        const QString dir = makeFolder(files);
        RecordingObserver obs;
        obs.answers = answers;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, scale, mask), obs);

        QCOMPARE(recorded(obs), messages);
        QCOMPARE(mapsIn(dir), maps);
        QCOMPARE(obs.questions.size(), questions);
        for (const QString &q : obs.questions)
            QCOMPARE(q, QStringLiteral("There is error in data. Continue?"));
        QCOMPARE(r.failed, failed);
        QCOMPARE(r.cancelled, cancelled);
        QVERIFY(!r.folderMissing);
        QCOMPARE(r.exitCode(), failed > 0 ? 1 : 0);
        QCOMPARE(obs.messages.last().icon, Icon::None);
        QCOMPARE(obs.statuses.last(), QString());
        // Leftovers of an atomic write would be files the run did not mean to make.
        const QStringList all = QDir(dir).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(all.size(), files.size() + maps.size());
    }

    void newMapLineByLine()
    {
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, "1:100K"), obs);
        QCOMPARE(r.count, 1);
        QCOMPARE(obs.statuses, (QStringList{"Generating map-file for N-37-001.jpg", ""}));
        bool crlf = false;
        const QStringList lines = mapLines(SheetImages::read(dir + "/N-37-001.map"), &crlf);
        QVERIFY(crlf);
        const QStringList expected = expectedN37001();
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines.at(i), expected.at(i));
    }

    void imageSize_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("iwh");
        QTest::newRow("png named .jpg") << "N-37-001.jpg=png:600:400" << "IWH,Map Image Width/Height,600,400";
        QTest::newRow("empty jpg") << "N-37-001.jpg=empty" << "IWH,Map Image Width/Height,4000,4000";
        QTest::newRow("truncated jpg") << "N-37-001.jpg=trunc" << "IWH,Map Image Width/Height,4000,4000";
        QTest::newRow("gif") << "N-37-001.gif=gif:321:123" << "IWH,Map Image Width/Height,321,123";
        QTest::newRow("bmp") << "N-37-001.bmp=bmp:640:480" << "IWH,Map Image Width/Height,640,480";
        QTest::newRow("largest size") << "N-37-001.png=png:32767:32767" << "IWH,Map Image Width/Height,32767,32767";
        QTest::newRow("ozf2") << "N-37-001.ozf2=text" << "IWH,Map Image Width/Height,4000,4000";
    }

    void imageSize()
    {
        QFETCH(QString, file);
        QFETCH(QString, iwh);
        const QString dir = makeFolder({file});
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, "1:100K"), obs);
        QCOMPARE(r.failed, 0);
        const QStringList lines = mapLines(SheetImages::read(dir + "/N-37-001.map"));
        QVERIFY(lines.contains(iwh));
    }

    void margins_data()
    {
        QTest::addColumn<QString>("margin");
        QTest::addColumn<QString>("mmpxy1");
        QTest::addColumn<QString>("mmpxy3");
        // 1000 x 800 image; every margin text the same.
        QTest::newRow("-1 gives 0") << "-1" << "MMPXY,1,0,0" << "MMPXY,3,1000,800";
        QTest::newRow("60 gives 0.49") << "60" << "MMPXY,1,490,392" << "MMPXY,3,510,408";
        QTest::newRow("12.5 gives 0.125") << "12.5" << "MMPXY,1,125,100" << "MMPXY,3,875,700";
        QTest::newRow("text without number gives 0") << "abc" << "MMPXY,1,0,0" << "MMPXY,3,1000,800";
    }

    void margins()
    {
        QFETCH(QString, margin);
        QFETCH(QString, mmpxy1);
        QFETCH(QString, mmpxy3);
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        MapCreatorOptions o = optionsFor(dir, "1:100K");
        o.marginTop = o.marginBottom = o.marginSide = margin;
        RecordingObserver obs;
        MapCreatorRun::run(o, obs);
        const QStringList lines = mapLines(SheetImages::read(dir + "/N-37-001.map"));
        QVERIFY2(lines.contains(mmpxy1), qPrintable(lines.filter("MMPXY").join(" / ")));
        QVERIFY2(lines.contains(mmpxy3), qPrintable(lines.filter("MMPXY").join(" / ")));
    }

    void grids_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<int>("grid");
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("1:1M lat/lon") << "N-37.jpg" << "1:1M" << 2
                                      << QStringList{"LL Grid Setup",
                                                     "LLGRID,Yes,10 min,No,255,16711680,0,1 deg,0,16777215,7,1,Yes,x"};
        QTest::newRow("1:500K lat/lon") << "N-37-Б.jpg" << "1:500K" << 2
                                        << QStringList{"LL Grid Setup",
                                                       "LLGRID,Yes,5 min,No,255,16711680,0,20 min,0,16777215,7,1,Yes,x"};
        QTest::newRow("1:200K lat/lon") << "N-37-01.jpg" << "1:200K" << 2
                                        << QStringList{"LL Grid Setup",
                                                       "LLGRID,Yes,1 min,No,255,16711680,0,5 min,0,16777215,7,1,Yes,x"};
        QTest::newRow("1:1M metric") << "N-37.jpg" << "1:1M" << 1
                                     << QStringList{"Other Grid Setup",
                                                    "GRGRID,Yes,20 Km,No,16711680,255,20 Km,0,16777215,8,0,Yes,Yes,No,x"};
        QTest::newRow("1:25K metric") << "N-37-001-А-а.jpg" << "1:25K" << 1
                                      << QStringList{"Other Grid Setup",
                                                     "GRGRID,Yes,1 Km,No,16711680,255,1 Km,0,16777215,8,0,Yes,Yes,No,x"};
        QTest::newRow("1:200K metric") << "N-37-01.jpg" << "1:200K" << 1
                                       << QStringList{"Other Grid Setup",
                                                      "GRGRID,Yes,4 Km,No,16711680,255,4 Km,0,16777215,8,0,Yes,Yes,No,x"};
        QTest::newRow("1:500K metric") << "N-37-Б.jpg" << "1:500K" << 1
                                       << QStringList{"Other Grid Setup",
                                                      "GRGRID,Yes,10 Km,No,16711680,255,10 Km,0,16777215,8,0,Yes,Yes,No,x"};
        QTest::newRow("no grid") << "N-37.jpg" << "1:1M" << 0
                                 << QStringList{"MOP,Map Open Position,0,0", "IWH,Map Image Width/Height,400,300"};
    }

    void grids()
    {
        QFETCH(QString, file);
        QFETCH(QString, scale);
        QFETCH(int, grid);
        QFETCH(QStringList, tail);
        const QString dir = makeFolder({file + "=jpg:400:300"});
        MapCreatorOptions o = optionsFor(dir, scale);
        o.gridMode = grid;
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(o, obs);
        QCOMPARE(r.failed, 0);
        const QString map = dir + QLatin1Char('/') + file.left(file.indexOf('.')) + ".map";
        const QStringList lines = mapLines(SheetImages::read(map));
        QCOMPARE(lines.mid(lines.size() - 2), tail);
    }

    void oneMillionCorners()
    {
        // N-37 at 1:1M: 52..56 N, 36..42 E, central meridian 39.
        const QString dir = makeFolder({"N-37.jpg=jpg:1000:800"});
        MapCreatorOptions o = optionsFor(dir, "1:1M");
        o.pointsText = "4";
        RecordingObserver obs;
        MapCreatorRun::run(o, obs);
        const QStringList lines = mapLines(SheetImages::read(dir + "/N-37.map"));
        QCOMPARE(lines.at(1), QStringLiteral("N-37"));
        QCOMPARE(lines.at(9), QStringLiteral("Point01,xy,30,40,in, deg,56, 0.0000,N,36, 0.0000,E, grid,,,,N"));
        QCOMPARE(lines.at(11), QStringLiteral("Point03,xy,970,760,in, deg,52, 0.0000,N,42, 0.0000,E, grid,,,,N"));
        QCOMPARE(lines.at(13), QStringLiteral("Point05,xy,,,in, deg,,,,,,, grid,,,,"));
        QCOMPARE(lines.at(53), QStringLiteral("MM1B,556.000000")); // 444800 m over 800 pixels
    }

    void ninePoints()
    {
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        MapCreatorOptions o = optionsFor(dir, "1:100K");
        o.pointsText = "9";
        RecordingObserver obs;
        MapCreatorRun::run(o, obs);
        const QStringList lines = mapLines(SheetImages::read(dir + "/N-37-001.map"));
        // Point 9: middle of the south edge.
        QCOMPARE(lines.at(17), QStringLiteral("Point09,xy,500,760,in, deg,55, 40.0000,N,36, 15.0000,E, grid,,,,N"));
        QCOMPARE(lines.at(18), QStringLiteral("Point10,xy,,,in, deg,,,,,,, grid,,,,"));
    }

    void southernSheet()
    {
        const QString dir = makeFolder({"sK-37-001.jpg=jpg:1000:800"});
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, "1:100K"), obs);
        QCOMPARE(r.failed, 0);
        const QStringList lines = mapLines(SheetImages::read(dir + "/sK-37-001.map"));
        QVERIFY(lines.size() > 12);
        for (int i = 9; i <= 12; ++i)
            QVERIFY2(lines.at(i).contains(",S,36,"), qPrintable(lines.at(i)));
    }

    void cyrillicName()
    {
        const QString dir = makeFolder({QStringLiteral("N-37-001-А-а.jpg=jpg:1000:800")});
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, "1:25K"), obs);
        QCOMPARE(r.failed, 0);
        QCOMPARE(mapsIn(dir), QStringList{QStringLiteral("N-37-001-А-а.map")});
        const QStringList lines = mapLines(SheetImages::read(dir + QStringLiteral("/N-37-001-А-а.map")));
        QCOMPARE(lines.at(1), QStringLiteral("N-37-001-А-а"));
        // North-west quarter of the north-west quarter: 56 N .. 55°55', 36 .. 36°07.5' E.
        QCOMPARE(lines.at(9), QStringLiteral("Point01,xy,30,40,in, deg,56, 0.0000,N,36, 0.0000,E, grid,,,,N"));
        QCOMPARE(lines.at(11), QStringLiteral("Point03,xy,970,760,in, deg,55, 55.0000,N,36, 7.5000,E, grid,,,,N"));
    }

    void skipExisting_data()
    {
        QTest::addColumn<bool>("skip");
        QTest::newRow("skip on") << true;
        QTest::newRow("skip off") << false;
    }

    void skipExisting()
    {
        QFETCH(bool, skip);
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        RecordingObserver first;
        MapCreatorRun::run(optionsFor(dir, "1:100K"), first);
        const QByteArray written = SheetImages::read(dir + "/N-37-001.map");
        // Change the image so a re-read would change the file.
        SheetImages::write(dir + "/N-37-001.jpg", SheetImages::jpeg(2000, 1600));

        MapCreatorOptions o = optionsFor(dir, "1:100K");
        o.skipExisting = skip;
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(o, obs);
        QCOMPARE(r.count, 1);
        QCOMPARE(recorded(obs), QStringList{"|Done 1 map-files"});
        const QByteArray now = SheetImages::read(dir + "/N-37-001.map");
        if (skip) {
            QCOMPARE(now, written);
            QCOMPARE(obs.statuses, QStringList{""});
        } else {
            QCOMPARE(obs.statuses, (QStringList{"Reading map-file for N-37-001.jpg", ""}));
            // The stored points stay; the image size line is the template's and stays too.
            const QStringList lines = mapLines(now);
            QCOMPARE(lines, mapLines(written));
        }
    }

    void rerunKeepsOneGridSection()
    {
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        RecordingObserver a, b;
        MapCreatorRun::run(optionsFor(dir, "1:100K"), a);
        MapCreatorRun::run(optionsFor(dir, "1:100K"), b);
        const QStringList lines = mapLines(SheetImages::read(dir + "/N-37-001.map"));
        QCOMPARE(lines, expectedN37001());
    }

    void existingMapUnusable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QByteArray noPoints = "OziExplorer Map Data File Version 2.2\r\nN-37-001\r\nN-37-001.jpg\r\n1 ,Map Code,\r\n"
                              "Pulkovo 1942 (1),WGS 84,   0.0000,   0.0000,WGS 84\r\nReserved 1\r\nReserved 2\r\n"
                              "Magnetic Variation, , , E\r\nMap Projection, Transverse Mercator,PolyCal,No\r\n"
                              "MMPNUM,4\r\nMMPXY,1,0,0\r\nMMPXY,2,1,0\r\nMMPXY,3,1,1\r\nMMPXY,4,0,1\r\n"
                              "MMPLL,1,0,0\r\nMMPLL,2,0,0\r\nMMPLL,3,0,0\r\nMMPLL,4,0,0\r\n";
        QTest::newRow("no point lines") << noPoints << "has no point lines";
        QTest::newRow("not a map file") << QByteArray("hello\r\nworld\r\n") << "is not an OziExplorer map file";
        QTest::newRow("map path is a folder") << QByteArray("<folder>") << "N-37-001.map";
    }

    // What a power cut can leave of a new map file that never reached the disk
    // holds nothing to keep: it is made anew, also when existing maps are skipped.
    void emptyMapIsMadeAnew_data()
    {
        QTest::addColumn<bool>("skipExisting");
        QTest::newRow("re-calibrate") << false;
        QTest::newRow("skip existing") << true;
    }

    void emptyMapIsMadeAnew()
    {
        QFETCH(bool, skipExisting);
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        SheetImages::write(dir + "/N-37-001.map", QByteArray());
        RecordingObserver obs;
        MapCreatorOptions o = optionsFor(dir, "1:100K");
        o.skipExisting = skipExisting;
        const RunResult r = MapCreatorRun::run(o, obs);
        QCOMPARE(r.failed, 0);
        QVERIFY(obs.questions.isEmpty());
        QVERIFY(obs.statuses.contains(QStringLiteral("Generating map-file for N-37-001.jpg")));
        const QByteArray written = SheetImages::read(dir + "/N-37-001.map");
        QVERIFY(written.startsWith("OziExplorer Map Data File Version 2.2\r\nN-37-001\r\nN-37-001.jpg\r\n"));
        QVERIFY(written.contains("IWH,Map Image Width/Height,1000,800\r\n"));
    }

    void existingMapUnusable()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        const bool folder = content == "<folder>";
        if (folder)
            QDir().mkpath(dir + "/N-37-001.map");
        else
            SheetImages::write(dir + "/N-37-001.map", content);
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, "1:100K"), obs);
        QCOMPARE(r.failed, 1);
        QCOMPARE(obs.questions.size(), 1);
        // The title-line messages of reading a foreign file come first, then the run's own.
        QVERIFY(obs.messages.size() >= 2);
        const RecordingObserver::Message &m = obs.messages.at(obs.messages.size() - 2);
        QCOMPARE(m.caption, QStringLiteral("Error"));
        QCOMPARE(m.icon, Icon::Critical);
        QVERIFY(m.text.startsWith("N-37-001.jpg "));
        QVERIFY2(m.text.contains(reason), qPrintable(m.text));
        if (folder)
            QVERIFY(QFileInfo(dir + "/N-37-001.map").isDir());
        else
            QCOMPARE(SheetImages::read(dir + "/N-37-001.map"), content);
    }

    void missingFolder_data()
    {
        QTest::addColumn<bool>("inputMissing");
        QTest::newRow("input") << true;
        QTest::newRow("output") << false;
    }

    void missingFolder()
    {
        QFETCH(bool, inputMissing);
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        const QString gone = m_tmp.path() + "/no such folder";
        MapCreatorOptions o = optionsFor(dir, "1:100K");
        (inputMissing ? o.inFolder : o.outFolder) = gone;
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(o, obs);
        QCOMPARE(recorded(obs), QStringList{"Error|Folder " + gone + " is not exist"});
        QCOMPARE(obs.messages.at(0).icon, Icon::Critical);
        QVERIFY(r.folderMissing);
        QCOMPARE(r.exitCode(), 2);
        QCOMPARE(mapsIn(dir), QStringList{});
    }

    void separateOutputFolder()
    {
        const QString dir = makeFolder({"N-37-001.jpg=jpg:1000:800"});
        const QString out = dir + "-out";
        QDir().mkpath(out);
        MapCreatorOptions o = optionsFor(dir, "1:100K");
        o.outFolder = out;
        RecordingObserver obs;
        MapCreatorRun::run(o, obs);
        QCOMPARE(mapsIn(dir), QStringList{});
        QCOMPARE(mapLines(SheetImages::read(out + "/N-37-001.map")), expectedN37001());
    }

    void cancelBetweenFiles()
    {
        const QString dir = makeFolder({"N-37-001.jpg=jpg:100:100", "N-37-002.jpg=jpg:100:100"});
        RecordingObserver obs;
        obs.cancelAfterFiles = 1;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, "1:100K"), obs);
        QVERIFY(r.cancelled);
        QCOMPARE(r.count, 1);
        QCOMPARE(mapsIn(dir), QStringList{"N-37-001.map"});
        QCOMPARE(recorded(obs), QStringList{"|Done 1 map-files"});
    }

    void unreadableImage()
    {
        if (!SheetImages::permissionsApply(m_tmp.path()))
            QSKIP("running with permissions ignored (root): an unreadable file cannot be made");
        const QString dir = makeFolder({"N-37-001.jpg=jpg:100:100", "N-37-002.jpg=jpg:100:100"});
        QFile::setPermissions(dir + "/N-37-001.jpg", QFileDevice::Permissions());
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(optionsFor(dir, "1:100K"), obs);
        QFile::setPermissions(dir + "/N-37-001.jpg", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(r.failed, 1);
        QCOMPARE(r.count, 2);
        QCOMPARE(obs.questions.size(), 1);
        QVERIFY(obs.messages.at(0).text.startsWith("N-37-001.jpg Cannot read the image"));
        QCOMPARE(mapsIn(dir), QStringList{"N-37-002.map"});
    }

    void readOnlyOutput()
    {
        if (!SheetImages::permissionsApply(m_tmp.path()))
            QSKIP("running with permissions ignored (root): a read-only folder cannot be made");
        const QString dir = makeFolder({"N-37-001.jpg=jpg:100:100"});
        const QString out = dir + "-ro";
        QDir().mkpath(out);
        QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        MapCreatorOptions o = optionsFor(dir, "1:100K");
        o.outFolder = out;
        RecordingObserver obs;
        const RunResult r = MapCreatorRun::run(o, obs);
        QFile::setPermissions(out, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(r.failed, 1);
        QCOMPARE(obs.questions.size(), 1);
        QCOMPARE(obs.messages.at(0).caption, QStringLiteral("Error"));
        QVERIFY(obs.messages.at(0).text.startsWith("N-37-001.jpg "));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestMapCreatorRun)
#include "tst_mapcreatorrun.moc"
