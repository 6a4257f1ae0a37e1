#pragma once

// File statistics: one line of figures per data file of a folder, for comparing many data files
// at a glance (started with a file pattern such as "data/*.qvf" as the first argument).
//
// The report "stats.txt" is written beside the files, one ";"-separated line per valid data file
// after a header line. Per file: its name, description, size in bytes, age in whole days and
// modification time, the weeks, days and bells in use and the last week, day and bell that hold
// lectures, then
//   LSize[0..4]          codes, lecture entries, collection entries, manual-room triples,
//                        role assignments;
//   Size[10..30]         longest code and name, real weeks, planned, allocated, scheduled,
//                        week-booked and table-booked totals, largest timetable, booked cells of
//                        kinds 1..3, roles, comments, memos, collections, wrong collection
//                        entries, events, resources, timetabled resources and codes with
//                        lectures;
//   AttrS[0,n], AttrS[1,n]  events and resources of category n (0: all);
//   XTrace[0..63]        the usage counters kept in the file;
//   P[0..255]            timetable lectures by block size (cells: weeks x days x bells; the
//                        last column counts every block of 255 cells or more).
// Each file is read into a data set of its own, tidied and recounted; nothing is written back.

#include "commands/session.h"

#include <string>

namespace quivra {

// Where the report for `pattern` goes: "stats.txt" in the pattern's folder.
std::string fileStatisticsPath(const std::string &pattern);
// The header line of the report (without its line break).
std::string fileStatisticsHeader();

// Writes the report for the data files matching `pattern` ("*" and "?" in its file name part,
// compared without regard to ASCII case) to "stats.txt" in the pattern's folder, showing each
// file on the status line as it is read. Files that are
// not valid data files are left out. Returns the number of files listed, -1 when the report
// could not be written (and says so).
int writeFileStatistics(Session &s, const std::string &pattern);

} // namespace quivra
