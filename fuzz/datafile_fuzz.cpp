// Feeds arbitrary bytes to the data file reader. Whatever loads must save, and what is saved
// must load again completely.
//
//     datafile_fuzz -max_total_time=600 corpus-work fuzz/corpus/datafile

#include "engine/scheduledata.h"
#include "files/datafile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>

namespace {

struct DataSets
{
    std::unique_ptr<quivra::ScheduleData> read = quivra::makeScheduleData();
    std::unique_ptr<quivra::ScheduleData> again = quivra::makeScheduleData();
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Two data sets are reused across inputs: allocating them per input would dominate the run.
    static DataSets sets;
    auto report = quivra::decodeDataFile(std::span(data, size), *sets.read);
    if (!report)
        return 0;
    const std::vector<std::uint8_t> saved = quivra::encodeDataFile(*sets.read);
    auto reread = quivra::decodeDataFile(saved, *sets.again);
    if (!reread || !reread->complete) {
        std::fprintf(stderr, "a saved data set does not load again: %s\n",
                     reread ? reread->reason.c_str() : reread.error().detail.c_str());
        std::abort();
    }
    return 0;
}
