#include "views/timetablesview.h"

#include "commands/timetablepopups.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "views/qtext.h"
#include "views/timetabledisplayrows.h"
#include "views/timetablepanels.h"
#include "views/timetablepopuprows.h"
#include "views/timetablerows.h"
#include "views/viewcommands.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

TMatsForm::TMatsForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent)
    : ViewForm(d, options, parent), m_model(new TimetableModel(d, options, this)),
      m_resources(new QComboBox(this)), m_status(new QLabel(this)), m_statusLine(new QLabel(this)),
      m_table(new QTableView(this)), m_events(new QListWidget(this)),
      m_linkedArea(new QScrollArea(this)), m_linkedBox(new QWidget),
      m_linkedLayout(new QVBoxLayout(m_linkedBox))
{
    m_resources->setObjectName("timetableChoice");
    m_resources->setToolTip(QStringLiteral("Select the timetable"));
    m_resources->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_model->setSession(&m_session);
    m_table->setObjectName("masterTimetable");
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->viewport()->installEventFilter(this);
    m_table->viewport()->setMouseTracking(false);
    m_events->setObjectName("eventList");
    m_events->setToolTip(
        QStringLiteral("ALLOC=allocated, SCHED=scheduled, LEFT=unscheduled lectures on this week"));
    m_statusLine->setObjectName("statusLine");
    m_statusLine->setWordWrap(true);
    m_linkedArea->setObjectName("linkedTimetables");
    m_linkedArea->setWidgetResizable(true);
    m_linkedArea->setWidget(m_linkedBox);
    m_linkedLayout->setContentsMargins(2, 2, 2, 2);

    auto *top = new QHBoxLayout;
    top->addWidget(new TimetablesWeekChoice(*this));
    top->addWidget(m_resources);
    top->addWidget(m_status, 1);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_events);
    split->addWidget(m_table);
    split->addWidget(m_linkedArea);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 4);
    split->setStretchFactor(2, 2);
    // The event list starts wide enough for a line of a usual code and its three counts.
    const int listWidth = m_events->fontMetrics().horizontalAdvance(
                              QStringLiteral("WWWWWW  ALLOC 99 SCHED 99 LEFT 99")) +
                          2 * m_events->frameWidth() + 8;
    split->setSizes({listWidth, 560, 300});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(m_statusLine);
    connect(m_resources, &QComboBox::currentIndexChanged, this, &TMatsForm::onResourceChosen);
    connect(m_table, &QTableView::clicked, this, &TMatsForm::onCellClicked);
    connect(m_table, &QTableView::doubleClicked, this, &TMatsForm::onCellDoubleClicked);
    connect(m_events, &QListWidget::currentRowChanged, this, &TMatsForm::onEventChosen);
    installPopupMenus(*this);
    refresh();
    installViewCommands(*this);
    groupCellDisplayActions(*this);
    buildMenuBar();
}

void TMatsForm::buildMenuBar()
{
    // The view's Edit and View menus, also in a menu bar of its own, so Undo and Redo are in
    // sight; their keys are the view's.
    if (!contextMenu())
        return;
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName("timetablesMenuBar");
    for (QAction *action : contextMenu()->actions())
        if (QMenu *menu = action->menu())
            m_menuBar->addMenu(menu);
    static_cast<QVBoxLayout *>(layout())->setMenuBar(m_menuBar);
}

int TMatsForm::timetableIndex() const
{
    const auto at = std::find(m_timetables.begin(), m_timetables.end(), m_model->code());
    return at == m_timetables.end() ? -1 : static_cast<int>(at - m_timetables.begin());
}

void TMatsForm::chooseTimetable(int index)
{
    if (m_timetables.empty())
        return;
    // The combo box tells onResourceChosen, which shows it and passes the code on.
    m_resources->setCurrentIndex(std::clamp(index, 0, timetableCount() - 1));
}

void TMatsForm::refresh()
{
    // A change made elsewhere (or another week) leaves the matrix behind: the next command
    // rebuilds it, and its log starts again.
    if (!m_ownChange)
        m_session.invalidate();
    m_drag = {};
    CodeId keep = m_model->code();
    if (isResourceCode(m_d, m_d.currentCode) &&
        !(m_d.codes[m_d.currentCode].flags & NoTimetableBit))
        keep = m_d.currentCode;

    // Only resources whose category takes part in conflict checking have a timetable.
    m_timetables.clear();
    const int count = std::min<int>(m_d.resourceList[0], MaxCodes);
    for (int i = 1; i <= count; ++i) {
        const CodeId r = m_d.resourceList[i];
        if (validCode(m_d, r) && !(m_d.codes[r].flags & NoTimetableBit))
            m_timetables.push_back(r);
    }
    m_filling = true;
    m_resources->clear();
    for (const CodeId r : m_timetables)
        m_resources->addItem(toQString(formatCode(m_d, r, ShowCodeAndName)));
    m_filling = false;
    setWindowTitle(QStringLiteral("Timetables: %1").arg(m_timetables.size()));

    if (std::find(m_timetables.begin(), m_timetables.end(), keep) == m_timetables.end())
        keep = m_timetables.empty() ? 0 : m_timetables.front();
    showResource(keep);
}

