#pragma once

// One code's timetable of one week: a column per day in use, a row per bell in use. A cell shows
// the event placed there or the name of a booking, with the marks the cell display options ask
// for (commands/timetabledisplay.h). The cells are worked out once per reload or refresh, never
// while painting. A cell that two events hold is a conflict: it shows both and is drawn in the
// conflict colour. In the master timetable of the view's session the current event's marks are
// drawn too: where its block could move, the blocks it could swap with, and the day's gaps; the
// hint of a cell is then the session's cell hint.

#include "commands/timetabledisplay.h"
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
    // What the cells show, and the view's session the master timetable's marks and hints come
    // from (nullptr: none). Either reloads.
    void setCellOptions(const CellDisplayOptions &options);
    const CellDisplayOptions &cellOptions() const { return m_cellOptions; }
    void setSession(TimetablesSession *session);
    // Works out the cells again after the session's current event or cell changed; the shape of
    // the grid stays.
    void refreshCells();
    const TimetableCells &cells() const { return m_cells; }
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
    // Headers for a narrow grid: the day's first three letters and the bell's number, the full
    // names in their tooltips.
    void setCompactHeaders(bool compact) { m_compactHeaders = compact; }

    // "Clash in Monday 1: MATH and ENG" for the cells two events hold, empty when none.
    std::string clashText() const;

    // True for a cell two events hold.
    static constexpr int ConflictRole = Qt::UserRole + 1;
    static inline const QColor ConflictColour{200, 30, 30};
    // The current block may start here ("Show move options"); a block it may swap with ("Show
    // swap options").
    static inline const QColor MoveColour{150, 215, 150};
    static inline const QColor SwapColour{170, 200, 240};

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    CellDisplayOptions shownOptions() const;
    // What the cells were last worked out for from the session: a refresh with the same state
    // (the data set unchanged, or reload() would have run) keeps them.
    struct SessionState
    {
        bool open = false;
        int week = 0;
        CodeId master = 0, event = 0;
        SlotPos current;
        int logPosition = 0, logSize = 0;
        friend bool operator==(const SessionState &, const SessionState &) = default;
    };
    SessionState sessionState() const;
    void fill();

    const ScheduleData &m_d;
    const ViewOptions &m_options;
    CodeId m_code = 0;
    bool m_compactHeaders = false;
    int m_days = 0;
    int m_bells = 0;
    CellDisplayOptions m_cellOptions;
    TimetablesSession *m_session = nullptr;
    TimetableCells m_cells;
    SessionState m_filledFor;
    Marks m_marks{};
};

} // namespace quivra
