#include "files/networkfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quivra {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(NetworkFolder, CandidatesRememberedFirstOwnCopyNeverDuplicatesOnce)
{
    struct Case
    {
        const char *name;
        Names order, present;
        std::string own;
        Names expected;
    };
    const Case cases[] = {
        {"folder order without a history", {}, {"a.qvx", "b.qvx"}, "me.qvx", {"a.qvx", "b.qvx"}},
        {"history first", {"b.qvx"}, {"a.qvx", "b.qvx"}, "me.qvx", {"b.qvx", "a.qvx"}},
        {"gone names dropped", {"gone.qvx", "b.qvx"}, {"a.qvx", "b.qvx"}, "", {"b.qvx", "a.qvx"}},
        {"own copy left out", {"me.qvx"}, {"me.qvx", "a.qvx"}, "me.qvx", {"a.qvx"}},
        {"only the own copy", {}, {"me.qvx"}, "me.qvx", {}},
        {"names differ by case", {"A.qvx"}, {"a.qvx", "A.qvx"}, "", {"A.qvx", "a.qvx"}},
        {"history twice", {"a.qvx", "a.qvx"}, {"a.qvx"}, "", {"a.qvx"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(networkCandidates(c.order, c.present, c.own), c.expected);
    }

    Names many;
    for (int k = 0; k < 300; ++k)
        many.push_back("f" + std::to_string(k) + ".qvx");
    EXPECT_EQ(networkCandidates({}, many, "").size(), 255u);
}

TEST(NetworkFolder, ListsExchangeFilesOnly)
{
    std::string pattern = (fs::temp_directory_path() / "quivra-net-XXXXXX").string();
    const fs::path folder = ::mkdtemp(pattern.data());
    for (const char *name : {"b.qvx", "A.QVX", ".c.qvx.tmp123", ".hidden.qvx", "plan.qvf", "x.txt"})
        std::ofstream(folder / name) << "x";
    fs::create_directory(folder / "dir.qvx");

    Names names;
    for (const ExchangeFile &f : listExchangeFiles(folder.string())) {
        names.push_back(f.name);
        EXPECT_TRUE(f.modified.has_value());
    }
    EXPECT_EQ(names, (Names{"A.QVX", "b.qvx"}));
    EXPECT_TRUE(listExchangeFiles((folder / "missing").string()).empty());
    fs::remove_all(folder);
}

TEST(NetworkFolder, OwnCopyNameAndStoredOrder)
{
    EXPECT_EQ(networkCopyName("/data/Plan 2027.qvf"), "Plan 2027.qvx");
    Settings s;
    setNetworkOrder(s, {"b.qvx", "a.qvx"});
    EXPECT_EQ(networkOrder(s), (Names{"b.qvx", "a.qvx"}));
    setNetworkOrder(s, {"c.qvx"});
    EXPECT_EQ(networkOrder(s), (Names{"c.qvx"}));
}

} // namespace
} // namespace quivra
