#pragma once

// Manual room assignment: rooms chosen slot by slot for events that have no room resource.
//
// The store is ScheduleData::manualRooms: [0] the number of words in use, then triples
// (slot, event, room). The slot always uses the 8/3/5 coding (week << 8 | day << 5 | bell),
// whatever the data set's slot coding; a room of 0 marks a slot that still needs a room. A
// triple whose week, day or bell is 0, or whose event is not an event, is void: it carries no
// data and the next normalisation drops it wherever it lies.
//
// Rules the store keeps after normaliseManualRooms:
// - one triple per (slot, event); when duplicates exist the one with a room survives;
// - a room holds at most one event per slot: the earlier triple keeps the room, later ones wait
//   for a room again;
// - events with a room resource in their collection have no triples (their room is booked with
//   every placement already);
// - events of event categories left out of the view have no triples.
// A week range or a room filter only narrows what a call looks at: triples outside it are never
// dropped or changed. Dropping the triples outside the included weeks is a separate command the
// user confirms (dropOutsideWeeks).
//
// Every operation that would ask the user or tell them something takes a ManualRoomDialogue;
// the engine itself never shows anything.

#include "engine/scheduledata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quivra {

constexpr int ManualRoomCapacity = 10921;                   // triples
constexpr int ManualRoomWordLimit = ManualRoomCapacity * 3; // 32763 words

// The slot word of a triple and its parts (8/3/5 bits).
inline std::uint16_t manualSlot(int week, int day, int bell)
{
    return static_cast<std::uint16_t>((week << 8) | (day << 5) | bell);
}
inline int manualWeek(std::uint16_t slot)
{
    return slot >> 8;
}
inline int manualDay(std::uint16_t slot)
{
    return (slot >> 5) & 7;
}
inline int manualBell(std::uint16_t slot)
{
    return slot & 31;
}

struct ManualTriple
{
    std::uint16_t slot = 0;
    CodeId event = 0;
    CodeId room = 0;
    friend bool operator==(const ManualTriple &, const ManualTriple &) = default;
};

// Triples in use (words in use / 3, never beyond the store).
int manualTripleCount(const ScheduleData &d);
// Triple k (1-based); k outside 1..count gives an all-zero triple.
ManualTriple manualTriple(const ScheduleData &d, int k);

// Settings kept with the file: the included event categories (bit k - 1 = category k; a stored
// 0 means all) and the included weeks, clamped to 1..weeks in use.
std::uint8_t includedEventCategories(const ScheduleData &d);
void setIncludedEventCategories(ScheduleData &d, std::uint8_t mask);
struct WeekSpan
{
    int first = 1;
    int last = 1;
};
WeekSpan includedWeeks(const ScheduleData &d);
void setIncludedWeeks(ScheduleData &d, int first, int last);

// Position (1-based) of the first triple after `skip` that matches: the slot (week 0 = any
// slot), the room (0 = any) and the event (0 = any). 0 when none.
int findTriple(const ScheduleData &d, int week, int day, int bell, int skip, int room, int event);
// The event manually given room `room` at (week, day, bell): the first such triple wins; 0 when
// none.
CodeId roomOfSlot(const ScheduleData &d, int week, int day, int bell, int room);
// Whether the event's collection holds a resource of the rooms category.
bool hasRoomResource(const ScheduleData &d, int event);

struct ManualRoomUsage
{
    int assigned = 0;         // triples with a room
    int empty = 0;            // triples still waiting for a room
    std::vector<int> perRoom; // [room] triples naming it; sized codeCount + 1
};
ManualRoomUsage manualRoomUsage(const ScheduleData &d);

// Applies the store rules to the triples in weeks w1..w2 (and, with a room filter, only to
// triples of that room; the category rule then does not apply). Void triples are dropped
// everywhere. Marks the data set modified when anything changed. Returns the triples in scope
// that were kept.
int normaliseManualRooms(ScheduleData &d, int w1, int w2, int roomFilter = 0);
// How many triples lie outside weeks w1..w2, for the question before dropOutsideWeeks.
int countOutsideWeeks(const ScheduleData &d, int w1, int w2);
// Drops every triple outside weeks w1..w2 (the confirmed narrowing of the included weeks).
// Returns the triples dropped.
int dropOutsideWeeks(ScheduleData &d, int w1, int w2);

// Outcome of building the list of slots that need a room.
struct SlotListResult
{
    int added = 0;   // new triples waiting for a room
    int missing = 0; // slots that did not fit in the store
    int used = 0;    // triples in the store afterwards
};
// Normalises weeks w1..w2 (clamped to the weeks in use), then adds a waiting triple for every
// placed cell of every event in eventList positions firstEvent..lastEvent (0..0 = all) that has
// periods, a collection and no room resource, whose category is included, and that has no
// triple for that slot yet. Appends stop at the capacity.
SlotListResult buildSlotList(ScheduleData &d, int w1, int w2, int firstEvent = 0,
                             int lastEvent = 0);

