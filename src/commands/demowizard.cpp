#include "commands/demowizard.h"

#include "commands/commandsupport.h"
#include "commands/filecommands.h"
#include "commands/textfill.h"
#include "engine/allocation.h"
#include "engine/codetable.h"
#include "engine/lecturestore.h"
#include "engine/random.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "files/datafile.h"
#include "files/defaultsfile.h"
#include "files/textexchange.h"
#include "optimise/initialsolution.h"
#include "optimise/optimiser.h"
#include "ui/helptopics.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <vector>

namespace quivra {

namespace {

namespace fs = std::filesystem;

const std::string br = LineBreak;
constexpr const char *Caption = "Make a demo file";

constexpr int GroupCategory = 1;
constexpr int TeacherCategory = 2;
constexpr int RoomCategory = 3;
constexpr int SubjectCategory = 4;

struct Subject
{
    const char *code;
    const char *name;
    std::uint32_t colour; // 0x00BBGGRR, as codes keep it
};
constexpr std::array<Subject, 20> Subjects = {{
    {"MA", "Mathematics", 0xF0C0A0},
    {"EN", "English", 0x80C0F0},
    {"SC", "Science", 0xA0E0A0},
    {"HI", "History", 0xA0D0E0},
    {"GE", "Geography", 0xC0E0C0},
    {"FR", "French", 0xE0A0C0},
    {"AR", "Art", 0xA0A0F0},
    {"PE", "Physical education", 0x80E0E0},
    {"MU", "Music", 0xE0C0E0},
    {"CO", "Computing", 0xD0D0A0},
    {"BI", "Biology", 0xB0F0B0},
    {"CH", "Chemistry", 0xF0E0B0},
    {"PH", "Physics", 0xC0B0F0},
    {"DR", "Drama", 0xB0C0F0},
    {"RE", "Religious education", 0xE0E0B0},
    {"EC", "Economics", 0xB0E0F0},
    {"LA", "Latin", 0xD0B0D0},
    {"SP", "Spanish", 0x90D0F0},
    {"DE", "German", 0xC0C0C0},
    {"TE", "Technology", 0xB0D0C0},
}};

std::string twoDigits(int n)
{
    return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

// One event of the demo: a group's lessons of one subject.
struct Lesson
{
    int group = 0, subject = 0, teacher = 0, room = 0; // indices from 0
    int periods = 0;
};

// The index of the least used of `used` among those `allowed`, preferring ones that still
// have room for `periods` below `cap`.
int leastUsed(const std::vector<int> &used, const std::vector<bool> &allowed, int periods, int cap)
{
    int best = -1;
    bool bestFits = false;
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (!allowed[i])
            continue;
        const bool fits = used[i] + periods <= cap;
        if (best < 0 || (fits && !bestFits) ||
            (fits == bestFits && used[i] < used[static_cast<std::size_t>(best)])) {
            best = static_cast<int>(i);
            bestFits = fits;
        }
    }
    return best;
}

// The institution as a text exchange file, read by the ordinary import so the data set is
// built and recounted as any imported one.
std::string demoText(const DemoSize &size, std::vector<Lesson> &lessons, Random &random)
{
    const auto draw = [&random](int n) {
        return static_cast<int>(random.below(static_cast<std::uint32_t>(n)));
    };
    const int slots = size.days * size.bells;
    // Groups are busy about two thirds of the week, teachers and rooms at most 70%, so a week
    // without conflicts is easy to find for the automatic tools.
    const int groupLoad = std::max(1, slots * 2 / 3);
    const int cap = std::max(1, slots * 7 / 10);
    const int perGroup = std::max(1, std::min({groupLoad, size.teachers * cap / size.groups,
                                               size.rooms * cap / size.groups}));
    const int taken = std::min(size.subjects, perGroup);

    // Teacher t teaches subject t mod subjects; with fewer teachers than subjects anyone may
    // teach the subjects nobody was given.
    std::vector<int> teacherUse(static_cast<std::size_t>(size.teachers), 0);
    std::vector<int> roomUse(static_cast<std::size_t>(size.rooms), 0);
    for (int g = 0; g < size.groups; ++g) {
        std::vector<int> periods(static_cast<std::size_t>(taken), perGroup / taken);
        for (int extra = perGroup % taken; extra > 0; --extra)
            ++periods[static_cast<std::size_t>(draw(taken))];
        for (int k = 0; k < taken; ++k) {
            Lesson lesson;
            lesson.group = g;
            lesson.subject = (g + k) % size.subjects;
            lesson.periods = periods[static_cast<std::size_t>(k)];
            std::vector<bool> teaches(teacherUse.size());
            for (std::size_t i = 0; i < teaches.size(); ++i)
                teaches[i] = static_cast<int>(i) % size.subjects == lesson.subject;
            lesson.teacher = leastUsed(teacherUse, teaches, lesson.periods, cap);
            if (lesson.teacher < 0 ||
                teacherUse[static_cast<std::size_t>(lesson.teacher)] + lesson.periods > cap)
                lesson.teacher = leastUsed(teacherUse, std::vector<bool>(teaches.size(), true),
                                           lesson.periods, cap);
            teacherUse[static_cast<std::size_t>(lesson.teacher)] += lesson.periods;
            lesson.room =
                leastUsed(roomUse, std::vector<bool>(roomUse.size(), true), lesson.periods, cap);
            roomUse[static_cast<std::size_t>(lesson.room)] += lesson.periods;
            lessons.push_back(lesson);
        }
    }

    std::string t = "[Header]\r\nVersion=6.5.6\r\nSourceFile=Make a demo file\r\n"
                    "Comment=Demo institution\r\n"
                    "Description=A made-up institution of " +
                    std::to_string(size.groups) + " groups, made by Make a demo file\r\n\r\n";
    t += "[Time]\r\nMaxWeeks=1\r\nMaxDays=" + std::to_string(size.days) +
         "\r\nMaxLectures=" + std::to_string(size.bells) +
         "\r\nFirstWeek=1\r\nWeekSum=1\r\n"
         "Days=Monday$Tuesday$Wednesday$Thursday$Friday$Saturday$Sunday$\r\n\r\n";
    t += "[Timeperiods]\r\n";
    for (int b = 1; b <= size.bells; ++b) {
        // Lessons of 45 minutes from 8:00, five minutes apart.
        const int start = 8 * 60 + (b - 1) * 50;
        const auto clock = [](int minutes) {
            return std::to_string(minutes / 60) + ":" + twoDigits(minutes % 60);
        };
        t += std::to_string(b) + "=" + clock(start) + "-" + clock(start + 45) + "\r\n";
    }
    t += "\r\n[Weeks]\r\n1=1;Week 1\r\n\r\n";
    t += "[Courses]\r\nCategories=l:Lessons$\r\nBookings=/////$Free$Other$\r\nDefault=1\r\n\r\n";
    t += "[Components]\r\nCategories=G:Groups$T:Teachers$R:Rooms$S:Subjects$\r\n"
         "Bookings=Absent$Duty$Training$\r\nDefault=1\r\nNoTimetables=0;0;0;1;0;0;0;\r\n"
         "NoGaps=1;0;0;0;0;0;0;\r\nRooms=3\r\n\r\n";

    const auto groupCode = [](int g) { return "G" + twoDigits(g + 1); };
    const auto teacherCode = [](int i) { return "T" + twoDigits(i + 1); };
    const auto roomCode = [](int r) { return "R" + twoDigits(r + 1); };
    const auto eventCode = [&](const Lesson &l) {
        return std::string(Subjects[static_cast<std::size_t>(l.subject)].code) + "-" +
               groupCode(l.group);
    };
    t += "[Coursedata]\r\n";
    int n = 0;
    for (const Lesson &l : lessons) {
        const Subject &s = Subjects[static_cast<std::size_t>(l.subject)];
        t += std::to_string(++n) + "=" + eventCode(l) + ";" + s.name + " " + groupCode(l.group) +
             ";1;" + std::to_string(l.periods) + ";0;" + std::to_string(s.colour) + "\r\n";
    }
    t += "\r\n[Componentdata]\r\n";
    n = 0;
    const auto resource = [&](const std::string &code, const std::string &name, int category) {
        t += std::to_string(++n) + "=" + code + ";" + name + ";" + std::to_string(category) +
             ";0;0\r\n";
    };
    for (int g = 0; g < size.groups; ++g)
        resource(groupCode(g),
                 "Group " + std::to_string(g + 1) + " #" + std::to_string(18 + draw(13)),
                 GroupCategory);
    for (int i = 0; i < size.teachers; ++i)
        resource(teacherCode(i),
                 "Teacher " + std::to_string(i + 1) + " (" +
                     Subjects[static_cast<std::size_t>(i % size.subjects)].name + ")",
                 TeacherCategory);
    for (int r = 0; r < size.rooms; ++r)
        resource(roomCode(r), "Room " + std::to_string(r + 1) + " #" + std::to_string(32 + draw(5)),
                 RoomCategory);
    for (int k = 0; k < size.subjects; ++k)
        resource(Subjects[static_cast<std::size_t>(k)].code,
                 Subjects[static_cast<std::size_t>(k)].name, SubjectCategory);
    t += "\r\n[Collections]\r\n";
    n = 0;
    for (const Lesson &l : lessons) {
        for (const std::string &member :
             {groupCode(l.group), teacherCode(l.teacher), roomCode(l.room),
              std::string(Subjects[static_cast<std::size_t>(l.subject)].code)})
            t += std::to_string(++n) + "=" + eventCode(l) + ";" + member + "\r\n";
    }
    return t;
}

// A whole number in low..high, or nothing.
std::optional<int> numberIn(const std::string &text, int low, int high)
{
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    int value = 0;
    const char *begin = text.data() + first;
    const char *end = text.data() + last + 1;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc{} || stop != end || value < low || value > high)
        return std::nullopt;
    return value;
}

// Asks one question until the answer is a number within its limits; nothing when cancelled.
std::optional<int> askNumber(Prompter &p, const DemoQuestion &q, int step, int initial)
{
    std::string answer = std::to_string(initial);
    for (;;) {
        const auto typed =
            p.input(Caption,
                    fillIn("Step {} of {}: {}{}({} to {})", step, int(demoQuestions().size()),
                           q.question, br, q.low, q.high),
                    answer, 8);
        if (!typed)
            return std::nullopt;
        if (const auto value = numberIn(*typed, q.low, q.high))
            return value;
        p.warnDlg(fillIn("\"{}\" is not a number of {} that a demo file can have.{}Type a whole "
                         "number from {} to {}.",
                         *typed, q.what, br, q.low, q.high),
                  0, HelpTopic::DemoFile);
        answer = *typed;
    }
}

} // namespace

