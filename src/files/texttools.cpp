// Tools around the text exchange file: whole-day bookings, the pre-check of a file against the
// open data set, and removing the codes a file lists.

#include "files/textexchange.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/conflicts.h"
#include "engine/lectures.h"
#include "engine/notes.h"
#include "engine/scheduling.h"
#include "engine/textutil.h"
#include "files/datafile.h"
#include "files/textlines.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace quivra {

namespace {

// "[wwwd" of a slot comment key: week and day, any bell.
std::string dayKeyPrefix(int week, int day)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "[%03d%d", week % 1000, day % 10);
    return buffer;
}

// The text a timetable cell shows in the pre-check: the event's code for a period, the booking
// kind's name for a booking, "[...]" for nothing to show.
std::string cellText(const ScheduleData &d, CellWord cell)
{
    std::string text;
    const CodeId c = cellCode(d, cell);
    if (isBookingCell(cell)) {
        const bool event = validCode(d, c) && d.codes[c].isEvent();
        text = listItem(d.bookingKinds.view(), std::max(cellKind(cell), 1) + (event ? 0 : 3));
    } else if (validCode(d, c)) {
        text = std::string(d.codes[c].code.view());
    }
    if (text.empty() || (text.size() == 1 && static_cast<unsigned char>(text[0]) <= ' '))
        return "[...]";
    return text;
}

} // namespace

int allDayActivity(ScheduleData &d, AllDayMode mode, std::int32_t date, std::string_view text,
                   int kind)
{
    const int weeks = std::min(usedWeeks(d), MaxWeeks);
    int w = 0;
    for (int k = 1; k <= weeks && w == 0; ++k) {
        if (weekDate(d, k) <= date && date < weekDate(d, k + 1))
            w = k;
    }
    if (w == 0 || weekLength(d, w) > 1)
        return -1;
    // The day within the week, counted from the week's first day (which need not be a Monday).
    const int day = static_cast<int>(date - weekDate(d, w)) + 1;
    if (day < 1 || day > usedDays(d))
        return -1;

    if (mode == AllDayMode::Make && !text.empty())
        addComment(d, w, text, "*", day, 0);
    if (mode == AllDayMode::Remove) {
        const std::string prefix = dayKeyPrefix(w, day);
        std::erase_if(d.comments, [&](const std::string &c) { return c.starts_with(prefix); });
    }
    if (kind < 1 || kind > 3)
        return 0;

    int changed = 0;
    WeekTimetable t;
    for (int r = 1; r <= d.codeCount; ++r) {
        const CodeRecord &record = d.codes[r];
        if (record.isEvent() || (record.flags & NoTimetableBit))
            continue;
        weekTimetableOf(d, static_cast<CodeId>(r), w, t);
        const CellWord booking = makeCell(
            static_cast<std::uint16_t>(ownWord(d, static_cast<CodeId>(r)) | LectureBookingBit),
            kind);
        int here = 0;
        for (int bell = 1; bell <= std::min(usedBells(d), MaxBells); ++bell) {
            CellWord &cell = t.cellRef(day, bell);
            if (mode == AllDayMode::Remove) {
                if (isBookingCell(cell)) {
                    cell = 0;
                    ++here;
                }
            } else if ((cell == 0 || isBookingCell(cell)) && cell != booking) {
                cell = booking;
                ++here;
            }
        }
        if (here > 0 && mode != AllDayMode::Test)
            writeWeekBookings(d, BookingWrite::Replace, static_cast<CodeId>(r), w, t);
        changed += here;
    }
    return changed;
}

