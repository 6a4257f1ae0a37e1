#pragma once

// Fixed-width little-endian encoding of integers, independent of the host's byte order. Every
// field of the data file goes through these helpers; records are never copied as structs.

#include <cstdint>
#include <vector>

namespace quivra::coding {

inline void encodeU16(std::uint8_t *dst, std::uint16_t value)
{
    dst[0] = static_cast<std::uint8_t>(value);
    dst[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void encodeU32(std::uint8_t *dst, std::uint32_t value)
{
    dst[0] = static_cast<std::uint8_t>(value);
    dst[1] = static_cast<std::uint8_t>(value >> 8);
    dst[2] = static_cast<std::uint8_t>(value >> 16);
    dst[3] = static_cast<std::uint8_t>(value >> 24);
}

inline void encodeI32(std::uint8_t *dst, std::int32_t value)
{
    encodeU32(dst, static_cast<std::uint32_t>(value));
}

inline std::uint16_t decodeU16(const std::uint8_t *src)
{
    return static_cast<std::uint16_t>(src[0] | (src[1] << 8));
}

inline std::uint32_t decodeU32(const std::uint8_t *src)
{
    return static_cast<std::uint32_t>(src[0]) | (static_cast<std::uint32_t>(src[1]) << 8) |
           (static_cast<std::uint32_t>(src[2]) << 16) | (static_cast<std::uint32_t>(src[3]) << 24);
}

inline std::int32_t decodeI32(const std::uint8_t *src)
{
    return static_cast<std::int32_t>(decodeU32(src));
}

inline void putU8(std::vector<std::uint8_t> &out, std::uint8_t value)
{
    out.push_back(value);
}

inline void putU16(std::vector<std::uint8_t> &out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void putI32(std::vector<std::uint8_t> &out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(u >> shift));
}

} // namespace quivra::coding
