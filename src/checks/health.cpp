#include "checks/health.h"

#include "checks/textformat.h"

#include "checks/statistics.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace quivra {

namespace {

constexpr const char *Br = "\r\n";
constexpr const char *GoOn = "Select [Yes] to check for other items or [No] to exit.";
constexpr int ManyComments = 5000;
constexpr int ManyManualRooms = 8191;

using checks::format;

int eventCount(const ScheduleData &d)
{
    return std::min<int>(d.eventList[0], MaxCodes);
}
int resourceCount(const ScheduleData &d)
{
    return std::min<int>(d.resourceList[0], MaxCodes);
}
CodeId eventAt(const ScheduleData &d, int i)
{
    return d.eventList[static_cast<std::size_t>(i)];
}
CodeId resourceAt(const ScheduleData &d, int i)
{
    return d.resourceList[static_cast<std::size_t>(i)];
}
int slotsPerWeek(const ScheduleData &d)
{
    return usedDays(d) * usedBells(d);
}
int lastScheduledWeek(const ScheduleData &d)
{
    return std::clamp<int>(d.scheduleExtent.endWeek, 0, MaxWeeks);
}

// " (on week ...)" when more than one week is in use.
std::string onWeek(const ScheduleData &d, int w)
{
    return usedWeeks(d) > 1 ? " (on week " + formatWeek(d, w, 3) + ")" : std::string();
}

std::string bareCategory(const ScheduleData &d, bool events, int category)
{
    std::string list = events ? d.eventCategories.str() : d.resourceCategories.str();
    std::string item;
    for (int k = 1; k <= category; ++k) {
        const std::size_t end = list.find('$');
        item = list.substr(0, end);
        list = end == std::string::npos ? std::string() : list.substr(end + 1);
    }
    return item.size() >= 2 && item[1] == ':' ? item.substr(2) : item;
}

// Number of member entries of every event's collection, and whether each resource is used.
struct Usage
{
    std::vector<int> members;   // [code]
    std::vector<bool> resource; // [code] used by some event
};
Usage usage(const ScheduleData &d)
{
    Usage u;
    u.members.assign(static_cast<std::size_t>(d.codeCount) + 1, 0);
    u.resource.assign(static_cast<std::size_t>(d.codeCount) + 1, false);
    for (int i = 1; i <= eventCount(d); ++i) {
        const CodeId e = eventAt(d, i);
        if (!validCode(d, e))
            continue;
        const MemberList m = collectionOf(d, e);
        u.members[e] = m[0];
        for (int k = 1; k <= std::min<int>(m[0], MaxMembers); ++k)
            if (validCode(d, m[static_cast<std::size_t>(k)]))
                u.resource[m[static_cast<std::size_t>(k)]] = true;
    }
    return u;
}

HealthFinding finding(HealthStage stage, std::string text, int count, int helpTopic = 0)
{
    return {stage, std::move(text), count, helpTopic};
}

std::optional<HealthFinding> conflictSources(const ScheduleData &d)
{
    static const char *const Names[] = {
        "",
        "Timetables view: \"Edit|Check available rooms\"",
        "\"Options|Timetables|Check for conflicts\"",
        "\"Tools|Modify collections\"",
    };
    std::string text =
        std::string("Your Quivra file contains conflicts which will be removed if you select "
                    "[Yes]:") +
        Br + Br;
    int total = 0;
    for (int k = 1; k <= 3; ++k) {
        const int n = conflictSourceCount(d, k);
        if (n < 1)
            continue;
        total += n;
        text += " - " + std::to_string(n) + " conflict(s) from " + Names[k] + Br;
    }
    if (total == 0)
        return std::nullopt;
    return finding(HealthStage::ConflictSources, text, total);
}

std::optional<HealthFinding> conflictsNow(ScheduleData &d)
{
    const int conflicts = removeAllConflicts(d, 1, false);
    const int overlaps = manualRoomOverlaps(d, 1, lastScheduledWeek(d), false);
    if (conflicts + overlaps < 1)
        return std::nullopt;
    return finding(HealthStage::Conflicts,
                   format("Do you want to remove %d conflicts and %d manual room overlaps now?",
                          conflicts, overlaps),
                   conflicts + overlaps, HealthConflictsHelp);
}

std::optional<HealthFinding> eventWeekExcess(const ScheduleData &d, const CapacityFigures &c)
{
    if (c.excessPeriods < 1)
        return std::nullopt;
    std::string text =
        format("Critical errors: %d periods in %d events and weeks exceed the "
               "maximum number %d (=%dx%d) of timetable slots.",
               c.excessPeriods, c.excessEventWeeks, c.slotsPerWeek, usedBells(d), usedDays(d));
    text += std::string(Br) + Br +
            "(Select \"Edit|Set ALLOCATED = SCHEDULED ...\" in Weeks view to fix it)." + Br + Br +
            GoOn;
    return finding(HealthStage::EventWeekExcess, text, c.excessPeriods);
}

std::optional<HealthFinding> minimumRequirement(const ScheduleData &d, const CapacityFigures &c)
{
    const MinimumRequirement &m = c.minimum;
    if (m.category == 0 || c.slotsPerWeek < 1)
        return std::nullopt;
    const int n = m.resources;
    const int need = (m.load - 1) / c.slotsPerWeek + 1 - n;
    const std::string name = bareCategory(d, false, m.category);
    const std::string week = onWeek(d, m.week);
    std::string text = format("Critical error:%s%sTo be able to schedule all your %d events as "
                              "planned, you need to add %d more resource(s)%s",
                              Br, Br, eventCount(d), need, Br);
    text += format("to the category \"%s\" (consisting now of %d items), and use also them in "
                   "the current events.%s%s",
                   name.c_str(), n, Br, Br);
    text += format("The minimum requirement for the category \"%s\" is %d resources and %d "
                   "periods%s.",
                   name.c_str(), n + need, m.load, week.c_str());
    text += format("%s%sCurrently there are %dx%dx%d = %d available periods%s.", Br, Br, n,
                   usedBells(d), usedDays(d), n * c.slotsPerWeek, week.c_str());
    text += std::string(Br) + Br + GoOn;
    return finding(HealthStage::MinimumRequirement, text, need);
}

std::optional<HealthFinding> weeklyOverloads(const ScheduleData &d, const CapacityFigures &c)
{
    const WeeklyLoadList &list = c.overloads;
    if (list.overloaded < 1)
        return std::nullopt;
    std::string text = format("Critical errors:%s%sFor the following resource(s) and week(s) you "
                              "have allocated more periods%s",
                              Br, Br, Br);
    text += format("than it is possible to schedule (in %dx%d=%d slots):", usedBells(d),
                   usedDays(d), c.slotsPerWeek) +
            Br;
    const int shown = std::min(9, list.overloaded);
    for (int i = 0; i < shown; ++i) {
        const LoadEntry &entry = list.entries[static_cast<std::size_t>(i)];
        const std::string week =
            usedWeeks(d) > 1 ? " - (" + formatWeek(d, entry.week, 3) + ")" : std::string();
        text += format("%d. (%dh>%dh) %s %s", i + 1, entry.load, c.slotsPerWeek,
                       formatCode(d, entry.resource, ShowCodeAndName | ShowCategoryName).c_str(),
                       week.c_str()) +
                Br;
    }
    text += std::string(Br) + "Balance the use of the resources above in Events or Resources views";
    text += std::string(",") + Br + "- or use the selection \"Options|Maximum weekly periods\"";
    text += std::string(",") + Br + "- or increase the number of available slots in " +
            "\"Options|Limits\"";
    if (lastScheduledWeek(d) < 2)
        text += ".";
    else
        text += std::string(",") + Br + "- or change the allocations of periods in Weeks view.";
    text += std::string(Br) + Br + GoOn;
    return finding(HealthStage::WeeklyOverloads, text, list.overloaded);
}

std::optional<HealthFinding> numbered(HealthStage stage, const std::string &head,
                                      const std::vector<std::string> &items)
{
    if (items.empty())
        return std::nullopt;
    std::string text = head;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += format("%d. %s%s", static_cast<int>(i + 1), items[i].c_str(), Br);
    text += std::string(Br) + GoOn;
    return finding(stage, text, static_cast<int>(items.size()));
}

std::optional<HealthFinding> missingElements(const ScheduleData &d)
{
    std::vector<std::string> items;
    const int resources = resourceCount(d), events = eventCount(d);
    if (resources == 0)
        items.emplace_back("No resources have been created yet. Go to Resources view and press "
                           "the [Insert] key to create them.");
    else if (d.counters.timetabledResources == 0)
        items.push_back(format("None of the %d resources belong to a category where \"Check for "
                               "conflicts\" is checked. Go to selection \"Options|Timetables\".",
                               resources));
    if (events == 0)
        items.emplace_back("No events have been created yet. Go to Events view and press the "
                           "[Insert] key to create them.");
    if (resources > 0 && events > 0 && d.collectionCount == 0)
        items.push_back(format("None of the %d events have resources attached. Go to Events view "
                               "and press the [Enter] key.",
                               events));
    return numbered(HealthStage::MissingElements,
                    std::string("Missing elements:") + Br + Br +
                        "Some of the following items must exist before you can proceed:" + Br + Br,
                    items);
}

std::optional<HealthFinding> hintsAndTips(const ScheduleData &d)
{
    const Usage u = usage(d);
    const int events = eventCount(d), resources = resourceCount(d);
    int bare = 0, unused = 0;
    for (int i = 1; i <= events; ++i)
        bare += u.members[eventAt(d, i)] == 0 ? 1 : 0;
    for (int i = 1; i <= resources; ++i)
        unused += u.resource[resourceAt(d, i)] ? 0 : 1;
    const StoreCounters &n = d.counters;
    const bool collections = d.collectionCount > 0;
    const bool lectures = d.lectureCount > 0;

    std::vector<std::string> items;
    if (bare >= 1)
        items.push_back(format("%d (out of %d) events have no resources and they cannot be "
                               "scheduled.",
                               bare, events));
    if (!lectures && collections && usedWeeks(d) > 1)
        items.push_back(format("You have not yet allocated any periods to the %d weeks you "
                               "defined. Go to Weeks view and fill the grid.",
                               usedWeeks(d)));
    if (n.timetableLectures == 0 && lectures && collections)
        items.emplace_back("You have not scheduled any periods. Go to Timetables view and press "
                           "the [F3] key to find them.");
    if (n.plannedTotal - n.allocatedTotal >= 1 && n.allocatedTotal >= 1)
        items.push_back(format("%d (out of %d) periods are not yet allocated to weeks. Go to "
                               "Weeks view and press the [F3] key to find them.",
                               n.plannedTotal - n.allocatedTotal, n.plannedTotal));
    if (n.allocatedTotal - n.scheduledTotal >= 1 && n.scheduledTotal >= 1)
        items.push_back(format("%d (out of %d) periods are not yet scheduled. Go to Timetables "
                               "view and press the [F3] key to find them.",
                               n.allocatedTotal - n.scheduledTotal, n.allocatedTotal));
    if (unused >= 1)
        items.push_back(format("%d (out of the %d) resources have not yet been attached to any "
                               "events.",
                               unused, resources));
    const int comments = static_cast<int>(d.comments.size());
    if (comments > ManyComments)
        items.push_back(format("You have added %d comments. Consider clearing old comments in "
                               "selection \"Tools|Clear|8 Comments\" if they slow down this "
                               "application.",
                               comments));
    const int manual = manualTripleCount(d);
    if (manual >= ManyManualRooms)
        items.push_back(
            format("You have used %d slots (out of the maximum capacity of %d slots) in "
                   "\"Tools|Select rooms manually\".%s%s",
                   manual, ManualRoomCapacity, Br, Br) +
            format("Go to \"Tools|Select rooms manually\" and use the following tools to filter "
                   "your data:%sa) select \"First included week\" and \"Last included week\","
                   "%sb) click the \"Capacity\" button,%sc) click the \"Include event "
                   "categories\" button.",
                   Br, Br, Br));
    int specialEvents = 0, specialResources = 0;
    for (const char ch : {' ', ';', ','}) {
        for (int c = 1; c <= std::min(d.codeCount, MaxCodes); ++c) {
            if (d.codes[c].code.view().find(ch) == std::string_view::npos)
                continue;
            (d.codes[c].isEvent() ? specialEvents : specialResources) += 1;
        }
    }
    if (specialEvents + specialResources >= 1)
        items.push_back(format("You have used the special characters (%s) in the codes of %d "
                               "event(s) and %d resource(s), which may cause unpredicted results "
                               "when exporting or importing.",
                               "\" \",  \";\",  \",\"", specialEvents, specialResources));
    return numbered(HealthStage::HintsAndTips,
                    std::string("Miscellaneous hints and tips:") + Br + Br, items);
}

} // namespace

