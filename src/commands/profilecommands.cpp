#include "commands/profilecommands.h"

#include "engine/textutil.h"
#include "files/defaultsfile.h"
#include "files/inifile.h"
#include "files/settings.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace quivra {

namespace fs = std::filesystem;

namespace {

const std::string Br = "\r\n";

void refreshOpenViews(Session &s)
{
    // Views exist only once a data set is open.
    if (!s.currentFile().empty() && s.hooks.refreshViews)
        s.hooks.refreshViews();
}

FileRequest profileRequest(const Session &s, std::string title)
{
    FileRequest request;
    request.title = std::move(title);
    request.description = "Profile file";
    request.pattern = "*.qvp";
    request.defaultExtension = "qvp";
    request.folder = s.paths.programFolder.string();
    return request;
}

FileRequest languageRequest(const Session &s, std::string title)
{
    FileRequest request;
    request.title = std::move(title);
    request.description = "Default file";
    request.pattern = "*.cfw";
    request.defaultExtension = "cfw";
    request.folder = s.paths.programFolder.string();
    return request;
}

// The sections a settings file of this program holds; a profile names at least one of them.
constexpr std::array<std::string_view, 10> SettingsSections = {
    "Directory", "WinColors", "Custom Colors", "Preferences", "Reports",
    "HTML",      "Tools",     "Optimize",      "Optimise",    "Conflicts",
};

// Why `ini` is not a settings file, or empty when it is one: every line is blank, a comment, a
// heading or a key, nothing holds control characters, and some section is one of ours.
std::string notSettingsReason(const IniFile &ini)
{
    const std::string text = ini.text();
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto control = [](unsigned char c) { return c < 0x20 && c != '\t'; };
        if (std::ranges::any_of(line, control))
            return "line " + std::to_string(lineNumber) + " holds binary data";
        const std::string body = trim(std::string(line));
        const bool heading =
            body.size() >= 2 && body.front() == '[' && body.find(']') != std::string::npos;
        const bool comment = !body.empty() && (body.front() == ';' || body.front() == '#');
        const std::size_t eq = body.find('=');
        if (!body.empty() && !heading && !comment && (eq == std::string::npos || eq == 0))
            return "line " + std::to_string(lineNumber) + " is not a setting";
    }
    for (std::string_view section : SettingsSections) {
        if (ini.hasSection(section))
            return {};
    }
    return "it holds none of the settings of Quivra";
}

// A folder a profile left empty keeps the folder in use.
void keepFolder(std::string &folder, const std::string &inUse)
{
    if (trim(folder).empty())
        folder = inUse;
}

// True when the first bytes a defaults file may have hold a zero byte.
bool holdsZeroByte(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(64 * 1024);
    for (std::size_t read = 0; in && read < MaxDefaultsFileSize; read += buffer.size()) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (std::find(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got), '\0') !=
            buffer.begin() + static_cast<std::ptrdiff_t>(got))
            return true;
    }
    return false;
}

// The settings file the program reads and writes for this user.
fs::path settingsFileInUse(const Session &s)
{
    if (s.userFolderInUse && !s.paths.userConfigFolder.empty())
        return s.paths.userConfigFolder / "settings.ini";
    return s.paths.programFolder / "settings.ini";
}

} // namespace

bool openProfile(Session &s)
{
    const auto path = s.prompter.openFile(profileRequest(s, "Open a profile file"));
    if (!path)
        return false;
    const std::string refused = "The profile file " + inQuotes(*path) + " was not opened: ";
    const std::string unchanged = Br + "The settings were not changed.";
    Result<IniFile> ini = IniFile::load(*path);
    if (!ini) {
        showError(s, refused + ini.error().detail + "." + unchanged);
        return false;
    }
    if (const std::string why = notSettingsReason(*ini); !why.empty()) {
        showError(s, refused + why + "." + unchanged);
        return false;
    }
    // Read into a copy, so a profile with any value this program cannot use changes nothing.
    Settings candidate = s.settings;
    std::vector<std::string> notes;
    readSettings(candidate, *ini, &notes);
    if (!notes.empty()) {
        std::string text = refused + "it holds values that cannot be used:";
        constexpr std::size_t Shown = 5;
        for (std::size_t i = 0; i < std::min(notes.size(), Shown); ++i)
            text += Br + notes[i];
        if (notes.size() > Shown)
            text += Br + "... and " + std::to_string(notes.size() - Shown) + " more";
        showError(s, text + unchanged);
        return false;
    }
    const Settings::Directory &in = s.settings.directory;
    Settings::Directory &out = candidate.directory;
    keepFolder(out.defaultDir, in.defaultDir);
    keepFolder(out.defaultTextDir, in.defaultTextDir);
    keepFolder(out.defaultWeb, in.defaultWeb);
    keepFolder(out.convertDir, in.convertDir);
    s.settings = std::move(candidate);
    refreshOpenViews(s);
    return true;
}

