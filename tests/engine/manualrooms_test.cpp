#include "engine/manualrooms.h"

#include "engine/lectures.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace quivra {
namespace {

// Four weeks of five days and six bells. E1 (group G1) sits on day 1, bells 1-2, of weeks 1-3;
// E2 (G2) and E3 (G3 with room R2) both on week 1, day 1, bell 1. Only E3 has a room resource.
void baseFixture(FixtureBuilder &f)
{
    f.calendar(4, 5, 6).resources('G', {"G1", "G2", "G3", "G4"}).resources('R', {"R1", "R2"});
    f.event("E1", {"G1"}, 6).allocate("E1", 1, 3, 2);
    f.place("E1", 1, 1, 1, 2).place("E1", 2, 1, 1, 2).place("E1", 3, 1, 1, 2);
    f.event("E2", {"G2"}).allocate("E2", 1, 1, 1).place("E2", 1, 1, 1, 1);
    f.event("E3", {"G3", "R2"}).allocate("E3", 1, 1, 1).place("E3", 1, 1, 1, 1);
}

std::vector<ManualTriple> triples(const ScheduleData &d)
{
    std::vector<ManualTriple> out;
    for (int k = 1; k <= manualTripleCount(d); ++k)
        out.push_back(manualTriple(d, k));
    return out;
}

ManualTriple triple(const FixtureBuilder &f, const char *event, int w, int day, int bell,
                    const char *room)
{
    return {manualSlot(w, day, bell), f.id(event), room[0] ? f.id(room) : CodeId{0}};
}

class ScriptedDialogue : public ManualRoomDialogue
{
public:
    Answer answer = Answer::Yes;
    std::vector<CodeId> asked;
    std::string lastMessage;

    bool confirmCompact(int, int, int) override { return true; }
    Answer askAddRoom(CodeId event, CodeId, int) override
    {
        asked.push_back(event);
        return answer;
    }
    bool chooseCombinations(std::vector<RoomCombination> &combinations, int) override
    {
        for (RoomCombination &c : combinations)
            c.accepted = true;
        return true;
    }
    void inform(const std::string &text) override { lastMessage = text; }
};

TEST(ManualRoomNormalise, KeepsOneRoomPerSlotAndOneTriplePerSlotAndEvent)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    f.event("E4", {"G4"}, 1, 2).allocate("E4", 1, 1, 1).place("E4", 1, 2, 1, 1);
    f.manualRoom("E1", 1, 1, 1, "R1");
    f.manualRoom("E2", 1, 1, 1, "R1"); // same slot and room: the earlier E1 keeps it
    f.manualRoom("E1", 1, 1, 2, "");
    f.manualRoom("E1", 1, 1, 2, "R2"); // duplicate slot and event: the one with a room survives
    f.manualRoom("E3", 1, 1, 1, "R1"); // E3 has a room resource
    f.manualRoom("E2", 0, 0, 0, "R1"); // void
    f.manualRoom("E4", 1, 2, 1, "R1"); // category 2, left out below
    f.finish();
    setIncludedEventCategories(*d, 0b101);
    d->modified = false;

    EXPECT_EQ(normaliseManualRooms(*d, 1, 4), 3);
    EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E1", 1, 1, 1, "R1"),
                                                      triple(f, "E2", 1, 1, 1, ""),
                                                      triple(f, "E1", 1, 1, 2, "R2")}));
    EXPECT_TRUE(d->modified);
    EXPECT_EQ(d->manualRooms[10], 0); // the tail is cleared

    const ManualRoomUsage usage = manualRoomUsage(*d);
    EXPECT_EQ(usage.assigned, 2);
    EXPECT_EQ(usage.empty, 1);
    EXPECT_EQ(usage.perRoom[f.id("R1")], 1);
}

TEST(ManualRoomNormalise, EventGivenARoomResourceLosesItsTriples)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    f.manualRoom("E1", 1, 1, 1, "R1").manualRoom("E1", 2, 1, 1, "").manualRoom("E2", 1, 1, 1, "");
    f.finish();
    MemberList members = collectionOf(*d, f.id("E1"));
    members[++members[0]] = f.id("R1");
    ASSERT_GT(setCollection(*d, f.id("E1"), members), 0);

    normaliseManualRooms(*d, 1, 4);
    EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E2", 1, 1, 1, "")}));
}

