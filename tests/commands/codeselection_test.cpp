// The code selection dialog's state: what it lists and checks on opening, and what each of its
// controls checks; and the Options command that leaves a selection in the link marks.

#include "commands/codeselection.h"

#include "engine/codetable.h"
#include "support/fixture.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quivra;

namespace {

class CodeSelectionTest : public ::testing::Test
{
protected:
    // Five events whose codes exercise the masks: 123, 1X3 and 124 of category 1 (Basic), 1 and
    // 12 of category 2 (Middle); 1 is locked and 12 has no resources.
    CodeSelectionTest() : d(makeScheduleData()), f(*d)
    {
        f.calendar(4, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        f.event("123", {"T1", "R1"}, 4, 1).allocate("123", 1, 2, 2);
        f.event("1X3", {"T2"}, 3, 1);
        f.event("124", {"T1"}, 2, 1);
        f.event("1", {"T2", "R1"}, 1, 2);
        f.event("12", {}, 5, 2);
        f.finish();
        d->codes[f.id("1")].flags |= LockedBit;
    }

    CodePickRequest request(bool events, int mode = PickStartAllChecked,
                            std::vector<CodeId> preset = {}) const
    {
        CodePickRequest r;
        r.mode = mode;
        const auto &order = events ? d->eventList : d->resourceList;
        for (int i = 1; i <= order[0]; ++i)
            r.offered.push_back(order[static_cast<std::size_t>(i)]);
        r.preset = std::move(preset);
        return r;
    }

    std::vector<std::string> checkedTexts(const CodeSelection &s) const
    {
        std::vector<std::string> out;
        for (const CodeId c : s.checkedCodes())
            out.push_back(d->codes[c].code.str());
        return out;
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
};

using Texts = std::vector<std::string>;

TEST_F(CodeSelectionTest, OpeningChecksByStartModeAndListsEachCodeOnce)
{
    CodeSelection all(*d, request(true));
    EXPECT_EQ(all.size(), 5);
    EXPECT_EQ(all.checkedCount(), 5);
    EXPECT_EQ(all.selectedText(), "5 out of 5 selected");
    EXPECT_EQ(all.countText(), "5 events (5 shown)");
    EXPECT_EQ(all.mask(), std::string(15, '?'));
    EXPECT_EQ(all.rangeSize(), 0); // no range before one is chosen

    all.clearAll();
    EXPECT_EQ(all.checkedCount(), 0);
    EXPECT_EQ(all.sumsText(),
              " PLANNED = 0\n ALLOCATED = 0\n SCHEDULED = 0\n LINKS = 0\n EMPTY = 0");

    // Start from the preset; a code offered twice or not at all is listed once or not.
    CodePickRequest r = request(true, 0, {f.id("124")});
    r.offered.push_back(r.offered.front());
    r.offered.push_back(999);
    CodeSelection preset(*d, r);
    EXPECT_EQ(preset.size(), 5);
    EXPECT_EQ(checkedTexts(preset), Texts{"124"});
}

TEST_F(CodeSelectionTest, MasksMatchEveryPositionTheCodeHas)
{
    EXPECT_EQ(CodeSelection::normaliseMask("1?3"), "1?3????????????");
    EXPECT_EQ(CodeSelection::normaliseMask("ABCDEFGHIJKLMNOPQ"), "ABCDEFGHIJKLMNO");

    const struct
    {
        const char *mask;
        Texts checked;
    } cases[] = {
        {"1?3", {"123", "1X3", "1", "12"}}, // beyond a code's length nothing is compared
        {"", {"123", "1X3", "124", "1", "12"}},
        {"12", {"123", "124", "1", "12"}},
        {"?X", {"1X3", "1"}},
        {"2", {}},
        {"1234", {"123", "1", "12"}},
    };
    CodeSelection s(*d, request(true));
    for (const auto &c : cases) {
        s.applyMask(c.mask);
        EXPECT_EQ(checkedTexts(s), c.checked) << "mask " << c.mask;
        EXPECT_EQ(s.mask(), CodeSelection::normaliseMask(c.mask));
    }
}

TEST_F(CodeSelectionTest, CategoriesCheckExactlyTheirCodes)
{
    CodeSelection s(*d, request(true));
    ASSERT_EQ(s.categories().size(), std::size_t{3}); // the named ones
    EXPECT_EQ(s.categories()[0].label, "Basic (3)");
    EXPECT_EQ(s.categories()[1].label, "Middle (2)");

    // Events all carry the event kind bit: it must not count as a checked category.
    s.setChecked(3, false);
    s.setCategoryChecked(1, false);
    EXPECT_EQ(checkedTexts(s), (Texts{"123", "1X3", "124"}));
    s.setCategoryChecked(0, false);
    EXPECT_EQ(s.checkedCount(), 0);

    s.invert();
    EXPECT_EQ(s.checkedCount(), 5);
    EXPECT_TRUE(s.categories()[0].checked && s.categories()[1].checked);
    s.setChecked(0, false);
    s.invert();
    EXPECT_EQ(checkedTexts(s), Texts{"123"});
    s.checkAll();
    EXPECT_EQ(s.checkedCount(), 5);

    // Resources list their own categories.
    CodeSelection r(*d, request(false));
    EXPECT_EQ(r.categories()[1].label, "Teachers (2)");
    r.setCategoryChecked(1, false);
    EXPECT_EQ(checkedTexts(r), Texts{"R1"});
}

TEST_F(CodeSelectionTest, LinksAddTheCodesLinkedWithTheOtherKind)
{
    CodeSelection events(*d, request(true, 0, {f.id("12")}));
    const std::vector<CodeId> candidates = events.linkCandidates();
    EXPECT_EQ(candidates, (std::vector<CodeId>{f.id("T1"), f.id("T2"), f.id("R1")}));
    events.addLinked({f.id("T1")});
    EXPECT_EQ(checkedTexts(events), (Texts{"123", "124", "12"})); // the earlier check stays
    events.addLinked({});
    EXPECT_EQ(events.checkedCount(), 3);

    CodeSelection resources(*d, request(false, 0));
    resources.addLinked({f.id("1")});
    EXPECT_EQ(checkedTexts(resources), (Texts{"T2", "R1"}));

    // With both kinds listed there is no other kind to link with.
    CodePickRequest both = request(true);
    const CodePickRequest more = request(false);
    both.offered.insert(both.offered.end(), more.offered.begin(), more.offered.end());
    EXPECT_TRUE(CodeSelection(*d, both).linkCandidates().empty());
}

TEST_F(CodeSelectionTest, LockStateRangesAndSums)
{
    CodeSelection s(*d, request(true));
    EXPECT_EQ(s.lockedCount(), 1);
    EXPECT_EQ(s.unlockedCount(), 4);
    s.selectByLock(LockFilter::Locked);
    EXPECT_EQ(checkedTexts(s), Texts{"1"});
    s.selectByLock(LockFilter::Unlocked);
    EXPECT_EQ(s.checkedCount(), 4);
    s.selectByLock(LockFilter::All);
    EXPECT_EQ(s.checkedCount(), 5);

    const struct
    {
        int first, last, size;
    } ranges[] = {{1, 3, 3}, {2, 2, 1}, {3, 1, 0}, {-1, 2, 0}, {0, 5, 0}, {0, 4, 5}};
    for (const auto &r : ranges) {
        s.setRangeFirst(r.first);
        s.setRangeLast(r.last);
        EXPECT_EQ(s.rangeSize(), r.size) << r.first << ".." << r.last;
    }
    s.setRangeFirst(1);
    s.setRangeLast(2);
    s.checkRange(false);
    EXPECT_EQ(checkedTexts(s), (Texts{"123", "1", "12"}));
    s.setRangeLast(0); // an empty range changes nothing
    s.checkRange(false);
    EXPECT_EQ(s.checkedCount(), 3);

    const SelectionSums sums = s.sums();
    const CodeRecord &a = d->codes[f.id("123")], &b = d->codes[f.id("1")],
                     &c = d->codes[f.id("12")];
    EXPECT_EQ(sums.planned, a.planned + b.planned + c.planned);
    EXPECT_EQ(sums.allocated, a.allocated + b.allocated + c.allocated);
    EXPECT_EQ(sums.scheduled, a.scheduled + b.scheduled + c.scheduled);
    EXPECT_EQ(sums.links, a.links + b.links + c.links);
    EXPECT_EQ(sums.empty, 1); // 12 has no resources
    EXPECT_EQ(sums.planned, 10);
    EXPECT_EQ(sums.allocated, 4);
}

TEST_F(CodeSelectionTest, MarkingOneKindKeepsTheOtherKindsMarks)
{
    const CodeId t1 = f.id("T1"), t2 = f.id("T2"), e1 = f.id("123"), e2 = f.id("124");
    d->codes[t1].flags |= AllMarks; // a selection of resources
    d->codes[e1].flags |= AllMarks; // and one of events
    ScriptedDialogs ui;
    ui.cancel().pick({e2, t2}); // T2 was not offered
    Prompter p(ui);

    EXPECT_FALSE(selectCodesToMark(*d, p, true)); // cancelled: nothing changes
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].checked, std::vector<int>{e1}); // starts from the marks
    EXPECT_EQ(ui.shown()[0].options.size(), 5u);            // events only
    EXPECT_EQ(d->codes[e1].flags & LinkMarksMask, AllMarks);

