#include "shell/codeinfodialog.h"

#include "shell/helpwindow.h"
#include "ui/helptopics.h"
#include "views/qtext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quivra {

CodeInfoDialog::CodeInfoDialog(const ScheduleData &d, CodeId code, bool editingAllowed,
                               QWidget *parent)
    : QDialog(parent), m_d(d), m_editingAllowed(editingAllowed), m_outline(new QTreeWidget(this)),
      m_ok(new QPushButton(this))
{
    setObjectName("infoDialog");
    m_outline->setObjectName("infoOutline");
    m_outline->setHeaderHidden(true);
    m_outline->setRootIsDecorated(true);

    auto *buttons = new QDialogButtonBox(this);
    auto *previous = buttons->addButton(QStringLiteral("&Previous"), QDialogButtonBox::ActionRole);
    previous->setToolTip(QStringLiteral("Previous code"));
    auto *next = buttons->addButton(QStringLiteral("&Next"), QDialogButtonBox::ActionRole);
    next->setToolTip(QStringLiteral("Next code"));
    m_ok->setObjectName("infoButton");
    m_ok->setDefault(true);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    addHelpButton(buttons, HelpTopic::InfoWindow);
    for (QPushButton *b : {previous, next})
        b->setAutoDefault(false);
    connect(previous, &QPushButton::clicked, this,
            [this] { showCode(codeInfoNeighbour(m_d, m_code, -1)); });
    connect(next, &QPushButton::clicked, this,
            [this] { showCode(codeInfoNeighbour(m_d, m_code, +1)); });
    // "Close" leaves as Escape does; only "Edit?" is an answer to act on.
    connect(m_ok, &QPushButton::clicked, this, [this] { m_canEdit ? accept() : reject(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_outline);
    layout->addWidget(buttons);
    resize(480, 420);
    showCode(code);
}

void CodeInfoDialog::showCode(CodeId code)
{
    const CodeInfo info = codeInfo(m_d, code, m_editingAllowed);
    m_code = code;
    m_canEdit = info.canEdit;
    setWindowTitle(toQString(info.caption));
    m_ok->setText(toQString(info.button));
    m_ok->setToolTip(toQString(info.hint));
    m_outline->clear();
    QTreeWidgetItem *branch = nullptr;
    for (const std::string &line : info.lines) {
        if (line.starts_with("  ") && branch) {
            new QTreeWidgetItem(branch, {toQString(line.substr(2))});
        } else {
            branch = new QTreeWidgetItem(m_outline, {toQString(line)});
        }
    }
    m_outline->expandAll();
}

} // namespace quivra
