#pragma once

// Bulk schedule: one event gets the same bells on chosen weekdays over a range of weeks (a
// repeating event), or one stretch a week from a first day and bell to a last day and bell (a
// multi-day event). RecurringEvents holds the dialog's controls, recomputes what is free,
// blocked and selected after every change (calculate), answers the grid's cells and hints, and
// schedules or unschedules the event. Only schedule() and unschedule() change the data set.
//
// Over midnight (an end bell before the start bell) a repeating event runs on into the next
// day, and after the last day into the first day of the next week, but never beyond the chosen
// weeks: every period scheduled lies in a week whose allocation the schedule raises.

#include "engine/conflicts.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <array>
#include <memory>
#include <string>

namespace quivra {

constexpr int RecurringHelpTopic = 1205;

enum class RecurCell { Outside, Available, Planned, Blocked, Scheduled };

enum class ScheduleOutcome {
    Unchanged, // declined or nothing to schedule: the dialog stays as it was
    KeepOpen,  // scheduled, and the user wants to schedule more
    Close,     // scheduled, the dialog closes
};

class RecurringEvents
{
public:
    RecurringEvents(ScheduleData &d, Prompter &p, CodeId event);

    const ScheduleData &data() const { return m_d; }
    CodeId event() const { return m_event; }
    std::string caption() const;        // "Schedule "<code> <name>""
    std::string plannedCaption() const; // " PLANNED for the event "%s" "

    // ----- controls (each recomputes)
    bool multiDay = false;
    void setMultiDay(bool on);
    void setDay(int day, bool checked);
    bool dayChecked(int day) const;
    bool dayEnabled(int day) const;
    void setStartBell(int bell); // the end bell follows
    void setEndBell(int bell);
    void setStartWeek(int week); // the end week is raised to it
    void setEndWeek(int week);   // the start week is lowered to it
    int startBell() const { return m_startBell; }
    int endBell() const { return m_endBell; }
    int startWeek() const { return m_startWeek; }
    int endWeek() const { return m_endWeek; }
    std::string weekItem(int week) const; // " " + the week's label

    // ----- what calculate() derives
    void calculate();
    int now() const { return m_now; }
    int available() const { return m_available; }
    int previously() const; // the event's PLANNED
    int weekUnits() const { return m_weekUnits; }
    std::string nowText() const;
    std::string availableText() const;
    std::string previouslyText() const;
    std::string warning() const; // "You are about to schedule %d more periods than planned."
    std::string periodsText() const;
    std::string weeksText() const;
    std::string dateRange() const;
    bool anyDay() const;
    bool canSchedule() const;   // periods are left to schedule and some are selected
    bool canUnschedule() const; // the event has scheduled periods

    // ----- the grid: columns are (week, day) over all weeks
    int columns() const;
    int columnWeek(int column) const; // column >= 1
    int columnDay(int column) const;
    RecurCell cell(int week, int day, int bell) const;
    bool inRange(int week) const;
    std::string cellHint(int week, int day, int bell) const;
    // Double-click: selects or deselects a free cell inside the week range.
    bool toggleCell(int week, int day, int bell);

    // ----- the two commands
    ScheduleOutcome schedule();
    bool unschedule();

private:
    bool booked(int week) const;
    bool blockedCell(int week, int day, int bell) const;
    void select(int week, int day, int first, int last);
    std::string slotLabel(int week, int day, int bell) const;
    std::string code() const;

    ScheduleData &m_d;
    Prompter &m_p;
    CodeId m_event = 0;
    std::array<bool, MaxDays + 1> m_days{};
    int m_startBell = 1, m_endBell = 1;
    int m_startWeek = 1, m_endWeek = 1;
    std::array<std::uint8_t, WeekTableSize> m_booked{};
    std::unique_ptr<OccupancyMap> m_own, m_blocked, m_selected;
    int m_now = 0, m_available = 0, m_weekUnits = 0;
};

} // namespace quivra
