#pragma once

// The text exchange file (.qvx): a readable, line-based copy of a data set in sections of
// numbered "key=value" lines, used to move data between data sets and to and from other
// systems. See docs/text-exchange.md for what it carries and what it does not.
//
// Writing never changes the data set: codes and names are cleaned (no ";" in either, no spaces
// in codes) only in the text written, and a cleaned code that would repeat another one is
// made unique in the file.
//
// Reading goes line by line and never stops early: a line that names an unknown code, a code
// of the wrong kind, or a number outside its range is skipped and counted in the report, and
// the rest of the file is read. A replacing import fills a fresh data set that the caller
// swaps in only on success. Text is held in the data set's code page; a file that starts with
// a UTF-8 byte order mark is converted on the way in.
//
// Settings that live outside the data set (the provenance texts, the date text and the block
// patterns of the weeks) travel in TextSettings: export takes them, import hands back what the
// file held, and the caller keeps them with its settings.

#include "engine/conflicts.h"
#include "engine/result.h"
#include "engine/scheduledata.h"

#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

struct TextSettings
{
    std::string originalFile;
    std::string sourceFile;
    std::string fileId;   // at most 64 characters are written
    std::string dateText; // "yyyymmdd" of the first week, as read
    // Block pattern of week w at [w] (one character per slot, "-" for none); missing or
    // empty entries are weeks without a pattern.
    std::vector<std::string> blockPatterns;
};

struct ExportOptions
{
    bool allEvents = true;    // false: only events with a link mark (splitting a file)
    bool extended = true;     // locked and colour of events, planned and colour of resources
    bool linePerBell = false; // blocks of several bells as one line per bell
    std::time_t created = 0;  // the "Created" moment (local time); 0: now
    TextSettings settings;
    // Folder of a "nameconv.txt" to apply to the names written; empty: none.
    std::string nameConversionFolder;
};

struct ExportReport
{
    int codesCleaned = 0; // codes or names written without ";" or spaces
    int codesRenamed = 0; // cleaned codes that collided and were written with a suffix
};

// The text of the file for `d` as it stands; reads only. Callers recount a data set they have
// edited without one (exportTextFile does).
std::string exportText(const ScheduleData &d, const ExportOptions &options,
                       ExportReport *report = nullptr);
// Recounts `d`, then writes its text to `path` through a temporary file, so a failure leaves the
// old file intact.
Result<void> exportTextFile(ScheduleData &d, const std::string &path,
                            const ExportOptions &options = {});

// Mode bits of an import.
enum ImportMode : int {
    ImportSettings = 1,      // header, calendar, categories, comments; collections are extended
    ImportSchedules = 2,     // timetable lectures, table bookings, manual rooms
    SchedulesAsBookings = 4, // timetable lectures become bookings; no codes, collections, weeks
    OnlyRelevantEvents = 8,  // new events only when a known resource needs them; no new resources
};
// The mode of each rule of adding a file (1 everything, 2 only relevant events, 3 skip
// scheduled periods, 4 schedules as bookings); -1 for another rule.
int addRuleMode(int rule);

// Why a line was not used.
enum class SkipReason {
    UnknownCode,
    WrongKind,
    OutOfRange,
    BadCategory,
    MissingField,
    StoreFull,
    NotRelevant,
    BadDate,
};
std::string skipReasonText(SkipReason reason);

struct ImportReport
{
    int linesRead = 0;
    int linesSkipped = 0;
    std::map<SkipReason, int> skippedBy;
    std::vector<std::string> samples; // the first few skipped lines: "line n: reason"
    int codesAdded = 0;
    int codesUpdated = 0;
    int codesRemoved = 0;
    int charactersReplaced = 0; // UTF-8 characters the code page cannot hold
    bool hadDateLine = false;
    int holidayCells = 0;     // cells booked by [Holidays]
    int holidaysRefused = 0;  // [Holidays] dates outside the calendar or in long weeks
    ConflictReport conflicts; // the sweep after adding a file
    TextSettings settings;    // provenance, date text and block patterns the file held
};

