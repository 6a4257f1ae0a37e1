#include "optimise/selection.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quivra {
namespace {

// Categories G 1, T 2, R 3, S 4 (subjects) and P 5 (students), as the defaults name them.
std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    d->resourceCategories.assign("G:Groups$T:Teachers$R:Rooms$S:Subjects$P:Students$");
    return d;
}

std::vector<std::string> membersOf(const ScheduleData &d, const char *event)
{
    const MemberList m = collectionOf(d, findCode(d, event));
    std::vector<std::string> codes;
    for (int i = 1; i <= m[0]; ++i)
        codes.push_back(d.codes[m[i]].code.str());
    return codes;
}

int studentsIn(const ScheduleData &d, const char *event)
{
    int n = 0;
    for (const std::string &c : membersOf(d, event))
        n += c.starts_with("P") ? 1 : 0;
    return n;
}

TEST(Selection, MatrixRowsGivePairsOfTheirSubjectsAndStudents)
{
    auto d = school();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 8).resources('S', {"Maths", "Physics", "Art"}).resources('P', {"P1", "P2"});
    f.resources('T', {"T1"});
    f.event("M1", {"Maths", "T1"}).event("M2", {"Maths"}).event("PH1", {"Physics"});
    f.finish();
    struct Case
    {
        const char *text;
        std::vector<std::pair<std::string, std::string>> pairs; // subject, student
    } cases[] = {
        {"P1\tMaths\tPhysics\r\n", {{"Maths", "P1"}, {"Physics", "P1"}}},
        {"P1\tP2\tMaths", {{"Maths", "P1"}, {"Maths", "P2"}}},
        // Events, unknown codes, teachers and repeats are ignored.
        {"M1\tnobody\tT1\tMaths\tMaths\t P1 \n\nP2", {{"Maths", "P1"}}},
        {"Art\tP2\n", {{"Art", "P2"}}},
    };
    for (const Case &c : cases) {
        const auto pairs = readSelectionMatrix(*d, c.text, 5, 4);
        std::vector<std::pair<std::string, std::string>> got;
        for (const SelectionPair &p : pairs)
            got.emplace_back(d->codes[p.subject].code.str(), d->codes[p.student].code.str());
        EXPECT_EQ(got, c.pairs) << c.text;
    }
    const auto counted = readSelectionMatrix(*d, "P1\tMaths\tPhysics\tArt", 5, 4);
    ASSERT_EQ(counted.size(), 3u);
    EXPECT_EQ(counted[0].options, 2);
    EXPECT_EQ(counted[1].options, 1);
    EXPECT_EQ(counted[2].options, 0);
}

// Students go to the event of the subject with the fewest resources; a subject without events
// adds nothing and is not left over; a student whose week is full is never added; Reject puts
// every collection back as it was, in its order.
TEST(Selection, MatrixAddsToTheEmptiestEventAndRejectRestoresExactly)
{
    auto d = school();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 2).resources('S', {"Maths", "Art"}).resources('P', {"P1", "P2", "P3"});
    f.resources('T', {"T1", "T2", "T3"});
    f.event("M1", {"Maths", "T1", "T2"}, 1).event("M2", {"Maths", "T3"}, 1);
    f.allocate("M1", 1, 1, 1).allocate("M2", 1, 1, 1);
    f.event("Busy", {"P3"}, 2).allocate("Busy", 1, 1, 2);
    f.finish();
    const std::string before = dumpScheduleData(*d);
    SelectionSnapshot snapshot(*d);
    NullProgress progress;
    const auto pairs = readSelectionMatrix(*d, "P1\tMaths\tArt\nP2\tMaths\nP3\tMaths\n", 5, 4);
    ASSERT_EQ(pairs.size(), 4u);
    const SelectionRun run = addFromMatrix(*d, pairs, SelectionEventFilter::All, {}, progress);

    EXPECT_EQ(membersOf(*d, "M2"), (std::vector<std::string>{"Maths", "T3", "P1"}));
    EXPECT_EQ(membersOf(*d, "M1"), (std::vector<std::string>{"Maths", "T1", "T2", "P2"}))
        << "M2 has as many resources as M1 once P1 joined it, and M1 comes first";
    ASSERT_EQ(run.changes.size(), 2u);
    EXPECT_EQ(selectionChangeLine(*d, run.changes[0]), "M2: P1");
    // P3's only cells are taken by Busy: the pair is left over; Art has no event at all.
    ASSERT_EQ(run.notUsed.size(), 1u);
    EXPECT_EQ(d->codes[run.notUsed[0].student].code.str(), "P3");
    EXPECT_EQ(run.entriesAfter - run.entriesBefore, 2);

    snapshot.restore(*d);
    EXPECT_EQ(dumpScheduleData(*d), before);
}

