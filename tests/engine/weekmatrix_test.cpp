#include "engine/weekmatrix.h"

#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace quivra {
namespace {

constexpr int Week = 2;
constexpr CellWord P(int e)
{
    return static_cast<CellWord>(e | LectureEventBit);
}

// The event's period cells of one week as the lecture store holds them.
DayMasks storedCells(ScheduleData &d, int e, int week)
{
    DayMasks cells{};
    WeekAllocation wa;
    loadWeekAllocation(d, static_cast<CodeId>(e), wa);
    for (const LectureView &v : wa.timetable)
        if ((v.word & LectureEventBit) && !isBookingWord(v.word) && v.startWeek <= week &&
            week <= v.endWeek)
            for (int day = v.startDay; day <= v.endDay; ++day)
                cells[static_cast<std::size_t>(day)] |= bellMask(v.startBell, v.endBell);
    return cells;
}

int storedPlaced(ScheduleData &d, int e, int week)
{
    WeekAllocation wa;
    loadWeekAllocation(d, static_cast<CodeId>(e), wa);
    return wa.scheduled[static_cast<std::size_t>(week)];
}

// Every cell, every mask and every event state of `live` equals a fresh build of its week, and
// the store holds exactly what the matrix shows for each event.
void expectMatchesStore(ScheduleData &d, const WeekMatrix &live)
{
    WeekMatrix fresh;
    ASSERT_EQ(fresh.build(d, live.week()), live.rowCount());
    for (int row = 1; row <= live.rowCount(); ++row)
        for (int day = 1; day <= MaxDays; ++day) {
            ASSERT_EQ(live.eventMask(row, day), fresh.eventMask(row, day)) << row << "/" << day;
            ASSERT_EQ(live.bookingMask(row, day), fresh.bookingMask(row, day));
            for (int bell = 1; bell <= MaxBells; ++bell)
                ASSERT_EQ(live.cell(row, day, bell), fresh.cell(row, day, bell))
                    << "row " << row << " day " << day << " bell " << bell;
        }
    for (int k = 1; k <= MaxCategories; ++k)
        for (const bool bookings : {false, true})
            EXPECT_EQ(live.categoryGaps(k, bookings), fresh.categoryGaps(k, bookings));
    for (const CodeId e : fresh.weekEvents()) {
        const MatrixEvent *a = live.event(e);
        const MatrixEvent *b = fresh.event(e);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->cells, b->cells) << "event " << e;
        EXPECT_EQ(a->placed, b->placed);
        EXPECT_EQ(a->cells, storedCells(d, e, live.week()));
        EXPECT_EQ(a->placed, storedPlaced(d, e, live.week()));
    }
}

class WeekMatrixTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        f.calendar(4, 5, 8)
            .resources('G', {"G1", "G2"})
            .resources('T', {"T1", "T2", "T3"})
            .resources('R', {"R1", "R2"});
        f.event("E1", {"G1", "T1", "R1"}, 8).allocate("E1", 1, 4, 4);
        f.event("E2", {"G2", "T2", "R2"}, 8).allocate("E2", 1, 4, 4);
        f.event("E3", {"G1", "T3"}, 8).allocate("E3", 1, 4, 2);
        f.place("E1", Week, 1, 3, 4).place("E3", Week, 3, 1, 2);
        f.place("E2", Week, 3, 1, 2).place("E2", 3, 3, 1, 2);
        f.book("T2", Week, 5, 8, 1);
    }
    void build()
    {
        f.finish();
        m.build(*d, Week);
    }
    CodeId id(const char *code) const { return f.id(code); }
    int row(const char *code) const { return m.rowOf(f.id(code)); }

    std::unique_ptr<ScheduleData> d = makeScheduleData();
    FixtureBuilder f{*d};
    WeekMatrix m;
};

TEST_F(WeekMatrixTest, BuildShowsPeriodsInEveryRowOfTheEvent)
{
    build();
    EXPECT_EQ(m.rowCount(), 7);
    for (const char *r : {"G1", "T1", "R1"}) {
        EXPECT_EQ(m.cell(row(r), 1, 3), P(id("E1"))) << r;
        EXPECT_EQ(m.cell(row(r), 1, 4), P(id("E1"))) << r;
    }
    EXPECT_EQ(m.eventMask(row("T1"), 1), 0b1100u);
    EXPECT_TRUE(isBookingCell(m.cell(row("T2"), 5, 8)));
    EXPECT_EQ(m.bookingMask(row("T2"), 5), 1u << 7);
    EXPECT_EQ(m.conflictWrites(), 0);
    ASSERT_NE(m.event(id("E3")), nullptr);
    EXPECT_EQ(m.event(id("E3"))->allowed, 2);
    EXPECT_EQ(m.event(id("E3"))->placed, 2);
}

