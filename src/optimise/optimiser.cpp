#include "optimise/optimiser.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/manualrooms.h"
#include "engine/random.h"
#include "engine/weekmatrix.h"
#include "engine/weekstore.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <climits>

namespace quivra {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int MaxBlocks = 210; // blocks kept per row
constexpr int MaxRowCounter = 65534;
constexpr int ScoreBase = 100; // a probe that leaves the gaps as they are scores this
// Exchange scores the fast path keeps, over all rows of all kept weeks (5 bytes each).
constexpr std::size_t MaxKeptPairs = std::size_t{1} << 22;

const char *const ToolRefusal = "You cannot run \"Optimise timetables\" now, because ";
// How the run's own stop rules end it: no improving change in 25 cycles, the round counter's
// limit, a day of running.
const char *const InterruptedMessage =
    "Optimisation was interrupted by Quivra, since no improvements could be made with the "
    "selected settings.\nYou can improve the solution by changing the settings and/or edit "
    "timetables manually in \"Timetables view\".";

int clampScore(int s)
{
    return std::clamp(s, 1, 255);
}

bool isPeriod(CellWord cell)
{
    return (cell & CellEventBit) && !(cell & CellBookingBit);
}

// The per-category measures of one week's timetables, added into `stats`.
void addWeekStats(const ScheduleData &d, const WeekMatrix &m, bool bookings, TimetableStats &stats)
{
    const std::uint32_t used = bellSpan(1, m.usedBells());
    for (int row = 1; row <= m.rowCount(); ++row) {
        const int k = m.categoryOfRow(row);
        if (k == d.roomsCategory)
            continue;
        int occupied = 0, gaps = 0, longest = 0, shortest = INT_MAX;
        int earliest = INT_MAX, latest = 0;
        for (int day = 1; day <= m.usedDays(); ++day) {
            const std::uint32_t cells =
                (m.eventMask(row, day) | (bookings ? m.bookingMask(row, day) : 0u)) & used;
            if (cells == 0)
                continue;
            const int first = std::countr_zero(cells) + 1;
            const int last = 32 - std::countl_zero(cells);
            occupied += bellCount(cells);
            gaps += dayGaps(cells);
            longest = std::max(longest, last - first + 1);
            shortest = std::min(shortest, last - first + 1);
            earliest = std::min(earliest, first);
            latest = std::max(latest, last);
        }
        if (occupied == 0)
            continue;
        for (const int slot : {0, k}) {
            TimetableStats::Category &c = stats.byCategory[static_cast<std::size_t>(slot)];
            ++c.resourceWeeks;
            c.occupied += occupied;
            c.gaps += gaps;
            c.spread += longest - shortest;
            c.idle += (latest - earliest + 1) - longest;
        }
    }
}

struct BlockList
{
    std::vector<TimetableBlock> blocks;
    int distinctEvents = 0;
};

struct MoveChoice
{
    int day = 0;
    int bell = 0;
    int score = 0; // 0: no candidate
};

struct SwapChoice
{
    int partner = -1; // index into the block list
    int score = 0;
};

class OptimiserRun
{
public:
    OptimiserRun(ScheduleData &d, const OptimiseSettings &s, Progress &progress,
                 const OptimiseObserver &observer)
        : m_d(d), m_s(s), m_progress(progress), m_observer(observer), m_rowStamp(1, 0),
          m_rowSlot(1, 0)
    {}

    OptimiseResult run();

private:
    // The steps of the run.
    bool start();
    void prepare();
    void initialStatistics();
    bool visitRows();
    bool endCycle();
    void endMessage();
    void finish();

    bool refuse(const std::string &why);
    void buildWeek(int week);
    // A week visit: the week's matrix kept from its last visit when there is one, else a build;
    // closeWeek keeps it for the next visit.
    void openWeek(int week);
    void closeWeek();
    void noteStored(int a, int b);
    void startWeek();
    void restoreMarks();

    // Weighted gaps of the current matrix with the run's weights.
    int gaps() const;
    int rowDayGaps(int row, int day) const;
    int categoryWeight(int row) const { return m_rowWeight[static_cast<std::size_t>(row)]; }
    // Applies `change`, which alters the cells of events a and b (b may be 0) on days dayA and
    // dayB only, and keeps the running gap total in step with it.
    template <typename Change> void tracked(int a, int b, int dayA, int dayB, Change change);
    // The rows of events a and b (b may be 0) whose category weighs, each once; roles[i] bit 0
    // when rows[i] belongs to a, bit 1 when to b. Returns the number of rows.
    int weightedRows(int a, int b, std::uint16_t *rows, std::uint8_t *roles);
    // What the day's gaps of the row would become with `bells` added: cells known to be free
    // in the row, so the probe is read from the masks without writing a cell.
    int addedGaps(int row, int day, std::uint32_t bells) const;
    // The change in weighted gaps when event e enters p's place and event f enters b's place,
    // both places free in the rows of the event entering them.
    int exchangedGaps(int e, const TimetableBlock &p, int f, const TimetableBlock &b);
    void probeEnter(int e, int day, int bell, int length);
    void probeErase(int e, int day, int bell, int length);

    bool fits(int e, int day, int bell, int length, FreeCells &scratch) const;
    bool movable(int e) const;
    void extractBlocks(int row, BlockList &list) const;
    MoveChoice bestMove(const TimetableBlock &block);
    SwapChoice bestSwap(const BlockList &list, int index);
    // The same read from the masks alone, for a matrix that hides nothing: every probe is a
    // change of a few rows' masks on one or two days, and no cell is written.
    MoveChoice bestMoveRead(const TimetableBlock &block);
    struct RowFindings;
    // With `found`, the scores of the block's pairs are kept there and reused while neither
    // event's rows changed.
    SwapChoice bestSwapRead(const BlockList &list, int index, RowFindings *found = nullptr);
    std::uint32_t occupiedCells(int row, int day) const
    {
        const std::uint32_t booked = m_s.bookings ? m.bookingMask(row, day) : 0u;
        return (m.eventMask(row, day) | booked) & bellSpan(1, m.usedBells());
    }
    // The row's blocks: extracted, or in the fast path kept from the last extraction while the
    // row is as it was then.
    const BlockList &blocksOf(int row, BlockList &scratch);
    MoveChoice moveOf(int row, const BlockList &list, int index);
    SwapChoice swapOf(int row, const BlockList &list, int index, std::uint32_t listChanged);
    // The latest change to a row of the event, and to a row of any event of the list.
    std::uint32_t changedSince(int e) const;
    std::uint32_t listChanged(const BlockList &list) const;
    void stampRows(int a, int b);
    bool keepsFindings() const { return !m_s.reference && m.hidesNothing(); }
    int swapAlgorithm(int row, int limit);
    int moveAlgorithm(int row, int limit);
    int dayRuleCheck(int e) const;
    // Whether the chosen change breaks a selected day rule, tried on the matrix alone and taken
    // back there: a change the rules would undo never reaches the lecture store.
    bool moveBreaksDayRules(const TimetableBlock &b, int day, int bell);
    bool swapBreaksDayRules(const TimetableBlock &a, const TimetableBlock &p);
    bool commit(BlockOutcome outcome);
    void keepStoreCompact();

    bool pollStop();
    double elapsed() const;
    void reportWeek(int round);

