#include "files/textexchange.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "engine/lectures.h"
#include "engine/textutil.h"
#include "files/encoding.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quivra {
namespace {

constexpr std::time_t FixedClock = 1700000000;

// An institution that fills every section of the file: dated weeks, a long week, bell names,
// collections, allocations, placements, both kinds of bookings, a manual room, roles (one
// unused), a comment, colours and a lock.
std::unique_ptr<ScheduleData> institution()
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(6, 5, 8).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
    f.resources('R', {"R1", "R2"});
    f.event("E1", {"G1", "T1", "R1"}, 4).event("E2", {"G2", "T1", "R2"}, 3, 2);
    f.event("E3", {"G1", "G2", "T2"}, 2);
    f.allocate("E1", 1, 2, 2).place("E1", 1, 1, 1, 2).allocate("E2", 1, 3, 1);
    f.place("E2", 2, 3, 4, 4).weekBooking("E3", 4, 4, 2).book("R1", 2, 1, 1, 1);
    f.book("T2", 3, 2, 2, 3, 4).manualRoom("E1", 1, 1, 1, "R2");
    f.role("E1", "T1", "Lecturer").role("E2", "R2", "Lab").comment("[001100];*;Open day");
    f.finish();
    d->calendarMode |= 2;
    d->firstWeekDate = dateSerial(2024, 1, 8);
    d->weeks[3].length = 2;
    d->weeks[3].name.assign("Term");
    d->bellNames[1].assign("8-9");
    d->bellNames[2].assign("9-10");
    d->currentWeek = 2;
    d->averageDivider = 5;
    d->description = "Test school";
    d->header.fileComment.assign("Spring");
    d->header.defaultResourceBookingKind = 2;
    d->noGapsMasks[1] = 1u << 2;
    d->codes[f.id("E2")].flags |= LockedBit;
    d->codes[f.id("T1")].colour = 0x00FF00;
    d->codes[f.id("E1")].colour = 255;
    d->roleCount = 3;
    d->roles[3].id = 3;
    d->roles[3].name.assign("Guest");
    // Totals count the long week twice.
    recount(*d);
    totals(*d, 1, d->codeCount);
    allResourceTotals(*d);
    return d;
}

ExportOptions fixedOptions()
{
    ExportOptions o;
    o.created = FixedClock;
    return o;
}

// The sections of a dump that the text file carries.
std::string carried(const ScheduleData &d)
{
    static const char *Sections[] = {"[calendar]", "[categories]",   "[codes]", "[collections]",
                                     "[lectures]", "[manual-rooms]", "[roles]", "[comments]"};
    std::istringstream in(dumpScheduleData(d));
    std::string out, line, section;
    std::vector<std::string> sorted;
    bool keep = false;
    while (std::getline(in, line)) {
        if (line.starts_with('[')) {
            section = line;
            keep = std::find(std::begin(Sections), std::end(Sections), line) != std::end(Sections);
        }
        if (!keep)
            continue;
        // The file lists events before resources, so positions in the table are not carried:
        // codes and lectures are compared without their order.
        if (section == "[codes]" && std::isdigit(static_cast<unsigned char>(line[0])))
            sorted.push_back(line.substr(line.find(' ') + 1));
        else if (section == "[lectures]" && !line.starts_with("count") && !line.starts_with('['))
            sorted.push_back(line);
        else
            out += line + "\n";
    }
    std::sort(sorted.begin(), sorted.end());
    for (const std::string &s : sorted)
        out += s + "\n";
    return out;
}

ImportReport importInto(ScheduleData &d, std::string_view text, int mode)
{
    ImportOptions o;
    o.mode = mode;
    return importText(d, text, o);
}

std::unique_ptr<ScheduleData> imported(std::string_view text)
{
    auto d = makeScheduleData();
    importInto(*d, text, ImportSettings | ImportSchedules);
    return d;
}

std::string lecturesOf(const ScheduleData &d)
{
    const std::string dump = dumpScheduleData(d);
    const auto from = dump.find("[lectures]");
    return dump.substr(from, dump.find("[manual-rooms]") - from);
}

