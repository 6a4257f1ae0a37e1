#pragma once

// Modify collections: for one event and one resource, whether the resource can join the event,
// which of the event's slots stand in the way, and the commands that attach the resource or
// remove links.
//
// A pair is available when the resource is not yet in the event, the event has room for one more
// resource (the most any event holds, and the limit of the event's category when it has one),
// and from the first checked week on the event is not scheduled where the resource is busy.

#include "engine/conflicts.h"
#include "engine/scheduledata.h"
#include "ui/ports.h"
#include "ui/prompter.h"

#include <array>
#include <string>
#include <vector>

namespace quivra {

// Resources per event allowed in each event category (index 1..7; 0 = no limit).
using ResourceLimits = std::array<int, MaxCategories + 1>;

// One slot of the event with whether the resource is busy in it.
struct PairSlot
{
    int week = 0, day = 0, bell = 0;
    bool conflict = false;

    bool sameCell(const PairSlot &o) const
    {
        return week == o.week && day == o.day && bell == o.bell;
    }
};

// One slot of the all-weeks grid: the event scheduled there, the resource busy there, the
// user's mark. Both busy is a conflict, drawn "X".
struct GridSlot
{
    bool event = false;
    bool resource = false;
    bool marked = false;
    bool conflict() const { return event && resource; }
};

// The all-weeks grid: every week side by side, one column per day, one row per bell.
struct PairWeekGrid
{
    int weeks = 0, days = 0, bells = 0;
    std::vector<GridSlot> cells; // [((week - 1) * days + day - 1) * bells + bell - 1]

    const GridSlot &at(int week, int day, int bell) const
    {
        return cells[static_cast<std::size_t>(((week - 1) * days + day - 1) * bells + bell - 1)];
    }
};

class ModifyCollections
{
public:
    ModifyCollections(ScheduleData &d, Prompter &p, ResourceLimits limits = {});

    const ScheduleData &data() const { return m_d; }
    void chooseEvent(CodeId e);
    void chooseResource(CodeId r);
    CodeId event() const { return m_event; }
    CodeId resource() const { return m_resource; }
    // Impossible combinations instead of the available ones.
    void setImpossible(bool on) { m_impossible = on; }
    bool impossible() const { return m_impossible; }
    // Conflicts count from this week on (1..weeks); a later week is explained once chosen.
    void setFirstWeek(int week);
    int firstWeek() const { return m_firstWeek; }

    bool available(CodeId e, CodeId r) const;
    // The events offered: all, or those (not) available for the chosen resource; the same for
    // the resources.
    std::vector<CodeId> events() const;
    std::vector<CodeId> resources() const;
    std::string eventsTitle() const;
    std::string resourcesTitle() const;

    // The chosen event's slots from the first week on.
    std::vector<PairSlot> pairSlots() const;
    // Every week of the calendar with the event's slots, the resource's and the marks.
    PairWeekGrid weekGrid() const;
    // The text of a grid slot: "X" for a conflict, "E" the event alone, "R" the resource alone,
    // a marked slot in brackets.
    static std::string gridText(const GridSlot &slot);
    // Marks or unmarks the event's slot at the grid position; false for a slot of no period.
    bool toggleGridSlot(int week, int day, int bell);
    // "[X]" for a marked slot, "[_]" for the others, then the week and the slot.
    std::string slotLine(const PairSlot &slot) const;
    std::string slotSummary() const;

    // ---- Marked slots of the chosen event (its slots from the first week on) --------------
    bool marked(const PairSlot &slot) const;
    void toggleMark(const PairSlot &slot);
    void markRemaining();  // every slot of the event
    void markImpossible(); // and those where the resource is busy too
    void unmarkAll();
    void reverseMarks();
    int markedCount() const { return static_cast<int>(m_marks.size()); }
    // The marked slots weighted by the length of their weeks.
    int markedHours() const;
    // The captions of the grid's menu, with their counts.
    std::string markCaption(const PairSlot &slot) const;
    std::string markRemainingCaption() const;
    std::string markImpossibleCaption() const;
    std::string unmarkAllCaption() const;
    std::string reverseCaption() const;
    std::string clearMarkedCaption() const;
    std::string clearImpossibleCaption() const;
    std::string splitCaption() const;

    // Unschedules the event's marked slots, or the slots where the resource is busy, after the
    // event's lock question; the marks are dropped. True when the timetable changed.
    bool clearMarked();
    bool clearImpossible();
    // A split takes the marked slots away into an event of their own: some, but not all, of
    // the event's scheduled periods must be marked.
    bool splitEnabled() const;
    // Asks, then makes the copy of the event (a free code made from its code, placed before
    // the next event, the same resources) that the marked slots move to; the weekly periods of
    // both follow. With *keepAsking the naming question follows. Returns the new event, 0 when
    // nothing was done.
    CodeId split(bool *keepAsking = nullptr);

    // Attaches the chosen resource to the chosen event when the pair is available; says why
    // not otherwise. True when attached. When conflicts count from a later week than the first
    // and the event has periods, the change is noted for the frame ("Tools|Modify event resources
    // at " with the date and time of the clock, when one is given).
    bool add();
    void setClock(const Clock *clock) { m_clock = clock; }
    const std::string &undoText() const { return m_undoText; }
    // Removes the links between `of` and each of `linked` after a confirmation; the number
    // removed.
    int removeLinks(CodeId of, const std::vector<CodeId> &linked);
    // The codes linked with c: the resources of an event, or the events of a resource.
    std::vector<CodeId> linkedWith(CodeId c) const;

private:
    ScheduleData &m_d;
    Prompter &m_p;
    ResourceLimits m_limits;
    CodeId m_event = 0, m_resource = 0;
    bool m_impossible = false;
    int m_firstWeek = 1;
    std::vector<PairSlot> m_marks;
    const Clock *m_clock = nullptr;
    std::string m_undoText;

    void keepMarksOnSlots();
    bool unschedule(const std::vector<PairSlot> &slots);
};

} // namespace quivra
