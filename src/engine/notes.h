#pragma once

// Timetable comments ("[wwwdbb];code;text" or "(yymmdd);code;text") and memos ("code;text").
// Entries are matched by their code field exactly, never by a substring of the text.

#include "engine/scheduledata.h"

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

// `slotDate` (a date serial, 0 for none) is compared with dated comments.
CommentMatch findComment(const ScheduleData &d, int week, std::string_view code, int bell, int day,
                         std::int32_t slotDate = 0, std::vector<int> *allMatches = nullptr);
void addComment(ScheduleData &d, int week, std::string_view text, std::string_view code, int bell,
                int day);
int eraseComments(ScheduleData &d, int week, std::string_view code, int firstBell, int lastBell,
                  int firstDay, int lastDay);
// "] " -> "]" and " [" -> "[" in the keys, as done before saving.
void tidyComments(ScheduleData &d);
// Moves the week digits of comments of weeks >= `week` by `delta`; comments of removed weeks go.
void shiftCommentWeeks(ScheduleData &d, int week, int delta);

// Index of the code's memo, -1 if none; the text shown is at most 240 characters.
int findMemo(const ScheduleData &d, std::string_view code);
std::string memoText(const ScheduleData &d, std::string_view code);
void setMemo(ScheduleData &d, std::string_view code, const std::vector<std::string> &lines);

// Rewrites or removes (newCode empty) the code field of comments and memos naming oldCode.
void renameInNotes(ScheduleData &d, std::string_view oldCode, std::string_view newCode);

} // namespace quivra
