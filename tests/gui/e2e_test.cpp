// A new user's first sessions with the real frame and its real dialogs, on the offscreen
// platform.
//
// The first: the program starts without a file, the user creates a new data set, opens the
// demo, looks through the views and weeks, locks events by a rule, saves under a new name, opens
// that file again and finds the same data.
//
// The third: the user builds a small institution in the Resources and Events views alone, from
// an empty file to a saved one whose dump is kept with the tests.
//
// The second: the user builds a calendar in the Options, brings the school's data in from a text
// file, adds a colleague's file under the rule "Only relevant events", saves, and exports a text
// file that gives the same data back.

#include "editordriver.h"
#include "framefixture.h"
#include "modaldriver.h"

#include "commands/filecommands.h"
#include "commands/session.h"
#include "commands/startup.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/dump.h"
#include "files/datafile.h"
#include "files/textexchange.h"
#include "shell/mainframe.h"
#include "shell/optionsdialog.h"
#include "shell/recurringdialog.h"
#include "shell/splitdialog.h"
#include "support/carried.h"
#include "support/dumpmarks.h"
#include "support/fixture.h"
#include "views/codelistform.h"
#include "views/viewcommands.h"
#include "views/viewform.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <sstream>

using namespace quivra;

namespace {} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString folder(const QString &name)
    {
        QDir(m_dir.path()).mkpath(name);
        return m_dir.filePath(name);
    }

    static void writeText(const QString &path, const char *text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private slots:
    void newUserFromFirstStartToReopenedFile()
    {
        const QString program = folder("program");
        QVERIFY(QFile::copy(QUIVRA_SOURCE_DIR "/data/english.cfw", program + "/english.cfw"));
        // A copy: the session locks the file it opens, and other tests open the demo too.
        const QString demo = folder("samples") + "/demo.qvf";
        QVERIFY(QFile::copy(QUIVRA_SOURCE_DIR "/examples/demo.qvf", demo));
        QVERIFY(QFile::setPermissions(demo, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QString saved = folder("documents") + "/school.qvf";

        auto d = makeScheduleData();
        Settings settings;
        SettingsPaths paths{program.toStdString(), folder("config").toStdString(),
                            folder("user").toStdString()};
        SystemClock clock;
        TFrameForm frame(*d, settings, paths, clock);
        Session &session = frame.session();
        createFrame(session);
        frame.show();
        QVERIFY(!frame.viewsExist());
        QVERIFY(session.firstStart);

        // First start: "I want to create my own Quivra file", then the English language file.
        ModalDriver driver;
        driver.option("I want to create my own Quivra file", 0)
            .option("Select the file from the list below", 0)
            .message("Do you want to change these settings now?", "No");
        firstPaint(session);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.viewsExist());
        QCOMPARE(d->codeCount, 0);
        QVERIFY(session.untitled());

        // File|Open the demo (an untouched new data set is not offered for saving).
        if (d->modified)
            driver.message("Do you want to save it on disk?", "No");
        driver.file(demo).message("You have used capacity tags", "Yes");
        frame.action("file.open")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.windowTitle().contains("demo.qvf"));
        QVERIFY(d->codeCount > 0);
        QVERIFY(usedWeeks(*d) >= 2);

        // Every view by its button, then a later week.
        for (const int tag : {4, 3, 2, 1}) {
            frame.action(QStringLiteral("view.%1").arg(tag))->trigger();
            QCOMPARE(frame.currentView(), static_cast<ViewTag>(tag));
            QVERIFY(frame.action(QStringLiteral("view.%1").arg(tag))->isChecked());
        }
        frame.findChild<QSpinBox *>("activeWeek")->setValue(2);
        QCOMPARE(frame.activeWeek(), 2);
        frame.action("view.4")->trigger();

        // Tools|Lock events|Lock all events by rules, "Only completely scheduled".
        int locked = 0;
        for (int c = 1; c <= d->codeCount; ++c) {
            const CodeRecord &r = d->codes[c];
            locked += r.isEvent() && ((r.flags & LockedBit) || r.allocated == r.scheduled);
        }
        QVERIFY(locked > 0);
        driver.option("Lock all events by rules", 1)
            .message(QStringLiteral("%1 events locked").arg(locked), "OK");
        frame.action("tools.lockAll")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(countLocked(*d), locked);
        QVERIFY(d->modified);

        // Window|Refresh tidies and redraws; the week and the locks stay.
        frame.action("window.refresh")->trigger();
        QCOMPARE(frame.activeWeek(), 2);
        QCOMPARE(countLocked(*d), locked);

        // File|Save As under a new name.
        driver.file(saved);
        frame.action("file.saveAs")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(QFile::exists(saved));
        QVERIFY(frame.windowTitle().contains("school.qvf"));
        QVERIFY(!d->modified);
        const std::string before = dataPart(dumpScheduleData(*d));

        // File|Open the saved file again: the same data, locks included.
        driver.file(saved);
        frame.action("file.open")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(countLocked(*d), locked);
        QCOMPARE(QString::fromStdString(dataPart(dumpScheduleData(*d))),
                 QString::fromStdString(before));

        // And so does a reader that never saw the session.
        auto fresh = makeScheduleData();
        QVERIFY(readDataFile(saved.toStdString(), *fresh).has_value());
        QCOMPARE(QString::fromStdString(dataPart(dumpScheduleData(*fresh))),
                 QString::fromStdString(before));

        // File|Exit without changes asks nothing.
        QVERIFY(frame.close());
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(session.exitRequested);
    }

    void newUserBuildsAnInstitutionInTheViews()
    {
        // An empty file: a calendar of 2 weeks of 5 days with 6 periods, and nothing else.
        const QString empty = folder("entry") + "/empty.qvf";
        {
            auto blank = makeScheduleData();
            FixtureBuilder(*blank).calendar(2, 5, 6).finish();
            QVERIFY(writeDataFile(*blank, empty.toStdString()));
        }
        const QString saved = folder("entry") + "/school.qvf";

        auto d = makeScheduleData();
        Settings settings;
        SettingsPaths paths{folder("entry-program").toStdString(),
                            folder("entry-config").toStdString(),
                            folder("entry-user").toStdString()};
        SystemClock clock;
        TFrameForm frame(*d, settings, paths, clock);
        frame.show();
        QVERIFY(openWindows(frame.session(), empty.toStdString()));
        QCOMPARE(d->codeCount, 0);
        // Keys reach the view the user works in only while the window is the active one, which
        // the offscreen platform does not give back when a dialog closes.
        const auto focusOn = [&frame](QWidget *widget) {
            frame.activateWindow();
            widget->setFocus();
            return QTest::qWaitForWindowActive(&frame);
        };
        ModalDriver driver;

        // Resources view: Insert opens the editor on a new resource, once per resource.
        frame.action("view.1")->trigger();
        auto *resources = static_cast<CodeListForm *>(frame.view(ViewTag::Resources));
        const NewCode people[] = {
            {"G1", "Group 1", 1, 0, {}},       {"G2", "Group 2", 1, 0, {}},
            {"T1", "Teacher One", 2, 0, {}},   {"T2", "Teacher Two", 2, 0, {}},
            {"T3", "Teacher Three", 2, 0, {}}, {"R1", "Room 1", 3, 0, {}},
            {"R2", "Room 2", 3, 0, {}},
        };
        for (const NewCode &c : people) {
            driver.expect("TCourseDualBox", "Create a new resource",
                          [c](QDialog *dialog) { fillEditor(dialog, c); });
            QVERIFY(focusOn(resources->table()));
            QTest::keyClick(resources->table(), Qt::Key_Insert);
            QVERIFY2(driver.finished(), qPrintable(driver.problems()));
            QCOMPARE(resources->selectedCode(), findCode(*d, c.code.toStdString()));
        }
        QCOMPARE(resources->windowTitle(), QString("Resources: 7"));

        // Events view: each event with its PLANNED periods and its resources.
        frame.action("view.2")->trigger();
        auto *events = static_cast<CodeListForm *>(frame.view(ViewTag::Events));
        const NewCode lessons[] = {
            {"MATH", "Mathematics", 1, 4, {"G1", "T1", "R1"}},
            {"ENG", "English", 1, 3, {"G1", "T2", "R2"}},
            {"ART", "Art", 1, 2, {"G2", "T3", "R1"}},
            {"HIST", "History", 1, 2, {"G2", "T2"}},
        };
        for (const NewCode &c : lessons) {
            driver.expect("TCourseDualBox", "Create a new event",
                          [c](QDialog *dialog) { fillEditor(dialog, c); });
            QVERIFY(focusOn(events->table()));
            QTest::keyClick(events->table(), Qt::Key_Insert);
            QVERIFY2(driver.finished(), qPrintable(driver.problems()));
            const CodeId made = findCode(*d, c.code.toStdString());
            QVERIFY(made != 0);
            QCOMPARE(int(d->codes[made].planned), c.planned);
            QCOMPARE(int(collectionOf(*d, made)[0]), int(c.linked.size()));
        }
        QCOMPARE(events->windowTitle(), QString("Events: 4"));
        QCOMPARE(int(d->codes[findCode(*d, "T2")].links), 2);

        // Duplicate ENG: the copy is offered for a new code at once, and kept as ENGa.
        events->table()->setCurrentIndex(
            events->model()->index(events->model()->rowOf(findCode(*d, "ENG")), 0));
        driver.input("New code for \"ENGa\" ?", "ENGa");
        events->findChild<QAction *>("events.duplicate")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        const CodeId copy = findCode(*d, "ENGa");
        QVERIFY(copy != 0);
        QCOMPARE(events->selectedCode(), copy);
        QCOMPARE(int(collectionOf(*d, copy)[0]), 3);

        // Recode T3 to TC: its event follows.
        frame.action("view.1")->trigger();
        resources->table()->setCurrentIndex(
            resources->model()->index(resources->model()->rowOf(findCode(*d, "T3")), 0));
        driver.input("New code for \"T3\" ?", "TC");
        resources->findChild<QAction *>("resources.recode")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(findCode(*d, "T3"), CodeId(0));
        QVERIFY(findCode(*d, "TC") != 0);

        // Delete HIST: asked first, No keeps it, Yes removes it.
        frame.action("view.2")->trigger();
        events->table()->setCurrentIndex(
            events->model()->index(events->model()->rowOf(findCode(*d, "HIST")), 0));
        QVERIFY(focusOn(events->table()));
        driver.message("to remove event", "No");
        QTest::keyClick(events->table(), Qt::Key_Delete);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(findCode(*d, "HIST") != 0);
        QVERIFY(focusOn(events->table()));
        driver.message("to remove event", "Yes");
        QTest::keyClick(events->table(), Qt::Key_Delete);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(findCode(*d, "HIST"), CodeId(0));
        QCOMPARE(events->windowTitle(), QString("Events: 4"));
        QCOMPARE(int(d->codes[findCode(*d, "T2")].links), 2); // ENG and its copy

        // File|Save As; the saved file's dump is the one kept with the tests.
        driver.file(saved);
        frame.action("file.saveAs")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(!d->modified);
        auto back = makeScheduleData();
        QVERIFY(readDataFile(saved.toStdString(), *back).has_value());
        const QString dump = QString::fromStdString(dataPart(dumpScheduleData(*back)));
        const QString golden = QUIVRA_SOURCE_DIR "/tests/gui/data/institution.dump";
        // QUIVRA_UPDATE_GOLDEN=1 writes the dump anew, after a change meant to alter it.
        if (qEnvironmentVariableIsSet("QUIVRA_UPDATE_GOLDEN")) {
            QFile out(golden);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(dump.toUtf8());
        }
        QFile expected(golden);
        QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(golden));
        QCOMPARE(dump, QString::fromUtf8(expected.readAll()));
        QVERIFY(frame.close());
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
    }

    void newUserBuildsTheCalendarAndExchangesText()
    {
        const QString program = folder("program2");
        QVERIFY(QFile::copy(QUIVRA_SOURCE_DIR "/data/english.cfw", program + "/english.cfw"));
        const QString text = folder("text");
        // The school's own data: the calendar the user built, its codes and a timetable.
        writeText(text + "/school.qvx", "[Time]\n"
                                        "MaxWeeks=2\n"
                                        "MaxDays=5\n"
                                        "MaxLectures=6\n"
                                        "Days=Mon$Tue$Wed$Thu$Fri$\n"
                                        "[Timeperiods]\n"
                                        "1=8:00\n2=8:50\n3=9:50\n4=10:40\n5=11:30\n6=13:00\n"
                                        "[Componentdata]\n"
                                        "1=G7;Group 7;1\n"
                                        "2=SMI;Smith J;2\n"
                                        "3=B12;Room B12;3\n"
                                        "[Coursedata]\n"
                                        "1=MAT7;Maths 7;1;4\n"
                                        "[Collections]\n"
                                        "1=MAT7;G7\n2=MAT7;SMI\n3=MAT7;B12\n"
                                        "[Weeklectures]\n"
                                        "1=MAT7;1;1;4\n"
                                        "[Tablelectures]\n"
                                        "1=MAT7;1;1;1;1;1;2\n");
        // A colleague's file: ENG and MUS need the school's room or teacher; DRAMA needs only a
        // teacher the school does not have, so it stays out, and so does that teacher.
        QVERIFY(QFile::copy(QUIVRA_SOURCE_DIR "/tests/files/data/qvx/add.qvx", text + "/add.qvx"));
        const QString saved = folder("documents2") + "/school.qvf";
        const QString exported = text + "/exported.qvx";

        auto d = makeScheduleData();
        Settings settings;
        SettingsPaths paths{program.toStdString(), folder("config2").toStdString(),
                            folder("user2").toStdString()};
        SystemClock clock;
        TFrameForm frame(*d, settings, paths, clock);
        Session &session = frame.session();
        createFrame(session);
        frame.show();

        // First start: a file of one's own, English, and yes, the settings now: 2 weeks of 5
        // days with 6 named time periods.
        const QStringList bells = {"8:00-8:45",   "8:50-9:35",   "9:50-10:35",
                                   "10:40-11:25", "11:30-12:15", "13:00-13:45"};
        ModalDriver driver;
        driver.option("I want to create my own Quivra file", 0)
            .option("Select the file from the list below", 0)
            .message("Do you want to change these settings now?", "Yes")
            .expect("optionsPages", "Timetable cells:", [&](QDialog *dialog) {
                auto *options = static_cast<OptionsDialog *>(dialog);
                options->weeksEdit()->setText("2");
                options->daysEdit()->setText("5");
                options->bellsEdit()->setText("6");
                for (int b = 0; b < 6; ++b)
                    options->bellTable()->item(b, 0)->setText(bells[b]);
                ModalDriver::press(dialog, "Accept");
            });
        firstPaint(session);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(frame.viewsExist());
        QCOMPARE(usedWeeks(*d), 2);
        QCOMPARE(usedDays(*d), 5);
        QCOMPARE(usedBells(*d), 6);
        QCOMPARE(d->bellNames[6].str(), std::string("13:00-13:45"));

        // File|Import replaces the new data set with the school's text file.
        QVERIFY(frame.action("file.import")->isEnabled());
        if (d->modified)
            driver.message("Do you want to save it on disk?", "No");
        driver.file(text + "/school.qvx")
            .message("Do you want to replace your Quivra data", "Yes")
            .message("was imported", "OK");
        frame.action("file.import")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(usedWeeks(*d), 2);
        QCOMPARE(usedDays(*d), 5);
        QCOMPARE(usedBells(*d), 6);
        const CodeId maths = findCode(*d, "MAT7");
        QVERIFY(maths != 0);
        QCOMPARE(int(d->codes[maths].scheduled), 2);

        // File|Add, rule 2 "Only relevant events".
        driver.option("Select the rule", 1).file(text + "/add.qvx").message("was added", "OK");
        frame.action("file.add")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(findCode(*d, "ENG") != 0);
        QVERIFY(findCode(*d, "MUS") != 0);
        QCOMPARE(findCode(*d, "DRAMA"), CodeId(0));
        QCOMPARE(findCode(*d, "NEW1"), CodeId(0));
        QCOMPARE(int(d->resourceList[0]), 3); // no teacher of the colleague's came along
        QCOMPARE(int(d->codes[findCode(*d, "MUS")].scheduled), 2);
        QCOMPARE(usedBells(*d), 6);

        // File|Save as the school's data file, then File|Export as text.
        driver.file(saved);
        frame.action("file.saveAs")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(!d->modified);
        driver.file(exported).message("was converted to text file", "OK");
        frame.action("file.export")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(!d->modified);

        // The exported text read back gives the same data and calendar.
        auto back = makeScheduleData();
        QVERIFY(importTextFile(exported.toStdString(), *back).has_value());
        QCOMPARE(QString::fromStdString(carriedByText(*back)),
                 QString::fromStdString(carriedByText(*d)));
        QCOMPARE(usedWeeks(*back), 2);
        QCOMPARE(usedDays(*back), 5);
        for (int b = 1; b <= 6; ++b)
            QCOMPARE(back->bellNames[b].str(), d->bellNames[b].str());

        QVERIFY(frame.close());
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
    }

    // A timetabler splits Mathematics 7A, gives the new half its weekly pattern again with Bulk
    // schedule, renames "Mathematics" to "Maths" in all event names and saves: the file holds
    // exactly what the golden dump says, nothing half-done.
    void timetablerSplitsReschedulesAndRenames()
    {
        const QString saved = folder("tools") + "/tools.qvf";
        FrameFixture f;
        ModalDriver driver;
        driver.message("You have used capacity tags", "Yes");
        QVERIFY(f.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        ScheduleData &d = *f.d;
        const CodeId maths = findCode(d, "MA7A");
        QVERIFY(maths != 0);
        f.frame.showView(ViewTag::Events);
        f.frame.pickCode(maths);
        auto *events = f.frame.view(ViewTag::Events);
        const auto trigger = [&](const char *id) {
            updateViewCommands(*events);
            auto *action = events->findChild<QAction *>(QString::fromLatin1(id));
            QVERIFY(action && action->isEnabled());
            action->trigger();
        };
        const auto typeText = [](const QString &text) {
            return [text](QDialog *dialog) {
                dialog->findChild<QLineEdit *>()->setText(text);
                ModalDriver::press(dialog, "OK");
            };
        };

        // A dialog's button whose command asks questions of its own is pressed once the
        // driver's step is over, so the driver meets the question as the next dialog.
        const auto pressLater = [](QAbstractButton *button) {
            QTimer::singleShot(0, button, &QAbstractButton::click);
        };

        // Split event: weeks 4 to 6 go to the new event MA7Aa.
        driver.expect("TCourseSplitDialog", "", [&](QDialog *dialog) {
            auto *split = static_cast<TCourseSplitDialog *>(dialog);
            QTreeWidget *tree = split->slotTree();
            for (int i = 3; i < tree->topLevelItemCount(); ++i) {
                tree->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
                QCoreApplication::processEvents();
            }
            QCOMPARE(split->codeBox()->text(), QString("MA7Aa"));
            pressLater(split->splitButton());
        });
        driver.message("A new event \"MA7Aa\" (12h) was split from the event \"MA7A\".", "OK");
        driver.expect("TCourseSplitDialog", "", [](QDialog *dialog) { dialog->reject(); });
        trigger("events.split");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        const CodeId half = findCode(d, "MA7Aa");
        QVERIFY(half == findCode(d, "MA7A") + 1);
        QCOMPARE(int(d.codes[half].scheduled), 12);
        QCOMPARE(int(d.codes[findCode(d, "MA7A")].scheduled), 12);

        // Bulk schedule the new event: unschedule it, then its pattern day by day over weeks 4
        // to 6 (Tuesday and Thursday first bell, Monday fourth, Wednesday second).
        f.frame.pickCode(half);
        driver.expect("TRecurEvents", "", [&](QDialog *dialog) {
            pressLater(dialog->findChild<QPushButton *>("unschedule"));
        });
        driver.message("Do you want to unschedule event \"MA7Aa\"?", "Yes");
        struct Pattern
        {
            std::vector<int> days;
            int bell;
            int count;
            const char *more;
        };
        const Pattern patterns[] = {{{2, 4}, 1, 6, "Yes"}, {{1}, 4, 3, "Yes"}, {{3}, 2, 3, "No"}};
        for (const Pattern &pattern : patterns) {
            driver.expect("TRecurEvents", "", [&, pattern](QDialog *dialog) {
                auto *recur = static_cast<TRecurEvents *>(dialog);
                recur->endWeek()->setCurrentIndex(5);
                recur->startWeek()->setCurrentIndex(3);
                for (int day = 1; day <= 5; ++day)
                    recur->dayBox(day)->setChecked(false);
                for (int day : pattern.days)
                    recur->dayBox(day)->setChecked(true);
                recur->startBell()->setCurrentIndex(pattern.bell - 1);
                QVERIFY(recur->scheduleButton()->isEnabled());
                pressLater(recur->scheduleButton());
            });
            driver.message(QStringLiteral("You are about to schedule %1 period(s) of event "
                                          "\"MA7Aa\" in 3 week(s).")
                               .arg(pattern.count),
                           "Yes");
            driver.message("Do you want to schedule more?", pattern.more);
        }
        trigger("events.bulkSchedule");
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(int(d.codes[half].scheduled), 12);

        // Tools|Replace tool|Replace string, in event names only.
        driver.expect("inputDialog", "String to be replaced", typeText("Mathematics"))
            .expect("optionsDialog", "String \"Mathematics\" was found in",
                    [](QDialog *dialog) {
                        for (auto *box : dialog->findChildren<QCheckBox *>())
                            box->setChecked(box->text().startsWith("Event names"));
                        ModalDriver::press(dialog, "OK");
                    })
            .expect("inputDialog", "The string to replace \"Mathematics\":", typeText("Maths"))
            .message("to replace the string \"Mathematics\" with \"Maths\"", "Yes")
            .message("was replaced with \"Maths\"", "OK")
            .expect("inputDialog", "String to be replaced",
                    [](QDialog *dialog) { dialog->reject(); });
        f.frame.action("tools.replaceString")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(QString::fromStdString(d.codes[half].name.str()), QString("Maths 7A"));

        // Saved and read back by a reader that never saw the session: the golden dump.
        driver.file(saved);
        f.frame.action("file.saveAs")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        auto fresh = makeScheduleData();
        QVERIFY(readDataFile(saved.toStdString(), *fresh).has_value());
        const std::string dump = dataPart(dumpScheduleData(*fresh));
        const QString golden = QUIVRA_SOURCE_DIR "/tests/gui/golden/event-tools.dump";
        if (qEnvironmentVariableIsSet("QUIVRA_WRITE_GOLDEN")) {
            QFile out(golden);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(dump.c_str());
        }
        QFile in(golden);
        QVERIFY2(in.open(QIODevice::ReadOnly), "no golden dump (QUIVRA_WRITE_GOLDEN=1 writes it)");
        QCOMPARE(QString::fromStdString(dump), QString::fromUtf8(in.readAll()));
    }
};

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
