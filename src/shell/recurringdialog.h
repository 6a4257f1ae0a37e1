#pragma once

// TRecurEvents: "Schedule <event>", the Events view's Bulk schedule. The dialog draws a
// RecurringEvents and forwards every control to it; the grid shows the weeks and days as
// columns and the bells as rows, coloured by what each cell is.

#include "commands/recurringevents.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QGroupBox;

namespace quivra {

class TRecurEvents : public QDialog
{
    Q_OBJECT

public:
    TRecurEvents(RecurringEvents &state, QWidget *parent = nullptr);

    QCheckBox *dayBox(int day) const { return m_days[static_cast<std::size_t>(day)]; }
    QRadioButton *multiDayButton() const { return m_multi; }
    QComboBox *startBell() const { return m_startBell; }
    QComboBox *endBell() const { return m_endBell; }
    QComboBox *startWeek() const { return m_startWeek; }
    QComboBox *endWeek() const { return m_endWeek; }
    QPushButton *scheduleButton() const { return m_schedule; }
    QTableWidget *grid() const { return m_grid; }
    // Whether Schedule or Unschedule changed the data set.
    bool changed() const { return m_changed; }

    void redraw();

private:
    void fillGrid();

    RecurringEvents &m_state;
    std::array<QCheckBox *, MaxDays + 1> m_days{};
    QRadioButton *m_repeating, *m_multi;
    QGroupBox *m_dayGroup;
    QComboBox *m_startBell, *m_endBell, *m_startWeek, *m_endWeek;
    QLabel *m_now, *m_available, *m_previously, *m_warning, *m_periods, *m_weeks, *m_dates, *m_hint;
    QGroupBox *m_planned;
    QPushButton *m_schedule, *m_unschedule, *m_show;
    QTableWidget *m_grid;
    QWidget *m_legend;
    bool m_gridShown = true;
    bool m_filling = false;
    bool m_changed = false;
};

// Bulk schedule of the Events view for `event`, after the view's checks; true when the data set
// changed.
bool showRecurringDialog(ScheduleData &d, Prompter &p, CodeId event, QWidget *parent);

} // namespace quivra
