#pragma once

// The Timetables view's panels: the week choice above the master timetable, and three tool
// windows of the view, the bird's eye view of the week (with its second layout, one timetable
// week by week), the quality grid of the week's timetables and the fit panel of the current
// cell. They read the view's session (its week matrix) and run their changes through the view;
// the logic is in commands/timetablepanels.h.

#include "commands/timetablepanels.h"
#include "views/viewcommands.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QWidget>

#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class QTableWidget;

namespace quivra {

class TMatsForm;

// Makes `week` the active week through the view's host and reports what the week holds in the
// view's status line ("n timetables defined", the events left to schedule).
void chooseWeek(TMatsForm &view, int week);

// The week choice: one entry per week, "Week 3 (2 out of 10 left)"; choosing one opens it.
class TimetablesWeekChoice final : public QComboBox
{
    Q_OBJECT

public:
    explicit TimetablesWeekChoice(TMatsForm &view);
    // Lists the weeks again and shows the active one.
    void refill();

private:
    TMatsForm &m_view;
    std::vector<WeekChoiceLine> m_lines;
};

// The lines of the bird's eye view as a table: a line per row, a column per day and bell, every
// other day shaded.
class BirdsEyeModel final : public QAbstractTableModel
{
public:
    explicit BirdsEyeModel(QObject *parent) : QAbstractTableModel(parent) {}
    void setTable(BirdsEyeTable table);
    const BirdsEyeTable &shown() const { return m_table; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    BirdsEyeTable m_table;
};

// The bird's eye view: every timetable of the week as one line, all days side by side; or
// ("Switch view") the master's timetable week by week.
class TimetablesBirdsEye final : public QWidget
{
    Q_OBJECT

public:
    explicit TimetablesBirdsEye(TMatsForm &view);

    void refresh();
    QTableView *table() const { return m_table; }
    BirdsEyeModel *model() const { return m_model; }
    bool stripShown() const { return m_strip; }
    void switchView();
    // Clicking a cell: its timetable (or, by weeks, its week) becomes current.
    void chooseLine(int line, int column);
    // "Next week" (+1) and "Previous week" (-1).
    void stepWeek(int delta);
    void copy();
    void info();
    // The columns narrower (-1) or wider (+1).
    void widen(int delta);
    // By weeks: the current line's week becomes the active week.
    void switchToThisWeek();
    void setExpanded(bool expanded);

private:
    void setColumnWidths();

    TMatsForm &m_view;
    BirdsEyeModel *m_model;
    QTableView *m_table;
    QPushButton *m_switch;
    QPushButton *m_thisWeek;
    QPushButton *m_expanded;
    bool m_strip = false;
    int m_columnWidth = 0; // 0: as wide as the longest text
};

// The quality grid: "Timetable" and "Quality index" of the week's most scattered timetables.
class TimetablesQuality final : public QWidget
{
    Q_OBJECT

public:
    explicit TimetablesQuality(TMatsForm &view);

    // "Refresh": measures every timetable of the week again.
    void refresh();
    QTableWidget *table() const { return m_table; }
    // Clicking a line: its timetable becomes current.
    void chooseLine(int line);
    // The week measured, 0 before the first refresh.
    int week() const { return m_week; }

private:
    TMatsForm &m_view;
    QTableWidget *m_table;
    std::vector<QualityGridLine> m_lines;
    int m_week = 0;
};

// The fit panel: the events of the master timetable that fit the current cell, with "Add",
// "Remove", "Clear" and "New event".
class TimetablesFit final : public QWidget
{
    Q_OBJECT

public:
    explicit TimetablesFit(TMatsForm &view);

    void refresh();
    QListWidget *list() const { return m_list; }
    const std::vector<FitEntry> &entries() const { return m_entries; }
    // The allocation changes of the selected entry, and a new event for the cell.
    void change(FitChange change);
    void newEvent();

private:
    TMatsForm &m_view;
    QLabel *m_title;
    QComboBox *m_filter;
    QListWidget *m_list;
    std::vector<FitEntry> m_entries;
};

// The view's panels, made on first use; null while the view has none.
TimetablesBirdsEye &birdsEyeOf(TMatsForm &view);
TimetablesQuality &qualityOf(TMatsForm &view);
TimetablesFit &fitOf(TMatsForm &view);
// Brings the shown panels up to date with the view (called whenever it shows its session).
void refreshTimetablePanels(TMatsForm &view);

// Binds "Select the week", "Bird's eye view", "Timetable quality" and "Fit events".
void bindTimetablePanelRows(std::vector<ViewCommand> &rows);

} // namespace quivra
