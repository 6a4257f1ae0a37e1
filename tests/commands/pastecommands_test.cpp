// Copy and paste: a copy pasted back changes nothing, locks included; each paste kind's rules
// on a small institution (codes inserted, updated or omitted, weekly periods clamped, event
// resources replaced, added and removed, codes converted, resources mapped and selected, codes
// deleted); locked events, past weeks, full collections and over-long codes left alone; the
// commands' questions and messages through scripted dialogs.

#include "commands/clipboardcommands.h"
#include "commands/pastecommands.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/notes.h"
#include "reports/clipfixture.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <string>
#include <vector>

namespace quivra {
namespace {

class PasteTest : public ::testing::Test
{
protected:
    PasteTest() : d(clipFixture()), p(ui) {}

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    std::vector<CodeId> all(bool events) const
    {
        std::vector<CodeId> out;
        for (CodeId c = 1; c <= d->codeCount; ++c)
            if (d->codes[c].isEvent() == events)
                out.push_back(c);
        return out;
    }
    std::string members(std::string_view event) const
    {
        const MemberList m = collectionOf(*d, id(event));
        std::string out;
        for (int i = 1; i <= m[0]; ++i)
            out += std::string(d->codes[m[static_cast<std::size_t>(i)]].code.view()) + " ";
        return out;
    }
    PasteReport paste(int kind, std::string_view text, bool events = true, CodeId current = 0)
    {
        return applyPaste(*d, text, PasteOptions{kind, events, current, false});
    }
    std::string copy(int kind, bool events)
    {
        CopyRequest r;
        r.kind = kind;
        r.events = events;
        r.main = all(events);
        r.other = all(!events);
        return copyCodes(*d, r).text();
    }

    std::unique_ptr<ScheduleData> d;
    ScriptedDialogs ui;
    Prompter p;
    MemoryClipboard clipboard;
    NullProgress progress;
};

TEST_F(PasteTest, ACopyPastedBackChangesNothingLocksIncluded)
{
    struct Case
    {
        const char *name;
        int copyKind;
        bool events;
        int pasteKind;
    } const cases[] = {
        {"names and categories of events", CopyNamesAndCategories, true, PasteCodes},
        {"names and categories of resources", CopyNamesAndCategories, false, PasteCodes},
        {"weeks grid", CopyPeriodsInWeeks, true, PasteWeeksGrid},
        {"event resources", CopyLinks, true, PasteReplaceResources},
    };
    for (const bool locked : {true, false}) {
        for (const Case &c : cases) {
            d = clipFixture();
            if (!locked)
                d->codes[id("A1")].flags &= static_cast<std::uint16_t>(~LockedBit);
            const std::string before = dumpScheduleData(*d);
            const PasteReport r = paste(c.pasteKind, copy(c.copyKind, c.events), c.events);
            EXPECT_EQ(dumpScheduleData(*d), before) << c.name << (locked ? " (locked)" : "");
            EXPECT_EQ(r.omitted, locked && c.pasteKind != PasteCodes ? 1 : 0) << c.name;
            EXPECT_EQ(isLockedCode(*d, id("A1")), locked) << c.name;
            EXPECT_FALSE(d->modified) << c.name;
        }
    }
}

TEST_F(PasteTest, CodesAreAddedInClipboardOrderUpdatedOrOmitted)
{
    const PasteReport r = paste(PasteCodes,
                                "N1\tNew one\t3\t5\r\n"
                                "ABCDEFGHIJKLMNOP1\tToo long\r\n"
                                "N2\r\n"
                                "B2\tBiology\r\n"
                                "C3\t\t9\r\n" // category 9 counts as 7, more than are defined
                                "A1\tAlgebra\t1\r\n"
                                "\t\r\n"
                                "G1\tA resource\r\n",
                                true, id("B2"));
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.updated, 2);
    EXPECT_EQ(r.omitted, 2);
    EXPECT_EQ(r.sample, "ABCDEFGHIJKLMNOP1,C3,");
    EXPECT_EQ(findCode(*d, "ABCDEFGHIJKLMNO"), 0) << "never cut to a shorter code";
    // New codes go in before the current code, in the clipboard's order.
    EXPECT_EQ(id("N1") + 1, id("N2"));
    EXPECT_EQ(id("N2") + 1, id("B2"));
    EXPECT_EQ(categoryOf(*d, id("N1")), 3);
    EXPECT_EQ(d->codes[id("N1")].planned, 5);
    EXPECT_EQ(categoryOf(*d, id("N2")), 1);
    // Cells a line does not hold leave their fields alone; a category keeps the lock.
    EXPECT_EQ(d->codes[id("B2")].name.view(), "Biology");
    EXPECT_EQ(d->codes[id("B2")].planned, 3);
    EXPECT_EQ(d->codes[id("C3")].name.view(), "Chemistry");
    EXPECT_EQ(categoryOf(*d, id("A1")), 1);
    EXPECT_TRUE(isLockedCode(*d, id("A1")));
    EXPECT_EQ(d->codes[id("G1")].name.view(), "Name of G1") << "a resource in the Events view";
    EXPECT_TRUE(d->modified);
}

TEST_F(PasteTest, WeeklyPeriodsKeepLocksPastWeeksBookingsAndWhatIsScheduled)
{
    d->codes[id("A1")].flags &= static_cast<std::uint16_t>(~LockedBit);
    d->currentWeek = 2;
    // B2: week 1 is past; C3: nothing scheduled in week 2; A1: week 2 has 2 scheduled.
    PasteReport r = paste(PasteWeeksGrid, "A1\t9\t0\r\nB2\t7\t4\r\nC3\t0\t300\r\n");
    EXPECT_EQ(r.updated, 3);
    const auto weeks = [&](std::string_view code) {
        WeekAllocation wa;
        loadWeekAllocation(*d, id(code), wa);
        return std::vector<int>{wa.allocated[1], wa.allocated[2]};
    };
    EXPECT_EQ(weeks("A1"), (std::vector<int>{2, 2})) << "not below what is scheduled";
    EXPECT_EQ(weeks("B2"), (std::vector<int>{1, 4})) << "week 1 is before the current week";
    EXPECT_EQ(weeks("C3"), (std::vector<int>{0, 210})) << "at most the slots of a week";

    d = clipFixture(); // A1 locked
    const std::string before = dumpScheduleData(*d);
    r = paste(PasteWeeksGrid, "A1\t5\t5\r\n");
    EXPECT_EQ(r.omitted, 1);
    EXPECT_EQ(dumpScheduleData(*d), before);
}

TEST_F(PasteTest, EventResourcesAreReplacedAddedAndRemoved)
{
    PasteReport r = paste(PasteAddResources, "B2\tT1\tnobody\tA1\tT2\r\n\tG1\r\n");
    EXPECT_EQ(members("B2"), "G2 T2 T1 ");
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.omitted, 1) << "the line without a code";
    EXPECT_EQ(r.sample, "nobody,") << "an empty code is not sampled";
    r = paste(PasteRemoveResources, "B2\tG2\r\n");
    EXPECT_EQ(members("B2"), "T2 T1 ");
    r = paste(PasteReplaceResources, "C3\tT2\tR1\r\nA1\tG2\r\n");
    EXPECT_EQ(members("C3"), "T2 R1 ");
    EXPECT_EQ(members("A1"), "G1 T1 R1 ") << "a locked event";
    EXPECT_EQ(r.omitted, 1);
}

