#include "engine/seats.h"

#include "engine/collections.h"
#include "lecturehelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace quivra {
namespace {

TEST_F(LecturesTest, SeatsReadTheNumberAfterTheHash)
{
    struct Case
    {
        std::string_view name;
        int seats;
    } cases[] = {
        {"Hall", 1},         {"Hall #", 1},   {"Hall #0", 1}, {"Hall #30", 30},
        {"Hall #30-40", 30}, {"Lab #-5", -5}, {"Lab #x", 1},  {"A #12 #40", 12},
    };
    for (const Case &c : cases) {
        d.codeCount = 0;
        const CodeId r = addCode(d, false, 3, "R", c.name);
        EXPECT_EQ(seats(d, r), c.seats) << c.name;
    }
}

TEST_F(LecturesTest, FreeSeatsIsRoomCapacityMinusTheOtherResources)
{
    const CodeId group = addCode(d, false, 1, "G", "Class #25");
    const CodeId room = addCode(d, false, 3, "R1", "Room #30");
    const CodeId big = addCode(d, false, 3, "R2", "Hall #40");
    const CodeId small = addCode(d, false, 3, "R3", "Lab #35");
    const CodeId withRoom = addCode(d, true, 1, "E1");
    const CodeId withoutRoom = addCode(d, true, 1, "E2");
    setCollection(d, withRoom, members({group, room}));
    setCollection(d, withoutRoom, members({group}));

    EXPECT_EQ(seats(d, withRoom), 55);
    EXPECT_EQ(seats(d, withRoom, 3), 30);
    EXPECT_EQ(freeSeats(d, withRoom, 0), 5);
    EXPECT_EQ(freeSeats(d, withRoom, big), 45);
    EXPECT_EQ(freeSeats(d, withRoom, group), 5);   // not a room
    EXPECT_EQ(freeSeats(d, withoutRoom, -1), -25); // no manual rooms either

    const std::uint16_t slot = d.coding.pack(1, 1, 1);
    const std::uint16_t triples[] = {slot, withoutRoom, big,   slot, withoutRoom, 0,
                                     slot, withRoom,    small, slot, withoutRoom, small};
    d.manualRooms[0] = 12;
    std::copy(std::begin(triples), std::end(triples), d.manualRooms.begin() + 1);
    EXPECT_EQ(freeSeats(d, withoutRoom, -1), 10); // the smaller manual room
    EXPECT_EQ(freeSeats(d, withRoom, -1), 5);     // has a room resource: manual rooms unused
}

} // namespace
} // namespace quivra
