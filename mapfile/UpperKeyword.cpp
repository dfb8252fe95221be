#include "mapfile/UpperKeyword.h"

#include <QString>

bool UpperKeyword::matches(QStringView text, QLatin1StringView key, bool prefix)
{
    if (prefix ? text.size() < key.size() : text.size() != key.size()) {
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            return false;
    }
    const qsizetype n = prefix ? key.size() : text.size();
    for (qsizetype i = 0; i < n && i < text.size(); ++i) {
        char16_t c = text.at(i).unicode();
        if (c >= 0x80) {
            const QString upper = text.toString().toUpper();
            return prefix ? upper.startsWith(key) : upper == key;
        }
        if (i >= key.size())
            return false; // upper-casing never makes a text shorter
        if (c >= 'a' && c <= 'z')
            c = char16_t(c - 'a' + 'A');
        if (c != char16_t(key.at(i).unicode()))
            return false;
    }
    return true;
}
