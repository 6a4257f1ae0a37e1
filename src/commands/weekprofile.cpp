#include "commands/weekprofile.h"

#include "engine/calendar.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/limits.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace quivra {

std::vector<std::vector<int>> weekProfiles(const ScheduleData &d, const std::vector<CodeId> &codes,
                                           ProfileOptions options)
{
    const int weeks = std::clamp(usedWeeks(d), 1, MaxWeeks);
    std::vector<std::vector<int>> out(codes.size(), std::vector<int>(weeks + 1, 0));
    std::unordered_map<CodeId, std::vector<std::size_t>> rowsOf;
    for (std::size_t i = 0; i < codes.size(); ++i)
        rowsOf[codes[i]].push_back(i);
    const LectureIndex index(d);
    WeekAllocation wa;
    for (int i = 1; i <= std::min<int>(d.eventList[0], MaxCodes); ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (!validCode(d, e))
            continue;
        // The rows this event adds to: its own and those of its resources.
        std::vector<std::size_t> rows;
        if (const auto own = rowsOf.find(e); own != rowsOf.end())
            rows = own->second;
        const MemberList members = collectionOf(d, e);
        for (int k = 1; k <= members[0]; ++k) {
            if (const auto r = rowsOf.find(members[static_cast<std::size_t>(k)]); r != rowsOf.end())
                rows.insert(rows.end(), r->second.begin(), r->second.end());
        }
        if (rows.empty())
            continue;
        loadWeekAllocation(d, e, wa, index);
        for (int w = 1; w <= weeks; ++w) {
            const int a = wa.allocated[static_cast<std::size_t>(w)];
            const int s = wa.scheduled[static_cast<std::size_t>(w)];
            const int value = options.measure == ProfileMeasure::Allocated   ? a
                              : options.measure == ProfileMeasure::Scheduled ? s
                                                                             : std::max(0, a - s);
            for (const std::size_t row : rows)
                out[row][static_cast<std::size_t>(w)] += value;
        }
    }
    // Rooms chosen by hand for events without a room resource are scheduled in those slots.
    if (options.measure == ProfileMeasure::Scheduled) {
        const int words = std::min<int>(d.manualRooms[0], ManualRoomStoreSize - 1);
        for (int i = 1; i + 2 <= words; i += 3) {
            const int week = d.manualRooms[static_cast<std::size_t>(i)] >> 8;
            const CodeId e = d.manualRooms[static_cast<std::size_t>(i) + 1];
            const CodeId room = d.manualRooms[static_cast<std::size_t>(i) + 2];
            const auto r = rowsOf.find(room);
            if (room == 0 || r == rowsOf.end() || week < 1 || week > weeks || !validCode(d, e))
                continue;
            for (const std::size_t row : r->second)
                out[row][static_cast<std::size_t>(week)] += 1;
        }
    }
    for (auto &profile : out) {
        long long sum = 0;
        for (int w = 1; w <= weeks; ++w) {
            long long value = profile[static_cast<std::size_t>(w)];
            if (options.multiplied)
                value *= weekLength(d, w);
            sum = options.cumulative ? sum + value : value;
            profile[static_cast<std::size_t>(w)] =
                static_cast<int>(std::min<long long>(sum, 1'000'000'000));
        }
    }
    return out;
}

int utilisationPercent(long long value, long long divisor)
{
    if (divisor <= 0)
        return -1;
    const double percent = static_cast<double>(value) * 100.0 / static_cast<double>(divisor);
    return static_cast<int>(std::clamp(std::lround(percent), 0L, 100L));
}

double heatShare(int value, int low, int high)
{
    if (high <= low)
        return 0.5;
    return std::clamp(static_cast<double>(value - low) / static_cast<double>(high - low), 0.0, 1.0);
}

} // namespace quivra
