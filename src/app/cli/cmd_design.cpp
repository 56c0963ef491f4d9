#include "app/cli/commands.h"

namespace zov::cli {

int runDesign(const QStringList& /*args*/)
{
    return usageError(QStringLiteral("'design' is not available yet"));
}

}  // namespace zov::cli
