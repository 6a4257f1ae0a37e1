#include "commands/eventtools.h"

#include "commands/codelistrow.h"
#include "commands/collectionlists.h"
#include "engine/calendar.h"
#include "engine/clearing.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/gaps.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "engine/placement.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace quivra {
namespace {

std::string codeText(const ScheduleData &d, CodeId c)
{
    return std::string(d.codes[c].code.view());
}

std::string codeAndName(const ScheduleData &d, CodeId c)
{
    return formatCode(d, c, ShowCodeAndName);
}

bool contains(const std::vector<CodeId> &codes, CodeId c)
{
    return std::ranges::find(codes, c) != codes.end();
}

std::vector<CodeId> listOf(const ScheduleData &d, bool events)
{
    const auto &list = events ? d.eventList : d.resourceList;
    const int n = std::clamp<int>(list[0], 0, MaxCodes);
    std::vector<CodeId> codes;
    for (int i = 1; i <= n; ++i)
        if (validCode(d, list[static_cast<std::size_t>(i)]))
            codes.push_back(list[static_cast<std::size_t>(i)]);
    return codes;
}

MemberList memberList(const std::vector<CodeId> &codes)
{
    MemberList list{};
    const std::size_t n = std::min<std::size_t>(codes.size(), MaxMembers);
    list[0] = static_cast<CodeId>(n);
    for (std::size_t i = 0; i < n; ++i)
        list[i + 1] = codes[i];
    return list;
}

// The occupied bells of one map, or of the union of two, as gaps over the weeks in use.
int gapsOf(const ScheduleData &d, const OccupancyMap &a, const OccupancyMap *b)
{
    int gaps = 0;
    for (int w = 1; w <= std::min(usedWeeks(d), MaxWeeks); ++w)
        for (int day = 1; day <= std::min(usedDays(d), MaxDays); ++day)
            gaps += dayGaps(a.mask(w, day) | (b ? b->mask(w, day) : 0u));
    return gaps;
}

void unite(OccupancyMap &into, const OccupancyMap &from)
{
    for (std::size_t i = 0; i < into.masks.size(); ++i)
        into.masks[i] |= from.masks[i];
}

// The cells an event occupies by its own timetable lectures.
void eventCells(const ScheduleData &d, CodeId e, OccupancyMap &map)
{
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    expandSchedule(d, wa, map, true);
}

// Resource r's occupancy as the union of `events` and, with `bookings`, its own bookings.
void resourceCells(const ScheduleData &d, CodeId r, const std::vector<CodeId> &events,
                   bool bookings, OccupancyMap &map)
{
    map.reset(d);
    std::fill(map.masks.begin(), map.masks.end(), 0u);
    auto part = std::make_unique<OccupancyMap>();
    for (const CodeId e : events) {
        eventCells(d, e, *part);
        unite(map, *part);
    }
    if (bookings) {
        eventCells(d, r, *part);
        unite(map, *part);
    }
}

} // namespace

// ----- the link list ---------------------------------------------------------------------------

std::vector<CodeId> linkListLines(const ScheduleData &d, CodeId c)
{
    if (!validCode(d, c))
        return {};
    std::vector<CodeId> lines{c};
    const std::vector<CodeId> linked = linkedCodes(d, c);
    lines.insert(lines.end(), linked.begin(), linked.end());
    return lines;
}

std::string linkLineHint(const ScheduleData &d, CodeId resource, CodeId event)
{
    return "[Double-click] to remove \"" + codeAndName(d, resource) + "\" from event " +
           codeAndName(d, event) + "?";
}

// ----- the snapshot timetable ------------------------------------------------------------------

int stepSnapshotWeek(const ScheduleData &d, int week, int delta)
{
    return std::clamp(week + delta, 1, std::max(1, std::min(usedWeeks(d), MaxWeeks)));
}

