#include "shell/optimisationdialog.h"

#include "commands/optimisecommands.h"
#include "commands/session.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "files/settings.h"
#include "shell/gapgraph.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"
#include "ui/helptopics.h"
#include "ui/prompter.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

namespace {

// Sums of the events' periods, for the bars of the Tools page.
struct PeriodSums
{
    long planned = 0, allocated = 0, scheduled = 0;
};

PeriodSums periodSums(const ScheduleData &d)
{
    PeriodSums s;
    for (int c = 1; c <= d.codeCount; ++c) {
        const CodeRecord &r = d.codes[c];
        if (!r.isEvent())
            continue;
        s.planned += r.planned;
        s.allocated += r.allocated;
        s.scheduled += r.scheduled;
    }
    return s;
}

void setBar(QProgressBar *bar, long value, long maximum)
{
    const auto clampInt = [](long v) { return static_cast<int>(std::clamp(v, 0L, 1L << 30)); };
    bar->setRange(0, std::max(clampInt(maximum), 1));
    bar->setValue(std::min(clampInt(value), bar->maximum()));
}

QSpinBox *spin(int low, int high)
{
    auto *box = new QSpinBox;
    box->setRange(low, high);
    return box;
}

} // namespace

// ---- Progress of a run -----------------------------------------------------------------------

// The bar and the line beside it, and the Stop button: the run's progress port. Polls let the
// interface breathe so that Stop gets through; pending events are processed at most every few
// milliseconds, and always at a status report of the optimiser.
class TOptimisationDlg::RunProgress final : public Progress
{
public:
    explicit RunProgress(TOptimisationDlg &dialog) : m_dialog(dialog) { m_clock.start(); }

    // The optimiser's status: the gaps line and the graph.
    void observe(const OptimiseStatus &s)
    {
        if (!m_gauged) {
            m_gauged = true;
            m_initial = s.gapsInitial;
            m_dialog.m_gaps->setText(QStringLiteral(" Initially: %1").arg(s.gapsInitial));
        }
        if (s.point == OptimiseStatus::Point::Cycle)
            m_dialog.m_gaps->setText(QStringLiteral(" Initially: %1").arg(m_initial) +
                                     toQString(m_dialog.m_logic.changeLine()) +
                                     QStringLiteral(" Undone: %1").arg(s.undone));
        m_dialog.m_graph->setGraph(m_dialog.m_logic.graph());
        m_dialog.showProgress();
        emit m_dialog.progressed();
        pump(true);
    }

protected:
    void onBegin(std::string_view, int maximum) override
    {
        m_maximum = maximum;
        setBar(m_dialog.m_bar, 0, maximum);
    }
    void onStep(int position) override
    {
        setBar(m_dialog.m_bar, position, m_maximum);
        m_dialog.showProgress();
    }
    void onStatus(std::string_view) override { m_dialog.showProgress(); }
    void onPoll() override { pump(false); }

private:
    void pump(bool always)
    {
        if (!always && m_clock.elapsed() < 30)
            return;
        QCoreApplication::processEvents();
        m_clock.restart();
    }

    TOptimisationDlg &m_dialog;
    QElapsedTimer m_clock;
    int m_maximum = 0;
    bool m_gauged = false;
    int m_initial = 0;
};

// ---- The dialog ------------------------------------------------------------------------------

TOptimisationDlg::TOptimisationDlg(ScheduleData &d, OptimisationSessionSettings &settings,
                                   ToolDialogue &ui, QWidget *parent)
    : QDialog(parent), m_d(d), m_settings(settings), m_ui(ui), m_logic(d, settings, ui)
{
    m_pages = new QTabWidget;
    m_pages->addTab(buildToolsPage(), tr("Tools"));
    m_pages->addTab(buildSelectionsPage(), tr("Selections"));
    m_pages->addTab(buildStatisticsPage(), tr("Statistics"));
    connect(m_pages, &QTabWidget::currentChanged, this, &TOptimisationDlg::pageChosen);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    setWindowTitle(toQString(m_logic.caption()));

    loadPages();
    showTotals();
    adjustSelections();
    setRunning(false);
}

TOptimisationDlg::~TOptimisationDlg() = default;

QPushButton *TOptimisationDlg::toolButton(Tool t) const
{
    const int i = static_cast<int>(t);
    return i >= 1 && i <= 4 ? m_toolButtons[static_cast<std::size_t>(i)] : nullptr;
}

