// The tool windows' run over a large folder: the corner-marker window over
// N files that are no map files (every one fails), "Don't ask again in this
// run" ticked at the first question. Prints how long the run takes in the
// window and on its own (the core run with an observer that only counts), the
// longest time the window's event loop was kept from answering (a timer that
// should tick every 5 ms), and the rows the results list holds at the end.
//
//   quillmark-bench-results [files]      (default 20000; run it offscreen)
#include "settings/Settings.h"
#include "tools/CornerMarkersRun.h"
#include "ui/CornerMarkers.h"
#include "ui/ResultsList.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

class CountingObserver : public RunObserver
{
public:
    int failed = 0;
    void message(const QString &, const QString &, Icon) override {}
    void status(const QString &) override {}
    void fileResult(const QString &, FileOutcome outcome, const QString &) override
    {
        if (outcome == FileOutcome::Failed)
            ++failed;
    }
    bool askContinue(const QString &, const QString &) override { return true; }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    Settings::setSettingsFile(dir.filePath(QStringLiteral("bench.ini")));
    const QString folder = dir.filePath(QStringLiteral("maps"));
    QDir().mkpath(folder);
    for (int i = 0; i < files; ++i) {
        QFile f(folder + QStringLiteral("/bad%1.map").arg(i, 6, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write("not a map\r\n") != 11)
            return 1;
    }

    // The core alone.
    QElapsedTimer clock;
    clock.start();
    CountingObserver counter;
    CornerMarkersRun::run(folder, counter);
    const double coreSeconds = clock.nsecsElapsed() / 1e9;

    CornerMarkers window;
    window.findChild<QLineEdit *>(QStringLiteral("txtPathOut"))->setText(folder);
    window.show();

    // The user: ticks the box at the first question and says OK to everything.
    int boxes = 0;
    QTimer answer;
    QPointer<QMessageBox> last;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == last)
            return;
        last = box;
        ++boxes;
        if (box->checkBox())
            box->checkBox()->setChecked(true);
        box->button(QMessageBox::Ok)->click();
    });
    answer.start(1);

    // The event loop's longest pause.
    QElapsedTimer sinceTick;
    qint64 longestGapNs = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });

    QEventLoop loop;
    QObject::connect(&window, &ToolWindow::runFinished, &loop, &QEventLoop::quit);
    clock.restart();
    sinceTick.start();
    tick.start(5);
    window.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    loop.exec();
    const double windowSeconds = clock.nsecsElapsed() / 1e9;
    tick.stop();

    std::printf("files                       %d\n", files);
    std::printf("core run alone              %.3f s (%.0f files/s, %d failed)\n", coreSeconds, files / coreSeconds,
                counter.failed);
    std::printf("run in the window           %.3f s (%.0f files/s)\n", windowSeconds, files / windowSeconds);
    std::printf("message boxes               %d\n", boxes);
    std::printf("longest event-loop pause    %.1f ms (timer every 5 ms)\n", longestGapNs / 1e6);
    std::printf("rows in the results list    %lld\n", static_cast<long long>(window.resultsList()->lines().size()));
    return 0;
}
