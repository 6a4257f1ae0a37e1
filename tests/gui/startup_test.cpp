// The frame once a file opens: the arrangement of its views, the week they show, and the latest
// files of the File menu.

#include "framefixture.h"
#include "modaldriver.h"

#include "commands/filecommands.h"
#include "commands/session.h"
#include "files/datafile.h"
#include "shell/mainframe.h"
#include "support/fixture.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace quivra;

class StartUpTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A small institution with lectures in weeks 2 and 3 of 4, left at `currentWeek`, its
    // reports dividing by `divider`.
    QString writeFixture(const QString &name, int currentWeek = 1, int divider = 0)
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(4, 5, 6).resources('T', {"T1", "T2"}).resources('R', {"R1"});
        f.event("MATH", {"T1", "R1"}, 2).allocate("MATH", 2, 3, 1);
        f.place("MATH", 2, 1, 1, 1).place("MATH", 3, 2, 1, 1);
        f.finish();
        d->currentWeek = currentWeek;
        d->averageDivider = static_cast<std::uint16_t>(divider);
        const QString path = m_dir.filePath(name);
        if (const Result<void> written = writeDataFile(*d, path.toStdString()); !written)
            qFatal("cannot write the fixture: %s", written.error().detail.c_str());
        return path;
    }

    static QMdiSubWindow *windowOf(TFrameForm &frame, ViewTag tag)
    {
        return qobject_cast<QMdiSubWindow *>(frame.view(tag)->parentWidget());
    }

    static QList<QMdiSubWindow *> windows(TFrameForm &frame)
    {
        QList<QMdiSubWindow *> out;
        for (ViewTag tag :
             {ViewTag::Resources, ViewTag::Events, ViewTag::Weeks, ViewTag::Timetables})
            out.append(windowOf(frame, tag));
        return out;
    }

    static QMenu *fileMenu(TFrameForm &frame)
    {
        for (QAction *action : frame.menuBar()->actions()) {
            if (action->menu() && action->text() == "&File")
                return action->menu();
        }
        return nullptr;
    }

