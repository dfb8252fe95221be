#include "cli/CreateCommand.h"

#include "cli/ConsoleObserver.h"
#include "cli/FrameModule.h"
#include "sheet/Global.h"
#include "tools/MapCreatorGuess.h"
#include "tools/MapCreatorOptions.h"
#include "tools/MapCreatorRun.h"
#include "tools/RunResult.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

namespace {

const char *const kHelp =
    "Usage: quillmark-cli create IMAGES_DIR [options]\n"
    "\n"
    "Writes an OziExplorer map file for every sheet image of IMAGES_DIR, named\n"
    "after the image (N-37-001.jpg -> N-37-001.map). \"auto\" takes what the\n"
    "folder's first image name tells, as the desktop program does; with --scale\n"
    "auto each sheet is calibrated at the scale its own name reads as (\"By name\"),\n"
    "so a folder of mixed scales comes out right in one run.\n"
    "\n"
    "Options:\n"
    "  --out DIR              folder for the map files (default: IMAGES_DIR)\n"
    "  --scale S              auto|1:1M|1:500K|1:200K|1:100K|1:50K|1:25K|1:10K (default auto: by each name)\n"
    "  --mask M               auto|RCC-LLL|R-CC-LLL (default auto, else RCC-LLL)\n"
    "  --points N             auto|4|5|9 calibration points (default auto: 4 at 1:50K and below, else 5)\n"
    "  --grid G               auto|ll|m|off grid lines (default auto: ll at 1:1M and 1:500K, else m,\n"
    "                         by the first image's scale; the grid steps follow each sheet's scale)\n"
    "  --margins T,B,S        blank margins in percent: top, bottom, each side (default 5,5,3)\n"
    "  --skip-existing        leave existing map files untouched\n"
    "  --find-frame           place the corners on the sheet frame found in each scan\n"
    "                         (the margins where none is found)\n"
    "  --on-error A           continue|stop after a file that fails (default continue)\n"
    "  --encoding E           windows-1251|utf-8 text of new map files (default windows-1251);\n"
    "                         a map file that exists keeps its own encoding\n"
    "  -h, --help             this text\n"
    "\n"
    "Exit codes: 0 every file done, 1 some file failed, 2 usage error or missing folder.\n";

int usageError(const QString &text)
{
    std::fprintf(stderr, "quillmark-cli create: %s\n\nRun 'quillmark-cli create --help' for the options.\n",
                 qPrintable(text));
    return 2;
}

bool oneOf(const QString &value, const QStringList &allowed)
{
    return allowed.contains(value);
}

// Grid and point count that go with a scale when the user leaves them to us.
void applyScaleDefaults(const QString &scale, MapCreatorOptions &options, bool gridAuto, bool pointsAuto)
{
    const bool small = scale == QLatin1String("1:1M") || scale == QLatin1String("1:500K");
    if (gridAuto)
        options.gridMode = small ? 2 : 1;
    if (pointsAuto)
        options.pointsText = MapCreatorGuess::defaultPoints(Global::scaleFromText(scale));
}

} // namespace

