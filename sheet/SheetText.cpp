#include "sheet/SheetText.h"

#include "sheet/MapError.h"
#include "sheet/Numeric.h"

#include <cmath>

#include <QCoreApplication>

namespace {

const QString kRowLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV");
const QString kCapitalLetters = QStringLiteral("\u0410\u0411\u0412\u0413"); // А Б В Г
const QString kSmallLetters = QStringLiteral("\u0430\u0431\u0432\u0433");   // а б в г

qint16 i16(long long value)
{
    return Numeric::toInt16(value);
}

// The i-th character (1-based) of a letter set; empty text outside it.
QString letterAt(const QString &letters, long long index)
{
    if (index < 1 || index > letters.size())
        return QString();
    return letters.at(index - 1);
}

// The 1:10K sheet number 1..4 as its digit; empty text outside it.
QString sheetDigit(long long value)
{
    return value >= 1 && value <= 4 ? QString::number(value) : QString();
}

QString twoDigits(long long value)
{
    return Numeric::zeroPad(value, 2);
}

QString threeDigits(long long value)
{
    return Numeric::zeroPad(value, 3);
}

// A short ASCII text put together without a text object per piece.
class ShortText
{
public:
    void add(char c)
    {
        if (m_size < int(sizeof m_chars))
            m_chars[m_size++] = c;
    }
    void add(const char *text)
    {
        while (*text)
            add(*text++);
    }
    // A whole number, at least `width` digits with leading zeros.
    void add(unsigned long long value, int width)
    {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = char('0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (int i = n; i < width; ++i)
            add('0');
        while (n > 0)
            add(digits[--n]);
    }
    // A whole-valued double as "f" with no decimals writes it; false (and
    // nothing added) for values it leaves to the general conversion.
    bool addWhole(double value)
    {
        if (!(std::fabs(value) < 1e15) || value != std::trunc(value) || (value == 0 && std::signbit(value)))
            return false;
        if (value < 0)
            add('-');
        add(static_cast<unsigned long long>(std::fabs(value)), 1);
        return true;
    }
    QString text() const
    {
        return QString::fromLatin1(m_chars, m_size);
    }

private:
    char m_chars[96];
    int m_size = 0;
};

// Whole degrees and the six-decimal fraction, as both decimal-degree texts
// write them. The fraction is rounded half to even; a fraction that rounds to
// a whole degree carries into the degrees, and a value between -1 and 0 keeps
// its minus sign.
QString sixDecimals(double wholePart, double value)
{
    double whole = wholePart;
    double frac = Numeric::roundHalfEven(std::fabs(value - whole) * 1000000.0);
    if (frac >= 1000000.0) {
        whole += value < 0 ? -1.0 : 1.0;
        frac = 0;
    }
    ShortText text;
    if (whole == 0 && value < 0 && frac > 0)
        text.add("-0");
    else if (!text.addWhole(whole))
        return QString::number(whole, 'f', 0) + QLatin1Char('.') + Numeric::zeroPad(static_cast<long long>(frac), 6);
    text.add('.');
    if (frac < 0)
        return text.text() + Numeric::zeroPad(static_cast<long long>(frac), 6);
    text.add(static_cast<unsigned long long>(frac), 6);
    return text.text();
}

// Degrees, minutes with four decimals, as the point lines carry them.
// The minutes are written with a leading blank (" #0" / " ##0").
QString degreesMinutes(double value, QChar hemisphere)
{
    const double a = std::fabs(value);
    const qint16 deg = Numeric::toInt16(std::trunc(a));
    const double m = Numeric::roundHalfEven((a - deg) * 60.0 * 10000.0) / 10000.0;
    const double mi = std::trunc(m);
    const qint16 mf = Numeric::toInt16((m - mi) * 10000.0);
    ShortText text;
    if (deg < 0 || mf < 0 || !hemisphere.isPrint() || hemisphere.unicode() >= 0x80) {
        return QString::number(deg) + QLatin1String(", ") + QString::number(mi, 'f', 0) + QLatin1Char('.')
            + Numeric::zeroPad(mf, 4) + QLatin1Char(',') + hemisphere;
    }
    text.add(static_cast<unsigned long long>(deg), 1);
    text.add(", ");
    if (!text.addWhole(mi)) {
        return QString::number(deg) + QLatin1String(", ") + QString::number(mi, 'f', 0) + QLatin1Char('.')
            + Numeric::zeroPad(mf, 4) + QLatin1Char(',') + hemisphere;
    }
    text.add('.');
    text.add(static_cast<unsigned long long>(mf), 4);
    text.add(',');
    text.add(char(hemisphere.unicode()));
    return text.text();
}

} // namespace

qint16 SheetText::zone(const SheetFields &sheet)
{
    if (sheet.iCol < 31)
        return i16(sheet.iCol + 30LL);
    return i16(sheet.iCol - 30LL);
}

QString SheetText::centralMeridian(const SheetFields &sheet)
{
    // A 1:1M image north of 60 degrees spans two (four above 76 degrees)
    // columns; its central meridian moves to the middle of them.
    long long offset = 3;
    if (sheet.iScale == 1000) {
        if (sheet.iRow >= 1 && sheet.iRow <= 15)
            offset = 3;
        else if (sheet.iRow >= 16 && sheet.iRow <= 19)
            offset = 6;
        else
            offset = 12;
    }
    const qint16 cm = i16(i16(i16(i16(sheet.iCol - 1LL) * 6LL) - 180LL) + offset);
    return QString::number(cm) + QLatin1String(".000000000");
}

double SheetText::scaleMP(const SheetFields &sheet)
{
    double h = 0;
    switch (sheet.iScale) {
    case 1000: h = 444800; break;
    case 500: h = 222400; break;
    case 200: h = 444800.0 / 5; break;
    case 100: h = 444800.0 / 5 / 2; break;
    case 50: h = 444800.0 / 5 / 4; break;
    case 25: h = 444800.0 / 5 / 8; break;
    case 10: h = 444800.0 / 5 / 16; break;
    default: h = 0; break;
    }
    if (sheet.iY <= 0)
        return 0;
    return h / sheet.iY;
}

QString SheetText::mapName(const SheetFields &sheet)
{
    const QString prefix = sheet.bSouth ? QStringLiteral("s") : QString();
    const QString row = letterAt(kRowLetters, sheet.iRow);
    const QString base = prefix + row + QLatin1Char('-') + twoDigits(sheet.iCol);

    // Sheets one image spans in longitude at high latitudes.
    int n = 1;
    if (sheet.iRow >= 1 && sheet.iRow <= 15)
        n = 1;
    else if (sheet.iRow >= 16 && sheet.iRow <= 19)
        n = 2;
    else
        n = sheet.iScale == 200 ? 3 : 4;

    QString name;
    switch (sheet.iScale) {
    case 1000:
        name = base;
        for (int k = 2; k <= n; ++k)
            name += QLatin1Char(',') + twoDigits(i16(sheet.iCol + k - 1LL));
        break;
    case 500: {
        const QString first = letterAt(kCapitalLetters, sheet.iList);
        const QString second = letterAt(kCapitalLetters, i16(sheet.iList + 1LL));
        name = base + QLatin1Char('-') + first;
        if (n == 2)
            name += QLatin1Char(',') + second;
        else if (n == 4)
            name += QLatin1Char(',') + second + QLatin1Char(';') + prefix + row + QLatin1Char('-')
                + twoDigits(i16(sheet.iCol + 1LL)) + QLatin1Char('-') + first + QLatin1Char(',') + second;
        break;
    }
    case 200:
        name = base + QLatin1Char('-') + twoDigits(sheet.iList);
        for (int k = 2; k <= n; ++k)
            name += QLatin1Char(',') + twoDigits(i16(sheet.iList + k - 1LL));
        break;
    case 100:
        name = base + QLatin1Char('-') + threeDigits(sheet.iList);
        for (int k = 2; k <= n; ++k)
            name += QLatin1Char(',') + threeDigits(i16(sheet.iList + k - 1LL));
        break;
    case 50:
        name = base + QLatin1Char('-') + threeDigits(sheet.iList) + QLatin1Char('-')
            + letterAt(kCapitalLetters, sheet.iList50);
        for (int k = 2; k <= n; ++k)
            name += QLatin1Char(',') + letterAt(kCapitalLetters, i16(sheet.iList50 + k - 1LL));
        break;
    case 25:
        name = base + QLatin1Char('-') + threeDigits(sheet.iList) + QLatin1Char('-')
            + letterAt(kCapitalLetters, sheet.iList50) + QLatin1Char('-') + letterAt(kSmallLetters, sheet.iList25);
        for (int k = 2; k <= n; ++k)
            name += QLatin1Char(',') + letterAt(kSmallLetters, i16(sheet.iList25 + k - 1LL));
        break;
    case 10:
        name = base + QLatin1Char('-') + threeDigits(sheet.iList) + QLatin1Char('-')
            + letterAt(kCapitalLetters, sheet.iList50) + QLatin1Char('-') + letterAt(kSmallLetters, sheet.iList25)
            + QLatin1Char('-') + sheetDigit(sheet.iList10);
        for (int k = 2; k <= n; ++k)
            name += QLatin1Char(',') + sheetDigit(i16(sheet.iList10 + k - 1LL));
        break;
    default:
        name = base;
        break;
    }
    return name;
}

QString SheetText::dd(double degrees)
{
    const qint16 deg = Numeric::toInt16(std::trunc(degrees));
    return sixDecimals(deg, degrees);
}

QString SheetText::formatDD(double degrees)
{
    if (!std::isfinite(degrees))
        throw MapError(QCoreApplication::translate("SheetText", "Overflow: %1 is not a number of degrees").arg(degrees));
    return sixDecimals(std::trunc(degrees), degrees);
}

QString SheetText::lat(double lat)
{
    return degreesMinutes(lat, lat < 0 ? QLatin1Char('S') : QLatin1Char('N'));
}

QString SheetText::lon(double lon)
{
    return degreesMinutes(lon, lon < 0 ? QLatin1Char('W') : QLatin1Char('E'));
}
