#pragma once

// Paste from the Clipboard: tables of codes, names, categories and PLANNED periods, weekly
// allocations, event resources, code conversions, resource mappings and selections, and codes
// to delete, read from a pasted text (reports/clipboardtext.h reads it) and applied to the data
// set through the engine's operations. Each paste reports what it added, updated and omitted.
//
// What a paste will not do: change a locked event or a week before the current week (both are
// counted as omitted), push a resource out of a full collection, or take a code longer than a
// code may be (omitted, never cut to a code that may be another one).

#include "engine/progress.h"
#include "engine/scheduledata.h"

#include <string>
#include <string_view>

namespace quivra {

class Clipboard;
class Prompter;

// The paste menu items (bit values).
enum PasteKind : int {
    PasteCodes = 1,
    PasteWeeksGrid = 4,
    PasteReplaceResources = 18,
    PasteAddResources = 34,
    PasteRemoveResources = 66,
    PasteCodeConversion = 256,
    PasteOneToMany = 1024,
    PasteManyToOne = 2048,
    PasteAddSelection = 8192,
    PasteRemoveSelection = 16384,
    PasteDeleteCodes = 32768,
};

struct PasteOptions
{
    int kind = PasteCodes;
    bool events = true;    // the view's kind of code (kinds 1, 18, 34, 66 and 4)
    CodeId current = 0;    // the view's current code: where new codes are inserted
    bool precheck = false; // kinds 18 and 34: refuse resources that would conflict
};

struct PasteReport
{
    int lines = 0;
    int added = 0;
    int updated = 0;
    int omitted = 0;
    std::string sample; // codes omitted or not found, each followed by ","
    bool changed = false;
    bool sweepDue = false; // the conflict sweep should run afterwards
};

// Applies a pasted text with no questions (kind 32768 deletes without asking).
PasteReport applyPaste(ScheduleData &d, std::string_view text, const PasteOptions &options);

// "%d codes added, %d updated and %d omitted." with the sample of omitted codes.
std::string pasteReportText(const PasteReport &report);

// The preview before the Tools pastes: the resource and event codes the text names. Empty when
// it names none.
struct PasteContent
{
    int resources = 0;
    int events = 0;
    std::string resourceList, eventList; // the first 19 of each
};
PasteContent pasteContent(const ScheduleData &d, std::string_view text);

// The paste command: the clipboard's text, the questions of its kind, the paste, the report,
// then the conflict sweep when it is due. True when the data set changed.
bool pasteFromClipboard(ScheduleData &d, Prompter &p, Progress &progress,
                        const Clipboard &clipboard, int kind, bool events, CodeId current);

// The Weeks view's "Paste grid from the Clipboard": each line an event's code and its periods
// in weeks 1, 2, ... (what the grid copy writes).
bool pasteWeeksGrid(ScheduleData &d, Prompter &p, Progress &progress, const Clipboard &clipboard);

} // namespace quivra
