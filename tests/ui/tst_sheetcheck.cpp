// The sheet check window over generated sheets: the sheet that needs a look
// comes first, a corner dragged in the editor and saved changes only the
// point and corner lines of its map, a map changed on disk is not
// overwritten without asking, and the coverage view selects sheets.

#include "common/CheckSheets.h"

#include "settings/Settings.h"
#include "sheet/SheetIdentity.h"
#include "tools/SheetRecord.h"
#include "ui/CornerEditor.h"
#include "ui/CornerView.h"
#include "ui/CoverageView.h"
#include "ui/MainWindow.h"
#include "ui/SheetCheck.h"
#include "ui/SheetListModel.h"
#include "ui/ThumbnailCache.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Answers the next message box with `button`, from a timer, as a user would.
void answerNextBox(QMessageBox::StandardButton button, QString *seenText)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, button, seenText] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (seenText)
            *seenText = box->text();
        timer->stop();
        timer->deleteLater();
        box->button(button)->click();
    });
    timer->start();
}

} // namespace

class TestSheetCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void markedFirst_data();
    void markedFirst();
    void dragAndSave_data();
    void dragAndSave();
    void changedOnDisk_data();
    void changedOnDisk();
    void coverageSelects();
    void menuOpensWindow();
    void unreadableNameListed();
    void thumbnailCache_data();
    void thumbnailCache();
    void onScreenFirst();
    void editorShowsScanWarning();
    void loupeShowsTheScan();

private:
    // Sheets N-37-001.. as PNG scans with a drawn frame and the creator's maps;
    // the fake finder sees the frame `shift` pixels off the map's north-west
    // corner for the sheets listed in `offSheets`.
    void makeSheets(int count, const char *format = "png");
    // Shows the window on the case's folder, waits until every thumbnail and
    // verdict is there, and opens the corner editor on the first sheet shown.
    static void openFirstSheet(SheetCheck &w, CornerEditor *&editor);
    SheetVerdict::Finder finder(const QStringList &offSheets, const QPointF &shift) const;
    QString mapOf(int number) const
    {
        return m_work + QStringLiteral("/N-37-%1.map").arg(number, 3, 10, QLatin1Char('0'));
    }

    QTemporaryDir m_root;
    QString m_work;
    int m_caseNo = 0;
};

void TestSheetCheck::initTestCase()
{
    QVERIFY(m_root.isValid());
    QStandardPaths::setTestModeEnabled(true); // thumbnails go to a test cache
}

void TestSheetCheck::init()
{
    m_work = m_root.filePath(QStringLiteral("case%1").arg(++m_caseNo));
    QVERIFY(QDir().mkpath(m_work));
    Settings::setSettingsFile(m_root.filePath(QStringLiteral("settings%1.ini").arg(m_caseNo)));
    Settings::setLastPath(m_work);
}

void TestSheetCheck::makeSheets(int count, const char *format)
{
    for (int n = 1; n <= count; ++n) {
        QImage scan(600, 450, QImage::Format_RGB32);
        scan.fill(Qt::white);
        QPainter p(&scan);
        p.setPen(QPen(Qt::black, 3));
        p.drawRect(18, 22, 564, 405);
        p.end();
        QVERIFY(scan.save(m_work + QStringLiteral("/N-37-%1.%2").arg(n, 3, 10, QLatin1Char('0')).arg(QLatin1String(format))));
    }
    QVERIFY(CheckSheets::createMaps(m_work, QStringLiteral("1:100K"), QStringLiteral("5")));
}

void TestSheetCheck::openFirstSheet(SheetCheck &w, CornerEditor *&editor)
{
    w.show();
    w.loadFolder();
    QTRY_VERIFY_WITH_TIMEOUT(w.isComplete(), 20000);
    editor = w.openEditor(0);
    QVERIFY(editor);
}

SheetVerdict::Finder TestSheetCheck::finder(const QStringList &offSheets, const QPointF &shift) const
{
    // The frame where the map says it is (read before any edit), moved for the sheets that are off.
    std::map<QString, std::array<QPointF, 4>> frames;
    for (const QString &name : QDir(m_work).entryList({QStringLiteral("*.map")}))
        frames[name.left(8)] = SheetRecord::read(m_work + QLatin1Char('/') + name).corners;
    return [frames, offSheets, shift](const QString &path, const SheetIdentity &identity) {
        FrameResult r;
        const QString base = QFileInfo(path).fileName().left(8);
        if (!identity.ok() || !frames.count(base))
            return r;
        r.found = true;
        r.corners = frames.at(base);
        if (offSheets.contains(base))
            r.corners[0] += shift;
        r.imageSize = QSize(600, 450);
        return r;
    };
}

