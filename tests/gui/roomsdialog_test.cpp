// The rooms dialog, the cycle map and the memo panel on the offscreen platform: what they show
// is what the headless state says, and each click reaches it; the Tools rows open them.

#include "framefixture.h"
#include "modaldriver.h"

#include "commands/memocommands.h"
#include "commands/roomcommands.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "shell/cyclingdialog.h"
#include "shell/mainframe.h"
#include "shell/memodialog.h"
#include "shell/roomsdialog.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace quivra;

namespace {

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// MATH and ENG meet on Monday, bell 1, of two weeks; R1 and R2 are free rooms.
void buildSchool(FixtureBuilder &f)
{
    f.calendar(2, 5, 4).resources('G', {"G1", "G2"}).resources('R', {"R1", "R2"});
    f.event("MATH", {"G1"}, 2).allocate("MATH", 1, 2, 1);
    f.event("ENG", {"G2"}, 2).allocate("ENG", 1, 2, 1);
    for (int w = 1; w <= 2; ++w)
        f.place("MATH", w, 1, 1, 1).place("ENG", w, 1, 1, 1);
    f.finish();
}

} // namespace

class RoomsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void dialogShowsTheStateAndForwardsClicks()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        buildSchool(f);
        ScriptedDialogs ui;
        Prompter p(ui);
        RoomsDialogMemory memory;
        RoomsDialogState state(*d, p, memory);
        QVERIFY(state.open());
        TRoomsDlg dialog(state);

        QCOMPARE(dialog.slotList()->count(), 4);
        QCOMPARE(dialog.slotList()->currentRow(), 0);
        QCOMPARE(items(dialog.roomList()), QStringList({"R1 (0x)", "R2 (0x)"}));
        QVERIFY(!dialog.button("clear")->isEnabled());

        dialog.roomList()->setCurrentRow(0);
        dialog.button("assign")->click();
        QVERIFY(dialog.slotList()->item(0)->text().endsWith("MATH - R1"));
        QCOMPARE(dialog.windowTitle(),
                 QString("Select rooms manually (1 assigned + 3 empty = 4 slots)"));
        QVERIFY(dialog.button("clear")->isEnabled());
        QCOMPARE(roomOfSlot(*d, 1, 1, 1, f.id("R1")), f.id("MATH"));

        // ENG at the same time is offered only the other room.
        dialog.slotList()->setCurrentRow(1);
        QCOMPARE(items(dialog.roomList()), QStringList({"R2 (0x)"}));
        QCOMPARE(dialog.roomsTitle()->text(), QString("Available rooms for \"ENG\" : 1"));

        // Narrowing to week 1, keeping the assignments of week 2.
        ui.expect("to clear 2 out of 4").answer(Answer::No);
        dialog.lastWeek()->setCurrentIndex(0);
        emit dialog.lastWeek()->activated(0);
        QVERIFY2(ui.finished(), ui.problems().c_str());
        QCOMPARE(dialog.slotList()->count(), 2);
        QCOMPARE(manualTripleCount(*d), 4);

        ui.expect("you want to clear all manually scheduled rooms").answer(Answer::Yes);
        dialog.button("clearAll")->click();
        QVERIFY2(ui.finished(), ui.problems().c_str());
        QVERIFY(dialog.slotList()->item(0)->text().endsWith("MATH - ?"));
        QVERIFY(dialog.width() <= 1280 && dialog.height() <= 800);
    }

    void cycleMapRemovesTheSelectedLines()
    {
        std::vector<CycleDay> lines;
        for (int day = 1; day <= 5; ++day)
            lines.push_back({3, day});
        TCycleMapDlg dialog(lines, 3);
        QCOMPARE(dialog.windowTitle(), QString("Cycle table"));
        QCOMPARE(dialog.list()->item(3)->text(), QString("Week 3, day 4 = Cycle 1"));
        dialog.list()->item(1)->setSelected(true);
        dialog.list()->item(2)->setSelected(true);
        dialog.removeButton()->click();
        QCOMPARE(items(dialog.list()),
                 QStringList({"Week 3, day 1 = Cycle 1", "Week 3, day 4 = Cycle 2",
                              "Week 3, day 5 = Cycle 3"}));
        QCOMPARE(dialog.lines().size(), std::size_t{3});
    }

    void toolsRowsOpenTheDialogsOnTheDemo()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(!frame.action("tools.rooms")->isEnabled());
        ModalDriver driver;
        driver.message("You have used capacity tags", "No");
        QVERIFY(f.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.action("tools.rooms")->isEnabled());
        QVERIFY(frame.action("tools.cycling")->isEnabled());
        QCOMPARE(frame.action("tools.rooms")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));

        int lines = 0;
        driver.expect("TRoomsDlg", "Select rooms manually", [&lines](QDialog *dialog) {
            lines = dialog->findChild<QListWidget *>("slots")->count();
            ModalDriver::press(dialog, "Close");
        });
        frame.action("tools.rooms")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(lines > 0);

        // Cycling: cancelling the first question ends it with nothing changed.
        driver.expect("optionsDialog", "Select the number of cycles",
                      [](QDialog *dialog) { dialog->reject(); });
        frame.action("tools.cycling")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(frame.currentView(), ViewTag::Weeks);

        // The memo panel follows the current code; a click on it enters the memo.
        f.d->currentCode = 1;
        frame.action("tools.memo")->trigger();
        auto *panel = frame.findChild<TMemoPanel *>("memoPanel");
        QVERIFY(panel && !panel->isHidden());
        QVERIFY(frame.action("tools.memo")->isChecked());
        QCOMPARE(panel->memoLabel()->text(), QString("[Click here to enter your memo]"));
        driver.expect("TMemoDlg", {}, [](QDialog *dialog) {
            dialog->findChild<QPlainTextEdit *>("memo")->setPlainText("Bring\nkeys");
            ModalDriver::press(dialog, "OK");
        });
        QTest::mouseClick(panel->memoLabel(), Qt::LeftButton);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(panel->memoLabel()->text(), QString("Bring keys"));
        QCOMPARE(panel->countLabel()->text(), QString("1 memo(s)"));
        // Tools|Clear|9 removes every memo: the panel shows it at once.
        driver.message("memo lines", "Yes").message("memo lines cleared", "OK");
        frame.action("tools.clear9")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(panel->memoLabel()->text(), QString("[Click here to enter your memo]"));
        frame.action("tools.memo")->trigger();
        QVERIFY(panel->isHidden());
    }
};

QTEST_MAIN(RoomsDialogTest)
#include "roomsdialog_test.moc"
