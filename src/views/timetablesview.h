#pragma once

// TMatsForm, the Timetables view: the week timetable of one timetabled resource (the master) in
// the active week, with the event list of its unscheduled periods and the linked timetables of
// the current event's resources. A double-click places, removes or books; a block is dragged to
// another slot, the conflicts of the slot under it shown while it moves; the view's Edit menu
// holds the block commands with Undo and Redo. The commands' logic is in
// commands/timetablecommands.h; the view keeps their session (the week matrix with its log) and
// runs them through its host.

#include "commands/timetablecommands.h"
#include "views/timetablemodel.h"
#include "views/viewform.h"

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QMenuBar;
class QScrollArea;
class QTableView;
class QVBoxLayout;

namespace quivra {

class TMatsForm final : public ViewForm
{
    Q_OBJECT

public:
    TMatsForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent = nullptr);

    ViewTag tag() const override { return ViewTag::Timetables; }
    void refresh() override;
    void followCurrentCode() override;

    TimetableModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }
    QListWidget *eventList() const { return m_events; }
    QLabel *statusLine() const { return m_statusLine; }
    // The resource whose timetable is shown, 0 when none.
    CodeId resource() const { return m_model->code(); }
    // The linked timetables shown, one per resource of the current event beside the master.
    const std::vector<QTableView *> &linkedTables() const { return m_linked; }

    // The timetables offered, and the place of the one shown among them (-1 when none).
    int timetableCount() const { return static_cast<int>(m_timetables.size()); }
    int timetableIndex() const;
    // Shows the timetable at `index`, held within the ones offered, as if the user chose it.
    void chooseTimetable(int index);
    const std::vector<CodeId> &timetables() const { return m_timetables; }

    // The cell display options (the host's settings keep them; a view without a host keeps its
    // own), and the double-clicks counted for the action counters.
    const CellDisplayOptions &cellOptions() const { return m_model->cellOptions(); }
    void setCellOptions(const CellDisplayOptions &options);
    int &doubleClicks() { return m_doubleClicks; }

    // The commands' session: the week matrix and what the view works on.
    TimetablesSession &session() { return m_session; }
    const TimetablesSession &session() const { return m_session; }
    // Runs a command of the view on the data set through the host: the matrix is brought to the
    // active week first; a change rebuilds every view (keeping this view's log).
    using Command =
        std::function<TimetableOutcome(ScheduleData &, TimetablesSession &, Prompter &)>;
    void run(const Command &command);
    // The master timetable's selection, or its current cell; false when there is none.
    bool selectedArea(CellArea &area) const;

    // The drag of a block: begins on the cell of a block, moves over cells (showing whether the
    // block fits and what clashes), and drops; also what the mouse does on the grid.
    bool beginDrag(int day, int bell);
    DragProbe dragTo(int day, int bell);
    void drop(int day, int bell);
    void cancelDrag();
    bool dragging() const { return static_cast<bool>(m_drag); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showResource(CodeId r);
    void onResourceChosen(int index);
    void onCellClicked(const QModelIndex &index);
    void onCellDoubleClicked(const QModelIndex &index);
    void onEventChosen(int row);
    // Brings the session to the data set and the week without asking; false without a host.
    bool prepareSession();
    void showSession();
    void fillEventList();
    void fillLinked();
    void updateMarks();
    void updateStatus();
    void buildMenuBar();

    TimetableModel *m_model;
    QComboBox *m_resources;
    QLabel *m_status;
    QLabel *m_statusLine;
    QTableView *m_table;
    QListWidget *m_events;
    QScrollArea *m_linkedArea;
    QWidget *m_linkedBox;
    QVBoxLayout *m_linkedLayout;
    QMenuBar *m_menuBar = nullptr;
    std::vector<QTableView *> m_linked;
    std::vector<CodeId> m_timetables; // combo entries
    std::vector<CodeId> m_listed;     // event list entries
    TimetablesSession m_session;
    MasterBlock m_drag;
    QPoint m_pressAt;
    MasterBlock m_pressed;
    bool m_filling = false;
    bool m_ownChange = false;
    int m_doubleClicks = 0;
};

} // namespace quivra
