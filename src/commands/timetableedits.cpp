#include "commands/timetableedits.h"

#include "commands/freeresources.h"
#include "commands/roomcommands.h"
#include "commands/textfill.h"
#include "engine/bookings.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "engine/placement.h"
#include "engine/slotsearch.h"
#include "engine/textutil.h"
#include "optimise/initialsolution.h"

#include <algorithm>
#include <bit>

namespace quivra {
namespace {

std::string quoted(const ScheduleData &d, CodeId c)
{
    return "\"" + formatCode(d, c, ShowCode) + "\"";
}

int daysOf(const ScheduleData &d)
{
    return std::clamp(usedDays(d), 0, MaxDays);
}

int bellsOf(const ScheduleData &d)
{
    return std::clamp(usedBells(d), 0, MaxBells);
}

std::string slotName(const ScheduleData &d, int day, int bell)
{
    std::string name = listItem(d.dayNames, day);
    if (name.empty())
        name = "Day " + std::to_string(day);
    return name + " " + std::to_string(bell);
}

std::string weekName(const ScheduleData &d, int w)
{
    return formatWeek(d, w, 3);
}

TimetableOutcome notOpen()
{
    return {false, "No timetables in this week", TimetablesGoTo::Nowhere};
}

bool contains(const std::vector<CodeId> &list, CodeId c)
{
    return std::find(list.begin(), list.end(), c) != list.end();
}

std::vector<CodeId> members(const ScheduleData &d, CodeId e)
{
    const MemberList list = collectionOf(d, e);
    const int n = std::clamp<int>(list[0], 0, MaxMembers);
    return {list.begin() + 1, list.begin() + 1 + n};
}

// The runs of a day's bell mask: (first bell, length) each.
std::vector<std::pair<int, int>> runsOf(std::uint32_t bells)
{
    std::vector<std::pair<int, int>> runs;
    while (bells != 0) {
        const int bell = std::countr_zero(bells) + 1;
        int length = 0;
        while (bell - 1 + length < 32 && (bells & (1u << (bell - 1 + length))))
            ++length;
        runs.emplace_back(bell, length);
        bells &= ~bellSpan(bell, bell + length - 1);
    }
    return runs;
}

// The current event's block at the current cell, or nothing when the cell holds no period of it.
MasterBlock currentBlock(const ScheduleData &d, const TimetablesSession &s)
{
    if (!s.isOpen() || s.event() == 0 || !s.matrix().event(s.event()))
        return {};
    const MasterBlock block = blockAt(d, s, s.current().day, s.current().bell);
    return block && block.event == s.event() ? block : MasterBlock{};
}

std::string scopeText(RoomScope scope)
{
    switch (scope) {
    case RoomScope::Slot:
        return "[SLOT]";
    case RoomScope::Block:
        return "[BLOCK]";
    case RoomScope::ThisWeek:
        return "[THIS WEEK]";
    case RoomScope::NextWeeks:
        return "[NEXT WEEKS]";
    case RoomScope::AllWeeks:
        return "[ALL WEEKS]";
    }
    return {};
}

// The room given manually to event e at the slot, 0 when none.
CodeId manualRoomAt(const ScheduleData &d, CodeId e, int week, int day, int bell)
{
    const int k = findTriple(d, week, day, bell, 0, 0, e);
    return k > 0 ? manualTriple(d, k).room : 0;
}

} // namespace

// ----- manual rooms when scheduling -------------------------------------------------------------

std::vector<RoomClash> manualRoomClashes(const ScheduleData &d, CodeId e, int week, int day,
                                         int bell, int length)
{
    std::vector<RoomClash> clashes;
    const std::vector<CodeId> collection = members(d, e);
    const int n = manualTripleCount(d);
    for (int k = 1; k <= n; ++k) {
        const ManualTriple t = manualTriple(d, k);
        if (t.room == 0 || manualWeek(t.slot) != week || manualDay(t.slot) != day ||
            manualBell(t.slot) < bell || manualBell(t.slot) >= bell + length)
            continue;
        if (t.event == e || contains(collection, t.room))
            clashes.push_back({k, t.event, t.room, day, manualBell(t.slot)});
    }
    return clashes;
}

std::optional<std::vector<int>> askRoomOverwrite(const ScheduleData &d, Prompter &p, CodeId e,
                                                 int week, int day, int bell, int length)
{
    std::vector<int> triples;
    for (const RoomClash &c : manualRoomClashes(d, e, week, day, bell, length)) {
        const bool overwrite = p.yesNoDlg(
            fillIn("Event \"{}\"{}is manually scheduled to room \"{}\",{}at {}.{}{}Overwrite it?",
                   formatCode(d, c.event, ShowCodeAndName), "\n", formatCode(d, c.room, ShowCode),
                   "\n", slotName(d, c.day, c.bell) + ", " + weekName(d, week), "\n", "\n"));
        if (!overwrite)
            return std::nullopt;
        triples.push_back(c.triple);
    }
    return triples;
}

bool clearTripleRooms(ScheduleData &d, const std::vector<int> &triples)
{
    bool cleared = false;
    for (const int k : triples) {
        if (k < 1 || k > manualTripleCount(d))
            continue;
        std::uint16_t &room = d.manualRooms[3 * (k - 1) + 3];
        if (room != 0) {
            room = 0;
            cleared = true;
        }
    }
    if (cleared)
        d.modified = true;
    return cleared;
}

// ----- rooms of the current event and slot ------------------------------------------------------

std::vector<SlotRoom> slotRooms(const ScheduleData &d, const TimetablesSession &s)
{
    std::vector<SlotRoom> rooms;
    const MasterBlock block = currentBlock(d, s);
    if (!block)
        return rooms;
    const CodeId e = block.event;
    const int week = s.week();
    const int day = s.current().day, bell = s.current().bell;
    std::vector<CodeId> slot = availableRooms(d, e, week, day, bell);
    const CodeId manual = manualRoomAt(d, e, week, day, bell);
    if (manual != 0 && !contains(slot, manual))
        slot.insert(slot.begin(), manual);
    const std::vector<CodeId> inBlock =
        availableRoomsForBlock(d, e, week, day, block.bell, block.bell + block.length - 1);
    // This week: free in every block of the event in the week.
    std::vector<CodeId> thisWeek = inBlock;
    const MatrixEvent *ev = s.matrix().event(e);
    for (int dd = 1; dd <= daysOf(d); ++dd)
        for (const auto &[first, length] :
             runsOf(ev->cells[static_cast<std::size_t>(dd)] & bellSpan(1, bellsOf(d)))) {
            const std::vector<CodeId> free =
                availableRoomsForBlock(d, e, week, dd, first, first + length - 1);
            std::erase_if(thisWeek, [&](CodeId r) { return !contains(free, r); });
        }
    const std::vector<CodeId> next = roomsThatCanJoin(d, e, week);
    const std::vector<CodeId> all = roomsThatCanJoin(d, e, 1);
    const std::vector<CodeId> collection = members(d, e);
    for (const CodeId r : slot) {
        SlotRoom room;
        room.room = r;
        room.manual = r == manual;
        room.inEvent = contains(collection, r);
        if (contains(inBlock, r) || room.manual)
            room.scope = RoomScope::Block;
        if (room.scope == RoomScope::Block && contains(thisWeek, r))
            room.scope = RoomScope::ThisWeek;
        if (room.scope == RoomScope::ThisWeek && contains(next, r))
            room.scope = RoomScope::NextWeeks;
        if (room.scope == RoomScope::NextWeeks && contains(all, r))
            room.scope = RoomScope::AllWeeks;
        room.line = formatCode(d, r, ShowCodeAndName) + " " + scopeText(room.scope) +
                    (room.manual ? " (MSR: Manually Selected Room)" : "");
        rooms.push_back(std::move(room));
    }
    return rooms;
}

namespace {

// Puts `room` into event e's collection: in place of one of its rooms (one logged step in the
// matrix) or as a new room (the week's matrix is built again), after asking which and whether
// to go on.
TimetableOutcome chooseEventRoom(ScheduleData &d, TimetablesSession &s, Prompter &p, CodeId e,
                                 const SlotRoom &room)
{
    std::vector<CodeId> own;
    for (const CodeId r : members(d, e))
        if (categoryOf(d, r) == d.roomsCategory)
            own.push_back(r);
    const std::string code = formatCode(d, room.room, ShowCode);
    CodeId from = 0; // 0: added as a new room
    if (!own.empty()) {
        std::vector<std::string> lines;
        for (const CodeId r : own)
            lines.push_back(formatCode(d, r, ShowCodeAndName));
        lines.push_back(fillIn("add new room \"{}\"", code));
        const int chosen =
            p.selectLine("Replace/add room",
                         fillIn("Which room do you like to replace with \"{}\" ?", code), lines);
        if (chosen == 0)
            return {};
        if (chosen <= static_cast<int>(own.size()))
            from = own[static_cast<std::size_t>(chosen - 1)];
    }
    std::string warning;
    if (room.scope < RoomScope::NextWeeks)
        warning = "\n- conflicts for the next and previous weeks may occur";
    else if (room.scope == RoomScope::NextWeeks)
        warning = "\n- conflicts for the previous weeks may occur";
    const std::string action =
        from ? fillIn("replace room \"{}\" with \"{}\"", formatCode(d, from, ShowCode), code)
             : fillIn("add new room \"{}\"", code);
    if (!p.yesNoDlg("Do you want to " + action + warning + "?"))
        return {};
    if (from) {
        if (!s.matrix().replaceResource(d, e, from, room.room))
            return {false, "The room could not be replaced.", TimetablesGoTo::Nowhere};
    } else {
        MemberList list = collectionOf(d, e);
        if (list[0] >= MaxMembers)
            return {false, "The resource list is full.", TimetablesGoTo::Nowhere};
        list[static_cast<std::size_t>(++list[0])] = room.room;
        if (setCollection(d, e, list) != list[0])
            return {false, "The room could not be added.", TimetablesGoTo::Nowhere};
        s.open(d, s.week());
    }
    const std::string done =
        from ? fillIn("Room \"{}\" replaced with \"{}\" in {}.", formatCode(d, from, ShowCode),
                      code, quoted(d, e))
             : fillIn("Room \"{}\" added to {}.", code, quoted(d, e));
    return {true, done, TimetablesGoTo::Nowhere};
}

TimetableOutcome noRooms(const ScheduleData &d, Prompter &p)
{
    p.infoDlg(fillIn("You have not defined any rooms. Add resources to category \"{}\" or change "
                     "the default room category.",
                     listItem(d.resourceCategories.view(), d.roomsCategory)));
    return {};
}

TimetableOutcome noEventCell()
{
    return {false, "Click a period of the current event first.", TimetablesGoTo::Nowhere};
}

} // namespace

TimetableOutcome checkAvailableRooms(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen())
        return notOpen();
    if (!hasRooms(d))
        return noRooms(d, p);
    if (!currentBlock(d, s))
        return noEventCell();
    const CodeId e = s.event();
    const std::vector<SlotRoom> rooms = slotRooms(d, s);
    if (rooms.empty()) {
        p.infoDlg("[No rooms available]");
        return {};
    }
    int allWeeks = 0, nextWeeks = 0, thisWeek = 0;
    std::vector<std::string> lines;
    for (const SlotRoom &r : rooms) {
        allWeeks += r.scope == RoomScope::AllWeeks ? 1 : 0;
        nextWeeks += r.scope >= RoomScope::NextWeeks ? 1 : 0;
        thisWeek += r.scope >= RoomScope::ThisWeek ? 1 : 0;
        lines.push_back(r.line);
    }
    const SlotPos at = s.current();
    const std::string title = fillIn(
        "Rooms free for {} at {}, {}:{}[ALL WEEKS={}, NEXT WEEKS={}, THIS WEEK={}]", quoted(d, e),
        slotName(d, at.day, at.bell), weekName(d, s.week()), "\n", allWeeks, nextWeeks, thisWeek);
    const int chosen = p.selectLine("Available rooms", title, lines);
    if (chosen == 0)
        return {};
    return chooseEventRoom(d, s, p, e, rooms[static_cast<std::size_t>(chosen - 1)]);
}

