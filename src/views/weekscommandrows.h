#pragma once

// The rows of the Weeks view's table that run its commands (weekscommands.h) on the grid's
// current cell, its selected cells or its current event, and the display switches of the grid.

#include "views/viewcommands.h"

#include <vector>

namespace quivra {

// Gives the rows of the Weeks view's table (ids "weeks.") their handlers and keys.
void bindWeeksCommands(std::vector<ViewCommand> &rows);

} // namespace quivra
