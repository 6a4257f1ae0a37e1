// quivra-cli commands that publish reports and export calendars: publish and export.
#pragma once

#include "cli/clisupport.h"

namespace quivra::cli {

// publish FILE --out DIR [--report N] [--weeks A-B] [--one-file] [--ics] [--intranet] [--json]
int runPublish(const Arguments &args);
// export FILE --format ics|vcs|csv --out PATH [--resource CODE] [--weeks A-B]
//        [--layout file|resource|event] [--email ADDRESS] [--json]
int runExport(const Arguments &args);

} // namespace quivra::cli
