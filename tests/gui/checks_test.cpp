// The checks in the desktop program: the health check with its repairs on a damaged file that
// is then saved and found sound by quivra-cli, the statistics notebook with its graph, and the
// timetable quality list opening a timetable.
//
// With QUIVRA_SCREENSHOTS set to a folder, the dialogs are also saved there as pictures.

#include "framefixture.h"
#include "modaldriver.h"

#include "engine/codeedits.h"
#include "files/datafile.h"
#include "shell/statisticsdialog.h"
#include "support/fixture.h"
#include "views/viewform.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <nlohmann/json.hpp>

using namespace quivra;

namespace {

void picture(QWidget *widget, const char *name)
{
    const QString folder = qEnvironmentVariable("QUIVRA_SCREENSHOTS");
    if (!folder.isEmpty())
        widget->grab().save(QDir(folder).filePath(QString::fromLatin1(name)));
}

QString cliPath()
{
    // tests/gui/<program> beside src/cli/quivra-cli in the build tree.
    return QCoreApplication::applicationDirPath() + "/../../src/cli/quivra-cli";
}

// Opens a copy of the demo, answering its question about capacity tags.
bool openDemo(FrameFixture &fx)
{
    ModalDriver driver;
    driver.message("You have used capacity tags", "Yes");
    return fx.openCopy(QStringLiteral(QUIVRA_SOURCE_DIR "/examples/demo.qvf")) && driver.finished();
}

} // namespace

class ChecksTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void healthCheckRepairsADamagedFileThatThenChecksSound()
    {
        // Readable, but a command left a conflict count behind, EMPTY has no resources and G9
        // serves nobody.
        auto source = makeScheduleData();
        FixtureBuilder f(*source);
        f.calendar(1, 5, 6).resources('G', {"G9"}).resources('T', {"T1", "T2"});
        f.event("MATH", {"T1"}, 2).event("ART", {"T2"}, 1).event("EMPTY", {});
        f.allocate("MATH", 1, 1, 2).allocate("ART", 1, 1, 1);
        f.place("MATH", 1, 1, 1, 2).place("ART", 1, 1, 2, 2);
        f.finish();
        noteConflictSource(*source, 3, 46000);
        const QString path = m_dir.filePath("damaged.qvf");
        const std::vector<std::uint8_t> bytes = encodeDataFile(*source);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
        file.close();

        FrameFixture fx;
        QVERIFY(fx.open(path));
        QVERIFY(fx.frame.action("options.health")->isEnabled());
        ModalDriver driver;
        driver.message("Your Quivra file contains conflicts which will be removed", "Yes")
            .message("1 (out of 3) events have no resources and they cannot be scheduled", "Yes")
            .message("1 (out of 3) events do not have any resources", "Yes")
            .message("to remove 2 resources and events - this is not mandatory", "Yes")
            .message("1 events and 1 resources removed.", "OK")
            .message("Summary:", "OK");
        fx.frame.action("options.health")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(fx.d->modified);
        fx.frame.action("file.save")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QVERIFY(!fx.d->modified);

        QProcess cli;
        cli.start(cliPath(), {"health", path, "--json"});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const auto report = nlohmann::json::parse(cli.readAllStandardOutput().toStdString());
        QVERIFY2(report.at("findings").empty(), report.dump().c_str());
    }

    void noEndsTheHealthCheck()
    {
        FrameFixture fx;
        QVERIFY(openDemo(fx));
        ModalDriver driver;
        driver.expect("messageDialog", "Miscellaneous hints and tips", [](QDialog *box) {
            picture(box, "health-check.png");
            ModalDriver::press(box, "No");
        });
        fx.frame.action("options.health")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
    }

    void statisticsShowTablesAndAGraph()
    {
        FrameFixture fx;
        QVERIFY(openDemo(fx));
        TStatNoteBookDlg dialog(*fx.d, false, fx.frame.filePath(), &fx.frame);
        dialog.show();
        QTableWidget *events = dialog.table(StatKind::Events);
        QCOMPARE(events->item(0, 2)->text(), QStringLiteral("PLAN"));
        QCOMPARE(events->item(StatTotalRow, 0)->text(), QStringLiteral("TOTAL:"));
        picture(&dialog, "statistics-events.png");
        QVERIFY(dialog.pages()
                    ->widget(TStatNoteBookDlg::FilesPage)
                    ->findChild<QLabel *>()
                    ->text()
                    .contains(" bytes"));

        dialog.pages()->setCurrentIndex(TStatNoteBookDlg::GraphsPage);
        QVERIFY(dialog.resourceChoice()->count() > 0);
        // A teacher with lessons in every week.
        const int teacher = dialog.resourceChoice()->findText("LNP", Qt::MatchStartsWith);
        dialog.resourceChoice()->setCurrentIndex(std::max(teacher, 0));
        const ResourceGraph &graph = dialog.graphView()->graph();
        QCOMPARE(static_cast<int>(graph.weeks.size()), 6);
        QVERIFY(graph.largest > 0);
        QTest::mouseClick(
            dialog.graphView(), Qt::LeftButton, {},
            QPoint(dialog.graphView()->width() - 20, dialog.graphView()->height() / 2));
        auto *hint = dialog.findChild<QLabel *>("graphHint");
        QVERIFY(hint->text().startsWith("Week = "));
        picture(&dialog, "statistics-graph.png");
    }

    void qualityListOpensTheChosenTimetable()
    {
        FrameFixture fx;
        QVERIFY(openDemo(fx));
        ModalDriver driver;
        driver.option("Select the first week to analyse timetables from", 0);
        driver.expect("optionsDialog", "timetables in 6 week(s) sorted by gaps.",
                      [](QDialog *list) {
                          list->resize(640, 420);
                          picture(list, "timetable-quality.png");
                          list->findChild<QListWidget *>()->setCurrentRow(0);
                          ModalDriver::press(list, "OK");
                      });
        fx.frame.action("options.quality")->trigger();
        QVERIFY2(driver.finished(), qPrintable(driver.problems()));
        QCOMPARE(fx.frame.currentView(), ViewTag::Timetables);
        QCOMPARE(fx.d->codes[fx.d->currentCode].code.str(), std::string("OQS"));
        QCOMPARE(fx.frame.activeWeek(), 6);
    }
};

QTEST_MAIN(ChecksTest)
#include "checks_test.moc"
