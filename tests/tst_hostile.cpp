// Hostile folders: names that stand for something other than a regular file,
// and files far too large to be map files. No tool may block on them or read
// without end; each is named in a message and the run goes on.

#include "common/CliRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
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

private:
    static QString fixture(const QString &name)
    {
        return QDir(qEnvironmentVariable("QUILLMARK_FIXTURES")).filePath(name);
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
    QVERIFY(QDir().mkpath(folder));
    // A good sheet beside the hostile one: its map must still be made or read.
    const QString source = qEnvironmentVariable("QUILLMARK_SOURCE_DIR");
    if (hostileName != QLatin1String("N-37-013.gif"))
        QVERIFY(QFile::copy(source + QStringLiteral("/examples/100K/N-37-013.gif"), folder + QStringLiteral("/N-37-013.gif")));
    QVERIFY(QFile::copy(source + QStringLiteral("/examples/100K/N-37-014.bmp"), folder + QStringLiteral("/N-37-014.bmp")));
    const QString good = fixture(QStringLiteral("real-maps/gk5-pul42.map"));
    if (!QFile::exists(good))
        QFAIL(qPrintable(QStringLiteral("missing fixture ") + good));
    if (tool != QLatin1String("create"))
        QVERIFY(QFile::copy(good, folder + QStringLiteral("/N-37-014.map")));

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

    QStringList arguments{tool, folder};
    if (tool == QLatin1String("create"))
        arguments << QStringLiteral("--scale") << QStringLiteral("1:100K") << QStringLiteral("--mask")
                  << QStringLiteral("R-CC-LLL");
    const CliRun run = CliRun::run(arguments, 30000);
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
    const QString good = fixture(QStringLiteral("real-maps/gk5-pul42.map"));
    if (!QFile::exists(good))
        QFAIL(qPrintable(QStringLiteral("missing fixture ") + good));
    QVERIFY(QFile::copy(good, dir.filePath(QStringLiteral("N-37-014.map"))));
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

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