// Events 6, 4 and 2 students of Maths and one Physics event of one student: Maths students move
// from the fullest to the emptiest Maths event until no two differ by more than one, and none
// is moved to Physics however empty it is. Locked events stay out when asked.
TEST(Selection, BalanceStaysWithinTheSubjectAndStopsWhenEven)
{
    struct Case
    {
        bool lockFirst;
        std::vector<int> counts; // M1, M2, M3 afterwards
    } cases[] = {{false, {4, 4, 4}}, {true, {6, 3, 3}}};
    for (const Case &c : cases) {
        auto d = school();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 8).resources('S', {"Maths", "Physics"});
        f.resources('P', {"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9", "P10", "P11", "P12",
                          "P13"});
        f.event("M1", {"Maths", "P1", "P2", "P3", "P4", "P5", "P6"});
        f.event("M2", {"Maths", "P7", "P8", "P9", "P10"});
        f.event("M3", {"Maths", "P11", "P12"});
        f.event("PH", {"Physics", "P13"});
        f.finish();
        if (c.lockFirst)
            d->codes[f.id("M1")].flags |= LockedBit;
        SelectionOptions options;
        options.changeLocked = !c.lockFirst;
        NullProgress progress;
        const SelectionRun run = balanceStudents(*d, options, progress);
        EXPECT_EQ(
            (std::vector<int>{studentsIn(*d, "M1"), studentsIn(*d, "M2"), studentsIn(*d, "M3")}),
            c.counts);
        EXPECT_EQ(membersOf(*d, "PH"), (std::vector<std::string>{"Physics", "P13"}));
        EXPECT_EQ(run.largestBefore, c.lockFirst ? 4 : 6);
        EXPECT_EQ(run.largestAfter, c.lockFirst ? 3 : 4);
        EXPECT_EQ(run.smallestAfter, 1) << "the Physics event";
    }
}

// A student with a gap between two events is moved to the other event of the same subject that
// closes it; once no student's gaps can fall, the search ends. Equal measures move nobody.
TEST(Selection, SwapsReduceGapsAndLeaveEvenMeasuresAlone)
{
    auto d = school();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 4).resources('S', {"X", "Y"}).resources('P', {"P1", "P2"});
    f.event("X1", {"X", "P1"}).event("Y1", {"Y", "P1"}).event("Y2", {"Y", "P2"});
    f.allocate("X1", 1, 1, 1).allocate("Y1", 1, 1, 1).allocate("Y2", 1, 1, 1);
    f.place("X1", 1, 1, 1, 1).place("Y1", 1, 1, 3, 3).place("Y2", 1, 1, 2, 2);
    f.finish();
    NullProgress progress;
    const std::string before = dumpScheduleData(*d);
    const SelectionRun even =
        swapStudents(*d, SwapCriteria::Neither, SwapGoal::Planned, {}, progress);
    EXPECT_TRUE(even.changes.empty());
    EXPECT_EQ(dumpScheduleData(*d), before);

    const SelectionRun run = swapStudents(*d, SwapCriteria::Both, SwapGoal::Gaps, {}, progress);
    ASSERT_EQ(run.changes.size(), 1u);
    EXPECT_EQ(selectionChangeLine(*d, run.changes[0]), "P1: Y1 -> Y2");
    EXPECT_EQ(membersOf(*d, "Y1"), (std::vector<std::string>{"Y"}));
    EXPECT_EQ(membersOf(*d, "Y2"), (std::vector<std::string>{"Y", "P2", "P1"}));
}

// A move that would not lower the student's gaps is tried and taken back: the collections keep
// their members in their order and the data set reads as before.
TEST(Selection, ARejectedGapsTryLeavesTheCollectionsAsTheyWere)
{
    auto d = school();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 4).resources('S', {"X", "Y"}).resources('P', {"P1", "P2"});
    f.event("X1", {"X", "P1"}).event("Y1", {"P1", "Y"}).event("Y2", {"Y", "P2"});
    f.allocate("X1", 1, 1, 1).allocate("Y1", 1, 1, 1).allocate("Y2", 1, 1, 1);
    f.place("X1", 1, 1, 1, 1).place("Y1", 1, 1, 3, 3).place("Y2", 1, 1, 4, 4);
    f.finish();
    const std::string before = dumpScheduleData(*d);
    NullProgress progress;
    const SelectionRun run = swapStudents(*d, SwapCriteria::Neither, SwapGoal::Gaps, {}, progress);
    EXPECT_TRUE(run.changes.empty());
    EXPECT_GT(run.options, 0);
    EXPECT_EQ(dumpScheduleData(*d), before);
}

// A student is not moved into an event whose periods its week cannot hold: with two cells a
// week, P1 (already in Busy) stays and the next student moves instead.
TEST(Selection, BalanceKeepsEveryStudentWithinTheWeek)
{
    auto d = school();
    FixtureBuilder f(*d);
    f.calendar(1, 1, 2).resources('S', {"Maths"}).resources('P', {"P1", "P2", "P3", "P4"});
    f.event("M1", {"Maths", "P1", "P2", "P3"}, 1).allocate("M1", 1, 1, 1);
    f.event("M2", {"Maths", "P4"}, 2).allocate("M2", 1, 1, 2);
    f.event("Busy", {"P1"}, 1).allocate("Busy", 1, 1, 1);
    f.finish();
    NullProgress progress;
    const SelectionRun run = balanceStudents(*d, {}, progress);
    ASSERT_EQ(run.changes.size(), 1u);
    EXPECT_EQ(selectionChangeLine(*d, run.changes[0]), "P2: M1 -> M2");
}

} // namespace
} // namespace quivra