int CreateCommand::run(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption outOpt(QStringLiteral("out"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption scaleOpt(QStringLiteral("scale"), QString(), QStringLiteral("S"), QStringLiteral("auto"));
    const QCommandLineOption maskOpt(QStringLiteral("mask"), QString(), QStringLiteral("M"), QStringLiteral("auto"));
    const QCommandLineOption pointsOpt(QStringLiteral("points"), QString(), QStringLiteral("N"), QStringLiteral("auto"));
    const QCommandLineOption gridOpt(QStringLiteral("grid"), QString(), QStringLiteral("G"), QStringLiteral("auto"));
    const QCommandLineOption marginsOpt(QStringLiteral("margins"), QString(), QStringLiteral("T,B,S"),
                                        QStringLiteral("5,5,3"));
    const QCommandLineOption skipOpt(QStringLiteral("skip-existing"));
    const QCommandLineOption frameOpt(QStringLiteral("find-frame"));
    const QCommandLineOption onErrorOpt(QStringLiteral("on-error"), QString(), QStringLiteral("A"),
                                        QStringLiteral("continue"));
    const QCommandLineOption encodingOpt(QStringLiteral("encoding"), QString(), QStringLiteral("E"),
                                         QStringLiteral("windows-1251"));
    const QCommandLineOption helpOpt(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({outOpt, scaleOpt, maskOpt, pointsOpt, gridOpt, marginsOpt, skipOpt, frameOpt, onErrorOpt,
                       encodingOpt, helpOpt});

    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.isSet(helpOpt)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(positional.isEmpty() ? QStringLiteral("IMAGES_DIR is missing")
                                               : QStringLiteral("only one IMAGES_DIR may be given"));

    const QString scale = parser.value(scaleOpt);
    const QString mask = parser.value(maskOpt);
    const QString points = parser.value(pointsOpt);
    const QString grid = parser.value(gridOpt);
    if (!oneOf(scale, {"auto", "1:1M", "1:500K", "1:200K", "1:100K", "1:50K", "1:25K", "1:10K"}))
        return usageError(QStringLiteral("unknown --scale '%1'").arg(scale));
    if (!oneOf(mask, {"auto", "RCC-LLL", "R-CC-LLL"}))
        return usageError(QStringLiteral("unknown --mask '%1'").arg(mask));
    if (!oneOf(points, {"auto", "4", "5", "9"}))
        return usageError(QStringLiteral("unknown --points '%1'").arg(points));
    if (!oneOf(grid, {"auto", "ll", "m", "off"}))
        return usageError(QStringLiteral("unknown --grid '%1'").arg(grid));
    const QStringList margins = parser.value(marginsOpt).split(QLatin1Char(','));
    if (margins.size() != 3)
        return usageError(QStringLiteral("--margins takes TOP,BOTTOM,SIDE"));
    ConsoleObserver::OnError onError = ConsoleObserver::OnError::Continue;
    if (!ConsoleObserver::parseOnError(parser.value(onErrorOpt), onError))
        return usageError(QStringLiteral("unknown --on-error '%1'").arg(parser.value(onErrorOpt)));

    MapTextEncoding::Kind encoding = MapTextEncoding::Windows1251;
    if (!MapTextEncoding::fromName(parser.value(encodingOpt), encoding))
        return usageError(QStringLiteral("unknown --encoding '%1' (windows-1251 or utf-8)").arg(parser.value(encodingOpt)));

    MapCreatorOptions options; // the window's load defaults
    options.encoding = encoding;
    options.inFolder = positional.at(0);
    options.outFolder = parser.isSet(outOpt) ? parser.value(outOpt) : options.inFolder;
    options.marginTop = margins.at(0).trimmed();
    options.marginBottom = margins.at(1).trimmed();
    options.marginSide = margins.at(2).trimmed();
    options.skipExisting = parser.isSet(skipOpt);
    if (parser.isSet(frameOpt)) {
        QString error;
        if (!FrameModule::load(error)) {
            std::fprintf(stderr, "quillmark-cli create: %s\n", qPrintable(error));
            return 2;
        }
        options.findFrame = FrameModule::cornerSource();
    }

    // What the window would guess from the folder's first image (no settings);
    // with scale and mask given there is nothing left to guess from it.
    if (scale == QLatin1String("auto") || mask == QLatin1String("auto"))
        MapCreatorGuess::setByImageName(MapCreatorGuess::getFirstImage(options.inFolder), options);
    if (scale != QLatin1String("auto")) {
        options.scaleText = scale;
        options.scaleGuessed = false;
        applyScaleDefaults(scale, options, grid == QLatin1String("auto"), points == QLatin1String("auto"));
    } else {
        options.scaleText = QStringLiteral("auto");
        if (points == QLatin1String("auto")) {
            for (int s : {1000, 500, 200, 100, 50, 25, 10})
                options.pointsOfScale.insert(s, MapCreatorGuess::defaultPoints(s));
        }
    }
    if (mask != QLatin1String("auto"))
        options.maskText = mask;
    if (points != QLatin1String("auto"))
        options.pointsText = points;
    if (grid == QLatin1String("ll"))
        options.gridMode = 2;
    else if (grid == QLatin1String("m"))
        options.gridMode = 1;
    else if (grid == QLatin1String("off"))
        options.gridMode = 0;

    ConsoleObserver observer(onError);
    const RunResult result = MapCreatorRun::run(options, observer);
    if (!result.folderMissing)
        observer.printSummary();
    return result.exitCode();
}
