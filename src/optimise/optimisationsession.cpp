#include "optimise/optimisationsession.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/totals.h"

#include <algorithm>
#include <cstdio>

namespace quivra {

namespace {

constexpr const char *LimitsWarning = "Please check the time and block length limits!";

std::string printed(const char *format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string clockText(double seconds)
{
    const long total = static_cast<long>(std::max(seconds, 0.0));
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                  total % 60);
    return buffer;
}

} // namespace

void GapGraph::start(int k, int value)
{
    auto &s = series[static_cast<std::size_t>(k)];
    s.assign(1, value);
    scale = std::max(scale, value);
}

void GapGraph::add(int k, int value)
{
    auto &s = series[static_cast<std::size_t>(k)];
    if (s.empty())
        s.push_back(value); // no start value yet: the first point stands for it
    if (static_cast<int>(s.size()) - 1 >= MaxPoints)
        s.erase(s.begin() + 2); // keep the start and the first cycle in view
    s.push_back(value);
}

// Forwards a run's progress to the caller's, keeps the line beside the progress bar, and ends
// the run at the session's Stop as well as at the caller's stop request.
class OptimisationSession::RunProgress final : public Progress
{
public:
    RunProgress(OptimisationSession &session, Progress &outer) : m_session(session), m_outer(outer)
    {}

protected:
    void onBegin(std::string_view text, int maximum) override { m_outer.begin(text, maximum); }
    void onStep(int position) override { m_outer.step(position); }
    void onStatus(std::string_view text) override
    {
        m_session.m_progressLine = text;
        m_outer.status(text);
    }
    void onEnd() override { m_outer.end(); }
    void onPoll() override
    {
        if (m_outer.stopRequested())
            m_session.m_stop = true;
        if (m_session.m_stop)
            requestStop();
    }

private:
    OptimisationSession &m_session;
    Progress &m_outer;
};

// The optimiser's status: the statistics lines and the graph of gaps.
void OptimisationSession::noteStatus(const OptimiseStatus &s)
{
    GapGraph &g = m_graph;
    // Only the categories the run weighs get a series; the others' gaps are not counted.
    const auto weighed = [&s](int k) { return s.weights[static_cast<std::size_t>(k)] > 0; };
    if (g.series[0].empty()) {
        g.start(0, s.gapsInitial);
        for (int k = 1; k <= MaxCategories; ++k)
            if (weighed(k))
                g.start(k, s.categoryInitial[static_cast<std::size_t>(k)]);
    }
    const int changes = s.swaps + s.moves;
    const double perMinute = s.seconds > 1e-5 ? changes / (s.seconds / 60.0) : 0.0;
    m_statusLine = " Time: " + clockText(s.seconds) + ", changes: " + std::to_string(s.swaps) +
                   "+" + std::to_string(s.moves) + "=" + std::to_string(changes) + ", " +
                   printed("changes/min:%8.2f", perMinute) + ", round: " + std::to_string(s.round) +
                   "." + std::to_string(s.week);
    if (s.latest != 0)
        m_progressLine = " " + std::to_string(s.changedTimetables) + " out of " +
                         std::to_string(s.rows) + " timetables changed (latest \"" +
                         formatCode(m_d, s.latest, ShowCode) + "\")";
    if (s.point == OptimiseStatus::Point::Cycle) {
        g.add(0, s.gapsNow);
        for (int k = 1; k <= MaxCategories; ++k)
            if (weighed(k))
                g.add(k, s.categoryNow[static_cast<std::size_t>(k)]);
        std::string line = " Now: " + std::to_string(s.gapsNow) +
                           " Change: " + std::to_string(s.gapsNow - s.gapsInitial);
        if (s.gapsInitial > 0)
            line += " Change(%):" +
                    printed("%6.1f%%", (s.gapsNow - s.gapsInitial) * 100.0 / s.gapsInitial);
        m_changeLine = line;
    }
}

OptimisationSession::OptimisationSession(ScheduleData &d, OptimisationSessionSettings &settings,
                                         ToolDialogue &ui)
    : m_d(d), m_settings(settings), m_ui(ui)
{
    setWeeks(1, usedWeeks(d));
}

std::string OptimisationSession::caption() const
{
    return m_tool == Tool::None ? std::string("Optimise timetables") : toolName(m_tool);
}

ToolTotals OptimisationSession::totals()
{
    // A week matrix has one row per resource with a timetable.
    return toolTotals(m_d, m_d.counters.timetabledResources);
}

bool OptimisationSession::chooseTool(Tool t)
{
    rebuildLists(m_d);
    learnPatterns(m_d, m_settings.patterns);
    const std::string refusal = toolRefusal(m_d, t);
    if (!refusal.empty()) {
        m_ui.inform(refusal);
        m_tool = Tool::None;
        m_helpContext = toolHelpContext(Tool::None);
        m_startAllowed = false;
        return false;
    }
    m_tool = t;
    m_helpContext = toolHelpContext(t);
    pickEvents();
    return true;
}

PickOutcome OptimisationSession::pickEvents()
{
    const PickOutcome out = pickEventsForTool(m_d, m_tool, m_ui);
    validateLimits();
    return out;
}

bool OptimisationSession::validateLimits()
{
    InitialSettings &s = m_settings.initial;
    s.range.startWeek = m_d.optimiseRange.startWeek;
    s.range.endWeek = m_d.optimiseRange.endWeek;
    if (!initialLimitsProblem(s).empty()) {
        m_limitsLabel = LimitsWarning;
        m_startAllowed = false;
        return false;
    }
    s.maxRepeats = clampedRepeats(s);
    TimeRange &o = m_d.optimiseRange;
    o.startDay = s.range.startDay;
    o.endDay = s.range.endDay;
    o.startBell = s.range.startBell;
    o.endBell = s.range.endBell;
    o.a = static_cast<std::uint16_t>(std::max(s.maxSeq, 0));
    o.b = static_cast<std::uint16_t>(std::max(s.minSeq, 0));
    m_limitsLabel = formatDayBell(m_d, s.range.startDay, s.range.startBell, 1) + " - " +
                    formatDayBell(m_d, s.range.endDay, s.range.endBell, 1);
    m_startAllowed = m_tool != Tool::None;
    return true;
}

void OptimisationSession::setWeeks(int from, int to)
{
    const int last = std::clamp(usedWeeks(m_d), 1, MaxWeeks);
    from = std::clamp(from, 1, last);
    to = std::clamp(to, 1, last);
    m_d.optimiseRange.startWeek = static_cast<std::uint8_t>(from);
    m_d.optimiseRange.endWeek = static_cast<std::uint8_t>(std::max(from, to));
    m_settings.initial.range.startWeek = m_d.optimiseRange.startWeek;
    m_settings.initial.range.endWeek = m_d.optimiseRange.endWeek;
}

void OptimisationSession::selectAllSlots()
{
    TimeRange &r = m_settings.initial.range;
    r.startDay = 1;
    r.endDay = static_cast<std::uint8_t>(std::clamp(usedDays(m_d), 1, MaxDays));
    r.startBell = 1;
    r.endBell = static_cast<std::uint8_t>(std::clamp(usedBells(m_d), 1, MaxBells));
    validateLimits();
}

// The completion after the initial solution: the same events, range, block length and seed.
void OptimisationSession::complete(const InitialSettings &s, Progress &progress, SessionRun &run)
{
    quivra::totals(m_d, 1, m_d.codeCount);
    if (m_d.counters.scheduledTotal >= m_d.counters.allocatedTotal)
        return;
    CompletionSettings c;
    c.maxPerDay = std::max(s.maxSeq, 1);
    c.includeLocked = s.includeLocked;
    c.seed = s.seed;
    c.range = s.range;
    c.markedOnly = true;
    run.completion = completeTimetables(m_d, c, progress);
    run.stopped = run.completion.stopped;
    const CompletionResult &r = run.completion;
    if (r.placed == 0 && r.moved == 0 && r.unplaced.empty() && r.message.empty())
        return;
    run.lines.push_back("Completion: " + std::to_string(run.completion.placed) +
                        " periods placed, " + std::to_string(run.completion.moved) +
                        " events moved.");
    std::string report = completionReport(m_d, run.completion);
    for (std::size_t at = 0; at < report.size();) {
        const std::size_t end = report.find('\n', at);
        run.lines.push_back(report.substr(at, end - at));
        at = end + 1;
    }
    if (!run.completion.message.empty())
        run.lines.push_back(run.completion.message);
}

SessionRun OptimisationSession::start()
{
    NullProgress none;
    return start(none);
}

SessionRun OptimisationSession::start(Progress &progress, const OptimiseObserver &observer)
{
    SessionRun run;
    run.tool = m_tool;
    if (m_tool == Tool::None || m_running || !validateLimits()) {
        run.refused = true;
        run.lines.emplace_back(m_tool == Tool::None ? "" : m_limitsLabel);
        return run;
    }
    m_running = true;
    m_stop = false;
    m_graph = GapGraph{};
    m_progressLine.clear();
    m_statusLine.clear();
    m_changeLine.clear();
    totals();
    RunProgress rp(*this, progress);

    switch (m_tool) {
    case Tool::InitialSolution: {
        InitialSettings s = m_settings.initial;
        s.includeLocked = m_settings.includeLocked;
        run.initial = runInitialSolution(m_d, s, m_settings.patterns, rp);
        run.refused = run.initial.refused;
        run.stopped = run.initial.stopped;
        run.changed = run.initial.changed;
        if (run.initial.refused) {
            run.lines.push_back(run.initial.message);
        } else {
            run.lines =
                resultLines(m_d, run.changed, static_cast<int>(run.initial.storeRefused.size()));
            if (run.initial.storeFailed || run.initial.conflictsAfter > run.initial.conflictsBefore)
                run.lines.push_back(run.initial.message);
        }
        if (!run.refused && !run.stopped && m_settings.complete && !s.exam.on &&
            s.imitationTarget == 0 && !s.imitateMultiple)
            complete(s, rp, run);
        break;
    }
    case Tool::CopyAcrossWeeks:
    case Tool::RemovePeriods: {
        run.other =
            m_tool == Tool::CopyAcrossWeeks
                ? copyAcrossWeeks(m_d, m_settings.includeLocked, m_ui, rp)
                : removePeriods(m_d, m_settings.initial.range, m_settings.includeLocked, rp);
        run.stopped = run.other.stopped;
        run.changed = run.other.changed;
        run.lines = resultLines(m_d, run.changed, run.other.storeRefusals);
        break;
    }
    case Tool::Optimise: {
        OptimiseSettings s = m_settings.optimiser;
        s.includeLocked = m_settings.includeLocked;
        s.bookings = m_settings.bookings;
        s.minSeq = m_settings.initial.minSeq;
        s.maxSeq = m_settings.initial.maxSeq;
        s.mode = m_settings.initial.mode & (ModeOneBlockPerDay | ModeBalancedDays);
        s.seed = m_settings.initial.seed;
        s.firstWeek = m_d.optimiseRange.startWeek;
        s.lastWeek = m_d.optimiseRange.endWeek;
        s.events.clear();
        std::vector<std::uint16_t> marks(static_cast<std::size_t>(m_d.codeCount) + 1);
        for (int c = 1; c <= m_d.codeCount; ++c) {
            marks[static_cast<std::size_t>(c)] = m_d.codes[c].flags & LinkMarksMask;
            if (m_d.codes[c].isEvent() && (m_d.codes[c].flags & 1) && m_d.codes[c].scheduled > 0)
                s.events.push_back(static_cast<CodeId>(c));
        }
        // An empty list would mean every event to the optimiser; no choice means no change.
        if (s.events.empty()) {
            run.lines = resultLines(m_d, {}, 0);
            break;
        }
        m_statusLine = " Please wait ...";
        run.optimised = optimiseWithBudget(m_d, s, rp, [this, &observer](const OptimiseStatus &st) {
            noteStatus(st);
            if (observer)
                observer(st);
        });
        for (int c = 1; c <= m_d.codeCount && c < static_cast<int>(marks.size()); ++c)
            m_d.codes[c].flags |= marks[static_cast<std::size_t>(c)];
        run.refused = run.optimised.refused();
        run.stopped = run.optimised.end == OptimiseEnd::Stopped;
        if (!run.optimised.message.empty())
            run.lines.push_back(run.optimised.message);
        if (run.stopped)
            run.lines.emplace_back(" Optimisation stopped.");
        // The run's own stop rules, and a store without room, end it with an information box;
        // Stop ends it quietly.
        if (run.optimised.interrupted || run.optimised.end == OptimiseEnd::StoreFailed)
            m_ui.inform(run.optimised.message);
        break;
    }
    case Tool::None:
        break;
    }
    m_running = false;
    return run;
}

UnscheduledOutline OptimisationSession::showUnscheduled()
{
    m_helpContext = 2350;
    return unscheduledOutline(m_d);
}

} // namespace quivra
