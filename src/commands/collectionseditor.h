#pragma once

// The collections editor: one code with the links between it and codes of the other kind.
//
// In event mode the editor holds the event's code, name, category, PLANNED and lock and a working
// copy of its collection (the resources, in order); in resource mode the resource's code, name
// and category and the set of events that use it. Every edit stays in the editor until commit()
// stores it, so cancel() (or destroying the editor) leaves the data set exactly as it was; the
// set of events is held here, never in the codes' link marks, so nothing opened meanwhile can
// replace it.
//
// Questions and messages go through the Prompter; the dialog only draws and forwards.

#include "engine/conflicts.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

enum class CollectionsMode { Event, Resource };

// A code of the right kind and category that cannot be linked because of timetable conflicts:
// its first shared slot and how many slots are shared.
struct UnselectableCode
{
    CodeId code = 0;
    CellPos first;
    int conflicts = 0;
};

// The seats of an event as the editor holds it: the room capacity against what the other
// resources need.
struct SeatsPanel
{
    int extra = 0;    // room capacity minus required seats; below 0 seats are missing
    std::string text; // "SEATS +3"
    std::string hint;
};

// How a slot of the schedule mode's week reads.
enum class ScheduleSlot {
    Free,      // the event can go there
    Scheduled, // the event is there (in the working copy)
    Blocked,   // a resource is busy or booked there, or the week is booked
};
// What the schedule grid's fill and clear commands cover.
enum class SlotScope { Day, Row, Week };

// One line of a list of the editor: the short fields (#:, CODE, NAME, *, LINKS) or all the
// fields of the code lists, separated by two blanks.
std::string collectionsLine(const ScheduleData &d, CodeId c, int row, bool allFields);

enum class CommitResult {
    Stored,    // everything stored; the dialog closes
    KeepOpen,  // stored, but the user wants to go on editing (adding resources)
    Abandoned, // nothing stored (a refused or cancelled code)
};

class CollectionsEditor
{
public:
    // Opens the editor on `c`; 0 starts a new code of the mode's kind in `newCategory` (1..7).
    // An event always opens in event mode.
    CollectionsEditor(ScheduleData &d, Prompter &p, CollectionsMode mode, CodeId c,
                      int newCategory = 1);

    // Where a new code goes in the code table (0: at the end); the lists of the views follow
    // the table's order.
    void setInsertPosition(int position) { m_insertAt = position; }
    // How often a commit stored the code, and the code it stored last (by its text, which
    // stays right when later insertions renumber the table).
    int commits() const { return m_commits; }
    const std::string &storedCode() const { return m_storedCode; }

    const ScheduleData &data() const { return m_d; }
    ScheduleData &data() { return m_d; }
    Prompter &prompter() const { return m_p; }
    CollectionsMode mode() const { return m_mode; }
    bool eventMode() const { return m_mode == CollectionsMode::Event; }
    CodeId code() const { return m_code; }
    bool isNew() const { return m_code == 0; }

    // ---- Fields ----------------------------------------------------------------------------
    const std::string &codeText() const { return m_codeText; }
    const std::string &nameText() const { return m_nameText; }
    int category() const { return m_category; }
    int planned() const { return m_planned; }
    bool locked() const { return m_locked; }
    void setCodeText(std::string_view text);
    void setNameText(std::string_view text);
    void setCategory(int category);
    // PLANNED is kept within plannedMinimum()..plannedMaximum(); false when refused (a value
    // below the allocated periods: the refusal is shown).
    bool setPlanned(int value);
    void setLocked(bool on);
    // The name of another code of the same kind that begins with `typed`, the text before the
    // cursor while the user types a name; empty while `typed` holds three characters or fewer
    // or no name begins with it.
    std::string nameCompletion(std::string_view typed) const;
    // The user enters the name field. The first time for a new code the name becomes the code;
    // every 200th new code of an unsaved data set comes with a reminder to save.
    void enterNameField();
    int plannedMinimum() const;
    int plannedMaximum() const;
    bool changed() const { return m_changed; }

    // ---- Lists -----------------------------------------------------------------------------
    // Event mode: the working collection in order; resource mode: the events that will use the
    // resource, in event list order.
    const std::vector<CodeId> &left() const { return m_left; }
    // The codes of the other kind that can be added, and those that cannot because of conflicts.
    const std::vector<CodeId> &right() const { return m_right; }
    const std::vector<UnselectableCode> &unselectable() const { return m_unselectable; }
    // Only the category of this code (0: every category) in the right list.
    void setFilter(int category);
    int filter() const { return m_filter; }

    // Inserts the given right-list codes at `position` of the left list (past the end appends),
    // each after the one before; codes that are not selectable or do not fit are skipped.
    // Returns the number added.
    int add(const std::vector<CodeId> &codes, std::size_t position = SIZE_MAX);
    int remove(const std::vector<CodeId> &codes);
    // Replaces the left item at `index` by the right-list code `by`, in place.
    bool swap(std::size_t index, CodeId by);
    void clearAll();
    // Event mode: drops invalid entries and orders by category flags, then code.
    void sort();
    // Event mode: exchanges the item at `index` with its neighbour.
    bool moveUp(std::size_t index);
    bool moveDown(std::size_t index);

    // Clipboard lines of the given left items (code TAB name TAB category [TAB PLANNED] CR LF)
    // and the report; cut() also removes them.
    std::string copy(const std::vector<CodeId> &codes);
    std::string cut(const std::vector<CodeId> &codes);
    // Adds the codes named by the first field of each line; shows how many were added.
    int paste(std::string_view text);

