#include "views/weeksview.h"

#include "commands/weekcopycommands.h"
#include "commands/weekseventcommands.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "views/qtext.h"
#include "views/viewcommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <limits>
#include <set>

namespace quivra {
namespace {

// Typing into a cell takes whole numbers only: anything else never reaches the command.
class AllocationDelegate final : public QStyledItemDelegate
{
public:
    AllocationDelegate(const ScheduleData &d, QObject *parent) : QStyledItemDelegate(parent), m_d(d)
    {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("cellEditor"));
        editor->setValidator(new QIntValidator(0, 999, editor));
        editor->setAlignment(Qt::AlignCenter);
        return editor;
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        const QString text = static_cast<QLineEdit *>(editor)->text().trimmed();
        if (!text.isEmpty())
            model->setData(index, text, Qt::EditRole);
    }
    // The Gantt chart with "Scheduled periods" draws the week's timetable in miniature over the
    // bar: days across, bells down, a placed cell as a small dark block.
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const auto *model = qobject_cast<const WeeksModel *>(index.model());
        if (!model || model->display().mode != WeeksDisplay::Gantt || !model->display().scheduled)
            return;
        const WeeksModel::Miniature cells = model->miniature(index.row(), index.column() + 1);
        if (std::all_of(cells.begin(), cells.end(), [](std::uint32_t m) { return m == 0; }))
            return;
        const int days = std::clamp(usedDays(m_d), 1, MaxDays);
        const int bells = std::clamp(usedBells(m_d), 1, 32);
        const QRectF area = QRectF(option.rect).adjusted(2, 2, -2, -2);
        const qreal w = area.width() / days, h = area.height() / bells;
        painter->save();
        // A pale timetable inside the bar, whose colour stays visible around it.
        painter->setPen(QColor(0xA0, 0xA0, 0xC0));
        painter->setBrush(QColor(255, 255, 255, 210));
        painter->drawRect(area);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0x20, 0x30, 0x80));
        for (int day = 1; day <= days; ++day) {
            for (int bell = 1; bell <= bells; ++bell) {
                if (cells[static_cast<std::size_t>(day)] & (1u << (bell - 1)))
                    painter->drawRect(
                        QRectF(area.left() + (day - 1) * w, area.top() + (bell - 1) * h, w, h));
            }
        }
        painter->restore();
    }

    const ScheduleData &m_d;
};

// The commands a cell's pop-up offers before the view's menus.
const char *const CellCommands[] = {
    "weeks.increase",       "weeks.decrease",        "weeks.eraseCell",  "weeks.bookCell",
    "weeks.copyAllocation", "weeks.pasteAllocation", "weeks.insertWeek", "weeks.deleteWeek",
};

} // namespace

TEditForm::TEditForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent)
    : ViewForm(d, options, parent), m_model(new WeeksModel(d, options, this)),
      m_table(new QTableView(this)), m_weekLength(new QLabel(this)), m_firstOpen(new QLabel(this)),
      m_cellValue(new QLabel(this)), m_eventCode(new QLabel(this)), m_planned(new QSpinBox(this)),
      m_sums(new QTableWidget(this)), m_birdsWindow(new QWidget(this, Qt::Tool)),
      m_birdsTable(new QTableWidget(m_birdsWindow))
{
    m_table->setObjectName("weeksGrid");
    m_table->setModel(m_model);
    m_table->setItemDelegate(new AllocationDelegate(d, m_table));
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                             QAbstractItemView::EditKeyPressed);
    m_table->horizontalHeader()->setDefaultSectionSize(48);
    m_weekLength->setObjectName("weekLength");
    m_firstOpen->setObjectName("firstOpenWeek");
    m_firstOpen->setToolTip(QStringLiteral("The weeks before it are protected"));
    m_cellValue->setObjectName("cellValue");
    m_eventCode->setObjectName("eventCode");
    m_planned->setObjectName("planned");
    m_planned->setPrefix(QStringLiteral("PLANNED "));
    m_planned->setKeyboardTracking(false);
    auto *panel = new QHBoxLayout;
    panel->addWidget(m_weekLength);
    panel->addWidget(m_firstOpen);
    panel->addWidget(m_cellValue);
    panel->addWidget(m_eventCode, 1);
    panel->addWidget(m_planned);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(panel);
    layout->addWidget(m_table, 1);
    m_sums->setObjectName("sumWindow");
    m_sums->setToolTip(QStringLiteral("Show totals for linked resources"));
    m_sums->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_sums->setMaximumHeight(160);
    m_sums->hide();
    layout->addWidget(m_sums);
    m_birdsWindow->setWindowTitle(QStringLiteral("Bird's eye view"));
    m_birdsTable->setObjectName("birdsEye");
    m_birdsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *birdsLayout = new QVBoxLayout(m_birdsWindow);
    birdsLayout->setContentsMargins(0, 0, 0, 0);
    birdsLayout->addWidget(m_birdsTable);
    m_birdsWindow->resize(700, 400);
    m_table->installEventFilter(this);
    m_table->viewport()->installEventFilter(this);
    // The clicks change the data set and rebuild the windows clicked in: after the click.
    connect(m_sums, &QTableWidget::cellClicked, this, &TEditForm::onSumClicked,
            Qt::QueuedConnection);
    connect(m_birdsTable, &QTableWidget::cellClicked, this, &TEditForm::onBirdsEyeClicked,
            Qt::QueuedConnection);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TEditForm::onCellChanged);
    // The typed value changes the data set, which rebuilds this model: that waits until the
    // editor has closed.
    connect(m_model, &WeeksModel::valueTyped, this, &TEditForm::onValueTyped, Qt::QueuedConnection);
    connect(m_planned, &QSpinBox::valueChanged, this, &TEditForm::onPlannedTyped);
    refresh();
    installViewCommands(*this);
    addCellCommandsToMenu();
}

