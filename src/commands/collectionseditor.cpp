#include "commands/collectionseditor.h"

#include "commands/codelistrow.h"
#include "commands/collectionlists.h"
#include "commands/eventtools.h"
#include "engine/calendar.h"
#include "engine/clearing.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "engine/recount.h"
#include "engine/seats.h"
#include "engine/textutil.h"
#include "engine/totals.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <sstream>

namespace quivra {

namespace {

// The message `pattern` with each "{}" replaced by the next argument, in order.
template <typename... Args> std::string fill(std::string_view pattern, const Args &...args)
{
    std::ostringstream out;
    std::size_t at = 0;
    auto one = [&](const auto &arg) {
        const std::size_t hole = pattern.find("{}", at);
        if (hole == std::string_view::npos)
            return;
        out << pattern.substr(at, hole - at) << arg;
        at = hole + 2;
    };
    (one(args), ...);
    out << pattern.substr(at);
    return out.str();
}

constexpr std::size_t MaxUnselectable = 2047;

std::uint16_t categoryBit(int category)
{
    return static_cast<std::uint16_t>(1u << (CategoryShift + category - 1));
}

bool contains(const std::vector<CodeId> &list, CodeId c)
{
    return std::find(list.begin(), list.end(), c) != list.end();
}

// The events whose collection holds resource r, in event list order.
std::vector<CodeId> eventsUsing(const ScheduleData &d, CodeId r)
{
    std::vector<CodeId> out;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const CodeId e = d.eventList[static_cast<std::size_t>(i)];
        if (positionInList(r, collectionOf(d, e)) > 0)
            out.push_back(e);
    }
    return out;
}

// Brings event e's weekly periods down to `planned` at most, the latest weeks first and never
// below what is scheduled there (a single week's PLANNED can go down to its SCHEDULED).
void lowerAllocation(ScheduleData &d, CodeId e, int planned)
{
    if (d.codes[e].allocated <= planned)
        return;
    WeekAllocation wa;
    reloadWeekAllocation(d, e, wa);
    int excess = d.codes[e].allocated - planned;
    for (int w = WeekTableSize - 1; w >= 1 && excess > 0; --w) {
        auto &a = wa.allocated[static_cast<std::size_t>(w)];
        const int spare = a - wa.scheduled[static_cast<std::size_t>(w)];
        const int cut = std::clamp(spare, 0, excess);
        a = static_cast<std::uint8_t>(a - cut);
        excess -= cut;
    }
    storeWeekAllocation(d, e, wa);
}

std::size_t busyIndex(int week, int day, int bell)
{
    return static_cast<std::size_t>((week * MaxDays + day - 1) * MaxBells + bell - 1);
}

// The text of a slot: its date when weeks are dated and one day long, else the week, then the
// day and the bell.
std::string slotText(const ScheduleData &d, int week, int day, int bell)
{
    const std::string when = weekLength(d, week) == 1 && weeksDated(d)
                                 ? formatShortDate(weekDate(d, week) + day - 1)
                                 : formatWeek(d, week, 3);
    return when + "  " + formatBellRange(d, day, bell, 1, 3);
}

} // namespace

std::string collectionsLine(const ScheduleData &d, CodeId c, int row, bool allFields)
{
    if (!validCode(d, c))
        return {};
    const CodeKind kind = d.codes[c].isEvent() ? CodeKind::Event : CodeKind::Resource;
    std::vector<ListField> fields = {ListField::Number, ListField::Code, ListField::Name,
                                     ListField::Category, ListField::Links};
    if (allFields)
        fields = codeListFields(d, kind);
    std::string line;
    for (const ListField f : fields) {
        if (f == ListField::Left || f == ListField::Seats)
            continue;
        const std::string cell = codeListCell(d, c, row, f);
        if (cell.empty())
            continue;
        line += line.empty() ? cell : "  " + cell;
    }
    return line;
}

CollectionsEditor::CollectionsEditor(ScheduleData &d, Prompter &p, CollectionsMode mode, CodeId c,
                                     int newCategory)
    : m_d(d), m_p(p),
      m_mode(validCode(d, c) && d.codes[c].isEvent() ? CollectionsMode::Event : mode)
{
    load(validCode(d, c) ? c : 0, newCategory);
}

void CollectionsEditor::load(CodeId c, int newCategory)
{
    m_code = c;
    m_changed = false;
    m_nameEntered = false;
    m_filter = 0;
    if (c != 0) {
        const CodeRecord &r = m_d.codes[c];
        m_codeText = r.code.str();
        m_nameText = r.name.str();
        m_category = std::max(1, categoryOf(m_d, c));
        m_planned = r.planned;
        m_locked = eventMode() && (r.flags & LockedBit);
        m_saved = eventMode() ? membersOf(m_d, c) : eventsUsing(m_d, c);
    } else {
        const int number = (eventMode() ? m_d.eventList[0] : m_d.resourceList[0]) + 1;
        m_codeText = fill("{}_#{}", eventMode() ? "Event" : "Resource", number);
        m_nameText = fill("Enter a name for \"{}\"", m_codeText);
        m_category = std::clamp(newCategory, 1, MaxCategories);
        m_planned = eventMode() ? 1 : 0;
        m_locked = false;
        m_saved.clear();
    }
    m_left = m_saved;
    m_eventMap = eventMode() ? occupancyOf(m_d, c) : OccupancyMap{};
    rebuildRight();
    if (m_scheduling && !scheduleAvailable())
        m_scheduling = false;
    if (m_scheduling)
        loadSchedule();
}

