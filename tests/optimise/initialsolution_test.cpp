#include "optimise/initialsolution.h"

#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "support/fixture.h"
#include "support/generator.h"
#include "support/progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

namespace quivra {
namespace {

struct Block
{
    int week, day, first, last;
    friend bool operator==(const Block &, const Block &) = default;
    friend auto operator<=>(const Block &, const Block &) = default;
};

std::ostream &operator<<(std::ostream &os, const Block &b)
{
    return os << "w" << b.week << " d" << b.day << " b" << b.first << "-" << b.last;
}

// The event's placed blocks (periods, not bookings), sorted.
std::vector<Block> blocksOf(ScheduleData &d, CodeId e)
{
    WeekAllocation wa;
    reloadWeekAllocation(d, e, wa);
    std::vector<Block> out;
    for (const LectureView &v : wa.timetable)
        if (v.word != 0 && !isBookingWord(v.word))
            for (int w = v.startWeek; w <= v.endWeek; ++w)
                for (int day = v.startDay; day <= v.endDay; ++day)
                    out.push_back({w, day, v.startBell, v.endBell});
    std::sort(out.begin(), out.end());
    return out;
}

// Cells an event holds twice (two of its own lectures on one cell), over all events.
int selfOverlaps(ScheduleData &d)
{
    int overlaps = 0;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        std::map<std::pair<int, int>, std::uint32_t> cells;
        for (const Block &b : blocksOf(d, d.eventList[i])) {
            const std::uint32_t mask = bellMask(b.first, b.last);
            std::uint32_t &seen = cells[{b.week, b.day}];
            overlaps += std::popcount(seen & mask);
            seen |= mask;
        }
    }
    return overlaps;
}

void markAll(ScheduleData &d)
{
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].isEvent())
            d.codes[c].flags |= 1;
}

InitialSettings settingsFor(const ScheduleData &d, int minSeq, int maxSeq, int repeats)
{
    InitialSettings s = defaultInitialSettings(d);
    s.minSeq = minSeq;
    s.maxSeq = maxSeq;
    s.maxRepeats = repeats;
    return s;
}

InitialResult run(ScheduleData &d, const InitialSettings &s)
{
    return runInitialSolution(d, s, PatternTable{});
}

// One event E1 of group G1 and teacher T1 in a week of 5 days x 8 bells, with a teacher T2 and
// another group G2 for events the cases add.
struct OneEvent
{
    std::unique_ptr<ScheduleData> d = makeScheduleData();
    FixtureBuilder f{*d};
    explicit OneEvent(int periods)
    {
        f.calendar(1, 5, 8).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
        f.event("E1", {"G1", "T1"}, periods).allocate("E1", 1, 1, periods);
    }
    CodeId e1() const { return f.id("E1"); }
};

