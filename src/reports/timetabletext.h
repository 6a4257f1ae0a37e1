#pragma once

// The Timetables view's copies to the clipboard, as text: ten layouts built from week
// timetables and explicit choices, so they need no window. Cells end with a TAB and lines with
// CR LF (clipboardtext.h's writer).

#include "engine/codetable.h"
#include "engine/scheduledata.h"
#include "reports/clipboardtext.h"

#include <string>
#include <vector>

namespace quivra {

// What a timetable cell shows in the copies by category.
enum class CellContent { Event, Resource, EventPlusResource, TwoResources, Comments, Counts };

struct TimetableCopy
{
    int item = 1;             // 1 "Master timetable" .. 10 "Calendar timetable"
    bool lineForm = false;    // items 1, 2, 3, 4, 7 and 9: one line per timetable
    int showMode = ShowCode;  // how events and resources are labelled
    bool manualRooms = false; // rooms show the events given to them by hand
    CodeId code = 0;          // items 1 and 4: the timetable; item 2: the current event
    int week = 1;             // items 1, 2, 3, 5, 6, 7: the current week
    CellContent content = CellContent::Event; // item 3
    int category = 0;                // items 3, 6, 7, 8 (8: 8 = all), 10: the timetables' category
    int contentCategory = 0;         // item 3: "Resource" and "Event plus resource"; 1st of two
    int contentCategory2 = 0;        // item 3: 2nd of "Two resources"
    std::vector<CodeId> codes;       // item 5: the events; item 9: the resources counted
    bool events = false;             // item 8: the timetables of events rather than resources
    std::vector<int> weeks;          // item 8: the weeks
    bool capacities = false;         // item 9: seats rather than cell items
    int firstWeek = 1, lastWeek = 1; // item 10
    int characters = 15;             // item 10: characters of a cell label
    std::string dateFormat = "ddddd";
};

// The text of one copy; `truncated` (when given) is set when item 10 had more than 255 days.
ClipWriter copyTimetables(const ScheduleData &d, const TimetableCopy &request,
                          bool *truncated = nullptr);

// The timetabled resources of a category in list order (the rows a week matrix shows).
std::vector<CodeId> timetabledResources(const ScheduleData &d, int category);
// Whether any timetable lecture lies in week w.
bool weekHasLectures(const ScheduleData &d, int week);

} // namespace quivra
