// The main frame on the offscreen platform: opening data files, the views it shows, its
// command table.

#include "framefixture.h"
#include "modaldriver.h"

#include "commands/filecommands.h"
#include "commands/session.h"
#include "commands/startup.h"
#include "engine/codetable.h"
#include "files/datafile.h"
#include "shell/mainframe.h"
#include "support/fixture.h"
#include "views/codelistform.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace quivra;

class FrameTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A small institution saved as a data file; returns its path.
    QString writeFixture(const QString &name)
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(3, 5, 6).resources('G', {"G1"}).resources('T', {"T1", "T2"});
        f.resources('R', {"R1"});
        f.event("MATH", {"G1", "T1", "R1"}, 4).event("ENG", {"G1", "T2"}, 2);
        f.allocate("MATH", 1, 2, 2).place("MATH", 1, 1, 1, 2);
        f.memo("T1", "part time");
        f.finish();
        const QString path = m_dir.filePath(name);
        const Result<void> written = writeDataFile(*d, path.toStdString());
        if (!written)
            qFatal("cannot write the fixture: %s", written.error().detail.c_str());
        return path;
    }

private slots:
    void opensFileAndShowsFourViews()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(!frame.viewsExist());
        QVERIFY(!frame.action("window.refresh")->isEnabled());

        QVERIFY(f.open(writeFixture("school.qvf")));
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 4);
        QVERIFY(frame.windowTitle().contains("school.qvf"));
        QCOMPARE(frame.view(ViewTag::Resources)->windowTitle(), QString("Resources: 4"));
        QCOMPARE(frame.view(ViewTag::Events)->windowTitle(), QString("Events: 2"));
        QCOMPARE(frame.view(ViewTag::Weeks)->windowTitle(), QString("Weeks: 3"));
        QVERIFY(frame.action("window.refresh")->isEnabled());

        // Closing a view only hides it; its command brings it back.
        auto *weeks = qobject_cast<QMdiSubWindow *>(frame.view(ViewTag::Weeks)->parentWidget());
        QVERIFY(weeks && weeks->isVisibleTo(&frame));
        weeks->close();
        QVERIFY(!weeks->isVisibleTo(&frame));
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 4);
        frame.action("view.3")->trigger();
        QVERIFY(weeks->isVisibleTo(&frame));
        QCOMPARE(frame.currentView(), ViewTag::Weeks);
    }

    // A file that cannot be read leaves the open data set and its name alone; a file read only
    // in part opens untitled, so saving can never write the salvage over the damaged file.
    void damagedFileLeavesOpenDataAlone()
    {
        FrameFixture f(SettingsPaths{m_dir.filePath("damaged").toStdString(), {}, {}});
        auto &d = f.d;
        TFrameForm &frame = f.frame;
        const QString good = writeFixture("good.qvf");
        QVERIFY(f.open(good));
        const int codes = d->codeCount;

        QFile source(good);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        const std::map<QString, QByteArray> unreadable = {
            {"garbage.qvf", QByteArray("this is not a data file")},
            {"empty.qvf", QByteArray()},
            {"header.qvf", bytes.left(3)},
        };
        ModalDriver driver;
        for (const auto &[name, content] : unreadable) {
            QFile file(m_dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
            driver.message("cannot be opened", "OK");
            QVERIFY2(!f.open(file.fileName()), qPrintable(name));
            QVERIFY2(driver.finished(), qPrintable(driver.problems()));
            QCOMPARE(d->codeCount, codes);
            QVERIFY(frame.windowTitle().contains("good.qvf"));
        }
        driver.message("cannot be opened", "OK");
        QVERIFY(!f.open(m_dir.filePath("missing.qvf")));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(d->codeCount, codes);

        // Cut inside the lecture store: what could be read opens, but under no name.
        const QString cut = m_dir.filePath("cut.qvf");
        {
            QFile file(cut);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes.left(bytes.size() * 3 / 4));
        }
        driver.message("is damaged", "OK");
        QVERIFY(f.open(cut));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.session().untitled());
        QVERIFY(!frame.windowTitle().contains("cut.qvf"));
        QVERIFY(QString::fromStdString(frame.session().currentFile()) != cut);
    }

    void noShortcutIsBoundTwice()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("keys.qvf")));
        // Qt fires neither of two window-wide actions that share a key, so each key may be
        // bound once among the frame's commands, and none may take a key the child windows'
        // own menus use (Ctrl+F4 closes a view).
        std::map<QString, QString> owner;
        for (QAction *action : frame.actions()) {
            for (const QKeySequence &key : action->shortcuts()) {
                const QString text = key.toString(QKeySequence::PortableText);
                const auto [it, inserted] = owner.emplace(text, action->objectName());
                QVERIFY2(inserted, qPrintable(text + " is bound to " + it->second + " and " +
                                              action->objectName()));
            }
        }
        for (QMdiSubWindow *window : frame.mdiArea()->subWindowList()) {
            for (QAction *action : window->findChildren<QAction *>()) {
                for (const QKeySequence &key : action->shortcuts()) {
                    const QString text = key.toString(QKeySequence::PortableText);
                    QVERIFY2(!owner.count(text), qPrintable(text + " is taken by the views"));
                }
            }
        }
        QVERIFY(owner.count("Ctrl+S") == 1 && owner.count("Ctrl+F6") == 1);
    }

    void commandsNotOfferedYetAreDisabled()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("rules.qvf")));
        for (const FrameCommand &command : frame.commands()) {
            QAction *action = frame.action(command.id);
            QVERIFY2(action, qPrintable(command.id));
            if (!command.run)
                QVERIFY2(!action->isEnabled(), qPrintable(command.id));
        }
        QVERIFY(frame.action("file.open")->isEnabled());
        QVERIFY(frame.action("file.exit")->isEnabled());
    }

    void activeWeekIsHeldWithinTheWeeksInUse()
    {
        FrameFixture f;
        auto &d = f.d;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("weeks.qvf")));
        auto *timetables = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
        d->currentCode = FixtureBuilder(*d).id("T1");
        timetables->followCurrentCode();
        QCOMPARE(timetables->model()->placedCells(), 2);

        frame.setActiveWeek(9);
        QCOMPARE(frame.activeWeek(), 3);
        QCOMPARE(frame.findChild<QSpinBox *>("activeWeek")->value(), 3);
        QCOMPARE(timetables->model()->placedCells(), 0);
        frame.setActiveWeek(0);
        QCOMPARE(frame.activeWeek(), 1);
        QCOMPARE(timetables->model()->placedCells(), 2);
    }

    // The file commands are offered from the start; a file opened through them shows the views
    // and names the file in the title.
    void fileCommandsRunThroughTheSession()
    {
        FrameFixture f(SettingsPaths{m_dir.path().toStdString(), {}, {}});
        TFrameForm &frame = f.frame;
        QVERIFY(frame.action("file.new")->isEnabled());
        QVERIFY(frame.action("file.open")->isEnabled());
        QVERIFY(!frame.action("file.save")->isEnabled());
        QVERIFY(f.open(writeFixture("session.qvf")));
        QCOMPARE(frame.mdiArea()->subWindowList().size(), 4);
        QVERIFY(frame.windowTitle().contains("session.qvf"));
        QVERIFY(frame.action("file.save")->isEnabled());
    }

    void pickingAResourceShowsItsTimetable()
    {
        FrameFixture f;
        auto &d = f.d;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("pick.qvf")));
        auto *resources = static_cast<TRefForm *>(frame.view(ViewTag::Resources));
        auto *timetables = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
        const CodeId t2 = FixtureBuilder(*d).id("T2");
        const int row = resources->model()->rowOf(t2);
        QVERIFY(row >= 0);
        resources->table()->setCurrentIndex(resources->model()->index(row, 0));
        QCOMPARE(d->currentCode, t2);
        QCOMPARE(timetables->resource(), t2);
        // Commands on the current code are offered as soon as there is one.
        QVERIFY(frame.action("colours.set")->isEnabled());
    }

    // Exit with changes pending asks to save; a Save As the user cancels keeps the program open
    // with the data, and No ends it without writing.
    void exitAsksToSaveAndCancelledSaveAsKeepsTheProgram()
    {
        FrameFixture f(SettingsPaths{m_dir.filePath("exit").toStdString(), {}, {}});
        auto &d = f.d;
        TFrameForm &frame = f.frame;
        Session &session = frame.session();
        const QString path = writeFixture("exit.qvf");
        QVERIFY(f.open(path));
        frame.show();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();

        d->memos.clear();
        d->modified = true;
        ModalDriver driver;
        driver.message("Do you want to save it on disk?", "Yes").file({});
        QVERIFY(!frame.close());
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.isVisible());
        QVERIFY(!session.exitRequested);
        QVERIFY(d->modified);

        driver.message("Do you want to save it on disk?", "No");
        QVERIFY(frame.close());
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(session.exitRequested);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }

    // In an empty frame a click shows the start panel; its first button starts a new file.
    void startPanelOffersANewFile()
    {
        FrameFixture f(SettingsPaths{m_dir.filePath("start").toStdString(), {}, {}});
        TFrameForm &frame = f.frame;
        frame.show();
        QWidget *panel = frame.startPanel();
        QVERIFY(!panel->isVisible());
        QTest::mouseClick(frame.mdiArea()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(panel->isVisible());
        const auto buttons = panel->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 5);
        QVERIFY(buttons[0]->isEnabled());
        QVERIFY(!buttons[2]->isEnabled()); // no demo is installed in that folder

        ModalDriver driver;
        driver.option("Select the file from the list below", 0)
            .message("Do you want to change these settings now?", "No");
        buttons[0]->click();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.viewsExist());
        QVERIFY(!panel->isVisible());
    }

    // With the read-only demo installed, the start panel's sample and demo buttons are offered;
    // the demo button opens a writable copy in the user's folder and the demo stays as shipped.
    void startPanelOpensACopyOfTheDemo()
    {
        const QString program = m_dir.filePath("installed");
        QVERIFY(QDir().mkpath(program));
        const QString demo = program + "/demo.qvf";
        QVERIFY(QFile::rename(writeFixture("demo-source.qvf"), demo));
        QVERIFY(QFile::setPermissions(demo, QFile::ReadOwner | QFile::ReadGroup));
        const QByteArray shipped = [&] {
            QFile file(demo);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();

        const QString user = m_dir.filePath("documents");
        FrameFixture f(SettingsPaths{program.toStdString(), {}, user.toStdString()});
        TFrameForm &frame = f.frame;
        Session &session = frame.session();
        frame.show();
        QTest::mouseClick(frame.mdiArea()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        const auto buttons = frame.startPanel()->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 5);
        QVERIFY(buttons[1]->isEnabled());
        QVERIFY(buttons[2]->isEnabled());

        buttons[2]->click();
        QVERIFY(frame.viewsExist());
        QCOMPARE(QString::fromStdString(session.currentFile()), user + "/demo.qvf");
        QVERIFY(frame.windowTitle().contains("demo.qvf"));
        QFile file(demo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), shipped);
    }

    // The start panel and the first start's last choice both begin the demo helper, whose first
    // question says what it does; answering No leaves the frame empty.
    void startPanelAndFirstStartMakeADemo()
    {
        FrameFixture f(SettingsPaths{m_dir.filePath("start").toStdString(), {}, {}});
        TFrameForm &frame = f.frame;
        frame.show();
        QTest::mouseClick(frame.mdiArea()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        const auto buttons = frame.startPanel()->findChildren<QPushButton *>();
        QCOMPARE(buttons[3]->text(), QString("Make a demo file (File|Make a demo file)"));
        QVERIFY(buttons[3]->isEnabled());
        ModalDriver driver;
        driver.message("This helper makes a demo file", "No");
        buttons[3]->click();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));

        driver.option("I want to let Quivra create a demo file step by step", 3)
            .message("This helper makes a demo file", "No");
        f.frame.session().firstStart = true;
        firstPaint(f.frame.session());
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(!frame.viewsExist());
    }

    // "Do not ask this again" ticked with Yes answers the question at once for the rest of the
    // run; ticked with No it silences nothing.
    void doNotAskAgainIsHonoured()
    {
        FrameFixture f;
        TFrameForm &frame = f.frame;
        frame.show();
        ModalDriver driver;
        driver.expect("messageDialog", "to go on", [](QDialog *dialog) {
            auto *box = static_cast<QMessageBox *>(dialog);
            QVERIFY(box->checkBox() && box->checkBox()->text() == "Do not show this again");
            box->checkBox()->setChecked(true);
            ModalDriver::press(dialog, "Yes");
        });
        QVERIFY(frame.prompter().sureDlg("to go on", 5));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.prompter().sureDlg("to go on", 5)); // no dialog: the driver expects none
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));

        driver.message("Save the list?", "No", true).message("Save the list?", "Yes");
        QVERIFY(!frame.prompter().yesNoDlg("Save the list?", 6));
        QVERIFY(frame.prompter().yesNoDlg("Save the list?", 6));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
    }

    // The frame's own commands run through the real dialogs and rebuild the views.
    void clearCommandRunsThroughTheDialogs()
    {
        FrameFixture f;
        auto &d = f.d;
        TFrameForm &frame = f.frame;
        QVERIFY(f.open(writeFixture("clear.qvf")));
        frame.show();
        QVERIFY(frame.action("tools.clear9")->isEnabled());
        QVERIFY(frame.action("tools.lockAll")->isEnabled());
        ModalDriver driver;
        driver.message("Are you sure to clear all 1 memo lines?", "Yes")
            .message("1 memo lines cleared.", "OK");
        frame.action("tools.clear9")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(d->memos.empty());
        QVERIFY(d->modified);

        driver.option("Additional selection", 0).message("2 events locked, 2 changed.", "OK");
        frame.action("tools.lockAll")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(countLocked(*d), 2);
    }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
