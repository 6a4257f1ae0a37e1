#pragma once

// TCourseSplitDialog: "Course split", one event's scheduled slots divided between it and a new
// event. The dialog draws an EventSplit and forwards every control to it.

#include "commands/eventsplit.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace quivra {

class TCourseSplitDialog : public QDialog
{
    Q_OBJECT

public:
    TCourseSplitDialog(EventSplit &split, QWidget *parent = nullptr);

    QComboBox *eventChoice() const { return m_events; }
    QTreeWidget *slotTree() const { return m_slots; }
    QLineEdit *codeBox() const { return m_code; }
    QLineEdit *nameBox() const { return m_name; }
    QPushButton *splitButton() const { return m_split; }
    // Whether a split was made while the dialog was open.
    bool splitDone() const { return m_done; }

    void redraw();

private:
    void slotChanged(QTreeWidgetItem *item);
    void doSplit();

    EventSplit &m_state;
    QComboBox *m_events;
    QTreeWidget *m_slots;
    QLabel *m_slotLabel, *m_kept, *m_moved, *m_ownCount, *m_selectableCount;
    QListWidget *m_own, *m_selectable, *m_newMembers, *m_newSelectable, *m_newSlots;
    QLineEdit *m_code, *m_name;
    QPushButton *m_add, *m_remove, *m_split;
    QWidget *m_newPanel;
    bool m_filling = false;
    bool m_done = false;
};

// Edit|Split event of the Events view, opened on `event`; true when the data set changed.
bool showSplitDialog(ScheduleData &d, Prompter &p, CodeId event, QWidget *parent);

} // namespace quivra
