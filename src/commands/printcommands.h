#pragma once

// Report to printer: a report of the catalogue printed with its stored settings on the printer
// the caller gives (a printer or a PDF file on the desktop, a recording surface in tests).

#include "commands/session.h"
#include "reports/printreports.h"
#include "reports/reportparams.h"

namespace quivra {

// Where a printed report goes: the print dialog and the surface it draws on.
class ReportPrinter
{
public:
    virtual ~ReportPrinter() = default;
    // Asks for the copies and the page range (pages 1..9999); false when cancelled.
    virtual bool choose(int &firstPage, int &lastPage) = 0;
    virtual PrintSurface &surface() = 0;
};

// The page header's texts of the session: the data file's name, the "Date2" format and the
// program folder's "logo.bmp" when there is one.
PrintOptions printOptions(const Session &s);

// Chooses the codes, asks the printer for the page range, stores the slot's settings and
// prints; then says what went wrong or which cells could not hold their lines.
void printReportSlot(Session &s, int slot, ReportParams params, ReportPrinter &printer);

} // namespace quivra
