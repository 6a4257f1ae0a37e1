// Inserting, deleting, swapping and sorting codes renumber every store that names codes. The
// dump names codes by their text, so after a correct renumbering every store reads the same as
// before except where the operation itself changes data. Each expected dump in golden/ was
// written by hand from the rules of the operation, not captured from the code.
//
// QUIVRA_UPDATE_GOLDEN=1 rewrites the golden files from the current output; review every
// changed line by hand before committing it.

#include "engine/codetable.h"
#include "engine/dump.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace quivra {
namespace {

std::filesystem::path goldenPath(const std::string &name)
{
    return std::filesystem::path(__FILE__).parent_path() / "golden" / (name + ".txt");
}

void expectMatchesGolden(const std::string &name, const std::string &dump)
{
    const auto path = goldenPath(name);
    const char *update = std::getenv("QUIVRA_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << dump;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing golden file " << path;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(expected.str(), dump) << "dump differs from " << path;
}

// Groups G1 G2, teachers T1 T2, rooms R1 R2 and four events, deliberately interleaved and
// out of order in the table. R2 is used by two events, a manual-room triple, a role, a
// booking and a memo, so deleting it touches every store.
void buildInstitution(ScheduleData &d)
{
    FixtureBuilder f(d);
    f.calendar(6, 5, 8);
    f.resources('T', {"T2"}).resources('G', {"G1"}).resources('T', {"T1"});
    f.resources('R', {"R1"});
    f.event("E1", {"G1", "T1", "R1"}, 4);
    f.resources('G', {"G2"}).resources('R', {"R2"});
    f.event("E2", {"G2", "T1", "R2"}, 3);
    f.event("E3", {"G1", "G2", "T2"}, 2);
    f.event("E4", {"T2", "R2"}, 1);

    f.allocate("E1", 1, 2, 2).place("E1", 1, 1, 1, 2);
    f.allocate("E2", 1, 3, 1).place("E2", 2, 3, 4, 4);
    f.allocate("E3", 1, 1, 2).place("E3", 1, 2, 3, 4);
    f.weekBooking("E4", 4, 4, 2);
    f.book("R1", 2, 1, 1, 1).book("R2", 3, 1, 1, 2);

    f.manualRoom("E3", 1, 2, 3, "R2").manualRoom("E3", 1, 2, 4, "");
    f.role("E1", "T1", "Lecturer").role("E2", "R2", "Lab");
    f.comment("[001101];T1;staff meeting").comment("[002000];*;exam week");
    f.memo("E2", "bring projector").memo("R2", "projector broken");
    f.finish();
    d.currentCode = f.id("E1");
}

TEST(RenumberTest, FixtureMatchesItsGolden)
{
    auto d = makeScheduleData();
    buildInstitution(*d);
    expectMatchesGolden("institution", dumpScheduleData(*d));
}

struct Case
{
    const char *golden;
    std::function<void(ScheduleData &)> change;
    bool rebuildsLists; // sortCodes leaves the lists rebuilt and sorted itself
};

TEST(RenumberTest, OperationsRenumberEveryStore)
{
    const Case cases[] = {
        {"insert-front",
         [](ScheduleData &d) {
             CodeRecord r;
             r.code.assign("G0");
             r.name.assign("Name of G0");
             r.flags = 1u << CategoryShift;
             ASSERT_EQ(insertCode(d, 1, r), 1);
         },
         false},
        {"delete-room", [](ScheduleData &d) { ASSERT_TRUE(deleteCode(d, findCode(d, "R2"))); },
         false},
        {"swap", [](ScheduleData &d) { swapCodes(d, findCode(d, "E1"), findCode(d, "G2")); },
         false},
        {"sort-resources",
         [](ScheduleData &d) {
             d.currentCode = 0; // which codes a sort swaps is not part of its contract
             sortCodes(d, SortByCode, CodeKind::Resource, true, false);
         },
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.golden);
        auto d = makeScheduleData();
        buildInstitution(*d);
        c.change(*d);
        EXPECT_TRUE(d->modified);
        if (!c.rebuildsLists) {
            // What every command does after changing the table.
            FixtureBuilder(*d).finish();
        }
        expectMatchesGolden(c.golden, dumpScheduleData(*d));
    }
}

} // namespace
} // namespace quivra
