#include "ui/Screenshots.h"

#include "settings/Settings.h"
#include "ui/AboutBox.h"
#include "ui/CornerMarkers.h"
#include "ui/GetPath.h"
#include "ui/MainWindow.h"
#include "ui/MapCreator.h"
#include "ui/MapListCreator.h"
#include "ui/PathRemover.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QThread>

namespace {

int save(QWidget *w, const QString &folder, const QString &name)
{
    w->show();
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    const QPixmap picture = w->grab();
    return picture.save(QDir(folder).filePath(name), "PNG") ? 0 : 1;
}

} // namespace

int Screenshots::saveAll(const QString &folder)
{
    QDir().mkpath(folder);
    int failed = 0;

    // A settings file and a folder of sheet images of their own, so that the
    // pictures show a first start over a few 1:100K sheets.
    // A fixed place, so that the pictures do not change from run to run.
    QDir scratch(QDir::tempPath() + QStringLiteral("/quillmark-screenshots"));
    scratch.removeRecursively();
    const QString samples = scratch.filePath(QStringLiteral("Scans 1-100K"));
    QDir().mkpath(samples);
    QDir().mkpath(samples + QStringLiteral("/Scans 1-50K"));
    QImage sheet(64, 64, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    for (const char *name : {"N-37-001.png", "N-37-002.png", "N-37-013.png", "N-37-014.png"})
        sheet.save(QDir(samples).filePath(QLatin1String(name)), "PNG");
    Settings::setSettingsFile(scratch.filePath(QStringLiteral("quillmark.ini")));
    Settings::WriteSetting(QStringLiteral("path"), samples);

    MainWindow main;
    failed += save(&main, folder, QStringLiteral("main.png"));
    {
        MapCreator w(&main);
        failed += save(&w, folder, QStringLiteral("map-creator.png"));
    }
    {
        CornerMarkers w(&main);
        failed += save(&w, folder, QStringLiteral("corner-markers.png"));
    }
    {
        MapListCreator w(&main);
        failed += save(&w, folder, QStringLiteral("map-list.png"));
    }
    {
        PathRemover w(&main);
        failed += save(&w, folder, QStringLiteral("path-remover.png"));
    }
    {
        GetPath w(QStringLiteral("Select directory with map images"),
                  QStringLiteral("*.jpg;*.bmp;*.png;*.gif;*.TIF;*.KAP;*.CAP;*.OZF;*.ECW;*.SID"),
                  samples, &main);
        failed += save(&w, folder, QStringLiteral("get-path.png"));
    }
    {
        AboutBox w(&main);
        failed += save(&w, folder, QStringLiteral("about.png"));
    }
    scratch.removeRecursively();
    return failed;
}
