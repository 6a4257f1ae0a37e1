#pragma once

// The initial solution: places the periods that are allocated to weeks but not yet in timetables.
//
// It only adds timetable lectures; nothing already placed moves. Events are taken in eventList
// order, and for each event the weeks of the range in order. In a week the event's remaining
// periods are cut into blocks (runs of bells on one day) and each block goes to the free position
// of the time range with the best score: earlier bells first, next to existing lessons, and on
// the day after the previous block. A block needs its cells free in the week timetable of every
// timetabled resource of the event; a day where the event already has periods gets no second
// block (exam mode extends that to every exam of a student on that day, optionally also the days
// around it). Block lengths come from the settings, from block patterns learned from the current
// timetables, or from an event being imitated.
//
// Guarantees of a run: every block is checked against all timetabled resources of its event right
// before it is stored, so a run never creates a conflict nor places an event twice in a cell; a
// conflict the range already holds stays as it is and its cells count as occupied; an event the
// lecture store has no room for keeps what it had, the run goes on with the next event and the
// message names every such event.
//
// The run is deterministic for the same data, settings and seed; the generator is only drawn from
// when a learned pattern is picked.

#include "engine/progress.h"
#include "engine/random.h"
#include "engine/scheduledata.h"
#include "optimise/optimiser.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

// Where block lengths come from (bits 2..3 of InitialSettings::mode).
enum BlockRangeSource : int {
    RangesBelow = 0,                 // the shortest/longest of the settings
    RangesByApplication = 4,         // learned patterns, else a spread over the range's days
    RangesBelowAndByApplication = 8, // both: the learned lengths narrowed to the settings
};
constexpr int BlockRangeSourceMask = 12;

// Learned block patterns, sorted ascending. Each entry packs, from the high bits down: periods
// of the week (bits 23..30), the smallest non-zero periods of one day (18..22), the largest
// (13..17), the days with the largest (10..12) and an age counter (0..9, 1023 when new, one less
// each time the pattern is seen again).
using PatternTable = std::vector<std::int32_t>;
constexpr int MaxPatterns = 511;
constexpr int NewPatternAge = 1023;

// Slot block tables: bit k (1..15) of the word of [bell][day] keeps blocks from starting in the
// slot while table k is selected.
using SlotBlockMasks = std::array<std::array<std::uint16_t, MaxDays + 1>, MaxBells + 1>;

// Exam scheduling: at most one block of an exam-category event per day in every timetable of a
// students-category resource (with twoDays also not on the day before or after).
struct ExamMode
{
    bool on = false;
    bool twoDays = false;
    int eventCategory = 6;    // the "Exams" event category
    int studentsCategory = 5; // the "Students" resource category
};

struct InitialSettings
{
    // Weeks, days and bells where blocks may go (a and b are not used).
    TimeRange range;
    int minSeq = 1;     // shortest block; 0 is read as 1
    int maxSeq = 3;     // longest block
    int maxRepeats = 1; // blocks of the longest length per event and week (0: no limit)
    int mode = 3;       // bits 2..3: a BlockRangeSource; bits 0..1 belong to the optimiser
    bool includeLocked = false;
    int blockSlotsNum = 0; // selected slot block table, 0 none
    SlotBlockMasks slotBlocks{};
    CodeId imitationTarget = 0;   // event whose cells every placed event follows; 0 none
    bool imitateMultiple = false; // take the target from each event's name first
    ExamMode exam;
    std::uint32_t seed = 1;
};

// The settings with the range set to the whole calendar in use.
InitialSettings defaultInitialSettings(const ScheduleData &d);

// "Please check the time and block length limits!" when a start day, start bell or shortest
// block lies beyond its end; empty when the limits can be used.
std::string initialLimitsProblem(const InitialSettings &s);
// Repeats allowed for the range's days: 1..(end day - start day + 1).
int clampedRepeats(const InitialSettings &s);

