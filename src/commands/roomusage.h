#pragma once

// Optimise room usage of the Events view: rooms are the resources of the rooms category, their
// seats the numbers after "#" in their names ("Room 12 #30"), and what an event needs the seats
// its other resources carry ("Group 7A #25"). Words beginning with "%" in names are match tags
// ("%Lab"). The command checks the capacity tags, then attaches rooms to events, swaps rooms
// between events to balance their seats, removes rooms or lists how the rooms are used, as the
// user chooses, until the user stops.
//
// The pieces below the dialogue take their answers as arguments, so they are tested without one.

#include "engine/random.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string>
#include <vector>

namespace quivra {

// A "#" followed by a number somewhere in the name.
bool hasCapacityTag(std::string_view name);
// The "%" words of a name, "%" included.
std::vector<std::string> matchTags(std::string_view name);
// Whether two names share a match tag.
bool shareMatchTag(std::string_view a, std::string_view b);

// The check of capacity tags over all events.
struct RoomCapacityCheck
{
    int events = 0;
    int rooms = 0;
    int tagsInRoomsOnly = 0; // events whose rooms, and none of their other resources, carry "#"
    int tagsInOthersOnly = 0;
    int tagsInBoth = 0;
    int lacking = 0, lackingSeats = 0; // events with rooms and too few seats, and the seats missing
    int excess = 0, excessSeats = 0;
    int balanced = 0;
    int withoutRooms = 0;
};
RoomCapacityCheck roomCapacityCheck(const ScheduleData &d);
// The text the check shows: the summary when some event has tags in both kinds, otherwise the
// explanation of capacity tags with the counts.
std::string roomCapacityText(const RoomCapacityCheck &check);

// The rooms of `event`'s collection, in collection order.
std::vector<CodeId> roomsOf(const ScheduleData &d, CodeId event);

struct RoomAttachResult
{
    int rooms = 0;  // rooms attached
    int events = 0; // events that got at least one
    int byTags = 0; // of those rooms, attached by matching tags alone
};
// Attaches rooms to those of `events` that lack seats (no room, or fewer seats than their other
// resources need): as many rooms as the event has resources of `category`, each one that can
// join the event, has room enough and, with `tagsRequired`, shares a match tag with it. An event
// for which no room qualifies keeps the rooms it had. With `byTags` the events still without a
// room then get the first free room that shares a match tag with them. `random` picks the room
// where a search for one room starts.
RoomAttachResult attachRooms(ScheduleData &d, const std::vector<CodeId> &events, int category,
                             bool tagsRequired, bool byTags, Random &random);

struct RoomRemoveResult
{
    int rooms = 0;
    int events = 0;
    int kept = 0; // events left alone because their rooms were all their resources
};
// Removes the rooms of `events`. An event whose collection holds nothing but rooms keeps them:
// without resources it would lose its periods.
RoomRemoveResult removeRooms(ScheduleData &d, const std::vector<CodeId> &events);

// A room swap of the balancing pass: room `room` of `event` changes places with room `other` of
// `otherEvent`; `change` is the change of the two events' total seat imbalance (below 0).
struct RoomSwap
{
    CodeId event = 0, room = 0, otherEvent = 0, other = 0;
    int change = 0;
};
// The swaps that balance the seats of room `room` of `event`, at most 240, in resource list order.
std::vector<RoomSwap> roomSwaps(const ScheduleData &d, CodeId event, CodeId room,
                                bool tagsRequired);

// The lines of the room utilisation list: one per room with a capacity tag.
std::vector<std::string> roomUtilisation(const ScheduleData &d);

// The whole dialogue (help topic 1220). True when the data set changed.
bool optimiseRoomUsage(ScheduleData &d, Prompter &p, std::uint32_t seed);

} // namespace quivra
