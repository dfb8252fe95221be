#include "ui/SheetCheck.h"

#include "frame/FrameFinder.h"
#include "settings/Settings.h"
#include "tools/FolderListing.h"
#include "tools/MapFileNames.h"
#include "tools/SheetRecord.h"
#include "ui/CornerEditor.h"
#include "ui/CoverageView.h"
#include "ui/GetPath.h"
#include "ui/SheetListModel.h"
#include "ui/ThumbnailCache.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

SheetCheck::SheetCheck(QWidget *parent, const SheetVerdict::Finder &finder)
    : ToolWindow(QStringLiteral("SheetCheck"), parent), m_finder(finder ? finder : SheetVerdict::Finder(&FrameFinder::find))
{
    setObjectName(QStringLiteral("SheetCheck"));
    setWindowTitle(tr("Check calibration"));
    m_thumbnailPool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    m_verdictPool.setMaxThreadCount(1); // the finder decodes whole scans: one at a time

    auto *frame = new QGroupBox(tr("Map files path: "), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    m_txtPath = new QLineEdit(frame);
    m_txtPath->setObjectName(QStringLiteral("txtPathOut"));
    m_txtPath->setMinimumWidth(320);
    m_browse = new QPushButton(tr("Browse"), frame);
    m_browse->setObjectName(QStringLiteral("cmdBrowseOut"));
    m_load = new QPushButton(tr("Open"), frame);
    m_load->setObjectName(QStringLiteral("cmdOpen"));
    m_load->setToolTip(tr("Show the map files of this folder"));
    for (QPushButton *b : {m_browse, m_load})
        b->setAutoDefault(false);
    auto *frameLayout = new QHBoxLayout(frame);
    frameLayout->addWidget(m_txtPath, 1);
    frameLayout->addWidget(m_browse);
    frameLayout->addWidget(m_load);

    m_model = new SheetListModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(SheetListModel::SortKeyRole);
    m_sorted->setDynamicSortFilter(true);
    m_sorted->sort(0);

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("lstSheets"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(SheetListModel::kIconSide, SheetListModel::kIconSide));
    m_list->setGridSize(QSize(SheetListModel::kIconSide + 24, SheetListModel::kIconSide + 48));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setUniformItemSizes(true);
    m_list->setWordWrap(true);
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(100);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setModel(m_sorted);

    m_coverage = new CoverageView(this);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(m_list, tr("Sheets"));
    m_tabs->addTab(m_coverage, tr("Coverage"));
    m_tabs->setMinimumSize(760, 480);

    m_lblSay = new QLabel(this);
    m_lblSay->setObjectName(QStringLiteral("lblSay"));
    m_lblSay->setTextFormat(Qt::PlainText);
    m_close = new QPushButton(tr("Close"), this);
    m_close->setObjectName(QStringLiteral("Command2"));
    m_close->setAutoDefault(false);
    stopButton()->setVisible(false); // the workers stop with the window

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_lblSay, 1);
    bottom->addWidget(progressBar());
    bottom->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(bottom);

    connect(m_browse, &QPushButton::clicked, this, &SheetCheck::browse);
    connect(m_load, &QPushButton::clicked, this, &SheetCheck::loadFolder);
    connect(m_txtPath, &QLineEdit::returnPressed, this, &SheetCheck::loadFolder);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListView::activated, this, [this](const QModelIndex &index) { openEditor(index.row()); });
    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                m_coverage->setSelected(current.isValid() ? m_sorted->mapToSource(current).row() : -1);
            });
    connect(m_coverage, &CoverageView::sheetClicked, this, &SheetCheck::selectSheet);
    // Where the list is scrolled to is looked up as it scrolls, not as each
    // thumbnail comes: that would lay the list out again each time.
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { shownRowsOnScreen(m_onScreenFirst, m_onScreenLast); });

    RestoreFormPlacement();
    const QString last = Settings::LastPath();
    m_txtPath->setText(last.isEmpty() ? QDir::toNativeSeparators(QDir::currentPath()) : last);
}

