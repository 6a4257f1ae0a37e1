// Arbitrary clipboard text is pasted with every paste kind into a small open data set: codes,
// weekly allocations, event resources, code conversions, resource mappings and selections,
// deletions, bookings (into one week and into all) and event timetables (with and without
// adjusting allocations). No input may crash a paste or leave the data set outside its stores;
// the bookings and timetables pastes never make a resource be in two places at once; and what
// the bookings paste leaves behind, copied and pasted back, changes nothing.

#include "commands/bookingclipboard.h"
#include "commands/pastecommands.h"

#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/scheduledata.h"
#include "files/textexchange.h"
#include "reports/bookingtext.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Two teachers, a group and a room, two weeks of five days and six bells; MUS scheduled, ART
// (locked below) allocated, and a booking of T2.
constexpr std::string_view Base = "[Header]\r\nMaxWeeks=2\r\nMaxDays=5\r\nMaxLectures=6\r\n"
                                  "[Componentdata]\r\n1=SMI;Smith J;2\r\n2=B12;Room B12;3\r\n"
                                  "3=G1;Group 1;1\r\n4=T2;Teacher two;2\r\n"
                                  "[Coursedata]\r\n1=MUS;Music;1;4\r\n2=ART;Art;1;2\r\n"
                                  "[Collections]\r\n1=MUS;SMI\r\n2=MUS;B12\r\n3=MUS;G1\r\n"
                                  "4=ART;T2\r\n5=ART;G1\r\n"
                                  "[Weeklectures]\r\n1=MUS;1;2;2\r\n2=ART;1;2;1\r\n"
                                  "[Tablelectures]\r\n1=MUS;1;1;2;2;1;2\r\n"
                                  "[Tablebookings]\r\n1=T2;1;1;3;3;1;2;2\r\n";

void checkStores(const quivra::ScheduleData &d)
{
    using namespace quivra;
    if (d.codeCount < 0 || d.codeCount > MaxCodes || d.lectureCount < 0 ||
        d.lectureCount > MaxLectures || d.collectionEntryCount < 0 ||
        d.collectionEntryCount > MaxCollectionEntries)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quivra;
    static auto d = makeScheduleData(); // reused between runs: allocating it is the slow part
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto reset = [] {
        clearScheduleData(*d);
        importText(*d, Base, ImportOptions{});
        if (const CodeId art = findCode(*d, "ART"))
            d->codes[art].flags |= LockedBit;
    };
    for (const int kind :
         {PasteCodes, PasteWeeksGrid, PasteReplaceResources, PasteAddResources,
          PasteRemoveResources, PasteCodeConversion, PasteOneToMany, PasteManyToOne,
          PasteAddSelection, PasteRemoveSelection, PasteDeleteCodes}) {
        for (const bool events : {true, false}) {
            reset();
            applyPaste(*d, text, PasteOptions{kind, events, 1, kind == PasteAddResources});
            checkStores(*d);
        }
    }
    for (const int week : {0, 1}) {
        reset();
        applyBookingsPaste(*d, text, week);
        checkStores(*d);
        if (sweepConflicts(*d, 1, false).found != 0)
            std::abort();
        d->modified = false;
        if (applyBookingsPaste(*d, copyBookings(*d).text()).changed || d->modified)
            std::abort();
    }
    for (const bool adjust : {false, true}) {
        reset();
        applyTimetablesPaste(*d, text, adjust);
        checkStores(*d);
        if (sweepConflicts(*d, 1, false).found != 0)
            std::abort();
    }
    return 0;
}
