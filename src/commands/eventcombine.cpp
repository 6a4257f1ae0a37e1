#include "commands/eventcombine.h"

#include "commands/codelistcommands.h"
#include "commands/textfill.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"
#include "engine/recount.h"
#include "engine/totals.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quivra {
namespace {

constexpr const char *Br = "\r\n";

int eventCount(const ScheduleData &d)
{
    return std::clamp<int>(d.eventList[0], 0, MaxCodes);
}

CodeId eventAt(const ScheduleData &d, int i)
{
    return d.eventList[static_cast<std::size_t>(i)];
}

std::vector<CodeId> members(const MemberList &m)
{
    return {m.begin() + 1, m.begin() + 1 + std::clamp<int>(m[0], 0, MaxMembers)};
}

// The resources of an event as a set (sorted, once each).
std::vector<CodeId> memberSet(const ScheduleData &d, CodeId e, bool timetabledOnly)
{
    MemberList m = collectionOf(d, e);
    if (timetabledOnly)
        dropNoTimetable(d, m);
    std::vector<CodeId> set = members(m);
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    return set;
}

std::string codeOf(const ScheduleData &d, CodeId c)
{
    return std::string(d.codes[c].code.view());
}

std::string nameOf(const ScheduleData &d, CodeId c)
{
    return std::string(d.codes[c].name.view());
}

// ----- identical lists of resources ------------------------------------------------------------

bool sameName(const ScheduleData &d, CodeId a, CodeId b)
{
    return formatCode(d, a, ShowName) == formatCode(d, b, ShowName);
}

struct IdenticalCounts
{
    int lists = 0; // events with a later event holding the same resources
    int names = 0; // of those, the nearest such later event also has the same name
};

IdenticalCounts countIdentical(const ScheduleData &d)
{
    IdenticalCounts r;
    std::map<std::vector<CodeId>, CodeId> later;
    for (int i = eventCount(d); i >= 1; --i) {
        const CodeId e = eventAt(d, i);
        if (!validCode(d, e))
            continue;
        std::vector<CodeId> key = memberSet(d, e, false);
        if (key.empty())
            continue;
        auto [it, fresh] = later.try_emplace(std::move(key), e);
        if (!fresh) {
            ++r.lists;
            if (sameName(d, it->second, e))
                ++r.names;
            it->second = e;
        }
    }
    return r;
}

// The combined event's code: the kept event's, the other's, or one not in use. Nothing when the
// user cancels.
std::optional<std::string> askCombinedCode(const ScheduleData &d, Prompter &p, CodeId kept,
                                           CodeId other)
{
    std::string initial = codeOf(d, kept);
    for (;;) {
        const auto typed =
            p.input("New code for the combined event", "Enter code:", initial, CodeLength);
        if (!typed)
            return std::nullopt;
        const std::string code = trimmedCode(*typed);
        if (!code.empty() && code == codeOf(d, other))
            return code;
        const std::string problem = codeProblem(d, *typed, kept);
        if (problem.empty())
            return code;
        if (!p.yesNoDlg(problem + " - please select another key."))
            return std::nullopt;
        initial = *typed;
    }
}

// Moves the periods of `other` into `kept` and deletes `other`. Nothing changes when the
// lecture store has no room for the combined timetable.
bool combineIdenticalPair(ScheduleData &d, CodeId kept, CodeId other, const std::string &code,
                          const std::string &name)
{
    // Read before the store, which raises PLANNED to the combined ALLOCATED.
    const int planned =
        std::min(d.codes[kept].planned + d.codes[other].planned, d.coding.slotsTotal);
    WeekAllocation a, b;
    loadWeekAllocation(d, kept, a);
    loadWeekAllocation(d, other, b);
    for (std::size_t w = 1; w < a.allocated.size(); ++w) {
        a.allocated[w] = static_cast<std::uint8_t>(
            std::min({a.allocated[w] + b.allocated[w], d.coding.slotsPerWeek, 255}));
        a.booked[w] = std::max(a.booked[w], b.booked[w]);
    }
    if (b.firstWeek > 0 && (a.firstWeek == 0 || b.firstWeek < a.firstWeek))
        a.firstWeek = b.firstWeek;
    a.lastWeek = std::max(a.lastWeek, b.lastWeek);
    // The other event's lectures, written with the kept event's code, then every group of equal
    // word and kind is laid over one map and compressed: the union of both timetables.
    const std::uint16_t own = ownWord(d, kept);
    for (std::size_t k = 0; k < b.timetable.size(); ++k) {
        LectureView v = b.timetable[k];
        v.word =
            static_cast<std::uint16_t>((v.word & ~d.lectureCodeMask) | (own & d.lectureCodeMask));
        a.timetable.push_back(v);
        a.timetableKinds.push_back(k < b.timetableKinds.size() ? b.timetableKinds[k] : 0);
    }
    rebuildTimetable(d, a, 0, [](std::uint16_t, std::int16_t, OccupancyMap &) {});
    if (storeWeekAllocation(d, kept, a) == 0 && !a.timetable.empty())
        return false;

    setCodePlanned(d, kept, planned);
    setCodeName(d, kept, name);
    const std::string keptCode = codeOf(d, kept);
    // The other event goes first: its references are removed by its code text, which the kept
    // event may take next.
    deleteCode(d, other);
    if (code != keptCode)
        renameCode(d, keptCode, code);
    return true;
}

bool identicalPair(const ScheduleData &d, CodeId a, CodeId b, bool names)
{
    const std::vector<CodeId> set = memberSet(d, a, false);
    return !set.empty() && set == memberSet(d, b, false) && (!names || sameName(d, a, b));
}

// ----- disjoint lists of resources -------------------------------------------------------------

bool sameSchedule(const ScheduleData &d, CodeId a, CodeId b, const LectureIndex &index)
{
    WeekAllocation wa, wb;
    loadWeekAllocation(d, a, wa, index);
    loadWeekAllocation(d, b, wb, index);
    if (wa.firstWeek != wb.firstWeek || wa.lastWeek != wb.lastWeek || wa.allocated != wb.allocated)
        return false;
    auto ma = std::make_unique<OccupancyMap>();
    auto mb = std::make_unique<OccupancyMap>();
    expandSchedule(d, wa, *ma, false);
    expandSchedule(d, wb, *mb, false);
    return ma->masks == mb->masks;
}

// The collection the kept event gets: its own resources followed by the other's it lacks.
std::vector<CodeId> joinedMembers(const ScheduleData &d, CodeId kept, CodeId other)
{
    std::vector<CodeId> out = members(collectionOf(d, kept));
    for (const CodeId r : members(collectionOf(d, other)))
        if (std::find(out.begin(), out.end(), r) == out.end())
            out.push_back(r);
    return out;
}

struct DisjointSizes
{
    int kept = 0, other = 0;
};

std::optional<DisjointSizes> disjointPair(const ScheduleData &d, CodeId a, CodeId b,
                                          const LectureIndex &index)
{
    if (d.codes[a].planned != d.codes[b].planned)
        return std::nullopt;
    const std::vector<CodeId> sa = memberSet(d, a, true), sb = memberSet(d, b, true);
    if (sa.empty() || sb.empty())
        return std::nullopt;
    std::vector<CodeId> common;
    std::set_intersection(sa.begin(), sa.end(), sb.begin(), sb.end(), std::back_inserter(common));
    if (!common.empty())
        return std::nullopt;
    // The whole collections must fit one, not only their timetabled resources.
    if (static_cast<int>(joinedMembers(d, a, b).size()) > MaxMembers)
        return std::nullopt;
    if (!sameSchedule(d, a, b, index))
        return std::nullopt;
    return DisjointSizes{static_cast<int>(sa.size()), static_cast<int>(sb.size())};
}

bool combineDisjointPair(ScheduleData &d, CodeId kept, CodeId other)
{
    const std::vector<CodeId> joined = joinedMembers(d, kept, other);
    MemberList m{};
    m[0] = static_cast<CodeId>(joined.size());
    std::copy(joined.begin(), joined.end(), m.begin() + 1);
    if (setCollection(d, kept, m) == 0)
        return false;
    setCodeName(d, kept, codeOf(d, kept) + "+" + codeOf(d, other));
    deleteCode(d, other);
    return true;
}

// Totals and lists after the combinations.
void refreshTotals(ScheduleData &d)
{
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    rebuildLists(d);
}

int positionOf(const ScheduleData &d, CodeId e)
{
    for (int i = 1; i <= eventCount(d); ++i)
        if (eventAt(d, i) == e)
            return i;
    return 1;
}

} // namespace

