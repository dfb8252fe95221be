// The folders as people use them: the map creator's own output folder, the
// guess from a typed input folder, the folder chooser's typed path, New folder
// and last folders, the main window's tool buttons and folders, folders
// dropped onto the windows, and the main window's place.
#include "common/CaseFolders.h"
#include "settings/RecentFolders.h"
#include "settings/Settings.h"
#include "ui/CornerMarkers.h"
#include "ui/FolderDrop.h"
#include "ui/FolderToolWindow.h"
#include "ui/GetPath.h"
#include "ui/MainWindow.h"
#include "ui/MapCreator.h"

#include <QAction>
#include <QApplication>
#include <QCommandLinkButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {

// Answers the modal boxes that come up, from a timer, as a user would: a name
// dialog gets `name` (or Cancel when `cancelName`), a message box gets OK.
class Answerer : public QObject
{
public:
    QStringList messages;
    QString name;
    bool cancelName = false;
    int nameDialogs = 0;

    Answerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &Answerer::poll);
        m_timer.start(10);
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_last)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            m_last = box;
            messages.append(box->text());
            box->button(box->button(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        } else if (auto *ask = qobject_cast<QInputDialog *>(modal)) {
            m_last = ask;
            ++nameDialogs;
            ask->setTextValue(name);
            if (cancelName)
                ask->reject();
            else
                ask->accept();
        }
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
};

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

template <typename W>
W *child(QObject *parent, const char *name)
{
    W *w = parent->findChild<W *>(QLatin1String(name));
    if (!w)
        qWarning("no child %s", name);
    return w;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Drags `url` onto `target` and drops it there; true when the drag was taken.
bool dropOnto(QWidget *target, const QUrl &url)
{
    QMimeData mime;
    mime.setUrls({url});
    mime.setText(url.toString()); // as file managers give it: a text box would take this
    const QPointF at(target->rect().center());
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QPushButton *okButton(GetPath *chooser)
{
    return chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
}

QStringList items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out.append(combo->itemText(i));
    return out;
}

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

} // namespace

