#include "engine/codetable.h"

#include "engine/calendar.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace quivra {
namespace {

CodeRecord record(std::string_view code, bool event, int category, std::string_view name = {})
{
    CodeRecord r;
    r.code.assign(code);
    r.name.assign(name);
    r.flags = static_cast<std::uint16_t>((event ? IsEventBit : 0) |
                                         (1 << (CategoryShift + category - 1)));
    r.planned = 1;
    return r;
}

CodeId add(ScheduleData &d, std::string_view code, bool event, int category,
           std::string_view name = {})
{
    d.codes[++d.codeCount] = record(code, event, category, name);
    return static_cast<CodeId>(d.codeCount);
}

void setMembers(ScheduleData &d, CodeId event, std::vector<CodeId> members)
{
    d.collection[++d.collectionEntryCount] = event | CollectionMarkerBit;
    d.codes[event].collectionPos = static_cast<std::uint16_t>(d.collectionEntryCount);
    for (const CodeId m : members)
        d.collection[++d.collectionEntryCount] = m;
    d.codes[event].links = static_cast<std::uint16_t>(members.size());
    ++d.collectionCount;
}

void addLecture(ScheduleData &d, std::uint16_t word, int day, int bell, int kind = 0)
{
    const int k = ++d.lectureCount;
    d.lectureWord[k] = word;
    d.lectureStart[k] = d.coding.pack(1, day, bell);
    d.lectureEnd[k] = d.coding.pack(1, day, bell);
    d.bookingKind[k] = static_cast<std::int16_t>(kind);
}

void addManualRoom(ScheduleData &d, SlotCode slot, CodeId event, CodeId room)
{
    const int base = 1 + d.manualRooms[0];
    d.manualRooms[base] = slot;
    d.manualRooms[base + 1] = event;
    d.manualRooms[base + 2] = room;
    d.manualRooms[0] = static_cast<std::uint16_t>(d.manualRooms[0] + 3);
}

std::vector<std::uint16_t> liveCollection(const ScheduleData &d)
{
    std::vector<std::uint16_t> out;
    for (int k = 1; k <= d.collectionEntryCount; ++k) {
        if (d.collection[k] != 0)
            out.push_back(d.collection[k]);
    }
    return out;
}

// Words of the live lecture entries, sorted: the recount may reorder the store.
std::vector<std::uint16_t> liveLectureWords(const ScheduleData &d)
{
    std::vector<std::uint16_t> out;
    for (int k = 1; k <= d.lectureCount; ++k) {
        if (d.lectureWord[k] != 0)
            out.push_back(d.lectureWord[k]);
    }
    std::sort(out.begin(), out.end());
    return out;
}

using Triple = std::array<std::uint16_t, 3>;
std::vector<Triple> manualRooms(const ScheduleData &d)
{
    std::vector<Triple> out;
    for (int base = 1; base + 2 <= d.manualRooms[0]; base += 3)
        out.push_back({d.manualRooms[base], d.manualRooms[base + 1], d.manualRooms[base + 2]});
    return out;
}

using Pair = std::array<int, 3>;
std::vector<Pair> assignments(const ScheduleData &d)
{
    std::vector<Pair> out;
    for (int k = 1; k <= d.assignmentCount; ++k)
        out.push_back({d.assignments[k].event, d.assignments[k].resource, d.assignments[k].role});
    return out;
}

std::vector<std::string> codeTexts(const ScheduleData &d)
{
    std::vector<std::string> out;
    for (int c = 1; c <= d.codeCount; ++c)
        out.push_back(d.codes[c].code.str());
    return out;
}

// Event E (members R and Q), resources R and Q; E has a timetable lecture, R a booking of kind
// 2; E has manual rooms in Q and in R; roles for both members; R is the current code.
struct ThreeCodes
{
    std::unique_ptr<ScheduleData> d = makeScheduleData();
    SlotCode slot1 = 0, slot2 = 0;

