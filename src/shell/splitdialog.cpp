#include "shell/splitdialog.h"

#include "engine/codetable.h"
#include "shell/helpwindow.h"
#include "views/qtext.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quivra {

namespace {

constexpr int SlotRole = Qt::UserRole + 1; // index + 1 of a slot line, 0 on a week heading
constexpr int WeekRole = Qt::UserRole + 2;

void fillCodes(QListWidget *list, const ScheduleData &d, const std::vector<CodeId> &codes,
               const std::function<bool(CodeId)> &bold = {})
{
    list->clear();
    for (const CodeId c : codes) {
        auto *item = new QListWidgetItem(toQString(formatCode(d, c, ShowCodeAndName)), list);
        item->setData(Qt::UserRole, c);
        if (bold && bold(c)) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
    }
}

} // namespace

TCourseSplitDialog::TCourseSplitDialog(EventSplit &split, QWidget *parent)
    : QDialog(parent), m_state(split), m_events(new QComboBox(this)),
      m_slots(new QTreeWidget(this)), m_slotLabel(new QLabel(this)), m_kept(new QLabel(this)),
      m_moved(new QLabel(this)), m_ownCount(new QLabel(this)), m_selectableCount(new QLabel(this)),
      m_own(new QListWidget(this)), m_selectable(new QListWidget(this)),
      m_newMembers(new QListWidget(this)), m_newSelectable(new QListWidget(this)),
      m_newSlots(new QListWidget(this)), m_code(new QLineEdit(this)), m_name(new QLineEdit(this)),
      m_add(new QPushButton(QStringLiteral("&Add"), this)),
      m_remove(new QPushButton(QStringLiteral("&Remove"), this)),
      m_split(new QPushButton(QStringLiteral("&Split"), this)), m_newPanel(new QWidget(this))
{
    setObjectName(QStringLiteral("TCourseSplitDialog"));
    m_events->setObjectName(QStringLiteral("eventChoice"));
    m_slots->setObjectName(QStringLiteral("slotTree"));
    m_code->setObjectName(QStringLiteral("newCode"));
    m_name->setObjectName(QStringLiteral("newName"));
    m_newMembers->setObjectName(QStringLiteral("newMembers"));
    m_newSelectable->setObjectName(QStringLiteral("newSelectable"));
    m_split->setObjectName(QStringLiteral("split"));
    m_slots->setHeaderHidden(true);
    m_own->setSelectionMode(QAbstractItemView::NoSelection);
    m_selectable->setSelectionMode(QAbstractItemView::NoSelection);
    m_newSlots->setSelectionMode(QAbstractItemView::NoSelection);
    m_code->setMaxLength(CodeLength);
    m_code->setToolTip(QStringLiteral("Edit the code for the new event"));
    m_name->setMaxLength(NameLength);
    m_add->setToolTip(QStringLiteral("Select a resource to add"));
    m_remove->setToolTip(QStringLiteral("Select a resource to remove"));
    m_split->setToolTip(QStringLiteral("Split the original event in two events"));
    for (QPushButton *b : {m_add, m_remove, m_split})
        b->setAutoDefault(false);

    auto *previous = new QPushButton(QStringLiteral("&Previous event"), this);
    auto *next = new QPushButton(QStringLiteral("&Next event"), this);
    auto *dontSplit = new QPushButton(QStringLiteral("&Don't split"), this);
    dontSplit->setToolTip(QStringLiteral("Find a another event to split"));
    for (QPushButton *b : {previous, next, dontSplit})
        b->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(m_events, 1);
    top->addWidget(previous);
    top->addWidget(next);
    top->addWidget(dontSplit);

    auto *original = new QGroupBox(QStringLiteral("The event"), this);
    auto *originalLayout = new QVBoxLayout(original);
    originalLayout->addWidget(m_slotLabel);
    originalLayout->addWidget(m_slots, 2);
    originalLayout->addWidget(m_kept);
    originalLayout->addWidget(m_ownCount);
    originalLayout->addWidget(m_own, 1);
    originalLayout->addWidget(m_selectableCount);
    originalLayout->addWidget(m_selectable, 1);

    auto *created = new QGroupBox(QStringLiteral("The new event"), m_newPanel);
    auto *newLayout = new QGridLayout(created);
    newLayout->addWidget(new QLabel(QStringLiteral("Code:"), created), 0, 0);
    newLayout->addWidget(m_code, 0, 1);
    newLayout->addWidget(new QLabel(QStringLiteral("Name:"), created), 1, 0);
    newLayout->addWidget(m_name, 1, 1);
    newLayout->addWidget(m_newSlots, 2, 0, 1, 2);
    newLayout->addWidget(m_moved, 3, 0, 1, 2);
    newLayout->addWidget(new QLabel(QStringLiteral("Resources of the new event"), created), 4, 0, 1,
                         2);
    newLayout->addWidget(m_newMembers, 5, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    newLayout->addLayout(buttons, 6, 0, 1, 2);
    newLayout->addWidget(new QLabel(QStringLiteral("Resources that can be added"), created), 7, 0,
                         1, 2);
    newLayout->addWidget(m_newSelectable, 8, 0, 1, 2);
    auto *panelLayout = new QVBoxLayout(m_newPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(created);

    auto *columns = new QHBoxLayout;
    columns->addWidget(original, 1);
    columns->addWidget(m_newPanel, 1);

    auto *box = new QDialogButtonBox(this);
    box->addButton(m_split, QDialogButtonBox::ActionRole);
    auto *close = box->addButton(QDialogButtonBox::Close);
    close->setToolTip(QStringLiteral("Close this view"));
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    addHelpButton(box, SplitHelpTopic);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(columns, 1);
    layout->addWidget(box);
    resize(860, 640);

    connect(m_events, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || index < 0)
            return;
        m_state.chooseEvent(m_state.events()[static_cast<std::size_t>(index)]);
        redraw();
    });
    connect(previous, &QPushButton::clicked, this, [this] {
        m_state.stepEvent(-1);
        redraw();
    });
    connect(next, &QPushButton::clicked, this, [this] {
        m_state.stepEvent(1);
        redraw();
    });
    connect(dontSplit, &QPushButton::clicked, this, [this] {
        m_state.reset();
        redraw();
    });
    connect(m_slots, &QTreeWidget::itemChanged, this, &TCourseSplitDialog::slotChanged);
    connect(m_add, &QPushButton::clicked, this, [this] {
        QListWidgetItem *item = m_newSelectable->currentItem();
        if (!item)
            return;
        m_state.addMember(static_cast<CodeId>(item->data(Qt::UserRole).toInt()),
                          m_newMembers->currentRow() + 1);
        redraw();
    });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        m_state.removeMember(m_newMembers->currentRow() + 1);
        redraw();
    });
    connect(m_code, &QLineEdit::editingFinished, this, [this] {
        if (m_filling)
            return;
        m_state.editNewCode(fromQString(m_code->text()));
        m_code->setText(toQString(m_state.newCode()));
    });
    connect(m_name, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_state.newName = fromQString(text); });
    connect(m_split, &QPushButton::clicked, this, &TCourseSplitDialog::doSplit);
    redraw();
}

