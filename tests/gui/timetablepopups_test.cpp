// The Timetables view's pop-up menus through the real widgets on the offscreen platform: a right
// click on the event list and on a linked timetable opens their own menu, and an item clicked in
// it changes the data set (one period more; a resource replaced through the real options dialog,
// then taken back with Undo); the linked timetable's cells hint what a double-click does.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/collections.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace quivra;

namespace {

// Right-clicks `view` at `at` (viewport coordinates) as the mouse does.
void rightClick(QAbstractScrollArea *view, QPoint at)
{
    QWidget *viewport = view->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
}

// With QUIVRA_SCREENSHOTS set to a folder, the window with the pop-up menu opened at `at` goes
// there as `name` (a grab of a window leaves out the menus it pops up, and the offscreen screen,
// smaller than the window, pushes them aside).
void shotWithMenu(QWidget *window, QMenu *menu, QPoint at, const QString &name)
{
    const QString dir = qEnvironmentVariable("QUIVRA_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QPixmap picture = window->grab();
    QPainter painter(&picture);
    // Kept inside the window, as a desktop keeps a menu on its screen.
    const QPixmap shown = menu->grab();
    at.setX(std::min(at.x(), picture.width() - shown.width()));
    painter.drawPixmap(at, shown);
    painter.end();
    picture.save(QDir(dir).filePath(name));
}

// The pop-up menu shown now; null when none.
QMenu *shownMenu()
{
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

// Clicks the item `id` of the pop-up menu shown.
bool clickItem(QMenu *menu, const QString &id)
{
    for (QAction *action : menu->actions()) {
        if (action->objectName() != id)
            continue;
        if (!action->isEnabled())
            return false;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        return true;
    }
    return false;
}

std::vector<std::string> membersOf(const ScheduleData &d, std::string_view event)
{
    const MemberList list = collectionOf(d, findCode(d, event));
    std::vector<std::string> codes;
    for (int k = 1; k <= list[0]; ++k)
        codes.push_back(d.codes[list[static_cast<std::size_t>(k)]].code.str());
    return codes;
}

} // namespace

class TimetablePopupsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFixture()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(2, 5, 6).resources('G', {"G1", "G2", "G3"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"T1", "G1"}, 4).allocate("MATH", 1, 1, 2).place("MATH", 1, 1, 1, 1);
        f.event("ENG", {"T2", "G2"}, 2).allocate("ENG", 1, 1, 2).place("ENG", 1, 1, 1, 1);
        f.event("ART", {"T1", "G3"}, 2).allocate("ART", 1, 1, 2).place("ART", 1, 2, 2, 3);
        f.event("PE", {"T2", "G1"}, 1).allocate("PE", 1, 1, 1).place("PE", 1, 3, 4, 4);
        f.finish();
        const QString path = m_dir.filePath("popups.qvf");
        if (!writeDataFile(*d, path.toStdString()))
            qFatal("cannot write the fixture");
        return path;
    }

private slots:
    void popUpMenusOfTheEventListAndTheLinkedTimetables()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        ScheduleData &d = *f.d;
        frame.resize(1200, 800);
        frame.show();
        QVERIFY(f.open(writeFixture()));
        frame.action("view.4")->trigger();
        auto *view = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
        d.currentCode = findCode(d, "T1");
        view->followCurrentCode();
        QCOMPARE(view->resource(), findCode(d, "T1"));
        QVERIFY(QTest::qWaitForWindowExposed(view));

        // The event list's own menu, on MATH's line, which the right click makes current.
        QListWidget *list = view->eventList();
        QCOMPARE(list->count(), 2);
        rightClick(list, list->visualItemRect(list->item(0)).center());
        QMenu *menu = shownMenu();
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("Event list"));
        QCOMPARE(view->session().event(), findCode(d, "MATH"));
        QVERIFY(clickItem(menu, "timetables.periodAdd"));
        QTRY_COMPARE(view->statusLine()->text(),
                     QStringLiteral("Event \"MATH\" has now 3 ALLOCATED and 1 SCHEDULED periods "
                                    "in this week."));
        QCOMPARE(int(d.codes[findCode(d, "MATH")].planned), 5);

        // The linked timetable of G1: its hint, then its menu, which names G1 and MATH.
        QTRY_COMPARE(view->linkedTables().size(), std::size_t(1));
        QTableView *g1 = view->linkedTables().front();
        QTRY_VERIFY(g1->isVisible() && g1->viewport()->height() > 0);
        QCOMPARE(g1->objectName(), QStringLiteral("linked_G1"));
        const QPoint cell = g1->visualRect(g1->model()->index(0, 0)).center();
        emit g1->entered(g1->model()->index(0, 0));
        QCOMPARE(view->statusLine()->text(), QStringLiteral("[Double-click] to activate \"G1\""));
        rightClick(g1, cell);
        menu = shownMenu();
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("Linked timetables"));
        QAction *remove = view->findChild<QAction *>("timetables.removeLinked");
        QVERIFY(remove);
        QCOMPARE(remove->text(), QStringLiteral("Remove \"G1\" from event \"MATH\""));
        shotWithMenu(&frame, menu, g1->viewport()->mapTo(&frame, cell), "timetables-popup.png");

        // G2 is busy with ENG when MATH is, so G3 is the one resource offered.
        ModalDriver driver;
        driver.option("Replace \"G1\" in event \"MATH\"", 0);
        QVERIFY(clickItem(menu, "timetables.replaceLinked"));
        QTRY_VERIFY2(driver.finished(), qPrintable(driver.problems()));
        QTRY_COMPARE(membersOf(d, "MATH"), (std::vector<std::string>{"T1", "G3"}));
        QTRY_COMPARE(view->linkedTables().front()->objectName(), QStringLiteral("linked_G3"));

        // Undo puts G1 back.
        view->findChild<QAction *>("timetables.undo")->trigger();
        QCOMPARE(membersOf(d, "MATH"), (std::vector<std::string>{"T1", "G1"}));
        QTRY_COMPARE(view->linkedTables().front()->objectName(), QStringLiteral("linked_G1"));

        // Hiding G1's category empties the panel; its menu there shows them all again.
        g1 = view->linkedTables().front();
        QTRY_VERIFY(g1->isVisible() && g1->viewport()->height() > 0);
        rightClick(g1, cell);
        QVERIFY(shownMenu());
        QVERIFY(clickItem(shownMenu(), "timetables.hideCategory"));
        QTRY_VERIFY(view->linkedTables().empty());
        auto *panel = view->findChild<QScrollArea *>("linkedTimetables");
        QVERIFY(panel);
        rightClick(panel, QPoint(20, 20));
        QVERIFY(shownMenu());
        QCOMPARE(shownMenu()->title(), QStringLiteral("Linked timetables"));
        QVERIFY(clickItem(shownMenu(), "timetables.showCategories"));
        QTRY_COMPARE(view->linkedTables().size(), std::size_t(1));
    }
};

QTEST_MAIN(TimetablePopupsTest)
#include "timetablepopups_test.moc"
