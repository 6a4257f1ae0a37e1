#include "views/eventdialogrows.h"

#include "commands/eventtools.h"
#include "views/codelistform.h"

namespace quivra {

void bindEventDialogRow(ViewCommand &row, ViewHost::EventDialog which)
{
    row.run = [which](ViewForm &view) {
        ViewHost *host = view.host();
        if (!host)
            return;
        ScheduleData &d = host->data();
        CodeId event = d.currentCode;
        if (const auto *list = dynamic_cast<const CodeListForm *>(&view);
            list && list->selectedCode() != 0)
            event = list->selectedCode();
        if (!validCode(d, event) || !d.codes[event].isEvent())
            event = 0;
        bool changed = false;
        if (which == ViewHost::EventDialog::BulkSchedule &&
            (event == 0 || !bulkScheduleAllowed(d, host->prompter(), event, &changed))) {
            if (changed)
                host->dataChanged();
            return;
        }
        if (host->openEventDialog(which, event) || changed)
            host->dataChanged();
    };
    if (which == ViewHost::EventDialog::BulkSchedule)
        row.enabled = [](const ViewForm &view) {
            const auto *list = dynamic_cast<const CodeListForm *>(&view);
            return view.host() && list && list->selectedCode() != 0;
        };
}

} // namespace quivra
