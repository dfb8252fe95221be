#include "ui/CornerEditor.h"

#include "scan/ScanPicture.h"
#include "sheet/MapError.h"
#include "sheet/SheetIdentity.h"
#include "tools/CornerEdit.h"
#include "tools/SheetRecord.h"
#include "ui/CornerView.h"
#include "ui/ToolWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QByteArray readFile(const QString &path, bool *ok = nullptr)
{
    QFile f(path);
    const bool opened = f.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? f.readAll() : QByteArray();
}

} // namespace

CornerEditor::CornerEditor(const QStringList &mapPaths, int index, const SheetVerdict::Finder &finder,
                           QWidget *parent)
    : QDialog(parent), m_paths(mapPaths), m_finder(finder)
{
    setObjectName(QStringLiteral("CornerEditor"));
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("lblSheet"));
    m_title->setTextFormat(Qt::PlainText);
    m_view = new CornerView(this);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("lblState"));
    m_state->setTextFormat(Qt::PlainText);
    m_state->setWordWrap(true);

    m_previous = new QPushButton(tr("Previous"), this);
    m_previous->setObjectName(QStringLiteral("cmdPrevious"));
    m_next = new QPushButton(tr("Next"), this);
    m_next->setObjectName(QStringLiteral("cmdNext"));
    m_find = new QPushButton(tr("Find frame"), this);
    m_find->setObjectName(QStringLiteral("cmdFindFrame"));
    m_find->setToolTip(tr("Look for the sheet frame in the scan and move the corners onto it"));
    m_save = new QPushButton(tr("Save"), this);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    m_close = new QPushButton(tr("Close"), this);
    m_close->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton *b : {m_previous, m_next, m_find, m_save, m_close})
        b->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addStretch(1);
    buttons->addWidget(m_find);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_state);
    layout->addLayout(buttons);

    connect(m_view, &CornerView::cornersEdited, this, &CornerEditor::cornersEdited);
    connect(m_view, &CornerView::zoomChanged, this, [this] { showState(); });
    connect(m_previous, &QPushButton::clicked, this, &CornerEditor::previous);
    connect(m_next, &QPushButton::clicked, this, &CornerEditor::next);
    connect(m_find, &QPushButton::clicked, this, &CornerEditor::findFrame);
    connect(m_save, &QPushButton::clicked, this, &CornerEditor::save);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    resize(1000, 760);
    open(index);
}

CornerEditor::~CornerEditor()
{
    if (m_search) {
        m_search->wait();
        delete m_search;
    }
}

bool CornerEditor::isModified() const
{
    return m_editable && m_map && m_map->ToBytes() != m_openedBytes;
}

bool CornerEditor::open(int index)
{
    if (index < 0 || index >= m_paths.size())
        return false;
    m_index = index;
    const QString path = m_paths.at(index);
    m_frame = FrameResult();
    m_problem.clear();
    m_scanWarning.clear();
    m_editable = false;
    m_map = std::make_unique<MapFile>();
    m_map->KeepReadLines = true; // only the point and corner lines may change
    bool ok = false;
    m_openedBytes = readFile(path, &ok);
    QImage image;
    if (!ok) {
        m_problem = tr("Cannot read the map file %1").arg(path);
    } else {
        m_map->ReadBytes(m_openedBytes);
        m_problem = CornerEdit::unusableReason(*m_map);
        m_editable = m_problem.isEmpty();
        if (!m_problem.isEmpty())
            m_problem = tr("This map cannot be edited: %1").arg(m_problem);
        const QString imagePath = SheetRecord::findImage(QFileInfo(path).path(), m_map->ImageName);
        if (imagePath.isEmpty()) {
            m_editable = false;
            m_problem = tr("The image %1 is not beside the map file").arg(m_map->ImageName);
        } else {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            ScanPicture::Result scan = ScanPicture::read(imagePath);
            image = std::move(scan.image);
            m_scanWarning = scan.warning;
            QApplication::restoreOverrideCursor();
            if (image.isNull()) {
                m_editable = false;
                m_problem = tr("Cannot decode the image %1: %2").arg(imagePath, scan.error);
            }
        }
    }
    m_imageSize = image.size();
    m_view->setImage(image);
    std::array<QPointF, 4> corners{};
    if (ok && m_map->pointCount() >= 4) {
        for (int k = 1; k <= 4; ++k)
            corners[size_t(k - 1)] = QPointF(m_map->point(k).X, m_map->point(k).Y);
    }
    m_view->setCorners(corners);
    m_view->setPoints(ok ? CornerEdit::pointPositions(*m_map) : std::vector<QPointF>());
    m_view->setSelectedHandle(-1);
    m_title->setText(tr("%1  —  %2 (%3 of %4)")
                         .arg(ok ? m_map->MapName : QFileInfo(path).fileName(), path)
                         .arg(index + 1)
                         .arg(m_paths.size()));
    setWindowTitle(tr("Corners of %1").arg(QFileInfo(path).fileName()));
    m_view->setEnabled(m_editable);
    showState();
    emit sheetChanged(index);
    return true;
}

void CornerEditor::cornersEdited()
{
    if (!m_editable)
        return;
    // The edit is made on the map as read, so that the points never drift.
    auto map = std::make_unique<MapFile>();
    map->KeepReadLines = true;
    map->ReadBytes(m_openedBytes);
    const QString failure = CornerEdit::apply(*map, m_view->corners());
    if (failure.isEmpty()) {
        m_map = std::move(map);
        m_problem.clear();
    } else {
        m_problem = failure;
    }
    m_view->setPoints(CornerEdit::pointPositions(*m_map));
    showState();
}