void TMatsForm::followCurrentCode()
{
    if (std::find(m_timetables.begin(), m_timetables.end(), m_d.currentCode) != m_timetables.end())
        showResource(m_d.currentCode);
    else if (isEventCode(m_d, m_d.currentCode) && m_session.isOpen() &&
             m_session.matrix().event(m_d.currentCode)) {
        m_session.setEvent(m_d.currentCode);
        showSession();
    }
}

void TMatsForm::showResource(CodeId r)
{
    const auto at = std::find(m_timetables.begin(), m_timetables.end(), r);
    m_filling = true;
    m_resources->setCurrentIndex(
        at == m_timetables.end() ? -1 : static_cast<int>(at - m_timetables.begin()));
    m_filling = false;
    m_model->setCode(at == m_timetables.end() ? 0 : r);
    m_session.setMaster(m_model->code());
    showSession();
}

void TMatsForm::onResourceChosen(int index)
{
    if (m_filling || index < 0 || index >= static_cast<int>(m_timetables.size()))
        return;
    const CodeId r = m_timetables[index];
    m_model->setCode(r);
    m_session.setMaster(r);
    showSession();
    if (r != m_d.currentCode)
        emit currentCodeChanged(r);
}

bool TMatsForm::prepareSession()
{
    if (!m_host)
        return false;
    m_session.blockPatterns = &m_host->settings().slotPatterns;
    m_session.applyBlocks = m_host->settings().preferences.slotTimetables;
    m_session.ensure(m_host->data(), m_options.activeWeek);
    m_session.setMaster(m_model->code());
    return true;
}

void TMatsForm::run(const Command &command)
{
    if (!prepareSession())
        return;
    ScheduleData &d = m_host->data();
    const TimetableOutcome out = command(d, m_session, m_host->prompter());
    // A command may make another timetable the master (the search for the next event).
    if (m_session.master() != m_model->code() && m_session.master() != 0) {
        const CodeId master = m_session.master();
        showResource(master);
        emit currentCodeChanged(master);
    }
    if (out.changed) {
        settleTotals(d);
        m_ownChange = true;
        m_host->dataChanged();
        m_ownChange = false;
    } else {
        showSession();
    }
    if (!out.message.empty())
        m_statusLine->setText(toQString(out.message));
    if (out.goTo == TimetablesGoTo::EventsView)
        m_host->showView(ViewTag::Events);
    else if (out.goTo == TimetablesGoTo::WeeksView)
        m_host->showView(ViewTag::Weeks);
    updateViewCommands(*this);
}

bool TMatsForm::selectedArea(CellArea &area) const
{
    if (!m_table->selectionModel())
        return false;
    QModelIndexList cells = m_table->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && m_table->currentIndex().isValid())
        cells.append(m_table->currentIndex());
    if (cells.isEmpty())
        return false;
    area = {MaxDays + 1, MaxBells + 1, 0, 0};
    for (const QModelIndex &cell : cells) {
        area.day1 = std::min(area.day1, cell.column() + 1);
        area.day2 = std::max(area.day2, cell.column() + 1);
        area.bell1 = std::min(area.bell1, cell.row() + 1);
        area.bell2 = std::max(area.bell2, cell.row() + 1);
    }
    return true;
}

void TMatsForm::onCellClicked(const QModelIndex &index)
{
    if (!index.isValid() || !prepareSession())
        return;
    const CodeId before = m_session.event();
    m_session.clickCell(m_host->data(), index.column() + 1, index.row() + 1);
    showSession();
    if (m_session.event() != before && m_session.event() != 0)
        emit currentCodeChanged(m_session.event());
}

void TMatsForm::onCellDoubleClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const int day = index.column() + 1, bell = index.row() + 1;
    ++m_doubleClicks;
    run([day, bell](ScheduleData &d, TimetablesSession &s, Prompter &p) {
        return doubleClick(d, s, p, day, bell);
    });
    if (m_host && offerIndicatorTip(m_host->data(), m_host->prompter(), m_host->settings()))
        setCellOptions(cellDisplayOptions(m_host->settings()));
}

