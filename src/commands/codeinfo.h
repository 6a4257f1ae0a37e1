#pragma once

// The information window of a code (Resource info and Event info, Ctrl+H): the code's details as
// an outline, the neighbours its Previous and Next buttons step to, and what its button offers.
// Reading only: editing goes through the Collections editor, which the button opens.

#include "engine/scheduledata.h"

#include <string>
#include <vector>

namespace quivra {

struct CodeInfo
{
    std::string caption; // "Resource info" or "Event info"
    // The outline: a line without leading spaces opens a branch, the lines after it that start
    // with two spaces are its leaves.
    std::vector<std::string> lines;
    bool canEdit = false;
    std::string button; // "Edit?" when the code can be edited here, else "Close"
    std::string hint;   // what the button does
};

// The window of code c. `editingAllowed` is false where the caller offers no editing; a locked
// event is never edited from here. Empty lines for a code that does not exist.
CodeInfo codeInfo(const ScheduleData &d, CodeId c, bool editingAllowed);
// The code `step` (-1 or +1) places from c in its list (the events or the resources), c itself
// at either end of the list.
CodeId codeInfoNeighbour(const ScheduleData &d, CodeId c, int step);

} // namespace quivra
