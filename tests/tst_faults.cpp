// What users' folders do to a run: read-only folders and files, files that go
// away while the run walks the folder, a full disk, a killed process, junk,
// symbolic links and unreadable files. In every case the user is told which
// file failed, the run goes on or stops as answered, and no file is left
// half-written or changed when it should not be.
#include "common/RecordingObserver.h"
#include "common/SheetImages.h"
#include "tools/CornerMarkersRun.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "tools/MapFileNames.h"
#include "tools/MapListRun.h"
#include "tools/PathRemoverRun.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A folder's files by name with their bytes.
using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const QString &folder)
{
    Snapshot s;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        QFile f(folder + QLatin1Char('/') + name);
        s.insert(name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return s;
}

QByteArray readFile(const QString &path)
{
    return SheetImages::read(path);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    return SheetImages::write(path, bytes);
}

// Lets the unprivileged user of the read-only cases into a folder (and write there when asked).
void openUp(const QString &path, bool writable = true)
{
    QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    if (writable)
        p |= QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QFile::setPermissions(path, p);
}

struct CliResult
{
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
};

// The program as user 65534 can run it: the built one when every folder above
// it may be entered by others, else a copy in the temporary folder (a build
// tree under /root, say, is closed to other users).
QString unprivilegedProgram()
{
    static const QString program = [] {
        const QString built = qEnvironmentVariable("QUILLMARK_CLI");
        bool reachable = true;
        for (QDir dir(QFileInfo(built).absolutePath());;) {
            if (!(QFileInfo(dir.absolutePath()).permissions() & QFileDevice::ExeOther))
                reachable = false;
            if (!dir.cdUp())
                break;
        }
        if (reachable)
            return built;
        static QTemporaryDir copyDir(QDir::tempPath() + QStringLiteral("/quillmark-cli-XXXXXX"));
        const QString copy = copyDir.filePath(QStringLiteral("quillmark-cli"));
        const QFileDevice::Permissions open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        if (!copyDir.isValid() || !QFile::setPermissions(copyDir.path(), open) || !QFile::copy(built, copy)
            || !QFile::setPermissions(copy, open))
            return QString();
        return copy;
    }();
    return program;
}

// Runs quillmark-cli. `unprivileged` runs it as user 65534 when the test runs
// as root (root ignores permission bits); `fileSizeLimit` caps the size of every
// file it writes, as a full disk would, with SIGXFSZ ignored so a write fails instead.
CliResult runCli(const QStringList &args, bool unprivileged = false, qint64 fileSizeLimit = -1)
{
    QProcess p;
    QString program = qEnvironmentVariable("QUILLMARK_CLI");
    QStringList arguments = args;
    if (unprivileged && ::geteuid() == 0) {
        arguments.prepend(unprivilegedProgram());
        arguments = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups")}
            + arguments;
        program = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    }
    if (fileSizeLimit >= 0) {
        p.setChildProcessModifier([fileSizeLimit] {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit;
            limit.rlim_cur = rlim_t(fileSizeLimit);
            limit.rlim_max = rlim_t(fileSizeLimit);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    p.start(program, arguments);
    CliResult r;
    if (!p.waitForStarted(30000) || !p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        r.crashed = true;
        r.err = QStringLiteral("did not start or finish");
        return r;
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QString describe(const CliResult &r)
{
    return QStringLiteral("exit %1%2\nstdout: %3\nstderr: %4")
        .arg(r.exitCode)
        .arg(r.crashed ? QStringLiteral(" (crashed)") : QString())
        .arg(r.out.left(2000), r.err.left(2000));
}

// Whether the read-only cases can run: as a plain user always; as root only
// through setpriv.
bool canRunUnprivileged(QString &why)
{
    if (::geteuid() != 0)
        return true;
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        why = QStringLiteral("running as root without setpriv (util-linux): permission bits cannot be tested");
        return false;
    }
    // The unprivileged user must reach the temporary folders and the program.
    if (unprivilegedProgram().isEmpty()) {
        why = QStringLiteral("the program cannot be copied where user 65534 can run it");
        return false;
    }
    for (QString path : {QDir::tempPath(), QFileInfo(unprivilegedProgram()).absolutePath()}) {
        for (QDir dir(path);; ) {
            if (!(QFileInfo(dir.absolutePath()).permissions() & QFileDevice::ExeOther)) {
                why = QStringLiteral("user 65534 cannot enter %1: permission bits cannot be tested").arg(dir.absolutePath());
                return false;
            }
            if (!dir.cdUp())
                break;
        }
    }
    return true;
}

// Three sheet images at 1:100K whose maps the cases make and change.
const QStringList kSheets{QStringLiteral("N-37-001"), QStringLiteral("N-37-002"), QStringLiteral("N-37-003")};

void makeImages(const QString &folder, const QStringList &sheets = kSheets)
{
    QDir().mkpath(folder);
    for (const QString &s : sheets)
        writeFile(folder + QLatin1Char('/') + s + QStringLiteral(".jpg"), SheetImages::jpeg(1200, 1000));
}

// Map files for `sheets` in `maps`, written by the creator with wide margins, with
// an image path that has a folder and a wrong first corner marker: each of
// create (default margins), corners and strip-paths changes every one of them.
bool makeStaleMaps(const QString &scratch, const QString &maps, const QStringList &sheets = kSheets)
{
    const QString images = scratch + QStringLiteral("/stale-images");
    makeImages(images, sheets);
    QDir().mkpath(maps);
    const CliResult r = runCli({QStringLiteral("create"), images, QStringLiteral("--out"), maps,
                                QStringLiteral("--margins"), QStringLiteral("10,10,10")});
    if (r.exitCode != 0)
        return false;
    for (const QString &s : sheets) {
        const QString path = maps + QLatin1Char('/') + s + QStringLiteral(".map");
        QList<QByteArray> lines = readFile(path).split('\n');
        if (lines.size() < 10)
            return false;
        lines[2] = "C:\\Scans\\" + s.toLatin1() + ".jpg\r";
        for (QByteArray &line : lines) {
            if (line.startsWith("MMPXY,1,"))
                line = "MMPXY,1,1,1\r";
        }
        if (!writeFile(path, lines.join('\n')))
            return false;
    }
    return true;
}

bool isTempName(const QString &name)
{
    return name.endsWith(QLatin1String(".tmp"));
}

// Runs a utility or the creator in-process on `folder` (images and maps together).
RunResult runTool(const QString &tool, const QString &folder, RunObserver &observer)
{
    if (tool == QLatin1String("corners"))
        return CornerMarkersRun::run(folder, observer);
    if (tool == QLatin1String("list"))
        return MapListRun::run(folder, observer);
    if (tool == QLatin1String("strip-paths"))
        return PathRemoverRun::run(folder, observer);
    MapCreatorOptions options;
    options.inFolder = folder;
    options.outFolder = folder;
    options.scaleText = QStringLiteral("1:100K");
    options.maskText = QStringLiteral("R-CC-LLL");
    return MapCreatorRun::run(options, observer);
}

// Deletes a file of the folder just before the run reaches it.
class DeletingObserver : public RecordingObserver
{
public:
    QString folder;
    QString victim;
    bool deleted = false;

    void progress(int index, int total, const QString &fileName) override
    {
        RecordingObserver::progress(index, total, fileName);
        if (fileName == victim)
            deleted = QFile::remove(folder + QLatin1Char('/') + fileName);
    }
};

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void readOnlyFolder_data();
    void readOnlyFolder();
    void readOnlyMapFile_data();
    void readOnlyMapFile();
    void unreadableMapFile_data();
    void unreadableMapFile();
    void fileDisappears_data();
    void fileDisappears();
    void diskFull_data();
    void diskFull();
    void killedMidRun_data();
    void killedMidRun();
    void junkFolder_data();
    void junkFolder();
    void symbolicLinkMap_data();
    void symbolicLinkMap();
    void controlCharactersNotPrinted_data();
    void controlCharactersNotPrinted();
};

// --- read-only ---------------------------------------------------------------------------

void TestFaults::readOnlyFolder_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("onError");
    QTest::addColumn<int>("namedFailures"); // files the messages name

    QTest::newRow("create, continue") << "create" << "continue" << 3;
    QTest::newRow("create, stop") << "create" << "stop" << 1;
    QTest::newRow("corners, continue") << "corners" << "continue" << 3;
    QTest::newRow("corners, stop") << "corners" << "stop" << 1;
    QTest::newRow("strip-paths, continue") << "strip-paths" << "continue" << 3;
    QTest::newRow("strip-paths, stop") << "strip-paths" << "stop" << 1;
    QTest::newRow("list") << "list" << "continue" << 0;
}

void TestFaults::readOnlyFolder()
{
    QFETCH(QString, command);
    QFETCH(QString, onError);
    QFETCH(int, namedFailures);
    QString why;
    if (!canRunUnprivileged(why))
        QSKIP(qPrintable(why));

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    openUp(tmp.path());
    const QString images = tmp.filePath(QStringLiteral("images"));
    const QString maps = tmp.filePath(QStringLiteral("maps"));
    makeImages(images);
    QVERIFY(makeStaleMaps(tmp.path(), maps));
    openUp(images);
    openUp(maps, false); // read-only folder
    const Snapshot before = snapshot(maps);

    QStringList args{command};
    if (command == QLatin1String("create"))
        args << images << QStringLiteral("--out") << maps;
    else
        args << maps;
    args << QStringLiteral("--on-error") << onError;
    const CliResult r = runCli(args, true);
    openUp(maps);

    QVERIFY2(!r.crashed, qPrintable(describe(r)));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(snapshot(maps), before); // nothing changed, nothing left behind
    int named = 0;
    for (const QString &s : kSheets) {
        if (r.err.contains(s))
            ++named;
    }
    QVERIFY2(named == namedFailures, qPrintable(describe(r)));
    if (command == QLatin1String("list"))
        QVERIFY2(r.err.contains(QStringLiteral("_MapList.csv")), qPrintable(describe(r)));
    QVERIFY2(r.err.contains(QStringLiteral("Error")), qPrintable(describe(r)));
    if (onError == QLatin1String("stop"))
        QVERIFY2(r.err.contains(QStringLiteral("Cancel")), qPrintable(describe(r)));
}

void TestFaults::readOnlyMapFile_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("onError");
    QTest::addColumn<int>("readOnly"); // index into kSheets

    for (const char *command : {"create", "corners", "strip-paths"}) {
        QTest::addRow("%s, continue past the middle file", command) << command << "continue" << 1;
        QTest::addRow("%s, stop at the first file", command) << command << "stop" << 0;
    }
}

void TestFaults::readOnlyMapFile()
{
    QFETCH(QString, command);
    QFETCH(QString, onError);
    QFETCH(int, readOnly);
    QString why;
    if (!canRunUnprivileged(why))
        QSKIP(qPrintable(why));

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    openUp(tmp.path());
    const QString images = tmp.filePath(QStringLiteral("images"));
    const QString maps = tmp.filePath(QStringLiteral("maps"));
    makeImages(images);
    QVERIFY(makeStaleMaps(tmp.path(), maps));
    openUp(images);
    openUp(maps);
    for (const QString &s : kSheets)
        QFile::setPermissions(maps + QLatin1Char('/') + s + QStringLiteral(".map"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                  | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther);
    const QString lockedName = kSheets.at(readOnly) + QStringLiteral(".map");
    const QString locked = maps + QLatin1Char('/') + lockedName;
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const Snapshot before = snapshot(maps);

    QStringList args{command};
    if (command == QLatin1String("create"))
        args << images << QStringLiteral("--out") << maps;
    else
        args << maps;
    args << QStringLiteral("--on-error") << onError;
    const CliResult r = runCli(args, true);
    const Snapshot after = snapshot(maps);

    QVERIFY2(!r.crashed, qPrintable(describe(r)));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(lockedName), qPrintable(describe(r)));
    QCOMPARE(after.keys(), before.keys()); // no temporary file left behind
    QCOMPARE(after.value(lockedName), before.value(lockedName));
    QVERIFY(!QFileInfo(locked).isWritable() || ::geteuid() == 0);
    for (int i = 0; i < kSheets.size(); ++i) {
        if (i == readOnly)
            continue;
        const QString name = kSheets.at(i) + QStringLiteral(".map");
        // Continue: the others are done; stop at the first: nothing after it is touched.
        const bool shouldChange = onError == QLatin1String("continue");
        QVERIFY2((after.value(name) != before.value(name)) == shouldChange, qPrintable(name + describe(r)));
        if (!shouldChange)
            QVERIFY2(!r.err.contains(kSheets.at(i)), qPrintable(describe(r)));
    }
}

void TestFaults::unreadableMapFile_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"create", "corners", "strip-paths", "list"})
        QTest::newRow(command) << command;
}

