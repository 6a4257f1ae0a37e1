#pragma once

// ReportParams: how one report is printed or published, and its stored form.
//
// The catalogue has six reports; reports 4 and 6 have variants. Nine stored slots number the
// report/variant pairs (1, 2, 3, 41, 42, 5, 61, 62, 63). Each slot keeps its parameters in a
// settings file "report<slot>.txt" of sections "Reports", "HTMLFont", "HTML" and "Codes"; a
// missing key reads as the default below, a missing file as all defaults. The selected codes
// are stored by their code text, so a code deleted since is skipped when the slot is read.
//
// Bit fields keep their stored layout (ShowFields, WeekOptions, MiscOptions, TableMask), so a
// slot file written by one version reads the same in another.

#include "engine/scheduledata.h"
#include "files/inifile.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quivra {

constexpr int ReportSlotCount = 9;

// Show fields bits.
enum ShowField : int {
    FieldFirst = 1 << 0, // bits 0..2 are always set
    FieldNumber = 1 << 1,
    FieldCode = 1 << 2,
    FieldName = 1 << 3,
    FieldCategory = 1 << 4,
    FieldPlanned = 1 << 5,
    FieldAllocated = 1 << 6,
    FieldScheduled = 1 << 7,
    FieldLinks = 1 << 8,
};

// Week options bits.
enum WeekOption : int {
    WeekDatesInLabels = 1 << 0,
    WeekCumulative = 1 << 1,
    WeekMultiplied = 1 << 2,
    WeekRepeatTitles = 1 << 3,
    WeekGrid = 1 << 4,
    WeekLinkedCodes = 1 << 5,
    WeekLinkedRows = 1 << 6,
    WeekAverages = 1 << 7,
    WeekScheduled = 1 << 8,
    WeekDatesInTimetables = 1 << 9,
    WeekCellComments = 1 << 10,
};

// Misc options bits (the variants of reports 4 and 6 sit in bits 3..5 and 6..8).
enum MiscOption : int {
    MiscTimeWithDate = 1 << 1,
    MiscShowComment = 1 << 2,
    MiscSelectedWeeksTotals = 1 << 10,
    MiscAllocatedOnly = 1 << 11,
    MiscManualRooms = 1 << 12,
};

struct WebFont
{
    std::string name = "Arial";
    std::string style; // letters "B", "I", "U"
    int height = -11;
    int size = 8;
    int charset = 0;
    friend bool operator==(const WebFont &, const WebFont &) = default;
};

struct ReportParams
{
    int report = 2;                  // 1..6
    int firstWeek = 0, lastWeek = 0; // 0: the current week
    int weekFormat = 3;              // 0 none, 1 week name, 2 date range, 3 both
    int codeFormat = 2;              // 0 none, 1 code, 2 name, 3 both
    int logoSpace = 4;
    int showFields = 511;
    int weekOptions = 1536;
    int miscOptions = 0;
    int minCellRows = 3, maxCellRows = 10;
    int formatChoice = 1; // events on resource pages: 1 codes, 2 names, 3 both
    int tableMask = 16266;
    bool tableMaskByCategory = false;
    std::array<int, 8> tableMaskCat{16266, 16266, 16266, 16266, 16266, 16266, 16266, 16266};
    std::string printFile;
    bool threeLineHeaders = false, unscheduled = false, emptyTables = true, hideMatches = false;
    bool verticalCentre = true, numberedLessons = false, suppressLastCells = false;
    bool footer = false, wrapLines = true;
    WebFont webFont;

    // The HTML switches.
    bool titles = true, colours = true, fontFace = true, equalWidth = true, leftAlign = false;
    bool eventRefs = true, resourceRefs = true, lowerCase = true, bellsBothSides = false;
    bool facebook = true, transparent = false, dailyPages = false, icsFiles = false;
    bool headerFile = true, footerFile = true, intranet = false;

    std::string cellFont = "<font size=1>";
    int cellSpacing = 1, cellPadding = 1, border = 1;
    int width = 100;
    int suffix = 1;       // 0 one large file, 1 ".htm", 2 ".html"
    char firstChar = 'x'; // a..z
    int categoryMode = 0; // 0 code, 1 name, 2 both
    int publishMemos = 0; // bit 0 event memos, bit 1 resource memos
    int htmlReports = 0;
    std::string tag, prefix;
    std::string charset = "ISO-8859-1";
    // 0x00BBGGRR.
    std::array<std::int32_t, 8> tableColours{0x80FFFF, 0xFFFFFF, 0xCCCCCC, 0xCCFFFF,
                                             0xCCFFCC, 0x99CC99, 0xCCCC99, 0x66CCCC};
    std::array<std::int32_t, 5> linkColours{0x7F0000, 0x000080, 0x800080, 0x808000, 0xFFFFFF};
    int daySlotUse = 0;
    std::array<std::string, 8> daySlots; // [1..7]

    // The selected codes by their text, each with its link marks (1..31).
    std::vector<std::pair<std::string, int>> codes;

    // The variant of reports 4 and 6 (1-based), kept in the misc options.
    int variant() const;
    void setVariant(int variant);
    // The report number (1, 2, 3, 41, 42, 5, 61, 62, 63) and back.
    int reportNumber() const;
    void setReportNumber(int number);

    // The cell format of timetables of resources of a category (0..7).
    int cellFormat(int category) const;

    friend bool operator==(const ReportParams &, const ReportParams &) = default;
};

// Slot 1..9 <-> report number; 0 for anything else.
int slotReportNumber(int slot);
int reportNumberSlot(int number);
// "Events", "Resources", ... for report 1..6; empty otherwise.
std::string reportTitle(int report);
// Whether a report lists events (1, 5) rather than resources.
bool reportListsEvents(int report);

// Clamps every field into its range: min/max rows (max raised to min), first character a..z,
// format choice 1..3, table sizes, suffix, the always-set field bits.
void clampReportParams(ReportParams &p);

// The stored form. Reading takes defaults for missing keys, turns "Lower case file names" on and
// clamps; writing erases the sections "Reports", "HTML" and "Codes" first.
ReportParams readReportParams(const IniFile &ini);
void writeReportParams(const ReportParams &p, IniFile &ini);

// The selected codes that exist in the data set, in table order, skipping the others.
std::vector<CodeId> selectedCodes(const ScheduleData &d, const ReportParams &p);
// Selects every code the report lists (events for reports 1 and 5, resources otherwise).
void selectAllCodes(const ScheduleData &d, ReportParams &p);

// The week range a run covers: 0 stands for the current week; clamped to 1..used weeks with
// last >= first.
std::pair<int, int> reportWeeks(const ScheduleData &d, const ReportParams &p);

} // namespace quivra
