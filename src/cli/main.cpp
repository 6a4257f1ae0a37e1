// quivra-cli: reads, checks, shows and converts data files without the desktop program.
//
// Exit codes: 0 done, 1 usage, 2 a file cannot be read or written or is not valid (a one-line
// reason on stderr), 3 refused by a rule.

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
    "\n"
    "Files ending in .qvx are text exchange files, all others data files. The moment written as\n"
    "\"Created\" into text files is taken from SOURCE_DATE_EPOCH when it is set.\n"
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

// The arguments of one command: positionals, switches and options with a value. A command
// names what it accepts as "json remove out= rule=" (a trailing "=" takes a value).
struct Arguments
{
    std::vector<std::string> positional;
    std::set<std::string, std::less<>> switches;
    std::map<std::string, std::string, std::less<>> values;
    bool valid = true;

    bool has(std::string_view name) const { return switches.contains(name); }
    std::string value(std::string_view name) const
    {
        const auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
    bool given(std::string_view name) const { return values.contains(name); }

    bool json() const { return has("json"); }
    std::string out() const { return value("out"); }
};

Arguments parseArguments(int argc, char **argv, std::string_view accepted)
{
    std::set<std::string, std::less<>> flags;
    std::set<std::string, std::less<>> withValue;
    std::istringstream names{std::string(accepted)};
    for (std::string name; names >> name;) {
        if (name.ends_with('='))
            withValue.insert(name.substr(0, name.size() - 1));
        else
            flags.insert(name);
    }
    Arguments a;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!arg.starts_with("--")) {
            a.positional.emplace_back(arg);
            continue;
        }
        const std::string_view name = arg.substr(2);
        if (flags.contains(name)) {
            a.switches.emplace(name);
        } else if (withValue.contains(name) && i + 1 < argc) {
            a.values[std::string(name)] = argv[++i];
        } else {
            a.valid = false;
        }
    }
    return a;
}

// A whole number in low..high; nullopt when the text is anything else.
std::optional<long long> number(const std::string &text, long long low, long long high)
{
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

bool hasExtension(std::string_view path, std::string_view extension)
{
    if (path.size() < extension.size())
        return false;
    const std::string_view tail = path.substr(path.size() - extension.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] + 32) : tail[i];
        if (c != extension[i])
            return false;
    }
    return true;
}

bool isTextFileName(std::string_view path)
{
    return hasExtension(path, ".qvx");
}

// Output goes by the name: a .qvf data file or a .qvx text file; anything else is refused.
bool refusedOutput(const std::string &path)
{
    if (hasExtension(path, ".qvf") || isTextFileName(path))
        return false;
    std::cerr << "quivra-cli: " << path << ": only .qvf and .qvx files can be written\n";
    return true;
}

// The moment a run stands for: SOURCE_DATE_EPOCH when set (reproducible output), else now.
std::time_t runMoment()
{
    if (const char *epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char *end = nullptr;
        const long long value = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0' && value > 0)
            return static_cast<std::time_t>(value);
    }
    return std::time(nullptr);
}

// Date serial of the run's local day (days from 30 December 1899).
std::int32_t runDay()
{
    const std::time_t now = runMoment();
    std::tm local{};
    localtime_r(&now, &local);
    return dateSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

void reportSkipped(const std::string &path, const ImportReport &report)
{
    if (report.linesSkipped == 0)
        return;
    std::cerr << "quivra-cli: " << path << ": " << report.linesSkipped << " line(s) skipped\n";
    for (const std::string &sample : report.samples)
        std::cerr << "  " << sample << '\n';
}

// Reads a data file, or imports a text file, into a new data set; only a complete read counts
// as success.
bool load(const std::string &path, ScheduleData &d, std::string &reason)
{
    if (isTextFileName(path)) {
        auto report = importTextFile(path, d, runDay());
        if (!report) {
            reason = path + ": " + report.error().detail;
            return false;
        }
        reportSkipped(path, *report);
        return true;
    }
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

// Writes a data file, or a text file for a .qvx name.
bool save(ScheduleData &d, const std::string &path, std::string &reason)
{
    Result<void> saved;
    if (isTextFileName(path)) {
        ExportOptions options;
        options.created = runMoment();
        saved = exportTextFile(d, path, options);
    } else {
        saved = writeDataFile(d, path);
    }
    if (!saved)
        reason = path + ": " + saved.error().detail;
    return saved.has_value();
}

// A command's result: JSON, or one "key: value" line per key.
void print(const Json &result, bool json)
{
    if (json) {
        std::cout << result.dump(2) << '\n';
        return;
    }
    for (const auto &[key, value] : result.items())
        std::cout << key << ": " << value << '\n';
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
    print(info, args.json());
    return Done;
}

int runDump(const Arguments &args)
{
    if (args.positional.size() != 1 || args.json())
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
    if (args.positional.size() != 1 || (!args.out().empty() && !args.has("remove")))
        return usage();
    const std::string &path = args.positional[0];
    auto d = makeScheduleData();
    std::string reason;
    if (!load(path, *d, reason))
        return fileError(reason);

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
    auto d = makeScheduleData();
    std::string reason;
    if (!load(in, *d, reason))
        return fileError(reason);
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
    auto d = makeScheduleData();
    std::string reason;
    if (!load(path, *d, reason))
        return fileError(reason);
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

    auto d = makeScheduleData();
    std::string reason;
    if (!load(args.positional[0], *d, reason))
        return fileError(reason);
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

    auto d = makeScheduleData();
    std::string reason;
    if (!load(args.positional[0], *d, reason))
        return fileError(reason);
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
    };
    for (const Command &c : Commands) {
        if (c.name != command)
            continue;
        const Arguments args = parseArguments(argc, argv, c.options);
        return args.valid ? c.run(args) : usage();
    }
    return usage();
}
