#pragma once

// The Timetables view's pop-up menus of its event list and of its linked timetables: their rows
// bound to commands/timetablepopups.h, each menu popped up where the user right-clicks, and the
// hints of the linked timetables' cells.

#include "engine/scheduledata.h"
#include "views/viewcommands.h"

#include <vector>

class QMenu;
class QTableView;

namespace quivra {

class TMatsForm;

// Gives the event list's and the linked timetables' rows of `rows` their handlers and enabling.
void bindTimetablePopupRows(std::vector<ViewCommand> &rows);

// The view's pop-up menu named `title` ("Event list", "Linked timetables"); nullptr when none.
QMenu *timetablePopup(const TMatsForm &view, const QString &title);

// A right click on the event list makes the line under the mouse current and pops up the event
// list's menu there; one on the linked timetables' panel outside a timetable pops up their menu
// for none of them (to show hidden categories again).
void installPopupMenus(TMatsForm &view);
// A right click on the linked timetable of resource r pops up the linked timetables' menu for r;
// its cells hint whether the current event can go there, as tooltips and in the status line.
void installLinkedMenu(TMatsForm &view, QTableView &table, CodeId r);

} // namespace quivra