// ---- Fields ---------------------------------------------------------------------------------

void CollectionsEditor::setCodeText(std::string_view text)
{
    std::string cut(text.substr(0, CodeLength));
    if (cut != m_codeText) {
        m_codeText = std::move(cut);
        m_changed = true;
    }
}

void CollectionsEditor::setNameText(std::string_view text)
{
    std::string cut(text.substr(0, NameLength));
    if (cut != m_nameText) {
        m_nameText = std::move(cut);
        m_changed = true;
    }
}

void CollectionsEditor::setCategory(int category)
{
    if (category >= 1 && category <= MaxCategories && category != m_category) {
        m_category = category;
        m_changed = true;
        rebuildRight();
    }
}

std::string CollectionsEditor::nameCompletion(std::string_view typed) const
{
    if (typed.size() <= 3)
        return {};
    for (int k = 1; k <= m_d.codeCount; ++k) {
        const auto c = static_cast<CodeId>(k);
        const CodeRecord &r = m_d.codes[c];
        if (c == m_code || r.isEvent() != eventMode() || r.code.view() == " ")
            continue;
        if (r.name.view().size() > typed.size() && r.name.view().starts_with(typed))
            return r.name.str();
    }
    return {};
}

void CollectionsEditor::enterNameField()
{
    if (m_code != 0 || m_nameEntered)
        return;
    m_nameEntered = true;
    m_nameText = m_codeText;
    if (m_d.modified && (m_d.codeCount + 1) % 200 == 0)
        m_p.infoDlg("You have added some new codes.\nPlease remember to save your data regularly "
                    "on disk.");
}

int CollectionsEditor::plannedMinimum() const
{
    if (!eventMode() || m_code == 0)
        return eventMode() ? 1 : 0;
    const CodeRecord &r = m_d.codes[m_code];
    const int weeks = m_d.calendarRange.endWeek;
    return std::max(1, weeks <= 1 ? int{r.scheduled} : int{r.allocated});
}

int CollectionsEditor::plannedMaximum() const
{
    const SlotCoding &c = m_d.coding;
    return std::max(1, c.weekLimit * c.dayLimit * c.bellLimit);
}

bool CollectionsEditor::setPlanned(int value)
{
    if (!eventMode())
        return false;
    if (value < plannedMinimum()) {
        const CodeRecord &r = m_d.codes[m_code];
        if (value >= 1 && m_d.calendarRange.endWeek > 1)
            m_p.warnDlg(fill("You cannot enter here a number smaller than the number of "
                             "already allocated ({}) or scheduled ({}) periods.\n"
                             "Right-click to show selections to erase or reduce these "
                             "periods first.",
                             r.allocated, r.scheduled));
        value = plannedMinimum();
    }
    value = std::min(value, plannedMaximum());
    if (value != m_planned) {
        m_planned = value;
        m_changed = true;
    }
    return value == m_planned;
}

void CollectionsEditor::setLocked(bool on)
{
    if (eventMode() && on != m_locked) {
        m_locked = on;
        m_changed = true;
    }
}

// ---- Lists ----------------------------------------------------------------------------------

std::vector<CodeId> CollectionsEditor::otherKindCodes() const
{
    const auto &list = eventMode() ? m_d.resourceList : m_d.eventList;
    return {list.begin() + 1, list.begin() + 1 + list[0]};
}

bool CollectionsEditor::selectable(CodeId other, UnselectableCode *why) const
{
    // A code already linked in the data set shares its slots with this one by that very link.
    if (contains(m_saved, other))
        return true;
    OccupancyMap eventMap, resourceMap;
    if (eventMode()) {
        if (m_code == 0 || m_d.codes[m_code].scheduled == 0)
            return true;
        resourceMap = occupancyOf(m_d, other);
        eventMap = m_eventMap;
    } else {
        if (m_code == 0 || (m_d.codes[m_code].flags & NoTimetableBit))
            return true;
        eventMap = occupancyOf(m_d, other);
        resourceMap = occupancyOf(m_d, m_code);
    }
    int shared = 0;
    const CellPos first = findFirstConflict(eventMap, resourceMap, 1, &shared);
    if (!first)
        return true;
    if (why != nullptr)
        *why = {other, first, shared};
    return false;
}

void CollectionsEditor::rebuildRight()
{
    m_right.clear();
    m_unselectable.clear();
    for (const CodeId c : otherKindCodes()) {
        if (contains(m_left, c) || (m_filter != 0 && categoryOf(m_d, c) != m_filter))
            continue;
        UnselectableCode why;
        if (selectable(c, &why))
            m_right.push_back(c);
        else if (m_unselectable.size() < MaxUnselectable)
            m_unselectable.push_back(why);
    }
}

void CollectionsEditor::setFilter(int category)
{
    m_filter = std::clamp(category, 0, MaxCategories);
    rebuildRight();
}

int CollectionsEditor::add(const std::vector<CodeId> &codes, std::size_t position)
{
    position = std::min(position, m_left.size());
    int added = 0;
    for (const CodeId c : codes) {
        if (!contains(m_right, c) || contains(m_left, c))
            continue;
        if (eventMode() && m_left.size() >= MaxMembers)
            break;
        if (!selectable(c, nullptr))
            continue;
        if (eventMode())
            m_left.insert(m_left.begin() + static_cast<std::ptrdiff_t>(position++), c);
        else
            m_left.push_back(c);
        ++added;
    }
    if (added > 0) {
        if (!eventMode()) {
            // Keep the events in event list order.
            std::vector<CodeId> ordered;
            for (const CodeId e : otherKindCodes())
                if (contains(m_left, e))
                    ordered.push_back(e);
            m_left = std::move(ordered);
        }
        m_linked += added;
        m_changed = true;
        rebuildRight();
    }
    return added;
}