QWidget *TOptimisationDlg::buildToolsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    const std::array<Tool, 4> order{Tool::InitialSolution, Tool::Optimise, Tool::CopyAcrossWeeks,
                                    Tool::RemovePeriods};
    for (const Tool t : order) {
        auto *button = new QPushButton;
        m_toolButtons[static_cast<std::size_t>(t)] = button;
        connect(button, &QPushButton::clicked, this, [this, t] { chooseTool(t); });
        layout->addWidget(button);
    }
    m_toolButtons[static_cast<std::size_t>(Tool::CopyAcrossWeeks)]->setToolTip(
        tr("Copy timetables across weeks (if you have defined more than one week)"));
    m_toolButtons[0] = new QPushButton;
    connect(m_toolButtons[0], &QPushButton::clicked, this, &TOptimisationDlg::showUnscheduled);
    layout->addWidget(m_toolButtons[0]);

    m_scheduledLine = new QLabel;
    m_scheduledBar = new QProgressBar;
    m_allocatedLine = new QLabel;
    m_allocatedBar = new QProgressBar;
    layout->addSpacing(8);
    layout->addWidget(m_scheduledLine);
    layout->addWidget(m_scheduledBar);
    layout->addWidget(m_allocatedLine);
    layout->addWidget(m_allocatedBar);
    layout->addStretch();
    m_close[0] = new QPushButton(tr("Close"));
    connect(m_close[0], &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(m_close[0], 0, Qt::AlignRight);
    return page;
}

