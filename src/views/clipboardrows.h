#pragma once

// The copy and paste rows of the Resources and Events views: "Copy to the Clipboard ..." with
// what its copies count, and "Paste from the Clipboard", run through the view's host on its
// clipboard and copy target.

#include "views/viewcommands.h"

#include <vector>

namespace quivra {

void bindClipboardRows(std::vector<ViewCommand> &rows, bool events);

} // namespace quivra
