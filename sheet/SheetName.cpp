#include "sheet/SheetName.h"

#include "sheet/SheetText.h"
#include "sheet/Global.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

const QString kMaskWithSeparator = QStringLiteral("R-CC-LLL");
const QString kMaskNoSeparator = QStringLiteral("RCC-LLL");

bool isDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool isSeparator(QChar ch)
{
    return ch == QLatin1Char('-') || ch == QLatin1Char('_');
}

// Row 1..22 of a Latin row letter A..V in either case, 0 for anything else.
int rowOf(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'A' && c <= u'V')
        return c - u'A' + 1;
    if (c >= u'a' && c <= u'v')
        return c - u'a' + 1;
    return 0;
}

// Value of an all-digit text, -1 for anything else.
int digitsValue(const QString &text)
{
    if (text.isEmpty() || text.size() > 3)
        return -1;
    int value = 0;
    for (QChar ch : text) {
        if (!isDigit(ch))
            return -1;
        value = value * 10 + (ch.unicode() - '0');
    }
    return value;
}

// 1..36 for a Roman numeral in its usual form, either case; 0 for anything else.
int romanValue(const QString &text)
{
    static const QStringList numerals = [] {
        QStringList list;
        const char *const tens[] = {"", "X", "XX", "XXX"};
        const char *const units[] = {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};
        for (int n = 1; n <= 36; ++n)
            list.append(QLatin1String(tens[n / 10]) + QLatin1String(units[n % 10]));
        return list;
    }();
    return int(numerals.indexOf(text.toUpper())) + 1;
}

// Letter index 1..4 of a one-character quarter token; with `digits` false a
// digit does not count (the official names write the quarters as letters).
int quarterOf(const QString &token, bool digits)
{
    if (token.size() != 1 || (!digits && isDigit(token.at(0))))
        return -1;
    return Global::letterIndex(token);
}

// The scale a prefix such as "100k--" fixes, and the prefix's length; 0 when
// the name has none.
int archivePrefix(const QString &name, int &length)
{
    static const int scales[] = {1000, 500, 200, 100, 50, 25, 10};
    for (int scale : scales) {
        const QString head = QString::number(scale);
        if (!name.startsWith(head))
            continue;
        const QString rest = name.mid(head.size(), 3);
        if (rest.compare(QLatin1String("k--"), Qt::CaseInsensitive) == 0) {
            length = int(head.size()) + 3;
            return scale;
        }
    }
    length = 0;
    return 0;
}

struct Token
{
    QString text;
    int end = 0; // position after the token
};

// What a name holds before its sheet fields are read.
struct Parts
{
    int prefixScale = 0;
    QString prefix;      // "100k--" as written
    bool south = false;
    int row = 0;
    bool separator = false; // a separator after the row letter
    int col = 0;
    bool paddedCol = false;
    int colEnd = 0;
    QList<Token> tokens;
};

bool split(const QString &name, Parts &p)
{
    int prefixLength = 0;
    p.prefixScale = archivePrefix(name, prefixLength);
    p.prefix = name.left(prefixLength);
    int pos = prefixLength;
    const int n = int(name.size());
    if (pos + 1 < n && name.at(pos) == QLatin1Char('s') && rowOf(name.at(pos + 1)) > 0) {
        p.south = true;
        ++pos;
    }
    if (pos >= n || (p.row = rowOf(name.at(pos))) == 0)
        return false;
    ++pos;
    p.separator = pos < n && isSeparator(name.at(pos));
    if (p.separator)
        ++pos;
    const int start = pos;
    while (pos < n && isDigit(name.at(pos)))
        ++pos;
    const int digits = pos - start;
    // Two digits as always; one only with the separator ("N-7-...").
    if (digits < 1 || digits > 2 || (digits == 1 && !p.separator))
        return false;
    p.col = digitsValue(name.mid(start, digits));
    p.paddedCol = digits == 2;
    p.colEnd = pos;
    if (p.col < 1 || p.col > 60)
        return false;
    while (pos + 1 < n && isSeparator(name.at(pos)) && name.at(pos + 1).isLetterOrNumber()) {
        Token t;
        int end = pos + 1;
        while (end < n && name.at(end).isLetterOrNumber())
            ++end;
        t.text = name.mid(pos + 1, end - pos - 1);
        t.end = end;
        p.tokens.append(t);
        pos = end;
    }
    return true;
}

// Whether the comma at `pos` lists the other sheets of a doubled image (north
// of 60 degrees, followed by a letter or digit).
bool startsGroup(const QString &name, int pos, int row)
{
    return row >= 16 && pos + 1 < name.size() && name.at(pos) == QLatin1Char(',') && name.at(pos + 1).isLetterOrNumber();
}

