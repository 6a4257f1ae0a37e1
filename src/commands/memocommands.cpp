#include "commands/memocommands.h"

#include "engine/codetable.h"
#include "engine/limits.h"
#include "engine/notes.h"
#include "engine/textutil.h"

#include <algorithm>
#include <vector>

namespace quivra {
namespace {

// The data file keeps an entry of at most this many bytes.
constexpr std::size_t StoredEntryLength = 255;

std::string codeText(const ScheduleData &d, CodeId c)
{
    return std::string(d.codes[c].code.view());
}

bool validCodeId(const ScheduleData &d, CodeId c)
{
    return c >= 1 && c <= d.codeCount && !d.codes[c].code.view().empty();
}

} // namespace

MemoPanelText memoPanel(const ScheduleData &d, CodeId code)
{
    MemoPanelText panel;
    panel.count = std::to_string(d.memos.size()) + " memo(s)";
    if (!validCodeId(d, code))
        return panel;
    panel.code = codeText(d, code);
    panel.name = std::string(d.codes[code].name.view());
    panel.memo = memoText(d, panel.code);
    panel.hasMemo = !panel.memo.empty();
    if (!panel.hasMemo)
        panel.memo = "[Click here to enter your memo]";
    return panel;
}

std::size_t memoLimit(const ScheduleData &d, CodeId c)
{
    if (!validCodeId(d, c))
        return 0;
    const std::size_t kept =
        StoredEntryLength - std::min(StoredEntryLength, codeText(d, c).size() + 1);
    return std::min(static_cast<std::size_t>(MemoShownLength), kept);
}

bool storeMemo(ScheduleData &d, CodeId c, std::string_view typed)
{
    if (!validCodeId(d, c))
        return false;
    const std::string code = codeText(d, c);
    // Line breaks become spaces; setMemo then joins, reduces double spaces and trims.
    std::string text = trim(cleanText(typed));
    while (text.find("  ") != std::string::npos)
        text = replaceAll(text, "  ", " ");
    if (text.size() > memoLimit(d, c))
        text = trim(text.substr(0, memoLimit(d, c)));
    if (text.empty())
        return removeMemo(d, code);
    const bool had = findMemo(d, code) >= 0;
    const std::string before = memoText(d, code);
    setMemo(d, code, {text});
    return !had || before != text;
}

bool enterMemo(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCodeId(d, c))
        return false;
    const std::string code = codeText(d, c);
    const std::optional<std::string> typed =
        p.input("Memo", "Memo of \"" + code + "\":", memoText(d, code), memoLimit(d, c));
    if (!typed)
        return false;
    return storeMemo(d, c, *typed);
}

bool removeMemoOf(ScheduleData &d, Prompter &p, CodeId c)
{
    if (!validCodeId(d, c))
        return false;
    const std::string code = codeText(d, c);
    if (findMemo(d, code) < 0)
        return false;
    if (!p.sureDlg("you want to remove the memo of \"" + code + "\""))
        return false;
    return removeMemo(d, code);
}

} // namespace quivra
