#include "commands/framecommands.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"
#include "engine/random.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace quivra {

const std::array<std::uint32_t, 52> CodePalette = {
    0x3333FF, 0x3399FF, 0x33FFFF, 0x33FF99, 0x33FF33, 0x99FF33, 0xFFFF33, 0xFF9933, 0xFF3333,
    0xFF3399, 0xFF33FF, 0x9933FF, 0xA0A0A0, 0x6666FF, 0x66B2FF, 0x66FFFF, 0x66FFB2, 0x66FF66,
    0xB2FF66, 0xFFFF66, 0xFFB266, 0xFF6666, 0xFF66B2, 0xFF66FF, 0xB266FF, 0xC0C0C0, 0x9999FF,
    0x99CCFF, 0x99FFFF, 0x99FFCC, 0x99FF99, 0xCCFF99, 0xFFFF99, 0xFFCC99, 0xFF9999, 0xFF99CC,
    0xFF99FF, 0xCC99FF, 0xE0E0E0, 0xCCCCFF, 0xCCE5FF, 0xCCFFFF, 0xCCFFE5, 0xCCFFCC, 0xE5FFCC,
    0xFFFFCC, 0xFFE5CC, 0xFFCCCC, 0xFFCCE5, 0xCCCCFF, 0xE5CCFF, 0xFFFFFF,
};

namespace {

const char *const LineBreak = "\r\n";

std::string str(int n)
{
    return std::to_string(n);
}

bool isEvent(const ScheduleData &d, int c)
{
    return validCode(d, c) && d.codes[c].isEvent();
}

bool isLocked(const ScheduleData &d, int c)
{
    return d.codes[c].flags & LockedBit;
}

// The codes of one kind among those the picker returned.
std::vector<CodeId> ofKind(const ScheduleData &d, const std::vector<CodeId> &codes, bool events)
{
    std::vector<CodeId> out;
    for (const CodeId c : codes) {
        if (validCode(d, c) && d.codes[c].isEvent() == events)
            out.push_back(c);
    }
    return out;
}

std::optional<std::vector<CodeId>> pick(ScheduleData &d, Prompter &p, const std::string &caption,
                                        bool events)
{
    auto chosen = p.pickCodes(d, caption, 0, events ? PickEvents : PickResources);
    if (!chosen)
        return std::nullopt;
    return ofKind(d, *chosen, events);
}

// "week 3" or "3 - 5", with the dates of the range when weeks are dated.
std::string weekRangeText(const ScheduleData &d, int first, int last, bool single)
{
    std::string text = single ? "week " + formatWeek(d, first, 7)
                              : formatWeek(d, first, 7) + " - " + formatWeek(d, last, 7);
    if (weeksDated(d)) {
        const std::int32_t start = weekDate(d, first);
        const int days = std::max(usedDays(d), 1);
        const DateRange range{true, start,
                              weekDate(d, last) + (weekLength(d, last) - 1) * 7 + days - 1};
        text += " (" + formatDateRange(d, range) + ")";
    }
    return text;
}

const char *partWord(int part)
{
    switch (part) {
    case ClearPartAllocations:
        return "weekly periods";
    case ClearPartWeekBookings:
        return "weekly bookings";
    case ClearPartPlacements:
        return "scheduled periods";
    default:
        return "timetable bookings";
    }
}

// What `part` counts in week w of a loaded code.
int countPart(const WeekAllocation &wa, int part, int w)
{
    switch (part) {
    case ClearPartAllocations:
        return wa.allocated[w];
    case ClearPartWeekBookings:
        return wa.booked[w];
    case ClearPartPlacements:
        return wa.scheduled[w];
    default:
        return wa.tableBooked[w];
    }
}

} // namespace

int lastLectureWeek(const ScheduleData &d)
{
    // The extent is empty (start after end) while nothing is stored.
    const TimeRange &x = d.scheduleExtent;
    return x.endWeek >= x.startWeek ? x.endWeek : 0;
}

// ----- Clear 1 to 4 ---------------------------------------------------------------------------

