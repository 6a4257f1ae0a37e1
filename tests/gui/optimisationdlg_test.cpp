// The optimisation dialog on the offscreen platform: tool choice and its refusals, a run of the
// initial solution and of the optimiser to their end, Stop in the middle of a run, and the
// dialog's settings in the settings file.

#include "commands/optimisecommands.h"
#include "commands/session.h"
#include "engine/conflicts.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "files/settings.h"
#include "shell/gapgraph.h"
#include "shell/mainframe.h"
#include "shell/optimisationdialog.h"
#include "support/fixture.h"
#include "support/generator.h"
#include "ui/ports.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <deque>

using namespace quivra;

namespace {

// Answers the event picker with every event offered, or with a queued choice; records what the
// dialog told.
class PickAll final : public ToolDialogue
{
public:
    void inform(const std::string &text) override { told.push_back(text); }
    bool askYesNo(const std::string &) override { return false; }
    Answer askYesNoCancel(const std::string &) override { return Answer::Cancel; }
    std::optional<std::vector<CodeId>> pickEvents(const std::string &,
                                                  const std::vector<CodeId> &offered) override
    {
        if (picks.empty())
            return offered;
        auto chosen = picks.front();
        picks.pop_front();
        return chosen;
    }
    std::optional<CodeId> pickEvent(const std::string &, const std::vector<CodeId> &,
                                    const std::vector<std::string> &) override
    {
        return std::nullopt;
    }
    std::optional<int> pickWeek(const std::string &, int, int, int) override
    {
        return std::nullopt;
    }
    std::optional<int> pickCategory(const std::string &, bool, int) override
    {
        return std::nullopt;
    }

    std::deque<std::vector<CodeId>> picks;
    std::vector<std::string> told;
};

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

long scheduledSum(const ScheduleData &d)
{
    long sum = 0;
    for (int i = 1; i <= d.eventList[0]; ++i)
        sum += d.codes[d.eventList[std::size_t(i)]].scheduled;
    return sum;
}

// A generated school with its timetables full of gaps.
std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    generateInstitution(*d, smallInstitution(4));
    return d;
}

} // namespace

class OptimisationDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void refusedToolStaysOnTheToolsPage()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 6).resources('G', {"G1"}).resources('T', {"T1"});
        f.event("MATH", {"G1", "T1"}, 3).allocate("MATH", 1, 1, 3);
        f.finish();
        OptimisationSessionSettings settings;
        settings.initial = defaultInitialSettings(*d);
        PickAll ui;
        TOptimisationDlg dlg(*d, settings, ui);

        // Nothing is scheduled: the optimiser's button says so and a press is refused.
        QVERIFY(!dlg.toolButton(Tool::Optimise)->isEnabled());
        QVERIFY(dlg.toolButton(Tool::Optimise)->text().contains("none of the 3 periods"));
        QVERIFY(!dlg.chooseTool(Tool::Optimise));
        QCOMPARE(ui.told.size(), std::size_t(1));
        QVERIFY(ui.told[0].starts_with("You cannot run \"Optimise timetables\" now"));
        QCOMPARE(dlg.pages()->currentIndex(), int(TOptimisationDlg::ToolsPage));
        dlg.pages()->setCurrentIndex(TOptimisationDlg::StatisticsPage);
        QCOMPARE(dlg.pages()->currentIndex(), int(TOptimisationDlg::ToolsPage));
        QVERIFY(!dlg.startButton()->isEnabled());

        // The initial solution places the periods; its run lists the event it changed.
        QVERIFY(dlg.chooseTool(Tool::InitialSolution));
        QCOMPARE(dlg.pages()->currentIndex(), int(TOptimisationDlg::SelectionsPage));
        QCOMPARE(dlg.windowTitle(), QString("Initial solution"));
        QVERIFY(dlg.startButton()->isEnabled());
        QTest::mouseClick(dlg.startButton(), Qt::LeftButton);
        QVERIFY(!dlg.running());
        QCOMPARE(dlg.pages()->currentIndex(), int(TOptimisationDlg::StatisticsPage));
        QCOMPARE(d->codes[f.id("MATH")].scheduled, 3);
        QVERIFY(dlg.changedData() && d->modified);
        QVERIFY(items(dlg.resultList()).join('|').startsWith("1: MATH"));
        // Now the optimiser may run, and the initial solution has nothing left to do.
        QVERIFY(dlg.toolButton(Tool::Optimise)->isEnabled());
        QVERIFY(!dlg.toolButton(Tool::InitialSolution)->isEnabled());
    }

    void optimiserRunsToItsEnd()
    {
        auto d = school();
        OptimisationSessionSettings settings;
        settings.initial = defaultInitialSettings(*d);
        settings.optimiser.maxRounds = 4;
        PickAll ui;
        TOptimisationDlg dlg(*d, settings, ui);
        int reports = 0;
        connect(&dlg, &TOptimisationDlg::progressed, this, [&] { ++reports; });

        QVERIFY(dlg.chooseTool(Tool::Optimise));
        QCOMPARE(dlg.startButton()->text(), QString("Optimise"));
        dlg.startRun();

        const SessionRun &run = dlg.lastRun();
        QVERIFY2(!run.refused, run.lines.empty() ? "" : run.lines[0].c_str());
        QVERIFY(!run.stopped);
        QVERIFY(reports > 0);
        QVERIFY(run.optimised.swaps + run.optimised.moves > 0);
        QVERIFY(run.optimised.gapsAfter < run.optimised.gapsBefore);
        QVERIFY(dlg.changedData() && d->modified);
        QCOMPARE(conflictsInWeeks(*d, 1, 1), 0);
        QVERIFY(dlg.statusLabel()->text().startsWith(" Time: "));
        QVERIFY(dlg.gapsLabel()->text().startsWith(
            QStringLiteral(" Initially: %1").arg(run.optimised.gapsBefore)));
        QVERIFY(dlg.gapsLabel()->text().contains(" Now: "));
        const auto &total = dlg.graphView()->graph().series[0];
        QVERIFY(total.size() >= 2);
        QCOMPARE(total.front(), run.optimised.gapsBefore);
        QCOMPARE(total.back(), run.optimised.gapsAfter);
        // The weighed categories have their own series, drawn beside the total.
        int categoryPoints = 0;
        for (int k = 1; k <= MaxCategories; ++k) {
            const auto &series = dlg.graphView()->graph().series[static_cast<std::size_t>(k)];
            if (series.empty())
                continue;
            QCOMPARE(series.size(), total.size());
            QCOMPARE(series.back(), run.optimised.categoryAfter[static_cast<std::size_t>(k)]);
            if (series.front() > 0)
                categoryPoints += static_cast<int>(series.size());
        }
        QVERIFY(categoryPoints > 0);
        dlg.graphView()->resize(dlg.graphView()->sizeHint());
        dlg.graphView()->grab();
        QCOMPARE(dlg.graphView()->pointsDrawn(), static_cast<int>(total.size()) + categoryPoints);
        QVERIFY(!items(dlg.resultList()).isEmpty());
        // One line per category with timetables: its gaps per resource-week before and after.
        const QStringList gaps = items(dlg.statsList(0));
        QVERIFY(!gaps.isEmpty());
        QVERIFY2(gaps.filter(QRegularExpression("^Groups [0-9.]+ -> [0-9.]+$")).size() == 1,
                 qPrintable(gaps.join('|')));
        // The run is over: Stop is off, Close and the tools are back.
        QVERIFY(!dlg.stopButton()->isEnabled());
        QVERIFY(dlg.toolButton(Tool::Optimise)->isEnabled());
        QVERIFY(dlg.startButton()->isEnabled());
    }

    void stopEndsARunAndLocksTheDialogMeanwhile()
    {
        auto d = school();
        OptimisationSessionSettings settings;
        settings.initial = defaultInitialSettings(*d);
        settings.optimiser.fruitlessCycles = 1000000; // would run on for a long time
        PickAll ui;
        TOptimisationDlg dlg(*d, settings, ui);
        QVERIFY(dlg.chooseTool(Tool::Optimise));

        bool lockedDuringRun = true;
        int reports = 0;
        connect(&dlg, &TOptimisationDlg::progressed, this, [&] {
            ++reports;
            lockedDuringRun = lockedDuringRun && dlg.running() && dlg.stopButton()->isEnabled() &&
                              !dlg.startButton()->isEnabled() &&
                              !dlg.toolButton(Tool::InitialSolution)->isEnabled();
            if (reports == 3)
                QTest::mouseClick(dlg.stopButton(), Qt::LeftButton);
        });
        dlg.startRun();

        QVERIFY(lockedDuringRun);
        QVERIFY(dlg.lastRun().stopped);
        QCOMPARE(dlg.lastRun().optimised.end, OptimiseEnd::Stopped);
        QVERIFY(reports >= 3 && reports <= 5);
        QCOMPARE(dlg.statusLabel()->text(), QString(" Optimisation stopped."));
        QCOMPARE(conflictsInWeeks(*d, 1, 1), 0);
        QVERIFY(!dlg.running() && !dlg.stopButton()->isEnabled());
        QVERIFY(ui.told.empty()); // a stop by the user is quiet

        // A new run starts afresh.
        disconnect(&dlg, &TOptimisationDlg::progressed, this, nullptr);
        settings.optimiser.maxRounds = 1;
        dlg.startRun();
        QVERIFY(!dlg.lastRun().stopped);
    }

    void nothingChosenChangesNothing()
    {
        auto d = school();
        OptimisationSessionSettings settings;
        settings.initial = defaultInitialSettings(*d);
        PickAll ui;
        ui.picks.push_back({});
        TOptimisationDlg dlg(*d, settings, ui);
        QVERIFY(dlg.chooseTool(Tool::Optimise));
        const std::string before = dumpScheduleData(*d);
        dlg.startRun();
        QCOMPARE(dumpScheduleData(*d), before);
        QVERIFY(!dlg.changedData());
        QCOMPARE(items(dlg.resultList()).size(), 1);
        QVERIFY(items(dlg.resultList())[0].startsWith("Selected operation did not change"));
    }

    void slotBlocksOfTheGridKeepTheInitialSolutionOut()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 2, 3).resources('G', {"G1"}).resources('T', {"T1"});
        f.event("MATH", {"G1", "T1"}, 1).allocate("MATH", 1, 1, 1);
        f.finish();
        OptimisationSessionSettings settings;
        settings.initial = defaultInitialSettings(*d);
        PickAll ui;
        TOptimisationDlg dlg(*d, settings, ui);
        QVERIFY(dlg.chooseTool(Tool::InitialSolution));

        // Without a table a double click does nothing; with table 2 it blocks the slot.
        QTableWidget *grid = dlg.slotGrid();
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->columnCount(), 2);
        emit grid->cellDoubleClicked(0, 0);
        QCOMPARE(int(settings.initial.slotBlocks[1][1]), 0);
        dlg.slotBlockBox()->setCurrentIndex(2);
        for (int bell = 0; bell < 3; ++bell)
            for (int day = 0; day < 2; ++day)
                if (bell != 2 || day != 1)
                    emit grid->cellDoubleClicked(bell, day);
        QCOMPARE(int(settings.initial.slotBlocks[1][1]), 1 << 2);
        QCOMPARE(grid->item(0, 0)->text(), QString("X"));
        QCOMPARE(grid->item(2, 1)->text(), QString());
        emit grid->cellDoubleClicked(0, 0); // a second click frees it again
        QCOMPARE(int(settings.initial.slotBlocks[1][1]), 0);
        emit grid->cellDoubleClicked(0, 0);

        // The only free slot is day 2, bell 3.
        dlg.startRun();
        WeekAllocation wa;
        loadWeekAllocation(*d, f.id("MATH"), wa);
        QCOMPARE(wa.timetable.size(), std::size_t(1));
        QCOMPARE(int(wa.timetable[0].startDay), 2);
        QCOMPARE(int(wa.timetable[0].startBell), 3);
        QCOMPARE(settings.initial.blockSlotsNum, 2);
    }

    // From the frame: the desktop event picker, the run, the settings written back.
    void frameRunsTheDialogThroughTheSession()
    {
        auto d = school();
        Settings settings;
        settings.optimize.randSeed = 0;
        FixedClock clock(46002);
        TFrameForm frame(*d, settings, SettingsPaths{}, clock);
        const long before = scheduledSum(*d);

        // The user: chooses the optimiser, keeps every event the picker offers, starts, accepts
        // the closing message and closes the dialog.
        int step = 0;
        QStringList offered;
        int checked = 0;
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            auto *dlg = qobject_cast<TOptimisationDlg *>(modal);
            if (dlg && step == 0) {
                step = 1;
                // Queued, so this handler returns and can answer the picker the click opens.
                QTimer::singleShot(0, dlg->toolButton(Tool::Optimise), &QPushButton::click);
            } else if (dlg && step == 1) {
                step = 2;
                QTimer::singleShot(0, dlg->startButton(), &QPushButton::click);
            } else if (dlg && step == 2 && !dlg->running()) {
                step = 3;
                dlg->accept();
            } else if (auto *list = modal ? modal->findChild<QListWidget *>() : nullptr;
                       list && step == 1) {
                offered = items(list);
                for (int i = 0; i < list->count(); ++i)
                    checked += list->item(i)->checkState() == Qt::Checked ? 1 : 0;
                qobject_cast<QDialog *>(modal)->accept();
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                box->buttons().constFirst()->click();
            }
        });
        user.start(20);
        showOptimisationDialog(frame);
        user.stop();

        QCOMPARE(step, 3);
        QCOMPARE(offered.size(), d->eventList[0]); // every event has periods placed
        QCOMPARE(checked, offered.size());         // nothing chosen before: all are offered
        QCOMPARE(settings.optimize.randSeed, 46002);
        QCOMPARE(scheduledSum(*d), before); // moved, never added or dropped
        QVERIFY(d->modified);
        QCOMPARE(conflictsInWeeks(*d, 1, 1), 0);
    }

    // What the user sets on the pages reaches the settings written back.
    void pagesReachTheSettings()
    {
        auto d = school();
        Settings s;
        OptimisationSessionSettings o = optimisationSessionSettings(*d, s, 46001);
        {
            PickAll ui;
            TOptimisationDlg dlg(*d, o, ui);
            QVERIFY(dlg.chooseTool(Tool::Optimise));
            dlg.weightBox(1)->setValue(4);
            dlg.secondsBox()->setValue(30);
            // The initial solution's completion is on unless the settings turned it off.
            QCheckBox *complete = nullptr;
            for (QCheckBox *box : dlg.findChildren<QCheckBox *>())
                if (box->text().startsWith("Complete the timetables"))
                    complete = box;
            QVERIFY(complete && complete->isChecked());
            complete->setChecked(false);
            QVERIFY(dlg.chooseTool(Tool::Optimise));
        }
        storeOptimisationSessionSettings(o, *d, s);
        QCOMPARE(s.optimize.gapWeight[1], 4);
        QCOMPARE(s.optimize.seconds, 30);
        QVERIFY(!s.optimize.complete);
    }
};

QTEST_MAIN(OptimisationDlgTest)
#include "optimisationdlg_test.moc"