SheetCheck::~SheetCheck()
{
    stopWorkers();
    m_thumbnailPool.waitForDone();
    m_verdictPool.waitForDone();
}

QString SheetCheck::folderPath() const
{
    return QDir::fromNativeSeparators(m_txtPath->text());
}

void SheetCheck::browse()
{
    QString folder, first;
    if (GetPath::choose(this, tr("Select directory with map files"), QStringLiteral("*.map"), m_txtPath->text(),
                        folder, first)) {
        m_txtPath->setText(QDir::toNativeSeparators(folder));
        Settings::setLastPath(m_txtPath->text());
        loadFolder();
    }
}

void SheetCheck::stopWorkers()
{
    m_generation->fetch_add(1);
    m_thumbnailsQueued = 0;
    m_thumbnailsRunning = 0;
    m_thumbnailPool.clear();
    m_verdictPool.clear();
}

void SheetCheck::loadFolder()
{
    stopWorkers();
    const QString folder = folderPath();
    std::vector<SheetRecord> records;
    if (!QFileInfo(folder).isDir()) {
        m_model->setRecords(records);
        updateCoverage();
        m_thumbnailsWanted = m_thumbnailsDone = m_verdictsWanted = m_verdictsDone = 0;
        showStatus(tr("Folder %1 is not exist").arg(folder));
        return;
    }
    Settings::WriteSetting(QStringLiteral("Path"), m_txtPath->text());
    QStringList unreadable;
    for (const QString &name : MapFileNames::list(folder, &unreadable))
        records.push_back(SheetRecord::read(FolderListing::join(folder, name)));
    // A map file whose name cannot be read is listed all the same, marked,
    // with the reason, rather than left out of the folder in silence.
    for (const QString &name : std::as_const(unreadable)) {
        SheetRecord r;
        r.mapPath = FolderListing::join(folder, name);
        r.sheetName = name;
        r.error = FolderListing::unreadableNameMessage(folder, name);
        records.push_back(r);
    }
    m_model->setRecords(records);
    updateCoverage();
    if (m_sorted->rowCount() > 0)
        m_list->setCurrentIndex(m_sorted->index(0, 0));
    startThumbnails();
}

void SheetCheck::startThumbnails()
{
    m_thumbnailsWanted = 0;
    m_thumbnailsDone = 0;
    m_verdictsWanted = 0;
    m_verdictsDone = 0;
    m_verdictsStarted = false;
    m_thumbnailPending.assign(size_t(m_model->count()), 0);
    for (int row = 0; row < m_model->count(); ++row) {
        if (m_model->entry(row).record.imagePath.isEmpty())
            continue;
        m_thumbnailPending[size_t(row)] = 1;
        ++m_thumbnailsWanted;
    }
    m_thumbnailsQueued = m_thumbnailsWanted;
    m_thumbnailsRunning = 0;
    m_thumbnailCursor = 0;
    shownRowsOnScreen(m_onScreenFirst, m_onScreenLast);
    feedThumbnails();
    updateStatus();
    if (m_thumbnailsWanted == 0) {
        emit thumbnailsFinished();
        startVerdicts();
    }
}