bool clearPeriods(ScheduleData &d, Prompter &p, int parts, int week)
{
    const bool allWeeks = parts & ClearPartAskWeekRange;
    const int part = parts & 15;
    if (part != ClearPartAllocations && part != ClearPartWeekBookings &&
        part != ClearPartPlacements && part != ClearPartTableBookings)
        return false;
    const std::string kind = partWord(part);
    const bool events = part != ClearPartTableBookings;
    const int lastWeek = lastLectureWeek(d);

    int first = 1;
    int last = std::max(lastWeek, 1);
    std::string range = "all weeks";
    if (allWeeks) {
        if (lastWeek >= 1) {
            first = p.pickWeek(d, 1, "First week to clear " + kind + " from:", lastWeek, 1);
            if (first == 0)
                return false;
            last = p.pickWeek(d, lastWeek, "Last week to clear " + kind + " from:", lastWeek, 1);
            if (last == 0 || last < first)
                return false;
            range = weekRangeText(d, first, last, false);
        }
    } else {
        if (week < 1 || week > d.coding.weekLimit)
            return false;
        first = last = week;
        range = weekRangeText(d, week, week, true);
    }

    // The codes are always asked for: marks left by an earlier command are no choice the user
    // made for this one.
    const std::string noun = events ? "events" : "resources";
    const auto chosen = pick(d, p, "Select the " + noun + " to clear " + kind + " from", events);
    if (!chosen)
        return false;
    const std::string target = "the selected " + str(static_cast<int>(chosen->size())) + " " + noun;
    if (!p.sureDlg("you want to clear " + kind + LineBreak + LineBreak + "from " + target + " and" +
                   LineBreak + LineBreak + "from weeks " + range))
        return false;

    bool includeLocked = true;
    if (events) {
        const auto locked =
            std::ranges::count_if(*chosen, [&](CodeId c) { return isLocked(d, c); });
        if (locked > 0) {
            const int answer = p.yesNoCancelDlg("Do you also allow to change the (" +
                                                str(static_cast<int>(locked)) + ") locked events?");
            if (answer == Answer::Cancel)
                return false;
            includeLocked = answer == Answer::Yes;
        }
    }

    int cleared = 0;
    int codesChanged = 0;
    WeekAllocation wa;
    for (const CodeId c : *chosen) {
        if (events && !includeLocked && isLocked(d, c))
            continue;
        reloadWeekAllocation(d, c, wa);
        int found = 0;
        for (int w = first; w <= last; ++w)
            found += countPart(wa, part, w);
        if (found == 0)
            continue;
        for (int w = first; w <= last; ++w)
            clearWeeks(d, wa, w,
                       {.allocations = part == ClearPartAllocations,
                        .weekBookings = part == ClearPartWeekBookings,
                        .placements = part == ClearPartPlacements,
                        .slotBookings = part == ClearPartTableBookings});
        // Slot bookings are written back by clearWeeks itself; the rest only shrinks, so the
        // store always has room for it.
        if (part != ClearPartTableBookings)
            storeWeekAllocation(d, c, wa);
        cleared += found;
        ++codesChanged;
    }
    // Rooms given by hand to periods that are gone would point at nothing; one pass over the
    // weeks drops them, where a clean-up per event and week would rescan every room each time.
    if (codesChanged > 0 && (part == ClearPartAllocations || part == ClearPartPlacements))
        validityCleanup(d, first, last);
    if (codesChanged > 0) {
        recount(d);
        totals(d, 1, d.codeCount);
        allResourceTotals(d);
        d.modified = true;
    }
    p.infoDlg(str(cleared) + " " + kind + " cleared from " + str(codesChanged) + " " + noun + ".");
    return codesChanged > 0;
}

// ----- Clear 5 to 7 ---------------------------------------------------------------------------

