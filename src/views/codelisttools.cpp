#include "views/codelisttools.h"

#include "engine/codetable.h"
#include "views/codelistmodel.h"
#include "views/qtext.h"
#include "views/weeklyperiodsmodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quivra {

CodeListTools::CodeListTools(const ScheduleData &d, const CodeListModel &model, QTableView *list,
                             QWidget *parent)
    : QWidget(parent), m_d(d), m_model(model), m_list(list), m_side(new QWidget(this)),
      m_linkList(new QListWidget(m_side)), m_snapshotPanel(new QWidget(m_side)),
      m_snapshotTable(new QTableWidget(m_snapshotPanel)),
      m_previous(new QPushButton(QStringLiteral("Previous week"), m_snapshotPanel)),
      m_next(new QPushButton(QStringLiteral("Next week"), m_snapshotPanel)),
      m_weekLabel(new QLabel(m_snapshotPanel)), m_weeklyGrid(new QTableView(this)),
      m_weeklyModel(new WeeklyPeriodsModel(d, model, this))
{
    m_linkList->setObjectName(QStringLiteral("linkList"));
    m_snapshotTable->setObjectName(QStringLiteral("snapshot"));
    m_previous->setObjectName(QStringLiteral("previousWeek"));
    m_next->setObjectName(QStringLiteral("nextWeek"));
    m_weekLabel->setObjectName(QStringLiteral("snapshotWeek"));
    m_weeklyGrid->setObjectName(QStringLiteral("weeklyPeriods"));

    m_weeklyGrid->setModel(m_weeklyModel);
    m_weeklyGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_weeklyGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_weeklyGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_weeklyGrid->verticalHeader()->hide();
    m_snapshotTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_snapshotTable->setSelectionMode(QAbstractItemView::NoSelection);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    auto *snapshotLayout = new QVBoxLayout(m_snapshotPanel);
    snapshotLayout->setContentsMargins(0, 0, 0, 0);
    snapshotLayout->addWidget(m_snapshotTable);
    snapshotLayout->addLayout(buttons);
    snapshotLayout->addWidget(m_weekLabel);
    auto *sideLayout = new QVBoxLayout(m_side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_linkList, 1);
    sideLayout->addWidget(m_snapshotPanel);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_weeklyGrid, 1);
    layout->addWidget(m_side);

    connect(m_previous, &QPushButton::clicked, this, [this] { setSnapshotWeek(m_week - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { setSnapshotWeek(m_week + 1); });
    connect(m_linkList, &QListWidget::currentRowChanged, this, [this](int row) {
        const QListWidgetItem *item = row >= 0 ? m_linkList->item(row) : nullptr;
        const CodeId c = item ? static_cast<CodeId>(item->data(Qt::UserRole).toUInt()) : 0;
        if (c == m_chosen)
            return;
        m_chosen = c;
        fillSnapshot();
    });
    // A click on a week column makes that week the snapshot's.
    connect(m_weeklyGrid, &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (index.column() > 0)
            setSnapshotWeek(index.column());
    });
    // The grid stands in for the list: a row chosen in it is the list's row, and so the view's
    // current code. Its rows are the list's rows.
    connect(m_weeklyGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_list || !current.isValid() || current.row() == m_list->currentIndex().row())
                    return;
                m_list->setCurrentIndex(m_list->model()->index(current.row(), 0));
            });
    updateVisibility();
}

void CodeListTools::setCode(CodeId c)
{
    if (c == m_code)
        return;
    m_code = c;
    followInWeeklyGrid();
    m_chosen = 0;
    fillLinks();
    fillSnapshot();
}

void CodeListTools::followInWeeklyGrid()
{
    const int row = m_model.rowOf(m_code);
    if (!m_weekly || row < 0 || row >= m_weeklyModel->rowCount() ||
        m_weeklyGrid->currentIndex().row() == row)
        return;
    const QModelIndex at = m_weeklyModel->index(row, 0);
    m_weeklyGrid->setCurrentIndex(at);
    m_weeklyGrid->scrollTo(at);
}

void CodeListTools::refresh()
{
    if (!validCode(m_d, m_code))
        m_code = 0;
    m_week = stepSnapshotWeek(m_d, m_week, 0);
    fillLinks();
    fillSnapshot();
    if (m_weekly) {
        m_weeklyModel->reload(m_switches, m_week);
        followInWeeklyGrid();
    }
}

