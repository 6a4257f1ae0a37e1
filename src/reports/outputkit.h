#pragma once

// The output kit every published report and export shares: escaping for each target (HTML,
// CSV, iCalendar TEXT, quoted-printable), iCalendar line folding, safe file names, the
// conversion of data texts to the bytes a page declares, date and time texts, and the run's
// moment and random source.
//
// Rule of the writers above this kit: every text that comes from the data set (codes, names,
// category, bell, day and week names, memos, comments, the organisation text) passes through
// the escaper of its target; only what the user writes as HTML on purpose (the tag, the cell
// format command, style/header/footer files) is copied raw.
//
// Data texts are bytes of the data code page; pages are assembled in UTF-8 and converted once
// when they are written (toCharset), so a character the declared character set cannot hold
// becomes a numeric character reference instead of a wrong byte.

#include "engine/random.h"
#include "engine/result.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quivra {

// "&", "<", ">", '"' and "'" as character references: safe in text and in quoted attributes.
std::string htmlEscape(std::string_view utf8);

// One CSV field: quoted (embedded quotes doubled) when it holds a separator, a quote, a line
// break or blanks at either end; as it is otherwise.
std::string csvField(std::string_view text);
// The fields joined by "," and ended by CR LF; every row of a file has the same fields.
std::string csvRow(const std::vector<std::string> &fields);

// iCalendar TEXT: backslash, ";" and "," escaped, a line break (CR LF, CR or LF) as "\n".
std::string icalText(std::string_view utf8);
// One content line folded so no physical line exceeds 75 octets: CR LF and a blank before each
// continuation, never inside a UTF-8 sequence; the result ends with CR LF.
std::string icalFold(std::string_view line);

// Quoted-printable (as vCalendar property values use it): bytes outside printable ASCII, "="
// and blanks at a line's end as "=XX"; soft line breaks keep encoded lines under 76 characters.
// `firstLineUsed` is how much of the first line the property name already takes.
std::string quotedPrintable(std::string_view bytes, std::size_t firstLineUsed = 0);
std::string quotedPrintableDecode(std::string_view encoded);

// Data code-page bytes as UTF-8 (a code page the platform does not know leaves ASCII as it is and
// every other byte as U+FFFD).
std::string dataToUtf8(std::string_view bytes, const std::string &dataCodePage);
// A UTF-8 page as the bytes of `charset` ("UTF-8", "ISO-8859-1", "windows-1252", ...);
// characters the character set cannot hold become "&#N;". An empty or unknown character set
// writes UTF-8.
std::string toCharset(std::string_view utf8, const std::string &charset);

// File names of one output folder. Every file a run writes, and every link to it, takes its name
// from here: the same key always gets the same name, and two keys never get names that differ
// only in case. Names are reduced to one path segment of letters, digits, "_", "-" and ".",
// never "." or "..", so nothing is written outside the folder.
class FileNames
{
public:
    // The name for `key`: `wanted` made safe and, when another key already holds it (in any
    // letter case), given "_2", "_3" ... before its extension.
    std::string name(const std::string &key, std::string_view wanted);
    // A name no key may get afterwards (the main file).
    void reserve(std::string_view name);
    // The name of a key asked for before; empty when never asked.
    std::string find(const std::string &key) const;

private:
    std::map<std::string, std::string> m_byKey;
    std::set<std::string> m_taken; // lower-cased
};

// `text` as one safe file-name segment: each byte that is not an ASCII letter, digit, "_", "-"
// or "." becomes "_", leading dots too; an empty result is "_".
std::string safeSegment(std::string_view text);

// Local date-times of the platform's time zone (TZ) and their universal time.
struct LocalTime
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
// The universal time of a local date-time, with the zone's own offset on that date (summer time
// included); minutes past the day's end carry into the next days.
std::time_t localToUtc(const LocalTime &t);
LocalTime utcToLocal(std::time_t t);
// "yyyymmddThhmmssZ".
std::string utcStamp(std::time_t t);

// Date serial (days from 30 December 1899) of a moment's local date, and its minutes past
// midnight.
std::int32_t localSerial(std::time_t t);
int localMinutes(std::time_t t);

// Legacy date tokens: "ddddd" short date (dd.mm.yyyy), "dddd" day name, "ddd" its first three
// letters, "dd"/"d" day of month, "mmmm" month name, "mmm" its first three letters, "mm"/"m"
// month (minutes right after "hh" or "h"), "yyyy"/"yy" year, "hh"/"h" hour, "nn"/"n" minute,
// "ss" second, "t" short time (hh:mm), "c" ddddd and t; text in double quotes is copied. Day
// and month names are English.
std::string formatDateTime(std::string_view format, std::int32_t serial, int minutes = 0,
                           int seconds = 0);

// Where a run's files go: a folder on disk, or memory for tests. A file that cannot be written
// is reported by write() returning false; the run goes on and counts it.
class FileSink
{
public:
    virtual ~FileSink() = default;
    virtual bool write(const std::string &name, std::string_view bytes) = 0;
};

// Writes into one folder (created when missing), each file through a temporary file and a
// rename so a failed write leaves no half file behind.
class FolderSink final : public FileSink
{
public:
    explicit FolderSink(std::string folder) : m_folder(std::move(folder)) {}
    bool write(const std::string &name, std::string_view bytes) override;
    const std::string &folder() const { return m_folder; }

private:
    std::string m_folder;
};

class MemorySink final : public FileSink
{
public:
    bool write(const std::string &name, std::string_view bytes) override
    {
        files[name] = std::string(bytes);
        return true;
    }
    std::map<std::string, std::string> files;
};

// The moment and the random source of one run, injected so a run can be repeated byte for byte.
struct RunEnvironment
{
    std::time_t now = 0;
    std::uint32_t seed = 1;
    std::string dataCodePage = "WINDOWS-1252";
};

} // namespace quivra
