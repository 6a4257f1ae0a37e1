#include "shell/commandtable.h"

#include "commands/bookingcommands.h"
#include "commands/campuscommands.h"
#include "commands/clearcommands.h"
#include "commands/clipboardcommands.h"
#include "commands/codecommands.h"
#include "commands/codeselection.h"
#include "commands/colourcommands.h"
#include "commands/commandsupport.h"
#include "commands/conflictcheck.h"
#include "commands/demowizard.h"
#include "commands/filecommands.h"
#include "commands/freeresources.h"
#include "commands/intakecommands.h"
#include "commands/lockcommands.h"
#include "commands/network.h"
#include "commands/profilecommands.h"
#include "commands/replacetool.h"
#include "commands/reportcommands.h"
#include "commands/selectioncommands.h"
#include "commands/textcommands.h"
#include "engine/codetable.h"
#include "engine/cycling.h"
#include "shell/blockschedulingdialog.h"
#include "shell/cyclingdialog.h"
#include "shell/eventdialogs.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"
#include "shell/memodialog.h"
#include "shell/modifycollectionsdialog.h"
#include "shell/optimisationdialog.h"
#include "shell/optionsdialog.h"
#include "shell/printing.h"
#include "shell/printmenu.h"
#include "shell/roomsdialog.h"
#include "shell/seldlg.h"
#include "shell/statisticsdialog.h"
#include "ui/helptopics.h"
#include "views/qtext.h"
#include "views/timetablesview.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QItemSelectionModel>
#include <QMdiArea>
#include <QPrinter>
#include <QTableView>
#include <QUrl>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <tuple>

namespace quivra {
namespace {

// Builds rows tersely: the table below reads like the menus it makes.
struct TableBuilder
{
    std::vector<FrameCommand> rows;
    QString menu;

