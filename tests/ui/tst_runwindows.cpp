// The run part of the tool windows, driven offscreen: the results list and its
// summary, saving it, "Don't ask again in this run", the question before a run
// is stopped, the progress count, the status line while a box is up, the
// keyboard focus, and closing a window whose worker is blocked.
#include "common/BoxAnswerer.h"
#include "common/CaseFolders.h"
#include "common/RecordingObserver.h"
#include "settings/Settings.h"
#include "tools/MapCreatorRun.h"
#include "ui/CornerMarkers.h"
#include "ui/GuiRunObserver.h"
#include "ui/MapCreator.h"
#include "ui/ResultsList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QCloseEvent>
#include <QtTest/qtestspontaneevent.h>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

void makeImage(const QString &path)
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QVERIFY(image.save(path, "PNG"));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <typename W>
W *child(QWidget *parent, const char *name)
{
    W *w = parent->findChild<W *>(QLatin1String(name));
    if (!w)
        qWarning("no child %s", name);
    return w;
}

// What the window's close box does: a close event from the window system.
void closeBox(QWidget *window)
{
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    static_cast<QObject *>(window)->event(&event);
}

// 1:100K map files for the images of `folder`, written beside them by the core run.
void makeMaps(const QString &folder, const QStringList &sheets)
{
    for (const QString &sheet : sheets)
        makeImage(folder + QLatin1Char('/') + sheet + QStringLiteral(".png"));
    MapCreatorOptions o;
    o.inFolder = folder;
    o.outFolder = folder;
    o.scaleText = QStringLiteral("1:100K");
    o.maskText = QStringLiteral("R-CC-LLL");
    RecordingObserver recorder;
    QCOMPARE(MapCreatorRun::run(o, recorder).failed, 0);
}

// A map file whose first pixel corner marker is wrong: the corner-marker tool rewrites it.
void spoilFirstMarker(const QString &path)
{
    QByteArray bytes = readAll(path);
    const qsizetype at = bytes.indexOf("\r\nMMPXY,1,");
    QVERIFY(at >= 0);
    const qsizetype end = bytes.indexOf("\r\n", at + 2);
    bytes.replace(at + 2, end - at - 2, "MMPXY,1,1,1");
    writeFile(path, bytes);
}

// A map file without its corner markers: every MMPXY and MMPLL line taken out.
void dropMarkers(const QString &path)
{
    const QList<QByteArray> lines = readAll(path).split('\n');
    QByteArray kept;
    for (const QByteArray &line : lines) {
        if (!line.startsWith("MMPXY,") && !line.startsWith("MMPLL,"))
            kept += line + '\n';
    }
    kept.chop(1);
    writeFile(path, kept);
}

// A folder tool window over a run of `total` made-up files. Each file is
// reported Written once `gate` gives a permit; a stop or Cancel is noticed
// while it waits. `blocked` makes the second file wait for its permit without
// ever looking at the stop request, as a worker stuck in a read does.
struct GatedRun
{
    std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();
    std::shared_ptr<std::atomic<int>> waitingAt = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<bool>> ended = std::make_shared<std::atomic<bool>>(false);
    int total = 3;
    bool blocked = false;

    FolderToolWindow::FolderRun function() const
    {
        const auto gate = this->gate;
        const auto waitingAt = this->waitingAt;
        const auto ended = this->ended;
        const int total = this->total;
        const bool blocked = this->blocked;
        return [gate, waitingAt, ended, total, blocked](const QString &, RunObserver &observer) {
            RunResult result;
            for (int i = 1; i <= total; ++i) {
                const QString name = QStringLiteral("f%1.map").arg(i);
                observer.progress(i, total, name);
                *waitingAt = i;
                if (blocked && i == 2) {
                    gate->acquire();
                } else {
                    while (!gate->tryAcquire(1, 10)) {
                        if (observer.isCancelled())
                            break;
                    }
                }
                if (observer.isCancelled()) {
                    result.cancelled = true;
                    break;
                }
                observer.fileResult(name, RunObserver::FileOutcome::Written, QString());
                ++result.count;
            }
            *ended = true;
            return result;
        };
    }