void TestFaults::unreadableMapFile()
{
    QFETCH(QString, command);
    QString why;
    if (!canRunUnprivileged(why))
        QSKIP(qPrintable(why));

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    openUp(tmp.path());
    const QString images = tmp.filePath(QStringLiteral("images"));
    const QString maps = tmp.filePath(QStringLiteral("maps"));
    makeImages(images);
    QVERIFY(makeStaleMaps(tmp.path(), maps));
    openUp(images);
    openUp(maps);
    for (const QString &s : kSheets)
        QFile::setPermissions(maps + QLatin1Char('/') + s + QStringLiteral(".map"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                                  | QFileDevice::WriteOther);
    const QString hiddenName = kSheets.at(1) + QStringLiteral(".map");
    const QString hidden = maps + QLatin1Char('/') + hiddenName;
    QVERIFY(QFile::setPermissions(hidden, QFileDevice::WriteOwner | QFileDevice::WriteOther));
    const QFile::Permissions permsBefore = QFileInfo(hidden).permissions();
    const Snapshot before = snapshot(maps); // root still reads it

    QStringList args{command};
    if (command == QLatin1String("create"))
        args << images << QStringLiteral("--out") << maps;
    else
        args << maps;
    const CliResult r = runCli(args, true);
    const Snapshot after = snapshot(maps);

    QVERIFY2(!r.crashed, qPrintable(describe(r)));
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(hiddenName), qPrintable(describe(r)));
    QCOMPARE(after.value(hiddenName), before.value(hiddenName));
    QCOMPARE(QFileInfo(hidden).permissions(), permsBefore);
    if (command == QLatin1String("list")) {
        const QByteArray list = after.value(QStringLiteral("_MapList.csv"));
        QVERIFY(list.contains(kSheets.at(0).toLatin1() + ".map"));
        QVERIFY(!list.contains(hiddenName.toLatin1()));
        QVERIFY(list.contains(kSheets.at(2).toLatin1() + ".map"));
    } else {
        for (int i : {0, 2}) {
            const QString name = kSheets.at(i) + QStringLiteral(".map");
            QVERIFY2(after.value(name) != before.value(name), qPrintable(name + describe(r)));
        }
        QCOMPARE(after.keys(), before.keys());
    }
}

