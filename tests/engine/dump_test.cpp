// The dump is the oracle other tests compare data sets with, so it must be deterministic where
// store order carries no meaning, and it must see every change anywhere else.

#include "engine/dump.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace quivra {
namespace {

// Built without finish(): the dump must not depend on the engine having run.
void build(ScheduleData &d)
{
    FixtureBuilder f(d);
    f.calendar(4, 5, 6);
    f.resources('G', {"G1", "G2"}).resources('T', {"T1"}).resources('R', {"R1", "R2"});
    f.event("E1", {"G1", "T1", "R1"}, 4).event("E2", {"G2", "T1"}, 2).event("E3", {"G1"}, 1);
    f.allocate("E1", 1, 3, 2).place("E1", 1, 2, 3, 4).place("E1", 2, 1, 1, 1);
    f.allocate("E2", 2, 2, 1).place("E2", 2, 4, 2, 2).weekBooking("E3", 3, 4, 1);
    f.book("R1", 1, 1, 1, 2).book("R2", 2, 3, 1, 1, 3);
    f.manualRoom("E2", 2, 4, 2, "R2").manualRoom("E2", 1, 1, 1, "").manualRoom("E3", 1, 1, 1, "R1");
    f.role("E1", "T1", "Lecturer").role("E2", "T1", "Assistant").role("E1", "G1", "Lecturer");
    f.comment("[001203];T1;first").comment("[000000];*;second");
    f.memo("E1", "one").memo("T1", "two");
}

// Rewrites the collection list with the events' blocks in reverse order behind a hole,
// keeping collectionPos pointing at each marker.
void reverseCollectionBlocks(ScheduleData &d)
{
    std::vector<std::vector<std::uint16_t>> blocks;
    for (int i = 1; i <= d.collectionEntryCount; ++i) {
        if (d.collection[i] & CollectionMarkerBit)
            blocks.emplace_back();
        blocks.back().push_back(d.collection[i]);
    }
    std::reverse(blocks.begin(), blocks.end());
    int n = 0;
    d.collection[++n] = 0;
    for (const auto &block : blocks) {
        d.codes[collectionCode(block[0])].collectionPos = static_cast<std::uint16_t>(n + 1);
        for (const auto entry : block)
            d.collection[++n] = entry;
    }
    d.collectionEntryCount = n;
}

TEST(DumpTest, StoreOrderWithoutMeaningDoesNotShow)
{
    auto a = makeScheduleData();
    auto b = makeScheduleData();
    build(*a);
    build(*b);

    ScheduleData &d = *b;
    const int n = d.lectureCount;
    std::reverse(d.lectureWord.begin() + 1, d.lectureWord.begin() + 1 + n);
    std::reverse(d.lectureStart.begin() + 1, d.lectureStart.begin() + 1 + n);
    std::reverse(d.lectureEnd.begin() + 1, d.lectureEnd.begin() + 1 + n);
    std::reverse(d.bookingKind.begin() + 1, d.bookingKind.begin() + 1 + n);
    reverseCollectionBlocks(d);
    std::swap_ranges(d.manualRooms.begin() + 1, d.manualRooms.begin() + 4,
                     d.manualRooms.begin() + 7);
    std::swap(d.assignments[1], d.assignments[2]);

    EXPECT_EQ(dumpScheduleData(*a), dumpScheduleData(*b));
}

TEST(DumpTest, EveryStoreShows)
{
    struct Mutation
    {
        const char *name;
        std::function<void(ScheduleData &)> apply;
    };
    // Entries of the data set built above: 1 G1, 2 G2, 3 T1, 4 R1, 5 R2, 6 E1, 7 E2, 8 E3.
    const Mutation mutations[] = {
        {"code text", [](ScheduleData &d) { d.codes[1].code.assign("G9"); }},
        {"code name", [](ScheduleData &d) { d.codes[1].name.assign("Other"); }},
        {"lock", [](ScheduleData &d) { d.codes[6].flags |= LockedBit; }},
        {"marks", [](ScheduleData &d) { d.codes[2].flags |= 3; }},
        {"flag bit 5", [](ScheduleData &d) { d.codes[2].flags |= 0x20; }},
        {"category", [](ScheduleData &d) { d.codes[2].flags ^= 0x0180; }},
        {"planned", [](ScheduleData &d) { d.codes[6].planned = 9; }},
        {"colour", [](ScheduleData &d) { d.codes[4].colour = 0x00FF00; }},
        {"code order", [](ScheduleData &d) { std::swap(d.codes[1], d.codes[2]); }},
        {"stale record", [](ScheduleData &d) { d.codes[9].planned = 1; }},
        {"code mask", [](ScheduleData &d) { d.lectureCodeMask = WideCodeMask; }},
        {"event categories", [](ScheduleData &d) { d.eventCategories.assign("x:X$"); }},
        {"booking kinds", [](ScheduleData &d) { d.bookingKinds.assign("a$b$c$"); }},
        {"visible mask", [](ScheduleData &d) { d.visibleMasks[1] = 7; }},
        {"no-timetable mask", [](ScheduleData &d) { d.noTimetableMasks[2] = 1; }},
        {"no-gaps mask", [](ScheduleData &d) { d.noGapsMasks[0] = 1; }},
        {"rooms category", [](ScheduleData &d) { d.roomsCategory = 2; }},
        {"subjects category", [](ScheduleData &d) { d.subjectsCategory = 5; }},
        {"vocabulary", [](ScheduleData &d) { d.vocabulary = "A$"; }},
        {"coding", [](ScheduleData &d) { d.coding.bellLimit = 12; }},
        {"calendar range", [](ScheduleData &d) { d.calendarRange.endBell = 7; }},
        {"optimise range", [](ScheduleData &d) { d.optimiseRange.a = 2; }},
        {"current week", [](ScheduleData &d) { d.currentWeek = 3; }},
        {"first week date", [](ScheduleData &d) { d.firstWeekDate = 45000; }},
        {"calendar mode", [](ScheduleData &d) { d.calendarMode = 2; }},
        {"average divider", [](ScheduleData &d) { d.averageDivider = 4; }},
        {"week name", [](ScheduleData &d) { d.weeks[2].name.assign("Two"); }},
        {"week length", [](ScheduleData &d) { d.weeks[200].length = 0; }},
        {"day names", [](ScheduleData &d) { d.dayNames = "Mo$Tu$"; }},
        {"bell name", [](ScheduleData &d) { d.bellNames[30].assign("16:00"); }},
        {"member order", [](ScheduleData &d) { std::swap(d.collection[2], d.collection[3]); }},
        {"member removed", [](ScheduleData &d) { d.collection[4] = 0; }},
        {"collection count", [](ScheduleData &d) { d.collectionEntryCount = 3; }},
        {"lecture start", [](ScheduleData &d) { ++d.lectureStart[2]; }},
        {"lecture end", [](ScheduleData &d) { ++d.lectureEnd[1]; }},
        {"lecture code", [](ScheduleData &d) { ++d.lectureWord[3]; }},
        {"lecture event bit", [](ScheduleData &d) { d.lectureWord[8] |= LectureEventBit; }},
        {"lecture legacy kind", [](ScheduleData &d) { d.lectureWord[8] |= 0x1000; }},
        {"booking kind", [](ScheduleData &d) { d.bookingKind[8] = 3; }},
        {"lecture count", [](ScheduleData &d) { --d.lectureCount; }},
        {"lecture tail", [](ScheduleData &d) { d.lectureEnd[d.lectureCount + 1] = 1; }},
        {"manual room", [](ScheduleData &d) { d.manualRooms[3] = 4; }},
        {"manual slot", [](ScheduleData &d) { d.manualRooms[4] = 1; }},
        {"manual settings", [](ScheduleData &d) { d.manualRoomSettings[4] = 2; }},
        {"role name", [](ScheduleData &d) { d.roles[1].name.assign("Tutor"); }},
        {"role id", [](ScheduleData &d) { d.roles[2].id = 5; }},
        {"role uses", [](ScheduleData &d) { d.roles[2].uses = 0; }},
        {"assignment", [](ScheduleData &d) { d.assignments[2].role = 1; }},
        {"repeated pair order",
         [](ScheduleData &d) {
             d.assignments[++d.assignmentCount] = d.assignments[1];
             d.assignments[d.assignmentCount].role = 2;
             std::swap(d.assignments[1], d.assignments[d.assignmentCount]);
         }},
        {"roles off", [](ScheduleData &d) { d.rolesOn = false; }},
        {"comment order", [](ScheduleData &d) { std::swap(d.comments[0], d.comments[1]); }},
        {"memo text", [](ScheduleData &d) { d.memos[1] += "!"; }},
        {"report title", [](ScheduleData &d) { d.reportTitles[6] = "Rooms"; }},
        {"description", [](ScheduleData &d) { d.description = "x"; }},
        {"reserved 131", [](ScheduleData &d) { d.reserved131 = "x"; }},
        {"reserved 26", [](ScheduleData &d) { d.reserved26[39] = 1; }},
        {"usage counter", [](ScheduleData &d) { d.usageCounters[63] = 1; }},
        {"header version", [](ScheduleData &d) { d.header.versionRead = 6149; }},
        {"header comment", [](ScheduleData &d) { d.header.fileComment.assign("c"); }},
        {"header reserved", [](ScheduleData &d) { d.header.reserved10[9] = 1; }},
        {"weekly limits", [](ScheduleData &d) { d.header.weeklyCategoryLimits[7] = 1; }},
        {"conflict counters", [](ScheduleData &d) { d.header.conflictSourceCounters[1] = 1; }},
        {"editing time", [](ScheduleData &d) { d.header.editingTicks = 1; }},
        {"current code", [](ScheduleData &d) { d.currentCode = 2; }},
        {"current event", [](ScheduleData &d) { d.currentEvent = 6; }},
        {"lock-others resource", [](ScheduleData &d) { d.lockOthersResource = 3; }},
        {"modified", [](ScheduleData &d) { d.modified = true; }},
        {"allocated", [](ScheduleData &d) { d.codes[6].allocated = 1; }},
        {"links", [](ScheduleData &d) { d.codes[7].links = 0; }},
        {"first lecture", [](ScheduleData &d) { d.codes[1].firstLecture = 9; }},
        {"collection position", [](ScheduleData &d) { d.codes[6].collectionPos = 2; }},
        {"event list", [](ScheduleData &d) { d.eventList = {1, 6}; }},
        {"lists sorted", [](ScheduleData &d) { d.listsSorted = true; }},
        {"collection markers", [](ScheduleData &d) { d.collectionCount = 1; }},
        {"schedule extent", [](ScheduleData &d) { d.scheduleExtent.b = 1; }},
        {"store counters", [](ScheduleData &d) { d.counters.tableBookedTotal = 1; }},
        {"category counters", [](ScheduleData &d) { d.counters.eventCounters[9] = 1; }},
        {"week facts", [](ScheduleData &d) { d.facts.anyWeekLengthOne = true; }},
        {"block lengths", [](ScheduleData &d) { d.facts.blockLengths[30] = 1; }},
        {"booked cells", [](ScheduleData &d) { d.facts.bookedCells[3] = 1; }},
    };
    auto base = makeScheduleData();
    build(*base);
    const std::string before = dumpScheduleData(*base);
    for (const Mutation &m : mutations) {
        auto d = makeScheduleData();
        build(*d);
        m.apply(*d);
        EXPECT_NE(dumpScheduleData(*d), before) << m.name;
    }
}

TEST(DumpTest, CodesAreSingleUnambiguousTokens)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.resources('G', {"A B", "#2", "x\x01\xe9"}).event("E1", {"A B", "#2"});
    d->collection[++d->collectionEntryCount] = 4000; // a member naming no code
    const std::string dump = dumpScheduleData(*d);
    EXPECT_NE(dump.find("E1: A\\x20B \\x232 #4000\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find(" x\\x01\\xE9 "), std::string::npos) << dump;
}

TEST(DumpTest, DamagedCountsStayInsideTheStores)
{
    auto d = makeScheduleData();
    build(*d);
    d->codeCount = 60000;
    d->lectureCount = 40000;
    d->lectureCodeMask = 0xFFFF;
    d->collectionEntryCount = -3;
    d->manualRooms[0] = 65535;
    d->roleCount = 9999;
    d->assignmentCount = 20000;
    d->assignments[1].event = 65535;
    d->eventList[0] = 65535;
    d->collection[1] = 0x7FFF;
    EXPECT_FALSE(dumpScheduleData(*d).empty());
}

} // namespace
} // namespace quivra