enum class TripleKey { Slot = 1, Event = 2, Room = 3 };
// Sorts the triples by one of their words; equal keys keep their order.
void sortTriples(ScheduleData &d, TripleKey key);

// Rooms (rooms category, resourceList order) free for event e at (w, day, bell): the room's own
// week timetable cell is free and no triple of another event gives the room that slot.
std::vector<CodeId> availableRooms(const ScheduleData &d, int e, int w, int day, int bell);
// The same for every bell of a block firstBell..lastBell.
std::vector<CodeId> availableRoomsForBlock(const ScheduleData &d, int e, int w, int day,
                                           int firstBell, int lastBell);
// Rooms that may join e's collection without conflict from week `from` on (the week-wide
// questions of the Timetables view: from the current week, or from week 1 for all weeks).
std::vector<CodeId> roomsThatCanJoin(const ScheduleData &d, int e, int from);

enum class AssignOutcome { Assigned, Unchanged, NotAvailable, NotPlaced, Full, Invalid };
// Gives event e room `room` at (w, day, bell), creating the triple when missing. Refused when
// the event is not placed there, has a room resource, or the room is not available there.
AssignOutcome assignRoom(ScheduleData &d, int e, int w, int day, int bell, int room);
// Sets the room of the matching triples to 0 (0 = any for each field; all zero clears every
// room), then normalises all weeks. Returns the rooms cleared.
int clearRooms(ScheduleData &d, int week, int day, int bell, int event);

// Copies e's rooms of week `source` to the same day and bell of weeks first..last (not source).
// A week where the event is not placed at that slot, or the room is not available there, is
// skipped. An existing triple gets the room only with `overwrite`; otherwise a new triple is
// appended while the store has room. Returns triples changed or added.
int copyRoomToWeeks(ScheduleData &d, int e, int source, int first, int last, bool overwrite);

// Drops triples in weeks w1..w2 that no longer hold: the event is not placed at the slot (or
// has no periods at all), or the room's own timetable is occupied there. Returns triples
// dropped.
int validityCleanup(ScheduleData &d, int w1, int w2);
// Counts triples in weeks w1..w2 that overlap: a timetabled resource of the event holds another
// event at the slot, or the room's slot belongs to another event than the one placed there.
// With `remove` they are dropped.
int manualRoomOverlaps(ScheduleData &d, int w1, int w2, bool remove);

// One (event, room) combination of the assigned triples.
struct RoomCombination
{
    CodeId event = 0;
    CodeId room = 0;
    int uses = 0;    // triples of the event with this room
    int waiting = 0; // triples of the event still without a room
    bool accepted = false;
};

// What compaction and imitation ask and tell. The desktop dialogs or the command line implement
// it; answers are plain values, so a script can drive it.
class ManualRoomDialogue
{
public:
    enum class Answer { Yes, No, All, Cancel };
    virtual ~ManualRoomDialogue() = default;
    // Shown before compaction with the store's usage; false stops without change.
    virtual bool confirmCompact(int assigned, int empty, int capacity) = 0;
    // Asked per event whose triples all name one room: add the room as a resource?
    virtual Answer askAddRoom(CodeId event, CodeId room, int triples) = 0;
    // The combinations found; the implementation sets `accepted`. False cancels.
    virtual bool chooseCombinations(std::vector<RoomCombination> &combinations, int waiting) = 0;
    // The closing message of a command.
    virtual void inform(const std::string &text) = 0;
};

struct CompactResult
{
    int assignedBefore = 0, emptyBefore = 0;
    int assignedAfter = 0, emptyAfter = 0;
    std::vector<CodeId> eventsRemoved; // events that got their room as a resource
    bool cancelled = false;
};
// Normalises weeks 1..last scheduled week, then offers, for every event all of whose triples
// name one room, to add that room to the event's collection. The room is added only when the
// collection has space and the room can join without conflict in any week; only then are the
// event's triples removed.
CompactResult compactManualRooms(ScheduleData &d, ManualRoomDialogue &dialogue);

struct ImitateResult
{
    int combinations = 0;
    int waitingBefore = 0;
    int assigned = 0;
    bool cancelled = false;
};
// Offers the (event, room) combinations already used and gives every waiting triple of an event
// with an accepted combination that room where it is available. At most 2730 combinations.
ImitateResult imitateRooms(ScheduleData &d, ManualRoomDialogue &dialogue);

// The message shown when the slot list does not fit in the store.
std::string capacityText(int used);
// The closing message of compaction.
std::string compactSummaryText(const ScheduleData &d, const CompactResult &result);

} // namespace quivra
