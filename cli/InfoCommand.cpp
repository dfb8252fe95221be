#include "cli/InfoCommand.h"

#include "imageinfo/CImageInfo.h"
#include "imageinfo/ImageLimits.h"
#include "imageinfo/KapHeader.h"
#include "imageinfo/TiffHeader.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

const char *const kUsage =
    "Usage: quillmark-cli info IMAGE... [--json]\n"
    "\n"
    "Shows the width, height, colour depth and kind of each image, read from the\n"
    "header in the first 64 KiB of the file (JPEG, PNG, GIF, BMP). TIFF (classic\n"
    "and BigTIFF) and BSB charts (.KAP, .CAP) show the size from their own header\n"
    "(kind \"TIFF\" or \"KAP\"; a header that cannot be read gives its reason).\n"
    "Other files show 0 x 0 and the kind \"unknown\". An image with a side longer\n"
    "than a map file can hold (32767 pixels) gets a warning (JSON: \"warning\").\n"
    "\n"
    "Options:\n"
    "  --json  one JSON object per image and line: file, width, height, depth and\n"
    "          type (0 unknown, 1 GIF, 2 JPEG, 3 PNG, 4 BMP, 5 TIFF, 6 KAP); TIFF and\n"
    "          KAP objects carry a \"kind\" and no depth; a file that cannot be read\n"
    "          gives an object with file and error\n"
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

// A size that no map file can hold gets the map tools' message as a warning.
// The warning as a last member of a JSON object: ',"warning":"..."', or nothing.
QString jsonWarning(const QString &warning)
{
    return warning.isEmpty() ? QString() : QLatin1String(",\"warning\":") + jsonString(warning);
}

void printWarning(const QString &file, const QString &warning)
{
    if (warning.isEmpty())
        return;
    std::fflush(stdout);
    put(stderr, QLatin1String("Warning: ") + file + QLatin1String(": ") + warning + QLatin1Char('\n'));
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

// The size of a TIFF or BSB chart, from its own header. `handled` is false
// for a file of neither kind; otherwise `error` is empty or says why the
// header cannot be read.
struct OwnHeader
{
    bool handled = false;
    quint64 width = 0;
    quint64 height = 0;
    int type = 0;
    QString kind;
    QString error;
};

OwnHeader readOwnHeader(const QString &file)
{
    OwnHeader h;
    TiffHeader tiff;
    const bool tiffRead = tiff.read(file);
    if (tiff.isTiff()) {
        h.handled = true;
        h.type = 5;
        h.kind = tiff.kindText();
        h.width = tiff.width();
        h.height = tiff.height();
        if (!tiffRead)
            h.error = file + QLatin1String(": ") + tiff.errorString();
        return h;
    }
    const QString upper = file.toUpper();
    if (upper.endsWith(QLatin1String(".KAP")) || upper.endsWith(QLatin1String(".CAP"))) {
        KapHeader kap;
        h.handled = true;
        h.type = 6;
        h.kind = QStringLiteral("KAP");
        if (kap.read(file)) {
            h.width = kap.width();
            h.height = kap.height();
        } else {
            h.error = file + QLatin1String(": ") + kap.errorString();
        }
    }
    return h;
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
        if (info.ImageType() == CImageInfo::Unknown) {
            const OwnHeader own = readOwnHeader(file);
            if (own.handled && !own.error.isEmpty()) {
                exitCode = 1;
                if (json) {
                    put(stdout, QLatin1String("{\"file\":") + jsonString(file) + QLatin1String(",\"error\":")
                                    + jsonString(own.error) + QLatin1String("}\n"));
                } else {
                    std::fflush(stdout);
                    put(stderr, QLatin1String("Error: ") + own.error + QLatin1Char('\n'));
                }
                continue;
            }
            if (own.handled) {
                const QString warning = ImageLimits::sideProblem(qint64(std::min<quint64>(own.width, LLONG_MAX)),
                                                    qint64(std::min<quint64>(own.height, LLONG_MAX)));
                if (json) {
                    put(stdout, QStringLiteral("{\"file\":%1,\"width\":%2,\"height\":%3,\"type\":%4,\"kind\":%5%6}\n")
                                    .arg(jsonString(file))
                                    .arg(own.width)
                                    .arg(own.height)
                                    .arg(own.type)
                                    .arg(jsonString(own.kind), jsonWarning(warning)));
                } else {
                    put(stdout, QStringLiteral("%1: %2 x %3, %4\n").arg(file).arg(own.width).arg(own.height).arg(own.kind));
                    printWarning(file, warning);
                }
                continue;
            }
        }
        const QString warning = ImageLimits::sideProblem(info.Width(), info.Height());
        if (json) {
            put(stdout, QStringLiteral("{\"file\":%1,\"width\":%2,\"height\":%3,\"depth\":%4,\"type\":%5%6}\n")
                            .arg(jsonString(file))
                            .arg(info.Width())
                            .arg(info.Height())
                            .arg(int(info.Depth()))
                            .arg(info.ImageType())
                            .arg(jsonWarning(warning)));
        } else {
            put(stdout, QStringLiteral("%1: %2 x %3, %4 bits per pixel, %5\n")
                            .arg(file)
                            .arg(info.Width())
                            .arg(info.Height())
                            .arg(int(info.Depth()))
                            .arg(typeName(info.ImageType())));
            printWarning(file, warning);
        }
    }
    std::fflush(stdout);
    return exitCode;
}