// --- files that go away ------------------------------------------------------------------

void TestFaults::fileDisappears_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("victim");
    QTest::addColumn<bool>("goOn"); // the answer to the continue question
    for (bool goOn : {true, false}) {
        const char *answer = goOn ? "OK" : "Cancel";
        QTest::addRow("create: an image, %s", answer) << "create" << "N-37-002.jpg" << goOn;
        QTest::addRow("corners: a map, %s", answer) << "corners" << "N-37-002.map" << goOn;
        QTest::addRow("strip-paths: a map, %s", answer) << "strip-paths" << "N-37-002.map" << goOn;
        QTest::addRow("list: a map, %s", answer) << "list" << "N-37-002.map" << goOn;
    }
}

void TestFaults::fileDisappears()
{
    QFETCH(QString, tool);
    QFETCH(QString, victim);
    QFETCH(bool, goOn);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString folder = tmp.filePath(QStringLiteral("work"));
    if (tool == QLatin1String("create"))
        makeImages(folder);
    else
        QVERIFY(makeStaleMaps(tmp.path(), folder));
    const Snapshot before = snapshot(folder);

    DeletingObserver observer;
    observer.folder = folder;
    observer.victim = victim;
    observer.answers = {goOn};
    const RunResult result = runTool(tool, folder, observer);
    QVERIFY(observer.deleted);

    const QString victimBase = QFileInfo(victim).completeBaseName();
    int naming = 0;
    for (const RecordingObserver::Message &m : observer.messages) {
        if (m.caption == QLatin1String("Error"))
            QVERIFY2(m.text.contains(victimBase), qPrintable(m.text));
        if (m.text.contains(victimBase))
            ++naming;
    }
    QVERIFY2(naming == 1, qPrintable(observer.texts().join(QLatin1Char('\n'))));
    QCOMPARE(result.failed, 1);
    QCOMPARE(result.cancelled, !goOn);
    QCOMPARE(observer.questions.size(), 1);

    const Snapshot after = snapshot(folder);
    QVERIFY(!after.contains(victim));
    if (!goOn) {
        // Stopped at the question: the file after it is as it was, and a
        // cancelled list run leaves no list.
        if (tool == QLatin1String("create"))
            QVERIFY(!after.contains(QStringLiteral("N-37-003.map")));
        else
            QCOMPARE(after.value(QStringLiteral("N-37-003.map")), before.value(QStringLiteral("N-37-003.map")));
        QVERIFY(!after.contains(QStringLiteral("_MapList.csv")));
        // The file before it was done.
        if (tool == QLatin1String("create"))
            QVERIFY(after.contains(QStringLiteral("N-37-001.map")));
        else if (tool != QLatin1String("list"))
            QVERIFY(after.value(QStringLiteral("N-37-001.map")) != before.value(QStringLiteral("N-37-001.map")));
        return;
    }
    // The run went on: the files after it were done as well.
    if (tool == QLatin1String("create")) {
        QVERIFY(!after.contains(QStringLiteral("N-37-002.map")));
        QVERIFY(after.value(QStringLiteral("N-37-003.map")).startsWith("OziExplorer Map Data File"));
    } else if (tool == QLatin1String("list")) {
        const QByteArray list = after.value(QStringLiteral("_MapList.csv"));
        QVERIFY(list.contains("N-37-003.map"));
        QVERIFY(!list.contains("N-37-002.map"));
    } else {
        QVERIFY(after.value(QStringLiteral("N-37-003.map")) != before.value(QStringLiteral("N-37-003.map")));
    }
    for (const QString &name : after.keys())
        QVERIFY2(!isTempName(name), qPrintable(name));
}

