#pragma once

// TAddCompDlg: "Modify collections". Events on the left, resources on the right: choosing one
// narrows the other list to the codes it can (or, with "Conflicts", cannot) be combined with;
// the event's slots are listed with the ones where the resource is busy marked. "Add" attaches
// the resource, "Remove" takes the chosen links off the event.

#include "commands/modifycollections.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace quivra {

struct FrameCommand;
class TFrameForm;

class TAddCompDlg : public QDialog
{
    Q_OBJECT

public:
    // `readOnly` shows the pairs without Add and Remove.
    explicit TAddCompDlg(ModifyCollections &state, bool readOnly = false,
                         QWidget *parent = nullptr);

    QListWidget *eventList() const { return m_events; }
    QListWidget *resourceList() const { return m_resources; }
    QListWidget *slotList() const { return m_slots; }
    QListWidget *linkList() const { return m_links; }
    QCheckBox *conflicts() const { return m_conflicts; }
    // The all-weeks grid: per week one column per day and a separator column, one row per bell.
    QTableWidget *weekGrid() const { return m_grid; }
    // "add", "remove", "clear" (the slots where the resource is busy), "close".
    QPushButton *button(const char *name) const;
    bool changedData() const { return m_changed; }

    void refresh();

private:
    // The pop-up menu of the event's slots: marks, clearing and the split.
    void slotMenu(const QPoint &at);
    void refreshGrid();

    ModifyCollections &m_state;
    QListWidget *m_events;
    QListWidget *m_resources;
    QListWidget *m_slots;
    QListWidget *m_links;
    QLabel *m_eventsTitle;
    QLabel *m_resourcesTitle;
    QLabel *m_summary;
    QCheckBox *m_conflicts;
    QComboBox *m_firstWeek;
    QTableWidget *m_grid;
    bool m_readOnly;
    bool m_refreshing = false;
    bool m_changed = false;
};

// Opens the dialog on the data set (the event and resource preselected when given); `limits`
// are the resources allowed per event of each event category. True when it changed links.
bool showModifyCollections(ScheduleData &d, Prompter &p, QWidget *parent, CodeId event = 0,
                           CodeId resource = 0, bool impossible = false, bool readOnly = false,
                           const ResourceLimits &limits = {}, const Clock *clock = nullptr,
                           std::string *undoText = nullptr);
// Binds Tools|Modify collections.
void bindModifyCollectionsCommand(FrameCommand &row, TFrameForm &frame);

} // namespace quivra
