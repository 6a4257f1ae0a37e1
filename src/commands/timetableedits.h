#pragma once

// The Timetables view's commands that reach past the master timetable's cells: rooms of the
// current event and slot, the manual-room question before scheduling, editing the current
// event's collection (with its replacements logged for undo), the "What if?" list of the events
// that block the current event, the free resources of the selection, copying the week to later
// weeks and the questions of the quick optimisation before it runs.
//
// They work on the view's TimetablesSession; every question goes through the Prompter and a
// cancelled question leaves the data set as it was.

#include "commands/codelistcommands.h"
#include "commands/timetablecommands.h"

#include <optional>
#include <string>
#include <vector>

namespace quivra {

// ----- manual rooms when scheduling -------------------------------------------------------------

// A manual room a new block of event e would overwrite: a triple with a room at one of the
// block's slots that is e's own (left from an earlier placement) or gives another event a room
// of e's collection.
struct RoomClash
{
    int triple = 0; // position in the store, 1-based
    CodeId event = 0;
    CodeId room = 0;
    int day = 0, bell = 0;
};
std::vector<RoomClash> manualRoomClashes(const ScheduleData &d, CodeId e, int week, int day,
                                         int bell, int length);
// Asks "Event ... is manually scheduled to room ... Overwrite it?" for every clash; nothing when
// one is answered No (the block is skipped), else the triples to clear once the block is in.
std::optional<std::vector<int>> askRoomOverwrite(const ScheduleData &d, Prompter &p, CodeId e,
                                                 int week, int day, int bell, int length);
// Takes the room off the given triples; true when any had one.
bool clearTripleRooms(ScheduleData &d, const std::vector<int> &triples);

// ----- rooms of the current event and slot ------------------------------------------------------

// How widely a room is free for the current event, narrowest first.
enum class RoomScope { Slot = 1, Block, ThisWeek, NextWeeks, AllWeeks };
struct SlotRoom
{
    CodeId room = 0;
    RoomScope scope = RoomScope::Slot;
    bool manual = false;  // the room manually selected for the slot
    bool inEvent = false; // a room of the event's collection
    std::string line;     // "R1 Room one [ALL WEEKS]"
};
// Every room that is free for the current event at the current cell (the event's block there),
// with the widest scope it is free for. Empty when the current cell holds no period of the
// current event.
std::vector<SlotRoom> slotRooms(const ScheduleData &d, const TimetablesSession &s);
// "Check available rooms": lists the rooms with how widely each is free; the chosen one replaces
// a room of the event's collection (one logged step) or joins it as a new room (the week's
// matrix is built again).
TimetableOutcome checkAvailableRooms(ScheduleData &d, TimetablesSession &s, Prompter &p);
// "Select room manually": the rooms free in the slot; the chosen one becomes the slot's manual
// room, and on request that of the event's other slots of the week.
TimetableOutcome selectRoomManually(ScheduleData &d, TimetablesSession &s, Prompter &p);

// ----- the event's structure ---------------------------------------------------------------------

// Shows the collections editor on event e (its resources of `category` offered, 0 all), then
// brings the matrix up to date: resources exchanged in place are replaced in the rows and logged
// for undo; any other change of the collection or the event's periods builds the matrix again
// (which starts a new log).
TimetableOutcome editEventStructure(ScheduleData &d, TimetablesSession &s, Prompter &p, CodeId e,
                                    int category, const CollectionsSession &session);

// One line of "What if?": replacing `resource` in event `blocker` frees `gained` more cells for
// the current event, which has `freeNow` free cells.
struct WhatIfOption
{
    CodeId blocker = 0;
    CodeId resource = 0;
    int freeNow = 0;
    int gained = 0;
    std::string line;
};
std::vector<WhatIfOption> whatIfOptions(const ScheduleData &d, const TimetablesSession &s);
// Lists the options; the chosen one opens the collections editor on the blocking event.
TimetableOutcome whatIf(ScheduleData &d, TimetablesSession &s, Prompter &p,
                        const CollectionsSession &session);

// ----- free resources -------------------------------------------------------------------------

enum class FreeScope { MasterCategory, All, Expanded };
// The resources free in the area of the session's week (Expanded: those free in at least one of
// its slots, most free first); the chosen one becomes the master timetable.
TimetableOutcome showFreeTimetables(ScheduleData &d, TimetablesSession &s, Prompter &p,
                                    CellArea area, FreeScope scope);

// ----- copy to later weeks
// ------------------------------------------------------------------------

// "Copy timetable to subsequent weeks": the current event, all events of the master timetable,
// its bookings or both, into a range of later weeks. Locked events are not copied.
TimetableOutcome copyTimetableToWeeks(ScheduleData &d, TimetablesSession &s, Prompter &p);

// ----- quick optimisation --------------------------------------------------------------------

enum class RemainingAnswer { Optimise, Stop };
// Before the quick optimisation: with periods left in the week, offers to schedule them first
// (not undoable: the matrix is built again). Stop when the user cancelled or declined to go on.
RemainingAnswer scheduleRemainingFirst(ScheduleData &d, TimetablesSession &s, Prompter &p);

} // namespace quivra