struct ImportOptions
{
    int mode = ImportSettings | ImportSchedules;
    bool holidays = false; // apply [Holidays] after the import
    // Folder of a "nameconv.txt" to apply after the import; empty: none.
    std::string nameConversionFolder;
};

// Reads `text` (code-page bytes) into `d` under `options.mode`; then recounts, rebuilds the
// lists and totals and normalises the roles. Does not clear `d` and does not set the coding:
// a replacing import passes a fresh data set.
ImportReport importText(ScheduleData &d, std::string_view text, const ImportOptions &options);

// Replacing import: clears `fresh`, gives it the built-in report titles (the file has none),
// takes `today` as the first week date, imports with modes 1 and 2 and applies the name conversion
// of the file's folder. A file without a Date line but with a date text takes the date from the
// text. `today` 0: the clock. Fails when the file cannot be read; `fresh` is then cleared.
Result<ImportReport> importTextFile(const std::string &path, ScheduleData &fresh,
                                    std::int32_t today = 0);

// Whether adding a file ends with its own conflict sweep. A caller that adds several files in a
// row leaves it to itself and sweeps once after the last.
enum class AddSweep { Sweep, LeaveToCaller };

// Adds a file to the open data set under rule 1..4 (see addRuleMode), keeping its slot coding;
// then the name conversion, [Holidays], and (AddSweep::Sweep) a conflict sweep from week 1 that
// removes the later event's cells. Fails, with nothing changed, when the file cannot be read or
// the rule is not 1..4.
Result<ImportReport> addTextFile(ScheduleData &d, const std::string &path, int rule,
                                 AddSweep sweep = AddSweep::Sweep);

// Reads a whole text file as code-page bytes (see encoding.h). Refuses files above 256 MB.
Result<std::string> readTextFile(const std::string &path, int *charactersReplaced = nullptr);

// The name conversion list of "nameconv.txt": lines "code;name A;name B".
struct NameConversion
{
    struct Entry
    {
        std::string code, nameA, nameB;
    };
    std::vector<Entry> entries;
};
NameConversion parseNameConversion(std::string_view text);
// Reads "nameconv.txt" in `folder`; an empty list when there is none.
NameConversion readNameConversion(const std::string &folder);
// After an import: every listed code whose name is name A gets name B. Returns codes changed.
int applyNameConversion(ScheduleData &d, const NameConversion &conversion);

// Bookings of a whole day for every timetabled resource.
enum class AllDayMode { Make, Remove, Test };
// The day `date` (a date serial) falls on week w (whose length must be 1) and day
// date - weekDate(w) + 1 (at most the days in use). Make adds a "*" comment with `text` (when
// not empty) and books every free or booked cell of that day with `kind`; Remove clears the
// day's comments and bookings; Test changes nothing. Returns the cells changed (or that would
// change), 0 for a kind outside 1..3, -1 when the date is not in the calendar.
int allDayActivity(ScheduleData &d, AllDayMode mode, std::int32_t date, std::string_view text,
                   int kind);

// Slots where adding `text` would collide with the open data set: one line per occupied cell
// that a lecture or booking of the file would take ("code\tweek\tday bell\tnow <> new").
// `lines` receives the lines (CR LF each); the result is their number.
int preCheckText(const ScheduleData &d, std::string_view text, std::string &lines);
// Writes the report to `reportPath` (usually "conflict.txt"); returns the conflicts found.
Result<int> preCheckFile(const ScheduleData &d, const std::string &textPath,
                         const std::string &reportPath);

// Codes of [Coursedata] and [Componentdata] lines that exist in `d`, by kind.
struct RemoveMatches
{
    std::vector<std::string> events, resources;
    int eventLines = 0, resourceLines = 0;
};
RemoveMatches matchListed(const ScheduleData &d, std::string_view text);
// Removing the codes a file lists. `confirm` is asked once for resources and once for events
// (with the matches and the lines of that kind) and returns true to remove them. Returns the
// number of codes removed.
using ConfirmRemoval = std::function<bool(bool events, int matched, int listed)>;
int removeListed(ScheduleData &d, std::string_view text, const ConfirmRemoval &confirm);

} // namespace quivra
