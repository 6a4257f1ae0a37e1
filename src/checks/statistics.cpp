#include "checks/statistics.h"

#include "checks/textformat.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/gaps.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace quivra {

namespace {

constexpr const char *Br = "\r\n";

using checks::format;

std::size_t at(int i)
{
    return static_cast<std::size_t>(i);
}

int eventCount(const ScheduleData &d)
{
    return std::min<int>(d.eventList[0], MaxCodes);
}
int resourceCount(const ScheduleData &d)
{
    return std::min<int>(d.resourceList[0], MaxCodes);
}
int lastScheduledWeek(const ScheduleData &d)
{
    return std::clamp<int>(d.scheduleExtent.endWeek, 0, MaxWeeks);
}

// Item k (1-based) of a "$"-list.
std::string listItem(std::string_view list, int k)
{
    for (int i = 1; i < k; ++i) {
        const std::size_t end = list.find('$');
        if (end == std::string_view::npos)
            return {};
        list.remove_prefix(end + 1);
    }
    return std::string(list.substr(0, list.find('$')));
}

void addRow(CategoryRow &to, const CategoryRow &from)
{
    to.count += from.count;
    to.planned += from.planned;
    to.allocated += from.allocated;
    to.scheduled += from.scheduled;
    to.links += from.links;
    for (std::size_t w = 0; w < to.weeks.size() && w < from.weeks.size(); ++w)
        to.weeks[w] += from.weeks[w];
}

void finishTable(CategoryTable &t)
{
    for (int r = 1; r <= MaxCategories; ++r)
        addRow(t.rows[at(StatTotalRow)], t.rows[at(r)]);
    for (int r = StatBookingsRow + 1; r < StatBookingTotalRow; ++r)
        addRow(t.rows[at(StatBookingTotalRow)], t.rows[at(r)]);
    for (CategoryRow &row : t.rows)
        for (std::size_t w = 1; w < row.weeks.size(); ++w)
            row.maximum = std::max(row.maximum, row.weeks[w]);
}

LinkTable linkTable(const char *label, const std::vector<LinkRow> &byN)
{
    LinkTable table;
    int smallest = 0, largest = 0;
    for (const LinkRow &row : byN) {
        if (row.n < 1 || row.codes == 0)
            continue;
        smallest = smallest == 0 ? row.n : std::min(smallest, row.n);
        largest = std::max(largest, row.n);
    }
    for (int n = 1; n <= largest; ++n)
        table.rows.push_back(byN[at(n)]);
    table.label = format("%s [%d ... %d]", label, smallest, largest);
    return table;
}

std::string blockList(const std::array<int, MaxBells + 1> &lengths)
{
    std::string text;
    for (int b = 1; b <= MaxBells; ++b)
        if (lengths[at(b)] > 0)
            text += format("%dh:%d,", b, lengths[at(b)]);
    if (text.empty())
        return "[none]";
    text.pop_back();
    return text;
}

} // namespace

