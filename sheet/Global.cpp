#include "sheet/Global.h"

#include <initializer_list>

namespace {

// Row letters of the 1:1M grid, A = row 1 ... V = row 22.
const QString &rowLetters()
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV");
    return letters;
}

// Letters that may stand in a sheet name: the row letters and the Cyrillic
// quarter letters А Б В Г.
const QString &letterSet()
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV\u0410\u0411\u0412\u0413");
    return letters;
}

const QString kMaskWithSeparator = QStringLiteral("R-CC-LLL");
const QString kMaskNoSeparator = QStringLiteral("RCC-LLL");

// 1-based position of the upper-cased single character `ch` in `set`, 0 when
// it is not there (or when upper-casing does not give one character).
int positionIn(const QString &set, QChar ch)
{
    const char16_t c = ch.unicode();
    if (c < 0x80) // ASCII upper-cases in place, without a string
        return int(set.indexOf(QChar(c >= 'a' && c <= 'z' ? char16_t(c - 'a' + 'A') : c))) + 1;
    const QString upper = QString(ch).toUpper();
    if (upper.size() != 1)
        return 0;
    return int(set.indexOf(upper.at(0))) + 1;
}

bool isDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

// Characters [pos, pos + count) of `text`, 1-based; what is there when the
// text ends early.
QString midText(const QString &text, int pos, int count)
{
    return text.mid(pos - 1, count);
}

// Offset of the fields that follow the row letter: 0 for "RCC-LLL", 1 for
// "R-CC-LLL", -1 for any other mask.
int maskShift(const QString &mask)
{
    if (mask == kMaskNoSeparator)
        return 0;
    if (mask == kMaskWithSeparator)
        return 1;
    return -1;
}

// Decimal value of an all-digit text of at most three characters; -1 for
// empty or non-digit text.
qint16 digitsValue(const QString &text)
{
    if (text.isEmpty() || !Global::isAllDigits(text))
        return -1;
    qint16 value = 0;
    for (QChar ch : text)
        value = qint16(value * 10 + (ch.unicode() - '0'));
    return value;
}

// The pattern that the scale and mask are read from: a southern name is read
// without its first character.
QString sheetPattern(const QString &name)
{
    QString p = Global::pattern(name);
    if (Global::getHemisphere(name) == QLatin1String("S"))
        p.remove(0, 1);
    return p;
}

