// A stop requested through the one progress port ends every long loop.

#include "engine/conflicts.h"
#include "optimise/initialsolution.h"
#include "optimise/optimiser.h"
#include "optimise/tools.h"
#include "support/generator.h"
#include "support/progress.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

// Removes without asking and wants no lines.
class NoQuestions final : public SweepDialogue
{
public:
    Handling askHandling() override { return Handling::Remove; }
    bool offerLines(bool) override { return false; }
    void deliverLines(const std::string &) override {}
};

void markEvents(ScheduleData &d)
{
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].isEvent())
            d.codes[c].flags |= 1;
}

TEST(StopRequest, EndsEachLongLoopAtItsNextCheck)
{
    struct Case
    {
        const char *name;
        bool placed; // the generated timetables are placed; else the periods wait for placing
        bool (*run)(ScheduleData &, Progress &); // true when the loop says it was stopped
    };
    const Case cases[] = {
        {"conflict sweep", true,
         [](ScheduleData &d, Progress &p) {
             NoQuestions dialogue;
             return conflictSweep(d, {1, SweepHandling::Ask}, dialogue, p).stopped;
         }},
        {"optimiser", true,
         [](ScheduleData &d, Progress &p) {
             OptimiseSettings s;
             s.maxRounds = 2;
             return optimise(d, s, p).end == OptimiseEnd::Stopped;
         }},
        {"initial solution", false,
         [](ScheduleData &d, Progress &p) {
             markEvents(d);
             return runInitialSolution(d, defaultInitialSettings(d), PatternTable{}, p).stopped;
         }},
        {"remove periods", true,
         [](ScheduleData &d, Progress &p) {
             markEvents(d);
             TimeRange firstDays = defaultInitialSettings(d).range;
             firstDays.endDay = firstDays.startDay; // periods stay elsewhere: no early end
             return removePeriods(d, firstDays, false, p).stopped;
         }},
    };
    constexpr int StopAt = 3;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        InstitutionPlan plan = mediumInstitution(3);
        plan.place = c.placed;

        auto whole = makeScheduleData();
        generateInstitution(*whole, plan);
        CountingProgress unstopped;
        EXPECT_FALSE(c.run(*whole, unstopped));
        EXPECT_GT(unstopped.polls, StopAt + 1);

        auto d = makeScheduleData();
        generateInstitution(*d, plan);
        CountingProgress stop(StopAt);
        EXPECT_TRUE(c.run(*d, stop));
        // The poll that saw the stop ends the loop; the optimiser polls once more, at the end of
        // the week it was in.
        EXPECT_GE(stop.polls, StopAt);
        EXPECT_LE(stop.polls, StopAt + 1);
        EXPECT_EQ(stop.begins, 1);
        EXPECT_EQ(stop.ends, 1) << "what the run showed is closed";
    }
}

} // namespace
} // namespace quivra
