#include "commands/pastecommands.h"

#include "commands/conflictcheck.h"
#include "commands/healthcommands.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/textutil.h"
#include "engine/weekstore.h"
#include "reports/clipboardtext.h"
#include "ui/ports.h"
#include "ui/prompter.h"

#include <algorithm>
#include <memory>

namespace quivra {
namespace {

constexpr const char *EmptyClipboard =
    "The Clipboard is empty. Select first an area in the other application and then select "
    "\"Edit|Copy\" to copy your content on the Clipboard.";

bool blank(std::string_view code)
{
    return trim(code).empty();
}

// The code a cell names, 0 when it names none (a cell longer than a code names none).
CodeId named(const ScheduleData &d, std::string_view cell)
{
    if (cell.empty() || cell.size() > CodeLength)
        return 0;
    return findCode(d, cell);
}

bool removeMember(ScheduleData &d, CodeId e, CodeId r)
{
    const MemberList m = collectionOf(d, e);
    MemberList kept{};
    for (int i = 1; i <= m[0]; ++i)
        if (m[static_cast<std::size_t>(i)] != r)
            kept[static_cast<std::size_t>(++kept[0])] = m[static_cast<std::size_t>(i)];
    return kept[0] != m[0] && setCollection(d, e, kept) >= 0;
}

class Paste
{
public:
    Paste(ScheduleData &d, const PasteOptions &o) : m_d(d), m_o(o) {}

    PasteReport run(std::string_view text);

private:
    void sample(std::string_view code)
    {
        if (blank(code) || m_r.sample.size() >= 100)
            return;
        const std::string item = std::string(code) + ",";
        if (("," + m_r.sample).find("," + item) == std::string::npos)
            m_r.sample += item;
    }
    void omit(std::string_view code)
    {
        ++m_r.omitted;
        sample(code);
    }
    // The resources the cells after the first name, in cell order (at most `limit`); cells
    // naming no code go to the sample.
    std::vector<CodeId> listed(const ClipLine &line, std::size_t limit = MaxMembers)
    {
        std::vector<CodeId> out;
        for (std::size_t i = 1; i < line.size() && i < 256; ++i) {
            const CodeId c = named(m_d, line[i]);
            if (c == 0)
                sample(line[i]);
            else if (!m_d.codes[c].isEvent() && out.size() < limit)
                out.push_back(c);
        }
        return out;
    }
    bool locked(CodeId e) const { return isLockedCode(m_d, e); }

    void codes(const ClipLine &line, CodeId c);
    void weeks(const ClipLine &line, CodeId e);
    void resources(const ClipLine &line, CodeId e);
    void conversion(const ClipLine &line, CodeId c);
    void mapping(const ClipLine &line, CodeId one);
    void selection(const ClipLine &line, CodeId r);

