#pragma once

// Session: the state the file commands work on, from start-up to exit.
//
// A session holds references to the one data set, the settings and the ports through which it
// talks to the user (Prompter), reads the clock and shows progress; it owns the name of the
// current data file and the advisory lock on it. Commands are free functions over a session,
// so the desktop, the command line and the tests run the same code with other ports.
//
// The current file. A data set is either named (a path the user chose or opened, kept exactly
// as given) or untitled (a new data set, or data salvaged from a damaged file). Save on an
// untitled data set asks for a name; a named one is written back to its path. While a named
// file is current the session holds a lock on it, so a second session opening it is told it is
// in use. The path is adopted only once its data are safely in memory, or safely on disk.
//
// What the frame does around the commands (views, the welcome window, the options dialog, the
// note file) reaches it through SessionHooks; every hook is optional.

#include "engine/scheduledata.h"
#include "files/filelock.h"
#include "files/settings.h"
#include "ui/ports.h"
#include "ui/prompter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quivra {

struct SessionHooks
{
    std::function<void()> refreshViews;         // after any change of the data set
    std::function<void(int choice)> firstStart; // the first-start choice (1..4)
    std::function<void()> showWelcome;          // the welcome window at start
    std::function<void()> showOptions;          // "Options" after the welcome question
    std::function<void(const std::string &path)> showNoteFile; // the data file's note file
    std::function<void(const std::string &caption)> setCaption;
    // A file (named) or a new data set (not named) is open and its views are built.
    std::function<void(bool named)> fileOpened;
    std::function<void()> fileClosed; // nothing is open any more (File Close)
};

struct Session
{
    Session(ScheduleData &data, Settings &settings, SettingsPaths paths, Prompter &prompter,
            const Clock &clock, Progress &progress);

    ScheduleData &data;
    Settings &settings;
    SettingsPaths paths;
    Prompter &prompter;
    const Clock &clock;
    Progress &progress;
    SessionHooks hooks;

    std::vector<std::string> arguments; // the command line, without the program name
    bool userFolderInUse = false;       // settings are written to the user's file
    bool firstStart = false;            // no settings file was found at start
    bool noAsk = false;                 // exit without asking to save ("/W")
    bool exitRequested = false;         // a command asked the program to end
    std::string organisation = "Quivra Scheduling Software";
    // The divider the reports average weekly figures by: the data set's, held in 1..weeks of
    // the coding; set whenever a file opens.
    int reportDivider = 1;

    // The current file: its path (empty when nothing is open yet) and whether it is untitled.
    const std::string &currentFile() const { return m_currentFile; }
    bool untitled() const { return m_untitled; }
    // "Quivra - <file name> - <organisation>".
    std::string caption() const;

    // Names the data set after `path` and locks the file; false (nothing changed) when another
    // holder has it locked. The folder becomes the data folder; the path joins the latest files.
    bool adoptFile(const std::string &path);
    // Makes the data set untitled: "untitled-N.qvf" in the data folder, the first N free.
    void becomeUntitled();
    // Forgets the current file (nothing open).
    void clearFile();
    // True when `path` is held by someone else. The session's own file is not in use to it.
    bool inUseByOthers(const std::string &path) const;
    // After the current file was replaced on disk: the lock follows the new file.
    void relock();

private:
    void captionChanged() const;

    std::string m_currentFile;
    bool m_untitled = true;
    FileLock m_lock;
};

// Small helpers of the file commands.
// `text` in double quotes, as messages name files and codes.
std::string inQuotes(const std::string &text);
// The folder of `path`, "." for a bare file name.
std::string folderOf(const std::string &path);
// An error message with an OK button.
void showError(Session &s, const std::string &text);
// Lets the frame redraw its views after a change of the data set.
void refreshViews(Session &s);

// The latest-files list: only data files (".qvf") are taken; the path becomes entry 1, the
// others move down, the eleventh is dropped, and a path already listed is not listed twice.
void addLatestFile(std::array<std::string, 11> &latest, const std::string &path);

} // namespace quivra
