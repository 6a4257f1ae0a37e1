#include "engine/textutil.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <limits>

namespace quivra {

namespace {

using namespace std::chrono;

// Day 0 of the serial count.
constexpr sys_days SerialEpoch = sys_days{1899y / December / 30};

// Serials of the first and the last day the date helpers accept (years 1..9999).
constexpr std::int32_t FirstSerial =
    static_cast<std::int32_t>((sys_days{year{1} / January / 1} - SerialEpoch).count());
constexpr std::int32_t LastSerial =
    static_cast<std::int32_t>((sys_days{year{9999} / December / 31} - SerialEpoch).count());

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

year_month_day civilOf(std::int32_t serial)
{
    return year_month_day{SerialEpoch + days{serial}};
}

std::int32_t serialOf(const year_month_day &ymd)
{
    return static_cast<std::int32_t>((sys_days{ymd} - SerialEpoch).count());
}

} // namespace

std::string listItem(std::string_view list, int k, char sep)
{
    if (k < 1)
        return {};
    std::size_t begin = 0;
    for (int i = 1; begin < list.size(); ++i) {
        std::size_t end = list.find(sep, begin);
        if (end == std::string_view::npos)
            end = list.size();
        if (i == k)
            return std::string(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return {};
}

int listPosition(std::string_view list, std::string_view item, char sep)
{
    std::size_t begin = 0;
    for (int i = 1; begin < list.size(); ++i) {
        std::size_t end = list.find(sep, begin);
        if (end == std::string_view::npos)
            end = list.size();
        if (list.substr(begin, end - begin) == item)
            return i;
        begin = end + 1;
    }
    return 0;
}

int listCount(std::string_view list, char sep)
{
    int n = countOf(list, sep);
    if (!list.empty() && list.back() != sep)
        ++n; // a last item without its separator
    return n;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos)
            break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

namespace {

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

} // namespace

bool hasControlCharacters(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), isControl);
}

std::string cleanText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // CR LF is one break: the LF makes the space
        if (c == '\r' || c == '\n' || c == '\t')
            out += ' ';
        else if (!isControl(c))
            out += c;
    }
    return out;
}

std::string trim(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    return trimRight(text.substr(begin));
}

std::string trimRight(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return std::string(text.substr(0, end));
}

int countOf(std::string_view text, char c)
{
    int n = 0;
    for (char x : text)
        n += x == c;
    return n;
}

std::string toUpperAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

int toInt(std::string_view text, int fallback)
{
    const std::string t = trim(text);
    std::string_view digits = t;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() < '0' || digits.front() > '9')
        return fallback;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || end != digits.data() + digits.size())
        return fallback;
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return fallback;
    return static_cast<int>(value);
}

int clampInt(int value, int low, int high)
{
    if (value > high)
        value = high;
    if (value < low)
        value = low;
    return value;
}

int wrapInt(int value, int low, int high)
{
    if (high < low)
        return low;
    const std::int64_t span = std::int64_t{high} - low + 1;
    std::int64_t offset = (std::int64_t{value} - low) % span;
    if (offset < 0)
        offset += span;
    return static_cast<int>(low + offset);
}

std::string hexText(std::uint32_t value, int digits)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), Hex[value & 15]);
        value >>= 4;
    } while (value != 0);
    digits = std::min(digits, 32); // no 32-bit value needs more; a wild width pads no further
    if (static_cast<int>(out.size()) < digits)
        out.insert(0, static_cast<std::size_t>(digits) - out.size(), '0');
    return out;
}

std::int32_t dateSerial(int y, int m, int d)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31)
        return 0;
    const year_month_day ymd{year{y}, month{static_cast<unsigned>(m)},
                             day{static_cast<unsigned>(d)}};
    return ymd.ok() ? serialOf(ymd) : 0;
}

void serialToDate(std::int32_t serial, int &y, int &m, int &d)
{
    if (serial < FirstSerial || serial > LastSerial) {
        y = m = d = 0;
        return;
    }
    const year_month_day ymd = civilOf(serial);
    y = static_cast<int>(ymd.year());
    m = static_cast<int>(static_cast<unsigned>(ymd.month()));
    d = static_cast<int>(static_cast<unsigned>(ymd.day()));
}

int isoWeekday(std::int32_t serial)
{
    // Serial 2 (1 January 1900) was a Monday.
    const std::int64_t offset = (std::int64_t{serial} - 2) % 7;
    return static_cast<int>(offset < 0 ? offset + 7 : offset) + 1;
}

int isoWeek(std::int32_t serial)
{
    // The week belongs to the year of its Thursday.
    const std::int64_t thursday = std::int64_t{serial} - isoWeekday(serial) + 4;
    if (thursday < FirstSerial || thursday > LastSerial)
        return 0;
    int y = 0, m = 0, d = 0;
    serialToDate(static_cast<std::int32_t>(thursday), y, m, d);
    return static_cast<int>((thursday - dateSerial(y, 1, 1)) / 7 + 1);
}

std::string serialToYmd(std::int32_t serial)
{
    int y = 0, m = 0, d = 0;
    serialToDate(serial, y, m, d);
    if (y == 0)
        return {};
    unsigned value = static_cast<unsigned>(y) * 10000u + static_cast<unsigned>(m) * 100u +
                     static_cast<unsigned>(d);
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i, value /= 10)
        out[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    return out;
}

std::int32_t ymdToSerial(std::string_view yyyymmdd)
{
    if (yyyymmdd.size() != 8)
        return 0;
    for (char c : yyyymmdd)
        if (c < '0' || c > '9')
            return 0;
    const int value = toInt(yyyymmdd, 0);
    return dateSerial(value / 10000, value / 100 % 100, value % 100);
}

} // namespace quivra
