#include "files/backup.h"

#include "files/datafile.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

namespace quivra {

namespace {

namespace fs = std::filesystem;
using TimePoint = std::chrono::system_clock::time_point;

constexpr std::uint16_t HeaderTag = 1;
constexpr std::uint16_t HeaderLength = 278;
constexpr std::uint16_t OldestVersion = 1023;
// Header bytes looked at by the validity check: the block header and the version word.
constexpr std::size_t HeadBytes = 6;

std::uint16_t u16At(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::string inQuotes(const std::string &name)
{
    return "\"" + name + "\"";
}

// Reads at most `limit` bytes of a file; nothing when it cannot be opened.
std::optional<std::vector<std::uint8_t>> readHead(const std::string &path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(limit);
    in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// The whole file, or the text of the error a copy reports.
Result<std::vector<std::uint8_t>> readSource(const std::string &path)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in)
        return fail(Error::Code::IoError, "Error opening source file " + inQuotes(path));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return fail(Error::Code::IoError, "Error copying file " + inQuotes(path));
    return bytes;
}

// The local calendar day of a moment, as one comparable number.
long localDay(TimePoint t)
{
    const std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm parts{};
    localtime_r(&tt, &parts);
    return (parts.tm_year + 1900L) * 400L + parts.tm_yday;
}

std::optional<TimePoint> modifiedAt(const std::string &path)
{
    std::error_code ec;
    const auto when = fs::last_write_time(path, ec);
    if (ec)
        return std::nullopt;
    return std::chrono::time_point_cast<TimePoint::duration>(std::chrono::file_clock::to_sys(when));
}

std::string withExtension(const std::string &path, const std::string &suffix)
{
    fs::path p(path);
    p.replace_extension();
    return p.string() + suffix;
}

} // namespace

Result<void> copyFile(const std::string &from, const std::string &to,
                      std::optional<TimePoint> stamp)
{
    auto bytes = readSource(from);
    if (!bytes)
        return std::unexpected(bytes.error());
    if (auto written = writeFileAtomically(to, *bytes); !written) {
        const bool opening = written.error().detail.find("cannot create") != std::string::npos;
        return fail(Error::Code::IoError,
                    (opening ? "Error opening destination file " : "Error copying file ") +
                        inQuotes(to));
    }
    if (stamp) {
        std::error_code ec;
        fs::last_write_time(to, std::chrono::file_clock::from_sys(*stamp), ec);
    }
    return {};
}

BackupNames backupNames(const std::string &path)
{
    return {withExtension(path, ".bak"), withExtension(path, "!TODAY.qvf"),
            withExtension(path, "!YESTERDAY.qvf")};
}

Result<BackupReport> makeBackups(const std::string &path, const BackupOptions &options,
                                 TimePoint now)
{
    BackupReport report;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return report;
    const BackupNames names = backupNames(path);
    if (options.takeBackUp) {
        if (auto ok = copyFile(path, names.bak, now); !ok)
            return std::unexpected(ok.error());
        report.bakWritten = true;
    }
    if (options.yesterdayCopy) {
        // The today copy is renewed on the first save of each day. Its own stamp says which day
        // it was taken; comparing the file's stamp instead would never rotate, as every save
        // leaves the file and the copy dated alike.
        const auto taken = modifiedAt(names.today);
        if (!taken || localDay(*taken) != localDay(now)) {
            if (taken) {
                if (auto ok = copyFile(names.today, names.yesterday, *taken); !ok)
                    return std::unexpected(ok.error());
                report.yesterdayWritten = true;
            }
            if (auto ok = copyFile(path, names.today, now); !ok)
                return std::unexpected(ok.error());
            report.todayWritten = true;
        }
    }
    return report;
}

FileCheck checkDataFileBytes(std::span<const std::uint8_t> bytes)
{
    FileCheck check;
    if (bytes.size() < HeadBytes)
        return check;
    check.version = u16At(bytes, 4);
    if (u16At(bytes, 0) != HeaderTag || u16At(bytes, 2) == 0 || check.version <= OldestVersion)
        return check;
    check.verdict = check.version > DataFileVersion ? FileVerdict::Newer : FileVerdict::Valid;
    return check;
}

FileCheck checkDataFile(const std::string &path)
{
    if (path.find_first_of("*?") != std::string::npos)
        return {FileVerdict::Wildcard, 0};
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        return {FileVerdict::NotFound, 0};
    if (!fs::is_regular_file(status))
        return {FileVerdict::Unreadable, 0};
    constexpr auto writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writable) == fs::perms::none)
        return {FileVerdict::ReadOnly, 0};
    const auto head = readHead(path, HeadBytes);
    if (!head)
        return {FileVerdict::Unreadable, 0};
    return checkDataFileBytes(*head);
}

std::optional<std::size_t> findRecoverableHeader(std::span<const std::uint8_t> bytes)
{
    const std::size_t window = std::min(bytes.size(), RecoveryWindow);
    for (std::size_t at = 0; at + HeadBytes <= window; ++at) {
        if (u16At(bytes, at) == HeaderTag && u16At(bytes, at + 2) == HeaderLength &&
            u16At(bytes, at + 4) > OldestVersion)
            return at;
    }
    return std::nullopt;
}

Result<void> writeRecoveredFile(const std::string &damaged, const std::string &target,
                                std::size_t skip)
{
    auto bytes = readSource(damaged);
    if (!bytes)
        return std::unexpected(bytes.error());
    if (skip >= bytes->size())
        return fail(Error::Code::Corrupt, "nothing is left after skipping the damaged bytes");
    return writeFileAtomically(target, std::span<const std::uint8_t>(*bytes).subspan(skip));
}

std::string freeRecoveryName(const std::string &folder)
{
    const fs::path base(folder);
    std::error_code ec;
    fs::path candidate = base / "recovered.qvf";
    for (int n = 1; fs::exists(candidate, ec); ++n)
        candidate = base / ("recovered-" + std::to_string(n) + ".qvf");
    return candidate.string();
}

} // namespace quivra
