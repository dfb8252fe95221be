// GDAL, an independent reader of OziExplorer map files, reads the maps the
// creator writes for the sample scans: the projection it finds must be the
// sheet's Pulkovo 1942 Transverse Mercator zone, and the frame corners of the
// image taken back to degrees must be the sheet's corners.

#include "imageinfo/CImageInfo.h"
#include "tools/MapCreatorGuess.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "tools/RunResult.h"
#include "common/RecordingObserver.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class TestGdal : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    bool m_ready = false;

    static QString run(const QString &program, const QStringList &args, const QByteArray &input = QByteArray())
    {
        QProcess p;
        p.start(program, args);
        p.waitForStarted();
        if (!input.isEmpty())
            p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("gdalinfo").isEmpty()
            || QStandardPaths::findExecutable("gdaltransform").isEmpty())
            QSKIP("gdalinfo/gdaltransform not found: install gdal-bin (scripts/setup.sh does) to check the maps "
                  "with GDAL");
        QVERIFY(m_tmp.isValid());
        const QString examples = qEnvironmentVariable("QUILLMARK_SOURCE_DIR") + "/examples";
        // The sample folders with plain ASCII names; each is one run at its own scale.
        for (const QString &folder : {QStringLiteral("1M"), QStringLiteral("200K"), QStringLiteral("100K")}) {
            const QString from = examples + '/' + folder;
            const QString to = m_tmp.path() + '/' + folder;
            QVERIFY(QDir().mkpath(to));
            const QStringList files = QDir(from).entryList(QDir::Files);
            QVERIFY2(!files.isEmpty(), qPrintable("no samples in " + from));
            for (const QString &f : files)
                QVERIFY(QFile::copy(from + '/' + f, to + '/' + f));

            MapCreatorOptions o;
            o.inFolder = o.outFolder = to;
            MapCreatorGuess::setByImageName(MapCreatorGuess::getFirstImage(to), o);
            RecordingObserver obs;
            const RunResult r = MapCreatorRun::run(o, obs);
            QVERIFY(!r.folderMissing);
        }
        m_ready = true;
    }

    void sheet_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<double>("north");
        QTest::addColumn<double>("south");
        QTest::addColumn<double>("west");
        QTest::addColumn<double>("east");
        QTest::addColumn<int>("meridian");
        QTest::addColumn<int>("zone");

        // Corners by hand: 1:1M rows 4 degrees from the equator (N = 14th row:
        // 52..56), columns 6 degrees from 180 W (37: 36..42); a 1:200K sheet is
        // 40' x 1 degree, 6 to a row; a 1:100K sheet 20' x 30', 12 to a row.
        const double third = 1.0 / 3.0;
        QTest::newRow("N-37 1:1M") << "1M/N-37.map" << 56.0 << 52.0 << 36.0 << 42.0 << 39 << 7;
        // Row P lies beyond 60 N: the sheet is two columns wide, centred on 48.
        QTest::newRow("P-38 1:1M double") << "1M/P-38.map" << 64.0 << 60.0 << 42.0 << 54.0 << 48 << 8;
        QTest::newRow("N37-01 1:200K") << "200K/N37-01.map" << 56.0 << 56.0 - 2 * third << 36.0 << 37.0 << 39 << 7;
        QTest::newRow("N37-02 1:200K") << "200K/N37-02.map" << 56.0 << 56.0 - 2 * third << 37.0 << 38.0 << 39 << 7;
        QTest::newRow("N-37-001 1:100K") << "100K/N-37-001.map" << 56.0 << 56.0 - third << 36.0 << 36.5 << 39 << 7;
        QTest::newRow("N-37-002 1:100K") << "100K/N-37-002.map" << 56.0 << 56.0 - third << 36.5 << 37.0 << 39 << 7;
        QTest::newRow("N-37-013 1:100K") << "100K/N-37-013.map" << 56.0 - third << 56.0 - 2 * third << 36.0 << 36.5
                                         << 39 << 7;
        QTest::newRow("N-37-014 1:100K") << "100K/N-37-014.map" << 56.0 - third << 56.0 - 2 * third << 36.5 << 37.0
                                         << 39 << 7;
        // Southern row K: 40..44 S, the first sheet touches 40 S.
        QTest::newRow("sK-37-001 1:100K south") << "100K/sK-37-001.map" << -40.0 << -40.0 - third << 36.0 << 36.5
                                                << 39 << 7;
    }

    void sheet()
    {
        if (!m_ready)
            QSKIP("no maps were made");
        QFETCH(QString, map);
        QFETCH(double, north);
        QFETCH(double, south);
        QFETCH(double, west);
        QFETCH(double, east);
        QFETCH(int, meridian);
        QFETCH(int, zone);

        const QString path = m_tmp.path() + '/' + map;
        QVERIFY2(QFile::exists(path), qPrintable(path + " was not written"));

        // The projection GDAL reads from the file.
        const QJsonObject info = QJsonDocument::fromJson(run("gdalinfo", {"-json", path}).toUtf8()).object();
        QString wkt = info.value("gcps").toObject().value("coordinateSystem").toObject().value("wkt").toString();
        if (wkt.isEmpty())
            wkt = info.value("coordinateSystem").toObject().value("wkt").toString();
        QVERIFY2(!wkt.isEmpty(), "GDAL found no coordinate system");
        QVERIFY2(wkt.contains("Pulkovo 1942"), qPrintable(wkt));
        QVERIFY2(wkt.contains("METHOD[\"Transverse Mercator\""), qPrintable(wkt));
        auto parameter = [&](const QString &name) {
            const QRegularExpression re("PARAMETER\\[\"" + QRegularExpression::escape(name) + "\",([-0-9.eE+]+)");
            const QRegularExpressionMatch m = re.match(wkt);
            return m.hasMatch() ? m.captured(1).toDouble() : std::nan("");
        };
        QCOMPARE(parameter("Longitude of natural origin"), double(meridian));
        QCOMPARE(parameter("False easting"), zone * 1000000.0 + 500000.0);
        QCOMPARE(parameter("Scale factor at natural origin"), 1.0);

        // The frame corners inside the default margins (3 % each side, 5 % top and bottom).
        CImageInfo reader;
        QString imageFile;
        for (const char *ext : {".jpg", ".png", ".gif", ".bmp"}) {
            if (QFile::exists(path.left(path.size() - 4) + ext))
                imageFile = path.left(path.size() - 4) + ext;
        }
        QVERIFY(reader.ReadImageInfo(imageFile));
        const int w = reader.Width(), h = reader.Height();
        QVERIFY(w > 0 && h > 0);
        const int x0 = int(std::floor(w * 0.03)), x1 = int(std::floor((1 - 0.03) * w));
        const int y0 = int(std::floor(h * 0.05)), y1 = int(std::floor((1 - 0.05) * h));
        const QByteArray input = QStringLiteral("%1 %2\n%3 %2\n%3 %4\n%1 %4\n").arg(x0).arg(y0).arg(x1).arg(y1).toLatin1();
        const QStringList out =
            run("gdaltransform", {"-tps", "-t_srs", "EPSG:4284", path}, input).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(out.size(), 4);
        const double expected[4][2] = {{west, north}, {east, north}, {east, south}, {west, south}};
        for (int i = 0; i < 4; ++i) {
            const QStringList v = out.at(i).split(' ', Qt::SkipEmptyParts);
            QVERIFY(v.size() >= 2);
            const double lon = v[0].toDouble(), lat = v[1].toDouble();
            QVERIFY2(std::abs(lon - expected[i][0]) < 1e-6 && std::abs(lat - expected[i][1]) < 1e-6,
                     qPrintable(QStringLiteral("corner %1: GDAL %2 %3, sheet %4 %5")
                                    .arg(i + 1)
                                    .arg(lon, 0, 'f', 9)
                                    .arg(lat, 0, 'f', 9)
                                    .arg(expected[i][0], 0, 'f', 9)
                                    .arg(expected[i][1], 0, 'f', 9)));
        }
    }
};

QTEST_GUILESS_MAIN(TestGdal)
#include "tst_gdal.moc"