TimetableOutcome selectRoomManually(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen())
        return notOpen();
    if (!hasRooms(d))
        return noRooms(d, p);
    if (!currentBlock(d, s))
        return noEventCell();
    const CodeId e = s.event();
    if (hasRoomResource(d, e))
        return checkAvailableRooms(d, s, p);
    const int week = s.week();
    const SlotPos at = s.current();
    ManualRoomUsage usage = manualRoomUsage(d);
    const int used = usage.assigned + usage.empty;
    if (used * 4 >= ManualRoomCapacity * 3)
        p.infoDlg(fillIn(
            "You have used {} slots (out of the maximum capacity of {} slots) in \"Tools|Select "
            "rooms manually\".{}{}Go to \"Tools|Select rooms manually\" and use the following "
            "tools to filter your data:{}a) reselect \"First included week\" and \"Last included "
            "week\",{}b) click the \"Capacity\" button,{}c) click the \"Include event "
            "categories\" button.",
            used, ManualRoomCapacity, "\n", "\n", "\n", "\n", "\n"));
    const CodeId selected = manualRoomAt(d, e, week, at.day, at.bell);
    std::vector<CodeId> offered = availableRooms(d, e, week, at.day, at.bell);
    std::erase(offered, selected);
    std::vector<std::string> lines;
    for (const CodeId r : offered)
        lines.push_back(fillIn("{} ({}x)", formatCode(d, r, ShowCode),
                               r < static_cast<int>(usage.perRoom.size())
                                   ? usage.perRoom[static_cast<std::size_t>(r)]
                                   : 0));
    const std::string title =
        fillIn("{} available rooms for event{}\"{}\"{}at {}, {}", static_cast<int>(offered.size()),
               "\n", formatCode(d, e, ShowCodeAndName), "\n", weekName(d, week),
               slotName(d, at.day, at.bell)) +
        " " + (selected ? "[" + formatCode(d, selected, ShowCode) + "]" : "(no room selected)") +
        fillIn("{}[All manually scheduled slots: {} out of {}]", "\n", usage.assigned, used);
    if (offered.empty()) {
        p.infoDlg(title + "\n\nAvailable rooms: -");
        return {};
    }
    const int chosen =
        p.selectLine(selected ? "Replace selected room" : "Add new room", title, lines);
    if (chosen == 0)
        return {};
    const CodeId room = offered[static_cast<std::size_t>(chosen - 1)];
    if (assignRoom(d, e, week, at.day, at.bell, room) != AssignOutcome::Assigned)
        return {false, "The room could not be selected for this slot.", TimetablesGoTo::Nowhere};
    int given = 1;
    // The event's other cells of the week.
    std::vector<SlotPos> others;
    const MatrixEvent *ev = s.matrix().event(e);
    for (int day = 1; day <= daysOf(d); ++day)
        for (int bell = 1; bell <= bellsOf(d); ++bell)
            if ((ev->cells[static_cast<std::size_t>(day)] & (1u << (bell - 1))) &&
                !(day == at.day && bell == at.bell))
                others.push_back({day, bell});
    if (!others.empty() &&
        p.yesNoDlg(fillIn("Do you want to set \"{}\" also to other slots of \"{}\" on this week?",
                          formatCode(d, room, ShowCode), formatCode(d, e, ShowCode)))) {
        for (const SlotPos &o : others)
            given += assignRoom(d, e, week, o.day, o.bell, room) == AssignOutcome::Assigned ? 1 : 0;
    }
    return {true,
            fillIn("Room \"{}\" selected for {} slot(s) of {}.", formatCode(d, room, ShowCode),
                   given, quoted(d, e)),
            TimetablesGoTo::Nowhere};
}

