#include "views/timetableeditrows.h"

#include "commands/timetableedits.h"
#include "engine/codetable.h"
#include "views/timetablesview.h"

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

bool hosted(const ViewForm &view)
{
    return view.host() != nullptr;
}

bool hasEvent(const ViewForm &view)
{
    return hosted(view) && static_cast<const TMatsForm &>(view).session().event() != 0;
}

// Binds a row to a command that may show the collections editor through the host.
using EditCommand = std::function<TimetableOutcome(ScheduleData &, TimetablesSession &, Prompter &,
                                                   const CollectionsSession &)>;
void bindEdit(std::vector<ViewCommand> &rows, const QString &id, EditCommand command,
              bool (*enabled)(const ViewForm &))
{
    ViewCommand *row = rowOf(rows, "timetables." + id);
    if (!row)
        return;
    row->run = [command = std::move(command)](ViewForm &view) {
        ViewHost *host = view.host();
        if (!host)
            return;
        const CollectionsSession session = [host](CollectionsEditor &editor) {
            host->showCollections(editor);
        };
        form(view).run([&](ScheduleData &d, TimetablesSession &s, Prompter &p) {
            return command(d, s, p, session);
        });
    };
    row->enabled = enabled;
}

void bindFree(std::vector<ViewCommand> &rows, const QString &id, FreeScope scope)
{
    ViewCommand *row = rowOf(rows, "timetables." + id);
    if (!row)
        return;
    row->run = [scope](ViewForm &view) {
        CellArea area;
        if (!form(view).selectedArea(area))
            return;
        form(view).run([&](ScheduleData &d, TimetablesSession &s, Prompter &p) {
            return showFreeTimetables(d, s, p, area, scope);
        });
    };
    row->enabled = hosted;
}

} // namespace

void bindTimetableEditRows(std::vector<ViewCommand> &rows)
{
    const auto plain =
        [](TimetableOutcome (*command)(ScheduleData &, TimetablesSession &, Prompter &)) {
            return [command](ScheduleData &d, TimetablesSession &s, Prompter &p,
                             const CollectionsSession &) { return command(d, s, p); };
        };
    bindEdit(rows, "checkRooms", plain(checkAvailableRooms), hasEvent);
    bindEdit(rows, "selectRoom", plain(selectRoomManually), hasEvent);
    bindEdit(rows, "copyTimetable", plain(copyTimetableToWeeks), hosted);
    bindEdit(
        rows, "editStructure",
        [](ScheduleData &d, TimetablesSession &s, Prompter &p, const CollectionsSession &session) {
            return editEventStructure(d, s, p, s.event(), 0, session);
        },
        hasEvent);
    // The master's resource in the current event: the editor offers its category.
    bindEdit(
        rows, "replaceResource",
        [](ScheduleData &d, TimetablesSession &s, Prompter &p, const CollectionsSession &session) {
            return editEventStructure(d, s, p, s.event(),
                                      s.master() ? categoryOf(d, s.master()) : 0, session);
        },
        hasEvent);
    bindEdit(rows, "whatIf", whatIf, hasEvent);
    bindFree(rows, "freeCategory", FreeScope::MasterCategory);
    bindFree(rows, "freeAll", FreeScope::All);
    bindFree(rows, "freeExpanded", FreeScope::Expanded);
}

} // namespace quivra
