#include "commands/replacetool.h"

#include "commands/textfill.h"
#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/textutil.h"

#include <map>
#include <mutex>

namespace quivra {

namespace {

// Upper case of a Unicode letter, for the alphabets 8-bit code pages hold (Latin-1, Latin
// Extended-A, Greek, Cyrillic); anything else maps to itself.
char32_t upperOf(char32_t c)
{
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    const bool evenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c != 0x130 && c != 0x131 && ((evenUpper && c % 2 == 1) || (oddUpper && c % 2 == 0)))
        return c - 1;
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2)
        return c - 0x20;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return c - 0x25;
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (c == 0x491)
        return 0x490;
    return c;
}

char32_t decodeUtf8(std::string_view s)
{
    if (s.empty())
        return 0;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (b(0) < 0x80)
        return b(0);
    if ((b(0) & 0xE0) == 0xC0 && s.size() >= 2)
        return (char32_t{b(0) & 0x1Fu} << 6) | (b(1) & 0x3Fu);
    if ((b(0) & 0xF0) == 0xE0 && s.size() >= 3)
        return (char32_t{b(0) & 0x0Fu} << 12) | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
    return 0;
}

std::string encodeUtf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

CaseTable buildCaseTable(const std::string &codePage)
{
    CaseTable t;
    for (int b = 0; b < 256; ++b) {
        t.upper[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
        t.lower[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
    }
    for (int b = 'a'; b <= 'z'; ++b) {
        t.upper[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b - 32);
        t.lower[static_cast<std::size_t>(b - 32)] = static_cast<std::uint8_t>(b);
    }
    for (int b = 0x80; b < 256; ++b) {
        const auto unicode = codePageToUtf8(std::string(1, static_cast<char>(b)), codePage);
        if (!unicode || unicode->replaced != 0)
            continue;
        const char32_t c = decodeUtf8(unicode->text);
        const char32_t u = upperOf(c);
        if (c == 0 || u == c)
            continue;
        const auto back = utf8ToCodePage(encodeUtf8(u), codePage);
        if (!back || back->replaced != 0 || back->text.size() != 1)
            continue;
        const auto upper = static_cast<std::uint8_t>(back->text[0]);
        t.upper[static_cast<std::size_t>(b)] = upper;
        t.lower[upper] = static_cast<std::uint8_t>(b);
    }
    return t;
}

bool locationIsCodes(int location)
{
    return location == ResourceCodes || location == EventCodes;
}

bool locationHolds(const ScheduleData &d, int location, CodeId c)
{
    const bool events = location == EventCodes || location == EventNames;
    return d.codes[c].isEvent() == events;
}

// A code the data set can keep: not empty, not only blanks (a blank code marks a code for
// removal at the next save), and without ";" (the separator of comments and memos).
bool usableCode(std::string_view code)
{
    return code.find_first_not_of(' ') != std::string_view::npos &&
           code.find(';') == std::string_view::npos;
}

bool renameTo(ScheduleData &d, CodeId c, std::string newCode)
{
    if (newCode.size() > static_cast<std::size_t>(CodeLength))
        newCode.resize(static_cast<std::size_t>(CodeLength));
    if (!usableCode(newCode) || findCode(d, newCode) != 0)
        return false;
    return renameCode(d, d.codes[c].code.str(), newCode);
}

constexpr const char *CaseList =
    "1 Sentence case$2 lower case$3 UPPER CASE$4 Capitalise Each Word$";

} // namespace

const CaseTable &caseTable(const std::string &codePage)
{
    static std::mutex lock;
    static std::map<std::string, CaseTable> tables;
    const std::scoped_lock guard(lock);
    auto it = tables.find(codePage);
    if (it == tables.end())
        it = tables.emplace(codePage, buildCaseTable(codePage)).first;
    return it->second;
}

std::string changeLetterCase(std::string_view text, LetterCase kind, const CaseTable &table)
{
    std::string out(text.substr(0, 255));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(out[i]);
        bool up = kind == LetterCase::Upper;
        if (kind == LetterCase::Sentence)
            up = i == 0;
        else if (kind == LetterCase::Capitalised)
            up = i == 0 || out[i - 1] == ' ';
        out[i] = static_cast<char>(up ? table.upper[b] : table.lower[b]);
    }
    return out;
}

std::array<int, 5> countLocations(const ScheduleData &d, std::string_view text)
{
    std::array<int, 5> counts{};
    if (text.empty())
        return counts;
    for (int location = ResourceCodes; location <= EventNames; ++location) {
        for (int i = 1; i <= d.codeCount && i <= MaxCodes; ++i) {
            const auto c = static_cast<CodeId>(i);
            if (!locationHolds(d, location, c))
                continue;
            const std::string_view field =
                locationIsCodes(location) ? d.codes[c].code.view() : d.codes[c].name.view();
            if (field.find(text) != std::string_view::npos)
                ++counts[static_cast<std::size_t>(location)];
        }
        counts[0] += counts[static_cast<std::size_t>(location)];
    }
    return counts;
}

