// The editing commands of the code lists through scripted dialogs: each question cancelled
// changes nothing, when each command is offered, how typed codes and PLANNED are checked, and
// what duplicate, move, find, colour and the sort by a field do.

#include "commands/codelistcommands.h"

#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace quivra;

namespace {

// The user types `code` into the editor and presses OK once.
CollectionsSession commitAs(std::string code)
{
    return [code](CollectionsEditor &e) {
        e.setCodeText(code);
        e.commit();
    };
}

class CodeListCommandsTest : public ::testing::Test
{
protected:
    CodeListCommandsTest() : d(twoEventsInOneRoom()), p(ui) {}

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    std::string codeOf(CodeId c) const { return std::string(d->codes[c].code.view()); }
    std::vector<std::string> listed(CodeKind kind) const
    {
        const auto &list = kind == CodeKind::Event ? d->eventList : d->resourceList;
        std::vector<std::string> codes;
        for (int i = 1; i <= list[0]; ++i)
            codes.push_back(codeOf(list[static_cast<std::size_t>(i)]));
        return codes;
    }
    std::vector<std::string> membersOf(std::string_view event) const
    {
        const MemberList m = collectionOf(*d, id(event));
        std::vector<std::string> codes;
        for (int i = 1; i <= m[0]; ++i)
            codes.push_back(codeOf(m[static_cast<std::size_t>(i)]));
        return codes;
    }