// ----- the event's structure ---------------------------------------------------------------------

TimetableOutcome editEventStructure(ScheduleData &d, TimetablesSession &s, Prompter &p, CodeId e,
                                    int category, const CollectionsSession &session)
{
    if (!s.isOpen())
        return notOpen();
    if (!validCode(d, e) || !isEventCode(d, e))
        return {false, "Select an event first.", TimetablesGoTo::Nowhere};
    const int week = s.week();
    const MemberList before = collectionOf(d, e);
    const MatrixEvent *was = s.matrix().event(e);
    const MatrixEvent old = was ? *was : MatrixEvent{};
    CollectionsEditor editor(d, p, CollectionsMode::Event, e);
    if (category != 0)
        editor.setFilter(category);
    session(editor);
    if (editor.commits() == 0 && !editor.cancelDisabled())
        return {};
    const MemberList after = collectionOf(d, e);
    // The event's periods of the week as they are now.
    WeekMatrix fresh;
    fresh.build(d, week);
    const MatrixEvent *now = fresh.event(e);
    const bool samePeriods = (now == nullptr) == (was == nullptr) &&
                             (!now || (now->allowed == old.allowed && now->placed == old.placed &&
                                       now->cells == old.cells));
    if (before == after && samePeriods)
        return {true, {}, TimetablesGoTo::Nowhere};
    // Resources exchanged in place are replayed through the matrix, so Undo takes them back.
    std::vector<std::pair<CodeId, CodeId>> swaps;
    bool inPlace = before[0] == after[0] && samePeriods && was;
    for (int i = 1; inPlace && i <= std::min<int>(before[0], MaxMembers); ++i) {
        if (before[i] == after[i])
            continue;
        const auto in = [](const MemberList &list, CodeId c) {
            return positionInList(c, list) > 0;
        };
        inPlace = !in(after, before[i]) && !in(before, after[i]);
        swaps.emplace_back(before[i], after[i]);
    }
    if (inPlace && !swaps.empty() && setCollection(d, e, before) == before[0]) {
        bool replayed = true;
        for (const auto &[from, to] : swaps)
            replayed = replayed && s.matrix().replaceResource(d, e, from, to);
        if (replayed && collectionOf(d, e) == after)
            return {true,
                    fillIn("{} resource(s) of {} replaced.", static_cast<int>(swaps.size()),
                           quoted(d, e)),
                    TimetablesGoTo::Nowhere};
        setCollection(d, e, after); // what the editor stored stands
    }
    s.open(d, week);
    return {true, "The timetables of this week were built again.", TimetablesGoTo::Nowhere};
}