    FolderToolWindow *window() const
    {
        FolderToolWindow::Texts t;
        t.placementName = QStringLiteral("GatedTool");
        t.caption = QStringLiteral("Gated tool");
        t.startButton = QStringLiteral("Start");
        t.pattern = QStringLiteral("*.map");
        auto *w = new FolderToolWindow(t, function());
        w->setAttribute(Qt::WA_DeleteOnClose);
        return w;
    }
};

} // namespace

// Set in the copy of this test program that ends with a blocked worker.
constexpr char kExitChild[] = "QUILLMARK_TEST_EXIT_CHILD";

class TestRunWindows : public QObject
{
    Q_OBJECT
private:
    CaseFolders m_cases;
    QString m_work;

    QString newFolder(const QString &name)
    {
        const QString path = m_work + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }

    void runAndWait(ToolWindow *window, QSignalSpy &finished, int runs = 1)
    {
        child<QPushButton>(window, "Command1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= runs, 30000);
        QVERIFY(!window->isRunning());
    }

    // Checks the rows against patterns (each a whole row).
    static void compareRows(const QStringList &rows, const QStringList &patterns)
    {
        QCOMPARE(rows.size(), patterns.size());
        for (int i = 0; i < rows.size(); ++i) {
            const QRegularExpression re(QRegularExpression::anchoredPattern(patterns.at(i)));
            QVERIFY2(re.match(rows.at(i)).hasMatch(), qPrintable(rows.at(i) + QStringLiteral(" ~ ") + patterns.at(i)));
        }
    }

    static QString exactly(const QString &text) { return QRegularExpression::escape(text); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_cases.isValid());
        qRegisterMetaType<RunResult>();
    }

    void init()
    {
        m_work = m_cases.next();
        QVERIFY(!m_work.isEmpty());
    }

    void cleanup()
    {
        // No worker outlives its test (but the one left blocked on purpose).
        if (!qEnvironmentVariableIsSet(kExitChild))
            QTRY_COMPARE_WITH_TIMEOUT(ToolWindow::liveWorkers(), 0, 30000);
    }

