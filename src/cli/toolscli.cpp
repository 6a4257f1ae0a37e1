#include "cli/toolscli.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "files/datafile.h"
#include "files/intake.h"
#include "files/textexchange.h"
#include "optimise/selection.h"
#include "reports/campus.h"

#include <bitset>
#include <iostream>
#include <span>

namespace quivra::cli {

namespace {

// "A-B" or "A" within 1..last; nullopt (after saying why) for anything else.
std::optional<std::pair<int, int>> weeksWithin(const Arguments &args, int last)
{
    if (!args.given("weeks"))
        return std::pair{1, last};
    const std::string text = args.value("weeks");
    const std::size_t dash = text.find('-');
    const auto first = number(text.substr(0, dash), 1, last);
    const auto end = dash == std::string::npos ? first : number(text.substr(dash + 1), 1, last);
    if (!first || !end || *end < *first) {
        std::cerr << "quivra-cli: --weeks " << text << ": give weeks A-B within 1-" << last << '\n';
        return std::nullopt;
    }
    return std::pair{static_cast<int>(*first), static_cast<int>(*end)};
}

// An option's number in low..high, `fallback` when not given; nullopt (after saying why) when
// it is anything else.
std::optional<int> option(const Arguments &args, std::string_view name, int low, int high,
                          int fallback)
{
    if (!args.given(name))
        return fallback;
    const auto n = number(args.value(name), low, high);
    if (!n) {
        std::cerr << "quivra-cli: --" << name << " takes " << low << ".." << high << '\n';
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

int saveResult(ScheduleData &d, const std::string &path)
{
    std::string reason;
    if (!save(d, path, reason))
        return fileError(reason);
    return Done;
}

} // namespace

int runIntake(const Arguments &args)
{
    if (args.positional.size() != 1 || args.out().empty() || !args.given("weeks") ||
        !args.given("category") || refusedOutput(args.out()))
        return usage();
    const auto category = option(args, "category", 1, MaxCategories, 0);
    const auto form = option(args, "form", 1, 4, 1);
    if (!category || !form)
        return Usage;
    IntakePlan plan;
    plan.category = *category;
    plan.form = static_cast<IntakeForm>(*form);
    const std::string weeks = args.value("weeks");
    for (std::size_t at = 0; at <= weeks.size();) {
        const std::size_t comma = std::min(weeks.find(',', at), weeks.size());
        const auto w = number(weeks.substr(at, comma - at), 1, MaxWeeks);
        if (!w) {
            std::cerr << "quivra-cli: --weeks takes starting weeks such as 1,13\n";
            return Usage;
        }
        plan.startWeeks.push_back(static_cast<int>(*w));
        at = comma + 1;
    }
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    auto merged = mergeIntakes(*d, plan);
    if (!merged) {
        std::cerr << "quivra-cli: " << merged.error().detail << '\n';
        return Refused;
    }
    if (const int saved = saveResult(*merged->merged, args.out()); saved != Done)
        return saved;
    Json json;
    json["intakes"] = merged->intakes;
    json["intake_weeks"] = intakeLength(*d);
    json["weeks"] = merged->weeks;
    json["codes"] = merged->merged->codeCount;
    json["conflicts_found"] = merged->conflicts.found;
    json["conflicts_removed"] = merged->conflicts.removed;
    print(json, args.json());
    return Done;
}

int runSelect(const Arguments &args)
{
    if (args.positional.size() != 1 || args.out().empty() || !args.given("method") ||
        refusedOutput(args.out()))
        return usage();
    const auto method = option(args, "method", 1, 3, 1);
    const auto events = option(args, "events", 1, 3, 3);
    const auto criteria = option(args, "criteria", 1, 4, 3);
    const auto goal = option(args, "goal", 1, 4, 1);
    const auto students = option(args, "students", 1, MaxCategories, 5);
    const auto subjects = option(args, "subjects", 1, MaxCategories, 4);
    const auto seed = option(args, "seed", 0, 2147483647, 1);
    if (!method || !events || !criteria || !goal || !students || !subjects || !seed)
        return Usage;
    if (*method == 1 && !args.given("matrix"))
        return usage();
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    SelectionOptions options;
    options.studentsCategory = *students;
    options.subjectsCategory = *subjects;
    options.changeLocked = !args.has("keep-locked");
    options.seed = static_cast<std::uint32_t>(*seed);
    NullProgress progress;
    SelectionRun run;
    if (*method == 1) {
        const auto text = readTextFile(args.value("matrix"));
        if (!text)
            return fileError(args.value("matrix") + ": " + text.error().detail);
        const auto pairs = readSelectionMatrix(*d, *text, *students, *subjects);
        if (pairs.empty()) {
            std::cerr << "quivra-cli: the matrix names no subject and student of one row\n";
            return Refused;
        }
        run =
            addFromMatrix(*d, pairs, static_cast<SelectionEventFilter>(*events), options, progress);
    } else if (*method == 2) {
        run = swapStudents(*d, static_cast<SwapCriteria>(*criteria), static_cast<SwapGoal>(*goal),
                           options, progress);
    } else {
        run = balanceStudents(*d, options, progress);
    }
    if (const int saved = saveResult(*d, args.out()); saved != Done)
        return saved;
    Json json;
    json["method"] = *method;
    Json changes = Json::array();
    for (const SelectionChange &c : run.changes)
        changes.push_back(selectionChangeLine(*d, c));
    json["changes"] = changes;
    if (*method == 1) {
        json["pairs"] = run.pairs;
        json["entries_before"] = run.entriesBefore;
        json["entries_after"] = run.entriesAfter;
        Json unused = Json::array();
        for (const SelectionPair &p : run.notUsed)
            unused.push_back(d->codes[p.subject].code.str() + "\t" +
                             d->codes[p.student].code.str());
        json["not_used"] = unused;
    }
    if (*method == 3) {
        json["students_before"] = {run.smallestBefore, run.largestBefore};
        json["students_after"] = {run.smallestAfter, run.largestAfter};
    }
    print(json, args.json());
    return Done;
}

int runCampus(const Arguments &args)
{
    if (args.positional.size() != 1 || args.out().empty() || !args.given("kind"))
        return usage();
    const auto kind = option(args, "kind", 1, 3, 1);
    if (!kind)
        return Usage;
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    const auto weeks = weeksWithin(args, std::max<int>(d->scheduleExtent.endWeek, 1));
    if (!weeks)
        return Usage;
    std::bitset<WeekTableSize> chosen;
    for (int w = weeks->first; w <= weeks->second; ++w)
        chosen.set(static_cast<std::size_t>(w));
    const std::string format = args.given("date-format") ? args.value("date-format") : "ddddd";
    const CampusExport out =
        campusExport(*d, static_cast<CampusExportKind>(*kind), CampusRoles{}, chosen, format);
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(out.text.data());
    if (auto written = writeFileAtomically(args.out(), std::span(bytes, out.text.size())); !written)
        return fileError(args.out() + ": " + written.error().detail);
    Json json;
    json["kind"] = *kind;
    json["name"] = campusExportName(static_cast<CampusExportKind>(*kind));
    json["lines"] = out.lines;
    json["fields_cleaned"] = out.fieldsCleaned;
    print(json, args.json());
    return Done;
}

int runCampusCheck(const Arguments &args)
{
    if (args.positional.size() != 1 || !args.given("category"))
        return usage();
    const auto category = option(args, "category", 1, MaxCategories, 1);
    if (!category)
        return Usage;
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    const auto weeks = weeksWithin(args, std::max<int>(d->scheduleExtent.endWeek, 1));
    if (!weeks)
        return Usage;
    std::vector<CodeId> resources;
    for (int i = 1; i <= d->resourceList[0]; ++i)
        if (categoryOf(*d, d->resourceList[i]) == *category)
            resources.push_back(d->resourceList[i]);
    const CampusSummary summary = campusSummary(*d, d->roomsCategory);
    const CampusCheck check =
        campusCollisions(*d, resources, d->roomsCategory, weeks->first, weeks->second);
    Json json;
    Json campuses = Json::array();
    for (const CampusFigures &c : summary.campuses)
        campuses.push_back({{"name", c.name},
                            {"scheduled", c.scheduled},
                            {"allocated", c.allocated},
                            {"events", c.links}});
    json["campuses"] = campuses;
    json["rooms_with_campus"] = summary.roomsWithCampus;
    Json lines = Json::array();
    int n = 0;
    for (const CampusCollision &c : check.collisions)
        lines.push_back(campusCollisionLine(*d, ++n, c, "ddddd"));
    json["collisions"] = lines;
    json["truncated"] = check.truncated;
    print(json, args.json());
    return Done;
}

} // namespace quivra::cli
