#pragma once

// The health check: a fixed sequence of stages over the open data set, each of which finds
// something or nothing, and the repairs some of them offer.
//
// Stages, in order: conflicts left behind by earlier commands (the conflict-source counters),
// conflicts and manual-room overlaps now, periods beyond the slots of a week, too few resources
// in a category, overloaded resource-weeks, missing basic elements, hints and tips, events with
// identical resources, and codes nobody uses. Only three change anything, each behind its own
// question: the two conflict stages remove conflicts (and the counters, or the manual-room
// overlaps) and the last removes the unused codes.
//
// Every figure is computed from the data as they stand when the stage runs; loads always count
// allocated periods, whatever the views show. The dialogue (HealthDialogue) is answered by the
// desktop, by a script in the tests, or not at all by the command line, which lists the
// findings.

#include "checks/loads.h"
#include "engine/scheduledata.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

enum class HealthStage {
    ConflictSources,
    Conflicts,
    EventWeekExcess,
    MinimumRequirement,
    WeeklyOverloads,
    MissingElements,
    HintsAndTips,
    IdenticalEvents,
    UnusedCodes,
};

// "conflict-sources", "conflicts", ...: the stage's stable name in the command line's output.
std::string_view stageKey(HealthStage stage);
// True for the stages whose finding a repair removes.
bool repairable(HealthStage stage);

struct HealthFinding
{
    HealthStage stage = HealthStage::ConflictSources;
    std::string text; // the message as the dialogue shows it ("\r\n" line breaks)
    int count = 0;    // what the stage counted: conflicts, periods, resources, items, codes
    int helpTopic = 0;
};
// The finding's text without the closing "Select [Yes] ..." line, with "\n" line breaks.
std::string findingText(const HealthFinding &finding);

// The capacity figures of one check.
struct MinimumRequirement
{
    int category = 0; // 0: no category lacks resources
    int week = 0;
    int load = 0;      // periods of the category's resources in that week
    int resources = 0; // timetabled resources of the category
};
struct CapacityFigures
{
    int slotsPerWeek = 0;
    int excessPeriods = 0;    // periods beyond the slots of their week, over all events
    int excessEventWeeks = 0; // event-weeks with such periods
    WeeklyLoadList overloads; // every category, from week 1
    MinimumRequirement minimum;
};
CapacityFigures capacityFigures(const ScheduleData &d);

// Events without resources and resources no event uses, read from the collections themselves
// (never from stale totals), each in table order.
struct UnusedCodes
{
    std::vector<CodeId> events;
    std::vector<CodeId> resources;
    int size() const { return static_cast<int>(events.size() + resources.size()); }
};
UnusedCodes findUnusedCodes(const ScheduleData &d);
// Deletes the unused codes found now, in one batch; returns them as they were found. The
// same codes go as when each were deleted in turn and the table searched again after each.
UnusedCodes removeUnusedCodes(ScheduleData &d);

// Brings every derived field and total up to date (the check's preparation).
void prepareHealthCheck(ScheduleData &d);

// One stage's finding, or nothing. The conflict stage only counts; none changes the data set.
std::optional<HealthFinding> stageFinding(ScheduleData &d, HealthStage stage);
// Every stage's finding, in stage order, after the preparation.
std::vector<HealthFinding> healthFindings(ScheduleData &d);

struct HealthRepairs
{
    bool countersReset = false;
    int conflictsRemoved = 0;
    int overlapsRemoved = 0;
    int eventsRemoved = 0;
    int resourcesRemoved = 0;
};
// The repair of a repairable stage (nothing for the others), as the check makes it on Yes.
HealthRepairs repairStage(ScheduleData &d, HealthStage stage);
// Every repair in stage order: afterwards no repairable stage finds anything.
HealthRepairs repairAll(ScheduleData &d);

// What the check asks and tells.
class HealthDialogue
{
public:
    virtual ~HealthDialogue() = default;
    // The stage's message as a Yes/No question. For the conflict stages Yes repairs and No
    // leaves the conflicts; for the unused codes Yes goes on to the confirmation; for every
    // other stage Yes goes on to the next stage and No ends the check.
    virtual bool ask(const HealthFinding &finding) = 0;
    // "Are you sure " + middle + "?".
    virtual bool confirm(const std::string &middle) = 0;
    // A closing message (what was removed, the summary).
    virtual void inform(const std::string &text, int helpTopic) = 0;
};

enum class HealthOutcome { Completed, Ended };
// The whole check through the dialogue. Ended when the user answered No to a stage.
HealthOutcome runHealthCheck(ScheduleData &d, HealthDialogue &dialogue);

constexpr int HealthConflictsHelp = 40100;
constexpr int HealthRemovedHelp = 51100;
constexpr int SummaryHelp = 51050;

} // namespace quivra
