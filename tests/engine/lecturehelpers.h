#pragma once

// Helpers of the lecture-store, collection, totals, recount and seat tests: codes and member
// lists made by hand, week and timetable entries, raw store entries as a damaged or old file
// holds them, and a fresh data set per test.

#include "engine/collections.h"
#include "engine/lecturestore.h"
#include "engine/scheduledata.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

namespace quivra {

inline CodeId addCode(ScheduleData &d, bool event, int category, std::string_view code,
                      std::string_view name = {})
{
    const int c = ++d.codeCount;
    CodeRecord &rec = d.codes[c];
    rec.flags = static_cast<std::uint16_t>((event ? IsEventBit : 0) |
                                           (1u << (CategoryShift + category - 1)));
    rec.code.assign(code);
    rec.name.assign(name);
    return static_cast<CodeId>(c);
}

inline MemberList members(std::initializer_list<int> ids)
{
    MemberList m{};
    for (int id : ids)
        m[++m[0]] = static_cast<CodeId>(id);
    return m;
}

inline std::vector<CodeId> asVector(const MemberList &m)
{
    return std::vector<CodeId>(m.begin() + 1, m.begin() + 1 + m[0]);
}

inline std::uint16_t eventWord(int c)
{
    return static_cast<std::uint16_t>(c | LectureEventBit);
}

inline LectureView allocation(int c, int w1, int w2, int n)
{
    LectureView v;
    v.word = eventWord(c);
    v.startWeek = static_cast<std::uint8_t>(w1);
    v.endWeek = static_cast<std::uint8_t>(w2);
    v.count = static_cast<std::uint16_t>(n);
    v.endDay = static_cast<std::uint8_t>(n >> 5); // the count as the default coding packs it
    v.endBell = static_cast<std::uint8_t>(n & 31);
    return v;
}

inline LectureView block(std::uint16_t word, int w1, int w2, int d1, int d2, int b1, int b2)
{
    LectureView v;
    v.word = word;
    v.startWeek = static_cast<std::uint8_t>(w1);
    v.endWeek = static_cast<std::uint8_t>(w2);
    v.startDay = static_cast<std::uint8_t>(d1);
    v.endDay = static_cast<std::uint8_t>(d2);
    v.startBell = static_cast<std::uint8_t>(b1);
    v.endBell = static_cast<std::uint8_t>(b2);
    return v;
}

// Writes one raw entry, bypassing every check, as a damaged or old file would.
inline void putRaw(ScheduleData &d, std::uint16_t word, SlotCode start, SlotCode end, int kind = 0)
{
    const int i = ++d.lectureCount;
    d.lectureWord[i] = word;
    d.lectureStart[i] = start;
    d.lectureEnd[i] = end;
    d.bookingKind[i] = static_cast<std::int16_t>(kind);
}

struct Stored
{
    std::uint16_t word;
    SlotCode start;
    SlotCode end;
    int kind;
    friend bool operator==(const Stored &, const Stored &) = default;
};

inline std::vector<Stored> store(const ScheduleData &d)
{
    std::vector<Stored> all;
    for (int i = 1; i <= d.lectureCount; ++i)
        all.push_back({d.lectureWord[i], d.lectureStart[i], d.lectureEnd[i], d.bookingKind[i]});
    return all;
}

class LecturesTest : public ::testing::Test
{
protected:
    std::unique_ptr<ScheduleData> m_data = makeScheduleData();
    ScheduleData &d = *m_data;
};

} // namespace quivra
