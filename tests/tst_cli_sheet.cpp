// quillmark-cli sheet --json: the identity, texts and calibration points of
// sheet names, the error objects of names that fail a check, and exit codes.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include "common/CliRun.h"

#include <QProcess>

namespace {

struct Run
{
    int exitCode = -1;
    QList<QJsonObject> objects;
    QByteArray out;
    QByteArray err;
};

Run runSheet(const QStringList &arguments)
{
    const CliRun r = CliRun::run(QStringList{QStringLiteral("sheet")} + arguments);
    Run run;
    run.exitCode = r.exitCode;
    run.out = r.out;
    run.err = r.err;
    const QList<QByteArray> lines = run.out.split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject()) {
            run.objects.append(QJsonObject{{QStringLiteral("unparsable"), QString::fromUtf8(line)}});
            continue;
        }
        run.objects.append(doc.object());
    }
    return run;
}

// The one object of a good name's run (empty when the run failed or gave more).
QJsonObject onlyObject(const Run &run)
{
    return run.exitCode == 0 && run.objects.size() == 1 ? run.objects.first() : QJsonObject();
}

QString exact(double v)
{
    return QString::number(v, 'g', 17);
}

const QStringList kKeys = {
    "central_meridian", "col", "form", "hemisphere", "list", "list25", "list50", "map_name",
    "mask", "name", "points", "readings", "row", "scale", "zone",
};

} // namespace

class TestCliSheet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void identity_data();
    void identity();
    void points_data();
    void points();
    void errors_data();
    void errors();
    void usage_data();
    void usage();
    void forms_data();
    void forms();
};

void TestCliSheet::initTestCase()
{
    QVERIFY2(!qEnvironmentVariable("QUILLMARK_CLI").isEmpty(), "QUILLMARK_CLI is not set");
}

void TestCliSheet::identity_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("hemisphere");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("list50");
    QTest::addColumn<int>("list25");
    QTest::addColumn<int>("zone");
    QTest::addColumn<QString>("centralMeridian");
    QTest::addColumn<QString>("mapName");

    QTest::newRow("N-37-001-А-а.jpg, Cyrillic letters")
        << QStringList{"N-37-001-\u0410-\u0430.jpg"} << "1:25K" << "R-CC-LLL" << "N" << 14 << 37 << 1 << 1 << 1 << 7
        << "39.000000000" << "N-37-001-\u0410-\u0430";
    QTest::newRow("N37-001-B-G, Latin letters")
        << QStringList{"N37-001-B-G"} << "1:25K" << "RCC-LLL" << "N" << 14 << 37 << 1 << 2 << 4 << 7
        << "39.000000000" << "N-37-001-\u0411-\u0433";
    QTest::newRow("N-37-12") << QStringList{"N-37-12"} << "1:200K" << "R-CC-LLL" << "N" << 14 << 37 << 12 << 0 << 0
                             << 7 << "39.000000000" << "N-37-12";
    QTest::newRow("N-37-012") << QStringList{"N-37-012"} << "1:100K" << "R-CC-LLL" << "N" << 14 << 37 << 12 << 0
                              << 0 << 7 << "39.000000000" << "N-37-012";
    QTest::newRow("N-37-Б") << QStringList{"N-37-\u0411"} << "1:500K" << "R-CC-LLL" << "N" << 14 << 37 << 2 << 0 << 0
                            << 7 << "39.000000000" << "N-37-\u0411";
    QTest::newRow("N-37-2") << QStringList{"N-37-2"} << "1:500K" << "R-CC-LLL" << "N" << 14 << 37 << 2 << 0 << 0
                            << 7 << "39.000000000" << "N-37-\u0411";
    QTest::newRow("N-37") << QStringList{"N-37"} << "1:1M" << "R-CC-LLL" << "N" << 14 << 37 << 0 << 0 << 0 << 7
                          << "39.000000000" << "N-37";
    QTest::newRow("N37") << QStringList{"N37"} << "1:1M" << "RCC-LLL" << "N" << 14 << 37 << 0 << 0 << 0 << 7
                         << "39.000000000" << "N-37";
    QTest::newRow("P-37 at 1:1M: central meridian 42")
        << QStringList{"P-37.tif"} << "1:1M" << "R-CC-LLL" << "N" << 16 << 37 << 0 << 0 << 0 << 7
        << "42.000000000" << "P-37,38";
    QTest::newRow("R-37-001: two sheets") << QStringList{"R-37-001.jpg"} << "1:100K" << "R-CC-LLL" << "N" << 18
                                          << 37 << 1 << 0 << 0 << 7 << "39.000000000" << "R-37-001,002";
    QTest::newRow("column 30: zone 60") << QStringList{"N-30-001"} << "1:100K" << "R-CC-LLL" << "N" << 14 << 30
                                        << 1 << 0 << 0 << 60 << "-3.000000000" << "N-30-001";
    QTest::newRow("column 31: zone 1") << QStringList{"N-31-001"} << "1:100K" << "R-CC-LLL" << "N" << 14 << 31
                                       << 1 << 0 << 0 << 1 << "3.000000000" << "N-31-001";
    QTest::newRow("sK-37-001: southern") << QStringList{"sK-37-001.jpg"} << "1:100K" << "R-CC-LLL" << "S" << 11
                                         << 37 << 1 << 0 << 0 << 7 << "39.000000000" << "sK-37-001";
    QTest::newRow("a path is cut to the file name")
        << QStringList{"/scans/N-37/N-37-001.jpg"} << "1:100K" << "R-CC-LLL" << "N" << 14 << 37 << 1 << 0 << 0 << 7
        << "39.000000000" << "N-37-001";
    QTest::newRow("--scale and --mask given")
        << QStringList{"--scale", "1:50K", "--mask", "R-CC-LLL", "N-37-001-Г"} << "1:50K" << "R-CC-LLL" << "N" << 14
        << 37 << 1 << 4 << 0 << 7 << "39.000000000" << "N-37-001-\u0413";
}