    ScheduleData &m_d;
    const OptimiseSettings &m_s;
    Progress &m_progress;
    const OptimiseObserver &m_observer;
    WeekMatrix m;
    // Fast path: the matrix of every week of the range between visits. A visit changes the store
    // only through its own week's matrix, so the others stay equal to a fresh build.
    std::vector<WeekMatrix> m_kept;
    std::vector<char> m_keptValid;
    // Per kept week, the events whose entries other weeks' visits have stored since: a kept
    // matrix is reopened only while the store still holds for each of them what it shows.
    std::vector<std::vector<CodeId>> m_storedSince;
    int m_keptFirst = 0;
    // Fast path: what the row visits found, kept while the rows they read are as they were. Every
    // stored change stamps the rows of its events with the week's change clock. A block list is
    // reused while its row is unstamped since; a block's best move while its event's rows are;
    // its best exchange while the rows of every event of the list are. Only for a matrix that
    // hides nothing, whose evaluations read the rows' masks alone, so a reused finding is the
    // one a new evaluation would make.
    struct RowFindings
    {
        std::uint32_t listAt = 0; // clock when the list was taken; 0: not taken
        BlockList list;
        std::vector<std::uint32_t> moveAt; // per block: clock of the move found; 0: none
        std::vector<MoveChoice> moves;
        std::vector<std::uint32_t> swapAt;
        std::vector<SwapChoice> swaps;
        // Per pair of blocks (i * blocks + j): clock and score of their exchange.
        std::vector<std::uint32_t> pairAt;
        std::vector<std::uint8_t> pairScore;
    };
    struct WeekFindings
    {
        std::uint32_t clock = 1;
        std::vector<std::uint32_t> rowChanged;      // per row: clock of its last change
        std::vector<std::uint32_t> eventChanged;    // per event: of the last change to its rows
        std::vector<std::vector<CodeId>> rowEvents; // per row: the week's events using it
        std::vector<RowFindings> rows;
        std::vector<bool> inConflict; // events sharing a cell of the week with another
        bool conflictsTaken = false;
    };
    LectureLocator m_locator;              // fast path: the events' entries in the lecture store
    WeekFindings m_found;                  // of the open week
    std::size_t m_keptPairs = 0;           // exchange scores kept, over all findings
    std::vector<WeekFindings> m_keptFound; // of each kept week, beside m_kept
    Random m_random;
    GapCategoryWeights m_weights{};
    GapCategoryWeights m_mask{};
    int m_methods = 0;
    bool m_filterLength = false;
    std::vector<std::uint16_t> m_marks;    // LinkMarks of every code at the start
    std::vector<bool> m_chosen;            // events whose blocks may move
    std::vector<std::uint16_t> m_improved; // improving calls per resource
    std::vector<int> m_rowStamp;
    std::vector<std::uint8_t> m_rowWeight; // the weight of each row's category
    std::vector<std::uint16_t> m_rowSlot;  // with m_rowStamp: where weightedRows put the row
    std::vector<int> m_ofE, m_ofF;         // rows of a swap's two events, by stamp
    int m_eStamp = 0, m_fStamp = 0;
    int m_stamp = 0;
    int m_total = 0;       // running weighted gaps of the matrix (fast path)
    int m_compactSize = 0; // entries in the lecture store after its last compaction
    int m_swaps = 0;
    int m_moves = 0;
    int m_undone = 0;
    bool m_storeFailed = false;
    bool m_stopRequested = false;
    bool m_timeUp = false; // the owner's time limit
    bool m_dayUp = false;  // the run's own time limit
    CodeId m_latest = 0;
    Clock::time_point m_start;
    int m_firstWeek = 0; // the week range
    int m_lastWeek = 0;
    int m_round = 1;
    int m_fruitless = 0;    // cycles without a change
    int m_improvements = 0; // calls with a change in this cycle
    int m_cycleGaps = 0;    // weighted gaps of this cycle's weeks
    std::array<int, MaxCategories + 1> m_cycleByCategory{};
    OptimiseResult m_result;
};

bool OptimiserRun::refuse(const std::string &why)
{
    m_result = OptimiseResult{};
    m_result.end = OptimiseEnd::Refused;
    m_result.message = ToolRefusal + why;
    return false;
}

void OptimiserRun::restoreMarks()
{
    for (int c = 1; c <= m_d.codeCount; ++c)
        m_d.codes[c].flags |= m_marks[static_cast<std::size_t>(c)];
}

void OptimiserRun::buildWeek(int week)
{
    // The run recounted before its first week and changes the store only through the matrix,
    // so the fast path builds from the lists as they stand; the reference mode recounts every
    // time, as a build on its own does.
    m.build(m_d, week, m_s.reference ? WeekMatrix::Lists::Recount : WeekMatrix::Lists::AsTheyStand);
    for (const RowFindings &f : m_found.rows)
        m_keptPairs -= f.pairAt.size();
    m_found = WeekFindings{};
    if (!m_s.reference) {
        const auto rows = static_cast<std::size_t>(m.rowCount()) + 1;
        m_found.rowChanged.assign(rows, 0);
        m_found.rows.resize(rows);
        m_found.eventChanged.assign(CodeTableSize, 0);
        m_found.rowEvents.resize(rows);
        for (int i = 1; i <= m_d.eventList[0]; ++i)
            if (const MatrixEvent *ev = m.event(m_d.eventList[i]))
                for (const std::uint16_t row : ev->rows)
                    m_found.rowEvents[row].push_back(ev->code);
    }
    startWeek();
}

void OptimiserRun::openWeek(int week)
{
    const auto i = static_cast<std::size_t>(week - m_keptFirst);
    if (m_kept.empty() || !m_keptValid[i]) {
        buildWeek(week);
        return;
    }
    std::vector<CodeId> &stored = m_storedSince[i];
    std::sort(stored.begin(), stored.end());
    stored.erase(std::unique(stored.begin(), stored.end()), stored.end());
    bool agrees = true;
    if (!stored.empty())
        agrees = std::all_of(stored.begin(), stored.end(), [&](CodeId e) {
            return m_kept[i].agreesWithStore(m_d, e, m_locator);
        });
    stored.clear();
    if (!agrees) {
        buildWeek(week);
        return;
    }
    std::swap(m, m_kept[i]);
    std::swap(m_found, m_keptFound[i]);
    m.reopen(m_d);
    startWeek();
}

void OptimiserRun::noteStored(int a, int b)
{
    for (std::size_t i = 0; i < m_storedSince.size(); ++i) {
        if (static_cast<int>(i) == m.week() - m_keptFirst)
            continue;
        for (const int e : {a, b})
            if (e != 0)
                m_storedSince[i].push_back(static_cast<CodeId>(e));
    }
}

void OptimiserRun::closeWeek()
{
    if (m_kept.empty())
        return;
    const auto i = static_cast<std::size_t>(m.week() - m_keptFirst);
    std::swap(m, m_kept[i]);
    std::swap(m_found, m_keptFound[i]);
    m_keptValid[i] = 1;
}

void OptimiserRun::startWeek()
{
    restoreMarks();
    // The fast path finds an event's entries through the locator rather than a pass over the
    // store for every change.
    m.useLocator(m_s.reference ? nullptr : &m_locator);
    m_rowStamp.assign(static_cast<std::size_t>(m.rowCount()) + 1, 0);
    m_rowSlot.assign(m_rowStamp.size(), 0);
    m_rowWeight.assign(m_rowStamp.size(), 0);
    for (int row = 1; row <= m.rowCount(); ++row)
        m_rowWeight[static_cast<std::size_t>(row)] =
            m_weights[static_cast<std::size_t>(m.categoryOfRow(row))];
    m_ofE.assign(m_rowStamp.size(), 0);
    m_ofF.assign(m_rowStamp.size(), 0);
    m_eStamp = m_fStamp = 0;
    m_stamp = 0;
    m_total = gapCount(m, m_weights, m_s.bookings).total;
    // A change moves an event that shares no cell onto cells free in all its timetables, so the
    // events in a conflict stay the same while the week's matrix is kept.
    if (m_s.reference || !m_found.conflictsTaken) {
        m_found.inConflict.assign(CodeTableSize, false);
        for (const CodeId e : conflictingEvents(m_d, m))
            m_found.inConflict[e] = true;
        m_found.conflictsTaken = true;
    }
}

int OptimiserRun::rowDayGaps(int row, int day) const
{
    const std::uint32_t bookings = m_s.bookings ? m.bookingMask(row, day) : 0u;
    return dayGaps((m.eventMask(row, day) | bookings) & bellSpan(1, m.usedBells()));
}

// The reference mode counts as the gap count is defined: every cell of every weighted row.
int OptimiserRun::gaps() const
{
    if (!m_s.reference)
        return m_total;
    int total = 0;
    for (int row = 1; row <= m.rowCount(); ++row) {
        const int w = categoryWeight(row);
        if (w == 0)
            continue;
        for (int day = 1; day <= m.usedDays(); ++day) {
            int count = 0, first = 0, last = 0;
            for (int bell = 1; bell <= m.usedBells(); ++bell) {
                const CellWord cell = m.cell(row, day, bell);
                if (!(cell & CellEventBit) && !(m_s.bookings && (cell & CellBookingBit)))
                    continue;
                ++count;
                if (first == 0)
                    first = bell;
                last = bell;
            }
            if (count > 0)
                total += (last - first + 1 - count) * w;
        }
    }
    return total;
}

// Whether the event's block fits at (day, bell): its free-cell scores are above 0 over the whole
// block. A score is 0 exactly where one of the event's timetables is occupied, so the fast path
// reads that from the rows' masks; the reference mode takes the scores.
bool OptimiserRun::fits(int e, int day, int bell, int length, FreeCells &scratch) const
{
    if (m_s.reference) {
        freeCellScores(m_d, m, static_cast<CodeId>(e), m_weights, scratch);
        return scratch.run[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] >= length;
    }
    if (day < 1 || day > m.usedDays() || bell < 1 || bell + length - 1 > m.usedBells())
        return false;
    const std::uint32_t bits = bellSpan(bell, bell + length - 1);
    std::vector<std::uint16_t> scratchRows;
    for (const std::uint16_t row : m.rowsOf(m_d, static_cast<CodeId>(e), scratchRows))
        if ((m.eventMask(row, day) | m.bookingMask(row, day)) & bits)
            return false;
    return true;
}

template <typename Change>
void OptimiserRun::tracked(int a, int b, int dayA, int dayB, Change change)
{
    if (m_s.reference) {
        change();
        return;
    }
    std::uint16_t rows[2 * MaxMembers];
    std::uint8_t roles[2 * MaxMembers];
    const int n = weightedRows(a, b, rows, roles);
    const bool twoDays = dayB != dayA;
    auto sum = [&] {
        int total = 0;
        for (int i = 0; i < n; ++i) {
            int g = rowDayGaps(rows[i], dayA);
            if (twoDays)
                g += rowDayGaps(rows[i], dayB);
            total += g * categoryWeight(rows[i]);
        }
        return total;
    };
    m_total -= sum();
    change();
    m_total += sum();
}

int OptimiserRun::weightedRows(int a, int b, std::uint16_t *rows, std::uint8_t *roles)
{
    int n = 0;
    ++m_stamp;
    std::vector<std::uint16_t> scratch;
    for (const int e : {a, b}) {
        if (e == 0)
            continue;
        const auto role = static_cast<std::uint8_t>(e == a ? 1 : 2);
        for (const std::uint16_t row : m.rowsOf(m_d, static_cast<CodeId>(e), scratch)) {
            int &stamp = m_rowStamp[row];
            if (stamp == m_stamp) {
                roles[m_rowSlot[row]] |= role;
                continue;
            }
            if (categoryWeight(row) == 0 || n == 2 * MaxMembers)
                continue;
            stamp = m_stamp;
            m_rowSlot[row] = static_cast<std::uint16_t>(n);
            roles[n] = role;
            rows[n++] = row;
        }
        if (a == b)
            break;
    }
    return n;
}

int OptimiserRun::addedGaps(int row, int day, std::uint32_t bells) const
{
    const std::uint32_t booked = m_s.bookings ? m.bookingMask(row, day) : 0u;
    const std::uint32_t cells = (m.eventMask(row, day) | booked) & bellSpan(1, m.usedBells());
    return (dayGaps(cells | bells) - dayGaps(cells)) * categoryWeight(row);
}

int OptimiserRun::exchangedGaps(int e, const TimetableBlock &p, int f, const TimetableBlock &b)
{
    std::uint16_t rows[2 * MaxMembers];
    std::uint8_t roles[2 * MaxMembers];
    const int n = weightedRows(e, f, rows, roles);
    const std::uint32_t toP = bellSpan(p.bell, p.bell + p.length - 1);
    const std::uint32_t toB = bellSpan(b.bell, b.bell + b.length - 1);
    int delta = 0;
    for (int i = 0; i < n; ++i) {
        const bool ofE = roles[i] & 1, ofF = roles[i] & 2;
        if (p.day == b.day) {
            delta += addedGaps(rows[i], p.day, (ofE ? toP : 0u) | (ofF ? toB : 0u));
            continue;
        }
        if (ofE)
            delta += addedGaps(rows[i], p.day, toP);
        if (ofF)
            delta += addedGaps(rows[i], b.day, toB);
    }
    return delta;
}

void OptimiserRun::probeEnter(int e, int day, int bell, int length)
{
    tracked(e, 0, day, day, [&] { m.probeEnter(static_cast<CodeId>(e), day, bell, length); });
}

void OptimiserRun::probeErase(int e, int day, int bell, int length)
{
    tracked(e, 0, day, day, [&] { m.probeErase(static_cast<CodeId>(e), day, bell, length); });
}

// Only an event allocated in the week whose placed periods fit its allocation there may move.
// A change is stored with the week's allocation raised to what is placed, so moving any other
// event (placed in a week without an allocation, or beyond it) would raise its allocation; such
// an event stays where it is and its cells stay occupied.
// An event that shares a cell with another event in one of its timetables stays too: the cell
// shows only one of them, so moving either would leave the other's period unseen there.
bool OptimiserRun::movable(int e) const
{
    const MatrixEvent *ev = m.event(static_cast<CodeId>(e));
    return ev && ev->listed && ev->placed <= ev->allowed &&
           !m_found.inConflict[static_cast<std::size_t>(e)];
}

// Runs of one event's period word on one day of the row, kept when they pass the filters, then
// put in event order with the gap-halving exchange sort (its order among equal events is part of
// what the run decides).
void OptimiserRun::extractBlocks(int row, BlockList &list) const
{
    list.blocks.clear();
    list.distinctEvents = 0;
    const int bells = m.usedBells();
    for (int day = 1; day <= m.usedDays(); ++day) {
        // Only cells the row's mask marks can start a block.
        const std::uint32_t periods = m.eventMask(row, day) & bellSpan(1, bells);
        int bell = 1;
        while (bell <= bells) {
            const std::uint32_t rest = periods & ~bellSpan(1, bell - 1);
            if (rest == 0)
                break;
            bell = std::countr_zero(rest) + 1;
            const CellWord word = m.cell(row, day, bell);
            if (!isPeriod(word)) {
                ++bell;
                continue;
            }
            int end = bell;
            while (end < bells && m.cell(row, day, end + 1) == word)
                ++end;
            const int length = end - bell + 1;
            const CodeId e = cellCode(m_d, word);
            const bool lengthOk = !m_filterLength || (length >= m_s.minSeq && length <= m_s.maxSeq);
            const bool lockOk = m_s.includeLocked || !isLockedCode(m_d, e);
            if (lengthOk && lockOk && m_chosen[e] && movable(e) &&
                static_cast<int>(list.blocks.size()) < MaxBlocks)
                list.blocks.push_back({e, day, bell, length});
            bell = end + 1;
        }
    }
    auto &b = list.blocks;
    const int n = static_cast<int>(b.size());
    for (int gap = n / 2; gap > 0; gap /= 2) {
        bool swapped = true;
        while (swapped) {
            swapped = false;
            for (int i = 0; i + gap < n; ++i) {
                if (b[static_cast<std::size_t>(i)].event >
                    b[static_cast<std::size_t>(i + gap)].event) {
                    std::swap(b[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(i + gap)]);
                    swapped = true;
                }
            }
        }
    }
    for (int i = 0; i < n; ++i)
        if (i == 0 ||
            b[static_cast<std::size_t>(i)].event != b[static_cast<std::size_t>(i - 1)].event)
            ++list.distinctEvents;
}

// The best free position for the block: every position whose free-cell score is at least 100 and
// whose free run holds the block is probed. Fewer gaps win; at equal gaps an earlier bell wins.
// The first position with the strictly highest score is taken; when that is the block's own
// place there is nothing to do.
MoveChoice OptimiserRun::bestMove(const TimetableBlock &block)
{
    if (!m_s.reference && m.hidesNothing())
        return bestMoveRead(block);
    const int e = block.event;
    const int length = block.length;
    const int base = gaps();
    probeErase(e, block.day, block.bell, length);
    FreeCells free;
    freeCellScores(m_d, m, static_cast<CodeId>(e), m_weights, free);
    // A candidate's cells are free in every row of the event, so in the fast path its gaps are
    // the gaps without the block plus what the block adds to the rows' masks on that day.
    std::uint16_t rows[2 * MaxMembers];
    std::uint8_t roles[2 * MaxMembers];
    const int n = m_s.reference ? 0 : weightedRows(e, 0, rows, roles);
    MoveChoice best;
    for (int day = 1; day <= m.usedDays(); ++day) {
        const auto dd = static_cast<std::size_t>(day);
        for (int bell = 1; bell <= m.usedBells(); ++bell) {
            const auto bb = static_cast<std::size_t>(bell);
            if (free.score[dd][bb] < ScoreBase || free.run[dd][bb] < length)
                continue;
            int after = 0;
            if (m_s.reference) {
                probeEnter(e, day, bell, length);
                after = gaps();
                probeErase(e, day, bell, length);
            } else {
                const std::uint32_t bits = bellSpan(bell, bell + length - 1);
                after = m_total;
                for (int i = 0; i < n; ++i)
                    after += addedGaps(rows[i], day, bits);
            }
            const int s = after == base ? block.bell - bell : base - after;
            const int score = clampScore(ScoreBase + s);
            if (score > best.score)
                best = {day, bell, score};
        }
    }
    probeEnter(e, block.day, block.bell, length);
    if (best.day == block.day && best.bell == block.bell)
        return {};
    return best;
}

// The best partner for exchanging the block at `index` with an equal block of another event of
// the list: both must fit the other's place (free-cell scores above 0 over the whole block);
// the exchange leaving the fewest gaps wins, the earliest in the list among equals.
SwapChoice OptimiserRun::bestSwap(const BlockList &list, int index)
{
    if (!m_s.reference && m.hidesNothing())
        return bestSwapRead(list, index);
    const TimetableBlock &b = list.blocks[static_cast<std::size_t>(index)];
    const int e = b.event;
    const int length = b.length;
    const int base = gaps();
    probeErase(e, b.day, b.bell, length);
    SwapChoice best;
    FreeCells free;
    for (int j = 0; j < static_cast<int>(list.blocks.size()); ++j) {
        const TimetableBlock &p = list.blocks[static_cast<std::size_t>(j)];
        if (j == index || p.length != length || p.event == e)
            continue;
        const int f = p.event;
        if (!fits(f, b.day, b.bell, length, free))
            continue;
        probeErase(f, p.day, p.bell, length);
        if (fits(e, p.day, p.bell, length, free)) {
            int after = 0;
            if (m_s.reference) {
                probeEnter(e, p.day, p.bell, length);
                probeEnter(f, b.day, b.bell, length);
                after = gaps();
                probeErase(f, b.day, b.bell, length);
                probeErase(e, p.day, p.bell, length);
            } else {
                after = m_total + exchangedGaps(e, p, f, b);
            }
            const int score = clampScore(ScoreBase + base - after);
            if (score > best.score)
                best = {j, score};
        }
        probeEnter(f, p.day, p.bell, length);
    }
    probeEnter(e, b.day, b.bell, length);
    return best;
}

// bestMove without taking the block out: its cells are cleared from its rows' masks where they
// are read. Every candidate is free in all the event's rows, so the gaps with the block there
// are the rows' masks without the block and with the candidate.
MoveChoice OptimiserRun::bestMoveRead(const TimetableBlock &block)
{
    const int e = block.event;
    const int length = block.length;
    const std::uint32_t own = bellSpan(block.bell, block.bell + length - 1);
    const DayMasks candidates =
        moveCandidates(m_d, m, static_cast<CodeId>(e), m_weights, block.day, own, length);
    if (std::all_of(candidates.begin(), candidates.end(), [](std::uint32_t c) { return c == 0; }))
        return {};
    std::uint16_t rows[2 * MaxMembers];
    std::uint8_t roles[2 * MaxMembers];
    const int n = weightedRows(e, 0, rows, roles);
    // Taking the block out changes the gaps of its own day by `lifted`.
    int lifted = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t cells = occupiedCells(rows[i], block.day);
        lifted += (dayGaps(cells & ~own) - dayGaps(cells)) * categoryWeight(rows[i]);
    }
    // Per row of a day with candidates: the cells without the block, and their weighted gaps
    // as they stand.
    std::uint32_t without[2 * MaxMembers];
    int now[2 * MaxMembers];
    MoveChoice best;
    for (int day = 1; day <= m.usedDays(); ++day) {
        if (candidates[static_cast<std::size_t>(day)] == 0)
            continue;
        for (int i = 0; i < n; ++i) {
            const std::uint32_t cells = occupiedCells(rows[i], day);
            without[i] = day == block.day ? cells & ~own : cells;
            now[i] = dayGaps(cells) * categoryWeight(rows[i]);
        }
        for (std::uint32_t starts = candidates[static_cast<std::size_t>(day)]; starts != 0;
             starts &= starts - 1) {
            const int bell = std::countr_zero(starts) + 1;
            const std::uint32_t bits = bellSpan(bell, bell + length - 1);
            int delta = day == block.day ? 0 : lifted;
            for (int i = 0; i < n; ++i)
                delta += dayGaps(without[i] | bits) * categoryWeight(rows[i]) - now[i];
            const int s = delta == 0 ? block.bell - bell : -delta;
            const int score = clampScore(ScoreBase + s);
            if (score > best.score)
                best = {day, bell, score};
        }
    }
    if (best.day == block.day && best.bell == block.bell)
        return {};
    return best;
}