    EXPECT_FALSE(selectCodesToMark(*d, p, true));
    EXPECT_EQ(d->codes[e2].flags & LinkMarksMask, AllMarks);
    EXPECT_EQ(d->codes[e1].flags & LinkMarksMask, 0);
    EXPECT_EQ(d->codes[t1].flags & LinkMarksMask, AllMarks); // the resource kept its marks
    EXPECT_EQ(d->codes[t2].flags & LinkMarksMask, 0);
    EXPECT_FALSE(d->modified);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST_F(CodeSelectionTest, LockLocksOrUnlocksTheCheckedOrTheUncheckedEvents)
{
    const auto locked = [&] {
        std::vector<std::string> out;
        for (int i = 1; i <= d->eventList[0]; ++i) {
            const CodeId e = d->eventList[static_cast<std::size_t>(i)];
            if (isLockedCode(*d, e))
                out.push_back(d->codes[e].code.str());
        }
        return out;
    };
    using V = std::vector<std::string>;
    struct Case
    {
        LockOperation op;
        V after;
    };
    // Checked: 123 and 1 (locked); unchecked: 1X3, 124, 12.
    const Case cases[] = {
        {LockOperation::LockChecked, {"123", "1"}},
        {LockOperation::UnlockChecked, {}},
        {LockOperation::LockUnchecked, {"1X3", "124", "1", "12"}},
        {LockOperation::UnlockUnchecked, {"1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.op));
        for (int i = 1; i <= d->eventList[0]; ++i)
            d->codes[d->eventList[static_cast<std::size_t>(i)]].flags &= ~LockedBit;
        d->codes[f.id("1")].flags |= LockedBit;
        CodePickRequest r = request(true, 0, {f.id("123"), f.id("1")});
        r.setLocks = [&](const std::vector<CodeId> &events, bool on) {
            for (const CodeId e : events)
                setLock(*d, e, on ? LockMode::Lock : LockMode::Unlock);
        };
        CodeSelection s(*d, r);
        ASSERT_TRUE(s.canLock());
        s.lock(c.op);
        EXPECT_EQ(locked(), c.after);
        EXPECT_EQ(s.lockedCount(), static_cast<int>(c.after.size()));
    }

    // Without a way to lock (resources, or a caller that gives none) nothing is offered.
    EXPECT_FALSE(CodeSelection(*d, request(true)).canLock());
    EXPECT_EQ(CodeSelection(*d, request(true)).lock(LockOperation::LockChecked), 0);
}

} // namespace

TEST_F(CodeSelectionTest, FixedCategoryAndEventFilterNarrowTheList)
{
    struct Case
    {
        const char *name;
        int fixedCategory;
        EventFilter filter;
        Texts listed;
    };
    const std::vector<Case> cases = {
        {"all", 0, EventFilter::All, {"123", "1X3", "124", "1", "12"}},
        {"with a room", 0, EventFilter::WithRoom, {"123", "1"}},
        {"without a room", 0, EventFilter::WithoutRoom, {"1X3", "124", "12"}},
        {"fully scheduled", 0, EventFilter::FullyScheduled, {"1X3", "124", "1", "12"}},
        {"any scheduled", 0, EventFilter::AnyScheduled, {}},
        {"not fully scheduled", 0, EventFilter::NotFullyScheduled, {"123"}},
        {"category 2", 2, EventFilter::All, {"1", "12"}},
        {"category 2 with a room", 2, EventFilter::WithRoom, {"1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CodePickRequest r = request(true);
        r.fixedCategory = c.fixedCategory;
        r.eventFilter = c.filter;
        const CodeSelection s(*d, r);
        Texts listed;
        for (const CodeId code : s.codes())
            listed.push_back(d->codes[code].code.str());
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(s.checkedCount(), s.size());
        EXPECT_EQ(s.categoryFixed(), c.fixedCategory != 0);
        if (c.fixedCategory != 0) {
            ASSERT_EQ(s.categories().size(), 1u);
            EXPECT_EQ(s.categories()[0].number, c.fixedCategory);
        }
    }
}

TEST_F(CodeSelectionTest, APickerWithAFilterOffersOnlyWhatPassesAndClearsTheRestOnOk)
{
    ScriptedDialogs ui;
    Prompter p(ui);
    const CodeId withRoom = f.id("123");
    d->codes[withRoom].flags |= AllMarks;
    // Cancel leaves every mark as it was.
    ui.cancel();
    EXPECT_FALSE(p.pickCodes(*d, "Pick", 0, PickEvents, {0, EventFilter::WithoutRoom}));
    EXPECT_EQ(d->codes[withRoom].flags & LinkMarksMask, AllMarks);
    // A code the filter left out cannot come back chosen, and loses its marks on OK.
    ui.pick({f.id("1X3"), withRoom});
    const auto chosen = p.pickCodes(*d, "Pick", 0, PickEvents, {0, EventFilter::WithoutRoom});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, std::vector<CodeId>{f.id("1X3")});
    EXPECT_EQ(d->codes[withRoom].flags & LinkMarksMask, 0);
    EXPECT_EQ(d->codes[f.id("1X3")].flags & LinkMarksMask, AllMarks);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}
