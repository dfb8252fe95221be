// The frame finder's yardstick. For each seed of a range it draws a sheet
// with every property picked at random (tests/frame SheetDrawer::randomScan:
// scale and place, resolution, frame style, collar and crop, map content,
// scan faults, file format), runs FrameFinder::find on it and compares the
// corners with the drawn truth; then as many images that are no sheet (some
// of them sheets cut inside their frame or with an edge cut off), each given
// a sheet name, where "not found" is the right answer. One line an image,
// then the summary: the share of sheets with every corner within 2 px, within
// 2-10 px, found with a corner more than 10 px off (WRONG: must never happen),
// not found; non-sheets called found (WRONG); finding time per megapixel.
//
// Seeds 1-999 are the tuning range: draw them, look at them, tune on them.
// Seeds 100000 and up are held out: only the lead runs them, to judge a
// finder that has never seen them.
//
//   quillmark-bench-frameeval [--from N] [--to M] [--non-sheets K] [--max-side PX]
//                             [--threads T] [--keep DIR] [--only-draw] [--example DIR]
#include "frame/FrameFinder.h"
#include "frame/SheetDrawer.h"
#include "sheet/SheetIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const char *const kUsage =
    "usage: quillmark-bench-frameeval [--from N] [--to M] [--non-sheets K] [--max-side PX]\n"
    "                                 [--threads T] [--keep DIR] [--only-draw] [--example DIR]\n"
    "                                 [--neighbours DIR]\n"
    "  --from N, --to M   seeds of the random sheets (default 1 .. 50); 1-999 tune, 100000+ held out\n"
    "  --non-sheets K     also K images that are no sheet, seeds N .. N+K-1 (default 10)\n"
    "  --max-side PX      cap the images' longer side (default 0: as the resolution gives)\n"
    "  --threads T        sheets drawn and searched at once (default: the cores)\n"
    "  --keep DIR         keep the images in DIR, with truth.tsv (seed, file, corners NW NE SE SW)\n"
    "  --only-draw        draw into the --keep DIR, do not search\n"
    "  --example DIR      draw the README's example sheet into DIR and stop\n"
    "  --neighbours DIR   draw four of its neighbours for the screenshots into DIR and stop\n";

struct Outcome
{
    bool nonSheet = false;
    unsigned seed = 0;
    QString name, file, what;
    int scale = 0;
    QSize size;
    bool drawn = false, found = false;
    double error = -1, quality = 0, drawSeconds = 0, findSeconds = 0;
    QString reason;
    std::array<QPointF, 4> truth;
};

QString verdict(const Outcome &o)
{
    if (!o.drawn)
        return QStringLiteral("NOT-DRAWN");
    if (o.nonSheet)
        return o.found ? QStringLiteral("WRONG") : QStringLiteral("ok");
    if (!o.found)
        return QStringLiteral("miss");
    return o.error <= 2 ? QStringLiteral("ok") : o.error <= 10 ? QStringLiteral("near") : QStringLiteral("WRONG");
}

QString line(const Outcome &o)
{
    const QString scale = o.scale >= 1000 ? QStringLiteral("1:%1M").arg(o.scale / 1000) : QStringLiteral("1:%1K").arg(o.scale);
    QString s = QStringLiteral("%1 %2 %3 %4 %5x%6 %7")
                    .arg(o.nonSheet ? QStringLiteral("non-sheet") : QStringLiteral("sheet"), -9)
                    .arg(o.seed, 6)
                    .arg(o.name, -16)
                    .arg(scale, -6)
                    .arg(o.size.width())
                    .arg(o.size.height())
                    .arg(verdict(o), -5);
    if (o.found && !o.nonSheet)
        s += QStringLiteral(" err %1px q %2").arg(o.error, 0, 'f', 2).arg(o.quality, 0, 'f', 2);
    else if (o.found)
        s += QStringLiteral(" q %1").arg(o.quality, 0, 'f', 2);
    else if (!o.reason.isEmpty())
        s += QStringLiteral(" \"%1\"").arg(o.reason);
    s += QStringLiteral(" draw %1s find %2s | %3").arg(o.drawSeconds, 0, 'f', 1).arg(o.findSeconds, 0, 'f', 2).arg(o.what);
    return s;
}

