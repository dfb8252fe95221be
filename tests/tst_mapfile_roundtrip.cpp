// Map files come back byte for byte; the code page; safe writing.
#include "common/MapFolderFixture.h"
#include "common/MapSamples.h"

#include "sheet/MapError.h"
#include "mapfile/MapFile.h"
#include "fileio/Windows1251.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/types.h>
#endif

using namespace MapSamples;

namespace {

QString fixtureDir()
{
    return MapFolderFixture::fixtureDir();
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<cannot read>");
    return f.readAll();
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Every name in the folder except the given ones.
QStringList othersIn(const QString &folder, const QStringList &known)
{
    QStringList extra;
    for (const QString &n : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (!known.contains(n))
            extra << n;
    return extra;
}

// A map whose lines the parser leaves alone (no extension, no directory).
Options quietOptions()
{
    Options o;
    o.title = "N-37-001";
    o.image = "N-37-001.jpg";
    return o;
}

} // namespace

class TestMapFileRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QUILLMARK_REQUIRE_FIXTURES(); }
    void fixtures_data();
    void fixtures();
    void synthetic_data();
    void synthetic();
    void cyrillicTitle();
    void changedLinesTakeDocumentLineEnd_data();
    void changedLinesTakeDocumentLineEnd();
    void sameTextKeepsBytes();
    void codePageTable_data();
    void codePageTable();
    void codePageAllBytes();
    void unwritableCharacter();
    void lineBreakInLine();
    void readFromDevice();
    void readOnlyTargetRefused();
    void permissions();
    void symbolicLink();
    void missingFolder();
    void targetIsFolder();
    void fileNameUsedWhenNameEmpty();
};

void TestMapFileRoundTrip::fixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("pathLine");    // line index 2 as read
    QTest::addColumn<QByteArray>("rewritten");   // ... and as written without KeepReadLines

    QTest::newRow("badgcps1") << "badgcps1.map" << QByteArray("../mer.jpg") << QByteArray("mer.jpg");
    QTest::newRow("gk5-pul42") << "gk5-pul42.map" << QByteArray("gk5-pul42.jpg") << QByteArray("gk5-pul42.jpg");
    QTest::newRow("latlon-wgs84") << "latlon-wgs84.map" << QByteArray("latlon-wgs84.jpg") << QByteArray("latlon-wgs84.jpg");
    QTest::newRow("merc-wgs84") << "merc-wgs84.map" << QByteArray("merc-wgs84.jpg") << QByteArray("merc-wgs84.jpg");
    QTest::newRow("nogcps") << "nogcps.map" << QByteArray("../mer.jpg") << QByteArray("mer.jpg");
    QTest::newRow("noheader") << "noheader.map" << QByteArray("../mer.jpg") << QByteArray("mer.jpg");
    QTest::newRow("nolines") << "nolines.map" << QByteArray() << QByteArray();
    QTest::newRow("utm17-wgs84") << "utm17-wgs84.map" << QByteArray("utm17-wgs84.jpg") << QByteArray("utm17-wgs84.jpg");
}

void TestMapFileRoundTrip::fixtures()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, pathLine);
    QFETCH(QByteArray, rewritten);

    const QStringList covered{"badgcps1.map", "gk5-pul42.map", "latlon-wgs84.map", "merc-wgs84.map",
                              "nogcps.map", "noheader.map", "nolines.map", "utm17-wgs84.map", "README.md"};
    QCOMPARE(othersIn(fixtureDir(), covered), QStringList());

    const QByteArray original = readFile(fixtureDir() + u'/' + file);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    for (const bool keep : {true, false}) {
        Messages quiet;
        MapFile map(&quiet);
        map.KeepReadLines = keep;
        map.ReadMap(fixtureDir() + u'/' + file);
        // None of these is a sheet of the international grid: the projection stays.
        QCOMPARE(map.projFixed(), false);
        const QString out = dir.filePath(file);
        map.WriteMap(out);
        QByteArray expected = original;
        if (!keep && pathLine != rewritten)
            expected.replace("\n" + pathLine + "\n", "\n" + rewritten + "\n");
        QCOMPARE(readFile(out), expected);
        QCOMPARE(map.ToBytes(), expected);
    }
    QCOMPARE(othersIn(dir.path(), {file}), QStringList()); // no temporary file left
}