// Whether the name proper may end at `pos`: at the end, or before text after
// a space, an underscore, a parenthesis or a comma (after the other sheets
// of a doubled image, which are passed over). Not before a hyphen or more
// letters and digits: no form allows those.
bool nameMayEnd(const QString &name, int pos)
{
    if (pos >= name.size())
        return true;
    const QChar ch = name.at(pos);
    return ch == QLatin1Char(' ') || ch == QLatin1Char('_') || ch == QLatin1Char('(') || ch == QLatin1Char(',');
}

// The readings of the first `k` list tokens.
QList<SheetName::Reading> readingsAt(const Parts &p, int k, const SheetIdentity &base)
{
    QList<SheetName::Reading> out;
    auto add = [&](int scale, int list, int list50, int list25, int list10, bool padded, const QString &form) {
        if (p.prefixScale != 0 && scale != p.prefixScale)
            return;
        SheetName::Reading r;
        r.id = base;
        r.id.scale = scale;
        r.id.list = qint16(list);
        r.id.list50 = qint16(list50);
        r.id.list25 = qint16(list25);
        r.id.list10 = qint16(list10);
        r.padded = padded;
        r.form = form;
        for (const SheetName::Reading &seen : std::as_const(out)) {
            if (seen.id.scale == scale && seen.id.list == r.id.list)
                return; // the same sheet in two forms ("N-37-126"): the first one
        }
        out.append(r);
    };

    if (k == 0) {
        add(1000, 0, 0, 0, 0, p.paddedCol, QCoreApplication::translate("SheetName", "1:1M row and column"));
        return out;
    }
    const QString &t = p.tokens.at(0).text;
    const int value = digitsValue(t);
    const bool leadingZero = t.startsWith(QLatin1Char('0'));
    if (k == 1) {
        const int letter = quarterOf(t, true);
        if (letter > 0) {
            add(500, letter, 0, 0, 0, true,
                isDigit(t.at(0)) ? QCoreApplication::translate("SheetName", "1:500K letter written as a digit") : QCoreApplication::translate("SheetName", "1:500K letter"));
        }
        if (t.size() == 2 && value >= 1 && value <= 36)
            add(200, value, 0, 0, 0, true, QCoreApplication::translate("SheetName", "two-digit 1:200K number"));
        const int roman = romanValue(t);
        if (roman > 0)
            add(200, roman, 0, 0, 0, false, QCoreApplication::translate("SheetName", "1:200K Roman numeral"));
        if (t.size() == 3 && value >= 1 && value <= 144)
            add(100, value, 0, 0, 0, true, QCoreApplication::translate("SheetName", "three-digit list number"));
        if (t.size() < 3 && !leadingZero && value >= 1 && value <= 144)
            add(100, value, 0, 0, 0, false, QCoreApplication::translate("SheetName", "official list number without leading zeros"));
        // Under a scale prefix the number may be written with or without zeros.
        if (p.prefixScale == 200 && t.size() == 1 && value >= 1)
            add(200, value, 0, 0, 0, false, QCoreApplication::translate("SheetName", "1:200K number"));
        if (p.prefixScale == 100 && t.size() == 2 && leadingZero && value >= 1)
            add(100, value, 0, 0, 0, false, QCoreApplication::translate("SheetName", "1:100K number"));
        return out;
    }
    // 1:50K and below: the 1:100K list, then the quarters.
    const bool padded = t.size() == 3 || (p.prefixScale != 0 && leadingZero);
    if (value < 1 || value > 144 || (!padded && leadingZero))
        return out;
    int quarters[3] = {0, 0, 0};
    bool digitForLetter = false;
    for (int i = 1; i < k; ++i) {
        const QString &q = p.tokens.at(i).text;
        // The official 1:10K number is a digit 1..4; its letters are letters.
        const bool tenK = i == 3;
        const int index = padded ? quarterOf(q, true) : tenK ? (isDigit(q.at(0)) ? quarterOf(q, true) : -1)
                                                             : quarterOf(q, false);
        if (index < 1)
            return out;
        if (!tenK && isDigit(q.at(0)))
            digitForLetter = true;
        quarters[i - 1] = index;
    }
    static const int scales[] = {0, 0, 50, 25, 10};
    QString form = padded ? QCoreApplication::translate("SheetName", "three-digit list number") : QCoreApplication::translate("SheetName", "official list number without leading zeros");
    if (digitForLetter)
        form += QCoreApplication::translate("SheetName", ", letters written as digits");
    add(scales[k], value, quarters[0], k >= 3 ? quarters[1] : 0, k >= 4 ? quarters[2] : 0, padded, form);
    return out;
}