// The README's example: a 1:100K sheet scanned whole at 250 dpi, a little
// turned and out of square, saved as JPEG.
SheetScan exampleScan()
{
    const double px = 250 / 25.4; // pixels a millimetre
    const SheetPrint print{
        .dpi = 250, .innerPen = 0.15, .innerRunOn = 93 / px, .band = 86 / px, .minuteEdges = 0xF,
        .bars = SheetPrint::Hollow, .strip = 7 / px, .stripPen = 1 / px, .hollowGap = 2 / px, .dots = true,
        .dotsOut = 0.9, .outerGap = 2.5, .outerPen = 1.0, .outerDithered = false, .numberBreak = false,
        .numberHeight = 2.6, .numbersOutside = false, .curved = false, .paperEdge = {{30, 12, 42, 12}},
        .crop = {{26, 10, 40, 10}}, .paper = 250, .frameInk = 25, .frameHue = 0, .fade = 0, .grid = true,
        .tints = true, .patterns = true, .water = 1, .edgeRoads = 8, .edgeRoadIn = 0.6, .edgeRoadWhole = false,
        .watermark = false, .content = true, .shear = 0.1, .keystone = 0.2, .bed = 235, .ditherGif = 1};
    const SheetScan s{
        .sheetName = QStringLiteral("N-37-056"), .scale = 100, .longSide = 0, .seed = 56, .rotation = 0.35,
        .shrinkX = 0.994, .shrinkY = 0.998, .blur = 0.7, .noise = 2.5, .colour = true, .folds = true,
        .unevenLight = true, .format = QStringLiteral("jpg"), .jpegQuality = 80, .print = print};
    return s;
}

