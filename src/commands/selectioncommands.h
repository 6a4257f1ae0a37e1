#pragma once

// Tools|Selection optimisation as a user meets it: the method and its questions, the run, the
// figures, and the list of changes the user accepts or rejects (optimise/selection.h). Rejecting
// restores the collections exactly as they were.

#include "commands/session.h"
#include "ui/ports.h"

#include <functional>
#include <string>
#include <vector>

namespace quivra {

constexpr int SelectionHelp = 2590;

// The list of changes shown with the buttons "Accept" and "Reject".
struct ChangeReview
{
    std::string caption;
    std::string title;
    std::vector<std::string> lines;
};
// True when the user accepts the changes.
using ReviewChanges = std::function<bool(const ChangeReview &)>;

// The list through the prompter's line list: OK accepts, Cancel rejects. The desktop shows its
// own window with the two buttons.
ReviewChanges promptedReview(Prompter &prompter);

// True when collections were changed and kept. The categories chosen are kept in the settings.
bool selectionOptimisation(Session &s, Clipboard &clipboard, const ReviewChanges &review);

} // namespace quivra