void TestSheetCheck::markedFirst_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("offSheets");
    QTest::addColumn<QStringList>("missingImages");
    QTest::addColumn<QStringList>("firstShown"); // the sheets that come first, in name order

    QTest::newRow("one off the frame") << 3 << QStringList{"N-37-002"} << QStringList{} << QStringList{"N-37-002"};
    QTest::newRow("one without its image") << 3 << QStringList{} << QStringList{"N-37-003"} << QStringList{"N-37-003"};
    QTest::newRow("two marked") << 4 << QStringList{"N-37-004"} << QStringList{"N-37-002"}
                                << QStringList{"N-37-002", "N-37-004"};
    QTest::newRow("none marked") << 2 << QStringList{} << QStringList{} << QStringList{};
}

void TestSheetCheck::markedFirst()
{
    QFETCH(int, count);
    QFETCH(QStringList, offSheets);
    QFETCH(QStringList, missingImages);
    QFETCH(QStringList, firstShown);

    makeSheets(count);
    const SheetVerdict::Finder find = finder(offSheets, QPointF(25, -12));
    for (const QString &name : missingImages)
        QVERIFY(QFile::remove(m_work + QLatin1Char('/') + name + QStringLiteral(".png")));

    SheetCheck w(nullptr, find);
    w.show();
    QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("txtPathOut"))->text(), m_work);
    w.loadFolder();
    QCOMPARE(w.model()->count(), count); // a map without its image is listed as well
    QTRY_VERIFY_WITH_TIMEOUT(w.isComplete(), 20000);

    const QSortFilterProxyModel *shown = w.sortedModel();
    QCOMPARE(shown->rowCount(), count);
    for (int row = 0; row < count; ++row) {
        const QModelIndex i = shown->index(row, 0);
        const QString sheet = QFileInfo(i.data(SheetListModel::MapPathRole).toString()).baseName();
        const bool marked = row < firstShown.size();
        if (marked)
            QCOMPARE(sheet, firstShown.at(row));
        QCOMPARE(i.data(SheetListModel::NeedsLookRole).toBool(), marked);
        const QString verdict = i.data(SheetListModel::VerdictRole).toString();
        const QString expected = missingImages.contains(sheet) ? QStringLiteral("no-image")
            : offSheets.contains(sheet)                        ? QStringLiteral("off-frame")
                                                               : QStringLiteral("ok");
        QCOMPARE(verdict, expected);
        // Every sheet with a scan got its thumbnail, from a reduced decode at most the thumbnail's size.
        const SheetListModel::Entry &e = w.model()->entry(w.sortedModel()->mapToSource(i).row());
        QCOMPARE(e.thumbnail.isNull(), missingImages.contains(sheet));
        if (!e.thumbnail.isNull()) {
            QVERIFY(std::max(e.thumbnail.width(), e.thumbnail.height()) <= SheetCheck::kThumbnailSide);
            QCOMPARE(e.thumbnailSource, QSize(600, 450));
        }
    }
}

void TestSheetCheck::dragAndSave_data()
{
    QTest::addColumn<int>("handle");      // 0 NW, 1 NE, 2 SE, 3 SW
    QTest::addColumn<QPointF>("drag");    // image pixels
    QTest::addColumn<int>("rightPresses"); // arrow key presses after the drag
    QTest::addColumn<double>("zoom");     // screen pixels per image pixel while dragging

    QTest::newRow("north-west inwards") << 0 << QPointF(12, 9) << 0 << 1.0;
    QTest::newRow("south-east outwards, then arrows") << 2 << QPointF(6, 5) << 3 << 1.0;
    QTest::newRow("north-east, zoomed in") << 1 << QPointF(-2, 3) << 0 << 8.0;
    QTest::newRow("south-west by arrows only") << 3 << QPointF(0, 0) << 4 << 2.0;
}

