#pragma once

// The Timetables view's rows of its command table bound to their commands
// (commands/timetablecommands.h): placing and removing blocks, bookings, moves, swaps,
// suggestions, undo, redo, bookmarks and history, locks, the quick optimisation, comments and
// the default block length, each run through the view on its session.

#include "views/viewcommands.h"

#include <vector>

namespace quivra {

class TMatsForm;

// Gives the rows of `rows` (the Timetables view's table) their handlers and enabling.
void bindTimetableRows(std::vector<ViewCommand> &rows);

// Shows "Undo last (of n steps)" and "Redo first (of n steps)" on the view's actions.
void showUndoCaptions(TMatsForm &view);

} // namespace quivra
