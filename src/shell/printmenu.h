#pragma once

// The report catalogue ("Print menu"): the nine stored reports and how each is published. The
// dialog only edits parameters; choosing a report loads what its slot stored (through the
// loader it is given), and "Publish" hands the slot and the edited parameters back to the
// caller, which runs the publication (commands/reportcommands.h).

#include "engine/scheduledata.h"
#include "reports/reportparams.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;

namespace quivra {

class TPrintMenu : public QDialog
{
    Q_OBJECT

public:
    using SlotLoader = std::function<ReportParams(int slot)>;
    // The button the dialog was closed with.
    enum class Action { Publish, Print };
    TPrintMenu(const ScheduleData &d, SlotLoader loader, int slot, QWidget *parent = nullptr);

    // The chosen slot (1..9) and its parameters as the controls set them.
    int slot() const;
    Action action() const { return m_action; }
    ReportParams params() const;
    // Fills every control from `params` (kept for the fields no control shows).
    void setParams(const ReportParams &params);

    QListWidget *reports() const { return m_reports; }
    QTabWidget *pages() const { return m_pages; }

private:
    void slotChosen();

    struct FlagBox
    {
        QCheckBox *box;
        bool ReportParams::*field;
    };
    struct BitBox
    {
        QCheckBox *box;
        int ReportParams::*field;
        int bit;
    };

    const ScheduleData &m_d;
    SlotLoader m_loader;
    Action m_action = Action::Publish;
    ReportParams m_params;
    QTabWidget *m_pages;
    QListWidget *m_reports;
    QSpinBox *m_firstWeek, *m_lastWeek;
    QComboBox *m_suffix, *m_charset, *m_weekFormat, *m_codeFormat, *m_categoryMode;
    QComboBox *m_eventRow, *m_resourceRows;
    QLineEdit *m_firstChar, *m_tag, *m_cellFont;
    QSpinBox *m_minRows, *m_maxRows, *m_spacing, *m_padding, *m_border, *m_width;
    std::vector<QCheckBox *> m_categories; // [0..6] categories 1..7 of the cells
    std::vector<FlagBox> m_flags;
    std::vector<BitBox> m_bits;
};

} // namespace quivra
