// A new user's first timetable, through the real frame, views and dialogs on the offscreen
// platform: resources and events made in the Resources and Events views, periods allocated,
// lessons placed by double-clicks in the Timetables view, a blocked slot that shows what blocks
// it, a block dragged to another day, undo and redo, the initial solution and a quick
// optimisation, then the file saved and opened again with the same cells.

#include "editordriver.h"
#include "modaldriver.h"

#include "commands/filecommands.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lecturestore.h"
#include "engine/weekstore.h"
#include "files/datafile.h"
#include "optimise/optimisationsession.h"
#include "shell/mainframe.h"
#include "shell/optimisationdialog.h"
#include "support/fixture.h"
#include "views/codelistform.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <map>

using namespace quivra;

namespace {

// The cells of a resource's timetable in a week: "day.bell=CODE" for every period.
std::map<std::string, std::string> cellsOf(const ScheduleData &d, std::string_view resource,
                                           int week)
{
    std::map<std::string, std::string> cells;
    WeekTimetable t;
    weekTimetableOf(d, findCode(d, resource), week, t);
    for (int day = 1; day <= usedDays(d); ++day)
        for (int bell = 1; bell <= usedBells(d); ++bell) {
            const CellWord w = t.cell(day, bell);
            if (w != 0 && !isBookingCell(w))
                cells[std::to_string(day) + "." + std::to_string(bell)] =
                    d.codes[cellCode(d, w)].code.str();
        }
    return cells;
}

// With QUIVRA_SCREENSHOTS set to a folder, the widget as it looks now goes there as `name`.
void shot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("QUIVRA_SCREENSHOTS");
    if (!dir.isEmpty())
        widget->grab().save(QDir(dir).filePath(name));
}

void mouse(QWidget *viewport, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, viewport->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

} // namespace

class TimetablesEndToEndTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString folder(const QString &name)
    {
        QDir(m_dir.path()).mkpath(name);
        return m_dir.filePath(name);
    }

