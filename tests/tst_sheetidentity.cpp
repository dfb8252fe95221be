#include "sheet/SheetIdentity.h"

#include <QtTest>

// The checks the map creator makes on an image name, in its order, with its
// message texts.
class TestSheetIdentity : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void parts_data();
    void parts();
};

static const QString kDash = QStringLiteral("R-CC-LLL");
static const QString kNoDash = QStringLiteral("RCC-LLL");

void TestSheetIdentity::check_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("l50");
    QTest::addColumn<int>("l25");
    QTest::addColumn<bool>("south");

    const QString rowMsg = QStringLiteral(" Incorrect 1:1M map row in image name ");
    const QString colMsg = QStringLiteral(" Incorrect 1:1M map column number in image name ");

    // Row and column: the first failure is the one reported.
    QTest::newRow("X is no row") << "X-37-001.jpg" << 100 << kDash << "X-37-001.jpg" + rowMsg << 0 << 37 << -1 << 0
                                 << 0 << false;
    QTest::newRow("row failure hides column") << "X-3X-001.jpg" << 100 << kDash << "X-3X-001.jpg" + rowMsg << 0 << -1
                                              << -1 << 0 << 0 << false;
    QTest::newRow("column 61") << "N-61-001.jpg" << 100 << kDash << "N-61-001.jpg" + colMsg + "61" << 14 << 61 << -1
                               << 0 << 0 << false;
    QTest::newRow("column 0") << "N-00-001.jpg" << 100 << kDash << "N-00-001.jpg" + colMsg + "0" << 14 << 0 << -1 << 0
                              << 0 << false;
    QTest::newRow("column 60") << "N-60-001.jpg" << 100 << kDash << "" << 14 << 60 << 1 << 0 << 0 << false;
    QTest::newRow("column under wrong mask") << "N37-001.jpg" << 100 << kDash << "N37-001.jpg" + colMsg + "-1" << 14
                                             << -1 << -1 << 0 << 0 << false;
    QTest::newRow("unknown mask") << "N-37-001.jpg" << 100 << " " << "N-37-001.jpg" + colMsg + "-1" << 14 << -1 << -1
                                  << 0 << 0 << false;

    // List numbers.
    QTest::newRow("100K last") << "N-37-144.jpg" << 100 << kDash << "" << 14 << 37 << 144 << 0 << 0 << false;
    QTest::newRow("100K past the last") << "N-37-145.jpg" << 100 << kDash
                                        << "N-37-145.jpg Incorrect  map list number in image name 145" << 14 << 37
                                        << 145 << 0 << 0 << false;
    QTest::newRow("100K zero") << "N-37-000.jpg" << 100 << kDash
                               << "N-37-000.jpg Incorrect  map list number in image name 0" << 14 << 37 << 0 << 0 << 0
                               << false;
    QTest::newRow("200K last") << "N-37-36.jpg" << 200 << kDash << "" << 14 << 37 << 36 << 0 << 0 << false;
    QTest::newRow("200K past the last") << "N-37-37.jpg" << 200 << kDash
                                        << "N-37-37.jpg Incorrect  map list number in image name 37" << 14 << 37 << 37
                                        << 0 << 0 << false;
    QTest::newRow("500K letter") << QStringLiteral("N37-Г.gif") << 500 << kNoDash << "" << 14 << 37 << 4 << 0 << 0
                                 << false;
    QTest::newRow("500K bad letter") << QStringLiteral("N-37-Д.jpg") << 500 << kDash
                                     << QStringLiteral("N-37-Д.jpg Incorrect  map list number in image name -1") << 14
                                     << 37 << -1 << 0 << 0 << false;
    QTest::newRow("1M") << "N-37.jpg" << 1000 << kDash << "" << 14 << 37 << 0 << 0 << 0 << false;
    QTest::newRow("1M ignores what follows") << "N-37-999.jpg" << 1000 << kDash << "" << 14 << 37 << 0 << 0 << 0
                                             << false;
    QTest::newRow("unknown scale") << "N-37-001.jpg" << 0 << kDash
                                   << "N-37-001.jpg Incorrect  map list number in image name 0" << 14 << 37 << 0 << 0
                                   << 0 << false;

    // Quarter letters.
    QTest::newRow("50K") << QStringLiteral("N-37-001-А.jpg") << 50 << kDash << "" << 14 << 37 << 1 << 1 << 0 << false;
    QTest::newRow("50K bad letter")
        << QStringLiteral("N-37-001-Д.jpg") << 50 << kDash
        << QStringLiteral("N-37-001-Д.jpg Incorrect 1:50K map list number in image name 1") << 14 << 37 << 1 << -1 << 0
        << false;
    QTest::newRow("25K") << QStringLiteral("N-37-001-Б-г.jpg") << 25 << kDash << "" << 14 << 37 << 1 << 2 << 4
                         << false;
    QTest::newRow("25K bad second letter")
        << QStringLiteral("N-37-002-А-Д.jpg") << 25 << kDash
        << QStringLiteral("N-37-002-А-Д.jpg Incorrect 1:25K map list number in image name 2") << 14 << 37 << 2 << 1
        << -1 << false;
    QTest::newRow("25K bad first letter")
        << QStringLiteral("N-37-003-Д-а.jpg") << 25 << kDash
        << QStringLiteral("N-37-003-Д-а.jpg Incorrect 1:50K map list number in image name 3") << 14 << 37 << 3 << -1
        << 1 << false;
    QTest::newRow("25K both letters bad: the later level")
        << "N-37-004-X-X.jpg" << 25 << kDash << "N-37-004-X-X.jpg Incorrect 1:25K map list number in image name 4"
        << 14 << 37 << 4 << -1 << -1 << false;
    QTest::newRow("25K list and letter bad: letter level, list number")
        << QStringLiteral("N-37-200-Д-а.jpg") << 25 << kDash
        << QStringLiteral("N-37-200-Д-а.jpg Incorrect 1:50K map list number in image name 200") << 14 << 37 << 200
        << -1 << 1 << false;

    // Paths, extensions, southern names.
    QTest::newRow("Windows path") << "C:\\maps\\N-37-145.jpg" << 100 << kDash
                                  << "N-37-145.jpg Incorrect  map list number in image name 145" << 14 << 37 << 145
                                  << 0 << 0 << false;
    QTest::newRow("no extension") << "N-37-145" << 100 << kDash
                                  << "N-37-145. Incorrect  map list number in image name 145" << 14 << 37 << 145 << 0
                                  << 0 << false;
    QTest::newRow("southern") << "sK-37-001.jpg" << 100 << kDash << "" << 11 << 37 << 1 << 0 << 0 << true;
    QTest::newRow("southern no dash") << "sK37-001.jpg" << 100 << kNoDash << "" << 11 << 37 << 1 << 0 << 0 << true;
    QTest::newRow("southern bad list") << "sK37-150.png" << 100 << kNoDash
                                       << "sK37-150.png Incorrect  map list number in image name 150" << 11 << 37
                                       << 150 << 0 << 0 << true;
    QTest::newRow("upper S is northern row S") << "SK-37-001.jpg" << 100 << kDash << "SK-37-001.jpg" + colMsg + "-1"
                                               << 19 << -1 << -1 << 0 << 0 << false;
}

