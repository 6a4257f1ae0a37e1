#include "commands/profilecommands.h"

#include "commands/sessionfixture.h"
#include "engine/calendar.h"
#include "engine/roles.h"
#include "files/defaultsfile.h"
#include "files/inifile.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

using namespace quivra::testing;

void writeText(const std::string &path, std::string_view text)
{
    writeBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string textOf(const std::string &path)
{
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    return {bytes.begin(), bytes.end()};
}

struct Profiles : ::testing::Test
{
    TempFolder root;
    SessionFixture f{root};
    std::string program = root / "program";
    std::string profile = root / "mine.qvp";

    void expectFinished() { EXPECT_TRUE(f.ui.finished()) << f.ui.problems(); }
};

TEST_F(Profiles, ASavedProfileOpensBackTheValuesItHeld)
{
    // What the settings file holds beyond this program's keys travels into the profile.
    writeText(program + "/settings.ini", "[Elsewhere]\nkept=yes\n[Preferences]\nWinMode=12\n");
    Settings &st = f.settings;
    st.preferences.winMode = 3;
    st.preferences.useColors = false;
    st.preferences.latestFile[1] = root / "data/plan.qvf";
    st.directory.network = root / "net";
    st.reports.minCellRows = 7;
    st.optimize.gapWeight[2] = 9;
    const Settings saved = st;

    f.ui.file(profile);
    ASSERT_TRUE(saveProfileAs(f.session));
    EXPECT_EQ(f.ui.shown().at(0).text, "Save your profile file");
    EXPECT_NE(textOf(profile).find("kept=yes"), std::string::npos);

    st = Settings();
    st.directory.defaultDir = saved.directory.defaultDir;
    f.ui.file(profile);
    ASSERT_TRUE(openProfile(f.session));
    EXPECT_EQ(f.ui.shown().at(1).text, "Open a profile file");
    // Every file written says which version wrote it; everything else comes back as it was.
    EXPECT_NE(st.directory.previousVersion, 0);
    st.directory.previousVersion = saved.directory.previousVersion;
    EXPECT_TRUE(st == saved);
    EXPECT_EQ(st.preferences.winMode, 3);
    EXPECT_EQ(st.optimize.gapWeight[2], 9);
    expectFinished();
}

TEST_F(Profiles, AProfileThatIsNoSettingsFileChangesNothingAndSaysWhy)
{
    const struct
    {
        const char *what;
        std::string text;
        const char *reason;
    } cases[] = {
        {"empty", "", "holds none of the settings"},
        {"binary",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         "binary data"},
        {"cut in a key", "[Preferences]\nWinMode=3\nUseCol", "line 3 is not a setting"},
        {"unknown sections only", "[Fonts]\nsize=10\n", "holds none of the settings"},
        {"value out of range", "[Preferences]\nWinMode=3\nShowExcess=999\n",
         "ShowExcess=999 is not valid"},
        {"flag that is no flag", "[Preferences]\nAutoRead=maybe\n", "AutoRead=maybe"},
    };
    f.settings.preferences.winMode = 2;
    const Settings before = f.settings;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeText(profile, c.text);
        f.ui.file(profile).expect(c.reason).answer(Answer::Ok);
        EXPECT_FALSE(openProfile(f.session));
        EXPECT_TRUE(f.settings == before);
        EXPECT_EQ(f.ui.shown().back().caption, "Error");
        EXPECT_NE(f.ui.shown().back().text.find("The settings were not changed."),
                  std::string::npos);
    }
    // A file that is not there at all.
    f.ui.file(root / "gone.qvp").expect("was not opened").answer(Answer::Ok);
    EXPECT_FALSE(openProfile(f.session));
    EXPECT_TRUE(f.settings == before);
    expectFinished();
}

TEST_F(Profiles, FactorySettingsAreRestoredOnlyWhenConfirmed)
{
    const std::string own = root / "config/settings.ini";
    fs::create_directories(root.path() / "config");
    writeText(own, "[Preferences]\nWinMode=2\n");
    f.settings.preferences.winMode = 2;
    f.settings.preferences.latestFile[1] = root / "data/plan.qvf";
    const Settings before = f.settings;

    for (const bool closed : {false, true}) {
        f.ui.expect("Are you sure you want to restore all factory settings?");
        closed ? f.ui.cancel() : f.ui.answer(Answer::No);
        EXPECT_FALSE(restoreFactorySettings(f.session));
        EXPECT_TRUE(f.settings == before);
        EXPECT_TRUE(fs::exists(own));
    }

    f.ui.answer(Answer::Yes);
    ASSERT_TRUE(restoreFactorySettings(f.session));
    EXPECT_FALSE(fs::exists(own));
    EXPECT_EQ(f.settings.preferences.winMode, 11);
    EXPECT_TRUE(f.settings.preferences.latestFile[1].empty());
    EXPECT_EQ(f.settings.directory.defaultDir, root / "user/Data");

    // With a file open, that file stays the latest one.
    const std::string plan = root / "data/plan.qvf";
    writeSample(plan);
    ASSERT_TRUE(f.session.adoptFile(plan));
    f.settings.preferences.latestFile[2] = root / "data/older.qvf";
    f.ui.answer(Answer::Yes);
    ASSERT_TRUE(restoreFactorySettings(f.session));
    EXPECT_EQ(f.settings.preferences.latestFile[1], plan);
    EXPECT_TRUE(f.settings.preferences.latestFile[2].empty());
    EXPECT_EQ(f.settings.directory.network, "[Enter network folder here]");
    expectFinished();
}

