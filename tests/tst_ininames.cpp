// Section and key names at the edges of what a settings file line can hold:
// a write either stores a value that reads back, or says it stored nothing,
// and never hides the other keys of the file.
#include "settings/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestIniNames : public QObject
{
    Q_OBJECT

private slots:
    void writeThenRead_data();
    void writeThenRead();
};

void TestIniNames::writeThenRead_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("stored");

    QTest::newRow("plain") << "sets" << "path" << true;
    // Blanks around the names are ignored in the file, so also in the call.
    QTest::newRow("section with trailing blank") << "sets " << "path" << true;
    QTest::newRow("key with trailing blank") << "sets" << "path " << true;
    QTest::newRow("key with leading blank") << "sets" << " path" << true;
    // These lines would read as a section header or a comment.
    QTest::newRow("key starting with [") << "sets" << "[other" << false;
    QTest::newRow("key starting with ; ") << "sets" << ";path" << false;
    QTest::newRow("key starting with blank and [") << "sets" << "  [x]" << false;
}

void TestIniNames::writeThenRead()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, stored);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("q.ini"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[sets]\r\nLeftMapCreator=120\r\n");
    }
    QCOMPARE(IniFile::write(file, section, key, QStringLiteral("C:\\Maps")), stored);
    // A second write of the same key replaces the first instead of adding a line.
    QCOMPARE(IniFile::write(file, section, key, QStringLiteral("D:\\Scans")), stored);
    if (stored)
        QCOMPARE(IniFile::read(file, section, key, QStringLiteral("none")), QStringLiteral("D:\\Scans"));
    QCOMPARE(IniFile::read(file, QStringLiteral("sets"), QStringLiteral("LeftMapCreator"), QStringLiteral("none")),
             QStringLiteral("120"));

    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.count("Scans"), stored ? 1 : 0);
    QCOMPARE(bytes.count("C:\\Maps"), 0);
}

QTEST_GUILESS_MAIN(TestIniNames)
#include "tst_ininames.moc"
