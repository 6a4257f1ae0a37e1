// Reading arbitrary bytes as a text exchange file, into a fresh data set and added to a small
// one, must neither crash nor leave a data set outside its stores; the result is written again.

#include "files/encoding.h"
#include "files/textexchange.h"

#include "engine/scheduledata.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quivra;
    static auto d = makeScheduleData(); // reused between runs: allocating it is the slow part
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const auto text = textFileToCodePage(bytes);
    if (!text)
        return 0;
    const int modes[] = {ImportSettings | ImportSchedules, addRuleMode(2), addRuleMode(4)};
    clearScheduleData(*d);
    ImportOptions options;
    options.mode = modes[size % 3];
    options.holidays = size % 2 == 0;
    importText(*d, text->text, options);
    if (d->codeCount < 0 || d->codeCount > MaxCodes || d->lectureCount < 0 ||
        d->lectureCount > MaxLectures || d->manualRooms[0] >= ManualRoomStoreSize)
        std::abort();
    ExportOptions out;
    out.created = 1;
    const std::string written = exportText(*d, out);
    // What was read once reads back without a skipped line.
    clearScheduleData(*d);
    if (importText(*d, written, ImportOptions{}).linesSkipped != 0)
        std::abort();
    return 0;
}
