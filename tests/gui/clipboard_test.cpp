// The system clipboard on the offscreen platform: a copy's code-page text reaches other
// programs as Unicode and comes back byte for byte; text another program put there (LF line
// ends, characters outside the code page) reads as the same cells; the Events view copies to it
// and pastes from it; the Weeks view's grid goes out and back without a change; the Timetables
// view copies the timetables linked to the event under the cursor.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codetable.h"
#include "engine/dump.h"
#include "files/datafile.h"
#include "reports/clipboardtext.h"
#include "shell/qtports.h"
#include "support/fixture.h"
#include "views/codelistform.h"
#include "views/timetablesview.h"
#include "views/viewcommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace quivra;

class ClipboardTest : public QObject
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

private slots:
    void aCopyComesBackByteForByte()
    {
        QtClipboard clipboard;
        const std::string copied = "A1\tAlg\xE8"
                                   "bre \xE9t\xE9\t2\t40\r\n";
        clipboard.setText(copied);
        QCOMPARE(QApplication::clipboard()->text(),
                 QString::fromUtf8("A1\tAlgèbre été\t2\t40\r\n"));
        const std::string back = clipboard.text();
        QCOMPARE(back.size(), copied.size());
        QVERIFY(back == copied);
        QVERIFY(back.find('\0') == std::string::npos);
    }

    void anotherProgramsTextReadsAsTheSameCells()
    {
        QApplication::clipboard()->setText(QString::fromUtf8("B2\tCafé\t1\nC3\t€ 5\t2"));
        QtClipboard clipboard;
        const std::vector<ClipLine> lines = readClipLines(clipboard.text());
        QCOMPARE(lines.size(), std::size_t(2));
        QVERIFY(lines[0] == (ClipLine{"B2", "Caf\xE9", "1"}));
        QVERIFY(lines[1] == (ClipLine{"C3", "\x80 5", "2"}));
    }

    void theEventsViewCopiesAndPastesThroughTheClipboard()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(1, 5, 4).resources('G', {"G1"}).event("A1", {"G1"}, 4, 2);
        f.event("B2", {"G1"}, 2);
        f.finish();
        d->codes[f.id("A1")].name.assign("Alg\xE8"
                                         "bre");
        const QString path = m_dir.filePath("clip.qvf");
        QVERIFY(writeDataFile(*d, path.toStdString()));
        FrameFixture frame;
        QVERIFY(frame.open(path));
        ViewForm *view = frame.frame.view(ViewTag::Events);
        QVERIFY(view);

        ModalDriver driver;
        driver.expect("codePicker", {}, [](QDialog *dialog) {
            auto *all = dialog->findChild<QAbstractButton *>("allButton");
            if (all)
                all->click();
            ModalDriver::press(dialog, "OK");
        });
        driver.message("copied to the Clipboard", "OK");
        QAction *copy = action(view, "events.copy2");
        QVERIFY(copy->isEnabled());
        copy->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(QApplication::clipboard()->text(),
                 QString::fromUtf8("A1\tAlgèbre\t2\t4\r\nB2\tName of B2\t1\t2\r\n"));

        QApplication::clipboard()->setText(QString::fromUtf8("B2\tBiologie élève\n"));
        driver.message("0 codes added, 1 updated and 0 omitted.", "OK");
        driver.message("Summary", "OK");
        action(view, "events.paste1")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(std::string(frame.d->codes[findCode(*frame.d, "B2")].name.view()),
                 std::string("Biologie \xE9l\xE8ve"));
        QVERIFY(frame.d->modified);
    }

    void theWeeksGridGoesOutAndBackUnchanged()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(4, 5, 4).resources('G', {"G1", "G2"});
        f.event("A1", {"G1"}, 6).allocate("A1", 1, 3, 2);
        f.event("B2", {"G2"}, 5).allocate("B2", 2, 2, 4).allocate("B2", 4, 4, 1);
        f.event("C3", {"G1", "G2"}, 3).allocate("C3", 1, 1, 3).finish();
        setLock(*d, f.id("B2"), LockMode::Lock);
        const QString path = m_dir.filePath("grid.qvf");
        QVERIFY(writeDataFile(*d, path.toStdString()));
        FrameFixture frame;
        QVERIFY(frame.open(path));
        frame.frame.showView(ViewTag::Weeks);
        ViewForm *view = frame.frame.view(ViewTag::Weeks);
        QVERIFY(view);
        const std::string before = dumpScheduleData(*frame.d);

        ModalDriver driver;
        driver.expect("codePicker", {}, [](QDialog *dialog) {
            dialog->findChild<QAbstractButton *>("allButton")->click();
            ModalDriver::press(dialog, "OK");
        });
        driver.message("copied to the Clipboard", "OK");
        action(view, "weeks.copyGrid")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.startsWith("A1\t"), qPrintable(copied));
        QVERIFY2(copied.contains("B2\t"), qPrintable(copied));

        // The locked event is left as it is, and said so.
        driver.message("0 codes added, 2 updated and 1 omitted.", "OK");
        driver.message("Summary", "OK");
        action(view, "weeks.pasteGrid")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(dumpScheduleData(*frame.d), before);
        QVERIFY(queryLock(*frame.d, findCode(*frame.d, "B2")));

        // The Bird's eye view's Copy: its table as text, G1's allocated periods week by week.
        action(view, "weeks.birdsAllocated")->trigger();
        action(view, "weeks.birdsCopy")->trigger();
        const QStringList lines = QApplication::clipboard()->text().split("\r\n");
        QCOMPARE(lines.size(), 4); // the weeks, G1, G2, and nothing after the last line end
        QVERIFY2(lines[0].startsWith('\t'), qPrintable(lines[0]));
        QVERIFY2(lines[1].startsWith("G1"), qPrintable(lines[1]));
        QCOMPARE(lines[1].split('\t').mid(1), QStringList({"5", "2", "2", ""}));
        QCOMPARE(lines[2].split('\t').mid(1), QStringList({"3", "4", "", "1"}));
    }

    void theTimetablesViewCopiesTheLinkedTimetablesOfTheCell()
    {
        auto d = makeScheduleData();
        FixtureBuilder f(*d);
        f.calendar(2, 3, 3).resources('G', {"G1"}).resources('T', {"T1", "T2"});
        f.event("A1", {"G1", "T1"}, 2).allocate("A1", 1, 1, 2).place("A1", 1, 2, 1, 2);
        f.event("B2", {"G1", "T2"}, 1).allocate("B2", 1, 1, 1).place("B2", 1, 3, 3, 3);
        f.finish();
        const QString path = m_dir.filePath("linked.qvf");
        QVERIFY(writeDataFile(*d, path.toStdString()));
        FrameFixture frame;
        QVERIFY(frame.open(path));
        frame.frame.showView(ViewTag::Timetables);
        auto *view = static_cast<TMatsForm *>(frame.frame.view(ViewTag::Timetables));
        QVERIFY(view);
        const auto &shown = view->timetables();
        const auto g1 = std::find(shown.begin(), shown.end(), findCode(*frame.d, "G1"));
        QVERIFY(g1 != shown.end());
        view->chooseTimetable(static_cast<int>(g1 - shown.begin()));
        QCOMPARE(view->resource(), findCode(*frame.d, "G1"));

        // The cell of A1 (Tuesday, first bell): item 2 copies the timetables of A1's resources.
        view->table()->setCurrentIndex(view->model()->index(0, 1));
        QApplication::clipboard()->clear();
        ModalDriver driver;
        driver.option("Select the layout", 0);
        driver.message("copied to the Clipboard", "OK");
        action(view, "timetables.copy2")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.startsWith("G1\t"), qPrintable(copied));
        QVERIFY2(copied.contains("\r\nT1\t"), qPrintable(copied));
        QVERIFY2(!copied.contains("T2\t"), qPrintable(copied));
        QVERIFY2(copied.contains("A1"), qPrintable(copied));
    }
};

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"
