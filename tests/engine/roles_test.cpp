#include "engine/roles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quivra {

static bool operator==(const RoleAssignment &a, const RoleAssignment &b)
{
    return a.event == b.event && a.resource == b.resource && a.role == b.role;
}

namespace {

// Events E1 (R1, R2) and E2 (R1); R3 belongs to no collection.
class RolesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        d = makeScheduleData();
        e1 = addCode("E1", true);
        e2 = addCode("E2", true);
        r1 = addCode("R1", false);
        r2 = addCode("R2", false);
        r3 = addCode("R3", false);
        addCollection(e1, {r1, r2});
        addCollection(e2, {r1});
    }

    CodeId addCode(const char *code, bool event)
    {
        const int c = ++d->codeCount;
        d->codes[c].code.assign(code);
        d->codes[c].flags = static_cast<std::uint16_t>((event ? IsEventBit : 0) | 0x80);
        return static_cast<CodeId>(c);
    }

    void addCollection(CodeId event, std::vector<CodeId> members)
    {
        d->collection[++d->collectionEntryCount] =
            static_cast<std::uint16_t>(event | CollectionMarkerBit);
        d->codes[event].collectionPos = static_cast<std::uint16_t>(d->collectionEntryCount);
        for (CodeId r : members)
            d->collection[++d->collectionEntryCount] = r;
        ++d->collectionCount;
    }

    void addRoleWithId(const char *name, int id)
    {
        Role &role = d->roles[++d->roleCount];
        role.id = static_cast<std::uint16_t>(id);
        role.name.assign(name);
    }

    void addAssignment(int event, int resource, int role)
    {
        d->assignments[++d->assignmentCount] = {static_cast<CodeId>(event),
                                                static_cast<CodeId>(resource),
                                                static_cast<std::uint16_t>(role)};
    }

    std::vector<RoleAssignment> assignments() const
    {
        return {d->assignments.begin() + 1, d->assignments.begin() + 1 + d->assignmentCount};
    }

    std::unique_ptr<ScheduleData> d;
    CodeId e1 = 0, e2 = 0, r1 = 0, r2 = 0, r3 = 0;
};

TEST_F(RolesTest, NormaliseKeepsFirstValidAssignmentsAndMapsIdsToPositions)
{
    addRoleWithId("Lecturer", 7);
    addRoleWithId("Assistant", 3);
    addRoleWithId("Tutor", 9);
    addAssignment(e1, r1, 7);
    addAssignment(e1, r1, 3); // second of its pair
    addAssignment(e1, r2, 5); // no role has id 5
    addAssignment(r1, e1, 7); // resource and event swapped
    addAssignment(e2, r1, 0); // no role
    addAssignment(e1, 99, 9); // not a code
    addAssignment(e2, r2, 9);
    const int oldCount = d->assignmentCount;

    normaliseRoles(*d);

    EXPECT_EQ(assignments(), (std::vector<RoleAssignment>{{e1, r1, 1}, {e2, r2, 3}}));
    for (int i = d->assignmentCount + 1; i <= oldCount; ++i)
        EXPECT_TRUE(d->assignments[i] == RoleAssignment{}) << i;
    EXPECT_EQ(d->roleCount, 3);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(d->roles[i].id, i);
    EXPECT_EQ(d->roles[1].uses, 1);
    EXPECT_EQ(d->roles[2].uses, 0);
    EXPECT_EQ(d->roles[3].uses, 1);
    EXPECT_EQ(roleNameOf(*d, e1, r1), "Lecturer");
    EXPECT_EQ(roleNameOf(*d, e1, r2), "");
    EXPECT_EQ(roleOf(*d, e2, r2), 3);
}

TEST_F(RolesTest, SetAndRemoveKeepUsesCurrent)
{
    ASSERT_EQ(addRole(*d, "Lecturer"), 1);
    ASSERT_EQ(addRole(*d, "Assistant"), 2);

    EXPECT_EQ(setRole(*d, e1, r1, 1), 1);
    EXPECT_EQ(setRole(*d, e1, r2, 2), 2);
    EXPECT_EQ(setRole(*d, e2, r1, 2), 3);
    EXPECT_EQ(setRole(*d, e1, r2, 1), 3); // replaces the pair's assignment
    EXPECT_EQ(roleOf(*d, e1, r2), 1);
    EXPECT_EQ(d->roles[1].uses, 2);
    EXPECT_EQ(d->roles[2].uses, 1);

    // Refused: not a member, a role id nobody has; role 0 clears the pair.
    EXPECT_EQ(setRole(*d, e1, r3, 1), 3);
    EXPECT_EQ(setRole(*d, e2, r1, 77), 2);
    EXPECT_EQ(findAssignment(*d, e1, r3), 0);
    EXPECT_EQ(findAssignment(*d, e2, r1), 0);
    EXPECT_EQ(setRole(*d, e1, r1, 0), 1);
    EXPECT_EQ(assignments(), (std::vector<RoleAssignment>{{e1, r2, 1}}));

    // The last user goes; the role stays with no uses.
    EXPECT_EQ(removeAssignment(*d, e1, r2), 1);
    EXPECT_EQ(removeAssignment(*d, e1, r2), 0);
    EXPECT_EQ(d->assignmentCount, 0);
    EXPECT_TRUE(d->assignments[1] == RoleAssignment{});
    EXPECT_EQ(d->roleCount, 2);
    EXPECT_EQ(d->roles[1].uses, 0);
    normaliseRoles(*d);
    EXPECT_EQ(d->roleCount, 2);
    EXPECT_EQ(roleNameById(*d, 1), "Lecturer");
}

