#include "commands/textcommands.h"

#include "commands/commandsupport.h"
#include "commands/filecommands.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace quivra {

namespace fs = std::filesystem;

namespace {

constexpr const char *TextExtension = "qvx";
// Lines of a pre-check report shown in its message; the file holds them all.
constexpr int ShownConflictLines = 30;
// Name of the pre-check report in the data folder.
constexpr const char *ConflictReportName = "conflict.txt";

const std::string br = LineBreak;

// The folder text files are looked for in: the text folder, else the data folder.
std::string textFolder(const Session &s)
{
    const Settings::Directory &dir = s.settings.directory;
    return dir.defaultTextDir.empty() ? dir.defaultDir : dir.defaultTextDir;
}

FileRequest textFileRequest(const Session &s, std::string title)
{
    FileRequest request;
    request.title = std::move(title);
    request.description = "Text file";
    request.pattern = std::string("*.") + TextExtension;
    request.defaultExtension = TextExtension;
    request.folder = textFolder(s);
    return request;
}

// Asks for a text file to read and checks that nobody else holds it.
std::optional<std::string> askTextFile(Session &s, std::string title)
{
    auto path = s.prompter.openFile(textFileRequest(s, std::move(title)));
    if (!path || !checkInUse(s, *path))
        return std::nullopt;
    return path;
}

std::string cannotReadText(const std::string &path, const Error &error)
{
    return "The file " + inQuotes(path) + " cannot be read: " + error.detail + "." + br +
           "Your data are unchanged.";
}

// What the file held besides the data set: provenance texts always (where the file had them),
// the block patterns of the weeks when the file replaced the data set.
void keepTextSettings(Session &s, const TextSettings &t, bool replacing)
{
    Settings::Preferences &p = s.settings.preferences;
    if (!t.originalFile.empty())
        p.originalFile = t.originalFile;
    if (!t.sourceFile.empty())
        p.sourceFile = t.sourceFile;
    if (!t.fileId.empty())
        p.fileId = t.fileId;
    if (!replacing)
        return;
    s.settings.slotPatterns.clear();
    for (std::size_t w = 0; w < t.blockPatterns.size(); ++w) {
        if (!t.blockPatterns[w].empty())
            s.settings.slotPatterns[static_cast<int>(w)] = t.blockPatterns[w];
    }
}

// The name a data set goes by in messages.
std::string dataFileName(const Session &s)
{
    return s.currentFile().empty() ? std::string("untitled")
                                   : fs::path(s.currentFile()).filename().string();
}

bool sameFile(const std::string &a, const std::string &b)
{
    std::error_code ec;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, ec);
}

} // namespace

std::string dataSetSummary(const ScheduleData &d)
{
    return std::to_string(d.eventList[0]) + " events, " + std::to_string(d.resourceList[0]) +
           " resources, " + std::to_string(d.lectureCount) + " lecture entries.";
}

std::string importReportText(const ImportReport &r)
{
    std::string text = std::to_string(r.linesRead) +
                       " lines read: " + std::to_string(r.codesAdded) + " codes added, " +
                       std::to_string(r.codesUpdated) + " updated";
    if (r.codesRemoved > 0)
        text += ", " + std::to_string(r.codesRemoved) + " removed";
    text += ".";
    if (r.holidayCells > 0 || r.holidaysRefused > 0)
        text += br + std::to_string(r.holidayCells) + " cells booked for holidays" +
                (r.holidaysRefused > 0
                     ? ", " + std::to_string(r.holidaysRefused) + " holiday dates refused"
                     : std::string()) +
                ".";
    if (r.charactersReplaced > 0)
        text += br + std::to_string(r.charactersReplaced) +
                " characters could not be kept and were replaced.";
    if (r.linesSkipped > 0) {
        text += br + std::to_string(r.linesSkipped) + " lines skipped:";
        for (const auto &[reason, count] : r.skippedBy)
            text += br + "- " + std::to_string(count) + " " + skipReasonText(reason);
        for (const std::string &sample : r.samples)
            text += br + "  " + sample;
    }
    return text;
}