std::vector<WhatIfOption> whatIfOptions(const ScheduleData &d, const TimetablesSession &s)
{
    std::vector<WhatIfOption> options;
    const CodeId e = s.event();
    if (!s.isOpen() || !s.matrix().event(e))
        return options;
    const FreeCells scores = s.scoresOf(d, e);
    const BlockerGroups groups = blockerGroups(d, s.matrix(), e, scores);
    for (const BlockerGroup &g : groups.groups) {
        WhatIfOption o;
        o.blocker = lectureCode(d, g.word);
        o.resource = g.resource;
        o.freeNow = groups.freeCells;
        o.gained = g.cells;
        o.line =
            fillIn("*{} : {} ({} -> ?) {}+{} = {} free slots", static_cast<int>(options.size()) + 1,
                   formatCode(d, o.blocker, ShowCode), formatCode(d, o.resource, ShowCode),
                   o.freeNow, o.gained, o.freeNow + o.gained);
        options.push_back(std::move(o));
    }
    return options;
}

TimetableOutcome whatIf(ScheduleData &d, TimetablesSession &s, Prompter &p,
                        const CollectionsSession &session)
{
    if (!s.isOpen())
        return notOpen();
    const CodeId e = s.event();
    if (!s.matrix().event(e))
        return {false, "Select an event to schedule", TimetablesGoTo::Nowhere};
    const std::vector<WhatIfOption> options = whatIfOptions(d, s);
    if (options.empty()) {
        p.infoDlg(
            fillIn("No single event blocks the free slots of {} in this week.", quoted(d, e)));
        return {};
    }
    std::vector<std::string> lines;
    int least = options.front().gained, most = least;
    for (const WhatIfOption &o : options) {
        lines.push_back(o.line);
        least = std::min(least, o.gained);
        most = std::max(most, o.gained);
    }
    const std::string title =
        fillIn("\"What if\" options ({}):{}Replacing the shown event resource{}can add ({}...{}) "
               "free slots to schedule periods{}of event {} in the timetable",
               static_cast<int>(options.size()), "\n\n", "\n", least, most, "\n", quoted(d, e));
    const int chosen = p.selectLine("Find What if? solutions", title, lines);
    if (chosen == 0)
        return {};
    const WhatIfOption &o = options[static_cast<std::size_t>(chosen - 1)];
    return editEventStructure(d, s, p, o.blocker, categoryOf(d, o.resource), session);
}

