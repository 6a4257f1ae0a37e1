// Bookings and event schedules through the system clipboard and the views' actions: the
// Resources view's "11 Bookings" goes out, the Timetables view's "1 Bookings to current week"
// takes only the active week's rows and its timetable shows the new booking at once, and the
// Events view's "5 Timetables" places a pasted row through its two questions.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "views/timetablemodel.h"
#include "views/timetablesview.h"
#include "views/viewcommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace quivra;

class BookingClipboardTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static QAction *action(ViewForm *view, const char *id)
    {
        updateViewCommands(*view);
        auto *a = view->findChild<QAction *>(QString::fromLatin1(id));
        if (!a)
            qFatal("no action %s", id);
        return a;
    }

    // Two weeks of three days and three bells; T1 booked on day 1 of week 1, A1 placed there on
    // day 2, B2 (with T1) allocated.
    bool open(FrameFixture &frame, const char *name)
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(2, 3, 3).resources('G', {"G1"}).resources('T', {"T1", "T2"});
        f.event("A1", {"G1", "T1"}, 2).allocate("A1", 1, 1, 2).place("A1", 1, 2, 1, 2);
        f.event("B2", {"G1", "T1"}, 1).allocate("B2", 1, 1, 1);
        f.book("T1", 1, 1, 1, 1, 2);
        f.finish();
        const QString path = m_dir.filePath(name);
        return writeDataFile(*d, path.toStdString()) && frame.open(path);
    }

private slots:
    void bookingsGoOutAndComeBackIntoTheActiveWeek()
    {
        FrameFixture frame;
        QVERIFY(open(frame, "bookings.qvf"));
        ModalDriver driver;
        driver.message("copied to the Clipboard", "OK");
        action(frame.frame.view(ViewTag::Resources), "resources.copyBookings")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(QApplication::clipboard()->text(), QString("T1\t1\t1\t1\t2\t1\r\n"));

        frame.frame.showView(ViewTag::Timetables);
        auto *view = static_cast<TMatsForm *>(frame.frame.view(ViewTag::Timetables));
        QVERIFY(view);
        const CodeId t2 = findCode(*frame.d, "T2");
        const auto &shown = view->timetables();
        const auto at = std::find(shown.begin(), shown.end(), t2);
        QVERIFY(at != shown.end());
        view->chooseTimetable(static_cast<int>(at - shown.begin()));

        // T2 booked on day 3 in week 1 and in week 2: only week 1's row is taken.
        QApplication::clipboard()->setText("T2\t1\t3\t2\t3\t2\nT2\t2\t3\t1\t1\t1\n");
        driver.message("pastes the timetable bookings", "Yes");
        driver.message("2 booked slots out of 2 slots added, 0 out of 2 rows omitted.", "OK");
        action(view, "timetables.paste1")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        WeekTimetable week1, week2;
        bookingTimetableOf(*frame.d, t2, 1, week1);
        bookingTimetableOf(*frame.d, t2, 2, week2);
        QCOMPARE(cellKind(week1.cell(3, 2)), 2);
        QCOMPARE(cellKind(week1.cell(3, 3)), 2);
        QCOMPARE(week2.cell(3, 1), CellWord(0));
        QVERIFY(frame.d->modified);
        // The master timetable shows the booking without another refresh.
        const QString cell = view->model()->index(1, 2).data().toString();
        QVERIFY2(!cell.isEmpty(), "the booked cell shows its kind");
    }

    void theEventsViewPastesTimetableRows()
    {
        FrameFixture frame;
        QVERIFY(open(frame, "timetables.qvf"));
        ViewForm *view = frame.frame.view(ViewTag::Events);
        QVERIFY(view);
        // B2 on day 1, bells 1-3: T1's booking keeps it out of bells 1-2.
        QApplication::clipboard()->setText("B2\t1\t1\t1\t3\r\nZZ\t1\t1\t1\t1\r\n");
        ModalDriver driver;
        driver.message("pastes event timetables", "Yes");
        driver.message("Adjust the weekly allocated periods", "No");
        driver.message("1 event timetable slots out of 3 slots added, 1 out of 2 rows omitted.",
                       "OK");
        action(view, "events.paste5")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        WeekTimetable t;
        weekTimetableOf(*frame.d, findCode(*frame.d, "B2"), 1, t);
        QCOMPARE(cellCode(*frame.d, t.cell(1, 3)), findCode(*frame.d, "B2"));
        QCOMPARE(t.cell(1, 1), CellWord(0));
    }
};

QTEST_MAIN(BookingClipboardTest)
#include "bookingclipboard_test.moc"
