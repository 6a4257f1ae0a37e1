#include "engine/textutil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quivra {
namespace {

TEST(TextUtilTest, ListItemsAndPositions)
{
    struct Case
    {
        const char *list;
        int k;
        const char *item;
    };
    const Case cases[] = {
        {"a$b$c$", 1, "a"}, {"a$b$c$", 3, "c"}, {"a$b$c$", 4, ""},
        {"a$b$c$", 0, ""},  {"a$b$c", 3, "c"}, // a last item without its separator still counts
        {"a$$c$", 2, ""},   {"", 1, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(listItem(c.list, c.k), c.item) << c.list << " #" << c.k;

    EXPECT_EQ(listItem("x;y;", 2, ';'), "y");
    EXPECT_EQ(listPosition("Mon$Tue$Wed$", "Wed"), 3);
    EXPECT_EQ(listPosition("Mon$Tue$Wed$", "We"), 0);
    EXPECT_EQ(listCount("a$b$c$"), 3);
    EXPECT_EQ(listCount("a$b$c"), 3);
    EXPECT_EQ(listCount(""), 0);
}

TEST(TextUtilTest, ReplaceTrimAndCase)
{
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba"); // left to right, no overlap
    EXPECT_EQ(replaceAll("x.y.z", ".", ".."), "x..y..z");
    EXPECT_EQ(replaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(trim("  a b \t"), "a b");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trimRight("  a  "), "  a");
    EXPECT_EQ(countOf("a$b$$", '$'), 3);
    EXPECT_EQ(toUpperAscii("abz\xe9"), "ABZ\xe9"); // bytes above ASCII are left alone
    EXPECT_EQ(toLowerAscii("ABZ\xc9"), "abz\xc9");
}

TEST(TextUtilTest, TextFieldsHoldNoControlCharacters)
{
    struct Case
    {
        const char *name;
        std::string in, out;
    };
    const Case cases[] = {
        {"NUL", std::string("Ab\0c\0", 5), "Abc"},
        {"CR LF inside a value", "Ab\r\ncd", "Ab cd"},
        {"lone CR", "Ab\rcd", "Ab cd"},
        {"LF inside a value", "Ab\ncd", "Ab cd"},
        {"end of file mark", "Abc\x1A", "Abc"},
        {"tab", "Ab\tcd", "Ab cd"},
        {"other controls and DEL",
         "A\x03\x1B\x7F"
         "b",
         "Ab"},
        {"code-page characters stay", "Caf\xE9 \x90\xA3", "Caf\xE9 \x90\xA3"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(cleanText(c.in), c.out) << c.name;
        EXPECT_EQ(hasControlCharacters(c.in), c.in != c.out) << c.name;
        EXPECT_FALSE(hasControlCharacters(cleanText(c.in))) << c.name;
    }
}

TEST(TextUtilTest, NumbersWithFallback)
{
    struct Case
    {
        const char *text;
        int expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+3", 3},
        {" 12 ", 12},
        {"12a", -1},
        {"", -1},
        {"-", -1},
        {"1.5", -1},
        {"2147483647", 2147483647},
        {"2147483648", -1},
        {"99999999999999999999999", -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(toInt(c.text, -1), c.expected) << '"' << c.text << '"';

    EXPECT_EQ(clampInt(5, 1, 3), 3);
    EXPECT_EQ(clampInt(-5, 1, 3), 1);
    EXPECT_EQ(clampInt(2, 5, 1), 5); // an empty range gives its low end
    EXPECT_EQ(wrapInt(8, 1, 7), 1);
    EXPECT_EQ(wrapInt(0, 1, 7), 7);
    EXPECT_EQ(wrapInt(-15, 1, 7), 6);
    EXPECT_EQ(wrapInt(2147483647, -2147483647 - 1, 0), -2); // no overflow on wide spans
    EXPECT_EQ(hexText(255, 4), "00FF");
    EXPECT_EQ(hexText(0x12345, 2), "12345");
    EXPECT_EQ(hexText(0, 0), "0");
}

TEST(TextUtilTest, DateSerials)
{
    struct Case
    {
        int y, m, d;
        std::int32_t serial;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},    {1899, 12, 31, 1},  {1900, 1, 1, 2},         {2024, 1, 8, 45299},
        {2000, 2, 29, 36585}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(dateSerial(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        int y = 0, m = 0, d = 0;
        serialToDate(c.serial, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d);
    }

    // Invalid dates and serials outside the supported years.
    EXPECT_EQ(dateSerial(2023, 2, 29), 0);
    EXPECT_EQ(dateSerial(2024, 13, 1), 0);
    EXPECT_EQ(dateSerial(10000, 1, 1), 0);
    int y = 1, m = 1, d = 1;
    serialToDate(2958466, y, m, d);
    EXPECT_EQ(y + m + d, 0);
    EXPECT_EQ(serialToYmd(-700000), "");

    EXPECT_EQ(serialToYmd(45299), "20240108");
    EXPECT_EQ(ymdToSerial("20240108"), 45299);
    for (const char *bad : {"2024018", "2024-1-8", "20240230", "abcdefgh", ""})
        EXPECT_EQ(ymdToSerial(bad), 0) << bad;
}

TEST(TextUtilTest, IsoWeekdaysAndWeeks)
{
    struct Case
    {
        int y, m, d;
        int weekday;
        int week;
    };
    const Case cases[] = {
        {2024, 1, 8, 1, 2},    {1899, 12, 30, 6, 52},
        {2020, 12, 31, 4, 53}, {2021, 1, 3, 7, 53},  // early January in the previous year's week
        {2021, 1, 4, 1, 1},    {2024, 12, 30, 1, 1}, // late December in the next year's week 1
        {2026, 1, 1, 4, 1},    {2027, 1, 1, 5, 53},
    };
    for (const Case &c : cases) {
        const std::int32_t s = dateSerial(c.y, c.m, c.d);
        EXPECT_EQ(isoWeekday(s), c.weekday) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(isoWeek(s), c.week) << c.y << "-" << c.m << "-" << c.d;
    }
    EXPECT_EQ(isoWeekday(-1), 5); // days before the epoch wrap correctly

    // The ends of the serial range give an answer, not an overflow.
    const std::int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, INT32_MAX - 1, INT32_MAX};
    for (const std::int32_t s : extremes) {
        EXPECT_GE(isoWeekday(s), 1) << s;
        EXPECT_LE(isoWeekday(s), 7) << s;
        EXPECT_EQ(isoWeek(s), 0) << s;
    }
    EXPECT_EQ(hexText(255, 1 << 30), std::string(32 - 2, '0') + "FF"); // no runaway padding
}

} // namespace
} // namespace quivra
