#include "shell/collectionsdialog.h"

#include "commands/codelistcommands.h"
#include "engine/codetable.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"
#include "shell/modifycollectionsdialog.h"
#include "ui/helptopics.h"
#include "views/qtext.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quivra {

namespace {

// The names of the categories of one kind, 1..7 ("" where none is named).
QStringList categoryNames(const ScheduleData &d, bool events)
{
    QStringList names;
    const QString list = toQString((events ? d.eventCategories : d.resourceCategories).view());
    for (const QString &item : list.split(QLatin1Char('$'))) {
        if (names.size() == MaxCategories)
            break;
        const auto colon = item.indexOf(QLatin1Char(':'));
        names.append(colon >= 0 ? item.mid(colon + 1) : item);
    }
    while (names.size() < MaxCategories)
        names.append(QString());
    return names;
}

QListWidgetItem *codeItem(const ScheduleData &d, CodeId c, int row, bool allFields)
{
    auto *item = new QListWidgetItem(toQString(allFields ? collectionsLine(d, c, row, true)
                                                         : formatCode(d, c, ShowCodeAndName)));
    item->setData(Qt::UserRole, int{c});
    return item;
}

} // namespace

TCourseDualBox::TCourseDualBox(CollectionsEditor &editor, QWidget *parent)
    : QDialog(parent), m_editor(editor), m_code(new QLineEdit), m_name(new QLineEdit),
      m_planned(new QSpinBox), m_category(new QComboBox), m_lock(new QCheckBox("Lock this event")),
      m_panels(new QLabel), m_seats(new QLabel), m_leftTitle(new QLabel), m_rightTitle(new QLabel),
      m_info(new QLabel), m_left(new QListWidget), m_right(new QListWidget),
      m_scheduleBox(new QWidget), m_grid(new QTableWidget), m_weekLabel(new QLabel),
      m_side(new QLabel), m_schedulePanels(new QLabel)
{
    setObjectName("TCourseDualBox");
    const bool events = editor.eventMode();
    const QString kind = events ? "event" : "resource";
    m_code->setMaxLength(CodeLength);
    m_code->setToolTip("Enter a code for this " + kind);
    m_name->setMaxLength(NameLength);
    m_planned->setVisible(events);
    m_lock->setVisible(events);
    m_category->setToolTip("Select a suitable category (edit category names in "
                           "\"Options/Categories\")");
    const QStringList names = categoryNames(editor.data(), events);
    for (int k = 1; k <= MaxCategories; ++k)
        m_category->addItem(names[k - 1].isEmpty() ? QString::number(k) : names[k - 1], k);
    for (QListWidget *list : {m_left, m_right})
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel("Code:"), 0, 0);
    fields->addWidget(m_code, 0, 1);
    fields->addWidget(new QLabel("Name:"), 1, 0);
    fields->addWidget(m_name, 1, 1, 1, 3);
    if (events) {
        fields->addWidget(new QLabel("Planned:"), 0, 2);
        fields->addWidget(m_planned, 0, 3);
    }
    fields->addWidget(new QLabel(events ? " Event category: " : " Resource category: "), 2, 0);
    fields->addWidget(m_category, 2, 1);
    fields->addWidget(m_lock, 2, 2);
    fields->addWidget(m_panels, 3, 0, 1, 3);
    m_seats->setObjectName("seats");
    fields->addWidget(m_seats, 3, 3);

    auto makeButton = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption);
        b->setObjectName(name);
        // Enter in the code or name field takes the dialog in, as in every other dialog; the
        // list buttons act on a click or their own key only.
        b->setAutoDefault(false);
        return b;
    };
    auto *middle = new QVBoxLayout;
    const std::pair<const char *, const char *> buttons[] = {
        {"add", "Add"},
        {"remove", "Remove"},
        {"swap", "Swap"},
        {"clearAll", "Clear All"},
        {"sort", "Sort"},
        {"up", "Move up"},
        {"down", "Move down"},
        {"copy", "Copy"},
        {"cut", "Cut"},
        {"paste", "Paste"},
        {"filter", "Filter"},
        {"info", "Info"},
        {"conflicts", "Conflicts"},
        {"timetables", "Timetables"},
        {"erase", "Erase"},
    };
    for (const auto &[name, caption] : buttons)
        middle->addWidget(makeButton(name, caption));
    middle->addStretch();

    auto *leftBox = new QVBoxLayout;
    leftBox->addWidget(m_leftTitle);
    leftBox->addWidget(m_left);
    auto *rightBox = new QVBoxLayout;
    rightBox->addWidget(m_rightTitle);
    rightBox->addWidget(m_right);
    // Schedule mode: one week of the event's slots beside the lists.
    m_grid->setObjectName("scheduleGrid");
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_weekLabel->setAlignment(Qt::AlignCenter);
    m_side->setWordWrap(true);
    m_side->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto *weekRow = new QHBoxLayout;
    weekRow->addWidget(makeButton("previousWeek", "Previous week"));
    weekRow->addWidget(m_weekLabel, 1);
    weekRow->addWidget(makeButton("nextWeek", "Next week"));
    auto *saveRow = new QHBoxLayout;
    saveRow->addWidget(m_schedulePanels, 1);
    saveRow->addWidget(makeButton("save", "Save"));
    saveRow->addWidget(makeButton("reset", "Reset"));
    auto *gridBox = new QVBoxLayout;
    gridBox->setContentsMargins(0, 0, 0, 0);
    gridBox->addLayout(weekRow);
    gridBox->addWidget(m_grid, 1);
    gridBox->addLayout(saveRow);
    auto *scheduleLayout = new QHBoxLayout(m_scheduleBox);
    scheduleLayout->setContentsMargins(0, 0, 0, 0);
    scheduleLayout->addLayout(gridBox, 3);
    scheduleLayout->addWidget(m_side, 1);
    m_scheduleBox->setVisible(false);

    auto *lists = new QHBoxLayout;
    lists->addLayout(leftBox, 1);
    lists->addLayout(middle);
    lists->addLayout(rightBox, 1);
    lists->addWidget(m_scheduleBox, 2);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(makeButton("previous", "Go to previous code"));
    bottom->addWidget(makeButton("next", "Go to next code"));
    bottom->addWidget(makeButton("schedule", events ? "Schedule now" : "View schedule"));
    bottom->addStretch();
    QPushButton *ok = makeButton("ok", "OK");
    ok->setDefault(true);
    bottom->addWidget(ok);
    bottom->addWidget(makeButton("cancel", "Cancel"));
    QPushButton *help = makeButton("help", "&Help");
    bottom->addWidget(help);
    connect(help, &QPushButton::clicked, this, [this] {
        showHelp(this, m_editor.eventMode() ? HelpTopic::CollectionsEditor
                                            : HelpTopic::CollectionsEditor + 10);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(lists, 1);
    layout->addWidget(m_info);
    layout->addLayout(bottom);
    resize(900, 560);

    connect(button("add"), &QPushButton::clicked, this, &TCourseDualBox::addChosen);
    connect(m_right, &QListWidget::itemDoubleClicked, this, &TCourseDualBox::addChosen);
    auto removeChosen = [this] {
        m_editor.remove(chosen(m_left));
        refresh();
    };
    connect(button("remove"), &QPushButton::clicked, this, removeChosen);
    connect(m_left, &QListWidget::itemDoubleClicked, this, removeChosen);
    connect(button("swap"), &QPushButton::clicked, this, [this] {
        const auto by = chosen(m_right);
        if (m_left->currentRow() >= 0 && !by.empty())
            m_editor.swap(static_cast<std::size_t>(m_left->currentRow()), by.front());
        refresh();
    });
    connect(button("clearAll"), &QPushButton::clicked, this, [this] {
        m_editor.clearAll();
        refresh();
    });
    connect(button("sort"), &QPushButton::clicked, this, [this] {
        m_editor.sort();
        refresh();
    });
    auto move = [this](int by) {
        const int row = m_left->currentRow();
        if (row < 0)
            return;
        const auto at = static_cast<std::size_t>(row);
        if (by < 0 ? m_editor.moveUp(at) : m_editor.moveDown(at)) {
            refresh();
            m_left->setCurrentRow(row + by);
        }
    };
    connect(button("up"), &QPushButton::clicked, this, [move] { move(-1); });
    connect(button("down"), &QPushButton::clicked, this, [move] { move(+1); });
    connect(button("copy"), &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(toQString(m_editor.copy(chosen(m_left))));
    });
    connect(button("cut"), &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(toQString(m_editor.cut(chosen(m_left))));
        refresh();
    });
    connect(button("paste"), &QPushButton::clicked, this, [this] {
        m_editor.paste(fromQString(QApplication::clipboard()->text()));
        refresh();
    });
    connect(button("filter"), &QPushButton::clicked, this, [this] {
        const auto sel = chosen(m_right);
        m_editor.setFilter(
            m_editor.filter() != 0 || sel.empty() ? 0 : categoryOf(m_editor.data(), sel.front()));
        refresh();
    });
    connect(button("conflicts"), &QPushButton::clicked, this, &TCourseDualBox::showConflicts);
    connect(button("info"), &QPushButton::clicked, this, [this] {
        if (const CodeId c = chosenItem(); c != 0)
            showListCodeInfo(m_editor.data(), m_editor.prompter(), c);
    });
    connect(button("timetables"), &QPushButton::clicked, this, &TCourseDualBox::showTimetables);
    button("erase")->setToolTip("Erase scheduled periods of events (from selected weeks)");
    connect(button("erase"), &QPushButton::clicked, this, [this] {
        m_editor.erase();
        refresh();
    });
    for (QListWidget *list : {m_left, m_right}) {
        addListActions(list);
        connect(list, &QListWidget::itemSelectionChanged, this,
                [this, list] { m_lastList = list; });
    }
    addGridActions();
    connect(button("schedule"), &QPushButton::clicked, this, &TCourseDualBox::toggleSchedule);
    connect(button("previousWeek"), &QPushButton::clicked, this, [this] {
        m_editor.stepScheduleWeek(-1);
        refreshSchedule();
    });
    connect(button("nextWeek"), &QPushButton::clicked, this, [this] {
        m_editor.stepScheduleWeek(+1);
        refreshSchedule();
    });
    connect(button("save"), &QPushButton::clicked, this, [this] {
        m_editor.saveSchedule();
        refresh();
    });
    connect(button("reset"), &QPushButton::clicked, this, [this] {
        m_editor.resetSchedule();
        refreshSchedule();
    });
    // A double-click or Enter on a slot schedules or unschedules the event there.
    connect(m_grid, &QTableWidget::cellActivated, this, [this](int row, int column) {
        if (m_editor.toggleSlot(column + 1, row + 1))
            refreshSchedule();
    });
    connect(button("previous"), &QPushButton::clicked, this, [this] { step(-1); });
    connect(button("next"), &QPushButton::clicked, this, [this] { step(+1); });
    connect(button("ok"), &QPushButton::clicked, this, &TCourseDualBox::accept);
    connect(button("cancel"), &QPushButton::clicked, this, &TCourseDualBox::reject);
    connect(m_lock, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing)
            m_editor.setLocked(on);
    });
    connect(m_category, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_refreshing) {
            m_editor.setCategory(index + 1);
            refresh();
        }
    });
    // What is typed goes to the editor at once, so a refresh after any click shows it again.
    connect(m_code, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_refreshing)
            m_editor.setCodeText(fromQString(text));
    });
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_refreshing)
            m_editor.setNameText(fromQString(text));
    });
    connect(m_name, &QLineEdit::textEdited, this, &TCourseDualBox::completeName);
    m_name->installEventFilter(this);
    connect(m_planned, &QSpinBox::valueChanged, this, [this](int value) {
        if (!m_refreshing)
            m_editor.setPlanned(value);
    });
    refresh();
}

