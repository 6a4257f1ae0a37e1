#include "commands/demowizard.h"

#include "checks/health.h"
#include "commands/filecommands.h"
#include "commands/sessionfixture.h"
#include "engine/conflicts.h"

#include <gtest/gtest.h>

#include <functional>

namespace quivra {
namespace {

using namespace quivra::testing;

// The answers of the six questions, in order.
void answerSize(ScriptedDialogs &ui, const DemoSize &size)
{
    for (const DemoQuestion &q : demoQuestions())
        ui.expect(q.question).type(std::to_string(size.*q.field));
}

constexpr DemoSize Small{3, 5, 3, 4, 5, 6};

std::size_t filesIn(const fs::path &folder)
{
    std::error_code ec;
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder, ec), fs::directory_iterator()));
}

// Small institutions are placed completely: nothing left over, no conflict, and the health
// check finds nothing to repair.
TEST(DemoWizard, SmallInstitutionsAreScheduledCompletelyWithoutConflicts)
{
    const DemoSize sizes[] = {Small, {1, 1, 1, 1, 1, 2}, {4, 6, 4, 6, 5, 7}, {6, 10, 6, 8, 5, 7}};
    for (const DemoSize &size : sizes) {
        for (std::uint32_t seed : {1u, 2u, 77u}) {
            SCOPED_TRACE(::testing::Message() << size.groups << " groups, seed " << seed);
            auto d = makeScheduleData();
            const DemoReport r = makeDemoData(*d, size, seed, 46000);
            EXPECT_GT(r.planned, 0);
            EXPECT_EQ(r.scheduled, r.planned);
            EXPECT_EQ(r.conflicts, 0);
            EXPECT_EQ(d->eventList[0], r.events);
            EXPECT_EQ(d->calendarRange.endWeek, 1);
            EXPECT_EQ(d->calendarRange.endDay, size.days);
            EXPECT_EQ(d->calendarRange.endBell, size.bells);
            for (const HealthFinding &f : healthFindings(*d)) {
                EXPECT_FALSE(repairable(f.stage)) << findingText(f);
                EXPECT_NE(f.stage, HealthStage::WeeklyOverloads) << findingText(f);
                EXPECT_NE(f.stage, HealthStage::EventWeekExcess) << findingText(f);
            }
        }
    }
}

// The whole helper: the file is written where the user said, opened, and publishing offered.
// A wrong number is explained and asked again.
TEST(DemoWizard, MakesSavesAndOpensTheDemo)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string path = root / "data/school.qvf";
    f.ui.expect("This helper makes a demo file").answer(Answer::Yes);
    f.ui.expect("How many groups").type("many");
    f.ui.expect("\"many\" is not a number of groups").answer(Answer::Ok);
    f.ui.expect("How many groups").type("31");
    f.ui.expect("\"31\" is not a number of groups").answer(Answer::Ok);
    f.ui.expect("How many groups").type(" 3 ");
    for (const DemoQuestion &q : demoQuestions()) {
        if (q.field != &DemoSize::groups)
            f.ui.expect(q.question).type(std::to_string(Small.*q.field));
    }
    f.ui.expect("3 groups, 5 teachers, 3 rooms and 4 subjects, with 5 days of 6 lessons")
        .answer(Answer::Yes);
    f.ui.expect("Save the demo file as").file(path);
    f.ui.expect("of which").answer(Answer::No);
    ASSERT_TRUE(makeDemoFile(f.session, 5, [](const std::string &) {}));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(f.session.currentFile(), path);
    EXPECT_FALSE(f.data->modified);
    EXPECT_EQ(dumpWithoutTimes(*f.data), dumpOfFile(path));
    auto expected = makeScheduleData();
    makeDemoData(*expected, Small, 5, f.clock.today());
    EXPECT_EQ(f.data->eventList[0], expected->eventList[0]);
    EXPECT_EQ(f.data->counters.scheduledTotal, f.data->counters.allocatedTotal);
}

