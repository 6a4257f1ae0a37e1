#include "views/timetablepanels.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "views/qtext.h"
#include "views/timetablesview.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {
namespace {

const ScheduleData *dataOf(const TMatsForm &view)
{
    return view.host() ? &view.host()->data() : nullptr;
}

// The view's session on the active week, or null without a host or a week.
TimetablesSession *openSession(TMatsForm &view)
{
    if (!view.host())
        return nullptr;
    TimetablesSession &s = view.session();
    if (!s.isOpen() || s.week() != view.host()->activeWeek())
        s.ensure(view.host()->data(), view.host()->activeWeek());
    return s.isOpen() ? &s : nullptr;
}

QPushButton *button(QWidget *parent, QBoxLayout *row, const QString &caption,
                    const QString &hint = {})
{
    auto *b = new QPushButton(caption, parent);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

// A tool window of the view: a title, and shown beside the view's window.
void makeToolWindow(QWidget *panel, const QString &name, const QString &title, QSize size)
{
    panel->setObjectName(name);
    panel->setWindowTitle(title);
    panel->resize(size);
}

template <typename Panel> Panel &panelOf(TMatsForm &view)
{
    if (Panel *panel = view.findChild<Panel *>(QString(), Qt::FindDirectChildrenOnly))
        return *panel;
    return *new Panel(view);
}

template <typename Panel> Panel *shownPanel(TMatsForm &view)
{
    Panel *panel = view.findChild<Panel *>(QString(), Qt::FindDirectChildrenOnly);
    return panel && panel->isVisible() ? panel : nullptr;
}

int indexOfTimetable(const TMatsForm &view, CodeId code)
{
    const std::vector<CodeId> &list = view.timetables();
    const auto at = std::find(list.begin(), list.end(), code);
    return at == list.end() ? -1 : static_cast<int>(at - list.begin());
}

ViewCommand *rowOf(std::vector<ViewCommand> &rows, const QString &id)
{
    for (ViewCommand &row : rows)
        if (row.id == id)
            return &row;
    return nullptr;
}

TMatsForm &form(ViewForm &view)
{
    return static_cast<TMatsForm &>(view);
}

// A panel's row: toggles its window, checked while it is shown.
template <typename Panel> void bindPanel(std::vector<ViewCommand> &rows, const QString &id)
{
    ViewCommand *row = rowOf(rows, id);
    if (!row)
        return;
    row->run = [](ViewForm &view) {
        Panel &panel = panelOf<Panel>(form(view));
        panel.setVisible(!panel.isVisible());
        if (panel.isVisible()) {
            panel.refresh();
            panel.raise();
        }
    };
    row->enabled = [](const ViewForm &view) { return view.host() != nullptr; };
    row->checked = [](const ViewForm &view) {
        auto *panel = view.findChild<Panel *>(QString(), Qt::FindDirectChildrenOnly);
        return panel && panel->isVisible();
    };
}

} // namespace

void chooseWeek(TMatsForm &view, int week)
{
    ViewHost *host = view.host();
    if (!host)
        return;
    host->setActiveWeek(week);
    if (TimetablesSession *s = openSession(view)) {
        const WeekOpening o = weekOpening(s->matrix());
        view.statusLine()->setText(toQString(o.defined + ". " + o.events));
    }
}

// ----- week choice ------------------------------------------------------------------------------

TimetablesWeekChoice::TimetablesWeekChoice(TMatsForm &view) : QComboBox(&view), m_view(view)
{
    setObjectName("weekChoice");
    setToolTip(QStringLiteral("Select the week"));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(m_lines.size()))
            chooseWeek(m_view, m_lines[static_cast<std::size_t>(index)].week);
    });
    connect(this, &QComboBox::highlighted, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(m_lines.size()))
            m_view.statusLine()->setText(
                toQString(weekChoiceStatus(m_lines[static_cast<std::size_t>(index)])));
    });
}

