#pragma once

// The network folder: a shared folder in which several planners each keep a text exchange copy
// (".qvx") of their data set, and from which each adds the others' copies to their own.
//
// A planner's own copy is named after their data file ("plan.qvf" -> "plan.qvx"). The order in
// which copies were last added is remembered in the settings (NetworkFile1..255) and offered
// again first: names of that order that are still in the folder come first, in that order, then
// every other copy of the folder by name. The own copy is never offered. Names are kept as the
// folder spells them, since file names differ by case.

#include "files/settings.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quivra {

constexpr int MaxNetworkFiles = 255;

// The own copy's file name for a data file: its name with the extension ".qvx".
std::string networkCopyName(const std::string &dataFile);

struct ExchangeFile
{
    std::string name; // file name without folder
    std::optional<std::chrono::system_clock::time_point> modified;
};

// The ".qvx" files of `folder` (any case of the extension), sorted by name; hidden files (such
// as a copy being written) are left out. Empty when the folder cannot be read.
std::vector<ExchangeFile> listExchangeFiles(const std::string &folder);

// The names offered for adding, at most MaxNetworkFiles: the remembered order first, then the
// rest of `present` in its order, without `ownCopy` and without duplicates.
std::vector<std::string> networkCandidates(const std::vector<std::string> &order,
                                           const std::vector<std::string> &present,
                                           const std::string &ownCopy);

// The remembered order (empty entries skipped), and storing a new one.
std::vector<std::string> networkOrder(const Settings &s);
void setNetworkOrder(Settings &s, const std::vector<std::string> &order);

} // namespace quivra
