#include "views/codelisttoolcommands.h"

#include "commands/codelistcommands.h"
#include "commands/eventcombine.h"
#include "commands/eventcopies.h"
#include "commands/eventtools.h"
#include "commands/healthcommands.h"
#include "commands/roomusage.h"
#include "engine/codetable.h"
#include "views/codelistform.h"
#include "views/codelistmodel.h"
#include "views/codelisttools.h"

#include <QAction>
#include <QDateTime>

namespace quivra {
namespace {

const CodeListForm &form(const ViewForm &view)
{
    return static_cast<const CodeListForm &>(view);
}

CodeListTools &tools(ViewForm &view)
{
    return *static_cast<CodeListForm &>(view).tools();
}

const CodeListTools &tools(const ViewForm &view)
{
    return *form(view).tools();
}

CodeId current(const ViewForm &view)
{
    return form(view).selectedCode();
}

bool hasCurrent(const ViewForm &view)
{
    return current(view) != 0;
}

bool atLeastTwo(const ViewForm &view)
{
    return form(view).model()->codeCount() >= 2;
}

bool allocated(const ViewForm &view)
{
    if (!view.host())
        return false;
    const ScheduleData &d = view.host()->data();
    for (CodeId c = 1; c <= d.codeCount && c <= MaxCodes; ++c)
        if (d.codes[c].isEvent() && d.codes[c].allocated > 0)
            return true;
    return false;
}

bool anyLinks(const ScheduleData &d)
{
    for (int i = 1; i <= d.eventList[0]; ++i)
        if (d.codes[d.eventList[static_cast<std::size_t>(i)]].links > 0)
            return true;
    return false;
}

ViewCommand *row(std::vector<ViewCommand> &rows, const QString &id)
{
    for (ViewCommand &r : rows)
        if (r.id == id)
            return &r;
    return nullptr;
}

// The weekly switches are the program's preferences, shared with the Weeks view.
WeeklyPeriodsSwitches preferredSwitches(ViewForm &view)
{
    if (!view.host())
        return tools(view).switches();
    const auto &prefs = view.host()->settings().preferences;
    return {prefs.multiplied, prefs.cumulative, prefs.timetabled};
}

void storeSwitches(ViewForm &view, WeeklyPeriodsSwitches s)
{
    tools(view).setSwitches(s);
    if (!view.host())
        return;
    auto &prefs = view.host()->settings().preferences;
    prefs.multiplied = s.multiplied;
    prefs.cumulative = s.cumulative;
    prefs.timetabled = s.scheduled;
}

void bindSwitch(ViewCommand *r, bool WeeklyPeriodsSwitches::*which)
{
    if (!r)
        return;
    r->run = [which](ViewForm &view) {
        WeeklyPeriodsSwitches s = tools(view).switches();
        s.*which = !(s.*which);
        storeSwitches(view, s);
    };
    r->enabled = [](const ViewForm &view) { return tools(view).weeklyShown(); };
    r->checked = [which](const ViewForm &view) { return tools(view).switches().*which; };
}

} // namespace

void bindCodeListTools(std::vector<ViewCommand> &rows, bool events)
{
    const QString prefix = events ? QStringLiteral("events.") : QStringLiteral("resources.");

    if (ViewCommand *r = row(rows, prefix + "bestMatches"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &view) {
                if (const CodeId chosen = chooseBestMatch(d, p, current(view)))
                    view.host()->pickCode(chosen);
                return false;
            },
            [](const ViewForm &view) { return hasCurrent(view) && atLeastTwo(view); });

    if (ViewCommand *r = row(rows, prefix + "replaceEvents"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &view) {
                return replaceCandidateSearch(d, p, view.host()->progress(), current(view));
            },
            [](const ViewForm &view) {
                return hasCurrent(view) && allocated(view) &&
                       !linkedCodes(view.host()->data(), current(view)).empty();
            });

    if (ViewCommand *r = row(rows, prefix + "links")) {
        r->run = [events, prefix](ViewForm &view) {
            CodeListTools &t = tools(view);
            if (t.linksShown() || !view.host()) {
                t.showLinks(!t.linksShown());
                return;
            }
            // A data set without links yet gets guidance instead of an empty list.
            ViewHost &host = *view.host();
            const CodeKind kind = events ? CodeKind::Event : CodeKind::Resource;
            switch (linkListGuidance(host.data(), host.prompter(), kind)) {
            case LinkGuidance::ShowLinks:
                t.showLinks(true);
                break;
            case LinkGuidance::StartNew:
                if (auto *add = view.findChild<QAction *>(prefix + "new"))
                    add->trigger();
                break;
            case LinkGuidance::SwitchView:
                host.showView(events ? ViewTag::Resources : ViewTag::Events);
                break;
            case LinkGuidance::Declined:
                break;
            }
        };
        // Offered where there are links to show, and while there are none to guide the user.
        r->enabled = [](const ViewForm &view) {
            return view.host() && (!anyLinks(view.host()->data()) || hasCurrent(view));
        };
        r->checked = [](const ViewForm &view) { return tools(view).linksShown(); };
    }
    // The resource of an event, chosen in a link list, replaced, joined by another or removed.
    if (ViewCommand *r = row(rows, prefix + "changeResource"))
        bindDataCommand(
            *r,
            [events](ScheduleData &d, Prompter &p, ViewForm &view) {
                const CodeId chosen = tools(view).linkChosen();
                const CodeId e = events ? current(view) : chosen;
                const CodeId res = events ? chosen : current(view);
                return changeEventResource(d, p, e, res, ChangeMayAdd | ChangeMayRemove) != 0;
            },
            [events](const ViewForm &view) {
                const CodeId chosen = tools(view).linkChosen();
                if (!view.host() || !hasCurrent(view) || !validCode(view.host()->data(), chosen))
                    return false;
                return view.host()->data().codes[chosen].isEvent() != events;
            });
    if (ViewCommand *r = row(rows, "resources.eventInfo"))
        bindDataCommand(
            *r,
            [](ScheduleData &, Prompter &, ViewForm &view) {
                view.host()->showCodeInfo(tools(view).linkChosen());
                return false;
            },
            [](const ViewForm &view) {
                const CodeId chosen = tools(view).linkChosen();
                return view.host() && validCode(view.host()->data(), chosen) &&
                       view.host()->data().codes[chosen].isEvent();
            });
    if (ViewCommand *r = row(rows, prefix + "snapshot")) {
        r->run = [](ViewForm &view) { tools(view).showSnapshot(!tools(view).snapshotShown()); };
        r->enabled = [](const ViewForm &view) { return hasCurrent(view) && allocated(view); };
        r->checked = [](const ViewForm &view) { return tools(view).snapshotShown(); };
    }
    if (ViewCommand *r = row(rows, prefix + "weekly")) {
        r->run = [](ViewForm &view) {
            CodeListTools &t = tools(view);
            if (!t.weeklyShown())
                t.setSwitches(preferredSwitches(view));
            t.showWeekly(!t.weeklyShown());
        };
        // Leaving the mode stays possible when its conditions no longer hold.
        r->enabled = [](const ViewForm &view) {
            return tools(view).weeklyShown() ||
                   (view.host() && weeklyPeriodsAvailable(view.host()->data()));
        };
        r->checked = [](const ViewForm &view) { return tools(view).weeklyShown(); };
    }
    // One font for the code lists of every view.
    if (ViewCommand *r = row(rows, prefix + "font"))
        r->run = [](ViewForm &view) {
            ViewHost *host = view.host();
            if (!host)
                return;
            if (const auto font =
                    host->prompter().chooseFont("Select font", view.options().listFont))
                host->setListFont(*font);
        };
    if (ViewCommand *r = row(rows, prefix + "tooltips")) {
        r->run = [](ViewForm &view) {
            CodeListModel *model = form(view).model();
            model->setHints(!model->hints());
        };
        r->checked = [](const ViewForm &view) { return form(view).model()->hints(); };
    }
    bindSwitch(row(rows, prefix + "multiplied"), &WeeklyPeriodsSwitches::multiplied);
    bindSwitch(row(rows, prefix + "cumulative"), &WeeklyPeriodsSwitches::cumulative);
    bindSwitch(row(rows, prefix + "scheduledPeriods"), &WeeklyPeriodsSwitches::scheduled);

    if (!events)
        return;
    const auto lock = [](ScheduleData &d, Prompter &, ViewForm &view) {
        return toggleEventLock(d, current(view));
    };
    if (ViewCommand *r = row(rows, "events.lock"))
        bindDataCommand(*r, lock, hasCurrent);
    if (ViewCommand *r = row(rows, "events.lockThis")) {
        bindDataCommand(*r, lock, hasCurrent);
        r->checked = [](const ViewForm &view) {
            return view.host() && hasCurrent(view) &&
                   isLockedCode(view.host()->data(), current(view));
        };
    }
    if (ViewCommand *r = row(rows, "events.clearAllocations"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &view) {
                return clearEventSchedule(d, p, current(view), true);
            },
            hasCurrent);
    if (ViewCommand *r = row(rows, "events.combineIdentical"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &) { return combineIdenticalEvents(d, p); },
            atLeastTwo);
    if (ViewCommand *r = row(rows, "events.combineDisjoint"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &view) {
                return combineDisjointEvents(d, p, current(view));
            },
            atLeastTwo);
    if (ViewCommand *r = row(rows, "events.duplicateMany"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &view) {
                return duplicateMany(d, p, current(view));
            },
            [](const ViewForm &view) {
                return hasCurrent(view) && !linkedCodes(view.host()->data(), current(view)).empty();
            });
    if (ViewCommand *r = row(rows, "events.copySchedule"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &view) {
                CodeId found = 0;
                const bool changed = copySchedule(d, p, current(view), &found);
                if (found != 0)
                    view.host()->pickCode(found);
                return changed;
            },
            hasCurrent);
    if (ViewCommand *r = row(rows, "events.dailySchedules"))
        bindDataCommand(
            *r, [](ScheduleData &d, Prompter &p, ViewForm &) { return copyDailySchedules(d, p); },
            allocated);
    // The weekly periods of every resource category from week 1, balanced by swaps.
    if (ViewCommand *r = row(rows, "events.resourceUsage"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &) {
                return optimiseResourceUsage(d, p, 0, 1);
            },
            allocated);
    // Rooms attached, balanced or removed; the random numbers start from the clock.
    if (ViewCommand *r = row(rows, "events.roomUsage"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &) {
                const auto seed = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
                return optimiseRoomUsage(d, p, seed);
            },
            hasCurrent);
    if (ViewCommand *r = row(rows, "events.unscheduleAll"))
        bindDataCommand(
            *r,
            [](ScheduleData &d, Prompter &p, ViewForm &view) {
                return clearEventSchedule(d, p, current(view), false);
            },
            hasCurrent);
}

} // namespace quivra
