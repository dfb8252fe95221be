#include "ui/ResultsList.h"

#include <QAbstractListModel>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The shown rows: a kind and a line of text each, appended in chunks.
class RowModel : public QAbstractListModel
{
public:
    explicit RowModel(QObject *parent) : QAbstractListModel(parent) {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_texts.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_texts.size())
            return QVariant();
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_texts.at(index.row());
        if (role == Qt::DecorationRole && m_style)
            return m_style->standardIcon(iconOf(m_kinds.at(index.row())));
        return QVariant();
    }

    void setStyle(QStyle *style) { m_style = style; }

    void append(const QList<ResultsList::RowKind> &kinds, const QStringList &texts)
    {
        if (texts.isEmpty())
            return;
        const int first = int(m_texts.size());
        beginInsertRows(QModelIndex(), first, first + int(texts.size()) - 1);
        m_kinds += kinds;
        m_texts += texts;
        endInsertRows();
    }

    void clear()
    {
        if (m_texts.isEmpty())
            return;
        beginResetModel();
        m_kinds.clear();
        m_texts.clear();
        endResetModel();
    }

    const QStringList &texts() const { return m_texts; }
    const QList<ResultsList::RowKind> &kinds() const { return m_kinds; }

private:
    static QStyle::StandardPixmap iconOf(ResultsList::RowKind kind)
    {
        switch (kind) {
        case ResultsList::RowKind::Failed: return QStyle::SP_MessageBoxCritical;
        case ResultsList::RowKind::Warning:
        case ResultsList::RowKind::FromMargins: return QStyle::SP_MessageBoxWarning;
        case ResultsList::RowKind::Skipped:
        case ResultsList::RowKind::Summary: break;
        }
        return QStyle::SP_MessageBoxInformation;
    }

    QList<ResultsList::RowKind> m_kinds;
    QStringList m_texts;
    QStyle *m_style = nullptr;
};

RowModel *rowModel(QAbstractListModel *model)
{
    return static_cast<RowModel *>(model);
}

// How long rows wait before they are shown: a chunk per tick keeps a long
// run from repainting the list for every file.
constexpr int kFlushMs = 150;

} // namespace

ResultsList::ResultsList(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("lstResults"));

    auto *model = new RowModel(this);
    model->setStyle(style());
    m_model = model;

    m_view = new QListView(this);
    m_view->setObjectName(QStringLiteral("lstResultRows"));
    m_view->setModel(m_model);
    m_view->setUniformItemSizes(true);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setTextElideMode(Qt::ElideMiddle); // the whole row is in its tool tip and in the saved list
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setToolTip(tr("The files of the run that were not simply done, and the counts at its end"));
    // Three rows at least, so that the window does not grow much by the list.
    m_view->setMinimumHeight(m_view->fontMetrics().height() * 3 + 2 * m_view->frameWidth() + 6);

    auto *caption = new QLabel(tr("Results:"), this);
    caption->setObjectName(QStringLiteral("lblResults"));
    caption->setBuddy(m_view);

    m_save = new QPushButton(tr("Save list…"), this);
    m_save->setObjectName(QStringLiteral("cmdSaveList"));
    m_save->setToolTip(tr("Write the results list to a text file"));
    m_save->setAutoDefault(false);
    m_save->setEnabled(false);
    connect(m_save, &QPushButton::clicked, this, &ResultsList::saveAs);

    auto *top = new QHBoxLayout;
    top->addWidget(caption);
    top->addStretch(1);
    top->addWidget(m_save);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);

    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ResultsList::flush);
}

ResultsList::~ResultsList() = default;

QSize ResultsList::sizeHint() const
{
    constexpr int kRows = 5;
    const int row = qMax(m_view->fontMetrics().height(), style()->pixelMetric(QStyle::PM_SmallIconSize)) + 4;
    const int height = m_save->sizeHint().height() + layout()->spacing() + kRows * row + 2 * m_view->frameWidth();
    return QSize(QWidget::sizeHint().width(), height);
}

void ResultsList::clear()
{
    m_flushTimer.stop();
    m_pending.clear();
    rowModel(m_model)->clear();
    m_counts = Counts();
    updateButton();
}