TEST_F(WeekMatrixTest, ConflictShowsTheLaterEventAndDeletingItUncoversTheEarlier)
{
    f.place("E1", Week, 3, 2, 2); // meets E3 in G1's row
    build();
    EXPECT_EQ(m.conflictWrites(), 1);
    EXPECT_EQ(m.cell(row("G1"), 3, 2), P(id("E3")));
    EXPECT_EQ(m.cell(row("T1"), 3, 2), P(id("E1")));

    ASSERT_TRUE(m.deleteBlock(*d, id("E3"), 3, 1, 2));
    EXPECT_EQ(m.cell(row("G1"), 3, 2), P(id("E1")));
    EXPECT_EQ(m.cell(row("G1"), 3, 1), 0u);
    expectMatchesStore(*d, m);
}

TEST_F(WeekMatrixTest, InsertRefusedWhenTheWeeksAllowanceIsUsed)
{
    build();
    const DayMasks before = storedCells(*d, id("E3"), Week);
    const BlockOutcome r = m.insertBlock(*d, id("E3"), 2, 1, 1);
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(r.refusal, Refusal::TooFewAllocated);
    EXPECT_EQ(m.cell(row("T3"), 2, 1), 0u);
    EXPECT_EQ(m.event(id("E3"))->placed, 2);
    EXPECT_EQ(storedCells(*d, id("E3"), Week), before);
}

TEST_F(WeekMatrixTest, RefusalsChangeNothing)
{
    build();
    struct Case
    {
        const char *name;
        int day, bell, length;
        Refusal refusal;
    } cases[] = {
        {"past the last bell", 2, 8, 2, Refusal::OutOfRange},
        {"day not in use", 6, 1, 1, Refusal::OutOfRange},
        {"over its own block", 1, 4, 1, Refusal::Overlaps},
    };
    for (const Case &c : cases) {
        const BlockOutcome r = m.insertBlock(*d, id("E1"), c.day, c.bell, c.length);
        EXPECT_EQ(r.refusal, c.refusal) << c.name;
    }
    EXPECT_EQ(m.deleteBlock(*d, id("E1"), 1, 2, 2).refusal, Refusal::NotPlaced);
    EXPECT_EQ(m.insertBlock(*d, id("T1"), 1, 1, 1).refusal, Refusal::NotInWeek);
    expectMatchesStore(*d, m);
}

TEST_F(WeekMatrixTest, MoveUndoRedoAndANewStepDiscardsRedo)
{
    build();
    const CodeId e = id("E1");
    ASSERT_TRUE(m.move(*d, e, 1, 3, 2, 2, 5)); // Monday bell 3 -> Tuesday bell 5
    EXPECT_EQ(m.cell(row("T1"), 2, 5), P(e));
    EXPECT_EQ(m.cell(row("T1"), 1, 3), 0u);
    expectMatchesStore(*d, m);

    ASSERT_TRUE(m.undo(*d));
    EXPECT_EQ(m.cell(row("R1"), 1, 3), P(e));
    EXPECT_EQ(m.cell(row("R1"), 2, 5), 0u);
    expectMatchesStore(*d, m);

    ASSERT_TRUE(m.redo(*d));
    EXPECT_EQ(m.cell(row("G1"), 2, 6), P(e));
    expectMatchesStore(*d, m);

    ASSERT_TRUE(m.undo(*d));
    ASSERT_TRUE(m.schedule(*d, id("E2"), 4, 1, 1));
    EXPECT_FALSE(m.log().canRedo());
    EXPECT_FALSE(m.redo(*d));
    EXPECT_EQ(m.cell(row("T1"), 1, 3), P(e));
    EXPECT_EQ(m.log().actions(3), 1);      // one move recorded
    EXPECT_EQ(m.log().actions(3 + 7), 2);  // undone twice
    EXPECT_EQ(m.log().actions(3 + 14), 1); // redone once
}

