// The publishing commands through their dialogs: Publish on web writes the pages, stores the
// slot and offers the browser; batch mode republishes a stored slot; Display web report opens
// what was published or says it is gone; the calendar export asks its questions and refuses
// undated weeks.

#include "commands/reportcommands.h"
#include "engine/codetable.h"
#include "sessionfixture.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

using namespace quivra::testing;

class ReportCommandsTest : public ::testing::Test
{
protected:
    ReportCommandsTest() : f(root)
    {
        fs::create_directories(root.path() / "config");
        buildSample(*f.data);
        f.session.adoptFile(root / "data/plan.qvf");
    }
    CodeId id(const char *code) const { return findCode(*f.data, code); }
    OpenPath opener()
    {
        return [this](const std::string &path) { opened.push_back(path); };
    }

    TempFolder root;
    SessionFixture f;
    std::vector<std::string> opened;
};

TEST_F(ReportCommandsTest, PublishOnWebWritesThePagesAndRemembersTheSlot)
{
    const std::string main = root / "web/plan.htm";
    f.ui.expect("Select report").choose(3);
    f.ui.expect("first week").choose(1).expect("last week").choose(2);
    f.ui.pick({id("T1"), id("T2"), id("R1")});
    f.ui.expect("HTML file name").file(root / "web/Plan.htm");
    f.ui.expect("webpage(s) were created").answer(Answer::Yes);
    publishOnWeb(f.session, opener());
    ASSERT_TRUE(f.ui.finished()) << f.ui.problems();
    ASSERT_EQ(opened, std::vector<std::string>{main});
    EXPECT_TRUE(fs::is_regular_file(main));
    EXPECT_TRUE(fs::is_regular_file(root / "web/week002.htm"));
    EXPECT_EQ(f.settings.reports.printFile[3], main);
    EXPECT_GT(f.settings.reports.reportDate[3], 0);

    const ReportParams stored = loadReportSlot(f.session, 3);
    EXPECT_EQ(stored.lastWeek, 2);
    EXPECT_EQ(stored.codes.size(), 3u);

    // Batch mode offers the slot published before and writes it again.
    fs::remove(main);
    f.ui.expect("batch mode").choose({3});
    f.ui.expect("web pages files were created").answer(Answer::No);
    publishInBatchMode(f.session, opener());
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_TRUE(fs::is_regular_file(main));

    displayWebReport(f.session, opener());
    EXPECT_EQ(opened.size(), 2u);
    fs::remove(main);
    f.ui.expect("does not exist").answer(Answer::Ok);
    displayWebReport(f.session, opener());
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(ReportCommandsTest, NothingIsWrittenWithoutCodesOrWhenCancelled)
{
    f.ui.expect("Select report").choose(1);
    f.ui.expect("first week").cancel();
    publishOnWeb(f.session, opener());
    f.ui.expect("No web report").answer(Answer::Ok);
    displayWebReport(f.session, opener());
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_FALSE(fs::exists(root / "web"));
    EXPECT_TRUE(opened.empty());
}

TEST_F(ReportCommandsTest, CalendarExportAsksItsQuestionsAndRefusesUndatedWeeks)
{
    f.ui.expect("Which format").choose(3);
    f.ui.expect("have no dates").answer(Answer::Ok);
    exportCalendarFiles(f.session);
    ASSERT_TRUE(f.ui.finished()) << f.ui.problems();

    f.data->calendarMode |= 2;
    f.data->firstWeekDate = dateSerial(2027, 1, 4);
    f.ui.expect("Which format").choose(3);
    f.ui.expect("are interpreted as follows").answer(Answer::Yes);
    f.ui.expect("target folder").file(root / "cal/plan.ics");
    f.ui.expect("first week").choose(1).expect("last week").choose(4);
    f.ui.pick({id("T1"), id("R1")});
    f.ui.expect("How to convert").choose(2);
    f.ui.expect("In which format").choose(1);
    f.ui.expect("was converted to 2 (.ics) file(s)").answer(Answer::Ok);
    exportCalendarFiles(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_TRUE(fs::is_regular_file(root / "cal/t1.ics"));
    EXPECT_TRUE(fs::is_regular_file(root / "cal/r1.ics"));
}

} // namespace
} // namespace quivra
