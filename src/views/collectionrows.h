#pragma once

// The rows of the Resources and Events views that open the collections editor on the code
// chosen in the list.

#include "views/viewcommands.h"

namespace quivra {

// Opens the editor through the view's host on the selected code (else the current one); the
// Resources view edits the events of a resource, the Events view the resources of an event.
void bindCollectionsRow(ViewCommand &row, bool resourceMode);

} // namespace quivra