bool startsWithAny(const QString &text, std::initializer_list<const char *> prefixes)
{
    for (const char *prefix : prefixes) {
        if (text.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

} // namespace

QString Global::getNameNoExt(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString Global::getExtension(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString Global::getFileName(const QString &path)
{
    qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0)
        cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

QString Global::cutExtension4(const QString &name)
{
    if (!name.right(4).contains(QLatin1Char('.')))
        return name;
    // A name of four characters or fewer with a dot has nothing left.
    return name.left(qMax<qsizetype>(0, name.size() - 4));
}

qint16 Global::getRow(const QString &name)
{
    const QString sheet = withoutHemisphere(name);
    if (sheet.isEmpty())
        return 1;
    return qint16(positionIn(rowLetters(), sheet.at(0)));
}

qint16 Global::getColumn(const QString &name, const QString &mask)
{
    const int shift = maskShift(mask);
    if (shift < 0)
        return -1;
    return digitsValue(midText(withoutHemisphere(name), 2 + shift, 2));
}

qint16 Global::getListCount(int scale)
{
    switch (scale) {
    case 200:
        return 36;
    case 10:
    case 25:
    case 50:
    case 100:
        return 144;
    case 500:
        return 4;
    default:
        return 0;
    }
}

qint16 Global::getListNum(const QString &name, int scale, const QString &mask)
{
    if (scale == 1000)
        return 1;
    int width = 0;
    switch (scale) {
    case 200:
        width = 2;
        break;
    case 10:
    case 25:
    case 50:
    case 100:
        width = 3;
        break;
    case 500:
        width = 1;
        break;
    default:
        return 0;
    }
    const int shift = maskShift(mask);
    const QString taken = shift < 0 ? QString() : midText(withoutHemisphere(name), 5 + shift, width);
    if (taken.isEmpty())
        return -1;
    if (scale == 500)
        return letterIndex(taken.toUpper());
    return digitsValue(taken);
}

qint16 Global::getLetter50K(const QString &name, int scale, const QString &mask)
{
    Q_UNUSED(scale);
    const int shift = maskShift(mask);
    if (shift < 0)
        return -1;
    return letterIndex(midText(withoutHemisphere(name), 9 + shift, 1));
}

qint16 Global::getLetter25K(const QString &name, int scale, const QString &mask)
{
    Q_UNUSED(scale);
    const int shift = maskShift(mask);
    if (shift < 0)
        return -1;
    return letterIndex(midText(withoutHemisphere(name), 11 + shift, 1));
}

qint16 Global::getLetter10K(const QString &name, int scale, const QString &mask)
{
    Q_UNUSED(scale);
    const int shift = maskShift(mask);
    if (shift < 0)
        return -1;
    return letterIndex(midText(withoutHemisphere(name), 13 + shift, 1));
}

QString Global::getHemisphere(const QString &name)
{
    if (name.size() >= 2 && name.at(0) == QLatin1Char('s') && positionIn(rowLetters(), name.at(1)) > 0)
        return QStringLiteral("S");
    return QStringLiteral("N");
}

bool Global::isAllDigits(const QString &text)
{
    for (QChar ch : text) {
        if (!isDigit(ch))
            return false;
    }
    return true;
}

bool Global::isAllSeparators(const QString &text)
{
    for (QChar ch : text) {
        if (ch != QLatin1Char('-') && ch != QLatin1Char('_'))
            return false;
    }
    return true;
}

bool Global::isAllLetters(const QString &text)
{
    for (QChar ch : text) {
        if (positionIn(letterSet(), ch) == 0)
            return false;
    }
    return true;
}

QString Global::getScaleByName(const QString &name)
{
    const QString p = sheetPattern(name);
    if (startsWithAny(p, {"L-NN-NNN-N-N-N", "L-NN-NNN-L-L-N", "LNN-NNN-N-N-N", "LNN-NNN-L-L-N"}))
        return QStringLiteral("1:10K");
    if (startsWithAny(p, {"L-NN-NNN-N-N", "L-NN-NNN-L-L", "LNN-NNN-N-N", "LNN-NNN-L-L"}))
        return QStringLiteral("1:25K");
    if (startsWithAny(p, {"L-NN-NNN-N", "L-NN-NNN-L", "LNN-NNN-N", "LNN-NNN-L"}))
        return QStringLiteral("1:50K");
    if (startsWithAny(p, {"L-NN-NNN", "LNN-NNN"}))
        return QStringLiteral("1:100K");
    if (startsWithAny(p, {"L-NN-NN", "LNN-NN"}))
        return QStringLiteral("1:200K");
    if (startsWithAny(p, {"L-NN-L", "L-NN-N", "LNN-L", "LNN-N"}))
        return QStringLiteral("1:500K");
    if (startsWithAny(p, {"L-NN", "LNN"}))
        return QStringLiteral("1:1M");
    return QStringLiteral(" ");
}

QString Global::getMaskByName(const QString &name)
{
    const QString p = sheetPattern(name);
    if (p.startsWith(QLatin1String("L-NN")))
        return kMaskWithSeparator;
    if (p.startsWith(QLatin1String("LNN")))
        return kMaskNoSeparator;
    return QStringLiteral(" ");
}

qint16 Global::letterIndex(const QString &ch)
{
    const QString upper = ch.toUpper();
    if (upper.size() != 1)
        return -1;
    switch (upper.at(0).unicode()) {
    case u'A':
    case u'\u0410': // А
    case u'1':
        return 1;
    case u'\u0411': // Б
    case u'B':
    case u'2':
        return 2;
    case u'\u0412': // В
    case u'V':
    case u'C':
    case u'3':
        return 3;
    case u'\u0413': // Г
    case u'G':
    case u'4':
    case u'D':
        return 4;
    default:
        return -1;
    }
}

QString Global::pattern(const QString &name)
{
    QString p;
    p.reserve(name.size());
    for (QChar ch : name) {
        if (positionIn(letterSet(), ch) > 0)
            p += QLatin1Char('L');
        else if (isDigit(ch))
            p += QLatin1Char('N');
        else if (ch == QLatin1Char('-') || ch == QLatin1Char('_'))
            p += QLatin1Char('-');
        else
            p += QLatin1Char('?');
    }
    return p;
}

int Global::scaleFromText(const QString &scaleText)
{
    static const struct {
        const char *text;
        int scale;
    } scales[] = {{"1:1M", 1000}, {"1:500K", 500}, {"1:200K", 200}, {"1:100K", 100}, {"1:50K", 50}, {"1:25K", 25}, {"1:10K", 10}};
    for (const auto &s : scales) {
        if (scaleText == QLatin1String(s.text))
            return s.scale;
    }
    return 0;
}

QString Global::scaleText(int scale)
{
    switch (scale) {
    case 1000:
        return QStringLiteral("1:1M");
    case 500:
        return QStringLiteral("1:500K");
    case 200:
        return QStringLiteral("1:200K");
    case 100:
        return QStringLiteral("1:100K");
    case 50:
        return QStringLiteral("1:50K");
    case 25:
        return QStringLiteral("1:25K");
    case 10:
        return QStringLiteral("1:10K");
    default:
        return QStringLiteral(" ");
    }
}

QString Global::withoutHemisphere(const QString &name)
{
    return getHemisphere(name) == QLatin1String("S") ? name.mid(1) : name;
}
