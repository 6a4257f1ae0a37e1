// The Timetables view's rooms through the real frame: Ctrl+R on a period of the current event
// opens the room choice of that slot (not the Tools dialog of every slot), the chosen room goes
// to the slot and, on request, to the event's other slot of the week; Ctrl+A lists the rooms
// with how widely each is free; Edit event structure (F2) swaps a resource in the collections
// editor and Undo puts it back.

#include "editordriver.h"
#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/manualrooms.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace quivra;

namespace {

// With QUIVRA_SCREENSHOTS set to a folder, the widget as it looks now goes there as `name`.
void shot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("QUIVRA_SCREENSHOTS");
    if (!dir.isEmpty())
        widget->grab().save(QDir(dir).filePath(name));
}

QAction *viewAction(QWidget *view, const QString &id)
{
    for (QAction *action : view->actions())
        if (action->objectName() == id)
            return action;
    return nullptr;
}

} // namespace

class TimetableEditsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void roomsOfTheSlotAndTheEventStructure()
    {
        const QString path = m_dir.filePath("rooms.qvf");
        {
            auto d = makeScheduleData();
            FixtureBuilder f(*d);
            f.calendar(1, 5, 6)
                .resources('G', {"G1"})
                .resources('T', {"T1", "T2"})
                .resources('R', {"R1", "R2", "R3"});
            f.event("MATH", {"T1", "G1"}, 2).allocate("MATH", 1, 1, 2).place("MATH", 1, 1, 1, 2);
            f.finish();
            QVERIFY(writeDataFile(*d, path.toStdString()));
        }
        FrameFixture fx;
        fx.frame.resize(1200, 800);
        fx.frame.show();
        QVERIFY(fx.open(path));
        ScheduleData &d = *fx.d;
        const CodeId math = findCode(d, "MATH");

        fx.frame.action("view.4")->trigger();
        auto *view = static_cast<TMatsForm *>(fx.frame.view(ViewTag::Timetables));
        QVERIFY(view);
        for (int i = 0; i < view->timetableCount(); ++i)
            if (view->timetables()[static_cast<std::size_t>(i)] == findCode(d, "T1"))
                view->chooseTimetable(i);
        QCOMPARE(view->resource(), findCode(d, "T1"));
        QTableView *grid = view->table();
        const QModelIndex monday1 = grid->model()->index(0, 0);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(monday1).center());
        QCOMPARE(view->session().event(), math);

        // Ctrl+R (Tools|Select rooms manually) on MATH's period: the rooms free in that slot.
        ModalDriver driver;
        driver.expect("optionsDialog", "3 available rooms for event", [](QDialog *dialog) {
            auto *list = dialog->findChild<QListWidget *>();
            QVERIFY(list);
            QCOMPARE(list->count(), 3);
            list->setCurrentRow(1);
            shot(dialog, "timetables-rooms.png");
            ModalDriver::press(dialog, "OK");
        });
        driver.message("also to other slots of \"MATH\"", "Yes");
        fx.frame.action("tools.rooms")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        const CodeId r2 = findCode(d, "R2");
        for (int bell : {1, 2}) {
            const int k = findTriple(d, 1, 1, bell, 0, 0, math);
            QVERIFY(k > 0);
            QCOMPARE(manualTriple(d, k).room, r2);
        }

        // Ctrl+A on the grid: every room with how widely it is free for MATH; Cancel keeps all.
        driver.expect("optionsDialog", "[ALL WEEKS=", [](QDialog *dialog) {
            auto *list = dialog->findChild<QListWidget *>();
            QVERIFY(list && list->count() > 0);
            QVERIFY(list->item(0)->text().contains("[ALL WEEKS]"));
            ModalDriver::press(dialog, "Cancel");
        });
        fx.frame.activateWindow();
        grid->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&fx.frame));
        QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));

        // F2: the collections editor on MATH; T2 takes T1's place, and Undo puts T1 back.
        driver.expect("TCourseDualBox", "MATH", [](QDialog *dialog) {
            const auto lists = dialog->findChildren<QListWidget *>();
            QCOMPARE(lists.size(), 2);
            QListWidget *left = lists[0], *right = lists[1];
            left->setCurrentRow(0);
            right->clearSelection();
            for (int i = 0; i < right->count(); ++i)
                if (right->item(i)->text().section(':', 0, 0).trimmed() == "T2")
                    right->item(i)->setSelected(true);
            dialog->findChild<QPushButton *>("swap")->click();
            ModalDriver::press(dialog, "OK");
        });
        QAction *edit = viewAction(view, "timetables.editStructure");
        QVERIFY(edit && edit->isEnabled());
        edit->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        const MemberList after = collectionOf(d, math);
        QCOMPARE(after[1], findCode(d, "T2"));
        QVERIFY(view->session().matrix().log().canUndo());
        viewAction(view, "timetables.undo")->trigger();
        QCOMPARE(collectionOf(d, math)[1], findCode(d, "T1"));
    }
};

QTEST_MAIN(TimetableEditsTest)
#include "timetableedits_test.moc"
