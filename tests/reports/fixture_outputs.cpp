// Writes everything the report fixture publishes and exports into one folder, for the checks
// that run real tools over it (tools_check.sh): pages of every report slot over one and several
// weeks, as pages and as one large file, dated and undated; the calendar and CSV exports; and
// expected.json with the texts each exported item must read back as.
//
// usage: reports_fixture_outputs DIR

#include "reportfixture.h"
#include "reports/calendarexport.h"
#include "reports/htmlpublish.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>

using namespace quivra;

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: reports_fixture_outputs DIR\n";
        return 1;
    }
    const std::string dir = argv[1];
    RunEnvironment env;
    env.now = 1783000000;
    env.seed = 7;
    int failures = 0;

    for (const bool dated : {true, false}) {
        const auto d = reportFixture(dated);
        for (int slot = 1; slot <= ReportSlotCount; ++slot) {
            for (const bool several : {false, true}) {
                for (const int suffix : {0, 1}) {
                    ReportParams p;
                    p.setReportNumber(slotReportNumber(slot));
                    p.firstWeek = 1;
                    p.lastWeek = several ? 3 : 1;
                    p.suffix = suffix;
                    p.icsFiles = true;
                    p.publishMemos = 3;
                    p.unscheduled = true;
                    p.weekOptions |= WeekLinkedCodes | WeekLinkedRows | WeekAverages;
                    p.miscOptions |= MiscManualRooms;
                    p.intranet = slot % 2 == 0;
                    const std::string name =
                        "slot" + std::to_string(slot) + (several ? "-weeks" : "-week") +
                        (suffix == 0 ? "-onefile" : "-pages") + (dated ? "-dated" : "-undated");
                    FolderSink sink(dir + "/pages/" + name);
                    PublishOptions o;
                    o.mainFile = "index.htm";
                    o.dataFileName = "fixture.qvf";
                    const PublishResult r = publishReport(*d, p, o, sink, env);
                    if (r.refused || !r.failed.empty()) {
                        std::cerr << name << ": " << r.message << '\n';
                        ++failures;
                    }
                }
            }
        }
    }

    const auto d = reportFixture(true);
    CalendarExportOptions o;
    o.firstWeek = 1;
    o.lastWeek = 3;
    o.labelFormat = 2;
    for (int c = 1; c <= d->codeCount; ++c)
        if (!isEventCode(*d, static_cast<CodeId>(c)))
            o.resources.push_back(static_cast<CodeId>(c));
    nlohmann::ordered_json expected = nlohmann::ordered_json::array();
    for (const CodeId r : o.resources)
        for (const CalendarItem &item :
             calendarItems(*d, r, o.firstWeek, o.lastWeek, o.labelFormat, true, env)) {
            char start[32], end[32];
            std::snprintf(start, sizeof start, "%02d:%02d", item.times.start / 60,
                          item.times.start % 60);
            std::snprintf(end, sizeof end, "%02d:%02d", item.times.end / 60 % 24,
                          item.times.end % 60);
            expected.push_back({{"uid", item.uid},
                                {"summary", item.subject},
                                {"description", item.description},
                                {"location", item.location},
                                {"date", formatDateTime("ddddd", item.date)},
                                {"iso", serialToYmd(item.date)},
                                {"start", start},
                                {"end", end}});
        }
    std::ofstream(dir + "/expected.json") << expected.dump(1) << '\n';
    for (const CalendarFormat format :
         {CalendarFormat::ICalendar, CalendarFormat::VCalendar, CalendarFormat::Csv}) {
        o.format = format;
        FolderSink sink(dir + "/exports");
        FileNames names;
        const CalendarExportResult r = exportCalendar(*d, o, sink, names, env);
        if (r.refused || r.files != 1) {
            std::cerr << "export: " << r.message << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