// The identity that fails: the checks of the fields read by position, as
// the program has always read them.
SheetIdentity positional(const QString &fileName, int scale, const QString &mask, const Parts *parts)
{
    const QString base = Global::getNameNoExt(Global::getFileName(fileName));
    const QString text = parts && parts->prefixScale ? base.mid(parts->prefix.size()) : base;
    const QString m = mask.isEmpty() ? Global::getMaskByName(text) : mask;
    return SheetIdentity::check(fileName, scale, m, text);
}

} // namespace

QList<SheetName::Reading> SheetName::readingsOf(const QString &fileName)
{
    SheetIdentity base;
    base.fileName = Global::getFileName(fileName);
    base.baseName = Global::getNameNoExt(base.fileName);
    base.extension = Global::getExtension(base.fileName);

    Parts p;
    if (!split(base.baseName, p))
        return {};
    base.south = p.south;
    base.row = qint16(p.row);
    base.col = qint16(p.col);
    base.mask = p.separator ? kMaskWithSeparator : kMaskNoSeparator;

    for (int k = int(qMin<qsizetype>(p.tokens.size(), 4)); k >= 0; --k) {
        const int end = k == 0 ? p.colEnd : p.tokens.at(k - 1).end;
        if (!nameMayEnd(base.baseName, end))
            continue;
        QList<Reading> found = readingsAt(p, k, base);
        if (found.isEmpty())
            continue;
        if (p.prefixScale) {
            for (Reading &r : found)
                r.form += QCoreApplication::translate("SheetName", ", scale prefix %1").arg(p.prefix);
        }
        if (startsGroup(base.baseName, end, p.row)) {
            for (Reading &r : found)
                r.form += QCoreApplication::translate("SheetName", ", doubled sheets");
        } else if (end < base.baseName.size()) {
            for (Reading &r : found)
                r.form += QCoreApplication::translate("SheetName", ", then \"%1\"").arg(base.baseName.mid(end));
        }
        // The zero-padded reading first.
        std::stable_sort(found.begin(), found.end(),
                         [](const Reading &a, const Reading &b) { return a.padded && !b.padded; });
        return found;
    }
    return {};
}

SheetName SheetName::read(const QString &fileName, int scale, const QString &mask, bool scaleGuessed)
{
    SheetName s;
    s.readings = readingsOf(fileName);
    const QString base = Global::getNameNoExt(Global::getFileName(fileName));
    Parts parts;
    const Parts *parsed = split(base, parts) ? &parts : nullptr;

    const bool byName = scale == ByName;
    int taken = -1;
    if (!byName) {
        for (int i = 0; i < s.readings.size() && taken < 0; ++i) {
            const SheetIdentity &id = s.readings.at(i).id;
            if (id.scale == scale && (mask.isEmpty() || id.mask == mask))
                taken = i;
        }
    } else if (!s.readings.isEmpty()) {
        taken = 0;
    }

    if (taken >= 0) {
        s.readings.move(taken, 0);
        const Reading &r = s.readings.first();
        s.id = r.id;
        s.form = r.form;
        s.nameScale = r.id.scale;
        if (s.readings.size() > 1 && (byName || scaleGuessed)) {
            const Reading &other = s.readings.at(1);
            s.warning = QCoreApplication::translate("SheetName", "its name reads two ways: it was taken as %1 (%2); it may also be %3 (%4), "
                           "which the scale %5 gives")
                            .arg(describe(r.id), r.form, describe(other.id), other.form,
                                 Global::scaleText(other.id.scale));
        }
        return s;
    }

    if (!s.readings.isEmpty()) {
        // Not at the chosen scale: read by position at that scale, as always.
        s.nameScale = s.readings.first().id.scale;
        s.id = positional(fileName, scale, mask, parsed);
        return s;
    }

    // A name that fits no form whole: read by position as always, at the
    // chosen scale (with the messages it always had) or at the scale its
    // beginning reads as, and then not silently ("N-44-126-1988" is 1:50K
    // sheet N-44-126-А by position).
    const QString text = parsed && parts.prefixScale ? base.mid(parts.prefix.size()) : base;
    s.nameScale = parsed && parts.prefixScale ? parts.prefixScale : Global::scaleFromText(Global::getScaleByName(text));
    s.id = positional(fileName, byName ? s.nameScale : scale, byName ? QString() : mask, parsed);
    if (byName && s.id.ok())
        s.warning = QCoreApplication::translate("SheetName", "only the beginning of its name reads as a sheet name: it was taken as %1")
                        .arg(describe(s.id));
    return s;
}

QString SheetName::describe(const SheetIdentity &id)
{
    return QCoreApplication::translate("SheetName", "%1 sheet %2").arg(Global::scaleText(id.scale), SheetText::mapName(id.fields()));
}
