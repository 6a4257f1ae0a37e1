#include "commands/filecommands.h"

#include "engine/calendar.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"
#include "files/backup.h"
#include "files/datafile.h"
#include "files/defaultsfile.h"
#include "files/textexchange.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace quivra {

namespace fs = std::filesystem;

namespace {

// Lecture entries of one code above which opening a file compresses it.
constexpr int CompressThreshold = 462;
// Report option: week dates in the titles, meaningless without dated weeks.
constexpr int WeekDatesOption = 0x200;

std::string fileName(const std::string &path)
{
    return fs::path(path).filename().string();
}

std::string cannotOpenText(const std::string &path)
{
    return "The file " + inQuotes(path) +
           " cannot be opened.\r\nIt is either non-existent, invalid, or in use by other "
           "applications.";
}

std::string welcomeText(const Session &s)
{
    const ScheduleData &d = s.data;
    const std::string br = "\r\n";
    return "Welcome to " + s.organisation + "!" + br + br +
           "Current settings define the size and time range of your timetables as:" + br + br +
           "- " + std::to_string(usedBells(d)) + " time periods (out of " +
           std::to_string(MaxBells) + ") in a day," + br + "- " + std::to_string(usedDays(d)) +
           " days (out of " + std::to_string(MaxDays) + ") in a week and" + br + "- " +
           std::to_string(usedWeeks(d)) + (usedWeeks(d) == 1 ? " week" : " weeks") + " (out of " +
           std::to_string(MaxWeeks) + " weeks)." + br + br +
           "Do you want to change these settings now?" + br + br +
           "You can change these and other settings later in the \"Options\" menu.";
}

// With the lock-others setting: the resource whose events stay unlocked. Cancel ends the
// question and leaves the setting off for this session rather than asking forever.
void askLockOthersResource(Session &s)
{
    ScheduleData &d = s.data;
    while (true) {
        auto answer = s.prompter.input("Input code for unlocked events",
                                       "Input your [resource] code:", "", CodeLength);
        if (!answer) {
            s.settings.preferences.lockOthers = false;
            d.lockOthersResource = 0;
            return;
        }
        const std::string code = trim(*answer);
        for (int c = 1; c <= d.codeCount; ++c) {
            if (!d.codes[c].isEvent() && d.codes[c].code.view() == code) {
                d.lockOthersResource = static_cast<CodeId>(c);
                recount(d);
                return;
            }
        }
    }
}

void askCapacityCheck(Session &s)
{
    const ScheduleData &d = s.data;
    int tagged = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        if (!d.codes[c].isEvent() && d.codes[c].name.view().find('#') != std::string_view::npos)
            ++tagged;
    }
    if (tagged == 0)
        return;
    // Asked once: a "No" is not asked again at every opening.
    s.settings.preferences.capacityAsked = true;
    const std::string br = "\r\n";
    s.settings.preferences.capacityCheck = s.prompter.yesNoDlg(
        "You have used capacity tags (\"#\") in " + std::to_string(tagged) + " resource names." +
        br + br +
        "(They are used to compare the room capacities with the requirements of other resources "
        "in events.)" +
        br + br +
        "Do you want to show the number of event SEATS (= room capacities - requirements) in "
        "Events view?");
    if (s.settings.preferences.capacityCheck && s.hooks.refreshViews)
        s.hooks.refreshViews(); // the Events view gets its SEATS
}

// What every open does once the new data set is in place; `named` when a file was read.
void afterOpen(Session &s, bool named)
{
    ScheduleData &d = s.data;
    Settings::Preferences &p = s.settings.preferences;
    p.codeMode = std::clamp(p.codeMode, 1, 3);
    s.reportDivider = std::clamp(int(d.averageDivider), 1, weekCap(d));
    if (!weeksDated(d))
        s.settings.reports.weekOptions &= ~WeekDatesOption;
    if (named && p.lockOthers)
        askLockOthersResource(s);
    // Colours below 63 were never chosen by a user; older writers left them behind.
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].colour < 63)
            d.codes[c].colour = 0;
    }
    refreshViews(s);
    if (s.hooks.fileOpened)
        s.hooks.fileOpened(named);
    d.modified = false;
    if (largestTimetable(d) > CompressThreshold)
        compress(s);
    if (named && !s.untitled() && (p.showInfoFile & 1) && s.hooks.showNoteFile)
        s.hooks.showNoteFile(s.currentFile());
    if (!named && s.prompter.yesNoDlg(welcomeText(s)) && s.hooks.showOptions)
        s.hooks.showOptions();
    if (!p.capacityCheck && !p.capacityAsked)
        askCapacityCheck(s);
}

