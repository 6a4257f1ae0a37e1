#include "shell/rolesdialog.h"

#include "shell/helpwindow.h"
#include "ui/ports.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace quivra {

namespace {

QPushButton *button(const char *caption, const char *hint, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setToolTip(QString::fromLatin1(hint));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TRolesDialog::TRolesDialog(RolesEditor &editor, Clipboard &clipboard, bool rolesOn, QWidget *parent)
    : QDialog(parent), m_editor(editor), m_clipboard(clipboard), m_events(new QComboBox(this)),
      m_resources(new QListWidget(this)), m_roles(new QListWidget(this)),
      m_counter(new QLabel(this)),
      m_rolesOn(new QCheckBox(QStringLiteral("Show roles on reports and on screen"), this))
{
    setObjectName(QStringLiteral("TRolesDialog"));
    setWindowTitle(QStringLiteral("Manage roles"));
    m_events->setObjectName(QStringLiteral("eventChoice"));
    m_resources->setObjectName(QStringLiteral("resourceList"));
    m_roles->setObjectName(QStringLiteral("roleList"));
    m_counter->setObjectName(QStringLiteral("counter"));
    m_rolesOn->setChecked(rolesOn);
    m_roles->setContextMenuPolicy(Qt::CustomContextMenu);
    m_resources->setContextMenuPolicy(Qt::CustomContextMenu);

    auto *previous = button("&Previous event", "", "previousEvent", this);
    auto *next = button("&Next event", "", "nextEvent", this);
    m_addRole = button("&Add", "Add a new role to the list", "addRole", this);
    m_editRole = button("&Edit", "Edit role name", "editRole", this);
    m_removeRole = button("&Remove", "Remove role from the list", "removeRole", this);
    m_up = button("Move role &up", "", "roleUp", this);
    m_down = button("Move role &down", "", "roleDown", this);
    m_copy = button("&Copy", "Copy the list of roles to the Clipboard", "copyRoles", this);
    m_paste = button("Pa&ste", "Paste the list of roles from the Clipboard", "pasteRoles", this);
    m_assign = button("Add", "", "assignRole", this);
    m_unassign = button("Remove", "", "unassignRole", this);
    m_clear = button("Clear", "", "clearRoles", this);

    auto *eventRow = new QHBoxLayout;
    eventRow->addWidget(new QLabel(QStringLiteral("Select the event"), this));
    eventRow->addWidget(m_events, 1);
    eventRow->addWidget(previous);
    eventRow->addWidget(next);

    auto *resourceBox = new QGroupBox(QStringLiteral("Resources of the event"), this);
    auto *resourceLayout = new QVBoxLayout(resourceBox);
    resourceLayout->addWidget(m_resources);
    auto *resourceButtons = new QHBoxLayout;
    resourceButtons->addWidget(m_assign);
    resourceButtons->addWidget(m_unassign);
    resourceButtons->addWidget(m_clear);
    resourceLayout->addLayout(resourceButtons);

    auto *roleBox = new QGroupBox(QStringLiteral("Edit the list of roles"), this);
    auto *roleLayout = new QHBoxLayout(roleBox);
    roleLayout->addWidget(m_roles, 1);
    auto *roleButtons = new QVBoxLayout;
    for (QPushButton *b : {m_addRole, m_editRole, m_removeRole, m_up, m_down, m_copy, m_paste})
        roleButtons->addWidget(b);
    roleButtons->addStretch(1);
    roleLayout->addLayout(roleButtons);

    auto *lists = new QHBoxLayout;
    lists->addWidget(resourceBox, 1);
    lists->addWidget(roleBox, 1);

    auto *box = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::accept);
    addHelpButton(box, RolesHelpTopic);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(eventRow);
    layout->addLayout(lists, 1);
    layout->addWidget(m_counter);
    layout->addWidget(m_rolesOn);
    layout->addWidget(box);
    resize(720, 480);

    connect(m_events, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_filling || index < 0)
            return;
        m_editor.chooseEvent(m_editor.events()[static_cast<std::size_t>(index)]);
        redraw();
    });
    connect(previous, &QPushButton::clicked, this, [this] {
        m_editor.stepEvent(-1);
        redraw();
    });
    connect(next, &QPushButton::clicked, this, [this] {
        m_editor.stepEvent(1);
        redraw();
    });
    connect(m_roles, &QListWidget::currentRowChanged, this, [this](int rowAt) {
        if (m_filling)
            return;
        m_editor.selectRoleLine(rowAt + 1);
        redraw();
    });
    connect(m_resources, &QListWidget::currentRowChanged, this, [this](int rowAt) {
        if (m_filling)
            return;
        m_editor.selectResourceLine(rowAt + 1);
        redraw();
    });
    connect(m_roles, &QListWidget::itemClicked, this, [this] {
        if (!m_editor.rolesExist())
            run(&RolesEditor::startFirstRole);
    });
    connect(m_roles, &QListWidget::itemDoubleClicked, this, [this] { run(&RolesEditor::assign); });
    connect(m_resources, &QListWidget::itemDoubleClicked, this,
            [this] { run(&RolesEditor::unassign); });
    connect(m_addRole, &QPushButton::clicked, this, [this] { run(&RolesEditor::addRole); });
    connect(m_editRole, &QPushButton::clicked, this, [this] { run(&RolesEditor::editRole); });
    connect(m_removeRole, &QPushButton::clicked, this, [this] { run(&RolesEditor::removeRole); });
    connect(m_up, &QPushButton::clicked, this, [this] {
        m_editor.moveRole(-1);
        redraw();
    });
    connect(m_down, &QPushButton::clicked, this, [this] {
        m_editor.moveRole(1);
        redraw();
    });
    connect(m_assign, &QPushButton::clicked, this, [this] { run(&RolesEditor::assign); });
    connect(m_unassign, &QPushButton::clicked, this, [this] { run(&RolesEditor::unassign); });
    connect(m_clear, &QPushButton::clicked, this, [this] { run(&RolesEditor::clear); });
    connect(m_copy, &QPushButton::clicked, this,
            [this] { m_clipboard.setText(m_editor.copyText()); });
    connect(m_paste, &QPushButton::clicked, this, [this] {
        m_editor.paste(m_clipboard.text());
        redraw();
    });
    connect(m_roles, &QListWidget::customContextMenuRequested, this,
            &TRolesDialog::roleContextMenu);
    connect(m_resources, &QListWidget::customContextMenuRequested, this,
            &TRolesDialog::roleContextMenu);
    redraw();
}

