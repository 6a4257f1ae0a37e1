// The output kit: every escaper against hostile texts, folding at 75 octets, safe and unique
// file names, character-set conversion, date tokens and local-to-universal time.

#include "engine/textutil.h"
#include "reports/outputkit.h"
#include "support/timezone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace quivra {
namespace {

// Splits folded iCalendar output into its physical lines (without CR LF).
std::vector<std::string> physicalLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "output must end with CR LF";
    return lines;
}

std::string unfold(const std::string &text)
{
    return replaceAll(replaceAll(text, "\r\n ", ""), "\r\n", "");
}

bool validUtf8(const std::string &s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

TEST(OutputKit, EscapersKeepHostileTextAsText)
{
    struct Case
    {
        const char *text, *html, *csv, *ical;
    } const cases[] = {
        {"<b>&\"x", "&lt;b&gt;&amp;&quot;x", "\"<b>&\"\"x\"", "<b>&\"x"},
        {"a,b;c", "a,b;c", "\"a,b;c\"", "a\\,b\\;c"},
        {"line\nbreak", "line\nbreak", "\"line\nbreak\"", "line\\nbreak"},
        {"cr\r\nlf", "cr\r\nlf", "\"cr\r\nlf\"", "cr\\nlf"},
        {"back\\slash", "back\\slash", "back\\slash", "back\\\\slash"},
        {"O'Neil 50%", "O&#39;Neil 50%", "O'Neil 50%", "O'Neil 50%"},
        {" padded ", " padded ", "\" padded \"", " padded "},
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(htmlEscape(c.text), c.html) << c.text;
        EXPECT_EQ(csvField(c.text), c.csv) << c.text;
        EXPECT_EQ(icalText(c.text), c.ical) << c.text;
    }
    EXPECT_EQ(csvRow({"a", "", "b,c"}), "a,,\"b,c\"\r\n");
}

TEST(OutputKit, FoldingNeverExceeds75OctetsNorSplitsACharacter)
{
    const std::string e = "\xC3\xA9";        // 2 octets
    const std::string euro = "\xE2\x82\xAC"; // 3 octets
    const std::string clef = "\xF0\x9D\x84\x9E";
    const std::vector<std::string> lines = {
        "SUMMARY:" + std::string(200, 'x'),
        "SUMMARY:" + std::string(66, 'x'),
        "SUMMARY:" + std::string(67, 'x'),
        "SUMMARY:" + std::string(66, 'x') + e + e,
        "DESCRIPTION:" +
            [&] {
                std::string s;
                for (int i = 0; i < 60; ++i)
                    s += (i % 3 == 0 ? e : i % 3 == 1 ? euro : clef);
                return s;
            }(),
        "X:",
    };
    for (const std::string &line : lines) {
        const std::string folded = icalFold(line);
        for (const std::string &physical : physicalLines(folded)) {
            EXPECT_LE(physical.size(), 75u) << line;
            EXPECT_TRUE(validUtf8(physical)) << "a character was split: " << physical;
        }
        EXPECT_EQ(unfold(folded), line);
    }
    EXPECT_EQ(icalFold(std::string(75, 'a')), std::string(75, 'a') + "\r\n");
    EXPECT_EQ(icalFold(std::string(76, 'a')), std::string(75, 'a') + "\r\n a\r\n");
}

TEST(OutputKit, QuotedPrintableRoundTripsAndKeepsLinesShort)
{
    const std::vector<std::string> texts = {
        "plain",
        "a=b",
        "\xC3\xA9t\xC3\xA9",
        "ends with blank ",
        "<b>&\"x\r\nnext",
        std::string(200, 'y') + "=" + std::string(100, '\xC3'),
    };
    for (const std::string &text : texts) {
        const std::string encoded = quotedPrintable(text, 40);
        EXPECT_EQ(quotedPrintableDecode(encoded), text);
        std::size_t start = 0, first = 40;
        for (std::size_t end; (end = encoded.find("\r\n", start)) != std::string::npos;
             start = end + 2, first = 0)
            EXPECT_LE(first + end - start, 76u);
        for (const char c : encoded)
            EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c <= 126)) << text;
    }
    EXPECT_EQ(quotedPrintable("a=b \xE9"), "a=3Db =E9");
}

