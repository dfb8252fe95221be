#include "cli/CheckCommand.h"
#include "cli/CoverageCommand.h"
#include "cli/CreateCommand.h"
#include "cli/FrameCommand.h"
#include "cli/InfoCommand.h"
#include "cli/SheetCommand.h"
#include "cli/UtilityCommand.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
const char *const kUsage =
    "Usage: quillmark-cli COMMAND [options] [arguments]\n"
    "\n"
    "Calibration files (OziExplorer .map) for scanned topographic map sheets.\n"
    "\n"
    "Commands:\n"
    "  create IMAGES_DIR   write a map file for every sheet image of a folder\n"
    "  sheet NAME...       show a sheet's identity and calibration points\n"
    "  info IMAGE...       show the pixel size of images\n"
    "  frame IMAGE...      find the sheet frame's corners in scans\n"
    "  corners MAPS_DIR    rewrite the corner markers of every map file\n"
    "  list MAPS_DIR       write _MapList.csv for the map files of a folder\n"
    "  strip-paths MAPS_DIR  strip the directory from the image path of every map file\n"
    "  check MAPS_DIR      check each map's calibration against the frame in its scan\n"
    "  coverage DIR        write a GeoJSON or KML file of the sheets a folder covers\n"
    "\n"
    "Run 'quillmark-cli COMMAND --help' for the options of a command.\n"
    "Exit codes: 0 done, 1 some file or name failed (or the output could not be written),\n"
    "2 usage error or missing folder.\n";

// Runs the command of `args`; returns its exit code.
int runCommand(const QStringList &args)
{
    if (args.size() < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString command = args.at(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        std::printf("quillmark-cli %s\n", QUILLMARK_VERSION);
        return 0;
    }

    // The command's own parser sees "quillmark-cli COMMAND" as its program name.
    QStringList rest = args.mid(2);
    rest.prepend(args.at(0) + QLatin1Char(' ') + command);

    if (command == QLatin1String("sheet"))
        return SheetCommand::run(rest);
    if (command == QLatin1String("info"))
        return InfoCommand::run(rest);
    if (command == QLatin1String("coverage"))
        return CoverageCommand::run(rest);
    if (command == QLatin1String("frame"))
        return FrameCommand::run(rest);
    if (command == QLatin1String("create"))
        return CreateCommand::run(rest);
    if (command == QLatin1String("check"))
        return CheckCommand::run(rest);
    if (command == QLatin1String("corners") || command == QLatin1String("list")
        || command == QLatin1String("strip-paths"))
        return UtilityCommand::run(command, rest);

    std::fprintf(stderr, "quillmark-cli: unknown command '%s'\n\n%s", qPrintable(command), kUsage);
    return 2;
}

// What a command printed reaches its reader only once standard output is
// flushed and closed: a full disk or a closed pipe shows there, if not on an
// earlier write. Output that was lost is an error (exit code 1 at least),
// never a success.
int closeOutput(int exitCode)
{
    errno = 0;
    bool lost = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    int error = errno;
    if (std::fclose(stdout) != 0) {
        lost = true;
        error = error ? error : errno;
    }
    if (!lost)
        return exitCode;
    std::fprintf(stderr, "quillmark-cli: cannot write the output%s%s\n", error ? ": " : "",
                 error ? std::strerror(error) : "");
    return exitCode == 0 ? 1 : exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmark-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    return closeOutput(runCommand(QCoreApplication::arguments()));
}
