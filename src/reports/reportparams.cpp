#include "reports/reportparams.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/textutil.h"

#include <algorithm>

namespace quivra {

namespace {

constexpr std::array<int, ReportSlotCount + 1> SlotNumbers = {0, 1, 2, 3, 41, 42, 5, 61, 62, 63};

// The HTML switches with their keys, in stored order.
struct HtmlFlag
{
    const char *key;
    bool ReportParams::*field;
};
constexpr HtmlFlag HtmlFlags[] = {
    {"Titles", &ReportParams::titles},
    {"Colors", &ReportParams::colours},
    {"Fontface", &ReportParams::fontFace},
    {"EqualWidth", &ReportParams::equalWidth},
    {"LeftAlign", &ReportParams::leftAlign},
    {"CourseRef", &ReportParams::eventRefs},
    {"CompRef", &ReportParams::resourceRefs},
    {"LowerCase", &ReportParams::lowerCase},
    {"TimePeriodsOnBothSides", &ReportParams::bellsBothSides},
    {"FBLogo", &ReportParams::facebook},
    {"Transparent", &ReportParams::transparent},
    {"DailyTimetables", &ReportParams::dailyPages},
    {"ICSFiles", &ReportParams::icsFiles},
    {"Header", &ReportParams::headerFile},
    {"Footer", &ReportParams::footerFile},
    {"Intranet", &ReportParams::intranet},
};

struct ReportFlag
{
    const char *key;
    bool ReportParams::*field;
};
constexpr ReportFlag ReportFlags[] = {
    {"Titles", &ReportParams::threeLineHeaders},
    {"UnAssigned", &ReportParams::unscheduled},
    {"EmptyTables", &ReportParams::emptyTables},
    {"VertCenter", &ReportParams::verticalCentre},
    {"NumberLessons", &ReportParams::numberedLessons},
    {"HideMatches", &ReportParams::hideMatches},
    {"SuppressLastCells", &ReportParams::suppressLastCells},
    {"WrapLines", &ReportParams::wrapLines},
    {"Footer", &ReportParams::footer},
};

struct IntField
{
    const char *section;
    const char *key;
    int ReportParams::*field;
};
constexpr IntField IntFields[] = {
    {"Reports", "ShowFields", &ReportParams::showFields},
    {"Reports", "FormatChoice", &ReportParams::formatChoice},
    {"Reports", "TableMask", &ReportParams::tableMask},
    {"Reports", "WeekOptions", &ReportParams::weekOptions},
    {"Reports", "MiscOptions", &ReportParams::miscOptions},
    {"Reports", "MinCellRows", &ReportParams::minCellRows},
    {"Reports", "MaxCellRows", &ReportParams::maxCellRows},
    {"Reports", "WeekFormat", &ReportParams::weekFormat},
    {"Reports", "CodeFormat", &ReportParams::codeFormat},
    {"Reports", "LogoSpace", &ReportParams::logoSpace},
    {"Reports", "FirstWeek", &ReportParams::firstWeek},
    {"Reports", "LastWeek", &ReportParams::lastWeek},
    {"Reports", "LastReport", &ReportParams::report},
    {"HTML", "Cellspacing", &ReportParams::cellSpacing},
    {"HTML", "Cellpadding", &ReportParams::cellPadding},
    {"HTML", "Border", &ReportParams::border},
    {"HTML", "Width", &ReportParams::width},
    {"HTML", "Suffix", &ReportParams::suffix},
    {"HTML", "CategoryMode", &ReportParams::categoryMode},
    {"HTML", "PublishMemos", &ReportParams::publishMemos},
    {"HTML", "HTMLReports", &ReportParams::htmlReports},
    {"HTML", "DaySlotUse", &ReportParams::daySlotUse},
};

struct TextField
{
    const char *section;
    const char *key;
    std::string ReportParams::*field;
};
constexpr TextField TextFields[] = {
    {"Reports", "PrintFile", &ReportParams::printFile},
    {"HTML", "tdFont", &ReportParams::cellFont},
    {"HTML", "Tag", &ReportParams::tag},
    {"HTML", "Prefix", &ReportParams::prefix},
    {"HTML", "Charset", &ReportParams::charset},
};

int readInt(const IniFile &ini, const char *section, const std::string &key, int fallback)
{
    return static_cast<int>(ini.readInteger(section, key, fallback));
}

} // namespace

int ReportParams::variant() const
{
    if (report == 4)
        return ((miscOptions >> 3) & 7) + 1;
    if (report == 6)
        return ((miscOptions >> 6) & 7) + 1;
    return 0;
}

void ReportParams::setVariant(int v)
{
    const int zeroBased = clampInt(v, 1, 8) - 1;
    if (report == 4)
        miscOptions = (miscOptions & ~(7 << 3)) | (zeroBased << 3);
    else if (report == 6)
        miscOptions = (miscOptions & ~(7 << 6)) | (zeroBased << 6);
}

int ReportParams::reportNumber() const
{
    return report == 4 || report == 6 ? report * 10 + variant() : report;
}

void ReportParams::setReportNumber(int number)
{
    if (number > 10) {
        report = number / 10;
        setVariant(number % 10);
    } else {
        report = number;
    }
}

int ReportParams::cellFormat(int category) const
{
    if (!tableMaskByCategory || category < 0 || category > 7)
        return tableMask;
    return tableMaskCat[static_cast<std::size_t>(category)];
}

int slotReportNumber(int slot)
{
    return slot >= 1 && slot <= ReportSlotCount ? SlotNumbers[static_cast<std::size_t>(slot)] : 0;
}

int reportNumberSlot(int number)
{
    for (int slot = 1; slot <= ReportSlotCount; ++slot)
        if (SlotNumbers[static_cast<std::size_t>(slot)] == number)
            return slot;
    return 0;
}

std::string reportTitle(int report)
{
    static const char *const Titles[] = {"",
                                         "Events",
                                         "Resources",
                                         "Timetables",
                                         "Events by resources",
                                         "Resources by events",
                                         "Timeline report"};
    return report >= 1 && report <= 6 ? Titles[report] : "";
}

bool reportListsEvents(int report)
{
    return report == 1 || report == 5;
}

void clampReportParams(ReportParams &p)
{
    p.report = clampInt(p.report, 1, 6);
    p.weekFormat = clampInt(p.weekFormat, 0, 3);
    p.codeFormat = clampInt(p.codeFormat, 0, 3);
    p.logoSpace = clampInt(p.logoSpace, 0, 30);
    p.showFields = (p.showFields & 0x1FF) | FieldFirst | FieldNumber | FieldCode;
    p.minCellRows = clampInt(p.minCellRows, 1, 129);
    p.maxCellRows = clampInt(p.maxCellRows, 1, 241);
    p.maxCellRows = std::max(p.maxCellRows, p.minCellRows);
    p.formatChoice = clampInt(p.formatChoice, 1, 3);
    p.cellSpacing = clampInt(p.cellSpacing, 0, 99);
    p.cellPadding = clampInt(p.cellPadding, 0, 99);
    p.border = clampInt(p.border, 0, 99);
    p.width = clampInt(p.width, 0, 100);
    p.suffix = clampInt(p.suffix, 0, 2);
    p.firstChar = static_cast<char>(clampInt(p.firstChar, 'a', 'z'));
    p.categoryMode = clampInt(p.categoryMode, 0, 2);
    p.publishMemos &= 3;
    p.firstWeek = clampInt(p.firstWeek, 0, MaxWeeks);
    p.lastWeek = clampInt(p.lastWeek, 0, MaxWeeks);
}

ReportParams readReportParams(const IniFile &ini)
{
    ReportParams p;
    for (const IntField &f : IntFields)
        p.*f.field = readInt(ini, f.section, f.key, p.*f.field);
    for (const TextField &f : TextFields)
        p.*f.field = ini.readString(f.section, f.key, p.*f.field);
    for (const ReportFlag &f : ReportFlags)
        p.*f.field = ini.readBool("Reports", f.key, p.*f.field);
    for (const HtmlFlag &f : HtmlFlags)
        p.*f.field = ini.readBool("HTML", f.key, p.*f.field);
    p.tableMaskByCategory = ini.readBool("Reports", "TableMaskByCategory", false);
    for (std::size_t k = 0; k < p.tableMaskCat.size(); ++k)
        p.tableMaskCat[k] =
            readInt(ini, "Reports", "TableMaskCat" + std::to_string(k), p.tableMask);
    p.firstChar =
        static_cast<char>(clampInt(readInt(ini, "HTML", "FirstChar", p.firstChar), 'a', 'z'));
    for (std::size_t k = 0; k < p.tableColours.size(); ++k)
        p.tableColours[k] = static_cast<std::int32_t>(
            ini.readInteger("HTML", "Color" + std::to_string(k), p.tableColours[k]));
    for (std::size_t k = 0; k < p.linkColours.size(); ++k)
        p.linkColours[k] = static_cast<std::int32_t>(
            ini.readInteger("HTML", "BodyLink" + std::to_string(k), p.linkColours[k]));
    for (std::size_t k = 1; k < p.daySlots.size(); ++k)
        p.daySlots[k] = ini.readString("HTML", "DaySlot" + std::to_string(k), "");
    p.webFont.name = ini.readString("HTMLFont", "Name", p.webFont.name);
    p.webFont.style = ini.readString("HTMLFont", "Style", p.webFont.style);
    p.webFont.height = readInt(ini, "HTMLFont", "Height", p.webFont.height);
    p.webFont.size = readInt(ini, "HTMLFont", "Size", p.webFont.size);
    p.webFont.charset = readInt(ini, "HTMLFont", "Charset", p.webFont.charset);
    for (int i = 1; i <= MaxCodes; ++i) {
        const std::string key = std::to_string(i);
        const auto code = ini.value("Codes", "Code" + key);
        if (!code)
            continue;
        const int marks = clampInt(readInt(ini, "Codes", "Attr" + key, 1), 1, 31);
        p.codes.emplace_back(*code, marks);
    }
    p.lowerCase = true;
    clampReportParams(p);
    return p;
}

void writeReportParams(const ReportParams &p, IniFile &ini)
{
    ReportParams c = p;
    clampReportParams(c);
    for (const char *section : {"Reports", "HTML", "Codes"})
        ini.eraseSection(section);
    for (const IntField &f : IntFields)
        ini.writeInteger(f.section, f.key, c.*f.field);
    for (const TextField &f : TextFields)
        ini.writeString(f.section, f.key, c.*f.field);
    ini.writeBool("Reports", "ToPrinter", false);
    for (const ReportFlag &f : ReportFlags)
        ini.writeBool("Reports", f.key, c.*f.field);
    ini.writeBool("Reports", "TableMaskByCategory", c.tableMaskByCategory);
    for (std::size_t k = 0; k < c.tableMaskCat.size(); ++k)
        ini.writeInteger("Reports", "TableMaskCat" + std::to_string(k), c.tableMaskCat[k]);
    for (const HtmlFlag &f : HtmlFlags)
        ini.writeBool("HTML", f.key, c.*f.field);
    ini.writeInteger("HTML", "FirstChar", c.firstChar);
    for (std::size_t k = 0; k < c.tableColours.size(); ++k)
        ini.writeInteger("HTML", "Color" + std::to_string(k), c.tableColours[k]);
    for (std::size_t k = 0; k < c.linkColours.size(); ++k)
        ini.writeInteger("HTML", "BodyLink" + std::to_string(k), c.linkColours[k]);
    for (std::size_t k = 1; k < c.daySlots.size(); ++k)
        ini.writeString("HTML", "DaySlot" + std::to_string(k), c.daySlots[k]);
    ini.writeString("HTMLFont", "Name", c.webFont.name);
    ini.writeString("HTMLFont", "Style", c.webFont.style);
    ini.writeInteger("HTMLFont", "Height", c.webFont.height);
    ini.writeInteger("HTMLFont", "Size", c.webFont.size);
    ini.writeInteger("HTMLFont", "Charset", c.webFont.charset);
    int i = 0;
    for (const auto &[code, marks] : c.codes) {
        ++i;
        ini.writeString("Codes", "Code" + std::to_string(i), code);
        ini.writeInteger("Codes", "Attr" + std::to_string(i), clampInt(marks, 1, 31));
    }
}

std::vector<CodeId> selectedCodes(const ScheduleData &d, const ReportParams &p)
{
    std::vector<CodeId> ids;
    for (const auto &entry : p.codes) {
        const CodeId c = findCode(d, entry.first);
        if (c != 0)
            ids.push_back(c);
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

void selectAllCodes(const ScheduleData &d, ReportParams &p)
{
    p.codes.clear();
    const bool events = reportListsEvents(p.report);
    for (int c = 1; c <= d.codeCount; ++c) {
        const auto id = static_cast<CodeId>(c);
        if (isEventCode(d, id) == events)
            p.codes.emplace_back(d.codes[id].code.str(), 1);
    }
}

std::pair<int, int> reportWeeks(const ScheduleData &d, const ReportParams &p)
{
    const int used = std::max(1, usedWeeks(d));
    const int current = clampInt(d.currentWeek, 1, used);
    const int first = clampInt(p.firstWeek == 0 ? current : p.firstWeek, 1, used);
    const int last = clampInt(p.lastWeek == 0 ? current : p.lastWeek, first, used);
    return {first, last};
}

} // namespace quivra
