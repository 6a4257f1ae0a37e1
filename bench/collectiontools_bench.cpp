// The collection and exchange tools on large data sets: intake scheduling's build and merge of
// four intakes, balancing 1500 students over the events of their subjects, the campus export of
// every meeting, and the campus check of every teacher.

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "files/intake.h"
#include "optimise/selection.h"
#include "reports/campus.h"
#include "support/generator.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace quivra {
namespace {

std::uint16_t categoryBit(int k)
{
    return static_cast<std::uint16_t>(1u << (CategoryShift + k - 1));
}

CodeId addCode(ScheduleData &d, const std::string &code, std::uint16_t flags)
{
    CodeRecord record;
    record.code.assign(code);
    record.name.assign(code);
    record.flags = flags;
    return static_cast<CodeId>(insertCode(d, d.codeCount + 1, record));
}

// 10 subjects of 6 events each; 1500 students who each take 3 subjects: the first event of a
// subject holds as many of its students as it can (239), each other event one.
std::unique_ptr<ScheduleData> unevenStudents()
{
    auto d = makeScheduleData();
    d->resourceCategories.assign("G:Groups$T:Teachers$R:Rooms$S:Subjects$P:Students$");
    d->calendarRange.endWeek = 1;
    d->calendarRange.endDay = 5;
    d->calendarRange.endBell = 8;
    constexpr int Subjects = 10, EventsPerSubject = 6, Students = 1500;
    std::vector<CodeId> subjects, students;
    for (int s = 0; s < Subjects; ++s)
        subjects.push_back(addCode(*d, "SUB" + std::to_string(s), categoryBit(4)));
    for (int t = 0; t < Students; ++t)
        students.push_back(addCode(*d, "P" + std::to_string(t), categoryBit(5)));
    for (int s = 0; s < Subjects; ++s) {
        for (int e = 0; e < EventsPerSubject; ++e) {
            const CodeId event = addCode(*d, "E" + std::to_string(s) + "-" + std::to_string(e),
                                         IsEventBit | categoryBit(1));
            MemberList m{};
            m[++m[0]] = subjects[static_cast<std::size_t>(s)];
            // The first event takes every student of the subject it can hold, each other
            // event one student (an event without students is not balanced into).
            for (int t = 0; t < Students && m[0] < MaxMembers; ++t)
                if (t % Subjects == s || (t + 1) % Subjects == s || (t + 2) % Subjects == s)
                    if (e == 0 || t / Subjects == e - 1 + Students / Subjects - 5)
                        m[++m[0]] = students[static_cast<std::size_t>(t)];
            setCollection(*d, event, m);
        }
    }
    recount(*d);
    totals(*d, 1, d->codeCount);
    allResourceTotals(*d);
    rebuildLists(*d);
    return d;
}

std::unique_ptr<ScheduleData> largeWithCampuses()
{
    auto d = makeScheduleData();
    generateInstitution(*d, largeInstitution(11));
    int k = 0;
    for (CodeId c = 1; c <= d->codeCount; ++c)
        if (!d->codes[c].isEvent() && categoryOf(*d, c) == d->roomsCategory)
            d->codes[c].name.assign(d->codes[c].code.str() + (k++ % 2 ? " @North" : " @Main"));
    return d;
}

void BM_IntakeMerge(benchmark::State &state)
{
    auto pattern = makeScheduleData();
    generateInstitution(*pattern, largeInstitution(11));
    pattern->calendarRange.endWeek = 12;
    const IntakePlan plan{1, IntakeForm::PostfixLetter, {1, 3, 5, 7}};
    int codes = 0;
    for (auto _ : state) {
        auto merged = mergeIntakes(*pattern, plan);
        if (!merged)
            state.SkipWithError(merged.error().detail.c_str());
        else
            codes = merged->merged->codeCount;
    }
    state.counters["codes"] = codes;
}
BENCHMARK(BM_IntakeMerge)->Unit(benchmark::kMillisecond);

void BM_BalanceStudents(benchmark::State &state)
{
    const auto pattern = unevenStudents();
    auto d = makeScheduleData();
    NullProgress progress;
    std::size_t moves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        *d = *pattern;
        state.ResumeTiming();
        moves = balanceStudents(*d, SelectionOptions{}, progress).changes.size();
    }
    state.counters["moves"] = static_cast<double>(moves);
}
BENCHMARK(BM_BalanceStudents)->Unit(benchmark::kMillisecond);

void BM_CampusExport(benchmark::State &state)
{
    const auto d = largeWithCampuses();
    std::bitset<WeekTableSize> weeks;
    weeks.set();
    int lines = 0;
    for (auto _ : state)
        lines = campusExport(*d, CampusExportKind::NewCourse, CampusRoles{}, weeks, "ddddd").lines;
    state.counters["lines"] = lines;
}
BENCHMARK(BM_CampusExport)->Unit(benchmark::kMillisecond);

void BM_CampusCollisions(benchmark::State &state)
{
    const auto d = largeWithCampuses();
    std::vector<CodeId> teachers;
    for (CodeId c = 1; c <= d->codeCount; ++c)
        if (!d->codes[c].isEvent() && categoryOf(*d, c) == 2)
            teachers.push_back(c);
    std::size_t found = 0;
    for (auto _ : state)
        found =
            campusCollisions(*d, teachers, d->roomsCategory, 1, usedWeeks(*d)).collisions.size();
    state.counters["collisions"] = static_cast<double>(found);
}
BENCHMARK(BM_CampusCollisions)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quivra