// ---- Counting identical events ------------------------------------------------------------

namespace {

struct Identical
{
    int lists = 0; // L: events with a later event holding the same resources
    int names = 0; // K: of those, the first such later event also has the same name
};

// Resources are compared as sets: two events need the same resources whatever order their
// collections list them in. Events without resources are left to the hints.
Identical identicalEvents(const ScheduleData &d)
{
    Identical r;
    std::map<std::vector<CodeId>, CodeId> later; // member set -> nearest later event
    for (int i = eventCount(d); i >= 1; --i) {
        const CodeId e = eventAt(d, i);
        if (!validCode(d, e))
            continue;
        const MemberList m = collectionOf(d, e);
        std::vector<CodeId> key(m.begin() + 1, m.begin() + 1 + std::min<int>(m[0], MaxMembers));
        if (key.empty())
            continue;
        std::sort(key.begin(), key.end());
        key.erase(std::unique(key.begin(), key.end()), key.end());
        auto [it, fresh] = later.try_emplace(std::move(key), e);
        if (!fresh) {
            ++r.lists;
            if (formatCode(d, it->second, ShowName) == formatCode(d, e, ShowName))
                ++r.names;
            it->second = e;
        }
    }
    return r;
}

std::optional<HealthFinding> identicalFinding(const ScheduleData &d)
{
    const Identical n = identicalEvents(d);
    if (n.lists < 1)
        return std::nullopt;
    std::string text = format("%d out of %d events have identical lists of resources, %d out of "
                              "%d have identical names.%s%s",
                              n.lists, eventCount(d), n.names, n.lists, Br, Br);
    text += format("You can combine the selected events in Events view with the \"Edit|Combine "
                   "events|With identical lists of resources\" selection.%s",
                   Br);
    text += std::string(Br) + GoOn;
    return finding(HealthStage::IdenticalEvents, text, n.lists);
}

std::optional<HealthFinding> unusedFinding(const ScheduleData &d)
{
    const UnusedCodes unused = findUnusedCodes(d);
    if (unused.size() < 1)
        return std::nullopt;
    const int e = static_cast<int>(unused.events.size());
    const int r = static_cast<int>(unused.resources.size());
    std::string text;
    if (e > 0)
        text += format("%d (out of %d) events do not have any resources%s", e, eventCount(d), Br);
    if (r > 0)
        text += format("%d (out of %d) resources are never used.%s", r, resourceCount(d), Br);
    text += std::string(Br) + "Do you want to remove them?";
    return finding(HealthStage::UnusedCodes, text, e + r);
}

} // namespace

