#include "ui/helptopics.h"

#include <algorithm>
#include <array>

namespace quivra {
namespace {

struct TopicPage
{
    int topic;
    const char *file;
    const char *anchor;
};

// In ascending order of topic. The numbers below 1000 and the 3000s are the frame's own; the
// others are the ones the dialogs and commands already carry.
constexpr std::array Pages = {
    TopicPage{HelpTopic::Contents, "index.html", ""},
    TopicPage{HelpTopic::Tutorial, "tutorial.html", ""},
    TopicPage{HelpTopic::FileMenu, "files.html", ""},
    TopicPage{1040, "events.html", "clipboard"},
    TopicPage{1045, "resources.html", "new"},
    TopicPage{1050, "events.html", "new"},
    TopicPage{HelpTopic::ResourcesView, "resources.html", ""},
    TopicPage{HelpTopic::EventsView, "events.html", ""},
    TopicPage{1205, "eventtools.html", "bulk-schedule"},
    TopicPage{1210, "eventtools.html", "split"},
    TopicPage{1215, "eventtools.html", "roles"},
    TopicPage{1220, "checks.html", "loads"},
    TopicPage{1225, "events.html", "duplicate-many"},
    TopicPage{1227, "events.html", "copy-schedule"},
    TopicPage{1235, "events.html", "daily-schedules"},
    TopicPage{HelpTopic::WeeksView, "weeks.html", ""},
    TopicPage{HelpTopic::TimetablesView, "timetables.html", ""},
    TopicPage{HelpTopic::OptionsDialog, "options.html", ""},
    TopicPage{HelpTopic::PrintMenu, "publishing.html", ""},
    TopicPage{1610, "publishing.html", "report"},
    TopicPage{1620, "publishing.html", "report"},
    TopicPage{1630, "publishing.html", "report"},
    TopicPage{1640, "publishing.html", "report"},
    TopicPage{1650, "publishing.html", "report"},
    TopicPage{HelpTopic::Statistics, "checks.html", "statistics"},
    TopicPage{HelpTopic::CollectionsEditor, "collections.html", ""},
    TopicPage{1805, "collections.html", "schedule"},
    TopicPage{1810, "collections.html", ""},
    TopicPage{1900, "collections.html", "schedule"},
    TopicPage{HelpTopic::CodeSelection, "codeselection.html", ""},
    TopicPage{HelpTopic::Optimisation, "optimise.html", ""},
    TopicPage{2310, "optimise.html", "initial"},
    TopicPage{2320, "optimise.html", "optimise"},
    TopicPage{2520, "optimise.html", "unscheduled"},
    TopicPage{2530, "checks.html", "statistics"},
    TopicPage{2560, "tools.html", "cycling"},
    TopicPage{2580, "intake.html", ""},
    TopicPage{2590, "selection.html", ""},
    TopicPage{HelpTopic::ToolsMenu, "tools.html", ""},
    TopicPage{HelpTopic::Colours, "tools.html", "colours"},
    TopicPage{HelpTopic::InfoWindow, "resources.html", "info"},
    TopicPage{HelpTopic::DemoFile, "files.html", "demo"},
    TopicPage{HelpTopic::LongWork, "tools.html", "stop"},
    TopicPage{10500, "publishing.html", "export"},
    TopicPage{40050, "resources.html", "sorting"},
    TopicPage{40100, "checks.html", "health"},
    TopicPage{40125, "tools.html", "replace"},
    TopicPage{40150, "campus.html", "check"},
    TopicPage{50200, "publishing.html", "export"},
    TopicPage{51050, "checks.html", "summary"},
    TopicPage{51100, "checks.html", "health"},
    TopicPage{51200, "checks.html", "loads"},
    TopicPage{51300, "checks.html", "quality"},
};

static_assert(std::ranges::is_sorted(Pages, {}, &TopicPage::topic));

} // namespace

HelpPage helpPage(int topic)
{
    const auto *at = std::ranges::lower_bound(Pages, topic, {}, &TopicPage::topic);
    if (at == Pages.end() || at->topic != topic)
        return {"index.html", ""};
    return {at->file, at->anchor};
}

std::string helpLink(int topic)
{
    const HelpPage page = helpPage(topic);
    return page.anchor.empty() ? page.file : page.file + "#" + page.anchor;
}

std::vector<int> helpTopics()
{
    std::vector<int> topics;
    for (const TopicPage &page : Pages)
        topics.push_back(page.topic);
    return topics;
}

} // namespace quivra
