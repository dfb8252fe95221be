#include "settings/RecentFolders.h"

#include "settings/IniFile.h"
#include "settings/Settings.h"

#include <QDir>

namespace {

// The text as a comparable path: separators made "/", "." and ".." resolved,
// no trailing separator (a root keeps its own).
QString comparable(const QString &path)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

Qt::CaseSensitivity platformCase()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

// Whether the text comes back whole from the settings file (quoted when it holds a space).
bool fitsSetting(const QString &value)
{
    return value.size() + (value.contains(QLatin1Char(' ')) ? 2 : 0) <= IniFile::MaxValueLength;
}

} // namespace

QString RecentFolders::key(int index)
{
    return QStringLiteral("Recent%1").arg(index);
}

bool RecentFolders::samePath(const QString &a, const QString &b)
{
    return comparable(a).compare(comparable(b), platformCase()) == 0;
}

QStringList RecentFolders::added(const QStringList &folders, const QString &folder, int limit)
{
    QStringList out;
    if (!folder.trimmed().isEmpty())
        out.append(folder);
    for (const QString &f : folders) {
        if (out.size() >= limit)
            break;
        if (f.trimmed().isEmpty())
            continue;
        bool held = false;
        for (const QString &o : out)
            held = held || samePath(o, f);
        if (!held)
            out.append(f);
    }
    return out;
}

QStringList RecentFolders::list()
{
    QStringList stored;
    for (int i = 1; i <= Limit; ++i)
        stored.append(Settings::ReadSetting(key(i), QString()));
    return added(stored, QString());
}

void RecentFolders::add(const QString &folder)
{
    if (folder.trimmed().isEmpty() || !fitsSetting(folder))
        return;
    const QStringList before = list();
    const QStringList after = added(before, folder);
    for (int i = 0; i < Limit; ++i) {
        const QString value = i < after.size() ? after.at(i) : QString();
        // Only the keys that change are written; slots past the list are emptied when they held something.
        if (Settings::ReadSetting(key(i + 1), QString()) == value)
            continue;
        // A folder the settings file cannot hold (its code page lacks a letter) leaves the list as it was.
        if (!Settings::WriteSetting(key(i + 1), value) && i == 0)
            return;
    }
}
