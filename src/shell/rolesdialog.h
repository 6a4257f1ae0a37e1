#pragma once

// TRolesDialog: "Manage roles", the list of roles and the roles the resources of each event
// play. The dialog draws a RolesEditor and forwards every control to it.

#include "commands/rolecommands.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quivra {

class Clipboard;

class TRolesDialog : public QDialog
{
    Q_OBJECT

public:
    TRolesDialog(RolesEditor &editor, Clipboard &clipboard, bool rolesOn,
                 QWidget *parent = nullptr);

    QComboBox *eventChoice() const { return m_events; }
    QListWidget *resourceList() const { return m_resources; }
    QListWidget *roleList() const { return m_roles; }
    bool rolesOn() const;

    // Redraws every list, the counter and the enabled states from the editor.
    void redraw();

private:
    void roleContextMenu(const QPoint &at);
    void run(bool (RolesEditor::*command)());

    RolesEditor &m_editor;
    Clipboard &m_clipboard;
    QComboBox *m_events;
    QListWidget *m_resources;
    QListWidget *m_roles;
    QLabel *m_counter;
    QCheckBox *m_rolesOn;
    QPushButton *m_addRole, *m_editRole, *m_removeRole, *m_up, *m_down;
    QPushButton *m_assign, *m_unassign, *m_clear, *m_copy, *m_paste;
    bool m_filling = false;
};

// Edit|Manage roles of the Events view, opened on `event`; true when the data set changed.
bool showRolesDialog(ScheduleData &d, Prompter &p, Clipboard &clipboard, CodeId event,
                     QWidget *parent);

} // namespace quivra
