#pragma once

// A seeded generator of secondary-school institutions for tests and benchmarks.
//
//     auto d = makeScheduleData();
//     const GeneratedInstitution g = generateInstitution(*d, mediumInstitution(7));
//
// Groups (G), teachers (T) and rooms (R, seats after "#" in the name) take lessons of one group,
// one teacher and one room, each with 1..4 periods a week given as blocks of 1 or 2 periods and
// allocated to every week. Some teachers are unavailable for a few bells of one day (table
// bookings over all weeks). With `place` the blocks are put at random positions where all three
// resources are free, at most one block of a lesson per day; a block that finds no such position
// stays unscheduled. The timetables that result are conflict-free and full of gaps.
//
// The same InstitutionPlan gives the same data set, code by code and lecture by lecture.

#include "engine/scheduledata.h"

#include <cstdint>

namespace quivra {

struct InstitutionPlan
{
    std::uint32_t seed = 1;
    int periodsPerWeek = 400; // lesson periods of all groups in one week
    int weeks = 1;
    int days = 5;
    int bells = 0;               // 0 picks 6..9 from the seed
    int unavailablePercent = 10; // of the teachers
    bool place = true;
    // A planted solution: the blocks are placed as with `place` in a first week, each lesson's
    // allocation becomes what found a position there (a lesson with none gets none), and that
    // week is not stored. The result has one week, every period unscheduled, and a timetable
    // without conflict (at most one block of a lesson per day, of 1 or 2 periods) is known to
    // exist. `place` is not read.
    bool planted = false;
};

InstitutionPlan smallInstitution(std::uint32_t seed);  // ~40 periods a week, 1 week
InstitutionPlan mediumInstitution(std::uint32_t seed); // ~400 periods a week, 2 weeks
InstitutionPlan largeInstitution(std::uint32_t seed);  // ~1400 periods a week, 2 weeks

struct GeneratedInstitution
{
    int groups = 0;
    int teachers = 0;
    int rooms = 0;
    int events = 0;
    int bells = 0;
    int periodsPerWeek = 0; // allocated in each week
    int placed = 0;         // over all weeks
    int unplaced = 0;
};

// Clears `d` and fills it as `institution` says; the data set is recounted and reads as unmodified.
GeneratedInstitution generateInstitution(ScheduleData &d, const InstitutionPlan &institution);

} // namespace quivra
