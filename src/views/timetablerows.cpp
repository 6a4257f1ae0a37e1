#include "views/timetablerows.h"

#include "commands/bookingclipboard.h"
#include "commands/clipboardcommands.h"
#include "commands/optimisecommands.h"
#include "views/qtext.h"
#include "views/timetabledisplayrows.h"
#include "views/timetablepanels.h"
#include "views/timetablepopuprows.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QTableView>

#include <optional>
#include <string>

namespace quivra {
namespace {

ViewCommand *rowOf(std::vector<ViewCommand> &rows, const QString &id)
{
    for (ViewCommand &row : rows)
        if (row.id == id)
            return &row;
    return nullptr;
}

TMatsForm &form(ViewForm &view)
{
    return static_cast<TMatsForm &>(view);
}

const TMatsForm &form(const ViewForm &view)
{
    return static_cast<const TMatsForm &>(view);
}

// A command run through the view on its session; offered once the view is hosted and `enabled`
// (when given) agrees.
void bindRow(std::vector<ViewCommand> &rows, const QString &id, TMatsForm::Command command,
             std::function<bool(const TMatsForm &)> enabled = {})
{
    ViewCommand *row = rowOf(rows, "timetables." + id);
    if (!row)
        return;
    row->run = [command = std::move(command)](ViewForm &view) { form(view).run(command); };
    row->enabled = [enabled = std::move(enabled)](const ViewForm &view) {
        return view.host() != nullptr && (!enabled || enabled(form(view)));
    };
}

// The same on the master timetable's selection (or its current cell).
void bindArea(
    std::vector<ViewCommand> &rows, const QString &id,
    std::function<TimetableOutcome(ScheduleData &, TimetablesSession &, Prompter &, CellArea)>
        command)
{
    ViewCommand *row = rowOf(rows, "timetables." + id);
    if (!row)
        return;
    row->run = [command = std::move(command)](ViewForm &view) {
        CellArea area;
        if (!form(view).selectedArea(area))
            return;
        form(view).run([&](ScheduleData &d, TimetablesSession &s, Prompter &p) {
            return command(d, s, p, area);
        });
    };
    row->enabled = [](const ViewForm &view) { return view.host() != nullptr; };
}

// What the view shows for its clipboard copies: the timetable, the active week, the cell under
// the cursor and how codes are labelled.
TimetableViewState viewState(const TMatsForm &view)
{
    TimetableViewState state;
    state.code = view.resource();
    state.week = view.host() ? view.host()->activeWeek() : 1;
    const QModelIndex cell = view.table()->currentIndex();
    if (cell.isValid()) {
        state.day = cell.column() + 1;
        state.bell = cell.row() + 1;
    }
    state.showMode = view.options().showMode;
    state.manualRooms = view.cellOptions().on(CellOption::ManualRooms);
    return state;
}

bool hasEvent(const TMatsForm &view)
{
    return view.session().event() != 0;
}

bool canUndo(const TMatsForm &view)
{
    return view.session().isOpen() && view.session().matrix().log().canUndo();
}

bool canRedo(const TMatsForm &view)
{
    return view.session().isOpen() && view.session().matrix().log().canRedo();
}

} // namespace

void bindTimetableRows(std::vector<ViewCommand> &rows)
{
    // "Copy to the Clipboard" items 1..10 on what the view shows; a copy changes no data.
    for (int item = 1; item <= 10; ++item) {
        ViewCommand *row = rowOf(rows, QStringLiteral("timetables.copy%1").arg(item));
        if (!row)
            continue;
        bindDataCommand(*row, [item](ScheduleData &d, Prompter &p, ViewForm &view) {
            ViewHost &host = *view.host();
            copyTimetablesToClipboard(d, p, host.clipboard(), host.clipTarget(), item,
                                      viewState(form(view)));
            return false;
        });
    }
    if (ViewCommand *row = rowOf(rows, "timetables.copy11"))
        bindDataCommand(*row, [](ScheduleData &d, Prompter &p, ViewForm &view) {
            copyBookingsToClipboard(d, p, view.host()->clipboard(), view.host()->clipTarget());
            return false;
        });
    for (const bool allWeeks : {false, true})
        if (ViewCommand *row = rowOf(rows, allWeeks ? "timetables.paste2" : "timetables.paste1")) {
            row->run = [allWeeks](ViewForm &view) {
                if (ViewHost *host = view.host())
                    form(view).run(
                        [host, allWeeks](ScheduleData &d, TimetablesSession &s, Prompter &p) {
                            return pasteSessionBookings(d, s, p, host->clipboard(), allWeeks);
                        });
            };
            row->enabled = [](const ViewForm &view) { return view.host() != nullptr; };
        }
    bindRow(rows, "copyBookings", copyMasterBookings);
    bindArea(
        rows, "schedule", [](ScheduleData &d, TimetablesSession &s, Prompter &p, CellArea area) {
            // A suggestion, when there is one, is what Schedule accepts.
            if (s.suggestion.empty())
                return scheduleCells(d, s, p, area);
            const std::vector<SlotPos> cells = s.suggestion;
            TimetableOutcome out;
            for (const SlotPos &c : cells) {
                const TimetableOutcome one = scheduleCells(d, s, p, CellArea::cell(c.day, c.bell));
                out.changed = out.changed || one.changed;
                out.message = one.message;
            }
            return out;
        });
    bindArea(rows, "unschedule",
             [](ScheduleData &d, TimetablesSession &s, Prompter &p, CellArea area) {
                 return unscheduleCells(d, s, p, area);
             });
    bindRow(rows, "eraseSchedule", eraseEventSchedule, hasEvent);
    bindArea(rows, "bookings",
             [](ScheduleData &d, TimetablesSession &s, Prompter &, CellArea area) {
                 return toggleBookingCells(d, s, area);
             });
    const auto move = [](SlotSearchMode mode) {
        return [mode](ScheduleData &d, TimetablesSession &s, Prompter &p) {
            return moveCurrentBlock(d, s, p, mode);
        };
    };
    bindRow(rows, "moveNext", move(SlotSearchMode::Next), hasEvent);
    bindRow(rows, "movePrevious", move(SlotSearchMode::Previous), hasEvent);
    bindRow(rows, "moveBest", move(SlotSearchMode::Best), hasEvent);
    bindRow(rows, "swap", swapCurrentBlock, hasEvent);
    bindRow(
        rows, "suggest",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) {
            const std::size_t n = suggestCells(d, s).size();
            return TimetableOutcome{false,
                                    n == 0 ? "No free slot to suggest"
                                           : std::to_string(n) +
                                                 " slot(s) suggested - press [Ins] to schedule",
                                    TimetablesGoTo::Nowhere};
        },
        hasEvent);
    bindRow(rows, "cancelSuggestion", [](ScheduleData &, TimetablesSession &s, Prompter &) {
        s.suggestion.clear();
        return TimetableOutcome{};
    });
    bindRow(
        rows, "undo",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) { return undoLast(d, s); }, canUndo);
    bindRow(
        rows, "redo",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) { return redoLast(d, s); }, canRedo);
    bindRow(
        rows, "undoAll",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) { return undoAll(d, s); }, canUndo);
    bindRow(
        rows, "redoAll",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) { return redoAll(d, s); }, canRedo);
    bindRow(rows, "setBookmark",
            [](ScheduleData &, TimetablesSession &s, Prompter &) { return setBookmark(s); });
    bindRow(rows, "goToBookmark",
            [](ScheduleData &d, TimetablesSession &s, Prompter &) { return goToBookmark(d, s); });
    bindRow(rows, "history", showHistory);
    bindRow(
        rows, "lock",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) { return toggleEventLock(d, s); },
        hasEvent);
    if (ViewCommand *row = rowOf(rows, "timetables.quickOptimise")) {
        row->run = [](ViewForm &view) {
            ViewHost *host = view.host();
            if (!host)
                return;
            const OptimiseSettings settings =
                optimisationSessionSettings(host->data(), host->settings(), 0).optimiser;
            form(view).run([host, settings](ScheduleData &d, TimetablesSession &s, Prompter &p) {
                return quickOptimise(d, s, p, host->progress(), settings);
            });
        };
        row->enabled = [](const ViewForm &view) { return view.host() != nullptr; };
    }
    bindRow(rows, "comment", commentSlot);
    bindRow(rows, "copyComment",
            [](ScheduleData &d, TimetablesSession &s, Prompter &) { return copyComment(d, s); });
    bindRow(rows, "pasteComment",
            [](ScheduleData &d, TimetablesSession &s, Prompter &) { return pasteComment(d, s); });
    bindRow(rows, "searchNext", [](ScheduleData &d, TimetablesSession &s, Prompter &p) {
        return searchNextEvent(d, s, p);
    });
    bindRow(rows, "split", splitNextBlock);
    bindRow(rows, "lockScheduled", [](ScheduleData &d, TimetablesSession &s, Prompter &) {
        return lockScheduledEvents(d, s, true);
    });
    bindRow(rows, "unlockScheduled", [](ScheduleData &d, TimetablesSession &s, Prompter &) {
        return lockScheduledEvents(d, s, false);
    });
    bindRow(rows, "bookingType", [](ScheduleData &, TimetablesSession &s, Prompter &p) {
        return chooseBookingKind(s, p);
    });
    if (ViewCommand *row = rowOf(rows, "timetables.findTimetable")) {
        row->run = [](ViewForm &view) {
            ViewHost *host = view.host();
            if (!host)
                return;
            auto &timetables = form(view);
            const std::optional<std::string> text = host->prompter().input(
                "Find timetable", "Please enter part of the code or name:", {}, NameLength);
            if (!text)
                return;
            const int at = findTimetable(host->data(), timetables.timetables(), *text,
                                         timetables.timetableIndex());
            if (at < 0)
                host->prompter().infoDlg("No timetable found with \"" + *text + "\".");
            else
                timetables.chooseTimetable(at);
        };
        row->enabled = [](const ViewForm &view) {
            return view.host() != nullptr && form(view).timetableCount() > 0;
        };
    }
    const auto allocation = [](AllocationChange change) {
        return [change](ScheduleData &d, TimetablesSession &s, Prompter &) {
            return changeAllocation(d, s, change);
        };
    };
    bindRow(rows, "leftUp", allocation(AllocationChange::IncreaseLeft), hasEvent);
    bindRow(rows, "leftDown", allocation(AllocationChange::DecreaseLeft), hasEvent);
    bindRow(rows, "leftZero", allocation(AllocationChange::LeftToZero), hasEvent);
    bindRow(rows, "blockLength", [](ScheduleData &d, TimetablesSession &s, Prompter &p) {
        return chooseBlockLength(d, s, p);
    });
    bindTimetablePanelRows(rows);
    bindTimetablePopupRows(rows);
    bindTimetableDisplayRows(rows);
}

void showUndoCaptions(TMatsForm &view)
{
    for (QAction *action : view.actions()) {
        if (action->objectName() == QStringLiteral("timetables.undo"))
            action->setText(toQString(undoCaption(view.session())));
        else if (action->objectName() == QStringLiteral("timetables.redo"))
            action->setText(toQString(redoCaption(view.session())));
    }
}

} // namespace quivra