int CollectionsEditor::remove(const std::vector<CodeId> &codes)
{
    const auto before = m_left.size();
    std::erase_if(m_left, [&](CodeId c) { return contains(codes, c); });
    const int removed = static_cast<int>(before - m_left.size());
    if (removed > 0) {
        m_changed = true;
        rebuildRight();
    }
    return removed;
}

bool CollectionsEditor::swap(std::size_t index, CodeId by)
{
    if (index >= m_left.size() || !contains(m_right, by) || !selectable(by, nullptr))
        return false;
    m_left[index] = by;
    m_changed = true;
    rebuildRight();
    return true;
}

void CollectionsEditor::clearAll()
{
    if (m_left.empty())
        return;
    m_left.clear();
    m_changed = true;
    rebuildRight();
}

void CollectionsEditor::sort()
{
    if (!eventMode())
        return;
    auto sorted = m_left;
    std::erase_if(sorted, [&](CodeId c) { return !validCode(m_d, c); });
    std::stable_sort(sorted.begin(), sorted.end(), [&](CodeId a, CodeId b) {
        const CodeRecord &x = m_d.codes[a];
        const CodeRecord &y = m_d.codes[b];
        if (x.flags != y.flags)
            return x.flags < y.flags;
        return x.code.str() < y.code.str();
    });
    if (sorted != m_left) {
        m_left = std::move(sorted);
        m_changed = true;
    }
}

bool CollectionsEditor::moveUp(std::size_t index)
{
    if (!eventMode() || index == 0 || index >= m_left.size())
        return false;
    std::swap(m_left[index - 1], m_left[index]);
    m_changed = true;
    return true;
}

bool CollectionsEditor::moveDown(std::size_t index)
{
    return index + 1 < m_left.size() && moveUp(index + 1);
}

std::string CollectionsEditor::copy(const std::vector<CodeId> &codes)
{
    std::string text;
    int n = 0;
    for (const CodeId c : m_left) {
        if (!contains(codes, c))
            continue;
        const CodeRecord &r = m_d.codes[c];
        text += fill("{}\t{}\t{}", r.code.str(), r.name.str(), categoryOf(m_d, c));
        if (!eventMode())
            text += fill("\t{}", r.planned);
        text += "\r\n";
        ++n;
    }
    if (eventMode())
        m_p.infoDlg(fill("{} resource(s) of this event were copied to the Clipboard.\n\n"
                         "You can now select another event and paste them to it.",
                         n),
                    0, 1040);
    else
        m_p.infoDlg(fill("{} event(s) of this resource were copied to the Clipboard.\n\n"
                         "You can now select another resource and paste them to it.",
                         n),
                    0, 1040);
    return text;
}

std::string CollectionsEditor::cut(const std::vector<CodeId> &codes)
{
    std::string text = copy(codes);
    remove(codes);
    return text;
}

int CollectionsEditor::paste(std::string_view text)
{
    std::vector<CodeId> found;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const std::string field = trim(line.substr(0, line.find('\t')));
        if (field.empty())
            continue;
        const CodeId c = findCode(m_d, field);
        if (c == 0 || m_d.codes[c].isEvent() == eventMode() || contains(m_left, c) ||
            contains(found, c))
            continue;
        found.push_back(c);
        if (found.size() >= MaxMembers)
            break;
    }
    const int added = add(found);
    m_p.infoDlg(fill("{} of {} {}(s) were added to this {} from the Clipboard.", added,
                     found.size(), otherWord(), kindWord()));
    return added;
}

// ---- Texts ----------------------------------------------------------------------------------

std::string CollectionsEditor::caption() const
{
    if (m_code == 0)
        return fill("Create a new {} ({}% of codes left)", kindWord(),
                    100 - 100 * m_d.codeCount / MaxCodes);
    return fill("Edit {} \"{} {}\" ?", kindWord(), m_d.codes[m_code].code.str(),
                m_d.codes[m_code].name.str());
}

std::string CollectionsEditor::leftTitle() const
{
    if (eventMode())
        return m_left.empty() ? "This event does not have any resources"
                              : fill("Resources of this event ({}):", m_left.size());
    return m_left.empty() ? fill("None of the {} events use this resource", int{m_d.eventList[0]})
                          : fill("Events using this resource ({}):", m_left.size());
}

std::string CollectionsEditor::rightTitle() const
{
    const std::size_t all = otherKindCodes().size();
    if (!m_unselectable.empty())
        return fill("Why {} out of {} {}s are unselectable?", m_unselectable.size(), all,
                    otherWord());
    return fill("All selectable {}s ({} out of {}):", otherWord(), m_right.size(), all);
}

std::string CollectionsEditor::leftHint() const
{
    if (!m_left.empty())
        return {};
    std::string hint = eventMode() ? "This event does not have any resources yet"
                                   : "This resource is not attached to any events yet";
    if (!m_right.empty())
        hint += " - click the [Add] button to add one";
    return hint;
}

