#pragma once

// The tools the Resources and the Events view share beyond editing codes: what a code is linked
// with (the link list), a small timetable of one week (the snapshot), the per-week periods of
// the weekly periods mode, Best matches and the search for events a resource could move to;
// and the Events view's lock and bulk commands on the current event.
//
// Every question goes through the Prompter; refreshing the views is the caller's business.
// Functions that only look (links, snapshot, weekly periods, best matches) take the data set
// const; the commands return whether they changed it.

#include "commands/codelistrow.h"
#include "engine/codetable.h"
#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string>
#include <vector>

namespace quivra {

// ----- the link list ---------------------------------------------------------------------------

// The lines of the link list: c itself first, then the codes linked with it (linkedCodes of
// codelistrow.h). Empty for an invalid code.
std::vector<CodeId> linkListLines(const ScheduleData &d, CodeId c);
// The hint of an event line in a resource's link list.
std::string linkLineHint(const ScheduleData &d, CodeId resource, CodeId event);

// What turning the link list on tells a user whose data set has no links yet.
enum class LinkGuidance {
    ShowLinks,  // there are links (or nothing to say): the list is shown
    StartNew,   // too few codes yet: the user was told, and a new code starts
    SwitchView, // the other kind is missing: the user agreed to go to the other list
    Declined,   // the user was asked and chose to stay
};
// The guidance for the list of `kind` (the Resources view lists resources).
LinkGuidance linkListGuidance(const ScheduleData &d, Prompter &p, CodeKind kind);

// How the resource change of one event may change its collection.
enum ResourceChangeSwitch : unsigned {
    ChangeMayAdd = 1,
    ChangeMayRemove = 2,
    ChangeAllCategories = 4,
};
// The resources that could take resource r's place in event e (or join it): not in its
// collection, free in every slot the event is scheduled in, of r's category unless
// `switches` has ChangeAllCategories; in resource list order, at most 2047. None when the event
// is full.
std::vector<CodeId> resourceChangeCandidates(const ScheduleData &d, CodeId e, CodeId r,
                                             unsigned switches);
// "Add, replace or remove a resource": replaces resource r of event e by a candidate, adds a
// candidate in r's place (r and those after it move down), or removes r, as the user chooses.
// Returns the chosen resource (r itself for a removal), 0 when nothing changed.
CodeId changeEventResource(ScheduleData &d, Prompter &p, CodeId e, CodeId r, unsigned switches);

// ----- the snapshot timetable ------------------------------------------------------------------

struct SnapshotTable
{
    int week = 0;
    int days = 0;  // columns, at most 7
    int bells = 0; // rows, at most 30
    // cells[(bell - 1) * days + day - 1]: the first two characters of the event's code, "/" for
    // a booking, empty when free.
    std::vector<std::string> texts;
    std::vector<CodeId> events; // the event in the cell, 0 for none or a booking
    int scheduled = 0;          // periods in the week
    std::string label;          // "<week> (<n> h)"

    const std::string &text(int day, int bell) const
    {
        return texts[static_cast<std::size_t>((bell - 1) * days + day - 1)];
    }
    CodeId event(int day, int bell) const
    {
        return events[static_cast<std::size_t>((bell - 1) * days + day - 1)];
    }
};
// One week of code c's timetable; the week is held within 1..weeks in use.
SnapshotTable snapshotTable(const ScheduleData &d, CodeId c, int week);
// The week after stepping `delta` from `week`, held within 1..weeks in use.
int stepSnapshotWeek(const ScheduleData &d, int week, int delta);

// ----- the weekly periods mode -----------------------------------------------------------------

struct WeeklyPeriodsSwitches
{
    bool multiplied = false; // each week's count times the week's length
    bool cumulative = false; // running sums from week 1
    bool scheduled = false;  // scheduled instead of allocated periods
};
// Whether the mode is offered: periods are allocated and more than one week is in use.
bool weeklyPeriodsAvailable(const ScheduleData &d);
// The periods of code c in weeks 1..weeks in use ([0] is week 1): an event's own, for a
// resource the sum over the events linked with it.
std::vector<int> weeklyPeriods(const ScheduleData &d, CodeId c, WeeklyPeriodsSwitches switches);
// The header of a week column: its label, and for a week longer than one its length ("2w").
std::string weeklyPeriodsHeader(const ScheduleData &d, int week);

// ----- Best matches ----------------------------------------------------------------------------

struct BestMatch
{
    CodeId code = 0;
    int plus = 0;  // linked with the candidate only
    int minus = 0; // linked with the reference only
    double similarity = 100.0;
};
// The codes of c's kind and category ordered by how alike their links are to c's: fewest
// differences first, among equal ones the later code first; at most 254, never c itself.
std::vector<BestMatch> bestMatches(const ScheduleData &d, CodeId c);
// Shows the list and returns the chosen code (0 when cancelled or when there is none).
CodeId chooseBestMatch(const ScheduleData &d, Prompter &p, CodeId c);

// ----- Replace events --------------------------------------------------------------------------

// The criteria of the search (bit values of the choice).
enum ReplaceCriterion : unsigned {
    ReplaceEqualPlanned = 1,
    ReplaceNoMoreGaps = 2,
    ReplaceEqualNames = 4,
    ReplaceSharedResource = 8,
};
struct ReplaceCandidate
{
    CodeId event = 0; // E2
    int gapsBefore = 0, gapsAfter = 0;
    int matches = 0;
    bool sameName = false;
    std::string line; // as the list shows it, without its number
};
// Gaps in resource r's timetables over all weeks: per week and day the free bells between the
// first and the last occupied one. `bookings` counts its bookings as occupied.
int resourceGaps(const ScheduleData &d, CodeId r, bool bookings);
// The events E2 resource r could move to from event `from` under `criteria`, computed without
// writing anything. `studied` counts the combinations looked at.
std::vector<ReplaceCandidate> replaceCandidates(const ScheduleData &d, CodeId r, CodeId from,
                                                unsigned criteria, bool bookings,
                                                int *studied = nullptr);
// The whole dialogue from resource `start`: the criteria, the go-ahead, then for every resource
// of its category and every event it is in, the list of candidates. True when a resource moved.
bool replaceCandidateSearch(ScheduleData &d, Prompter &p, Progress &progress, CodeId start,
                            bool bookings = false);

// ----- the Events view's lock and bulk commands ------------------------------------------------

// The question asked before a locked event is changed; true when it may go on (unlocked).
bool askToUnlock(ScheduleData &d, Prompter &p, CodeId e);
// Locks an unlocked event and unlocks a locked one. False for a code that is no event.
bool toggleEventLock(ScheduleData &d, CodeId e);
// Removes the event's timetable lectures and, with `allocations`, its weekly periods too.
// A locked event is first offered the unlock question. True when anything changed.
bool clearEventSchedule(ScheduleData &d, Prompter &p, CodeId e, bool allocations);
// Whether bulk scheduling may open for the event: it is unlocked (or the user unlocks it) and
// has a timetabled resource, else a warning. `changed` tells whether the unlock changed data.
bool bulkScheduleAllowed(ScheduleData &d, Prompter &p, CodeId e, bool *changed = nullptr);

} // namespace quivra