void TMatsForm::setCellOptions(const CellDisplayOptions &options)
{
    if (m_host)
        storeCellDisplayOptions(options, m_host->settings());
    m_model->setCellOptions(options);
    showSession();
}

void TMatsForm::onEventChosen(int row)
{
    if (m_filling || row < 0 || row >= static_cast<int>(m_listed.size()) || !prepareSession())
        return;
    m_session.setEvent(m_listed[static_cast<std::size_t>(row)]);
    showSession();
}

void TMatsForm::showSession()
{
    if (m_host && !m_session.isOpen())
        prepareSession();
    // The cells follow the options the settings hold and the session's current event.
    if (m_host && m_model->cellOptions() != cellDisplayOptions(m_host->settings()))
        m_model->setCellOptions(cellDisplayOptions(m_host->settings()));
    else
        m_model->refreshCells();
    fillEventList();
    fillLinked();
    updateMarks();
    updateStatus();
    showUndoCaptions(*this);
    refreshTimetablePanels(*this);
    // What the commands are offered for follows the current event and the log.
    if (contextMenu())
        updateViewCommands(*this);
}

void TMatsForm::fillEventList()
{
    m_filling = true;
    m_events->clear();
    m_listed.clear();
    if (m_session.isOpen()) {
        int current = -1;
        for (const TimetableEventLine &line : timetableEvents(m_d, m_session)) {
            if (line.event == m_session.event())
                current = static_cast<int>(m_listed.size());
            m_listed.push_back(line.event);
            m_events->addItem(toQString(formatCode(m_d, line.event, m_options.showMode)) +
                              QStringLiteral("  ALLOC %1 SCHED %2 LEFT %3")
                                  .arg(line.allocated)
                                  .arg(line.scheduled)
                                  .arg(line.left()));
        }
        m_events->setCurrentRow(current);
    }
    m_filling = false;
}

void TMatsForm::fillLinked()
{
    m_linked.clear();
    while (QLayoutItem *item = m_linkedLayout->takeAt(0)) {
        if (QWidget *widget = item->widget())
            widget->deleteLater();
        delete item;
    }
    if (!m_session.isOpen() || !m_session.matrix().event(m_session.event()))
        return;
    std::vector<std::uint16_t> scratch;
    for (const std::uint16_t row : m_session.matrix().rowsOf(m_d, m_session.event(), scratch)) {
        const CodeId r = m_session.matrix().resourceOfRow(row);
        if (r == m_session.master() || linkedHidden(m_d, m_session, r))
            continue;
        auto *title = new QLabel(toQString(formatCode(m_d, r, ShowCodeAndName)), m_linkedBox);
        auto *table = new QTableView(m_linkedBox);
        table->setObjectName(QStringLiteral("linked_") +
                             toQString(std::string(m_d.codes[r].code.view())));
        auto *model = new TimetableModel(m_d, m_options, table);
        model->setCompactHeaders(true);
        model->setCellOptions(m_model->cellOptions());
        model->setSession(&m_session);
        model->setCode(r);
        table->setModel(model);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->verticalHeader()->setDefaultSectionSize(18);
        table->setMinimumHeight(60);
        installLinkedMenu(*this, *table, r);
        connect(table, &QTableView::doubleClicked, this, [this, r] {
            showResource(r);
            emit currentCodeChanged(r);
        });
        m_linkedLayout->addWidget(title);
        m_linkedLayout->addWidget(table);
        m_linked.push_back(table);
    }
    m_linkedLayout->addStretch(1);
}

void TMatsForm::updateMarks()
{
    TimetableModel::Marks marks{};
    const CodeId e = m_session.event();
    if (m_session.isOpen() && m_session.matrix().event(e)) {
        const FreeCells f = m_session.scoresOf(m_d, e);
        for (int day = 1; day <= MaxDays; ++day)
            for (int bell = 1; bell <= MaxBells; ++bell)
                marks[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] =
                    f.score[static_cast<std::size_t>(day)][static_cast<std::size_t>(bell)] > 0
                        ? TimetableModel::Mark::Free
                        : TimetableModel::Mark::Blocked;
        for (const SlotPos &c : m_session.suggestion)
            marks[static_cast<std::size_t>(c.day)][static_cast<std::size_t>(c.bell)] =
                TimetableModel::Mark::Suggested;
    }
    m_model->setMarks(marks);
}