void TestMapFileRoundTrip::synthetic_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QList<QByteArray> lines = sheetLines(quietOptions());
    QTest::newRow("sheet map CR LF") << join(lines, "\r\n");
    QTest::newRow("LF only") << join(lines, "\n");
    QTest::newRow("no final line end") << join(lines, "\r\n", false);
    QTest::newRow("no final line end, LF") << join(lines, "\n", false);
    {
        Options o = quietOptions();
        o.title = "N-37-001-\xC0-\xE0"; // N-37-001-А-а in the code page
        QTest::newRow("cyrillic title") << sheetMap(o);
    }
    {
        Options o = quietOptions();
        o.points[1] = pointBody(0, 0, 1, "34.1564", 'N', 13, "7.8834", 'W');
        o.points[2] = "xy,   60,    0,in, deg,   1, 34.2051,N,  13,  5.7949,W, grid,   ,     618950,     227463,N";
        QList<QByteArray> padded = sheetLines(o);
        padded[50] = "MMPLL, 2, -13.061755,   1.570898";
        QTest::newRow("padded fields") << join(padded, "\r\n");
    }
    {
        QList<QByteArray> many = lines;
        for (int i = 0; i < 94; ++i)
            many.append("Extra line " + QByteArray::number(i) + (i % 2 ? ",with,commas" : ""));
        QCOMPARE(many.size(), 150);
        QTest::newRow("150 lines") << join(many, "\r\n");
    }
    {
        QByteArray odd = "Comment,";
        for (int b = 0x80; b <= 0xFF; ++b)
            odd.append(char(b));
        odd += "\x01\t\x7F mid\rline \x98\x98";
        QList<QByteArray> l = lines;
        l.insert(40, odd);
        l.insert(41, QByteArray("\x98") + ",\x98");
        QTest::newRow("byte 0x98 and other non-letters") << join(l, "\r\n");
    }
    {
        QByteArray big = "Comment,";
        big.reserve(1 << 20);
        for (int i = 0; big.size() < (1 << 20); ++i)
            big.append(char(0x20 + (i * 7) % 0xDF));
        QList<QByteArray> l = lines;
        l.append(big);
        QTest::newRow("1 MB line") << join(l, "\r\n");
    }
    {
        QList<QByteArray> l = lines;
        l.insert(45, QByteArray());
        l.append(QByteArray());
        l.append(QByteArray());
        QTest::newRow("empty lines") << join(l, "\r\n");
    }
    {
        QByteArray mixed = join(lines.mid(0, 20), "\r\n") + join(lines.mid(20), "\n");
        QTest::newRow("mixed line ends") << mixed;
    }
    QTest::newRow("line ending in CR before CR LF") << QByteArray("OziExplorer Map Data File Version 2.2\r\nx\r\r\ny\r\n");
    QTest::newRow("one empty line") << QByteArray("\r\n");
    QTest::newRow("empty file") << QByteArray();
}

void TestMapFileRoundTrip::synthetic()
{
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.filePath(QStringLiteral("in.map"));
    const QString out = dir.filePath(QStringLiteral("out.map"));
    writeFile(in, bytes);
    for (const bool keep : {false, true}) {
        Messages quiet;
        MapFile map(&quiet);
        map.KeepReadLines = keep;
        map.ReadMap(in);
        map.WriteMap(out);
        QCOMPARE(readFile(out).size(), bytes.size());
        QVERIFY(readFile(out) == bytes);
    }
}