// Reads `path` into a fresh data set and puts it in place. A file that was only partly read
// comes in untitled, so its path, still holding the damaged file, is never written over.
bool openInto(Session &s, const std::string &path, bool salvaged)
{
    auto fresh = makeScheduleData();
    auto read = readDataFile(path, *fresh);
    if (!read) {
        showError(s, "The file " + inQuotes(path) + " cannot be opened.\r\n" + read.error().detail +
                         ".");
        return false;
    }
    const bool whole = read->complete && !salvaged;
    if (whole && !s.adoptFile(path)) {
        s.prompter.warnDlg("File " + inQuotes(path) + " is currently in use.");
        return false;
    }
    s.data = std::move(*fresh);
    if (!whole) {
        s.becomeUntitled();
        if (!read->complete)
            s.prompter.warnDlg("The file " + inQuotes(path) + " is damaged: " + read->reason +
                               ".\r\nWhat could be read is open as a new untitled file; check it "
                               "before you save it under a name.");
    }
    afterOpen(s, true);
    return true;
}

ExportOptions textCopyOptions(const Session &s)
{
    ExportOptions o;
    const Settings &st = s.settings;
    o.linePerBell = st.directory.convOptions & 1;
    o.extended = st.preferences.colourCodes;
    o.settings.originalFile = st.preferences.originalFile;
    o.settings.sourceFile = st.preferences.sourceFile;
    o.settings.fileId = st.preferences.fileId;
    o.settings.dateText = serialToYmd(s.data.firstWeekDate);
    for (const auto &[week, pattern] : st.slotPatterns) {
        if (week < 0 || week > MaxWeeks)
            continue;
        if (o.settings.blockPatterns.size() <= static_cast<std::size_t>(week))
            o.settings.blockPatterns.resize(static_cast<std::size_t>(week) + 1);
        o.settings.blockPatterns[static_cast<std::size_t>(week)] = pattern;
    }
    return o;
}

void writeTextCopy(Session &s, const std::string &dataPath)
{
    std::error_code ec;
    const std::string network = s.settings.directory.network;
    const fs::path folder = !network.empty() && fs::is_directory(network, ec)
                                ? fs::path(network)
                                : fs::path(folderOf(dataPath));
    const std::string target =
        (folder / fs::path(dataPath).filename().replace_extension(".qvx")).string();
    if (s.inUseByOthers(target))
        return;
    if (auto ok = exportTextFile(s.data, target, textCopyOptions(s)); !ok)
        showError(s, "The text copy " + inQuotes(target) +
                         " could not be written: " + ok.error().detail + ".");
}

std::string lowerExtension(const fs::path &p)
{
    return toLowerAscii(p.extension().string());
}

// The shipped demo institution, in the program folder beside the language file.
constexpr const char *DemoFileName = "demo.qvf";

// The folder copies of samples go to: the user's documents folder, else the data folder.
fs::path sampleCopyFolder(const Session &s)
{
    if (!s.paths.userFolder.empty())
        return s.paths.userFolder;
    return fs::path(s.settings.directory.defaultDir);
}

