#pragma once

#include <QString>

// The program's settings file: one INI file, section "sets", named after the
// executable (its name with a short extension cut, plus ".ini") and kept beside
// it; when that folder cannot be written (an installed program) the file lives
// in the user's configuration folder instead. The file is opened and closed by
// every read and write; only its path and the last folder are kept in memory.
class Settings
{
public:
    static constexpr const char *Section = "sets";

    // The value of `key` in section "sets", or `def` when it is absent.
    static QString ReadSetting(const QString &key, const QString &def);
    // Stores `value` under `key` in section "sets"; a value holding a space is
    // written in double quotes. False when nothing was written (see IniFile::write).
    static bool WriteSetting(const QString &key, const QString &value);
    // The general read under ReadSetting.
    static QString ReadIniString(const QString &file, const QString &section, const QString &key,
                                 const QString &def);

    // The settings file's full path; worked out from the running executable on
    // first use unless setSettingsFile() gave one (tests point it at a temporary file).
    static QString SettingsFile();
    static void setSettingsFile(const QString &path);

    // The file for an executable: "/opt/q/Quillmark.exe" -> "/opt/q/Quillmark.ini".
    // When the executable's folder is not writable, the same name in `fallbackFolder`.
    static QString settingsFileFor(const QString &executablePath, const QString &fallbackFolder);

    // The folder last chosen or loaded; read from key "path" at start-up.
    static QString LastPath();
    static void setLastPath(const QString &path);
    static void loadLastPath(); // LastPath = ReadSetting("path", "")
};
