#pragma once

// Printed reports on the desktop: the drawing port on a Qt paint device (a printer through the
// print dialog, or a PDF file), and the batch path that writes a report as a PDF without a
// window ("quivra --print-pdf OUT.pdf [--report N] [--weeks A-B] FILE").

#include "commands/printcommands.h"
#include "reports/printreports.h"

#include <QFont>
#include <QPainter>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace quivra {

// The font printed reports use: a sans-serif face at 9 points.
QFont printerFont();

// Draws on a printer or a PDF writer; the device is begun by beginDocument.
class QtPrintSurface final : public PrintSurface
{
public:
    QtPrintSurface(QPagedPaintDevice &device, QFont font);

    bool beginDocument(std::string_view title) override;
    void newPage() override;
    bool endDocument() override;
    std::string error() const override { return m_error; }
    int pageWidth() const override;
    int pageHeight() const override;
    void setFontStyle(int style) override;
    int textWidth(std::string_view text) const override;
    int textHeight() const override;
    void drawText(const PrintRect &clip, int x, int top, std::string_view text) override;
    void drawRect(const PrintRect &r) override;
    void drawLine(int x1, int y1, int x2, int y2, PenStyle pen) override;
    void drawPicture(const PrintRect &box, const std::string &path) override;

private:
    QPagedPaintDevice &m_device;
    QFont m_font;
    QPainter m_painter;
    std::string m_error;
    int m_penWidth = 1;
};

// The desktop's printer: the print dialog over a printer kept for the session (Printer setup
// changes the same one).
class QtReportPrinter final : public ReportPrinter
{
public:
    QtReportPrinter(QPrinter &printer, QWidget *parent);
    ~QtReportPrinter() override;
    bool choose(int &firstPage, int &lastPage) override;
    PrintSurface &surface() override;

private:
    QPrinter &m_printer;
    QWidget *m_parent;
    std::unique_ptr<QtPrintSurface> m_surface;
};

// Printer setup: the page setup dialog on the session's printer.
void printerSetup(QPrinter &printer, QWidget *parent);

// Writes the report as a PDF file (A4, through a temporary file: a failed run leaves no file).
PrintResult writeReportPdf(const ScheduleData &d, const ReportParams &params,
                           const PrintOptions &options, const std::string &path,
                           Progress &progress);

// True when the command line asks for a PDF ("--print-pdf").
bool printPdfRequested(const std::vector<std::string> &arguments);
// "--print-pdf OUT.pdf [--report N] [--weeks A-B] FILE": reads FILE, writes the report and prints
// "pages: N". Exit codes: 0 done, 1 usage, 2 unreadable or unwritable file, 3 refused.
int runPrintPdf(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err);

} // namespace quivra