// --- a full disk ---------------------------------------------------------------------------

void TestFaults::diskFull_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("existing"); // maps there before the run
    QTest::newRow("create new maps") << "create" << false;
    QTest::newRow("create over old maps") << "create" << true;
    QTest::newRow("corners") << "corners" << true;
    QTest::newRow("strip-paths") << "strip-paths" << true;
    QTest::newRow("list") << "list" << true;
}

void TestFaults::diskFull()
{
    QFETCH(QString, command);
    QFETCH(bool, existing);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString images = tmp.filePath(QStringLiteral("images"));
    const QString maps = tmp.filePath(QStringLiteral("maps"));
    makeImages(images);
    if (existing)
        QVERIFY(makeStaleMaps(tmp.path(), maps));
    else
        QDir().mkpath(maps);
    const QByteArray oldList = "Edit;List name\r\nold list\r\n";
    if (command == QLatin1String("list"))
        QVERIFY(writeFile(maps + QStringLiteral("/_MapList.csv"), oldList));
    const Snapshot before = snapshot(maps);

    QStringList args{command};
    if (command == QLatin1String("create"))
        args << images << QStringLiteral("--out") << maps;
    else
        args << maps;
    // Every map and the list are larger than 120 bytes: no write can complete.
    const CliResult r = runCli(args, false, 120);

    QVERIFY2(!r.crashed, qPrintable(describe(r)));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(snapshot(maps), before); // old files intact, no part-written file, no temporary file
    if (command == QLatin1String("list")) {
        QVERIFY2(r.err.contains(QStringLiteral("_MapList.csv")), qPrintable(describe(r)));
    } else {
        for (const QString &s : kSheets)
            QVERIFY2(r.err.contains(s + QStringLiteral(".map")), qPrintable(describe(r)));
    }
}