private slots:
    void newUserPlacesMovesUndoesOptimisesAndReopens()
    {
        const QString empty = folder("tt") + "/empty.qvf";
        {
            auto blank = makeScheduleData();
            FixtureBuilder(*blank).calendar(2, 5, 6).finish();
            QVERIFY(writeDataFile(*blank, empty.toStdString()));
        }
        const QString saved = folder("tt") + "/school.qvf";
        auto d = makeScheduleData();
        Settings settings;
        SettingsPaths paths{folder("tt-program").toStdString(), folder("tt-config").toStdString(),
                            folder("tt-user").toStdString()};
        SystemClock clock;
        TFrameForm frame(*d, settings, paths, clock);
        frame.resize(1200, 800);
        frame.show();
        QVERIFY(openWindows(frame.session(), empty.toStdString()));
        const auto focusOn = [&frame](QWidget *widget) {
            frame.activateWindow();
            widget->setFocus();
            return QTest::qWaitForWindowActive(&frame);
        };
        ModalDriver driver;

        // Resources and events, made in their views.
        frame.action("view.1")->trigger();
        auto *resources = static_cast<CodeListForm *>(frame.view(ViewTag::Resources));
        for (const NewCode &c :
             {NewCode{"G1", "Group 1", 1, 0, {}}, NewCode{"T1", "Teacher One", 2, 0, {}},
              NewCode{"T2", "Teacher Two", 2, 0, {}}}) {
            driver.expect("TCourseDualBox", "Create a new resource",
                          [c](QDialog *dialog) { fillEditor(dialog, c); });
            QVERIFY(focusOn(resources->table()));
            QTest::keyClick(resources->table(), Qt::Key_Insert);
            QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        }
        frame.action("view.2")->trigger();
        auto *events = static_cast<CodeListForm *>(frame.view(ViewTag::Events));
        for (const NewCode &c : {NewCode{"MATH", "Mathematics", 1, 4, {"T1", "G1"}},
                                 NewCode{"ENG", "English", 1, 2, {"T2", "G1"}}}) {
            driver.expect("TCourseDualBox", "Create a new event",
                          [c](QDialog *dialog) { fillEditor(dialog, c); });
            QVERIFY(focusOn(events->table()));
            QTest::keyClick(events->table(), Qt::Key_Insert);
            QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        }
        const CodeId math = findCode(*d, "MATH"), eng = findCode(*d, "ENG");
        QVERIFY(math != 0 && eng != 0);

        // Allocation: MATH 2 + 2 periods in weeks 1 and 2, ENG 2 in week 1. The Weeks view's
        // allocation commands come with that view; here the allocation is stored directly.
        for (const auto &[e, week, n] : {std::tuple{math, 1, 2}, {math, 2, 2}, {eng, 1, 2}}) {
            WeekAllocation wa;
            loadWeekAllocation(*d, e, wa);
            wa.allocated[static_cast<std::size_t>(week)] = static_cast<std::uint8_t>(n);
            QVERIFY(storeWeekAllocation(*d, e, wa) >= 0);
        }
        frame.refreshViews();

        // Timetables view, week 1, master T1: MATH by double-clicks on Monday 1 and Tuesday 2.
        frame.setActiveWeek(1);
        frame.action("view.4")->trigger();
        auto *view = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
        QTableView *grid = view->table();
        const auto choose = [&](std::string_view master, std::string_view event) {
            for (int i = 0; i < view->timetableCount(); ++i) {
                view->chooseTimetable(i);
                if (view->resource() == findCode(*d, master))
                    break;
            }
            QCOMPARE(view->resource(), findCode(*d, master));
            const CodeId e = findCode(*d, event);
            for (int row = 0; row < view->eventList()->count(); ++row)
                if (view->eventList()->item(row)->text().startsWith(
                        QString::fromStdString(d->codes[e].code.str()) + " "))
                    view->eventList()->setCurrentRow(row);
            QCOMPARE(view->session().event(), e);
        };
        const auto at = [&](int day, int bell) {
            return grid->visualRect(view->model()->index(bell - 1, day - 1)).center();
        };
        const auto doubleClick = [&](int day, int bell) {
            // The view takes a double-click on the cell the press before it chose.
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at(day, bell));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at(day, bell));
        };
        choose("T1", "MATH");
        doubleClick(1, 1);
        doubleClick(2, 2);
        QCOMPARE(d->codes[math].scheduled, 2);
        QCOMPARE(cellsOf(*d, "G1", 1),
                 (std::map<std::string, std::string>{{"1.1", "MATH"}, {"2.2", "MATH"}}));
        // The linked timetable of the group shows MATH too.
        QCOMPARE(view->linkedTables().size(), std::size_t(1));
        QCOMPARE(view->linkedTables()[0]->model()->index(0, 0).data().toString(), QString("MATH"));

        // Master T2, ENG: Monday 1 is free in T2 but G1 has MATH there; the blocking analysis
        // shows why, and Cancel leaves everything as it was.
        choose("T2", "ENG");
        driver.expect("optionsDialog", "is disabled by the timetables below", [](QDialog *dialog) {
            shot(dialog, "timetables-blocking.png");
            const auto *buttons = dialog->findChild<QDialogButtonBox *>();
            QVERIFY(buttons);
            QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QString("Clear"));
            dialog->reject();
        });
        doubleClick(1, 1);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(d->codes[eng].scheduled, 0);
        doubleClick(3, 1);
        doubleClick(3, 2);
        QCOMPARE(d->codes[eng].scheduled, 2);
        QCOMPARE(view->statusLine()->text(),
                 QString("\"ENG\" is complete - press the [F3] key to find the next event."));

        // A drag of ENG's block from Wednesday to Thursday: while it hangs over Monday the
        // clash with MATH in G1 shows, over Thursday the block fits.
        mouse(grid->viewport(), QEvent::MouseButtonPress, at(3, 1), Qt::LeftButton);
        mouse(grid->viewport(), QEvent::MouseMove, at(1, 1), Qt::LeftButton);
        QVERIFY(view->dragging());
        QVERIFY2(view->statusLine()->text().contains("G1 (MATH)"),
                 qPrintable(view->statusLine()->text()));
        QCOMPARE(view->model()->mark(1, 1), TimetableModel::Mark::DropClashes);
        shot(&frame, "timetables-drag.png");
        mouse(grid->viewport(), QEvent::MouseMove, at(4, 1), Qt::LeftButton);
        QCOMPARE(view->model()->mark(4, 2), TimetableModel::Mark::DropFits);
        mouse(grid->viewport(), QEvent::MouseButtonRelease, at(4, 1), Qt::NoButton);
        QVERIFY(!view->dragging());
        const std::map<std::string, std::string> moved{{"4.1", "ENG"}, {"4.2", "ENG"}};
        QCOMPARE(cellsOf(*d, "T2", 1), moved);

        // Undo (Ctrl+Z) puts it back on Wednesday, Redo (Ctrl+Y) on Thursday again.
        QVERIFY(focusOn(grid));
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cellsOf(*d, "T2", 1),
                 (std::map<std::string, std::string>{{"3.1", "ENG"}, {"3.2", "ENG"}}));
        QVERIFY(focusOn(grid));
        QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(cellsOf(*d, "T2", 1), moved);

        // Tools|Optimise: the initial solution places MATH in week 2.
        driver.expect(QString(), QString(), [](QDialog *dialog) {
            auto *dlg = static_cast<TOptimisationDlg *>(dialog);
            // The tool asks for its events (MATH, preset) in a dialog of its own, while this
            // step still runs: a timer of its own takes them.
            QTimer::singleShot(100, [] {
                if (auto *pick = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                    ModalDriver::press(pick, "OK");
            });
            if (dlg->chooseTool(Tool::InitialSolution))
                QTest::mouseClick(dlg->startButton(), Qt::LeftButton);
            dlg->accept();
        });
        frame.action("tools.optimise")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(d->codes[math].scheduled, 4);

        // Quick optimisation (F9) of week 1; whatever it finds, its answer is shown.
        frame.setActiveWeek(1);
        driver.expect("messageDialog", "Your timetables have been optimised", [](QDialog *dialog) {
            bool no = false;
            for (QAbstractButton *b : dialog->findChildren<QAbstractButton *>())
                no = no || b->text().remove('&') == "No";
            ModalDriver::press(dialog, no ? QString("No") : QString("OK"));
        });
        QVERIFY(focusOn(grid));
        QTest::keyClick(grid, Qt::Key_F9);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(d->codes[math].scheduled, 4);
        QCOMPARE(d->codes[eng].scheduled, 2);

        // Tools|Block scheduling: symbols typed on the grid make a block; Cancel keeps the
        // patterns as they were.
        driver.expect("TSlotDlg", QString(), [](QDialog *dialog) {
            auto *blocks = dialog->findChild<QTableWidget *>("blockGrid");
            for (const auto &[row, column] : {std::pair{0, 0}, {1, 0}, {2, 2}}) {
                blocks->setCurrentCell(row, column);
                QTest::keyClick(blocks, Qt::Key_A);
            }
            QCOMPARE(blocks->item(2, 2)->text(), QString("A"));
            QCOMPARE(dialog->findChild<QLabel *>("blockStatus")->text(), QString("3 x \"A\""));
            shot(dialog, "block-scheduling.png");
            ModalDriver::press(dialog, "Cancel");
        });
        frame.action("tools.blocks")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(settings.slotPatterns.empty() ||
                settings.slotPatterns.begin()->second.find('A') == std::string::npos);

        // Save As, then open the file in a fresh frame: the same cells in both weeks.
        std::map<std::string, std::map<std::string, std::string>> before;
        for (const char *r : {"T1", "T2", "G1"})
            for (int week = 1; week <= 2; ++week)
                before[std::string(r) + "/" + std::to_string(week)] = cellsOf(*d, r, week);
        driver.file(saved);
        frame.action("file.saveAs")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.close());

        auto again = makeScheduleData();
        Settings settings2;
        TFrameForm reopened(*again, settings2, paths, clock);
        QVERIFY(openWindows(reopened.session(), saved.toStdString()));
        for (const char *r : {"T1", "T2", "G1"})
            for (int week = 1; week <= 2; ++week)
                QCOMPARE(cellsOf(*again, r, week),
                         before[std::string(r) + "/" + std::to_string(week)]);
        QCOMPARE(again->codes[findCode(*again, "MATH")].scheduled, 4);
        QVERIFY(reopened.close());
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
    }
};

QTEST_MAIN(TimetablesEndToEndTest)
#include "timetables_e2e_test.moc"
