#include "views/weeksview.h"

#include "views/viewcommands.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QVBoxLayout>

namespace quivra {

TEditForm::TEditForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent)
    : ViewForm(d, options, parent), m_model(new WeeksModel(d, options, this)),
      m_table(new QTableView(this))
{
    m_table->setObjectName("weeksGrid");
    m_table->setModel(m_model);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setDefaultSectionSize(48);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TEditForm::onCellChanged);
    refresh();
    installViewCommands(*this);
}

void TEditForm::refresh()
{
    const int column = std::max(0, m_table->currentIndex().column());
    m_model->reload();
    m_table->clearSpans();
    if (m_model->eventAt(0) == 0 && m_model->columnCount() > 1)
        m_table->setSpan(0, 0, 1, m_model->columnCount());
    // Week headers carry dates; the columns fit them (the header samples at most 1000 rows).
    m_table->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
    setWindowTitle(QStringLiteral("Weeks: %1").arg(m_model->weekCount()));
    followCurrentCode();
    if (!m_table->currentIndex().isValid() && m_model->eventAt(0) != 0) {
        m_selecting = true;
        m_table->setCurrentIndex(m_model->index(0, std::min(column, m_model->columnCount() - 1)));
        m_selecting = false;
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
            return;
        }
    }
}

void TEditForm::onCellChanged()
{
    if (m_selecting)
        return;
    const CodeId e = m_model->eventAt(m_table->currentIndex().row());
    if (e == 0 || e == m_d.currentCode)
        return;
    emit currentCodeChanged(e);
}

} // namespace quivra
