#include "core/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace zov {

std::string_view GetField(std::string_view text, int n, std::string_view sep)
{
    if (n <= 0)
        return {};
    if (sep.empty())
        return n == 1 ? text : std::string_view{};
    std::size_t start = 0;
    for (int piece = 1;; ++piece) {
        const std::size_t hit = text.find(sep, start);
        if (piece == n)
            return text.substr(start, hit == std::string_view::npos ? std::string_view::npos : hit - start);
        if (hit == std::string_view::npos)
            return {};
        start = hit + sep.size();
        // A text ending with the separator has no empty piece after it.
        if (start >= text.size())
            return {};
    }
}

double numericValue(std::string_view text, std::size_t* consumed)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t numberStart = i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        if (consumed)
            *consumed = 0;
        return 0.0;
    }
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        std::size_t expDigits = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;  // "1e" or "1e+" keeps only the mantissa
    }
    if (consumed)
        *consumed = end;

    // from_chars rejects a leading '+' and a bare ".5" is fine for it; it
    // never consults the locale.
    double value = 0.0;
    const char* first = text.data() + numberStart;
    const char* last = text.data() + end;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is not a usable number either.
        return 0.0;
    }
    if (result.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

double numericValue(std::string_view text)
{
    return numericValue(text, nullptr);
}

std::int64_t roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kMax = 9.2e18;
    if (value >= kMax)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -kMax)
        return std::numeric_limits<std::int64_t>::min();
    // The default floating-point environment rounds to nearest, ties to even.
    return static_cast<std::int64_t>(std::nearbyint(value));
}

namespace {

// Decimal digits of |value| rounded half away from zero to `decimals` places,
// returned as integer digits and fraction digits. The value is first taken to 15
// significant digits, so a double such as 2.675 (stored as 2.67499999...) rounds
// as the decimal number it was written as.
void roundedDigits(double value, int decimals, std::string& intPart, std::string& fracPart)
{
    // to_chars never consults the locale (snprintf would write the user's
    // decimal separator) and is several times faster.
    char buf[64];
    *std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 14).ptr = '\0';
    // buf: d.dddddddddddddde[+-]xx
    std::string mantissa;
    mantissa += buf[0];
    mantissa.append(buf + 2, buf + 16);
    const int exp10 = std::atoi(buf + 17);
    // Digits of the number with the decimal point after position (exp10 + 1).
    std::string digits;
    int pointPos = exp10 + 1;
    if (pointPos <= 0) {
        digits.assign(static_cast<std::size_t>(-pointPos) + 1, '0');
        digits += mantissa;
        pointPos = 1;
    } else {
        digits = mantissa;
        if (static_cast<int>(digits.size()) < pointPos)
            digits.append(static_cast<std::size_t>(pointPos) - digits.size(), '0');
    }
    const int keep = pointPos + decimals;
    if (static_cast<int>(digits.size()) < keep)
        digits.append(static_cast<std::size_t>(keep) - digits.size(), '0');
    const bool roundUp = static_cast<int>(digits.size()) > keep && digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    if (roundUp) {
        int k = keep - 1;
        while (k >= 0) {
            if (digits[static_cast<std::size_t>(k)] == '9') {
                digits[static_cast<std::size_t>(k)] = '0';
                --k;
            } else {
                ++digits[static_cast<std::size_t>(k)];
                break;
            }
        }
        if (k < 0) {
            digits.insert(digits.begin(), '1');
            ++pointPos;
        }
    }
    intPart = digits.substr(0, static_cast<std::size_t>(pointPos));
    fracPart = digits.substr(static_cast<std::size_t>(pointPos));
    const std::size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
}

}  // namespace

std::string formatPattern(double value, std::string_view pattern)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value > 0 ? "Inf" : "-Inf");

    // The placeholders form one block; literal text before and after it is kept.
    const auto isPlaceholder = [](char c) { return c == '0' || c == '#' || c == '.'; };
    std::size_t first = 0;
    while (first < pattern.size() && !isPlaceholder(pattern[first]))
        ++first;
    std::size_t last = first;
    while (last < pattern.size() && isPlaceholder(pattern[last]))
        ++last;
    const std::string_view prefix = pattern.substr(0, first);
    const std::string_view block = pattern.substr(first, last - first);
    const std::string_view suffix = pattern.substr(last);

    const std::size_t dot = block.find('.');
    const std::string_view intSpec = block.substr(0, dot);
    const std::string_view fracSpec = dot == std::string_view::npos ? std::string_view{} : block.substr(dot + 1);
    int minIntDigits = 0;
    for (char c : intSpec)
        if (c == '0')
            ++minIntDigits;
    const int decimals = static_cast<int>(fracSpec.size());
    int minFracDigits = 0;
    for (int k = 0; k < decimals; ++k)
        if (fracSpec[static_cast<std::size_t>(k)] == '0')
            minFracDigits = k + 1;

    std::string intPart;
    std::string fracPart;
    roundedDigits(value, decimals, intPart, fracPart);
    // Optional decimals: trailing zeros beyond the last "0" placeholder are dropped.
    while (static_cast<int>(fracPart.size()) > minFracDigits && fracPart.back() == '0')
        fracPart.pop_back();
    if (static_cast<int>(intPart.size()) < minIntDigits)
        intPart.insert(0, static_cast<std::size_t>(minIntDigits) - intPart.size(), '0');

    const bool isZero = intPart.find_first_not_of('0') == std::string::npos
                        && fracPart.find_first_not_of('0') == std::string::npos;
    std::string out(prefix);
    if (value < 0 && !isZero)
        out += '-';
    out += intPart;
    if (dot != std::string_view::npos) {
        out += '.';
        out += fracPart;
    }
    out += suffix;
    return out;
}

std::string formatGeneral(double value)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value > 0 ? "Inf" : "-Inf");
    if (value == 0.0)
        return "0";
    char buf[48];
    *std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 6).ptr = '\0';
    // buf: d.dddddde[+-]xx, already rounded to 7 significant digits
    std::string mantissa;
    mantissa += buf[0];
    mantissa.append(buf + 2, buf + 8);
    const int e = std::atoi(buf + 9);
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    const int digits = static_cast<int>(mantissa.size());

    const bool exponentForm = e >= 7 || e < -4 || (e < 0 && digits - e - 1 > 7);
    std::string out = value < 0 ? "-" : "";
    if (exponentForm) {
        out += mantissa[0];
        if (digits > 1) {
            out += '.';
            out.append(mantissa, 1, std::string::npos);
        }
        char expBuf[16];
        std::snprintf(expBuf, sizeof expBuf, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
        out += expBuf;
        return out;
    }
    if (e < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out += mantissa;
        return out;
    }
    if (digits <= e + 1) {
        out += mantissa;
        out.append(static_cast<std::size_t>(e + 1 - digits), '0');
        return out;
    }
    out.append(mantissa, 0, static_cast<std::size_t>(e + 1));
    out += '.';
    out.append(mantissa, static_cast<std::size_t>(e + 1), std::string::npos);
    return out;
}

std::string formatRoundTrip(float value)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "NaN" : (value > 0 ? "Infinity" : "-Infinity");
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string_view trimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace zov
