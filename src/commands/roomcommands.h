#pragma once

// Tools|Select rooms manually: the state and the actions of the rooms dialog, without drawing.
//
// The dialog lists the slots of the included weeks that need a room (events placed without a
// room resource), one line per slot and event, and for the chosen line the rooms free there.
// The user gives the line a room, clears it, copies it to other slots, lets the program compact
// the list (an event that uses one room everywhere gets it as a resource) or imitate earlier
// choices, and narrows the list to fewer weeks or event categories. Every question goes through
// the Prompter; the widget only draws what this class says and forwards the user's clicks.

#include "engine/manualrooms.h"
#include "ui/prompter.h"

#include <string>
#include <vector>

namespace quivra {

// What the dialog remembers between openings during one run.
struct RoomsDialogMemory
{
    bool noticeAsked = false; // the 75 % notice was offered
    bool notify = false;      // and accepted: show the capacity question when the list opens
};

// The manual-room dialogue (compaction and imitation) over the Prompter.
class PromptedRoomDialogue final : public ManualRoomDialogue
{
public:
    PromptedRoomDialogue(const ScheduleData &d, Prompter &p) : m_d(d), m_p(p) {}
    bool confirmCompact(int assigned, int empty, int capacity) override;
    Answer askAddRoom(CodeId event, CodeId room, int triples) override;
    bool chooseCombinations(std::vector<RoomCombination> &combinations, int waiting) override;
    void inform(const std::string &text) override;

private:
    const ScheduleData &m_d;
    Prompter &m_p;
};

// One line of the slot list.
struct RoomSlotLine
{
    ManualTriple triple;
    std::string text; // "Week 2, Mon 3: MATH - R1"
};

// A room offered for the chosen line.
struct RoomOffer
{
    CodeId room = 0;
    std::string text; // "R1 (3x)": the room and the slots it holds
};

// The ways "Copy this room to ..." offers, in the order it lists them.
enum class RoomCopy {
    SameTimeOtherWeeks = 1, // this event, the same day and bell, the other included weeks
    FreeSlotsOfEvent = 2,   // this event, its slots still without a room
    AllSlotsOfEvent = 3,    // this event, every slot
    FreeSlotsOfAll = 4,     // every event, the slots still without a room
};

class RoomsDialogState
{
public:
    RoomsDialogState(ScheduleData &d, Prompter &p, RoomsDialogMemory &memory)
        : m_d(d), m_p(p), m_memory(memory)
    {}

    // Cleans up and builds the slot list. False, after telling why, when there are no rooms to
    // choose from; the dialog then does not open.
    bool open();

    std::string caption() const;   // "Select rooms manually (2 assigned + 3 empty = 5 slots)"
    std::string usageText() const; // "2 assigned + 3 empty slots out of 10921"
    const std::vector<RoomSlotLine> &lines() const { return m_lines; }

    // The chosen line (from 0), -1 for none.
    int current() const { return m_current; }
    void choose(int line);
    // Rooms free for the chosen line, and the title above them.
    const std::vector<RoomOffer> &offers() const { return m_offers; }
    std::string offersTitle() const;

    // Each action returns whether it changed the data set; the lists are rebuilt afterwards.
    bool assign(CodeId room);
    bool clearCurrent();
    bool clearAll();
    bool copyRoom();                    // asks how, then copies the chosen line's room
    bool copyRoom(RoomCopy how);        // copies without asking
    bool compact();                     // "Capacity"
    bool imitate();                     // "Imitate"
    bool setWeeks(int first, int last); // "First/Last included week"
    bool chooseCategories();            // "Include event categories"

    WeekSpan weeks() const;
    int weeksInUse() const;
    // How the week drop-downs name week w: "2: Wk2", or the number alone for a week without a
    // name.
    std::string weekLabel(int w) const;
    // Whether anything was changed since the dialog opened (the views need a refresh).
    bool changed() const { return m_changed; }

private:
    void rebuild();
    bool done(bool changed);

    ScheduleData &m_d;
    Prompter &m_p;
    RoomsDialogMemory &m_memory;
    std::vector<RoomSlotLine> m_lines;
    std::vector<RoomOffer> m_offers;
    int m_current = -1;
    bool m_changed = false;
};

// Whether the data set has rooms (resources of the rooms category).
bool hasRooms(const ScheduleData &d);

} // namespace quivra
