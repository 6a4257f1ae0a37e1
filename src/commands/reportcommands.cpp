#include "commands/reportcommands.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "files/inifile.h"
#include "reports/htmlpublish.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quivra {

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A settings file looked for in the user's configuration folder first, then the program's.
std::string settingsText(const Session &s, const char *name, bool userFirst)
{
    if (userFirst && !s.paths.userConfigFolder.empty()) {
        std::error_code error;
        if (fs::is_regular_file(s.paths.userConfigFolder / name, error))
            return readText(s.paths.userConfigFolder / name);
    }
    return readText(s.paths.programFolder / name);
}

RunEnvironment environment(const Session &s)
{
    RunEnvironment env;
    env.now = std::chrono::system_clock::to_time_t(s.clock.now());
    env.seed = static_cast<std::uint32_t>(env.now);
    return env;
}

bool hasEventsAndResources(const ScheduleData &d)
{
    bool events = false, resources = false;
    for (int c = 1; c <= d.codeCount; ++c)
        (isEventCode(d, static_cast<CodeId>(c)) ? events : resources) = true;
    return events && resources;
}

std::string slotTitle(int slot)
{
    const int number = slotReportNumber(slot);
    const int report = number > 10 ? number / 10 : number;
    std::string title = reportTitle(report);
    if (number > 10)
        title += " (" + std::to_string(number % 10) + ")";
    return title;
}

// The week range a report covers: asked when the calendar has more than one week.
bool askWeeks(Session &s, int &first, int &last)
{
    const int used = std::max(1, usedWeeks(s.data));
    first = last = 1;
    if (used == 1)
        return true;
    first = s.prompter.pickWeek(s.data, 1, "Select the first week", used, 1);
    if (first == 0)
        return false;
    last = s.prompter.pickWeek(s.data, used, "Select the last week", used, first);
    return last != 0;
}

// Publishes `params` to the main file `path`; the result's message names the folder.
PublishResult publishTo(Session &s, const ReportParams &params, const std::string &path)
{
    PublishOptions options;
    options.mainFile = fs::path(path).filename().string();
    options.dataFileName = fs::path(s.currentFile()).filename().string();
    options.styleText = settingsText(s, "style.txt", true);
    if (params.headerFile)
        options.headerText = settingsText(s, "header.txt", false);
    if (params.footerFile)
        options.footerText = settingsText(s, "footer.txt", false);
    options.organizer = s.settings.preferences.defaultEmail;
    FolderSink sink(folderOf(path));
    return publishReport(s.data, params, options, sink, environment(s));
}

void remember(Session &s, int slot, const std::string &path)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(s.clock.now());
    s.settings.reports.printFile[static_cast<std::size_t>(slot)] = path;
    s.settings.reports.reportDate[static_cast<std::size_t>(slot)] =
        localSerial(now) * 1440 + localMinutes(now);
    s.settings.reports.lastReport = slotReportNumber(slot);
}

std::string createdText(const PublishResult &r, const std::string &folder)
{
    std::string text =
        std::to_string(r.written) + " webpage(s) were created in folder\n\n" + folder + "\n\n";
    if (!r.failed.empty())
        text += std::to_string(r.failed.size()) +
                " file(s) could not be written, the first: " + inQuotes(r.failed.front()) + "\n\n";
    if (r.unfitLines > 0)
        text += "Some of the resources (" + std::to_string(r.unfitLines) +
                ") could not be displayed in all timetable cells.\n\n";
    return text;
}

} // namespace

std::string reportSlotPath(const Session &s, int slot)
{
    if (slot < 1 || slot > ReportSlotCount)
        return {};
    const fs::path folder =
        s.paths.userConfigFolder.empty() ? s.paths.programFolder : s.paths.userConfigFolder;
    return (folder / ("report" + std::to_string(slot) + ".txt")).string();
}

ReportParams loadReportSlot(const Session &s, int slot)
{
    ReportParams params;
    if (auto ini = IniFile::load(reportSlotPath(s, slot)))
        params = readReportParams(*ini);
    params.setReportNumber(slotReportNumber(slot));
    return params;
}

bool saveReportSlot(const Session &s, int slot, const ReportParams &params)
{
    const std::string path = reportSlotPath(s, slot);
    std::error_code error;
    if (path.empty() || !fs::is_directory(fs::path(path).parent_path(), error))
        return false;
    IniFile ini;
    if (auto existing = IniFile::load(path))
        ini = *existing;
    writeReportParams(params, ini);
    return ini.save(path).has_value();
}

void publishOnWeb(Session &s, const OpenPath &open)
{
    ScheduleData &d = s.data;
    if (!hasEventsAndResources(d)) {
        s.prompter.infoDlg("You must first create at least one resource and one event.");
        return;
    }
    std::string list;
    for (int slot = 1; slot <= ReportSlotCount; ++slot)
        list += std::to_string(slot) + ".  " + slotTitle(slot) + "$";
    const int lastSlot = std::max(1, reportNumberSlot(s.settings.reports.lastReport));
    const int slot = s.prompter.choice("Select report", 1610, lastSlot, list);
    if (slot == 0)
        return;
    ReportParams params = loadReportSlot(s, slot);
    if (!askWeeks(s, params.firstWeek, params.lastWeek))
        return;
    publishReportSlot(s, slot, params, open);
}

