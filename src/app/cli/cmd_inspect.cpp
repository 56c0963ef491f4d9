#include "app/cli/commands.h"

namespace zov::cli {

int runInspect(const QStringList& /*args*/)
{
    return usageError(QStringLiteral("'inspect' is not available yet"));
}

}  // namespace zov::cli
