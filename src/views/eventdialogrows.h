#pragma once

// The rows of the Events view that open a dialog of the frame on the current event: Bulk
// schedule (after its checks), Split event and Manage roles.

#include "views/viewcommands.h"
#include "views/viewhost.h"

namespace quivra {

void bindEventDialogRow(ViewCommand &row, ViewHost::EventDialog which);

} // namespace quivra