bool removeCodes(ScheduleData &d, Prompter &p, bool events)
{
    const std::string what =
        events ? "event(s) you want to remove" : "resource(s) you want to remove";
    const auto chosen = pick(d, p, "Select " + what, events);
    if (!chosen || chosen->empty())
        return false;
    if (!p.sureDlg("you want to remove these " + str(static_cast<int>(chosen->size())) +
                   " items permanently"))
        return false;
    // From the highest position down, so the positions still to delete do not move.
    std::vector<CodeId> order = *chosen;
    std::ranges::sort(order, std::greater<>());
    int removed = 0;
    for (const CodeId c : order)
        removed += deleteCode(d, c) ? 1 : 0;
    rebuildLists(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    d.modified = true;
    p.infoDlg(str(removed) + (events ? " event(s)" : " resource(s)") + " removed.");
    return removed > 0;
}

bool removeEventResources(ScheduleData &d, Prompter &p)
{
    const auto eventsChosen =
        pick(d, p, "Select first event(s) you want to remove resources from", true);
    if (!eventsChosen || eventsChosen->empty())
        return false;
    const auto resourcesChosen =
        pick(d, p, "Select then resource(s) you want to remove from the event resources", false);
    if (!resourcesChosen || resourcesChosen->empty())
        return false;
    if (!p.sureDlg("you want to remove these " + str(static_cast<int>(resourcesChosen->size())) +
                   " resource(s) from " + str(static_cast<int>(eventsChosen->size())) +
                   " event(s)"))
        return false;

    int removed = 0;
    int eventsChanged = 0;
    for (const CodeId e : *eventsChosen) {
        const MemberList members = collectionOf(d, e);
        MemberList kept{};
        int n = 0;
        for (int i = 1; i <= std::min<int>(members[0], MaxMembers); ++i) {
            if (std::ranges::find(*resourcesChosen, members[i]) == resourcesChosen->end())
                kept[++n] = members[i];
        }
        if (n == members[0])
            continue;
        kept[0] = static_cast<CodeId>(n);
        if (setCollection(d, e, kept) != n)
            continue;
        removed += members[0] - n;
        ++eventsChanged;
        totals(d, e, e);
    }
    if (eventsChanged > 0) {
        recount(d);
        allResourceTotals(d);
        d.modified = true;
    }
    p.infoDlg(str(removed) + " resource(s) removed from " + str(eventsChanged) + " event(s).");
    return eventsChanged > 0;
}

// ----- Clear 8 to 10 --------------------------------------------------------------------------

bool clearComments(ScheduleData &d, Prompter &p)
{
    const int total = static_cast<int>(d.comments.size());
    // With no lectures at all week 1 is still offered, so comments can always be cleared.
    const int lastWeek = std::max(lastLectureWeek(d), 1);
    const int first =
        p.pickWeek(d, 1, "First week to clear " + str(total) + " comments from:", lastWeek, 1);
    if (first == 0)
        return false;
    const int last = p.pickWeek(
        d, lastWeek, "Last week to clear " + str(total) + " comments from:", lastWeek, 1);
    if (last == 0 || last < first)
        return false;
    int erased = 0;
    for (int w = first; w <= last; ++w)
        erased += eraseComments(d, w, "", 1, MaxDays, 1, MaxBells);
    if (erased > 0)
        d.modified = true;
    p.infoDlg(str(erased) + " out of " + str(total) + " comments cleared");
    const int rest = static_cast<int>(d.comments.size());
    if (first == 1 && last == lastWeek && rest > 0 &&
        p.yesNoDlg("Do you want to clear the rest " + str(rest) + " comments?")) {
        d.comments.clear();
        d.modified = true;
        erased += rest;
    }
    return erased > 0;
}

bool clearMemos(ScheduleData &d, Prompter &p)
{
    const int lines = static_cast<int>(d.memos.size());
    if (!p.sureDlg("to clear all " + str(lines) + " memo lines"))
        return false;
    d.memos.clear();
    d.modified = true;
    p.infoDlg(str(lines) + " memo lines cleared.");
    return lines > 0;
}

bool deleteWeekRange(ScheduleData &d, Prompter &p, int &activeWeek)
{
    if (lastLectureWeek(d) <= 1)
        return false;
    const int weeks = std::max(usedWeeks(d), 1);
    const int first = p.pickWeek(d, activeWeek, "Select the first week to delete", weeks, 1);
    if (first == 0)
        return false;
    const int last = p.pickWeek(d, first, "Select the last week to delete", weeks, 1);
    if (last == 0 || last < first)
        return false;
    const int count = last - first + 1;
    if (!p.sureDlg("to delete all contents from the selected week range of " + str(count) +
                   " week(s)"))
        return false;

    int deleted = 0;
    for (int k = 0; k < count; ++k) {
        // Dated weeks keep their dates: the weeks after the first start where they did.
        const std::int32_t shift = first == 1 && weeksDated(d) ? 7 * weekLength(d, 1) : 0;
        if (!deleteWeek(d, first, WeekNames::Move))
            break;
        d.firstWeekDate += shift;
        ++deleted;
        d.calendarRange.endWeek =
            static_cast<std::uint8_t>(std::max(1, int(d.calendarRange.endWeek) - 1));
    }
    const int left = std::max(usedWeeks(d), 1);
    d.currentWeek = std::clamp(d.currentWeek, 1, left);
    activeWeek = std::clamp(activeWeek, 1, left);
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    d.modified = true;
    p.infoDlg(str(deleted) + " week(s) deleted.");
    return deleted > 0;
}

// ----- locking --------------------------------------------------------------------------------

bool lockEventsByRules(ScheduleData &d, Prompter &p, int command, std::string_view caption)
{
    std::vector<char> lockedBefore(static_cast<std::size_t>(d.codeCount) + 1);
    for (int c = 1; c <= d.codeCount; ++c)
        lockedBefore[c] = isEvent(d, c) && isLocked(d, c);
    const auto changedCount = [&] {
        int changed = 0;
        for (int c = 1; c <= d.codeCount; ++c)
            changed += isEvent(d, c) && (isLocked(d, c) != bool(lockedBefore[c])) ? 1 : 0;
        return changed;
    };
    const auto report = [&] {
        const int changed = changedCount();
        if (changed > 0)
            d.modified = true;
        p.infoDlg(str(countLocked(d)) + " events locked, " + str(changed) + " changed.");
        return changed > 0;
    };

    // Marks only carry the selection to the picker; setting them is no change of the data.
    const bool modified = d.modified;
    if (command == SelectResourcesToLock) {
        for (int c = 1; c <= d.codeCount; ++c) {
            if (!d.codes[c].isEvent())
                d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
        }
        const auto chosen = pick(d, p, "Select the resources to lock", false);
        d.modified = modified;
        if (!chosen)
            return false;
        for (const CodeId r : *chosen)
            setLock(d, r, LockMode::Lock);
        return report();
    }

    int events = 0;
    for (int c = 1; c <= d.codeCount; ++c)
        events += isEvent(d, c) ? 1 : 0;
    std::vector<CodeId> picked;
    if (command == SelectEventsToLock) {
        for (int c = 1; c <= d.codeCount; ++c) {
            d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
            if (isEvent(d, c) && isLocked(d, c))
                d.codes[c].flags |= AllMarks;
        }
        const auto chosen = pick(d, p, "Select the events to lock", true);
        d.modified = modified;
        if (!chosen)
            return false;
        picked = *chosen;
        events = static_cast<int>(picked.size());
    } else if (command != LockAllByRules && command != UnlockAllByRules) {
        return false;
    }

    std::string name(caption);
    std::erase(name, '&');
    const int rule = p.choice(
        "Additional selection for \"" + name + "\" :", 0, 1,
        "All selected " + str(events) +
            " events$Only completely scheduled (ALLOCATED=SCHEDULED)$Only partly scheduled "
            "(ALLOCATED>SCHEDULED and SCHEDULED>0)$Only not scheduled (SCHEDULED=0)$");
    if (rule == 0)
        return false;

    for (int c = 1; c <= d.codeCount; ++c) {
        if (!isEvent(d, c))
            continue;
        const CodeRecord &r = d.codes[c];
        const bool matches = rule == 1 || (rule == 2 && r.allocated == r.scheduled) ||
                             (rule == 3 && r.allocated > r.scheduled && r.scheduled > 0) ||
                             (rule == 4 && r.scheduled == 0);
        if (!matches)
            continue;
        bool lock = command == LockAllByRules;
        if (command == SelectEventsToLock)
            lock = std::ranges::find(picked, c) != picked.end();
        setLock(d, static_cast<CodeId>(c), lock ? LockMode::Lock : LockMode::Unlock);
    }
    return report();
}

// ----- booking defaults -----------------------------------------------------------------------

int bookingChoice(ScheduleData &d, Prompter &p, bool events)
{
    std::uint16_t &current =
        events ? d.header.defaultEventBookingKind : d.header.defaultResourceBookingKind;
    const int kind = std::clamp<int>(current, 1, 3);
    const int offset = events ? 0 : 3;
    const auto kindName = [&](int k) { return listItem(d.bookingKinds.view(), offset + k); };
    const std::string name = kindName(kind);
    std::string options;
    for (int k = 1; k <= 3; ++k)
        options += str(k) + " " + kindName(k) + "$";
    options += "Change the caption \"" + name + "\" to ... ?$";
    const int chosen = p.choice(std::string(LineBreak) + "Change the default booking type " +
                                    str(kind) + " (\"" + name + "\") or its caption" + LineBreak +
                                    "(select the last option to change \"" + name + "\").",
                                0, kind, options);
    if (chosen == 0)
        return 0;
    if (chosen <= 3) {
        current = static_cast<std::uint16_t>(chosen);
        d.modified = true;
        return chosen;
    }
    const auto caption =
        p.input("Change the default booking caption",
                "Enter a new caption for \"" + name + "\":", name, ListLength, "$");
    if (!caption || caption->empty() ||
        !renameBookingKind(d, kind, events ? BookingOwner::Events : BookingOwner::Resources,
                           *caption))
        return 0;
    d.modified = true;
    return 4;
}

// ----- colours --------------------------------------------------------------------------------

bool setCodeColour(ScheduleData &d, int c, std::int32_t colour)
{
    if (!validCode(d, c))
        return false;
    d.codes[c].colour = colour;
    d.modified = true;
    return true;
}

bool chooseCodeColour(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    const auto stored = static_cast<std::uint32_t>(std::max(d.codes[c].colour, 0));
    // Stored as 0x00BBGGRR, offered as 0xRRGGBB; the swap is its own inverse.
    const auto initial = static_cast<std::uint32_t>(storedColour(stored & 0xFFFFFF));
    const auto chosen =
        p.chooseColour("Set colour to \"" + std::string(d.codes[c].code.view()) + "\"", initial);
    return chosen && setCodeColour(d, c, storedColour(*chosen));
}

bool clearColours(ScheduleData &d, Prompter &p)
{
    if (!p.sureDlg("to clear all resource and event colours"))
        return false;
    int cleared = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].colour != 0) {
            d.codes[c].colour = 0;
            ++cleared;
        }
    }
    if (cleared > 0)
        d.modified = true;
    p.infoDlg(str(cleared) + " colours cleared.");
    return cleared > 0;
}

