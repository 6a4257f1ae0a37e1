// The Timetables view's cell display options through the real actions of its View menu: the
// marks they add to the master timetable, the code modes as one exclusive group, the options
// kept in the settings, the cell hint, "Hide this hint" and the action counters.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "files/datafile.h"
#include "support/fixture.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QDir>
#include <QTableView>
#include <QtTest>

using namespace quivra;

namespace {

QAction *action(QWidget *view, const QString &id)
{
    for (QAction *a : view->actions())
        if (a->objectName() == id)
            return a;
    return nullptr;
}

// Writes the timetable the screenshot shows: T1's week with MATH's block on Monday, BIO, ART
// and ENG around it, G1 booked on Thursday morning.
void writeSchool(const QString &path)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(1, 5, 6)
        .resources('G', {"G1", "G2", "G3"})
        .resources('T', {"T1", "T2"})
        .resources('R', {"R1"});
    f.event("MATH", {"T1", "G1", "R1"}, 4).allocate("MATH", 1, 1, 4).place("MATH", 1, 1, 1, 2);
    f.event("ENG", {"T2", "G1"}, 2).allocate("ENG", 1, 1, 2).place("ENG", 1, 3, 1, 1);
    f.event("ART", {"T1", "G2"}, 2).allocate("ART", 1, 1, 2).place("ART", 1, 3, 3, 4);
    f.event("BIO", {"T1", "G3"}, 2).allocate("BIO", 1, 1, 2).place("BIO", 1, 3, 1, 1);
    f.event("HIST", {"T1", "G3"}, 2).allocate("HIST", 1, 1, 2).place("HIST", 1, 2, 4, 5);
    f.manualRoom("MATH", 1, 1, 1, "R1").memo("ART", "bring paints");
    f.book("T1", 1, 5, 6, 1).book("G1", 1, 4, 1, 1, 2).comment("[001502];T1;parents' evening");
    f.finish();
    d->codes[f.id("MATH")].colour = 0xA0E0FF;
    d->codes[f.id("ART")].colour = 0xFFD0D0;
    QVERIFY(writeDataFile(*d, path.toStdString()));
}

} // namespace

class TimetableDisplayTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void optionsChangeTheCellsThroughTheViewMenu()
    {
        const QString path = m_dir.filePath("display.qvf");
        writeSchool(path);
        FrameFixture fx;
        fx.frame.resize(1200, 700);
        fx.frame.show();
        QVERIFY(fx.open(path));
        fx.frame.showView(ViewTag::Timetables);
        auto *view = static_cast<TMatsForm *>(fx.frame.view(ViewTag::Timetables));
        QVERIFY(view);
        const auto &shown = view->timetables();
        const auto t1 = std::find(shown.begin(), shown.end(), findCode(*fx.d, "T1"));
        QVERIFY(t1 != shown.end());
        view->chooseTimetable(static_cast<int>(t1 - shown.begin()));
        const auto text = [view](int day, int bell) {
            return view->model()->data(view->model()->index(bell - 1, day - 1)).toString();
        };

        // A click on MATH's block makes it the current event and block.
        QTableView *table = view->table();
        const QRect monday1 = table->visualRect(view->model()->index(0, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, monday1.center());
        QCOMPARE(view->session().event(), findCode(*fx.d, "MATH"));
        QCOMPARE(text(1, 1), QString("MATH (m)"));
        QCOMPARE(text(3, 3), QString("ART [M]"));
        QVERIFY(!action(view, "timetables.display3")->isChecked());

        struct Case
        {
            const char *item;
            int day, bell;
            const char *text;
        };
        const Case cases[] = {
            {"timetables.display3", 4, 1, "[+1]"},           // indicators: G1 booked
            {"timetables.display6", 1, 5, "[>]"},            // move options
            {"timetables.display8", 3, 3, "ART [M] [-1 s]"}, // swap options
        };
        for (const Case &c : cases) {
            QAction *option = action(view, c.item);
            QVERIFY(option && option->isEnabled() && option->isCheckable());
            option->trigger();
            QVERIFY2(option->isChecked(), c.item);
            QCOMPARE(text(c.day, c.bell), QString(c.text));
        }
        // Kept in the settings the frame writes at exit.
        const CellDisplayOptions kept = cellDisplayOptions(fx.settings);
        QVERIFY(kept.on(CellOption::Indicators) && kept.on(CellOption::MoveOptions) &&
                kept.on(CellOption::SwapOptions));
        QVERIFY(view->model()->data(view->model()->index(0, 4), Qt::BackgroundRole).isValid());

        const QString shot = qEnvironmentVariable("QUIVRA_SCREENSHOTS");
        if (!shot.isEmpty()) {
            QCOMPARE(view->linkedTables().size(), std::size_t(2)); // G1 and R1
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QApplication::processEvents();
            fx.frame.grab().save(QDir(shot).filePath("timetables-display.png"));
        }

        // Switched off again, the marks go.
        action(view, "timetables.display6")->trigger();
        QCOMPARE(text(1, 5), QString());

        // The code modes are one exclusive group; the cells follow the one chosen.
        action(view, "timetables.display13")->trigger();
        QVERIFY(action(view, "timetables.display13")->isChecked());
        QVERIFY(!action(view, "timetables.display11")->isChecked());
        QCOMPARE(fx.settings.preferences.codeMode, ShowCodeAndName);
        QVERIFY(text(1, 2).startsWith(
            QString::fromStdString(formatCode(*fx.d, findCode(*fx.d, "MATH"), ShowCodeAndName))));
        action(view, "timetables.display11")->trigger();
        QVERIFY(!action(view, "timetables.display13")->isChecked());
        QCOMPARE(text(1, 2), QString("MATH"));

        // The hint of a free cell previews the double-click; "Hide this hint" turns hints off.
        const QModelIndex tuesday1 = view->model()->index(0, 1);
        QVERIFY(view->model()
                    ->data(tuesday1, Qt::ToolTipRole)
                    .toString()
                    .contains("[Double-click]: Schedule event \"MATH\""));
        action(view, "timetables.hideHint")->trigger();
        QVERIFY(!action(view, "timetables.display10")->isChecked());
        QVERIFY(!view->model()->data(tuesday1, Qt::ToolTipRole).toString().contains("[Double"));

        // A double-click is counted; the counters are shown and reset.
        // (The view takes a double-click on the cell the press before it chose.)
        const QPoint at = table->visualRect(tuesday1).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(text(2, 1), QString("MATH"));
        ModalDriver driver;
        driver.message("Double-clicks: 1", "Yes");
        action(view, "timetables.counters")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(view->doubleClicks(), 0);
    }
};

QTEST_MAIN(TimetableDisplayTest)
#include "timetabledisplay_test.moc"