std::string CollectionsEditor::rightHint() const
{
    if (eventMode() && m_left.size() >= MaxMembers)
        return fill("The resource list is full (maximum is {})", MaxMembers);
    if (!m_unselectable.empty())
        return fill("Click the [Conflicts] button to see why {} out of {} {}s are "
                    "unselectable.",
                    m_unselectable.size(), otherKindCodes().size(), otherWord());
    if (!m_right.empty())
        return {};
    std::string hint = eventMode() ? "No resources available" : "No events available";
    if (otherKindCodes().empty())
        hint += eventMode() ? " - create resources in Resources view"
                            : " - create events in Events view";
    return hint;
}

std::optional<SeatsPanel> CollectionsEditor::seatsPanel() const
{
    if (!eventMode())
        return std::nullopt;
    bool tagged = false;
    int all = 0, capacity = 0;
    for (const CodeId c : m_left) {
        if (!validCode(m_d, c))
            continue;
        tagged = tagged || m_d.codes[c].name.view().find('#') != std::string_view::npos;
        all += seats(m_d, c);
        capacity += seats(m_d, c, m_d.roomsCategory);
    }
    if (!tagged)
        return std::nullopt;
    const int required = all - capacity;
    SeatsPanel panel;
    panel.extra = capacity - required;
    panel.text = fill("SEATS {}{}", panel.extra > 0 ? "+" : "", panel.extra);
    panel.hint = panel.extra < 0 ? fill("This event requires {} more seats", -panel.extra)
                                 : fill("This event has {} extra seats", panel.extra);
    if (capacity > 0)
        panel.hint += fill(" (room capacity ={} seats, required ={} seats)", capacity, required);
    return panel;
}

bool CollectionsEditor::nothingToLink() const
{
    return otherKindCodes().empty();
}

std::string CollectionsEditor::infoLine() const
{
    if (nothingToLink())
        return "You should first create at least one resource and event to be able to connect "
               "them.";
    const int events = eventMode() ? m_created : 0;
    const int resources = eventMode() ? 0 : m_created;
    return fill("{} events, {} resources and {} connections created.", events, resources, m_linked);
}

// ---- Erase ----------------------------------------------------------------------------------

std::vector<int> CollectionsEditor::scheduledWeeks() const
{
    std::vector<int> weeks;
    if (!eventMode() || m_code == 0)
        return weeks;
    WeekAllocation wa;
    loadWeekAllocation(m_d, m_code, wa);
    for (int w = 1; w < WeekTableSize; ++w)
        if (wa.scheduled[static_cast<std::size_t>(w)] > 0)
            weeks.push_back(w);
    return weeks;
}

bool CollectionsEditor::eraseWeeks(int week, bool allocations)
{
    if (!eventMode() || m_code == 0 || !askToUnlock(m_d, m_p, m_code))
        return false;
    WeekAllocation wa;
    loadWeekAllocation(m_d, m_code, wa);
    const int first = wa.firstWeek, last = wa.lastWeek;
    clearWeeks(m_d, wa, week, {.allocations = allocations, .placements = true});
    storeWeekAllocation(m_d, m_code, wa);
    if (first >= 1 && last >= first)
        validityCleanup(m_d, first, last);
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    // The lock question may have unlocked it; the stored slots are gone from the conflicts.
    m_locked = isLockedCode(m_d, m_code);
    m_eventMap = occupancyOf(m_d, m_code);
    m_erased = true;
    rebuildRight();
    return true;
}

bool CollectionsEditor::eraseScheduled(int week)
{
    if (scheduledWeeks().empty())
        return false;
    return eraseWeeks(week, false);
}

bool CollectionsEditor::erase()
{
    const std::vector<int> weeks = scheduledWeeks();
    if (weeks.empty())
        return false;
    if (weeks.size() == 1)
        return eraseScheduled(weeks.front());
    std::bitset<WeekTableSize> chosen;
    for (const int w : weeks)
        chosen.set(static_cast<std::size_t>(w));
    if (m_p.pickWeek(m_d, weeks.front(), "Select the week(s) to erase scheduled periods from:",
                     weeks.back(), weeks.front(), &chosen) <= 0)
        return false;
    // One lock question for them all: the first week asks it, the others follow.
    bool erased = false;
    for (const int w : weeks) {
        if (!chosen.test(static_cast<std::size_t>(w)))
            continue;
        if (!eraseWeeks(w, false))
            break;
        erased = true;
    }
    return erased;
}

bool CollectionsEditor::eraseWeeklyPeriods()
{
    if (!eventMode() || m_code == 0)
        return false;
    const CodeRecord &r = m_d.codes[m_code];
    if (r.allocated == 0 && r.scheduled == 0)
        return false;
    if (!m_p.sureDlg("to remove all periods of this event"))
        return false;
    return eraseWeeks(0, true);
}

