#include "commands/modifycollections.h"

#include "commands/codecommands.h"
#include "commands/collectionlists.h"
#include "commands/eventtools.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/placement.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "engine/weekstore.h"
#include "reports/outputkit.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string_view>

namespace quivra {

namespace {

std::string quoted(const ScheduleData &d, CodeId c)
{
    return "\"" + d.codes[c].code.str() + "\"";
}

std::vector<CodeId> listOf(const std::array<CodeId, CodeTableSize> &list)
{
    return {list.begin() + 1, list.begin() + 1 + list[0]};
}

} // namespace

ModifyCollections::ModifyCollections(ScheduleData &d, Prompter &p, ResourceLimits limits)
    : m_d(d), m_p(p), m_limits(limits)
{}

void ModifyCollections::chooseEvent(CodeId e)
{
    const CodeId before = m_event;
    m_event = validCode(m_d, e) && m_d.codes[e].isEvent() ? e : 0;
    if (m_event != before)
        m_marks.clear();
}

void ModifyCollections::chooseResource(CodeId r)
{
    m_resource = validCode(m_d, r) && !m_d.codes[r].isEvent() ? r : 0;
}

void ModifyCollections::setFirstWeek(int week)
{
    const int weeks = std::max(1, int{m_d.calendarRange.endWeek});
    week = std::clamp(week, 1, weeks);
    if (week == m_firstWeek)
        return;
    m_firstWeek = week;
    keepMarksOnSlots();
    if (week > 1)
        m_p.infoDlg("Impossible combinations are now checked only from week \"" +
                    formatWeek(m_d, week, 3) + "\" on and\r\nthose occurring in week(s) \"" +
                    formatWeek(m_d, 1, 3) + "\" ... \"" + formatWeek(m_d, week - 1, 3) +
                    "\" are ignored.");
}

bool ModifyCollections::available(CodeId e, CodeId r) const
{
    if (!validCode(m_d, e) || !validCode(m_d, r) || !m_d.codes[e].isEvent() ||
        m_d.codes[r].isEvent())
        return false;
    const MemberList members = collectionOf(m_d, e);
    if (positionInList(r, members) > 0 || members[0] >= MaxMembers)
        return false;
    // A category limit counts the resource about to join: with the limit reached there is no
    // room left.
    const int limit = m_limits[static_cast<std::size_t>(std::max(0, categoryOf(m_d, e)))];
    if (limit > 0 && members[0] >= limit)
        return false;
    return canJoin(m_d, e, r, true, m_firstWeek);
}

std::vector<CodeId> ModifyCollections::events() const
{
    std::vector<CodeId> out = listOf(m_d.eventList);
    if (m_resource != 0)
        std::erase_if(out, [&](CodeId e) { return available(e, m_resource) == m_impossible; });
    return out;
}

std::vector<CodeId> ModifyCollections::resources() const
{
    std::vector<CodeId> out = listOf(m_d.resourceList);
    if (m_event != 0)
        std::erase_if(out, [&](CodeId r) { return available(m_event, r) == m_impossible; });
    return out;
}

std::string ModifyCollections::eventsTitle() const
{
    const std::string n = std::to_string(events().size());
    if (m_resource == 0)
        return "Events (" + n + "):";
    return std::string(m_impossible ? "Impossible" : "Available") + " events for " +
           quoted(m_d, m_resource) + " (" + n + "):";
}

std::string ModifyCollections::resourcesTitle() const
{
    const std::string n = std::to_string(resources().size());
    if (m_event == 0)
        return "Resources (" + n + "):";
    return std::string(m_impossible ? "Impossible" : "Available") + " resources for " +
           quoted(m_d, m_event) + " (" + n + "):";
}

std::vector<PairSlot> ModifyCollections::pairSlots() const
{
    std::vector<PairSlot> out;
    if (m_event == 0)
        return out;
    const OccupancyMap e = occupancyOf(m_d, m_event);
    OccupancyMap r;
    if (m_resource != 0 && positionInList(m_resource, collectionOf(m_d, m_event)) == 0)
        r = occupancyOf(m_d, m_resource);
    for (int w = std::max(m_firstWeek, e.firstWeek); w <= e.lastWeek; ++w)
        for (int day = e.firstDay; day <= e.lastDay; ++day) {
            const std::uint32_t mask = e.mask(w, day);
            for (int bell = 1; bell <= MaxBells; ++bell) {
                const std::uint32_t bit = 1u << (bell - 1);
                if (mask & bit)
                    out.push_back({w, day, bell, (r.mask(w, day) & bit) != 0});
            }
        }
    return out;
}

PairWeekGrid ModifyCollections::weekGrid() const
{
    PairWeekGrid grid;
    grid.weeks = std::clamp(int{m_d.calendarRange.endWeek}, 1, MaxWeeks);
    grid.days = std::clamp(int{m_d.calendarRange.endDay}, 1, MaxDays);
    grid.bells = std::clamp(int{m_d.calendarRange.endBell}, 1, MaxBells);
    grid.cells.resize(static_cast<std::size_t>(grid.weeks * grid.days * grid.bells));
    if (m_event == 0 && m_resource == 0)
        return grid;
    const OccupancyMap e = m_event != 0 ? occupancyOf(m_d, m_event) : OccupancyMap{};
    const OccupancyMap r = m_resource != 0 ? occupancyOf(m_d, m_resource) : OccupancyMap{};
    for (int w = 1; w <= grid.weeks; ++w)
        for (int day = 1; day <= grid.days; ++day)
            for (int bell = 1; bell <= grid.bells; ++bell) {
                const std::uint32_t bit = 1u << (bell - 1);
                GridSlot &s = grid.cells[static_cast<std::size_t>(
                    ((w - 1) * grid.days + day - 1) * grid.bells + bell - 1)];
                s.event = (e.mask(w, day) & bit) != 0;
                s.resource = (r.mask(w, day) & bit) != 0;
                s.marked = s.event && marked({w, day, bell, false});
            }
    return grid;
}

std::string ModifyCollections::gridText(const GridSlot &slot)
{
    const std::string text = slot.conflict() ? "X" : slot.event ? "E" : slot.resource ? "R" : "";
    return slot.marked ? "[" + text + "]" : text;
}

bool ModifyCollections::toggleGridSlot(int week, int day, int bell)
{
    for (const PairSlot &s : pairSlots())
        if (s.week == week && s.day == day && s.bell == bell) {
            toggleMark(s);
            return true;
        }
    return false;
}

std::string ModifyCollections::slotLine(const PairSlot &slot) const
{
    return std::string(marked(slot) ? "[X]" : "[_]") + " " + formatWeek(m_d, slot.week, 3) + " " +
           formatDayBell(m_d, slot.day, slot.bell, 1);
}

std::string ModifyCollections::slotSummary() const
{
    const auto all = pairSlots();
    const auto clashes = std::count_if(all.begin(), all.end(), [](auto &s) { return s.conflict; });
    return std::to_string(all.size()) + " slots (" + std::to_string(clashes) + " impossible, " +
           std::to_string(m_marks.size()) + " marked)";
}

// ---- Marks ---------------------------------------------------------------------------------

bool ModifyCollections::marked(const PairSlot &slot) const
{
    return std::any_of(m_marks.begin(), m_marks.end(),
                       [&](const PairSlot &m) { return m.sameCell(slot); });
}

void ModifyCollections::keepMarksOnSlots()
{
    const auto slots = pairSlots();
    std::erase_if(m_marks, [&](const PairSlot &m) {
        return std::none_of(slots.begin(), slots.end(),
                            [&](const PairSlot &s) { return s.sameCell(m); });
    });
}

void ModifyCollections::toggleMark(const PairSlot &slot)
{
    if (marked(slot))
        std::erase_if(m_marks, [&](const PairSlot &m) { return m.sameCell(slot); });
    else
        m_marks.push_back(slot);
    keepMarksOnSlots();
}

void ModifyCollections::markRemaining()
{
    m_marks = pairSlots();
}

void ModifyCollections::markImpossible()
{
    for (const PairSlot &s : pairSlots())
        if (s.conflict && !marked(s))
            m_marks.push_back(s);
}

void ModifyCollections::unmarkAll()
{
    m_marks.clear();
}

void ModifyCollections::reverseMarks()
{
    std::vector<PairSlot> reversed;
    for (const PairSlot &s : pairSlots())
        if (!marked(s))
            reversed.push_back(s);
    m_marks = std::move(reversed);
}

int ModifyCollections::markedHours() const
{
    int hours = 0;
    for (const PairSlot &m : m_marks)
        hours += weekLength(m_d, m.week);
    return hours;
}

std::string ModifyCollections::markCaption(const PairSlot &slot) const
{
    return std::string(marked(slot) ? "Unmark slot " : "Mark slot ") +
           formatWeek(m_d, slot.week, 3) + " " + formatDayBell(m_d, slot.day, slot.bell, 1) +
           "  [Double-click]";
}

std::string ModifyCollections::markRemainingCaption() const
{
    const auto slots = pairSlots();
    const auto left =
        std::count_if(slots.begin(), slots.end(), [&](const PairSlot &s) { return !marked(s); });
    return "Mark remaining " + std::to_string(left) + " slots of " +
           (m_event ? quoted(m_d, m_event) : std::string());
}

namespace {

int impossibleCount(const std::vector<PairSlot> &slots)
{
    return static_cast<int>(
        std::count_if(slots.begin(), slots.end(), [](const PairSlot &s) { return s.conflict; }));
}

} // namespace

std::string ModifyCollections::markImpossibleCaption() const
{
    if (m_event == 0 || m_resource == 0)
        return "Mark impossible slots";
    return "Mark " + std::to_string(impossibleCount(pairSlots())) + " impossible slots of " +
           quoted(m_d, m_event) + " and " + quoted(m_d, m_resource);
}

std::string ModifyCollections::unmarkAllCaption() const
{
    return "Unmark all " + std::to_string(m_marks.size()) + " slots";
}

std::string ModifyCollections::reverseCaption() const
{
    return "Reverse marked " + std::to_string(m_marks.size()) + " slots";
}

std::string ModifyCollections::clearMarkedCaption() const
{
    return "Clear marked " + std::to_string(m_marks.size()) + " slots of " +
           (m_event ? quoted(m_d, m_event) : std::string());
}

std::string ModifyCollections::clearImpossibleCaption() const
{
    if (m_event == 0 || m_resource == 0)
        return "Clear all impossible slots";
    return "Clear all " + std::to_string(impossibleCount(pairSlots())) + " impossible slots of " +
           quoted(m_d, m_event) + " and " + quoted(m_d, m_resource);
}

std::string ModifyCollections::splitCaption() const
{
    if (m_event == 0)
        return "Split event";
    const int all = m_d.codes[m_event].scheduled;
    const int moved = markedHours();
    return "Split event " + quoted(m_d, m_event) + " (" + std::to_string(all - moved) + "h + " +
           std::to_string(moved) + "h = " + std::to_string(all) + "h)";
}

bool ModifyCollections::unschedule(const std::vector<PairSlot> &slots)
{
    if (m_event == 0 || slots.empty() || !askToUnlock(m_d, m_p, m_event))
        return false;
    const std::uint16_t word = ownWord(m_d, m_event);
    int removed = 0;
    for (const PairSlot &s : slots) {
        LectureView cell;
        cell.word = word;
        cell.startWeek = cell.endWeek = static_cast<std::uint8_t>(s.week);
        cell.startDay = cell.endDay = static_cast<std::uint8_t>(s.day);
        cell.startBell = cell.endBell = static_cast<std::uint8_t>(s.bell);
        removed += removeBlock(m_d, word, cell) > 0;
    }
    m_marks.clear();
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    return removed > 0;
}

bool ModifyCollections::clearMarked()
{
    return unschedule(m_marks);
}

bool ModifyCollections::clearImpossible()
{
    auto slots = pairSlots();
    std::erase_if(slots, [](const PairSlot &s) { return !s.conflict; });
    return unschedule(slots);
}

bool ModifyCollections::splitEnabled() const
{
    const int hours = markedHours();
    return m_event != 0 && hours > 0 && hours < m_d.codes[m_event].scheduled;
}

CodeId ModifyCollections::split(bool *keepAsking)
{
    if (!splitEnabled())
        return 0;
    const std::string code = m_d.codes[m_event].code.str();
    if (!m_p.yesNoDlg("Do you want to split \"" + code + "\" into two events?", 0, 1900))
        return 0;
    if (!askToUnlock(m_d, m_p, m_event))
        return 0;
    if (m_d.codeCount >= MaxCodes) {
        m_p.warnDlg("The list of codes is full (" + std::to_string(MaxCodes) +
                    " codes): the event cannot be split.");
        return 0;
    }
    const std::string newCode = makeUniqueCode(m_d, code);
    if (newCode.empty()) {
        m_p.warnDlg("No free code can be made from \"" + code + "\".");
        return 0;
    }
    // Codes are held by their text across the insertion, which renumbers the table.
    std::vector<std::string> members;
    for (const CodeId r : membersOf(m_d, m_event))
        members.push_back(m_d.codes[r].code.str());
    const std::string resource = m_resource ? m_d.codes[m_resource].code.str() : std::string();
    const std::vector<PairSlot> moving = m_marks;

    CodeRecord copy = m_d.codes[m_event];
    copy.code.assign(newCode);
    copy.allocated = copy.scheduled = copy.links = 0;
    copy.firstLecture = 0;
    copy.collectionPos = 0;
    copy.flags = static_cast<std::uint16_t>(copy.flags & ~LinkMarksMask);
    int position = static_cast<int>(m_event) + 1;
    while (position <= m_d.codeCount && !m_d.codes[static_cast<std::size_t>(position)].isEvent())
        ++position;
    const int at = insertCode(m_d, position, copy);
    if (at == 0) {
        m_p.warnDlg("The new event \"" + newCode + "\" could not be stored.");
        return 0;
    }
    const auto made = static_cast<CodeId>(at);
    m_event = findCode(m_d, code);
    m_resource = resource.empty() ? 0 : findCode(m_d, resource);
    std::vector<CodeId> ids;
    for (const auto &m : members)
        if (const CodeId r = findCode(m_d, m); r != 0)
            ids.push_back(r);
    storeMembers(m_d, made, ids);

    // The marked slots leave the event, each with its period of the week, and become the new
    // event's timetable.
    const std::uint16_t from = ownWord(m_d, m_event), to = ownWord(m_d, made);
    std::array<int, WeekTableSize> moved{};
    for (const PairSlot &s : moving) {
        LectureView cell;
        cell.startWeek = cell.endWeek = static_cast<std::uint8_t>(s.week);
        cell.startDay = cell.endDay = static_cast<std::uint8_t>(s.day);
        cell.startBell = cell.endBell = static_cast<std::uint8_t>(s.bell);
        cell.word = from;
        if (removeBlock(m_d, from, cell) == 0)
            continue;
        cell.word = to;
        placeBlock(m_d, to, cell);
        ++moved[static_cast<std::size_t>(s.week)];
    }
    WeekAllocation wa;
    loadWeekAllocation(m_d, m_event, wa);
    int total = 0;
    for (int w = 1; w < WeekTableSize; ++w) {
        const auto n = moved[static_cast<std::size_t>(w)];
        total += n;
        wa.allocated[w] = static_cast<std::uint8_t>(
            std::max<int>(wa.scheduled[w], std::max(0, int{wa.allocated[w]} - n)));
    }
    storeWeekAllocation(m_d, m_event, wa);
    m_marks.clear();
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    // Each keeps the periods it has now.
    setCodePlanned(m_d, made, std::max(total, 1));
    setCodePlanned(m_d, m_event, std::max<int>(m_d.codes[m_event].planned - total, 1));
    rebuildLists(m_d);
    attributeNewEvent(m_d, m_p, made, m_event, keepAsking);
    return made;
}

bool ModifyCollections::add()
{
    if (m_event == 0 || m_resource == 0)
        return false;
    if (!available(m_event, m_resource)) {
        const auto all = pairSlots();
        const auto clashes =
            std::count_if(all.begin(), all.end(), [](auto &s) { return s.conflict; });
        std::string why = positionInList(m_resource, collectionOf(m_d, m_event)) > 0
                              ? " is already a resource of "
                          : clashes > 0
                              ? " is busy in " + std::to_string(clashes) + " scheduled slot(s) of "
                              : " cannot be added to (it is full) ";
        m_p.warnDlg(quoted(m_d, m_resource) + why + quoted(m_d, m_event) + ".");
        return false;
    }
    auto members = membersOf(m_d, m_event);
    members.push_back(m_resource);
    if (!storeMembers(m_d, m_event, members)) {
        m_p.warnDlg("The collection list is full: " + quoted(m_d, m_resource) +
                    " could not be added.");
        return false;
    }
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    resourceTotals(m_d, m_resource);
    // Conflicts in the weeks before the first checked one were let through: say when.
    if (m_firstWeek > 1 && m_d.codes[m_event].allocated > 0) {
        m_undoText = "Tools|Modify event resources at ";
        if (m_clock != nullptr) {
            const std::time_t t = std::chrono::system_clock::to_time_t(m_clock->now());
            std::tm local{};
            localtime_r(&t, &local);
            m_undoText +=
                formatDateTime("ddddd hh:mm", m_clock->today(), local.tm_hour * 60 + local.tm_min);
        }
    }
    return true;
}

std::vector<CodeId> ModifyCollections::linkedWith(CodeId c) const
{
    if (!validCode(m_d, c))
        return {};
    if (m_d.codes[c].isEvent())
        return membersOf(m_d, c);
    std::vector<CodeId> out;
    for (const CodeId e : listOf(m_d.eventList))
        if (positionInList(c, collectionOf(m_d, e)) > 0)
            out.push_back(e);
    return out;
}

int ModifyCollections::removeLinks(CodeId of, const std::vector<CodeId> &linked)
{
    const auto current = linkedWith(of);
    std::vector<CodeId> chosen;
    for (const CodeId c : linked)
        if (std::find(current.begin(), current.end(), c) != current.end())
            chosen.push_back(c);
    if (chosen.empty())
        return 0;
    const bool ofEvent = m_d.codes[of].isEvent();
    // An event left without resources loses its periods: say so in the question.
    int emptied = 0;
    for (const CodeId c : ofEvent ? std::vector<CodeId>{of} : chosen) {
        const auto members = membersOf(m_d, c);
        const auto kept = std::count_if(members.begin(), members.end(), [&](CodeId r) {
            return std::find(chosen.begin(), chosen.end(), ofEvent ? r : of) == chosen.end() &&
                   (ofEvent || r != of);
        });
        if (kept == 0 && m_d.codes[c].allocated > 0)
            ++emptied;
    }
    std::string question =
        "you want to remove selected " + std::to_string(chosen.size()) + " item(s)";
    if (emptied > 0)
        question += " (" + std::to_string(emptied) +
                    " event(s) lose their last resource and with it their periods)";
    if (!m_p.sureDlg(question))
        return 0;
    int removed = 0;
    for (const CodeId c : chosen) {
        const CodeId e = ofEvent ? of : c;
        const CodeId r = ofEvent ? c : of;
        auto members = membersOf(m_d, e);
        if (std::erase(members, r) > 0 && storeMembers(m_d, e, members))
            ++removed;
    }
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    return removed;
}

} // namespace quivra