    FrameCommand &add(const QString &id, const QString &caption, const QString &hint = {},
                      const QKeySequence &shortcut = {})
    {
        FrameCommand row;
        row.id = id;
        row.menu = menu;
        row.caption = caption;
        row.hint = hint;
        row.shortcut = shortcut;
        rows.push_back(row);
        return rows.back();
    }
    // Starts a group separated from the items above it.
    FrameCommand &group(const QString &id, const QString &caption, const QString &hint = {},
                        const QKeySequence &shortcut = {})
    {
        FrameCommand &row = add(id, caption, hint, shortcut);
        row.separatorBefore = true;
        return row;
    }
};

// A file command of the session; with `needsFile` offered once a data set is open.
void sessionCommand(FrameCommand &row, TFrameForm &frame, void (*command)(Session &),
                    bool needsFile)
{
    row.run = [&frame, command] { command(frame.session()); };
    if (needsFile)
        row.enabled = [&frame] { return frame.viewsExist(); };
}

// Pages are shown in the desktop's browser.
void openInBrowser(const std::string &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

// A publishing command: it may open pages in the desktop's browser.
void publishingCommand(FrameCommand &row, TFrameForm &frame,
                       void (*command)(Session &, const OpenPath &))
{
    row.run = [&frame, command] { command(frame.session(), openInBrowser); };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

// The printer of the frame's reports, made when first used: Printer setup and every printed
// report share it.
using SharedPrinter = std::shared_ptr<std::unique_ptr<QPrinter>>;
QPrinter &printerOf(const SharedPrinter &shared)
{
    if (!*shared)
        *shared = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return **shared;
}

// The report catalogue: a report and its settings are chosen in the dialog, then printed or
// published.
void showPrintMenu(TFrameForm &frame, const SharedPrinter &printer)
{
    Session &s = frame.session();
    const int slot = std::max(1, reportNumberSlot(s.settings.reports.lastReport));
    TPrintMenu menu(
        frame.data(), [&s](int k) { return loadReportSlot(s, k); }, slot, &frame);
    if (menu.exec() != QDialog::Accepted)
        return;
    if (menu.action() == TPrintMenu::Action::Print) {
        QtReportPrinter target(printerOf(printer), &frame);
        printReportSlot(s, menu.slot(), menu.params(), target);
        return;
    }
    publishReportSlot(s, menu.slot(), menu.params(), openInBrowser);
}

// A command that works on the data set: offered once a data set is open; when it changed the
// data set, every view is rebuilt.
using DataCommand = std::function<bool(ScheduleData &, Prompter &)>;
void dataCommand(FrameCommand &row, TFrameForm &frame, DataCommand command)
{
    row.run = [&frame, command = std::move(command)] {
        if (command(frame.data(), frame.prompter()))
            frame.refreshViews();
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

// The cells selected in the Timetables view's week, or its current cell; false when none.
bool selectedTimetableRange(TFrameForm &frame, int &day1, int &bell1, int &day2, int &bell2)
{
    auto *timetables = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
    if (!timetables || !timetables->table()->selectionModel())
        return false;
    QModelIndexList cells = timetables->table()->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && timetables->table()->currentIndex().isValid())
        cells.append(timetables->table()->currentIndex());
    if (cells.isEmpty())
        return false;
    // Columns are days and rows bells, both from 1.
    day1 = bell1 = MaxBells + 1;
    day2 = bell2 = 0;
    for (const QModelIndex &cell : cells) {
        day1 = std::min(day1, cell.column() + 1);
        day2 = std::max(day2, cell.column() + 1);
        bell1 = std::min(bell1, cell.row() + 1);
        bell2 = std::max(bell2, cell.row() + 1);
    }
    return true;
}

void showFreeResourcesOfSelection(TFrameForm &frame)
{
    int day1 = 0, bell1 = 0, day2 = 0, bell2 = 0;
    if (!selectedTimetableRange(frame, day1, bell1, day2, bell2)) {
        frame.prompter().infoDlg("Select first a time range in a timetable of the Timetables "
                                 "view.");
        return;
    }
    ScheduleData &d = frame.data();
    auto *timetables = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
    const CodeId shown = timetables->resource();
    const int category = validCode(d, shown) ? categoryOf(d, shown) : 0;
    const CodeId chosen = showFreeResources(d, frame.prompter(), frame.activeWeek(), day1, bell1,
                                            day2, bell2, category);
    if (chosen != 0) {
        d.currentCode = chosen;
        timetables->followCurrentCode();
        frame.showView(ViewTag::Timetables);
    }
}

// The conflict check over all weeks, or from a week the user picks when lectures reach beyond
// week 1; ends with what it found and removed.
void checkForConflicts(TFrameForm &frame, bool fromPickedWeek)
{
    QtClipboard clipboard;
    if (quivra::checkForConflicts(frame.data(), frame.prompter(), frame.progress(), &clipboard,
                                  frame.activeWeek(), fromPickedWeek))
        frame.refreshViews();
}

void setColourOfCurrentCode(TFrameForm &frame)
{
    if (chooseCodeColour(frame.data(), frame.prompter(), frame.data().currentCode))
        frame.refreshViews();
}

// Shows `row` only while the OEM setting names PeopleSoft.
void showForCampusExchange(FrameCommand &row, TFrameForm &frame)
{
    row.currentCaption = [&frame, caption = row.caption] {
        const QString oem = QString::fromStdString(frame.session().settings.preferences.oem);
        return oem.contains(QLatin1String("PeopleSoft"), Qt::CaseInsensitive) ? caption : QString();
    };
    row.shownWhen = QStringLiteral("the OEM setting names PeopleSoft");
}

// "&1 path" .. "&9 path", "1&0 path"; empty without a path.
QString latestFileCaption(int k, const std::string &path)
{
    if (path.empty())
        return {};
    QString number = QString::number(k);
    number.insert(number.size() - 1, QLatin1Char('&'));
    QString shown = QFile::decodeName(path.c_str());
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return number + QLatin1Char(' ') + shown;
}

void fileMenu(TableBuilder &t, TFrameForm &frame)
{
    t.menu = "File";
    auto &newFile = t.add("file.new", "&New", "Create a new file");
    newFile.button = "New";
    sessionCommand(
        newFile, frame, [](Session &s) { quivra::newFile(s); }, false);
    auto &open = t.add("file.open", "&Open ...", "Open a file");
    open.button = "Open";
    sessionCommand(
        open, frame, [](Session &s) { openFile(s); }, false);
    auto &close = t.add("file.close", "&Close", "Close the file");
    sessionCommand(
        close, frame, [](Session &s) { closeFile(s); }, true);
    auto &save = t.add("file.save", "&Save", "Save the file", QKeySequence(Qt::CTRL | Qt::Key_S));
    save.button = "Save";
    sessionCommand(
        save, frame, [](Session &s) { saveFile(s); }, true);
    auto &saveAs = t.add("file.saveAs", "Save &As ...", "Save the file with a new name",
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    sessionCommand(
        saveAs, frame, [](Session &s) { saveFileAs(s); }, true);
    auto &extract =
        t.add("file.extractWeek", "E&xtract week ...", "Save one week to a file of its own");
    sessionCommand(
        extract, frame, [](Session &s) { extractWeek(s); }, true);
    auto &compact = t.add("file.compress", "Co&mpress",
                          "Pack the timetables into as few entries as they need and remove "
                          "conflicts");
    sessionCommand(
        compact, frame, [](Session &s) { compress(s); }, true);
    // Both open a copy in the user's documents, so they are offered whenever a sample is
    // installed, with or without a data set open.
    auto &demo = t.group("file.demo", "Open the demo file", "Open a copy of the demo institution");
    sessionCommand(
        demo, frame, [](Session &s) { openDemoFile(s); }, false);
    demo.enabled = [&frame] {
        std::error_code ec;
        return std::filesystem::is_regular_file(demoFile(frame.session()), ec);
    };
    // The random numbers start from the clock, so each demo is another institution.
    t.add("file.makeDemo", "Make a demo file ...",
          "Make a demo institution of the size you choose, step by step")
        .run = [&frame] {
        makeDemoFile(frame.session(),
                     static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch()),
                     openInBrowser);
    };
    auto &sample = t.add("file.sample", "Open a sample file ...", "Open one of the sample files");
    sessionCommand(
        sample, frame, [](Session &s) { openSampleFile(s); }, false);
    sample.enabled = [&frame] { return !sampleFiles(frame.session()).empty(); };
    // Import replaces whatever is open, so it is offered in an empty frame too.
    auto &import = t.group("file.import", "File &Import ...",
                           "Replace the data with the contents of a text file");
    sessionCommand(
        import, frame, [](Session &s) { importFile(s); }, false);
    auto &add = t.add("file.add", "File A&dd ...", "Add the data of a text file");
    sessionCommand(
        add, frame, [](Session &s) { addFile(s); }, true);
    auto &split =
        t.add("file.split", "File S&plit ...", "Write selected events to a text file of their own");
    sessionCommand(
        split, frame, [](Session &s) { splitFile(s); }, true);
    auto &remove = t.add("file.remove", "File &Remove ...",
                         "Remove the resources and events a text file lists");
    sessionCommand(
        remove, frame, [](Session &s) { removeFile(s); }, true);
    auto &precheck = t.add("file.precheck", "File Pre-&check ...",
                           "Check a text file for conflicts before adding it");
    sessionCommand(
        precheck, frame, [](Session &s) { preCheck(s); }, true);
    auto &exportText = t.add("file.export", "File &Export ...", "Write the data to a text file");
    sessionCommand(
        exportText, frame, [](Session &s) { exportFile(s); }, true);
    sessionCommand(
        t.add("file.exportCalendar", "Export &calendar ...",
              "Write the periods of resources as CSV, vCalendar or iCalendar files"),
        frame, [](Session &s) { exportCalendarFiles(s); }, true);

    t.menu = "File/Network";
    sessionCommand(
        t.add("file.networkFolder", "Select the network folder ...",
              "Choose the folder you share data files with others in"),
        frame, [](Session &s) { selectNetworkFolder(s); }, false);
    sessionCommand(
        t.add("file.networkWrite", "Write to network",
              "Store a text copy of this file in the network folder"),
        frame, [](Session &s) { writeToNetwork(s); }, true);
    // Reading into an empty frame starts a new file from what the others stored.
    sessionCommand(
        t.add("file.networkRead", "Read from network",
              "Add the files others stored in the network folder"),
        frame, [](Session &s) { readFromNetwork(s); }, false);
    t.menu = "File/PeopleSoft";
    // Into an empty frame the file is added to a new data set.
    auto &campusAdd =
        t.add("file.campusAdd", "Add text file ...", "Add a text file (from Campus Solutions).qvx");
    campusAdd.run = [&frame] {
        if (!frame.viewsExist() && !quivra::newFile(frame.session()))
            return;
        campusAddTextFile(frame.session());
    };
    sessionCommand(
        t.add("file.campusExport", "Campus Solutions exports ...",
              "Write the scheduled meetings for Campus Solutions (.csv)"),
        frame, [](Session &s) { campusExportFile(s); }, true);
    sessionCommand(
        t.add("file.campusCategories", "Define categories ...",
              "The categories of rooms, lecturers, invigilators, students and exams"),
        frame, [](Session &s) { defineCampusCategories(s); }, true);
    // The campus exchange is offered only where the settings name the administration system.
    for (FrameCommand &row : t.rows) {
        if (row.menu == t.menu)
            showForCampusExchange(row, frame);
    }
    t.menu = "File/Profile";
    sessionCommand(
        t.add("file.profileOpen", "Open ...", "Read your settings from a profile file"), frame,
        [](Session &s) { openProfile(s); }, false);
    sessionCommand(
        t.add("file.profileSave", "Save as ...", "Save your settings as a profile file"), frame,
        [](Session &s) { saveProfileAs(s); }, false);
    sessionCommand(
        t.add("file.profileFactory", "Restore all factory settings",
              "Forget every setting you changed"),
        frame, [](Session &s) { restoreFactorySettings(s); }, false);
    t.menu = "File/Language";
    sessionCommand(
        t.add("file.languageChange", "Change ...",
              "Read the report titles and other texts of another language"),
        frame, [](Session &s) { changeLanguage(s); }, true);
    sessionCommand(
        t.add("file.languageExtract", "Extract ...",
              "Save the texts and defaults of this file as a language file"),
        frame, [](Session &s) { extractLanguage(s); }, false);
    t.menu = "File/Print or publish";
    const auto printer = std::make_shared<std::unique_ptr<QPrinter>>();
    auto &print = t.add("file.print", "Report to printer ...", "Print a report or save it as PDF");
    print.run = [&frame, printer] { showPrintMenu(frame, printer); };
    print.enabled = [&frame] { return frame.viewsExist(); };
    auto &publish = t.add("file.publish", "Publish on web ...", "Publish a report as web pages");
    publish.button = "Publish";
    publish.run = [&frame, printer] { showPrintMenu(frame, printer); };
    publish.enabled = [&frame] { return frame.viewsExist(); };
    publishingCommand(t.add("file.publishBatch", "Publish in batch mode",
                            "Publish again the web reports published before"),
                      frame, publishInBatchMode);
    auto &setup = t.add("file.printerSetup", "Printer setup ...",
                        "Choose the printer, the paper and its margins");
    setup.run = [&frame, printer] { printerSetup(printerOf(printer), &frame); };

    t.menu = "File";
    auto &web = t.add("file.webReport", "Display web report", "Show the published web pages",
                      QKeySequence(Qt::CTRL | Qt::Key_D));
    web.button = "Web";
    publishingCommand(web, frame, displayWebReport);
    // The latest files, numbered from the most recent; an entry without a file is hidden.
    for (int k = 1; k <= 10; ++k) {
        // The fixed caption names the entry in the command listing; the menu shows the path.
        const QString id = QStringLiteral("file.latest%1").arg(k);
        const QString caption = QStringLiteral("Latest file %1").arg(k);
        const QString hint = QStringLiteral("Open a file used lately");
        auto &latest = k == 1 ? t.group(id, caption, hint) : t.add(id, caption, hint);
        latest.run = [&frame, k] { openLatestFile(frame.session(), k); };
        latest.currentCaption = [&frame, k] {
            return latestFileCaption(k, frame.session().settings.preferences.latestFile[k]);
        };
    }
    auto &exit = t.group("file.exit", "E&xit", "Close Quivra", QKeySequence::Quit);
    exit.run = [&frame] { frame.close(); };
}

void toolsMenu(TableBuilder &t, TFrameForm &frame)
{
    t.menu = "Tools";
    auto &optimise = t.add("tools.optimise", "&Optimise ...", "Optimise timetables");
    optimise.button = "Optimise";
    optimise.run = [&frame] { showOptimisationDialog(frame); };
    optimise.enabled = [&frame] { return frame.viewsExist(); };

    t.menu = "Tools/Clear";
    const std::array<std::pair<const char *, int>, 4> clears = {{
        {"1 Bookings from timetables", ClearPartTableBookings},
        {"2 Scheduled periods", ClearPartPlacements},
        {"3 Bookings from weeks", ClearPartWeekBookings},
        {"4 Allocated and scheduled periods", ClearPartAllocations},
    }};
    for (std::size_t i = 0; i < clears.size(); ++i) {
        const int parts = clears[i].second | ClearPartAskWeekRange;
        dataCommand(t.add(QStringLiteral("tools.clear%1").arg(i + 1), clears[i].first), frame,
                    [parts](ScheduleData &d, Prompter &p) { return clearPeriods(d, p, parts); });
    }
    dataCommand(t.group("tools.clear5", "5 Events"), frame,
                [](ScheduleData &d, Prompter &p) { return removeCodes(d, p, true); });
    dataCommand(t.add("tools.clear6", "6 Resources"), frame,
                [](ScheduleData &d, Prompter &p) { return removeCodes(d, p, false); });
    dataCommand(t.add("tools.clear7", "7 Event resources"), frame, removeEventResources);
    dataCommand(t.group("tools.clear8", "8 Comments"), frame, clearComments);
    dataCommand(t.add("tools.clear9", "9 Memos"), frame, clearMemos);
    auto &weeks = t.add("tools.clear10", "10 Delete selected week range");
    weeks.run = [&frame] {
        int week = frame.activeWeek();
        if (!deleteWeekRange(frame.data(), frame.prompter(), week))
            return;
        frame.showView(ViewTag::Weeks);
        frame.refreshViews();
        frame.setActiveWeek(week);
    };
    weeks.enabled = [&frame] { return frame.viewsExist() && lastLectureWeek(frame.data()) > 1; };

    t.menu = "Tools/Sort";
    for (const bool events : {false, true}) {
        dataCommand(t.add(events ? "tools.sortEvents" : "tools.sortResources",
                          events ? "Sort events by ..." : "Sort resources by ..."),
                    frame, [&frame, events](ScheduleData &d, Prompter &p) {
                        const auto &sort = frame.sortOptions();
                        return sortCodesBy(d, p, events, sort.ascending, sort.categoriesFirst);
                    });
    }
    auto &categories = t.group("tools.sortCategories", "Sort first by categories");
    categories.run = [&frame] {
        frame.sortOptions().categoriesFirst = !frame.sortOptions().categoriesFirst;
    };
    categories.checked = [&frame] { return frame.sortOptions().categoriesFirst; };
    auto &ascending = t.add("tools.sortAscending", "Sort in ascending order");
    ascending.run = [&frame] { frame.sortOptions().ascending = !frame.sortOptions().ascending; };
    ascending.checked = [&frame] { return frame.sortOptions().ascending; };
    // Both switches are preferences, kept with the settings from one run to the next.
    auto &automatic = t.add("tools.sortAuto", "Sort automatically",
                            "Sort the codes a paste adds in the Resources and Events views");
    automatic.run = [&frame] {
        bool &on = frame.session().settings.preferences.autoSort;
        on = !on;
    };
    automatic.checked = [&frame] { return frame.session().settings.preferences.autoSort; };
    auto &lock = t.add("tools.sortLock", "Sort lock", "Keep the order of the codes as it is");
    lock.run = [&frame] {
        bool &on = frame.session().settings.preferences.lockSort;
        on = !on;
    };
    lock.checked = [&frame] { return frame.session().settings.preferences.lockSort; };
    dataCommand(t.add("tools.sortMembers", "Sort event resources",
                      "Sort the resources of every event by category and code"),
                frame, [&frame](ScheduleData &d, Prompter &p) {
                    return sortEventResources(d, p, frame.sortOptions().ascending);
                });

    t.menu = "Tools/Lock events";
    const std::array<std::tuple<const char *, const char *, int>, 4> locks = {{
        {"tools.lockSelectEvents", "Select events to lock", SelectEventsToLock},
        {"tools.lockSelectResources", "Select resources to lock", SelectResourcesToLock},
        {"tools.lockAll", "Lock all events by rules", LockAllByRules},
        {"tools.unlockAll", "Unlock all events by rules", UnlockAllByRules},
    }};
    for (const auto &[id, caption, command] : locks) {
        const std::string name = caption;
        dataCommand(t.add(id, caption), frame, [name, command](ScheduleData &d, Prompter &p) {
            return lockEventsByRules(d, p, command, name);
        });
    }

    t.menu = "Tools";
    bindRoomsCommand(
        t.group("tools.rooms", "Select rooms manually", {}, QKeySequence(Qt::CTRL | Qt::Key_R)),
        frame);
    bindModifyCollectionsCommand(
        t.add("tools.collections", "Modify collections", {}, QKeySequence(Qt::CTRL | Qt::Key_M)),
        frame);
    dataCommand(t.group("tools.codeConversion", "Code conversion ..."), frame,
                [&frame](ScheduleData &d, Prompter &p) {
                    return codeConversion(d, p, frame.progress(), frame.clipboard(),
                                          frame.clipTarget());
                });
    dataCommand(t.add("tools.resourceMapping", "Resource mapping ..."), frame,
                [&frame](ScheduleData &d, Prompter &p) {
                    return resourceMapping(d, p, frame.progress(), frame.clipboard());
                });
    dataCommand(t.add("tools.resourceSelection", "Resource selection ..."), frame,
                [&frame](ScheduleData &d, Prompter &p) {
                    return resourceSelection(d, p, frame.progress(), frame.clipboard());
                });
    t.menu = "Tools/Replace tool";
    // Both commands share one tool, which remembers the text to find.
    const auto replaceTool = std::make_shared<ReplaceTool>();
    bindReplaceCommand(t.add("tools.replaceString", "Replace string"), frame, replaceTool, false);
    bindReplaceCommand(t.add("tools.changeCase", "Change case"), frame, replaceTool, true);
    t.menu = "Tools";
    bindBlockSchedulingCommand(t.group("tools.blocks", "Block scheduling"), frame);
    bindCyclingCommand(t.add("tools.cycling", "Cycling timetables"), frame);
    bindMemoCommand(t.add("tools.memo", "Memo panel"), frame);
    auto &selection = t.add("tools.selectionOptimise", "Selection optimisation",
                            "Optimises the selections of students and events");
    selection.run = [&frame] {
        QtClipboard clipboard;
        selectionOptimisation(frame.session(), clipboard, [&frame](const ChangeReview &review) {
            return reviewInDialog(review, &frame);
        });
    };
    selection.enabled = [&frame] { return frame.viewsExist(); };
    auto &intake = t.add("tools.intake", "Intake scheduling",
                         "Create several overlapping schedules for each intake");
    intake.run = [&frame] {
        frame.showView(ViewTag::Weeks);
        intakeScheduling(frame.session());
    };
    intake.enabled = [&frame] { return frame.viewsExist(); };
    sessionCommand(t.add("tools.campusCollisions", "Check for campus collisions"), frame,
                   checkCampusCollisions, true);
    auto &free = t.add("tools.freeResources", "Show free resources",
                       "Resources free in the time range selected in the Timetables view");
    free.run = [&frame] { showFreeResourcesOfSelection(frame); };
    free.enabled = [&frame] { return frame.viewsExist(); };
    t.menu = "Tools/Check for conflicts";
    auto &all = t.add("tools.conflictsAll", "From all weeks (complete)");
    all.run = [&frame] { checkForConflicts(frame, false); };
    all.enabled = [&frame] { return frame.viewsExist(); };
    auto &from = t.add("tools.conflictsFrom", "From the &selected week on");
    from.run = [&frame] { checkForConflicts(frame, true); };
    from.enabled = [&frame] { return frame.viewsExist(); };
}

void optionsMenu(TableBuilder &t, TFrameForm &frame)
{
    t.menu = "Options";
    bindSummaryCommand(
        t.add("options.summary", "Summary info", {}, QKeySequence(Qt::CTRL | Qt::Key_I)), frame);
    bindStatisticsCommand(t.add("options.statistics", "Statistics"), frame);
    auto &health = t.add("options.health", "Health check");
    health.button = "Health check";
    bindHealthCommand(health, frame);
    bindMaximumWeeklyCommand(t.add("options.maxWeekly", "Maximum weekly periods"), frame);
    bindQualityCommand(t.add("options.quality", "Timetable quality"), frame);
    t.menu = "Options/Code selection";
    dataCommand(t.add("options.selectEvents", "Events"), frame,
                [](ScheduleData &d, Prompter &p) { return selectCodesToMark(d, p, true); });
    dataCommand(t.add("options.selectResources", "Resources"), frame,
                [](ScheduleData &d, Prompter &p) { return selectCodesToMark(d, p, false); });
    t.menu = "Options";
    t.add("options.clipboardTarget", "Default Clipboard target").run = [&frame] {
        chooseClipTarget(frame.prompter(), frame.clipTarget());
    };

    t.menu = "Options/Default show mode";
    const std::array<const char *, 3> modes = {"&1 Codes [Code]", "&2 Names [Name]",
                                               "&3 Both [Code:Name]"};
    for (int mode = ShowCode; mode <= ShowCodeAndName; ++mode) {
        auto &row = t.add(QStringLiteral("options.showMode%1").arg(mode), modes[mode - 1]);
        row.run = [&frame, mode] { frame.setShowMode(mode); };
        row.checked = [&frame, mode] { return frame.viewOptions().showMode == mode; };
    }
    t.menu = "Options/Default booking type";
    dataCommand(t.add("options.bookingWeeks", "For &weeks"), frame,
                [](ScheduleData &d, Prompter &p) { return bookingChoice(d, p, true) != 0; });
    dataCommand(t.add("options.bookingTimetables", "For &timetables"), frame,
                [](ScheduleData &d, Prompter &p) { return bookingChoice(d, p, false) != 0; });

    t.menu = "Options";
    auto &options = t.group("options.dialog", "&Options ...", "Change the settings");
    options.button = "Options";
    options.run = [&frame] { showOptionsDialog(frame); };
    options.enabled = [&frame] { return frame.viewsExist(); };
}

void windowMenu(TableBuilder &t, TFrameForm &frame)
{
    const auto hasViews = [&frame] { return frame.viewsExist(); };
    t.menu = "Window";
    auto &cascade = t.add("window.cascade", "&Cascade", {}, QKeySequence(Qt::SHIFT | Qt::Key_F4));
    cascade.run = [&frame] { frame.mdiArea()->cascadeSubWindows(); };
    cascade.enabled = hasViews;
    auto &tile = t.add("window.tile", "&Tile", {}, QKeySequence(Qt::SHIFT | Qt::Key_F3));
    tile.run = [&frame] { frame.mdiArea()->tileSubWindows(); };
    tile.enabled = hasViews;
    auto &expand = t.add("window.expand", "&Expand", "Show or hide the command buttons",
                         QKeySequence(Qt::Key_F11));
    expand.run = [&frame] { frame.toggleButtonRows(); };
    auto &refresh = t.add("window.refresh", "&Refresh", "Recount and redraw all views");
    refresh.run = [&frame] { frame.refreshAll(); };
    refresh.enabled = hasViews;
    auto &icons = t.add("window.arrangeIcons", "&Arrange icons", "Line up the minimised views");
    icons.run = [&frame] { frame.arrangeViews(4); };
    icons.enabled = hasViews;
    auto &minimise = t.add("window.minimiseAll", "&Minimise all");
    minimise.run = [&frame] { frame.minimiseAll(); };
    minimise.enabled = hasViews;
    auto &restore = t.add("window.restoreAll", "Re&store all");
    restore.run = [&frame] { frame.restoreAll(); };
    restore.enabled = hasViews;
    auto &next = t.add("window.next", "&Next view", {}, QKeySequence(Qt::CTRL | Qt::Key_F6));
    next.run = [&frame] { frame.mdiArea()->activateNextSubWindow(); };
    next.enabled = hasViews;
    auto &previous = t.add("window.previous", "&Previous view", {},
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    previous.run = [&frame] { frame.mdiArea()->activatePreviousSubWindow(); };
    previous.enabled = hasViews;

    const std::array<std::pair<ViewTag, const char *>, 4> views = {{
        {ViewTag::Resources, "Resources"},
        {ViewTag::Events, "Events"},
        {ViewTag::Weeks, "Weeks"},
        {ViewTag::Timetables, "Timetables"},
    }};
    bool first = true;
    for (const auto &[tag, name] : views) {
        auto &row = t.add(QStringLiteral("view.%1").arg(static_cast<int>(tag)), name,
                          QStringLiteral("Show the %1 view").arg(name));
        row.separatorBefore = first;
        row.button = name;
        row.run = [&frame, tag] { frame.showView(tag); };
        row.enabled = hasViews;
        row.checked = [&frame, tag] { return frame.viewsExist() && frame.currentView() == tag; };
        first = false;
    }
}

// The help of the view in front; the contents while no file is open.
int viewHelpTopic(TFrameForm &frame)
{
    if (!frame.viewsExist())
        return HelpTopic::Contents;
    switch (frame.currentView()) {
    case ViewTag::Resources:
        return HelpTopic::ResourcesView;
    case ViewTag::Events:
        return HelpTopic::EventsView;
    case ViewTag::Weeks:
        return HelpTopic::WeeksView;
    case ViewTag::Timetables:
        return HelpTopic::TimetablesView;
    }
    return HelpTopic::Contents;
}

void helpAndColourMenus(TableBuilder &t, TFrameForm &frame)
{
    t.menu = "Help";
    auto &contents = t.add("help.contents", "&Contents", "Show the contents of the help");
    contents.run = [&frame] { showHelp(&frame, HelpTopic::Contents); };
    auto &tutorial = t.add("help.tutorial", "&Tutorial", "Make your first timetable step by step");
    tutorial.run = [&frame] { showHelp(&frame, HelpTopic::Tutorial); };
    auto &html = t.add("help.html", "&Html help", "Show the help of the view in front",
                       QKeySequence(Qt::Key_F1));
    html.run = [&frame] { showHelp(&frame, viewHelpTopic(frame)); };
    auto &about = t.group("help.about", "&About");
    about.run = [&frame] { frame.showAbout(); };

    // The colour commands; the "Colours" button pops up the same menu.
    t.menu = "Tools/Colours";
    auto &set = t.add("colours.set", "Set colour to this item");
    set.run = [&frame] { setColourOfCurrentCode(frame); };
    set.enabled = [&frame] {
        return frame.viewsExist() && validCode(frame.data(), frame.data().currentCode);
    };
    auto &show = t.add("colours.show", "Show event and resource colours");
    show.run = [&frame] { frame.toggleColours(); };
    show.checked = [&frame] { return frame.viewOptions().showColours; };
    dataCommand(t.add("colours.clear", "Clear event and resource colours"), frame, clearColours);
    auto &change = t.add("colours.change", "Change the current colour",
                         "Give a new colour to every item with the colour of the current one");
    dataCommand(change, frame, [](ScheduleData &d, Prompter &p) {
        return changeCurrentColour(d, p, d.currentCode);
    });
    change.enabled = [&frame] {
        return frame.viewsExist() && validCode(frame.data(), frame.data().currentCode);
    };
    t.menu = "Tools/Colours/Set colours automatically";
    const std::array<std::tuple<const char *, const char *, int>, 4> automatic = {{
        {"colours.byCategory", "Colours based on category", ColoursByCategory},
        {"colours.random", "Random colours", RandomColours},
        {"colours.randomEvents", "Random colours to events only", RandomEventColours},
        {"colours.randomResources", "Random colours to resources only", RandomResourceColours},
    }};
    for (const auto &[id, caption, mode] : automatic) {
        dataCommand(t.add(id, caption), frame, [mode](ScheduleData &d, Prompter &p) {
            // The random numbers start from the clock, so each run gives other colours.
            const auto seed = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
            return setColoursAutomatically(d, p, mode, seed);
        });
    }
    t.menu = "Tools/Colours";
    dataCommand(t.add("colours.more", "More colour selections",
                      "Give one colour to the events and resources you select"),
                frame, colourSelectedCodes);
}

// What each command not offered yet waits for, by the start of its id.
void nameWhatIsMissing(std::vector<FrameCommand> &rows)
{
    // Every command runs today; a row added before its part of the program gets an entry here
    // ({"tools.xyz", "the part it waits for"}) and the size grows with it.
    constexpr std::array<std::pair<const char *, const char *>, 0> later{};
    for (FrameCommand &row : rows) {
        if (row.run)
            continue;
        for (const auto &[prefix, part] : later) {
            if (row.id.startsWith(QLatin1String(prefix))) {
                row.later = QString::fromLatin1(part);
                break;
            }
        }
    }
}

} // namespace

std::vector<FrameCommand> frameCommands(TFrameForm &frame)
{
    TableBuilder t;
    fileMenu(t, frame);
    toolsMenu(t, frame);
    optionsMenu(t, frame);
    windowMenu(t, frame);
    helpAndColourMenus(t, frame);
    nameWhatIsMissing(t.rows);
    return std::move(t.rows);
}

} // namespace quivra