// The example's neighbours for the screenshots of the check window and the
// corner editor: the same print, scanned at a lower resolution, each turned and
// aged its own way.
std::vector<SheetScan> neighbourScans()
{
    const char *const names[] = {"N-37-043", "N-37-044", "N-37-045", "N-37-055"};
    std::vector<SheetScan> scans;
    for (int i = 0; i < 4; ++i) {
        SheetScan s = exampleScan();
        const double px = 120 / 25.4;
        s.sheetName = QLatin1String(names[i]);
        s.seed = 43u + unsigned(i);
        s.rotation = -0.6 + 0.3 * i;
        s.shrinkX = 0.990 + 0.002 * i;
        s.jpegQuality = 65;
        s.folds = i % 2 == 0;
        s.print.dpi = 120;
        s.print.innerPen = 0.2;
        s.print.innerRunOn = 45 / px;
        s.print.band = 42 / px;
        s.print.strip = 4 / px;
        s.print.hollowGap = 1.5 / px;
        s.print.bars = i % 2 ? SheetPrint::Filled : SheetPrint::Hollow;
        s.print.tints = i != 1;
        s.print.edgeRoads = i == 3 ? 6 : 0;
        scans.push_back(s);
    }
    return scans;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    unsigned from = 1, to = 50;
    int nonSheets = 10, threads = QThread::idealThreadCount();
    RandomLimits limits;
    QString keep, example, neighbours;
    bool onlyDraw = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == QLatin1String("--only-draw")) {
            onlyDraw = true;
        } else if (hasValue && a == QLatin1String("--from")) {
            from = args[++i].toUInt();
        } else if (hasValue && a == QLatin1String("--to")) {
            to = args[++i].toUInt();
        } else if (hasValue && a == QLatin1String("--non-sheets")) {
            nonSheets = args[++i].toInt();
        } else if (hasValue && a == QLatin1String("--max-side")) {
            limits.maxSide = args[++i].toInt();
        } else if (hasValue && a == QLatin1String("--threads")) {
            threads = std::max(1, args[++i].toInt());
        } else if (hasValue && a == QLatin1String("--keep")) {
            keep = args[++i];
        } else if (hasValue && a == QLatin1String("--example")) {
            example = args[++i];
        } else if (hasValue && a == QLatin1String("--neighbours")) {
            neighbours = args[++i];
        } else {
            std::fprintf(stderr, "unknown option: %s\n%s", qPrintable(a), kUsage);
            return 2;
        }
    }
    if (!example.isEmpty()) {
        const SheetScan s = exampleScan();
        std::array<QPointF, 4> corners;
        const QString path = SheetDrawer::drawSheet(s, example, &corners);
        if (path.isEmpty()) {
            std::fprintf(stderr, "cannot draw the example\n");
            return 1;
        }
        std::printf("%s\n%s\ncorners NW NE SE SW:", qPrintable(path), qPrintable(SheetDrawer::describe(s)));
        for (const QPointF &c : corners)
            std::printf(" %.2f,%.2f", c.x(), c.y());
        std::printf("\n");
        return 0;
    }
    if (!neighbours.isEmpty()) {
        for (const SheetScan &s : neighbourScans()) {
            std::array<QPointF, 4> corners;
            const QString path = SheetDrawer::drawSheet(s, neighbours, &corners);
            if (path.isEmpty()) {
                std::fprintf(stderr, "cannot draw %s\n", qPrintable(s.sheetName));
                return 1;
            }
            std::printf("%s corners NW NE SE SW:", qPrintable(path));
            for (const QPointF &c : corners)
                std::printf(" %.2f,%.2f", c.x(), c.y());
            std::printf("\n");
        }
        return 0;
    }
    if (onlyDraw && keep.isEmpty()) {
        std::fprintf(stderr, "--only-draw needs --keep DIR\n");
        return 2;
    }
    if (to < from) {
        std::fprintf(stderr, "--to is below --from\n");
        return 2;
    }
    const QString shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir scratch(shm + QStringLiteral("/quillmark-frameeval-XXXXXX"));
    const QString folder = keep.isEmpty() ? scratch.path() : keep;
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }

    struct Job { bool nonSheet; unsigned seed; };
    std::vector<Job> jobs;
    for (unsigned s = from; s <= to; ++s)
        jobs.push_back({false, s});
    for (int k = 0; k < nonSheets; ++k)
        jobs.push_back({true, from + static_cast<unsigned>(k)});

    QMutex mutex;
    std::vector<Outcome> outcomes;
    QFile truth(QDir(folder).filePath(QStringLiteral("truth.tsv")));
    if (!keep.isEmpty() && truth.open(QIODevice::WriteOnly | QIODevice::Truncate))
        truth.write("kind\tseed\tfile\tnw_x\tnw_y\tne_x\tne_y\tse_x\tse_y\tsw_x\tsw_y\tdescription\n");
    QThreadPool pool;
    pool.setMaxThreadCount(threads);
    QElapsedTimer wall;
    wall.start();
    for (const Job &job : jobs) {
        pool.start([&, job] {
            Outcome o;
            o.nonSheet = job.nonSheet;
            o.seed = job.seed;
            SheetScan scan;
            NonSheetScan non;
            QElapsedTimer timer;
            timer.start();
            QString path;
            if (job.nonSheet) {
                non = SheetDrawer::randomNonSheet(job.seed, limits);
                scan = non.sheet;
                o.what = SheetDrawer::describe(non.kind);
                path = SheetDrawer::drawNonSheet(non, folder, QStringLiteral("non-%1-%2").arg(job.seed).arg(scan.sheetName));
            } else {
                scan = SheetDrawer::randomScan(job.seed, limits);
                o.what = SheetDrawer::describe(scan);
                path = SheetDrawer::drawSheet(scan, folder, &o.truth, QStringLiteral("%1-%2").arg(job.seed).arg(scan.sheetName));
            }
            o.drawSeconds = timer.nsecsElapsed() / 1e9;
            o.name = scan.sheetName;
            o.scale = scan.scale;
            o.file = QFileInfo(path).fileName();
            o.drawn = !path.isEmpty();
            if (o.drawn && !onlyDraw) {
                // The finder gets the name the way the map creator reads it.
                const SheetIdentity id = SheetIdentity::check(scan.sheetName + QStringLiteral(".") + scan.format,
                                                              scan.scale, QStringLiteral("R-CC-LLL"));
                timer.restart();
                const FrameResult r = FrameFinder::find(path, id);
                o.findSeconds = timer.nsecsElapsed() / 1e9;
                o.size = r.imageSize;
                o.found = r.found;
                o.quality = r.quality;
                o.reason = r.reason;
                if (r.found && !o.nonSheet) {
                    o.error = 0;
                    for (int k = 0; k < 4; ++k)
                        o.error = std::max(o.error, std::hypot(r.corners[k].x() - o.truth[k].x(),
                                                               r.corners[k].y() - o.truth[k].y()));
                }
            }
            if (o.drawn && !o.size.isValid())
                o.size = QImageReader(path).size();
            if (o.drawn && keep.isEmpty())
                QFile::remove(path);
            QMutexLocker lock(&mutex);
            if (truth.isOpen() && o.drawn) {
                QString row = QStringLiteral("%1\t%2\t%3").arg(o.nonSheet ? "non-sheet" : "sheet").arg(o.seed).arg(o.file);
                for (const QPointF &c : o.truth)
                    row += o.nonSheet ? QStringLiteral("\t\t") : QStringLiteral("\t%1\t%2").arg(c.x(), 0, 'f', 3).arg(c.y(), 0, 'f', 3);
                truth.write((row + '\t' + o.what + '\n').toUtf8());
                truth.flush();
            }
            std::printf("%s\n", qPrintable(line(o)));
            std::fflush(stdout);
            outcomes.push_back(o);
        });
    }
    pool.waitForDone();

    int sheets = 0, within2 = 0, near = 0, wrong = 0, missed = 0, non = 0, nonWrong = 0, failed = 0;
    double findSeconds = 0, megapixels = 0;
    for (const Outcome &o : outcomes) {
        if (!o.drawn) {
            ++failed;
            continue;
        }
        findSeconds += o.findSeconds;
        megapixels += o.size.width() * double(o.size.height()) / 1e6;
        if (o.nonSheet) {
            ++non;
            nonWrong += o.found ? 1 : 0;
            continue;
        }
        ++sheets;
        if (!o.found) ++missed;
        else if (o.error <= 2) ++within2;
        else if (o.error <= 10) ++near;
        else ++wrong;
    }
    auto share = [](int n, int of) { return of > 0 ? 100.0 * n / of : 0.0; };
    std::printf("\nseeds %u..%u, max side %d, %d threads, %.0f s in all\n", from, to, limits.maxSide, threads,
                wall.nsecsElapsed() / 1e9);
    if (failed > 0)
        std::printf("NOT DRAWN: %d\n", failed);
    if (onlyDraw) {
        std::printf("drawn: %d sheets, %d non-sheets into %s\n", sheets, non, qPrintable(folder));
        return failed > 0 ? 1 : 0;
    }
    std::printf("sheets: %d\n", sheets);
    std::printf("  every corner within 2 px:    %4d  %5.1f %%\n", within2, share(within2, sheets));
    std::printf("  a corner 2-10 px off:        %4d  %5.1f %%\n", near, share(near, sheets));
    std::printf("  WRONG (a corner > 10 px off):%4d  %5.1f %%\n", wrong, share(wrong, sheets));
    std::printf("  not found:                   %4d  %5.1f %%\n", missed, share(missed, sheets));
    std::printf("non-sheets: %d, WRONG (called found): %d\n", non, nonWrong);
    std::printf("finding: %.3f s per megapixel (%.1f MP in %.1f s)\n", megapixels > 0 ? findSeconds / megapixels : 0.0,
                megapixels, findSeconds);
    return failed > 0 ? 1 : 0;
}
