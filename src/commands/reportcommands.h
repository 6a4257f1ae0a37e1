#pragma once

// The publishing commands of the File menu: Publish on web, Publish in batch mode, Display web
// report, and the calendar and CSV exports.
//
// Each stored report slot keeps its parameters in "report<slot>.txt" in the user's configuration
// folder (the program folder when there is none); the main file it was last published to and
// when are kept in the settings (PrintFile<slot>, ReportDate<slot>). Opening a page in the
// desktop's browser is the caller's: it passes `open`.

#include "commands/session.h"
#include "reports/calendarexport.h"
#include "reports/reportparams.h"

#include <functional>
#include <string>

namespace quivra {

using OpenPath = std::function<void(const std::string &path)>;

// "report<slot>.txt" of the session's settings folders; empty for a slot outside 1..9.
std::string reportSlotPath(const Session &s, int slot);
// The slot's stored parameters (defaults for a missing file), its report number set.
ReportParams loadReportSlot(const Session &s, int slot);
// Writes the slot file; false when the folder is missing or the file cannot be written.
bool saveReportSlot(const Session &s, int slot, const ReportParams &params);

// Chooses a report, its weeks, its codes and the main file, publishes, remembers the slot and
// offers to view the pages.
void publishOnWeb(Session &s, const OpenPath &open);
// The rest of Publish on web for parameters set elsewhere (the report catalogue dialog): the
// codes, the main file, the run, the slot stored and the offer to view the pages.
void publishReportSlot(Session &s, int slot, ReportParams params, const OpenPath &open);
// Republishes the chosen slots among those published before, each with its stored parameters to
// its stored main file; one question at the end.
void publishInBatchMode(Session &s, const OpenPath &open);
// Opens the main file published last; a message when there is none or it is gone.
void displayWebReport(Session &s, const OpenPath &open);
// The periods of chosen resources as CSV, vCalendar or iCalendar files.
void exportCalendarFiles(Session &s);

} // namespace quivra
