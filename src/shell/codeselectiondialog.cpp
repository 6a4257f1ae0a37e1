#include "shell/codeselectiondialog.h"

#include "commands/codelistrow.h"
#include "engine/codetable.h"
#include "shell/helpwindow.h"
#include "shell/qtdialogs.h"
#include "ui/helptopics.h"
#include "ui/prompter.h"
#include "views/qtext.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

namespace {

QPushButton *addButton(QGridLayout *grid, int row, int column, const char *caption,
                       const char *hint, const char *name)
{
    auto *button = new QPushButton(QString::fromLatin1(caption));
    button->setToolTip(QString::fromLatin1(hint));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    grid->addWidget(button, row, column);
    return button;
}

} // namespace

CodeSelectionDialog::CodeSelectionDialog(const ScheduleData &d, const CodePickRequest &request,
                                         Dialogs &ask, QWidget *parent)
    : QDialog(parent), m_selection(d, request), m_ask(ask)
{
    setObjectName(QStringLiteral("codePicker"));
    setWindowTitle(request.caption.empty() ? QStringLiteral("Select events or resources")
                                           : toQString(request.caption));
    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(toQString(request.caption), this);
    caption->setWordWrap(true);
    layout->addWidget(caption);

    auto *body = new QHBoxLayout;
    layout->addLayout(body, 1);

    // The code list first: it is the dialog's main list.
    auto *right = new QVBoxLayout;
    m_codes = new QListWidget(this);
    m_codes->setObjectName(QStringLiteral("codeList"));
    m_codes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_codes->setContextMenuPolicy(Qt::CustomContextMenu);
    m_codes->setMinimumWidth(420);
    for (int row = 0; row < m_selection.size(); ++row) {
        const std::vector<std::string> cells = lineCells(row);
        m_widths.resize(std::max(m_widths.size(), cells.size()));
        for (std::size_t f = 0; f < cells.size(); ++f)
            m_widths[f] = std::max(m_widths[f], cells[f].size());
    }
    for (int row = 0; row < m_selection.size(); ++row) {
        const CodeId c = m_selection.codes()[static_cast<std::size_t>(row)];
        auto *item = new QListWidgetItem(lineText(row), m_codes);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setToolTip(toQString(codeListRowHint(d, c)));
        if (isLockedCode(d, c) && d.codes[c].isEvent()) {
            QFont font = m_codes->font();
            font.setStrikeOut(true);
            item->setFont(font);
        }
    }
    right->addWidget(m_codes, 1);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("countPanel"));
    right->addWidget(m_count);
    m_selected = new QLabel(this);
    m_selected->setObjectName(QStringLiteral("selectedPanel"));
    right->addWidget(m_selected);
    m_gauge = new QProgressBar(this);
    m_gauge->setTextVisible(false);
    right->addWidget(m_gauge);

    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Categories:"), this));
    m_categories = new QListWidget(this);
    m_categories->setObjectName(QStringLiteral("categoryList"));
    m_categories->setToolTip(QStringLiteral("Select codes by categories"));
    for (const CodeSelection::Category &cat : m_selection.categories()) {
        auto *item = new QListWidgetItem(toQString(cat.label), m_categories);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    left->addWidget(m_categories, 1);
    // A picker for one category only: that category is the list, checked and fixed.
    m_categories->setEnabled(!m_selection.categoryFixed());

    auto *grid = new QGridLayout;
    QPushButton *all = addButton(grid, 0, 0, "All", "Check all items", "allButton");
    QPushButton *clear = addButton(grid, 0, 1, "Clear", "Uncheck all items", "clearButton");
    QPushButton *invert = addButton(grid, 1, 0, "Invert", "Invert all checkmarks", "invertButton");
    QPushButton *mask = addButton(grid, 1, 1, "Mask", "Select items with mask", "maskButton");
    QPushButton *links = addButton(grid, 2, 0, "Links", "Check items by links", "linksButton");
    QPushButton *info = addButton(grid, 2, 1, "Info", "Show info of the active item", "infoButton");
    QPushButton *fields =
        addButton(grid, 3, 0, "Fields", "Display more or less fields", "fieldsButton");
    QPushButton *lock = addButton(grid, 3, 1, "Lock", "Lock or unlock events", "lockButton");
    lock->setVisible(m_selection.canLock());
    links->setEnabled(!m_selection.linkCandidates().empty());
    left->addLayout(grid);

    // The lock-state choice, for events when any is locked.
    if (m_selection.listsEvents() && m_selection.lockedCount() > 0) {
        left->addWidget(new QLabel(QStringLiteral("Select events "), this));
        m_lockState = new QComboBox(this);
        m_lockState->setObjectName(QStringLiteral("lockState"));
        m_lockState->setToolTip(QStringLiteral("Select locked, unlocked or all events"));
        m_lockState->addItem(QStringLiteral("Locked (%1)").arg(m_selection.lockedCount()));
        m_lockState->addItem(QStringLiteral("Unlocked (%1)").arg(m_selection.unlockedCount()));
        m_lockState->addItem(QStringLiteral("All events (%1)")
                                 .arg(m_selection.lockedCount() + m_selection.unlockedCount()));
        m_lockState->setCurrentIndex(2);
        connect(m_lockState, &QComboBox::activated, this, [this](int index) {
            const LockFilter filters[] = {LockFilter::Locked, LockFilter::Unlocked,
                                          LockFilter::All};
            m_selection.selectByLock(filters[std::clamp(index, 0, 2)]);
            refresh();
        });
        left->addWidget(m_lockState);
    }

    left->addWidget(new QLabel(QStringLiteral("Sums of the selected periods:"), this));
    m_sums = new QLabel(this);
    m_sums->setObjectName(QStringLiteral("sumsPanel"));
    m_sums->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    left->addWidget(m_sums);
    left->addStretch();

    body->addLayout(left);
    body->addLayout(right, 1);
    QDialogButtonBox *okCancelHelp = okCancel(*this);
    addHelpButton(okCancelHelp, HelpTopic::CodeSelection);
    layout->addWidget(okCancelHelp);

    connect(all, &QPushButton::clicked, this, [this] {
        m_selection.checkAll();
        refresh();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_selection.clearAll();
        refresh();
    });
    connect(invert, &QPushButton::clicked, this, [this] {
        m_selection.invert();
        refresh();
    });
    connect(mask, &QPushButton::clicked, this, &CodeSelectionDialog::askMask);
    connect(links, &QPushButton::clicked, this, &CodeSelectionDialog::askLinks);
    connect(info, &QPushButton::clicked, this, &CodeSelectionDialog::showInfo);
    connect(fields, &QPushButton::clicked, this, &CodeSelectionDialog::toggleFields);
    // Lock or unlock events: the four ways, offered under the button.
    connect(lock, &QPushButton::clicked, this, [this, lock] {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("lockChoice"));
        menu.setToolTipsVisible(true);
        const QStringList ways = QString::fromLatin1(LockOperations).split('$', Qt::SkipEmptyParts);
        for (int i = 0; i < ways.size(); ++i) {
            const auto op = static_cast<LockOperation>(i + 1);
            QAction *a = menu.addAction(ways[i]);
            a->setEnabled(!m_selection.lockTargets(op).empty());
            connect(a, &QAction::triggered, this, [this, op] {
                m_selection.lock(op);
                refresh();
            });
        }
        menu.exec(lock->mapToGlobal(QPoint(0, lock->height())));
    });
    connect(m_codes, &QListWidget::itemChanged, this, &CodeSelectionDialog::onCodeItemChanged);
    connect(m_categories, &QListWidget::itemChanged, this,
            &CodeSelectionDialog::onCategoryItemChanged);
    connect(m_codes, &QWidget::customContextMenuRequested, this,
            &CodeSelectionDialog::showListMenu);

    if (m_codes->count() > 0)
        m_codes->setCurrentRow(0);
    refresh();
    resize(900, 560);
}

