#include "optimise/tools.h"

#include "optimise/optimisationsession.h"

#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "support/fixture.h"
#include "support/generator.h"

#include <gtest/gtest.h>

#include <deque>
#include <variant>

namespace quivra {
namespace {

// Answers from a script, in order; records every text it was shown. An exhausted script
// cancels.
struct ScriptedTools : ToolDialogue
{
    using Reply = std::variant<bool, Answer, int, std::vector<CodeId>>;
    std::deque<std::optional<Reply>> script;
    std::vector<std::string> asked;
    std::vector<std::string> told;

    std::optional<Reply> next(const std::string &text)
    {
        asked.push_back(text);
        if (script.empty())
            return std::nullopt;
        auto r = script.front();
        script.pop_front();
        return r;
    }
    void inform(const std::string &text) override { told.push_back(text); }
    bool askYesNo(const std::string &q) override
    {
        const auto r = next(q);
        return r && std::get<bool>(*r);
    }
    Answer askYesNoCancel(const std::string &q) override
    {
        const auto r = next(q);
        return r ? std::get<Answer>(*r) : Answer::Cancel;
    }
    std::optional<std::vector<CodeId>> pickEvents(const std::string &title,
                                                  const std::vector<CodeId> &choices) override
    {
        offered = choices;
        const auto r = next(title);
        if (!r)
            return std::nullopt;
        return std::get<std::vector<CodeId>>(*r);
    }
    std::optional<CodeId> pickEvent(const std::string &title, const std::vector<CodeId> &,
                                    const std::vector<std::string> &shown) override
    {
        lines = shown;
        const auto r = next(title);
        if (!r)
            return std::nullopt;
        return static_cast<CodeId>(std::get<int>(*r));
    }
    std::optional<int> pickWeek(const std::string &q, int preset, int, int) override
    {
        presets.push_back(preset);
        const auto r = next(q);
        if (!r)
            return std::nullopt;
        return std::get<int>(*r);
    }
    std::optional<int> pickCategory(const std::string &title, bool, int) override
    {
        const auto r = next(title);
        if (!r)
            return std::nullopt;
        return std::get<int>(*r);
    }

