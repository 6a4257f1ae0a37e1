#include "shell/optionsdialog.h"

#include "commands/session.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/textutil.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"
#include "shell/qtports.h"
#include "ui/helptopics.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

namespace {

const QDate DateBase(1899, 12, 30); // day 0 of the date serials

QDate dateOf(std::int32_t serial)
{
    return DateBase.addDays(serial);
}

std::int32_t serialOf(const QDate &date)
{
    return static_cast<std::int32_t>(DateBase.daysTo(date));
}

QTableWidgetItem *cell(const QString &text, bool editable = true)
{
    auto *item = new QTableWidgetItem(text);
    if (!editable)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidget *table(int rows, const QStringList &columns)
{
    auto *t = new QTableWidget(rows, static_cast<int>(columns.size()));
    t->setHorizontalHeaderLabels(columns);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::AllEditTriggers);
    return t;
}

QString text(const QTableWidget *t, int row, int column)
{
    const QTableWidgetItem *item = t->item(row, column);
    return item ? item->text() : QString();
}

std::string bytes(const QTableWidget *t, int row, int column)
{
    return fromQString(text(t, row, column));
}

// A number typed into a field; 0 when it is none, which every check refuses.
int numberIn(const QString &typed)
{
    return toInt(fromQString(typed), 0);
}

QLineEdit *numberEdit(int value)
{
    auto *edit = new QLineEdit(QString::number(value));
    edit->setMaxLength(5);
    edit->setMaximumWidth(80);
    return edit;
}

int codesIn(const ScheduleData &d, bool events, int k)
{
    int n = 0;
    for (int c = 1; c <= d.codeCount; ++c)
        if (d.codes[c].isEvent() == events && categoryOf(d, static_cast<CodeId>(c)) == k)
            ++n;
    return n;
}

QTableWidget *categoryTable(const ScheduleData &d, bool events,
                            const std::array<CategoryItem, MaxCategories + 1> &items)
{
    auto *t = table(MaxCategories, {QObject::tr("Letter"), QObject::tr("Name"),
                                    events ? QObject::tr("Events") : QObject::tr("Resources")});
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto &item = items[static_cast<std::size_t>(k)];
        t->setItem(k - 1, 0, cell(toQString(item.letter)));
        t->setItem(k - 1, 1, cell(toQString(item.name)));
        auto *count = cell(QString::number(codesIn(d, events, k)), false);
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(k - 1, 2, count);
    }
    t->setColumnWidth(0, 60);
    t->setColumnWidth(1, 220);
    return t;
}

void readCategoryTable(const QTableWidget *t, std::array<CategoryItem, MaxCategories + 1> &items)
{
    for (int k = 1; k <= MaxCategories; ++k)
        items[static_cast<std::size_t>(k)] = {bytes(t, k - 1, 0), bytes(t, k - 1, 1)};
}

} // namespace

// ---- The widgets -----------------------------------------------------------------------------

OptionsDialog::OptionsDialog(const ScheduleData &d, const OptionsValues &initial, QWidget *parent)
    : QDialog(parent), m_d(d), m_initial(initial)
{
    setWindowTitle(tr("Options"));
    setObjectName("optionsPages");
    m_tabs = new QTabWidget(this);
    // In the order of OptionsPage.
    m_tabs->addTab(buildLimitsPage(), tr("Limits"));
    m_tabs->addTab(buildTimePage(), tr("Time"));
    m_tabs->addTab(buildCategoriesPage(), tr("Categories"));
    m_tabs->addTab(buildTimetablesPage(), tr("Timetables"));
    m_tabs->addTab(buildBookingsPage(), tr("Bookings"));
    m_tabs->addTab(buildDisplayPage(), tr("Display"));
    followLimits();
    followDates();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Accept"));
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    addHelpButton(buttons, HelpTopic::OptionsDialog);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(900, 600);
}