bool TCourseDualBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_name && event->type() == QEvent::FocusIn) {
        const std::string before = m_editor.nameText();
        m_editor.enterNameField();
        if (m_editor.nameText() != before) {
            m_refreshing = true;
            m_name->setText(toQString(m_editor.nameText()));
            m_name->selectAll();
            m_refreshing = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// While the user types (not deletes) a name, the name of another code that begins with what
// stands before the cursor is filled in, its rest selected, so typing on replaces it.
void TCourseDualBox::completeName(const QString &text)
{
    const qsizetype before = m_typedLength;
    m_typedLength = text.size();
    const int cursor = m_name->cursorPosition();
    if (text.size() <= before || cursor != text.size())
        return;
    const QString name = toQString(m_editor.nameCompletion(fromQString(text.left(cursor))));
    if (name.isEmpty())
        return;
    m_name->setText(name);
    m_name->setSelection(cursor, static_cast<int>(name.size()) - cursor);
    m_typedLength = cursor;
}

QPushButton *TCourseDualBox::button(const char *name) const
{
    return findChild<QPushButton *>(QString::fromLatin1(name));
}

std::vector<CodeId> TCourseDualBox::chosen(QListWidget *list) const
{
    std::vector<CodeId> out;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            out.push_back(static_cast<CodeId>(list->item(i)->data(Qt::UserRole).toInt()));
    return out;
}

void TCourseDualBox::takeFields()
{
    m_editor.setCodeText(fromQString(m_code->text()));
    m_editor.setNameText(fromQString(m_name->text()));
}

void TCourseDualBox::addChosen()
{
    takeFields();
    const int row = m_left->currentRow();
    m_editor.add(chosen(m_right), row < 0 ? SIZE_MAX : static_cast<std::size_t>(row) + 1);
    refresh();
}

void TCourseDualBox::refresh()
{
    m_refreshing = true;
    const ScheduleData &d = m_editor.data();
    setWindowTitle(toQString(m_editor.caption()));
    m_code->setText(toQString(m_editor.codeText()));
    m_name->setText(toQString(m_editor.nameText()));
    m_category->setCurrentIndex(m_editor.category() - 1);
    m_planned->setRange(m_editor.plannedMinimum(), m_editor.plannedMaximum());
    m_planned->setValue(m_editor.planned());
    m_lock->setChecked(m_editor.locked());
    if (m_editor.code() != 0) {
        const CodeRecord &r = d.codes[m_editor.code()];
        m_panels->setText(QString("PLANNED %1   ALLOCATED %2   SCHEDULED %3   LINKS %4x")
                              .arg(r.planned)
                              .arg(r.allocated)
                              .arg(r.scheduled)
                              .arg(r.links));
    } else {
        m_panels->clear();
    }
    const auto seats = m_editor.seatsPanel();
    m_seats->setVisible(seats.has_value());
    if (seats) {
        m_seats->setText(toQString(seats->text));
        m_seats->setToolTip(toQString(seats->hint));
        m_seats->setStyleSheet(seats->extra < 0 ? "color: #c00000; font-weight: bold"
                                                : "color: #008000; font-weight: bold");
    }
    m_left->clear();
    int row = 0;
    for (const CodeId c : m_editor.left())
        m_left->addItem(codeItem(d, c, ++row, m_leftAll));
    m_right->clear();
    row = 0;
    for (const CodeId c : m_editor.right())
        m_right->addItem(codeItem(d, c, ++row, m_rightAll));
    m_leftTitle->setText(toQString(m_editor.leftTitle()));
    m_rightTitle->setText(toQString(m_editor.rightTitle()));
    m_left->setToolTip(toQString(m_editor.leftHint()));
    m_right->setToolTip(toQString(m_editor.rightHint()));
    m_info->setText(toQString(m_editor.infoLine()));
    const bool lists = !m_editor.nothingToLink();
    m_left->setVisible(lists);
    m_right->setVisible(lists);
    button("conflicts")->setEnabled(!m_editor.unselectable().empty());
    const bool items = m_left->count() + m_right->count() > 0;
    button("info")->setEnabled(items);
    button("timetables")->setEnabled(items && m_editor.code() != 0);
    button("erase")->setEnabled(!m_editor.scheduledWeeks().empty());
    // Erased periods are gone from the data set: Cancel can no longer take anything back.
    button("cancel")->setEnabled(!m_editor.cancelDisabled());
    // Schedule mode: the event's links stay as they are while its slots are edited.
    QPushButton *schedule = button("schedule");
    schedule->setEnabled(m_editor.scheduling() || m_editor.scheduleAvailable());
    schedule->setToolTip(toQString(m_editor.scheduleHint()));
    const bool frozen = m_editor.scheduling() && m_editor.eventMode();
    for (const char *name :
         {"add", "remove", "swap", "clearAll", "sort", "erase", "up", "down", "cut", "paste"})
        if (frozen)
            button(name)->setEnabled(false);
    m_left->setEnabled(!frozen);
    m_right->setEnabled(!frozen);
    m_lock->setEnabled(!frozen);
    if (m_editor.scheduling())
        m_info->setText(frozen ? "Resource changes are disabled during scheduling."
                               : "Click \"View schedule\" again to go back to default mode.");
    m_refreshing = false;
    refreshSchedule();
}

void TCourseDualBox::toggleSchedule()
{
    takeFields();
    if (m_editor.scheduling()) {
        if (!m_editor.leaveSchedule())
            return;
        m_scheduleBox->setVisible(false);
        resize(std::max(900, width() - 520), height());
    } else {
        if (!m_editor.enterSchedule())
            return;
        m_scheduleBox->setVisible(true);
        // Wider for the grid, but never past the screen: the dialog moves left when it must.
        QRect area = geometry();
        area.setWidth(width() + 520);
        if (const QScreen *s = screen()) {
            const QRect free = s->availableGeometry();
            area.setWidth(std::min(area.width(), free.width()));
            if (area.right() > free.right())
                area.moveRight(free.right());
            area.moveLeft(std::max(area.left(), free.left()));
        }
        setGeometry(area);
    }
    refresh();
}

void TCourseDualBox::refreshSchedule()
{
    if (!m_editor.scheduling())
        return;
    const ScheduleData &d = m_editor.data();
    const int days = m_editor.scheduleDays();
    const int bells = m_editor.scheduleBells();
    m_grid->setColumnCount(days);
    m_grid->setRowCount(bells);
    const QStringList dayNames = toQString(d.dayNames).split(QLatin1Char('$'));
    for (int day = 1; day <= days; ++day)
        m_grid->setHorizontalHeaderItem(
            day - 1, new QTableWidgetItem(day <= dayNames.size() ? dayNames[day - 1].left(3)
                                                                 : QString::number(day)));
    for (int bell = 1; bell <= bells; ++bell) {
        const QString name = toQString(d.bellNames[static_cast<std::size_t>(bell)].view());
        m_grid->setVerticalHeaderItem(
            bell - 1, new QTableWidgetItem(name.isEmpty() ? QString::number(bell) : name));
    }
    const QString code = toQString(d.codes[m_editor.code()].code.view());
    for (int day = 1; day <= days; ++day) {
        for (int bell = 1; bell <= bells; ++bell) {
            auto *item = new QTableWidgetItem;
            switch (m_editor.slot(day, bell)) {
            case ScheduleSlot::Scheduled:
                item->setText(code.left(4));
                item->setBackground(QColor(0x9c, 0xd8, 0x9c));
                break;
            case ScheduleSlot::Blocked:
                item->setBackground(QColor(0xc8, 0xc8, 0xc8));
                [[fallthrough]];
            case ScheduleSlot::Free:
                if (const int busy = m_editor.busyResources(day, bell); busy > 0)
                    item->setText(QString::number(busy));
                break;
            }
            item->setTextAlignment(Qt::AlignCenter);
            item->setToolTip(toQString(m_editor.slotHint(day, bell)));
            m_grid->setItem(bell - 1, day - 1, item);
        }
    }
    m_weekLabel->setText(toQString(m_editor.scheduleWeekLabel()));
    m_side->setText(toQString(m_editor.scheduleSideText()));
    if (!m_editor.eventMode())
        m_side->setToolTip("You cannot edit schedules in Resources view");
    m_schedulePanels->setText(toQString(m_editor.scheduledPanel() + "   " + m_editor.freePanel()));
    button("previousWeek")->setToolTip(toQString(m_editor.weekStepHint(-1)));
    button("nextWeek")->setToolTip(toQString(m_editor.weekStepHint(+1)));
    const bool editable = m_editor.eventMode();
    button("save")->setVisible(editable);
    button("reset")->setVisible(editable);
    button("save")->setEnabled(m_editor.scheduleChanges() > 0);
    button("reset")->setEnabled(m_editor.scheduleChanges() > 0);
    for (QAction *a : m_grid->actions())
        a->setEnabled(editable);
}

QListWidget *TCourseDualBox::focusList() const
{
    if (m_left->hasFocus())
        return m_left;
    if (m_right->hasFocus())
        return m_right;
    return m_lastList ? m_lastList : m_left;
}

QAction *TCourseDualBox::action(const QString &caption) const
{
    for (QAction *a : findChildren<QAction *>())
        if (a->text() == caption)
            return a;
    return nullptr;
}

void TCourseDualBox::addListActions(QListWidget *list)
{
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto add = [this, list](const QString &caption, auto slot, QKeySequence key = QKeySequence()) {
        auto *a = new QAction(caption, list);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetShortcut);
        }
        connect(a, &QAction::triggered, this, slot);
        list->addAction(a);
        return a;
    };
    add("Rename category", [this, list] {
        const ScheduleData &d = m_editor.data();
        const QListWidgetItem *item = list->currentItem();
        const CodeId c = item ? static_cast<CodeId>(item->data(Qt::UserRole).toInt()) : 0;
        const bool events = c != 0 ? d.codes[c].isEvent() : m_editor.eventMode();
        const int category = c != 0 ? categoryOf(d, c) : m_editor.category();
        if (m_editor.renameCategory(events, category)) {
            // The category box names them too.
            const QStringList names = categoryNames(d, m_editor.eventMode());
            m_refreshing = true;
            for (int k = 1; k <= MaxCategories; ++k)
                m_category->setItemText(k - 1,
                                        names[k - 1].isEmpty() ? QString::number(k) : names[k - 1]);
            m_refreshing = false;
            refresh();
        }
    });
    add(
        "Select All", [list] { list->selectAll(); }, QKeySequence(Qt::CTRL | Qt::Key_A));
    add("Unselect All", [list] { list->clearSelection(); });
    for (const char *name : {"filter", "info", "conflicts", "timetables"}) {
        QPushButton *b = button(name);
        QAction *a = add(b->text(), [b] {
            if (b->isEnabled())
                b->click();
        });
        if (QLatin1String(name) == QLatin1String("info")) {
            a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
            a->setShortcutContext(Qt::WidgetShortcut);
        }
    }
    add("Left box fields change", [this] {
        m_leftAll = !m_leftAll;
        refresh();
    });
    add("Right box fields change", [this] {
        m_rightAll = !m_rightAll;
        refresh();
    });
    add("Erase SCHEDULED lectures", [this] {
        m_editor.eraseScheduled();
        refresh();
    });
    add("Erase weekly periods (ALLOCATED and SCHEDULED)", [this] {
        m_editor.eraseWeeklyPeriods();
        refresh();
    });
    add("Erase periods one by one", [this] {
        m_editor.erasePeriodOneByOne();
        refresh();
    });
}