bool setColoursAutomatically(ScheduleData &d, Prompter &p, int mode, std::uint32_t seed)
{
    if (mode < ColoursByCategory || mode > RandomResourceColours)
        return false;
    if (!p.yesNoDlg("Do you want to let Quivra automatically set new colours to events and "
                    "resources?"))
        return false;
    Random random(seed);
    std::array<int, 8> r{};
    for (int k = 1; k <= 7; ++k)
        r[k] = 1 + static_cast<int>(random.below(4));
    int coloured = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        const bool event = d.codes[c].isEvent();
        const bool randomColour = mode == RandomColours || (mode == RandomEventColours && event) ||
                                  (mode == RandomResourceColours && !event);
        std::int32_t colour = 0;
        if (randomColour) {
            const std::uint32_t red = 128 + random.below(128);
            const std::uint32_t green = 128 + random.below(128);
            const std::uint32_t blue = 128 + random.below(128);
            colour = storedColour(red << 16 | green << 8 | blue);
        } else {
            const int category = categoryOf(d, static_cast<CodeId>(c));
            const int index = event ? r[2] * 7 + category * r[3] + r[4] - 1
                                    : r[5] * 7 + category * r[6] + r[7] - 1;
            colour = storedColour(CodePalette[static_cast<std::size_t>(index % 52)]);
        }
        d.codes[c].colour = colour;
        ++coloured;
    }
    if (coloured > 0)
        d.modified = true;
    return coloured > 0;
}

