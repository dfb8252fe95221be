#pragma once

#include <QStringList>

// `quillmark-cli coverage DIR`: a GeoJSON or KML file with one polygon per map
// file (or, with --from-names, per sheet image) of a folder.
class CoverageCommand
{
public:
    static int run(const QStringList &args);
};
