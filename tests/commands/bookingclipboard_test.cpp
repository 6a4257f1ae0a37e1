// Bookings and event schedules through the clipboard: a copy pasted back changes nothing, and
// restores what was cleared; hostile, out-of-range, locked and protected rows are omitted with
// nothing changed; cells held by periods or other resources are left alone and reported; the
// Timetables view's Copy bookings; every question cancelled changes nothing.

#include "commands/bookingclipboard.h"
#include "commands/timetablecommands.h"

#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/placement.h"
#include "reports/bookingfixture.h"
#include "reports/bookingtext.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quivra {
namespace {

class LinePasteTest : public ::testing::Test
{
public:
    LinePasteTest() : d(bookingFixture()), p(ui) {}

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    std::vector<CodeId> events() const
    {
        std::vector<CodeId> out;
        for (CodeId c = 1; c <= d->codeCount; ++c)
            if (d->codes[c].isEvent())
                out.push_back(c);
        return out;
    }
    std::string scheduleText() const
    {
        ScheduleLinesRequest r;
        r.events = events();
        r.weeks = {1, 2};
        return copyScheduleLines(*d, r).text();
    }
    CellWord booking(std::string_view code, int week, int day, int bell) const
    {
        WeekTimetable t;
        bookingTimetableOf(*d, id(code), week, t);
        return t.cell(day, bell);
    }
    CellWord shown(std::string_view code, int week, int day, int bell) const
    {
        WeekTimetable t;
        weekTimetableOf(*d, id(code), week, t);
        return t.cell(day, bell);
    }
    void copyBookingsOfT2()
    {
        TimetablesSession s;
        s.open(*d, 1);
        s.setMaster(id("T2"));
        EXPECT_FALSE(copyMasterBookings(*d, s, p).changed);
    }
    void unlockA1()
    {
        d->codes[id("A1")].flags &= static_cast<std::uint16_t>(~LockedBit);
        d->modified = false;
    }