void TestSheetCheck::dragAndSave()
{
    QFETCH(int, handle);
    QFETCH(QPointF, drag);
    QFETCH(int, rightPresses);
    QFETCH(double, zoom);

    makeSheets(3);
    SheetCheck w(nullptr, finder({QStringLiteral("N-37-002")}, QPointF(30, 20)));
    w.show();
    w.loadFolder();
    QTRY_VERIFY_WITH_TIMEOUT(w.isComplete(), 20000);
    const QString mapPath = w.shownMapPaths().value(0);
    QCOMPARE(mapPath, mapOf(2));
    const QByteArray before = SheetImages::read(mapPath);
    QMap<QString, QByteArray> others;
    for (int n : {1, 3})
        others[mapOf(n)] = SheetImages::read(mapOf(n));

    CornerEditor *editor = w.openEditor(0);
    QVERIFY(editor);
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    CornerView *view = editor->view();
    const QPointF start = view->corners()[size_t(handle)];
    view->setZoom(zoom, QPointF(0, 0));
    view->centreOn(start);
    QCOMPARE(view->zoom(), zoom);

    const QPoint from = view->toWidget(start).toPoint();
    const QPoint to = view->toWidget(start + drag).toPoint();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(view, (from + to) / 2);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
    if (drag.isNull()) {
        // No drag: the handle is picked with its number key.
        QTest::keyClick(view, Qt::Key(Qt::Key_1 + handle));
    }
    QCOMPARE(view->selectedHandle(), handle);
    for (int i = 0; i < rightPresses; ++i)
        QTest::keyClick(view, Qt::Key_Right);
    const QPointF moved = start + drag + QPointF(rightPresses, 0);
    QCOMPARE(view->corners()[size_t(handle)], moved);
    QVERIFY(editor->isModified());
    QCOMPARE(SheetImages::read(mapPath), before); // nothing written before Save

    QVERIFY(editor->save());
    QVERIFY(!editor->isModified());
    const QByteArray after = SheetImages::read(mapPath);
    const QList<QByteArray> a = CheckSheets::lines(after);
    const QList<QByteArray> b = CheckSheets::lines(before);
    QCOMPARE(a.size(), b.size());
    int changed = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!CheckSheets::isCalibrationLine(b.at(i)))
            QCOMPARE(a.at(i), b.at(i));
        else if (a.at(i) != b.at(i))
            ++changed;
    }
    QVERIFY(changed >= 2);
    QCOMPARE(after.count("\r\n"), before.count("\r\n"));
    const QByteArray marker = "MMPXY," + QByteArray::number(handle + 1) + ",";
    QCOMPARE(CheckSheets::lineStarting(after, marker),
             marker + QByteArray::number(qRound(moved.x())) + ',' + QByteArray::number(qRound(moved.y())));
    // The map read again has the corner where it was put; the other maps are untouched.
    QCOMPARE(SheetRecord::read(mapPath).corners[size_t(handle)], moved);
    for (auto it = others.cbegin(); it != others.cend(); ++it)
        QCOMPARE(SheetImages::read(it.key()), it.value());
    editor->close();
}

void TestSheetCheck::changedOnDisk_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("keep the other change") << QMessageBox::No << false;
    QTest::newRow("overwrite it") << QMessageBox::Yes << true;
}

void TestSheetCheck::changedOnDisk()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, written);

    makeSheets(1);
    SheetCheck w(nullptr, finder({}, QPointF()));
    CornerEditor *editor = nullptr;
    openFirstSheet(w, editor);
    if (QTest::currentTestFailed())
        return;
    CornerView *view = editor->view();
    view->setSelectedHandle(0);
    QTest::keyClick(view, Qt::Key_Down);
    QVERIFY(editor->isModified());

    // Another program changes the map meanwhile.
    const QByteArray other = SheetImages::read(mapOf(1)) + "MOP,Map Open Position,3,4\r\n";
    QVERIFY(SheetImages::write(mapOf(1), other));
    QString asked;
    answerNextBox(answer, &asked);
    QCOMPARE(editor->save(), written);
    QVERIFY2(asked.contains(QLatin1String("changed on disk")), qPrintable(asked));
    const QByteArray now = SheetImages::read(mapOf(1));
    if (written) {
        QVERIFY(now != other);
        QCOMPARE(SheetRecord::read(mapOf(1)).corners[0], view->corners()[0]);
    } else {
        QCOMPARE(now, other);
        QVERIFY(editor->isModified());
        answerNextBox(QMessageBox::Discard, nullptr); // leaving asks about the unsaved change
    }
    editor->close();
    QTRY_VERIFY(!editor->isVisible());
}

void TestSheetCheck::coverageSelects()
{
    makeSheets(4);
    SheetCheck w(nullptr, finder({}, QPointF()));
    w.show();
    w.loadFolder();
    QTRY_VERIFY_WITH_TIMEOUT(w.isComplete(), 20000);
    w.tabs()->setCurrentWidget(w.coverageView());
    CoverageView *coverage = w.coverageView();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSet<QPoint> centres;
    for (int row = 0; row < w.model()->count(); ++row) {
        const QPoint centre = coverage->footprintCentre(row).toPoint();
        QVERIFY(coverage->rect().contains(centre));
        centres.insert(centre);
        QTest::mouseClick(coverage, Qt::LeftButton, Qt::NoModifier, centre);
        QCOMPARE(coverage->selected(), row);
        const QModelIndex current = w.sortedModel()->mapToSource(w.listView()->currentIndex());
        QCOMPARE(current.row(), row);
    }
    QCOMPARE(centres.size(), w.model()->count()); // four sheets side by side, none on another
}

