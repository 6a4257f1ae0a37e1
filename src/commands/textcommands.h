#pragma once

// The text exchange commands of the File menu: Import, Add, Split, Remove, Pre-check and Export
// of ".qvx" text files, and Close.
//
// Rules every command here keeps:
// - a question answered Cancel (or No, or a file dialog cancelled) stops the command with
//   nothing changed;
// - a file that cannot be read is named in a message and costs nothing: Import reads into a
//   fresh data set and puts it in place only when the read succeeded, Add and Remove read the
//   whole file before they touch the data set;
// - the data set is marked modified only by what changed it.
//
// Commands return true when they did what they were asked.

#include "commands/session.h"
#include "files/textexchange.h"

#include <string>

namespace quivra {

// File Import: asks to save, asks for a text file and whether to replace the data set with it,
// and reads it into a fresh data set that takes the place of the open one. The imported data
// set is untitled, so the first Save asks for its name rather than writing over a data file
// that happens to stand beside the text file. Ends with what was read and what was skipped.
bool importFile(Session &s);

// File Add: asks for the rule (1 everything, 2 only relevant events, 3 skip scheduled periods,
// 4 schedules as bookings) and the text file, adds it to the open data set (a new untitled one
// when nothing is open) and removes the conflicts it brought. Ends with what was added.
bool addFile(Session &s);

// File Split: asks for events and writes them, with every resource, to a text file of their
// own through Export.
bool splitFile(Session &s);

// File Remove: asks for a text file and deletes the resources and events it lists from the data
// set, asking once for all and then once per kind.
bool removeFile(Session &s);

// File Pre-check: asks for a text file, writes the slots where adding it would collide to
// "conflict.txt" in the data folder and offers to show them. The data set is not changed.
bool preCheck(Session &s);

// File Export: asks for a name and writes the data set (`allEvents` false: only the events
// with a link mark) as a text file.
bool exportFile(Session &s, bool allEvents = true);

// File Close: asks to save, then leaves nothing open: the data set is emptied and no file is
// current. The frame drops its views (SessionHooks::fileClosed).
bool closeFile(Session &s);

// The short summary of a data set shown after the commands that change it as a whole: events,
// resources, lecture entries.
std::string dataSetSummary(const ScheduleData &d);
// What an import or add read: the lines, the codes added, updated and removed, the lines
// skipped with their reasons and the first few of them.
std::string importReportText(const ImportReport &report);

} // namespace quivra
