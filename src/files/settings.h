#pragma once

// Settings: the program's settings.ini, one struct per section.
//
// Every key is declared once, with its default and its range, in settings.cpp; reading,
// defaults and writing are all driven from that one list. A default-constructed Settings holds
// every default. Reading never fails on a value: a missing key keeps what the settings already
// hold, and a value that is not a number or lies outside its range falls back to the key's
// default (a few keys, such as CodeMode, are clamped instead); each fallback is noted so the
// caller may mention it, and start-up goes on.
//
// Where the files are (SettingsPaths): the program folder's settings.ini is the installed
// default; the user's own settings.ini lives in the XDG configuration folder
// (~/.config/quivra, or $XDG_CONFIG_HOME/quivra) and its values win. The user folder (Data and
// Web folders for data files and web pages) is used while [Directory] ForceDir is on.
//
// Writing updates the keys in place in the existing file, so comments, unknown keys and unknown
// sections stay where they were. Families of numbered keys (NetworkFile, Slot, Block, Initial)
// are written for the entries held and their other numbers are removed. Profiles (".qvp") are
// settings files under another name.
//
// Colours are integers 0x00BBGGRR. Fields named after numbered keys are indexed by that number
// (entry 0 unused where the keys start at 1).

#include "engine/result.h"
#include "files/inifile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quivra {

struct Settings
{
    Settings(); // every default

    struct Directory
    {
        bool forceDir;
        int previousVersion, webVersion, prevWebVersion, webDate;
        std::string defaultDir, defaultTextDir, defaultWeb, defaultFile, convertDir;
        std::string defaultAddFile, network;
        int convOptions;
        int numOfFileSaves;
        std::array<std::string, 256> networkFiles; // [1..255], empty entries not written

        friend bool operator==(const Directory &, const Directory &) = default;
    } directory{};

    struct WinColors
    {
        std::int32_t clComp, fcComp, clCourse, fcCourse, clWeek, fcWeeks, clTTGrid, fcTTGrid;
        std::int32_t clOk, fcOk, clNotOk, fcNotOk, clOldWeeks, fcOldWeeks, clGeneral;
        std::array<std::int32_t, 16> ttColors; // TTColor0..15

        friend bool operator==(const WinColors &, const WinColors &) = default;
    } winColors{};

    // [Custom Colors] as read: the colour dialog's own keys, kept as they are.
    std::vector<std::pair<std::string, std::string>> customColors;

    struct Preferences
    {
        int left, top, width, height;
        int codeMode; // 1..3
        bool cumulative, multiplied, timetabled, showInfo, useColors, useCodeColors;
        bool leftButtons, topButtons, hideWelcome, autoTimetabling, autoSort;
        std::array<bool, 4> categorySort;  // [0] CategorySort, [1..3] per view
        std::array<bool, 4> ascendingSort; // [0] AscendingSort, [1..3] per view
        bool lockSort, autoRead, takeBackUp, makeYesterdayCopy, makeTextFile, autoAddTextFile;
        bool reminder, slotTimetables, showCompList, showHosts, showComps, showTimetables;
        bool manualRoomNagging, splitCourseNagging, dailyTimePeriods, showSkinImage;
        bool checkForUpdates, colourCodes;
        int useTableColors, showExcess, showMode, winMode, wMode, categories, caseChange;
        int gridMode, skinHeight, blockSize;
        int weekTitles; // bit 2 always set
        int insertPatterns, hideNum, showInfoFile, readWriteTextFiles, checks, dbTestMode;
        int leftTitles, rightTitles, filterTitles;
        std::int32_t hintColor;
        int hintHidePause, vertFix, horzFix;
        std::string defaultFontFamily, defaultEmail, oem;
        bool showMemo, dragDropOk, weeklyPeriods, colorsByName, capacityCheck, ignoreAskExceed;
        bool ftuVisible;
        std::string date2, originalFile, sourceFile, fileId;
        bool students, lockOthers;
        int subjectsCategory, studentsCategory, teacherCategory, invigilatorCategory;
        int examCategory, studentsOptMode;
        // The Timetables view's cell display options (bit k - 1 = item k of its "Cell display
        // options" menu, 1..10), and whether the tip offering the cell indicators was shown.
        int cellOptions;
        bool indicatorTip;
        // Whether the question offering the SEATS column for capacity tags was answered once;
        // afterwards the Options dialog's "Show the SEATS of events" turns the column on.
        bool capacityAsked;
        std::array<int, 8> collection;          // Collection1..7 (0 = no limit)
        std::array<std::string, 11> latestFile; // LatestFile1..10

        friend bool operator==(const Preferences &, const Preferences &) = default;
    } preferences{};