    std::unique_ptr<ScheduleData> d;
    ScriptedDialogs ui;
    Prompter p;
    MemoryClipboard clipboard;
    ClipTarget target;
};

TEST_F(LinePasteTest, ACopyPastedBackChangesNothing)
{
    for (const bool locked : {true, false}) {
        d = bookingFixture();
        if (!locked)
            unlockA1();
        const std::string before = dumpScheduleData(*d);
        const LinePasteReport all = applyBookingsPaste(*d, copyBookings(*d).text());
        EXPECT_EQ(all.rows, 4);
        EXPECT_EQ(all.present, all.cells);
        EXPECT_EQ(all.omitted + all.added + all.refused, 0);
        const LinePasteReport week = applyBookingsPaste(*d, copyBookings(*d).text(), 1);
        EXPECT_EQ(week.otherWeeks, 2) << "R1's rows of week 2";
        for (const bool adjust : {true, false}) {
            const LinePasteReport r = applyTimetablesPaste(*d, scheduleText(), adjust);
            EXPECT_EQ(r.omitted, locked ? 2 : 0) << "A1's rows while it is locked";
            EXPECT_EQ(r.added + r.refused + r.noPeriodsLeft, 0);
            EXPECT_FALSE(r.changed);
        }
        EXPECT_EQ(dumpScheduleData(*d), before) << (locked ? "locked" : "unlocked");
        EXPECT_FALSE(d->modified);
    }
}

TEST_F(LinePasteTest, APasteRestoresWhatTheCopyHeld)
{
    // T2's booking under B2's period goes first: pasted back, it would keep B2 out of its cell.
    TimeRange all;
    all.startWeek = all.endWeek = 1;
    all.startDay = all.endDay = all.startBell = all.endBell = 3;
    setSlotBookings(*d, id("T2"), SlotBookingMode::Cancel, 1, true, all);
    settleTotals(*d);
    unlockA1();
    const std::string before = dumpScheduleData(*d);
    const std::string bookings = copyBookings(*d).text();
    const std::string schedules = scheduleText();

    // R1's bookings and every placed period go; the allocations stay.
    all.startWeek = all.startDay = all.startBell = 1;
    all.endWeek = 2;
    setSlotBookings(*d, id("R1"), SlotBookingMode::Cancel, 1, true, all);
    for (const CodeId e : events()) {
        WeekAllocation wa;
        loadWeekAllocation(*d, e, wa);
        for (const LectureView &v : wa.timetable)
            removeBlock(*d, ownWord(*d, e), v);
    }
    settleTotals(*d);
    ASSERT_NE(dumpScheduleData(*d), before);

    EXPECT_EQ(applyBookingsPaste(*d, bookings).added, 3);
    const LinePasteReport r = applyTimetablesPaste(*d, schedules, false);
    EXPECT_EQ(r.added, 5);
    EXPECT_TRUE(r.changed);
    d->modified = false;
    EXPECT_EQ(dumpScheduleData(*d), before);
}

TEST_F(LinePasteTest, HostileAndOutOfRangeRowsAreOmittedWithNothingChanged)
{
    const std::string tooLong(300, 'X');
    struct Case
    {
        const char *name;
        std::string bookingRow;
        std::string scheduleRow;
    } const cases[] = {
        {"unknown code", "Z9\t2\t1\t1\t1\t1", "Z9\t2\t1\t1\t1"},
        {"code of the other kind", "C3\t2\t1\t1\t1\t1", "T2\t2\t1\t1\t1"},
        {"code longer than a code", tooLong + "\t2\t1\t1\t1\t1", tooLong + "\t2\t1\t1\t1"},
        {"week 0", "T2\t0\t1\t1\t1\t1", "C3\t0\t1\t1\t1"},
        {"week beyond those in use", "T2\t3\t1\t1\t1\t1", "C3\t3\t1\t1\t1"},
        {"day beyond those in use", "T2\t2\t4\t1\t1\t1", "C3\t2\t4\t1\t1"},
        {"last bell before first", "T2\t2\t1\t2\t1\t1", "C3\t2\t1\t2\t1"},
        {"bell beyond those in use", "T2\t2\t1\t1\t4\t1", "C3\t2\t1\t1\t4"},
        {"negative number", "T2\t-2\t1\t1\t1\t1", "C3\t2\t-1\t1\t1"},
        {"huge number", "T2\t99999999999\t1\t1\t1\t1", "C3\t2\t1\t1\t4294967297"},
        {"not a whole number", "T2\t2\t1.5\t1\t1\t1", "C3\t2\tMon\t1\t1"},
        {"missing cells", "T2\t2\t1\t1\t1", "C3\t2\t1\t1"},
        {"booking kind 0 or locked event", "T2\t2\t1\t1\t1\t0", "A1\t2\t1\t1\t1"},
        {"booking kind 4", "T2\t2\t1\t1\t1\t4", "A1\t2\t3\t3\t3"},
        {"control bytes",
         "T\x01"
         "2\t\x1b[2J\t1\t1\t1\t1",
         "C\x01"
         "3\t\x1b[2J\t1\t1\t1"},
    };
    const std::string before = dumpScheduleData(*d);
    for (const Case &c : cases) {
        // Blank and empty rows around a row count for nothing.
        const LinePasteReport b = applyBookingsPaste(*d, "\r\n\t\t\r\n" + c.bookingRow + "\r\n");
        EXPECT_EQ(b.rows, 1) << c.name;
        EXPECT_EQ(b.omitted, 1) << c.name;
        const LinePasteReport s = applyTimetablesPaste(*d, c.scheduleRow + "\n\n", true);
        EXPECT_EQ(s.omitted, 1) << c.name;
        EXPECT_EQ(dumpScheduleData(*d), before) << c.name;
    }
    // Weeks before the current week are protected.
    d->currentWeek = 2;
    EXPECT_EQ(applyBookingsPaste(*d, "G1\t1\t2\t1\t1\t1").omitted, 1);
    EXPECT_EQ(applyTimetablesPaste(*d, "B2\t1\t2\t1\t1", true).omitted, 1);
    d->currentWeek = 1;
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(d->modified);
}

TEST_F(LinePasteTest, BookingsLeavePeriodsAloneAndTakeTheRowsKind)
{
    const CellWord period = shown("T1", 1, 1, 1);
    const LinePasteReport r = applyBookingsPaste(*d,
                                                 "T1\t1\t1\t1\t3\t2\r\n"  // A1 in bells 1-2
                                                 "T2\t1\t1\t1\t1\t3\r\n"  // kind 1 becomes 3
                                                 "R1\t2\t3\t1\t2\t2\r\n"  // booked already
                                                 "G2\t2\t2\t2\t2\t1\r\n", // week 2, left out
                                                 1);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.refused, 2);
    EXPECT_EQ(r.otherWeeks, 2);
    EXPECT_EQ(shown("T1", 1, 1, 1), period);
    EXPECT_EQ(cellKind(booking("T1", 1, 1, 3)), 2);
    EXPECT_EQ(cellKind(booking("T2", 1, 1, 1)), 3);
    EXPECT_EQ(booking("G2", 2, 2, 2), 0u);
    EXPECT_EQ(bookingsPasteText(r), "2 booked slots out of 4 slots added, 0 out of 4 rows omitted."
                                    "\r\n2 row(s) of other weeks were left out."
                                    "\r\n2 slot(s) held by events or other bookings were left as "
                                    "they are.");
}

