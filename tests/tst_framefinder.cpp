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
    void nonSheets_data();
    void nonSheets();
    void badFiles_data();
    void badFiles();

private:
    QTemporaryDir m_dir;
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
    if (!r.found)
        qInfo("%s: not found: %s", QTest::currentDataTag(), qPrintable(r.reason));
    QVERIFY2(r.found, qPrintable(r.reason));
    double worst = 0;
    for (int k = 0; k < 4; ++k)
        worst = std::max(worst, QLineF(r.corners[k], truth[k]).length());
    qInfo("%s: worst corner error %.2f px, quality %.2f", QTest::currentDataTag(), worst, r.quality);
    QVERIFY2(worst <= 2.0, qPrintable(QStringLiteral("a corner is %1 px off").arg(worst)));
    QVERIFY(r.quality > 0 && r.quality <= 1);
    QCOMPARE(r.imageSize.isValid(), true);
}

void TestFrameFinder::nonSheets_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("format");
    QTest::newRow("blank page") << int(NonSheet::Blank) << "png";
    QTest::newRow("page of text") << int(NonSheet::Text) << "jpg";
    QTest::newRow("photo-like") << int(NonSheet::Photo) << "jpg";
    QTest::newRow("map fragment without a frame") << int(NonSheet::MapFragment) << "png";
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
