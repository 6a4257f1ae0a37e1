#include "views/weeklyperiodsmodel.h"

#include "engine/codetable.h"
#include "views/codelistmodel.h"
#include "views/qtext.h"

#include <QBrush>
#include <QColor>

namespace quivra {

WeeklyPeriodsModel::WeeklyPeriodsModel(const ScheduleData &d, const CodeListModel &list,
                                       QObject *parent)
    : QAbstractTableModel(parent), m_d(d), m_list(list)
{}

void WeeklyPeriodsModel::reload(WeeklyPeriodsSwitches switches, int currentWeek)
{
    beginResetModel();
    m_codes.clear();
    m_values.clear();
    m_currentWeek = currentWeek;
    for (int row = 0; row < m_list.codeCount(); ++row) {
        const CodeId c = m_list.codeAt(row);
        if (c == 0)
            continue;
        m_codes.push_back(c);
        m_values.push_back(weeklyPeriods(m_d, c, switches));
    }
    m_weeks = m_values.empty() ? 0 : static_cast<int>(m_values.front().size());
    endResetModel();
}

CodeId WeeklyPeriodsModel::codeAt(int row) const
{
    return row >= 0 && row < static_cast<int>(m_codes.size())
               ? m_codes[static_cast<std::size_t>(row)]
               : 0;
}

int WeeklyPeriodsModel::periods(int row, int week) const
{
    if (row < 0 || row >= static_cast<int>(m_values.size()) || week < 1 || week > m_weeks)
        return 0;
    return m_values[static_cast<std::size_t>(row)][static_cast<std::size_t>(week - 1)];
}

int WeeklyPeriodsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_codes.size());
}

int WeeklyPeriodsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_weeks + 1;
}

QVariant WeeklyPeriodsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row(), week = index.column();
    if (role == Qt::DisplayRole) {
        if (week == 0)
            return toQString(formatCode(m_d, codeAt(row), ShowCodeAndName));
        const int n = periods(row, week);
        return n == 0 ? QStringLiteral("-") : QString::number(n);
    }
    if (role == Qt::TextAlignmentRole && week > 0)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    // Weeks gone by are drawn apart from the weeks still to come.
    if (role == Qt::BackgroundRole && week > 0 && week < m_currentWeek)
        return QBrush(QColor(0xe8, 0xe8, 0xe8));
    return {};
}

QVariant WeeklyPeriodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("CODE");
    return toQString(weeklyPeriodsHeader(m_d, section));
}

} // namespace quivra
