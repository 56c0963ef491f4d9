// The INI reader and writer on arbitrary profiles. The input is
// "section\nkey\nvalue\n" followed by the file. Reading must not fail on any
// file, and for clean names, writing a value then reading it gives the value
// back, every other key of the file keeps its value, and writing the same
// value again changes nothing.

#include "files/ini_file.h"
#include "core/text.h"
#include "fuzz_ini_keys.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool cleanName(std::string_view name)
{
    if (zov::trimBlanks(name).empty())
        return false;
    for (char c : name)
        if (c == '[' || c == ']' || c == '=' || c == ';' || c == '\r' || c == '\n')
            return false;
    return true;
}

bool cleanValue(std::string_view value)
{
    return value.find_first_of("\r\n") == std::string_view::npos;
}

std::string_view takeLine(std::string_view& rest)
{
    const std::size_t lf = rest.find('\n');
    const std::string_view line = rest.substr(0, lf);
    rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view section = takeLine(rest);
    const std::string_view key = takeLine(rest);
    const std::string_view value = takeLine(rest);
    const std::string_view file = rest;

    bool found = false;
    const std::string before = zov::readIniValue(file, section, key, &found);
    if (before.size() > zov::kIniValueMaxBytes || (!found && !before.empty()))
        __builtin_trap();

    if (!cleanName(section) || !cleanName(key) || !cleanValue(value))
        return 0;
    const std::string written = zov::writeIniValue(file, section, key, value);
    std::string_view expected = zov::trimBlanks(value);
    if (expected.size() > zov::kIniValueMaxBytes)
        return 0;  // the cut is tested by the unit tests
    if (zov::readIniValue(written, section, key, &found) != expected || !found)
        __builtin_trap();
    for (const zov::fuzz::IniKey& other : zov::fuzz::keysOf(file)) {
        if (zov::fuzz::sameName(other.section, section) && zov::fuzz::sameName(other.key, key))
            continue;
        bool before = false;
        bool after = false;
        if (zov::readIniValue(file, other.section, other.key, &before) !=
                zov::readIniValue(written, other.section, other.key, &after) ||
            before != after)
            __builtin_trap();
    }
    if (zov::writeIniValue(written, section, key, value) != written)
        __builtin_trap();
    // The file grows only by the new line, its line end and a section line.
    if (written.size() > file.size() + section.size() + key.size() + value.size() + 12)
        __builtin_trap();
    return 0;
}
