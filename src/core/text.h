#pragma once
// Text and number helpers shared by every layer.
//
// All of them work on 8-bit text (std::string_view) and use "." as the decimal
// separator whatever the user's locale: curve texts, TDF files, INI values and
// selection lists are read and written only through these functions.

#include <cstdint>
#include <string>
#include <string_view>

namespace zov {

// The n-th piece (counted from 1) of `text` cut at every occurrence of `sep`,
// which is matched as a whole string (for example "\r\n"). Two adjacent
// separators enclose an empty piece. Empty when n <= 0 or n is beyond the last
// piece; a text that ends with the separator has no empty piece after it, and an
// empty text has one (empty) piece. An empty separator never cuts the text.
std::string_view GetField(std::string_view text, int n, std::string_view sep);

// The numeric value of a text: leading blanks skipped, an optional sign, digits,
// an optional "." with digits and an optional exponent (E or e, optional sign,
// digits). Conversion stops at the first character that does not fit. A text
// that does not start with a number, or whose number is outside the range of a
// double, is 0.
double numericValue(std::string_view text);

// Like numericValue, and also reports how many characters made up the number
// (0 when the text does not start with one).
double numericValue(std::string_view text, std::size_t* consumed);

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4). Values beyond the range
// of int64 saturate.
std::int64_t roundHalfEven(double value);

// A value formatted with a pattern such as "##0.0", "#0.#", "###.#", "0.##",
// "###.0", "#", "###.0##W" or "###.0K": "0" is a digit always written, "#" a
// digit written only when significant, "." the decimal separator; any other
// character is written as it stands. The value is rounded half away from zero
// to the pattern's number of decimals. The separator is kept even when no
// decimal digit follows (2 with "##0.#" gives "2."); an integer part of zero
// is omitted when the pattern has no "0" before the separator (0.2 with
// "###.0" gives ".2"). A value that rounds to zero is written without a sign.
std::string formatPattern(double value, std::string_view pattern);

// The general number format used for numbers written without a pattern (curve
// text, labels): the value rounded to 7 significant digits, trailing zeros
// dropped, "-" for negatives, a leading "0" before the separator of a value
// below 1 ("0.47"), and 0 written as "0".
//
// The exponent form (mantissa, "E", sign, at least two exponent digits, as in
// 1.220703E-02 or 1.234568E+07) is chosen when the plain form would not hold
// the digits within seven places: when the decimal exponent e of the rounded
// value (value = m * 10^e, 1 <= m < 10) is 7 or more, or when the plain form
// would need more than 7 digits after the separator (digits - e - 1 > 7 for a
// value below 1), or when e < -4 (1E-05). So 0.00015 stays plain while 0.01220703 and
// 3.051758E-05 take the exponent form. Readers accept both forms.
std::string formatGeneral(double value);

// The shortest text that reads back (with numericValue or strtof) to exactly the
// same 32-bit float; used for machine-readable output (JSON).
std::string formatRoundTrip(float value);

// Leading and trailing blanks (spaces and tabs) removed.
std::string_view trimBlanks(std::string_view text);

}  // namespace zov
