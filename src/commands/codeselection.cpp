#include "commands/codeselection.h"

#include "commands/codelistrow.h"
#include "engine/codetable.h"
#include "engine/textutil.h"
#include "ui/prompter.h"

#include <algorithm>
#include <unordered_set>

namespace quivra {

namespace {

bool isLocked(const ScheduleData &d, CodeId c)
{
    return d.codes[c].isEvent() && (d.codes[c].flags & LockedBit);
}

} // namespace

CodeSelection::CodeSelection(const ScheduleData &d, const CodePickRequest &request)
    : m_d(d), m_mask(SelectionMaskLength, '?'),
      m_fixedCategory(std::clamp(request.fixedCategory, 0, MaxCategories)),
      m_setLocks(request.setLocks)
{
    std::unordered_set<CodeId> seen;
    const CodePickFilter filter{m_fixedCategory, request.eventFilter};
    for (const CodeId c : request.offered) {
        if (passesPickFilter(d, c, filter) && seen.insert(c).second)
            m_codes.push_back(c);
    }
    m_checked.assign(m_codes.size(), 0);

    for (const bool events : {true, false}) {
        const bool present = std::ranges::any_of(
            m_codes, [&](CodeId c) { return m_d.codes[c].isEvent() == events; });
        if (!present)
            continue;
        const std::string_view names =
            events ? d.eventCategories.view() : d.resourceCategories.view();
        for (int k = 1; k <= MaxCategories; ++k) {
            if (m_fixedCategory != 0 && k != m_fixedCategory)
                continue;
            Category cat;
            cat.events = events;
            cat.number = k;
            cat.count = static_cast<int>(std::ranges::count_if(m_codes, [&](CodeId c) {
                return m_d.codes[c].isEvent() == events && categoryOf(m_d, c) == k;
            }));
            std::string name = listItem(names, k);
            if (name.size() >= 2 && name[1] == ':') // "L:Name"
                name.erase(0, 2);
            if (name.empty() && cat.count == 0) // a category that is not in use
                continue;
            if (name.empty())
                name = std::to_string(k);
            cat.label = name + " (" + std::to_string(cat.count) + ")";
            m_categories.push_back(std::move(cat));
        }
    }

    if (request.mode == PickStartAllChecked) {
        recomputeFromCategories();
    } else {
        const std::unordered_set<CodeId> preset(request.preset.begin(), request.preset.end());
        for (std::size_t i = 0; i < m_codes.size(); ++i)
            m_checked[i] = preset.contains(m_codes[i]);
    }
}

bool CodeSelection::isChecked(int row) const
{
    return row >= 0 && row < size() && m_checked[static_cast<std::size_t>(row)];
}

void CodeSelection::setChecked(int row, bool checked)
{
    if (row >= 0 && row < size())
        m_checked[static_cast<std::size_t>(row)] = checked;
}

int CodeSelection::checkedCount() const
{
    return static_cast<int>(std::ranges::count(m_checked, 1));
}

std::vector<CodeId> CodeSelection::checkedCodes() const
{
    std::vector<CodeId> out;
    for (std::size_t i = 0; i < m_codes.size(); ++i) {
        if (m_checked[i])
            out.push_back(m_codes[i]);
    }
    return out;
}

bool CodeSelection::listsEvents() const
{
    return std::ranges::any_of(m_codes, [&](CodeId c) { return m_d.codes[c].isEvent(); });
}

bool CodeSelection::listsResources() const
{
    return std::ranges::any_of(m_codes, [&](CodeId c) { return !m_d.codes[c].isEvent(); });
}

// A code belongs to the category its category bits name, compared without the kind bit: the
// kind bit is common to every event and must not make every event count as checked.
bool CodeSelection::categoryChecked(CodeId c) const
{
    const bool events = m_d.codes[c].isEvent();
    const int k = categoryOf(m_d, c);
    for (const Category &cat : m_categories) {
        if (cat.events == events && cat.number == k)
            return cat.checked;
    }
    return false;
}

void CodeSelection::recomputeFromCategories()
{
    for (std::size_t i = 0; i < m_codes.size(); ++i)
        m_checked[i] = categoryChecked(m_codes[i]);
}

void CodeSelection::setCategoryChecked(int index, bool checked)
{
    if (index < 0 || index >= static_cast<int>(m_categories.size()))
        return;
    m_categories[static_cast<std::size_t>(index)].checked = checked;
    recomputeFromCategories();
}

void CodeSelection::checkAll()
{
    for (Category &cat : m_categories)
        cat.checked = true;
    recomputeFromCategories();
}

void CodeSelection::clearAll()
{
    for (Category &cat : m_categories)
        cat.checked = false;
    std::ranges::fill(m_checked, 0);
}

void CodeSelection::invert()
{
    for (Category &cat : m_categories)
        cat.checked = !cat.checked;
    for (char &checked : m_checked)
        checked = !checked;
}

std::string CodeSelection::normaliseMask(std::string_view text)
{
    std::string mask(text.substr(0, std::min(text.size(), SelectionMaskLength)));
    mask.resize(SelectionMaskLength, '?');
    return mask;
}

bool CodeSelection::matchesMask(std::string_view code, std::string_view mask)
{
    for (std::size_t i = 0; i < code.size(); ++i) {
        if (i >= mask.size())
            return false;
        if (mask[i] != '?' && mask[i] != code[i])
            return false;
    }
    return true;
}

void CodeSelection::applyMask(std::string_view text)
{
    m_mask = normaliseMask(text);
    for (std::size_t i = 0; i < m_codes.size(); ++i)
        m_checked[i] = matchesMask(m_d.codes[m_codes[i]].code.view(), m_mask);
}

std::vector<CodeId> CodeSelection::linkCandidates() const
{
    const bool events = listsEvents();
    const bool resources = listsResources();
    if (events == resources) // both kinds listed, or none: nothing else to link with
        return {};
    const auto &order = events ? m_d.resourceList : m_d.eventList;
    std::vector<CodeId> out;
    const int count = std::min<int>(order[0], MaxCodes);
    for (int i = 1; i <= count; ++i) {
        const CodeId c = order[static_cast<std::size_t>(i)];
        if (validCode(m_d, c) && m_d.codes[c].isEvent() != events)
            out.push_back(c);
    }
    return out;
}

void CodeSelection::addLinked(const std::vector<CodeId> &others)
{
    const std::unordered_set<CodeId> chosen(others.begin(), others.end());
    if (chosen.empty())
        return;
    for (std::size_t i = 0; i < m_codes.size(); ++i) {
        if (m_checked[i])
            continue;
        const std::vector<CodeId> linked = linkedCodes(m_d, m_codes[i]);
        m_checked[i] = std::ranges::any_of(linked, [&](CodeId c) { return chosen.contains(c); });
    }
}

int CodeSelection::lockedCount() const
{
    return static_cast<int>(
        std::ranges::count_if(m_codes, [&](CodeId c) { return isLocked(m_d, c); }));
}

int CodeSelection::unlockedCount() const
{
    return static_cast<int>(std::ranges::count_if(
        m_codes, [&](CodeId c) { return m_d.codes[c].isEvent() && !isLocked(m_d, c); }));
}

std::vector<CodeId> CodeSelection::lockTargets(LockOperation op) const
{
    const bool checked = op == LockOperation::LockChecked || op == LockOperation::UnlockChecked;
    const bool locking = op == LockOperation::LockChecked || op == LockOperation::LockUnchecked;
    std::vector<CodeId> out;
    for (std::size_t i = 0; i < m_codes.size(); ++i) {
        const CodeId c = m_codes[i];
        if (m_d.codes[c].isEvent() && (m_checked[i] != 0) == checked && isLocked(m_d, c) != locking)
            out.push_back(c);
    }
    return out;
}

int CodeSelection::lock(LockOperation op)
{
    if (!canLock())
        return 0;
    const std::vector<CodeId> targets = lockTargets(op);
    if (!targets.empty())
        m_setLocks(targets, op == LockOperation::LockChecked || op == LockOperation::LockUnchecked);
    return static_cast<int>(targets.size());
}

void CodeSelection::selectByLock(LockFilter filter)
{
    for (std::size_t i = 0; i < m_codes.size(); ++i) {
        const CodeId c = m_codes[i];
        switch (filter) {
        case LockFilter::Locked:
            m_checked[i] = isLocked(m_d, c);
            break;
        case LockFilter::Unlocked:
            m_checked[i] = m_d.codes[c].isEvent() && !isLocked(m_d, c);
            break;
        case LockFilter::All:
            m_checked[i] = 1;
            break;
        }
    }
}

void CodeSelection::setRangeFirst(int row)
{
    m_first = row >= 0 && row < size() ? row : -1;
}

void CodeSelection::setRangeLast(int row)
{
    m_last = row >= 0 && row < size() ? row : -1;
}

int CodeSelection::rangeSize() const
{
    if (m_first < 0 || m_last < m_first || m_last >= size())
        return 0;
    return m_last - m_first + 1;
}

void CodeSelection::checkRange(bool checked)
{
    if (rangeSize() == 0)
        return;
    for (int row = m_first; row <= m_last; ++row)
        m_checked[static_cast<std::size_t>(row)] = checked;
}

SelectionSums CodeSelection::sums() const
{
    SelectionSums s;
    for (std::size_t i = 0; i < m_codes.size(); ++i) {
        if (!m_checked[i])
            continue;
        const CodeRecord &r = m_d.codes[m_codes[i]];
        s.planned += r.planned;
        s.allocated += r.allocated;
        s.scheduled += r.scheduled;
        s.links += r.links;
        if (r.links == 0)
            ++s.empty;
    }
    return s;
}

std::string CodeSelection::sumsText() const
{
    const SelectionSums s = sums();
    return " PLANNED = " + std::to_string(s.planned) +
           "\n ALLOCATED = " + std::to_string(s.allocated) +
           "\n SCHEDULED = " + std::to_string(s.scheduled) +
           "\n LINKS = " + std::to_string(s.links) + "\n EMPTY = " + std::to_string(s.empty);
}

std::string CodeSelection::countText() const
{
    const auto listSize = [&](bool events) {
        const auto &order = events ? m_d.eventList : m_d.resourceList;
        return std::to_string(std::min<int>(order[0], MaxCodes));
    };
    std::string text;
    if (listsEvents())
        text = listSize(true) + " events";
    if (listsResources())
        text += (text.empty() ? "" : " and ") + listSize(false) + " resources";
    if (text.empty())
        text = "No codes";
    return text + " (" + std::to_string(size()) + " shown)";
}

std::string CodeSelection::selectedText() const
{
    return std::to_string(checkedCount()) + " out of " + std::to_string(size()) + " selected";
}

bool selectCodesToMark(ScheduleData &d, Prompter &p, bool events)
{
    p.pickCodes(d, events ? "Select events" : "Select resources", 0,
                events ? PickEvents : PickResources);
    return false;
}

} // namespace quivra
