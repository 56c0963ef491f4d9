// GetField on arbitrary text, separator and field number: the piece is always
// a part of the text, and joining the pieces with the separator gives the text
// back (less a final separator).

#include "core/text.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int n = static_cast<int>(static_cast<std::int8_t>(data[0]));
    const std::size_t sepLength = data[1] % 4;
    if (size < 2 + sepLength)
        return 0;
    const std::string_view sep(reinterpret_cast<const char*>(data + 2), sepLength);
    const std::string_view text(reinterpret_cast<const char*>(data + 2 + sepLength), size - 2 - sepLength);

    const std::string_view piece = zov::GetField(text, n, sep);
    if (!piece.empty() && (piece.data() < text.data() || piece.data() + piece.size() > text.data() + text.size()))
        __builtin_trap();
    if (n <= 0 && !piece.empty())
        __builtin_trap();

    if (sep.empty() || text.size() > 4096)
        return 0;
    // Reassemble: pieces until the text is used up.
    std::string joined;
    std::size_t used = 0;
    for (int k = 1; used < text.size(); ++k) {
        const std::string_view p = zov::GetField(text, k, sep);
        if (p.data() == nullptr)
            __builtin_trap();  // a piece inside the text is never "beyond the end"
        if (k > 1)
            joined += sep;
        joined += p;
        used = static_cast<std::size_t>(p.data() - text.data()) + p.size();
        if (p.empty() && k > static_cast<int>(text.size()) + 1)
            __builtin_trap();  // never more pieces than characters
        if (text.substr(used) == sep)
            used = text.size();
    }
    if (joined != text && joined + std::string(sep) != text)
        __builtin_trap();
    return 0;
}
