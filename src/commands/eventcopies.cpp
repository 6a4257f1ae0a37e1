#include "commands/eventcopies.h"

#include "commands/codelistcommands.h"
#include "commands/commandsupport.h"
#include "commands/eventtools.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/manualrooms.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <memory>
#include <string>
#include <vector>

namespace quivra {
namespace {

constexpr const char *Br = "\r\n";
constexpr int DuplicateManyHelp = 1225;
constexpr int CopyScheduleHelp = 1227;
constexpr std::size_t MaxSubstitutes = 1023;
constexpr std::size_t MaxSources = 2047;
constexpr int DailySchedulesHelp = 1235;

bool isEvent(const ScheduleData &d, CodeId e)
{
    return validCode(d, e) && isEventCode(d, e);
}

std::string codeOf(const ScheduleData &d, CodeId c)
{
    return std::string(d.codes[c].code.view());
}

std::vector<CodeId> members(const ScheduleData &d, CodeId e, bool timetabledOnly)
{
    MemberList m = collectionOf(d, e);
    if (timetabledOnly)
        dropNoTimetable(d, m);
    return {m.begin() + 1, m.begin() + 1 + std::clamp<int>(m[0], 0, MaxMembers)};
}

std::vector<CodeId> events(const ScheduleData &d)
{
    std::vector<CodeId> out;
    for (int i = 1; i <= std::clamp<int>(d.eventList[0], 0, MaxCodes); ++i)
        out.push_back(d.eventList[static_cast<std::size_t>(i)]);
    return out;
}

void refreshTotals(ScheduleData &d)
{
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    rebuildLists(d);
}

std::string totalsText(const ScheduleData &d, CodeId e)
{
    return fillIn("(PLANNED:{} - ALLOCATED:{} - SCHEDULED:{})", d.codes[e].planned,
                  d.codes[e].allocated, d.codes[e].scheduled);
}

bool hasScheduledSource(const ScheduleData &d, CodeId e)
{
    return e != 0 && d.codes[e].scheduled > 0 && !members(d, e, false).empty();
}

// The names of the days in use as a "$"-list.
std::string dayList(const ScheduleData &d, std::vector<std::string> &names)
{
    std::string list;
    std::size_t at = 0;
    for (int day = 1; day <= usedDays(d); ++day) {
        const std::size_t end = d.dayNames.find('$', at);
        std::string name = d.dayNames.substr(at, end == std::string::npos ? end : end - at);
        if (name.empty())
            name = std::to_string(day);
        at = end == std::string::npos ? d.dayNames.size() : end + 1;
        names.push_back(name);
        list += name + "$";
    }
    return list;
}

struct DailyCounts
{
    int erased = 0;
    int copied = 0;
};

// Erases the target day (when asked) and stores the event, then copies the source day's periods
// onto the target day where the event's timetabled resources are free now.
bool changeDays(ScheduleData &d, CodeId e, int source, int target, bool erase, bool copy,
                const std::bitset<WeekTableSize> &weeks, DailyCounts &counts)
{
    const std::uint16_t own = ownWord(d, e);
    bool changed = false;
    WeekAllocation wa;
    loadWeekAllocation(d, e, wa);
    const int first = std::max(wa.firstWeek, 1), last = wa.lastWeek;
    if (erase) {
        int cleared = 0;
        rebuildTimetable(d, wa, 0, [&](std::uint16_t word, std::int16_t kind, OccupancyMap &m) {
            if (word != own || kind != 0)
                return;
            for (int w = first; w <= last; ++w)
                if (weeks.test(static_cast<std::size_t>(w))) {
                    cleared += std::popcount(m.mask(w, target));
                    m.maskRef(w, target) = 0;
                }
        });
        if (cleared > 0) {
            storeWeekAllocation(d, e, wa);
            counts.erased += cleared;
            changed = true;
        }
    }
    if (!copy)
        return changed;
    auto busy = std::make_unique<OccupancyMap>();
    WeekAllocation work;
    for (const CodeId r : members(d, e, true))
        buildOccupancy(d, r, *busy, false, work);
    loadWeekAllocation(d, e, wa);
    std::array<int, WeekTableSize> added{};
    rebuildTimetable(d, wa, own, [&](std::uint16_t word, std::int16_t kind, OccupancyMap &m) {
        if (word != own || kind != 0)
            return;
        for (int w = first; w <= last; ++w) {
            if (!weeks.test(static_cast<std::size_t>(w)))
                continue;
            const std::uint32_t bells = bellMask(1, usedBells(d));
            const std::uint32_t free = ~m.mask(w, target) & ~busy->mask(w, target);
            const std::uint32_t put = m.mask(w, source) & free & bells;
            if (put == 0)
                continue;
            m.add(w, target, put);
            added[static_cast<std::size_t>(w)] += std::popcount(put);
        }
    });
    int copied = 0;
    for (int w = first; w <= last; ++w) {
        const auto i = static_cast<std::size_t>(w);
        if (added[i] == 0)
            continue;
        copied += added[i];
        // The week's periods grow with what was copied into it, so nothing placed goes
        // uncounted.
        wa.allocated[i] = static_cast<std::uint8_t>(
            std::min({wa.allocated[i] + added[i], d.coding.slotsPerWeek, 255}));
    }
    if (copied == 0)
        return changed;
    countTimetableWeeks(d, wa);
    storeWeekAllocation(d, e, wa);
    counts.copied += copied;
    return true;
}

} // namespace

bool duplicateMany(ScheduleData &d, Prompter &p, CodeId e)
{
    if (!isEvent(d, e))
        return false;
    const std::vector<CodeId> own = members(d, e, false);
    if (own.empty())
        return false;
    const std::string eventCode = codeOf(d, e);
    const CodeId s = p.chooseAmong(
        d,
        fillIn("{}Select the resource of the original event \"{}\"{}which is substituted in "
               "duplicated events",
               Br, eventCode, Br),
        own, {});
    if (s == 0)
        return false;
    const int category = categoryOf(d, s);
    std::vector<CodeId> offered;
    for (int i = 1; i <= std::clamp<int>(d.resourceList[0], 0, MaxCodes); ++i) {
        const CodeId r = d.resourceList[static_cast<std::size_t>(i)];
        if (validCode(d, r) && categoryOf(d, r) == category)
            offered.push_back(r);
    }
    const std::string sCode = codeOf(d, s);
    // The code selection dialog fixed on S's category; the answer in resource list order.
    const auto picked = pickOfKind(
        d, p, fillIn("Select the resource(s) to substitute \"{}\" in duplicated events", sCode),
        false, {}, CodePickFilter{category, EventFilter::All});
    if (!picked || picked->empty())
        return false;
    auto chosen = std::make_optional<std::vector<CodeId>>();
    for (const CodeId r : offered)
        if (std::ranges::find(*picked, r) != picked->end())
            chosen->push_back(r);
    if (chosen->empty())
        return false;
    if (chosen->size() > MaxSubstitutes)
        chosen->resize(MaxSubstitutes);

    // A substitute already in the event would stand in it twice.
    std::vector<std::string> substitutes, skipped;
    for (const CodeId r : *chosen) {
        const bool holds = r != s && std::find(own.begin(), own.end(), r) != own.end();
        (holds ? skipped : substitutes).push_back(codeOf(d, r));
    }
    if (substitutes.empty()) {
        p.infoDlg(fillIn("Every selected resource is already in event \"{}\".", eventCode));
        return false;
    }
    std::string listed;
    for (const std::string &r : substitutes)
        if (r != sCode)
            listed += (listed.empty() ? "" : ", ") + r;
    if (!p.sureDlg(fillIn("to create {} new events where \"{}\" is replaced with the selected "
                          "resources{}{}({})",
                          substitutes.size(), sCode, Br, Br, listed),
                   0, DuplicateManyHelp))
        return false;

    // Codes are looked up by their text: every copy renumbers the codes behind it.
    int made = 0;
    for (const std::string &r : substitutes) {
        const CodeId original = findCode(d, eventCode);
        const CodeId copy = copyListCode(d, p, original);
        if (copy == 0)
            break; // the table is full and the user was told
        ++made;
        const CodeId from = findCode(d, sCode), to = findCode(d, r);
        MemberList m = collectionOf(d, copy);
        for (int i = 1; i <= m[0]; ++i)
            if (m[static_cast<std::size_t>(i)] == from)
                m[static_cast<std::size_t>(i)] = to;
        setCollection(d, copy, m);
    }
    if (made > 0)
        refreshTotals(d);
    d.currentCode = findCode(d, eventCode);
    if (!skipped.empty()) {
        std::string codes;
        for (const std::string &r : skipped)
            codes += (codes.empty() ? "" : ", ") + r;
        p.infoDlg(fillIn("No copy was made for {} resource(s) already in event \"{}\": {}",
                         skipped.size(), eventCode, codes));
    }
    return made > 0;
}

std::vector<CodeId> scheduleSources(const ScheduleData &d, CodeId e)
{
    std::vector<CodeId> out;
    if (!isEvent(d, e))
        return out;
    std::vector<CodeId> a = members(d, e, true);
    std::sort(a.begin(), a.end());
    for (const CodeId x : events(d)) {
        if (x == e || !validCode(d, x) || !hasScheduledSource(d, x))
            continue;
        const std::vector<CodeId> b = members(d, x, true);
        const bool shares = std::any_of(b.begin(), b.end(), [&](CodeId r) {
            return std::binary_search(a.begin(), a.end(), r);
        });
        if (shares)
            continue;
        if (std::all_of(a.begin(), a.end(), [&](CodeId r) { return canJoin(d, x, r, false, 1); }))
            out.push_back(x);
        if (out.size() >= MaxSources)
            break;
    }
    return out;
}

bool copySchedule(ScheduleData &d, Prompter &p, CodeId e, CodeId *found)
{
    if (found)
        *found = 0;
    if (!isEvent(d, e))
        return false;
    const std::vector<CodeId> all = events(d);
    if (std::none_of(all.begin(), all.end(),
                     [&](CodeId x) { return x != e && d.codes[x].scheduled > 0; })) {
        p.warnDlg("You must have at least one other scheduled event.", 0, CopyScheduleHelp);
        return false;
    }
    // The schedule is replaced as a whole: a locked event is not changed unasked.
    const bool wasLocked = queryLock(d, e);
    if (!askToUnlock(d, p, e))
        return false;

    const std::vector<CodeId> sources = scheduleSources(d, e);
    if (sources.empty()) {
        const auto others = std::count_if(
            all.begin(), all.end(), [&](CodeId x) { return x != e && hasScheduledSource(d, x); });
        if (!p.yesNoDlg(fillIn("It is not possible to copy the schedule from any of the other {} "
                               "scheduled event(s){}to the current event \"{}\".{}Search for "
                               "other events?",
                               others, Br, codeOf(d, e), Br),
                        0, CopyScheduleHelp))
            return wasLocked;
        const auto at = std::find(all.begin(), all.end(), e) - all.begin();
        for (std::size_t k = 1; k <= all.size(); ++k) {
            const CodeId x = all[(static_cast<std::size_t>(at) + k) % all.size()];
            const std::size_t n = scheduleSources(d, x).size();
            if (x == e || n == 0)
                continue;
            p.infoDlg(fillIn("You can copy the schedule to event \"{}\" from {} other event(s).{}"
                             "(Select \"Edit|Copy schedule to {}\").",
                             codeOf(d, x), n, Br, codeOf(d, x)),
                      0, CopyScheduleHelp);
            if (found)
                *found = x;
            return wasLocked;
        }
        p.infoDlg("No options to copy schedules from an event to another event were found.", 0,
                  CopyScheduleHelp);
        return wasLocked;
    }

    std::vector<std::string> lines;
    for (std::size_t i = 0; i < sources.size(); ++i)
        lines.push_back(fillIn("{}: {} {}", i + 1, formatCode(d, sources[i], ShowCodeAndName),
                               totalsText(d, sources[i])));
    const int chosen = p.selectLine(
        "Copy schedule from another event to this event",
        fillIn("Click [OK] to copy the schedule from one the following {} event(s) to event{}"
               "\"{}\" {}",
               sources.size(), Br, codeOf(d, e), totalsText(d, e)),
        lines, 1, CopyScheduleHelp);
    if (chosen == 0)
        return wasLocked;
    const CodeId source = sources[static_cast<std::size_t>(chosen - 1)];

    WeekAllocation wa, old;
    loadWeekAllocation(d, source, wa);
    loadWeekAllocation(d, e, old);
    // The source's lectures under the current event's word.
    const std::uint16_t own = ownWord(d, e);
    for (LectureView &v : wa.timetable)
        v.word =
            static_cast<std::uint16_t>((v.word & ~d.lectureCodeMask) | (own & d.lectureCodeMask));
    wa.code = e;
    if (storeWeekAllocation(d, e, wa) == 0 && (wa.weekEntries > 0 || !wa.timetable.empty())) {
        p.warnDlg("The schedule could not be copied: the store of periods is full.");
        return wasLocked;
    }
    const int first = std::min(old.firstWeek > 0 ? old.firstWeek : wa.firstWeek, wa.firstWeek);
    const int last = std::max(old.lastWeek, wa.lastWeek);
    if (first >= 1 && last >= first)
        validityCleanup(d, first, last);
    refreshTotals(d);
    p.infoDlg(fillIn("The schedule ({} periods) of event{}\"{}\"{}was copied to the current "
                     "event{}\"{}\".",
                     d.codes[source].scheduled, Br, formatCode(d, source, ShowCodeAndName), Br, Br,
                     formatCode(d, e, ShowCodeAndName)),
              0, CopyScheduleHelp);
    return true;
}

bool copyDailySchedules(ScheduleData &d, Prompter &p)
{
    std::vector<std::string> names;
    const std::string days = dayList(d, names);
    const int source = p.choice(std::string(Br) + "Select the day of week to copy schedules from:",
                                DailySchedulesHelp, 1, days);
    if (source == 0)
        return false;
    const std::string from = names[static_cast<std::size_t>(source - 1)];
    int target = 0;
    for (;;) {
        target = p.choice(fillIn("Select the day of week to copy schedules from \"{}\" to:", from),
                          DailySchedulesHelp, source < usedDays(d) ? source + 1 : 1, days);
        if (target == 0)
            return false;
        if (target != source)
            break;
        p.infoDlg(fillIn("Select another day of week than \"{}\"", from), 0, DailySchedulesHelp);
    }
    const std::string to = names[static_cast<std::size_t>(target - 1)];

    std::bitset<WeekTableSize> weeks;
    for (int w = 1; w <= usedWeeks(d); ++w)
        weeks.set(static_cast<std::size_t>(w));
    if (usedWeeks(d) > 1 &&
        p.pickWeek(d, 1, "Select the included weeks:", usedWeeks(d), 1, &weeks) == 0)
        return false;
    const auto chosen = pickOfKind(d, p, "Select the included events:", true);
    if (!chosen || chosen->empty())
        return false;
    const int option =
        p.choice(std::string(Br) + "Select the copy option:", DailySchedulesHelp, 1,
                 fillIn("1) Copy schedules from \"{}\" to \"{}\"$2) Erase schedules from \"{}\"$"
                        "3) First erase schedules from \"{}\" and then copy$",
                        from, to, to, to));
    if (option == 0)
        return false;

    std::vector<CodeId> targets;
    int locked = 0;
    for (const CodeId e : *chosen)
        if (isEvent(d, e) && !members(d, e, true).empty()) {
            targets.push_back(e);
            locked += queryLock(d, e) ? 1 : 0;
        }
    if (locked > 0 &&
        !p.yesNoDlg(fillIn("Do you also allow to change the ({}) locked events?", locked)))
        std::erase_if(targets, [&](CodeId e) { return queryLock(d, e); });

    DailyCounts counts;
    bool changed = false;
    for (const CodeId e : targets)
        changed =
            changeDays(d, e, source, target, option >= 2, option != 2, weeks, counts) || changed;
    if (changed) {
        validityCleanup(d, 1, usedWeeks(d));
        refreshTotals(d);
    }
    p.infoDlg(fillIn("{} periods erased from \"{}\",{}{} periods copied from \"{}\" to \"{}\"",
                     counts.erased, to, Br, counts.copied, from, to),
              0, DailySchedulesHelp);
    return changed;
}

} // namespace quivra
