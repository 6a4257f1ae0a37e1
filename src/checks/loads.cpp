#include "checks/loads.h"

#include "checks/textformat.h"
#include "checks/toplist.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"

#include <algorithm>
#include <cstdio>

namespace quivra {

namespace {

using checks::format;

int slotsPerWeek(const ScheduleData &d)
{
    return usedDays(d) * usedBells(d);
}

// The category name without its "L:" prefix.
std::string bareCategoryName(const ScheduleData &d, CodeId c)
{
    const std::string item = categoryName(d, c);
    return item.size() >= 2 && item[1] == ':' ? item.substr(2) : item;
}

bool timetabled(const ScheduleData &d, CodeId r)
{
    return validCode(d, r) && !d.codes[r].isEvent() && !(d.codes[r].flags & NoTimetableBit);
}

} // namespace

WeeklyLoads::WeeklyLoads(const ScheduleData &d, PeriodKind kind)
    : m_kind(kind), m_codes(std::clamp(d.codeCount, 0, MaxCodes)),
      m_lastWeek(std::clamp<int>(d.scheduleExtent.endWeek, 0, MaxWeeks))
{
    const std::size_t size =
        static_cast<std::size_t>(m_codes + 1) * static_cast<std::size_t>(m_lastWeek + 1);
    m_periods.assign(size, 0);
    m_loads.assign(size, 0);
    const LectureIndex lectures(d);
    WeekAllocation wa;
    std::vector<CodeId> seen(static_cast<std::size_t>(m_codes + 1), 0);
    const int events = std::min<int>(d.eventList[0], MaxCodes);
    for (int i = 1; i <= events; ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (!validCode(d, e) || !d.codes[e].isEvent())
            continue;
        loadWeekAllocation(d, e, wa, lectures);
        for (int w = 1; w <= m_lastWeek; ++w) {
            const std::size_t k = static_cast<std::size_t>(w);
            const int value = kind == PeriodKind::Allocated ? wa.allocated[k]
                              : kind == PeriodKind::Scheduled
                                  ? wa.scheduled[k]
                                  : std::max(0, wa.allocated[k] - wa.scheduled[k]);
            m_periods[static_cast<std::size_t>(index(e, w))] = value;
        }
        const MemberList members = collectionOf(d, e);
        for (int m = 1; m <= std::min<int>(members[0], MaxMembers); ++m) {
            const CodeId r = members[static_cast<std::size_t>(m)];
            // A resource listed twice in one collection counts the event once.
            if (r > m_codes || d.codes[r].isEvent() || seen[r] == e)
                continue;
            seen[r] = e;
            for (int w = 1; w <= m_lastWeek; ++w)
                m_loads[static_cast<std::size_t>(index(r, w))] +=
                    m_periods[static_cast<std::size_t>(index(e, w))];
        }
    }
}

int WeeklyLoads::index(CodeId c, int w) const
{
    return c * (m_lastWeek + 1) + w;
}

int WeeklyLoads::periods(CodeId e, int w) const
{
    if (e < 1 || e > m_codes || w < 1 || w > m_lastWeek)
        return 0;
    return m_periods[static_cast<std::size_t>(index(e, w))];
}

int WeeklyLoads::load(CodeId r, int w) const
{
    if (r < 1 || r > m_codes || w < 1 || w > m_lastWeek)
        return 0;
    return m_loads[static_cast<std::size_t>(index(r, w))];
}

bool heavierEntry(const LoadEntry &a, const LoadEntry &b)
{
    if (a.load != b.load)
        return a.load > b.load;
    if (a.week != b.week)
        return a.week > b.week;
    return a.resource > b.resource;
}

WeeklyLoadList buildWeeklyLoadList(const ScheduleData &d, int category, int firstWeek,
                                   PeriodKind kind)
{
    return buildWeeklyLoadList(d, WeeklyLoads(d, kind), category, firstWeek);
}

WeeklyLoadList buildWeeklyLoadList(const ScheduleData &d, const WeeklyLoads &loads, int category,
                                   int firstWeek)
{
    WeeklyLoadList list;
    list.slotsPerWeek = slotsPerWeek(d);
    category = std::clamp(category, 0, MaxCategories);
    // A bounded heap: its top is the lightest entry kept, which a heavier newcomer replaces.
    std::vector<LoadEntry> &heap = list.entries;
    const int resources = std::min<int>(d.resourceList[0], MaxCodes);
    for (int i = 1; i <= resources; ++i) {
        const CodeId r = d.resourceList[static_cast<std::size_t>(i)];
        if (!timetabled(d, r) || (category > 0 && categoryOf(d, r) != category))
            continue;
        for (int w = std::max(firstWeek, 1); w <= loads.lastWeek(); ++w) {
            const LoadEntry entry{loads.load(r, w), w, r};
            if (entry.load <= 0)
                continue;
            offerToTopList(heap, MaxLoadEntries, entry, heavierEntry);
        }
    }
    std::sort(heap.begin(), heap.end(), heavierEntry);
    std::vector<bool> counted(static_cast<std::size_t>(d.codeCount) + 1, false);
    for (const LoadEntry &entry : heap) {
        if (entry.load > list.slotsPerWeek)
            ++list.overloaded;
        if (!counted[entry.resource]) {
            counted[entry.resource] = true;
            ++list.resources;
        }
    }
    return list;
}

namespace {

bool member(const MemberList &members, CodeId c)
{
    return positionInList(c, members) != 0;
}

// Events of eventList whose collection holds r, in list order.
std::vector<CodeId> eventsHolding(const ScheduleData &d, CodeId r, std::size_t cap)
{
    std::vector<CodeId> events;
    const int n = std::min<int>(d.eventList[0], MaxCodes);
    for (int i = 1; i <= n && events.size() < cap; ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (validCode(d, e) && member(collectionOf(d, e), r))
            events.push_back(e);
    }
    return events;
}

} // namespace

std::vector<SwapOption> findSwapOptions(const ScheduleData &d, CodeId x, int firstWeek,
                                        PeriodKind kind)
{
    std::vector<SwapOption> options;
    if (!validCode(d, x) || d.codes[x].isEvent())
        return options;
    const WeeklyLoads loads(d, kind);
    const int from = std::max(firstWeek, 1);
    const int to = loads.lastWeek();
    const int category = categoryOf(d, x);
    const std::vector<CodeId> eList = eventsHolding(d, x, MaxSwapEvents);

    OccupancyMap eventMap, resourceMap;
    // Candidates Y for event E: resources of X's category, in list order, that may join E.
    auto candidates = [&](CodeId e) {
        std::vector<CodeId> ys;
        bool eventBuilt = false;
        const int n = std::min<int>(d.resourceList[0], MaxCodes);
        for (int i = 1; i <= n && ys.size() < MaxSwapCandidates; ++i) {
            const CodeId y = d.resourceList[static_cast<std::size_t>(i)];
            if (y == x || !validCode(d, y) || categoryOf(d, y) != category)
                continue;
            if (canJoin(d, e, y, true, 1, eventBuilt ? 1 : 3, eventMap, resourceMap))
                ys.push_back(y);
            eventBuilt = true;
        }
        return ys;
    };
    // before = the larger weekly maximum of X and Y now; after = the same once X gives up
    // `xLoses` and Y takes it (both per week).
    auto decrease = [&](CodeId y, CodeId e, CodeId f) {
        int before = 0, after = 0;
        for (int w = from; w <= to; ++w) {
            const int a = loads.periods(e, w);
            const int b = f == e ? 0 : loads.periods(f, w);
            const int xl = loads.load(x, w), yl = loads.load(y, w);
            before = std::max({before, xl, yl});
            after = std::max({after, xl - a + b, yl + a - b});
        }
        return after - before;
    };
    auto record = [&](int diff, CodeId y, CodeId e, CodeId f) {
        if (diff < 0 && options.size() < MaxSwapOptions)
            options.push_back({diff, x, e, y, f});
    };

    std::vector<std::vector<CodeId>> ys(eList.size());
    for (std::size_t k = 0; k < eList.size(); ++k) {
        ys[k] = candidates(eList[k]);
        for (const CodeId y : ys[k])
            record(decrease(y, eList[k], eList[k]), y, eList[k], eList[k]);
    }
    for (std::size_t k = 0; k < eList.size() && options.size() < MaxSwapOptions; ++k) {
        const CodeId e = eList[k];
        int pairs = 0;
        for (const CodeId y : ys[k]) {
            if (pairs >= MaxSwapCandidates)
                break;
            CodeId f = 0;
            for (const CodeId g : eventsHolding(d, y, MaxCodes)) {
                if (g != e && canJoin(d, g, x, true, 1, 3, eventMap, resourceMap)) {
                    f = g;
                    break;
                }
            }
            if (f == 0)
                continue;
            ++pairs;
            record(decrease(y, e, f), y, e, f);
        }
    }
    return options;
}

int bestSwapOption(const std::vector<SwapOption> &options)
{
    int best = -1;
    for (std::size_t i = 0; i < options.size(); ++i)
        if (best < 0 || options[i].decrease < options[static_cast<std::size_t>(best)].decrease)
            best = static_cast<int>(i);
    return best;
}

bool applySwap(ScheduleData &d, const SwapOption &o)
{
    for (const CodeId c : {o.x, o.e, o.y, o.f})
        if (!validCode(d, c))
            return false;
    if (d.codes[o.x].isEvent() || d.codes[o.y].isEvent() || !d.codes[o.e].isEvent() ||
        !d.codes[o.f].isEvent() || o.x == o.y)
        return false;
    bool changed = false;
    if (o.f != o.e)
        changed = exchangeMembers(d, o.e, o.x, o.f, o.y);
    else if (member(collectionOf(d, o.e), o.x) && !member(collectionOf(d, o.e), o.y))
        changed = replaceMember(d, o.e, o.x, o.y);
    if (changed) {
        resourceTotals(d, o.x);
        resourceTotals(d, o.y);
    }
    return changed;
}

// ---- Texts --------------------------------------------------------------------------------

std::string loadCategorySuffix(const ScheduleData &d, int category)
{
    if (category < 1 || category > MaxCategories)
        return {};
    // The category's item in the list, without its letter prefix.
    std::string list = d.resourceCategories.str();
    std::string item;
    for (int k = 1; k <= category; ++k) {
        const std::size_t end = list.find('$');
        item = list.substr(0, end);
        list = end == std::string::npos ? std::string() : list.substr(end + 1);
    }
    if (item.size() >= 2 && item[1] == ':')
        item = item.substr(2);
    return " (" + item + ")";
}

namespace {

// ", " and the week's label, empty when one week is in use.
std::string weekPart(const ScheduleData &d, int w)
{
    if (d.scheduleExtent.endWeek <= 1)
        return {};
    if (weeksDated(d)) {
        const std::int32_t first = weekDate(d, w);
        const std::int32_t last = first + weekLength(d, w) * 7 - 1;
        return ", " + formatShortDate(first) + "..." + formatShortDate(last);
    }
    return ", " + formatWeek(d, w, 7);
}

} // namespace

std::string loadLine(const ScheduleData &d, const LoadEntry &entry, int slots)
{
    std::string line = format("(%d h%s) %s", entry.load, weekPart(d, entry.week).c_str(),
                              formatCode(d, entry.resource, ShowCode | ShowCategoryName).c_str());
    if (entry.load > slots)
        line += format("     [%d > %dx%d = %d] !", entry.load, usedDays(d), usedBells(d), slots);
    return line;
}

std::string loadListTitle(const ScheduleData &d, const WeeklyLoadList &list)
{
    const int events = std::min<int>(d.eventList[0], MaxCodes);
    std::string title = format("%sThe list of weekly periods of %d resources in %d events and "
                               "%d week(s):%s",
                               "\r\n", list.resources, events, usedWeeks(d), "\r\n");
    const int slots = list.slotsPerWeek;
    if (list.overloaded == 0)
        title += format("All periods fit in %dx%d=%d slots (excluding bookings restrictions).%s",
                        usedDays(d), usedBells(d), slots, "\r\n");
    else
        title += format("In the first %d allocations all periods cannot be scheduled in "
                        "%dx%d=%d slots.%s",
                        list.overloaded, usedDays(d), usedBells(d), slots, "\r\n");
    return title + "Select [OK] to swap an overloaded resource or [Cancel] to exit.";
}

std::string noLoadsText(const ScheduleData &d, int category)
{
    return "No resources to be scheduled were found in " +
           (category > 0 ? "the selected category" + loadCategorySuffix(d, category)
                         : std::string("any categories."));
}

std::string noSwapText(const ScheduleData &d, CodeId x)
{
    return format("No swap options to balance weekly periods found for the resource \"%s\".",
                  formatCode(d, x, ShowCodeAndName).c_str());
}

std::string swapOfferQuestion(const ScheduleData &d, CodeId x, int options)
{
    return format("Do you want to swap \"%s\" with another resource (of \"%s\") of another event "
                  "to balance weekly periods (%d options found)?",
                  formatCode(d, x, ShowCode).c_str(), bareCategoryName(d, x).c_str(), options);
}

std::string swapOptionsTitle(const std::vector<SwapOption> &options)
{
    const int best = bestSwapOption(options);
    const int d = best < 0 ? 0 : options[static_cast<std::size_t>(best)].decrease;
    return format("%sSelect from the %d option(s) below the resources you want to swap.%s", "\r\n",
                  static_cast<int>(options.size()), "\r\n") +
           format("The number (eg. %d) indicates the decrease of the maximum number%sof the "
                  "weekly periods of the two resources after swap.",
                  d, "\r\n");
}

std::string swapOptionLine(const ScheduleData &d, const SwapOption &o)
{
    return format("Swap %s (%s) with %s (%s)? (%d)", formatCode(d, o.x, ShowCode).c_str(),
                  formatCode(d, o.e, ShowCode).c_str(), formatCode(d, o.y, ShowCode).c_str(),
                  formatCode(d, o.f, ShowCode).c_str(), o.decrease);
}

std::string swapQuestion(const ScheduleData &d, const SwapOption &o)
{
    const std::string x = formatCode(d, o.x, ShowCode), e = formatCode(d, o.e, ShowCode);
    const std::string y = formatCode(d, o.y, ShowCode), f = formatCode(d, o.f, ShowCode);
    std::string text =
        o.f == o.e
            ? format("Do you want to swap \"%s\" of event \"%s\" with \"%s\" of the same event "
                     "\"%s\" ?%s%s",
                     x.c_str(), e.c_str(), y.c_str(), f.c_str(), "\r\n", "\r\n")
            : format("Do you want to swap \"%s\" of event \"%s\" with \"%s\" of event \"%s\" ?%s%s",
                     x.c_str(), e.c_str(), y.c_str(), f.c_str(), "\r\n", "\r\n");
    return text + format("This will reduce the maximum weekly periods by %d (from \"%s\" or "
                         "\"%s\" or both).",
                         -o.decrease, x.c_str(), y.c_str());
}

} // namespace quivra
