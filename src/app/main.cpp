// The desktop program: creates the one data set and the main frame, starts the session of the
// file commands and opens what the command line names.
//
// Hidden option for documentation: "--screenshot FILE" opens the data file named on the command
// line without any question, saves a picture of the frame once it is shown and ends.
//
// "--print-pdf OUT.pdf [--report N] [--weeks A-B] FILE" writes a printed report as a PDF file
// without a window (shell/printing.h).
//
// "--list-commands [--json | --markdown]" prints every command of the frame and of the views
// with its keys and ends; it needs no display.

#include "commands/filecommands.h"
#include "commands/session.h"
#include "commands/startup.h"
#include "engine/scheduledata.h"
#include "files/settings.h"
#include "shell/commandlisting.h"
#include "shell/mainframe.h"
#include "shell/printing.h"
#include "shell/viewwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>

namespace {

struct CommandLine
{
    std::vector<std::string> arguments; // for the session: files and switches
    QString screenshot;
};

CommandLine parse(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--screenshot") && i + 1 < arguments.size())
            line.screenshot = arguments[++i];
        else
            line.arguments.push_back(QFile::encodeName(arguments[i]).toStdString());
    }
    return line;
}

// Opens the file the command line names through the same command a user's Open runs, then
// saves a picture of the frame once it is shown.
int takeScreenshot(quivra::TFrameForm &frame, const CommandLine &line)
{
    // Nobody is there to answer: capacity tags in resource names show the seats rather than
    // asking whether to.
    frame.session().settings.preferences.capacityCheck = true;
    // No view maximised: they are tiled below.
    frame.session().settings.preferences.winMode = 0;
    if (!line.arguments.empty() && !quivra::openWindows(frame.session(), line.arguments.front())) {
        std::fprintf(stderr, "%s: cannot be opened\n", line.arguments.front().c_str());
        return 1;
    }
    frame.resize(1280, 800);
    frame.show();
    // The picture shows all four views side by side, whatever arrangement the settings ask for.
    frame.mdiArea()->tileSubWindows();
    // Let the frame lay itself out and paint before it is grabbed.
    QTimer::singleShot(500, &frame, [&frame, &line] {
        const bool saved = frame.grab().save(line.screenshot);
        if (!saved)
            std::fprintf(stderr, "cannot write %s\n", qPrintable(line.screenshot));
        QApplication::exit(saved ? 0 : 1);
    });
    return QApplication::exec();
}

// The folder of the language file and the installed settings: the program's own folder (a
// build tree, or a copy that keeps everything together), else ../share/quivra of an installed
// program.
QString programFolder()
{
    const QString own = QApplication::applicationDirPath();
    if (QFile::exists(own + QStringLiteral("/english.cfw")))
        return own;
    const QString shared = QDir::cleanPath(own + QStringLiteral("/../share/quivra"));
    if (QFile::exists(shared + QStringLiteral("/english.cfw")))
        return shared;
    return own;
}

// "/T" (convert) and "/W" (add and write) run without a window, so scripts can use them on a
// machine without a display.
bool headlessSwitch(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "/T" || arg == "/t" || arg == "/W" || arg == "/w")
            return true;
    }
    return false;
}

// "--list-commands" and its format, when the command line asks for the listing.
std::optional<quivra::ListingFormat> listingSwitch(int argc, char *argv[])
{
    bool listing = false;
    auto format = quivra::ListingFormat::Text;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--list-commands")
            listing = true;
        else if (arg == "--json")
            format = quivra::ListingFormat::Json;
        else if (arg == "--markdown")
            format = quivra::ListingFormat::Markdown;
    }
    if (!listing)
        return std::nullopt;
    return format;
}

} // namespace

int main(int argc, char *argv[])
{
    if (headlessSwitch(argc, argv))
        return quivra::runHeadless(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                   std::cerr);
    if (quivra::printPdfRequested(std::vector<std::string>(argv + 1, argv + argc))) {
        // A printed report as a PDF file, drawn without a window: no display is needed.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return quivra::runPrintPdf(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                   std::cerr);
    }
    if (const auto format = listingSwitch(argc, argv)) {
        // The commands are listed from a frame nobody sees: no display is needed.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return quivra::printCommandListing(std::cout, *format);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quivra"));
    QApplication::setApplicationVersion(QStringLiteral(QUIVRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quivra"));
    QApplication::setWindowIcon(quivra::programIcon());

    const CommandLine line = parse(QApplication::arguments());
    auto data = quivra::makeScheduleData();
    quivra::Settings settings;
    const auto paths =
        quivra::systemSettingsPaths(QFile::encodeName(programFolder()).toStdString(),
                                    [](const char *name) { return std::getenv(name); });
    quivra::SystemClock clock;
    quivra::TFrameForm frame(*data, settings, paths, clock);
    if (!line.screenshot.isEmpty())
        return takeScreenshot(frame, line);

    quivra::Session &session = frame.session();
    session.arguments = line.arguments;
    quivra::createFrame(session);
    frame.show();
    quivra::firstPaint(session);
    return session.exitRequested ? 0 : QApplication::exec();
}
