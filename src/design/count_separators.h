#pragma once

#include <string_view>

namespace zov {

// Number of occurrences of `sep` in `text`, searching from the second
// character on: an occurrence at the very first character is not counted, and
// each search restarts one character after the previous find, so overlapping
// occurrences all count ("aaa" holds "aa" once). The tube-parameter
// routine uses it on a selection list ("-1,-2,") to tell how many grid-1
// voltages are selected. An empty separator occurs nowhere.
int CountSeparators(std::string_view text, std::string_view sep);

}  // namespace zov
