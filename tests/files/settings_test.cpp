#include "files/inifile.h"
#include "files/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace quivra {
namespace {

namespace fs = std::filesystem;

const char *const Annotated = "data/settings/annotated.ini";

// Two settings compared through their files, so a difference names its key.
std::string asText(const Settings &s)
{
    IniFile ini;
    writeSettings(s, ini);
    return ini.text();
}

std::string readText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path &path, std::string_view text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A program folder, a user configuration folder and a user folder under one temporary folder.
class SettingsFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "quivra-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        paths = {root / "program", root / "config" / "quivra", root / "home" / "Quivra"};
        fs::create_directories(paths.programFolder);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root;
    SettingsPaths paths;
};

// --- the INI file -----------------------------------------------------------------------------

TEST(IniFile, KeepsCommentsAndUnknownLinesInOrder)
{
    const std::string original = readText(Annotated);
    IniFile ini = IniFile::parse(original);
    EXPECT_EQ(ini.text(), original); // untouched: byte for byte, CR LF kept

    ini.writeString("Preferences", "Height", "600");    // new key: after the section's last key
    ini.writeString("site", "licence", "campus south"); // existing: in place, any case
    ini.writeBool("Conflicts", "Ready", true);          // new section at the end
    ini.eraseSection("Tools");
    ini.eraseKey("Directory", "NetworkFile9");

    const std::string expected = "; Quivra settings, edited by hand\r\n"
                                 "[Directory]\r\n"
                                 "; where the data live\r\n"
                                 "ForceDir=1\r\n"
                                 "NetworkFile3=shared.qvf\r\n"
                                 "\r\n"
                                 "[Site]\r\n"
                                 "licence=campus south\r\n"
                                 "\r\n"
                                 "[Preferences]\r\n"
                                 "AutoRead=0\r\n"
                                 "Width=800\r\n"
                                 "Plugin=keep me\r\n"
                                 "Height=600\r\n"
                                 "; end of preferences\r\n"
                                 "\r\n"
                                 "[Optimize]\r\n"
                                 "Block23=5\r\n"
                                 "Block31=70000\r\n"
                                 "Initial0=3\r\n"
                                 "Initial1=7\r\n"
                                 "Initial2=8\r\n"
                                 "Initial3=9\r\n"
                                 "\r\n"
                                 "[Conflicts]\r\n"
                                 "Ready=1\r\n";
    EXPECT_EQ(ini.text(), expected);
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Directory", "Site", "Preferences",
                                                        "Optimize", "Conflicts"}));
}

