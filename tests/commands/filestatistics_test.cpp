#include "commands/filestatistics.h"

#include "commands/sessionfixture.h"
#include "commands/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace quivra {
namespace {

using namespace quivra::testing;

std::vector<std::string> fields(const std::string &line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ';');)
        out.push_back(field);
    return out;
}

std::vector<std::string> reportLines(const std::string &path)
{
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A folder of two data files, one damaged one and a text file.
void fillFolder(const TempFolder &root)
{
    fs::create_directories(root.path() / "files");
    writeSample(root / "files/a.qvf");
    writeSample(root / "files/b.qvf", [](ScheduleData &d) {
        buildSample(d);
        d.description = "Second; with a separator";
    });
    writeBytes(root / "files/junk.qvf", {'n', 'o', 't', ' ', 'a', ' ', 'f', 'i', 'l', 'e'});
    writeBytes(root / "files/notes.txt", {'x'});
}

TEST(FileStatistics, AStarArgumentListsTheMatchingDataFiles)
{
    TempFolder root;
    fillFolder(root);
    SessionFixture f(root);
    f.session.arguments = {root / "files/*.qvf"};
    f.ui.expect("File statistics of 2 data files written to").answer(Answer::Ok);
    firstPaint(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_TRUE(f.session.currentFile().empty()); // nothing is opened

    const std::vector<std::string> lines = reportLines(root / "files/stats.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].starts_with("FileName;Description;FileSize;Age;Access;MaxPeriods;"
                                     "MaxDays;MaxHours;UsedPeriods;UsedDays;UsedHours;LSize[0]"));
    const std::vector<std::string> header = fields(lines[0]);
    const auto column = [&header](const std::string &name) {
        return static_cast<std::size_t>(std::ranges::find(header, name) - header.begin());
    };
    const std::vector<std::string> a = fields(lines[1]);
    const std::vector<std::string> b = fields(lines[2]);
    ASSERT_EQ(a.size(), header.size());
    ASSERT_EQ(b.size(), header.size());
    EXPECT_EQ(a[0], "a.qvf");
    EXPECT_EQ(b[0], "b.qvf");
    EXPECT_EQ(b[1], "Second  with a separator"); // one field whatever the description holds
    EXPECT_EQ(a[column("FileSize")], std::to_string(fs::file_size(root / "files/a.qvf")));
    // The sample: 4 weeks, 5 days, 6 bells; E1 is allocated up to week 2, E2 ends on day 2,
    // bell 3.
    EXPECT_EQ(a[column("MaxPeriods")], "4");
    EXPECT_EQ(a[column("MaxDays")], "5");
    EXPECT_EQ(a[column("MaxHours")], "6");
    EXPECT_EQ(a[column("UsedPeriods")], "2");
    EXPECT_EQ(a[column("UsedDays")], "2");
    EXPECT_EQ(a[column("UsedHours")], "3");
    EXPECT_EQ(a[column("LSize[0]")], "5");
    EXPECT_EQ(a[column("AttrS[0,0]")], "2"); // events
    EXPECT_EQ(a[column("AttrS[1,0]")], "3"); // resources
    // E1 holds one block of two cells, E2 one of one cell.
    EXPECT_EQ(a[column("P[1]")], "1");
    EXPECT_EQ(a[column("P[2]")], "1");
    EXPECT_EQ(a[column("P[3]")], "0");
}

TEST(FileStatistics, PatternsMatchNamesWithoutRegardToCase)
{
    struct Case
    {
        const char *pattern;
        std::size_t listed;
    };
    const Case cases[] = {
        {"*.qvf", 2}, {"*.QVF", 2}, {"a*", 1}, {"?.qvf", 2}, {"x*.qvf", 0}, {"*", 2},
    };
    TempFolder root;
    fillFolder(root);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern);
        SessionFixture f(root);
        EXPECT_EQ(writeFileStatistics(f.session, root / ("files/" + std::string(c.pattern))),
                  static_cast<int>(c.listed));
        EXPECT_EQ(reportLines(root / "files/stats.txt").size(), c.listed + 1);
    }
}

} // namespace
} // namespace quivra