// --- a killed run ----------------------------------------------------------------------------

void TestFaults::killedMidRun_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("kill -9") << int(SIGKILL);
    QTest::newRow("Ctrl-C") << int(SIGINT);
}

void TestFaults::killedMidRun()
{
    QFETCH(int, signalNumber);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString images = tmp.filePath(QStringLiteral("images"));
    const QString oldImages = tmp.filePath(QStringLiteral("old-images"));
    const QString reference = tmp.filePath(QStringLiteral("reference"));
    const QString old = tmp.filePath(QStringLiteral("old"));
    const QString work = tmp.filePath(QStringLiteral("work"));
    for (const QString &d : {images, oldImages, reference, old, work})
        QVERIFY(QDir().mkpath(d));

    // 3,024 tiny sheet images at 1:100K; every seventh has an old map to be replaced.
    const QByteArray image = SheetImages::png(800, 600);
    int n = 0;
    for (int col = 31; col <= 51; ++col) {
        for (int list = 1; list <= 144; ++list, ++n) {
            const QString name = QStringLiteral("N-%1-%2.png").arg(col).arg(list, 3, 10, QLatin1Char('0'));
            QVERIFY(writeFile(images + QLatin1Char('/') + name, image));
            if (n % 7 == 0)
                QVERIFY(writeFile(oldImages + QLatin1Char('/') + name, image));
        }
    }
    const QStringList common{QStringLiteral("--scale"), QStringLiteral("1:100K"), QStringLiteral("--mask"),
                             QStringLiteral("R-CC-LLL")};
    CliResult r = runCli(QStringList{QStringLiteral("create"), oldImages, QStringLiteral("--out"), old,
                                      QStringLiteral("--grid"), QStringLiteral("off")}
                          + common);
    QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
    const Snapshot olds = snapshot(old);
    // The full run's output over the same old maps: what the killed run would have made.
    for (auto it = olds.cbegin(); it != olds.cend(); ++it) {
        QVERIFY(writeFile(reference + QLatin1Char('/') + it.key(), it.value()));
        QVERIFY(writeFile(work + QLatin1Char('/') + it.key(), it.value()));
    }
    r = runCli(QStringList{QStringLiteral("create"), images, QStringLiteral("--out"), reference} + common);
    QVERIFY2(r.exitCode == 0, qPrintable(describe(r)));
    const Snapshot ref = snapshot(reference);
    QCOMPARE(ref.size(), n);
    for (auto it = olds.cbegin(); it != olds.cend(); ++it)
        QVERIFY(it.value() != ref.value(it.key()));

    // Kill the run once it has written a few hundred maps.
    QProcess p;
    p.start(qEnvironmentVariable("QUILLMARK_CLI"),
            QStringList{QStringLiteral("create"), images, QStringLiteral("--out"), work} + common);
    QVERIFY(p.waitForStarted(30000));
    QElapsedTimer timer;
    timer.start();
    bool finishedFirst = false;
    while (true) {
        if (p.state() == QProcess::NotRunning || p.waitForFinished(20)) {
            finishedFirst = true;
            break;
        }
        if (QDir(work).entryList(QDir::Files).size() > olds.size() + 300)
            break;
        QVERIFY2(timer.elapsed() < 300000, "the run did not get going");
    }
    if (!finishedFirst)
        ::kill(pid_t(p.processId()), signalNumber);
    QVERIFY(p.waitForFinished(120000));
    if (finishedFirst)
        qWarning("the run ended before it could be stopped; its files are still checked");
    if (signalNumber == SIGINT) {
        // Ctrl-C ends the run between two files, as Cancel would.
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(QStringLiteral("Done ")));
    }

    // Every map is the old one or a complete new one.
    const Snapshot after = snapshot(work);
    int replaced = 0;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!MapFileNames::isMapFileName(it.key())) {
            // kill -9 may leave the temporary file of the map being written (never a .map).
            QVERIFY2(isTempName(it.key()) && signalNumber == SIGKILL, qPrintable(it.key()));
            continue;
        }
        QVERIFY2(ref.contains(it.key()), qPrintable(it.key()));
        const bool isNew = it.value() == ref.value(it.key());
        const bool isOld = olds.contains(it.key()) && it.value() == olds.value(it.key());
        QVERIFY2(isNew || isOld, qPrintable(it.key() + QStringLiteral(" is neither the old nor a complete new map")));
        if (isNew && olds.contains(it.key()))
            ++replaced;
    }
    for (auto it = olds.cbegin(); it != olds.cend(); ++it)
        QVERIFY2(after.contains(it.key()), qPrintable(it.key() + QStringLiteral(" was lost")));
    QVERIFY(replaced > 0);
}

