// Every include of a source file under src/ names a header of its own layer or of a layer its
// library links, directly or through the layers below; only layers that link Qt include Qt.
// A header-only breach (an include of a layer that is never linked, resolved only because every
// folder shares one include root) fails here although it builds.
//
// The links come from the build itself: CMake writes, for every layer target of this build, the
// layers and the outside libraries it links (layers.txt, one line per layer:
// "folder: linked-folder ... | library ...").

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Layer
{
    std::set<std::string> links;     // layer folders linked directly
    std::set<std::string> libraries; // outside libraries linked directly
};

std::map<std::string, Layer> readLayers(const fs::path &file)
{
    std::map<std::string, Layer> layers;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        Layer &layer = layers[line.substr(0, colon)];
        std::istringstream words(line.substr(colon + 1));
        bool outside = false;
        for (std::string word; words >> word;) {
            if (word == "|")
                outside = true;
            else
                (outside ? layer.libraries : layer.links).insert(word);
        }
    }
    return layers;
}

// The layer folders `name` reaches through its links, itself included.
std::set<std::string> reach(const std::map<std::string, Layer> &layers, const std::string &name)
{
    std::set<std::string> seen{name};
    std::vector<std::string> todo{name};
    while (!todo.empty()) {
        const std::string next = todo.back();
        todo.pop_back();
        const auto it = layers.find(next);
        if (it == layers.end())
            continue;
        for (const std::string &link : it->second.links) {
            if (seen.insert(link).second)
                todo.push_back(link);
        }
    }
    return seen;
}

bool linksQt(const std::map<std::string, Layer> &layers, const std::set<std::string> &reached)
{
    for (const std::string &name : reached) {
        const auto it = layers.find(name);
        if (it == layers.end())
            continue;
        for (const std::string &library : it->second.libraries) {
            if (library.starts_with("Qt6::") || library.starts_with("Qt::"))
                return true;
        }
    }
    return false;
}

const std::map<std::string, Layer> &layers()
{
    static const std::map<std::string, Layer> map = readLayers(QUIVRA_LAYER_MAP);
    return map;
}

TEST(Layers, TheBuildNamesItsLayers)
{
    ASSERT_FALSE(layers().empty()) << "no layer map at " << QUIVRA_LAYER_MAP;
    for (const char *core : {"engine", "files", "optimise", "ui", "commands", "cli"})
        EXPECT_TRUE(layers().count(core)) << core;
    EXPECT_TRUE(layers().at("engine").links.empty());
    EXPECT_FALSE(linksQt(layers(), reach(layers(), "commands")));
}

TEST(Layers, EveryIncludeStaysWithinTheLinkedLayers)
{
    const fs::path src = fs::path(QUIVRA_SOURCE_DIR) / "src";
    const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::set<std::string> folders;
    for (const auto &entry : fs::directory_iterator(src)) {
        if (entry.is_directory())
            folders.insert(entry.path().filename().string());
    }

    int files = 0;
    for (const auto &entry : fs::recursive_directory_iterator(src)) {
        const fs::path &path = entry.path();
        if (!entry.is_regular_file() || (path.extension() != ".h" && path.extension() != ".cpp"))
            continue;
        const std::string layer = fs::relative(path, src).begin()->string();
        if (!layers().count(layer))
            continue; // a layer this build leaves out (the Qt layers without BUILD_GUI)
        const std::set<std::string> reached = reach(layers(), layer);
        const bool qt = linksQt(layers(), reached);
        ++files;

        std::ifstream in(path);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch m;
            if (!std::regex_search(line, m, include))
                continue;
            const std::string header = m[2];
            const std::string where =
                fs::relative(path, src).string() + ":" + std::to_string(number) + " " + header;
            if (m[1] == "\"") {
                const auto slash = header.find('/');
                const std::string target = header.substr(0, slash);
                if (slash == std::string::npos || !folders.count(target))
                    continue; // a header beside the file
                EXPECT_TRUE(reached.count(target))
                    << where << ": layer " << layer << " does not link " << target;
            } else if (header.starts_with('Q') && !qt) {
                ADD_FAILURE() << where << ": layer " << layer << " does not link Qt";
            }
        }
    }
    EXPECT_GT(files, 0);
}

} // namespace
