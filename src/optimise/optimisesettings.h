#pragma once

// The settings of one timetable optimisation run, as the optimisation dialog or the command line
// collects them. A plain value: the run reads it and never keeps it.

#include "engine/scheduledata.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quivra {

enum OptimiseMethods : int {
    MethodSwaps = 1, // exchange equal blocks of two events in one timetable
    MethodMoves = 2, // move a block to a better free position
    MethodBoth = 3,
};

enum OptimiseMode : int {
    // Undo a change that leaves an event with two separate blocks on one day, or with more than
    // maxSeq periods on one day (in its first timetable).
    ModeOneBlockPerDay = 1,
    // Undo a change that takes a timetable's daily periods outside the smallest and largest
    // daily counts of its category in the week when it was built.
    ModeBalancedDays = 2,
};

struct OptimiseSettings
{
    // Gap weight 0..9 per resource category 1..7 (entry 0 unused). Categories without
    // timetables and the rooms category always weigh 0.
    std::array<int, MaxCategories + 1> gapWeights{0, 1, 1, 1, 1, 1, 1, 1};
    int methods = MethodBoth; // OptimiseMethods bits; other bits are ignored
    int mode = ModeOneBlockPerDay | ModeBalancedDays; // OptimiseMode bits
    bool includeLocked = false;
    bool bookings = false; // booked cells count as occupied when gaps are counted
    // Only blocks of minSeq..maxSeq periods move (no filter when minSeq is 0 or above maxSeq);
    // maxSeq also caps an event's periods per day under ModeOneBlockPerDay.
    int minSeq = 1;
    int maxSeq = 3;
    std::uint32_t seed = 1;
    // Weeks visited; 0 takes the optimiser range of the data set. Clamped to the weeks in use.
    int firstWeek = 0;
    int lastWeek = 0;
    // Events whose blocks may move; empty means every event with placed periods.
    std::vector<CodeId> events;

    // The run's own stop rules, which end it with the information box of an interrupted run:
    // cycles without a single change, the round counter's limit, a day of running. 0 turns one
    // off.
    int fruitlessCycles = 25;
    int roundLimit = 32767;
    double dayLimit = 86400; // seconds
    // Limits the owner adds (the command line). 0 means no limit.
    int maxRounds = 0;     // complete cycles over the week range
    double maxSeconds = 0; // wall-clock limit, tested where the stop request is tested

    // Score every probe with a full gap count of the week instead of the change in the rows and
    // days it touches. Slower; the decisions, and so the results, are the same.
    bool reference = false;
};

} // namespace quivra