Statistics computeStatistics(const ScheduleData &d)
{
    Statistics s;
    const int weeks = lastScheduledWeek(d);
    s.lastWeek = weeks;
    for (CategoryTable *t : {&s.events, &s.resources})
        for (CategoryRow &row : t->rows)
            row.weeks.assign(at(weeks + 1), 0);

    // Bookings: an event's week booking counts 1 in every week it covers, a resource's table
    // booking its cells; the kind is the entry's own.
    for (int i = 1; i <= std::min(d.lectureCount, MaxLectures); ++i) {
        const std::uint16_t word = d.lectureWord[at(i)];
        const CodeId c = lectureCode(d, word);
        if (!isBookingWord(word) || !validCode(d, c))
            continue;
        const LectureView v = unpackLecture(d, i);
        const int kind = d.bookingKind[at(i)] & 0xFF;
        if (kind < 1 || kind > 3)
            continue;
        const bool event = d.codes[c].isEvent();
        if (event != (v.startDay == 0))
            continue;
        const int cells = event ? 1 : (v.endDay - v.startDay + 1) * (v.endBell - v.startBell + 1);
        CategoryRow &row = (event ? s.events : s.resources).rows[at(StatBookingsRow + kind)];
        for (int w = std::max<int>(v.startWeek, 1); w <= std::min<int>(v.endWeek, weeks); ++w) {
            row.weeks[at(w)] += cells;
            row.count += cells;
        }
    }

    const LectureIndex index(d);
    WeekAllocation wa;
    // Per event its week allocations, kept for the resources that follow.
    std::vector<std::vector<long long>> eventWeeks(at(d.codeCount + 1));
    std::vector<CategoryRow> resourceSums(at(d.codeCount + 1));
    std::vector<int> linksOfEvent(at(MaxMembers + 2), 0);
    std::vector<LinkRow> byResources(at(MaxMembers + 2));
    for (int i = 1; i <= eventCount(d); ++i) {
        const CodeId e = d.eventList[at(i)];
        if (!validCode(d, e))
            continue;
        loadWeekAllocation(d, e, wa, index);
        CategoryRow one;
        one.count = 1;
        one.planned = d.codes[e].planned;
        one.allocated = d.codes[e].allocated;
        one.scheduled = d.codes[e].scheduled;
        one.links = 1;
        one.weeks.assign(at(weeks + 1), 0);
        for (int w = 1; w <= weeks; ++w)
            one.weeks[at(w)] = wa.allocated[at(w)];
        const int k = categoryOf(d, e);
        if (k >= 1 && k <= MaxCategories)
            addRow(s.events.rows[at(k)], one);

        const MemberList m = collectionOf(d, e);
        const int n = std::min<int>(m[0], MaxMembers + 1);
        byResources[at(n)].n = n;
        ++byResources[at(n)].codes;
        byResources[at(n)].scheduled += d.codes[e].scheduled;
        for (int j = 1; j <= std::min<int>(m[0], MaxMembers); ++j) {
            const CodeId r = m[at(j)];
            if (!validCode(d, r) || d.codes[r].isEvent())
                continue;
            // A resource listed twice counts the event once.
            if (std::find(m.begin() + 1, m.begin() + j, r) != m.begin() + j)
                continue;
            CategoryRow &sum = resourceSums[r];
            if (sum.weeks.empty())
                sum.weeks.assign(at(weeks + 1), 0);
            one.count = 0;
            addRow(sum, one);
        }
    }

    std::vector<LinkRow> byEvents(at(MaxMembers + 2));
    for (int i = 1; i <= resourceCount(d); ++i) {
        const CodeId r = d.resourceList[at(i)];
        if (!validCode(d, r))
            continue;
        CategoryRow &sum = resourceSums[r];
        if (sum.weeks.empty())
            sum.weeks.assign(at(weeks + 1), 0);
        sum.count = 1;
        const int k = categoryOf(d, r);
        if (k >= 1 && k <= MaxCategories)
            addRow(s.resources.rows[at(k)], sum);
        const int n = static_cast<int>(std::min<long long>(sum.links, MaxMembers + 1));
        byEvents[at(n)].n = n;
        ++byEvents[at(n)].codes;
        byEvents[at(n)].scheduled += d.codes[r].scheduled;
    }
    finishTable(s.events);
    finishTable(s.resources);
    s.resourcesInEvents = linkTable("Resources by events", byResources);
    s.eventLinksOfResources = linkTable("Events by resources", byEvents);

    // Volumes.
    const StoreCounters &c = d.counters;
    s.gauges = {
        {"Events and resources", d.codeCount, MaxCodes},
        {"Scheduling information", d.lectureCount, MaxLectures},
        {"Event collections", d.collectionEntryCount, MaxCollectionEntries},
        {"Weeks", weeks, d.coding.weekLimit},
        {"Time periods in a day", d.scheduleExtent.endBell, d.coding.bellLimit},
        {"Manual rooms", manualTripleCount(d), ManualRoomCapacity},
        {format("ALLOC/PLAN (%d/%d)", c.allocatedTotal, c.plannedTotal),
         c.plannedTotal > 0 ? static_cast<long long>(c.allocatedTotal) * 100 / c.plannedTotal : 0,
         100},
        {format("SCHED/ALLOC (%d/%d)", c.scheduledTotal, c.allocatedTotal),
         c.allocatedTotal > 0 ? static_cast<long long>(c.scheduledTotal) * 100 / c.allocatedTotal
                              : 0,
         100},
    };

    // Timetables page.
    const long long events = eventCount(d);
    const long long timetabled = c.timetabledResources;
    s.timetableLines.push_back("Timetables for events: " + std::to_string(events * weeks));
    s.timetableLines.push_back("Timetables for resources: " + std::to_string(timetabled * weeks));
    s.timetableLines.push_back("All timetables: " + std::to_string((events + timetabled) * weeks));
    long long gaps = 0;
    const std::vector<std::vector<CodeId>> eventsOf = eventsByResource(d);
    for (int i = 1; i <= resourceCount(d) && weeks > 0; ++i) {
        const CodeId r = d.resourceList[at(i)];
        if (validCode(d, r))
            gaps += dayMeasures(d, r, 1, weeks, true, index, eventsOf[r]).gaps;
    }
    s.timetableLines.push_back("Sum of gaps: " + std::to_string(gaps));
    if (weeks >= 1) {
        std::string range = "Weeks from \"" + d.weeks[1].name.str() + "\" to \"" +
                            d.weeks[at(weeks)].name.str() + "\" ";
        if (weeksDated(d))
            range += " (" + formatShortDate(weekDate(d, 1)) + " - " +
                     formatShortDate(weekDate(d, weeks) + weekLength(d, weeks) * 7 - 1) + ")";
        s.timetableLines.push_back(range);
    }
    if (d.lectureCount > 0 && d.collectionEntryCount > 0) {
        const double span = static_cast<double>(events) * weeks;
        const double cells = span * d.scheduleExtent.endDay * d.scheduleExtent.endBell;
        const double weekShare = span > 0 ? 100.0 * (c.weekAllocations + c.weekBookings) / span : 0;
        const double tableShare =
            cells > 0 ? 100.0 * (c.timetableLectures + c.tableBookings) / cells : 0;
        const double left = (1.0 - static_cast<double>(d.lectureCount) / MaxLectures) * 100.0;
        s.timetableLines.push_back(
            format("Compression of weeks %1.2f %%, timetables %1.2f %% (capacity left %1.2f %%)",
                   weekShare, tableShare, left));
    }
    std::array<int, MaxBells + 1> eventBlocks{}, bookingBlocks{};
    int lectures = 0, shortest = 0, longest = 0;
    for (int i = 1; i <= std::min(d.lectureCount, MaxLectures); ++i) {
        const std::uint16_t word = d.lectureWord[at(i)];
        const CodeId code = lectureCode(d, word);
        if (!validCode(d, code))
            continue;
        const LectureView v = unpackLecture(d, i);
        if (v.startDay == 0 || v.endBell < v.startBell)
            continue;
        const int length = std::min(v.endBell - v.startBell + 1, MaxBells);
        if (d.codes[code].isEvent() && !isBookingWord(word)) {
            ++eventBlocks[at(length)];
            ++lectures;
            shortest = shortest == 0 ? length : std::min(shortest, length);
            longest = std::max(longest, length);
        } else if (!d.codes[code].isEvent() && isBookingWord(word)) {
            ++bookingBlocks[at(length)];
        }
    }
    s.eventBlocks = format("Event blocks (%d: %dh - %dh)", lectures, shortest, longest);
    s.eventBlockList = blockList(eventBlocks);
    s.bookingBlockList = blockList(bookingBlocks);
    return s;
}

