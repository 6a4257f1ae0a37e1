// Feeds arbitrary text to the defaults file reader, with a full and a language load. Whatever
// loads must leave a usable calendar, and what is written from it must read back to the same
// text.
//
//     defaultsfile_fuzz -max_total_time=600 corpus-work tests/files/data/cfw data

#include "engine/calendar.h"
#include "engine/scheduledata.h"
#include "files/defaultsfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

struct DataSets
{
    std::unique_ptr<quivra::ScheduleData> read = quivra::makeScheduleData();
    std::unique_ptr<quivra::ScheduleData> again = quivra::makeScheduleData();
};

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "defaults file: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Two data sets are reused across inputs: allocating them per input would dominate the run.
    static DataSets sets;
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    for (const auto mode : {quivra::DefaultsFullLoad, quivra::DefaultsLanguageLoad}) {
        quivra::clearScheduleData(*sets.read);
        quivra::setBuiltInDefaults(*sets.read);
        quivra::applyDefaultsText(text, *sets.read, mode);

        const quivra::ScheduleData &d = *sets.read;
        const quivra::SlotCoding &k = d.coding;
        check(k.weekBits + k.dayBits + k.bellBits <= 16, "coding wider than a slot code");
        check(k.weekLimit <= quivra::MaxWeeks && k.dayLimit <= quivra::MaxDays &&
                  k.bellLimit <= quivra::MaxBells,
              "limits beyond the calendar tables");
        check(quivra::usedWeeks(d) >= 1 && quivra::usedWeeks(d) <= k.weekLimit &&
                  quivra::usedDays(d) >= 1 && quivra::usedDays(d) <= k.dayLimit &&
                  quivra::usedBells(d) >= 1 && quivra::usedBells(d) <= k.bellLimit,
              "calendar in use outside the limits");
        for (int w = 1; w <= quivra::MaxWeeks; ++w)
            check(d.weeks[static_cast<std::size_t>(w)].length >= 1, "a week of length 0");

        const std::string written = quivra::defaultsText(d);
        quivra::clearScheduleData(*sets.again);
        quivra::setBuiltInDefaults(*sets.again);
        const quivra::DefaultsReport back =
            quivra::applyDefaultsText(written, *sets.again, quivra::DefaultsFullLoad);
        check(back.linesSkipped == 0, "a written file has lines its reader skips");
        check(quivra::defaultsText(*sets.again) == written, "a written file does not read back");
    }
    return 0;
}
