// The sheet drawer's truth: on clean drawings (no map, no grid, no blur or
// noise, PNG) the inner frame's ink must lie where the drawer says the inner
// frame lines run, and be dark at the corners it reports.
#include "frame/SheetDrawer.h"

#include <QLineF>
#include <QTemporaryDir>
#include <QtTest>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <array>
#include <cmath>

Q_DECLARE_METATYPE(SheetScan)

namespace {

double sample(const cv::Mat &grey, double x, double y)
{
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= grey.cols || y0 + 1 >= grey.rows)
        return 255;
    const double fx = x - x0, fy = y - y0;
    auto v = [&](int xx, int yy) { return double(grey.at<uchar>(yy, xx)); };
    return v(x0, y0) * (1 - fx) * (1 - fy) + v(x0 + 1, y0) * fx * (1 - fy) + v(x0, y0 + 1) * (1 - fx) * fy
           + v(x0 + 1, y0 + 1) * fx * fy;
}

} // namespace

class TestSheetDrawer : public QObject
{
    Q_OBJECT

private slots:
    void inkOnTruth_data();
    void inkOnTruth();

private:
    QTemporaryDir m_dir;
};

void TestSheetDrawer::inkOnTruth_data()
{
    QTest::addColumn<SheetScan>("scan");
    auto row = [](const char *name, unsigned seed, const std::function<void(SheetScan &)> &change) {
        RandomLimits limits;
        limits.maxSide = 1600;
        SheetScan s = SheetDrawer::randomScan(seed, limits);
        SheetPrint &f = s.print;
        f.content = f.grid = f.watermark = false;
        f.keystone = f.shear = f.fade = s.rotation = s.blur = s.noise = 0;
        f.frameInk = 10;
        s.shrinkX = s.shrinkY = 1;
        s.stains = s.folds = s.unevenLight = s.yellowed = false;
        s.format = QStringLiteral("png");
        change(s);
        QTest::newRow(name) << s;
    };
    row("1:100K upright", 11, [](SheetScan &s) { s.sheetName = QStringLiteral("N-37-056"); s.scale = 100; });
    row("1:50K turned and sheared", 12, [](SheetScan &s) {
        s.sheetName = QStringLiteral("M-36-011-Б"); s.scale = 50; s.print.curved = false;
        s.rotation = 2.6; s.print.shear = 0.3; s.shrinkX = 0.975; });
    row("1:200K out of square", 13, [](SheetScan &s) {
        s.sheetName = QStringLiteral("P-40-07"); s.scale = 200; s.print.curved = false;
        s.print.keystone = 0.8; s.rotation = -1.2; });
    row("1:25K thin line, low resolution", 14, [](SheetScan &s) {
        s.sheetName = QStringLiteral("N-37-001-А-а"); s.scale = 25; s.print.curved = false;
        s.print.innerPen = 0.08; s.print.dpi = 150; s.longSide = 0; });
    row("southern 1:100K, cut at the outer line", 15, [](SheetScan &s) {
        s.sheetName = QStringLiteral("sL-34-100"); s.scale = 100; s.print.curved = false;
        s.print.crop = {{0.2, 0.2, 0.2, 0.2}}; s.rotation = 0.7; });
    row("1:1M curved parallels", 16, [](SheetScan &s) {
        s.sheetName = QStringLiteral("N-44"); s.scale = 1000; s.print.curved = true; s.rotation = -0.5; });
    row("doubled 1:100K north of 60", 17, [](SheetScan &s) {
        s.sheetName = QStringLiteral("Q-39-100"); s.scale = 100; s.print.curved = false;
        s.print.innerPen = 0.3; s.print.frameHue = 1; s.colour = true; s.print.keystone = 0.5; });
}

void TestSheetDrawer::inkOnTruth()
{
    QFETCH(SheetScan, scan);
    std::array<QPointF, 4> truth;
    const QString path = SheetDrawer::drawSheet(scan, m_dir.path(), &truth, QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY2(!path.isEmpty(), "the sheet was not drawn");
    const cv::Mat grey = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_GRAYSCALE);
    QVERIFY(!grey.empty());
    const double paper = sample(grey, grey.cols / 2.0, grey.rows / 2.0);
    int checked = 0;
    for (int k = 0; k < 4; ++k) {
        // The corner itself is ink.
        QVERIFY2(sample(grey, truth[k].x(), truth[k].y()) < paper - 40,
                 qPrintable(QStringLiteral("corner %1 is not on ink").arg(k)));
        for (int side = 0; side < 2; ++side) {
            // Edges from this corner: to the next corner and to the previous
            // one; the parallels of a curved sheet are arcs, left out.
            const int other = side == 0 ? (k + 1) % 4 : (k + 3) % 4;
            const bool parallel = (k < 2) == (other < 2);
            if (parallel && scan.print.curved)
                continue;
            const QLineF edge(truth[k], truth[other]);
            const QPointF along = (truth[other] - truth[k]) / edge.length();
            const QPointF across(-along.y(), along.x());
            // The darkness-weighted centre of the line across it, a little
            // way in from the corner, must be on the line the truth gives.
            for (double s : {25.0, 40.0, 60.0}) {
                const QPointF q = truth[k] + along * s;
                double sum = 0, moment = 0;
                for (double o = -6; o <= 6; o += 0.25) {
                    const double dark = std::max(0.0, paper - sample(grey, q.x() + across.x() * o, q.y() + across.y() * o));
                    sum += dark;
                    moment += dark * o;
                }
                QVERIFY2(sum > 0, "no ink across the frame line");
                const double centre = moment / sum;
                QVERIFY2(std::abs(centre) < 0.15,
                         qPrintable(QStringLiteral("corner %1: the line's ink is %2 px off the truth").arg(k).arg(centre)));
                ++checked;
            }
        }
    }
    QVERIFY(checked >= 12);
}

QTEST_GUILESS_MAIN(TestSheetDrawer)
#include "tst_sheetdrawer.moc"