int replaceInLocation(ScheduleData &d, int location, std::string_view text,
                      std::string_view replacement)
{
    if (text.empty())
        return 0;
    int count = 0;
    for (int i = 1; i <= d.codeCount && i <= MaxCodes; ++i) {
        const auto c = static_cast<CodeId>(i);
        if (!locationHolds(d, location, c))
            continue;
        if (locationIsCodes(location)) {
            const std::string code = d.codes[c].code.str();
            if (code.find(text) != std::string::npos &&
                renameTo(d, c, replaceAll(code, text, replacement)))
                ++count;
            continue;
        }
        const std::string name = d.codes[c].name.str();
        if (name.find(text) == std::string::npos)
            continue;
        ++count;
        if (replacement != text)
            setCodeName(d, c, replaceAll(name, text, replacement)); // cut to the stored length
    }
    return count;
}

int changeCaseInLocation(ScheduleData &d, int location, LetterCase kind, const CaseTable &table)
{
    int count = 0;
    for (int i = 1; i <= d.codeCount && i <= MaxCodes; ++i) {
        const auto c = static_cast<CodeId>(i);
        if (!locationHolds(d, location, c))
            continue;
        if (locationIsCodes(location)) {
            if (renameTo(d, c, changeLetterCase(d.codes[c].code.view(), kind, table)))
                ++count;
            continue;
        }
        setCodeName(d, c, changeLetterCase(d.codes[c].name.view(), kind, table));
        ++count;
    }
    return count;
}

bool ReplaceTool::replaceString(ScheduleData &d, Prompter &p)
{
    bool changed = false;
    for (;;) {
        const auto typed = p.input("What do you want to replace?",
                                   "String to be replaced in codes and/or names:", m_remembered,
                                   static_cast<std::size_t>(NameLength));
        if (!typed || typed->empty())
            return changed;
        m_remembered = *typed;
        const std::string &text = m_remembered;
        const std::array<int, 5> counts = countLocations(d, text);
        if (counts[0] == 0) {
            p.infoDlg(fillIn("\"{}\" was not found in any resource or event names.", text), 0,
                      ReplaceHelpTopic);
            return changed;
        }
        std::uint32_t bits = 0;
        for (int k = ResourceCodes; k <= EventNames; ++k)
            if (counts[static_cast<std::size_t>(k)] > 0)
                bits |= 1u << k;
        const std::string list =
            fillIn("Resource codes ({})$Resource names ({})$Event codes ({})$Event names ({})$",
                   counts[1], counts[2], counts[3], counts[4]);
        if (p.multiChoice(fillIn("String \"{}\" was found in {} locations.\r\nCheck the "
                                 "locations where you want to replace it:",
                                 text, counts[0]),
                          ReplaceHelpTopic, bits, list) == 0 ||
            bits == 0)
            return changed;
        int chosen = 0;
        for (int k = ResourceCodes; k <= EventNames; ++k)
            if (bits & (1u << k))
                chosen += counts[static_cast<std::size_t>(k)];
        const auto replacement =
            p.input("Enter the new string", fillIn("The string to replace \"{}\":", text), text,
                    static_cast<std::size_t>(NameLength));
        if (!replacement || *replacement == text)
            continue;
        if (!p.sureDlg(fillIn("to replace the string \"{}\" with \"{}\" in {} locations", text,
                              *replacement, chosen),
                       0, ReplaceHelpTopic))
            continue;
        int done = 0;
        for (int k = ResourceCodes; k <= EventNames; ++k)
            if (bits & (1u << k))
                done += replaceInLocation(d, k, text, *replacement);
        changed = changed || done > 0;
        if (done > 0)
            rebuildLists(d);
        p.infoDlg(
            fillIn("\"{}\" was replaced with \"{}\" in {} locations.", text, *replacement, done), 0,
            ReplaceHelpTopic);
    }
}

bool ReplaceTool::changeCase(ScheduleData &d, Prompter &p)
{
    const int resources = d.resourceList[0];
    const int events = d.eventList[0];
    std::uint32_t bits = 0b11110;
    const std::string list =
        fillIn("Resource codes ({})$Resource names ({})$Event codes ({})$Event names ({})$",
               resources, resources, events, events);
    if (p.multiChoice("Check the locations for the case change:", ReplaceHelpTopic, bits, list) ==
            0 ||
        bits == 0)
        return false;
    const int kind = p.choice("Select the case change type", ReplaceHelpTopic, 1, CaseList);
    if (kind < 1 || kind > 4)
        return false;
    const std::string item = listItem(CaseList, kind);
    const std::string name = item.substr(std::min<std::size_t>(item.find(' ') + 1, item.size()));
    if (!p.sureDlg(fillIn("to change the case to \"{}\" in selected locations", name), 0,
                   ReplaceHelpTopic))
        return false;
    const CaseTable &table = caseTable(m_codePage);
    int done = 0;
    for (int k = ResourceCodes; k <= EventNames; ++k)
        if (bits & (1u << k))
            done += changeCaseInLocation(d, k, static_cast<LetterCase>(kind), table);
    rebuildLists(d);
    p.infoDlg(fillIn("The case was changed to \"{}\" in {} locations.", name, done), 0,
              ReplaceHelpTopic);
    return done > 0;
}

} // namespace quivra