TEST(InitialSolution, BlocksFollowLengthsDaysAndDayRules)
{
    struct Case
    {
        const char *name;
        int periods, minSeq, maxSeq, repeats;
        std::function<void(OneEvent &)> setup;
        std::vector<Block> expected;
    };
    const std::vector<Case> cases = {
        // All days tie (the parity terms of a run's first and last bell cancel): day 1 wins.
        {"one block of three", 3, 1, 3, 1, {}, {{1, 1, 1, 3}}},
        // The longest length once, then shorter blocks, each on the next day (+30).
        {"repeats limit the longest", 4, 1, 2, 1, {}, {{1, 1, 1, 2}, {1, 2, 1, 1}, {1, 3, 1, 1}}},
        // Day 3 only starts at bell 3, yet follows day 2 by the day-after bonus.
        {"day after the previous block",
         2,
         1,
         1,
         1,
         [](OneEvent &o) { o.f.book("T1", 1, 1, 1, 1, 8).book("T1", 1, 3, 1, 1, 2); },
         {{1, 2, 1, 1}, {1, 3, 3, 3}}},
        // A day where the event already has periods gets no further block, even though its
        // free bells score far better than the two late bells left on day 2.
        {"existing day is closed",
         3,
         1,
         3,
         1,
         [](OneEvent &o) {
             o.f.place("E1", 1, 1, 1, 2).book("T1", 1, 2, 1, 1, 6);
             for (int day : {3, 4, 5})
                 o.f.book("T1", 1, day, 1, 1, 8);
         },
         {{1, 1, 1, 2}, {1, 2, 7, 7}}},
        // A week the event has booked is blocked in every cell.
        {"booked week", 2, 1, 3, 1, [](OneEvent &o) { o.f.weekBooking("E1", 1, 1, 1); }, {}},
        // Remaining periods fewer than the shortest block stay unscheduled.
        {"too few for the shortest block", 1, 2, 3, 1, {}, {}},
        // A shortest block of 0 is read as 1: no empty lectures.
        {"shortest 0", 3, 0, 0, 1, {}, {{1, 1, 1, 1}, {1, 2, 1, 1}, {1, 3, 1, 1}}},
        // Busy cells of any resource are avoided; the block sits next to the lesson.
        {"next to an existing lesson",
         2,
         2,
         2,
         1,
         [](OneEvent &o) {
             o.f.event("X", {"G1", "T2"}, 1).allocate("X", 1, 1, 1).place("X", 1, 1, 1, 1);
             o.f.book("T1", 1, 2, 1, 1, 8).book("T1", 1, 3, 1, 1, 8).book("T1", 1, 4, 1, 1, 8);
             o.f.book("T1", 1, 5, 1, 1, 8);
         },
         {{1, 1, 2, 3}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OneEvent o(c.periods);
        if (c.setup)
            c.setup(o);
        o.f.finish();
        const auto before = blocksOf(*o.d, o.e1());
        o.d->codes[o.e1()].flags |= 1;
        const InitialResult r = run(*o.d, settingsFor(*o.d, c.minSeq, c.maxSeq, c.repeats));
        ASSERT_FALSE(r.refused) << r.message;
        EXPECT_EQ(blocksOf(*o.d, o.e1()), c.expected);
        const bool placedAny = c.expected.size() > before.size();
        EXPECT_EQ(r.changed, placedAny ? std::vector<CodeId>{o.e1()} : std::vector<CodeId>{});
        EXPECT_EQ(r.conflictsAfter, 0);
    }
}

TEST(InitialSolution, SlotBlocksKeepBlocksFromStartingThere)
{
    OneEvent o(3);
    o.f.finish();
    o.d->codes[o.e1()].flags |= 1;
    InitialSettings s = settingsFor(*o.d, 1, 3, 1);
    s.blockSlotsNum = 2;
    for (int day = 1; day <= 5; ++day) {
        s.slotBlocks[1][day] = 1u << 2;
        s.slotBlocks[3][day] = 1u << 5; // another table: not in force
    }
    run(*o.d, s);
    // Without the table the block would start on bell 1; it may still run through bell 3.
    const auto blocks = blocksOf(*o.d, o.e1());
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].first, 2);
    EXPECT_EQ(blocks[0].last, 4);
}

