#include "commands/eventsplit.h"

#include "commands/collectionlists.h"
#include "commands/eventtools.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/notes.h"
#include "engine/roles.h"
#include "engine/totals.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <memory>

namespace quivra {

namespace {

std::string codeText(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) ? d.codes[c].code.str() : std::string();
}

bool member(const std::vector<CodeId> &list, CodeId c)
{
    return std::ranges::find(list, c) != list.end();
}

// A code the data set can keep: not empty, not only blanks (a blank code marks a code for
// removal), and without ";" (the separator of comments and memos).
bool usableCode(std::string_view code)
{
    return code.find_first_not_of(' ') != std::string_view::npos &&
           code.find(';') == std::string_view::npos;
}

} // namespace

std::vector<CodeId> splittableEvents(const ScheduleData &d)
{
    std::vector<CodeId> out;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (validCode(d, e) && d.codes[e].scheduled >= 2)
            out.push_back(e);
    }
    return out;
}

EventSplit::EventSplit(ScheduleData &d, Prompter &p, CodeId event) : m_d(d), m_p(p)
{
    m_events = splittableEvents(d);
    if (m_events.empty()) {
        m_p.infoDlg("No valid events to split. The event to be split must have at least two "
                    "scheduled periods.",
                    0, SplitHelpTopic);
        return;
    }
    m_event = member(m_events, event) ? event : m_events.front();
    build();
}

std::string EventSplit::caption() const
{
    return fillIn("Event split view ({} events, {} can be split)", m_d.eventList[0],
                  m_events.size());
}

std::string EventSplit::eventLine(CodeId e) const
{
    return formatCode(m_d, e, ShowCodeAndName);
}

void EventSplit::chooseEvent(CodeId e)
{
    if (!member(m_events, e))
        return;
    m_event = e;
    build();
    if (m_slots.size() < 2)
        m_p.infoDlg(fillIn("This event (\"{}\") has less than two scheduled periods and it "
                           "cannot be split in two parts.\r\n\r\nSelect another event "
                           "from the list.",
                           codeText(m_d, e)),
                    0, SplitHelpTopic);
}

void EventSplit::stepEvent(int delta)
{
    if (m_events.empty())
        return;
    const auto at = std::ranges::find(m_events, m_event) - m_events.begin();
    const int last = static_cast<int>(m_events.size()) - 1;
    chooseEvent(
        m_events[static_cast<std::size_t>(std::clamp(static_cast<int>(at) + delta, 0, last))]);
}

void EventSplit::reset()
{
    build();
}

void EventSplit::build()
{
    m_slots.clear();
    m_newMembers.clear();
    m_newCode.clear();
    newName.clear();
    if (!validCode(m_d, m_event))
        return;
    WeekAllocation wa;
    reloadWeekAllocation(m_d, m_event, wa);
    // The event's own periods, cell by cell; bookings stay with it and are not offered.
    auto map = std::make_unique<OccupancyMap>();
    map->reset(m_d);
    for (const LectureView &v : wa.timetable) {
        if (isBookingWord(v.word) || !validTimetableLecture(m_d, v))
            continue;
        for (int w = v.startWeek; w <= v.endWeek; ++w)
            for (int day = v.startDay; day <= v.endDay; ++day)
                map->add(w, day, bellMask(v.startBell, v.endBell));
    }
    if (!map->empty()) {
        for (int w = map->firstWeek; w <= map->lastWeek; ++w)
            for (int day = 1; day <= MaxDays; ++day)
                for (int bell = 1; bell <= MaxBells; ++bell)
                    if (map->mask(w, day) & (1u << (bell - 1)))
                        m_slots.push_back({w, day, bell, true});
    }
    for (const CodeId r : eventMembers())
        m_newMembers.push_back(r);
    m_newCode = makeUniqueCode(m_d, m_d.codes[m_event].code.view());
    newName = m_d.codes[m_event].name.str();
}

std::vector<int> EventSplit::weeks() const
{
    std::vector<int> out;
    for (const SplitSlot &s : m_slots)
        if (out.empty() || out.back() != s.week)
            out.push_back(s.week);
    return out;
}

std::string EventSplit::weekHeading(int week) const
{
    if (weeksDated(m_d))
        return formatShortDate(weekDate(m_d, week));
    return formatWeek(m_d, week, 7);
}

std::string EventSplit::slotText(const SplitSlot &s) const
{
    return "   " + formatDayBell(m_d, s.day, s.bell, 1);
}

bool EventSplit::slotsEnabled() const
{
    return !slotLock() && m_slots.size() >= 2;
}

void EventSplit::setSlot(std::size_t index, bool keep)
{
    if (!slotsEnabled() || index >= m_slots.size())
        return;
    m_slots[index].keep = keep;
    if (keptCount() == 0)
        reset();
}

void EventSplit::setWeek(int week, bool keep)
{
    if (!slotsEnabled())
        return;
    for (SplitSlot &s : m_slots)
        if (s.week == week)
            s.keep = keep;
    if (keptCount() == 0)
        reset();
}

