#include "reports/outputkit.h"

#include "engine/textutil.h"
#include "files/encoding.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace quivra {

std::string htmlEscape(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() + 8);
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string csvField(std::string_view text)
{
    const bool quote = text.find_first_of(",\";\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string csvRow(const std::vector<std::string> &fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += csvField(fields[i]);
    }
    return out + "\r\n";
}

std::string icalText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() + 4);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ';':
            out += "\\;";
            break;
        case ',':
            out += "\\,";
            break;
        case '\r':
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string icalFold(std::string_view line)
{
    constexpr std::size_t Limit = 75;
    std::string out;
    std::size_t used = 0; // octets on the current physical line
    std::size_t i = 0;
    while (i < line.size()) {
        // Length of the UTF-8 sequence starting here (a stray continuation byte counts alone).
        const auto lead = static_cast<unsigned char>(line[i]);
        std::size_t n = lead < 0x80    ? 1
                        : lead >= 0xF0 ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC0 ? 2
                                       : 1;
        n = std::min(n, line.size() - i);
        if (used + n > Limit) {
            out += "\r\n ";
            used = 1;
        }
        out.append(line.substr(i, n));
        used += n;
        i += n;
    }
    return out + "\r\n";
}

std::string quotedPrintable(std::string_view bytes, std::size_t firstLineUsed)
{
    constexpr std::size_t Limit = 75; // encoded characters before a soft break "="
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    std::size_t used = firstLineUsed;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const bool last = i + 1 == bytes.size();
        std::string piece;
        if ((c >= 33 && c <= 126 && c != '=') || (c == ' ' && !last)) {
            piece = static_cast<char>(c);
        } else {
            piece = {'=', Hex[c >> 4], Hex[c & 15]};
        }
        if (used + piece.size() > Limit) {
            out += "=\r\n";
            used = 0;
        }
        out += piece;
        used += piece.size();
    }
    return out;
}

std::string quotedPrintableDecode(std::string_view encoded)
{
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '=') {
            out += encoded[i];
            continue;
        }
        if (encoded.substr(i + 1, 2) == "\r\n") {
            i += 2;
            continue;
        }
        if (i + 2 < encoded.size() && hex(encoded[i + 1]) >= 0 && hex(encoded[i + 2]) >= 0) {
            out += static_cast<char>(hex(encoded[i + 1]) * 16 + hex(encoded[i + 2]));
            i += 2;
            continue;
        }
        out += '=';
    }
    return out;
}

std::string dataToUtf8(std::string_view bytes, const std::string &dataCodePage)
{
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return std::string(bytes);
    if (auto converted = codePageToUtf8(bytes, dataCodePage))
        return converted->text;
    std::string out;
    for (const char c : bytes)
        out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
    return out;
}

namespace {

// Decodes the UTF-8 sequence at `i` (advancing it); a malformed byte gives U+FFFD.
std::uint32_t nextCodePoint(std::string_view s, std::size_t &i, std::size_t &length)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (n == 0 || i + n > s.size()) {
        length = 1;
        ++i;
        return 0xFFFD;
    }
    std::uint32_t cp = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) {
            length = 1;
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    length = n;
    i += n;
    return cp;
}

bool isUtf8Name(const std::string &charset)
{
    const std::string upper = toUpperAscii(charset);
    return upper.empty() || upper == "UTF-8" || upper == "UTF8" || upper == "<NONE>";
}

} // namespace

std::string toCharset(std::string_view utf8, const std::string &charset)
{
    if (isUtf8Name(charset) || !utf8ToCodePage("", charset))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    std::map<std::uint32_t, std::string> cache;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t start = i;
        std::size_t length = 0;
        const std::uint32_t cp = nextCodePoint(utf8, i, length);
        auto it = cache.find(cp);
        if (it == cache.end()) {
            std::string piece = "&#" + std::to_string(cp) + ";";
            if (cp != 0xFFFD) {
                const auto converted = utf8ToCodePage(utf8.substr(start, length), charset);
                if (converted && converted->replaced == 0 && !converted->text.empty())
                    piece = converted->text;
            }
            it = cache.emplace(cp, piece).first;
        }
        out += it->second;
    }
    return out;
}

std::string safeSegment(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-' ||
                        (c == '.' && !out.empty());
        out += ok ? c : '_';
    }
    return out.empty() ? "_" : out;
}