void TestCliSheet::identity()
{
    QFETCH(QStringList, args);
    QFETCH(QString, scale);
    QFETCH(QString, mask);
    QFETCH(QString, hemisphere);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, list);
    QFETCH(int, list50);
    QFETCH(int, list25);
    QFETCH(int, zone);
    QFETCH(QString, centralMeridian);
    QFETCH(QString, mapName);

    const QJsonObject o = onlyObject(runSheet(QStringList{"--json"} + args));
    QStringList keys = o.keys();
    keys.sort();
    QCOMPARE(keys, kKeys);
    QCOMPARE(o.value("name").toString(), args.last());
    QCOMPARE(o.value("scale").toString(), scale);
    QCOMPARE(o.value("mask").toString(), mask);
    QCOMPARE(o.value("hemisphere").toString(), hemisphere);
    QCOMPARE(o.value("row").toInt(-99), row);
    QCOMPARE(o.value("col").toInt(-99), col);
    QCOMPARE(o.value("list").toInt(-99), list);
    QCOMPARE(o.value("list50").toInt(-99), list50);
    QCOMPARE(o.value("list25").toInt(-99), list25);
    QCOMPARE(o.value("zone").toInt(-99), zone);
    QCOMPARE(o.value("central_meridian").toString(), centralMeridian);
    QCOMPARE(o.value("map_name").toString(), mapName);
    QCOMPARE(o.value("points").toArray().size(), 9);
}

void TestCliSheet::points_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");

    QTest::newRow("N-37-001 point 1") << "N-37-001" << 1 << 56.0 << 36.0;
    QTest::newRow("N-37-001 point 3") << "N-37-001" << 3 << 56 - 20 / 60.0 << 36.5;
    QTest::newRow("N-37-001 point 5") << "N-37-001" << 5 << 56 - 10 / 60.0 << 36.25;
    QTest::newRow("N-37-001-Г point 1") << "N-37-001-\u0413" << 1 << 56 - 10 / 60.0 << 36.25;
    QTest::newRow("N-37-001-Г point 3") << "N-37-001-\u0413" << 3 << 56 - 20 / 60.0 << 36.5;
    QTest::newRow("P-37-001 point 2: 1 degree wide") << "P-37-001" << 2 << 64.0 << 37.0;
    QTest::newRow("T-37-01 point 2: 3 degrees wide") << "T-37-01" << 2 << 80.0 << 39.0;
    QTest::newRow("T-37 point 3: 24 degrees wide") << "T-37" << 3 << 76.0 << 60.0;
    QTest::newRow("N-37-Г point 1") << "N-37-\u0413" << 1 << 54.0 << 39.0;
    QTest::newRow("N-37-Г point 3") << "N-37-\u0413" << 3 << 52.0 << 42.0;
    QTest::newRow("N-37-001-А-а point 3") << "N-37-001-\u0410-\u0430" << 3 << 56 - 20 / 60.0 + 10 / 60.0 + 5 / 60.0
                                          << 36.125;
    QTest::newRow("sK-37-001 point 1: south of the equator") << "sK-37-001" << 1 << -40.0 << 36.0;
    QTest::newRow("sK-37-001 point 3") << "sK-37-001" << 3 << -40 - 20 / 60.0 << 36.5;
    QTest::newRow("sA-37 point 3") << "sA-37" << 3 << -4.0 << 42.0;
}

void TestCliSheet::points()
{
    QFETCH(QString, name);
    QFETCH(int, k);
    QFETCH(double, lat);
    QFETCH(double, lon);

    const Run run = runSheet({"--json", name});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.objects.size(), 1);
    const QJsonArray points = run.objects.first().value("points").toArray();
    QCOMPARE(points.size(), 9);
    const QJsonObject p = points.at(k - 1).toObject();
    // The printed numbers read back exactly.
    QCOMPARE(exact(p.value("lat").toDouble(-999)), exact(lat));
    QCOMPARE(exact(p.value("lon").toDouble(-999)), exact(lon));
}

