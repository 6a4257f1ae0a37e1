#include "cli/reportscli.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "reports/calendarexport.h"
#include "reports/htmlpublish.h"
#include "reports/reportparams.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <utility>

namespace quivra::cli {

namespace {

namespace fs = std::filesystem;

// "A-B" or "A" as a week range inside the weeks in use; nullopt when it is anything else.
std::optional<std::pair<int, int>> weekRange(const ScheduleData &d, const Arguments &args)
{
    const int used = std::max(1, usedWeeks(d));
    if (!args.given("weeks"))
        return std::pair{1, used};
    const std::string text = args.value("weeks");
    const std::size_t dash = text.find('-');
    const auto first = number(text.substr(0, dash), 1, used);
    const auto last = dash == std::string::npos ? first : number(text.substr(dash + 1), 1, used);
    if (!first || !last || *last < *first) {
        std::cerr << "quivra-cli: --weeks " << text << ": give weeks A-B within 1-" << used << '\n';
        return std::nullopt;
    }
    return std::pair{static_cast<int>(*first), static_cast<int>(*last)};
}

// A report number (1, 2, 3, 41, 42, 5, 61, 62, 63; 4 and 6 stand for their first variant).
std::optional<int> reportNumber(const Arguments &args)
{
    if (!args.given("report"))
        return 3;
    const auto n = number(args.value("report"), 1, 63);
    if (!n)
        return std::nullopt;
    const int value = *n == 4 || *n == 6 ? static_cast<int>(*n) * 10 + 1 : static_cast<int>(*n);
    if (reportNumberSlot(value) == 0)
        return std::nullopt;
    return value;
}

RunEnvironment environment()
{
    RunEnvironment env;
    env.now = runMoment();
    env.seed = static_cast<std::uint32_t>(env.now);
    return env;
}

// Prints a writing command's result; when a file could not be written, says why on stderr and
// the command ends with BadFile (the files that were written stay).
int printWritten(const Json &json, bool asJson, bool allWritten, const std::string &message)
{
    print(json, asJson);
    if (!allWritten) {
        std::cerr << "quivra-cli: " << message << '\n';
        return BadFile;
    }
    return Done;
}

} // namespace

int runPublish(const Arguments &args)
{
    if (args.positional.size() != 1 || args.out().empty())
        return usage();
    const auto report = reportNumber(args);
    if (!report) {
        std::cerr << "quivra-cli: --report takes 1, 2, 3, 4, 41, 42, 5, 6, 61, 62 or 63\n";
        return Usage;
    }
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    const auto weeks = weekRange(*d, args);
    if (!weeks)
        return Usage;

    ReportParams params;
    params.setReportNumber(*report);
    params.firstWeek = weeks->first;
    params.lastWeek = weeks->second;
    params.suffix = args.has("one-file") ? 0 : 1;
    params.icsFiles = args.has("ics");
    params.intranet = args.has("intranet");
    PublishOptions options;
    const fs::path source(args.positional[0]);
    options.dataFileName = source.filename().string();
    options.mainFile = toLowerAscii(source.stem().string()) + ".htm";
    FolderSink sink(args.out());
    const PublishResult result = publishReport(*d, params, options, sink, environment());
    if (result.refused) {
        std::cerr << "quivra-cli: " << result.message << '\n';
        return Refused;
    }
    Json json;
    json["report"] = *report;
    json["weeks"] = {weeks->first, weeks->second};
    json["main"] = (fs::path(args.out()) / result.mainFile).string();
    json["files"] = result.written;
    json["failed"] = result.failed;
    json["unfit_lines"] = result.unfitLines;
    return printWritten(json, args.json(), result.failed.empty(), result.message);
}

int runExport(const Arguments &args)
{
    if (args.positional.size() != 1 || args.out().empty() || !args.given("format"))
        return usage();
    const std::string format = toLowerAscii(args.value("format"));
    if (format != "ics" && format != "vcs" && format != "csv") {
        std::cerr << "quivra-cli: --format takes ics, vcs or csv\n";
        return Usage;
    }
    CalendarExportOptions options;
    options.format = calendarFormatOf(format);
    const std::string layout = args.given("layout") ? args.value("layout") : "file";
    if (layout == "file")
        options.layout = CalendarLayout::OneFile;
    else if (layout == "resource")
        options.layout = CalendarLayout::PerResource;
    else if (layout == "event" && format != "csv")
        options.layout = CalendarLayout::PerResourceAndEvent;
    else
        return usage();
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    const auto weeks = weekRange(*d, args);
    if (!weeks)
        return Usage;
    options.firstWeek = weeks->first;
    options.lastWeek = weeks->second;
    options.organizer = args.value("email");
    if (args.given("resource")) {
        const CodeId r = findCode(*d, args.value("resource"));
        if (r == 0 || isEventCode(*d, r)) {
            std::cerr << "quivra-cli: no resource \"" << args.value("resource") << "\"\n";
            return Refused;
        }
        options.resources = {r};
    } else {
        for (int c = 1; c <= d->codeCount; ++c)
            if (!isEventCode(*d, static_cast<CodeId>(c)))
                options.resources.push_back(static_cast<CodeId>(c));
    }
    // One file: PATH is the file; otherwise PATH is the folder the files go into.
    const fs::path out(args.out());
    std::string folder = args.out();
    if (options.layout == CalendarLayout::OneFile) {
        folder = out.has_parent_path() ? out.parent_path().string() : ".";
        options.fileName = out.filename().string();
    }
    FolderSink sink(folder);
    FileNames names;
    const CalendarExportResult result = exportCalendar(*d, options, sink, names, environment());
    if (result.refused) {
        std::cerr << "quivra-cli: " << result.message << '\n';
        return Refused;
    }
    Json json;
    json["format"] = format;
    json["items"] = result.items;
    json["files"] = result.files;
    json["written"] = result.written;
    json["failed"] = result.failed;
    return printWritten(json, args.json(), result.failed.empty(), result.message);
}

} // namespace quivra::cli
