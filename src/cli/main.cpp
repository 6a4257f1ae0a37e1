// quivra-cli: reads, checks, shows and converts data files without the desktop program.
//
// Exit codes: 0 done, 1 usage, 2 a file cannot be read or written or is not valid (a one-line
// reason on stderr), 3 refused by a rule.

#include "engine/calendar.h"
#include "engine/conflicts.h"
#include "engine/dump.h"
#include "engine/scheduledata.h"
#include "files/datafile.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quivra;
using Json = nlohmann::ordered_json;

enum ExitCode : int { Done = 0, Usage = 1, BadFile = 2, Refused = 3 };

constexpr const char *UsageText =
    "usage: quivra-cli <command> [arguments]\n"
    "\n"
    "  info FILE [--json]                         counts, totals and calendar of a data file\n"
    "  dump FILE                                  the whole data set as canonical text\n"
    "  check FILE [--remove] [--out OUT] [--json] find (and remove) conflicting placements\n"
    "  convert IN OUT                             read IN and write it as OUT (.qvf)\n"
    "  --version                                  the program version\n";

int usage()
{
    std::fputs(UsageText, stderr);
    return Usage;
}

int fileError(const std::string &reason)
{
    std::cerr << "quivra-cli: " << reason << '\n';
    return BadFile;
}

struct Arguments
{
    std::vector<std::string> positional;
    bool json = false;
    bool remove = false;
    std::string out;
    bool valid = true;
};

// Positionals and the options a command accepts; anything else makes the arguments invalid.
Arguments parseArguments(int argc, char **argv, std::string_view allowed)
{
    Arguments a;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto accepts = [&](std::string_view option) {
            return allowed.find(option) != std::string_view::npos;
        };
        if (arg == "--json" && accepts("json")) {
            a.json = true;
        } else if (arg == "--remove" && accepts("remove")) {
            a.remove = true;
        } else if (arg == "--out" && accepts("out") && i + 1 < argc) {
            a.out = argv[++i];
        } else if (arg.starts_with("--")) {
            a.valid = false;
        } else {
            a.positional.emplace_back(arg);
        }
    }
    return a;
}

// Reads a file into a new data set; only a complete read counts as success.
bool load(const std::string &path, ScheduleData &d, std::string &reason)
{
    auto report = readDataFile(path, d);
    if (!report) {
        reason = path + ": " + report.error().detail;
        return false;
    }
    if (!report->complete) {
        reason = path + ": damaged file: " + report->reason;
        return false;
    }
    return true;
}

int runInfo(const Arguments &args)
{
    if (args.positional.size() != 1)
        return usage();
    auto d = makeScheduleData();
    std::string reason;
    if (!load(args.positional[0], *d, reason))
        return fileError(reason);

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
    if (args.json) {
        std::cout << info.dump(2) << '\n';
    } else {
        for (const auto &[key, value] : info.items())
            std::cout << key << ": " << value << '\n';
    }
    return Done;
}

int runDump(const Arguments &args)
{
    if (args.positional.size() != 1 || args.json)
        return usage();
    auto d = makeScheduleData();
    std::string reason;
    if (!load(args.positional[0], *d, reason))
        return fileError(reason);
    std::cout << dumpScheduleData(*d);
    return Done;
}

int runCheck(const Arguments &args)
{
    if (args.positional.size() != 1 || (!args.out.empty() && !args.remove))
        return usage();
    const std::string &path = args.positional[0];
    auto d = makeScheduleData();
    std::string reason;
    if (!load(path, *d, reason))
        return fileError(reason);

    const ConflictReport report = sweepConflicts(*d, 1, args.remove);
    if (args.remove && report.removed > 0) {
        const std::string target = args.out.empty() ? path : args.out;
        if (auto saved = writeDataFile(*d, target); !saved)
            return fileError(target + ": " + saved.error().detail);
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
    if (args.json) {
        std::cout << result.dump(2) << '\n';
        return Done;
    }
    std::cout << "conflicts found: " << report.found << '\n';
    if (args.remove)
        std::cout << "conflicts removed: " << report.removed << '\n';
    if (report.hasFirst)
        std::cout << "first: week " << report.week << ", day " << report.day << ", bell "
                  << report.bell << ": " << codeText(report.resource) << " in "
                  << codeText(report.eventA) << " and " << codeText(report.eventB) << '\n';
    return Done;
}

bool isDataFileName(std::string_view path)
{
    if (path.size() < 4)
        return false;
    std::string ext(path.substr(path.size() - 4));
    for (char &c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == ".qvf";
}

int runConvert(const Arguments &args)
{
    if (args.positional.size() != 2 || args.json)
        return usage();
    const std::string &in = args.positional[0];
    const std::string &out = args.positional[1];
    if (!isDataFileName(out)) {
        std::cerr << "quivra-cli: " << out << ": only .qvf files can be written\n";
        return Refused;
    }
    auto d = makeScheduleData();
    std::string reason;
    if (!load(in, *d, reason))
        return fileError(reason);
    if (auto saved = writeDataFile(*d, out); !saved)
        return fileError(out + ": " + saved.error().detail);
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
        {"check", "json remove out", runCheck},
        {"convert", "", runConvert},
    };
    for (const Command &c : Commands) {
        if (c.name != command)
            continue;
        const Arguments args = parseArguments(argc, argv, c.options);
        return args.valid ? c.run(args) : usage();
    }
    return usage();
}
