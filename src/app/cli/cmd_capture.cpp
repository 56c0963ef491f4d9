#include "app/cli/commands.h"

namespace zov::cli {

int runCapture(const QStringList& /*args*/)
{
    return usageError(QStringLiteral("'capture' is not available yet"));
}

}  // namespace zov::cli
