#pragma once

// The rows of the Resources and the Events view that reach the code list tools: Best matches,
// Replace events, the link list, the snapshot and the weekly periods mode with its switches,
// and the Events view's lock and clear commands on the current event.

#include "views/viewcommands.h"

#include <vector>

namespace quivra {

// Gives the rows of a code list's table (ids "resources." or "events.") their handlers.
void bindCodeListTools(std::vector<ViewCommand> &rows, bool events);

} // namespace quivra
