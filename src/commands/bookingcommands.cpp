#include "commands/bookingcommands.h"

#include "commands/commandsupport.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
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

// ----- booking defaults -----------------------------------------------------------------------

int bookingChoice(ScheduleData &d, Prompter &p, bool events)
{
    const std::uint16_t current =
        events ? d.header.defaultEventBookingKind : d.header.defaultResourceBookingKind;
    const BookingOwner owner = events ? BookingOwner::Events : BookingOwner::Resources;
    const int kind = std::clamp<int>(current, 1, 3);
    const int offset = events ? 0 : 3;
    const auto kindName = [&](int k) { return listItem(d.bookingKinds.view(), offset + k); };
    const std::string name = kindName(kind);
    std::string options;
    for (int k = 1; k <= 3; ++k)
        options += std::to_string(k) + " " + kindName(k) + "$";
    options += "Change the caption \"" + name + "\" to ... ?$";
    const int chosen =
        p.choice(std::string(LineBreak) + "Change the default booking type " +
                     std::to_string(kind) + " (\"" + name + "\") or its caption" + LineBreak +
                     "(select the last option to change \"" + name + "\").",
                 0, kind, options);
    if (chosen == 0)
        return 0;
    if (chosen <= 3) {
        setDefaultBookingKind(d, owner, chosen);
        return chosen;
    }
    const auto caption =
        p.input("Change the default booking caption",
                "Enter a new caption for \"" + name + "\":", name, ListLength, "$");
    if (!caption || caption->empty() || !renameBookingKind(d, kind, owner, *caption))
        return 0;
    return 4;
}

} // namespace quivra
