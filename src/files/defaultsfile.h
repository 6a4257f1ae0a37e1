#pragma once

// The defaults and language file (.cfw): the texts and calendar defaults a new data set starts
// with. Plain text, one item per line, in sections opened by a heading line:
//
//     [Weeks] [Days] [Bells] [Attributes] [Name] [Weight] [Limits] [Reports] [Months] [Base]
//     [Mode] [Words] [Roles]
//
// A line is a heading only when it reads exactly as one of these (blanks around it aside), so a
// role or a day list that merely contains a heading's word stays data. Numbered lines keep fixed
// columns: the number right-aligned in characters 1-4, then either a second number in 5-8
// ([Weeks] length, [Limits] value) or a space and the text from character 6.
//
// A full load (the defaults of a new data set, and at start) takes every section. A language
// load (changing the language of an open data set) takes only the texts: day and bell names,
// category and booking kind lists, report titles, vocabulary and roles; it keeps the week table,
// the slot coding, the calendar in use, the first week date, the calendar mode and the masks.
//
// Reading never stops part-way: a line that cannot be used (a number out of range, a value that
// is not a number where one is needed) is skipped and counted, everything else still applies.
// Blank lines, lines before the first heading and the sections [Name], [Weight], [Months] are
// ignored. The file is read whole before anything changes, so a file that cannot be read
// leaves the data set as it was.

#include "engine/result.h"
#include "engine/scheduledata.h"

#include <string>
#include <string_view>

namespace quivra {

// What a read takes from the file (see above).
enum class DefaultsLoad { Language, Full };
constexpr DefaultsLoad DefaultsLanguageLoad = DefaultsLoad::Language;
constexpr DefaultsLoad DefaultsFullLoad = DefaultsLoad::Full;

// The name of the defaults file the program ships and reads at start.
constexpr std::string_view StartDefaultsFileName = "english.cfw";

struct DefaultsReport
{
    bool fileRead = false;    // false: there was no file and only the built-in defaults apply
    int linesRead = 0;        // every line of the file, headings and blank ones included
    int linesApplied = 0;     // data lines that changed a setting, a text or added a role
    int linesSkipped = 0;     // data lines that could not be used
    int firstSkippedLine = 0; // 1-based line number of the first of them, 0 when none
    int rolesAdded = 0;
    bool codingRefused = false; // [Limits] asked for an invalid coding: the default coding holds
    bool codingKept = false;    // stored lectures pin the coding: [Limits] was not applied to it
};

// The built-in defaults a new data set starts with before any file is read: weeks "[k]" of
// length 1, the calendar reset to the whole coding, English day names, empty bell names,
// category and booking kind lists, masks (visible 255, others 0), report titles and vocabulary.
// Codes, lectures, collections, comments, memos and roles are not touched.
void setBuiltInDefaults(ScheduleData &d);

// Report titles 1..6 as a new data set has them ("Events", "Resources", ...). The text exchange
// file does not carry them, so a replacing import starts from these.
void setBuiltInReportTitles(ScheduleData &d);

// Applies the text of a defaults file to `d` as described above, then applies the slot coding
// (an invalid one falls back to the default coding) and recounts. A full load is meant for a
// new data set: when `d` already stores lectures, their slot codes would no longer decode under
// a different coding, so the coding then stays as it is (codingKept). Roles already present by
// name are not added again. A language load that applied anything marks `d` modified.
DefaultsReport applyDefaultsText(std::string_view text, ScheduleData &d, DefaultsLoad mode);

// Largest defaults file read; a language file is a few kilobytes.
constexpr std::size_t MaxDefaultsFileSize = 1024 * 1024;

// Reads `path` and applies it (see applyDefaultsText). NotFound when there is no such file,
// IoError when it cannot be read, Corrupt when it is too large for a defaults file; `d` is
// unchanged in all these cases.
Result<DefaultsReport> readDefaultsFile(const std::string &path, ScheduleData &d,
                                        DefaultsLoad mode);

// The text of a defaults file holding the current texts and defaults of `d`. Reading it back
// with a full load into data set with the built-in defaults reproduces the week names and
// lengths of the weeks in use, day and bell names, category and booking kind lists, the
// resource masks, the coding and calendar in use, report titles, first week date, calendar
// mode, vocabulary and role names.
std::string defaultsText(const ScheduleData &d);

// Writes defaultsText(d) to `path` through a temporary file, so a failed write leaves the
// previous file intact.
Result<void> writeDefaultsFile(const ScheduleData &d, const std::string &path);

// What New does before the user sees the data set: clears `d`, applies the built-in defaults and
// then, when `path` names an existing file, reads it with a full load. A missing file is not an
// error (fileRead is false); a file that cannot be read is, and leaves the built-in defaults.
Result<DefaultsReport> startNewDataSet(ScheduleData &d, const std::string &path);

} // namespace quivra