// The same seed and size make the same file (all but the moment it was saved); another seed
// another one.
TEST(DemoWizard, SameSeedSameFile)
{
    TempFolder root;
    const auto make = [&root](const std::string &name, std::uint32_t seed) {
        SessionFixture f(root);
        f.ui.expect("This helper").answer(Answer::Yes);
        answerSize(f.ui, Small);
        f.ui.expect("Do you want to make it now?").answer(Answer::Yes);
        f.ui.expect("Save the demo file as").file(root / name);
        f.ui.expect("publish").answer(Answer::No);
        EXPECT_TRUE(makeDemoFile(f.session, seed, [](const std::string &) {}));
        EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
        return dumpOfFile(root / name);
    };
    const auto first = make("a.qvf", 9);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(make("b.qvf", 9), first);
    EXPECT_NE(make("c.qvf", 10), first);
}

// Cancelling any question, declining to replace a file or to save the open data leaves every
// file as it was and the open data set unchanged.
TEST(DemoWizard, CancelAtAnyQuestionChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(ScriptedDialogs &, const std::string &taken)> script;
    };
    const auto upToFile = [](ScriptedDialogs &ui) -> ScriptedDialogs & {
        ui.answer(Answer::Yes);
        answerSize(ui, Small);
        return ui.answer(Answer::Yes);
    };
    std::vector<Case> cases = {
        {"start", [](ScriptedDialogs &ui, const std::string &) { ui.answer(Answer::No); }},
        {"summary",
         [](ScriptedDialogs &ui, const std::string &) {
             ui.answer(Answer::Yes);
             answerSize(ui, Small);
             ui.answer(Answer::No);
         }},
        {"file", [&](ScriptedDialogs &ui, const std::string &) { upToFile(ui).cancel(); }},
        {"replace",
         [&](ScriptedDialogs &ui, const std::string &taken) {
             upToFile(ui).file(taken);
             ui.expect("already exists").answer(Answer::No);
             ui.expect("Save the demo file as").cancel();
         }},
        {"save the open file",
         [&](ScriptedDialogs &ui, const std::string &taken) {
             upToFile(ui).file(taken + ".new.qvf");
             ui.expect("You have modified").answer(Answer::Cancel);
         }},
    };
    for (std::size_t k = 0; k < demoQuestions().size(); ++k) {
        cases.push_back({demoQuestions()[k].what, [k](ScriptedDialogs &ui, const std::string &) {
                             ui.answer(Answer::Yes);
                             for (std::size_t i = 0; i < k; ++i)
                                 ui.type("2");
                             ui.cancel();
                         }});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        SessionFixture f(root);
        const std::string open = root / "data/open.qvf";
        writeSample(open);
        ASSERT_TRUE(openWindows(f.session, open));
        f.data->modified = true;
        const auto bytes = fileBytes(open);
        const std::string before = dumpScheduleData(*f.data);
        c.script(f.ui, open);
        EXPECT_FALSE(makeDemoFile(f.session, 1, [](const std::string &) {}));
        EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
        EXPECT_EQ(dumpScheduleData(*f.data), before);
        EXPECT_EQ(f.session.currentFile(), open);
        EXPECT_EQ(fileBytes(open), bytes);
        EXPECT_EQ(filesIn(root.path() / "data"), 1u);
    }
}

// The name offered is free; replacing an existing file is asked first, and Yes writes the
// demo over it.
TEST(DemoWizard, ReplacesAFileOnlyWhenAllowed)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string taken = root / "data/demo-3-groups.qvf";
    writeSample(taken);
    f.ui.expect("This helper").answer(Answer::Yes);
    answerSize(f.ui, Small);
    f.ui.expect("Do you want to make it now?").answer(Answer::Yes);
    f.ui.expect("Save the demo file as").file(taken);
    f.ui.expect("\"" + taken + "\" already exists").answer(Answer::Yes);
    f.ui.expect("publish").answer(Answer::No);
    ASSERT_TRUE(makeDemoFile(f.session, 3, [](const std::string &) {}));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(f.ui.shown()[8].initial, "demo-3-groups-2.qvf");
    EXPECT_EQ(f.session.currentFile(), taken);
    EXPECT_GT(f.data->eventList[0], 2);
}

} // namespace
} // namespace quivra
