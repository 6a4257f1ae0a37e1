#pragma once

// The small institution the clipboard tests copy and paste: two weeks of three days and three
// bells, the first week starting on Wednesday 14 January 2026 (so a calendar starts mid-month
// and a week's first day is no Monday), five resources in three categories, three events (one
// locked, one with a manual room and a code-page "é" in its name), a booking and a comment.

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "support/fixture.h"

#include <memory>

namespace quivra {

inline std::unique_ptr<ScheduleData> clipFixture(bool dated = true)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 3, 3)
        .resources('G', {"G1", "G2"})
        .resources('T', {"T1", "T2"})
        .resources('R', {"R1"});
    f.event("A1", {"G1", "T1", "R1"}, 40, 2).allocate("A1", 1, 2, 2);
    f.place("A1", 1, 1, 1, 2).place("A1", 2, 2, 1, 2);
    f.event("B2", {"G2", "T2"}, 3).allocate("B2", 1, 1, 1).place("B2", 1, 3, 3, 3);
    f.manualRoom("B2", 1, 3, 3, "R1");
    f.event("C3", {"G1"}, 2).allocate("C3", 2, 2, 1);
    f.book("T2", 1, 1, 1, 1);
    f.comment("[001101];T1;Bring books");
    f.finish();
    d->codes[f.id("A1")].name.assign("Algebra");
    d->codes[f.id("B2")].name.assign("Biologie \xE9l\xE8ve");
    d->codes[f.id("C3")].name.assign("Chemistry");
    d->codes[f.id("T1")].name.assign("Teacher one");
    d->codes[f.id("R1")].name.assign("Room #24");
    d->codes[f.id("A1")].flags |= LockedBit;
    const char *bells[] = {"8-9", "9-10", "10-11"};
    for (int b = 1; b <= 3; ++b)
        d->bellNames[static_cast<std::size_t>(b)].assign(bells[b - 1]);
    d->weeks[1].name.assign("W1");
    d->weeks[2].name.assign("W2");
    if (dated) {
        d->calendarMode |= 2;
        d->firstWeekDate = dateSerial(2026, 1, 14); // a Wednesday
    }
    d->currentWeek = 1;
    d->modified = false;
    return d;
}

} // namespace quivra
