#include "shell/recurringdialog.h"

#include "engine/calendar.h"
#include "shell/helpwindow.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quivra {

namespace {

QColor cellColour(RecurCell cell, const QPalette &palette)
{
    switch (cell) {
    case RecurCell::Scheduled:
        return QColor(128, 0, 128);
    case RecurCell::Blocked:
        return QColor(Qt::red);
    case RecurCell::Planned:
        return QColor(Qt::blue);
    case RecurCell::Available:
        return QColor(Qt::white);
    case RecurCell::Outside:
        break;
    }
    return palette.window().color();
}

QLabel *legend(const char *text, QColor colour, QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setAlignment(Qt::AlignCenter);
    const QColor ink = colour.lightness() < 160 ? QColor(Qt::white) : QColor(Qt::black);
    label->setStyleSheet(QStringLiteral("background: %1; color: %2; padding: 3px 8px;")
                             .arg(colour.name(), ink.name()));
    return label;
}

} // namespace

TRecurEvents::TRecurEvents(RecurringEvents &state, QWidget *parent)
    : QDialog(parent), m_state(state),
      m_repeating(new QRadioButton(QStringLiteral("Repeating event"), this)),
      m_multi(new QRadioButton(QStringLiteral("Multi-day event"), this)),
      m_dayGroup(new QGroupBox(this)), m_startBell(new QComboBox(this)),
      m_endBell(new QComboBox(this)), m_startWeek(new QComboBox(this)),
      m_endWeek(new QComboBox(this)), m_now(new QLabel(this)), m_available(new QLabel(this)),
      m_previously(new QLabel(this)), m_warning(new QLabel(this)), m_periods(new QLabel(this)),
      m_weeks(new QLabel(this)), m_dates(new QLabel(this)), m_hint(new QLabel(this)),
      m_planned(new QGroupBox(this)),
      m_schedule(new QPushButton(QStringLiteral("&Schedule"), this)),
      m_unschedule(new QPushButton(QStringLiteral("&Unschedule this event"), this)),
      m_show(new QPushButton(QStringLiteral("&Hide"), this)), m_grid(new QTableWidget(this)),
      m_legend(new QWidget(this))
{
    setObjectName(QStringLiteral("TRecurEvents"));
    const ScheduleData &d = m_state.data();
    setWindowTitle(toQString(m_state.caption()));
    m_schedule->setObjectName(QStringLiteral("schedule"));
    m_unschedule->setObjectName(QStringLiteral("unschedule"));
    m_grid->setObjectName(QStringLiteral("grid"));
    m_now->setToolTip(QStringLiteral("Periods to schedule now"));
    m_available->setToolTip(QStringLiteral("Periods initially available on selected day(s)"));
    m_previously->setToolTip(QStringLiteral("Planned periods for this event"));
    m_dates->setToolTip(QStringLiteral("Selected date range"));
    m_warning->setStyleSheet(QStringLiteral("color: red"));
    m_hint->setWordWrap(true);
    m_hint->setMinimumHeight(m_hint->fontMetrics().height() * 3);
    m_repeating->setChecked(true);
    for (QPushButton *b : {m_schedule, m_unschedule, m_show})
        b->setAutoDefault(false);

    auto *type = new QGroupBox(QStringLiteral(" Event type "), this);
    auto *typeLayout = new QVBoxLayout(type);
    typeLayout->addWidget(m_repeating);
    typeLayout->addWidget(m_multi);

    auto *dayLayout = new QVBoxLayout(m_dayGroup);
    for (int day = 1; day <= MaxDays; ++day) {
        auto *box = new QCheckBox(toQString(formatDayBell(d, day, 0, 0)), m_dayGroup);
        box->setObjectName(QStringLiteral("day%1").arg(day));
        box->setEnabled(m_state.dayEnabled(day));
        if (box->text().isEmpty())
            box->setText(QStringLiteral("Day %1").arg(day));
        m_days[static_cast<std::size_t>(day)] = box;
        dayLayout->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this, day](bool on) {
            if (m_filling)
                return;
            m_state.setDay(day, on);
            redraw();
        });
    }

    for (int bell = 1; bell <= usedBells(d); ++bell) {
        const QString name = toQString(d.bellNames[static_cast<std::size_t>(bell)].view());
        const QString item = name.isEmpty() ? QString::number(bell) : name;
        m_startBell->addItem(item);
        m_endBell->addItem(item);
    }
    for (int week = 1; week <= usedWeeks(d); ++week) {
        m_startWeek->addItem(toQString(m_state.weekItem(week)));
        m_endWeek->addItem(toQString(m_state.weekItem(week)));
    }
    auto *time = new QGroupBox(QStringLiteral(" Event time "), this);
    auto *timeLayout = new QGridLayout(time);
    timeLayout->addWidget(new QLabel(QStringLiteral("From:"), time), 0, 0);
    timeLayout->addWidget(m_startBell, 0, 1);
    timeLayout->addWidget(new QLabel(QStringLiteral("To:"), time), 1, 0);
    timeLayout->addWidget(m_endBell, 1, 1);
    timeLayout->addWidget(new QLabel(QStringLiteral("Periods:"), time), 2, 0);
    timeLayout->addWidget(m_periods, 2, 1);
    auto *weeks = new QGroupBox(QStringLiteral(" Weeks "), this);
    auto *weekLayout = new QGridLayout(weeks);
    weekLayout->addWidget(new QLabel(QStringLiteral("From:"), weeks), 0, 0);
    weekLayout->addWidget(m_startWeek, 0, 1);
    weekLayout->addWidget(new QLabel(QStringLiteral("To:"), weeks), 1, 0);
    weekLayout->addWidget(m_endWeek, 1, 1);
    weekLayout->addWidget(new QLabel(QStringLiteral("Weeks:"), weeks), 2, 0);
    weekLayout->addWidget(m_weeks, 2, 1);
    weekLayout->addWidget(m_dates, 3, 0, 1, 2);

    auto *plannedLayout = new QVBoxLayout(m_planned);
    plannedLayout->addWidget(m_now);
    plannedLayout->addWidget(m_available);
    plannedLayout->addWidget(m_previously);

    auto *left = new QVBoxLayout;
    left->addWidget(type);
    left->addWidget(m_dayGroup);
    left->addStretch(1);
    auto *middle = new QVBoxLayout;
    middle->addWidget(time);
    middle->addWidget(weeks);
    middle->addWidget(m_planned);
    middle->addStretch(1);
    auto *buttons = new QVBoxLayout;
    auto *info = new QPushButton(QStringLiteral("&Info"), this);
    info->setToolTip(QStringLiteral("Show more info of this event"));
    info->setEnabled(false);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto *help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName("helpButton");
    connect(help, &QPushButton::clicked, this, [this] { showHelp(this, RecurringHelpTopic); });
    for (QPushButton *b : {m_schedule, m_unschedule, m_show, info, cancel, help}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);

    auto *controls = new QHBoxLayout;
    controls->addLayout(left);
    controls->addLayout(middle, 1);
    controls->addLayout(buttons);

    auto *legendLayout = new QHBoxLayout(m_legend);
    legendLayout->setContentsMargins(0, 0, 0, 0);
    legendLayout->addWidget(legend("Planned", Qt::blue, m_legend));
    legendLayout->addWidget(legend("Available", Qt::white, m_legend));
    legendLayout->addWidget(legend("Not available", Qt::red, m_legend));
    legendLayout->addWidget(legend("Scheduled", QColor(128, 0, 128), m_legend));
    legendLayout->addStretch(1);

    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->horizontalHeader()->setDefaultSectionSize(40);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setMinimumHeight(200);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_warning);
    layout->addWidget(m_legend);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_hint);
    resize(900, 700);

    connect(m_multi, &QRadioButton::toggled, this, [this](bool on) {
        if (m_filling)
            return;
        m_state.setMultiDay(on);
        redraw();
    });
    const auto combo = [this](QComboBox *box, void (RecurringEvents::*set)(int)) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, set](int index) {
            if (m_filling || index < 0)
                return;
            (m_state.*set)(index + 1);
            redraw();
        });
    };
    combo(m_startBell, &RecurringEvents::setStartBell);
    combo(m_endBell, &RecurringEvents::setEndBell);
    combo(m_startWeek, &RecurringEvents::setStartWeek);
    combo(m_endWeek, &RecurringEvents::setEndWeek);
    connect(m_show, &QPushButton::clicked, this, [this] {
        m_gridShown = !m_gridShown;
        redraw();
    });
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int column) {
        const int c = column + 1;
        m_hint->setText(
            toQString(m_state.cellHint(m_state.columnWeek(c), m_state.columnDay(c), row + 1)));
    });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        const int c = column + 1;
        if (m_state.toggleCell(m_state.columnWeek(c), m_state.columnDay(c), row + 1))
            redraw();
    });
    connect(m_schedule, &QPushButton::clicked, this, [this] {
        const ScheduleOutcome outcome = m_state.schedule();
        if (outcome == ScheduleOutcome::Unchanged)
            return;
        m_changed = true;
        if (outcome == ScheduleOutcome::Close)
            accept();
        else
            redraw();
    });
    connect(m_unschedule, &QPushButton::clicked, this, [this] {
        if (m_state.unschedule()) {
            m_changed = true;
            redraw();
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    redraw();
}

void TRecurEvents::redraw()
{
    m_filling = true;
    m_dayGroup->setTitle(m_state.multiDay ? QStringLiteral(" First and last day ")
                                          : QStringLiteral(" On every "));
    for (int day = 1; day <= MaxDays; ++day)
        m_days[static_cast<std::size_t>(day)]->setChecked(m_state.dayChecked(day));
    m_multi->setChecked(m_state.multiDay);
    m_repeating->setChecked(!m_state.multiDay);
    m_startBell->setCurrentIndex(m_state.startBell() - 1);
    m_endBell->setCurrentIndex(m_state.endBell() - 1);
    m_startWeek->setCurrentIndex(m_state.startWeek() - 1);
    m_endWeek->setCurrentIndex(m_state.endWeek() - 1);
    m_filling = false;

    m_planned->setTitle(toQString(m_state.plannedCaption()));
    m_now->setText(toQString(m_state.nowText()));
    m_available->setText(toQString(m_state.availableText()));
    m_previously->setText(toQString(m_state.previouslyText()));
    m_warning->setText(toQString(m_state.warning()));
    m_periods->setText(toQString(m_state.periodsText()));
    m_weeks->setText(toQString(m_state.weeksText()));
    m_dates->setText(toQString(m_state.dateRange()));
    m_schedule->setEnabled(m_state.canSchedule());
    m_unschedule->setEnabled(m_state.canUnschedule());
    m_show->setEnabled(m_state.anyDay());
    m_show->setText(m_gridShown ? QStringLiteral("&Hide") : QStringLiteral("&Show"));
    m_show->setToolTip(m_gridShown ? QStringLiteral("Hide the timetables")
                                   : QStringLiteral("Show the timetables"));
    const bool visible = m_gridShown && m_state.anyDay();
    m_grid->setVisible(visible);
    m_legend->setVisible(visible);
    if (visible)
        fillGrid();
}

void TRecurEvents::fillGrid()
{
    const ScheduleData &d = m_state.data();
    const int columns = m_state.columns();
    const int bells = usedBells(d);
    m_grid->setRowCount(bells);
    m_grid->setColumnCount(columns);
    // Each week's first column carries the week's label above the day's short name.
    QStringList days;
    for (int c = 1; c <= columns; ++c) {
        const QString day = toQString(formatDayBell(d, m_state.columnDay(c), 0, 1));
        days << (m_state.columnDay(c) == 1
                     ? toQString(formatWeek(d, m_state.columnWeek(c), 3)) + "\n" + day
                     : "\n" + day);
    }
    m_grid->setHorizontalHeaderLabels(days);
    QStringList bellNames;
    for (int bell = 1; bell <= bells; ++bell) {
        const QString name = toQString(d.bellNames[static_cast<std::size_t>(bell)].view());
        bellNames << (name.isEmpty() ? QString::number(bell) : name);
    }
    m_grid->setVerticalHeaderLabels(bellNames);
    for (int c = 1; c <= columns; ++c) {
        const int week = m_state.columnWeek(c);
        for (int bell = 1; bell <= bells; ++bell) {
            QTableWidgetItem *item = m_grid->item(bell - 1, c - 1);
            if (!item) {
                item = new QTableWidgetItem;
                m_grid->setItem(bell - 1, c - 1, item);
            }
            item->setBackground(
                cellColour(m_state.cell(week, m_state.columnDay(c), bell), palette()));
            if (bell == 1)
                item->setToolTip(toQString(formatWeek(d, week, 3)));
        }
    }
    // The first column of the start week leftmost, the earlier bell in view.
    const int first = (m_state.startWeek() - 1) * std::max(1, usedDays(d));
    const int row = std::max(0, std::min(m_state.startBell(), m_state.endBell()) - 1);
    if (columns > 0 && bells > 0) {
        m_grid->scrollToItem(m_grid->item(row, std::min(first, columns - 1)));
        m_grid->horizontalScrollBar()->setValue(std::min(first, columns - 1));
    }
}

bool showRecurringDialog(ScheduleData &d, Prompter &p, CodeId event, QWidget *parent)
{
    RecurringEvents state(d, p, event);
    TRecurEvents dialog(state, parent);
    dialog.exec();
    return dialog.changed();
}

} // namespace quivra