SnapshotTable snapshotTable(const ScheduleData &d, CodeId c, int week)
{
    SnapshotTable s;
    s.week = stepSnapshotWeek(d, week, 0);
    s.days = std::clamp(usedDays(d), 1, MaxDays);
    s.bells = std::clamp(usedBells(d), 1, MaxBells);
    const auto cells = static_cast<std::size_t>(s.days * s.bells);
    s.texts.assign(cells, {});
    s.events.assign(cells, 0);
    if (validCode(d, c)) {
        auto t = std::make_unique<WeekTimetable>();
        weekTimetableOf(d, c, s.week, *t);
        for (int bell = 1; bell <= s.bells; ++bell)
            for (int day = 1; day <= s.days; ++day) {
                const CellWord cell = t->cell(day, bell);
                if (cell == 0)
                    continue;
                const auto i = static_cast<std::size_t>((bell - 1) * s.days + day - 1);
                if (isBookingCell(cell)) {
                    s.texts[i] = "/";
                    continue;
                }
                const CodeId e = cellCode(d, cell);
                if (!validCode(d, e))
                    continue;
                s.texts[i] = codeText(d, e).substr(0, 2);
                s.events[i] = e;
                ++s.scheduled;
            }
    }
    s.label = formatWeek(d, s.week, 3) + " (" + std::to_string(s.scheduled) + " h)";
    return s;
}

// ----- the weekly periods mode -----------------------------------------------------------------

bool weeklyPeriodsAvailable(const ScheduleData &d)
{
    if (usedWeeks(d) < 2)
        return false;
    for (const CodeId e : listOf(d, true))
        if (d.codes[e].allocated > 0)
            return true;
    return false;
}

std::vector<int> weeklyPeriods(const ScheduleData &d, CodeId c, WeeklyPeriodsSwitches switches)
{
    const int weeks = std::clamp(usedWeeks(d), 1, MaxWeeks);
    std::vector<int> values(static_cast<std::size_t>(weeks), 0);
    if (!validCode(d, c))
        return values;
    const std::vector<CodeId> events =
        isEventCode(d, c) ? std::vector<CodeId>{c} : linkedCodes(d, c);
    WeekAllocation wa;
    for (const CodeId e : events) {
        loadWeekAllocation(d, e, wa);
        for (int w = 1; w <= weeks; ++w)
            values[static_cast<std::size_t>(w - 1)] +=
                switches.scheduled ? wa.scheduled[static_cast<std::size_t>(w)]
                                   : wa.allocated[static_cast<std::size_t>(w)];
    }
    int sum = 0;
    for (int w = 1; w <= weeks; ++w) {
        int &v = values[static_cast<std::size_t>(w - 1)];
        if (switches.multiplied)
            v *= weekLength(d, w);
        if (switches.cumulative) {
            sum += v;
            v = sum;
        }
    }
    return values;
}

std::string weeklyPeriodsHeader(const ScheduleData &d, int week)
{
    std::string header = formatWeek(d, week, 3);
    const int length = weekLength(d, week);
    if (length > 1)
        header += "\n" + std::to_string(length) + "w";
    return header;
}

// ----- Best matches ----------------------------------------------------------------------------

std::vector<BestMatch> bestMatches(const ScheduleData &d, CodeId c)
{
    constexpr std::size_t MaxEntries = 254;
    std::vector<BestMatch> kept;
    if (!validCode(d, c))
        return kept;
    const bool events = isEventCode(d, c);
    const int category = categoryOf(d, c);
    const std::vector<CodeId> mine = linkedCodes(d, c);
    std::vector<int> differences;
    int largest = 0;
    for (CodeId y = 1; y <= d.codeCount && y <= MaxCodes; ++y) {
        if (y == c || isEventCode(d, y) != events || categoryOf(d, y) != category)
            continue;
        const std::vector<CodeId> theirs = linkedCodes(d, y);
        BestMatch m;
        m.code = y;
        for (const CodeId x : theirs)
            m.plus += contains(mine, x) ? 0 : 1;
        for (const CodeId x : mine)
            m.minus += contains(theirs, x) ? 0 : 1;
        const int diff = m.plus + m.minus;
        largest = std::max(largest, diff);
        // Before the first kept entry that differs as much or more: the later code comes first.
        std::size_t at = 0;
        while (at < kept.size() && differences[at] < diff)
            ++at;
        if (at >= MaxEntries)
            continue;
        kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(at), m);
        differences.insert(differences.begin() + static_cast<std::ptrdiff_t>(at), diff);
        if (kept.size() > MaxEntries) {
            kept.pop_back();
            differences.pop_back();
        }
    }
    for (std::size_t i = 0; i < kept.size(); ++i)
        kept[i].similarity =
            largest == 0 ? 100.0 : 100.0 - 100.0 * differences[i] / static_cast<double>(largest);
    return kept;
}

