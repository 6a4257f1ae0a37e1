#include "commands/codelistrow.h"

#include "engine/lectures.h"
#include "engine/seats.h"

#include <algorithm>

namespace quivra {
namespace {

const char *kindWord(CodeKind kind)
{
    return kind == CodeKind::Event ? "event" : "resource";
}

std::string categoryLetter(const ScheduleData &d, CodeId c)
{
    const std::string name = categoryName(d, c);
    return name.empty() ? std::string() : name.substr(0, 1);
}

bool anyResourceAttached(const ScheduleData &d)
{
    return d.collectionCount > 0;
}

} // namespace

std::vector<ListField> codeListFields(const ScheduleData &d, CodeKind kind, bool seats)
{
    using F = ListField;
    if (!anyResourceAttached(d)) {
        if (kind == CodeKind::Event)
            return {F::Code, F::Name, F::Category, F::Planned};
        return {F::Code, F::Name, F::Category};
    }
    std::vector<ListField> fields{F::Number,  F::Code,      F::Name,      F::Category,
                                  F::Planned, F::Allocated, F::Scheduled, F::Links};
    if (kind == CodeKind::Event) {
        fields.push_back(F::Left);
        if (seats)
            fields.push_back(F::Seats);
        fields.push_back(F::Resources);
    }
    return fields;
}

std::string codeListHeader(ListField field)
{
    switch (field) {
    case ListField::Number:
        return "#:";
    case ListField::Code:
        return "CODE";
    case ListField::Name:
        return "NAME";
    case ListField::Category:
        return "*";
    case ListField::Planned:
        return "PLANNED";
    case ListField::Allocated:
        return "ALLOCATED";
    case ListField::Scheduled:
        return "SCHEDULED";
    case ListField::Links:
        return "LINKS";
    case ListField::Left:
        return "LEFT";
    case ListField::Seats:
        return "SEATS";
    case ListField::Resources:
        return " RESOURCES";
    }
    return {};
}

std::string codeListHeaderHint(ListField field, CodeKind kind)
{
    const std::string k = kindWord(kind);
    switch (field) {
    case ListField::Code:
        return "CODE = Code of the " + k + " (1-" + std::to_string(CodeLength) + " characters)";
    case ListField::Name:
        return "NAME = Name of the " + k + " (0-" + std::to_string(NameLength) + " characters)";
    case ListField::Category:
        return "* = Category shortcut of the " + k;
    case ListField::Planned:
        return "PLANNED = Total number of periods planned for this " + k +
               " in all associated events";
    case ListField::Allocated:
        return "ALLOCATED = Periods planned for this " + k + " that have been allocated to weeks";
    case ListField::Scheduled:
        return "SCHEDULED = Periods already scheduled in the weekly timetables of this " + k;
    case ListField::Links:
        return kind == CodeKind::Event
                   ? "LINKS = The number of resources attached to this event"
                   : "LINKS = The number of events having this resource attached";
    case ListField::Left:
        return "LEFT = Periods of this event allocated to the active week but not yet scheduled";
    case ListField::Seats:
        return "SEATS = Room capacity (\"#\" in the room's name) minus the seats the other "
               "resources of this event need";
    case ListField::Resources:
        return "RESOURCES = The resources of this event by category";
    case ListField::Number:
        break;
    }
    return {};
}

std::string codeListCell(const ScheduleData &d, CodeId c, int row, ListField field, const int *left)
{
    if (!validCode(d, c))
        return {};
    const CodeRecord &r = d.codes[c];
    const bool event = r.isEvent();
    // An event without PLANNED has no meaningful totals yet.
    const auto total = [&](int value) {
        return event && r.planned == 0 ? std::string("-") : std::to_string(value);
    };
    switch (field) {
    case ListField::Number:
        return std::to_string(row) + ":";
    case ListField::Code:
        return r.code.str();
    case ListField::Name:
        return r.name.str();
    case ListField::Category:
        return categoryLetter(d, c);
    case ListField::Planned:
        return std::to_string(r.planned);
    case ListField::Allocated:
        return total(r.allocated);
    case ListField::Scheduled:
        return total(r.scheduled);
    case ListField::Links:
        if (event && collectionOf(d, c)[0] == 0)
            return "?";
        return std::to_string(r.links) + "x";
    case ListField::Left:
        if (!event || left == nullptr)
            return {};
        return (*left >= 0 ? "+" : "") + std::to_string(*left) + " ";
    case ListField::Seats:
        return event ? std::to_string(freeSeats(d, c, -1)) : std::string();
    case ListField::Resources:
        return event ? " " + categorySummary(d, c) : std::string();
    }
    return {};
}

std::vector<CodeId> linkedCodes(const ScheduleData &d, CodeId c)
{
    std::vector<CodeId> out;
    if (!validCode(d, c))
        return out;
    if (d.codes[c].isEvent()) {
        const MemberList members = collectionOf(d, c);
        const int n = std::min<int>(members[0], MaxMembers);
        out.assign(members.begin() + 1, members.begin() + 1 + n);
        return out;
    }
    int cursor = d.collectionEntryCount + 1;
    while (const CodeId e = eventsOfResource(d, c, cursor))
        out.push_back(e);
    std::reverse(out.begin(), out.end());
    return out;
}

std::string codeListRowHint(const ScheduleData &d, CodeId c)
{
    if (!validCode(d, c))
        return {};
    const CodeRecord &r = d.codes[c];
    std::string hint = r.code.str() + " " + r.name.str() + "\n";
    hint += "PLANNED:" + std::to_string(r.planned) + ", ALLOCATED:" + std::to_string(r.allocated) +
            ", SCHEDULED:" + std::to_string(r.scheduled) + ", LINKS:" + std::to_string(r.links);
    const std::vector<CodeId> linked = linkedCodes(d, c);
    if (linked.empty())
        return hint;
    hint += std::string("\n--- ") + (r.isEvent() ? "Resources" : "Events") + " (" +
            std::to_string(linked.size()) + "x) ---";
    for (const CodeId l : linked) {
        hint += "\n" + d.codes[l].code.str() + " " + d.codes[l].name.str() + " (" +
                categoryLetter(d, l) + ")";
    }
    return hint;
}

std::string emptyListText(CodeKind kind)
{
    return kind == CodeKind::Event
               ? "Press the [Insert] key (or right-click and choose Edit|New event) to create "
                 "your first event."
               : "Press the [Insert] key (or right-click and choose Edit|New resource) to "
                 "create your first resource.";
}

std::string emptyListHint(CodeKind kind)
{
    std::string text = emptyListText(kind);
    text.pop_back(); // the hint reads without the full stop
    return text;
}

} // namespace quivra
