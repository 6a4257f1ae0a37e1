#pragma once

// String, number and date helpers shared by every layer. Texts are byte strings in the data
// files' 8-bit code page; case conversion is ASCII-only.

#include <cstdint>
#include <string>
#include <string_view>

namespace quivra {

// The k-th item (1-based) of a list whose items each end with `sep` ("a$b$c$"); empty when the
// list has fewer items. A last item without its separator still counts.
std::string listItem(std::string_view list, int k, char sep = '$');
// 1-based position of `item` among the list's items, 0 when absent.
int listPosition(std::string_view list, std::string_view item, char sep = '$');
// Number of items in a separator-terminated list.
int listCount(std::string_view list, char sep = '$');

// What a text field may hold, decided once where text enters the program (the readers of the
// data file, the text exchange and the defaults file): no control characters. A line break
// (CR LF, CR or LF) and a tab each become one space; every other byte below 0x20, and 0x7F, is
// dropped. Bytes from 0x80 up are characters of the code page and stay.
std::string cleanText(std::string_view text);
// True when cleanText would change `text`.
bool hasControlCharacters(std::string_view text);

// Replaces every occurrence of `from` (non-empty) by `to`, scanning left to right.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
// Remove leading and/or trailing blanks (spaces and control characters).
std::string trim(std::string_view text);
std::string trimRight(std::string_view text);
int countOf(std::string_view text, char c);
std::string toUpperAscii(std::string_view text);
std::string toLowerAscii(std::string_view text);

// Integer from text; `fallback` when the text, blanks around it aside, is not a whole (optionally
// signed) number that fits an int.
int toInt(std::string_view text, int fallback = 0);
// Clamps into low..high; low wins when high < low.
int clampInt(int value, int low, int high);
// Wraps value into low..high cyclically; low when high < low.
int wrapInt(int value, int low, int high);
// Upper-case hexadecimal, padded with zeros to at least `digits` digits.
std::string hexText(std::uint32_t value, int digits);

// Date serials count days from 30 December 1899 (serial 1 = 31 December 1899). Dates of the years
// 1..9999 are supported: dateSerial gives 0 for any other or invalid date, serialToDate gives
// 0/0/0 for a serial outside that span.
std::int32_t dateSerial(int year, int month, int day);
void serialToDate(std::int32_t serial, int &year, int &month, int &day);
// 1 = Monday .. 7 = Sunday.
int isoWeekday(std::int32_t serial);
// ISO 8601 week number (1..53) of the day; 0 outside the supported span.
int isoWeek(std::int32_t serial);
// "yyyymmdd" for a serial (empty outside the supported span), and back (0 when the text is not
// eight digits forming a valid date).
std::string serialToYmd(std::int32_t serial);
std::int32_t ymdToSerial(std::string_view yyyymmdd);

} // namespace quivra
