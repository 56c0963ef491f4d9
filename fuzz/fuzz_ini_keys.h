#pragma once
// The (section, key) pairs of an INI text, found by a scan of its own so that
// the fuzz targets can check that a write leaves every other key alone.

#include "core/text.h"

#include <string_view>
#include <vector>

namespace zov::fuzz {

struct IniKey {
    std::string_view section;
    std::string_view key;
};

// Names compare without regard to ASCII case and to blanks around them.
inline bool sameName(std::string_view a, std::string_view b)
{
    a = trimBlanks(a);
    b = trimBlanks(b);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

// At most `limit` keys: lines "name=..." after a line "[section]". A key line
// before any section line belongs to no section and is left out.
inline std::vector<IniKey> keysOf(std::string_view text, std::size_t limit = 8)
{
    std::vector<IniKey> keys;
    std::string_view section;
    bool inSection = false;
    while (!text.empty() && keys.size() < limit) {
        const std::size_t lf = text.find('\n');
        std::string_view line = trimBlanks(text.substr(0, lf));
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
        if (!line.empty() && line.back() == '\r')
            line = trimBlanks(line.substr(0, line.size() - 1));
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos && line.size() >= 2) {
                section = trimBlanks(line.substr(1, close - 1));
                inSection = !section.empty();
            }
            continue;
        }
        const std::size_t eq = line.find('=');
        const std::string_view name = trimBlanks(line.substr(0, eq));
        if (inSection && eq != std::string_view::npos && !name.empty())
            keys.push_back({section, name});
    }
    return keys;
}

}  // namespace zov::fuzz
