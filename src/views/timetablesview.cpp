#include "views/timetablesview.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "views/qtext.h"
#include "views/viewcommands.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

TMatsForm::TMatsForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent)
    : ViewForm(d, options, parent), m_model(new TimetableModel(d, options, this)),
      m_resources(new QComboBox(this)), m_status(new QLabel(this)), m_table(new QTableView(this))
{
    m_resources->setObjectName("timetableChoice");
    m_resources->setToolTip(QStringLiteral("Select the timetable"));
    m_resources->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_table->setObjectName("masterTimetable");
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    auto *top = new QHBoxLayout;
    top->addWidget(m_resources);
    top->addWidget(m_status, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_table);
    connect(m_resources, &QComboBox::currentIndexChanged, this, &TMatsForm::onResourceChosen);
    refresh();
    installViewCommands(*this);
}

int TMatsForm::timetableIndex() const
{
    const auto at = std::find(m_timetables.begin(), m_timetables.end(), m_model->code());
    return at == m_timetables.end() ? -1 : static_cast<int>(at - m_timetables.begin());
}

void TMatsForm::chooseTimetable(int index)
{
    if (m_timetables.empty())
        return;
    // The combo box tells onResourceChosen, which shows it and passes the code on.
    m_resources->setCurrentIndex(std::clamp(index, 0, timetableCount() - 1));
}

void TMatsForm::refresh()
{
    CodeId keep = m_model->code();
    if (isResourceCode(m_d, m_d.currentCode) &&
        !(m_d.codes[m_d.currentCode].flags & NoTimetableBit))
        keep = m_d.currentCode;

    // Only resources whose category takes part in conflict checking have a timetable.
    m_timetables.clear();
    const int count = std::min<int>(m_d.resourceList[0], MaxCodes);
    for (int i = 1; i <= count; ++i) {
        const CodeId r = m_d.resourceList[i];
        if (validCode(m_d, r) && !(m_d.codes[r].flags & NoTimetableBit))
            m_timetables.push_back(r);
    }
    m_filling = true;
    m_resources->clear();
    for (const CodeId r : m_timetables)
        m_resources->addItem(toQString(formatCode(m_d, r, ShowCodeAndName)));
    m_filling = false;
    setWindowTitle(QStringLiteral("Timetables: %1").arg(m_timetables.size()));

    if (std::find(m_timetables.begin(), m_timetables.end(), keep) == m_timetables.end())
        keep = m_timetables.empty() ? 0 : m_timetables.front();
    showResource(keep);
}

void TMatsForm::followCurrentCode()
{
    if (std::find(m_timetables.begin(), m_timetables.end(), m_d.currentCode) != m_timetables.end())
        showResource(m_d.currentCode);
}

void TMatsForm::showResource(CodeId r)
{
    const auto at = std::find(m_timetables.begin(), m_timetables.end(), r);
    m_filling = true;
    m_resources->setCurrentIndex(
        at == m_timetables.end() ? -1 : static_cast<int>(at - m_timetables.begin()));
    m_filling = false;
    m_model->setCode(at == m_timetables.end() ? 0 : r);
    updateStatus();
}

void TMatsForm::onResourceChosen(int index)
{
    if (m_filling || index < 0 || index >= static_cast<int>(m_timetables.size()))
        return;
    const CodeId r = m_timetables[index];
    m_model->setCode(r);
    updateStatus();
    if (r != m_d.currentCode)
        emit currentCodeChanged(r);
}

void TMatsForm::updateStatus()
{
    if (m_timetables.empty()) {
        m_status->setText(QStringLiteral("No timetables in this week"));
        return;
    }
    const int week = m_options.activeWeek;
    m_status->setText(toQString("Week " + formatWeek(m_d, week, 3) + ": " +
                                std::to_string(m_model->placedCells()) + " periods scheduled"));
}

} // namespace quivra
