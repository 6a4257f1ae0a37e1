// quivra-cli's intake, select, campus and campus-check commands, run as a user runs them.

#include "engine/codetable.h"
#include "engine/collections.h"
#include "files/datafile.h"
#include "support/clirunner.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quivra {
namespace {

namespace fs = std::filesystem;

class ToolsCliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_cli = builtCliPath();
        if (!fs::exists(m_cli))
            GTEST_SKIP() << "quivra-cli is not built at " << m_cli;
        m_dir = fs::temp_directory_path() / ("quivra-toolscli-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        // Ten weeks of MATH1 for G1 with T1 in room RA (Lab @A) and ENG1 for G1 with T1 in RB
        // (Lab @B) on one day; students P1..P3 in M1, none in M2.
        auto d = makeScheduleData();
        d->resourceCategories.assign("G:Groups$T:Teachers$R:Rooms$S:Subjects$P:Students$");
        FixtureBuilder f(*d);
        f.calendar(24, 5, 8).resources('G', {"G1"}).resources('T', {"T1"});
        f.resources('R', {"RA", "RB"}).resources('S', {"Maths"});
        f.resources('P', {"P1", "P2", "P3", "P4"});
        f.event("MATH1", {"G1", "T1", "RA"}).event("ENG1", {"G1", "T1", "RB"});
        f.allocate("MATH1", 1, 10, 1).allocate("ENG1", 1, 10, 1);
        for (int w = 1; w <= 10; ++w)
            f.place("MATH1", w, 1, 1, 1).place("ENG1", w, 1, 3, 3);
        f.event("M1", {"Maths", "P1", "P2", "P3"}).event("M2", {"Maths", "P4"});
        f.finish();
        d->codes[f.id("RA")].name.assign("Lab @A");
        d->codes[f.id("RB")].name.assign("Lab @B");
        ASSERT_TRUE(writeDataFile(*d, path("plan.qvf")));
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }
    std::string path(const std::string &name) const { return (m_dir / name).string(); }
    CliOutcome run(const std::string &arguments) const { return runCli(m_cli, arguments); }

    fs::path m_cli;
    fs::path m_dir;
};

TEST_F(ToolsCliTest, IntakesAreMergedIntoTheOutputFile)
{
    const CliOutcome out = run("intake " + path("plan.qvf") + " --weeks 1,13 --category 1 --out " +
                               path("merged.qvf") + " --json");
    ASSERT_EQ(out.exitCode, 0) << out.out;
    EXPECT_NE(out.out.find("\"weeks\": 22"), std::string::npos) << out.out;
    auto d = makeScheduleData();
    ASSERT_TRUE(readDataFile(path("merged.qvf"), *d));
    EXPECT_NE(findCode(*d, "MATH1~b"), 0);
    EXPECT_NE(findCode(*d, "G1~b"), 0);
    // A plan the calendar cannot hold is refused and writes nothing.
    EXPECT_EQ(
        run("intake " + path("plan.qvf") + " --weeks 1,16 --category 1 --out " + path("no.qvf"))
            .exitCode,
        3);
    EXPECT_FALSE(fs::exists(path("no.qvf")));
    EXPECT_EQ(
        run("intake " + path("plan.qvf") + " --weeks 1,x --category 1 --out " + path("no.qvf"))
            .exitCode,
        1);
}

TEST_F(ToolsCliTest, SelectBalancesAndCampusCommandsReport)
{
    const CliOutcome balanced =
        run("select " + path("plan.qvf") + " --method 3 --out " + path("balanced.qvf") + " --json");
    ASSERT_EQ(balanced.exitCode, 0) << balanced.out;
    EXPECT_NE(balanced.out.find("P1: M1 -> M2"), std::string::npos) << balanced.out;

    const CliOutcome exported = run("campus " + path("plan.qvf") + " --kind 1 --weeks 2-3 --out " +
                                    path("out.csv") + " --json");
    ASSERT_EQ(exported.exitCode, 0) << exported.out;
    EXPECT_NE(exported.out.find("\"lines\": 4"), std::string::npos) << exported.out;

    const CliOutcome check = run("campus-check " + path("plan.qvf") + " --category 2 --json");
    ASSERT_EQ(check.exitCode, 0) << check.out;
    EXPECT_NE(check.out.find("T1: MATH1 (RA) <> ENG1 (RB)"), std::string::npos) << check.out;
}

} // namespace
} // namespace quivra
