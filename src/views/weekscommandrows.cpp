#include "views/weekscommandrows.h"

#include "commands/allocationsplit.h"
#include "commands/bookingcommands.h"
#include "commands/clearcommands.h"
#include "commands/clipboardcommands.h"
#include "commands/pastecommands.h"
#include "commands/weekcopycommands.h"
#include "commands/weekscommands.h"
#include "commands/weekseventcommands.h"
#include "commands/weeksplacement.h"
#include "views/qtext.h"
#include "views/weeksview.h"

#include <QAction>
#include <QMetaObject>
#include <QTableWidget>

namespace quivra {
namespace {

TEditForm &form(ViewForm &view)
{
    return static_cast<TEditForm &>(view);
}

const TEditForm &form(const ViewForm &view)
{
    return static_cast<const TEditForm &>(view);
}

bool hasCell(const ViewForm &view)
{
    return form(view).currentEvent() != 0;
}

ViewCommand *row(std::vector<ViewCommand> &rows, const QString &id)
{
    for (ViewCommand &r : rows)
        if (r.id == id)
            return &r;
    return nullptr;
}

// A command with the view's remembered state; the answer to the PLANNED questions lives in the
// settings, so it outlasts the run.
using StateCommand = std::function<bool(ScheduleData &, Prompter &, WeeksState &, TEditForm &)>;

void bindStateCommand(std::vector<ViewCommand> &rows, const QString &id, StateCommand command,
                      std::function<bool(const ViewForm &)> enabled = hasCell)
{
    ViewCommand *r = row(rows, id);
    if (!r)
        return;
    bindDataCommand(
        *r,
        [command = std::move(command)](ScheduleData &d, Prompter &p, ViewForm &view) {
            TEditForm &f = form(view);
            bool &remembered = view.host()->settings().preferences.ignoreAskExceed;
            f.state().ignorePlanned = remembered;
            f.state().autoFill = view.host()->settings().preferences.autoTimetabling;
            const CodeId e = f.currentEvent();
            const int w = f.currentWeek();
            const bool changed = command(d, p, f.state(), f);
            remembered = f.state().ignorePlanned;
            if (changed) {
                // The rebuilt grid keeps the cell the command ran on.
                view.host()->dataChanged();
                f.goToCell(e, w);
            }
            return false;
        },
        std::move(enabled));
}

// A cell command runs on every selected cell.
using CellCommand = std::function<bool(ScheduleData &, Prompter &, WeeksState &, CodeId, int)>;

void bindCellCommand(std::vector<ViewCommand> &rows, const QString &id, CellCommand command)
{
    bindStateCommand(
        rows, id,
        [command = std::move(command)](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
            bool changed = false;
            for (const auto &[e, w] : f.selectedCells())
                changed = command(d, p, s, e, w) || changed;
            return changed;
        });
}

// A row command runs on the current event and week.
void bindRowCommand(std::vector<ViewCommand> &rows, const QString &id, CellCommand command)
{
    bindStateCommand(
        rows, id,
        [command = std::move(command)](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
            return command(d, p, s, f.currentEvent(), f.currentWeek());
        });
}

// A week command runs on the current week.
using WeekCommand = std::function<bool(ScheduleData &, Prompter &, int)>;

void bindWeekCommand(std::vector<ViewCommand> &rows, const QString &id, WeekCommand command)
{
    bindStateCommand(
        rows, id,
        [command = std::move(command)](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &f) {
            return command(d, p, f.currentWeek());
        });
}

// The Bird's eye table as the text it shows: a header line of the weeks, then one line per
// resource, cells separated by tabs, lines ended by CR LF.
std::string birdsEyeText(const QTableWidget &table)
{
    QString text;
    for (int c = 0; c < table.columnCount(); ++c) {
        const QTableWidgetItem *head = table.horizontalHeaderItem(c);
        text += QLatin1Char('\t') + (head ? head->text() : QString());
    }
    text += QStringLiteral("\r\n");
    for (int r = 0; r < table.rowCount(); ++r) {
        const QTableWidgetItem *head = table.verticalHeaderItem(r);
        text += head ? head->text() : QString();
        for (int c = 0; c < table.columnCount(); ++c) {
            const QTableWidgetItem *cell = table.item(r, c);
            text += QLatin1Char('\t') + (cell ? cell->text() : QString());
        }
        text += QStringLiteral("\r\n");
    }
    return fromQString(text);
}

void bindDisplay(std::vector<ViewCommand> &rows, const QString &id,
                 std::function<void(WeeksDisplay &)> change,
                 std::function<bool(const WeeksDisplay &)> checked)
{
    ViewCommand *r = row(rows, id);
    if (!r)
        return;
    r->run = [change](ViewForm &view) {
        WeeksDisplay display = form(view).model()->display();
        change(display);
        form(view).setDisplay(display);
    };
    r->checked = [checked](const ViewForm &view) { return checked(form(view).model()->display()); };
}

} // namespace

void bindWeeksCommands(std::vector<ViewCommand> &rows)
{
    // Cells.
    bindCellCommand(rows, "weeks.bookCell",
                    [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                        return toggleWeekBooking(d, p, e, w);
                    });
    bindCellCommand(rows, "weeks.increase", increaseAllocation);
    bindCellCommand(rows, "weeks.decrease",
                    [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                        return decreaseAllocation(d, p, e, w);
                    });
    bindCellCommand(rows, "weeks.eraseCell",
                    [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                        return eraseCell(d, p, e, w);
                    });
    if (ViewCommand *r = row(rows, "weeks.eraseCell"))
        r->shortcuts = {QKeySequence(Qt::Key_Delete)};
    if (ViewCommand *r = row(rows, "weeks.increase"))
        r->shortcuts = {QKeySequence(Qt::Key_Plus)};
    if (ViewCommand *r = row(rows, "weeks.decrease"))
        r->shortcuts = {QKeySequence(Qt::Key_Minus)};

    // Rows.
    bindRowCommand(rows, "weeks.bookEvent",
                   [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                       return bookEventUpTo(d, p, e, w);
                   });
    bindRowCommand(rows, "weeks.eraseAllocations",
                   [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                       return clearRowUpTo(d, p, e, w, RowClear::Allocations);
                   });
    bindRowCommand(rows, "weeks.unschedule",
                   [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                       return clearRowUpTo(d, p, e, w, RowClear::Placements);
                   });
    bindRowCommand(rows, "weeks.autoAllocate", autoAllocate);
    bindRowCommand(rows, "weeks.shiftLeft",
                   [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                       return shiftEventAllocation(d, p, e, w, -1);
                   });
    bindRowCommand(rows, "weeks.shiftRight",
                   [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                       return shiftEventAllocation(d, p, e, w, 1);
                   });
    bindStateCommand(rows, "weeks.bookingType",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                         return bookingChoice(d, p, true) != 0;
                     },
                     {});

