#pragma once

// Selection optimisation: collections changed so that students sit in events of the subjects
// they chose, and students spread evenly over those events. Timetables and allocations are never
// changed, only collections.
//
// Three methods:
// - addFromMatrix: students added to events from a student/subject matrix (rows of cells that
//   name students and subjects), the events with the fewest resources first; a student who
//   sits in an event of the subject already is left where it is;
// - swapStudents: one student moved per cycle from one event to another, to reduce that
//   student's gaps or the spread of a measure over the students;
// - balanceStudents: students moved from the fullest events to the emptiest ones.
//
// A moved student stays within its subjects: the event it leaves and the event it joins have the
// same resources of the subjects category. A student never gets more periods in a week than the
// week has cells. Every run keeps the data set as it was before, so rejecting the run restores
// the collections exactly, in their order.

#include "engine/progress.h"
#include "engine/scheduledata.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

constexpr int MaxSelectionPairs = 8191;
constexpr int MaxSelectionChanges = 32000;

struct SelectionOptions
{
    int studentsCategory = 5;
    int subjectsCategory = 4;
    bool changeLocked = true; // locked events may be changed
    bool bookings = false;    // bookings count as occupied cells in gap measures
    std::uint32_t seed = 1;   // the start of each search of swapStudents
};

// A subject and a student of one matrix row; `options` is the number of events of the subject
// (at most 255), 0 once the pair is used.
struct SelectionPair
{
    CodeId subject = 0;
    CodeId student = 0;
    int options = 0;
    friend bool operator==(const SelectionPair &, const SelectionPair &) = default;
};

// The pairs of a matrix text: rows end at line breaks, cells are separated by tabs. A cell counts
// when it names a resource of the students or the subjects category not yet named in its row.
// Each pair's options are counted.
std::vector<SelectionPair> readSelectionMatrix(const ScheduleData &d, std::string_view text,
                                               int studentsCategory, int subjectsCategory);

enum class SelectionEventFilter : int { Unscheduled = 1, Scheduled = 2, All = 3 };
enum class SwapCriteria : int { SameSubject = 1, SameScheduled = 2, Both = 3, Neither = 4 };
enum class SwapGoal : int { Gaps = 1, Planned = 2, Allocated = 3, Links = 4 };

// A student added to `to` (from 0), or moved from `from` to `to`.
struct SelectionChange
{
    CodeId student = 0;
    CodeId from = 0;
    CodeId to = 0;
};

struct SelectionRun
{
    std::vector<SelectionChange> changes;
    int options = 0;  // moves considered
    int attempts = 0; // weeks tested by addFromMatrix
    bool stopped = false;
    // addFromMatrix
    int pairs = 0;
    int entriesBefore = 0; // collection entries of all events
    int entriesAfter = 0;
    std::vector<SelectionPair> notUsed;
    // balanceStudents: the smallest and largest number of students in an event
    int smallestBefore = 0, largestBefore = 0;
    int smallestAfter = 0, largestAfter = 0;
};

// The pairs with the fewest options first (the order addFromMatrix takes them in).
std::vector<SelectionPair> sortedPairs(std::vector<SelectionPair> pairs);

// Each method recounts afterwards and returns what it changed; a stop request ends it after the
// item in hand, keeping what was done.

SelectionRun addFromMatrix(ScheduleData &d, std::vector<SelectionPair> pairs,
                           SelectionEventFilter filter, const SelectionOptions &options,
                           Progress &progress);
SelectionRun swapStudents(ScheduleData &d, SwapCriteria criteria, SwapGoal goal,
                          const SelectionOptions &options, Progress &progress);
SelectionRun balanceStudents(ScheduleData &d, const SelectionOptions &options, Progress &progress);

// The data set as it was before a run; restore() puts it back exactly.
class SelectionSnapshot
{
public:
    explicit SelectionSnapshot(const ScheduleData &d);
    void restore(ScheduleData &d) const;

private:
    std::unique_ptr<ScheduleData> m_data;
};

// "E: T" for an addition, "T: E -> F" for a move.
std::string selectionChangeLine(const ScheduleData &d, const SelectionChange &change);

// Gaps of every resource category (index 1..7) over weeks 1 to the end of what is scheduled;
// the rooms category counts none.
std::vector<int> categoryGaps(const ScheduleData &d, bool bookings);

// The resources in all events' collections, counted per event.
int collectionEntries(const ScheduleData &d);

} // namespace quivra
