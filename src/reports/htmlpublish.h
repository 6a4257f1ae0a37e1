#pragma once

// Publishing a report as static web pages: the main page, the weeks page or month calendars,
// the index page of each week, the timetable, list and timeline pages of the six reports, the
// reference page of every event and resource they link to, and optionally the calendar file of
// every resource.
//
// All pages of a run lie in one folder. Every file name, and every link to it, comes from one
// FileNames of the run, so links always reach a written page, names never leave the folder and
// two codes never share a page. Texts of the data set are escaped; the tag, the cell format
// command and the style, header and footer texts are the user's own HTML and are copied as they
// are. Pages carry no address outside the folder.

#include "engine/scheduledata.h"
#include "reports/outputkit.h"
#include "reports/reportparams.h"

#include <string>
#include <vector>

namespace quivra {

struct PublishOptions
{
    std::string mainFile;        // name of the main page in the folder ("plan.htm")
    std::string dataFileName;    // shown in the title block
    std::string styleText;       // "style.txt": lines copied after <body>
    std::string headerText;      // "header.txt": above every timetable
    std::string footerText;      // "footer.txt": below every timetable
    std::string organizer;       // e-mail written into the calendar files
    bool mergedTimetable = true; // report 6 variant 3: one timetable, else one per resource
};

struct PublishResult
{
    bool refused = false;
    std::string message;
    std::string mainFile;
    int written = 0;                 // files written, calendars included
    std::vector<std::string> files;  // their names, in the order written
    std::vector<std::string> failed; // files that could not be written
    int unfitLines = 0;              // cell lines left out for "Maximum cell rows"
};

// Publishes the report of `params` for its selected codes (every code the report lists when
// none is selected) over its week range.
PublishResult publishReport(const ScheduleData &d, const ReportParams &params,
                            const PublishOptions &options, FileSink &sink,
                            const RunEnvironment &env);

// The page name of a code in a week of a report, before it is made unique: the first character,
// the report and the week (when week > 0), the code with "_" for every character that is not an
// ASCII letter or digit, and the checksum of the code; lower-cased when asked.
std::string pageStem(std::string_view code, int week, int report, char firstChar, bool lowerCase);

} // namespace quivra
