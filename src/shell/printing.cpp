#include "shell/printing.h"

#include "engine/calendar.h"
#include "engine/textutil.h"
#include "files/datafile.h"
#include "files/textexchange.h"
#include "reports/outputkit.h"

#include <QFontMetrics>
#include <QImage>
#include <QPageSetupDialog>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <ostream>

namespace quivra {

QFont printerFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9);
    return font;
}

// ---- The drawing port ----

QtPrintSurface::QtPrintSurface(QPagedPaintDevice &device, QFont font)
    : m_device(device), m_font(std::move(font))
{}

bool QtPrintSurface::beginDocument(std::string_view title)
{
    if (auto *writer = dynamic_cast<QPdfWriter *>(&m_device))
        writer->setTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    else if (auto *printer = dynamic_cast<QPrinter *>(&m_device))
        printer->setDocName(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    if (!m_painter.begin(&m_device)) {
        m_error = "The printer could not be started.";
        return false;
    }
    // Lines a third of a point wide, whatever the resolution.
    m_penWidth = std::max(1, m_device.logicalDpiX() / 216);
    m_painter.setFont(m_font);
    m_painter.setPen(QPen(Qt::black, m_penWidth));
    return true;
}

void QtPrintSurface::newPage()
{
    m_device.newPage();
}

bool QtPrintSurface::endDocument()
{
    if (!m_painter.isActive())
        return false;
    if (!m_painter.end()) {
        m_error = "The printed report could not be finished.";
        return false;
    }
    return true;
}

int QtPrintSurface::pageWidth() const
{
    return m_device.width();
}

int QtPrintSurface::pageHeight() const
{
    return m_device.height();
}

void QtPrintSurface::setFontStyle(int style)
{
    QFont font = m_font;
    font.setBold((style & FontBold) != 0);
    font.setItalic((style & FontItalic) != 0);
    m_painter.setFont(font);
}

int QtPrintSurface::textWidth(std::string_view text) const
{
    const QFontMetrics metrics(m_painter.isActive() ? m_painter.font() : m_font, &m_device);
    return metrics.horizontalAdvance(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

int QtPrintSurface::textHeight() const
{
    const QFontMetrics metrics(m_painter.isActive() ? m_painter.font() : m_font, &m_device);
    return metrics.height();
}

void QtPrintSurface::drawText(const PrintRect &clip, int x, int top, std::string_view text)
{
    const QFontMetrics metrics(m_painter.font(), &m_device);
    m_painter.save();
    m_painter.setClipRect(QRect(clip.left, clip.top, clip.width(), clip.height()));
    m_painter.drawText(QPoint(x, top + metrics.ascent()),
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    m_painter.restore();
}

void QtPrintSurface::drawRect(const PrintRect &r)
{
    m_painter.setPen(QPen(Qt::black, m_penWidth));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(QRect(r.left, r.top, r.width(), r.height()));
}

void QtPrintSurface::drawLine(int x1, int y1, int x2, int y2, PenStyle pen)
{
    const Qt::PenStyle style = pen == PenStyle::Dash  ? Qt::DashLine
                               : pen == PenStyle::Dot ? Qt::DotLine
                                                      : Qt::SolidLine;
    m_painter.setPen(QPen(Qt::black, m_penWidth, style));
    m_painter.drawLine(x1, y1, x2, y2);
    m_painter.setPen(QPen(Qt::black, m_penWidth));
}

void QtPrintSurface::drawPicture(const PrintRect &box, const std::string &path)
{
    const QImage picture(QString::fromStdString(path));
    if (picture.isNull() || box.width() <= 0 || box.height() <= 0)
        return;
    const QImage scaled =
        picture.scaled(box.width(), box.height(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_painter.drawImage(QPoint(box.left, box.top), scaled);
}

// ---- The desktop's printer ----

QtReportPrinter::QtReportPrinter(QPrinter &printer, QWidget *parent)
    : m_printer(printer), m_parent(parent)
{}

QtReportPrinter::~QtReportPrinter() = default;

bool QtReportPrinter::choose(int &firstPage, int &lastPage)
{
    m_printer.setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(&m_printer, m_parent);
    dialog.setMinMax(1, 9999);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    firstPage = 1;
    lastPage = 9999;
    if (m_printer.printRange() == QPrinter::PageRange && m_printer.fromPage() > 0) {
        firstPage = m_printer.fromPage();
        lastPage = std::max(firstPage, m_printer.toPage());
    }
    // The report draws only the pages of the range: the printer is sent every page it gets.
    m_printer.setPrintRange(QPrinter::AllPages);
    m_printer.setFromTo(0, 0);
    m_surface = std::make_unique<QtPrintSurface>(m_printer, printerFont());
    return true;
}

PrintSurface &QtReportPrinter::surface()
{
    if (!m_surface)
        m_surface = std::make_unique<QtPrintSurface>(m_printer, printerFont());
    return *m_surface;
}

void printerSetup(QPrinter &printer, QWidget *parent)
{
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

// ---- PDF ----

PrintResult writeReportPdf(const ScheduleData &d, const ReportParams &params,
                           const PrintOptions &options, const std::string &path, Progress &progress)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        PrintResult failed;
        failed.failed = true;
        failed.message = path + ": " + file.errorString().toStdString();
        return failed;
    }
    PrintResult result;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setResolution(600);
        writer.setCreator(QStringLiteral("Quivra"));
        QtPrintSurface surface(writer, printerFont());
        result = printReport(d, params, options, surface, progress);
    }
    if (result.refused || result.failed) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.failed = true;
        result.message = path + ": " + file.errorString().toStdString();
    }
    return result;
}

// ---- The batch path ----

namespace {

enum ExitCode : int { Done = 0, Usage = 1, BadFile = 2, Refused = 3 };

std::optional<int> wholeNumber(const std::string &text, int low, int high)
{
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

std::time_t runMoment()
{
    if (const char *epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char *end = nullptr;
        const long long value = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0' && value > 0)
            return static_cast<std::time_t>(value);
    }
    return std::time(nullptr);
}

int usage(std::ostream &err)
{
    err << "usage: quivra --print-pdf OUT.pdf [--report N] [--weeks A-B] FILE\n"
           "  N: 1, 2, 3, 4, 41, 42, 5, 6, 61, 62 or 63 (default 3); weeks: all by default\n";
    return Usage;
}

} // namespace

bool printPdfRequested(const std::vector<std::string> &arguments)
{
    for (const std::string &a : arguments)
        if (a == "--print-pdf")
            return true;
    return false;
}

int runPrintPdf(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &err)
{
    std::string output, file, weeks;
    int report = 3;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--print-pdf" && hasValue && output.empty()) {
            output = arguments[++i];
        } else if (a == "--report" && hasValue) {
            const auto n = wholeNumber(arguments[++i], 1, 63);
            const int value = n && (*n == 4 || *n == 6) ? *n * 10 + 1 : n.value_or(0);
            if (reportNumberSlot(value) == 0) {
                err << "quivra: --report takes 1, 2, 3, 4, 41, 42, 5, 6, 61, 62 or 63\n";
                return Usage;
            }
            report = value;
        } else if (a == "--weeks" && hasValue) {
            weeks = arguments[++i];
        } else if (!a.starts_with("--") && file.empty()) {
            file = a;
        } else {
            return usage(err);
        }
    }
    if (output.empty() || file.empty())
        return usage(err);

    auto d = makeScheduleData();
    const std::string extension = toLowerAscii(std::filesystem::path(file).extension().string());
    if (extension == ".qvx" || extension == ".txt") {
        const auto read = importTextFile(file, *d, localSerial(runMoment()));
        if (!read) {
            err << "quivra: " << file << ": " << read.error().detail << '\n';
            return BadFile;
        }
    } else {
        const auto read = readDataFile(file, *d);
        if (!read) {
            err << "quivra: " << file << ": " << read.error().detail << '\n';
            return BadFile;
        }
        if (!read->complete) {
            err << "quivra: " << file << ": damaged file: " << read->reason << '\n';
            return BadFile;
        }
    }

    ReportParams params;
    params.setReportNumber(report);
    const int used = std::max(1, usedWeeks(*d));
    params.firstWeek = 1;
    params.lastWeek = used;
    if (!weeks.empty()) {
        const std::size_t dash = weeks.find('-');
        const auto first = wholeNumber(weeks.substr(0, dash), 1, used);
        const auto last =
            dash == std::string::npos ? first : wholeNumber(weeks.substr(dash + 1), 1, used);
        if (!first || !last || *last < *first) {
            err << "quivra: --weeks " << weeks << ": give weeks A-B within 1-" << used << '\n';
            return Usage;
        }
        params.firstWeek = *first;
        params.lastWeek = *last;
    }
    PrintOptions options;
    options.dataFileName = std::filesystem::path(file).filename().string();
    options.now = runMoment();
    NullProgress progress;
    const PrintResult result = writeReportPdf(*d, params, options, output, progress);
    if (result.refused) {
        err << "quivra: " << result.message << '\n';
        return Refused;
    }
    if (result.failed) {
        err << "quivra: " << result.message << '\n';
        return BadFile;
    }
    out << "report: " << report << "\npages: " << result.pages
        << "\nunfit_cells: " << result.unfitCells << '\n';
    return Done;
}

} // namespace quivra
