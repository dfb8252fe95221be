#include "cli/CoverageCommand.h"

#include "cli/ConsoleObserver.h"
#include "tools/CoverageFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {

const char *const kUsage =
    "Usage: quillmark-cli coverage DIR [--format geojson|kml] [-o FILE] [--from-names]\n"
    "\n"
    "Writes the coverage of a folder of sheets: one polygon per map file through\n"
    "its points 1..4 in degrees, with the properties sheet, map, image and scale.\n"
    "A map file without four usable points gets a warning and is left out.\n"
    "\n"
    "Options:\n"
    "  --format F    geojson (default; RFC 7946, longitude first) or kml (one\n"
    "                placemark per sheet, named after it)\n"
    "  -o FILE       write to FILE (default: standard output)\n"
    "  --from-names  take the sheet images of the folder and their sheet names\n"
    "                instead of map files\n"
    "\n"
    "Exit codes: 0 done, 1 some file was left out, 2 usage error or missing folder.\n";

int usageError(const QString &program, const QString &message)
{
    std::fputs((program + QLatin1String(": ") + message + QLatin1String("\n\n")).toUtf8().constData(), stderr);
    std::fputs(kUsage, stderr);
    return 2;
}

// Writes the coverage to `path`; false with the reason in `error`. A new or
// regular file is replaced whole (written beside it, then renamed); what is
// not a regular file (a device such as /dev/stdout, a FIFO) is written to as
// it is, never replaced. The write counts only once it is flushed and closed.
bool writeOutput(const QString &path, const QByteArray &bytes, QString &error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()) {
            error = file.errorString();
            return false;
        }
        file.close();
        if (file.error() != QFileDevice::NoError) {
            error = file.errorString();
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

int CoverageCommand::run(const QStringList &args)
{
    const QString program = args.value(0, QStringLiteral("quillmark-cli coverage"));
    QString folder;
    QString format = QStringLiteral("geojson");
    QString output;
    bool fromNames = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        auto value = [&](QString &target) {
            if (arg.contains(QLatin1Char('=')) && arg.startsWith(QLatin1String("--"))) {
                target = arg.section(QLatin1Char('='), 1);
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            target = args.at(++i);
            return true;
        };
        if (arg == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == QLatin1String("--from-names")) {
            fromNames = true;
        } else if (arg == QLatin1String("--format") || arg.startsWith(QLatin1String("--format="))) {
            if (!value(format))
                return usageError(program, QStringLiteral("--format needs a value"));
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--output")
                   || arg.startsWith(QLatin1String("--output="))) {
            if (!value(output))
                return usageError(program, QStringLiteral("%1 needs a file name").arg(arg));
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return usageError(program, QStringLiteral("unknown option '%1'").arg(arg));
        } else if (folder.isEmpty()) {
            folder = arg;
        } else {
            return usageError(program, QStringLiteral("one folder only ('%1' is a second)").arg(arg));
        }
    }
    format = format.toLower();
    if (format != QLatin1String("geojson") && format != QLatin1String("kml"))
        return usageError(program, QStringLiteral("unknown format '%1' (geojson or kml)").arg(format));
    if (folder.isEmpty())
        return usageError(program, QStringLiteral("no folder given"));
    if (!QFileInfo(folder).isDir()) {
        std::fputs(("Error: Folder " + folder + " is not exist\n").toUtf8().constData(), stderr);
        return 2;
    }

    ConsoleObserver observer;
    int leftOut = 0;
    const QList<CoverageFile::Feature> features = fromNames ? CoverageFile::fromNames(folder, observer, &leftOut)
                                                            : CoverageFile::fromMaps(folder, observer, &leftOut);
    const QByteArray bytes = format == QLatin1String("kml") ? CoverageFile::kml(features)
                                                            : CoverageFile::geoJson(features);
    observer.status(QString());
    if (output.isEmpty() || output == QLatin1String("-")) {
        // A write that fails here is reported when standard output is closed.
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
    } else {
        QString error;
        if (!writeOutput(output, bytes, error)) {
            std::fputs(("Error: cannot write " + output + ": " + error + "\n").toUtf8().constData(), stderr);
            return 1;
        }
        std::fputs(QStringLiteral("%1 sheets written to %2\n").arg(features.size()).arg(output).toUtf8().constData(),
                   stdout);
    }
    return leftOut > 0 ? 1 : 0;
}
