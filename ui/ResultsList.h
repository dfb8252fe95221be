#pragma once

#include "tools/RunObserver.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QAbstractListModel;
class QListView;
class QPushButton;

// The results of a tool run below the status line: one row for every file
// that was not simply done (failed with its reason, skipped, warned, made from
// the margins), and at the end of the run a summary row with the counts.
// Written and unchanged files get no row but are counted. Rows come in from
// the worker one by one and are shown in chunks, so that a run over tens of
// thousands of files does not repaint the list for each of them.
// "Save list…" writes the rows as UTF-8 text, one line per row.
class ResultsList : public QWidget
{
    Q_OBJECT
public:
    enum class RowKind { Failed, Skipped, Warning, FromMargins, Summary };

    // The files of one run by their outcome.
    struct Counts
    {
        int written = 0;
        int unchanged = 0;
        int skipped = 0;
        int failed = 0;
        int done() const { return written + unchanged + skipped + failed; }
    };

    explicit ResultsList(QWidget *parent = nullptr);
    ~ResultsList() override;

    // A new run starts: no rows, no counts.
    void clear();
    // The outcome of one file or a note about it (see RunObserver::fileResult).
    void addResult(const QString &fileName, RunObserver::FileOutcome outcome, const QString &text);
    // The run has ended: the rows still waiting are shown and the summary row
    // follows; `stopped` adds "stopped after N of M" with M = `total`.
    void finish(bool stopped, int total);

    // Room for a few rows: the list does not make its window much taller.
    QSize sizeHint() const override;

    Counts counts() const { return m_counts; }
    // Every row as it is shown and saved, those still waiting included.
    QStringList lines() const;
    QList<RowKind> kinds() const;

    // Writes the rows to `path` (UTF-8, one line per row, atomically); false
    // with the reason in `error` when it cannot.
    bool save(const QString &path, QString *error) const;

    // The text of a summary row.
    static QString summaryText(const Counts &counts, bool stopped, int total);

public slots:
    // The "Save list…" button: asks for a file name and saves.
    void saveAs();

private:
    struct Row
    {
        RowKind kind;
        QString text;
    };

    void flush();
    void updateButton();

    QListView *m_view = nullptr;
    QAbstractListModel *m_model = nullptr;
    QPushButton *m_save = nullptr;
    QList<Row> m_pending; // not shown yet
    QTimer m_flushTimer;
    Counts m_counts;
    QString m_lastSaved;  // where the list was saved last, offered again
};