// bestSwap without taking blocks out: both blocks are cleared from their events' rows where the
// masks are read. A cell of the other block's place that one of the events holds is freed by
// the exchange; any other occupied cell there blocks it.
SwapChoice OptimiserRun::bestSwapRead(const BlockList &list, int index, RowFindings *found)
{
    const TimetableBlock &b = list.blocks[static_cast<std::size_t>(index)];
    const int e = b.event;
    const int length = b.length;
    const std::uint32_t atB = bellSpan(b.bell, b.bell + length - 1);
    std::vector<std::uint16_t> scratchE, scratchF;
    const auto rowsE = m.rowsOf(m_d, static_cast<CodeId>(e), scratchE);
    ++m_eStamp;
    for (const std::uint16_t row : rowsE)
        m_ofE[row] = m_eStamp;
    SwapChoice best;
    std::uint16_t rows[2 * MaxMembers];
    std::uint8_t roles[2 * MaxMembers];
    // The score of the exchange with p; 0 when one of them does not fit the other's place.
    auto exchange = [&](const TimetableBlock &p) {
        const int f = p.event;
        const std::uint32_t atP = bellSpan(p.bell, p.bell + length - 1);
        // f at b's place: free once e has left it.
        const auto rowsF = m.rowsOf(m_d, static_cast<CodeId>(f), scratchF);
        bool fits = true;
        for (const std::uint16_t row : rowsF) {
            const std::uint32_t cells = m.eventMask(row, b.day) | m.bookingMask(row, b.day);
            const std::uint32_t freed = m_ofE[row] == m_eStamp ? atB : 0u;
            if (cells & ~freed & atB) {
                fits = false;
                break;
            }
        }
        if (!fits)
            return 0;
        // e at p's place: free once f has left it (and e has left b).
        ++m_fStamp;
        for (const std::uint16_t row : rowsF)
            m_ofF[row] = m_fStamp;
        for (const std::uint16_t row : rowsE) {
            const std::uint32_t cells = m.eventMask(row, p.day) | m.bookingMask(row, p.day);
            std::uint32_t freed = m_ofF[row] == m_fStamp ? atP : 0u;
            if (p.day == b.day)
                freed |= atB;
            if (cells & ~freed & atP) {
                fits = false;
                break;
            }
        }
        if (!fits)
            return 0;
        const int n = weightedRows(e, f, rows, roles);
        int delta = 0;
        for (int i = 0; i < n; ++i) {
            const bool ofE = roles[i] & 1, ofF = roles[i] & 2;
            for (const int day : {b.day, p.day}) {
                const std::uint32_t cells = occupiedCells(rows[i], day);
                std::uint32_t next = cells;
                if (day == b.day)
                    next = ofE ? next & ~atB : next;
                if (day == p.day)
                    next = ofF ? next & ~atP : next;
                if (day == p.day && ofE)
                    next |= atP;
                if (day == b.day && ofF)
                    next |= atB;
                delta += (dayGaps(next) - dayGaps(cells)) * categoryWeight(rows[i]);
                if (b.day == p.day)
                    break;
            }
        }
        return clampScore(ScoreBase - delta);
    };
    const std::size_t blocks = list.blocks.size();
    for (std::size_t j = 0; j < blocks; ++j) {
        const TimetableBlock &p = list.blocks[j];
        if (static_cast<int>(j) == index || p.length != length || p.event == e)
            continue;
        int score = 0;
        if (found) {
            // A pair's score holds while neither event's rows changed.
            const std::size_t slot = static_cast<std::size_t>(index) * blocks + j;
            std::uint32_t &at = found->pairAt[slot];
            if (at == 0 || std::max(changedSince(e), changedSince(p.event)) > at) {
                found->pairScore[slot] = static_cast<std::uint8_t>(exchange(p));
                at = m_found.clock;
            }
            score = found->pairScore[slot];
        } else {
            score = exchange(p);
        }
        if (score > best.score)
            best = {static_cast<int>(j), score};
    }
    return best;
}

