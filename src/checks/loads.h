#pragma once

// Weekly loads of resources and the resource swaps that balance them.
//
// The load of resource R in week w is the sum, over the events whose collection holds R, of the
// event's periods of that week: allocated, scheduled or allocated but not scheduled, as the
// views' period kind says. Every figure of one search uses the same kind, the loads and the
// periods an event carries from one resource to another alike.
//
// The weekly load list holds every (resource, week) with a load, heaviest first (by load, then
// week, then CodeId, all descending), at most MaxLoadEntries of them. Entries are kept as plain
// fields, so code ids above 4095 and loads above 2047 order and read back as they are.
//
// A swap option lowers the larger weekly maximum of two resources: X leaves event E for Y
// (F == E), or X and Y exchange their events E and F. Applying one changes only the two
// collections; timetables, allocations and manual rooms stay as they are.

#include "engine/scheduledata.h"

#include <string>
#include <vector>

namespace quivra {

enum class PeriodKind { Allocated, Scheduled, Unscheduled };

constexpr int MaxLoadEntries = 2000;
constexpr int MaxSwapOptions = 1000;
constexpr int MaxSwapEvents = 240;     // events of X searched
constexpr int MaxSwapCandidates = 240; // candidates per event, and exchange pairs per event

// Periods per event and week, and the loads they give the resources, for weeks 1..lastWeek
// (the end week of what is scheduled).
class WeeklyLoads
{
public:
    WeeklyLoads(const ScheduleData &d, PeriodKind kind);

    int lastWeek() const { return m_lastWeek; }
    PeriodKind kind() const { return m_kind; }
    // Periods of event e in week w of the chosen kind; 0 outside the table.
    int periods(CodeId e, int w) const;
    // Load of resource r in week w; 0 outside the table.
    int load(CodeId r, int w) const;

private:
    int index(CodeId c, int w) const;

    PeriodKind m_kind;
    int m_codes = 0;
    int m_lastWeek = 0;
    std::vector<int> m_periods; // [code][week], events only
    std::vector<int> m_loads;   // [code][week], resources only
};

struct LoadEntry
{
    int load = 0;
    int week = 0;
    CodeId resource = 0;
    friend bool operator==(const LoadEntry &, const LoadEntry &) = default;
};
// True when a stands before b in the list: larger load, then later week, then larger CodeId.
bool heavierEntry(const LoadEntry &a, const LoadEntry &b);

struct WeeklyLoadList
{
    std::vector<LoadEntry> entries; // heaviest first
    int slotsPerWeek = 0;           // days x bells in use
    int overloaded = 0;             // entries with load > slotsPerWeek; they stand first
    int resources = 0;              // distinct resources listed
};

// The weekly load list of resource category `category` (0 = all) from week `firstWeek` to the
// end week of what is scheduled; resources without timetables are left out.
WeeklyLoadList buildWeeklyLoadList(const ScheduleData &d, int category, int firstWeek,
                                   PeriodKind kind = PeriodKind::Allocated);
WeeklyLoadList buildWeeklyLoadList(const ScheduleData &d, const WeeklyLoads &loads, int category,
                                   int firstWeek);

struct SwapOption
{
    int decrease = 0; // after - before, always < 0
    CodeId x = 0;
    CodeId e = 0;
    CodeId y = 0;
    CodeId f = 0; // == e: X is replaced by Y in E
    friend bool operator==(const SwapOption &, const SwapOption &) = default;
};

// The swap options of resource X from week `firstWeek` on: every replacement (for each event
// of X, in event order) before every exchange, at most MaxSwapOptions.
std::vector<SwapOption> findSwapOptions(const ScheduleData &d, CodeId x, int firstWeek,
                                        PeriodKind kind = PeriodKind::Allocated);
// The best option: the smallest decrease, the first of equal ones; -1 when there is none.
int bestSwapOption(const std::vector<SwapOption> &options);

// Applies a swap when its conditions still hold: an exchange needs X in E, Y in F, Y not in E
// and X not in F; a replacement needs X in E and Y not in E. Anything else changes nothing and
// gives false (an exchange never turns into a replacement). Totals of X and Y are recomputed.
bool applySwap(ScheduleData &d, const SwapOption &option);

// ---- Texts of the loads and swaps dialogue ------------------------------------------------

// " (Teachers)" for category 1..7, empty for 0.
std::string loadCategorySuffix(const ScheduleData &d, int category);
// "(12 h, week) T1 (Teachers)" with "     [31 > 5x6 = 30] !" for an overloaded entry.
std::string loadLine(const ScheduleData &d, const LoadEntry &entry, int slotsPerWeek);
// The title above the list.
std::string loadListTitle(const ScheduleData &d, const WeeklyLoadList &list);
// The information when the list is empty.
std::string noLoadsText(const ScheduleData &d, int category);
// The information when resource X has no swap option.
std::string noSwapText(const ScheduleData &d, CodeId x);
// "Do you want to swap ... (n options found)?" before the options are shown.
std::string swapOfferQuestion(const ScheduleData &d, CodeId x, int options);
// The title above the options.
std::string swapOptionsTitle(const std::vector<SwapOption> &options);
// "Swap X (E) with Y (F)? (-2)".
std::string swapOptionLine(const ScheduleData &d, const SwapOption &option);
// The question before a chosen swap is applied.
std::string swapQuestion(const ScheduleData &d, const SwapOption &option);

} // namespace quivra
