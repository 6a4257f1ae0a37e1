#include "shell/modifycollectionsdialog.h"

#include "commands/session.h"
#include "engine/calendar.h"
#include "engine/codetable.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"
#include "views/qtext.h"

#include <QAction>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

namespace {

QListWidgetItem *codeItem(const ScheduleData &d, CodeId c)
{
    auto *item = new QListWidgetItem(toQString(formatCode(d, c, ShowCodeAndName)));
    item->setData(Qt::UserRole, int{c});
    return item;
}

CodeId codeOf(const QListWidgetItem *item)
{
    return item ? static_cast<CodeId>(item->data(Qt::UserRole).toInt()) : CodeId{0};
}

void fill(QListWidget *list, const ScheduleData &d, const std::vector<CodeId> &codes,
          CodeId current)
{
    list->clear();
    for (const CodeId c : codes) {
        list->addItem(codeItem(d, c));
        if (c == current)
            list->setCurrentRow(list->count() - 1);
    }
}

} // namespace

TAddCompDlg::TAddCompDlg(ModifyCollections &state, bool readOnly, QWidget *parent)
    : QDialog(parent), m_state(state), m_events(new QListWidget), m_resources(new QListWidget),
      m_slots(new QListWidget), m_links(new QListWidget), m_eventsTitle(new QLabel),
      m_resourcesTitle(new QLabel), m_summary(new QLabel), m_conflicts(new QCheckBox("Conflicts")),
      m_firstWeek(new QComboBox), m_grid(new QTableWidget), m_readOnly(readOnly)
{
    setObjectName("TAddCompDlg");
    setWindowTitle("Modify collections");
    m_links->setSelectionMode(QAbstractItemView::ExtendedSelection);
    const ScheduleData &d = state.data();
    for (int w = 1; w <= std::max(1, int{d.calendarRange.endWeek}); ++w)
        m_firstWeek->addItem(toQString(formatWeek(d, w, 3)), w);

    auto column = [](QLabel *title, QWidget *body) {
        auto *box = new QVBoxLayout;
        box->addWidget(title);
        box->addWidget(body, 1);
        return box;
    };
    auto *top = new QHBoxLayout;
    top->addWidget(m_conflicts);
    top->addWidget(new QLabel("First week to check for conflicts from:"));
    top->addWidget(m_firstWeek);
    top->addStretch();

    auto *lists = new QHBoxLayout;
    lists->addLayout(column(m_eventsTitle, m_events), 1);
    lists->addLayout(column(m_resourcesTitle, m_resources), 1);
    lists->addLayout(column(m_summary, m_slots), 1);
    lists->addLayout(column(new QLabel("Linked codes:"), m_links), 1);

    auto *buttons = new QHBoxLayout;
    const std::pair<const char *, const char *> names[] = {
        {"add", "Add"}, {"remove", "Remove"}, {"clear", "Clear"}, {"close", "Close"}};
    for (const auto &[name, caption] : names) {
        auto *b = new QPushButton(caption);
        b->setObjectName(name);
        b->setVisible(!readOnly || std::string_view(name) == "close");
        buttons->addWidget(b);
    }
    buttons->insertStretch(3);

    m_grid->setObjectName("weekGrid");
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->setMinimumSectionSize(18);
    m_grid->horizontalHeader()->setDefaultSectionSize(24);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setToolTip("Click a event slot to change its status  [Double-click]");

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(lists, 3);
    layout->addWidget(m_grid, 2);
    layout->addLayout(buttons);
    resize(1000, 680);

    connect(m_events, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (!m_refreshing) {
            m_state.chooseEvent(codeOf(item));
            refresh();
        }
    });
    connect(m_resources, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (!m_refreshing) {
            m_state.chooseResource(codeOf(item));
            refresh();
        }
    });
    connect(m_conflicts, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing) {
            m_state.setImpossible(on);
            refresh();
        }
    });
    connect(m_firstWeek, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_refreshing) {
            m_state.setFirstWeek(index + 1);
            refresh();
        }
    });
    connect(button("add"), &QPushButton::clicked, this, [this] {
        m_changed = m_state.add() || m_changed;
        refresh();
    });
    connect(button("remove"), &QPushButton::clicked, this, [this] {
        std::vector<CodeId> chosen;
        for (const QListWidgetItem *item : m_links->selectedItems())
            chosen.push_back(codeOf(item));
        m_changed = m_state.removeLinks(m_state.event(), chosen) > 0 || m_changed;
        refresh();
    });
    connect(button("close"), &QPushButton::clicked, this, &QDialog::accept);
    // The event's slots: a double-click marks or unmarks one, the pop-up menu works on all.
    connect(m_slots, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        const auto cells = m_state.pairSlots();
        const int row = m_slots->row(item);
        if (row >= 0 && row < static_cast<int>(cells.size())) {
            m_state.toggleMark(cells[static_cast<std::size_t>(row)]);
            refresh();
            m_slots->setCurrentRow(row);
        }
    });
    // The grid: a double-click or Enter marks or unmarks the event's slot there.
    connect(m_grid, &QTableWidget::cellActivated, this, [this](int row, int at) {
        const int days = std::clamp(int{m_state.data().calendarRange.endDay}, 1, MaxDays);
        const int week = at / (days + 1) + 1;
        const int day = at % (days + 1) + 1;
        if (m_readOnly || day > days || !m_state.toggleGridSlot(week, day, row + 1))
            return;
        refresh();
        m_grid->setCurrentCell(row, at);
    });
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { slotMenu(m_grid->viewport()->mapToGlobal(at)); });
    m_slots->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_slots, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { slotMenu(m_slots->viewport()->mapToGlobal(at)); });
    connect(button("clear"), &QPushButton::clicked, this, [this] {
        m_changed = m_state.clearImpossible() || m_changed;
        refresh();
    });
    refresh();
}

