#include "ui/Screenshots.h"

#include "frame/FrameFinder.h"
#include "settings/Settings.h"
#include "ui/AboutBox.h"
#include "ui/CornerMarkers.h"
#include "ui/GetPath.h"
#include "ui/MainWindow.h"
#include "ui/MapCreator.h"
#include "ui/MapListCreator.h"
#include "ui/PathRemover.h"
#include "ui/CornerEditor.h"
#include "ui/CornerView.h"
#include "ui/SheetCheck.h"
#include "ui/SheetListModel.h"
#include "ui/Translations.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "tools/RunObserver.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPixmap>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <cmath>

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

// A run observer that keeps quiet: the pictures' map files are made without questions.
class QuietObserver : public RunObserver
{
public:
    void message(const QString &, const QString &, Icon) override {}
    void status(const QString &) override {}
    bool askContinue(const QString &, const QString &) override { return true; }
};

// A stand-in scan: a paper collar, the sheet frame inside the default blank
// margins, a graticule and a few strokes.
void drawScan(const QString &path, int width, int height, int seed)
{
    QImage scan(width, height, QImage::Format_RGB32);
    scan.fill(QColor(246, 241, 226));
    QPainter p(&scan);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF frame(std::floor(width * 0.03), std::floor(height * 0.05),
                       std::floor(width * 0.97) - std::floor(width * 0.03),
                       std::floor(height * 0.95) - std::floor(height * 0.05));
    p.fillRect(frame, QColor(252, 250, 244));
    p.setPen(QPen(QColor(120, 170, 90), 2));
    for (int i = 0; i < 7; ++i) {
        QPainterPath path;
        const double y = frame.top() + frame.height() * (0.15 + 0.12 * i) + 9 * ((seed + i) % 3);
        path.moveTo(frame.left(), y);
        for (int k = 1; k <= 8; ++k)
            path.lineTo(frame.left() + frame.width() * k / 8.0, y + 14 * (((seed * 7 + k * 3 + i) % 5) - 2));
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(70, 120, 200), 3));
    p.drawLine(QPointF(frame.left() + frame.width() * 0.2, frame.bottom()),
               QPointF(frame.left() + frame.width() * (0.5 + 0.05 * (seed % 4)), frame.top()));
    p.setPen(QPen(QColor(30, 30, 30), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.drawRect(frame.adjusted(-8, -8, 8, 8));
    p.end();
    scan.save(path);
}

// Waits (events running) until the check window has all its thumbnails and verdicts.
void waitForCheck(const SheetCheck &w)
{
    QElapsedTimer clock;
    clock.start();
    while (!w.isComplete() && clock.elapsed() < 60000) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

} // namespace

int Screenshots::saveAll(const QString &folder, const QString &language)
{
    if (!Translations::install(language))
        return 1;
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
        // A folder of mixed scales and forms: the scale is read from each name.
        const QString mixed = scratch.filePath(QStringLiteral("Scans mixed"));
        QDir().mkpath(mixed);
        for (const QString &name : {QStringLiteral("100k--n44-126.png"), QStringLiteral("M-45-VIII.png"),
                                    QString::fromUtf8("N-37-12-А.png"), QStringLiteral("N-37.png")})
            sheet.save(QDir(mixed).filePath(name), "PNG");
        MapCreator w(&main);
        w.setInFolder(mixed);
        failed += save(&w, folder, QStringLiteral("map-creator-by-name.png"));
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
        GetPath w(QCoreApplication::translate("MapCreator", "Select directory with map images"),
                  QStringLiteral("*.jpg;*.bmp;*.png;*.gif;*.TIF;*.KAP;*.CAP;*.OZF;*.ECW;*.SID"),
                  samples, &main);
        failed += save(&w, folder, QStringLiteral("get-path.png"));
    }
    {
        AboutBox w(&main);
        failed += save(&w, folder, QStringLiteral("about.png"));
    }
    {
        // The check window over a folder of sheets with maps: a realistic
        // scan of N-37-056 (the README's example, when run from the source
        // folder as scripts/screenshots.sh does) calibrated on the frame the
        // finder found, stand-ins round it, one map made with other margins,
        // one whose scan is gone.
        const QString sheets = scratch.filePath(QStringLiteral("Sheets 1-100K"));
        QDir().mkpath(sheets);
        const QString realistic = QStringLiteral("N-37-056");
        const bool haveExample = QFile::copy(QStringLiteral("examples/frame/N-37-056.jpg"),
                                             QDir(sheets).filePath(realistic + QStringLiteral(".jpg")));
        // Its neighbours drawn the same way at 120 dpi (examples/frame/neighbours),
        // or stand-ins where they are not there.
        const char *const names[] = {"N-37-043", "N-37-044", "N-37-045", "N-37-055", "N-37-056", "N-37-057"};
        QString offSheetImage = QStringLiteral("N-37-045.png");
        for (int i = 0; i < 6; ++i) {
            const QString name = QLatin1String(names[i]);
            if (haveExample && name == realistic)
                continue;
            if (QFile::copy(QStringLiteral("examples/frame/neighbours/") + name + QStringLiteral(".jpg"),
                            QDir(sheets).filePath(name + QStringLiteral(".jpg")))) {
                if (name == QLatin1String("N-37-045"))
                    offSheetImage = name + QStringLiteral(".jpg");
                continue;
            }
            drawScan(QDir(sheets).filePath(name + QStringLiteral(".png")), 900, 700, i);
        }
        QuietObserver quiet;
        MapCreatorOptions o;
        o.inFolder = sheets;
        o.outFolder = sheets;
        o.scaleText = QStringLiteral("1:100K");
        o.maskText = QStringLiteral("R-CC-LLL");
        o.gridMode = 0;
        o.findFrame = FrameFinder::cornerSource();
        MapCreatorRun::run(o, quiet);
        o.findFrame = nullptr;
        const QString offSheet = QStringLiteral("N-37-045");
        const QString other = scratch.filePath(QStringLiteral("other margins"));
        QDir().mkpath(other);
        QFile::copy(QDir(sheets).filePath(offSheetImage), QDir(other).filePath(offSheetImage));
        o.inFolder = other;
        o.outFolder = other;
        o.marginTop = QStringLiteral("8");
        o.marginSide = QStringLiteral("1");
        MapCreatorRun::run(o, quiet);
        QFile::remove(QDir(sheets).filePath(offSheet + QStringLiteral(".map")));
        QFile::copy(QDir(other).filePath(offSheet + QStringLiteral(".map")), QDir(sheets).filePath(offSheet + QStringLiteral(".map")));
        QFile::remove(QDir(sheets).filePath(QStringLiteral("N-37-057.png")));
        Settings::setLastPath(QDir::toNativeSeparators(sheets));

        SheetCheck w(&main);
        w.resize(1040, 700);
        w.show();
        w.loadFolder();
        waitForCheck(w);
        failed += save(&w, folder, QStringLiteral("sheet-check.png"));
        w.tabs()->setCurrentIndex(1);
        w.selectSheet(w.model()->rowOfMap(QDir(sheets).filePath(offSheet + QStringLiteral(".map"))));
        failed += save(&w, folder, QStringLiteral("sheet-coverage.png"));
        w.tabs()->setCurrentIndex(0);
        // The editor on the realistic scan's north-west corner, as the finder found it.
        const int row = w.shownMapPaths().indexOf(QDir(sheets).filePath((haveExample ? realistic : offSheet) + QStringLiteral(".map")));
        if (CornerEditor *editor = w.openEditor(std::max(0, row))) {
            editor->resize(1000, 720);
            CornerView *view = editor->view();
            editor->show();
            // The loupe shows the full picture, read by a worker: a moment for it.
            for (int i = 0; i < 100; ++i) {
                QApplication::processEvents();
                QThread::msleep(20);
            }
            const QPointF corner = view->corners()[0];
            view->setSelectedHandle(0);
            view->setZoom(3, QPointF(0, 0));
            view->centreOn(corner + QPointF(60, 40));
            // The cursor near the corner, so that the loupe shows.
            QMouseEvent move(QEvent::MouseMove, view->toWidget(corner + QPointF(3, 2)), view->mapToGlobal(view->toWidget(corner + QPointF(3, 2))),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(view, &move);
            failed += save(editor, folder, QStringLiteral("corner-editor.png"));
            editor->close();
        }
    }
    scratch.removeRecursively();
    return failed;
}
