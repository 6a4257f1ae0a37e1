#pragma once

// The default kinds of new bookings and their captions.
//
// Every question goes through the Prompter; refreshing the views is the caller's business.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

namespace quivra {

// The default booking kind of new event (events true) or resource bookings, or the caption of
// the current one: 1..3 when a kind was chosen, 4 when the caption was changed, 0 cancelled.
int bookingChoice(ScheduleData &d, Prompter &p, bool events);

} // namespace quivra
