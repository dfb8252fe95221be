#include "cli/CheckCommand.h"

#include "cli/FrameModule.h"
#include "sheet/Global.h"
#include "tools/FolderListing.h"
#include "tools/MapFileNames.h"
#include "tools/SheetRecord.h"
#include "tools/SheetVerdict.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

namespace {

const char *const kUsage =
    "Usage: quillmark-cli check MAPS_DIR [--scale S] [--json]\n"
    "\n"
    "Checks the calibration of every map file of a folder against its scan: the\n"
    "image named on the map's image line, beside the map file. One line per map:\n"
    "file, verdict, sheet and what is wrong. The verdicts:\n"
    "  ok           the map's corners sit on the sheet frame the scan shows\n"
    "  off-frame    a map corner is far from the frame found in the scan\n"
    "  no-frame     no sheet frame was found in the scan\n"
    "  implausible  the corners collapse, cross, or lie outside the image\n"
    "  no-image     the image the map names is not there\n"
    "\n"
    "Options:\n"
    "  --scale S  auto|1:1M|1:500K|1:200K|1:100K|1:50K|1:25K|1:10K: the scale the\n"
    "             image names are read at (default auto: each name's own; a name\n"
    "             that reads two ways is the sheet the map's corners lie on)\n"
    "  --json     one JSON object per map and line: file, image, sheet, verdict,\n"
    "             reason, and max_corner_offset_px where the frame was found\n"
    "\n"
    "Exit codes: 0 every sheet ok, 1 some sheet needs a look, 2 usage error or\n"
    "missing folder.\n";

void put(FILE *out, const QString &text)
{
    std::fputs(text.toUtf8().constData(), out);
}

int usageError(const QString &program, const QString &message)
{
    put(stderr, program + QLatin1String(": ") + message + QLatin1String("\n\n"));
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int CheckCommand::run(const QStringList &args)
{
    const QString program = args.value(0, QStringLiteral("quillmark-cli check"));
    QStringList folders;
    bool json = false;
    int scale = 0; // each name's own
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            folders.append(arg);
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("--scale") || arg.startsWith(QLatin1String("--scale="))) {
            const QString value = arg.contains(QLatin1Char('=')) ? arg.section(QLatin1Char('='), 1)
                                  : i + 1 < args.size()           ? args.at(++i)
                                                                  : QString();
            scale = Global::scaleFromText(value);
            if (scale == 0 && value != QLatin1String("auto"))
                return usageError(program, QStringLiteral("unknown --scale '%1'").arg(value));
        } else {
            return usageError(program, QStringLiteral("unknown option '%1'").arg(arg));
        }
    }
    if (folders.size() != 1)
        return usageError(program, folders.isEmpty() ? QStringLiteral("no MAPS_DIR given")
                                                     : QStringLiteral("only one MAPS_DIR is taken"));
    const QString folder = folders.first();
    if (!QFileInfo(folder).isDir()) {
        put(stderr, program + QStringLiteral(": Folder ") + folder + QStringLiteral(" is not exist\n"));
        return 2;
    }

    QStringList unreadable;
    const QStringList names = MapFileNames::list(folder, &unreadable);
    int needLook = 0;
    // A map file whose name cannot be read cannot be checked: it needs a look.
    for (const QString &name : std::as_const(unreadable)) {
        put(stderr, program + QStringLiteral(": ") + FolderListing::unreadableNameMessage(folder, name)
                        + QLatin1Char('\n'));
        ++needLook;
    }
    for (const QString &name : names) {
        const SheetRecord sheet = SheetRecord::read(FolderListing::join(folder, name));
        const SheetVerdict::Result verdict = SheetVerdict::judge(sheet, &FrameModule::find, scale);
        if (SheetVerdict::needsLook(verdict.kind))
            ++needLook;
        if (json) {
            QJsonObject o;
            o.insert(QStringLiteral("file"), name);
            o.insert(QStringLiteral("image"), sheet.imageName);
            o.insert(QStringLiteral("sheet"), sheet.sheetName);
            o.insert(QStringLiteral("verdict"), SheetVerdict::text(verdict.kind));
            if (!verdict.reason.isEmpty())
                o.insert(QStringLiteral("reason"), verdict.reason);
            if (verdict.maxCornerOffset >= 0)
                o.insert(QStringLiteral("max_corner_offset_px"), std::round(verdict.maxCornerOffset * 10) / 10);
            put(stdout, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
        } else {
            QString line = name + QLatin1Char('\t') + SheetVerdict::text(verdict.kind) + QLatin1Char('\t')
                + sheet.sheetName;
            if (verdict.maxCornerOffset >= 0)
                line += QStringLiteral("\tcorners up to %1 px from the frame").arg(verdict.maxCornerOffset, 0, 'f', 1);
            if (!verdict.reason.isEmpty())
                line += QLatin1Char('\t') + verdict.reason;
            put(stdout, line + QLatin1Char('\n'));
        }
        std::fflush(stdout);
    }
    if (!json)
        put(stderr, QStringLiteral("%1 of %2 map files need a look\n").arg(needLook).arg(names.size() + unreadable.size()));
    return needLook > 0 ? 1 : 0;
}
