#pragma once

#include <QString>

// The program's settings file: one INI file, section "sets", named after the
// executable (its name with a short extension cut, plus ".ini") and kept beside
// it; when that folder cannot be written (an installed program) the file lives
// in the user's configuration folder instead. A file that stands beside the
// program there all the same (put there by whoever installed it) is still read:
// its values are seen wherever the configuration folder's file has none, and
// only what differs from it is written to the configuration folder. The files
// are opened and closed by every read and write; only their paths and the last
// folder are kept in memory.
class Settings
{
public:
    static constexpr const char *Section = "sets";

    // The value of `key` in section "sets", or `def` when it is absent; the
    // settings file's value before the read-only file's.
    static QString ReadSetting(const QString &key, const QString &def);
    // Stores `value` under `key` in section "sets"; a value holding a space is
    // written in double quotes. False when nothing was written (see IniFile::write).
    // A value the read-only file already gives (and the settings file does not
    // override) is not written: true, as the value reads back.
    static bool WriteSetting(const QString &key, const QString &value);
    // The general read under ReadSetting.
    static QString ReadIniString(const QString &file, const QString &section, const QString &key,
                                 const QString &def);

    // The settings file's full path; worked out from the running executable on
    // first use unless setSettingsFile() gave one (tests point it at a temporary file).
    static QString SettingsFile();
    // The read-only settings file read under SettingsFile(); empty when there is none.
    static QString ReadOnlySettingsFile();
    static void setSettingsFile(const QString &path, const QString &readOnlyFile = QString());

    // The file for an executable: "/opt/q/Quillmark.exe" -> "/opt/q/Quillmark.ini".
    // When the executable's folder or that file is not writable, the same name in `fallbackFolder`.
    static QString settingsFileFor(const QString &executablePath, const QString &fallbackFolder);
    // The file beside the executable when it exists but settingsFileFor() chose
    // the fallback: it is read, never written. Otherwise empty.
    static QString readOnlyFileFor(const QString &executablePath, const QString &fallbackFolder);

    // The folder last chosen or loaded; read from key "path" at start-up.
    static QString LastPath();
    static void setLastPath(const QString &path);
    static void loadLastPath(); // LastPath = ReadSetting("path", "")
};
