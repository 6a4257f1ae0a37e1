#pragma once

// Help topics: the numbers dialogs and commands carry for their Help buttons, and the page of
// the help shipped with the program (data/help, installed to share/quivra/help) each one opens.
//
// A topic names a page and, where the page covers several dialogs, the part of it (an anchor).
// Topics without a page of their own open the contents page, so a Help button always shows
// something. The pages are plain HTML files that link to each other by file name.

#include <string>
#include <vector>

namespace quivra {

namespace HelpTopic {
constexpr int Contents = 1;
constexpr int Tutorial = 2;
constexpr int FileMenu = 1000;
constexpr int ResourcesView = 1100;
constexpr int EventsView = 1200;
constexpr int WeeksView = 1300;
constexpr int TimetablesView = 1400;
constexpr int OptionsDialog = 1500;
constexpr int PrintMenu = 1600;
constexpr int Statistics = 1700;
constexpr int CollectionsEditor = 1800;
constexpr int CodeSelection = 2100;
constexpr int Optimisation = 2300;
constexpr int ToolsMenu = 3000;
constexpr int Colours = 3010;
constexpr int InfoWindow = 3020;
constexpr int DemoFile = 3030;
constexpr int LongWork = 3040;
} // namespace HelpTopic

struct HelpPage
{
    std::string file;   // "events.html"
    std::string anchor; // "duplicate-many", empty for the top of the page
};

// The page `topic` opens; the contents page for a topic without one.
HelpPage helpPage(int topic);
// "file#anchor", or the file alone.
std::string helpLink(int topic);
// Every topic that has a page of its own, in ascending order.
std::vector<int> helpTopics();

} // namespace quivra
