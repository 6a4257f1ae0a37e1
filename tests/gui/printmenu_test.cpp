// The report catalogue on the offscreen platform: choosing a report loads what its slot stored,
// the controls give back the parameters they were set from, Print! closes it for the printer, the
// frame's Report to printer row prints through the print dialog, and its Publish row opens the
// dialog and publishes through it.

#include "framefixture.h"
#include "modaldriver.h"

#include "reports/reportparams.h"
#include "shell/mainframe.h"
#include "shell/printmenu.h"
#include "support/fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace quivra;

namespace {

std::unique_ptr<ScheduleData> school()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(3, 5, 4).resources('T', {"T1"}).resources('R', {"R1"});
    f.event("E1", {"T1", "R1"}, 2).allocate("E1", 1, 3, 1).place("E1", 1, 1, 1, 1);
    f.finish();
    return d;
}

} // namespace

class PrintMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void controlsGiveBackTheParametersTheyShow()
    {
        const auto d = school();
        std::vector<int> loaded;
        ReportParams stored;
        stored.setReportNumber(62);
        stored.firstWeek = 2;
        stored.lastWeek = 3;
        stored.suffix = 0;
        stored.firstChar = 'q';
        stored.charset = "UTF-8";
        stored.tag = "<a href=\"../\">Home</a>";
        stored.tableMask = 4 | 2 | (1 << 8);
        stored.minCellRows = 5;
        stored.maxCellRows = 7;
        stored.intranet = true;
        stored.icsFiles = true;
        stored.emptyTables = false;
        stored.weekOptions = WeekCumulative | WeekCellComments;
        stored.miscOptions |= MiscManualRooms;
        stored.showFields = 7 | FieldPlanned;
        stored.publishMemos = 2;
        stored.codes = {{"T1", 31}};
        TPrintMenu menu(
            *d,
            [&](int slot) {
                loaded.push_back(slot);
                ReportParams p = stored;
                p.setReportNumber(slotReportNumber(slot));
                return p;
            },
            8);
        QCOMPARE(menu.slot(), 8);
        QCOMPARE(loaded, std::vector<int>{8});
        QCOMPARE(menu.pages()->count(), 4);
        const ReportParams shown = menu.params();
        QVERIFY(shown == stored);

        menu.reports()->setCurrentRow(4); // slot 5: events by resources, event timetables
        QCOMPARE(loaded.back(), 5);
        QCOMPARE(menu.params().reportNumber(), 42);
        auto *intranet = menu.findChild<QCheckBox *>();
        QVERIFY(intranet);
        for (QCheckBox *box : menu.findChildren<QCheckBox *>())
            if (box->text() == "Publish on Intranet")
                box->setChecked(false);
        QVERIFY(!menu.params().intranet);
        QCOMPARE(menu.params().codes.size(), std::size_t{1});
    }

    void printClosesTheCatalogueForThePrinter()
    {
        const auto d = school();
        TPrintMenu menu(*d, {}, 3);
        QCOMPARE(menu.action(), TPrintMenu::Action::Publish);
        auto *print = menu.findChild<QPushButton *>("print");
        QVERIFY(print);
        QCOMPARE(print->text(), QString("Print!"));
        print->click();
        QCOMPARE(menu.result(), int(QDialog::Accepted));
        QCOMPARE(menu.action(), TPrintMenu::Action::Print);
        QCOMPARE(menu.params().reportNumber(), 3);
    }

    // Report to printer: the catalogue's Print! button, the codes, the print dialog, and the
    // report on the printer (here a PDF file).
    void thePrintRowPrintsOnThePrinter()
    {
        FrameFixture f;
        f.frame.session().settings.preferences.capacityCheck = true;
        QVERIFY(f.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        f.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.frame));
        QAction *print = f.frame.action("file.print");
        QVERIFY(print && print->isEnabled());
        QTemporaryDir dir;
        const QString pdf = dir.filePath("printed.pdf");
        ModalDriver driver;
        driver.expect("", QString(), [&](QDialog *dialog) {
            auto *menu = static_cast<TPrintMenu *>(dialog);
            menu->reports()->setCurrentRow(1); // the resources
            menu->findChild<QPushButton *>("print")->click();
        });
        driver.expect("codePicker", {}, [&](QDialog *dialog) {
            dialog->findChild<QPushButton *>("allButton")->click();
            ModalDriver::press(dialog, "OK");
        });
        driver.expect("", QString(), [&](QDialog *dialog) {
            auto *printDialog = qobject_cast<QPrintDialog *>(dialog);
            QVERIFY(printDialog);
            printDialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            printDialog->printer()->setOutputFileName(pdf);
            printDialog->done(QDialog::Accepted);
        });
        print->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.readAll().startsWith("%PDF"));
        QCOMPARE(f.frame.session().settings.reports.lastReport, 2);
    }

    void thePublishRowOpensTheCatalogue()
    {
        FrameFixture f;
        // The demo's rooms carry capacity tags: show the seats rather than ask whether to.
        f.frame.session().settings.preferences.capacityCheck = true;
        QVERIFY(f.openCopy(QUIVRA_SOURCE_DIR "/examples/demo.qvf"));
        f.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.frame));
        QAction *publish = f.frame.action("file.publish");
        QVERIFY(publish && publish->isEnabled());
        ModalDriver driver;
        QString title;
        driver.expect("", QString(), [&](QDialog *dialog) {
            title = dialog->windowTitle();
            dialog->reject();
        });
        publish->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(title, QString("Print menu"));
    }
};

QTEST_MAIN(PrintMenuTest)
#include "printmenu_test.moc"