    // Weeks.
    bindWeekCommand(rows, "weeks.insertWeek", insertWeekBefore);
    bindWeekCommand(rows, "weeks.deleteWeek", deleteWeekAt);
    bindWeekCommand(rows, "weeks.splitWeek", splitWeekAt);
    bindWeekCommand(rows, "weeks.lengthUp", [](ScheduleData &d, Prompter &p, int w) {
        return changeWeekLength(d, p, w, 1);
    });
    bindWeekCommand(rows, "weeks.lengthDown", [](ScheduleData &d, Prompter &p, int w) {
        return changeWeekLength(d, p, w, -1);
    });
    bindStateCommand(
        rows, "weeks.splitAllWeeks",
        [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) { return splitAllWeeks(d, p); },
        {});
    if (ViewCommand *r = row(rows, "weeks.autoFill")) {
        r->run = [](ViewForm &view) {
            if (view.host()) {
                bool &on = view.host()->settings().preferences.autoTimetabling;
                on = !on;
            }
        };
        r->checked = [](const ViewForm &view) {
            return view.host() && view.host()->settings().preferences.autoTimetabling;
        };
        r->enabled = [](const ViewForm &view) { return view.host() != nullptr; };
    }
    bindStateCommand(rows, "weeks.fillWeek",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &f) {
                         return fillCurrentWeek(d, p, f.host()->progress(), f.currentWeek());
                     });
    if (ViewCommand *r = row(rows, "weeks.fillWeek")) {
        const auto enabled = r->enabled;
        r->enabled = [enabled](const ViewForm &view) {
            return enabled(view) && view.host() &&
                   view.host()->settings().preferences.autoTimetabling;
        };
    }
    bindStateCommand(rows, "weeks.protect",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                         return protectFirstWeeks(d, p);
                     },
                     {});

    // Copying weeks.
    bindStateCommand(rows, "weeks.copyWeek",
                     [](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
                         copyWeekToMemory(d, p, s, f.currentWeek());
                         f.model()->setCopiedWeek(s.copiedWeek.week);
                         return false;
                     });
    const auto weekCopied = [](const ViewForm &view) {
        return hasCell(view) && form(view).state().copiedWeek.week != 0;
    };
    bindStateCommand(
        rows, "weeks.pasteWeek",
        [](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
            return pasteWeekFromMemory(d, p, s, f.currentWeek());
        },
        weekCopied);
    for (int item = 1; item <= 5; ++item) {
        bindStateCommand(
            rows, QStringLiteral("weeks.pasteSpecial%1").arg(item),
            [item](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
                return pasteWeekSpecial(d, p, s, f.currentWeek(), static_cast<PasteSpecial>(item));
            },
            weekCopied);
    }
    bindRowCommand(rows, "weeks.copyTimetable",
                   [](ScheduleData &d, Prompter &p, WeeksState &, CodeId e, int w) {
                       return copyTimetableToLaterWeeks(d, p, e, w);
                   });
    bindStateCommand(rows, "weeks.compareWeek",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &f) {
                         const CodeId picked = compareWeeks(d, p, f.currentWeek());
                         if (picked != 0)
                             f.goToCell(picked, f.currentWeek());
                         return false;
                     });
    // "Clear in week": the frame's erase command on the current week.
    const int clearParts[] = {ClearPartTableBookings, ClearPartPlacements, ClearPartWeekBookings,
                              ClearPartAllocations};
    for (int item = 1; item <= 4; ++item) {
        const int parts = clearParts[item - 1];
        bindWeekCommand(
            rows, QStringLiteral("weeks.clear%1").arg(item),
            [parts](ScheduleData &d, Prompter &p, int w) { return clearPeriods(d, p, parts, w); });
    }

    // Many events at once.
    for (int item = 1; item <= 3; ++item) {
        bindWeekCommand(rows, QStringLiteral("weeks.bookWeek%1").arg(item),
                        [item](ScheduleData &d, Prompter &p, int w) {
                            return bookWeekOfEvents(d, p, w, static_cast<BookWeek>(item));
                        });
    }
    bindStateCommand(rows, "weeks.setAllocatedToScheduled",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                         return adjustAllocations(d, p, true);
                     },
                     {});
    bindStateCommand(rows, "weeks.increaseAllocations",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                         return adjustAllocations(d, p, false);
                     },
                     {});
    bindStateCommand(rows, "weeks.setPlannedToAllocated",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                         return setPlannedToAllocated(d, p);
                     },
                     {});
    bindStateCommand(rows, "weeks.markByResource",
                     [](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
                         if (markEventsByResource(d, p, s.marked) > 0)
                             f.goToCell(nextMarkedEvent(d, s.marked, f.currentEvent(), 1),
                                        f.currentWeek());
                         return false;
                     },
                     {});
    const auto anyMarked = [](const ViewForm &view) {
        return hasCell(view) && !form(view).state().marked.empty();
    };
    for (const auto &[id, step] :
         {std::pair{"weeks.nextMarked", 1}, std::pair{"weeks.previousMarked", -1}}) {
        const int by = step;
        bindStateCommand(
            rows, QString::fromLatin1(id),
            [by](ScheduleData &d, Prompter &, WeeksState &s, TEditForm &f) {
                if (const CodeId e = nextMarkedEvent(d, s.marked, f.currentEvent(), by))
                    f.goToCell(e, f.currentWeek());
                return false;
            },
            anyMarked);
    }

    // "Optimise (for demos only)": the allocation, and clearing every event's weeks or
    // timetables through the frame's erase command.
    bindStateCommand(rows, "weeks.demoOptimise1",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                         return demoAllocation(d, p);
                     },
                     {});
    // Scheduling, with the allocation first for "3 Both"; the user may go on to the frame's
    // optimisation dialog.
    for (const auto &[id, allocate] :
         {std::pair{"weeks.demoOptimise2", false}, std::pair{"weeks.demoOptimise3", true}}) {
        const bool first = allocate;
        bindStateCommand(rows, QString::fromLatin1(id),
                         [first](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &f) {
                             const DemoRun run = demoScheduling(d, p, f.host()->progress(), first);
                             if (run.changed)
                                 f.host()->dataChanged();
                             QWidget *frame = f.window();
                             if (run.optimise && frame) {
                                 if (auto *optimise = frame->findChild<QAction *>("tools.optimise"))
                                     QMetaObject::invokeMethod(optimise, &QAction::trigger,
                                                               Qt::QueuedConnection);
                             }
                             return false;
                         },
                         {});
    }
    const std::pair<const char *, int> demoClears[] = {
        {"weeks.demoOptimise4", ClearPartAskWeekRange | ClearPartAllocations},
        {"weeks.demoOptimise5", ClearPartAskWeekRange | ClearPartPlacements},
    };
    for (const auto &[id, parts] : demoClears) {
        const int what = parts;
        bindStateCommand(rows, QString::fromLatin1(id),
                         [what](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                             return clearPeriods(d, p, what);
                         },
                         {});
    }

    // Events.
    bindStateCommand(rows, "weeks.copyAllocation",
                     [](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
                         copyAllocation(d, p, s, f.currentEvent());
                         return false;
                     });
    bindRowCommand(rows, "weeks.pasteAllocation",
                   [](ScheduleData &d, Prompter &p, WeeksState &s, CodeId e, int) {
                       return pasteAllocation(d, p, s, e);
                   });
    if (ViewCommand *r = row(rows, "weeks.pasteAllocation")) {
        const auto enabled = r->enabled;
        r->enabled = [enabled](const ViewForm &view) {
            return enabled(view) && !form(view).state().copiedAllocation.empty();
        };
    }
    bindRowCommand(
        rows, "weeks.lock",
        [](ScheduleData &d, Prompter &, WeeksState &, CodeId e, int) { return toggleLock(d, e); });
    bindStateCommand(rows, "weeks.searchUnallocated",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &f) {
                         const CodeId next = searchUnallocated(d, p, f.currentEvent());
                         if (next != 0)
                             f.goToCell(next, f.currentWeek());
                         return false;
                     });
    // The grid through the clipboard: every event's allocated periods week by week, and back.
    if (ViewCommand *r = row(rows, "weeks.copyGrid")) {
        bindDataCommand(*r, [](ScheduleData &d, Prompter &p, ViewForm &view) {
            ViewHost &host = *view.host();
            copyWeeksGrid(d, p, host.clipboard(), host.clipTarget());
            return false;
        });
    }
    if (ViewCommand *r = row(rows, "weeks.pasteGrid")) {
        bindDataCommand(*r, [](ScheduleData &d, Prompter &p, ViewForm &view) {
            ViewHost &host = *view.host();
            return pasteWeeksGrid(d, p, host.progress(), host.clipboard());
        });
    }
    bindStateCommand(rows, "weeks.prerequisites",
                     [](ScheduleData &d, Prompter &p, WeeksState &, TEditForm &) {
                         checkPrerequisites(d, p);
                         return false;
                     },
                     {});

    // New events from the current one, and the Cancel of the last.
    const std::pair<const char *, SplitKind> splits[] = {
        {"weeks.duplicate", SplitKind::Duplicate},
        {"weeks.splitAllocation", SplitKind::Split},
        {"weeks.balanceAllocation", SplitKind::Balance},
        {"weeks.useUnscheduled", SplitKind::Unscheduled},
    };
    for (const auto &[id, kind] : splits) {
        const SplitKind k = kind;
        bindStateCommand(rows, QString::fromLatin1(id),
                         [k](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &f) {
                             const int w = f.currentWeek();
                             CodeId made = 0;
                             if (!splitAllocation(d, p, s, f.currentEvent(), w, k, &made))
                                 return false;
                             f.host()->dataChanged();
                             f.goToCell(made, w);
                             // The new event opens in the Events view for editing; the
                             // grid stays on it behind.
                             f.host()->pickCode(made);
                             f.host()->showView(ViewTag::Events);
                             // The rebuilt views may have tidied the store: the Cancel
                             // remembers the data as the user sees them now.
                             if (s.lastSplit)
                                 s.lastSplit->fingerprint = dataFingerprint(d);
                             return false;
                         });
    }
    bindStateCommand(
        rows, "weeks.cancelLast",
        [](ScheduleData &d, Prompter &p, WeeksState &s, TEditForm &) {
            return cancelLastSplit(d, p, s);
        },
        [](const ViewForm &view) {
            return view.host() && lastSplitOpen(view.host()->data(), form(view).state());
        });

    // What the grid shows.
    using Mode = WeeksDisplay::Mode;
    for (const auto &[id, mode] : {std::pair{"weeks.numbers", WeeksDisplay::Numbers},
                                   std::pair{"weeks.percentages", WeeksDisplay::Percentages}}) {
        const Mode m = mode;
        bindDisplay(
            rows, QString::fromLatin1(id), [m](WeeksDisplay &x) { x.mode = m; },
            [m](const WeeksDisplay &x) { return x.mode == m; });
    }
    for (const auto &[id, mode] : {std::pair{"weeks.gantt", WeeksDisplay::Gantt}}) {
        const Mode m = mode;
        bindDisplay(
            rows, QString::fromLatin1(id), [m](WeeksDisplay &x) { x.mode = m; },
            [m](const WeeksDisplay &x) { return x.mode == m; });
    }
    if (ViewCommand *r = row(rows, "weeks.sumWindow")) {
        r->run = [](ViewForm &view) { form(view).showSums(!form(view).sumsShown()); };
        r->checked = [](const ViewForm &view) { return form(view).sumsShown(); };
    }
    if (ViewCommand *r = row(rows, "weeks.birdsEye")) {
        r->run = [](ViewForm &view) { form(view).showBirdsEye(!form(view).birdsEyeShown()); };
        r->checked = [](const ViewForm &view) { return form(view).birdsEyeShown(); };
    }
    using Birds = TEditForm::BirdsEye;
    const std::pair<const char *, std::function<void(Birds &)>> birds[] = {
        {"weeks.birdsScheduled", [](Birds &b) { b.measure = ProfileMeasure::Scheduled; }},
        {"weeks.birdsAllocated", [](Birds &b) { b.measure = ProfileMeasure::Allocated; }},
        {"weeks.birdsUnscheduled", [](Birds &b) { b.measure = ProfileMeasure::Unscheduled; }},
        {"weeks.birdsUtilisation", [](Birds &b) { b.utilisation = !b.utilisation; }},
        {"weeks.birdsHeatMap", [](Birds &b) { b.heatMap = !b.heatMap; }},
    };
    const std::function<bool(const Birds &)> birdsChecked[] = {
        [](const Birds &b) { return b.measure == ProfileMeasure::Scheduled; },
        [](const Birds &b) { return b.measure == ProfileMeasure::Allocated; },
        [](const Birds &b) { return b.measure == ProfileMeasure::Unscheduled; },
        [](const Birds &b) { return b.utilisation; },
        [](const Birds &b) { return b.heatMap; },
    };
    for (std::size_t i = 0; i < std::size(birds); ++i) {
        ViewCommand *r = row(rows, QString::fromLatin1(birds[i].first));
        if (!r)
            continue;
        r->run = [change = birds[i].second](ViewForm &view) {
            Birds b = form(view).birdsEye();
            change(b);
            form(view).setBirdsEye(b);
            form(view).showBirdsEye(true);
        };
        r->checked = [is = birdsChecked[i]](const ViewForm &view) {
            return is(form(view).birdsEye());
        };
    }
    if (ViewCommand *r = row(rows, "weeks.birdsCopy")) {
        r->run = [](ViewForm &view) {
            if (view.host())
                view.host()->clipboard().setText(birdsEyeText(*form(view).birdsEyeTable()));
        };
        r->enabled = [](const ViewForm &view) {
            return view.host() != nullptr && form(view).birdsEyeShown();
        };
    }
    bindDisplay(
        rows, "weeks.variableWidths", [](WeeksDisplay &x) { x.variableWidths = !x.variableWidths; },
        [](const WeeksDisplay &x) { return x.variableWidths; });
    using Columns = WeeksDisplay::Columns;
    for (const auto &[id, columns] : {std::pair{"weeks.columnsCode", WeeksDisplay::Code},
                                      std::pair{"weeks.columnsDefault", WeeksDisplay::Default},
                                      std::pair{"weeks.columnsAll", WeeksDisplay::All}}) {
        const Columns c = columns;
        bindDisplay(
            rows, QString::fromLatin1(id), [c](WeeksDisplay &x) { x.columns = c; },
            [c](const WeeksDisplay &x) { return x.columns == c; });
    }
    bindDisplay(
        rows, "weeks.multiplied", [](WeeksDisplay &x) { x.multiplied = !x.multiplied; },
        [](const WeeksDisplay &x) { return x.multiplied; });
    bindDisplay(
        rows, "weeks.cumulative", [](WeeksDisplay &x) { x.cumulative = !x.cumulative; },
        [](const WeeksDisplay &x) { return x.cumulative; });
    bindDisplay(
        rows, "weeks.scheduledPeriods", [](WeeksDisplay &x) { x.scheduled = !x.scheduled; },
        [](const WeeksDisplay &x) { return x.scheduled; });
}

} // namespace quivra
