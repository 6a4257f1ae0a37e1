#pragma once

// TEditForm, the Weeks view: the events-by-weeks allocation grid. A cell is typed into like a
// spreadsheet's (a number replaces the allocation, Delete erases it), the arrows, Home/End and
// PgUp/PgDn move, a drag selects several cells for the cell commands, and a right click pops up
// the cell's commands with the view's menus.

#include "commands/weekprofile.h"
#include "commands/weekscommands.h"
#include "views/viewform.h"
#include "views/weeksmodel.h"

#include <QPersistentModelIndex>

#include <utility>
#include <vector>

class QLabel;
class QSpinBox;
class QTableView;
class QTableWidget;

namespace quivra {

class TEditForm final : public ViewForm
{
    Q_OBJECT

public:
    TEditForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent = nullptr);

    ViewTag tag() const override { return ViewTag::Weeks; }
    void refresh() override;
    void followCurrentCode() override;

    WeeksModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }

    // The event and week of the current cell; 0 when there is none.
    CodeId currentEvent() const;
    int currentWeek() const;
    // The selected cells (event, week), the current one when nothing else is selected.
    std::vector<std::pair<CodeId, int>> selectedCells() const;
    // What the grid shows; the column widths follow the week lengths when asked to.
    void setDisplay(const WeeksDisplay &display);
    // Makes (event, week) the current cell, when the event has a row.
    void goToCell(CodeId event, int week);

    // What the view's commands remember between them (the copied allocation and the answer to
    // the PLANNED questions).
    WeeksState &state() { return m_state; }
    const WeeksState &state() const { return m_state; }

    // The Sum window: the current event's and its resources' week profiles under the grid.
    bool sumsShown() const;
    void showSums(bool shown);
    QTableWidget *sums() const { return m_sums; }
    // The Bird's eye view: every resource's week profile, in a window of its own.
    struct BirdsEye
    {
        ProfileMeasure measure = ProfileMeasure::Allocated;
        bool utilisation = false;
        bool heatMap = false;
    };
    bool birdsEyeShown() const;
    void showBirdsEye(bool shown);
    const BirdsEye &birdsEye() const { return m_birdsEye; }
    void setBirdsEye(const BirdsEye &options);
    QTableWidget *birdsEyeTable() const { return m_birdsTable; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onCellChanged();
    // The current cell lies after the weeks in use: offers to use the weeks up to it.
    void offerMoreWeeks();
    // A click in the Sum window (a resource row: its events marked, its replacement offered; a
    // week: the grid goes there) and in the Bird's eye view (the resource's events of the week,
    // the one picked becomes the current cell).
    void onSumClicked(int row, int column);
    // The allocation of event e dragged from week `from` and dropped on week `to`.
    void dropAllocation(CodeId e, int from, int to);
    void onBirdsEyeClicked(int row, int column);
    void onValueTyped(int row, int column, int value);
    void onPlannedTyped(int value);
    void updatePanel();
    void fitColumns();
    void updateSums();
    void updateBirdsEye();
    void addCellCommandsToMenu();

    WeeksModel *m_model;
    QTableView *m_table;
    QLabel *m_weekLength;
    QLabel *m_firstOpen;
    QLabel *m_cellValue;
    QLabel *m_eventCode;
    QSpinBox *m_planned;
    QTableWidget *m_sums;
    QWidget *m_birdsWindow;
    QTableWidget *m_birdsTable;
    BirdsEye m_birdsEye;
    std::vector<CodeId> m_sumCodes;   // the Sum window's rows
    std::vector<CodeId> m_birdsCodes; // the Bird's eye view's rows
    WeeksState m_state;
    bool m_selecting = false;
    bool m_extending = false;
    int m_defaultRowHeight = 0;
    QPersistentModelIndex m_dragFrom; // the cell an allocation drag started on
};

} // namespace quivra
