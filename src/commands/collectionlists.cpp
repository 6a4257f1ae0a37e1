#include "commands/collectionlists.h"

#include "engine/codetable.h"
#include "engine/collections.h"

#include <algorithm>

namespace quivra {

std::vector<CodeId> membersOf(const ScheduleData &d, CodeId event)
{
    const MemberList m = collectionOf(d, event);
    const int n = std::clamp<int>(m[0], 0, MaxMembers);
    return {m.begin() + 1, m.begin() + 1 + n};
}

std::vector<CodeId> distinctMembersOf(const ScheduleData &d, CodeId event)
{
    std::vector<CodeId> codes;
    for (const CodeId r : membersOf(d, event))
        if (validCode(d, r) && std::ranges::find(codes, r) == codes.end())
            codes.push_back(r);
    return codes;
}

bool storeMembers(ScheduleData &d, CodeId event, const std::vector<CodeId> &members)
{
    MemberList m{};
    const std::size_t n = std::min<std::size_t>(members.size(), MaxMembers);
    m[0] = static_cast<CodeId>(n);
    std::copy_n(members.begin(), n, m.begin() + 1);
    return setCollection(d, event, m) == static_cast<int>(n) || n == 0;
}

OccupancyMap occupancyOf(const ScheduleData &d, CodeId c)
{
    OccupancyMap map;
    if (validCode(d, c)) {
        WeekAllocation work;
        buildOccupancy(d, c, map, true, work);
    }
    return map;
}

} // namespace quivra