// A week's matrix kept while another week's matrix changes the store is still its week's
// matrix: reopened, it equals a fresh build, with the log and the link marks cleared as a build
// clears them. A build without a recount from the store those changes left equals one with it.
TEST_F(WeekMatrixTest, KeptWeekReopensAsAFreshBuild)
{
    f.place("E1", Week, 3, 2, 2); // meets E3 in G1: a hidden cell is kept as well
    build();
    const CodeId e1 = id("E1"), e2 = id("E2");
    ASSERT_TRUE(m.move(*d, e2, 3, 1, 2, 4, 1));

    WeekMatrix other;
    other.build(*d, 3);
    ASSERT_TRUE(other.move(*d, e2, 3, 1, 2, 2, 4));
    ASSERT_TRUE(other.schedule(*d, e1, 1, 1, 2));
    WeekMatrix quick;
    quick.build(*d, 3, WeekMatrix::Lists::AsTheyStand);

    EXPECT_TRUE(m.agreesWithStore(*d, e1));
    EXPECT_TRUE(m.agreesWithStore(*d, e2));
    d->codes[e1].flags |= LinkMarksMask;
    EXPECT_EQ(m.reopen(*d), m.rowCount());
    EXPECT_FALSE(m.log().canUndo());
    EXPECT_EQ(d->codes[e1].flags & LinkMarksMask, 0);
    expectMatchesStore(*d, m);
    WeekMatrix fresh;
    fresh.build(*d, Week);
    EXPECT_EQ(m.conflictWrites(), 1);
    EXPECT_EQ(m.conflictWrites(), fresh.conflictWrites());
    for (int k = 1; k <= MaxCategories; ++k) {
        EXPECT_EQ(m.balanceMin(k), fresh.balanceMin(k)) << k;
        EXPECT_EQ(m.balanceMax(k), fresh.balanceMax(k)) << k;
    }
    expectMatchesStore(*d, quick);
    expectMatchesStore(*d, other);

    // A change to the week made past the matrix is noticed.
    LectureView block;
    block.startWeek = block.endWeek = Week;
    block.startDay = block.endDay = 5;
    block.startBell = block.endBell = 1;
    ASSERT_GT(placeBlock(*d, ownWord(*d, e2), block), 0);
    EXPECT_FALSE(m.agreesWithStore(*d, e2));
    EXPECT_TRUE(m.agreesWithStore(*d, e1));
}

TEST_F(WeekMatrixTest, FirstStepCannotBeUndoneAfterCapacityPlusOneSteps)
{
    build();
    const CodeId e = id("E1");
    ASSERT_TRUE(m.move(*d, e, 1, 3, 2, 2, 1));
    m.setBookmark(); // after step 1
    for (int k = 0; k < MoveLogCapacity; ++k) {
        const bool there = k % 2 == 0;
        ASSERT_TRUE(m.move(*d, e, there ? 2 : 4, 1, 2, there ? 4 : 2, 1));
    }
    EXPECT_EQ(m.log().position(), MoveLogCapacity);
    EXPECT_EQ(m.log().bookmark(), 0); // followed the dropped step

    int undone = 0;
    while (m.undo(*d))
        ++undone;
    EXPECT_EQ(undone, MoveLogCapacity);
    // The state after step 1: the first move stays.
    EXPECT_EQ(m.cell(row("T1"), 2, 1), P(e));
    EXPECT_EQ(m.cell(row("T1"), 1, 3), 0u);
    expectMatchesStore(*d, m);
}