    std::vector<CodeId> offered;
    std::vector<std::string> lines;
    std::vector<int> presets;
};

using Answer = ToolDialogue::Answer;

// E1 (G1, T1) and E2 (G2, T2) over three weeks of 5 days x 8 bells.
struct Fixture
{
    std::unique_ptr<ScheduleData> d = makeScheduleData();
    FixtureBuilder f{*d};
    NullProgress none; // the tools' progress, where nobody watches
    Fixture()
    {
        f.calendar(3, 5, 8).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
        f.event("E1", {"G1", "T1"}, 12).event("E2", {"G2", "T2"}, 3);
    }
    CodeId id(const char *code) const { return f.id(code); }
    int scheduledIn(const char *code, int w)
    {
        WeekAllocation wa;
        reloadWeekAllocation(*d, id(code), wa);
        return wa.scheduled[w];
    }
    int allocatedIn(const char *code, int w)
    {
        WeekAllocation wa;
        reloadWeekAllocation(*d, id(code), wa);
        return wa.allocated[w];
    }
};

TEST(Tools, TotalsCaptionsAndRefusals)
{
    {
        SCOPED_TRACE("all scheduled");
        Fixture x;
        x.f.allocate("E1", 1, 1, 2).place("E1", 1, 1, 1, 2);
        x.f.allocate("E2", 2, 2, 1).place("E2", 2, 3, 1, 1);
        x.f.finish();
        const ToolTotals t = toolTotals(*x.d, 4);
        EXPECT_FALSE(t.enabled[1]);
        EXPECT_FALSE(t.enabled[0]);
        EXPECT_EQ(t.captions[1], "Initial solution (all 3 periods have already been scheduled)");
        EXPECT_EQ(t.captions[0],
                  "Show unscheduled periods (all 3 periods have already been scheduled)");
        EXPECT_TRUE(t.enabled[2] && t.enabled[3] && t.enabled[4]);
        EXPECT_EQ(t.blockLine,
                  " Block length range 1 - 2 time units, 2 week(s) x 4 timetables to optimise");
        EXPECT_EQ(t.scheduledLine, " 3 out of 3 allocated periods are scheduled");
        EXPECT_EQ(t.allocatedLine, " 3 out of 15 planned periods are allocated to weeks");
        EXPECT_TRUE(t.allocatedLineShown);
        EXPECT_EQ(toolRefusal(*x.d, Tool::InitialSolution),
                  "You cannot run \"Initial solution\" now, because all periods have already been "
                  "scheduled.\nSelect \"Remove periods from timetables\" or go to Timetables view "
                  "to unschedule them.");
        EXPECT_EQ(toolRefusal(*x.d, Tool::RemovePeriods), "");
    }
    {
        SCOPED_TRACE("nothing scheduled");
        Fixture x;
        x.f.allocate("E1", 1, 2, 2);
        x.f.finish();
        const ToolTotals t = toolTotals(*x.d, 0);
        for (int k : {2, 3, 4}) {
            EXPECT_FALSE(t.enabled[static_cast<std::size_t>(k)]);
            EXPECT_TRUE(t.captions[static_cast<std::size_t>(k)].ends_with(
                " (none of the 4 periods have been scheduled yet)"));
        }
        EXPECT_EQ(t.blockLine, " [no periods]");
        EXPECT_EQ(toolRefusal(*x.d, Tool::CopyAcrossWeeks),
                  "You cannot run \"Copy timetables across weeks\" now, because no periods have "
                  "been scheduled.\nSelect \"Initial solution\" or go to Timetables view.");
        EXPECT_EQ(toolRefusal(*x.d, Tool::InitialSolution), "");
    }
    {
        SCOPED_TRACE("one week in use");
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 8).resources('G', {"G1"}).event("E1", {"G1"}, 2);
        f.allocate("E1", 1, 1, 2).place("E1", 1, 1, 1, 1);
        f.finish();
        const ToolTotals t = toolTotals(*d, 1);
        EXPECT_FALSE(t.enabled[2]);
        EXPECT_EQ(t.captions[2], "Copy timetables across weeks (only one week is in use)");
        EXPECT_FALSE(t.allocatedLineShown);
    }
    {
        SCOPED_TRACE("empty data set");
        auto d = makeScheduleData();
        EXPECT_EQ(toolRefusal(*d, Tool::Optimise),
                  "You cannot run \"Optimise timetables\" now, because there are no valid events "
                  "(go to Events view).");
        FixtureBuilder f(*d);
        f.calendar(1, 5, 8).resources('G', {"G1"}).event("E1", {"G1"}, 2);
        f.finish();
        EXPECT_EQ(toolRefusal(*d, Tool::InitialSolution),
                  "You cannot run \"Initial solution\" now, because there are no periods "
                  "allocated to weeks (go to Weeks view).");
    }
}

TEST(Tools, PickerMarksTheChosenEventsOnly)
{
    Fixture x;
    x.f.event("E3", {"G1"}, 1).allocate("E3", 1, 1, 1).place("E3", 1, 5, 8, 8);
    x.f.allocate("E1", 1, 1, 2).allocate("E2", 1, 1, 1).place("E2", 1, 1, 1, 1);
    x.f.finish();
    x.d->codes[x.id("E2")].name.assign("Copy of (E3)");
    x.d->codes[x.id("E3")].flags |= 2 | 1;

    ScriptedTools ui;
    ui.script.push_back(ScriptedTools::Reply{std::vector<CodeId>{x.id("E1"), x.id("E2")}});
    PickOutcome p = pickEventsForTool(*x.d, Tool::InitialSolution, ui);
    EXPECT_EQ(ui.asked.back(), "Select events for \"Initial solution\"");
    EXPECT_EQ(ui.offered, (std::vector<CodeId>{x.id("E1")})); // only events with periods left
    EXPECT_EQ(p.buttonCaption, "Select events (2 selected)");
    EXPECT_EQ(p.imitateCaption, "Imitate 1 events");
    EXPECT_EQ(x.d->codes[x.id("E3")].flags & LinkMarksMask, 0);

    const std::string before = dumpScheduleData(*x.d);
    p = pickEventsForTool(*x.d, Tool::RemovePeriods, ui); // cancelled: marks stay
    EXPECT_TRUE(p.cancelled);
    EXPECT_EQ(p.selected, 2);
    EXPECT_EQ(ui.offered, (std::vector<CodeId>{x.id("E2"), x.id("E3")}));
    EXPECT_EQ(dumpScheduleData(*x.d), before);
    EXPECT_EQ(pickerEvents(*x.d, Tool::CopyAcrossWeeks).size(), 3u);

    const ImitatedList list = imitatedEvents(*x.d);
    EXPECT_EQ(list.heading, "\nList of events (1) marked to be imitated");
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0], "1: E2:Copy of (E3) (imitates event \"E3\")");
}

