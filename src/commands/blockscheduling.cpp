#include "commands/blockscheduling.h"

#include "commands/textfill.h"
#include "engine/calendar.h"
#include "engine/conflicts.h"
#include "engine/lecturestore.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quivra {
namespace {

// The pattern index of a slot; -1 outside the coding.
int slotIndex(const ScheduleData &d, int day, int bell)
{
    const int days = std::min(d.coding.dayLimit, MaxDays);
    const int bells = std::min(d.coding.bellLimit, MaxBells);
    if (day < 1 || day > days || bell < 1 || bell > bells)
        return -1;
    return (bell - 1) * days + day - 1;
}

bool isSymbol(char c)
{
    return c != '\0' && BlockSymbols.find(c) != std::string_view::npos;
}

int daysInUse(const ScheduleData &d)
{
    return std::clamp(usedDays(d), 0, MaxDays);
}

int bellsInUse(const ScheduleData &d)
{
    return std::clamp(usedBells(d), 0, MaxBells);
}

} // namespace

char blockSymbol(const ScheduleData &d, const BlockPatternMap &patterns, int week, int day,
                 int bell)
{
    const int i = slotIndex(d, day, bell);
    const auto at = patterns.find(week);
    if (i < 0 || at == patterns.end() || static_cast<std::size_t>(i) >= at->second.size())
        return NoBlock;
    const char c = at->second[static_cast<std::size_t>(i)];
    return isSymbol(c) ? c : NoBlock;
}

bool setBlockSymbol(const ScheduleData &d, BlockPatternMap &patterns, int week, int day, int bell,
                    char symbol)
{
    const int i = slotIndex(d, day, bell);
    if (i < 0 || week < 0 || week > MaxWeeks)
        return false;
    std::string &pattern = patterns[week];
    if (pattern.size() <= static_cast<std::size_t>(i))
        pattern.resize(static_cast<std::size_t>(i) + 1, NoBlock);
    pattern[static_cast<std::size_t>(i)] = isSymbol(symbol) ? symbol : NoBlock;
    return true;
}

int symbolCount(const ScheduleData &d, const BlockPatternMap &patterns, int week, char symbol)
{
    int count = 0;
    for (int bell = 1; bell <= bellsInUse(d); ++bell)
        for (int day = 1; day <= daysInUse(d); ++day)
            count += blockSymbol(d, patterns, week, day, bell) == symbol ? 1 : 0;
    return count;
}

bool blockIsFree(const ScheduleData &d, const BlockPatternMap &patterns, int week, char symbol,
                 const FreeCells &scores)
{
    if (!isSymbol(symbol))
        return false;
    int slots = 0;
    for (int bell = 1; bell <= bellsInUse(d); ++bell)
        for (int day = 1; day <= daysInUse(d); ++day) {
            if (blockSymbol(d, patterns, week, day, bell) != symbol)
                continue;
            ++slots;
            if (scores.score[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] == 0)
                return false;
        }
    return slots > 0;
}

void restrictToBlock(const ScheduleData &d, const BlockPatternMap &patterns, int week, char symbol,
                     FreeCells &scores)
{
    for (int day = 1; day <= MaxDays; ++day) {
        auto &column = scores.score[static_cast<std::size_t>(day)];
        for (int bell = 1; bell <= MaxBells; ++bell)
            if (day > daysInUse(d) || bell > bellsInUse(d) ||
                blockSymbol(d, patterns, week, day, bell) != symbol)
                column[static_cast<std::size_t>(bell)] = 0;
        // The runs follow the scores.
        auto &run = scores.run[static_cast<std::size_t>(day)];
        run[MaxBells + 1] = 0;
        for (int bell = MaxBells; bell >= 1; --bell)
            run[static_cast<std::size_t>(bell)] =
                static_cast<std::uint8_t>(column[static_cast<std::size_t>(bell)] > 0
                                              ? run[static_cast<std::size_t>(bell) + 1] + 1
                                              : 0);
    }
}

bool markEventBlock(const ScheduleData &d, BlockPatternMap &patterns, int week, CodeId e,
                    char symbol)
{
    WeekTimetable t;
    weekTimetableOf(d, e, week, t);
    std::array<bool, 256> used{};
    bool refused = false;
    for (int bell = 1; bell <= MaxBells; ++bell)
        for (int day = 1; day <= MaxDays; ++day) {
            const char c = blockSymbol(d, patterns, week, day, bell);
            if (c == NoBlock)
                continue;
            used[static_cast<unsigned char>(c)] = true;
            const CellWord w = t.cell(day, bell);
            if (day <= daysInUse(d) && bell <= bellsInUse(d) && w != 0 && !isBookingCell(w) &&
                cellCode(d, w) == e)
                refused = true;
        }
    if (refused)
        return false;
    if (symbol == '+') {
        symbol = NoBlock;
        for (const char c : BlockSymbols)
            if (!used[static_cast<unsigned char>(c)]) {
                symbol = c;
                break;
            }
        if (symbol == NoBlock)
            return false;
    }
    if (!isSymbol(symbol))
        return true;
    for (int bell = 1; bell <= bellsInUse(d); ++bell)
        for (int day = 1; day <= daysInUse(d); ++day) {
            const CellWord w = t.cell(day, bell);
            if (w != 0 && !isBookingCell(w) && cellCode(d, w) == e)
                setBlockSymbol(d, patterns, week, day, bell, symbol);
        }
    return true;
}

