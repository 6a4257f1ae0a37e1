// Collections as plain lists: what is stored comes back as it is, and the distinct members are
// what the event really holds.

#include "commands/collectionlists.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quivra;

namespace {

TEST(CollectionLists, StoredListsComeBackAsTheyAreDistinctMembersOnce)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 4).resources('T', {"T1", "T2"}).resources('G', {"G1"});
    f.event("E", {"T1"}, 1).event("EMPTY", {}, 1);
    f.finish();
    const CodeId e = f.id("E"), t1 = f.id("T1"), t2 = f.id("T2"), g1 = f.id("G1");

    // A collection read from an old file may hold a resource twice.
    ASSERT_TRUE(storeMembers(*d, e, {t2, t1, t2, g1}));
    EXPECT_EQ(membersOf(*d, e), (std::vector<CodeId>{t2, t1, t2, g1}));
    EXPECT_EQ(distinctMembersOf(*d, e), (std::vector<CodeId>{t2, t1, g1}));
    // Putting back what membersOf gave leaves the collection exactly as it was.
    ASSERT_TRUE(storeMembers(*d, e, membersOf(*d, e)));
    EXPECT_EQ(membersOf(*d, e), (std::vector<CodeId>{t2, t1, t2, g1}));

    EXPECT_TRUE(membersOf(*d, f.id("EMPTY")).empty());
    EXPECT_TRUE(distinctMembersOf(*d, f.id("EMPTY")).empty());
    EXPECT_TRUE(distinctMembersOf(*d, 0).empty());
}

} // namespace
