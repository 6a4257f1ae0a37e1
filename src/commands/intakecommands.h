#pragma once

// Tools|Intake scheduling as a user meets it: the questions, then the open data set replaced by
// the merged intakes (files/intake.h), untitled, so that a plain Save cannot write it over the
// pattern file.

#include "commands/session.h"

namespace quivra {

constexpr int IntakeHelp = 2580;

// True when the data set was replaced by the merged intakes. Every question can be cancelled
// with nothing changed; a data set with unsaved changes is offered for saving first.
bool intakeScheduling(Session &s);

} // namespace quivra
