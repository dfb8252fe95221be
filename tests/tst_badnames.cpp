// File names that are not valid in the file system's encoding: Windows-1251
// bytes in a name, as archives made on Windows leave them when unpacked on a
// system whose names are UTF-8. No such name can be opened through its decoded
// text; every tool that walks a folder names each in a failure and goes on
// with the other files.

#include "common/CliRun.h"
#include "common/RecordingObserver.h"
#include "tools/CornerMarkersRun.h"
#include "tools/FolderListing.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "tools/MapListRun.h"
#include "tools/PathRemoverRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A temporary folder that is removed through the raw bytes of its names:
// QTemporaryDir lists the folder by decoded names and cannot remove the
// files this test makes.
struct Scratch
{
    QTemporaryDir dir;
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(QFile::encodeName(dir.path()).toStdString()), ignored);
    }
};

// "N-37-" then "Па" (Windows-1251 0xCF 0xE0), which is not UTF-8.
const QByteArray kBadStem("N-37-\xCF\xE0");

// Makes a file under a raw byte name (QFile would encode a QString name).
bool createRaw(const QString &folder, const QByteArray &rawName, const QByteArray &bytes)
{
    const QByteArray path = QFile::encodeName(folder) + '/' + rawName;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    return ::close(fd) == 0 && written;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString fixture(const QString &name)
{
    return QDir(qEnvironmentVariable("QUILLMARK_FIXTURES")).filePath(name);
}

QString example(const QString &name)
{
    return qEnvironmentVariable("QUILLMARK_SOURCE_DIR") + QStringLiteral("/examples/100K/") + name;
}

// Records the outcome of every file as well.
class OutcomeObserver : public RecordingObserver
{
public:
    QStringList outcomes; // "name: Failed: text" or "name: Written" ...

    void fileResult(const QString &fileName, FileOutcome outcome, const QString &text) override
    {
        static const char *const kNames[] = {"Written", "Unchanged", "Skipped", "Failed", "Warning", "FromMargins"};
        QString line = fileName + QStringLiteral(": ") + QLatin1String(kNames[int(outcome)]);
        if (outcome == FileOutcome::Failed)
            line += QStringLiteral(": ") + text;
        outcomes.append(line);
    }
};

// A folder for `tool`: one good file and one whose name cannot be read. The
// map utilities get a real map file (N-37-014.map) and a copy under the bad
// name; the map creator two sheet images, N-37-014.bmp and one under the bad name.
// `badName` receives the bad file's name as the tools show it.
bool makeFolder(const QString &folder, const QString &tool, QString &badName)
{
    if (!QDir().mkpath(folder))
        return false;
    if (tool == QLatin1String("create")) {
        badName = QStringLiteral("N-37-\\xCF\\xE0.bmp");
        return QFile::copy(example(QStringLiteral("N-37-014.bmp")), folder + QStringLiteral("/N-37-014.bmp"))
            && createRaw(folder, kBadStem + ".bmp", readAll(example(QStringLiteral("N-37-014.bmp"))));
    }
    badName = QStringLiteral("N-37-\\xCF\\xE0.map");
    const QByteArray map = readAll(fixture(QStringLiteral("real-maps/gk5-pul42.map")));
    if (map.isEmpty())
        return false;
    QFile good(folder + QStringLiteral("/N-37-014.map"));
    return good.open(QIODevice::WriteOnly) && good.write(map) == map.size() && createRaw(folder, kBadStem + ".map", map);
}

QString messageFor(const QString &folder, const QString &badName)
{
    return QStringLiteral("Cannot read the name of file ") + badName + QStringLiteral(" in folder ") + folder
        + QStringLiteral(" (read as Windows-1251: N-37-") + QString::fromUtf8("Па") + badName.right(4) + QLatin1Char(')');
}

} // namespace

class TestBadNames : public QObject
{
    Q_OBJECT

private slots:
    // The listing gives the readable names and, apart, the unreadable ones shown
    // with their bytes escaped; a hidden or folder entry is left out as ever.
    void listing()
    {
        Scratch scratch;
        QTemporaryDir &dir = scratch.dir;
        QVERIFY(dir.isValid());
        QVERIFY(createRaw(dir.path(), "b.map", "x"));
        QVERIFY(createRaw(dir.path(), "a\xFF\\.map", "x"));
        QVERIFY(createRaw(dir.path(), "\xC0.jpg", "x"));
        QVERIFY(createRaw(dir.path(), ".\xC0hidden", "x"));
        QVERIFY(createRaw(dir.path(), QString::fromUtf8("Карта.map").toUtf8(), "x"));
        QVERIFY(::mkdir((QFile::encodeName(dir.path()) + "/\xC1" "folder").constData(), 0755) == 0);
        QStringList unreadable;
        QCOMPARE(FolderListing::files(dir.path(), &unreadable),
                 (QStringList{QStringLiteral("b.map"), QString::fromUtf8("Карта.map")}));
        QCOMPARE(unreadable, (QStringList{QStringLiteral("\\xC0.jpg"), QStringLiteral("a\\xFF\\x5C.map")}));
    }