class TestHomeWindows : public QObject
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

    MapCreator *openMapCreator(MainWindow &main)
    {
        main.mapCreatorAction()->trigger();
        return main.findChild<MapCreator *>();
    }

    // Runs the tool window to its end with every box answered OK.
    void runToEnd(ToolWindow *w)
    {
        QSignalSpy finished(w, &ToolWindow::runFinished);
        Answerer answerer;
        child<QPushButton>(w, "Command1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 30000);
    }

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

    // The output folder of a run comes back when the window opens again.
    void outputFolderKept_data()
    {
        QTest::addColumn<bool>("run");       // a run from the window, or settings of before "PathOut"
        QTest::addColumn<QString>("out");    // the output folder (under the case folder)
        QTest::addColumn<QString>("reopen"); // the output folder on reopening
        QTest::newRow("separate output folder") << true << "maps" << "maps";
        QTest::newRow("output in the image folder") << true << "scans" << "scans";
        QTest::newRow("settings without PathOut: the input's copy") << false << "maps" << "scans";
    }
    void outputFolderKept()
    {
        QFETCH(bool, run);
        QFETCH(QString, out);
        QFETCH(QString, reopen);
        const QString in = native(newFolder(QStringLiteral("scans")));
        const QString outPath = native(newFolder(out));
        if (run) {
            MainWindow main;
            MapCreator *w = openMapCreator(main);
            child<QLineEdit>(w, "txtPathIn")->setText(in);
            child<QLineEdit>(w, "txtPathOut")->setText(outPath);
            runToEnd(w);
            QCOMPARE(Settings::ReadSetting(QStringLiteral("PathOut"), QString()), outPath);
            QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QString()), outPath);
            w->close();
        } else {
            Settings::WriteSetting(QStringLiteral("Path"), outPath);
            Settings::WriteSetting(QStringLiteral("PathIn"), in);
        }
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        QCOMPARE(child<QLineEdit>(w, "txtPathIn")->text(), in);
        QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), native(m_work + QLatin1Char('/') + reopen));
        QCOMPARE(w->outFolder(), child<QLineEdit>(w, "txtPathOut")->text());
        // A new input folder is still copied into the output folder.
        child<QLineEdit>(w, "txtPathIn")->setText(native(m_work));
        QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), native(m_work));
        w->close();
    }

    // Typing or pasting an input folder guesses the options once the typing stops.
    void typedFolderGuessed_data()
    {
        QTest::addColumn<QString>("folder");   // typed, under the case folder
        QTest::addColumn<QString>("image");    // the folder's first image, or ""
        QTest::addColumn<QString>("scale");    // shown after the pause
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("points");
        QTest::newRow("1:25K folder") << "sheets 25" << QString::fromUtf8("N-37-001-А-а.jpg")
                                      << "1:25K" << "R-CC-LLL" << "optGridM" << "4";
        QTest::newRow("1:100K folder") << "sheets 100" << "N37-001.png" << "1:100K" << "RCC-LLL" << "optGridM" << "5";
        QTest::newRow("folder without images") << "empty" << "" << "1:1M" << "RCC-LLL" << "optGridLL" << "5";
        QTest::newRow("no such folder") << "missing" << "-" << "1:1M" << "RCC-LLL" << "optGridLL" << "5";
    }
    void typedFolderGuessed()
    {
        QFETCH(QString, folder);
        QFETCH(QString, image);
        QFETCH(QString, scale);
        QFETCH(QString, mask);
        QFETCH(QString, grid);
        QFETCH(QString, points);
        const QString path = m_work + QLatin1Char('/') + folder;
        if (image != QLatin1String("-")) {
            QDir().mkpath(path);
            if (!image.isEmpty())
                touch(path + QLatin1Char('/') + image);
        }
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        auto *box = child<QLineEdit>(w, "txtPathIn");
        auto *cmbScale = child<QComboBox>(w, "cmbScale");
        box->selectAll();
        QTest::keyClicks(box, native(path));
        QCOMPARE(box->text(), native(path));
        // Not while typing: only after the pause.
        QCOMPARE(cmbScale->currentText(), QStringLiteral("1:1M"));
        QTest::qWait(MapCreator::GuessDelayMs + 200);
        QTRY_COMPARE(cmbScale->currentText(), scale);
        QCOMPARE(child<QComboBox>(w, "cmbName")->currentText(), mask);
        QVERIFY(child<QRadioButton>(w, qPrintable(grid))->isChecked());
        QCOMPARE(child<QComboBox>(w, "cmbPoints")->currentText(), points);

        // The same folder is not guessed twice: a scale set by hand stays when the text
        // changes to the same folder again.
        cmbScale->setCurrentText(QStringLiteral("1:500K"));
        QTest::keyClicks(box, QStringLiteral("/"));
        QTest::qWait(MapCreator::GuessDelayMs + 200);
        QCOMPARE(cmbScale->currentText(), QStringLiteral("1:500K"));
        w->close();
    }

    // A typed folder whose guess is still waiting: Generate guesses first; an option
    // set by hand meanwhile is kept.
    void pendingGuess_data()
    {
        QTest::addColumn<bool>("generate"); // Generate at once, or set the points by hand
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("points");
        QTest::newRow("Generate at once") << true << "1:25K" << "4";
        QTest::newRow("points set by hand") << false << "1:1M" << "9";
    }
    void pendingGuess()
    {
        QFETCH(bool, generate);
        QFETCH(QString, scale);
        QFETCH(QString, points);
        const QString folder = newFolder(QStringLiteral("sheets"));
        touch(folder + QString::fromUtf8("/N-37-001-А-а.jpg"));
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        auto *box = child<QLineEdit>(w, "txtPathIn");
        box->selectAll();
        QTest::keyClicks(box, native(folder));
        if (generate) {
            QSignalSpy finished(w, &ToolWindow::runFinished);
            Answerer answerer;
            child<QPushButton>(w, "Command1")->click();
            QCOMPARE(child<QComboBox>(w, "cmbScale")->currentText(), scale);
            QCOMPARE(Settings::ReadSetting(QStringLiteral("points_1:25K"), QString()), points);
            QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 30000);
        } else {
            child<QComboBox>(w, "cmbPoints")->setCurrentText(points);
            QTest::qWait(MapCreator::GuessDelayMs + 200);
        }
        QCOMPARE(child<QComboBox>(w, "cmbScale")->currentText(), scale);
        QCOMPARE(child<QComboBox>(w, "cmbPoints")->currentText(), points);
        w->close();
    }

    // OK takes a path typed into "Folder:"; the lists follow it while it is typed.
    void chooserTypedPath_data()
    {
        QTest::addColumn<QString>("typed");     // "@" stands for the case folder
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("folder");    // the chosen folder, under the case folder ("" itself)
        QTest::addColumn<QStringList>("listed"); // the files listed once typed
        QTest::addColumn<QString>("message");
        QTest::newRow("existing folder") << "@/other" << true << "other" << QStringList{"b.jpg"} << "";
        QTest::newRow("relative to the shown folder") << "sub" << true << "start/sub" << QStringList{"c.png"} << "";
        // On the way the lists were in the case folder ("@/"), which has no files.
        QTest::newRow("missing folder") << "@/nowhere" << false << "" << QStringList{}
                                        << "The folder @/nowhere does not exist.";
        QTest::newRow("missing folder, relative") << "nowhere" << false << "start" << QStringList{"a.jpg"}
                                                  << "The folder @/start/nowhere does not exist.";
        QTest::newRow("a file") << "@/other/b.jpg" << false << "other" << QStringList{"b.jpg"}
                                << "@/other/b.jpg is not a folder.";
    }
    void chooserTypedPath()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, folder);
        QFETCH(QStringList, listed);
        QFETCH(QString, message);
        const QString start = newFolder(QStringLiteral("start"));
        touch(start + QStringLiteral("/a.jpg"));
        touch(newFolder(QStringLiteral("other")) + QStringLiteral("/b.jpg"));
        touch(newFolder(QStringLiteral("start/sub")) + QStringLiteral("/c.png"));
        typed.replace(QLatin1Char('@'), m_work);
        message.replace(QLatin1Char('@'), m_work);

        GetPath chooser(QStringLiteral("Select directory with map images"), QStringLiteral("*.jpg;*.png"), start);
        chooser.show();
        QCOMPARE(chooser.listedFiles(), QStringList{QStringLiteral("a.jpg")});
        auto *box = child<QLineEdit>(&chooser, "txtPath");
        box->selectAll();
        QTest::keyClicks(box, native(typed));
        // The text stays as typed while the lists follow it.
        QCOMPARE(box->text(), native(typed));
        QCOMPARE(chooser.listedFiles(), listed);

        Answerer answerer;
        okButton(&chooser)->click();
        QCOMPARE(answerer.messages, message.isEmpty() ? QStringList{} : QStringList{native(message)});
        QCOMPARE(chooser.isVisible(), !accepted);
        QCOMPARE(chooser.result(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(chooser.folder(), folder.isEmpty() ? m_work : m_work + QLatin1Char('/') + folder);
    }

    // "New folder" makes a folder in the current one and enters it.
    void chooserNewFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("entered"); // the folder the chooser shows after, under the case folder
        QTest::addColumn<QString>("message");  // "@" stands for the case folder
        QTest::newRow("made and entered") << "Sheets 2024" << false << "start/Sheets 2024" << "";
        QTest::newRow("cyrillic name") << QString::fromUtf8("Листы") << false
                                       << QString::fromUtf8("start/Листы") << "";
        QTest::newRow("cancelled") << "unused" << true << "start" << "";
        QTest::newRow("empty name") << "  " << false << "start" << "";
        QTest::newRow("name with a separator") << "a/b" << false << "start"
                                               << "\"a/b\" cannot be the name of a folder.";
        QTest::newRow("there already") << "old" << false << "start" << "@/start/old is there already.";
    }
    void chooserNewFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, cancel);
        QFETCH(QString, entered);
        QFETCH(QString, message);
        const QString start = newFolder(QStringLiteral("start"));
        newFolder(QStringLiteral("start/old"));
        message.replace(QLatin1Char('@'), m_work);
        const QStringList before = QDir(start).entryList(QDir::Dirs | QDir::NoDotAndDotDot);

        GetPath chooser(QStringLiteral("Select directory for saving OziExplorer map-files"), QStringLiteral("*.*"),
                        start);
        chooser.show();
        Answerer answerer;
        answerer.name = name;
        answerer.cancelName = cancel;
        child<QPushButton>(&chooser, "cmdNewFolder")->click();
        QCOMPARE(answerer.nameDialogs, 1);
        QCOMPARE(answerer.messages, message.isEmpty() ? QStringList{} : QStringList{native(message)});
        QCOMPARE(chooser.folder(), m_work + QLatin1Char('/') + entered);
        QCOMPARE(child<QLineEdit>(&chooser, "txtPath")->text(), native(chooser.folder()));
        QVERIFY(QFileInfo(chooser.folder()).isDir());
        const QStringList after = QDir(start).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(after.size(), before.size() + (entered == QLatin1String("start") ? 0 : 1));
        QVERIFY(chooser.isVisible());
    }

    // A run's folder joins the last folders used, which the chooser and the main window offer.
    void runFolderRemembered_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("map creator: its image folder") << "MapCreator";
        QTest::newRow("corner markers") << "CornerMarkers";
        QTest::newRow("map list") << "MapListCreator";
        QTest::newRow("path remover") << "PathRemover";
    }
    void runFolderRemembered()
    {
        QFETCH(QString, tool);
        const QString older = native(newFolder(QStringLiteral("older")));
        const QString gone = native(m_work + QStringLiteral("/gone"));
        RecentFolders::add(gone);
        RecentFolders::add(older);
        const QString folder = native(newFolder(QStringLiteral("run here")));
        const QString out = native(newFolder(QStringLiteral("out")));

        MainWindow main;
        main.show();
        QCOMPARE(items(child<QListWidget>(&main, "lstRecent")), QStringList{older}); // a gone folder is not offered
        ToolWindow *w = nullptr;
        if (tool == QLatin1String("MapCreator")) {
            auto *creator = openMapCreator(main);
            child<QLineEdit>(creator, "txtPathIn")->setText(folder);
            child<QLineEdit>(creator, "txtPathOut")->setText(out);
            w = creator;
        } else {
            if (tool == QLatin1String("CornerMarkers"))
                main.cornerMarkersAction()->trigger();
            else if (tool == QLatin1String("MapListCreator"))
                main.mapListAction()->trigger();
            else
                main.pathRemoverAction()->trigger();
            w = main.findChild<FolderToolWindow *>(tool);
            QVERIFY(w);
            child<QLineEdit>(w, "txtPathOut")->setText(folder);
        }
        runToEnd(w);
        QCOMPARE(RecentFolders::list(), (QStringList{folder, older, gone}));

        // The chooser offers them, and picking one goes there.
        QStringList offered;
        QString went;
        QTimer::singleShot(50, this, [&] {
            auto *chooser = qobject_cast<GetPath *>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            auto *recent = child<QComboBox>(chooser, "cmbRecent");
            offered = items(recent);
            recent->setCurrentIndex(1);
            emit recent->activated(1);
            went = chooser->folder();
            chooser->reject();
        });
        child<QPushButton>(w, tool == QLatin1String("MapCreator") ? "cmdBrowseIn" : "cmdBrowseOut")->click();
        QCOMPARE(offered, (QStringList{folder, older}));
        QCOMPARE(went, QDir::fromNativeSeparators(older));

        // The main window shows the run's folder first once the tool is closed.
        w->close();
        QTRY_COMPARE(items(child<QListWidget>(&main, "lstRecent")), (QStringList{folder, older}));
    }

    // The tools as large buttons with their explanations, and the menu's accelerators.
    void toolButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("menuText");
        QTest::addColumn<QString>("shortcut");
        QTest::newRow("map creator") << "cmdMapCreator" << "Map creator" << "MapCreator" << "&Map creator" << "Ctrl+1";
        QTest::newRow("map list") << "cmdMapList" << "Map list creator" << "MapListCreator" << "Map &list creator"
                                  << "Ctrl+2";
        QTest::newRow("corner markers") << "cmdCornerMarkers" << "Corner markers" << "CornerMarkers"
                                        << "&Corner markers" << "Ctrl+3";
        QTest::newRow("path remover") << "cmdPathRemover" << "Image path remover" << "PathRemover"
                                      << "&Image path remover" << "Ctrl+4";
        QTest::newRow("find sheet") << "cmdFindSheet" << "Find sheet" << "FindSheet" << "&Find sheet" << "Ctrl+5";
        QTest::newRow("check calibration") << "cmdSheetCheck" << "Check calibration" << "SheetCheck"
                                           << "C&heck calibration" << "Ctrl+6";
    }
    void toolButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(QString, window);
        QFETCH(QString, menuText);
        QFETCH(QString, shortcut);
        MainWindow main;
        main.show();
        auto *b = child<QCommandLinkButton>(&main, qPrintable(button));
        QVERIFY(b);
        QCOMPARE(b->text(), caption);
        QVERIFY(!b->description().isEmpty());

        QMenu *utility = child<QMenu>(&main, "mnuUtility");
        QAction *item = nullptr;
        for (QAction *a : utility->actions()) {
            if (a->text() == menuText)
                item = a;
        }
        QVERIFY2(item, qPrintable(menuText));
        QCOMPARE(item->shortcut(), QKeySequence(shortcut));

        b->click();
        auto *opened = main.findChild<QDialog *>(window);
        QVERIFY(opened);
        QVERIFY(opened->isVisible());
        QVERIFY(opened->isModal());
        opened->close();
    }

    // A folder dropped onto a window becomes that window's folder.
    void folderDropped_data()
    {
        QTest::addColumn<QString>("window");  // MainWindow, MapCreator, CornerMarkers
        QTest::addColumn<QString>("target");  // the child dropped onto, "" for the window itself
        QTest::addColumn<bool>("asFile");     // drop a file instead of the folder
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("box");     // the box that shows the folder, or "" (main window)
        QTest::newRow("main window") << "MainWindow" << "" << false << true << "";
        QTest::newRow("main window, its list") << "MainWindow" << "lstRecent" << false << true << "";
        QTest::newRow("main window, a file") << "MainWindow" << "" << true << false << "";
        QTest::newRow("map creator") << "MapCreator" << "" << false << true << "txtPathIn";
        QTest::newRow("map creator, on a margin box") << "MapCreator" << "txtMTop" << false << true << "txtPathIn";
        QTest::newRow("map creator, on the output box") << "MapCreator" << "txtPathOut" << false << true
                                                         << "txtPathOut";
        QTest::newRow("map creator, a file") << "MapCreator" << "" << true << false << "txtPathIn";
        QTest::newRow("corner markers") << "CornerMarkers" << "" << false << true << "txtPathOut";
        QTest::newRow("corner markers, on its box") << "CornerMarkers" << "txtPathOut" << false << true
                                                     << "txtPathOut";
        QTest::newRow("corner markers, a file") << "CornerMarkers" << "" << true << false << "txtPathOut";
    }
    void folderDropped()
    {
        QFETCH(QString, window);
        QFETCH(QString, target);
        QFETCH(bool, asFile);
        QFETCH(bool, taken);
        QFETCH(QString, box);
        const QString folder = newFolder(QStringLiteral("dropped 25K"));
        touch(folder + QString::fromUtf8("/N-37-001-А-а.jpg"));
        const QUrl url = QUrl::fromLocalFile(asFile ? folder + QString::fromUtf8("/N-37-001-А-а.jpg") : folder);

        MainWindow main;
        main.show();
        QWidget *w = &main;
        if (window == QLatin1String("MapCreator"))
            w = openMapCreator(main);
        else if (window == QLatin1String("CornerMarkers")) {
            main.cornerMarkersAction()->trigger();
            w = main.findChild<CornerMarkers *>();
        }
        QVERIFY(w);
        QWidget *onto = target.isEmpty() ? w : child<QWidget>(w, qPrintable(target));
        QVERIFY(onto);
        auto *margin = w->findChild<QLineEdit *>(QStringLiteral("txtMTop"));
        const QString marginText = margin ? margin->text() : QString();
        const QString boxBefore = box.isEmpty() ? QString() : child<QLineEdit>(w, qPrintable(box))->text();

        QCOMPARE(dropOnto(onto, url), taken);
        const QString expected = taken ? native(folder) : boxBefore;
        if (box.isEmpty()) {
            QCOMPARE(main.currentFolder(), taken ? native(folder) : QString());
            if (taken) {
                QVERIFY(child<QLabel>(&main, "lblFolder")->text().contains(native(folder)));
                // The map creator opens on the dropped folder.
                MapCreator *creator = openMapCreator(main);
                QCOMPARE(child<QLineEdit>(creator, "txtPathIn")->text(), native(folder));
                QCOMPARE(child<QComboBox>(creator, "cmbScale")->currentText(), QStringLiteral("1:25K"));
                creator->close();
            }
        } else {
            QCOMPARE(child<QLineEdit>(w, qPrintable(box))->text(), expected);
        }
        if (margin)
            QCOMPARE(margin->text(), marginText);
        if (window == QLatin1String("MapCreator") && box == QLatin1String("txtPathIn")) {
            // Guessed at once from the dropped folder.
            QCOMPARE(child<QComboBox>(w, "cmbScale")->currentText(),
                     taken ? QStringLiteral("1:25K") : QStringLiteral("1:1M"));
            QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), expected);
        }
        if (w != &main)
            w->close();
    }

    // A folder picked from the main window's list is the one the tools open on.
    void recentFolderPicked()
    {
        const QString a = native(newFolder(QStringLiteral("a")));
        const QString b = native(newFolder(QStringLiteral("b")));
        RecentFolders::add(a);
        RecentFolders::add(b);
        MainWindow main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto *list = child<QListWidget>(&main, "lstRecent");
        QCOMPARE(items(list), (QStringList{b, a}));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(main.currentFolder(), a);
        QCOMPARE(Settings::LastPath(), a);

        main.cornerMarkersAction()->trigger();
        auto *cm = main.findChild<CornerMarkers *>();
        QCOMPARE(child<QLineEdit>(cm, "txtPathOut")->text(), a);
        cm->close();
        MapCreator *creator = openMapCreator(main);
        QCOMPARE(child<QLineEdit>(creator, "txtPathIn")->text(), a);
        creator->close();
    }

    // The main window keeps its place like the tool windows.
    void mainWindowPlacement_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal") << false;
        QTest::newRow("maximised") << true;
    }
    void mainWindowPlacement()
    {
        QFETCH(bool, maximised);
        const QRect stored(60, 50, 700, 620);
        {
            MainWindow main;
            main.move(stored.topLeft());
            main.resize(stored.size());
            if (maximised)
                main.showMaximized();
            else
                main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            main.close();
        }
        QCOMPARE(Settings::ReadSetting(QStringLiteral("ZoomMainWindow"), QString()),
                 maximised ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("WidthMainWindow"), QString()), QString::number(stored.width()));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("HeightMainWindow"), QString()),
                 QString::number(stored.height()));

        MainWindow main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.isMaximized(), maximised);
        if (maximised) {
            QCOMPARE(main.normalGeometry().size(), stored.size());
        } else {
            QCOMPARE(main.size(), stored.size());
            QCOMPARE(main.pos(), stored.topLeft());
        }
    }
};

QTEST_MAIN(TestHomeWindows)
#include "tst_homewindows.moc"
