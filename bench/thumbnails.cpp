// Time until the sheet check window has every thumbnail of a folder: the
// window shown, the folder read, the thumbnails made on the worker threads
// (or taken from the cache) and handed to the list. The frame finder is left
// out (a finder that finds nothing at once), so that the figure is the
// thumbnails' alone.
//
//   quillmark-bench-thumbnails MAPS_DIR
//
// The cache is the user's cache folder (XDG_CACHE_HOME on Linux): empty it
// for a run without cache.
#include "settings/Settings.h"
#include "ui/SheetCheck.h"
#include "ui/SheetListModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmark"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillmark-bench-thumbnails MAPS_DIR\n");
        return 2;
    }
    QTemporaryDir settings;
    Settings::setSettingsFile(settings.filePath(QStringLiteral("quillmark.ini")));
    Settings::setLastPath(QString::fromLocal8Bit(argv[1]));

    QElapsedTimer clock;
    clock.start();
    SheetCheck window(nullptr, [](const QString &, const SheetIdentity &) { return FrameResult(); });
    window.show();
    QApplication::processEvents();
    const qint64 shown = clock.elapsed();
    window.loadFolder();
    const qint64 listed = clock.elapsed();
    qint64 finished = -1;
    QObject::connect(&window, &SheetCheck::thumbnailsFinished, &app, [&] {
        finished = clock.elapsed();
        QTimer::singleShot(0, &app, &QApplication::quit);
    });
    if (window.thumbnailsDone() < window.model()->count() || window.model()->count() == 0)
        app.exec();
    if (finished < 0)
        finished = clock.elapsed();
    int made = 0;
    for (int i = 0; i < window.model()->count(); ++i)
        made += window.model()->entry(i).thumbnail.isNull() ? 0 : 1;
    std::printf("sheets %d, thumbnails %d\n", window.model()->count(), made);
    std::printf("window shown %lld ms, folder listed %lld ms, all thumbnails %lld ms\n", (long long)shown,
                (long long)listed, (long long)finished);
    return made == window.model()->count() ? 0 : 1;
}
