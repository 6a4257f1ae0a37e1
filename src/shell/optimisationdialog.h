#pragma once

// TOptimisationDlg: the "Optimise timetables" dialog, where the automatic work on timetables
// starts: the initial solution, copying timetables across weeks, removing scheduled periods and
// the optimisation, with the snapshot of unscheduled periods beside them.
//
// Three pages: "Tools" (the tool buttons and the totals), "Selections" (the ranges and rules of
// the chosen tool) and "Statistics" (the run: its progress, status lines, results and the graph
// of gaps). All rules live in OptimisationSession; the widgets show what it exposes and hand it
// what the user set. A run is synchronous on the interface thread: its progress reports keep the
// window painting and let Stop through, while everything that could start another change (the
// tool buttons, Start, Close) is disabled until it ends.

#include "optimise/optimisationsession.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace quivra {

class GapGraphView;
class TFrameForm;

// Opens the dialog over the frame's data set, modal; on close the optimisation settings go back
// into the session's settings and the views are refreshed.
void showOptimisationDialog(TFrameForm &frame);

class TOptimisationDlg : public QDialog
{
    Q_OBJECT

public:
    enum Page { ToolsPage = 0, SelectionsPage = 1, StatisticsPage = 2 };

    // `settings` and `ui` must outlive the dialog; the data set is changed by the runs.
    TOptimisationDlg(ScheduleData &d, OptimisationSessionSettings &settings, ToolDialogue &ui,
                     QWidget *parent = nullptr);
    ~TOptimisationDlg() override;

    OptimisationSession &logic() { return m_logic; }
    bool running() const { return m_logic.running(); }
    // Whether any run changed the data set while the dialog was open.
    bool changedData() const { return m_changedData; }
    const SessionRun &lastRun() const { return m_lastRun; }

    // The controls a user presses, for the frame and for tests.
    QPushButton *toolButton(Tool t) const;
    QPushButton *unscheduledButton() const { return m_toolButtons[0]; }
    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }
    QTabWidget *pages() const { return m_pages; }
    QListWidget *resultList() const { return m_results; }
    // The statistics of the optimiser's timetables: 0 gaps, 1 day length range, 2 first and last
    // slot range; one line per category, its average per resource-week before and after.
    QListWidget *statsList(int i) const { return m_stats[static_cast<std::size_t>(i)]; }
    QLabel *statusLabel() const { return m_status; }
    QLabel *gapsLabel() const { return m_gaps; }
    QSpinBox *weightBox(int k) const { return m_weights[static_cast<std::size_t>(k)]; }
    QComboBox *rangeSourceBox() const { return m_rangeSource; }
    // The optimiser's time budget in seconds; 0 for none.
    QSpinBox *secondsBox() const { return m_seconds; }
    QComboBox *slotBlockBox() const { return m_slotTable; }
    // The time-range grid: a double click on (bell - 1, day - 1) toggles the selected table's bit.
    QTableWidget *slotGrid() const { return m_slotGrid; }
    GapGraphView *graphView() const { return m_graph; }

    // A tool button: the choice with its refusals and the event picker. False when refused.
    bool chooseTool(Tool t);
    // The start button: takes the pages' settings and runs the chosen tool to its end.
    void startRun();
    // "Stop": the run ends at its next check.
    void stopRun();

signals:
    // After every progress report of a run (the lines and the graph are up to date).
    void progressed();
    void runFinished();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    class RunProgress;

    QWidget *buildToolsPage();
    QWidget *buildSelectionsPage();
    QWidget *buildStatisticsPage();
    void showTotals();
    void adjustSelections();
    void loadPages();
    void readPages();
    void validate();
    void setRunning(bool on);
    void showProgress();
    void showUnscheduled();
    void pageChosen(int index);
    void showSlotGrid();
    void toggleSlot(int row, int column);
    void showExamMode();
    void showImitation(const PickOutcome *picked);
    void showStats(const OptimiseResult &r);

    ScheduleData &m_d;
    OptimisationSessionSettings &m_settings;
    ToolDialogue &m_ui;
    OptimisationSession m_logic;
    SessionRun m_lastRun;
    RunProgress *m_runProgress = nullptr; // while a run is in progress
    bool m_changedData = false;
    bool m_loading = false;

    QTabWidget *m_pages = nullptr;
    std::array<QPushButton *, 5> m_toolButtons{}; // [0] Show unscheduled, [1..4] the tools
    QLabel *m_scheduledLine = nullptr;
    QProgressBar *m_scheduledBar = nullptr;
    QLabel *m_allocatedLine = nullptr;
    QProgressBar *m_allocatedBar = nullptr;

    QWidget *m_weekGroup = nullptr;
    QSpinBox *m_fromWeek = nullptr;
    QSpinBox *m_toWeek = nullptr;
    QWidget *m_timeGroup = nullptr;
    QSpinBox *m_fromDay = nullptr;
    QSpinBox *m_toDay = nullptr;
    QSpinBox *m_fromBell = nullptr;
    QSpinBox *m_toBell = nullptr;
    QLabel *m_limits = nullptr;
    QComboBox *m_slotTable = nullptr;
    QTableWidget *m_slotGrid = nullptr;
    QWidget *m_initialGroup = nullptr;
    QComboBox *m_rangeSource = nullptr;
    QCheckBox *m_imitateMultiple = nullptr;
    QCheckBox *m_complete = nullptr;
    QPushButton *m_imitationTarget = nullptr;
    QPushButton *m_showImitated = nullptr;
    QPushButton *m_exam = nullptr;
    QLabel *m_examLabel = nullptr;
    QWidget *m_blockGroup = nullptr;
    QSpinBox *m_minSeq = nullptr;
    QSpinBox *m_maxSeq = nullptr;
    QWidget *m_repeatsRow = nullptr;
    QSpinBox *m_repeats = nullptr;
    QCheckBox *m_oneBlock = nullptr;
    QCheckBox *m_balanced = nullptr;
    QWidget *m_optimiseGroup = nullptr;
    std::array<QSpinBox *, MaxCategories + 1> m_weights{};
    QComboBox *m_methods = nullptr;
    QSpinBox *m_seconds = nullptr;
    QCheckBox *m_locked = nullptr;
    QCheckBox *m_bookings = nullptr;
    QPushButton *m_pickEvents = nullptr;
    QPushButton *m_selectionsStart = nullptr;

    QLabel *m_blockLine = nullptr;
    QProgressBar *m_bar = nullptr;
    QLabel *m_progressLine = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_gaps = nullptr;
    GapGraphView *m_graph = nullptr;
    QListWidget *m_results = nullptr;
    std::array<QListWidget *, 3> m_stats{};
    QWidget *m_statsGroup = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_stop = nullptr;
    std::array<QPushButton *, 3> m_close{};
};

} // namespace quivra
