// The Options dialog on the offscreen platform: what its check boxes write into the category
// masks and the resources, the defaults it keeps, and the conflict question after conflict
// checking is switched on for a category.

#include "commands/session.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "files/settings.h"
#include "shell/mainframe.h"
#include "shell/optionsdialog.h"
#include "support/fixture.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

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

} // namespace

class OptionsDialogTest : public QObject
{
    Q_OBJECT

private slots:
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
