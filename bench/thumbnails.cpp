// Time until the sheet check window has every thumbnail of a folder: the
// window shown, the folder read, the thumbnails made on the worker threads
// (or taken from the cache) and handed to the list. The frame finder is left
// out (a finder that finds nothing at once), so that the figure is the
// thumbnails' alone.
//
//   quillmark-bench-thumbnails [--verdicts] MAPS_DIR
//   quillmark-bench-thumbnails --make-scan WIDTH HEIGHT FILE.jpg
//
// With --verdicts the window's own frame finder runs, and the time is until
// every verdict is there as well (the window as a person uses it: for its
// peak memory, say).
//
// The second form writes one scan-like JPEG (paper with noise, a frame and a
// few lines, quality 95) for the folder of the first.
//
// The cache is the user's cache folder (XDG_CACHE_HOME on Linux): empty it
// for a run without cache.
#include "settings/Settings.h"
#include "ui/SheetCheck.h"
#include "ui/SheetListModel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// Paper with sensor-like noise (which keeps the JPEG large, as a real scan's
// is), a thick frame and some lines.
int makeScan(int width, int height, const QString &path)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 7;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int n = int((state >> 24) % 41) - 20;
            line[x] = qRgb(qBound(0, 0xf4 + n, 255), qBound(0, 0xef + n, 255), qBound(0, 0xe2 + n, 255));
        }
    }
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 6));
    p.drawRect(width * 3 / 100, height * 5 / 100, width * 94 / 100, height * 90 / 100);
    p.setPen(QPen(QColor(60, 60, 160), 2));
    for (int i = 1; i < 10; ++i)
        p.drawLine(width * i / 10, height * 5 / 100, width * i / 10 + width / 50, height * 95 / 100);
    p.end();
    if (!image.save(path, "JPG", 95)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmark"));
    if (argc == 5 && QByteArray(argv[1]) == "--make-scan")
        return makeScan(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toInt(), QString::fromLocal8Bit(argv[4]));
    const bool verdicts = argc == 3 && QByteArray(argv[1]) == "--verdicts";
    if (argc != 2 && !verdicts) {
        std::fprintf(stderr, "usage: quillmark-bench-thumbnails [--verdicts] MAPS_DIR\n");
        return 2;
    }
    QTemporaryDir settings;
    Settings::setSettingsFile(settings.filePath(QStringLiteral("quillmark.ini")));
    Settings::setLastPath(QString::fromLocal8Bit(argv[argc - 1]));

    QElapsedTimer clock;
    clock.start();
    const SheetVerdict::Finder noFinder = [](const QString &, const SheetIdentity &) { return FrameResult(); };
    SheetCheck window(nullptr, verdicts ? SheetVerdict::Finder() : noFinder);
    window.show();
    QApplication::processEvents();
    const qint64 shown = clock.elapsed();
    // Connected before the folder is read: a folder where no sheet has an
    // image is finished within loadFolder().
    qint64 finished = -1;
    qint64 judged = -1;
    QObject::connect(&window, &SheetCheck::thumbnailsFinished, &app, [&] {
        finished = clock.elapsed();
        if (!verdicts)
            QTimer::singleShot(0, &app, &QApplication::quit);
    });
    QObject::connect(&window, &SheetCheck::verdictsFinished, &app, [&] {
        judged = clock.elapsed();
        if (verdicts)
            QTimer::singleShot(0, &app, &QApplication::quit);
    });
    window.loadFolder();
    const qint64 listed = clock.elapsed();
    // (A folder that is not there has no sheets and says nothing.)
    if ((verdicts ? judged : finished) < 0 && window.model()->count() > 0)
        app.exec();
    int made = 0;
    int withImage = 0;
    for (int i = 0; i < window.model()->count(); ++i) {
        made += window.model()->entry(i).thumbnail.isNull() ? 0 : 1;
        withImage += window.model()->entry(i).record.imagePath.isEmpty() ? 0 : 1;
    }
    std::printf("sheets %d, with an image %d, thumbnails %d\n", window.model()->count(), withImage, made);
    std::printf("window shown %lld ms, folder listed %lld ms, all thumbnails %lld ms\n", (long long)shown,
                (long long)listed, (long long)finished);
    if (verdicts)
        std::printf("all verdicts %lld ms\n", (long long)judged);
    return made == withImage ? 0 : 1;
}