// --- junk --------------------------------------------------------------------------------------

void TestFaults::junkFolder_data()
{
    QTest::addColumn<QString>("tool");
    for (const char *tool : {"create", "corners", "list", "strip-paths"})
        QTest::newRow(tool) << tool;
}

void TestFaults::junkFolder()
{
    QFETCH(QString, tool);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString folder = tmp.filePath(QStringLiteral("junk"));
    const QString good = QStringLiteral("N-37-004");
    QVERIFY(makeStaleMaps(tmp.path(), folder, {good}));
    const QByteArray goodMap = readFile(folder + QStringLiteral("/N-37-004.map"));
    const QString foreign = QStringLiteral("N-37-005-\u65E5\u672C");

    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919 + 13) & 0xFF));
    QVERIFY(writeFile(folder + QStringLiteral("/binary.map"), binary));
    QVERIFY(writeFile(folder + QStringLiteral("/headed.MAP"), "OziExplorer Map Data File Version 2.2\r\n" + binary));
    QVERIFY(writeFile(folder + QStringLiteral("/N-37-001.jpg"), QByteArray()));
    QVERIFY(writeFile(folder + QStringLiteral("/N-37-002.jpg"), SheetImages::jpeg(900, 700)));
    QVERIFY(writeFile(folder + QStringLiteral("/N-37-004.jpg"), SheetImages::jpeg(900, 700)));
    QVERIFY(writeFile(folder + QLatin1Char('/') + foreign + QStringLiteral(".jpg"), SheetImages::jpeg(900, 700)));
    QVERIFY(writeFile(folder + QStringLiteral("/oneline.map"),
                      "OziExplorer Map Data File Version 2.2" + QByteArray(1024 * 1024, 'x')));
    QByteArray longMap = goodMap;
    for (int i = 0; i < 5000; ++i)
        longMap += "Extra line " + QByteArray::number(i) + ",1,2,3\r\n";
    QVERIFY(writeFile(folder + QStringLiteral("/long.map"), longMap));
    if (tool != QLatin1String("create")) // the creator would read it instead of writing one
        QVERIFY(writeFile(folder + QLatin1Char('/') + foreign + QStringLiteral(".map"), goodMap));
    const Snapshot before = snapshot(folder);

    QStringList args{tool, folder};
    if (tool == QLatin1String("create"))
        args << QStringLiteral("--scale") << QStringLiteral("1:100K") << QStringLiteral("--mask")
             << QStringLiteral("R-CC-LLL");
    const CliResult r = runCli(args);
    QVERIFY2(!r.crashed, qPrintable(describe(r)));
    QVERIFY2(r.exitCode == 0 || r.exitCode == 1, qPrintable(describe(r)));
    QVERIFY2(r.out.contains(QStringLiteral("Done ")), qPrintable(describe(r)));
    const Snapshot after = snapshot(folder);

    // The junk is never changed by any tool.
    for (const char *name : {"binary.map", "N-37-001.jpg"})
        QCOMPARE(after.value(QLatin1String(name)), before.value(QLatin1String(name)));
    for (const QString &name : after.keys())
        QVERIFY2(!isTempName(name), qPrintable(name));

    // Files with a map header (the long map, a header over binary bytes, a
    // header with a megabyte on its line): every line the tool does not own
    // comes back byte for byte.
    for (const char *name : {"long.map", "headed.MAP", "oneline.map"}) {
        const QList<QByteArray> linesBefore = before.value(QLatin1String(name)).split('\n');
        const QList<QByteArray> linesAfter = after.value(QLatin1String(name)).split('\n');
        if (tool == QLatin1String("corners") || tool == QLatin1String("strip-paths")) {
            QCOMPARE(linesAfter.size(), linesBefore.size());
            for (int i = 0; i < linesBefore.size(); ++i) {
                if (linesAfter.at(i) == linesBefore.at(i))
                    continue;
                const bool owned = tool == QLatin1String("corners") ? linesBefore.at(i).startsWith("MMP") : i == 2;
                QVERIFY2(owned, qPrintable(QStringLiteral("%1: line %2 changed").arg(QLatin1String(name)).arg(i)));
            }
        } else {
            QCOMPARE(linesAfter, linesBefore);
        }
    }

    if (tool == QLatin1String("create")) {
        // The foreign name cannot go into the map file: said, and no map.
        QVERIFY2(r.err.contains(foreign) && r.err.contains(QStringLiteral("Windows-1251")), qPrintable(describe(r)));
        QCOMPARE(after.value(foreign + QStringLiteral(".map")), before.value(foreign + QStringLiteral(".map")));
        QVERIFY(after.value(QStringLiteral("N-37-002.map")).startsWith("OziExplorer Map Data File"));
        QVERIFY(after.value(QStringLiteral("N-37-002.map")).endsWith("\r\n"));
        QVERIFY(after.value(QStringLiteral("N-37-004.map")) != goodMap);
    } else if (tool == QLatin1String("list")) {
        // The list cannot hold the foreign map's name: said, and passed over.
        QVERIFY2(r.err.contains(foreign) && r.err.contains(QStringLiteral("Windows-1251")), qPrintable(describe(r)));
        const QByteArray list = after.value(QStringLiteral("_MapList.csv"));
        QVERIFY(list.contains("N-37-004.map"));
        QVERIFY(list.contains("long.map"));
        QVERIFY(!list.contains("N-37-005"));
        QVERIFY2(r.err.contains(QStringLiteral("binary.map")), qPrintable(describe(r)));
    } else {
        for (const char *name : {"binary.map", "oneline.map"})
            QVERIFY2(r.err.contains(QLatin1String(name)), qPrintable(describe(r)));
        QVERIFY(after.value(QStringLiteral("N-37-004.map")) != goodMap);
        // A map whose file name is foreign but whose text is not: done like any other.
        QVERIFY(after.value(foreign + QStringLiteral(".map")) != goodMap);
    }
}