// Keeps the thumbnail workers busy with the next rows: those on screen that
// are still waiting, else the first in the order shown.
void SheetCheck::feedThumbnails()
{
    // A few a worker, so that none waits for this thread between thumbnails
    // (which shares the cores with them), and a screen scrolled to waits for
    // no more than these.
    const int inFlight = kThumbnailsAWorker * m_thumbnailPool.maxThreadCount();
    if (m_thumbnailsQueued == 0 || m_thumbnailsRunning >= inFlight)
        return;
    const int generation = m_generation->load();
    const auto live = m_generation;
    while (m_thumbnailsQueued > 0 && m_thumbnailsRunning < inFlight) {
        const int row = nextThumbnailRow(m_onScreenFirst, m_onScreenLast);
        if (row < 0)
            break;
        m_thumbnailPending[size_t(row)] = 0;
        --m_thumbnailsQueued;
        ++m_thumbnailsRunning;
        const QString image = m_model->entry(row).record.imagePath;
        m_thumbnailPool.start([this, live, generation, row, image] {
            if (live->load() != generation)
                return;
            const ThumbnailCache::Thumbnail t = ThumbnailCache::load(image, kThumbnailSide);
            if (live->load() != generation)
                return;
            QMetaObject::invokeMethod(this, [this, live, generation, row, t] {
                if (live->load() != generation)
                    return;
                --m_thumbnailsRunning;
                m_model->setThumbnail(row, t.image, t.sourceSize, t.error.isEmpty() ? t.warning : t.error);
                ++m_thumbnailsDone;
                feedThumbnails();
                updateStatus();
                if (m_thumbnailsDone == m_thumbnailsWanted) {
                    emit thumbnailsFinished();
                    startVerdicts();
                }
            }, Qt::QueuedConnection);
        });
    }
}

int SheetCheck::nextThumbnailRow(int firstShown, int lastShown)
{
    const int shownCount = m_sorted->rowCount();
    auto pendingAt = [this](int shown) {
        const int row = m_sorted->mapToSource(m_sorted->index(shown, 0)).row();
        return row >= 0 && size_t(row) < m_thumbnailPending.size() && m_thumbnailPending[size_t(row)] ? row : -1;
    };
    for (int shown = std::max(firstShown, 0); shown <= lastShown && shown < shownCount; ++shown)
        if (const int row = pendingAt(shown); row >= 0)
            return row;
    // The rest in the order shown; the order may change as sheets are judged,
    // so the search runs once more from the top before it gives up.
    for (int pass = 0; pass < 2; ++pass) {
        for (; m_thumbnailCursor < shownCount; ++m_thumbnailCursor)
            if (const int row = pendingAt(m_thumbnailCursor); row >= 0)
                return row;
        m_thumbnailCursor = 0;
    }
    return -1;
}

// The shown rows the sheet list has on screen (first > last when none). The
// grid is filled row by row in the order shown, so they are one run, found by
// halving on the items' places.
void SheetCheck::shownRowsOnScreen(int &first, int &last) const
{
    first = 0;
    last = -1;
    const int count = m_sorted->rowCount();
    if (!m_list->isVisible() || count == 0)
        return;
    const int height = m_list->viewport()->height();
    auto place = [this](int shown) { return m_list->visualRect(m_sorted->index(shown, 0)); };
    if (!place(0).isValid())
        return; // not laid out yet
    int lo = 0;
    int hi = count;
    while (lo < hi) { // the first whose bottom is on screen
        const int mid = lo + (hi - lo) / 2;
        if (place(mid).bottom() >= 0)
            hi = mid;
        else
            lo = mid + 1;
    }
    first = lo;
    hi = count;
    while (lo < hi) { // the first whose top is below the screen
        const int mid = lo + (hi - lo) / 2;
        if (place(mid).top() >= height)
            hi = mid;
        else
            lo = mid + 1;
    }
    last = lo - 1;
}

void SheetCheck::startVerdicts()
{
    if (m_verdictsStarted)
        return;
    m_verdictsStarted = true;
    const int generation = m_generation->load();
    const auto live = m_generation;
    const SheetVerdict::Finder finder = m_finder;
    for (int shown = 0; shown < m_sorted->rowCount(); ++shown) {
        const int row = m_sorted->mapToSource(m_sorted->index(shown, 0)).row();
        const SheetListModel::Entry &e = m_model->entry(row);
        if (e.judged)
            continue;
        ++m_verdictsWanted;
        const SheetRecord record = e.record;
        m_verdictPool.start([this, live, generation, row, record, finder] {
            if (live->load() != generation)
                return;
            const SheetVerdict::Result verdict = SheetVerdict::judge(record, finder);
            if (live->load() != generation)
                return;
            QMetaObject::invokeMethod(this, [this, live, generation, row, verdict] {
                if (live->load() != generation)
                    return;
                m_model->setVerdict(row, verdict, true);
                ++m_verdictsDone;
                updateCoverage();
                updateStatus();
                if (m_verdictsDone == m_verdictsWanted)
                    emit verdictsFinished();
            }, Qt::QueuedConnection);
        });
    }
    updateStatus();
    if (m_verdictsWanted == 0)
        emit verdictsFinished();
}

