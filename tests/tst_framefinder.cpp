// The frame finder on drawn scans: sheets drawn at random from a few seeds of
// the tuning range, images that are no sheets, and files that are no images.
#include "frame/FrameFinder.h"
#include "common/SheetImages.h"
#include "frame/FrameLine.h"
#include "frame/SheetDrawer.h"
#include "sheet/SheetIdentity.h"

#include <QFile>
#include <QLineF>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(NonSheet)

namespace {

// Small scans keep the suite fast; the yardstick (quillmark-bench-frameeval)
// measures the finder at the resolutions scans have.
RandomLimits smallScans()
{
    RandomLimits limits;
    limits.maxSide = 2000;
    return limits;
}

} // namespace

class TestFrameFinder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void randomSheets_data();
    void randomSheets();
    // How many of the sheets above were found: at least a floor.
    void foundShare();
    void gridFrames_data();
    void gridFrames();
    void nonSheets_data();
    void nonSheets();
    void badFiles_data();
    void badFiles();
    // Where a line running west-east meets one running north-south, bent or
    // straight, steep or not: the point lies on both.
    void crossing_data();
    void crossing();

private:
    QTemporaryDir m_dir;
    int m_sheets = 0;
    int m_found = 0;
};

void TestFrameFinder::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestFrameFinder::randomSheets_data()
{
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed = 301; seed <= 312; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestFrameFinder::randomSheets()
{
    QFETCH(unsigned, seed);
    const SheetScan scan = SheetDrawer::randomScan(seed, smallScans());
    std::array<QPointF, 4> truth;
    const QString path = SheetDrawer::drawSheet(scan, m_dir.path(), &truth, QStringLiteral("sheet-%1").arg(seed));
    QVERIFY2(!path.isEmpty(), "the drawer could not draw the sheet");
    const SheetIdentity id = SheetIdentity::check(scan.sheetName + '.' + scan.format, scan.scale, QStringLiteral("R-CC-LLL"));
    QVERIFY(id.ok());
    const FrameResult r = FrameFinder::find(path, id);
    ++m_sheets;
    if (!r.found) {
        QVERIFY(!r.reason.isEmpty());
        qInfo("not found: %s (%s)", qPrintable(r.reason), qPrintable(SheetDrawer::describe(scan)));
        return;
    }
    double worst = 0;
    for (int k = 0; k < 4; ++k)
        worst = std::max(worst, QLineF(r.corners[k], truth[k]).length());
    // A frame called found is right: a wrong one is the one outcome that must not happen.
    QVERIFY2(worst <= 2.0, qPrintable(QStringLiteral("a corner is %1 px off (%2)").arg(worst).arg(SheetDrawer::describe(scan))));
    QVERIFY(r.quality > 0 && r.quality <= 1);
    QVERIFY(r.reason.isEmpty());
    ++m_found;
}

void TestFrameFinder::foundShare()
{
    if (m_sheets == 0)
        QSKIP("no drawn sheets were tried");
    qInfo("%d of %d drawn sheets found", m_found, m_sheets);
    QVERIFY2(m_found >= 7, qPrintable(QStringLiteral("only %1 of %2 sheets found").arg(m_found).arg(m_sheets)));
}

// Sheets where lines beside the frame make a frame of the sheet's shape too:
// the km grid, turned against the frame by the grid's convergence (four grid
// lines just inside the frame, a block of grid squares), and the minute
// frame's inner line outside the west edge only. The real frame is found or
// none, never the other.
void TestFrameFinder::gridFrames_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("maxSide");
    QTest::newRow("grid squares inside a faint frame, 1:25K") << 100035u << 3000;
    QTest::newRow("the outermost grid lines, 1:100K") << 100036u << 3000;
    QTest::newRow("the minute frame's line along one edge, 1:200K at 415 dpi") << 300508u << 0;
}