TEST_F(RolesTest, FullStoresRefuse)
{
    ASSERT_EQ(addRole(*d, "Lecturer"), 1);
    EXPECT_EQ(addRole(*d, ""), 0);
    for (int i = 0; i < MaxAssignments; ++i)
        addAssignment(e2, r1, 1);
    EXPECT_EQ(setRole(*d, e1, r1, 1), 0);
    EXPECT_EQ(findAssignment(*d, e1, r1), 0);
    EXPECT_EQ(d->assignmentCount, MaxAssignments);

    while (d->roleCount < MaxRoles)
        ASSERT_NE(addRole(*d, "Another"), 0);
    EXPECT_EQ(addRole(*d, "One too many"), 0);
    EXPECT_EQ(d->roleCount, MaxRoles);
}

TEST_F(RolesTest, LookUpsByNameAndId)
{
    addRoleWithId("Lecturer", 4);
    addRoleWithId("Assistant", 1);
    addRoleWithId("Lecturer", 2);
    EXPECT_EQ(findRoleByName(*d, "Lecturer"), 1);
    EXPECT_EQ(findRoleByName(*d, "Lecturer", 1), 3);
    EXPECT_EQ(findRoleByName(*d, "lecturer"), 0);
    EXPECT_EQ(roleNameById(*d, 1), "Assistant"); // by id, not by position
    EXPECT_EQ(roleNameById(*d, 4), "Lecturer");
    EXPECT_EQ(roleNameById(*d, 5), "");
    EXPECT_EQ(roleNameById(*d, 0), "");
}

TEST_F(RolesTest, ListEditsKeepEveryAssignmentOnItsRole)
{
    addRoleWithId("Lecturer", 1);
    addRoleWithId("Assistant", 2);
    addAssignment(e1, r1, 1);
    addAssignment(e1, r2, 2);
    const auto roleNames = [&] {
        std::vector<std::string> names;
        for (int i = 1; i <= d->roleCount; ++i)
            names.push_back(d->roles[static_cast<std::size_t>(i)].name.str());
        return names;
    };

    EXPECT_EQ(insertRole(*d, 1, "Tutor"), 1);
    EXPECT_EQ(d->roles[1].id, 3) << "one above the largest id";
    normaliseRoles(*d);
    EXPECT_EQ(roleNames(), (std::vector<std::string>{"Tutor", "Lecturer", "Assistant"}));
    EXPECT_EQ(roleNameOf(*d, e1, r1), "Lecturer");
    EXPECT_EQ(roleNameOf(*d, e1, r2), "Assistant");

    EXPECT_TRUE(swapRoles(*d, 2, 3));
    EXPECT_EQ(roleNameOf(*d, e1, r1), "Lecturer");
    EXPECT_EQ(d->roles[3].uses, 1);

    EXPECT_TRUE(removeRole(*d, 3)); // Lecturer
    EXPECT_EQ(roleNames(), (std::vector<std::string>{"Tutor", "Assistant"}));
    EXPECT_EQ(roleNameOf(*d, e1, r1), "");
    EXPECT_EQ(roleNameOf(*d, e1, r2), "Assistant");
    EXPECT_FALSE(removeRole(*d, 3));
    EXPECT_FALSE(renameRole(*d, 1, ""));
    EXPECT_EQ(clearAssignments(*d), 1);
    EXPECT_EQ(d->roles[2].uses, 0);

    // Setting the role a pair already plays changes nothing.
    setRole(*d, e1, r2, 2);
    d->modified = false;
    setRole(*d, e1, r2, 2);
    EXPECT_FALSE(d->modified);
    setRole(*d, e1, r2, 1);
    EXPECT_TRUE(d->modified);
}

} // namespace
} // namespace quivra