CodeId chooseBestMatch(const ScheduleData &d, Prompter &p, CodeId c)
{
    const std::vector<BestMatch> matches = bestMatches(d, c);
    if (matches.empty())
        return 0;
    std::vector<CodeId> offered;
    std::vector<std::string> lines;
    for (const BestMatch &m : matches) {
        char head[64];
        std::snprintf(head, sizeof head, "%5.1f%% [+%d,-%d] ", m.similarity, m.plus, m.minus);
        offered.push_back(m.code);
        lines.push_back(head + codeAndName(d, m.code));
    }
    const std::string title =
        "Best matches with \"" + codeAndName(d, c) + "\" (" + std::to_string(matches.size()) + ")";
    return p.chooseAmong(d, title, offered, lines);
}

// ----- Replace events --------------------------------------------------------------------------

int resourceGaps(const ScheduleData &d, CodeId r, bool bookings)
{
    if (!validCode(d, r))
        return 0;
    auto map = std::make_unique<OccupancyMap>();
    resourceCells(d, r, linkedCodes(d, r), bookings, *map);
    return gapsOf(d, *map, nullptr);
}

std::vector<ReplaceCandidate> replaceCandidates(const ScheduleData &d, CodeId r, CodeId from,
                                                unsigned criteria, bool bookings, int *studied)
{
    std::vector<ReplaceCandidate> found;
    if (!validCode(d, r) || !validCode(d, from) || isEventCode(d, r) || !isEventCode(d, from))
        return found;
    const std::vector<CodeId> events = linkedCodes(d, r);
    if (!contains(events, from))
        return found;
    const int category = categoryOf(d, r);
    auto whole = std::make_unique<OccupancyMap>();
    resourceCells(d, r, events, bookings, *whole);
    const int g0 = gapsOf(d, *whole, nullptr);
    // What the resource keeps when it leaves `from`; each candidate adds its own cells to it.
    std::vector<CodeId> others = events;
    std::erase(others, from);
    auto rest = std::make_unique<OccupancyMap>();
    resourceCells(d, r, others, bookings, *rest);
    auto target = std::make_unique<OccupancyMap>();
    const std::vector<CodeId> mine = distinctMembersOf(d, from);
    for (const CodeId e2 : listOf(d, true)) {
        if (e2 == from || contains(events, e2))
            continue;
        if (studied)
            ++*studied;
        if ((criteria & ReplaceEqualPlanned) && d.codes[e2].planned != d.codes[from].planned)
            continue;
        const bool sameName = d.codes[e2].name.view() == d.codes[from].name.view();
        if ((criteria & ReplaceEqualNames) && !sameName)
            continue;
        if (!canJoin(d, e2, r))
            continue;
        const std::vector<CodeId> theirs = distinctMembersOf(d, e2);
        int matches = 0;
        for (const CodeId x : theirs)
            matches += categoryOf(d, x) != category && contains(mine, x) ? 1 : 0;
        eventCells(d, e2, *target);
        const int g1 = gapsOf(d, *rest, target.get());
        if ((criteria & ReplaceNoMoreGaps) && g1 > g0)
            continue;
        if ((criteria & ReplaceSharedResource) && matches == 0)
            continue;
        ReplaceCandidate c;
        c.event = e2;
        c.gapsBefore = g0;
        c.gapsAfter = g1;
        c.matches = matches;
        c.sameName = sameName;
        c.line = codeText(d, e2) + " (" + std::to_string(d.codes[from].planned) + "->" +
                 std::to_string(d.codes[e2].planned) + "h, " + std::to_string(g0) + "->" +
                 std::to_string(g1) + "g, " + std::to_string(mine.size()) + "->" +
                 std::to_string(theirs.size()) + "x, matches " + std::to_string(matches) +
                 (sameName ? ", names" : "") + ") " + codeAndName(d, e2);
        found.push_back(std::move(c));
    }
    return found;
}