TEST(ManualRoomNormalise, NarrowScopeLeavesEverythingOutsideIt)
{
    struct Case
    {
        const char *name;
        int w1, w2;
        const char *filter;
    };
    const Case cases[] = {{"week range", 1, 1, ""}, {"room filter", 1, 4, "R1"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        baseFixture(f);
        f.manualRoom("E1", 1, 1, 1, "R1");
        // Week 3, never room R1: each would be dropped or changed by an unscoped normalise.
        f.manualRoom("E3", 3, 1, 1, "R2");
        f.manualRoom("E1", 3, 1, 1, "R2").manualRoom("E2", 3, 1, 1, "R2");
        f.manualRoom("E1", 3, 1, 2, "").manualRoom("E1", 3, 1, 2, "");
        f.finish();
        const std::vector<ManualTriple> before = triples(*d);

        EXPECT_EQ(normaliseManualRooms(*d, c.w1, c.w2, c.filter[0] ? f.id(c.filter) : 0), 1);
        EXPECT_EQ(triples(*d), before);
        EXPECT_FALSE(d->modified);

        // Only the confirmed narrowing of the included weeks drops what lies outside.
        EXPECT_EQ(countOutsideWeeks(*d, 1, 1), 5);
        EXPECT_EQ(dropOutsideWeeks(*d, 1, 1), 5);
        EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E1", 1, 1, 1, "R1")}));
    }

    // The same store unscoped: the faults of week 3 are repaired.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    f.manualRoom("E3", 3, 1, 1, "R2").manualRoom("E1", 3, 1, 1, "R2");
    f.manualRoom("E2", 3, 1, 1, "R2").manualRoom("E1", 3, 1, 2, "").manualRoom("E1", 3, 1, 2, "");
    f.finish();
    EXPECT_EQ(normaliseManualRooms(*d, 1, 4), 3);
    EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E1", 3, 1, 1, "R2"),
                                                      triple(f, "E2", 3, 1, 1, ""),
                                                      triple(f, "E1", 3, 1, 2, "")}));
}

TEST(ManualRoomSlotList, AddsEachPlacedCellOnceAndStopsAtCapacity)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    f.finish();

    SlotListResult r = buildSlotList(*d, 1, 4);
    EXPECT_EQ(r.added, 7); // E1: 3 weeks x 2 bells, E2: 1; E3 has a room resource
    EXPECT_EQ(r.missing, 0);
    EXPECT_EQ(findTriple(*d, 1, 1, 1, 0, 0, f.id("E3")), 0);
    EXPECT_NE(findTriple(*d, 3, 1, 2, 0, 0, f.id("E1")), 0);
    EXPECT_EQ(buildSlotList(*d, 1, 4).added, 0);
    EXPECT_EQ(buildSlotList(*d, 2, 2).used, 7); // narrower weeks drop nothing

    // A store three triples short of full, its filler in weeks the list does not cover.
    d->manualRooms.fill(0);
    for (int k = 0; k < ManualRoomCapacity - 3; ++k) {
        const int i = 3 * k + 1;
        d->manualRooms[i] = manualSlot(10 + k / 210, k % 210 / 30 + 1, k % 30 + 1);
        d->manualRooms[i + 1] = f.id("E2");
    }
    d->manualRooms[0] = 3 * (ManualRoomCapacity - 3);
    r = buildSlotList(*d, 1, 4);
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.missing, 4);
    EXPECT_EQ(d->manualRooms[0], ManualRoomWordLimit);
}