bool TEditForm::eventFilter(QObject *watched, QEvent *event)
{
    // The allocation is dragged by its bar in the Gantt chart, or with Alt held in the other
    // modes; a plain drag over numbers selects cells.
    if (watched == m_table->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                           event->type() == QEvent::MouseButtonRelease)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex at = m_table->indexAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton)
            return ViewForm::eventFilter(watched, event);
        if (event->type() == QEvent::MouseButtonPress) {
            const bool bar = m_model->display().mode == WeeksDisplay::Gantt ||
                             (mouse->modifiers() & Qt::AltModifier);
            m_dragFrom = bar && at.isValid() && at.column() < m_model->weekCount() &&
                                 m_model->data(at, Qt::EditRole).isValid()
                             ? QPersistentModelIndex(at)
                             : QPersistentModelIndex();
        } else if (m_dragFrom.isValid()) {
            const QPersistentModelIndex from = m_dragFrom;
            m_dragFrom = QPersistentModelIndex();
            if (at.isValid() && at.row() == from.row() && at.column() != from.column() &&
                at.column() < m_model->weekCount()) {
                const CodeId e = m_model->eventAt(from.row());
                const int w1 = from.column() + 1, w2 = at.column() + 1;
                // The drop changes the data set, which rebuilds the grid: after the release.
                QMetaObject::invokeMethod(
                    this, [this, e, w1, w2] { dropAllocation(e, w1, w2); }, Qt::QueuedConnection);
            }
        }
    }
    // End goes to the last week in use, as a spreadsheet's goes to its last filled column; the
    // shaded weeks after it are reached by a click or the arrow keys.
    if (watched == m_table && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_End &&
        !(static_cast<QKeyEvent *>(event)->modifiers() & Qt::ControlModifier) &&
        m_table->currentIndex().isValid()) {
        const QModelIndex at = m_table->currentIndex();
        const QModelIndex to = m_model->index(at.row(), m_model->weekCount() - 1);
        if (static_cast<QKeyEvent *>(event)->modifiers() & Qt::ShiftModifier)
            m_table->selectionModel()->select(QItemSelection(at, to),
                                              QItemSelectionModel::ClearAndSelect);
        else
            m_table->setCurrentIndex(to);
        m_table->selectionModel()->setCurrentIndex(to, QItemSelectionModel::NoUpdate);
        return true;
    }
    return ViewForm::eventFilter(watched, event);
}

void TEditForm::addCellCommandsToMenu()
{
    QMenu *menu = contextMenu();
    if (!menu)
        return;
    QAction *before = nullptr;
    for (QAction *a : menu->actions()) {
        if (a->menu()) {
            before = a;
            break;
        }
    }
    QList<QAction *> cell;
    for (const char *id : CellCommands) {
        if (auto *a = findChild<QAction *>(QString::fromLatin1(id)))
            cell << a;
    }
    menu->insertSeparator(before);
    menu->insertActions(before, cell);
    menu->insertSeparator(before);
}

