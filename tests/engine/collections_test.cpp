#include "engine/collections.h"

#include "engine/recount.h"
#include "lecturehelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace quivra {
namespace {

TEST_F(LecturesTest, SetCollectionStoresAtMostTheListAndReplacesEveryMarker)
{
    const CodeId e = addCode(d, true, 1, "E");
    MemberList many{};
    for (int i = 1; i <= MaxMembers; ++i)
        many[i] = addCode(d, false, 1, "R" + std::to_string(i));
    many[0] = 241; // claims one more than a list can hold
    EXPECT_EQ(setCollection(d, e, many), 240);
    EXPECT_EQ(getCollection(d, e)[0], 240);
    EXPECT_EQ(getCollection(d, e)[240], many[240]);
    EXPECT_EQ(d.currentEvent, e);

    // A file with two markers for the event: both go on replace.
    d.collection[++d.collectionEntryCount] = static_cast<std::uint16_t>(e | CollectionMarkerBit);
    d.collection[++d.collectionEntryCount] = many[1];
    EXPECT_EQ(setCollection(d, e, members({many[2], many[3]})), 2);
    recount(d);
    EXPECT_EQ(d.collectionEntryCount, 3);
    EXPECT_EQ(asVector(collectionOf(d, e)), (std::vector<CodeId>{many[2], many[3]}));
    EXPECT_EQ(d.codes[many[1]].links, 0);
    EXPECT_EQ(setCollection(d, 0, many), 0);
    EXPECT_EQ(setCollection(d, static_cast<CodeId>(d.codeCount + 1), many), 0);
}

TEST_F(LecturesTest, SetCollectionRefusesAListWithoutRoomAndKeepsTheOldOne)
{
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId other = addCode(d, false, 1, "O");
    const CodeId a = addCode(d, true, 1, "A");
    const CodeId b = addCode(d, true, 1, "B");
    setCollection(d, a, members({r}));
    // A list that is full only of holes: a compaction makes room.
    d.collectionEntryCount = MaxCollectionEntries - 1;
    EXPECT_EQ(setCollection(d, b, members({r})), 1);
    EXPECT_EQ(d.collectionEntryCount, 4);
    EXPECT_EQ(asVector(collectionOf(d, a)), (std::vector<CodeId>{r}));

    // A list full of live entries: nothing can be freed, so the change is refused whole.
    while (d.collectionEntryCount < MaxCollectionEntries)
        d.collection[++d.collectionEntryCount] = r;
    EXPECT_EQ(setCollection(d, a, members({r, other})), 0);
    EXPECT_EQ(asVector(collectionOf(d, a)), (std::vector<CodeId>{r}));
    EXPECT_EQ(d.collectionEntryCount, MaxCollectionEntries);
}

TEST_F(LecturesTest, EventsOfResourceVisitsEachEventOnce)
{
    const CodeId r = addCode(d, false, 1, "R");
    const CodeId other = addCode(d, false, 1, "O");
    const CodeId a = addCode(d, true, 1, "A");
    const CodeId b = addCode(d, true, 1, "B");
    const CodeId third = addCode(d, false, 1, "T");
    const CodeId c = addCode(d, true, 1, "C");
    setCollection(d, a, members({r, other, r}));
    setCollection(d, b, members({other}));
    setCollection(d, c, members({r, third}));

    std::vector<CodeId> found;
    int cursor = d.collectionEntryCount + 1;
    while (const CodeId e = eventsOfResource(d, r, cursor))
        found.push_back(e);
    EXPECT_EQ(found, (std::vector<CodeId>{c, a}));
    EXPECT_EQ(cursor, 0);
    // All resources at once give the same lists.
    const auto all = eventsByResource(d);
    EXPECT_EQ(all[r], found);
    EXPECT_EQ(all[other], (std::vector<CodeId>{b, a}));
    EXPECT_EQ(all[third], std::vector<CodeId>{c});
    EXPECT_TRUE(all[a].empty());

    EXPECT_TRUE(replaceMember(d, b, other, r));
    EXPECT_FALSE(replaceMember(d, b, other, r));      // other is gone
    EXPECT_FALSE(exchangeMembers(d, a, other, c, r)); // r is in both
    EXPECT_TRUE(exchangeMembers(d, a, other, c, third));
    EXPECT_EQ(asVector(collectionOf(d, a)), (std::vector<CodeId>{r, third, r}));
    EXPECT_EQ(asVector(collectionOf(d, c)), (std::vector<CodeId>{r, other}));
}

TEST_F(LecturesTest, MemberListFilters)
{
    const CodeId g = addCode(d, false, 1, "G");
    const CodeId t = addCode(d, false, 2, "T");
    const CodeId room = addCode(d, false, 3, "Room");
    const CodeId t2 = addCode(d, false, 2, "A");
    d.codes[room].flags |= NoTimetableBit;
    const MemberList list = members({room, t, g, t2, 0, 9999});

    EXPECT_EQ(countInCategory(d, 2, list), 2);
    EXPECT_EQ(memberOfCategory(d, 2, 2, list), t2);
    EXPECT_EQ(memberOfCategory(d, 2, 3, list), 0);

    MemberList kept = list;
    keepCategories(d, 1u << 2 | 1u << 3, kept);
    EXPECT_EQ(asVector(kept), (std::vector<CodeId>{room, t, t2}));
    MemberList timetabled = list;
    dropNoTimetable(d, timetabled);
    EXPECT_EQ(asVector(timetabled), (std::vector<CodeId>{t, g, t2}));
    MemberList sorted = members({t, g, t2, g});
    sortMembers(d, true, true, sorted);
    EXPECT_EQ(asVector(sorted), (std::vector<CodeId>{g, t2, t}));
    sortMembers(d, false, false, sorted);
    EXPECT_EQ(asVector(sorted), (std::vector<CodeId>{t, t2, g}));
}

TEST_F(LecturesTest, SortingEventCollectionsReordersInPlaceAndMarksOnlyAChange)
{
    const CodeId t = addCode(d, false, 2, "T");
    const CodeId g = addCode(d, false, 1, "G");
    const CodeId a = addCode(d, false, 2, "A");
    const CodeId e = addCode(d, true, 1, "E");
    const CodeId f = addCode(d, true, 1, "F");
    setCollection(d, e, members({t, g, a}));
    setCollection(d, f, members({g}));
    const int entries = d.collectionEntryCount;
    d.modified = false;

    // Categories first (group before teachers), then codes; the list keeps its size.
    EXPECT_EQ(sortEventCollections(d, true), 1);
    EXPECT_EQ(asVector(collectionOf(d, e)), (std::vector<CodeId>{g, a, t}));
    EXPECT_EQ(d.collectionEntryCount, entries);
    EXPECT_TRUE(d.modified);

    d.modified = false;
    EXPECT_EQ(sortEventCollections(d, true), 0);
    EXPECT_FALSE(d.modified);
    EXPECT_EQ(sortEventCollections(d, false), 1);
    EXPECT_EQ(asVector(collectionOf(d, e)), (std::vector<CodeId>{t, a, g}));
}

} // namespace
} // namespace quivra