// ----- sorting --------------------------------------------------------------------------------

bool sortCodesBy(ScheduleData &d, Prompter &p, bool events, bool ascending, bool categoryFirst)
{
    std::string keys = "CODE$NAME$PLANNED$ALLOCATED$SCHEDULED$LINKS$TIME$PLANNED-ALLOCATED$"
                       "ALLOCATED-SCHEDULED$";
    if (events)
        keys += "EVENT RESOURCES$";
    const int chosen =
        p.choice(std::string("Sort ") + (events ? "events" : "resources") + " by:", 0, 1, keys);
    if (chosen == 0)
        return false;
    int key = SortByCode + chosen - 1;
    if (chosen == 10) {
        const int category =
            p.categoryChoice(d, "Sort events by their first resource of the category:", 0, 1,
                             CategoryChoiceOptions{false, true, false});
        if (category == 0)
            return false;
        key = SortByFirstResource + category;
    }
    sortCodes(d, key, events ? CodeKind::Event : CodeKind::Resource, ascending, categoryFirst);
    rebuildLists(d);
    d.modified = true;
    return true;
}

// ----- categories and names -------------------------------------------------------------------

int recategorise(ScheduleData &d, Prompter &p, int c)
{
    std::vector<CodeId> codes;
    if (c != 0) {
        if (!validCode(d, c))
            return 0;
        codes.push_back(static_cast<CodeId>(c));
    } else {
        const auto chosen =
            p.pickCodes(d, "Select the codes to recategorise", 0, PickEvents | PickResources);
        if (!chosen || chosen->empty())
            return 0;
        codes = ofKind(d, *chosen, d.codes[chosen->front()].isEvent());
    }
    const bool events = d.codes[codes.front()].isEvent();
    const std::string_view names = events ? d.eventCategories.view() : d.resourceCategories.view();

    std::array<int, MaxCategories + 1> members{};
    for (int k = 1; k <= d.codeCount; ++k) {
        if (d.codes[k].isEvent() == events)
            ++members[categoryOf(d, static_cast<CodeId>(k))];
    }
    // Unnamed categories stay in the list as blanks, so an option's number is its category.
    std::string list;
    for (int k = 1; k <= MaxCategories; ++k) {
        const std::string item = listItem(names, k);
        list += (item.find(':') != std::string::npos
                     ? item + " (" + str(members[static_cast<std::size_t>(k)]) + ")"
                     : std::string(" ")) +
                "$";
    }
    const int category =
        p.choice("Select the new category:", 0, categoryOf(d, codes.front()), list);
    if (category < 1 || category > MaxCategories)
        return 0;
    const auto bit = static_cast<std::uint16_t>(1u << (CategoryShift + category - 1));
    const bool noTimetable = d.noTimetableMasks[1] & (1u << category);
    for (const CodeId code : codes) {
        std::uint16_t &flags = d.codes[code].flags;
        flags = events ? static_cast<std::uint16_t>(IsEventBit | bit | (flags & LockedBit))
                       : static_cast<std::uint16_t>(bit | (noTimetable ? NoTimetableBit : 0));
    }
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    d.modified = true;
    return category;
}

