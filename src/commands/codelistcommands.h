#pragma once

// The editing commands of the code lists (the Resources and Events views): new, edit, delete,
// duplicate, recode, rename, recategorise, colour, move, find and info, the sort by a field of
// the list, and the edits typed into the list itself.
//
// Each command works on one code of one kind, the list's current code, and asks its questions
// through the Prompter; any question cancelled leaves the data set as it was. A command returns
// whether it changed the data set (or the code it made current); refreshing the views is the
// caller's business.
//
// Codes are checked the same way wherever they are entered: spaces around the text are dropped,
// and a code must keep 1 to 15 characters and differ from every other code.

#include "commands/codelistrow.h"
#include "commands/collectionseditor.h"
#include "engine/codetable.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

// What a code list offers; codeListEnabled says when.
enum class CodeListCommand {
    New,
    Edit,
    Delete,
    Duplicate,
    Recode,
    Rename,
    Recategorize,
    Colour,
    MoveUp,
    MoveDown,
    Find,
    SearchAgain,
    FindByLinks,
    Info,
};

// Whether `command` may run in the list of `kind` with `current` as its current code (0: none)
// and `searchText` as the last search.
bool codeListEnabled(const ScheduleData &d, CodeKind kind, CodeListCommand command, CodeId current,
                     std::string_view searchText);

// ----- checking typed codes, names and PLANNED ---------------------------------------------

// The text a typed code is kept as: without the spaces around it.
std::string trimmedCode(std::string_view text);
// Why `text` cannot be the code of `self` (0: of a new code), or empty when it can: a code with
// nothing but spaces, longer than 15 characters, or already another code's.
std::string codeProblem(const ScheduleData &d, std::string_view text, CodeId self);
// Why `planned` cannot be the PLANNED periods of event c, or empty when it can: it must be a
// whole number from the event's ALLOCATED (at least 1) to the total number of slots.
std::string plannedProblem(const ScheduleData &d, CodeId c, std::string_view planned);

// ----- the commands ---------------------------------------------------------------------------

// Shows the collections editor to the user until the user leaves it: the "Collections" dialog
// on the desktop, a script in tests. Whatever the user stores goes through the editor's commit.
using CollectionsSession = std::function<void(CollectionsEditor &)>;

// A new code of `kind` in the collections editor: its category is the one of `current` when
// that is of the same kind, and it is placed after `current` in the list (at the end when there
// is none). Refused with a message when the table is full. Returns the code stored, 0 when the
// user left the editor without storing one.
CodeId newListCode(ScheduleData &d, Prompter &p, CodeKind kind, CodeId current,
                   const CollectionsSession &session);
// Code c in the collections editor (resource mode for a resource): its code, name, category,
// (events) PLANNED and lock, and its links. True when the editor stored anything.
bool editListCode(ScheduleData &d, Prompter &p, CodeId c, const CollectionsSession &session);
// Asks, then deletes code c with everything that refers to it.
bool deleteListCode(ScheduleData &d, Prompter &p, CodeId c);
// A copy of code c under a free code derived from it, placed after it, then offered for a new
// code at once. A resource copy joins every event of the original that has nothing scheduled
// (while the event has room); an event copy gets the same resources and the same weekly
// periods, without a timetable. Returns the copy, 0 when refused.
CodeId duplicateListCode(ScheduleData &d, Prompter &p, CodeId c);
// The same copy without the new-code question; a full table is reported.
CodeId copyListCode(ScheduleData &d, Prompter &p, CodeId c);
// Asks for a new code for c, again while the answer cannot be a code and the user agrees. True
// when the code changed.
bool recodeListCode(ScheduleData &d, Prompter &p, CodeId c);
// Asks for a new name for c (at most 200 characters).
bool renameListCode(ScheduleData &d, Prompter &p, CodeId c);
// Moves c to a category of its kind the user chooses.
bool recategoriseListCode(ScheduleData &d, Prompter &p, CodeId c);
// Asks for c's colour, then whether the other codes of its kind and category take it too.
// Black is kept as a colour, never as "no colour" (see keptColour).
bool setListCodeColour(ScheduleData &d, Prompter &p, CodeId c);
// The colour kept for a chosen 0xRRGGBB colour, as stored (0x00BBGGRR): the colours that would
// be stored below 63, black among them, are kept as the same colour with green and blue 1.
std::int32_t keptColour(std::uint32_t rgb);
// Exchanges c with its neighbour in its list (step -1 up, +1 down); false at the ends.
bool moveListCode(ScheduleData &d, CodeId c, int step);
// Shows the details of code c.
void showListCodeInfo(const ScheduleData &d, Prompter &p, CodeId c);

// ----- finding ------------------------------------------------------------------------------

// The first code of the list of `kind` after `current`, walking round once, whose "code$name"
// holds `text` (case blind); a one-character text matches only the first character of the code
// or of the name. 0 when none.
CodeId findInList(const ScheduleData &d, CodeKind kind, CodeId current, std::string_view text);
// Find (again false: asks for the text, starting on *searchText) and Search again (asks only
// without a text). Cancelling the question clears the text. Returns the code found, 0 when
// none (said in a message) or cancelled.
CodeId findListCode(const ScheduleData &d, Prompter &p, CodeKind kind, CodeId current,
                    std::string &searchText, bool again);

// Find by links: the codes of the other kind a search looks for links with, held by their text.
struct LinkSearch
{
    std::vector<std::string> codes;
    bool notLinked = false; // codes linked with none of them
    bool active() const { return !codes.empty(); }
};
// The first code of the list of `kind` after `current`, walking round once, linked with one of
// the search's codes (with none of them for a NOT search); 0 when none.
CodeId findNextLinked(const ScheduleData &d, CodeKind kind, CodeId current,
                      const LinkSearch &search);
// "Find by events" (resources) or "Find by resources" (events): the user picks codes of the
// other kind, then is asked for a search text; a text is searched as Find does and ends the link
// search, cancelling the question searches by the links. Returns the code found, 0 when none (said
// in a message) or cancelled.
CodeId findByLinks(ScheduleData &d, Prompter &p, CodeKind kind, CodeId current,
                   std::string &searchText, LinkSearch &search, bool notLinked);

// ----- sorting by a field of the list --------------------------------------------------------

// The sort key a click on `field` sorts by, 0 for a field that sorts nothing.
int sortKeyOfField(ListField field);
// Sorts the list of `kind` by `field`: descending at the first click on a field, ascending at
// the next (one bit per key in *directions). With `locked` the lock is explained instead and
// nothing changes. True when sorted.
bool sortListByField(ScheduleData &d, Prompter &p, CodeKind kind, ListField field, bool locked,
                     bool categoryFirst, std::uint32_t &directions);

// ----- typed into the list ------------------------------------------------------------------

// Sets the code, name or (events) PLANNED of c from text typed into its row, checked as in the
// dialogs; a refused text is explained and changes nothing. True when c changed.
bool setListField(ScheduleData &d, Prompter &p, CodeId c, ListField field, std::string_view text);

} // namespace quivra
