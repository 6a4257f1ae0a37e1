// The tools beside the Resources and the Events list on the offscreen platform: the link list,
// the snapshot with its week buttons, the weekly periods grid and its switches, and locking the
// current event from the Events view's keys.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "views/codelistform.h"
#include "views/codelisttools.h"
#include "views/weeklyperiodsmodel.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace quivra;

class EventToolsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Three weeks; G1 is in MATH (2 periods a week in weeks 1 and 2, two scheduled on Monday of
    // week 1) and in ENG (none allocated).
    QString writeFixture()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(3, 5, 6).resources('G', {"G1"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"G1", "T1"}, 4).event("ENG", {"G1", "T2"}, 2);
        f.allocate("MATH", 1, 2, 2).place("MATH", 1, 1, 1, 2);
        f.finish();
        const QString path = m_dir.filePath("tools.qvf");
        if (!writeDataFile(*d, path.toStdString()))
            qFatal("cannot write the fixture");
        return path;
    }

    // The action as its menu shows it: enabled and checked as the view now stands.
    static QAction *action(ViewForm *view, const char *id)
    {
        updateViewCommands(*view);
        auto *a = view->findChild<QAction *>(QString::fromLatin1(id));
        if (!a)
            qFatal("no action %s", id);
        return a;
    }

private slots:
    void linkListAndSnapshotFollowTheCurrentResource()
    {
        FrameFixture f;
        QVERIFY(f.open(writeFixture()));
        auto *view = static_cast<CodeListForm *>(f.frame.view(ViewTag::Resources));
        CodeListTools *tools = view->tools();
        QVERIFY(!tools->isVisibleTo(view));
        QCOMPARE(view->selectedCode(), findCode(*f.d, "G1"));

        action(view, "resources.links")->trigger();
        QVERIFY(tools->linkList()->isVisibleTo(view));
        QCOMPARE(tools->linkList()->count(), 3);
        QVERIFY(tools->linkList()->item(0)->text().startsWith("G1"));
        QVERIFY(tools->linkList()->item(1)->text().startsWith("MATH"));
        QVERIFY(tools->linkList()->item(1)->toolTip().startsWith("[Double-click] to remove"));
        QVERIFY(action(view, "resources.links")->isChecked());

        // A double-click on an event of the list offers to change G1 in it; no other group can
        // take its place, which is said, and nothing changes.
        ModalDriver driver;
        driver.message("Resource \"G1\" cannot be replaced with another resource", "OK");
        tools->linkList()->setCurrentRow(2);
        QVERIFY(tools->linkList()->item(2)->text().startsWith("ENG"));
        emit tools->linkList()->itemDoubleClicked(tools->linkList()->item(2));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(tools->linkList()->count(), 3);
        QCOMPARE(int(collectionOf(*f.d, findCode(*f.d, "ENG"))[0]), 2);
        tools->linkList()->setCurrentRow(0); // the snapshot shows G1 again

        action(view, "resources.snapshot")->trigger();
        QVERIFY(tools->snapshot()->isVisibleTo(view));
        QCOMPARE(tools->snapshot()->item(0, 0)->text(), QString("MA"));
        QVERIFY(tools->weekLabel()->text().endsWith("(2 h)"));
        QVERIFY(!tools->previousWeek()->isEnabled());
        tools->nextWeek()->click();
        QCOMPARE(tools->snapshotWeek(), 2);
        QVERIFY(tools->weekLabel()->text().endsWith("(0 h)"));
        tools->nextWeek()->click();
        QVERIFY(!tools->nextWeek()->isEnabled());

        // Another resource in the list: the links follow it.
        view->table()->setCurrentIndex(
            view->model()->index(view->model()->rowOf(findCode(*f.d, "T2")), 0));
        QCOMPARE(tools->linkList()->count(), 2);
        QVERIFY(tools->linkList()->item(1)->text().startsWith("ENG"));
        action(view, "resources.links")->trigger();
        action(view, "resources.snapshot")->trigger();
        QVERIFY(!tools->isVisibleTo(view));
    }

    void weeklyPeriodsReplaceTheListAndCountAsSwitched()
    {
        FrameFixture f;
        QVERIFY(f.open(writeFixture()));
        f.settings.preferences.multiplied = false;
        f.settings.preferences.cumulative = false;
        f.settings.preferences.timetabled = false;
        auto *view = static_cast<CodeListForm *>(f.frame.view(ViewTag::Resources));
        CodeListTools *tools = view->tools();
        QVERIFY(!action(view, "resources.cumulative")->isEnabled());
        action(view, "resources.weekly")->trigger();
        QVERIFY(tools->weeklyGrid()->isVisibleTo(view));
        QVERIFY(!view->table()->isVisibleTo(view));
        WeeklyPeriodsModel *m = tools->weeklyModel();
        QCOMPARE(m->weekCount(), 3);
        QCOMPARE(m->codeAt(0), findCode(*f.d, "G1"));
        const auto cell = [m](int week) { return m->index(0, week).data().toString(); };
        QCOMPARE(cell(1), QString("2"));
        QCOMPARE(cell(3), QString("-"));

        QVERIFY(action(view, "resources.cumulative")->isEnabled());
        action(view, "resources.cumulative")->trigger();
        QCOMPARE(cell(2), QString("4"));
        QCOMPARE(cell(3), QString("4"));
        QVERIFY(f.settings.preferences.cumulative);
        action(view, "resources.scheduledPeriods")->trigger();
        QCOMPARE(cell(2), QString("2"));
        QVERIFY(action(view, "resources.scheduledPeriods")->isChecked());

        action(view, "resources.weekly")->trigger();
        QVERIFY(view->table()->isVisibleTo(view));
        QVERIFY(!tools->weeklyGrid()->isVisibleTo(view));
    }

    void lockTogglesTheCurrentEvent()
    {
        FrameFixture f;
        QVERIFY(f.open(writeFixture()));
        auto *view = static_cast<CodeListForm *>(f.frame.view(ViewTag::Events));
        // Its key works at once, before any menu has been opened.
        QVERIFY(view->findChild<QAction *>("events.lock")->isEnabled());
        const CodeId e = view->selectedCode();
        QVERIFY(e != 0);
        QVERIFY(!queryLock(*f.d, e));
        action(view, "events.lock")->trigger();
        QVERIFY(queryLock(*f.d, e));
        QVERIFY(f.d->modified);
        QVERIFY(action(view, "events.lockThis")->isChecked());
        action(view, "events.lockThis")->trigger();
        QVERIFY(!queryLock(*f.d, e));
    }
};

QTEST_MAIN(EventToolsTest)
#include "eventtools_test.moc"