TEST(InitialSolution, ImitationFollowsTheTargetsCells)
{
    OneEvent o(3);
    o.f.event("X", {"G2", "T2"}, 3).allocate("X", 1, 1, 3);
    o.f.place("X", 1, 1, 3, 4).place("X", 1, 4, 1, 1);
    o.f.finish();
    o.d->codes[o.e1()].flags |= 1;
    InitialSettings s = settingsFor(*o.d, 1, 3, 1);
    s.imitationTarget = o.f.id("X");
    const InitialResult r = run(*o.d, s);
    EXPECT_EQ(blocksOf(*o.d, o.e1()), (std::vector<Block>{{1, 1, 3, 4}, {1, 4, 1, 1}}));
    EXPECT_EQ(r.placed, 3);
    EXPECT_EQ(selfOverlaps(*o.d), 0);

    // Where a resource of the imitating event is busy, the target's cell is not used either; a
    // later block of the same event never runs into an earlier one.
    OneEvent p(4);
    p.f.event("X", {"G2", "T2"}, 4).allocate("X", 1, 1, 4).place("X", 1, 2, 1, 4);
    p.f.book("T1", 1, 2, 2, 1);
    p.f.finish();
    p.d->codes[p.e1()].flags |= 1;
    s = settingsFor(*p.d, 1, 3, 1);
    s.imitationTarget = p.f.id("X");
    run(*p.d, s);
    EXPECT_EQ(blocksOf(*p.d, p.e1()), (std::vector<Block>{{1, 2, 1, 1}, {1, 2, 3, 4}}));
    EXPECT_EQ(selfOverlaps(*p.d), 0);
}

TEST(InitialSolution, ImitationByName)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 8).resources('G', {"G1", "G2"}).resources('T', {"T1"});
    f.event("BASE", {"G1"}, 1).event("OTHER", {"G1"}, 1);
    f.event("A", {"G1"}).event("B", {"G1"}).event("C", {"G1"}).event("D", {"G2"});
    f.event("E", {"G1"}).event("F", {"G1"});
    f.finish();
    auto rename = [&](const char *code, const char *name) {
        d->codes[f.id(code)].name.assign(name);
    };
    rename("A", "Maths (BASE)");
    rename("B", "Maths {BASE} [OTHER]");
    rename("C", "Maths [T1] and ()"); // names a resource, not an event
    rename("G2", "Group 2 [OTHER]");  // D follows its resource's name
    rename("E", "Maths [] (BASE");    // no closing bracket after a non-empty text
    rename("F", "Maths [UNKNOWN]");
    const CodeId fallback = f.id("OTHER");
    const std::vector<std::pair<const char *, CodeId>> cases = {
        {"A", f.id("BASE")},  {"B", f.id("BASE")}, {"C", fallback},
        {"D", f.id("OTHER")}, {"E", fallback},     {"F", fallback},
    };
    for (const auto &[code, expected] : cases)
        EXPECT_EQ(imitationByName(*d, f.id(code), fallback), expected) << code;
    EXPECT_EQ(imitationByName(*d, f.id("F"), 0), 0);
}

TEST(InitialSolution, ExamModeAllowsOneExamPerStudentDay)
{
    // Exams are event category 2, students resource category 1 (groups). S1 already has an exam
    // on day 3; T1 is free on days 3 and 4 only.
    struct Case
    {
        const char *name;
        ExamMode exam;
        int category; // of the event placed
        std::vector<Block> expected;
    };
    const ExamMode off;
    const ExamMode oneDay{true, false, 2, 1};
    const ExamMode twoDays{true, true, 2, 1};
    const std::vector<Case> cases = {
        {"exam mode off", off, 2, {{1, 3, 1, 1}}},
        {"one day", oneDay, 2, {{1, 4, 1, 1}}},
        {"two days", twoDays, 2, {}},
        {"not an exam", twoDays, 1, {{1, 3, 1, 1}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 8).resources('G', {"S1"}).resources('T', {"T1", "T2"});
        f.event("X", {"S1", "T2"}, 1, 2).allocate("X", 1, 1, 1).place("X", 1, 3, 5, 5);
        f.event("E", {"S1", "T1"}, 1, c.category).allocate("E", 1, 1, 1);
        for (int day : {1, 2, 5})
            f.book("T1", 1, day, 1, 1, 8);
        f.finish();
        d->codes[f.id("E")].flags |= 1;
        InitialSettings s = settingsFor(*d, 1, 1, 1);
        s.exam = c.exam;
        run(*d, s);
        EXPECT_EQ(blocksOf(*d, f.id("E")), c.expected);
    }
}

TEST(InitialSolution, RefusalsChangeNothing)
{
    OneEvent o(3);
    o.f.finish();
    markAll(*o.d);
    const std::string before = dumpScheduleData(*o.d);
    InitialSettings s = settingsFor(*o.d, 3, 2, 1);
    InitialResult r = run(*o.d, s);
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.message, "Please check the time and block length limits!");
    s = settingsFor(*o.d, 1, 3, 1);
    s.range.startDay = 4;
    s.range.endDay = 2;
    EXPECT_EQ(run(*o.d, s).message, "Please check the time and block length limits!");
    EXPECT_EQ(dumpScheduleData(*o.d), before);
}