namespace {

// Moves resource r from event `from` to the end of event `to`; false when either store refused.
bool moveResource(ScheduleData &d, CodeId r, CodeId from, CodeId to)
{
    std::vector<CodeId> theirs = distinctMembersOf(d, to);
    if (theirs.size() >= static_cast<std::size_t>(MaxMembers))
        return false;
    theirs.push_back(r);
    const std::vector<CodeId> before = distinctMembersOf(d, from);
    std::vector<CodeId> mine = before;
    std::erase(mine, r);
    // The target first: when it cannot take the resource, the source still has it.
    if (setCollection(d, to, memberList(theirs)) != static_cast<int>(theirs.size()))
        return false;
    if (setCollection(d, from, memberList(mine)) != static_cast<int>(mine.size()) ||
        distinctMembersOf(d, from).size() != mine.size()) {
        // Put the target back as it was, so the resource is in exactly one of them.
        theirs.pop_back();
        setCollection(d, to, memberList(theirs));
        return false;
    }
    return true;
}

} // namespace

bool replaceCandidateSearch(ScheduleData &d, Prompter &p, Progress &progress, CodeId start,
                            bool bookings)
{
    if (!validCode(d, start) || isEventCode(d, start))
        return false;
    std::uint32_t bits = 0;
    if (p.multiChoice("Search event replace candidates", 0, bits,
                      "Lectures of events (PLANNED) must be equal? (h)$"
                      "Number of gaps in timetables must not be increased? (g)$"
                      "Names of events must be identical? (names)$"
                      "Courses must have at least one same resource? (matches)$") == 0)
        return false;
    const unsigned criteria = (bits >> 1) & 15u;
    if (criteria == 0)
        return false;
    if (!p.yesNoDlg("Do you want to start searching?"))
        return false;

    const std::vector<CodeId> resources = listOf(d, false);
    const auto first = std::ranges::find(resources, start);
    if (first == resources.end())
        return false;
    const int category = categoryOf(d, start);
    const std::string categoryText = categoryName(d, start);
    // The walk goes by code text: a move renumbers nothing, but text is what the user follows.
    std::vector<CodeId> walk(first, resources.end());
    walk.insert(walk.end(), resources.begin(), first);

    ProgressRun run(progress, "Please wait ...", static_cast<int>(walk.size()));
    int studiedResources = 0, studied = 0, replaced = 0;
    bool stop = false;
    for (std::size_t k = 0; k < walk.size() && !stop; ++k) {
        const CodeId g = walk[k];
        if (!validCode(d, g) || categoryOf(d, g) != category)
            continue;
        ++studiedResources;
        for (const CodeId e1 : linkedCodes(d, g)) {
            if (progress.stopRequested()) {
                stop = true;
                break;
            }
            const std::vector<ReplaceCandidate> found =
                replaceCandidates(d, g, e1, criteria, bookings, &studied);
            if (!found.empty()) {
                // Line 0 stays where it is: the event itself stands for it.
                std::vector<CodeId> offered{e1};
                std::vector<std::string> lines{"0: [no change => go to next event]"};
                for (std::size_t i = 0; i < found.size(); ++i) {
                    offered.push_back(found[i].event);
                    lines.push_back(std::to_string(i + 1) + ": " + found[i].line);
                }
                const std::string title = "Replace event (category \"" + categoryText +
                                          "\")\nMove \"" + codeAndName(d, g) + "\"\nfrom \"" +
                                          codeAndName(d, e1) + "\" to:";
                const CodeId chosen = p.chooseAmong(d, title, offered, lines);
                if (chosen == 0) {
                    stop = true;
                    break;
                }
                if (chosen != e1) {
                    // An event left without resources loses its periods at the next recount.
                    const bool empties = distinctMembersOf(d, e1).size() == 1;
                    if (!empties ||
                        p.yesNoDlg("\"" + codeAndName(d, g) + "\" is the only resource of \"" +
                                   codeAndName(d, e1) +
                                   "\".\nThe event would have no resources left.\n"
                                   "Move it all the same?")) {
                        if (moveResource(d, g, e1, chosen))
                            ++replaced;
                    }
                }
            }
            const int average =
                static_cast<int>(std::lround(studied / static_cast<double>(studiedResources)));
            progress.status("Searching for event combinations (" +
                            std::to_string(studiedResources) + ": " + std::to_string(studied) +
                            ", average: " + std::to_string(average) + ") - click to stop");
        }
        progress.step(static_cast<int>(k + 1));
    }
    if (replaced > 0) {
        recount(d);
        totals(d, 1, d.codeCount);
        allResourceTotals(d);
    }
    p.infoDlg(std::to_string(studiedResources) + " resource(s) with\n" + std::to_string(studied) +
              " combination(s) studied,\n" + std::to_string(replaced) + " replaced.");
    return replaced > 0;
}

