// Hostile folders: names that stand for something other than a regular file,
// and files far too large to be map files. No tool may block on them or read
// without end; each is named in a message and the run goes on.

#include "common/CliRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void toolsGoOn_data();
    void toolsGoOn();
    void readOnlyListIsKept_data();
    void readOnlyListIsKept();
    void noWriteOutOfTheFolder_data();
    void noWriteOutOfTheFolder();
    void lostOutputIsAnError_data();
    void lostOutputIsAnError();

private:
    static QString fixture(const QString &name)
    {
        return QDir(qEnvironmentVariable("QUILLMARK_FIXTURES")).filePath(name);
    }

    // One run of `tool` over `folder` (the map creator at 1:100K).
    static CliRun runTool(const QString &tool, const QString &folder)
    {
        QStringList arguments{tool, folder};
        if (tool == QLatin1String("create"))
            arguments << QStringLiteral("--scale") << QStringLiteral("1:100K") << QStringLiteral("--mask")
                      << QStringLiteral("R-CC-LLL");
        return CliRun::run(arguments, 30000);
    }

    // Puts into `folder` (made when missing) the sheet image N-37-013.gif
    // and a real map file, N-37-014.map, as asked.
    static bool fillFolder(const QString &folder, bool image, bool map)
    {
        const QString source = qEnvironmentVariable("QUILLMARK_SOURCE_DIR");
        return QDir().mkpath(folder)
            && (!image || QFile::copy(source + QStringLiteral("/examples/100K/N-37-013.gif"), folder + QStringLiteral("/N-37-013.gif")))
            && (!map || QFile::copy(fixture(QStringLiteral("real-maps/gk5-pul42.map")), folder + QStringLiteral("/N-37-014.map")));
    }
};

void TestHostile::toolsGoOn_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("hostileName"); // made in the folder
    QTest::addColumn<QString>("kind");        // fifo, zero, folder or huge
    QTest::addColumn<QString>("expected");    // in the tool's output

    const QString fifo = QStringLiteral("it is not a regular file but a FIFO (named pipe)");
    const QString device = QStringLiteral("it is not a regular file but a character device");
    const QString huge = QStringLiteral("it is too large for a map file (17 MB; the limit is 16 MB)");
    for (const char *tool : {"corners", "list", "strip-paths"}) {
        const QString t = QString::fromLatin1(tool);
        QTest::addRow("%s, map linked to a FIFO", tool) << t << "N-37-013.map" << "fifo" << "N-37-013.map\": " + fifo;
        QTest::addRow("%s, map linked to /dev/zero", tool) << t << "N-37-013.map" << "zero" << "N-37-013.map\": " + device;
        QTest::addRow("%s, map of 17 MB", tool) << t << "N-37-013.map" << "huge" << "N-37-013.map\": " + huge;
    }
    QTest::newRow("create, image linked to a FIFO") << "create" << "N-37-013.gif" << "fifo"
                                                    << "N-37-013.gif Cannot read the image: Cannot open";
    QTest::newRow("create, image linked to /dev/zero") << "create" << "N-37-013.gif" << "zero"
                                                       << "N-37-013.gif Cannot read the image: Cannot open";
    QTest::newRow("create, map linked to a FIFO") << "create" << "N-37-013.map" << "fifo" << "N-37-013.map\": " + fifo;
}

