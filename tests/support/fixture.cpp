#include "support/fixture.h"

#include "engine/codetable.h"
#include "engine/lectures.h"

#include <gtest/gtest.h>

#include <vector>

namespace quivra {

namespace {

// Category index (1-based) of the item starting with `letter` in a "$"-terminated list.
int categoryByLetter(std::string_view list, char letter)
{
    int k = 1;
    bool atItemStart = true;
    for (const char c : list) {
        if (atItemStart && c == letter)
            return k;
        atItemStart = c == '$';
        if (atItemStart)
            ++k;
    }
    ADD_FAILURE() << "no resource category with letter " << letter;
    return 1;
}

std::uint16_t categoryBit(int k)
{
    return static_cast<std::uint16_t>(1u << (CategoryShift + k - 1));
}

} // namespace

FixtureBuilder &FixtureBuilder::calendar(int weeks, int days, int bells)
{
    m_d.calendarRange.startWeek = 1;
    m_d.calendarRange.startDay = 1;
    m_d.calendarRange.startBell = 1;
    m_d.calendarRange.endWeek = static_cast<std::uint8_t>(weeks);
    m_d.calendarRange.endDay = static_cast<std::uint8_t>(days);
    m_d.calendarRange.endBell = static_cast<std::uint8_t>(bells);
    return *this;
}

CodeId FixtureBuilder::addCode(std::string_view code, std::uint16_t flags, int planned)
{
    if (m_d.codeCount >= MaxCodes) {
        ADD_FAILURE() << "code table full";
        return 0;
    }
    const auto c = static_cast<CodeId>(++m_d.codeCount);
    CodeRecord &r = m_d.codes[c];
    r = CodeRecord{};
    r.code.assign(code);
    r.name.assign(std::string("Name of ") + std::string(code));
    r.flags = flags;
    r.planned = static_cast<std::uint16_t>(planned);
    return c;
}

FixtureBuilder &FixtureBuilder::resources(char letter,
                                          std::initializer_list<std::string_view> codes)
{
    const int k = categoryByLetter(m_d.resourceCategories.view(), letter);
    for (const auto code : codes)
        addCode(code, categoryBit(k), 0);
    return *this;
}

FixtureBuilder &FixtureBuilder::event(std::string_view code,
                                      std::initializer_list<std::string_view> members, int planned,
                                      int category)
{
    const CodeId e = addCode(code, IsEventBit | categoryBit(category), planned);
    if (e == 0 || members.size() == 0)
        return *this;
    // Written as the collection editor would leave it: marker, members, position and links.
    m_d.collection[++m_d.collectionEntryCount] = e | CollectionMarkerBit;
    m_d.codes[e].collectionPos = static_cast<std::uint16_t>(m_d.collectionEntryCount);
    for (const auto member : members)
        m_d.collection[++m_d.collectionEntryCount] = id(member);
    m_d.codes[e].links = static_cast<std::uint16_t>(members.size());
    ++m_d.collectionCount;
    return *this;
}

void FixtureBuilder::appendLecture(std::string_view code, std::uint16_t bits, SlotCode start,
                                   SlotCode end, int kind)
{
    const CodeId c = id(code);
    if (m_d.lectureCount >= MaxLectures) {
        ADD_FAILURE() << "lecture store full";
        return;
    }
    const int i = ++m_d.lectureCount;
    m_d.lectureWord[i] = static_cast<std::uint16_t>(c | bits);
    m_d.lectureStart[i] = start;
    m_d.lectureEnd[i] = end;
    m_d.bookingKind[i] = static_cast<std::int16_t>(kind);
}

FixtureBuilder &FixtureBuilder::allocate(std::string_view event, int w1, int w2, int perWeek)
{
    const SlotCoding &s = m_d.coding;
    appendLecture(event, LectureEventBit, s.pack(w1, 0, 0),
                  s.pack(w2, perWeek >> s.bellBits, perWeek & s.bellMask), 0);
    return *this;
}

FixtureBuilder &FixtureBuilder::place(std::string_view event, int week, int day, int b1, int b2)
{
    const SlotCoding &s = m_d.coding;
    appendLecture(event, LectureEventBit, s.pack(week, day, b1), s.pack(week, day, b2), 0);
    return *this;
}

FixtureBuilder &FixtureBuilder::book(std::string_view resource, int week, int day, int b1, int kind,
                                     int b2)
{
    const SlotCoding &s = m_d.coding;
    appendLecture(resource, LectureBookingBit, s.pack(week, day, b1),
                  s.pack(week, day, b2 == 0 ? b1 : b2), kind);
    return *this;
}

FixtureBuilder &FixtureBuilder::weekBooking(std::string_view event, int w1, int w2, int kind)
{
    const SlotCoding &s = m_d.coding;
    appendLecture(event, LectureEventBit | LectureBookingBit, s.pack(w1, 0, 0), s.pack(w2, 0, kind),
                  kind);
    return *this;
}

FixtureBuilder &FixtureBuilder::manualRoom(std::string_view event, int week, int day, int bell,
                                           std::string_view room)
{
    auto &m = m_d.manualRooms;
    const int at = m[0];
    if (at + 3 >= ManualRoomStoreSize) {
        ADD_FAILURE() << "manual-room store full";
        return *this;
    }
    // Manual rooms always use the 8/3/5 slot coding.
    m[at + 1] = static_cast<std::uint16_t>((week << 8) | (day << 5) | bell);
    m[at + 2] = id(event);
    m[at + 3] = room.empty() ? 0 : id(room);
    m[0] = static_cast<std::uint16_t>(at + 3);
    return *this;
}

FixtureBuilder &FixtureBuilder::role(std::string_view event, std::string_view resource,
                                     std::string_view role)
{
    int r = 1;
    while (r <= m_d.roleCount && m_d.roles[r].name.view() != role)
        ++r;
    if (r > m_d.roleCount) {
        if (m_d.roleCount >= MaxRoles || m_d.assignmentCount >= MaxAssignments) {
            ADD_FAILURE() << "role store full";
            return *this;
        }
        r = ++m_d.roleCount;
        m_d.roles[r].id = static_cast<std::uint16_t>(r);
        m_d.roles[r].name.assign(role);
    }
    ++m_d.roles[r].uses;
    m_d.assignments[++m_d.assignmentCount] = {id(event), id(resource),
                                              static_cast<std::uint16_t>(r)};
    return *this;
}

FixtureBuilder &FixtureBuilder::comment(std::string_view text)
{
    m_d.comments.emplace_back(text);
    return *this;
}

FixtureBuilder &FixtureBuilder::memo(std::string_view code, std::string_view text)
{
    m_d.memos.push_back(std::string(code) + ";" + std::string(text));
    return *this;
}

void FixtureBuilder::finish()
{
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    rebuildLists(m_d);
    m_d.modified = false;
}

CodeId FixtureBuilder::id(std::string_view code) const
{
    for (int c = 1; c <= m_d.codeCount; ++c) {
        if (m_d.codes[c].code.view() == code)
            return static_cast<CodeId>(c);
    }
    ADD_FAILURE() << "no code " << code;
    return 0;
}

std::unique_ptr<ScheduleData> twoEventsInOneRoom()
{
    constexpr int Rooms = 3, Equipment = 4;
    auto d = makeScheduleData();
    d->resourceCategories.assign("G:Groups$T:Teachers$R:Rooms$Q:Equipment$");
    d->noTimetableMasks[1] = (1u << Rooms) | (1u << Equipment);
    d->noGapsMasks[1] = (1u << Rooms) | (1u << Equipment);
    FixtureBuilder f(*d);
    f.calendar(2, 5, 6).resources('G', {"G1", "G2"}).resources('T', {"T1", "T2"});
    f.resources('R', {"R1"});
    f.event("MATH", {"G1", "T1", "R1"}, 2).event("ENG", {"G2", "T2", "R1"}, 2);
    f.allocate("MATH", 1, 1, 2).allocate("ENG", 1, 1, 2);
    f.place("MATH", 1, 2, 3, 4).place("ENG", 1, 2, 3, 4);
    f.finish();
    return d;
}

} // namespace quivra