int attributeNewEvent(ScheduleData &d, Prompter &p, int newEvent, int original, bool *keepAsking)
{
    if (!keepAsking || !*keepAsking || !isEvent(d, newEvent) || !isEvent(d, original))
        return 0;
    static constexpr std::array<std::pair<const char *, const char *>, 6> Forms = {{
        {"", " "},
        {"[", "]"},
        {"(", ")"},
        {"{", "}"},
        {"\\", "\\"},
        {"/", "/"},
    }};
    const auto form = [](int k, const std::string &code) {
        const auto &[open, close] = Forms[static_cast<std::size_t>(k - 1)];
        return open + code + close;
    };
    const std::string code = d.codes[newEvent].code.str();
    const std::string name = d.codes[newEvent].name.str();
    std::string options;
    for (int k = 1; k <= 6; ++k)
        options += form(k, code) + name.substr(0, 30) + "...$";
    const int chosen =
        p.choice(std::string("Do you want to attribute the new event?") + LineBreak +
                     "Select [OK] to insert \"" + code + "\" in front of the new event name." +
                     LineBreak + "Select [Cancel] to keep the original event name.",
                 0, 1, options, keepAsking);
    if (chosen < 1 || chosen > 6)
        return 0;
    for (const int c : {newEvent, original}) {
        const std::string prefix = form(chosen, d.codes[c].code.str());
        const std::string current = d.codes[c].name.str();
        if (current.find(prefix) != std::string::npos)
            continue;
        // A name near its limit loses its end rather than overrunning the stored field.
        d.codes[c].name.assign((prefix + current).substr(0, NameLength));
    }
    d.modified = true;
    return chosen;
}