QWidget *OptionsDialog::buildLimitsPage()
{
    const CalendarValues &c = m_initial.calendar;
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *limits = new QGroupBox(tr(" Limits for weeks, days and time periods "));
    auto *form = new QFormLayout(limits);
    m_weeks = numberEdit(c.weeks);
    m_days = numberEdit(c.days);
    m_bells = numberEdit(c.bells);
    form->addRow(tr("Weeks or terms (MAX=%1)").arg(weekCap(m_d)), m_weeks);
    form->addRow(tr("Days in each week (MAX=%1)").arg(dayCap(m_d)), m_days);
    form->addRow(tr("Time periods (MAX=%1)").arg(bellCap(m_d)), m_bells);
    m_cells = new QLabel;
    form->addRow(tr("Timetable cells:"), m_cells);
    layout->addWidget(limits);
    auto *hint = new QLabel(tr("Name the weeks, days and time periods on the page \"Time\". The "
                               "calendar cannot be made smaller than the allocations and "
                               "timetables stored in it."));
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addStretch();
    for (QLineEdit *edit : {m_weeks, m_days, m_bells})
        connect(edit, &QLineEdit::textChanged, this, [this] { followLimits(); });
    return page;
}

QWidget *OptionsDialog::buildTimePage()
{
    const CalendarValues &c = m_initial.calendar;
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *dates = new QHBoxLayout;
    m_dated = new QCheckBox(tr("Align Quivra weeks with Calendar"));
    m_dated->setChecked(c.dated);
    m_firstDate = new QDateEdit;
    m_firstDate->setCalendarPopup(true);
    m_firstDate->setDisplayFormat("dd.MM.yyyy");
    m_firstDate->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
    m_firstDate->setDate(c.firstWeekDate > 0 ? dateOf(c.firstWeekDate) : QDate::currentDate());
    dates->addWidget(m_dated);
    dates->addSpacing(24);
    dates->addWidget(new QLabel(tr("First day of week 1:")));
    dates->addWidget(m_firstDate);
    dates->addStretch();
    layout->addLayout(dates);

    m_weekTable =
        table(static_cast<int>(c.weekRows.size()), {tr("Name"), tr("Length"), tr("First day")});
    for (std::size_t i = 0; i < c.weekRows.size(); ++i) {
        const int row = static_cast<int>(i);
        m_weekTable->setItem(row, 0, cell(toQString(c.weekRows[i].name)));
        m_weekTable->setItem(row, 1, cell(QString::number(c.weekRows[i].length)));
        m_weekTable->setItem(row, 2, cell({}, false));
    }
    m_weekTable->setColumnWidth(0, 80);
    m_weekTable->setColumnWidth(1, 60);
    m_weekTable->setToolTip(tr("Week names (at most %1 characters) and how many real weeks each "
                               "week stands for")
                                .arg(WeekNameLength));
    m_dayTable = table(static_cast<int>(c.dayNames.size()), {tr("Name")});
    for (std::size_t i = 0; i < c.dayNames.size(); ++i)
        m_dayTable->setItem(static_cast<int>(i), 0, cell(toQString(c.dayNames[i])));
    m_bellTable = table(static_cast<int>(c.bellNames.size()), {tr("Name (start-end)")});
    for (std::size_t i = 0; i < c.bellNames.size(); ++i)
        m_bellTable->setItem(static_cast<int>(i), 0, cell(toQString(c.bellNames[i])));
    m_bellTable->setToolTip(
        tr("Time periods are best named by their times, for example 9:00-9:45"));

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Weeks or terms:")), 0, 0);
    grid->addWidget(new QLabel(tr("Days:")), 0, 1);
    grid->addWidget(new QLabel(tr("Time periods:")), 0, 2);
    grid->addWidget(m_weekTable, 1, 0);
    grid->addWidget(m_dayTable, 1, 1);
    grid->addWidget(m_bellTable, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 2);
    layout->addLayout(grid, 1);

    connect(m_dated, &QCheckBox::toggled, this, [this] { followDates(); });
    connect(m_firstDate, &QDateEdit::dateChanged, this, [this] { followDates(); });
    connect(m_weekTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == 1)
            followDates();
    });
    return page;
}