    struct Reports
    {
        int showFields, formatChoice, tableMask;
        bool tableMaskByCategory;
        std::array<int, 8> tableMaskCat; // TableMaskCat0..7
        int weekOptions, miscOptions, minCellRows, maxCellRows, weekFormat, codeFormat;
        int logoSpace, firstWeek, lastWeek, lastReport;
        std::array<std::string, 11> printFile; // PrintFile1..10
        std::array<int, 11> reportDate;        // ReportDate1..10
        bool toPrinter, titles, unAssigned, emptyTables, vertCenter, numberLessons, hideMatches;
        bool suppressLastCells, wrapLines, footer;

        friend bool operator==(const Reports &, const Reports &) = default;
    } reports{};

    struct Html
    {
        bool titles, colors, fontface, equalWidth, leftAlign, courseRef, compRef, lowerCase;
        bool timePeriodsOnBothSides, fbLogo, transparent, dailyTimetables, header, footer;
        bool intranet;
        std::string tdFont;
        int firstChar, categoryMode, publishMemos, htmlReports;
        std::string tag, prefix, charset;
        std::array<std::int32_t, 8> colorTable; // Color0..7
        std::array<std::int32_t, 5> bodyLinks;  // BodyLink0..4
        int daySlotUse;
        std::array<std::string, 8> daySlots; // DaySlot1..7
        std::string cellspacing, cellpadding, border, suffix;

        friend bool operator==(const Html &, const Html &) = default;
    } html{};

    // [Tools]: the block pattern of week w (key "Slot<w>", 0..255), held and written without its
    // trailing "-". A week without an entry has the default pattern: one "-" per slot of a week.
    std::map<int, std::string> slotPatterns;

    struct Optimize
    {
        bool locked, bookings;
        bool complete; // "Complete" (default 1): the initial solution ends with the completion
        int mode, methods, blockSlotsNum, minSeq, maxSeq, maxRepeats;
        int seconds; // "Seconds" (default 0: none): the optimiser's time budget, 0..MaxSeconds
        static constexpr int MaxSeconds = 86400;
        std::int32_t randSeed;
        std::array<int, 8> gapWeight; // GapWeight1..7, 0..9
        std::map<int, int> blocks;    // key bell * 10 + day ("Block<key>"), 0..65535
        std::vector<int> initial;     // Initial1..Initial<n>; Initial0 holds n

        friend bool operator==(const Optimize &, const Optimize &) = default;
    } optimize{};

    std::int32_t strategy = 0; // [Optimise] Strategy
    std::string description;   // [Conflicts] Description

    friend bool operator==(const Settings &, const Settings &) = default;
};

struct SettingsPaths
{
    std::filesystem::path programFolder;    // holds the installed settings.ini
    std::filesystem::path userConfigFolder; // holds the user's settings.ini; empty: none
    std::filesystem::path userFolder;       // Data and Web folders while ForceDir is on
};

// Paths of this system: the given program folder; $XDG_CONFIG_HOME/quivra (an absolute
// XDG_CONFIG_HOME only) or $HOME/.config/quivra; $HOME/Documents/Quivra. `env` looks up an
// environment variable (nullptr when unset).
SettingsPaths systemSettingsPaths(const std::filesystem::path &programFolder,
                                  const std::function<const char *(const char *)> &env);

struct SettingsLoad
{
    bool programFileFound = false;
    bool userFileFound = false;
    bool userFolderInUse = false;
    std::vector<std::string> notes; // one line per value that fell back, file that failed
};

// Reads the values of `ini` over `s` (missing keys keep their value); each fallback is added to
// `notes` when given.
void readSettings(Settings &s, const IniFile &ini, std::vector<std::string> *notes = nullptr);
// Writes every value of `s` into `ini`, keeping its other lines.
void writeSettings(const Settings &s, IniFile &ini);

// Defaults, then the program folder's settings.ini, then (while ForceDir is on and the user
// folder's Data and Web folders exist or can be made) the user's; folder keys left empty get
// their folder defaults. Never fails: unreadable files are noted and skipped.
SettingsLoad loadSettings(Settings &s, const SettingsPaths &paths);
// Writes the user's settings.ini while the user folder is in use (the installed one is left
// alone), else the program folder's, keeping the file's other lines; atomic.
Result<void> saveSettings(const Settings &s, const SettingsPaths &paths, bool userFolderInUse);

// A profile: read over the current settings, or written keeping the file's other lines.
Result<void> loadProfile(Settings &s, const std::string &path,
                         std::vector<std::string> *notes = nullptr);
Result<void> saveProfile(const Settings &s, const std::string &path);

} // namespace quivra
