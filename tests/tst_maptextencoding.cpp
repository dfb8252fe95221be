// UTF-8 map text: which files read as UTF-8, lines changed by program written
// in the file's own encoding, the creator's choice for new files, and the map
// list in either encoding over a folder holding maps in both.

#include "mapfile/MapFile.h"
#include "mapfile/MapTextEncoding.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "tools/MapListRun.h"
#include "tools/PathRemoverRun.h"
#include "common/CliRun.h"
#include "common/RecordingObserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// "N-37-001-А-а" in each encoding, written out byte by byte.
const QByteArray kSheetUtf8("N-37-001-\xD0\x90-\xD0\xB0");
const QByteArray kSheet1251("N-37-001-\xC0-\xE0");

QByteArray mapBytes(const QByteArray &sheet, const QByteArray &imagePath)
{
    return "OziExplorer Map Data File Version 2.2\r\n" + sheet + "\r\n" + imagePath
           + "\r\n1 ,Map Code,\r\nPulkovo 1942 (1),WGS 84,   0.0000,   0.0000,WGS 84\r\nReserved 1\r\nReserved 2\r\n"
             "Magnetic Variation,,,E\r\nMap Projection,Transverse Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No\r\n";
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestMapTextEncoding : public QObject
{
    Q_OBJECT

private slots:
    void detect_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        const int w = MapTextEncoding::Windows1251, u = MapTextEncoding::Utf8;
        QTest::newRow("ASCII only") << QByteArray("N-37-001\r\n") << w;
        QTest::newRow("empty") << QByteArray() << w;
        QTest::newRow("UTF-8 Cyrillic") << kSheetUtf8 << u;
        QTest::newRow("Windows-1251 Cyrillic") << kSheet1251 << w;
        QTest::newRow("four-byte character") << QByteArray("map \xF0\x9F\x97\xBA") << u;
        QTest::newRow("overlong form") << QByteArray("a\xC0\x80") << w;
        QTest::newRow("encoded surrogate") << QByteArray("a\xED\xA0\x80") << w;
        QTest::newRow("cut short at the end") << QByteArray("N-37-\xD0") << w;
        QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << w;
        QTest::newRow("UTF-8 line, then a Windows-1251 line") << QByteArray(kSheetUtf8 + "\r\n" + kSheet1251) << w;
    }

    void detect()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QCOMPARE(int(MapTextEncoding::detect(bytes)), kind);
    }

    // A line the program changes is written in the encoding the file was read in.
    void changedLinesKeepEncoding_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QByteArray>("newTitle"); // line 1 as written after the change
        QTest::newRow("UTF-8") << kSheetUtf8 << QByteArray("N-37-002-\xD0\x91-\xD0\xB1");
        QTest::newRow("Windows-1251") << kSheet1251 << QByteArray("N-37-002-\xC1-\xE1");
    }

    void changedLinesKeepEncoding()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QByteArray, newTitle);
        MapFile map;
        map.ReadBytes(mapBytes(sheet, "x.jpg"));
        QCOMPARE(map.MapName, QString("N-37-001-\u0410-\u0430"));
        map.SetLine(1, QString(), QString("N-37-002-\u0411-\u0431"), -1, true);
        const QList<QByteArray> lines = map.ToBytes().split('\n');
        QCOMPARE(lines.value(1), newTitle + "\r");
        QCOMPARE(lines.value(0), QByteArray("OziExplorer Map Data File Version 2.2\r"));
    }

    void creatorChoosesForNewFiles_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("default Windows-1251") << int(MapTextEncoding::Windows1251) << kSheet1251;
        QTest::newRow("UTF-8") << int(MapTextEncoding::Utf8) << kSheetUtf8;
    }

    void creatorChoosesForNewFiles()
    {
        QFETCH(int, encoding);
        QFETCH(QByteArray, title);
        QTemporaryDir dir;
        writeFile(dir.filePath(QString("N-37-001-\u0410-\u0430.kap")), "BSB/NA=x,RA=1000,800\r\n\x1A");
        MapCreatorOptions options;
        options.inFolder = options.outFolder = dir.path();
        options.scaleText = "1:25K";
        options.maskText = "R-CC-LLL";
        options.encoding = MapTextEncoding::Kind(encoding);
        RecordingObserver observer;
        MapCreatorRun::run(options, observer);
        const QByteArray bytes = readFile(dir.filePath(QString("N-37-001-\u0410-\u0430.map")));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.value(1), title + "\r");
        QCOMPARE(lines.value(2), title + ".kap\r");

        // Calibrating the file again with the other choice keeps its own encoding.
        options.encoding = encoding == MapTextEncoding::Utf8 ? MapTextEncoding::Windows1251 : MapTextEncoding::Utf8;
        MapCreatorRun::run(options, observer);
        QCOMPARE(readFile(dir.filePath(QString("N-37-001-\u0410-\u0430.map"))).split('\n').value(1), title + "\r");
    }

    // A folder with maps in both encodings: the path remover rewrites each in
    // its own, and the list holds both names right in the encoding asked for.
    void mixedFolder_data()
    {
        QTest::addColumn<int>("listEncoding");
        QTest::addColumn<QByteArray>("listed");
        QTest::newRow("list in Windows-1251") << int(MapTextEncoding::Windows1251) << kSheet1251;
        QTest::newRow("list in UTF-8") << int(MapTextEncoding::Utf8) << kSheetUtf8;
    }

    void mixedFolder()
    {
        QFETCH(int, listEncoding);
        QFETCH(QByteArray, listed);
        QTemporaryDir dir;
        writeFile(dir.filePath("a.map"), mapBytes(kSheetUtf8, "C:\\\xD0\xBA\\" + kSheetUtf8 + ".jpg"));
        writeFile(dir.filePath("b.map"), mapBytes(kSheet1251, "C:\\\xEA\\" + kSheet1251 + ".jpg"));
        RecordingObserver observer;
        PathRemoverRun::run(dir.path(), observer);
        QCOMPARE(readFile(dir.filePath("a.map")).split('\n').value(2), kSheetUtf8 + ".jpg\r");
        QCOMPARE(readFile(dir.filePath("b.map")).split('\n').value(2), kSheet1251 + ".jpg\r");

        MapListRun::runWithEncoding(dir.path(), observer, MapTextEncoding::Kind(listEncoding));
        const QList<QByteArray> rows = readFile(dir.filePath("_MapList.csv")).split('\n');
        QCOMPARE(rows.size(), 4); // header, two records, nothing after the last line end
        QVERIFY2(rows.value(1).contains(";" + listed + ";") && rows.value(2).contains(";" + listed + ";"),
                 rows.value(1) + " / " + rows.value(2));
    }

    void cliOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("create, unknown encoding") << QStringList{"create", "{dir}", "--encoding", "koi8-r"} << 2;
        QTest::newRow("create, UTF-8") << QStringList{"create", "{dir}", "--encoding", "utf-8"} << 0;
        QTest::newRow("list, unknown encoding") << QStringList{"list", "{dir}", "--encoding", "latin1"} << 2;
        QTest::newRow("list, UTF-8") << QStringList{"list", "{dir}", "--encoding=utf-8"} << 0;
        QTest::newRow("corners take no encoding") << QStringList{"corners", "{dir}", "--encoding", "utf-8"} << 2;
    }

    void cliOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        args.replaceInStrings("{dir}", dir.path());
        const CliRun r = CliRun::run(args);
        QCOMPARE(r.exitCode, exitCode);
    }
};

QTEST_GUILESS_MAIN(TestMapTextEncoding)
#include "tst_maptextencoding.moc"
