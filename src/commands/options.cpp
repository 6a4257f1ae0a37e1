#include "commands/options.h"

#include "engine/codeedits.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "ui/prompter.h"

#include <algorithm>

namespace quivra {

namespace {

constexpr const char *ConflictQuestion =
    "Your changes in \"Options|Timetables\" may cause conflicts. Do you like to check and "
    "remove them now?";
constexpr const char *ConflictsLeft =
    "Some conflicts may exist in your data. To remove them, run \"Tools|Remove conflicts\".";
constexpr int OptionsConflictSource = 2; // counter of a declined check after this page

bool bitSet(std::uint8_t mask, int k)
{
    return (mask >> k) & 1u;
}

std::uint8_t withBit(std::uint8_t mask, int k, bool on)
{
    const auto bit = static_cast<std::uint8_t>(1u << k);
    return static_cast<std::uint8_t>(on ? mask | bit : mask & ~bit);
}

// Resource categories 1..7 that have at least one resource.
std::array<bool, MaxCategories + 1> populatedCategories(const ScheduleData &d)
{
    std::array<bool, MaxCategories + 1> has{};
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent())
            continue;
        const int k = categoryOf(d, static_cast<CodeId>(c));
        if (k >= 1 && k <= MaxCategories)
            has[static_cast<std::size_t>(k)] = true;
    }
    return has;
}

} // namespace

OptionsValues readOptions(const ScheduleData &d, const Settings &s)
{
    OptionsValues v;
    v.calendar = readCalendar(d);
    v.categories = readCategories(d);
    const std::uint8_t noTimetable = d.noTimetableMasks[ResourceMasks];
    const std::uint8_t noGaps = d.noGapsMasks[ResourceMasks];
    for (int k = 1; k <= MaxCategories; ++k) {
        v.preventConflicts[static_cast<std::size_t>(k)] = !bitSet(noTimetable, k);
        v.countGaps[static_cast<std::size_t>(k)] = !bitSet(noTimetable, k) && !bitSet(noGaps, k);
    }
    const auto &p = s.preferences;
    v.blockLength = std::clamp(p.blockSize, 1, MaxBells);
    v.eventBookingKind = std::clamp<int>(d.header.defaultEventBookingKind, 1, 3);
    v.resourceBookingKind = std::clamp<int>(d.header.defaultResourceBookingKind, 1, 3);
    v.bookingsOccupied = d.header.bookingsCountAsOccupied != 0;
    v.showMode = std::clamp(p.showMode, 1, 3);
    v.codeMode = std::clamp(p.codeMode, 1, 3);
    v.useColors = p.useColors;
    v.useCodeColors = p.useCodeColors;
    v.showSeats = p.capacityCheck;
    v.showInfo = p.showInfo;
    return v;
}

OptionsProblem validateOptions(const ScheduleData &d, const OptionsValues &v)
{
    if (auto message = validateLimits(d, v.calendar); !message.empty())
        return {OptionsPage::Limits, message};
    if (auto message = validateCalendar(d, v.calendar); !message.empty())
        return {OptionsPage::Time, message};
    if (auto message = validateCategories(d, v.categories); !message.empty())
        return {OptionsPage::Categories, message};
    return {};
}

OptionsApplied applyOptions(ScheduleData &d, Settings &s, const OptionsValues &v)
{
    OptionsApplied out;
    out.categoriesChanged = applyCategories(d, v.categories);
    out.calendarChanged = applyCalendar(d, v.calendar);
    const auto populated = populatedCategories(d);
    std::uint8_t noTimetable = d.noTimetableMasks[ResourceMasks];
    std::uint8_t noGaps = d.noGapsMasks[ResourceMasks];
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const bool wasOff = bitSet(noTimetable, k);
        noTimetable = withBit(noTimetable, k, !v.preventConflicts[i]);
        // Gaps of a timetable that is not kept mean nothing, so they are not counted either.
        noGaps = withBit(noGaps, k, !v.preventConflicts[i] || !v.countGaps[i]);
        if (wasOff && v.preventConflicts[i] && populated[i])
            out.conflictsPossible = true;
    }
    out.masksChanged = setResourceCategoryRules(d, noTimetable, noGaps);
    setBookingDefaults(d, v.eventBookingKind, v.resourceBookingKind, v.bookingsOccupied);

    auto &p = s.preferences;
    p.blockSize = std::clamp(v.blockLength, 1, MaxBells);
    p.showMode = std::clamp(v.showMode, 1, 3);
    p.codeMode = std::clamp(v.codeMode, 1, 3);
    p.useColors = v.useColors;
    p.useCodeColors = v.useCodeColors;
    p.capacityCheck = v.showSeats;
    p.showInfo = v.showInfo;
    return out;
}

ConflictReport settleConflicts(ScheduleData &d, Prompter &prompter, SweepDialogue &sweep,
                               Progress &progress, std::int32_t today)
{
    if (!prompter.yesNoDlg(ConflictQuestion)) {
        prompter.infoDlg(ConflictsLeft);
        noteConflictSource(d, OptionsConflictSource, today);
        return {};
    }
    // From week 1, removing, without the sweep's own question. The sweep marks the data set
    // modified when it stored a change.
    return conflictSweep(d, {1, SweepHandling::Remove}, sweep, progress);
}

} // namespace quivra