    ScheduleData &m_d;
    PasteOptions m_o;
    PasteReport m_r;
    int m_insertAt = 0;
    bool m_flagsChanged = false;
};

void Paste::codes(const ClipLine &line, CodeId c)
{
    const bool events = m_o.events;
    // Without a category cell a new code takes category 1 and an existing one keeps its own.
    const bool hasCategory = line.size() >= 3;
    const int category = hasCategory ? std::clamp(clipNumber(line[2], 1), 1, MaxCategories) : 1;
    const int defined =
        listCount(events ? m_d.eventCategories.view() : m_d.resourceCategories.view());
    if (hasCategory && category > defined) {
        omit(line[0]);
        return;
    }
    const auto bit = static_cast<std::uint16_t>(1u << (CategoryShift + category - 1));
    const bool noTimetable = m_d.noTimetableMasks[ResourceMasks] & (1u << category);
    const auto flags = events
                           ? static_cast<std::uint16_t>(IsEventBit | bit)
                           : static_cast<std::uint16_t>(bit | (noTimetable ? NoTimetableBit : 0));
    const int planned = line.size() >= 4 ? std::clamp(clipNumber(line[3], 1), 1,
                                                      std::min(m_d.coding.slotsTotal, 0xFFFF))
                                         : 1;
    const std::string name = line.size() >= 2 ? line[1].substr(0, NameLength) : std::string();
    if (c != 0) {
        // Only what the line holds changes; a lock stays.
        if (line.size() >= 2 && m_d.codes[c].name.view() != name)
            setCodeName(m_d, c, name);
        if (hasCategory) {
            std::uint16_t &f = m_d.codes[c].flags;
            const auto rebuilt = static_cast<std::uint16_t>(flags | (f & LockedBit));
            if (rebuilt != f) {
                f = rebuilt;
                m_flagsChanged = true;
            }
        }
        if (events && line.size() >= 4 && m_d.codes[c].planned != planned)
            setCodePlanned(m_d, c, planned);
        ++m_r.updated;
        return;
    }
    CodeRecord record;
    record.code.assign(line[0]);
    record.name.assign(name);
    record.flags =
        hasCategory ? flags
                    : static_cast<std::uint16_t>((events ? IsEventBit : 0) | (1u << CategoryShift));
    record.planned = events ? static_cast<std::uint16_t>(planned) : 0;
    const int position = m_insertAt <= 0 ? 0 : std::min(m_insertAt, m_d.codeCount + 1);
    if (insertCode(m_d, position, record) > 0)
        ++m_r.added;
    if (m_insertAt > 0)
        ++m_insertAt;
}

void Paste::weeks(const ClipLine &line, CodeId e)
{
    if (locked(e)) {
        omit(line[0]);
        return;
    }
    WeekAllocation wa;
    loadWeekAllocation(m_d, e, wa);
    const WeekAllocation before = wa;
    const int first = std::clamp(m_d.currentWeek, 1, MaxWeeks);
    for (int w = first; w <= m_d.coding.weekLimit && w <= MaxWeeks; ++w) {
        const auto at = static_cast<std::size_t>(w);
        if (wa.booked[at] != 0)
            continue;
        const std::size_t cell = at;
        int n = cell < line.size() ? clipNumber(line[cell], 0) : 0;
        n = std::clamp(n, 0, std::min(m_d.coding.slotsPerWeek, 255));
        n = std::max<int>(n, wa.scheduled[at]);
        wa.allocated[at] = static_cast<std::uint8_t>(std::min(n, 255));
    }
    if (wa.allocated != before.allocated) {
        std::vector<std::pair<LectureView, int>> entries;
        storedEntriesOf(m_d, e, wa, entries);
        // A store without room for them refuses, and nothing of this event changes.
        if (storeWeekAllocation(m_d, e, wa) == 0 && !entries.empty()) {
            omit(line[0]);
            return;
        }
    }
    ++m_r.updated;
}

void Paste::resources(const ClipLine &line, CodeId e)
{
    if (locked(e)) {
        omit(line[0]);
        return;
    }
    const std::vector<CodeId> list = listed(line);
    MemberList m = collectionOf(m_d, e);
    const MemberList before = m;
    if (m_o.kind == PasteRemoveResources) {
        MemberList kept{};
        for (int i = 1; i <= m[0]; ++i) {
            const CodeId r = m[static_cast<std::size_t>(i)];
            if (std::find(list.begin(), list.end(), r) == list.end())
                kept[static_cast<std::size_t>(++kept[0])] = r;
        }
        m = kept;
    } else {
        if (m_o.kind == PasteReplaceResources)
            m = MemberList{};
        const bool check = m_o.precheck && m_d.codes[e].scheduled > 0;
        for (const CodeId r : list) {
            if (m[0] >= MaxMembers || positionInList(r, m) > 0)
                continue;
            if (check && positionInList(r, before) == 0 && !canJoin(m_d, e, r, false, 1))
                continue;
            m[static_cast<std::size_t>(++m[0])] = r;
            if (positionInList(r, before) == 0 || m_o.kind == PasteReplaceResources)
                ++m_r.added;
        }
    }
    if (m != collectionOf(m_d, e))
        setCollection(m_d, e, m);
    ++m_r.updated;
}

void Paste::conversion(const ClipLine &line, CodeId)
{
    if (line.size() < 2)
        return;
    const std::string &to = line[1];
    if (to.size() > CodeLength) {
        sample(to);
        return;
    }
    if (to == line[0] || blank(to) || findCode(m_d, to) != 0)
        return;
    if (renameCode(m_d, line[0], to))
        ++m_r.updated;
}

void Paste::mapping(const ClipLine &line, CodeId one)
{
    std::vector<CodeId> many;
    for (const CodeId c : listed(line, 256))
        if (c != one)
            many.push_back(c);
    if (many.empty())
        return;
    for (int i = 1; i <= m_d.eventList[0]; ++i) {
        const CodeId e = m_d.eventList[static_cast<std::size_t>(i)];
        MemberList m = collectionOf(m_d, e);
        if (m[0] == 0)
            continue;
        bool change = false;
        if (m_o.kind == PasteOneToMany) {
            const int p = positionInList(one, m);
            if (p == 0)
                continue;
            // A collection that cannot take them all is left as it is and reported.
            if (m[0] + static_cast<int>(many.size()) - 1 > MaxMembers || locked(e)) {
                omit(m_d.codes[e].code.view());
                continue;
            }
            std::vector<CodeId> v(m.begin() + 1, m.begin() + 1 + m[0]);
            v[static_cast<std::size_t>(p - 1)] = many[0];
            v.insert(v.begin() + p, many.begin() + 1, many.end());
            m = MemberList{};
            for (const CodeId c : v)
                m[static_cast<std::size_t>(++m[0])] = c;
            change = true;
        } else {
            bool all = true;
            for (const CodeId c : many)
                all = all && positionInList(c, m) > 0;
            if (!all)
                continue;
            if (locked(e)) {
                omit(m_d.codes[e].code.view());
                continue;
            }
            MemberList out{};
            const int firstAt = positionInList(many[0], m);
            for (int k = 1; k <= m[0]; ++k) {
                const CodeId c = m[static_cast<std::size_t>(k)];
                if (k == firstAt)
                    out[static_cast<std::size_t>(++out[0])] = one;
                else if (std::find(many.begin(), many.end(), c) == many.end())
                    out[static_cast<std::size_t>(++out[0])] = c;
            }
            m = out;
            change = true;
        }
        if (change && setCollection(m_d, e, m) >= 0) {
            if (many.size() == 1)
                ++m_r.updated;
            else
                ++m_r.added;
        }
    }
}

void Paste::selection(const ClipLine &line, CodeId r)
{
    const bool remove = m_o.kind == PasteRemoveSelection;
    const std::vector<CodeId> xs = listed(line, 256);
    if (std::find(xs.begin(), xs.end(), r) != xs.end())
        return;
    std::vector<CodeId> events; // r's events, at most 255
    for (int i = 1; i <= m_d.eventList[0] && events.size() < 255; ++i) {
        const CodeId e = m_d.eventList[static_cast<std::size_t>(i)];
        if (positionInList(r, collectionOf(m_d, e)) > 0)
            events.push_back(e);
    }
    if (events.empty())
        return;
    int added = 0;
    for (const CodeId x : xs) {
        if (categoryOf(m_d, x) == categoryOf(m_d, r))
            continue;
        std::vector<CodeId> marked;
        for (const CodeId e : events)
            if (positionInList(x, collectionOf(m_d, e)) > 0)
                marked.push_back(e);
        if (marked.size() > 1 || (remove && !marked.empty())) {
            for (const CodeId e : marked) {
                if (locked(e)) {
                    omit(m_d.codes[e].code.view());
                    continue;
                }
                if (removeMember(m_d, e, x) && remove)
                    ++m_r.updated;
            }
        }
        if (remove)
            continue;
        std::vector<CodeId> order = events;
        for (std::size_t f = 0; f < order.size(); ++f)
            for (std::size_t g = f + 1; g < order.size(); ++g)
                if (m_d.codes[order[g]].links < m_d.codes[order[f]].links)
                    std::swap(order[f], order[g]);
        for (const CodeId e : order) {
            if (locked(e) || !canJoin(m_d, e, x, true, 1))
                continue;
            MemberList m = collectionOf(m_d, e);
            m[static_cast<std::size_t>(++m[0])] = x;
            if (setCollection(m_d, e, m) > 0) {
                ++added;
                break;
            }
        }
    }
    if (!remove && added > 0) {
        ++m_r.updated;
        m_r.added += added;
    }
}

PasteReport Paste::run(std::string_view text)
{
    const int kind = m_o.kind;
    const bool resourcesOnly = kind == PasteOneToMany || kind == PasteManyToOne ||
                               kind == PasteAddSelection || kind == PasteRemoveSelection;
    const bool events = resourcesOnly ? false : m_o.events;
    m_o.events = events;
    m_insertAt = validCode(m_d, m_o.current) ? std::min<int>(m_o.current, m_d.codeCount) : 0;
    const std::vector<ClipLine> lines = readClipLines(text);
    const bool wasModified = m_d.modified;
    m_d.modified = false;

    if (kind == PasteDeleteCodes) {
        std::vector<CodeId> found;
        for (const ClipLine &line : lines)
            for (const std::string &cell : line)
                if (const CodeId c = named(m_d, cell))
                    found.push_back(c);
        m_r.lines = static_cast<int>(lines.size());
        m_r.updated = deleteCodes(m_d, found);
        m_r.changed = m_d.modified;
        m_d.modified = m_d.modified || wasModified;
        return m_r;
    }

    for (const ClipLine &line : lines) {
        ++m_r.lines;
        const std::string &code = line.empty() ? std::string() : line[0];
        const bool eventResources = kind == PasteReplaceResources || kind == PasteAddResources ||
                                    kind == PasteRemoveResources;
        // A code longer than a code may be is never cut to one that may be another code.
        if (code.size() > CodeLength) {
            omit(code);
            continue;
        }
        const CodeId c = blank(code) ? 0 : findCode(m_d, code);
        bool accepted = false;
        if (!blank(code)) {
            if (c != 0)
                accepted = kind == PasteCodeConversion || m_d.codes[c].isEvent() == events;
            else
                accepted = kind == PasteCodes;
        }
        if (!accepted) {
            if (eventResources)
                omit(code);
            continue;
        }
        switch (kind) {
        case PasteCodes:
            codes(line, c);
            break;
        case PasteWeeksGrid:
            weeks(line, c);
            break;
        case PasteReplaceResources:
        case PasteAddResources:
        case PasteRemoveResources:
            resources(line, c);
            break;
        case PasteCodeConversion:
            conversion(line, c);
            break;
        case PasteOneToMany:
        case PasteManyToOne:
            mapping(line, c);
            break;
        case PasteAddSelection:
        case PasteRemoveSelection:
            selection(line, c);
            break;
        default:
            break;
        }
    }
    if (m_flagsChanged)
        m_d.modified = true;
    if (m_d.modified) {
        recount(m_d);
        totals(m_d, 1, m_d.codeCount);
        allResourceTotals(m_d);
    }
    m_r.changed = m_d.modified;
    m_r.sweepDue =
        m_r.changed &&
        (kind == PasteOneToMany || kind == PasteManyToOne ||
         ((kind == PasteReplaceResources || kind == PasteAddResources) && !m_o.precheck));
    m_d.modified = m_d.modified || wasModified;
    return m_r;
}

} // namespace

PasteReport applyPaste(ScheduleData &d, std::string_view text, const PasteOptions &options)
{
    Paste paste(d, options);
    return paste.run(text);
}

std::string pasteReportText(const PasteReport &r)
{
    std::string s =
        fillIn("{} codes added, {} updated and {} omitted.", r.added, r.updated, r.omitted);
    if (r.omitted > 0)
        s += "\r\n\r\nSample of codes omitted or not found:\r\n\r\n" + r.sample + "...";
    return s;
}

PasteContent pasteContent(const ScheduleData &d, std::string_view text)
{
    PasteContent out;
    std::vector<CodeId> seen;
    for (const ClipLine &line : readClipLines(text))
        for (const std::string &cell : line) {
            const CodeId c = named(d, cell);
            if (c == 0 || std::find(seen.begin(), seen.end(), c) != seen.end())
                continue;
            seen.push_back(c);
            int &count = d.codes[c].isEvent() ? out.events : out.resources;
            std::string &list = d.codes[c].isEvent() ? out.eventList : out.resourceList;
            if (++count <= 19)
                list += std::string(d.codes[c].code.view()) + ", ";
        }
    if (!out.resourceList.empty())
        out.resourceList += "...";
    if (!out.eventList.empty())
        out.eventList += "...";
    return out;
}

bool pasteFromClipboard(ScheduleData &d, Prompter &p, Progress &progress,
                        const Clipboard &clipboard, int kind, bool events, CodeId current)
{
    const std::string text = clipboard.text();
    const bool checked = kind >= PasteCodeConversion;
    if (checked) {
        const PasteContent content = pasteContent(d, text);
        if (content.resources == 0 && content.events == 0) {
            p.infoDlg("Clipboard does not contain any existing resources or events.");
            return false;
        }
        std::string q = fillIn("Clipboard contains {} resource codes and {} event codes:\r\n\r\n",
                               content.resources, content.events);
        if (content.resources > 0)
            q += fillIn("Resource codes ({}):\r\n{}\r\n\r\n", content.resources,
                        content.resourceList);
        if (content.events > 0)
            q += fillIn("Event codes ({}):\r\n{}\r\n\r\n", content.events, content.eventList);
        if (!p.yesNoDlg(q + "Do you want to continue?"))
            return false;
    }
    if (text.size() < 4) {
        p.infoDlg(EmptyClipboard);
        return false;
    }
    PasteOptions options{kind, events, current, false};
    if (kind == PasteDeleteCodes) {
        std::vector<CodeId> found;
        for (const ClipLine &line : readClipLines(text))
            for (const std::string &cell : line)
                if (const CodeId c = named(d, cell);
                    c != 0 && std::find(found.begin(), found.end(), c) == found.end())
                    found.push_back(c);
        if (found.empty() ||
            !p.yesNoDlg(fillIn("{} codes found from the Clipboard - do you want to remove them "
                               "from your data?",
                               found.size())))
            return false;
        const PasteReport r = applyPaste(d, text, options);
        p.infoDlg(fillIn("{} codes found and removed.", r.updated));
        showSummary(d, p);
        return r.changed;
    }
    if ((kind == PasteReplaceResources || kind == PasteAddResources) &&
        d.counters.timetableEntries > 0) {
        const int answer = p.yesNoCancelDlg(
            "Select [Yes] to check for conflicts before resources are added or replaced.\r\n"
            "Select [No] to remove conflicts automatically afterwards.");
        if (answer == Answer::Cancel)
            return false;
        options.precheck = answer == Answer::Yes;
    }
    progress.status("Pasting data from the Clipboard ...");
    const PasteReport r = applyPaste(d, text, options);
    if (r.lines > 0)
        p.infoDlg(pasteReportText(r));
    if (r.sweepDue && d.counters.timetableEntries > 0) {
        PromptedSweep sweep(p, nullptr);
        conflictSweep(d, {1, SweepHandling::Remove}, sweep, progress);
    } else if (r.lines > 0) {
        showSummary(d, p);
    }
    return r.changed;
}

bool pasteWeeksGrid(ScheduleData &d, Prompter &p, Progress &progress, const Clipboard &clipboard)
{
    return pasteFromClipboard(d, p, progress, clipboard, PasteWeeksGrid, true, 0);
}

} // namespace quivra
