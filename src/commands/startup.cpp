#include "commands/startup.h"

#include "commands/consoledialogs.h"
#include "commands/filecommands.h"
#include "commands/filestatistics.h"
#include "engine/conflicts.h"
#include "engine/textutil.h"
#include "files/datafile.h"
#include "files/defaultsfile.h"
#include "files/textexchange.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>

namespace quivra {

namespace fs = std::filesystem;

namespace {

bool hasExtension(const std::string &path, std::string_view extension)
{
    return toLowerAscii(fs::path(path).extension().string()) == extension;
}

// The switches "/T" and "/W" stand in the third and fourth arguments.
std::string switches(const std::vector<std::string> &args)
{
    std::string joined;
    for (std::size_t i = 2; i < args.size() && i < 4; ++i)
        joined += args[i];
    return toUpperAscii(joined);
}

std::vector<std::string> readLines(const fs::path &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

void createFrame(Session &s)
{
    if (auto started =
            startNewDataSet(s.data, (s.paths.programFolder / StartDefaultsFileName).string());
        !started)
        s.progress.status("The defaults file could not be read: " + started.error().detail);
    const SettingsLoad load = loadSettings(s.settings, s.paths);
    s.userFolderInUse = load.userFolderInUse;
    s.firstStart = !load.programFileFound && !load.userFileFound;
    if (s.settings.preferences.readWriteTextFiles & 1) {
        s.data.comments = readLines(s.paths.programFolder / "notefile.txt");
        s.data.memos = readLines(s.paths.programFolder / "memofile.txt");
    }
    if (s.hooks.setCaption)
        s.hooks.setCaption(s.caption());
}

void firstPaint(Session &s)
{
    const std::vector<std::string> &args = s.arguments;
    Settings &st = s.settings;
    if (!st.preferences.hideWelcome && args.empty() && s.hooks.showWelcome)
        s.hooks.showWelcome();
    if (s.firstStart && args.empty()) {
        const int choice =
            s.prompter.choice("", 0, 1,
                              "I want to create my own Quivra file$I want to view sample files$"
                              "I want to look at the demo institution$"
                              "I want to let Quivra create a demo file step by step$");
        if (choice > 0 && s.hooks.firstStart)
            s.hooks.firstStart(choice);
        return;
    }
    if (!args.empty()) {
        if (args[0].find('*') != std::string::npos) {
            const int listed = writeFileStatistics(s, args[0]);
            if (listed >= 0)
                s.prompter.infoDlg("File statistics of " + std::to_string(listed) +
                                   " data files written to " +
                                   inQuotes(fileStatisticsPath(args[0])) + ".");
            return;
        }
        if (args.size() >= 2 && hasExtension(args[1], ".qvx")) {
            if (!checkFileOpen(s, args[0]))
                return;
            st.directory.defaultAddFile = args[1];
            autoMakeFiles(s, true, args[0]);
        } else if (checkFileOpen(s, args[0])) {
            openWindows(s, args[0]);
        }
        return;
    }
    const std::string &last = st.directory.defaultFile;
    if (st.preferences.autoRead && !last.empty() && checkFileOpen(s, last))
        autoMakeFiles(s, st.preferences.autoAddTextFile, last);
    else
        s.clearFile();
    if (st.preferences.reminder && !s.data.description.empty() &&
        s.prompter.yesNoDlg(s.data.description + "\r\n\r\n[Yes]=Hide this reminder"))
        st.preferences.reminder = false;
}

bool autoMakeFiles(Session &s, bool add, const std::string &dataFile)
{
    if (!openWindows(s, dataFile))
        return false;
    const std::string flags = switches(s.arguments);
    const bool convert = flags.find("/T") != std::string::npos;
    const bool writeAndEnd = flags.find("/W") != std::string::npos;
    const std::string textFile = s.settings.directory.defaultAddFile;
    ScheduleData &d = s.data;

    if (!convert && add) {
        std::error_code ec;
        if (!hasExtension(textFile, ".qvx") || !fs::is_regular_file(textFile, ec) ||
            s.inUseByOthers(textFile)) {
            if (writeAndEnd) {
                showError(s, "File " + inQuotes(textFile) + " cannot be added.");
                return false;
            }
            return true;
        }
        s.progress.status("Adding file " + fs::path(textFile).filename().string() + " to " +
                          fs::path(s.currentFile()).filename().string() + " ...");
        // Adding sweeps the conflicts it made, from week 1, removing the later event's cells.
        auto added = addTextFile(d, textFile, 1);
        if (!added) {
            showError(s, "File " + inQuotes(textFile) +
                             " could not be added: " + added.error().detail + ".");
            return false;
        }
        if (s.hooks.refreshViews)
            s.hooks.refreshViews();
        if (writeAndEnd) {
            // A damaged file came in untitled: it is not written back over itself.
            if (s.untitled()) {
                showError(s, "The data file was damaged and is not written back.");
                return false;
            }
            removeAllConflicts(d, 1, true);
            if (auto ok = writeDataFile(d, s.currentFile()); !ok) {
                showError(s, "File " + inQuotes(s.currentFile()) +
                                 " could not be saved: " + ok.error().detail + ".");
                return false;
            }
            s.relock();
            s.noAsk = true;
            s.exitRequested = true;
        }
    }
    if (convert) {
        ExportOptions options = exportOptionsFor(s);
        options.nameConversionFolder = fs::path(textFile).parent_path().string();
        if (auto ok = exportTextFile(d, textFile, options); !ok) {
            showError(s, "File " + inQuotes(textFile) +
                             " could not be written: " + ok.error().detail + ".");
            return false;
        }
        if (writeAndEnd) {
            s.noAsk = true;
            s.exitRequested = true;
        }
        s.prompter.infoDlg("File " + inQuotes(dataFile) + " was converted to text file " +
                           inQuotes(textFile) + ".");
    }
    return true;
}

int runHeadless(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    const std::string flags = switches(args);
    const bool convert = flags.find("/T") != std::string::npos;
    const bool writeAndEnd = flags.find("/W") != std::string::npos;
    if (args.size() < 3 || (!convert && !writeAndEnd) || !hasExtension(args[1], ".qvx")) {
        err << "usage: DATA.qvf TEXT.qvx /T   convert the data file into the text file\n"
               "       DATA.qvf TEXT.qvx /W   add the text file and write the data file\n";
        return 1;
    }
    auto data = makeScheduleData();
    Settings settings;
    // Nobody is there to answer: no question about capacity tags or locking at open.
    settings.preferences.capacityCheck = true;
    settings.preferences.lockOthers = false;
    ConsoleDialogs dialogs(out, err);
    Prompter prompter(dialogs);
    SystemClock clock;
    NullProgress progress;
    Session s(*data, settings, SettingsPaths{}, prompter, clock, progress);
    s.arguments = args;
    if (!checkFileOpen(s, args[0]))
        return 2;
    settings.directory.defaultAddFile = args[1];
    return autoMakeFiles(s, true, args[0]) ? 0 : 2;
}

int openingViewWeek(const ScheduleData &d)
{
    const TimeRange &extent = d.scheduleExtent;
    if (d.lectureCount <= 0 || extent.startWeek < 1 || extent.endWeek < extent.startWeek)
        return 0;
    return std::clamp(d.currentWeek, int(extent.startWeek), int(extent.endWeek));
}

} // namespace quivra
