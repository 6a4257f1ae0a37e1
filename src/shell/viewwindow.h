#pragma once

// What every window of the program wears: the program's icon, and for the views' sub-windows
// the keys the frame leaves to the views.

#include <QIcon>

class QMdiSubWindow;

namespace quivra {

// The program's icon in the sizes a title bar, a task bar and a sub-window need.
QIcon programIcon();

// Prepares the sub-window of a view: the program's icon instead of the toolkit's, and Close on
// Ctrl+F4 alone, since Ctrl+W belongs to the views (the weekly periods of the code lists).
void prepareViewWindow(QMdiSubWindow &window);

} // namespace quivra