void TimetablesWeekChoice::refill()
{
    const ScheduleData *d = dataOf(m_view);
    m_lines = d ? weekChoiceLines(*d) : std::vector<WeekChoiceLine>{};
    const QSignalBlocker quiet(this);
    clear();
    for (const WeekChoiceLine &line : m_lines)
        addItem(toQString(line.text));
    const int week = m_view.options().activeWeek;
    setCurrentIndex(week >= 1 && week <= count() ? week - 1 : -1);
    if (d)
        setToolTip(toQString(weekChoiceQuestion(*d)));
}

// ----- bird's eye view
// ------------------------------------------------------------------------------

void BirdsEyeModel::setTable(BirdsEyeTable table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int BirdsEyeModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_table.lines.size());
}

int BirdsEyeModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_table.headers.size());
}

QVariant BirdsEyeModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const std::vector<std::string> &cells =
        m_table.lines[static_cast<std::size_t>(index.row())].cells;
    const auto at = static_cast<std::size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return at < cells.size() ? toQString(cells[at]) : QString();
    case Qt::BackgroundRole:
        // Every other day shaded, so the days stand apart in the long line.
        if (m_table.bells > 0 && (index.column() / m_table.bells) % 2 == 1)
            return QColor(238, 242, 250);
        return {};
    default:
        return {};
    }
}

QVariant BirdsEyeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    const auto at = static_cast<std::size_t>(section);
    if (orientation == Qt::Horizontal)
        return at < m_table.headers.size() ? toQString(m_table.headers[at]) : QVariant();
    return at < m_table.lines.size() ? toQString(m_table.lines[at].label) : QVariant();
}

TimetablesBirdsEye::TimetablesBirdsEye(TMatsForm &view)
    : QWidget(&view, Qt::Tool), m_view(view), m_model(new BirdsEyeModel(this)),
      m_table(new QTableView(this))
{
    makeToolWindow(this, "timetablesBirdsEye", QStringLiteral("Bird's eye view"), {900, 420});
    setToolTip(QStringLiteral("Display timetable contents in timeline format"));
    m_table->setObjectName("birdsEyeTable");
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setDefaultSectionSize(20);
    auto *buttons = new QHBoxLayout;
    connect(button(this, buttons, QStringLiteral("Previous week")), &QPushButton::clicked, this,
            [this] { stepWeek(-1); });
    connect(button(this, buttons, QStringLiteral("Next week")), &QPushButton::clicked, this,
            [this] { stepWeek(1); });
    connect(button(this, buttons, QStringLiteral("Copy"), QStringLiteral("Copy to the Clipboard")),
            &QPushButton::clicked, this, &TimetablesBirdsEye::copy);
    connect(button(this, buttons, QStringLiteral("Info")), &QPushButton::clicked, this,
            &TimetablesBirdsEye::info);
    connect(button(this, buttons, QStringLiteral("Narrower"), QStringLiteral("Column width")),
            &QPushButton::clicked, this, [this] { widen(-1); });
    connect(button(this, buttons, QStringLiteral("Wider"), QStringLiteral("Column width")),
            &QPushButton::clicked, this, [this] { widen(1); });
    buttons->addStretch(1);
    m_switch = button(this, buttons, QStringLiteral("Switch view"),
                      QStringLiteral("The master timetable week by week"));
    m_thisWeek = button(this, buttons, QStringLiteral("Switch to this week"));
    m_expanded = button(this, buttons, QStringLiteral("Expanded view"));
    m_expanded->setCheckable(true);
    connect(m_switch, &QPushButton::clicked, this, &TimetablesBirdsEye::switchView);
    connect(m_thisWeek, &QPushButton::clicked, this, &TimetablesBirdsEye::switchToThisWeek);
    connect(m_expanded, &QPushButton::toggled, this, &TimetablesBirdsEye::setExpanded);
    // Queued: the choice rebuilds the table whose signal it answers.
    connect(
        m_table, &QTableView::clicked, this,
        [this](const QModelIndex &index) { chooseLine(index.row(), index.column()); },
        Qt::QueuedConnection);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(m_table, 1);
}