void TestFrameFinder::gridFrames()
{
    QFETCH(unsigned, seed);
    QFETCH(int, maxSide);
    RandomLimits limits;
    limits.maxSide = maxSide;
    const SheetScan scan = SheetDrawer::randomScan(seed, limits);
    std::array<QPointF, 4> truth;
    const QString path = SheetDrawer::drawSheet(scan, m_dir.path(), &truth, QStringLiteral("grid-%1").arg(seed));
    QVERIFY(!path.isEmpty());
    const SheetIdentity id = SheetIdentity::check(scan.sheetName + '.' + scan.format, scan.scale, QStringLiteral("R-CC-LLL"));
    QVERIFY(id.ok());
    const FrameResult r = FrameFinder::find(path, id);
    if (!r.found) {
        QVERIFY(!r.reason.isEmpty());
        return;
    }
    for (int k = 0; k < 4; ++k)
        QVERIFY2(QLineF(r.corners[k], truth[k]).length() <= 2.0, qPrintable(SheetDrawer::describe(scan)));
}

void TestFrameFinder::nonSheets_data()
{
    QTest::addColumn<NonSheet>("kind");
    QTest::addColumn<unsigned>("seed");
    QTest::newRow("blank page") << NonSheet::Blank << 1u;
    QTest::newRow("page of text") << NonSheet::Text << 2u;
    QTest::newRow("photo-like") << NonSheet::Photo << 3u;
    QTest::newRow("map fragment without a frame") << NonSheet::MapFragment << 4u;
    QTest::newRow("ruled table with a heavy border") << NonSheet::Table << 5u;
    QTest::newRow("photograph of a building") << NonSheet::Building << 6u;
    QTest::newRow("map fragment, grid square to the image") << NonSheet::MapGrid << 7u;
    QTest::newRow("sheet cut inside its frame") << NonSheet::InsideFrame << 8u;
    QTest::newRow("sheet with a frame edge cut off") << NonSheet::EdgeCut << 9u;
    QTest::newRow("book page with a ruled box") << NonSheet::BookPage << 10u;
}

void TestFrameFinder::nonSheets()
{
    QFETCH(NonSheet, kind);
    QFETCH(unsigned, seed);
    // The name given is a random sheet's; the sheet-like kinds are that sheet, cut.
    const SheetScan sheet = SheetDrawer::randomScan(seed, smallScans());
    const QString path = SheetDrawer::drawNonSheet(kind, 1500, 1800, seed, m_dir.path(), QStringLiteral("non-%1").arg(seed),
                                                   sheet.format);
    QVERIFY(!path.isEmpty());
    const SheetIdentity id = SheetIdentity::check(sheet.sheetName + '.' + sheet.format, sheet.scale, QStringLiteral("R-CC-LLL"));
    QVERIFY(id.ok());
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

void TestFrameFinder::crossing_data()
{
    QTest::addColumn<double>("hb");    // west-east line: y = ha + hb x + hc (x - 1400)^2
    QTest::addColumn<double>("hc");
    QTest::addColumn<double>("vb");    // north-south line: x = va + vb y
    QTest::addColumn<double>("va");
    QTest::newRow("straight, square") << 0.0 << 0.0 << 0.0 << 100.0;
    QTest::newRow("straight, turned") << 0.02 << 0.0 << -0.02 << 150.0;
    // An arched 1:1M sheet's south edge meeting its steep west edge far from
    // the arc's middle (where the tangent's slope is far from the chord's).
    QTest::newRow("arched, steep side") << 0.0451 << -3.64e-5 << -0.144 << 455.7;
    QTest::newRow("arched, other corner") << 0.0451 << -3.64e-5 << 0.054 << 2640.0;
}

void TestFrameFinder::crossing()
{
    QFETCH(double, hb);
    QFETCH(double, hc);
    QFETCH(double, vb);
    QFETCH(double, va);
    FrameLine h;
    h.horizontal = true;
    h.a = 2500;
    h.b = hb;
    h.c = hc;
    h.mid = 1400;
    FrameLine v;
    v.horizontal = false;
    v.a = va;
    v.b = vb;
    const QPointF p = ::crossing(h, v);
    QVERIFY2(std::abs(h.across(p.x()) - p.y()) < 1e-6, qPrintable(QStringLiteral("%1 off the west-east line").arg(h.across(p.x()) - p.y())));
    QVERIFY2(std::abs(v.across(p.y()) - p.x()) < 1e-6, qPrintable(QStringLiteral("%1 off the north-south line").arg(v.across(p.y()) - p.x())));
}

QTEST_GUILESS_MAIN(TestFrameFinder)
#include "tst_framefinder.moc"
