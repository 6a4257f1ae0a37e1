#pragma once

// The binary data file (.qvf): a sequence of tagged blocks, each a 4-byte header (u16 tag, u16
// length) and its bytes, ended by a block with tag 0. All integers are little-endian; strings
// are a length byte and a fixed number of character bytes.
//
// Writing is two steps: prepareForSaving repairs the data set (single-space codes go, comments
// and collections are cleaned, totals and the week repair pass run), then encodeDataFile writes
// every block of the data set as it stands, in a fixed order, changing nothing. A save goes to a
// temporary file in the target's folder that replaces the target only once it is complete, so
// a failed save never destroys the previous file.
//
// Reading always fills a fresh data set that the caller swaps in only on success. Every length
// in the file is checked against its store: counts above capacity are clamped to the capacity
// and to the entries present, oversized records are cut, and impossible sizes refuse the file.
// A file that ends early still loads what it holds, up to the last whole record of the block it
// ends in, but the report says so.

#include "engine/result.h"
#include "engine/scheduledata.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quivra {

constexpr std::uint16_t DataFileVersion = 6 * 1024 + 5;
constexpr std::uint16_t DataFileRelease = 6;
// Day numbers in the file count from 1 January of year 1; date serials from 30 December 1899.
constexpr std::int32_t DayNumberOffset = 693594;
constexpr std::int32_t TicksPerDay = 1572864;

// A moment as the file stores it: a day number and the ticks since midnight.
struct DayTime
{
    std::int32_t day = 0;
    std::int32_t ticks = 0;
};

// The local clock, as a day number and ticks.
DayTime currentDayTime();

struct ReadReport
{
    bool complete = false; // the end block was reached and every block was whole
    std::string reason;    // why reading stopped early; empty when complete
    std::uint16_t versionRead = 0;
    int blocksRead = 0;
    int blocksSkipped = 0; // unknown tags and blocks kept only for older readers
};

// The repair a save runs before encoding (it changes the data set: see above).
void prepareForSaving(ScheduleData &d);

// The file's bytes for `d` as it stands; run prepareForSaving first. With extractWeek > 0 only
// the lectures covering that week are written, moved into it. The editing time written is the
// accumulated one plus saved-at minus opened-at (nothing for a data set without an opened-at);
// saved-at is taken as held.
std::vector<std::uint8_t> encodeDataFile(const ScheduleData &d, int extractWeek = 0);

// After a save: the session up to saved-at joins the accumulated editing time, and a new
// session starts at saved-at.
void restartEditingClock(ScheduleData &d);

// Clears `fresh` and fills it from `bytes`, then recounts. `openedAt` is the moment the file is
// taken as opened (usage counters start there). Fails with Corrupt when the file is not a data
// file or holds impossible sizes, and with Range when a header count is beyond its store; the
// content of `fresh` is then unspecified and must not be used.
Result<ReadReport> decodeDataFile(std::span<const std::uint8_t> bytes, ScheduleData &fresh,
                                  DayTime openedAt = {});

// Saves `d` to `path`: stamps saved-at from the clock, repairs (prepareForSaving) and encodes.
// The previous file stays untouched when anything fails. On success without extractWeek the
// editing clock restarts and the modified flag is cleared.
Result<void> writeDataFile(ScheduleData &d, const std::string &path, int extractWeek = 0);

// Reads `path` into `fresh` (cleared first), stamping opened-at from the clock.
Result<ReadReport> readDataFile(const std::string &path, ScheduleData &fresh);

// Writes `bytes` to `path` through a temporary file in the same folder, flushed to disk before
// it replaces the target.
Result<void> writeFileAtomically(const std::string &path, std::span<const std::uint8_t> bytes);

} // namespace quivra
