#pragma once

// Tables exchanged with spreadsheets through the clipboard: cells separated by TAB, lines ended
// by CR LF, every text in the data code page. This holds the writer every copy fills, the
// reader every paste takes its lines from, the copy of the same text into a target file (plain,
// CSV or HTML), the report shown after a copy, and the layouts the code lists copy. The
// timetable layouts are in timetabletext.h. Nothing here touches the system clipboard: the
// caller hands the finished text to its clipboard port, which converts it once at the edge.

#include "engine/scheduledata.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

// The most the clipboard takes from one copy; a larger copy is cut back to a whole block and
// the report says so (the target file still receives everything).
constexpr std::size_t ClipboardLimit = 65520;
// The longest cell a paste reads; further characters of a cell are dropped.
constexpr std::size_t ClipCellLimit = 255;

// The text of one copy. Every cell is followed by a TAB; a line break right after a TAB takes
// that TAB back, so no line ends with an empty cell.
class ClipWriter
{
public:
    void cell(std::string_view text);
    void number(long long n);
    void empty() { cell({}); }
    void endLine();
    // Marks where the block of one main code begins: an overflow cuts back to such a place.
    void beginBlock() { m_blocks.push_back(m_text.size()); }

    const std::string &text() const { return m_text; }
    std::size_t size() const { return m_text.size(); }

    // What the clipboard receives: the whole text when it fits in `limit` bytes, otherwise the
    // text up to the last block start (or else the last line end) that fits.
    std::string clipboardText(std::size_t limit = ClipboardLimit) const;
    bool overflows(std::size_t limit = ClipboardLimit) const { return m_text.size() > limit; }

private:
    std::string m_text;
    std::vector<std::size_t> m_blocks;
};

// The copy of every copy into a file ("Default Clipboard target").
enum class ClipTargetType { Clipboard = 0, Text = 1, Csv = 2, Htm = 3, Html = 4 };
// ".txt", ".csv", ".htm", ".html"; empty for the clipboard alone.
std::string clipTargetExtension(ClipTargetType type);

// The file contents for `text` (code-page bytes): the text as it is; RFC 4180 CSV, one row per
// line with the same cells; or an HTML table with every cell escaped and closed, its page
// declaring `charset`.
std::string clipTargetContents(ClipTargetType type, std::string_view text,
                               std::string_view charset = "windows-1252");

// The report after a copy of `bytes` bytes; `overflow` when the clipboard took only part of it;
// with a target file, its name and the bytes written to it.
std::string clipInfoText(std::size_t bytes, bool overflow, std::string_view targetFile = {},
                         std::size_t fileBytes = 0);

// A pasted text as lines of cells. CR LF, a lone LF and a lone CR all end a line, a last line
// without a line break is read like the others, a NUL ends the text, other control bytes are
// skipped, and a cell keeps at most ClipCellLimit characters. Empty lines are kept (one empty
// cell); the line break ending the text opens no further line.
using ClipLine = std::vector<std::string>;
std::vector<ClipLine> readClipLines(std::string_view text);

// A cell as a whole number, blanks removed; `fallback` for an empty or non-numeric cell.
int clipNumber(std::string_view cell, int fallback);

// ----- the code lists' copies -----------------------------------------------------------------

// The copy menu items of the code lists (bit values).
enum CopyKind : int {
    CopyCodesAndLinks = 0,
    CopyNamesAndCategories = 1,
    CopyPeriods = 2,
    CopyLinks = 4,
    CopyPeriodsInWeeks = 8,
    CopyAddableResources = 16,
    CopyAddableEvents = 32,
    CopyLinkedPeriods = 64,
    CopyLinkedPeriodsInWeeks = 128,
    CopyAllCodes = 256,
    CopyResourceTimetables = 512,
    CopyEventTimetables = 1024,
    CopySelectionMatrix = 8192,
};

// The fields of one code a copy writes, always in this order (bit values).
enum ClipField : int {
    ClipEmpty = 1,
    ClipCode = 2,
    ClipName = 4,
    ClipCategory = 8,
    ClipPlanned = 16,
    ClipAllocated = 32,
    ClipScheduled = 64,
    ClipLinks = 128,
    ClipWeeks = 256,
};

// What the per-week cells count.
enum class WeekPeriods { Allocated, Scheduled, Unscheduled };

struct CopyRequest
{
    int kind = CopyNamesAndCategories;
    bool events = true;          // the main codes are events (every view but Resources)
    std::vector<CodeId> main;    // the chosen main codes; written in CodeId order
    std::vector<CodeId> other;   // the second selection (linked codes shown, columns)
    int fields = ClipCode;       // kind 0: ClipCode, ClipName or both
    bool byCategory = false;     // kind 2: "ALLOCATED by category"
    int sortingCategory = 2;     // ... its resource category
    bool categoryCounts = false; // kind 2: the linked codes counted by category
    WeekPeriods periods = WeekPeriods::Allocated;
    std::vector<int> weeks;           // kinds 512 and 1024: the weeks, ascending
    std::string dateFormat = "ddddd"; // the dates of weeks and date ranges
};

ClipWriter copyCodes(const ScheduleData &d, const CopyRequest &request);

// The per-week numbers of code c in weeks 1..last: an event's own, for a resource the sum over
// its events; each week counted once.
std::vector<int> clipWeekNumbers(const ScheduleData &d, CodeId c, WeekPeriods periods, int last);
// The last week the per-week cells cover: the end week of what is scheduled or allocated.
int clipLastWeek(const ScheduleData &d);
// The label of week w in the timetable copies: its dates ("first...last") when weeks are dated,
// else its name with its length.
std::string clipWeekLabel(const ScheduleData &d, int w, std::string_view dateFormat = "ddddd");

} // namespace quivra
