#include "shell/cyclingdialog.h"

#include "shell/commandtable.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"
#include "views/qtext.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

TCycleMapDlg::TCycleMapDlg(std::vector<CycleDay> lines, int cycles, QWidget *parent)
    : QDialog(parent), m_lines(std::move(lines)), m_cycles(cycles), m_list(new QListWidget(this)),
      m_remove(new QPushButton(QStringLiteral("&Remove"), this))
{
    setObjectName("TCycleMapDlg");
    setWindowTitle(QStringLiteral("Cycle table"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_remove->setToolTip(QStringLiteral("Skip the selected days (holidays and other special "
                                        "days)"));
    m_remove->setAutoDefault(false);

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->addButton(m_remove, QDialogButtonBox::ActionRole);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    addHelpButton(box, CyclingHelpTopic);
    connect(m_remove, &QPushButton::clicked, this, &TCycleMapDlg::removeSelected);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Map for the new timetables:\n(click Remove to skip special days)"), this));
    layout->addWidget(m_list);
    layout->addWidget(box);
    resize(420, 560);
    fill();
}

void TCycleMapDlg::fill()
{
    const int row = std::max(0, m_list->currentRow());
    m_list->clear();
    for (const std::string &text : cycleMapTexts(m_lines, m_cycles))
        m_list->addItem(toQString(text));
    if (m_list->count() > 0)
        m_list->setCurrentRow(std::min(row, m_list->count() - 1), QItemSelectionModel::NoUpdate);
    m_remove->setEnabled(m_list->count() > 0);
}

void TCycleMapDlg::removeSelected()
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty())
        return;
    removeCycleLines(m_lines, rows);
    fill();
}

void runCyclingTimetables(TFrameForm &frame)
{
    frame.showView(ViewTag::Weeks);
    const CycleMapEditor editor = [&frame](std::vector<CycleDay> &lines, int cycles) {
        TCycleMapDlg dialog(lines, cycles, &frame);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        lines = dialog.lines();
        return true;
    };
    if (cycleTimetables(frame.data(), frame.prompter(), editor))
        frame.refreshViews();
}

void bindCyclingCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Creates timetables using cycling timetables schema");
    row.run = [&frame] { runCyclingTimetables(frame); };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

} // namespace quivra
