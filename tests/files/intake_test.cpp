#include "files/intake.h"

#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "files/datafile.h"
#include "files/textexchange.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace quivra {
namespace {

namespace fs = std::filesystem;

// The pattern of one intake: 10 weeks of MATH1 (group G1, teacher T1) and ENG1 (G1, T2) on a
// calendar of 24 weeks; G1 is of the category copied per intake.
std::unique_ptr<ScheduleData> plan(int mathBell = 1)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(24, 5, 8).resources('G', {"G1"}).resources('T', {"T1", "T2"});
    f.event("MATH1", {"G1", "T1"}, 1).event("ENG1", {"G1", "T2"}, 1);
    f.allocate("MATH1", 1, 10, 1).allocate("ENG1", 1, 10, 1);
    for (int w = 1; w <= 10; ++w)
        f.place("MATH1", w, 1, mathBell, mathBell).place("ENG1", w, 2, 3, 3);
    f.comment("[010203];MATH1;Exam");
    f.finish();
    return d;
}

IntakePlan twoIntakes(int secondStart)
{
    return IntakePlan{1, IntakeForm::PostfixLetter, {1, secondStart}};
}

std::vector<std::string> codesOf(const ScheduleData &d)
{
    std::vector<std::string> codes;
    for (CodeId c = 1; c <= d.codeCount; ++c)
        codes.push_back(d.codes[c].code.str());
    return codes;
}

// The dump without the moments a file stamps when it is saved and opened.
std::string withoutClock(const std::string &dump)
{
    std::string out;
    std::size_t at = 0;
    while (at < dump.size()) {
        const std::size_t end = std::min(dump.find('\n', at), dump.size());
        const std::string_view line(dump.data() + at, end - at);
        if (!line.starts_with("saved ") && !line.starts_with("usage "))
            out.append(line).push_back('\n');
        at = end + 1;
    }
    return out;
}

TEST(Intake, MarkersKeepFifteenCharactersAndTheMarkerWhole)
{
    struct Case
    {
        IntakeForm form;
        int intake;
        std::string base, code;
    } cases[] = {
        {IntakeForm::PostfixLetter, 2, "MATH1", "MATH1~b"},
        {IntakeForm::PrefixLetter, 1, "MATH1", "a~MATH1"},
        {IntakeForm::PostfixNumber, 12, "MATH1", "MATH1~12"},
        {IntakeForm::PrefixNumber, 2, "MATH1", "2~MATH1"},
        {IntakeForm::PostfixLetter, 26, "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLM~z"},
        {IntakeForm::PrefixNumber, 10, "ABCDEFGHIJKLMNO", "10~ABCDEFGHIJKL"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(intakeCode(c.base, c.form, c.intake), c.code) << c.base;
    EXPECT_EQ(intakeFileStem("Plan", IntakeForm::PostfixLetter, 2), "Plan~b");
}

// Two intakes starting in weeks 1 and 13: marked events and groups per intake, shared teachers,
// 22 weeks, and the same data set as intake 1's data file with intake 2's text file added.
TEST(Intake, PlanFixtureMergesLikeTheFileRoundTrip)
{
    auto pattern = plan();
    const std::string before = dumpScheduleData(*pattern);
    ASSERT_EQ(intakeLength(*pattern), 10);
    auto result = mergeIntakes(*pattern, twoIntakes(13));
    ASSERT_TRUE(result) << result.error().detail;
    EXPECT_EQ(dumpScheduleData(*pattern), before) << "the pattern is left alone";
    EXPECT_EQ(result->weeks, 22);
    EXPECT_EQ(result->conflicts.removed, 0);
    EXPECT_EQ(result->linesSkipped, 0);
    const ScheduleData &m = *result->merged;
    auto codes = codesOf(m);
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<std::string>{"ENG1~a", "ENG1~b", "G1~a", "G1~b", "MATH1~a",
                                               "MATH1~b", "T1", "T2"}));
    const CodeId b = findCode(m, "MATH1~b");
    const CodeId t1 = findCode(m, "T1");
    ASSERT_NE(b, 0);
    EXPECT_EQ(m.codes[b].scheduled, 10);
    EXPECT_EQ(m.scheduleExtent.endWeek, 22);
    EXPECT_EQ(m.codes[t1].scheduled, 20) << "the teacher is shared by both intakes";
    EXPECT_EQ(m.calendarRange.endWeek, 24) << "the calendar stays the pattern's";
    auto second = buildIntake(*pattern, twoIntakes(13), 2);
    ASSERT_TRUE(second);
    EXPECT_EQ((*second)->comments, std::vector<std::string>{"[022203];MATH1~b;Exam"})
        << "comments follow their code and move with the weeks once";

    // The same through files.
    const fs::path dir = fs::temp_directory_path() / ("quivra-intake-" + std::to_string(getpid()));
    fs::create_directories(dir);
    auto a = buildIntake(*pattern, twoIntakes(13), 1);
    ASSERT_TRUE(a);
    ASSERT_TRUE(writeDataFile(**a, (dir / "Plan~a.qvf").string()));
    ASSERT_TRUE(exportTextFile(**second, (dir / "Plan~b.qvx").string()));
    auto viaFiles = makeScheduleData();
    ASSERT_TRUE(readDataFile((dir / "Plan~a.qvf").string(), *viaFiles));
    ASSERT_TRUE(addTextFile(*viaFiles, (dir / "Plan~b.qvx").string(), 1, AddSweep::LeaveToCaller));
    sweepConflicts(*viaFiles, 1, true);
    recount(*viaFiles);
    totals(*viaFiles, 1, viaFiles->codeCount);
    allResourceTotals(*viaFiles);
    rebuildLists(*viaFiles);
    EXPECT_EQ(withoutClock(dumpScheduleData(m)), withoutClock(dumpScheduleData(*viaFiles)));
    fs::remove_all(dir);
}

