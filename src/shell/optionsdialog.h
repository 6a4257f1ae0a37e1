#pragma once

// The Options dialog: the calendar's limits (weeks, days and time periods in use), its names,
// lengths and dates, the names of the categories and booking kinds, the timetable rules of the
// resource categories (which ones may not conflict, whose gaps count), the default block
// length, the booking defaults and the display defaults.
//
// The dialog only draws and collects OptionsValues. Reading them from the data set and the
// settings, checking them, writing them back and settling the conflicts the change may have let
// in are the plain functions of commands/options.h. Accept checks first: a wrong value (a
// calendar too small for what is stored in it among them) is named in a message, its page is
// shown and the dialog stays open with everything as typed. Cancel leaves the data set and the
// settings as they were.

#include "commands/conflictcheck.h"
#include "commands/options.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace quivra {

class Prompter;
class TFrameForm;

// Opens the Options dialog on `page` over the frame's data set and settings; on Accept writes
// them back, settles possible conflicts and refreshes the views.
void showOptionsDialog(TFrameForm &frame, OptionsPage page = OptionsPage::Limits);

// The widgets. Built from `initial`; values() reads what the user set.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    OptionsDialog(const ScheduleData &d, const OptionsValues &initial, QWidget *parent = nullptr);

    OptionsValues values() const;

    // Where Accept's messages go; without one they are plain message boxes.
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    void showPage(OptionsPage page);
    OptionsPage currentPage() const;

    // Limits.
    QLineEdit *weeksEdit() const { return m_weeks; }
    QLineEdit *daysEdit() const { return m_days; }
    QLineEdit *bellsEdit() const { return m_bells; }
    QLabel *cellsLabel() const { return m_cells; }
    // Time: rows are weeks, days and time periods 1.. (the ones beyond the limits hidden).
    QCheckBox *datedBox() const { return m_dated; }
    QDateEdit *firstDateEdit() const { return m_firstDate; }
    QTableWidget *weekTable() const { return m_weekTable; }
    QTableWidget *dayTable() const { return m_dayTable; }
    QTableWidget *bellTable() const { return m_bellTable; }
    // Categories: letter and name columns for categories 1..7; booking kinds 1..6.
    QTableWidget *eventCategoryTable() const { return m_eventCategories; }
    QTableWidget *resourceCategoryTable() const { return m_resourceCategories; }
    QTableWidget *bookingKindTable() const { return m_bookingKinds; }

    // The check boxes of resource category k (nullptr for a category without a name).
    QCheckBox *preventBox(int k) const;
    QCheckBox *gapsBox(int k) const;

public slots:
    void accept() override;

private:
    QWidget *buildLimitsPage();
    QWidget *buildTimePage();
    QWidget *buildCategoriesPage();
    QWidget *buildTimetablesPage();
    QWidget *buildBookingsPage();
    QWidget *buildDisplayPage();

    void followPrevent(int k);
    // The hidden rows and the cell count follow the limits as they are typed.
    void followLimits();
    void followDates();
    // The boxes of the Timetables page follow the names of the resource categories.
    void followResourceNames();

    const ScheduleData &m_d;
    OptionsValues m_initial;
    Prompter *m_prompter = nullptr;
    QTabWidget *m_tabs = nullptr;

    QLineEdit *m_weeks = nullptr;
    QLineEdit *m_days = nullptr;
    QLineEdit *m_bells = nullptr;
    QLabel *m_cells = nullptr;

    QCheckBox *m_dated = nullptr;
    QDateEdit *m_firstDate = nullptr;
    QTableWidget *m_weekTable = nullptr;
    QTableWidget *m_dayTable = nullptr;
    QTableWidget *m_bellTable = nullptr;

    QTableWidget *m_eventCategories = nullptr;
    QTableWidget *m_resourceCategories = nullptr;
    QTableWidget *m_bookingKinds = nullptr;

    std::array<QCheckBox *, MaxCategories + 1> m_prevent{};
    std::array<QCheckBox *, MaxCategories + 1> m_gaps{};
    QSpinBox *m_blockLength = nullptr;
    QComboBox *m_eventKind = nullptr;
    QComboBox *m_resourceKind = nullptr;
    QCheckBox *m_occupied = nullptr;
    QComboBox *m_showMode = nullptr;
    QCheckBox *m_codeColors = nullptr;
    QCheckBox *m_seats = nullptr;
};

} // namespace quivra
