#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

// Number conversions with the rules map files and sheet arithmetic use:
// 16-bit integer steps that fail on overflow instead of wrapping, rounding
// half to even, and the lenient "leading number" reading of a text field.
class Numeric
{
public:
    Numeric() = delete;

    // Rounds to the nearest whole number, halves to the even one (0.5 -> 0, 1.5 -> 2).
    static double roundHalfEven(double value);

    // Whole value into 16 bits (rounded half to even first); throws MapError on overflow
    // or on a value that is not a number.
    static qint16 toInt16(double value);
    // Integer into 16 bits; throws MapError on overflow.
    static qint16 toInt16(long long value);
    // Whole value into 32 bits (rounded half to even first); throws MapError on overflow.
    static qint32 toInt32(double value);

    // Leading blanks skipped, then the longest leading decimal number (optional
    // sign, digits, "." as the decimal sign, optional exponent); 0 when there is none.
    // "  7.8456" -> 7.8456, "12abc" -> 12, "" -> 0, "-3579" -> -3579.
    static double leadingNumber(QStringView text);

    // The whole text (blanks around it allowed) as a number; false for an empty
    // text or anything else that is not a number.
    static bool strictNumber(QStringView text, double &value);

    // Plain decimal with at least `width` digits ("00", "000" formats); a minus
    // sign goes before the zeros.
    static QString zeroPad(long long value, int width);
};