bool saveProfileAs(Session &s)
{
    const auto path = s.prompter.saveFile(profileRequest(s, "Save your profile file"));
    if (!path)
        return false;
    // The profile starts as a copy of the settings file, so what this program does not know of
    // travels with it; the values in use are then written over it.
    IniFile ini;
    if (Result<IniFile> current = IniFile::load(settingsFileInUse(s).string());
        current && notSettingsReason(*current).empty())
        ini = std::move(*current);
    writeSettings(s.settings, ini);
    if (Result<void> saved = ini.save(*path); !saved) {
        showError(s, "The profile file " + inQuotes(*path) +
                         " could not be written: " + saved.error().detail + ".");
        return false;
    }
    return true;
}

bool restoreFactorySettings(Session &s)
{
    if (!s.prompter.sureDlg("you want to restore all factory settings"))
        return false;
    // The user's own settings file goes, and the program folder's when it is the one the
    // program writes; an installed settings file beside the program holds the factory values.
    std::vector<fs::path> files;
    if (!s.paths.userConfigFolder.empty())
        files.push_back(s.paths.userConfigFolder / "settings.ini");
    if (!s.userFolderInUse)
        files.push_back(s.paths.programFolder / "settings.ini");
    for (const fs::path &file : files) {
        std::error_code ec;
        fs::remove(file, ec);
        if (ec) {
            showError(s, "The settings file " + inQuotes(file.string()) +
                             " could not be removed: " + ec.message() + "." + Br +
                             "The settings were not changed.");
            return false;
        }
    }
    Settings fresh;
    const SettingsLoad load = loadSettings(fresh, s.paths);
    s.settings = std::move(fresh);
    s.userFolderInUse = load.userFolderInUse;
    // The file being worked on stays at the top of the latest files.
    if (!s.currentFile().empty() && !s.untitled())
        addLatestFile(s.settings.preferences.latestFile, s.currentFile());
    refreshOpenViews(s);
    return true;
}

bool changeLanguage(Session &s)
{
    FileRequest request = languageRequest(s, "Open the default language file");
    request.fileName = std::string(StartDefaultsFileName);
    const auto path = s.prompter.openFile(request);
    if (!path)
        return false;
    const std::string refused = "The language file " + inQuotes(*path) + " was not read: ";
    const std::string unchanged = Br + "The data set was not changed.";
    // A language file is text a user can edit; zero bytes mark a file of another kind, whose
    // lines would otherwise be taken for names.
    if (holdsZeroByte(*path)) {
        showError(s, refused + "it is not a text file." + unchanged);
        return false;
    }
    // Read into a copy first: a file that holds no language texts leaves the data set alone.
    auto trial = makeScheduleData();
    *trial = s.data;
    Result<DefaultsReport> read = readDefaultsFile(*path, *trial, DefaultsLanguageLoad);
    if (!read) {
        showError(s, refused + read.error().detail + "." + unchanged);
        return false;
    }
    if (read->linesApplied == 0) {
        showError(s, refused + "it holds no language texts." + unchanged);
        return false;
    }
    s.data = std::move(*trial);
    refreshOpenViews(s);
    std::string text = "The language file was changed to " + inQuotes(*path) + ".";
    if (read->linesSkipped > 0)
        text += Br + Br + std::to_string(read->linesSkipped) +
                " line(s) could not be used and were left out, the first is line " +
                std::to_string(read->firstSkippedLine) + ".";
    s.prompter.infoDlg(text);
    return true;
}

bool extractLanguage(Session &s)
{
    const auto path = s.prompter.saveFile(languageRequest(s, "Save the default language file"));
    if (!path)
        return false;
    if (Result<void> written = writeDefaultsFile(s.data, *path); !written) {
        showError(s, "The language file " + inQuotes(*path) +
                         " could not be written: " + written.error().detail + ".");
        return false;
    }
    return true;
}

} // namespace quivra