void TEditForm::refresh()
{
    const int column = std::max(0, m_table->currentIndex().column());
    m_model->setCopiedWeek(copiedWeekValid(m_d, m_state) ? m_state.copiedWeek.week : 0);
    m_model->reload();
    m_table->clearSpans();
    if (m_model->eventAt(0) == 0 && m_model->columnCount() > 1)
        m_table->setSpan(0, 0, 1, m_model->columnCount());
    fitColumns();
    setWindowTitle(QStringLiteral("Weeks: %1").arg(m_model->weekCount()));
    followCurrentCode();
    if (!m_table->currentIndex().isValid() && m_model->eventAt(0) != 0) {
        m_selecting = true;
        m_table->setCurrentIndex(m_model->index(0, std::min(column, m_model->columnCount() - 1)));
        m_selecting = false;
    }
    updatePanel();
}

bool TEditForm::sumsShown() const
{
    return !m_sums->isHidden();
}

void TEditForm::showSums(bool shown)
{
    m_sums->setVisible(shown);
    updateSums();
}

bool TEditForm::birdsEyeShown() const
{
    return !m_birdsWindow->isHidden();
}

void TEditForm::showBirdsEye(bool shown)
{
    m_birdsWindow->setVisible(shown);
    updateBirdsEye();
}

void TEditForm::setBirdsEye(const BirdsEye &options)
{
    m_birdsEye = options;
    updateBirdsEye();
}

namespace {

QStringList weekHeaders(const ScheduleData &d, int weeks)
{
    QStringList headers;
    for (int w = 1; w <= weeks; ++w)
        headers << toQString(formatWeek(d, w, 3));
    return headers;
}

} // namespace

void TEditForm::updateSums()
{
    if (m_sums->isHidden())
        return;
    const CodeId e = currentEvent();
    std::vector<CodeId> codes;
    if (e != 0) {
        codes.push_back(e);
        MemberList members = collectionOf(m_d, e);
        dropNoTimetable(m_d, members);
        for (int k = 1; k <= members[0]; ++k) {
            const CodeId r = members[static_cast<std::size_t>(k)];
            const int category = categoryOf(m_d, r);
            if (category < 1 || category > 7 || (m_d.visibleMasks[0] >> (category - 1)) & 1)
                codes.push_back(r);
        }
    }
    m_sumCodes = codes;
    const int weeks = m_model->weekCount();
    m_sums->clear();
    m_sums->setColumnCount(weeks);
    m_sums->setHorizontalHeaderLabels(weekHeaders(m_d, weeks));
    if (codes.size() <= 1) {
        m_sums->setRowCount(1);
        m_sums->setVerticalHeaderLabels({QStringLiteral("[no resources]")});
        return;
    }
    const WeeksDisplay &display = m_model->display();
    ProfileOptions options;
    options.multiplied = display.multiplied;
    options.cumulative = display.cumulative;
    const auto profiles = weekProfiles(m_d, codes, options);
    const int weekSlots = usedDays(m_d) * usedBells(m_d);
    m_sums->setRowCount(static_cast<int>(codes.size()));
    QStringList labels;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        labels << toQString(formatCode(m_d, codes[i], ShowCode));
        // A week above the slots of a week, or above its category's weekly limit, stands out.
        const int category = categoryOf(m_d, codes[i]);
        const int limit =
            i > 0 && category >= 0 && category < 8 && !display.multiplied && !display.cumulative
                ? m_d.header.weeklyCategoryLimits[static_cast<std::size_t>(category)]
                : 0;
        for (int w = 1; w <= weeks; ++w) {
            const int value = profiles[i][static_cast<std::size_t>(w)];
            if (value == 0)
                continue;
            auto *item = new QTableWidgetItem(QString::number(value));
            item->setTextAlignment(Qt::AlignCenter);
            if ((!display.multiplied && !display.cumulative && value > weekSlots) ||
                (limit > 0 && value > limit)) {
                item->setForeground(QColor(Qt::red));
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_sums->setItem(static_cast<int>(i), w - 1, item);
        }
    }
    m_sums->setVerticalHeaderLabels(labels);
    // The sums line up under the grid's weeks.
    m_sums->verticalHeader()->setFixedWidth(m_table->verticalHeader()->width());
    for (int c = 0; c < weeks; ++c)
        m_sums->setColumnWidth(c, m_table->columnWidth(c));
}

