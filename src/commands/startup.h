#pragma once

// Start-up and the command line.
//
// The desktop program starts in two steps: createFrame() loads the defaults and language file,
// the settings and (when so set) the note and memo files; firstPaint() then opens what the
// command line or the settings name, or offers the first-start choices. The command line is
// `[data file] [text file to add] [/T] [/W]`:
//
//   plan.qvf              opens the data file
//   plan.qvf add.qvx      opens it and adds the text file (rule 1: add everything), then
//                         sweeps out the conflicts the addition made
//   plan.qvf add.qvx /W   adds, removes all conflicts, writes the data file and ends
//   plan.qvf out.qvx /T   converts the data file into the text file (/W ends after it)
//
// runHeadless() runs the /T and /W forms without a display, printing the messages.

#include "commands/session.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace quivra {

// Loads the defaults ("english.cfw" of the program folder, when present), the settings and the
// startup note and memo files. Missing or damaged settings leave defaults; start-up goes on.
void createFrame(Session &s);

// Opens what the command line or the settings name (see above), or, at the very first start
// without arguments, offers the three ways to begin and hands the choice to the frame.
void firstPaint(Session &s);

// Opens `dataFile` and handles the switches of the command line: adds the settings' text file
// when `add`, converts for /T, writes and asks the program to end for /W. False when a step
// failed (and was reported).
bool autoMakeFiles(Session &s, bool add, const std::string &dataFile);

// The week the views show once a file is open: the data set's current week, held within the
// weeks its lectures span; 0 when it holds no lectures (the views keep their week).
int openingViewWeek(const ScheduleData &d);

// The /T and /W forms of the command line without a display. `args` are the arguments without
// the program name. Exit codes: 0 done, 1 usage (neither /T nor /W, or no text file), 2 a file
// could not be read or written.
int runHeadless(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

} // namespace quivra