TEST(Tools, CopyAcrossWeeks)
{
    // E1 has 4 cells in week 1; week 3 holds 3 of its 4 allocated periods on day 3.
    auto build = [](Fixture &x) {
        x.f.allocate("E1", 1, 1, 4).allocate("E1", 3, 3, 4);
        x.f.place("E1", 1, 1, 1, 2).place("E1", 1, 2, 1, 2).place("E1", 3, 3, 1, 3);
        x.f.finish();
        x.d->codes[x.id("E1")].flags |= 1;
    };
    struct Case
    {
        const char *name;
        std::vector<std::optional<ScriptedTools::Reply>> script;
        bool stopped;
        int scheduled3, allocated3;
    };
    using R = ScriptedTools::Reply;
    const std::vector<Case> cases = {
        {"same week", {R{2}, R{2}}, true, 3, 4},
        {"source cancelled", {std::nullopt}, true, 3, 4},
        {"target cancelled", {R{1}, std::nullopt}, true, 3, 4},
        {"clear cancelled", {R{1}, R{3}, R{Answer::Cancel}}, true, 3, 4},
        {"within the allocation", {R{1}, R{3}, R{Answer::No}, R{Answer::No}}, false, 4, 4},
        {"allocation adjusted", {R{1}, R{3}, R{Answer::No}, R{Answer::Yes}}, false, 7, 7},
        {"target cleared first", {R{1}, R{3}, R{Answer::Yes}, R{Answer::No}}, false, 4, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Fixture x;
        build(x);
        ScriptedTools ui;
        ui.script.assign(c.script.begin(), c.script.end());
        const ToolRunResult r = copyAcrossWeeks(*x.d, false, ui, x.none);
        EXPECT_EQ(r.stopped, c.stopped);
        EXPECT_EQ(x.scheduledIn("E1", 3), c.scheduled3);
        EXPECT_EQ(x.allocatedIn("E1", 3), c.allocated3);
        EXPECT_EQ(x.scheduledIn("E1", 1), 4);
        EXPECT_EQ(r.changed.empty(), c.stopped);
        EXPECT_EQ(x.d->codes[x.id("E1")].flags & LinkMarksMask, 1);
    }
    Fixture x;
    build(x);
    ScriptedTools ui;
    ui.script = {ScriptedTools::Reply{1}, ScriptedTools::Reply{3}, ScriptedTools::Reply{Answer::No},
                 ScriptedTools::Reply{Answer::No}};
    copyAcrossWeeks(*x.d, false, ui, x.none);
    EXPECT_EQ(ui.presets, (std::vector<int>{1, 2}));
    EXPECT_EQ(x.d->optimiseRange.startWeek, 1);
    EXPECT_EQ(x.d->optimiseRange.endWeek, 3);
}

TEST(Tools, RemovePeriodsInsideTheRangeOnly)
{
    Fixture x;
    x.f.allocate("E1", 1, 2, 4).place("E1", 1, 1, 3, 5).place("E1", 1, 2, 1, 1);
    x.f.place("E1", 2, 1, 1, 2);
    x.f.allocate("E2", 1, 1, 1).place("E2", 1, 1, 1, 1);
    x.f.finish();
    x.d->codes[x.id("E1")].flags |= 1;
    TimeRange range;
    range.startWeek = range.endWeek = 1;
    range.startDay = 1;
    range.endDay = 5;
    range.startBell = 1;
    range.endBell = 4;
    ToolRunResult r = removePeriods(*x.d, range, false, x.none);
    EXPECT_EQ(r.changed, std::vector<CodeId>{x.id("E1")});
    EXPECT_EQ(r.cells, 3);
    EXPECT_EQ(x.scheduledIn("E1", 1), 1); // bell 5 stays
    EXPECT_EQ(x.scheduledIn("E1", 2), 2); // week 2 stays
    EXPECT_EQ(x.allocatedIn("E1", 1), 4);
    EXPECT_EQ(x.scheduledIn("E2", 1), 1); // not marked

    // Nothing left in the range: the run changes nothing and says so.
    r = removePeriods(*x.d, range, false, x.none);
    EXPECT_TRUE(r.changed.empty());
    EXPECT_EQ(resultLines(*x.d, r.changed, r.storeRefusals),
              std::vector<std::string>{"Selected operation did not change any events or "
                                       "resources. Click Close to exit this view."});

    // A locked event is passed over unless locked events are included.
    x.d->codes[x.id("E2")].flags |= 1 | LockedBit;
    range.endBell = 8;
    r = removePeriods(*x.d, range, false, x.none);
    EXPECT_EQ(r.changed, std::vector<CodeId>{x.id("E1")});
    EXPECT_EQ(x.scheduledIn("E2", 1), 1);
    r = removePeriods(*x.d, range, true, x.none);
    EXPECT_EQ(r.changed, std::vector<CodeId>{x.id("E2")});
    EXPECT_EQ(resultLines(*x.d, r.changed, 0), std::vector<std::string>{"1: E2:Name of E2"});
}

TEST(Tools, RemoveWithAFullStoreKeepsTheEventAndSaysSo)
{
    Fixture x;
    x.f.resources('R', {"Z"});
    x.f.allocate("E1", 1, 1, 4).place("E1", 1, 1, 1, 3);
    x.f.finish();
    x.d->codes[x.id("E1")].flags |= 1;
    // Fill the store: removing the middle bell splits E1's lecture in two, which needs one more.
    const SlotCoding &k = x.d->coding;
    for (int i = x.d->lectureCount + 1; i <= MaxLectures; ++i) {
        x.d->lectureWord[i] = x.id("Z") | LectureBookingBit;
        x.d->lectureStart[i] = x.d->lectureEnd[i] = k.pack(1 + i % 3, 1 + i % 5, 1 + i % 8);
        x.d->bookingKind[i] = 1;
    }
    x.d->lectureCount = MaxLectures;
    TimeRange range;
    range.startWeek = range.endWeek = 1;
    range.startDay = range.endDay = 1;
    range.startBell = range.endBell = 2;
    const ToolRunResult r = removePeriods(*x.d, range, false, x.none);
    EXPECT_EQ(r.storeRefusals, 1);
    EXPECT_TRUE(r.changed.empty());
    EXPECT_EQ(x.scheduledIn("E1", 1), 3);
    const auto lines = resultLines(*x.d, r.changed, r.storeRefusals);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "1 event(s) could not be stored (the lecture store is full) and kept their "
                        "timetables.");
}