// ----- free resources -------------------------------------------------------------------------

std::vector<CodeId> freeResources(ScheduleData &d, int week, int day1, int bell1, int day2,
                                  int bell2, int category)
{
    std::vector<CodeId> out;
    if (week < 1 || week > d.coding.weekLimit)
        return out;
    day1 = std::clamp(day1, 1, MaxDays);
    day2 = std::clamp(day2, day1, MaxDays);
    bell1 = std::clamp(bell1, 1, MaxBells);
    bell2 = std::clamp(bell2, bell1, MaxBells);
    const LectureIndex index(d);
    WeekTimetable t;
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent() || (d.codes[c].flags & NoTimetableBit))
            continue;
        if (category != 0 && categoryOf(d, static_cast<CodeId>(c)) != category)
            continue;
        t = WeekTimetable{};
        weekTimetableOf(d, static_cast<CodeId>(c), week, t, index, true);
        bool free = true;
        for (int day = day1; day <= day2 && free; ++day) {
            for (int bell = bell1; bell <= bell2 && free; ++bell)
                free = t.cell(day, bell) == 0 && t.manualRoom[bell][day] == 0;
        }
        if (free)
            out.push_back(static_cast<CodeId>(c));
    }
    return out;
}

CodeId showFreeResources(ScheduleData &d, Prompter &p, int week, int day1, int bell1, int day2,
                         int bell2, int category)
{
    const std::vector<CodeId> found = freeResources(d, week, day1, bell1, day2, bell2, category);
    const int cells = (std::max(day2, day1) - day1 + 1) * (std::max(bell2, bell1) - bell1 + 1);
    const std::string categoryText =
        category != 0 ? listItem(d.resourceCategories.view(), category) : "All categories";
    std::string heading = "Free resources (of \"" + categoryText + "\") in all " + str(cells) +
                          " slot(s) of the time range:" + LineBreak +
                          formatDayBell(d, day1, bell1, 0) + " - " +
                          formatDayBell(d, day2, bell2, 0) + ", " + formatWeek(d, week, 3);
    if (category != 0)
        heading += std::string(LineBreak) +
                   "(To view free resources of other categories, click first its timetable).";
    if (found.empty()) {
        p.infoDlg(heading + LineBreak + LineBreak + "--- No free resources found ---");
        return 0;
    }
    std::string list;
    for (std::size_t i = 0; i < found.size(); ++i)
        list +=
            str(static_cast<int>(i) + 1) + ": " + formatCode(d, found[i], ShowCodeAndName) + "$";
    const int chosen = p.choice(heading, 0, 1, list);
    return chosen >= 1 ? found[static_cast<std::size_t>(chosen) - 1] : 0;
}

} // namespace quivra