std::string_view stageKey(HealthStage stage)
{
    switch (stage) {
    case HealthStage::ConflictSources:
        return "conflict-sources";
    case HealthStage::Conflicts:
        return "conflicts";
    case HealthStage::EventWeekExcess:
        return "event-week-excess";
    case HealthStage::MinimumRequirement:
        return "minimum-requirement";
    case HealthStage::WeeklyOverloads:
        return "weekly-overloads";
    case HealthStage::MissingElements:
        return "missing-elements";
    case HealthStage::HintsAndTips:
        return "hints-and-tips";
    case HealthStage::IdenticalEvents:
        return "identical-events";
    case HealthStage::UnusedCodes:
        return "unused-codes";
    }
    return {};
}

bool repairable(HealthStage stage)
{
    return stage == HealthStage::ConflictSources || stage == HealthStage::Conflicts ||
           stage == HealthStage::UnusedCodes;
}

std::string findingText(const HealthFinding &f)
{
    std::string text = f.text;
    if (const std::size_t at = text.rfind(GoOn); at != std::string::npos)
        text.erase(at);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

CapacityFigures capacityFigures(const ScheduleData &d)
{
    CapacityFigures c;
    c.slotsPerWeek = slotsPerWeek(d);
    const LectureIndex index(d);
    WeekAllocation wa;
    for (int i = 1; i <= eventCount(d); ++i) {
        const CodeId e = eventAt(d, i);
        if (!validCode(d, e))
            continue;
        loadWeekAllocation(d, e, wa, index);
        for (int w = std::max(wa.firstWeek, 1); w <= std::min(wa.lastWeek, MaxWeeks); ++w) {
            const int excess = wa.allocated[static_cast<std::size_t>(w)] - c.slotsPerWeek;
            if (excess > 0) {
                c.excessPeriods += excess;
                ++c.excessEventWeeks;
            }
        }
    }
    const WeeklyLoads loads(d, PeriodKind::Allocated);
    c.overloads = buildWeeklyLoadList(d, loads, 0, 1);

    // Category loads per week against what the category's timetabled resources can take.
    std::array<int, MaxCategories + 1> members{};
    std::vector<long long> categoryLoad(
        static_cast<std::size_t>((MaxCategories + 1) * (loads.lastWeek() + 1)), 0);
    for (int i = 1; i <= resourceCount(d); ++i) {
        const CodeId r = resourceAt(d, i);
        if (!validCode(d, r) || (d.codes[r].flags & NoTimetableBit))
            continue;
        const int k = categoryOf(d, r);
        if (k < 1 || k > MaxCategories)
            continue;
        ++members[static_cast<std::size_t>(k)];
        for (int w = 1; w <= loads.lastWeek(); ++w)
            categoryLoad[static_cast<std::size_t>(k * (loads.lastWeek() + 1) + w)] +=
                loads.load(r, w);
    }
    for (int k = 1; k <= MaxCategories; ++k) {
        const long long capacity =
            static_cast<long long>(members[static_cast<std::size_t>(k)]) * c.slotsPerWeek;
        for (int w = 1; w <= loads.lastWeek(); ++w) {
            const long long load =
                categoryLoad[static_cast<std::size_t>(k * (loads.lastWeek() + 1) + w)];
            if (load > capacity)
                c.minimum = {k, w, static_cast<int>(std::min<long long>(load, 0x7fffffff)),
                             members[static_cast<std::size_t>(k)]};
        }
    }
    return c;
}

UnusedCodes findUnusedCodes(const ScheduleData &d)
{
    const Usage u = usage(d);
    UnusedCodes unused;
    for (int c = 1; c <= std::min(d.codeCount, MaxCodes); ++c) {
        if (d.codes[c].isEvent()) {
            if (u.members[static_cast<std::size_t>(c)] == 0)
                unused.events.push_back(static_cast<CodeId>(c));
        } else if (!u.resource[static_cast<std::size_t>(c)]) {
            unused.resources.push_back(static_cast<CodeId>(c));
        }
    }
    return unused;
}

UnusedCodes removeUnusedCodes(ScheduleData &d)
{
    rebuildLists(d);
    const UnusedCodes unused = findUnusedCodes(d);
    if (unused.size() == 0)
        return unused;
    // Deleting an unused code leaves every other code as used as it was, so the set found once
    // is the set a search after each deletion finds: one batch deletes it.
    std::vector<CodeId> codes = unused.events;
    codes.insert(codes.end(), unused.resources.begin(), unused.resources.end());
    deleteCodes(d, codes);
    rebuildLists(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    return unused;
}

void prepareHealthCheck(ScheduleData &d)
{
    const bool modified = d.modified;
    rebuildLists(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    // Derived fields only: the data say what they said.
    d.modified = modified;
}

std::optional<HealthFinding> stageFinding(ScheduleData &d, HealthStage stage)
{
    switch (stage) {
    case HealthStage::ConflictSources:
        return conflictSources(d);
    case HealthStage::Conflicts:
        return conflictsNow(d);
    case HealthStage::EventWeekExcess:
        return eventWeekExcess(d, capacityFigures(d));
    case HealthStage::MinimumRequirement:
        return minimumRequirement(d, capacityFigures(d));
    case HealthStage::WeeklyOverloads:
        return weeklyOverloads(d, capacityFigures(d));
    case HealthStage::MissingElements:
        return missingElements(d);
    case HealthStage::HintsAndTips:
        return hintsAndTips(d);
    case HealthStage::IdenticalEvents:
        return identicalFinding(d);
    case HealthStage::UnusedCodes:
        return unusedFinding(d);
    }
    return std::nullopt;
}

namespace {

constexpr HealthStage Stages[] = {
    HealthStage::ConflictSources,    HealthStage::Conflicts,       HealthStage::EventWeekExcess,
    HealthStage::MinimumRequirement, HealthStage::WeeklyOverloads, HealthStage::MissingElements,
    HealthStage::HintsAndTips,       HealthStage::IdenticalEvents, HealthStage::UnusedCodes,
};

} // namespace

std::vector<HealthFinding> healthFindings(ScheduleData &d)
{
    prepareHealthCheck(d);
    std::vector<HealthFinding> found;
    const CapacityFigures capacity = capacityFigures(d);
    for (const HealthStage stage : Stages) {
        std::optional<HealthFinding> f;
        switch (stage) {
        case HealthStage::EventWeekExcess:
            f = eventWeekExcess(d, capacity);
            break;
        case HealthStage::MinimumRequirement:
            f = minimumRequirement(d, capacity);
            break;
        case HealthStage::WeeklyOverloads:
            f = weeklyOverloads(d, capacity);
            break;
        default:
            f = stageFinding(d, stage);
        }
        if (f)
            found.push_back(std::move(*f));
    }
    return found;
}

HealthRepairs repairStage(ScheduleData &d, HealthStage stage)
{
    HealthRepairs r;
    switch (stage) {
    case HealthStage::ConflictSources:
        r.conflictsRemoved = removeAllConflicts(d, 1, true);
        resetConflictSources(d);
        r.countersReset = true;
        break;
    case HealthStage::Conflicts:
        r.conflictsRemoved = removeAllConflicts(d, 1, true);
        r.overlapsRemoved = manualRoomOverlaps(d, 1, lastScheduledWeek(d), true);
        break;
    case HealthStage::UnusedCodes: {
        const UnusedCodes removed = removeUnusedCodes(d);
        r.eventsRemoved = static_cast<int>(removed.events.size());
        r.resourcesRemoved = static_cast<int>(removed.resources.size());
        break;
    }
    default:
        return r;
    }
    prepareHealthCheck(d);
    return r;
}

HealthRepairs repairAll(ScheduleData &d)
{
    HealthRepairs all;
    for (const HealthStage stage : Stages) {
        if (!repairable(stage) || !stageFinding(d, stage))
            continue;
        const HealthRepairs r = repairStage(d, stage);
        all.countersReset = all.countersReset || r.countersReset;
        all.conflictsRemoved += r.conflictsRemoved;
        all.overlapsRemoved += r.overlapsRemoved;
        all.eventsRemoved += r.eventsRemoved;
        all.resourcesRemoved += r.resourcesRemoved;
    }
    return all;
}

HealthOutcome runHealthCheck(ScheduleData &d, HealthDialogue &dialogue)
{
    prepareHealthCheck(d);
    for (const HealthStage stage : Stages) {
        const std::optional<HealthFinding> f = stageFinding(d, stage);
        if (!f)
            continue;
        const bool yes = dialogue.ask(*f);
        if (stage == HealthStage::ConflictSources || stage == HealthStage::Conflicts) {
            if (yes)
                repairStage(d, stage);
            continue;
        }
        if (stage == HealthStage::UnusedCodes) {
            if (yes && dialogue.confirm(format("to remove %d resources and events - this is not "
                                               "mandatory",
                                               f->count))) {
                const HealthRepairs r = repairStage(d, stage);
                dialogue.inform(format("%d events and %d resources removed.", r.eventsRemoved,
                                       r.resourcesRemoved),
                                HealthRemovedHelp);
            }
            continue;
        }
        if (!yes)
            return HealthOutcome::Ended;
    }
    dialogue.inform(summaryText(d, ""), SummaryHelp);
    setMarks(d, 1, d.codeCount, 1);
    return HealthOutcome::Completed;
}

} // namespace quivra
