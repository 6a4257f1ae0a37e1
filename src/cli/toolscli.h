// quivra-cli commands of the collection and exchange tools: intake scheduling, selection
// optimisation, the campus exports and the campus check.
#pragma once

#include "cli/clisupport.h"

namespace quivra::cli {

// intake FILE --weeks W1,W2,... --category K [--form 1..4] --out OUT [--json]
int runIntake(const Arguments &args);
// select FILE --method 1..3 --out OUT [--matrix TEXTFILE] [--events 1..3] [--criteria 1..4]
//        [--goal 1..4] [--students K] [--subjects K] [--keep-locked] [--seed N] [--json]
int runSelect(const Arguments &args);
// campus FILE --kind 1..3 --out PATH [--weeks A-B] [--date-format F] [--json]
int runCampus(const Arguments &args);
// campus-check FILE --category K [--weeks A-B] [--json]
int runCampusCheck(const Arguments &args);

} // namespace quivra::cli