// A change the lecture store refused was not made (the matrix only changes with the store);
// the run ends there.
bool OptimiserRun::commit(BlockOutcome outcome)
{
    if (outcome) {
        keepStoreCompact();
        return true;
    }
    m_storeFailed = true;
    return false;
}

// Every stored change leaves the event's old entries behind as empty words until the store is
// compacted, and every store operation reads the whole store. The fast path compacts once the
// empty entries outnumber the live ones, so a change costs the same late in a run as early.
// The order of the entries never steers a decision, and the run ends with a recount.
void OptimiserRun::keepStoreCompact()
{
    if (m_s.reference || m_d.lectureCount <= m_compactSize + m_compactSize / 4 + 128)
        return;
    compactLectures(m_d);
    m_locator.invalidate();
    m_compactSize = m_d.lectureCount;
}

// Bit 0: the event's first timetable holds it in two separate runs on a day, or more than maxSeq
// cells on a day. Bit 1: one of its weighted, non-room timetables has a daily count of periods
// outside its category's limits of the build.
int OptimiserRun::dayRuleCheck(int e) const
{
    const MatrixEvent *ev = m.event(static_cast<CodeId>(e));
    if (!ev || ev->rows.empty())
        return 0;
    int broken = 0;
    if (m_s.mode & ModeOneBlockPerDay) {
        const int row = ev->rows.front();
        const CellWord own = static_cast<CellWord>(e | LectureEventBit);
        for (int day = 1; day <= m.usedDays() && !(broken & 1); ++day) {
            int count = 0, first = 0, last = 0;
            for (int bell = 1; bell <= m.usedBells(); ++bell) {
                if (m.cell(row, day, bell) != own)
                    continue;
                ++count;
                if (first == 0)
                    first = bell;
                last = bell;
            }
            if (count > 0 && (count < last - first + 1 || count > m_s.maxSeq))
                broken |= 1;
        }
    }
    if (m_s.mode & ModeBalancedDays) {
        const std::uint32_t used = bellSpan(1, m.usedBells());
        for (const std::uint16_t row : ev->rows) {
            const int k = m.categoryOfRow(row);
            if (categoryWeight(row) == 0 || k == m_d.roomsCategory)
                continue;
            const int lo = m.balanceMin(k), hi = m.balanceMax(k);
            if (hi < lo)
                continue;
            for (int day = 1; day <= m.usedDays(); ++day) {
                const int n = bellCount(m.eventMask(row, day) & used);
                if (n < lo || n > hi)
                    broken |= 2;
            }
        }
    }
    return broken;
}

