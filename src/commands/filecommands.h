#pragma once

// The file commands of the frame: New, Open, Save, Save As, Extract week, Compress, the latest
// files and Exit, with the checks made before a file is opened or replaced.
//
// Rules every command here keeps:
// - a file is read into a fresh data set, and the data set in use is replaced only when the
//   read succeeded; a file that cannot be read leaves everything as it was;
// - data salvaged from a damaged file (a file that ends early, or one recovered from garbage in
//   front of its header) open as an untitled data set, so no later Save can overwrite the
//   damaged file, or anything else, without the user naming the target;
// - every file written replaces its target only once complete (a temporary file and a rename);
// - a question answered Cancel, or a save the user cancels or that fails, stops the whole
//   command with nothing changed.
//
// Commands return true when they did what they were asked.

#include "commands/session.h"
#include "files/textexchange.h"

#include <string>
#include <vector>

namespace quivra {

// Asks to save a modified data set: Answer::Yes (saved), Answer::No (not saved, go on) or
// Answer::Cancel (stop the caller). A save that is cancelled or fails answers Cancel. Answers
// No when nothing was modified.
int askToSave(Session &s);

// New: asks to save, offers the language files, then starts an untitled data set.
bool newFile(Session &s);
// Open: asks to save, asks for a file, checks it and opens it. When nothing was opened and the
// data set has no codes, offers to start a new file.
bool openFile(Session &s);
// Latest file k (1..10): checks it, asks to save, opens it.
bool openLatestFile(Session &s, int k);

// Reads `path` and makes it the current file (an empty path: a new untitled data set). Shows
// why when the file cannot be read. The in-use and validity checks are the caller's.
bool openWindows(Session &s, const std::string &path);

// The sample files shipped with the program (the data files of the program folder), sorted.
std::vector<std::string> sampleFiles(const Session &s);
// The demo institution among them.
std::string demoFile(const Session &s);
// Open a sample file: offers the sample files and opens a copy of the one chosen.
bool openSampleFile(Session &s);
// Open the demo file: opens a copy of the demo institution.
bool openDemoFile(Session &s);
// Samples are installed read-only and must stay as shipped, so the user works on a copy: the
// sample is copied under a free name into the user's documents folder (never over an existing
// file) and the copy is opened as an ordinary file that can be edited and saved. A missing or
// invalid sample, a question answered Cancel or a failed copy change nothing.
bool openSampleCopy(Session &s, const std::string &sample);

// Save: Save As for an untitled data set, else writes the current file.
bool saveFile(Session &s);
// Save As: asks for a name; the data set takes it only once it is written.
bool saveFileAs(Session &s);
// Writes the data set to `path` with the backups and the text copy the settings ask for.
// Errors are shown; false when nothing was written.
bool saveFileToDisk(Session &s, const std::string &path);

// Extract week: writes the lectures of one week to a file of its own. The current file name
// and the modified flag stay as they were.
bool extractWeek(Session &s);

struct CompressReport
{
    int lecturesBefore = 0;
    int lecturesAfter = 0;
    int largestBefore = 0; // most timetable entries of one code, before and after
    int largestAfter = 0;
};
// Compress: rewrites every code's lectures as maximal blocks in memory and removes conflicts,
// losing nothing else; reports the saving.
CompressReport compress(Session &s);

// Exit: asks to save (unless noAsk), writes the settings and, when so set, the note and memo
// files. False when the user cancelled.
bool exitProgram(Session &s);

// The checks before a file is opened. checkFileOpen is the quiet form used for the command
// line and the latest files: one message when the file is missing, invalid or in use.
bool checkInUse(Session &s, const std::string &path);
bool checkFileOpen(Session &s, const std::string &path);
// The full validity check of Open: read-only and newer files are refused or asked about, and a
// file that is not a data file is offered for recovery (see recoverFile; *recovered is set when
// its data were opened). True when the file may be opened.
bool checkFileValid(Session &s, const std::string &path, bool *recovered = nullptr);
// Recovery of a file with garbage in front of its header: asks, writes the salvaged bytes to a
// new "recovered" file beside it, and opens that data as an untitled data set. True when
// something was recovered and opened.
bool recoverFile(Session &s, const std::string &path);

// The options of a text copy of the data set: provenance, date text and block patterns from the
// settings.
ExportOptions exportOptionsFor(const Session &s);

// Most timetable entries (lectures with a day) of one code in the store.
int largestTimetable(const ScheduleData &d);

} // namespace quivra