int statColumns(const Statistics &s)
{
    return StatWeekColumn + s.lastWeek;
}

std::string statCell(const ScheduleData &d, const Statistics &s, StatKind kind, int column, int row)
{
    if (row < 0 || row >= StatRows || column < 0 || column >= statColumns(s))
        return {};
    const bool events = kind == StatKind::Events;
    if (row == 0) {
        static const char *const Heads[] = {"Category:", "  #:  ", "PLAN",
                                            "ALLOC",     "SCHED",  "LINKS"};
        if (column < StatWeekColumn)
            return Heads[column];
        return formatWeek(d, column - StatWeekColumn + 1, 3);
    }
    if (column == 0) {
        if (row <= MaxCategories)
            return listItem(events ? d.eventCategories.view() : d.resourceCategories.view(), row);
        if (row == StatTotalRow || row == StatBookingTotalRow)
            return "TOTAL:";
        if (row == StatBookingsRow)
            return "Bookings:";
        return listItem(d.bookingKinds.view(), row - StatBookingsRow + (events ? 0 : 3));
    }
    const CategoryRow &r = (events ? s.events : s.resources).rows[at(row)];
    if (column >= StatWeekColumn)
        return std::to_string(r.weeks[at(column - StatWeekColumn + 1)]);
    if (row > StatBookingsRow)
        return column == 1 ? std::to_string(r.count) : std::string();
    if (row == StatBookingsRow || r.count <= 0)
        return {};
    switch (column) {
    case 1:
        return std::to_string(r.count);
    case 2:
        return std::to_string(r.planned);
    case 3:
        return std::to_string(r.allocated);
    case 4:
        return std::to_string(r.scheduled);
    default:
        return std::to_string(r.links);
    }
}

