#include "cli/CreateCommand.h"

#include <cstdio>

int CreateCommand::run(const QStringList &args)
{
    Q_UNUSED(args);
    std::fputs("not built yet\n", stderr);
    return 2;
}
