// Runs the built quivra-cli as a user would: exit codes, JSON keys and files written.

#include "files/datafile.h"
#include "files/textexchange.h"
#include "support/clirunner.h"
#include "support/fixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace quivra {
namespace {

namespace fs = std::filesystem;

using Outcome = CliOutcome;

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_cli = builtCliPath();
        if (!fs::exists(m_cli))
            GTEST_SKIP() << "quivra-cli is not built at " << m_cli;
        m_dir = fs::temp_directory_path() / ("quivra-cli-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);

        // Two events share room R1 in week 1, day 1, bell 2.
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(4, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        f.event("MATH", {"T1", "R1"}, 4).event("ART", {"T2", "R1"}, 2);
        f.allocate("MATH", 1, 2, 2).allocate("ART", 1, 1, 1);
        f.place("MATH", 1, 1, 1, 2).place("ART", 1, 1, 2, 2);
        f.finish();
        const std::vector<std::uint8_t> bytes = encodeDataFile(*d);
        write("school.qvf", bytes);
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

    Outcome run(const std::string &arguments) const { return runCli(m_cli, arguments); }

    fs::path m_cli;
    fs::path m_dir;
};

TEST_F(CliTest, ExitCodesTellWhatHappened)
{
    struct Case
    {
        std::string arguments;
        int exitCode;
        std::string output; // expected part of stdout
    };
    const Case cases[] = {
        {"", 1, ""},
        {"--version", 0, "quivra-cli "},
        {"frob " + path("school.qvf"), 1, ""},
        {"info", 1, ""},
        {"info " + path("school.qvf") + " --remove", 1, ""},
        {"info " + path("school.qvf"), 0, "codes: 5"},
        {"info " + path("missing.qvf"), 2, ""},
        {"info " + path("cut.qvf"), 2, ""},
        {"check " + path("school.qvf") + " --out " + path("x.qvf"), 1, ""},
        {"convert " + path("school.qvf") + " " + path("school.txt"), 3, ""},
        {"dump " + path("school.qvf"), 0, "MATH"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        const Outcome r = run(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.out.find(c.output), std::string::npos) << r.out;
    }
    EXPECT_FALSE(fs::exists(path("school.txt")));
}

TEST_F(CliTest, InfoJsonHasTheDocumentedKeys)
{
    const Outcome r = run("info " + path("school.qvf") + " --json");
    ASSERT_EQ(r.exitCode, 0);
    const auto info = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (const auto &[key, value] : info.items())
        keys.push_back(key);
    const std::vector<std::string> expected = {"codes",
                                               "events",
                                               "resources",
                                               "lectures",
                                               "week_allocations",
                                               "week_bookings",
                                               "timetable_lectures",
                                               "table_bookings",
                                               "collections",
                                               "planned",
                                               "allocated",
                                               "scheduled",
                                               "weeks",
                                               "days",
                                               "bells"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(info["codes"], 5);
    EXPECT_EQ(info["events"], 2);
    EXPECT_EQ(info["timetable_lectures"], 2);
    EXPECT_EQ(info["weeks"], 4);
}

TEST_F(CliTest, CheckFindsAndRemovesConflictsIntoAnotherFile)
{
    const Outcome found = run("check " + path("school.qvf") + " --json");
    ASSERT_EQ(found.exitCode, 0);
    const auto report = nlohmann::json::parse(found.out);
    EXPECT_EQ(report["found"], 1);
    EXPECT_EQ(report["removed"], 0);
    EXPECT_EQ(report["first"]["resource"], "R1");
    EXPECT_EQ(report["first"]["events"], nlohmann::json::array({"MATH", "ART"}));
    EXPECT_EQ(report["first"]["bell"], 2);

    const Outcome removed =
        run("check " + path("school.qvf") + " --remove --out " + path("fixed.qvf") + " --json");
    ASSERT_EQ(removed.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(removed.out)["removed"], 1);
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("fixed.qvf") + " --json").out)["found"], 0);
    // The original file is left as it was.
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("school.qvf") + " --json").out)["found"],
              1);
}

TEST_F(CliTest, TextFilesRoundTripByteForByte)
{
    // A fixed moment makes the "Created" line, and so the whole text, reproducible.
    const std::string env = "SOURCE_DATE_EPOCH=1700000000 " + m_cli.string();
    auto convert = [&](const std::string &in, const std::string &out) {
        return std::system(
            (env + " convert " + path(in) + " " + path(out) + " 2>/dev/null").c_str());
    };
    ASSERT_EQ(convert("school.qvf", "first.qvx"), 0);
    ASSERT_EQ(convert("first.qvx", "again.qvf"), 0);
    ASSERT_EQ(convert("again.qvf", "second.qvx"), 0);
    auto read = [&](const std::string &name) {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_FALSE(read("first.qvx").empty());
    EXPECT_EQ(read("first.qvx"), read("second.qvx"));
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("again.qvf") + " --json").out)["found"], 1)
        << "the conflict travels through the text file unchanged";
}

TEST_F(CliTest, ImportAddsATextFileAndSweeps)
{
    // The added file places ART where MATH already uses T1 and R1.
    auto add = makeScheduleData();
    FixtureBuilder f(*add);
    f.calendar(4, 5, 6).resources('T', {"T1"}).resources('R', {"R1"});
    f.event("ART", {"T1", "R1"}, 2).allocate("ART", 1, 1, 1).place("ART", 1, 1, 1, 1);
    f.finish();
    ASSERT_TRUE(exportTextFile(*add, path("add.qvx")));
    ASSERT_EQ(run("check " + path("school.qvf") + " --remove --out " + path("clean.qvf")).exitCode,
              0);

    const Outcome r = run("import " + path("clean.qvf") + " " + path("add.qvx") +
                          " --rule 1 --out " + path("merged.qvf") + " --json");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const auto report = nlohmann::json::parse(r.out);
    EXPECT_EQ(report["lines_skipped"], 0);
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("merged.qvf") + " --json").out)["found"],
              0);
    EXPECT_EQ(run("import " + path("clean.qvf") + " " + path("add.qvx") + " --rule 5 --out " +
                  path("x.qvf"))
                  .exitCode,
              1);
    EXPECT_EQ(run("import " + path("clean.qvf") + " " + path("school.qvf") + " --rule 1 --out " +
                  path("x.qvf"))
                  .exitCode,
              3);
}

