// quivra-cli: reads, checks, shows and converts data files without the desktop program.
//
// Exit codes: 0 done, 1 usage, 2 a file cannot be read or written or is not valid (a one-line
// reason on stderr), 3 refused by a rule.

#include "cli/checkscli.h"
#include "cli/clisupport.h"
#include "cli/reportscli.h"
#include "cli/toolscli.h"
#include "engine/calendar.h"
#include "engine/conflicts.h"
#include "engine/dump.h"
#include "engine/scheduledata.h"
#include "engine/textutil.h"
#include "files/datafile.h"
#include "files/textexchange.h"
#include "optimise/improver.h"
#include "optimise/initialsolution.h"
#include "optimise/optimiser.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace quivra::cli {

constexpr const char *UsageText =
    "usage: quivra-cli <command> [arguments]\n"
    "\n"
    "  info FILE [--json]                         counts, totals and calendar of a data file\n"
    "  dump FILE                                  the whole data set as canonical text\n"
    "  check FILE [--remove] [--out OUT] [--json] find (and remove) conflicting placements\n"
    "  convert IN OUT                             read IN and write it as OUT (.qvf or .qvx)\n"
    "  import FILE ADD.qvx --rule N --out OUT [--json]\n"
    "                                             add a text file to FILE by rule 1..4\n"
    "  schedule FILE --out OUT [--seed N] [--specified-only] [--remove-conflicts] [--json]\n"
    "                                             place every allocated period not yet placed\n"
    "                                             (--specified-only: the initial solution alone,\n"
    "                                             without the completion that moves what blocks)\n"
    "  optimise FILE --out OUT [--seed N] [--seconds S | --rounds R] [--weights w1,...,w7]\n"
    "           [--reference | --specified-only] [--remove-conflicts] [--json]\n"
    "                                             reduce the weighted gaps of the timetables\n"
    "                                             (with --seconds the search goes on for S\n"
    "                                             seconds unless no gap is left; --reference or\n"
    "                                             --specified-only: the descent alone)\n"
    "  health FILE [--repair --out OUT] [--json]  the health check's findings (and repairs)\n"
    "  stats FILE [--json]                        statistics and summary of a data file\n"
    "  quality FILE [--top N] [--first-week W] [--json]\n"
    "                                             the timetables with most gaps first\n"
    "  publish FILE --out DIR [--report N] [--weeks A-B] [--one-file] [--ics] [--intranet]\n"
    "          [--json]                           publish report N (3: timetables) as web pages\n"
    "  export FILE --format ics|vcs|csv --out PATH [--resource CODE] [--weeks A-B]\n"
    "         [--layout file|resource|event] [--email ADDRESS] [--json]\n"
    "                                             the periods of resources as calendar or CSV\n"
    "  intake FILE --weeks W1,W2,... --category K [--form 1..4] --out OUT [--json]\n"
    "                                             the programme once per intake, merged\n"
    "  select FILE --method 1..3 --out OUT [--matrix TEXT] [--events 1..3] [--criteria 1..4]\n"
    "         [--goal 1..4] [--students K] [--subjects K] [--keep-locked] [--seed N] [--json]\n"
    "                                             students added from a selection matrix (1),\n"
    "                                             moved to close gaps (2) or balanced (3)\n"
    "  campus FILE --kind 1..3 --out PATH [--weeks A-B] [--date-format F] [--json]\n"
    "                                             the meetings in a campus exchange layout\n"
    "  campus-check FILE --category K [--weeks A-B] [--json]\n"
    "                                             days a resource meets rooms of two campuses\n"
    "\n"
    "Files ending in .qvx are text exchange files, all others data files. The moment written as\n"
    "\"Created\" into text files is taken from SOURCE_DATE_EPOCH when it is set.\n"
    "  --version                                  the program version\n";

int usage()
{
    std::fputs(UsageText, stderr);
    return Usage;
}

} // namespace quivra::cli

