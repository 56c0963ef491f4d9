#include "app/cli/commands.h"

namespace zov::cli {

int runRender(const QStringList& /*args*/)
{
    return usageError(QStringLiteral("'render' is not available yet"));
}

}  // namespace zov::cli