void TestSheetCheck::menuOpensWindow()
{
    MainWindow main;
    main.show();
    QCOMPARE(QString(main.sheetCheckAction()->text()).remove(QLatin1Char('&')), QStringLiteral("Check calibration"));
    main.sheetCheckAction()->trigger();
    auto *w = main.findChild<SheetCheck *>();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Check calibration"));
    QCOMPARE(w->placementName(), QStringLiteral("SheetCheck"));
    w->close();
}

// Thumbnails come for the sheets on screen first: a list scrolled to its end
// while the first thumbnails are being made fills there next, not after every
// sheet above it.
void TestSheetCheck::onScreenFirst()
{
    const int handedOut = SheetCheck::kThumbnailsAWorker * std::max(1, QThread::idealThreadCount());
    const int count = std::min(144, 2 * handedOut + 60);
    makeSheets(count);
    SheetCheck w(nullptr, finder({}, QPointF()));
    w.resize(900, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QListView *list = w.listView();
    list->setLayoutMode(QListView::SinglePass); // laid out at once, so that it can be scrolled at once
    QList<int> order; // model rows in the order their thumbnails came
    connect(w.model(), &QAbstractItemModel::dataChanged, this, [&](const QModelIndex &from, const QModelIndex &to) {
        for (int row = from.row(); row <= to.row(); ++row)
            if (!w.model()->entry(row).thumbnail.isNull() && !order.contains(row))
                order << row;
    });
    w.loadFolder(); // hands the first rows to the workers
    list->scrollToBottom();
    QList<int> onScreen;
    const QRect view = list->viewport()->rect();
    for (int shown = 0; shown < w.sortedModel()->rowCount(); ++shown) {
        const QModelIndex i = w.sortedModel()->index(shown, 0);
        if (list->visualRect(i).intersects(view))
            onScreen << w.sortedModel()->mapToSource(i).row();
    }
    QVERIFY(!onScreen.isEmpty());
    QVERIFY(onScreen.size() < count - handedOut); // scrolled past the first rows
    QTRY_COMPARE_WITH_TIMEOUT(w.thumbnailsDone(), count, 30000);
    // Those handed out before the scroll come first, then the ones on screen;
    // the workers may finish the rows handed out with them in another order.
    const QList<int> early = order.mid(0, 2 * handedOut + int(onScreen.size()));
    for (int row : std::as_const(onScreen))
        QVERIFY2(early.contains(row), qPrintable(QStringLiteral("row %1 came %2th").arg(row).arg(order.indexOf(row) + 1)));
}

// The corner editor says what the scan's reader said of the picture it gave:
// a scan cut short is shown, with the warning.
void TestSheetCheck::editorShowsScanWarning()
{
    makeSheets(1, "jpg");
    QFile image(m_work + QStringLiteral("/N-37-001.jpg"));
    QVERIFY(image.open(QIODevice::ReadWrite));
    QVERIFY(image.resize(image.size() * 6 / 10));
    image.close();
    SheetCheck w(nullptr, finder({}, QPointF()));
    CornerEditor *editor = nullptr;
    openFirstSheet(w, editor);
    if (QTest::currentTestFailed())
        return;
    const QString state = editor->findChild<QLabel *>(QStringLiteral("lblState"))->text();
    QVERIFY2(state.contains(QLatin1String("the scan's data ends early")), qPrintable(state));
}

// The loupe beside the cursor shows the scan's own pixels, inside the frame
// as outside it (the frame's outline is drawn there, not filled).
void TestSheetCheck::loupeShowsTheScan()
{
    CornerView view;
    view.resize(600, 500);
    QImage scan(400, 300, QImage::Format_BGR888);
    scan.fill(QColor(244, 244, 244));
    view.setImage(scan);
    view.setCorners({QPointF(20, 20), QPointF(380, 20), QPointF(380, 280), QPointF(20, 280)});
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const QPointF at = view.toWidget(QPointF(200, 150));
    QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    const QImage shot = view.grab().toImage();
    // The loupe's centre lies 90 px right of and above the cursor; a point
    // 20 px from it is off its cross.
    const QColor inLoupe = shot.pixelColor((at + QPointF(90 + 20, -90 + 20)).toPoint());
    QVERIFY2(inLoupe.lightness() > 220, qPrintable(QStringLiteral("the loupe shows grey %1").arg(inLoupe.lightness())));
}

QTEST_MAIN(TestSheetCheck)

// A map file whose name is not valid in the file system's encoding (Windows-1251
// bytes, as unpacked archives leave them) is listed first, marked, with its reason.
void TestSheetCheck::unreadableNameListed()
{
    makeSheets(2);
    const QByteArray raw = QFile::encodeName(m_work) + "/\xCA\xE0\xF0\xF2\xE0.map"; // "Карта" in Windows-1251
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        QSKIP("this file system does not take names that are not valid UTF-8");
    ::close(fd);
    // QDir cannot remove a name it cannot read: the test removes it itself.
    const auto removeRaw = qScopeGuard([&raw] { ::unlink(raw.constData()); });

    SheetCheck w(nullptr, finder({}, QPointF()));
    w.loadFolder();
    QCOMPARE(w.model()->count(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(w.isComplete(), 20000);
    const QModelIndex first = w.sortedModel()->index(0, 0);
    QCOMPARE(first.data(SheetListModel::VerdictRole).toString(), QStringLiteral("implausible"));
    QVERIFY(first.data(SheetListModel::NeedsLookRole).toBool());
    const SheetListModel::Entry &e = w.model()->entry(w.sortedModel()->mapToSource(first).row());
    QVERIFY2(e.verdict.reason.contains(QString::fromUtf8("Карта")), qPrintable(e.verdict.reason));
    QVERIFY(!w.sortedModel()->index(1, 0).data(SheetListModel::NeedsLookRole).toBool());
}


// The cache gives back what it was given; a cache file cut short (a crash while
// it was written) or not a JPEG at all is not shown but made again.
void TestSheetCheck::thumbnailCache_data()
{
    QTest::addColumn<int>("damage"); // 0 none, else the bytes the cache file is cut to
    QTest::addColumn<QByteArray>("replacement"); // written over the cache file when not empty

    QTest::newRow("kept") << 0 << QByteArray();
    QTest::newRow("cut short") << 600 << QByteArray();
    QTest::newRow("not a JPEG") << 0 << QByteArray("not a picture");
}

void TestSheetCheck::thumbnailCache()
{
    QFETCH(int, damage);
    QFETCH(QByteArray, replacement);

    QImage scan(800, 640, QImage::Format_RGB32);
    for (int y = 0; y < scan.height(); ++y)
        for (int x = 0; x < scan.width(); ++x)
            scan.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    const QString image = m_work + QStringLiteral("/N-37-001.jpg");
    QVERIFY(scan.save(image, "JPG", 90));

    const ThumbnailCache::Thumbnail made = ThumbnailCache::load(image, 100);
    QVERIFY(!made.image.isNull());
    QVERIFY(!made.fromCache);
    const QString cached = ThumbnailCache::cacheFile(image, 100);
    QFile file(cached);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    QVERIFY(whole.endsWith("\xFF\xD9"));
    QVERIFY(damage < whole.size());
    QVERIFY(QDir(QFileInfo(cached).path()).entryList({QStringLiteral("*.jpg.*")}, QDir::Files).isEmpty()); // no temporary left

    if (damage > 0)
        QVERIFY(file.resize(damage));
    if (!replacement.isEmpty()) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(replacement);
        file.close();
    }
    const bool damaged = damage > 0 || !replacement.isEmpty();
    const ThumbnailCache::Thumbnail again = ThumbnailCache::load(image, 100);
    QCOMPARE(again.fromCache, !damaged);
    QCOMPARE(again.image.size(), made.image.size());
    QCOMPARE(again.sourceSize, QSize(800, 640));
    QFile after(cached);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QVERIFY(after.readAll().endsWith("\xFF\xD9")); // a damaged one was made again
    QVERIFY(QFile::remove(cached));

    // A scan whose data ends early: its thumbnail comes with the warning, and
    // is not cached, so that the warning is seen every time.
    QFile scanFile(image);
    QVERIFY(scanFile.open(QIODevice::ReadWrite));
    QVERIFY(scanFile.resize(scanFile.size() / 2));
    scanFile.close();
    const QString cutCache = ThumbnailCache::cacheFile(image, 100);
    const ThumbnailCache::Thumbnail cut = ThumbnailCache::load(image, 100);
    QVERIFY(!cut.image.isNull());
    QVERIFY(!cut.warning.isEmpty());
    QVERIFY(!QFile::exists(cutCache));
}

#include "tst_sheetcheck.moc"
