#include "commands/session.h"

#include <algorithm>
#include <filesystem>

namespace quivra {

namespace fs = std::filesystem;

Session::Session(ScheduleData &dataSet, Settings &programSettings, SettingsPaths settingsPaths,
                 Prompter &dialogs, const Clock &systemClock, Progress &progressSink)
    : data(dataSet), settings(programSettings), paths(std::move(settingsPaths)), prompter(dialogs),
      clock(systemClock), progress(progressSink)
{}

std::string Session::caption() const
{
    std::string text = "Quivra";
    if (!m_currentFile.empty())
        text += " - " + fs::path(m_currentFile).filename().string();
    if (!organisation.empty())
        text += " - " + organisation;
    return text;
}

void Session::captionChanged() const
{
    if (hooks.setCaption)
        hooks.setCaption(caption());
}

bool Session::adoptFile(const std::string &path)
{
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    if (ec)
        full = path;
    full = full.lexically_normal();
    // The old lock is kept until the new one is held, so a refusal changes nothing.
    if (m_lock.held() && fs::equivalent(m_lock.path(), full, ec)) {
        // The same path, perhaps a new file under it after a save: follow it.
        m_lock.relock();
    } else {
        FileLock lock;
        if (!lock.acquire(full.string()))
            return false;
        m_lock = std::move(lock);
    }
    m_currentFile = full.string();
    m_untitled = false;
    settings.directory.defaultDir = full.parent_path().string();
    addLatestFile(settings.preferences.latestFile, m_currentFile);
    captionChanged();
    return true;
}

void Session::becomeUntitled()
{
    m_lock.release();
    const fs::path folder = settings.directory.defaultDir;
    std::error_code ec;
    std::string name;
    for (int n = 0;; ++n) {
        name = (folder / ("untitled-" + std::to_string(n) + ".qvf")).string();
        if (!fs::exists(name, ec))
            break;
    }
    m_currentFile = name;
    m_untitled = true;
    captionChanged();
}

void Session::clearFile()
{
    m_lock.release();
    m_currentFile.clear();
    m_untitled = true;
    captionChanged();
}

bool Session::inUseByOthers(const std::string &path) const
{
    std::error_code ec;
    if (m_lock.held() && fs::equivalent(m_lock.path(), path, ec))
        return false;
    return fileInUse(path);
}

void Session::relock()
{
    if (m_lock.held())
        m_lock.relock();
}

void addLatestFile(std::array<std::string, 11> &latest, const std::string &path)
{
    std::string extension = fs::path(path).extension().string();
    std::ranges::transform(extension, extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != ".qvf" || latest[1] == path)
        return;
    // Entries 1..10: drop the path where it stood, put it in front, let the tenth fall off.
    std::vector<std::string> entries;
    entries.push_back(path);
    for (int k = 1; k <= 10; ++k) {
        if (!latest[k].empty() && latest[k] != path &&
            std::ranges::find(entries, latest[k]) == entries.end())
            entries.push_back(latest[k]);
    }
    entries.resize(std::min<std::size_t>(entries.size(), 10));
    for (int k = 1; k <= 10; ++k)
        latest[k] = k <= static_cast<int>(entries.size()) ? entries[k - 1] : std::string();
}

std::string inQuotes(const std::string &text)
{
    return "\"" + text + "\"";
}

std::string folderOf(const std::string &path)
{
    const std::filesystem::path p(path);
    return p.has_parent_path() ? p.parent_path().string() : std::string(".");
}

void showError(Session &s, const std::string &text)
{
    s.prompter.dlg(text, 0, 0, Buttons::Ok, DialogKind::Error);
}

void refreshViews(Session &s)
{
    if (s.hooks.refreshViews)
        s.hooks.refreshViews();
}

} // namespace quivra
