// The map list creator: "_MapList.csv" over real and hand-made map files.

#include "common/MapFolderFixture.h"
#include "common/RecordingObserver.h"

#include "tools/MapListRun.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace MapFolderFixture;

namespace {

const QByteArray kHeader = "Edit;List name;Meter/pixel;Map file;Image name;Main object;Publication date";
const QString kQuestion = QStringLiteral("There is error in data. Continue?");

// Windows-1251 bytes of the Cyrillic letters used below, written out by hand.
// "Москва": М CC, о EE, с F1, к EA, в E2, а E0.
const QByteArray kMoskvaCp1251("\xCC\xEE\xF1\xEA\xE2\xE0");

// Parses semicolon-separated records the way a spreadsheet program does:
// quoted fields may hold ";", CR, LF and doubled quotes; records end with CR LF.
QList<QList<QByteArray>> parseCsv(const QByteArray &bytes)
{
    QList<QList<QByteArray>> records;
    QList<QByteArray> record;
    QByteArray field;
    bool quoted = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (quoted) {
            if (c == '"') {
                if (i + 1 < bytes.size() && bytes.at(i + 1) == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"' && field.isEmpty()) {
            quoted = true;
            fieldStarted = true;
        } else if (c == ';') {
            record.append(field);
            field.clear();
            fieldStarted = false;
        } else if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n') {
            record.append(field);
            records.append(record);
            record.clear();
            field.clear();
            fieldStarted = false;
            ++i;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !record.isEmpty()) {
        record.append(field);
        records.append(record);
    }
    return records;
}

QList<QByteArray> recordFor(const QList<QList<QByteArray>> &records, const QByteArray &mapFile)
{
    for (const auto &r : records) {
        if (r.size() > 3 && r.at(3) == mapFile)
            return r;
    }
    return {};
}

QByteArray gk5WithLine(int index, const QByteArray &text)
{
    return replaceLine(toCrLf(readAll(fixturePath(QStringLiteral("gk5-pul42.map")))), index, text);
}

} // namespace

class TestMapList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QUILLMARK_REQUIRE_FIXTURES(); }
    void realFolderRecords_data();
    void realFolderRecords();
    void realFolderListFile();
    void fieldsAreQuotedForSpreadsheets_data();
    void fieldsAreQuotedForSpreadsheets();
    void meterPerPixel_data();
    void meterPerPixel();
    void extensions_data();
    void extensions();
    void nameOutsideTheCodePage();
    void emptyFolder();
    void cancelKeepsTheOldList();
    void missingFolder();
};

void TestMapList::realFolderRecords_data()
{
    QTest::addColumn<QByteArray>("mapFile");
    QTest::addColumn<QByteArray>("listName");
    QTest::addColumn<QByteArray>("meterPerPixel");
    QTest::addColumn<QByteArray>("imageName");
    // Values read off the fixture files by hand.
    QTest::newRow("badgcps1") << QByteArray("badgcps1.map") << QByteArray("badgcps1") << QByteArray("61.659670") << QByteArray("mer.jpg");
    QTest::newRow("gk5-pul42") << QByteArray("gk5-pul42.map") << QByteArray("gk5-pul42") << QByteArray("64.592220") << QByteArray("gk5-pul42.jpg");
    QTest::newRow("latlon-wgs84") << QByteArray("latlon-wgs84.map") << QByteArray("latlon-wgs84") << QByteArray("0.000000") << QByteArray("latlon-wgs84.jpg");
    QTest::newRow("merc-wgs84") << QByteArray("merc-wgs84.map") << QByteArray("merc-wgs84") << QByteArray("10338.877831") << QByteArray("merc-wgs84.jpg");
    QTest::newRow("nogcps") << QByteArray("nogcps.map") << QByteArray("nogcps") << QByteArray("308.226548") << QByteArray("mer.jpg");
    QTest::newRow("utm17-wgs84") << QByteArray("utm17-wgs84.map") << QByteArray("utm17-wgs84") << QByteArray("101.070032") << QByteArray("utm17-wgs84.jpg");
}

void TestMapList::realFolderRecords()
{
    QFETCH(QByteArray, mapFile);
    QFETCH(QByteArray, listName);
    QFETCH(QByteArray, meterPerPixel);
    QFETCH(QByteArray, imageName);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList names = QDir(fixtureDir()).entryList(QDir::Files);
    QCOMPARE(names.size(), 8);
    for (const QString &name : names)
        copyFixture(dir.path(), name);

    RecordingObserver obs;
    const RunResult result = MapListRun::run(dir.path(), obs);
    QCOMPARE(result.count, 6);
    QCOMPARE(result.failed, 2); // noheader.map and the empty nolines.map
    QCOMPARE(obs.questions, (QStringList{kQuestion, kQuestion}));

    const auto records = parseCsv(readAll(dir.filePath(QStringLiteral("_MapList.csv"))));
    QCOMPARE(records.size(), 7);
    const QList<QByteArray> r = recordFor(records, mapFile);
    QCOMPARE(r.size(), 7);
    QCOMPARE(r, (QList<QByteArray>{QByteArray(), listName, meterPerPixel, mapFile, imageName, QByteArray(), QByteArray()}));
}

