#include "engine/random.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

// Values worked out by hand from seed := seed * 134775813 + 1 (mod 2^32) and
// below(n) = (new seed * n) >> 32.
TEST(RandomTest, SequenceAndDrawsMatchTheGenerator)
{
    Random r(12345);
    EXPECT_EQ(r.next(), 1655067934u);
    EXPECT_EQ(r.next(), 1242767767u);
    EXPECT_EQ(r.next(), 342459380u);
    EXPECT_EQ(r.next(), 2377737157u);

    Random b(12345);
    EXPECT_EQ(b.below(10), 3u);
    EXPECT_EQ(b.below(1000), 289u);
    EXPECT_EQ(b.below(65535), 5225u);
    EXPECT_EQ(b.below(1), 0u);
    EXPECT_EQ(b.seed(), 2377737157u); // every draw advanced the seed, even below(1)

    Random wrap(0xFFFFFFFFu);
    EXPECT_EQ(wrap.next(), 4160191484u);
    Random zero(0);
    EXPECT_EQ(zero.below(0), 0u);
    EXPECT_EQ(zero.seed(), 1u);
}

TEST(RandomTest, DrawsStayBelowTheirBound)
{
    Random r(7);
    for (const std::uint32_t n : {1u, 2u, 3u, 7u, 13u, 210u, 65535u, 0xFFFFFFFFu})
        for (int i = 0; i < 1000; ++i)
            ASSERT_LT(r.below(n), n);
}

TEST(RandomTest, LoadedSeedKeepsOnlyFixedSeeds)
{
    struct Case
    {
        std::int32_t stored;
        std::int32_t expected;
    };
    const Case cases[] = {{0, 45000},  {1, 45000},     {65534, 45000},
                          {-5, 45000}, {65535, 65535}, {1000000, 1000000}};
    for (const Case &c : cases)
        EXPECT_EQ(loadedSeed(c.stored, 45000), c.expected) << c.stored;
}

} // namespace
} // namespace quivra