private slots:
    void viewsAreArrangedByWinMode_data()
    {
        QTest::addColumn<int>("winMode");
        QTest::addColumn<int>("maximised"); // the view tag maximised, 0 when none
        QTest::newRow("cascade 0") << 0 << 0;
        QTest::newRow("cascade 1") << 1 << 0;
        QTest::newRow("tile horizontally") << 2 << 0;
        QTest::newRow("tile vertically") << 3 << 0;
        QTest::newRow("Resources") << 11 << 1;
        QTest::newRow("Events") << 12 << 2;
        QTest::newRow("Weeks") << 13 << 3;
        QTest::newRow("Timetables") << 14 << 4;
        QTest::newRow("unknown counts as Resources") << 7 << 1;
    }
    void viewsAreArrangedByWinMode()
    {
        QFETCH(int, winMode);
        QFETCH(int, maximised);
        FrameFixture f;
        TFrameForm &frame = f.frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        f.settings.preferences.winMode = winMode;
        QVERIFY(f.open(writeFixture("arranged.qvf")));

        const QList<QMdiSubWindow *> all = windows(frame);
        for (int i = 0; i < all.size(); ++i)
            QCOMPARE(all[i]->isMaximized(), i + 1 == maximised);
        if (maximised > 0) {
            QCOMPARE(frame.mdiArea()->activeSubWindow(),
                     windowOf(frame, static_cast<ViewTag>(maximised)));
            return;
        }
        const QSize area = frame.mdiArea()->viewport()->size();
        QList<QRect> tiles;
        for (QMdiSubWindow *window : all)
            tiles.append(window->geometry());
        std::sort(tiles.begin(), tiles.end(), [](const QRect &a, const QRect &b) {
            return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
        });
        if (winMode == 2) {
            // Full-width strips, one under the other, filling the area.
            for (int i = 0; i < tiles.size(); ++i) {
                QCOMPARE(tiles[i].width(), area.width());
                QCOMPARE(tiles[i].top(), area.height() * i / 4);
            }
        } else if (winMode == 3) {
            std::sort(tiles.begin(), tiles.end(),
                      [](const QRect &a, const QRect &b) { return a.left() < b.left(); });
            for (int i = 0; i < tiles.size(); ++i) {
                QCOMPARE(tiles[i].height(), area.height());
                QCOMPARE(tiles[i].left(), area.width() * i / 4);
            }
        } else {
            // Cascaded: each window starts below and right of the one before.
            for (int i = 1; i < tiles.size(); ++i) {
                QVERIFY(tiles[i].top() > tiles[i - 1].top());
                QVERIFY(tiles[i].left() > tiles[i - 1].left());
            }
        }
    }

    // A new file starts on its resources, whatever the setting.
    void aNewFileMaximisesTheResourcesView()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        frame.show();
        f.settings.preferences.winMode = 3;
        ModalDriver driver;
        driver.message("Do you want to change these settings now?", "No");
        QVERIFY(openWindows(frame.session(), ""));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(windowOf(frame, ViewTag::Resources)->isMaximized());
    }

    // The views open on the week the file was left at, held within the weeks it schedules;
    // the reports divide by the file's divider, held within the weeks of the coding.
    void viewWeekAndDividerFollowTheFile_data()
    {
        QTest::addColumn<int>("currentWeek");
        QTest::addColumn<int>("viewWeek");
        QTest::addColumn<int>("divider");
        QTest::addColumn<int>("reportDivider");
        QTest::newRow("before the lectures, no divider") << 1 << 2 << 0 << 1;
        QTest::newRow("inside them") << 3 << 3 << 12 << 12;
        QTest::newRow("after them, divider beyond the coding") << 4 << 3 << 300 << 255;
    }
    void viewWeekAndDividerFollowTheFile()
    {
        QFETCH(int, currentWeek);
        QFETCH(int, viewWeek);
        QFETCH(int, divider);
        QFETCH(int, reportDivider);
        FrameFixture f;
        f.frame.show();
        QVERIFY(f.open(writeFixture("week.qvf", currentWeek, divider)));
        QCOMPARE(f.frame.activeWeek(), viewWeek);
        QCOMPARE(f.frame.session().reportDivider, reportDivider);
    }

    // The network, profile and language commands are offered; those that work on the open
    // data set only once there is one.
    void fileCommandsAreOfferedWhenTheyCanRun()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        frame.show();
        const struct
        {
            const char *id;
            bool withoutFile;
        } rows[] = {
            {"file.networkFolder", true},   {"file.networkWrite", false},
            {"file.networkRead", true},     {"file.profileOpen", true},
            {"file.profileSave", true},     {"file.profileFactory", true},
            {"file.languageChange", false}, {"file.languageExtract", true},
        };
        frame.updateCommands();
        for (const auto &row : rows)
            QVERIFY2(frame.action(row.id)->isEnabled() == row.withoutFile, row.id);
        QVERIFY(f.open(writeFixture("offered.qvf")));
        frame.updateCommands();
        for (const auto &row : rows)
            QVERIFY2(frame.action(row.id)->isEnabled(), row.id);
    }

    void theFileMenuListsTheLatestFiles()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        frame.show();
        const QString first = writeFixture("first.qvf");
        const QString second = writeFixture("R&D plan.qvf");
        QVERIFY(f.open(first));
        QVERIFY(f.open(second));

        QMenu *menu = fileMenu(frame);
        QVERIFY(menu);
        QMetaObject::invokeMethod(menu, "aboutToShow");
        QCOMPARE(frame.action("file.latest1")->text(), "&1 " + QString(second).replace("&", "&&"));
        QCOMPARE(frame.action("file.latest2")->text(), "&2 " + first);
        QVERIFY(frame.action("file.latest1")->isVisible());
        for (int k = 3; k <= 10; ++k)
            QVERIFY(!frame.action(QStringLiteral("file.latest%1").arg(k))->isVisible());

        // The second entry opens its file, which moves to the top.
        frame.action("file.latest2")->trigger();
        QCOMPARE(frame.filePath(), first);
        QMetaObject::invokeMethod(menu, "aboutToShow");
        QCOMPARE(frame.action("file.latest1")->text(), "&1 " + first);
        QCOMPARE(frame.action("file.latest2")->text(), "&2 " + QString(second).replace("&", "&&"));

        // Ten entries: the tenth is numbered "1&0".
        for (int k = 1; k <= 10; ++k)
            f.settings.preferences.latestFile[k] = m_dir.filePath("f%1.qvf").arg(k).toStdString();
        QMetaObject::invokeMethod(menu, "aboutToShow");
        QCOMPARE(frame.action("file.latest10")->text(), "1&0 " + m_dir.filePath("f10.qvf"));
        QVERIFY(frame.action("file.latest10")->isVisible());
    }
};

QTEST_MAIN(StartUpTest)
#include "startup_test.moc"