QWidget *TOptimisationDlg::buildSelectionsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    // Two columns, the ranges on the left and the rules on the right: stacked, the groups made
    // the dialog taller than a small screen and pushed its Start button below it.
    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    layout->addLayout(columns);
    const int weeks = std::clamp(usedWeeks(m_d), 1, MaxWeeks);
    const int days = std::clamp(usedDays(m_d), 1, MaxDays);
    const int bells = std::clamp(usedBells(m_d), 1, MaxBells);

    auto *weekBox = new QGroupBox(tr("Week range (=included weeks or terms) "));
    auto *weekLayout = new QFormLayout(weekBox);
    m_fromWeek = spin(1, weeks);
    m_toWeek = spin(1, weeks);
    weekLayout->addRow(tr("From week:"), m_fromWeek);
    weekLayout->addRow(tr("To week:"), m_toWeek);
    m_weekGroup = weekBox;
    left->addWidget(weekBox);

    auto *timeBox = new QGroupBox(tr("Time range (=included slots in timetables) "));
    auto *timeLayout = new QGridLayout(timeBox);
    m_fromDay = spin(1, days);
    m_toDay = spin(1, days);
    m_fromBell = spin(1, bells);
    m_toBell = spin(1, bells);
    timeLayout->addWidget(new QLabel(tr("Days:")), 0, 0);
    timeLayout->addWidget(m_fromDay, 0, 1);
    timeLayout->addWidget(m_toDay, 0, 2);
    timeLayout->addWidget(new QLabel(tr("Time periods:")), 1, 0);
    timeLayout->addWidget(m_fromBell, 1, 1);
    timeLayout->addWidget(m_toBell, 1, 2);
    auto *allSlots = new QPushButton(tr("Select all slots"));
    connect(allSlots, &QPushButton::clicked, this, [this] {
        m_logic.selectAllSlots();
        loadPages();
        validate();
    });
    timeLayout->addWidget(allSlots, 2, 1, 1, 2);
    m_limits = new QLabel;
    timeLayout->addWidget(m_limits, 3, 0, 1, 3);
    m_slotTable = new QComboBox;
    m_slotTable->addItem(tr("[No slot blocks]"));
    for (int k = 1; k <= 15; ++k)
        m_slotTable->addItem(tr("Slot block #%1").arg(k));
    connect(m_slotTable, &QComboBox::currentIndexChanged, this, [this](int k) {
        if (!m_loading)
            m_settings.initial.blockSlotsNum = k;
        showSlotGrid();
    });
    timeLayout->addWidget(m_slotTable, 4, 0, 1, 3);
    m_slotGrid = new QTableWidget(bells, days);
    m_slotGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_slotGrid->setSelectionMode(QAbstractItemView::NoSelection);
    m_slotGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Room for the day names and a few bells beside the rules column.
    m_slotGrid->setMinimumSize(340, 170);
    m_slotGrid->setToolTip(
        tr("Double-click a slot to keep blocks of the selected table out of it"));
    for (int day = 1; day <= days; ++day)
        m_slotGrid->setHorizontalHeaderItem(
            day - 1, new QTableWidgetItem(toQString(listItem(m_d.dayNames, day))));
    for (int bell = 1; bell <= bells; ++bell)
        m_slotGrid->setVerticalHeaderItem(
            bell - 1, new QTableWidgetItem(toQString(m_d.bellNames[std::size_t(bell)].view())));
    connect(m_slotGrid, &QTableWidget::cellDoubleClicked, this, &TOptimisationDlg::toggleSlot);
    timeLayout->addWidget(m_slotGrid, 5, 0, 1, 3);
    m_timeGroup = timeBox;
    left->addWidget(timeBox);

    auto *blockBox = new QGroupBox(tr("Block range (=consecutive periods) "));
    auto *blockLayout = new QGridLayout(blockBox);
    m_minSeq = spin(0, bells);
    m_maxSeq = spin(0, bells);
    blockLayout->addWidget(new QLabel(tr("Min")), 0, 0);
    blockLayout->addWidget(m_minSeq, 0, 1);
    blockLayout->addWidget(new QLabel(tr("Max")), 0, 2);
    blockLayout->addWidget(m_maxSeq, 0, 3);
    m_repeatsRow = new QWidget;
    auto *repeatsLayout = new QHBoxLayout(m_repeatsRow);
    repeatsLayout->setContentsMargins(0, 0, 0, 0);
    m_repeats = spin(0, days);
    repeatsLayout->addWidget(new QLabel(tr("Repeat Max at most")));
    repeatsLayout->addWidget(m_repeats);
    repeatsLayout->addWidget(new QLabel(tr("times in week")));
    blockLayout->addWidget(m_repeatsRow, 1, 0, 1, 4);
    m_oneBlock = new QCheckBox(tr("Disable multiple event blocks on same day"));
    m_balanced = new QCheckBox(tr("Maintain balanced daily schedules"));
    blockLayout->addWidget(m_oneBlock, 2, 0, 1, 4);
    blockLayout->addWidget(m_balanced, 3, 0, 1, 4);
    m_blockGroup = blockBox;
    right->addWidget(blockBox);

    // The initial solution's own choices: where its block lengths come from, imitation and
    // exam scheduling.
    auto *initialBox = new QGroupBox(tr("Initial solution"));
    auto *initialLayout = new QGridLayout(initialBox);
    m_rangeSource = new QComboBox;
    m_rangeSource->addItem(tr("Below (in \"Block range\")"), int(RangesBelow));
    m_rangeSource->addItem(tr("By application"), int(RangesByApplication));
    m_rangeSource->addItem(tr("Below and by application"), int(RangesBelowAndByApplication));
    initialLayout->addWidget(new QLabel(tr("Apply ranges as specified ")), 0, 0);
    initialLayout->addWidget(m_rangeSource, 0, 1, 1, 2);
    m_imitationTarget = new QPushButton(tr("Select the event"));
    connect(m_imitationTarget, &QPushButton::clicked, this, [this] {
        m_settings.initial.imitationTarget = chooseImitationTarget(m_d, m_ui);
        showImitation(nullptr);
    });
    m_imitateMultiple = new QCheckBox(tr("Imitate multiple events"));
    m_showImitated = new QPushButton(tr("Display imitated events"));
    connect(m_showImitated, &QPushButton::clicked, this, [this] {
        const ImitatedList list = imitatedEvents(m_d);
        std::string text = list.heading;
        for (const std::string &line : list.lines)
            text += "\n" + line;
        m_ui.inform(text);
    });
    initialLayout->addWidget(m_imitationTarget, 1, 0);
    initialLayout->addWidget(m_imitateMultiple, 1, 1);
    initialLayout->addWidget(m_showImitated, 1, 2);
    m_exam = new QPushButton(tr("Exam scheduling"));
    m_exam->setCheckable(true);
    connect(m_exam, &QPushButton::clicked, this, [this] {
        toggleExamMode(m_d, m_settings.initial.exam, m_ui);
        showExamMode();
    });
    m_examLabel = new QLabel;
    m_examLabel->setWordWrap(true);
    initialLayout->addWidget(m_exam, 2, 0);
    initialLayout->addWidget(m_examLabel, 2, 1, 1, 2);
    m_complete = new QCheckBox(tr("Complete the timetables (move what blocks the periods left)"));
    initialLayout->addWidget(m_complete, 3, 0, 1, 3);
    m_initialGroup = initialBox;
    right->addWidget(initialBox);

    auto *optimiseBox = new QGroupBox(tr("Gap weights (by category)"));
    auto *optimiseLayout = new QGridLayout(optimiseBox);
    optimiseLayout->addWidget(new QLabel(tr(" Category")), 0, 0);
    optimiseLayout->addWidget(new QLabel(tr("Weight ")), 0, 1);
    OptimiseSettings probe;
    const GapCategoryWeights counted = optimiserWeights(m_d, probe);
    int row = 1;
    for (int k = 1; k <= MaxCategories; ++k) {
        const std::string name = plainCategoryName(m_d, false, k);
        if (name.empty())
            continue;
        const bool weighs = counted[static_cast<std::size_t>(k)] > 0;
        auto *label = new QLabel(weighs ? toQString(name) : "(" + toQString(name) + ")");
        QPalette colour = label->palette();
        colour.setColor(QPalette::WindowText, gapSeriesColour(k));
        label->setPalette(colour);
        auto *weight = spin(0, 9);
        weight->setEnabled(weighs);
        m_weights[static_cast<std::size_t>(k)] = weight;
        optimiseLayout->addWidget(label, row, 0);
        optimiseLayout->addWidget(weight, row, 1);
        ++row;
    }
    m_methods = new QComboBox;
    m_methods->addItem(tr("Algorithm 1"), int(MethodSwaps));
    m_methods->addItem(tr("Algorithm 2"), int(MethodMoves));
    m_methods->addItem(tr("Both"), int(MethodBoth));
    optimiseLayout->addWidget(new QLabel(tr("Optimisation algorithm ")), row, 0);
    optimiseLayout->addWidget(m_methods, row, 1);
    // With a time budget the optimiser goes on searching after its first optimum until the time
    // is used up, keeping the best timetable it found.
    m_seconds = spin(0, Settings::Optimize::MaxSeconds);
    m_seconds->setToolTip(tr("0: the optimisation ends when no change improves the timetables"));
    optimiseLayout->addWidget(new QLabel(tr("Time budget (seconds) ")), ++row, 0);
    optimiseLayout->addWidget(m_seconds, row, 1);
    m_optimiseGroup = optimiseBox;
    right->addWidget(optimiseBox);

    m_locked = new QCheckBox(tr("Include locked events"));
    m_bookings = new QCheckBox(tr("Treat bookings like events"));
    right->addWidget(m_locked);
    right->addWidget(m_bookings);

    for (QSpinBox *box : {m_fromWeek, m_toWeek, m_fromDay, m_toDay, m_fromBell, m_toBell, m_minSeq,
                          m_maxSeq, m_repeats})
        connect(box, &QSpinBox::valueChanged, this, [this] { validate(); });

    auto *buttons = new QHBoxLayout;
    m_pickEvents = new QPushButton(tr("Select events"));
    connect(m_pickEvents, &QPushButton::clicked, this, [this] {
        readPages();
        const PickOutcome out = m_logic.pickEvents();
        if (!out.cancelled && !out.buttonCaption.empty()) {
            m_pickEvents->setText(toQString(out.buttonCaption));
            showImitation(&out);
        }
        validate();
    });
    m_selectionsStart = new QPushButton;
    connect(m_selectionsStart, &QPushButton::clicked, this, &TOptimisationDlg::startRun);
    m_close[1] = new QPushButton(tr("Close"));
    connect(m_close[1], &QPushButton::clicked, this, [this] {
        m_logic.closeSelections();
        accept();
    });
    buttons->addWidget(m_pickEvents);
    buttons->addStretch();
    buttons->addWidget(m_selectionsStart);
    buttons->addWidget(m_close[1]);
    left->addStretch();
    right->addStretch();
    layout->addLayout(buttons);
    return page;
}

