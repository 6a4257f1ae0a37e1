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
    std::string slotLine(const PairSlot &slot) const;
    std::string slotSummary() const;

    // Attaches the chosen resource to the chosen event when the pair is available; says why
    // not otherwise. True when attached.
    bool add();
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
};

} // namespace quivra
