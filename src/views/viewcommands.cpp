#include "views/viewcommands.h"

#include "views/clipboardrows.h"
#include "views/codelistediting.h"
#include "views/codelisttoolcommands.h"
#include "views/collectionrows.h"
#include "views/eventdialogrows.h"
#include "views/timetableeditrows.h"
#include "views/timetablerows.h"
#include "views/timetablesview.h"
#include "views/weekscommandrows.h"

#include <QAction>
#include <QHash>
#include <QMenu>

#include <algorithm>
#include <array>

namespace quivra {
namespace {

using Keys = QList<QKeySequence>;

QKeySequence key(QKeyCombination combination)
{
    return QKeySequence(combination);
}

// Builds one view's rows tersely: the tables below read like the menus they make.
struct ViewTableBuilder
{
    ViewTag window;
    QString prefix; // of the ids: "resources."
    std::vector<ViewCommand> rows;
    QString menu;

    ViewCommand &add(const QString &id, const QString &caption, const QString &hint = {},
                     const Keys &keys = {})
    {
        ViewCommand row;
        row.id = prefix + id;
        row.window = window;
        row.menu = menu;
        row.caption = caption;
        row.shortcuts = keys;
        row.hint = hint;
        rows.push_back(row);
        return rows.back();
    }
    ViewCommand &group(const QString &id, const QString &caption, const QString &hint = {},
                       const Keys &keys = {})
    {
        ViewCommand &row = add(id, caption, hint, keys);
        row.separatorBefore = true;
        return row;
    }
    // Numbered items of a submenu: "<id>1" ... with the captions given.
    void items(const QString &id, std::initializer_list<const char *> captions)
    {
        int n = 0;
        for (const char *caption : captions)
            add(id + QString::number(++n), QString::fromLatin1(caption));
    }
};

// ----- what the Resources and the Events view share --------------------------------------------

// The find, order and display commands both code lists have; `noun` is "resource" or "event".
void codeListFinding(ViewTableBuilder &t, bool events)
{
    const QString noun = events ? QStringLiteral("event") : QStringLiteral("resource");
    t.menu = "Edit";
    t.group("moveUp", QStringLiteral("Move %1 up").arg(noun));
    t.add("moveDown", QStringLiteral("Move %1 down").arg(noun));
    t.group("find", QStringLiteral("Find %1 ...").arg(noun),
            QStringLiteral("Search for a %1 by part of its code or name").arg(noun),
            {key(Qt::CTRL | Qt::Key_F3), key(Qt::CTRL | Qt::Key_F)});
    t.add("searchAgain", "Search again", "Repeat the last search from the next row",
          {key(Qt::Key_F3)});
    t.menu = events ? "Edit/Find by resources ..." : "Edit/Find by events ...";
    t.add("findLinked", events ? "In event resources" : "Linked with resources");
    t.add("findNotLinked", events ? "NOT in event resources" : "NOT linked with resources");
    t.menu = "Edit";
    t.add("bestMatches", "Best matches",
          QStringLiteral("The %1s most alike the current one").arg(noun),
          {key(Qt::CTRL | Qt::Key_B)});
}

void codeListDisplay(ViewTableBuilder &t, bool events)
{
    t.menu = "View";
    t.add("links", events ? "Show resources" : "Show event links",
          events ? "Show the resources of the current event (or double-click a row)"
                 : "Show the events of the current resource (or double-click a row)");
    t.add("snapshot", "Show snapshot timetable");
    t.group("weekly", "Weekly periods view", "One column per week", {key(Qt::CTRL | Qt::Key_W)});
    t.add("multiplied", "Multiplied periods");
    t.add("cumulative", "Cumulative periods");
    t.add("scheduledPeriods", "Scheduled periods");
    t.group("font", "Select font");
    t.add("tooltips", "Show tooltips");
}

// "Copy to the Clipboard ..." with the items of each list, and the period kind they count.
void codeListClipboard(ViewTableBuilder &t, bool events)
{
    t.menu = "Edit/Copy to the Clipboard ...";
    const std::array<const char *, 10> resourceItems = {
        "1 Codes and links",
        "2 Codes, names and categories",
        "3 Codes and periods",
        "4 Codes and event links",
        "5 Codes and periods in weeks",
        "6 Codes and addable events",
        "7 Codes, names and periods of events",
        "8 Codes, names and periods of events in weeks",
        "9 Timetables",
        "10 Selection matrix",
    };
    const std::array<const char *, 10> eventItems = {
        "1 Codes and links",
        "2 Codes, names, categories and PLANNED periods",
        "3 Codes and periods",
        "4 Codes and event resources",
        "5 Codes and periods in weeks",
        "6 Codes and addable resources",
        "7 Codes, names and periods of resources",
        "8 Codes, names and periods of resources in weeks",
        "9 Timetables",
        "10 Selection matrix",
    };
    const auto &items = events ? eventItems : resourceItems;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString id = QStringLiteral("copy%1").arg(i + 1);
        // The Events view's "9 Timetables" is a submenu of its own formats.
        if (events && i == 8) {
            t.menu = "Edit/Copy to the Clipboard .../9 Timetables";
            t.add("copyTimetables1", "1 Code + Week + Day + First slot + Last slot");
            t.add("copyTimetables2", "2 Code + Date + First slot + Last slot");
            t.add("copyTimetables3", "3 Code + Name + Start + End + Room(s)");
            t.add("copyTimetables4", "4 Code + Week + Day + Slot");
            t.add("copyTimetables5", "5 Extended format");
            t.menu = "Edit/Copy to the Clipboard ...";
            continue;
        }
        t.add(id, QString::fromLatin1(items[i]), {},
              i == 1 ? Keys{key(Qt::CTRL | Qt::Key_C)} : Keys{});
    }
    if (!events)
        t.add("copyBookings", "11 Bookings", "The bookings of all resources");
    t.group("countAllocated", "Allocated periods", "What the copies count");
    t.add("countScheduled", "Scheduled periods", "What the copies count");
    t.add("countUnscheduled", "Unscheduled periods", "What the copies count");
}

std::vector<ViewCommand> resourcesTable()
{
    ViewTableBuilder t{ViewTag::Resources, "resources.", {}, {}};
    t.menu = "Edit";
    t.add("new", "&New resource", "Create a new resource",
          {key(Qt::Key_Insert), key(Qt::Key_Plus)});
    t.add("edit", "&Edit resource", "Edit the current resource (or start typing)",
          {key(Qt::Key_Return), key(Qt::Key_Enter), key(Qt::Key_F2)});
    t.add("delete", "De&lete resource", "Remove the current resource",
          {key(Qt::Key_Delete), key(Qt::Key_Minus)});
    t.add("duplicate", "&Duplicate", "Create a copy of the current resource");
    t.group("recode", "Recode", "Give the current resource a new code");
    t.add("rename", "Rename", "Give the current resource a new name");
    t.add("recategorize", "Recategorize", "Change the category of the current resource");
    t.add("colour", "Set colour", "Set the colour of the current resource");
    codeListFinding(t, false);
    t.add("replaceEvents", "Replace events", "Search for events a resource could move to");
    t.group("info", "Resource info", "Show the details of the current resource",
            {key(Qt::CTRL | Qt::Key_H)});
    codeListClipboard(t, false);
    t.menu = "Edit";
    t.add("paste", "Paste from the Clipboard", "Codes, names, categories and PLANNED periods",
          {key(Qt::CTRL | Qt::Key_V)});
    codeListDisplay(t, false);
    t.menu = "Edit";
    bindCollectionsRow(t.add("collections", "Edit event links",
                             "Attach the current resource to events or detach it"),
                       true);
    // The pop-up menu of the list of the current resource's events.
    t.menu = ContextMenu + "/Event links";
    t.add("eventInfo", "Event info", "Show the details of the event chosen in the links");
    t.add("changeResource", "Add, replace or remove a resource",
          "Change this resource in the event chosen in the links (or double-click the event)",
          {key(Qt::Key_F5)});
    bindCodeListEditing(t.rows, CodeKind::Resource);
    bindCodeListTools(t.rows, false);
    bindClipboardRows(t.rows, false);
    return std::move(t.rows);
}

std::vector<ViewCommand> eventsTable()
{
    ViewTableBuilder t{ViewTag::Events, "events.", {}, {}};
    t.menu = "Edit";
    t.add("new", "&New event", "Create a new event", {key(Qt::Key_Insert), key(Qt::Key_Plus)});
    t.add("edit", "&Edit event", "Edit the current event (or start typing)",
          {key(Qt::Key_Return), key(Qt::Key_Enter), key(Qt::Key_F2)});
    t.add("delete", "De&lete event", "Remove the current event",
          {key(Qt::Key_Delete), key(Qt::Key_Minus)});
    t.add("duplicate", "&Duplicate", "Create a copy of the current event");
    t.add("duplicateMany", "Duplicate many",
          "Copies of the current event, each with another resource in place of one");
    t.add("copySchedule", "Copy schedule", "Copy the schedule of another event to this one");
    t.group("clearAllocations", "Clear allocations",
            "Remove the weekly periods and the schedule of the current event",
            {key(Qt::CTRL | Qt::Key_Delete)});
    t.add("unscheduleAll", "Unschedule all", "Remove the schedule, keep the weekly periods",
          {key(Qt::SHIFT | Qt::Key_Delete)});
    t.group("colour", "Set colour", "Set the colour of the current event");
    t.add("lock", "Lock or unlock event", "Protect the current event from changes",
          {key(Qt::CTRL | Qt::Key_U)});
    // Ctrl+B is Best matches here as in the Resources view; one key cannot do both.
    bindEventDialogRow(t.group("bulkSchedule", "Bulk schedule",
                               "Schedule the current event in many weeks at once",
                               {key(Qt::CTRL | Qt::SHIFT | Qt::Key_B)}),
                       ViewHost::EventDialog::BulkSchedule);
    bindEventDialogRow(t.add("split", "Split event", "Split the current event in two"),
                       ViewHost::EventDialog::Split);
    bindEventDialogRow(t.add("roles", "Manage roles", "Give the resources of events their roles"),
                       ViewHost::EventDialog::Roles);
    t.group("roomUsage", "Optimise room usage", "Attach, balance or remove rooms",
            {key(Qt::CTRL | Qt::Key_G)});
    t.add("resourceUsage", "Optimise resource usage",
          "Balance the weekly periods of all resource categories");
    t.add("dailySchedules", "Copy daily schedules", "Copy or erase the schedules of one day");
    t.menu = "Edit/Combine events ...";
    t.add("combineIdentical", "With identical lists of resources");
    t.add("combineDisjoint", "With disjoint lists of resources");
    codeListFinding(t, true);
    t.group("recode", "Recode", "Give the current event a new code");
    t.add("rename", "Rename", "Give the current event a new name");
    t.add("recategorize", "Recategorize", "Change the category of the current event");
    t.group("changeResource", "Add, replace or remove resource",
            "Change the resource chosen in the list of the event's resources", {key(Qt::Key_F5)});
    t.add("info", "Event info",
          "Show the details of the current event, or of the resource chosen in its list",
          {key(Qt::CTRL | Qt::Key_H)});
    codeListClipboard(t, true);
    t.menu = "Edit/Paste from the Clipboard ...";
    t.add("paste1", "&1 Codes, names, categories and PLANNED periods", {},
          {key(Qt::CTRL | Qt::Key_V)});
    t.add("paste2", "&2 Replace event resources");
    t.add("paste3", "&3 Add to event resources");
    t.add("paste4", "&4 Remove from event resources");
    t.add("paste5", "&5 Timetables");
    codeListDisplay(t, true);
    t.menu = "Edit";
    bindCollectionsRow(t.add("collections", "Edit event resources",
                             "Add, remove and order the resources of the current event"),
                       false);
    t.menu = ContextMenu;
    t.add("lockThis", "Lock this event", "Lock or unlock the current event");
    bindCodeListEditing(t.rows, CodeKind::Event);
    bindCodeListTools(t.rows, true);
    bindClipboardRows(t.rows, true);
    return std::move(t.rows);
}

std::vector<ViewCommand> weeksTable()
{
    ViewTableBuilder t{ViewTag::Weeks, "weeks.", {}, {}};
    // What a cell and a row of the grid offer.
    t.menu = "Edit";
    t.add("bookCell", "Make / cancel booking", "Book this cell");
    t.add("increase", "Increase allocation by one");
    t.add("decrease", "Decrease allocation by one");
    t.add("eraseCell", "Erase cell");
    t.group("bookEvent", "Set or cancel bookings", "Book this event");
    t.add("eraseAllocations", "Clear allocations up to selected week");
    t.add("unschedule", "Unschedule up to selected week");
    t.add("autoAllocate", "Auto-allocate remaining periods up to active week");
    t.add("copyTimetable", "Copy timetable to subsequent weeks");
    t.add("shiftLeft", "Shift allocation left", "Move the allocation a week earlier (or drag it)");
    t.add("shiftRight", "Shift allocation right", "Move the allocation a week later (or drag it)");
    t.add("bookingType", "Change booking type", "The kind of booking new bookings get");
    // Whole weeks.
    t.group("copyWeek", "Copy week");
    t.add("pasteWeek", "Paste week");
    t.menu = "Edit/Paste week Special ...";
    t.items("pasteSpecial", {"1 Timetables to this week", "2 Timetables to all subsequent weeks",
                             "3 Bookings to this week", "4 Bookings to all subsequent weeks",
                             "5 Single day of week"});
    t.menu = "Edit";
    t.add("insertWeek", "Insert week", "Insert new week before the current week");
    t.add("deleteWeek", "Delete week");
    t.add("splitWeek", "Split week");
    t.add("splitAllWeeks", "Split all weeks", "Split all weeks into calendar weeks");
    t.menu = "Edit/Change the week length";
    t.add("lengthUp", "Increase by one");
    t.add("lengthDown", "Decrease by one");
    t.menu = "Edit/Clear in week";
    t.items("clear", {"1 Bookings from timetables", "2 Scheduled periods", "3 Bookings from weeks",
                      "4 Allocated and scheduled periods"});
    t.menu = "Edit";
    t.add("compareWeek", "Compare week");
    t.add("protect", "Protect first weeks", "Choose the first week open for changes");
    t.add("autoFill",
          "Schedule events automatically after allocating periods to weeks in Weeks view",
          "Place the periods a week gets at once");
    t.add("fillWeek", "Fill current week", "Schedule every event in the current week");
    t.menu = "Edit/Book this week ...";
    t.items("bookWeek", {"1 Make bookings to all events", "2 Cancel all bookings",
                         "3 Select events for bookings"});
    // Events.
    t.menu = "Edit";
    t.group("setAllocatedToScheduled", "Set ALLOCATED = SCHEDULED ...");
    t.add("increaseAllocations", "Increase allocations by one  ...");
    t.add("setPlannedToAllocated", "Set PLANNED = ALLOCATED ...");
    t.add("copyAllocation", "Copy allocation");
    t.add("pasteAllocation", "Paste allocation");
    t.group("searchUnallocated", "Search for unallocated events", {}, {key(Qt::Key_F3)});
    t.add("prerequisites", "Check event prerequisites");
    t.add("markByResource", "Mark events by resource");
    t.add("nextMarked", "Next marked event", {}, {key(Qt::CTRL | Qt::Key_N)});
    t.add("previousMarked", "Previous marked event", {}, {key(Qt::CTRL | Qt::Key_P)});
    t.add("lock", "Lock / unlock event");
    t.add("copyGrid", "Copy grid to the Clipboard");
    t.add("pasteGrid", "Paste grid from the Clipboard");
    t.menu = "Edit/Optimise (for demos only)";
    t.items("demoOptimise", {"1 Automatic allocation", "2 Automatic scheduling", "3 Both",
                             "4 Clear periods from weeks", "5 Clear periods from timetables"});
    // What the grid shows.
    t.menu = "View";
    t.add("numbers", "Numbers");
    t.add("percentages", "Percentages");
    t.add("gantt", "Gantt chart");
    t.group("multiplied", "Multiplied periods");
    t.add("cumulative", "Cumulative periods");
    t.add("scheduledPeriods", "Scheduled periods");
    t.add("variableWidths", "Variable week widths");
    t.group("sumWindow", "Sum window", "Show totals for linked resources");
    t.add("birdsEye", "Bird's eye view", "Show allocated periods by resources");
    t.menu = "View/Show columns ...";
    t.add("columnsCode", "Event code");
    t.add("columnsDefault", "Default columns");
    t.add("columnsAll", "All columns");
    t.menu = "View/Bird's eye view";
    t.add("birdsScheduled", "Scheduled");
    t.add("birdsAllocated", "Allocated");
    t.add("birdsUnscheduled", "Unscheduled");
    t.add("birdsUtilisation", "Utilisation");
    t.add("birdsHeatMap", "Heat map");
    t.add("birdsCopy", "Copy");
    // The grid's pop-up menu.
    t.menu = ContextMenu;
    t.add("duplicate", "Duplicate event");
    t.add("splitAllocation", "Split allocation from");
    t.add("balanceAllocation", "Balance allocation from");
    t.add("useUnscheduled", "Use unscheduled periods from");
    t.add("cancelLast", "Cancel", "Undo the last duplicate, split, balance or unscheduled");
    bindWeeksCommands(t.rows);
    return std::move(t.rows);
}

// The timetable the Timetables view shows, stepped or set; bounded by the view.
void stepTimetable(ViewForm &view, int delta)
{
    auto &timetables = static_cast<TMatsForm &>(view);
    timetables.chooseTimetable(timetables.timetableIndex() + delta);
}

bool hasTimetables(const ViewForm &view)
{
    return static_cast<const TMatsForm &>(view).timetableCount() > 1;
}

std::vector<ViewCommand> timetablesTable()
{
    ViewTableBuilder t{ViewTag::Timetables, "timetables.", {}, {}};
    t.menu = "Edit";
    t.add("schedule", "Schedule", "Schedule current event in selected cells",
          {key(Qt::Key_Insert)});
    t.add("unschedule", "Unschedule", "Remove periods from the selected cells",
          {key(Qt::Key_Delete)});
    t.add("eraseSchedule", "Erase event schedule", "Unschedule the current event in this week",
          {key(Qt::CTRL | Qt::Key_Delete)});
    t.group("bookings", "Make or cancel bookings", {}, {key(Qt::Key_Space)});
    t.add("bookingType", "Change booking type", {}, {key(Qt::CTRL | Qt::Key_O)});
    t.add("copyBookings", "Copy bookings", "Copy the bookings of this timetable elsewhere");
    t.menu = "Edit/Move block to";
    t.add("moveNext", "Next free slot", "Move block to next slot", {key(Qt::Key_F7)});
    t.add("movePrevious", "Previous free slot", "Move block to previous slot",
          {key(Qt::SHIFT | Qt::Key_F7)});
    t.add("moveBest", "Best free slot", "Move block to best slot", {key(Qt::Key_F8)});
    t.menu = "Edit";
    t.add("swap", "Swap blocks", "Swap this block with another event", {key(Qt::Key_F6)});
    t.add("split", "Split event", "Move the next block to its best place",
          {key(Qt::SHIFT | Qt::Key_F8)});
    t.add("suggest", "Suggest solution", "Suggest a schedule for this event",
          {key(Qt::SHIFT | Qt::Key_F9)});
    t.add("cancelSuggestion", "Cancel suggestion", {}, {key(Qt::CTRL | Qt::Key_F9)});
    t.add("whatIf", "What if?", "Find What if? solutions");
    t.add("copyTimetable", "Copy timetable to subsequent weeks",
          "Copy current timetable events or bookings to subsequent weeks");
    t.add("searchNext", "Search for the next event", "Search for unscheduled periods",
          {key(Qt::Key_F3), key(Qt::Key_Return), key(Qt::Key_Enter)});
    t.group("undo", "Undo last action", {}, {key(Qt::CTRL | Qt::Key_Z)});
    t.add("redo", "Redo last action", {}, {key(Qt::CTRL | Qt::Key_Y)});
    t.add("undoAll", "Undo All");
    t.add("redoAll", "Redo All");
    t.add("setBookmark", "Set bookmark",
          "Bookmark the current state; go back to this state with Go to bookmark");
    t.add("goToBookmark", "Go to bookmark");
    t.add("history", "History", "The last actions on this week");
    t.group("lock", "Lock or unlock event", {}, {key(Qt::CTRL | Qt::Key_U)});
    t.add("lockScheduled", "Lock scheduled events");
    t.add("unlockScheduled", "Unlock scheduled events");
    t.group("quickOptimise", "Quick optimisation", "Optimise timetables on this week",
            {key(Qt::Key_F9)});
    t.group("checkRooms", "Check available rooms", {}, {key(Qt::CTRL | Qt::Key_A)});
    // Ctrl+R is the frame's Tools|Select rooms manually, which acts on this view's slot.
    t.add("selectRoom", "Select room manually", "Tools|Select rooms manually (Ctrl+R)");
    t.group("comment", "Comment this slot", {}, {key(Qt::CTRL | Qt::Key_E)});
    t.add("copyComment", "Copy comment");
    t.add("pasteComment", "Paste comment");
    t.group("editStructure", "Edit event structure", {}, {key(Qt::Key_F2)});
    t.add("replaceResource", "Replace resource", "Replace current resource", {key(Qt::Key_F5)});
    t.add("blockLength", "Change the default block length");
    t.add("counters", "Action counters");
    t.menu = "Edit/Copy to the Clipboard";
    t.items("copy", {"1 Master timetable", "2 Linked timetables", "3 Timetables by category",
                     "4 Timetables by weeks", "5 Timetables of all events",
                     "6 Free slots in timetables", "7 Comments by category", "8 Compact timetables",
                     "9 Slot load", "10 Calendar timetable", "11 Bookings"});
    t.menu = "Edit/Paste from the Clipboard";
    t.items("paste", {"1 Bookings to current week", "2 Bookings to all weeks"});
    t.menu = "Edit/Show free resources";
    t.add("freeCategory", "Timetables of this category",
          "Show all resources which are free in the selected area");
    t.add("freeAll", "All timetables", "Show all resources which are free in the selected area");
    t.add("freeExpanded", "Expanded view");

    // Choosing the week and the timetable.
    t.menu = "View";
    t.add("selectWeek", "Select the week", "Select the active week");
    auto &first = t.group("firstTimetable", "First timetable");
    first.run = [](ViewForm &view) { static_cast<TMatsForm &>(view).chooseTimetable(0); };
    first.enabled = hasTimetables;
    auto &previous = t.add("previousTimetable", "Previous timetable");
    previous.run = [](ViewForm &view) { stepTimetable(view, -1); };
    previous.enabled = hasTimetables;
    auto &next = t.add("nextTimetable", "Next timetable");
    next.run = [](ViewForm &view) { stepTimetable(view, 1); };
    next.enabled = hasTimetables;
    auto &last = t.add("lastTimetable", "Last timetable");
    last.run = [](ViewForm &view) {
        auto &timetables = static_cast<TMatsForm &>(view);
        timetables.chooseTimetable(timetables.timetableCount() - 1);
    };
    last.enabled = hasTimetables;
    t.add("findTimetable", "Find timetable ...", "Find a timetable by part of its code or name");
    t.group("birdsEye", "Bird's eye view", "Display timetable contents in timeline format");
    t.add("quality", "Timetable quality", "Show timetable quality");
    t.add("fit", "Fit events", "Find events which can be fit this slot");
    t.add("hideHint", "Hide this hint", {}, {key(Qt::CTRL | Qt::ALT | Qt::Key_H)});
    t.menu = "View/Cell display options";
    t.items("display", {"Show event colours", "Show event flags", "Show indicators [+x]",
                        "Show manual rooms (m)", "Show commented cells (c)", "Show move options",
                        "Show weekly periods", "Show swap options", "Show gap picture",
                        "Show cell hints", "Show codes", "Show names", "Show both"});

    // The pop-up menus of the event list and of the linked timetables.
    t.menu = ContextMenu + "/Event list";
    t.add("leftUp", "Increase LEFT by one", "Add one period to ALLOCATED");
    t.add("leftDown", "Decrease LEFT by one");
    t.add("leftZero", "Set LEFT to zero", "Set ALLOCATED EQUAL TO SCHEDULED");
    t.add("periodAdd", "Add one period to this event");
    t.add("periodRemove", "Remove one period from this event");
    t.add("clearUnscheduled", "Clear unscheduled periods from this event");
    t.add("eventAdd", "Add a new event to this week");
    t.add("eventRemove", "Remove this event", "Remove this event (or set ALLOCATED=0)");
    t.menu = ContextMenu + "/Linked timetables";
    t.add("activateLinked", "Activate this timetable (Double-click)");
    t.add("hideCategory", "Hide timetables of this category");
    t.add("showCategories", "Show timetables of all categories");
    t.add("replaceLinked", "Replace this resource");
    t.add("removeLinked", "Remove this resource");
    bindTimetableRows(t.rows);
    bindTimetableEditRows(t.rows);
    return std::move(t.rows);
}

// The menu at `path` under `root`, made on first use; "Context" items sit in the root itself.
QMenu *submenu(QMenu *root, QHash<QString, QMenu *> &menus, const QString &path)
{
    if (path == ContextMenu || path.isEmpty())
        return root;
    if (QMenu *menu = menus.value(path))
        return menu;
    const qsizetype slash = path.lastIndexOf('/');
    QMenu *parent = slash < 0 ? root : submenu(root, menus, path.left(slash));
    QMenu *menu = parent->addMenu(slash < 0 ? path : path.mid(slash + 1));
    menus.insert(path, menu);
    return menu;
}

} // namespace

