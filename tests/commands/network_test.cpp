#include "commands/network.h"

#include "commands/filecommands.h"
#include "commands/sessionfixture.h"
#include "files/filelock.h"
#include "files/networkfolder.h"
#include "files/textexchange.h"

#include <gtest/gtest.h>

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

// A planner's copy: one event on T1 in week 1, day 3, bell 1.
void writeCopy(const std::string &path, std::string_view event)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 6).resources('T', {"T1"});
    f.event(event, {"T1"}, 1).allocate(event, 1, 1, 1).place(event, 1, 3, 1, 1);
    f.finish();
    ASSERT_TRUE(exportTextFile(*d, path).has_value());
}

std::vector<std::string> optionTexts(const ShownDialog &list)
{
    std::vector<std::string> texts;
    for (const OptionItem &o : list.options)
        texts.push_back(o.text.substr(0, o.text.find(' ')));
    return texts;
}

struct NetworkFolder : ::testing::Test
{
    TempFolder root;
    SessionFixture f{root};
    std::string net = root / "net";

    void SetUp() override
    {
        fs::create_directories(net);
        f.settings.directory.network = net;
        const std::string plan = root / "data/plan.qvf";
        writeSample(plan);
        ASSERT_TRUE(openWindows(f.session, plan));
    }
    // Every "Files to be added" list shown so far.
    std::vector<ShownDialog> lists() const
    {
        std::vector<ShownDialog> out;
        for (const ShownDialog &d : f.ui.shown()) {
            if (d.shape == DialogShape::OrderedOptions)
                out.push_back(d);
        }
        return out;
    }
};