bool CollectionsEditor::erasePeriodOneByOne()
{
    if (!eventMode() || m_code == 0 || m_d.codes[m_code].allocated == 0 ||
        !askToUnlock(m_d, m_p, m_code))
        return false;
    WeekAllocation wa;
    reloadWeekAllocation(m_d, m_code, wa);
    int week = 0;
    for (int w = WeekTableSize - 1; w >= 1 && week == 0; --w)
        if (wa.allocated[static_cast<std::size_t>(w)] > 0)
            week = w;
    if (week == 0)
        return false;
    const auto at = static_cast<std::size_t>(week);
    if (wa.scheduled[at] >= wa.allocated[at]) {
        // Every period of the week is scheduled: its latest slot goes with it.
        const std::uint16_t own = ownWord(m_d, m_code);
        rebuildTimetable(
            m_d, wa, 0,
            [&](std::uint16_t word, std::int16_t, OccupancyMap &cells) {
                if (word != own)
                    return;
                for (int day = MaxDays; day >= 1; --day) {
                    std::uint32_t &mask = cells.maskRef(week, day);
                    if (mask != 0) {
                        mask &= ~(1u << (std::bit_width(mask) - 1));
                        return;
                    }
                }
            },
            true);
    }
    wa.allocated[at] = static_cast<std::uint8_t>(wa.allocated[at] - 1);
    const int planned = m_d.codes[m_code].planned;
    if (storeWeekAllocation(m_d, m_code, wa) == 0 && m_d.codes[m_code].allocated > 0)
        return false;
    setCodePlanned(m_d, m_code, planned - 1);
    validityCleanup(m_d, week, week);
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    m_planned = m_d.codes[m_code].planned;
    m_locked = isLockedCode(m_d, m_code);
    m_eventMap = occupancyOf(m_d, m_code);
    m_erased = true;
    rebuildRight();
    if (m_scheduling)
        loadSchedule();
    return true;
}

// ---- Schedule mode --------------------------------------------------------------------------

bool CollectionsEditor::scheduleAvailable() const
{
    if (m_code == 0)
        return false;
    if (!eventMode())
        return true;
    return !membersOf(m_d, m_code).empty() && !isLockedCode(m_d, m_code);
}

std::string CollectionsEditor::scheduleHint() const
{
    if (!eventMode())
        return "Click here to view the schedule";
    if (scheduleAvailable())
        return {};
    return "Scheduling this event now requires that\n- it is saved with [OK]\n- it has at least "
           "one resource,\n- it is not locked";
}

bool CollectionsEditor::enterSchedule()
{
    if (!scheduleAvailable())
        return false;
    m_scheduling = true;
    m_week = std::clamp(m_d.currentWeek, 1, std::max(1, usedWeeks(m_d)));
    loadSchedule();
    return true;
}

void CollectionsEditor::loadSchedule()
{
    m_scheduleChanges = 0;
    m_storedSchedule = occupancyOf(m_d, m_code);
    m_busy.assign(busyIndex(WeekTableSize, 1, 1), 0);
    m_weekBooked.fill(0);
    m_weekAllocated.fill(0);
    if (eventMode()) {
        // The event's own periods only: its bookings stay as they are and block their slots.
        WeekAllocation wa;
        reloadWeekAllocation(m_d, m_code, wa);
        m_weekBooked = wa.booked;
        m_weekAllocated = wa.allocated;
        m_storedSchedule.reset(m_d);
        const std::uint16_t own = ownWord(m_d, m_code);
        for (const LectureView &v : wa.timetable)
            if (v.word == own && validTimetableLecture(m_d, v))
                for (int w = v.startWeek; w <= v.endWeek; ++w)
                    for (int day = v.startDay; day <= v.endDay; ++day)
                        m_storedSchedule.add(w, day, bellMask(v.startBell, v.endBell));
        const OccupancyMap own_ = occupancyOf(m_d, m_code);
        for (const CodeId r : membersOf(m_d, m_code)) {
            if (!validCode(m_d, r) || (m_d.codes[r].flags & NoTimetableBit))
                continue;
            const OccupancyMap busy = occupancyOf(m_d, r);
            for (int w = 1; w <= usedWeeks(m_d); ++w)
                for (int day = 1; day <= scheduleDays(); ++day) {
                    // The event's own slots keep the resource busy only through the event.
                    const std::uint32_t mask = busy.mask(w, day) & ~m_storedSchedule.mask(w, day);
                    for (int bell = 1; bell <= scheduleBells(); ++bell)
                        if (mask & (1u << (bell - 1)))
                            ++m_busy[busyIndex(w, day, bell)];
                }
        }
        // Slots the event itself has booked block it too.
        for (int w = 1; w <= usedWeeks(m_d); ++w)
            for (int day = 1; day <= scheduleDays(); ++day) {
                const std::uint32_t mask = own_.mask(w, day) & ~m_storedSchedule.mask(w, day);
                for (int bell = 1; bell <= scheduleBells(); ++bell)
                    if (mask & (1u << (bell - 1)))
                        ++m_busy[busyIndex(w, day, bell)];
            }
    }
    m_schedule = m_storedSchedule;
}

int CollectionsEditor::scheduleDays() const
{
    return std::clamp(usedDays(m_d), 1, MaxDays);
}

int CollectionsEditor::scheduleBells() const
{
    return std::clamp(usedBells(m_d), 1, MaxBells);
}

void CollectionsEditor::stepScheduleWeek(int delta)
{
    m_week = std::clamp(m_week + delta, 1, std::max(1, usedWeeks(m_d)));
}

bool CollectionsEditor::scheduledAt(const OccupancyMap &map, int week, int day, int bell) const
{
    return week >= 1 && week < WeekTableSize && day >= 1 && day <= MaxDays && bell >= 1 &&
           bell <= MaxBells && (map.mask(week, day) & (1u << (bell - 1))) != 0;
}

ScheduleSlot CollectionsEditor::slot(int day, int bell) const
{
    if (scheduledAt(m_schedule, m_week, day, bell))
        return ScheduleSlot::Scheduled;
    if (!eventMode())
        return ScheduleSlot::Free;
    if (m_weekBooked[static_cast<std::size_t>(m_week)] != 0 || busyResources(day, bell) > 0)
        return ScheduleSlot::Blocked;
    return ScheduleSlot::Free;
}