// A conflict elsewhere in the range does not hold the run up; its cell counts as occupied for
// both resources, the conflict stays, and the run adds none.
TEST(InitialSolution, AConflictInTheRangeStaysAndNoneIsAdded)
{
    OneEvent o(3);
    o.f.event("X", {"G1", "T2"}, 1).allocate("X", 1, 1, 1).place("X", 1, 2, 1, 1);
    o.f.event("Y", {"G2", "T2"}, 1).allocate("Y", 1, 1, 1).place("Y", 1, 2, 1, 1); // shares T2
    o.f.event("Z", {"G2", "T1"}, 2).allocate("Z", 1, 1, 2);
    o.f.finish();
    markAll(*o.d);
    const InitialResult r = run(*o.d, settingsFor(*o.d, 1, 3, 1));
    EXPECT_FALSE(r.refused) << r.message;
    EXPECT_EQ(r.conflictsBefore, 1);
    EXPECT_EQ(r.conflictsAfter, 1);
    EXPECT_EQ(conflictsInWeeks(*o.d, 1, 1), 1);
    EXPECT_EQ(r.changed, (std::vector<CodeId>{o.e1(), o.f.id("Z")}));
    EXPECT_EQ(blocksOf(*o.d, o.e1()), (std::vector<Block>{{1, 1, 1, 3}}));
    // G2 is taken on day 2 bell 1 by Y, so Z's block starts elsewhere.
    for (const Block &b : blocksOf(*o.d, o.f.id("Z")))
        EXPECT_FALSE(b.day == 2 && b.first == 1) << b;
    EXPECT_TRUE(r.message.empty()) << r.message;
}

TEST(InitialSolution, SelectionLocksAndMarks)
{
    OneEvent o(1);
    o.f.event("E2", {"G2", "T2"}, 1).allocate("E2", 1, 1, 1);
    o.f.event("E3", {"G2", "T2"}, 1).allocate("E3", 1, 1, 1);
    o.f.finish();
    const CodeId e2 = o.f.id("E2"), e3 = o.f.id("E3");
    o.d->codes[o.e1()].flags |= 1 | 4;
    o.d->codes[e2].flags |= 1 | LockedBit;
    o.d->codes[e3].flags |= 2; // marked, but not for this tool

    InitialResult r = run(*o.d, settingsFor(*o.d, 1, 3, 1));
    EXPECT_EQ(r.changed, std::vector<CodeId>{o.e1()});
    EXPECT_EQ(o.d->codes[o.e1()].flags & LinkMarksMask, 1 | 4);
    EXPECT_EQ(o.d->codes[e3].flags & LinkMarksMask, 2);

    InitialSettings s = settingsFor(*o.d, 1, 3, 1);
    s.includeLocked = true;
    r = run(*o.d, s);
    EXPECT_EQ(r.changed, std::vector<CodeId>{e2});
    EXPECT_TRUE(blocksOf(*o.d, e3).empty());
}

