#pragma once

// The editing rows of the Resources and Events views' command tables: new, edit, delete,
// duplicate, recode, rename, recategorise, colour, move up and down, find, search again and
// info, each run on the view's selected code through the view's host.

#include "engine/codetable.h"
#include "views/viewcommands.h"

#include <vector>

namespace quivra {

// Gives the rows of `rows` (the table of the list of `kind`) their handlers and enabling.
void bindCodeListEditing(std::vector<ViewCommand> &rows, CodeKind kind);

} // namespace quivra
