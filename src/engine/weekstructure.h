#pragma once

// The week structure of the whole lecture store: weeks inserted and deleted for all codes or
// one, a week copied and pasted, a day copied, long weeks split into weeks of length 1.

#include "engine/scheduledata.h"

#include <cstdint>
#include <vector>

namespace quivra {

// Whether the week table's names and lengths move with the weeks or stay where they are.
enum class WeekNames { Move, Keep };
// The codes a week copy works on: all, or the marked ones (LinkMarks bit 0).
enum class CodeScope { All, Marked };

// Inserts an empty week w for all codes (c = 0) or for c only. Refused (false, nothing
// changed) when something occupies the last week of the coding, which would fall off.
bool insertWeek(ScheduleData &d, int w, WeekNames names, CodeId c = 0);
// Fills an inserted week w from its neighbours: days 1..t from week w - 1, the rest from week
// w + 1 (periods get a matching allocation). Returns the entries added.
int fillInsertedWeek(ScheduleData &d, int w, int t);
// Deletes week w for all codes (c = 0) or for c only; later weeks move one earlier. The
// deleted week's manual rooms and comments go with it. With the names moving, the freed last
// week gets its default name ("[255]").
bool deleteWeek(ScheduleData &d, int w, WeekNames names, CodeId c = 0);

// The copy buffer of copyWeek: word, day/bell parts and kind of every entry of one week.
struct WeekClipboard
{
    struct Entry
    {
        std::uint16_t word = 0;
        std::int16_t kind = 0;
        std::uint8_t startDay = 0, startBell = 0, endDay = 0, endBell = 0;
    };
    int week = 0;
    std::vector<Entry> entries;
};
// Copies every entry covering week w of the codes in scope.
int copyWeek(ScheduleData &d, int w, CodeScope scope, WeekClipboard &clip);
// Replaces week w of the same codes by the buffer; manual rooms of the source week are copied.
int pasteWeek(ScheduleData &d, int w, CodeScope scope, const WeekClipboard &clip);
// Makes (target week, day) a copy of (source week, day) for every event in scope:
// an event with nothing on the source day loses what it had on the target day. A target week's
// allocation is raised to what it then has placed. Returns the events changed.
int copyDay(ScheduleData &d, int sourceWeek, int sourceDay, int targetWeek, int targetDay,
            CodeScope scope);
// Splits weeks of length > 1 from week w on into weeks of length 1; true when any was split.
bool splitLongWeeks(ScheduleData &d, int w);

} // namespace quivra
