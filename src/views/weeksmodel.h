#pragma once

// The allocation grid of the Weeks view: one row per event of eventList, one column per week in
// use; a cell holds the periods of the event allocated to the week, or the name of its booking.
// The per-week counts are read once per reload, not per cell.

#include "engine/scheduledata.h"
#include "views/viewoptions.h"

#include <QAbstractTableModel>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace quivra {

// What the grid's cells show: numbers or percentages of PLANNED, each optionally multiplied
// by the week lengths, cumulative from week 1, or as scheduled/allocated.
struct WeeksDisplay
{
    enum Mode { Numbers, Percentages, Gantt };
    Mode mode = Numbers;
    bool multiplied = false;
    bool cumulative = false;
    bool scheduled = false;
    bool variableWidths = false; // columns as wide as their weeks are long
    // What a row's header shows: the event's code, the codes as the frame shows them, or code,
    // name and ALLOCATED/PLANNED.
    enum Columns { Code, Default, All };
    Columns columns = Default;

    friend bool operator==(const WeeksDisplay &, const WeeksDisplay &) = default;
};

class WeeksModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    WeeksModel(const ScheduleData &d, const ViewOptions &options, QObject *parent = nullptr);

    void reload();
    const WeeksDisplay &display() const { return m_display; }
    // Changes what the cells show; the texts are made again from the counts already read.
    void setDisplay(const WeeksDisplay &display);

    // The week "Copy week" stored, whose column shows its numbers in blue; 0 for none.
    void setCopiedWeek(int week);

    // The event of a row; 0 for the guidance row of an empty table.
    CodeId eventAt(int row) const;
    // The weeks in use; the grid's columns run on to the last week of the calendar, shaded, so
    // that a week after them can be chosen.
    int weekCount() const { return m_weeks; }
    // The event's placed cells in a week for the Gantt chart's miniature timetables: per day
    // (1..7) a mask with bit b - 1 for bell b. Empty for a row without an event or a week out of
    // use.
    using Miniature = std::array<std::uint32_t, MaxDays + 1>;
    Miniature miniature(int row, int week) const;
    // The name a week booked with `kind` (1..3) shows.
    QString bookingName(int kind) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Cells of events with resources can be typed into; the typed value is not stored here but
    // handed on (valueTyped), and the data set's change reloads the model.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void valueTyped(int row, int column, int value);

private:
    struct Cell
    {
        std::uint8_t allocated = 0;
        std::uint8_t scheduled = 0;
        std::uint8_t booked = 0; // booking kind of the week, 0 for none
    };
    const Cell &cell(int row, int column) const;
    // The text of every cell in the current display, made once per reload or display change.
    void makeTexts();

    const ScheduleData &m_d;
    const ViewOptions &m_options;
    int m_weeks = 1;
    int m_columns = 1; // the weeks of the calendar
    int m_copiedWeek = 0;
    std::vector<CodeId> m_events;
    std::vector<bool> m_hasResources;
    std::vector<Cell> m_cells;                      // row-major, m_weeks per event
    std::vector<std::vector<LectureView>> m_placed; // each row's placed lectures
    std::vector<QString> m_texts;                   // the same layout
    std::vector<int> m_lengths;                     // week lengths, [w - 1]
    std::vector<std::pair<int, int>> m_spans;       // first and last allocated week of each row
    WeeksDisplay m_display;
};

} // namespace quivra