QPushButton *TAddCompDlg::button(const char *name) const
{
    return findChild<QPushButton *>(QString::fromLatin1(name));
}

void TAddCompDlg::refresh()
{
    m_refreshing = true;
    const ScheduleData &d = m_state.data();
    m_conflicts->setChecked(m_state.impossible());
    m_firstWeek->setCurrentIndex(m_state.firstWeek() - 1);
    // A chosen code stays in its own list even when the other choice would leave it out.
    auto events = m_state.events();
    if (m_state.event() != 0 &&
        std::find(events.begin(), events.end(), m_state.event()) == events.end())
        events.insert(events.begin(), m_state.event());
    auto resources = m_state.resources();
    if (m_state.resource() != 0 &&
        std::find(resources.begin(), resources.end(), m_state.resource()) == resources.end())
        resources.insert(resources.begin(), m_state.resource());
    fill(m_events, d, events, m_state.event());
    fill(m_resources, d, resources, m_state.resource());
    m_eventsTitle->setText(toQString(m_state.eventsTitle()));
    m_resourcesTitle->setText(toQString(m_state.resourcesTitle()));
    m_slots->clear();
    for (const PairSlot &slot : m_state.pairSlots()) {
        auto *item = new QListWidgetItem(toQString(m_state.slotLine(slot)), m_slots);
        // A slot where the resource is busy too is the conflict: drawn in red.
        if (slot.conflict)
            item->setForeground(QColor(0xc0, 0, 0));
    }
    m_summary->setText(toQString(m_state.slotSummary()));
    fill(m_links, d, m_state.linkedWith(m_state.event()), 0);
    button("add")->setEnabled(m_state.event() != 0 && m_state.resource() != 0 &&
                              !m_state.impossible());
    const auto cells = m_state.pairSlots();
    button("clear")->setEnabled(
        std::any_of(cells.begin(), cells.end(), [](const PairSlot &s) { return s.conflict; }));
    refreshGrid();
    m_refreshing = false;
}

