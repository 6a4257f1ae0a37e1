#include "commands/codecommands.h"

#include "commands/commandsupport.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/notes.h"
#include "engine/random.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace quivra {

// ----- sorting --------------------------------------------------------------------------------

bool sortCodesBy(ScheduleData &d, Prompter &p, bool events, bool ascending, bool categoryFirst)
{
    std::string keys = "CODE$NAME$PLANNED$ALLOCATED$SCHEDULED$LINKS$TIME$PLANNED-ALLOCATED$"
                       "ALLOCATED-SCHEDULED$";
    if (events)
        keys += "EVENT RESOURCES$";
    const int chosen =
        p.choice(std::string("Sort ") + (events ? "events" : "resources") + " by:", 0, 1, keys);
    if (chosen == 0)
        return false;
    int key = SortByCode + chosen - 1;
    if (chosen == 10) {
        const int category =
            p.categoryChoice(d, "Sort events by their first resource of the category:", 0, 1,
                             CategoryChoiceOptions{false, true, false});
        if (category == 0)
            return false;
        key = SortByFirstResource + category;
    }
    sortCodes(d, key, events ? CodeKind::Event : CodeKind::Resource, ascending, categoryFirst);
    rebuildLists(d);
    return true;
}

bool sortEventResources(ScheduleData &d, Prompter &p, bool ascending)
{
    const int changed = sortEventCollections(d, ascending);
    if (changed == 0)
        p.infoDlg("The resources of every event are in order already.");
    else if (changed == 1)
        p.infoDlg("1 event has its resources sorted.");
    else
        p.infoDlg(std::to_string(changed) + " events have their resources sorted.");
    return changed > 0;
}

// ----- categories and names -------------------------------------------------------------------

int recategorise(ScheduleData &d, Prompter &p, CodeId c)
{
    std::vector<CodeId> codes;
    if (c != 0) {
        if (!validCode(d, c))
            return 0;
        codes.push_back(c);
    } else {
        // Nothing starts checked: marks an earlier picker left are no choice made here.
        clearMarks(d, 1, d.codeCount, AllMarks);
        const auto chosen =
            p.pickCodes(d, "Select the codes to recategorise", 0, PickEvents | PickResources);
        if (!chosen || chosen->empty())
            return 0;
        codes = codesOfKind(d, *chosen, d.codes[chosen->front()].isEvent());
    }
    const bool events = d.codes[codes.front()].isEvent();
    const std::string_view names = events ? d.eventCategories.view() : d.resourceCategories.view();

    std::array<int, MaxCategories + 1> members{};
    for (int k = 1; k <= d.codeCount; ++k) {
        if (d.codes[k].isEvent() == events)
            ++members[categoryOf(d, static_cast<CodeId>(k))];
    }
    // Unnamed categories stay in the list as blanks, so an option's number is its category.
    std::string list;
    for (int k = 1; k <= MaxCategories; ++k) {
        const std::string item = listItem(names, k);
        list += (item.find(':') != std::string::npos
                     ? item + " (" + std::to_string(members[static_cast<std::size_t>(k)]) + ")"
                     : std::string(" ")) +
                "$";
    }
    const int category =
        p.choice("Select the new category:", 0, categoryOf(d, codes.front()), list);
    if (category < 1 || category > MaxCategories)
        return 0;
    setCodesCategory(d, codes, category);
    return category;
}

int attributeNewEvent(ScheduleData &d, Prompter &p, CodeId newEvent, CodeId original,
                      bool *keepAsking)
{
    if (!keepAsking || !*keepAsking || !isEventCode(d, newEvent) || !isEventCode(d, original))
        return 0;
    static constexpr std::array<std::pair<const char *, const char *>, 6> Forms = {{
        {"", " "},
        {"[", "]"},
        {"(", ")"},
        {"{", "}"},
        {"\\", "\\"},
        {"/", "/"},
    }};
    const auto form = [](int k, const std::string &code) {
        const auto &[open, close] = Forms[static_cast<std::size_t>(k - 1)];
        return open + code + close;
    };
    const std::string code = d.codes[newEvent].code.str();
    const std::string name = d.codes[newEvent].name.str();
    std::string options;
    for (int k = 1; k <= 6; ++k)
        options += form(k, code) + name.substr(0, 30) + "...$";
    const int chosen =
        p.choice(std::string("Do you want to attribute the new event?") + LineBreak +
                     "Select [OK] to insert \"" + code + "\" in front of the new event name." +
                     LineBreak + "Select [Cancel] to keep the original event name.",
                 0, 1, options, keepAsking);
    if (chosen < 1 || chosen > 6)
        return 0;
    for (const CodeId c : {newEvent, original}) {
        const std::string prefix = form(chosen, d.codes[c].code.str());
        const std::string current = d.codes[c].name.str();
        if (current.find(prefix) != std::string::npos)
            continue;
        // A name near its limit loses its end rather than overrunning the stored field.
        setCodeName(d, c, prefix + current);
    }
    return chosen;
}

} // namespace quivra
