#include "views/timetablepopuprows.h"

#include "commands/timetablepopups.h"
#include "views/qtext.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QScrollArea>
#include <QTableView>
#include <QToolTip>

#include <utility>

namespace quivra {
namespace {

TMatsForm &form(ViewForm &view)
{
    return static_cast<TMatsForm &>(view);
}

const TMatsForm &form(const ViewForm &view)
{
    return static_cast<const TMatsForm &>(view);
}

// A pop-up command run through the view on its session, offered once the view is hosted and
// `enabled` agrees.
void bindPopup(std::vector<ViewCommand> &rows, const QString &id, TMatsForm::Command command,
               std::function<bool(const TimetablesSession &)> enabled)
{
    for (ViewCommand &row : rows) {
        if (row.id != "timetables." + id)
            continue;
        row.run = [command = std::move(command)](ViewForm &view) { form(view).run(command); };
        row.enabled = [enabled = std::move(enabled)](const ViewForm &view) {
            return view.host() != nullptr && enabled(form(view).session());
        };
        return;
    }
}

bool hasEvent(const TimetablesSession &s)
{
    return s.event() != 0;
}

bool hasLinked(const TimetablesSession &s)
{
    return s.linkedTarget != 0;
}

bool hasEventAndLinked(const TimetablesSession &s)
{
    return s.event() != 0 && s.linkedTarget != 0;
}

void setCaption(TMatsForm &view, const QString &id, const std::string &caption)
{
    for (QAction *action : view.actions())
        if (action->objectName() == id)
            action->setText(toQString(caption));
}

// The linked timetables' cell hints: a tooltip over a cell, and the status line as the mouse
// moves over the cells.
class LinkedHints final : public QObject
{
public:
    LinkedHints(TMatsForm &view, QTableView &table, CodeId r)
        : QObject(&table), m_view(&view), m_table(table), m_r(r)
    {}

    QString hint(const QModelIndex &cell) const
    {
        if (!cell.isValid() || !m_view || !m_view->host())
            return {};
        return toQString(linkedCellHint(m_view->host()->data(), m_view->session(), m_r,
                                        cell.column() + 1, cell.row() + 1));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        auto *help = static_cast<QHelpEvent *>(event);
        const QString text = hint(m_table.indexAt(help->pos()));
        if (text.isEmpty())
            return QObject::eventFilter(watched, event);
        QToolTip::showText(help->globalPos(), text, &m_table);
        return true;
    }

private:
    QPointer<TMatsForm> m_view;
    QTableView &m_table;
    CodeId m_r;
};

} // namespace

void bindTimetablePopupRows(std::vector<ViewCommand> &rows)
{
    const auto periods = [](PeriodChange change) {
        return [change](ScheduleData &d, TimetablesSession &s, Prompter &) {
            return changeEventPeriods(d, s, change);
        };
    };
    bindPopup(rows, "periodAdd", periods(PeriodChange::Add), hasEvent);
    bindPopup(rows, "periodRemove", periods(PeriodChange::Remove), hasEvent);
    bindPopup(rows, "clearUnscheduled", periods(PeriodChange::ClearUnscheduled), hasEvent);
    bindPopup(rows, "eventAdd", addEventToWeek, [](const TimetablesSession &) { return true; });
    bindPopup(
        rows, "eventRemove",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) { return removeEventFromWeek(d, s); },
        hasEvent);
    bindPopup(
        rows, "activateLinked",
        [](ScheduleData &, TimetablesSession &s, Prompter &) { return activateLinked(s); },
        hasLinked);
    bindPopup(
        rows, "hideCategory",
        [](ScheduleData &d, TimetablesSession &s, Prompter &) { return hideLinkedCategory(d, s); },
        hasLinked);
    bindPopup(
        rows, "showCategories",
        [](ScheduleData &, TimetablesSession &s, Prompter &) { return showLinkedCategories(s); },
        [](const TimetablesSession &s) { return s.hiddenLinked != 0; });
    bindPopup(rows, "replaceLinked", replaceLinked, hasEventAndLinked);
    bindPopup(rows, "removeLinked", removeLinked, hasEventAndLinked);
}

QMenu *timetablePopup(const TMatsForm &view, const QString &title)
{
    if (!view.contextMenu())
        return nullptr;
    for (QAction *action : view.contextMenu()->actions())
        if (action->menu() && action->menu()->title() == title)
            return action->menu();
    return nullptr;
}

void installPopupMenus(TMatsForm &view)
{
    QListWidget *list = view.eventList();
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, &view,
                     [&view, list](const QPoint &pos) {
                         const int row = list->indexAt(pos).row();
                         if (row >= 0)
                             list->setCurrentRow(row);
                         QMenu *menu = timetablePopup(view, QStringLiteral("Event list"));
                         if (!menu)
                             return;
                         updateViewCommands(view);
                         menu->popup(list->viewport()->mapToGlobal(pos));
                     });
    auto *area = view.findChild<QScrollArea *>(QStringLiteral("linkedTimetables"));
    if (!area)
        return;
    area->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(area, &QWidget::customContextMenuRequested, &view,
                     [&view, area](const QPoint &pos) {
                         QMenu *menu = timetablePopup(view, QStringLiteral("Linked timetables"));
                         if (!menu)
                             return;
                         view.session().linkedTarget = 0;
                         updateViewCommands(view);
                         menu->popup(area->viewport()->mapToGlobal(pos));
                     });
}

void installLinkedMenu(TMatsForm &view, QTableView &table, CodeId r)
{
    auto *hints = new LinkedHints(view, table, r);
    table.viewport()->installEventFilter(hints);
    table.setMouseTracking(true);
    QObject::connect(&table, &QAbstractItemView::entered, &view,
                     [&view, hints](const QModelIndex &cell) {
                         const QString text = hints->hint(cell);
                         if (!text.isEmpty())
                             view.statusLine()->setText(text);
                     });
    table.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&table, &QWidget::customContextMenuRequested, &view,
                     [&view, &table, r](const QPoint &pos) {
                         QMenu *menu = timetablePopup(view, QStringLiteral("Linked timetables"));
                         if (!menu || !view.host())
                             return;
                         TimetablesSession &s = view.session();
                         s.linkedTarget = r;
                         const ScheduleData &d = view.host()->data();
                         setCaption(view, QStringLiteral("timetables.replaceLinked"),
                                    replaceLinkedCaption(d, s, r));
                         setCaption(view, QStringLiteral("timetables.removeLinked"),
                                    removeLinkedCaption(d, s, r));
                         updateViewCommands(view);
                         menu->popup(table.viewport()->mapToGlobal(pos));
                     });
}

} // namespace quivra
