#include "files/settings.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace quivra {

namespace {

constexpr int Byte = 255;   // keys read into a byte
constexpr int Word = 65535; // keys read into 16 bits
constexpr std::int32_t WrittenVersion = 6310;

// A web colour RRGGBB as the 0x00BBGGRR integer of the settings.
constexpr std::int32_t webColour(std::uint32_t rrggbb)
{
    return static_cast<std::int32_t>(((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) |
                                     ((rrggbb >> 16) & 0xFF));
}

constexpr std::array<std::int32_t, 16> DefaultTTColors = {
    webColour(0x800000), webColour(0xB88066), webColour(0x556B2F), webColour(0xCD5C5C),
    webColour(0xFF6347), webColour(0x2E8B57), webColour(0x8A2BE2), webColour(0xDAA520),
    webColour(0x6495ED), webColour(0x8A2BE2), webColour(0x999933), webColour(0x339999),
    webColour(0x993333), webColour(0xCC6666), webColour(0x996666), webColour(0x666699)};
constexpr std::array<std::int32_t, 8> DefaultHtmlColors = {0,        0xFFFFFF, 13421772, 0xCCFFFF,
                                                           13434828, 10079385, 13421721, 6737100};
constexpr std::array<std::int32_t, 5> DefaultBodyLinks = {0x7F0000, 128, 0x800080, 0x808000,
                                                          0xFFFFFF};

enum class Fit { Default, Clamp };

std::string numbered(const char *key, int k)
{
    return key + std::to_string(k);
}

// The one list of keys. `v` is told each key with its field, default and range; the defaults
// visitor, the reader and the writer all walk this list. Defaults that name another key
// (CategorySort1 defaults to CategorySort) read that field as it stands at that point, and a
// file that sets the leading key but not the following one sets both.
template <class S, class V> void visitKeys(S &s, V &v)
{
    {
        auto &d = s.directory;
        const char *sec = "Directory";
        v.flag(sec, "ForceDir", d.forceDir, true);
        v.number(sec, "PreviousVersion", d.previousVersion, 0, 0, Word);
        v.number(sec, "WebVersion", d.webVersion, 0, 0, Word);
        v.number(sec, "PrevWebVersion", d.prevWebVersion, 0, 0, Word);
        v.number(sec, "WebDate", d.webDate, 0, 0, Word);
        v.text(sec, "DefaultDir", d.defaultDir, "");
        v.text(sec, "DefaultTextDir", d.defaultTextDir, "");
        v.text(sec, "DefaultWeb", d.defaultWeb, "");
        v.text(sec, "DefaultFile", d.defaultFile, "");
        v.text(sec, "ConvertDir", d.convertDir, "");
        v.text(sec, "DefaultAddFile", d.defaultAddFile, "");
        v.text(sec, "Network", d.network, "[Enter network folder here]");
        v.number(sec, "ConvOptions", d.convOptions, 0, 0, Word);
        v.number(sec, "NumOfFileSaves", d.numOfFileSaves, 0, INT_MIN, INT_MAX);
    }
    {
        auto &c = s.winColors;
        const char *sec = "WinColors";
        v.colour(sec, "clComp", c.clComp, 13408614);
        v.colour(sec, "fcComp", c.fcComp, 0xFFFFFF);
        v.colour(sec, "clCourse", c.clCourse, 3133439);
        v.colour(sec, "fcCourse", c.fcCourse, 0x800000);
        v.colour(sec, "clWeek", c.clWeek, 55295);
        v.colour(sec, "fcWeeks", c.fcWeeks, 0);
        v.colour(sec, "clTTGrid", c.clTTGrid, 13434828);
        v.colour(sec, "fcTTGrid", c.fcTTGrid, 0);
        v.colour(sec, "clOk", c.clOk, 0xFFFFFF);
        v.colour(sec, "fcOk", c.fcOk, 3381555);
        v.colour(sec, "clNotOk", c.clNotOk, 0xFFFFFF);
        v.colour(sec, "fcNotOk", c.fcNotOk, 255);
        v.colour(sec, "clOldWeeks", c.clOldWeeks, 26316);
        v.colour(sec, "fcOldWeeks", c.fcOldWeeks, 0xFFFFFF);
        v.colour(sec, "clGeneral", c.clGeneral, 15780518);
        for (int k = 0; k < 16; ++k)
            v.colour(sec, numbered("TTColor", k), c.ttColors[k], DefaultTTColors[k]);
    }
    {
        auto &p = s.preferences;
        const char *sec = "Preferences";
        v.number(sec, "Left", p.left, 0, INT_MIN, INT_MAX);
        v.number(sec, "Top", p.top, 0, INT_MIN, INT_MAX);
        v.number(sec, "Width", p.width, 1024, INT_MIN, INT_MAX);
        v.number(sec, "Height", p.height, 768, INT_MIN, INT_MAX);
        v.number(sec, "CodeMode", p.codeMode, 1, 1, 3, Fit::Clamp);
        v.flag(sec, "Cumulative", p.cumulative, false);
        v.flag(sec, "Multiplied", p.multiplied, false);
        v.flag(sec, "Timetabled", p.timetabled, false);
        v.flag(sec, "ShowInfo", p.showInfo, false);
        v.flag(sec, "UseColors", p.useColors, true);
        v.flag(sec, "UseCodeColors", p.useCodeColors, true);
        v.flag(sec, "LeftButtons", p.leftButtons, true);
        v.flag(sec, "TopButtons", p.topButtons, true);
        v.flag(sec, "HideWelcome", p.hideWelcome, false);
        v.flag(sec, "AutoTimetabling", p.autoTimetabling, false);
        v.flag(sec, "AutoSort", p.autoSort, true);
        v.flag(sec, "CategorySort", p.categorySort[0], true);
        for (int k = 1; k <= 3; ++k)
            v.flag(sec, numbered("CategorySort", k), p.categorySort[k], p.categorySort[0],
                   "CategorySort");
        v.flag(sec, "AscendingSort", p.ascendingSort[0], true);
        for (int k = 1; k <= 3; ++k)
            v.flag(sec, numbered("AscendingSort", k), p.ascendingSort[k], p.ascendingSort[0],
                   "AscendingSort");
        v.flag(sec, "LockSort", p.lockSort, false);
        v.flag(sec, "AutoRead", p.autoRead, true);
        v.flag(sec, "TakeBackUp", p.takeBackUp, true);
        v.flag(sec, "MakeYesterdayCopy", p.makeYesterdayCopy, false);
        v.flag(sec, "MakeTextFile", p.makeTextFile, false);
        v.flag(sec, "AutoAddTextFile", p.autoAddTextFile, false);
        v.flag(sec, "Reminder", p.reminder, false);
        v.flag(sec, "SlotTimetables", p.slotTimetables, false);
        v.flag(sec, "ShowCompList", p.showCompList, false);
        v.flag(sec, "ShowHosts", p.showHosts, false);
        v.flag(sec, "ShowComps", p.showComps, false);
        v.flag(sec, "ShowTimetables", p.showTimetables, true);
        v.flag(sec, "ManualRoomNagging", p.manualRoomNagging, true);
        v.flag(sec, "SplitCourseNagging", p.splitCourseNagging, true);
        v.flag(sec, "DailyTimePeriods", p.dailyTimePeriods, false);
        v.flag(sec, "ShowSkinImage", p.showSkinImage, true);
        v.flag(sec, "CheckForUpdates", p.checkForUpdates, true);
        v.flag(sec, "ColourCodes", p.colourCodes, true);
        v.number(sec, "UseTableColors", p.useTableColors, 135, 0, Byte);
        v.number(sec, "ShowExcess", p.showExcess, 3, 0, Byte);
        v.number(sec, "ShowMode", p.showMode, 1, 0, Byte);
        v.number(sec, "WinMode", p.winMode, 11, 0, Byte);
        v.number(sec, "WMode", p.wMode, 3, 0, Byte);
        v.number(sec, "Categories", p.categories, 0, 0, Byte);
        v.number(sec, "CaseChange", p.caseChange, 0, 0, Byte);
        v.number(sec, "GridMode", p.gridMode, 1, 0, Byte);
        v.number(sec, "SkinHeight", p.skinHeight, 33, 0, Byte);
        v.number(sec, "BlockSize", p.blockSize, 1, 0, Byte);
        v.number(sec, "WeekTitles", p.weekTitles, 63, INT_MIN, INT_MAX);
        v.number(sec, "InsertPatterns", p.insertPatterns, 65535, 0, Word);
        v.number(sec, "HideNum", p.hideNum, 0, 0, Byte);
        v.number(sec, "ShowInfoFile", p.showInfoFile, 0, 0, Byte);
        v.number(sec, "ReadWriteTextFiles", p.readWriteTextFiles, 0, 0, Byte);
        v.number(sec, "Checks", p.checks, 0, INT_MIN, INT_MAX);
        v.number(sec, "DB_TestMode", p.dbTestMode, 0, INT_MIN, INT_MAX);
        v.number(sec, "LeftTitles", p.leftTitles, 158, INT_MIN, INT_MAX);
        v.number(sec, "RightTitles", p.rightTitles, 158, INT_MIN, INT_MAX);
        v.number(sec, "FilterTitles", p.filterTitles, 255, INT_MIN, INT_MAX);
        v.colour(sec, "HintColor", p.hintColor, static_cast<std::int32_t>(0x80000018u));
        v.number(sec, "HintHidePause", p.hintHidePause, 3000, INT_MIN, INT_MAX);
        v.number(sec, "VertFix", p.vertFix, 0, INT_MIN, INT_MAX);
        v.number(sec, "HorzFix", p.horzFix, 0, INT_MIN, INT_MAX);
        v.text(sec, "DefaultFontFamily", p.defaultFontFamily, "Verdana");
        v.text(sec, "DefaultEmail", p.defaultEmail, "");
        v.text(sec, "OEM", p.oem, "");
        v.flag(sec, "ShowMemo", p.showMemo, false);
        v.flag(sec, "DragDropOk", p.dragDropOk, false);
        v.flag(sec, "WeeklyPeriods", p.weeklyPeriods, true);
        v.flag(sec, "ColorsByName", p.colorsByName, true);
        v.flag(sec, "CapacityCheck", p.capacityCheck, false);
        v.flag(sec, "IgnoreAskExceed", p.ignoreAskExceed, false);
        v.flag(sec, "FTUVisible", p.ftuVisible, true);
        v.text(sec, "Date2", p.date2, "ddddd");
        v.text(sec, "OriginalFile", p.originalFile, "");
        v.text(sec, "SourceFile", p.sourceFile, "");
        v.text(sec, "FileId", p.fileId, "");
        v.flag(sec, "Students", p.students, false);
        v.flag(sec, "LockOthers", p.lockOthers, false);
        v.number(sec, "SubjectsCategory", p.subjectsCategory, 4, 0, Byte);
        v.number(sec, "StudentsCategory", p.studentsCategory, 5, 0, Byte);
        v.number(sec, "TeacherCategory", p.teacherCategory, 2, 0, Byte);
        v.number(sec, "InvigilatorCategory", p.invigilatorCategory, 2, 0, Byte);
        v.number(sec, "ExamCategory", p.examCategory, 6, 0, Byte);
        v.number(sec, "StudentsOptMode", p.studentsOptMode, 3, 0, Byte);
        v.number(sec, "CellOptions", p.cellOptions, 539, 0, Word);
        v.flag(sec, "IndicatorTip", p.indicatorTip, false);
        v.flag(sec, "CapacityAsked", p.capacityAsked, false);
        for (int k = 1; k <= 7; ++k)
            v.number(sec, numbered("Collection", k), p.collection[k], 240, 0, Byte);
        for (int k = 1; k <= 10; ++k)
            v.text(sec, numbered("LatestFile", k), p.latestFile[k], "");
    }
    {
        auto &r = s.reports;
        const char *sec = "Reports";
        v.number(sec, "ShowFields", r.showFields, 511, 0, Word);
        v.number(sec, "FormatChoice", r.formatChoice, 1, 0, Word);
        v.number(sec, "TableMask", r.tableMask, 16266, 0, Word);
        v.flag(sec, "TableMaskByCategory", r.tableMaskByCategory, false);
        for (int k = 0; k <= 7; ++k)
            v.number(sec, numbered("TableMaskCat", k), r.tableMaskCat[k], r.tableMask, 0, Word,
                     Fit::Default, "TableMask");
        v.number(sec, "WeekOptions", r.weekOptions, 1536, 0, Word);
        v.number(sec, "MiscOptions", r.miscOptions, 0, 0, Word);
        v.number(sec, "MinCellRows", r.minCellRows, 3, 0, Word);
        v.number(sec, "MaxCellRows", r.maxCellRows, 10, 0, Word);
        v.number(sec, "WeekFormat", r.weekFormat, 3, 0, Byte);
        v.number(sec, "CodeFormat", r.codeFormat, 2, 0, Byte);
        v.number(sec, "LogoSpace", r.logoSpace, 4, 0, Byte);
        v.number(sec, "FirstWeek", r.firstWeek, 0, 0, Byte);
        v.number(sec, "LastWeek", r.lastWeek, 0, 0, Byte);
        v.number(sec, "LastReport", r.lastReport, 2, 0, Byte);
        for (int k = 1; k <= 10; ++k)
            v.text(sec, numbered("PrintFile", k), r.printFile[k], "");
        for (int k = 1; k <= 10; ++k)
            v.number(sec, numbered("ReportDate", k), r.reportDate[k], 0, INT_MIN, INT_MAX);
        v.flag(sec, "ToPrinter", r.toPrinter, true);
        v.flag(sec, "Titles", r.titles, true);
        v.flag(sec, "UnAssigned", r.unAssigned, false);
        v.flag(sec, "EmptyTables", r.emptyTables, true);
        v.flag(sec, "VertCenter", r.vertCenter, true);
        v.flag(sec, "NumberLessons", r.numberLessons, false);
        v.flag(sec, "HideMatches", r.hideMatches, false);
        v.flag(sec, "SuppressLastCells", r.suppressLastCells, false);
        v.flag(sec, "WrapLines", r.wrapLines, true);
        v.flag(sec, "Footer", r.footer, false);
    }
    {
        auto &h = s.html;
        const char *sec = "HTML";
        v.flag(sec, "Titles", h.titles, true);
        v.flag(sec, "Colors", h.colors, true);
        v.flag(sec, "Fontface", h.fontface, true);
        v.flag(sec, "EqualWidth", h.equalWidth, true);
        v.flag(sec, "LeftAlign", h.leftAlign, false);
        v.flag(sec, "CourseRef", h.courseRef, true);
        v.flag(sec, "CompRef", h.compRef, true);
        v.flag(sec, "LowerCase", h.lowerCase, true);
        v.flag(sec, "TimePeriodsOnBothSides", h.timePeriodsOnBothSides, false);
        v.flag(sec, "FBLogo", h.fbLogo, true);
        v.flag(sec, "Transparent", h.transparent, false);
        v.flag(sec, "DailyTimetables", h.dailyTimetables, false);
        v.flag(sec, "Header", h.header, true);
        v.flag(sec, "Footer", h.footer, true);
        v.flag(sec, "Intranet", h.intranet, false);
        v.text(sec, "tdFont", h.tdFont, "<font size=1>");
        v.number(sec, "FirstChar", h.firstChar, 120, 0, Byte);
        v.number(sec, "CategoryMode", h.categoryMode, 0, 0, Byte);
        v.number(sec, "PublishMemos", h.publishMemos, 0, 0, Byte);
        v.number(sec, "HTMLReports", h.htmlReports, 0, INT_MIN, INT_MAX);
        v.text(sec, "Tag", h.tag, "");
        v.text(sec, "Prefix", h.prefix, "");
        v.text(sec, "Charset", h.charset, "ISO-8859-1");
        for (int k = 0; k <= 7; ++k)
            v.colour(sec, numbered("Color", k), h.colorTable[k], DefaultHtmlColors[k]);
        for (int k = 0; k <= 4; ++k)
            v.colour(sec, numbered("BodyLink", k), h.bodyLinks[k], DefaultBodyLinks[k]);
        v.number(sec, "DaySlotUse", h.daySlotUse, 0, INT_MIN, INT_MAX);
        for (int k = 1; k <= 7; ++k)
            v.text(sec, numbered("DaySlot", k), h.daySlots[k], "");
        v.text(sec, "Cellspacing", h.cellspacing, "");
        v.text(sec, "Cellpadding", h.cellpadding, "");
        v.text(sec, "Border", h.border, "");
        v.text(sec, "Suffix", h.suffix, "");
    }
    {
        auto &o = s.optimize;
        const char *sec = "Optimize";
        v.flag(sec, "Locked", o.locked, false);
        v.flag(sec, "Bookings", o.bookings, false);
        v.flag(sec, "Complete", o.complete, true);
        v.number(sec, "Mode", o.mode, 3, 0, Byte);
        v.number(sec, "Methods", o.methods, 3, 0, Byte);
        v.number(sec, "BlockSlotsNum", o.blockSlotsNum, 0, 0, Byte);
        v.number(sec, "MinSeq", o.minSeq, 1, 0, Byte);
        v.number(sec, "MaxSeq", o.maxSeq, 3, 0, Byte);
        v.number(sec, "MaxRepeats", o.maxRepeats, 1, 0, Byte);
        v.number(sec, "Seconds", o.seconds, 0, 0, Settings::Optimize::MaxSeconds, Fit::Clamp);
        v.colour(sec, "RandSeed", o.randSeed, 0);
        for (int k = 1; k <= 7; ++k)
            v.number(sec, numbered("GapWeight", k), o.gapWeight[k], 1, 0, 9, Fit::Clamp);
    }
    v.colour("Optimise", "Strategy", s.strategy, 0);
    v.text("Conflicts", "Description", s.description, "");
}

// Sets every field to its default.
struct DefaultsVisitor
{
    void flag(const char *, const std::string &, bool &field, bool def, const char * = nullptr)
    {
        field = def;
    }
    void number(const char *, const std::string &, int &field, int def, int, int,
                Fit = Fit::Default, const char * = nullptr)
    {
        field = def;
    }
    void colour(const char *, const std::string &, std::int32_t &field, std::int32_t def)
    {
        field = def;
    }
    void text(const char *, const std::string &, std::string &field, const char *def)
    {
        field = def;
    }
};

struct ReadVisitor
{
    const IniFile &ini;
    std::vector<std::string> *notes;

    void note(const char *sec, const std::string &key, const std::string &value,
              const std::string &used)
    {
        if (notes)
            notes->push_back("[" + std::string(sec) + "] " + key + "=" + value + " is not valid; " +
                             used + " is used");
    }
    void flag(const char *sec, const std::string &key, bool &field, bool def,
              const char *leader = nullptr)
    {
        const auto text = ini.value(sec, key);
        if (!text) {
            if (leader != nullptr && ini.hasKey(sec, leader))
                field = def;
            return;
        }
        const auto n = parseIniInteger(*text);
        if (!n) {
            field = def;
            note(sec, key, *text, def ? "1" : "0");
            return;
        }
        field = *n != 0;
    }
    void number(const char *sec, const std::string &key, int &field, int def, int low, int high,
                Fit fit = Fit::Default, const char *leader = nullptr)
    {
        const auto text = ini.value(sec, key);
        if (!text) {
            if (leader != nullptr && ini.hasKey(sec, leader))
                field = def;
            return;
        }
        const auto n = parseIniInteger(*text);
        if (n && *n >= low && *n <= high) {
            field = static_cast<int>(*n);
            return;
        }
        field = n && fit == Fit::Clamp ? static_cast<int>(std::clamp<std::int64_t>(*n, low, high))
                                       : def;
        note(sec, key, *text, std::to_string(field));
    }
    void colour(const char *sec, const std::string &key, std::int32_t &field, std::int32_t def)
    {
        if (!ini.hasKey(sec, key))
            return;
        const auto n = parseIniInteger(*ini.value(sec, key));
        if (n && *n >= INT32_MIN && *n <= UINT32_MAX) {
            field = static_cast<std::int32_t>(static_cast<std::uint32_t>(*n));
            return;
        }
        field = def;
        note(sec, key, *ini.value(sec, key), std::to_string(def));
    }
    void text(const char *sec, const std::string &key, std::string &field, const char *)
    {
        if (const auto v = ini.value(sec, key))
            field = *v;
    }
};

struct WriteVisitor
{
    IniFile &ini;

    void flag(const char *sec, const std::string &key, bool field, bool, const char * = nullptr)
    {
        ini.writeBool(sec, key, field);
    }
    void number(const char *sec, const std::string &key, int field, int, int, int,
                Fit = Fit::Default, const char * = nullptr)
    {
        ini.writeInteger(sec, key, field);
    }
    void colour(const char *sec, const std::string &key, std::int32_t field, std::int32_t)
    {
        ini.writeInteger(sec, key, field);
    }
    void text(const char *sec, const std::string &key, const std::string &field, const char *)
    {
        ini.writeString(sec, key, field);
    }
};

// The number after `prefix` in a key such as "Slot12", or -1 when the key is not of the family.
int familyNumber(std::string_view key, std::string_view prefix)
{
    if (key.size() <= prefix.size() || key.size() > prefix.size() + 5)
        return -1;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(key[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return -1;
    }
    int n = 0;
    for (std::size_t i = prefix.size(); i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9')
            return -1;
        n = n * 10 + (key[i] - '0');
    }
    return n;
}

// Removes the keys of a family whose number `keep` rejects.
template <class Keep> void eraseFamily(IniFile &ini, const char *sec, const char *prefix, Keep keep)
{
    for (const std::string &key : ini.keys(sec)) {
        const int n = familyNumber(key, prefix);
        if (n >= 0 && !keep(n))
            ini.eraseKey(sec, key);
    }
}

bool validBlockKey(int key)
{
    return key / 10 >= 1 && key / 10 <= 30 && key % 10 >= 1 && key % 10 <= 7;
}

// The longest Initial list read; a larger count is not believed.
constexpr int MaxInitial = 8191;

void readFamilies(Settings &s, const IniFile &ini, std::vector<std::string> *notes)
{
    auto note = [&](const std::string &line) {
        if (notes)
            notes->push_back(line);
    };
    for (const std::string &key : ini.keys("Directory")) {
        const int k = familyNumber(key, "NetworkFile");
        if (k >= 1 && k <= 255)
            s.directory.networkFiles[k] = *ini.value("Directory", key);
    }
    if (ini.hasSection("Custom Colors")) {
        s.customColors.clear();
        for (const std::string &key : ini.keys("Custom Colors"))
            s.customColors.emplace_back(key, *ini.value("Custom Colors", key));
    }
    for (const std::string &key : ini.keys("Tools")) {
        const int w = familyNumber(key, "Slot");
        if (w < 0 || w > 255)
            continue;
        std::string pattern = *ini.value("Tools", key);
        while (!pattern.empty() && pattern.back() == '-')
            pattern.pop_back();
        s.slotPatterns[w] = std::move(pattern);
    }
    for (const std::string &key : ini.keys("Optimize")) {
        const int b = familyNumber(key, "Block");
        if (!validBlockKey(b))
            continue;
        const std::string text = *ini.value("Optimize", key);
        const auto n = parseIniInteger(text);
        if (n && *n >= 0 && *n <= Word) {
            s.optimize.blocks[b] = static_cast<int>(*n);
        } else {
            s.optimize.blocks[b] = 0;
            note("[Optimize] " + key + "=" + text + " is not valid; 0 is used");
        }
    }
    if (ini.hasKey("Optimize", "Initial0")) {
        const std::string countText = *ini.value("Optimize", "Initial0");
        const auto count = parseIniInteger(countText);
        if (!count || *count < 0 || *count > MaxInitial) {
            note("[Optimize] Initial0=" + countText + " is not valid; no list is used");
            s.optimize.initial.clear();
        } else {
            s.optimize.initial.assign(static_cast<std::size_t>(*count), 0);
            for (int k = 1; k <= *count; ++k) {
                const auto n =
                    parseIniInteger(ini.readString("Optimize", numbered("Initial", k), "0"));
                s.optimize.initial[k - 1] =
                    n && *n >= INT32_MIN && *n <= INT32_MAX ? static_cast<int>(*n) : 0;
            }
        }
    }
}

void writeFamilies(const Settings &s, IniFile &ini)
{
    const auto &files = s.directory.networkFiles;
    for (int k = 1; k <= 255; ++k) {
        if (!files[k].empty())
            ini.writeString("Directory", numbered("NetworkFile", k), files[k]);
    }
    eraseFamily(ini, "Directory", "NetworkFile",
                [&](int k) { return k >= 1 && k <= 255 && !files[k].empty(); });

    for (const auto &[key, value] : s.customColors)
        ini.writeString("Custom Colors", key, value);

    for (const auto &[w, pattern] : s.slotPatterns) {
        std::string trimmed = pattern;
        while (!trimmed.empty() && trimmed.back() == '-')
            trimmed.pop_back();
        ini.writeString("Tools", numbered("Slot", w), trimmed);
    }
    eraseFamily(ini, "Tools", "Slot", [&](int w) { return s.slotPatterns.contains(w); });

    for (const auto &[key, value] : s.optimize.blocks)
        ini.writeInteger("Optimize", numbered("Block", key), value);
    eraseFamily(ini, "Optimize", "Block", [&](int b) { return s.optimize.blocks.contains(b); });

    const int count = static_cast<int>(s.optimize.initial.size());
    ini.writeInteger("Optimize", "Initial0", count);
    for (int k = 1; k <= count; ++k)
        ini.writeInteger("Optimize", numbered("Initial", k), s.optimize.initial[k - 1]);
    eraseFamily(ini, "Optimize", "Initial", [&](int k) { return k <= count; });
}

// Folder keys left empty take the folders they stand for.
void resolveFolders(Settings &s, const std::filesystem::path &base)
{
    auto &d = s.directory;
    if (d.defaultDir.empty())
        d.defaultDir = (base / "Data").string();
    if (d.defaultTextDir.empty())
        d.defaultTextDir = d.defaultDir;
    if (d.convertDir.empty())
        d.convertDir = d.defaultDir;
    if (d.defaultWeb.empty())
        d.defaultWeb = (base / "Web").string();
    for (int k = 1; k <= 10; ++k) {
        if (s.reports.printFile[k].empty())
            s.reports.printFile[k] =
                (std::filesystem::path(d.defaultWeb) / (std::to_string(k) + ".htm")).string();
    }
}

bool readFile(Settings &s, const std::filesystem::path &path, SettingsLoad &load)
{
    Result<IniFile> ini = IniFile::load(path.string());
    if (!ini) {
        if (ini.error().code != Error::Code::NotFound)
            load.notes.push_back(path.string() + ": " + ini.error().detail + "; not used");
        return false;
    }
    readSettings(s, *ini, &load.notes);
    return true;
}

Result<void> writeFile(const Settings &s, const std::filesystem::path &path)
{
    IniFile ini;
    if (Result<IniFile> existing = IniFile::load(path.string()))
        ini = std::move(*existing);
    writeSettings(s, ini);
    return ini.save(path.string());
}

} // namespace

Settings::Settings()
{
    DefaultsVisitor v;
    visitKeys(*this, v);
}

void readSettings(Settings &s, const IniFile &ini, std::vector<std::string> *notes)
{
    ReadVisitor v{ini, notes};
    visitKeys(s, v);
    s.preferences.weekTitles |= 4;
    readFamilies(s, ini, notes);
}

void writeSettings(const Settings &s, IniFile &ini)
{
    WriteVisitor v{ini};
    visitKeys(s, v);
    ini.writeInteger("Directory", "PreviousVersion", WrittenVersion);
    writeFamilies(s, ini);
}

SettingsPaths systemSettingsPaths(const std::filesystem::path &programFolder,
                                  const std::function<const char *(const char *)> &env)
{
    SettingsPaths paths;
    paths.programFolder = programFolder;
    const char *home = env("HOME");
    const char *config = env("XDG_CONFIG_HOME");
    if (config != nullptr && std::filesystem::path(config).is_absolute())
        paths.userConfigFolder = std::filesystem::path(config) / "quivra";
    else if (home != nullptr && *home != '\0')
        paths.userConfigFolder = std::filesystem::path(home) / ".config" / "quivra";
    if (home != nullptr && *home != '\0')
        paths.userFolder = std::filesystem::path(home) / "Documents" / "Quivra";
    return paths;
}

SettingsLoad loadSettings(Settings &s, const SettingsPaths &paths)
{
    SettingsLoad load;
    s = Settings();
    load.programFileFound = readFile(s, paths.programFolder / "settings.ini", load);

    if (s.directory.forceDir && !paths.userFolder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(paths.userFolder / "Data", ec);
        if (!ec)
            std::filesystem::create_directories(paths.userFolder / "Web", ec);
        load.userFolderInUse = !ec;
        if (ec)
            load.notes.push_back(paths.userFolder.string() + ": cannot create its folders; " +
                                 "the program folder is used");
    }
    if (load.userFolderInUse && !paths.userConfigFolder.empty())
        load.userFileFound = readFile(s, paths.userConfigFolder / "settings.ini", load);

    resolveFolders(s, load.userFolderInUse ? paths.userFolder : paths.programFolder);
    return load;
}

Result<void> saveSettings(const Settings &s, const SettingsPaths &paths, bool userFolderInUse)
{
    if (userFolderInUse && !paths.userConfigFolder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(paths.userConfigFolder, ec);
        if (ec)
            return fail(Error::Code::IoError, "cannot create " + paths.userConfigFolder.string());
        return writeFile(s, paths.userConfigFolder / "settings.ini");
    }
    return writeFile(s, paths.programFolder / "settings.ini");
}

Result<void> loadProfile(Settings &s, const std::string &path, std::vector<std::string> *notes)
{
    Result<IniFile> ini = IniFile::load(path);
    if (!ini)
        return std::unexpected(ini.error());
    readSettings(s, *ini, notes);
    return {};
}

Result<void> saveProfile(const Settings &s, const std::string &path)
{
    return writeFile(s, path);
}

} // namespace quivra
