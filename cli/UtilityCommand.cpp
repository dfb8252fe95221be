#include "cli/UtilityCommand.h"

#include "cli/ConsoleObserver.h"
#include "tools/CornerMarkersRun.h"
#include "tools/MapListRun.h"
#include "tools/PathRemoverRun.h"
#include "tools/RunResult.h"

#include <cstdio>

namespace {

void printUsage(std::FILE *stream, const QString &program, const QString &command)
{
    QString what;
    if (command == QLatin1String("corners"))
        what = QStringLiteral("Rewrites the four MMPXY and four MMPLL lines of every map file of MAPS_DIR\n"
                              "from its calibration points.\n");
    else if (command == QLatin1String("list"))
        what = QStringLiteral("Writes MAPS_DIR/_MapList.csv with one record per map file.\n");
    else
        what = QStringLiteral("Strips the directory from the image path of every map file of MAPS_DIR.\n");
    const QString text = QStringLiteral("Usage: ") + program + QStringLiteral(" MAPS_DIR [--on-error continue|stop]\n\n")
        + what
        + QStringLiteral("\nOptions:\n"
                         "  --on-error continue|stop  after a bad file go on (default) or stop the run\n"
                         "  -h, --help                show this help\n")
        + (command == QLatin1String("list")
               ? QStringLiteral("  --encoding windows-1251|utf-8  text of the list (default windows-1251)\n")
               : QString())
        + QStringLiteral(
                         "\nExit codes: 0 done, 1 some file failed, 2 usage error or missing folder.\n");
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int usageError(const QString &program, const QString &command, const QString &problem)
{
    std::fputs((program + QStringLiteral(": ") + problem + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    printUsage(stderr, program, command);
    return 2;
}

} // namespace

int UtilityCommand::run(const QString &command, const QStringList &args)
{
    const QString program = args.isEmpty() ? QStringLiteral("quillmark-cli ") + command : args.at(0);
    ConsoleObserver::OnError onError = ConsoleObserver::OnError::Continue;
    MapTextEncoding::Kind encoding = MapTextEncoding::Windows1251;
    QStringList folders;
    bool optionsEnded = false;

    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            folders.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            printUsage(stdout, program, command);
            return 0;
        } else if (arg == QLatin1String("--on-error") || arg.startsWith(QLatin1String("--on-error="))) {
            QString value;
            if (arg == QLatin1String("--on-error")) {
                if (i + 1 >= args.size())
                    return usageError(program, command, QStringLiteral("--on-error needs a value: continue or stop"));
                value = args.at(++i);
            } else {
                value = arg.mid(int(qstrlen("--on-error=")));
            }
            if (!ConsoleObserver::parseOnError(value, onError))
                return usageError(program, command,
                                  QStringLiteral("--on-error takes continue or stop, not '") + value + QLatin1Char('\''));
        } else if (command == QLatin1String("list")
                   && (arg == QLatin1String("--encoding") || arg.startsWith(QLatin1String("--encoding=")))) {
            QString value;
            if (arg == QLatin1String("--encoding")) {
                if (i + 1 >= args.size())
                    return usageError(program, command, QStringLiteral("--encoding needs a value: windows-1251 or utf-8"));
                value = args.at(++i);
            } else {
                value = arg.mid(int(qstrlen("--encoding=")));
            }
            if (!MapTextEncoding::fromName(value, encoding))
                return usageError(program, command,
                                  QStringLiteral("--encoding takes windows-1251 or utf-8, not '") + value
                                      + QLatin1Char('\''));
        } else {
            return usageError(program, command, QStringLiteral("unknown option '") + arg + QLatin1Char('\''));
        }
    }

    if (folders.isEmpty())
        return usageError(program, command, QStringLiteral("MAPS_DIR is missing"));
    if (folders.size() > 1)
        return usageError(program, command, QStringLiteral("one MAPS_DIR only"));

    ConsoleObserver observer(onError);
    RunResult result;
    if (command == QLatin1String("corners"))
        result = CornerMarkersRun::run(folders.first(), observer);
    else if (command == QLatin1String("list"))
        result = MapListRun::runWithEncoding(folders.first(), observer, encoding);
    else if (command == QLatin1String("strip-paths"))
        result = PathRemoverRun::run(folders.first(), observer);
    else
        return usageError(program, command, QStringLiteral("unknown command '") + command + QLatin1Char('\''));
    if (!result.folderMissing)
        observer.printSummary();
    return result.exitCode();
}
