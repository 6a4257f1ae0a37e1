// Memos of the current code: what the panel shows, entering (cleaned and cut to what is kept),
// reading back, and removing.

#include "commands/memocommands.h"

#include "engine/notes.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <string>

using namespace quivra;

namespace {

class MemoCommandsTest : public ::testing::Test
{
protected:
    MemoCommandsTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        f.calendar(1, 5, 4).resources('T', {"T1", "LONGESTCODE1234"});
        f.event("MATH", {"T1"});
        f.memo("T1", "part time");
        f.finish();
        d->codes[f.id("MATH")].name.assign("Mathematics");
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(MemoCommandsTest, PanelShowsTheMemoOrAnInvitation)
{
    const MemoPanelText t1 = memoPanel(*d, f.id("T1"));
    EXPECT_EQ(t1.code, "T1");
    EXPECT_EQ(t1.memo, "part time");
    EXPECT_TRUE(t1.hasMemo);
    EXPECT_EQ(t1.count, "1 memo(s)");
    const MemoPanelText math = memoPanel(*d, f.id("MATH"));
    EXPECT_EQ(math.name, "Mathematics");
    EXPECT_EQ(math.memo, "[Click here to enter your memo]");
    EXPECT_FALSE(math.hasMemo);
    EXPECT_EQ(memoPanel(*d, 0).code, "");
}

TEST_F(MemoCommandsTest, EnteredMemoIsCleanedReadBackAndRemoved)
{
    const CodeId math = f.id("MATH");
    struct Case
    {
        const char *typed;
        const char *stored;
    };
    const Case cases[] = {
        {"Room change\r\nfrom week 3", "Room change from week 3"},
        {"  tabs\tand\x07 bells\x1b  ", "tabs and bells"},
        {"two  spaces   and\n\nblank lines", "two spaces and blank lines"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        d->modified = false;
        EXPECT_TRUE(storeMemo(*d, math, c.typed));
        EXPECT_EQ(memoText(*d, "MATH"), c.stored);
        EXPECT_TRUE(d->modified);
    }
    EXPECT_FALSE(storeMemo(*d, math, "two spaces and blank lines")) << "the same text is no change";
    EXPECT_EQ(memoPanel(*d, math).count, "2 memo(s)");

    // Through the input box: the current memo is offered; Cancel keeps it.
    ui.expect("Memo of \"MATH\":").cancel();
    EXPECT_FALSE(enterMemo(*d, p, math));
    ui.type("new\x01 text");
    EXPECT_TRUE(enterMemo(*d, p, math));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(ui.shown()[0].initial, "two spaces and blank lines");
    EXPECT_EQ(memoText(*d, "MATH"), "new text");

    // Removing asks; No keeps it. An empty memo removes it too.
    ui.expect("you want to remove the memo of \"MATH\"").answer(Answer::No);
    EXPECT_FALSE(removeMemoOf(*d, p, math));
    ui.expect("you want to remove the memo of \"MATH\"").answer(Answer::Yes);
    EXPECT_TRUE(removeMemoOf(*d, p, math));
    EXPECT_FALSE(removeMemoOf(*d, p, math)) << "nothing left to remove, nothing asked";
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(findMemo(*d, "MATH"), -1);
    EXPECT_TRUE(storeMemo(*d, f.id("T1"), " \r\n "));
    EXPECT_TRUE(d->memos.empty());
}

TEST_F(MemoCommandsTest, MemoIsCutToWhatTheFileKeeps)
{
    // The data file keeps 255 bytes of "code;text"; the panel shows 240 characters.
    const std::string typed(300, 'x');
    EXPECT_EQ(memoLimit(*d, f.id("T1")), 240u);
    EXPECT_EQ(memoLimit(*d, f.id("LONGESTCODE1234")), 239u);
    ASSERT_TRUE(storeMemo(*d, f.id("LONGESTCODE1234"), typed));
    EXPECT_EQ(memoText(*d, "LONGESTCODE1234"), std::string(239, 'x'));
    for (const std::string &entry : d->memos)
        EXPECT_LE(entry.size(), 255u);
}

} // namespace