void TEditForm::updateBirdsEye()
{
    if (m_birdsWindow->isHidden())
        return;
    std::vector<CodeId> resources;
    for (int i = 1; i <= std::min<int>(m_d.resourceList[0], MaxCodes); ++i)
        if (validCode(m_d, m_d.resourceList[static_cast<std::size_t>(i)]))
            resources.push_back(m_d.resourceList[static_cast<std::size_t>(i)]);
    m_birdsCodes = resources;
    const int weeks = m_model->weekCount();
    ProfileOptions options;
    options.measure = m_birdsEye.measure;
    const auto profiles = weekProfiles(m_d, resources, options);
    std::vector<std::vector<int>> allocated;
    if (m_birdsEye.utilisation && m_birdsEye.measure != ProfileMeasure::Allocated)
        allocated = weekProfiles(m_d, resources, ProfileOptions{});
    // Utilisation of the allocation compares with the cells in use; of the rest, with the
    // allocation of the week.
    const int cells = m_d.scheduleExtent.endDay * m_d.scheduleExtent.endBell;
    // The heat map scales each category between its smallest and largest value.
    std::array<int, 8> low{}, high{};
    low.fill(std::numeric_limits<int>::max());
    high.fill(std::numeric_limits<int>::min());
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const auto category =
            static_cast<std::size_t>(std::clamp(categoryOf(m_d, resources[i]), 0, 7));
        for (int w = 1; w <= weeks; ++w) {
            low[category] = std::min(low[category], profiles[i][static_cast<std::size_t>(w)]);
            high[category] = std::max(high[category], profiles[i][static_cast<std::size_t>(w)]);
        }
    }
    m_birdsTable->clear();
    m_birdsTable->setColumnCount(weeks);
    m_birdsTable->setRowCount(static_cast<int>(resources.size()));
    m_birdsTable->setHorizontalHeaderLabels(weekHeaders(m_d, weeks));
    QStringList labels;
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const std::string letter = categoryName(m_d, resources[i]).substr(0, 1);
        labels << toQString(formatCode(m_d, resources[i], ShowCodeAndName) + " (" + letter + ")");
        const auto category =
            static_cast<std::size_t>(std::clamp(categoryOf(m_d, resources[i]), 0, 7));
        for (int w = 1; w <= weeks; ++w) {
            const int value = profiles[i][static_cast<std::size_t>(w)];
            QString text = value ? QString::number(value) : QString();
            if (m_birdsEye.utilisation) {
                const long long divisor = m_birdsEye.measure == ProfileMeasure::Allocated
                                              ? cells
                                              : allocated[i][static_cast<std::size_t>(w)];
                const int percent = utilisationPercent(value, divisor);
                text = percent < 0 ? QStringLiteral("-") : QString::number(percent) + '%';
            }
            auto *item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignCenter);
            if (m_birdsEye.heatMap) {
                const double share = heatShare(value, low[category], high[category]);
                item->setBackground(
                    QColor::fromHsvF(static_cast<float>((1.0 - share) * 2.0 / 3.0), 0.45f, 1.0f));
            }
            m_birdsTable->setItem(static_cast<int>(i), w - 1, item);
        }
    }
    m_birdsTable->setVerticalHeaderLabels(labels);
    m_birdsTable->resizeColumnsToContents();
}

void TEditForm::setDisplay(const WeeksDisplay &display)
{
    const bool widths = display.variableWidths != m_model->display().variableWidths;
    m_model->setDisplay(display);
    if (widths)
        fitColumns();
    // The miniature timetables need a few pixels per bell.
    QHeaderView *rows = m_table->verticalHeader();
    if (m_defaultRowHeight == 0)
        m_defaultRowHeight = rows->defaultSectionSize();
    const bool miniatures = display.mode == WeeksDisplay::Gantt && display.scheduled;
    const int height = miniatures
                           ? std::max(m_defaultRowHeight, 4 * std::clamp(usedBells(m_d), 1, 30) + 6)
                           : m_defaultRowHeight;
    if (rows->defaultSectionSize() != height) {
        rows->setDefaultSectionSize(height);
        for (int row = 0; row < m_model->rowCount(); ++row)
            rows->resizeSection(row, height);
    }
    updateSums();
}

