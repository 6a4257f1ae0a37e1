#include "files/networkfolder.h"

#include "engine/textutil.h"

#include <algorithm>
#include <filesystem>

namespace quivra {

namespace fs = std::filesystem;

std::string networkCopyName(const std::string &dataFile)
{
    return fs::path(dataFile).filename().replace_extension(".qvx").string();
}

std::vector<ExchangeFile> listExchangeFiles(const std::string &folder)
{
    std::vector<ExchangeFile> files;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        std::error_code fileEc;
        if (name.starts_with(".") || !entry.is_regular_file(fileEc) ||
            toLowerAscii(entry.path().extension().string()) != ".qvx")
            continue;
        ExchangeFile file{name, std::nullopt};
        const auto when = entry.last_write_time(fileEc);
        if (!fileEc)
            file.modified = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                std::chrono::file_clock::to_sys(when));
        files.push_back(std::move(file));
    }
    std::ranges::sort(files, {}, &ExchangeFile::name);
    return files;
}

std::vector<std::string> networkCandidates(const std::vector<std::string> &order,
                                           const std::vector<std::string> &present,
                                           const std::string &ownCopy)
{
    std::vector<std::string> names;
    auto take = [&](const std::string &name) {
        if (names.size() < MaxNetworkFiles && name != ownCopy &&
            std::ranges::find(names, name) == names.end())
            names.push_back(name);
    };
    for (const std::string &name : order) {
        if (std::ranges::find(present, name) != present.end())
            take(name);
    }
    for (const std::string &name : present)
        take(name);
    return names;
}

std::vector<std::string> networkOrder(const Settings &s)
{
    std::vector<std::string> order;
    for (int k = 1; k <= MaxNetworkFiles; ++k) {
        if (!s.directory.networkFiles[static_cast<std::size_t>(k)].empty())
            order.push_back(s.directory.networkFiles[static_cast<std::size_t>(k)]);
    }
    return order;
}

void setNetworkOrder(Settings &s, const std::vector<std::string> &order)
{
    for (int k = 1; k <= MaxNetworkFiles; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        s.directory.networkFiles[static_cast<std::size_t>(k)] =
            i < order.size() ? order[i] : std::string();
    }
}

} // namespace quivra