int CollectionsEditor::busyResources(int day, int bell) const
{
    if (m_busy.empty() || day < 1 || day > MaxDays || bell < 1 || bell > MaxBells)
        return 0;
    return m_busy[busyIndex(m_week, day, bell)];
}

std::string CollectionsEditor::slotHint(int day, int bell) const
{
    if (!eventMode())
        return "You cannot edit schedules in Resources view";
    const std::string code = m_d.codes[m_code].code.str();
    const std::string where = slotText(m_d, m_week, day, bell);
    switch (slot(day, bell)) {
    case ScheduleSlot::Scheduled:
        return fill("[Double-click] to unschedule the event \"{}\" from {}", code, where);
    case ScheduleSlot::Free:
        return fill("[Double-click] to schedule the event \"{}\" in {}", code, where);
    case ScheduleSlot::Blocked:
        break;
    }
    return fill("You cannot schedule the event \"{}\" in {} due to conflicts or bookings", code,
                where);
}

void CollectionsEditor::setSlot(int week, int day, int bell, bool on)
{
    std::uint32_t &mask = m_schedule.maskRef(week, day);
    const std::uint32_t bit = 1u << (bell - 1);
    const bool stored = scheduledAt(m_storedSchedule, week, day, bell);
    const bool was = (mask & bit) != 0;
    if (was == on)
        return;
    if (on)
        m_schedule.add(week, day, bit);
    else
        mask &= ~bit;
    // A slot put back as it is stored is no change any more.
    m_scheduleChanges += on == stored ? -1 : 1;
}

bool CollectionsEditor::toggleSlot(int day, int bell)
{
    if (!m_scheduling || !eventMode() || day < 1 || day > scheduleDays() || bell < 1 ||
        bell > scheduleBells())
        return false;
    const ScheduleSlot now = slot(day, bell);
    if (now == ScheduleSlot::Blocked)
        return false;
    setSlot(m_week, day, bell, now == ScheduleSlot::Free);
    return true;
}

int CollectionsEditor::fillSlots(SlotScope scope, int day, int bell, bool set)
{
    if (!m_scheduling || !eventMode())
        return 0;
    int changed = 0;
    for (int dd = 1; dd <= scheduleDays(); ++dd) {
        if (scope == SlotScope::Day && dd != day)
            continue;
        for (int b = 1; b <= scheduleBells(); ++b) {
            if (scope == SlotScope::Row && b != bell)
                continue;
            const ScheduleSlot now = slot(dd, b);
            if ((set && now == ScheduleSlot::Free) || (!set && now == ScheduleSlot::Scheduled)) {
                setSlot(m_week, dd, b, set);
                ++changed;
            }
        }
    }
    return changed;
}

void CollectionsEditor::copyWeekSchedule()
{
    for (int day = 1; day <= MaxDays; ++day)
        m_weekClip[static_cast<std::size_t>(day)] = m_schedule.mask(m_week, day);
    m_weekCopied = true;
}

int CollectionsEditor::pasteWeekSchedule()
{
    if (!m_weekCopied || !m_scheduling || !eventMode())
        return 0;
    int changed = 0;
    for (int day = 1; day <= scheduleDays(); ++day)
        for (int bell = 1; bell <= scheduleBells(); ++bell)
            if ((m_weekClip[static_cast<std::size_t>(day)] & (1u << (bell - 1))) &&
                slot(day, bell) == ScheduleSlot::Free) {
                setSlot(m_week, day, bell, true);
                ++changed;
            }
    return changed;
}

bool CollectionsEditor::saveSchedule()
{
    if (!m_scheduling || !eventMode() || m_scheduleChanges == 0 || !askToUnlock(m_d, m_p, m_code))
        return false;
    WeekAllocation wa;
    reloadWeekAllocation(m_d, m_code, wa);
    const std::uint16_t own = ownWord(m_d, m_code);
    const int weeks = std::max(1, usedWeeks(m_d));
    rebuildTimetable(
        m_d, wa, own,
        [&](std::uint16_t word, std::int16_t, OccupancyMap &cells) {
            if (word != own)
                return;
            for (int w = 1; w <= weeks; ++w)
                for (int day = 1; day <= MaxDays; ++day) {
                    cells.maskRef(w, day) = 0;
                    if (const std::uint32_t mask = m_schedule.mask(w, day); mask != 0)
                        cells.add(w, day, mask);
                }
        },
        true);
    // Every scheduled period needs its place in the week's allocation.
    for (int w = 1; w < WeekTableSize; ++w) {
        auto &a = wa.allocated[static_cast<std::size_t>(w)];
        a = std::max(a, wa.scheduled[static_cast<std::size_t>(w)]);
    }
    if (storeWeekAllocation(m_d, m_code, wa) == 0 && !wa.timetable.empty()) {
        m_p.warnDlg("The lecture store is full: the schedule could not be saved.");
        return false;
    }
    validityCleanup(m_d, 1, weeks);
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    m_planned = std::max<int>(m_planned, m_d.codes[m_code].planned);
    m_eventMap = occupancyOf(m_d, m_code);
    m_erased = true;
    rebuildRight();
    loadSchedule();
    return true;
}

void CollectionsEditor::resetSchedule()
{
    m_schedule = m_storedSchedule;
    m_scheduleChanges = 0;
}