void TCourseDualBox::addGridActions()
{
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto add = [this](const QString &caption, auto slot) {
        auto *a = new QAction(caption, m_grid);
        connect(a, &QAction::triggered, this, [this, slot] {
            slot();
            refresh();
        });
        m_grid->addAction(a);
    };
    auto fill = [this](SlotScope scope, bool set) {
        return [this, scope, set] {
            m_editor.fillSlots(scope, m_grid->currentColumn() + 1, m_grid->currentRow() + 1, set);
        };
    };
    add("Fill this day", fill(SlotScope::Day, true));
    add("Fill this row", fill(SlotScope::Row, true));
    add("Fill all cells", fill(SlotScope::Week, true));
    add("Clear this day", fill(SlotScope::Day, false));
    add("Clear this row", fill(SlotScope::Row, false));
    add("Clear all cells", fill(SlotScope::Week, false));
    add("Copy this week's schedule", [this] { m_editor.copyWeekSchedule(); });
    add("Paste copied schedule to this week", [this] { m_editor.pasteWeekSchedule(); });
    add("Clear this week's schedule", fill(SlotScope::Week, false));
}

void TCourseDualBox::step(int direction)
{
    takeFields();
    m_editor.step(direction);
    refresh();
}

void TCourseDualBox::showConflicts()
{
    const auto &why = m_editor.unselectable();
    if (why.empty() || m_editor.code() == 0)
        return;
    const bool events = m_editor.eventMode();
    // The editor's edits are not stored yet, so the pairs are only shown here, on the stored
    // data; changing links is left to the editor.
    showModifyCollections(m_editor.data(), m_editor.prompter(), this,
                          events ? m_editor.code() : why.front().code,
                          events ? why.front().code : m_editor.code(), true, true);
}

