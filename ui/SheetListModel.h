#pragma once

#include "tools/SheetRecord.h"
#include "tools/SheetVerdict.h"

#include <QAbstractListModel>
#include <QImage>
#include <QPixmap>

#include <vector>

// The sheets of one folder for the check window: each map's record, its
// thumbnail once it is made, and its verdict once the check has run. The
// decoration is the thumbnail with the calibration drawn on it and a mark
// for a sheet that needs a look.
class SheetListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        VerdictRole = Qt::UserRole + 1, // "ok", "off-frame", ...; "" while not checked
        NeedsLookRole,                  // bool
        SortKeyRole,                    // sheets that need a look first, then by sheet name
        MapPathRole,
    };

    struct Entry
    {
        SheetRecord record;
        SheetVerdict::Result verdict;
        bool judged = false;   // the whole check (with the finder) has run
        QImage thumbnail;
        QSize thumbnailSource; // the scan size the thumbnail was made from
        bool thumbnailDone = false;
        QString thumbnailError; // why there is no thumbnail, or what is wrong with its scan
        mutable QPixmap icon;  // drawn on first use, dropped when anything changes
    };

    static constexpr int kIconSide = 200;

    explicit SheetListModel(QObject *parent = nullptr);

    void setRecords(const std::vector<SheetRecord> &records);
    void setThumbnail(int row, const QImage &image, const QSize &source, const QString &error);
    void setVerdict(int row, const SheetVerdict::Result &verdict, bool judged);
    // A map written again: its record anew, the verdict from the frame found before.
    void setRecord(int row, const SheetRecord &record);

    const Entry &entry(int row) const { return m_entries.at(size_t(row)); }
    int count() const { return int(m_entries.size()); }
    int rowOfMap(const QString &mapPath) const;
    // The verdict to show: the whole one when the check ran, else the quick one.
    bool needsLook(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QPixmap drawIcon(const Entry &e) const;
    void changed(int row);

    std::vector<Entry> m_entries;
};