    // ---- Texts -----------------------------------------------------------------------------
    std::string caption() const;
    std::string leftTitle() const;
    std::string rightTitle() const;
    std::string leftHint() const;
    std::string rightHint() const;
    std::string infoLine() const;
    // Event mode, when a resource of the working collection carries a capacity ("#" in its
    // name): the seats panel; nothing otherwise.
    std::optional<SeatsPanel> seatsPanel() const;
    // No code of the other kind exists: nothing can be linked yet.
    bool nothingToLink() const;

    // ---- Erase: periods of the stored event, at once ---------------------------------------
    // What is erased cannot be taken back by cancel(): once anything was, leaving the editor
    // stores it (cancelDisabled()).
    // The weeks holding scheduled periods of the event (event mode, a stored event).
    std::vector<int> scheduledWeeks() const;
    // Unschedules the event in `week` (0: every week), after the event's lock question.
    bool eraseScheduled(int week = 0);
    // The Erase button: with periods scheduled in more than one week the user picks the week.
    bool erase();
    // Removes the weekly periods with the schedule, after a confirmation.
    bool eraseWeeklyPeriods();
    // "Erase periods one by one": the latest allocated period goes (with its slot when every
    // period of that week is scheduled), PLANNED drops by one and the lock is taken off (after
    // the lock question).
    bool erasePeriodOneByOne();
    bool cancelDisabled() const { return m_erased; }

    // ---- Schedule mode: the event's slots, one week at a time --------------------------------
    // The slots are edited in a copy; only saveSchedule() stores them (and, like an erase,
    // disables cancel). In resource mode the grid shows the resource's slots and cannot be edited.
    bool scheduleAvailable() const;
    // Why "Schedule now" is disabled (empty when it is not).
    std::string scheduleHint() const;
    bool scheduling() const { return m_scheduling; }
    bool enterSchedule();
    // Leaves schedule mode; unsaved changes are offered to be saved (Yes saves, No drops them,
    // Cancel stays). False when it stays.
    bool leaveSchedule();
    int scheduleWeek() const { return m_week; }
    void stepScheduleWeek(int delta);
    int scheduleDays() const;
    int scheduleBells() const;
    ScheduleSlot slot(int day, int bell) const;
    // Resources of the event busy in the slot (besides the event itself).
    int busyResources(int day, int bell) const;
    std::string slotHint(int day, int bell) const;
    bool toggleSlot(int day, int bell);
    // Sets (or clears) the event in every free slot of the day, the bell row or the week; the
    // number of slots changed.
    int fillSlots(SlotScope scope, int day, int bell, bool set);
    void copyWeekSchedule();
    bool weekCopied() const { return m_weekCopied; }
    int pasteWeekSchedule();
    int scheduleChanges() const { return m_scheduleChanges; }
    bool saveSchedule();
    void resetSchedule();
    std::string scheduleWeekLabel() const; // "<week> (<n> h)"
    std::string scheduleSideText() const;
    std::string scheduledPanel() const; // "%d periods scheduled"
    std::string freePanel() const;      // "%d free slots available"
    std::string weekStepHint(int delta) const;

    // ---- Category names -----------------------------------------------------------------------
    // Renames category 1..7 of events or resources through an input box; true when renamed.
    bool renameCategory(bool events, int category);

    // ---- Commit and leave -----------------------------------------------------------------
    CommitResult commit();
    // Forgets every edit; the data set is untouched.
    void cancel();
    // Goes to the previous (-1) or next (+1) code of the same kind, cyclically, asking first
    // whether to keep the edits. False when the user's answer ended in an abandoned commit.
    bool step(int direction);

private:
    void load(CodeId c, int newCategory);
    void loadSchedule();
    bool scheduledAt(const OccupancyMap &map, int week, int day, int bell) const;
    void setSlot(int week, int day, int bell, bool on);
    void rebuildRight();
    bool eraseWeeks(int week, bool allocations);
    bool selectable(CodeId other, UnselectableCode *why) const;
    std::vector<CodeId> otherKindCodes() const;
    bool acceptCode(std::string &text);
    std::string kindWord() const { return eventMode() ? "event" : "resource"; }
    std::string otherWord() const { return eventMode() ? "resource" : "event"; }

    ScheduleData &m_d;
    Prompter &m_p;
    CollectionsMode m_mode;
    CodeId m_code = 0;
    std::string m_codeText, m_nameText;
    int m_category = 1;
    int m_planned = 0;
    bool m_locked = false;
    bool m_changed = false;
    bool m_nameEntered = false;
    bool m_erased = false;
    int m_filter = 0;
    std::vector<CodeId> m_left;
    std::vector<CodeId> m_saved; // what the stored links are
    std::vector<CodeId> m_right;
    std::vector<UnselectableCode> m_unselectable;
    OccupancyMap m_eventMap; // event mode: the event's scheduled slots
    // Schedule mode: the working copy of the slots, what is stored, the resources busy per
    // slot ([(week * MaxDays + day - 1) * MaxBells + bell - 1]), the booked weeks and the
    // allocation per week.
    bool m_scheduling = false;
    int m_week = 1;
    OccupancyMap m_schedule;
    OccupancyMap m_storedSchedule;
    std::vector<std::uint8_t> m_busy;
    std::array<std::uint8_t, WeekTableSize> m_weekBooked{};
    std::array<std::uint8_t, WeekTableSize> m_weekAllocated{};
    int m_scheduleChanges = 0;
    std::array<std::uint32_t, MaxDays + 1> m_weekClip{};
    bool m_weekCopied = false;
    int m_created = 0, m_linked = 0;
    int m_insertAt = 0;
    int m_commits = 0;
    std::string m_storedCode;
};

} // namespace quivra
