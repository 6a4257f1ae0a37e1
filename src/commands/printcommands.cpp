#include "commands/printcommands.h"

#include "commands/reportcommands.h"
#include "engine/codetable.h"
#include "engine/limits.h"
#include "ui/dialogs.h"

#include <chrono>
#include <filesystem>

namespace quivra {

namespace fs = std::filesystem;

PrintOptions printOptions(const Session &s)
{
    PrintOptions o;
    o.dataFileName = fs::path(s.currentFile()).filename().string();
    if (!s.settings.preferences.date2.empty())
        o.dateFormat = s.settings.preferences.date2;
    o.now = std::chrono::system_clock::to_time_t(s.clock.now());
    std::error_code error;
    if (fs::is_regular_file(s.paths.programFolder / "logo.bmp", error))
        o.logo = (s.paths.programFolder / "logo.bmp").string();
    return o;
}

void printReportSlot(Session &s, int slot, ReportParams params, ReportPrinter &printer)
{
    ScheduleData &d = s.data;
    params.setReportNumber(slotReportNumber(slot));
    ReportParams everyCode = params;
    everyCode.codes.clear();
    if (const std::string refusal = printRefusal(d, everyCode); !refusal.empty()) {
        s.prompter.infoDlg(refusal);
        return;
    }
    const bool events = reportListsEvents(params.report);
    std::string title = reportTitle(params.report);
    if (params.report == 4 || params.report == 6)
        title += " (" + std::to_string(params.variant()) + ")";
    const auto codes = s.prompter.pickCodes(d, title, 0, events ? PickEvents : PickResources);
    if (!codes)
        return;
    if (codes->empty()) {
        s.prompter.infoDlg("Please select the codes to print or publish...");
        return;
    }
    params.codes.clear();
    for (const CodeId c : *codes)
        params.codes.emplace_back(d.codes[c].code.str(), AllMarks);

    PrintOptions options = printOptions(s);
    if (!printer.choose(options.firstPage, options.lastPage))
        return;
    saveReportSlot(s, slot, params);
    s.settings.reports.lastReport = slotReportNumber(slot);

    const PrintResult result = printReport(d, params, options, printer.surface(), s.progress);
    if (result.refused || result.failed) {
        s.prompter.infoDlg(result.message);
        return;
    }
    const std::string warning = unfitCellsWarning(result, params);
    if (!warning.empty())
        s.prompter.infoDlg(warning);
}

} // namespace quivra
