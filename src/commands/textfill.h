#pragma once

// fillIn("Added {} of {}", n, code): a message text with each "{}" replaced, in order, by the
// next argument (texts as they are, numbers in decimal). Surplus "{}" stay empty.

#include <concepts>
#include <string>
#include <string_view>

namespace quivra {

namespace detail {

inline std::string fillText(std::string_view s)
{
    return std::string(s);
}
inline std::string fillText(const std::string &s)
{
    return s;
}
inline std::string fillText(const char *s)
{
    return s;
}
template <std::integral T> std::string fillText(T v)
{
    return std::to_string(v);
}

} // namespace detail

template <typename... Args> std::string fillIn(std::string_view pattern, const Args &...args)
{
    const std::string parts[] = {std::string(), detail::fillText(args)...};
    std::string out;
    std::size_t next = 1;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 1 < pattern.size() && pattern[i + 1] == '}') {
            if (next < sizeof...(Args) + 1)
                out += parts[next];
            ++next;
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}

} // namespace quivra
