#include "engine/collections.h"

#include "engine/codetable.h"
#include "engine/storeentries.h"
#include "engine/textutil.h"

#include <algorithm>
#include <vector>

namespace quivra {

using namespace detail;

namespace {

int memberCountOf(const MemberList &members)
{
    return std::clamp<int>(members[0], 0, MaxMembers);
}

// Writes the kept members back contiguously and clears the rest of the list.
template <typename Keep> void filterMembers(MemberList &members, Keep keep)
{
    const int n = memberCountOf(members);
    int kept = 0;
    for (int i = 1; i <= n; ++i) {
        if (keep(members[i]))
            members[++kept] = members[i];
    }
    for (int i = kept + 1; i <= MaxMembers; ++i)
        members[i] = 0;
    members[0] = static_cast<CodeId>(kept);
}

bool isMarker(std::uint16_t entry)
{
    return entry & CollectionMarkerBit;
}

bool isMarkerOf(std::uint16_t entry, int event)
{
    return isMarker(entry) && collectionCode(entry) == event;
}

// Visits the (marker position, end) range of every marker of `event` in the list.
template <typename Visit> void forEachMarkerRange(const ScheduleData &d, int event, Visit visit)
{
    const int n = d.collectionEntryCount;
    for (int i = 1; i <= n; ++i) {
        if (!isMarkerOf(d.collection[i], event))
            continue;
        int end = i + 1;
        while (end <= n && !isMarker(d.collection[end]))
            ++end;
        visit(i, end);
        i = end - 1;
    }
}

} // namespace

void detail::rebuildCollections(ScheduleData &d)
{
    int kept = 0;
    int wrong = 0;
    for (int i = 1; i <= d.collectionEntryCount; ++i) {
        const std::uint16_t entry = d.collection[i];
        const int c = collectionCode(entry);
        if (!validCode(d, c))
            continue;
        if (isMarker(entry) != d.codes[c].isEvent())
            ++wrong;
        d.collection[++kept] = entry;
    }
    std::fill(d.collection.begin() + kept + 1, d.collection.end(), 0);
    d.collectionEntryCount = kept;
    d.facts.wrongCollectionEntries = wrong;
    d.usageCounters[0] = std::max(d.usageCounters[0], wrong);

    for (int c = 0; c <= d.codeCount; ++c) {
        d.codes[c].collectionPos = 0;
        d.codes[c].links = 0;
    }
    for (int i = kept; i >= 1; --i) {
        const std::uint16_t entry = d.collection[i];
        if (isMarker(entry) && isEventId(d, collectionCode(entry)))
            d.codes[collectionCode(entry)].collectionPos = static_cast<std::uint16_t>(i);
    }
    // A resource counts each event once, however often that event lists it.
    std::vector<CodeId> lastEvent(static_cast<std::size_t>(d.codeCount) + 1, 0);
    int events = 0;
    for (int e = 1; e <= d.codeCount; ++e) {
        if (d.codes[e].collectionPos == 0)
            continue;
        ++events;
        const MemberList members = collectionOf(d, static_cast<CodeId>(e));
        d.codes[e].links = members[0];
        for (int k = 1; k <= members[0]; ++k) {
            const int r = members[k];
            if (d.codes[r].isEvent() || lastEvent[r] == e)
                continue;
            lastEvent[r] = static_cast<CodeId>(e);
            ++d.codes[r].links;
        }
    }
    d.collectionCount = events;
}

MemberList getCollection(ScheduleData &d, CodeId event)
{
    d.currentEvent = validCode(d, event) ? static_cast<CodeId>(event) : 0;
    return collectionOf(d, event);
}

MemberList collectionOf(const ScheduleData &d, CodeId event)
{
    MemberList members{};
    if (!validCode(d, event))
        return members;
    const int pos = d.codes[event].collectionPos;
    const int n = std::min(d.collectionEntryCount, MaxCollectionEntries);
    // A position that does not hold the event's marker is stale: no collection until the recount
    // finds the marker again.
    if (pos < 1 || pos > n || !isMarkerOf(d.collection[pos], event))
        return members;
    int count = 0;
    for (int i = pos + 1; i <= n && count < MaxMembers; ++i) {
        const std::uint16_t entry = d.collection[i];
        if (isMarker(entry))
            break;
        if (validCode(d, entry))
            members[++count] = entry;
    }
    members[0] = static_cast<CodeId>(count);
    return members;
}

int setCollection(ScheduleData &d, CodeId event, const MemberList &members)
{
    if (!validCode(d, event))
        return 0;
    clampCounts(d);
    std::vector<CodeId> fresh;
    for (int i = 1; i <= memberCountOf(members); ++i) {
        if (validCode(d, members[i]))
            fresh.push_back(members[i]);
    }
    const int need = fresh.empty() ? 0 : 1 + static_cast<int>(fresh.size());

    // Room is judged on what a compaction would leave, so a list that cannot take the whole new
    // collection is refused before anything changes instead of being cut short.
    if (d.collectionEntryCount + need > MaxCollectionEntries) {
        int live = 0;
        for (int i = 1; i <= d.collectionEntryCount; ++i)
            live += validCode(d, collectionCode(d.collection[i])) ? 1 : 0;
        int old = 0;
        forEachMarkerRange(d, event, [&](int from, int to) {
            for (int i = from; i < to; ++i)
                old += validCode(d, collectionCode(d.collection[i])) ? 1 : 0;
        });
        if (live - old + need > MaxCollectionEntries)
            return 0;
    }

    d.modified = true;
    int markers = 0;
    forEachMarkerRange(d, event, [&](int from, int to) {
        std::fill(d.collection.begin() + from, d.collection.begin() + to, 0);
        ++markers;
    });
    d.collectionCount = std::max(0, d.collectionCount - (markers > 0 ? 1 : 0));
    d.codes[event].collectionPos = 0;
    d.codes[event].links = 0;
    if (need == 0)
        return 0;
    if (d.collectionEntryCount + need > MaxCollectionEntries)
        rebuildCollections(d);

    ++d.collectionCount;
    d.collection[++d.collectionEntryCount] =
        static_cast<std::uint16_t>(event | CollectionMarkerBit);
    d.codes[event].collectionPos = static_cast<std::uint16_t>(d.collectionEntryCount);
    for (CodeId r : fresh)
        d.collection[++d.collectionEntryCount] = r;
    d.codes[event].links = static_cast<std::uint16_t>(fresh.size());
    return static_cast<int>(fresh.size());
}

int positionInList(CodeId c, const MemberList &members)
{
    const int n = memberCountOf(members);
    for (int i = 1; i <= n; ++i) {
        if (members[i] == c)
            return i;
    }
    return 0;
}

int countInCategory(const ScheduleData &d, int category, const MemberList &members)
{
    int count = 0;
    for (int i = 1; i <= memberCountOf(members); ++i)
        count += categoryOf(d, members[i]) == category ? 1 : 0;
    return count;
}

CodeId memberOfCategory(const ScheduleData &d, int category, int k, const MemberList &members)
{
    for (int i = 1; i <= memberCountOf(members); ++i) {
        if (categoryOf(d, members[i]) == category && --k == 0)
            return members[i];
    }
    return 0;
}

void keepCategories(const ScheduleData &d, std::uint8_t mask, MemberList &members)
{
    filterMembers(members, [&](CodeId c) {
        const int category = categoryOf(d, c);
        return category >= 1 && (mask & (1u << category));
    });
}

void dropNoTimetable(const ScheduleData &d, MemberList &members)
{
    filterMembers(
        members, [&](CodeId c) { return validCode(d, c) && !(d.codes[c].flags & NoTimetableBit); });
}

void sortMembers(ScheduleData &d, bool dedupe, bool ascending, MemberList &members)
{
    filterMembers(members, [&](CodeId c) { return validCode(d, c); });
    const int n = members[0];
    auto less = [&](CodeId a, CodeId b) {
        const CodeRecord &x = d.codes[a];
        const CodeRecord &y = d.codes[b];
        if (x.flags != y.flags)
            return x.flags < y.flags;
        const int byCode = compareBytes(x.code.view(), y.code.view());
        if (byCode != 0)
            return byCode < 0;
        return a < b;
    };
    const auto first = members.begin() + 1;
    const auto last = first + n;
    if (ascending)
        std::sort(first, last, less);
    else
        std::sort(first, last, [&](CodeId a, CodeId b) { return less(b, a); });
    if (dedupe) {
        const auto end = std::unique(first, last);
        std::fill(end, last, 0);
        members[0] = static_cast<CodeId>(end - first);
    }
    d.modified = true;
}

int sortEventCollections(ScheduleData &d, bool ascending)
{
    // Valid members by (flags, code, id), either way round; entries of deleted codes stay last.
    auto less = [&](std::uint16_t a, std::uint16_t b) {
        const CodeId x = collectionCode(a);
        const CodeId y = collectionCode(b);
        const bool validX = validCode(d, x);
        const bool validY = validCode(d, y);
        if (!validX || !validY)
            return validX && !validY;
        const CodeRecord &rx = d.codes[x];
        const CodeRecord &ry = d.codes[y];
        if (rx.flags != ry.flags)
            return ascending ? rx.flags < ry.flags : ry.flags < rx.flags;
        const int byCode = compareBytes(rx.code.view(), ry.code.view());
        if (byCode != 0)
            return ascending ? byCode < 0 : byCode > 0;
        return ascending ? x < y : y < x;
    };
    int changed = 0;
    for (int e = 1; e <= d.codeCount; ++e) {
        if (!validCode(d, e) || !d.codes[e].isEvent())
            continue;
        bool moved = false;
        forEachMarkerRange(d, e, [&](int from, int to) {
            const auto first = d.collection.begin() + from + 1;
            const auto last = d.collection.begin() + to;
            if (!std::is_sorted(first, last, less)) {
                std::stable_sort(first, last, less);
                moved = true;
            }
        });
        changed += moved ? 1 : 0;
    }
    if (changed > 0)
        d.modified = true;
    return changed;
}

bool replaceMember(ScheduleData &d, CodeId event, CodeId oldResource, CodeId newResource)
{
    if (!validCode(d, newResource) || d.codes[newResource].isEvent())
        return false;
    const MemberList members = collectionOf(d, event);
    if (positionInList(oldResource, members) == 0 || positionInList(newResource, members) != 0)
        return false;
    const int pos = d.codes[event].collectionPos;
    const int n = std::min(d.collectionEntryCount, MaxCollectionEntries);
    for (int i = pos + 1; i <= n && !isMarker(d.collection[i]); ++i) {
        if (d.collection[i] == oldResource)
            d.collection[i] = static_cast<std::uint16_t>(newResource);
    }
    d.modified = true;
    return true;
}

bool exchangeMembers(ScheduleData &d, CodeId eventA, CodeId a, CodeId eventB, CodeId b)
{
    const MemberList inA = collectionOf(d, eventA);
    const MemberList inB = collectionOf(d, eventB);
    if (positionInList(a, inA) == 0 || positionInList(a, inB) != 0 || positionInList(b, inB) == 0 ||
        positionInList(b, inA) != 0)
        return false;
    if (d.codes[a].isEvent() || d.codes[b].isEvent())
        return false;
    return replaceMember(d, eventA, a, b) && replaceMember(d, eventB, b, a);
}

CodeId eventsOfResource(const ScheduleData &d, CodeId resource, int &cursor)
{
    const int n = std::min(d.collectionEntryCount, MaxCollectionEntries);
    if (!validCode(d, resource)) {
        cursor = 0;
        return 0;
    }
    int i = std::clamp(cursor, 0, n + 1) - 1;
    while (i >= 1) {
        if (d.collection[i] != resource || isMarker(d.collection[i])) {
            --i;
            continue;
        }
        int marker = i - 1;
        int position = 1;
        while (marker >= 1 && !isMarker(d.collection[marker])) {
            position += d.collection[marker] != 0 ? 1 : 0;
            --marker;
        }
        if (marker < 1)
            break;
        // Continue below this collection: an event listing the resource twice comes once.
        cursor = marker;
        const int event = collectionCode(d.collection[marker]);
        if (isEventId(d, static_cast<CodeId>(event)) && d.codes[event].collectionPos == marker &&
            position <= MaxMembers)
            return static_cast<CodeId>(event);
        i = marker - 1;
    }
    cursor = 0;
    return 0;
}

std::vector<std::vector<CodeId>> eventsByResource(const ScheduleData &d)
{
    std::vector<std::vector<CodeId>> events(static_cast<std::size_t>(std::max(d.codeCount, 0)) + 1);
    const int n = std::min(d.collectionEntryCount, MaxCollectionEntries);
    // The markers of the events whose collection the list holds, walked from the end as
    // eventsOfResource walks them.
    std::vector<int> markers;
    for (int i = 1; i <= n; ++i) {
        if (!isMarker(d.collection[i]))
            continue;
        const int event = collectionCode(d.collection[i]);
        if (isEventId(d, static_cast<CodeId>(event)) && d.codes[event].collectionPos == i)
            markers.push_back(i);
    }
    std::vector<CodeId> seen(events.size(), 0);
    for (auto it = markers.rbegin(); it != markers.rend(); ++it) {
        const CodeId event = collectionCode(d.collection[*it]);
        int position = 0;
        for (int i = *it + 1; i <= n && !isMarker(d.collection[i]); ++i) {
            const std::uint16_t r = d.collection[i];
            if (r == 0)
                continue;
            if (++position > MaxMembers)
                break;
            if (!validCode(d, r) || seen[r] == event)
                continue;
            seen[r] = event;
            events[r].push_back(event);
        }
    }
    return events;
}

} // namespace quivra
