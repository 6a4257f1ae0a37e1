#pragma once

// Locking and unlocking events by rules or by picked codes.
//
// Every question goes through the Prompter; refreshing the views is the caller's business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string_view>

namespace quivra {

// Lock events: 1 lock all by rules, 2 unlock all by rules, 3 select events to lock, 4 select
// resources to lock. `caption` names the command in the question about the rule.
enum LockCommand : int {
    LockAllByRules = 1,
    UnlockAllByRules = 2,
    SelectEventsToLock = 3,
    SelectResourcesToLock = 4,
};
bool lockEventsByRules(ScheduleData &d, Prompter &p, int command, std::string_view caption);

} // namespace quivra
