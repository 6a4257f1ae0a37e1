#include "commands/clipboardcommands.h"

#include "commands/commandsupport.h"
#include "commands/pastecommands.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/seats.h"
#include "files/datafile.h"
#include "reports/timetabletext.h"
#include "ui/ports.h"
#include "ui/prompter.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <span>

namespace quivra {
namespace {

constexpr const char *CopyCaption = "Select the codes to copy to the Clipboard";

bool writeTarget(const std::string &file, const std::string &bytes)
{
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
    return writeFileAtomically(file, std::span<const std::uint8_t>(data, bytes.size())).has_value();
}

// The weeks a timetable copy covers: all of them, or those the week picker keeps.
std::optional<std::vector<int>> pickWeeks(const ScheduleData &d, Prompter &p,
                                          std::string_view message, int last,
                                          const std::vector<int> &preset)
{
    std::bitset<WeekTableSize> chosen;
    for (const int w : preset)
        chosen.set(static_cast<std::size_t>(w));
    if (last > 1 && p.pickWeek(d, 1, message, last, 1, &chosen) == 0)
        return std::nullopt;
    std::vector<int> weeks;
    for (int w = 1; w <= last; ++w)
        if (chosen.test(static_cast<std::size_t>(w)))
            weeks.push_back(w);
    return weeks;
}

std::vector<int> allWeeks(int last)
{
    std::vector<int> weeks;
    for (int w = 1; w <= last; ++w)
        weeks.push_back(w);
    return weeks;
}

} // namespace

std::size_t deliverCopy(Prompter &p, Clipboard &clipboard, ClipTarget &target,
                        const ClipWriter &text, const std::string &note)
{
    const std::string taken = text.clipboardText();
    clipboard.setText(taken);
    std::string file;
    std::size_t fileBytes = 0;
    if (target.type != ClipTargetType::Clipboard && !target.file.empty()) {
        const std::string contents = clipTargetContents(target.type, text.text());
        if (writeTarget(target.file, contents)) {
            file = target.file;
            fileBytes = contents.size();
        } else {
            p.warnDlg(fillIn("Clipboard target file (\"{}\") has been reset.", target.file));
            target = ClipTarget{};
        }
    }
    p.infoDlg(clipInfoText(taken.size(), text.overflows(), file, fileBytes) + note);
    return taken.size();
}

bool chooseClipTarget(Prompter &p, ClipTarget &target)
{
    const int item =
        p.choice("\r\nSelect the Clipboard target file type:", 0, static_cast<int>(target.type) + 1,
                 "Clipboard (default)$Text file (.txt)$Comma Separated Values file (.csv)$"
                 "HTML file (.htm)$HTML file (.html)$");
    if (item == 0)
        return false;
    const ClipTarget before = target;
    target.type = static_cast<ClipTargetType>(item - 1);
    if (target.type == ClipTargetType::Clipboard)
        return target.type != before.type;
    const std::string ext = clipTargetExtension(target.type);
    std::string name = target.file.empty() ? std::string("clipbrd") : target.file;
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.resize(dot);
    FileRequest request;
    request.title = "Save Clipboard data as";
    request.description = "(*" + ext + ")";
    request.pattern = "*" + ext;
    request.defaultExtension = ext.substr(1);
    request.folder = slash == std::string::npos ? std::string() : name.substr(0, slash);
    request.fileName = (slash == std::string::npos ? name : name.substr(slash + 1)) + ext;
    const auto chosen = p.saveFile(request);
    if (!chosen) {
        target.type = ClipTargetType::Clipboard;
        return target.type != before.type;
    }
    target.file = *chosen;
    return true;
}

bool copyCodesToClipboard(ScheduleData &d, Prompter &p, Clipboard &clipboard, ClipTarget &target,
                          int kind, bool events, WeekPeriods periods)
{
    CopyRequest r;
    r.kind = kind;
    r.events = events;
    r.periods = periods;
    if (kind != CopyAllCodes) {
        clearMarks(d, 1, d.codeCount, AllMarks);
        const auto main = pickOfKind(d, p, CopyCaption, events);
        if (!main)
            return false;
        r.main = *main;
        const bool timetables = kind == CopyResourceTimetables || kind == CopyEventTimetables;
        const bool second = kind == CopyLinks || kind == CopyAddableResources ||
                            kind == CopyAddableEvents || kind == CopyLinkedPeriods ||
                            kind == CopyLinkedPeriodsInWeeks || kind == CopySelectionMatrix;
        if (second) {
            const auto other = pickOfKind(d, p, CopyCaption, !events);
            if (!other)
                return false;
            r.other = *other;
            if (kind == CopySelectionMatrix && r.other.size() > 254)
                p.warnDlg("This selection is recommended to limit to at most 254 codes (=255 "
                          "columns) due to the limitations of other applications.");
        }
        if (timetables) {
            const int last = clipLastWeek(d);
            const auto weeks = pickWeeks(d, p, "\r\nSelect the weeks(s) you want to include:", last,
                                         allWeeks(last));
            if (!weeks)
                return false;
            r.weeks = *weeks;
        }
    }
    if (kind == CopyCodesAndLinks) {
        const int item = p.choice("Display codes, names or both?", 0, 1, "Codes$Names$Both");
        if (item == 0)
            return false;
        r.fields = item == 1 ? ClipCode : item == 2 ? ClipName : ClipCode | ClipName;
    }
    if (kind == CopyPeriods) {
        if (!events) {
            const int item =
                p.choice("Display PLANNED,ALLOCATED,SCHEDULED and LINKS or ALLOCATED by category?",
                         0, 1, "PLANNED,ALLOCATED,SCHEDULED and LINKS$ALLOCATED by category");
            if (item == 0)
                return false;
            if (item == 2) {
                r.byCategory = true;
                r.sortingCategory =
                    p.categoryChoice(d, "Select the sorting category", 0, d.subjectsCategory);
                if (r.sortingCategory == 0)
                    return false;
            }
        }
        if (!r.byCategory)
            r.categoryCounts =
                p.yesNoDlg(events ? "Include also the numbers of resources by their categories?"
                                  : "Include also the numbers of linked events by their "
                                    "categories?");
    }
    const ClipWriter text = copyCodes(d, r);
    clearMarks(d, 1, d.codeCount, AllMarks);
    deliverCopy(p, clipboard, target, text);
    return true;
}

bool copyWeeksGrid(ScheduleData &d, Prompter &p, Clipboard &clipboard, ClipTarget &target)
{
    return copyCodesToClipboard(d, p, clipboard, target, CopyPeriodsInWeeks, true,
                                WeekPeriods::Allocated);
}

bool copyTimetablesToClipboard(ScheduleData &d, Prompter &p, Clipboard &clipboard,
                               ClipTarget &target, int item, const TimetableViewState &view)
{
    TimetableCopy r;
    r.item = item;
    r.code = view.code;
    r.week = std::clamp(view.week, 1, std::max(1, usedWeeks(d)));
    r.showMode = view.showMode;
    r.manualRooms = view.manualRooms;
    const int currentCategory =
        validCode(d, view.code) && !d.codes[view.code].isEvent() ? categoryOf(d, view.code) : 1;
    const bool layout = item <= 4 || item == 7 || item == 9;
    if (layout) {
        const int form = p.choice("Select the layout", 0, 1, "Table form$Line form");
        if (form == 0)
            return false;
        r.lineForm = form == 2;
    }
    std::string note;
    switch (item) {
    case 2: {
        // The event in the cell under the cursor, or the current timetable's own event.
        auto t = std::make_unique<WeekTimetable>();
        if (validCode(d, view.code) && view.day > 0 && view.bell > 0) {
            weekTimetableOf(d, view.code, r.week, *t);
            const CellWord cell = t->cell(view.day, view.bell);
            const CodeId c = cellCode(d, cell);
            if (cell != 0 && !isBookingCell(cell) && validCode(d, c) && d.codes[c].isEvent())
                r.code = c;
        }
        if (!validCode(d, r.code) || !d.codes[r.code].isEvent())
            return false;
        break;
    }
    case 3:
    case 7: {
        if (item == 3) {
            const int content = p.choice("\r\nSelect the timetable cell content?", 0, 1,
                                         "Event$Resource$Event plus resource$Two resources");
            if (content == 0)
                return false;
            r.content = static_cast<CellContent>(content - 1);
            if (content == 2 || content == 3) {
                r.contentCategory = p.categoryChoice(d, "\r\nCell content in timetables", 0,
                                                     currentCategory, {false, true, false});
                if (r.contentCategory == 0)
                    return false;
            } else if (content == 4) {
                r.contentCategory =
                    p.categoryChoice(d, "\r\n1st of the two resources\r\n(cell content: [1st/2nd])",
                                     0, currentCategory, {false, true, false});
                if (r.contentCategory == 0)
                    return false;
                r.contentCategory2 =
                    p.categoryChoice(d, "\r\n2nd of the two resources\r\n(cell content: [1st/2nd])",
                                     0, currentCategory, {false, true, false});
                if (r.contentCategory2 == 0)
                    return false;
            }
        }
        int initial = currentCategory;
        if (initial == r.contentCategory)
            initial = initial % MaxCategories + 1;
        r.category = p.categoryChoice(d, "\r\nSelect the timetables to copy to the Clipboard", 0,
                                      initial, {false, true, false});
        if (r.category == 0)
            return false;
        break;
    }
    case 5: {
        const auto events = pickOfKind(d, p, "Select the events to copy", true);
        clearMarks(d, 1, d.codeCount, AllMarks);
        if (!events)
            return false;
        r.codes = *events;
        break;
    }
    case 6:
        r.category = p.categoryChoice(d, "Select the category of resources to copy", 0,
                                      currentCategory, {false, true, false});
        if (r.category == 0)
            return false;
        break;
    case 8: {
        const int kind = p.choice("Create the timetables for", 0, 1, "Resources$Events");
        if (kind == 0)
            return false;
        r.events = kind == 2;
        r.category = p.categoryChoice(d,
                                      r.events ? "Select the events you want to include:"
                                               : "Select the resources you want to include:",
                                      0, 1, {r.events, true, true});
        if (r.category == 0)
            return false;
        const int last = clipLastWeek(d);
        if (last > 1) {
            std::vector<int> preset;
            for (int w = 1; w <= last; ++w)
                if (weekHasLectures(d, w))
                    preset.push_back(w);
            const auto weeks =
                pickWeeks(d, p, "Select the week(s) you want to include:", last, preset);
            if (!weeks)
                return false;
            r.weeks = *weeks;
        } else {
            r.weeks = {r.week};
        }
        break;
    }
    case 9: {
        bool capacities = false;
        for (int i = 1; i <= d.resourceList[0] && !capacities; ++i)
            capacities = d.codes[d.resourceList[static_cast<std::size_t>(i)]].name.view().find(
                             '#') != std::string_view::npos;
        if (capacities) {
            const int how = p.choice("Calculate", 0, 1, "Cell items$Capacities (#)");
            if (how == 0)
                return false;
            r.capacities = how == 2;
        }
        if (!r.capacities) {
            const auto chosen = pickOfKind(d, p, "Select the timetables to include", false);
            clearMarks(d, 1, d.codeCount, AllMarks);
            if (!chosen)
                return false;
            r.codes = *chosen;
        }
        break;
    }
    case 10: {
        if (!weeksDated(d)) {
            p.infoDlg("The calendar timetable needs dated weeks: give the first week a date in "
                      "the calendar options first.");
            return false;
        }
        r.category = p.categoryChoice(d, "Select the resource category to copy", 0, currentCategory,
                                      {false, true, false});
        if (r.category == 0)
            return false;
        const int last = std::max(1, clipLastWeek(d));
        r.firstWeek = p.pickWeek(d, 1, "Select the first week...", last, 1);
        if (r.firstWeek == 0)
            return false;
        r.lastWeek = p.pickWeek(d, r.firstWeek, "Select the last week...", last, r.firstWeek);
        if (r.lastWeek == 0)
            return false;
        r.characters = p.choice("How many characters of codes are shown?", 0, 15,
                                "1$2$3$4$5$6$7$8$9$10$11$12$13$14$15");
        if (r.characters == 0)
            return false;
        break;
    }
    default:
        break;
    }
    bool truncated = false;
    const ClipWriter text = copyTimetables(d, r, &truncated);
    if (truncated)
        note = "\r\n\r\nThe calendar was cut after 255 days.";
    deliverCopy(p, clipboard, target, text, note);
    return true;
}

bool codeConversion(ScheduleData &d, Prompter &p, Progress &progress, Clipboard &clipboard,
                    ClipTarget &target)
{
    switch (p.choice("Code conversion", 0, 1,
                     "Copy current codes to the Clipboard$Paste new codes from the Clipboard$"
                     "Delete codes from the Clipboard")) {
    case 1:
        copyCodesToClipboard(d, p, clipboard, target, CopyAllCodes, true);
        return false;
    case 2:
        return pasteFromClipboard(d, p, progress, clipboard, PasteCodeConversion, true, 0);
    case 3:
        return pasteFromClipboard(d, p, progress, clipboard, PasteDeleteCodes, true, 0);
    default:
        return false;
    }
}

bool resourceMapping(ScheduleData &d, Prompter &p, Progress &progress, Clipboard &clipboard)
{
    const int item = p.choice("Resource mapping", 0, 1,
                              "Paste one to many from the Clipboard$"
                              "Paste many to one from the Clipboard");
    if (item == 0)
        return false;
    return pasteFromClipboard(d, p, progress, clipboard,
                              item == 1 ? PasteOneToMany : PasteManyToOne, false, 0);
}

bool resourceSelection(ScheduleData &d, Prompter &p, Progress &progress, Clipboard &clipboard)
{
    const int item =
        p.choice("Resource selection", 0, 1, "Add to event resources$Remove from event resources");
    if (item == 0)
        return false;
    return pasteFromClipboard(d, p, progress, clipboard,
                              item == 1 ? PasteAddSelection : PasteRemoveSelection, false, 0);
}

} // namespace quivra