bool CollectionsEditor::leaveSchedule()
{
    if (!m_scheduling)
        return true;
    if (m_scheduleChanges > 0) {
        const int answer = m_p.yesNoCancelDlg(
            fill("Do you want to save these {} schedule change(s)?", m_scheduleChanges), 0, 1805);
        if (answer == Answer::Cancel)
            return false;
        if (answer == Answer::Yes && !saveSchedule())
            return false;
        resetSchedule();
    }
    m_scheduling = false;
    return true;
}

std::string CollectionsEditor::scheduleWeekLabel() const
{
    int n = 0;
    for (int day = 1; day <= scheduleDays(); ++day)
        n += std::popcount(m_schedule.mask(m_week, day));
    return fill("{} ({} h)", formatWeek(m_d, m_week, 3), n);
}

std::string CollectionsEditor::scheduleSideText() const
{
    if (!eventMode())
        return "(View schedule mode)";
    const CodeRecord &r = m_d.codes[m_code];
    int week = 0;
    for (int day = 1; day <= scheduleDays(); ++day)
        week += std::popcount(m_schedule.mask(m_week, day));
    std::string text = fill("Scheduled periods of \"{}\":\nPLANNED={}\nALLOCATED={}\n"
                            "SCHEDULED={}\n- {} period(s) in this week",
                            r.code.str(), m_planned, r.allocated, r.scheduled, week);
    for (int w = 1; w <= usedWeeks(m_d); ++w) {
        int n = 0;
        for (int day = 1; day <= scheduleDays(); ++day)
            n += std::popcount(m_schedule.mask(w, day));
        const int allocated = m_weekAllocated[static_cast<std::size_t>(w)];
        if (n == 0 && allocated == 0)
            continue;
        const DateRange range{weeksDated(m_d), weekDate(m_d, w),
                              weekDate(m_d, w) + weekLength(m_d, w) * 7 - 1};
        text += fill("\n{}: ({} out of {} h) {}{}", w, n, allocated,
                     weeksDated(m_d) ? formatDateRange(m_d, range) : formatWeek(m_d, w, 3),
                     w == m_week ? " <" : "");
    }
    return text;
}

std::string CollectionsEditor::scheduledPanel() const
{
    int n = 0;
    for (int w = 1; w <= usedWeeks(m_d); ++w)
        for (int day = 1; day <= scheduleDays(); ++day)
            n += std::popcount(m_schedule.mask(w, day));
    return fill("{} periods scheduled", n);
}

std::string CollectionsEditor::freePanel() const
{
    int n = 0;
    for (int day = 1; day <= scheduleDays(); ++day)
        for (int bell = 1; bell <= scheduleBells(); ++bell)
            n += slot(day, bell) == ScheduleSlot::Free ? 1 : 0;
    return fill("{} free slots available", n);
}

std::string CollectionsEditor::weekStepHint(int delta) const
{
    const int w = std::clamp(m_week + delta, 1, std::max(1, usedWeeks(m_d)));
    return (delta < 0 ? "Previous week: " : "Next week: ") + formatWeek(m_d, w, 3);
}

// ---- Category names -------------------------------------------------------------------------

bool CollectionsEditor::renameCategory(bool events, int category)
{
    if (category < 1 || category > MaxCategories)
        return false;
    const std::string list((events ? m_d.eventCategories : m_d.resourceCategories).view());
    // Items "L:Name$": the letter stays, the name changes.
    std::vector<std::string> items;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find('$', at), list.size());
        items.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    while (static_cast<int>(items.size()) < category)
        items.emplace_back();
    std::string &item = items[static_cast<std::size_t>(category - 1)];
    const std::size_t colon = item.find(':');
    const std::string prefix = colon == std::string::npos ? "" : item.substr(0, colon + 1);
    const std::string old = colon == std::string::npos ? item : item.substr(colon + 1);
    const auto answer =
        m_p.input("Rename category", fill("Enter a new name for the category \"{}\":", old), old,
                  ListLength, "$:");
    if (!answer || trim(*answer).empty() || trim(*answer) == old)
        return false;
    item = prefix + trim(*answer);
    std::string rebuilt;
    for (const std::string &i : items)
        rebuilt += i + "$";
    if (!setCategoryLists(m_d, events ? rebuilt : m_d.eventCategories.view(),
                          events ? m_d.resourceCategories.view() : rebuilt,
                          m_d.bookingKinds.view())) {
        m_p.warnDlg("The category names are too long together: the name was not changed.");
        return false;
    }
    return true;
}

// ---- Commit ---------------------------------------------------------------------------------

// Asks until the code is one that can be stored: not empty, not the one-space removal marker,
// not another code's. False when the user gives up.
bool CollectionsEditor::acceptCode(std::string &text)
{
    for (;;) {
        text = trim(text);
        std::string problem;
        if (text.empty())
            problem = fill("The code of a {} cannot be empty.", kindWord());
        else if (const CodeId other = findCode(m_d, text, 0, m_code); other != 0)
            problem = fill("Code \"{}\" is already used in\n{} ({})\n - please input "
                           "another code.",
                           text, m_d.codes[other].name.str(), categoryName(m_d, other));
        if (problem.empty())
            return true;
        m_p.warnDlg(problem);
        const auto answer =
            m_p.input("New code", fill("Enter new code for \"{}\":", m_nameText), text, CodeLength);
        if (!answer)
            return false;
        text = *answer;
    }
}

