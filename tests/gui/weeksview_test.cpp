// The Weeks view through its real widgets on the offscreen platform.
//
// A timetabler plans a term on a fresh institution: types an event's periods into four weeks,
// moving with the arrow keys, books a week, copies the row to another event, inserts a week and
// deletes it again, duplicates an event and cancels that, and saves; the saved file's dump is
// kept with the tests. The grid's keys behave as in a spreadsheet: a non-number typed changes
// nothing, Delete erases the selected cells.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lecturestore.h"
#include "files/datafile.h"
#include "shell/mainframe.h"
#include "support/dumpmarks.h"
#include "support/fixture.h"
#include "views/weeksview.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

using namespace quivra;

namespace {

int allocatedIn(const ScheduleData &d, std::string_view code, int week)
{
    WeekAllocation wa;
    loadWeekAllocation(d, findCode(d, code), wa);
    return wa.allocated[static_cast<std::size_t>(week)];
}

} // namespace

class WeeksViewTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A fresh institution: 6 weeks of 5 days × 6 bells, two groups' lessons, nothing allocated.
    QString freshInstitution(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(6, 5, 6).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"G1", "T1"}, 8).event("ENG", {"G2", "T2"}, 8).finish();
        if (!writeDataFile(*d, path.toStdString()))
            return {};
        return path;
    }

    static TEditForm *weeksView(TFrameForm &frame)
    {
        frame.showView(ViewTag::Weeks);
        return static_cast<TEditForm *>(frame.view(ViewTag::Weeks));
    }

    static void goTo(TEditForm *view, const ScheduleData &d, std::string_view code, int week)
    {
        view->goToCell(findCode(d, code), week);
        view->table()->selectionModel()->select(view->table()->currentIndex(),
                                                QItemSelectionModel::ClearAndSelect);
    }

    static bool focusOn(TFrameForm &frame, QWidget *widget)
    {
        frame.activateWindow();
        widget->setFocus();
        return QTest::qWaitForWindowActive(&frame);
    }

    static void trigger(TEditForm *view, const char *id)
    {
        auto *action = view->findChild<QAction *>(QString("weeks.") + id);
        QVERIFY2(action && action->isEnabled(), id);
        action->trigger();
    }