TEST(Tools, UnscheduledOutline)
{
    Fixture x;
    x.f.allocate("E1", 1, 1, 3).place("E1", 1, 1, 1, 1);
    x.f.allocate("E2", 1, 1, 1).place("E2", 1, 2, 1, 1);
    x.f.finish();
    const UnscheduledOutline o = unscheduledOutline(*x.d);
    EXPECT_EQ(o.title, "\n\nAll resources and events = 4 + 2\n(only codes of 2 unscheduled "
                       "periods shown)");
    EXPECT_EQ(o.lines, (std::vector<std::string>{
                           "RESOURCES = 4",
                           " Groups (2)",
                           "  G1:Name of G1 (1/3)",
                           " Teachers (2)",
                           "  T1:Name of T1 (1/3)",
                           "EVENTS = 2",
                           " Basic (2)",
                           "  E1:Name of E1 (1/3)",
                       }));
}

TEST(Tools, ExamModeSwitchAndImitationChoice)
{
    Fixture x;
    x.f.allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1).allocate("E2", 1, 1, 1);
    x.f.finish();
    using R = ScriptedTools::Reply;
    struct Case
    {
        const char *name;
        std::vector<std::optional<R>> script;
        bool on, twoDays;
    };
    const std::vector<Case> cases = {
        {"declined", {R{false}}, false, false},
        {"category cancelled", {R{true}, std::nullopt}, false, false},
        {"not confirmed", {R{true}, R{2}, R{1}, R{false}}, false, false},
        {"one day", {R{true}, R{2}, R{1}, R{true}, R{false}}, true, false},
        {"two days", {R{true}, R{2}, R{1}, R{true}, R{true}}, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ExamMode exam;
        ScriptedTools ui;
        ui.script.assign(c.script.begin(), c.script.end());
        EXPECT_EQ(toggleExamMode(*x.d, exam, ui), c.on);
        EXPECT_EQ(exam.on, c.on);
        EXPECT_EQ(exam.twoDays, c.twoDays);
        EXPECT_EQ(exam.eventCategory, c.on ? 2 : 6);
        if (c.on) {
            EXPECT_EQ(ui.asked[3], "Do you want to use \"Middle\" as Exams category and "
                                   "\"Groups\" as Students category?");
            const ExamModeLabels l = examModeLabels(*x.d, exam);
            EXPECT_EQ(l.hint, "Exam scheduling is turned on for \"Middle\" and \"Groups\".");
            EXPECT_EQ(l.restriction, c.twoDays ? "Scheduling restriction: 2 days"
                                               : "Scheduling restriction: 1 day");
            EXPECT_FALSE(toggleExamMode(*x.d, exam, ui)); // the second press turns it off
            EXPECT_EQ(ui.told.back(), "Exam scheduling is turned off.");
            EXPECT_EQ(examModeLabels(*x.d, exam).restriction, "(Exam scheduling is turned off)");
        }
    }

    ScriptedTools ui;
    ui.script = {R{int(x.id("E1"))}, R{int(x.id("E2"))}, std::nullopt};
    EXPECT_EQ(chooseImitationTarget(*x.d, ui), x.id("E1"));
    EXPECT_EQ(ui.lines, std::vector<std::string>{"1: E1:Name of E1 (1 h scheduled)"});
    EXPECT_EQ(chooseImitationTarget(*x.d, ui), 0);
    EXPECT_EQ(ui.told.back(), "This event cannot be selected - no periods have been scheduled.");
    EXPECT_EQ(chooseImitationTarget(*x.d, ui), 0);
}