void TestMapList::realFolderListFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char *name : {"gk5-pul42.map", "noheader.map", "utm17-wgs84.map", "merc-wgs84.map"})
        copyFixture(dir.path(), QLatin1String(name));
    copyFixture(dir.path(), QStringLiteral("latlon-wgs84.map"), QStringLiteral("latlon.map.bak"));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("_MapList.csv")), "an old list\r\nwith;two;lines\r\n"));

    RecordingObserver obs;
    const RunResult result = MapListRun::run(dir.path(), obs);
    QCOMPARE(result.count, 3);
    QCOMPARE(result.failed, 1);
    QCOMPARE(result.exitCode(), 1);

    const QByteArray bytes = readAll(dir.filePath(QStringLiteral("_MapList.csv")));
    QVERIFY(bytes.startsWith(kHeader + "\r\n"));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
    QVERIFY(!bytes.contains("old list"));
    const auto records = parseCsv(bytes);
    QCOMPARE(records.size(), 4);
    for (const auto &r : records)
        QCOMPARE(r.size(), 7);
    // Sorted by file name; the list and the backup are not map files.
    QCOMPARE(records.at(1).at(3), QByteArray("gk5-pul42.map"));
    QCOMPARE(records.at(2).at(3), QByteArray("merc-wgs84.map"));
    QCOMPARE(records.at(3).at(3), QByteArray("utm17-wgs84.map"));

    QCOMPARE(obs.statuses, (QStringList{QStringLiteral("Add to list gk5-pul42.map"), QStringLiteral("Add to list merc-wgs84.map"),
                                        QStringLiteral("Add to list utm17-wgs84.map"), QString()}));
    const auto &done = obs.messages.last();
    QCOMPARE(done.text, QStringLiteral("Done 3 map-files"));
    QCOMPARE(done.caption, QString());
    QCOMPARE(done.icon, MessageObserver::Icon::None);
    bool named = false;
    for (const auto &m : obs.messages) {
        if (m.text.contains(QLatin1String("noheader.map")) && m.caption == QLatin1String("Error")
            && m.icon == MessageObserver::Icon::Critical)
            named = true;
    }
    QVERIFY(named);
}

void TestMapList::fieldsAreQuotedForSpreadsheets_data()
{
    QTest::addColumn<QByteArray>("titleLine"); // Windows-1251 bytes of line 1
    QTest::addColumn<QByteArray>("rawField");  // the field as it stands in the file
    QTest::addColumn<QByteArray>("value");     // the field as a spreadsheet reads it
    QTest::newRow("plain") << QByteArray("N-37-001") << QByteArray("N-37-001") << QByteArray("N-37-001");
    QTest::newRow("semicolon") << QByteArray("Sheet;one") << QByteArray("\"Sheet;one\"") << QByteArray("Sheet;one");
    QTest::newRow("double quote") << QByteArray("He said \"hi\"") << QByteArray("\"He said \"\"hi\"\"\"")
                                  << QByteArray("He said \"hi\"");
    QTest::newRow("comma needs no quotes") << QByteArray("a,b") << QByteArray("a,b") << QByteArray("a,b");
    QTest::newRow("Cyrillic stays Windows-1251") << QByteArray("N-37-001 " + kMoskvaCp1251)
                                                 << QByteArray("N-37-001 " + kMoskvaCp1251)
                                                 << QByteArray("N-37-001 " + kMoskvaCp1251);
}

void TestMapList::fieldsAreQuotedForSpreadsheets()
{
    QFETCH(QByteArray, titleLine);
    QFETCH(QByteArray, rawField);
    QFETCH(QByteArray, value);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeAll(dir.filePath(QStringLiteral("m.map")), gk5WithLine(1, titleLine)));

    RecordingObserver obs;
    const RunResult result = MapListRun::run(dir.path(), obs);
    QCOMPARE(result.count, 1);
    const QByteArray bytes = readAll(dir.filePath(QStringLiteral("_MapList.csv")));
    QCOMPARE(bytes, kHeader + "\r\n;" + rawField + ";64.592220;m.map;gk5-pul42.jpg;;\r\n");
    const auto records = parseCsv(bytes);
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(1).size(), 7);
    QCOMPARE(records.at(1).at(1), value);
}

void TestMapList::meterPerPixel_data()
{
    QTest::addColumn<QByteArray>("line"); // empty: the MM1B line removed
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("as OziExplorer writes it") << QByteArray("MM1B,64.592220") << QByteArray("64.592220");
    QTest::newRow("blanks trimmed") << QByteArray("MM1B,  12.5  ") << QByteArray("12.5");
    QTest::newRow("lower-case keyword") << QByteArray("mm1b,3.25") << QByteArray("3.25");
    QTest::newRow("no MM1B line") << QByteArray() << QByteArray();
}

