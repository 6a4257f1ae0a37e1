// The Timetables view's panels through the real widgets on the offscreen platform: the week
// choice opens a week, a click on a line of the quality grid or a cell of the bird's eye view
// makes its timetable current (by weeks, its week), and the fit panel's Add stores one more
// period. On the demo institution every panel shows something (with QUIVRA_SCREENSHOTS set to
// a folder, their pictures go there).

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/lecturestore.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "views/timetablepanels.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace quivra;

namespace {

int allocatedIn(const ScheduleData &d, std::string_view code, int week)
{
    WeekAllocation wa;
    loadWeekAllocation(d, findCode(d, code), wa);
    return wa.allocated[static_cast<std::size_t>(week)];
}

void trigger(TMatsForm *view, const QString &id)
{
    for (QAction *action : view->actions())
        if (action->objectName() == id) {
            action->trigger();
            return;
        }
    QFAIL(qPrintable("no action " + id));
}

void click(QTableView *table, int row, int column)
{
    const QModelIndex cell = table->model()->index(row, column);
    table->scrollTo(cell);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(cell).center());
}

QPushButton *buttonOf(QWidget *panel, const QString &caption)
{
    for (QPushButton *b : panel->findChildren<QPushButton *>())
        if (b->text() == caption)
            return b;
    return nullptr;
}

void shot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("QUIVRA_SCREENSHOTS");
    if (!dir.isEmpty())
        widget->grab().save(QDir(dir).filePath(name));
}

} // namespace

class TimetablePanelsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Two weeks of 5 days × 6 bells; T2 has a gap of two bells on Monday of week 1.
    QString institution()
    {
        const QString path = m_dir.filePath("panels.qvf");
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(2, 5, 6).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"T1", "G1"}, 4).allocate("MATH", 1, 2, 2);
        f.event("ENG", {"T2", "G1"}, 1).allocate("ENG", 1, 1, 1);
        f.event("ART", {"T1", "G2"}, 1).allocate("ART", 2, 2, 1);
        f.event("BIO", {"T2", "G2"}, 3).allocate("BIO", 1, 1, 3);
        f.place("MATH", 1, 1, 1, 1).place("ENG", 1, 1, 2, 2).place("BIO", 1, 1, 5, 5);
        f.place("MATH", 2, 3, 4, 5).finish();
        return writeDataFile(*d, path.toStdString()) ? path : QString();
    }

    static TMatsForm *timetables(TFrameForm &frame)
    {
        frame.setActiveWeek(1);
        frame.showView(ViewTag::Timetables);
        return static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
    }

