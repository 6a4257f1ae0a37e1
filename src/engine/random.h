#pragma once

// Random: the one random-number generator of the automatic tools, a 32-bit linear congruential
// generator. Every draw advances the seed; a draw below n is the high half of the 64-bit product
// of the new seed and n, so it is exact integer arithmetic and the same on every platform. Runs
// that start from the same seed and data make the same choices.

#include <cstdint>

namespace quivra {

class Random
{
public:
    static constexpr std::uint32_t Multiplier = 134775813u;

    constexpr explicit Random(std::uint32_t seed = 0) : m_seed(seed) {}

    constexpr void setSeed(std::uint32_t seed) { m_seed = seed; }
    constexpr std::uint32_t seed() const { return m_seed; }

    // Advances the generator and returns the new seed.
    constexpr std::uint32_t next()
    {
        m_seed = m_seed * Multiplier + 1u; // wraps modulo 2^32
        return m_seed;
    }
    // A number in 0..n - 1; 0 when n is 0. Always advances the generator.
    constexpr std::uint32_t below(std::uint32_t n)
    {
        return static_cast<std::uint32_t>((std::uint64_t{next()} * n) >> 32);
    }

private:
    std::uint32_t m_seed;
};

// Seeds below this stored value are replaced by the day number when the settings are loaded.
constexpr std::int32_t SmallestFixedSeed = 65535;

// The seed kept in the settings after loading: a stored value of at least SmallestFixedSeed is
// kept; anything smaller (0 included) becomes `today`, the day number of the current date
// (whole days since 30 December 1899), so runs on one day repeat unless a fixed seed is stored.
std::int32_t loadedSeed(std::int32_t stored, std::int32_t today);

} // namespace quivra