TEST_F(PasteTest, CodeConversionRenamesWithCommentsAndNeverOntoAnotherCode)
{
    PasteReport r =
        paste(PasteCodeConversion, "T1\tT9\r\nA1\tB2\r\nG1\t\r\nG2\tABCDEFGHIJKLMNOPQ\r\n");
    EXPECT_EQ(r.updated, 1);
    EXPECT_NE(id("T9"), 0);
    EXPECT_EQ(findComment(*d, 1, "T9", 1, 1).text, "Bring books");
    EXPECT_NE(id("A1"), 0);
    EXPECT_NE(id("G2"), 0);
}

TEST_F(PasteTest, MappingOneToManyAndManyToOne)
{
    d->codes[id("A1")].flags &= static_cast<std::uint16_t>(~LockedBit);
    PasteReport r = paste(PasteOneToMany, "T1\tT2\tG2\r\n", false);
    EXPECT_EQ(members("A1"), "G1 T2 G2 R1 ");
    EXPECT_EQ(r.added, 1);
    r = paste(PasteManyToOne, "T1\tT2\tG2\r\n", false);
    EXPECT_EQ(members("A1"), "G1 T1 R1 ");
    EXPECT_EQ(members("B2"), "T1 ") << "B2 held both T2 and G2";
    EXPECT_EQ(r.added, 2);
}

TEST_F(PasteTest, MappingIntoAFullCollectionRemovesNoMember)
{
    FixtureBuilder f(*d);
    std::vector<std::string> codes;
    for (int i = 0; i < MaxMembers; ++i)
        codes.push_back("M" + std::to_string(i));
    for (const std::string &c : codes)
        f.resources('G', {c});
    MemberList m{};
    for (const std::string &c : codes)
        m[static_cast<std::size_t>(++m[0])] = id(c);
    ASSERT_GT(setCollection(*d, id("C3"), m), 0);
    const std::string before = members("C3");
    const PasteReport r = paste(PasteOneToMany, "M5\tT1\tT2\r\n", false);
    EXPECT_EQ(members("C3"), before);
    EXPECT_EQ(r.omitted, 1);
    EXPECT_EQ(r.sample, "C3,");
}

