#include "cli/SheetCommand.h"

#include <cstdio>

int SheetCommand::run(const QStringList &args)
{
    Q_UNUSED(args);
    std::fputs("not built yet\n", stderr);
    return 2;
}
