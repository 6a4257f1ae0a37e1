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

} // namespace quivra
