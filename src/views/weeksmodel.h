#pragma once

// The allocation grid of the Weeks view: one row per event of eventList, one column per week in
// use; a cell holds the periods of the event allocated to the week, or the name of its booking.
// The per-week counts are read once per reload, not per cell.

#include "engine/scheduledata.h"
#include "views/viewoptions.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace quivra {

class WeeksModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    WeeksModel(const ScheduleData &d, const ViewOptions &options, QObject *parent = nullptr);

    void reload();

    // The event of a row; 0 for the guidance row of an empty table.
    CodeId eventAt(int row) const;
    int weekCount() const { return m_weeks; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Cell
    {
        std::uint8_t allocated = 0;
        std::uint8_t scheduled = 0;
        std::uint8_t booked = 0; // booking kind of the week, 0 for none
    };
    const Cell &cell(int row, int column) const;

    const ScheduleData &m_d;
    const ViewOptions &m_options;
    int m_weeks = 1;
    std::vector<CodeId> m_events;
    std::vector<bool> m_hasResources;
    std::vector<Cell> m_cells; // row-major, m_weeks per event
};

} // namespace quivra
