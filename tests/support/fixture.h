#pragma once

// A small builder that states an institution in a few lines of a test:
//
//     auto d = makeScheduleData();
//     FixtureBuilder f(*d);
//     f.calendar(6, 5, 8).resources('T', {"T1", "T2"}).resources('R', {"R1"});
//     f.event("E1", {"T1", "R1"}, 4).allocate("E1", 2, 5, 3).place("E1", 3, 2, 4, 5);
//     f.finish();
//
// Codes are named by their text and resolved with a linear search, so they must be unique.
// The builder writes the stores directly (codes, collection list, lecture store, manual rooms,
// roles, comments, memos) and relies on the engine only in finish(), which runs the recount, the
// totals and rebuilds the lists, as loading a file does. A name that is not a code is a fault of
// the test and fails it.

#include "engine/scheduledata.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace quivra {

class FixtureBuilder
{
public:
    explicit FixtureBuilder(ScheduleData &d) : m_d(d) {}

    // Weeks, days and bells in use.
    FixtureBuilder &calendar(int weeks, int days, int bells);
    // Appends resources of the resource category whose letter is `letter` ('G', 'T', 'R' ...).
    FixtureBuilder &resources(char letter, std::initializer_list<std::string_view> codes);
    // Appends an event of event category `category` (1..7) with its collection in that order.
    FixtureBuilder &event(std::string_view code, std::initializer_list<std::string_view> members,
                          int planned = 1, int category = 1);
    // `perWeek` periods in each of weeks w1..w2.
    FixtureBuilder &allocate(std::string_view event, int w1, int w2, int perWeek);
    // A timetable lecture in `week` on `day`, bells b1..b2.
    FixtureBuilder &place(std::string_view event, int week, int day, int b1, int b2);
    // A table booking of a resource (bells b1..b2, b2 = 0 means b1).
    FixtureBuilder &book(std::string_view resource, int week, int day, int b1, int kind,
                         int b2 = 0);
    // A week booking of an event in weeks w1..w2.
    FixtureBuilder &weekBooking(std::string_view event, int w1, int w2, int kind);
    // A manual-room triple; an empty room leaves the slot waiting for a room.
    FixtureBuilder &manualRoom(std::string_view event, int week, int day, int bell,
                               std::string_view room);
    // Assigns the role named `role` (added on first use) to a member of an event.
    FixtureBuilder &role(std::string_view event, std::string_view resource, std::string_view role);
    FixtureBuilder &comment(std::string_view text);
    FixtureBuilder &memo(std::string_view code, std::string_view text);

    // Recount, totals of events and resources, lists rebuilt; the data set reads as unmodified.
    void finish();

    // The CodeId of a code text; fails the test and returns 0 when there is none.
    CodeId id(std::string_view code) const;

private:
    CodeId addCode(std::string_view code, std::uint16_t flags, int planned);
    void appendLecture(std::string_view code, std::uint16_t bits, SlotCode start, SlotCode end,
                       int kind);

    ScheduleData &m_d;
};

// Two groups, two teachers and one room in categories G 1, T 2, R 3 (and an empty Q 4): MATH and
// ENG share the room R1 in the same cell of week 1, and rooms and Q start without conflict
// checking, so the shared cell is no conflict yet.
std::unique_ptr<ScheduleData> twoEventsInOneRoom();

} // namespace quivra
