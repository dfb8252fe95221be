#include "cli/UtilityCommand.h"

#include <cstdio>

int UtilityCommand::run(const QString &command, const QStringList &args)
{
    Q_UNUSED(command);
    Q_UNUSED(args);
    std::fputs("not built yet\n", stderr);
    return 2;
}
