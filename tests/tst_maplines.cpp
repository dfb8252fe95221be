// How a map document keeps its lines: read lines come back byte for byte,
// a changed or added line is written in the document's line end, and a
// line set to the text it has keeps its own bytes.

#include "mapfile/MapFile.h"

#include <QtTest>

class TestMapLines : public QObject
{
    Q_OBJECT

private slots:
    void edits_data();
    void edits();
};

void TestMapLines::edits_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("operation"); // "set" or "add"
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("expected");

    // Seven lines that are all body, then lines split at their first comma.
    const QByteArray head = "h0\r\nh1\r\nh2\r\nh3\r\nh4\r\nh5\r\nh6\r\n";
    QTest::newRow("set: a line of another text")
        << head + "A,1\r\nB,2\r\n" << "set" << 7 << "A" << "9" << head + "A,9\r\nB,2\r\n";
    QTest::newRow("set: the same text keeps a leading comma")
        << head + ",abc\r\nB,2\r\n" << "set" << 7 << "" << "abc" << head + ",abc\r\nB,2\r\n";
    QTest::newRow("set: the same text keeps a trailing comma")
        << head + "abc,\r\nB,2\r\n" << "set" << 7 << "abc" << "" << head + "abc,\r\nB,2\r\n";
    QTest::newRow("set: other lines keep their own line ends")
        << head + "A,1\nB,2\r\nC,3" << "set" << 8 << "B" << "5" << head + "A,1\nB,5\r\nC,3";
    QTest::newRow("set: a changed line takes the first line end read")
        << QByteArray("h0\nh1\r\nh2\r\nh3\r\nh4\r\nh5\r\nh6\r\nA,1\r\n") << "set" << 7 << "A" << "2"
        << QByteArray("h0\nh1\r\nh2\r\nh3\r\nh4\r\nh5\r\nh6\r\nA,2\n");
    QTest::newRow("set: a title without a body loses the comma")
        << head + "A,1\r\n" << "set" << 7 << "A" << "" << head + "A\r\n";
    QTest::newRow("set: a body among the first lines keeps its commas")
        << head << "set" << 3 << "" << "x, y,z" << QByteArray("h0\r\nh1\r\nh2\r\nx, y,z\r\nh4\r\nh5\r\nh6\r\n");
    QTest::newRow("set: a carriage return at the end stays in the line")
        << head + "A,1\r\n" << "set" << 7 << "A" << "2\r" << head + "A,2\r\r\n";
    QTest::newRow("add: after a last line without a line end")
        << head + "A,1" << "add" << -1 << "B" << "2" << head + "A,1\r\nB,2\r\n";
    QTest::newRow("add: a title alone")
        << head << "add" << -1 << "Track File = TF" << "" << head + "Track File = TF\r\n";
    QTest::newRow("add: Cyrillic in Windows-1251")
        << head << "add" << -1 << QString::fromUtf8("Лист") << QString::fromUtf8("а,б")
        << head + "\xcb\xe8\xf1\xf2,\xe0,\xe1\r\n";
    QTest::newRow("add: into a file of line feeds")
        << QByteArray("h0\nh1\nh2\nh3\nh4\nh5\nh6\n") << "add" << -1 << "MM0" << "Yes"
        << QByteArray("h0\nh1\nh2\nh3\nh4\nh5\nh6\nMM0,Yes\n");
}

void TestMapLines::edits()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, operation);
    QFETCH(int, line);
    QFETCH(QString, title);
    QFETCH(QString, body);
    QFETCH(QByteArray, expected);

    MapFile map;
    map.KeepReadLines = true;
    map.ReadBytes(file);
    QCOMPARE(map.ToBytes(), file); // nothing changed yet
    if (operation == QLatin1String("set"))
        map.SetLine(line, title, body);
    else
        map.AddLine(title, body);
    QCOMPARE(map.ToBytes(), expected);
    // The fields as the document hands them out agree with what was set.
    const int n = operation == QLatin1String("set") ? line : map.lineCount() - 1;
    QCOMPARE(map.line(n).Title, title);
    QCOMPARE(map.line(n).Body, body);
    QCOMPARE(map.lineTitle(n), title);
}

QTEST_GUILESS_MAIN(TestMapLines)
#include "tst_maplines.moc"