const std::array<DemoQuestion, 6> &demoQuestions()
{
    static const std::array<DemoQuestion, 6> questions = {{
        {"groups", "How many groups of students (classes) does your institution have?", 1, 30,
         &DemoSize::groups},
        {"teachers", "How many teachers teach them?", 1, 60, &DemoSize::teachers},
        {"rooms", "How many rooms are there for lessons?", 1, 30, &DemoSize::rooms},
        {"subjects", "How many subjects are taught?", 1, int(Subjects.size()), &DemoSize::subjects},
        {"days", "How many days a week are there lessons?", 1, MaxDays, &DemoSize::days},
        {"bells", "How many lessons (time periods) does a day have?", 2, 12, &DemoSize::bells},
    }};
    return questions;
}

DemoReport makeDemoData(ScheduleData &d, const DemoSize &size, std::uint32_t seed,
                        std::int32_t today)
{
    Random random(seed);
    std::vector<Lesson> lessons;
    const std::string text = demoText(size, lessons, random);

    clearScheduleData(d);
    setBuiltInReportTitles(d);
    d.firstWeekDate = today;
    importText(d, text, ImportOptions{});

    // Every event's periods go to the one week, then the automatic tools place them.
    WeekAllocation wa;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        allocateLeastLoaded(d, wa, e, GroupCategory);
    }
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    const ScheduleSummary summary = scheduleAll(d, seed, true);
    OptimiseSettings settings;
    settings.seed = seed;
    settings.maxRounds = 10;
    optimise(d, settings);
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    d.modified = true;

    DemoReport report;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const CodeRecord &e = d.codes[d.eventList[static_cast<std::size_t>(i)]];
        ++report.events;
        report.planned += e.planned;
        report.scheduled += e.scheduled;
    }
    report.conflicts = summary.conflicts;
    return report;
}

