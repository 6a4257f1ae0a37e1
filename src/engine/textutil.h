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

// Replaces every occurrence of `from` (non-empty) by `to`, scanning left to right.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string trim(std::string_view text);
std::string trimRight(std::string_view text);
int countOf(std::string_view text, char c);
std::string toUpperAscii(std::string_view text);
std::string toLowerAscii(std::string_view text);

// Integer from text; `fallback` when the text is not a whole (optionally signed) number.
int toInt(std::string_view text, int fallback = 0);
int clampInt(int value, int low, int high);
// Wraps value into low..high cyclically.
int wrapInt(int value, int low, int high);
std::string hexText(std::uint32_t value, int digits);

// Date serials count days from 30 December 1899 (serial 1 = 31 December 1899).
std::int32_t dateSerial(int year, int month, int day);
void serialToDate(std::int32_t serial, int &year, int &month, int &day);
// 1 = Monday .. 7 = Sunday.
int isoWeekday(std::int32_t serial);
// ISO 8601 week number (1..53) of the day.
int isoWeek(std::int32_t serial);
// "yyyymmdd" for a serial, and back (0 when the text is not a valid date).
std::string serialToYmd(std::int32_t serial);
std::int32_t ymdToSerial(std::string_view yyyymmdd);

} // namespace quivra