// The item the user points at: the current line of the list last worked in.
CodeId TCourseDualBox::chosenItem() const
{
    for (QListWidget *list : {m_right, m_left}) {
        if (list->hasFocus() && list->currentItem())
            return static_cast<CodeId>(list->currentItem()->data(Qt::UserRole).toInt());
    }
    for (QListWidget *list : {m_right, m_left}) {
        if (list->currentItem())
            return static_cast<CodeId>(list->currentItem()->data(Qt::UserRole).toInt());
    }
    return 0;
}

// The timetables of the code and of the chosen item side by side, to compare: nothing in them
// can be changed from here.
void TCourseDualBox::showTimetables()
{
    const CodeId other = chosenItem();
    if (other == 0 || m_editor.code() == 0)
        return;
    const bool events = m_editor.eventMode();
    showModifyCollections(m_editor.data(), m_editor.prompter(), this,
                          events ? m_editor.code() : other, events ? other : m_editor.code(), false,
                          true);
}

void TCourseDualBox::accept()
{
    takeFields();
    // Unsaved slots are offered to be saved first; Cancel there keeps the dialog open.
    if (!m_editor.leaveSchedule()) {
        refresh();
        return;
    }
    switch (m_editor.commit()) {
    case CommitResult::Stored:
        QDialog::accept();
        break;
    case CommitResult::KeepOpen:
    case CommitResult::Abandoned:
        refresh();
        break;
    }
}

void TCourseDualBox::reject()
{
    // After an erase, closing the dialog stores the edits, as OK does.
    if (!m_editor.leaveSchedule()) {
        refresh();
        return;
    }
    if (m_editor.cancelDisabled()) {
        accept();
        return;
    }
    m_editor.cancel();
    QDialog::reject();
}

// The frame's side of the views' New, Edit and "Edit event links": the editor is a dialog of the
// shell, which the views reach only through their host.

void TFrameForm::showCollections(CollectionsEditor &editor)
{
    TCourseDualBox dialog(editor, this);
    dialog.exec();
}

} // namespace quivra