void TestMapList::meterPerPixel()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray bytes = toCrLf(readAll(fixturePath(QStringLiteral("gk5-pul42.map"))));
    const int mm1b = indexOfLineStartingWith(bytes, "MM1B,");
    QCOMPARE(mm1b, 53);
    bytes = line.isEmpty() ? removeLine(bytes, mm1b) : replaceLine(bytes, mm1b, line);
    QVERIFY(writeAll(dir.filePath(QStringLiteral("gk5.map")), bytes));

    RecordingObserver obs;
    QCOMPARE(MapListRun::run(dir.path(), obs).count, 1);
    const auto records = parseCsv(readAll(dir.filePath(QStringLiteral("_MapList.csv"))));
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(1).at(2), expected);
}

void TestMapList::extensions_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("listed");
    QTest::newRow("map") << QStringLiteral("a.map") << true;
    QTest::newRow("Map") << QStringLiteral("b.Map") << true;
    QTest::newRow("MAP") << QStringLiteral("C.MAP") << true;
    QTest::newRow("x.y.map") << QStringLiteral("x.y.map") << false;
    QTest::newRow("x.map.bak") << QStringLiteral("x.map.bak") << false;
}

void TestMapList::extensions()
{
    QFETCH(QString, fileName);
    QFETCH(bool, listed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    copyFixture(dir.path(), QStringLiteral("gk5-pul42.map"), fileName);
    RecordingObserver obs;
    const RunResult result = MapListRun::run(dir.path(), obs);
    QCOMPARE(result.count, listed ? 1 : 0);
    const auto records = parseCsv(readAll(dir.filePath(QStringLiteral("_MapList.csv"))));
    QCOMPARE(records.size(), listed ? 2 : 1);
    if (listed)
        QCOMPARE(records.at(1).at(3), fileName.toLatin1());
}

void TestMapList::nameOutsideTheCodePage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString odd = QStringLiteral("\u043A\u0430\u0440\u0442\u0430_\u65E5\u672C.map"); // "карта_日本.map"
    const QString cyr = QStringLiteral("\u043A\u0430\u0440\u0442\u0430.map");              // "карта.map"
    copyFixture(dir.path(), QStringLiteral("gk5-pul42.map"), odd);
    copyFixture(dir.path(), QStringLiteral("gk5-pul42.map"), cyr);
    copyFixture(dir.path(), QStringLiteral("utm17-wgs84.map"), QStringLiteral("a.map"));

    RecordingObserver obs;
    const RunResult result = MapListRun::run(dir.path(), obs);
    QCOMPARE(result.count, 2);
    QCOMPARE(result.failed, 1);
    QCOMPARE(obs.questions, QStringList{kQuestion});
    int naming = 0;
    for (const auto &m : obs.messages) {
        if (m.text.contains(odd) && m.caption == QLatin1String("Error"))
            ++naming;
    }
    QCOMPARE(naming, 1);
    const auto records = parseCsv(readAll(dir.filePath(QStringLiteral("_MapList.csv"))));
    QCOMPARE(records.size(), 3);
    QCOMPARE(records.at(1).at(3), QByteArray("a.map"));
    // "карта.map" in Windows-1251: к EA, а E0, р F0, т F2, а E0.
    QCOMPARE(records.at(2).at(3), QByteArray("\xEA\xE0\xF0\xF2\xE0.map"));
}

void TestMapList::emptyFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    RecordingObserver obs;
    const RunResult result = MapListRun::run(dir.path(), obs);
    QCOMPARE(result.count, 0);
    QCOMPARE(result.exitCode(), 0);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("_MapList.csv"))), kHeader + "\r\n");
    QCOMPARE(obs.messages.size(), 1);
    QCOMPARE(obs.messages.first().text, QStringLiteral("Done 0 map-files"));
}

void TestMapList::cancelKeepsTheOldList()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    copyFixture(dir.path(), QStringLiteral("noheader.map"), QStringLiteral("a.map"));
    copyFixture(dir.path(), QStringLiteral("gk5-pul42.map"), QStringLiteral("b.map"));
    const QByteArray old = kHeader + "\r\n;old;1;old.map;old.jpg;;\r\n";
    QVERIFY(writeAll(dir.filePath(QStringLiteral("_MapList.csv")), old));

    RecordingObserver obs;
    obs.answers = {false};
    const RunResult result = MapListRun::run(dir.path(), obs);
    QVERIFY(result.cancelled);
    QCOMPARE(result.failed, 1);
    QCOMPARE(result.count, 0);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("_MapList.csv"))), old);
    for (const auto &m : obs.messages)
        QVERIFY(!m.text.startsWith(QLatin1String("Done ")));
}

void TestMapList::missingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("gone"));
    RecordingObserver obs;
    const RunResult result = MapListRun::run(missing, obs);
    QVERIFY(result.folderMissing);
    QCOMPARE(result.exitCode(), 2);
    QCOMPARE(obs.messages.size(), 1);
    QCOMPARE(obs.messages.first().text, QStringLiteral("Folder ") + missing + QStringLiteral(" is not exist"));
    QVERIFY(!QFileInfo::exists(missing));
}

QTEST_GUILESS_MAIN(TestMapList)
#include "tst_maplist.moc"
