#include "views/codelistform.h"

#include "commands/codelistcommands.h"
#include "views/codelisttools.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace quivra {

CodeListForm::CodeListForm(const ScheduleData &d, const ViewOptions &options, CodeKind kind,
                           QWidget *parent)
    : ViewForm(d, options, parent), m_model(new CodeListModel(d, options, kind, this)),
      m_table(new QTableView(this)), m_tools(new CodeListTools(d, *m_model, m_table, this))
{
    m_table->setModel(m_model);
    m_table->setObjectName(kind == CodeKind::Event ? "eventList" : "resourceList");
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    // Enter and F2 open the code's dialog; a click on the selected cell edits it in place.
    m_table->setEditTriggers(QAbstractItemView::SelectedClicked);
    m_model->setFieldEditor([this](CodeId c, ListField field, const std::string &text) {
        return editField(c, field, text);
    });
    m_table->horizontalHeader()->setSectionsClickable(true);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CodeListForm::sortByHeader);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);
    // Beside the list, not under it; the panel hides itself while it shows nothing.
    layout->setDirection(QBoxLayout::LeftToRight);
    layout->addWidget(m_tools);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CodeListForm::onRowChanged);
    // A double-click on a row shows (or hides) its links; on a line of the link list it changes
    // that event's resource.
    const QString prefix = kind == CodeKind::Event ? "events." : "resources.";
    const auto runRow = [this](const QString &id) {
        updateViewCommands(*this);
        if (auto *action = findChild<QAction *>(id); action && action->isEnabled())
            action->trigger();
    };
    connect(m_table, &QTableView::doubleClicked, this,
            [runRow, prefix] { runRow(prefix + "links"); });
    connect(m_tools->linkList(), &QListWidget::itemDoubleClicked, this,
            [runRow, prefix] { runRow(prefix + "changeResource"); });
    refresh();
}

void CodeListForm::refresh()
{
    const CodeId keep = selectedCode();
    m_model->reload();
    if (!m_options.listFont.family.empty() && m_options.listFont.pointSize > 0)
        m_table->setFont(
            QFont(QString::fromStdString(m_options.listFont.family), m_options.listFont.pointSize));
    m_table->clearSpans();
    if (m_model->codeCount() == 0 && m_model->columnCount() > 1)
        m_table->setSpan(0, 0, 1, m_model->columnCount());
    m_table->resizeColumnsToContents();
    const CodeId current = validCode(m_d, m_d.currentCode) ? m_d.currentCode : 0;
    selectCode(m_model->rowOf(current) >= 0 ? current : keep);
    m_tools->setCode(selectedCode());
    m_tools->refresh();
    updateTitle();
    // Keys of commands that were disabled before the data set was there work from now on
    // (once the commands are installed: the first refresh comes before them).
    if (contextMenu())
        updateViewCommands(*this);
}

void CodeListForm::followCurrentCode()
{
    if (m_model->rowOf(m_d.currentCode) >= 0)
        selectCode(m_d.currentCode);
}

CodeId CodeListForm::selectedCode() const
{
    return m_model->codeAt(m_table->currentIndex().row());
}

void CodeListForm::selectCode(CodeId c)
{
    int row = m_model->rowOf(c);
    if (row < 0)
        row = 0;
    if (m_model->codeCount() == 0)
        return;
    m_selecting = true;
    m_table->setCurrentIndex(m_model->index(row, 0));
    m_table->scrollTo(m_model->index(row, 0));
    m_selecting = false;
}

void CodeListForm::onRowChanged()
{
    m_tools->setCode(selectedCode());
    // What the commands may do depends on the selected code.
    if (contextMenu())
        updateViewCommands(*this);
    if (m_selecting)
        return;
    const CodeId c = selectedCode();
    if (c == 0 || c == m_d.currentCode)
        return;
    emit currentCodeChanged(c);
}

void CodeListForm::sortByHeader(int section)
{
    ViewHost *h = host();
    if (!h || m_model->codeCount() == 0 || section < 0 || section >= m_model->columnCount())
        return;
    const Settings::Preferences &prefs = h->settings().preferences;
    const bool sorted = sortListByField(h->data(), h->prompter(), kind(), m_model->fieldAt(section),
                                        prefs.lockSort, prefs.categorySort[0], m_sortDirections);
    if (sorted)
        h->dataChanged();
}

bool CodeListForm::editField(CodeId c, ListField field, const std::string &text)
{
    ViewHost *h = host();
    if (!h || !setListField(h->data(), h->prompter(), c, field, text))
        return false;
    // The views are rebuilt once the editor has let go of the cell.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (ViewHost *later = host())
                later->dataChanged();
        },
        Qt::QueuedConnection);
    return true;
}

void CodeListForm::updateTitle()
{
    const bool events = m_model->kind() == CodeKind::Event;
    setWindowTitle(QStringLiteral("%1: %2")
                       .arg(events ? QStringLiteral("Events") : QStringLiteral("Resources"))
                       .arg(m_model->codeCount()));
}

} // namespace quivra
