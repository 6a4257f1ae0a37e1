#pragma once

// TCourseDualBox: "Collections", the editor of one code and its links. On the left the event's
// resources (or the resource's events), on the right what can be added; the fields above edit
// the code itself. The dialog draws what CollectionsEditor holds and forwards every click to it.

#include "commands/collectionseditor.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quivra {

class TCourseDualBox : public QDialog
{
    Q_OBJECT

public:
    // `editor` outlives the dialog.
    explicit TCourseDualBox(CollectionsEditor &editor, QWidget *parent = nullptr);

    QListWidget *leftList() const { return m_left; }
    QListWidget *rightList() const { return m_right; }
    QLabel *leftTitle() const { return m_leftTitle; }
    QLabel *rightTitle() const { return m_rightTitle; }
    QLineEdit *codeEdit() const { return m_code; }
    QLineEdit *nameEdit() const { return m_name; }
    // The buttons by their object names: "add", "remove", "swap", "clearAll", "sort", "up",
    // "down", "copy", "cut", "paste", "filter", "info", "conflicts", "timetables", "erase",
    // "previous", "next", "ok", "cancel", "schedule"; in schedule mode "previousWeek",
    // "nextWeek", "save", "reset".
    QPushButton *button(const char *name) const;
    // Schedule mode's week grid: one column per day, one row per bell.
    QTableWidget *scheduleGrid() const { return m_grid; }
    // The pop-up menu commands of the lists and of the grid, by their captions.
    QAction *action(const QString &caption) const;

    // Redraws everything from the editor.
    void refresh();
    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::vector<CodeId> chosen(QListWidget *list) const;
    void completeName(const QString &text);
    void takeFields();
    void addChosen();
    void step(int direction);
    void showConflicts();
    void showTimetables();
    CodeId chosenItem() const;
    void toggleSchedule();
    void refreshSchedule();
    QListWidget *focusList() const;
    void addListActions(QListWidget *list);
    void addGridActions();

    CollectionsEditor &m_editor;
    QLineEdit *m_code;
    QLineEdit *m_name;
    QSpinBox *m_planned;
    QComboBox *m_category;
    QCheckBox *m_lock;
    QLabel *m_panels;
    QLabel *m_seats;
    QLabel *m_leftTitle;
    QLabel *m_rightTitle;
    QLabel *m_info;
    QListWidget *m_left;
    QListWidget *m_right;
    QWidget *m_scheduleBox;
    QTableWidget *m_grid;
    QLabel *m_weekLabel;
    QLabel *m_side;
    QLabel *m_schedulePanels;
    bool m_leftAll = false; // the lists show every field instead of code and name
    bool m_rightAll = false;
    QListWidget *m_lastList = nullptr; // the list worked in last
    bool m_refreshing = false;
    qsizetype m_typedLength = 0; // of the name, to tell typing from deleting
};

} // namespace quivra