void TestMapFileRoundTrip::cyrillicTitle()
{
    Options o = quietOptions();
    o.title = "N-37-001-\xC0-\xE0.jpg";
    MapFile map;
    map.ReadBytes(sheetMap(o));
    QCOMPARE(map.MapName, QStringLiteral("N-37-001-\u0410-\u0430"));
    QCOMPARE(int(map.iRow), 14);
    QCOMPARE(int(map.iCol), 37);
    // The title lost its extension and is written in the code page again.
    QVERIFY(map.ToBytes().contains("\r\nN-37-001-\xC0-\xE0\r\nN-37-001.jpg\r\n"));
}

void TestMapFileRoundTrip::changedLinesTakeDocumentLineEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");

    // Line 8 is replaced by "MM0,No"; then a line "MOP,x" is added.
    const QByteArray head = "H\r\nT\r\nI\r\n4\r\n5\r\n6\r\n7\r\n";
    QTest::newRow("CR LF") << head + "Reserved,1\r\nLast,a" << head + "MM0,No\r\nLast,a\r\nMOP,x\r\n";
    QTest::newRow("LF") << QByteArray("H\nT\nI\n4\n5\n6\n7\nReserved,1\nLast,a\n")
                        << QByteArray("H\nT\nI\n4\n5\n6\n7\nMM0,No\nLast,a\nMOP,x\n");
    QTest::newRow("LF, no final line end") << QByteArray("H\nT\nI\n4\n5\n6\n7\nReserved,1\nLast,a")
                                           << QByteArray("H\nT\nI\n4\n5\n6\n7\nMM0,No\nLast,a\nMOP,x\n");
    QTest::newRow("first line end decides") << QByteArray("H\nT\r\nI\r\n4\r\n5\r\n6\r\n7\r\nReserved,1\r\nLast,a\r\n")
                                            << QByteArray("H\nT\r\nI\r\n4\r\n5\r\n6\r\n7\r\nMM0,No\nLast,a\r\nMOP,x\n");
    QTest::newRow("one line without end") << QByteArray("H") << QByteArray("H\r\nMM0,No\r\nMOP,x\r\n");
}

void TestMapFileRoundTrip::changedLinesTakeDocumentLineEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);

    MapFile map;
    map.ReadBytes(bytes);
    if (map.lineCount() > 7) {
        map.SetLine(7, QStringLiteral("MM0"), QStringLiteral("No"), -1, true);
    } else {
        map.AddLine(QStringLiteral("MM0"), QStringLiteral("No"));
    }
    map.AddLine(QStringLiteral("MOP"), QStringLiteral("x"));
    QCOMPARE(map.ToBytes(), expected);
}

void TestMapFileRoundTrip::sameTextKeepsBytes()
{
    // "abc," reads as Title "abc" and an empty Body; setting the same text
    // again must not lose the comma.
    const QByteArray bytes = "H\r\nT\r\nI\r\n4\r\n5\r\n6\r\n7\r\nabc,\r\nMM0,Yes\r\n";
    MapFile map;
    map.ReadBytes(bytes);
    map.SetLine(7, QStringLiteral("abc"), QString(), -1, true);
    QCOMPARE(map.ToBytes(), bytes);
    map.SetLine(8, QStringLiteral("MM0"), QStringLiteral("No"), -1, true);
    QCOMPARE(map.ToBytes(), QByteArray("H\r\nT\r\nI\r\n4\r\n5\r\n6\r\n7\r\nabc,\r\nMM0,No\r\n"));
}