    std::unique_ptr<ScheduleData> d; // G1 G2 T1 T2 R1, MATH and ENG (MATH scheduled)
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(CodeListCommandsTest, CancellingAnyQuestionChangesNothing)
{
    struct Case
    {
        const char *what;
        std::function<void(ScriptedDialogs &)> script;
        std::function<bool(ScheduleData &, Prompter &)> run;
    };
    const auto math = [](ScheduleData &data) { return findCode(data, "MATH"); };
    const auto t1 = [](ScheduleData &data) { return findCode(data, "T1"); };
    const std::vector<Case> cases = {
        // New and Edit: whatever the user does in the editor, leaving it stores nothing.
        {"new resource, editor left", [](auto &) {},
         [&](auto &data, auto &pr) {
             return newListCode(data, pr, CodeKind::Resource, t1(data), [](CollectionsEditor &e) {
                        e.setCodeText("T9");
                        e.add({findCode(e.data(), "MATH")});
                        e.cancel();
                    }) != 0;
         }},
        {"new resource at a taken code, given up",
         [](auto &s) {
             s.expect("Code \"T2\" is already used").answer(Answer::Ok);
             s.expect("Enter new code for").cancel();
         },
         [&](auto &data, auto &pr) {
             return newListCode(data, pr, CodeKind::Resource, t1(data), commitAs("T2")) != 0;
         }},
        {"new event at a blank code, given up",
         [](auto &s) {
             s.expect("cannot be empty").answer(Answer::Ok);
             s.expect("Enter new code for").cancel();
         },
         [&](auto &data, auto &pr) {
             return newListCode(data, pr, CodeKind::Event, math(data), commitAs("  ")) != 0;
         }},
        {"edit, editor left after changes", [](auto &) {},
         [&](auto &data, auto &pr) {
             return editListCode(data, pr, math(data), [](CollectionsEditor &e) {
                 e.setNameText("Algebra");
                 e.setPlanned(5);
                 e.setLocked(true);
                 e.remove({findCode(e.data(), "T1")});
                 e.cancel();
             });
         }},
        {"edit to a taken code, given up",
         [](auto &s) {
             s.expect("Code \"ENG\" is already used").answer(Answer::Ok);
             s.expect("Enter new code for").cancel();
         },
         [&](auto &data, auto &pr) { return editListCode(data, pr, math(data), commitAs("ENG")); }},
        {"edit emptying a scheduled event, answered No",
         [](auto &s) { s.expect("to remove all resources of \"MATH\"").answer(Answer::No); },
         [&](auto &data, auto &pr) {
             return editListCode(data, pr, math(data), [](CollectionsEditor &e) {
                 e.clearAll();
                 e.commit();
             });
         }},
        {"edit, next code with the changes declined",
         [](auto &s) { s.expect("Do you accept these changes?").answer(Answer::No); },
         [&](auto &data, auto &pr) {
             return editListCode(data, pr, t1(data), [](CollectionsEditor &e) {
                 e.setNameText("Somebody else");
                 e.step(+1);
                 e.cancel();
             });
         }},
        {"delete answered No", [](auto &s) { s.expect("to remove event").answer(Answer::No); },
         [&](auto &data, auto &pr) { return deleteListCode(data, pr, math(data)); }},
        {"recode", [](auto &s) { s.cancel(); },
         [&](auto &data, auto &pr) { return recodeListCode(data, pr, t1(data)); }},
        {"recode to a taken code, given up",
         [](auto &s) { s.type("T2").expect("\"T2\" already exists").answer(Answer::No); },
         [&](auto &data, auto &pr) { return recodeListCode(data, pr, t1(data)); }},
        {"rename", [](auto &s) { s.cancel(); },
         [&](auto &data, auto &pr) { return renameListCode(data, pr, t1(data)); }},
        {"recategorise", [](auto &s) { s.cancel(); },
         [&](auto &data, auto &pr) { return recategoriseListCode(data, pr, t1(data)); }},
        {"set colour", [](auto &s) { s.cancel(); },
         [&](auto &data, auto &pr) { return setListCodeColour(data, pr, t1(data)); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto data = twoEventsInOneRoom();
        const std::string before = dumpScheduleData(*data);
        ScriptedDialogs s;
        Prompter pr(s);
        c.script(s);
        EXPECT_FALSE(c.run(*data, pr));
        EXPECT_TRUE(s.finished()) << s.problems();
        EXPECT_TRUE(dumpScheduleData(*data) == before);
        EXPECT_FALSE(data->modified);
    }
}

TEST_F(CodeListCommandsTest, CommandsAreOfferedAsTheListAllows)
{
    using C = CodeListCommand;
    const CodeId t1 = id("T1"), math = id("MATH");
    struct Row
    {
        C command;
        CodeKind kind;
        CodeId current;
        const char *search;
        bool enabled;
    };
    const std::vector<Row> rows = {
        {C::New, CodeKind::Resource, 0, "", true},
        {C::Edit, CodeKind::Resource, t1, "", true},
        {C::Edit, CodeKind::Resource, 0, "", false},
        // A code of the other list is no current code of this one.
        {C::Delete, CodeKind::Resource, math, "", false},
        {C::Delete, CodeKind::Event, math, "", true},
        {C::Duplicate, CodeKind::Event, math, "", true},
        {C::Recode, CodeKind::Resource, t1, "", true},
        {C::Colour, CodeKind::Resource, 0, "", false},
        {C::Find, CodeKind::Resource, t1, "", true},
        {C::SearchAgain, CodeKind::Resource, t1, "", false},
        {C::SearchAgain, CodeKind::Resource, t1, "t", true},
        {C::MoveUp, CodeKind::Event, math, "", true},
        {C::Info, CodeKind::Event, 0, "", false},
        {C::FindByLinks, CodeKind::Resource, t1, "", true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(static_cast<int>(r.command));
        EXPECT_EQ(codeListEnabled(*d, r.kind, r.command, r.current, r.search), r.enabled);
    }

    // A list of one code cannot be reordered; an empty list offers New alone.
    auto one = makeScheduleData();
    FixtureBuilder f(*one);
    f.calendar(1, 5, 4).resources('T', {"T1"});
    f.finish();
    const CodeId only = findCode(*one, "T1");
    EXPECT_FALSE(codeListEnabled(*one, CodeKind::Resource, C::MoveDown, only, ""));
    EXPECT_TRUE(codeListEnabled(*one, CodeKind::Resource, C::Edit, only, ""));
    EXPECT_TRUE(codeListEnabled(*one, CodeKind::Event, C::New, 0, ""));
    EXPECT_FALSE(codeListEnabled(*one, CodeKind::Event, C::Edit, 0, ""));
    // Without any link there is nothing to find by links.
    EXPECT_FALSE(codeListEnabled(*one, CodeKind::Resource, C::FindByLinks, only, ""));
}

TEST_F(CodeListCommandsTest, TypedCodesAreCheckedAlike)
{
    const CodeId t1 = id("T1");
    struct Case
    {
        std::string text;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"", false},
        {" ", false},
        {"   ", false},
        {"T2", false},
        {" T2 ", false},
        {"T1", true},
        {"T1 ", true},
        {"NEW", true},
        {std::string(15, 'A'), true},
        {std::string(16, 'A'), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(codeProblem(*d, c.text, t1).empty(), c.accepted);
    }
    EXPECT_EQ(trimmedCode("  T9 "), "T9");
    // A new code may not take any code's text, its own included.
    EXPECT_FALSE(codeProblem(*d, "T1", 0).empty());
}

TEST_F(CodeListCommandsTest, RecodeRefusesEmptyBlankAndTakenCodesAndAsksAgain)
{
    const CodeId t1 = id("T1");
    ui.type("").expect("at least one character").answer(Answer::Yes);
    ui.type("   ").expect("at least one character").answer(Answer::Yes);
    ui.type("T2").expect("\"T2\" already exists - please select another key.").answer(Answer::Yes);
    ui.type(" T7 ");
    EXPECT_TRUE(recodeListCode(*d, p, t1));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(codeOf(t1), "T7");
    EXPECT_EQ(ui.shown().front().caption, "Recode T1");
    EXPECT_EQ(ui.shown().front().text, "New code for \"T1\" ?");
}

TEST_F(CodeListCommandsTest, AnOverLongCodeIsRefusedInTheListAndCutInTheBox)
{
    const CodeId t1 = id("T1");
    const std::string before = dumpScheduleData(*d);
    ui.expect("longer than 15 characters").answer(Answer::Ok);
    EXPECT_FALSE(setListField(*d, p, t1, ListField::Code, std::string(16, 'X')));
    EXPECT_TRUE(dumpScheduleData(*d) == before);

    // The box holds 15 characters: what is left must still be free.
    ASSERT_TRUE(renameCode(*d, "T2", std::string(15, 'X')));
    ui.type(std::string(16, 'X')).expect("already exists").answer(Answer::No);
    EXPECT_FALSE(recodeListCode(*d, p, t1));
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(codeOf(t1), "T1");
}

TEST_F(CodeListCommandsTest, AFullCodeTableIsReportedAndNothingAdded)
{
    const int count = d->codeCount;
    d->codeCount = MaxCodes; // only the count is read before the refusal
    ui.expect("The list of codes is full").answer(Answer::Ok);
    const auto unused = [](CollectionsEditor &) { ADD_FAILURE() << "editor opened"; };
    EXPECT_EQ(newListCode(*d, p, CodeKind::Resource, 0, unused), 0);
    ui.expect("The list of codes is full").answer(Answer::Ok);
    EXPECT_EQ(duplicateListCode(*d, p, 1), 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
    d->codeCount = count;
    EXPECT_FALSE(d->modified);
}

TEST_F(CodeListCommandsTest, NewOpensTheEditorOnACodeOfTheCurrentCategoryAfterTheCurrentCode)
{
    const CodeId t3 = newListCode(*d, p, CodeKind::Resource, id("T1"), [&](CollectionsEditor &e) {
        EXPECT_FALSE(e.eventMode());
        EXPECT_TRUE(e.isNew());
        EXPECT_EQ(e.codeText(), "Resource_#6");
        EXPECT_EQ(e.category(), categoryOf(*d, id("T1")));
        e.setCodeText("T3");
        e.setNameText("Teacher Three");
        e.add({id("ENG")});
        EXPECT_EQ(e.commit(), CommitResult::Stored);
    });
    ASSERT_NE(t3, 0);
    EXPECT_EQ(codeOf(t3), "T3");
    EXPECT_EQ(d->codes[t3].name.view(), "Teacher Three");
    EXPECT_EQ(categoryOf(*d, t3), categoryOf(*d, id("T1")));
    EXPECT_EQ(listed(CodeKind::Resource),
              (std::vector<std::string>{"G1", "G2", "T1", "T3", "T2", "R1"}));
    EXPECT_EQ(membersOf("ENG"), (std::vector<std::string>{"G2", "T2", "R1", "T3"}));

    // An event without resources is stored; the editor asks whether to add them now. Asked
    // from a resource, the event takes the first category and goes to the end.
    ui.expect("Do you want to add them now").answer(Answer::No);
    const CodeId art = newListCode(*d, p, CodeKind::Event, id("T1"), [](CollectionsEditor &e) {
        EXPECT_TRUE(e.eventMode());
        e.setCodeText("ART");
        e.setPlanned(3);
        e.commit();
    });
    ASSERT_NE(art, 0);
    EXPECT_TRUE(d->codes[art].isEvent());
    EXPECT_EQ(d->codes[art].planned, 3);
    EXPECT_EQ(categoryOf(*d, art), 1);
    EXPECT_EQ(listed(CodeKind::Event), (std::vector<std::string>{"MATH", "ENG", "ART"}));

    // Kept open to add the resources, then stored again: the code made is still the one given.
    ui.expect("Do you want to add them now").answer(Answer::Yes);
    const CodeId mus = newListCode(*d, p, CodeKind::Event, id("MATH"), [](CollectionsEditor &e) {
        e.setCodeText("MUS");
        EXPECT_EQ(e.commit(), CommitResult::KeepOpen);
        e.add({findCode(e.data(), "G2")});
        EXPECT_EQ(e.commit(), CommitResult::Stored);
    });
    ASSERT_NE(mus, 0);
    EXPECT_EQ(codeOf(mus), "MUS");
    EXPECT_EQ(membersOf("MUS"), (std::vector<std::string>{"G2"}));
    EXPECT_EQ(listed(CodeKind::Event), (std::vector<std::string>{"MATH", "MUS", "ENG", "ART"}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, EditStoresWhatTheEditorCommits)
{
    const CodeId t1 = id("T1");
    EXPECT_TRUE(editListCode(*d, p, t1, [](CollectionsEditor &e) {
        EXPECT_FALSE(e.eventMode());
        e.setCodeText("TA");
        e.setNameText("Teacher A");
        e.setCategory(1);
        e.commit();
    }));
    EXPECT_EQ(codeOf(t1), "TA");
    EXPECT_EQ(d->codes[t1].name.view(), "Teacher A");
    EXPECT_EQ(categoryOf(*d, t1), 1);

    const CodeId math = id("MATH");
    EXPECT_TRUE(editListCode(*d, p, math, [](CollectionsEditor &e) {
        EXPECT_TRUE(e.eventMode());
        e.setNameText("Mathematics");
        e.setPlanned(6);
        e.commit();
    }));
    EXPECT_EQ(d->codes[math].planned, 6);
    EXPECT_EQ(d->codes[math].name.view(), "Mathematics");
    // Left without OK: nothing stored, nothing reported as changed.
    EXPECT_FALSE(editListCode(*d, p, math, [](CollectionsEditor &) {}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, DeleteNamesTheCodeAndRemovesItFromItsEvents)
{
    ui.expect("to remove resource \"T1 Name of T1\" ").answer(Answer::Yes);
    EXPECT_TRUE(deleteListCode(*d, p, id("T1")));
    EXPECT_EQ(id("T1"), 0);
    EXPECT_EQ(membersOf("MATH"), (std::vector<std::string>{"G1", "R1"}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, DuplicateMakesAFreeCodeAndOffersToRecodeIt)
{
    // ENG has nothing scheduled: its copy of T2 joins it; MATH is scheduled and keeps T1 alone.
    d->codes[id("ENG")].scheduled = 0;
    ui.expect("New code for \"T2a\"").cancel();
    const CodeId t2a = duplicateListCode(*d, p, id("T2"));
    ASSERT_NE(t2a, 0);
    EXPECT_EQ(codeOf(t2a), "T2a");
    EXPECT_EQ(membersOf("ENG"), (std::vector<std::string>{"G2", "T2", "R1", "T2a"}));
    ui.cancel();
    EXPECT_EQ(codeOf(duplicateListCode(*d, p, id("T2a"))), "T2b");
    ui.cancel();
    EXPECT_EQ(membersOf("MATH"), (std::vector<std::string>{"G1", "T1", "R1"}));
    ASSERT_TRUE(renameCode(*d, "T1", "ABCDEFGHIJKLMNO"));
    EXPECT_EQ(codeOf(duplicateListCode(*d, p, id("ABCDEFGHIJKLMNO"))), "ABCDEFGHIJKLMNa");
    EXPECT_EQ(membersOf("MATH"), (std::vector<std::string>{"G1", "ABCDEFGHIJKLMNO", "R1"}));

    // An event copy: the same resources and weekly periods, no timetable; then recoded.
    ui.type("MATH2");
    const CodeId copy = duplicateListCode(*d, p, id("MATH"));
    ASSERT_NE(copy, 0);
    EXPECT_EQ(codeOf(copy), "MATH2");
    EXPECT_EQ(membersOf("MATH2"), membersOf("MATH"));
    WeekAllocation wa;
    loadWeekAllocation(*d, copy, wa);
    EXPECT_EQ(wa.allocated[1], 2);
    EXPECT_TRUE(wa.timetable.empty());
    EXPECT_EQ(d->codes[copy].scheduled, 0);
    EXPECT_EQ(listed(CodeKind::Event), (std::vector<std::string>{"MATH", "MATH2", "ENG"}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, MoveExchangesNeighboursAndStopsAtTheEnds)
{
    const std::string before = dumpScheduleData(*d);
    EXPECT_FALSE(moveListCode(*d, id("G1"), -1));
    EXPECT_FALSE(moveListCode(*d, id("R1"), +1));
    EXPECT_TRUE(dumpScheduleData(*d) == before);
    EXPECT_TRUE(moveListCode(*d, id("G1"), +1));
    EXPECT_EQ(listed(CodeKind::Resource), (std::vector<std::string>{"G2", "G1", "T1", "T2", "R1"}));
    EXPECT_EQ(d->currentCode, id("G1"));
    EXPECT_EQ(membersOf("MATH"), (std::vector<std::string>{"G1", "T1", "R1"}));
}

TEST_F(CodeListCommandsTest, FindMatchesOneLetterAtTheStartAndLongerTextAnywhere)
{
    ASSERT_TRUE(renameCode(*d, "G2", "AT"));
    setCodeName(*d, id("G1"), "Tom");
    setCodeName(*d, id("R1"), "Kate");
    struct Case
    {
        const char *text;
        const char *from;
        const char *found; // "" for none
    };
    const std::vector<Case> cases = {
        {"t", "G1", "T1"},  {"t", "T2", "G1"},  // round the end, by the name Tom
        {"at", "G1", "AT"}, {"at", "AT", "R1"}, // Kate
        {"T2", "T2", "T2"},                     // one whole round comes back to the current code
        {"zz", "G1", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " from " + c.from);
        const CodeId found = findInList(*d, CodeKind::Resource, id(c.from), c.text);
        EXPECT_EQ(found == 0 ? std::string() : codeOf(found), c.found);
    }

    std::string search = "t";
    EXPECT_EQ(findListCode(*d, p, CodeKind::Resource, id("G1"), search, true), id("T1"));
    ui.expect("Please enter part of the code or name:").type("nobody");
    ui.expect("Sorry, no matches for \"nobody\".").answer(Answer::Ok);
    EXPECT_EQ(findListCode(*d, p, CodeKind::Resource, id("G1"), search, false), 0);
    EXPECT_EQ(search, "nobody");
    ui.cancel();
    EXPECT_EQ(findListCode(*d, p, CodeKind::Resource, id("G1"), search, false), 0);
    EXPECT_EQ(search, "");
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, FindByLinksLooksForCodesLinkedWithThePickedOnes)
{
    struct Case
    {
        const char *what;
        bool notLinked;
        const char *typed; // nullptr: the question cancelled
        const char *found;
        bool stillByLinks;
    };
    // From G1: MATH holds G1, T1 and R1; ENG holds G2, T2 and R1.
    const Case cases[] = {
        {"linked", false, nullptr, "T1", true},
        {"not linked", true, nullptr, "G2", true},
        {"a text instead", false, "t2", "T2", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedDialogs s;
        Prompter pr(s);
        s.pick({id("MATH")});
        if (c.typed)
            s.type(c.typed);
        else
            s.cancel();
        std::string text = "old";
        LinkSearch search;
        const CodeId found =
            findByLinks(*d, pr, CodeKind::Resource, id("G1"), text, search, c.notLinked);
        EXPECT_EQ(codeOf(found), c.found);
        EXPECT_EQ(search.active(), c.stillByLinks);
        EXPECT_EQ(text, c.typed ? c.typed : "");
        EXPECT_TRUE(s.finished()) << s.problems();
    }

    // Search again by the links walks on, round the list.
    LinkSearch byMath{{"MATH"}, false};
    EXPECT_EQ(findNextLinked(*d, CodeKind::Resource, id("T1"), byMath), id("R1"));
    EXPECT_EQ(findNextLinked(*d, CodeKind::Resource, id("R1"), byMath), id("G1"));
    // Events by their resources.
    LinkSearch byT2{{"T2"}, false};
    EXPECT_EQ(findNextLinked(*d, CodeKind::Event, id("MATH"), byT2), id("ENG"));

    // Cancelling the picker finds nothing and keeps the search as it was.
    ui.cancel();
    std::string text = "old";
    EXPECT_EQ(findByLinks(*d, p, CodeKind::Resource, id("G1"), text, byMath, false), 0);
    EXPECT_TRUE(byMath.active());
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, BlackIsKeptAsAColourAndMayGoToTheWholeCategory)
{
    // Stored as 0x00BBGGRR: black and the darkest reds would read as "no colour".
    EXPECT_EQ(keptColour(0x000000), 0x010100);
    EXPECT_EQ(keptColour(0x3E0000), 0x01013E);
    EXPECT_EQ(keptColour(0x3F0000), 0x00003F);
    EXPECT_EQ(keptColour(0x000001), 0x010000);
    EXPECT_EQ(keptColour(0xFF0000), 0x0000FF);

    ui.expect("Set colour to \"T1\"").colour(0x000000);
    ui.expect("Set this colour also to other resources of the same category?").answer(Answer::Yes);
    EXPECT_TRUE(setListCodeColour(*d, p, id("T1")));
    EXPECT_EQ(d->codes[id("T1")].colour, 0x010100);
    EXPECT_EQ(d->codes[id("T2")].colour, 0x010100);
    EXPECT_EQ(d->codes[id("G1")].colour, 0);

    ui.colour(0x00FF00).answer(Answer::No);
    EXPECT_TRUE(setListCodeColour(*d, p, id("MATH")));
    EXPECT_EQ(d->codes[id("MATH")].colour, 0x00FF00);
    EXPECT_EQ(d->codes[id("ENG")].colour, 0);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, AFieldSortsDescendingThenAscendingUnlessLocked)
{
    std::uint32_t directions = 0;
    const std::string before = dumpScheduleData(*d);
    ui.expect("Automatic sorting of items is locked - uncheck \"Tools|Sort lock\"")
        .answer(Answer::Ok);
    EXPECT_FALSE(
        sortListByField(*d, p, CodeKind::Resource, ListField::Code, true, false, directions));
    EXPECT_TRUE(dumpScheduleData(*d) == before);
    ui.expect("Sorting is locked").answer(Answer::Ok);
    EXPECT_FALSE(sortListByField(*d, p, CodeKind::Event, ListField::Name, true, false, directions));
    EXPECT_EQ(directions, 0u);

    EXPECT_TRUE(
        sortListByField(*d, p, CodeKind::Resource, ListField::Number, false, false, directions));
    EXPECT_EQ(listed(CodeKind::Resource), (std::vector<std::string>{"T2", "T1", "R1", "G2", "G1"}));
    EXPECT_TRUE(
        sortListByField(*d, p, CodeKind::Resource, ListField::Code, false, false, directions));
    EXPECT_EQ(listed(CodeKind::Resource), (std::vector<std::string>{"G1", "G2", "R1", "T1", "T2"}));
    EXPECT_EQ(membersOf("MATH"), (std::vector<std::string>{"G1", "T1", "R1"}));
    EXPECT_FALSE(
        sortListByField(*d, p, CodeKind::Event, ListField::Resources, false, false, directions));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeListCommandsTest, TypingIntoTheListIsCheckedLikeTheDialogs)
{
    const CodeId math = id("MATH");
    struct Case
    {
        ListField field;
        const char *text;
        bool changed;
        const char *message; // "" when none
    };
    const std::vector<Case> cases = {
        {ListField::Code, " ", false, "at least one character"},
        {ListField::Code, "ENG", false, "\"ENG\" already exists"},
        {ListField::Code, "MATH", false, ""},
        {ListField::Code, " MA ", true, ""},
        {ListField::Name, "Mathematics", true, ""},
        {ListField::Planned, "x", false, "PLANNED must be a number from 2 to"},
        {ListField::Planned, "1", false, "PLANNED must be a number from 2 to"},
        {ListField::Planned, "5", true, ""},
        {ListField::Allocated, "9", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        if (*c.message)
            ui.expect(c.message).answer(Answer::Ok);
        EXPECT_EQ(setListField(*d, p, math, c.field, c.text), c.changed);
        EXPECT_TRUE(ui.finished()) << ui.problems();
    }
    EXPECT_EQ(codeOf(math), "MA");
    EXPECT_EQ(d->codes[math].planned, 5);
    // A resource's PLANNED is the total of its events.
    EXPECT_FALSE(setListField(*d, p, id("T1"), ListField::Planned, "9"));
}

} // namespace
