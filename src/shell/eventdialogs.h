#pragma once

// The frame's side of the Events view's dialogs (Bulk schedule, Split event, Manage roles) and
// the Tools menu's Replace tool.

#include <memory>

namespace quivra {

struct FrameCommand;
class ReplaceTool;
class TFrameForm;

// Binds Tools|Replace tool|Replace string (or, with `changeCase`, Change case) to `tool`, which
// remembers the text to find for as long as the frame lives.
void bindReplaceCommand(FrameCommand &row, TFrameForm &frame, std::shared_ptr<ReplaceTool> tool,
                        bool changeCase);

} // namespace quivra
