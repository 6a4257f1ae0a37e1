#include "commands/modifycollections.h"

#include "commands/collectionlists.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/recount.h"
#include "engine/totals.h"

#include <algorithm>
#include <string_view>

namespace quivra {

namespace {

std::string quoted(const ScheduleData &d, CodeId c)
{
    return "\"" + d.codes[c].code.str() + "\"";
}

std::vector<CodeId> listOf(const std::array<CodeId, CodeTableSize> &list)
{
    return {list.begin() + 1, list.begin() + 1 + list[0]};
}

} // namespace

ModifyCollections::ModifyCollections(ScheduleData &d, Prompter &p, ResourceLimits limits)
    : m_d(d), m_p(p), m_limits(limits)
{}

void ModifyCollections::chooseEvent(CodeId e)
{
    m_event = validCode(m_d, e) && m_d.codes[e].isEvent() ? e : 0;
}

void ModifyCollections::chooseResource(CodeId r)
{
    m_resource = validCode(m_d, r) && !m_d.codes[r].isEvent() ? r : 0;
}

void ModifyCollections::setFirstWeek(int week)
{
    const int weeks = std::max(1, int{m_d.calendarRange.endWeek});
    week = std::clamp(week, 1, weeks);
    if (week == m_firstWeek)
        return;
    m_firstWeek = week;
    if (week > 1)
        m_p.infoDlg("Impossible combinations are now checked only from week \"" +
                    formatWeek(m_d, week, 3) + "\" on and\r\nthose occurring in week(s) \"" +
                    formatWeek(m_d, 1, 3) + "\" ... \"" + formatWeek(m_d, week - 1, 3) +
                    "\" are ignored.");
}

bool ModifyCollections::available(CodeId e, CodeId r) const
{
    if (!validCode(m_d, e) || !validCode(m_d, r) || !m_d.codes[e].isEvent() ||
        m_d.codes[r].isEvent())
        return false;
    const MemberList members = collectionOf(m_d, e);
    if (positionInList(r, members) > 0 || members[0] >= MaxMembers)
        return false;
    // A category limit counts the resource about to join: with the limit reached there is no
    // room left.
    const int limit = m_limits[static_cast<std::size_t>(std::max(0, categoryOf(m_d, e)))];
    if (limit > 0 && members[0] >= limit)
        return false;
    return canJoin(m_d, e, r, true, m_firstWeek);
}

std::vector<CodeId> ModifyCollections::events() const
{
    std::vector<CodeId> out = listOf(m_d.eventList);
    if (m_resource != 0)
        std::erase_if(out, [&](CodeId e) { return available(e, m_resource) == m_impossible; });
    return out;
}

std::vector<CodeId> ModifyCollections::resources() const
{
    std::vector<CodeId> out = listOf(m_d.resourceList);
    if (m_event != 0)
        std::erase_if(out, [&](CodeId r) { return available(m_event, r) == m_impossible; });
    return out;
}

std::string ModifyCollections::eventsTitle() const
{
    const std::string n = std::to_string(events().size());
    if (m_resource == 0)
        return "Events (" + n + "):";
    return std::string(m_impossible ? "Impossible" : "Available") + " events for " +
           quoted(m_d, m_resource) + " (" + n + "):";
}

std::string ModifyCollections::resourcesTitle() const
{
    const std::string n = std::to_string(resources().size());
    if (m_event == 0)
        return "Resources (" + n + "):";
    return std::string(m_impossible ? "Impossible" : "Available") + " resources for " +
           quoted(m_d, m_event) + " (" + n + "):";
}

std::vector<PairSlot> ModifyCollections::pairSlots() const
{
    std::vector<PairSlot> out;
    if (m_event == 0)
        return out;
    const OccupancyMap e = occupancyOf(m_d, m_event);
    OccupancyMap r;
    if (m_resource != 0 && positionInList(m_resource, collectionOf(m_d, m_event)) == 0)
        r = occupancyOf(m_d, m_resource);
    for (int w = std::max(m_firstWeek, e.firstWeek); w <= e.lastWeek; ++w)
        for (int day = e.firstDay; day <= e.lastDay; ++day) {
            const std::uint32_t mask = e.mask(w, day);
            for (int bell = 1; bell <= MaxBells; ++bell) {
                const std::uint32_t bit = 1u << (bell - 1);
                if (mask & bit)
                    out.push_back({w, day, bell, (r.mask(w, day) & bit) != 0});
            }
        }
    return out;
}

std::string ModifyCollections::slotLine(const PairSlot &slot) const
{
    return std::string(slot.conflict ? "[X]" : "[_]") + " " + formatWeek(m_d, slot.week, 3) + " " +
           formatDayBell(m_d, slot.day, slot.bell, 1);
}

std::string ModifyCollections::slotSummary() const
{
    const auto all = pairSlots();
    const auto clashes = std::count_if(all.begin(), all.end(), [](auto &s) { return s.conflict; });
    return std::to_string(all.size()) + " slots (" + std::to_string(clashes) +
           " impossible, 0 marked)";
}

bool ModifyCollections::add()
{
    if (m_event == 0 || m_resource == 0)
        return false;
    if (!available(m_event, m_resource)) {
        const auto all = pairSlots();
        const auto clashes =
            std::count_if(all.begin(), all.end(), [](auto &s) { return s.conflict; });
        std::string why = positionInList(m_resource, collectionOf(m_d, m_event)) > 0
                              ? " is already a resource of "
                          : clashes > 0
                              ? " is busy in " + std::to_string(clashes) + " scheduled slot(s) of "
                              : " cannot be added to (it is full) ";
        m_p.warnDlg(quoted(m_d, m_resource) + why + quoted(m_d, m_event) + ".");
        return false;
    }
    auto members = membersOf(m_d, m_event);
    members.push_back(m_resource);
    if (!storeMembers(m_d, m_event, members)) {
        m_p.warnDlg("The collection list is full: " + quoted(m_d, m_resource) +
                    " could not be added.");
        return false;
    }
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    resourceTotals(m_d, m_resource);
    return true;
}

std::vector<CodeId> ModifyCollections::linkedWith(CodeId c) const
{
    if (!validCode(m_d, c))
        return {};
    if (m_d.codes[c].isEvent())
        return membersOf(m_d, c);
    std::vector<CodeId> out;
    for (const CodeId e : listOf(m_d.eventList))
        if (positionInList(c, collectionOf(m_d, e)) > 0)
            out.push_back(e);
    return out;
}

int ModifyCollections::removeLinks(CodeId of, const std::vector<CodeId> &linked)
{
    const auto current = linkedWith(of);
    std::vector<CodeId> chosen;
    for (const CodeId c : linked)
        if (std::find(current.begin(), current.end(), c) != current.end())
            chosen.push_back(c);
    if (chosen.empty())
        return 0;
    const bool ofEvent = m_d.codes[of].isEvent();
    // An event left without resources loses its periods: say so in the question.
    int emptied = 0;
    for (const CodeId c : ofEvent ? std::vector<CodeId>{of} : chosen) {
        const auto members = membersOf(m_d, c);
        const auto kept = std::count_if(members.begin(), members.end(), [&](CodeId r) {
            return std::find(chosen.begin(), chosen.end(), ofEvent ? r : of) == chosen.end() &&
                   (ofEvent || r != of);
        });
        if (kept == 0 && m_d.codes[c].allocated > 0)
            ++emptied;
    }
    std::string question =
        "you want to remove selected " + std::to_string(chosen.size()) + " item(s)";
    if (emptied > 0)
        question += " (" + std::to_string(emptied) +
                    " event(s) lose their last resource and with it their periods)";
    if (!m_p.sureDlg(question))
        return 0;
    int removed = 0;
    for (const CodeId c : chosen) {
        const CodeId e = ofEvent ? of : c;
        const CodeId r = ofEvent ? c : of;
        auto members = membersOf(m_d, e);
        if (std::erase(members, r) > 0 && storeMembers(m_d, e, members))
            ++removed;
    }
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    return removed;
}

} // namespace quivra
