#include "commands/filecommands.h"

#include "commands/sessionfixture.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "files/backup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quivra {
namespace {

using namespace quivra::testing;

TEST(AskToSave, ACancelledSaveAsCancelsTheCommandThatAsked)
{
    struct Case
    {
        const char *name;
        std::function<bool(Session &)> command;
    };
    const Case cases[] = {
        {"New", newFile},
        {"Open", openFile},
        {"Exit", exitProgram},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        SessionFixture f(root);
        buildSample(*f.data);
        f.data->modified = true;
        f.ui.expect("You have modified your data").answer(Answer::Yes).cancel();

        EXPECT_FALSE(c.command(f.session));
        EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
        EXPECT_TRUE(f.data->modified);
        EXPECT_EQ(f.data->codeCount, 5);
        EXPECT_FALSE(f.session.exitRequested);
    }
}

TEST(AskToSave, YesSavesUnderTheChosenNameBeforeGoingOn)
{
    TempFolder root;
    SessionFixture f(root);
    buildSample(*f.data);
    f.data->modified = true;
    const std::string path = root / "data/plan.qvf";
    f.ui.expect("You have modified").answer(Answer::Yes).file(path);

    EXPECT_TRUE(exitProgram(f.session));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_TRUE(f.session.exitRequested);
    const std::string saved = dumpOfFile(path);
    EXPECT_NE(saved.find("E2 lecture w1 d2 b3"), std::string::npos);
    EXPECT_NE(saved.find("\"T1;part time\""), std::string::npos);
    EXPECT_EQ(f.settings.directory.defaultFile, path); // reopened at the next start
}

TEST(Backups, TodayCopyRotatesOnceADay)
{
    TempFolder root;
    SessionFixture f(root);
    f.settings.preferences.takeBackUp = true;
    f.settings.preferences.makeYesterdayCopy = true;
    const std::string path = root / "data/plan.qvf";
    writeSample(path);
    ASSERT_TRUE(openWindows(f.session, path));
    const BackupNames names = backupNames(path);
    EXPECT_EQ(fs::path(names.today).filename(), "plan!TODAY.qvf");
    EXPECT_EQ(fs::path(names.yesterday).filename(), "plan!YESTERDAY.qvf");

    auto saveWith = [&](const char *description) {
        f.data->description = description;
        EXPECT_TRUE(saveFile(f.session));
        return fileBytes(path);
    };
    const auto original = fileBytes(path);
    const auto first = saveWith("first");
    EXPECT_EQ(fileBytes(names.today), original); // the state before the day's first save
    EXPECT_EQ(fileBytes(names.bak), original);
    EXPECT_FALSE(fs::exists(names.yesterday));

    const auto second = saveWith("second");
    EXPECT_EQ(fileBytes(names.today), original); // a second save that day keeps it
    EXPECT_EQ(fileBytes(names.bak), first);

    f.clock.set(dateSerial(2027, 3, 2), noon(2027, 3, 2));
    saveWith("third");
    EXPECT_EQ(fileBytes(names.yesterday), original);
    EXPECT_EQ(fileBytes(names.today), second);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

TEST(Save, AFailedBackupStopsTheSave)
{
    TempFolder root;
    SessionFixture f(root);
    f.settings.preferences.takeBackUp = true;
    const std::string path = root / "data/plan.qvf";
    writeSample(path);
    ASSERT_TRUE(openWindows(f.session, path));
    const auto before = fileBytes(path);
    fs::create_directory(root / "data/plan.bak"); // the backup cannot be written

    f.data->description = "changed";
    f.data->modified = true;
    f.ui.expect("Error").answer(Answer::Ok);
    EXPECT_FALSE(saveFile(f.session));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(f.ui.shown()[0].caption, "Error");
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_TRUE(f.data->modified);
}

TEST(Save, TextCopyGoesToTheNetworkFolderWhenThereIsOne)
{
    TempFolder root;
    SessionFixture f(root);
    f.settings.preferences.makeTextFile = true;
    const std::string path = root / "data/plan.qvf";
    writeSample(path);
    ASSERT_TRUE(openWindows(f.session, path));

    ASSERT_TRUE(saveFile(f.session));
    EXPECT_TRUE(fs::exists(root / "data/plan.qvx"));

    fs::create_directory(root / "net");
    f.settings.directory.network = root / "net";
    ASSERT_TRUE(saveFile(f.session));
    EXPECT_TRUE(fs::exists(root / "net/plan.qvx"));
    EXPECT_EQ(f.settings.directory.numOfFileSaves, 2);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

// The first [Coursedata] line of a text file, after its "N=".
std::string firstEventLine(const std::string &path)
{
    const std::vector<std::uint8_t> bytes = fileBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t section = text.find("[Coursedata]");
    if (section == std::string::npos)
        return {};
    const std::size_t start = text.find('=', section) + 1;
    return text.substr(start, text.find('\r', start) - start);
}

TEST(Save, TextCopyWritesLocksAndColoursOnlyWithTheColourCodesSetting)
{
    for (const bool colourCodes : {true, false}) {
        TempFolder root;
        SessionFixture f(root);
        f.settings.preferences.makeTextFile = true;
        f.settings.preferences.colourCodes = colourCodes;
        const std::string path = root / "data/plan.qvf";
        writeSample(path);
        ASSERT_TRUE(openWindows(f.session, path));
        ASSERT_TRUE(saveFile(f.session));
        const std::string line = firstEventLine(root / "data/plan.qvx");
        // code;name;category;planned, then ;locked;colour with the setting on.
        EXPECT_EQ(std::count(line.begin(), line.end(), ';'), colourCodes ? 5 : 3) << line;
        EXPECT_EQ(exportOptionsFor(f.session).extended, colourCodes);
    }
}

TEST(New, OffersTheLanguageFilesAndStartsOnAMonday)
{
    TempFolder root;
    SessionFixture f(root);
    buildSample(*f.data);
    const fs::path program = root.path() / "program";
    std::ofstream(program / "english.cfw") << "[Days]\nMonday$Tuesday$\n";
    std::ofstream(program / "german.cfw") << "[Days]\nMontag$Dienstag$\n";
    f.clock.set(dateSerial(2027, 3, 3), noon(2027, 3, 3)); // a Wednesday

    f.ui.choose(2).expect("Welcome to").answer(Answer::No);
    EXPECT_TRUE(newFile(f.session));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    ASSERT_EQ(f.ui.shown()[0].options.size(), 2u);
    EXPECT_EQ(f.ui.shown()[0].options[0].text, "English");
    EXPECT_EQ(f.ui.shown()[0].options[1].text, "German");
    EXPECT_EQ(f.data->codeCount, 0);
    EXPECT_TRUE(f.data->dayNames.starts_with("Montag$Dienstag$"));
    EXPECT_EQ(f.data->firstWeekDate, dateSerial(2027, 3, 8));
    EXPECT_TRUE(f.session.untitled());
    EXPECT_EQ(fs::path(f.session.currentFile()).filename(), "untitled-0.qvf");
}

TEST(Recovery, GarbageInFrontIsSkippedAndTheDataOpenUntitled)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string good = root / "good.qvf";
    writeSample(good);
    auto bytes = fileBytes(good);
    bytes.insert(bytes.begin(), 99, 0xAB);
    const std::string damaged = root / "data/damaged.qvf";
    writeBytes(damaged, bytes);
    writeBytes(root / "data/recovered.qvf", {1, 2, 3}); // an earlier salvage is kept

    f.ui.file(damaged)
        .expect("appears not to be a valid Quivra file")
        .answer(Answer::Ok)
        .expect("by skipping the first 99 bytes?")
        .answer(Answer::Yes)
        .expect("was created")
        .answer(Answer::Ok);
    EXPECT_TRUE(openFile(f.session));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();

    EXPECT_TRUE(f.session.untitled());
    EXPECT_NE(f.session.currentFile(), damaged);
    EXPECT_EQ(dumpWithoutTimes(*f.data), dumpOfFile(good));
    EXPECT_EQ(fileBytes(damaged), bytes);
    EXPECT_EQ(fileBytes(root / "data/recovered.qvf").size(), 3u);
    EXPECT_EQ(fileBytes(root / "data/recovered-1.qvf"), fileBytes(good));
}

TEST(Open, ATruncatedFileOpensUntitledSoSaveCannotOverwriteIt)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string path = root / "data/plan.qvf";
    writeSample(path);
    auto bytes = fileBytes(path);
    bytes.resize(bytes.size() * 2 / 3);
    writeBytes(path, bytes);

    f.ui.file(path).expect("is damaged").answer(Answer::Ok);
    EXPECT_TRUE(openFile(f.session));
    EXPECT_TRUE(f.session.untitled());
    EXPECT_NE(f.session.currentFile(), path);

    f.data->modified = true;
    f.ui.cancel(); // Save asks for a name: the damaged file is not the default target
    EXPECT_FALSE(saveFile(f.session));
    EXPECT_NE(f.ui.shown().back().initial, "plan.qvf");
    EXPECT_EQ(fileBytes(path), bytes);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

TEST(Open, TheSeatsQuestionIsAskedOnceWhateverTheAnswer)
{
    for (const int answer : {Answer::Yes, Answer::No}) {
        TempFolder root;
        SessionFixture f(root);
        f.settings.preferences.capacityCheck = false;
        const std::string path = root / "data/plan.qvf";
        writeSample(path, [](ScheduleData &d) {
            buildSample(d);
            d.codes[findCode(d, "R1")].name.assign("Lab #30");
        });

        f.ui.file(path).expect("capacity tags (\"#\") in 1 resource names").answer(answer);
        EXPECT_TRUE(openFile(f.session));
        EXPECT_EQ(f.session.settings.preferences.capacityCheck, answer == Answer::Yes);
        f.ui.file(path); // opened again: no question, the answer stands
        EXPECT_TRUE(openFile(f.session));
        EXPECT_EQ(f.session.settings.preferences.capacityCheck, answer == Answer::Yes);
        EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    }
}

TEST(Open, RefusedFilesLeaveTheDataSetAlone)
{
    const std::vector<std::uint8_t> valid = {1, 0, 22, 1, 0x05, 0x18};
    struct Case
    {
        const char *name;
        const char *file;
        std::vector<std::uint8_t> bytes;
        bool readOnly;
        const char *message; // empty: refused without a word
        int answer;
    };
    const Case cases[] = {
        {"not a data file, nothing to recover",
         "x.qvf",
         {'h', 'e', 'l', 'l', 'o', '!', '!'},
         false,
         "appears not to be a valid",
         Answer::Ok},
        {"newer version declined",
         "x.qvf",
         {1, 0, 22, 1, 0xFF, 0xFF},
         false,
         "\"newer\" version",
         Answer::No},
        {"read-only", "x.qvf", valid, true, "\"Read-only\" file", Answer::Ok},
        {"wildcard name", "*.qvf", valid, false, "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        SessionFixture f(root);
        buildSample(*f.data);
        const std::string before = dumpWithoutTimes(*f.data);
        const std::string path = root / (std::string("data/") + c.file);
        writeBytes(path, c.bytes);
        if (c.readOnly)
            fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
        f.ui.file(path);
        if (*c.message)
            f.ui.expect(c.message).answer(c.answer);
        EXPECT_FALSE(openFile(f.session));
        EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
        EXPECT_EQ(dumpWithoutTimes(*f.data), before);
        EXPECT_TRUE(f.session.currentFile().empty());
    }
}

TEST(Open, ASecondSessionIsToldTheFileIsInUseEvenAfterASave)
{
    TempFolder root;
    SessionFixture first(root);
    SessionFixture second(root);
    const std::string path = root / "data/plan.qvf";
    writeSample(path);
    ASSERT_TRUE(openWindows(first.session, path));
    EXPECT_EQ(first.session.currentFile(), path);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        second.ui.file(path)
            .expect("is currently in use")
            .answer(Answer::Ok)
            .expect("create a new file")
            .answer(Answer::No);
        EXPECT_FALSE(openFile(second.session));
        EXPECT_TRUE(second.ui.finished()) << second.ui.problems();
        EXPECT_EQ(second.data->codeCount, 0);
        // The save replaces the file; the lock must follow it.
        first.data->modified = true;
        ASSERT_TRUE(saveFile(first.session));
    }

    ASSERT_TRUE(exitProgram(first.session));
    second.ui.file(path);
    EXPECT_TRUE(openFile(second.session));
    EXPECT_EQ(second.data->codeCount, 5);
    EXPECT_TRUE(second.ui.finished()) << second.ui.problems();
}

// Samples are installed read-only; opening one works on a writable copy in the user's folder.
TEST(SampleFiles, OpenedAsAWritableCopyUnderAFreeName)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string sample = root / "program/demo.qvf";
    writeSample(sample);
    fs::permissions(sample, fs::perms::owner_read | fs::perms::group_read);
    const auto shipped = fileBytes(sample);
    ASSERT_EQ(sampleFiles(f.session), std::vector<std::string>{sample});

    f.ui.expect("Select a sample file").choose(1);
    ASSERT_TRUE(openSampleFile(f.session));
    const std::string copy = root / "user/demo.qvf";
    EXPECT_EQ(f.session.currentFile(), copy);
    EXPECT_FALSE(f.session.untitled());
    EXPECT_EQ(f.data->codeCount, 5);
    EXPECT_EQ(checkDataFile(copy).verdict, FileVerdict::Valid); // not read-only like the sample

    // The copy is an ordinary file: edited and saved in place.
    f.data->description = "edited copy";
    f.data->modified = true;
    ASSERT_TRUE(saveFile(f.session));
    EXPECT_EQ(f.session.currentFile(), copy);

    // Opened again, the sample goes to the next free name; the edited copy is kept.
    ASSERT_TRUE(openDemoFile(f.session));
    EXPECT_EQ(f.session.currentFile(), root / "user/demo-2.qvf");
    EXPECT_NE(dumpOfFile(copy).find("edited copy"), std::string::npos);
    EXPECT_EQ(fileBytes(sample), shipped);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
}

TEST(SampleFiles, AMissingOrInvalidSampleChangesNothing)
{
    struct Case
    {
        const char *name;
        std::vector<std::uint8_t> demoBytes; // empty: no demo file installed
        std::function<bool(Session &)> command;
        const char *message;
    };
    const Case cases[] = {
        {"demo missing", {}, openDemoFile, "cannot be opened"},
        {"demo not a data file", {'h', 'e', 'l', 'l', 'o', '!'}, openDemoFile, "not a valid"},
        {"no samples installed", {}, openSampleFile, "No sample files are installed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        SessionFixture f(root);
        const std::string current = root / "data/plan.qvf";
        writeSample(current);
        ASSERT_TRUE(openWindows(f.session, current));
        f.data->modified = true; // reaching the save question would be a fault here
        const std::string before = dumpWithoutTimes(*f.data);
        if (!c.demoBytes.empty())
            writeBytes(root / "program/demo.qvf", c.demoBytes);

        f.ui.expect(c.message).answer(Answer::Ok);
        EXPECT_FALSE(c.command(f.session));
        EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
        EXPECT_EQ(dumpWithoutTimes(*f.data), before);
        EXPECT_EQ(f.session.currentFile(), current);
        EXPECT_FALSE(fs::exists(root.path() / "user"));
    }
}

TEST(SampleFiles, CancellingTheSaveQuestionMakesNoCopy)
{
    TempFolder root;
    SessionFixture f(root);
    writeSample(root / "program/demo.qvf");
    buildSample(*f.data);
    f.data->modified = true;
    f.ui.expect("You have modified").answer(Answer::Cancel);
    EXPECT_FALSE(openDemoFile(f.session));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_TRUE(f.data->modified);
    EXPECT_FALSE(fs::exists(root.path() / "user"));
}

TEST(LatestFiles, NewestFirstTenAtMostNoDuplicates)
{
    std::array<std::string, 11> latest{};
    for (int k = 1; k <= 11; ++k)
        addLatestFile(latest, "/d/f" + std::to_string(k) + ".qvf");
    EXPECT_EQ(latest[1], "/d/f11.qvf");
    EXPECT_EQ(latest[10], "/d/f2.qvf"); // f1, the oldest, dropped

    addLatestFile(latest, "/d/f5.qvf");
    addLatestFile(latest, "/d/notes.txt"); // only data files are listed
    EXPECT_EQ(latest[1], "/d/f5.qvf");
    EXPECT_EQ(latest[2], "/d/f11.qvf");
    EXPECT_EQ(std::count(latest.begin(), latest.end(), "/d/f5.qvf"), 1);
    EXPECT_EQ(latest[10], "/d/f2.qvf");
}

TEST(ExtractWeek, WritesTheWeekAndKeepsTheCurrentFile)
{
    TempFolder root;
    SessionFixture f(root);
    const std::string path = root / "data/plan.qvf";
    writeSample(path);
    ASSERT_TRUE(openWindows(f.session, path));
    f.data->modified = true;
    const auto onDisk = fileBytes(path);
    const std::string week = root / "data/week001.qvf";

    // Into the open file itself it is refused: one week would replace all the others.
    f.ui.choose(1)
        .file(path)
        .expect("cannot be extracted into the file that is open")
        .answer(Answer::Ok);
    EXPECT_FALSE(extractWeek(f.session));

    f.ui.choose(1).file(week).expect("is extracted to file").answer(Answer::No);
    EXPECT_TRUE(extractWeek(f.session));
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_EQ(f.ui.shown()[4].initial, "week001.qvf");
    EXPECT_EQ(f.session.currentFile(), path);
    EXPECT_TRUE(f.data->modified);
    EXPECT_EQ(f.settings.preferences.latestFile[1], week);

    auto extracted = makeScheduleData();
    ASSERT_TRUE(readDataFile(week, *extracted).has_value());
    EXPECT_EQ(extracted->codeCount, 5);
    EXPECT_EQ(fileBytes(path), onDisk);
}

TEST(Compress, JoinsBlocksInMemoryAndKeepsEverythingElse)
{
    TempFolder root;
    SessionFixture f(root);
    FixtureBuilder b(*f.data);
    b.calendar(12, 5, 6).resources('T', {"T1"});
    b.event("E1", {"T1"}, 2).allocate("E1", 1, 10, 2);
    for (int w = 1; w <= 10; ++w)
        b.place("E1", w, 1, 1, 1).place("E1", w, 1, 2, 2);
    b.memo("T1", "part time");
    b.finish();
    f.data->reportTitles[2] = "Rooms";
    const CodeId e1 = b.id("E1");
    const int scheduled = f.data->codes[e1].scheduled;
    const auto memos = f.data->memos;

    f.ui.expect("Compacted: ").answer(Answer::Ok);
    const CompressReport report = compress(f.session);
    EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
    EXPECT_LT(report.lecturesAfter, report.lecturesBefore);
    EXPECT_EQ(report.largestBefore, 20);
    EXPECT_EQ(report.largestAfter, 1);
    EXPECT_EQ(f.data->codes[e1].scheduled, scheduled);
    EXPECT_EQ(f.data->memos, memos);
    EXPECT_EQ(f.data->reportTitles[2], "Rooms");
}

// Fewer blocks for the same cells leave the data set as saved; a conflict removed changes it.
TEST(Compress, MarksTheDataSetModifiedOnlyWhenItsMeaningChanged)
{
    struct Case
    {
        const char *name;
        bool clash; // E2 on E1's cell of T1
        bool modified;
    };
    const Case cases[] = {
        {"blocks joined", false, false},
        {"conflict removed", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        SessionFixture f(root);
        FixtureBuilder b(*f.data);
        b.calendar(4, 5, 6).resources('T', {"T1"});
        b.event("E1", {"T1"}, 2).allocate("E1", 1, 1, 2);
        b.place("E1", 1, 1, 1, 1).place("E1", 1, 1, 2, 2);
        b.event("E2", {"T1"}, 1).allocate("E2", 1, 1, 1);
        b.place("E2", 1, c.clash ? 1 : 3, 2, 2);
        b.finish();
        f.data->modified = false;

        f.ui.expect("Compacted: ").answer(Answer::Ok);
        const CompressReport report = compress(f.session);
        EXPECT_TRUE(f.ui.finished()) << f.ui.problems();
        EXPECT_LT(report.lecturesAfter, report.lecturesBefore);
        EXPECT_EQ(f.data->modified, c.modified);
    }
}

} // namespace
} // namespace quivra
