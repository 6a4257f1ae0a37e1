// Printed reports through the Qt backend on the offscreen platform: a report written as a PDF
// has the pages the run printed, a PDF that cannot be written or a report with nothing to print
// leaves no file behind, and the batch path's exit codes follow quivra-cli's.

#include "files/datafile.h"
#include "reports/reportfixture.h"
#include "shell/printing.h"

#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quivra;

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Page objects of a PDF: "/Type /Page" not followed by "s".
int pdfPages(const std::string &pdf)
{
    int n = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        n += pdf.compare(at, 12, "/Type /Pages") != 0 ? 1 : 0;
    return n;
}

} // namespace

class PrintingTest : public QObject
{
    Q_OBJECT

private slots:
    void aReportAsPdfHasThePagesItPrinted()
    {
        QTemporaryDir dir;
        const auto d = reportFixture();
        for (const int number : {2, 3, 61}) {
            ReportParams p;
            p.setReportNumber(number);
            p.firstWeek = 1;
            p.lastWeek = 3;
            const std::string path = dir.filePath("report.pdf").toStdString();
            NullProgress progress;
            const PrintResult r = writeReportPdf(*d, p, PrintOptions{}, path, progress);
            QVERIFY2(!r.failed && !r.refused, r.message.c_str());
            const std::string pdf = readAll(path);
            QVERIFY(pdf.starts_with("%PDF-"));
            QCOMPARE(pdfPages(pdf), r.pages);
            QVERIFY(r.pages >= 1);
        }
    }

    void aFailedRunLeavesNoFile()
    {
        QTemporaryDir dir;
        const auto d = reportFixture();
        NullProgress progress;
        const std::string missing = dir.filePath("no/such/folder/x.pdf").toStdString();
        const PrintResult unwritable =
            writeReportPdf(*d, ReportParams{}, PrintOptions{}, missing, progress);
        QVERIFY(unwritable.failed);
        QVERIFY(!std::filesystem::exists(missing));

        auto empty = makeScheduleData();
        const std::string nothing = dir.filePath("nothing.pdf").toStdString();
        const PrintResult refused =
            writeReportPdf(*empty, ReportParams{}, PrintOptions{}, nothing, progress);
        QVERIFY(refused.refused);
        QVERIFY(!std::filesystem::exists(nothing));
    }

    void theBatchPathAnswersWithTheToolsExitCodes()
    {
        QTemporaryDir dir;
        const std::string out = dir.filePath("r.pdf").toStdString();
        const std::string demo = QUIVRA_SOURCE_DIR "/examples/demo.qvf";
        // A data set without events: nothing to print.
        auto empty = makeScheduleData();
        const std::string emptyFile = dir.filePath("empty.qvf").toStdString();
        QVERIFY(writeDataFile(*empty, emptyFile).has_value());
        struct Case
        {
            std::vector<std::string> arguments;
            int exitCode;
        };
        const Case cases[] = {
            {{"--print-pdf", out, "--report", "2", "--weeks", "1-2", demo}, 0},
            {{"--print-pdf", out}, 1},
            {{"--print-pdf", out, "--report", "7", demo}, 1},
            {{"--print-pdf", out, "--weeks", "3-1", demo}, 1},
            {{"--print-pdf", out, dir.filePath("missing.qvf").toStdString()}, 2},
            {{"--print-pdf", out, emptyFile}, 3},
        };
        for (const Case &c : cases) {
            std::ostringstream printed, errors;
            QCOMPARE(runPrintPdf(c.arguments, printed, errors), c.exitCode);
            if (c.exitCode == 0)
                QCOMPARE(printed.str(), std::string("report: 2\npages: ") +
                                            std::to_string(pdfPages(readAll(out))) +
                                            "\nunfit_cells: 0\n");
            else
                QVERIFY(!errors.str().empty());
        }
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
