#include "engine/tidy.h"

#include "engine/codetable.h"
#include "engine/totals.h"
#include "engine/weekedit.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace quivra {

using namespace detail;

namespace {

// A resource's slot bookings regrouped by kind, kind 1 first: the cells of each kind, less those
// a lower kind already holds (a cell booked twice keeps the lower kind), as maximal blocks. Its
// other timetable entries follow unchanged.
void regroupBookings(const ScheduleData &d, CodeId c, WeekAllocation &wa)
{
    auto taken = std::make_unique<OccupancyMap>();
    taken->reset(d);
    std::vector<LectureView> list;
    std::vector<std::int16_t> kinds;
    const WeekAllocation sorted = wa;
    for (int kind = 1; kind <= 3; ++kind) {
        WeekAllocation part = wa;
        part.timetable.clear();
        part.timetableKinds.clear();
        for (std::size_t i = 0; i < wa.timetable.size(); ++i)
            if (isBookingWord(wa.timetable[i].word) &&
                std::clamp(kindAt(wa, i) & 0xFF, 1, 3) == kind) {
                part.timetable.push_back(wa.timetable[i]);
                part.timetableKinds.push_back(static_cast<std::int16_t>(kind));
            }
        if (part.timetable.empty())
            continue;
        auto m = std::make_unique<OccupancyMap>();
        expandSchedule(d, part, *m, true);
        for (int w = m->firstWeek; w <= m->lastWeek; ++w)
            for (int day = m->firstDay; day <= m->lastDay; ++day) {
                m->maskRef(w, day) &= ~taken->mask(w, day);
                taken->add(w, day, m->mask(w, day));
            }
        m->owner = static_cast<std::uint16_t>(ownWord(d, c) | LectureBookingBit);
        m->kind = static_cast<std::int16_t>(kind);
        part.timetable.clear();
        part.timetableKinds.clear();
        compressSchedule(d, *m, part, false);
        list.insert(list.end(), part.timetable.begin(), part.timetable.end());
        kinds.insert(kinds.end(), part.timetableKinds.begin(), part.timetableKinds.end());
    }
    for (std::size_t i = 0; i < sorted.timetable.size(); ++i)
        if (!isBookingWord(sorted.timetable[i].word)) {
            list.push_back(sorted.timetable[i]);
            kinds.push_back(kindAt(sorted, i));
        }
    wa.timetable = std::move(list);
    wa.timetableKinds = std::move(kinds);
    countTimetableWeeks(d, wa);
}

// Rewrites every code's lectures as maximal blocks and its allocations as runs; the codes whose
// entries get fewer are stored together. Every code is read through one index.
void rewriteCodes(ScheduleData &d)
{
    std::vector<PendingStore> changes;
    const LectureIndex index(d);
    PendingStore item;
    for (CodeId c = 1; c <= d.codeCount; ++c) {
        WeekAllocation &wa = item.wa;
        loadWeekAllocation(d, c, wa, index);
        wa.code = c;
        if (wa.timetable.empty() && wa.weekEntries <= weekRunsOf(d, wa))
            continue;
        const std::size_t before = wa.timetable.size();
        if (d.codes[c].isEvent())
            rebuildTimetable(d, wa, 0, [](std::uint16_t, std::int16_t, OccupancyMap &) {});
        else
            regroupBookings(d, c, wa);
        if (wa.timetable.size() < before || wa.weekEntries > weekRunsOf(d, wa)) {
            item.code = c;
            changes.push_back(std::move(item));
            item = PendingStore{};
        }
    }
    storeAll(d, changes);
}

// Blocks of one day come out of the maps; merging the sorted store joins blocks of neighbouring
// days and weeks. At most three rounds, while the store still shrinks.
void compactAndMerge(ScheduleData &d)
{
    compactStore(d);
    for (int round = 0; round < 3; ++round) {
        const int before = d.lectureCount;
        mergeLectures(d);
        if (d.lectureCount >= before)
            break;
    }
}

// A code that repeats an earlier code's text gets a text of its own; nothing is deleted.
// Returns the codes renamed.
int renameDuplicateCodes(ScheduleData &d)
{
    int renamed = 0;
    std::unordered_set<std::string> seen;
    for (int c = 1; c <= d.codeCount; ++c) {
        std::string text = d.codes[c].code.str();
        if (seen.insert(text).second)
            continue;
        const std::string unique = makeUniqueCode(d, text);
        if (unique.empty())
            continue;
        d.codes[c].code.assign(unique);
        seen.insert(unique);
        ++renamed;
        d.modified = true;
    }
    return renamed;
}

} // namespace

TidyResult tidy(ScheduleData &d)
{
    TidyResult result;
    result.lecturesBefore = d.lectureCount;
    // Rewriting the lectures as blocks changes nothing the data say; a renamed code does.
    const bool modified = d.modified;
    rewriteCodes(d);
    compactAndMerge(d);
    d.modified = modified;
    result.renamedDuplicates = renameDuplicateCodes(d);
    totals(d, 1, d.codeCount);
    result.lecturesAfter = d.lectureCount;
    return result;
}

} // namespace quivra
