// The frame finder on drawn scans: each scanning effect, and images that are
// no sheets.
#include "frame/FrameFinder.h"
#include "common/SheetImages.h"
#include "frame/SheetDrawer.h"
#include "sheet/SheetIdentity.h"

#include <QFile>
#include <QLineF>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(SheetScan)

class TestFrameFinder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void corners_data();
    void corners();
    // The share of the drawn sheets found within 2 px, over the table above.
    void share();
    void nonSheets_data();
    void nonSheets();
    void badFiles_data();
    void badFiles();

private:
    QTemporaryDir m_dir;
    int m_sheets = 0;
    int m_within = 0;
};

void TestFrameFinder::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestFrameFinder::corners_data()
{
    QTest::addColumn<SheetScan>("scan");
    auto row = [](const char *name, auto change) {
        SheetScan s;
        s.seed = static_cast<unsigned>(qHash(QByteArray(name)));
        change(s);
        QTest::newRow(name) << s;
    };
    row("clean", [](SheetScan &) {});
    row("turned 2 degrees", [](SheetScan &s) { s.rotation = 2.0; });
    row("turned -1.5 degrees", [](SheetScan &s) { s.rotation = -1.5; s.gridTurn = -1.8; });
    row("uneven shrink", [](SheetScan &s) { s.shrinkX = 0.985; s.shrinkY = 1.0; s.rotation = 1.1; });
    row("blur", [](SheetScan &s) { s.blur = 1.6; });
    row("jpeg noise", [](SheetScan &s) { s.format = "jpg"; s.jpegQuality = 45; s.noise = 5; });
    row("gif palette", [](SheetScan &s) { s.format = "gif"; s.paletteColours = 8; });
    row("colour jpeg", [](SheetScan &s) { s.colour = true; s.format = "jpg"; s.jpegQuality = 80; });
    row("stains", [](SheetScan &s) { s.stains = true; });
    row("folds", [](SheetScan &s) { s.folds = true; });
    row("uneven light", [](SheetScan &s) { s.unevenLight = true; s.rotation = -0.8; });
    row("crop at outer frame", [](SheetScan &s) { s.cropAtOuterFrame = true; s.rotation = 0.3; });
    row("roads along the frame", [](SheetScan &s) { s.roadsAlongFrame = true; });
    row("grid parallel to the frame", [](SheetScan &s) { s.gridTurn = 0.0; s.rotation = 0.0; });
    row("tiff", [](SheetScan &s) { s.format = "tif"; s.rotation = -0.4; });
    row("bmp", [](SheetScan &s) { s.format = "bmp"; });
    row("1:50K", [](SheetScan &s) { s.sheetName = QStringLiteral("N-37-001-А"); s.scale = 50; });
    row("1:25K", [](SheetScan &s) { s.sheetName = QStringLiteral("M-36-011-Б-г"); s.scale = 25; });
    row("1:200K", [](SheetScan &s) { s.sheetName = QStringLiteral("P-40-07"); s.scale = 200; });
    row("southern sheet", [](SheetScan &s) { s.sheetName = QStringLiteral("sL-34-100"); });
    row("larger scan", [](SheetScan &s) { s.longSide = 3200; s.blur = 1.0; s.format = "jpg"; });
    row("everything", [](SheetScan &s) {
        s.rotation = -1.7; s.shrinkX = 1.0; s.shrinkY = 0.988; s.blur = 1.2; s.stains = true; s.folds = true;
        s.roadsAlongFrame = true; s.format = "jpg"; s.jpegQuality = 60; s.noise = 4; s.colour = true; });
    row("colour scanned to grey", [](SheetScan &s) {
        s.colour = true; s.greyScan = true; s.format = "jpg"; s.jpegQuality = 70; s.rotation = 0.9; });
    row("yellowed paper", [](SheetScan &s) {
        s.colour = true; s.yellowed = true; s.format = "jpg"; s.blur = 0.7; s.stains = true; s.rotation = -1.1; });
    row("turned 2.8 degrees", [](SheetScan &s) { s.rotation = 2.8; s.gridTurn = 2.0; s.format = "jpg"; });
    row("turned -3 degrees", [](SheetScan &s) { s.rotation = -3.0; s.blur = 0.8; });
    row("10-second dots", [](SheetScan &s) { s.dotRadius = 0.3; s.blur = 0.9; s.format = "jpg"; });
    row("corner labels at the corner", [](SheetScan &s) { s.labelsAtCorner = true; s.blur = 1.0; s.rotation = 1.4; });
    row("crop into the outer frame", [](SheetScan &s) { s.cropInto = 0.5; s.rotation = 0.7; s.format = "jpg"; });
    row("roads along whole edges", [](SheetScan &s) { s.roadAlongEdges = true; s.blur = 0.8; s.rotation = -0.6; });
    row("grid turned 3 degrees", [](SheetScan &s) { s.gridTurn = 3.0; s.rotation = -1.2; });
    row("1:500K", [](SheetScan &s) { s.sheetName = QStringLiteral("N-44-Б"); s.scale = 500; s.rotation = 1.0; });
    row("1:1M", [](SheetScan &s) { s.sheetName = QStringLiteral("N-44"); s.scale = 1000; s.longSide = 3000; });
    row("1:10K", [](SheetScan &s) { s.sheetName = QStringLiteral("N-37-001-А-а-3"); s.scale = 10; s.rotation = -0.9; });
    row("low resolution", [](SheetScan &s) { s.longSide = 1500; s.format = "jpg"; s.jpegQuality = 70; s.rotation = 1.3; });
    row("uneven shrink, turned", [](SheetScan &s) {
        s.shrinkX = 0.975; s.shrinkY = 0.995; s.rotation = -2.3; s.blur = 0.8; s.format = "jpg"; });
}