    // Through the command line: the failure is printed, the good file is done,
    // the exit status says a file failed.
    void commandLine_data()
    {
        QTest::addColumn<QString>("tool");
        for (const char *tool : {"create", "list", "corners", "strip-paths", "check", "coverage"})
            QTest::newRow(tool) << QString::fromLatin1(tool);
    }
    void commandLine()
    {
        QFETCH(QString, tool);
        Scratch scratch;
        QTemporaryDir &dir = scratch.dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("maps"));
        QString badName;
        QVERIFY(makeFolder(folder, tool, badName));
        QStringList arguments{tool, folder};
        if (tool == QLatin1String("create"))
            arguments << QStringLiteral("--scale") << QStringLiteral("1:100K") << QStringLiteral("--mask")
                      << QStringLiteral("R-CC-LLL");
        const CliRun run = CliRun::run(arguments, 60000);
        const QString output = run.outText() + run.errText();
        QVERIFY2(output.contains(messageFor(folder, badName)), qPrintable(output));
        QCOMPARE(run.exitCode, 1);
        if (tool == QLatin1String("check"))
            QVERIFY2(run.outText().startsWith(QStringLiteral("N-37-014.map\t")), qPrintable(output));
        else if (tool == QLatin1String("coverage"))
            QVERIFY2(run.outText().contains(QStringLiteral("\"N-37-014.map\"")), qPrintable(output));
        else
            QVERIFY2(output.contains(QStringLiteral("Done 1 map-files")), qPrintable(output));
        if (tool == QLatin1String("create"))
            QVERIFY(readAll(folder + QStringLiteral("/N-37-014.map")).startsWith("OziExplorer Map Data File"));
        if (tool == QLatin1String("list"))
            QVERIFY(readAll(folder + QStringLiteral("/_MapList.csv")).contains("N-37-014"));
        // The file under the bad name is as it was, and no map was made for it.
        const QByteArray rawFolder = QFile::encodeName(folder) + '/';
        struct stat st;
        QVERIFY(::stat((rawFolder + kBadStem + (tool == QLatin1String("create") ? ".bmp" : ".map")).constData(), &st) == 0);
        if (tool == QLatin1String("create"))
            QVERIFY(::stat((rawFolder + kBadStem + ".map").constData(), &st) != 0);
    }

    // What the desktop window lists: the bad file failed with the message, the
    // good one has its own outcome; the run asks whether to go on after it.
    void observer_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("good");
        QTest::newRow("create") << "create" << "N-37-014.bmp";
        QTest::newRow("list") << "list" << "N-37-014.map";
        QTest::newRow("corners") << "corners" << "N-37-014.map";
        QTest::newRow("strip-paths") << "strip-paths" << "N-37-014.map";
    }
    void observer()
    {
        QFETCH(QString, tool);
        QFETCH(QString, good);
        Scratch scratch;
        QTemporaryDir &dir = scratch.dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(QStringLiteral("maps"));
        QString badName;
        QVERIFY(makeFolder(folder, tool, badName));
        OutcomeObserver observer;
        RunResult result;
        if (tool == QLatin1String("create")) {
            MapCreatorOptions options;
            options.inFolder = folder;
            options.outFolder = folder;
            options.scaleText = QStringLiteral("1:100K");
            options.maskText = QStringLiteral("R-CC-LLL");
            result = MapCreatorRun::run(options, observer);
        } else if (tool == QLatin1String("list")) {
            result = MapListRun::run(folder, observer);
        } else if (tool == QLatin1String("corners")) {
            result = CornerMarkersRun::run(folder, observer);
        } else {
            result = PathRemoverRun::run(folder, observer);
        }
        const QString failure = badName + QStringLiteral(": Failed: ") + messageFor(folder, badName);
        QVERIFY2(!observer.outcomes.filter(failure).isEmpty(), qPrintable(observer.outcomes.join(QLatin1Char('\n'))));
        const QStringList goodOutcomes = observer.outcomes.filter(good + QStringLiteral(": "));
        QVERIFY2(goodOutcomes.size() == 1 && !goodOutcomes.first().contains(QLatin1String("Failed")),
                 qPrintable(observer.outcomes.join(QLatin1Char('\n'))));
        QCOMPARE(result.failed, 1);
        QCOMPARE(result.count, 1);
        QCOMPARE(observer.questions.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestBadNames)
#include "tst_badnames.moc"