void CodeListTools::showLinks(bool on)
{
    m_links = on;
    fillLinks();
    updateVisibility();
}

void CodeListTools::showSnapshot(bool on)
{
    m_snapshot = on;
    fillSnapshot();
    updateVisibility();
}

void CodeListTools::showWeekly(bool on)
{
    m_weekly = on;
    if (on) {
        m_weeklyModel->reload(m_switches, m_week);
        m_weeklyGrid->resizeColumnsToContents();
        followInWeeklyGrid();
    }
    updateVisibility();
}

void CodeListTools::setSwitches(WeeklyPeriodsSwitches switches)
{
    m_switches = switches;
    if (m_weekly)
        m_weeklyModel->reload(m_switches, m_week);
}

void CodeListTools::setSnapshotWeek(int week)
{
    const int held = stepSnapshotWeek(m_d, week, 0);
    if (held == m_week)
        return;
    m_week = held;
    fillSnapshot();
    if (m_weekly)
        m_weeklyModel->reload(m_switches, m_week);
}

void CodeListTools::fillLinks()
{
    const QSignalBlocker block(m_linkList);
    m_linkList->clear();
    if (!m_links)
        return;
    const std::vector<CodeId> lines = linkListLines(m_d, m_code);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto *item = new QListWidgetItem(toQString(formatCode(m_d, lines[i], ShowCodeAndName)));
        item->setData(Qt::UserRole, static_cast<uint>(lines[i]));
        if (i > 0 && !isEventCode(m_d, m_code))
            item->setToolTip(toQString(linkLineHint(m_d, m_code, lines[i])));
        m_linkList->addItem(item);
    }
    if (!lines.empty() && lines.front() == m_code) {
        QFont bold = m_linkList->font();
        bold.setBold(true);
        m_linkList->item(0)->setFont(bold);
    }
    // Back to the line chosen before, when it is still there.
    for (int row = 0; row < m_linkList->count(); ++row)
        if (m_chosen != 0 && m_linkList->item(row)->data(Qt::UserRole).toUInt() == m_chosen)
            m_linkList->setCurrentRow(row);
}

void CodeListTools::fillSnapshot()
{
    if (!m_snapshot)
        return;
    const CodeId shown = m_chosen != 0 ? m_chosen : m_code;
    const SnapshotTable s = snapshotTable(m_d, shown, m_week);
    m_snapshotTable->clear();
    m_snapshotTable->setRowCount(s.bells);
    m_snapshotTable->setColumnCount(s.days);
    for (int day = 1; day <= s.days; ++day)
        m_snapshotTable->setHorizontalHeaderItem(day - 1,
                                                 new QTableWidgetItem(QString::number(day)));
    for (int bell = 1; bell <= s.bells; ++bell) {
        m_snapshotTable->setVerticalHeaderItem(bell - 1,
                                               new QTableWidgetItem(QString::number(bell)));
        for (int day = 1; day <= s.days; ++day) {
            if (s.text(day, bell).empty())
                continue;
            auto *item = new QTableWidgetItem(toQString(s.text(day, bell)));
            if (const CodeId e = s.event(day, bell))
                item->setToolTip(toQString(formatCode(m_d, e, ShowCodeAndName)));
            m_snapshotTable->setItem(bell - 1, day - 1, item);
        }
    }
    m_snapshotTable->resizeColumnsToContents();
    m_weekLabel->setText(toQString(s.label));
    m_previous->setEnabled(m_week > 1);
    m_next->setEnabled(m_week < stepSnapshotWeek(m_d, m_week, 1));
}

void CodeListTools::updateVisibility()
{
    m_linkList->setVisible(m_links);
    m_snapshotPanel->setVisible(m_snapshot);
    m_side->setVisible(m_links || m_snapshot);
    m_weeklyGrid->setVisible(m_weekly);
    if (m_list)
        m_list->setVisible(!m_weekly);
    setVisible(m_weekly || m_links || m_snapshot);
    setSizePolicy(m_weekly ? QSizePolicy::Expanding : QSizePolicy::Maximum, QSizePolicy::Expanding);
}

} // namespace quivra
