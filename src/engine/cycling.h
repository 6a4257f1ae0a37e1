#pragma once

// Cycling timetables: a timetable of numbered cycle days rolled out over real weeks.
//
// The user builds the cycle days as the days of the first weeks: cycle day r sits in week
// (r - 1) / days + 1, day (r - 1) % days + 1, where `days` is the number of days in use. The
// roll-out copies those days, one day of every event's placements at a time, onto the days of c
// new weeks after everything that exists, in cycle order, skipping the days the user removed
// from the map (holidays). The target weeks never overlap existing lectures, and every copied
// period is also allocated in its week, so a later save keeps it.

#include "engine/result.h"
#include "engine/scheduledata.h"

#include <string>
#include <vector>

namespace quivra {

constexpr int MaxCycles = 31;
constexpr int DefaultCycles = 9;

struct CycleDay
{
    int week = 0;
    int day = 0;
    friend bool operator==(const CycleDay &, const CycleDay &) = default;
};

// The last week any lecture entry reaches (allocations and bookings included); 0 when none.
int lastLectureWeek(const ScheduleData &d);
// Largest cycle count: min(31, days in use x last week with lectures); 0 when nothing exists.
int maxCycles(const ScheduleData &d);
// Where cycle day r (1..c) is built.
CycleDay cycleSource(const ScheduleData &d, int r);
// Weeks that hold the c cycle days (c / days rounded up).
int cycleSourceWeeks(const ScheduleData &d, int c);
// First week the roll-out writes to: min(last week with lectures, week limit - c) + 1.
int firstTargetWeek(const ScheduleData &d, int c);
// The full map: every day in use of weeks g..g + c - 1, in order. Line j (from 0) receives
// cycle day j % c + 1; removing a line moves the later lines up one cycle day.
std::vector<CycleDay> cycleTargetMap(const ScheduleData &d, int c);
inline int cycleOfLine(int j, int c)
{
    return j % c + 1;
}
// "Week 12, day 3 = Cycle 5"
std::string cycleLineText(const CycleDay &target, int j, int c);

// Copies cycle day (j % c + 1) onto target line j for every line, in order. Refused, with
// nothing changed, when c is out of range, a line lies outside the week limit or the days in
// use, or a target week is not after the last week with lectures. Target weeks beyond the weeks
// in use are added and named "[New]". Returns the days copied.
Result<int> applyCycleMap(ScheduleData &d, int c, const std::vector<CycleDay> &lines);

// The questions of the command. Each may cancel; nothing is changed before the map is accepted.
class CyclingDialogue
{
public:
    virtual ~CyclingDialogue() = default;
    // Cycle count 1..maximum (default offered); 0 cancels.
    virtual int chooseCycles(int maximum, int proposed) = 0;
    // "The days 1 ... c of the timetable are stored in the first `weeks` weeks. Is this correct?"
    virtual bool confirmSources(int c, int weeks) = 0;
    // "Next they are copied and rearranged to weeks first ... last. Yes?"
    virtual bool confirmTargets(int first, int last) = 0;
    // The map of target days; the user may remove lines. False cancels.
    virtual bool editMap(std::vector<CycleDay> &lines, int c) = 0;
    virtual void inform(const std::string &text) = 0;
};

// The whole command: ask, check, copy. Returns the days copied (0 when cancelled) or the
// refusal, which has also been told through the dialogue.
Result<int> cyclingTimetables(ScheduleData &d, CyclingDialogue &dialogue);

} // namespace quivra