// The fields of a line from the code on (the list position is the line itself): all of them,
// or only code, name and category. Each field is padded to the widest of its column.
std::vector<std::string> CodeSelectionDialog::lineCells(int row) const
{
    const ScheduleData &d = m_selection.data();
    const CodeId c = m_selection.codes()[static_cast<std::size_t>(row)];
    const CodeKind kind = d.codes[c].isEvent() ? CodeKind::Event : CodeKind::Resource;
    std::vector<std::string> cells(static_cast<std::size_t>(ListField::Resources) + 1);
    for (const ListField field : codeListFields(d, kind)) {
        if (field == ListField::Number || field == ListField::Left)
            continue;
        cells[static_cast<std::size_t>(field)] = codeListCell(d, c, row + 1, field);
    }
    return cells;
}

QString CodeSelectionDialog::lineText(int row) const
{
    const std::vector<std::string> cells = lineCells(row);
    const auto last =
        static_cast<std::size_t>(m_allFields ? ListField::Resources : ListField::Category);
    std::string text;
    for (std::size_t f = 0; f <= last && f < cells.size(); ++f) {
        const std::size_t width = f < m_widths.size() ? m_widths[f] : 0;
        if (width == 0)
            continue;
        std::string cell = cells[f];
        const bool number = f >= static_cast<std::size_t>(ListField::Planned) &&
                            f <= static_cast<std::size_t>(ListField::Seats);
        if (cell.size() < width)
            cell.insert(number ? 0 : cell.size(), width - cell.size(), ' ');
        if (!text.empty())
            text += "  ";
        text += cell;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return toQString(text);
}

void CodeSelectionDialog::refresh()
{
    m_updating = true;
    const ScheduleData &d = m_selection.data();
    for (int row = 0; row < m_codes->count(); ++row) {
        QListWidgetItem *item = m_codes->item(row);
        item->setCheckState(m_selection.isChecked(row) ? Qt::Checked : Qt::Unchecked);
        // A locked event is struck through, also once the Lock button changed it.
        const CodeId c = m_selection.codes()[static_cast<std::size_t>(row)];
        QFont font = m_codes->font();
        font.setStrikeOut(d.codes[c].isEvent() && isLockedCode(d, c));
        item->setFont(font);
    }
    if (m_lockState) {
        m_lockState->setItemText(0, QStringLiteral("Locked (%1)").arg(m_selection.lockedCount()));
        m_lockState->setItemText(1,
                                 QStringLiteral("Unlocked (%1)").arg(m_selection.unlockedCount()));
    }
    const auto &cats = m_selection.categories();
    for (int i = 0; i < m_categories->count(); ++i)
        m_categories->item(i)->setCheckState(
            cats[static_cast<std::size_t>(i)].checked ? Qt::Checked : Qt::Unchecked);
    m_updating = false;
    updatePanels();
}

void CodeSelectionDialog::updatePanels()
{
    m_count->setText(toQString(m_selection.countText()));
    m_selected->setText(toQString(m_selection.selectedText()));
    m_gauge->setRange(0, std::max(1, m_selection.size()));
    m_gauge->setValue(m_selection.checkedCount());
    m_sums->setText(toQString(m_selection.sumsText()));
}

void CodeSelectionDialog::onCodeItemChanged(QListWidgetItem *item)
{
    if (m_updating)
        return;
    m_selection.setChecked(m_codes->row(item), item->checkState() == Qt::Checked);
    updatePanels();
}

void CodeSelectionDialog::onCategoryItemChanged(QListWidgetItem *item)
{
    if (m_updating)
        return;
    m_selection.setCategoryChecked(m_categories->row(item), item->checkState() == Qt::Checked);
    refresh();
}

void CodeSelectionDialog::applyMask(const QString &mask)
{
    m_selection.applyMask(fromQString(mask));
    refresh();
}

void CodeSelectionDialog::addLinked(const std::vector<CodeId> &others)
{
    m_selection.addLinked(others);
    refresh();
}

void CodeSelectionDialog::askMask()
{
    Prompter p(m_ask);
    const auto answer =
        p.input("Select with mask",
                "Input mask for selected codes (use \"?\" as wildcard):", m_selection.mask(),
                SelectionMaskLength);
    if (answer)
        applyMask(toQString(*answer));
}

void CodeSelectionDialog::askLinks()
{
    const std::vector<CodeId> candidates = m_selection.linkCandidates();
    if (candidates.empty())
        return;
    const ScheduleData &d = m_selection.data();
    const bool events = m_selection.listsEvents();
    const QString other = events ? QStringLiteral("resources") : QStringLiteral("events");
    const QString own = events ? QStringLiteral("events") : QStringLiteral("resources");

    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("linkPicker"));
    dialog.setWindowTitle(QStringLiteral("Select one or more %1").arg(other));
    auto *layout = new QVBoxLayout(&dialog);
    auto *text = new QLabel(QStringLiteral("Select one or more %1 from the list below.\n"
                                           "All %2 linked to the selected %1 will\n"
                                           "be added to the current selection (of %3 codes).")
                                .arg(other, own)
                                .arg(m_selection.checkedCount()),
                            &dialog);
    layout->addWidget(text);
    auto *list = new QListWidget(&dialog);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        auto *item = new QListWidgetItem(QStringLiteral("%1: %2").arg(i + 1).arg(toQString(
                                             formatCode(d, candidates[i], ShowCodeAndName))),
                                         list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    layout->addWidget(list, 1);
    layout->addWidget(okCancel(dialog));
    dialog.resize(420, 480);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<CodeId> chosen;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            chosen.push_back(candidates[static_cast<std::size_t>(i)]);
    }
    addLinked(chosen);
}