QWidget *TOptimisationDlg::buildStatisticsPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_blockLine = new QLabel;
    m_bar = new QProgressBar;
    m_progressLine = new QLabel;
    m_status = new QLabel;
    m_gaps = new QLabel;
    m_graph = new GapGraphView;
    m_results = new QListWidget;
    layout->addWidget(m_blockLine);
    layout->addWidget(m_bar);
    layout->addWidget(m_progressLine);
    layout->addWidget(m_status);
    layout->addWidget(m_gaps);
    layout->addWidget(m_graph, 1);
    m_statsGroup = new QWidget;
    auto *statsLayout = new QGridLayout(m_statsGroup);
    statsLayout->setContentsMargins(0, 0, 0, 0);
    const std::array<QString, 3> statsTitles{tr(" Gaps "), tr(" Day length range "),
                                             tr(" First and last slot range ")};
    // A few lines each, one per category: at their default height the three lists, the graph
    // and the results made the page taller than a small screen.
    for (std::size_t i = 0; i < m_stats.size(); ++i) {
        m_stats[i] = new QListWidget;
        m_stats[i]->setMaximumHeight(120);
        statsLayout->addWidget(new QLabel(statsTitles[i]), 0, int(i));
        statsLayout->addWidget(m_stats[i], 1, int(i));
    }
    layout->addWidget(m_statsGroup, 1);
    layout->addWidget(m_results, 1);
    auto *buttons = new QHBoxLayout;
    m_start = new QPushButton;
    connect(m_start, &QPushButton::clicked, this, &TOptimisationDlg::startRun);
    m_stop = new QPushButton(tr("Stop"));
    m_stop->setToolTip(tr("Click to stop process..."));
    connect(m_stop, &QPushButton::clicked, this, &TOptimisationDlg::stopRun);
    m_close[2] = new QPushButton(tr("Close"));
    connect(m_close[2], &QPushButton::clicked, this, &QDialog::accept);
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_close[2]);
    auto *help = new QPushButton(tr("&Help"));
    help->setObjectName("helpButton");
    connect(help, &QPushButton::clicked, this, [this] { showHelp(this, HelpTopic::Optimisation); });
    buttons->addWidget(help);
    layout->addLayout(buttons);
    return page;
}