private slots:
    void timetablerPlansATermInTheGrid()
    {
        const QString file = freshInstitution("term.qvf");
        QVERIFY(!file.isEmpty());
        FrameFixture f;
        ScheduleData &d = *f.d;
        f.frame.show();
        QVERIFY(f.open(file));
        TEditForm *view = weeksView(f.frame);
        QVERIFY(view);
        QCOMPARE(view->windowTitle(), QString("Weeks: 6"));
        ModalDriver driver;

        // MATH's 8 periods over weeks 1..4: a number and Enter in each cell, Right to the next.
        goTo(view, d, "MATH", 1);
        QVERIFY(focusOn(f.frame, view->table()));
        for (int w = 1; w <= 4; ++w) {
            QTest::keyClicks(view->table(), "2");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_COMPARE(allocatedIn(d, "MATH", w), 2);
            QCOMPARE(view->currentWeek(), w);
            if (w < 4) {
                QVERIFY(focusOn(f.frame, view->table()));
                QTest::keyClick(view->table(), Qt::Key_Right);
            }
        }
        QCOMPARE(int(d.codes[findCode(d, "MATH")].allocated), 8);
        QCOMPARE(view->model()->data(view->model()->index(0, 3)).toString(), QString("2"));

        // Week 5 booked from the cell's pop-up command.
        goTo(view, d, "MATH", 5);
        trigger(view, "bookCell");
        QCOMPARE(allocatedIn(d, "MATH", 5), 0);
        QCOMPARE(view->model()->data(view->model()->index(0, 4)).toString(), QString("/////"));

        // The row copied to ENG.
        goTo(view, d, "MATH", 1);
        driver.message("were copied to memory", "OK");
        trigger(view, "copyAllocation");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        goTo(view, d, "ENG", 1);
        driver.message("8 allocated periods were pasted from event \"MATH\" to event \"ENG\"",
                       "OK");
        trigger(view, "pasteAllocation");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        for (int w = 1; w <= 4; ++w)
            QCOMPARE(allocatedIn(d, "ENG", w), 2);

        // A week inserted before week 2 and deleted again.
        goTo(view, d, "MATH", 2);
        trigger(view, "insertWeek");
        QCOMPARE(view->windowTitle(), QString("Weeks: 7"));
        QCOMPARE(allocatedIn(d, "MATH", 2), 0);
        QCOMPARE(allocatedIn(d, "MATH", 3), 2);
        goTo(view, d, "MATH", 2);
        driver.message("delete week", "Yes");
        trigger(view, "deleteWeek");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(view->windowTitle(), QString("Weeks: 6"));
        QCOMPARE(allocatedIn(d, "MATH", 2), 2);

        // Duplicate MATH from the pop-up menu, then Cancel: the copy goes and MATH is as before.
        goTo(view, d, "MATH", 1);
        trigger(view, "duplicate");
        const CodeId copy = findCode(d, "MATHa");
        QVERIFY(copy != 0);
        QCOMPARE(view->currentEvent(), copy);
        QCOMPARE(allocatedIn(d, "MATHa", 3), 2);
        // The new event comes up in the Events view.
        QCOMPARE(f.frame.currentView(), ViewTag::Events);
        QCOMPARE(d.currentCode, copy);
        weeksView(f.frame);
        driver.message("you want to cancel the last duplicate", "Yes");
        trigger(view, "cancelLast");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(findCode(d, "MATHa"), CodeId(0));
        for (int w = 1; w <= 4; ++w)
            QCOMPARE(allocatedIn(d, "MATH", w), 2);
        QVERIFY(!view->findChild<QAction *>("weeks.cancelLast")->isEnabled());

        // Saved and read back: the dump kept with the tests.
        const QString saved = m_dir.filePath("planned.qvf");
        driver.file(saved);
        f.frame.action("file.saveAs")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        auto back = makeScheduleData();
        QVERIFY(readDataFile(saved.toStdString(), *back).has_value());
        const QString dump = QString::fromStdString(dataPart(dumpScheduleData(*back)));
        const QString golden = QUIVRA_SOURCE_DIR "/tests/gui/golden/weeks-term.dump";
        // QUIVRA_UPDATE_GOLDEN=1 writes the dump anew, after a change meant to alter it.
        if (qEnvironmentVariableIsSet("QUIVRA_UPDATE_GOLDEN")) {
            QFile out(golden);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(dump.toUtf8());
        }
        QFile expected(golden);
        QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(golden));
        QCOMPARE(dump, QString::fromUtf8(expected.readAll()));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
    }

    void gridKeysActLikeASpreadsheet()
    {
        const QString file = freshInstitution("keys.qvf");
        FrameFixture f;
        ScheduleData &d = *f.d;
        f.frame.show();
        QVERIFY(f.open(file));
        TEditForm *view = weeksView(f.frame);
        goTo(view, d, "MATH", 2);
        QVERIFY(focusOn(f.frame, view->table()));
        // Letters never reach the command: the cell keeps its (empty) value.
        QTest::keyClicks(view->table(), "x");
        if (auto *editor = view->table()->findChild<QLineEdit *>("cellEditor"))
            QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(50);
        QCOMPARE(allocatedIn(d, "MATH", 2), 0);
        QVERIFY(!d.modified);

        // Two cells typed, then both selected with Shift+Right and erased with Delete.
        for (int w : {2, 3}) {
            goTo(view, d, "MATH", w);
            QVERIFY(focusOn(f.frame, view->table()));
            QTest::keyClicks(view->table(), "1");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_COMPARE(allocatedIn(d, "MATH", w), 1);
        }
        goTo(view, d, "MATH", 2);
        QVERIFY(focusOn(f.frame, view->table()));
        QTest::keyClick(view->table(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(view->selectedCells().size(), std::size_t(2));
        QTest::keyClick(view->table(), Qt::Key_Delete);
        QCOMPARE(allocatedIn(d, "MATH", 2), 0);
        QCOMPARE(allocatedIn(d, "MATH", 3), 0);

        // End goes to the last week, Home back to the first.
        goTo(view, d, "MATH", 2);
        QVERIFY(focusOn(f.frame, view->table()));
        QTest::keyClick(view->table(), Qt::Key_End);
        QCOMPARE(view->currentWeek(), 6);
        QTest::keyClick(view->table(), Qt::Key_Home);
        QCOMPARE(view->currentWeek(), 1);

        // The pop-up menu holds the cell's commands.
        QStringList ids;
        for (QAction *a : view->contextMenu()->actions())
            ids << a->objectName();
        QVERIFY2(ids.contains("weeks.eraseCell") && ids.contains("weeks.pasteAllocation"),
                 qPrintable(ids.join(',')));
    }

    // The shaded weeks after those in use: a click on one asks to use the weeks up to it (No
    // brings the cursor back, Yes adds them with their default names), the Right arrow from the
    // last week in use asks too; a week deleted leaves the freed last week its default name.
    void clickBeyondTheWeeksInUseAddsWeeks()
    {
        const QString file = freshInstitution("more.qvf");
        FrameFixture f;
        ScheduleData &d = *f.d;
        f.frame.show();
        QVERIFY(f.open(file));
        TEditForm *view = weeksView(f.frame);
        ModalDriver driver;
        QTableView *table = view->table();
        QCOMPARE(view->model()->columnCount(), 255);
        QVERIFY(!(view->model()->flags(view->model()->index(0, 6)) & Qt::ItemIsEditable));
        const auto clickWeek = [&](int week) {
            const QModelIndex cell = view->model()->index(0, week - 1);
            table->scrollTo(cell);
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                              table->visualRect(cell).center());
        };

        driver.message("Do you want to increase this maximum (6) to 8 now?", "No");
        clickWeek(8);
        QTRY_VERIFY2(driver.finished(), qPrintable(driver.problems()));
        QTRY_COMPARE(view->currentWeek(), 6);
        QCOMPARE(view->windowTitle(), QString("Weeks: 6"));
        QVERIFY(!d.modified);

        driver.message("Do you want to increase this maximum (6) to 8 now?", "Yes");
        clickWeek(8);
        QTRY_VERIFY2(driver.finished(), qPrintable(driver.problems()));
        QTRY_COMPARE(view->windowTitle(), QString("Weeks: 8"));
        QCOMPARE(view->currentWeek(), 8);
        QCOMPARE(view->model()->headerData(7, Qt::Horizontal).toString(), QString("[8]"));

        driver.message("Do you want to increase this maximum (8) to 9 now?", "Yes");
        QVERIFY(focusOn(f.frame, table));
        QTest::keyClick(table, Qt::Key_Right);
        QTRY_VERIFY2(driver.finished(), qPrintable(driver.problems()));
        QTRY_COMPARE(view->windowTitle(), QString("Weeks: 9"));

        // End stays within the weeks in use.
        goTo(view, d, "MATH", 2);
        QVERIFY(focusOn(f.frame, table));
        QTest::keyClick(table, Qt::Key_End);
        QCOMPARE(view->currentWeek(), 9);

        goTo(view, d, "MATH", 1);
        driver.message("delete week", "Yes");
        trigger(view, "deleteWeek");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(view->model()->headerData(254, Qt::Horizontal).toString(), QString("[255]"));
    }

    // The Gantt chart's miniature of a week: per day the bells the event is placed on.
    void miniatureHoldsTheWeeksPlacedCells()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(3, 5, 6).resources('G', {"G1"});
        f.event("E", {"G1"}, 8).allocate("E", 1, 2, 3);
        f.place("E", 1, 2, 1, 2).place("E", 1, 4, 6, 6).place("E", 2, 1, 3, 3).finish();
        ViewOptions options;
        WeeksModel model(*d, options);
        const WeeksModel::Miniature week1 = model.miniature(0, 1);
        QCOMPARE(week1[2], std::uint32_t(0b11));
        QCOMPARE(week1[4], std::uint32_t(0b100000));
        QCOMPARE(week1[1] | week1[3] | week1[5], std::uint32_t(0));
        QCOMPARE(model.miniature(0, 2)[1], std::uint32_t(0b100));
        QCOMPARE(model.miniature(0, 3)[1], std::uint32_t(0));
        QCOMPARE(model.miniature(1, 1)[2], std::uint32_t(0)); // no such row
    }

    // In the Gantt chart an allocation's bar is dragged with the mouse: the dropped week gets
    // it, and the weeks after it move along; a drop into a protected week changes nothing.
    void allocationIsDraggedInTheGanttChart()
    {
        const QString file = freshInstitution("drag.qvf");
        FrameFixture f;
        ScheduleData &d = *f.d;
        f.frame.show();
        QVERIFY(f.open(file));
        TEditForm *view = weeksView(f.frame);
        ModalDriver driver;
        for (int w : {2, 3}) {
            goTo(view, d, "MATH", w);
            trigger(view, "increase");
        }
        trigger(view, "gantt");
        QTableView *table = view->table();
        const auto drag = [&](int from, int to) {
            const QModelIndex a = view->model()->index(0, from - 1);
            const QModelIndex b = view->model()->index(0, to - 1);
            QTest::mousePress(table->viewport(), Qt::LeftButton, {}, table->visualRect(a).center());
            QTest::mouseMove(table->viewport(), table->visualRect(b).center());
            QTest::mouseRelease(table->viewport(), Qt::LeftButton, {},
                                table->visualRect(b).center());
        };
        drag(3, 5);
        QTRY_COMPARE(allocatedIn(d, "MATH", 5), 1);
        QCOMPARE(allocatedIn(d, "MATH", 2), 1);
        QCOMPARE(allocatedIn(d, "MATH", 3), 0);
        QCOMPARE(view->currentWeek(), 5);
        QCOMPARE(view->model()->data(view->model()->index(0, 4), Qt::EditRole).toInt(), 1);

        d.currentWeek = 2;
        driver.message("This week is protected", "OK");
        drag(2, 1);
        QTRY_VERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(allocatedIn(d, "MATH", 2), 1);
        QCOMPARE(allocatedIn(d, "MATH", 1), 0);
    }

    // Percentages and the Gantt chart, the Sum window under the grid and the Bird's eye view
    // with its utilisation: a week without allocation shows "-" rather than dividing by zero.
    void displaysAndSideWindows()
    {
        const QString file = freshInstitution("sides.qvf");
        FrameFixture f;
        ScheduleData &d = *f.d;
        f.frame.show();
        QVERIFY(f.open(file));
        TEditForm *view = weeksView(f.frame);
        goTo(view, d, "MATH", 1);
        trigger(view, "increase");
        trigger(view, "increase");
        QCOMPARE(allocatedIn(d, "MATH", 1), 2);
        QCOMPARE(f.frame.statusBar()->currentMessage(),
                 QString("0 out of 2 h scheduled in \"[1]\""));
        const QModelIndex cell = view->model()->index(0, 0);
        trigger(view, "percentages");
        QCOMPARE(view->model()->data(cell).toString(), QString("25%"));
        trigger(view, "gantt");
        QVERIFY(view->model()->data(cell).toString().isEmpty());
        QVERIFY(view->model()->data(cell, Qt::BackgroundRole).value<QColor>().isValid());
        trigger(view, "numbers");
        QCOMPARE(view->model()->data(cell).toString(), QString("2"));

        trigger(view, "columnsAll");
        QVERIFY(view->model()->headerData(0, Qt::Vertical).toString().endsWith("2/8"));
        const int narrow = view->table()->columnWidth(0);
        trigger(view, "variableWidths");
        QCOMPARE(view->table()->columnWidth(0), narrow); // week 1 is one week long

        trigger(view, "sumWindow");
        QTableWidget *sums = view->sums();
        QVERIFY(sums->isVisible());
        QCOMPARE(sums->rowCount(), 3); // MATH, G1, T1
        QCOMPARE(sums->item(1, 0)->text(), QString("2"));

        trigger(view, "birdsScheduled");
        trigger(view, "birdsUtilisation");
        QTableWidget *birds = view->birdsEyeTable();
        QVERIFY(view->birdsEyeShown());
        QCOMPARE(birds->rowCount(), 4);
        QCOMPARE(birds->item(0, 0)->text(), QString("0%")); // G1: 0 of 2 scheduled
        QCOMPARE(birds->item(0, 1)->text(), QString("-"));  // nothing allocated in week 2
        trigger(view, "birdsHeatMap");
        QVERIFY(birds->item(0, 1)->background().color().isValid());

        // A click on a resource in the Sum window marks its events and offers its replacement;
        // a click in the Bird's eye view lists the resource's events of the week, and the one
        // picked becomes the grid's current cell.
        ModalDriver driver;
        driver.message("Replace \"G1\" in event \"MATH\" ?", "No");
        QTest::mouseClick(sums->viewport(), Qt::LeftButton, {},
                          sums->visualItemRect(sums->item(1, 0)).center());
        QTRY_VERIFY2(driver.finished(), qPrintable(driver.problems()));
        QTRY_VERIFY(sums->toolTip().startsWith("[Ctrl+N]/[Ctrl+P]"));
        QVERIFY(view->findChild<QAction *>("weeks.nextMarked")->isEnabled());
        goTo(view, d, "ENG", 3);
        driver.option("\"G1\" in week", 0);
        QTest::mouseClick(birds->viewport(), Qt::LeftButton, {},
                          birds->visualItemRect(birds->item(0, 0)).center());
        QTRY_VERIFY2(driver.finished(), qPrintable(driver.problems()));
        QTRY_COMPARE(view->currentEvent(), findCode(d, "MATH"));
        QCOMPARE(view->currentWeek(), 1);

        // The copied week's column is drawn in blue.
        driver.message("You have stored the contents of week", "OK");
        trigger(view, "copyWeek");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(view->model()->data(cell, Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
        QVERIFY(!view->model()->data(view->model()->index(0, 1), Qt::ForegroundRole).isValid());
    }
};

QTEST_MAIN(WeeksViewTest)
#include "weeksview_test.moc"