void ResultsList::addResult(const QString &fileName, RunObserver::FileOutcome outcome, const QString &text)
{
    using Outcome = RunObserver::FileOutcome;
    // A failure text often starts with the file's name already.
    QString detail = text;
    if (detail.startsWith(fileName + QLatin1Char(' ')))
        detail = detail.mid(fileName.size() + 1).trimmed();

    RowKind kind = RowKind::Failed;
    QString line;
    switch (outcome) {
    case Outcome::Written:
        ++m_counts.written;
        return;
    case Outcome::Unchanged:
        ++m_counts.unchanged;
        return;
    case Outcome::Skipped:
        ++m_counts.skipped;
        kind = RowKind::Skipped;
        line = detail.isEmpty() ? tr("%1: skipped").arg(fileName) : tr("%1: skipped: %2").arg(fileName, detail);
        break;
    case Outcome::Failed:
        ++m_counts.failed;
        kind = RowKind::Failed;
        line = detail.isEmpty() ? tr("%1: failed").arg(fileName) : tr("%1: failed: %2").arg(fileName, detail);
        break;
    case Outcome::Warning:
        kind = RowKind::Warning;
        line = detail.isEmpty() ? tr("%1: warning").arg(fileName) : tr("%1: warning: %2").arg(fileName, detail);
        break;
    case Outcome::FromMargins:
        kind = RowKind::FromMargins;
        line = detail.isEmpty() ? tr("%1: made from the margins").arg(fileName)
                                : tr("%1: made from the margins: %2").arg(fileName, detail);
        break;
    }
    m_pending.append({kind, line});
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
    if (!m_save->isEnabled())
        m_save->setEnabled(true);
}

QString ResultsList::summaryText(const Counts &counts, bool stopped, int total)
{
    QString text = tr("Written %1, unchanged %2, skipped %3, failed %4")
                       .arg(counts.written)
                       .arg(counts.unchanged)
                       .arg(counts.skipped)
                       .arg(counts.failed);
    if (stopped)
        text += tr(", stopped after %1 of %2").arg(counts.done()).arg(qMax(total, counts.done()));
    return text;
}

void ResultsList::finish(bool stopped, int total)
{
    m_pending.append({RowKind::Summary, summaryText(m_counts, stopped, total)});
    flush();
    m_view->scrollToBottom();
}

void ResultsList::flush()
{
    m_flushTimer.stop();
    if (m_pending.isEmpty())
        return;
    // The list follows new rows while it is scrolled to its end.
    QScrollBar *bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QList<RowKind> kinds;
    QStringList texts;
    kinds.reserve(m_pending.size());
    texts.reserve(m_pending.size());
    for (const Row &row : std::as_const(m_pending)) {
        kinds.append(row.kind);
        texts.append(row.text);
    }
    m_pending.clear();
    rowModel(m_model)->append(kinds, texts);
    if (atEnd)
        m_view->scrollToBottom();
    updateButton();
}

QStringList ResultsList::lines() const
{
    QStringList out = rowModel(m_model)->texts();
    for (const Row &row : m_pending)
        out.append(row.text);
    return out;
}

QList<ResultsList::RowKind> ResultsList::kinds() const
{
    QList<RowKind> out = rowModel(m_model)->kinds();
    for (const Row &row : m_pending)
        out.append(row.kind);
    return out;
}

bool ResultsList::save(const QString &path, QString *error) const
{
    QByteArray bytes;
    for (const QString &line : lines()) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    QSaveFile file(path);
    // Text mode: the line ends of the platform.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void ResultsList::saveAs()
{
    QString start = m_lastSaved;
    if (start.isEmpty()) {
        // Beside the maps of the run: the folder in the window's folder box.
        QString folder;
        if (auto *box = window()->findChild<QLineEdit *>(QStringLiteral("txtPathOut")))
            folder = QDir::fromNativeSeparators(box->text());
        if (folder.isEmpty() || !QDir(folder).exists())
            folder = QDir::currentPath();
        start = QDir(folder).filePath(tr("results.txt"));
    }
    const QString path = QFileDialog::getSaveFileName(this, tr("Save the results list"), start,
                                                      tr("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!save(path, &error)) {
        QMessageBox::critical(this, tr("Error"),
                              tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    m_lastSaved = path;
}

void ResultsList::updateButton()
{
    m_save->setEnabled(m_model->rowCount() > 0 || !m_pending.isEmpty());
}
