// The information window's content: the outline of a code, its button, and the steps of
// Previous and Next through the list.

#include "commands/codeinfo.h"
#include "engine/codetable.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quivra;

namespace {

class CodeInfoTest : public ::testing::Test
{
protected:
    CodeInfoTest() : d(makeScheduleData()), f(*d)
    {
        f.calendar(2, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        f.event("MATH", {"T1", "R1"}, 4).allocate("MATH", 1, 2, 2).place("MATH", 1, 1, 1, 2);
        f.event("ENG", {"T2"}, 2);
        f.finish();
        d->codes[f.id("ENG")].flags |= LockedBit;
    }

    bool has(const CodeInfo &info, const std::string &line)
    {
        return std::ranges::find(info.lines, line) != info.lines.end();
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
};

TEST_F(CodeInfoTest, OutlineShowsTotalsAndLinks)
{
    const CodeInfo math = codeInfo(*d, f.id("MATH"), true);
    EXPECT_EQ(math.caption, "Event info");
    ASSERT_FALSE(math.lines.empty());
    EXPECT_TRUE(math.lines[0].starts_with("MATH"));
    for (const char *line : {"  PLANNED: 4", "  ALLOCATED: 4", "  SCHEDULED: 2", "  LEFT: 2",
                             "Resources (2)"})
        EXPECT_TRUE(has(math, line)) << line;
    EXPECT_TRUE(std::ranges::any_of(math.lines, [](const std::string &l) {
        return l.starts_with("  T1 ");
    }));

    const CodeInfo t1 = codeInfo(*d, f.id("T1"), true);
    EXPECT_EQ(t1.caption, "Resource info");
    EXPECT_TRUE(has(t1, "Events (1)"));
    EXPECT_TRUE(codeInfo(*d, 0, true).lines.empty());
}

TEST_F(CodeInfoTest, ButtonEditsUnlessLockedOrNotOffered)
{
    struct Case
    {
        const char *code;
        bool editingAllowed;
        const char *button;
        const char *hintStart;
    };
    const Case cases[] = {
        {"T1", true, "Edit?", "Click here to edit \""},
        {"MATH", true, "Edit?", "Click here to edit \""},
        {"ENG", true, "Close", "Close this view (this event is locked)"},
        {"T1", false, "Close", "Close this view"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        const CodeInfo info = codeInfo(*d, f.id(c.code), c.editingAllowed);
        EXPECT_EQ(info.button, c.button);
        EXPECT_EQ(info.canEdit, std::string(c.button) == "Edit?");
        EXPECT_TRUE(info.hint.starts_with(c.hintStart)) << info.hint;
    }
    EXPECT_TRUE(has(codeInfo(*d, f.id("ENG"), true), "  Locked"));
}

TEST_F(CodeInfoTest, PreviousAndNextStayWithinTheirList)
{
    const CodeId t1 = f.id("T1"), t2 = f.id("T2"), r1 = f.id("R1");
    EXPECT_EQ(codeInfoNeighbour(*d, t1, -1), t1);
    EXPECT_EQ(codeInfoNeighbour(*d, t1, +1), t2);
    EXPECT_EQ(codeInfoNeighbour(*d, r1, +1), r1); // the last resource; events are not next
    EXPECT_EQ(codeInfoNeighbour(*d, f.id("MATH"), +1), f.id("ENG"));
    EXPECT_EQ(codeInfoNeighbour(*d, 0, +1), 0);
}

} // namespace
