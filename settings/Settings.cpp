#include "settings/Settings.h"

#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString g_settingsFile;
QString g_lastPath;
} // namespace

QString Settings::ReadIniString(const QString &file, const QString &section, const QString &key,
                                const QString &def)
{
    return IniFile::read(file, section, key, def);
}

QString Settings::ReadSetting(const QString &key, const QString &def)
{
    return ReadIniString(SettingsFile(), QLatin1String(Section), key, def);
}

bool Settings::WriteSetting(const QString &key, const QString &value)
{
    const QString stored = value.contains(QLatin1Char(' '))
        ? QLatin1Char('"') + value + QLatin1Char('"')
        : value;
    return IniFile::write(SettingsFile(), QLatin1String(Section), key, stored);
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
    const bool besideWritable = beside.exists() ? beside.isWritable() : folder.isWritable();
    if (besideWritable || fallbackFolder.isEmpty())
        return beside.absoluteFilePath();
    return fallbackFolder + QLatin1Char('/') + name;
}

QString Settings::SettingsFile()
{
    if (g_settingsFile.isEmpty()) {
        g_settingsFile = settingsFileFor(
            QCoreApplication::applicationFilePath(),
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    }
    return g_settingsFile;
}

void Settings::setSettingsFile(const QString &path)
{
    g_settingsFile = path;
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
