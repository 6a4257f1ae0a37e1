#pragma once

// Synthetic data sets the engine and checks benchmarks share: groups, teachers and rooms in
// categories 1 to 3, then events of a group, a teacher and a room each, all drawn from a fixed
// seed so that every run (and every benchmark built on the same seed) measures the same data.

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/scheduledata.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quivra::benchdata {

// A linear congruential source: the same numbers on every platform and library.
struct Random
{
    std::uint32_t seed = 4711;
    int below(int n)
    {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((std::uint64_t{seed} * static_cast<std::uint32_t>(n)) >> 32);
    }
};

struct Shape
{
    int groups = 0, teachers = 0, rooms = 0, events = 0;
    int weeks = 0, days = 0, bells = 0;
    std::uint16_t planned = 0; // every code's planned periods
    int resources() const { return groups + teachers + rooms; }
};

// The calendar range, the codes and each event's collection (its group, teacher and room drawn
// from `rnd`, in that order); no lectures yet.
inline std::unique_ptr<ScheduleData> codesAndCollections(const Shape &s, Random &rnd)
{
    auto d = makeScheduleData();
    d->calendarRange.startWeek = d->calendarRange.startDay = d->calendarRange.startBell = 1;
    d->calendarRange.endWeek = static_cast<std::uint8_t>(s.weeks);
    d->calendarRange.endDay = static_cast<std::uint8_t>(s.days);
    d->calendarRange.endBell = static_cast<std::uint8_t>(s.bells);
    auto category = [](int k) { return static_cast<std::uint16_t>(1u << (CategoryShift + k - 1)); };
    const int resources = s.resources();
    const int codes = resources + s.events;
    for (int c = 1; c <= codes; ++c) {
        CodeRecord &rec = d->codes[c];
        const bool event = c > resources;
        rec.flags = event ? static_cast<std::uint16_t>(IsEventBit | category(1))
                          : category(c <= s.groups                ? 1
                                     : c <= s.groups + s.teachers ? 2
                                                                  : 3);
        rec.code.assign((event ? "E" : "R") + std::to_string(c));
        rec.planned = s.planned;
    }
    d->codeCount = codes;
    setLectureCodeMask(*d);
    int pos = 0;
    for (int e = resources + 1; e <= codes; ++e) {
        d->collection[++pos] = static_cast<std::uint16_t>(e | CollectionMarkerBit);
        d->codes[e].collectionPos = static_cast<std::uint16_t>(pos);
        d->collection[++pos] = static_cast<std::uint16_t>(1 + rnd.below(s.groups));
        d->collection[++pos] = static_cast<std::uint16_t>(s.groups + 1 + rnd.below(s.teachers));
        d->collection[++pos] =
            static_cast<std::uint16_t>(s.groups + s.teachers + 1 + rnd.below(s.rooms));
        d->codes[e].links = 3;
    }
    d->collectionEntryCount = pos;
    d->collectionCount = s.events;
    return d;
}

// A data set at every capacity: 8191 codes (600 groups, 800 teachers, 791 rooms, 6000 events)
// over 40 weeks of 5 days and 8 bells. Each event has one allocation of four periods a week
// over all weeks and four single-period blocks over ranges of weeks; resource bookings fill the
// rest of the lecture store. Lists and totals are counted.
inline std::unique_ptr<ScheduleData> fullDataSet(std::uint32_t seed, std::uint16_t planned)
{
    const Shape s{.groups = 600,
                  .teachers = 800,
                  .rooms = 791,
                  .events = MaxCodes - 2191,
                  .weeks = 40,
                  .days = 5,
                  .bells = 8,
                  .planned = planned};
    Random rnd{seed};
    auto d = codesAndCollections(s, rnd);
    for (int e = s.resources() + 1; e <= MaxCodes; ++e) {
        LectureView alloc;
        alloc.word = static_cast<std::uint16_t>(e | LectureEventBit);
        alloc.count = 4;
        alloc.startWeek = 1;
        alloc.endWeek = static_cast<std::uint8_t>(s.weeks);
        appendLecture(*d, alloc, 0);
        for (int k = 0; k < 4; ++k) {
            LectureView v;
            v.word = alloc.word;
            v.startWeek = static_cast<std::uint8_t>(1 + rnd.below(s.weeks / 2));
            v.endWeek = static_cast<std::uint8_t>(v.startWeek + rnd.below(s.weeks / 2));
            v.startDay = v.endDay = static_cast<std::uint8_t>(1 + rnd.below(s.days));
            v.startBell = static_cast<std::uint8_t>(1 + rnd.below(s.bells));
            v.endBell = v.startBell;
            appendLecture(*d, v, 0);
        }
    }
    while (d->lectureCount < MaxLectures) {
        LectureView v;
        v.word = static_cast<std::uint16_t>((1 + rnd.below(s.resources())) | LectureBookingBit);
        v.startWeek = v.endWeek = static_cast<std::uint8_t>(1 + rnd.below(s.weeks));
        v.startDay = v.endDay = static_cast<std::uint8_t>(1 + rnd.below(s.days));
        v.startBell = v.endBell = static_cast<std::uint8_t>(1 + rnd.below(s.bells));
        if (appendLecture(*d, v, 1 + rnd.below(3)) == 0)
            break;
    }
    rebuildLists(*d);
    totals(*d, 1, d->codeCount);
    return d;
}

} // namespace quivra::benchdata