void TOptimisationDlg::loadPages()
{
    m_loading = true;
    const InitialSettings &i = m_settings.initial;
    m_fromWeek->setValue(m_d.optimiseRange.startWeek);
    m_toWeek->setValue(m_d.optimiseRange.endWeek);
    const bool oneWeek = usedWeeks(m_d) <= 1;
    m_fromWeek->setEnabled(!oneWeek);
    m_toWeek->setEnabled(!oneWeek);
    m_fromDay->setValue(i.range.startDay);
    m_toDay->setValue(i.range.endDay);
    m_fromBell->setValue(i.range.startBell);
    m_toBell->setValue(i.range.endBell);
    m_minSeq->setValue(i.minSeq);
    m_maxSeq->setValue(i.maxSeq);
    m_repeats->setValue(i.maxRepeats);
    m_oneBlock->setChecked(i.mode & ModeOneBlockPerDay);
    m_balanced->setChecked(i.mode & ModeBalancedDays);
    for (int k = 1; k <= MaxCategories; ++k)
        if (QSpinBox *w = m_weights[static_cast<std::size_t>(k)])
            w->setValue(
                w->isEnabled() ? m_settings.optimiser.gapWeights[static_cast<std::size_t>(k)] : 0);
    m_methods->setCurrentIndex(std::clamp(m_settings.optimiser.methods & MethodBoth, 1, 3) - 1);
    m_seconds->setValue(static_cast<int>(m_settings.optimiser.maxSeconds));
    m_locked->setChecked(m_settings.includeLocked);
    m_bookings->setChecked(m_settings.bookings);
    m_rangeSource->setCurrentIndex(
        std::clamp((m_settings.initial.mode & BlockRangeSourceMask) / 4, 0, 2));
    m_slotTable->setCurrentIndex(std::clamp(m_settings.initial.blockSlotsNum, 0, 15));
    m_imitateMultiple->setChecked(m_settings.initial.imitateMultiple);
    m_complete->setChecked(m_settings.complete);
    int locked = 0;
    for (int e = 1; e <= m_d.eventList[0]; ++e)
        locked += (m_d.codes[m_d.eventList[std::size_t(e)]].flags & LockedBit) ? 1 : 0;
    m_locked->setText(tr("Include locked events (%1)").arg(locked));
    m_loading = false;
    showSlotGrid();
    showExamMode();
    showImitation(nullptr);
}