TEST_F(LinePasteTest, SchedulesGoWhereResourcesAreFreeAndWithinTheAllocation)
{
    // C3 (G1) has one period in week 2; G1 holds A1 on day 2, bells 1-2.
    LinePasteReport r = applyTimetablesPaste(*d, "C3\t2\t2\t1\t3", false);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.refused, 2);
    EXPECT_EQ(timetablesPasteText(*d, r),
              "1 event timetable slots out of 3 slots added, 0 out of 1 rows omitted.\r\n"
              "The timetable(s) of 1 resource(s) below prevented scheduling of 2 slot(s):\r\n"
              "G1 Name of G1");
    EXPECT_EQ(cellCode(*d, shown("G1", 2, 2, 3)), id("C3"));

    // Without adjusting, no more than the week's allocation; with it, the allocation follows.
    d = bookingFixture();
    r = applyTimetablesPaste(*d, "C3\t2\t1\t1\t3", false);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.noPeriodsLeft, 2);
    d = bookingFixture();
    r = applyTimetablesPaste(*d, "C3\t2\t1\t1\t3", true);
    EXPECT_EQ(r.added, 3);
    WeekAllocation wa;
    loadWeekAllocation(*d, id("C3"), wa);
    EXPECT_EQ(wa.allocated[2], 3);
    EXPECT_EQ(wa.scheduled[2], 3);

    // Further cells add resources that can join; unknown ones are sampled, not added.
    d = bookingFixture();
    r = applyTimetablesPaste(*d, "B2\t2\t1\t1\t1\tT1\tNOPE\tA1", true);
    EXPECT_EQ(r.resourcesAdded, 1);
    EXPECT_EQ(r.added, 1);
    const MemberList m = collectionOf(*d, id("B2"));
    ASSERT_EQ(m[0], 3);
    EXPECT_EQ(m[3], id("T1"));
}