void TimetablesBirdsEye::refresh()
{
    m_thisWeek->setEnabled(m_strip);
    m_expanded->setEnabled(m_strip);
    TimetablesSession *s = openSession(m_view);
    const ScheduleData *d = dataOf(m_view);
    BirdsEyeTable shown;
    if (s && d) {
        const int mode = m_strip && m_expanded->isChecked() ? ShowCodeAndName : ShowCode;
        shown = m_strip ? weekStripRows(*d, s->matrix(), m_view.resource(), mode)
                        : birdsEyeRows(*d, s->matrix(), mode);
        setWindowTitle(m_strip ? QStringLiteral("Bird's eye view - %1 by weeks")
                                     .arg(toQString(formatCode(*d, m_view.resource(), ShowCode)))
                               : QStringLiteral("Bird's eye view - Week %1")
                                     .arg(toQString(formatWeek(*d, s->week(), 7))));
    }
    m_model->setTable(std::move(shown));
    // The columns start as wide as the longest text they show; Narrower and Wider change that.
    if (m_columnWidth == 0 && !m_model->shown().lines.empty()) {
        const QFontMetrics metrics = m_table->fontMetrics();
        int widest = 0;
        for (const std::string &h : m_model->shown().headers)
            widest = std::max(widest, metrics.horizontalAdvance(toQString(h)));
        for (const BirdsEyeLine &line : m_model->shown().lines)
            for (const std::string &cell : line.cells)
                if (!cell.empty())
                    widest = std::max(widest, metrics.horizontalAdvance(toQString(cell)));
        m_columnWidth = std::clamp(widest + 12, 24, 240);
    }
    setColumnWidths();
}

void TimetablesBirdsEye::setColumnWidths()
{
    const int width = m_columnWidth > 0 ? m_columnWidth : 44;
    m_table->horizontalHeader()->setDefaultSectionSize(width);
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_table->setColumnWidth(c, width);
}

void TimetablesBirdsEye::switchView()
{
    m_strip = !m_strip;
    m_columnWidth = 0;
    refresh();
}

void TimetablesBirdsEye::chooseLine(int line, int column)
{
    const BirdsEyeTable &shown = m_model->shown();
    if (line < 0 || line >= static_cast<int>(shown.lines.size()))
        return;
    const BirdsEyeLine l = shown.lines[static_cast<std::size_t>(line)];
    const int bells = shown.bells;
    if (m_strip) {
        chooseWeek(m_view, l.week);
        return;
    }
    const int at = indexOfTimetable(m_view, l.code);
    if (at < 0)
        return;
    m_view.chooseTimetable(at);
    // The cell clicked becomes the master timetable's current cell.
    if (bells > 0 && column >= 0) {
        const QModelIndex cell = m_view.table()->model()->index(column % bells, column / bells);
        if (cell.isValid())
            m_view.table()->setCurrentIndex(cell);
    }
}

void TimetablesBirdsEye::stepWeek(int delta)
{
    const ScheduleData *d = dataOf(m_view);
    if (!d)
        return;
    const int week = std::clamp(m_view.options().activeWeek + delta, 1, std::max(1, usedWeeks(*d)));
    if (week != m_view.options().activeWeek)
        chooseWeek(m_view, week);
    refresh();
}

void TimetablesBirdsEye::copy()
{
    if (m_view.host())
        m_view.host()->clipboard().setText(birdsEyeText(m_model->shown()));
}

void TimetablesBirdsEye::info()
{
    TimetablesSession *s = openSession(m_view);
    if (s)
        m_view.host()->prompter().infoDlg(birdsEyeInfo(m_view.host()->data(), s->matrix()));
}

void TimetablesBirdsEye::widen(int delta)
{
    m_columnWidth = std::clamp((m_columnWidth > 0 ? m_columnWidth : 44) + 8 * delta, 12, 240);
    setColumnWidths();
}

void TimetablesBirdsEye::switchToThisWeek()
{
    const int line = m_table->currentIndex().row();
    const BirdsEyeTable &shown = m_model->shown();
    if (m_strip && line >= 0 && line < static_cast<int>(shown.lines.size()))
        chooseWeek(m_view, shown.lines[static_cast<std::size_t>(line)].week);
}