std::string drawnStatCell(const std::string &text)
{
    return text.empty() || text == "0" ? " - " : " " + text + " ";
}

std::string categoryTableText(const ScheduleData &d, const Statistics &s, StatKind kind)
{
    std::string text;
    for (int row = 0; row < StatRows; ++row) {
        for (int column = 0; column < statColumns(s); ++column) {
            if (column > 0)
                text += '\t';
            text += statCell(d, s, kind, column, row);
        }
        text += Br;
    }
    return text;
}

std::string linkTableText(const LinkTable &table)
{
    std::string text;
    for (const LinkRow &row : table.rows)
        text += format("%d\t%d\t%lld", row.n, row.codes, row.scheduled) + Br;
    return text;
}

ResourceGraph resourceGraph(const ScheduleData &d, CodeId r, bool countBookings)
{
    ResourceGraph g;
    if (!validCode(d, r) || d.codes[r].isEvent())
        return g;
    const int weeks = lastScheduledWeek(d);
    const int cap = d.coding.slotsPerWeek;
    g.weeks.assign(at(weeks), GraphWeek{});
    const LectureIndex index(d);
    WeekAllocation wa;
    int cursor = d.collectionEntryCount + 1;
    while (const CodeId e = eventsOfResource(d, r, cursor)) {
        loadWeekAllocation(d, e, wa, index);
        for (int w = 1; w <= weeks; ++w) {
            GraphWeek &gw = g.weeks[at(w - 1)];
            gw.allocated = std::min(cap, gw.allocated + wa.allocated[at(w)]);
            gw.scheduled = std::min(cap, gw.scheduled + wa.scheduled[at(w)]);
        }
    }
    const bool timetables = !(d.codes[r].flags & NoTimetableBit);
    WeekTimetable t;
    for (int w = 1; timetables && w <= weeks; ++w) {
        GraphWeek &gw = g.weeks[at(w - 1)];
        weekTimetableOf(d, r, w, t, index);
        for (int bell = 1; bell <= MaxBells; ++bell)
            for (int day = 1; day <= MaxDays; ++day)
                gw.booked += isBookingCell(t.cell(day, bell)) ? 1 : 0;
        gw.gaps = dayMeasures(d, r, w, w, countBookings, index).gaps;
    }
    for (const GraphWeek &gw : g.weeks)
        g.largest = std::max({g.largest, gw.allocated, gw.scheduled, gw.booked, gw.gaps});
    return g;
}

