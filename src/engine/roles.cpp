#include "engine/roles.h"

#include "engine/collections.h"

#include <algorithm>
#include <unordered_set>

namespace quivra {

namespace {

std::size_t at(int i)
{
    return static_cast<std::size_t>(i);
}

// Counts as far as the stores reach, whatever a damaged file claimed.
int roleCount(const ScheduleData &d)
{
    return std::clamp(d.roleCount, 0, MaxRoles);
}

int assignmentCount(const ScheduleData &d)
{
    return std::clamp(d.assignmentCount, 0, MaxAssignments);
}

bool isEvent(const ScheduleData &d, int c)
{
    return validCode(d, c) && d.codes[at(c)].isEvent();
}

bool isResource(const ScheduleData &d, int c)
{
    return validCode(d, c) && !d.codes[at(c)].isEvent();
}

// Position of the first role with that id, 0 if none.
int rolePosition(const ScheduleData &d, int roleId)
{
    if (roleId < 1)
        return 0;
    // After normalisation ids are positions, so try that first.
    if (roleId <= roleCount(d) && d.roles[at(roleId)].id == roleId)
        return roleId;
    for (int i = 1; i <= roleCount(d); ++i)
        if (d.roles[at(i)].id == roleId)
            return i;
    return 0;
}

void adjustUses(ScheduleData &d, int roleId, int delta)
{
    const int pos = rolePosition(d, roleId);
    if (pos == 0)
        return;
    Role &role = d.roles[at(pos)];
    const int uses = role.uses + delta;
    role.uses = static_cast<std::uint16_t>(uses < 0 ? 0 : uses);
}

bool inCollection(const ScheduleData &d, int event, int resource)
{
    const MemberList members = collectionOf(d, static_cast<CodeId>(event));
    const int count = std::min<int>(members[0], MaxMembers);
    for (int i = 1; i <= count; ++i)
        if (members[at(i)] == resource)
            return true;
    return false;
}

} // namespace

int findAssignment(const ScheduleData &d, int event, int resource)
{
    for (int i = 1; i <= assignmentCount(d); ++i) {
        const RoleAssignment &a = d.assignments[at(i)];
        if (a.event == event && a.resource == resource)
            return i;
    }
    return 0;
}

int roleOf(const ScheduleData &d, int event, int resource)
{
    const int i = findAssignment(d, event, resource);
    return i == 0 ? 0 : rolePosition(d, d.assignments[at(i)].role);
}

std::string roleNameOf(const ScheduleData &d, int event, int resource)
{
    const int pos = roleOf(d, event, resource);
    return pos == 0 ? std::string() : d.roles[at(pos)].name.str();
}

std::string roleNameById(const ScheduleData &d, int roleId)
{
    const int pos = rolePosition(d, roleId);
    return pos == 0 ? std::string() : d.roles[at(pos)].name.str();
}

int findRoleByName(const ScheduleData &d, std::string_view name, int excluded)
{
    for (int i = 1; i <= roleCount(d); ++i)
        if (i != excluded && d.roles[at(i)].name.view() == name)
            return i;
    return 0;
}

int removeAssignment(ScheduleData &d, int event, int resource)
{
    const int i = findAssignment(d, event, resource);
    if (i == 0)
        return 0;
    d.modified = true;
    adjustUses(d, d.assignments[at(i)].role, -1);
    const int count = assignmentCount(d);
    for (int k = i; k < count; ++k)
        d.assignments[at(k)] = d.assignments[at(k + 1)];
    d.assignments[at(count)] = RoleAssignment{};
    d.assignmentCount = count - 1;
    return i;
}

int setRole(ScheduleData &d, int event, int resource, int roleId)
{
    // The pair already plays exactly this role: nothing to change.
    const int held = findAssignment(d, event, resource);
    if (held != 0 && roleId != 0 && d.assignments[at(held)].role == roleId) {
        bool single = true;
        for (int i = held + 1; i <= assignmentCount(d); ++i) {
            const RoleAssignment &a = d.assignments[at(i)];
            single = single && !(a.event == event && a.resource == resource);
        }
        if (single)
            return d.assignmentCount;
    }
    while (removeAssignment(d, event, resource) != 0) {
    }
    // Role 0 clears the pair; an id no role has would leave a dangling reference.
    if (roleId == 0 || rolePosition(d, roleId) == 0 || !isEvent(d, event) ||
        !isResource(d, resource) || !inCollection(d, event, resource))
        return d.assignmentCount;
    if (assignmentCount(d) >= MaxAssignments)
        return 0;
    d.modified = true;
    d.assignmentCount = assignmentCount(d) + 1;
    d.assignments[at(d.assignmentCount)] = {static_cast<CodeId>(event),
                                            static_cast<CodeId>(resource),
                                            static_cast<std::uint16_t>(roleId)};
    adjustUses(d, roleId, 1);
    return d.assignmentCount;
}

int addRole(ScheduleData &d, std::string_view name)
{
    if (name.empty() || roleCount(d) >= MaxRoles)
        return 0;
    d.roleCount = roleCount(d) + 1;
    Role &role = d.roles[at(d.roleCount)];
    role = Role{};
    role.id = static_cast<std::uint16_t>(d.roleCount);
    role.name.assign(name);
    return d.roleCount;
}

int insertRole(ScheduleData &d, int position, std::string_view name)
{
    const int count = roleCount(d);
    if (name.empty() || count >= MaxRoles)
        return 0;
    position = std::clamp(position, 1, count + 1);
    int largest = 0;
    for (int i = 1; i <= count; ++i)
        largest = std::max<int>(largest, d.roles[at(i)].id);
    for (int i = count; i >= position; --i)
        d.roles[at(i + 1)] = d.roles[at(i)];
    Role &role = d.roles[at(position)];
    role = Role{};
    role.id = static_cast<std::uint16_t>(largest + 1);
    role.name.assign(name);
    d.roleCount = count + 1;
    d.modified = true;
    return position;
}

bool renameRole(ScheduleData &d, int position, std::string_view name)
{
    if (name.empty() || position < 1 || position > roleCount(d))
        return false;
    Role &role = d.roles[at(position)];
    const std::string before = role.name.str();
    role.name.assign(name);
    if (role.name.str() != before)
        d.modified = true;
    return true;
}

bool removeRole(ScheduleData &d, int position)
{
    const int count = roleCount(d);
    if (position < 1 || position > count)
        return false;
    for (int i = position; i < count; ++i)
        d.roles[at(i)] = d.roles[at(i + 1)];
    d.roles[at(count)] = Role{};
    d.roleCount = count - 1;
    normaliseRoles(d);
    d.modified = true;
    return true;
}

bool swapRoles(ScheduleData &d, int a, int b)
{
    const int count = roleCount(d);
    if (a < 1 || b < 1 || a > count || b > count || a == b)
        return false;
    std::swap(d.roles[at(a)], d.roles[at(b)]);
    normaliseRoles(d);
    d.modified = true;
    return true;
}

int clearAssignments(ScheduleData &d)
{
    const int count = assignmentCount(d);
    for (int i = 1; i <= count; ++i)
        d.assignments[at(i)] = RoleAssignment{};
    d.assignmentCount = 0;
    recountRoleUses(d);
    if (count > 0)
        d.modified = true;
    return count;
}

void setRolesOn(ScheduleData &d, bool on)
{
    if (d.rolesOn != on)
        d.modified = true;
    d.rolesOn = on;
}

void normaliseRoles(ScheduleData &d)
{
    d.roleCount = roleCount(d);
    d.assignmentCount = assignmentCount(d);

    // The first assignment of a pair is the one every look-up finds, so it alone decides.
    std::unordered_set<std::uint32_t> seen;
    int kept = 0;
    for (int i = 1; i <= d.assignmentCount; ++i) {
        const RoleAssignment a = d.assignments[at(i)];
        if (!seen.insert(std::uint32_t{a.event} << 16 | a.resource).second)
            continue;
        if (!isEvent(d, a.event) || !isResource(d, a.resource))
            continue;
        const int pos = rolePosition(d, a.role);
        if (pos == 0)
            continue; // role 0, or an id no role carries
        d.assignments[at(++kept)] = {a.event, a.resource, static_cast<std::uint16_t>(pos)};
    }
    for (int i = kept + 1; i <= d.assignmentCount; ++i)
        d.assignments[at(i)] = RoleAssignment{};
    d.assignmentCount = kept;

    for (int i = 1; i <= roleCount(d); ++i)
        d.roles[at(i)].id = static_cast<std::uint16_t>(i);
    recountRoleUses(d);
}

void recountRoleUses(ScheduleData &d)
{
    for (int i = 1; i <= roleCount(d); ++i)
        d.roles[at(i)].uses = 0;
    for (int i = 1; i <= assignmentCount(d); ++i)
        adjustUses(d, d.assignments[at(i)].role, 1);
}

} // namespace quivra