void publishReportSlot(Session &s, int slot, ReportParams params, const OpenPath &open)
{
    ScheduleData &d = s.data;
    if (!hasEventsAndResources(d)) {
        s.prompter.infoDlg("You must first create at least one resource and one event.");
        return;
    }
    params.setReportNumber(slotReportNumber(slot));
    const bool events = reportListsEvents(params.report);
    const auto codes =
        s.prompter.pickCodes(d, slotTitle(slot), 0, events ? PickEvents : PickResources);
    if (!codes)
        return;
    if (codes->empty()) {
        s.prompter.infoDlg("Please select the codes to print or publish...");
        return;
    }
    params.codes.clear();
    for (const CodeId c : *codes)
        params.codes.emplace_back(d.codes[c].code.str(), AllMarks);

    std::string stored = s.settings.reports.printFile[static_cast<std::size_t>(slot)];
    if (stored.empty())
        stored =
            (fs::path(s.settings.directory.defaultWeb.empty() ? folderOf(s.currentFile())
                                                              : s.settings.directory.defaultWeb) /
             (toLowerAscii(fs::path(s.currentFile()).stem().string()) + ".htm"))
                .string();
    const std::string extension = params.suffix == 2 ? "html" : "htm";
    const auto chosen =
        s.prompter.saveFile({"HTML file name", "HTML file", "*." + extension, extension,
                             folderOf(stored), fs::path(stored).filename().string()});
    if (!chosen)
        return;
    // Only the file's own name is lower-cased: the folders keep their names.
    const fs::path target =
        fs::path(*chosen).parent_path() / toLowerAscii(fs::path(*chosen).filename().string());
    params.printFile = target.string();
    s.settings.directory.defaultWeb = target.parent_path().string();

    const PublishResult result = publishTo(s, params, target.string());
    if (result.refused) {
        s.prompter.infoDlg(result.message);
        return;
    }
    saveReportSlot(s, slot, params);
    remember(s, slot, (target.parent_path() / result.mainFile).string());
    const std::string main = (target.parent_path() / result.mainFile).string();
    if (s.prompter.yesNoDlg(createdText(result, target.parent_path().string()) +
                            "To publish these pages, upload the files of this folder to web and "
                            "add a link to the file " +
                            inQuotes(result.mainFile) +
                            "\n\nDo you want to view them first with your default browser?") &&
        open)
        open(main);
}

void publishInBatchMode(Session &s, const OpenPath &open)
{
    if (!hasEventsAndResources(s.data)) {
        s.prompter.infoDlg("You must first create at least one resource and one event.");
        return;
    }
    std::string list;
    std::uint32_t bits = 0;
    int published = 0;
    for (int slot = 1; slot <= ReportSlotCount; ++slot) {
        const std::string &file = s.settings.reports.printFile[static_cast<std::size_t>(slot)];
        const int when = s.settings.reports.reportDate[static_cast<std::size_t>(slot)];
        list += slotTitle(slot);
        if (!file.empty() && when > 0) {
            list += " - [Published " + formatDateTime("ddddd hh:mm", when / 1440, when % 1440) +
                    " to " + inQuotes(file) + "]";
            bits |= 1u << slot;
            ++published;
        }
        list += "$";
    }
    if (published == 0) {
        s.prompter.infoDlg("No web report has been published yet.");
        return;
    }
    if (s.prompter.multiChoice("Select the web reports to publish in batch mode:", 1650, bits,
                               list) == 0)
        return;
    int written = 0;
    std::string main, problems;
    for (int slot = 1; slot <= ReportSlotCount; ++slot) {
        const std::string file = s.settings.reports.printFile[static_cast<std::size_t>(slot)];
        if (!(bits & (1u << slot)) || file.empty())
            continue;
        const PublishResult result = publishTo(s, loadReportSlot(s, slot), file);
        if (result.refused) {
            problems += slotTitle(slot) + ": " + result.message + "\n";
            continue;
        }
        written += result.written;
        for (const std::string &failed : result.failed)
            problems += failed + "\n";
        remember(s, slot, file);
        main = file;
    }
    std::string text = std::to_string(written) + " web pages files were created.";
    if (!problems.empty())
        text += "\n\nThese could not be written:\n" + problems;
    if (s.prompter.yesNoDlg(text + "\n\nDo you want to view them with your default browser?") &&
        open && !main.empty())
        open(main);
}

