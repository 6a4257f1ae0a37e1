#pragma once

// What the Resources and the Events view show beside their list: the link list (the current
// code and the codes linked with it), the snapshot timetable of one week with Previous week and
// Next week, and the weekly periods grid (one column per week) that stands in for the list while
// that mode is on. The panel only reads the data set; the view's commands switch its parts.

#include "commands/eventtools.h"
#include "engine/scheduledata.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QTableView;
class QTableWidget;

namespace quivra {

class CodeListModel;
class WeeklyPeriodsModel;

class CodeListTools : public QWidget
{
    Q_OBJECT

public:
    // `list` is the view's own list, hidden while the weekly periods grid is shown.
    CodeListTools(const ScheduleData &d, const CodeListModel &model, QTableView *list,
                  QWidget *parent = nullptr);

    // The current code of the view changed, or the data set did.
    void setCode(CodeId c);
    void refresh();

    bool linksShown() const { return m_links; }
    bool snapshotShown() const { return m_snapshot; }
    bool weeklyShown() const { return m_weekly; }
    void showLinks(bool on);
    void showSnapshot(bool on);
    void showWeekly(bool on);
    WeeklyPeriodsSwitches switches() const { return m_switches; }
    void setSwitches(WeeklyPeriodsSwitches switches);

    // The code chosen in the link list (the snapshot shows it), 0 when none.
    CodeId linkChosen() const { return m_chosen; }
    int snapshotWeek() const { return m_week; }
    void setSnapshotWeek(int week);

    QListWidget *linkList() const { return m_linkList; }
    QTableWidget *snapshot() const { return m_snapshotTable; }
    QTableView *weeklyGrid() const { return m_weeklyGrid; }
    WeeklyPeriodsModel *weeklyModel() const { return m_weeklyModel; }
    QPushButton *previousWeek() const { return m_previous; }
    QPushButton *nextWeek() const { return m_next; }
    QLabel *weekLabel() const { return m_weekLabel; }

private:
    // Selects the current code's row in the weekly periods grid.
    void followInWeeklyGrid();
    void fillLinks();
    void fillSnapshot();
    void updateVisibility();

    const ScheduleData &m_d;
    const CodeListModel &m_model;
    QTableView *m_list;
    CodeId m_code = 0;
    CodeId m_chosen = 0;
    int m_week = 1;
    bool m_links = false, m_snapshot = false, m_weekly = false;
    WeeklyPeriodsSwitches m_switches;

    QWidget *m_side;
    QListWidget *m_linkList;
    QWidget *m_snapshotPanel;
    QTableWidget *m_snapshotTable;
    QPushButton *m_previous;
    QPushButton *m_next;
    QLabel *m_weekLabel;
    QTableView *m_weeklyGrid;
    WeeklyPeriodsModel *m_weeklyModel;
};

} // namespace quivra