void TEditForm::fitColumns()
{
    // Week headers carry names and dates; a cell holds at most "999/999" or a booking's name.
    // The widths come from those, not from measuring every cell of every row.
    QHeaderView *header = m_table->horizontalHeader();
    const QFontMetrics metrics(m_table->font());
    int cell = metrics.horizontalAdvance(QStringLiteral("999/999")) + 8;
    for (int k = 1; k <= 3; ++k)
        cell = std::max(cell, metrics.horizontalAdvance(m_model->bookingName(k)) + 8);
    const bool variable = m_model->display().variableWidths;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int length = variable ? std::min(weekLength(m_d, c + 1), 8) : 1;
        header->resizeSection(c, std::max(header->sectionSizeHint(c), cell) * length);
    }
}

void TEditForm::followCurrentCode()
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->eventAt(row) == m_d.currentCode && m_d.currentCode != 0) {
            const int column = std::max(0, m_table->currentIndex().column());
            m_selecting = true;
            m_table->setCurrentIndex(
                m_model->index(row, std::min(column, m_model->columnCount() - 1)));
            m_selecting = false;
            updatePanel();
            return;
        }
    }
}

CodeId TEditForm::currentEvent() const
{
    const QModelIndex at = m_table->currentIndex();
    return at.isValid() ? m_model->eventAt(at.row()) : 0;
}

int TEditForm::currentWeek() const
{
    const QModelIndex at = m_table->currentIndex();
    return at.isValid() && currentEvent() != 0 ? at.column() + 1 : 0;
}

std::vector<std::pair<CodeId, int>> TEditForm::selectedCells() const
{
    std::set<std::pair<int, int>> cells;
    for (const QModelIndex &i : m_table->selectionModel()->selectedIndexes())
        cells.insert({i.row(), i.column()});
    if (cells.empty() && m_table->currentIndex().isValid())
        cells.insert({m_table->currentIndex().row(), m_table->currentIndex().column()});
    std::vector<std::pair<CodeId, int>> out;
    for (const auto &[row, column] : cells) {
        if (const CodeId e = m_model->eventAt(row))
            out.emplace_back(e, column + 1);
    }
    return out;
}

void TEditForm::goToCell(CodeId event, int week)
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->eventAt(row) == event && event != 0) {
            m_table->setCurrentIndex(m_model->index(
                row, std::clamp(week - 1, 0, std::max(0, m_model->columnCount() - 1))));
            return;
        }
    }
}

void TEditForm::onCellChanged()
{
    updatePanel();
    if (m_selecting)
        return;
    // The question waits until the click or key that moved the cursor is done.
    if (m_table->currentIndex().column() >= m_model->weekCount() && host() && !m_extending) {
        m_extending = true;
        QMetaObject::invokeMethod(this, &TEditForm::offerMoreWeeks, Qt::QueuedConnection);
    }
    const CodeId e = m_model->eventAt(m_table->currentIndex().row());
    if (e == 0 || e == m_d.currentCode)
        return;
    emit currentCodeChanged(e);
}

void TEditForm::offerMoreWeeks()
{
    const QModelIndex at = m_table->currentIndex();
    const int week = at.column() + 1;
    ViewHost *h = host();
    if (h && at.isValid() && week > m_model->weekCount()) {
        const CodeId e = m_model->eventAt(at.row());
        if (extendUsedWeeks(h->data(), h->prompter(), week)) {
            h->dataChanged();
            goToCell(e, week);
        } else {
            m_table->setCurrentIndex(m_model->index(at.row(), m_model->weekCount() - 1));
        }
    }
    m_extending = false;
}

void TEditForm::dropAllocation(CodeId e, int from, int to)
{
    ViewHost *h = host();
    if (!h || e == 0)
        return;
    if (dragAllocation(h->data(), h->prompter(), e, from, to)) {
        h->dataChanged();
        goToCell(e, to);
    }
}

void TEditForm::onSumClicked(int row, int column)
{
    ViewHost *h = host();
    const CodeId e = currentEvent();
    if (!h || e == 0)
        return;
    if (column >= 0 && column < m_model->weekCount() && column + 1 != currentWeek())
        goToCell(e, column + 1);
    if (row < 1 || row >= static_cast<int>(m_sumCodes.size()))
        return;
    const CodeId r = m_sumCodes[static_cast<std::size_t>(row)];
    const int week = currentWeek();
    std::string hint;
    const bool changed = sumWindowResource(h->data(), h->prompter(), m_state.marked, e, r, hint);
    if (changed) {
        h->dataChanged();
        goToCell(e, week);
    }
    updateViewCommands(*this);
    m_sums->setToolTip(toQString(hint));
    QStatusTipEvent tip(toQString(hint));
    QCoreApplication::sendEvent(this, &tip);
}

