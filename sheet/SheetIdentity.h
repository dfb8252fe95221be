#pragma once

#include "sheet/SheetFields.h"

#include <QString>

// The identity of one sheet image's name under a scale and a file-name mask,
// with the checks the map creator makes before it writes a map file: the 1:1M
// row, the column, the list number and the 1:50K / 1:25K letters and the 1:10K number. The first
// failed check gives `error`, the map creator's message text for it.
class SheetIdentity
{
public:
    QString fileName;   // as given (a path is cut to its file name)
    QString baseName;   // text before the first "."
    QString extension;  // text after the first "."
    int scale = 0;      // denominator in thousands
    QString mask;       // "RCC-LLL" or "R-CC-LLL"
    bool south = false; // southern hemisphere ("s" prefix)
    qint16 row = -1;
    qint16 col = -1;
    qint16 list = -1;
    qint16 list50 = 0;
    qint16 list25 = 0;
    qint16 list10 = 0;
    QString error;      // empty when every check passed

    bool ok() const { return error.isEmpty(); }

    // The identity as the geometry and text functions take it.
    SheetFields fields() const;

    // Runs the checks in the map creator's order; `scale` in thousands
    // (1000, 500, 200, 100, 50, 25, 10; anything else fails the list check).
    // The fields are read from `sheetText` when it is given (the name after a
    // scale prefix), else from the base name; messages name the file.
    static SheetIdentity check(const QString &fileName, int scale, const QString &mask,
                               const QString &sheetText = QString());
};
