#pragma once

// Split event: one event's scheduled slots are divided between the event and a new one. The
// user unchecks the slots that go, may change the new event's resources, code and name, and the
// split creates the new event right before the next event of the code table with those slots,
// their weekly periods, the week bookings of the original and its own collection; the comments
// on the moved slots go with them.
//
// EventSplit holds what the dialog shows and does every control's work; a dialog draws it.
// Nothing changes the data set before split(), which checks everything first and then either
// completes or leaves the data set as it was.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace quivra {

constexpr int SplitHelpTopic = 1210;

struct SplitSlot
{
    int week = 0, day = 0, bell = 0;
    bool keep = true; // checked: stays with the event
};

// The events that can be split: those with two or more scheduled periods, in list order.
std::vector<CodeId> splittableEvents(const ScheduleData &d);

class EventSplit
{
public:
    // Opens on `event`, or on the first splittable event when it is none.
    EventSplit(ScheduleData &d, Prompter &p, CodeId event);

    const ScheduleData &data() const { return m_d; }
    const std::vector<CodeId> &events() const { return m_events; }
    CodeId event() const { return m_event; }
    std::string eventLine(CodeId e) const; // code and name
    // "Event split view (%d events, %d can be split)".
    std::string caption() const;
    // Makes `e` current and rebuilds everything; tells when it has fewer than two slots.
    void chooseEvent(CodeId e);
    void stepEvent(int delta);
    // Don't split: rebuilds the state of the current event.
    void reset();

    // ----- the slots, by week
    const std::vector<SplitSlot> &slotList() const { return m_slots; }
    std::vector<int> weeks() const;
    std::string weekHeading(int week) const;
    std::string slotText(const SplitSlot &s) const;
    bool slotsEnabled() const;
    // Checks or unchecks one slot, or every slot of a week; with nothing left checked the view
    // starts over as by Don't split. Ignored while the slots are locked.
    void setSlot(std::size_t index, bool keep);
    void setWeek(int week, bool keep);
    int keptCount() const;
    int movedCount() const;
    std::string keptCounter() const; // "Selected %d of all %d slots"
    std::string movedCounter() const;
    bool newEventShown() const { return movedCount() > 0; }
    std::string slotListLabel() const;

    // ----- resources
    std::vector<CodeId> eventMembers() const;
    std::vector<CodeId> eventSelectable() const; // may join the event without conflict
    const std::vector<CodeId> &newMembers() const { return m_newMembers; }
    // Resources not in the new event whose timetables are free in every moving slot.
    std::vector<CodeId> newSelectable() const;
    // Selectable for the new event but not for the original one (drawn bold).
    bool newlySelectable(CodeId r) const;
    // A resource the original does not have was added: the slots can no longer change.
    bool slotLock() const;
    // Inserts r after member `after` (0 at the front); false when full or not selectable.
    bool addMember(CodeId r, int after);
    // Removes member `index` (1-based); the last one stays, with a message.
    bool removeMember(int index);

    // ----- the new event's code and name
    const std::string &newCode() const { return m_newCode; }
    // The code box was left: the text, cut to 15 characters, becomes the code unless a code has
    // it (then a message, and the code stays).
    bool editNewCode(std::string_view text);
    std::string newName;

    // Splits; returns the new event, 0 when refused or cancelled (nothing changed then).
    CodeId split();

private:
    void build();
    bool moving(int week, int day, int bell) const;

    ScheduleData &m_d;
    Prompter &m_p;
    std::vector<CodeId> m_events;
    CodeId m_event = 0;
    std::vector<SplitSlot> m_slots;
    std::vector<CodeId> m_newMembers;
    std::string m_newCode;
};

} // namespace quivra
