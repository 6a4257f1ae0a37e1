// Publishing: every report slot over one and several weeks, as separate pages and as one large
// file, with dated and undated weeks. Every link reaches a written file (names compared exactly,
// as a case-sensitive file system would), hostile names appear only escaped, Intranet pages carry
// no outside address, and a run with a fixed moment and seed repeats byte for byte and equals
// the golden files.
//
// QUIVRA_UPDATE_GOLDEN=1 rewrites the golden files from the current output; review the diff.

#include "reportfixture.h"
#include "reports/htmlpublish.h"
#include "support/timezone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace quivra {
namespace {

struct PublishCase
{
    int slot;
    bool severalWeeks;
    int suffix; // 0 one large file, 1 ".htm"
    bool dated;
};

std::string describe(const PublishCase &r)
{
    return "slot " + std::to_string(r.slot) + (r.severalWeeks ? ", weeks 1-3" : ", week 1") +
           (r.suffix == 0 ? ", one file" : ", pages") + (r.dated ? ", dated" : ", undated");
}

ReportParams paramsFor(const PublishCase &r)
{
    ReportParams p;
    p.setReportNumber(slotReportNumber(r.slot));
    p.firstWeek = 1;
    p.lastWeek = r.severalWeeks ? 3 : 1;
    p.suffix = r.suffix;
    p.icsFiles = true;
    p.publishMemos = 3;
    p.unscheduled = true;
    p.weekOptions |= WeekLinkedCodes | WeekLinkedRows | WeekAverages;
    p.miscOptions |= MiscManualRooms | MiscTimeWithDate;
    return p;
}

MemorySink publish(const ScheduleData &d, const ReportParams &p, PublishResult *out = nullptr)
{
    MemorySink sink;
    PublishOptions o;
    o.mainFile = "plan.htm";
    o.dataFileName = "school <1>.qvf";
    RunEnvironment env;
    env.now = 1783000000; // 2026-07-02
    env.seed = 7;
    const PublishResult result = publishReport(d, p, o, sink, env);
    EXPECT_FALSE(result.refused) << result.message;
    EXPECT_TRUE(result.failed.empty());
    EXPECT_EQ(result.written, static_cast<int>(sink.files.size()));
    EXPECT_TRUE(sink.files.contains(result.mainFile));
    if (out)
        *out = result;
    return sink;
}

std::vector<std::string> links(const std::string &page)
{
    static const std::regex href(R"re((?:href|src)="([^"]*)")re");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), href);
         it != std::sregex_iterator(); ++it)
        out.push_back((*it)[1]);
    return out;
}

class Publish : public ::testing::Test
{
private:
    ScopedTimeZone m_zone{"Europe/Berlin"};
};

TEST_F(Publish, EveryReportLinksOnlyToWrittenPagesAndShowsHostileNamesAsText)
{
    const auto dated = reportFixture(true);
    const auto undated = reportFixture(false);
    for (int slot = 1; slot <= ReportSlotCount; ++slot) {
        for (const bool several : {false, true}) {
            for (const int suffix : {0, 1}) {
                for (const bool isDated : {true, false}) {
                    const PublishCase run{slot, several, suffix, isDated};
                    const ScheduleData &d = isDated ? *dated : *undated;
                    const MemorySink sink = publish(d, paramsFor(run));
                    bool hostileShown = false;
                    for (const auto &[name, page] : sink.files) {
                        EXPECT_EQ(name.find('/'), std::string::npos) << name;
                        if (name.ends_with(".ics"))
                            continue;
                        for (const std::string &link : links(page))
                            EXPECT_TRUE(sink.files.contains(link))
                                << describe(run) << ": " << name << " links to " << link;
                        EXPECT_EQ(page.find("<b>&\"x"), std::string::npos)
                            << describe(run) << ": raw name in " << name;
                        EXPECT_EQ(page.find("<one>"), std::string::npos) << name;
                        hostileShown =
                            hostileShown || page.find("&lt;b&gt;&amp;&quot;x") != std::string::npos;
                        EXPECT_EQ(page.find("://"), std::string::npos) << name;
                    }
                    EXPECT_TRUE(hostileShown) << describe(run);
                    EXPECT_EQ(
                        std::count_if(sink.files.begin(), sink.files.end(),
                                      [](const auto &f) { return f.first.ends_with(".ics"); }) > 0,
                        isDated)
                        << describe(run) << ": calendars need dated weeks";
                }
            }
        }
    }
}

TEST_F(Publish, PageNamesFollowTheCodeAndNeverCollide)
{
    EXPECT_EQ(pageStem("T1", 3, 3, 'x', true), "x3003t1231");
    EXPECT_EQ(pageStem("T1", 0, 3, 'x', true), "t1231");
    EXPECT_EQ(pageStem("!.", 0, 3, 'x', true), pageStem("$-", 0, 3, 'x', true));
    EXPECT_EQ(pageStem("A/B", 12, 41, 'q', false), "q41012A_B536");

    const auto d = reportFixture();
    ReportParams p;
    p.setReportNumber(3);
    p.firstWeek = 1;
    p.lastWeek = 1;
    const MemorySink sink = publish(*d, p);
    // "!." and "$-" share a stem; both reference pages exist and differ.
    EXPECT_TRUE(sink.files.contains("__171.htm"));
    EXPECT_TRUE(sink.files.contains("__171_2.htm"));
    EXPECT_TRUE(sink.files.contains("x3001t1231.htm"));
    EXPECT_TRUE(sink.files.contains("x3001t1263.htm")) << "t1 has its own page";
}

TEST_F(Publish, IntranetPagesAndTheTemplatesCarryNoOutsideAddress)
{
    const auto d = reportFixture();
    ReportParams p;
    p.setReportNumber(3);
    p.intranet = true;
    p.firstWeek = 1;
    p.lastWeek = 3;
    p.tag = "<a href=\"plan.htm\">Home</a>";
    const MemorySink sink = publish(*d, p);
    for (const auto &[name, page] : sink.files) {
        for (const char *outside : {"://", "www.", "<img", "mailto:"})
            EXPECT_EQ(page.find(outside), std::string::npos) << name << ": " << outside;
    }
}

TEST_F(Publish, PagesAreWrittenInTheDeclaredCharacterSet)
{
    const auto d = reportFixture();
    ReportParams p;
    p.setReportNumber(1);
    p.suffix = 0;
    const std::string latin = publish(*d, p).files.at("plan.htm");
    EXPECT_NE(latin.find("charset=ISO-8859-1"), std::string::npos);
    EXPECT_NE(latin.find("Math\xE9matiques"), std::string::npos);
    p.charset = "UTF-8";
    const std::string utf8 = publish(*d, p).files.at("plan.htm");
    EXPECT_NE(utf8.find("Math\xC3\xA9matiques"), std::string::npos);
}

TEST_F(Publish, EventLinksFollowTheTemplateAndDailyPagesAreLinkedFromTheCalendar)
{
    const auto d = reportFixture();
    ReportParams p;
    p.setReportNumber(3);
    p.firstWeek = 1;
    p.lastWeek = 3;
    p.prefix = "/plan.php?id=<123>&x=<AB5>";
    p.dailyPages = true;
    const MemorySink sink = publish(*d, p);
    // "MA": page name "ma272"; positions 1..3 give "ma2", positions 11 and 12 lie past it, 5 is
    // "2".
    EXPECT_NE(sink.files.at("x3001t1231.htm").find("<a href=\"/plan.php?id=ma2&amp;x=2\">"),
              std::string::npos);
    ASSERT_TRUE(sink.files.contains("20260105.htm"));
    EXPECT_NE(sink.files.at("20260105.htm").find("Teacher &lt;one&gt;"), std::string::npos);
    EXPECT_NE(sink.files.at("20260715.htm").find("(No events today)"), std::string::npos);
    EXPECT_NE(sink.files.at("plan.htm").find("href=\"20260105.htm\""), std::string::npos);
}

TEST_F(Publish, RefusesWithoutEventsOrCodes)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 6).resources('T', {"T1"});
    f.finish();
    MemorySink sink;
    const PublishResult r = publishReport(*d, ReportParams{}, {}, sink, RunEnvironment{});
    EXPECT_TRUE(r.refused);
    EXPECT_EQ(r.message, "You must first create at least one resource and one event.");
    EXPECT_TRUE(sink.files.empty());
}