// Lengths the placement works with for one week.
struct BlockLengths
{
    int minLen = 1;
    int maxLen = 3;
    int maxRepeats = 1;
};

// Updates the table from the current timetables of every event of eventList. A full table is
// left as it is. Sorted afterwards.
void learnPatterns(ScheduleData &d, PatternTable &patterns);
// A random entry for `periods` periods in a week, decoded into lengths clamped to the bells and
// days in use; false (and `out` untouched) when the table has none.
bool pickPattern(const ScheduleData &d, const PatternTable &patterns, int periods, Random &random,
                 BlockLengths &out);
// Adjusts the lengths for a week with `periods` allocated from a learned pattern or, without
// one, from a spread of the periods over the range's days. `source` is a BlockRangeSource.
void blockRangeByApplication(const ScheduleData &d, const PatternTable &patterns, int periods,
                             const TimeRange &range, int source, Random &random,
                             BlockLengths &lengths);
// The event named in brackets ("[X]", "(X)" or "{X}") in e's own name or, after it, in the names
// of its resources in collection order; `fallback` when none names an event.
CodeId imitationByName(const ScheduleData &d, CodeId e, CodeId fallback);

// Periods where two events share a cell of a timetabled resource, in weeks w1..w2 (a cell held
// by three events counts two).
int conflictsInWeeks(const ScheduleData &d, int w1, int w2);

// The step of the dialog's tools before event `position` of eventList is handled: `progress` at
// `position`, with a space and the event's code as its status. False when a stop was requested.
bool toolEventStep(Progress &progress, const ScheduleData &d, int position, CodeId event);

struct InitialResult
{
    bool refused = false;
    std::string message;              // the refusal, or why the run ended early
    std::vector<CodeId> changed;      // events that got periods, in eventList order
    int placed = 0;                   // periods placed, each week counted with its length
    bool stopped = false;             // the stop request ended the run
    bool storeFailed = false;         // the lecture store refused at least one event
    std::vector<CodeId> storeRefused; // events it refused, in eventList order; they kept theirs
    int conflictsBefore = 0;
    int conflictsAfter = 0; // verified after the run; conflictsBefore unless the data were damaged
};

// Places the unscheduled periods of the events marked with LinkMarks bit 0. Refused, with
// nothing changed, when the limits are not valid. The patterns (learned when the tool is chosen)
// are read with mode bits 2..3. The marks of all events are kept. Ends with a recount and the
// manual-room clean-up of the weeks in use.
// `progress` runs over the events of eventList: before event p is handled it is stepped to p
// with the status " " + the event's code, then polled; a stop request ends the run there, and
// what was placed before stays.
InitialResult runInitialSolution(ScheduleData &d, const InitialSettings &s,
                                 const PatternTable &patterns, Progress &progress);
// The same with nobody watching.
InitialResult runInitialSolution(ScheduleData &d, const InitialSettings &s,
                                 const PatternTable &patterns);

// What `quivra-cli schedule` reports: the initial solution with the default settings over the
// whole calendar for every event with periods left.
struct ScheduleSummary
{
    std::int64_t planned = 0;
    std::int64_t allocated = 0;
    std::int64_t scheduled = 0;
    std::int64_t left = 0; // allocated but not placed
    int placed = 0;        // placed by this run
    int changedEvents = 0;
    double seconds = 0;
    std::string refusal; // empty when the run took place
    std::string message; // a note on how the run ended, e.g. a full store
    // With completion: the periods it placed, the events whose placed periods it moved, and
    // one line per event it could not complete (see completionReport).
    int completed = 0;
    int moved = 0;
    std::string unplaced;
    int conflicts = 0; // conflicting periods in the calendar after the run
};
// Without `complete` only the initial solution runs; with it the completion follows and places
// what the initial solution left.
ScheduleSummary scheduleAll(ScheduleData &d, std::uint32_t seed, bool complete = false);

} // namespace quivra