void TestCliSheet::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("errors"); // per name: empty for a good one, else a part of the error text

    QTest::newRow("W is not a row letter")
        << QStringList{"W-37-001.jpg"} << QStringList{"W-37-001.jpg Incorrect 1:1M map row in image name "};
    QTest::newRow("SK-37-001: capital S is not the southern prefix")
        << QStringList{"SK-37-001"} << QStringList{" Incorrect "};
    QTest::newRow("N-61-001: column")
        << QStringList{"N-61-001.jpg"} << QStringList{"N-61-001.jpg Incorrect 1:1M map column number in image name 61"};
    QTest::newRow("N-37-145: list")
        << QStringList{"N-37-145.jpg"} << QStringList{"N-37-145.jpg Incorrect  map list number in image name 145"};
    QTest::newRow("1:50K letter forced on a 1:100K name")
        << QStringList{"--scale", "1:50K", "N-37-001.jpg"}
        << QStringList{"N-37-001.jpg Incorrect 1:50K map list number in image name 1"};
    QTest::newRow("good, bad, good: all printed")
        << QStringList{"N-37-001", "W-37-001.jpg", "N-37-002"}
        << QStringList{"", "Incorrect 1:1M map row", ""};
}

void TestCliSheet::errors()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, errors);

    const Run run = runSheet(QStringList{"--json"} + args);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.objects.size(), errors.size());
    QStringList names;
    for (const QString &a : args) {
        if (!a.startsWith("--") && a != "1:50K")
            names.append(a);
    }
    for (qsizetype i = 0; i < errors.size(); ++i) {
        const QJsonObject o = run.objects.at(i);
        QCOMPARE(o.value("name").toString(), names.at(i));
        if (errors.at(i).isEmpty()) {
            QVERIFY(!o.contains("error"));
            QCOMPARE(o.value("points").toArray().size(), 9);
        } else {
            QStringList keys = o.keys();
            keys.sort();
            QCOMPARE(keys, (QStringList{"error", "name"}));
            QVERIFY2(o.value("error").toString().contains(errors.at(i)), qPrintable(o.value("error").toString()));
        }
    }

    // Without --json the failure goes to stderr as "Error: ...", with the same exit code.
    const Run plain = runSheet(args);
    QCOMPARE(plain.exitCode, 1);
    QVERIFY2(plain.err.contains("Error: "), plain.err.constData());
}

void TestCliSheet::usage_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("no name") << QStringList{"--json"};
    QTest::newRow("nothing at all") << QStringList{};
    QTest::newRow("unknown scale") << QStringList{"--scale", "1:300K", "N-37-001"};
    QTest::newRow("scale without value") << QStringList{"N-37-001", "--scale"};
    QTest::newRow("unknown mask") << QStringList{"--mask", "RR-CC-LLL", "N-37-001"};
    QTest::newRow("unknown option") << QStringList{"--jsonl", "N-37-001"};
}

void TestCliSheet::usage()
{
    QFETCH(QStringList, args);
    const Run run = runSheet(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
}

// The form a name was read in and, for a name that reads two ways, both
// readings, the one taken first; the plain text says the same.
void TestCliSheet::forms_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("form");
    QTest::addColumn<QStringList>("readings"); // "scale map_name" each
    QTest::newRow("zero-padded") << QStringList{"N-37-001"} << "three-digit list number"
                                 << QStringList{"1:100K N-37-001"};
    QTest::newRow("Roman") << QStringList{"M-45-VIII.jpg"} << "1:200K Roman numeral" << QStringList{"1:200K M-45-08"};
    QTest::newRow("archive") << QStringList{"200k--m44-01.gif"} << "two-digit 1:200K number, scale prefix 200k--"
                             << QStringList{"1:200K M-44-01"};
    QTest::newRow("two ways") << QStringList{"N-37-1"} << "1:500K letter written as a digit"
                              << QStringList{QString::fromUtf8("1:500K N-37-А"), "1:100K N-37-001"};
    QTest::newRow("two ways, scale given")
        << QStringList{"--scale", "1:100K", "N-37-1"} << "official list number without leading zeros"
        << QStringList{"1:100K N-37-001", QString::fromUtf8("1:500K N-37-А")};
    QTest::newRow("only in part") << QStringList{"N-44-126-1988"} << "" << QStringList{};
}

void TestCliSheet::forms()
{
    QFETCH(QStringList, args);
    QFETCH(QString, form);
    QFETCH(QStringList, readings);
    const QJsonObject o = onlyObject(runSheet(QStringList{"--json"} + args));
    QCOMPARE(o.value("form").toString(QStringLiteral("(none)")), form);
    QStringList got;
    for (const QJsonValue &r : o.value("readings").toArray())
        got << r.toObject().value("scale").toString() + ' ' + r.toObject().value("map_name").toString();
    QCOMPARE(got, readings);

    const QString plain = QString::fromUtf8(runSheet(args).out);
    QVERIFY2(plain.contains(QStringLiteral("  form: ") + (form.isEmpty() ? QStringLiteral("none") : form)),
             qPrintable(plain));
    QCOMPARE(plain.count(QStringLiteral("  also reads as ")), qMax<qsizetype>(0, readings.size() - 1));
}

QTEST_GUILESS_MAIN(TestCliSheet)
#include "tst_cli_sheet.moc"