TEST_F(PasteTest, SelectionAddsToTheEventWithFewestLinksAndRemoves)
{
    // T2's events: B2 only. G1 joins B2 (no conflict, other category).
    PasteReport r = paste(PasteAddSelection, "T2\tG1\tT1\r\n", false);
    EXPECT_EQ(members("B2"), "G2 T2 G1 ");
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.updated, 1);
    r = paste(PasteRemoveSelection, "T2\tG1\r\n", false);
    EXPECT_EQ(members("B2"), "G2 T2 ");
    EXPECT_EQ(r.updated, 1);
}

TEST_F(PasteTest, HostileTextsLeaveAConsistentDataSet)
{
    // Cells drawn from codes, numbers, blanks, over-long and control texts, joined by every
    // separator a clipboard may hold; every kind must keep codes and collections valid.
    const std::vector<std::string> pieces = {
        "A1",   "B2",   "C3", "G1", "G2", "T1",     "T2",
        "R1",   "",     " ",  "7",  "-1", "999999", "ABCDEFGHIJKLMNOPQRS",
        "\x01", "\xE9", "\t", "\r", "\n", "\r\n",   "\0"};
    const int kinds[] = {PasteCodes,           PasteWeeksGrid,       PasteReplaceResources,
                         PasteAddResources,    PasteRemoveResources, PasteCodeConversion,
                         PasteOneToMany,       PasteManyToOne,       PasteAddSelection,
                         PasteRemoveSelection, PasteDeleteCodes};
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::size_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::size_t>((seed >> 8) % n);
    };
    for (const int kind : kinds)
        for (int round = 0; round < 40; ++round) {
            d = clipFixture();
            std::string text;
            for (int i = 0; i < 30; ++i)
                text += pieces[next(pieces.size())];
            for (const bool events : {true, false})
                applyPaste(*d, text, PasteOptions{kind, events, 1, round % 2 == 0});
            for (CodeId c = 1; c <= d->codeCount; ++c) {
                ASSERT_FALSE(d->codes[c].code.view().empty()) << kind << " " << text;
                if (d->codes[c].isEvent()) {
                    ASSERT_LE(collectionOf(*d, c)[0], MaxMembers);
                }
            }
        }
}

TEST_F(PasteTest, TheCommandsAskReportAndDelete)
{
    // Nothing on the clipboard.
    ui.expect("The Clipboard is empty").answer(Answer::Ok);
    EXPECT_FALSE(pasteFromClipboard(*d, p, progress, clipboard, PasteCodes, true, 0));
    // A Tools paste shows what the clipboard names first.
    clipboard.setText("G1\tT1\tX\r\nA1\r\n");
    ui.expect("Clipboard contains 2 resource codes and 1 event codes:").answer(Answer::No);
    EXPECT_FALSE(pasteFromClipboard(*d, p, progress, clipboard, PasteDeleteCodes, true, 0));
    ui.expect("Resource codes (2):\r\nG1, T1, ...").answer(Answer::Yes);
    ui.expect("3 codes found from the Clipboard").answer(Answer::Yes);
    ui.expect("3 codes found and removed.").answer(Answer::Ok);
    ui.expect("Summary").answer(Answer::Ok);
    EXPECT_TRUE(pasteFromClipboard(*d, p, progress, clipboard, PasteDeleteCodes, true, 0));
    EXPECT_EQ(id("G1") + id("T1") + id("A1"), 0);
    // The report after a paste.
    clipboard.setText("B2\tBio\r\nWHAT\tX\r\n");
    ui.expect("1 codes added, 1 updated and 0 omitted.").answer(Answer::Ok);
    ui.expect("Summary").answer(Answer::Ok);
    EXPECT_TRUE(pasteFromClipboard(*d, p, progress, clipboard, PasteCodes, true, 0));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(PasteTest, ACopyReachesTheClipboardAndTheTargetFile)
{
    const std::string file = ::testing::TempDir() + "/clip-target.csv";
    ClipTarget target{ClipTargetType::Csv, file};
    ui.pick({id("A1")});
    ui.expect("was copied to").answer(Answer::Ok);
    EXPECT_TRUE(copyCodesToClipboard(*d, p, clipboard, target, CopyNamesAndCategories, true));
    EXPECT_EQ(clipboard.text(), "A1\tAlgebra\t2\t40\r\n");
    std::ifstream in(file, std::ios::binary);
    std::string csv((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(csv, "A1,Algebra,2,40\r\n");
    // A target that cannot be written is reset and the copy still reaches the clipboard.
    target.file = "/nonexistent-folder/clip.csv";
    ui.pick({id("B2")});
    ui.expect("has been reset").answer(Answer::Ok);
    ui.expect("bytes (of max 65520 bytes)").answer(Answer::Ok);
    EXPECT_TRUE(copyCodesToClipboard(*d, p, clipboard, target, CopyNamesAndCategories, true));
    EXPECT_EQ(target.type, ClipTargetType::Clipboard);
    EXPECT_TRUE(clipboard.text().starts_with("B2\t"));
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

} // namespace
} // namespace quivra
