#include "views/clipboardrows.h"

#include "commands/bookingclipboard.h"
#include "commands/clipboardcommands.h"
#include "commands/pastecommands.h"
#include "engine/codetable.h"
#include "views/codelistform.h"
#include "views/viewhost.h"

#include <array>

namespace quivra {
namespace {

ViewCommand *row(std::vector<ViewCommand> &rows, const QString &id)
{
    for (ViewCommand &r : rows)
        if (r.id == id)
            return &r;
    return nullptr;
}

CodeId selected(const ViewForm &view)
{
    const auto *list = dynamic_cast<const CodeListForm *>(&view);
    return list ? list->selectedCode() : 0;
}

void bindCopy(ViewCommand *r, int kind, bool events)
{
    if (!r)
        return;
    bindDataCommand(*r, [kind, events](ScheduleData &d, Prompter &p, ViewForm &view) {
        ViewHost &host = *view.host();
        copyCodesToClipboard(d, p, host.clipboard(), host.clipTarget(), kind, events,
                             host.copiedPeriods());
        // The copy leaves the data as they were; its pickers' marks are cleared again.
        return false;
    });
}

void bindPaste(ViewCommand *r, int kind, bool events)
{
    if (!r)
        return;
    bindDataCommand(*r, [kind, events](ScheduleData &d, Prompter &p, ViewForm &view) {
        ViewHost &host = *view.host();
        const bool changed = pasteFromClipboard(d, p, host.progress(), host.clipboard(), kind,
                                                events, selected(view));
        // "Sort automatically" puts the codes a paste added in order, unless the order is locked.
        const auto &prefs = host.settings().preferences;
        if (changed && prefs.autoSort && !prefs.lockSort)
            sortCodes(d, SortByCode, events ? CodeKind::Event : CodeKind::Resource, true, false);
        return changed;
    });
}

void bindPeriods(ViewCommand *r, WeekPeriods periods)
{
    if (!r)
        return;
    r->run = [periods](ViewForm &view) {
        if (view.host())
            view.host()->copiedPeriods() = periods;
    };
    r->checked = [periods](const ViewForm &view) {
        return view.host() && view.host()->copiedPeriods() == periods;
    };
}

} // namespace

void bindClipboardRows(std::vector<ViewCommand> &rows, bool events)
{
    const QString prefix = events ? QStringLiteral("events.") : QStringLiteral("resources.");
    // Items 1..10 of "Copy to the Clipboard ..."; the Events view's item 9 is a submenu whose
    // fifth format is the timetables copy.
    const std::array<int, 10> kinds = {
        CopyCodesAndLinks,
        CopyNamesAndCategories,
        CopyPeriods,
        CopyLinks,
        CopyPeriodsInWeeks,
        events ? CopyAddableResources : CopyAddableEvents,
        CopyLinkedPeriods,
        CopyLinkedPeriodsInWeeks,
        CopyResourceTimetables,
        CopySelectionMatrix,
    };
    for (std::size_t i = 0; i < kinds.size(); ++i)
        if (!events || i != 8)
            bindCopy(row(rows, prefix + QStringLiteral("copy%1").arg(i + 1)), kinds[i], events);
    if (events)
        bindCopy(row(rows, "events.copyTimetables5"), CopyEventTimetables, true);
    if (events)
        for (int format = 1; format <= 4; ++format)
            if (ViewCommand *r = row(rows, QStringLiteral("events.copyTimetables%1").arg(format)))
                bindDataCommand(*r, [format](ScheduleData &d, Prompter &p, ViewForm &view) {
                    ViewHost &host = *view.host();
                    copyScheduleLinesToClipboard(d, p, host.clipboard(), host.clipTarget(), format);
                    return false;
                });
    if (ViewCommand *r = events ? nullptr : row(rows, "resources.copyBookings"))
        bindDataCommand(*r, [](ScheduleData &d, Prompter &p, ViewForm &view) {
            ViewHost &host = *view.host();
            copyBookingsToClipboard(d, p, host.clipboard(), host.clipTarget());
            return false;
        });
    bindPeriods(row(rows, prefix + "countAllocated"), WeekPeriods::Allocated);
    bindPeriods(row(rows, prefix + "countScheduled"), WeekPeriods::Scheduled);
    bindPeriods(row(rows, prefix + "countUnscheduled"), WeekPeriods::Unscheduled);

    if (!events) {
        bindPaste(row(rows, "resources.paste"), PasteCodes, false);
        return;
    }
    bindPaste(row(rows, "events.paste1"), PasteCodes, true);
    bindPaste(row(rows, "events.paste2"), PasteReplaceResources, true);
    bindPaste(row(rows, "events.paste3"), PasteAddResources, true);
    bindPaste(row(rows, "events.paste4"), PasteRemoveResources, true);
    if (ViewCommand *r = row(rows, "events.paste5"))
        bindDataCommand(*r, [](ScheduleData &d, Prompter &p, ViewForm &view) {
            return pasteTimetablesFromClipboard(d, p, view.host()->clipboard());
        });
}

} // namespace quivra
