#include "views/timetablemodel.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "views/qtext.h"

#include <QBrush>

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
    fill();
    endResetModel();
}

TimetableModel::SessionState TimetableModel::sessionState() const
{
    if (!m_session || !m_session->isOpen())
        return {};
    const MoveLog &log = m_session->matrix().log();
    return {true,
            m_session->week(),
            m_session->master(),
            m_session->event(),
            m_session->current(),
            log.position(),
            log.size()};
}

void TimetableModel::fill()
{
    fillTimetableCells(m_d, m_code, m_options.activeWeek, shownOptions(), m_session, m_cells);
    m_filledFor = sessionState();
}

void TimetableModel::setCellOptions(const CellDisplayOptions &options)
{
    m_cellOptions = options;
    reload();
}

void TimetableModel::setSession(TimetablesSession *session)
{
    m_session = session;
    reload();
}

void TimetableModel::refreshCells()
{
    const int days = std::clamp(usedDays(m_d), 0, MaxDays);
    const int bells = std::clamp(usedBells(m_d), 0, MaxBells);
    if (days != m_days || bells != m_bells || !validCode(m_d, m_code)) {
        reload();
        return;
    }
    if (sessionState() == m_filledFor && m_cells.code == m_code &&
        m_cells.week == m_options.activeWeek)
        return;
    fill();
    if (m_days > 0 && m_bells > 0)
        emit dataChanged(index(0, 0), index(m_bells - 1, m_days - 1));
}

CellDisplayOptions TimetableModel::shownOptions() const
{
    // Colours are off for every view while the frame's colours are off.
    CellDisplayOptions options = m_cellOptions;
    if (!m_options.showColours)
        options.set(CellOption::Colours, false);
    return options;
}

int TimetableModel::placedCells() const
{
    return m_cells.placed;
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
            const TimetableCell &c = m_cells.at(day, bell);
            if (c.other == 0 || c.code == 0)
                continue;
            if (++shown > 3) {
                text += " ...";
                return text;
            }
            std::string dayName = listItem(m_d.dayNames, day);
            text += (text.empty() ? "Clash in " : "; ") + dayName + " " + std::to_string(bell) +
                    ": " + formatCode(m_d, c.other, ShowCode) + " and " +
                    formatCode(m_d, c.code, ShowCode);
        }
    return text;
}

int TimetableModel::conflictCells() const
{
    return m_cells.clashes;
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
    const TimetableCell &cell = m_cells.at(day, bell);
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
    if (role == Qt::DisplayRole)
        return toQString(cell.text);
    if (role == Qt::ToolTipRole && m_session && m_cells.event == m_session->event() &&
        m_session->master() == m_code && m_session->isOpen()) {
        const std::string hint = cellHint(m_d, *m_session, m_cellOptions, day, bell);
        if (!hint.empty())
            return toQString(hint);
    }
    const bool conflict = cell.other != 0 && cell.code != 0;
    if (role == ConflictRole)
        return conflict;
    if (role == Qt::ToolTipRole) {
        if (conflict)
            return toQString("Conflict: " + formatCode(m_d, cell.other, ShowCodeAndName) + " and " +
                             formatCode(m_d, cell.code, ShowCodeAndName));
        if (cell.booking || cell.code == 0)
            return cell.text.empty() ? QVariant() : QVariant(toQString(cell.text));
        return toQString(formatCode(m_d, cell.code, ShowCodeAndName));
    }
    if (role == Qt::BackgroundRole) {
        if (conflict)
            return ConflictColour;
        if (cell.swapScore > 0)
            return SwapColour;
        if (cell.moveStart)
            return MoveColour;
        if (cell.colour > 0 && !cell.booking)
            return codeColour(cell.colour);
        if (cell.gap)
            return QBrush(QColor(150, 150, 150), Qt::BDiagPattern);
        if (cell.code == 0 && mark == Mark::Free)
            return QColor(225, 245, 225);
        if (cell.code == 0 && mark == Mark::Blocked)
            return QColor(225, 225, 225);
        return {};
    }
    if (role == Qt::ForegroundRole) {
        if (conflict)
            return QColor(Qt::white);
        if (cell.colour > 0 && !cell.booking && cell.swapScore == 0 && !cell.moveStart)
            return QColor(Qt::black);
        return {};
    }
    return {};
}

QVariant TimetableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_days)
            return {};
        const int day = section + 1;
        const QString name = toQString(listItem(m_d.dayNames, day));
        if (role == Qt::ToolTipRole) {
            if (weeksDated(m_d))
                return toQString(formatShortDate(weekDate(m_d, m_options.activeWeek) + day - 1));
            return name;
        }
        return m_compactHeaders ? name.left(3) : name;
    }
    if (section < 0 || section >= m_bells)
        return {};
    const std::string name = m_d.bellNames[section + 1].str();
    if (role == Qt::ToolTipRole)
        return name.empty() ? QVariant() : QVariant(toQString(name));
    return toQString(name.empty() || m_compactHeaders ? std::to_string(section + 1)
                                                      : std::to_string(section + 1) + " " + name);
}

} // namespace quivra
