// quillmark-cli corners | list | strip-paths: arguments, exit codes, output.

#include "common/MapFolderFixture.h"

#include "common/CliRun.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace MapFolderFixture;

namespace {

// gk5-pul42.map with a spoiled corner line and a directory in its image path,
// so that both rewriting tools change it.
QByteArray workableMap()
{
    QByteArray bytes = toCrLf(readAll(fixturePath(QStringLiteral("gk5-pul42.map"))));
    bytes = replaceLine(bytes, 2, "C:\\maps\\gk5-pul42.jpg");
    return replaceLine(bytes, 46, "MMPXY,2,7,7");
}

// Every file of a folder by name with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        files.insert(name, readAll(folder + QLatin1Char('/') + name));
    return files;
}

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome runCli(const QStringList &args)
{
    const CliRun r = CliRun::run(args);
    return Outcome{r.exitCode, r.outText(), r.errText()};
}

} // namespace

class TestCliUtilities : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void runs_data();
    void runs();
    void usage_data();
    void usage();
};

void TestCliUtilities::initTestCase()
{
    QVERIFY2(QFileInfo::exists(qEnvironmentVariable("QUILLMARK_CLI")), "QUILLMARK_CLI is not set");
    QUILLMARK_REQUIRE_FIXTURES();
}

void TestCliUtilities::runs_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("badFirst");     // a.map is not a map file
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("done");      // the line on stdout
    QTest::addColumn<bool>("bChanged");     // b.map rewritten
    QTest::addColumn<bool>("listWritten");
    QTest::addColumn<QString>("summary"); // the line after "Done": how the files ended

    QTest::newRow("corners") << "corners" << QStringList() << false << 0 << "Done 2 map-files" << true << false << "Written 2, unchanged 0, skipped 0, failed 0";
    QTest::newRow("corners, bad file, continue") << "corners" << QStringList() << true << 1 << "Done 2 map-files" << true << false << "Written 1, unchanged 0, skipped 0, failed 1";
    QTest::newRow("corners, bad file, --on-error continue")
        << "corners" << QStringList{"--on-error", "continue"} << true << 1 << "Done 2 map-files" << true << false << "Written 1, unchanged 0, skipped 0, failed 1";
    QTest::newRow("corners, bad file, --on-error stop")
        << "corners" << QStringList{"--on-error", "stop"} << true << 1 << "Done 0 map-files" << false << false << "Written 0, unchanged 0, skipped 0, failed 1";
    QTest::newRow("corners, bad file, --on-error=stop")
        << "corners" << QStringList{"--on-error=stop"} << true << 1 << "Done 0 map-files" << false << false << "Written 0, unchanged 0, skipped 0, failed 1";
    QTest::newRow("list") << "list" << QStringList() << false << 0 << "Done 2 map-files" << false << true << "Written 0, unchanged 2, skipped 0, failed 0";
    QTest::newRow("list, bad file") << "list" << QStringList() << true << 1 << "Done 1 map-files" << false << true << "Written 0, unchanged 1, skipped 0, failed 1";
    QTest::newRow("list, bad file, stop") << "list" << QStringList{"--on-error", "stop"} << true << 1 << "" << false << false << "Written 0, unchanged 0, skipped 0, failed 1";
    QTest::newRow("strip-paths") << "strip-paths" << QStringList() << false << 0 << "Done 2 map-files" << true << false << "Written 2, unchanged 0, skipped 0, failed 0";
    QTest::newRow("strip-paths, bad file") << "strip-paths" << QStringList() << true << 1 << "Done 1 map-files" << true << false << "Written 1, unchanged 0, skipped 0, failed 1";
    QTest::newRow("strip-paths, bad file, stop")
        << "strip-paths" << QStringList{"--on-error", "stop"} << true << 1 << "Done 0 map-files" << false << false << "Written 0, unchanged 0, skipped 0, failed 1";
}

