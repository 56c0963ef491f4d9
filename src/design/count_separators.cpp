#include "design/count_separators.h"

namespace zov {

int CountSeparators(std::string_view text, std::string_view sep)
{
    if (sep.empty())
        return 0;
    int count = 0;
    std::size_t from = 1;
    while (from < text.size()) {
        const std::size_t found = text.find(sep, from);
        if (found == std::string_view::npos)
            break;
        ++count;
        from = found + 1;
    }
    return count;
}

}  // namespace zov