TEST(IniFile, ReadsValuesLikeTheSettingsNeedThem)
{
    const IniFile ini = IniFile::parse("Stray=before any section\n"
                                       "[A]\n"
                                       "  Name = two words  \n"
                                       "Dup=first\n"
                                       "Dup=second\n"
                                       ";Hidden=1\n"
                                       "Colour=0x80000018\n"
                                       "Big=99999999999\n"
                                       "[a]\n"
                                       "Later=1\n");
    EXPECT_EQ(ini.readString("A", "name", "?"), "two words");
    EXPECT_EQ(ini.readString("A", "Dup", "?"), "first");
    EXPECT_FALSE(ini.hasKey("A", "Hidden"));
    EXPECT_FALSE(ini.hasKey("", "Stray"));
    EXPECT_EQ(ini.readInteger("A", "Colour", 0), static_cast<std::int32_t>(0x80000018u));
    EXPECT_EQ(ini.readInteger("A", "Big", -1), -1);
    EXPECT_EQ(ini.readString("A", "Later", "?"), "?"); // a repeated section is not read
    EXPECT_TRUE(ini.readBool("B", "Missing", true));

    struct Case
    {
        const char *text;
        std::optional<std::int64_t> value;
    };
    const Case cases[] = {{"42", 42},
                          {" -7 ", -7},
                          {"+3", 3},
                          {"0x1F", 31},
                          {"$ff", 255},
                          {"", {}},
                          {"12abc", {}},
                          {"0x", {}},
                          {"1.5", {}},
                          {"--1", {}},
                          {"99999999999999999999", {}}};
    for (const Case &c : cases)
        EXPECT_EQ(parseIniInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(IniFile, WrittenValuesStayOnOneLine)
{
    IniFile ini;
    ini.writeString("Conflicts", "Description", "first line\r\nsecond=line\n[Evil]");
    const IniFile back = IniFile::parse(ini.text());
    EXPECT_EQ(back.sections(), std::vector<std::string>{"Conflicts"});
    EXPECT_EQ(back.readString("Conflicts", "Description", ""), "first line  second=line [Evil]");
}

TEST_F(SettingsFiles, IniSaveReplacesWholeAndRefusesOversizedFiles)
{
    const fs::path file = root / "a.ini";
    writeText(file, "[Old]\nKey=1\n");
    IniFile ini = IniFile::parse("[New]\nKey=2\n");
    ASSERT_TRUE(ini.save(file.string()));
    EXPECT_EQ(readText(file), "[New]\nKey=2\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 2); // no temp

    EXPECT_FALSE(ini.save((root / "missing" / "a.ini").string()));
    EXPECT_EQ(IniFile::load((root / "none.ini").string()).error().code, Error::Code::NotFound);

    writeText(root / "big.ini", std::string(IniFile::MaxFileSize + 1, ';'));
    EXPECT_EQ(IniFile::load((root / "big.ini").string()).error().code, Error::Code::Corrupt);
}

// --- settings ---------------------------------------------------------------------------------

TEST_F(SettingsFiles, MissingFilesGiveEveryDefault)
{
    Settings s;
    s.preferences.width = 1; // loading starts from the defaults, not from what was there
    const SettingsLoad load = loadSettings(s, paths);
    EXPECT_FALSE(load.programFileFound);
    EXPECT_FALSE(load.userFileFound);
    EXPECT_TRUE(load.userFolderInUse);
    EXPECT_TRUE(load.notes.empty());
    EXPECT_TRUE(fs::is_directory(paths.userFolder / "Data"));
    EXPECT_TRUE(fs::is_directory(paths.userFolder / "Web"));

    const std::string data = (paths.userFolder / "Data").string();
    const std::string web = (paths.userFolder / "Web").string();
    EXPECT_EQ(s.directory.defaultDir, data);
    EXPECT_EQ(s.directory.defaultTextDir, data);
    EXPECT_EQ(s.directory.convertDir, data);
    EXPECT_EQ(s.directory.defaultWeb, web);
    EXPECT_EQ(s.reports.printFile[3], (paths.userFolder / "Web" / "3.htm").string());

    // Apart from the folders, exactly the defaults.
    Settings expected;
    expected.directory.defaultDir = expected.directory.defaultTextDir = data;
    expected.directory.convertDir = data;
    expected.directory.defaultWeb = web;
    expected.reports.printFile = s.reports.printFile;
    EXPECT_EQ(s, expected);

    EXPECT_TRUE(expected.directory.forceDir);
    EXPECT_EQ(expected.directory.network, "[Enter network folder here]");
    EXPECT_EQ(expected.winColors.ttColors[0], 0x000080); // web colour 800000
    EXPECT_EQ(expected.winColors.ttColors[2], 0x2F6B55); // web colour 556B2F
    EXPECT_EQ(expected.preferences.hintColor, static_cast<std::int32_t>(0x80000018u));
    EXPECT_EQ(expected.preferences.collection[7], 240);
    EXPECT_EQ(expected.preferences.winMode, 11);
    EXPECT_EQ(expected.html.colorTable[1], 0xFFFFFF);
    EXPECT_EQ(expected.optimize.gapWeight[1], 1);
}

TEST_F(SettingsFiles, WriteReadWriteIsIdentical)
{
    writeText(paths.programFolder / "settings.ini", readText(Annotated));
    Settings first;
    const SettingsLoad load = loadSettings(first, paths);
    ASSERT_TRUE(load.programFileFound);
    first.directory.networkFiles[200] = "far.qvf";
    first.preferences.latestFile[1] = "/srv/plans/college.qvf";
    first.description = "checked";
    ASSERT_TRUE(saveSettings(first, paths, load.userFolderInUse));
    const fs::path userFile = paths.userConfigFolder / "settings.ini";
    const std::string written = readText(userFile);
    EXPECT_EQ(readText(paths.programFolder / "settings.ini"), readText(Annotated)); // untouched

    Settings second;
    loadSettings(second, paths);
    EXPECT_EQ(second.directory.previousVersion, 6310); // the version that wrote the file
    first.directory.previousVersion = 6310;
    EXPECT_EQ(asText(second), asText(first));
    EXPECT_EQ(second, first);
    ASSERT_TRUE(saveSettings(second, paths, true));
    EXPECT_EQ(readText(userFile), written);

    // A profile is the same file under another name.
    const std::string profile = (root / "term.qvp").string();
    ASSERT_TRUE(saveProfile(second, profile));
    Settings third;
    ASSERT_TRUE(loadProfile(third, profile));
    EXPECT_EQ(third, second);
    EXPECT_FALSE(loadProfile(third, (root / "missing.qvp").string()));
}

TEST_F(SettingsFiles, WritingKeepsForeignLinesAndDropsStaleNumberedKeys)
{
    writeText(paths.userConfigFolder / "settings.ini", readText(Annotated));
    Settings s;
    loadSettings(s, paths);
    EXPECT_EQ(s.directory.networkFiles[3], "shared.qvf");
    EXPECT_EQ(s.slotPatterns.at(2), "--XX"); // trailing "-" are the default
    EXPECT_EQ(s.optimize.initial, (std::vector<int>{7, 8, 9}));

    s.directory.networkFiles[9].clear();
    s.slotPatterns[2] = "-X--";
    s.optimize.blocks.erase(23);
    s.optimize.initial = {4};
    ASSERT_TRUE(saveSettings(s, paths, true));

    const IniFile ini = IniFile::parse(readText(paths.userConfigFolder / "settings.ini"));
    EXPECT_EQ(ini.readString("Site", "Licence", ""), "campus north");
    EXPECT_EQ(ini.readString("Preferences", "Plugin", ""), "keep me");
    EXPECT_FALSE(ini.hasKey("Directory", "NetworkFile9"));
    EXPECT_EQ(ini.readString("Tools", "Slot2", ""), "-X"); // trailing "-" dropped
    EXPECT_FALSE(ini.hasKey("Optimize", "Block23"));
    EXPECT_EQ(ini.readString("Optimize", "Block31", ""), "0"); // was out of range
    EXPECT_EQ(ini.readString("Optimize", "Initial0", ""), "1");
    EXPECT_FALSE(ini.hasKey("Optimize", "Initial2"));
    EXPECT_EQ(ini.readString("Directory", "PreviousVersion", ""), "6310");
    const std::string text = readText(paths.userConfigFolder / "settings.ini");
    EXPECT_LT(text.find("; where the data live"), text.find("ForceDir"));
    EXPECT_LT(text.find("Plugin=keep me"), text.find("; end of preferences"));
}

TEST_F(SettingsFiles, InvalidValuesFallBackAndLoadingGoesOn)
{
    using Field = std::function<int(const Settings &)>;
    const Field useTableColors = [](auto &s) { return s.preferences.useTableColors; };
    const Field insertPatterns = [](auto &s) { return s.preferences.insertPatterns; };
    const Field codeMode = [](auto &s) { return s.preferences.codeMode; };
    const Field autoRead = [](auto &s) { return int(s.preferences.autoRead); };
    struct Case
    {
        const char *line; // in its section
        const char *section;
        Field field;
        int expected;
        bool noted; // reported as a fallback
    };
    const Case cases[] = {
        {"UseTableColors=300", "Preferences", useTableColors, 135, true},
        {"UseTableColors=-1", "Preferences", useTableColors, 135, true},
        {"UseTableColors=many", "Preferences", useTableColors, 135, true},
        {"UseTableColors=", "Preferences", useTableColors, 135, true},
        {"UseTableColors=255", "Preferences", useTableColors, 255, false},
        {"InsertPatterns=65536", "Preferences", insertPatterns, 65535, true},
        {"InsertPatterns=0x10", "Preferences", insertPatterns, 16, false},
        {"CodeMode=7", "Preferences", codeMode, 3, true},
        {"CodeMode=-2", "Preferences", codeMode, 1, true},
        {"WeekTitles=0", "Preferences", [](auto &s) { return s.preferences.weekTitles; }, 4, false},
        {"AutoRead=yes", "Preferences", autoRead, 1, true},
        {"AutoRead=0", "Preferences", autoRead, 0, false},
        {"AutoRead=2", "Preferences", autoRead, 1, false},
        {"Collection4=0", "Preferences", [](auto &s) { return s.preferences.collection[4]; }, 0,
         false},
        {"GapWeight3=12", "Optimize", [](auto &s) { return s.optimize.gapWeight[3]; }, 9, true},
        {"MaxSeq=99999999999", "Optimize", [](auto &s) { return s.optimize.maxSeq; }, 3, true},
        {"Seconds=-4", "Optimize", [](auto &s) { return s.optimize.seconds; }, 0, true},
        {"Seconds=90000", "Optimize", [](auto &s) { return s.optimize.seconds; }, 86400, true},
        {"Seconds=60", "Optimize", [](auto &s) { return s.optimize.seconds; }, 60, false},
        {"clOk=red", "WinColors", [](auto &s) { return s.winColors.clOk; }, 0xFFFFFF, true},
        {"Block23=70000", "Optimize", [](auto &s) { return s.optimize.blocks.at(23); }, 0, true},
        {"Initial0=-5", "Optimize", [](auto &s) { return int(s.optimize.initial.size()); }, 0,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("[") + c.section + "] " + c.line);
        writeText(paths.programFolder / "settings.ini",
                  "[" + std::string(c.section) + "]\n" + c.line + "\n");
        Settings s;
        const SettingsLoad load = loadSettings(s, paths);
        EXPECT_EQ(c.field(s), c.expected);
        EXPECT_EQ(load.notes.size(), c.noted ? 1u : 0u);
    }
}

TEST_F(SettingsFiles, TheUsersValuesWin)
{
    writeText(paths.programFolder / "settings.ini",
              "[Preferences]\nAutoRead=0\nWidth=800\nHideWelcome=1\nCategorySort=0\n");
    writeText(paths.userConfigFolder / "settings.ini", "[Preferences]\nAutoRead=1\nWidth=900\n");
    Settings s;
    SettingsLoad load = loadSettings(s, paths);
    EXPECT_TRUE(load.programFileFound && load.userFileFound);
    EXPECT_TRUE(s.preferences.autoRead);
    EXPECT_EQ(s.preferences.width, 900);
    EXPECT_TRUE(s.preferences.hideWelcome);      // only the program folder's file says so
    EXPECT_FALSE(s.preferences.categorySort[2]); // per-view default follows CategorySort

    // Without the user folder its file is not read and the folders are the program folder's.
    writeText(paths.programFolder / "settings.ini", "[Directory]\nForceDir=0\n");
    load = loadSettings(s, paths);
    EXPECT_FALSE(load.userFolderInUse || load.userFileFound);
    EXPECT_EQ(s.preferences.width, 1024);
    EXPECT_EQ(s.directory.defaultDir, (paths.programFolder / "Data").string());

    // A user folder that cannot be made leaves it unused.
    writeText(paths.programFolder / "settings.ini", "");
    writeText(root / "blocked", "a file where the folder should be");
    paths.userFolder = root / "blocked" / "Quivra";
    load = loadSettings(s, paths);
    EXPECT_FALSE(load.userFolderInUse);
    EXPECT_EQ(load.notes.size(), 1u);
}

TEST(SettingsPaths, FollowTheXdgVariables)
{
    struct Case
    {
        const char *home;
        const char *config;
        const char *configFolder;
        const char *userFolder;
    };
    const Case cases[] = {
        {"/home/ann", nullptr, "/home/ann/.config/quivra", "/home/ann/Documents/Quivra"},
        {"/home/ann", "/cfg", "/cfg/quivra", "/home/ann/Documents/Quivra"},
        {"/home/ann", "relative", "/home/ann/.config/quivra", "/home/ann/Documents/Quivra"},
        {nullptr, nullptr, "", ""},
    };
    for (const Case &c : cases) {
        const SettingsPaths p =
            systemSettingsPaths("/opt/quivra", [&](const char *name) -> const char * {
                return std::string_view(name) == "HOME"              ? c.home
                       : std::string_view(name) == "XDG_CONFIG_HOME" ? c.config
                                                                     : nullptr;
            });
        EXPECT_EQ(p.programFolder, "/opt/quivra");
        EXPECT_EQ(p.userConfigFolder, c.configFolder);
        EXPECT_EQ(p.userFolder, c.userFolder);
    }
}

} // namespace
} // namespace quivra