// The matrix goes through the same cell changes as the change and its undo would make, so the
// rules read what they would read after the change. The running gap total is not touched: the
// cells end as they were.
bool OptimiserRun::moveBreaksDayRules(const TimetableBlock &b, int day, int bell)
{
    if (!(m_s.mode & (ModeOneBlockPerDay | ModeBalancedDays)))
        return false;
    m.probeErase(b.event, b.day, b.bell, b.length);
    m.probeEnter(b.event, day, bell, b.length);
    const bool broken = dayRuleCheck(b.event) != 0;
    m.probeErase(b.event, day, bell, b.length);
    m.probeEnter(b.event, b.day, b.bell, b.length);
    return broken;
}

bool OptimiserRun::swapBreaksDayRules(const TimetableBlock &a, const TimetableBlock &p)
{
    if (!(m_s.mode & (ModeOneBlockPerDay | ModeBalancedDays)))
        return false;
    const int length = a.length;
    m.probeErase(a.event, a.day, a.bell, length);
    m.probeErase(p.event, p.day, p.bell, length);
    m.probeEnter(a.event, p.day, p.bell, length);
    m.probeEnter(p.event, a.day, a.bell, length);
    const bool broken = (dayRuleCheck(a.event) | dayRuleCheck(p.event)) != 0;
    m.probeErase(a.event, p.day, p.bell, length);
    m.probeErase(p.event, a.day, a.bell, length);
    m.probeEnter(a.event, a.day, a.bell, length);
    m.probeEnter(p.event, p.day, p.bell, length);
    return broken;
}

