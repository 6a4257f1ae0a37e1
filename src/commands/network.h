#pragma once

// The network folder commands: write the own text copy into the shared folder, add the others'
// copies in a chosen order, and choose the folder. See files/networkfolder.h for the folder,
// the own copy and the remembered order.

#include "commands/session.h"
#include "engine/conflicts.h"

#include <string>
#include <vector>

namespace quivra {

// Writes the data set as a text copy into the network folder under the own copy's name; runs
// selectNetworkFolder instead when the folder does not exist. False when nothing was written.
bool writeToNetwork(Session &s);

struct NetworkReadReport
{
    int added = 0;
    std::vector<std::string> skipped; // chosen files gone, in use or unreadable meanwhile
    ConflictReport conflicts;         // the one sweep after the last file added
};
// Asks for the adding rule and the files (in an order the user may change; the order shown at
// OK is remembered whatever comes next), then adds each chosen file under the rule and, once
// after the last, sweeps the conflicts out (the later event loses its cells) and compresses. Files
// that vanished or are in use are skipped and named.
NetworkReadReport readFromNetwork(Session &s);

// Asks for the network folder and offers to create it when it does not exist. False when
// cancelled or the folder could not be made.
bool selectNetworkFolder(Session &s);

} // namespace quivra