std::string FileNames::name(const std::string &key, std::string_view wanted)
{
    if (const auto it = m_byKey.find(key); it != m_byKey.end())
        return it->second;
    const std::string safe = safeSegment(wanted);
    const std::size_t dot = safe.rfind('.');
    const std::string stem = dot == std::string::npos ? safe : safe.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : safe.substr(dot);
    std::string candidate = safe;
    for (int n = 2; m_taken.contains(toLowerAscii(candidate)); ++n)
        candidate = stem + "_" + std::to_string(n) + extension;
    m_taken.insert(toLowerAscii(candidate));
    m_byKey.emplace(key, candidate);
    return candidate;
}

void FileNames::reserve(std::string_view name)
{
    m_taken.insert(toLowerAscii(name));
}

std::string FileNames::find(const std::string &key) const
{
    const auto it = m_byKey.find(key);
    return it == m_byKey.end() ? std::string() : it->second;
}

bool FolderSink::write(const std::string &name, std::string_view bytes)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(m_folder, error);
    const fs::path target = fs::path(m_folder) / name;
    const fs::path temporary = fs::path(m_folder) / ("." + name + ".part");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

std::time_t localToUtc(const LocalTime &t)
{
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

LocalTime utcToLocal(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

std::string utcStamp(std::time_t t)
{
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::int32_t localSerial(std::time_t t)
{
    const LocalTime l = utcToLocal(t);
    return dateSerial(l.year, l.month, l.day);
}

int localMinutes(std::time_t t)
{
    const LocalTime l = utcToLocal(t);
    return l.hour * 60 + l.minute;
}

namespace {

constexpr std::array<const char *, 7> DayNames = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                                  "Friday", "Saturday", "Sunday"};
constexpr std::array<const char *, 12> MonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

std::string two(int n)
{
    if (n < 0 || n > 99)
        return std::to_string(n);
    return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

std::size_t runOf(std::string_view f, std::size_t i, char c)
{
    std::size_t n = 0;
    while (i + n < f.size() && (f[i + n] | 0x20) == c)
        ++n;
    return n;
}

} // namespace

std::string formatDateTime(std::string_view format, std::int32_t serial, int minutes, int seconds)
{
    int year = 0, month = 0, day = 0;
    serialToDate(serial, year, month, day);
    const int weekday = isoWeekday(serial);
    const int hour = minutes / 60;
    const int minute = minutes % 60;
    std::string out;
    bool afterHour = false;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        const char lower = static_cast<char>(c | 0x20);
        if (c == '"') {
            const std::size_t end = format.find('"', i + 1);
            const std::size_t stop = end == std::string_view::npos ? format.size() : end;
            out.append(format.substr(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        const std::size_t n = runOf(format, i, lower);
        if (lower == 'd') {
            if (n >= 5) {
                out += year > 0 ? two(day) + "." + two(month) + "." + std::to_string(year) : "";
            } else if (n == 4) {
                out += weekday >= 1 ? DayNames[static_cast<std::size_t>(weekday - 1)] : "";
            } else if (n == 3) {
                out += weekday >= 1
                           ? std::string(DayNames[static_cast<std::size_t>(weekday - 1)], 3)
                           : "";
            } else {
                out += n == 2 ? two(day) : std::to_string(day);
            }
            i += std::min<std::size_t>(n, 5);
            afterHour = false;
        } else if (lower == 'm') {
            if (afterHour && n <= 2) {
                out += n == 2 ? two(minute) : std::to_string(minute);
            } else if (n >= 4) {
                out += month >= 1 ? MonthNames[static_cast<std::size_t>(month - 1)] : "";
            } else if (n == 3) {
                out += month >= 1 ? std::string(MonthNames[static_cast<std::size_t>(month - 1)], 3)
                                  : "";
            } else {
                out += n == 2 ? two(month) : std::to_string(month);
            }
            i += std::min<std::size_t>(n, 4);
            afterHour = false;
        } else if (lower == 'y') {
            out += n >= 4 ? std::to_string(year) : two(year % 100);
            i += n;
            afterHour = false;
        } else if (lower == 'h') {
            out += n >= 2 ? two(hour) : std::to_string(hour);
            i += n;
            afterHour = true;
        } else if (lower == 'n') {
            out += n >= 2 ? two(minute) : std::to_string(minute);
            i += n;
        } else if (lower == 's') {
            out += n >= 2 ? two(seconds) : std::to_string(seconds);
            i += n;
        } else if (lower == 't' && n == 1) {
            out += two(hour) + ":" + two(minute);
            ++i;
        } else if (lower == 'c' && n == 1) {
            out += formatDateTime("ddddd t", serial, minutes, seconds);
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace quivra
