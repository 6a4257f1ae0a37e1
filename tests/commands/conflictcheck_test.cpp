#include "commands/conflictcheck.h"

#include "engine/codetable.h"
#include "support/fixture.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

// MATH and ENG share the group G1, the teacher T1 and the room R1 in one cell of week 2, where
// ENG also asks for R1 by hand; ART is alone in week 1.
std::unique_ptr<ScheduleData> oneClashInThreeResources()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(3, 5, 6).resources('G', {"G1"}).resources('T', {"T1"}).resources('R', {"R1"});
    f.event("MATH", {"G1", "T1", "R1"}, 2).event("ENG", {"G1", "T1", "R1"}, 2);
    f.event("ART", {"G1"}, 1);
    f.allocate("MATH", 2, 2, 1).allocate("ENG", 2, 2, 1).allocate("ART", 1, 1, 1);
    f.place("MATH", 2, 2, 3, 3).place("ENG", 2, 2, 3, 3).place("ART", 1, 1, 1, 1);
    f.manualRoom("ENG", 2, 2, 3, "R1"); // R1 holds MATH there: an overlap
    f.finish();
    return d;
}

struct Check
{
    ScriptedDialogs ui;
    Prompter prompter{ui};
    NullProgress progress;
    MemoryClipboard clipboard;
};

TEST(ConflictCheck, CountingAndRemovingShowTheSameCountAndOnlyRemovingModifies)
{
    // One clash over three shared resources is one cell ENG loses, in both modes.
    struct Case
    {
        const char *name;
        int handling; // 1 count and remove, 2 only count
        const char *message;
        bool modified;
    };
    const Case cases[] = {
        {"only count", 2, "Conflicts from week 1: 1 conflicting cell(s) found, 0 removed.", false},
        {"remove", 1, "Conflicts from week 1: 1 conflicting cell(s) found, 1 removed.", true},
    };
    for (const Case &c : cases) {
        auto d = oneClashInThreeResources();
        Check k;
        k.ui.choose(c.handling).expect("Clipboard").answer(Answer::No);
        k.ui.expect(c.message).answer(Answer::Ok);
        const auto report = checkForConflicts(*d, k.prompter, k.progress, &k.clipboard, 1, false);
        EXPECT_TRUE(k.ui.finished()) << c.name << ": " << k.ui.problems();
        ASSERT_TRUE(report.has_value()) << c.name;
        EXPECT_EQ(report->found, 1) << c.name;
        EXPECT_EQ(report->manualRoomOverlaps, 1) << c.name;
        EXPECT_EQ(d->modified, c.modified) << c.name;
    }
}

TEST(ConflictCheck, CancellingAQuestionEndsWithoutAMessageOrChange)
{
    auto d = oneClashInThreeResources();
    Check k;
    k.ui.cancel(); // the handling question
    EXPECT_FALSE(checkForConflicts(*d, k.prompter, k.progress, &k.clipboard, 1, false));
    k.ui.cancel(); // the week picker
    EXPECT_FALSE(checkForConflicts(*d, k.prompter, k.progress, &k.clipboard, 1, true));
    EXPECT_TRUE(k.ui.finished()) << k.ui.problems();
    EXPECT_FALSE(d->modified);
}

TEST(ConflictCheck, FromAPickedWeekWithTheLinesOnTheClipboard)
{
    auto d = oneClashInThreeResources();
    Check k;
    k.ui.choose(2).choose(1).expect("Clipboard").answer(Answer::Yes);
    k.ui.expect("Conflicts from week 2: 1 conflicting").answer(Answer::Ok);
    const auto report = checkForConflicts(*d, k.prompter, k.progress, &k.clipboard, 1, true);
    EXPECT_TRUE(k.ui.finished()) << k.ui.problems();
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(k.clipboard.text().starts_with("2\t2\t3\t")) << k.clipboard.text();
    EXPECT_EQ(d->codes[findCode(*d, "ENG")].scheduled, 0);
    EXPECT_EQ(d->codes[findCode(*d, "MATH")].scheduled, 1);
}

} // namespace
} // namespace quivra