bool importFile(Session &s)
{
    if (askToSave(s) == Answer::Cancel)
        return false;
    const auto path = askTextFile(s, "Import and replace data from a Quivra text file (.qvx)");
    if (!path)
        return false;
    const std::string question =
        "Do you want to replace your Quivra data with the contents of the file " + inQuotes(*path) +
        "?";
    if (!s.prompter.yesNoDlg(question))
        return false;

    // The open data set stays as it is until the file has been read in full.
    auto fresh = makeScheduleData();
    s.progress.status("Converting " + inQuotes(*path) + " ...");
    auto read = importTextFile(*path, *fresh, s.clock.today());
    s.progress.status("");
    if (!read) {
        showError(s, cannotReadText(*path, read.error()));
        return false;
    }
    // Modified as read: nothing of it is saved yet.
    s.data = std::move(*fresh);
    // Untitled: a data file of the same name may stand beside the text file, and the first
    // Save must not write over it unasked.
    s.becomeUntitled();
    keepTextSettings(s, read->settings, true);
    refreshViews(s);
    s.prompter.infoDlg("The file " + inQuotes(*path) + " was imported." + br + br +
                       importReportText(*read) + br + br + dataSetSummary(s.data));
    return true;
}

bool addFile(Session &s)
{
    const int rule = s.prompter.choice(
        br + "Select the rule for the Quivra file (." + TextExtension + ") you are about to add", 0,
        1,
        "1 Add everything (default)$2 Only relevant events$3 Skip scheduled periods$"
        "4 Schedules as bookings$");
    if (rule < 1 || rule > 4)
        return false;
    const auto path =
        askTextFile(s, std::string("Select the .") + TextExtension + " file to add data from");
    if (!path)
        return false;

    ScheduleData &d = s.data;
    s.progress.status("Adding data from " + *path + " ...");
    auto added = addTextFile(d, *path, rule);
    s.progress.status("");
    if (!added) {
        showError(s, cannotReadText(*path, added.error()));
        return false;
    }
    // Added into an empty frame: the data set is a new, untitled one.
    if (s.currentFile().empty())
        s.becomeUntitled();
    keepTextSettings(s, added->settings, false);
    refreshViews(s);
    std::string text =
        "The file " + inQuotes(*path) + " was added." + br + br + importReportText(*added);
    if (added->conflicts.found > 0)
        text += br + std::to_string(added->conflicts.found) + " conflicting cells found, " +
                std::to_string(added->conflicts.removed) + " removed.";
    s.prompter.infoDlg(text + br + br + dataSetSummary(d));
    return true;
}

bool exportFile(Session &s, bool allEvents)
{
    FileRequest request;
    request.title =
        std::string("Select the target folder and file name for (.") + TextExtension + ") file";
    request.description = "Quivra text file";
    request.pattern = std::string("*.") + TextExtension;
    request.defaultExtension = TextExtension;
    const Settings::Directory &dir = s.settings.directory;
    request.folder = dir.convertDir.empty() ? dir.defaultDir : dir.convertDir;
    if (!s.currentFile().empty())
        request.fileName =
            fs::path(s.currentFile()).filename().replace_extension(TextExtension).string();
    const auto path = s.prompter.saveFile(request);
    if (!path || !checkInUse(s, *path))
        return false;
    if (!s.untitled() && sameFile(*path, s.currentFile())) {
        // A text written over the open data file would replace it.
        s.prompter.warnDlg("The text file cannot be written over the data file that is open.");
        return false;
    }
    ExportOptions options = exportOptionsFor(s);
    options.allEvents = allEvents;
    s.progress.status("Converting " + dataFileName(s) + " to " + *path + " ...");
    auto written = exportTextFile(s.data, *path, options);
    s.progress.status("");
    if (!written) {
        showError(s, "The text file " + inQuotes(*path) +
                         " could not be written: " + written.error().detail + ".");
        return false;
    }
    s.settings.directory.defaultTextDir = folderOf(*path);
    s.prompter.infoDlg("Quivra file " + inQuotes(dataFileName(s)) + " was converted to text file " +
                       inQuotes(*path) + ".");
    return true;
}