bool makeDemoFile(Session &s, std::uint32_t seed, const OpenPath &open)
{
    Prompter &p = s.prompter;
    if (!p.yesNoDlg("This helper makes a demo file of a made-up institution of the size you "
                    "choose: it asks six questions, makes a random week of lessons, schedules "
                    "it automatically and opens it." +
                        br + br + "Do you want to continue?",
                    0, HelpTopic::DemoFile))
        return false;
    DemoSize size;
    int step = 0;
    for (const DemoQuestion &q : demoQuestions()) {
        const auto value = askNumber(p, q, ++step, size.*q.field);
        if (!value)
            return false;
        size.*q.field = *value;
    }
    if (!p.yesNoDlg(fillIn("The demo file will have {} groups, {} teachers, {} rooms and {} "
                           "subjects, with {} days of {} lessons in its week.{}Do you want to "
                           "make it now?",
                           size.groups, size.teachers, size.rooms, size.subjects, size.days,
                           size.bells, br + br),
                    0, HelpTopic::DemoFile))
        return false;

    // The demo is made apart: the open data set stays as it is until the file is written.
    s.progress.status("Making the demo file ...");
    auto demo = makeScheduleData();
    const DemoReport made = makeDemoData(*demo, size, seed, s.clock.today());
    s.progress.status({});

    FileRequest request;
    request.title = "Save the demo file as";
    request.description = "Data file";
    request.pattern = "*.qvf";
    request.defaultExtension = "qvf";
    request.folder = s.settings.directory.defaultDir;
    request.confirmReplace = false; // asked below, for every backend alike
    // The name offered is one no file has yet.
    request.fileName = fillIn("demo-{}-groups.qvf", size.groups);
    std::error_code ec;
    for (int k = 2; fs::exists(fs::path(request.folder) / request.fileName, ec) && k < 1000; ++k)
        request.fileName = fillIn("demo-{}-groups-{}.qvf", size.groups, k);
    std::string path;
    for (;;) {
        const auto chosen = p.saveFile(request);
        if (!chosen)
            return false;
        path = *chosen;
        if (!fs::exists(path, ec) ||
            p.yesNoDlg("The file " + inQuotes(path) +
                       " already exists.\r\nDo you want to replace it with the demo file?"))
            break;
        request.folder = folderOf(path);
        request.fileName = fs::path(path).filename().string();
    }
    if (!checkInUse(s, path))
        return false;
    // The demo replaces the data set in use: its unsaved changes are offered first.
    if (askToSave(s) == Answer::Cancel)
        return false;
    if (auto written = writeDataFile(*demo, path); !written) {
        showError(s, "The demo file " + inQuotes(path) +
                         " could not be saved: " + written.error().detail + ".");
        return false;
    }
    if (!openWindows(s, path))
        return false;

    std::string result = fillIn("The demo file {} is open: {} events with {} lessons, of which "
                                "{} are scheduled.",
                                inQuotes(path), made.events, made.planned, made.scheduled);
    if (made.scheduled < made.planned)
        result += br + "The rest did not fit: the Weeks and Timetables views show where, and "
                       "Tools|Optimise can try again.";
    if (p.yesNoDlg(result + br + br + "Do you want to publish its timetables on the web now?", 0,
                   HelpTopic::DemoFile))
        publishOnWeb(s, open);
    return true;
}

} // namespace quivra