void TestMapFileRoundTrip::codePageTable_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unicode");

    QTest::newRow("A") << 0x41 << 0x41;
    QTest::newRow("DEL") << 0x7F << 0x7F;
    QTest::newRow("Cyrillic A") << 0xC0 << 0x0410;
    QTest::newRow("Cyrillic ge") << 0xC3 << 0x0413;
    QTest::newRow("Cyrillic small a") << 0xE0 << 0x0430;
    QTest::newRow("Cyrillic small ya") << 0xFF << 0x044F;
    QTest::newRow("Io") << 0xA8 << 0x0401;
    QTest::newRow("io") << 0xB8 << 0x0451;
    QTest::newRow("numero") << 0xB9 << 0x2116;
    QTest::newRow("euro") << 0x88 << 0x20AC;
    QTest::newRow("Dje") << 0x80 << 0x0402;
    QTest::newRow("undefined 0x98") << 0x98 << 0x0098;
    QTest::newRow("trade mark") << 0x99 << 0x2122;
    QTest::newRow("no-break space") << 0xA0 << 0x00A0;
    QTest::newRow("Ukrainian Ghe") << 0xA5 << 0x0490;
    QTest::newRow("dze") << 0xBE << 0x0455;
    QTest::newRow("yi") << 0xBF << 0x0457;
}

void TestMapFileRoundTrip::codePageTable()
{
    QFETCH(int, byte);
    QFETCH(int, unicode);
    const QByteArray one(1, char(byte));
    QCOMPARE(int(Windows1251::decode(one).at(0).unicode()), unicode);
    QCOMPARE(Windows1251::byteOf(char16_t(unicode)), byte);
}

void TestMapFileRoundTrip::codePageAllBytes()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Windows1251::decode(all);
    QCOMPARE(text.size(), 256);
    QSet<char16_t> distinct;
    for (QChar c : text)
        distinct.insert(c.unicode());
    QCOMPARE(distinct.size(), 256);
    QByteArray back;
    QCOMPARE(Windows1251::encode(text, back), qsizetype(-1));
    QCOMPARE(back, all);

    QByteArray partial = "x";
    QCOMPARE(Windows1251::encode(QStringLiteral("ab\u00E9c"), partial), qsizetype(2));
    QCOMPARE(partial, QByteArray("xab"));
    QCOMPARE(Windows1251::byteOf(u'\u4E2D'), -1);
}

void TestMapFileRoundTrip::unwritableCharacter()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("N-37-001.map"));
    const QByteArray original = sheetMap(quietOptions());
    writeFile(name, original);

    MapFile map;
    map.ReadMap(name);
    map.SetLine(40, QStringLiteral("Comment"), QStringLiteral("caf\u00E9"));
    try {
        map.WriteMap(name);
        QFAIL("a character outside the code page was written");
    } catch (const MapError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("cannot be written in the Windows-1251 code page")), qPrintable(e.text()));
    }
    QCOMPARE(readFile(name), original);
    QCOMPARE(othersIn(dir.path(), {QStringLiteral("N-37-001.map")}), QStringList());
    QVERIFY_THROWS_EXCEPTION(MapError, map.ToBytes());
}

void TestMapFileRoundTrip::lineBreakInLine()
{
    MapFile map;
    map.ReadBytes(sheetMap(quietOptions()));
    map.SetLine(40, QStringLiteral("Comment"), QStringLiteral("two\nlines"));
    QVERIFY_THROWS_EXCEPTION(MapError, map.ToBytes());
}

void TestMapFileRoundTrip::readFromDevice()
{
    const QByteArray bytes = sheetMap(quietOptions());
    QBuffer buffer;
    buffer.setData(bytes);
    MapFile map;
    map.ReadMap(buffer); // opened for reading when closed
    QCOMPARE(map.lineCount(), 56);
    QCOMPARE(map.ToBytes(), bytes);

    QBuffer writeOnly;
    QVERIFY(writeOnly.open(QIODevice::WriteOnly));
    QVERIFY_THROWS_EXCEPTION(MapError, map.ReadMap(writeOnly));
}

