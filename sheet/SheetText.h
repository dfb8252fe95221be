#pragma once

#include "sheet/SheetFields.h"

#include <QString>

// The texts that map files carry for a sheet and its coordinates.
class SheetText
{
public:
    SheetText() = delete;

    static qint16 zone(const SheetFields &sheet);                 // 6-degree zone
    static QString centralMeridian(const SheetFields &sheet);     // "39.000000000"
    static double scaleMP(const SheetFields &sheet);              // ground metres per pixel
    static QString mapName(const SheetFields &sheet);             // "N-37-001", "R-37-001,002"
    static QString dd(double degrees);        // decimal degrees, six decimals ("55.500000")
    static QString formatDD(double degrees);  // the degrees text of the MMPLL lines
    static QString lat(double lat);           // "55, 40.0000,N"
    static QString lon(double lon);           // "36, 0.0000,E"
};
