#include "app/cli/commands.h"

namespace zov::cli {

int runSimulate(const QStringList& /*args*/)
{
    return usageError(QStringLiteral("'simulate' is not available yet"));
}

}  // namespace zov::cli