void CornerEditor::showState()
{
    QStringList parts;
    if (!m_problem.isEmpty())
        parts << m_problem;
    if (!m_scanWarning.isEmpty())
        parts << tr("scan: %1").arg(m_scanWarning);
    if (m_editable) {
        const QString why = SheetVerdict::implausibility(m_view->corners(), m_imageSize);
        if (!why.isEmpty())
            parts << tr("implausible: %1").arg(why);
        if (m_frame.found)
            parts << tr("corners up to %1 px from the frame found")
                         .arg(SheetVerdict::maxOffset(m_view->corners(), m_frame.corners), 0, 'f', 1);
        if (isModified())
            parts << tr("changed, not saved");
    }
    parts << tr("zoom %1 px per image pixel").arg(m_view->zoom(), 0, 'g', 3);
    m_state->setText(parts.join(QStringLiteral("; ")));
    const bool busy = m_search != nullptr;
    m_save->setEnabled(!busy && isModified());
    m_find->setEnabled(!busy && m_editable && bool(m_finder));
    m_previous->setEnabled(!busy && m_index > 0);
    m_next->setEnabled(!busy && m_index + 1 < m_paths.size());
}

bool CornerEditor::save()
{
    if (!isModified())
        return true;
    const QString path = mapPath();
    bool ok = false;
    const QByteArray onDisk = readFile(path, &ok);
    if (!ok || onDisk != m_openedBytes) {
        const QString text = ok ? tr("The map file %1 has changed on disk since it was opened. Overwrite it?").arg(path)
                                : tr("The map file %1 is gone or cannot be read since it was opened. Write it anew?")
                                      .arg(path);
        if (QMessageBox::question(this, ToolWindow::applicationCaption(), text, QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No)
            != QMessageBox::Yes)
            return false;
    }
    try {
        m_map->WriteMap(path, true);
    } catch (const MapError &e) {
        QMessageBox::critical(this, tr("Error"), e.text());
        return false;
    }
    m_openedBytes = m_map->ToBytes();
    showState();
    emit saved(path);
    return true;
}

bool CornerEditor::mayLeave()
{
    if (!isModified())
        return true;
    const auto answer = QMessageBox::question(
        this, ToolWindow::applicationCaption(),
        tr("The corners of %1 have changed. Save the map file?").arg(QFileInfo(mapPath()).fileName()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

void CornerEditor::previous()
{
    if (m_index > 0 && !m_search && mayLeave())
        open(m_index - 1);
}

void CornerEditor::next()
{
    if (m_index + 1 < m_paths.size() && !m_search && mayLeave())
        open(m_index + 1);
}

void CornerEditor::findFrame()
{
    if (m_search || !m_editable || !m_finder)
        return;
    const QString imagePath = SheetRecord::findImage(QFileInfo(mapPath()).path(), m_map->ImageName);
    // A name that reads two ways is the sheet the map's corners lie on.
    const SheetRecord record = SheetRecord::read(mapPath());
    const SheetIdentity identity = SheetVerdict::identityFor(QFileInfo(imagePath).fileName(), 0, &record);
    if (!identity.ok()) {
        m_problem = tr("The frame cannot be looked for: %1").arg(identity.error);
        showState();
        emit frameSearchFinished(false);
        return;
    }
    auto result = std::make_shared<FrameResult>();
    const SheetVerdict::Finder finder = m_finder;
    m_search = QThread::create([finder, imagePath, identity, result] { *result = finder(imagePath, identity); });
    connect(m_search, &QThread::finished, this, [this, result] {
        m_search->wait();
        delete m_search;
        m_search = nullptr;
        m_frame = *result;
        setBusy(false);
        if (m_frame.found) {
            m_problem.clear();
            m_view->setCorners(m_frame.corners);
            // The view keeps corners on whole pixels inside the image.
            std::array<QPointF, 4> c = m_frame.corners;
            for (QPointF &p : c)
                p = QPointF(std::clamp(std::round(p.x()), 0.0, double(std::max(0, m_imageSize.width() - 1))),
                            std::clamp(std::round(p.y()), 0.0, double(std::max(0, m_imageSize.height() - 1))));
            m_view->setCorners(c);
            cornersEdited();
        } else {
            m_problem = tr("No frame found: %1").arg(m_frame.reason);
            showState();
        }
        emit frameSearchFinished(m_frame.found);
    });
    setBusy(true);
    m_search->start();
}

void CornerEditor::setBusy(bool busy)
{
    if (busy)
        m_state->setText(tr("Finding the frame…"));
    else
        showState();
    m_find->setEnabled(!busy);
    m_save->setEnabled(!busy && isModified());
    m_previous->setEnabled(!busy && m_index > 0);
    m_next->setEnabled(!busy && m_index + 1 < m_paths.size());
}

void CornerEditor::done(int r)
{
    if (m_search)
        return; // the search ends first
    if (!mayLeave())
        return;
    QDialog::done(r);
}

void CornerEditor::closeEvent(QCloseEvent *event)
{
    // Closing goes through done(), which asks about unsaved changes.
    event->ignore();
    reject();
}
