#pragma once

// The Options dialog: the timetable rules of the resource categories (which ones may not
// conflict, whose gaps count), the default block length, the booking defaults and the display
// defaults.
//
// The dialog only draws and collects OptionsValues. Reading them from the data set and the
// settings, writing them back and deciding whether the change may have let conflicts in are
// plain functions below, so they can be checked without widgets. Accept writes; Cancel leaves
// the data set and the settings as they were.
//
// Switching conflict checking on for a category that has resources can leave two events in one
// cell of a resource that from now on must not hold two. The user is asked at once whether to
// sweep them out; when declined, the data set remembers that a check is due (its conflict-source
// counter of this page), and the health check offers it later.

#include "engine/conflicts.h"
#include "engine/limits.h"
#include "engine/scheduledata.h"
#include "files/settings.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace quivra {

class Clipboard;
class Progress;
class Prompter;
class TFrameForm;

// Opens the Options dialog over the frame's data set and settings; on Accept writes them back,
// settles possible conflicts and refreshes the views.
void showOptionsDialog(TFrameForm &frame);

// What the dialog edits. Categories are resource categories 1..7 (entry 0 unused).
struct OptionsValues
{
    std::array<bool, MaxCategories + 1> preventConflicts{}; // no-timetable bit clear
    std::array<bool, MaxCategories + 1> countGaps{};        // no-gaps bit clear
    int blockLength = 1;                                    // default block of the Timetables view
    int eventBookingKind = 1;                               // 1..3
    int resourceBookingKind = 1;                            // 1..3
    bool bookingsOccupied = false; // bookings count as occupied cells in the gap figures
    int showMode = 1;              // 1 codes, 2 names, 3 code and name
    int codeMode = 1;              // timetable cell display mode 1..3
    bool useColors = true;         // views drawn in their colours
    bool useCodeColors = true;     // codes drawn in their own colours
    bool showInfo = false;         // code information beside the views

    friend bool operator==(const OptionsValues &, const OptionsValues &) = default;
};

// The values as the data set and the settings hold them now.
OptionsValues readOptions(const ScheduleData &d, const Settings &s);

struct OptionsApplied
{
    bool masksChanged = false;
    // A category with resources had its conflict checking switched on.
    bool conflictsPossible = false;
};

// Writes `v` into the data set and the settings: the masks (a category without conflict checking
// also has its gaps not counted), the NoTimetable flags of the resources through the recount,
// the booking defaults and the display defaults. Values out of range are clamped. Marks the data
// set as modified when anything of it changed.
OptionsApplied applyOptions(ScheduleData &d, Settings &s, const OptionsValues &v);

// The sweep for a change that may have let conflicts in: asks whether to check and remove them
// now; Yes sweeps every week with removal (`sweep` is told the progress and offered the lines),
// No tells the user how to do it later and notes the declined check in the data set's
// conflict-source counter (dated `today`). Returns the sweep's report (empty when declined).
ConflictReport settleConflicts(ScheduleData &d, Prompter &prompter, SweepDialogue &sweep,
                               std::int32_t today);

// A conflict sweep shown through the prompter and the progress port: the lines offered at the
// first conflict go to the clipboard.
class PromptedSweep final : public SweepDialogue
{
public:
    PromptedSweep(Prompter &prompter, Progress &progress, Clipboard *clipboard)
        : m_prompter(prompter), m_progress(progress), m_clipboard(clipboard)
    {}
    Handling askHandling() override;
    bool offerLines(bool removing) override;
    void progress(int done, int total, int fromWeek, int toWeek, int found, int removed) override;
    bool stopRequested() override;
    void deliverLines(const std::string &lines) override;

    // Closes the progress display of the sweep, when one was shown.
    void finish();

private:
    Prompter &m_prompter;
    Progress &m_progress;
    Clipboard *m_clipboard;
    bool m_began = false;
};

// The widgets. Built from `initial`; values() reads what the user set.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    OptionsDialog(const ScheduleData &d, const OptionsValues &initial, QWidget *parent = nullptr);

    OptionsValues values() const;

    // The check boxes of category k (nullptr for a category without a name).
    QCheckBox *preventBox(int k) const { return m_prevent[static_cast<std::size_t>(k)]; }
    QCheckBox *gapsBox(int k) const { return m_gaps[static_cast<std::size_t>(k)]; }

private:
    void followPrevent(int k);

    OptionsValues m_initial;
    std::array<QCheckBox *, MaxCategories + 1> m_prevent{};
    std::array<QCheckBox *, MaxCategories + 1> m_gaps{};
    QSpinBox *m_blockLength = nullptr;
    QComboBox *m_eventKind = nullptr;
    QComboBox *m_resourceKind = nullptr;
    QCheckBox *m_occupied = nullptr;
    QComboBox *m_showMode = nullptr;
    QComboBox *m_codeMode = nullptr;
    QCheckBox *m_useColors = nullptr;
    QCheckBox *m_codeColors = nullptr;
    QCheckBox *m_showInfo = nullptr;
};

} // namespace quivra