void TimetablesBirdsEye::setExpanded(bool expanded)
{
    const QSignalBlocker quiet(m_expanded);
    m_expanded->setChecked(expanded);
    m_columnWidth = 0;
    refresh();
}

// ----- quality grid -----------------------------------------------------------------------------

TimetablesQuality::TimetablesQuality(TMatsForm &view)
    : QWidget(&view, Qt::Tool), m_view(view), m_table(new QTableWidget(this))
{
    makeToolWindow(this, "timetablesQuality", QStringLiteral("Timetable quality"), {380, 420});
    setToolTip(QStringLiteral("Show timetable quality"));
    m_table->setObjectName("qualityTable");
    m_table->setColumnCount(2);
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Timetable"), QStringLiteral("Quality index")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto *buttons = new QHBoxLayout;
    connect(button(this, buttons, QStringLiteral("Refresh"),
                   QStringLiteral("Recalculate all timetables")),
            &QPushButton::clicked, this, &TimetablesQuality::refresh);
    buttons->addStretch(1);
    // Queued: the choice may rebuild the table whose signal it answers.
    connect(
        m_table, &QTableWidget::cellClicked, this, [this](int line, int) { chooseLine(line); },
        Qt::QueuedConnection);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(m_table, 1);
}

void TimetablesQuality::refresh()
{
    TimetablesSession *s = openSession(m_view);
    m_lines = s ? qualityGrid(m_view.host()->data(), s->matrix()) : std::vector<QualityGridLine>{};
    m_week = s ? s->week() : 0;
    if (s)
        setWindowTitle(QStringLiteral("Timetable quality - Week %1")
                           .arg(toQString(formatWeek(m_view.host()->data(), m_week, 7))));
    m_table->setRowCount(static_cast<int>(m_lines.size()));
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const QualityGridLine &line = m_lines[static_cast<std::size_t>(r)];
        auto *name = new QTableWidgetItem(toQString(line.timetable));
        auto *index = new QTableWidgetItem(QString::number(line.index));
        index->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        index->setToolTip(toQString(line.detail));
        m_table->setItem(r, 0, name);
        m_table->setItem(r, 1, index);
    }
}

void TimetablesQuality::chooseLine(int line)
{
    if (line < 0 || line >= static_cast<int>(m_lines.size()))
        return;
    const int at = indexOfTimetable(m_view, m_lines[static_cast<std::size_t>(line)].resource);
    if (at >= 0)
        m_view.chooseTimetable(at);
}

// ----- fit panel --------------------------------------------------------------------------------

TimetablesFit::TimetablesFit(TMatsForm &view)
    : QWidget(&view, Qt::Tool), m_view(view), m_title(new QLabel(this)),
      m_filter(new QComboBox(this)), m_list(new QListWidget(this))
{
    makeToolWindow(this, "timetablesFit", QStringLiteral("Fit events"), {360, 380});
    setToolTip(QStringLiteral("Find events which can be fit this slot"));
    m_title->setWordWrap(true);
    m_filter->setObjectName("fitFilter");
    m_filter->addItems({QStringLiteral("Events allocated to this week"),
                        QStringLiteral("Events not allocated to this week"),
                        QStringLiteral("All events")});
    m_filter->setCurrentIndex(2);
    m_list->setObjectName("fitList");
    auto *buttons = new QHBoxLayout;
    connect(button(this, buttons, QStringLiteral("Add"),
                   QStringLiteral("Add one period to this event")),
            &QPushButton::clicked, this, [this] { change(FitChange::Add); });
    connect(button(this, buttons, QStringLiteral("Remove"),
                   QStringLiteral("Remove one period from this event")),
            &QPushButton::clicked, this, [this] { change(FitChange::Remove); });
    connect(button(this, buttons, QStringLiteral("Clear"),
                   QStringLiteral("Clear unscheduled periods from this event")),
            &QPushButton::clicked, this, [this] { change(FitChange::Clear); });
    connect(button(this, buttons, QStringLiteral("New event"),
                   QStringLiteral("Add a new event to this week")),
            &QPushButton::clicked, this, &TimetablesFit::newEvent);
    connect(m_filter, &QComboBox::currentIndexChanged, this, &TimetablesFit::refresh);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_title);
    layout->addWidget(m_filter);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
}

