// The collections editor and Modify collections on the offscreen platform: the dialogs show what
// the editor holds and forward the clicks; Cancel keeps the data set; the frame's Ctrl+M and the
// views' rows open them.

#include "framefixture.h"
#include "modaldriver.h"

#include "commands/collectionseditor.h"
#include "commands/modifycollections.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "shell/collectionsdialog.h"
#include "shell/mainframe.h"
#include "shell/modifycollectionsdialog.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"
#include "views/qtext.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace quivra;

namespace {

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text().section(':', 0, 0);
    return out;
}

void select(QListWidget *list, const QString &code)
{
    list->clearSelection();
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().section(':', 0, 0) == code)
            list->item(i)->setSelected(true);
}

// MATH meets on Monday, bell 1, of week 1, as ART does with G2 and T2.
void buildSchool(FixtureBuilder &f)
{
    f.calendar(2, 5, 4).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2", "T3"});
    f.event("MATH", {"G1", "T1"}, 2).allocate("MATH", 1, 1, 1).place("MATH", 1, 1, 1, 1);
    f.event("ART", {"G2", "T2"}, 1).allocate("ART", 1, 1, 1).place("ART", 1, 1, 1, 1);
    f.finish();
}

} // namespace

class CollectionsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void editorDialogShowsTheEditorAndForwardsClicks()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        buildSchool(f);
        const std::string before = dumpScheduleData(*d);
        ScriptedDialogs ui;
        Prompter p(ui);
        {
            CollectionsEditor editor(*d, p, CollectionsMode::Event, f.id("MATH"));
            TCourseDualBox dialog(editor);
            QCOMPARE(items(dialog.leftList()), QStringList({"G1", "T1"}));
            QCOMPARE(items(dialog.rightList()), QStringList({"T3"}));
            QCOMPARE(dialog.rightTitle()->text(),
                     QString("Why 2 out of 5 resources are unselectable?"));
            QVERIFY(dialog.button("conflicts")->isEnabled());

            select(dialog.rightList(), "T3");
            dialog.button("add")->click();
            QCOMPARE(items(dialog.leftList()), QStringList({"G1", "T1", "T3"}));
            dialog.leftList()->setCurrentRow(2);
            dialog.button("up")->click();
            QCOMPARE(items(dialog.leftList()), QStringList({"G1", "T3", "T1"}));
            dialog.nameEdit()->setText("Algebra");
            dialog.button("cancel")->click();
            QCOMPARE(dumpScheduleData(*d), before);
        }
        {
            CollectionsEditor editor(*d, p, CollectionsMode::Event, f.id("MATH"));
            TCourseDualBox dialog(editor);
            select(dialog.leftList(), "T1");
            dialog.button("remove")->click();
            dialog.codeEdit()->setText("ART");
            ui.expect("already used").answer(Answer::Ok);
            ui.expect("Enter new code for").type("ALGEBRA");
            dialog.button("ok")->click();
            QVERIFY2(ui.finished(), ui.problems().c_str());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            const CodeId algebra = findCode(*d, "ALGEBRA");
            QVERIFY(algebra != 0);
            QCOMPARE(int{collectionOf(*d, algebra)[0]}, 1);
            QVERIFY(dialog.width() <= 1280 && dialog.height() <= 800);
        }
        {
            // Erase unschedules at once; Cancel cannot take it back, and closing stores.
            const CodeId algebra = findCode(*d, "ALGEBRA");
            CollectionsEditor editor(*d, p, CollectionsMode::Event, algebra);
            TCourseDualBox dialog(editor);
            QVERIFY(dialog.button("erase")->isEnabled());
            dialog.button("erase")->click();
            QCOMPARE(int(d->codes[algebra].scheduled), 0);
            QVERIFY(!dialog.button("erase")->isEnabled());
            QVERIFY(!dialog.button("cancel")->isEnabled());
            dialog.reject();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY2(ui.finished(), ui.problems().c_str());
        }
    }

    void modifyDialogNarrowsTheListsAndAdds()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        buildSchool(f);
        ScriptedDialogs ui;
        Prompter p(ui);
        ModifyCollections state(*d, p);
        TAddCompDlg dialog(state);
        QCOMPARE(items(dialog.eventList()), QStringList({"MATH", "ART"}));
        dialog.eventList()->setCurrentRow(0);
        QCOMPARE(items(dialog.resourceList()), QStringList({"T3"}));
        QCOMPARE(items(dialog.linkList()), QStringList({"G1", "T1"}));
        dialog.conflicts()->setChecked(true);
        QCOMPARE(items(dialog.resourceList()), QStringList({"G1", "G2", "T1", "T2"}));
        dialog.resourceList()->setCurrentRow(1); // G2, busy with ART
        // The slot where G2 is busy is drawn red; a double-click marks it, Clear unschedules it.
        QCOMPARE(dialog.slotList()->item(0)->foreground().color(), QColor(0xc0, 0, 0));
        QCOMPARE(dialog.slotList()->item(0)->text().left(3), QString("[_]"));
        QVERIFY(!dialog.button("add")->isEnabled());
        QVERIFY(dialog.button("clear")->isEnabled());
        // The grid shows both weeks, each with a separator column: week 1 Monday bell 1 is
        // the conflict; Enter there marks the slot as the list's double-click does.
        QTableWidget *grid = dialog.weekGrid();
        QCOMPARE(grid->columnCount(), 12);
        QCOMPARE(grid->rowCount(), 4);
        QCOMPARE(grid->item(0, 0)->text(), QString("X"));
        QVERIFY(grid->item(0, 6)->text().isEmpty());
        grid->setFocus();
        grid->setCurrentCell(0, 0);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->item(0, 0)->text(), QString("[X]"));
        QCOMPARE(dialog.slotList()->item(0)->text().left(3), QString("[X]"));
        emit dialog.slotList()->itemDoubleClicked(dialog.slotList()->item(0));
        QCOMPARE(grid->item(0, 0)->text(), QString("X"));
        emit dialog.slotList()->itemDoubleClicked(dialog.slotList()->item(0));
        QCOMPARE(dialog.slotList()->item(0)->text().left(3), QString("[X]"));
        dialog.button("clear")->click();
        QVERIFY(dialog.changedData());
        QCOMPARE(dialog.slotList()->count(), 0);
        QCOMPARE(int(d->codes[f.id("MATH")].scheduled), 0);

        dialog.conflicts()->setChecked(false);
        dialog.resourceList()->setCurrentRow(dialog.resourceList()->count() - 1); // T3
        dialog.button("add")->click();
        QCOMPARE(items(dialog.linkList()), QStringList({"G1", "T1", "T3"}));
        QVERIFY(dialog.width() <= 1280 && dialog.height() <= 800);
        QVERIFY2(ui.finished(), ui.problems().c_str());
    }

    void scheduleModeEditsTheWeekGridAndSaves()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        buildSchool(f);
        const CodeId math = f.id("MATH");
        ScriptedDialogs ui;
        Prompter p(ui);
        CollectionsEditor editor(*d, p, CollectionsMode::Event, math);
        TCourseDualBox dialog(editor);
        QCOMPARE(dialog.button("schedule")->text(), QString("Schedule now"));
        dialog.button("schedule")->click();
        QTableWidget *grid = dialog.scheduleGrid();
        QVERIFY(grid->isVisibleTo(&dialog));
        QCOMPARE(grid->columnCount(), 5);
        QCOMPARE(grid->rowCount(), 4);
        QCOMPARE(grid->item(0, 0)->text(), QString("MATH"));
        QVERIFY(!dialog.leftList()->isEnabled());
        QVERIFY(!dialog.button("add")->isEnabled());
        QVERIFY(!dialog.button("save")->isEnabled());

        // Enter on Tuesday, bell 2, schedules MATH there; a second Enter takes it back.
        grid->setFocus();
        grid->setCurrentCell(1, 1);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(grid->item(1, 1)->text(), QString("MATH"));
        QVERIFY(dialog.button("save")->isEnabled());
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(grid->item(1, 1)->text().isEmpty());
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(d->codes[math].scheduled, 1);
        dialog.button("save")->click();
        QCOMPARE(d->codes[math].scheduled, 2);
        QVERIFY(!dialog.button("cancel")->isEnabled());

        // The grid's menu fills the row; leaving asks about the unsaved slots.
        grid->setCurrentCell(2, 0);
        dialog.action("Fill this row")->trigger();
        QCOMPARE(grid->item(2, 4)->text(), QString("MATH"));
        ui.expect("Do you want to save these 5 schedule change(s)?").answer(Answer::No);
        dialog.button("schedule")->click();
        QVERIFY(!grid->isVisibleTo(&dialog));
        QVERIFY(dialog.leftList()->isEnabled());
        QCOMPARE(d->codes[math].scheduled, 2);
        QVERIFY2(ui.finished(), ui.problems().c_str());
    }

    void listMenusSelectAndSwitchFields()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        buildSchool(f);
        ScriptedDialogs ui;
        Prompter p(ui);
        CollectionsEditor editor(*d, p, CollectionsMode::Event, f.id("MATH"));
        TCourseDualBox dialog(editor);
        dialog.leftList()->setFocus();
        const QString shortText = dialog.leftList()->item(0)->text();
        const auto actions = dialog.leftList()->actions();
        auto find = [&](const QString &caption) -> QAction * {
            for (QAction *a : actions)
                if (a->text() == caption)
                    return a;
            return nullptr;
        };
        QVERIFY(find("Select All") && find("Unselect All"));
        find("Select All")->trigger();
        QCOMPARE(dialog.leftList()->selectedItems().size(), 2);
        find("Unselect All")->trigger();
        QCOMPARE(dialog.leftList()->selectedItems().size(), 0);
        find("Left box fields change")->trigger();
        QVERIFY(dialog.leftList()->item(0)->text() != shortText);
        QVERIFY(dialog.leftList()->item(0)->text().contains("G1"));
        find("Left box fields change")->trigger();
        QCOMPARE(dialog.leftList()->item(0)->text(), shortText);

        // Rename category renames the category of the line the user points at.
        dialog.leftList()->setCurrentRow(0);
        ui.expect("Enter a new name for the category \"Groups\"").type("Forms");
        find("Rename category")->trigger();
        QCOMPARE(toQString(d->resourceCategories.view()).section('$', 0, 0), QString("G:Forms"));
        QVERIFY2(ui.finished(), ui.problems().c_str());
    }

    void frameAndViewRowsOpenTheDialogs()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        ModalDriver driver;
        driver.message("You have used capacity tags", "No");
        QVERIFY(f.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QAction *tools = frame.action("tools.collections");
        QVERIFY(tools->isEnabled());
        QCOMPARE(tools->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));

        int events = 0;
        driver.expect("TAddCompDlg", "Modify collections", [&events](QDialog *dialog) {
            events = dialog->findChild<QListWidget *>()->count();
            ModalDriver::press(dialog, "Close");
        });
        tools->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(events > 0);

        // New and Edit of both lists open the editor too; Cancel keeps the data set.
        struct Row
        {
            ViewTag tag;
            const char *id;
            const char *caption;
        };
        const Row rows[] = {
            {ViewTag::Events, "events.collections", "Edit event"},
            {ViewTag::Resources, "resources.collections", "Edit resource"},
            {ViewTag::Events, "events.new", "Create a new event"},
            {ViewTag::Events, "events.edit", "Edit event"},
            {ViewTag::Resources, "resources.new", "Create a new resource"},
            {ViewTag::Resources, "resources.edit", "Edit resource"},
        };
        const std::string before = dumpScheduleData(frame.data());
        for (const Row &row : rows) {
            ViewForm *view = frame.view(row.tag);
            QVERIFY2(view, row.id);
            auto *action = view->findChild<QAction *>(row.id);
            QVERIFY2(action, row.id);
            QVERIFY2(action->isEnabled(), row.id);
            driver.expect("TCourseDualBox", row.caption,
                          [](QDialog *dialog) { ModalDriver::press(dialog, "Cancel"); });
            action->trigger();
            QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        }
        QCOMPARE(dumpScheduleData(frame.data()), before);
    }
};

QTEST_MAIN(CollectionsDialogTest)
#include "collectionsdialog_test.moc"
