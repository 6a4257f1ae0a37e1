#pragma once

// What the tests of the Timetables view's commands share: a data set built through the fixture
// builder, scripted dialogs, the view's session on a week, and the data set's content as the view
// leaves it after a change.

#include "commands/timetablecommands.h"
#include "engine/conflicts.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace quivra::testing {

class TimetableTest : public ::testing::Test
{
public:
    TimetableTest() : d(makeScheduleData()), f(*d), p(ui) {}

    // Finishes the data set and opens `week` on `master` with `event` current (empty: none).
    void open(std::string_view master, std::string_view event = {}, int week = 1)
    {
        f.finish();
        s.open(*d, week);
        s.setMaster(master.empty() ? 0 : f.id(master));
        s.setEvent(event.empty() ? 0 : f.id(event));
    }

    // The data set's content: the lecture store compacted (undo leaves emptied entries behind),
    // the totals taken as the view takes them after a change, the modified flag and the run's
    // high-water mark of the largest timetable (never taken back) left out.
    std::string content() const
    {
        compactLectures(*d);
        settleTotals(*d);
        std::string dump = dumpScheduleData(*d);
        for (const char *line : {"modified ", "largest-timetable "}) {
            const std::size_t at = dump.find(line);
            if (at != std::string::npos)
                dump.erase(at, dump.find('\n', at) - at);
        }
        return dump;
    }

    // The event in a cell of a resource's timetable in the open week; 0 for free or booked.
    CodeId at(std::string_view resource, int day, int bell) const
    {
        const CellWord w = s.matrix().cell(s.matrix().rowOf(f.id(resource)), day, bell);
        return w == 0 || isBookingCell(w) ? 0 : cellCode(*d, w);
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
    TimetablesSession s;
};

} // namespace quivra::testing
