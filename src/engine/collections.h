#pragma once

// Collections: which resources each event needs. The collection list keeps, per event, a marker
// entry followed by its members; collectionPos points at the marker the recount found first.

#include "engine/scheduledata.h"

#include <array>
#include <vector>

namespace quivra {

// A member list: [0] the count, [1..240] CodeIds.
using MemberList = std::array<CodeId, MaxMembers + 1>;

MemberList getCollection(ScheduleData &d, CodeId event); // also sets currentEvent
MemberList collectionOf(const ScheduleData &d, CodeId event);
// Replaces the event's collection; returns the count stored, 0 when refused.
int setCollection(ScheduleData &d, CodeId event, const MemberList &members);
int positionInList(CodeId c, const MemberList &members);
int countInCategory(const ScheduleData &d, int category, const MemberList &members);
CodeId memberOfCategory(const ScheduleData &d, int category, int k, const MemberList &members);
void keepCategories(const ScheduleData &d, std::uint8_t mask, MemberList &members);
void dropNoTimetable(const ScheduleData &d, MemberList &members);
void sortMembers(ScheduleData &d, bool dedupe, bool ascending, MemberList &members);
// Sorts the resources of every event's collection in place, in the member order of sortMembers
// (category flags, then code); nothing is removed and the list does not grow. Returns the events
// whose order changed; the data set is marked modified only when there is one.
int sortEventCollections(ScheduleData &d, bool ascending);
bool replaceMember(ScheduleData &d, CodeId event, CodeId oldResource, CodeId newResource);
bool exchangeMembers(ScheduleData &d, CodeId eventA, CodeId a, CodeId eventB, CodeId b);
// Walks the collection list backwards from `cursor` (start with collectionEntryCount + 1) and
// returns the next event whose collection holds the resource, 0 at the end; moves the cursor.
CodeId eventsOfResource(const ScheduleData &d, CodeId resource, int &cursor);
// Every resource's events at once, each list in the order eventsOfResource gives them, for
// work over many resources; indexed by CodeId (events have empty lists).
std::vector<std::vector<CodeId>> eventsByResource(const ScheduleData &d);

} // namespace quivra