void TMatsForm::updateStatus()
{
    if (m_timetables.empty()) {
        m_status->setText(QStringLiteral("No timetables in this week"));
        m_statusLine->clear();
        return;
    }
    const int week = m_options.activeWeek;
    m_status->setText(toQString("Week " + formatWeek(m_d, week, 3) + ": " +
                                std::to_string(m_model->placedCells()) + " periods scheduled"));
    // What clashes in the master timetable comes first; then the current event's state.
    std::string line = m_model->clashText();
    const CodeId e = m_session.event();
    if (line.empty() && m_session.isOpen() && m_session.matrix().event(e)) {
        const MatrixEvent *ev = m_session.matrix().event(e);
        line = ev->placed >= ev->allowed
                   ? "\"" + formatCode(m_d, e, ShowCode) +
                         "\" is complete - press the [F3] key to find the next event."
                   : std::to_string(ev->allowed - ev->placed) + " period(s) out of " +
                         std::to_string(ev->allowed) + " still to be scheduled for \"" +
                         formatCode(m_d, e, ShowCode) + "\"";
    }
    m_statusLine->setText(toQString(line));
    m_statusLine->setStyleSheet(m_model->conflictCells() > 0 ? QStringLiteral("color: #c81e1e")
                                                             : QString());
}

// ----- dragging a block ------------------------------------------------------------------------

bool TMatsForm::beginDrag(int day, int bell)
{
    if (!prepareSession())
        return false;
    const MasterBlock block = blockAt(m_d, m_session, day, bell);
    if (!block)
        return false;
    m_drag = block;
    m_session.setEvent(block.event);
    m_statusLine->setText(QStringLiteral("Drag \"%1\" to another slot")
                              .arg(toQString(formatCode(m_d, block.event, ShowCode))));
    return true;
}

DragProbe TMatsForm::dragTo(int day, int bell)
{
    if (!m_drag)
        return {};
    const DragProbe probe = dragOver(m_d, m_session, m_drag, day, bell);
    TimetableModel::Marks marks{};
    for (int b = bell; b < bell + m_drag.length && b <= MaxBells; ++b)
        if (day >= 1 && day <= MaxDays && b >= 1)
            marks[static_cast<std::size_t>(day)][static_cast<std::size_t>(b)] =
                probe.feasible ? TimetableModel::Mark::DropFits : TimetableModel::Mark::DropClashes;
    m_model->setMarks(marks);
    m_statusLine->setText(probe.feasible ? QStringLiteral("Drop to move the block here")
                                         : toQString(probe.conflicts));
    return probe;
}

void TMatsForm::drop(int day, int bell)
{
    const MasterBlock block = m_drag;
    m_drag = {};
    if (!block)
        return;
    run([block, day, bell](ScheduleData &d, TimetablesSession &s, Prompter &p) {
        return dropBlock(d, s, p, block, day, bell);
    });
}

void TMatsForm::cancelDrag()
{
    m_drag = {};
    updateMarks();
    updateStatus();
}

bool TMatsForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_table->viewport())
        return ViewForm::eventFilter(watched, event);
    const auto cellAt = [this](const QPoint &pos) { return m_table->indexAt(pos); };
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex at = cellAt(mouse->position().toPoint());
        m_pressed = {};
        if (mouse->button() == Qt::LeftButton && at.isValid()) {
            m_pressAt = mouse->position().toPoint();
            if (m_session.isOpen())
                m_pressed = blockAt(m_d, m_session, at.column() + 1, at.row() + 1);
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!(mouse->buttons() & Qt::LeftButton))
            break;
        if (!m_drag && m_pressed &&
            (mouse->position().toPoint() - m_pressAt).manhattanLength() >=
                QApplication::startDragDistance()) {
            const QModelIndex from = cellAt(m_pressAt);
            if (from.isValid())
                beginDrag(from.column() + 1, from.row() + 1);
        }
        if (m_drag) {
            const QModelIndex at = cellAt(mouse->position().toPoint());
            if (at.isValid()) {
                // The block keeps its place under the mouse: the cell grabbed follows it.
                const QModelIndex from = cellAt(m_pressAt);
                const int offset = from.isValid() ? from.row() + 1 - m_drag.bell : 0;
                dragTo(at.column() + 1, at.row() + 1 - offset);
            }
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        m_pressed = {};
        if (!m_drag)
            break;
        const QModelIndex at = cellAt(mouse->position().toPoint());
        const QModelIndex from = cellAt(m_pressAt);
        if (!at.isValid()) {
            cancelDrag();
            return true;
        }
        const int offset = from.isValid() ? from.row() + 1 - m_drag.bell : 0;
        drop(at.column() + 1, at.row() + 1 - offset);
        return true;
    }
    default:
        break;
    }
    return ViewForm::eventFilter(watched, event);
}

} // namespace quivra
