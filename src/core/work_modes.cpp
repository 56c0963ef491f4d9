#include "core/work_modes.h"

namespace zov {

QString modeText(WorkMode mode)
{
    return mode == WorkMode::Capture ? QStringLiteral("Capture") : QStringLiteral("Cook");
}

WorkMode modeFromText(QStringView text)
{
    return text == QLatin1String("Capture") ? WorkMode::Capture : WorkMode::Cook;
}

QString cookOptionText(CookOption option)
{
    switch (option) {
    case CookOption::SE:
        return QStringLiteral("SE");
    case CookOption::PP:
        return QStringLiteral("PP");
    case CookOption::Match:
        return QStringLiteral("Match");
    case CookOption::Diff:
        return QStringLiteral("Diff");
    }
    return QString();
}

std::optional<CookOption> cookOptionFromText(QStringView text)
{
    for (CookOption option : {CookOption::SE, CookOption::PP, CookOption::Match, CookOption::Diff}) {
        if (text == cookOptionText(option))
            return option;
    }
    return std::nullopt;
}

}  // namespace zov
