#pragma once

// One code's timetable of one week: a column per day in use, a row per bell in use. A cell shows
// the event placed there or the name of a booking. The week timetable is built once per reload.
// A cell that two events hold is a conflict: it shows both and is drawn in the conflict colour.

#include "engine/conflicts.h"
#include "views/viewoptions.h"

#include <QAbstractTableModel>
#include <QColor>

#include <array>
#include <cstdint>
#include <string>

namespace quivra {

class TimetableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    TimetableModel(const ScheduleData &d, const ViewOptions &options, QObject *parent = nullptr);

    // Shows code c (0: nothing) in the options' active week.
    void setCode(CodeId c);
    CodeId code() const { return m_code; }
    // Rebuilds the timetable from the data set.
    void reload();
    // The number of periods placed in the shown week.
    int placedCells() const;
    // The cells of the shown week that two events hold.
    int conflictCells() const;

    // What the Timetables view marks on cells of the grid for the current event and a drag.
    enum class Mark : std::uint8_t { None, Free, Blocked, DropFits, DropClashes, Suggested };
    using Marks = std::array<std::array<Mark, MaxBells + 1>, MaxDays + 1>; // [day][bell]
    void setMarks(const Marks &marks);
    Mark mark(int day, int bell) const
    {
        return m_marks[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)];
    }
    // "Clash in Monday 1: MATH and ENG" for the cells two events hold, empty when none.
    std::string clashText() const;

    // True for a cell two events hold.
    static constexpr int ConflictRole = Qt::UserRole + 1;
    static inline const QColor ConflictColour{200, 30, 30};

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const ScheduleData &m_d;
    const ViewOptions &m_options;
    CodeId m_code = 0;
    int m_days = 0;
    int m_bells = 0;
    WeekTimetable m_table;
    Marks m_marks{};
};

} // namespace quivra
