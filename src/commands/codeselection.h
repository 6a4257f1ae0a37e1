#pragma once

// CodeSelection: what the code selection dialog holds while it is open, and everything its
// controls do. The dialog lists the codes a command offers (CodePickRequest), each with a check
// box, and lets the user check them by category, by mask, by links with codes of the other
// kind, by lock state, by a range of lines, or one by one; it shows running sums of the checked
// codes. The widget draws this state and forwards every click here.
//
// The selection never changes the data set: the caller (Prompter::pickCodes) writes the answer
// into the link marks after OK.

#include "engine/scheduledata.h"
#include "ui/dialogs.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

class Prompter;

// Start mode of CodePickRequest: every listed code starts checked (otherwise the preset does).
constexpr int PickStartAllChecked = 1;

// Length of a selection mask; '?' stands for any character.
constexpr std::size_t SelectionMaskLength = 15;

enum class LockFilter { Locked, Unlocked, All };

// What the Lock button does, in the order it offers them.
enum class LockOperation { LockChecked = 1, UnlockChecked, LockUnchecked, UnlockUnchecked };
// The choice the Lock button offers, as a "$"-list in LockOperation order.
constexpr const char *LockOperations = "Lock all checked events$Unlock all checked events$"
                                       "Lock all unchecked events$Unlock all unchecked events$";

struct SelectionSums
{
    long long planned = 0;
    long long allocated = 0;
    long long scheduled = 0;
    long long links = 0;
    int empty = 0; // checked codes with no links
};

class CodeSelection
{
public:
    struct Category
    {
        bool events = false;
        int number = 0;    // 1..MaxCategories
        std::string label; // "Name (count)"
        int count = 0;     // listed codes of the category
        bool checked = true;
    };

    CodeSelection(const ScheduleData &d, const CodePickRequest &request);

    const ScheduleData &data() const { return m_d; }
    // The listed codes in list order, and whether each is checked.
    const std::vector<CodeId> &codes() const { return m_codes; }
    int size() const { return static_cast<int>(m_codes.size()); }
    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    int checkedCount() const;
    std::vector<CodeId> checkedCodes() const;
    bool listsEvents() const;
    bool listsResources() const;

    // ----- categories -----
    // The named categories of each kind listed, and any other that holds a listed code.
    const std::vector<Category> &categories() const { return m_categories; }
    // The request fixed the category: only it is listed, and the category list cannot change.
    bool categoryFixed() const { return m_fixedCategory != 0; }
    // Checks or unchecks a category, then checks exactly the listed codes of checked categories.
    void setCategoryChecked(int index, bool checked);
    void checkAll(); // every category and every code
    void clearAll(); // no category and no code
    void invert();   // every category and every code flipped

    // ----- mask -----
    // `text` padded with '?' and cut to the mask length.
    static std::string normaliseMask(std::string_view text);
    // A code matches when each of its characters equals the mask's or the mask has '?' there.
    static bool matchesMask(std::string_view code, std::string_view mask);
    const std::string &mask() const { return m_mask; }
    // Checks exactly the listed codes the (normalised) mask matches.
    void applyMask(std::string_view text);

    // ----- links -----
    // The codes of the other kind, in list order, offered for the links choice; empty when
    // there is nothing to link with.
    std::vector<CodeId> linkCandidates() const;
    // Also checks every listed code linked with one of `others`; nothing is unchecked.
    void addLinked(const std::vector<CodeId> &others);

    // ----- lock state (events) -----
    int lockedCount() const;
    int unlockedCount() const;
    // Checks exactly the listed events of that lock state (every listed code for All).
    void selectByLock(LockFilter filter);
    // Whether the dialog can lock: it lists events and its caller lets it.
    bool canLock() const { return listsEvents() && static_cast<bool>(m_setLocks); }
    // The listed events an operation locks or unlocks (those already so are left out).
    std::vector<CodeId> lockTargets(LockOperation op) const;
    // Locks or unlocks them at once; the number changed.
    int lock(LockOperation op);

    // ----- range of lines -----
    void setRangeFirst(int row);
    void setRangeLast(int row);
    int rangeFirst() const { return m_first; }
    int rangeLast() const { return m_last; }
    // Lines in the range, 0 when first and last do not make one.
    int rangeSize() const;
    void checkRange(bool checked);

    // ----- panels -----
    SelectionSums sums() const;
    std::string sumsText() const;     // " PLANNED = %d\n ALLOCATED = ..."
    std::string countText() const;    // "%d events (%d shown)"
    std::string selectedText() const; // "%d out of %d selected"

private:
    void recomputeFromCategories();
    bool categoryChecked(CodeId c) const;

    const ScheduleData &m_d;
    std::vector<CodeId> m_codes;
    std::vector<char> m_checked;
    std::vector<Category> m_categories;
    std::string m_mask;
    int m_first = -1;
    int m_last = -1;
    int m_fixedCategory = 0;
    std::function<void(const std::vector<CodeId> &, bool)> m_setLocks;
};

// Options | Code selection: marks the events (or resources) the user checks, starting from the
// codes marked now; the marks of the other kind stay. Returns false: marks are no change of
// the data.
bool selectCodesToMark(ScheduleData &d, Prompter &p, bool events);

} // namespace quivra
