#pragma once

// The Options dialog: the timetable rules of the resource categories (which ones may not
// conflict, whose gaps count), the default block length, the booking defaults and the display
// defaults.
//
// The dialog only draws and collects OptionsValues. Reading them from the data set and the
// settings, writing them back and settling the conflicts the change may have let in are the
// plain functions of commands/options.h. Accept writes; Cancel leaves the data set and the
// settings as they were.

#include "commands/conflictcheck.h"
#include "commands/options.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace quivra {

class TFrameForm;

// Opens the Options dialog over the frame's data set and settings; on Accept writes them back,
// settles possible conflicts and refreshes the views.
void showOptionsDialog(TFrameForm &frame);

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
