#include "commands/network.h"

#include "commands/filecommands.h"
#include "engine/calendar.h"
#include "engine/textutil.h"
#include "files/networkfolder.h"
#include "files/textexchange.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace quivra {

namespace fs = std::filesystem;

namespace {

bool folderExists(const std::string &folder)
{
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec);
}

std::string absoluteFolder(const std::string &folder)
{
    std::error_code ec;
    const fs::path full = fs::absolute(folder, ec);
    return ec ? folder : full.lexically_normal().string();
}

// "   [dd.mm.yyyy hh:mm]" for a file's modification time.
std::string stampText(std::chrono::system_clock::time_point when)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    localtime_r(&t, &parts);
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", parts.tm_hour, parts.tm_min);
    return "   [" +
           formatShortDate(dateSerial(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday)) +
           " " + time + "]";
}

} // namespace

bool selectNetworkFolder(Session &s)
{
    std::string &network = s.settings.directory.network;
    const auto answer = s.prompter.input(
        "Network folder", "Select or create folder to share data with others", network, 255);
    if (!answer)
        return false;
    network = trim(*answer);
    if (folderExists(network))
        return true;
    if (!s.prompter.yesNoDlg("Folder " + inQuotes(network) +
                             " is not valid\r\n - do you want to create it?"))
        return false;
    std::error_code ec;
    if (network.empty() || !fs::create_directories(network, ec) || ec) {
        s.prompter.warnDlg("Folder creation failed.");
        return false;
    }
    return true;
}

bool writeToNetwork(Session &s)
{
    const std::string folder = s.settings.directory.network;
    if (s.currentFile().empty()) {
        s.prompter.warnDlg("There is no data file to store in the network folder.");
        return false;
    }
    if (!folderExists(folder)) {
        selectNetworkFolder(s);
        return false;
    }
    const std::string target =
        (fs::path(absoluteFolder(folder)) / networkCopyName(s.currentFile())).string();
    const std::string source = fs::path(s.currentFile()).filename().string();
    if (s.inUseByOthers(target)) {
        s.prompter.warnDlg("File " + source + " was NOT stored as " + inQuotes(target));
        return false;
    }
    ExportOptions options = exportOptionsFor(s);
    options.nameConversionFolder = absoluteFolder(folder);
    if (auto ok = exportTextFile(s.data, target, options); !ok) {
        s.prompter.dlg("File " + source + " was NOT stored as " + inQuotes(target) + ": " +
                           ok.error().detail + ".",
                       0, 0, Buttons::Ok, DialogKind::Error);
        return false;
    }
    s.prompter.infoDlg("File " + source + " was stored as " + inQuotes(target));
    return true;
}

NetworkReadReport readFromNetwork(Session &s)
{
    NetworkReadReport report;
    const std::string folder = absoluteFolder(s.settings.directory.network);
    const std::string br = "\r\n";
    const int rule = s.prompter.choice(
        "Select adding rule for \".qvx\" files" + br + "Folder: " + folder, 0, 1,
        "1 Add everything (default)$2 Only relevant events$3 Skip scheduled periods$"
        "4 Schedules as bookings");
    if (rule < 1)
        return report;
    if (!folderExists(s.settings.directory.network)) {
        selectNetworkFolder(s);
        return report;
    }

    const std::vector<ExchangeFile> files = listExchangeFiles(folder);
    std::vector<std::string> present;
    for (const ExchangeFile &f : files)
        present.push_back(f.name);
    const std::vector<std::string> names =
        networkCandidates(networkOrder(s.settings), present, networkCopyName(s.currentFile()));
    if (names.empty()) {
        s.prompter.warnDlg("No \"*.qvx\" files stored in " + inQuotes(folder) + ".");
        return report;
    }

    OptionsRequest request;
    request.caption = "Files to be added";
    request.question = br + std::to_string(names.size()) + " file(s) stored in directory" + br +
                       inQuotes(folder) + br +
                       "(Change addition order with Previous and Next buttons)";
    request.multiple = true;
    request.columns = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        std::string text = names[i];
        const auto file = std::ranges::find(files, names[i], &ExchangeFile::name);
        if (file != files.end() && file->modified) {
            text += stampText(*file->modified);
            request.checked.push_back(number);
        }
        request.options.push_back({number, text});
    }
    const auto selection = s.prompter.orderedChoice(request);
    if (!selection)
        return report;

    // The order as left at OK is the order offered next time, whatever the answer below.
    std::vector<std::string> ordered;
    for (int number : selection->order) {
        if (number >= 1 && number <= static_cast<int>(names.size()) &&
            std::ranges::find(ordered, names[static_cast<std::size_t>(number - 1)]) ==
                ordered.end())
            ordered.push_back(names[static_cast<std::size_t>(number - 1)]);
    }
    // Names a list did not return keep their places after the ones it did.
    for (const std::string &name : names) {
        if (std::ranges::find(ordered, name) == ordered.end())
            ordered.push_back(name);
    }
    setNetworkOrder(s.settings, ordered);
    if (!s.prompter.yesNoDlg("Add selected file(s) from " + inQuotes(folder) + " ?"))
        return report;

    if (s.data.codeCount == 0)
        s.becomeUntitled();
    std::vector<int> chosen;
    for (int number : selection->order) {
        if (std::ranges::find(selection->checked, number) != selection->checked.end())
            chosen.push_back(number);
    }
    s.progress.begin("Adding files ...", static_cast<int>(chosen.size()));
    int step = 0;
    for (int number : chosen) {
        const std::string &name = names[static_cast<std::size_t>(number - 1)];
        const std::string path = (fs::path(folder) / name).string();
        s.progress.step(++step);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec) || s.inUseByOthers(path)) {
            report.skipped.push_back(name);
            continue;
        }
        s.progress.status("Adding data from " + path + " ...");
        // Adding applies the folder's name conversion; the conflicts are swept once below.
        if (addTextFile(s.data, path, rule, AddSweep::LeaveToCaller))
            ++report.added;
        else
            report.skipped.push_back(name);
    }
    s.progress.end();
    if (report.added > 0) {
        report.conflicts = sweepConflicts(s.data, 1, true, s.progress);
        if (s.hooks.refreshViews)
            s.hooks.refreshViews();
        compress(s);
    }
    // One closing report: what came in, what the sweep took out, what was left behind.
    std::string text = report.added > 0 ? "Added " + std::to_string(report.added) +
                                              " file(s) from " + inQuotes(folder) + "."
                                        : "No file was added from " + inQuotes(folder) + ".";
    if (report.conflicts.found > 0)
        text += br + std::to_string(report.conflicts.removed) + " of " +
                std::to_string(report.conflicts.found) +
                " conflicting period(s) were removed from the timetables.";
    if (!report.skipped.empty()) {
        text += br + br + "These files were not added (gone, in use or unreadable):";
        for (const std::string &name : report.skipped)
            text += br + name;
        s.prompter.warnDlg(text);
    } else {
        s.prompter.infoDlg(text);
    }
    return report;
}

} // namespace quivra
