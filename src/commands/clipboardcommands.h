#pragma once

// Copy to the Clipboard: the code lists' copies, the Weeks view's grid copy and the Timetables
// view's ten timetable copies, with their questions, and "Default Clipboard target", which also
// writes every copy to a text, CSV or HTML file. The layouts themselves are the reports layer's
// (clipboardtext.h, timetabletext.h); these functions ask, write and report.

#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "reports/clipboardtext.h"

#include <string>

namespace quivra {

class Clipboard;
class Prompter;

// Where copies go besides the clipboard; held by the program for its run, never stored.
struct ClipTarget
{
    ClipTargetType type = ClipTargetType::Clipboard;
    std::string file; // the target file's full name
};

// Hands a finished copy over: the clipboard takes what fits, the target file (when one is set)
// everything, and the report follows (`note` is appended to it). A target file that cannot be
// written is reported and the target reset to the clipboard. Returns the bytes the clipboard
// took.
std::size_t deliverCopy(Prompter &p, Clipboard &clipboard, ClipTarget &target,
                        const ClipWriter &text, const std::string &note = {});

// Options|Default Clipboard target: the type, then for a file its name. False when nothing
// changed.
bool chooseClipTarget(Prompter &p, ClipTarget &target);

// The code lists' "Copy to the Clipboard ..." item `kind` (CopyKind) in the Resources view
// (events false) or the Events view; the per-week cells count `periods`. False when cancelled.
bool copyCodesToClipboard(ScheduleData &d, Prompter &p, Clipboard &clipboard, ClipTarget &target,
                          int kind, bool events, WeekPeriods periods = WeekPeriods::Allocated);

// The Weeks view's "Copy grid to the Clipboard": the chosen events with their allocated periods
// in every week, which "Paste grid from the Clipboard" (pastecommands.h) reads back.
bool copyWeeksGrid(ScheduleData &d, Prompter &p, Clipboard &clipboard, ClipTarget &target);

// What the Timetables view shows when one of its copies starts.
struct TimetableViewState
{
    CodeId code = 0; // the current timetable
    int week = 1;    // the current week
    int day = 0;     // the cell under the cursor (item 2 takes its event)
    int bell = 0;
    int showMode = 1; // CodeDisplayMode of the labels
    bool manualRooms = false;
};

// The Timetables view's "Copy to the Clipboard" item 1..10 with its questions. False when
// cancelled or refused.
bool copyTimetablesToClipboard(ScheduleData &d, Prompter &p, Clipboard &clipboard,
                               ClipTarget &target, int item, const TimetableViewState &view);

// The Tools menu's clipboard exchange, each a choice of its items: "Code conversion ..." (copy
// the current codes, paste new codes, delete the codes pasted), "Resource mapping ..." (one to
// many, many to one) and "Resource selection ..." (add to or remove from event resources). True
// when the data set changed.
bool codeConversion(ScheduleData &d, Prompter &p, Progress &progress, Clipboard &clipboard,
                    ClipTarget &target);
bool resourceMapping(ScheduleData &d, Prompter &p, Progress &progress, Clipboard &clipboard);
bool resourceSelection(ScheduleData &d, Prompter &p, Progress &progress, Clipboard &clipboard);

} // namespace quivra