int EventSplit::keptCount() const
{
    return static_cast<int>(
        std::ranges::count_if(m_slots, [](const SplitSlot &s) { return s.keep; }));
}

int EventSplit::movedCount() const
{
    return static_cast<int>(m_slots.size()) - keptCount();
}

std::string EventSplit::keptCounter() const
{
    return fillIn("Selected {} of all {} slots", keptCount(), m_slots.size());
}

std::string EventSplit::movedCounter() const
{
    return fillIn("Selected {} of all {} slots", movedCount(), m_slots.size());
}

std::string EventSplit::slotListLabel() const
{
    return slotLock() ? "You cannot change slot selection after adding a new resource"
                      : "Select here the time slots you want to move to the new event";
}

std::vector<CodeId> EventSplit::eventMembers() const
{
    return membersOf(m_d, m_event);
}

std::vector<CodeId> EventSplit::eventSelectable() const
{
    std::vector<CodeId> out;
    if (!validCode(m_d, m_event))
        return out;
    auto eventMap = std::make_unique<OccupancyMap>();
    auto resourceMap = std::make_unique<OccupancyMap>();
    const std::vector<CodeId> mine = eventMembers();
    int rebuild = 3;
    for (int i = 1; i <= m_d.resourceList[0]; ++i) {
        const CodeId r = m_d.resourceList[static_cast<std::size_t>(i)];
        if (member(mine, r))
            continue;
        if (canJoin(m_d, m_event, r, true, 1, rebuild, *eventMap, *resourceMap))
            out.push_back(r);
        rebuild = 1;
    }
    return out;
}

bool EventSplit::moving(int week, int day, int bell) const
{
    return std::ranges::any_of(m_slots, [&](const SplitSlot &s) {
        return !s.keep && s.week == week && s.day == day && s.bell == bell;
    });
}

std::vector<CodeId> EventSplit::newSelectable() const
{
    std::vector<CodeId> out;
    auto map = std::make_unique<OccupancyMap>();
    WeekAllocation work;
    for (int i = 1; i <= m_d.resourceList[0]; ++i) {
        const CodeId r = m_d.resourceList[static_cast<std::size_t>(i)];
        if (member(m_newMembers, r))
            continue;
        buildOccupancy(m_d, r, *map, true, work);
        const bool free = std::ranges::none_of(m_slots, [&](const SplitSlot &s) {
            return !s.keep && (map->mask(s.week, s.day) & (1u << (s.bell - 1)));
        });
        if (free)
            out.push_back(r);
    }
    return out;
}

bool EventSplit::newlySelectable(CodeId r) const
{
    return !member(eventMembers(), r) && !member(eventSelectable(), r);
}

bool EventSplit::slotLock() const
{
    const std::vector<CodeId> mine = eventMembers();
    return std::ranges::any_of(m_newMembers, [&](CodeId r) { return !member(mine, r); });
}

bool EventSplit::addMember(CodeId r, int after)
{
    if (static_cast<int>(m_newMembers.size()) >= MaxMembers || member(m_newMembers, r) ||
        !member(newSelectable(), r))
        return false;
    const int at = std::clamp(after, 0, static_cast<int>(m_newMembers.size()));
    m_newMembers.insert(m_newMembers.begin() + at, r);
    return true;
}

bool EventSplit::removeMember(int index)
{
    if (index < 1 || index > static_cast<int>(m_newMembers.size()))
        return false;
    if (m_newMembers.size() == 1) {
        m_p.infoDlg("You cannot remove the last resource.", 0, SplitHelpTopic);
        return false;
    }
    m_newMembers.erase(m_newMembers.begin() + index - 1);
    return true;
}

bool EventSplit::editNewCode(std::string_view text)
{
    const std::string code(text.substr(0, CodeLength));
    if (code == m_newCode)
        return true;
    if (findCode(m_d, code) != 0) {
        m_p.warnDlg(fillIn("Code \"{}\" already exists - the original code is retained.", code), 0,
                    SplitHelpTopic);
        return false;
    }
    if (!usableCode(code)) {
        m_p.warnDlg(fillIn("\"{}\" cannot be a code - the original code is retained.", code), 0,
                    SplitHelpTopic);
        return false;
    }
    m_newCode = code;
    return true;
}

