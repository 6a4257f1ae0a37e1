#include "cli/checkscli.h"

#include "checks/health.h"
#include "checks/quality.h"
#include "checks/statistics.h"
#include "engine/codetable.h"
#include "files/encoding.h"

#include <iostream>
#include <string>

namespace quivra::cli {

namespace {

// Texts of the data set are code-page bytes; JSON and the terminal get UTF-8 with "\n" breaks.
std::string shown(std::string_view text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        plain += text[i];
    }
    const auto utf8 = codePageToUtf8(plain);
    return utf8 ? utf8->text : plain;
}

std::string codeText(const ScheduleData &d, CodeId c)
{
    return shown(formatCode(d, c, ShowCode));
}

void printJson(const Json &result)
{
    std::cout << result.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

Json findingsJson(const std::vector<HealthFinding> &found)
{
    Json list = Json::array();
    for (const HealthFinding &f : found)
        list.push_back({{"stage", std::string(stageKey(f.stage))},
                        {"text", shown(findingText(f))},
                        {"count", f.count},
                        {"repairable", repairable(f.stage)}});
    return list;
}

void printFindings(const std::vector<HealthFinding> &found)
{
    if (found.empty())
        std::cout << "no findings\n";
    for (const HealthFinding &f : found)
        std::cout << "[" << stageKey(f.stage) << "] " << f.count << "\n"
                  << shown(findingText(f)) << "\n\n";
}

} // namespace

int runHealth(const Arguments &args)
{
    if (args.positional.size() != 1 || args.has("repair") != !args.out().empty())
        return usage();
    if (!args.out().empty() && refusedOutput(args.out()))
        return Refused;
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    std::string reason;

    const std::vector<HealthFinding> found = healthFindings(*d);
    Json result;
    result["findings"] = findingsJson(found);
    if (args.has("repair")) {
        const HealthRepairs r = repairAll(*d);
        if (!save(*d, args.out(), reason))
            return fileError(reason);
        result["repairs"] = {{"conflict_sources_reset", r.countersReset},
                             {"conflicts_removed", r.conflictsRemoved},
                             {"manual_room_overlaps_removed", r.overlapsRemoved},
                             {"events_removed", r.eventsRemoved},
                             {"resources_removed", r.resourcesRemoved}};
        result["remaining"] = findingsJson(healthFindings(*d));
    }
    if (args.json()) {
        printJson(result);
        return Done;
    }
    printFindings(found);
    if (args.has("repair"))
        for (const auto &[key, value] : result["repairs"].items())
            std::cout << key << ": " << value << '\n';
    return Done;
}

namespace {

Json categoryTableJson(const ScheduleData &d, const Statistics &s, StatKind kind)
{
    const CategoryTable &table = kind == StatKind::Events ? s.events : s.resources;
    Json rows = Json::array();
    for (int r = 1; r < StatRows; ++r) {
        if (r == StatBookingsRow)
            continue;
        const CategoryRow &row = table.rows[static_cast<std::size_t>(r)];
        Json weeks = Json::array();
        for (std::size_t w = 1; w < row.weeks.size(); ++w)
            weeks.push_back(row.weeks[w]);
        Json line = {{"row", shown(statCell(d, s, kind, 0, r))}, {"count", row.count}};
        if (r <= StatTotalRow) {
            line["planned"] = row.planned;
            line["allocated"] = row.allocated;
            line["scheduled"] = row.scheduled;
            line["links"] = row.links;
        }
        line["weeks"] = weeks;
        rows.push_back(line);
    }
    return rows;
}

Json linkTableJson(const LinkTable &table, const char *counted)
{
    Json rows = Json::array();
    for (const LinkRow &row : table.rows)
        rows.push_back({{"n", row.n}, {counted, row.codes}, {"scheduled", row.scheduled}});
    return {{"label", table.label}, {"rows", rows}};
}

} // namespace

int runStats(const Arguments &args)
{
    if (args.positional.size() != 1)
        return usage();
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    const Statistics s = computeStatistics(*d);
    if (!args.json()) {
        std::cout << shown(summaryText(*d, "")) << "\n\n";
        for (const std::string &line : s.timetableLines)
            std::cout << shown(line) << '\n';
        std::cout << s.eventBlocks << ": " << s.eventBlockList << '\n'
                  << "Bookings blocks: " << s.bookingBlockList << '\n';
        return Done;
    }
    Json result;
    result["weeks"] = s.lastWeek;
    result["events"] = categoryTableJson(*d, s, StatKind::Events);
    result["resources"] = categoryTableJson(*d, s, StatKind::Resources);
    Json gauges = Json::array();
    for (const Gauge &g : s.gauges)
        gauges.push_back({{"label", g.label}, {"value", g.value}, {"maximum", g.maximum}});
    result["volumes"] = gauges;
    result["resources_in_events"] = linkTableJson(s.resourcesInEvents, "events");
    result["events_of_resources"] = linkTableJson(s.eventLinksOfResources, "resources");
    Json lines = Json::array();
    for (const std::string &line : s.timetableLines)
        lines.push_back(shown(line));
    result["timetables"] = lines;
    result["event_blocks"] = {{"label", s.eventBlocks}, {"lengths", s.eventBlockList}};
    result["booking_blocks"] = s.bookingBlockList;
    result["resources_left"] = resourcesLeft(*d);
    result["complexity_rank"] = complexityRank(*d);
    result["summary"] = shown(summaryText(*d, ""));
    printJson(result);
    return Done;
}

int runQuality(const Arguments &args)
{
    if (args.positional.size() != 1)
        return usage();
    long long top = MaxQualityListRows;
    if (args.given("top")) {
        const auto n = number(args.value("top"), 1, MaxQualityListRows);
        if (!n)
            return usage();
        top = *n;
    }
    int firstWeek = 1;
    if (args.given("first-week")) {
        const auto w = number(args.value("first-week"), 1, MaxWeeks);
        if (!w)
            return usage();
        firstWeek = static_cast<int>(*w);
    }
    auto d = loadOrReport(args.positional[0]);
    if (!d)
        return BadFile;
    const QualityList list =
        timetableQuality(*d, firstWeek, d->header.bookingsCountAsOccupied != 0);
    const std::size_t shownRows = std::min(list.rows.size(), static_cast<std::size_t>(top));
    if (!args.json()) {
        std::cout << shown(qualityTitle(list)) << '\n';
        for (std::size_t i = 0; i < shownRows; ++i)
            std::cout << shown(qualityLine(*d, list.rows[i])) << '\n';
        return Done;
    }
    Json rows = Json::array();
    for (std::size_t i = 0; i < shownRows; ++i) {
        const QualityListRow &r = list.rows[i];
        rows.push_back({{"resource", codeText(*d, r.resource)},
                        {"week", r.week},
                        {"gaps", r.gaps},
                        {"spread", r.spread},
                        {"idle", r.idle},
                        {"score", r.score()}});
    }
    Json result;
    result["first_week"] = list.firstWeek;
    result["weeks"] = list.weeks;
    result["resources"] = list.resources;
    result["listed"] = static_cast<int>(list.rows.size());
    result["rows"] = rows;
    printJson(result);
    return Done;
}

} // namespace quivra::cli
