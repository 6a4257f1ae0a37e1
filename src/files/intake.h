#pragma once

// Intake scheduling: the open data set taken as the pattern of one intake of a programme, and
// one data set built from it in which the programme runs once per intake. Each intake is a copy
// of every event and of the resources of one category, its codes marked ("MATH1~b") and its
// lectures shifted to the intake's starting week; every other resource is shared.
//
// The intakes are built and merged in memory, the way files would carry them: intake 1 through
// the data file's bytes, every later intake added to it through its text exchange text with the
// rule "Add everything". Then the conflict sweep removes the cells the overlapping intakes
// fight over. Nothing is written to disk, so no file of the user's is touched.
//
// Every intake is marked from the pattern's own codes, so a code the user wrote with a "~"
// keeps it, and a code too long for its marker loses characters of its base, never of the
// marker. Codes that would not be unique refuse the whole build.

#include "engine/conflicts.h"
#include "engine/result.h"
#include "engine/scheduledata.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

// The four marker forms, numbered as the format question offers them.
enum class IntakeForm : int {
    PostfixLetter = 1, // MATH1~a
    PrefixLetter = 2,  // a~MATH1
    PostfixNumber = 3, // MATH1~1
    PrefixNumber = 4,  // 1~MATH1
};

constexpr int MaxIntakes = 26;

// The marker of intake j (1..26): "~a", "a~", "~1" or "1~".
std::string intakeMarker(IntakeForm form, int j);
// `base` marked for intake j, the base cut so that the whole stays within 15 characters.
std::string intakeCode(std::string_view base, IntakeForm form, int j);
// "Plan~a" style name of intake j's file for the pattern file `stem` (no folder, no extension).
std::string intakeFileStem(std::string_view stem, IntakeForm form, int j);

// The weeks one intake lasts: the last week the pattern uses.
int intakeLength(const ScheduleData &d);
// How many intakes fit: the code table must hold every copy, the calendar every shifted one,
// and there are 26 letters.
int largestIntakeCount(const ScheduleData &d, int category);

struct IntakePlan
{
    int category = 0; // resource category copied per intake
    IntakeForm form = IntakeForm::PostfixLetter;
    std::vector<int> startWeeks; // ascending, the first is 1
};

struct IntakeResult
{
    std::unique_ptr<ScheduleData> merged;
    int intakes = 0;
    int weeks = 0;            // the last intake's start + intake length - 1
    ConflictReport conflicts; // the sweep after the merge: cells removed
    int linesSkipped = 0;     // text lines the merge could not use (none expected)
};

// Refuses (Refused) when the plan is not one the pattern allows: fewer than two intakes, a
// start week out of order or beyond the calendar, more intakes than fit, or marked codes that
// would repeat another code (the detail names them).
Result<void> checkIntakePlan(const ScheduleData &pattern, const IntakePlan &plan);

// Intake j of the plan (1-based) as a data set of its own: the pattern marked and shifted.
Result<std::unique_ptr<ScheduleData>> buildIntake(const ScheduleData &pattern,
                                                  const IntakePlan &plan, int j);

// Every intake built and merged; the pattern is left as it is.
Result<IntakeResult> mergeIntakes(const ScheduleData &pattern, const IntakePlan &plan);

} // namespace quivra
