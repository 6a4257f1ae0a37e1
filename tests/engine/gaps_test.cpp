#include "engine/gaps.h"

#include "engine/lectures.h"
#include "support/fixture.h"
#include "support/generator.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace quivra {
namespace {

// The gap count as the rule reads, cell by cell.
GapTotals literalGapCount(const WeekMatrix &m, const GapCategoryWeights &weights, bool bookings)
{
    GapTotals t;
    for (int row = 1; row <= m.rowCount(); ++row) {
        const int k = m.categoryOfRow(row);
        const int w = weights[static_cast<std::size_t>(k)];
        if (w == 0)
            continue;
        for (int day = 1; day <= m.usedDays(); ++day) {
            int count = 0, first = 0, last = 0;
            for (int bell = 1; bell <= m.usedBells(); ++bell) {
                const CellWord c = m.cell(row, day, bell);
                if ((c & CellEventBit) || (bookings && (c & CellBookingBit))) {
                    ++count;
                    first = first == 0 ? bell : first;
                    last = bell;
                }
            }
            if (count > 0) {
                t.total += (last - first + 1 - count) * w;
                t.byCategory[static_cast<std::size_t>(k)] += (last - first + 1 - count) * w;
            }
        }
    }
    return t;
}

// The free-cell scores as the rule reads: row by row, each day scanned from the last bell down.
void literalScores(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                   const GapCategoryWeights &weights, int score[8][32], int run[8][32])
{
    const int days = m.usedDays(), bells = m.usedBells();
    for (int day = 1; day <= days; ++day)
        for (int bell = 1; bell <= bells; ++bell) {
            score[day][bell] = 100;
            run[day][bell] = 1;
        }
    std::vector<std::uint16_t> scratch;
    for (const std::uint16_t row : m.rowsOf(d, e, scratch)) {
        const int f = std::max<int>(weights[static_cast<std::size_t>(m.categoryOfRow(row))], 1);
        for (int day = 1; day <= days; ++day) {
            int first = 0, last = 0;
            for (int bell = bells; bell >= 1; --bell) {
                if (m.cell(row, day, bell) != 0) {
                    score[day][bell] = 0;
                    run[day][bell] = 0;
                    last = last == 0 ? bell : last;
                    first = bell;
                } else if (score[day][bell] > 0 && bell < bells) {
                    run[day][bell] = run[day][bell + 1] + 1;
                }
            }
            if (first == 0)
                continue;
            for (int bell = 1; bell <= bells; ++bell) {
                int &s = score[day][bell];
                if (s <= 0)
                    continue;
                if (bell > first && bell < last)
                    s += f;
                else if (bell < first - 1 && first - bell + 1 < s)
                    s -= (first - bell + 1) * f;
                else if (bell > last + 1 && bell - last - 1 < s)
                    s -= (bell - last - 1) * f;
                s = std::clamp(s, 1, 255);
            }
        }
    }
}

TEST(GapsTest, DayGapsOfAMask)
{
    struct Case
    {
        std::uint32_t bells;
        int gaps;
    } cases[] = {{0, 0}, {0b1, 0}, {0b100110, 2}, {0b1000'0000'0000'0000'0000'0000'0000'0001u, 30}};
    for (const Case &c : cases)
        EXPECT_EQ(dayGaps(c.bells), c.gaps) << c.bells;
}

// The starts moveCandidates gives are the cells whose scores reach 100 with a free run of
// `length`, for every length that fits.
void expectCandidatesFollowScores(const ScheduleData &d, const WeekMatrix &m, CodeId e,
                                  const GapCategoryWeights &weights, int liftedDay,
                                  std::uint32_t liftedBells, const FreeCells &scores)
{
    for (int length = 1; length <= 4; ++length) {
        const DayMasks starts = moveCandidates(d, m, e, weights, liftedDay, liftedBells, length);
        for (int day = 1; day <= MaxDays; ++day)
            for (int bell = 1; bell <= MaxBells; ++bell) {
                const bool expected = scores.score[static_cast<std::size_t>(day)][bell] >= 100 &&
                                      scores.run[static_cast<std::size_t>(day)][bell] >= length;
                const bool found = starts[static_cast<std::size_t>(day)] & (1u << (bell - 1));
                ASSERT_EQ(found, expected)
                    << "event " << e << " length " << length << " " << day << "/" << bell;
            }
    }
}

// Generated weeks: resources of three categories, events of one to three of them, random blocks
// (conflicts allowed) and bookings; weights random. The mask-based measures equal the literal ones.
TEST(GapsTest, GapCountAndFreeCellScoresEqualTheLiteralRules)
{
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 rnd(seed);
        auto pick = [&](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        const int days = 3 + pick(5), bells = 4 + pick(27);
        f.calendar(2, days, bells);
        std::vector<std::string> names;
        for (int i = 0; i < 12; ++i)
            names.push_back(std::string(1, "GTR"[i % 3]) + std::to_string(i));
        for (const auto &n : names)
            f.resources(n[0], {n});
        for (int e = 0; e < 20; ++e) {
            const std::string code = "E" + std::to_string(e);
            const auto &a = names[static_cast<std::size_t>(pick(12))];
            const auto &b = names[static_cast<std::size_t>(pick(12))];
            if (a == b)
                f.event(code, {a}, 40);
            else
                f.event(code, {a, b}, 40);
            f.allocate(code, 1, 2, 20);
            for (int k = pick(4); k > 0; --k) {
                const int b1 = 1 + pick(bells);
                f.place(code, 1, 1 + pick(days), b1, std::min(bells, b1 + pick(3)));
            }
        }
        for (int k = 0; k < 10; ++k)
            f.book(names[static_cast<std::size_t>(pick(12))], 1, 1 + pick(days), 1 + pick(bells),
                   1 + pick(3));
        f.finish();
        WeekMatrix m;
        m.build(*d, 1);
        GapCategoryWeights weights{};
        for (int k = 1; k <= MaxCategories; ++k)
            weights[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(pick(10));

        for (const bool bookings : {false, true}) {
            const GapTotals fast = gapCount(m, weights, bookings);
            const GapTotals slow = literalGapCount(m, weights, bookings);
            EXPECT_EQ(fast.total, slow.total) << "seed " << seed;
            EXPECT_EQ(fast.byCategory, slow.byCategory) << "seed " << seed;
        }
        for (const CodeId e : m.weekEvents()) {
            FreeCells fc;
            freeCellScores(*d, m, e, weights, fc);
            int score[8][32] = {}, run[8][32] = {};
            literalScores(*d, m, e, weights, score, run);
            for (int day = 1; day <= days; ++day)
                for (int bell = 1; bell <= bells; ++bell) {
                    ASSERT_EQ(fc.score[day][bell], score[day][bell])
                        << "seed " << seed << " event " << e << " " << day << "/" << bell;
                    ASSERT_EQ(fc.run[day][bell], run[day][bell]);
                }
            expectCandidatesFollowScores(*d, m, e, weights, 0, 0, fc);
            if (HasFatalFailure())
                return;
        }
    }
}

// Scores with a block lifted out through the masks equal the scores after taking the block out
// of the matrix, for every block of a generated week (such a week hides nothing).
TEST(GapsTest, ScoresWithALiftedBlockEqualScoresWithTheBlockTakenOut)
{
    auto d = makeScheduleData();
    generateInstitution(*d, mediumInstitution(4));
    WeekMatrix m;
    m.build(*d, 1);
    ASSERT_TRUE(m.hidesNothing());
    const GapCategoryWeights weights{0, 3, 1, 0, 2, 1, 1, 1};
    int blocks = 0;
    for (const CodeId e : m.weekEvents()) {
        const MatrixEvent *ev = m.event(e);
        for (int day = 1; day <= m.usedDays(); ++day) {
            for (std::uint32_t cells = ev->cells[static_cast<std::size_t>(day)]; cells != 0;) {
                const int bell = std::countr_zero(cells) + 1;
                const int length = std::countr_one(cells >> (bell - 1));
                const std::uint32_t bits = bellSpan(bell, bell + length - 1);
                cells &= ~bits;
                FreeCells lifted, taken;
                freeCellScores(*d, m, e, weights, day, bits, lifted);
                m.probeErase(e, day, bell, length);
                freeCellScores(*d, m, e, weights, taken);
                m.probeEnter(e, day, bell, length);
                ASSERT_EQ(lifted.score, taken.score) << "event " << e << " " << day << "/" << bell;
                ASSERT_EQ(lifted.run, taken.run);
                expectCandidatesFollowScores(*d, m, e, weights, day, bits, lifted);
                if (HasFatalFailure())
                    return;
                ++blocks;
            }
        }
    }
    EXPECT_GT(blocks, 100);
}

TEST(GapsTest, FreeCellScoresFavourCellsNextToTheLessons)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 10).resources('T', {"T1"});
    f.event("A", {"T1"}, 4).allocate("A", 1, 1, 4).place("A", 1, 1, 4, 4).place("A", 1, 1, 7, 7);
    f.event("B", {"T1"}, 1).allocate("B", 1, 1, 1);
    f.finish();
    WeekMatrix m;
    m.build(*d, 1);
    GapCategoryWeights weights{};
    weights.fill(2);
    FreeCells fc;
    freeCellScores(*d, m, f.id("B"), weights, fc);
    // Before the lessons the distance counts the bell and the first lesson, after them neither.
    const int expected[] = {0,   100 - 4 * 2, 100 - 3 * 2, 100,         0,          102,
                            102, 0,           100,         100 - 1 * 2, 100 - 2 * 2};
    for (int bell = 1; bell <= 10; ++bell)
        EXPECT_EQ(fc.score[1][bell], expected[bell]) << bell;
    EXPECT_EQ(fc.run[1][1], 3);
    EXPECT_EQ(fc.run[1][8], 3);
}

TEST(GapsTest, DayMeasuresOfOneDay)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 8).resources('T', {"T1"});
    f.event("E", {"T1"}, 4).allocate("E", 1, 1, 3).place("E", 1, 2, 2, 3).place("E", 1, 2, 6, 6);
    f.book("T1", 1, 2, 8, 1);
    f.finish();
    const DayMeasures plain = dayMeasures(*d, f.id("T1"), 1, 1, false);
    EXPECT_EQ(plain.occupied, 3);
    EXPECT_EQ(plain.longestSpan, 5);
    EXPECT_EQ(plain.shortestSpan, 5);
    EXPECT_EQ(plain.gaps, 2);
    EXPECT_EQ(plain.earliestFirst, 2);
    EXPECT_EQ(plain.latestLast, 6);
    const DayMeasures booked = dayMeasures(*d, f.id("T1"), 1, 1, true);
    EXPECT_EQ(booked.longestSpan, 7);
    EXPECT_EQ(booked.gaps, 3);
    EXPECT_EQ(dayMeasures(*d, f.id("T1"), 2, 2, false).occupied, 0);
}

TEST(GapsTest, QualityRowsSortedByColumnWithoutRooms)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 2, 8).resources('T', {"T1", "T2", "T3"}).resources('R', {"R1"});
    // T1: gaps 1; T2: gaps 3; T3: none; R1 (a room) would have gaps 3.
    f.event("A", {"T1"}, 3).allocate("A", 1, 1, 3).place("A", 1, 1, 1, 1).place("A", 1, 1, 3, 3);
    f.event("B", {"T2", "R1"}, 3).allocate("B", 1, 1, 3).place("B", 1, 1, 1, 1);
    f.place("B", 1, 1, 5, 5);
    f.event("C", {"T3"}, 2).allocate("C", 1, 1, 2).place("C", 1, 1, 1, 2);
    f.finish();
    WeekMatrix m;
    m.build(*d, 1);
    const QualityTable q = qualityRows(*d, m, 1, false);
    ASSERT_EQ(q.rows.size(), 2u);
    EXPECT_EQ(q.rows[0].resource, f.id("T2"));
    EXPECT_EQ(q.rows[0].gaps, 3);
    EXPECT_EQ(q.rows[1].resource, f.id("T1"));
    EXPECT_EQ(q.totals.gaps, 4);
}

} // namespace
} // namespace quivra
