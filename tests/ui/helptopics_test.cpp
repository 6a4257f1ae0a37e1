#include "ui/helptopics.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace quivra {
namespace {

namespace fs = std::filesystem;

// The pages shipped with the program; the tests run in tests/ui of the source tree.
const fs::path HelpFolder = "../../data/help";

std::string readPage(const std::string &file)
{
    std::ifstream in(HelpFolder / file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether `file` exists and, for a non-empty anchor, holds an element with that id.
bool resolves(const std::string &file, const std::string &anchor)
{
    if (!fs::is_regular_file(HelpFolder / file))
        return false;
    return anchor.empty() || readPage(file).find("id=\"" + anchor + "\"") != std::string::npos;
}

TEST(HelpTopics, HelpButtonOpensTheTopicAndTheQuestionWaitsForItsAnswer)
{
    ScriptedDialogs ui;
    ui.answer(Answer::Help).answer(Answer::Help).answer(Answer::No);
    Prompter p(ui);

    EXPECT_FALSE(p.sureDlg("to clear all 3 memo lines", 0, 1205));
    EXPECT_EQ(ui.helpShown(), (std::vector<int>{1205, 1205}));
    EXPECT_EQ(ui.shown().size(), 3u);
    EXPECT_TRUE(ui.finished()) << ui.problems();
}

TEST(HelpTopics, EveryTopicOpensAnExistingPartOfAPage)
{
    for (const int topic : helpTopics()) {
        const HelpPage page = helpPage(topic);
        EXPECT_TRUE(resolves(page.file, page.anchor)) << topic << ": " << helpLink(topic);
    }
    // A topic without a page of its own opens the contents.
    EXPECT_EQ(helpLink(999999), "index.html");
    EXPECT_EQ(helpLink(-1), "index.html");
}

TEST(HelpTopics, EveryLinkBetweenThePagesLeadsSomewhere)
{
    const std::regex link(R"re(href="([^"#:]*)(#([^"]*))?")re");
    ASSERT_TRUE(fs::is_regular_file(HelpFolder / "index.html"));
    for (const auto &entry : fs::directory_iterator(HelpFolder)) {
        if (entry.path().extension() != ".html")
            continue;
        const std::string file = entry.path().filename().string();
        const std::string text = readPage(file);
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
            const std::string target = (*it)[1].str().empty() ? file : (*it)[1].str();
            if (target.ends_with(".css"))
                continue;
            EXPECT_TRUE(resolves(target, (*it)[3].str())) << file << " links to " << it->str();
        }
        // Each page links back to the contents.
        EXPECT_TRUE(file == "index.html" || text.find("href=\"index.html\"") != std::string::npos)
            << file;
    }
}

} // namespace
} // namespace quivra