void TOptimisationDlg::readPages()
{
    if (m_loading)
        return;
    m_logic.setWeeks(m_fromWeek->value(), m_toWeek->value());
    InitialSettings &i = m_settings.initial;
    i.range.startDay = static_cast<std::uint8_t>(m_fromDay->value());
    i.range.endDay = static_cast<std::uint8_t>(m_toDay->value());
    i.range.startBell = static_cast<std::uint8_t>(m_fromBell->value());
    i.range.endBell = static_cast<std::uint8_t>(m_toBell->value());
    i.minSeq = m_minSeq->value();
    i.maxSeq = m_maxSeq->value();
    i.maxRepeats = m_repeats->value();
    i.mode = (i.mode & ~(ModeOneBlockPerDay | ModeBalancedDays)) |
             (m_oneBlock->isChecked() ? ModeOneBlockPerDay : 0) |
             (m_balanced->isChecked() ? ModeBalancedDays : 0);
    // A category that cannot weigh now keeps the weight it had, for when its timetables return.
    for (int k = 1; k <= MaxCategories; ++k)
        if (QSpinBox *w = m_weights[static_cast<std::size_t>(k)]; w && w->isEnabled())
            m_settings.optimiser.gapWeights[static_cast<std::size_t>(k)] = w->value();
    // Bits the dialog has no control for (such as block splitting) stay as the settings had them.
    m_settings.optimiser.methods =
        (m_settings.optimiser.methods & ~MethodBoth) | m_methods->currentData().toInt();
    m_settings.optimiser.maxSeconds = m_seconds->value();
    m_settings.includeLocked = m_locked->isChecked();
    m_settings.bookings = m_bookings->isChecked();
    i.mode = (i.mode & ~BlockRangeSourceMask) | m_rangeSource->currentData().toInt();
    i.blockSlotsNum = m_slotTable->currentIndex();
    i.imitateMultiple = m_imitateMultiple->isChecked() && m_imitateMultiple->isEnabled();
    m_settings.complete = m_complete->isChecked();
}

void TOptimisationDlg::showSlotGrid()
{
    const int k = m_slotTable->currentIndex();
    for (int row = 0; row < m_slotGrid->rowCount(); ++row)
        for (int column = 0; column < m_slotGrid->columnCount(); ++column) {
            const std::uint16_t word =
                m_settings.initial.slotBlocks[std::size_t(row + 1)][std::size_t(column + 1)];
            const bool blocked = k > 0 && ((word >> k) & 1u);
            QTableWidgetItem *item = m_slotGrid->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                m_slotGrid->setItem(row, column, item);
            }
            item->setText(blocked ? QStringLiteral("X") : QString());
        }
}

void TOptimisationDlg::toggleSlot(int row, int column)
{
    const int k = m_slotTable->currentIndex();
    if (k <= 0 || running() || row < 0 || row >= MaxBells || column < 0 || column >= MaxDays)
        return; // nothing to toggle while no table is selected
    auto &word = m_settings.initial.slotBlocks[std::size_t(row + 1)][std::size_t(column + 1)];
    word = static_cast<std::uint16_t>(word ^ (1u << k));
    showSlotGrid();
}

void TOptimisationDlg::showExamMode()
{
    const ExamModeLabels labels = examModeLabels(m_d, m_settings.initial.exam);
    m_exam->setChecked(m_settings.initial.exam.on);
    m_exam->setToolTip(toQString(labels.hint));
    QString text = toQString(labels.restriction);
    if (m_settings.initial.exam.on)
        text = toQString(labels.events) + "\n" + toQString(labels.resources) + "\n" + text;
    m_examLabel->setText(text);
}

void TOptimisationDlg::showStats(const OptimiseResult &r)
{
    using Figure = int TimetableStats::Category::*;
    static constexpr std::array<Figure, 3> Figures{&TimetableStats::Category::gaps,
                                                   &TimetableStats::Category::spread,
                                                   &TimetableStats::Category::idle};
    const auto average = [](const TimetableStats::Category &c, Figure f) {
        return c.resourceWeeks > 0 ? double(c.*f) / c.resourceWeeks : 0.0;
    };
    for (std::size_t i = 0; i < Figures.size(); ++i) {
        QListWidget *list = m_stats[i];
        list->clear();
        for (int k = 1; k <= MaxCategories; ++k) {
            const auto &before = r.statsBefore.byCategory[std::size_t(k)];
            const auto &after = r.statsAfter.byCategory[std::size_t(k)];
            if (before.resourceWeeks == 0 && after.resourceWeeks == 0)
                continue;
            list->addItem(QStringLiteral("%1 %2 -> %3")
                              .arg(toQString(plainCategoryName(m_d, false, k)))
                              .arg(average(before, Figures[i]), 0, 'f', 2)
                              .arg(average(after, Figures[i]), 0, 'f', 2));
        }
        // The spread lists turn green when the whole school's average fell.
        const bool fell = average(r.statsAfter.byCategory[0], Figures[i]) <
                          average(r.statsBefore.byCategory[0], Figures[i]);
        QPalette colours = list->palette();
        colours.setColor(QPalette::Text, i > 0 && fell ? QColor(0, 128, 0) : QColor(Qt::black));
        list->setPalette(colours);
    }
}