TEST(InitialSolution, StopKeepsWhatWasPlaced)
{
    OneEvent o(2);
    o.f.event("E2", {"G2", "T2"}, 2).allocate("E2", 1, 1, 2);
    o.f.finish();
    markAll(*o.d);
    CountingProgress stop(2); // before the second event
    const InitialResult r =
        runInitialSolution(*o.d, settingsFor(*o.d, 1, 3, 1), PatternTable{}, stop);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(stop.status, " E2") << "the event in hand is shown beside the bar";
    EXPECT_EQ(stop.ends, 1);
    EXPECT_EQ(r.changed, std::vector<CodeId>{o.e1()});
    EXPECT_EQ(o.d->codes[o.e1()].scheduled, 2);
    EXPECT_EQ(o.d->codes[o.f.id("E2")].scheduled, 0);
}

// An event the lecture store has no room for keeps what it had; the run goes on, places a later
// event that still fits and names the one refused.
TEST(InitialSolution, FullStoreRefusesAnEventAndTheRunGoesOn)
{
    OneEvent o(2);
    o.f.event("E2", {"G2", "T2"}, 1).allocate("E2", 1, 1, 1);
    o.f.resources('R', {"Z"});
    o.f.finish();
    markAll(*o.d);
    // Fill the store with valid bookings of Z but one entry: E1's two blocks of one period need
    // two more entries, E2's block one.
    const CodeId z = o.f.id("Z");
    const SlotCoding &k = o.d->coding;
    for (int i = o.d->lectureCount + 1; i < MaxLectures; ++i) {
        o.d->lectureWord[i] = z | LectureBookingBit;
        o.d->lectureStart[i] = o.d->lectureEnd[i] = k.pack(1, 1 + i % 5, 1 + i % 8);
        o.d->bookingKind[i] = 1;
    }
    o.d->lectureCount = MaxLectures - 1;

    const InitialResult r = run(*o.d, settingsFor(*o.d, 1, 1, 1));
    EXPECT_TRUE(r.storeFailed);
    EXPECT_EQ(r.storeRefused, std::vector<CodeId>{o.e1()});
    EXPECT_EQ(r.changed, std::vector<CodeId>{o.f.id("E2")});
    EXPECT_EQ(r.placed, 1);
    EXPECT_NE(r.message.find("\"E1\""), std::string::npos) << r.message;
    EXPECT_EQ(r.message.find("\"E2\""), std::string::npos) << r.message;
    EXPECT_TRUE(blocksOf(*o.d, o.e1()).empty());
    EXPECT_EQ(o.d->codes[o.e1()].scheduled, 0);
    EXPECT_EQ(o.d->codes[o.e1()].allocated, 2);
    EXPECT_EQ(o.d->codes[o.f.id("E2")].scheduled, 1);
}

TEST(InitialSolution, LearnedPatternsShapeBlocks)
{
    // A taught event with 3 periods: 2 on day 1, 1 on day 3.
    OneEvent o(3);
    o.f.event("P", {"G2", "T2"}, 3).allocate("P", 1, 1, 3);
    o.f.place("P", 1, 1, 1, 2).place("P", 1, 3, 4, 4);
    o.f.finish();
    PatternTable patterns;
    learnPatterns(*o.d, patterns);
    const std::int32_t key = 3 << 13 | 1 << 8 | 2 << 3 | 1;
    ASSERT_EQ(patterns, PatternTable{key << 10 | NewPatternAge});
    learnPatterns(*o.d, patterns);
    EXPECT_EQ(patterns, PatternTable{key << 10 | (NewPatternAge - 1)});
    PatternTable aged{key << 10};
    learnPatterns(*o.d, aged);
    EXPECT_EQ(aged, PatternTable{key << 10 | NewPatternAge}); // 0 wraps to 1023

    Random random(7);
    BlockLengths lengths;
    EXPECT_FALSE(pickPattern(*o.d, patterns, 4, random, lengths));
    ASSERT_TRUE(pickPattern(*o.d, patterns, 3, random, lengths));
    EXPECT_EQ(lengths.minLen, 1);
    EXPECT_EQ(lengths.maxLen, 2);
    EXPECT_EQ(lengths.maxRepeats, 1);

    // Without a pattern: 7 periods over 5 days give blocks up to 2, repeated 4 times.
    TimeRange range = defaultInitialSettings(*o.d).range;
    BlockLengths spread{1, 3, 1};
    blockRangeByApplication(*o.d, patterns, 7, range, RangesByApplication, random, spread);
    EXPECT_EQ(spread.minLen, 1);
    EXPECT_EQ(spread.maxLen, 2);
    EXPECT_EQ(spread.maxRepeats, 4);
    BlockLengths narrowed{2, 3, 1};
    blockRangeByApplication(*o.d, patterns, 3, range, RangesBelowAndByApplication, random,
                            narrowed);
    EXPECT_EQ(narrowed.minLen, 2);
    EXPECT_EQ(narrowed.maxLen, 2);

    // E1 has 3 periods too: "by application" gives it the learned 2 + 1.
    o.d->codes[o.e1()].flags |= 1;
    InitialSettings s = settingsFor(*o.d, 3, 3, 1);
    s.mode = RangesByApplication;
    runInitialSolution(*o.d, s, patterns);
    const auto blocks = blocksOf(*o.d, o.e1());
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].last - blocks[0].first + blocks[1].last - blocks[1].first + 2, 3);
    EXPECT_NE(blocks[0].day, blocks[1].day);
}

