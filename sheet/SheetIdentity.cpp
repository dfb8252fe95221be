#include "sheet/SheetIdentity.h"

#include "sheet/Global.h"

#include <QCoreApplication>

namespace {

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

} // namespace

SheetIdentity SheetIdentity::check(const QString &fileName, int scale, const QString &mask, const QString &sheetText)
{
    SheetIdentity id;
    id.fileName = Global::getFileName(fileName);
    id.baseName = Global::getNameNoExt(id.fileName);
    id.extension = Global::getExtension(id.fileName);
    id.scale = scale;
    id.mask = mask;
    const QString text = sheetText.isNull() ? id.baseName : sheetText;
    id.south = Global::getHemisphere(text) == QLatin1String("S");

    // The name as the messages show it: base name, a dot, the extension.
    const QString shown = id.baseName + QLatin1Char('.') + id.extension;

    // The 1:1M row, then the column; the first failure is the one reported.
    id.row = Global::getRow(text);
    if (id.row < 1)
        id.error = shown + QCoreApplication::translate("SheetIdentity", " Incorrect 1:1M map row in image name ");

    id.col = Global::getColumn(text, mask);
    if (!inRange(id.col, 1, 60) && id.error.isEmpty())
        id.error = shown + QCoreApplication::translate("SheetIdentity", " Incorrect 1:1M map column number in image name ") + QString::number(id.col);

    if (!id.error.isEmpty())
        return id;

    // The list number inside the 1:1M sheet and the quarter letters.
    bool failed = false;
    QString level;
    if (scale == 1000) {
        id.list = 0;
    } else {
        id.list = Global::getListNum(text, scale, mask);
        if (!inRange(id.list, 1, Global::getListCount(scale)))
            failed = true;
    }
    if (scale == 10 || scale == 25 || scale == 50) {
        id.list50 = Global::getLetter50K(text, scale, mask);
        if (!inRange(id.list50, 1, 4)) {
            level = QStringLiteral("1:50K");
            failed = true;
        }
    }
    if (scale == 10 || scale == 25) {
        id.list25 = Global::getLetter25K(text, scale, mask);
        if (!inRange(id.list25, 1, 4)) {
            level = QStringLiteral("1:25K");
            failed = true;
        }
    }
    if (scale == 10) {
        id.list10 = Global::getLetter10K(text, scale, mask);
        if (!inRange(id.list10, 1, 4)) {
            level = QStringLiteral("1:10K");
            failed = true;
        }
    }
    if (failed) {
        id.error = shown + QCoreApplication::translate("SheetIdentity", " Incorrect ") + level + QCoreApplication::translate("SheetIdentity", " map list number in image name ")
                   + QString::number(id.list);
    }
    return id;
}

SheetFields SheetIdentity::fields() const
{
    SheetFields f;
    f.iRow = row;
    f.iCol = col;
    f.iList = list;
    f.iList50 = list50;
    f.iList25 = list25;
    f.iList10 = list10;
    f.iScale = qint16(scale);
    f.bSouth = south;
    return f;
}
