#pragma once

#include <QString>

class MapFile;

// The one line parser of a map document: every line that enters a MapFile
// goes through it. It reads the line's fields into the document (title and
// sheet identity, image name, MMPNUM, MM1B, corner lines, point lines, the
// projection lines) and puts right the text of the lines the program owns:
// the title loses its extension, the image path its folder, a sheet of the
// international grid gets Transverse Mercator and its zone's projection
// setup (unless the document keeps the lines as read).
//
// It never throws: a line it cannot take is kept as read and changes only the
// fields set before the failing step.
class MapLineParser
{
public:
    MapLineParser() = delete;

    // Line index `idx` (0 = the header line) with its Title and Body.
    static void parse(MapFile &map, QString &Title, QString &body, int idx);

    // The projection line's body for a sheet of the international grid.
    static constexpr const char *kTransverseMercator = "Transverse Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No";
};
