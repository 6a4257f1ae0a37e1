#include "views/collectionrows.h"

#include "commands/codelistcommands.h"
#include "views/codelistediting.h"
#include "views/codelistform.h"

namespace quivra {

void bindCollectionsRow(ViewCommand &row, bool resourceMode)
{
    row.run = [resourceMode](ViewForm &view) {
        // A view standing alone (without the frame) has nothing to open the editor with.
        ViewHost *host = view.host();
        if (!host)
            return;
        const ScheduleData &d = host->data();
        CodeId code = d.currentCode;
        if (const auto *list = dynamic_cast<const CodeListForm *>(&view);
            list && list->selectedCode() != 0)
            code = list->selectedCode();
        // Only a code of the view's own kind is opened; none starts a new one.
        if (!validCode(d, code) || d.codes[code].isEvent() == resourceMode)
            code = 0;
        const CodeKind kind = resourceMode ? CodeKind::Resource : CodeKind::Event;
        const bool stored =
            code != 0
                ? editListCode(host->data(), host->prompter(), code, collectionsSession(*host))
                : newListCode(host->data(), host->prompter(), kind, 0, collectionsSession(*host)) !=
                      0;
        if (stored)
            host->dataChanged();
    };
}

} // namespace quivra