    ThreeCodes()
    {
        ScheduleData &s = *d;
        const CodeId e = add(s, "E", true, 1);
        const CodeId r = add(s, "R", false, 2);
        const CodeId q = add(s, "Q", false, 3);
        setMembers(s, e, {r, q});
        addLecture(s, LectureEventBit | e, 1, 1);
        addLecture(s, LectureBookingBit | r, 2, 1, 2);
        slot1 = s.coding.pack(1, 1, 1);
        slot2 = s.coding.pack(1, 1, 2);
        addManualRoom(s, slot1, e, q);
        addManualRoom(s, slot2, e, r);
        s.roles[1].id = 1;
        s.roles[1].name.assign("Lead");
        s.roleCount = 1;
        s.assignments[1] = {e, r, 1};
        s.assignments[2] = {e, q, 1};
        s.assignmentCount = 2;
        s.memos = {"R;note on R", "Q;mentions ;R; in its text"};
        s.currentCode = r;
        s.currentEvent = e;
    }
};

TEST(CodeTableInsert, AtFrontRenumbersEveryStore)
{
    ThreeCodes f;
    ScheduleData &d = *f.d;
    ASSERT_EQ(insertCode(d, 1, record("N", false, 2)), 1);

    EXPECT_EQ(codeTexts(d), (std::vector<std::string>{"N", "E", "R", "Q"}));
    EXPECT_EQ(liveCollection(d), (std::vector<std::uint16_t>{2 | CollectionMarkerBit, 3, 4}));
    EXPECT_EQ(liveLectureWords(d),
              (std::vector<std::uint16_t>{LectureEventBit | 2, LectureBookingBit | 3}));
    EXPECT_EQ(manualRooms(d), (std::vector<Triple>{{f.slot1, 2, 4}, {f.slot2, 2, 3}}));
    EXPECT_EQ(assignments(d), (std::vector<Pair>{{2, 3, 1}, {2, 4, 1}}));
    EXPECT_EQ(d.currentCode, 3);
    EXPECT_EQ(d.currentEvent, 2);
    EXPECT_TRUE(d.modified);
}

TEST(CodeTableInsert, PositionRules)
{
    struct Row
    {
        const char *name;
        int position;
        int expected;
    };
    const Row rows[] = {
        {"zero appends", 0, 3},
        {"just past the end appends", 3, 3},
        {"far past the end inserts at the front", 50, 1},
        {"above the table capacity is refused", MaxCodes + 1, 0},
        {"negative is refused", -1, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto d = makeScheduleData();
        add(*d, "A", false, 1);
        add(*d, "B", false, 1);
        EXPECT_EQ(insertCode(*d, row.position, record("N", false, 1)), row.expected);
        EXPECT_EQ(d->codeCount, row.expected == 0 ? 2 : 3);
    }

    auto d = makeScheduleData();
    EXPECT_EQ(insertCode(*d, 0, record("", false, 1)), 0) << "an empty code is refused";
    d->codeCount = MaxCodes;
    EXPECT_EQ(insertCode(*d, 0, record("N", false, 1)), 0) << "a full table is refused";
    EXPECT_EQ(d->codeCount, MaxCodes);
    EXPECT_FALSE(d->modified);
}

TEST(CodeTableDelete, ResourceLeavesEveryStore)
{
    ThreeCodes f;
    ScheduleData &d = *f.d;
    ASSERT_TRUE(deleteCode(d, 2));

    EXPECT_EQ(codeTexts(d), (std::vector<std::string>{"E", "Q"}));
    EXPECT_EQ(liveCollection(d), (std::vector<std::uint16_t>{1 | CollectionMarkerBit, 2}));
    EXPECT_EQ(liveLectureWords(d), (std::vector<std::uint16_t>{LectureEventBit | 1}));
    // The slot that was in R keeps its event and waits for a room.
    EXPECT_EQ(manualRooms(d), (std::vector<Triple>{{f.slot1, 1, 2}, {f.slot2, 1, 0}}));
    EXPECT_EQ(assignments(d), (std::vector<Pair>{{1, 2, 1}}));
    EXPECT_EQ(d.currentCode, 0);
    EXPECT_EQ(d.codes[3].code.str(), "") << "the record above the count is cleared";
    // Only the memo of R itself goes, not one that mentions R in its text.
    EXPECT_EQ(d.memos, (std::vector<std::string>{"Q;mentions ;R; in its text"}));
}

TEST(CodeTableDelete, EventVoidsItsManualRoomsAndCollection)
{
    ThreeCodes f;
    ScheduleData &d = *f.d;
    ASSERT_TRUE(deleteCode(d, 1));

    EXPECT_EQ(codeTexts(d), (std::vector<std::string>{"R", "Q"}));
    EXPECT_TRUE(liveCollection(d).empty());
    EXPECT_EQ(liveLectureWords(d), (std::vector<std::uint16_t>{LectureBookingBit | 1}));
    for (const Triple &t : manualRooms(d))
        EXPECT_EQ(t[0], 0) << "a triple of the deleted event is void";
    EXPECT_TRUE(assignments(d).empty());
    EXPECT_EQ(d.currentEvent, 0);
    EXPECT_EQ(d.currentCode, 1);

    EXPECT_FALSE(deleteCode(d, 0));
    EXPECT_FALSE(deleteCode(d, 3));
}

TEST(CodeTableSwap, ExchangesEveryReference)
{
    ThreeCodes f;
    ScheduleData &d = *f.d;
    swapCodes(d, 1, 3);

    EXPECT_EQ(codeTexts(d), (std::vector<std::string>{"Q", "R", "E"}));
    EXPECT_EQ(liveCollection(d), (std::vector<std::uint16_t>{3 | CollectionMarkerBit, 2, 1}));
    EXPECT_EQ(liveLectureWords(d),
              (std::vector<std::uint16_t>{LectureEventBit | 3, LectureBookingBit | 2}));
    EXPECT_EQ(manualRooms(d), (std::vector<Triple>{{f.slot1, 3, 1}, {f.slot2, 3, 2}}));
    EXPECT_EQ(assignments(d), (std::vector<Pair>{{3, 2, 1}, {3, 1, 1}}));
    EXPECT_EQ(d.currentEvent, 3);
    EXPECT_EQ(d.currentCode, 2);
}

// A booking of resource 4500 of kind 2 while the table grows past 4095 codes and shrinks back:
// the word must keep naming the same code and the kind must stay out of the word.
TEST(CodeTableMask, WidensAt4096AndNarrowsAt4095)
{
    auto d = makeScheduleData();
    for (int i = 1; i <= 4600; ++i)
        add(*d, "C" + std::to_string(i), false, 1);
    const CodeId event = add(*d, "E", true, 1);
    setMembers(*d, event, {4500});
    d->lectureCodeMask = WideCodeMask;
    addLecture(*d, LectureBookingBit | 4500, 1, 1, 2);

    auto booking = [&]() -> int {
        for (int k = 1; k <= d->lectureCount; ++k) {
            if (d->lectureWord[k] & LectureBookingBit)
                return k;
        }
        return 0;
    };

    for (int i = 0; i < 505; ++i) {
        EXPECT_EQ(d->lectureCodeMask, WideCodeMask) << "at " << d->codeCount << " codes";
        ASSERT_TRUE(deleteCode(*d, 1));
    }
    ASSERT_EQ(d->codeCount, 4096);
    EXPECT_EQ(d->lectureCodeMask, WideCodeMask);
    ASSERT_TRUE(deleteCode(*d, 1));
    EXPECT_EQ(d->lectureCodeMask, NarrowCodeMask);
    EXPECT_EQ(d->codes[3994].code.str(), "C4500");
    ASSERT_NE(booking(), 0);
    EXPECT_EQ(d->lectureWord[booking()], LectureBookingBit | 3994);
    EXPECT_EQ(d->bookingKind[booking()] & 0xFF, 2);
    EXPECT_EQ(liveCollection(*d), (std::vector<std::uint16_t>{4095 | CollectionMarkerBit, 3994}));

    for (int i = 0; i < 506; ++i)
        ASSERT_EQ(insertCode(*d, 1, record("N" + std::to_string(i), false, 1)), 1);
    EXPECT_EQ(d->lectureCodeMask, WideCodeMask);
    EXPECT_EQ(d->codes[4500].code.str(), "C4500");
    EXPECT_EQ(d->lectureWord[booking()], LectureBookingBit | 4500);
    EXPECT_EQ(d->bookingKind[booking()] & 0xFF, 2);
    EXPECT_EQ(liveCollection(*d), (std::vector<std::uint16_t>{4601 | CollectionMarkerBit, 4500}));
}

// A booking read from an old file still carries its kind in bits 12..13; once the 4096th code
// arrives those bits belong to the code, so the kind must have moved out first.
TEST(CodeTableMask, WideningMovesAnOldBookingKindOutOfTheWord)
{
    auto d = makeScheduleData();
    for (int i = 1; i <= 4095; ++i)
        add(*d, "C" + std::to_string(i), false, 1);
    addLecture(*d, LectureBookingBit | 0x2000 | 5, 1, 1, 0);

    ASSERT_EQ(insertCode(*d, 0, record("N", false, 1)), 4096);
    EXPECT_EQ(d->lectureCodeMask, WideCodeMask);
    EXPECT_EQ(d->lectureWord[1], LectureBookingBit | 5);
    EXPECT_EQ(d->bookingKind[1] & 0xFF, 2);
}

TEST(CodeTableSort, EqualPlannedOrderedByCode)
{
    auto d = makeScheduleData();
    const int planned[] = {3, 1, 3, 1};
    const char *codes[] = {"E3", "E2", "E1", "E0"};
    for (int i = 0; i < 4; ++i)
        d->codes[add(*d, codes[i], true, 1)].planned = static_cast<std::uint16_t>(planned[i]);

    sortCodes(*d, SortByPlanned, CodeKind::Event, true, false);
    EXPECT_EQ(codeTexts(*d), (std::vector<std::string>{"E0", "E2", "E1", "E3"}));
    sortCodes(*d, SortByPlanned, CodeKind::Event, false, false);
    EXPECT_EQ(codeTexts(*d), (std::vector<std::string>{"E3", "E1", "E2", "E0"}));
    EXPECT_TRUE(d->listsSorted);
}

// A resource's week span is the earliest of its own and its events' spans; no lectures sort last.
TEST(CodeTableSort, WeekSpanOfEventsAndResources)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('R', {"R3", "R1", "R2"});
    f.event("E1", {"R1"}).event("E2", {"R2"}).event("E3", {"R3"});
    f.allocate("E1", 3, 5, 1).allocate("E2", 1, 2, 1).book("R1", 4, 1, 1, 1);
    f.finish();

    sortCodes(*d, SortByWeekSpan, CodeKind::Resource, true, false);
    sortCodes(*d, SortByWeekSpan, CodeKind::Event, true, false);
    EXPECT_EQ(codeTexts(*d), (std::vector<std::string>{"R2", "R1", "R3", "E2", "E1", "E3"}));
}

// Events by the code of their first teacher, then by their own code; no teacher sorts last.
TEST(CodeTableSort, FirstResourceOfCategory)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"TB", "TA"}).resources('G', {"G1"});
    f.event("E4", {"TA"}).event("E1", {"G1", "TB", "TA"}).event("E3", {"G1"});
    f.event("E2", {"G1", "TA"});
    f.finish();

    sortCodes(*d, SortByFirstResource + 2, CodeKind::Event, true, false);
    EXPECT_EQ(codeTexts(*d), (std::vector<std::string>{"TB", "TA", "G1", "E2", "E4", "E1", "E3"}));
}