TEST_F(NetworkFolder, TheOwnCopyIsNeverOffered)
{
    writeCopy(net + "/plan.qvx", "P1");
    f.ui.choose(1).expect("No \"*.qvx\" files stored in").answer(Answer::Ok);
    EXPECT_EQ(readFromNetwork(f.session).added, 0);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

TEST_F(NetworkFolder, TheOrderLeftAtOkIsKeptEvenWhenAddingIsDeclined)
{
    for (const char *name : {"a", "b", "c"})
        writeCopy(net + "/" + name + ".qvx", name);
    f.ui.choose(1).arrange({3, 1, 2}, {}).expect("Add selected file(s) from").answer(Answer::No);
    EXPECT_EQ(readFromNetwork(f.session).added, 0);
    EXPECT_EQ(networkOrder(f.settings), (std::vector<std::string>{"c.qvx", "a.qvx", "b.qvx"}));

    f.ui.choose(1).cancel();
    readFromNetwork(f.session);
    ASSERT_EQ(lists().size(), 2u);
    const ShownDialog second = lists()[1];
    EXPECT_EQ(optionTexts(second), (std::vector<std::string>{"c.qvx", "a.qvx", "b.qvx"}));
    EXPECT_EQ(second.checked, (std::vector<int>{1, 2, 3})); // dated files come preselected
    EXPECT_EQ(second.caption, "Files to be added");
    EXPECT_TRUE(second.multiple);
    EXPECT_EQ(f.data->codeCount, 5);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

TEST_F(NetworkFolder, ADeletedFileDropsOutOfTheOrder)
{
    writeCopy(net + "/a.qvx", "A");
    writeCopy(net + "/b.qvx", "B");
    setNetworkOrder(f.settings, {"gone.qvx", "b.qvx"});
    f.ui.choose(1).arrange({1, 2}, {}).answer(Answer::No);
    readFromNetwork(f.session);
    EXPECT_EQ(optionTexts(lists().at(0)), (std::vector<std::string>{"b.qvx", "a.qvx"}));
    EXPECT_EQ(networkOrder(f.settings), (std::vector<std::string>{"b.qvx", "a.qvx"}));
}

TEST_F(NetworkFolder, ChosenFilesAreAddedInTheListOrderAndOnesInUseNamed)
{
    writeCopy(net + "/x.qvx", "X");
    writeCopy(net + "/y.qvx", "Y");
    writeCopy(net + "/z.qvx", "Z");
    FileLock other; // another planner has z.qvx open
    ASSERT_TRUE(other.acquire(net + "/z.qvx"));
    f.ui.choose(1)
        .arrange({2, 1, 3}, {1, 2, 3})
        .expect("Add selected")
        .answer(Answer::Yes)
        .expect("Compacted")
        .answer(Answer::Ok)
        .expect("Added 2 file(s)")
        .answer(Answer::Ok);
    const NetworkReadReport report = readFromNetwork(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(report.added, 2);
    EXPECT_EQ(report.skipped, (std::vector<std::string>{"z.qvx"}));
    // The closing report names what stayed out, as a warning.
    const ShownDialog &closing = f.ui.shown().back();
    EXPECT_EQ(closing.caption, "Warning");
    EXPECT_NE(closing.text.find("not added (gone, in use or unreadable):\r\nz.qvx"),
              std::string::npos)
        << closing.text;
    const CodeId x = codeNamed(*f.data, "X"), y = codeNamed(*f.data, "Y");
    ASSERT_TRUE(x && y);
    EXPECT_LT(y, x); // y was added first
    // Both wanted the same cell of T1: the copy added first keeps it, and the one sweep after
    // the last file removed the other's.
    EXPECT_EQ(f.data->codes[y].scheduled, 1);
    EXPECT_EQ(f.data->codes[x].scheduled, 0);
    EXPECT_EQ(report.conflicts.removed, 1);
    EXPECT_EQ(networkOrder(f.settings), (std::vector<std::string>{"y.qvx", "x.qvx", "z.qvx"}));
}

TEST_F(NetworkFolder, ConflictsAreSweptOnceAfterTheLastFile)
{
    // Three copies that all want T1's cell: the sweep after all of them sees every clash at
    // once, where a sweep per file would have removed them one file at a time.
    for (const char *name : {"a", "b", "c"})
        writeCopy(net + "/" + name + ".qvx", std::string(1, name[0] - 'a' + 'A'));
    f.ui.choose(1)
        .arrange({1, 2, 3}, {1, 2, 3})
        .answer(Answer::Yes)
        .expect("Compacted")
        .answer(Answer::Ok)
        .expect("Added 3 file(s)")
        .answer(Answer::Ok);
    const NetworkReadReport report = readFromNetwork(f.session);
    EXPECT_EQ(report.added, 3);
    EXPECT_NE(f.ui.shown().back().text.find("2 of 2 conflicting period(s) were removed"),
              std::string::npos)
        << f.ui.shown().back().text;
    EXPECT_EQ(report.conflicts.removed, 2);
    EXPECT_EQ(report.conflicts.found, 2);
    EXPECT_EQ(f.data->codes[codeNamed(*f.data, "A")].scheduled, 1);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

TEST_F(NetworkFolder, EveryFileIsOfferedHoweverMany)
{
    // More copies than a plain check-box choice holds (31): every one is listed and can be
    // chosen, the last included.
    for (int k = 1; k <= 40; ++k)
        writeCopy(net + "/p" + std::to_string(k) + ".qvx", "P" + std::to_string(k));
    f.ui.choose(1).choose({40}).answer(Answer::Yes).answer(Answer::Ok).answer(Answer::Ok);
    EXPECT_EQ(readFromNetwork(f.session).added, 1);
    ASSERT_EQ(lists().size(), 1u);
    ASSERT_EQ(lists()[0].options.size(), 40u);
    const std::string last = optionTexts(lists()[0]).back(); // "pN.qvx", holding event PN
    EXPECT_NE(codeNamed(*f.data, "P" + last.substr(1, last.find('.') - 1)), 0) << last;
    EXPECT_EQ(networkOrder(f.settings).size(), 40u);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

TEST_F(NetworkFolder, WriteStoresTheOwnCopy)
{
    f.ui.expect("was stored as").answer(Answer::Ok);
    EXPECT_TRUE(writeToNetwork(f.session));
    auto back = makeScheduleData();
    ASSERT_TRUE(importTextFile(net + "/plan.qvx", *back).has_value());
    EXPECT_EQ(back->codeCount, 5);

    // Without the folder the command asks for one instead, and can make it.
    const std::string other = root / "shared/planners";
    f.settings.directory.network = root / "missing";
    f.ui.type(other).expect("is not valid").answer(Answer::Yes);
    EXPECT_FALSE(writeToNetwork(f.session));
    EXPECT_TRUE(fs::is_directory(other));
    EXPECT_EQ(f.settings.directory.network, other);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

} // namespace
} // namespace quivra
