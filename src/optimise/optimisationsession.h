#pragma once

// OptimisationSession: the headless logic of the "Optimise timetables" dialog while it is open:
// the settings its pages hold, the tool choice with its refusals and event picker, the limits
// check, the Start!/Stop run of the chosen tool with its status lines and the graph of gaps, and
// the end of a run.
//
// The desktop dialog owns one OptimisationSession while it is open and draws what it exposes; a
// run is synchronous and reports through the Progress port it is given, whose stop request the
// desktop sets from its Stop button (or it calls stop() from a callback); the optimiser's status
// also goes to an observer. Questions go through the ToolDialogue. Nothing here outlives the dialog
// but the data set, the optimiser range and the settings, which the caller writes back.

#include "engine/scheduledata.h"
#include "optimise/completion.h"
#include "optimise/improver.h"
#include "optimise/initialsolution.h"
#include "optimise/optimiser.h"
#include "optimise/optimisesettings.h"
#include "optimise/tools.h"

#include <array>
#include <atomic>
#include <string>
#include <vector>

namespace quivra {

// Everything the pages hold. The caller loads it from and saves it to the settings file.
struct OptimisationSessionSettings
{
    // Initial solution: the time range (days, bells; its weeks follow the week boxes), block
    // range, repeats, block range source, slot blocks, imitation, exam mode and seed.
    InitialSettings initial;
    // Optimisation: gap weights, methods, stop rules. Its week range, block range, day rules
    // (mode bits 0..1 of initial.mode), locked events, bookings, events and seed are set from the
    // dialog at every start.
    OptimiseSettings optimiser;
    PatternTable patterns;
    bool includeLocked = false;
    bool bookings = false; // "Treat bookings like events"
    // "Complete the timetables": after the initial solution, the completion places what it left
    // by moving the blocks in the way (not with imitation or exam mode, whose rules it does not
    // follow).
    bool complete = true;
};

// The gap graph: series 0 the total, 1..7 the resource categories; each a start value and at most
// MaxPoints points. When full, point 2 is dropped so the first cycle stays in view.
struct GapGraph
{
    static constexpr int MaxPoints = 90;
    std::array<std::vector<int>, MaxCategories + 1> series;
    int scale = 0;

    void start(int k, int value);
    void add(int k, int value);
};

struct SessionRun
{
    Tool tool = Tool::None;
    bool refused = false;
    bool stopped = false;
    std::vector<std::string> lines; // the result list of the Statistics page
    std::vector<CodeId> changed;
    InitialResult initial;       // tool 1
    CompletionResult completion; // tool 1 with `complete`
    ToolRunResult other;         // tools 2 and 3
    OptimiseResult optimised;    // tool 4
};

class OptimisationSession
{
public:
    OptimisationSession(ScheduleData &d, OptimisationSessionSettings &settings, ToolDialogue &ui);

    Tool tool() const { return m_tool; }
    // The dialog's caption: the tool name once a tool is chosen.
    std::string caption() const;
    std::string startButton() const { return startCaption(m_tool); }
    int helpContext() const { return m_helpContext; }
    bool startAllowed() const { return m_startAllowed; }
    bool running() const { return m_running; }

    // The tool buttons and status lines.
    ToolTotals totals();
    // A tool button: lists rebuilt, patterns learned, refusals (told through the dialogue), then
    // the event picker and the limits check. False when refused.
    bool chooseTool(Tool t);
    PickOutcome pickEvents();
    // Checks the time and block limits; the label shows the range's first and last slot or the
    // warning. Decides whether Start is allowed.
    bool validateLimits();
    const std::string &limitsLabel() const { return m_limitsLabel; }
    // The week boxes: the optimiser range runs from `from` to the larger of the two.
    void setWeeks(int from, int to);
    // "Select all slots": days and bells in use.
    void selectAllSlots();
    // The "Close" of the Selections page leaves no slot block table selected.
    void closeSelections() { m_settings.initial.blockSlotsNum = 0; }

    // Start: runs the chosen tool over the marked events, shown through `progress` (the tool's
    // steps and status, its stop request). The optimiser's status goes to `observer` (may be
    // empty) after the session's own lines and graph took it.
    SessionRun start(Progress &progress, const OptimiseObserver &observer = {});
    // The same with nobody watching.
    SessionRun start();
    // Stop: the run ends at its next check.
    void stop() { m_stop = true; }

    // The line beside the progress bar, and the optimiser's status lines.
    const std::string &progressLine() const { return m_progressLine; }
    const std::string &statusLine() const { return m_statusLine; }
    const std::string &changeLine() const { return m_changeLine; }
    const GapGraph &graph() const { return m_graph; }

    UnscheduledOutline showUnscheduled();

private:
    class RunProgress;
    void noteStatus(const OptimiseStatus &s);
    void complete(const InitialSettings &s, Progress &progress, SessionRun &run);

    ScheduleData &m_d;
    OptimisationSessionSettings &m_settings;
    ToolDialogue &m_ui;
    Tool m_tool = Tool::None;
    int m_helpContext = 2300;
    bool m_startAllowed = false;
    bool m_running = false;
    std::atomic<bool> m_stop = false;
    std::string m_limitsLabel;
    std::string m_progressLine;
    std::string m_statusLine;
    std::string m_changeLine;
    GapGraph m_graph;
};

} // namespace quivra