void TestSheetIdentity::check()
{
    QFETCH(QString, file);
    QFETCH(int, scale);
    QFETCH(QString, mask);
    QFETCH(QString, error);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, list);
    QFETCH(int, l50);
    QFETCH(int, l25);
    QFETCH(bool, south);

    const SheetIdentity id = SheetIdentity::check(file, scale, mask);
    QCOMPARE(id.error, error);
    QCOMPARE(id.ok(), error.isEmpty());
    QCOMPARE(int(id.row), row);
    QCOMPARE(int(id.col), col);
    QCOMPARE(int(id.list), list);
    QCOMPARE(int(id.list50), l50);
    QCOMPARE(int(id.list25), l25);
    QCOMPARE(id.south, south);
    QCOMPARE(id.scale, scale);
    QCOMPARE(id.mask, mask);
}

void TestSheetIdentity::parts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ext");
    QTest::newRow("plain") << "N-37-001.jpg" << "N-37-001.jpg" << "N-37-001" << "jpg";
    QTest::newRow("two dots") << "N-37-001.a.jpg" << "N-37-001.a.jpg" << "N-37-001" << "a.jpg";
    QTest::newRow("Windows path") << "D:\\in.dir\\N-37.jpg" << "N-37.jpg" << "N-37" << "jpg";
    QTest::newRow("Unix path") << "/data/in.dir/N-37.tif" << "N-37.tif" << "N-37" << "tif";
    QTest::newRow("no extension") << "N-37" << "N-37" << "N-37" << "";
}

void TestSheetIdentity::parts()
{
    QFETCH(QString, file);
    QFETCH(QString, fileName);
    QFETCH(QString, base);
    QFETCH(QString, ext);
    const SheetIdentity id = SheetIdentity::check(file, 1000, kDash);
    QCOMPARE(id.fileName, fileName);
    QCOMPARE(id.baseName, base);
    QCOMPARE(id.extension, ext);
    QVERIFY2(id.ok(), qPrintable(id.error));
}

QTEST_GUILESS_MAIN(TestSheetIdentity)
#include "tst_sheetidentity.moc"
