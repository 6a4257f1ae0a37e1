#pragma once

// The main frame's command table. Every menu item and command button of the main frame is a
// row: where it sits, its caption, its shortcut, its hint, when it is enabled and what it does.
// The frame builds its menus, buttons and shortcuts from the rows and nothing else, so a command
// exists in exactly one place and a shortcut can be bound only once.
//
// A row without a handler is a command the program does not offer yet: it is shown, disabled.

#include <QKeySequence>
#include <QString>

#include <functional>
#include <vector>

namespace quivra {

class TFrameForm;

struct FrameCommand
{
    QString id;      // stable name ("file.open"), for the frame and its tests
    QString menu;    // "File", or a submenu path "Tools/Clear"
    QString caption; // with its "&" accelerator
    QKeySequence shortcut;
    QString hint;                  // shown in the hint line
    QString button;                // caption on the button row; empty: no button
    std::function<bool()> enabled; // empty: always enabled once there is a handler
    std::function<void()> run;     // empty: not offered yet
    std::function<bool()> checked; // empty: not a checkable item
    // A caption that changes while the program runs, read whenever the menu opens; an empty
    // caption hides the item. Empty function: the fixed caption above.
    std::function<QString()> currentCaption;
    // For an item shown only under a condition (see currentCaption): the condition, in words.
    QString shownWhen;
    bool separatorBefore = false;
    // For a row without a handler: the part of the program it waits for ("printed reports").
    QString later;
};

// The table of the main frame, bound to `frame`.
std::vector<FrameCommand> frameCommands(TFrameForm &frame);

} // namespace quivra
