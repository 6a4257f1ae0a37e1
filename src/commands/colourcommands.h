#pragma once

// The colours of codes: one chosen, all cleared, or all set automatically.
//
// Every question goes through the Prompter; refreshing the views is the caller's business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <array>
#include <cstdint>

namespace quivra {

// The automatic code colours, 0xRRGGBB; a code's colour is stored as 0x00BBGGRR.
extern const std::array<std::uint32_t, 52> CodePalette;
constexpr std::int32_t storedColour(std::uint32_t rgb)
{
    return static_cast<std::int32_t>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

// Clears every code's colour after asking.
bool clearColours(ScheduleData &d, Prompter &p);
// Automatic colours: 1 by category, 2 random, 3 random to events only, 4 random to resources
// only (the other codes by category). `seed` starts the random numbers.
enum AutoColours : int {
    ColoursByCategory = 1,
    RandomColours = 2,
    RandomEventColours = 3,
    RandomResourceColours = 4,
};
bool setColoursAutomatically(ScheduleData &d, Prompter &p, int mode, std::uint32_t seed);
// Asks for the colour of code c, starting on its own; true when a colour was chosen and set.
bool chooseCodeColour(ScheduleData &d, Prompter &p, CodeId c);
// "Change the current colour": every code with the colour of code c gets one new colour,
// chosen starting on that colour; true when a colour changed. A code without a colour of its
// own has none to change, which a message says.
bool changeCurrentColour(ScheduleData &d, Prompter &p, CodeId c);
// "More colour selections": the events and resources picked in the code selection dialog all
// get one colour, chosen next; true when a colour changed. Cancelling either changes nothing.
bool colourSelectedCodes(ScheduleData &d, Prompter &p);

} // namespace quivra
