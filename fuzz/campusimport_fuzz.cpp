// A text file from the student administration system is added to the open data set with the
// rule "Add everything" and its holidays, then the conflicts it brings are removed. Arbitrary
// bytes must neither crash that nor leave the data set outside its stores, and what was added
// reads back from its own export without a skipped line.

#include "files/encoding.h"
#include "files/textexchange.h"

#include "engine/conflicts.h"
#include "engine/scheduledata.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// The open data set every input is added to: a teacher, a room and a scheduled event.
constexpr std::string_view Base = "[Componentdata]\r\n1=SMI;Smith J;2\r\n2=B12;Room B12;3\r\n"
                                  "[Coursedata]\r\n1=MUS;Music;1;2\r\n"
                                  "[Collections]\r\n1=MUS;SMI\r\n2=MUS;B12\r\n"
                                  "[Weeklectures]\r\n1=MUS;1;1;2\r\n"
                                  "[Tablelectures]\r\n1=MUS;1;1;2;2;1;2\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quivra;
    static auto d = makeScheduleData(); // reused between runs: allocating it is the slow part
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const auto text = textFileToCodePage(bytes);
    if (!text)
        return 0;
    clearScheduleData(*d);
    importText(*d, Base, ImportOptions{});
    ImportOptions options;
    options.mode = addRuleMode(1);
    options.holidays = true;
    importText(*d, text->text, options);
    const ConflictReport swept = sweepConflicts(*d, 1, true);
    if (d->codeCount < 0 || d->codeCount > MaxCodes || d->lectureCount < 0 ||
        d->lectureCount > MaxLectures || d->manualRooms[0] >= ManualRoomStoreSize ||
        d->collectionEntryCount < 0 || d->collectionEntryCount > MaxCollectionEntries)
        std::abort();
    // After a sweep that removed all it found no resource is in two places at once (a full
    // lecture store may refuse a removal, and the sweep says so).
    if (swept.removed == swept.found && sweepConflicts(*d, 1, false).found != 0)
        std::abort();
    ExportOptions out;
    out.created = 1;
    const std::string written = exportText(*d, out);
    clearScheduleData(*d);
    if (importText(*d, written, ImportOptions{}).linesSkipped != 0)
        std::abort();
    return 0;
}
