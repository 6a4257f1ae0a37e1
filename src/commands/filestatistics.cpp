#include "commands/filestatistics.h"

#include "engine/calendar.h"
#include "engine/lecturestore.h"
#include "engine/recount.h"
#include "engine/textutil.h"
#include "engine/tidy.h"
#include "files/backup.h"
#include "files/datafile.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <vector>

namespace quivra {

namespace fs = std::filesystem;

namespace {

constexpr int BlockSizeColumns = 256;

// "*" any run of characters, "?" any one; ASCII case does not count.
bool matches(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || pattern[p] == name[n] ||
             toLowerAscii(pattern.substr(p, 1)) == toLowerAscii(name.substr(n, 1)))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string oneField(std::string_view text)
{
    std::string out;
    for (const char c : text)
        out += (c == ';' || c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    return out;
}

std::string timeText(std::time_t t)
{
    std::tm parts{};
    localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d %H:%M:%S", &parts);
    return text;
}

std::time_t modificationTime(const fs::path &path)
{
    std::error_code ec;
    const auto written = fs::last_write_time(path, ec);
    if (ec)
        return 0;
    return std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(written)));
}

struct Line
{
    std::string text;
    Line &operator<<(long long value)
    {
        text += ";" + std::to_string(value);
        return *this;
    }
};

std::string statisticsLine(const Session &s, const fs::path &path, const ScheduleData &d)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    const std::time_t written = modificationTime(path);
    const auto now = std::chrono::system_clock::to_time_t(s.clock.now());
    Line line{path.filename().string() + ";" + oneField(d.description)};
    line << static_cast<long long>(ec ? 0 : size) << (written > 0 ? (now - written) / 86400 : 0);
    line.text += ";" + (written > 0 ? timeText(written) : std::string());
    const TimeRange &extent = d.scheduleExtent;
    line << usedWeeks(d) << usedDays(d) << usedBells(d) << extent.endWeek << extent.endDay
         << extent.endBell;

    // LSize[0..4]
    line << d.codeCount << d.lectureCount << d.collectionEntryCount << d.manualRooms[0] / 3
         << d.assignmentCount;
    // Size[10..30]
    const StoreCounters &k = d.counters;
    const RecountFacts &f = d.facts;
    line << f.longestCode << f.longestName << f.realWeeks << k.plannedTotal << k.allocatedTotal
         << k.scheduledTotal << k.bookedWeeksTotal << k.tableBookedTotal << k.largestTimetable
         << f.bookedCells[1] << f.bookedCells[2] << f.bookedCells[3] << d.roleCount
         << static_cast<long long>(d.comments.size()) << static_cast<long long>(d.memos.size())
         << d.collectionCount << f.wrongCollectionEntries << d.eventList[0] << d.resourceList[0]
         << k.timetabledResources << k.codesWithLectures;
    // AttrS[0,n], AttrS[1,n]
    for (int n = 0; n <= 7; ++n)
        line << k.eventCounters[static_cast<std::size_t>(n)];
    for (int n = 0; n <= 7; ++n)
        line << k.resourceCounters[static_cast<std::size_t>(n)];
    // XTrace[0..63]
    for (const std::int32_t counter : d.usageCounters)
        line << counter;
    // P[0..255]
    std::vector<int> blocks(BlockSizeColumns, 0);
    for (int i = 1; i <= d.lectureCount; ++i) {
        const LectureView v = unpackLecture(d, i);
        if (v.startDay == 0 || v.endWeek < v.startWeek || v.endDay < v.startDay ||
            v.endBell < v.startBell)
            continue;
        const int cells = (v.endWeek - v.startWeek + 1) * (v.endDay - v.startDay + 1) *
                          (v.endBell - v.startBell + 1);
        ++blocks[static_cast<std::size_t>(std::min(cells, BlockSizeColumns - 1))];
    }
    for (const int count : blocks)
        line << count;
    return line.text;
}

} // namespace

std::string fileStatisticsPath(const std::string &pattern)
{
    const fs::path full(pattern);
    return ((full.has_parent_path() ? full.parent_path() : fs::path(".")) / "stats.txt").string();
}

std::string fileStatisticsHeader()
{
    std::string header = "FileName;Description;FileSize;Age;Access;MaxPeriods;MaxDays;MaxHours;"
                         "UsedPeriods;UsedDays;UsedHours";
    for (int n = 0; n <= 4; ++n)
        header += ";LSize[" + std::to_string(n) + "]";
    for (int n = 10; n <= 30; ++n)
        header += ";Size[" + std::to_string(n) + "]";
    for (int a = 0; a <= 1; ++a) {
        for (int n = 0; n <= 7; ++n)
            header += ";AttrS[" + std::to_string(a) + "," + std::to_string(n) + "]";
    }
    for (int n = 0; n <= 63; ++n)
        header += ";XTrace[" + std::to_string(n) + "]";
    for (int n = 0; n < BlockSizeColumns; ++n)
        header += ";P[" + std::to_string(n) + "]";
    return header;
}

int writeFileStatistics(Session &s, const std::string &pattern)
{
    const fs::path full(pattern);
    const fs::path folder = full.has_parent_path() ? full.parent_path() : fs::path(".");
    const std::string namePattern = full.filename().string();
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec) && matches(namePattern, entry.path().filename().string()))
            files.push_back(entry.path());
    }
    std::ranges::sort(files);

    std::string report = fileStatisticsHeader() + "\r\n";
    int listed = 0;
    for (const fs::path &file : files) {
        if (checkDataFile(file.string()).verdict != FileVerdict::Valid)
            continue;
        auto d = makeScheduleData();
        auto read = readDataFile(file.string(), *d);
        if (!read)
            continue;
        tidy(*d);
        recount(*d);
        const auto size = fs::file_size(file, ec);
        s.progress.status(file.filename().string() + " - " +
                          std::to_string(ec ? 0 : static_cast<long long>(size)) + " b (" +
                          std::to_string(d->codeCount) + "," + std::to_string(d->lectureCount) +
                          "," + std::to_string(d->collectionEntryCount) + ")");
        report += statisticsLine(s, file, *d) + "\r\n";
        ++listed;
    }
    s.progress.status("");
    const std::string target = fileStatisticsPath(pattern);
    auto written = writeFileAtomically(
        target, std::span(reinterpret_cast<const std::uint8_t *>(report.data()), report.size()));
    if (!written) {
        s.prompter.dlg("The file statistics could not be written to \"" + target +
                           "\": " + written.error().detail + ".",
                       0, 0, Buttons::Ok, DialogKind::Error);
        return -1;
    }
    return listed;
}

} // namespace quivra