QWidget *OptionsDialog::buildCategoriesPage()
{
    const CategoryValues &c = m_initial.categories;
    auto *page = new QWidget;
    auto *layout = new QGridLayout(page);
    m_eventCategories = categoryTable(m_d, true, c.events);
    m_resourceCategories = categoryTable(m_d, false, c.resources);
    m_bookingKinds = table(6, {tr("Name")});
    QStringList kinds;
    for (int k = 1; k <= 6; ++k) {
        m_bookingKinds->setItem(k - 1, 0,
                                cell(toQString(c.bookingKinds[static_cast<std::size_t>(k)])));
        kinds << (k <= 3 ? tr("Events %1").arg(k) : tr("Resources %1").arg(k - 3));
    }
    m_bookingKinds->setVerticalHeaderLabels(kinds);
    layout->addWidget(new QLabel(tr("Event categories:")), 0, 0);
    layout->addWidget(m_eventCategories, 1, 0);
    layout->addWidget(new QLabel(tr("Resource categories:")), 0, 1);
    layout->addWidget(m_resourceCategories, 1, 1);
    layout->addWidget(new QLabel(tr("Booking kinds:")), 2, 0);
    layout->addWidget(m_bookingKinds, 3, 0);
    auto *hint = new QLabel(tr("The letter stands for the category in summaries and in the "
                               "views. Which resource categories are checked for conflicts and "
                               "whose gaps count is set on the page \"Timetables\"."));
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(hint, 3, 1);
    connect(m_resourceCategories, &QTableWidget::itemChanged, this,
            [this] { followResourceNames(); });
    return page;
}

QWidget *OptionsDialog::buildTimetablesPage()
{
    const OptionsValues &initial = m_initial;
    auto *timetables = new QWidget;
    auto *tLayout = new QVBoxLayout(timetables);
    auto *block = new QFormLayout;
    m_blockLength = new QSpinBox;
    m_blockLength->setRange(1, MaxBells);
    m_blockLength->setValue(std::clamp(initial.blockLength, 1, MaxBells));
    block->addRow(tr("Default block length:"), m_blockLength);
    tLayout->addLayout(block);
    auto *prevent = new QGroupBox(tr("Prevent conflicts for "));
    prevent->setToolTip(tr("Which resources are not allowed to conflict?"));
    auto *gaps = new QGroupBox(tr("Count gaps for (Timetables view) "));
    auto *pLayout = new QVBoxLayout(prevent);
    auto *gLayout = new QVBoxLayout(gaps);
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        m_prevent[i] = new QCheckBox;
        m_prevent[i]->setChecked(initial.preventConflicts[i]);
        m_gaps[i] = new QCheckBox;
        m_gaps[i]->setChecked(initial.countGaps[i] && initial.preventConflicts[i]);
        m_gaps[i]->setEnabled(initial.preventConflicts[i]);
        connect(m_prevent[i], &QCheckBox::toggled, this, [this, k] { followPrevent(k); });
        pLayout->addWidget(m_prevent[i]);
        gLayout->addWidget(m_gaps[i]);
    }
    pLayout->addStretch();
    gLayout->addStretch();
    followResourceNames();
    auto *masks = new QHBoxLayout;
    masks->addWidget(prevent);
    masks->addWidget(gaps);
    tLayout->addLayout(masks);
    tLayout->addStretch();
    return timetables;
}