TEST_F(CliTest, OptimiseKeepsAConflictElsewhereAndIsRepeatable)
{
    // school.qvf holds one conflict: the run goes ahead, keeps it and adds none.
    const Outcome kept =
        run("optimise " + path("school.qvf") + " --out " + path("o.qvf") + " --rounds 3 --json");
    ASSERT_EQ(kept.exitCode, 0) << kept.out;
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("o.qvf") + " --json").out)["found"], 1);
    // So does the search that goes on after the descent for the time given, and the descent
    // alone (--specified-only).
    for (const std::string mode : {" --seconds 1", " --seconds 1 --specified-only"}) {
        SCOPED_TRACE(mode);
        const Outcome timed =
            run("optimise " + path("school.qvf") + " --out " + path("t.qvf") + mode + " --json");
        ASSERT_EQ(timed.exitCode, 0) << timed.out;
        EXPECT_EQ(nlohmann::json::parse(run("check " + path("t.qvf") + " --json").out)["found"], 1);
    }
    EXPECT_EQ(run("optimise " + path("school.qvf") + " --out " + path("x.qvf") +
                  " --seconds 5 --rounds 5")
                  .exitCode,
              1);
    EXPECT_EQ(run("optimise " + path("school.qvf") + " --out " + path("x.qvf") + " --weights 1,2,3")
                  .exitCode,
              1);
    EXPECT_FALSE(fs::exists(path("x.qvf")));

    const std::string common = " --remove-conflicts --seed 5 --rounds 3 --json";
    const Outcome first =
        run("optimise " + path("school.qvf") + " --out " + path("a.qvf") + common);
    ASSERT_EQ(first.exitCode, 0) << first.out;
    const auto result = nlohmann::ordered_json::parse(first.out);
    std::vector<std::string> keys;
    for (const auto &[key, value] : result.items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"gaps_before", "gaps_after", "by_category", "swaps",
                                              "moves", "undone", "rounds", "seconds"}));
    EXPECT_EQ(result["by_category"].size(), 7u);
    EXPECT_LE(result["gaps_after"], result["gaps_before"]);
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("a.qvf") + " --json").out)["found"], 0);

    ASSERT_EQ(run("optimise " + path("school.qvf") + " --out " + path("b.qvf") + common).exitCode,
              0);
    // The header records when each file was saved; everything from the codes on must match.
    const auto stores = [&](const std::string &name) {
        const std::string dump = run("dump " + path(name)).out;
        return dump.substr(std::min(dump.find("[codes]"), dump.size()));
    };
    EXPECT_FALSE(stores("a.qvf").empty());
    EXPECT_EQ(stores("a.qvf"), stores("b.qvf")) << "the same seed gives the same timetables";
}

TEST_F(CliTest, SchedulePlacesWhatIsAllocated)
{
    // With the conflict in place, the run places what is left, keeps the conflict and adds none.
    const Outcome kept =
        run("schedule " + path("school.qvf") + " --out " + path("k.qvf") + " --json");
    ASSERT_EQ(kept.exitCode, 0) << kept.out;
    EXPECT_EQ(nlohmann::json::parse(kept.out)["left"], 0);
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("k.qvf") + " --json").out)["found"], 1);

    // After the sweep, ART's allocated period is no longer placed.
    const Outcome r = run("schedule " + path("school.qvf") + " --out " + path("s.qvf") +
                          " --remove-conflicts --json");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const auto result = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> keys;
    for (const auto &[key, value] : result.items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"planned", "allocated", "scheduled", "left",
                                              "seconds", "completed", "moved", "conflicts"}));
    EXPECT_EQ(result["conflicts"], 0);
    EXPECT_EQ(result["left"], 0);
    EXPECT_EQ(result["scheduled"], result["allocated"]);
    EXPECT_EQ(nlohmann::json::parse(run("check " + path("s.qvf") + " --json").out)["found"], 0);
    const Outcome bare = run("schedule " + path("school.qvf") + " --out " + path("b.qvf") +
                             " --remove-conflicts --specified-only --json");
    ASSERT_EQ(bare.exitCode, 0) << bare.out;
    EXPECT_EQ(nlohmann::json::parse(bare.out)["completed"], 0);

    // Nothing allocated: refused by a rule, and nothing written.
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 6).resources('T', {"T1"});
    f.event("MATH", {"T1"}, 2);
    f.finish();
    write("empty.qvf", encodeDataFile(*d));
    EXPECT_EQ(run("schedule " + path("empty.qvf") + " --out " + path("e.qvf")).exitCode, 3);
    EXPECT_FALSE(fs::exists(path("e.qvf")));
}

TEST_F(CliTest, ConvertWritesAFileThatReadsBack)
{
    ASSERT_EQ(run("convert " + path("school.qvf") + " " + path("copy.QVF")).exitCode, 0);
    const Outcome info = run("info " + path("copy.QVF") + " --json");
    ASSERT_EQ(info.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(info.out)["codes"], 5);
}

} // namespace
} // namespace quivra