void TCourseSplitDialog::slotChanged(QTreeWidgetItem *item)
{
    if (m_filling)
        return;
    const bool keep = item->checkState(0) == Qt::Checked;
    const int slot = item->data(0, SlotRole).toInt();
    if (slot > 0)
        m_state.setSlot(static_cast<std::size_t>(slot - 1), keep);
    else
        m_state.setWeek(item->data(0, WeekRole).toInt(), keep);
    // The tree is rebuilt once the item has finished changing, never under it.
    QMetaObject::invokeMethod(this, &TCourseSplitDialog::redraw, Qt::QueuedConnection);
}

void TCourseSplitDialog::doSplit()
{
    // The code box may hold a text not yet taken over.
    if (fromQString(m_code->text()) != m_state.newCode())
        m_state.editNewCode(fromQString(m_code->text()));
    if (m_state.split() != 0)
        m_done = true;
    redraw();
}

void TCourseSplitDialog::redraw()
{
    m_filling = true;
    setWindowTitle(toQString(m_state.caption()));
    m_events->clear();
    int current = -1;
    for (std::size_t i = 0; i < m_state.events().size(); ++i) {
        const CodeId e = m_state.events()[i];
        m_events->addItem(toQString(m_state.eventLine(e)));
        if (e == m_state.event())
            current = static_cast<int>(i);
    }
    m_events->setCurrentIndex(current);

    m_slots->clear();
    m_newSlots->clear();
    QTreeWidgetItem *heading = nullptr;
    int headingWeek = 0;
    const auto &lines = m_state.slotList();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const SplitSlot &s = lines[i];
        if (!heading || headingWeek != s.week) {
            heading = new QTreeWidgetItem(m_slots, {toQString(m_state.weekHeading(s.week))});
            QFont font = heading->font(0);
            font.setBold(true);
            heading->setFont(0, font);
            heading->setData(0, WeekRole, s.week);
            heading->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            headingWeek = s.week;
            bool all = true;
            for (const SplitSlot &t : lines)
                all = all && (t.week != s.week || t.keep);
            heading->setCheckState(0, all ? Qt::Checked : Qt::Unchecked);
            heading->setExpanded(true);
        }
        auto *line = new QTreeWidgetItem(heading, {toQString(m_state.slotText(s))});
        line->setData(0, SlotRole, static_cast<int>(i) + 1);
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        line->setCheckState(0, s.keep ? Qt::Checked : Qt::Unchecked);
        if (!s.keep)
            m_newSlots->addItem(toQString(m_state.weekHeading(s.week) + m_state.slotText(s)));
    }
    m_slots->expandAll();
    m_slots->setEnabled(m_state.slotsEnabled());
    m_slotLabel->setText(toQString(m_state.slotListLabel()));
    m_kept->setText(toQString(m_state.keptCounter()));
    m_moved->setText(toQString(m_state.movedCounter()));

    const ScheduleData &dataSet = m_state.data();
    const std::vector<CodeId> own = m_state.eventMembers();
    const std::vector<CodeId> selectable = m_state.eventSelectable();
    fillCodes(m_own, dataSet, own);
    fillCodes(m_selectable, dataSet, selectable);
    m_ownCount->setText(QStringLiteral("Selected resources (%1)").arg(own.size()));
    m_selectableCount->setText(QStringLiteral("Available resources (%1)").arg(selectable.size()));

    const int member = m_newMembers->currentRow();
    fillCodes(m_newMembers, dataSet, m_state.newMembers());
    m_newMembers->setCurrentRow(std::min(member, m_newMembers->count() - 1));
    fillCodes(m_newSelectable, dataSet, m_state.newSelectable(), [&](CodeId c) {
        return std::ranges::find(own, c) == own.end() &&
               std::ranges::find(selectable, c) == selectable.end();
    });
    m_code->setText(toQString(m_state.newCode()));
    m_name->setText(toQString(m_state.newName));
    // The new event's boxes take the colour of the event it comes from.
    const std::int32_t colour =
        validCode(dataSet, m_state.event()) ? dataSet.codes[m_state.event()].colour : 0;
    for (QLineEdit *box : {m_code, m_name}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, colour > 0 ? QColor(colour & 0xFF, (colour >> 8) & 0xFF,
                                                             (colour >> 16) & 0xFF)
                                                    : this->palette().color(QPalette::Base));
        box->setPalette(palette);
    }
    const bool full = static_cast<int>(m_state.newMembers().size()) >= MaxMembers;
    m_add->setEnabled(!full);
    m_add->setToolTip(full ? QStringLiteral("You cannot add any more resources")
                           : QStringLiteral("Select a resource to add"));
    m_newPanel->setVisible(m_state.newEventShown());
    m_split->setEnabled(m_state.newEventShown());
    m_filling = false;
}

bool showSplitDialog(ScheduleData &d, Prompter &p, CodeId event, QWidget *parent)
{
    const bool before = d.modified;
    d.modified = false;
    EventSplit split(d, p, event);
    if (!split.events().empty()) {
        TCourseSplitDialog dialog(split, parent);
        dialog.exec();
    }
    const bool changed = d.modified;
    d.modified = d.modified || before;
    return changed;
}

} // namespace quivra
