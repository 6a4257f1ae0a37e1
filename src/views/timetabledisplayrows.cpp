#include "views/timetabledisplayrows.h"

#include "views/timetablesview.h"

#include <QAction>
#include <QActionGroup>
#include <QToolTip>

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

QString displayId(int item)
{
    return QStringLiteral("timetables.display%1").arg(item);
}

} // namespace

void bindTimetableDisplayRows(std::vector<ViewCommand> &rows)
{
    // The options are the view's own: they need no data set, only somewhere to be kept.
    for (int item = 1; item <= CellDisplayItems; ++item) {
        ViewCommand *row = rowOf(rows, displayId(item));
        if (!row)
            continue;
        row->run = [item](ViewForm &view) {
            CellDisplayOptions options = form(view).cellOptions();
            chooseCellDisplayItem(options, item);
            form(view).setCellOptions(options);
        };
        row->checked = [item](const ViewForm &view) {
            return cellDisplayItemChecked(form(view).cellOptions(), item);
        };
    }
    if (ViewCommand *row = rowOf(rows, "timetables.hideHint")) {
        // Hides the hint shown and the hints to come; "Show cell hints" brings them back.
        row->run = [](ViewForm &view) {
            QToolTip::hideText();
            CellDisplayOptions options = form(view).cellOptions();
            options.set(CellOption::CellHints, false);
            form(view).setCellOptions(options);
        };
        row->enabled = [](const ViewForm &view) {
            return form(view).cellOptions().on(CellOption::CellHints);
        };
    }
    if (ViewCommand *row = rowOf(rows, "timetables.counters")) {
        row->run = [](ViewForm &view) {
            TMatsForm &timetables = form(view);
            timetables.run([&timetables](ScheduleData &, TimetablesSession &s, Prompter &p) {
                showActionCounters(p, s, timetables.doubleClicks());
                return TimetableOutcome{};
            });
        };
        row->enabled = [](const ViewForm &view) { return view.host() != nullptr; };
    }
}

void groupCellDisplayActions(TMatsForm &view)
{
    auto *group = new QActionGroup(&view);
    group->setExclusive(true);
    for (QAction *action : view.actions())
        for (int item = CellOptionItems + 1; item <= CellDisplayItems; ++item)
            if (action->objectName() == displayId(item))
                group->addAction(action);
}

} // namespace quivra