// Copies `sample` into `folder` under its own name, or "<stem>-N<ext>" with the first N whose
// file does not exist yet. The copy is writable whatever the sample's permissions. Returns the
// copy's path, or an empty path with `error` set.
fs::path copyUnderFreeName(const fs::path &sample, const fs::path &folder, std::string &error)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        error = "the folder " + inQuotes(folder.string()) + " cannot be created";
        return {};
    }
    const std::string stem = sample.stem().string();
    const std::string extension = sample.extension().string();
    for (int n = 1; n <= 9999; ++n) {
        const fs::path target =
            folder / (n == 1 ? stem + extension : stem + "-" + std::to_string(n) + extension);
        if (fs::exists(fs::symlink_status(target, ec)))
            continue;
        // copy_file refuses an existing target, so a file that appeared meanwhile is kept.
        if (!fs::copy_file(sample, target, fs::copy_options::none, ec)) {
            if (ec == std::errc::file_exists)
                continue;
            // The name was free a moment ago: what stands there now is a partial copy.
            error = ec.message();
            std::error_code ignored;
            fs::remove(target, ignored);
            return {};
        }
        // The copy inherits the sample's read-only permissions; the user must be able to save.
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add, ec);
        if (ec) {
            error = ec.message();
            std::error_code ignored;
            fs::remove(target, ignored);
            return {};
        }
        return target;
    }
    error = "no free file name is left in " + inQuotes(folder.string());
    return {};
}

} // namespace

ExportOptions exportOptionsFor(const Session &s)
{
    return textCopyOptions(s);
}

int largestTimetable(const ScheduleData &d)
{
    std::map<CodeId, int> entries;
    int largest = 0;
    for (int i = 1; i <= d.lectureCount; ++i) {
        if (d.coding.dayOf(d.lectureStart[i]) == 0)
            continue;
        largest = std::max(largest, ++entries[lectureCode(d, d.lectureWord[i])]);
    }
    return largest;
}

int askToSave(Session &s)
{
    if (!s.data.modified)
        return Answer::No;
    const int answer =
        s.prompter.yesNoCancelDlg("You have modified your data. Do you want to save it on disk?");
    if (answer != Answer::Yes)
        return answer;
    // The data are at stake: a Save As the user cancels, or one that fails, stops the command
    // that asked rather than letting it discard them.
    return saveFileAs(s) ? Answer::Yes : Answer::Cancel;
}

bool checkInUse(Session &s, const std::string &path)
{
    if (!s.inUseByOthers(path))
        return true;
    s.prompter.warnDlg("File " + inQuotes(path) + " is currently in use.");
    return false;
}

bool checkFileOpen(Session &s, const std::string &path)
{
    bool ok = !path.empty() && !s.inUseByOthers(path);
    if (ok) {
        const FileCheck check = checkDataFile(path);
        ok = check.verdict == FileVerdict::Valid ||
             (check.verdict == FileVerdict::Newer && checkFileValid(s, path));
    }
    if (!ok)
        s.prompter.warnDlg(cannotOpenText(path));
    return ok;
}

bool checkFileValid(Session &s, const std::string &path, bool *recovered)
{
    const FileCheck check = checkDataFile(path);
    switch (check.verdict) {
    case FileVerdict::Valid:
        return true;
    case FileVerdict::Wildcard:
        return false;
    case FileVerdict::NotFound:
    case FileVerdict::Unreadable:
        s.prompter.warnDlg(cannotOpenText(path));
        return false;
    case FileVerdict::ReadOnly:
        s.prompter.warnDlg(
            "This is a \"Read-only\" file and you cannot access it, before you change\r\n"
            "this property (give the file write permission).");
        return false;
    case FileVerdict::Newer:
        return s.prompter.yesNoDlg(
            "This file was saved with a \"newer\" version of Quivra than yours (" +
            std::to_string(DataFileVersion) + ").\r\n" +
            "Because of possible data structure changes we recommend\r\n" +
            "that you install the latest version of Quivra.\r\n" + "Do you want to try to open " +
            inQuotes(path) + " anyhow?\r\n");
    case FileVerdict::Invalid:
        s.prompter.warnDlg("This file appears not to be a valid Quivra file.");
        if (recoverFile(s, path) && recovered)
            *recovered = true;
        return false;
    }
    return false;
}

bool recoverFile(Session &s, const std::string &path)
{
    std::vector<std::uint8_t> head(RecoveryWindow);
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        in.read(reinterpret_cast<char *>(head.data()), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
    }
    const auto skip = findRecoverableHeader(head);
    if (!skip)
        return false;
    // Beside the damaged file, and never over an earlier salvage.
    const std::string target = freeRecoveryName(folderOf(path));
    if (!s.prompter.yesNoDlg("Create file " + inQuotes(target) + " by skipping the first " +
                             std::to_string(*skip) + " bytes?"))
        return false;
    if (auto ok = writeRecoveredFile(path, target, *skip); !ok) {
        showError(s,
                  "File " + inQuotes(target) + " could not be created: " + ok.error().detail + ".");
        return false;
    }
    s.prompter.infoDlg("File " + inQuotes(target) +
                       " was created.\r\nIts data are open as a new untitled file: check them "
                       "before you save them under a name.");
    return openInto(s, target, true);
}