bool combineIdenticalEvents(ScheduleData &d, Prompter &p)
{
    const int events = eventCount(d);
    const IdenticalCounts n = countIdentical(d);
    if (n.lists == 0) {
        p.infoDlg("No events with identical lists of resources found.");
        return false;
    }
    const int answer = p.yesNoCancelDlg(fillIn(
        "This selection searches for pairs of events with identical lists of resources and names "
        "that can be combined.{}{}{} out of {} events have identical lists of resources, {} out "
        "of these {} events have also identical names.{}{}When a matching pair of identical "
        "events is found, you are asked to combine their contents into a single event.{}{}"
        "Select [Yes] if you require that also the event names must be identical,{}select [No] "
        "if only the lists of resources must be identical or{}select [Cancel] to exit.",
        Br, Br, n.lists, events, n.names, n.lists, Br, Br, Br, Br, Br, Br));
    if (answer != Answer::Yes && answer != Answer::No)
        return false;
    const bool names = answer == Answer::Yes;

    int combined = 0;
    bool all = false, stop = false;
    for (int i = 1; i <= eventCount(d) && !stop; ++i) {
        for (int j = i + 1; j <= eventCount(d) && !stop; ++j) {
            const CodeId kept = eventAt(d, i), other = eventAt(d, j);
            if (!identicalPair(d, kept, other, names))
                continue;
            if (!all) {
                const int a =
                    p.dlg(fillIn("Events{}{}1. \"{}\" and{}2. \"{}\"{}{}have identical "
                                 "lists of resources.{}{}Do you want to combine them "
                                 "into one event?",
                                 Br, Br, formatCode(d, kept, ShowCodeAndName), Br,
                                 formatCode(d, other, ShowCodeAndName), Br, Br, Br, Br),
                          0, 0, Buttons::Yes | Buttons::No | Buttons::Cancel | Buttons::All,
                          DialogKind::Confirm);
                if (a == Answer::No)
                    continue;
                if (a != Answer::Yes && a != Answer::All) {
                    stop = true;
                    break;
                }
                all = a == Answer::All;
            }
            std::string code = codeOf(d, kept), name = nameOf(d, kept);
            if (!all) {
                const auto typed = askCombinedCode(d, p, kept, other);
                if (!typed)
                    continue;
                const auto named =
                    p.input("New name for the combined event", "Enter name:", name, NameLength);
                if (!named)
                    continue;
                code = *typed;
                name = *named;
            }
            if (combineIdenticalPair(d, kept, other, code, name)) {
                ++combined;
                j = i; // the kept event is tried again against the events after it
            }
        }
    }
    if (combined > 0)
        refreshTotals(d);
    if (combined > 0)
        p.infoDlg(fillIn("{} events of the original {} events combined, {} events left.",
                         combined * 2, events, eventCount(d)));
    else
        p.infoDlg(fillIn("None of the {} events were combined.", events));
    return combined > 0;
}