// The information of the current line's code, to read only: editing a code while the dialog
// lists it would leave the list stale.
void CodeSelectionDialog::showInfo()
{
    const int row = m_codes->currentRow();
    if (row < 0 || row >= m_selection.size())
        return;
    const ScheduleData &d = m_selection.data();
    const CodeId c = m_selection.codes()[static_cast<std::size_t>(row)];
    MessageRequest request;
    request.caption = formatCode(d, c, ShowCodeAndName);
    request.text = codeListRowHint(d, c);
    m_ask.message(request);
}

void CodeSelectionDialog::toggleFields()
{
    m_allFields = !m_allFields;
    for (int row = 0; row < m_codes->count(); ++row)
        m_codes->item(row)->setText(lineText(row));
}

void CodeSelectionDialog::showListMenu(const QPoint &at)
{
    const int row = m_codes->currentRow();
    const auto codeOf = [&](int r) {
        return toQString(
            m_selection.data().codes[m_selection.codes()[static_cast<std::size_t>(r)]].code.view());
    };
    QMenu menu(this);
    const int first = m_selection.rangeFirst(), last = m_selection.rangeLast();
    QAction *setFirst = menu.addAction(
        first >= 0 ? QStringLiteral("Select the first item (\"%1\")").arg(codeOf(first))
                   : QStringLiteral("Select the first item"));
    QAction *setLast =
        menu.addAction(last >= 0 ? QStringLiteral("Select the last item (\"%1\")").arg(codeOf(last))
                                 : QStringLiteral("Select the last item"));
    menu.addSeparator();
    const int n = m_selection.rangeSize();
    QAction *check =
        menu.addAction(n > 0 ? QStringLiteral("Check %1 items in selected range").arg(n)
                             : QStringLiteral("Check items in selected range"));
    QAction *uncheck =
        menu.addAction(n > 0 ? QStringLiteral("Uncheck %1 items in selected range").arg(n)
                             : QStringLiteral("Uncheck items in selected range"));
    setFirst->setEnabled(row >= 0);
    setLast->setEnabled(row >= 0);
    check->setEnabled(n > 0);
    uncheck->setEnabled(n > 0);
    QAction *chosen = menu.exec(m_codes->viewport()->mapToGlobal(at));
    if (chosen == setFirst)
        m_selection.setRangeFirst(row);
    else if (chosen == setLast)
        m_selection.setRangeLast(row);
    else if (chosen == check || chosen == uncheck)
        m_selection.checkRange(chosen == check);
    refresh();
}

} // namespace quivra
