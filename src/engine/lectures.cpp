// Placeholder bodies; replaced by the real implementation.
#include "engine/lectures.h"

namespace quivra {

MemberList getCollection(ScheduleData &d, int event)
{ return {}; }

MemberList collectionOf(const ScheduleData &d, int event)
{ return {}; }

int setCollection(ScheduleData &d, int event, const MemberList &members)
{ return {}; }

int positionInList(int c, const MemberList &members)
{ return {}; }

int countInCategory(const ScheduleData &d, int category, const MemberList &members)
{ return {}; }

CodeId memberOfCategory(const ScheduleData &d, int category, int k, const MemberList &members)
{ return {}; }

void keepCategories(const ScheduleData &d, std::uint8_t mask, MemberList &members)
{}

void dropNoTimetable(const ScheduleData &d, MemberList &members)
{}

void sortMembers(ScheduleData &d, bool dedupe, bool ascending, MemberList &members)
{}

bool replaceMember(ScheduleData &d, int event, int oldResource, int newResource)
{ return {}; }

bool exchangeMembers(ScheduleData &d, int eventA, int a, int eventB, int b)
{ return {}; }

CodeId eventsOfResource(const ScheduleData &d, int resource, int &cursor)
{ return {}; }

LectureView unpackLecture(ScheduleData &d, int index)
{ return {}; }

void packLecture(ScheduleData &d, int index, const LectureView &view)
{}

int appendLecture(ScheduleData &d, const LectureView &view, int kind)
{ return {}; }

void removeLecturesOf(ScheduleData &d, int c)
{}

int loadWeekAllocation(ScheduleData &d, int c, WeekAllocation &wa)
{ return {}; }

void compactLectures(ScheduleData &d)
{}

void mergeLectures(ScheduleData &d)
{}

std::int32_t totals(ScheduleData &d, int first, int last, bool plannedFromAllocated)
{ return {}; }

void resourceTotals(ScheduleData &d, int r)
{}

void allResourceTotals(ScheduleData &d)
{}

void recount(ScheduleData &d)
{}

int seats(const ScheduleData &d, int c, int category)
{ return {}; }

int freeSeats(const ScheduleData &d, int event, int room)
{ return {}; }

} // namespace quivra
