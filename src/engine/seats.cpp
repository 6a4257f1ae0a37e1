#include "engine/seats.h"

#include "engine/codetable.h"
#include "engine/collections.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace quivra {

namespace {

constexpr int MaxTotal = std::numeric_limits<std::uint16_t>::max();

// The number written after the first "#" of a name: its leading signed integer, 1 when there is
// none or it is 0.
int seatsOfName(std::string_view name)
{
    const auto hash = name.find('#');
    if (hash == std::string_view::npos)
        return 1;
    std::size_t i = hash + 1;
    bool negative = false;
    while (i < name.size() && (name[i] == '+' || name[i] == '-'))
        negative = name[i++] == '-' ? !negative : negative;
    int value = 0;
    bool digits = false;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
        value = std::min(value * 10 + (name[i++] - '0'), MaxTotal);
        digits = true;
    }
    if (!digits || value == 0)
        return 1;
    return negative ? -value : value;
}

} // namespace

int seats(const ScheduleData &d, CodeId c, int category)
{
    if (!validCode(d, c))
        return 0;
    if (!d.codes[c].isEvent()) {
        if (category != 0 && categoryOf(d, c) != category)
            return 0;
        return seatsOfName(d.codes[c].name.view());
    }
    const MemberList members = collectionOf(d, c);
    int sum = 0;
    for (int i = 1; i <= members[0]; ++i) {
        if (!d.codes[members[i]].isEvent())
            sum += seats(d, members[i], category);
    }
    return sum;
}

int freeSeats(const ScheduleData &d, CodeId event, int room)
{
    const int all = seats(d, event, 0);
    const int rooms = seats(d, event, d.roomsCategory);
    if (room == -1 && rooms == 0) {
        int smallest = 0;
        bool found = false;
        const int words = std::clamp<int>(d.manualRooms[0], 0, ManualRoomStoreSize - 1);
        for (int i = 1; i + 2 <= words; i += 3) {
            const int r = d.manualRooms[i + 2];
            if (d.manualRooms[i + 1] != event || !validCode(d, r))
                continue;
            const int s = seatsOfName(d.codes[r].name.view());
            smallest = found ? std::min(smallest, s) : s;
            found = true;
        }
        return smallest - all;
    }
    int given = 0;
    if (room > 0 && validCode(d, room) && !d.codes[room].isEvent())
        given = seats(d, static_cast<CodeId>(room), d.roomsCategory);
    return rooms + given + rooms - all;
}

} // namespace quivra
