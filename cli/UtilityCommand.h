#pragma once

#include <QString>
#include <QStringList>

// quillmark-cli corners | list | strip-paths MAPS_DIR: the map file utilities.
class UtilityCommand
{
public:
    // command is "corners", "list" or "strip-paths"; args[0] is the program and
    // command name; returns the exit code.
    static int run(const QString &command, const QStringList &args);
};
