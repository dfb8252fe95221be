// Coverage files: the polygons of the maps the creator writes (and of sheet
// names), their corners, ring order and properties, the maps left out, and
// GDAL's ogrinfo opening the GeoJSON and KML files.

#include "tools/CoverageFile.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "common/CliRun.h"
#include "common/RecordingObserver.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Twice the signed area of a closed ring of [lon, lat] pairs.
double signedArea(const QJsonArray &ring)
{
    double area = 0;
    for (qsizetype i = 0; i + 1 < ring.size(); ++i) {
        const QJsonArray a = ring[i].toArray();
        const QJsonArray b = ring[i + 1].toArray();
        area += a[0].toDouble() * b[1].toDouble() - b[0].toDouble() * a[1].toDouble();
    }
    return area;
}

} // namespace

class TestCoverage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_maps;

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_maps = m_tmp.filePath("maps");
        QVERIFY(QDir().mkpath(m_maps));
        // Charts carry their size in the header, so the creator needs no real image.
        for (const char *name : {"N-37-001.kap", "sK-37-001.kap", "P-37-001.kap"})
            writeFile(m_maps + '/' + name, "BSB/NA=x,RA=1000,800\r\n\x1A");
        MapCreatorOptions options;
        options.inFolder = m_maps;
        options.outFolder = m_maps;
        options.scaleText = "1:100K";
        options.maskText = "R-CC-LLL";
        options.pointsText = "4";
        RecordingObserver observer;
        MapCreatorRun::run(options, observer);
        QCOMPARE(observer.texts(), QStringList{"Done 3 map-files"});
        // A map without point lines, and one whose corners were never set.
        writeFile(m_maps + "/broken.map", "OziExplorer Map Data File Version 2.2\r\nbroken\r\nbroken.jpg\r\n");
        QFile good(m_maps + "/N-37-001.map");
        QVERIFY(good.open(QIODevice::ReadOnly));
        QByteArray unset = good.readAll();
        unset.replace("Point02,xy,970,40,in, deg,56, 0.0000,N,36, 30.0000,E", "Point02,xy,,,in, deg,,,,,,");
        QVERIFY(!unset.contains("Point02,xy,970"));
        writeFile(m_maps + "/unset.map", unset);
    }

    void mapPolygons_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<double>("south");
        QTest::addColumn<double>("north");
        QTest::addColumn<double>("west");
        QTest::addColumn<double>("east");
        QTest::newRow("north") << "N-37-001.map" << "N-37-001" << 55 + 40 / 60.0 << 56.0 << 36.0 << 36.5;
        QTest::newRow("south") << "sK-37-001.map" << "sK-37-001" << -40 - 20 / 60.0 << -40.0 << 36.0 << 36.5;
        QTest::newRow("north of 60") << "P-37-001.map" << "P-37-001,002" << 64 - 20 / 60.0 << 64.0 << 36.0 << 37.0;
    }

    void mapPolygons()
    {
        QFETCH(QString, map);
        QFETCH(QString, sheet);
        QFETCH(double, south);
        QFETCH(double, north);
        QFETCH(double, west);
        QFETCH(double, east);
        RecordingObserver observer;
        int leftOut = -1;
        const auto features = CoverageFile::fromMaps(m_maps, observer, &leftOut);
        QCOMPARE(features.size(), 3);
        QCOMPARE(leftOut, 2);
        const QJsonObject doc = QJsonDocument::fromJson(CoverageFile::geoJson(features)).object();
        QCOMPARE(doc["type"].toString(), QString("FeatureCollection"));
        QJsonObject feature;
        for (const auto &f : doc["features"].toArray()) {
            if (f.toObject()["properties"].toObject()["map"].toString() == map)
                feature = f.toObject();
        }
        QVERIFY2(!feature.isEmpty(), qPrintable(map));
        const QJsonObject props = feature["properties"].toObject();
        QCOMPARE(props["sheet"].toString(), sheet);
        QCOMPARE(props["image"].toString(), map.section('.', 0, 0) + ".kap");
        QCOMPARE(props["scale"].toString(), QString("1:100K"));
        const QJsonObject geometry = feature["geometry"].toObject();
        QCOMPARE(geometry["type"].toString(), QString("Polygon"));
        const QJsonArray ring = geometry["coordinates"].toArray()[0].toArray();
        QCOMPARE(ring.size(), 5);
        QCOMPARE(ring.first(), ring.last());
        QVERIFY2(signedArea(ring) > 0, "the outer ring runs counter-clockwise");
        QSet<QString> corners;
        for (qsizetype i = 0; i < 4; ++i) {
            const QJsonArray p = ring[i].toArray();
            const double lon = p[0].toDouble();
            const double lat = p[1].toDouble();
            const bool westEdge = qAbs(lon - west) < 1e-6, eastEdge = qAbs(lon - east) < 1e-6;
            const bool southEdge = qAbs(lat - south) < 1e-6, northEdge = qAbs(lat - north) < 1e-6;
            QVERIFY2((westEdge || eastEdge) && (southEdge || northEdge),
                     qPrintable(QString("%1, %2 is no corner").arg(lon).arg(lat)));
            corners.insert(QString("%1%2").arg(westEdge).arg(southEdge));
        }
        QCOMPARE(corners.size(), 4);
    }

    void leftOutMessages()
    {
        RecordingObserver observer;
        CoverageFile::fromMaps(m_maps, observer);
        const QStringList texts = observer.texts();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts.filter("broken.map").size() == 1 && texts.filter("unset.map").size() == 1);
        QVERIFY(texts.filter("no four usable points").size() == 2);
    }

    // A map whose points 1..4 cannot be read as they stand is left out with a
    // warning naming the point: the polygon would be wrong without a word.
    void unusablePointsLeftOut_data()
    {
        QTest::addColumn<QString>("pattern"); // in a 5-point map of N-37-001
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("reason");
        QTest::newRow("blank Point04: the centre would be a corner")
            << "Point04,xy, *\\d+, *\\d+" << "Point04,xy,," << "Point04 has no pixel position";
        QTest::newRow("x beyond 16 bits") << "Point02,xy, *\\d+" << "Point02,xy,40000"
                                          << "Point02's x \"40000\" is not within 0..32767";
        QTest::newRow("nan latitude") << "(Point01,xy,[^,]*,[^,]*,in, deg,) *[-\\d.]+" << "\\1nan"
                                      << "Point01's latitude \"nan\" is not a number";
    }

    void unusablePointsLeftOut()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, replacement);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeFile(dir.filePath("N-37-001.kap"), "BSB/NA=x,RA=1000,800\r\n\x1A");
        MapCreatorOptions options;
        options.inFolder = options.outFolder = dir.path();
        options.scaleText = "1:100K";
        options.maskText = "R-CC-LLL";
        options.pointsText = "5";
        RecordingObserver creator;
        MapCreatorRun::run(options, creator);
        QFile file(dir.filePath("N-37-001.map"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QString text = QString::fromLatin1(file.readAll());
        const QRegularExpression re(pattern);
        QVERIFY2(text.contains(re), qPrintable(text));
        text.replace(re, replacement);
        file.resize(0);
        file.write(text.toLatin1());
        file.close();

        RecordingObserver observer;
        int leftOut = 0;
        QVERIFY(CoverageFile::fromMaps(dir.path(), observer, &leftOut).isEmpty());
        QCOMPARE(leftOut, 1);
        QCOMPARE(observer.texts(), QStringList{"Map N-37-001.map has no four usable points (1..4): " + reason
                                               + "; left out of the coverage"});
    }

    void fromNames_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("sheets");
        QTest::addColumn<int>("warnings");
        QTest::newRow("sheet images") << QStringList{"N-37-001.jpg", "N-37.png", "notes.txt"}
                                      << QStringList{"N-37", "N-37-001"} << 0;
        QTest::newRow("bad names") << QStringList{"N-37-145.tif", "holiday.jpg", QString("N-37-001-\u0410-\u0430-1.gif")}
                                   << QStringList{QString("N-37-001-\u0410-\u0430-1")} << 2;
        QTest::newRow("official, Roman and archive names")
            << QStringList{"M-45-VIII.jpg", "100k--n44-126.gif", QString("N-37-12-\u0410_1988.png")}
            << QStringList{"M-45-08", QString("N-37-012-\u0410"), "N-44-126"} << 0;
    }

    void fromNames()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, sheets);
        QFETCH(int, warnings);
        QTemporaryDir dir;
        for (const QString &f : files)
            writeFile(dir.filePath(f), QByteArray());
        RecordingObserver observer;
        int leftOut = -1;
        const auto features = CoverageFile::fromNames(dir.path(), observer, &leftOut);
        QStringList got;
        for (const auto &f : features)
            got << f.sheet;
        got.sort();
        QCOMPARE(got, sheets);
        QCOMPARE(leftOut, warnings);
        QCOMPARE(observer.messages.size(), warnings);
    }

    void ogrinfoOpens_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("GeoJSON") << "geojson" << "coverage.geojson";
        QTest::newRow("KML") << "kml" << "coverage.kml";
    }

    void ogrinfoOpens()
    {
        QFETCH(QString, format);
        QFETCH(QString, fileName);
        const QString out = m_tmp.filePath(fileName);
        const CliRun r = CliRun::run({"coverage", m_maps, "--format", format, "-o", out});
        QCOMPARE(r.exitCode, 1); // two maps left out
        QVERIFY(QFile::exists(out));
        const QString ogrinfo = QStandardPaths::findExecutable("ogrinfo");
        if (ogrinfo.isEmpty())
            QSKIP("ogrinfo not found: install gdal-bin (scripts/setup.sh does) to check the coverage with GDAL");
        QProcess p;
        p.start(ogrinfo, {"-ro", "-al", out});
        QVERIFY(p.waitForFinished(60000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(p.exitCode() == 0, qPrintable(p.readAllStandardError()));
        QVERIFY2(text.contains("Feature Count: 3"), qPrintable(text));
        QVERIFY2(text.contains("POLYGON"), qPrintable(text));
        QVERIFY2(text.contains("sK-37-001"), qPrintable(text));
        // Longitude first: the sheet near Moscow lies at 36 east, 56 north.
        QVERIFY2(text.contains("36 56") || text.contains("36.0 56.0") || text.contains("36 55.6"), qPrintable(text));
    }

    void cliExitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("missing folder") << QStringList{"coverage", "/nonexistent/folder"} << 2;
        QTest::newRow("unknown format") << QStringList{"coverage", ".", "--format", "shp"} << 2;
        QTest::newRow("no folder") << QStringList{"coverage"} << 2;
        QTest::newRow("empty folder") << QStringList{"coverage", "{empty}"} << 0;
    }

    void cliExitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QTemporaryDir empty;
        args.replaceInStrings("{empty}", empty.path());
        const CliRun r = CliRun::run(args);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 0) {
            const QJsonObject doc = QJsonDocument::fromJson(r.out).object();
            QCOMPARE(doc["features"].toArray().size(), 0);
        } else {
            QVERIFY(!r.err.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestCoverage)
#include "tst_coverage.moc"
