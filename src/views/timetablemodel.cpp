#include "views/timetablemodel.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "views/qtext.h"

#include <algorithm>

namespace quivra {

TimetableModel::TimetableModel(const ScheduleData &d, const ViewOptions &options, QObject *parent)
    : QAbstractTableModel(parent), m_d(d), m_options(options)
{
    reload();
}

void TimetableModel::setCode(CodeId c)
{
    m_code = c;
    reload();
}

void TimetableModel::reload()
{
    beginResetModel();
    if (!validCode(m_d, m_code))
        m_code = 0;
    m_days = std::clamp(usedDays(m_d), 0, MaxDays);
    m_bells = std::clamp(usedBells(m_d), 0, MaxBells);
    m_table = WeekTimetable{};
    const int week = m_options.activeWeek;
    if (m_code != 0 && week >= 1 && week <= usedWeeks(m_d))
        weekTimetableOf(m_d, m_code, week, m_table, true);
    endResetModel();
}

int TimetableModel::placedCells() const
{
    int n = 0;
    for (int bell = 1; bell <= m_bells; ++bell) {
        for (int day = 1; day <= m_days; ++day) {
            const CellWord cell = m_table.cell(day, bell);
            if (cellLectureWord(cell) != 0 && !isBookingCell(cell))
                ++n;
        }
    }
    return n;
}

void TimetableModel::setMarks(const Marks &marks)
{
    if (marks == m_marks)
        return;
    m_marks = marks;
    if (m_days > 0 && m_bells > 0)
        emit dataChanged(index(0, 0), index(m_bells - 1, m_days - 1), {Qt::BackgroundRole});
}

std::string TimetableModel::clashText() const
{
    std::string text;
    int shown = 0;
    for (int day = 1; day <= m_days; ++day)
        for (int bell = 1; bell <= m_bells; ++bell) {
            const CellWord hidden = m_table.hiddenCell(day, bell);
            const CellWord cell = m_table.cell(day, bell);
            if (hidden == 0 || cellLectureWord(cell) == 0)
                continue;
            if (++shown > 3) {
                text += " ...";
                return text;
            }
            std::string dayName = listItem(m_d.dayNames, day);
            text += (text.empty() ? "Clash in " : "; ") + dayName + " " + std::to_string(bell) +
                    ": " + formatCode(m_d, cellCode(m_d, hidden), ShowCode) + " and " +
                    formatCode(m_d, cellCode(m_d, cell), ShowCode);
        }
    return text;
}

int TimetableModel::conflictCells() const
{
    return m_table.clashes;
}

int TimetableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_bells;
}

int TimetableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_days;
}

QVariant TimetableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int day = index.column() + 1;
    const int bell = index.row() + 1;
    const CellWord cell = m_table.cell(day, bell);
    const std::uint16_t word = cellLectureWord(cell);
    const Mark mark = this->mark(day, bell);
    if (role == Qt::BackgroundRole && mark >= Mark::DropFits) {
        switch (mark) {
        case Mark::DropFits:
            return QColor(120, 200, 120);
        case Mark::DropClashes:
            return QColor(240, 120, 120);
        default:
            return QColor(250, 230, 140);
        }
    }
    if (word == 0) {
        const CodeId manual = m_table.manualRoom[bell][day];
        if (role == Qt::DisplayRole && validCode(m_d, manual))
            return toQString(formatCode(m_d, manual, m_options.showMode) + " (m)");
        if (role == Qt::BackgroundRole && mark == Mark::Free)
            return QColor(225, 245, 225);
        if (role == Qt::BackgroundRole && mark == Mark::Blocked)
            return QColor(225, 225, 225);
        return {};
    }
    const CodeId c = cellCode(m_d, cell);
    if (isBookingCell(cell)) {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        // Event bookings name the first three kinds, resource bookings the next three.
        const int kind = std::clamp(cellKind(cell), 1, 3);
        const int item = (word & LectureEventBit) ? kind : kind + 3;
        std::string name = listItem(m_d.bookingKinds.view(), item);
        if (name.empty())
            name = listItem(m_d.bookingKinds.view(), kind);
        return toQString(name);
    }
    const CellWord hidden = m_table.hiddenCell(day, bell);
    if (hidden != 0) {
        // Two events in one cell: both are shown, and the cell is marked.
        const CodeId other = cellCode(m_d, hidden);
        switch (role) {
        case Qt::DisplayRole:
            return toQString(formatCode(m_d, other, m_options.showMode) + " / " +
                             formatCode(m_d, c, m_options.showMode));
        case Qt::ToolTipRole:
            return toQString("Conflict: " + formatCode(m_d, other, ShowCodeAndName) + " and " +
                             formatCode(m_d, c, ShowCodeAndName));
        case Qt::BackgroundRole:
            return ConflictColour;
        case Qt::ForegroundRole:
            return QColor(Qt::white);
        case ConflictRole:
            return true;
        default:
            return {};
        }
    }
    switch (role) {
    case Qt::DisplayRole:
        return toQString(formatCode(m_d, c, m_options.showMode));
    case Qt::ToolTipRole:
        return toQString(formatCode(m_d, c, ShowCodeAndName));
    case Qt::BackgroundRole:
        if (m_options.showColours && validCode(m_d, c) && codeColour(m_d.codes[c].colour).isValid())
            return codeColour(m_d.codes[c].colour);
        return {};
    case Qt::ForegroundRole:
        if (m_options.showColours && validCode(m_d, c) && codeColour(m_d.codes[c].colour).isValid())
            return QColor(Qt::black);
        return {};
    default:
        return {};
    }
}

QVariant TimetableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_days)
            return {};
        const int day = section + 1;
        std::string text = listItem(m_d.dayNames, day);
        if (role == Qt::ToolTipRole && weeksDated(m_d))
            text = formatShortDate(weekDate(m_d, m_options.activeWeek) + day - 1);
        return toQString(text);
    }
    if (section < 0 || section >= m_bells)
        return {};
    const std::string name = m_d.bellNames[section + 1].str();
    if (role == Qt::ToolTipRole)
        return name.empty() ? QVariant() : QVariant(toQString(name));
    return toQString(name.empty() ? std::to_string(section + 1)
                                  : std::to_string(section + 1) + " " + name);
}

} // namespace quivra