// Overlapping intakes share the teacher: the later intake loses the cells it fights over, and
// the result says how many.
TEST(Intake, OverlapsAreRemovedAndCounted)
{
    auto pattern = plan();
    auto result = mergeIntakes(*pattern, twoIntakes(5));
    ASSERT_TRUE(result) << result.error().detail;
    // In weeks 5..10 MATH1~b meets MATH1~a at T1 and ENG1~b meets ENG1~a at T2.
    EXPECT_EQ(result->conflicts.removed, 12);
    EXPECT_EQ(result->merged->codes[findCode(*result->merged, "MATH1~b")].scheduled, 4);
    EXPECT_EQ(result->merged->codes[findCode(*result->merged, "ENG1~b")].scheduled, 4);
    EXPECT_EQ(result->merged->codes[findCode(*result->merged, "MATH1~a")].scheduled, 10);
}

TEST(Intake, PrefixFormsMarkFromThePatternsCodes)
{
    auto pattern = plan();
    IntakePlan p{1, IntakeForm::PrefixNumber, {1, 13}};
    auto second = buildIntake(*pattern, p, 2);
    ASSERT_TRUE(second);
    EXPECT_NE(findCode(**second, "2~MATH1"), 0);
    EXPECT_NE(findCode(**second, "2~G1"), 0);
    EXPECT_EQ(findCode(**second, "2~T1"), 0);
}

// Plans the pattern cannot take are refused before anything is built.
TEST(Intake, ImpossiblePlansAreRefused)
{
    auto pattern = plan();
    FixtureBuilder f(*pattern);
    // Two long group codes that the marker would cut to one.
    f.resources('G', {"ABCDEFGHIJKLMN1", "ABCDEFGHIJKLMN2"});
    f.finish();
    const auto clash = checkIntakePlan(*pattern, twoIntakes(13));
    ASSERT_FALSE(clash);
    EXPECT_NE(clash.error().detail.find("ABCDEFGHIJKLM~a"), std::string::npos);

    auto small = plan();
    struct Case
    {
        std::vector<int> starts;
    } cases[] = {{{1}}, {{2, 13}}, {{1, 16}}, {{1, 13, 13}}};
    for (const Case &c : cases)
        EXPECT_FALSE(checkIntakePlan(*small, IntakePlan{1, IntakeForm::PostfixLetter, c.starts}))
            << c.starts.size();
    // A calendar no longer than one intake offers no second one.
    small->calendarRange.endWeek = 10;
    EXPECT_EQ(largestIntakeCount(*small, 1), 0);
}

} // namespace
} // namespace quivra