private slots:
    void weekChoiceOpensTheWeek()
    {
        FrameFixture fx;
        QVERIFY(fx.open(institution()));
        TMatsForm *view = timetables(fx.frame);
        auto *weeks = view->findChild<QComboBox *>("weekChoice");
        QVERIFY(weeks);
        QCOMPARE(weeks->count(), 2);
        QVERIFY(weeks->itemText(0).endsWith("(3 out of 6 left)"));
        QCOMPARE(weeks->currentIndex(), 0);
        emit weeks->activated(1);
        QCOMPARE(fx.frame.activeWeek(), 2);
        QCOMPARE(view->session().week(), 2);
        QCOMPARE(weeks->currentIndex(), 1);
        QVERIFY(view->statusLine()->text().startsWith("4 timetables defined"));
    }

    void qualityRowAndBirdsEyeCellMakeTheirTimetableCurrent()
    {
        FrameFixture fx;
        QVERIFY(fx.open(institution()));
        fx.frame.resize(1200, 800);
        fx.frame.show();
        TMatsForm *view = timetables(fx.frame);
        const ScheduleData &d = *fx.d;
        view->chooseTimetable(0);

        trigger(view, "timetables.quality");
        TimetablesQuality &quality = qualityOf(*view);
        QVERIFY(quality.isVisible());
        QTableWidget *grid = quality.table();
        QVERIFY(grid->rowCount() >= 1);
        QVERIFY(grid->item(0, 0)->text().startsWith("T2"));
        click(grid, 0, 0);
        QTRY_COMPARE(view->resource(), findCode(d, "T2"));

        trigger(view, "timetables.birdsEye");
        TimetablesBirdsEye &birds = birdsEyeOf(*view);
        BirdsEyeModel *lines = birds.model();
        QCOMPARE(lines->rowCount(), 4);
        QCOMPARE(lines->columnCount(), 30);
        int g1 = -1;
        for (int r = 0; r < lines->rowCount(); ++r)
            if (lines->headerData(r, Qt::Vertical, Qt::DisplayRole).toString() == "G1")
                g1 = r;
        QVERIFY(g1 >= 0);
        QCOMPARE(lines->index(g1, 1).data().toString(), QString("ENG"));
        // Monday bell 2 of G1: G1 becomes the master, the cell its current cell.
        click(birds.table(), g1, 1);
        QTRY_COMPARE(view->resource(), findCode(d, "G1"));
        QCOMPARE(view->table()->currentIndex().row(), 1);
        QCOMPARE(view->table()->currentIndex().column(), 0);

        // By weeks: G1's weeks; a click on week 2 opens it.
        buttonOf(&birds, "Switch view")->click();
        QVERIFY(birds.stripShown());
        QCOMPARE(lines->rowCount(), 2);
        click(birds.table(), 1, 0);
        QTRY_COMPARE(fx.frame.activeWeek(), 2);
        QCOMPARE(view->session().week(), 2);
    }

    void fitPanelAddsAPeriodToTheChosenEvent()
    {
        FrameFixture fx;
        QVERIFY(fx.open(institution()));
        fx.frame.resize(1200, 800);
        fx.frame.show();
        TMatsForm *view = timetables(fx.frame);
        const ScheduleData &d = *fx.d;
        for (int i = 0; i < view->timetableCount(); ++i)
            if (view->timetables()[static_cast<std::size_t>(i)] == findCode(d, "T1"))
                view->chooseTimetable(i);
        QTableView *master = view->table();
        QTest::mouseClick(master->viewport(), Qt::LeftButton, {},
                          master->visualRect(view->model()->index(2, 0)).center());
        QCOMPARE(view->session().current().bell, 3);

        trigger(view, "timetables.fit");
        TimetablesFit &fit = fitOf(*view);
        QCOMPARE(fit.list()->count(), 2); // MATH and ART
        for (int row = 0; row < fit.list()->count(); ++row)
            if (fit.list()->item(row)->text().startsWith("MATH"))
                fit.list()->setCurrentRow(row);
        buttonOf(&fit, "Add")->click();
        QCOMPARE(allocatedIn(d, "MATH", 1), 3);
        QVERIFY(view->statusLine()->text().contains("has now 3 ALLOCATED and 1 SCHEDULED"));
        QVERIFY(fit.list()->currentItem()->text().contains("ALLOC 3"));
        // Clear: MATH keeps only what is scheduled.
        buttonOf(&fit, "Clear")->click();
        QCOMPARE(allocatedIn(d, "MATH", 1), 1);
    }

    void panelsShowTheDemo()
    {
        FrameFixture fx;
        ModalDriver driver;
        driver.message("You have used capacity tags", "No");
        QVERIFY(fx.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        QVERIFY(driver.finished());
        fx.frame.resize(1280, 800);
        fx.frame.show();
        TMatsForm *view = timetables(fx.frame);
        QVERIFY(view->timetableCount() > 0);
        view->chooseTimetable(0);
        // The first cell of the master that some events fit.
        QTableView *master = view->table();
        const ScheduleData &d = *fx.d;
        QModelIndex free;
        for (int day = 1; day <= 5 && !free.isValid(); ++day)
            for (int bell = 1; bell <= 8 && !free.isValid(); ++bell)
                if (fitEvents(d, view->session(), day, bell).size() >= 3)
                    free = view->model()->index(bell - 1, day - 1);
        QVERIFY(free.isValid());
        QTest::mouseClick(master->viewport(), Qt::LeftButton, {},
                          master->visualRect(free).center());

        trigger(view, "timetables.birdsEye");
        QVERIFY(birdsEyeOf(*view).model()->rowCount() > 0);
        shot(&birdsEyeOf(*view), "timetables-birdseye.png");
        trigger(view, "timetables.quality");
        QVERIFY(qualityOf(*view).table()->rowCount() > 0);
        shot(&qualityOf(*view), "timetables-quality.png");
        trigger(view, "timetables.fit");
        QVERIFY(fitOf(*view).list()->count() >= 3);
        shot(&fitOf(*view), "timetables-fit.png");
    }
};

QTEST_MAIN(TimetablePanelsTest)
#include "timetablepanels_test.moc"
