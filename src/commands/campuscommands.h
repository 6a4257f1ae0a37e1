#pragma once

// The campus exchange's commands (File|PeopleSoft) and the campus check (Tools): adding a text
// file the administration system wrote, the three exports, the role categories, and the days on
// which a resource has to be at two campuses (reports/campus.h).

#include "commands/session.h"
#include "reports/campus.h"

namespace quivra {

constexpr int CampusCheckHelp = 40150;

// The roles as the settings and the data set hold them.
CampusRoles campusRoles(const Session &s);

// "Add text file (from Campus Solutions).qvx": the file added with the rule "Add everything",
// its holidays applied, then the conflicts removed from week 1; the message says how many cells
// went. Into an empty frame the file starts a new untitled data set.
bool campusAddTextFile(Session &s);

// One of the three exports: the layout (when not given), the target file, the weeks.
bool campusExportFile(Session &s, int kind = 0);

// "Define categories": rooms, lecturers, invigilators, students and exams, in that order.
// Cancelling one of the first four keeps the roles already set.
bool defineCampusCategories(Session &s);

// Tools|Check for campus collisions. Reads only.
void checkCampusCollisions(Session &s);

} // namespace quivra