QWidget *OptionsDialog::buildBookingsPage()
{
    const OptionsValues &initial = m_initial;
    auto *bookings = new QWidget;
    auto *bLayout = new QFormLayout(bookings);
    m_eventKind = new QComboBox;
    m_resourceKind = new QComboBox;
    for (int kind = 1; kind <= 3; ++kind) {
        QString name = toQString(trim(listItem(m_d.bookingKinds.view(), kind)));
        if (name.isEmpty())
            name = QString::number(kind);
        m_eventKind->addItem(name, kind);
        m_resourceKind->addItem(name, kind);
    }
    m_eventKind->setCurrentIndex(std::clamp(initial.eventBookingKind, 1, 3) - 1);
    m_resourceKind->setCurrentIndex(std::clamp(initial.resourceBookingKind, 1, 3) - 1);
    bLayout->addRow(tr("Default booking type of events:"), m_eventKind);
    bLayout->addRow(tr("Default booking type of resources:"), m_resourceKind);
    m_occupied = new QCheckBox(tr("Bookings count as occupied cells"));
    m_occupied->setChecked(initial.bookingsOccupied);
    bLayout->addRow(m_occupied);
    return bookings;
}

QWidget *OptionsDialog::buildDisplayPage()
{
    const OptionsValues &initial = m_initial;
    auto *display = new QWidget;
    auto *dLayout = new QFormLayout(display);
    m_showMode = new QComboBox;
    m_showMode->addItems({tr("Codes [Code]"), tr("Names [Name]"), tr("Both [Code:Name]")});
    m_showMode->setCurrentIndex(std::clamp(initial.showMode, 1, 3) - 1);
    dLayout->addRow(tr("Default show mode:"), m_showMode);
    m_codeColors = new QCheckBox(tr("Draw codes in their own colours"));
    m_codeColors->setChecked(initial.useCodeColors);
    dLayout->addRow(m_codeColors);
    m_seats = new QCheckBox(tr("Show the SEATS of events (room capacities - requirements) in "
                               "the Events view"));
    m_seats->setChecked(initial.showSeats);
    dLayout->addRow(m_seats);
    return display;
}

void OptionsDialog::followPrevent(int k)
{
    const auto i = static_cast<std::size_t>(k);
    const bool on = m_prevent[i]->isChecked();
    m_gaps[i]->setEnabled(on);
    if (!on)
        m_gaps[i]->setChecked(false);
}

void OptionsDialog::followLimits()
{
    const int weeks = numberIn(m_weeks->text());
    const int days = numberIn(m_days->text());
    const int bells = numberIn(m_bells->text());
    // Only the ranges here: a size too small for what is stored is refused on Accept.
    const bool valid = weeks >= 1 && weeks <= weekCap(m_d) && days >= 1 && days <= dayCap(m_d) &&
                       bells >= 1 && bells <= bellCap(m_d);
    m_cells->setText(valid ? QString::number(weeks * days * bells) : tr("-"));
    if (!valid)
        return;
    const std::pair<QTableWidget *, int> shown[] = {
        {m_weekTable, weeks}, {m_dayTable, days}, {m_bellTable, bells}};
    for (const auto &[t, n] : shown)
        for (int row = 0; row < t->rowCount(); ++row)
            t->setRowHidden(row, row >= n);
}

void OptionsDialog::followDates()
{
    const bool dated = m_dated->isChecked();
    m_firstDate->setEnabled(dated);
    m_weekTable->setColumnHidden(2, !dated);
    if (!dated)
        return;
    QSignalBlocker quiet(m_weekTable);
    QDate first = m_firstDate->date();
    for (int row = 0; row < m_weekTable->rowCount(); ++row) {
        m_weekTable->item(row, 2)->setText(first.toString("dd.MM.yyyy"));
        first = first.addDays(7 * std::max(1, numberIn(text(m_weekTable, row, 1))));
    }
}

void OptionsDialog::followResourceNames()
{
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const QString name = text(m_resourceCategories, k - 1, 1).trimmed();
        for (QCheckBox *box : {m_prevent[i], m_gaps[i]}) {
            box->setText(name);
            box->setVisible(!name.isEmpty());
        }
    }
}

QCheckBox *OptionsDialog::preventBox(int k) const
{
    return text(m_resourceCategories, k - 1, 1).trimmed().isEmpty()
               ? nullptr
               : m_prevent[static_cast<std::size_t>(k)];
}

