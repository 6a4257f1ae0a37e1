#pragma once

// The institution the report tests publish: three weeks (the first in January, a long second
// week of 26 calendar weeks, the third in July), bell names with and without clock times, a
// booking, a manual room, a memo and a comment, and hostile texts in codes and names ("<b>&\"x",
// "a,b;c", a line break, a code-page "é", 200 characters; codes "T1"/"t1", "A/B", "../x", "!."
// and "$-" whose page names would collide).

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "support/fixture.h"

#include <memory>
#include <string>

namespace quivra {

inline std::string longName()
{
    std::string s;
    for (int i = 0; s.size() < 200; ++i)
        s += "Long name " + std::to_string(i) + " ";
    return s.substr(0, 200);
}

inline std::unique_ptr<ScheduleData> reportFixture(bool dated = true)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(3, 5, 6)
        .resources('G', {"G1", "A/B"})
        .resources('T', {"T1", "t1", "../x", "!.", "$-"})
        .resources('R', {"R1", "Lab"});
    f.event("MA", {"G1", "T1", "R1"}, 6).allocate("MA", 1, 3, 2);
    f.place("MA", 1, 1, 1, 2).place("MA", 3, 1, 1, 2);
    f.event("<b>&\"x", {"A/B", "t1"}, 3).allocate("<b>&\"x", 1, 1, 2).allocate("<b>&\"x", 3, 3, 1);
    f.place("<b>&\"x", 1, 2, 3, 3).place("<b>&\"x", 1, 4, 5, 5).place("<b>&\"x", 3, 5, 6, 6);
    f.manualRoom("<b>&\"x", 1, 2, 3, "Lab");
    f.event("CSV", {"../x", "!.", "$-", "G1"}, 2).allocate("CSV", 1, 1, 2);
    f.place("CSV", 1, 3, 2, 3);
    f.event("NL", {"T1", "A/B"}, 1).allocate("NL", 3, 3, 1).place("NL", 3, 2, 4, 4);
    f.event("LONG", {"$-", "Lab"}, 1).allocate("LONG", 1, 1, 1).place("LONG", 1, 5, 1, 1);
    f.book("T1", 1, 3, 5, 1, 6);
    f.memo("T1", "Memo of <T1> & co");
    f.finish();

    auto name = [&](std::string_view code, std::string_view text) {
        d->codes[f.id(code)].name.assign(text);
    };
    name("<b>&\"x", "<b>&\"x");
    name("CSV", "a,b;c \"quoted\"");
    name("NL", "line\nbreak");
    name("LONG", longName());
    name("MA", "Math\xE9matiques");
    name("T1", "Teacher <one>");
    name("A/B", "Group A/B");
    name("Lab", "Lab @North-Wing");

    const char *bells[] = {"8.00-8.45", "8.45-9.30", "9.40-10.25", "10.30", "2 PM", ""};
    for (int b = 1; b <= 6; ++b)
        d->bellNames[static_cast<std::size_t>(b)].assign(bells[b - 1]);
    const char *weeks[] = {"Jan", "Long", "Jul"};
    for (int w = 1; w <= 3; ++w)
        d->weeks[static_cast<std::size_t>(w)].name.assign(weeks[w - 1]);
    d->weeks[2].length = 26;
    d->header.fileComment.assign("School <b>&\"x");
    if (dated) {
        d->calendarMode |= 2;
        d->firstWeekDate = dateSerial(2026, 1, 5); // a Monday
    }
    d->currentWeek = 1;
    d->modified = false;
    return d;
}

} // namespace quivra