void TestFrameFinder::corners()
{
    QFETCH(SheetScan, scan);
    std::array<QPointF, 4> truth;
    const QString path = SheetDrawer::drawSheet(scan, m_dir.path(), &truth, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY2(!path.isEmpty(), "the drawer could not draw the sheet");
    const SheetIdentity id = SheetIdentity::check(scan.sheetName + ".png", scan.scale, QStringLiteral("R-CC-LLL"));
    QVERIFY(id.ok());
    const FrameResult r = FrameFinder::find(path, id);
    ++m_sheets;
    if (!r.found) {
        // A miss counts against the share below; a wrong frame fails here.
        qWarning("%s: not found: %s", QTest::currentDataTag(), qPrintable(r.reason));
        return;
    }
    double worst = 0;
    for (int k = 0; k < 4; ++k)
        worst = std::max(worst, QLineF(r.corners[k], truth[k]).length());
    qInfo("%s: worst corner error %.2f px, quality %.2f", QTest::currentDataTag(), worst, r.quality);
    if (worst > 10.0)
        QFAIL(qPrintable(QStringLiteral("a wrong frame: a corner is %1 px off").arg(worst)));
    QVERIFY2(worst <= 2.0, qPrintable(QStringLiteral("a corner is %1 px off").arg(worst)));
    QVERIFY(r.quality > 0 && r.quality <= 1);
    QCOMPARE(r.imageSize.isValid(), true);
    ++m_within;
}

void TestFrameFinder::share()
{
    if (m_sheets == 0)
        QSKIP("no drawn sheets were tried");
    const double share = double(m_within) / m_sheets;
    qInfo("%d of %d drawn sheets found with every corner within 2 px (%.1f %%)", m_within, m_sheets, 100 * share);
    QVERIFY2(share >= 0.95, qPrintable(QStringLiteral("only %1 of %2 sheets found").arg(m_within).arg(m_sheets)));
}

void TestFrameFinder::nonSheets_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("format");
    QTest::newRow("blank page") << int(NonSheet::Blank) << "png";
    QTest::newRow("page of text") << int(NonSheet::Text) << "jpg";
    QTest::newRow("photo-like") << int(NonSheet::Photo) << "jpg";
    QTest::newRow("map fragment without a frame") << int(NonSheet::MapFragment) << "png";
    QTest::newRow("ruled table with a heavy border") << int(NonSheet::Table) << "png";
    QTest::newRow("photograph of a building") << int(NonSheet::Building) << "jpg";
    QTest::newRow("map fragment, grid square to the image") << int(NonSheet::MapGrid) << "jpg";
}

void TestFrameFinder::nonSheets()
{
    QFETCH(int, kind);
    QFETCH(QString, format);
    const QString path = SheetDrawer::drawNonSheet(static_cast<NonSheet>(kind), 1800, 2100, 7, m_dir.path(),
                                                   QStringLiteral("N-44-126-%1").arg(kind), format);
    QVERIFY(!path.isEmpty());
    const SheetIdentity id = SheetIdentity::check("N-44-126.png", 100, QStringLiteral("R-CC-LLL"));
    const FrameResult r = FrameFinder::find(path, id);
    QVERIFY2(!r.found, "a frame was found on an image that is no sheet");
    QVERIFY(!r.reason.isEmpty());
}

void TestFrameFinder::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("missing file") << QByteArray() << "cannot open";
    QTest::newRow("not an image") << QByteArray("plain words, no pixels") << "cannot decode";
    QTest::newRow("wider than a map file holds") << SheetImages::png(40000, 100) << "32767";
    QTest::newRow("higher than a map file holds") << SheetImages::jpeg(100, 33000) << "32767";
    QTest::newRow("more pixels than are decoded") << SheetImages::png(20500, 19800) << "20500 x 19800 pixels: too large";
    QTest::newRow("truncated PNG") << QByteArray::fromHex("89504E470D0A1A0A0000000D4948445200000100") << "decode";
}

void TestFrameFinder::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reasonPart);
    const QString path = m_dir.filePath(QStringLiteral("bad-%1.jpg").arg(QTest::currentDataTag()));
    if (!bytes.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const SheetIdentity id = SheetIdentity::check("N-44-126.png", 100, QStringLiteral("R-CC-LLL"));
    const FrameResult r = FrameFinder::find(path, id);
    QVERIFY(!r.found);
    QVERIFY2(r.reason.contains(reasonPart), qPrintable(r.reason));
}

QTEST_GUILESS_MAIN(TestFrameFinder)
#include "tst_framefinder.moc"
