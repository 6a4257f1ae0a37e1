// The checks' texts are printf patterns with numbers and codes filled in.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>

namespace quivra::checks {

// `pattern` filled in with `values`, as printf would print it, whatever its length.
template <typename... Values> std::string format(const char *pattern, Values... values)
{
    const int n = std::snprintf(nullptr, 0, pattern, values...);
    std::string text(static_cast<std::size_t>(std::max(n, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, values...);
    return text;
}

} // namespace quivra::checks
