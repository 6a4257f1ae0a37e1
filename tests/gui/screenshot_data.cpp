// Writes the data file the screenshot script shows: the demo institution's text file when one
// is given, else a small fixture institution.
//
//     gui_screenshot_data OUT.qvf [IN.qvx]

#include "engine/codetable.h"
#include "files/datafile.h"
#include "files/textexchange.h"
#include "support/fixture.h"

#include <cstdio>

using namespace quivra;

namespace {

void fixture(ScheduleData &d)
{
    FixtureBuilder f(d);
    f.calendar(4, 5, 6).resources('G', {"7A", "7B"}).resources('T', {"ADA", "BEN", "CY"});
    f.resources('R', {"LAB", "R101"});
    f.event("MATH7A", {"7A", "ADA", "R101"}, 8).event("MATH7B", {"7B", "ADA", "R101"}, 8);
    f.event("SCI7A", {"7A", "BEN", "LAB"}, 6).event("ART7B", {"7B", "CY"}, 4);
    f.allocate("MATH7A", 1, 4, 2).allocate("MATH7B", 1, 4, 2).allocate("SCI7A", 1, 3, 2);
    f.allocate("ART7B", 2, 3, 2);
    f.place("MATH7A", 1, 1, 1, 2).place("MATH7B", 1, 2, 1, 2).place("SCI7A", 1, 3, 3, 4);
    f.book("ADA", 1, 5, 5, 1, 6);
    f.finish();
    d.codes[f.id("MATH7A")].colour = 0x00FFD0A0;
    d.codes[f.id("SCI7A")].colour = 0x00A0FFC0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs("usage: gui_screenshot_data OUT.qvf [IN.qvx]\n", stderr);
        return 1;
    }
    auto d = makeScheduleData();
    if (argc >= 3) {
        if (const auto read = importTextFile(argv[2], *d); !read) {
            std::fprintf(stderr, "%s: %s\n", argv[2], read.error().detail.c_str());
            return 2;
        }
    } else {
        fixture(*d);
    }
    if (const auto written = writeDataFile(*d, argv[1]); !written) {
        std::fprintf(stderr, "%s: %s\n", argv[1], written.error().detail.c_str());
        return 2;
    }
    return 0;
}