bool openWindows(Session &s, const std::string &path)
{
    // The status line says what is going on while the file is read and its views are built.
    struct StatusLine
    {
        Progress &progress;
        ~StatusLine() { progress.status({}); }
    } status{s.progress};
    s.progress.status("Creating views - please wait ...");
    if (!path.empty())
        return openInto(s, path, false);
    s.becomeUntitled();
    afterOpen(s, false);
    return true;
}

bool newFile(Session &s)
{
    if (askToSave(s) == Answer::Cancel)
        return false;

    // English first, then every other language file of the program folder.
    std::vector<fs::path> files{s.paths.programFolder / StartDefaultsFileName};
    std::string list = "English$";
    std::vector<fs::path> others;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(s.paths.programFolder, ec)) {
        const fs::path &p = entry.path();
        if (entry.is_regular_file(ec) && lowerExtension(p) == ".cfw" &&
            toLowerAscii(p.filename().string()) != StartDefaultsFileName)
            others.push_back(p);
    }
    std::ranges::sort(others);
    for (const fs::path &p : others) {
        std::string name = p.stem().string();
        if (!name.empty())
            name[0] = toUpperAscii(name.substr(0, 1))[0];
        list += name + "$";
        files.push_back(p);
    }
    const std::string br = "\r\n";
    const int choice = s.prompter.choice(
        "Select the file from the list below." + br +
            "These files contain report titles and other texts in the selected language." + br +
            "You can change them later in the \"Options\" menu selection.",
        0, 1, list);
    if (choice < 1 || choice > static_cast<int>(files.size()))
        return false;

    ScheduleData &d = s.data;
    if (auto started = startNewDataSet(d, files[static_cast<std::size_t>(choice - 1)].string());
        !started)
        s.prompter.warnDlg("The language file could not be read: " + started.error().detail + ".");
    // The calendar starts on the first Monday from today on.
    std::int32_t first = std::max(d.firstWeekDate, s.clock.today());
    while (first > 0 && isoWeekday(first) != 1)
        ++first;
    d.firstWeekDate = first;
    if (s.settings.directory.forceDir && !s.paths.userFolder.empty()) {
        const fs::path data = s.paths.userFolder / "Data";
        fs::create_directories(data, ec);
        if (fs::is_directory(data, ec))
            s.settings.directory.defaultDir = data.string();
    }
    return openWindows(s, "");
}

bool openFile(Session &s)
{
    if (askToSave(s) == Answer::Cancel)
        return false;
    FileRequest request;
    request.title = "Open a Quivra file";
    request.description = "Quivra file";
    request.pattern = "*.qvf";
    request.defaultExtension = "qvf";
    request.folder = s.settings.directory.defaultDir;
    bool opened = false;
    if (auto path = s.prompter.openFile(request)) {
        if (checkInUse(s, *path) && checkFileValid(s, *path, &opened))
            opened = openWindows(s, *path);
    }
    if (!opened && s.data.codeCount == 0 &&
        s.prompter.yesNoDlg("Do you want to create a new file?"))
        return newFile(s);
    return opened;
}

bool openLatestFile(Session &s, int k)
{
    if (k < 1 || k > 10)
        return false;
    const std::string path = s.settings.preferences.latestFile[static_cast<std::size_t>(k)];
    if (!checkFileOpen(s, path) || askToSave(s) == Answer::Cancel)
        return false;
    return openWindows(s, path);
}

std::vector<std::string> sampleFiles(const Session &s)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(s.paths.programFolder, ec)) {
        if (entry.is_regular_file(ec) && lowerExtension(entry.path()) == ".qvf")
            files.push_back(entry.path().string());
    }
    std::ranges::sort(files);
    return files;
}