// An independent statement of the orders the sort keys define.
int referenceCompare(const ScheduleData &d, int key, bool ascending, bool categoryFirst, int a,
                     int b)
{
    const CodeRecord &x = d.codes[a];
    const CodeRecord &y = d.codes[b];
    auto three = [](auto p, auto q) { return p < q ? -1 : p > q ? 1 : 0; };
    int r = categoryFirst ? three(x.flags & CategoryBitsMask, y.flags & CategoryBitsMask) : 0;
    if (r == 0) {
        if (key == SortByCode)
            r = three(x.code.str(), y.code.str());
        else if (key == SortByName)
            r = three(x.name.str(), y.name.str());
        else {
            r = key == SortByPlanned ? three(x.planned, y.planned) : three(x.links, y.links);
            if (r == 0)
                r = three(x.code.str(), y.code.str());
        }
    }
    return ascending ? r : -r;
}

// The gap-halving exchange sort done literally, moving codes with swapCodes.
void referenceSort(ScheduleData &d, int key, CodeKind kind, bool ascending, bool categoryFirst)
{
    rebuildLists(d);
    if (key == SortByPlanned || key == SortByLinks)
        totals(d, 1, d.codeCount);
    const auto &source = kind == CodeKind::Event ? d.eventList : d.resourceList;
    const std::vector<CodeId> list(source.begin() + 1, source.begin() + source[0] + 1);
    const int n = static_cast<int>(list.size());
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (bool swapped = true; swapped;) {
            swapped = false;
            for (int i = 0; i + gap < n; ++i) {
                if (referenceCompare(d, key, ascending, categoryFirst, list[i], list[i + gap]) >
                    0) {
                    swapCodes(d, list[i], list[i + gap]);
                    swapped = true;
                }
            }
        }
    }
    rebuildLists(d);
}

