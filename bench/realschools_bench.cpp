// Scheduling and optimising real schools: for every NAME.qvx of a folder (NAME-*.qvx are starts
// from a finished timetable and are left out), `schedule` (initial solution and completion) and
// then `optimise` with a time limit, as the command line runs them. One row per school and seed:
//   placed, planned, conflicts   after both steps
//   schedule_s, optimise_s       wall seconds of each step
//   T_gaps, G_gaps               teacher (category 2) and group (category 1) gaps as this program
//                                counts them: a booked cell inside the day is a free cell
//   T_gaps_b, G_gaps_b           the same with booked cells taken out of the day first
//
// The folder is the first argument (--schools=DIR) or QUIVRA_SCHOOLS; without one, or when it
// does not exist, nothing runs. QUIVRA_SECONDS (default 60) is the optimiser's time limit,
// QUIVRA_SEEDS (default "1") a comma-separated list of seeds. Long: run it under nice.

#include "engine/calendar.h"
#include "engine/gaps.h"
#include "engine/weekmatrix.h"
#include "files/textexchange.h"
#include "optimise/improver.h"
#include "optimise/initialsolution.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace quivra {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int GroupCategory = 1;
constexpr int TeacherCategory = 2;

struct Gaps
{
    int teachers = 0, groups = 0;                   // booked cells count as free
    int teachersBookedOut = 0, groupsBookedOut = 0; // booked cells taken out of the day
};

// The day's periods with the booked bells removed, the bells above moving down.
std::uint32_t withoutBooked(std::uint32_t periods, std::uint32_t booked)
{
    std::uint32_t out = 0;
    int to = 0;
    for (int bell = 0; bell < 32; ++bell) {
        const std::uint32_t bit = 1u << bell;
        if (booked & bit)
            continue;
        if (periods & bit)
            out |= 1u << to;
        ++to;
    }
    return out;
}

Gaps countGaps(ScheduleData &d)
{
    Gaps g;
    WeekMatrix m;
    for (int w = 1; w <= usedWeeks(d); ++w) {
        m.build(d, w);
        const std::uint32_t used = bellSpan(1, m.usedBells());
        for (int row = 1; row <= m.rowCount(); ++row) {
            const int k = m.categoryOfRow(row);
            if (k != GroupCategory && k != TeacherCategory)
                continue;
            for (int day = 1; day <= m.usedDays(); ++day) {
                const std::uint32_t periods = m.eventMask(row, day) & used;
                const std::uint32_t booked = m.bookingMask(row, day) & used & ~periods;
                const int plain = dayGaps(periods);
                const int bookedOut = dayGaps(withoutBooked(periods, booked));
                (k == TeacherCategory ? g.teachers : g.groups) += plain;
                (k == TeacherCategory ? g.teachersBookedOut : g.groupsBookedOut) += bookedOut;
            }
        }
    }
    return g;
}

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void runSchool(benchmark::State &state, const std::string &path, std::uint32_t seed, double budget)
{
    for (auto _ : state) {
        auto d = makeScheduleData();
        if (!importTextFile(path, *d, 0)) {
            state.SkipWithError("the file cannot be read");
            return;
        }
        const auto scheduleStart = Clock::now();
        const ScheduleSummary s = scheduleAll(*d, seed, true);
        const double scheduleSeconds = seconds(scheduleStart);

        OptimiseSettings o;
        o.seed = seed;
        o.maxSeconds = budget;
        o.bookings = d->header.bookingsCountAsOccupied != 0;
        const auto optimiseStart = Clock::now();
        const OptimiseResult r = optimiseWithBudget(*d, o);
        const double optimiseSeconds = seconds(optimiseStart);

        const Gaps g = countGaps(*d);
        state.counters["placed"] = static_cast<double>(d->counters.scheduledTotal);
        state.counters["planned"] = static_cast<double>(s.allocated);
        state.counters["conflicts"] = conflictsInWeeks(*d, 1, usedWeeks(*d));
        state.counters["schedule_s"] = scheduleSeconds;
        state.counters["optimise_s"] = optimiseSeconds;
        state.counters["T_gaps"] = g.teachers;
        state.counters["G_gaps"] = g.groups;
        state.counters["T_gaps_b"] = g.teachersBookedOut;
        state.counters["G_gaps_b"] = g.groupsBookedOut;
        state.counters["seed"] = seed;
        benchmark::DoNotOptimize(r.gapsAfter);
    }
}

std::vector<std::uint32_t> seedsFrom(const char *text)
{
    std::vector<std::uint32_t> seeds;
    std::string s = text ? text : "1";
    std::size_t at = 0;
    while (at <= s.size()) {
        const std::size_t end = std::min(s.find(',', at), s.size());
        const std::string item = s.substr(at, end - at);
        if (!item.empty())
            seeds.push_back(static_cast<std::uint32_t>(std::strtoul(item.c_str(), nullptr, 10)));
        at = end + 1;
    }
    if (seeds.empty())
        seeds.push_back(1);
    return seeds;
}

} // namespace
} // namespace quivra

int main(int argc, char **argv)
{
    using namespace quivra;
    std::string folder = std::getenv("QUIVRA_SCHOOLS") ? std::getenv("QUIVRA_SCHOOLS") : "";
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a.starts_with("--schools="))
            folder = std::string(a.substr(10));
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());

    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) {
        std::cout << "No folder of schools (--schools=DIR or QUIVRA_SCHOOLS): nothing to run.\n";
        return 0;
    }
    const char *budgetText = std::getenv("QUIVRA_SECONDS");
    const double budget = budgetText ? std::max(1.0, std::atof(budgetText)) : 60.0;
    const std::vector<std::uint32_t> seeds = seedsFrom(std::getenv("QUIVRA_SEEDS"));

    std::vector<fs::path> files;
    for (const auto &entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".qvx" &&
            entry.path().stem().string().find('-') == std::string::npos)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path &file : files)
        for (const std::uint32_t seed : seeds)
            benchmark::RegisterBenchmark(
                (file.stem().string() + "/seed:" + std::to_string(seed)).c_str(),
                [path = file.string(), seed, budget](benchmark::State &state) {
                    runSchool(state, path, seed, budget);
                })
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
