#include "commands/optimisecommands.h"

#include "engine/random.h"
#include "files/settings.h"

#include <algorithm>

namespace quivra {

namespace {

int categoryOrDefault(int k, int fallback)
{
    return k >= 1 && k <= MaxCategories ? k : fallback;
}

} // namespace

// ---- Settings --------------------------------------------------------------------------------

OptimisationSessionSettings optimisationSessionSettings(const ScheduleData &d, const Settings &s,
                                                        std::int32_t today)
{
    const Settings::Optimize &z = s.optimize;
    OptimisationSessionSettings o;
    o.initial = defaultInitialSettings(d);
    o.includeLocked = z.locked;
    o.bookings = z.bookings;
    o.complete = z.complete;
    o.initial.mode = z.mode & 15;
    o.initial.minSeq = std::clamp(z.minSeq, 0, MaxBells);
    o.initial.maxSeq = std::clamp(z.maxSeq, 0, MaxBells);
    o.initial.maxRepeats = std::clamp(z.maxRepeats, 0, MaxDays);
    o.initial.blockSlotsNum = std::clamp(z.blockSlotsNum, 0, 15);
    const auto seed = static_cast<std::uint32_t>(loadedSeed(z.randSeed, today));
    o.initial.seed = seed;
    o.optimiser.seed = seed;
    o.optimiser.methods = z.methods;
    o.optimiser.maxSeconds = std::clamp(z.seconds, 0, Settings::Optimize::MaxSeconds);
    o.optimiser.mode = z.mode & (ModeOneBlockPerDay | ModeBalancedDays);
    for (int k = 1; k <= MaxCategories; ++k)
        o.optimiser.gapWeights[static_cast<std::size_t>(k)] =
            std::clamp(z.gapWeight[static_cast<std::size_t>(k)], 0, 9);
    for (const auto &[key, value] : z.blocks) {
        const int bell = key / 10;
        const int day = key % 10;
        if (bell >= 1 && bell <= MaxBells && day >= 1 && day <= MaxDays)
            o.initial.slotBlocks[static_cast<std::size_t>(bell)][static_cast<std::size_t>(day)] =
                static_cast<std::uint16_t>(std::clamp(value, 0, 0xffff));
    }
    const std::size_t patterns = std::min<std::size_t>(z.initial.size(), MaxPatterns);
    o.patterns.assign(z.initial.begin(), z.initial.begin() + static_cast<long>(patterns));
    // Exam scheduling: on or off as the open file last had it; the categories from the settings.
    o.initial.exam.on = d.examMode;
    o.initial.exam.twoDays = d.examTwoDays;
    o.initial.exam.eventCategory = categoryOrDefault(s.preferences.examCategory, 6);
    o.initial.exam.studentsCategory = categoryOrDefault(s.preferences.studentsCategory, 5);
    return o;
}

void storeOptimisationSessionSettings(const OptimisationSessionSettings &o, ScheduleData &d,
                                      Settings &s)
{
    d.examMode = o.initial.exam.on;
    d.examTwoDays = o.initial.exam.twoDays;
    s.preferences.examCategory = o.initial.exam.eventCategory;
    s.preferences.studentsCategory = o.initial.exam.studentsCategory;
    Settings::Optimize &z = s.optimize;
    z.locked = o.includeLocked;
    z.bookings = o.bookings;
    z.complete = o.complete;
    z.mode = o.initial.mode & 15;
    z.methods = o.optimiser.methods;
    z.seconds = static_cast<int>(
        std::clamp(o.optimiser.maxSeconds, 0.0, double{Settings::Optimize::MaxSeconds}));
    z.minSeq = o.initial.minSeq;
    z.maxSeq = o.initial.maxSeq;
    z.maxRepeats = o.initial.maxRepeats;
    z.blockSlotsNum = o.initial.blockSlotsNum;
    z.randSeed = static_cast<std::int32_t>(o.initial.seed);
    for (int k = 1; k <= MaxCategories; ++k)
        z.gapWeight[static_cast<std::size_t>(k)] =
            o.optimiser.gapWeights[static_cast<std::size_t>(k)];
    for (int bell = 1; bell <= MaxBells; ++bell)
        for (int day = 1; day <= MaxDays; ++day) {
            const int value =
                o.initial.slotBlocks[static_cast<std::size_t>(bell)][static_cast<std::size_t>(day)];
            const int key = bell * 10 + day;
            if (value != 0 || z.blocks.contains(key))
                z.blocks[key] = value;
        }
    z.initial.assign(o.patterns.begin(), o.patterns.end());
}

void PromptedToolDialogue::inform(const std::string &text)
{
    m_prompter.infoDlg(text);
}

bool PromptedToolDialogue::askYesNo(const std::string &question)
{
    return m_prompter.yesNoDlg(question);
}

ToolDialogue::Answer PromptedToolDialogue::askYesNoCancel(const std::string &question)
{
    const int a = m_prompter.yesNoCancelDlg(question);
    return a == quivra::Answer::Yes  ? Answer::Yes
           : a == quivra::Answer::No ? Answer::No
                                     : Answer::Cancel;
}

std::optional<std::vector<CodeId>>
PromptedToolDialogue::pickEvents(const std::string &title, const std::vector<CodeId> &offered)
{
    std::vector<CodeId> preset;
    for (const CodeId c : offered)
        if (m_d.codes[c].flags & 1)
            preset.push_back(c);
    if (preset.empty())
        preset = offered;
    return m_prompter.pickAmong(m_d, title, offered, preset);
}

std::optional<CodeId> PromptedToolDialogue::pickEvent(const std::string &title,
                                                      const std::vector<CodeId> &offered,
                                                      const std::vector<std::string> &lines)
{
    const CodeId chosen = m_prompter.chooseAmong(m_d, title, offered, lines);
    return chosen != 0 ? std::optional<CodeId>(chosen) : std::nullopt;
}

std::optional<int> PromptedToolDialogue::pickWeek(const std::string &question, int preset,
                                                  int first, int last)
{
    const int w = m_prompter.pickWeek(m_d, preset, question, last, first);
    return w > 0 ? std::optional<int>(w) : std::nullopt;
}

std::optional<int> PromptedToolDialogue::pickCategory(const std::string &title, bool events,
                                                      int preset)
{
    CategoryChoiceOptions options;
    options.events = events;
    const int k = m_prompter.categoryChoice(m_d, title, 0, preset, options);
    return k >= 1 && k <= MaxCategories ? std::optional<int>(k) : std::nullopt;
}

} // namespace quivra
