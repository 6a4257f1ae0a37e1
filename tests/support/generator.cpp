#include "support/generator.h"

#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/random.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quivra {

namespace {

constexpr int GroupCategory = 1;
constexpr int TeacherCategory = 2;
constexpr int RoomCategory = 3;

std::uint16_t categoryBit(int k)
{
    return static_cast<std::uint16_t>(1u << (CategoryShift + k - 1));
}

struct Lesson
{
    CodeId code = 0;
    int group = 0, teacher = 0, room = 0; // indices into the resource lists
    std::vector<int> blocks;              // block lengths of one week
    int plantedPeriods = 0;               // placed in the planted week
};

class Generator
{
public:
    Generator(ScheduleData &d, const InstitutionPlan &plan) : m_d(d), m_plan(plan)
    {
        m_random.setSeed(plan.seed);
    }

    GeneratedInstitution run();

private:
    int draw(int n) { return static_cast<int>(m_random.below(static_cast<std::uint32_t>(n))); }
    CodeId addCode(const std::string &code, const std::string &name, std::uint16_t flags,
                   int planned);
    void addLecture(CodeId c, std::uint16_t bits, SlotCode start, SlotCode end, int kind);
    void placeWeek(int week, GeneratedInstitution &g, bool store = true);

    ScheduleData &m_d;
    const InstitutionPlan &m_plan;
    Random m_random;
    int m_days = 5;
    int m_bells = 8;
    std::vector<CodeId> m_groups, m_teachers, m_rooms;
    std::vector<Lesson> m_lessons;
    // A teacher's unavailable bells per day (the same in every week).
    std::vector<std::array<std::uint32_t, MaxDays + 1>> m_unavailable;
};

CodeId Generator::addCode(const std::string &code, const std::string &name, std::uint16_t flags,
                          int planned)
{
    const auto c = static_cast<CodeId>(++m_d.codeCount);
    CodeRecord &r = m_d.codes[c];
    r = CodeRecord{};
    r.code.assign(code);
    r.name.assign(name);
    r.flags = flags;
    r.planned = static_cast<std::uint16_t>(planned);
    return c;
}

void Generator::addLecture(CodeId c, std::uint16_t bits, SlotCode start, SlotCode end, int kind)
{
    if (m_d.lectureCount >= MaxLectures)
        return;
    const int i = ++m_d.lectureCount;
    m_d.lectureWord[i] = static_cast<std::uint16_t>(c | bits);
    m_d.lectureStart[i] = start;
    m_d.lectureEnd[i] = end;
    m_d.bookingKind[i] = static_cast<std::int16_t>(kind);
}

GeneratedInstitution Generator::run()
{
    clearScheduleData(m_d);
    GeneratedInstitution g;
    m_days = std::clamp(m_plan.days, 1, MaxDays);
    m_bells = m_plan.bells > 0 ? std::clamp(m_plan.bells, 1, MaxBells) : 6 + draw(4);
    const int weeks = m_plan.planted ? 1 : std::clamp(m_plan.weeks, 1, 52);
    g.bells = m_bells;

    TimeRange &cal = m_d.calendarRange;
    cal.startWeek = cal.startDay = cal.startBell = 1;
    cal.endWeek = static_cast<std::uint8_t>(weeks);
    cal.endDay = static_cast<std::uint8_t>(m_days);
    cal.endBell = static_cast<std::uint8_t>(m_bells);
    m_d.optimiseRange = cal;
    m_d.optimiseRange.a = 2;
    m_d.optimiseRange.b = 1;

    // Groups carry about 70% of the week, teachers about 60%, rooms at most 80%.
    const int slots = m_days * m_bells;
    const int periods = std::max(1, m_plan.periodsPerWeek);
    const int groupLoad = std::max(1, slots * 7 / 10);
    const int teacherLoad = std::max(1, slots * 6 / 10);
    const int roomLoad = std::max(1, slots * 8 / 10);
    const int groups = std::max(1, (periods + groupLoad / 2) / groupLoad);
    const int teachers = (periods + teacherLoad - 1) / teacherLoad + 1;
    const int specialRooms = std::max(1, groups / 4);

    std::vector<int> groupSize(static_cast<std::size_t>(groups));
    for (int i = 0; i < groups; ++i) {
        groupSize[static_cast<std::size_t>(i)] = 18 + draw(15);
        m_groups.push_back(addCode("G" + std::to_string(i + 1), "Group " + std::to_string(i + 1),
                                   categoryBit(GroupCategory), 0));
    }
    for (int i = 0; i < teachers; ++i)
        m_teachers.push_back(addCode("T" + std::to_string(i + 1),
                                     "Teacher " + std::to_string(i + 1),
                                     categoryBit(TeacherCategory), 0));
    // A home room per group with seats for it, then larger special rooms.
    std::vector<int> roomUse;
    for (int i = 0; i < groups + specialRooms; ++i) {
        const int seats = i < groups ? groupSize[static_cast<std::size_t>(i)] + draw(5) : 36;
        m_rooms.push_back(addCode("R" + std::to_string(i + 1),
                                  "Room " + std::to_string(i + 1) + " #" + std::to_string(seats),
                                  categoryBit(RoomCategory), 0));
        roomUse.push_back(0);
    }

    // Lessons: each group's share of the periods, cut into lessons of 1..4 periods a week.
    std::vector<int> teacherUse(static_cast<std::size_t>(teachers), 0);
    for (int gi = 0; gi < groups; ++gi) {
        int load = periods / groups + (gi < periods % groups ? 1 : 0);
        int subject = 0;
        while (load > 0) {
            const int perWeek = std::min(load, 1 + draw(4));
            load -= perWeek;
            Lesson lesson;
            lesson.group = gi;
            // A teacher with room for the lesson, else the least busy one.
            const int start = draw(teachers);
            int teacher = -1;
            for (int k = 0; k < teachers && teacher < 0; ++k) {
                const int t = (start + k) % teachers;
                if (teacherUse[static_cast<std::size_t>(t)] + perWeek <= teacherLoad)
                    teacher = t;
            }
            if (teacher < 0)
                teacher = static_cast<int>(std::min_element(teacherUse.begin(), teacherUse.end()) -
                                           teacherUse.begin());
            teacherUse[static_cast<std::size_t>(teacher)] += perWeek;
            lesson.teacher = teacher;
            // One lesson in five goes to a special room that still has time.
            lesson.room = gi;
            if (draw(5) == 0) {
                const int special = groups + draw(specialRooms);
                if (roomUse[static_cast<std::size_t>(special)] + perWeek <= roomLoad)
                    lesson.room = special;
            }
            roomUse[static_cast<std::size_t>(lesson.room)] += perWeek;
            // Doubles where the lesson has two or more periods and the draw says so.
            int left = perWeek;
            while (left > 0) {
                const int length = left >= 2 && draw(2) == 0 ? 2 : 1;
                lesson.blocks.push_back(length);
                left -= length;
            }
            lesson.code = addCode("E" + std::to_string(m_lessons.size() + 1),
                                  "Subject " + std::to_string(++subject) + " of group " +
                                      std::to_string(gi + 1),
                                  IsEventBit | categoryBit(1), perWeek * weeks);
            const CodeId members[3] = {m_groups[static_cast<std::size_t>(gi)],
                                       m_teachers[static_cast<std::size_t>(teacher)],
                                       m_rooms[static_cast<std::size_t>(lesson.room)]};
            m_d.collection[++m_d.collectionEntryCount] = lesson.code | CollectionMarkerBit;
            m_d.codes[lesson.code].collectionPos =
                static_cast<std::uint16_t>(m_d.collectionEntryCount);
            for (const CodeId member : members)
                m_d.collection[++m_d.collectionEntryCount] = member;
            m_d.codes[lesson.code].links = 3;
            ++m_d.collectionCount;
            const SlotCoding &s = m_d.coding;
            if (!m_plan.planted) {
                addLecture(lesson.code, LectureEventBit, s.pack(1, 0, 0),
                           s.pack(weeks, perWeek >> s.bellBits, perWeek & s.bellMask), 0);
                g.periodsPerWeek += perWeek;
            }
            m_lessons.push_back(std::move(lesson));
        }
    }

    // Unavailable teachers: a few bells at the start or the end of one day, in every week.
    m_unavailable.assign(static_cast<std::size_t>(teachers), {});
    for (int t = 0; t < teachers; ++t) {
        if (draw(100) >= m_plan.unavailablePercent)
            continue;
        const int day = 1 + draw(m_days);
        const int length = std::min(m_bells, 2 + draw(2));
        const int first = draw(2) == 0 ? 1 : m_bells - length + 1;
        const SlotCoding &s = m_d.coding;
        addLecture(m_teachers[static_cast<std::size_t>(t)], LectureBookingBit,
                   s.pack(1, day, first), s.pack(weeks, day, first + length - 1), 1);
        m_unavailable[static_cast<std::size_t>(t)][static_cast<std::size_t>(day)] |=
            ((1u << length) - 1) << (first - 1);
    }

    if (m_plan.planted) {
        placeWeek(1, g, false);
        const SlotCoding &s = m_d.coding;
        for (const Lesson &lesson : m_lessons) {
            const int perWeek = lesson.plantedPeriods;
            m_d.codes[lesson.code].planned = static_cast<std::uint16_t>(perWeek);
            if (perWeek > 0)
                addLecture(lesson.code, LectureEventBit, s.pack(1, 0, 0),
                           s.pack(1, perWeek >> s.bellBits, perWeek & s.bellMask), 0);
            g.periodsPerWeek += perWeek;
        }
        g.placed = 0;
        g.unplaced = g.periodsPerWeek;
    } else if (m_plan.place) {
        for (int w = 1; w <= weeks; ++w)
            placeWeek(w, g);
    }

    g.groups = groups;
    g.teachers = teachers;
    g.rooms = static_cast<int>(m_rooms.size());
    g.events = static_cast<int>(m_lessons.size());
    recount(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    rebuildLists(m_d);
    m_d.modified = false;
    return g;
}

// Random first-fit: each block starts its search at a random position of the week and takes the
// first position, in day and bell order from there, where the group, the teacher and the room
// are free and the lesson has no block yet that day.
void Generator::placeWeek(int week, GeneratedInstitution &g, bool store)
{
    using Busy = std::array<std::uint32_t, MaxDays + 1>;
    std::vector<Busy> groupBusy(m_groups.size()), roomBusy(m_rooms.size());
    std::vector<Busy> teacherBusy = m_unavailable;

    std::vector<int> order(m_lessons.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    for (int i = static_cast<int>(order.size()) - 1; i > 0; --i)
        std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(draw(i + 1))]);

    const int positions = m_days * m_bells;
    const SlotCoding &s = m_d.coding;
    for (const int li : order) {
        Lesson &lesson = m_lessons[static_cast<std::size_t>(li)];
        Busy &gb = groupBusy[static_cast<std::size_t>(lesson.group)];
        Busy &tb = teacherBusy[static_cast<std::size_t>(lesson.teacher)];
        Busy &rb = roomBusy[static_cast<std::size_t>(lesson.room)];
        std::uint32_t daysUsed = 0;
        for (const int length : lesson.blocks) {
            const int start = draw(positions);
            bool placed = false;
            for (int k = 0; k < positions && !placed; ++k) {
                const int p = (start + k) % positions;
                const int day = 1 + p / m_bells;
                const int bell = 1 + p % m_bells;
                if (bell + length - 1 > m_bells || (daysUsed & (1u << day)))
                    continue;
                const std::uint32_t bits = ((1u << length) - 1) << (bell - 1);
                const auto dd = static_cast<std::size_t>(day);
                if ((gb[dd] | tb[dd] | rb[dd]) & bits)
                    continue;
                gb[dd] |= bits;
                tb[dd] |= bits;
                rb[dd] |= bits;
                daysUsed |= 1u << day;
                if (store)
                    addLecture(lesson.code, LectureEventBit, s.pack(week, day, bell),
                               s.pack(week, day, bell + length - 1), 0);
                else
                    lesson.plantedPeriods += length;
                placed = true;
            }
            (placed ? g.placed : g.unplaced) += length;
        }
    }
}

} // namespace

InstitutionPlan smallInstitution(std::uint32_t seed)
{
    InstitutionPlan s;
    s.seed = seed;
    s.periodsPerWeek = 40;
    s.weeks = 1;
    return s;
}

InstitutionPlan mediumInstitution(std::uint32_t seed)
{
    InstitutionPlan s;
    s.seed = seed;
    s.periodsPerWeek = 400;
    s.weeks = 2;
    return s;
}

InstitutionPlan largeInstitution(std::uint32_t seed)
{
    InstitutionPlan s;
    s.seed = seed;
    s.periodsPerWeek = 1400;
    s.weeks = 2;
    return s;
}

GeneratedInstitution generateInstitution(ScheduleData &d, const InstitutionPlan &plan)
{
    Generator generator(d, plan);
    return generator.run();
}

} // namespace quivra