void TEditForm::onBirdsEyeClicked(int row, int column)
{
    ViewHost *h = host();
    if (!h || row < 0 || row >= static_cast<int>(m_birdsCodes.size()))
        return;
    const int week = column + 1;
    const CodeId picked =
        birdsEyeCell(h->data(), h->prompter(), m_birdsCodes[static_cast<std::size_t>(row)], week);
    if (picked != 0)
        goToCell(picked, week);
}

void TEditForm::onValueTyped(int row, int column, int value)
{
    ViewHost *h = host();
    const CodeId e = m_model->eventAt(row);
    if (!h || e == 0)
        return;
    bool &remembered = h->settings().preferences.ignoreAskExceed;
    m_state.ignorePlanned = remembered;
    m_state.autoFill = h->settings().preferences.autoTimetabling;
    const bool changed = typeAllocation(h->data(), h->prompter(), m_state, e, column + 1, value);
    remembered = m_state.ignorePlanned;
    if (changed)
        h->dataChanged();
    goToCell(e, column + 1);
}

void TEditForm::onPlannedTyped(int value)
{
    ViewHost *h = host();
    const CodeId e = currentEvent();
    if (m_selecting || !h || e == 0 || value == m_d.codes[e].planned)
        return;
    const int week = currentWeek();
    if (setPlanned(h->data(), e, value))
        h->dataChanged();
    goToCell(e, week);
    updatePanel();
}

void TEditForm::updatePanel()
{
    // What the commands may do depends on the current cell.
    if (contextMenu())
        updateViewCommands(*this);
    updateSums();
    const CodeId e = currentEvent();
    const int w = currentWeek();
    // The current cell's state goes to the frame's status line, while this view is in front.
    QWidget *up = parentWidget();
    while (up && !qobject_cast<QMdiSubWindow *>(up))
        up = up->parentWidget();
    const auto *window = qobject_cast<QMdiSubWindow *>(up);
    if (!window || !window->mdiArea() || window->mdiArea()->activeSubWindow() == window) {
        QStatusTipEvent tip(toQString(weeksStatusText(m_d, e, w)));
        QCoreApplication::sendEvent(this, &tip);
    }
    const bool was = m_selecting;
    m_selecting = true;
    m_firstOpen->setText(QStringLiteral("First open week %1")
                             .arg(toQString(formatWeek(
                                 m_d, std::clamp(m_d.currentWeek, 1, m_model->weekCount()), 3))));
    if (e == 0 || w == 0) {
        m_weekLength->clear();
        m_cellValue->clear();
        m_eventCode->clear();
        m_planned->setEnabled(false);
        m_selecting = was;
        return;
    }
    const int length = weekLength(m_d, w);
    const QString week = toQString(formatWeek(m_d, w, 3));
    m_weekLength->setText(QStringLiteral("Length of week %1 = %2w").arg(week).arg(length));
    const int value =
        m_model->data(m_model->index(m_table->currentIndex().row(), w - 1), Qt::EditRole).toInt();
    m_cellValue->setText(QStringLiteral("%1 x %2 = %3").arg(value).arg(length).arg(value * length));
    m_cellValue->setToolTip(QStringLiteral("Cell value at (\"%1\",\"%2\") x %3")
                                .arg(toQString(std::string(m_d.codes[e].code.view())), week)
                                .arg(length));
    m_eventCode->setText(QStringLiteral("Code of the current event \"%1\"")
                             .arg(toQString(std::string(m_d.codes[e].code.view()))));
    const int low = std::max<int>(1, m_d.codes[e].allocated);
    const int high = std::max(low, std::min(m_d.coding.slotsTotal, 0xFFFF));
    m_planned->setEnabled(host() != nullptr);
    m_planned->setRange(low, high);
    m_planned->setValue(m_d.codes[e].planned);
    m_planned->setToolTip(
        QStringLiteral("Range of PLANNED value of the current event \"%1\": [%2h - %3h]")
            .arg(toQString(std::string(m_d.codes[e].code.view())))
            .arg(low)
            .arg(high));
    m_selecting = was;
}

} // namespace quivra
