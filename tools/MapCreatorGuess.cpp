#include "tools/MapCreatorGuess.h"

#include "sheet/Global.h"
#include "sheet/SheetName.h"
#include "tools/FolderListing.h"

#include <QRegularExpression>
#include <QSet>

QStringList MapCreatorGuess::getFirstImages(const QString &folder, int count)
{
    if (folder.isEmpty() || count <= 0)
        return {};
    static const QRegularExpression image(QStringLiteral("\\.(jpg|bmp|png|gif|tif|kap|cap|ozf|ecw|sid)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    // The same listing the run walks: plain files, no hidden ones, in name order.
    QStringList found;
    const QStringList files = FolderListing::files(folder);
    for (const QString &file : files) {
        if (image.match(file).hasMatch()) {
            found.append(file);
            if (found.size() >= count)
                break;
        }
    }
    return found;
}

QString MapCreatorGuess::getFirstImage(const QString &folder)
{
    return getFirstImages(folder, 1).value(0);
}

int MapCreatorGuess::scaleOfName(const QString &fileName)
{
    return SheetName::read(Global::getFileName(fileName), SheetName::ByName, QString()).nameScale;
}

QString MapCreatorGuess::defaultPoints(int scale)
{
    return scale > 0 && scale <= 50 ? QStringLiteral("4") : QStringLiteral("5");
}

bool MapCreatorGuess::setByImageName(const QString &fileName, MapCreatorOptions &options)
{
    const SheetName sheet = SheetName::read(Global::getFileName(fileName), SheetName::ByName, QString());
    const QString scale = Global::scaleText(sheet.nameScale);
    const bool recognised = sheet.nameScale > 0;
    if (recognised) {
        if (options.scaleText != QLatin1String("auto")) {
            options.scaleText = scale;
            options.scaleGuessed = true;
        }
        // The latitude/longitude grid at 1:1M and 1:500K, the metric one below.
        options.gridMode = sheet.nameScale >= 500 ? 2 : 1;
        options.pointsText = options.pointsOfScale.value(sheet.nameScale, defaultPoints(sheet.nameScale));
    }

    const QString mask = sheet.ok() ? sheet.id.mask : Global::getMaskByName(Global::getNameNoExt(Global::getFileName(fileName)));
    if (mask != QLatin1String(" "))
        options.maskText = mask;
    return recognised;
}

QString MapCreatorGuess::setByFolder(const QString &folder, MapCreatorOptions &options)
{
    const QStringList first = getFirstImages(folder, FirstNames);
    setByImageName(first.value(0), options);
    QSet<int> scales;
    for (const QString &name : first) {
        const int scale = scaleOfName(name);
        if (scale > 0)
            scales.insert(scale);
    }
    if (scales.size() > 1) {
        options.scaleText = QStringLiteral("auto");
        options.scaleGuessed = true;
    }
    return first.value(0);
}
