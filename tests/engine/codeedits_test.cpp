// The edits of single fields mark the data set modified when they change what it holds, and only
// then; a selection carried in the marks is no change at all.

#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/notes.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace quivra;

namespace {

TEST(CodeEdits, MarkModifiedOnlyWhenTheyChangeSomething)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
    f.event("MATH", {"T1", "R1"}, 2).comment("1;;wk1").memo("T1", "part time").finish();
    const CodeId t1 = f.id("T1");
    const CodeId math = f.id("MATH");
    const int teacherCategory = categoryOf(*d, t1);

    struct Case
    {
        const char *name;
        std::function<void()> edit;
        bool changes;
    };
    const std::vector<Case> cases = {
        {"colour", [&] { setCodeColour(*d, t1, 0x102030); }, true},
        {"same colour", [&] { setCodeColour(*d, t1, 0x102030); }, false},
        {"invalid code", [&] { setCodeColour(*d, 0, 7); }, false},
        {"name", [&] { setCodeName(*d, math, "Maths"); }, true},
        {"same name", [&] { setCodeName(*d, math, "Maths"); }, false},
        {"category", [&] { setCodesCategory(*d, {t1}, teacherCategory + 1); }, true},
        {"same category", [&] { setCodesCategory(*d, {t1}, teacherCategory + 1); }, false},
        {"rules", [&] { setResourceCategoryRules(*d, 0x02, 0x06); }, true},
        {"same rules", [&] { setResourceCategoryRules(*d, 0x02, 0x06); }, false},
        {"booking kind", [&] { setDefaultBookingKind(*d, BookingOwner::Events, 3); }, true},
        {"same booking kind", [&] { setBookingDefaults(*d, 3, 1, false); }, false},
        {"occupied", [&] { setBookingDefaults(*d, 3, 1, true); }, true},
        {"conflict source", [&] { noteConflictSource(*d, 2, 46000); }, true},
        {"marks", [&] { setMarks(*d, 1, d->codeCount, AllMarks); }, false},
        {"linked marks", [&] { markLinked(*d, math, AllMarks); }, false},
        {"cleared marks", [&] { clearMarks(*d, 1, d->codeCount, AllMarks); }, false},
        {"comment", [&] { addComment(*d, 1, "exam", "MATH", 1, 1); }, true},
        {"no comment to erase", [&] { eraseComments(*d, 2, "MATH", 1, 1, 1, 1); }, false},
        {"comments", [&] { eraseAllComments(*d); }, true},
        {"no comments", [&] { eraseAllComments(*d); }, false},
        {"memos", [&] { eraseAllMemos(*d); }, true},
        {"no memos", [&] { eraseAllMemos(*d); }, false},
    };
    for (const Case &c : cases) {
        d->modified = false;
        c.edit();
        EXPECT_EQ(d->modified, c.changes) << c.name;
    }
    EXPECT_EQ(d->codes[t1].colour, 0x102030);
    EXPECT_EQ(categoryOf(*d, t1), teacherCategory + 1);
    EXPECT_EQ(d->header.defaultEventBookingKind, 3);
    EXPECT_EQ(d->header.conflictSourceCounters[2] >> 16, 1);
}

} // namespace
