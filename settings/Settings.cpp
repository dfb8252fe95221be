#include "settings/Settings.h"

#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString g_settingsFile;
QString g_readOnlyFile;
QString g_lastPath;
} // namespace

QString Settings::ReadIniString(const QString &file, const QString &section, const QString &key,
                                const QString &def)
{
    return IniFile::read(file, section, key, def);
}

QString Settings::ReadSetting(const QString &key, const QString &def)
{
    const QString section = QLatin1String(Section);
    QString value;
    if (IniFile::find(SettingsFile(), section, key, value))
        return value;
    const QString readOnly = ReadOnlySettingsFile();
    if (!readOnly.isEmpty() && IniFile::find(readOnly, section, key, value))
        return value;
    return def;
}

bool Settings::WriteSetting(const QString &key, const QString &value)
{
    const QString section = QLatin1String(Section);
    const QString file = SettingsFile();
    const QString readOnly = ReadOnlySettingsFile();
    QString current;
    if (!readOnly.isEmpty() && !IniFile::find(file, section, key, current)
        && IniFile::find(readOnly, section, key, current) && current == value)
        return true; // already read so from the read-only file
    const QString stored = value.contains(QLatin1Char(' '))
        ? QLatin1Char('"') + value + QLatin1Char('"')
        : value;
    return IniFile::write(file, section, key, stored);
}

QString Settings::settingsFileFor(const QString &executablePath, const QString &fallbackFolder)
{
    const QFileInfo exe(executablePath);
    QString name = exe.fileName();
    // A short extension ("Quillmark.exe") goes: a "." within the last four characters.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && dot >= name.size() - 4)
        name.truncate(dot);
    name += QLatin1String(".ini");

    const QFileInfo folder(exe.absolutePath());
    const QFileInfo beside(folder.absoluteFilePath() + QLatin1Char('/') + name);
    // A write replaces the file through a new one made in its folder, so the
    // folder must be writable even when the file itself is.
    const bool besideWritable = folder.isWritable() && (!beside.exists() || beside.isWritable());
    if (besideWritable || fallbackFolder.isEmpty())
        return beside.absoluteFilePath();
    return fallbackFolder + QLatin1Char('/') + name;
}

QString Settings::readOnlyFileFor(const QString &executablePath, const QString &fallbackFolder)
{
    const QString chosen = settingsFileFor(executablePath, fallbackFolder);
    const QString beside = settingsFileFor(executablePath, QString());
    if (chosen == beside || !QFileInfo(beside).isFile())
        return QString();
    return beside;
}

QString Settings::SettingsFile()
{
    if (g_settingsFile.isEmpty()) {
        const QString exe = QCoreApplication::applicationFilePath();
        const QString fallback = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        g_settingsFile = settingsFileFor(exe, fallback);
        g_readOnlyFile = readOnlyFileFor(exe, fallback);
    }
    return g_settingsFile;
}

QString Settings::ReadOnlySettingsFile()
{
    (void)SettingsFile(); // works both out on first use
    return g_readOnlyFile;
}

void Settings::setSettingsFile(const QString &path, const QString &readOnlyFile)
{
    g_settingsFile = path;
    g_readOnlyFile = readOnlyFile;
}

QString Settings::LastPath()
{
    return g_lastPath;
}

void Settings::setLastPath(const QString &path)
{
    g_lastPath = path;
}

void Settings::loadLastPath()
{
    g_lastPath = ReadSetting(QStringLiteral("path"), QString());
}
