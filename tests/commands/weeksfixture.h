#pragma once

// What the tests of the Weeks view's commands share: a data set each test builds, scripted
// dialogs, and an event's week allocation looked up by its code.

#include "engine/codetable.h"
#include "engine/lecturestore.h"
#include "support/fixture.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

namespace quivra::testing {

class WeeksTest : public ::testing::Test
{
public:
    WeeksTest() : d(makeScheduleData()), p(ui) {}

    CodeId id(std::string_view code) const { return findCode(*d, code); }
    WeekAllocation load(std::string_view code) const
    {
        WeekAllocation wa;
        loadWeekAllocation(*d, id(code), wa);
        return wa;
    }

    std::unique_ptr<ScheduleData> d;
    ScriptedDialogs ui;
    Prompter p;
};

} // namespace quivra::testing
