#include "files/defaultsfile.h"

#include "engine/calendar.h"
#include "engine/dump.h"
#include "engine/roles.h"
#include "engine/textutil.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace quivra {
namespace {

namespace fs = std::filesystem;

// Test programs run in tests/files.
const std::string ShippedFile = "../../data/english.cfw";
const std::string SchoolFile = "data/cfw/school.cfw";
const std::string CrLfFile = "data/cfw/crlf.cfw";

// A data set as New leaves it before any file is read.
std::unique_ptr<ScheduleData> newDataSet()
{
    auto d = makeScheduleData();
    setBuiltInDefaults(*d);
    return d;
}

std::unique_ptr<ScheduleData> loaded(const std::string &path,
                                     DefaultsLoad mode = DefaultsLoad::Full)
{
    auto d = newDataSet();
    auto report = readDefaultsFile(path, *d, mode);
    EXPECT_TRUE(report.has_value()) << path;
    return d;
}

std::vector<std::string> roleNames(const ScheduleData &d)
{
    std::vector<std::string> names;
    for (int r = 1; r <= d.roleCount; ++r)
        names.push_back(d.roles[static_cast<std::size_t>(r)].name.str());
    return names;
}

class TempFolder
{
public:
    TempFolder()
        : m_path(fs::temp_directory_path() /
                 ("quivra-cfw-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempFolder() { fs::remove_all(m_path); }
    std::string file(const std::string &name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

// ---- the shipped file and round trips -------------------------------------------------------

TEST(DefaultsFile, ShippedFileHoldsTheBuiltInTextsAndItsRoles)
{
    auto fromFile = makeScheduleData(); // report titles empty: only the file can fill them
    ASSERT_TRUE(readDefaultsFile(ShippedFile, *fromFile, DefaultsFullLoad).has_value());

    auto builtIn = newDataSet();
    for (const std::string &role : roleNames(*fromFile))
        addRole(*builtIn, role);
    applyDefaultsText("", *builtIn, DefaultsFullLoad); // the same recount as after a read
    EXPECT_FALSE(roleNames(*fromFile).empty());
    EXPECT_EQ(dumpScheduleData(*fromFile), dumpScheduleData(*builtIn));
}

TEST(DefaultsFile, WrittenFileReadsBackToTheSameDataSet)
{
    TempFolder tmp;
    for (const std::string &source : {ShippedFile, SchoolFile}) {
        SCOPED_TRACE(source);
        auto first = loaded(source);
        ASSERT_TRUE(writeDefaultsFile(*first, tmp.file("out.cfw")).has_value());
        auto second = loaded(tmp.file("out.cfw"));
        EXPECT_EQ(dumpScheduleData(*second), dumpScheduleData(*first));
        // Writing again gives the same bytes.
        EXPECT_EQ(defaultsText(*second), defaultsText(*first));
    }
}

TEST(DefaultsFile, FirstWeekDatesOnBothSidesOfTheDayNumberRangeReadBack)
{
    // The reader takes a large [Base] value for a day number counted from year 1; a date serial
    // that large must still come back as itself.
    for (const std::int32_t date : {0, 45299, 693594, 693595, 2000000}) {
        SCOPED_TRACE(date);
        auto d = makeScheduleData();
        setBuiltInDefaults(*d);
        d->firstWeekDate = date;
        auto back = makeScheduleData();
        setBuiltInDefaults(*back);
        EXPECT_EQ(applyDefaultsText(defaultsText(*d), *back, DefaultsFullLoad).linesSkipped, 0);
        EXPECT_EQ(back->firstWeekDate, date);
    }
}

TEST(DefaultsFile, FullLoadOfAHandWrittenFile)
{
    auto d = newDataSet();
    const auto report = readDefaultsFile(SchoolFile, *d, DefaultsFullLoad);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->linesSkipped, 0);

    EXPECT_EQ(d->coding.weekBits, 7);
    EXPECT_EQ(d->coding.weekLimit, 60);
    EXPECT_EQ(d->coding.dayLimit, 5);
    EXPECT_EQ(d->coding.bellLimit, 12);
    EXPECT_EQ(usedWeeks(*d), 14);
    EXPECT_EQ(usedDays(*d), 5);
    EXPECT_EQ(usedBells(*d), 6);
    EXPECT_EQ(d->weeks[2].name.str(), "T1"); // a repeated name is a name, not a default
    EXPECT_EQ(d->weeks[3].name.str(), "[3]");
    EXPECT_EQ(d->bellNames[3].str(), "10:00-10:50");
    EXPECT_EQ(d->dayNames, "Mon$Tue$Wed$Thu$Fri$Sat$Sun$");
    EXPECT_EQ(d->resourceCategories.str(), "G:Groups$T:Staff$R:Rooms$S:Subjects$");
    EXPECT_EQ(d->bookingKinds.str(), "/////$Away$Hold$");
    EXPECT_EQ(d->noGapsMasks[1], 2);
    EXPECT_EQ(d->noTimetableMasks[1], 8);
    EXPECT_EQ(d->visibleMasks[1], 15);
    EXPECT_EQ(d->reportTitles[6], "Term timeline");
    EXPECT_EQ(d->firstWeekDate, 45537);
    EXPECT_EQ(d->calendarMode, 2);
    EXPECT_EQ(d->vocabulary.substr(0, 8), "Courses$");
}

// ---- headings, blank lines, roles -----------------------------------------------------------

TEST(DefaultsFile, OnlyExactHeadingsSwitchSectionsAndBlankLinesAreIgnored)
{
    // "Mode" and "Days" stay roles; the blank line between roles does not open [Weeks].
    auto d = loaded(SchoolFile);
    EXPECT_EQ(roleNames(*d), (std::vector<std::string>{"Lecturer", "Tutor", "Mode", "Days"}));
    EXPECT_EQ(d->calendarMode, 2);
    EXPECT_EQ(d->weeks[1].length, 1);

    auto e = newDataSet();
    applyDefaultsText("[Weeks]\n   1   3 A\n\n  [Days]  \nX$Y$\n[days]\n   2   5 B\n", *e,
                      DefaultsFullLoad);
    EXPECT_EQ(e->weeks[1].length, 3);
    // "[days]" is not a heading: the line after it is a day list, not week 2.
    EXPECT_EQ(e->dayNames, "   2   5 B");
    EXPECT_EQ(e->weeks[2].name.str(), "[2]");
}

TEST(DefaultsFile, CrLfAndLoneCrLineEndsAndAMissingFinalLineEnd)
{
    auto d = loaded(CrLfFile, DefaultsLanguageLoad);
    EXPECT_EQ(roleNames(*d), (std::vector<std::string>{"Marker"}));
    EXPECT_EQ(d->dayNames, "Lun$Mar$Mer$Jeu$Ven$Sam$Dim$");
    EXPECT_EQ(d->bellNames[1].str(), "8h00");

    auto e = newDataSet();
    applyDefaultsText("[Roles]\rOne\rTwo", *e, DefaultsLanguageLoad);
    EXPECT_EQ(roleNames(*e), (std::vector<std::string>{"One", "Two"}));
}

TEST(DefaultsFile, LanguageLoadTakesTextsOnlyAndAddsNoRoleTwice)
{
    auto d = loaded(ShippedFile);
    d->weeks[5].length = 3;

    for (int pass = 0; pass < 2; ++pass) {
        const auto report = readDefaultsFile(SchoolFile, *d, DefaultsLanguageLoad);
        ASSERT_TRUE(report.has_value());
        EXPECT_EQ(report->rolesAdded, pass == 0 ? 4 : 0);
    }
    EXPECT_EQ(d->roleCount, 5 + 4); // the shipped roles and the school's, once each
    EXPECT_EQ(d->dayNames, "Mon$Tue$Wed$Thu$Fri$Sat$Sun$");
    EXPECT_EQ(d->bellNames[1].str(), "8:00-8:50");
    EXPECT_EQ(d->reportTitles[1], "Courses");
    EXPECT_EQ(d->eventCategories.str(), "l:Lecture$s:Seminar$x:Exam$");

    // Calendar, coding, masks, first week date and mode stay those of the open data set.
    EXPECT_EQ(d->coding.weekBits, 8);
    EXPECT_EQ(usedWeeks(*d), 255);
    EXPECT_EQ(d->weeks[5].length, 3);
    EXPECT_EQ(d->weeks[1].name.str(), "[1]");
    EXPECT_EQ(d->visibleMasks[1], 255);
    EXPECT_EQ(d->noTimetableMasks[1], 0);
    EXPECT_EQ(d->firstWeekDate, 0);
    EXPECT_EQ(d->calendarMode, 0);
}

// ---- weeks and limits -----------------------------------------------------------------------

TEST(DefaultsFile, WeekLengthHoldsFromItsWeekOnUntilALaterLine)
{
    auto d = newDataSet();
    applyDefaultsText("[Weeks]\n  10   4 Ten\n  12   2\n  20   0 Z\n", *d, DefaultsFullLoad);
    EXPECT_EQ(d->weeks[9].length, 1);
    EXPECT_EQ(d->weeks[10].length, 4);
    EXPECT_EQ(d->weeks[11].length, 4);
    EXPECT_EQ(d->weeks[12].length, 2);
    EXPECT_EQ(d->weeks[12].name.str(), "[12]"); // a line without a name keeps the name
    EXPECT_EQ(d->weeks[19].length, 2);
    EXPECT_EQ(d->weeks[20].length, 1); // length 0 stands for 1
    EXPECT_EQ(d->weeks[255].length, 1);
    EXPECT_EQ(d->weeks[10].name.str(), "Ten");
}

TEST(DefaultsFile, LimitsApplyAsOneCodingAtTheEnd)
{
    struct Case
    {
        const char *name;
        const char *limits;
        int weekBits, weekLimit, dayLimit, bellLimit, usedWeeks, usedBells;
        bool refused;
    };
    const Case cases[] = {
        // 10 + 3 + 5 bits do not fit a slot code: the default coding holds.
        {"invalid sum", "   1  10\n   2   3\n   3   5\n", 8, 255, 7, 30, 255, 30, true},
        {"zero bits", "   1   0\n", 8, 255, 7, 30, 255, 30, true},
        // A limit not given follows the field; one that is not a number defaults to 2^bits - 1.
        {"narrow weeks", "   1   6\n   4 abc\n", 6, 63, 7, 30, 63, 30, false},
        // Bell bits 6 allow 63 bells, the tables hold 30.
        {"wide bells", "   1   7\n   3   6\n   6  63\n   9  40\n", 7, 127, 7, 30, 127, 30, false},
        {"used within limits", "   7  20\n   9   8\n", 8, 255, 7, 30, 20, 8, false},
        {"used above limit", "   4  40\n   7 200\n", 8, 40, 7, 30, 40, 30, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = newDataSet();
        const DefaultsReport r =
            applyDefaultsText(std::string("[Limits]\n") + c.limits, *d, DefaultsFullLoad);
        EXPECT_EQ(d->coding.weekBits, c.weekBits);
        EXPECT_EQ(d->coding.weekLimit, c.weekLimit);
        EXPECT_EQ(d->coding.dayLimit, c.dayLimit);
        EXPECT_EQ(d->coding.bellLimit, c.bellLimit);
        EXPECT_EQ(usedWeeks(*d), c.usedWeeks);
        EXPECT_EQ(usedBells(*d), c.usedBells);
        EXPECT_EQ(r.codingRefused, c.refused);
    }
}

TEST(DefaultsFile, StoredLecturesKeepTheirCoding)
{
    auto d = newDataSet();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('T', {"T1"});
    f.event("E1", {"T1"}, 2).allocate("E1", 1, 2, 1).place("E1", 2, 3, 4, 4);
    f.finish();
    const auto before = std::make_unique<ScheduleData>(*d); // too large for the stack

    const DefaultsReport r =
        applyDefaultsText("[Limits]\n   1   6\n   3   6\n   7   4\n", *d, DefaultsFullLoad);
    EXPECT_TRUE(r.codingKept);
    EXPECT_EQ(d->coding.weekBits, 8);
    EXPECT_EQ(d->coding.bellBits, 5);
    EXPECT_EQ(usedWeeks(*d), 4); // the weeks in use may still change
    ASSERT_EQ(d->lectureCount, before->lectureCount);
    for (int i = 1; i <= d->lectureCount; ++i) {
        EXPECT_EQ(d->lectureWord[i], before->lectureWord[i]);
        EXPECT_EQ(d->lectureStart[i], before->lectureStart[i]);
        EXPECT_EQ(d->lectureEnd[i], before->lectureEnd[i]);
    }
}

// ---- damaged and hostile input --------------------------------------------------------------

TEST(DefaultsFile, BadLinesAreSkippedAndTheRestStillApplies)
{
    struct Case
    {
        const char *name;
        std::string text;
        int skipped;
    };
    const std::string garbage("\x00\xff\x1b[Weeks\x00]\n\x80\x81\x82", 11);
    const Case cases[] = {
        {"garbage bytes", garbage, 0},
        {"week 0 and 300", "[Weeks]\n   0   2 Zero\n 300   2 Big\n", 2},
        {"week not a number", "[Weeks]\nabcd   2 X\n", 1},
        {"length above a byte", "[Weeks]\n   3 999 X\n", 1},
        {"short week line", "[Weeks]\n   3\n", 0},
        {"bell 0 and 31", "[Bells]\n   0 a\n  31 b\n", 2},
        {"mask above 255", "[Attributes]\n   6 256\n   5 -1\n   4 xx\n", 3},
        {"unknown attribute", "[Attributes]\n   9 x\n", 1},
        {"empty category list", "[Attributes]\n   1 \n", 1},
        {"limit above 255", "[Limits]\n   4 300\n  10   1\n", 2},
        {"report 7", "[Reports]\n   7 Seven\n   0 Zero\n", 2},
        {"base not a date", "[Base]\nsoon\n[Mode]\n-4\n", 2},
        {"huge numbers", "[Weeks]\n99999999999 1 X\n[Base]\n99999999999999\n", 2},
        {"no sections at all", "just some text\nand more\n", 0},
        {"empty file", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = newDataSet();
        applyDefaultsText("", *d, DefaultsFullLoad);
        const std::string before = dumpScheduleData(*d);
        // A good line after the damage still applies.
        const DefaultsReport r =
            applyDefaultsText(c.text + "\n[Reports]\n   2 Still read\n", *d, DefaultsFullLoad);
        EXPECT_EQ(r.linesSkipped, c.skipped);
        EXPECT_EQ(d->reportTitles[2], "Still read");
        d->reportTitles[2] = "Resources";
        EXPECT_EQ(dumpScheduleData(*d), before) << "a skipped line changed something";
    }
}

TEST(DefaultsFile, LongTextsAreCutToTheirFields)
{
    auto d = newDataSet();
    const std::string longText(400, 'x');
    applyDefaultsText("[Weeks]\n   1   1 " + longText + "\n[Bells]\n   1 " + longText +
                          "\n[Reports]\n   1 " + longText + "\n[Days]\n" + longText +
                          "\n[Roles]\n" + longText + "\n",
                      *d, DefaultsFullLoad);
    EXPECT_EQ(d->weeks[1].name.str().size(), static_cast<std::size_t>(WeekNameLength));
    EXPECT_EQ(d->bellNames[1].str().size(), static_cast<std::size_t>(BellNameLength));
    EXPECT_EQ(d->reportTitles[1].size(), static_cast<std::size_t>(ReportTitleLength));
    EXPECT_EQ(d->dayNames.size(), static_cast<std::size_t>(ListLength));
    EXPECT_EQ(d->roles[1].name.str().size(), static_cast<std::size_t>(RoleNameLength));
}

TEST(DefaultsFile, RolesStopWhenTheTableIsFull)
{
    auto d = newDataSet();
    std::string text = "[Roles]\n";
    for (int i = 1; i <= MaxRoles + 3; ++i)
        text += "Role " + std::to_string(i) + "\n";
    const DefaultsReport r = applyDefaultsText(text, *d, DefaultsLanguageLoad);
    EXPECT_EQ(d->roleCount, MaxRoles);
    EXPECT_EQ(r.linesSkipped, 3);
}

// ---- files ----------------------------------------------------------------------------------

TEST(DefaultsFile, MissingFileChangesNothing)
{
    auto d = loaded(ShippedFile);
    const std::string before = dumpScheduleData(*d);
    const auto r = readDefaultsFile("data/cfw/no-such.cfw", *d, DefaultsFullLoad);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().code, Error::Code::NotFound);
    EXPECT_EQ(dumpScheduleData(*d), before);
}

TEST(DefaultsFile, NewDataSetTakesTheFileOrTheBuiltInDefaults)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.resources('T', {"T1"}).finish();

    auto report = startNewDataSet(*d, "data/cfw/no-such.cfw");
    ASSERT_TRUE(report.has_value());
    EXPECT_FALSE(report->fileRead);
    EXPECT_EQ(d->codeCount, 0);
    EXPECT_EQ(dumpScheduleData(*d), dumpScheduleData(*newDataSet()));

    report = startNewDataSet(*d, SchoolFile);
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->fileRead);
    EXPECT_EQ(usedWeeks(*d), 14);
}

TEST(DefaultsFile, WriterLeavesOutWhatWouldReadAsAHeading)
{
    auto d = loaded(SchoolFile);
    addRole(*d, "[Mode]");
    d->bellNames[2].assign("9:00\n[Mode]");
    const std::string text = defaultsText(*d);

    std::size_t headings = 0;
    for (std::size_t at = text.find("[Mode]"); at != std::string::npos;
         at = text.find("[Mode]", at + 1))
        headings += text.compare(at - 1, 8, "\n[Mode]\n") == 0 ? 1 : 0;
    EXPECT_EQ(headings, 1u);

    auto back = newDataSet();
    const DefaultsReport r = applyDefaultsText(text, *back, DefaultsFullLoad);
    EXPECT_EQ(r.linesSkipped, 0);
    EXPECT_EQ(roleNames(*back), (std::vector<std::string>{"Lecturer", "Tutor", "Mode", "Days"}));
    EXPECT_EQ(back->calendarMode, 2);
    EXPECT_EQ(back->bellNames[3].str(), "10:00-10:50");
}

TEST(DefaultsFile, ControlCharactersNeverReachTheDataSetAndEveryWrittenFileReadsBack)
{
    // The same rule for each control byte in a role and a report title.
    struct Case
    {
        const char *name;
        std::string inside; // what stands between "Lead" and "er"
        std::string read;
    };
    const Case cases[] = {
        {"NUL", std::string(1, '\0'), "Leader"},
        {"end of file mark", "\x1A", "Leader"},
        {"tab", "\t", "Lead er"},
        {"escape", "\x1B", "Leader"},
    };
    for (const Case &c : cases) {
        auto d = newDataSet();
        const std::string text =
            "[Roles]\nLead" + c.inside + "er\n[Reports]\n   1 Lead" + c.inside + "er\n";
        EXPECT_EQ(applyDefaultsText(text, *d, DefaultsFullLoad).linesSkipped, 0) << c.name;
        ASSERT_NE(findRoleByName(*d, c.read), 0) << c.name;
        EXPECT_EQ(d->reportTitles[1], c.read) << c.name;
    }
    // A fuzzer's file: a [Roles] name holding NUL, 0x03 and 0x90 bytes.
    auto found = loaded("data/cfw/control-characters.cfw");
    ASSERT_GT(found->roleCount, 0);
    for (int r = 1; r <= found->roleCount; ++r)
        EXPECT_FALSE(hasControlCharacters(found->roles[r].name.view())) << r;
    const std::string written = defaultsText(*found);
    auto back = newDataSet();
    EXPECT_EQ(applyDefaultsText(written, *back, DefaultsFullLoad).linesSkipped, 0);
    EXPECT_EQ(back->roleCount, found->roleCount);
    EXPECT_EQ(defaultsText(*back), written);
}

TEST(DefaultsFile, WriteToAMissingFolderFails)
{
    TempFolder tmp;
    auto d = loaded(SchoolFile);
    EXPECT_FALSE(writeDefaultsFile(*d, tmp.file("missing/out.cfw")).has_value());
    EXPECT_FALSE(fs::exists(tmp.file("missing")));
}

} // namespace
} // namespace quivra
