// Report to printer through its dialogs: the chosen codes are printed on the printer's pages
// within the chosen range and the slot keeps its settings; a cancelled print dialog or an empty
// choice prints nothing; a printer that cannot start says so.

#include "commands/printcommands.h"
#include "commands/reportcommands.h"
#include "engine/codetable.h"
#include "sessionfixture.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

using namespace quivra::testing;

class FakePrinter final : public ReportPrinter
{
public:
    bool choose(int &firstPage, int &lastPage) override
    {
        ++asked;
        firstPage = first;
        lastPage = last;
        return accept;
    }
    PrintSurface &surface() override { return *target; }

    bool accept = true;
    int first = 1, last = 9999;
    int asked = 0;
    RecordingSurface recording;
    PrintSurface *target = &recording;
};

// A printer that cannot be started.
class OfflineSurface final : public PrintSurface
{
public:
    bool beginDocument(std::string_view) override { return false; }
    void newPage() override {}
    bool endDocument() override { return false; }
    std::string error() const override { return "The printer could not be started."; }
    int pageWidth() const override { return 1000; }
    int pageHeight() const override { return 1000; }
    void setFontStyle(int) override {}
    int textWidth(std::string_view) const override { return 10; }
    int textHeight() const override { return 10; }
    void drawText(const PrintRect &, int, int, std::string_view) override {}
    void drawRect(const PrintRect &) override {}
    void drawLine(int, int, int, int, PenStyle) override {}
    void drawPicture(const PrintRect &, const std::string &) override {}
};

class PrintCommandsTest : public ::testing::Test
{
protected:
    PrintCommandsTest() : f(root)
    {
        fs::create_directories(root.path() / "config");
        fs::create_directories(root.path() / "data");
        buildSample(*f.data);
        f.session.adoptFile(root / "data/plan.qvf");
    }
    CodeId id(const char *code) const { return findCode(*f.data, code); }

    TempFolder root;
    SessionFixture f;
    FakePrinter printer;
};

TEST_F(PrintCommandsTest, TheChosenCodesArePrintedAndTheSlotKeepsThem)
{
    f.ui.pick({id("T1"), id("T2")});
    ReportParams p;
    p.firstWeek = 1;
    p.lastWeek = 2;
    printReportSlot(f.session, 2, p, printer);
    ASSERT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(printer.asked, 1);
    EXPECT_TRUE(printer.recording.ended);
    EXPECT_EQ(printer.recording.pages, 1);
    EXPECT_TRUE(printer.recording.contains("T1"));
    EXPECT_TRUE(printer.recording.contains("T2"));
    EXPECT_FALSE(printer.recording.contains("R1"));
    EXPECT_EQ(printer.recording.pageTexts(1).front(), "Resources");
    EXPECT_EQ(f.settings.reports.lastReport, 2);
    const ReportParams stored = loadReportSlot(f.session, 2);
    EXPECT_EQ(stored.codes.size(), 2u);
    EXPECT_EQ(stored.lastWeek, 2);

    // Pages past the chosen range are not printed.
    f.ui.pick({id("T1"), id("T2")});
    printer.recording = RecordingSurface();
    printer.first = printer.last = 2;
    printReportSlot(f.session, 3, p, printer);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(printer.recording.pages, 1);
    EXPECT_TRUE(printer.recording.contains("[ -2- ]"));
    EXPECT_FALSE(printer.recording.contains("[ -1- ]"));
    EXPECT_FALSE(printer.recording.contains("[ -3- ]"));
}

TEST_F(PrintCommandsTest, NothingIsPrintedWhenCancelledOrWithoutCodes)
{
    f.ui.pick({});
    f.ui.expect("Please select the codes").answer(Answer::Ok);
    printReportSlot(f.session, 1, ReportParams{}, printer);
    f.ui.pick({id("T1")});
    printer.accept = false;
    printReportSlot(f.session, 2, ReportParams{}, printer);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(printer.asked, 1);
    EXPECT_EQ(printer.recording.pages, 0);
    EXPECT_FALSE(fs::exists(reportSlotPath(f.session, 2)));
}

TEST_F(PrintCommandsTest, APrinterThatCannotStartIsReported)
{
    OfflineSurface offline;
    printer.target = &offline;
    f.ui.pick({id("T1")});
    f.ui.expect("could not be started").answer(Answer::Ok);
    printReportSlot(f.session, 2, ReportParams{}, printer);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

} // namespace
} // namespace quivra