void displayWebReport(Session &s, const OpenPath &open)
{
    int latest = 0;
    for (int slot = 1; slot <= ReportSlotCount; ++slot)
        if (!s.settings.reports.printFile[static_cast<std::size_t>(slot)].empty() &&
            (latest == 0 || s.settings.reports.reportDate[static_cast<std::size_t>(slot)] >
                                s.settings.reports.reportDate[static_cast<std::size_t>(latest)]))
            latest = slot;
    if (latest == 0) {
        s.prompter.infoDlg("No web report has been published yet.");
        return;
    }
    const std::string path = s.settings.reports.printFile[static_cast<std::size_t>(latest)];
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        s.prompter.infoDlg("The web report " + inQuotes(path) + " does not exist any more.");
        return;
    }
    if (open)
        open(path);
}

void exportCalendarFiles(Session &s)
{
    ScheduleData &d = s.data;
    const int format =
        s.prompter.choice("Which format do you want to export to?", 10500, 3,
                          "Comma Separated Values (.csv)$vCalendar (.vcs)$iCalendar (.ics)$");
    if (format == 0)
        return;
    const CalendarFormat kind = format == 1   ? CalendarFormat::Csv
                                : format == 2 ? CalendarFormat::VCalendar
                                              : CalendarFormat::ICalendar;
    const std::string ext = calendarExtension(kind);
    if (!weeksDated(d)) {
        s.prompter.infoDlg("The weeks of this file have no dates, so its periods cannot be "
                           "placed in a calendar. Give the first week a date in the calendar "
                           "options first.");
        return;
    }
    std::string times = "Time periods set in \"Options|Time\" are interpreted as follows:\n\n";
    for (int b = 1; b <= usedBells(d); ++b) {
        const ClockSpan span = bellSpanTimes(d, b, 1);
        times += std::to_string(b) + ": " + d.bellNames[static_cast<std::size_t>(b)].str() +
                 "   =>\t[" + formatDateTime("t", 0, span.start % 1440) + "] ... [" +
                 formatDateTime("t", 0, span.end % 1440) + "]\n";
    }
    times += "\nIf they do not match, change them to format \"hh:mm-hh:mm\".\nSelect [Yes] to "
             "continue, [No] to exit.";
    if (!s.prompter.yesNoDlg(times, 0, 50200))
        return;
    const std::string stem = fs::path(s.currentFile()).stem().string();
    const auto target = s.prompter.saveFile(
        {"Select the target folder for (." + ext + ") file(s)", "." + ext + " file", "*." + ext,
         ext,
         s.settings.directory.convertDir.empty() ? folderOf(s.currentFile())
                                                 : s.settings.directory.convertDir,
         (stem.empty() ? std::string("calendar") : stem) + "." + ext});
    if (!target)
        return;
    s.settings.directory.convertDir = folderOf(*target);
    CalendarExportOptions options;
    options.format = kind;
    if (!askWeeks(s, options.firstWeek, options.lastWeek))
        return;
    const auto codes = s.prompter.pickCodes(
        d, "Select resources(s) to convert to ." + ext + " file(s)", 0, PickResources);
    if (!codes || codes->empty())
        return;
    options.resources = *codes;
    std::string layouts = "Add selected " + std::to_string(codes->size()) +
                          " resource(s) into a single ." + ext + " file$Create a separate ." + ext +
                          " file for each resource$";
    if (kind != CalendarFormat::Csv)
        layouts += "Create a separate ." + ext + " file for each resource and event$";
    const int layout = s.prompter.choice(
        "How to convert Quivra timetables to other calendar formats?", 10500, 1, layouts);
    if (layout == 0)
        return;
    options.layout = layout == 1   ? CalendarLayout::OneFile
                     : layout == 2 ? CalendarLayout::PerResource
                                   : CalendarLayout::PerResourceAndEvent;
    options.labelFormat = s.prompter.choice(
        "In which format you want to display resources in ." + ext + " file(s)?", 10500,
        clampInt(s.settings.reports.codeFormat, 1, 3), "Code$Name$Code:Name$");
    if (options.labelFormat == 0)
        return;
    options.fileName = fs::path(*target).filename().string();
    options.organizer = s.settings.preferences.defaultEmail;
    FolderSink sink(folderOf(*target));
    FileNames names;
    const CalendarExportResult result = exportCalendar(d, options, sink, names, environment(s));
    if (result.refused) {
        s.prompter.infoDlg(result.message);
        return;
    }
    std::string text =
        options.layout == CalendarLayout::OneFile && result.files == 1
            ? "Quivra file " + inQuotes(s.currentFile()) + " was converted to file " +
                  inQuotes((fs::path(folderOf(*target)) / result.written.front()).string()) + "."
            : "Quivra file " + inQuotes(s.currentFile()) + " was converted to " +
                  std::to_string(result.files) + " (." + ext + ") file(s) in folder " +
                  inQuotes(folderOf(*target)) + ".";
    if (!result.failed.empty())
        text += "\n\n" + std::to_string(result.failed.size()) +
                " file(s) could not be written, the first: " + inQuotes(result.failed.front());
    s.prompter.infoDlg(text, 0, 10500);
}

} // namespace quivra
