#include "engine/totals.h"

#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "lecturehelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace quivra {
namespace {

TEST_F(LecturesTest, TotalsWeighWeeksByLengthAndSaturate)
{
    const CodeId r = addCode(d, false, 1, "G");
    const CodeId e = addCode(d, true, 1, "E");
    setCollection(d, e, members({r}));
    d.weeks[2].length = 2;
    appendLecture(d, allocation(e, 1, 3, 4));
    appendLecture(d, block(eventWord(e), 2, 2, 1, 1, 1, 2));
    d.codes[e].planned = 5;

    EXPECT_EQ(totals(d, 1, d.codeCount), 16);
    EXPECT_EQ(d.codes[e].allocated, 16); // 4 + 8 + 4
    EXPECT_EQ(d.codes[e].scheduled, 4);  // two bells in a week of length 2
    EXPECT_EQ(d.codes[e].planned, 16);   // never below ALLOCATED
    EXPECT_EQ(d.codes[e].links, 1);
    EXPECT_EQ(d.counters.allocatedTotal, 16);

    resourceTotals(d, r);
    EXPECT_EQ(d.codes[r].planned, 16);
    EXPECT_EQ(d.codes[r].allocated, 16);
    EXPECT_EQ(d.codes[r].links, 1);

    // 210 periods in each of 255 weeks of length 255 overflow 16 bits: they saturate.
    for (int w = 1; w <= 255; ++w)
        d.weeks[w].length = 255;
    appendLecture(d, allocation(e, 1, 255, 210));
    totals(d, e, e);
    EXPECT_EQ(d.codes[e].allocated, 65535);
    EXPECT_EQ(d.codes[e].planned, 65535);
}

} // namespace
} // namespace quivra