void randomBlocks(const ScheduleData &d, BlockPatternMap &patterns, int week, int blocks,
                  int periods, Random &random)
{
    const int days = daysInUse(d);
    const int bells = bellsInUse(d);
    if (days < 1 || bells < 1)
        return;
    constexpr int WorkBells = 30;
    // grid[day][bell], 1-based; last[day] = the day's last filled bell.
    std::array<std::array<char, WorkBells + 1>, MaxDays + 1> grid{};
    for (auto &column : grid)
        column.fill(NoBlock);
    std::array<int, MaxDays + 1> last{};
    int day = 1, bell = 1;
    blocks = std::clamp(blocks, 0, static_cast<int>(BlockSymbols.size()));
    for (int k = 0; k < blocks; ++k)
        for (int n = 0; n < periods && bell <= WorkBells; ++n) {
            grid[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] =
                BlockSymbols[static_cast<std::size_t>(k)];
            last[static_cast<std::size_t>(day)] = bell;
            if (++day > days) {
                day = 1;
                ++bell;
            }
        }
    const auto pick = [&](int n) {
        return static_cast<int>(random.below(static_cast<std::uint32_t>(n)));
    };
    // Shuffle whole days.
    for (int i = 100 + pick(100); i > 0; --i) {
        const int a = 1 + pick(days), b = 1 + pick(days);
        if (a != b) {
            std::swap(grid[static_cast<std::size_t>(a)], grid[static_cast<std::size_t>(b)]);
            std::swap(last[static_cast<std::size_t>(a)], last[static_cast<std::size_t>(b)]);
        }
    }
    // Rotate the filled bells of single days.
    for (int i = 100 + pick(100); i > 0; --i) {
        const auto dd = static_cast<std::size_t>(1 + pick(days));
        const bool up = pick(2) == 0;
        auto &column = grid[dd];
        const int n = last[dd];
        if (n < 2)
            continue;
        if (up && column[1] != column[2]) {
            const char first = column[1];
            for (int b = 1; b < n; ++b)
                column[static_cast<std::size_t>(b)] = column[static_cast<std::size_t>(b) + 1];
            column[static_cast<std::size_t>(n)] = first;
        } else if (!up &&
                   column[static_cast<std::size_t>(n)] != column[static_cast<std::size_t>(n) - 1]) {
            const char lastCell = column[static_cast<std::size_t>(n)];
            for (int b = n; b > 1; --b)
                column[static_cast<std::size_t>(b)] = column[static_cast<std::size_t>(b) - 1];
            column[1] = lastCell;
        }
    }
    for (int b = 1; b <= std::min(bells, WorkBells); ++b)
        for (int dd = 1; dd <= days; ++dd)
            setBlockSymbol(d, patterns, week, dd, b,
                           grid[static_cast<std::size_t>(dd)][static_cast<std::size_t>(b)]);
}

std::string copyPattern(const ScheduleData &d, const BlockPatternMap &patterns, int week)
{
    std::string text;
    for (int bell = 1; bell <= bellsInUse(d); ++bell) {
        for (int day = 1; day <= daysInUse(d); ++day) {
            text += blockSymbol(d, patterns, week, day, bell);
            text += '\t';
        }
        text += "\r\n";
    }
    return text;
}

void pastePattern(const ScheduleData &d, BlockPatternMap &patterns, int week, std::string_view text)
{
    int bell = 1;
    while (bell <= bellsInUse(d) && !text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        int day = 1;
        while (day <= daysInUse(d)) {
            const std::size_t tab = line.find('\t');
            const std::string_view cell = line.substr(0, tab);
            const bool symbol = !cell.empty() && BlockSymbols.find(cell) != std::string_view::npos;
            setBlockSymbol(d, patterns, week, day, bell, symbol ? cell.front() : NoBlock);
            ++day;
            if (tab == std::string_view::npos)
                line = {};
            else
                line = line.substr(tab + 1);
        }
        ++bell;
    }
}

// ----- the dialog
// ---------------------------------------------------------------------------------

