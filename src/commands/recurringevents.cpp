#include "commands/recurringevents.h"

#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/clearing.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/textutil.h"
#include "engine/totals.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <bit>

namespace quivra {

namespace {

bool has(const OccupancyMap &map, int week, int day, int bell)
{
    return week >= 1 && week < WeekTableSize && day >= 1 && day <= MaxDays && bell >= 1 &&
           bell <= MaxBells && (map.mask(week, day) & (1u << (bell - 1)));
}

} // namespace

RecurringEvents::RecurringEvents(ScheduleData &d, Prompter &p, CodeId event)
    : m_d(d), m_p(p), m_event(isEventCode(d, event) ? event : CodeId{0}),
      m_own(std::make_unique<OccupancyMap>()), m_blocked(std::make_unique<OccupancyMap>()),
      m_selected(std::make_unique<OccupancyMap>())
{
    calculate();
}

std::string RecurringEvents::code() const
{
    return validCode(m_d, m_event) ? m_d.codes[m_event].code.str() : std::string();
}

std::string RecurringEvents::caption() const
{
    return fillIn("Schedule \"{}\"", formatCode(m_d, m_event, ShowCodeAndName));
}

std::string RecurringEvents::plannedCaption() const
{
    return fillIn(" PLANNED for the event \"{}\" ", code());
}

void RecurringEvents::setMultiDay(bool on)
{
    multiDay = on;
    calculate();
}

void RecurringEvents::setDay(int day, bool checked)
{
    if (!dayEnabled(day))
        return;
    m_days[static_cast<std::size_t>(day)] = checked;
    calculate();
}

bool RecurringEvents::dayChecked(int day) const
{
    return day >= 1 && day <= MaxDays && m_days[static_cast<std::size_t>(day)];
}

bool RecurringEvents::dayEnabled(int day) const
{
    return day >= 1 && day <= std::min(usedDays(m_d), MaxDays);
}

void RecurringEvents::setStartBell(int bell)
{
    m_startBell = std::clamp(bell, 1, std::max(1, usedBells(m_d)));
    m_endBell = m_startBell;
    calculate();
}

void RecurringEvents::setEndBell(int bell)
{
    m_endBell = std::clamp(bell, 1, std::max(1, usedBells(m_d)));
    calculate();
}

void RecurringEvents::setStartWeek(int week)
{
    m_startWeek = std::clamp(week, 1, std::max(1, usedWeeks(m_d)));
    m_endWeek = std::max(m_endWeek, m_startWeek);
    calculate();
}

void RecurringEvents::setEndWeek(int week)
{
    m_endWeek = std::clamp(week, 1, std::max(1, usedWeeks(m_d)));
    m_startWeek = std::min(m_startWeek, m_endWeek);
    calculate();
}

std::string RecurringEvents::weekItem(int week) const
{
    if (weeksDated(m_d))
        return " " + formatShortDate(weekDate(m_d, week));
    return " " + formatWeek(m_d, week, 7);
}

bool RecurringEvents::booked(int week) const
{
    return week >= 1 && week < WeekTableSize && m_booked[static_cast<std::size_t>(week)] != 0;
}

bool RecurringEvents::inRange(int week) const
{
    return week >= m_startWeek && week <= m_endWeek;
}

bool RecurringEvents::blockedCell(int week, int day, int bell) const
{
    return booked(week) || has(*m_blocked, week, day, bell) || has(*m_own, week, day, bell);
}

void RecurringEvents::select(int week, int day, int first, int last)
{
    if (booked(week) || day < 1 || day > MaxDays)
        return;
    for (int bell = first; bell <= last; ++bell)
        if (!blockedCell(week, day, bell))
            m_selected->add(week, day, 1u << (bell - 1));
}

bool RecurringEvents::anyDay() const
{
    return std::ranges::any_of(m_days, [](bool b) { return b; });
}

void RecurringEvents::calculate()
{
    m_own->reset(m_d);
    m_blocked->reset(m_d);
    m_selected->reset(m_d);
    m_booked.fill(0);
    m_now = m_available = m_weekUnits = 0;
    if (!validCode(m_d, m_event))
        return;
    const int days = std::min(usedDays(m_d), MaxDays);
    const int bells = std::min(usedBells(m_d), MaxBells);
    int first = 0, last = 0;
    for (int day = 1; day <= days; ++day) {
        if (m_days[static_cast<std::size_t>(day)]) {
            first = first == 0 ? day : first;
            last = day;
        }
    }
    if (multiDay && first != 0)
        for (int day = first; day <= last; ++day)
            m_days[static_cast<std::size_t>(day)] = true;

    WeekAllocation wa;
    reloadWeekAllocation(m_d, m_event, wa);
    m_booked = wa.booked;
    for (int w = m_startWeek; w <= m_endWeek; ++w)
        if (!booked(w))
            m_weekUnits += weekLength(m_d, w);
    if (first == 0)
        return;

    expandSchedule(m_d, wa, *m_own, true);
    WeekAllocation work;
    const MemberList members = collectionOf(m_d, m_event);
    for (int i = 1; i <= std::min<int>(members[0], MaxMembers); ++i) {
        const CodeId r = members[static_cast<std::size_t>(i)];
        if (validCode(m_d, r) && !(m_d.codes[r].flags & NoTimetableBit))
            buildOccupancy(m_d, r, *m_blocked, false, work);
    }

    for (int w = m_startWeek; w <= m_endWeek; ++w) {
        if (booked(w))
            continue;
        for (int day = first; day <= last; ++day) {
            if (!m_days[static_cast<std::size_t>(day)])
                continue;
            for (int bell = 1; bell <= bells; ++bell)
                if (!blockedCell(w, day, bell))
                    m_available += weekLength(m_d, w);
        }
    }

    const bool overMidnight = m_endBell < m_startBell;
    for (int w = m_startWeek; w <= m_endWeek; ++w) {
        if (booked(w))
            continue;
        for (int day = first; day <= last; ++day) {
            if (!m_days[static_cast<std::size_t>(day)])
                continue;
            if (multiDay && first < last) {
                // One stretch: from the start bell of the first day to the end bell of the last.
                select(w, day, day == first ? m_startBell : 1, day == last ? m_endBell : bells);
                continue;
            }
            if (!overMidnight) {
                select(w, day, m_startBell, m_endBell);
                continue;
            }
            select(w, day, m_startBell, bells);
            int nextWeek = w, nextDay = day + 1;
            if (nextDay > days) {
                nextDay = 1;
                ++nextWeek;
            }
            // The morning after stays inside the chosen weeks, whose allocations grow.
            if (inRange(nextWeek))
                select(nextWeek, nextDay, 1, m_endBell);
        }
    }

    const CodeRecord &rec = m_d.codes[m_event];
    m_available = std::min(m_available, std::max(0, rec.planned - rec.scheduled));
    for (int w = m_startWeek; w <= m_endWeek; ++w)
        for (int day = 1; day <= days; ++day)
            m_now += std::popcount(m_selected->mask(w, day)) * weekLength(m_d, w);
}

int RecurringEvents::previously() const
{
    return validCode(m_d, m_event) ? m_d.codes[m_event].planned : 0;
}

std::string RecurringEvents::nowText() const
{
    return fillIn("NOW {}", m_now);
}

std::string RecurringEvents::availableText() const
{
    return fillIn("AVAILABLE {}", m_available);
}

std::string RecurringEvents::previouslyText() const
{
    return fillIn("PREVIOUSLY {}", previously());
}

std::string RecurringEvents::warning() const
{
    if (m_now <= previously())
        return {};
    return fillIn("You are about to schedule {} more periods than planned.", m_now - previously());
}

std::string RecurringEvents::periodsText() const
{
    if (m_endBell >= m_startBell)
        return fillIn("{}", m_endBell - m_startBell + 1);
    const int evening = usedBells(m_d) - m_startBell + 1;
    return fillIn("{} ({}+{})", evening + m_endBell, evening, m_endBell);
}

std::string RecurringEvents::weeksText() const
{
    return fillIn("{} ... {} ({})", formatWeek(m_d, m_startWeek, 3), formatWeek(m_d, m_endWeek, 3),
                  m_endWeek - m_startWeek + 1);
}

std::string RecurringEvents::dateRange() const
{
    if (m_endWeek <= m_startWeek || !weeksDated(m_d) || !anyDay())
        return {};
    int first = 0, last = 0;
    for (int day = 1; day <= MaxDays; ++day) {
        if (m_days[static_cast<std::size_t>(day)]) {
            first = first == 0 ? day : first;
            last = day;
        }
    }
    return formatShortDate(weekDate(m_d, m_startWeek) + first - 1) + " ... " +
           formatShortDate(weekDate(m_d, m_endWeek + 1) - 7 + last - 1);
}

bool RecurringEvents::canSchedule() const
{
    return m_available > 0 && m_now > 0;
}

bool RecurringEvents::canUnschedule() const
{
    return validCode(m_d, m_event) && m_d.codes[m_event].scheduled > 0;
}

int RecurringEvents::columns() const
{
    return std::max(0, usedWeeks(m_d)) * std::max(1, usedDays(m_d));
}

int RecurringEvents::columnWeek(int column) const
{
    return (column - 1) / std::max(1, usedDays(m_d)) + 1;
}

int RecurringEvents::columnDay(int column) const
{
    return (column - 1) % std::max(1, usedDays(m_d)) + 1;
}

RecurCell RecurringEvents::cell(int week, int day, int bell) const
{
    if (has(*m_own, week, day, bell))
        return RecurCell::Scheduled;
    if (booked(week) || has(*m_blocked, week, day, bell))
        return RecurCell::Blocked;
    if (has(*m_selected, week, day, bell))
        return RecurCell::Planned;
    return inRange(week) ? RecurCell::Available : RecurCell::Outside;
}

std::string RecurringEvents::slotLabel(int week, int day, int bell) const
{
    const std::string when = weekLength(m_d, week) == 1 && weeksDated(m_d)
                                 ? formatShortDate(weekDate(m_d, week) + day - 1)
                                 : formatWeek(m_d, week, 3);
    return when + "  " + formatBellRange(m_d, day, bell, 1, 3);
}

std::string RecurringEvents::cellHint(int week, int day, int bell) const
{
    if (!inRange(week))
        return fillIn("You cannot schedule the event \"{}\" outside the selected week range.",
                      code());
    const std::string slot = slotLabel(week, day, bell);
    switch (cell(week, day, bell)) {
    case RecurCell::Scheduled:
        return fillIn("You have already scheduled the event \"{}\" in this slot.", code());
    case RecurCell::Blocked: {
        const std::string list = slotConflictText(m_d, m_event, week, day, bell, "\r\n", 1, 1);
        return fillIn("You cannot schedule the event \"{}\" in {}\r\ndue to the following "
                      "conflicts{}",
                      code(), slot, list.empty() ? std::string() : ":\r\n" + list);
    }
    case RecurCell::Planned:
        return fillIn("[Double-click] to unschedule event \"{}\" from {}", code(), slot);
    case RecurCell::Available:
        return fillIn("[Double-click] to schedule event \"{}\" in {}", code(), slot);
    case RecurCell::Outside:
        break;
    }
    return slot;
}

bool RecurringEvents::toggleCell(int week, int day, int bell)
{
    if (!inRange(week) || day < 1 || day > usedDays(m_d) || bell < 1 || bell > usedBells(m_d) ||
        blockedCell(week, day, bell))
        return false;
    const std::uint32_t bit = 1u << (bell - 1);
    if (m_selected->mask(week, day) & bit) {
        m_selected->maskRef(week, day) &= ~bit;
        m_now -= weekLength(m_d, week);
    } else {
        m_selected->add(week, day, bit);
        m_now += weekLength(m_d, week);
    }
    return true;
}

ScheduleOutcome RecurringEvents::schedule()
{
    if (!canSchedule())
        return ScheduleOutcome::Unchanged;
    // The number confirmed is the number of periods the selection schedules.
    if (!m_p.yesNoDlg(fillIn("You are about to schedule {} period(s) of event \"{}\" in {} "
                             "week(s).\r\n\r\nAre you sure you want to do that?",
                             m_now, code(), m_weekUnits),
                      0, RecurringHelpTopic))
        return ScheduleOutcome::Unchanged;

    WeekAllocation wa;
    reloadWeekAllocation(m_d, m_event, wa);
    const auto before = wa.allocated;
    const int days = std::min(usedDays(m_d), MaxDays);
    for (int w = m_startWeek; w <= m_endWeek; ++w) {
        int cells = 0;
        for (int day = 1; day <= days; ++day)
            cells += std::popcount(m_selected->mask(w, day));
        const auto i = static_cast<std::size_t>(w);
        wa.allocated[i] = static_cast<std::uint8_t>(std::min(255, wa.allocated[i] + cells));
    }
    m_selected->owner = ownWord(m_d, m_event);
    m_selected->kind = 0;
    compressSchedule(m_d, *m_selected, wa, false);
    // Periods allocated but not yet placed are used first; none of them is taken away.
    for (int w = m_startWeek; w <= m_endWeek; ++w) {
        const auto i = static_cast<std::size_t>(w);
        wa.allocated[i] = std::max(before[i], wa.scheduled[i]);
    }
    if (storeWeekAllocation(m_d, m_event, wa) == 0) {
        m_p.warnDlg("The lecture store is full: nothing was scheduled.", 0, RecurringHelpTopic);
        return ScheduleOutcome::Unchanged;
    }
    totals(m_d, m_event, m_event, false);
    allResourceTotals(m_d);
    const int scheduled = m_d.codes[m_event].scheduled;
    if (scheduled > 0 &&
        m_p.yesNoDlg(fillIn("You have now scheduled {} periods of the event \"{}\".\r\n\r\n"
                            "Do you want to schedule more?",
                            scheduled, code()),
                     0, RecurringHelpTopic)) {
        calculate();
        return ScheduleOutcome::KeepOpen;
    }
    return ScheduleOutcome::Close;
}

bool RecurringEvents::unschedule()
{
    if (!canUnschedule())
        return false;
    if (!m_p.yesNoDlg(fillIn("Do you want to unschedule event \"{}\"?", code()), 0,
                      RecurringHelpTopic))
        return false;
    WeekAllocation wa;
    reloadWeekAllocation(m_d, m_event, wa);
    ClearParts parts;
    parts.placements = true;
    clearWeeks(m_d, wa, 0, parts);
    if (storeWeekAllocation(m_d, m_event, wa) == 0) {
        m_p.warnDlg("The lecture store is full: nothing was changed.", 0, RecurringHelpTopic);
        return false;
    }
    totals(m_d, m_event, m_event, false);
    allResourceTotals(m_d);
    calculate();
    return true;
}

} // namespace quivra
