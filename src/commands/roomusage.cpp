#include "commands/roomusage.h"

#include "checks/loads.h"
#include "commands/collectionlists.h"
#include "commands/commandsupport.h"
#include "commands/healthcommands.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/recount.h"
#include "engine/seats.h"
#include "engine/totals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace quivra {
namespace {

constexpr int HelpTopic = 1220;
constexpr std::size_t MaxRooms = 500;
constexpr std::size_t MaxSwaps = 240;
constexpr std::size_t RoomLinesShown = 40; // the menu's question lists no more rooms than this

std::string codeText(const ScheduleData &d, CodeId c)
{
    return std::string(d.codes[c].code.view());
}

bool contains(const std::vector<CodeId> &codes, CodeId c)
{
    return std::ranges::find(codes, c) != codes.end();
}

bool isRoom(const ScheduleData &d, CodeId c)
{
    return validCode(d, c) && !d.codes[c].isEvent() && categoryOf(d, c) == d.roomsCategory;
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

std::vector<CodeId> allRooms(const ScheduleData &d)
{
    std::vector<CodeId> rooms;
    for (const CodeId r : listOf(d, false))
        if (isRoom(d, r) && rooms.size() < MaxRooms)
            rooms.push_back(r);
    return rooms;
}

// Seats the resources of the event other than its rooms need.
int seatsNeeded(const ScheduleData &d, CodeId event)
{
    return seats(d, event, 0) - seats(d, event, d.roomsCategory);
}

bool tagAllowed(const ScheduleData &d, CodeId event, CodeId room, bool tagsRequired)
{
    return !tagsRequired || shareMatchTag(d.codes[event].name.view(), d.codes[room].name.view());
}

std::string signedSeats(int n)
{
    return n > 0 ? "+" + std::to_string(n) : std::to_string(n);
}

// After collections changed: the derived fields and the totals of every code.
void finishCollections(ScheduleData &d)
{
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
}

bool anyMatchTags(const ScheduleData &d, const std::vector<CodeId> &codes)
{
    return std::ranges::any_of(
        codes, [&](CodeId c) { return !matchTags(d.codes[c].name.view()).empty(); });
}

// The first event other than `event` that holds `room` and that `leaving` can join.
CodeId swapPartner(const ScheduleData &d, CodeId event, CodeId room, CodeId leaving)
{
    for (const CodeId f : listOf(d, true)) {
        if (f == event)
            continue;
        const auto members = membersOf(d, f);
        if (contains(members, room) && !contains(members, leaving) && canJoin(d, f, leaving, false))
            return f;
    }
    return 0;
}

std::string roomListText(const ScheduleData &d)
{
    const int slots = usedWeeks(d) * usedDays(d) * usedBells(d);
    const std::vector<CodeId> rooms = allRooms(d);
    std::string text = fillIn("Rooms ({}):", rooms.size()) + LineBreak;
    for (std::size_t i = 0; i < rooms.size() && i < RoomLinesShown; ++i) {
        const CodeId r = rooms[i];
        text += fillIn("{} (#{}, {} free periods)", codeText(d, r), seats(d, r),
                       std::max(0, slots - d.codes[r].allocated)) +
                LineBreak;
    }
    if (rooms.size() > RoomLinesShown)
        text += fillIn("... and {} more", rooms.size() - RoomLinesShown) + LineBreak;
    return text;
}

// Asks whether names must share a match tag, when both events and rooms carry tags. Nothing
// when cancelled.
std::optional<bool> askTagsRequired(const ScheduleData &d, Prompter &p)
{
    const std::vector<CodeId> events = listOf(d, true);
    const std::vector<CodeId> rooms = allRooms(d);
    if (!anyMatchTags(d, events) || !anyMatchTags(d, rooms))
        return false;
    const int answer = p.yesNoCancelDlg(
        fillIn("Do you require that the tags in the names of {} events and {} rooms must match?{}",
               events.size(), rooms.size(), LineBreak) +
            "(Event and room names much have at least one matching tag, such as \"%Lab\" or "
            "\"%Studio\").",
        0, HelpTopic);
    if (answer == Answer::Cancel)
        return std::nullopt;
    return answer == Answer::Yes;
}

// The category named in the example of the category question: that of the first resource that
// is no room.
std::string exampleCategory(const ScheduleData &d)
{
    for (const CodeId r : listOf(d, false))
        if (!isRoom(d, r))
            return categoryName(d, r);
    return "Groups";
}

bool lacksSeats(const ScheduleData &d, CodeId e)
{
    return roomsOf(d, e).empty() || freeSeats(d, e, 0) < 0;
}

// The interactive pass that swaps rooms between events to balance their seats.
bool balanceRooms(ScheduleData &d, Prompter &p, bool tagsRequired)
{
    int swaps = 0;
    int balanced = 0;
    bool cancelled = false;
    for (const CodeId e : listOf(d, true)) {
        const auto members = membersOf(d, e);
        const bool tagged = std::ranges::any_of(members, [&](CodeId r) {
            return validCode(d, r) && hasCapacityTag(d.codes[r].name.view());
        });
        if (!tagged)
            continue;
        for (const CodeId room : roomsOf(d, e)) {
            if (!contains(membersOf(d, e), room))
                continue;
            const std::vector<RoomSwap> options = roomSwaps(d, e, room, tagsRequired);
            if (options.empty())
                continue;
            const int be = freeSeats(d, e, 0);
            std::vector<std::string> lines;
            std::size_t best = 0;
            for (std::size_t i = 0; i < options.size(); ++i) {
                const RoomSwap &s = options[i];
                const int bf = freeSeats(d, s.otherEvent, 0);
                lines.push_back(fillIn(
                    "{}: With room \"{}\" (#{}) of event \"{}\" ({} seats now, {} after)", i + 1,
                    codeText(d, s.other), seats(d, s.other), codeText(d, s.otherEvent),
                    signedSeats(bf), signedSeats(bf + seats(d, room) - seats(d, s.other))));
                if (s.change < options[best].change)
                    best = i;
            }
            // The list has OK and Cancel: its last line is Skip.
            lines.push_back("Skip - go on with the next room");
            const int chosen = p.selectLine(
                fillIn("Swap rooms - swapped {} times, {} seats balanced", swaps, balanced),
                fillIn("Swap room \"{}\" (#{}) of event \"{}\" ({} seats)?", codeText(d, room),
                       seats(d, room), codeText(d, e), signedSeats(be)),
                lines, static_cast<int>(best) + 1, HelpTopic);
            if (chosen == 0) {
                cancelled = true;
                break;
            }
            if (static_cast<std::size_t>(chosen) > options.size())
                continue;
            const RoomSwap &s = options[static_cast<std::size_t>(chosen - 1)];
            if (applySwap(d, SwapOption{s.change, room, e, s.other, s.otherEvent})) {
                ++swaps;
                balanced -= s.change;
            }
        }
        if (cancelled)
            break;
    }
    if (swaps > 0)
        finishCollections(d);
    p.infoDlg(fillIn("({} room swaps, {} seat balanced)", swaps, balanced) + LineBreak + LineBreak +
                  roomCapacityText(roomCapacityCheck(d)),
              0, HelpTopic);
    return swaps > 0;
}

std::string utilisationLine(int n, const ScheduleData &d, CodeId room)
{
    int events = 0;
    double used = 0;
    double offered = 0;
    const int roomSeats = seats(d, room);
    for (const CodeId e : listOf(d, true)) {
        if (!contains(membersOf(d, e), room))
            continue;
        ++events;
        const double periods = std::max(1, static_cast<int>(d.codes[e].planned));
        used += periods * std::max(0, seatsNeeded(d, e));
        offered += periods * roomSeats;
    }
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.2f", offered > 0 ? 100.0 * used / offered : 0.0);
    return fillIn("{}: {} ({} seats, {} events, utilisation {}%)", n, codeText(d, room), roomSeats,
                  events, percent);
}

} // namespace

bool hasCapacityTag(std::string_view name)
{
    for (std::size_t i = name.find('#'); i != std::string_view::npos; i = name.find('#', i + 1)) {
        std::size_t j = i + 1;
        while (j < name.size() && (name[j] == '+' || name[j] == '-'))
            ++j;
        if (j < name.size() && name[j] >= '0' && name[j] <= '9')
            return true;
    }
    return false;
}

std::vector<std::string> matchTags(std::string_view name)
{
    std::vector<std::string> tags;
    std::size_t i = 0;
    while (i < name.size()) {
        while (i < name.size() && name[i] == ' ')
            ++i;
        const std::size_t end = std::min(name.find(' ', i), name.size());
        if (end > i + 1 && name[i] == '%')
            tags.emplace_back(name.substr(i, end - i));
        i = end;
    }
    return tags;
}

bool shareMatchTag(std::string_view a, std::string_view b)
{
    const auto tags = matchTags(b);
    for (const std::string &t : matchTags(a))
        if (std::ranges::find(tags, t) != tags.end())
            return true;
    return false;
}

RoomCapacityCheck roomCapacityCheck(const ScheduleData &d)
{
    RoomCapacityCheck check;
    check.rooms = static_cast<int>(allRooms(d).size());
    for (const CodeId e : listOf(d, true)) {
        ++check.events;
        bool inRooms = false;
        bool inOthers = false;
        bool hasRoom = false;
        for (const CodeId r : membersOf(d, e)) {
            if (!validCode(d, r))
                continue;
            const bool tag = hasCapacityTag(d.codes[r].name.view());
            if (isRoom(d, r)) {
                hasRoom = true;
                inRooms = inRooms || tag;
            } else {
                inOthers = inOthers || tag;
            }
        }
        check.tagsInRoomsOnly += inRooms && !inOthers ? 1 : 0;
        check.tagsInOthersOnly += inOthers && !inRooms ? 1 : 0;
        check.tagsInBoth += inRooms && inOthers ? 1 : 0;
        if (!hasRoom) {
            ++check.withoutRooms;
            continue;
        }
        const int b = freeSeats(d, e, 0);
        if (b < 0) {
            ++check.lacking;
            check.lackingSeats -= b;
        } else if (b > 0) {
            ++check.excess;
            check.excessSeats += b;
        } else {
            ++check.balanced;
        }
    }
    return check;
}

std::string roomCapacityText(const RoomCapacityCheck &c)
{
    if (c.rooms == 0)
        return "You have not created any rooms in the list of resources.";
    if (c.tagsInBoth == 0)
        return "You must have capacity tags (#) followed by a number in the names of resources "
               "indicating both the room capacities and their requirements (group sizes) used in "
               "optimisation, for example: \"Room 1234 #30\", \"Group Form-A #25\", "
               "\"Laboratory (#25)\"." +
               std::string(LineBreak) +
               fillIn("{} event(s) have capacity tags only in rooms, {} event(s) only in other "
                      "resources than rooms, {} event(s) have them in both.",
                      c.tagsInRoomsOnly, c.tagsInOthersOnly, c.tagsInBoth);
    const std::string br = LineBreak;
    return fillIn("{} out of {} event(s) have capacity tags (#):{}{}", c.tagsInBoth, c.events, br,
                  br) +
           fillIn("- {} event(s) have lack of seats (total {}){}", c.lacking, c.lackingSeats, br) +
           fillIn("- {} event(s) have excess seats (total {}){}", c.excess, c.excessSeats, br) +
           fillIn("- {} event(s) are balanced and{}", c.balanced, br) +
           fillIn("- {} event(s) do not have any rooms.", c.withoutRooms);
}

std::vector<CodeId> roomsOf(const ScheduleData &d, CodeId event)
{
    std::vector<CodeId> rooms;
    for (const CodeId r : membersOf(d, event))
        if (isRoom(d, r) && !contains(rooms, r))
            rooms.push_back(r);
    return rooms;
}

RoomAttachResult attachRooms(ScheduleData &d, const std::vector<CodeId> &events, int category,
                             bool tagsRequired, bool byTags, Random &random)
{
    RoomAttachResult result;
    const std::vector<CodeId> rooms = allRooms(d);
    bool changed = false;
    auto store = [&](CodeId e, std::vector<CodeId> members, const std::vector<CodeId> &taken) {
        for (const CodeId r : taken)
            if (members.size() < static_cast<std::size_t>(MaxMembers))
                members.push_back(r);
        if (storeMembers(d, e, members)) {
            result.rooms += static_cast<int>(taken.size());
            ++result.events;
            changed = true;
            return true;
        }
        return false;
    };
    for (const CodeId e : events) {
        if (!validCode(d, e) || !d.codes[e].isEvent() || !lacksSeats(d, e))
            continue;
        const std::vector<CodeId> before = roomsOf(d, e);
        std::vector<CodeId> others;
        for (const CodeId r : membersOf(d, e))
            if (!isRoom(d, r))
                others.push_back(r);
        // The balance once the rooms are off: what the other resources need, negated.
        const int balance = -seatsNeeded(d, e);
        const int k = static_cast<int>(std::ranges::count_if(
            others, [&](CodeId r) { return validCode(d, r) && categoryOf(d, r) == category; }));
        // A room the event had is free for it: its own slots are the event's.
        auto joinable = [&](CodeId r) {
            return !contains(others, r) && tagAllowed(d, e, r, tagsRequired) &&
                   (contains(before, r) || canJoin(d, e, r, false));
        };
        std::vector<CodeId> taken;
        if (k == 1 && !rooms.empty()) {
            const auto n = static_cast<std::uint32_t>(rooms.size());
            const std::uint32_t start = random.below(n);
            CodeId best = 0;
            int bestFit = std::numeric_limits<int>::max();
            for (std::uint32_t i = 0; i < n; ++i) {
                const CodeId r = rooms[(start + i) % n];
                const int fit = seats(d, r) + balance;
                if (fit >= 0 && fit < bestFit && joinable(r)) {
                    best = r;
                    bestFit = fit;
                }
            }
            if (best != 0)
                taken.push_back(best);
        } else if (k >= 2) {
            const int each = -balance / k;
            for (int i = 0; i < k; ++i) {
                CodeId best = 0;
                for (const CodeId r : rooms)
                    if (!contains(taken, r) && seats(d, r) >= each && joinable(r) &&
                        (best == 0 || seats(d, r) < seats(d, best)))
                        best = r;
                if (best == 0)
                    break;
                taken.push_back(best);
            }
        }
        // No room qualifies: the event keeps the rooms it had.
        if (taken.empty() || taken == before)
            continue;
        store(e, others, taken);
    }
    if (byTags) {
        for (const CodeId e : events) {
            if (!validCode(d, e) || !d.codes[e].isEvent() || !roomsOf(d, e).empty())
                continue;
            const std::vector<CodeId> members = membersOf(d, e);
            if (members.size() >= static_cast<std::size_t>(MaxMembers))
                continue;
            for (const CodeId r : rooms) {
                if (shareMatchTag(d.codes[e].name.view(), d.codes[r].name.view()) &&
                    canJoin(d, e, r, false)) {
                    if (store(e, members, {r}))
                        ++result.byTags;
                    break;
                }
            }
        }
    }
    if (changed)
        finishCollections(d);
    return result;
}

RoomRemoveResult removeRooms(ScheduleData &d, const std::vector<CodeId> &events)
{
    RoomRemoveResult result;
    for (const CodeId e : events) {
        if (!validCode(d, e) || !d.codes[e].isEvent())
            continue;
        const std::vector<CodeId> members = membersOf(d, e);
        std::vector<CodeId> others;
        for (const CodeId r : members)
            if (!isRoom(d, r))
                others.push_back(r);
        if (others.size() == members.size())
            continue;
        if (others.empty()) {
            ++result.kept;
            continue;
        }
        if (storeMembers(d, e, others)) {
            result.rooms += static_cast<int>(members.size() - others.size());
            ++result.events;
        }
    }
    if (result.events > 0)
        finishCollections(d);
    return result;
}

std::vector<RoomSwap> roomSwaps(const ScheduleData &d, CodeId event, CodeId room, bool tagsRequired)
{
    std::vector<RoomSwap> swaps;
    if (!validCode(d, event) || !isRoom(d, room))
        return swaps;
    const std::vector<CodeId> members = membersOf(d, event);
    if (!contains(members, room))
        return swaps;
    const int be = freeSeats(d, event, 0);
    const int sr = seats(d, room);
    for (const CodeId y : allRooms(d)) {
        if (swaps.size() >= MaxSwaps)
            break;
        if (y == room || contains(members, y) || !tagAllowed(d, event, y, tagsRequired) ||
            !canJoin(d, event, y, false))
            continue;
        const CodeId f = swapPartner(d, event, y, room);
        if (f == 0)
            continue;
        const int bf = freeSeats(d, f, 0);
        const int sy = seats(d, y);
        const int change =
            std::abs(be + sy - sr) + std::abs(bf - sy + sr) - (std::abs(be) + std::abs(bf));
        if (change < 0)
            swaps.push_back({event, room, f, y, change});
    }
    return swaps;
}

std::vector<std::string> roomUtilisation(const ScheduleData &d)
{
    std::vector<std::string> lines;
    for (const CodeId r : allRooms(d))
        if (hasCapacityTag(d.codes[r].name.view()))
            lines.push_back(utilisationLine(static_cast<int>(lines.size()) + 1, d, r));
    return lines;
}

bool optimiseRoomUsage(ScheduleData &d, Prompter &p, std::uint32_t seed)
{
    Random random(seed);
    RoomCapacityCheck check = roomCapacityCheck(d);
    if (check.rooms == 0) {
        p.infoDlg(roomCapacityText(check), 0, HelpTopic);
        return false;
    }
    if (!p.yesNoDlg(roomCapacityText(check) + LineBreak + LineBreak + "Continue?", 0, HelpTopic))
        return false;
    bool changed = false;
    std::string front;
    for (;;) {
        check = roomCapacityCheck(d);
        const int withRooms = check.events - check.withoutRooms;
        int action = 0;
        if (withRooms == 0) {
            if (!p.yesNoDlg(front + fillIn("Attach rooms to {} event(s) automatically?",
                                           check.withoutRooms),
                            0, HelpTopic))
                break;
            action = 1;
        } else {
            const std::string attach =
                check.withoutRooms > 0
                    ? fillIn("Attach rooms to {} event(s) automatically?", check.withoutRooms)
                    : std::string(" ");
            action = p.choice(
                front + roomListText(d) + LineBreak + "What do you want to do next?", HelpTopic,
                check.withoutRooms > 0 ? 1 : 2,
                attach + "$" + fillIn("Optimise current room usage in {} event(s)?$", withRooms) +
                    fillIn("Remove rooms from {} event(s)?$", withRooms) +
                    "Show the room utilisation list$");
            if (action == 0)
                break;
        }
        front.clear();
        if (action == 1) {
            const auto tags = askTagsRequired(d, p);
            if (!tags)
                continue;
            std::vector<CodeId> preset;
            for (const CodeId e : listOf(d, true))
                if (lacksSeats(d, e))
                    preset.push_back(e);
            const auto events =
                pickOfKind(d, p, "Select the event(s) you want to attach to rooms", true, preset);
            if (!events)
                continue;
            const int category = p.categoryChoice(
                d,
                fillIn("The number of rooms to be attached to the event is the same as the "
                       "number of resources of the category you will select.{}",
                       LineBreak) +
                    fillIn("(For instance, if the event has two resources of{}\"{}\", then two "
                           "rooms are attached.)",
                           LineBreak, exampleCategory(d)),
                HelpTopic, 1);
            if (category == 0)
                continue;
            if (category == d.roomsCategory) {
                p.warnDlg("The number of rooms cannot be taken from the rooms themselves: "
                          "select another category.",
                          0, HelpTopic);
                continue;
            }
            const bool byTags =
                *tags && p.yesNoDlg("Do you also want to attach the remaining rooms to events "
                                    "if they have matching tags?",
                                    0, HelpTopic);
            const RoomAttachResult r = attachRooms(d, *events, category, *tags, byTags, random);
            changed = changed || r.rooms > 0;
            front = fillIn("{} room(s) were attached to {} event(s)", r.rooms, r.events);
            if (r.byTags > 0)
                front += LineBreak + fillIn("- {} out of them based on matching tags", r.byTags);
            front += LineBreak + std::string(LineBreak) + roomCapacityText(roomCapacityCheck(d)) +
                     LineBreak + LineBreak;
        } else if (action == 2) {
            if (check.tagsInBoth == 0) {
                if (p.yesNoDlg("Do you want to balance the use of rooms use without using the "
                               "capacity tags (#)?",
                               0, HelpTopic))
                    return optimiseResourceUsage(d, p, d.roomsCategory, 1) || changed;
            }
            const auto tags = askTagsRequired(d, p);
            if (!tags)
                continue;
            return balanceRooms(d, p, *tags) || changed;
        } else if (action == 3) {
            std::vector<CodeId> preset;
            for (const CodeId e : listOf(d, true))
                if (!roomsOf(d, e).empty())
                    preset.push_back(e);
            const auto events = pickOfKind(d, p, "Select the events you want remove rooms from",
                                           true, preset, {0, EventFilter::WithRoom});
            if (!events)
                continue;
            const RoomRemoveResult r = removeRooms(d, *events);
            changed = changed || r.rooms > 0;
            front = fillIn("{} room(s) removed from {} event(s).", r.rooms, r.events);
            if (r.kept > 0)
                front += LineBreak + fillIn("{} event(s) kept their rooms: they have no other "
                                            "resources.",
                                            r.kept);
            front += LineBreak + std::string(LineBreak) + roomCapacityText(roomCapacityCheck(d)) +
                     LineBreak + LineBreak;
        } else if (action == 4) {
            p.selectLine("Room utilisation", "Utilisation of rooms with capacity tags",
                         roomUtilisation(d), 1, HelpTopic);
            front = roomCapacityText(roomCapacityCheck(d)) + LineBreak + LineBreak;
        }
    }
    return changed;
}

} // namespace quivra