TEST_F(LinePasteTest, EveryCancelledQuestionChangesNothing)
{
    const std::string before = dumpScheduleData(*d);
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &)> script;
        std::function<void(LinePasteTest &)> run;
    } const cases[] = {
        {"bookings paste",
         [](ScriptedDialogs &u) { u.expect("pastes the timetable bookings").answer(Answer::No); },
         [](LinePasteTest &t) {
             t.clipboard.setText("T1\t1\t1\t3\t3\t2\r\n");
             EXPECT_FALSE(pasteBookingsFromClipboard(*t.d, t.p, t.clipboard, 0));
         }},
        {"timetables paste",
         [](ScriptedDialogs &u) { u.expect("pastes event timetables").answer(Answer::No); },
         [](LinePasteTest &t) {
             t.clipboard.setText("C3\t2\t1\t1\t1\r\n");
             EXPECT_FALSE(pasteTimetablesFromClipboard(*t.d, t.p, t.clipboard));
         }},
        {"timetables paste, adjust question",
         [](ScriptedDialogs &u) {
             u.expect("pastes event timetables").answer(Answer::Yes);
             u.expect("Adjust the weekly allocated").answer(Answer::Cancel);
         },
         [](LinePasteTest &t) {
             t.clipboard.setText("C3\t2\t1\t1\t1\r\n");
             EXPECT_FALSE(pasteTimetablesFromClipboard(*t.d, t.p, t.clipboard));
         }},
        {"empty clipboard",
         [](ScriptedDialogs &u) {
             u.expect("The Clipboard is empty").answer(Answer::Ok);
             u.expect("The Clipboard is empty").answer(Answer::Ok);
         },
         [](LinePasteTest &t) {
             t.clipboard.setText("\r\n");
             EXPECT_FALSE(pasteBookingsFromClipboard(*t.d, t.p, t.clipboard, 1));
             EXPECT_FALSE(pasteTimetablesFromClipboard(*t.d, t.p, t.clipboard));
         }},
        {"schedule copy, events", [](ScriptedDialogs &u) { u.cancel(); },
         [](LinePasteTest &t) {
             EXPECT_FALSE(copyScheduleLinesToClipboard(*t.d, t.p, t.clipboard, t.target, 1));
         }},
        {"schedule copy, weeks",
         [](ScriptedDialogs &u) {
             u.pick({});
             u.expect("Select the weeks(s)").cancel();
         },
         [](LinePasteTest &t) {
             EXPECT_FALSE(copyScheduleLinesToClipboard(*t.d, t.p, t.clipboard, t.target, 4));
         }},
        {"copy bookings, where to", [](ScriptedDialogs &u) { u.cancel(); },
         [](LinePasteTest &t) { t.copyBookingsOfT2(); }},
        {"copy bookings, first week",
         [](ScriptedDialogs &u) {
             u.choose(1);
             u.expect("Select the first week").cancel();
         },
         [](LinePasteTest &t) { t.copyBookingsOfT2(); }},
        {"copy bookings, last week",
         [](ScriptedDialogs &u) {
             u.choose(1);
             u.expect("Select the first week").choose(2);
             u.expect("Select the last week").cancel();
         },
         [](LinePasteTest &t) { t.copyBookingsOfT2(); }},
        {"copy bookings, clear question",
         [](ScriptedDialogs &u) {
             u.choose(1);
             u.expect("Select the first week").choose(2);
             u.expect("Select the last week").choose(2);
             u.expect("Clear the previous bookings").answer(Answer::Cancel);
         },
         [](LinePasteTest &t) { t.copyBookingsOfT2(); }},
        {"copy bookings, timetables",
         [](ScriptedDialogs &u) {
             u.choose(2);
             u.cancel();
         },
         [](LinePasteTest &t) { t.copyBookingsOfT2(); }},
    };
    for (const Case &c : cases) {
        d = bookingFixture();
        ui = ScriptedDialogs();
        clipboard.setText({});
        c.script(ui);
        c.run(*this);
        EXPECT_TRUE(ui.finished()) << c.name << ": " << ui.problems();
        EXPECT_EQ(dumpScheduleData(*d), before) << c.name;
        EXPECT_FALSE(d->modified) << c.name;
    }
}

TEST_F(LinePasteTest, CopyBookingsFillsFreeCellsOfOtherWeeksAndTimetables)
{
    TimetablesSession s;
    s.open(*d, 1);
    s.setMaster(id("T2"));
    ui.choose(1);
    ui.expect("Select the first week").choose(2);
    ui.expect("Select the last week").choose(2);
    ui.expect("Clear the previous bookings").answer(Answer::No);
    ui.expect("1 bookings copied to week").answer(Answer::Ok);
    EXPECT_TRUE(copyMasterBookings(*d, s, p).changed);
    // The booking hidden under B2's period stays behind: the week is copied as it shows.
    EXPECT_EQ(cellKind(booking("T2", 2, 1, 1)), 1);
    EXPECT_EQ(booking("T2", 2, 3, 3), 0u);

    // Into other timetables of the week: G2 is free there, T1 holds A1.
    ui.choose(2);
    ui.pick({id("G2"), id("T1")});
    ui.expect("Clear the previous bookings").answer(Answer::No);
    ui.expect("1 bookings copied to 2 timetable(s).").answer(Answer::Ok);
    EXPECT_TRUE(copyMasterBookings(*d, s, p).changed);
    EXPECT_NE(booking("G2", 1, 1, 1), 0u);
    EXPECT_EQ(booking("T1", 1, 1, 1), 0u);

    // Weeks before the current week are left alone.
    d->currentWeek = 2;
    ui.choose(2);
    ui.expect("protected").answer(Answer::Ok);
    EXPECT_FALSE(copyMasterBookings(*d, s, p).changed);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
} // namespace quivra