TEST_F(WeekMatrixTest, Bookmarks)
{
    build();
    const CodeId e = id("E2");
    EXPECT_FALSE(m.goToBookmark(*d)); // a build sets it to the current position
    ASSERT_TRUE(m.schedule(*d, e, 4, 1, 1));
    m.setBookmark();
    ASSERT_TRUE(m.schedule(*d, e, 4, 2, 1));
    ASSERT_TRUE(m.move(*d, e, 4, 1, 1, 5, 1));
    ASSERT_TRUE(m.goToBookmark(*d));
    EXPECT_EQ(m.log().position(), 1);
    EXPECT_EQ(m.cell(row("T2"), 4, 1), P(e));
    EXPECT_EQ(m.cell(row("T2"), 4, 2), 0u);
    EXPECT_FALSE(m.goToBookmark(*d)); // already there

    m.setBookmark();
    ASSERT_TRUE(m.redo(*d));
    ASSERT_TRUE(m.redo(*d));
    ASSERT_TRUE(m.goToBookmark(*d));
    EXPECT_EQ(m.log().position(), 1);

    // A new step after undoing below the bookmark discards it.
    m.setBookmark();
    ASSERT_TRUE(m.redo(*d));
    m.setBookmark();
    ASSERT_TRUE(m.undo(*d));
    ASSERT_TRUE(m.schedule(*d, e, 5, 5, 1));
    EXPECT_EQ(m.log().bookmark(), -1);
    EXPECT_FALSE(m.goToBookmark(*d));
    expectMatchesStore(*d, m);
}

TEST_F(WeekMatrixTest, ToggleBookingsUndoAndRedo)
{
    build();
    const int t2 = row("T2");
    // Day 5: bell 8 booked, bells 6..7 free.
    ASSERT_TRUE(m.toggle(*d, t2, 2, 5, 6, 5, 8));
    EXPECT_TRUE(isBookingCell(m.cell(t2, 5, 6)));
    EXPECT_EQ(cellKind(m.cell(t2, 5, 7)), 2);
    EXPECT_EQ(m.cell(t2, 5, 8), 0u);
    expectMatchesStore(*d, m);
    ASSERT_TRUE(m.undo(*d));
    EXPECT_EQ(m.cell(t2, 5, 6), 0u);
    EXPECT_EQ(cellKind(m.cell(t2, 5, 8)), 1);
    expectMatchesStore(*d, m);
    ASSERT_TRUE(m.redo(*d));
    EXPECT_EQ(m.cell(t2, 5, 8), 0u);
    expectMatchesStore(*d, m);
}

TEST_F(WeekMatrixTest, FullStoreRefusesTheStepAndRevertsIt)
{
    build();
    const CodeId e1 = id("E1"), e2 = id("E2");
    // Storing E2 once joins its blocks of weeks 2 and 3 into one lecture.
    ASSERT_TRUE(m.moveBlock(*d, e2, 3, 1, 2, 4, 1));
    ASSERT_TRUE(m.moveBlock(*d, e2, 4, 1, 2, 3, 1));
    compactLectures(*d); // no holes left for a store to reclaim
    // Fill the store to the last entry with bookings of a week not shown.
    LectureView filler;
    filler.word = static_cast<std::uint16_t>(id("R2") | LectureBookingBit);
    filler.startWeek = filler.endWeek = 4;
    filler.startDay = filler.endDay = 5;
    filler.startBell = filler.endBell = 8;
    while (appendLecture(*d, filler, 1) != 0) {
    }
    const DayMasks e1Before = storedCells(*d, e1, Week);
    const DayMasks e2Before = storedCells(*d, e2, Week);
    const DayMasks e2Week3 = storedCells(*d, e2, 3);

    // A new block needs one entry more.
    EXPECT_EQ(m.schedule(*d, e1, 5, 1, 1).refusal, Refusal::StoreFull);
    // E1 fits its new place, E2 does not (its lecture of weeks 2..3 splits): E1 is put back.
    EXPECT_EQ(m.swap(*d, e1, 1, 3, e2, 3, 1, 2).refusal, Refusal::StoreFull);

    EXPECT_EQ(m.log().position(), 0);
    EXPECT_EQ(m.cell(row("T1"), 1, 3), P(e1));
    EXPECT_EQ(m.cell(row("T2"), 3, 1), P(e2));
    EXPECT_EQ(storedCells(*d, e1, Week), e1Before);
    EXPECT_EQ(storedCells(*d, e2, Week), e2Before);
    EXPECT_EQ(storedCells(*d, e2, 3), e2Week3);
    EXPECT_EQ(m.event(e1)->cells, e1Before);

    // A move keeps the number of entries, so it still goes through.
    EXPECT_TRUE(m.move(*d, e1, 1, 3, 2, 2, 3));
    EXPECT_EQ(storedCells(*d, e1, Week)[2], 0b1100u);
}

// A fourth resource category, N, whose resources have no timetable and so no row.
void addUntimetabledCategory(ScheduleData &d)
{
    d.resourceCategories.assign(std::string(d.resourceCategories.view()) + "N:Unscheduled$");
    d.noTimetableMasks[1] |= 1u << 4;
}

