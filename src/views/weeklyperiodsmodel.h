#pragma once

// The weekly periods grid of the code lists: one row per code of the list, a first column with
// the code and name, then one column per week with its periods ("-" for none) as the switches
// count them. Weeks before the snapshot week are drawn apart from the others.

#include "commands/eventtools.h"
#include "engine/scheduledata.h"

#include <QAbstractTableModel>

#include <vector>

namespace quivra {

class CodeListModel;

class WeeklyPeriodsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    WeeklyPeriodsModel(const ScheduleData &d, const CodeListModel &list, QObject *parent = nullptr);

    void reload(WeeklyPeriodsSwitches switches, int currentWeek);

    CodeId codeAt(int row) const;
    int weekCount() const { return m_weeks; }
    // The periods of a row in a week (1-based), as shown.
    int periods(int row, int week) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const ScheduleData &m_d;
    const CodeListModel &m_list;
    int m_weeks = 0;
    int m_currentWeek = 1;
    std::vector<CodeId> m_codes;
    std::vector<std::vector<int>> m_values;
};

} // namespace quivra
