#pragma once

// The main frame's own commands, without a window: the Clear commands, locking events by rules,
// deleting a range of weeks, the default booking kinds and the code colours.
//
// Every command talks to the user only through the Prompter: it asks first, and a Cancel (or No
// to a confirmation) at any question ends it with nothing changed. It then changes the stores
// through the engine's operations, recounts, and ends with one message that counts what it did.
// Refreshing the views is the caller's business; each command returns whether it changed the
// data set, so the caller knows when to.
//
// The code pickers these commands open are asked for one kind of code (PickEvents or
// PickResources); a code of the other kind that comes back checked is ignored.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

// kindMask of the code pickers.
constexpr std::uint16_t PickEvents = 1;
constexpr std::uint16_t PickResources = 2;

// What the Clear commands 1 to 4 remove; the values combine.
enum ClearPart : int {
    ClearPartAllocations = 1,    // weekly periods (their placements go with them)
    ClearPartWeekBookings = 2,   // weekly bookings
    ClearPartPlacements = 4,     // scheduled periods
    ClearPartTableBookings = 8,  // timetable bookings of resources
    ClearPartAskWeekRange = 128, // all weeks, narrowed by asking for a first and last week
};

// The last week that holds lectures (0 when none).
int lastLectureWeek(const ScheduleData &d);

// Clear 1 to 4 (and the Weeks view's "Clear in week"): `parts` is one ClearPart, with
// ClearPartAskWeekRange for all weeks; without it only `week` is cleared. The user picks the
// codes, confirms, and says whether locked events may change. When scheduled periods go, the
// manual rooms of the cleared events in those weeks go too. True when anything was cleared.
bool clearPeriods(ScheduleData &d, Prompter &p, int parts, int week = 0);

// Clear 5 and 6: removes the picked events (or resources) for good.
bool removeCodes(ScheduleData &d, Prompter &p, bool events);
// Clear 7: removes the picked resources from the collections of the picked events.
bool removeEventResources(ScheduleData &d, Prompter &p);
// Clear 8: the comments of a range of weeks, and on request the rest.
bool clearComments(ScheduleData &d, Prompter &p);
// Clear 9: every memo.
bool clearMemos(ScheduleData &d, Prompter &p);
// Clear 10: deletes a range of weeks; later weeks move up. Refused silently while no lectures
// lie beyond week 1. `activeWeek` is the default first week and is held within the weeks left.
bool deleteWeekRange(ScheduleData &d, Prompter &p, int &activeWeek);

// Lock events: 1 lock all by rules, 2 unlock all by rules, 3 select events to lock, 4 select
// resources to lock. `caption` names the command in the question about the rule.
enum LockCommand : int {
    LockAllByRules = 1,
    UnlockAllByRules = 2,
    SelectEventsToLock = 3,
    SelectResourcesToLock = 4,
};
bool lockEventsByRules(ScheduleData &d, Prompter &p, int command, std::string_view caption);

// The default booking kind of new event (events true) or resource bookings, or the caption of
// the current one: 1..3 when a kind was chosen, 4 when the caption was changed, 0 cancelled.
int bookingChoice(ScheduleData &d, Prompter &p, bool events);

// The automatic code colours, 0xRRGGBB; a code's colour is stored as 0x00BBGGRR.
extern const std::array<std::uint32_t, 52> CodePalette;
constexpr std::int32_t storedColour(std::uint32_t rgb)
{
    return static_cast<std::int32_t>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

// Clears every code's colour after asking.
bool clearColours(ScheduleData &d, Prompter &p);
// Automatic colours: 1 by category, 2 random, 3 random to events only, 4 random to resources
// only (the other codes by category). `seed` starts the random numbers.
enum AutoColours : int {
    ColoursByCategory = 1,
    RandomColours = 2,
    RandomEventColours = 3,
    RandomResourceColours = 4,
};
bool setColoursAutomatically(ScheduleData &d, Prompter &p, int mode, std::uint32_t seed);
// Gives code c the colour (0x00BBGGRR); false for an invalid code.
bool setCodeColour(ScheduleData &d, int c, std::int32_t colour);
// Asks for the colour of code c, starting on its own; true when a colour was chosen and set.
bool chooseCodeColour(ScheduleData &d, Prompter &p, CodeId c);

// Sort events (or resources) by ...: the user chooses the key (for events also "EVENT
// RESOURCES", the first resource of a chosen category); the code table is sorted and every store
// renumbered. True when sorted.
bool sortCodesBy(ScheduleData &d, Prompter &p, bool events, bool ascending, bool categoryFirst);

// Moves code c (0: the codes the user picks, all of the first picked code's kind) to a category
// the user chooses among the named categories of its kind. The flag word is rebuilt (an event
// keeps its lock, a resource takes its category's no-timetable rule; marks are cleared) and the
// data set recounted. Returns the category, 0 when cancelled.
int recategorise(ScheduleData &d, Prompter &p, int c = 0);

// After an event was made from another (a split or a copy): offers to put a form of each
// event's code in front of its name ("CODE name", "[CODE]name", "(CODE)name", ...), so the two
// can be told apart. Asked only while *keepAsking is true; its "Don't ask this again" box clears
// it. Names keep their stored length limit. Returns the form chosen (1..6), 0 when none.
int attributeNewEvent(ScheduleData &d, Prompter &p, int newEvent, int original, bool *keepAsking);

// The resources of `category` (0: all timetabled resources) whose timetables are free in every
// cell of days day1..day2 and bells bell1..bell2 of week `week`.
std::vector<CodeId> freeResources(ScheduleData &d, int week, int day1, int bell1, int day2,
                                  int bell2, int category);
// Lists them and lets the user choose one: the chosen resource, 0 when none was chosen.
CodeId showFreeResources(ScheduleData &d, Prompter &p, int week, int day1, int bell1, int day2,
                         int bell2, int category);

} // namespace quivra