void TestHostile::toolsGoOn()
{
    QFETCH(QString, tool);
    QFETCH(QString, hostileName);
    QFETCH(QString, kind);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("maps"));
    // A good sheet beside the hostile one: its map must still be made or read.
    QVERIFY(fillFolder(folder, hostileName != QLatin1String("N-37-013.gif"), tool != QLatin1String("create")));
    QVERIFY(QFile::copy(qEnvironmentVariable("QUILLMARK_SOURCE_DIR") + QStringLiteral("/examples/100K/N-37-014.bmp"),
                        folder + QStringLiteral("/N-37-014.bmp")));

    const QString hostile = folder + QLatin1Char('/') + hostileName;
    if (kind == QLatin1String("fifo")) {
        const QString fifo = dir.filePath(QStringLiteral("pipe"));
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY(QFile::link(fifo, hostile));
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), hostile));
    } else {
        QFile file(hostile); // sparse: no disk space is used
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(17) * 1024 * 1024 + 12345));
    }

    const CliRun run = runTool(tool, folder);
    const QString output = run.outText() + run.errText();
    QVERIFY2(run.exitCode != -1, "the tool did not finish within 30 s");
    QVERIFY2(output.contains(expected), qPrintable(output));
    QVERIFY2(output.contains(QLatin1String("Done ")), qPrintable(output));
    QCOMPARE(run.exitCode, 1);
    // The good sheet was done: the map creator wrote its map; the utilities
    // read it (the map list names it).
    if (tool == QLatin1String("create"))
        QVERIFY(QFile::exists(folder + QStringLiteral("/N-37-014.map")));
    if (tool == QLatin1String("list")) {
        QFile list(folder + QStringLiteral("/_MapList.csv"));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QVERIFY(list.readAll().contains("N-37-014"));
    }
}

void TestHostile::readOnlyListIsKept_data()
{
    // Root may write any file: the list must be refused by its mode, as a
    // read-only map file is, not by what the file system lets root do.
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("kept");
    QTest::newRow("read-only list") << 0444 << true;
    QTest::newRow("list readable by its owner only") << 0400 << true;
    QTest::newRow("writable list") << 0644 << false;
}

void TestHostile::readOnlyListIsKept()
{
    QFETCH(int, mode);
    QFETCH(bool, kept);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(fillFolder(dir.path(), false, true));
    const QString list = dir.filePath(QStringLiteral("_MapList.csv"));
    const QByteArray old = "an old list\r\n";
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }
    QVERIFY(::chmod(QFile::encodeName(list).constData(), mode_t(mode)) == 0);

    const CliRun run = CliRun::run({QStringLiteral("list"), dir.path()}, 30000);
    const QString output = run.outText() + run.errText();
    QFile file(list);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray now = file.readAll();
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(list).constData(), &st) == 0);
    if (kept) {
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(output.contains(QStringLiteral("Cannot write ") + list + QStringLiteral(": the file is read-only")),
                 qPrintable(output));
        QCOMPARE(now, old);
        QCOMPARE(int(st.st_mode & 07777), mode);
    } else {
        QCOMPARE(run.exitCode, 0);
        QVERIFY(now.contains("N-37-014"));
    }
}

// A tool writes only inside the folder it was given: a map file or list there
// that is a link leading out of it, or nowhere, is left alone and named; a
// link that stays inside is written through. No message quotes a file that is
// not a map.
void TestHostile::noWriteOutOfTheFolder_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("linkName");  // in the folder
    QTest::addColumn<QString>("target");    // "outside/..." or "maps/..." (made), "outside/none" (missing)
    QTest::addColumn<QByteArray>("content"); // of the target: "map" for a map whose corners are to be set
    QTest::addColumn<QString>("expected");  // in the output; empty: the target is written through

    const QString outside = QStringLiteral("outside its folder");
    const QByteArray map = "map";
    QTest::newRow("list through _MapList.csv") << "list" << "_MapList.csv" << "outside/list.csv"
                                               << QByteArray("precious\r\n") << outside;
    QTest::newRow("corners through a map") << "corners" << "N-37-015.map" << "outside/N-37-015.map" << map << outside;
    QTest::newRow("strip-paths through a map") << "strip-paths" << "N-37-015.map" << "outside/N-37-015.map" << map
                                               << outside;
    QTest::newRow("create through a map") << "create" << "N-37-013.map" << "outside/N-37-013.map" << map << outside;
    QTest::newRow("create through a dangling link") << "create" << "N-37-013.map" << "outside/none" << QByteArray()
                                                    << "which does not exist";
    QTest::newRow("create through a link to a text")
        << "create" << "N-37-013.map" << "outside/notes.txt" << QByteArray("first line\r\nSECRET second line\r\n")
        << "is not an OziExplorer map file";
    QTest::newRow("corners through a link inside") << "corners" << "N-37-015.map" << "maps/sub/real.map" << map
                                                   << QString();
}

