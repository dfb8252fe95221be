#pragma once

#include <QStringList>

// quillmark-cli sheet: see main.cpp for the summary of the command.
class SheetCommand
{
public:
    // args[0] is the program and command name; returns the exit code.
    static int run(const QStringList &args);
};
