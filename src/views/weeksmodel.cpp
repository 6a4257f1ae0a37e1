#include "views/weeksmodel.h"

#include "commands/weekscommands.h"
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
    m_columns = std::max(m_weeks, weekCap(m_d));
    m_events.clear();
    const int count = std::min<int>(m_d.eventList[0], MaxCodes);
    for (int i = 1; i <= count; ++i) {
        if (validCode(m_d, m_d.eventList[i]))
            m_events.push_back(m_d.eventList[i]);
    }
    m_hasResources.assign(m_events.size(), false);
    m_placed.assign(m_events.size(), {});
    m_cells.assign(m_events.size() * static_cast<std::size_t>(m_weeks), Cell{});
    WeekAllocation wa;
    // One pass over the lecture store for all rows, not one per row.
    const LectureIndex lectures(m_d);
    for (std::size_t row = 0; row < m_events.size(); ++row) {
        m_hasResources[row] = collectionOf(m_d, m_events[row])[0] > 0;
        loadWeekAllocation(m_d, m_events[row], wa, lectures);
        for (const LectureView &v : wa.timetable)
            if (!isBookingWord(v.word) && (v.word & LectureEventBit))
                m_placed[row].push_back(v);
        for (int w = 1; w <= m_weeks; ++w) {
            Cell &c = m_cells[row * m_weeks + (w - 1)];
            c.allocated = wa.allocated[w];
            c.scheduled = wa.scheduled[w];
            c.booked = wa.booked[w];
        }
    }
    m_lengths.assign(static_cast<std::size_t>(m_weeks), 1);
    for (int w = 1; w <= m_weeks; ++w)
        m_lengths[static_cast<std::size_t>(w - 1)] = weekLength(m_d, w);
    makeTexts();
    endResetModel();
}

void WeeksModel::setDisplay(const WeeksDisplay &display)
{
    if (display == m_display)
        return;
    const bool headers = display.columns != m_display.columns;
    m_display = display;
    makeTexts();
    if (!m_events.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (headers)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void WeeksModel::makeTexts()
{
    m_texts.assign(m_cells.size(), QString());
    m_spans.assign(m_events.size(), {0, 0});
    QString bookingNames[4];
    for (int k = 1; k <= 3; ++k)
        bookingNames[k] = bookingName(k);
    for (std::size_t row = 0; row < m_events.size(); ++row) {
        const int planned = m_d.codes[m_events[row]].planned;
        long long allocatedSum = 0, scheduledSum = 0;
        for (int w = 0; w < m_weeks; ++w) {
            const std::size_t at = row * static_cast<std::size_t>(m_weeks) + w;
            const Cell &c = m_cells[at];
            if (c.allocated > 0) {
                auto &[first, last] = m_spans[row];
                first = first == 0 ? w + 1 : first;
                last = w + 1;
            }
            const int factor = m_display.multiplied ? m_lengths[static_cast<std::size_t>(w)] : 1;
            allocatedSum = (m_display.cumulative ? allocatedSum : 0) + c.allocated * factor;
            scheduledSum = (m_display.cumulative ? scheduledSum : 0) + c.scheduled * factor;
            if (c.booked > 0) {
                m_texts[at] = bookingNames[std::clamp<int>(c.booked, 1, 3)];
                continue;
            }
            if (m_display.mode == WeeksDisplay::Gantt ||
                (c.allocated == 0 && !(m_display.cumulative && allocatedSum > 0)))
                continue;
            const auto shown = [&](long long value) {
                if (m_display.mode == WeeksDisplay::Percentages)
                    return QString::number(percentOfPlanned(static_cast<int>(value), planned)) +
                           QLatin1Char('%');
                return QString::number(value);
            };
            m_texts[at] = m_display.scheduled
                              ? shown(scheduledSum) + QLatin1Char('/') + shown(allocatedSum)
                              : shown(allocatedSum);
        }
    }
}

QString WeeksModel::bookingName(int kind) const
{
    const std::string name = listItem(m_d.bookingKinds.view(), kind);
    return toQString(name.empty() ? std::to_string(kind) : name);
}

Qt::ItemFlags WeeksModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.row() < static_cast<int>(m_events.size()) &&
        index.column() < m_weeks && m_hasResources[static_cast<std::size_t>(index.row())])
        f |= Qt::ItemIsEditable;
    return f;
}

bool WeeksModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || eventAt(index.row()) == 0)
        return false;
    bool ok = false;
    const int v = value.toString().trimmed().toInt(&ok);
    // Anything but a number leaves the cell as it was (never read as 0, which would erase it).
    if (ok && v >= 0)
        emit valueTyped(index.row(), index.column(), v);
    return false;
}