std::string demoFile(const Session &s)
{
    return (s.paths.programFolder / DemoFileName).string();
}

bool openSampleFile(Session &s)
{
    const std::vector<std::string> files = sampleFiles(s);
    if (files.empty()) {
        s.prompter.warnDlg("No sample files are installed in " +
                           inQuotes(s.paths.programFolder.string()) + ".");
        return false;
    }
    std::string list;
    for (const std::string &file : files)
        list += fs::path(file).stem().string() + "$";
    const int choice = s.prompter.choice(
        "Select a sample file.\r\nA copy of it is opened, so the sample itself stays as it is.", 0,
        1, list);
    if (choice < 1 || choice > static_cast<int>(files.size()))
        return false;
    return openSampleCopy(s, files[static_cast<std::size_t>(choice - 1)]);
}

bool openDemoFile(Session &s)
{
    return openSampleCopy(s, demoFile(s));
}

bool openSampleCopy(Session &s, const std::string &sample)
{
    const FileCheck check = checkDataFile(sample);
    if (check.verdict != FileVerdict::Valid && check.verdict != FileVerdict::ReadOnly) {
        s.prompter.warnDlg("The sample file " + inQuotes(sample) +
                           " cannot be opened.\r\nIt is missing or not a valid Quivra file; "
                           "reinstalling Quivra restores it.");
        return false;
    }
    if (askToSave(s) == Answer::Cancel)
        return false;
    std::string error;
    const fs::path copy = copyUnderFreeName(sample, sampleCopyFolder(s), error);
    if (copy.empty()) {
        showError(s,
                  "The sample file " + inQuotes(sample) + " could not be copied: " + error + ".");
        return false;
    }
    if (openWindows(s, copy.string()))
        return true;
    // The copy was made for this open only; nothing refers to it yet.
    std::error_code ec;
    fs::remove(copy, ec);
    return false;
}

bool saveFileToDisk(Session &s, const std::string &path)
{
    ScheduleData &d = s.data;
    Settings &st = s.settings;
    // The cell display mode is ORed into bits 2..3 of the calendar mode, as files have always
    // had it; nothing reads those bits back.
    d.calendarMode =
        static_cast<std::uint16_t>(d.calendarMode | ((st.preferences.codeMode & 3) << 2));
    const BackupOptions backups{st.preferences.takeBackUp, st.preferences.makeYesterdayCopy};
    if (auto ok = makeBackups(path, backups, s.clock.now()); !ok) {
        showError(s, ok.error().detail + "\r\nThe file was not saved.");
        return false;
    }
    if (auto ok = writeDataFile(d, path); !ok) {
        showError(s, "File " + inQuotes(path) + " could not be saved: " + ok.error().detail + ".");
        return false;
    }
    if (!s.untitled() && path == s.currentFile())
        s.relock();
    addLatestFile(st.preferences.latestFile, path);
    if (st.preferences.makeTextFile)
        writeTextCopy(s, path);
    ++st.directory.numOfFileSaves;
    return true;
}

bool saveFile(Session &s)
{
    if (s.untitled() || s.currentFile().empty())
        return saveFileAs(s);
    if (!saveFileToDisk(s, s.currentFile()))
        return false;
    if ((s.settings.preferences.showInfoFile & 2) && s.hooks.showNoteFile)
        s.hooks.showNoteFile(s.currentFile());
    return true;
}

bool saveFileAs(Session &s)
{
    FileRequest request;
    request.title = "Save file";
    request.description = "Data file";
    request.pattern = "*.qvf";
    request.defaultExtension = "qvf";
    request.folder =
        s.currentFile().empty() ? s.settings.directory.defaultDir : folderOf(s.currentFile());
    request.fileName = fileName(s.currentFile());
    const auto path = s.prompter.saveFile(request);
    if (!path || !checkInUse(s, *path))
        return false;
    // The name is taken only once the data are on disk under it.
    if (!saveFileToDisk(s, *path))
        return false;
    if (!s.adoptFile(*path))
        s.prompter.warnDlg("File " + inQuotes(*path) + " was saved but is now in use elsewhere.");
    return true;
}