void TOptimisationDlg::showImitation(const PickOutcome *picked)
{
    const CodeId target = m_settings.initial.imitationTarget;
    m_imitationTarget->setText(
        target != 0 && target <= m_d.codeCount
            ? tr("Imitate \"%1\"").arg(toQString(formatCode(m_d, target, ShowCode)))
            : tr("Select the event"));
    if (picked) {
        m_imitateMultiple->setText(toQString(picked->imitateCaption));
        m_imitateMultiple->setEnabled(picked->imitating > 0);
        m_showImitated->setEnabled(picked->imitating > 0);
    }
}

void TOptimisationDlg::validate()
{
    if (m_loading)
        return;
    readPages();
    m_logic.validateLimits();
    m_limits->setText(toQString(m_logic.limitsLabel()));
    if (m_repeats->value() != m_settings.initial.maxRepeats) {
        m_loading = true;
        m_repeats->setValue(m_settings.initial.maxRepeats);
        m_loading = false;
    }
    setRunning(running());
}

void TOptimisationDlg::showTotals()
{
    const ToolTotals t = m_logic.totals();
    for (std::size_t i = 0; i < m_toolButtons.size(); ++i) {
        m_toolButtons[i]->setText(toQString(t.captions[i]));
        m_toolButtons[i]->setEnabled(t.enabled[i] && !running());
    }
    const PeriodSums s = periodSums(m_d);
    m_scheduledLine->setText(toQString(t.scheduledLine));
    m_scheduledLine->setVisible(t.scheduledLineShown);
    m_scheduledBar->setVisible(t.scheduledLineShown);
    setBar(m_scheduledBar, s.scheduled, s.allocated);
    m_allocatedLine->setText(toQString(t.allocatedLine));
    m_allocatedLine->setVisible(t.allocatedLineShown);
    m_allocatedBar->setVisible(t.allocatedLineShown);
    setBar(m_allocatedBar, s.allocated, s.planned);
    m_blockLine->setText(toQString(t.blockLine));
}

void TOptimisationDlg::adjustSelections()
{
    const Tool t = m_logic.tool();
    const bool initial = t == Tool::InitialSolution;
    const bool optimise = t == Tool::Optimise;
    m_weekGroup->setVisible(t != Tool::CopyAcrossWeeks);
    m_timeGroup->setVisible(initial || t == Tool::RemovePeriods);
    m_blockGroup->setVisible(initial || optimise);
    m_repeatsRow->setVisible(initial);
    m_oneBlock->setEnabled(optimise);
    m_balanced->setEnabled(optimise);
    m_optimiseGroup->setVisible(optimise);
    m_statsGroup->setVisible(optimise);
    m_graph->setVisible(optimise);
    m_bookings->setEnabled(initial || optimise);
    m_initialGroup->setVisible(initial);
    const QString start = toQString(m_logic.startButton());
    m_start->setText(start);
    m_selectionsStart->setText(start);
    setWindowTitle(toQString(m_logic.caption()));
}

void TOptimisationDlg::setRunning(bool on)
{
    const bool chosen = m_logic.tool() != Tool::None;
    for (QPushButton *b : m_close)
        b->setEnabled(!on);
    m_stop->setEnabled(on);
    m_start->setEnabled(!on && chosen && m_logic.startAllowed());
    m_selectionsStart->setEnabled(m_start->isEnabled());
    m_pickEvents->setEnabled(!on && chosen);
    if (on)
        for (QPushButton *b : m_toolButtons)
            b->setEnabled(false);
    m_pages->widget(SelectionsPage)->setEnabled(!on);
}

void TOptimisationDlg::pageChosen(int index)
{
    // The Selections and Statistics pages belong to a chosen tool.
    if (index != ToolsPage && m_logic.tool() == Tool::None)
        m_pages->setCurrentIndex(ToolsPage);
}

bool TOptimisationDlg::chooseTool(Tool t)
{
    if (running())
        return false;
    readPages();
    const bool chosen = m_logic.chooseTool(t);
    adjustSelections();
    showTotals();
    if (chosen) {
        int marked = 0;
        for (int i = 1; i <= m_d.eventList[0]; ++i)
            marked += (m_d.codes[m_d.eventList[static_cast<std::size_t>(i)]].flags & 1) ? 1 : 0;
        m_pickEvents->setText(tr("Select events (%1 selected)").arg(marked));
        loadPages();
        m_pages->setCurrentIndex(SelectionsPage);
    } else {
        m_pages->setCurrentIndex(ToolsPage);
    }
    validate();
    return chosen;
}

