#pragma once

// What the frame's commands share: the code pickers of one kind of code.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quivra {

// Line break of message texts.
inline constexpr const char *LineBreak = "\r\n";

// The codes of one kind (events or resources) among `codes`; invalid ones are dropped.
std::vector<CodeId> codesOfKind(const ScheduleData &d, const std::vector<CodeId> &codes,
                                bool events);
// The code picker asked for one kind: it offers only codes of that kind and starts with
// exactly `preset` checked, whatever an earlier picker left marked; a code of the other kind
// that comes back checked is ignored. Nothing when cancelled.
std::optional<std::vector<CodeId>> pickOfKind(ScheduleData &d, Prompter &p,
                                              const std::string &caption, bool events,
                                              const std::vector<CodeId> &preset = {},
                                              const CodePickFilter &filter = {});

} // namespace quivra