// --- symbolic links ------------------------------------------------------------------------------

void TestFaults::symbolicLinkMap_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"create", "corners", "strip-paths"})
        QTest::newRow(command) << command;
}

void TestFaults::symbolicLinkMap()
{
    QFETCH(QString, command);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString images = tmp.filePath(QStringLiteral("images"));
    const QString maps = tmp.filePath(QStringLiteral("maps"));
    // The link's file lies in the folder of maps (a link out of it is never
    // written: see the hostile-folder tests).
    const QString store = maps + QStringLiteral("/store");
    makeImages(images);
    QVERIFY(makeStaleMaps(tmp.path(), store));
    QVERIFY(QDir().mkpath(maps));
    const QString linked = maps + QStringLiteral("/N-37-001.map");
    const QString target = store + QStringLiteral("/N-37-001.map");
    QVERIFY(QFile::link(QStringLiteral("store/N-37-001.map"), linked));
    const QByteArray before = readFile(target);

    QStringList args{command};
    if (command == QLatin1String("create"))
        args << images << QStringLiteral("--out") << maps;
    else
        args << maps;
    const CliResult r = runCli(args);
    QVERIFY2(!r.crashed && r.exitCode == 0, qPrintable(describe(r)));

    QVERIFY(QFileInfo(linked).isSymLink());
    QCOMPARE(QFile::symLinkTarget(linked), QFileInfo(target).absoluteFilePath());
    const QByteArray now = readFile(target);
    QVERIFY(now != before);
    QVERIFY(now.startsWith("OziExplorer Map Data File"));
    if (command == QLatin1String("strip-paths"))
        QVERIFY(now.contains("\r\nN-37-001.jpg\r\n"));
    // Nothing stray beside the link or the target.
    QCOMPARE(QDir(store).entryList(QDir::Files).size(), kSheets.size());
}

