#include "commands/roomcommands.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

namespace quivra {
namespace {

// Lines the list of slots without rooms shows before it counts the rest.
constexpr int ListedWaitingSlots = 30;

std::string codeOf(const ScheduleData &d, CodeId c)
{
    if (c < 1 || c > d.codeCount)
        return {};
    return std::string(d.codes[c].code.view());
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// A category item "R:Rooms" without its letter.
std::string categoryTitle(std::string_view list, int k)
{
    const std::string item = listItem(list, k);
    const std::size_t colon = item.find(':');
    return colon == std::string::npos ? item : item.substr(colon + 1);
}

std::string slotText(const ScheduleData &d, std::uint16_t slot)
{
    return "Week " + formatWeek(d, manualWeek(slot), 3) + ", " +
           formatDayBell(d, manualDay(slot), manualBell(slot), 1);
}

std::vector<ManualTriple> triplesIn(const ScheduleData &d, WeekSpan weeks)
{
    std::vector<ManualTriple> out;
    for (int k = 1; k <= manualTripleCount(d); ++k) {
        const ManualTriple t = manualTriple(d, k);
        const int w = manualWeek(t.slot);
        if (w >= weeks.first && w <= weeks.last && manualDay(t.slot) != 0 &&
            manualBell(t.slot) != 0 && isEventCode(d, t.event))
            out.push_back(t);
    }
    return out;
}

} // namespace

bool hasRooms(const ScheduleData &d)
{
    const int n = std::min<int>(d.resourceList[0], MaxCodes);
    for (int i = 1; i <= n; ++i)
        if (categoryOf(d, d.resourceList[i]) == d.roomsCategory)
            return true;
    return false;
}

// ---- compaction and imitation -------------------------------------------------------------

bool PromptedRoomDialogue::confirmCompact(int assigned, int empty, int capacity)
{
    return m_p.yesNoDlg(std::to_string(assigned) + " room assignments plus " +
                        std::to_string(empty) + " empty slots of the maximum capacity of " +
                        std::to_string(capacity) + " slots used.\r\n" +
                        "Do you want to compact them automatically to improve performance and "
                        "minimise your work?");
}

ManualRoomDialogue::Answer PromptedRoomDialogue::askAddRoom(CodeId event, CodeId room, int)
{
    const std::string e = quoted(codeOf(m_d, event));
    const std::string r = quoted(codeOf(m_d, room));
    const int answer = m_p.dlg(
        "You can add room " + r + " to event " + e + " as a room resource and\r\nremove " + e +
            " from the list of manual rooms, since the same room is used in all its slots."
            "\r\n\r\nSelect [Yes] to accept, [No] to reject and [All] to accept all similar "
            "changes without asking. Select [Cancel] to stop.",
        0, 0, Buttons::Yes | Buttons::No | Buttons::All | Buttons::Cancel, DialogKind::Confirm);
    switch (answer) {
    case quivra::Answer::Yes:
        return ManualRoomDialogue::Answer::Yes;
    case quivra::Answer::No:
        return ManualRoomDialogue::Answer::No;
    case quivra::Answer::All:
        return ManualRoomDialogue::Answer::All;
    default: // Cancel, or the window closed
        return ManualRoomDialogue::Answer::Cancel;
    }
}

bool PromptedRoomDialogue::chooseCombinations(std::vector<RoomCombination> &combinations,
                                              int waiting)
{
    const std::string head = "\r\nYou have used the " + std::to_string(combinations.size()) +
                             " event and room combinations below in scheduling.\r\n";
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < combinations.size(); ++i) {
        const RoomCombination &c = combinations[i];
        const int hours =
            c.event >= 1 && c.event <= m_d.codeCount ? m_d.codes[c.event].scheduled : 0;
        lines.push_back(
            std::to_string(i + 1) + ": " + quoted(codeOf(m_d, c.event)) + " (" +
            std::to_string(hours) + " h) assigned " + std::to_string(c.uses) + " times to " +
            quoted(codeOf(m_d, c.room)) +
            (c.waiting > 0 ? " (-" + std::to_string(c.waiting) + " slots)" : std::string(" (Ok)")));
    }
    if (waiting == 0) {
        std::string text = head;
        for (const std::string &line : lines)
            text += line + "\r\n";
        m_p.infoDlg(text + "\r\nYou have assigned all events to rooms. Click [OK] to exit.");
        return false;
    }
    OptionsRequest request;
    request.caption = "Currently used event and room combinations";
    request.question = head + "Select the combinations you accept to be used for the remaining " +
                       std::to_string(waiting) +
                       " slots.\r\nClick [OK] to accept and [Cancel] to reject automatic room "
                       "assignments.";
    request.multiple = true;
    request.columns = 0;
    for (std::size_t i = 0; i < combinations.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        request.options.push_back({number, lines[i]});
        if (combinations[i].waiting > 0)
            request.checked.push_back(number);
    }
    const std::optional<std::vector<int>> chosen = m_p.checkList(request);
    if (!chosen)
        return false;
    for (int number : *chosen)
        combinations[static_cast<std::size_t>(number) - 1].accepted = true;
    return true;
}

void PromptedRoomDialogue::inform(const std::string &text)
{
    m_p.infoDlg(text);
}

// ---- the dialog ----------------------------------------------------------------------------

bool RoomsDialogState::open()
{
    if (!hasRooms(m_d)) {
        m_p.infoDlg("You have not defined any rooms. Add resources to category " +
                    quoted(categoryTitle(m_d.resourceCategories.view(), m_d.roomsCategory)) +
                    " or change the default room category.");
        return false;
    }
    const WeekSpan span = weeks();
    validityCleanup(m_d, span.first, span.last);
    const SlotListResult built = buildSlotList(m_d, span.first, span.last);
    if (built.missing > 0)
        m_p.warnDlg(capacityText(built.used));
    const int used = manualTripleCount(m_d);
    if (used * 4 >= ManualRoomCapacity * 3) {
        if (!m_memory.noticeAsked) {
            m_memory.noticeAsked = true;
            m_memory.notify = m_p.yesNoDlg(
                "Do you want to see these notifications automatically if 75% of the capacity "
                "is used?\r\n\r\n(You can see it later on by clicking the \"Capacity\" button)");
        }
        if (m_memory.notify)
            compact();
    }
    rebuild();
    return true;
}

WeekSpan RoomsDialogState::weeks() const
{
    return includedWeeks(m_d);
}

int RoomsDialogState::weeksInUse() const
{
    return std::max(1, usedWeeks(m_d));
}

std::string RoomsDialogState::weekLabel(int w) const
{
    const std::string name = trim(formatWeek(m_d, w, 2));
    return name.empty() || name == std::to_string(w) ? std::to_string(w)
                                                     : std::to_string(w) + ": " + name;
}

std::string RoomsDialogState::caption() const
{
    const ManualRoomUsage u = manualRoomUsage(m_d);
    return "Select rooms manually (" + std::to_string(u.assigned) + " assigned + " +
           std::to_string(u.empty) + " empty = " + std::to_string(u.assigned + u.empty) + " slots)";
}

std::string RoomsDialogState::usageText() const
{
    const ManualRoomUsage u = manualRoomUsage(m_d);
    return std::to_string(u.assigned) + " assigned + " + std::to_string(u.empty) +
           " empty slots out of " + std::to_string(ManualRoomCapacity);
}

void RoomsDialogState::rebuild()
{
    const ManualTriple chosen = m_current >= 0 && m_current < static_cast<int>(m_lines.size())
                                    ? m_lines[static_cast<std::size_t>(m_current)].triple
                                    : ManualTriple{};
    std::vector<ManualTriple> triples = triplesIn(m_d, weeks());
    std::stable_sort(triples.begin(), triples.end(),
                     [](const ManualTriple &a, const ManualTriple &b) {
                         return std::tie(a.slot, a.event) < std::tie(b.slot, b.event);
                     });
    m_lines.clear();
    m_current = -1;
    for (const ManualTriple &t : triples) {
        if (t.slot == chosen.slot && t.event == chosen.event)
            m_current = static_cast<int>(m_lines.size());
        m_lines.push_back({t, slotText(m_d, t.slot) + ": " + codeOf(m_d, t.event) + " - " +
                                  (t.room != 0 ? codeOf(m_d, t.room) : std::string("?"))});
    }
    if (m_current < 0 && !m_lines.empty())
        m_current = 0;
    choose(m_current);
}

void RoomsDialogState::choose(int line)
{
    m_offers.clear();
    if (line < 0 || line >= static_cast<int>(m_lines.size())) {
        m_current = -1;
        return;
    }
    m_current = line;
    const ManualTriple &t = m_lines[static_cast<std::size_t>(line)].triple;
    const ManualRoomUsage usage = manualRoomUsage(m_d);
    for (CodeId room :
         availableRooms(m_d, t.event, manualWeek(t.slot), manualDay(t.slot), manualBell(t.slot))) {
        const int uses =
            room < usage.perRoom.size() ? usage.perRoom[static_cast<std::size_t>(room)] : 0;
        m_offers.push_back({room, codeOf(m_d, room) + " (" + std::to_string(uses) + "x)"});
    }
}

std::string RoomsDialogState::offersTitle() const
{
    if (m_offers.empty())
        return "Available rooms: -";
    const ManualTriple &t = m_lines[static_cast<std::size_t>(m_current)].triple;
    return "Available rooms for " + quoted(codeOf(m_d, t.event)) + " : " +
           std::to_string(m_offers.size());
}

bool RoomsDialogState::done(bool changed)
{
    m_changed = m_changed || changed;
    rebuild();
    return changed;
}

bool RoomsDialogState::assign(CodeId room)
{
    if (m_current < 0)
        return false;
    const ManualTriple t = m_lines[static_cast<std::size_t>(m_current)].triple;
    const AssignOutcome outcome =
        assignRoom(m_d, t.event, manualWeek(t.slot), manualDay(t.slot), manualBell(t.slot), room);
    switch (outcome) {
    case AssignOutcome::Assigned:
        return done(true);
    case AssignOutcome::Unchanged:
        return false;
    case AssignOutcome::NotAvailable:
        m_p.warnDlg("Room " + quoted(codeOf(m_d, room)) + " is not free at " +
                    slotText(m_d, t.slot) + ".");
        break;
    case AssignOutcome::NotPlaced:
        m_p.warnDlg("Event " + quoted(codeOf(m_d, t.event)) + " is no longer scheduled at " +
                    slotText(m_d, t.slot) + ".");
        break;
    case AssignOutcome::Full:
        m_p.warnDlg(capacityText(manualTripleCount(m_d)));
        break;
    case AssignOutcome::Invalid:
        break;
    }
    return done(false);
}

bool RoomsDialogState::clearCurrent()
{
    if (m_current < 0)
        return false;
    const ManualTriple t = m_lines[static_cast<std::size_t>(m_current)].triple;
    if (t.room == 0)
        return false;
    return done(
        clearRooms(m_d, manualWeek(t.slot), manualDay(t.slot), manualBell(t.slot), t.event) > 0);
}

bool RoomsDialogState::clearAll()
{
    if (manualRoomUsage(m_d).assigned == 0)
        return false;
    if (!m_p.sureDlg("you want to clear all manually scheduled rooms"))
        return false;
    return done(clearRooms(m_d, 0, 0, 0, 0) > 0);
}

bool RoomsDialogState::copyRoom()
{
    if (m_current < 0 || m_lines[static_cast<std::size_t>(m_current)].triple.room == 0) {
        m_p.infoDlg("Select first a slot that has a room.");
        return false;
    }
    const int how = m_p.choice("Copy this room to ...", 0, 1,
                               "All slots of this event in the same time on other weeks$"
                               "Free slots of this event$All slots of this event$"
                               "Free slots of all events$");
    if (how == 0)
        return false;
    return copyRoom(static_cast<RoomCopy>(how));
}

bool RoomsDialogState::copyRoom(RoomCopy how)
{
    if (m_current < 0)
        return false;
    const ManualTriple source = m_lines[static_cast<std::size_t>(m_current)].triple;
    if (source.room == 0)
        return false;
    const WeekSpan span = weeks();
    const int day = manualDay(source.slot), bell = manualBell(source.slot);
    int copied = 0;
    const auto give = [&](CodeId event, std::uint16_t slot) {
        if (assignRoom(m_d, event, manualWeek(slot), manualDay(slot), manualBell(slot),
                       source.room) == AssignOutcome::Assigned)
            ++copied;
    };
    if (how == RoomCopy::SameTimeOtherWeeks) {
        for (int w = span.first; w <= span.last; ++w)
            if (w != manualWeek(source.slot))
                give(source.event, manualSlot(w, day, bell));
    } else {
        // The targets are fixed first: giving rooms changes the store under the loop.
        for (const ManualTriple &t : triplesIn(m_d, span)) {
            if (t.slot == source.slot && t.event == source.event)
                continue;
            const bool ofEvent = t.event == source.event;
            const bool waiting = t.room == 0;
            if ((how == RoomCopy::FreeSlotsOfEvent && ofEvent && waiting) ||
                (how == RoomCopy::AllSlotsOfEvent && ofEvent) ||
                (how == RoomCopy::FreeSlotsOfAll && waiting))
                give(t.event, t.slot);
        }
    }
    m_p.infoDlg("Room " + quoted(codeOf(m_d, source.room)) + " was copied to " +
                std::to_string(copied) + " slots.");
    return done(copied > 0);
}

bool RoomsDialogState::compact()
{
    const int before = manualTripleCount(m_d);
    const std::vector<std::uint16_t> was(m_d.manualRooms.begin(),
                                         m_d.manualRooms.begin() + 1 + 3 * before);
    PromptedRoomDialogue dialogue(m_d, m_p);
    const CompactResult result = compactManualRooms(m_d, dialogue);
    // Normalising may already have dropped or reordered triples even without a new resource.
    const bool changed = !result.eventsRemoved.empty() ||
                         !std::equal(was.begin(), was.end(), m_d.manualRooms.begin(),
                                     m_d.manualRooms.begin() + 1 + 3 * manualTripleCount(m_d));
    return done(changed);
}

bool RoomsDialogState::imitate()
{
    PromptedRoomDialogue dialogue(m_d, m_p);
    const ImitateResult result = imitateRooms(m_d, dialogue);
    if (!result.cancelled && result.combinations > 0) {
        std::vector<ManualTriple> waiting;
        for (const ManualTriple &t : triplesIn(m_d, weeks()))
            if (t.room == 0)
                waiting.push_back(t);
        if (!waiting.empty() &&
            m_p.yesNoDlg("\r\n" + std::to_string(waiting.size()) +
                         " slots still have no room.\r\n\r\nDo you want to view the list of "
                         "slots without rooms?")) {
            std::string text = "Slots without rooms assigned\r\n\r\nList of manually assigned " +
                               std::to_string(waiting.size()) + " slots without rooms\r\n";
            const int listed = std::min<int>(ListedWaitingSlots, static_cast<int>(waiting.size()));
            for (int i = 0; i < listed; ++i) {
                const ManualTriple &t = waiting[static_cast<std::size_t>(i)];
                text += std::to_string(i + 1) + ": " + quoted(codeOf(m_d, t.event)) + " - " +
                        formatWeek(m_d, manualWeek(t.slot), 3) + " - " +
                        formatDayBell(m_d, manualDay(t.slot), manualBell(t.slot), 1) + "\r\n";
            }
            if (static_cast<int>(waiting.size()) > listed)
                text += "... and " + std::to_string(static_cast<int>(waiting.size()) - listed) +
                        " more\r\n";
            m_p.infoDlg(text);
        }
    }
    return done(result.assigned > 0);
}

bool RoomsDialogState::setWeeks(int first, int last)
{
    const int n = weeksInUse();
    first = std::clamp(first, 1, n);
    last = std::clamp(last, first, n);
    const WeekSpan was = weeks();
    if (first == was.first && last == was.last)
        return false;
    bool changed = false;
    const int outside = countOutsideWeeks(m_d, first, last);
    if (outside > 0 && m_p.sureDlg("you want to clear " + std::to_string(outside) + " out of " +
                                   std::to_string(manualTripleCount(m_d)) +
                                   " manual room assignments outside the selected week range"))
        changed = dropOutsideWeeks(m_d, first, last) > 0;
    // Declining keeps the assignments outside the range; the list only shows fewer weeks.
    setIncludedWeeks(m_d, first, last);
    changed = buildSlotList(m_d, first, last).added > 0 || changed;
    return done(changed);
}

bool RoomsDialogState::chooseCategories()
{
    const std::uint8_t was = includedEventCategories(m_d);
    std::string list;
    for (int k = 1; k <= MaxCategories; ++k)
        list += categoryTitle(m_d.eventCategories.view(), k) + "$";
    std::uint32_t bits = static_cast<std::uint32_t>(was) << 1;
    if (m_p.multiChoice("To regain more capacity, check only those event categories to be "
                        "included in this view\r\n",
                        0, bits, list) == 0)
        return false;
    std::uint8_t mask = static_cast<std::uint8_t>((bits >> 1) & 0x7F);
    if (mask == 0)
        mask = 0x7F; // nothing checked: every category
    if (mask == was)
        return false;
    // Triples of categories now left out would be dropped.
    bool dropping = false;
    for (const ManualTriple &t : triplesIn(m_d, {1, MaxWeeks})) {
        const int category = categoryOf(m_d, t.event);
        if (category >= 1 && !(mask & (1u << (category - 1))))
            dropping = true;
    }
    if (dropping && !m_p.sureDlg("you want to exclude manual room assignments from unchecked event "
                                 "categories"))
        return false;
    setIncludedEventCategories(m_d, mask);
    normaliseManualRooms(m_d, 1, MaxWeeks);
    const WeekSpan span = weeks();
    buildSlotList(m_d, span.first, span.last);
    return done(true);
}

} // namespace quivra
