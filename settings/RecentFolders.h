#pragma once

#include <QString>
#include <QStringList>

// The folders last used by the tools' runs, most recent first, kept in the
// settings file under "Recent1" .. "Recent10". A folder is held once: two
// texts naming the same folder the way the platform compares paths (case
// aside on Windows and macOS, "/" or "\" alike, a trailing separator aside)
// are one folder, and the newer text is kept.
class RecentFolders
{
public:
    static constexpr int Limit = 10;

    // The stored folders, most recent first (empty and repeated entries skipped).
    static QStringList list();
    // Puts `folder` first, drops its older entry and the ones past the limit,
    // and stores the list. An empty text, or one too long for a settings
    // value, is not stored.
    static void add(const QString &folder);

    // `folders` with `folder` put first, without another entry for the same
    // folder and cut to `limit` entries.
    static QStringList added(const QStringList &folders, const QString &folder, int limit = Limit);
    // Whether two texts name the same folder on this platform.
    static bool samePath(const QString &a, const QString &b);

    // The settings key of entry `index` (1-based): "Recent1".
    static QString key(int index);
};