QCheckBox *OptionsDialog::gapsBox(int k) const
{
    return preventBox(k) ? m_gaps[static_cast<std::size_t>(k)] : nullptr;
}

void OptionsDialog::showPage(OptionsPage page)
{
    m_tabs->setCurrentIndex(static_cast<int>(page));
}

OptionsPage OptionsDialog::currentPage() const
{
    return static_cast<OptionsPage>(m_tabs->currentIndex());
}

OptionsValues OptionsDialog::values() const
{
    OptionsValues v = m_initial; // categories without a box keep their bits

    CalendarValues &c = v.calendar;
    c.weeks = numberIn(m_weeks->text());
    c.days = numberIn(m_days->text());
    c.bells = numberIn(m_bells->text());
    c.dated = m_dated->isChecked();
    if (c.dated)
        c.firstWeekDate = serialOf(m_firstDate->date());
    for (std::size_t i = 0; i < c.weekRows.size(); ++i) {
        const int row = static_cast<int>(i);
        c.weekRows[i] = {bytes(m_weekTable, row, 0), numberIn(text(m_weekTable, row, 1))};
    }
    for (std::size_t i = 0; i < c.dayNames.size(); ++i)
        c.dayNames[i] = bytes(m_dayTable, static_cast<int>(i), 0);
    for (std::size_t i = 0; i < c.bellNames.size(); ++i)
        c.bellNames[i] = bytes(m_bellTable, static_cast<int>(i), 0);

    readCategoryTable(m_eventCategories, v.categories.events);
    readCategoryTable(m_resourceCategories, v.categories.resources);
    for (int k = 1; k <= 6; ++k)
        v.categories.bookingKinds[static_cast<std::size_t>(k)] = bytes(m_bookingKinds, k - 1, 0);

    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!preventBox(k))
            continue;
        v.preventConflicts[i] = m_prevent[i]->isChecked();
        v.countGaps[i] = v.preventConflicts[i] && m_gaps[i]->isChecked();
    }
    v.blockLength = m_blockLength->value();
    v.eventBookingKind = m_eventKind->currentData().toInt();
    v.resourceBookingKind = m_resourceKind->currentData().toInt();
    v.bookingsOccupied = m_occupied->isChecked();
    v.showMode = m_showMode->currentIndex() + 1;
    v.useCodeColors = m_codeColors->isChecked();
    v.showSeats = m_seats->isChecked();
    return v;
}

void OptionsDialog::accept()
{
    const OptionsValues v = values();
    const OptionsProblem problem = validateOptions(m_d, v);
    if (!problem.message.empty()) {
        showPage(problem.page);
        if (m_prompter)
            m_prompter->warnDlg(problem.message);
        else
            QMessageBox::warning(this, windowTitle(), toQString(problem.message));
        return;
    }
    QDialog::accept();
}

void showOptionsDialog(TFrameForm &frame, OptionsPage page)
{
    Session *session = &frame.session();
    ScheduleData &d = session->data;
    Settings &settings = session->settings;
    OptionsDialog dialog(d, readOptions(d, settings), &frame);
    dialog.setPrompter(&frame.prompter());
    dialog.showPage(page);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OptionsApplied applied = applyOptions(d, settings, dialog.values());
    if (applied.conflictsPossible) {
        QtClipboard clipboard;
        PromptedSweep sweep(frame.prompter(), &clipboard);
        const ConflictReport report =
            settleConflicts(d, frame.prompter(), sweep, frame.progress(), session->clock.today());
        if (report.found > 0 || report.manualRoomOverlaps > 0)
            frame.progress().status("Conflicts: " + sweepStatusText(report));
    }
    frame.setShowColours(settings.preferences.useCodeColors);
    frame.setShowMode(settings.preferences.showMode); // also rebuilds the views
    frame.dataSetChanged(); // a calendar of another size moves the active week
}

} // namespace quivra