// Every cell of rows 1..n, for comparing a matrix with itself before a change.
std::vector<CellWord> allCells(const WeekMatrix &m)
{
    std::vector<CellWord> cells;
    for (int row = 1; row <= m.rowCount(); ++row)
        for (int day = 1; day <= MaxDays; ++day)
            for (int bell = 1; bell <= MaxBells; ++bell)
                cells.push_back(m.cell(row, day, bell));
    return cells;
}

// Replacing a resource of an event's collection moves the event's cells between the two rows,
// whichever of the two resources has a row; undo and redo of the logged step do the same back
// and forth. The event E1 (periods at day 1 bells 3..4, its own booking at day 2 bell 1) is
// hidden under a later event in T1's row at bell 3, so a move that looks only at what a row
// shows loses that cell.
TEST(WeekMatrixReplace, ReplacingAResourceMovesTheEventsCellsAndUndoesAndRedoes)
{
    struct Case
    {
        const char *from, *to;
        bool withOtherRow; // E1 also needs G1, so it has a row besides `from`'s
        bool fromRow, toRow;
    } cases[] = {
        {"T1", "T2", true, true, true},   {"T1", "N2", true, true, false},
        {"N1", "T2", true, false, true},  {"N1", "N2", true, false, false},
        {"N1", "T2", false, false, true}, // the event had no row at all
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to + (c.withOtherRow ? "" : " alone"));
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        addUntimetabledCategory(*d);
        f.calendar(4, 5, 8).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
        f.resources('N', {"N1", "N2"});
        if (c.withOtherRow)
            f.event("E1", {"G1", c.from}, 8);
        else
            f.event("E1", {c.from}, 8);
        f.allocate("E1", 1, 4, 4).place("E1", Week, 1, 3, 4).book("E1", Week, 2, 1, 2);
        f.event("E9", {"G2", "T1"}, 8).allocate("E9", 1, 4, 2).place("E9", Week, 1, 3, 3);
        f.event("E8", {"T2"}, 8).allocate("E8", 1, 4, 2).place("E8", Week, 1, 4, 4);
        f.finish();
        WeekMatrix m;
        m.build(*d, Week);
        ASSERT_EQ(m.rowCount(), 4);
        const CodeId e = f.id("E1"), from = f.id(c.from), to = f.id(c.to);
        const std::vector<CellWord> before = allCells(m);
        const int conflictsBefore = m.conflictWrites();

        const BlockOutcome r = m.replaceResource(*d, e, from, to);
        ASSERT_TRUE(r);
        EXPECT_EQ(r.length, c.fromRow || c.toRow ? 3 : 0);
        const MemberList members = collectionOf(*d, e);
        EXPECT_EQ(positionInList(from, members), 0);
        EXPECT_NE(positionInList(to, members), 0);
        if (c.fromRow) {
            const int row = m.rowOf(from);
            EXPECT_EQ(m.cell(row, 1, 3), P(f.id("E9"))); // the later event still shows
            EXPECT_EQ(m.cell(row, 1, 4), 0u);
            EXPECT_EQ(m.cell(row, 2, 1), 0u);
        }
        if (c.toRow) {
            const int row = m.rowOf(to);
            EXPECT_EQ(m.cell(row, 1, 3), P(e));
            EXPECT_EQ(m.cell(row, 1, 4), P(f.id("E8"))); // met E8, which comes later
            EXPECT_TRUE(isBookingCell(m.cell(row, 2, 1)));
            EXPECT_EQ(m.conflictWrites(), conflictsBefore + 1);
        }
        expectMatchesStore(*d, m);
        EXPECT_EQ(m.log().actions(6), 1);

        ASSERT_TRUE(m.undo(*d));
        EXPECT_NE(positionInList(from, collectionOf(*d, e)), 0);
        EXPECT_EQ(positionInList(to, collectionOf(*d, e)), 0);
        EXPECT_EQ(allCells(m), before);
        expectMatchesStore(*d, m);

        ASSERT_TRUE(m.redo(*d));
        EXPECT_NE(positionInList(to, collectionOf(*d, e)), 0);
        expectMatchesStore(*d, m);
        if (c.toRow) {
            // The cell E1 left hidden in T2's row shows again once E8 leaves.
            ASSERT_TRUE(m.unschedule(*d, f.id("E8"), 1, 4, 1));
            EXPECT_EQ(m.cell(m.rowOf(to), 1, 4), P(e));
            expectMatchesStore(*d, m);
        }
        EXPECT_EQ(m.log().actions(6 + 7), 1);
        EXPECT_EQ(m.log().actions(6 + 14), 1);
    }
}

