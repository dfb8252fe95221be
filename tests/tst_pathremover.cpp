// The image path remover over real and hand-made map files.

#include "common/MapFolderFixture.h"
#include "common/RecordingObserver.h"

#include "tools/PathRemoverRun.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace MapFolderFixture;

namespace {

const QString kQuestion = QStringLiteral("There is error in data. Continue?");

QByteArray gk5WithImageLine(const QByteArray &imageLine)
{
    return replaceLine(toCrLf(readAll(fixturePath(QStringLiteral("gk5-pul42.map")))), 2, imageLine);
}

const QDateTime kOldTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC);

bool makeOld(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(kOldTime, QFileDevice::FileModificationTime);
}

} // namespace

class TestPathRemover : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QUILLMARK_REQUIRE_FIXTURES(); }
    void stripsTheDirectory_data();
    void stripsTheDirectory();
    void mapThatNeedsNothingIsNotRewritten_data();
    void mapThatNeedsNothingIsNotRewritten();
    void brokenFiles_data();
    void brokenFiles();
    void wholeRealFolder();
    void extensions_data();
    void extensions();
    void emptyFolder();
    void cancelAtPrompt();
    void missingFolder();
};

void TestPathRemover::stripsTheDirectory_data()
{
    QTest::addColumn<QByteArray>("imageLine");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("Windows path") << QByteArray("C:\\maps\\N-37-001.jpg") << QByteArray("N-37-001.jpg");
    QTest::newRow("relative Windows path") << QByteArray("..\\mer.jpg") << QByteArray("mer.jpg");
    QTest::newRow("Unix path") << QByteArray("/home/u/scans/a.jpg") << QByteArray("a.jpg");
    QTest::newRow("mixed, backslash last") << QByteArray("D:/scan/old\\N-37-002.jpg") << QByteArray("N-37-002.jpg");
    QTest::newRow("mixed, slash after the last backslash")
        << QByteArray("C:\\scan\\sub/N.jpg") << QByteArray("sub/N.jpg");
    // "C:\Карты\Н-37-001 Москва.jpg" in Windows-1251 (К CA, а E0, р F0, т F2, ы FB; Н CD; М CC, о EE, с F1, к EA, в E2).
    QTest::newRow("Cyrillic, Windows-1251")
        << QByteArray("C:\\\xCA\xE0\xF0\xF2\xFB\\\xCD-37-001 \xCC\xEE\xF1\xEA\xE2\xE0.jpg")
        << QByteArray("\xCD-37-001 \xCC\xEE\xF1\xEA\xE2\xE0.jpg");
}

void TestPathRemover::stripsTheDirectory()
{
    QFETCH(QByteArray, imageLine);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray before = gk5WithImageLine(imageLine);
    const QString path = dir.filePath(QStringLiteral("N-37-001.map"));
    QVERIFY(writeAll(path, before));

    RecordingObserver obs;
    const RunResult result = PathRemoverRun::run(dir.path(), obs);
    QCOMPARE(result.count, 1);
    QCOMPARE(result.failed, 0);
    QCOMPARE(result.exitCode(), 0);
    QCOMPARE(obs.statuses, (QStringList{QStringLiteral("Remove image path from N-37-001.map"), QString()}));
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 1 map-files"));
    QCOMPARE(obs.messages.last().icon, MessageObserver::Icon::None);

    const QList<QByteArray> oldLines = linesWithEnds(before);
    const QList<QByteArray> newLines = linesWithEnds(readAll(path));
    QCOMPARE(newLines.size(), oldLines.size());
    QCOMPARE(newLines.at(2), expected + "\r\n");
    for (int i = 0; i < oldLines.size(); ++i) {
        if (i != 2)
            QCOMPARE(newLines.at(i), oldLines.at(i));
    }
}

void TestPathRemover::mapThatNeedsNothingIsNotRewritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("file name only, CR LF") << gk5WithImageLine("N-37-001.jpg");
    QTest::newRow("real file, LF") << readAll(fixturePath(QStringLiteral("gk5-pul42.map")));
    QTest::newRow("folder only: nothing left to keep") << gk5WithImageLine("C:\\maps\\");
}

void TestPathRemover::mapThatNeedsNothingIsNotRewritten()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("m.map"));
    QVERIFY(writeAll(path, bytes));
    QVERIFY(makeOld(path));

    RecordingObserver obs;
    const RunResult result = PathRemoverRun::run(dir.path(), obs);
    QCOMPARE(result.failed, 0);
    QCOMPARE(result.count, 1);
    QCOMPARE(readAll(path), bytes);
    QCOMPARE(QFileInfo(path).lastModified().toUTC(), kOldTime);
}

void TestPathRemover::brokenFiles_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QByteArray>("line2"); // for the files that are processed
    QTest::newRow("noheader") << QStringLiteral("noheader.map") << true << QByteArray();
    QTest::newRow("nolines (empty)") << QStringLiteral("nolines.map") << true << QByteArray();
    // Bad calibration points do not matter here: the image path is stripped.
    QTest::newRow("nogcps") << QStringLiteral("nogcps.map") << false << QByteArray("mer.jpg");
    QTest::newRow("badgcps1") << QStringLiteral("badgcps1.map") << false << QByteArray("mer.jpg");
}

