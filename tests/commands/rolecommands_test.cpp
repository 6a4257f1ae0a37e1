// Manage roles: the role list (add, edit, remove, move, paste), giving roles to the resources of
// one event or of every event, and what the dialog shows. Every question cancelled or declined
// changes nothing.

#include "commands/rolecommands.h"

#include "engine/roles.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

using namespace quivra;

namespace {

class RolesTest : public ::testing::Test
{
protected:
    RolesTest() : d(makeScheduleData()), f(*d), p(ui)
    {
        f.calendar(1, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        f.event("MATH", {"T1", "R1"}).event("ENG", {"T2", "R1"}).event("ART", {"T1"});
        f.role("MATH", "T1", "Lecturer").role("ENG", "T2", "Assistant");
        f.finish();
    }

    std::vector<std::string> roleNames() const
    {
        std::vector<std::string> names;
        for (int i = 1; i <= d->roleCount; ++i)
            names.push_back(d->roles[static_cast<std::size_t>(i)].name.str());
        return names;
    }

    std::unique_ptr<ScheduleData> d;
    FixtureBuilder f;
    ScriptedDialogs ui;
    Prompter p;
};

TEST_F(RolesTest, ShowsResourcesWithTheirRolesAndTheCounter)
{
    RolesEditor r(*d, p, f.id("MATH"));
    const auto lines = r.resourceLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "T: T1 Lecturer");
    EXPECT_TRUE(lines[0].hasRole);
    EXPECT_EQ(lines[1].text, "R: R1");
    EXPECT_FALSE(lines[1].hasRole);
    EXPECT_EQ(r.roleLines(), (std::vector<std::string>{"Lecturer", "Assistant", ""}));
    EXPECT_EQ(r.roleHint(1), "Role \"Lecturer\" used 1 times");
    EXPECT_EQ(r.counter(), "2 roles added, 1 to this event");
    r.stepEvent(-5);
    EXPECT_EQ(r.event(), f.id("MATH")) << "held at the first event";
    r.stepEvent(1);
    EXPECT_EQ(r.event(), f.id("ENG"));
    EXPECT_FALSE(d->modified) << "looking round changes nothing";
}

TEST_F(RolesTest, AddRefusesAnExistingNameAndInsertsAtTheSelectedLine)
{
    RolesEditor r(*d, p, f.id("MATH"));
    // Cancelled, empty, and the same name (same case) change nothing.
    ui.expect("Enter the name for your 3. role:").cancel();
    ui.type("   ");
    ui.type("Lecturer");
    ui.expect("This role name already exists - please select another.").answer(Answer::Ok);
    EXPECT_FALSE(r.addRole());
    EXPECT_FALSE(r.addRole());
    EXPECT_FALSE(r.addRole());
    EXPECT_FALSE(d->modified);
    // Another case is another name; inserted at the selected line, the rest move down.
    r.selectRoleLine(2);
    ui.type("lecturer");
    EXPECT_TRUE(r.addRole());
    // The empty line selected appends.
    r.selectRoleLine(4);
    ui.type("Tutor");
    EXPECT_TRUE(r.addRole());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(roleNames(),
              (std::vector<std::string>{"Lecturer", "lecturer", "Assistant", "Tutor"}));
    EXPECT_TRUE(d->modified);
    // Assignments keep their roles through the insertion.
    EXPECT_EQ(roleNameOf(*d, f.id("ENG"), f.id("T2")), "Assistant");
    EXPECT_EQ(roleNameOf(*d, f.id("MATH"), f.id("T1")), "Lecturer");
}

TEST_F(RolesTest, EditRemoveAndMoveKeepAssignmentsConsistent)
{
    RolesEditor r(*d, p, f.id("MATH"));
    r.selectRoleLine(2);
    ui.expect("Change \"Assistant\":").type("Lecturer");
    ui.expect("already exists").answer(Answer::Ok);
    EXPECT_FALSE(r.editRole());
    ui.type("Helper");
    EXPECT_TRUE(r.editRole());
    EXPECT_EQ(roleNameOf(*d, f.id("ENG"), f.id("T2")), "Helper");

    r.moveRole(-1);
    EXPECT_EQ(roleNames(), (std::vector<std::string>{"Helper", "Lecturer"}));
    EXPECT_EQ(r.selectedRole(), 1);
    EXPECT_EQ(roleNameOf(*d, f.id("MATH"), f.id("T1")), "Lecturer");

    ui.expect("to remove \"Helper\" from the role list").answer(Answer::No);
    EXPECT_FALSE(r.removeRole());
    EXPECT_EQ(d->roleCount, 2);
    ui.expect("to remove \"Helper\" from the role list").answer(Answer::Yes);
    EXPECT_TRUE(r.removeRole());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(roleNames(), (std::vector<std::string>{"Lecturer"}));
    EXPECT_EQ(d->assignmentCount, 1) << "the removed role's assignment went with it";
    EXPECT_EQ(roleNameOf(*d, f.id("MATH"), f.id("T1")), "Lecturer");
}

TEST_F(RolesTest, RolesGoOnlyToEventsHoldingTheResource)
{
    RolesEditor r(*d, p, f.id("MATH"));
    r.selectRoleLine(2);     // Assistant
    r.selectResourceLine(1); // T1
    EXPECT_EQ(r.assignHint(), "Add role \"Assistant\" to \"T1\"?");
    EXPECT_EQ(r.assignAllCaption(), "Add role \"Assistant\" to \"T1\" in all events");
    EXPECT_TRUE(r.assignInAllEvents());
    EXPECT_EQ(roleNameOf(*d, f.id("MATH"), f.id("T1")), "Assistant");
    EXPECT_EQ(roleNameOf(*d, f.id("ART"), f.id("T1")), "Assistant");
    EXPECT_EQ(findAssignment(*d, f.id("ENG"), f.id("T1")), 0) << "ENG does not hold T1";
    EXPECT_EQ(d->roles[2].uses, 3);

    EXPECT_TRUE(r.unassign());
    EXPECT_EQ(findAssignment(*d, f.id("MATH"), f.id("T1")), 0);
    EXPECT_EQ(roleNameOf(*d, f.id("ART"), f.id("T1")), "Assistant");
    r.selectRoleLine(1);
    EXPECT_TRUE(r.assign());
    EXPECT_FALSE(r.assign()) << "the same role again is no change";
    EXPECT_TRUE(r.unassignInAllEvents());
    EXPECT_EQ(d->assignmentCount, 1);

    ui.expect("to remove all 1 roles from all events").answer(Answer::No);
    EXPECT_FALSE(r.clearAll());
    EXPECT_EQ(d->assignmentCount, 1);
    ui.expect("to remove all 1 roles from all events").answer(Answer::Yes);
    EXPECT_TRUE(r.clearAll());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(d->assignmentCount, 0);
    EXPECT_EQ(r.counter(), "0 roles added, 0 to this event");
}

TEST_F(RolesTest, PasteAddsOnlyNewNonBlankNamesAtTheEnd)
{
    RolesEditor r(*d, p, f.id("MATH"));
    EXPECT_TRUE(r.paste("Tutor\tLecturer\r\n\r\n  Examiner  \t\nTutor\n"));
    EXPECT_EQ(roleNames(),
              (std::vector<std::string>{"Lecturer", "Assistant", "Tutor", "Examiner"}));
    EXPECT_FALSE(r.paste("Lecturer\r\n\t"));
    EXPECT_EQ(r.copyText(), "Lecturer\r\nAssistant\r\nTutor\r\nExaminer\r\n");
}

TEST_F(RolesTest, CloseStoresTheSwitchAndNothingToManageIsTold)
{
    RolesEditor r(*d, p, f.id("MATH"));
    r.close(true);
    EXPECT_FALSE(d->modified) << "an unchanged switch is no change";
    r.close(false);
    EXPECT_FALSE(d->rolesOn);
    EXPECT_TRUE(d->modified);

    EXPECT_TRUE(rolesManageable(*d));
    EXPECT_FALSE(r.startFirstRole()) << "roles exist";
    auto empty = makeScheduleData();
    FixtureBuilder g(*empty);
    g.calendar(1, 5, 6).resources('T', {"T1"});
    g.event("LONE", {});
    g.finish();
    EXPECT_FALSE(rolesManageable(*empty));
    RolesEditor first(*empty, p, 0);
    ui.expect("You have no roles yet.").answer(Answer::Ok);
    ui.expect("Enter the name for your 1. role:").type("Lecturer");
    EXPECT_TRUE(first.startFirstRole());
    EXPECT_TRUE(ui.finished()) << ui.problems();
    EXPECT_EQ(empty->roleCount, 1);
}

} // namespace
