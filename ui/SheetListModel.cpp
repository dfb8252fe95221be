#include "ui/SheetListModel.h"

#include "ui/SheetOverlay.h"

#include <QPainter>

SheetListModel::SheetListModel(QObject *parent) : QAbstractListModel(parent)
{
}

void SheetListModel::setRecords(const std::vector<SheetRecord> &records)
{
    beginResetModel();
    m_entries.clear();
    m_entries.reserve(records.size());
    for (const SheetRecord &r : records) {
        Entry e;
        e.record = r;
        e.verdict = SheetVerdict::quick(r);
        // A verdict the finder cannot change is final at once.
        e.judged = SheetVerdict::needsLook(e.verdict.kind);
        e.thumbnailDone = r.imagePath.isEmpty();
        m_entries.push_back(std::move(e));
    }
    endResetModel();
}

void SheetListModel::changed(int row)
{
    m_entries[size_t(row)].icon = QPixmap();
    const QModelIndex i = index(row);
    emit dataChanged(i, i);
}

void SheetListModel::setThumbnail(int row, const QImage &image, const QSize &source, const QString &error)
{
    if (row < 0 || row >= count())
        return;
    Entry &e = m_entries[size_t(row)];
    e.thumbnail = image;
    e.thumbnailSource = source;
    e.thumbnailError = error;
    e.thumbnailDone = true;
    changed(row);
}

void SheetListModel::setVerdict(int row, const SheetVerdict::Result &verdict, bool judged)
{
    if (row < 0 || row >= count())
        return;
    Entry &e = m_entries[size_t(row)];
    e.verdict = verdict;
    e.judged = judged;
    changed(row);
}

void SheetListModel::setRecord(int row, const SheetRecord &record)
{
    if (row < 0 || row >= count())
        return;
    Entry &e = m_entries[size_t(row)];
    e.record = record;
    if (e.verdict.finderRan) {
        e.verdict = SheetVerdict::judgeWithFrame(record, e.verdict.frame);
    } else {
        e.verdict = SheetVerdict::quick(record);
        e.judged = SheetVerdict::needsLook(e.verdict.kind) || e.judged;
    }
    changed(row);
}

int SheetListModel::rowOfMap(const QString &mapPath) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_entries[size_t(i)].record.mapPath == mapPath)
            return i;
    }
    return -1;
}

bool SheetListModel::needsLook(int row) const
{
    return SheetVerdict::needsLook(m_entries.at(size_t(row)).verdict.kind);
}

int SheetListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SheetListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const Entry &e = m_entries[size_t(index.row())];
    const bool look = SheetVerdict::needsLook(e.verdict.kind);
    switch (role) {
    case Qt::DisplayRole: {
        QString text = e.record.sheetName;
        if (!e.record.scaleText.isEmpty())
            text += QStringLiteral("  ") + e.record.scaleText;
        if (look)
            text += QStringLiteral("\n") + SheetVerdict::text(e.verdict.kind);
        return text;
    }
    case Qt::DecorationRole:
        if (e.icon.isNull())
            e.icon = drawIcon(e);
        return e.icon;
    case Qt::ToolTipRole: {
        QString tip = e.record.mapPath;
        tip += QStringLiteral("\n") + (e.judged || look ? SheetVerdict::text(e.verdict.kind) : tr("not checked yet"));
        if (!e.verdict.reason.isEmpty())
            tip += QStringLiteral(": ") + e.verdict.reason;
        if (e.verdict.maxCornerOffset >= 0)
            tip += tr("\ncorners up to %1 px from the frame").arg(e.verdict.maxCornerOffset, 0, 'f', 1);
        if (!e.thumbnailError.isEmpty())
            tip += tr("\nthumbnail: %1").arg(e.thumbnailError);
        return tip;
    }
    case VerdictRole:
        return e.judged || look ? SheetVerdict::text(e.verdict.kind) : QString();
    case NeedsLookRole:
        return look;
    case SortKeyRole:
        return QString(QLatin1Char(look ? '0' : (e.judged ? '2' : '1'))) + e.record.sheetName + QLatin1Char('\n')
            + e.record.mapPath;
    case MapPathRole:
        return e.record.mapPath;
    default:
        return QVariant();
    }
}

QPixmap SheetListModel::drawIcon(const Entry &e) const
{
    QPixmap pixmap(kIconSide, kIconSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const bool look = SheetVerdict::needsLook(e.verdict.kind);
    const QColor mark = SheetOverlay::markColor(e.judged, look);
    const QRectF area(4, 4, kIconSide - 8, kIconSide - 8);
    if (!e.thumbnail.isNull()) {
        const QSizeF fitted = QSizeF(e.thumbnail.size()).scaled(area.size(), Qt::KeepAspectRatio);
        const QRectF target(area.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(target, e.thumbnail);
        const QSize source = e.thumbnailSource.isValid() ? e.thumbnailSource : e.record.imageSize;
        SheetOverlay::paint(p, target, source, e.record.corners, e.record.positionedPoints >= 4, e.record.points,
                            look ? mark : QColor(0, 120, 255));
    } else {
        p.fillRect(area, QColor(235, 235, 235));
        p.setPen(QColor(110, 110, 110));
        const QString text = e.record.imagePath.isEmpty() ? tr("no image")
            : e.thumbnailDone                              ? tr("cannot decode")
                                                           : tr("loading…");
        p.drawText(area, Qt::AlignCenter, text);
    }
    // The mark: a frame round the picture and the verdict in its corner.
    QPen pen(mark, look ? 4 : 2);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(2, 2, kIconSide - 4, kIconSide - 4));
    if (look || e.judged) {
        const QString text = SheetVerdict::text(e.verdict.kind);
        QFont f = p.font();
        f.setBold(true);
        p.setFont(f);
        const QRect box = p.fontMetrics().boundingRect(text).adjusted(-4, -2, 4, 2);
        const QRect badge(6, 6, box.width(), box.height());
        p.fillRect(badge, mark);
        p.setPen(Qt::white);
        p.drawText(badge, Qt::AlignCenter, text);
    }
    return pixmap;
}
