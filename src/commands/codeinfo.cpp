#include "commands/codeinfo.h"

#include "commands/codelistrow.h"
#include "engine/codetable.h"

#include <algorithm>

namespace quivra {
namespace {

std::vector<CodeId> listOf(const ScheduleData &d, bool events)
{
    const auto &list = events ? d.eventList : d.resourceList;
    const int count = std::min<int>(list[0], MaxCodes);
    std::vector<CodeId> codes;
    for (int i = 1; i <= count; ++i) {
        if (validCode(d, list[static_cast<std::size_t>(i)]))
            codes.push_back(list[static_cast<std::size_t>(i)]);
    }
    return codes;
}

} // namespace

CodeInfo codeInfo(const ScheduleData &d, CodeId c, bool editingAllowed)
{
    CodeInfo info;
    if (!validCode(d, c))
        return info;
    const CodeRecord &r = d.codes[c];
    const bool event = r.isEvent();
    const bool locked = event && isLockedCode(d, c);
    info.caption = event ? "Event info" : "Resource info";

    info.lines.push_back(r.code.str() + " " + r.name.str());
    info.lines.push_back("  Category: " + categoryName(d, c));
    info.lines.push_back("  PLANNED: " + std::to_string(r.planned));
    info.lines.push_back("  ALLOCATED: " + std::to_string(r.allocated));
    info.lines.push_back("  SCHEDULED: " + std::to_string(r.scheduled));
    info.lines.push_back("  LEFT: " + std::to_string(int(r.allocated) - int(r.scheduled)));
    if (locked)
        info.lines.push_back("  Locked");
    const std::vector<CodeId> linked = linkedCodes(d, c);
    info.lines.push_back(std::string(event ? "Resources" : "Events") + " (" +
                         std::to_string(linked.size()) + ")");
    for (const CodeId l : linked)
        info.lines.push_back("  " + d.codes[l].code.str() + " " + d.codes[l].name.str() + " (" +
                             categoryName(d, l) + ")");

    info.canEdit = editingAllowed && !locked;
    if (info.canEdit) {
        info.button = "Edit?";
        info.hint = "Click here to edit \"" + r.name.str() + "\"";
    } else {
        info.button = "Close";
        info.hint = std::string("Close this view") + (locked ? " (this event is locked)" : "");
    }
    return info;
}

CodeId codeInfoNeighbour(const ScheduleData &d, CodeId c, int step)
{
    if (!validCode(d, c))
        return c;
    const std::vector<CodeId> list = listOf(d, d.codes[c].isEvent());
    const auto at = std::find(list.begin(), list.end(), c);
    if (at == list.end())
        return c;
    const long i = std::clamp<long>((at - list.begin()) + step, 0, long(list.size()) - 1);
    return list[static_cast<std::size_t>(i)];
}

} // namespace quivra