TEST_F(WeekMatrixTest, ReplacementsTheCollectionRefusesChangeNothing)
{
    build();
    const CodeId e1 = id("E1");
    struct Case
    {
        const char *name;
        CodeId from, to;
        Refusal refusal;
    } cases[] = {
        {"not a member", id("T2"), id("T3"), Refusal::NotMember},
        {"already a member", id("T1"), id("G1"), Refusal::NotMember},
        {"an event for a resource", id("T1"), id("E2"), Refusal::NotMember},
        {"itself", id("T1"), id("T1"), Refusal::NothingToDo},
    };
    const std::vector<CellWord> before = allCells(m);
    for (const Case &c : cases)
        EXPECT_EQ(m.replaceResource(*d, e1, c.from, c.to).refusal, c.refusal) << c.name;
    EXPECT_EQ(m.replaceResource(*d, id("T1"), id("T1"), id("T2")).refusal, Refusal::NotInWeek);
    EXPECT_EQ(m.log().position(), 0);
    EXPECT_EQ(allCells(m), before);
    EXPECT_EQ(collectionOf(*d, e1)[2], id("T1"));
}

// Strip row k is the code's row as the matrix of week k shows it, for a resource (its own
// bookings and the events that need it, one of them meeting another) and for an event.
TEST_F(WeekMatrixTest, WeekStripShowsEachWeekAsThatWeeksMatrix)
{
    f.event("E4", {"T2"}, 4).allocate("E4", 3, 3, 1).place("E4", 3, 3, 1, 1); // meets E2
    f.book("T2", 1, 2, 2, 3);
    build();
    ASSERT_GE(d->scheduleExtent.endWeek, 3);
    auto holds = [](const WeekMatrix &w, CodeId e, int day, int bell) {
        const MatrixEvent *ev = w.event(e);
        return ev && (ev->cells[static_cast<std::size_t>(day)] >> (bell - 1) & 1u) != 0;
    };
    for (const char *code : {"T2", "E2"}) {
        SCOPED_TRACE(code);
        const CodeId c = id(code);
        const int written = m.fillWeekStrip(*d, c);
        EXPECT_EQ(m.stripCode(), c);
        ASSERT_EQ(m.stripWeeks(), d->scheduleExtent.endWeek);
        int occupied = 0;
        for (int k = 1; k <= m.stripWeeks(); ++k) {
            WeekMatrix week;
            week.build(*d, k);
            for (int day = 1; day <= MaxDays; ++day)
                for (int bell = 1; bell <= MaxBells; ++bell) {
                    const CellWord expected = d->codes[c].isEvent()
                                                  ? (holds(week, c, day, bell) ? P(c) : 0u)
                                                  : week.cell(week.rowOf(c), day, bell);
                    ASSERT_EQ(m.stripCell(k, day, bell), expected)
                        << "week " << k << " day " << day << " bell " << bell;
                    occupied += expected != 0 ? 1 : 0;
                }
        }
        EXPECT_EQ(written, occupied);
    }
    EXPECT_EQ(m.stripCell(3, 3, 1), P(id("E2"))); // E2's own strip
    m.fillWeekStrip(*d, id("T2"));
    EXPECT_EQ(m.stripCell(3, 3, 1), P(id("E4")));
    EXPECT_TRUE(isBookingCell(m.stripCell(1, 2, 2)));

    // A schedule that ends in week 1 has no strip, and the last one is gone.
    d->scheduleExtent.endWeek = 1;
    EXPECT_EQ(m.fillWeekStrip(*d, id("T2")), 0);
    EXPECT_EQ(m.stripWeeks(), 0);
    EXPECT_EQ(m.stripCell(1, 2, 2), 0u);
    d->scheduleExtent.endWeek = 4;
    m.fillWeekStrip(*d, id("T2"));
    m.build(*d, Week);
    EXPECT_EQ(m.stripWeeks(), 0);
}

