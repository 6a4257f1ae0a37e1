#pragma once

// Roles a resource plays in an event, and their assignments. Roles sit at 1..roleCount and
// assignments (event, resource, role id) at 1..assignmentCount; after normaliseRoles every role id
// equals its position and each (event, resource) pair has at most one assignment. The operations
// keep the roles' use counts current.

#include "engine/scheduledata.h"

#include <string>
#include <string_view>

namespace quivra {

// Index of the pair's first assignment, 0 if none.
int findAssignment(const ScheduleData &d, int event, int resource);
// Position of the pair's role in the role table, 0 if none.
int roleOf(const ScheduleData &d, int event, int resource);
std::string roleNameOf(const ScheduleData &d, int event, int resource);
std::string roleNameById(const ScheduleData &d, int roleId);
// Position of the first role named exactly `name` other than `excluded`, 0 if none.
int findRoleByName(const ScheduleData &d, std::string_view name, int excluded = 0);
// Removes the pair's first assignment (later ones move down); its index, or 0.
int removeAssignment(ScheduleData &d, int event, int resource);
// Removes every assignment of the pair, then stores (event, resource, roleId) when the resource is
// in the event's collection and some role has that id (role 0 only clears). Returns the number of
// assignments, or 0 when the store is full.
int setRole(ScheduleData &d, int event, int resource, int roleId);
// Appends a role with id = position; 0 when the name is empty or the table is full.
int addRole(ScheduleData &d, std::string_view name);

// The edits of the role list a user makes. Each marks the data set modified when it changed it.
// Inserts a role at `position` (1..roleCount + 1; the roles from there move down) with an id
// one above the largest in use and no uses; assignments keep their roles. Returns the position,
// 0 when the name is empty or the table is full.
int insertRole(ScheduleData &d, int position, std::string_view name);
// Gives role `position` the name (cut to the stored length); false for an empty name or an
// invalid position.
bool renameRole(ScheduleData &d, int position, std::string_view name);
// Takes role `position` out of the table and drops its assignments (normaliseRoles).
bool removeRole(ScheduleData &d, int position);
// Exchanges the roles at two positions; their assignments follow them.
bool swapRoles(ScheduleData &d, int a, int b);
// Removes every assignment; the number removed.
int clearAssignments(ScheduleData &d);
// Whether reports and views show roles.
void setRolesOn(ScheduleData &d, bool on);
// Keeps, in order, the first assignment of each pair when it joins an event to a resource and
// names an existing role; then role ids become positions and uses are recounted.
void normaliseRoles(ScheduleData &d);
void recountRoleUses(ScheduleData &d);

} // namespace quivra
