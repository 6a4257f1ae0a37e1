#pragma once

// Memos: one free text per event or resource, shown in the frame's memo panel for the current
// code. The panel reads it, a click enters or replaces it, and it can be removed.
//
// What is typed is cleaned before it is stored: control characters go (a line break or a tab
// becomes a space), the lines are joined with single spaces and trimmed, and the text is cut to
// what the panel shows and the data file keeps of a memo. An empty memo removes the entry.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace quivra {

// What the memo panel shows for a code.
struct MemoPanelText
{
    std::string code;
    std::string name;
    std::string count; // "%d memo(s)": memos of the whole data set
    std::string memo;  // the memo, or the invitation to enter one
    bool hasMemo = false;
};
MemoPanelText memoPanel(const ScheduleData &d, CodeId code);

// The longest memo text (bytes) code c may hold: what is shown, and what the data file keeps of
// "code;text". 0 for an invalid code.
std::size_t memoLimit(const ScheduleData &d, CodeId c);

// Stores `typed` (several lines allowed) as the memo of c; an empty text removes it. True when
// the data set changed.
bool storeMemo(ScheduleData &d, CodeId c, std::string_view typed);
// Asks for the memo of c in an input box, the current memo offered, and stores it. True when
// the data set changed; Cancel changes nothing.
bool enterMemo(ScheduleData &d, Prompter &p, CodeId c);
// Asks to remove the memo of c and removes it. True when the data set changed.
bool removeMemoOf(ScheduleData &d, Prompter &p, CodeId c);

} // namespace quivra
