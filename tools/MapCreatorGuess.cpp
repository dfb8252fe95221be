#include "tools/MapCreatorGuess.h"

#include "sheet/Global.h"
#include "tools/FolderListing.h"

#include <QRegularExpression>
#include <QStringList>

QString MapCreatorGuess::getFirstImage(const QString &folder)
{
    if (folder.isEmpty())
        return QString();
    static const QStringList patterns =
        QStringLiteral("*.jpg;*.bmp;*.png;*.gif;*.TIF;*.KAP;*.CAP;*.OZF;*.ECW;*.SID").split(QLatin1Char(';'));
    static const QList<QRegularExpression> matchers = [] {
        QList<QRegularExpression> list;
        for (const QString &p : patterns)
            list.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(p)));
        return list;
    }();

    // The same listing the run walks: plain files, no hidden ones, in name order.
    const QStringList files = FolderListing::files(folder);
    for (const QString &file : files) {
        for (const QRegularExpression &re : matchers) {
            if (re.match(file).hasMatch())
                return file;
        }
    }
    return QString();
}

bool MapCreatorGuess::setByImageName(const QString &fileName, MapCreatorOptions &options,
                                     const SettingReader &readSetting)
{
    const QString name = Global::getFileName(Global::getNameNoExt(fileName));
    auto read = [&](const QString &key, const QString &def) {
        return readSetting ? readSetting(key, def) : def;
    };

    const QString scale = Global::getScaleByName(name);
    const bool recognised = scale != QLatin1String(" ");
    if (recognised) {
        options.scaleText = scale;
        if (scale == QLatin1String("1:1M") || scale == QLatin1String("1:500K")) {
            options.gridMode = 2;
            options.pointsText = read(QStringLiteral("points_") + scale, QStringLiteral("5"));
        } else if (scale == QLatin1String("1:200K") || scale == QLatin1String("1:100K")) {
            options.gridMode = 1;
            options.pointsText = read(QStringLiteral("points_") + scale, QStringLiteral("5"));
        } else if (scale == QLatin1String("1:50K") || scale == QLatin1String("1:25K")
                   || scale == QLatin1String("1:10K")) {
            options.gridMode = 1;
            options.pointsText = read(QStringLiteral("points_") + scale, QStringLiteral("4"));
        } else {
            options.gridMode = 0;
        }
    }

    const QString mask = Global::getMaskByName(name);
    if (mask != QLatin1String(" "))
        options.maskText = mask;
    return recognised;
}