bool combineDisjointEvents(ScheduleData &d, Prompter &p, CodeId start)
{
    const int events = eventCount(d);
    int combinations = 0;
    bool all = false, stop = false;
    int pos = positionOf(d, start);
    for (int step = 0; step < events && !stop; ++step, ++pos) {
        if (pos > eventCount(d))
            pos = 1;
        auto index = std::make_unique<LectureIndex>(d);
        for (int j = pos + 1; j <= eventCount(d) && !stop; ++j) {
            const CodeId kept = eventAt(d, pos), other = eventAt(d, j);
            const auto sizes = disjointPair(d, kept, other, *index);
            if (!sizes)
                continue;
            if (!all) {
                const int a = p.dlg(
                    fillIn("Events{}1. \"{}\" and{}2. \"{}\"{}have disjoint lists of resources "
                           "({}+{}),{}identical allocations and{}identical timetables.{}{}Do you "
                           "want to combine them into one event?",
                           Br, formatCode(d, kept, ShowCodeAndName), Br,
                           formatCode(d, other, ShowCodeAndName), Br, sizes->kept, sizes->other, Br,
                           Br, Br, Br),
                    0, 0, Buttons::Yes | Buttons::No | Buttons::Cancel | Buttons::All,
                    DialogKind::Confirm);
                if (a == Answer::No)
                    continue;
                if (a != Answer::Yes && a != Answer::All) {
                    stop = true;
                    break;
                }
                all = a == Answer::All;
            }
            if (combineDisjointPair(d, kept, other)) {
                ++combinations;
                index = std::make_unique<LectureIndex>(d);
                j = pos;
            }
        }
    }
    if (combinations > 0)
        refreshTotals(d);
    p.infoDlg(fillIn("{} events were combined {} times, resulting in {} events.", events,
                     combinations, eventCount(d)));
    return combinations > 0;
}

} // namespace quivra
