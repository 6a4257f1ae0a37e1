#pragma once

// Timetable comments ("[wwwdbb];code;text" or "(yymmdd);code;text") and memos ("code;text").
// Entries are matched by their code field exactly, never by a substring of the text.

#include "engine/scheduledata.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

struct CommentMatch
{
    int index = -1;       // -1 when nothing matched
    bool general = false; // a wildcard or a key with week, day or bell 0
    std::string text;
};

// The comment of a slot. A comment takes part when `code` is empty, when its code field is `code`,
// or when it is a wildcard for all codes ("*", "?") or for the code's category ("2*"). Fields of
// value 0, in the key or in the request, match any value; `slotDate` (a date serial, 0 for none)
// is compared with dated comments. With week 0 the first match is the result; otherwise every
// match is appended to `allMatches` and the last one is the result.
CommentMatch findComment(const ScheduleData &d, int week, std::string_view code, int day, int bell,
                         std::int32_t slotDate = 0, std::vector<int> *allMatches = nullptr);
// Replaces the comment of the same code with exactly this key, or else puts the new comment at the
// front. Refused (false) when week, day or bell do not fit the key or the code holds a ";".
bool addComment(ScheduleData &d, int week, std::string_view text, std::string_view code, int day,
                int bell);
// Deletes, slot by slot, every specific (not wildcard, no 0 field) comment with a text that the
// look-up finds; returns how many went.
int eraseComments(ScheduleData &d, int week, std::string_view code, int firstDay, int lastDay,
                  int firstBell, int lastBell);
// "] " -> "]" and " [" -> "[" in the keys (never in the texts), as done before saving.
void tidyComments(ScheduleData &d);
// Renumbers the weeks of slot comments after weeks were inserted (delta > 0 weeks before `week`)
// or removed (delta < 0: weeks week..week-delta-1). Comments of removed weeks, and of weeks pushed
// beyond the week table, are deleted; week-0 and dated comments stay as they are.
void shiftCommentWeeks(ScheduleData &d, int week, int delta);

// Index of the memo whose code field is `code`, -1 if none; the text shown is at most 240
// characters.
int findMemo(const ScheduleData &d, std::string_view code);
std::string memoText(const ScheduleData &d, std::string_view code);
// Joins the lines with single spaces, trims, and replaces the code's memo or appends one.
// Refused (false) for an empty code or one holding a ";". Marks the data set modified when the
// stored memo changed.
bool setMemo(ScheduleData &d, std::string_view code, const std::vector<std::string> &lines);
// Removes the code's memo; false when it had none.
bool removeMemo(ScheduleData &d, std::string_view code);

// Rewrites or removes (newCode empty) the comments and memos whose code field is oldCode; texts
// that merely mention the code are left alone. Does nothing when newCode holds a ";".
void renameInNotes(ScheduleData &d, std::string_view oldCode, std::string_view newCode);

// Gives the comments of code `from` on single slots (week, day and bell all set) for which
// `moves` is true the code `to`, so they follow their slots to another code. Returns how many;
// does nothing when `to` is empty or holds a ";".
int moveSlotComments(ScheduleData &d, std::string_view from, std::string_view to,
                     const std::function<bool(int week, int day, int bell)> &moves);

} // namespace quivra
