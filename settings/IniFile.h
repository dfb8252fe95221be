#pragma once

#include <QString>

// One key of one section of an INI file, read and written the way Windows'
// private-profile calls do: sections and keys compare without regard to case,
// blanks around "=" and around names are ignored, lines starting with ";" are
// comments, one pair of surrounding double quotes is stripped on read and a
// value is cut to 254 characters. The file is Windows-1251 text; a write keeps
// every other line byte for byte, ends the lines it makes with CR LF, and
// replaces the file atomically.
class IniFile
{
public:
    static constexpr int MaxValueLength = 254;

    // The value of `key` in `section`, or `def` when the file, the section or the key is absent.
    static QString read(const QString &file, const QString &section, const QString &key,
                        const QString &def);
    // The value of `key` in `section` into `value`; false (and `value` untouched)
    // when the file, the section or the key is absent.
    static bool find(const QString &file, const QString &section, const QString &key, QString &value);

    // Stores `value` (written as it is given: quoting is the caller's business).
    // False when nothing was written: the value or the names cannot be held by
    // the code page or a line, or the file could not be written.
    static bool write(const QString &file, const QString &section, const QString &key,
                      const QString &value);
};
