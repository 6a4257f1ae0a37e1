// The replace tool: replacing a text and changing the case of codes and names. Codes stay
// unique, keep their comments and memos, and never become blank; case follows the code page.

#include "commands/replacetool.h"

#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/notes.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

using namespace quivra;

namespace {

class ReplaceToolTest : public ::testing::Test
{
protected:
    ReplaceToolTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        f.calendar(1, 5, 6).resources('T', {"A1", "B1", "X", "abc", "ABC"});
        f.event("MATH-A", {"A1"}).event("ENG-A", {"B1"});
        f.comment("[001101];A1;first lesson").memo("A1", "part time");
        f.finish();
        d->codes[f.id("MATH-A")].name.assign("Mathematics A");
        d->codes[f.id("ENG-A")].name.assign("English");
        d->codes[f.id("A1")].name.assign("Anna");
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(ReplaceToolTest, CodesStayUniqueAndKeepTheirNotes)
{
    struct Case
    {
        const char *code, *text, *replacement;
        bool renamed;
    };
    const Case cases[] = {
        {"A1", "A1", "B1", false},             // B1 exists
        {"A1", "A1", "C1", true},              // comments and memo follow
        {"X", "X", " ", false},                // a blank code would be dropped at the next save
        {"X", "X", "", false},                 // an empty code
        {"X", "X", "a;b", false},              // ";" separates the fields of notes
        {"X", "X", "0123456789ABCDEFG", true}, // cut to 15 characters
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.text + "->" + c.replacement);
        auto copy = makeScheduleData();
        *copy = *d;
        const CodeId id = findCode(*copy, c.code);
        EXPECT_EQ(replaceInLocation(*copy, ResourceCodes, c.text, c.replacement),
                  c.renamed ? 1 : 0);
        EXPECT_EQ(copy->codes[id].code.str() != c.code, c.renamed);
        EXPECT_EQ(copy->modified, c.renamed);
    }
    replaceInLocation(*d, ResourceCodes, "A1", "C1");
    EXPECT_EQ(findComment(*d, 1, "C1", 1, 1).text, "first lesson");
    EXPECT_EQ(memoText(*d, "C1"), "part time");
    EXPECT_EQ(findCode(*d, "X0123456789ABCD"), 0);
}

TEST_F(ReplaceToolTest, NamesCountWhereTheTextIsAndAreCut)
{
    EXPECT_EQ(countLocations(*d, "A"), (std::array<int, 5>{7, 2, 2, 2, 1}));
    std::string longName(190, 'n');
    longName += "ab";
    setCodeName(*d, f.id("ENG-A"), longName);
    EXPECT_EQ(replaceInLocation(*d, EventNames, "ab", "abcdefghijklmnopq"), 1);
    EXPECT_EQ(d->codes[f.id("ENG-A")].name.view().size(), static_cast<std::size_t>(NameLength));
}

TEST_F(ReplaceToolTest, CaseChangeMapsAccentedLettersOfTheCodePage)
{
    const CaseTable &t = caseTable("WINDOWS-1252");
    struct Case
    {
        const char *text;
        LetterCase kind;
        const char *expected;
    };
    const Case cases[] = {
        {"\xE9t\xE9 \xFF", LetterCase::Upper, "\xC9T\xC9 \x9F"}, // é, ÿ
        {"STRA\xDF"
         "E \xC9T\xC9",
         LetterCase::Lower,
         "stra\xDF"
         "e \xE9t\xE9"}, // ß stays
        {"\xE9"
         "COLE normale",
         LetterCase::Sentence,
         "\xC9"
         "cole normale"},
        {"\x9Aip \xE5land", LetterCase::Capitalised, "\x8Aip \xC5land"}, // š, å
    };
    for (const Case &c : cases)
        EXPECT_EQ(changeLetterCase(c.text, c.kind, t), c.expected) << c.text;
    // Cyrillic in its own code page.
    EXPECT_EQ(changeLetterCase("\xE0\xE1", LetterCase::Upper, caseTable("WINDOWS-1251")),
              "\xC0\xC1");

    // Upper case codes: "abc" stays, "ABC" being there; the unchanged codes are not counted.
    EXPECT_EQ(changeCaseInLocation(*d, ResourceCodes, LetterCase::Upper, t), 0);
    EXPECT_EQ(changeCaseInLocation(*d, ResourceCodes, LetterCase::Lower, t), 3);
    EXPECT_NE(findCode(*d, "a1"), 0);
    EXPECT_NE(findCode(*d, "ABC"), 0) << "abc was taken";
    EXPECT_EQ(memoText(*d, "a1"), "part time");
}

TEST_F(ReplaceToolTest, ReplaceStringDialogue)
{
    ReplaceTool tool;
    const std::string before = dumpScheduleData(*d);
    // Not found; then found but the locations cancelled; then the new text cancelled and
    // declined (each going back to the first question), and finally the first question
    // cancelled. Nothing changed.
    ui.expect("String to be replaced in codes and/or names:").type("zzz");
    ui.expect("\"zzz\" was not found in any resource or event names.").answer(Answer::Ok);
    EXPECT_FALSE(tool.replaceString(*d, p));
    ui.type("-A");
    ui.expect("String \"-A\" was found in 2 locations.").cancel();
    EXPECT_FALSE(tool.replaceString(*d, p));
    EXPECT_EQ(ui.shown().back().checked, (std::vector<int>{3})) << "only event codes hold it";
    ui.expect("String to be replaced").type("-A");
    ui.choose({3});
    ui.expect("The string to replace \"-A\":").cancel();
    ui.expect("String to be replaced").type("-A");
    ui.choose({3});
    ui.type("-B");
    ui.expect("to replace the string \"-A\" with \"-B\" in 2 locations").answer(Answer::No);
    ui.expect("String to be replaced").cancel();
    EXPECT_FALSE(tool.replaceString(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_EQ(tool.remembered(), "-A");

    ui.expect("String to be replaced").type("-A");
    ui.choose({3});
    ui.type("-B");
    ui.answer(Answer::Yes);
    ui.expect("\"-A\" was replaced with \"-B\" in 2 locations.").answer(Answer::Ok);
    ui.cancel();
    EXPECT_TRUE(tool.replaceString(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_NE(findCode(*d, "MATH-B"), 0);
    EXPECT_NE(findCode(*d, "ENG-B"), 0);
}

TEST_F(ReplaceToolTest, ChangeCaseDialogue)
{
    ReplaceTool tool;
    const std::string before = dumpScheduleData(*d);
    ui.expect("Check the locations for the case change:").cancel();
    EXPECT_FALSE(tool.changeCase(*d, p));
    EXPECT_EQ(ui.shown().back().checked, (std::vector<int>{1, 2, 3, 4}));
    ui.choose({4});
    ui.expect("Select the case change type").cancel();
    EXPECT_FALSE(tool.changeCase(*d, p));
    ui.choose({4});
    ui.choose(3);
    ui.expect("to change the case to \"UPPER CASE\" in selected locations").answer(Answer::No);
    EXPECT_FALSE(tool.changeCase(*d, p));
    EXPECT_EQ(dumpScheduleData(*d), before);

    ui.choose({4});
    ui.choose(3);
    ui.answer(Answer::Yes);
    ui.expect("The case was changed to \"UPPER CASE\" in 2 locations.").answer(Answer::Ok);
    EXPECT_TRUE(tool.changeCase(*d, p));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(d->codes[f.id("MATH-A")].name.str(), "MATHEMATICS A");
}

} // namespace