int preCheckText(const ScheduleData &d, std::string_view text, std::string &lines)
{
    enum class Part { Other, Collections, Lectures, Bookings };
    Part part = Part::Other;
    // Pairs (event, resource) of the file that both exist here, in file order.
    std::vector<std::pair<CodeId, CodeId>> pairs;
    const auto find = [&](std::string_view code) {
        return findCode(d, code.substr(0, CodeLength));
    };

    WeekTimetable t;
    int cachedCode = -1, cachedWeek = -1;
    const auto timetable = [&](int c, int w) -> const WeekTimetable & {
        if (c != cachedCode || w != cachedWeek) {
            weekTimetableOf(d, static_cast<CodeId>(c), w, t);
            cachedCode = c;
            cachedWeek = w;
        }
        return t;
    };
    const SlotCoding &k = d.coding;
    int found = 0;

    // Lines for one compared timetable; the result is how many it wrote.
    const auto compare = [&](int owner, std::string_view code, std::uint16_t word, int w1, int w2,
                             int d1, int d2, int b1, int b2) {
        const std::uint16_t significant =
            static_cast<std::uint16_t>(d.lectureCodeMask | LectureEventBit | LectureBookingBit);
        const std::string newText = cellText(d, makeCell(word, 0));
        int written = 0;
        for (int w = w1; w <= w2; ++w) {
            const WeekTimetable &tt = timetable(owner, w);
            for (int day = d1; day <= d2; ++day) {
                for (int bell = b1; bell <= b2; ++bell) {
                    const CellWord cell = tt.cell(day, bell);
                    // Only a cell something else occupies is a collision.
                    if (cell == 0 || ((cellLectureWord(cell) ^ word) & significant) == 0)
                        continue;
                    lines += std::string(code) + "\t" + formatWeek(d, w, 3) + "\t" +
                             formatDayBell(d, day, bell, 1) + "\t" + cellText(d, cell) + " <> " +
                             newText + "\r\n";
                    ++written;
                }
            }
        }
        return written;
    };

    forEachTextLine(text, [&](std::string_view line) {
        if (line.find('[') != std::string_view::npos && line.find(']') != std::string_view::npos) {
            const std::string_view name = sectionName(line);
            part = name == "[Collections]"     ? Part::Collections
                   : name == "[Tablelectures]" ? Part::Lectures
                   : name == "[Tablebookings]" ? Part::Bookings
                                               : Part::Other;
            return;
        }
        if (part == Part::Other)
            return;
        const auto kv = splitKeyValue(line);
        if (!kv)
            return;
        const std::vector<std::string> f = splitFields(kv->value);
        if (part == Part::Collections) {
            if (f.size() < 2)
                return;
            const CodeId e = find(f[0]), r = find(f[1]);
            if (e != 0 && r != 0 && d.codes[e].isEvent() && !d.codes[r].isEvent())
                pairs.emplace_back(e, r);
            return;
        }
        const CodeId c = f.empty() ? 0 : find(f[0]);
        if (c == 0 || f.size() < 5)
            return;
        const auto field = [&](std::size_t i, int fallback) {
            return i < f.size() && !f[i].empty() ? toInt(f[i], -1) : fallback;
        };
        const int w1 = field(1, -1), w2 = field(2, -1), d1 = field(3, -1), d2 = field(4, -1);
        const int b1 = field(5, 1), b2 = field(6, b1);
        if (w1 < 1 || w1 > w2 || w2 > k.weekLimit || d1 < 1 || d1 > d2 || d2 > k.dayLimit ||
            b1 < 1 || b1 > b2 || b2 > k.bellLimit)
            return;
        if (part == Part::Bookings) {
            const auto word = static_cast<std::uint16_t>(ownWord(d, c) | LectureBookingBit);
            found += compare(c, f[0], word, w1, w2, d1, d2, b1, b2);
            return;
        }
        if (!d.codes[c].isEvent())
            return;
        // The event's resources in file order; the first one that collides speaks for all.
        for (const auto &[e, r] : pairs) {
            if (e != c)
                continue;
            const int n = compare(r, f[0], ownWord(d, c), w1, w2, d1, d2, b1, b2);
            found += n;
            if (n > 0)
                break;
        }
    });
    return found;
}

Result<int> preCheckFile(const ScheduleData &d, const std::string &textPath,
                         const std::string &reportPath)
{
    const auto text = readTextFile(textPath);
    if (!text)
        return std::unexpected(text.error());
    std::string lines;
    const int found = preCheckText(d, *text, lines);
    auto written = writeFileAtomically(
        reportPath, std::span(reinterpret_cast<const std::uint8_t *>(lines.data()), lines.size()));
    if (!written)
        return std::unexpected(written.error());
    return found;
}

RemoveMatches matchListed(const ScheduleData &d, std::string_view text)
{
    RemoveMatches m;
    int section = 0; // 1 events, 2 resources
    forEachTextLine(text, [&](std::string_view line) {
        if (isSectionLine(line)) {
            const std::string_view name = sectionName(line);
            section = name == "[Coursedata]" ? 1 : name == "[Componentdata]" ? 2 : 0;
            return;
        }
        const auto kv = section != 0 ? splitKeyValue(line) : std::nullopt;
        if (!kv)
            return;
        ++(section == 1 ? m.eventLines : m.resourceLines);
        const std::vector<std::string> f = splitFields(kv->value);
        const std::string code = f[0].substr(0, CodeLength);
        const CodeId c = findCode(d, code);
        if (c == 0)
            return;
        auto &list = d.codes[c].isEvent() ? m.events : m.resources;
        if (std::find(list.begin(), list.end(), code) == list.end())
            list.push_back(code);
    });
    return m;
}

int removeListed(ScheduleData &d, std::string_view text, const ConfirmRemoval &confirm)
{
    const RemoveMatches m = matchListed(d, text);
    int removed = 0;
    const auto removeAll = [&](const std::vector<std::string> &codes) {
        for (const std::string &code : codes) {
            if (const CodeId c = findCode(d, code); c != 0 && deleteCode(d, c))
                ++removed;
        }
    };
    if (!m.resources.empty() &&
        confirm(false, static_cast<int>(m.resources.size()), m.resourceLines))
        removeAll(m.resources);
    if (!m.events.empty() && confirm(true, static_cast<int>(m.events.size()), m.eventLines))
        removeAll(m.events);
    if (removed > 0)
        rebuildLists(d);
    return removed;
}

} // namespace quivra