CodeId EventSplit::split()
{
    if (!validCode(m_d, m_event) || movedCount() == 0 || keptCount() == 0 || m_newMembers.empty())
        return 0;
    // Everything that could refuse is asked before anything changes: the code (which another
    // command may have taken meanwhile), the room in the code table, the lock.
    if (findCode(m_d, m_newCode) != 0 || !usableCode(m_newCode)) {
        m_p.warnDlg(
            fillIn("Code \"{}\" already exists - the original code is retained.", m_newCode), 0,
            SplitHelpTopic);
        return 0;
    }
    if (m_d.codeCount >= MaxCodes) {
        m_p.warnDlg("The code table is full: no new event can be created.", 0, SplitHelpTopic);
        return 0;
    }
    if (!askToUnlock(m_d, m_p, m_event))
        return 0;

    // Codes renumber when one is inserted: remember the codes as texts.
    const std::string eventCode = codeText(m_d, m_event);
    std::vector<std::string> newMembers;
    for (const CodeId r : m_newMembers)
        newMembers.push_back(codeText(m_d, r));

    CodeRecord record = m_d.codes[m_event];
    record.code.assign(m_newCode);
    std::string name = newName.empty() ? m_d.codes[m_event].name.str() : newName;
    record.name.assign(name);
    record.firstLecture = 0;
    record.collectionPos = 0;
    record.scheduled = 0;
    int position = 0;
    for (int c = m_event + 1; c <= m_d.codeCount; ++c) {
        if (m_d.codes[static_cast<std::size_t>(c)].isEvent()) {
            position = c;
            break;
        }
    }
    if (insertCode(m_d, position, record) == 0) {
        m_p.warnDlg("The code table is full: no new event can be created.", 0, SplitHelpTopic);
        return 0;
    }
    const CodeId e = findCode(m_d, eventCode);
    const CodeId n = findCode(m_d, m_newCode);
    MemberList members{};
    for (const std::string &code : newMembers) {
        const CodeId r = findCode(m_d, code);
        if (r != 0 && members[0] < MaxMembers)
            members[++members[0]] = r;
    }
    setCollection(m_d, n, members);

    // The moved cells leave the original's periods and form the new event's timetable.
    WeekAllocation original;
    reloadWeekAllocation(m_d, e, original);
    std::array<int, WeekTableSize> moved{};
    auto newMap = std::make_unique<OccupancyMap>();
    newMap->reset(m_d);
    newMap->owner = ownWord(m_d, n);
    int movedCells = 0;
    rebuildTimetable(
        m_d, original, 0,
        [&](std::uint16_t, std::int16_t, OccupancyMap &cells) {
            for (const SplitSlot &s : m_slots) {
                const std::uint32_t bit = 1u << (s.bell - 1);
                if (s.keep || !(cells.mask(s.week, s.day) & bit))
                    continue; // a slot not in the schedule stays where it is
                cells.maskRef(s.week, s.day) &= ~bit;
                newMap->add(s.week, s.day, bit);
                ++moved[static_cast<std::size_t>(s.week)];
                ++movedCells;
            }
        },
        true);
    WeekAllocation created;
    created.code = n;
    for (int w = 1; w < WeekTableSize; ++w) {
        const auto i = static_cast<std::size_t>(w);
        original.allocated[i] =
            static_cast<std::uint8_t>(std::max(0, original.allocated[i] - moved[i]));
        created.allocated[i] = static_cast<std::uint8_t>(std::min(255, moved[i]));
        created.booked[i] = original.booked[i];
    }
    compressSchedule(m_d, *newMap, created, true);

    // The new event first: if the store cannot take it, it goes again and the original is as
    // it was; the original's smaller timetable never needs more room than it had.
    if (storeWeekAllocation(m_d, n, created) == 0 || storeWeekAllocation(m_d, e, original) == 0) {
        deleteCode(m_d, n);
        rebuildLists(m_d);
        m_p.warnDlg("The lecture store is full: the event was not split.", 0, SplitHelpTopic);
        build();
        return 0;
    }
    // The resources the two events share play the same roles in both.
    for (int i = 1; i <= members[0]; ++i) {
        const CodeId r = members[static_cast<std::size_t>(i)];
        if (const int role = roleOf(m_d, e, r); role != 0)
            setRole(m_d, n, r, m_d.roles[static_cast<std::size_t>(role)].id);
    }
    moveSlotComments(m_d, eventCode, m_newCode,
                     [&](int w, int day, int bell) { return moving(w, day, bell); });
    if (const std::string memo = memoText(m_d, eventCode); !memo.empty())
        setMemo(m_d, m_newCode, {memo});

    rebuildLists(m_d);
    const CodeId e2 = findCode(m_d, eventCode);
    const CodeId n2 = findCode(m_d, m_newCode);
    totals(m_d, e2, e2, true);
    totals(m_d, n2, n2, true);
    allResourceTotals(m_d);
    m_p.infoDlg(fillIn("A new event \"{}\" ({}h) was split from the event \"{}\".\r\n\r\n"
                       "Your file contains now {} events.",
                       m_newCode, movedCells, eventCode, m_d.eventList[0]),
                0, SplitHelpTopic);

    // The list again, and the event after the original.
    m_events = splittableEvents(m_d);
    const auto after = std::ranges::find_if(m_events, [&](CodeId c) { return c > e2 && c != n2; });
    m_event = after != m_events.end() ? *after : (m_events.empty() ? 0 : m_events.front());
    build();
    return n2;
}

} // namespace quivra
