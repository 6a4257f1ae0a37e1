#pragma once

// A length-prefixed byte string of fixed capacity, as stored in records and files: a length byte
// followed by N character bytes. Only the first `length` characters count; the bytes beyond are
// kept as found so a record read from a file is written back unchanged. A length byte above N
// (a damaged file) is read as N.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quivra {

template <int N>
struct PString
{
    static constexpr int Capacity = N;

    std::uint8_t length = 0;
    std::array<char, N> chars{};

    std::string_view view() const
    {
        return {chars.data(), static_cast<std::size_t>(std::min<int>(length, N))};
    }
    std::string str() const { return std::string(view()); }
    bool empty() const { return length == 0; }

    // Stores at most N characters of `text`; bytes after them are left as they were.
    void assign(std::string_view text)
    {
        const auto n = std::min<std::size_t>(text.size(), N);
        std::copy_n(text.data(), n, chars.data());
        length = static_cast<std::uint8_t>(n);
    }
    void clear()
    {
        length = 0;
        chars.fill(0);
    }

    friend bool operator==(const PString &a, const PString &b) { return a.view() == b.view(); }
};

// Byte-wise comparison of string contents as unsigned characters, shorter prefix first.
int compareBytes(std::string_view a, std::string_view b);

} // namespace quivra
