#include "commands/campuscommands.h"

#include "commands/filecommands.h"
#include "commands/sessionfixture.h"
#include "engine/codetable.h"
#include "files/textexchange.h"

#include <gtest/gtest.h>

#include <functional>

namespace quivra {
namespace {

using namespace quivra::testing;

// T1 teaches E1 in room RA (Lab @A) and E2 in room RB (Lab @B) on day 1 of weeks 1 and 2.
void buildCampus(ScheduleData &d)
{
    FixtureBuilder f(d);
    f.calendar(3, 5, 6).resources('T', {"T1"}).resources('R', {"RA", "RB"});
    f.event("E1", {"T1", "RA"}, 1).allocate("E1", 1, 2, 1);
    f.event("E2", {"T1", "RB"}, 1).allocate("E2", 1, 2, 1);
    for (int w = 1; w <= 2; ++w)
        f.place("E1", w, 1, 1, 1).place("E2", w, 1, 3, 3);
    f.finish();
    d.codes[f.id("RA")].name.assign("Lab @A");
    d.codes[f.id("RB")].name.assign("Lab @B");
}

struct OpenCampus
{
    explicit OpenCampus(const TempFolder &root) : f(root), path(root / "data/campus.qvf")
    {
        writeSample(path, buildCampus);
        EXPECT_TRUE(openWindows(f.session, path));
    }
    SessionFixture f;
    std::string path;
};

std::string fileText(const std::string &path)
{
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

TEST(CampusCommands, CancelAtAnyQuestionChangesNothing)
{
    struct Case
    {
        const char *name;
        std::function<void(Session &)> command;
        std::function<void(ScriptedDialogs &, const TempFolder &)> script;
    };
    const Case cases[] = {
        {"add: file", [](Session &s) { campusAddTextFile(s); },
         [](ScriptedDialogs &ui, const TempFolder &) { ui.cancel(); }},
        {"export: layout", [](Session &s) { campusExportFile(s); },
         [](ScriptedDialogs &ui, const TempFolder &) { ui.cancel(); }},
        {"export: file", [](Session &s) { campusExportFile(s); },
         [](ScriptedDialogs &ui, const TempFolder &) { ui.choose(1).cancel(); }},
        {"export: weeks", [](Session &s) { campusExportFile(s); },
         [](ScriptedDialogs &ui, const TempFolder &root) {
             ui.choose(1).file(root / "data/out.csv").cancel();
         }},
        {"categories: rooms", [](Session &s) { defineCampusCategories(s); },
         [](ScriptedDialogs &ui, const TempFolder &) { ui.cancel(); }},
        {"check: category", checkCampusCollisions,
         [](ScriptedDialogs &ui, const TempFolder &) {
             ui.expect("The following 2 campuses have been defined for 2 (out of 2) rooms")
                 .answer(Answer::Ok)
                 .cancel();
         }},
        {"check: first week", checkCampusCollisions,
         [](ScriptedDialogs &ui, const TempFolder &) { ui.answer(Answer::Ok).choose(2).cancel(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        OpenCampus o(root);
        const std::string before = dumpScheduleData(*o.f.data);
        c.script(o.f.ui, root);
        c.command(o.f.session);
        EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
        EXPECT_EQ(dumpScheduleData(*o.f.data), before);
        EXPECT_FALSE(fs::exists(root / "data/out.csv"));
    }
}

TEST(CampusCommands, ExportWritesTheChosenWeeks)
{
    TempFolder root;
    OpenCampus o(root);
    const std::string out = root / "data/out.csv";
    o.f.ui.expect("Select the export").choose(1).file(out);
    o.f.ui.expect("Select the weeks(s)").chooseFocused({2}, 2);
    o.f.ui.expect("(2 lines).").answer(Answer::Ok);
    EXPECT_TRUE(campusExportFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    EXPECT_EQ(fileText(out), "1=E1;2;1;1;RA;T1;1;2\r\n2=E2;2;3;3;RB;T1;1;2\r\n");
}

// The added file's period that collides in RA is removed, and the message says so.
TEST(CampusCommands, AddingAFileRemovesTheConflictsItBrings)
{
    TempFolder root;
    OpenCampus o(root);
    auto other = makeScheduleData();
    FixtureBuilder f(*other);
    f.calendar(3, 5, 6).resources('R', {"RA"});
    f.event("NEW", {"RA"}, 1).allocate("NEW", 1, 1, 1).place("NEW", 1, 1, 1, 1);
    f.finish();
    const std::string qvx = root / "data/admin.qvx";
    ASSERT_TRUE(exportTextFile(*other, qvx));
    o.f.ui.expect("Select the .qvx file to add data from").file(qvx);
    o.f.ui.expect("1 conflicting cell(s) found, 1 removed.").answer(Answer::Ok);
    EXPECT_TRUE(campusAddTextFile(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    const ScheduleData &d = *o.f.data;
    EXPECT_EQ(d.codes[findCode(d, "NEW")].scheduled, 0);
    EXPECT_EQ(d.codes[findCode(d, "E1")].scheduled, 2);
}

TEST(CampusCommands, CategoriesSetTheRoles)
{
    TempFolder root;
    OpenCampus o(root);
    o.f.ui.expect("\"Rooms\"").choose(2).expect("\"Lecturers\"").choose(3);
    o.f.ui.expect("\"Invigilators\"").choose(3).expect("\"Students\"").choose(2);
    o.f.ui.expect("\"Exams\"").choose(8);
    EXPECT_TRUE(defineCampusCategories(o.f.session));
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    const CampusRoles roles = campusRoles(o.f.session);
    EXPECT_EQ(roles.rooms, 2);
    EXPECT_EQ(o.f.data->roomsCategory, 2);
    EXPECT_EQ(roles.lecturers, 3);
    EXPECT_EQ(roles.invigilators, 3);
    EXPECT_EQ(roles.students, 2);
    EXPECT_EQ(roles.exams, 0) << "the all-events option means every event is an exam";
}

TEST(CampusCommands, CheckListsTheCollisions)
{
    TempFolder root;
    OpenCampus o(root);
    o.f.ui.expect("A - (2 out of 2 periods scheduled, used by 1 events)").answer(Answer::Ok);
    o.f.ui.expect("campus collisions").choose(2);
    o.f.ui.expect("Select the first week from 2 weeks").choose(1);
    o.f.ui.expect("Select the last week from 2 weeks").choose(2);
    o.f.ui.expect("Campus collisions of selected 1 resources (Teachers)").cancel();
    checkCampusCollisions(o.f.session);
    EXPECT_TRUE(o.f.ui.finished()) << o.f.ui.problems();
    const ShownDialog &list = o.f.ui.shown().back();
    EXPECT_EQ(list.caption, "Campus collisions (2)");
    ASSERT_EQ(list.options.size(), 2u);
    EXPECT_TRUE(list.options[0].text.ends_with("T1: E1 (RA) <> E2 (RB)")) << list.options[0].text;
}

} // namespace
} // namespace quivra
