#include "commands/campuscommands.h"

#include "commands/commandsupport.h"
#include "commands/filecommands.h"
#include "commands/textcommands.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "files/datafile.h"
#include "files/textexchange.h"

#include <bitset>
#include <filesystem>
#include <span>

namespace quivra {

namespace {

namespace fs = std::filesystem;

const std::string br = LineBreak;
constexpr const char *TextExtension = "qvx";

std::string categoryTitle(std::string_view list, int k)
{
    const std::string item = listItem(list, k);
    const std::size_t colon = item.find(':');
    return colon == std::string::npos ? item : item.substr(colon + 1);
}

std::string dateFormat(const Session &s)
{
    return s.settings.preferences.date2.empty() ? std::string("ddddd")
                                                : s.settings.preferences.date2;
}

} // namespace

CampusRoles campusRoles(const Session &s)
{
    const Settings::Preferences &p = s.settings.preferences;
    CampusRoles roles;
    roles.rooms = s.data.roomsCategory;
    roles.lecturers = p.teacherCategory > 0 ? p.teacherCategory : 2;
    roles.invigilators = p.invigilatorCategory > 0 ? p.invigilatorCategory : 2;
    roles.students = p.studentsCategory > 0 ? p.studentsCategory : 5;
    roles.exams = p.examCategory >= 0 && p.examCategory <= MaxCategories ? p.examCategory : 0;
    return roles;
}

bool campusAddTextFile(Session &s)
{
    FileRequest request;
    request.title = std::string("Select the .") + TextExtension + " file to add data from";
    request.description = "Quivra text file";
    request.pattern = std::string("*.") + TextExtension;
    request.defaultExtension = TextExtension;
    request.folder = s.settings.directory.defaultTextDir;
    const auto path = s.prompter.openFile(request);
    if (!path || !checkInUse(s, *path))
        return false;
    s.progress.status("Converting data from " + *path + " ...");
    auto added = addTextFile(s.data, *path, 1, AddSweep::Sweep);
    s.progress.status("");
    if (!added) {
        showError(s, "The file " + inQuotes(*path) + " cannot be read: " + added.error().detail +
                         "." + br + "Your data are unchanged.");
        return false;
    }
    if (s.currentFile().empty())
        s.becomeUntitled();
    s.settings.directory.defaultTextDir = fs::path(*path).parent_path().string();
    refreshViews(s);
    s.prompter.infoDlg("The file " + inQuotes(*path) + " was added." + br + br +
                       importReportText(*added) + br + sweepStatusText(added->conflicts));
    return true;
}

bool campusExportFile(Session &s, int kind)
{
    ScheduleData &d = s.data;
    Prompter &p = s.prompter;
    if (kind == 0) {
        std::string list;
        for (int k = 1; k <= 3; ++k)
            list += campusExportName(static_cast<CampusExportKind>(k)) + "$";
        kind = p.choice("Select the export:", 0, 1, list);
    }
    if (kind < 1 || kind > 3)
        return false;
    FileRequest request;
    request.title = "Select the target folder and file name for the (.csv) file";
    request.description = "Comma Separated Values";
    request.pattern = "*.csv";
    request.defaultExtension = "csv";
    request.folder = s.settings.directory.convertDir.empty() ? s.settings.directory.defaultDir
                                                             : s.settings.directory.convertDir;
    if (!s.currentFile().empty())
        request.fileName = fs::path(s.currentFile()).filename().replace_extension("csv").string();
    const auto path = p.saveFile(request);
    if (!path || !checkInUse(s, *path))
        return false;
    if (!s.currentFile().empty() && fs::path(*path) == fs::path(s.currentFile())) {
        p.warnDlg("The export cannot be written over the data file that is open.");
        return false;
    }

    std::bitset<WeekTableSize> weeks;
    const int lastWeek = std::max<int>(d.scheduleExtent.endWeek, 1);
    for (int w = 1; w <= lastWeek; ++w)
        weeks.set(static_cast<std::size_t>(w));
    if (lastWeek > 1 &&
        p.pickWeek(d, 1, "Select the weeks(s) you want to include:", lastWeek, 1, &weeks) == 0)
        return false;

    const CampusExport out =
        campusExport(d, static_cast<CampusExportKind>(kind), campusRoles(s), weeks, dateFormat(s));
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(out.text.data());
    if (auto written = writeFileAtomically(*path, std::span(bytes, out.text.size())); !written) {
        showError(s, "The file " + inQuotes(*path) +
                         " cannot be written: " + written.error().detail + ".");
        return false;
    }
    std::string text = fillIn("Quivra file \"{}\" was converted to \"{}\" ({} lines).",
                              s.currentFile(), *path, out.lines);
    if (out.fieldsCleaned > 0)
        text +=
            br + br +
            fillIn("{} fields held a \";\" or a line break, written as \"_\".", out.fieldsCleaned);
    p.infoDlg(text);
    return true;
}

bool defineCampusCategories(Session &s)
{
    ScheduleData &d = s.data;
    Prompter &p = s.prompter;
    Settings::Preferences &prefs = s.settings.preferences;
    const CampusRoles roles = campusRoles(s);
    const int rooms = p.categoryChoice(d, "Select the resources representing \"Rooms\":", 0,
                                       roles.rooms, {false, true, false});
    if (rooms < 1 || rooms > MaxCategories)
        return false;
    bool changed = setRoomsCategory(d, rooms);
    const std::pair<const char *, int *> people[] = {
        {"Select the resources representing \"Lecturers\":", &prefs.teacherCategory},
        {"Select the resources representing \"Invigilators\":", &prefs.invigilatorCategory},
        {"Select the resources representing \"Students\":", &prefs.studentsCategory},
    };
    const int presets[] = {roles.lecturers, roles.invigilators, roles.students};
    for (std::size_t i = 0; i < std::size(people); ++i) {
        const int k = p.categoryChoice(d, people[i].first, 0, presets[i], {false, true, false});
        if (k < 1 || k > MaxCategories)
            return changed;
        *people[i].second = k;
    }
    const int exams = p.categoryChoice(d, "Select the events representing \"Exams\":", 0,
                                       roles.exams, {true, false, true});
    if (exams >= 1)
        prefs.examCategory = exams >= 8 ? 0 : exams;
    if (changed)
        refreshViews(s);
    return changed;
}

void checkCampusCollisions(Session &s)
{
    ScheduleData &d = s.data;
    Prompter &p = s.prompter;
    const CampusSummary summary = campusSummary(d, d.roomsCategory);
    if (summary.roomsWithCampus == 0) {
        p.infoDlg("You have not defined any campuses yet. To enable this feature, add campus "
                  "names" +
                  br +
                  "starting with the character \"@\" to room names indicating where they "
                  "reside," +
                  br +
                  "such as \"Laboratory @Research_Campus\" or \"Auditorium 2 (@MainBuilding)\"." +
                  br + br + "Campus names are case-sensitive and they cannot contain spaces.");
        return;
    }
    std::string lines;
    int scheduled = 0;
    for (const CampusFigures &c : summary.campuses) {
        lines += fillIn("{} - ({} out of {} periods scheduled, used by {} events)", c.name,
                        c.scheduled, c.allocated, c.links) +
                 br;
        scheduled += c.scheduled;
    }
    if (scheduled == 0)
        lines += br + br + "You can check for campus collisions after events have been scheduled.";
    p.infoDlg(fillIn("The following {} campuses have been defined for {} (out of {}) rooms:{}{}",
                     int(summary.campuses.size()), summary.roomsWithCampus, summary.rooms, br + br,
                     lines));
    if (scheduled == 0)
        return;

    const int category = p.categoryChoice(
        d,
        br + "Select the resource categories to check for campus collisions" + br +
            "(where events of the same resource have been scheduled at different campuses on "
            "the same day).",
        CampusCheckHelp, 1);
    if (category < 1 || category > MaxCategories)
        return;
    std::vector<CodeId> resources;
    for (int i = 1; i <= d.resourceList[0]; ++i)
        if (categoryOf(d, d.resourceList[i]) == category)
            resources.push_back(d.resourceList[i]);
    if (resources.empty()) {
        p.infoDlg("No valid resources selected.");
        return;
    }
    const int lastWeek = std::max<int>(d.scheduleExtent.endWeek, 1);
    int first = 1, last = lastWeek;
    if (lastWeek >= 2) {
        first =
            p.pickWeek(d, 1, fillIn("Select the first week from {} weeks", lastWeek), lastWeek, 1);
        if (first == 0)
            return;
        last = p.pickWeek(d, lastWeek, fillIn("Select the last week from {} weeks", lastWeek),
                          lastWeek, first);
        if (last == 0)
            last = lastWeek;
    }
    s.progress.status("Checking for campus collisions ...");
    const CampusCheck check = campusCollisions(d, resources, d.roomsCategory, first, last);
    s.progress.status("");
    if (check.collisions.empty()) {
        p.infoDlg("No campus collisions found.");
        return;
    }
    std::vector<std::string> list;
    int n = 0;
    for (const CampusCollision &c : check.collisions)
        list.push_back(campusCollisionLine(d, ++n, c, dateFormat(s)));
    if (check.truncated)
        list.push_back(fillIn("(only the first {} collisions are listed)", MaxCampusCollisions));
    p.selectLine(fillIn("Campus collisions ({})", n),
                 fillIn("Campus collisions of selected {} resources ({})", int(resources.size()),
                        categoryTitle(d.resourceCategories.view(), category)),
                 list, 1, CampusCheckHelp, true);
}

} // namespace quivra