void TestMapFileRoundTrip::readOnlyTargetRefused()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("locked.map"));
    const QByteArray original = "old contents\r\n";
    writeFile(name, original);
    QVERIFY(QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));

    MapFile map;
    map.ReadBytes(sheetMap(quietOptions()));
    try {
        map.WriteMap(name);
        QFAIL("a read-only file was replaced");
    } catch (const MapError &e) {
        QVERIFY2(e.text().contains(name), qPrintable(e.text()));
    }
    QCOMPARE(readFile(name), original);
    const QFileDevice::Permissions writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QCOMPARE(QFile::permissions(name) & writeBits, QFileDevice::Permissions());
    QCOMPARE(othersIn(dir.path(), {QStringLiteral("locked.map")}), QStringList());
    QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestMapFileRoundTrip::permissions()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    MapFile map;
    map.ReadBytes(sheetMap(quietOptions()));

    const mode_t saved = ::umask(027);
    const QString fresh = dir.filePath(QStringLiteral("new.map"));
    map.WriteMap(fresh);
    ::umask(022);
    const QString fresh2 = dir.filePath(QStringLiteral("new2.map"));
    map.WriteMap(fresh2, false);
    ::umask(saved);

    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    QCOMPARE(::stat(QFile::encodeName(fresh2).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0644);

    const QString existing = dir.filePath(QStringLiteral("old.map"));
    writeFile(existing, "old\r\n");
    QCOMPARE(::chmod(QFile::encodeName(existing).constData(), 0604), 0);
    map.WriteMap(existing);
    QCOMPARE(::stat(QFile::encodeName(existing).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0604);
    QCOMPARE(readFile(existing), map.ToBytes());
#else
    QSKIP("POSIX permissions");
#endif
}

void TestMapFileRoundTrip::symbolicLink()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
    const QString target = dir.filePath(QStringLiteral("real/N-37-001.map"));
    const QString link = dir.filePath(QStringLiteral("link.map"));
    writeFile(target, "old\r\n");
    if (!QFile::link(QStringLiteral("real/N-37-001.map"), link))
        QSKIP("no symbolic links here");

    MapFile map;
    map.ReadBytes(sheetMap(quietOptions()));
    map.WriteMap(link);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(target), map.ToBytes());
    QCOMPARE(othersIn(dir.filePath(QStringLiteral("real")), {QStringLiteral("N-37-001.map")}), QStringList());
}

void TestMapFileRoundTrip::missingFolder()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("absent/N-37-001.map"));
    MapFile map;
    map.ReadBytes(sheetMap(quietOptions()));
    try {
        map.WriteMap(name);
        QFAIL("no error for a missing folder");
    } catch (const MapError &e) {
        QVERIFY2(e.text().contains(name), qPrintable(e.text()));
    }
    QVERIFY(!QFileInfo::exists(name));
}

void TestMapFileRoundTrip::targetIsFolder()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x.map")));
    MapFile map;
    map.ReadBytes(sheetMap(quietOptions()));
    QVERIFY_THROWS_EXCEPTION(MapError, map.WriteMap(dir.filePath(QStringLiteral("x.map"))));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("x.map"))).isDir());
    QCOMPARE(othersIn(dir.path(), {}), QStringList());
}

void TestMapFileRoundTrip::fileNameUsedWhenNameEmpty()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("N-37-001.map"));
    const QByteArray bytes = sheetMap(quietOptions());
    writeFile(name, bytes);
    MapFile map;
    map.FileName = name;
    map.ReadMap();
    QCOMPARE(map.lineCount(), 56);
    map.SetLine(43, QStringLiteral("MM0"), QStringLiteral("No"));
    map.WriteMap();
    QByteArray expected = bytes;
    expected.replace("\r\nMM0,Yes\r\n", "\r\nMM0,No\r\n");
    QCOMPARE(readFile(name), expected);

    MapFile unnamed;
    QVERIFY_THROWS_EXCEPTION(MapError, unnamed.WriteMap());
    QVERIFY_THROWS_EXCEPTION(MapError, unnamed.ReadMap());
}

QTEST_GUILESS_MAIN(TestMapFileRoundTrip)
#include "tst_mapfile_roundtrip.moc"