void TestHostile::noWriteOutOfTheFolder()
{
    QFETCH(QString, tool);
    QFETCH(QString, linkName);
    QFETCH(QString, target);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("maps"));
    QVERIFY(fillFolder(folder, true, true));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("outside"))));

    // A map whose corner markers and image path would both be rewritten.
    if (content == "map") {
        QFile file(folder + QStringLiteral("/N-37-014.map"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        content = file.readAll().replace("MMPXY,2,120,0", "MMPXY,2,7,7").replace("gk5-pul42.jpg", "C:\\scans\\gk5-pul42.jpg");
    }
    const QString targetPath = dir.filePath(target);
    if (!content.isEmpty()) {
        QFile file(targetPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QVERIFY(QFile::link(targetPath, folder + QLatin1Char('/') + linkName));

    const CliRun run = runTool(tool, folder);
    const QString output = run.outText() + run.errText();
    QFile after(targetPath);
    if (content.isEmpty()) {
        QVERIFY2(!after.exists(), "a file was made where the dangling link points");
    } else {
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll() == content, !expected.isEmpty());
    }
    QVERIFY(QFileInfo(folder + QLatin1Char('/') + linkName).isSymLink());
    QVERIFY2(!output.contains(QLatin1String("SECRET")), qPrintable(output));
    if (expected.isEmpty()) {
        QVERIFY2(run.exitCode == 0, qPrintable(output));
    } else {
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(output.contains(linkName) && output.contains(expected), qPrintable(output));
    }
}

// What a command prints is lost on a full disk: that is an error (exit code
// 1 with a message), never a success.
void TestHostile::lostOutputIsAnError_data()
{
    QTest::addColumn<QStringList>("arguments"); // {maps}: a folder with a map file and its sheet image
    QTest::addColumn<bool>("stdoutFull");       // standard output goes to /dev/full
    QTest::addColumn<QString>("expected");      // on standard error

    const QString lost = QStringLiteral("quillmark-cli: cannot write the output");
    QTest::newRow("info --json") << QStringList{"info", "--json", "{maps}/N-37-013.gif"} << true << lost;
    QTest::newRow("info") << QStringList{"info", "{maps}/N-37-013.gif"} << true << lost;
    QTest::newRow("sheet") << QStringList{"sheet", "N-37-013"} << true << lost;
    QTest::newRow("coverage") << QStringList{"coverage", "{maps}"} << true << lost;
    QTest::newRow("corners") << QStringList{"corners", "{maps}"} << true << lost;
    QTest::newRow("list") << QStringList{"list", "{maps}"} << true << lost;
    QTest::newRow("create") << QStringList{"create", "{maps}", "--scale", "1:100K"} << true << lost;
    QTest::newRow("--help") << QStringList{"--help"} << true << lost;
    // A device of its own, not /dev/full: a build that replaced the file
    // named by -o (as it once did, for root) would replace the system's.
    QTest::newRow("coverage -o a full device") << QStringList{"coverage", "{maps}", "-o", "{maps}/full"} << false
                                               << "/full: No space left on device";
}

void TestHostile::lostOutputIsAnError()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, stdoutFull);
    QFETCH(QString, expected);
    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        QSKIP("no /dev/full here");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(fillFolder(dir.path(), true, true));
    arguments.replaceInStrings(QStringLiteral("{maps}"), dir.path());
    if (arguments.contains(dir.filePath(QStringLiteral("full")))
        && ::mknod(QFile::encodeName(dir.filePath(QStringLiteral("full"))).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        QSKIP("cannot make a device node here (not root)");

    const CliRun run = CliRun::run(arguments, 30000, stdoutFull ? QStringLiteral("/dev/full") : QString());
    QVERIFY2(run.errText().contains(expected), qPrintable(run.errText()));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(!run.outText().contains(QLatin1String("sheets written")));
    if (arguments.contains(dir.filePath(QStringLiteral("full"))))
        QVERIFY2(!QFileInfo(dir.filePath(QStringLiteral("full"))).isFile(), "the device was replaced by a file");
}

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
