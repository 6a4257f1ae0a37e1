#pragma once

// Printed reports: the six reports of the catalogue laid out on pages of a PrintSurface.
//
// Every page starts with the page header; long lists continue on new pages under the same
// headings. A code list whose week columns do not fit across the page is printed in bands of
// weeks, each band numbering its rows from 1 again; a timetable that does not fit the page
// lowers "Maximum cell rows" until it does, and the lowered value stays for the rest of the run.
// Pages outside the chosen range are laid out but not drawn, and the run ends after the last
// page of the range. The progress port shows "Printing "<title>" ..." and the page number and
// stops the run at its next check; the document is always ended.

#include "engine/progress.h"
#include "engine/scheduledata.h"
#include "reports/printsurface.h"
#include "reports/reportparams.h"

#include <ctime>
#include <string>

namespace quivra {

struct PrintOptions
{
    std::string dataFileName;         // shown in the page header
    std::string dateFormat = "ddddd"; // "Date2": the date in headers and footers
    std::string comment;              // "Comment on top of all reports:"
    std::string department;           // the line under the organisation
    std::string logo;                 // a picture above the plain header ("logo.bmp"); empty: none
    int firstPage = 1, lastPage = 9999;
    std::time_t now = 0;
    std::string dataCodePage = "WINDOWS-1252";
};

struct PrintResult
{
    bool refused = false; // nothing printed: `message` says why
    bool failed = false;  // the surface could not start or finish the document: `message`
    bool aborted = false; // stopped through the progress port
    std::string message;
    int pages = 0;      // pages of the document (the pages of the range that were drawn)
    int laidOut = 0;    // pages of the report up to where the run ended
    int unfitCells = 0; // timetable cells whose lines did not all fit
};

// Why the report of `params` cannot be printed (no events or no resources, none of the selected
// codes is of the report's kind); empty when it can.
std::string printRefusal(const ScheduleData &d, const ReportParams &params);

// Prints the report of `params` for its selected codes (every code the report lists when none
// is selected) over its week range.
PrintResult printReport(const ScheduleData &d, const ReportParams &params,
                        const PrintOptions &options, PrintSurface &surface, Progress &progress);

// The warning shown after a printed run when cells did not hold all their lines; empty when
// every cell fitted or lines are wrapped.
std::string unfitCellsWarning(const PrintResult &result, const ReportParams &params);

} // namespace quivra
