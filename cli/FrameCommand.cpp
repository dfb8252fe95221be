#include "cli/FrameCommand.h"

#include "cli/FrameModule.h"
#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetName.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <cstdio>

namespace {

const char *const kHelp =
    "Usage: quillmark-cli frame IMAGE... [options]\n"
    "\n"
    "Finds the inner frame of each scanned sheet: its four corners NW, NE, SE, SW\n"
    "in image pixels (x to the right, y down, pixel centres at whole numbers).\n"
    "\n"
    "Options:\n"
    "  --json                 one JSON object a line: file, found, corners, quality, reason\n"
    "  --scale S              auto|1:1M|1:500K|1:200K|1:100K|1:50K|1:25K|1:10K (default auto: from each name)\n"
    "  --mask M               auto|RCC-LLL|R-CC-LLL (default auto: from each name)\n"
    "  -h, --help             this text\n"
    "\n"
    "Exit codes: 0 every frame found, 1 some frame not found, 2 usage error.\n";

int usageError(const QString &text)
{
    std::fprintf(stderr, "quillmark-cli frame: %s\n\nRun 'quillmark-cli frame --help' for the options.\n",
                 qPrintable(text));
    return 2;
}

// A JSON string literal for `text`.
QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString number(double value)
{
    return QString::number(value, 'f', 2);
}

QString jsonLine(const QString &file, const FrameResult &r)
{
    QStringList corners;
    if (r.found)
        for (const QPointF &p : r.corners)
            corners << QStringLiteral("[%1,%2]").arg(number(p.x()), number(p.y()));
    QString line = QStringLiteral("{\"file\": %1, \"found\": %2, \"corners\": [%3], \"quality\": %4")
                       .arg(jsonString(file), r.found ? QStringLiteral("true") : QStringLiteral("false"),
                            corners.join(QLatin1Char(',')), QString::number(r.quality, 'f', 3));
    if (!r.found)
        line += QStringLiteral(", \"reason\": %1").arg(jsonString(r.reason));
    return line + QLatin1Char('}');
}

QString textLine(const QString &file, const QString &sheet, const FrameResult &r)
{
    if (!r.found)
        return QStringLiteral("%1: not found: %2").arg(file, r.reason);
    static const char *names[] = {"NW", "NE", "SE", "SW"};
    QStringList parts;
    for (int k = 0; k < 4; ++k)
        parts << QStringLiteral("%1 %2,%3").arg(QLatin1String(names[k]), number(r.corners[k].x()),
                                                 number(r.corners[k].y()));
    return QStringLiteral("%1: %2: %3 (quality %4)")
        .arg(file, sheet, parts.join(QStringLiteral("  ")), QString::number(r.quality, 'f', 2));
}

} // namespace

int FrameCommand::run(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption jsonOpt(QStringLiteral("json"));
    const QCommandLineOption scaleOpt(QStringLiteral("scale"), QString(), QStringLiteral("S"), QStringLiteral("auto"));
    const QCommandLineOption maskOpt(QStringLiteral("mask"), QString(), QStringLiteral("M"), QStringLiteral("auto"));
    const QCommandLineOption helpOpt(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({jsonOpt, scaleOpt, maskOpt, helpOpt});
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(helpOpt)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const QString scale = parser.value(scaleOpt);
    const QString mask = parser.value(maskOpt);
    if (!QStringList{"auto", "1:1M", "1:500K", "1:200K", "1:100K", "1:50K", "1:25K", "1:10K"}.contains(scale))
        return usageError(QStringLiteral("unknown --scale '%1'").arg(scale));
    if (!QStringList{"auto", "RCC-LLL", "R-CC-LLL"}.contains(mask))
        return usageError(QStringLiteral("unknown --mask '%1'").arg(mask));
    const QStringList images = parser.positionalArguments();
    if (images.isEmpty())
        return usageError(QStringLiteral("IMAGE is missing"));
    const bool json = parser.isSet(jsonOpt);

    bool allFound = true;
    for (const QString &image : images) {
        const QString name = Global::getFileName(image);
        const SheetName sheet = SheetName::read(name, scale == QLatin1String("auto") ? SheetName::ByName : Global::scaleFromText(scale),
                                                mask == QLatin1String("auto") ? QString() : mask);
        const SheetIdentity &id = sheet.id;
        if (!sheet.warning.isEmpty())
            std::fprintf(stderr, "%s: warning: %s\n", image.toUtf8().constData(), sheet.warning.toUtf8().constData());
        FrameResult result;
        if (!id.ok())
            result.reason = id.error.trimmed();
        else
            result = FrameModule::find(image, id);
        allFound = allFound && result.found;
        const QString line = json ? jsonLine(image, result) : textLine(image, id.baseName, result);
        std::fprintf(stdout, "%s\n", line.toUtf8().constData());
        std::fflush(stdout);
    }
    return allFound ? 0 : 1;
}
