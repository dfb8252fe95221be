// The desktop program's windows, driven offscreen: the menu, the defaults of a
// first start, the guessing from the first image, a map creator run with its
// message boxes, window placement, and closing a window during a run.
#include "common/BoxAnswerer.h"
#include "common/CaseFolders.h"
#include "common/RecordingObserver.h"
#include "settings/Settings.h"
#include "tools/MapCreatorRun.h"
#include "ui/AboutBox.h"
#include "ui/CornerMarkers.h"
#include "ui/GetPath.h"
#include "ui/MainWindow.h"
#include "ui/MapCreator.h"
#include "ui/MapListCreator.h"
#include "ui/PathRemover.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

void makeImage(const QString &path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QVERIFY(image.save(path, "PNG"));
}

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList mapFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.map")}, QDir::Files, QDir::Name);
}

template <typename W>
W *child(QWidget *parent, const char *name)
{
    W *w = parent->findChild<W *>(QLatin1String(name));
    if (!w)
        qWarning("no child %s", name);
    return w;
}

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT
private:
    CaseFolders m_cases;
    QString m_work; // the current folder of each test

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

    // Waits for the run number `runs` (counted from 1) of the spied window to end.
    void waitForRun(ToolWindow *window, QSignalSpy &finished, int runs = 1)
    {
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() >= runs, 30000);
        QVERIFY(!window->isRunning());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_cases.isValid());
        qRegisterMetaType<RunResult>();
    }

    // A fresh settings file (none) and an empty current folder for every test.
    void init()
    {
        m_work = m_cases.next();
        QVERIFY(!m_work.isEmpty());
    }

    void openFromMenu_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("startButton");
        QTest::newRow("map creator") << "Map creator" << "MapCreator" << "Form1" << "Generate";
        QTest::newRow("map list") << "Map list creator" << "MapListCreator" << "OziExplorer map list creator"
                                  << "Create list";
        QTest::newRow("corner markers") << "Corner markers" << "CornerMarkers"
                                        << "OziExplorer map corner markers generator" << "Set  markers";
        QTest::newRow("path remover") << "Image path remover" << "PathRemover"
                                      << "OziExplorer map image path remover" << "Remove paths";
    }
    void openFromMenu()
    {
        QFETCH(QString, action);
        QFETCH(QString, objectName);
        QFETCH(QString, caption);
        QFETCH(QString, startButton);
        MainWindow main;
        main.show();
        QMenu *utility = main.findChild<QMenu *>(QStringLiteral("mnuUtility"));
        QVERIFY(utility);
        QAction *found = nullptr;
        for (QAction *a : utility->actions()) {
            // The item's text apart from its keyboard mnemonic ("&Map creator").
            if (QString(a->text()).remove(QLatin1Char('&')) == action)
                found = a;
        }
        QVERIFY2(found, qPrintable(action));
        found->trigger();
        auto *window = main.findChild<ToolWindow *>(objectName);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(window->isModal());
        QCOMPARE(window->windowTitle(), caption);
        auto *start = child<QPushButton>(window, "Command1");
        QVERIFY(start);
        QCOMPARE(start->text(), startButton);
        QCOMPARE(child<QPushButton>(window, "Command2")->text(), QStringLiteral("Cancel"));

        // Esc closes the window, which goes.
        QPointer<ToolWindow> guard(window);
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(guard.isNull());
    }

    void aboutBox()
    {
        AboutBox box;
        auto *text = child<QLabel>(&box, "lblAbout");
        QVERIFY(text);
        QVERIFY(text->text().contains(QStringLiteral(QUILLMARK_VERSION)));
        QVERIFY(text->text().contains(QString::fromLatin1(qVersion())));
        const QString facts = AboutBox::systemFacts();
        QVERIFY(facts.contains(QSysInfo::currentCpuArchitecture()));
        QVERIFY(facts.contains(QSysInfo::machineHostName()));
        if (AboutBox::systemInfoViewer().isEmpty()) {
            // Without a viewer the button shows the facts itself.
            BoxAnswerer answerer;
            box.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();
            QCOMPARE(answerer.texts(), QStringList{facts});
        }
    }

    void firstStartDefaults()
    {
        QVERIFY(!QFile::exists(Settings::SettingsFile()));
        MainWindow main;
        QCOMPARE(Settings::LastPath(), QString());
        MapCreator *w = openMapCreator(main);
        QVERIFY(w);
        const QString here = QDir::toNativeSeparators(QDir::currentPath());
        QCOMPARE(child<QLineEdit>(w, "txtMTop")->text(), QStringLiteral("5"));
        QCOMPARE(child<QLineEdit>(w, "txtMBottom")->text(), QStringLiteral("5"));
        QCOMPARE(child<QLineEdit>(w, "txtMSide")->text(), QStringLiteral("3"));
        QVERIFY(!child<QCheckBox>(w, "chkSkip")->isChecked());
        QCOMPARE(child<QLineEdit>(w, "txtPathIn")->text(), here);
        QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), here);
        QVERIFY(child<QRadioButton>(w, "optGridLL")->isChecked());
        QCOMPARE(w->gridMode(), 2);
        QCOMPARE(child<QComboBox>(w, "cmbScale")->currentText(), QStringLiteral("1:1M"));
        QCOMPARE(child<QComboBox>(w, "cmbName")->currentText(), QStringLiteral("RCC-LLL"));
        QCOMPARE(child<QComboBox>(w, "cmbName")->toolTip(), QStringLiteral("R - Row, C - Column, L - List number"));
        QVERIFY(child<QComboBox>(w, "cmbScale")->isEditable());
        w->close();

        main.cornerMarkersAction()->trigger();
        auto *cm = main.findChild<CornerMarkers *>();
        QVERIFY(cm);
        QCOMPARE(child<QLineEdit>(cm, "txtPathOut")->text(), here);
        QCOMPARE(cm->findChild<QGroupBox *>(QStringLiteral("Frame2"))->title(), QStringLiteral("Map files path: "));
        cm->close();
    }

    void storedOptionsLoaded()
    {
        const QString in = newFolder(QStringLiteral("My Scans"));
        Settings::WriteSetting(QStringLiteral("path"), QStringLiteral("/last/used"));
        Settings::WriteSetting(QStringLiteral("PathIn"), in);
        Settings::WriteSetting(QStringLiteral("chkSkip"), QStringLiteral("1"));
        Settings::WriteSetting(QStringLiteral("txtMTop"), QStringLiteral("7.5"));
        MainWindow main;
        QCOMPARE(Settings::LastPath(), QStringLiteral("/last/used"));
        MapCreator *w = openMapCreator(main);
        QVERIFY(child<QCheckBox>(w, "chkSkip")->isChecked());
        QCOMPARE(child<QLineEdit>(w, "txtMTop")->text(), QStringLiteral("7.5"));
        // The input folder's change copies it into the output folder.
        QCOMPARE(child<QLineEdit>(w, "txtPathIn")->text(), in);
        QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), in);
        // The output folder may then differ.
        child<QLineEdit>(w, "txtPathOut")->setText(QStringLiteral("/elsewhere"));
        QCOMPARE(w->outFolder(), QStringLiteral("/elsewhere"));
        QCOMPARE(w->inFolder(), in);
        w->close();
    }

    void guessFromFirstImage_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("storedPoints"); // "points_<scale>" in the settings, or ""
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("points");
        QTest::newRow("1:50K letter") << QStringList{QString::fromUtf8("N-37-001-А.jpg")} << ""
                                      << "1:50K" << "R-CC-LLL" << "optGridM" << "4";
        QTest::newRow("1:50K stored points") << QStringList{QString::fromUtf8("N-37-001-А.jpg")} << "9"
                                             << "1:50K" << "R-CC-LLL" << "optGridM" << "9";
        QTest::newRow("after a text file") << QStringList{"N-37.jpg", "readme.txt"} << ""
                                           << "1:1M" << "R-CC-LLL" << "optGridLL" << "5";
        QTest::newRow("1:100K") << QStringList{"N-37-001.png"} << "" << "1:100K" << "R-CC-LLL" << "optGridM" << "5";
        QTest::newRow("upper-case extension") << QStringList{"N-37-001.JPG"} << "" << "1:100K" << "R-CC-LLL"
                                              << "optGridM" << "5";
        // First names of two scales: each file at its own, each with its scale's points.
        QTest::newRow("scales differ: By name") << QStringList{"N-37.jpg", "N-37-001.tif"} << "" << "By name"
                                                << "R-CC-LLL" << "optGridM" << "";
        QTest::newRow("empty folder") << QStringList{} << "" << "1:1M" << "RCC-LLL" << "optGridLL" << "5";
    }
    void guessFromFirstImage()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, storedPoints);
        QFETCH(QString, scale);
        QFETCH(QString, mask);
        QFETCH(QString, grid);
        QFETCH(QString, points);
        const QString in = newFolder(QStringLiteral("in"));
        for (const QString &f : files)
            touch(in + QLatin1Char('/') + f);
        Settings::WriteSetting(QStringLiteral("PathIn"), in);
        if (!storedPoints.isEmpty())
            Settings::WriteSetting(QStringLiteral("points_") + scale, storedPoints);
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        QCOMPARE(child<QComboBox>(w, "cmbScale")->currentText(), scale);
        QCOMPARE(child<QComboBox>(w, "cmbName")->currentText(), mask);
        QVERIFY(child<QRadioButton>(w, qPrintable(grid))->isChecked());
        QCOMPARE(w->gridMode(), grid == QLatin1String("optGridLL") ? 2 : grid == QLatin1String("optGridM") ? 1 : 0);
        QCOMPARE(child<QComboBox>(w, "cmbPoints")->currentText(), points);
        w->close();
    }

    // The input chooser offers files without regard to case, and its first file
    // sets the options; the chosen folder becomes the output folder and LastPath.
    void inputChooser()
    {
        const QString in = newFolder(QStringLiteral("chosen"));
        touch(in + QStringLiteral("/N-37-001.JPG"));
        touch(in + QStringLiteral("/notes.txt"));
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        QString title;
        QStringList listed;
        QTimer::singleShot(50, this, [&] {
            auto *chooser = qobject_cast<GetPath *>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            title = chooser->windowTitle();
            QVERIFY(chooser->setFolder(in));
            listed = chooser->listedFiles();
            chooser->accept();
        });
        child<QPushButton>(w, "cmdBrowseIn")->click();
        QCOMPARE(title, QStringLiteral("Select directory with map images"));
        QCOMPARE(listed, QStringList{QStringLiteral("N-37-001.JPG")});
        QCOMPARE(child<QLineEdit>(w, "txtPathIn")->text(), QDir::toNativeSeparators(in));
        QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), QDir::toNativeSeparators(in));
        QCOMPARE(Settings::LastPath(), QDir::toNativeSeparators(in));
        QCOMPARE(w->firstImage(), QStringLiteral("N-37-001.JPG"));
        QCOMPARE(child<QComboBox>(w, "cmbScale")->currentText(), QStringLiteral("1:100K"));

        // Cancelling the output chooser leaves the output folder as it was.
        QTimer::singleShot(50, this, [&] {
            auto *chooser = qobject_cast<GetPath *>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            title = chooser->windowTitle();
            chooser->setFolder(m_work);
            chooser->reject();
        });
        child<QPushButton>(w, "cmdBrowseOut")->click();
        QCOMPARE(title, QStringLiteral("Select directory for saving OziExplorer map-files"));
        QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), QDir::toNativeSeparators(in));
        w->close();
    }

    void chooserMatching_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("listed");
        const QString images = QStringLiteral("*.jpg;*.bmp;*.png;*.gif;*.TIF;*.KAP;*.CAP;*.OZF;*.ECW;*.SID");
        QTest::newRow("upper jpg") << "A.JPG" << images << true;
        QTest::newRow("lower tif") << "a.tif" << images << true;
        QTest::newRow("jpeg") << "a.jpeg" << images << false;
        QTest::newRow("map") << "x.Map" << "*.map" << true;
        QTest::newRow("map.bak") << "x.map.bak" << "*.map" << false;
        QTest::newRow("all, no extension") << "README" << "*.*" << true;
    }
    void chooserMatching()
    {
        QFETCH(QString, file);
        QFETCH(QString, pattern);
        QFETCH(bool, listed);
        QCOMPARE(GetPath::matches(file, pattern.split(QLatin1Char(';'))), listed);
    }

    // A run from the window: message boxes answered from a timer, the files it
    // writes the same as the core run's, the settings of the run's start stored.
    void mapCreatorRun()
    {
        const QString in = newFolder(QStringLiteral("sheets in"));
        const QString out = newFolder(QStringLiteral("maps out"));
        makeImage(in + QStringLiteral("/N-37-001.png"), 120, 90);
        makeImage(in + QStringLiteral("/N-37-002.png"), 64, 48);
        makeImage(in + QStringLiteral("/X-37-001.png"), 64, 48);
        touch(in + QStringLiteral("/readme.txt"));
        Settings::WriteSetting(QStringLiteral("txtMTop"), QStringLiteral("6"));

        MainWindow main;
        MapCreator *w = openMapCreator(main);
        child<QLineEdit>(w, "txtPathIn")->setText(in);
        w->setByImageName(QStringLiteral("N-37-001.png"));
        QCOMPARE(child<QComboBox>(w, "cmbScale")->currentText(), QStringLiteral("1:100K"));
        child<QLineEdit>(w, "txtPathOut")->setText(out);
        child<QComboBox>(w, "cmbPoints")->setCurrentText(QStringLiteral("9"));
        child<QLineEdit>(w, "txtMSide")->setText(QStringLiteral("4"));

        QStringList statuses;
        connect(child<QLineEdit>(w, "txtSay"), &QLineEdit::textChanged, this,
                [&](const QString &t) { statuses.append(t); });
        QSignalSpy finished(w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        child<QPushButton>(w, "Command1")->click();
        QVERIFY(w->isRunning());
        QVERIFY(!child<QPushButton>(w, "Command1")->isEnabled());
        QVERIFY(!child<QLineEdit>(w, "txtPathIn")->isEnabled());
        waitForRun(w, finished);
        QVERIFY(child<QPushButton>(w, "Command1")->isEnabled());

        QCOMPARE(answerer.texts(),
                 (QStringList{QStringLiteral("X-37-001.png Incorrect 1:1M map row in image name "),
                              QStringLiteral("There is error in data. Continue?"),
                              QStringLiteral("Done 3 map-files")}));
        QCOMPARE(answerer.boxes[0].caption, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(answerer.boxes[1].caption, QStringLiteral("Error"));
        QCOMPARE(answerer.boxes[2].icon, QMessageBox::NoIcon);
        QCOMPARE(answerer.boxes[2].caption, ToolWindow::applicationCaption());
        QVERIFY(statuses.contains(QStringLiteral("Generating map-file for N-37-001.png")));
        QVERIFY(statuses.contains(QStringLiteral("Generating map-file for N-37-002.png")));
        QCOMPARE(statuses.last(), QString());

        QCOMPARE(mapFiles(out), (QStringList{QStringLiteral("N-37-001.map"), QStringLiteral("N-37-002.map")}));
        // The bar went through the three sheet images of the folder (not the other file).
        auto *bar = child<QProgressBar>(w, "progressBar");
        QCOMPARE(bar->maximum(), 3);
        QCOMPARE(bar->value(), 3);
        QVERIFY(bar->isHidden());

        // The window's options, then the maps it wrote, byte for byte: 1:100K
        // sheets N-37-001 (56°00'..55°40' N, 36°00'..36°30' E) and N-37-002
        // (36°30'..37°00' E), 9 points, margins 6 % at the top, 5 % at the
        // bottom and 4 % at the sides, cut to whole pixels; metric grid.
        MapCreatorOptions options = w->options();
        QCOMPARE(options.outFolder, out);
        QCOMPARE(options.inFolder, in);
        QCOMPARE(options.pointsText, QStringLiteral("9"));
        const QByteArray head = "OziExplorer Map Data File Version 2.2\r\n";
        const QByteArray datum = "1 ,Map Code,\r\n"
                                 "Pulkovo 1942 (1),WGS 84,   0.0000,   0.0000,WGS 84\r\n"
                                 "Reserved 1\r\n"
                                 "Reserved 2\r\n"
                                 "Magnetic Variation, , , E\r\n"
                                 "Map Projection,Transverse Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No\r\n";
        QByteArray unusedPoints;
        for (const char *n : {"10", "11", "12", "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23",
                              "24", "25", "26", "27", "28", "29", "30"})
            unusedPoints += QByteArray("Point") + n + ",xy,,,in, deg,,,,,,, grid,,,,\r\n";
        const QByteArray setup = "Projection Setup,0.000000000,39.000000000 , 1.000000000, 07500000.00, 0.00,,,,,\r\n"
                                 "Map Feature = MF ; Map Comment = MC These follow if they exist\r\n"
                                 "Track File = TF These follow if they exist\r\n"
                                 "Moving Map Parameters = MM? These follow if they exist\r\n"
                                 "MM0,Yes\r\n"
                                 "MMPNUM,4\r\n";
        const QByteArray openPosition = "MOP,Map Open Position,0,0\r\n";
        const QByteArray tail = "Other Grid Setup\r\n"
                                "GRGRID,Yes,2 Km,No,16711680,255,2 Km,0,16777215,8,0,Yes,Yes,No,x\r\n";
        const QByteArray first = head + "N-37-001\r\nN-37-001.png\r\n" + datum
            + "Point01,xy,4,5,in, deg,56, 0.0000,N,36, 0.0000,E, grid,,,,N\r\n"
              "Point02,xy,115,5,in, deg,56, 0.0000,N,36, 30.0000,E, grid,,,,N\r\n"
              "Point03,xy,115,85,in, deg,55, 40.0000,N,36, 30.0000,E, grid,,,,N\r\n"
              "Point04,xy,4,85,in, deg,55, 40.0000,N,36, 0.0000,E, grid,,,,N\r\n"
              "Point05,xy,60,45,in, deg,55, 50.0000,N,36, 15.0000,E, grid,,,,N\r\n"
              "Point06,xy,60,5,in, deg,56, 0.0000,N,36, 15.0000,E, grid,,,,N\r\n"
              "Point07,xy,4,45,in, deg,55, 50.0000,N,36, 0.0000,E, grid,,,,N\r\n"
              "Point08,xy,115,45,in, deg,55, 50.0000,N,36, 30.0000,E, grid,,,,N\r\n"
              "Point09,xy,60,85,in, deg,55, 40.0000,N,36, 15.0000,E, grid,,,,N\r\n"
            + unusedPoints + setup
            + "MMPXY,1,4,5\r\nMMPXY,2,115,5\r\nMMPXY,3,115,85\r\nMMPXY,4,4,85\r\n"
              "MMPLL,1,36.000000 , 56.000000\r\nMMPLL,2,36.500000 , 56.000000\r\n"
              "MMPLL,3,36.500000 , 55.666667\r\nMMPLL,4,36.000000 , 55.666667\r\n"
              "MM1B,494.222222\r\n"
            + openPosition + "IWH,Map Image Width/Height,120,90\r\n" + tail;
        const QByteArray second = head + "N-37-002\r\nN-37-002.png\r\n" + datum
            + "Point01,xy,2,2,in, deg,56, 0.0000,N,36, 30.0000,E, grid,,,,N\r\n"
              "Point02,xy,61,2,in, deg,56, 0.0000,N,37, 0.0000,E, grid,,,,N\r\n"
              "Point03,xy,61,45,in, deg,55, 40.0000,N,37, 0.0000,E, grid,,,,N\r\n"
              "Point04,xy,2,45,in, deg,55, 40.0000,N,36, 30.0000,E, grid,,,,N\r\n"
              "Point05,xy,32,24,in, deg,55, 50.0000,N,36, 45.0000,E, grid,,,,N\r\n"
              "Point06,xy,32,2,in, deg,56, 0.0000,N,36, 45.0000,E, grid,,,,N\r\n"
              "Point07,xy,2,24,in, deg,55, 50.0000,N,36, 30.0000,E, grid,,,,N\r\n"
              "Point08,xy,61,24,in, deg,55, 50.0000,N,37, 0.0000,E, grid,,,,N\r\n"
              "Point09,xy,32,45,in, deg,55, 40.0000,N,36, 45.0000,E, grid,,,,N\r\n"
            + unusedPoints + setup
            + "MMPXY,1,2,2\r\nMMPXY,2,61,2\r\nMMPXY,3,61,45\r\nMMPXY,4,2,45\r\n"
              "MMPLL,1,36.500000 , 56.000000\r\nMMPLL,2,37.000000 , 56.000000\r\n"
              "MMPLL,3,37.000000 , 55.666667\r\nMMPLL,4,36.500000 , 55.666667\r\n"
              "MM1B,926.666667\r\n"
            + openPosition + "IWH,Map Image Width/Height,64,48\r\n" + tail;
        QCOMPARE(readAll(out + QStringLiteral("/N-37-001.map")), first);
        QCOMPARE(readAll(out + QStringLiteral("/N-37-002.map")), second);

        // The settings of the run's start.
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QString()), out);
        QCOMPARE(Settings::ReadSetting(QStringLiteral("PathIn"), QString()), in);
        QCOMPARE(Settings::ReadSetting(QStringLiteral("chkSkip"), QString()), QStringLiteral("0"));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("txtMSide"), QString()), QStringLiteral("4"));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("points_1:100K"), QString()), QStringLiteral("9"));
        const QByteArray file = readAll(Settings::SettingsFile());
        // Stored in the run's order (keys already in the file keep their line).
        const QList<qsizetype> at{file.indexOf("\ntxtMTop=6"), file.indexOf("\nPath="), file.indexOf("\nPathIn="),
                                  file.indexOf("\nchkSkip="), file.indexOf("\ntxtMBottom="),
                                  file.indexOf("\ntxtMSide="), file.indexOf("\npoints_1:100K=")};
        QVERIFY(!at.contains(-1));
        QVERIFY(std::is_sorted(at.begin(), at.end()));
        w->close();
    }

    void cancelAtPromptAndMissingFolder_data()
    {
        QTest::addColumn<bool>("missingOut");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("cancel at the prompt")
            << false
            << QStringList{QStringLiteral("A-99-001.png Incorrect 1:1M map column number in image name 99"),
                           QStringLiteral("There is error in data. Continue?"), QStringLiteral("Done 1 map-files")};
        QTest::newRow("output folder missing") << true << QStringList{};
    }
    void cancelAtPromptAndMissingFolder()
    {
        QFETCH(bool, missingOut);
        QFETCH(QStringList, expected);
        const QString in = newFolder(QStringLiteral("in"));
        makeImage(in + QStringLiteral("/A-99-001.png"), 40, 40);
        makeImage(in + QStringLiteral("/N-37-001.png"), 40, 40);
        Settings::WriteSetting(QStringLiteral("PathIn"), in);
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        const QString out = missingOut ? m_work + QStringLiteral("/no such folder") : in;
        if (missingOut)
            expected = QStringList{QStringLiteral("Folder ") + out + QStringLiteral(" is not exist")};
        child<QLineEdit>(w, "txtPathOut")->setText(out);
        QSignalSpy finished(w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        answerer.answers = {QMessageBox::Cancel};
        child<QPushButton>(w, "Command1")->click();
        waitForRun(w, finished);
        QCOMPARE(answerer.texts(), expected);
        QVERIFY(mapFiles(in).isEmpty());
        // Stored even when a folder is missing.
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QString()), out);
        w->close();
    }

    void folderToolRun_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("corner markers") << "CornerMarkers";
        QTest::newRow("map list") << "MapListCreator";
        QTest::newRow("path remover") << "PathRemover";
    }
    void folderToolRun()
    {
        QFETCH(QString, tool);
        MainWindow main;
        if (tool == QLatin1String("CornerMarkers"))
            main.cornerMarkersAction()->trigger();
        else if (tool == QLatin1String("MapListCreator"))
            main.mapListAction()->trigger();
        else
            main.pathRemoverAction()->trigger();
        auto *w = main.findChild<FolderToolWindow *>(tool);
        QVERIFY(w);
        const QString empty = newFolder(QStringLiteral("no maps"));
        child<QLineEdit>(w, "txtPathOut")->setText(empty);
        QSignalSpy finished(w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        child<QPushButton>(w, "Command1")->click();
        waitForRun(w, finished);
        QCOMPARE(answerer.texts(), QStringList{QStringLiteral("Done 0 map-files")});
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QString()), empty);

        const QString missing = m_work + QStringLiteral("/missing");
        child<QLineEdit>(w, "txtPathOut")->setText(missing);
        child<QPushButton>(w, "Command1")->click();
        waitForRun(w, finished, 2);
        QCOMPARE(answerer.texts().last(), QStringLiteral("Folder ") + missing + QStringLiteral(" is not exist"));
        QCOMPARE(answerer.boxes.last().icon, QMessageBox::Critical);
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QString()), missing);
        w->close();
    }

    void folderToolChooser_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("accept");
        QTest::newRow("corner markers, OK") << "CornerMarkers" << true;
        QTest::newRow("corner markers, Cancel") << "CornerMarkers" << false;
        QTest::newRow("map list, OK") << "MapListCreator" << true;
        QTest::newRow("path remover, OK") << "PathRemover" << true;
    }
    void folderToolChooser()
    {
        QFETCH(QString, tool);
        QFETCH(bool, accept);
        const QString maps = newFolder(QStringLiteral("maps"));
        touch(maps + QStringLiteral("/b.MAP"));
        touch(maps + QStringLiteral("/a.map"));
        touch(maps + QStringLiteral("/a.jpg"));
        touch(maps + QStringLiteral("/c.map.bak"));
        MainWindow main;
        if (tool == QLatin1String("CornerMarkers"))
            main.cornerMarkersAction()->trigger();
        else if (tool == QLatin1String("MapListCreator"))
            main.mapListAction()->trigger();
        else
            main.pathRemoverAction()->trigger();
        auto *w = main.findChild<FolderToolWindow *>(tool);
        QVERIFY(w);
        const QString before = child<QLineEdit>(w, "txtPathOut")->text();
        QString title;
        QStringList listed;
        QTimer::singleShot(50, this, [&] {
            auto *chooser = qobject_cast<GetPath *>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            title = chooser->windowTitle();
            QVERIFY(chooser->setFolder(maps));
            listed = chooser->listedFiles();
            if (accept)
                chooser->accept();
            else
                chooser->reject();
        });
        child<QPushButton>(w, "cmdBrowseOut")->click();
        QCOMPARE(title, QStringLiteral("Select directory with OziExplorer map-files"));
        QCOMPARE(listed, (QStringList{QStringLiteral("a.map"), QStringLiteral("b.MAP")}));
        const QString expected = accept ? QDir::toNativeSeparators(maps) : before;
        QCOMPARE(child<QLineEdit>(w, "txtPathOut")->text(), expected);
        QCOMPARE(w->folderPath(), expected);
        QCOMPARE(Settings::LastPath(), accept ? expected : QString());
        w->close();
    }

    // A place stored on a screen that is gone does not put the window out of reach.
    void placementOffScreen()
    {
        Settings::WriteSetting(QStringLiteral("LeftCornerMarkers"), QStringLiteral("-20000"));
        Settings::WriteSetting(QStringLiteral("TopCornerMarkers"), QStringLiteral("-20000"));
        Settings::WriteSetting(QStringLiteral("WidthCornerMarkers"), QStringLiteral("500"));
        Settings::WriteSetting(QStringLiteral("HeightCornerMarkers"), QStringLiteral("300"));
        MainWindow main;
        main.cornerMarkersAction()->trigger();
        auto *w = main.findChild<CornerMarkers *>();
        QVERIFY(w);
        QCOMPARE(w->size(), QSize(500, 300));
        QVERIFY(w->screen()->availableGeometry().intersects(w->frameGeometry()));
        w->close();
    }

    void placementRestored_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("map creator") << "MapCreator" << false;
        QTest::newRow("map creator maximised") << "MapCreator" << true;
        QTest::newRow("corner markers") << "CornerMarkers" << false;
        QTest::newRow("corner markers maximised") << "CornerMarkers" << true;
        QTest::newRow("path remover") << "PathRemover" << false;
    }
    void placementRestored()
    {
        QFETCH(QString, tool);
        QFETCH(bool, maximised);
        // Above the tallest tool window's minimum (the map creator's).
        const QRect stored(40, 30, 640, 560);
        MainWindow main;
        auto open = [&]() -> ToolWindow * {
            if (tool == QLatin1String("MapCreator"))
                main.mapCreatorAction()->trigger();
            else if (tool == QLatin1String("CornerMarkers"))
                main.cornerMarkersAction()->trigger();
            else
                main.pathRemoverAction()->trigger();
            return main.findChild<ToolWindow *>(tool);
        };

        // Closing stores the placement under the window's name.
        ToolWindow *w = open();
        QVERIFY(w);
        w->move(stored.topLeft());
        w->resize(stored.size());
        if (maximised)
            w->showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QPointer<ToolWindow> guard(w);
        w->close();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Zoom") + tool, QString()),
                 maximised ? QStringLiteral("1") : QStringLiteral("0"));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Width") + tool, QString()), QString::number(stored.width()));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Height") + tool, QString()), QString::number(stored.height()));

        // Opening restores it.
        w = open();
        QVERIFY(w);
        QCOMPARE(w->isMaximized(), maximised);
        if (!maximised) {
            QCOMPARE(w->size(), stored.size());
            QCOMPARE(w->pos(), stored.topLeft());
        } else {
            QCOMPARE(w->normalGeometry().size(), stored.size());
        }
        w->close();
    }

    // Closing the window while a run waits at a message box ends the run there:
    // nothing more is written, no "Done" box follows, and the window goes.
    void closeDuringRun()
    {
        const QString in = newFolder(QStringLiteral("in"));
        makeImage(in + QStringLiteral("/A-99-001.png"), 40, 40);
        for (int i = 1; i <= 20; ++i)
            makeImage(in + QStringLiteral("/N-37-%1.png").arg(i, 3, 10, QLatin1Char('0')), 40, 40);
        Settings::WriteSetting(QStringLiteral("PathIn"), in);
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        QPointer<MapCreator> guard(w);
        BoxAnswerer answerer;
        answerer.onBox = [&](QMessageBox *) {
            if (guard)
                guard->close();
            return true;
        };
        child<QPushButton>(w, "Command1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 30000);
        QTest::qWait(200);
        QCOMPARE(answerer.texts(),
                 QStringList{QStringLiteral("A-99-001.png Incorrect 1:1M map column number in image name 99")});
        QVERIFY(mapFiles(in).isEmpty());
        QCOMPARE(Settings::ReadSetting(QStringLiteral("ZoomMapCreator"), QString()), QStringLiteral("0"));
    }

    // The Stop button ends the walk before the next file.
    void stopButton()
    {
        const QString in = newFolder(QStringLiteral("in"));
        makeImage(in + QStringLiteral("/A-99-001.png"), 40, 40);
        makeImage(in + QStringLiteral("/N-37-001.png"), 40, 40);
        Settings::WriteSetting(QStringLiteral("PathIn"), in);
        MainWindow main;
        MapCreator *w = openMapCreator(main);
        QSignalSpy finished(w, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        answerer.onBox = [&](QMessageBox *) {
            // The first box: press Stop, then OK it and the question.
            if (answerer.boxes.size() == 1)
                child<QPushButton>(w, "cmdStop")->click();
            return false;
        };
        child<QPushButton>(w, "Command1")->click();
        waitForRun(w, finished);
        QVERIFY(mapFiles(in).isEmpty());
        QCOMPARE(answerer.texts().last(), QStringLiteral("Done 1 map-files"));
        QVERIFY(finished.first().first().value<RunResult>().cancelled);
        w->close();
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
