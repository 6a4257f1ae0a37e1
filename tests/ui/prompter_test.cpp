#include "engine/codetable.h"
#include "engine/scheduledata.h"
#include "support/fixture.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

std::vector<int> numbers(const std::vector<OptionItem> &options)
{
    std::vector<int> out;
    for (const OptionItem &o : options)
        out.push_back(o.number);
    return out;
}

// --- the scripted backend ---------------------------------------------------------------------

TEST(ScriptedDialogs, AnswersInOrderAndRecordsWhatWasShown)
{
    ScriptedDialogs ui;
    ui.expect("to remove resource").answer(Answer::Yes).answer(Answer::Ok).choose(3);
    Prompter p(ui);

    EXPECT_TRUE(p.sureDlg("to remove resource \"T1\"", 0, 42));
    EXPECT_EQ(p.infoDlg("Done."), Answer::Ok);
    EXPECT_EQ(p.choice("Pick", 0, 1, "A$B$C$"), 3);

    ASSERT_EQ(ui.shown().size(), 3u);
    const ShownDialog &sure = ui.shown()[0];
    EXPECT_EQ(sure.caption, "Warning");
    EXPECT_EQ(sure.text, "Are you sure to remove resource \"T1\"?");
    EXPECT_EQ(sure.buttons, Buttons::Yes | Buttons::No);
    EXPECT_EQ(sure.helpTopic, 42);
    EXPECT_EQ(ui.shown()[1].caption, "Information");
    EXPECT_EQ(ui.shown()[2].shape, DialogShape::Options);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(ScriptedDialogs, UnexpectedDialogsFailLoudly)
{
    struct Case
    {
        const char *name;
        void (*script)(ScriptedDialogs &);
    };
    const Case cases[] = {
        {"nothing queued", [](ScriptedDialogs &) {}},
        {"answer of another shape", [](ScriptedDialogs &ui) { ui.choose(1); }},
        {"text not as expected", [](ScriptedDialogs &ui) { ui.expect("delete").answer(6); }},
        {"button not shown", [](ScriptedDialogs &ui) { ui.answer(Answer::Retry); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs ui;
        c.script(ui);
        Prompter p(ui);
        EXPECT_THROW(p.yesNoDlg("Save the file?"), UnexpectedDialog);
        EXPECT_FALSE(ui.finished());
        EXPECT_NE(ui.problems().find("Save the file?"), std::string::npos) << ui.problems();
    }

    ScriptedDialogs unused;
    unused.answer(Answer::Yes);
    EXPECT_FALSE(unused.finished());
}

// --- message dialogs --------------------------------------------------------------------------

TEST(Prompter, SilencedQuestionsAnswerWithoutShowing)
{
    struct Case
    {
        const char *name;
        std::uint16_t buttons;
        int given;       // the answer given while ticking the box
        int afterwards;  // what the next call returns
        bool shownAgain; // whether the next call shows a dialog
    };
    const Case cases[] = {
        {"yes/no answered Yes", Buttons::Yes | Buttons::No, Answer::Yes, Answer::Yes, false},
        {"OK only", Buttons::Ok, Answer::Ok, Answer::Ok, false},
        {"yes/no/cancel", Buttons::Yes | Buttons::No | Buttons::Cancel, Answer::Yes, Answer::Yes,
         false},
        // Declining while ticking the box must not turn into a standing Yes.
        {"yes/no answered No", Buttons::Yes | Buttons::No, Answer::No, Answer::No, true},
        {"cancelled", Buttons::Yes | Buttons::No | Buttons::Cancel, Answer::Cancel, Answer::Cancel,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs ui;
        ui.answer(c.given, true);
        if (c.shownAgain)
            ui.answer(c.given);
        Prompter p(ui);
        std::uint32_t hooked = 0;
        p.onSilencedChanged([&](std::uint32_t set) { hooked = set; });

        EXPECT_EQ(p.dlg("Question", 5, 0, c.buttons, DialogKind::Confirm), c.given);
        EXPECT_EQ(ui.shown()[0].silenceLabel, "Do not ask this again");
        EXPECT_EQ(p.dlg("Question", 5, 0, c.buttons, DialogKind::Confirm), c.afterwards);
        EXPECT_EQ(ui.shown().size(), c.shownAgain ? 2u : 1u);
        EXPECT_EQ(hooked, c.shownAgain ? 0u : 1u << 4);
        EXPECT_TRUE(ui.finished()) << ui.problems();
    }
}

TEST(Prompter, SilencedSetIsPerRunAndOnlyForValidSlots)
{
    ScriptedDialogs ui;
    ui.answer(Answer::Ok).answer(Answer::Ok).answer(Answer::Yes);
    Prompter p(ui);
    p.setSilencedQuestions(1u << 4);
    EXPECT_TRUE(p.sureDlg("to go on", 5)); // silenced: not shown

    p.infoDlg("Slot out of range", 33);
    p.warnDlg("No slot");
    EXPECT_TRUE(ui.shown()[0].silenceLabel.empty());
    EXPECT_EQ(ui.shown()[1].caption, "Warning");
    EXPECT_TRUE(ui.shown()[1].silenceLabel.empty());

    Prompter restarted(ui); // a new run asks again
    EXPECT_TRUE(restarted.sureDlg("to go on", 5));
    EXPECT_EQ(ui.shown().size(), 3u);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(Prompter, ClosedWindowIsNeverYes)
{
    ScriptedDialogs ui;
    ui.cancel().cancel().cancel();
    Prompter p(ui);
    EXPECT_EQ(p.yesNoCancelDlg("Save?"), Answer::Cancel); // Cancel offered: pressed
    EXPECT_FALSE(p.sureDlg("to delete everything"));      // closed without a button
    EXPECT_EQ(p.infoDlg("Done."), Answer::Closed);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// --- option lists -----------------------------------------------------------------------------

TEST(Prompter, ChoiceNumbersOptionsByTheirPlaceInTheList)
{
    ScriptedDialogs ui;
    ui.choose(3);
    Prompter p(ui);
    // The blank middle item is hidden; the last option still answers 3, its list number, so a
    // caller decoding by list item runs the option the user saw.
    EXPECT_EQ(p.choice("Which?", 0, 1, "A$ $C$"), 3);
    const ShownDialog &shown = ui.shown()[0];
    EXPECT_EQ(numbers(shown.options), (std::vector<int>{1, 3}));
    EXPECT_EQ(shown.options[1].text, "C");
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(Prompter, ChoiceDefaultIsClampedIntoTheShownOptions)
{
    struct Case
    {
        const char *list;
        int defaultItem;
        int preselected;
    };
    const Case cases[] = {
        {"A$B$C", 2, 2},   // a last item without "$" counts
        {"A$B$C$", 9, 3},  // above the list
        {"A$B$C$", 0, 1},  // below it
        {"A$ $C$", 2, 3},  // a hidden item: the next shown one
        {"A$B$$", 3, 2},   // hidden at the end: the last shown one
        {" $B$C$", -4, 2}, // hidden at the start
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.list) + " default " + std::to_string(c.defaultItem));
        ScriptedDialogs ui;
        ui.cancel();
        Prompter p(ui);
        EXPECT_EQ(p.choice("Which?", 0, c.defaultItem, c.list), 0);
        ASSERT_EQ(ui.shown().size(), 1u);
        EXPECT_EQ(ui.shown()[0].checked, std::vector<int>{c.preselected});
    }

    ScriptedDialogs none; // nothing to choose from: nothing shown
    Prompter p(none);
    EXPECT_EQ(p.choice("Which?", 0, 1, "$ $"), 0);
    EXPECT_TRUE(none.shown().empty());
}

TEST(Prompter, ChoiceDontAskSwitch)
{
    ScriptedDialogs ui;
    ui.choose(2, true).choose(1);
    Prompter p(ui);
    bool keepAsking = true;
    EXPECT_EQ(p.choice("Name?", 0, 1, "A$B$", &keepAsking), 2);
    EXPECT_FALSE(keepAsking);
    // With the switch off the box is not offered; ticking it would be unexpected.
    EXPECT_EQ(p.choice("Name?", 0, 1, "A$B$", &keepAsking), 1);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(Prompter, MultiChoiceReplacesBitsOnOkOnly)
{
    ScriptedDialogs ui;
    ui.choose({1, 3}).cancel();
    Prompter p(ui);
    std::uint32_t bits = 1u << 2;
    EXPECT_EQ(p.multiChoice("Where?", 0, bits, "Codes$Names$Memos$"), 3);
    EXPECT_EQ(ui.shown()[0].caption, "Select options");
    EXPECT_EQ(ui.shown()[0].checked, std::vector<int>{2});
    EXPECT_EQ(bits, (1u << 1) | (1u << 3));

    EXPECT_EQ(p.multiChoice("Where?", 0, bits, "Codes$Names$Memos$"), 0);
    EXPECT_EQ(bits, (1u << 1) | (1u << 3));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

class PrompterData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FixtureBuilder f(*d);
        f.calendar(6, 5, 8)
            .resources('G', {"G1"})
            .resources('T', {"T1", "T2"})
            .resources('R', {"R1"})
            .event("E1", {"G1", "T1", "R1"}, 4)
            .event("E2", {"G1", "T2"}, 2)
            .allocate("E1", 1, 3, 2)
            .allocate("E2", 2, 2, 2)
            .place("E1", 2, 1, 1, 2)
            .place("E2", 2, 3, 4, 4);
        f.finish();
        ids = {f.id("G1"), f.id("T1"), f.id("T2"), f.id("R1"), f.id("E1"), f.id("E2")};
    }

    std::unique_ptr<ScheduleData> d = makeScheduleData();
    std::vector<CodeId> ids;
};

TEST_F(PrompterData, CategoryChoiceOffersCategoriesWithMembers)
{
    ScriptedDialogs ui;
    ui.cancel().choose(8).choose(3);
    Prompter p(ui);

    // Rooms are left out, so a rooms default preselects the first option.
    EXPECT_EQ(p.categoryChoice(*d, "Category?", 0, 3), 0);
    EXPECT_EQ(numbers(ui.shown()[0].options), (std::vector<int>{1, 2}));
    EXPECT_EQ(ui.shown()[0].options[1].text, "T:Teachers (2)");
    EXPECT_EQ(ui.shown()[0].checked, std::vector<int>{1});

    EXPECT_EQ(p.categoryChoice(*d, "Category?", 0, 2, {.offerAll = true}), 8);
    EXPECT_EQ(ui.shown()[1].options.back().text, "All resources (4)");
    EXPECT_EQ(ui.shown()[1].checked, std::vector<int>{2});

    EXPECT_EQ(p.categoryChoice(*d, "Category?", 0, 3, {.allCategories = true}), 3);
    EXPECT_EQ(numbers(ui.shown()[2].options), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(PrompterData, PickWeekListsWeeksWithTheirTotals)
{
    ScriptedDialogs ui;
    ui.choose(2);
    Prompter p(ui);
    EXPECT_EQ(p.pickWeek(*d, 9, "\r\nSelect the week:", 5, 1), 2);
    const ShownDialog &shown = ui.shown()[0];
    EXPECT_EQ(shown.caption, "Select the week from the list below");
    EXPECT_EQ(numbers(shown.options), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(shown.checked, std::vector<int>{5}); // default 9 clamped into 1..5
    EXPECT_NE(shown.options[1].text.find("   [3 out of 4 periods scheduled]"), std::string::npos)
        << shown.options[1].text;
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(PrompterData, PickWeekMultipleKeepsTheSelectionOnCancel)
{
    ScriptedDialogs ui;
    ui.cancel().chooseFocused({3, 4}, 4);
    Prompter p(ui);
    std::bitset<WeekTableSize> weeks;
    weeks.set(2).set(6);

    EXPECT_EQ(p.pickWeek(*d, 1, "Weeks:", 5, 1, &weeks), 0);
    EXPECT_EQ(ui.shown()[0].caption, "Select multiple weeks");
    EXPECT_EQ(ui.shown()[0].checked, std::vector<int>{2});
    EXPECT_TRUE(weeks.test(2) && weeks.test(6));

    EXPECT_EQ(p.pickWeek(*d, 1, "Weeks:", 5, 1, &weeks), 4);
    EXPECT_FALSE(weeks.test(2));
    EXPECT_TRUE(weeks.test(3) && weeks.test(4));
    EXPECT_TRUE(weeks.test(6)); // outside the range offered: untouched
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(PrompterData, PickCodesLeavesTheSelectionInTheMarks)
{
    const CodeId t1 = ids[1], t2 = ids[2], e1 = ids[4];
    d->codes[e1].flags |= AllMarks; // an earlier selection
    ScriptedDialogs ui;
    ui.cancel().pick({t2, t1, t2, 999});
    Prompter p(ui);

    EXPECT_FALSE(p.pickCodes(*d, "Select the codes", 0, 0));
    EXPECT_EQ(ui.shown()[0].checked, std::vector<int>{e1});
    EXPECT_EQ(d->codes[e1].flags & LinkMarksMask, AllMarks); // Cancel changed nothing

    const auto chosen = p.pickCodes(*d, "Select the codes", 0, 0);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, (std::vector<CodeId>{t1, t2}));
    for (int c = 1; c <= d->codeCount; ++c) {
        const bool picked = c == t1 || c == t2;
        EXPECT_EQ(d->codes[c].flags & LinkMarksMask, picked ? AllMarks : 0) << c;
    }
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(PrompterData, SelectCodePreselectsTheCurrentCode)
{
    d->currentCode = ids[5];
    ScriptedDialogs ui;
    ui.choose(ids[4]);
    Prompter p(ui);
    EXPECT_EQ(p.selectCode(*d, true), ids[4]);
    EXPECT_EQ(numbers(ui.shown()[0].options), (std::vector<int>{ids[4], ids[5]}));
    EXPECT_EQ(ui.shown()[0].checked, std::vector<int>{ids[5]});
}

// --- input and files --------------------------------------------------------------------------

TEST(Prompter, InputHoldsTheFieldLength)
{
    struct Case
    {
        const char *typed;
        std::size_t maxBytes;
        const char *forbidden;
        const char *expected;
    };
    const Case cases[] = {
        {"MATHS101", 15, "", "MATHS101"},
        {"ABCDEFGHIJKLMNOPQRS", 15, "", "ABCDEFGHIJKLMNO"},
        {"two\r\nlines\ttab", 200, "", "twolinestab"},
        {"Free$time", 200, "$", "Freetime"},
        {"\xE9t\xE9", 2, "", "\xE9t"}, // bytes of the code page, not characters of UTF-8
        {"", 5, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        ScriptedDialogs ui;
        ui.type(c.typed);
        Prompter p(ui);
        EXPECT_EQ(p.input("Caption", "Enter:", "", c.maxBytes, c.forbidden), c.expected);
        EXPECT_EQ(ui.shown()[0].maxBytes, c.maxBytes);
    }

    ScriptedDialogs ui;
    ui.cancel();
    Prompter p(ui);
    EXPECT_FALSE(p.input("Caption", "Enter:", "a much too long initial text", 6));
    EXPECT_EQ(ui.shown()[0].initial, "a much");
}

// A backend that draws no reorderable lists: every call goes to a scripted one.
class PlainDialogs final : public Dialogs
{
public:
    explicit PlainDialogs(ScriptedDialogs &ui) : m_ui(ui) {}
    MessageReply message(const MessageRequest &r) override { return m_ui.message(r); }
    OptionsReply options(const OptionsRequest &r) override { return m_ui.options(r); }
    std::optional<std::string> input(const InputRequest &r) override { return m_ui.input(r); }
    std::optional<std::string> openFile(const FileRequest &r) override { return m_ui.openFile(r); }
    std::optional<std::string> saveFile(const FileRequest &r) override { return m_ui.saveFile(r); }
    std::optional<std::vector<CodeId>> pickCodes(const CodePickRequest &r) override
    {
        return m_ui.pickCodes(r);
    }
    std::optional<std::uint32_t> chooseColour(const ColourRequest &r) override
    {
        return m_ui.chooseColour(r);
    }

private:
    ScriptedDialogs &m_ui;
};

TEST(Prompter, OrderedChoiceOffersEveryOptionWithOrWithoutReordering)
{
    OptionsRequest request;
    for (int k = 1; k <= 40; ++k)
        request.options.push_back({k, "file " + std::to_string(k)});

    // A backend with reorderable lists: its order comes back, cleaned of repeats and strangers,
    // with what it left out after it.
    ScriptedDialogs ui;
    ui.arrange({40, 3, 40}, {40, 3});
    const auto arranged = Prompter(ui).orderedChoice(request);
    ASSERT_TRUE(arranged.has_value());
    EXPECT_EQ(arranged->order.size(), 40u);
    EXPECT_EQ(arranged->order[0], 40);
    EXPECT_EQ(arranged->order[1], 3);
    EXPECT_EQ(arranged->order[2], 1);
    EXPECT_EQ(arranged->checked, (std::vector<int>{40, 3}));
    EXPECT_EQ(ui.shown()[0].shape, DialogShape::OrderedOptions);

    // Without them: a plain multiple choice of all 40, the order as given.
    ScriptedDialogs scripted;
    PlainDialogs plain(scripted);
    scripted.choose({35, 2}).cancel();
    Prompter p(plain);
    const auto chosen = p.orderedChoice(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(scripted.shown()[0].shape, DialogShape::Options);
    EXPECT_TRUE(scripted.shown()[0].multiple);
    EXPECT_EQ(scripted.shown()[0].options.size(), 40u);
    EXPECT_EQ(chosen->order, numbers(request.options));
    EXPECT_EQ(chosen->checked, (std::vector<int>{35, 2}));
    EXPECT_FALSE(p.orderedChoice(request).has_value());
    EXPECT_TRUE(ui.finished() && scripted.finished()) << ui.problems() << scripted.problems();
}

TEST(Prompter, CheckListReturnsTheCheckedOptionsInListOrder)
{
    OptionsRequest request;
    request.caption = "Lines";
    for (int k = 1; k <= 40; ++k)
        request.options.push_back({k, "line " + std::to_string(k)});
    ScriptedDialogs ui;
    ui.choose({35, 2}).cancel();
    Prompter p(ui);
    EXPECT_EQ(p.checkList(request), (std::vector<int>{2, 35}));
    EXPECT_TRUE(ui.shown()[0].multiple);
    EXPECT_EQ(ui.shown()[0].options.size(), 40u);
    EXPECT_FALSE(p.checkList(request).has_value());
    EXPECT_FALSE(p.checkList(OptionsRequest{}).has_value()); // nothing offered, nothing shown
    EXPECT_EQ(ui.shown().size(), 2u);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(Prompter, SaveFileAddsTheDefaultExtension)
{
    ScriptedDialogs ui;
    ui.file("/tmp/plan").file("/tmp/plan.v2.qvf").file("/tmp/my.dir/plan").cancel().file("");
    Prompter p(ui);
    const FileRequest request{"Save file", "Data file", "*.qvf", "qvf", "/tmp", "plan.qvf", true};
    EXPECT_EQ(p.saveFile(request), "/tmp/plan.qvf");
    EXPECT_EQ(p.saveFile(request), "/tmp/plan.v2.qvf");
    EXPECT_EQ(p.saveFile(request), "/tmp/my.dir/plan.qvf");
    EXPECT_FALSE(p.openFile(request));
    EXPECT_FALSE(p.openFile(request)); // an empty name is no choice
    EXPECT_EQ(ui.shown()[0].initial, "plan.qvf");
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

// --- progress ---------------------------------------------------------------------------------

TEST(Progress, StopFlagHoldsUntilTheNextRun)
{
    NullProgress progress;
    progress.begin("Working", 10);
    EXPECT_FALSE(progress.stopRequested());
    progress.requestStop();
    EXPECT_TRUE(progress.stopRequested());
    EXPECT_TRUE(progress.stopRequested());
    progress.begin("Again", 10);
    EXPECT_FALSE(progress.stopRequested());
}

// A font comes back as chosen; a cancelled dialog, a size that is no size and a backend that
// cannot draw a font dialog all give nothing.
TEST(PrompterFont, ChosenFontOrNothing)
{
    const FontChoice start{"Sans", 10};
    const std::vector<std::pair<std::optional<FontChoice>, std::optional<FontChoice>>> cases = {
        {FontChoice{"Serif", 12}, FontChoice{"Serif", 12}},
        {FontChoice{"Serif", 0}, std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto &[answer, expected] : cases) {
        ScriptedDialogs ui;
        if (answer)
            ui.expect("Select font").font(*answer);
        else
            ui.expect("Select font").cancel();
        Prompter p(ui);
        EXPECT_EQ(p.chooseFont("Select font", start), expected);
        EXPECT_TRUE(ui.finished()) << ui.problems();
        EXPECT_EQ(ui.shown().at(0).initial, "Sans 10");
    }
    ScriptedDialogs unused;
    PlainDialogs plain(unused);
    Prompter p(plain);
    EXPECT_EQ(p.chooseFont("Select font", start), std::nullopt);
    EXPECT_TRUE(unused.shown().empty());
}

} // namespace
} // namespace quivra
