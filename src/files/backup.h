#pragma once

// Safety around the data files a user owns: the copies taken before a save, the checks made
// before a file is opened or replaced, and the salvage of a file with garbage in front.
//
// Backups. Before a data file is replaced it can be copied to "<name>.bak", and once a day to
// "<name>!TODAY.qvf"; the first save of a later day first moves that copy on to
// "<name>!YESTERDAY.qvf". The today copy thus holds the file as it was before the first save
// of the day, the yesterday copy as it was before the first save of the previous working day.
// A copy is stamped with the moment it was taken, and the day is compared with the caller's
// clock, so two saves on one day rotate once and a later day always rotates.
//
// Every copy goes through a temporary file that replaces the target only when complete.

#include "engine/result.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quivra {

// Copies `from` to `to` byte for byte through a temporary file. With `stamp` the copy's
// modification time is set to it. Errors carry the texts the user is shown.
Result<void> copyFile(const std::string &from, const std::string &to,
                      std::optional<std::chrono::system_clock::time_point> stamp = {});

struct BackupNames
{
    std::string bak;       // plan.qvf -> plan.bak
    std::string today;     // plan.qvf -> plan!TODAY.qvf
    std::string yesterday; // plan.qvf -> plan!YESTERDAY.qvf
};
// The backup names of a data file: its extension (if any) replaced.
BackupNames backupNames(const std::string &path);

struct BackupOptions
{
    bool takeBackUp = true;     // the ".bak" copy
    bool yesterdayCopy = false; // the "!TODAY" and "!YESTERDAY" copies
};

struct BackupReport
{
    bool bakWritten = false;
    bool todayWritten = false;     // the today copy was (re)made from the file
    bool yesterdayWritten = false; // the old today copy moved on to the yesterday copy
};

// Takes the backups of `path` before it is replaced; nothing when the file does not exist yet.
// `now` decides the day. Fails, with the first error, when a copy cannot be made: the caller
// then must not replace the file.
Result<BackupReport> makeBackups(const std::string &path, const BackupOptions &options,
                                 std::chrono::system_clock::time_point now);

// What the first bytes of a file say about it.
enum class FileVerdict {
    Valid,    // a data file this program reads
    Newer,    // a data file of a later version: open only after asking
    Wildcard, // a name with "*" or "?": refused without a message
    NotFound,
    ReadOnly,   // no write permission bit: it could never be saved back
    Unreadable, // it exists but cannot be read
    Invalid,    // not a data file
};

struct FileCheck
{
    FileVerdict verdict = FileVerdict::Invalid;
    std::uint16_t version = 0; // the version word read, 0 when none
};

// The validity check made before a data file is opened: the file begins with the header block
// (tag 1, a length that is not 0) and a version word above 1023; versions above this
// program's are Newer.
FileCheck checkDataFile(const std::string &path);
// The same test on bytes already read.
FileCheck checkDataFileBytes(std::span<const std::uint8_t> bytes);

// Bytes of a file searched for a header when it is not valid.
constexpr std::size_t RecoveryWindow = 4096;

// The number of bytes in front of the first complete header (tag 1, length 278, version word
// above 1023) within the first RecoveryWindow bytes, if any.
std::optional<std::size_t> findRecoverableHeader(std::span<const std::uint8_t> bytes);

// Writes `damaged` without its first `skip` bytes to `target`.
Result<void> writeRecoveredFile(const std::string &damaged, const std::string &target,
                                std::size_t skip);

// A name in `folder` for a recovered file that does not exist yet: "recovered.qvf", else
// "recovered-1.qvf", "recovered-2.qvf", ...
std::string freeRecoveryName(const std::string &folder);

} // namespace quivra