int OptimiserRun::swapAlgorithm(int row, int limit)
{
    if (m.rowCount() < 2 || m.weekEvents().size() < 2)
        return 0;
    int successes = 0;
    int attempts = 0;
    BlockList scratch;
    bool succeeded = false;
    do {
        succeeded = false;
        const BlockList &list = blocksOf(row, scratch);
        if (list.distinctEvents < 2)
            break;
        int threshold = limit == 0 ? ScoreBase - 1 : ScoreBase;
        ++attempts;
        const int n = static_cast<int>(list.blocks.size());
        const auto r = static_cast<int>(m_random.below(65535));
        int chosen = -1;
        SwapChoice choice;
        const std::uint32_t changed = keepsFindings() ? listChanged(list) : 0;
        for (int i = 1; i <= n; ++i) {
            const int k = (i + r) % n;
            const SwapChoice c = swapOf(row, list, k, changed);
            if (c.partner >= 0 && c.score > threshold) {
                chosen = k;
                choice = c;
                threshold = c.score;
            }
        }
        if (chosen < 0)
            break;
        const TimetableBlock a = list.blocks[static_cast<std::size_t>(chosen)];
        const TimetableBlock p = list.blocks[static_cast<std::size_t>(choice.partner)];
        if (swapBreaksDayRules(a, p)) {
            ++m_undone;
            break;
        }
        BlockOutcome outcome;
        tracked(a.event, p.event, a.day, p.day, [&] {
            outcome = m.swap(m_d, a.event, a.day, a.bell, p.event, p.day, p.bell, a.length);
        });
        if (!commit(outcome))
            break;
        stampRows(a.event, p.event);
        noteStored(a.event, p.event);
        ++successes;
        succeeded = true;
    } while (succeeded && attempts <= limit);
    return successes;
}

int OptimiserRun::moveAlgorithm(int row, int limit)
{
    if (m.rowCount() < 1 || m.weekEvents().empty())
        return 0;
    int successes = 0;
    int attempts = 0;
    BlockList scratch;
    bool succeeded = false;
    do {
        succeeded = false;
        const BlockList &list = blocksOf(row, scratch);
        if (list.blocks.empty())
            break;
        const int n = static_cast<int>(list.blocks.size());
        const auto r = static_cast<int>(m_random.below(static_cast<std::uint32_t>(n)));
        int threshold = limit == 0 ? ScoreBase - 1 : ScoreBase;
        ++attempts;
        int chosen = -1;
        MoveChoice target;
        for (int i = 1; i <= n; ++i) {
            const int k = (i + r) % n;
            const MoveChoice c = moveOf(row, list, k);
            if (c.score > threshold) {
                chosen = k;
                target = c;
                threshold = c.score;
            }
        }
        if (chosen < 0)
            break;
        const TimetableBlock b = list.blocks[static_cast<std::size_t>(chosen)];
        if (moveBreaksDayRules(b, target.day, target.bell)) {
            ++m_undone;
            break;
        }
        BlockOutcome outcome;
        tracked(b.event, 0, b.day, target.day, [&] {
            outcome = m.move(m_d, b.event, b.day, b.bell, b.length, target.day, target.bell);
        });
        if (!commit(outcome))
            break;
        stampRows(b.event, 0);
        noteStored(b.event, 0);
        ++successes;
        succeeded = true;
    } while (succeeded && attempts <= limit);
    return successes;
}

const BlockList &OptimiserRun::blocksOf(int row, BlockList &scratch)
{
    if (!keepsFindings()) {
        extractBlocks(row, scratch);
        return scratch;
    }
    RowFindings &f = m_found.rows[static_cast<std::size_t>(row)];
    if (f.listAt == 0 || m_found.rowChanged[static_cast<std::size_t>(row)] > f.listAt) {
        extractBlocks(row, f.list);
        f.listAt = m_found.clock;
        f.moveAt.assign(f.list.blocks.size(), 0);
        f.moves.resize(f.list.blocks.size());
        f.swapAt.assign(f.list.blocks.size(), 0);
        f.swaps.resize(f.list.blocks.size());
        m_keptPairs -= f.pairAt.size();
        f.pairAt = {};
        f.pairScore = {};
    }
    return f.list;
}

std::uint32_t OptimiserRun::changedSince(int e) const
{
    return m_found.eventChanged[static_cast<std::size_t>(e)];
}

std::uint32_t OptimiserRun::listChanged(const BlockList &list) const
{
    std::uint32_t latest = 0;
    CodeId last = 0;
    for (const TimetableBlock &b : list.blocks) {
        if (b.event == last) // the list is in event order
            continue;
        last = b.event;
        latest = std::max(latest, changedSince(b.event));
    }
    return latest;
}

void OptimiserRun::stampRows(int a, int b)
{
    if (m_s.reference)
        return;
    const std::uint32_t now = ++m_found.clock;
    std::vector<std::uint16_t> scratch;
    for (const int e : {a, b})
        if (e != 0)
            for (const std::uint16_t row : m.rowsOf(m_d, static_cast<CodeId>(e), scratch)) {
                m_found.rowChanged[row] = now;
                for (const CodeId other : m_found.rowEvents[row])
                    m_found.eventChanged[other] = now;
            }
}

MoveChoice OptimiserRun::moveOf(int row, const BlockList &list, int index)
{
    const auto k = static_cast<std::size_t>(index);
    const TimetableBlock &block = list.blocks[k];
    if (!keepsFindings())
        return bestMove(block);
    RowFindings &f = m_found.rows[static_cast<std::size_t>(row)];
    if (f.moveAt[k] != 0 && changedSince(block.event) <= f.moveAt[k])
        return f.moves[k];
    f.moves[k] = bestMove(block);
    f.moveAt[k] = m_found.clock;
    return f.moves[k];
}

SwapChoice OptimiserRun::swapOf(int row, const BlockList &list, int index,
                                std::uint32_t listChanged)
{
    if (!keepsFindings())
        return bestSwap(list, index);
    const auto k = static_cast<std::size_t>(index);
    RowFindings &f = m_found.rows[static_cast<std::size_t>(row)];
    if (f.swapAt[k] != 0 && listChanged <= f.swapAt[k])
        return f.swaps[k];
    // The row's exchange scores are kept while their number stays within bounds.
    const std::size_t pairs = list.blocks.size() * list.blocks.size();
    if (f.pairAt.empty() && m_keptPairs + pairs <= MaxKeptPairs) {
        f.pairAt.assign(pairs, 0);
        f.pairScore.assign(pairs, 0);
        m_keptPairs += pairs;
    }
    f.swaps[k] = bestSwapRead(list, index, f.pairAt.empty() ? nullptr : &f);
    f.swapAt[k] = m_found.clock;
    return f.swaps[k];
}

double OptimiserRun::elapsed() const
{
    return std::chrono::duration<double>(Clock::now() - m_start).count();
}

// The owner's stop request and the time limits, tested at the points where a run may end.
bool OptimiserRun::pollStop()
{
    if (m_progress.stopRequested())
        m_stopRequested = true;
    const double seconds = elapsed();
    if (m_s.dayLimit > 0 && seconds > m_s.dayLimit)
        m_dayUp = true;
    else if (m_s.maxSeconds > 0 && seconds >= m_s.maxSeconds)
        m_timeUp = true;
    return m_stopRequested || m_timeUp || m_dayUp || m_storeFailed;
}

