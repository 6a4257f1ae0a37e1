#pragma once

// The editing rows of the Resources and Events views' command tables: new, edit, delete,
// duplicate, recode, rename, recategorise, colour, move up and down, find, search again and
// info, each run on the view's selected code through the view's host.

#include "commands/codelistcommands.h"
#include "engine/codetable.h"
#include "views/viewcommands.h"
#include "views/viewhost.h"

#include <vector>

namespace quivra {

// The collections editor as the host shows it.
CollectionsSession collectionsSession(ViewHost &host);

// Gives the rows of `rows` (the table of the list of `kind`) their handlers and enabling.
void bindCodeListEditing(std::vector<ViewCommand> &rows, CodeKind kind);

} // namespace quivra
