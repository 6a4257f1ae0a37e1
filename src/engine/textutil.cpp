// Placeholder bodies; replaced by the real implementation.
#include "engine/textutil.h"

namespace quivra {

std::string listItem(std::string_view list, int k, char sep)
{ return {}; }

int listPosition(std::string_view list, std::string_view item, char sep)
{ return {}; }

int listCount(std::string_view list, char sep)
{ return {}; }

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{ return {}; }

std::string trim(std::string_view text)
{ return {}; }

std::string trimRight(std::string_view text)
{ return {}; }

int countOf(std::string_view text, char c)
{ return {}; }

std::string toUpperAscii(std::string_view text)
{ return {}; }

std::string toLowerAscii(std::string_view text)
{ return {}; }

int toInt(std::string_view text, int fallback)
{ return {}; }

int clampInt(int value, int low, int high)
{ return {}; }

int wrapInt(int value, int low, int high)
{ return {}; }

std::string hexText(std::uint32_t value, int digits)
{ return {}; }

std::int32_t dateSerial(int year, int month, int day)
{ return {}; }

void serialToDate(std::int32_t serial, int &year, int &month, int &day)
{}

int isoWeekday(std::int32_t serial)
{ return {}; }

int isoWeek(std::int32_t serial)
{ return {}; }

std::string serialToYmd(std::int32_t serial)
{ return {}; }

std::int32_t ymdToSerial(std::string_view yyyymmdd)
{ return {}; }

} // namespace quivra
