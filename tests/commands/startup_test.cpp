#include "commands/startup.h"

#include "commands/filecommands.h"
#include "commands/sessionfixture.h"
#include "files/textexchange.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quivra {
namespace {

using namespace quivra::testing;

CodeId codeNamed(const ScheduleData &d, std::string_view code)
{
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].code.view() == code)
            return static_cast<CodeId>(c);
    }
    return 0;
}

// A text file with event E3 on T1 in the cell E1 already holds (week 1, day 1, bell 1).
void writeAddition(const std::string &path)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 6).resources('T', {"T1"});
    f.event("E3", {"T1"}, 1).allocate("E3", 1, 1, 1).place("E3", 1, 1, 1, 1);
    f.finish();
    ASSERT_TRUE(exportTextFile(*d, path).has_value());
}

TEST(StartUp, WithoutSettingsDefaultsHoldAndTheFirstStartOffersThreeChoices)
{
    TempFolder root;
    SessionFixture f(root);
    int chosen = 0;
    f.session.hooks.firstStart = [&](int choice) { chosen = choice; };
    createFrame(f.session);
    EXPECT_TRUE(f.session.firstStart);
    EXPECT_TRUE(f.settings.preferences.autoRead);
    EXPECT_EQ(f.settings.directory.network, "[Enter network folder here]");

    f.ui.choose(3);
    firstPaint(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    ASSERT_EQ(f.ui.shown().size(), 1u);
    EXPECT_EQ(f.ui.shown()[0].options.size(), 4u);
    EXPECT_EQ(f.ui.shown()[0].options[2].text, "I want to look at the demo institution");
    EXPECT_EQ(f.ui.shown()[0].options[3].text,
              "I want to let Quivra create a demo file step by step");
    EXPECT_EQ(chosen, 3);
}

TEST(StartUp, LastFileIsReopenedWhenSettingsExist)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string path = root / "data/plan.qvf";
    writeSample(path);
    Settings saved;
    saved.directory.defaultFile = path;
    saved.preferences.capacityCheck = true;
    ASSERT_TRUE(saveSettings(saved, SessionFixture::paths(root), false).has_value());

    createFrame(f.session);
    EXPECT_FALSE(f.session.firstStart);
    firstPaint(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(f.session.currentFile(), path);
    EXPECT_EQ(f.data->codeCount, 5);
}

struct CommandLine : ::testing::Test
{
    TempFolder root;
    SessionFixture f{root};
    std::string data = root / "data/plan.qvf";
    std::string text = root / "data/add.qvx";

    void SetUp() override
    {
        writeSample(data);
        writeAddition(text);
        f.session.firstStart = false;
    }
};

TEST_F(CommandLine, DataAndTextFileAddsAndSweeps)
{
    f.session.arguments = {data, text};
    firstPaint(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(f.session.currentFile(), data);
    const CodeId e3 = codeNamed(*f.data, "E3");
    ASSERT_NE(e3, 0);
    EXPECT_EQ(f.data->codes[e3].scheduled, 0); // the later event lost the shared cell
    EXPECT_EQ(f.data->codes[codeNamed(*f.data, "E1")].scheduled, 2);
    EXPECT_FALSE(f.session.exitRequested);
}

TEST_F(CommandLine, WriteSwitchWritesTheDataFileAndEnds)
{
    f.session.arguments = {data, text, "/w"};
    firstPaint(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_TRUE(f.session.exitRequested);
    EXPECT_TRUE(f.session.noAsk);
    auto written = makeScheduleData();
    ASSERT_TRUE(readDataFile(data, *written).has_value());
    EXPECT_NE(codeNamed(*written, "E3"), 0);
}

TEST_F(CommandLine, ConvertSwitchWritesTheTextFile)
{
    const std::string out = root / "data/out.qvx";
    f.session.arguments = {data, out, "/T"};
    f.ui.expect("was converted to text file").answer(Answer::Ok);
    firstPaint(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_FALSE(f.session.exitRequested);
    auto back = makeScheduleData();
    ASSERT_TRUE(importTextFile(out, *back).has_value());
    EXPECT_EQ(back->codeCount, 5);
    EXPECT_EQ(codeNamed(*f.data, "E3"), 0); // converting adds nothing
}

TEST(Headless, ExitCodes)
{
    TempFolder root;
    const std::string data = root / "plan.qvf";
    const std::string text = root / "add.qvx";
    writeSample(data);
    writeAddition(text);
    struct Case
    {
        const char *name;
        std::vector<std::string> args;
        int code;
    };
    const Case cases[] = {
        {"no switch", {data, text}, 1},
        {"no text file", {data, root / "x.txt", "/T"}, 1},
        {"missing data file", {root / "none.qvf", text, "/W"}, 2},
        {"missing text file", {data, root / "none.qvx", "/W"}, 2},
        {"convert", {data, root / "out.qvx", "/T"}, 0},
        {"add and write", {data, text, "/W"}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream out, err;
        EXPECT_EQ(runHeadless(c.args, out, err), c.code) << out.str() << err.str();
        EXPECT_EQ(err.str().empty(), c.code == 0) << err.str();
    }
    EXPECT_TRUE(fs::exists(root / "out.qvx"));
    auto written = makeScheduleData();
    ASSERT_TRUE(readDataFile(data, *written).has_value());
    EXPECT_NE(codeNamed(*written, "E3"), 0);
}

// What a status line shows, in order.
struct StatusLog final : Progress
{
    std::vector<std::string> lines;

protected:
    void onStatus(std::string_view text) override { lines.emplace_back(text); }
};

TEST(StartUp, TheStatusLineSaysViewsAreBeingCreatedWhileAFileOpens)
{
    TempFolder root;
    SessionFixture f(root);
    StatusLog log;
    Session session(*f.data, f.settings, SessionFixture::paths(root), f.prompter, f.clock, log);
    const std::string plan = root / "data/plan.qvf";
    writeSample(plan);
    // Shown while reading, and cleared once open; also when the file cannot be read.
    ASSERT_TRUE(openWindows(session, plan));
    const std::vector<std::string> expected{"Creating views - please wait ...", ""};
    EXPECT_EQ(log.lines, expected);
    log.lines.clear();
    f.ui.expect("cannot be opened").answer(Answer::Ok);
    EXPECT_FALSE(openWindows(session, root / "data/missing.qvf"));
    EXPECT_EQ(log.lines, expected);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

} // namespace
} // namespace quivra
