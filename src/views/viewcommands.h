#pragma once

// The command tables of the four views. Each view's menus, pop-up menus and keys are rows of the
// same shape as the main frame's command table: where a command sits, its caption, its keys, its
// hint, when it is enabled and what it does. The tables exist without a view: a handler takes
// the view it runs in, so the tables can be listed (quivra --list-commands) and checked for
// clashing keys before any window is open.
//
// A row without a handler is a command the view does not offer yet: its action is there,
// disabled, so its key is taken and its place in the menus is fixed.
//
// Keys are scoped to the view (Qt::WidgetWithChildrenShortcut): the same key may mean different
// things in two views, but never in a view and in the frame, whose keys are live together with
// the active view's.

#include "views/viewform.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

class QMenu;

namespace quivra {

// The pop-up menu of a view is a menu like the others; its path starts with this name.
inline const QString ContextMenu = QStringLiteral("Context");

struct ViewCommand
{
    QString id; // stable name ("events.bulkSchedule"), for the views and their tests
    ViewTag window;
    QString menu;    // "Edit", a submenu path "Edit/Copy to the Clipboard", or "Context/..."
    QString caption; // with its "&" accelerator
    QList<QKeySequence> shortcuts; // the first is the one a menu shows
    QString hint;
    std::function<bool(const ViewForm &)> enabled; // empty: always, once there is a handler
    std::function<void(ViewForm &)> run;           // empty: not offered yet
    std::function<bool(const ViewForm &)> checked; // empty: not a checkable item
    bool separatorBefore = false;
};

// Binds `row` to a command on the data set, run through the view's host: the row is offered
// once the view is hosted (and `enabled`, when given, agrees); when the command returns true it
// changed the data set, and every view is rebuilt.
using ViewDataCommand = std::function<bool(ScheduleData &, Prompter &, ViewForm &)>;
void bindDataCommand(ViewCommand &row, ViewDataCommand command,
                     std::function<bool(const ViewForm &)> enabled = {});

// The table of the view with `tag`, in menu order. The same rows on every call.
const std::vector<ViewCommand> &viewCommands(ViewTag tag);

// The view's name as its window shows it ("Resources").
QString viewName(ViewTag tag);

// Installs the rows of the view's table on `view`: one action each, with its keys scoped to the
// view, and a pop-up menu holding the view's menus. A view calls it once it is built.
void installViewCommands(ViewForm &view);
// Re-evaluates which of the view's commands are enabled and checked.
void updateViewCommands(ViewForm &view);

} // namespace quivra
