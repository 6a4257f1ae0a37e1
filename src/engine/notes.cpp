#include "engine/notes.h"

#include "engine/codetable.h"
#include "engine/textutil.h"

#include <algorithm>

namespace quivra {

namespace {

// One comment or memo split into its fields. A comment is "key;code;text"; a memo "code;text".
struct CommentParts
{
    std::string_view key;
    std::string_view code;
    std::string_view text;
};

CommentParts splitComment(std::string_view entry)
{
    CommentParts p;
    const auto first = entry.find(';');
    if (first == std::string_view::npos) {
        p.key = entry;
        return p;
    }
    p.key = entry.substr(0, first);
    const std::string_view rest = entry.substr(first + 1);
    const auto second = rest.find(';');
    if (second == std::string_view::npos) {
        p.code = rest;
        return p;
    }
    p.code = rest.substr(0, second);
    p.text = rest.substr(second + 1);
    return p;
}

struct MemoParts
{
    std::string_view code;
    std::string_view text;
};

MemoParts splitMemo(std::string_view entry)
{
    const auto sep = entry.find(';');
    if (sep == std::string_view::npos)
        return {entry, {}};
    return {entry.substr(0, sep), entry.substr(sep + 1)};
}

enum class KeyKind { Invalid, Slot, Dated };

struct CommentKey
{
    KeyKind kind = KeyKind::Invalid;
    int week = 0;
    int day = 0;
    int bell = 0;
    int yymmdd = 0;
};

// "[wwwdbb]" read as the number www*1000 + d*100 + bb, or "(yymmdd)" for a dated comment.
CommentKey parseKey(std::string_view key)
{
    CommentKey k;
    std::string digits;
    for (char c : key)
        if (c != '[' && c != ']')
            digits += c;
    const int value = toInt(digits, -1);
    if (value >= 0) {
        k.kind = KeyKind::Slot;
        k.week = value / 1000;
        k.day = value / 100 % 10;
        k.bell = value % 100;
        return k;
    }
    const std::string t = trim(key);
    if (t.size() == 8 && t.front() == '(' && t.back() == ')') {
        const std::string_view inner = std::string_view(t).substr(1, 6);
        if (std::all_of(inner.begin(), inner.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            k.kind = KeyKind::Dated;
            k.yymmdd = toInt(inner, 0);
        }
    }
    return k;
}

std::string twoDigits(int v)
{
    return std::string(1, static_cast<char>('0' + v / 10 % 10)) + static_cast<char>('0' + v % 10);
}

std::string slotKey(int week, int day, int bell)
{
    return "[" + std::string(1, static_cast<char>('0' + week / 100 % 10)) + twoDigits(week % 100) +
           static_cast<char>('0' + day % 10) + twoDigits(bell) + "]";
}

bool fieldMatches(int keyValue, int wanted)
{
    return keyValue == wanted || keyValue == 0 || wanted == 0;
}

CodeId codeByText(const ScheduleData &d, std::string_view code)
{
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[static_cast<std::size_t>(c)].code.view() == code)
            return static_cast<CodeId>(c);
    return 0;
}

// A comment for every code ("*", "?") or for every code of one category ("2*", "2?").
bool isWildcardFor(std::string_view field, int category)
{
    if (field == "*" || field == "?")
        return true;
    if (field.size() < 2 || (field.back() != '*' && field.back() != '?'))
        return false;
    const std::string_view number = field.substr(0, field.size() - 1);
    if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return category > 0 && toInt(number, -1) == category;
}

// Whether a code field is a wildcard for any code or for some category ("*", "?", "3*").
bool isWildcardPattern(std::string_view field)
{
    if (field.empty() || (field.back() != '*' && field.back() != '?'))
        return false;
    const std::string_view number = field.substr(0, field.size() - 1);
    return std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int slotDateKey(std::int32_t serial)
{
    int y = 0, m = 0, day = 0;
    serialToDate(serial, y, m, day);
    if (y == 0)
        return -1;
    return (y % 100) * 10000 + m * 100 + day;
}

// Replaces the comment's key, keeping its code and text untouched.
std::string withKey(const std::string &entry, const std::string &key)
{
    const auto sep = entry.find(';');
    return sep == std::string::npos ? key : key + entry.substr(sep);
}

std::string normaliseSpaces(std::string text)
{
    while (text.find("  ") != std::string::npos)
        text = replaceAll(text, "  ", " ");
    return trim(text);
}

// Calls onMatch(index, general, parts) for every comment matching the look-up, in list order,
// until it returns false.
template <typename OnMatch>
void scanComments(const ScheduleData &d, int week, std::string_view code, int bell, int day,
                  std::int32_t slotDate, OnMatch onMatch)
{
    int category = -1; // looked up on the first wildcard met
    const int dateKey = slotDate != 0 ? slotDateKey(slotDate) : -1;

    for (std::size_t i = 0; i < d.comments.size(); ++i) {
        const CommentParts p = splitComment(d.comments[i]);
        bool wildcard = false;
        if (!code.empty() && p.code != code) {
            if (category < 0) {
                const CodeId id = codeByText(d, code);
                category = id != 0 ? categoryOf(d, id) : 0;
            }
            wildcard = isWildcardFor(p.code, category);
            if (!wildcard)
                continue;
        }

        const CommentKey k = parseKey(p.key);
        // A comment for all codes or a whole category is general whoever asks, so that a look-up
        // without a code does not edit or erase it as if it were one slot's own comment.
        bool general = wildcard || isWildcardPattern(p.code);
        if (k.kind == KeyKind::Slot) {
            if (!fieldMatches(k.week, week) || !fieldMatches(k.day, day) ||
                !fieldMatches(k.bell, bell))
                continue;
            general = general || k.week == 0 || k.day == 0 || k.bell == 0;
        } else if (k.kind != KeyKind::Dated || k.yymmdd != dateKey) {
            continue;
        }
        if (!onMatch(static_cast<int>(i), general, p))
            break;
    }
}

} // namespace

CommentMatch findComment(const ScheduleData &d, int week, std::string_view code, int day, int bell,
                         std::int32_t slotDate, std::vector<int> *allMatches)
{
    CommentMatch result;
    scanComments(d, week, code, bell, day, slotDate,
                 [&](int index, bool general, const CommentParts &p) {
                     result.index = index;
                     result.general = general;
                     result.text = std::string(p.text);
                     if (allMatches)
                         allMatches->push_back(index);
                     return week != 0;
                 });
    return result;
}

bool addComment(ScheduleData &d, int week, std::string_view text, std::string_view code, int day,
                int bell)
{
    // The key has room for three week digits, one day digit and two bell digits.
    if (week < 0 || week > MaxWeeks || day < 0 || day > MaxDays || bell < 0 || bell > MaxBells ||
        code.find(';') != std::string_view::npos)
        return false;

    std::string entry = slotKey(week, day, bell) + ";";
    entry.append(code);
    entry += ';';
    entry.append(text);

    // The comment edited in place is the one of this code at exactly this slot. Any other match
    // stays: a wildcard or whole-week comment, the comment of another code that a look-up
    // without a code also sees, or a specific comment listed before a general one.
    int replace = -1;
    for (std::size_t i = 0; i < d.comments.size(); ++i) {
        const CommentParts p = splitComment(d.comments[i]);
        const CommentKey k = parseKey(p.key);
        if (p.code == code && k.kind == KeyKind::Slot && k.week == week && k.day == day &&
            k.bell == bell && d.comments[i].find(';') != std::string::npos)
            replace = static_cast<int>(i);
    }
    if (replace >= 0)
        d.comments[static_cast<std::size_t>(replace)] = std::move(entry);
    else
        d.comments.insert(d.comments.begin(), std::move(entry));
    d.modified = true;
    return true;
}

int eraseComments(ScheduleData &d, int week, std::string_view code, int firstDay, int lastDay,
                  int firstBell, int lastBell)
{
    firstBell = std::max(firstBell, 0);
    lastBell = std::min(lastBell, MaxBells);
    firstDay = std::max(firstDay, 0);
    lastDay = std::min(lastDay, MaxDays);
    int erased = 0;
    for (int day = firstDay; day <= lastDay; ++day) {
        for (int bell = firstBell; bell <= lastBell; ++bell) {
            // Every specific match with a text goes, also one listed before a general match.
            for (;;) {
                int victim = -1;
                scanComments(d, week, code, bell, day, 0,
                             [&](int index, bool general, const CommentParts &p) {
                                 if (!general && !p.text.empty())
                                     victim = index;
                                 return true;
                             });
                if (victim < 0)
                    break;
                d.comments.erase(d.comments.begin() + victim);
                ++erased;
            }
        }
    }
    if (erased > 0)
        d.modified = true;
    return erased;
}

void tidyComments(ScheduleData &d)
{
    for (std::string &entry : d.comments) {
        const auto sep = entry.find(';');
        if (sep == std::string::npos)
            continue;
        const std::string key =
            replaceAll(replaceAll(std::string_view(entry).substr(0, sep), "] ", "]"), " [", "[");
        entry = key + entry.substr(sep);
    }
}

void shiftCommentWeeks(ScheduleData &d, int week, int delta)
{
    if (delta == 0)
        return;
    // A shift past the whole week table moves every comment out of it just the same.
    delta = std::clamp(delta, -WeekTableSize, WeekTableSize);
    week = std::clamp(week, 1, WeekTableSize);
    std::vector<std::string> kept;
    kept.reserve(d.comments.size());
    for (std::string &entry : d.comments) {
        const CommentKey k = parseKey(splitComment(entry).key);
        // Week 0 means every week, and dated comments follow their date, not a week number.
        if (k.kind != KeyKind::Slot || k.week == 0 || k.week < week) {
            kept.push_back(std::move(entry));
            continue;
        }
        if (delta < 0 && k.week < week - delta)
            continue; // its week was removed
        const int moved = k.week + delta;
        if (moved < 1 || moved > MaxWeeks)
            continue; // pushed beyond the last week there can be
        kept.push_back(withKey(entry, slotKey(moved, k.day, k.bell)));
    }
    d.comments = std::move(kept);
}

int findMemo(const ScheduleData &d, std::string_view code)
{
    if (code.empty())
        return -1;
    for (std::size_t i = 0; i < d.memos.size(); ++i)
        if (splitMemo(d.memos[i]).code == code)
            return static_cast<int>(i);
    return -1;
}

std::string memoText(const ScheduleData &d, std::string_view code)
{
    const int i = findMemo(d, code);
    if (i < 0)
        return {};
    return std::string(splitMemo(d.memos[static_cast<std::size_t>(i)])
                           .text.substr(0, static_cast<std::size_t>(MemoShownLength)));
}

bool setMemo(ScheduleData &d, std::string_view code, const std::vector<std::string> &lines)
{
    if (code.empty() || code.find(';') != std::string_view::npos)
        return false;
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += lines[i];
    }
    std::string entry = std::string(code) + ";" + normaliseSpaces(std::move(text));
    const int i = findMemo(d, code);
    if (i >= 0) {
        std::string &stored = d.memos[static_cast<std::size_t>(i)];
        if (stored == entry)
            return true;
        stored = std::move(entry);
    } else {
        d.memos.push_back(std::move(entry));
    }
    d.modified = true;
    return true;
}

bool removeMemo(ScheduleData &d, std::string_view code)
{
    const int i = findMemo(d, code);
    if (i < 0)
        return false;
    d.memos.erase(d.memos.begin() + i);
    d.modified = true;
    return true;
}

void renameInNotes(ScheduleData &d, std::string_view oldCode, std::string_view newCode)
{
    if (oldCode.empty() || oldCode == newCode || newCode.find(';') != std::string_view::npos)
        return;
    const bool erase = newCode.empty();

    std::vector<std::string> comments;
    comments.reserve(d.comments.size());
    for (std::string &entry : d.comments) {
        const CommentParts p = splitComment(entry);
        if (p.code != oldCode || entry.find(';') == std::string::npos) {
            comments.push_back(std::move(entry));
            continue;
        }
        if (erase)
            continue;
        std::string renamed(p.key);
        renamed += ';';
        renamed.append(newCode);
        if (p.key.size() + 1 + p.code.size() < entry.size()) {
            renamed += ';';
            renamed.append(p.text);
        }
        comments.push_back(std::move(renamed));
    }
    d.comments = std::move(comments);

    std::vector<std::string> memos;
    memos.reserve(d.memos.size());
    for (std::string &entry : d.memos) {
        const MemoParts p = splitMemo(entry);
        if (p.code != oldCode) {
            memos.push_back(std::move(entry));
            continue;
        }
        if (!erase)
            memos.push_back(std::string(newCode) + ";" + std::string(p.text));
    }
    d.memos = std::move(memos);
}

int moveSlotComments(ScheduleData &d, std::string_view from, std::string_view to,
                     const std::function<bool(int week, int day, int bell)> &moves)
{
    if (from.empty() || to.empty() || from == to || to.find(';') != std::string_view::npos)
        return 0;
    int moved = 0;
    for (std::string &entry : d.comments) {
        const CommentParts p = splitComment(entry);
        if (p.code != from || entry.find(';') == std::string::npos)
            continue;
        const CommentKey k = parseKey(p.key);
        if (k.kind != KeyKind::Slot || k.week == 0 || k.day == 0 || k.bell == 0 ||
            !moves(k.week, k.day, k.bell))
            continue;
        std::string renamed(p.key);
        renamed += ';';
        renamed.append(to);
        if (p.key.size() + 1 + p.code.size() < entry.size()) {
            renamed += ';';
            renamed.append(p.text);
        }
        entry = std::move(renamed);
        ++moved;
    }
    if (moved > 0)
        d.modified = true;
    return moved;
}

} // namespace quivra