bool extractWeek(Session &s)
{
    ScheduleData &d = s.data;
    const int last = d.scheduleExtent.endWeek;
    if (last < 1) {
        s.prompter.infoDlg("No week holds scheduled periods.");
        return false;
    }
    const int week =
        s.prompter.pickWeek(d, d.currentWeek, "\r\nSelect the week to extract:", last, 1);
    if (week < 1)
        return false;
    char name[24];
    std::snprintf(name, sizeof name, "week%03d.qvf", week);
    FileRequest request;
    request.title = "Save week " + formatWeek(d, week, 3) + " as";
    request.description = "Data file";
    request.pattern = "*.qvf";
    request.defaultExtension = "qvf";
    request.folder =
        s.currentFile().empty() ? s.settings.directory.defaultDir : folderOf(s.currentFile());
    request.fileName = name;
    const auto path = s.prompter.saveFile(request);
    if (!path || !checkInUse(s, *path))
        return false;
    std::error_code ec;
    if (!s.untitled() && fs::equivalent(*path, s.currentFile(), ec)) {
        // One week written over the open file would replace all of its other weeks.
        s.prompter.warnDlg("A week cannot be extracted into the file that is open.");
        return false;
    }
    // An extract is a copy: the data set stays as modified as it was.
    auto written = writeDataFile(d, *path, week);
    if (!written) {
        showError(s, "File " + inQuotes(*path) + " could not be saved: " + written.error().detail +
                         ".");
        return false;
    }
    addLatestFile(s.settings.preferences.latestFile, *path);
    if (s.prompter.yesNoDlg("Week " + inQuotes(formatWeek(d, week, 3)) + " is extracted to file " +
                            inQuotes(*path) + ".\r\nDo you want to open this file now?") &&
        checkInUse(s, *path) && askToSave(s) != Answer::Cancel)
        openWindows(s, *path);
    return true;
}

CompressReport compress(Session &s)
{
    ScheduleData &d = s.data;
    CompressReport report;
    report.largestBefore = largestTimetable(d);
    d.counters.largestTimetable = 0;
    recount(d);
    report.lecturesBefore = d.lectureCount;

    // In memory: the blocks are rebuilt from each code's own lectures, so nothing the data set
    // holds beyond them (memos, titles, masks, counters) is touched.
    // Tidy and the conflict removal mark the data set modified for what changes its meaning (a
    // renamed duplicate code, a removed cell); fewer blocks for the same cells are no change.
    s.progress.begin("Compacting ...", d.codeCount);
    tidy(d);
    removeAllConflicts(d, 1, true);
    s.progress.end();
    report.lecturesAfter = d.lectureCount;
    report.largestAfter = largestTimetable(d);
    refreshViews(s);

    const double saved = report.lecturesBefore > 0 && report.lecturesAfter < report.lecturesBefore
                             ? (1.0 - double(report.lecturesAfter) / report.lecturesBefore) * 100.0
                             : 0.0;
    char text[96];
    std::snprintf(text, sizeof text, "Compacted: %2.2f percents (%d>%d).", saved,
                  report.largestBefore, report.largestAfter);
    s.prompter.infoDlg(std::string(text) + "\r\n\r\n" + std::to_string(d.eventList[0]) +
                       " events, " + std::to_string(d.resourceList[0]) + " resources, " +
                       std::to_string(d.lectureCount) + " lecture entries.");
    return report;
}

bool exitProgram(Session &s)
{
    if (!s.noAsk && askToSave(s) == Answer::Cancel)
        return false;
    // Nothing written here may keep the program from ending.
    if (!s.untitled() && !s.currentFile().empty())
        s.settings.directory.defaultFile = s.currentFile();
    (void)saveSettings(s.settings, s.paths, s.userFolderInUse);
    if (s.settings.preferences.readWriteTextFiles & 2) {
        auto writeLines = [&](const std::vector<std::string> &lines, const char *name) {
            std::string text;
            for (const std::string &line : lines)
                text += line + "\n";
            (void)writeFileAtomically(
                (s.paths.programFolder / name).string(),
                std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
        };
        writeLines(s.data.comments, "notefile.txt");
        writeLines(s.data.memos, "memofile.txt");
    }
    s.clearFile();
    s.exitRequested = true;
    return true;
}

} // namespace quivra
