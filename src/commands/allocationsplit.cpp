#include "commands/allocationsplit.h"

#include "commands/commandsupport.h"
#include "commands/eventtools.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/recount.h"
#include "engine/scheduling.h"
#include "engine/totals.h"

#include <algorithm>
#include <bit>
#include <string>

namespace quivra {
namespace {

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

const char *kindName(SplitKind kind)
{
    switch (kind) {
    case SplitKind::Duplicate:
        return "duplicate";
    case SplitKind::Split:
        return "split";
    case SplitKind::Balance:
        return "balance";
    case SplitKind::Unscheduled:
        return "unscheduled";
    }
    return "";
}

void recountAll(ScheduleData &d)
{
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
}

// The copy's own periods: e's placements with the copy's word.
void takePlacements(const ScheduleData &d, const WeekAllocation &from, CodeId to,
                    WeekAllocation &into)
{
    const std::uint16_t word = ownWord(d, to);
    for (std::size_t i = 0; i < from.timetable.size(); ++i) {
        LectureView v = from.timetable[i];
        if (isBookingWord(v.word))
            continue;
        v.word = word;
        into.timetable.push_back(v);
        into.timetableKinds.push_back(0);
    }
}

// Balance: in each week of first..last the cells the event has placed beyond what it keeps go
// to the copy, first days and first bells first, as many as the copy's allocation takes.
void balancePlacements(const ScheduleData &d, WeekAllocation &wa, WeekAllocation &wb, int first,
                       int last)
{
    const std::uint16_t own = ownWord(d, wa.code), copyWord = ownWord(d, wb.code);
    const int days = usedDays(d), bells = usedBells(d);
    rebuildTimetable(
        d, wa, 0,
        [&](std::uint16_t word, std::int16_t, OccupancyMap &cells) {
            if (word != own)
                return;
            for (int x = first; x <= last; ++x) {
                int placed = 0;
                for (int day = 1; day <= days; ++day)
                    placed += std::popcount(cells.mask(x, day));
                const auto i = static_cast<std::size_t>(x);
                int move = std::min<int>(wb.allocated[i], std::max(0, placed - wa.allocated[i]));
                for (int day = 1; day <= days && move > 0; ++day) {
                    for (int bell = 1; bell <= bells && move > 0; ++bell) {
                        const std::uint32_t bit = 1u << (bell - 1);
                        if (!(cells.mask(x, day) & bit))
                            continue;
                        cells.maskRef(x, day) &= ~bit;
                        LectureView v;
                        v.word = copyWord;
                        v.startWeek = v.endWeek = static_cast<std::uint8_t>(x);
                        v.startDay = v.endDay = static_cast<std::uint8_t>(day);
                        v.startBell = v.endBell = static_cast<std::uint8_t>(bell);
                        wb.timetable.push_back(v);
                        wb.timetableKinds.push_back(0);
                        --move;
                    }
                }
            }
        },
        true);
    countTimetableWeeks(d, wb);
}

} // namespace

std::uint64_t dataFingerprint(const ScheduleData &d)
{
    std::uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](std::uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    mix(static_cast<std::uint64_t>(d.lectureCount));
    for (int i = 1; i <= d.lectureCount; ++i) {
        mix(d.lectureWord[i]);
        mix(d.lectureStart[i]);
        mix(d.lectureEnd[i]);
        mix(static_cast<std::uint16_t>(d.bookingKind[i]));
    }
    mix(static_cast<std::uint64_t>(d.codeCount));
    for (int c = 1; c <= d.codeCount; ++c) {
        const CodeRecord &r = d.codes[static_cast<std::size_t>(c)];
        for (const char ch : r.code.view())
            mix(static_cast<unsigned char>(ch));
        mix(r.planned);
        mix(r.flags & ~LinkMarksMask);
    }
    for (int i = 1; i <= d.collectionEntryCount; ++i)
        mix(d.collection[static_cast<std::size_t>(i)]);
    return h;
}

bool splitAllocation(ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int w, SplitKind kind,
                     CodeId *made)
{
    if (!validCode(d, e) || !isEventCode(d, e) || w < 1 || w > usedWeeks(d))
        return false;
    const std::string code(d.codes[e].code.view());
    int first = 1, last = weekCap(d);
    if (kind != SplitKind::Duplicate) {
        const char *captions[] = {"", "Duplicate event", "Split allocation from",
                                  "Balance allocation from", "Use unscheduled periods from"};
        const int picked =
            p.pickWeek(d, w,
                       "A new event is created from the periods of the week " +
                           quoted(formatWeek(d, w, 3)) + " to the week you specify." + LineBreak +
                           "Select the last week where you want to apply " +
                           quoted(captions[static_cast<int>(kind)]) + " to:",
                       usedWeeks(d), 1);
        if (picked == 0)
            return false;
        if (picked < w) {
            p.warnDlg("Please select an appropriate week or click [Cancel] in the week selection "
                      "exit.");
            return false;
        }
        first = w;
        last = picked;
    }
    if (!askToUnlock(d, p, e))
        return false;
    CodeRecord record = d.codes[e];
    record.code.assign(makeUniqueCode(d, code));
    record.allocated = record.scheduled = 0;
    record.firstLecture = record.collectionPos = record.links = 0;
    const int at = insertCode(d, e + 1, record);
    if (at == 0) {
        p.warnDlg("The code table is full: no event can be added.");
        return false;
    }
    const auto copy = static_cast<CodeId>(at);
    setCollection(d, copy, collectionOf(d, e));
    WeekAllocation wa, wb;
    loadWeekAllocation(d, e, wa);
    loadWeekAllocation(d, copy, wb);
    const int weeks = weekCap(d);
    if (kind == SplitKind::Split)
        takePlacements(d, wa, copy, wb);
    for (int x = 1; x <= weeks; ++x) {
        const auto i = static_cast<std::size_t>(x);
        const bool inRange = x >= first && x <= last;
        switch (kind) {
        case SplitKind::Duplicate:
            wb.allocated[i] = wa.allocated[i];
            wb.booked[i] = wa.booked[i];
            break;
        case SplitKind::Split: {
            ClearParts placements;
            placements.placements = true;
            if (inRange) {
                wb.allocated[i] = wa.allocated[i];
                wa.allocated[i] = 0;
                clearWeeks(d, wa, x, placements);
            } else {
                clearWeeks(d, wb, x, placements);
            }
            break;
        }
        case SplitKind::Unscheduled:
            if (inRange && wa.allocated[i] > wa.scheduled[i]) {
                wb.allocated[i] = static_cast<std::uint8_t>(wa.allocated[i] - wa.scheduled[i]);
                wa.allocated[i] = wa.scheduled[i];
            }
            break;
        case SplitKind::Balance:
            if (inRange) {
                wb.allocated[i] = static_cast<std::uint8_t>(wa.allocated[i] / 2);
                wa.allocated[i] = static_cast<std::uint8_t>(wa.allocated[i] - wb.allocated[i]);
            }
            break;
        }
    }
    if (kind == SplitKind::Balance)
        balancePlacements(d, wa, wb, first, last);
    if (storeWeekAllocation(d, copy, wb) == 0 && kind != SplitKind::Duplicate &&
        std::any_of(wb.allocated.begin(), wb.allocated.end(), [](auto v) { return v > 0; })) {
        deleteCode(d, copy);
        p.warnDlg("The lecture store is full: " + quoted(code) + " was not changed.");
        return false;
    }
    storeWeekAllocation(d, e, wa);
    setCodePlanned(d, copy, d.codes[copy].allocated);
    recountAll(d);
    s.lastSplit = WeeksState::LastSplit{static_cast<int>(kind), code,
                                        std::string(d.codes[copy].code.view()), dataFingerprint(d)};
    if (made)
        *made = copy;
    return true;
}

bool lastSplitOpen(const ScheduleData &d, const WeeksState &s)
{
    return s.lastSplit && findCode(d, s.lastSplit->event) != 0 &&
           findCode(d, s.lastSplit->copy) != 0 && dataFingerprint(d) == s.lastSplit->fingerprint;
}

bool cancelLastSplit(ScheduleData &d, Prompter &p, WeeksState &s)
{
    if (!lastSplitOpen(d, s)) {
        p.infoDlg("There is nothing to cancel: the data have changed since.");
        s.lastSplit.reset();
        return false;
    }
    const auto kind = static_cast<SplitKind>(s.lastSplit->kind);
    if (!p.sureDlg(std::string("you want to cancel the last ") + kindName(kind) + " of " +
                   quoted(s.lastSplit->event)))
        return false;
    const CodeId e = findCode(d, s.lastSplit->event);
    const CodeId copy = findCode(d, s.lastSplit->copy);
    WeekAllocation wa, wb;
    loadWeekAllocation(d, e, wa);
    loadWeekAllocation(d, copy, wb);
    const int cap = std::clamp(d.coding.slotsPerWeek, 1, 255);
    for (int x = 1; x < WeekTableSize; ++x) {
        const auto i = static_cast<std::size_t>(x);
        wa.allocated[i] =
            static_cast<std::uint8_t>(std::min(wa.allocated[i] + wb.allocated[i], cap));
    }
    takePlacements(d, wb, e, wa);
    if (kind == SplitKind::Duplicate) {
        for (int x = 1; x < WeekTableSize; ++x) {
            const auto i = static_cast<std::size_t>(x);
            wa.allocated[i] = std::max<std::uint8_t>(static_cast<std::uint8_t>(wa.allocated[i] / 2),
                                                     wa.scheduled[i]);
        }
    }
    s.lastSplit.reset();
    if (storeWeekAllocation(d, e, wa) == 0) {
        p.warnDlg("The lecture store is full: the last change could not be cancelled.");
        return false;
    }
    deleteCode(d, copy);
    const CodeId again = findCode(d, std::string(d.codes[e].code.view()));
    recountAll(d);
    setCodePlanned(d, again, d.codes[again].allocated);
    return true;
}

} // namespace quivra
