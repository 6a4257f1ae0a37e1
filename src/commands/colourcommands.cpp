#include "commands/colourcommands.h"

#include "commands/codelistcommands.h"
#include "commands/commandsupport.h"
#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
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

const std::array<std::uint32_t, 52> CodePalette = {
    0x3333FF, 0x3399FF, 0x33FFFF, 0x33FF99, 0x33FF33, 0x99FF33, 0xFFFF33, 0xFF9933, 0xFF3333,
    0xFF3399, 0xFF33FF, 0x9933FF, 0xA0A0A0, 0x6666FF, 0x66B2FF, 0x66FFFF, 0x66FFB2, 0x66FF66,
    0xB2FF66, 0xFFFF66, 0xFFB266, 0xFF6666, 0xFF66B2, 0xFF66FF, 0xB266FF, 0xC0C0C0, 0x9999FF,
    0x99CCFF, 0x99FFFF, 0x99FFCC, 0x99FF99, 0xCCFF99, 0xFFFF99, 0xFFCC99, 0xFF9999, 0xFF99CC,
    0xFF99FF, 0xCC99FF, 0xE0E0E0, 0xCCCCFF, 0xCCE5FF, 0xCCFFFF, 0xCCFFE5, 0xCCFFCC, 0xE5FFCC,
    0xFFFFCC, 0xFFE5CC, 0xFFCCCC, 0xFFCCE5, 0xCCCCFF, 0xE5CCFF, 0xFFFFFF,
};

// ----- colours --------------------------------------------------------------------------------

bool chooseCodeColour(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    const auto stored = static_cast<std::uint32_t>(std::max(d.codes[c].colour, 0));
    // Stored as 0x00BBGGRR, offered as 0xRRGGBB; the swap is its own inverse.
    const auto initial = static_cast<std::uint32_t>(storedColour(stored & 0xFFFFFF));
    const auto chosen =
        p.chooseColour("Set colour to \"" + std::string(d.codes[c].code.view()) + "\"", initial);
    return chosen && setCodeColour(d, c, storedColour(*chosen));
}

bool changeCurrentColour(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCode(d, c))
        return false;
    const std::string code = "\"" + std::string(d.codes[c].code.view()) + "\"";
    const std::int32_t old = d.codes[c].colour;
    if (old == 0) {
        p.infoDlg(code + " has no colour of its own." + LineBreak +
                  "Give it one with \"Set colour to this item\" first.");
        return false;
    }
    std::vector<CodeId> alike;
    for (int k = 1; k <= d.codeCount; ++k) {
        if (d.codes[k].colour == old)
            alike.push_back(static_cast<CodeId>(k));
    }
    const auto initial = static_cast<std::uint32_t>(storedColour(static_cast<std::uint32_t>(old)));
    const auto chosen =
        p.chooseColour(fillIn("Change the colour of {} and of {} other item(s) of that colour",
                              code, alike.size() - 1),
                       initial & 0xFFFFFF);
    if (!chosen)
        return false;
    const std::int32_t colour = keptColour(*chosen);
    bool changed = false;
    for (const CodeId k : alike)
        changed = setCodeColour(d, k, colour) || changed;
    return changed;
}

bool colourSelectedCodes(ScheduleData &d, Prompter &p)
{
    const auto picked = p.pickCodes(d, "Select the events and resources to colour", 0, 0);
    if (!picked || picked->empty())
        return false;
    const auto chosen = p.chooseColour(
        fillIn("Set one colour to the {} selected item(s)", picked->size()), 0xFFFFFF);
    if (!chosen)
        return false;
    const std::int32_t colour = keptColour(*chosen);
    bool changed = false;
    for (const CodeId k : *picked)
        changed = setCodeColour(d, k, colour) || changed;
    return changed;
}

bool clearColours(ScheduleData &d, Prompter &p)
{
    if (!p.sureDlg("to clear all resource and event colours"))
        return false;
    int cleared = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].colour != 0) {
            setCodeColour(d, static_cast<CodeId>(c), 0);
            ++cleared;
        }
    }
    p.infoDlg(std::to_string(cleared) + " colours cleared.");
    return cleared > 0;
}

bool setColoursAutomatically(ScheduleData &d, Prompter &p, int mode, std::uint32_t seed)
{
    if (mode < ColoursByCategory || mode > RandomResourceColours)
        return false;
    if (!p.yesNoDlg("Do you want to let Quivra automatically set new colours to events and "
                    "resources?"))
        return false;
    Random random(seed);
    std::array<int, 8> r{};
    for (int k = 1; k <= 7; ++k)
        r[k] = 1 + static_cast<int>(random.below(4));
    int coloured = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        const bool event = d.codes[c].isEvent();
        const bool randomColour = mode == RandomColours || (mode == RandomEventColours && event) ||
                                  (mode == RandomResourceColours && !event);
        std::int32_t colour = 0;
        if (randomColour) {
            const std::uint32_t red = 128 + random.below(128);
            const std::uint32_t green = 128 + random.below(128);
            const std::uint32_t blue = 128 + random.below(128);
            colour = storedColour(red << 16 | green << 8 | blue);
        } else {
            const int category = categoryOf(d, static_cast<CodeId>(c));
            const int index = event ? r[2] * 7 + category * r[3] + r[4] - 1
                                    : r[5] * 7 + category * r[6] + r[7] - 1;
            colour = storedColour(CodePalette[static_cast<std::size_t>(index % 52)]);
        }
        setCodeColour(d, static_cast<CodeId>(c), colour);
        ++coloured;
    }
    return coloured > 0;
}

} // namespace quivra