TEST_F(WeekMatrixTest, SeededRandomOperationsKeepMatrixAndStoreEqual)
{
    f.place("E1", Week, 3, 2, 2); // start from a week with a conflict
    addUntimetabledCategory(*d);
    f.resources('N', {"N1"});
    build();
    ASSERT_EQ(m.rowOf(id("N1")), 0);
    const std::vector<CodeId> resources = {id("G1"), id("G2"), id("T1"), id("T2"),
                                           id("T3"), id("R1"), id("R2"), id("N1")};
    std::mt19937 rnd(20240611);
    auto pick = [&](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };
    const std::vector<CodeId> events = {id("E1"), id("E2"), id("E3")};
    auto freeFor = [&](CodeId e, int day, int bell, int length) {
        const MatrixEvent *ev = m.event(e);
        for (const std::uint16_t r : ev->rows)
            for (int b = bell; b < bell + length; ++b)
                if (m.cell(r, day, b) != 0)
                    return false;
        return true;
    };
    // A block of the event found from a random cell, or length 0.
    auto someBlock = [&](CodeId e, int &day, int &bell) {
        const MatrixEvent *ev = m.event(e);
        for (int k = 0; k < 5; ++k) {
            day = 1 + (pick(5) + k) % 5;
            if (const std::uint32_t cells = ev->cells[static_cast<std::size_t>(day)]) {
                bell = std::countr_zero(cells) + 1;
                int length = 1;
                while (cells & (1u << (bell - 1 + length)))
                    ++length;
                return 1 + pick(length);
            }
        }
        return 0;
    };
    int done = 0;
    for (int step = 0; step < 10000; ++step) {
        const int op = pick(7);
        const CodeId e = events[static_cast<std::size_t>(pick(3))];
        const int day = 1 + pick(5), bell = 1 + pick(8), length = 1 + pick(2);
        int bd = 0, bb = 0;
        switch (op) {
        case 0:
            if (bell + length - 1 <= 8 && freeFor(e, day, bell, length))
                done += m.schedule(*d, e, day, bell, length) ? 1 : 0;
            break;
        case 1:
            if (const int l = someBlock(e, bd, bb))
                done += m.unschedule(*d, e, bd, bb, l) ? 1 : 0;
            break;
        case 2:
            if (const int l = someBlock(e, bd, bb); l && bell + l - 1 <= 8) {
                m.probeErase(e, bd, bb, l);
                const bool free = freeFor(e, day, bell, l);
                m.probeEnter(e, bd, bb, l);
                if (free)
                    done += m.move(*d, e, bd, bb, l, day, bell) ? 1 : 0;
            }
            break;
        case 3: {
            const CodeId e2 = events[static_cast<std::size_t>(pick(3))];
            int d2 = 0, b2 = 0;
            const int l = someBlock(e, bd, bb);
            const int l2 = e2 != e ? someBlock(e2, d2, b2) : 0;
            if (l && l2) {
                const int len = std::min(l, l2);
                m.probeErase(e, bd, bb, len);
                m.probeErase(e2, d2, b2, len);
                const bool free = freeFor(e, d2, b2, len) && freeFor(e2, bd, bb, len);
                m.probeEnter(e2, d2, b2, len);
                m.probeEnter(e, bd, bb, len);
                if (free)
                    done += m.swap(*d, e, bd, bb, e2, d2, b2, len) ? 1 : 0;
            }
            break;
        }
        case 4:
            m.undo(*d);
            break;
        case 5: {
            // A member replaced by any resource of the same or another category: the event may
            // meet others in its new row, or leave the rows where it had none.
            const MemberList members = collectionOf(*d, e);
            const CodeId from = members[static_cast<std::size_t>(1 + pick(members[0]))];
            const CodeId to = resources[static_cast<std::size_t>(pick(8))];
            done += m.replaceResource(*d, e, from, to) ? 1 : 0;
            break;
        }
        default:
            m.redo(*d);
            break;
        }
        if (step % 2500 == 2499) {
            expectMatchesStore(*d, m);
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_GT(done, 1000);
    EXPECT_GT(m.log().actions(6), 100);     // replacements recorded
    EXPECT_GT(m.log().actions(6 + 7), 100); // and undone
    expectMatchesStore(*d, m);
}

} // namespace
} // namespace quivra
