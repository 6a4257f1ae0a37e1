#include "commands/textcommands.h"

#include "commands/filecommands.h"
#include "commands/sessionfixture.h"
#include "engine/codetable.h"
#include "support/carried.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quivra {
namespace {

using namespace quivra::testing;

void writeText(const std::string &path, const std::string &text)
{
    writeBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string fileText(const std::string &path)
{
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// A session with the sample open as data/plan.qvf.
struct OpenSample
{
    explicit OpenSample(const TempFolder &root) : f(root), path(root / "data/plan.qvf")
    {
        writeSample(path);
        EXPECT_TRUE(openWindows(f.session, path));
        f.settings.directory.defaultTextDir = root / "data";
    }
    CodeId id(const char *code) const { return findCode(*f.data, code); }

    SessionFixture f;
    std::string path;
};

TEST(TextCommands, CancelAtAnyQuestionChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<bool(Session &)> command;
        std::function<void(ScriptedDialogs &, const std::string &qvx)> script;
    };
    const Case cases[] = {
        {"import: save question", importFile,
         [](ScriptedDialogs &ui, const std::string &) {
             ui.expect("You have modified").answer(Answer::Cancel);
         }},
        {"import: file", importFile,
         [](ScriptedDialogs &ui, const std::string &) {
             ui.expect("You have modified").answer(Answer::No).cancel();
         }},
        {"import: replace question", importFile,
         [](ScriptedDialogs &ui, const std::string &qvx) {
             ui.expect("You have modified").answer(Answer::No).file(qvx);
             ui.expect("Do you want to replace your Quivra data").answer(Answer::No);
         }},
        {"add: rule", addFile, [](ScriptedDialogs &ui, const std::string &) { ui.cancel(); }},
        {"add: file", addFile,
         [](ScriptedDialogs &ui, const std::string &) { ui.choose(1).cancel(); }},
        {"split: events", splitFile, [](ScriptedDialogs &ui, const std::string &) { ui.cancel(); }},
        {"remove: file", removeFile, [](ScriptedDialogs &ui, const std::string &) { ui.cancel(); }},
        {"remove: first question", removeFile,
         [](ScriptedDialogs &ui, const std::string &qvx) {
             ui.file(qvx).expect("Do you want to remove them").answer(Answer::No);
         }},
        {"remove: each kind declined", removeFile,
         [](ScriptedDialogs &ui, const std::string &qvx) {
             ui.file(qvx).expect("Do you want to remove them").answer(Answer::Yes);
             ui.expect("resources from your file").answer(Answer::No);
             ui.expect("events from your file").answer(Answer::No);
             ui.expect("0 codes removed").answer(Answer::Ok);
         }},
        {"pre-check: file", preCheck,
         [](ScriptedDialogs &ui, const std::string &) { ui.cancel(); }},
        {"export: file", [](Session &s) { return exportFile(s); },
         [](ScriptedDialogs &ui, const std::string &) { ui.cancel(); }},
        {"close: save question", closeFile,
         [](ScriptedDialogs &ui, const std::string &) {
             ui.expect("You have modified").answer(Answer::Cancel);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        OpenSample o(root);
        const std::string qvx = root / "data/other.qvx";
        writeText(qvx, "[Componentdata]\r\n1=T2;Teacher;1\r\n[Coursedata]\r\n1=E2;Event;1;1\r\n"
                       "2=New;Event;1;1\r\n");
        o.f.data->modified = true;
        const std::string before = dumpScheduleData(*o.f.data);
        c.script(o.f.ui, qvx);

        EXPECT_FALSE(c.command(o.f.session));
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        EXPECT_EQ(dumpScheduleData(*o.f.data), before);
        EXPECT_EQ(o.f.session.currentFile(), o.path);
        EXPECT_FALSE(o.f.session.untitled());
        EXPECT_FALSE(fs::exists(root / "data/conflict.txt"));
    }
}

// A file that cannot be read is named and costs nothing, whichever command reads it.
TEST(TextCommands, AFileThatCannotBeReadLeavesTheOpenDataSetUntouched)
{
    struct Case
    {
        const char *name;
        std::function<bool(Session &)> command;
        std::function<void(ScriptedDialogs &, const std::string &)> script;
    };
    const Case commands[] = {
        {"import", importFile,
         [](ScriptedDialogs &ui, const std::string &path) {
             ui.file(path).expect("Do you want to replace").answer(Answer::Yes);
         }},
        {"add", addFile,
         [](ScriptedDialogs &ui, const std::string &path) { ui.choose(1).file(path); }},
        {"remove", removeFile, [](ScriptedDialogs &ui, const std::string &path) { ui.file(path); }},
        {"pre-check", preCheck,
         [](ScriptedDialogs &ui, const std::string &path) { ui.file(path); }},
    };
    for (const Case &c : commands) {
        for (const char *bad : {"missing.qvx", "folder.qvx"}) {
            SCOPED_TRACE(std::string(c.name) + " " + bad);
            TempFolder root;
            OpenSample o(root);
            fs::create_directories(root / "data/folder.qvx");
            o.f.data->modified = false; // Import does not ask to save
            const std::string before = dumpScheduleData(*o.f.data);
            c.script(o.f.ui, root / (std::string("data/") + bad));
            o.f.ui.expect(bad).answer(Answer::Ok);

            EXPECT_FALSE(c.command(o.f.session));
            EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
            EXPECT_EQ(o.f.ui.shown().back().caption, "Error");
            EXPECT_EQ(dumpScheduleData(*o.f.data), before);
            EXPECT_EQ(o.f.session.currentFile(), o.path);
        }
    }
}

TEST(TextCommands, ExportThenImportGivesTheSameData)
{
    TempFolder root;
    OpenSample o(root);
    const std::string qvx = root / "text/plan.qvx";
    fs::create_directories(root / "text");
    const std::string before = carriedByText(*o.f.data);

    o.f.ui.file(qvx)
        .expect("Quivra file \"plan.qvf\" was converted to text file")
        .answer(Answer::Ok);
    ASSERT_TRUE(exportFile(o.f.session));
    EXPECT_EQ(o.f.ui.shown()[0].initial, "plan.qvx");
    EXPECT_FALSE(o.f.data->modified);
    EXPECT_EQ(o.f.settings.directory.defaultTextDir, root / "text");

    // A new, empty data set; the import then replaces it.
    auto empty = makeScheduleData();
    *o.f.data = std::move(*empty);
    o.f.ui.file(qvx).expect("Do you want to replace your Quivra data").answer(Answer::Yes);
    o.f.ui.expect("was imported").answer(Answer::Ok);
    ASSERT_TRUE(importFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(o.f.ui.shown()[2].text.find("Import and replace"), 0u);
    EXPECT_EQ(carriedByText(*o.f.data), before);
    EXPECT_NE(o.f.ui.shown().back().text.find("2 events, 3 resources"), std::string::npos)
        << o.f.ui.shown().back().text;
    // Not saved anywhere yet, and never over plan.qvf unasked.
    EXPECT_TRUE(o.f.data->modified);
    EXPECT_TRUE(o.f.session.untitled());
    EXPECT_NE(o.f.session.currentFile(), o.path);
}

TEST(TextCommands, ImportReportsTheLinesItSkipped)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string qvx = root / "data/bad.qvx";
    writeText(qvx, "[Componentdata]\r\n1=T1;Teacher;1\r\n[Coursedata]\r\n1=E1;Event;1;1\r\n"
                   "[Collections]\r\n1=E1;T1\r\n2=E1;Nobody\r\n"
                   "[Tablelectures]\r\n1=E1;1;1;1;1;1;1\r\n2=E1;1;1;9;9;1;1\r\n");
    f.ui.file(qvx).expect("Do you want to replace").answer(Answer::Yes);
    f.ui.expect("2 lines skipped").answer(Answer::Ok);
    ASSERT_TRUE(importFile(f.session));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    const std::string &report = f.ui.shown().back().text;
    EXPECT_NE(report.find("1 unknown code"), std::string::npos) << report;
    EXPECT_NE(report.find("1 number out of range"), std::string::npos) << report;
    EXPECT_NE(findCode(*f.data, "E1"), 0);
}

TEST(TextCommands, ExportNeverWritesOverTheOpenDataFile)
{
    TempFolder root;
    OpenSample o(root);
    const std::vector<std::uint8_t> onDisk = fileBytes(o.path);
    o.f.ui.file(o.path).expect("cannot be written over the data file").answer(Answer::Ok);
    EXPECT_FALSE(exportFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(fileBytes(o.path), onDisk);
}

TEST(TextCommands, SplitWritesOnlyThePickedEvents)
{
    TempFolder root;
    OpenSample o(root);
    const std::string qvx = root / "data/part.qvx";
    o.f.ui.expect("Select the events for the new file").pick({o.id("E2")});
    o.f.ui.file(qvx).expect("was converted").answer(Answer::Ok);
    ASSERT_TRUE(splitFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    const std::string text = fileText(qvx);
    EXPECT_NE(text.find("=E2;"), std::string::npos) << text;
    EXPECT_EQ(text.find("=E1;"), std::string::npos) << text;
    EXPECT_NE(text.find("=T1;"), std::string::npos); // every resource goes with it
}

TEST(TextCommands, AddFollowsTheRuleChosen)
{
    // Known uses a resource of the data set; Stranger only one the file brings.
    const std::string file = "[Componentdata]\r\n1=X9;Unknown;1\r\n"
                             "[Coursedata]\r\n1=Known;k;1;2\r\n2=Stranger;s;1;2\r\n"
                             "[Collections]\r\n1=Known;T1\r\n2=Stranger;X9\r\n"
                             "[Weeklectures]\r\n1=Known;1;1;2\r\n2=Stranger;1;1;2\r\n";
    struct Case
    {
        int rule;
        bool known, stranger, x9;
    };
    const Case cases[] = {
        {1, true, true, true},
        {2, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rule);
        TempFolder root;
        OpenSample o(root);
        const std::string qvx = root / "data/add.qvx";
        writeText(qvx, file);
        o.f.ui.expect("Select the rule for the Quivra file (.qvx) you are about to add");
        o.f.ui.choose(c.rule).file(qvx).expect("was added").answer(Answer::Ok);
        ASSERT_TRUE(addFile(o.f.session));
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        const ShownDialog &rules = o.f.ui.shown()[0];
        ASSERT_EQ(rules.options.size(), 4u);
        EXPECT_EQ(rules.options[1].text, "2 Only relevant events");
        EXPECT_EQ(o.id("Known") != 0, c.known);
        EXPECT_EQ(o.id("Stranger") != 0, c.stranger);
        EXPECT_EQ(o.id("X9") != 0, c.x9);
        EXPECT_NE(o.id("E1"), 0); // what was there stays
        EXPECT_TRUE(o.f.data->modified);
        EXPECT_EQ(o.f.session.currentFile(), o.path);
    }
}

TEST(TextCommands, AddRemovesAndReportsTheConflictsItBrings)
{
    TempFolder root;
    OpenSample o(root);
    // E1 holds T1 in week 1, day 1, bells 1-2; B is put on bell 2 with T1 too.
    const std::string qvx = root / "data/add.qvx";
    writeText(qvx, "[Coursedata]\r\n1=B;b;1;1\r\n[Collections]\r\n1=B;T1\r\n"
                   "[Weeklectures]\r\n1=B;1;1;1\r\n[Tablelectures]\r\n1=B;1;1;1;1;2;2\r\n");
    o.f.ui.choose(1).file(qvx).expect("1 conflicting cells found, 1 removed").answer(Answer::Ok);
    ASSERT_TRUE(addFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(o.f.data->codes[o.id("E1")].scheduled, 2);
    EXPECT_EQ(o.f.data->codes[o.id("B")].scheduled, 0);
}

TEST(TextCommands, RemoveAsksForEachKind)
{
    const std::string file = "[Componentdata]\r\n1=T2;Teacher;1\r\n2=X;Nobody;1\r\n"
                             "[Coursedata]\r\n1=E2;Event;1;1\r\n";
    struct Case
    {
        int resources, events; // the answers to the two questions
        bool t2Kept, e2Kept;
        const char *result;
    };
    const Case cases[] = {
        {Answer::Yes, Answer::No, false, true, "1 codes removed"},
        {Answer::No, Answer::Yes, true, false, "1 codes removed"},
        {Answer::Yes, Answer::Yes, false, false, "2 codes removed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.result);
        TempFolder root;
        OpenSample o(root);
        const std::string qvx = root / "data/remove.qvx";
        writeText(qvx, file);
        o.f.ui.file(qvx)
            .expect("The selected file (remove.qvx) contains\r\n- 1 (out of 2) matching "
                    "resources and\r\n- 1 (out of 1) matching events.\r\nDo you want to remove")
            .answer(Answer::Yes);
        o.f.ui.expect("Remove 1 (out of 2) resources from your file?").answer(c.resources);
        o.f.ui.expect("Remove 1 (out of 1) events from your file?").answer(c.events);
        o.f.ui.expect(c.result).answer(Answer::Ok);
        EXPECT_TRUE(removeFile(o.f.session));
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        EXPECT_EQ(o.id("T2") != 0, c.t2Kept);
        EXPECT_EQ(o.id("E2") != 0, c.e2Kept);
        EXPECT_NE(o.id("E1"), 0);
        EXPECT_TRUE(o.f.data->modified);
    }
}

TEST(TextCommands, RemoveWithoutMatchesSaysSo)
{
    TempFolder root;
    OpenSample o(root);
    const std::string qvx = root / "data/remove.qvx";
    writeText(qvx, "[Componentdata]\r\n1=X;Nobody;1\r\n");
    const std::string before = dumpScheduleData(*o.f.data);
    o.f.ui.file(qvx)
        .expect("The selected file (remove.qvx) contains no matching resources or events.")
        .answer(Answer::Ok);
    EXPECT_FALSE(removeFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(dumpScheduleData(*o.f.data), before);
}

TEST(TextCommands, PreCheckWritesTheReportAndOffersIt)
{
    struct Case
    {
        const char *name;
        const char *lecture; // a lecture of E2, which the file gives T1 as well
        int conflicts;
    };
    const Case cases[] = {
        {"on E1's cell", "1=E2;1;1;1;1;2;2", 1},
        {"on a free cell", "1=E2;1;1;4;4;5;5", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        OpenSample o(root);
        const std::string qvx = root / "data/check.qvx";
        writeText(qvx, std::string("[Collections]\r\n1=E2;T1\r\n[Tablelectures]\r\n") + c.lecture +
                           "\r\n");
        fs::create_directories(root / "data");
        const std::string before = dumpScheduleData(*o.f.data);
        o.f.ui.file(qvx);
        if (c.conflicts > 0) {
            o.f.ui.expect(std::to_string(c.conflicts) + " conflict(s) stored in file")
                .answer(Answer::Yes);
            o.f.ui.expect("List of " + std::to_string(c.conflicts) + " conflict(s):")
                .answer(Answer::Ok);
        } else {
            o.f.ui.expect("No conflicts encountered.").answer(Answer::Ok);
        }
        EXPECT_TRUE(preCheck(o.f.session));
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        EXPECT_EQ(dumpScheduleData(*o.f.data), before);
        const std::string report = fileText(root / "data/conflict.txt");
        EXPECT_EQ(std::ranges::count(report, '\n'), c.conflicts) << report;
        if (c.conflicts > 0) {
            std::string first = report.substr(0, report.find('\r'));
            EXPECT_NE(first.find('\t'), std::string::npos);
            std::ranges::replace(first, '\t', ' ');
            EXPECT_NE(o.f.ui.shown().back().text.find(first), std::string::npos);
        }
    }
}

TEST(TextCommands, CloseAsksToSaveThenLeavesNothingOpen)
{
    TempFolder root;
    OpenSample o(root);
    int closed = 0;
    o.f.session.hooks.fileClosed = [&closed] { ++closed; };
    o.f.data->modified = true;
    o.f.ui.expect("You have modified").answer(Answer::No);
    EXPECT_TRUE(closeFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(o.f.session.currentFile().empty());
    EXPECT_EQ(o.f.data->codeCount, 0);
    EXPECT_FALSE(o.f.data->modified);
    // Nothing holds the file any more.
    EXPECT_FALSE(o.f.session.inUseByOthers(o.path));
}

} // namespace
} // namespace quivra
