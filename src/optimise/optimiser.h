#pragma once

// Timetable optimisation: a randomised first-improvement local search that reduces the weighted
// gaps of the resources' timetables without adding or removing periods.
//
// The run visits one week of its range at a time, builds the week's matrix and walks its rows in
// an order that changes with the round. For the visited row it takes the blocks of periods (runs
// of one event's cells on one day), scores every possible move of a block to a free position and
// every exchange with an equal block of another event, and applies the best one when it does not
// raise the weighted gaps. Optional day rules take a change back when it splits an event's day or
// unbalances a timetable. Every change goes into the lecture store at once and is logged in the
// week's MoveLog.
//
// Scoring a probe needs the weighted gaps with the block at the probed place. The fast path keeps
// the week's total and changes it by the gaps of the rows and days a probe touches; the
// reference mode counts the whole week for every probe. Both take the same decisions.
//
// The run is deterministic: the same data, settings and seed give the same changes. The clock
// only ends a run (the time limit, the day limit); it never steers a decision before that.

#include "engine/gaps.h"
#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "engine/weekmatrix.h"
#include "optimise/optimisesettings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quivra {

// Where a run stands, reported after every week and every cycle.
struct OptimiseStatus
{
    enum class Point { Week, Cycle };
    Point point = Point::Week;
    int round = 1;
    int week = 0;
    int swaps = 0;
    int moves = 0;
    int undone = 0;
    int changedTimetables = 0; // rows of the current week's matrix whose resource improved
    int rows = 0;
    CodeId latest = 0;   // the resource of the last improving call
    int gapsInitial = 0; // weighted gaps of the range at the start
    int gapsNow = 0;     // at Point::Cycle: weighted gaps of the range after the cycle
    // The same per resource category (entry 0 unused); they add up to the totals above.
    std::array<int, MaxCategories + 1> categoryInitial{};
    std::array<int, MaxCategories + 1> categoryNow{}; // at Point::Cycle
    GapCategoryWeights weights{}; // what the run scores with; 0 for a category left out
    double seconds = 0;
};

// Whoever watches a run is told its status after every week and every cycle: the counters, the
// status lines and the graph of gaps the optimisation dialog shows.
using OptimiseObserver = std::function<void(const OptimiseStatus &)>;

enum class OptimiseEnd {
    Refused,       // nothing was done; see the message
    Stopped,       // the owner asked to stop
    NoImprovement, // fruitlessCycles cycles without a change
    RoundLimit,    // maxRounds complete cycles, or the round counter's limit
    TimeLimit,     // maxSeconds, or a day of running
    StoreFailed,   // the lecture store refused a change; the change was not made
};

// Per category of timetables of resources (1..7), averaged over resource-weeks with periods.
struct TimetableStats
{
    struct Category
    {
        int resourceWeeks = 0;
        int occupied = 0;
        int gaps = 0;
        int spread = 0; // sum of (longest day - shortest day)
        int idle = 0;   // sum of ((latest last - earliest first + 1) - longest day)
    };
    std::array<Category, MaxCategories + 1> byCategory{}; // [0] all categories
};

struct OptimiseResult
{
    OptimiseEnd end = OptimiseEnd::Refused;
    std::string message; // the refusal, or why the run ended
    // Ended by one of the run's own stop rules (no improvement, the round counter's limit, a day
    // of running): the owner shows `message` in an information box.
    bool interrupted = false;
    int gapsBefore = 0; // weighted gaps of the week range
    int gapsAfter = 0;
    std::array<int, MaxCategories + 1> categoryBefore{}; // weighted, per resource category
    std::array<int, MaxCategories + 1> categoryAfter{};
    int swaps = 0;
    int moves = 0;
    int undone = 0;            // changes taken back because they broke a day rule
    int rounds = 0;            // complete cycles over the week range
    int changedTimetables = 0; // resources improved at least once
    double seconds = 0;
    int conflictsBefore = 0; // conflicting cells in the range before the run; they stay
    int conflictsAfter = 0;  // and after it: never more than before
    TimetableStats statsBefore;
    TimetableStats statsAfter;

    bool refused() const { return end == OptimiseEnd::Refused; }
};

// The weights the run scores with: gapWeights clamped to 0..9, 0 for categories whose timetables
// are switched off and for the rooms category.
GapCategoryWeights optimiserWeights(const ScheduleData &d, const OptimiseSettings &s);

// Optimises the timetables of the settings' week range. Refused, with nothing changed, when there
// are no events, nothing is scheduled or the range is empty. Conflicts the range holds stay as
// they are, and the run adds none.
// `progress` runs from 0 to the weighted gaps at the start and is stepped to the gaps after
// every cycle. Its stop request is polled after every call on a row and at the end of every
// week; the run ends at the next of those points with OptimiseEnd::Stopped. `observer` (may be
// empty) is told the status after every week and every cycle.
OptimiseResult optimise(ScheduleData &d, const OptimiseSettings &s, Progress &progress,
                        const OptimiseObserver &observer = {});
// The same with nobody watching: the command line and benchmarks.
OptimiseResult optimise(ScheduleData &d, const OptimiseSettings &s);

// The per-category measures of the matrix's week, added into `stats`.
void addTimetableStats(const ScheduleData &d, const WeekMatrix &m, bool bookings,
                       TimetableStats &stats);

// Conflicting cells of the matrix's week: cells of a timetabled resource covered by periods of two
// or more events (each event after the first counts once).
int weekConflicts(const ScheduleData &d, const WeekMatrix &m);

// The events of the matrix's week that share a cell of a timetabled resource with another event,
// in eventList order.
std::vector<CodeId> conflictingEvents(const ScheduleData &d, const WeekMatrix &m);

// One block of one row: a run of cells holding the same event's period on one day.
struct TimetableBlock
{
    CodeId event = 0;
    int day = 0;
    int bell = 0; // first bell
    int length = 0;
};

} // namespace quivra
