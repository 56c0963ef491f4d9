// The number helpers on arbitrary text, run under a locale whose decimal
// separator is "," when one can be had (scripts/run-fuzzers.sh builds one
// for the run), so that anything reading or writing through the locale shows:
//  - numericValue reads only its number: the prefix it reports gives the same
//    value, it holds nothing but number characters, and the byte after it
//    (a "," say) plays no part;
//  - formatGeneral writes 7 significant digits that read back within half a
//    unit of the 7th digit, and formatting what it read changes nothing;
//  - formatPattern writes the value rounded to the pattern's decimals, with
//    "." as the separator and the pattern's literal text around it;
//  - formatRoundTrip reads back to the same 32-bit float;
//  - roundHalfEven is within a half of the value, ties going to even.

#include "core/text.h"

#include <array>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void check(bool property)
{
    if (!property)
        __builtin_trap();
}

bool onlyNumberCharacters(std::string_view text)
{
    return text.find_first_not_of(" \t+-0123456789.eE") == std::string_view::npos;
}

// A text that numericValue reads whole.
double readsWhole(const std::string& text)
{
    std::size_t consumed = 0;
    const double value = zov::numericValue(text, &consumed);
    check(consumed == text.size());
    return value;
}

// The patterns the program formats its figures with.
constexpr std::array<std::string_view, 11> kPatterns = {
    "##0.0", "#0.0", "###.#", "##0.#", "#0.#", "0.##", "###.0", "#", "###.0##W", "###.0K", "##0.0#"};

void checkPattern(double value, std::size_t which)
{
    const std::string_view pattern = kPatterns[which % kPatterns.size()];
    const std::string text = zov::formatPattern(value, pattern);
    check(text.find(',') == std::string::npos);
    // The literal text after the number is the pattern's.
    const std::size_t lastPlaceholder = pattern.find_last_of("0#.");
    const std::string_view suffix = pattern.substr(lastPlaceholder + 1);
    check(text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0);
    const std::string number = text.substr(0, text.size() - suffix.size());
    check(onlyNumberCharacters(number));
    if (number == "." || number.empty())
        return;  // a zero written without digits ("###.#" and 0.04)
    const double back = readsWhole(number);
    const std::size_t dot = pattern.find('.');
    const int decimals = dot == std::string_view::npos ? 0 : static_cast<int>(lastPlaceholder - dot);
    const double half = 0.5 * std::pow(10.0, -decimals);
    check(std::fabs(back - value) <= half * (1.0 + 1e-9) + 1e-14 * std::fabs(value));
    // A value that rounds to zero is written without a sign.
    if (back == 0.0)
        check(number.front() != '-');
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) {
            std::fprintf(stderr, "number helpers fuzzed under the %s locale\n", name);
            return 0;
        }
    }
    std::fprintf(stderr, "no locale with a decimal comma: number helpers fuzzed under the C locale\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t consumed = 0;
    const double value = zov::numericValue(text, &consumed);
    check(consumed <= size && std::isfinite(value));
    check(consumed > 0 || value == 0.0);
    const std::string_view number = text.substr(0, consumed);
    check(onlyNumberCharacters(number));
    std::size_t again = 0;
    const double prefixValue = zov::numericValue(number, &again);
    check(again == consumed && (prefixValue == value || (std::isnan(prefixValue) && std::isnan(value))));

    // 7 significant digits: the rounding error is at most half a unit of the
    // 7th digit. Numbers too small for a normal double are left out: their
    // text reads back as 0 (an underflow).
    const std::string general = zov::formatGeneral(value);
    check(general.find(',') == std::string::npos && onlyNumberCharacters(general));
    const double back = readsWhole(general);
    if (value == 0.0 || std::fabs(value) >= 1e7 * DBL_MIN) {
        check(std::fabs(back - value) <= 5.0000001e-7 * std::fabs(value));
        check(zov::formatGeneral(back) == general);
    }
    if (size > 0)
        checkPattern(value, data[0]);

    if (std::fabs(value) < 9e18) {
        const std::int64_t r = zov::roundHalfEven(value);
        const double off = std::fabs(static_cast<double>(r) - value);
        check(off <= 0.5);
        if (off == 0.5)
            check(r % 2 == 0);
    }

    if (size >= sizeof(float)) {
        float f = 0.0F;
        std::memcpy(&f, data, sizeof f);
        if (std::isfinite(f)) {
            const std::string written = zov::formatRoundTrip(f);
            check(written.find(',') == std::string::npos);
            check(static_cast<float>(readsWhole(written)) == f);
        }
    }
    return 0;
}
