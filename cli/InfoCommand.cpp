#include "cli/InfoCommand.h"

#include "imageinfo/CImageInfo.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace {

const char *const kUsage =
    "Usage: quillmark-cli info IMAGE... [--json]\n"
    "\n"
    "Shows the width, height, colour depth and kind of each image, read from the\n"
    "header in the first 64 KiB of the file (JPEG, PNG, GIF, BMP). Other files\n"
    "show 0 x 0 and the kind \"unknown\".\n"
    "\n"
    "Options:\n"
    "  --json  one JSON object per image and line: file, width, height, depth and\n"
    "          type (0 unknown, 1 GIF, 2 JPEG, 3 PNG, 4 BMP); a file that cannot be\n"
    "          read gives an object with file and error\n"
    "\n"
    "Exit codes: 0 all files read, 1 some file could not be read, 2 usage error.\n";

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

// A JSON string literal, escaped by Qt's own writer.
QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString typeName(int type)
{
    switch (type) {
    case CImageInfo::Gif:
        return QStringLiteral("GIF");
    case CImageInfo::Jpeg:
        return QStringLiteral("JPEG");
    case CImageInfo::Png:
        return QStringLiteral("PNG");
    case CImageInfo::Bmp:
        return QStringLiteral("BMP");
    default:
        return QStringLiteral("unknown");
    }
}

} // namespace

int InfoCommand::run(const QStringList &args)
{
    const QString program = args.value(0, QStringLiteral("quillmark-cli info"));
    QStringList files;
    bool json = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            files.append(arg);
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == QLatin1String("--json")) {
            json = true;
        } else {
            return usageError(program, QStringLiteral("unknown option '%1'").arg(arg));
        }
    }
    if (files.isEmpty())
        return usageError(program, QStringLiteral("no image given"));

    int exitCode = 0;
    CImageInfo info;
    for (const QString &file : std::as_const(files)) {
        const bool ok = info.ReadImageInfo(file);
        if (!ok) {
            exitCode = 1;
            if (json) {
                put(stdout, QLatin1String("{\"file\":") + jsonString(file) + QLatin1String(",\"error\":")
                                + jsonString(info.errorString()) + QLatin1String("}\n"));
            } else {
                std::fflush(stdout);
                put(stderr, QLatin1String("Error: ") + info.errorString() + QLatin1Char('\n'));
            }
            continue;
        }
        if (json) {
            put(stdout, QStringLiteral("{\"file\":%1,\"width\":%2,\"height\":%3,\"depth\":%4,\"type\":%5}\n")
                            .arg(jsonString(file))
                            .arg(info.Width())
                            .arg(info.Height())
                            .arg(int(info.Depth()))
                            .arg(info.ImageType()));
        } else {
            put(stdout, QStringLiteral("%1: %2 x %3, %4 bits per pixel, %5\n")
                            .arg(file)
                            .arg(info.Width())
                            .arg(info.Height())
                            .arg(int(info.Depth()))
                            .arg(typeName(info.ImageType())));
        }
    }
    std::fflush(stdout);
    return exitCode;
}