// ----- the Events view's lock and bulk commands ------------------------------------------------

bool askToUnlock(ScheduleData &d, Prompter &p, CodeId e)
{
    return lockGuard(d, e, [&](CodeId event) {
        return p.yesNoDlg("You cannot change the event\n\n\"" + codeAndName(d, event) +
                          "\"\n\nbefore it is unlocked.\n\n"
                          "Select [Yes] to unlock it now, [No] to leave it locked.");
    });
}

bool toggleEventLock(ScheduleData &d, CodeId e)
{
    if (!validCode(d, e) || !isEventCode(d, e))
        return false;
    setLock(d, e, LockMode::Toggle);
    return true;
}

bool clearEventSchedule(ScheduleData &d, Prompter &p, CodeId e, bool allocations)
{
    if (!validCode(d, e) || !isEventCode(d, e))
        return false;
    const bool wasLocked = queryLock(d, e);
    if (!askToUnlock(d, p, e))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    bool periods = false;
    for (std::size_t i = 0; i < wa.timetable.size(); ++i)
        periods = periods || wa.timetableKinds[i] == 0;
    bool allocated = false;
    for (int w = 1; w < WeekTableSize; ++w)
        allocated = allocated || wa.allocated[static_cast<std::size_t>(w)] > 0;
    if (!periods && !(allocations && allocated))
        return wasLocked;
    const int first = wa.firstWeek, last = wa.lastWeek;
    clearWeeks(d, wa, 0, {.allocations = allocations, .placements = true});
    storeWeekAllocation(d, e, wa);
    if (first >= 1 && last >= first)
        validityCleanup(d, first, last);
    recount(d);
    totals(d, e, e);
    for (const CodeId r : distinctMembersOf(d, e))
        resourceTotals(d, r);
    return true;
}

bool bulkScheduleAllowed(ScheduleData &d, Prompter &p, CodeId e, bool *changed)
{
    if (changed)
        *changed = false;
    if (!validCode(d, e) || !isEventCode(d, e))
        return false;
    const bool wasLocked = queryLock(d, e);
    if (!askToUnlock(d, p, e))
        return false;
    if (changed)
        *changed = wasLocked;
    for (const CodeId r : distinctMembersOf(d, e))
        if (!(d.codes[r].flags & NoTimetableBit))
            return true;
    p.warnDlg("This event (\"" + codeText(d, e) +
              "\") does not have any valid resources attached.");
    return false;
}

// ----- first use of the link list ---------------------------------------------------------------

LinkGuidance linkListGuidance(const ScheduleData &d, Prompter &p, CodeKind kind)
{
    for (int i = 1; i <= d.eventList[0]; ++i)
        if (d.codes[d.eventList[static_cast<std::size_t>(i)]].links > 0)
            return LinkGuidance::ShowLinks;
    const bool events = kind == CodeKind::Event;
    const int own = events ? d.eventList[0] : d.resourceList[0];
    const int other = events ? d.resourceList[0] : d.eventList[0];
    const std::string noun = events ? "event" : "resource";
    if (events ? own == 0 : own < 4) {
        p.infoDlg("Press the [Insert] key to add a new " + noun +
                      " or [Enter] to edit the current " + noun +
                      ".\r\n\r\nClick [Help] how to paste your " + noun + "s from the Clipboard.",
                  0, events ? 1050 : 1045);
        return LinkGuidance::StartNew;
    }
    if (other > 0)
        return LinkGuidance::ShowLinks;
    const bool go = p.yesNoDlg(events ? "You should also create resources and attach them to "
                                        "events.\r\n\r\nDo you like to switch to Resources view "
                                        "now?"
                                      : "You should also create events and attach resources to "
                                        "them.\r\n\r\nDo you like to switch to Events view now?");
    return go ? LinkGuidance::SwitchView : LinkGuidance::Declined;
}

