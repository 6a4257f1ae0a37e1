// Placeholder bodies; replaced by the real implementation.
#include "engine/codetable.h"

namespace quivra {

int insertCode(ScheduleData &d, int position, const CodeRecord &record)
{ return {}; }

bool deleteCode(ScheduleData &d, int c)
{ return {}; }

void swapCodes(ScheduleData &d, int a, int b)
{}

void sortCodes(ScheduleData &d, int key, CodeKind kind, bool ascending, bool categoryFirst)
{}

CodeId findCode(const ScheduleData &d, std::string_view text, int start, int excluded)
{ return {}; }

CodeId findByName(const ScheduleData &d, std::string_view text, int n, int start, int excluded, CodeKind kind)
{ return {}; }

bool renameCode(ScheduleData &d, std::string_view oldCode, std::string_view newCode)
{ return {}; }

std::string makeUniqueCode(const ScheduleData &d, std::string_view proposal)
{ return {}; }

int categoryOf(const ScheduleData &d, int c)
{ return {}; }

std::string categoryName(const ScheduleData &d, int c)
{ return {}; }

std::string categorySummary(const ScheduleData &d, int event)
{ return {}; }

bool isEventCode(const ScheduleData &d, int c)
{ return {}; }

bool isResourceCode(const ScheduleData &d, int c)
{ return {}; }

bool isLockedCode(const ScheduleData &d, int c)
{ return {}; }

void setLock(ScheduleData &d, int c, LockMode mode)
{}

bool queryLock(const ScheduleData &d, int event)
{ return {}; }

int countLocked(const ScheduleData &d)
{ return {}; }

void setMarks(ScheduleData &d, int first, int last, std::uint16_t mask)
{}

void clearMarks(ScheduleData &d, int first, int last, std::uint16_t mask)
{}

int markLinked(ScheduleData &d, int c, std::uint16_t mask)
{ return {}; }

std::string formatCode(const ScheduleData &d, int c, int mode, int nameBrackets)
{ return {}; }

void rebuildLists(ScheduleData &d)
{}

} // namespace quivra