// ----- free resources -------------------------------------------------------------------------

TimetableOutcome showFreeTimetables(ScheduleData &d, TimetablesSession &s, Prompter &p,
                                    CellArea area, FreeScope scope)
{
    if (!s.isOpen())
        return notOpen();
    const int day1 = std::clamp(std::min(area.day1, area.day2), 1, std::max(daysOf(d), 1));
    const int day2 = std::clamp(std::max(area.day1, area.day2), day1, std::max(daysOf(d), 1));
    const int bell1 = std::clamp(std::min(area.bell1, area.bell2), 1, std::max(bellsOf(d), 1));
    const int bell2 = std::clamp(std::max(area.bell1, area.bell2), bell1, std::max(bellsOf(d), 1));
    CodeId chosen = 0;
    if (scope != FreeScope::Expanded) {
        const int category =
            scope == FreeScope::MasterCategory && s.master() ? categoryOf(d, s.master()) : 0;
        chosen = showFreeResources(d, p, s.week(), day1, bell1, day2, bell2, category);
    } else {
        // Every timetable free in at least one slot of the area, the freest first.
        const WeekMatrix &m = s.matrix();
        const int cells = (day2 - day1 + 1) * (bell2 - bell1 + 1);
        std::vector<std::pair<int, CodeId>> found;
        for (int row = 1; row <= m.rowCount(); ++row) {
            int free = 0;
            for (int day = day1; day <= day2; ++day)
                for (int bell = bell1; bell <= bell2; ++bell)
                    free += m.cell(row, day, bell) == 0 ? 1 : 0;
            if (free > 0)
                found.emplace_back(free, m.resourceOfRow(row));
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const auto &a, const auto &b) { return a.first > b.first; });
        const std::string heading = fillIn(
            "Free resources (of \"All categories\") in {} slot(s) of the time range:{}{} - "
            "{}, {}",
            cells, "\n", slotName(d, day1, bell1), slotName(d, day2, bell2), weekName(d, s.week()));
        if (found.empty()) {
            p.infoDlg(heading + "\n\n--- No free resources found ---");
            return {};
        }
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < found.size(); ++i)
            lines.push_back(fillIn("{}: {} ({} of {} slots)", static_cast<int>(i) + 1,
                                   formatCode(d, found[i].second, ShowCodeAndName), found[i].first,
                                   cells));
        const int line = p.selectLine(fillIn("{} free resource(s)", static_cast<int>(found.size())),
                                      heading, lines);
        chosen = line > 0 ? found[static_cast<std::size_t>(line - 1)].second : 0;
    }
    if (chosen == 0 || chosen == s.master())
        return {};
    s.setMaster(chosen);
    return {false, fillIn("{} is now the active timetable.", quoted(d, chosen)),
            TimetablesGoTo::Nowhere};
}

