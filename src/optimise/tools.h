#pragma once

// The tools of the optimisation dialog besides the optimiser itself: the shared frame (tool
// captions, refusals, choosing events, the status lines and the end of a run), copying
// timetables across weeks, removing scheduled periods, the snapshot of unscheduled periods, the
// list of imitated events, the choice of an imitated event and the exam-mode switch.
//
// Every question goes through a ToolDialogue the caller supplies, so the same logic serves the
// desktop dialog, the command line and tests. A tool run changes the data set directly and
// keeps the LinkMarks of every event: the events chosen stay chosen for the next run.

#include "engine/scheduledata.h"
#include "optimise/initialsolution.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quivra {

enum class Tool : int {
    None = 0,
    InitialSolution = 1,
    CopyAcrossWeeks = 2,
    RemovePeriods = 3,
    Optimise = 4,
};

// The dialog's caption while the tool is chosen (the tool's name in messages).
std::string toolName(Tool t);
// The start button: "Start!" before a tool is chosen, then "Start", "Start", "Remove", "Optimise".
std::string startCaption(Tool t);
int toolHelpContext(Tool t);

// What the dialog asks and tells. The desktop shows message boxes and pickers; tests script it.
class ToolDialogue
{
public:
    enum class Answer { Yes, No, Cancel };
    virtual ~ToolDialogue() = default;
    virtual void inform(const std::string &text) = 0;
    virtual bool askYesNo(const std::string &question) = 0;
    virtual Answer askYesNoCancel(const std::string &question) = 0;
    // The events chosen among `offered`; nullopt when the picker was cancelled.
    virtual std::optional<std::vector<CodeId>> pickEvents(const std::string &title,
                                                          const std::vector<CodeId> &offered) = 0;
    // One of `lines` (offered[i] shown as lines[i]); nullopt when cancelled.
    virtual std::optional<CodeId> pickEvent(const std::string &title,
                                            const std::vector<CodeId> &offered,
                                            const std::vector<std::string> &lines) = 0;
    // A week of first..last; nullopt when cancelled.
    virtual std::optional<int> pickWeek(const std::string &question, int preset, int first,
                                        int last) = 0;
    // An event (events) or resource category 1..7; nullopt when cancelled.
    virtual std::optional<int> pickCategory(const std::string &title, bool events, int preset) = 0;
};

// The tool buttons and status lines of the dialog (refreshed on opening, on every tool choice and
// when a run starts). Indexes: the Tool values 1..4, and 0 for "Show unscheduled periods".
struct ToolTotals
{
    std::array<bool, 5> enabled{};
    std::array<std::string, 5> captions;
    std::string blockLine;     // the block length range and the timetables to optimise
    std::string scheduledLine; // " %d out of %d allocated periods are scheduled"
    bool scheduledLineShown = false;
    std::string allocatedLine; // " %d out of %d planned periods are allocated to weeks"
    bool allocatedLineShown = false;
};
// Recomputes the totals. `matrixRows` is the number of timetables of the last week matrix built.
ToolTotals toolTotals(ScheduleData &d, int matrixRows);

// Why tool t cannot run now ("You cannot run ..."); empty when it can.
std::string toolRefusal(ScheduleData &d, Tool t);
// The events the picker offers for tool t, in eventList order.
std::vector<CodeId> pickerEvents(const ScheduleData &d, Tool t);

struct PickOutcome
{
    bool cancelled = false;
    int selected = 0;           // events with LinkMarks bit 0
    int imitating = 0;          // of them, those whose names link them to another event
    std::string buttonCaption;  // "Select events (%d selected)"
    std::string imitateCaption; // "Imitate %d events"
};
// The event picker of tool t: the chosen events get LinkMarks bit 0 and every other event loses
// its marks. A cancelled picker changes nothing.
PickOutcome pickEventsForTool(ScheduleData &d, Tool t, ToolDialogue &ui);

// The common end of tools 1 to 3.
struct ToolRunResult
{
    std::vector<CodeId> changed; // eventList order
    bool stopped = false;        // a cancelled question, the stop request or the tool's own rule
    int storeRefusals = 0;       // events the lecture store could not take; they kept their state
    int cells = 0;               // cells copied or removed
    std::string message;
};
// One line "%d: %s" per changed event (code and name), or the line saying nothing changed; a
// last line counts the events the lecture store refused.
std::vector<std::string> resultLines(const ScheduleData &d, const std::vector<CodeId> &changed,
                                     int storeRefusals);

// Copies the timetables of the marked events from one week into another (asked through `ui`:
// the two weeks, whether to clear the target week first, whether the target week's allocation
// may grow). The weeks chosen become the start and end week of the optimiser range. `progress`
// runs over eventList as in runInitialSolution; a stop request ends the copy before the next
// event.
ToolRunResult copyAcrossWeeks(ScheduleData &d, bool includeLocked, ToolDialogue &ui,
                              Progress &progress);
// Removes the marked events' periods inside the range (weeks x days x bells); allocations stay.
// `progress` as in copyAcrossWeeks.
ToolRunResult removePeriods(ScheduleData &d, const TimeRange &range, bool includeLocked,
                            Progress &progress);

// The snapshot of codes whose periods are not all scheduled: a title and an outline by kind and
// category.
struct UnscheduledOutline
{
    std::string title;
    std::vector<std::string> lines;
};
UnscheduledOutline unscheduledOutline(ScheduleData &d);

// "Display imitated events": the marked events whose names link them to another event.
struct ImitatedList
{
    std::string title;   // "Imitated events"
    std::string heading; // "\nList of events (%d) marked to be imitated"
    std::vector<std::string> lines;
};
ImitatedList imitatedEvents(const ScheduleData &d);

// "Select the event" for imitation; 0 when cancelled or when the event has nothing scheduled
// (with a warning).
CodeId chooseImitationTarget(const ScheduleData &d, ToolDialogue &ui);

// Exam scheduling: a second press turns it off; turning it on asks for the categories and the
// two-day restriction, and any cancel leaves it off. Returns whether it is on.
bool toggleExamMode(const ScheduleData &d, ExamMode &exam, ToolDialogue &ui);
// The hint and the three labels that show the exam mode.
struct ExamModeLabels
{
    std::string hint;
    std::string events;
    std::string resources;
    std::string restriction;
};
ExamModeLabels examModeLabels(const ScheduleData &d, const ExamMode &exam);

// A category's name without its letter prefix ("G:Groups" gives "Groups").
std::string plainCategoryName(const ScheduleData &d, bool events, int k);

} // namespace quivra