struct TempFolder
{
    std::filesystem::path path;
    TempFolder()
    {
        path = std::filesystem::temp_directory_path() /
               ("quivra-text-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(path);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string write(const std::string &name, std::string_view bytes) const
    {
        const auto file = (path / name).string();
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
};

// Files written by hand from the format description, the way another system writes them.
std::string fixturePath(const char *name)
{
    return (std::filesystem::path(__FILE__).parent_path() / "data" / "qvx" / name).string();
}

std::string fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The lines of one section of a dump, without its heading.
std::string dumpSection(const ScheduleData &d, const std::string &name)
{
    const std::string dump = dumpScheduleData(d);
    const auto from = dump.find("[" + name + "]\n");
    if (from == std::string::npos)
        return {};
    const auto start = from + name.size() + 3;
    return dump.substr(start, dump.find("\n[", start) - start);
}

TEST(TextExchange, FilesOfAnotherSystemImportExactly)
{
    struct Case
    {
        const char *file;
        const char *codes, *collections, *lectures, *manualRooms, *roles;
    };
    const Case cases[] = {
        {"minimal.qvx",
         "count 5 lecture-mask 4095\n"
         "1 ENG event cat 1 planned 3 name \"English\"\n"
         "2 ART event cat 1 planned 1 name \"Art\"\n"
         "3 7A resource cat 1 planned 4 name \"Class 7A\"\n"
         "4 SMI resource cat 2 planned 3 name \"Smith\"\n"
         "5 B12 resource cat 3 planned 3 name \"Room B12\"\n",
         "ENG: 7A SMI B12\nART: 7A\n",
         "count 4\nENG alloc w1 x3\nENG lecture w1 d1 b1\nENG lecture w1 d3 b2-3\n"
         "ART alloc w1 x1\n",
         "words 0 settings 00000000000000000000\n", "roles-on yes count 0 assignments 0\n"},
        {"full.qvx",
         "count 8 lecture-mask 4095\n"
         "1 MATH1 event cat 1 planned 4 colour 255 name \"Mathematics 1\"\n"
         "2 PHYS1 event cat 2 locked planned 2 colour 65280 name \"Physics lab\"\n"
         "3 HIST event cat 1 planned 2 name \"History\"\n"
         "4 G1 resource cat 1 planned 8 name \"Group one\"\n"
         "5 T1 resource cat 2 planned 6 colour 16711680 name \"Ann Baker\"\n"
         "6 T2 resource cat 2 planned 2 name \"Carl Dunn\"\n"
         "7 R1 resource cat 3 no-timetable planned 4 name \"Room 101 #30\"\n"
         "8 R2 resource cat 3 no-timetable planned 2 name \"Lab #12\"\n",
         "MATH1: G1 T1 R1\nPHYS1: G1 T2 R2\nHIST: G1 T1\n",
         "count 9\nMATH1 alloc w1-2 x2\nMATH1 lecture w1 d1 b1-2\nMATH1 lecture w2 d3 b2\n"
         "PHYS1 alloc w1 x2\nPHYS1 lecture w1 d2 b3-4\nHIST week-booking w1-2 bell 2 kind 2\n"
         "HIST alloc w4 x1\nG1 booking w3 d1 b1 kind 1\nT1 booking w1-2 d5 b5-6 kind 2\n",
         "words 3 settings 00000000000000000000\nw1 d1 b1 MATH1 R2\n",
         "roles-on yes count 2 assignments 1\nrole 1 id 1 uses 1 \"Lecturer\"\n"
         "role 2 id 2 uses 0 \"Assistant\"\nassign MATH1 T1 role 1\n"},
        // Blanks around separators, comments, sections in another order, numbers out of order,
        // defaults for left-out fields, a keyed line outside [Header], an unknown section and
        // no line end after the last line.
        {"unusual.qvx",
         "count 5 lecture-mask 4095\n"
         "1 T1 resource cat 2 planned 5 name \"Jones\"\n"
         "2 R1 resource cat 3 planned 6 name \"Hall #200\"\n"
         "3 G1 resource cat 1 planned 1 name \"Year 9\"\n"
         "4 EXAM event cat 1 planned 1 name \"Final exam\"\n"
         "5 CHOIR event cat 2 locked planned 5 name \"Choir\"\n",
         "EXAM: G1 R1\nCHOIR: T1 R1\n",
         "count 7\nT1 booking w1 d5 b7-8 kind 3\nEXAM alloc w1 x1\nEXAM lecture w1 d2 b5\n"
         "EXAM week-booking w3 bell 1 kind 1\nCHOIR alloc w1 x1\nCHOIR alloc w2-3 x2\n"
         "CHOIR lecture w2-3 d4 b6-7\n",
         "words 3 settings 00000000000000000000\nw1 d2 b5 EXAM R1\n",
         "roles-on yes count 1 assignments 1\nrole 1 id 1 uses 1 \"Conductor\"\n"
         "assign CHOIR T1 role 1\n"},
    };
    for (const Case &c : cases) {
        auto d = makeScheduleData();
        const auto report = importTextFile(fixturePath(c.file), *d, dateSerial(2023, 3, 13));
        ASSERT_TRUE(report.has_value()) << c.file;
        EXPECT_EQ(report->linesSkipped, 0) << c.file << ::testing::PrintToString(report->samples);
        EXPECT_EQ(dumpSection(*d, "codes"), c.codes) << c.file;
        EXPECT_EQ(dumpSection(*d, "collections"), c.collections) << c.file;
        EXPECT_EQ(dumpSection(*d, "lectures"), c.lectures) << c.file;
        EXPECT_EQ(dumpSection(*d, "manual-rooms"), c.manualRooms) << c.file;
        EXPECT_EQ(dumpSection(*d, "roles"), c.roles) << c.file;
    }

    auto d = makeScheduleData();
    const auto unusual = importTextFile(fixturePath("unusual.qvx"), *d, dateSerial(2023, 3, 13));
    ASSERT_TRUE(unusual.has_value());
    EXPECT_EQ(d->header.fileComment.view(), "Exams");
    EXPECT_EQ(d->eventCategories.view(), "b:Basic$x:Extra$");
    EXPECT_EQ(usedBells(*d), 8);
    EXPECT_EQ(d->firstWeekDate, dateSerial(2023, 3, 13)); // no date in the file
    // The file carries no report titles: the imported data set has those of a new one.
    const std::array<std::string, 6> titles = {
        "Events",         "Resources", "Timetables", "Events by resources", "Resources by events",
        "Timeline report"};
    for (int t = 1; t <= 6; ++t)
        EXPECT_EQ(d->reportTitles[static_cast<std::size_t>(t)], titles[t - 1U]) << t;

    // The full file holds every section: settings, calendar and categories are read too, and
    // exporting what was read writes the same file again.
    const std::string path = fixturePath("full.qvx");
    const auto report = importTextFile(path, *d, dateSerial(2023, 3, 13));
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->settings.originalFile, "C:\\Plans\\college.qvf");
    EXPECT_EQ(report->settings.sourceFile, "college.qvf");
    EXPECT_EQ(report->settings.fileId, "college-2024");
    EXPECT_EQ(report->settings.dateText, "20240108");
    ASSERT_EQ(report->settings.blockPatterns.size(), 2u);
    EXPECT_EQ(report->settings.blockPatterns[1], "AA----BB----------------------");
    EXPECT_EQ(d->header.fileComment.view(), "Spring term");
    EXPECT_EQ(d->description, "Riverside College");
    EXPECT_EQ(d->header.defaultEventBookingKind, 2);
    EXPECT_EQ(d->header.defaultResourceBookingKind, 3);
    EXPECT_EQ(d->bookingKinds.view(), "Closed$Reserved$Other$Absent$Meeting$Duty$");
    EXPECT_EQ(d->noTimetableMasks[1], 1u << 3);
    EXPECT_EQ(d->noGapsMasks[1], 1u << 2);
    EXPECT_EQ(d->firstWeekDate, dateSerial(2024, 1, 8));
    EXPECT_TRUE(weeksDated(*d));
    EXPECT_EQ(d->currentWeek, 2);
    EXPECT_EQ(d->averageDivider, 4);
    EXPECT_EQ(usedWeeks(*d), 4);
    EXPECT_EQ(usedDays(*d), 5);
    EXPECT_EQ(usedBells(*d), 6);
    EXPECT_EQ(d->bellNames[5].view(), "13:00");
    EXPECT_EQ(d->weeks[3].name.view(), "Break");
    EXPECT_EQ(d->weeks[3].length, 2);
    ASSERT_EQ(d->comments.size(), 1u);
    EXPECT_EQ(d->comments[0], "[001100];*;Staff day");

    ExportOptions o = fixedOptions();
    o.settings = report->settings;
    std::string written = exportText(*d, o);
    std::string original = fileBytes(path);
    const auto dropCreated = [](std::string &text) {
        const auto at = text.find("Created=");
        text.erase(at, text.find('\n', at) - at);
    };
    dropCreated(written);
    dropCreated(original);
    EXPECT_EQ(written, original);
}

// The four rules of adding a file, on a file that names known and unknown codes.
TEST(TextExchange, AddRulesOnAnotherSystemsFile)
{
    struct Case
    {
        int rule;
        int skipped;
        const char *codes, *collections, *lectures, *manualRooms;
    };
    const Case cases[] = {
        // Everything: known codes take the file's names and flags but keep their planned
        // periods and colour; the event's collection becomes the file's run of lines.
        {1, 0,
         "count 8 lecture-mask 4095\n"
         "1 ENG event cat 1 locked planned 4 name \"English\"\n"
         "2 ART event cat 1 planned 1 name \"Art\"\n"
         "3 7A resource cat 1 planned 1 name \"Class 7A\"\n"
         "4 SMI resource cat 2 planned 2 name \"Smith J\"\n"
         "5 B12 resource cat 3 planned 6 name \"Room B12\"\n"
         "6 NEW1 resource cat 2 planned 5 name \"New teacher\"\n"
         "7 MUS event cat 1 planned 2 name \"Music\"\n"
         "8 DRAMA event cat 1 planned 1 name \"Drama\"\n",
         "ENG: B12 NEW1\nART: 7A\nMUS: SMI B12\nDRAMA: NEW1\n",
         "count 10\nENG alloc w1 x4\nENG lecture w1 d1 b1\nENG lecture w1 d2 b4\n"
         "ENG lecture w1 d3 b2-3\nART alloc w1 x1\nSMI booking w1 d5 b1 kind 2\n"
         "MUS alloc w1 x2\nMUS lecture w1 d2 b1-2\nDRAMA alloc w1 x1\nDRAMA lecture w1 d4 b1\n",
         "words 3 settings 00000000000000000000\nw1 d2 b1 MUS B12\n"},
        // Only relevant events: MUS needs a known resource; DRAMA only the unknown NEW1, which
        // is not created either.
        {2, 6,
         "count 6 lecture-mask 4095\n"
         "1 ENG event cat 1 locked planned 4 name \"English\"\n"
         "2 ART event cat 1 planned 1 name \"Art\"\n"
         "3 7A resource cat 1 planned 1 name \"Class 7A\"\n"
         "4 SMI resource cat 2 planned 2 name \"Smith J\"\n"
         "5 B12 resource cat 3 planned 6 name \"Room B12\"\n"
         "6 MUS event cat 1 planned 2 name \"Music\"\n",
         "ENG: B12\nART: 7A\nMUS: SMI B12\n",
         "count 8\nENG alloc w1 x4\nENG lecture w1 d1 b1\nENG lecture w1 d2 b4\n"
         "ENG lecture w1 d3 b2-3\nART alloc w1 x1\nSMI booking w1 d5 b1 kind 2\n"
         "MUS alloc w1 x2\nMUS lecture w1 d2 b1-2\n",
         "words 3 settings 00000000000000000000\nw1 d2 b1 MUS B12\n"},
        // Skip scheduled periods: codes, collections and weeks only.
        {3, 0,
         "count 8 lecture-mask 4095\n"
         "1 ENG event cat 1 locked planned 3 name \"English\"\n"
         "2 ART event cat 1 planned 1 name \"Art\"\n"
         "3 7A resource cat 1 planned 1 name \"Class 7A\"\n"
         "4 SMI resource cat 2 planned 2 name \"Smith J\"\n"
         "5 B12 resource cat 3 planned 5 name \"Room B12\"\n"
         "6 NEW1 resource cat 2 planned 4 name \"New teacher\"\n"
         "7 MUS event cat 1 planned 2 name \"Music\"\n"
         "8 DRAMA event cat 1 planned 1 name \"Drama\"\n",
         "ENG: B12 NEW1\nART: 7A\nMUS: SMI B12\nDRAMA: NEW1\n",
         "count 6\nENG alloc w1 x3\nENG lecture w1 d1 b1\nENG lecture w1 d3 b2-3\n"
         "ART alloc w1 x1\nMUS alloc w1 x2\nDRAMA alloc w1 x1\n",
         "words 0 settings 00000000000000000000\n"},
        // Schedules as bookings: no codes, collections or weeks; ENG's period becomes a booking.
        {4, 3,
         "count 5 lecture-mask 4095\n"
         "1 ENG event cat 1 planned 3 name \"English\"\n"
         "2 ART event cat 1 planned 1 name \"Art\"\n"
         "3 7A resource cat 1 planned 4 name \"Class 7A\"\n"
         "4 SMI resource cat 2 planned 3 name \"Smith\"\n"
         "5 B12 resource cat 3 planned 3 name \"Room B12\"\n",
         "ENG: 7A SMI B12\nART: 7A\n",
         "count 6\nENG alloc w1 x3\nENG lecture w1 d1 b1\nENG booking w1 d2 b4 kind 2\n"
         "ENG lecture w1 d3 b2-3\nART alloc w1 x1\nSMI booking w1 d5 b1 kind 2\n",
         "words 0 settings 00000000000000000000\n"},
    };
    for (const Case &c : cases) {
        auto d = makeScheduleData();
        ASSERT_TRUE(importTextFile(fixturePath("minimal.qvx"), *d, 1).has_value());
        const auto report = addTextFile(*d, fixturePath("add.qvx"), c.rule);
        ASSERT_TRUE(report.has_value()) << c.rule;
        EXPECT_EQ(report->linesSkipped, c.skipped) << c.rule;
        EXPECT_EQ(report->conflicts.removed, 0) << c.rule;
        EXPECT_EQ(dumpSection(*d, "codes"), c.codes) << c.rule;
        EXPECT_EQ(dumpSection(*d, "collections"), c.collections) << c.rule;
        EXPECT_EQ(dumpSection(*d, "lectures"), c.lectures) << c.rule;
        EXPECT_EQ(dumpSection(*d, "manual-rooms"), c.manualRooms) << c.rule;
        // Settings are not part of any rule.
        EXPECT_EQ(d->header.fileComment.view(), "") << c.rule;
    }
}

TEST(TextExchange, ImportOfExportReproducesTheDataSet)
{
    auto d = institution();
    const std::string text = exportText(*d, fixedOptions());
    auto fresh = makeScheduleData();
    const ImportReport report = importInto(*fresh, text, ImportSettings | ImportSchedules);

    EXPECT_EQ(report.linesSkipped, 0) << ::testing::PrintToString(report.samples);
    EXPECT_EQ(carried(*fresh), carried(*d));
    EXPECT_EQ(fresh->header.fileComment.view(), "Spring");
    EXPECT_EQ(fresh->header.defaultResourceBookingKind, 2);
    EXPECT_EQ(fresh->description, "Test school");
}

TEST(TextExchange, ExportImportExportIsByteIdentical)
{
    for (const bool perBell : {false, true}) {
        auto d = institution();
        ExportOptions o = fixedOptions();
        o.linePerBell = perBell;
        o.settings.fileId = "school-42";
        o.settings.blockPatterns = {"", "AA--B", ""};
        const std::string first = exportText(*d, o);
        auto fresh = makeScheduleData();
        const ImportReport report = importInto(*fresh, first, ImportSettings | ImportSchedules);
        o.settings = report.settings;
        EXPECT_EQ(exportText(*fresh, o), first) << "per bell " << perBell;
    }
}

TEST(TextExchange, ExportCleansOnlyTheTextWritten)
{
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.resources('T', {"A B", "AB", "X;1"}).event("E 1", {"A B", "AB"}, 2);
    f.finish();
    d->codes[f.id("AB")].name.assign("Plain; name");
    const std::string before = dumpScheduleData(*d);

    ExportReport report;
    const std::string text = exportText(*d, fixedOptions(), &report);

    EXPECT_EQ(dumpScheduleData(*d), before);
    // "A B" would repeat "AB", which keeps its text; "A B" gets a suffix everywhere.
    EXPECT_NE(text.find("1=AB~1;Name of A B;2"), std::string::npos) << text;
    EXPECT_NE(text.find("2=AB;Plain name;2"), std::string::npos);
    EXPECT_NE(text.find("3=X1;"), std::string::npos);
    EXPECT_NE(text.find("1=E1;AB~1\r\n2=E1;AB\r\n"), std::string::npos);
    EXPECT_EQ(report.codesRenamed, 1);
}

TEST(TextExchange, SplitWritesOnlyMarkedEvents)
{
    auto d = institution();
    setMarks(*d, findCode(*d, "E2"), findCode(*d, "E2"), 1);
    ExportOptions o = fixedOptions();
    o.allEvents = false;
    const std::string text = exportText(*d, o);
    EXPECT_NE(text.find("1=E2;"), std::string::npos);
    EXPECT_EQ(text.find("=E1;Name"), std::string::npos);
    EXPECT_EQ(text.find("=E1;G1"), std::string::npos);
    // Nor the schedules, rooms, dates and roles of the events left out, which a file added
    // elsewhere would give to events of the same codes there.
    EXPECT_EQ(text.find("=E1;"), std::string::npos) << text;
    EXPECT_EQ(text.find("=E3;"), std::string::npos) << text;
    EXPECT_NE(text.find("=E2;2;2;3;3;4;4\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("=E2;R2;Lab\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("=-;-;Lecturer\r\n"), std::string::npos) << text;
    // Resources keep all of theirs.
    EXPECT_NE(text.find("=T2;3;3;2;2;2;4;3\r\n"), std::string::npos) << text;
}

// The rules of each section when a file is added to or imported into a data set.
TEST(TextExchange, SectionRules)
{
    const std::string base = "[Componentdata]\r\n1=G1;g;1\r\n2=R1;r;3\r\n3=R2;r;3\r\n"
                             "[Coursedata]\r\n1=E;e;1;3\r\n[Collections]\r\n1=E;G1\r\n";
    struct Case
    {
        const char *name;
        const char *text;
        int mode;
        const char *expect; // a line the dump must hold
    };
    const Case cases[] = {
        {"collection replaced by a run when adding", "[Collections]\r\n1=E;R1\r\n2=E;R2\r\n",
         ImportSchedules, "E: R1 R2"},
        {"comments skipped, blanks around = and ; dropped",
         "[Collections]\r\n;1=E;R2\r\n1 = E ; R1\r\n", ImportSchedules, "E: R1\n"},
        {"collection extended when importing", "[Collections]\r\n1=E;R1\r\n2=E;R2\r\n",
         ImportSettings | ImportSchedules, "E: G1 R1 R2"},
        {"allocation above the placed periods",
         "[Tablelectures]\r\n1=E;1;1;1;3;1;4\r\n[Weeklectures]\r\n1=E;1;1;50\r\n", ImportSchedules,
         "E alloc w1 x50"},
        {"allocation raised to the placed periods",
         "[Tablelectures]\r\n1=E;1;1;1;3;1;4\r\n[Weeklectures]\r\n1=E;1;1;5\r\n", ImportSchedules,
         "E alloc w1 x12"},
        {"count below the placed periods clamped",
         "[Tablelectures]\r\n1=E;1;1;1;3;1;4\r\n[Weeklectures]\r\n1=E;1;1;-3\r\n", ImportSchedules,
         "E alloc w1 x12"},
        {"an = inside a name is kept", "[Componentdata]\r\n1 = R3 ; Hall = main ; 3\r\n",
         ImportSettings, "name \"Hall = main\""},
        {"count above the slots of a week clamped", "[Weeklectures]\r\n1=E;1;1;300\r\n",
         ImportSchedules, "E alloc w1 x210"},
        {"date as a serial", "[Time]\r\nDate=40000\r\n", ImportSettings, "first-week-date 40000"},
        {"date as a day number", "[Time]\r\nDate=733594\r\n", ImportSettings,
         "first-week-date 40000"},
        {"second manual room of a slot wins", "[Manualrooms]\r\n1=E;R1;2;3;4\r\n2=E;R2;2;3;4\r\n",
         ImportSchedules, "words 3 settings 00000000000000000000\nw2 d3 b4 E R2\n"},
        {"week length and name", "[Weeks]\r\n3=2;Term\r\n", ImportSettings,
         "week 3 \"Term\" length 2"},
        {"schedules as bookings", "[Tablelectures]\r\n1=E;2;2;1;1;1;2\r\n",
         ImportSchedules | SchedulesAsBookings, "E booking w2 d1 b1-2 kind 2"},
        {"week booking only where nothing is allocated",
         "[Weeklectures]\r\n1=E;1;1;2\r\n[Weekbookings]\r\n1=E;1;2;7\r\n", ImportSchedules,
         "E week-booking w2 bell 3 kind 3"},
    };
    for (const Case &c : cases) {
        auto d = makeScheduleData();
        importInto(*d, base, ImportSettings | ImportSchedules);
        const ImportReport report = importInto(*d, c.text, c.mode);
        EXPECT_EQ(report.linesSkipped, 0) << c.name;
        EXPECT_NE(dumpScheduleData(*d).find(c.expect), std::string::npos) << c.name << "\n"
                                                                          << dumpScheduleData(*d);
    }
}

TEST(TextExchange, OnlyRelevantEventsNeedAKnownResource)
{
    auto d = makeScheduleData();
    importInto(*d, "[Componentdata]\r\n1=R1;r;3\r\n", ImportSettings);
    const std::string file = "[Componentdata]\r\n1=X9;unknown;3\r\n"
                             "[Coursedata]\r\n1=Known;k;1;2\r\n2=Stranger;s;1;2\r\n"
                             "[Collections]\r\n1=Known;R1\r\n2=Stranger;X9\r\n"
                             "[Weeklectures]\r\n1=Known;1;1;2\r\n2=Stranger;1;1;2\r\n";
    const ImportReport report = importInto(*d, file, addRuleMode(2));
    EXPECT_NE(findCode(*d, "Known"), 0);
    EXPECT_EQ(findCode(*d, "Stranger"), 0);
    EXPECT_EQ(findCode(*d, "X9"), 0);
    EXPECT_EQ(collectionOf(*d, findCode(*d, "Known"))[0], 1);
    EXPECT_EQ(report.skippedBy.at(SkipReason::NotRelevant), 2);
}

TEST(TextExchange, AddingKeepsTheCodingAndSweepsConflicts)
{
    TempFolder folder;
    auto d = makeScheduleData();
    setSlotCoding(*d, 6, 3, 4, 60, 5, 12);
    FixtureBuilder f(*d);
    f.calendar(10, 5, 12).resources('T', {"T1"}).event("A", {"T1"}, 2);
    f.allocate("A", 1, 1, 2).place("A", 1, 1, 1, 2).finish();
    const std::string path =
        folder.write("add.qvx", "[Coursedata]\r\n1=B;b;1;2\r\n[Collections]\r\n1=B;T1\r\n"
                                "[Tablelectures]\r\n1=B;1;1;1;1;2;3\r\n");

    const auto report = addTextFile(*d, path, 1);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(d->coding.weekBits, 6);
    EXPECT_EQ(d->coding.bellLimit, 12);
    EXPECT_EQ(report->conflicts.removed, 1);
    const std::string lectures = lecturesOf(*d);
    EXPECT_NE(lectures.find("A lecture w1 d1 b1-2"), std::string::npos) << lectures;
    EXPECT_NE(lectures.find("B lecture w1 d1 b3"), std::string::npos) << lectures;
    EXPECT_FALSE(addTextFile(*d, path, 5).has_value());
}

// Adding a file marks the data set modified by what the file changed, and only then.
TEST(TextExchange, AddingMarksTheDataSetModifiedOnlyWhenItChangedIt)
{
    struct Case
    {
        const char *name;
        const char *file;
        bool modified;
    };
    const Case cases[] = {
        {"nothing but unknown codes", "[Tablelectures]\r\n1=Nobody;1;1;1;1;1;1\r\n", false},
        {"an empty file", "", false},
        {"a new resource", "[Componentdata]\r\n1=NEW;n;1\r\n", true},
        {"a role", "[Roles]\r\n1=E1;T1;Chair\r\n", true},
        {"a holiday", "[Holidays]\r\n1=20240109;Closed;1\r\n", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        auto d = institution();
        d->modified = false;
        const auto report = addTextFile(*d, folder.write("add.qvx", c.file), 1);
        ASSERT_TRUE(report.has_value());
        EXPECT_EQ(d->modified, c.modified);
    }
}

// A code whose lectures no longer fit the store keeps the ones it had, and only its lines are
// refused; codes after it that fit are still written.
TEST(TextExchange, FullLectureStoreRefusesWholeCodes)
{
    std::string base = "[Componentdata]\r\n1=R1;r;3\r\n[Coursedata]\r\n1=BIG;b;1;1\r\n"
                       "2=SMALL;s;1;1\r\n3=NEW;n;1;1\r\n[Collections]\r\n1=BIG;R1\r\n"
                       "2=SMALL;R1\r\n3=NEW;R1\r\n[Tablelectures]\r\n1=SMALL;1;1;1;1;1;1\r\n";
    // One lecture per cell of weeks 2..153: the store has 840 entries left.
    int n = 1;
    for (int w = 2; w <= 153; ++w) {
        for (int day = 1; day <= 7; ++day) {
            for (int bell = 1; bell <= 30; ++bell)
                base += std::to_string(++n) + "=BIG;" + std::to_string(w) + ";" +
                        std::to_string(w) + ";" + std::to_string(day) + ";" + std::to_string(day) +
                        ";" + std::to_string(bell) + ";" + std::to_string(bell) + "\r\n";
        }
    }
    auto d = imported(base);
    const int before = d->lectureCount;
    ASSERT_EQ(before, MaxLectures - 840);

    // SMALL would need more than the store has left; NEW fits; BIG repeats what it holds.
    std::string lines = "[Tablelectures]\r\n";
    for (int w = 1; w <= 10; ++w) {
        for (int day = 5; day <= 7; ++day) {
            for (int bell = 1; bell <= 30; ++bell)
                lines += "1=SMALL;" + std::to_string(w) + ";" + std::to_string(w) + ";" +
                         std::to_string(day) + ";" + std::to_string(day) + ";" +
                         std::to_string(bell) + ";" + std::to_string(bell) + "\r\n";
        }
    }
    const int refused = 10 * 3 * 30;
    lines += "2=NEW;1;1;4;4;1;1\r\n3=BIG;2;2;1;1;1;1\r\n";
    const ImportReport report = importInto(*d, lines, ImportSchedules);

    EXPECT_EQ(report.linesSkipped, refused);
    EXPECT_EQ(report.skippedBy.at(SkipReason::StoreFull), refused);
    const std::string lectures = lecturesOf(*d);
    EXPECT_NE(lectures.find("SMALL lecture w1 d1 b1\n"), std::string::npos);
    EXPECT_EQ(lectures.find("SMALL lecture w1 d5"), std::string::npos);
    EXPECT_NE(lectures.find("NEW lecture w1 d4 b1\n"), std::string::npos);
    // SMALL as it was, NEW's allocation and lecture added; BIG's repeat changes nothing.
    EXPECT_EQ(d->lectureCount, before + 2);
}

TEST(TextExchange, MalformedInputIsSkippedAndCounted)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    const std::string longLine =
        "[Coursedata]\r\n1=" + std::string(100000, 'x') + ";n;1;1\r\n2=E2;ok;1;1\r\n";
    const std::string lectures =
        "[Componentdata]\r\n1=R1;room;3\r\n[Coursedata]\r\n1=E1;e;1;1\r\n"
        "[Collections]\r\n1=E1;R1\r\n[Tablelectures]\r\n1=E1;300;300;1;1;1;1\r\n"
        "2=E1;1;1;9;9;1;1\r\n3=E1;1;1;1;1;40;40\r\n4=E1;1;1;1;1;2;1\r\n"
        "5=E1;1;-1;1;1;1;1\r\n6=E1;1;1;1;1;1;1\r\n"
        "[Manualrooms]\r\n1=E1;R1;1;8;1\r\n2=E1;R1;1;1;300\r\n";
    struct Case
    {
        const char *name;
        std::string text;
        int skipped;      // at least this many lines skipped
        const char *kept; // a code that must exist afterwards ("" for none)
    };
    const Case cases[] = {
        {"binary garbage", garbage, 0, ""},
        {"100,000-character line", longLine, 0, "E2"},
        {"LF line ends", "[Componentdata]\n1=T1;t;2\n2=T2;t;2\n", 0, "T2"},
        {"CR line ends", "[Componentdata]\r1=T1;t;2\r2=T2;t;2\r", 0, "T2"},
        {"week, day and bell out of range", lectures, 7, "E1"},
        {"category 99", "[Coursedata]\r\n1=E1;x;99;1\r\n2=E2;y;1;1\r\n", 1, "E2"},
        {"negative and non-numeric numbers",
         "[Coursedata]\r\n1=E1;x;1;-4\r\n2=E3;x;one\r\n3=E2;y;1;1\r\n", 2, "E2"},
        {"missing sections", "[Tablelectures]\r\n1=E1;1;1;1;1;1;1\r\n[Roles]\r\n1=E1;T1;x\r\n", 2,
         ""},
        {"missing fields", "[Coursedata]\r\n1=\r\n[Collections]\r\n1=E1\r\n", 2, ""},
        {"empty file", "", 0, ""},
    };
    for (const Case &c : cases) {
        auto d = makeScheduleData();
        const ImportReport report = importInto(*d, c.text, ImportSettings | ImportSchedules);
        EXPECT_GE(report.linesSkipped, c.skipped) << c.name;
        if (*c.kept) {
            EXPECT_NE(findCode(*d, c.kept), 0) << c.name;
        }
        EXPECT_LE(d->codeCount, MaxCodes);
    }
    auto d = imported(lectures);
    EXPECT_NE(lecturesOf(*d).find("E1 lecture w1 d1 b1\n"), std::string::npos) << lecturesOf(*d);
    EXPECT_EQ(d->manualRooms[0], 0);
    EXPECT_EQ(findCode(*imported(longLine), std::string(15, 'x')), 1);
}

TEST(TextExchange, ARoomThatStopsBeingARoomLosesItsAssignments)
{
    // R1 is a room when its manual room is read and a teacher by the end of the file: the slot
    // keeps its event but needs a room again, and the export reads back without a skipped line.
    const std::string text = "[Componentdata]\r\n1=R1;room;3\r\n[Coursedata]\r\n1=E1;e;1;1\r\n"
                             "[Collections]\r\n1=E1;R1\r\n[Manualrooms]\r\n1=E1;R1;1;1;1\r\n"
                             "[Componentdata]\r\n1=R1;teacher;2\r\n";
    auto d = imported(text);
    ASSERT_EQ(d->manualRooms[0], 3);
    EXPECT_EQ(d->manualRooms[2], findCode(*d, "E1"));
    EXPECT_EQ(d->manualRooms[3], 0);
    ExportOptions options;
    options.created = 1;
    auto again = makeScheduleData();
    EXPECT_EQ(
        importInto(*again, exportText(*d, options), ImportSettings | ImportSchedules).linesSkipped,
        0);
}

TEST(TextExchange, ControlCharactersInTheFileNeverReachTheDataSet)
{
    const std::string nul(1, '\0');
    auto d = makeScheduleData();
    const ImportReport report = importInto(*d,
                                           "[Componentdata]\r\n1=T1;Sm" + nul +
                                               "ith\x1A;2\r\n2=R\t1;Room\x03 1;3\r\n"
                                               "[Coursedata]\r\n1=MA" +
                                               nul + "TH;Ma\tths;1;2\r\n",
                                           ImportSettings | ImportSchedules);
    EXPECT_EQ(report.linesSkipped, 0);
    EXPECT_EQ(d->codes[findCode(*d, "T1")].name.view(), "Smith");
    EXPECT_EQ(d->codes[findCode(*d, "MATH")].name.view(), "Ma ths");
    for (int c = 1; c <= d->codeCount; ++c) {
        EXPECT_FALSE(hasControlCharacters(d->codes[c].code.view())) << c;
        EXPECT_FALSE(hasControlCharacters(d->codes[c].name.view())) << c;
    }
}

TEST(TextExchange, Utf8FileWithByteOrderMarkBecomesCodePage)
{
    TempFolder folder;
    const std::string path = folder.write(
        "utf8.qvx",
        std::string(Utf8Bom) +
            "[Componentdata]\r\n1=T1;M\xC3\xBCller Zo\xC3\xAB;2\r\n2=T2;\xE6\x97\xA5;2\r\n");
    auto d = makeScheduleData();
    const auto report = importTextFile(path, *d, dateSerial(2024, 1, 8));
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(d->codes[findCode(*d, "T1")].name.view(), "M\xFCller Zo\xEB");
    EXPECT_EQ(d->codes[findCode(*d, "T2")].name.view(), "?");
    EXPECT_EQ(report->charactersReplaced, 1);

    // Without the mark the same bytes are taken as they are.
    const std::string plain = folder.write("plain.qvx", "[Componentdata]\r\n1=T1;M\xFCller;2\r\n");
    ASSERT_TRUE(importTextFile(plain, *d, 1).has_value());
    EXPECT_EQ(d->codes[findCode(*d, "T1")].name.view(), "M\xFCller");
    EXPECT_FALSE(importTextFile((folder.path / "none.qvx").string(), *d).has_value());
}

TEST(Encoding, ConvertsBothWaysAndReplacesWhatDoesNotFit)
{
    const auto utf8 = codePageToUtf8("Caf\xE9 \x80");
    ASSERT_TRUE(utf8.has_value());
    EXPECT_EQ(utf8->text, "Caf\xC3\xA9 \xE2\x82\xAC");
    const auto back = utf8ToCodePage(utf8->text + "\xE2\x88\x9E" + "\xFF" + "\xC3");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->text, "Caf\xE9 \x80???");
    EXPECT_EQ(back->replaced, 3);
    EXPECT_FALSE(utf8ToCodePage("x", "NO-SUCH-PAGE").has_value());
}

TEST(TextExchange, ExportFileReplacesTheTargetWhole)
{
    TempFolder folder;
    auto d = institution();
    const std::string path = folder.write("out.qvx", "old");
    ASSERT_TRUE(exportTextFile(*d, path, fixedOptions()).has_value());
    std::ifstream in(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(written, exportText(*d, fixedOptions()));
    EXPECT_TRUE(written.starts_with("[Header]\r\nVersion=6.5.6\r\n"));
    EXPECT_FALSE(exportTextFile(*d, (folder.path / "no" / "x.qvx").string()).has_value());
}

TEST(TextExchange, NameConversionOnImportAndExport)
{
    TempFolder folder;
    folder.write("nameconv.txt", "T1;Smith J;John Smith\r\nT9;A;B\r\nbad line\r\n");
    const std::string path =
        folder.write("in.qvx", "[Componentdata]\r\n1=T1;Smith J;2\r\n2=T2;Smith J;2\r\n");
    auto d = makeScheduleData();
    ASSERT_TRUE(importTextFile(path, *d, 1).has_value());
    EXPECT_EQ(d->codes[findCode(*d, "T1")].name.view(), "John Smith");
    EXPECT_EQ(d->codes[findCode(*d, "T2")].name.view(), "Smith J");

    ExportOptions o = fixedOptions();
    o.nameConversionFolder = folder.path.string();
    const std::string text = exportText(*d, o);
    EXPECT_NE(text.find("1=T1;Smith J;2"), std::string::npos);
    EXPECT_EQ(d->codes[findCode(*d, "T1")].name.view(), "John Smith");
}

TEST(TextExchange, HolidaysBookTheDayForTimetabledResources)
{
    TempFolder folder;
    auto d = makeScheduleData();
    FixtureBuilder f(*d);
    f.calendar(4, 5, 3).resources('G', {"G1"}).resources('T', {"T1"}).resources('R', {"R1"});
    f.event("E", {"G1", "T1"}, 1).allocate("E", 1, 1, 1).place("E", 1, 3, 2, 2).finish();
    d->calendarMode |= 2;
    d->firstWeekDate = dateSerial(2024, 1, 8); // a Monday
    d->noTimetableMasks[1] = 1u << 3;          // rooms keep no timetable
    d->codes[f.id("R1")].flags |= NoTimetableBit;
    const std::string path = folder.write(
        "h.qvx", "[Holidays]\r\n1=20240110;Exam;2\r\n2=20241310;Bad;1\r\n3=20300101;Late;1\r\n");

    const auto report = addTextFile(*d, path, 3);
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->holidayCells, 4); // G1 and T1 bells 1 and 3; bell 2 holds E
    EXPECT_EQ(report->skippedBy.at(SkipReason::BadDate), 2);
    const std::string lectures = lecturesOf(*d);
    EXPECT_NE(lectures.find("T1 booking w1 d3 b1 kind 2"), std::string::npos) << lectures;
    EXPECT_NE(lectures.find("G1 booking w1 d3 b3 kind 2"), std::string::npos) << lectures;
    EXPECT_EQ(lectures.find("R1 booking"), std::string::npos);
    ASSERT_FALSE(d->comments.empty());
    EXPECT_EQ(d->comments.front(), "[001300];*;Exam");
    EXPECT_EQ(allDayActivity(*d, AllDayMode::Remove, dateSerial(2024, 1, 10), "", 2), 4);
    EXPECT_TRUE(d->comments.empty());
}

TEST(TextExchange, PreCheckListsOnlyOccupiedCells)
{
    auto d = institution();
    // E2 would meet E1 (through T1) in week 1, day 1, bells 1..2, and so would a booking of
    // T1; bell 3 is free, and R1's own booking in week 2 is no collision.
    const std::string file = "[Collections]\r\n1=E2;T1\r\n2=E2;G2\r\n"
                             "[Tablelectures]\r\n1=E2;1;1;1;1;1;3\r\n"
                             "[Tablebookings]\r\n1=R1;2;2;1;1;1;1;1\r\n2=T1;1;1;1;1;1;3;1\r\n";
    std::string lines;
    EXPECT_EQ(preCheckText(*d, file, lines), 4) << lines;
    EXPECT_NE(lines.find("E2\t"), std::string::npos);
    EXPECT_NE(lines.find("E1 <> E2\r\n"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("[...] <>"), std::string::npos); // no free cell is listed
}

TEST(TextExchange, RemoveListedAsksPerKind)
{
    auto d = institution();
    const std::string file = "[Coursedata]\r\n1=E1;x\r\n2=Nope;y\r\n"
                             "[Componentdata]\r\nR2=R2;z\r\n";
    std::vector<std::string> asked;
    const int removed = removeListed(*d, file, [&](bool events, int matched, int listed) {
        asked.push_back((events ? "events " : "resources ") + std::to_string(matched) + "/" +
                        std::to_string(listed));
        return events;
    });
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(asked, (std::vector<std::string>{"resources 1/1", "events 1/2"}));
    EXPECT_EQ(findCode(*d, "E1"), 0);
    EXPECT_NE(findCode(*d, "R2"), 0);
}

TEST(TextExchange, RemoveSectionDeletesCodes)
{
    auto d = institution();
    const ImportReport report =
        importInto(*d, "[Remove]\r\n1=E1\r\n2=Nope\r\n[Tablelectures]\r\n1=E2;5;5;1;1;1;1\r\n",
                   ImportSchedules);
    EXPECT_EQ(report.codesRemoved, 1);
    EXPECT_EQ(findCode(*d, "E1"), 0);
    EXPECT_NE(lecturesOf(*d).find("E2 lecture w5 d1 b1"), std::string::npos);
}

} // namespace
} // namespace quivra