CommitResult CollectionsEditor::commit()
{
    std::string text = m_codeText;
    if (!acceptCode(text))
        return CommitResult::Abandoned;
    if (m_code == 0 && m_d.codeCount >= MaxCodes) {
        m_p.warnDlg(fill("The code table is full ({} codes): the new {} cannot be stored.",
                         MaxCodes, kindWord()));
        return CommitResult::Abandoned;
    }
    // An event without resources loses its weekly periods and its schedule: ask before that.
    if (eventMode() && m_code != 0 && m_left.empty() && !m_saved.empty()) {
        const CodeRecord &r = m_d.codes[m_code];
        if ((r.allocated > 0 || r.scheduled > 0) &&
            !m_p.sureDlg(fill("to remove all resources of \"{}\" and with them its {} allocated "
                              "and {} scheduled period(s)",
                              r.code.str(), r.allocated, r.scheduled)))
            return CommitResult::Abandoned;
    }
    m_codeText = text;

    // Codes are held by their text across the insertion, which may renumber the table.
    std::vector<std::string> linked;
    for (const CodeId c : m_left)
        if (validCode(m_d, c))
            linked.emplace_back(m_d.codes[c].code.str());

    std::uint16_t flags = categoryBit(m_category);
    if (eventMode())
        flags |= static_cast<std::uint16_t>(IsEventBit | (m_locked ? LockedBit : 0));
    else if (m_d.noTimetableMasks[ResourceMasks] & (1u << m_category))
        flags |= NoTimetableBit;

    CodeId c = m_code;
    if (c == 0) {
        CodeRecord record;
        record.code.assign(text);
        record.name.assign(m_nameText);
        record.flags = flags;
        record.planned = static_cast<std::uint16_t>(m_planned);
        const int position = insertCode(m_d, std::clamp(m_insertAt, 0, m_d.codeCount + 1), record);
        if (position == 0) {
            m_p.warnDlg(fill("The new {} \"{}\" could not be stored.", kindWord(), text));
            return CommitResult::Abandoned;
        }
        c = static_cast<CodeId>(position);
        ++m_created;
    } else {
        if (text != m_d.codes[c].code.str())
            renameCode(m_d, m_d.codes[c].code.str(), text);
        setCodeName(m_d, c, m_nameText);
        // The engine's operations change the fields, so the recount and the modified flag
        // follow the one path every command takes.
        if (categoryOf(m_d, c) != m_category)
            setCodesCategory(m_d, {c}, m_category);
        if (eventMode() && isLockedCode(m_d, c) != m_locked)
            setLock(m_d, c, m_locked ? LockMode::Lock : LockMode::Unlock);
        if (eventMode() && m_d.codes[c].planned != m_planned) {
            lowerAllocation(m_d, c, m_planned);
            setCodePlanned(m_d, c, m_planned);
        }
    }

    std::vector<CodeId> members;
    for (const auto &t : linked)
        if (const CodeId id = findCode(m_d, t); id != 0)
            members.push_back(id);

    int skipped = 0;
    if (eventMode()) {
        if (members != membersOf(m_d, c) && !storeMembers(m_d, c, members)) {
            m_p.warnDlg("The collection list is full: the resources of this event could not be "
                        "stored.");
        }
        if (members.empty())
            removeLecturesOf(m_d, c);
    } else {
        for (int i = 1; i <= m_d.eventList[0]; ++i) {
            const CodeId e = m_d.eventList[static_cast<std::size_t>(i)];
            auto current = membersOf(m_d, e);
            const bool has = contains(current, c);
            const bool wanted = contains(members, e);
            if (has && !wanted) {
                std::erase(current, c);
                storeMembers(m_d, e, current);
            } else if (wanted && !has) {
                if (current.size() >= MaxMembers) {
                    ++skipped;
                    continue;
                }
                current.push_back(c);
                storeMembers(m_d, e, current);
            }
        }
    }
    const std::string code = m_d.codes[c].code.str();
    ++m_commits;
    m_storedCode = code;
    // Only the first new code goes where it was asked; the editor now holds a stored one.
    m_insertAt = 0;
    rebuildLists(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    load(findCode(m_d, code), m_category);

    if (skipped > 0)
        m_p.warnDlg(fill("{} event(s) already have {} resources: the resource was not "
                         "added to them.",
                         skipped, MaxMembers));
    if (eventMode() && m_left.empty() && !otherKindCodes().empty()) {
        const bool now = m_p.yesNoDlg(
            "You should add at least one resource to this event before you can schedule it.\n\n"
            "Select the resource(s) from the box on the right and click the [Add] button.\n\n"
            "Do you want to add them now [Yes] or later [No]?");
        if (now)
            return CommitResult::KeepOpen;
    }
    return CommitResult::Stored;
}

void CollectionsEditor::cancel()
{
    load(m_code, m_category);
}

bool CollectionsEditor::step(int direction)
{
    if (m_changed) {
        if (m_p.yesNoDlg("Do you accept these changes?")) {
            if (commit() != CommitResult::Stored)
                return false;
        } else {
            cancel();
        }
    }
    const int n = m_d.codeCount;
    if (n == 0)
        return true;
    int at = m_code == 0 ? (direction > 0 ? 0 : 1) : m_code;
    for (int k = 0; k < n; ++k) {
        at = (at - 1 + (direction > 0 ? 1 : -1) + n) % n + 1;
        if (m_d.codes[static_cast<std::size_t>(at)].isEvent() == eventMode()) {
            load(static_cast<CodeId>(at), m_category);
            return true;
        }
    }
    return true;
}

} // namespace quivra
