#pragma once

// CodeListRow: how one code reads in the code lists of the Resources and Events views, as a row
// of fields. The texts are plain byte strings of the data set; the table models show them.
//
// Which fields a list shows depends on the data: before any resource is attached to an event
// the totals mean nothing, so only the code, the name and the category (and for events PLANNED)
// are shown.

#include "engine/codetable.h"
#include "engine/scheduledata.h"

#include <string>
#include <vector>

namespace quivra {

enum class ListField {
    Number = 1, // "#:"
    Code,
    Name,
    Category, // "*"
    Planned,
    Allocated,
    Scheduled,
    Links,
    Left,      // events only: periods of the active week still to schedule
    Seats,     // events only: room capacity left after what the other resources need
    Resources, // events only: the category summary of the collection
};

// The fields a list of `kind` shows over the data set as it stands; events show SEATS when
// `seats` is set (the capacity check of the settings).
std::vector<ListField> codeListFields(const ScheduleData &d, CodeKind kind, bool seats = false);

std::string codeListHeader(ListField field);
// The hint of a header field, naming "resource" or "event".
std::string codeListHeaderHint(ListField field, CodeKind kind);

// The text of a field of code c at list position `row` (1-based). `left` is the event's
// allocated minus scheduled periods in the active week, or nullptr when it has none there.
std::string codeListCell(const ScheduleData &d, CodeId c, int row, ListField field,
                         const int *left = nullptr);

// The detail hint of a row: code and name, the totals, and the codes linked with it (the events
// using a resource, the resources of an event) with their category letters.
std::string codeListRowHint(const ScheduleData &d, CodeId c);

// The single row shown while the list is empty, and the header hint that goes with it.
std::string emptyListText(CodeKind kind);
std::string emptyListHint(CodeKind kind);

// The codes linked with c, in list order: the events whose collection holds a resource, or the
// resources of an event.
std::vector<CodeId> linkedCodes(const ScheduleData &d, CodeId c);

} // namespace quivra