bool splitFile(Session &s)
{
    const auto events = pickOfKind(s.data, s.prompter, "Select the events for the new file", true);
    if (!events)
        return false;
    if (events->empty()) {
        s.prompter.infoDlg("No events were selected, so there is nothing to write.");
        return false;
    }
    return exportFile(s, false);
}

bool removeFile(Session &s)
{
    const auto path = askTextFile(s, std::string("Select the .") + TextExtension +
                                         " file containing resources and events to be removed");
    if (!path)
        return false;
    const auto text = readTextFile(*path);
    if (!text) {
        showError(s, cannotReadText(*path, text.error()));
        return false;
    }
    ScheduleData &d = s.data;
    const RemoveMatches m = matchListed(d, *text);
    const std::string name = fs::path(*path).filename().string();
    if (m.events.empty() && m.resources.empty()) {
        s.prompter.infoDlg("The selected file (" + name +
                           ") contains no matching resources or events.");
        return false;
    }
    if (!s.prompter.yesNoDlg("The selected file (" + name + ") contains" + br + "- " +
                             std::to_string(m.resources.size()) + " (out of " +
                             std::to_string(m.resourceLines) + ") matching resources and" + br +
                             "- " + std::to_string(m.events.size()) + " (out of " +
                             std::to_string(m.eventLines) + ") matching events." + br +
                             "Do you want to remove them from your file?"))
        return false;
    const int removed = removeListed(d, *text, [&s](bool events, int matched, int listed) {
        return s.prompter.yesNoDlg("Remove " + std::to_string(matched) + " (out of " +
                                   std::to_string(listed) + ") " +
                                   (events ? "events" : "resources") + " from your file?");
    });
    if (removed > 0)
        refreshViews(s);
    s.prompter.infoDlg(std::to_string(removed) + " codes removed." + br + br + dataSetSummary(d));
    return removed > 0;
}

bool preCheck(Session &s)
{
    const auto path = askTextFile(s, "Check a file for conflicts before adding it");
    if (!path)
        return false;
    const std::string report =
        (fs::path(s.settings.directory.defaultDir.empty() ? std::string(".")
                                                          : s.settings.directory.defaultDir) /
         ConflictReportName)
            .string();
    s.progress.status("Pre-checking file " + *path + " ...");
    auto found = preCheckFile(s.data, *path, report);
    s.progress.status("");
    if (!found) {
        showError(s, "The file " + inQuotes(*path) +
                         " could not be checked: " + found.error().detail + ".");
        return false;
    }
    if (*found == 0) {
        s.prompter.infoDlg("No conflicts encountered.");
        return true;
    }
    if (!s.prompter.yesNoDlg(std::to_string(*found) + " conflict(s) stored in file " +
                             inQuotes(report) + " - do you want to view them now?"))
        return true;
    std::string list = "Conflicts with file " + inQuotes(*path) + br + br + "List of " +
                       std::to_string(*found) + " conflict(s):" + br;
    if (const auto lines = readTextFile(report)) {
        std::string_view rest = *lines;
        int shown = 0;
        while (!rest.empty() && shown < ShownConflictLines) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            // The file separates the columns by tabs; a message shows them as spaces.
            std::string shownLine(line);
            std::ranges::replace(shownLine, '\t', ' ');
            list += br + shownLine;
            ++shown;
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
        if (*found > shown)
            list += br + "... and " + std::to_string(*found - shown) + " more in " +
                    inQuotes(report) + ".";
    }
    s.prompter.infoDlg(list);
    return true;
}

bool closeFile(Session &s)
{
    if (askToSave(s) == Answer::Cancel)
        return false;
    clearScheduleData(s.data);
    s.clearFile();
    if (s.hooks.fileClosed)
        s.hooks.fileClosed();
    return true;
}

} // namespace quivra
