#include "commands/codelistcommands.h"

#include "commands/codecommands.h"
#include "commands/colourcommands.h"
#include "engine/codeedits.h"
#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/recount.h"
#include "engine/textutil.h"
#include "engine/totals.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <vector>

namespace quivra {
namespace {

bool isEventKind(CodeKind kind)
{
    return kind == CodeKind::Event;
}

const char *noun(CodeKind kind)
{
    return isEventKind(kind) ? "event" : "resource";
}

CodeKind kindOf(const ScheduleData &d, CodeId c)
{
    return d.codes[c].isEvent() ? CodeKind::Event : CodeKind::Resource;
}

bool ofKind(const ScheduleData &d, CodeId c, CodeKind kind)
{
    return validCode(d, c) && kindOf(d, c) == kind;
}

// The codes of the list of `kind`, in list order.
std::vector<CodeId> listCodes(const ScheduleData &d, CodeKind kind)
{
    const auto &list = isEventKind(kind) ? d.eventList : d.resourceList;
    const int count = std::min<int>(list[0], MaxCodes);
    std::vector<CodeId> codes;
    for (int i = 1; i <= count; ++i) {
        if (validCode(d, list[static_cast<std::size_t>(i)]))
            codes.push_back(list[static_cast<std::size_t>(i)]);
    }
    return codes;
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string codeAndName(const ScheduleData &d, CodeId c)
{
    const CodeRecord &r = d.codes[c];
    return r.name.empty() ? std::string(r.code.view())
                          : std::string(r.code.view()) + " " + std::string(r.name.view());
}

std::string lower(std::string_view text)
{
    std::string s(text);
    for (char &ch : s)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

std::string tableFullText(CodeKind kind)
{
    return "The list of codes is full (" + std::to_string(MaxCodes) + " codes): no " + noun(kind) +
           " can be added.";
}

// Asks for a code until the answer can be one, starting on `initial`; nothing when cancelled
// or when the user gives up after a refusal.
std::optional<std::string> askCode(const ScheduleData &d, Prompter &p, std::string_view caption,
                                   std::string_view prompt, std::string initial, CodeId self)
{
    for (;;) {
        const auto typed = p.input(caption, prompt, initial, CodeLength);
        if (!typed)
            return std::nullopt;
        const std::string problem = codeProblem(d, *typed, self);
        if (problem.empty())
            return trimmedCode(*typed);
        if (!p.yesNoDlg(problem + " - please select another key."))
            return std::nullopt;
        initial = *typed;
    }
}

} // namespace

bool codeListEnabled(const ScheduleData &d, CodeKind kind, CodeListCommand command, CodeId current,
                     std::string_view searchText)
{
    const std::size_t count = listCodes(d, kind).size();
    const bool hasCurrent = ofKind(d, current, kind);
    switch (command) {
    case CodeListCommand::New:
        return true;
    case CodeListCommand::MoveUp:
    case CodeListCommand::MoveDown:
        return hasCurrent && count >= 2;
    case CodeListCommand::SearchAgain:
        return hasCurrent && !searchText.empty();
    case CodeListCommand::FindByLinks:
        return hasCurrent &&
               std::any_of(d.eventList.begin() + 1, d.eventList.begin() + 1 + d.eventList[0],
                           [&](CodeId e) { return d.codes[e].links > 0; });
    case CodeListCommand::Edit:
    case CodeListCommand::Delete:
    case CodeListCommand::Duplicate:
    case CodeListCommand::Recode:
    case CodeListCommand::Rename:
    case CodeListCommand::Recategorize:
    case CodeListCommand::Colour:
    case CodeListCommand::Find:
    case CodeListCommand::Info:
        return hasCurrent;
    }
    return false;
}

std::string trimmedCode(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string codeProblem(const ScheduleData &d, std::string_view text, CodeId self)
{
    const std::string code = trimmedCode(text);
    if (code.empty())
        return "A code needs at least one character other than a space";
    if (code.size() > static_cast<std::size_t>(CodeLength))
        return quoted(code) + " is longer than " + std::to_string(CodeLength) + " characters";
    for (int k = 1; k <= d.codeCount; ++k) {
        if (k != self && d.codes[static_cast<std::size_t>(k)].code.view() == code)
            return quoted(code) + " already exists";
    }
    return {};
}

std::string plannedProblem(const ScheduleData &d, CodeId c, std::string_view planned)
{
    const int low = validCode(d, c) ? std::max<int>(d.codes[c].allocated, 1) : 1;
    const int high = std::max(low, std::min<int>(d.coding.slotsTotal, 0xFFFF));
    const std::string range = "PLANNED must be a number from " + std::to_string(low) + " to " +
                              std::to_string(high) + ".";
    const std::string text = trimmedCode(planned);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return range;
    return value < low || value > high ? range : std::string();
}

CodeId newListCode(ScheduleData &d, Prompter &p, CodeKind kind, CodeId current,
                   const CollectionsSession &session)
{
    if (d.codeCount >= MaxCodes) {
        p.warnDlg(tableFullText(kind));
        return 0;
    }
    const bool sameKind = ofKind(d, current, kind);
    const int category = sameKind ? std::max(categoryOf(d, current), 1) : 1;
    CollectionsEditor editor(
        d, p, isEventKind(kind) ? CollectionsMode::Event : CollectionsMode::Resource, 0, category);
    editor.setInsertPosition(sameKind ? static_cast<int>(current) + 1 : 0);
    session(editor);
    if (editor.commits() == 0)
        return 0;
    return findCode(d, editor.storedCode());
}

bool editListCode(ScheduleData &d, Prompter &p, CodeId c, const CollectionsSession &session)
{
    if (!validCode(d, c))
        return false;
    const CollectionsMode mode =
        d.codes[c].isEvent() ? CollectionsMode::Event : CollectionsMode::Resource;
    CollectionsEditor editor(d, p, mode, c);
    session(editor);
    return editor.commits() > 0;
}

bool deleteListCode(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    if (!p.sureDlg(std::string("to remove ") + noun(kindOf(d, c)) + " " +
                   quoted(codeAndName(d, c)) + " "))
        return false;
    if (d.currentCode == c)
        d.currentCode = 0;
    const bool deleted = deleteCode(d, c);
    if (deleted) {
        allResourceTotals(d);
        rebuildLists(d);
    }
    return deleted;
}

CodeId copyListCode(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return 0;
    const CodeKind kind = kindOf(d, c);
    if (d.codeCount >= MaxCodes) {
        p.warnDlg(tableFullText(kind));
        return 0;
    }
    const std::string code = makeUniqueCode(d, d.codes[c].code.view());
    if (code.empty()) {
        p.warnDlg("No free code can be made from " + quoted(d.codes[c].code.view()) + ".");
        return 0;
    }
    CodeRecord copy = d.codes[c];
    copy.code.assign(code);
    copy.firstLecture = 0;
    copy.collectionPos = 0;
    copy.scheduled = 0;
    copy.flags = static_cast<std::uint16_t>(copy.flags & ~LinkMarksMask);

    WeekAllocation wa;
    MemberList members{};
    int position = static_cast<int>(c) + 1;
    if (kind == CodeKind::Event) {
        loadWeekAllocation(d, c, wa);
        members = collectionOf(d, c);
        // After the event and the resources stored behind it: before the next event.
        while (position <= d.codeCount && !d.codes[static_cast<std::size_t>(position)].isEvent())
            ++position;
    }
    const int at = insertCode(d, position, copy);
    if (at == 0) {
        p.warnDlg(tableFullText(kind));
        return 0;
    }
    const auto made = static_cast<CodeId>(at);
    const CodeId original = c; // the copy goes behind it, so it keeps its place

    if (kind == CodeKind::Event) {
        if (members[0] > 0)
            setCollection(d, made, members);
        // The weekly periods, not the timetable: the copy is still to be scheduled.
        WeekAllocation weeks;
        weeks.code = made;
        weeks.allocated = wa.allocated;
        weeks.firstWeek = wa.firstWeek;
        weeks.lastWeek = wa.lastWeek;
        storeWeekAllocation(d, made, weeks);
    } else {
        std::vector<CodeId> events;
        for (const CodeId e : listCodes(d, CodeKind::Event)) {
            const MemberList m = collectionOf(d, e);
            const bool holds = positionInList(original, m) > 0;
            if (holds && d.codes[e].scheduled == 0 && m[0] < MaxMembers)
                events.push_back(e);
        }
        for (const CodeId e : events) {
            MemberList m = collectionOf(d, e);
            m[static_cast<std::size_t>(++m[0])] = made;
            setCollection(d, e, m);
        }
    }
    recount(d);
    totals(d, 1, d.codeCount);
    allResourceTotals(d);
    rebuildLists(d);
    d.currentCode = made;
    return made;
}

CodeId duplicateListCode(ScheduleData &d, Prompter &p, CodeId c)
{
    const CodeId made = copyListCode(d, p, c);
    if (made != 0)
        recodeListCode(d, p, made);
    return made;
}

bool recodeListCode(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    const std::string oldCode(d.codes[c].code.view());
    const auto code =
        askCode(d, p, "Recode " + oldCode, "New code for " + quoted(oldCode) + " ?", oldCode, c);
    return code && *code != oldCode && renameCode(d, oldCode, *code);
}

bool renameListCode(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    const std::string oldName(d.codes[c].name.view());
    const auto name = p.input("Rename " + oldName, "New name for " + quoted(d.codes[c].code.view()),
                              oldName, NameLength);
    if (!name || *name == oldName)
        return false;
    return setCodeName(d, c, *name) && d.codes[c].name.view() != oldName;
}

bool recategoriseListCode(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    const int before = categoryOf(d, c);
    const int after = recategorise(d, p, c);
    return after != 0 && after != before;
}

std::int32_t keptColour(std::uint32_t rgb)
{
    // A stored 0 means "no colour", and a file keeps no colour below 63: black and the reds
    // that dark get a touch of green and blue, one step each, which no eye tells apart.
    const std::int32_t stored = storedColour(rgb & 0xFFFFFF);
    return stored < 63 ? stored | 0x010100 : stored;
}

bool setListCodeColour(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    const auto stored = static_cast<std::uint32_t>(std::max(d.codes[c].colour, 0));
    const std::uint32_t initial = static_cast<std::uint32_t>(storedColour(stored & 0xFFFFFF));
    const auto chosen = p.chooseColour("Set colour to " + quoted(d.codes[c].code.view()), initial);
    if (!chosen)
        return false;
    const std::int32_t colour = keptColour(*chosen);
    bool changed = d.codes[c].colour != colour;
    setCodeColour(d, c, colour);
    const bool event = d.codes[c].isEvent();
    const std::string question = std::string("Set this colour also to other ") +
                                 (event ? "events" : "resources") + " of the same category?";
    if (!p.yesNoDlg(question))
        return changed;
    const int category = categoryOf(d, c);
    for (int k = 1; k <= d.codeCount; ++k) {
        const auto other = static_cast<CodeId>(k);
        if (other == c || d.codes[other].isEvent() != event || categoryOf(d, other) != category)
            continue;
        if (d.codes[other].colour != colour) {
            setCodeColour(d, other, colour);
            changed = true;
        }
    }
    return changed;
}

bool moveListCode(ScheduleData &d, CodeId c, int step)
{
    if (!validCode(d, c))
        return false;
    const std::vector<CodeId> codes = listCodes(d, kindOf(d, c));
    const auto at = std::find(codes.begin(), codes.end(), c);
    if (at == codes.end())
        return false;
    const auto row = static_cast<long>(at - codes.begin());
    const long target = std::clamp<long>(row + step, 0, static_cast<long>(codes.size()) - 1);
    if (target == row)
        return false;
    const CodeId other = codes[static_cast<std::size_t>(target)];
    swapCodes(d, c, other);
    rebuildLists(d);
    d.currentCode = other; // the moved code now sits where its neighbour was
    return true;
}

void showListCodeInfo(const ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return;
    std::string text = codeListRowHint(d, c);
    text += "\nCategory: " + categoryName(d, c);
    if (d.codes[c].isEvent() && isLockedCode(d, c))
        text += "\nLocked";
    p.infoDlg(text);
}

CodeId findInList(const ScheduleData &d, CodeKind kind, CodeId current, std::string_view text)
{
    const std::vector<CodeId> codes = listCodes(d, kind);
    if (codes.empty() || text.empty())
        return 0;
    const std::string wanted = lower(text);
    const auto at = std::find(codes.begin(), codes.end(), current);
    const std::size_t start =
        at == codes.end() ? codes.size() - 1 : static_cast<std::size_t>(at - codes.begin());
    for (std::size_t i = 1; i <= codes.size(); ++i) {
        const CodeId c = codes[(start + i) % codes.size()];
        const std::string built =
            "$" + lower(d.codes[c].code.view()) + "$" + lower(d.codes[c].name.view());
        const bool found = wanted.size() == 1 ? built.find("$" + wanted) != std::string::npos
                                              : built.find(wanted) != std::string::npos;
        if (found)
            return c;
    }
    return 0;
}

CodeId findListCode(const ScheduleData &d, Prompter &p, CodeKind kind, CodeId current,
                    std::string &searchText, bool again)
{
    if (!again || searchText.empty()) {
        const auto typed =
            p.input(std::string("Find ") + noun(kind) + " (press the [F3] key for next match)",
                    "Please enter part of the code or name:", searchText, 255);
        if (!typed) {
            searchText.clear();
            return 0;
        }
        searchText = *typed;
    }
    if (searchText.empty())
        return 0;
    const CodeId found = findInList(d, kind, current, searchText);
    if (found == 0)
        p.infoDlg("Sorry, no matches for " + quoted(searchText) + ".");
    return found;
}

CodeId findNextLinked(const ScheduleData &d, CodeKind kind, CodeId current,
                      const LinkSearch &search)
{
    std::vector<CodeId> wanted;
    for (const std::string &code : search.codes)
        if (const CodeId c = findCode(d, code); c != 0)
            wanted.push_back(c);
    const std::vector<CodeId> codes = listCodes(d, kind);
    if (codes.empty() || wanted.empty())
        return 0;
    const auto at = std::find(codes.begin(), codes.end(), current);
    const std::size_t start =
        at == codes.end() ? codes.size() - 1 : static_cast<std::size_t>(at - codes.begin());
    for (std::size_t i = 1; i <= codes.size(); ++i) {
        const CodeId c = codes[(start + i) % codes.size()];
        const std::vector<CodeId> linked = linkedCodes(d, c);
        const bool any = std::any_of(linked.begin(), linked.end(), [&](CodeId l) {
            return std::find(wanted.begin(), wanted.end(), l) != wanted.end();
        });
        if (any != search.notLinked)
            return c;
    }
    return 0;
}

CodeId findByLinks(ScheduleData &d, Prompter &p, CodeKind kind, CodeId current,
                   std::string &searchText, LinkSearch &search, bool notLinked)
{
    const bool events = isEventKind(kind);
    const std::string what =
        events ? (notLinked ? "resources NOT in event resources" : "resources in event resources")
               : (notLinked ? "events NOT linked with resources" : "events linked with resources");
    const auto picked = p.pickCodes(d, "Select by " + what + " (press the [F3] key for next match)",
                                    0, events ? PickResources : PickEvents);
    searchText.clear();
    if (!picked || picked->empty())
        return 0;
    search.codes.clear();
    for (const CodeId c : *picked)
        search.codes.push_back(d.codes[c].code.str());
    search.notLinked = notLinked;
    const auto typed =
        p.input(std::string("Find ") + noun(kind) + " (press the [F3] key for next match)",
                "Please enter part of the code or name:", "", 255);
    if (typed && !typed->empty()) {
        // A text ends the link search and is searched for itself.
        search = {};
        searchText = *typed;
        const CodeId found = findInList(d, kind, current, searchText);
        if (found == 0)
            p.infoDlg("Sorry, no matches for " + quoted(searchText) + ".");
        return found;
    }
    const CodeId found = findNextLinked(d, kind, current, search);
    if (found == 0)
        p.infoDlg(std::string("Sorry, no ") + noun(kind) + "s found by these links.");
    return found;
}

int sortKeyOfField(ListField field)
{
    switch (field) {
    case ListField::Number:
    case ListField::Code:
        return SortByCode;
    case ListField::Name:
    case ListField::Category:
        return SortByName;
    case ListField::Planned:
        return SortByPlanned;
    case ListField::Allocated:
        return SortByAllocated;
    case ListField::Scheduled:
        return SortByScheduled;
    case ListField::Links:
        return SortByLinks;
    case ListField::Left:
    case ListField::Seats:
    case ListField::Resources:
        return 0;
    }
    return 0;
}

bool sortListByField(ScheduleData &d, Prompter &p, CodeKind kind, ListField field, bool locked,
                     bool categoryFirst, std::uint32_t &directions)
{
    const int key = sortKeyOfField(field);
    if (key == 0)
        return false;
    if (locked) {
        p.infoDlg(isEventKind(kind) ? "Sorting is locked - uncheck \"Tools|Sort lock\" to enable "
                                      "sorting."
                                    : "Automatic sorting of items is locked - uncheck "
                                      "\"Tools|Sort lock\" to enable sorting.",
                  0, 40050);
        return false;
    }
    const std::uint32_t bit = 1u << (key - SortByCode);
    const bool ascending = (directions & bit) != 0;
    directions ^= bit;
    sortCodes(d, key, kind, ascending, categoryFirst);
    rebuildLists(d);
    return true;
}

bool setListField(ScheduleData &d, Prompter &p, CodeId c, ListField field, std::string_view text)
{
    if (!validCode(d, c))
        return false;
    switch (field) {
    case ListField::Code: {
        const std::string problem = codeProblem(d, text, c);
        if (!problem.empty()) {
            p.warnDlg(problem + ".");
            return false;
        }
        const std::string oldCode(d.codes[c].code.view());
        const std::string code = trimmedCode(text);
        return code != oldCode && renameCode(d, oldCode, code);
    }
    case ListField::Name: {
        const std::string before(d.codes[c].name.view());
        return setCodeName(d, c, text) && d.codes[c].name.view() != before;
    }
    case ListField::Planned: {
        if (!d.codes[c].isEvent())
            return false;
        const std::string problem = plannedProblem(d, c, text);
        if (!problem.empty()) {
            p.warnDlg(problem);
            return false;
        }
        const int planned = std::stoi(trimmedCode(text));
        if (planned == d.codes[c].planned)
            return false;
        return setCodePlanned(d, c, planned);
    }
    default:
        return false;
    }
}

} // namespace quivra
