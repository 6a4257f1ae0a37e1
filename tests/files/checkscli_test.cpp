// Runs the check commands of the built quivra-cli as a user would: health, stats and quality.

#include "engine/codeedits.h"
#include "files/datafile.h"
#include "support/clirunner.h"
#include "support/fixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace quivra {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

using Outcome = CliOutcome;

class ChecksCliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_cli = builtCliPath();
        if (!fs::exists(m_cli))
            GTEST_SKIP() << "quivra-cli is not built at " << m_cli;
        m_dir = fs::temp_directory_path() / ("quivra-checkscli-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);

        // Damaged but readable: MATH and ART clash in T1's cell, a command left a conflict
        // behind, EMPTY has no resources and G9 serves nobody.
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 6).resources('G', {"G9"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"T1"}, 2).event("ART", {"T1", "T2"}, 1).event("EMPTY", {});
        f.allocate("MATH", 1, 1, 2).allocate("ART", 1, 1, 1);
        f.place("MATH", 1, 1, 1, 2).place("ART", 1, 1, 2, 2);
        f.finish();
        noteConflictSource(*d, 3, 46000);
        write("damaged.qvf", encodeDataFile(*d));
        const std::vector<std::uint8_t> bytes = encodeDataFile(*d);
        write("cut.qvf", std::vector(bytes.begin(), bytes.begin() + 2000));
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    void write(const std::string &name, const std::vector<std::uint8_t> &bytes)
    {
        std::ofstream(m_dir / name, std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::string path(const std::string &name) const { return (m_dir / name).string(); }
    std::string bytesOf(const std::string &name) const
    {
        std::ifstream in(m_dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    Outcome run(const std::string &arguments) const { return runCli(m_cli, arguments); }

    fs::path m_cli;
    fs::path m_dir;
};

TEST_F(ChecksCliTest, ExitCodes)
{
    struct Case
    {
        std::string arguments;
        int exitCode;
    };
    const Case cases[] = {
        {"health " + path("damaged.qvf"), 0},
        {"health " + path("cut.qvf"), 2},
        {"health " + path("missing.qvf") + " --json", 2},
        {"health " + path("damaged.qvf") + " --repair", 1},
        {"health " + path("damaged.qvf") + " --out " + path("x.qvf"), 1},
        {"health " + path("damaged.qvf") + " --repair --out " + path("x.txt"), 3},
        {"stats " + path("damaged.qvf"), 0},
        {"stats " + path("cut.qvf") + " --json", 2},
        {"quality " + path("damaged.qvf") + " --top 0", 1},
        {"quality " + path("damaged.qvf") + " --top 3 --first-week 1", 0},
        {"quality " + path("cut.qvf"), 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run(c.arguments).exitCode, c.exitCode);
    }
    EXPECT_FALSE(fs::exists(path("x.qvf")));
    EXPECT_FALSE(fs::exists(path("x.txt")));
}

TEST_F(ChecksCliTest, HealthListsFindingsAndRepairLeavesNoneARepairCouldMend)
{
    const std::string before = bytesOf("damaged.qvf");
    const Outcome found = run("health " + path("damaged.qvf") + " --json");
    ASSERT_EQ(found.exitCode, 0);
    const Json report = Json::parse(found.out);
    std::vector<std::string> stages;
    for (const Json &f : report.at("findings")) {
        stages.push_back(f.at("stage"));
        EXPECT_TRUE(f.at("text").is_string());
        EXPECT_GE(f.at("count").get<int>(), 1);
    }
    EXPECT_EQ(stages, (std::vector<std::string>{"conflict-sources", "conflicts", "hints-and-tips",
                                                "unused-codes"}));
    EXPECT_EQ(report["findings"][1]["text"],
              "Do you want to remove 1 conflicts and 0 manual room overlaps now?");
    EXPECT_EQ(report["findings"][3]["count"], 2);
    EXPECT_EQ(bytesOf("damaged.qvf"), before) << "finding writes nothing";

    const Outcome repaired =
        run("health " + path("damaged.qvf") + " --repair --out " + path("fixed.qvf") + " --json");
    ASSERT_EQ(repaired.exitCode, 0);
    const Json repairs = Json::parse(repaired.out).at("repairs");
    EXPECT_EQ(repairs.at("conflicts_removed"), 1);
    EXPECT_EQ(repairs.at("events_removed"), 1);
    EXPECT_EQ(repairs.at("resources_removed"), 1);

    const Outcome after = run("health " + path("fixed.qvf") + " --json");
    ASSERT_EQ(after.exitCode, 0);
    const Json left = Json::parse(after.out);
    for (const Json &f : left.at("findings"))
        EXPECT_FALSE(f.at("repairable").get<bool>()) << f.dump();
}

TEST_F(ChecksCliTest, StatsAndQualityJson)
{
    const Outcome stats = run("stats " + path("damaged.qvf") + " --json");
    ASSERT_EQ(stats.exitCode, 0);
    const Json s = Json::parse(stats.out);
    for (const char *key : {"weeks", "events", "resources", "volumes", "resources_in_events",
                            "events_of_resources", "timetables", "summary"})
        EXPECT_TRUE(s.contains(key)) << key;
    EXPECT_EQ(s["events"][0]["row"], "b:Basic");
    EXPECT_EQ(s["events"][0]["count"], 3);

    const Outcome quality = run("quality " + path("damaged.qvf") + " --json");
    ASSERT_EQ(quality.exitCode, 0);
    const Json q = Json::parse(quality.out);
    EXPECT_EQ(q.at("weeks"), 1);
    EXPECT_TRUE(q.at("rows").is_array());
}

} // namespace
} // namespace quivra