TEST(ManualRoomAssign, AvailabilityDecidesWhatMayBeAssigned)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    f.finish();
    const CodeId e1 = f.id("E1"), e2 = f.id("E2"), r1 = f.id("R1");

    // R2 holds E3 in week 1, day 1, bell 1.
    EXPECT_EQ(availableRooms(*d, e1, 1, 1, 1), std::vector<CodeId>{r1});
    EXPECT_EQ(availableRooms(*d, e1, 1, 1, 2), (std::vector<CodeId>{r1, f.id("R2")}));
    EXPECT_EQ(roomsThatCanJoin(*d, e1, 1), std::vector<CodeId>{r1});
    EXPECT_EQ(roomsThatCanJoin(*d, e1, 2), (std::vector<CodeId>{r1, f.id("R2")}));

    struct Step
    {
        const char *name;
        CodeId event;
        int bell;
        CodeId room;
        AssignOutcome expected;
    };
    const Step steps[] = {
        {"free room", e1, 1, r1, AssignOutcome::Assigned},
        {"same again", e1, 1, r1, AssignOutcome::Unchanged},
        {"room taken by a triple", e2, 1, r1, AssignOutcome::NotAvailable},
        {"room busy in its timetable", e2, 1, f.id("R2"), AssignOutcome::NotAvailable},
        {"event not placed there", e2, 2, r1, AssignOutcome::NotPlaced},
        {"event with a room resource", f.id("E3"), 1, r1, AssignOutcome::Invalid},
        {"not a room", e1, 2, f.id("G4"), AssignOutcome::Invalid},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(assignRoom(*d, s.event, 1, 1, s.bell, s.room), s.expected);
    }
    EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E1", 1, 1, 1, "R1")}));
    EXPECT_TRUE(availableRooms(*d, e2, 1, 1, 1).empty());
    EXPECT_EQ(roomOfSlot(*d, 1, 1, 1, r1), e1);

    EXPECT_EQ(clearRooms(*d, 0, 0, 0, e1), 1);
    EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E1", 1, 1, 1, "")}));
}

TEST(ManualRoomCopy, CopiesOnlyWhereTheEventIsPlacedAndTheRoomIsFree)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    f.event("E9", {"R1"}).allocate("E9", 3, 3, 1).place("E9", 3, 1, 2, 2);
    f.manualRoom("E1", 1, 1, 1, "R1").manualRoom("E1", 1, 1, 2, "R1");
    f.manualRoom("E1", 2, 1, 1, "");
    f.finish();
    const CodeId e1 = f.id("E1");

    // Week 2 bell 1 exists (kept without overwrite), week 2 bell 2 and week 3 bell 1 are new,
    // week 3 bell 2 has R1 busy, week 4 has no placement.
    EXPECT_EQ(copyRoomToWeeks(*d, e1, 1, 1, 4, false), 2);
    EXPECT_EQ(manualTriple(*d, findTriple(*d, 2, 1, 1, 0, 0, e1)).room, 0);
    EXPECT_NE(findTriple(*d, 2, 1, 2, 0, f.id("R1"), e1), 0);
    EXPECT_NE(findTriple(*d, 3, 1, 1, 0, f.id("R1"), e1), 0);
    EXPECT_EQ(findTriple(*d, 3, 1, 2, 0, 0, e1), 0);
    EXPECT_EQ(manualTripleCount(*d), 5);

    EXPECT_EQ(copyRoomToWeeks(*d, e1, 1, 1, 4, true), 1);
    EXPECT_EQ(manualTriple(*d, findTriple(*d, 2, 1, 1, 0, 0, e1)).room, f.id("R1"));
}

