#pragma once

#include <QString>

// Stateless text operations that read a sheet name out of an image file name
// (1:1M row and column, list number, 1:50K / 1:25K letters, 1:10K number, scale, mask,
// hemisphere), and the small path helpers the callers use.
//
// Positions are 1-based characters of the name; upper-casing maps Latin and
// Cyrillic alike. A southern name carries a lower-case "s" before its row
// letter ("sK-37-001"); the row, column, list and letter operations read the
// name after that prefix.
class Global
{
public:
    Global() = delete;

    static QString getNameNoExt(const QString &name);
    static QString getExtension(const QString &name);
    static QString getFileName(const QString &path);
    static QString cutExtension4(const QString &name);

    static qint16 getRow(const QString &name);
    static qint16 getColumn(const QString &name, const QString &mask);
    static qint16 getListCount(int scale);
    static qint16 getListNum(const QString &name, int scale, const QString &mask);
    static qint16 getLetter50K(const QString &name, int scale, const QString &mask);
    static qint16 getLetter25K(const QString &name, int scale, const QString &mask);
    // The 1:10K sheet number 1..4 at position 13 ("RCC-LLL") or 14 ("R-CC-LLL"),
    // read by the letter index rules; -1 for any other mask.
    static qint16 getLetter10K(const QString &name, int scale, const QString &mask);
    static QString getHemisphere(const QString &name);

    static bool isAllDigits(const QString &text);
    static bool isAllSeparators(const QString &text);
    static bool isAllLetters(const QString &text);

    static QString getScaleByName(const QString &name);
    static QString getMaskByName(const QString &name);

    // Letter index 1..4 of a sheet quarter character (А/A/1, Б/B/2, В/V/C/3,
    // Г/G/4/D after upper-casing), -1 for anything else.
    static qint16 letterIndex(const QString &ch);
    // The pattern of a name: L letter, N digit, - separator, ? anything else.
    static QString pattern(const QString &name);
    // Scale denominator in thousands for a scale text ("1:100K" -> 100), 0 for any other text.
    static int scaleFromText(const QString &scaleText);
    // Scale text for a denominator in thousands (100 -> "1:100K"), " " for any other value.
    static QString scaleText(int scale);
    // The name without its southern "s" prefix (the name itself when it has none).
    static QString withoutHemisphere(const QString &name);
};