void TestCliUtilities::runs()
{
    QFETCH(QString, command);
    QFETCH(QStringList, options);
    QFETCH(bool, badFirst);
    QFETCH(int, exitCode);
    QFETCH(QString, done);
    QFETCH(bool, bChanged);
    QFETCH(bool, listWritten);
    QFETCH(QString, summary);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray map = workableMap();
    if (badFirst)
        copyFixture(dir.path(), QStringLiteral("noheader.map"), QStringLiteral("a.map"));
    else
        QVERIFY(writeAll(dir.filePath(QStringLiteral("a.map")), map));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("b.map")), map));

    const Outcome o = runCli(QStringList{command, dir.path()} + options);
    QCOMPARE(o.exitCode, exitCode);
    if (done.isEmpty())
        QVERIFY(!o.out.contains(QLatin1String("Done ")));
    else
        QVERIFY2(o.out.split(QLatin1Char('\n')).contains(done), qPrintable(o.out));
    QVERIFY2(o.out.split(QLatin1Char('\n')).contains(summary), qPrintable(o.out));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("b.map"))) != map, bChanged);
    QCOMPARE(QFileInfo::exists(dir.filePath(QStringLiteral("_MapList.csv"))), listWritten);
    if (badFirst) {
        QVERIFY2(o.err.contains(QLatin1String("Error: ")) && o.err.contains(QLatin1String("a.map")), qPrintable(o.err));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("a.map"))), readAll(fixturePath(QStringLiteral("noheader.map"))));
    }
}

void TestCliUtilities::usage_data()
{
    QTest::addColumn<QStringList>("args"); // "%DIR%" stands for an existing folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("corners, missing folder") << QStringList{"corners", "%DIR%/nowhere"} << 2 << "is not exist";
    QTest::newRow("list, missing folder") << QStringList{"list", "%DIR%/nowhere"} << 2 << "is not exist";
    QTest::newRow("strip-paths, missing folder") << QStringList{"strip-paths", "%DIR%/nowhere"} << 2 << "is not exist";
    QTest::newRow("no folder") << QStringList{"corners"} << 2 << "MAPS_DIR";
    QTest::newRow("two folders") << QStringList{"list", "%DIR%", "%DIR%"} << 2 << "MAPS_DIR";
    QTest::newRow("bad --on-error value") << QStringList{"corners", "%DIR%", "--on-error", "maybe"} << 2 << "--on-error";
    QTest::newRow("--on-error without value") << QStringList{"strip-paths", "%DIR%", "--on-error"} << 2 << "--on-error";
    QTest::newRow("unknown option") << QStringList{"list", "--fast", "%DIR%"} << 2 << "--fast";
    QTest::newRow("help") << QStringList{"corners", "--help"} << 0 << "";
    QTest::newRow("empty folder") << QStringList{"strip-paths", "%EMPTY%"} << 0 << "";
}

void TestCliUtilities::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stderrHas);
    // %DIR% holds maps each tool would change (and a list would be written
    // beside them) and a sheet image; %EMPTY% is an empty folder.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray map = workableMap();
    QVERIFY(writeAll(dir.filePath(QStringLiteral("N-37-001.map")), map));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("N-37-002.map")), map));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("N-37-001.jpg")), QByteArray("\xFF\xD8\xFF\xE0 not a whole image")));
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    for (QString &a : args) {
        a.replace(QLatin1String("%DIR%"), dir.path());
        a.replace(QLatin1String("%EMPTY%"), empty.path());
    }
    const QMap<QString, QByteArray> before = snapshot(dir.path());
    const Outcome o = runCli(args);
    QCOMPARE(o.exitCode, exitCode);
    if (!stderrHas.isEmpty())
        QVERIFY2(o.err.contains(stderrHas), qPrintable(o.err));
    else
        QVERIFY2(o.err.isEmpty(), qPrintable(o.err));
    if (args.contains(QLatin1String("--help")))
        QVERIFY(o.out.startsWith(QLatin1String("Usage: ")));
    // Nothing is written on a usage error (nor for --help): every file keeps its bytes.
    if (exitCode == 2 || args.contains(QLatin1String("--help")))
        QCOMPARE(snapshot(dir.path()), before);
    QCOMPARE(snapshot(empty.path()), (QMap<QString, QByteArray>()));
}

QTEST_GUILESS_MAIN(TestCliUtilities)
#include "tst_cli_utilities.moc"
