// Placeholder bodies; replaced by the real implementation.
#include "engine/notes.h"

namespace quivra {

CommentMatch findComment(const ScheduleData &d, int week, std::string_view code, int bell, int day, std::int32_t slotDate, std::vector<int> *allMatches)
{ return {}; }

void addComment(ScheduleData &d, int week, std::string_view text, std::string_view code, int bell, int day)
{}

int eraseComments(ScheduleData &d, int week, std::string_view code, int firstBell, int lastBell, int firstDay, int lastDay)
{ return {}; }

void tidyComments(ScheduleData &d)
{}

void shiftCommentWeeks(ScheduleData &d, int week, int delta)
{}

int findMemo(const ScheduleData &d, std::string_view code)
{ return {}; }

std::string memoText(const ScheduleData &d, std::string_view code)
{ return {}; }

void setMemo(ScheduleData &d, std::string_view code, const std::vector<std::string> &lines)
{}

void renameInNotes(ScheduleData &d, std::string_view oldCode, std::string_view newCode)
{}

} // namespace quivra