// Start: the refusals, then the week range. False, with nothing changed, when refused.
bool OptimiserRun::start()
{
    rebuildLists(m_d);
    totals(m_d, 1, m_d.codeCount);
    m_compactSize = m_d.lectureCount;
    const int events = m_d.eventList[0];
    std::int64_t allocated = 0, scheduled = 0;
    for (int i = 1; i <= events; ++i) {
        allocated += m_d.codes[m_d.eventList[i]].allocated;
        scheduled += m_d.codes[m_d.eventList[i]].scheduled;
    }
    if (events == 0)
        return refuse("there are no valid events (go to Events view).");
    if (allocated == 0)
        return refuse("there are no periods allocated to weeks (go to Weeks view).");
    if (scheduled == 0)
        return refuse("no periods have been scheduled.\nSelect \"Initial solution\" or go to "
                      "Timetables view.");
    const int weeks = usedWeeks(m_d);
    m_firstWeek =
        std::max(1, m_s.firstWeek != 0 ? m_s.firstWeek : int{m_d.optimiseRange.startWeek});
    m_lastWeek = std::min(weeks, m_s.lastWeek != 0 ? m_s.lastWeek : int{m_d.optimiseRange.endWeek});
    if (m_firstWeek > m_lastWeek)
        return refuse("the week range holds no week in use.");
    return true;
}

// The weights, the filters, the marks to put back and the events whose blocks may move.
void OptimiserRun::prepare()
{
    m_weights = optimiserWeights(m_d, m_s);
    for (int k = 1; k <= MaxCategories; ++k)
        m_mask[static_cast<std::size_t>(k)] = m_weights[static_cast<std::size_t>(k)] > 0 ? 1 : 0;
    m_methods = m_s.methods & MethodBoth;
    m_filterLength = m_s.minSeq > 0 && m_s.minSeq <= m_s.maxSeq;

    m_marks.assign(CodeTableSize, 0);
    for (int c = 1; c <= m_d.codeCount; ++c)
        m_marks[static_cast<std::size_t>(c)] = m_d.codes[c].flags & LinkMarksMask;
    m_chosen.assign(CodeTableSize, m_s.events.empty());
    for (const CodeId e : m_s.events)
        if (validCode(m_d, e))
            m_chosen[e] = true;
    m_improved.assign(CodeTableSize, 0);
}

// Initial statistics. Conflicts in the range stay as they are: the events holding them keep their
// places (see movable), so the run adds none.
void OptimiserRun::initialStatistics()
{
    OptimiseResult &r = m_result;
    for (int w = m_firstWeek; w <= m_lastWeek; ++w) {
        buildWeek(w);
        // Keeping every week's matrix is worth its memory while the range is not huge.
        constexpr std::int64_t KeptCellsLimit = std::int64_t{1} << 24;
        const std::int64_t cells =
            std::int64_t{m_lastWeek - m_firstWeek + 1} * (m.rowCount() + 1) * MatrixRowCells;
        if (w == m_firstWeek && !m_s.reference && cells <= KeptCellsLimit) {
            m_kept.resize(static_cast<std::size_t>(m_lastWeek - m_firstWeek + 1));
            m_keptValid.assign(m_kept.size(), 0);
            m_keptFound.resize(m_kept.size());
            m_storedSince.assign(m_kept.size(), {});
            m_keptFirst = m_firstWeek;
        }
        r.conflictsBefore += weekConflicts(m_d, m);
        const GapTotals g = gapCount(m, m_weights, m_s.bookings);
        r.gapsBefore += g.total;
        for (int k = 1; k <= MaxCategories; ++k)
            r.categoryBefore[static_cast<std::size_t>(k)] +=
                g.byCategory[static_cast<std::size_t>(k)];
        addWeekStats(m_d, m, m_s.bookings, r.statsBefore);
        closeWeek();
    }
}

// The visit of the open week: rows in an order that changes with the round, up to three calls on
// a row while the previous one made a change; a row whose calls changed something ends the visit,
// and so does having visited every row. True when the run is to stop.
bool OptimiserRun::visitRows()
{
    const int rows = m.rowCount();
    int row = 1 + static_cast<int>(m_random.below(static_cast<std::uint32_t>(rows)));
    int visited = 0;
    bool stop = false;
    while (rows > 0) {
        switch (m_round % 3) {
        case 0:
            ++row;
            break;
        case 1:
            row += static_cast<int>(m_random.below(static_cast<std::uint32_t>(rows)));
            break;
        default:
            --row;
            break;
        }
        if (row > rows)
            row = 1;
        else if (row < 1)
            row = rows;
        const int limit = (visited + m_round) % 13 == 0 ? 0 : m_round;
        bool lastChanged = false;
        for (int call = 0; call < 3; ++call) {
            int changes = 0;
            if ((visited + m_round + row) % 2 == 0) {
                changes = (m_methods & MethodSwaps) ? swapAlgorithm(row, limit) : 0;
                m_swaps += changes;
            } else {
                changes = (m_methods & MethodMoves) ? moveAlgorithm(row, limit) : 0;
                m_moves += changes;
            }
            lastChanged = changes > 0;
            if (!lastChanged || m_storeFailed)
                break;
            ++m_improvements;
            const CodeId c = m.resourceOfRow(row);
            auto &counter = m_improved[c];
            counter = static_cast<std::uint16_t>(std::min(counter + 1, MaxRowCounter));
            m_latest = c;
        }
        ++visited;
        stop = pollStop();
        if (lastChanged || visited > rows || stop)
            break;
    }
    return stop;
}

// The end of a cycle over the weeks: the fruitless count, the cycle's report, the next round and
// the stop rules. True when a stop rule ends the run.
bool OptimiserRun::endCycle()
{
    OptimiseResult &r = m_result;
    // A cycle without a single call that made a change is fruitless.
    if (m_improvements == 0)
        ++m_fruitless;
    m_improvements = 0;
    if (m_cycleGaps <= r.gapsBefore)
        m_progress.step(m_cycleGaps);
    if (m_observer) {
        OptimiseStatus st;
        st.point = OptimiseStatus::Point::Cycle;
        st.round = m_round;
        st.week = m_lastWeek;
        st.swaps = m_swaps;
        st.moves = m_moves;
        st.undone = m_undone;
        st.latest = m_latest;
        st.gapsInitial = r.gapsBefore;
        st.gapsNow = m_cycleGaps;
        st.categoryInitial = r.categoryBefore;
        st.categoryNow = m_cycleByCategory;
        st.weights = m_weights;
        st.seconds = elapsed();
        m_observer(st);
    }
    m_cycleGaps = 0;
    m_cycleByCategory = {};
    ++m_round;
    r.rounds = m_round - 1;
    if (m_s.fruitlessCycles > 0 && m_fruitless >= m_s.fruitlessCycles) {
        r.end = OptimiseEnd::NoImprovement;
        r.interrupted = true;
        return true;
    }
    if (m_s.roundLimit > 0 && m_round > m_s.roundLimit) {
        r.end = OptimiseEnd::RoundLimit;
        r.interrupted = true;
        return true;
    }
    if (m_s.maxRounds > 0 && m_round > m_s.maxRounds) {
        r.end = OptimiseEnd::RoundLimit;
        return true;
    }
    return false;
}

// Why the run ended, in the words the owner shows.
void OptimiserRun::endMessage()
{
    OptimiseResult &r = m_result;
    if (m_dayUp && !m_storeFailed && !r.interrupted) {
        r.end = OptimiseEnd::TimeLimit;
        r.interrupted = true;
    }
    if (m_storeFailed) {
        r.end = OptimiseEnd::StoreFailed;
        r.interrupted = false;
        r.message = "The lecture store has no room for a change; the optimisation ended. Every "
                    "change made before it is kept.";
    } else if (r.interrupted) {
        r.message = InterruptedMessage;
    } else if (r.end == OptimiseEnd::RoundLimit) {
        r.message = "Optimisation ended after " + std::to_string(r.rounds) + " rounds.";
    } else if (m_stopRequested) {
        r.end = OptimiseEnd::Stopped;
        r.message = "Optimisation stopped.";
    } else {
        r.end = OptimiseEnd::TimeLimit;
        r.message = "Optimisation ended at its time limit.";
    }
}

