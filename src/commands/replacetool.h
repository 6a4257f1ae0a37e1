#pragma once

// The replace tool: replacing a piece of text, or changing the letter case, in the codes and
// names of resources and events. Codes stay unique and keep their comments and memos (they are
// renamed, never overwritten); a code that would become empty, blank or hold a ";" is left as it
// was. Letter case follows the code page the data set's texts are in.

#include "engine/scheduledata.h"
#include "files/encoding.h"
#include "ui/prompter.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quivra {

constexpr int ReplaceHelpTopic = 40125;

// The four places a text is looked for, in the order they are offered and changed.
enum ReplaceLocation : int {
    ResourceCodes = 1,
    ResourceNames = 2,
    EventCodes = 3,
    EventNames = 4,
};

// Letter cases, numbered as offered.
enum class LetterCase : int { Sentence = 1, Lower = 2, Upper = 3, Capitalised = 4 };

// Upper and lower case of every byte of one code page.
struct CaseTable
{
    std::array<std::uint8_t, 256> upper{};
    std::array<std::uint8_t, 256> lower{};
};
// The table of a code page: ASCII letters, and every other letter whose other case the code
// page holds too (so "é" and "É" pair in Windows-1252, "ß" stays). A code page the platform does
// not know gets ASCII only.
const CaseTable &caseTable(const std::string &codePage = DefaultCodePage);
std::string changeLetterCase(std::string_view text, LetterCase kind, const CaseTable &table);

// How many codes of a location hold `text` (each code counts once); [0] is the total.
std::array<int, 5> countLocations(const ScheduleData &d, std::string_view text);
// Replaces `text` by `replacement` in one location; the number of codes changed or, for names,
// holding the text.
int replaceInLocation(ScheduleData &d, int location, std::string_view text,
                      std::string_view replacement);
// Rewrites one location in a letter case; the number of codes changed (names always count).
int changeCaseInLocation(ScheduleData &d, int location, LetterCase kind, const CaseTable &table);

// The two menu commands. The text to find is remembered from one Replace string to the next.
class ReplaceTool
{
public:
    explicit ReplaceTool(std::string codePage = DefaultCodePage) : m_codePage(std::move(codePage))
    {}
    // True when anything changed.
    bool replaceString(ScheduleData &d, Prompter &p);
    bool changeCase(ScheduleData &d, Prompter &p);
    const std::string &remembered() const { return m_remembered; }

private:
    std::string m_codePage;
    std::string m_remembered;
};

} // namespace quivra
