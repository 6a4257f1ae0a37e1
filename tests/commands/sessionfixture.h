#pragma once

// A session in a temporary folder for the command tests: scripted dialogs, a fixed clock, the
// program, user and data folders inside the temporary folder, and helpers to write data files.

#include "commands/session.h"
#include "engine/dump.h"
#include "engine/textutil.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quivra::testing {

namespace fs = std::filesystem;

// Noon, local time, of a calendar day; and that day's date serial.
inline std::chrono::system_clock::time_point noon(int year, int month, int day)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = 12;
    parts.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&parts));
}

class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "quivra-commands-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    const fs::path &path() const { return m_path; }
    std::string operator/(const std::string &name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

inline std::vector<std::uint8_t> fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A small institution: two teachers, a room, two events with placements, a memo and a title.
inline void buildSample(ScheduleData &d)
{
    FixtureBuilder f(d);
    f.calendar(4, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
    f.event("E1", {"T1", "R1"}, 2).allocate("E1", 1, 2, 2).place("E1", 1, 1, 1, 2);
    f.event("E2", {"T2", "R1"}, 1).allocate("E2", 1, 1, 1).place("E2", 1, 2, 3, 3);
    f.memo("T1", "part time");
    f.finish();
    d.reportTitles[1] = "Staff timetable";
}

// Writes the sample (or `build`) to `path`.
template <typename Build = void (*)(ScheduleData &)>
void writeSample(const std::string &path, Build build = buildSample)
{
    auto d = makeScheduleData();
    build(*d);
    ASSERT_TRUE(writeDataFile(*d, path).has_value());
}

// The dump of a data set without the moments of saving and opening, which differ per read.
inline std::string dumpWithoutTimes(const ScheduleData &d)
{
    std::string out;
    std::istringstream in(dumpScheduleData(d));
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("saved "))
            out += line + "\n";
    }
    return out;
}

inline std::string dumpOfFile(const std::string &path)
{
    auto d = makeScheduleData();
    EXPECT_TRUE(readDataFile(path, *d).has_value());
    return dumpWithoutTimes(*d);
}

struct SessionFixture
{
    explicit SessionFixture(const TempFolder &root)
        : data(makeScheduleData()), clock(dateSerial(2027, 3, 1), noon(2027, 3, 1)), prompter(ui),
          session(*data, settings, paths(root), prompter, clock, progress)
    {
        fs::create_directories(root.path() / "program");
        fs::create_directories(root.path() / "data");
        settings.directory.defaultDir = root / "data";
        settings.preferences.capacityCheck = true; // no question about capacity tags
        settings.preferences.takeBackUp = false;
    }

    static SettingsPaths paths(const TempFolder &root)
    {
        return {root.path() / "program", root.path() / "config", root.path() / "user"};
    }

    std::unique_ptr<ScheduleData> data;
    Settings settings;
    ScriptedDialogs ui;
    FixedClock clock;
    NullProgress progress;
    Prompter prompter;
    Session session;
};

} // namespace quivra::testing
