#include "views/codelistform.h"

#include "views/codelisttools.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
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
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
    refresh();
}

void CodeListForm::refresh()
{
    const CodeId keep = selectedCode();
    m_model->reload();
    m_table->clearSpans();
    if (m_model->codeCount() == 0 && m_model->columnCount() > 1)
        m_table->setSpan(0, 0, 1, m_model->columnCount());
    m_table->resizeColumnsToContents();
    const CodeId current = validCode(m_d, m_d.currentCode) ? m_d.currentCode : 0;
    selectCode(m_model->rowOf(current) >= 0 ? current : keep);
    m_tools->setCode(selectedCode());
    m_tools->refresh();
    // Keys of commands that were disabled before the data set was there work from now on
    // (once the commands are installed: the first refresh comes before them).
    if (contextMenu())
        updateViewCommands(*this);
    updateTitle();
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
    if (m_selecting)
        return;
    const CodeId c = selectedCode();
    if (c == 0 || c == m_d.currentCode)
        return;
    emit currentCodeChanged(c);
}

void CodeListForm::updateTitle()
{
    const bool events = m_model->kind() == CodeKind::Event;
    setWindowTitle(QStringLiteral("%1: %2")
                       .arg(events ? QStringLiteral("Events") : QStringLiteral("Resources"))
                       .arg(m_model->codeCount()));
}

} // namespace quivra