// The initial solution's option "Complete the timetables" (on unless switched off): E3 needs T1
// and G1, G1 is booked on day 2 and E1 holds T1 on day 1, so only moving E1 places E3.
TEST(OptimisationSessionRun, TheInitialSolutionCompletesWhatItLeaves)
{
    for (const bool complete : {true, false}) {
        SCOPED_TRACE(complete);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 2, 1).resources('G', {"G1"}).resources('T', {"T1"});
        f.event("E1", {"T1"}, 1).allocate("E1", 1, 1, 1).place("E1", 1, 1, 1, 1);
        f.event("E3", {"T1", "G1"}, 1).allocate("E3", 1, 1, 1).book("G1", 1, 2, 1, 1);
        f.finish();
        OptimisationSessionSettings settings;
        settings.initial = defaultInitialSettings(*d);
        if (!complete)
            settings.complete = false;
        ScriptedTools ui;
        OptimisationSession dialog(*d, settings, ui);
        ui.script.push_back(ScriptedTools::Reply{std::vector<CodeId>{f.id("E3")}});
        ASSERT_TRUE(dialog.chooseTool(Tool::InitialSolution));
        const SessionRun run = dialog.start();
        EXPECT_EQ(d->codes[f.id("E3")].scheduled, complete ? 1 : 0);
        EXPECT_EQ(run.completion.placed, complete ? 1 : 0);
        EXPECT_EQ(conflictsInWeeks(*d, 1, 1), 0);
        if (complete) {
            EXPECT_EQ(run.lines.back(), "Completion: 1 periods placed, 1 events moved.");
        }
        EXPECT_EQ(d->codes[f.id("E3")].flags & LinkMarksMask, 1);
    }
}