void bindDataCommand(ViewCommand &row, ViewDataCommand command,
                     std::function<bool(const ViewForm &)> enabled)
{
    row.run = [command = std::move(command)](ViewForm &view) {
        ViewHost *host = view.host();
        if (host && command(host->data(), host->prompter(), view))
            host->dataChanged();
    };
    row.enabled = [enabled = std::move(enabled)](const ViewForm &view) {
        return view.host() != nullptr && (!enabled || enabled(view));
    };
}

const std::vector<ViewCommand> &viewCommands(ViewTag tag)
{
    static const std::array<std::vector<ViewCommand>, 4> tables = {resourcesTable(), eventsTable(),
                                                                   weeksTable(), timetablesTable()};
    return tables[static_cast<std::size_t>(static_cast<int>(tag) - 1)];
}

QString viewName(ViewTag tag)
{
    switch (tag) {
    case ViewTag::Resources:
        return QStringLiteral("Resources");
    case ViewTag::Events:
        return QStringLiteral("Events");
    case ViewTag::Weeks:
        return QStringLiteral("Weeks");
    case ViewTag::Timetables:
        return QStringLiteral("Timetables");
    }
    return {};
}

void installViewCommands(ViewForm &view)
{
    const std::vector<ViewCommand> &rows = viewCommands(view.tag());
    auto *menu = new QMenu(&view);
    menu->setObjectName(QStringLiteral("viewMenu"));
    QHash<QString, QMenu *> menus;
    // The view's own pop-up items come first, its menus after them.
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&rows](std::size_t a, std::size_t b) {
        return rows[a].menu.startsWith(ContextMenu) && !rows[b].menu.startsWith(ContextMenu);
    });
    for (const std::size_t i : order) {
        const ViewCommand &row = rows[i];
        QMenu *target = submenu(menu, menus, row.menu);
        if (row.separatorBefore)
            target->addSeparator();
        auto *action = new QAction(row.caption, &view);
        action->setObjectName(row.id);
        action->setData(static_cast<qulonglong>(i));
        action->setShortcuts(row.shortcuts);
        // Keys act while the focus is anywhere in this view, and only there.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setStatusTip(row.hint);
        action->setToolTip(row.hint.isEmpty() ? row.caption : row.hint);
        action->setCheckable(static_cast<bool>(row.checked));
        if (row.run) {
            const auto run = row.run;
            QObject::connect(action, &QAction::triggered, &view, [&view, run] {
                run(view);
                updateViewCommands(view);
            });
        }
        target->addAction(action);
        view.addAction(action);
    }
    QObject::connect(menu, &QMenu::aboutToShow, &view, [&view] { updateViewCommands(view); });
    view.setContextMenu(menu);
    updateViewCommands(view);
}

void updateViewCommands(ViewForm &view)
{
    const std::vector<ViewCommand> &rows = viewCommands(view.tag());
    for (QAction *action : view.actions()) {
        bool ok = false;
        const qulonglong i = action->data().toULongLong(&ok);
        if (!ok || i >= rows.size() || rows[i].id != action->objectName())
            continue;
        const ViewCommand &row = rows[i];
        action->setEnabled(row.run && (!row.enabled || row.enabled(view)));
        if (row.checked)
            action->setChecked(row.checked(view));
    }
}

} // namespace quivra