// ----- the resource change of one event ----------------------------------------------------------

std::vector<CodeId> resourceChangeCandidates(const ScheduleData &d, CodeId e, CodeId r,
                                             unsigned switches)
{
    std::vector<CodeId> out;
    if (!isEventCode(d, e) || !validCode(d, r) || d.codes[r].isEvent())
        return out;
    const std::vector<CodeId> members = distinctMembersOf(d, e);
    if (members.size() >= MaxMembers)
        return out;
    const int category = categoryOf(d, r);
    OccupancyMap eventMap, resourceMap;
    bool eventBuilt = false;
    for (int i = 1; i <= d.resourceList[0] && out.size() < 2047; ++i) {
        const CodeId x = d.resourceList[static_cast<std::size_t>(i)];
        if (std::find(members.begin(), members.end(), x) != members.end())
            continue;
        if (!(switches & ChangeAllCategories) && categoryOf(d, x) != category)
            continue;
        const int rebuild = eventBuilt ? 1 : 3;
        eventBuilt = true;
        if (canJoin(d, e, x, true, 1, rebuild, eventMap, resourceMap))
            out.push_back(x);
    }
    return out;
}

CodeId changeEventResource(ScheduleData &d, Prompter &p, CodeId e, CodeId r, unsigned switches)
{
    if (!isEventCode(d, e) || !validCode(d, r))
        return 0;
    std::vector<CodeId> members = distinctMembersOf(d, e);
    const auto at = std::find(members.begin(), members.end(), r);
    const std::vector<CodeId> candidates = resourceChangeCandidates(d, e, r, switches);
    const bool mayAdd = (switches & ChangeMayAdd) != 0;
    if (at == members.end() || candidates.empty()) {
        std::string refusal =
            "Resource \"" + d.codes[r].code.str() + "\" cannot be replaced with another resource";
        if (mayAdd)
            refusal += "\n or a new resource cannot be added";
        p.infoDlg(refusal + " (of the same category).");
        return 0;
    }
    const bool canAdd = mayAdd && members.size() < MaxMembers;
    const bool canRemove = (switches & ChangeMayRemove) != 0;
    const std::string caption =
        "Change resource \"" + d.codes[r].code.str() + "\" of \"" + d.codes[e].code.str() + "\"";
    // Actions not permitted stay in the list as blanks, so an answer's number is its action.
    const int action = p.choice(
        caption + "\nPermissible actions:", 0, 1,
        std::string("Replace \"") + d.codes[r].code.str() + "\"$" + (canAdd ? "Add$" : " $") +
            (canRemove ? "Remove \"" + d.codes[r].code.str() + "\"$" : std::string(" $")));
    CodeId chosen = 0;
    if (action == 1 || action == 2) {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const CodeId x = candidates[i];
            const std::string name = d.codes[x].name.str();
            lines.push_back(std::to_string(i + 1) + ": " + d.codes[x].code.str() +
                            (name.empty() ? "" : " " + name) + " (" +
                            categoryName(d, x).substr(0, 1) + ")");
        }
        const std::string scope =
            (switches & ChangeAllCategories) ? std::string("all categories") : categoryName(d, r);
        chosen = p.chooseAmong(d,
                               caption + "\nAvailable resources (" +
                                   std::to_string(candidates.size()) + ") - " + scope,
                               candidates, lines);
        if (chosen == 0)
            return 0;
        if (action == 1)
            *at = chosen;
        else
            members.insert(at, chosen);
    } else if (action == 3) {
        members.erase(at);
        chosen = r;
    } else {
        return 0;
    }
    if (setCollection(d, e, memberList(members)) != static_cast<int>(members.size())) {
        p.warnDlg("The collection list is full: the resources of \"" + d.codes[e].code.str() +
                  "\" could not be stored.");
        return 0;
    }
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    return chosen;
}

} // namespace quivra
