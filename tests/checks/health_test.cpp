// The stages of the health check, their figures and texts, and their repairs.

#include "checks/health.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quivra {
namespace {

std::vector<HealthStage> stagesOf(const std::vector<HealthFinding> &found)
{
    std::vector<HealthStage> stages;
    for (const HealthFinding &f : found)
        stages.push_back(f.stage);
    return stages;
}

std::optional<HealthFinding> findingOf(ScheduleData &d, HealthStage stage)
{
    for (const HealthFinding &f : healthFindings(d))
        if (f.stage == stage)
            return f;
    return std::nullopt;
}

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// A finding's text must hold every part, in order.
void expectParts(const HealthFinding &f, const std::vector<std::string> &parts)
{
    std::size_t from = 0;
    for (const std::string &part : parts) {
        const std::size_t at = f.text.find(part, from);
        EXPECT_NE(at, std::string::npos) << "missing \"" << part << "\" in\n" << f.text;
        if (at != std::string::npos)
            from = at + part.size();
    }
}

TEST(HealthStages, EachStageReportsItsFindingWithItsFigures)
{
    struct Case
    {
        const char *name;
        std::function<void(ScheduleData &)> build;
        HealthStage stage;
        int count;
        std::vector<std::string> parts;
    };
    const std::vector<Case> cases = {
        {"a new file misses resources and events",
         [](ScheduleData &) {},
         HealthStage::MissingElements,
         2,
         {"Missing elements:\r\n\r\nSome of the following items must exist before you can "
          "proceed:\r\n\r\n",
          "1. No resources have been created yet.", "2. No events have been created yet.",
          "\r\n\r\nSelect [Yes] to check for other items or [No] to exit."}},
        {"resources only in categories without timetables",
         [](ScheduleData &d) {
             d.noTimetableMasks[1] = 1u << 2;
             FixtureBuilder f(d);
             f.calendar(1, 5, 8).resources('T', {"T1"});
             f.event("E1", {"T1"});
             f.finish();
         },
         HealthStage::MissingElements,
         1,
         {"1. None of the 1 resources belong to a category where \"Check for conflicts\" is "
          "checked."}},
        {"45 periods in a week of 40 slots",
         [](ScheduleData &d) {
             FixtureBuilder f(d);
             f.calendar(4, 5, 8).resources('T', {"T1", "T2"});
             f.event("E1", {"T1"}, 45).allocate("E1", 3, 3, 45);
             f.finish();
         },
         HealthStage::EventWeekExcess,
         5,
         {"Critical errors: 5 periods in 1 events and weeks exceed the maximum number 40 "
          "(=8x5) of timetable slots.",
          "(Select \"Edit|Set ALLOCATED = SCHEDULED ...\" in Weeks view to fix it)."}},
        {"three teachers with 130 periods in week 2",
         [](ScheduleData &d) {
             FixtureBuilder f(d);
             f.calendar(3, 5, 8).resources('T', {"T1", "T2", "T3"});
             f.event("E1", {"T1"}, 40).event("E2", {"T2"}, 40).event("E3", {"T3"}, 40);
             f.event("E4", {"T1", "T2", "T3"}, 10);
             for (const char *e : {"E1", "E2", "E3"})
                 f.allocate(e, 2, 2, 40);
             f.allocate("E4", 2, 2, 10);
             f.finish();
         },
         HealthStage::MinimumRequirement,
         1,
         {"you need to add 1 more resource(s)",
          "to the category \"Teachers\" (consisting now of "
          "3 items)",
          "The minimum requirement for the category \"Teachers\" is 4 resources and 150 periods "
          "(on week [2]).",
          "Currently there are 3x8x5 = 120 available periods (on week [2])."}},
        {"a teacher with 45 periods in a week of 40 slots",
         [](ScheduleData &d) {
             FixtureBuilder f(d);
             f.calendar(1, 5, 8).resources('T', {"T1", "T2"});
             f.event("E1", {"T1"}, 25).event("E2", {"T1"}, 20).event("E3", {"T2"}, 1);
             f.allocate("E1", 1, 1, 25).allocate("E2", 1, 1, 20).allocate("E3", 1, 1, 1);
             f.finish();
         },
         HealthStage::WeeklyOverloads,
         1,
         {"than it is possible to schedule (in 8x5=40 slots):\r\n",
          "1. (45h>40h) T1:Name of T1 (Teachers) \r\n",
          "- or increase the number of available slots in \"Options|Limits\"."}},
        {"special characters in codes",
         [](ScheduleData &d) {
             FixtureBuilder f(d);
             f.calendar(1, 5, 8).resources('T', {"T 1"});
             f.event("E,1", {"T 1"}, 1).allocate("E,1", 1, 1, 1).place("E,1", 1, 1, 1, 1);
             f.finish();
         },
         HealthStage::HintsAndTips,
         1,
         {"1. You have used the special characters (\" \",  \";\",  \",\") in the codes of 1 "
          "event(s) and 1 resource(s)"}},
        {"identical resources, one pair also with one name",
         [](ScheduleData &d) {
             FixtureBuilder f(d);
             f.calendar(1, 5, 8).resources('T', {"T1", "T2"});
             f.event("A", {"T1", "T2"}).event("B", {"T2"}).event("C", {"T2", "T1"});
             f.event("D", {"T2"});
             d.codes[f.id("D")].name = d.codes[f.id("B")].name;
             f.finish();
         },
         HealthStage::IdenticalEvents,
         2,
         {"2 out of 4 events have identical lists of resources, 1 out of 2 have identical "
          "names."}},
        {"codes nobody uses",
         [](ScheduleData &d) {
             FixtureBuilder f(d);
             f.calendar(1, 5, 8).resources('T', {"T1", "T2", "T3"});
             f.event("E1", {"T1"}).event("E2", {});
             f.finish();
         },
         HealthStage::UnusedCodes,
         3,
         {"1 (out of 2) events do not have any resources\r\n",
          "2 (out of 3) resources are never used.\r\n", "\r\nDo you want to remove them?"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = makeScheduleData();
        c.build(*d);
        const auto f = findingOf(*d, c.stage);
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(f->count, c.count);
        expectParts(*f, c.parts);
    }
}

TEST(HealthStages, ConflictsAndTheirSourcesAreCountedAndRepaired)
{
    auto d = twoEventsInOneRoom();
    // The teachers share no cell; make T1 join ENG so that its period clashes with MATH's.
    FixtureBuilder f(*d);
    MemberList m = collectionOf(*d, f.id("ENG"));
    m[++m[0]] = f.id("T1");
    setCollection(*d, f.id("ENG"), m);
    noteConflictSource(*d, 3, 46000);
    noteConflictSource(*d, 3, 46001);
    d->modified = false;

    const std::vector<HealthFinding> found = healthFindings(*d);
    ASSERT_GE(found.size(), 2u);
    EXPECT_EQ(found[0].stage, HealthStage::ConflictSources);
    EXPECT_EQ(found[0].count, 2);
    EXPECT_TRUE(contains(found[0].text, " - 2 conflict(s) from \"Tools|Modify collections\"\r\n"));
    EXPECT_EQ(found[1].stage, HealthStage::Conflicts);
    EXPECT_EQ(found[1].text, "Do you want to remove 2 conflicts and 0 manual room overlaps now?");
    EXPECT_FALSE(d->modified) << "finding changes nothing";

    const HealthRepairs r = repairAll(*d);
    EXPECT_TRUE(r.countersReset);
    EXPECT_EQ(r.conflictsRemoved, 2);
    EXPECT_TRUE(d->modified);
    for (const HealthFinding &left : healthFindings(*d))
        EXPECT_FALSE(repairable(left.stage)) << stageKey(left.stage);
}

TEST(HealthStages, FindingsLeaveTheDataAsTheyWere)
{
    auto d = twoEventsInOneRoom();
    noteConflictSource(*d, 1, 46000);
    d->modified = false;
    const std::string before = dumpScheduleData(*d);
    EXPECT_FALSE(healthFindings(*d).empty());
    EXPECT_EQ(dumpScheduleData(*d), before);
    EXPECT_FALSE(d->modified);
}

// The unused codes of a small institution, with totals left stale on purpose.
std::unique_ptr<ScheduleData> withUnusedCodes()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(2, 5, 6).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2", "T3"});
    f.resources('R', {"R1"});
    f.event("E1", {"G1", "T2"}, 2).event("E2", {}).event("E3", {"T3", "R1"}, 1);
    f.event("E4", {});
    f.allocate("E1", 1, 2, 1).allocate("E3", 1, 1, 1).place("E1", 1, 1, 2, 2);
    f.comment("T1 away on Friday").memo("E2", "to be planned");
    f.finish();
    // Totals left from before T2 and R1 joined their events: a stale 0 must not delete them.
    d->codes[f.id("T2")].links = 0;
    d->codes[f.id("R1")].links = 0;
    return d;
}

TEST(UnusedCodes, BatchRemovalEqualsRemovingOneAtATimeAndSparesUsedResources)
{
    auto batch = withUnusedCodes();
    const UnusedCodes found = findUnusedCodes(*batch);
    FixtureBuilder names(*batch);
    std::vector<std::string> codes;
    for (const CodeId c : found.events)
        codes.push_back(batch->codes[c].code.str());
    for (const CodeId c : found.resources)
        codes.push_back(batch->codes[c].code.str());
    EXPECT_EQ(codes, (std::vector<std::string>{"E2", "E4", "G2", "T1"}));

    const UnusedCodes removed = removeUnusedCodes(*batch);
    EXPECT_EQ(removed.size(), 4);

    // One at a time: count usage from the collections, delete the first unused code, search
    // the table again from the start.
    auto single = withUnusedCodes();
    for (;;) {
        const UnusedCodes now = findUnusedCodes(*single);
        if (now.size() == 0)
            break;
        const CodeId first = std::min(now.events.empty() ? CodeId(MaxCodes) : now.events[0],
                                      now.resources.empty() ? CodeId(MaxCodes) : now.resources[0]);
        ASSERT_TRUE(deleteCode(*single, first));
    }
    rebuildLists(*single);
    totals(*single, 1, single->codeCount);
    allResourceTotals(*single);
    EXPECT_EQ(dumpScheduleData(*batch), dumpScheduleData(*single));

    for (const char *kept : {"G1", "T2", "T3", "R1", "E1", "E3"})
        EXPECT_NE(findCode(*batch, kept), 0) << kept;
    EXPECT_EQ(findUnusedCodes(*batch).size(), 0);
}

TEST(HealthStages, ANewFileReportsOnlyWhatIsMissing)
{
    auto d = makeScheduleData();
    EXPECT_EQ(stagesOf(healthFindings(*d)), std::vector<HealthStage>{HealthStage::MissingElements});
    const HealthFinding f = healthFindings(*d).front();
    EXPECT_EQ(findingText(f),
              "Missing elements:\n\nSome of the following items must exist before you can "
              "proceed:\n\n1. No resources have been created yet. Go to Resources view and "
              "press the [Insert] key to create them.\n2. No events have been created yet. Go to "
              "Events view and press the [Insert] key to create them.");
}

} // namespace
} // namespace quivra
