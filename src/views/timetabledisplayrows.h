#pragma once

// The Timetables view's rows for what its cells show: "View|Cell display options" (ten options
// that toggle and the three code modes, one of which is checked), "Hide this hint" and "Action
// counters" (commands/timetabledisplay.h).

#include "views/viewcommands.h"

#include <vector>

namespace quivra {

class TMatsForm;

// Gives the rows of `rows` (the Timetables view's table) their handlers and check marks.
void bindTimetableDisplayRows(std::vector<ViewCommand> &rows);

// Makes the three code modes of the view's actions one exclusive group.
void groupCellDisplayActions(TMatsForm &view);

} // namespace quivra
