// The Options dialog on the offscreen platform: a calendar and categories typed into its pages,
// wrong values refused with the dialog left open, the welcome question of a new file opening
// the limits, what its check boxes write into the category masks and the resources, the
// defaults it keeps, and the conflict question after conflict checking is switched on for a
// category.

#include "modaldriver.h"

#include "commands/filecommands.h"
#include "commands/session.h"
#include "engine/calendar.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/textutil.h"
#include "files/settings.h"
#include "shell/mainframe.h"
#include "shell/optionsdialog.h"
#include "support/fixture.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quivra;

namespace {

constexpr int G = 1, T = 2, R = 3; // resource categories of twoEventsInOneRoom()

bool noTimetable(const ScheduleData &d, const char *code)
{
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].code.view() == code)
            return d.codes[c].flags & NoTimetableBit;
    qFatal("no code %s", code);
}

int scheduledOf(const ScheduleData &d, const char *code)
{
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].code.view() == code)
            return d.codes[c].scheduled;
    qFatal("no code %s", code);
}

void pressAccept(OptionsDialog &dialog)
{
    dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
}

void type(QTableWidget *table, int row, int column, const QString &text)
{
    table->item(row, column)->setText(text);
}

} // namespace

class OptionsDialogTest : public QObject
{
    Q_OBJECT

private slots:
    // A new data set: what is typed into the three pages is what the engine then holds.
    void pagesBuildTheCalendarAndTheCategories()
    {
        auto d = makeScheduleData();
        Settings settings;
        OptionsDialog dialog(*d, readOptions(*d, settings));
        QCOMPARE(dialog.currentPage(), OptionsPage::Limits);
        QCOMPARE(dialog.cellsLabel()->text(), QString("53550"));
        dialog.weeksEdit()->setText("2");
        dialog.daysEdit()->setText("5");
        dialog.bellsEdit()->setText("6");
        QCOMPARE(dialog.cellsLabel()->text(), QString("60"));
        // The tables of the Time page show the calendar in use only.
        QVERIFY(!dialog.weekTable()->isRowHidden(1) && dialog.weekTable()->isRowHidden(2));
        QVERIFY(!dialog.dayTable()->isRowHidden(4) && dialog.dayTable()->isRowHidden(5));
        QVERIFY(!dialog.bellTable()->isRowHidden(5) && dialog.bellTable()->isRowHidden(6));

        type(dialog.weekTable(), 0, 0, "Aut");
        type(dialog.weekTable(), 0, 1, "12");
        type(dialog.weekTable(), 1, 0, "Spr");
        type(dialog.weekTable(), 1, 1, "10");
        type(dialog.dayTable(), 4, 0, "Fri");
        const QStringList bells = {"8:00-8:45",   "8:50-9:35",   "9:50-10:35",
                                   "10:40-11:25", "11:30-12:15", "13:00-13:45"};
        for (int b = 0; b < 6; ++b)
            type(dialog.bellTable(), b, 0, bells[b]);
        QVERIFY(dialog.weekTable()->isColumnHidden(2));
        dialog.datedBox()->setChecked(true);
        dialog.firstDateEdit()->setDate(QDate(2027, 8, 30));
        QVERIFY(!dialog.weekTable()->isColumnHidden(2));
        QCOMPARE(dialog.weekTable()->item(1, 2)->text(), QString("22.11.2027"));

        // A new resource category gets its boxes on the Timetables page.
        QVERIFY(dialog.preventBox(4) == nullptr);
        type(dialog.resourceCategoryTable(), 3, 0, "S");
        type(dialog.resourceCategoryTable(), 3, 1, "Subjects");
        QVERIFY(dialog.preventBox(4) != nullptr);
        QCOMPARE(dialog.preventBox(4)->text(), QString("Subjects"));
        type(dialog.eventCategoryTable(), 1, 1, "Intermediate");
        type(dialog.bookingKindTable(), 4, 0, "Meeting");

        pressAccept(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const OptionsApplied applied = applyOptions(*d, settings, dialog.values());
        QVERIFY(applied.calendarChanged && applied.categoriesChanged && d->modified);
        QCOMPARE(usedWeeks(*d), 2);
        QCOMPARE(usedDays(*d), 5);
        QCOMPARE(usedBells(*d), 6);
        QCOMPARE(weekLength(*d, 1), 12);
        QCOMPARE(formatWeek(*d, 2, 2), std::string("Spr"));
        QCOMPARE(listItem(d->dayNames, 5), std::string("Fri"));
        QCOMPARE(formatDayBell(*d, 5, 3, 2), std::string("Fri 9:50...11:25"));
        QCOMPARE(d->bellNames[6].str(), std::string("13:00-13:45"));
        QVERIFY(weeksDated(*d));
        QCOMPARE(weekDate(*d, 2), dateSerial(2027, 11, 22));
        QCOMPARE(d->eventCategories.str(), std::string("b:Basic$m:Intermediate$a:Advanced$"));
        QCOMPARE(d->resourceCategories.str(),
                 std::string("G:Groups$T:Teachers$R:Rooms$S:Subjects$"));
        QCOMPARE(d->bookingKinds.str(), std::string("/////$Free$Other$$Meeting$"));

        // Opened again, the dialog shows what was written and gives it back unchanged.
        OptionsDialog again(*d, readOptions(*d, settings));
        QCOMPARE(again.weeksEdit()->text(), QString("2"));
        QCOMPARE(again.values(), readOptions(*d, settings));
    }

    // Accept with a wrong value: the message, the value's page, and the dialog still open with
    // what was typed; the data set is not touched.
    void aWrongValueKeepsTheDialogOpenWithItsMessage()
    {
        struct Case
        {
            const char *what;
            std::function<void(OptionsDialog &)> edit;
            OptionsPage page;
            const char *message;
        };
        const Case cases[] = {
            {"weeks", [](OptionsDialog &o) { o.weeksEdit()->setText("300"); }, OptionsPage::Limits,
             "\"Weeks or terms\" must be a number from 1 to 255."},
            {"days", [](OptionsDialog &o) { o.daysEdit()->setText("five"); }, OptionsPage::Limits,
             "\"Days in each week\" must be a number from 1 to 7."},
            // MATH and ENG are placed in bells 3..4.
            {"bells", [](OptionsDialog &o) { o.bellsEdit()->setText("3"); }, OptionsPage::Limits,
             "\"Time periods\" cannot be fewer than 4"},
            {"bell name", [](OptionsDialog &o) { type(o.bellTable(), 0, 0, "08:00 - 08:45"); },
             OptionsPage::Time, "The name of time period 1 is too long"},
            {"week length", [](OptionsDialog &o) { type(o.weekTable(), 1, 1, "0"); },
             OptionsPage::Time, "The length of week 2 must be a number from 1 to 255"},
            {"letter", [](OptionsDialog &o) { type(o.resourceCategoryTable(), 0, 0, "GR"); },
             OptionsPage::Categories, "The letter of resource category 1 must be a single"},
        };
        auto d = twoEventsInOneRoom();
        Settings settings;
        const std::string before = dumpScheduleData(*d);
        for (const Case &c : cases) {
            OptionsDialog dialog(*d, readOptions(*d, settings));
            ScriptedDialogs ui;
            ui.expect(c.message).answer(Answer::Ok);
            Prompter prompter(ui);
            dialog.setPrompter(&prompter);
            dialog.show();
            dialog.showPage(OptionsPage::Display);
            c.edit(dialog);
            const OptionsValues typed = dialog.values();
            pressAccept(dialog);
            QVERIFY2(ui.finished(), (c.what + (": " + ui.problems())).c_str());
            QVERIFY2(dialog.isVisible(), c.what);
            QCOMPARE(dialog.currentPage(), c.page);
            QVERIFY2(dialog.values() == typed && !(typed == readOptions(*d, settings)), c.what);
        }
        QCOMPARE(dumpScheduleData(*d), before);
    }

    // A new file asks whether to change the size of the calendar; Yes opens the limits, and
    // what is typed there is the calendar of the views.
    void welcomeOfANewFileOpensTheLimits()
    {
        QTemporaryDir program;
        QVERIFY(
            QFile::copy(QUIVRA_SOURCE_DIR "/data/english.cfw", program.filePath("english.cfw")));
        auto d = makeScheduleData();
        Settings settings;
        FixedClock clock(46003);
        TFrameForm frame(*d, settings, SettingsPaths{program.path().toStdString(), {}, {}}, clock);
        OptionsPage opened = OptionsPage::Display;
        ModalDriver driver;
        driver.option("Select the file from the list below", 0)
            .message("Do you want to change these settings now?", "Yes")
            .expect("optionsPages", "Timetable cells:", [&](QDialog *dialog) {
                auto *options = static_cast<OptionsDialog *>(dialog);
                opened = options->currentPage();
                options->weeksEdit()->setText("2");
                options->daysEdit()->setText("5");
                options->bellsEdit()->setText("6");
                ModalDriver::press(dialog, "Accept");
            });
        QVERIFY(newFile(frame.session()));
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(opened, OptionsPage::Limits);
        QCOMPARE(usedWeeks(*d), 2);
        QCOMPARE(usedDays(*d), 5);
        QCOMPARE(usedBells(*d), 6);
        QVERIFY(frame.viewsExist());
    }

    // The display choices reach the views: code colours and the SEATS of the Events view.
    void displayChoicesReachTheViews()
    {
        auto d = twoEventsInOneRoom();
        Settings settings;
        FixedClock clock(46003);
        TFrameForm frame(*d, settings, SettingsPaths{}, clock);
        frame.dataSetChanged();
        QVERIFY(frame.viewOptions().showColours && !frame.viewOptions().showSeats);
        ModalDriver driver;
        driver.expect("optionsPages", {}, [](QDialog *dialog) {
            for (QCheckBox *box : dialog->findChildren<QCheckBox *>()) {
                if (box->text() == "Draw codes in their own colours")
                    box->setChecked(false);
                if (box->text().startsWith("Show the SEATS of events"))
                    box->setChecked(true);
            }
            ModalDriver::press(dialog, "Accept");
        });
        showOptionsDialog(frame, OptionsPage::Display);
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(!frame.viewOptions().showColours && !settings.preferences.useCodeColors);
        QVERIFY(frame.viewOptions().showSeats && settings.preferences.capacityCheck);
        // The colour command of the menu and the setting stay one.
        frame.toggleColours();
        QVERIFY(frame.viewOptions().showColours && settings.preferences.useCodeColors);
    }

    void checkBoxesWriteTheMasksAndTheResources()
    {
        auto d = twoEventsInOneRoom();
        Settings settings;
        OptionsDialog dialog(*d, readOptions(*d, settings));

        // The boxes show the inverse of the bits; a category without timetables cannot count
        // gaps.
        QVERIFY(dialog.preventBox(G)->isChecked() && dialog.gapsBox(G)->isChecked());
        QVERIFY(!dialog.preventBox(R)->isChecked());
        QVERIFY(!dialog.gapsBox(R)->isChecked() && !dialog.gapsBox(R)->isEnabled());
        QVERIFY(dialog.preventBox(5) == nullptr); // no name, no box

        // Teachers stop being checked for conflicts: their gaps go with it.
        dialog.preventBox(T)->click();
        QVERIFY(!dialog.gapsBox(T)->isChecked() && !dialog.gapsBox(T)->isEnabled());
        dialog.gapsBox(G)->click(); // groups keep their timetables but their gaps do not count
        const OptionsApplied applied = applyOptions(*d, settings, dialog.values());

        QVERIFY(applied.masksChanged);
        QVERIFY(!applied.conflictsPossible); // only switched off
        QCOMPARE(int(d->noTimetableMasks[1]), (1 << T) | (1 << R) | (1 << 4));
        QCOMPARE(int(d->noGapsMasks[1]), (1 << G) | (1 << T) | (1 << R) | (1 << 4));
        QVERIFY(noTimetable(*d, "T1") && noTimetable(*d, "T2") && noTimetable(*d, "R1"));
        QVERIFY(!noTimetable(*d, "G1"));
        QVERIFY(d->modified);

        // Read back, the dialog shows what was written.
        const OptionsValues again = readOptions(*d, settings);
        QVERIFY(!again.preventConflicts[T] && !again.countGaps[G] && again.preventConflicts[G]);
    }

    void defaultsAreClampedAndAnUnchangedPageChangesNothing()
    {
        auto d = twoEventsInOneRoom();
        Settings settings;
        const std::string before = dumpScheduleData(*d);
        OptionsDialog untouched(*d, readOptions(*d, settings));
        const OptionsApplied none = applyOptions(*d, settings, untouched.values());
        QVERIFY(!none.masksChanged && !d->modified);
        QCOMPARE(dumpScheduleData(*d), before);

        OptionsValues v = readOptions(*d, settings);
        v.eventBookingKind = 9;
        v.resourceBookingKind = 0;
        v.bookingsOccupied = true;
        v.showMode = 2;
        v.codeMode = 7;
        v.blockLength = 0;
        v.useCodeColors = false;
        applyOptions(*d, settings, v);
        QCOMPARE(int(d->header.defaultEventBookingKind), 3);
        QCOMPARE(int(d->header.defaultResourceBookingKind), 1);
        QCOMPARE(int(d->header.bookingsCountAsOccupied), 1);
        QCOMPARE(settings.preferences.showMode, 2);
        QCOMPARE(settings.preferences.codeMode, 3);
        QCOMPARE(settings.preferences.blockSize, 1);
        QVERIFY(!settings.preferences.useCodeColors);
        QVERIFY(d->modified);

        // The widgets start from the values and give them back.
        OptionsDialog shown(*d, readOptions(*d, settings));
        QCOMPARE(shown.values(), readOptions(*d, settings));
    }

    void switchingConflictCheckingOnAsksAndSweeps()
    {
        auto d = twoEventsInOneRoom();
        Settings settings;
        OptionsDialog dialog(*d, readOptions(*d, settings));
        dialog.preventBox(R)->click();
        dialog.preventBox(4)->click(); // no resources: nothing to fear from it alone
        const OptionsApplied applied = applyOptions(*d, settings, dialog.values());
        QVERIFY(applied.conflictsPossible);
        QVERIFY(!noTimetable(*d, "R1"));

        // The lines of the conflicts reach the clipboard only when asked for.
        for (const bool copy : {false, true}) {
            auto data = twoEventsInOneRoom();
            applyOptions(*data, settings, dialog.values());
            ScriptedDialogs ui;
            ui.expect("may cause conflicts").answer(Answer::Yes);
            ui.expect("copy possible conflicts to the Clipboard")
                .answer(copy ? Answer::Yes : Answer::No);
            Prompter prompter(ui);
            NullProgress progress;
            MemoryClipboard clipboard;
            PromptedSweep sweep(prompter, &clipboard);
            const ConflictReport report = settleConflicts(*data, prompter, sweep, progress, 46000);
            QVERIFY2(ui.finished(), ui.problems().c_str());
            QCOMPARE(report.found, 2);
            QCOMPARE(report.removed, 2);
            // MATH comes first and keeps its periods; ENG loses the shared cells.
            QCOMPARE(scheduledOf(*data, "MATH"), 2);
            QCOMPARE(scheduledOf(*data, "ENG"), 0);
            QCOMPARE(data->header.conflictSourceCounters[2], 0);
            QCOMPARE(clipboard.text().find("\tR1") != std::string::npos, copy);
        }
    }

    // From the frame, with the desktop's own message boxes: Accept writes, Yes sweeps.
    void frameAcceptsAndSweepsThroughTheSession()
    {
        auto d = twoEventsInOneRoom();
        Settings settings;
        FixedClock clock(46003);
        TFrameForm frame(*d, settings, SettingsPaths{}, clock);

        QStringList asked;
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *options = qobject_cast<OptionsDialog *>(modal)) {
                options->preventBox(R)->setChecked(true);
                options->gapsBox(R)->setChecked(true);
                options->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                asked << box->text();
                const bool yes = box->text().contains("may cause conflicts");
                for (QAbstractButton *b : box->buttons())
                    if (b->text() == (yes ? "Yes" : "No"))
                        QTimer::singleShot(0, b, &QAbstractButton::click);
            }
        });
        user.start(20);
        showOptionsDialog(frame);
        user.stop();

        QCOMPARE(asked.size(), 2);
        QVERIFY(asked[1].contains("Clipboard"));
        QCOMPARE(int(d->noTimetableMasks[1]), 1 << 4);
        QCOMPARE(int(d->noGapsMasks[1]), 1 << 4);
        QCOMPARE(scheduledOf(*d, "ENG"), 0);
        QVERIFY(d->modified);
    }

    void decliningTheSweepLeavesTheDataAndNotesTheCheck()
    {
        auto d = twoEventsInOneRoom();
        d->header.conflictSourceCounters[2] = (3 << 16) | 100; // declined three times before
        Settings settings;
        OptionsValues v = readOptions(*d, settings);
        v.preventConflicts[R] = true;
        QVERIFY(applyOptions(*d, settings, v).conflictsPossible);

        ScriptedDialogs ui;
        ui.expect("may cause conflicts").answer(Answer::No);
        ui.expect("Tools|Remove conflicts").answer(Answer::Ok);
        Prompter prompter(ui);
        NullProgress progress;
        PromptedSweep sweep(prompter, nullptr);
        const ConflictReport report = settleConflicts(*d, prompter, sweep, progress, 0x12345);
        QVERIFY2(ui.finished(), ui.problems().c_str());
        QCOMPARE(report.found, 0);
        QCOMPARE(scheduledOf(*d, "ENG"), 2);
        // One more occasion, dated with the low half of the day number.
        QCOMPARE(d->header.conflictSourceCounters[2], (4 << 16) | 0x2345);
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "optionsdialog_test.moc"