void TimetablesFit::refresh()
{
    const CodeId keep =
        m_list->currentRow() >= 0 && m_list->currentRow() < static_cast<int>(m_entries.size())
            ? m_entries[static_cast<std::size_t>(m_list->currentRow())].event
            : 0;
    TimetablesSession *s = openSession(m_view);
    const ScheduleData *d = dataOf(m_view);
    m_entries.clear();
    m_list->clear();
    if (!s || !d) {
        m_title->clear();
        return;
    }
    const SlotPos cell = s->current();
    const FitFilter filter = static_cast<FitFilter>(std::clamp(m_filter->currentIndex(), 0, 2));
    m_entries = fitEvents(*d, *s, cell.day, cell.bell, filter);
    m_title->setText(toQString(formatBellRange(*d, cell.day, cell.bell, 1, 3) + ": " +
                               std::to_string(m_entries.size()) + " event(s) fit this slot"));
    int current = m_entries.empty() ? -1 : 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        m_list->addItem(toQString(fitLine(*d, m_entries[i], m_view.options().showMode)));
        if (m_entries[i].event == keep)
            current = static_cast<int>(i);
    }
    m_list->setCurrentRow(current);
}

void TimetablesFit::change(FitChange what)
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_entries.size()))
        return;
    const CodeId e = m_entries[static_cast<std::size_t>(row)].event;
    m_view.run([e, what](ScheduleData &d, TimetablesSession &s, Prompter &) {
        return changeFitAllocation(d, s, e, what);
    });
    refresh();
}

void TimetablesFit::newEvent()
{
    m_view.run([](ScheduleData &d, TimetablesSession &s, Prompter &p) {
        const SlotPos cell = s.current();
        return addFitEvent(d, s, p, cell.day, cell.bell);
    });
    refresh();
}

// ----- the view's panels ------------------------------------------------------------------------

TimetablesBirdsEye &birdsEyeOf(TMatsForm &view)
{
    return panelOf<TimetablesBirdsEye>(view);
}

TimetablesQuality &qualityOf(TMatsForm &view)
{
    return panelOf<TimetablesQuality>(view);
}

TimetablesFit &fitOf(TMatsForm &view)
{
    return panelOf<TimetablesFit>(view);
}

void refreshTimetablePanels(TMatsForm &view)
{
    if (auto *weeks = view.findChild<TimetablesWeekChoice *>())
        weeks->refill();
    if (auto *birds = shownPanel<TimetablesBirdsEye>(view))
        birds->refresh();
    if (auto *fit = shownPanel<TimetablesFit>(view))
        fit->refresh();
    // The quality grid is measured on Refresh, and again when the week changes.
    if (auto *quality = shownPanel<TimetablesQuality>(view);
        quality && view.host() && quality->week() != view.host()->activeWeek())
        quality->refresh();
}

void bindTimetablePanelRows(std::vector<ViewCommand> &rows)
{
    if (ViewCommand *row = rowOf(rows, "timetables.selectWeek")) {
        row->run = [](ViewForm &view) {
            ViewHost *host = view.host();
            if (!host)
                return;
            const int week = selectWeek(host->data(), host->prompter(), host->activeWeek());
            if (week > 0)
                chooseWeek(form(view), week);
        };
        row->enabled = [](const ViewForm &view) { return view.host() != nullptr; };
    }
    bindPanel<TimetablesBirdsEye>(rows, "timetables.birdsEye");
    bindPanel<TimetablesQuality>(rows, "timetables.quality");
    bindPanel<TimetablesFit>(rows, "timetables.fit");
}

} // namespace quivra
