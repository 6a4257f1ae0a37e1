#include "engine/notes.h"

#include "engine/textutil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quivra {
namespace {

using Lines = std::vector<std::string>;

class NotesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        d = makeScheduleData();
        addResource("A", 2);
        addResource("B", 1);
        addResource("BA", 1);
    }

    void addResource(const char *code, int category)
    {
        const int c = ++d->codeCount;
        d->codes[c].code.assign(code);
        d->codes[c].flags = static_cast<std::uint16_t>(1 << (CategoryShift + category - 1));
    }

    std::unique_ptr<ScheduleData> d;
};

TEST_F(NotesTest, FindCommentMatchesKeysAndCodeFields)
{
    const std::int32_t jan8 = dateSerial(2024, 1, 8);
    struct Case
    {
        const char *name;
        Lines comments;
        int week, bell, day;
        const char *code;
        std::int32_t date;
        int index;
        bool general;
        const char *text;
    };
    const Case cases[] = {
        {"bell 5 everywhere", {"[000005];A;five"}, 7, 5, 2, "A", 0, 0, true, "five"},
        {"bell 5, any slot asked", {"[000005];A;five"}, 0, 0, 0, "A", 0, 0, true, "five"},
        {"bell 5, not bell 4", {"[000005];A;five"}, 7, 4, 2, "A", 0, -1, false, ""},
        {"specific slot", {"[012305];A;x"}, 12, 5, 3, "A", 0, 0, false, "x"},
        {"other day", {"[012305];A;x"}, 12, 5, 4, "A", 0, -1, false, ""},
        {"category wildcard", {"[000000];2*;two"}, 4, 1, 1, "A", 0, 0, true, "two"},
        {"other category", {"[000000];2?;two"}, 4, 1, 1, "B", 0, -1, false, ""},
        {"all codes", {"[004101];?;all"}, 4, 1, 1, "B", 0, 0, true, "all"},
        {"code inside text", {"[004101];BA;see ;A; too"}, 4, 1, 1, "A", 0, -1, false, ""},
        {"code field exact",
         {"[004101];BA;see ;A; too"},
         4,
         1,
         1,
         "BA",
         0,
         0,
         false,
         "see ;A; too"},
        {"no code field", {"[004101];;free"}, 4, 1, 1, "A", 0, -1, false, ""},
        {"look-up without code", {"[004101];B;b"}, 4, 1, 1, "", 0, 0, false, "b"},
        {"wildcard seen without code", {"[004101];*;all"}, 4, 1, 1, "", 0, 0, true, "all"},
        {"category wildcard seen without code",
         {"[004101];2?;two"},
         4,
         1,
         1,
         "",
         0,
         0,
         true,
         "two"},
        {"dated", {"(240108);A;d"}, 3, 2, 1, "A", jan8, 0, false, "d"},
        {"dated, other day", {"(240108);A;d"}, 3, 2, 1, "A", jan8 + 1, -1, false, ""},
        {"dated, no date", {"(240108);A;d"}, 3, 2, 1, "A", 0, -1, false, ""},
        {"last match wins", {"[004101];A;one", "[004101];A;two"}, 4, 1, 1, "A", 0, 1, false, "two"},
        {"week 0 stops at first",
         {"[004101];A;one", "[005101];A;two"},
         0,
         1,
         1,
         "A",
         0,
         0,
         false,
         "one"},
        {"text with semicolons", {"[004101];A;a;b;c"}, 4, 1, 1, "A", 0, 0, false, "a;b;c"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        d->comments = c.comments;
        const CommentMatch m = findComment(*d, c.week, c.code, c.day, c.bell, c.date);
        EXPECT_EQ(m.index, c.index);
        EXPECT_EQ(m.general, c.general);
        EXPECT_EQ(m.text, c.text);
    }

    d->comments = {"[004101];A;one", "[000000];*;all", "[004102];A;other"};
    std::vector<int> all;
    findComment(*d, 4, "A", 1, 1, 0, &all);
    EXPECT_EQ(all, (std::vector<int>{0, 1}));
}

TEST_F(NotesTest, AddCommentReplacesOnlyItsOwnSpecificComment)
{
    // Only a wildcard matches: the new comment goes in front of it.
    d->comments = {"[000000];2*;two"};
    ASSERT_TRUE(addComment(*d, 12, "new", "A", 3, 5));
    EXPECT_EQ(d->comments, (Lines{"[012305];A;new", "[000000];2*;two"}));

    // Its own comment is replaced in place, although the wildcard is the last match.
    ASSERT_TRUE(addComment(*d, 12, "newer", "A", 3, 5));
    EXPECT_EQ(d->comments, (Lines{"[012305];A;newer", "[000000];2*;two"}));

    // A comment without a code does not overwrite the one of code A, and a comment for every
    // week does not take over the slot of week 12.
    ASSERT_TRUE(addComment(*d, 12, "free", "", 3, 5));
    ASSERT_TRUE(addComment(*d, 0, "weekly", "A", 3, 5));
    EXPECT_EQ(d->comments, (Lines{"[000305];A;weekly", "[012305];;free", "[012305];A;newer",
                                  "[000000];2*;two"}));

    // Keys that cannot be written, and codes that would break the fields, are refused.
    const Lines before = d->comments;
    EXPECT_FALSE(addComment(*d, 256, "x", "A", 1, 1));
    EXPECT_FALSE(addComment(*d, 1, "x", "A", 1, 31));
    EXPECT_FALSE(addComment(*d, 1, "x", "A", 8, 1));
    EXPECT_FALSE(addComment(*d, 1, "x", "A;B", 1, 1));
    EXPECT_EQ(d->comments, before);
}

TEST_F(NotesTest, EraseCommentsKeepsGeneralAndOtherCodes)
{
    d->comments = {"[004102];A;x", "[004103];A;y", "[000002];A;general", "[004102];B;other",
                   "[004104];A;outside"};
    EXPECT_EQ(eraseComments(*d, 4, "A", 1, 1, 2, 3), 2);
    EXPECT_EQ(d->comments, (Lines{"[000002];A;general", "[004102];B;other", "[004104];A;outside"}));
    EXPECT_EQ(eraseComments(*d, 4, "A", 0, 1000000, 0, 1000000), 1); // ranges are bounded

    // Erasing without a code takes every code's own comments but leaves wildcard comments.
    d->comments = {"[004102];*;all", "[004102];B;b", "[004102];1*;cat"};
    EXPECT_EQ(eraseComments(*d, 4, "", 1, 1, 2, 2), 1);
    EXPECT_EQ(d->comments, (Lines{"[004102];*;all", "[004102];1*;cat"}));
}

TEST_F(NotesTest, TidyTouchesKeysOnly)
{
    d->comments = {"[004102] ;A;see ] here", " [004102];A; [a] b", "(240108);A;x ] y"};
    tidyComments(*d);
    EXPECT_EQ(d->comments,
              (Lines{"[004102];A;see ] here", "[004102];A; [a] b", "(240108);A;x ] y"}));
    EXPECT_EQ(findComment(*d, 4, "A", 1, 2).text, " [a] b");
}

TEST_F(NotesTest, ShiftCommentWeeks)
{
    const Lines comments = {"[003102];A;w3",  "[004102];A;w4",    "[005102];A;w5",
                            "[000102];A;any", "(240108);A;dated", "[255102];A;w255"};
    d->comments = comments;
    shiftCommentWeeks(*d, 4, 1);
    EXPECT_EQ(d->comments, (Lines{"[003102];A;w3", "[005102];A;w4", "[006102];A;w5",
                                  "[000102];A;any", "(240108);A;dated"}));

    d->comments = comments;
    shiftCommentWeeks(*d, 4, -1);
    EXPECT_EQ(d->comments, (Lines{"[003102];A;w3", "[004102];A;w5", "[000102];A;any",
                                  "(240108);A;dated", "[254102];A;w255"}));

    d->comments = comments;
    shiftCommentWeeks(*d, 3, -2); // weeks 3 and 4 go
    EXPECT_EQ(d->comments,
              (Lines{"[003102];A;w5", "[000102];A;any", "(240108);A;dated", "[253102];A;w255"}));
}

TEST_F(NotesTest, MemosMatchTheirCodeExactly)
{
    d->memos = {"BA;memo of BA", "X;text with ;A; inside", "A;the memo of A"};
    EXPECT_EQ(findMemo(*d, "A"), 2);
    EXPECT_EQ(memoText(*d, "A"), "the memo of A");
    EXPECT_EQ(findMemo(*d, "B"), -1);
    EXPECT_EQ(findMemo(*d, ""), -1);
    EXPECT_EQ(memoText(*d, "Q"), "");

    ASSERT_TRUE(setMemo(*d, "A", {"  one ", "two  three", ""}));
    EXPECT_EQ(d->memos[2], "A;one two three");
    ASSERT_TRUE(setMemo(*d, "N", {std::string(300, 'x')}));
    EXPECT_EQ(d->memos.size(), 4u);
    EXPECT_EQ(memoText(*d, "N"), std::string(240, 'x'));
    EXPECT_FALSE(setMemo(*d, "", {"x"}));
    EXPECT_FALSE(setMemo(*d, "P;Q", {"x"}));
    EXPECT_EQ(d->memos.size(), 4u);
}

TEST_F(NotesTest, MemoChangesMarkTheDataSetModified)
{
    d->memos = {"A;old", "B;other"};
    d->modified = false;
    ASSERT_TRUE(setMemo(*d, "A", {"old"}));
    EXPECT_FALSE(d->modified) << "storing the same text is no change";
    ASSERT_TRUE(setMemo(*d, "A", {"new"}));
    EXPECT_TRUE(d->modified);

    d->modified = false;
    EXPECT_FALSE(removeMemo(*d, "BA"));
    EXPECT_FALSE(d->modified);
    EXPECT_TRUE(removeMemo(*d, "A"));
    EXPECT_TRUE(d->modified);
    EXPECT_EQ(d->memos, (Lines{"B;other"}));
}

TEST_F(NotesTest, RenameInNotesRewritesCodeFieldsOnly)
{
    d->comments = {"[001102];A;a", "[001102];BA;mentions ;A;", "[000000];*;all", "[001103];A"};
    d->memos = {"A;m", "X;about ;A;"};

    renameInNotes(*d, "A", "Z");
    EXPECT_EQ(d->comments,
              (Lines{"[001102];Z;a", "[001102];BA;mentions ;A;", "[000000];*;all", "[001103];Z"}));
    EXPECT_EQ(d->memos, (Lines{"Z;m", "X;about ;A;"}));

    renameInNotes(*d, "Z", "");
    EXPECT_EQ(d->comments, (Lines{"[001102];BA;mentions ;A;", "[000000];*;all"}));
    EXPECT_EQ(d->memos, (Lines{"X;about ;A;"}));
}

TEST_F(NotesTest, MoveSlotCommentsTakesOnlySingleSlotsThatMove)
{
    d->comments = {"[002101];A;moves",      "[002102];A;stays", "[002000];A;whole week",
                   "[002101];B;other code", "(250901);A;dated", "[002101];A"};
    const auto moves = [](int week, int day, int bell) {
        return week == 2 && day == 1 && bell == 1;
    };
    EXPECT_EQ(moveSlotComments(*d, "A", "Z", moves), 2);
    EXPECT_EQ(d->comments, (Lines{"[002101];Z;moves", "[002102];A;stays", "[002000];A;whole week",
                                  "[002101];B;other code", "(250901);A;dated", "[002101];Z"}));
    EXPECT_TRUE(d->modified);
    d->modified = false;
    EXPECT_EQ(moveSlotComments(*d, "A", "a;b", moves), 0) << "a code with the separator";
    EXPECT_EQ(moveSlotComments(*d, "A", "", moves), 0);
    EXPECT_FALSE(d->modified);
}

} // namespace
} // namespace quivra