std::unique_ptr<ScheduleData> generatedCodes(int count)
{
    auto d = makeScheduleData();
    std::uint32_t seed = 12345;
    auto draw = [&seed](int n) {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((static_cast<std::uint64_t>(seed) * n) >> 32);
    };
    std::vector<CodeId> resources;
    for (int i = 1; i <= count; ++i) {
        const bool event = draw(5) < 2;
        // Few distinct names, so that many names tie and the result depends on the method.
        const CodeId c = add(*d, "K" + std::to_string(draw(100000)), event, 1 + draw(3),
                             "Name " + std::to_string(draw(20)));
        d->codes[c].planned = static_cast<std::uint16_t>(1 + draw(4));
        if (!event)
            resources.push_back(c);
    }
    for (int c = 1; c <= count; ++c) {
        if (!d->codes[c].isEvent() || resources.empty())
            continue;
        std::vector<CodeId> members;
        for (int m = draw(4); m >= 0; --m)
            members.push_back(resources[draw(static_cast<int>(resources.size()))]);
        std::sort(members.begin(), members.end());
        members.erase(std::unique(members.begin(), members.end()), members.end());
        setMembers(*d, static_cast<CodeId>(c), members);
        addLecture(*d, static_cast<std::uint16_t>(LectureEventBit | c), 1 + draw(5), 1 + draw(8));
        if (draw(3) == 0)
            addManualRoom(*d, d->coding.pack(1, 1, 1), static_cast<CodeId>(c), members[0]);
    }
    return d;
}

