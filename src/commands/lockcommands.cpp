#include "commands/lockcommands.h"

#include "commands/commandsupport.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/random.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace quivra {

// ----- locking --------------------------------------------------------------------------------

bool lockEventsByRules(ScheduleData &d, Prompter &p, int command, std::string_view caption)
{
    std::vector<char> lockedBefore(static_cast<std::size_t>(d.codeCount) + 1);
    for (CodeId c = 1; c <= d.codeCount; ++c)
        lockedBefore[c] = isEventCode(d, c) && isLockedCode(d, c);
    const auto changedCount = [&] {
        int changed = 0;
        for (CodeId c = 1; c <= d.codeCount; ++c)
            changed += isEventCode(d, c) && (isLockedCode(d, c) != bool(lockedBefore[c])) ? 1 : 0;
        return changed;
    };
    const auto report = [&] {
        const int changed = changedCount();
        p.infoDlg(std::to_string(countLocked(d)) + " events locked, " + std::to_string(changed) +
                  " changed.");
        return changed > 0;
    };

    // The resources to lock start with none checked.
    if (command == SelectResourcesToLock) {
        const auto chosen = pickOfKind(d, p, "Select the resources to lock", false);
        if (!chosen)
            return false;
        for (const CodeId r : *chosen)
            setLock(d, r, LockMode::Lock);
        return report();
    }

    int events = 0;
    for (CodeId c = 1; c <= d.codeCount; ++c)
        events += isEventCode(d, c) ? 1 : 0;
    std::vector<CodeId> picked;
    if (command == SelectEventsToLock) {
        // The events to lock start from the events locked now.
        std::vector<CodeId> locked;
        for (CodeId c = 1; c <= d.codeCount; ++c) {
            if (isEventCode(d, c) && isLockedCode(d, c))
                locked.push_back(c);
        }
        const auto chosen = pickOfKind(d, p, "Select the events to lock", true, locked);
        if (!chosen)
            return false;
        picked = *chosen;
        events = static_cast<int>(picked.size());
    } else if (command != LockAllByRules && command != UnlockAllByRules) {
        return false;
    }

    std::string name(caption);
    std::erase(name, '&');
    const int rule = p.choice(
        "Additional selection for \"" + name + "\" :", 0, 1,
        "All selected " + std::to_string(events) +
            " events$Only completely scheduled (ALLOCATED=SCHEDULED)$Only partly scheduled "
            "(ALLOCATED>SCHEDULED and SCHEDULED>0)$Only not scheduled (SCHEDULED=0)$");
    if (rule == 0)
        return false;

    for (CodeId c = 1; c <= d.codeCount; ++c) {
        if (!isEventCode(d, c))
            continue;
        const CodeRecord &r = d.codes[c];
        const bool matches = rule == 1 || (rule == 2 && r.allocated == r.scheduled) ||
                             (rule == 3 && r.allocated > r.scheduled && r.scheduled > 0) ||
                             (rule == 4 && r.scheduled == 0);
        if (!matches)
            continue;
        bool lock = command == LockAllByRules;
        if (command == SelectEventsToLock)
            lock = std::ranges::find(picked, c) != picked.end();
        setLock(d, c, lock ? LockMode::Lock : LockMode::Unlock);
    }
    return report();
}

} // namespace quivra