TEST(ManualRoomChecks, CleanupAndOverlapsDropTriplesThatNoLongerHold)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    // E8 shares G2 with E2 in week 1, day 1, bell 1: one of the two is hidden in G2's cell.
    f.event("E8", {"G2"}).allocate("E8", 1, 1, 1).place("E8", 1, 1, 1, 1);
    f.manualRoom("E1", 1, 1, 1, "R1");
    f.manualRoom("E1", 4, 1, 1, "");   // E1 is not placed in week 4
    f.manualRoom("E2", 1, 1, 1, "R2"); // R2's own timetable holds E3 there
    f.manualRoom("E1", 1, 1, 2, "R2");
    f.finish();

    EXPECT_EQ(validityCleanup(*d, 1, 4), 2);
    EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E1", 1, 1, 1, "R1"),
                                                      triple(f, "E1", 1, 1, 2, "R2")}));

    f.manualRoom("E2", 1, 1, 1, "").manualRoom("E8", 1, 1, 1, ""); // one of them overlaps
    f.manualRoom("E2", 2, 1, 1, "R1"); // room given where E2 is not placed
    EXPECT_EQ(manualRoomOverlaps(*d, 1, 4, false), 2);
    EXPECT_EQ(manualTripleCount(*d), 5);
    EXPECT_EQ(manualRoomOverlaps(*d, 1, 4, true), 2);
    EXPECT_EQ(manualTripleCount(*d), 3);
    EXPECT_EQ(manualRoomOverlaps(*d, 1, 4, false), 0);
}

TEST(ManualRoomCompact, AddsTheCommonRoomOnlyWhenItCanJoin)
{
    for (const bool blocked : {false, true}) {
        SCOPED_TRACE(blocked ? "room busy at one slot" : "room free");
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        baseFixture(f);
        f.event("E5", {"G4"}, 6).allocate("E5", 1, 3, 2);
        for (int w = 1; w <= 3; ++w)
            f.place("E5", w, 2, 1, 2)
                .manualRoom("E5", w, 2, 1, "R1")
                .manualRoom("E5", w, 2, 2, "R1");
        f.manualRoom("E1", 1, 1, 1, "R1").manualRoom("E1", 1, 1, 2, ""); // mixed: not offered
        if (blocked)
            f.event("E6", {"R1"}).allocate("E6", 3, 3, 1).place("E6", 3, 2, 2, 2);
        f.finish();
        const CodeId e5 = f.id("E5"), r1 = f.id("R1");

        ScriptedDialogue dialogue;
        const CompactResult r = compactManualRooms(*d, dialogue);
        EXPECT_EQ(dialogue.asked, std::vector<CodeId>{e5});
        EXPECT_EQ(r.assignedBefore, 7);
        const MemberList members = collectionOf(*d, e5);
        int e5Triples = 0;
        for (const ManualTriple &t : triples(*d))
            e5Triples += t.event == e5 ? 1 : 0;
        if (blocked) {
            EXPECT_EQ(positionInList(r1, members), 0);
            EXPECT_EQ(e5Triples, 6);
            EXPECT_TRUE(r.eventsRemoved.empty());
            EXPECT_EQ(dialogue.lastMessage,
                      "None of the manual room assignments could be compacted.");
        } else {
            EXPECT_EQ(positionInList(r1, members), 2);
            EXPECT_EQ(e5Triples, 0);
            EXPECT_EQ(r.eventsRemoved, std::vector<CodeId>{e5});
            EXPECT_EQ(r.assignedAfter, 1);
            EXPECT_EQ(r.emptyAfter, 1);
        }
    }
}

TEST(ManualRoomImitate, GivesWaitingSlotsTheAcceptedRoomWhereItIsFree)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    baseFixture(f);
    f.event("E9", {"R1"}).allocate("E9", 3, 3, 1).place("E9", 3, 1, 2, 2);
    f.manualRoom("E1", 1, 1, 2, "R1").manualRoom("E1", 2, 1, 2, "").manualRoom("E1", 3, 1, 2, "");
    f.finish();

    ScriptedDialogue dialogue;
    const ImitateResult r = imitateRooms(*d, dialogue);
    EXPECT_EQ(r.combinations, 1);
    EXPECT_EQ(r.waitingBefore, 2);
    EXPECT_EQ(r.assigned, 1); // week 3: R1 holds E9
    EXPECT_EQ(triples(*d), (std::vector<ManualTriple>{triple(f, "E1", 1, 1, 2, "R1"),
                                                      triple(f, "E1", 2, 1, 2, "R1"),
                                                      triple(f, "E1", 3, 1, 2, "")}));
    EXPECT_EQ(dialogue.lastMessage, "1 of the remaining 2 slots were assigned to rooms.");
}

} // namespace
} // namespace quivra
