#pragma once

// File|Make a demo file: a step-by-step helper that makes a made-up institution of the size the
// user asks for. It asks for the numbers of groups, teachers, rooms, subjects, days and bells one
// at a time, makes a random one-week data set of that size, allocates and schedules it with the
// automatic tools, saves it where the user says, opens it and offers to publish it.
//
// Every question can be cancelled: until the file is saved nothing is written and the open data
// set stays as it was. An existing file is replaced only after the user said so.

#include "commands/reportcommands.h"
#include "commands/session.h"

#include <array>
#include <cstdint>
#include <string>

namespace quivra {

// The size of a demo institution.
struct DemoSize
{
    int groups = 6;
    int teachers = 10;
    int rooms = 6;
    int subjects = 8;
    int days = 5;
    int bells = 7;
};

// One question of the helper: what it asks for and the numbers it takes.
struct DemoQuestion
{
    const char *what; // "groups", as the messages name it
    const char *question;
    int low;
    int high;
    int DemoSize::*field;
};
const std::array<DemoQuestion, 6> &demoQuestions();

// What the generated data set holds and how much of it the automatic tools placed.
struct DemoReport
{
    int events = 0;
    int planned = 0;   // periods of all events in the week
    int scheduled = 0; // of them placed
    int conflicts = 0; // conflicting periods after scheduling (0 unless something went wrong)
};

// Fills `d` (cleared first) with a random institution of `size` from `seed`: groups, teachers,
// rooms (seats in their names) and subjects (without timetables), one event per group and
// subject it takes, each with a group, a teacher, a room and its subject; the loads are kept
// where a conflict-free week exists for sizes that allow one. The periods are allocated to the
// one week and placed by the initial solution and the completion, then the gaps are reduced by
// the optimiser. The same size and seed give the same data set. `today` is the first week's
// date.
DemoReport makeDemoData(ScheduleData &d, const DemoSize &size, std::uint32_t seed,
                        std::int32_t today);

// The whole helper over the session: the questions, the data set, the file, opening it and the
// offer to publish it through Publish on web (pages opened with `open`). True when a demo file
// was written and opened.
bool makeDemoFile(Session &s, std::uint32_t seed, const OpenPath &open);

} // namespace quivra