// ----- copy to later weeks
// ------------------------------------------------------------------------

TimetableOutcome copyTimetableToWeeks(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen() || s.masterRow() == 0)
        return notOpen();
    const WeekMatrix &m = s.matrix();
    const int week = s.week();
    const int row = s.masterRow();
    const CodeId master = s.master();
    if (week >= usedWeeks(d)) {
        p.infoDlg("There are no subsequent weeks to copy to.");
        return {};
    }
    // What the master timetable holds this week.
    std::vector<CodeId> events;
    int periods = 0;
    for (const TimetableEventLine &line : timetableEvents(d, s))
        if (line.scheduled > 0) {
            events.push_back(line.event);
            periods += line.scheduled;
        }
    int bookings = 0;
    for (int day = 1; day <= daysOf(d); ++day)
        for (int bell = 1; bell <= bellsOf(d); ++bell) {
            const CellWord w = m.cell(row, day, bell);
            bookings += isBookingCell(w) && cellCode(d, w) == master ? 1 : 0;
        }
    const CodeId active = s.event();
    const MatrixEvent *ev = m.event(active);
    const int activePeriods = ev && contains(events, active) ? ev->placed : 0;
    const std::string notAvailable = "Not available";
    const std::string list =
        (activePeriods > 0 ? fillIn("Active event (\"{}\", {} periods scheduled)",
                                    formatCode(d, active, ShowCode), activePeriods)
                           : notAvailable) +
        "$" +
        (periods > 0 ? fillIn("All {} events ({} periods scheduled)",
                              static_cast<int>(events.size()), periods)
                     : notAvailable) +
        "$" + (bookings > 0 ? fillIn("All bookings ({} periods)", bookings) : notAvailable) + "$" +
        (periods > 0 && bookings > 0
             ? fillIn("All events and bookings ({} + {} periods)", periods, bookings)
             : notAvailable) +
        "$";
    const int item = p.choice(fillIn("{}{}Select the items to copy to subsequent weeks:",
                                     formatCode(d, master, ShowCodeAndName), "\n\n"),
                              0, activePeriods > 0 ? 1 : 2, list);
    const bool withEvents = item == 1 || item == 2 || item == 4;
    const bool withBookings = item == 3 || item == 4;
    if (item == 0 || (item == 1 && activePeriods == 0) || (item == 2 && periods == 0) ||
        (item == 3 && bookings == 0) || (item == 4 && (periods == 0 || bookings == 0)))
        return {};
    const int last = usedWeeks(d);
    const int first = p.pickWeek(d, week + 1, "Select the first week to copy to", last, week + 1);
    if (first == 0)
        return {};
    const int to = p.pickWeek(d, last, "Select the last week to copy to", last, week + 1);
    if (to == 0)
        return {};
    if (to < first) {
        p.infoDlg("The last week cannot be smaller than the first week.");
        return {};
    }
    const int clear =
        p.yesNoCancelDlg(fillIn("Clear previously scheduled periods of the selected event(s) "
                                "and/or bookings{}from the target week(s) before copying?",
                                "\n"));
    if (clear == Answer::Cancel)
        return {};
    int adjust = Answer::No;
    if (withEvents) {
        adjust = p.yesNoCancelDlg("Do you allow to adjust the allocated periods of the target "
                                  "week(s)?");
        if (adjust == Answer::Cancel)
            return {};
    }
    // The active event alone may be unlocked for the copy; of all events the locked ones stay.
    if (item == 1 && !lockGuard(d, active, [&](CodeId e) {
            return p.yesNoDlg("You cannot change the event\n\n\"" +
                              formatCode(d, e, ShowCodeAndName) +
                              "\"\n\nbefore it is unlocked.\n\n"
                              "Select [Yes] to unlock it now, [No] to leave it locked.");
        }))
        return {};
    const int weeks = to - first + 1;
    int copied = 0, offered = 0, bookingsCopied = 0;
    if (withEvents) {
        const std::vector<CodeId> chosen = item == 1 ? std::vector<CodeId>{active} : events;
        WeekCopyOptions options;
        options.replace = clear == Answer::Yes;
        options.ignoreAllocation = adjust == Answer::Yes;
        for (const CodeId e : chosen) {
            offered += m.event(e)->placed * weeks;
            if (isLockedCode(d, e))
                continue; // a locked event keeps every week as it is
            WeekAllocation wa;
            loadWeekAllocation(d, e, wa);
            const int n = copyWeekTimetable(d, wa, week, first, to, options);
            if (n > 0)
                copyRoomToWeeks(d, e, week, first, to, true);
            copied += n;
        }
    }
    if (withBookings)
        bookingsCopied = copyBookingsToWeeks(d, master, week, first, to, clear == Answer::Yes);
    const std::string range =
        first == to ? weekName(d, first) : weekName(d, first) + "-" + weekName(d, to);
    p.infoDlg(fillIn("{} (out of {}) periods and {} (out of {}) bookings copied to {}.", copied,
                     offered, bookingsCopied, withBookings ? bookings * weeks : 0, range));
    // Only later weeks changed: the matrix of this week and its log still hold.
    return {copied > 0 || bookingsCopied > 0 || clear == Answer::Yes, {}, TimetablesGoTo::Nowhere};
}