std::string bundle(const MemorySink &sink)
{
    std::string out;
    for (const auto &[name, text] : sink.files)
        out += "==== " + name + " ====\n" + text + "\n";
    return out;
}

TEST_F(Publish, AFixedMomentAndSeedGiveTheGoldenOutputEveryTime)
{
    const auto d = reportFixture();
    const PublishCase golden[] = {{3, true, 1, true}, {6, false, 0, true}, {7, true, 1, false}};
    for (const PublishCase &run : golden) {
        const std::string first = bundle(publish(*d, paramsFor(run)));
        const std::string second = bundle(publish(*d, paramsFor(run)));
        EXPECT_EQ(first, second) << describe(run);
        const auto path =
            std::filesystem::path(__FILE__).parent_path() / "golden" /
            ("slot" + std::to_string(run.slot) + (run.severalWeeks ? "-weeks" : "") +
             (run.suffix == 0 ? "-onefile" : "") + (run.dated ? "" : "-undated") + ".txt");
        if (std::getenv("QUIVRA_UPDATE_GOLDEN")) {
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << first;
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << "missing golden file " << path;
        std::stringstream expected;
        expected << in.rdbuf();
        EXPECT_TRUE(expected.str() == first) << "output differs from " << path;
    }
}

} // namespace
} // namespace quivra
