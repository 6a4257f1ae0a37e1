// Placeholder bodies; replaced by the real implementation.
#include "engine/roles.h"

namespace quivra {

int findAssignment(const ScheduleData &d, int event, int resource)
{ return {}; }

int roleOf(const ScheduleData &d, int event, int resource)
{ return {}; }

std::string roleNameOf(const ScheduleData &d, int event, int resource)
{ return {}; }

std::string roleNameById(const ScheduleData &d, int roleId)
{ return {}; }

int findRoleByName(const ScheduleData &d, std::string_view name, int excluded)
{ return {}; }

int removeAssignment(ScheduleData &d, int event, int resource)
{ return {}; }

int setRole(ScheduleData &d, int event, int resource, int roleId)
{ return {}; }

int addRole(ScheduleData &d, std::string_view name)
{ return {}; }

void normaliseRoles(ScheduleData &d)
{}

void recountRoleUses(ScheduleData &d)
{}

} // namespace quivra