void TestPathRemover::brokenFiles()
{
    QFETCH(QString, fixture);
    QFETCH(bool, refused);
    QFETCH(QByteArray, line2);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = copyFixture(dir.path(), fixture);
    const QByteArray before = readAll(path);

    RecordingObserver obs;
    const RunResult result = PathRemoverRun::run(dir.path(), obs);
    if (refused) {
        QCOMPARE(readAll(path), before);
        QCOMPARE(result.failed, 1);
        QCOMPARE(result.count, 0);
        QCOMPARE(obs.questions, QStringList{kQuestion});
        int naming = 0;
        for (const auto &m : obs.messages) {
            if (m.text.contains(fixture) && m.caption == QLatin1String("Error") && m.icon == MessageObserver::Icon::Critical)
                ++naming;
        }
        QCOMPARE(naming, 1);
        QCOMPARE(obs.messages.last().text, QStringLiteral("Done 0 map-files"));
    } else {
        QCOMPARE(result.failed, 0);
        QCOMPARE(result.count, 1);
        const QList<QByteArray> oldLines = linesWithEnds(before);
        const QList<QByteArray> newLines = linesWithEnds(readAll(path));
        QCOMPARE(newLines.size(), oldLines.size());
        QCOMPARE(withoutEnd(newLines.at(2)), line2);
        for (int i = 0; i < oldLines.size(); ++i) {
            if (i != 2)
                QCOMPARE(newLines.at(i), oldLines.at(i));
        }
    }
}

void TestPathRemover::wholeRealFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList names = QDir(fixtureDir()).entryList(QDir::Files);
    QCOMPARE(names.size(), 8);
    for (const QString &name : names) {
        copyFixture(dir.path(), name);
        QVERIFY(makeOld(dir.filePath(name)));
    }
    RecordingObserver obs;
    const RunResult result = PathRemoverRun::run(dir.path(), obs);
    QCOMPARE(result.count, 6);
    QCOMPARE(result.failed, 2);
    QCOMPARE(result.exitCode(), 1);
    QCOMPARE(obs.questions.size(), 2);
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 6 map-files"));
    // Only the two maps with "../mer.jpg" were rewritten.
    for (const QString &name : names) {
        const bool changes = name == QLatin1String("nogcps.map") || name == QLatin1String("badgcps1.map");
        QCOMPARE(readAll(dir.filePath(name)) == readAll(fixturePath(name)), !changes);
        QCOMPARE(QFileInfo(dir.filePath(name)).lastModified().toUTC() == kOldTime, !changes);
    }
}

void TestPathRemover::extensions_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("processed");
    QTest::newRow("map") << QStringLiteral("a.map") << true;
    QTest::newRow("Map") << QStringLiteral("b.Map") << true;
    QTest::newRow("MAP") << QStringLiteral("C.MAP") << true;
    QTest::newRow("x.y.map") << QStringLiteral("x.y.map") << false;
    QTest::newRow("x.map.bak") << QStringLiteral("x.map.bak") << false;
}

void TestPathRemover::extensions()
{
    QFETCH(QString, fileName);
    QFETCH(bool, processed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray bytes = gk5WithImageLine("C:\\maps\\N-37-001.jpg");
    const QString path = dir.filePath(fileName);
    QVERIFY(writeAll(path, bytes));
    RecordingObserver obs;
    const RunResult result = PathRemoverRun::run(dir.path(), obs);
    QCOMPARE(result.count, processed ? 1 : 0);
    QCOMPARE(readAll(path) != bytes, processed);
}

void TestPathRemover::emptyFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    RecordingObserver obs;
    const RunResult result = PathRemoverRun::run(dir.path(), obs);
    QCOMPARE(result.count, 0);
    QCOMPARE(result.exitCode(), 0);
    QCOMPARE(obs.messages.size(), 1);
    QCOMPARE(obs.messages.first().text, QStringLiteral("Done 0 map-files"));
}

void TestPathRemover::cancelAtPrompt()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray withPath = gk5WithImageLine("C:\\maps\\N-37-001.jpg");
    QVERIFY(writeAll(dir.filePath(QStringLiteral("a.map")), withPath));
    copyFixture(dir.path(), QStringLiteral("noheader.map"), QStringLiteral("b.map"));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("c.map")), withPath));

    RecordingObserver obs;
    obs.answers = {false};
    const RunResult result = PathRemoverRun::run(dir.path(), obs);
    QVERIFY(result.cancelled);
    QCOMPARE(result.count, 1);
    QCOMPARE(result.failed, 1);
    QVERIFY(readAll(dir.filePath(QStringLiteral("a.map"))) != withPath);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("c.map"))), withPath);
    QCOMPARE(obs.messages.last().text, QStringLiteral("Done 1 map-files"));
}

void TestPathRemover::missingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("gone"));
    RecordingObserver obs;
    const RunResult result = PathRemoverRun::run(missing, obs);
    QVERIFY(result.folderMissing);
    QCOMPARE(result.exitCode(), 2);
    QCOMPARE(obs.messages.size(), 1);
    QCOMPARE(obs.messages.first().text, QStringLiteral("Folder ") + missing + QStringLiteral(" is not exist"));
    QCOMPARE(obs.messages.first().caption, QStringLiteral("Error"));
}

QTEST_GUILESS_MAIN(TestPathRemover)
#include "tst_pathremover.moc"