namespace {

using namespace quivra;
using namespace quivra::cli;

int runInfo(const Arguments &args)
{
    if (args.positional.size() != 1)
        return usage();
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;

    const StoreCounters &n = d->counters;
    Json info;
    info["codes"] = d->codeCount;
    info["events"] = n.eventCounters[0];
    info["resources"] = n.resourceCounters[0];
    info["lectures"] = d->lectureCount;
    info["week_allocations"] = n.weekAllocations;
    info["week_bookings"] = n.weekBookings;
    info["timetable_lectures"] = n.timetableLectures;
    info["table_bookings"] = n.tableBookings;
    info["collections"] = d->collectionCount;
    info["planned"] = n.plannedTotal;
    info["allocated"] = n.allocatedTotal;
    info["scheduled"] = n.scheduledTotal;
    info["weeks"] = usedWeeks(*d);
    info["days"] = usedDays(*d);
    info["bells"] = usedBells(*d);
    print(info, args.json());
    return Done;
}

int runDump(const Arguments &args)
{
    if (args.positional.size() != 1 || args.json())
        return usage();
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    std::cout << dumpScheduleData(*d);
    return Done;
}

int runCheck(const Arguments &args)
{
    if (args.positional.size() != 1 || (!args.out().empty() && !args.has("remove")))
        return usage();
    const std::string &path = args.positional[0];
    auto d = loadOrReport(path);
    if (!d)
        return BadFile;
    std::string reason;

    const ConflictReport report = sweepConflicts(*d, 1, args.has("remove"));
    if (!args.out().empty() && refusedOutput(args.out()))
        return Refused;
    if (args.has("remove") && report.removed > 0) {
        const std::string target = args.out().empty() ? path : args.out();
        if (!save(*d, target, reason))
            return fileError(reason);
    }

    const auto codeText = [&](CodeId c) {
        return validCode(*d, c) ? d->codes[c].code.str() : std::string();
    };
    Json result;
    result["found"] = report.found;
    result["removed"] = report.removed;
    if (report.hasFirst) {
        result["first"] = {{"week", report.week},
                           {"day", report.day},
                           {"bell", report.bell},
                           {"resource", codeText(report.resource)},
                           {"events", {codeText(report.eventA), codeText(report.eventB)}}};
    } else {
        result["first"] = nullptr;
    }
    if (args.json()) {
        std::cout << result.dump(2) << '\n';
        return Done;
    }
    std::cout << "conflicts found: " << report.found << '\n';
    if (args.has("remove"))
        std::cout << "conflicts removed: " << report.removed << '\n';
    if (report.hasFirst)
        std::cout << "first: week " << report.week << ", day " << report.day << ", bell "
                  << report.bell << ": " << codeText(report.resource) << " in "
                  << codeText(report.eventA) << " and " << codeText(report.eventB) << '\n';
    return Done;
}

int runConvert(const Arguments &args)
{
    if (args.positional.size() != 2 || args.json())
        return usage();
    const std::string &in = args.positional[0];
    const std::string &out = args.positional[1];
    if (refusedOutput(out))
        return Refused;
    auto d = loadOrReport(in);
    if (!d)
        return BadFile;
    std::string reason;
    if (!save(*d, out, reason))
        return fileError(reason);
    return Done;
}

int runImport(const Arguments &args)
{
    if (args.positional.size() != 2 || !args.given("rule") || args.out().empty())
        return usage();
    const std::string &path = args.positional[0];
    const std::string &added = args.positional[1];
    if (!isTextFileName(added)) {
        std::cerr << "quivra-cli: " << added << ": only .qvx files can be added\n";
        return Refused;
    }
    if (refusedOutput(args.out()))
        return Refused;
    auto d = loadOrReport(path);
    if (!d)
        return BadFile;
    std::string reason;
    const auto rule = number(args.value("rule"), 1, 4);
    if (!rule)
        return usage();
    auto report = addTextFile(*d, added, static_cast<int>(*rule));
    if (!report)
        return fileError(added + ": " + report.error().detail);
    if (!args.json())
        reportSkipped(added, *report);
    if (!save(*d, args.out(), reason))
        return fileError(reason);

    Json result;
    result["lines_read"] = report->linesRead;
    result["lines_skipped"] = report->linesSkipped;
    result["codes_added"] = report->codesAdded;
    result["codes_updated"] = report->codesUpdated;
    result["conflicts_found"] = report->conflicts.found;
    result["conflicts_removed"] = report->conflicts.removed;
    print(result, args.json());
    return Done;
}

// "w1,...,w7": seven gap weights 0..9.
bool parseWeights(const std::string &text, std::array<int, MaxCategories + 1> &weights)
{
    std::istringstream in(text);
    std::string item;
    int k = 0;
    while (std::getline(in, item, ',')) {
        const auto w = number(item, 0, 9);
        if (!w || ++k > MaxCategories)
            return false;
        weights[static_cast<std::size_t>(k)] = static_cast<int>(*w);
    }
    return k == MaxCategories;
}

// Sweeps the data set's conflicts away when asked to. Without the sweep a conflict stays as it
// is: scheduling and optimising leave its cells occupied and add none.
void sweepIfAsked(ScheduleData &d, bool removeConflicts)
{
    if (removeConflicts)
        sweepConflicts(d, 1, true);
}

int runSchedule(const Arguments &args)
{
    if (args.positional.size() != 1 || args.out().empty())
        return usage();
    std::uint32_t seed = 1;
    if (args.given("seed")) {
        const auto value = number(args.value("seed"), 0, 4294967295LL);
        if (!value)
            return usage();
        seed = static_cast<std::uint32_t>(*value);
    }
    if (refusedOutput(args.out()))
        return Refused;

    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    std::string reason;
    sweepIfAsked(*d, args.has("remove-conflicts"));
    const ScheduleSummary result = scheduleAll(*d, seed, !args.has("specified-only"));
    if (!result.refusal.empty()) {
        std::cerr << "quivra-cli: " << result.refusal << '\n';
        return Refused;
    }
    if (!result.message.empty())
        std::cerr << "quivra-cli: " << result.message << '\n';
    if (!result.unplaced.empty())
        std::cerr << "quivra-cli: not placed:\n" << result.unplaced;
    if (!save(*d, args.out(), reason))
        return fileError(reason);

    Json json;
    json["planned"] = result.planned;
    json["allocated"] = result.allocated;
    json["scheduled"] = result.scheduled;
    json["left"] = result.left;
    json["seconds"] = result.seconds;
    json["completed"] = result.completed;
    json["moved"] = result.moved;
    json["conflicts"] = result.conflicts;
    print(json, args.json());
    return Done;
}

int runOptimise(const Arguments &args)
{
    if (args.positional.size() != 1 || args.out().empty() ||
        (args.given("seconds") && args.given("rounds")))
        return usage();
    OptimiseSettings settings;
    if (args.given("seed")) {
        const auto seed = number(args.value("seed"), 0, 4294967295LL);
        if (!seed)
            return usage();
        settings.seed = static_cast<std::uint32_t>(*seed);
    }
    if (args.given("seconds")) {
        const auto seconds = number(args.value("seconds"), 1, 86400);
        if (!seconds)
            return usage();
        settings.maxSeconds = static_cast<double>(*seconds);
    }
    if (args.given("rounds")) {
        const auto rounds = number(args.value("rounds"), 1, 1000000);
        if (!rounds)
            return usage();
        settings.maxRounds = static_cast<int>(*rounds);
    }
    if (args.given("weights") && !parseWeights(args.value("weights"), settings.gapWeights))
        return usage();
    settings.reference = args.has("reference");
    if (refusedOutput(args.out()))
        return Refused;

    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    std::string reason;
    sweepIfAsked(*d, args.has("remove-conflicts"));
    settings.bookings = d->header.bookingsCountAsOccupied != 0;

    // With --json every better timetable of the search after the descent is a line on stderr.
    const OptimiseObserver observer = [&](const OptimiseStatus &st) {
        if (!args.json() || st.point != OptimiseStatus::Point::Cycle)
            return;
        Json line;
        line["seconds"] = st.seconds;
        line["round"] = st.round;
        line["gaps"] = st.gapsNow;
        std::cerr << line.dump() << '\n';
    };
    NullProgress progress;
    const bool specifiedOnly = args.has("specified-only") || settings.reference;
    const OptimiseResult result = specifiedOnly
                                      ? optimise(*d, settings, progress, observer)
                                      : optimiseWithBudget(*d, settings, progress, observer);
    if (result.refused()) {
        std::cerr << "quivra-cli: " << result.message << '\n';
        return Refused;
    }
    if (!save(*d, args.out(), reason))
        return fileError(reason);

    Json json;
    json["gaps_before"] = result.gapsBefore;
    json["gaps_after"] = result.gapsAfter;
    json["by_category"] = Json::array();
    for (int k = 1; k <= MaxCategories; ++k)
        json["by_category"].push_back(
            {{"before", result.categoryBefore[static_cast<std::size_t>(k)]},
             {"after", result.categoryAfter[static_cast<std::size_t>(k)]}});
    json["swaps"] = result.swaps;
    json["moves"] = result.moves;
    json["undone"] = result.undone;
    json["rounds"] = result.rounds;
    json["seconds"] = result.seconds;
    if (args.json()) {
        std::cout << json.dump(2) << '\n';
        return Done;
    }
    std::cout << "gaps: " << result.gapsBefore << " -> " << result.gapsAfter << '\n'
              << "swaps: " << result.swaps << ", moves: " << result.moves
              << ", undone: " << result.undone << ", rounds: " << result.rounds << '\n'
              << result.message << '\n';
    return Done;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string_view command = argv[1];
    if (command == "--version") {
        std::cout << "quivra-cli " << QUIVRA_VERSION << '\n';
        return Done;
    }
    if (command == "--help" || command == "-h") {
        std::fputs(UsageText, stdout);
        return Done;
    }

    struct Command
    {
        std::string_view name;
        std::string_view options;
        int (*run)(const Arguments &);
    };
    constexpr Command Commands[] = {
        {"info", "json", runInfo},
        {"dump", "", runDump},
        {"check", "json remove out=", runCheck},
        {"convert", "", runConvert},
        {"import", "json rule= out=", runImport},
        {"schedule", "json out= seed= specified-only remove-conflicts", runSchedule},
        {"optimise",
         "json out= seed= seconds= rounds= weights= reference specified-only remove-conflicts",
         runOptimise},
        {"health", "json repair out=", runHealth},
        {"stats", "json", runStats},
        {"quality", "json top= first-week=", runQuality},
        {"publish", "json out= report= weeks= one-file ics intranet", runPublish},
        {"export", "json out= format= resource= weeks= layout= email=", runExport},
        {"intake", "json out= weeks= category= form=", runIntake},
        {"select",
         "json out= method= matrix= events= criteria= goal= students= subjects= keep-locked seed=",
         runSelect},
        {"campus", "json out= kind= weeks= date-format=", runCampus},
        {"campus-check", "json category= weeks=", runCampusCheck},
    };
    for (const Command &c : Commands) {
        if (c.name != command)
            continue;
        const Arguments args = parseArguments(argc, argv, c.options);
        return args.valid ? c.run(args) : usage();
    }
    return usage();
}