void TAddCompDlg::refreshGrid()
{
    const ScheduleData &d = m_state.data();
    const PairWeekGrid grid = m_state.weekGrid();
    const int columns = grid.weeks * (grid.days + 1);
    m_grid->setColumnCount(columns);
    m_grid->setRowCount(grid.bells);
    const QStringList dayNames = toQString(d.dayNames).split(QLatin1Char('$'));
    for (int w = 1; w <= grid.weeks; ++w) {
        for (int day = 1; day <= grid.days + 1; ++day) {
            const int column = (w - 1) * (grid.days + 1) + day - 1;
            QString head;
            if (day == 1)
                head = toQString(formatWeek(d, w, 1)) + QLatin1Char(' ');
            if (day <= grid.days)
                head += day <= dayNames.size() ? dayNames[day - 1].left(2) : QString::number(day);
            m_grid->setHorizontalHeaderItem(column, new QTableWidgetItem(head));
            m_grid->setColumnWidth(column, day > grid.days ? 6 : day == 1 ? 40 : 26);
            for (int bell = 1; bell <= grid.bells; ++bell) {
                auto *item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                if (day > grid.days) {
                    // The separator between two weeks.
                    item->setBackground(QColor(0x80, 0x80, 0x80));
                    item->setFlags(Qt::NoItemFlags);
                } else {
                    const GridSlot &slot = grid.at(w, day, bell);
                    item->setText(toQString(ModifyCollections::gridText(slot)));
                    if (slot.conflict())
                        item->setBackground(QColor(0xf0, 0x90, 0x90));
                    else if (slot.event)
                        item->setBackground(QColor(0x9c, 0xd8, 0x9c));
                    else if (slot.resource)
                        item->setBackground(QColor(0xc8, 0xc8, 0xe8));
                    if (slot.marked)
                        item->setForeground(QColor(0xc0, 0, 0));
                }
                m_grid->setItem(bell - 1, column, item);
            }
        }
    }
    for (int bell = 1; bell <= grid.bells; ++bell) {
        const QString name = toQString(d.bellNames[static_cast<std::size_t>(bell)].view());
        m_grid->setVerticalHeaderItem(
            bell - 1, new QTableWidgetItem(name.isEmpty() ? QString::number(bell) : name));
    }
}

void TAddCompDlg::slotMenu(const QPoint &at)
{
    if (m_state.event() == 0)
        return;
    const auto cells = m_state.pairSlots();
    const int row = m_slots->currentRow();
    const bool onSlot = row >= 0 && row < static_cast<int>(cells.size());
    QMenu menu(this);
    auto item = [&](const std::string &caption, bool enabled, auto act) {
        QAction *a = menu.addAction(toQString(caption));
        a->setEnabled(enabled && !m_readOnly);
        connect(a, &QAction::triggered, this, [this, act] {
            act();
            refresh();
        });
    };
    const bool anyMarked = m_state.markedCount() > 0;
    item(onSlot ? m_state.markCaption(cells[static_cast<std::size_t>(row)])
                : std::string("Click a event slot to change its status"),
         onSlot, [this, cells, row] { m_state.toggleMark(cells[static_cast<std::size_t>(row)]); });
    item(m_state.markRemainingCaption(), !cells.empty(), [this] { m_state.markRemaining(); });
    item(m_state.markImpossibleCaption(), m_state.resource() != 0,
         [this] { m_state.markImpossible(); });
    item(m_state.unmarkAllCaption(), anyMarked, [this] { m_state.unmarkAll(); });
    item(m_state.reverseCaption(), !cells.empty(), [this] { m_state.reverseMarks(); });
    menu.addSeparator();
    item(m_state.clearMarkedCaption(), anyMarked,
         [this] { m_changed = m_state.clearMarked() || m_changed; });
    item(m_state.clearImpossibleCaption(), button("clear")->isEnabled(),
         [this] { m_changed = m_state.clearImpossible() || m_changed; });
    item(m_state.splitCaption(), m_state.splitEnabled(),
         [this] { m_changed = m_state.split() != 0 || m_changed; });
    menu.exec(at);
}

bool showModifyCollections(ScheduleData &d, Prompter &p, QWidget *parent, CodeId event,
                           CodeId resource, bool impossible, bool readOnly,
                           const ResourceLimits &limits, const Clock *clock, std::string *undoText)
{
    ModifyCollections state(d, p, limits);
    state.setClock(clock);
    state.chooseEvent(event);
    state.chooseResource(resource);
    state.setImpossible(impossible);
    TAddCompDlg dialog(state, readOnly, parent);
    dialog.exec();
    if (undoText != nullptr)
        *undoText = state.undoText();
    return dialog.changedData();
}

void bindModifyCollectionsCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Attach resources to events and remove them, with the conflicts "
                              "that stand in the way");
    row.run = [&frame] {
        const CodeId c = frame.data().currentCode;
        const ScheduleData &d = frame.data();
        const bool event = validCode(d, c) && d.codes[c].isEvent();
        const bool resource = validCode(d, c) && !d.codes[c].isEvent();
        std::string undo;
        if (showModifyCollections(
                frame.data(), frame.prompter(), &frame, event ? c : 0, resource ? c : 0, false,
                false, frame.settings().preferences.collection, &frame.session().clock, &undo))
            frame.refreshViews();
        if (!undo.empty())
            frame.statusBar()->showMessage(toQString(undo));
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

} // namespace quivra