TEST(OptimisationSessionRun, ToolChoiceLimitsAndTheInitialSolutionRun)
{
    Fixture x;
    x.f.allocate("E1", 1, 1, 3).allocate("E2", 1, 1, 2);
    x.f.finish();
    OptimisationSessionSettings settings;
    settings.initial = defaultInitialSettings(*x.d);
    ScriptedTools ui;
    OptimisationSession dialog(*x.d, settings, ui);
    EXPECT_EQ(dialog.startButton(), "Start!");
    EXPECT_TRUE(dialog.start().refused); // no tool chosen yet

    // Tool 3 is refused while nothing is scheduled; the dialog stays without a tool.
    EXPECT_FALSE(dialog.chooseTool(Tool::RemovePeriods));
    EXPECT_EQ(ui.told.back(), toolRefusal(*x.d, Tool::RemovePeriods));
    EXPECT_EQ(dialog.tool(), Tool::None);

    ui.script.push_back(ScriptedTools::Reply{std::vector<CodeId>{x.id("E1")}});
    ASSERT_TRUE(dialog.chooseTool(Tool::InitialSolution));
    EXPECT_EQ(dialog.caption(), "Initial solution");
    EXPECT_EQ(dialog.startButton(), "Start");
    EXPECT_EQ(dialog.helpContext(), 2310);
    EXPECT_TRUE(dialog.startAllowed());

    settings.initial.minSeq = 4; // beyond the longest block
    EXPECT_FALSE(dialog.validateLimits());
    EXPECT_EQ(dialog.limitsLabel(), "Please check the time and block length limits!");
    EXPECT_TRUE(dialog.start().refused);
    EXPECT_EQ(x.d->codes[x.id("E1")].scheduled, 0);
    settings.initial.minSeq = 1;
    settings.initial.maxRepeats = 9;
    EXPECT_TRUE(dialog.validateLimits());
    EXPECT_EQ(settings.initial.maxRepeats, 5);
    EXPECT_EQ(x.d->optimiseRange.a, 3);

    const SessionRun run = dialog.start();
    EXPECT_FALSE(run.refused);
    EXPECT_EQ(run.lines, std::vector<std::string>{"1: E1:Name of E1"});
    EXPECT_EQ(dialog.progressLine(), " E2"); // the last event visited
    EXPECT_EQ(x.d->codes[x.id("E1")].scheduled, 3);
    EXPECT_EQ(x.d->codes[x.id("E2")].scheduled, 0); // not chosen
    EXPECT_EQ(x.d->codes[x.id("E1")].flags & LinkMarksMask, 1);
    // The block line counts the timetables a week matrix holds: one per timetabled resource.
    const std::string timetables =
        " x " + std::to_string(x.d->counters.timetabledResources) + " timetables to optimise";
    EXPECT_GT(x.d->counters.timetabledResources, 0);
    EXPECT_TRUE(dialog.totals().blockLine.ends_with(timetables)) << dialog.totals().blockLine;

    dialog.closeSelections();
    EXPECT_EQ(settings.initial.blockSlotsNum, 0);
    EXPECT_EQ(dialog.showUnscheduled().lines.back(), "  E2:Name of E2 (0/2)");
    EXPECT_EQ(dialog.helpContext(), 2350);
}

// Presses the session's Stop once `after` events have been visited.
class PressStop final : public Progress
{
public:
    PressStop(OptimisationSession &dialog, int after) : m_dialog(dialog), m_after(after) {}

protected:
    void onStep(int position) override
    {
        if (position > m_after)
            m_dialog.stop();
    }

private:
    OptimisationSession &m_dialog;
    int m_after;
};