bool TRolesDialog::rolesOn() const
{
    return m_rolesOn->isChecked();
}

void TRolesDialog::run(bool (RolesEditor::*command)())
{
    (m_editor.*command)();
    redraw();
}

void TRolesDialog::roleContextMenu(const QPoint &)
{
    QMenu menu(this);
    QAction *all = menu.addAction(toQString(m_editor.assignAllCaption()));
    all->setEnabled(m_editor.canAssign());
    QAction *none = menu.addAction(toQString(m_editor.unassignAllCaption()));
    none->setEnabled(m_editor.canUnassign());
    QAction *clear = menu.addAction(toQString(m_editor.clearAllCaption()));
    clear->setEnabled(m_editor.canClearAll());
    QAction *chosen = menu.exec(QCursor::pos());
    if (chosen == all)
        run(&RolesEditor::assignInAllEvents);
    else if (chosen == none)
        run(&RolesEditor::unassignInAllEvents);
    else if (chosen == clear)
        run(&RolesEditor::clearAll);
}

void TRolesDialog::redraw()
{
    m_filling = true;
    m_events->clear();
    int current = -1;
    for (std::size_t i = 0; i < m_editor.events().size(); ++i) {
        const CodeId e = m_editor.events()[i];
        m_events->addItem(toQString(m_editor.eventLine(e)));
        if (e == m_editor.event())
            current = static_cast<int>(i);
    }
    m_events->setCurrentIndex(current);

    m_resources->clear();
    for (const RoleResourceLine &line : m_editor.resourceLines()) {
        auto *item = new QListWidgetItem(toQString(line.text), m_resources);
        if (line.hasRole) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
            item->setForeground(palette().base());
            item->setBackground(palette().text());
        }
    }
    m_resources->setCurrentRow(m_editor.selectedResourceLine() - 1);

    m_roles->clear();
    int line = 1;
    for (const std::string &name : m_editor.roleLines()) {
        auto *item = new QListWidgetItem(toQString(name), m_roles);
        item->setToolTip(toQString(m_editor.roleHint(line++)));
    }
    m_roles->setCurrentRow(m_editor.selectedRoleLine() - 1);
    m_filling = false;

    m_counter->setText(toQString(m_editor.counter()));
    m_addRole->setEnabled(m_editor.canAddRole());
    m_editRole->setEnabled(m_editor.rolesExist());
    m_removeRole->setEnabled(m_editor.rolesExist());
    m_up->setEnabled(m_editor.canMoveRole(-1));
    m_down->setEnabled(m_editor.canMoveRole(1));
    m_assign->setEnabled(m_editor.canAssign());
    m_assign->setToolTip(toQString(m_editor.assignHint()));
    m_unassign->setEnabled(m_editor.canUnassign());
    m_unassign->setToolTip(toQString(m_editor.unassignHint()));
    m_clear->setEnabled(m_editor.canClear());
    m_clear->setToolTip(toQString(m_editor.clearHint()));
    m_copy->setEnabled(m_editor.rolesExist());
}

bool showRolesDialog(ScheduleData &d, Prompter &p, Clipboard &clipboard, CodeId event,
                     QWidget *parent)
{
    if (!rolesManageable(d)) {
        p.infoDlg(NoRolesToManage, 0, RolesHelpTopic);
        return false;
    }
    const bool before = d.modified;
    d.modified = false;
    RolesEditor editor(d, p, event);
    TRolesDialog dialog(editor, clipboard, d.rolesOn, parent);
    dialog.exec();
    editor.close(dialog.rolesOn());
    const bool changed = d.modified;
    d.modified = d.modified || before;
    return changed;
}

} // namespace quivra