WeeksModel::Miniature WeeksModel::miniature(int row, int week) const
{
    Miniature cells{};
    if (row < 0 || row >= static_cast<int>(m_placed.size()) || week < 1 || week > m_weeks)
        return cells;
    for (const LectureView &v : m_placed[static_cast<std::size_t>(row)]) {
        if (v.startWeek > week || v.endWeek < week)
            continue;
        const int lastBell = std::min<int>(v.endBell, 32);
        std::uint32_t bells = 0;
        for (int b = std::max<int>(v.startBell, 1); b <= lastBell; ++b)
            bells |= 1u << (b - 1);
        for (int day = std::max<int>(v.startDay, 1); day <= std::min<int>(v.endDay, MaxDays); ++day)
            cells[static_cast<std::size_t>(day)] |= bells;
    }
    return cells;
}

void WeeksModel::setCopiedWeek(int week)
{
    if (week == m_copiedWeek)
        return;
    const int before = m_copiedWeek;
    m_copiedWeek = week;
    for (const int w : {before, week}) {
        if (w >= 1 && w <= m_weeks && !m_events.empty())
            emit dataChanged(index(0, w - 1), index(rowCount() - 1, w - 1), {Qt::ForegroundRole});
    }
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
    return parent.isValid() ? 0 : m_columns;
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
    const int week = index.column() + 1;
    if (week > m_weeks) {
        // Weeks after those in use are drawn in the background colour.
        if (role == Qt::BackgroundRole)
            return QPalette().color(QPalette::Window);
        if (role == Qt::ToolTipRole)
            return QStringLiteral("Choose this week to use the weeks up to it");
        return {};
    }
    const Cell &c = cell(index.row(), index.column());
    const int weekSlots = usedDays(m_d) * usedBells(m_d);
    switch (role) {
    case Qt::DisplayRole: {
        const QString &text = m_texts[static_cast<std::size_t>(index.row()) * m_weeks +
                                      static_cast<std::size_t>(index.column())];
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case Qt::EditRole:
        return c.allocated > 0 ? QVariant(int(c.allocated)) : QVariant();
    case Qt::ToolTipRole:
        // Protected and booked weeks, and events without resources, take no typing.
        if (week < m_d.currentWeek || c.booked > 0 || !m_hasResources[index.row()])
            return QStringLiteral("This cell cannot be changed");
        if (c.allocated == 0)
            return toQString("Cell value range [0h - " + std::to_string(weekSlots) +
                             "h] of event \"" +
                             std::string(m_d.codes[m_events[index.row()]].code.view()) +
                             "\" and week \"" + formatWeek(m_d, week, 3) + "\"");
        return toQString(std::to_string(c.scheduled) + " out of " + std::to_string(c.allocated) +
                         " h scheduled in \"" + formatWeek(m_d, week, 3) + "\"");
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignCenter);
    case Qt::ForegroundRole:
        if (c.allocated > weekSlots)
            return QColor(Qt::red);
        if (week == m_copiedWeek)
            return QColor(Qt::blue);
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
        if (m_display.mode == WeeksDisplay::Gantt) {
            // The bar runs from the event's first to its last week: booked weeks in the
            // booking colour, allocated weeks the darker the more of them is scheduled.
            if (c.booked > 0)
                return QColor(0xF0, 0xD0, 0x60);
            const auto [first, last] = m_spans[static_cast<std::size_t>(index.row())];
            if (first > 0 && week >= first && week <= last) {
                const double share = c.allocated > 0
                                         ? double(std::min(c.scheduled, c.allocated)) / c.allocated
                                         : 0.0;
                const int light = 220 - static_cast<int>(share * 150);
                return c.allocated > 0 ? QColor(light, light, 255) : QColor(235, 235, 250);
            }
        }
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
        if (section < 0 || section >= m_columns)
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
    if (role == Qt::DisplayRole) {
        if (!e)
            return {};
        switch (m_display.columns) {
        case WeeksDisplay::Code:
            return toQString(std::string(m_d.codes[e].code.view()));
        case WeeksDisplay::All:
            return toQString(formatCode(m_d, e, ShowCodeAndName) + "  " +
                             std::to_string(m_d.codes[e].allocated) + "/" +
                             std::to_string(m_d.codes[e].planned));
        case WeeksDisplay::Default:
            break;
        }
        return toQString(formatCode(m_d, e, m_options.showMode));
    }
    if (role == Qt::ToolTipRole && e)
        return toQString(formatCode(m_d, e, ShowCodeAndName));
    return {};
}

} // namespace quivra
