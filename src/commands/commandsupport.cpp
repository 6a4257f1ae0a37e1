#include "commands/commandsupport.h"

#include "engine/codetable.h"

namespace quivra {

std::vector<CodeId> codesOfKind(const ScheduleData &d, const std::vector<CodeId> &codes,
                                bool events)
{
    std::vector<CodeId> out;
    for (const CodeId c : codes) {
        if (validCode(d, c) && d.codes[c].isEvent() == events)
            out.push_back(c);
    }
    return out;
}

std::optional<std::vector<CodeId>> pickOfKind(ScheduleData &d, Prompter &p,
                                              const std::string &caption, bool events,
                                              const std::vector<CodeId> &preset,
                                              const CodePickFilter &filter)
{
    // The picker starts from the marks: this command's preselection, nothing older.
    for (CodeId c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent() == events)
            d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
    }
    for (const CodeId c : codesOfKind(d, preset, events))
        d.codes[c].flags |= AllMarks;
    auto chosen = p.pickCodes(d, caption, 0, events ? PickEvents : PickResources, filter);
    if (!chosen)
        return std::nullopt;
    return codesOfKind(d, *chosen, events);
}

} // namespace quivra
