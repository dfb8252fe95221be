#pragma once

#include <QLatin1StringView>
#include <QStringView>

// Whether a text of a map file, upper-cased, is (or starts with) an ASCII
// keyword: the titles the line parser knows ("MMPXY", "Point01") and the
// coordinate names ("Lat", "X"). An ASCII text is compared in place; any
// other text is upper-cased the full way, as QString::toUpper does it.
class UpperKeyword
{
public:
    UpperKeyword() = delete;

    // `key` upper-case; with `prefix`, whether the text starts with it.
    static bool matches(QStringView text, QLatin1StringView key, bool prefix);
    static bool is(QStringView text, const char *key) { return matches(text, QLatin1StringView(key), false); }
    static bool startsWith(QStringView text, const char *key) { return matches(text, QLatin1StringView(key), true); }
};
