#pragma once

// Block scheduling: a grid of named blocks laid over each week. Every slot of a week may carry a
// block symbol ("1".."9", "A".."Z"); all slots of one symbol form one block, and the Timetables
// view schedules an event into a whole block with one insert.
//
// A week's pattern is one character per slot of a week, the slot of day d and bell b at
// (b - 1) x dayLimit + d - 1; "-" is no block, and a pattern shorter than a week reads as if
// padded with "-". The patterns are kept per week in the settings ([Tools] "Slot<w>").
//
// BlockSchedulingEditor is the headless state of the "Block scheduling" dialog: it edits the live
// patterns and puts back the copy taken when it opened on cancel().

#include "engine/gaps.h"
#include "engine/random.h"
#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <map>
#include <string>
#include <string_view>

namespace quivra {

using BlockPatternMap = std::map<int, std::string>; // week -> pattern

inline constexpr std::string_view BlockSymbols = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr char NoBlock = '-';

// The symbol at a slot; "-" outside the pattern or the slot coding.
char blockSymbol(const ScheduleData &d, const BlockPatternMap &patterns, int week, int day,
                 int bell);
// Stores `symbol` at a slot, padding the pattern with "-" first; false outside the coding.
bool setBlockSymbol(const ScheduleData &d, BlockPatternMap &patterns, int week, int day, int bell,
                    char symbol);
// Slots of the week within the days and bells in use that carry `symbol`.
int symbolCount(const ScheduleData &d, const BlockPatternMap &patterns, int week, char symbol);
// True when every slot of `symbol` in use scores above 0 (false when the symbol has no slot).
bool blockIsFree(const ScheduleData &d, const BlockPatternMap &patterns, int week, char symbol,
                 const FreeCells &scores);
// Zeroes the scores of every slot that does not carry `symbol`, "-" slots included, so an
// insert places the event only into the block.
void restrictToBlock(const ScheduleData &d, const BlockPatternMap &patterns, int week, char symbol,
                     FreeCells &scores);
// Marks the slots event e occupies in the week with `symbol` ('+': the first symbol no slot of
// the week carries). Refused (false) when one of those slots already carries a symbol, or when
// '+' finds no unused symbol.
bool markEventBlock(const ScheduleData &d, BlockPatternMap &patterns, int week, CodeId e,
                    char symbol);
// B blocks of L periods laid out across the days, then shuffled by day and rotated within days.
void randomBlocks(const ScheduleData &d, BlockPatternMap &patterns, int week, int blocks,
                  int periods, Random &random);
// The week's pattern as the clipboard holds it: a line per bell, each cell the symbol and a TAB,
// lines ended by CR LF.
std::string copyPattern(const ScheduleData &d, const BlockPatternMap &patterns, int week);
// Reads a copied pattern back: a cell whose text occurs in the symbols stores its first
// character, any other cell "-".
void pastePattern(const ScheduleData &d, BlockPatternMap &patterns, int week,
                  std::string_view text);

// The dialog's state over the live patterns.
class BlockSchedulingEditor
{
public:
    BlockSchedulingEditor(ScheduleData &d, BlockPatternMap &patterns, int week, bool applyBlocks);

    const ScheduleData &data() const { return m_d; }
    BlockPatternMap &patterns() { return m_patterns; }
    int week() const { return m_week; }
    void setWeek(int week);
    bool applyBlocks() const { return m_apply; }
    void setApplyBlocks(bool on) { m_apply = on; }
    char symbol(int day, int bell) const;
    void setSymbol(int day, int bell, char symbol);
    // "%d x "%s"" for the symbol of a slot.
    std::string status(int day, int bell) const;

    void clear();
    // "Random": asks the number of blocks and periods per block; false when cancelled.
    bool random(Prompter &p, Random &random);
    // "From file": asks the minimum and maximum periods; marks the events scheduled in the week
    // within them. False when cancelled. `message` says how many events got no symbol.
    bool fromSchedule(Prompter &p, std::string &message);
    // Whether "From file" is offered: the week has allocated periods.
    bool canReadSchedule() const;

    // OK keeps the edits; cancel puts back the patterns as they were when the dialog opened.
    void cancel();

private:
    ScheduleData &m_d;
    BlockPatternMap &m_patterns;
    BlockPatternMap m_opened;
    int m_week = 1;
    bool m_apply = false;
    int m_blocks = 0;
};

} // namespace quivra