void TOptimisationDlg::showProgress()
{
    m_progressLine->setText(toQString(m_logic.progressLine()));
    m_status->setText(toQString(m_logic.statusLine()));
}

void TOptimisationDlg::startRun()
{
    if (running() || m_logic.tool() == Tool::None)
        return;
    readPages();
    const Tool tool = m_logic.tool();
    m_results->clear();
    m_progressLine->clear();
    m_gaps->clear();
    m_graph->setGraph(GapGraph{});
    std::array<QString, MaxCategories + 1> legend;
    if (tool == Tool::Optimise) {
        const GapCategoryWeights w = optimiserWeights(m_d, m_settings.optimiser);
        for (int k = 1; k <= MaxCategories; ++k)
            if (w[static_cast<std::size_t>(k)] > 0)
                legend[static_cast<std::size_t>(k)] = toQString(plainCategoryName(m_d, false, k));
        m_status->setText(tr(" Please wait ..."));
    } else {
        m_status->clear();
    }
    m_graph->setLegend(legend);
    m_pages->setCurrentIndex(StatisticsPage);
    showTotals();
    setRunning(true);

    RunProgress progress(*this);
    m_runProgress = &progress;
    m_lastRun =
        m_logic.start(progress, [&progress](const OptimiseStatus &st) { progress.observe(st); });
    m_runProgress = nullptr;

    setBar(m_bar, m_bar->maximum(), m_bar->maximum());
    showProgress();
    m_graph->setGraph(m_logic.graph());
    for (const std::string &line : m_lastRun.lines)
        m_results->addItem(toQString(line));
    const bool changed = !m_lastRun.changed.empty() || m_lastRun.optimised.swaps > 0 ||
                         m_lastRun.optimised.moves > 0 || m_lastRun.initial.placed > 0 ||
                         m_lastRun.other.cells > 0;
    if (changed)
        m_changedData = true;
    setRunning(false);
    showTotals();
    if (tool == Tool::Optimise && !m_lastRun.refused) {
        const OptimiseResult &r = m_lastRun.optimised;
        showStats(r);
        if (m_lastRun.stopped) {
            m_status->setText(tr(" Optimisation stopped."));
            if (r.changedTimetables > 0)
                m_results->addItem(tr("Timetables changed during optimisation: %1 (%2 changes)")
                                       .arg(r.changedTimetables)
                                       .arg(r.swaps + r.moves));
        }
    } else if (m_lastRun.refused && !m_lastRun.lines.empty() && !m_lastRun.lines[0].empty()) {
        m_ui.inform(m_lastRun.lines[0]);
    }
    emit runFinished();
}

void TOptimisationDlg::stopRun()
{
    if (m_runProgress)
        m_runProgress->requestStop();
}

void TOptimisationDlg::showUnscheduled()
{
    const UnscheduledOutline outline = m_logic.showUnscheduled();
    QDialog view(this);
    view.setWindowTitle(tr("Unscheduled periods"));
    auto *title = new QLabel(toQString(outline.title));
    auto *list = new QListWidget;
    for (const std::string &line : outline.lines)
        list->addItem(toQString(line));
    auto *close = new QPushButton(tr("Close"));
    close->setToolTip(tr("Close this view"));
    connect(close, &QPushButton::clicked, &view, &QDialog::accept);
    auto *layout = new QVBoxLayout(&view);
    layout->addWidget(title);
    layout->addWidget(list);
    layout->addWidget(close, 0, Qt::AlignRight);
    view.exec();
}

void TOptimisationDlg::reject()
{
    if (!running())
        QDialog::reject();
}

void TOptimisationDlg::closeEvent(QCloseEvent *event)
{
    if (running())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void showOptimisationDialog(TFrameForm &frame)
{
    Session *session = &frame.session();
    ScheduleData &d = session->data;
    OptimisationSessionSettings settings =
        optimisationSessionSettings(d, session->settings, session->clock.today());
    PromptedToolDialogue ui(d, frame.prompter());
    bool changed = false;
    {
        TOptimisationDlg dialog(d, settings, ui, &frame);
        dialog.exec();
        changed = dialog.changedData();
    }
    storeOptimisationSessionSettings(settings, d, session->settings);
    // Through the session's hook, so this layer needs nothing of the frame but its accessors.
    if (changed && session->hooks.refreshViews)
        session->hooks.refreshViews();
}

} // namespace quivra