TEST(OutputKit, FileNamesStayInTheFolderAndNeverCollide)
{
    FileNames names;
    names.reserve("index.htm");
    struct Case
    {
        const char *key, *wanted, *expected;
    } const cases[] = {
        {"T1", "T1.ics", "T1.ics"},
        {"t1", "t1.ics", "t1_2.ics"},
        {"A/B", "A/B.ics", "A_B.ics"},
        {"A_B", "A_B.ics", "A_B_2.ics"},
        {"../x", "../x.ics", "_._x.ics"},
        {"dots", "..", "_."},
        {"empty", "", "_"},
        {"main", "INDEX.htm", "INDEX_2.htm"},
        {"nl", "a\nb.ics", "a_b_3.ics"},
        {"e", "\xC3\xA9.ics", "__.ics"},
        {"T1", "anything", "T1.ics"},
    };
    for (const Case &c : cases) {
        const std::string name = names.name(c.key, c.wanted);
        EXPECT_EQ(name, c.expected) << c.key;
        EXPECT_EQ(name.find('/'), std::string::npos);
        EXPECT_NE(name, "..");
        EXPECT_NE(name.front(), '.');
    }
    EXPECT_EQ(names.find("A/B"), "A_B.ics");
    EXPECT_EQ(names.find("never"), "");
}

TEST(OutputKit, PagesAreWrittenInTheirDeclaredCharacterSet)
{
    const std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD <b>";
    EXPECT_EQ(toCharset(utf8, "ISO-8859-1"), "caf\xE9 &#8364; &#20013; <b>");
    EXPECT_EQ(toCharset(utf8, "windows-1252"), "caf\xE9 \x80 &#20013; <b>");
    EXPECT_EQ(toCharset(utf8, "UTF-8"), utf8);
    EXPECT_EQ(toCharset(utf8, ""), utf8);
    EXPECT_EQ(toCharset(utf8, "no-such-charset"), utf8);
    EXPECT_EQ(dataToUtf8("caf\xE9", "WINDOWS-1252"), "caf\xC3\xA9");
    EXPECT_EQ(dataToUtf8("plain", "no-such-charset"), "plain");
}

TEST(OutputKit, DateTokens)
{
    const std::int32_t serial = dateSerial(2026, 7, 3); // a Friday
    struct Case
    {
        const char *format, *expected;
    } const cases[] = {
        {"ddddd", "03.07.2026"},
        {"ddddd t", "03.07.2026 09:05"},
        {"c", "03.07.2026 09:05"},
        {"mmmm yyyy", "July 2026"},
        {"ddd", "Fri"},
        {"dddd d mmm yy", "Friday 3 Jul 26"},
        {"hh:mm", "09:05"},
        {"yyyymmdd", "20260703"},
        {"\"week\" dd/mm", "week 03/07"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatDateTime(c.format, serial, 9 * 60 + 5), c.expected) << c.format;
}

TEST(OutputKit, LocalTimesUseTheirOwnDaylightSavingOffset)
{
    const ScopedTimeZone berlin("Europe/Berlin");
    const std::time_t january = localToUtc({2026, 1, 12, 9, 0});
    const std::time_t july = localToUtc({2026, 7, 13, 9, 0});
    EXPECT_EQ(utcStamp(january), "20260112T080000Z");
    EXPECT_EQ(utcStamp(july), "20260713T070000Z");
    EXPECT_EQ(utcStamp(localToUtc({2026, 3, 28, 23, 90})), "20260328T233000Z");
    EXPECT_EQ(localSerial(july), dateSerial(2026, 7, 13));
    EXPECT_EQ(localMinutes(july), 9 * 60);
}

} // namespace
} // namespace quivra