// ----- quick optimisation --------------------------------------------------------------------

RemainingAnswer scheduleRemainingFirst(ScheduleData &d, TimetablesSession &s, Prompter &p)
{
    if (!s.isOpen())
        return RemainingAnswer::Optimise;
    const WeekTotals totals = s.matrix().weekTotals(d);
    const int left = totals.allowed - totals.placed;
    if (left <= 0)
        return RemainingAnswer::Optimise;
    const int answer = p.yesNoCancelDlg(
        fillIn("{} out of {} periods have not yet been scheduled. Quivra can schedule these "
               "automatically before optimising or you can do it manually afterwards.{}{}Would "
               "you like Quivra to schedule the remaining {} periods now? (This cannot be "
               "undone.)",
               left, totals.allowed, "\n", "\n", left));
    if (answer == Answer::Cancel)
        return RemainingAnswer::Stop;
    if (answer == Answer::No)
        return RemainingAnswer::Optimise;
    // The week's events with periods left are the run's selection; the marks are put back after.
    const int week = s.week();
    std::vector<std::uint16_t> marks(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c)
        marks[static_cast<std::size_t>(c)] = d.codes[c].flags & 1;
    clearMarks(d, 1, d.codeCount, 1);
    for (const CodeId e : s.matrix().weekEvents()) {
        const MatrixEvent *ev = s.matrix().event(e);
        if (ev && ev->placed < ev->allowed)
            setMarks(d, e, e, 1);
    }
    InitialSettings settings = defaultInitialSettings(d);
    settings.range.startWeek = settings.range.endWeek = static_cast<std::uint8_t>(week);
    runInitialSolution(d, settings, {});
    for (int c = 1; c <= d.codeCount; ++c)
        d.codes[c].flags = static_cast<std::uint16_t>((d.codes[c].flags & ~1u) |
                                                      marks[static_cast<std::size_t>(c)]);
    s.open(d, week);
    settleTotals(d);
    const int after = s.matrix().weekTotals(d).allowed - s.matrix().weekTotals(d).placed;
    return p.yesNoDlg(fillIn("{} of the unscheduled {} periods were scheduled automatically.{}{}"
                             "Continue with optimisation?",
                             std::max(left - after, 0), left, "\n", "\n"))
               ? RemainingAnswer::Optimise
               : RemainingAnswer::Stop;
}

} // namespace quivra