TEST(CodeTableSort, SameResultAsExchangeSortWithRealSwaps)
{
    struct Row
    {
        const char *name;
        int key;
        CodeKind kind;
        bool ascending;
        bool categoryFirst;
    };
    const Row rows[] = {
        {"events by name", SortByName, CodeKind::Event, true, false},
        {"events by name descending", SortByName, CodeKind::Event, false, false},
        {"events by planned, category first", SortByPlanned, CodeKind::Event, true, true},
        {"events by links descending", SortByLinks, CodeKind::Event, false, false},
        {"resources by code", SortByCode, CodeKind::Resource, true, false},
        {"resources by name, category first, descending", SortByName, CodeKind::Resource, false,
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto sorted = generatedCodes(300);
        auto reference = std::make_unique<ScheduleData>(*sorted);
        sortCodes(*sorted, row.key, row.kind, row.ascending, row.categoryFirst);
        referenceSort(*reference, row.key, row.kind, row.ascending, row.categoryFirst);

        const auto &list = row.kind == CodeKind::Event ? sorted->eventList : sorted->resourceList;
        for (int i = 1; i < list[0]; ++i) {
            ASSERT_LE(referenceCompare(*sorted, row.key, row.ascending, row.categoryFirst, list[i],
                                       list[i + 1]),
                      0);
        }
        EXPECT_EQ(codeTexts(*sorted), codeTexts(*reference));
        EXPECT_EQ(liveCollection(*sorted), liveCollection(*reference));
        EXPECT_EQ(liveLectureWords(*sorted), liveLectureWords(*reference));
        EXPECT_EQ(manualRooms(*sorted), manualRooms(*reference));
    }
}

TEST(CodeTableFind, ExactCodeAndNamePrefix)
{
    auto d = makeScheduleData();
    add(*d, "A", false, 1, "Smith John");
    add(*d, "B", true, 1, "Smith course");
    add(*d, "A", false, 1, "Smithers");

    EXPECT_EQ(findCode(*d, "A"), 1);
    EXPECT_EQ(findCode(*d, "A", 1), 3) << "search starts after the start position";
    EXPECT_EQ(findCode(*d, "A", 0, 1), 3) << "the excluded code is skipped";
    EXPECT_EQ(findCode(*d, "a"), 0) << "case counts";
    EXPECT_EQ(findCode(*d, ""), 0);

    EXPECT_EQ(findByName(*d, "Smith", 5, 0, 0, CodeKind::Event), 2);
    EXPECT_EQ(findByName(*d, "Smithy", 5, 0, 1, CodeKind::Resource), 3);
    EXPECT_EQ(findByName(*d, "Smithy", 6, 0, 0, CodeKind::Resource), 0);
    EXPECT_EQ(findByName(*d, "", 5, 0, 0, CodeKind::Resource), 0);
}

TEST(CodeTableRename, RefusesTakenUnknownAndEmptyCodes)
{
    auto d = makeScheduleData();
    add(*d, "A", false, 1);
    add(*d, "B", false, 1);
    d->memos = {"B;memo of B"};

    EXPECT_FALSE(renameCode(*d, "B", "A"));
    EXPECT_FALSE(renameCode(*d, "X", "Y"));
    EXPECT_FALSE(renameCode(*d, "B", ""));
    EXPECT_EQ(d->memos, (std::vector<std::string>{"B;memo of B"}));
    EXPECT_FALSE(d->modified);

    ASSERT_TRUE(renameCode(*d, "B", "ABCDEFGHIJKLMNOPQ"));
    EXPECT_EQ(d->codes[2].code.str(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(d->memos, (std::vector<std::string>{"ABCDEFGHIJKLMNO;memo of B"}));
    EXPECT_TRUE(d->modified);
}

TEST(MakeUniqueCode, Candidates)
{
    struct Row
    {
        const char *name;
        std::vector<std::string> taken;
        const char *proposal;
        const char *expected;
    };
    std::vector<std::string> singleLetters;
    for (char c = 'a'; c <= 'z'; ++c)
        singleLetters.push_back(std::string("ABCDEFGHIJKLMN") + c);
    const Row rows[] = {
        {"free stem gets suffix a", {}, "AB", "ABa"},
        {"b kept when a is taken and b is free", {"Xa"}, "Xb", "Xb"},
        {"c when a and b are taken", {"Xa", "Xb"}, "Xb", "Xc"},
        {"fifteen characters ending upper case", {}, "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNa"},
        {"after z comes aa, cut to fit", singleLetters, "ABCDEFGHIJKLMNz", "ABCDEFGHIJKLMaa"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto d = makeScheduleData();
        for (const std::string &code : row.taken)
            add(*d, code, false, 1);
        EXPECT_EQ(makeUniqueCode(*d, row.proposal), row.expected);
    }
}

TEST(MakeUniqueCode, EmptyWhenEveryCandidateIsTaken)
{
    auto d = makeScheduleData();
    for (int length = 1; length <= CodeLength; ++length) {
        for (char c = 'a'; c <= 'z'; ++c)
            add(*d, std::string(length, c), false, 1);
    }
    EXPECT_EQ(makeUniqueCode(*d, "q"), "");
    d->codes[d->codeCount].code.assign("taken no more");
    EXPECT_EQ(makeUniqueCode(*d, ""), std::string(CodeLength, 'z'));
}

TEST(FormatCode, ModesAndHiddenRemarks)
{
    struct Row
    {
        const char *name;
        const char *codeName;
        int mode;
        int brackets;
        const char *expected;
    };
    const Row rows[] = {
        {"code", "Smith", ShowCode, 0, "T1"},
        {"name", "Smith", ShowName, 0, "Smith"},
        {"code and name", "Smith", ShowCodeAndName, 0, "T1:Smith"},
        {"code and empty name", "", ShowCodeAndName, 0, "T1"},
        {"square remark hidden", "word [remark] X", ShowName, 1, "word X"},
        {"round remark hidden", "word (remark) X", ShowName, 2, "word X"},
        {"other pair left alone", "word (remark) X", ShowName, 1, "word (remark) X"},
        {"no pair chosen", "word (remark) X", ShowName, 0, "word (remark) X"},
        {"every occurrence removed", "a (x) b (x) c", ShowName, 2, "a b c"},
        {"unclosed remark runs to the end", "Smith [part time", ShowName, 1, "Smith "},
        {"opening character last", "Room [", ShowName, 1, "Room ["},
        {"same opening and closing character", "Lab /old/ 2", ShowName, 5, "Lab 2"},
        {"category", "Smith", ShowCode | ShowCategory, 0, "T1 (T:Teachers)"},
        {"category name", "Smith", ShowCode | ShowCategoryName, 0, "T1 (Teachers)"},
        {"kind", "Smith", ShowCode | ShowKind, 0, "T1 = Resource"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto d = makeScheduleData();
        const CodeId c = add(*d, "T1", false, 2, row.codeName);
        EXPECT_EQ(formatCode(*d, c, row.mode, row.brackets), row.expected);
        EXPECT_EQ(formatCode(*d, 0, row.mode, row.brackets), "");
        EXPECT_EQ(formatCode(*d, 2, row.mode, row.brackets), "");
    }
}

TEST(FormatCode, RoleHasItsOwnModeBit)
{
    ThreeCodes f;
    ScheduleData &d = *f.d;
    d.codes[2].name.assign("Smith");
    EXPECT_EQ(formatCode(d, 2, ShowCode | ShowRole), "R Lead");
    EXPECT_EQ(formatCode(d, 2, ShowName), "Smith") << "the name bit shows no role";
    d.rolesOn = false;
    EXPECT_EQ(formatCode(d, 2, ShowCode | ShowRole), "R");
}

TEST(CodeTableCategory, IndexAndSummary)
{
    auto d = makeScheduleData();
    const CodeId e = add(*d, "E", true, 1);
    const CodeId t1 = add(*d, "T1", false, 2);
    const CodeId t2 = add(*d, "T2", false, 2);
    const CodeId r = add(*d, "R", false, 3);
    const CodeId none = add(*d, "X", false, 1);
    d->codes[none].flags = 0;
    const CodeId two = add(*d, "Y", false, 1);
    d->codes[two].flags = (1 << (CategoryShift + 1)) | (1 << (CategoryShift + 4));
    setMembers(*d, e, {t1, r, t2});

    EXPECT_EQ(categoryOf(*d, none), 7);
    EXPECT_EQ(categoryOf(*d, two), 2) << "the lowest category bit counts";
    EXPECT_EQ(categoryOf(*d, 0), 0);
    EXPECT_EQ(categoryOf(*d, static_cast<CodeId>(d->codeCount + 1)), 0);
    EXPECT_EQ(categoryName(*d, r), "R:Rooms");

    EXPECT_EQ(categorySummary(*d, e), "2xT+R");
    EXPECT_EQ(categorySummary(*d, r), "");
    d->resourceCategories.assign("G:Groups$T:Teachers$3:Third floor$");
    EXPECT_EQ(categorySummary(*d, e), "2xT+'3'");
}

TEST(CodeTableLocks, ResourceLocksItsEventsAndMarksFollowLinks)
{
    auto d = makeScheduleData();
    const CodeId r = add(*d, "R", false, 2);
    const CodeId s = add(*d, "S", false, 2);
    const CodeId e1 = add(*d, "E1", true, 1);
    const CodeId e2 = add(*d, "E2", true, 1);
    const CodeId e3 = add(*d, "E3", true, 1);
    setMembers(*d, e1, {r});
    setMembers(*d, e2, {r, s});
    setMembers(*d, e3, {s});
    rebuildLists(*d);

    setLock(*d, r, LockMode::Lock);
    EXPECT_TRUE(queryLock(*d, e1));
    EXPECT_TRUE(queryLock(*d, e2));
    EXPECT_FALSE(queryLock(*d, e3));
    EXPECT_FALSE(isLockedCode(*d, r)) << "a resource's lock lives on its events";
    setLock(*d, 0, LockMode::Toggle);
    EXPECT_EQ(countLocked(*d), 1);
    EXPECT_TRUE(queryLock(*d, e3));
    setLock(*d, e3, LockMode::Unlock);
    EXPECT_EQ(countLocked(*d), 0);

    EXPECT_EQ(markLinked(*d, r, AllMarks), 2);
    EXPECT_EQ(d->codes[e1].flags & AllMarks, AllMarks);
    EXPECT_EQ(markLinked(*d, e2, 1), 2);
    EXPECT_EQ(d->codes[e1].flags & AllMarks, AllMarks - 1) << "the mask is cleared everywhere";
    EXPECT_EQ(d->codes[s].flags & 1, 1);

    setMarks(*d, 1, d->codeCount, 0xFFFF);
    EXPECT_EQ(categoryOf(*d, r), 2) << "marks never touch the category bits";
    clearMarks(*d, 1, d->codeCount, AllMarks);
    EXPECT_EQ(d->codes[r].flags & AllMarks, 0);
}

// Deleting codes in one batch leaves the data set as deleting them one at a time does, also
// when the count falls below 4096 and lecture words narrow to 12-bit code parts.
TEST(DeleteCodes, OneBatchEqualsDeletingEachInTurn)
{
    auto build = [] {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(2, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        std::vector<std::string> names;
        for (int i = 0; i < 4095; ++i)
            names.push_back("X" + std::to_string(i));
        for (const std::string &n : names)
            f.resources('G', {n});
        f.event("A", {"T1", "X4000", "R1"}, 2).event("B", {"T2", "X4094"}, 2);
        setLectureCodeMask(*d);
        f.allocate("A", 1, 2, 1).allocate("B", 1, 1, 2).place("A", 1, 1, 2, 2);
        f.place("B", 1, 2, 1, 2).book("R1", 2, 3, 4, 2);
        f.comment("X12 away").memo("X13", "note");
        f.manualRoom("B", 1, 2, 1, "R1");
        f.role("A", "T1", "Lead");
        f.finish();
        return d;
    };
    auto batch = build();
    auto single = build();
    ASSERT_EQ(batch->lectureCodeMask, WideCodeMask);
    const std::vector<CodeId> doomed = {3, 14, 15, 4000, 4002, 4096, 15, 9000};
    EXPECT_EQ(deleteCodes(*batch, doomed), 6);
    for (const int c : {4096, 4002, 4000, 15, 14, 3})
        ASSERT_TRUE(deleteCode(*single, static_cast<CodeId>(c)));
    EXPECT_EQ(batch->lectureCodeMask, NarrowCodeMask);
    EXPECT_EQ(dumpScheduleData(*batch), dumpScheduleData(*single));
    EXPECT_EQ(deleteCodes(*batch, {}), 0);
}

} // namespace
} // namespace quivra