bool SheetCheck::isComplete() const
{
    return m_thumbnailsDone == m_thumbnailsWanted && m_verdictsStarted && m_verdictsDone == m_verdictsWanted;
}

void SheetCheck::updateStatus()
{
    int look = 0;
    for (int i = 0; i < m_model->count(); ++i)
        look += m_model->needsLook(i) ? 1 : 0;
    QString text = tr("%1 map files, %2 need a look").arg(m_model->count()).arg(look);
    if (m_thumbnailsDone < m_thumbnailsWanted)
        text += tr("; thumbnails %1 of %2").arg(m_thumbnailsDone).arg(m_thumbnailsWanted);
    if (m_verdictsStarted && m_verdictsDone < m_verdictsWanted)
        text += tr("; finding frames %1 of %2").arg(m_verdictsDone).arg(m_verdictsWanted);
    showStatus(text);
    const int total = m_thumbnailsWanted + m_verdictsWanted;
    const int done = m_thumbnailsDone + m_verdictsDone;
    const bool working = !isComplete() && total > 0;
    progressBar()->setVisible(working);
    progressBar()->setRange(0, std::max(1, total + (m_verdictsStarted ? 0 : 1)));
    progressBar()->setValue(done);
}

void SheetCheck::updateCoverage()
{
    std::vector<CoverageView::Footprint> footprints;
    for (int i = 0; i < m_model->count(); ++i) {
        const SheetRecord &r = m_model->entry(i).record;
        if (!r.readable || r.positionedPoints < 4)
            continue;
        CoverageView::Footprint f;
        f.name = r.sheetName;
        for (const QPointF &c : r.cornersLonLat)
            f.lonLat << c;
        f.needsLook = m_model->needsLook(i);
        f.id = i;
        footprints.push_back(f);
    }
    m_coverage->setFootprints(footprints);
}

QStringList SheetCheck::shownMapPaths() const
{
    QStringList paths;
    for (int shown = 0; shown < m_sorted->rowCount(); ++shown)
        paths << m_sorted->index(shown, 0).data(SheetListModel::MapPathRole).toString();
    return paths;
}

void SheetCheck::selectSheet(int modelRow)
{
    const QModelIndex shown = m_sorted->mapFromSource(m_model->index(modelRow));
    if (!shown.isValid())
        return;
    m_list->setCurrentIndex(shown);
    m_list->scrollTo(shown);
    m_coverage->setSelected(modelRow);
}

CornerEditor *SheetCheck::openEditor(int shownRow)
{
    const QStringList paths = shownMapPaths();
    if (shownRow < 0 || shownRow >= paths.size())
        return nullptr;
    auto *editor = new CornerEditor(paths, shownRow, m_finder, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setWindowModality(Qt::WindowModal);
    connect(editor, &CornerEditor::saved, this, &SheetCheck::mapSaved);
    editor->show();
    emit editorOpened(editor);
    return editor;
}

void SheetCheck::mapSaved(const QString &mapPath)
{
    const int row = m_model->rowOfMap(mapPath);
    if (row < 0)
        return;
    m_model->setRecord(row, SheetRecord::read(mapPath));
    updateCoverage();
    updateStatus();
}

void SheetCheck::setControlsEnabled(bool enabled)
{
    m_txtPath->setEnabled(enabled);
    m_browse->setEnabled(enabled);
    m_load->setEnabled(enabled);
}

void SheetCheck::showStatus(const QString &text)
{
    m_lblSay->setText(text);
}
