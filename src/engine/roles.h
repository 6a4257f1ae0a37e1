#pragma once

// Roles a resource plays in an event, and their assignments.

#include "engine/scheduledata.h"

#include <string>
#include <string_view>

namespace quivra {

int findAssignment(const ScheduleData &d, int event, int resource);
int roleOf(const ScheduleData &d, int event, int resource);
std::string roleNameOf(const ScheduleData &d, int event, int resource);
std::string roleNameById(const ScheduleData &d, int roleId);
int findRoleByName(const ScheduleData &d, std::string_view name, int excluded = 0);
int removeAssignment(ScheduleData &d, int event, int resource);
int setRole(ScheduleData &d, int event, int resource, int roleId);
int addRole(ScheduleData &d, std::string_view name);
void normaliseRoles(ScheduleData &d);
void recountRoleUses(ScheduleData &d);

} // namespace quivra
