#pragma once

#include <QStringList>

// quillmark-cli frame: see main.cpp for the summary of the command.
class FrameCommand
{
public:
    // args[0] is the program and command name; returns the exit code.
    static int run(const QStringList &args);
};