TEST_F(Profiles, FactorySettingsKeepTheInstalledFileWhileTheUserHasOneOfTheirOwn)
{
    // While the user folder is in use the program folder's file is the installed one: its
    // values are the factory values. Without the user folder it is the one the program writes.
    for (const bool userFolder : {true, false}) {
        SCOPED_TRACE(userFolder);
        writeText(program + "/settings.ini",
                  "[Directory]\nForceDir=" + std::string(userFolder ? "1" : "0") +
                      "\n[Preferences]\nWinMode=13\n");
        f.session.userFolderInUse = userFolder;
        f.settings.preferences.winMode = 2;
        f.ui.answer(Answer::Yes);
        ASSERT_TRUE(restoreFactorySettings(f.session));
        EXPECT_EQ(fs::exists(program + "/settings.ini"), userFolder);
        EXPECT_EQ(f.settings.preferences.winMode, userFolder ? 13 : 11);
    }
    expectFinished();
}

TEST_F(Profiles, CancelledFileChoicesChangeNothing)
{
    const std::string dump = dumpWithoutTimes(*f.data);
    const Settings before = f.settings;
    for (bool (*command)(Session &) :
         {openProfile, saveProfileAs, changeLanguage, extractLanguage}) {
        f.ui.cancel();
        EXPECT_FALSE(command(f.session));
    }
    EXPECT_TRUE(f.settings == before);
    EXPECT_EQ(dumpWithoutTimes(*f.data), dump);
    EXPECT_TRUE(fs::is_empty(program));
    expectFinished();
}

struct Languages : Profiles
{
    std::string language = root / "program/school.cfw";

    void SetUp() override
    {
        setBuiltInDefaults(*f.data);
        buildSample(*f.data);
        f.data->modified = false;
    }
};

TEST_F(Languages, AnExtractedLanguageFileReadsBack)
{
    ScheduleData &d = *f.data;
    d.dayNames = "Lundi$Mardi$Mercredi$Jeudi$Vendredi$Samedi$Dimanche$Funday$";
    d.bellNames[2].assign("Zweite");
    d.reportTitles[3] = "Emplois du temps";
    addRole(d, "Tutor");
    f.ui.file(language);
    ASSERT_TRUE(extractLanguage(f.session));
    EXPECT_EQ(f.ui.shown().at(0).text, "Save the default language file");
    EXPECT_FALSE(d.modified);

    auto back = makeScheduleData();
    setBuiltInDefaults(*back);
    ASSERT_TRUE(readDefaultsFile(language, *back, DefaultsFullLoad).has_value());
    EXPECT_EQ(back->dayNames, d.dayNames);
    EXPECT_EQ(back->bellNames[2].view(), "Zweite");
    EXPECT_EQ(back->reportTitles[3], "Emplois du temps");
    EXPECT_EQ(back->reportTitles[1], "Staff timetable");
    EXPECT_NE(findRoleByName(*back, "Tutor"), 0);
    expectFinished();
}

TEST_F(Languages, ChangingTheLanguageTakesOnlyItsTextsAndMarksTheDataSetModified)
{
    ScheduleData &d = *f.data;
    writeText(language, "[Days]\nLun$Mar$Mer$Jeu$Ven$Sam$Dim$Fun$\n[Reports]\n   3 Emplois\n"
                        "[Limits]\n   7   2\n[Base]\n40000\n");
    const int weeks = usedWeeks(d);
    const std::int32_t firstWeek = d.firstWeekDate;
    f.ui.file(language).expect("The language file was changed to").answer(Answer::Ok);
    ASSERT_TRUE(changeLanguage(f.session));
    const ShownDialog &chooser = f.ui.shown().at(0);
    EXPECT_EQ(chooser.text, "Open the default language file");
    EXPECT_EQ(d.dayNames, "Lun$Mar$Mer$Jeu$Ven$Sam$Dim$Fun$");
    EXPECT_EQ(d.reportTitles[3], "Emplois");
    EXPECT_EQ(usedWeeks(d), weeks); // the calendar in use stays
    EXPECT_EQ(d.firstWeekDate, firstWeek);
    EXPECT_TRUE(d.modified);
    expectFinished();
}

TEST_F(Languages, AFileWithoutLanguageTextsChangesNothingAndSaysWhy)
{
    const struct
    {
        const char *what;
        std::string text;
        const char *reason;
    } cases[] = {
        {"binary", std::string("PK\x03\x04\0\0[Days]\nX$\n", 16), "is not a text file"},
        {"no headings", "just some notes\nabout nothing\n", "holds no language texts"},
        {"only calendar sections", "[Limits]\n   7   2\n[Base]\n40000\n",
         "holds no language texts"},
        {"far too large", "[Days]\n" + std::string(MaxDefaultsFileSize, 'x') + "$\n",
         "too large for a defaults file"},
    };
    const std::string dump = dumpWithoutTimes(*f.data);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeText(language, c.text);
        f.ui.file(language).expect(c.reason).answer(Answer::Ok);
        EXPECT_FALSE(changeLanguage(f.session));
        EXPECT_EQ(dumpWithoutTimes(*f.data), dump);
        EXPECT_FALSE(f.data->modified);
        EXPECT_NE(f.ui.shown().back().text.find("The data set was not changed."),
                  std::string::npos);
    }
    expectFinished();
}

} // namespace
} // namespace quivra
