#include "engine/scheduledata.h"

#include "engine/calendar.h"

#include <algorithm>

namespace quivra {

namespace {

template <typename A>
void zero(A &array)
{
    std::fill(array.begin(), array.end(), typename A::value_type{});
}

} // namespace

int compareBytes(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::unique_ptr<ScheduleData> makeScheduleData()
{
    auto d = std::make_unique<ScheduleData>();
    clearScheduleData(*d);
    return d;
}

void clearScheduleData(ScheduleData &d)
{
    zero(d.codes);
    d.codeCount = 0;
    zero(d.eventList);
    zero(d.resourceList);
    d.listsSorted = false;

    d.eventCategories.clear();
    d.eventCategories.assign(DefaultEventCategories);
    d.resourceCategories.clear();
    d.resourceCategories.assign(DefaultResourceCategories);
    d.bookingKinds.clear();
    d.bookingKinds.assign(DefaultBookingKinds);
    d.visibleMasks = {255, 255, 255};
    d.noTimetableMasks = {};
    d.noGapsMasks = {};
    d.roomsCategory = 3;
    d.subjectsCategory = 4;
    d.vocabulary = DefaultVocabulary;

    d.currentWeek = 1;
    d.firstWeekDate = 0;
    d.calendarMode = 0;
    d.averageDivider = 0;
    setSlotCoding(d, 8, 3, 5, 255, 7, 30);
    resetCalendar(d);
    d.optimiseRange = TimeRange{};

    zero(d.collection);
    d.collectionEntryCount = 0;
    d.collectionCount = 0;

    zero(d.lectureWord);
    zero(d.lectureStart);
    zero(d.lectureEnd);
    zero(d.bookingKind);
    d.lectureCount = 0;

    zero(d.manualRooms);
    zero(d.manualRoomSettings);

    d.comments.clear();
    d.memos.clear();
    zero(d.roles);
    d.roleCount = 0;
    zero(d.assignments);
    d.assignmentCount = 0;
    d.rolesOn = true;

    for (auto &t : d.reportTitles)
        t.clear();
    d.description.clear();
    d.reserved131.clear();
    d.reserved132.clear();
    zero(d.reserved26);
    zero(d.usageCounters);
    d.header = FileHeaderState{};

    d.counters = StoreCounters{};
    d.facts = RecountFacts{};
    zero(d.weekSpan);

    d.currentCode = 0;
    d.currentEvent = 0;
    d.lockOthersResource = 0;
    d.modified = false;
    d.examMode = false;
    d.examTwoDays = false;
}

} // namespace quivra