std::string graphHint(const ScheduleData &d, const ResourceGraph &g, int w)
{
    if (w < 1 || w > static_cast<int>(g.weeks.size()))
        return {};
    const GraphWeek &gw = g.weeks[at(w - 1)];
    return "Week = " + formatWeek(d, w, 3) + ": " + std::to_string(gw.allocated) + " in weeks, " +
           std::to_string(gw.scheduled) + " in timetables, " + std::to_string(gw.booked) +
           " in bookings, " + std::to_string(gw.gaps) + " gaps.";
}

namespace {

namespace fs = std::filesystem;

// Size of a regular file, -1 when there is none.
long long fileSize(const fs::path &p)
{
    std::error_code error;
    if (p.empty() || !fs::is_regular_file(p, error))
        return -1;
    const auto size = fs::file_size(p, error);
    return error ? -1 : static_cast<long long>(size);
}

// "dd.mm.yyyy hh:mm:ss" of a day serial and a time of day in ticks of 1/1572864 day.
std::string moment(std::int32_t day, std::int32_t ticks)
{
    constexpr long long TicksPerDay = 1572864;
    const long long seconds = static_cast<long long>(ticks) * 86400 / TicksPerDay;
    return formatShortDate(day) +
           format(" %02lld:%02lld:%02lld", seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
}

// The modification time of a file as a local "dd.mm.yyyy hh:mm:ss".
std::string fileMoment(const fs::path &p)
{
    std::error_code error;
    const auto stamp = fs::last_write_time(p, error);
    if (error)
        return {};
    const auto system = std::chrono::file_clock::to_sys(stamp);
    const std::time_t t = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return text;
}

} // namespace

std::vector<std::string> filesPageLines(const ScheduleData &d, const std::string &path,
                                        const std::string &installDir)
{
    std::vector<std::string> lines;
    const fs::path data(path);
    const long long size = fileSize(data);
    lines.push_back(size >= 0 ? format("Size of file \"%s\" %lld bytes", path.c_str(), size)
                              : format("Size of file \"%s\" (not saved)", path.c_str()));
    const std::uint16_t version = d.header.versionRead;
    lines.push_back(version != 0 ? format("Saved with \"%d.%d\"", version / 1024, version % 1024)
                                 : std::string("Version: (not saved)"));
    lines.push_back(d.header.savedDay != 0
                        ? "Last saved at: " + moment(d.header.savedDay, d.header.savedTicks)
                        : std::string("Saved at: (not saved)"));
    auto beside = [&](const char *extension) {
        fs::path p = data;
        return p.replace_extension(extension);
    };
    const fs::path bak = beside(".bak");
    const long long bakSize = data.empty() ? -1 : fileSize(bak);
    lines.push_back(bakSize >= 0
                        ? format("Backup file \"%s\" %lld bytes", bak.string().c_str(), bakSize)
                        : format("Backup file \"%s\" not found.", bak.string().c_str()));
    const fs::path text = beside(".qvx");
    const long long textSize = data.empty() ? -1 : fileSize(text);
    lines.push_back(textSize >= 0
                        ? format("Text file \"%s\" - saved at %s, %lld bytes",
                                 text.string().c_str(), fileMoment(text).c_str(), textSize)
                        : format("Text file \"%s\" not found.", text.filename().string().c_str()));
    lines.push_back(format("Comments - %d lines", static_cast<int>(d.comments.size())));
    lines.push_back(format("Memos - %d lines", static_cast<int>(d.memos.size())));
    const fs::path notes = beside(".txt");
    const long long notesSize = data.empty() ? -1 : fileSize(notes);
    lines.push_back(notesSize >= 0
                        ? format("Annotation file \"%s\" - %lld bytes on disk",
                                 notes.string().c_str(), notesSize)
                        : format("Annotation file \"%s\" not found", notes.string().c_str()));
    lines.push_back("Install location: " + installDir);
    return lines;
}

namespace {

// Rounds a non-negative value half up.
int roundHalfUp(double value)
{
    return static_cast<int>(value + 0.5);
}

} // namespace

int resourcesLeft(const ScheduleData &d)
{
    const int collections = roundHalfUp(
        (1.0 - static_cast<double>(d.collectionEntryCount) / MaxCollectionEntries) * 100.0);
    const int lectures =
        roundHalfUp((1.0 - static_cast<double>(d.lectureCount) / MaxLectures) * 100.0);
    const int codes = roundHalfUp((1.0 - static_cast<double>(d.codeCount) / MaxCodes) * 100.0);
    return std::max(0, std::min({collections, lectures, codes}));
}

int complexityRank(const ScheduleData &d)
{
    const double product =
        static_cast<double>(d.collectionEntryCount) * static_cast<double>(d.lectureCount);
    return roundHalfUp(0.75 * std::log(product / (d.codeCount + 1) + 1.0));
}

std::string summaryText(const ScheduleData &d, std::string_view prefix)
{
    const StoreCounters &c = d.counters;
    const int events = eventCount(d), resources = resourceCount(d);
    int seats = 0, campus = 0, eventTags = 0, roomTags = 0;
    for (int k = 1; k <= std::min(d.codeCount, MaxCodes); ++k) {
        const std::string_view name = d.codes[k].name.view();
        const bool event = d.codes[k].isEvent();
        if (!event && name.find('#') != std::string_view::npos)
            ++seats;
        if (!event && name.find('@') != std::string_view::npos)
            ++campus;
        if (name.find('%') != std::string_view::npos) {
            if (event)
                ++eventTags;
            else if (categoryOf(d, static_cast<CodeId>(k)) == d.roomsCategory)
                ++roomTags;
        }
    }
    // The prefix is another command's result and may hold any character: it is put in front of
    // the formatted body, never formatted itself.
    std::string text(prefix);
    text += std::string("Summary:") + Br + Br + "Codes:" + Br;
    text += format("- %d events and %d resources (%d out of %d)", events, resources,
                   events + resources, MaxCodes) +
            Br + Br;
    text += std::string("Events:") + Br;
    text += format("- %d PLANNED", c.plannedTotal) + Br;
    text += format("- %d ALLOCATED", c.allocatedTotal) + Br;
    text += format("- %d SCHEDULED", c.scheduledTotal) + Br + Br;
    text += std::string("Other:") + Br;
    text += format("- %d weeks (out of %d) used", lastScheduledWeek(d), d.coding.weekLimit) + Br;
    text += format("- %d comments in timetables", static_cast<int>(d.comments.size())) + Br;
    text += format("- %d resources attached to events",
                   std::max(0, d.collectionEntryCount - d.collectionCount)) +
            Br;
    text += format("- %d timetable items", d.lectureCount) + Br;
    text += format("- %d %% of resources left", resourcesLeft(d)) + Br;
    if (seats > 0)
        text += format("- %d seat capacity and requirement tags in resources", seats) + Br;
    if (campus > 0)
        text += format("- %d rooms have campus tags", campus) + Br;
    if (eventTags + roomTags > 0)
        text += format("- %d event and %d room match tags", eventTags, roomTags) + Br;
    text += format("- complexity rank %d (of 10)", complexityRank(d)) + Br + Br;
    text += "(Select \"Options|Statistics\" or \"Options|Health check\" for more information).";
    return text;
}

} // namespace quivra
