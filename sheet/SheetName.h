#pragma once

#include "sheet/SheetIdentity.h"

#include <QList>
#include <QString>

// A sheet name read out of an image file name in the forms real folders hold:
//   - zero-padded numbers, as the program has always read them: "N-37-001-А-а",
//     "n37-001", "N-37-12" (1:200K), "N-37-Б" or "N-37-2" (1:500K), Latin or
//     Cyrillic letters, a digit for a letter, "s" before the row south of the equator;
//   - the official nomenclature without leading zeros: "N-37-1" .. "N-37-144",
//     "N-37-12-А", "N-37-1-А-а", "N-37-1-А-а-1";
//   - 1:200K sheets in Roman numerals "I" .. "XXXVI", either case;
//   - a scale prefix as large archives name their files, "1000k--" .. "10k--",
//     which fixes the scale ("100k--n44-126");
//   - the doubled sheets north of 60 degrees as published, "P-36-005,006",
//     "Q-38-13,14": the sheet named first;
//   - text after the name, after a space, an underscore, a parenthesis or a
//     comma that does not start a doubled pair ("N-44-126_1988", "N-44-126 (2)").
//
// Some names read two ways: "N-37-1" (1:500K sheet А with the letter as a
// digit, or the official 1:100K sheet 1), "N-37-12" (1:200K or 1:100K),
// "M-45-V" (1:500K letter В or 1:200K sheet V). A chosen scale decides; with
// the scale read from the name the zero-padded reading is taken and the
// warning names the other one.
class SheetName
{
public:
    // One whole reading of a name.
    struct Reading
    {
        SheetIdentity id;  // passes every check
        QString form;      // the form it is written in, for the user
        bool padded = false; // a form the program has always read this way
    };

    SheetIdentity id;        // the sheet taken; id.error says why the name is refused
    QString form;            // the form of the reading taken; empty when the name fits no form
    QList<Reading> readings; // every whole reading of the name, the one taken first when it is one of them
    // The scale the name reads as on its own (0 when it reads as none), for
    // the warning that a file was calibrated at another scale than its name says.
    int nameScale = 0;
    QString warning;         // a name read two ways, or read only in part; empty when neither

    bool ok() const { return id.ok(); }
    // Whether the name was taken at another scale than its own reading.
    bool otherScale() const { return id.ok() && nameScale > 0 && nameScale != id.scale; }

    // The scale argument of read() that reads each name's own scale.
    static constexpr int ByName = -1;

    // Reads `fileName` (a path is cut to its file name). `scale` in thousands
    // is the chosen scale (0 for a scale text not known: every list fails),
    // ByName to read each name's own; `mask` ("RCC-LLL", "R-CC-LLL") is the
    // chosen file-name mask, empty to read it from the name. With both chosen,
    // a name of the other mask is read by position as it always was (and
    // refused at its column).
    // With a chosen scale that was only guessed, a name that reads two ways
    // gets the warning too.
    static SheetName read(const QString &fileName, int scale, const QString &mask, bool scaleGuessed = false);

    // Every whole reading of a name, the zero-padded one first.
    static QList<Reading> readingsOf(const QString &fileName);

    // "1:100K sheet N-37-001" for the messages.
    static QString describe(const SheetIdentity &id);
};