TEST(OptimisationSessionRun, StopEndsTheRunAndKeepsWhatWasDone)
{
    Fixture x;
    x.f.allocate("E1", 1, 1, 2).allocate("E2", 1, 1, 2);
    x.f.finish();
    OptimisationSessionSettings settings;
    settings.initial = defaultInitialSettings(*x.d);
    ScriptedTools ui;
    ui.script.push_back(ScriptedTools::Reply{std::vector<CodeId>{x.id("E1"), x.id("E2")}});
    OptimisationSession dialog(*x.d, settings, ui);
    ASSERT_TRUE(dialog.chooseTool(Tool::InitialSolution));
    PressStop stop(dialog, 1);
    const SessionRun run = dialog.start(stop);
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(run.changed, std::vector<CodeId>{x.id("E1")});
    EXPECT_FALSE(dialog.running());

    // A new start clears the stop; the optimiser with nothing chosen changes nothing.
    ui.script.push_back(ScriptedTools::Reply{std::vector<CodeId>{}});
    ASSERT_TRUE(dialog.chooseTool(Tool::Optimise));
    const std::string before = dumpScheduleData(*x.d);
    const SessionRun none = dialog.start();
    EXPECT_EQ(none.lines, resultLines(*x.d, {}, 0));
    EXPECT_EQ(dumpScheduleData(*x.d), before);
}

TEST(OptimisationSessionRun, OptimiserRunFeedsTheGraph)
{
    auto d = makeScheduleData();
    InstitutionPlan plan = smallInstitution(4);
    generateInstitution(*d, plan);
    OptimisationSessionSettings settings;
    settings.initial = defaultInitialSettings(*d);
    settings.optimiser.maxRounds = 3;
    ScriptedTools ui;
    std::vector<CodeId> all;
    for (int i = 1; i <= d->eventList[0]; ++i)
        if (d->codes[d->eventList[i]].scheduled > 0)
            all.push_back(d->eventList[i]);
    ui.script.push_back(ScriptedTools::Reply{all});
    OptimisationSession dialog(*d, settings, ui);
    ASSERT_TRUE(dialog.chooseTool(Tool::Optimise));
    const SessionRun run = dialog.start();
    ASSERT_FALSE(run.refused) << (run.lines.empty() ? "" : run.lines[0]);
    EXPECT_EQ(run.optimised.conflictsAfter, 0);
    const auto &total = dialog.graph().series[0];
    ASSERT_GE(total.size(), 2u);
    EXPECT_EQ(total.front(), run.optimised.gapsBefore);
    EXPECT_EQ(total.back(), run.optimised.gapsAfter);
    // A series per weighed category, one point per cycle like the total; the rooms category
    // carries no weight and gets none.
    const GapCategoryWeights weights = optimiserWeights(*d, settings.optimiser);
    int drawn = 0;
    for (int k = 1; k <= MaxCategories; ++k) {
        SCOPED_TRACE(k);
        const auto i = static_cast<std::size_t>(k);
        const auto &series = dialog.graph().series[i];
        if (weights[i] == 0) {
            EXPECT_TRUE(series.empty());
            continue;
        }
        ASSERT_EQ(series.size(), total.size());
        EXPECT_EQ(series.front(), run.optimised.categoryBefore[i]);
        EXPECT_EQ(series.back(), run.optimised.categoryAfter[i]);
        drawn += series.front() > 0 ? 1 : 0;
    }
    EXPECT_GT(drawn, 0);
    EXPECT_TRUE(dialog.graph().series[static_cast<std::size_t>(d->roomsCategory)].empty());
    EXPECT_TRUE(dialog.statusLine().starts_with(" Time: ")) << dialog.statusLine();
    EXPECT_TRUE(dialog.changeLine().starts_with(" Now: ")) << dialog.changeLine();
}

