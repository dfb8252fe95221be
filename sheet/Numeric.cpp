#include "sheet/Numeric.h"

#include "sheet/MapError.h"

#include <cfenv>
#include <charconv>
#include <string>
#include <system_error>
#include <cmath>
#include <limits>

#include <QCoreApplication>

double Numeric::roundHalfEven(double value)
{
    // nearbyint honours the current rounding mode; the default is to nearest,
    // ties to even, and nothing in the program changes it.
    return std::nearbyint(value);
}

qint16 Numeric::toInt16(double value)
{
    if (std::isnan(value))
        throw MapError(QCoreApplication::translate("Numeric", "Overflow: the value is not a number"));
    const double r = roundHalfEven(value);
    if (r < -32768.0 || r > 32767.0)
        throw MapError(QCoreApplication::translate("Numeric", "Overflow: %1 does not fit in a 16-bit integer").arg(value, 0, 'g', 17));
    return qint16(r);
}

qint16 Numeric::toInt16(long long value)
{
    if (value < -32768 || value > 32767)
        throw MapError(QCoreApplication::translate("Numeric", "Overflow: %1 does not fit in a 16-bit integer").arg(value));
    return qint16(value);
}

qint32 Numeric::toInt32(double value)
{
    if (std::isnan(value))
        throw MapError(QCoreApplication::translate("Numeric", "Overflow: the value is not a number"));
    const double r = roundHalfEven(value);
    if (r < double(std::numeric_limits<qint32>::min()) || r > double(std::numeric_limits<qint32>::max()))
        throw MapError(QCoreApplication::translate("Numeric", "Overflow: %1 does not fit in a 32-bit integer").arg(value, 0, 'g', 17));
    return qint32(r);
}

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Converts an ASCII number text ([sign] digits [. digits] [exponent]) without
// a locale: QString::toDouble goes through QLocale and costs many times more.
bool convert(QStringView text, double &value)
{
    char buffer[64];
    std::string heap;
    char *chars = buffer;
    const qsizetype n = text.size();
    if (n >= qsizetype(sizeof buffer)) {
        heap.resize(size_t(n));
        chars = heap.data();
    }
    qsizetype i = 0;
    qsizetype used = 0;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    for (; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80)
            return false;
        chars[used++] = char(c);
    }
    if (used == 0 || chars[0] == '+' || chars[0] == '-')
        return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(chars, chars + used, v, std::chars_format::general);
    if (ec != std::errc() || end != chars + used || !std::isfinite(v))
        return false;
    value = negative ? -v : v;
    return true;
}

} // namespace

namespace {

// A text of one to nine ASCII digits and nothing else, as its value; the
// general conversion gives the same value for it, only slower.
bool plainDigits(QStringView text, double &value)
{
    const qsizetype n = text.size();
    if (n < 1 || n > 9)
        return false;
    long v = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    value = double(v);
    return true;
}

} // namespace

double Numeric::leadingNumber(QStringView text)
{
    double plain = 0;
    if (plainDigits(text, plain))
        return plain;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        while (i < n && isDigit(text.at(i))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    qsizetype end = i;
    // An exponent counts only when digits follow it ("1e" is 1, "1e3" is 1000).
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('-') || text.at(j) == QLatin1Char('+')))
            ++j;
        qsizetype expDigits = 0;
        while (j < n && isDigit(text.at(j))) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;
    }
    double v = 0;
    return convert(text.mid(start, end - start), v) ? v : 0;
}

bool Numeric::strictNumber(QStringView text, double &value)
{
    if (plainDigits(text, value))
        return true;
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return false;
    double v = 0;
    if (!convert(t, v))
        return false;
    value = v;
    return true;
}

QString Numeric::zeroPad(long long value, int width)
{
    // Digits from the right into a buffer, then one text of the right size.
    char digits[24];
    int n = 0;
    unsigned long long rest = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                        : static_cast<unsigned long long>(value);
    do {
        digits[n++] = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    const int padding = width > n ? width - n : 0;
    QString text(qsizetype(value < 0) + padding + n, Qt::Uninitialized);
    QChar *out = text.data();
    if (value < 0)
        *out++ = QLatin1Char('-');
    for (int i = 0; i < padding; ++i)
        *out++ = QLatin1Char('0');
    while (n > 0)
        *out++ = QLatin1Char(digits[--n]);
    return text;
}
