// What every quivra-cli command shares: its arguments, the exit codes, reading and writing the
// data set by file name, and printing a result as JSON or as "key: value" lines.
#pragma once

#include "engine/scheduledata.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {
struct ImportReport;
}

namespace quivra::cli {

using Json = nlohmann::ordered_json;

enum ExitCode : int { Done = 0, Usage = 1, BadFile = 2, Refused = 3 };

// The arguments of one command: positionals, switches and options with a value. A command
// names what it accepts as "json remove out= rule=" (a trailing "=" takes a value).
struct Arguments
{
    std::vector<std::string> positional;
    std::set<std::string, std::less<>> switches;
    std::map<std::string, std::string, std::less<>> values;
    bool valid = true;

    bool has(std::string_view name) const { return switches.contains(name); }
    std::string value(std::string_view name) const
    {
        const auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
    bool given(std::string_view name) const { return values.contains(name); }

    bool json() const { return has("json"); }
    std::string out() const { return value("out"); }
};

// Prints the usage text to stderr and returns Usage.
int usage();
// Prints "quivra-cli: <reason>" to stderr and returns BadFile.
int fileError(const std::string &reason);

Arguments parseArguments(int argc, char **argv, std::string_view accepted);
// A whole number in low..high; nullopt when the text is anything else.
std::optional<long long> number(const std::string &text, long long low, long long high);
bool hasExtension(std::string_view path, std::string_view extension);
bool isTextFileName(std::string_view path);
// Output goes by the name: a .qvf data file or a .qvx text file; anything else is refused.
bool refusedOutput(const std::string &path);
// The moment a run stands for: SOURCE_DATE_EPOCH when set (reproducible output), else now.
std::time_t runMoment();
// Date serial of the run's local day (days from 30 December 1899).
std::int32_t runDay();
void reportSkipped(const std::string &path, const ImportReport &report);
// Reads a data file, or imports a text file, into a new data set; only a complete read counts
// as success.
bool load(const std::string &path, ScheduleData &d, std::string &reason);
// A new data set read from `path` as load() reads it; nullptr when the read failed, after
// printing the reason as fileError() does (the command then exits with BadFile).
std::unique_ptr<ScheduleData> loadOrReport(const std::string &path);
// Writes a data file, or a text file for a .qvx name.
bool save(ScheduleData &d, const std::string &path, std::string &reason);
// A command's result: JSON, or one "key: value" line per key.
void print(const Json &result, bool json);

} // namespace quivra::cli
