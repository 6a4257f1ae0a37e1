#pragma once

// Every capacity of the data set, named once. Stores are 1-based: entry 0 of most stores holds a
// count, a header record or scratch data, so a store of capacity N has N + 1 entries.

#include <cstdint>

namespace quivra {

constexpr int MaxCodes = 8191;              // codes 1..8191; record 0 is scratch
constexpr int CodeTableSize = MaxCodes + 1; // records 0..8191
constexpr int MaxLectures = 32763;          // lecture entries 1..32763
constexpr int LectureStoreSize = MaxLectures + 1;
constexpr int MaxCollectionEntries = 32763; // collection list entries 1..32763
constexpr int CollectionStoreSize = MaxCollectionEntries + 1;
constexpr int ManualRoomStoreSize = 32764;  // entry 0 = words in use, then triples
constexpr int MaxMembers = 240;             // resources per event collection
constexpr int MaxRoles = 500;
constexpr int MaxAssignments = 10000;
constexpr int MaxCategories = 7;

// Fixed calendar tables, sized for the largest calendar whatever the slot coding.
constexpr int MaxWeeks = 255;
constexpr int MaxDays = 7;
constexpr int MaxBells = 30;
constexpr int WeekTableSize = MaxWeeks + 1; // weeks 0..255, entry 0 holds no week

// Field widths of stored strings (characters, without the length byte).
constexpr int CodeLength = 15;
constexpr int NameLength = 200;
constexpr int BellNameLength = 11;
constexpr int WeekNameLength = 5;
constexpr int ReportTitleLength = 40;
constexpr int ListLength = 255;
constexpr int RoleNameLength = 200;
constexpr int FileCommentLength = 39;
constexpr int ReportTitleCount = 6;

constexpr int CodeRecordSize = 235;
constexpr int RoleRecordSize = 205;
constexpr int AssignmentRecordSize = 6;
constexpr int UsageCounterCount = 64;
constexpr int MemoShownLength = 240;

// Code flag word.
constexpr std::uint16_t LinkMarksMask = 0x001F;
constexpr std::uint16_t AllMarks = 31;
constexpr std::uint16_t NoTimetableBit = 0x0040;
constexpr std::uint16_t CategoryBitsMask = 0x3F80; // bits 7..13
constexpr int CategoryShift = 7;
constexpr std::uint16_t IsEventBit = 0x4000;
constexpr std::uint16_t LockedBit = 0x8000;

// Lecture words and collection entries.
constexpr std::uint16_t LectureEventBit = 0x4000;
constexpr std::uint16_t LectureBookingBit = 0x8000;
constexpr std::uint16_t LegacyKindBits = 0x3000; // booking kind of old files, 12-bit mask only
constexpr std::uint16_t NarrowCodeMask = 4095;
constexpr std::uint16_t WideCodeMask = 8191;
constexpr std::uint16_t CollectionMarkerBit = 0x4000;
constexpr std::uint16_t CollectionCodeMask = 0x3FFF;

} // namespace quivra