// After the run: the final state, checked week by week on fresh builds; the counts; the recount,
// the manual-room clean-up and the marks put back.
void OptimiserRun::finish()
{
    OptimiseResult &r = m_result;
    m_kept.clear();
    m_keptFound.clear();
    for (int w = m_firstWeek; w <= m_lastWeek; ++w) {
        buildWeek(w);
        r.conflictsAfter += weekConflicts(m_d, m);
        const GapTotals g = gapCount(m, m_weights, m_s.bookings);
        r.gapsAfter += g.total;
        for (int k = 1; k <= MaxCategories; ++k)
            r.categoryAfter[static_cast<std::size_t>(k)] +=
                g.byCategory[static_cast<std::size_t>(k)];
        addWeekStats(m_d, m, m_s.bookings, r.statsAfter);
    }
    if (r.conflictsAfter > r.conflictsBefore)
        r.message += "\nThe weeks hold " + std::to_string(r.conflictsAfter - r.conflictsBefore) +
                     " conflicting periods more after the run.";
    r.swaps = m_swaps;
    r.moves = m_moves;
    r.undone = m_undone;
    for (int c = 1; c <= m_d.codeCount; ++c)
        r.changedTimetables += m_improved[static_cast<std::size_t>(c)] != 0 ? 1 : 0;
    if (m_swaps + m_moves > 0) {
        validityCleanup(m_d, m_firstWeek, m_lastWeek);
        m_d.modified = true;
    }
    rebuildLists(m_d);
    totals(m_d, 1, m_d.codeCount);
    allResourceTotals(m_d);
    restoreMarks();
    r.seconds = elapsed();
}

// The run, in the steps above: start, initial statistics, then week after week the row visits,
// the week's gaps and report, and at the end of every cycle the stop rules; then the end.
OptimiseResult OptimiserRun::run()
{
    m_start = Clock::now();
    if (!start())
        return m_result;
    prepare();
    initialStatistics();
    const ProgressRun shown(m_progress, "Optimising timetables", m_result.gapsBefore);
    m_random.setSeed(m_s.seed);
    int week = m_firstWeek;
    bool stop = false;
    while (!stop) {
        openWeek(week);
        stop = visitRows();
        if (m_storeFailed)
            break;
        const GapTotals weekGaps = gapCount(m, m_weights, m_s.bookings);
        m_cycleGaps += weekGaps.total;
        for (int k = 1; k <= MaxCategories; ++k)
            m_cycleByCategory[static_cast<std::size_t>(k)] +=
                weekGaps.byCategory[static_cast<std::size_t>(k)];
        reportWeek(m_round);
        closeWeek();
        stop = pollStop() || stop;
        if (++week > m_lastWeek) {
            week = m_firstWeek;
            stop = endCycle() || stop;
        }
    }
    endMessage();
    finish();
    return m_result;
}

void OptimiserRun::reportWeek(int round)
{
    if (!m_observer)
        return;
    OptimiseStatus st;
    st.point = OptimiseStatus::Point::Week;
    st.round = round;
    st.week = m.week();
    st.swaps = m_swaps;
    st.moves = m_moves;
    st.undone = m_undone;
    st.rows = m.rowCount();
    for (int row = 1; row <= m.rowCount(); ++row)
        st.changedTimetables += m_improved[m.resourceOfRow(row)] != 0 ? 1 : 0;
    st.latest = m_latest;
    st.gapsInitial = m_result.gapsBefore;
    st.categoryInitial = m_result.categoryBefore;
    st.weights = m_weights;
    st.seconds = elapsed();
    m_observer(st);
}

} // namespace

GapCategoryWeights optimiserWeights(const ScheduleData &d, const OptimiseSettings &s)
{
    GapCategoryWeights w{};
    for (int k = 1; k <= MaxCategories; ++k) {
        const bool timetables = !(d.noTimetableMasks[1] & (1u << k));
        const int weight = std::clamp(s.gapWeights[static_cast<std::size_t>(k)], 0, 9);
        w[static_cast<std::size_t>(k)] =
            static_cast<std::uint8_t>(timetables && k != d.roomsCategory ? weight : 0);
    }
    return w;
}

void addTimetableStats(const ScheduleData &d, const WeekMatrix &m, bool bookings,
                       TimetableStats &stats)
{
    addWeekStats(d, m, bookings, stats);
}

int weekConflicts(const ScheduleData &d, const WeekMatrix &m)
{
    // Per row and day the cells some event already covers; a second event there is a conflict.
    std::vector<std::uint32_t> covered(static_cast<std::size_t>(m.rowCount() + 1) * (MaxDays + 1));
    std::vector<std::uint16_t> scratch;
    int conflicts = 0;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const MatrixEvent *ev = m.event(d.eventList[i]);
        if (!ev)
            continue;
        std::vector<std::uint16_t> rows(ev->rows);
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        for (const std::uint16_t row : rows)
            for (int day = 1; day <= MaxDays; ++day) {
                std::uint32_t &c = covered[static_cast<std::size_t>(row) * (MaxDays + 1) + day];
                const std::uint32_t cells = ev->cells[static_cast<std::size_t>(day)];
                conflicts += bellCount(c & cells);
                c |= cells;
            }
    }
    return conflicts;
}

std::vector<CodeId> conflictingEvents(const ScheduleData &d, const WeekMatrix &m)
{
    // Per row and day the cells one event covers and the cells two or more cover.
    const std::size_t size = static_cast<std::size_t>(m.rowCount() + 1) * (MaxDays + 1);
    std::vector<std::uint32_t> covered(size), shared(size);
    std::vector<std::uint16_t> rows;
    auto rowsOf = [&](const MatrixEvent &ev) -> const std::vector<std::uint16_t> & {
        rows.assign(ev.rows.begin(), ev.rows.end());
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        return rows;
    };
    for (int i = 1; i <= d.eventList[0]; ++i)
        if (const MatrixEvent *ev = m.event(d.eventList[i]))
            for (const std::uint16_t row : rowsOf(*ev))
                for (int day = 1; day <= MaxDays; ++day) {
                    const std::size_t at = static_cast<std::size_t>(row) * (MaxDays + 1) + day;
                    const std::uint32_t cells = ev->cells[static_cast<std::size_t>(day)];
                    shared[at] |= covered[at] & cells;
                    covered[at] |= cells;
                }
    std::vector<CodeId> events;
    for (int i = 1; i <= d.eventList[0]; ++i) {
        const MatrixEvent *ev = m.event(d.eventList[i]);
        if (!ev)
            continue;
        bool conflicting = false;
        for (const std::uint16_t row : rowsOf(*ev))
            for (int day = 1; day <= MaxDays && !conflicting; ++day)
                conflicting = (shared[static_cast<std::size_t>(row) * (MaxDays + 1) + day] &
                               ev->cells[static_cast<std::size_t>(day)]) != 0;
        if (conflicting)
            events.push_back(d.eventList[i]);
    }
    return events;
}

OptimiseResult optimise(ScheduleData &d, const OptimiseSettings &s, Progress &progress,
                        const OptimiseObserver &observer)
{
    OptimiserRun run(d, s, progress, observer);
    return run.run();
}

OptimiseResult optimise(ScheduleData &d, const OptimiseSettings &s)
{
    NullProgress none;
    return optimise(d, s, none);
}

} // namespace quivra
