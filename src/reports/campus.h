#pragma once

// The campus exchange: the scheduled meetings written as semicolon-separated lines in three
// layouts for a student administration system, and the campus check, which finds the days on
// which a resource has to be at two campuses.
//
// Fields are separated by ";" and nothing is quoted, so a ";" (or a line break) inside a code,
// a bell name or a date is written as "_": no text can shift the fields after it.
//
// A room's campus is the run of letters, digits and "_" after the first "@" in its name:
// "Laboratory @Research_Campus" is at "Research_Campus", "Lab @North-Wing" at "North". Campus
// names are compared with regard to case.

#include "engine/scheduledata.h"

#include <bitset>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

// Which resource (and event) categories play which part. Exams 0: every event is an exam.
struct CampusRoles
{
    int rooms = 3;
    int lecturers = 2;
    int invigilators = 2;
    int students = 5;
    int exams = 6;
};

enum class CampusExportKind : int { NewCourse = 1, Exams = 2, Exams2 = 3 };

// "Campus Solutions (Schedule New Course).csv" and the two others.
std::string campusExportName(CampusExportKind kind);

struct CampusExport
{
    std::string text; // lines ended by CR LF
    int lines = 0;
    int fieldsCleaned = 0; // fields that held a ";" or a line break
};

// The lines of `kind` for the weeks in `weeks` (1..end of what is scheduled). Dates are written
// with `dateFormat` (the "Date2" setting) when the weeks are dated, else the week number
// stands in the date field; a dated week that stands for several real weeks gives its lines
// once per real week. Events without the resources a layout needs write nothing.
CampusExport campusExport(const ScheduleData &d, CampusExportKind kind, const CampusRoles &roles,
                          const std::bitset<WeekTableSize> &weeks, std::string_view dateFormat);

// The campus of a room's name; empty when it has none.
std::string campusOf(std::string_view name);

struct CampusFigures
{
    std::string name;
    int scheduled = 0;
    int allocated = 0;
    int links = 0;
};
struct CampusSummary
{
    std::vector<CampusFigures> campuses; // in order of first appearance
    int roomsWithCampus = 0;
    int rooms = 0;
};
CampusSummary campusSummary(const ScheduleData &d, int roomsCategory);

struct CampusCollision
{
    int week = 0, day = 0;
    CodeId resource = 0;
    CodeId eventA = 0, roomA = 0;
    CodeId eventB = 0, roomB = 0;
};
constexpr int MaxCampusCollisions = 10920;
struct CampusCheck
{
    std::vector<CampusCollision> collisions;
    bool truncated = false; // more collisions than the list holds
};

// The days of weeks first..last on which a resource of `resources` meets rooms at two or more
// campuses. Rooms themselves and resources without timetables are passed over.
CampusCheck campusCollisions(const ScheduleData &d, const std::vector<CodeId> &resources,
                             int roomsCategory, int firstWeek, int lastWeek);

// "   1: 13.01.2025 T1: E1 (R1) <> E2 (R2)"; the date with dated weeks of length 1, else the
// week and the day's first three letters.
std::string campusCollisionLine(const ScheduleData &d, int number, const CampusCollision &c,
                                std::string_view dateFormat);

} // namespace quivra
