#include "optimise/completion.h"

#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "optimise/initialsolution.h"
#include "support/fixture.h"
#include "support/generator.h"

#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <string>
#include <vector>

namespace quivra {
namespace {

// Per (week, day) the bells of the event's placed periods; false when a cell is held twice.
bool cellsOf(ScheduleData &d, CodeId e, std::map<std::pair<int, int>, std::uint32_t> &cells)
{
    WeekAllocation wa;
    reloadWeekAllocation(d, e, wa);
    for (const LectureView &v : wa.timetable) {
        if (v.word == 0 || isBookingWord(v.word))
            continue;
        for (int w = v.startWeek; w <= v.endWeek; ++w)
            for (int day = v.startDay; day <= v.endDay; ++day) {
                const std::uint32_t bits = bellMask(v.startBell, v.endBell);
                std::uint32_t &seen = cells[{w, day}];
                if (seen & bits)
                    return false;
                seen |= bits;
            }
    }
    return true;
}

bool oneBlockADay(std::uint32_t bells)
{
    const std::uint32_t shifted = bells >> std::countr_zero(bells);
    return (shifted & (shifted + 1)) == 0;
}

// Institutions of about 20, 200 and 2000 events whose periods all fit without a conflict (the
// generator found such a week before it cleared it), with more teachers away than usual. Both
// after the initial solution and alone on the empty week, completion places every period, adds
// no conflict, keeps an event's periods of one day in one block and repeats itself exactly for
// the same seed.
TEST(Completion, PlantedInstitutionsAreCompletedWithoutConflicts)
{
    struct Case
    {
        int periods;
        std::uint32_t seed;
    };
    for (const Case c : {Case{50, 3}, Case{500, 5}, Case{5000, 7}}) {
        for (const bool afterInitial : {true, false}) {
            SCOPED_TRACE(std::to_string(c.periods) + (afterInitial ? " schedule" : " alone"));
            InstitutionPlan plan;
            plan.seed = c.seed;
            plan.periodsPerWeek = c.periods;
            plan.unavailablePercent = 40;
            plan.planted = true;
            std::string firstDump;
            for (int pass = 0; pass < 2; ++pass) {
                auto d = makeScheduleData();
                const GeneratedInstitution g = generateInstitution(*d, plan);
                ASSERT_GT(g.periodsPerWeek, 0);
                if (afterInitial) {
                    const ScheduleSummary s = scheduleAll(*d, 11, true);
                    ASSERT_TRUE(s.refusal.empty()) << s.refusal;
                    EXPECT_EQ(s.allocated, g.periodsPerWeek);
                    EXPECT_EQ(s.left, 0) << s.unplaced;
                    EXPECT_TRUE(s.unplaced.empty());
                    EXPECT_EQ(s.placed + s.completed, s.scheduled);
                    EXPECT_EQ(s.conflicts, 0);
                } else {
                    CompletionSettings cs;
                    cs.seed = 11;
                    const CompletionResult r = completeTimetables(*d, cs);
                    EXPECT_EQ(r.placed, g.periodsPerWeek);
                    EXPECT_EQ(r.left, 0) << completionReport(*d, r);
                    EXPECT_EQ(r.conflictsAfter, 0);
                    EXPECT_EQ(d->counters.scheduledTotal, g.periodsPerWeek);
                }
                EXPECT_EQ(conflictsInWeeks(*d, 1, 1), 0);
                for (int i = 1; i <= d->eventList[0]; ++i) {
                    const CodeId e = d->eventList[i];
                    EXPECT_LE(d->codes[e].scheduled, d->codes[e].allocated) << e;
                    std::map<std::pair<int, int>, std::uint32_t> cells;
                    EXPECT_TRUE(cellsOf(*d, e, cells)) << e;
                    for (const auto &[slot, bells] : cells)
                        EXPECT_TRUE(oneBlockADay(bells)) << e << " day " << slot.second;
                }
                if (pass == 0)
                    firstDump = dumpScheduleData(*d);
                else
                    EXPECT_EQ(dumpScheduleData(*d), firstDump);
            }
        }
    }
}

// E1 (teacher T1) sits on day 1; E2 needs T1 and G1, and G1 is booked on day 2. Completion
// places E2 by moving E1 to day 2, unless E1 must stay (locked, a room chosen by hand, placed
// over a booking): then E2 is reported, blocked by T1 and G1.
TEST(Completion, MovesWhatBlocksUnlessItMustStay)
{
    enum class Hold { None, Locked, ManualRoom, LockedButIncluded, OverBooking };
    struct Case
    {
        Hold hold;
        bool e2Placed;
        int e1Day;
    };
    for (const Case c :
         {Case{Hold::None, true, 2}, Case{Hold::Locked, false, 1}, Case{Hold::ManualRoom, false, 1},
          Case{Hold::LockedButIncluded, true, 2}, Case{Hold::OverBooking, false, 1}}) {
        SCOPED_TRACE(static_cast<int>(c.hold));
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 2, 1).resources('G', {"G1"}).resources('T', {"T1"}).resources('R', {"R1"});
        f.event("E1", {"T1"}, 1).allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
        f.event("E2", {"T1", "G1"}, 1).allocate("E2", 1, 1, 1);
        f.book("G1", 1, 2, 1, 1);
        if (c.hold == Hold::ManualRoom)
            f.manualRoom("E1", 1, 1, 1, "R1");
        if (c.hold == Hold::OverBooking) // moving E1 would uncover T1's booking
            f.book("T1", 1, 1, 1, 1);
        f.finish();
        if (c.hold == Hold::Locked || c.hold == Hold::LockedButIncluded)
            d->codes[f.id("E1")].flags |= LockedBit;

        CompletionSettings s;
        s.includeLocked = c.hold == Hold::LockedButIncluded;
        const CompletionResult r = completeTimetables(*d, s);
        EXPECT_EQ(r.conflictsAfter, 0);
        EXPECT_EQ(d->codes[f.id("E2")].scheduled, c.e2Placed ? 1 : 0);
        std::map<std::pair<int, int>, std::uint32_t> cells;
        cellsOf(*d, f.id("E1"), cells);
        EXPECT_EQ(cells[std::make_pair(1, c.e1Day)], 1u);
        if (c.e2Placed) {
            EXPECT_EQ(r.placed, 1);
            EXPECT_EQ(r.moved, 1);
            EXPECT_TRUE(r.unplaced.empty());
        } else {
            ASSERT_EQ(r.unplaced.size(), 1u);
            EXPECT_EQ(r.unplaced[0].event, f.id("E2"));
            EXPECT_EQ(r.left, 1);
            EXPECT_EQ(completionReport(*d, r), "E2 (week 1): 1 periods, blocked by T1, G1\n");
        }
    }
}

} // namespace
} // namespace quivra
