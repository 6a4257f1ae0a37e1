#include "commands/options.h"

#include "commands/conflictcheck.h"
#include "engine/codetable.h"
#include "engine/dump.h"
#include "support/fixture.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "ui/scripteddialogs.h"

#include <gtest/gtest.h>

namespace quivra {
namespace {

constexpr int G = 1, T = 2, R = 3; // resource categories of twoEventsInOneRoom()

int scheduledOf(const ScheduleData &d, const char *code)
{
    return d.codes[findCode(d, code)].scheduled;
}

TEST(Options, MasksFollowTheValuesAndAnUnchangedPageChangesNothing)
{
    auto d = twoEventsInOneRoom();
    Settings settings;
    const std::string before = dumpScheduleData(*d);
    const OptionsValues read = readOptions(*d, settings);
    EXPECT_TRUE(read.preventConflicts[G] && read.countGaps[G]);
    EXPECT_FALSE(read.preventConflicts[R] || read.countGaps[R]);
    EXPECT_FALSE(applyOptions(*d, settings, read).masksChanged);
    EXPECT_FALSE(d->modified);
    EXPECT_EQ(dumpScheduleData(*d), before);

    // Teachers stop being checked: their gaps go with it, and their resources are marked.
    OptionsValues v = read;
    v.preventConflicts[T] = false;
    v.countGaps[G] = false;
    const OptionsApplied applied = applyOptions(*d, settings, v);
    EXPECT_TRUE(applied.masksChanged);
    EXPECT_FALSE(applied.conflictsPossible); // only switched off
    EXPECT_EQ(d->noTimetableMasks[1], (1 << T) | (1 << R) | (1 << 4));
    EXPECT_EQ(d->noGapsMasks[1], (1 << G) | (1 << T) | (1 << R) | (1 << 4));
    EXPECT_TRUE(d->codes[findCode(*d, "T1")].flags & NoTimetableBit);
    EXPECT_TRUE(d->modified);

    // Out of range values are clamped.
    v.eventBookingKind = 9;
    v.resourceBookingKind = 0;
    v.codeMode = 7;
    v.blockLength = 0;
    applyOptions(*d, settings, v);
    EXPECT_EQ(d->header.defaultEventBookingKind, 3);
    EXPECT_EQ(d->header.defaultResourceBookingKind, 1);
    EXPECT_EQ(settings.preferences.codeMode, 3);
    EXPECT_EQ(settings.preferences.blockSize, 1);

    // SEATS in the Events view is the settings' capacity check.
    v.showSeats = true;
    applyOptions(*d, settings, v);
    EXPECT_TRUE(settings.preferences.capacityCheck);
    EXPECT_TRUE(readOptions(*d, settings).showSeats);
}

TEST(Options, SwitchingCheckingOnForACategoryWithResourcesSettlesItsConflicts)
{
    for (const bool sweepNow : {true, false}) {
        auto d = twoEventsInOneRoom();
        Settings settings;
        OptionsValues v = readOptions(*d, settings);
        v.preventConflicts[R] = true;
        v.preventConflicts[4] = true; // no resources: nothing to fear from it alone
        ASSERT_TRUE(applyOptions(*d, settings, v).conflictsPossible);
        d->modified = false;

        ScriptedDialogs ui;
        ui.expect("may cause conflicts").answer(sweepNow ? Answer::Yes : Answer::No);
        if (sweepNow)
            ui.expect("Clipboard").answer(Answer::No);
        else
            ui.expect("Tools|Remove conflicts").answer(Answer::Ok);
        Prompter prompter(ui);
        NullProgress progress;
        MemoryClipboard clipboard;
        PromptedSweep sweep(prompter, &clipboard);
        const ConflictReport report = settleConflicts(*d, prompter, sweep, progress, 0x12345);
        EXPECT_TRUE(ui.finished()) << ui.problems();
        // MATH comes first and keeps its periods; ENG loses the shared cells.
        EXPECT_EQ(report.removed, sweepNow ? 2 : 0);
        EXPECT_EQ(scheduledOf(*d, "MATH"), 2);
        EXPECT_EQ(scheduledOf(*d, "ENG"), sweepNow ? 0 : 2);
        EXPECT_TRUE(d->modified);
        // A declined check is noted, dated with the low half of the day number.
        EXPECT_EQ(d->header.conflictSourceCounters[2], sweepNow ? 0 : (1 << 16) | 0x2345);
    }
}

} // namespace
} // namespace quivra