// --- what reaches the terminal ------------------------------------------------------------------

void TestFaults::controlCharactersNotPrinted_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QString>("command");
    // An escape sequence (clear the screen, set the window title) and C1 control
    // bytes in a map file's title line, which the messages quote.
    QTest::newRow("ESC, list") << QByteArray("\x1b[2J\x1b]0;owned\x07N-37") << "list";
    QTest::newRow("ESC, corners") << QByteArray("\x1b[2J\x1b]0;owned\x07N-37") << "corners";
    QTest::newRow("C1 CSI in Windows-1251, list") << QByteArray("\x9b" "2J\x98\x7fN-37") << "list";
}

void TestFaults::controlCharactersNotPrinted()
{
    QFETCH(QByteArray, title);
    QFETCH(QString, command);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString maps = tmp.filePath(QStringLiteral("maps"));
    QVERIFY(makeStaleMaps(tmp.path(), maps, {QStringLiteral("N-37-001")}));
    const QString path = maps + QStringLiteral("/N-37-001.map");
    QList<QByteArray> lines = readFile(path).split('\n');
    lines[1] = title + '\r';
    QVERIFY(writeFile(path, lines.join('\n')));

    const CliResult r = runCli({command, maps});
    QVERIFY2(!r.crashed, qPrintable(describe(r)));
    // The title is quoted (its row is wrong), with its control characters made harmless.
    QVERIFY2(r.err.contains(QStringLiteral("Incorrect 1:1M map row")), qPrintable(describe(r)));
    for (const QString &text : {r.out, r.err}) {
        for (const QChar ch : text) {
            const char16_t u = ch.unicode();
            QVERIFY2(u == u'\n' || u == u'\t' || (u >= 0x20 && u != 0x7F && (u < 0x80 || u > 0x9F)),
                     qPrintable(QStringLiteral("control character U+%1 printed").arg(int(u), 4, 16, QLatin1Char('0'))));
        }
    }
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