// The run's own stop rules end it with the information box; the owner's Stop ends it quietly.
TEST(OptimisationSessionRun, StopRulesEndWithTheInformationBox)
{
    const std::string interrupted = "Optimisation was interrupted by Quivra, since no "
                                    "improvements could be made with the selected settings.";
    for (const int rule : {0, 1, 2}) {
        SCOPED_TRACE(rule);
        auto d = makeScheduleData();
        generateInstitution(*d, smallInstitution(3));
        OptimisationSessionSettings settings;
        settings.initial = defaultInitialSettings(*d);
        if (rule == 0)
            settings.optimiser.fruitlessCycles = 1;
        else if (rule == 1)
            settings.optimiser.roundLimit = 1;
        else
            settings.optimiser.dayLimit = 1e-9;
        ScriptedTools ui;
        ui.script.push_back(ScriptedTools::Reply{pickerEvents(*d, Tool::Optimise)});
        OptimisationSession dialog(*d, settings, ui);
        ASSERT_TRUE(dialog.chooseTool(Tool::Optimise));
        const SessionRun run = dialog.start();
        ASSERT_FALSE(run.refused);
        EXPECT_TRUE(run.optimised.interrupted);
        ASSERT_EQ(ui.told.size(), 1u);
        EXPECT_TRUE(ui.told[0].starts_with(interrupted)) << ui.told[0];
    }
    auto d = makeScheduleData();
    generateInstitution(*d, smallInstitution(3));
    OptimisationSessionSettings settings;
    settings.initial = defaultInitialSettings(*d);
    ScriptedTools ui;
    ui.script.push_back(ScriptedTools::Reply{pickerEvents(*d, Tool::Optimise)});
    OptimisationSession dialog(*d, settings, ui);
    ASSERT_TRUE(dialog.chooseTool(Tool::Optimise));
    NullProgress progress;
    EXPECT_TRUE(
        dialog.start(progress, [&dialog](const OptimiseStatus &) { dialog.stop(); }).stopped);
    EXPECT_TRUE(ui.told.empty());
}

// With a time budget the optimiser goes on after its first optimum: the run ends at the budget
// (or with no gap left) without the information box of an interrupted run, never worse than it
// began, and the graph's last points are the best gaps found, in total and per category.
TEST(OptimisationSessionRun, ATimeBudgetKeepsSearchingAndTheGraphShowsTheBest)
{
    auto d = makeScheduleData();
    generateInstitution(*d, mediumInstitution(4));
    OptimisationSessionSettings settings;
    settings.initial = defaultInitialSettings(*d);
    settings.optimiser.maxSeconds = 1;
    ScriptedTools ui;
    ui.script.push_back(ScriptedTools::Reply{pickerEvents(*d, Tool::Optimise)});
    OptimisationSession dialog(*d, settings, ui);
    ASSERT_TRUE(dialog.chooseTool(Tool::Optimise));
    double lastSeconds = 0;
    NullProgress progress;
    const SessionRun run = dialog.start(progress, [&](const OptimiseStatus &st) {
        if (st.point == OptimiseStatus::Point::Cycle)
            lastSeconds = st.seconds;
    });
    const OptimiseResult &r = run.optimised;
    ASSERT_FALSE(run.refused);
    EXPECT_TRUE(ui.told.empty());
    EXPECT_FALSE(r.interrupted);
    EXPECT_EQ(r.end, OptimiseEnd::TimeLimit) << r.message;
    EXPECT_LE(r.gapsAfter, r.gapsBefore);
    EXPECT_EQ(r.conflictsAfter, 0);
    if (r.gapsAfter > 0) {
        EXPECT_GE(lastSeconds, 0.9); // the search used its budget
    }
    const GapGraph &g = dialog.graph();
    ASSERT_GE(g.series[0].size(), 2u);
    EXPECT_EQ(g.series[0].front(), r.gapsBefore);
    EXPECT_EQ(g.series[0].back(), r.gapsAfter);
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto &series = g.series[static_cast<std::size_t>(k)];
        if (!series.empty()) {
            EXPECT_EQ(series.back(), r.categoryAfter[static_cast<std::size_t>(k)]) << k;
        }
    }
}

TEST(OptimisationSessionRun, GraphKeepsTheFirstCycleWhenFull)
{
    GapGraph g;
    g.start(0, 500);
    for (int i = 1; i <= GapGraph::MaxPoints + 2; ++i)
        g.add(0, 500 - i);
    const auto &s = g.series[0];
    ASSERT_EQ(s.size(), std::size_t(GapGraph::MaxPoints) + 1);
    EXPECT_EQ(s[0], 500); // the start value
    EXPECT_EQ(s[1], 499); // the first cycle stays
    EXPECT_EQ(s[2], 496); // points 2 and 3 were dropped
    EXPECT_EQ(s.back(), 500 - GapGraph::MaxPoints - 2);
}

} // namespace
} // namespace quivra
