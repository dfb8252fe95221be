#include "cli/SheetCommand.h"

#include "sheet/MapError.h"
#include "sheet/SheetFields.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetText.h"
#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetLocator.h"
#include "sheet/SheetName.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

#include <cstdio>

namespace {

const char *const kUsage =
    "Usage: quillmark-cli sheet NAME... [--scale S] [--mask M] [--json]\n"
    "       quillmark-cli sheet --at LAT,LON [--scale S] [--json]\n"
    "\n"
    "Shows the identity of each sheet name (an image file name; a path is cut to\n"
    "the file name), the form it is written in, its projection zone and central\n"
    "meridian, its map name and the latitude and longitude of its nine\n"
    "calibration points. A name that reads two ways (\"N-37-1\": 1:500K sheet А\n"
    "or 1:100K sheet 1) shows both readings; --scale chooses one.\n"
    "\n"
    "Options:\n"
    "  --scale S  1:1M, 1:500K, 1:200K, 1:100K, 1:50K, 1:25K or 1:10K (default: from the name)\n"
    "  --mask M   RCC-LLL or R-CC-LLL (default: from the name)\n"
    "  --json     one JSON object per name and line\n"
    "  --at LAT,LON  the sheet that holds this point (decimal degrees, south and\n"
    "             west negative; default scale 1:100K), named as the map creator\n"
    "             takes names. A point on the edge between sheets belongs to the\n"
    "             sheet to its north-east.\n"
    "\n"
    "Exit codes: 0 all names good, 1 some name failed a check, 2 usage error.\n";

const char *const kPointNames[9] = {
    "north-west corner", "north-east corner", "south-east corner", "south-west corner", "centre",
    "middle of north edge", "middle of west edge", "middle of east edge", "middle of south edge",
};

struct Options
{
    QStringList names;
    QString scale; // empty: guessed from each name
    QString mask;  // empty: guessed from each name
    bool json = false;
    QString at; // "LAT,LON" of --at
};

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

// The shortest text that reads back as the same double.
QString jsonNumber(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

struct Sheet
{
    SheetIdentity id;
    SheetName name; // how the name was read
    QString zone;
    QString centralMeridian;
    QString mapName;
    double lat[9] = {};
    double lon[9] = {};
    QString error;
};

Sheet evaluate(const QString &name, const Options &options)
{
    Sheet sheet;
    const QString fileName = Global::getFileName(name);
    sheet.name = SheetName::read(fileName, options.scale.isEmpty() ? SheetName::ByName : Global::scaleFromText(options.scale),
                                 options.mask);
    sheet.id = sheet.name.id;
    if (!sheet.id.ok()) {
        sheet.error = sheet.id.error;
        return sheet;
    }
    try {
        const SheetFields f = sheet.id.fields();
        sheet.zone = QString::number(SheetText::zone(f));
        sheet.centralMeridian = SheetText::centralMeridian(f);
        sheet.mapName = SheetText::mapName(f);
        for (int k = 1; k <= 9; ++k) {
            sheet.lat[k - 1] = SheetGeometry::latitude(f, k);
            sheet.lon[k - 1] = SheetGeometry::longitude(f, k);
        }
    } catch (const MapError &e) {
        sheet.error = fileName + QLatin1String(": ") + e.text();
    }
    return sheet;
}

QString jsonLine(const QString &name, const Sheet &s)
{
    if (!s.error.isEmpty())
        return QLatin1String("{\"name\":") + jsonString(name) + QLatin1String(",\"error\":") + jsonString(s.error)
            + QLatin1String("}\n");
    const SheetIdentity &id = s.id;
    QString points;
    for (int i = 0; i < 9; ++i) {
        if (i > 0)
            points += QLatin1Char(',');
        points += QLatin1String("{\"lat\":") + jsonNumber(s.lat[i]) + QLatin1String(",\"lon\":")
            + jsonNumber(s.lon[i]) + QLatin1Char('}');
    }
    QString line = QStringLiteral("{");
    line += QLatin1String("\"name\":") + jsonString(name);
    line += QLatin1String(",\"scale\":") + jsonString(Global::scaleText(id.scale));
    line += QLatin1String(",\"mask\":") + jsonString(id.mask);
    line += QLatin1String(",\"hemisphere\":") + jsonString(id.south ? QStringLiteral("S") : QStringLiteral("N"));
    line += QLatin1String(",\"row\":") + QString::number(id.row);
    line += QLatin1String(",\"col\":") + QString::number(id.col);
    line += QLatin1String(",\"list\":") + QString::number(id.list);
    line += QLatin1String(",\"list50\":") + QString::number(id.list50);
    line += QLatin1String(",\"list25\":") + QString::number(id.list25);
    if (id.scale == 10)
        line += QLatin1String(",\"list10\":") + QString::number(id.list10);
    line += QLatin1String(",\"zone\":") + s.zone;
    line += QLatin1String(",\"central_meridian\":") + jsonString(s.centralMeridian);
    line += QLatin1String(",\"map_name\":") + jsonString(s.mapName);
    line += QLatin1String(",\"form\":") + jsonString(s.name.form);
    QString readings;
    for (const SheetName::Reading &r : s.name.readings) {
        if (!readings.isEmpty())
            readings += QLatin1Char(',');
        readings += QLatin1String("{\"scale\":") + jsonString(Global::scaleText(r.id.scale))
            + QLatin1String(",\"map_name\":") + jsonString(SheetText::mapName(r.id.fields()))
            + QLatin1String(",\"form\":") + jsonString(r.form) + QLatin1Char('}');
    }
    line += QLatin1String(",\"readings\":[") + readings + QLatin1Char(']');
    line += QLatin1String(",\"points\":[") + points + QLatin1String("]}\n");
    return line;
}

QString plainText(const QString &name, const Sheet &s)
{
    const SheetIdentity &id = s.id;
    QString t;
    t += name + QLatin1Char('\n');
    if (!s.name.form.isEmpty())
        t += QStringLiteral("  form: %1\n").arg(s.name.form);
    else
        t += QStringLiteral("  form: none; read by position\n");
    for (qsizetype i = 1; i < s.name.readings.size(); ++i) {
        const SheetName::Reading &r = s.name.readings.at(i);
        t += QStringLiteral("  also reads as %1 (%2): --scale %3 takes it\n")
                 .arg(SheetName::describe(r.id), r.form, Global::scaleText(r.id.scale));
    }
    if (s.name.form.isEmpty() && !s.name.warning.isEmpty())
        t += QStringLiteral("  warning: %1\n").arg(s.name.warning);
    if (s.name.otherScale())
        t += QStringLiteral("  warning: the name reads as a %1 sheet; it is read at %2 by position\n")
                 .arg(Global::scaleText(s.name.nameScale), Global::scaleText(id.scale));
    t += QStringLiteral("  scale %1, mask %2, hemisphere %3\n")
             .arg(Global::scaleText(id.scale), id.mask, id.south ? QStringLiteral("S") : QStringLiteral("N"));
    t += QStringLiteral("  row %1, column %2, list %3, 1:50K letter %4, 1:25K letter %5\n")
             .arg(id.row)
             .arg(id.col)
             .arg(id.list)
             .arg(id.list50)
             .arg(id.list25);
    if (id.scale == 10)
        t.insert(t.size() - 1, QStringLiteral(", 1:10K number %1").arg(id.list10));
    t += QStringLiteral("  zone %1, central meridian %2\n").arg(s.zone, s.centralMeridian);
    t += QStringLiteral("  map name %1\n").arg(s.mapName);
    t += QStringLiteral("   k  %1  %2  %3\n")
             .arg(QStringLiteral("point"), -20)
             .arg(QStringLiteral("latitude"), 14)
             .arg(QStringLiteral("longitude"), 14);
    for (int i = 0; i < 9; ++i) {
        t += QStringLiteral("  %1  %2  %3  %4\n")
                 .arg(i + 1, 2)
                 .arg(QString::fromLatin1(kPointNames[i]), -20)
                 .arg(s.lat[i], 14, 'f', 9)
                 .arg(s.lon[i], 14, 'f', 9);
    }
    return t;
}

// Parses the options; returns -1 when the command should run, else the exit code.
int parse(const QStringList &args, Options &options)
{
    const QString program = args.value(0, QStringLiteral("quillmark-cli sheet"));
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            options.names.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == QLatin1String("--json")) {
            options.json = true;
        } else if (arg == QLatin1String("--scale") || arg.startsWith(QLatin1String("--scale="))) {
            QString value;
            if (arg.contains(QLatin1Char('='))) {
                value = arg.section(QLatin1Char('='), 1);
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                return usageError(program, QStringLiteral("--scale needs a value"));
            }
            if (Global::scaleFromText(value) == 0)
                return usageError(program, QStringLiteral("unknown scale '%1' (1:1M, 1:500K, 1:200K, 1:100K, 1:50K, 1:25K, 1:10K)").arg(value));
            options.scale = value;
        } else if (arg == QLatin1String("--at") || arg.startsWith(QLatin1String("--at="))) {
            if (arg.contains(QLatin1Char('='))) {
                options.at = arg.section(QLatin1Char('='), 1);
            } else if (i + 1 < args.size()) {
                options.at = args.at(++i);
            } else {
                return usageError(program, QStringLiteral("--at needs LAT,LON"));
            }
        } else if (arg == QLatin1String("--mask") || arg.startsWith(QLatin1String("--mask="))) {
            QString value;
            if (arg.contains(QLatin1Char('='))) {
                value = arg.section(QLatin1Char('='), 1);
            } else if (i + 1 < args.size()) {
                value = args.at(++i);
            } else {
                return usageError(program, QStringLiteral("--mask needs a value"));
            }
            if (value != QLatin1String("RCC-LLL") && value != QLatin1String("R-CC-LLL"))
                return usageError(program, QStringLiteral("unknown mask '%1' (RCC-LLL or R-CC-LLL)").arg(value));
            options.mask = value;
        } else {
            return usageError(program, QStringLiteral("unknown option '%1'").arg(arg));
        }
    }
    if (!options.at.isEmpty()) {
        if (!options.names.isEmpty())
            return usageError(program, QStringLiteral("give either --at or sheet names"));
        const QStringList parts = options.at.split(QLatin1Char(','));
        bool latOk = false;
        bool lonOk = false;
        if (parts.size() == 2) {
            parts.at(0).trimmed().toDouble(&latOk);
            parts.at(1).trimmed().toDouble(&lonOk);
        }
        if (!latOk || !lonOk)
            return usageError(program, QStringLiteral("--at wants LAT,LON in decimal degrees, not '%1'").arg(options.at));
        return -1;
    }
    if (options.names.isEmpty())
        return usageError(program, QStringLiteral("no sheet name given"));
    return -1;
}

} // namespace

