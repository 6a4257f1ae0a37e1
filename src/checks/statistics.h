#pragma once

// Statistics of the open data set: the category tables of events and resources, the volumes and
// link tables, the timetables page, one resource's weekly graph and the "Summary:" text.
//
// Everything here reads: computing the statistics leaves the data set exactly as it was, even
// when it holds conflicts (a conflict count is the conflict check's business). The figures come
// from the totals the recount and the totals pass keep, and from the lecture store.

#include "engine/scheduledata.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

enum class StatKind { Events, Resources };

// One row of a category table.
struct CategoryRow
{
    int count = 0; // codes added; for booking rows the total over all weeks
    long long planned = 0;
    long long allocated = 0;
    long long scheduled = 0;
    long long links = 0;
    std::vector<long long> weeks; // [1..lastWeek]
    long long maximum = 0;        // the largest week value
};

// Rows: 0 header, 1..7 categories, 8 total, 9 "Bookings:", 10..12 booking kinds, 13 their total.
constexpr int StatRows = 14;
constexpr int StatTotalRow = 8;
constexpr int StatBookingsRow = 9;
constexpr int StatBookingTotalRow = 13;
constexpr int StatWeekColumn = 6; // columns: 0 names, 1 count, 2..5 sums, 6.. weeks
struct CategoryTable
{
    std::array<CategoryRow, StatRows> rows;
};

struct Gauge
{
    std::string label;
    long long value = 0;
    long long maximum = 0;
};

// One row of a link table: n, the codes with n links, the sum of their Scheduled.
struct LinkRow
{
    int n = 0;
    int codes = 0;
    long long scheduled = 0;
};
struct LinkTable
{
    std::string label;         // "Resources by events [1 ... 4]"
    std::vector<LinkRow> rows; // n = 1..largest
};

struct Statistics
{
    int lastWeek = 0; // the last scheduled week
    CategoryTable events;
    CategoryTable resources;
    std::vector<Gauge> gauges;       // six volumes, then "In weeks" and "In timetables" (per cent)
    LinkTable resourcesInEvents;     // events by their number of resources
    LinkTable eventLinksOfResources; // resources by their number of events
    std::vector<std::string> timetableLines; // the Timetables page, line by line
    std::string eventBlocks;                 // "Event blocks (3: 1h - 3h)"
    std::string eventBlockList;              // "1h:2,3h:1" or "[none]"
    std::string bookingBlockList;
};

Statistics computeStatistics(const ScheduleData &d);

// The text of one cell of a category table; empty where the table shows nothing.
std::string statCell(const ScheduleData &d, const Statistics &s, StatKind kind, int column,
                     int row);
// The cell as drawn: the text with a space on both sides, " - " for an empty text or "0".
std::string drawnStatCell(const std::string &text);
// Number of columns of a category table: names, count, four sums, the weeks.
int statColumns(const Statistics &s);
// Every cell of a category table, tab-separated, each row ended by "\r\n".
std::string categoryTableText(const ScheduleData &d, const Statistics &s, StatKind kind);
// A link table as three tab-separated cells a row, each row ended by "\r\n".
std::string linkTableText(const LinkTable &table);

// One week of a resource's graph.
struct GraphWeek
{
    int allocated = 0;
    int scheduled = 0;
    int booked = 0;
    int gaps = 0;
};
struct ResourceGraph
{
    std::vector<GraphWeek> weeks; // [0] = week 1
    int largest = 0;              // the largest value of all bars
};
// Resource r's weeks 1..last scheduled week; booked cells count as occupied for the gaps when
// `countBookings` is set.
ResourceGraph resourceGraph(const ScheduleData &d, CodeId r, bool countBookings);
// "Week = ...: 5 in weeks, ..." for week w of a graph.
std::string graphHint(const ScheduleData &d, const ResourceGraph &graph, int w);

// The Files page, line by line: the data file `path` (empty: never saved), the program version
// and moment it was saved with, its backup, text exchange and annotation files beside it (their
// names keep the data file's case; only the extension changes), the comments and memos, and the
// program's folder `installDir` as it is spelled.
std::vector<std::string> filesPageLines(const ScheduleData &d, const std::string &path,
                                        const std::string &installDir);

// The "Summary:" text with `prefix` in front as it stands (a "%" in it is plain text).
std::string summaryText(const ScheduleData &d, std::string_view prefix);
// The smallest share of the three stores (codes, lectures, collections) still free, in per cent.
int resourcesLeft(const ScheduleData &d);
// 0..10: how large and intricate the data set is.
int complexityRank(const ScheduleData &d);

} // namespace quivra