BlockSchedulingEditor::BlockSchedulingEditor(ScheduleData &d, BlockPatternMap &patterns, int week,
                                             bool applyBlocks)
    : m_d(d), m_patterns(patterns), m_opened(patterns),
      m_week(std::clamp(week, 1, std::max(usedWeeks(d), 1))), m_apply(applyBlocks),
      m_blocks(daysInUse(d))
{}

void BlockSchedulingEditor::setWeek(int week)
{
    m_week = std::clamp(week, 1, std::max(usedWeeks(m_d), 1));
}

char BlockSchedulingEditor::symbol(int day, int bell) const
{
    return blockSymbol(m_d, m_patterns, m_week, day, bell);
}

void BlockSchedulingEditor::setSymbol(int day, int bell, char symbol)
{
    if (day < 1 || day > daysInUse(m_d) || bell < 1 || bell > bellsInUse(m_d))
        return;
    const char upper =
        symbol >= 'a' && symbol <= 'z' ? static_cast<char>(symbol - 'a' + 'A') : symbol;
    setBlockSymbol(m_d, m_patterns, m_week, day, bell, upper);
}

std::string BlockSchedulingEditor::status(int day, int bell) const
{
    const char c = symbol(day, bell);
    return fillIn("{} x \"{}\"", symbolCount(m_d, m_patterns, m_week, c), std::string(1, c));
}

void BlockSchedulingEditor::clear()
{
    m_patterns[m_week] =
        std::string(static_cast<std::size_t>(std::min(m_d.coding.dayLimit, MaxDays) *
                                             std::min(m_d.coding.bellLimit, MaxBells)),
                    NoBlock);
}

bool BlockSchedulingEditor::random(Prompter &p, Random &random)
{
    const int slots = daysInUse(m_d) * bellsInUse(m_d);
    // No more blocks than slots, so every block gets at least one period.
    const int maxBlocks = std::min(
        {std::min(m_d.coding.bellLimit, MaxBells), slots, static_cast<int>(BlockSymbols.size())});
    if (maxBlocks < 1)
        return false;
    std::string list;
    for (int b = 1; b <= maxBlocks; ++b)
        list += std::to_string(b) + "$";
    const int blocks = p.choice("Number of blocks", 0, std::clamp(m_blocks, 1, maxBlocks), list);
    if (blocks == 0)
        return false;
    m_blocks = blocks;
    const int most = slots / blocks;
    list.clear();
    for (int n = 1; n <= most; ++n)
        list += std::to_string(n) + "h$";
    const int periods = p.choice("Number of periods per block", 0, most, list);
    if (periods == 0)
        return false;
    clear();
    randomBlocks(m_d, m_patterns, m_week, blocks, periods, random);
    return true;
}

bool BlockSchedulingEditor::canReadSchedule() const
{
    const int events = std::min<int>(m_d.eventList[0], MaxCodes);
    WeekAllocation wa;
    for (int i = 1; i <= events; ++i) {
        loadWeekAllocation(m_d, m_d.eventList[static_cast<std::size_t>(i)], wa);
        if (wa.allocated[static_cast<std::size_t>(m_week)] > 0)
            return true;
    }
    return false;
}

bool BlockSchedulingEditor::fromSchedule(Prompter &p, std::string &message)
{
    message.clear();
    const int limit = std::max(usedBells(m_d), 1);
    std::string list;
    for (int n = 1; n <= limit; ++n)
        list += std::to_string(n) + "$";
    const int least = p.choice("Minimum number of periods", 0, 1, list);
    if (least == 0)
        return false;
    const int most = p.choice("Maximum number of periods", 0, limit, list);
    if (most == 0 || most < least)
        return false;
    clear();
    const int events = std::min<int>(m_d.eventList[0], MaxCodes);
    WeekAllocation wa;
    int marked = 0, unmarked = 0;
    for (int i = 1; i <= events; ++i) {
        const CodeId e = m_d.eventList[static_cast<std::size_t>(i)];
        loadWeekAllocation(m_d, e, wa);
        const int scheduled = wa.scheduled[static_cast<std::size_t>(m_week)];
        if (scheduled < least || scheduled > most)
            continue;
        // With every symbol taken no further event can get one; say how many are left out.
        if (marked >= static_cast<int>(BlockSymbols.size())) {
            ++unmarked;
            continue;
        }
        if (markEventBlock(m_d, m_patterns, m_week, e, '+'))
            ++marked;
    }
    if (unmarked > 0)
        message = fillIn("{} event(s) got no block: all {} symbols are in use.", unmarked,
                         static_cast<int>(BlockSymbols.size()));
    return true;
}

void BlockSchedulingEditor::cancel()
{
    m_patterns = m_opened;
}

} // namespace quivra
