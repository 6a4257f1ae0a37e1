#pragma once

// How the views show the data set: state of the running program that the main frame owns and
// every view reads. Nothing here is stored in the data file.

#include "engine/codetable.h"
#include "ui/dialogs.h"

#include <QColor>

#include <cstdint>

namespace quivra {

struct ViewOptions
{
    int activeWeek = 1;      // the week the week-bound views show, 1..weeks in use
    int showMode = ShowCode; // how codes are labelled: ShowCode, ShowName or both
    bool showColours = true; // fill rows and cells with the codes' colours
    bool showSeats = false;  // the events list shows SEATS (the settings' capacity check)
    FontChoice listFont;     // the code lists' font, shared by the views; empty: the default
};

// A code's stored colour (0x00BBGGRR) as a QColor; invalid when the code has none (0 or less).
inline QColor codeColour(std::int32_t stored)
{
    if (stored <= 0)
        return {};
    return QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF);
}

} // namespace quivra
