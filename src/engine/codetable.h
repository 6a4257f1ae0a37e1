#pragma once

// Operations on the code table: adding, deleting, moving, sorting, finding and showing codes.
// Every operation that changes positions renumbers all stores that name codes.

#include "engine/scheduledata.h"

#include <string>
#include <string_view>
#include <vector>

namespace quivra {

enum class CodeKind { Event, Resource };

// Sort keys of sortCodes.
enum SortKey : int {
    SortByCode = 11,
    SortByName = 12,
    SortByPlanned = 13,
    SortByAllocated = 14,
    SortByScheduled = 15,
    SortByLinks = 16,
    SortByWeekSpan = 17,
    SortByUnallocated = 18,
    SortByUnscheduled = 19,
    SortByFirstResource = 20, // + category 1..7
};

// FormatCode display mode bits.
enum CodeDisplayMode : int {
    ShowCode = 1,
    ShowName = 2,
    ShowCodeAndName = 3,
    ShowCategory = 4,
    ShowKind = 8,
    ShowCategoryName = 16,
    ShowRole = 32, // appends the role the resource plays in the current event
};

// Inserts `record` at `position` (0 appends; beyond count + 1 inserts at the front) and
// renumbers every store. Returns the position, or 0 when the table is full, the position is
// above MaxCodes or the code is empty.
int insertCode(ScheduleData &d, int position, const CodeRecord &record);
// Deletes code c with all its lectures, memberships, roles, comments and memo; its manual-room
// slots become void (an event) or wait for a room (a room). Recounts; false for an invalid id.
bool deleteCode(ScheduleData &d, CodeId c);
// Deletes several codes at once, as deleting each in turn would, with one renumbering and one
// recount. Invalid and repeated ids are ignored; returns the number deleted.
int deleteCodes(ScheduleData &d, std::vector<CodeId> codes);
// Exchanges two codes and every reference to them (the current code and event follow their
// codes), then recounts so the lecture store is in order again.
void swapCodes(ScheduleData &d, CodeId a, CodeId b);
// Sorts events or resources by `key` (SortKey, or SortByFirstResource + category) with the
// gap-halving exchange sort, moving the records in the table and renumbering every store once.
// `ascending` false flips the whole comparison; `categoryFirst` orders by category bits first.
// Unknown keys change nothing.
void sortCodes(ScheduleData &d, int key, CodeKind kind, bool ascending, bool categoryFirst);

// First code after `start` whose Code equals `text` exactly, skipping `excluded`; 0 if none.
CodeId findCode(const ScheduleData &d, std::string_view text, int start = 0, int excluded = 0);
// First code of `kind` after `start` whose Name begins with the first n characters of `text`.
CodeId findByName(const ScheduleData &d, std::string_view text, int n, int start, int excluded,
                  CodeKind kind);
// Gives the first code named `oldCode` the text `newCode` (both cut to 15 characters) and
// rewrites the comments and memos naming it. False, with nothing changed, when the old code is
// unknown, the new one is taken or empty.
bool renameCode(ScheduleData &d, std::string_view oldCode, std::string_view newCode);
// A code not yet in the table derived from `proposal`: a trailing a..z is dropped, then the
// suffixes a..z, aa..zz, ... are tried on the stem cut to fit 15 characters. Empty when every
// candidate is taken.
std::string makeUniqueCode(const ScheduleData &d, std::string_view proposal);

int categoryOf(const ScheduleData &d, CodeId c);
std::string categoryName(const ScheduleData &d, CodeId c);
std::string categorySummary(const ScheduleData &d, CodeId event);
bool isEventCode(const ScheduleData &d, CodeId c);
bool isResourceCode(const ScheduleData &d, CodeId c);
bool isLockedCode(const ScheduleData &d, CodeId c);

enum class LockMode { Lock = 1, Unlock = 2, Toggle = 3 };
// On an event: its own lock; on a resource: every event using it; 0 or beyond the table: every
// event of eventList.
void setLock(ScheduleData &d, CodeId c, LockMode mode);
bool queryLock(const ScheduleData &d, CodeId event);
int countLocked(const ScheduleData &d);
// Set or clear link marks (only the LinkMarks bits of `mask`) on codes first..last. Marks carry
// a selection between commands and pickers; they are no change of the data and leave the
// modified flag alone.
void setMarks(ScheduleData &d, int first, int last, std::uint16_t mask);
void clearMarks(ScheduleData &d, int first, int last, std::uint16_t mask);
// Clears `mask` everywhere, then marks the resources of an event or the events of a resource.
int markLinked(ScheduleData &d, CodeId c, std::uint16_t mask);

// The text of a code for lists and cells (CodeDisplayMode bits); nameBrackets 0..5 picks the
// bracket pair of the remark hidden in names. Empty for an invalid id.
std::string formatCode(const ScheduleData &d, CodeId c, int mode, int nameBrackets = 0);
// Recounts, then rebuilds eventList and resourceList in table order.
void rebuildLists(ScheduleData &d);

} // namespace quivra
