#include "cli/clisupport.h"

#include "engine/textutil.h"
#include "files/datafile.h"
#include "files/textexchange.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace quivra::cli {

int fileError(const std::string &reason)
{
    std::cerr << "quivra-cli: " << reason << '\n';
    return BadFile;
}

Arguments parseArguments(int argc, char **argv, std::string_view accepted)
{
    std::set<std::string, std::less<>> flags;
    std::set<std::string, std::less<>> withValue;
    std::istringstream names{std::string(accepted)};
    for (std::string name; names >> name;) {
        if (name.ends_with('='))
            withValue.insert(name.substr(0, name.size() - 1));
        else
            flags.insert(name);
    }
    Arguments a;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!arg.starts_with("--")) {
            a.positional.emplace_back(arg);
            continue;
        }
        const std::string_view name = arg.substr(2);
        if (flags.contains(name)) {
            a.switches.emplace(name);
        } else if (withValue.contains(name) && i + 1 < argc) {
            a.values[std::string(name)] = argv[++i];
        } else {
            a.valid = false;
        }
    }
    return a;
}

// A whole number in low..high; nullopt when the text is anything else.
std::optional<long long> number(const std::string &text, long long low, long long high)
{
    if (text.empty())
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return std::nullopt;
    return value;
}

bool hasExtension(std::string_view path, std::string_view extension)
{
    if (path.size() < extension.size())
        return false;
    const std::string_view tail = path.substr(path.size() - extension.size());
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] + 32) : tail[i];
        if (c != extension[i])
            return false;
    }
    return true;
}

bool isTextFileName(std::string_view path)
{
    return hasExtension(path, ".qvx");
}

// Output goes by the name: a .qvf data file or a .qvx text file; anything else is refused.
bool refusedOutput(const std::string &path)
{
    if (hasExtension(path, ".qvf") || isTextFileName(path))
        return false;
    std::cerr << "quivra-cli: " << path << ": only .qvf and .qvx files can be written\n";
    return true;
}

// The moment a run stands for: SOURCE_DATE_EPOCH when set (reproducible output), else now.
std::time_t runMoment()
{
    if (const char *epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char *end = nullptr;
        const long long value = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0' && value > 0)
            return static_cast<std::time_t>(value);
    }
    return std::time(nullptr);
}

// Date serial of the run's local day (days from 30 December 1899).
std::int32_t runDay()
{
    const std::time_t now = runMoment();
    std::tm local{};
    localtime_r(&now, &local);
    return dateSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

void reportSkipped(const std::string &path, const ImportReport &report)
{
    if (report.linesSkipped == 0)
        return;
    std::cerr << "quivra-cli: " << path << ": " << report.linesSkipped << " line(s) skipped\n";
    for (const std::string &sample : report.samples)
        std::cerr << "  " << sample << '\n';
}

// Reads a data file, or imports a text file, into a new data set; only a complete read counts
// as success.
bool load(const std::string &path, ScheduleData &d, std::string &reason)
{
    if (isTextFileName(path)) {
        auto report = importTextFile(path, d, runDay());
        if (!report) {
            reason = path + ": " + report.error().detail;
            return false;
        }
        reportSkipped(path, *report);
        return true;
    }
    auto report = readDataFile(path, d);
    if (!report) {
        reason = path + ": " + report.error().detail;
        return false;
    }
    if (!report->complete) {
        reason = path + ": damaged file: " + report->reason;
        return false;
    }
    return true;
}

std::unique_ptr<ScheduleData> loadOrReport(const std::string &path)
{
    auto d = makeScheduleData();
    std::string reason;
    if (!load(path, *d, reason)) {
        fileError(reason);
        return nullptr;
    }
    return d;
}

// Writes a data file, or a text file for a .qvx name.
bool save(ScheduleData &d, const std::string &path, std::string &reason)
{
    Result<void> saved;
    if (isTextFileName(path)) {
        ExportOptions options;
        options.created = runMoment();
        saved = exportTextFile(d, path, options);
    } else {
        saved = writeDataFile(d, path);
    }
    if (!saved)
        reason = path + ": " + saved.error().detail;
    return saved.has_value();
}

// A command's result: JSON, or one "key: value" line per key.
void print(const Json &result, bool json)
{
    if (json) {
        std::cout << result.dump(2) << '\n';
        return;
    }
    for (const auto &[key, value] : result.items())
        std::cout << key << ": " << value << '\n';
}

} // namespace quivra::cli
