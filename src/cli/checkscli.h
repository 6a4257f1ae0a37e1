// The check commands of quivra-cli: health, stats and quality.
#pragma once

#include "cli/clisupport.h"

namespace quivra::cli {

// health FILE [--repair --out OUT] [--json]: the health check's findings, and with --repair
// every repair made and the result written to OUT.
int runHealth(const Arguments &args);
// stats FILE [--json]: the statistics and the summary.
int runStats(const Arguments &args);
// quality FILE [--top N] [--first-week W] [--json]: the timetables with most gaps.
int runQuality(const Arguments &args);

} // namespace quivra::cli