int SheetCommand::run(const QStringList &args)
{
    Options options;
    const int parsed = parse(args, options);
    if (parsed >= 0)
        return parsed;

    if (!options.at.isEmpty()) {
        const QStringList parts = options.at.split(QLatin1Char(','));
        const double lat = parts.at(0).trimmed().toDouble();
        const double lon = parts.at(1).trimmed().toDouble();
        const QString scaleText = options.scale.isEmpty() ? QStringLiteral("1:100K") : options.scale;
        const SheetLocator::Result found = SheetLocator::locate(lat, lon, Global::scaleFromText(scaleText));
        Sheet sheet;
        QString name = found.name;
        if (found.ok()) {
            Options named = options;
            named.scale = scaleText;
            named.mask = QStringLiteral("R-CC-LLL");
            sheet = evaluate(found.name, named);
        } else {
            sheet.error = found.error;
            name = options.at;
        }
        if (options.json) {
            put(stdout, jsonLine(name, sheet));
        } else if (!sheet.error.isEmpty()) {
            put(stderr, QLatin1String("Error: ") + sheet.error + QLatin1Char('\n'));
        } else {
            put(stdout, plainText(name, sheet));
        }
        std::fflush(stdout);
        return sheet.error.isEmpty() ? 0 : 1;
    }

    int exitCode = 0;
    bool first = true;
    for (const QString &name : std::as_const(options.names)) {
        const Sheet sheet = evaluate(name, options);
        if (!sheet.error.isEmpty())
            exitCode = 1;
        if (options.json) {
            put(stdout, jsonLine(name, sheet));
        } else if (!sheet.error.isEmpty()) {
            std::fflush(stdout);
            put(stderr, QLatin1String("Error: ") + sheet.error + QLatin1Char('\n'));
        } else {
            if (!first)
                std::fputs("\n", stdout);
            put(stdout, plainText(name, sheet));
            first = false;
        }
    }
    std::fflush(stdout);
    return exitCode;
}