TEST(InitialSolution, GeneratedInstitutionsArePlacedWithoutConflicts)
{
    for (const InstitutionPlan &base : {smallInstitution(3), mediumInstitution(5)}) {
        SCOPED_TRACE(base.periodsPerWeek);
        InstitutionPlan plan = base;
        plan.place = false;
        std::string firstDump;
        for (int pass = 0; pass < 2; ++pass) {
            auto d = makeScheduleData();
            const GeneratedInstitution g = generateInstitution(*d, plan);
            markAll(*d);
            InitialSettings s = defaultInitialSettings(*d);
            s.seed = 11;
            const InitialResult r = run(*d, s);
            ASSERT_FALSE(r.refused) << r.message;
            totals(*d, 1, d->codeCount);
            const int allocated = g.periodsPerWeek * plan.weeks;
            EXPECT_EQ(d->counters.allocatedTotal, allocated);
            EXPECT_EQ(r.placed, d->counters.scheduledTotal);
            EXPECT_GT(r.placed, allocated * 3 / 4);
            EXPECT_EQ(r.conflictsAfter, 0);
            EXPECT_EQ(conflictsInWeeks(*d, 1, plan.weeks), 0);
            EXPECT_EQ(selfOverlaps(*d), 0);
            for (int i = 1; i <= d->eventList[0]; ++i) {
                const CodeRecord &rec = d->codes[d->eventList[i]];
                EXPECT_LE(rec.scheduled, rec.allocated);
            }
            if (pass == 0)
                firstDump = dumpScheduleData(*d);
            else
                EXPECT_EQ(dumpScheduleData(*d), firstDump);
        }
    }
}

TEST(InitialSolution, ScheduleAllReportsWhatIsLeft)
{
    auto d = makeScheduleData();
    InstitutionPlan plan = smallInstitution(9);
    plan.place = false;
    generateInstitution(*d, plan);
    const ScheduleSummary s = scheduleAll(*d, 1);
    EXPECT_TRUE(s.refusal.empty()) << s.refusal;
    EXPECT_EQ(s.allocated, s.scheduled + s.left);
    EXPECT_EQ(s.placed, s.scheduled);
    EXPECT_GT(s.placed, 0);
    for (int c = 1; c <= d->codeCount; ++c)
        EXPECT_EQ(d->codes[c].flags & LinkMarksMask, 0) << c;

    auto empty = makeScheduleData();
    EXPECT_EQ(scheduleAll(*empty, 1).refusal,
              "You cannot run \"Initial solution\" now, because there are no valid events (go to "
              "Events view).");
}

} // namespace
} // namespace quivra
