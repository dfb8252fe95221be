// Frame finder benchmark: time per sheet on one core and peak memory for 25-
// and 100-megapixel JPEG scans drawn by the test sheet drawer, each size
// measured in its own process (peak memory is the process's VmHWM); then the throughput over a folder of scans
// with all cores.
//
//   quillmark-bench-frame [--folder-sheets N] [--sizes 25,100]
#include "frame/FrameFinder.h"
#include "frame/SheetDrawer.h"
#include "sheet/SheetIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <sched.h>
#include <time.h>
#include <sys/resource.h>

#include <atomic>
#include <cmath>
#include <cstdio>

namespace {

SheetIdentity identity()
{
    return SheetIdentity::check(QStringLiteral("N-44-126.jpg"), 100, QStringLiteral("R-CC-LLL"));
}

// Peak resident memory of this process image: VmHWM (getrusage's ru_maxrss
// would carry the drawing parent's peak over the exec of a measuring child).
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child: find the frame in one image a few times, held to one core (the
// library's own worker threads included).
int measure(const QString &path)
{
    cpu_set_t one;
    CPU_ZERO(&one);
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        for (int c = 0; c < CPU_SETSIZE; ++c)
            if (CPU_ISSET(c, &allowed)) { CPU_SET(c, &one); break; }
        sched_setaffinity(0, sizeof one, &one);
    }
    const SheetIdentity id = identity();
    double best = 1e9, first = 0, bestCpu = 1e9;
    bool found = false;
    // CPU time as well: on a busy machine the wall clock also counts the
    // time other processes held the core.
    auto cpuNow = [] {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec + ts.tv_nsec / 1e9;
    };
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = cpuNow();
        const FrameResult r = FrameFinder::find(path, id);
        const double s = timer.nsecsElapsed() / 1e9;
        bestCpu = std::min(bestCpu, cpuNow() - cpu0);
        if (run == 0)
            first = s;
        best = std::min(best, s);
        found = r.found;
        if (!r.found)
            std::fprintf(stderr, "not found: %s\n", qPrintable(r.reason));
    }
    std::printf("%.3f %.3f %ld %d %.3f\n", first, best, peakKb(), found ? 1 : 0, bestCpu);
    return 0;
}

// Child: every image of a folder, one a thread on all cores.
int folder(const QString &dir)
{
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
    const SheetIdentity id = identity();
    std::atomic<int> found{0};
    QThreadPool pool;
    pool.setMaxThreadCount(QThread::idealThreadCount());
    QElapsedTimer timer;
    timer.start();
    for (const QString &n : names) {
        const QString path = QDir(dir).filePath(n);
        pool.start([path, id, &found] {
            if (FrameFinder::find(path, id).found)
                ++found;
        });
    }
    pool.waitForDone();
    const double s = timer.nsecsElapsed() / 1e9;
    std::printf("%lld %.3f %d %d %ld\n", static_cast<long long>(names.size()), s, found.load(),
                QThread::idealThreadCount(), peakKb());
    return 0;
}

QString child(const QStringList &args)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(-1);
    std::fputs(p.readAllStandardError().constData(), stderr);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--measure"))
        return measure(args[2]);
    if (args.size() >= 3 && args[1] == QLatin1String("--folder"))
        return folder(args[2]);

    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::printf("usage: quillmark-bench-frame [--folder-sheets N] [--sizes 25,100]\n"
                    "  Draws JPEG scans of the given sizes (megapixels) and finds their frames: wall time (first\n"
                    "  and best of three) and CPU time on one core, peak memory of the measuring process, the\n"
                    "  worst corner error; then N copies of the 25 MP scan on all cores (default 8).\n");
        return 0;
    }
    int folderSheets = 8;
    QList<int> sizes{25, 100};
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--folder-sheets"))
            folderSheets = args[i + 1].toInt();
        if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString &s : args[i + 1].split(QLatin1Char(',')))
                sizes << s.toInt();
        }
    }
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir dir(base + QStringLiteral("/quillmark-bench-frame-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }
    std::printf("size_MP  pixels         first_s  best_s  cpu_s  peak_MB  corner_err_px  found\n");
    QString path25;
    for (int mp : sizes) {
        SheetScan scan;
        scan.format = QStringLiteral("jpg");
        scan.jpegQuality = 85;
        scan.rotation = 0.8;
        scan.blur = 0.8;
        scan.noise = 3;
        // The page's aspect is about 0.87: the long side for `mp` megapixels.
        scan.longSide = static_cast<int>(std::sqrt(mp * 1e6 / 0.87));
        std::array<QPointF, 4> truth;
        const QString sub = dir.filePath(QString::number(mp));
        const QString path = SheetDrawer::drawSheet(scan, sub, &truth);
        if (path.isEmpty()) {
            std::fprintf(stderr, "cannot draw the %d MP sheet\n", mp);
            return 1;
        }
        if (mp == 25)
            path25 = path;
        const FrameResult r = FrameFinder::find(path, identity());
        double worst = -1;
        if (r.found)
            for (int k = 0; k < 4; ++k)
                worst = std::max(worst, std::hypot(r.corners[k].x() - truth[k].x(), r.corners[k].y() - truth[k].y()));
        const QStringList m = child({QStringLiteral("--measure"), path}).split(QLatin1Char(' '));
        if (m.size() < 5) {
            std::fprintf(stderr, "the measuring process failed\n");
            return 1;
        }
        std::printf("%-8d %5d x %-6d  %7s  %6s  %5s  %7.0f  %13.2f  %s\n", mp, r.imageSize.width(), r.imageSize.height(),
                    qPrintable(m[0]), qPrintable(m[1]), qPrintable(m[4]), m[2].toDouble() / 1024.0, worst,
                    m[3] == "1" ? "yes" : "no");
        std::fflush(stdout);
    }
    if (!path25.isEmpty() && folderSheets > 0) {
        const QString sub = dir.filePath(QStringLiteral("folder"));
        QDir().mkpath(sub);
        for (int i = 0; i < folderSheets; ++i)
            QFile::copy(path25, QDir(sub).filePath(QStringLiteral("N-44-126-%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
        const QStringList f = child({QStringLiteral("--folder"), sub}).split(QLatin1Char(' '));
        if (f.size() >= 5)
            std::printf("folder: %s sheets of 25 MP in %s s on %s threads: %.2f sheets/s, %s found, peak %.0f MB\n",
                        qPrintable(f[0]), qPrintable(f[1]), qPrintable(f[3]), f[0].toDouble() / f[1].toDouble(),
                        qPrintable(f[2]), f[4].toDouble() / 1024.0);
    }
    return 0;
}
