#include "cli/InfoCommand.h"

#include <cstdio>

int InfoCommand::run(const QStringList &args)
{
    Q_UNUSED(args);
    std::fputs("not built yet\n", stderr);
    return 2;
}
