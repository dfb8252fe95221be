#pragma once

#include <QStringList>

// "quillmark-cli check MAPS_DIR [--json]": whether each map file's calibration
// sits on the frame the finder sees in its scan.
class CheckCommand
{
public:
    // args[0] is the program name as shown in messages.
    static int run(const QStringList &args);
};