    // The map creator's rows: skipped, warned, failed and made from the margins,
    // in the folder's order, then the counts; written files have no row.
    void mapCreatorResults_data()
    {
        QTest::addColumn<bool>("findFrame");
        QTest::addColumn<QStringList>("rows");
        const QString a = QString::fromUtf8("А");
        QTest::newRow("margins")
            << false
            << QStringList{exactly(QStringLiteral("N-37-002.png: skipped: its map file exists")),
                           exactly(QStringLiteral("N-37-003-") + a
                                   + QStringLiteral(".png: warning: its name reads as a 1:50K sheet, not 1:100K: "
                                                    "it was calibrated as a 1:100K sheet")),
                           exactly(QStringLiteral("X-37-001.png: failed: Incorrect 1:1M map row in image name")),
                           exactly(QStringLiteral("Written 2, unchanged 0, skipped 1, failed 1"))};
        QTest::newRow("frame finder on, no frame in blank images")
            << true
            << QStringList{exactly(QStringLiteral("N-37-001.png: made from the margins: the sheet frame was not found ("))
                               + QStringLiteral(".+\\)"),
                           exactly(QStringLiteral("N-37-002.png: skipped: its map file exists")),
                           exactly(QStringLiteral("N-37-003-") + a
                                   + QStringLiteral(".png: warning: its name reads as a 1:50K sheet, not 1:100K: "
                                                    "it was calibrated as a 1:100K sheet")),
                           exactly(QStringLiteral("N-37-003-") + a
                                   + QStringLiteral(".png: made from the margins: the sheet frame was not found ("))
                               + QStringLiteral(".+\\)"),
                           exactly(QStringLiteral("X-37-001.png: failed: Incorrect 1:1M map row in image name")),
                           exactly(QStringLiteral("Written 2, unchanged 0, skipped 1, failed 1"))};
    }
    void mapCreatorResults()
    {
        QFETCH(bool, findFrame);
        QFETCH(QStringList, rows);
        const QString in = newFolder(QStringLiteral("in"));
        const QString out = newFolder(QStringLiteral("out"));
        for (const QString &name : {QStringLiteral("N-37-001.png"), QStringLiteral("N-37-002.png"),
                                    QString::fromUtf8("N-37-003-А.png"), QStringLiteral("X-37-001.png")})
            makeImage(in + QLatin1Char('/') + name);
        writeFile(out + QStringLiteral("/N-37-002.map"), "kept as it is\r\n");

        MapCreator w;
        child<QLineEdit>(&w, "txtPathIn")->setText(in);
        child<QLineEdit>(&w, "txtPathOut")->setText(out);
        w.setByImageName(QStringLiteral("N-37-001.png"));
        QCOMPARE(child<QComboBox>(&w, "cmbScale")->currentText(), QStringLiteral("1:100K"));
        child<QCheckBox>(&w, "chkSkip")->setChecked(true);
        child<QCheckBox>(&w, "chkFindFrame")->setChecked(findFrame);
        w.show();

        auto *list = w.resultsList();
        QVERIFY(list);
        QCOMPARE(list->objectName(), QStringLiteral("lstResults"));
        QSignalSpy finished(&w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        runAndWait(&w, finished);
        compareRows(list->lines(), rows);
        QCOMPARE(readAll(out + QStringLiteral("/N-37-002.map")), QByteArray("kept as it is\r\n"));
        QVERIFY(QFile::exists(out + QString::fromUtf8("/N-37-003-А.map")));
        // The "Done" box is the core's and stays.
        QVERIFY(answerer.texts().last().startsWith(QStringLiteral("Done 4 map-files")));

        // A new run starts with an empty list; now every sheet has its map.
        child<QPushButton>(&w, "Command1")->click();
        QVERIFY(list->lines().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= 2, 30000);
        QCOMPARE(list->lines().size(), 6);
        QCOMPARE(list->lines().first(), QStringLiteral("N-37-001.png: skipped: its map file exists"));
        QCOMPARE(list->lines().last(), QStringLiteral("Written 0, unchanged 0, skipped 3, failed 1"));
    }

    // A folder whose first names differ in scale: the window guesses "By
    // name", each sheet gets the map its own scale makes (the points as last
    // used at that scale), the name that reads two ways is in the list, and
    // the choice is kept for the next window.
    void mapCreatorByName()
    {
        const QString in = newFolder(QStringLiteral("in"));
        const QStringList names = {QStringLiteral("M-45-VIII.png"), QStringLiteral("N-37-1.png"),
                                   QString::fromUtf8("N-37-12-А.png"), QStringLiteral("N-37.png")};
        const QStringList scales = {QStringLiteral("1:200K"), QStringLiteral("1:500K"), QStringLiteral("1:50K"),
                                    QStringLiteral("1:1M")};
        for (const QString &name : names)
            makeImage(in + QLatin1Char('/') + name);
        Settings::WriteSetting(QStringLiteral("points_1:50K"), QStringLiteral("9"));

        {
            MapCreator w;
            w.setInFolder(in);
            auto *scale = child<QComboBox>(&w, "cmbScale");
            QCOMPARE(scale->currentIndex(), 0);
            QCOMPARE(scale->currentText(), QStringLiteral("By name"));
            // Each name has its own point count and mask.
            QVERIFY(!child<QComboBox>(&w, "cmbPoints")->isEnabled());
            QVERIFY(!child<QComboBox>(&w, "cmbName")->isEnabled());
            w.show();
            QSignalSpy finished(&w, &ToolWindow::runFinished);
            BoxAnswerer answerer;
            runAndWait(&w, finished);
            compareRows(w.resultsList()->lines(),
                        {exactly(QStringLiteral("N-37-1.png: warning: its name reads two ways: it was taken as "))
                             + QStringLiteral(".+"),
                         exactly(QStringLiteral("Written 4, unchanged 0, skipped 0, failed 0"))});
            QCOMPARE(Settings::ReadSetting(QStringLiteral("scaleByName"), QString()), QStringLiteral("1"));
        }
        // Each map is the one a run at its own scale makes.
        for (int i = 0; i < names.size(); ++i) {
            const QString alone = newFolder(QStringLiteral("alone%1").arg(i));
            QVERIFY(QFile::copy(in + QLatin1Char('/') + names.at(i), alone + QLatin1Char('/') + names.at(i)));
            MapCreatorOptions o;
            o.inFolder = o.outFolder = alone;
            o.scaleText = scales.at(i);
            o.maskText = QStringLiteral("R-CC-LLL");
            o.pointsText = scales.at(i) == QLatin1String("1:50K") ? QStringLiteral("9") : QStringLiteral("5");
            o.gridMode = 1; // the first name's scale, 1:200K, guessed the metric grid
            RecordingObserver observer;
            MapCreatorRun::run(o, observer);
            const QString map = names.at(i).left(names.at(i).indexOf(QLatin1Char('.'))) + QStringLiteral(".map");
            QCOMPARE(readAll(in + QLatin1Char('/') + map), readAll(alone + QLatin1Char('/') + map));
        }
        // The next window comes back with "By name", also for a folder of one scale.
        const QString one = newFolder(QStringLiteral("one"));
        makeImage(one + QStringLiteral("/N-37-001.png"));
        MapCreator again;
        again.setInFolder(one);
        QCOMPARE(child<QComboBox>(&again, "cmbScale")->currentIndex(), 0);
        // A scale chosen by hand gives the point count back.
        child<QComboBox>(&again, "cmbScale")->setCurrentText(QStringLiteral("1:50K"));
        QVERIFY(child<QComboBox>(&again, "cmbPoints")->isEnabled());
        QVERIFY(child<QComboBox>(&again, "cmbName")->isEnabled());
        QCOMPARE(child<QComboBox>(&again, "cmbPoints")->currentText(), QStringLiteral("9"));
        QCOMPARE(again.options().scaleText, QStringLiteral("1:50K"));
        QVERIFY(!again.options().scaleGuessed);
    }

    // The corner-marker tool over a folder with a file that is no map, a map
    // with a wrong marker and a map without markers.
    void cornerMarkersResults()
    {
        const QString maps = newFolder(QStringLiteral("maps"));
        makeMaps(maps, {QStringLiteral("N-37-001"), QStringLiteral("N-37-002"), QStringLiteral("N-37-003")});
        spoilFirstMarker(maps + QStringLiteral("/N-37-002.map"));
        writeFile(maps + QStringLiteral("/bad.map"), "not a map\r\n");
        const QByteArray kept = readAll(maps + QStringLiteral("/N-37-001.map"));
        // A map without markers gets them back where the program writes them, after MMPNUM.
        const QByteArray whole = readAll(maps + QStringLiteral("/N-37-003.map"));
        dropMarkers(maps + QStringLiteral("/N-37-003.map"));
        QVERIFY(!readAll(maps + QStringLiteral("/N-37-003.map")).contains("MMPXY"));

        CornerMarkers w;
        child<QLineEdit>(&w, "txtPathOut")->setText(maps);
        w.show();
        QSignalSpy finished(&w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        runAndWait(&w, finished);
        compareRows(w.resultsList()->lines(),
                    {exactly(QStringLiteral("bad.map: failed: Map ") + maps
                             + QStringLiteral("/bad.map is not an OziExplorer map file. Map don't process")),
                     exactly(QStringLiteral("Written 2, unchanged 1, skipped 0, failed 1"))});
        QCOMPARE(readAll(maps + QStringLiteral("/N-37-001.map")), kept);
        QVERIFY(!readAll(maps + QStringLiteral("/N-37-002.map")).contains("MMPXY,1,1,1\r\n"));
        QCOMPARE(readAll(maps + QStringLiteral("/N-37-003.map")), whole);
        QCOMPARE(answerer.texts().last(), QStringLiteral("Done 4 map-files"));
    }

    // "Save list…" writes the rows as UTF-8 text, one line per row.
    void saveList()
    {
        const QString in = newFolder(QStringLiteral("in"));
        makeImage(in + QString::fromUtf8("/N-37-003-А.png"));
        makeImage(in + QStringLiteral("/X-37-001.png"));
        MapCreator w;
        child<QLineEdit>(&w, "txtPathIn")->setText(in);
        child<QLineEdit>(&w, "txtPathOut")->setText(in);
        w.setByImageName(QStringLiteral("N-37-001.png"));
        w.show();
        auto *save = child<QPushButton>(&w, "cmdSaveList");
        QVERIFY(save);
        QCOMPARE(save->text(), QString::fromUtf8("Save list…"));
        QVERIFY(!save->isEnabled());
        QSignalSpy finished(&w, &ToolWindow::runFinished);
        {
            BoxAnswerer answerer;
            runAndWait(&w, finished);
        }
        QVERIFY(save->isEnabled());

        // The file offered is "results.txt" beside the run's maps; OK takes it.
        QString offered;
        QTimer::singleShot(100, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            offered = dialog->selectedFiles().value(0);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        save->click();
        const QString path = in + QStringLiteral("/results.txt");
        QCOMPARE(offered, path);
        const QByteArray expected =
            QString::fromUtf8("N-37-003-А.png: warning: its name reads as a 1:50K sheet, not 1:100K: "
                              "it was calibrated as a 1:100K sheet\n"
                              "X-37-001.png: failed: Incorrect 1:1M map row in image name\n"
                              "Written 1, unchanged 0, skipped 0, failed 1\n")
                .toUtf8();
        QByteArray saved = readAll(path);
        saved.replace("\r\n", "\n");
        QCOMPARE(saved, expected);
    }

    // Several failing maps: with the box ticked at the first question, one
    // message and one question only, and every failure in the list.
    void dontAskAgain_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<int>("boxes");
        QTest::newRow("ticked") << true << 3;        // message, question, Done
        QTest::newRow("not ticked") << false << 11;  // 5 messages, 5 questions, Done
    }
    void dontAskAgain()
    {
        QFETCH(bool, tick);
        QFETCH(int, boxes);
        const QString maps = newFolder(QStringLiteral("maps"));
        for (int i = 1; i <= 5; ++i)
            writeFile(maps + QStringLiteral("/bad%1.map").arg(i), "not a map\r\n");
        CornerMarkers w;
        child<QLineEdit>(&w, "txtPathOut")->setText(maps);
        w.show();
        QSignalSpy finished(&w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        QString checkText;
        answerer.onBox = [&](QMessageBox *box) {
            if (box->checkBox()) {
                checkText = box->checkBox()->text();
                box->checkBox()->setChecked(tick);
            }
            return false;
        };
        runAndWait(&w, finished);
        QCOMPARE(checkText, QStringLiteral("Don't ask again in this run"));
        QCOMPARE(answerer.boxes.size(), boxes);
        QCOMPARE(answerer.texts().at(1), QStringLiteral("There is error in data. Continue?"));
        QCOMPARE(answerer.boxes.at(1).caption, QStringLiteral("Error"));
        QCOMPARE(answerer.texts().last(), QStringLiteral("Done 5 map-files"));
        const QStringList rows = w.resultsList()->lines();
        QCOMPARE(rows.size(), 6);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(rows.at(i - 1).startsWith(QStringLiteral("bad%1.map: failed: Map ").arg(i)));
        QCOMPARE(rows.last(), QStringLiteral("Written 0, unchanged 0, skipped 0, failed 5"));

        // The next run asks again.
        answerer.onBox = nullptr;
        answerer.answers = {QMessageBox::Cancel};
        runAndWait(&w, finished, 2);
        QCOMPARE(answerer.texts().mid(boxes),
                 (QStringList{answerer.texts().at(0), QStringLiteral("There is error in data. Continue?"),
                              QStringLiteral("Done 0 map-files")}));
        QCOMPARE(w.resultsList()->lines().last(),
                 QStringLiteral("Written 0, unchanged 0, skipped 0, failed 1, stopped after 1 of 5"));
    }

    // Cancel, Esc and the close box ask before they stop a run; No keeps the
    // run and the window, Yes stops the run and closes the window. Stop asks nothing.
    void stopQuestion_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("yes");
        for (const char *how : {"Esc", "Cancel", "close box"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, No").arg(QLatin1String(how)))) << how << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, Yes").arg(QLatin1String(how)))) << how << true;
        }
        QTest::newRow("Stop button") << "Stop" << true;
    }
    void stopQuestion()
    {
        QFETCH(QString, how);
        QFETCH(bool, yes);
        GatedRun gated;
        QPointer<FolderToolWindow> w = gated.window();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QSignalSpy finished(w.data(), &ToolWindow::runFinished);
        BoxAnswerer answerer;
        answerer.onBox = [&](QMessageBox *box) {
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            return true;
        };
        child<QPushButton>(w, "Command1")->click();
        gated.gate->release(1);
        QTRY_COMPARE(gated.waitingAt->load(), 2);
        QTRY_COMPARE(child<QLabel>(w, "lblProgress")->text(), QStringLiteral("2 / 3"));

        if (how == QLatin1String("Esc"))
            QTest::keyClick(w, Qt::Key_Escape);
        else if (how == QLatin1String("Cancel"))
            child<QPushButton>(w, "Command2")->click();
        else if (how == QLatin1String("close box"))
            closeBox(w);
        else
            child<QPushButton>(w, "cmdStop")->click();

        if (how == QLatin1String("Stop")) {
            QTRY_COMPARE(finished.size(), 1);
            QVERIFY(answerer.boxes.isEmpty());
            QVERIFY(w);
            QVERIFY(finished.first().first().value<RunResult>().cancelled);
            QCOMPARE(w->resultsList()->lines(),
                     QStringList{QStringLiteral("Written 1, unchanged 0, skipped 0, failed 0, stopped after 1 of 3")});
            w->close();
            return;
        }
        QTRY_COMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.texts(), QStringList{QStringLiteral("Stop the run? 1 of 3 files done.")});
        QCOMPARE(answerer.boxes.first().caption, ToolWindow::applicationCaption());
        if (yes) {
            QTRY_VERIFY(w.isNull());
            QTRY_VERIFY(gated.ended->load());
            QCOMPARE(gated.waitingAt->load(), 2); // ended while it waited for the second file
        } else {
            QVERIFY(w);
            QVERIFY(w->isVisible());
            QVERIFY(w->isRunning());
            gated.gate->release(2);
            QTRY_COMPARE(finished.size(), 1);
            QVERIFY(!finished.first().first().value<RunResult>().cancelled);
            QCOMPARE(w->resultsList()->lines(), QStringList{QStringLiteral("Written 3, unchanged 0, skipped 0, failed 0")});
            w->close();
        }
    }

    // The count beside the bar: none for an empty folder (no "0 / 1"), N / M otherwise.
    void progressCount_data()
    {
        QTest::addColumn<int>("maps");
        QTest::addColumn<QString>("count");
        QTest::newRow("empty folder") << 0 << "";
        QTest::newRow("two maps") << 2 << "2 / 2";
    }
    void progressCount()
    {
        QFETCH(int, maps);
        QFETCH(QString, count);
        const QString folder = newFolder(QStringLiteral("maps"));
        QStringList sheets;
        for (int i = 1; i <= maps; ++i)
            sheets.append(QStringLiteral("N-37-%1").arg(i, 3, 10, QLatin1Char('0')));
        makeMaps(folder, sheets);
        CornerMarkers w;
        child<QLineEdit>(&w, "txtPathOut")->setText(folder);
        w.show();
        auto *bar = child<QProgressBar>(&w, "progressBar");
        auto *label = child<QLabel>(&w, "lblProgress");
        QSignalSpy finished(&w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        QString shown;
        bool barText = true;
        bool visible = false;
        answerer.onBox = [&](QMessageBox *) {
            // At the "Done" box, while the run still goes on.
            visible = bar->isVisible() && label->isVisible();
            shown = label->text();
            barText = bar->isTextVisible();
            return false;
        };
        runAndWait(&w, finished);
        QCOMPARE(answerer.texts(), QStringList{QStringLiteral("Done %1 map-files").arg(maps)});
        QVERIFY(visible);
        QCOMPARE(shown, count);
        QVERIFY(!shown.contains(QStringLiteral("0 / 1")));
        QVERIFY(!barText); // the count is never drawn on the fill
    }

    // While a file's box is up, the status line names that file.
    void statusNamesFileOfBox_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("file");
        QTest::newRow("map creator") << "MapCreator" << "X-37-001.png";
        QTest::newRow("corner markers") << "CornerMarkers" << "bad.map";
    }
    void statusNamesFileOfBox()
    {
        QFETCH(QString, tool);
        QFETCH(QString, file);
        const QString folder = newFolder(QStringLiteral("in"));
        std::unique_ptr<ToolWindow> w;
        QWidget *statusLine = nullptr;
        if (tool == QLatin1String("MapCreator")) {
            makeImage(folder + QStringLiteral("/N-37-001.png"));
            makeImage(folder + QLatin1Char('/') + file);
            auto *creator = new MapCreator;
            w.reset(creator);
            child<QLineEdit>(creator, "txtPathIn")->setText(folder);
            child<QLineEdit>(creator, "txtPathOut")->setText(folder);
            creator->setByImageName(QStringLiteral("N-37-001.png"));
            statusLine = child<QLineEdit>(creator, "txtSay");
        } else {
            makeMaps(folder, {QStringLiteral("A-37-001")});
            writeFile(folder + QLatin1Char('/') + file, "not a map\r\n");
            w.reset(new CornerMarkers);
            child<QLineEdit>(w.get(), "txtPathOut")->setText(folder);
            statusLine = child<QLabel>(w.get(), "lblSay");
        }
        w->show();
        QSignalSpy finished(w.get(), &ToolWindow::runFinished);
        BoxAnswerer answerer;
        QStringList statuses;
        answerer.onBox = [&](QMessageBox *) {
            statuses.append(statusLine->property("text").toString());
            return false;
        };
        runAndWait(w.get(), finished);
        // The message and the question about the file, then "Done".
        QCOMPARE(statuses.size(), 3);
        QVERIFY2(statuses.at(0).contains(file), qPrintable(statuses.at(0)));
        QVERIFY2(statuses.at(1).contains(file), qPrintable(statuses.at(1)));
    }

    // The keyboard focus stays where it was when the run started, also after
    // the run's boxes have come and gone.
    void focusKept_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::newRow("start button") << "Command1";
        QTest::newRow("folder box") << "txtPathOut";
    }
    void focusKept()
    {
        QFETCH(QString, focused);
        const QString maps = newFolder(QStringLiteral("maps"));
        makeMaps(maps, {QStringLiteral("N-37-001")});
        writeFile(maps + QStringLiteral("/bad.map"), "not a map\r\n");
        CornerMarkers w;
        child<QLineEdit>(&w, "txtPathOut")->setText(maps);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *target = w.findChild<QWidget *>(focused);
        QVERIFY(target);
        target->setFocus();
        QCOMPARE(w.focusWidget(), target);
        QSignalSpy finished(&w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        QList<QWidget *> during;
        answerer.onBox = [&](QMessageBox *) {
            during.append(w.focusWidget());
            return false;
        };
        runAndWait(&w, finished);
        // The message, the question and "Done": no other control took the focus.
        QCOMPARE(during.size(), 3);
        for (QWidget *f : std::as_const(during))
            QVERIFY2(f == &w || f == target, f ? qPrintable(f->objectName()) : "none");
        QTRY_COMPARE(w.focusWidget(), target);
    }

    // Closing a window whose worker is blocked (it does not look at the stop
    // request) returns while the worker still waits; the worker ends later
    // by itself and its thread goes then.
    void closeWhileBlocked_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close") << "close";
        QTest::newRow("close box, Yes") << "close box";
        QTest::newRow("Cancel, Yes") << "Cancel";
    }
    void closeWhileBlocked()
    {
        QFETCH(QString, how);
        GatedRun gated;
        gated.blocked = true;
        QPointer<FolderToolWindow> w = gated.window();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        BoxAnswerer answerer;
        answerer.onBox = [&](QMessageBox *box) {
            box->button(QMessageBox::Yes)->click();
            return true;
        };
        child<QPushButton>(w, "Command1")->click();
        gated.gate->release(1);
        QTRY_COMPARE(gated.waitingAt->load(), 2);
        QCOMPARE(ToolWindow::liveWorkers(), 1);

        if (how == QLatin1String("close"))
            w->close();
        else if (how == QLatin1String("close box"))
            closeBox(w);
        else
            child<QPushButton>(w, "Command2")->click();
        QTRY_VERIFY(w.isNull());
        // The worker is still blocked: closing did not wait for it.
        QVERIFY(!gated.ended->load());
        QCOMPARE(ToolWindow::liveWorkers(), 1);

        gated.gate->release(1);
        QTRY_VERIFY(gated.ended->load());
        QTRY_COMPARE(ToolWindow::liveWorkers(), 0);
        QCOMPARE(answerer.boxes.size(), how == QLatin1String("close") ? 0 : 1);
    }

    // The program ends while a closed window's worker is still blocked: the
    // end waits a short while, then leaves the worker to the end of the
    // process, which ends normally. Run in a copy of this program.
    void exitWithBlockedWorker()
    {
        if (qEnvironmentVariableIsSet(kExitChild)) {
            GatedRun gated;
            gated.blocked = true;
            QPointer<FolderToolWindow> w = gated.window();
            w->show();
            child<QPushButton>(w, "Command1")->click();
            gated.gate->release(1);
            QTRY_COMPARE(gated.waitingAt->load(), 2);
            w->close();
            QTRY_VERIFY(w.isNull());
            QCOMPARE(ToolWindow::liveWorkers(), 1);
            return; // the worker stays blocked for good
        }
        QProcess copy;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(kExitChild), QStringLiteral("1"));
        // The worker's thread and observer are left undeleted on purpose.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        copy.setProcessEnvironment(env);
        copy.setProcessChannelMode(QProcess::MergedChannels);
        copy.start(QCoreApplication::applicationFilePath(), {QStringLiteral("exitWithBlockedWorker")});
        QVERIFY(copy.waitForFinished(60000));
        const QByteArray output = copy.readAll();
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QVERIFY2(copy.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestRunWindows::exitWithBlockedWorker()"), output.constData());
    }
};

QTEST_MAIN(TestRunWindows)
#include "tst_runwindows.moc"
