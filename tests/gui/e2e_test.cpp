// A new user's first session with the real frame and its real dialogs, on the offscreen
// platform: the program starts without a file, the user creates a new data set, opens the demo,
// looks through the views and weeks, locks events by a rule, saves under a new name, opens that
// file again and finds the same data.

#include "modaldriver.h"

#include "commands/session.h"
#include "commands/startup.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "files/datafile.h"
#include "shell/mainframe.h"
#include "views/viewform.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

using namespace quivra;

namespace {

// The data of a dump: from the code table on, without the session's own state (the current
// code, the modified flag), which is no part of a file, without the file's count of openings,
// which reopening it adds to, and without the largest timetable seen, a high-water mark that
// grows as the views show timetables.
std::string dataPart(const std::string &dump)
{
    std::istringstream in(dump.substr(std::min(dump.find("[codes]"), dump.size())));
    std::string out;
    bool session = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("["))
            session = line == "[session]";
        if (!session && !line.starts_with("usage 62 ") && !line.starts_with("largest-timetable"))
            out += line + "\n";
    }
    return out;
}

} // namespace

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

private slots:
    void newUserFromFirstStartToReopenedFile()
    {
        const QString program = folder("program");
        QVERIFY(QFile::copy(QUIVRA_SOURCE_DIR "/data/english.cfw", program + "/english.cfw"));
        const QString demo = QUIVRA_SOURCE_DIR "/examples/demo.qvf";
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
};

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
