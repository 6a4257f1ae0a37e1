#include "shell/eventdialogs.h"

#include "commands/replacetool.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"
#include "shell/qtports.h"
#include "shell/recurringdialog.h"
#include "shell/rolesdialog.h"
#include "shell/splitdialog.h"

#include <memory>

namespace quivra {

bool TFrameForm::openEventDialog(EventDialog which, CodeId event)
{
    switch (which) {
    case EventDialog::BulkSchedule:
        return showRecurringDialog(data(), prompter(), event, this);
    case EventDialog::Split:
        return showSplitDialog(data(), prompter(), event, this);
    case EventDialog::Roles: {
        QtClipboard clipboard;
        return showRolesDialog(data(), prompter(), clipboard, event, this);
    }
    }
    return false;
}

void bindReplaceCommand(FrameCommand &row, TFrameForm &frame, std::shared_ptr<ReplaceTool> tool,
                        bool changeCase)
{
    row.hint = changeCase ? QStringLiteral("Change case in resources and/or events")
                          : QStringLiteral("Replace a string in events and/or resources");
    row.run = [&frame, tool, changeCase] {
        const bool changed = changeCase ? tool->changeCase(frame.data(), frame.prompter())
                                        : tool->replaceString(frame.data(), frame.prompter());
        if (changed)
            frame.refreshViews();
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

} // namespace quivra
