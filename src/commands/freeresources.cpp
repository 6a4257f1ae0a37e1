#include "commands/freeresources.h"

#include "commands/commandsupport.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/random.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace quivra {

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
    std::string heading = "Free resources (of \"" + categoryText + "\") in all " +
                          std::to_string(cells) + " slot(s) of the time range:" + LineBreak +
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
        list += std::to_string(static_cast<int>(i) + 1) + ": " +
                formatCode(d, found[i], ShowCodeAndName) + "$";
    const int chosen = p.choice(heading, 0, 1, list);
    return chosen >= 1 ? found[static_cast<std::size_t>(chosen) - 1] : 0;
}

} // namespace quivra
