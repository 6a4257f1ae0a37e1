#include "views/weeksmodel.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/textutil.h"
#include "views/qtext.h"

#include <QFont>
#include <QPalette>

#include <algorithm>

namespace quivra {

WeeksModel::WeeksModel(const ScheduleData &d, const ViewOptions &options, QObject *parent)
    : QAbstractTableModel(parent), m_d(d), m_options(options)
{
    reload();
}

void WeeksModel::reload()
{
    beginResetModel();
    m_weeks = std::clamp(usedWeeks(m_d), 1, MaxWeeks);
    m_events.clear();
    const int count = std::min<int>(m_d.eventList[0], MaxCodes);
    for (int i = 1; i <= count; ++i) {
        if (validCode(m_d, m_d.eventList[i]))
            m_events.push_back(m_d.eventList[i]);
    }
    m_hasResources.assign(m_events.size(), false);
    m_cells.assign(m_events.size() * static_cast<std::size_t>(m_weeks), Cell{});
    WeekAllocation wa;
    for (std::size_t row = 0; row < m_events.size(); ++row) {
        m_hasResources[row] = collectionOf(m_d, m_events[row])[0] > 0;
        loadWeekAllocation(m_d, m_events[row], wa);
        for (int w = 1; w <= m_weeks; ++w) {
            Cell &c = m_cells[row * m_weeks + (w - 1)];
            c.allocated = wa.allocated[w];
            c.scheduled = wa.scheduled[w];
            c.booked = wa.booked[w];
        }
    }
    endResetModel();
}

CodeId WeeksModel::eventAt(int row) const
{
    return row >= 0 && row < static_cast<int>(m_events.size()) ? m_events[row] : 0;
}

const WeeksModel::Cell &WeeksModel::cell(int row, int column) const
{
    return m_cells[static_cast<std::size_t>(row) * m_weeks + column];
}

int WeeksModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_events.empty() ? 1 : static_cast<int>(m_events.size());
}

int WeeksModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_weeks;
}

QVariant WeeksModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (m_events.empty()) {
        if (index.column() == 0 && role == Qt::DisplayRole)
            return QStringLiteral("[Create your first event in Events view]");
        return {};
    }
    const Cell &c = cell(index.row(), index.column());
    const int week = index.column() + 1;
    const int weekSlots = usedDays(m_d) * usedBells(m_d);
    switch (role) {
    case Qt::DisplayRole:
        if (c.booked > 0) {
            const std::string name = listItem(m_d.bookingKinds.view(), c.booked);
            return toQString(name.empty() ? std::to_string(c.booked) : name);
        }
        return c.allocated > 0 ? QVariant(int(c.allocated)) : QVariant();
    case Qt::ToolTipRole:
        if (c.allocated == 0)
            return {};
        return toQString(std::to_string(c.scheduled) + " out of " + std::to_string(c.allocated) +
                         " h scheduled in \"" + formatWeek(m_d, week, 3) + "\"");
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::ForegroundRole:
        if (c.allocated > weekSlots)
            return QColor(Qt::red);
        if (c.scheduled < c.allocated)
            return QColor(Qt::darkRed);
        return {};
    case Qt::FontRole:
        if (c.allocated > weekSlots) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::BackgroundRole:
        // Weeks before the current week are protected; events without resources cannot be
        // scheduled. Both are drawn apart from the cells one works in.
        if (week < m_d.currentWeek)
            return QColor(0xE8, 0xE8, 0xE8);
        if (!m_hasResources[index.row()])
            return QPalette().color(QPalette::Window);
        return {};
    default:
        return {};
    }
}

QVariant WeeksModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_weeks)
            return {};
        const int week = section + 1;
        if (role == Qt::DisplayRole) {
            std::string text = formatWeek(m_d, week, 3);
            if (weeksDated(m_d))
                text += "\n" + formatShortDate(weekDate(m_d, week));
            return toQString(text);
        }
        if (role == Qt::ToolTipRole) {
            return toQString("Length of week " + formatWeek(m_d, week, 3) + " = " +
                             std::to_string(weekLength(m_d, week)) + "w");
        }
        return {};
    }
    if (section < 0 || section >= rowCount())
        return {};
    const CodeId e = eventAt(section);
    if (role == Qt::DisplayRole)
        return e ? toQString(formatCode(m_d, e, m_options.showMode)) : QVariant();
    if (role == Qt::ToolTipRole && e)
        return toQString(formatCode(m_d, e, ShowCodeAndName));
    return {};
}

} // namespace quivra
