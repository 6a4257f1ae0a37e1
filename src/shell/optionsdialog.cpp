#include "shell/optionsdialog.h"

#include "commands/session.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/textutil.h"
#include "shell/mainframe.h"
#include "shell/qtports.h"
#include "ui/ports.h"
#include "ui/prompter.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {

// ---- The widgets -----------------------------------------------------------------------------

OptionsDialog::OptionsDialog(const ScheduleData &d, const OptionsValues &initial, QWidget *parent)
    : QDialog(parent), m_initial(initial)
{
    setWindowTitle(tr("Options"));
    auto *tabs = new QTabWidget(this);

    // Timetables.
    auto *timetables = new QWidget;
    auto *tLayout = new QVBoxLayout(timetables);
    auto *block = new QFormLayout;
    m_blockLength = new QSpinBox;
    m_blockLength->setRange(1, MaxBells);
    m_blockLength->setValue(std::clamp(initial.blockLength, 1, MaxBells));
    block->addRow(tr("Default block length:"), m_blockLength);
    tLayout->addLayout(block);
    auto *prevent = new QGroupBox(tr("Prevent conflicts for "));
    prevent->setToolTip(tr("Which resources are not allowed to conflict?"));
    auto *gaps = new QGroupBox(tr("Count gaps for (Timetables view) "));
    auto *pLayout = new QVBoxLayout(prevent);
    auto *gLayout = new QVBoxLayout(gaps);
    for (int k = 1; k <= MaxCategories; ++k) {
        const std::string item = listItem(d.resourceCategories.view(), k);
        if (trim(item).empty())
            continue;
        const auto colon = item.find(':');
        const QString name = toQString(colon == std::string::npos ? item : item.substr(colon + 1));
        const auto i = static_cast<std::size_t>(k);
        m_prevent[i] = new QCheckBox(name);
        m_prevent[i]->setChecked(initial.preventConflicts[i]);
        m_gaps[i] = new QCheckBox(name);
        m_gaps[i]->setChecked(initial.countGaps[i] && initial.preventConflicts[i]);
        m_gaps[i]->setEnabled(initial.preventConflicts[i]);
        connect(m_prevent[i], &QCheckBox::toggled, this, [this, k] { followPrevent(k); });
        pLayout->addWidget(m_prevent[i]);
        gLayout->addWidget(m_gaps[i]);
    }
    auto *masks = new QHBoxLayout;
    masks->addWidget(prevent);
    masks->addWidget(gaps);
    tLayout->addLayout(masks);
    tLayout->addStretch();
    tabs->addTab(timetables, tr("Timetables"));

    // Bookings.
    auto *bookings = new QWidget;
    auto *bLayout = new QFormLayout(bookings);
    m_eventKind = new QComboBox;
    m_resourceKind = new QComboBox;
    for (int kind = 1; kind <= 3; ++kind) {
        QString name = toQString(trim(listItem(d.bookingKinds.view(), kind)));
        if (name.isEmpty())
            name = QString::number(kind);
        m_eventKind->addItem(name, kind);
        m_resourceKind->addItem(name, kind);
    }
    m_eventKind->setCurrentIndex(std::clamp(initial.eventBookingKind, 1, 3) - 1);
    m_resourceKind->setCurrentIndex(std::clamp(initial.resourceBookingKind, 1, 3) - 1);
    bLayout->addRow(tr("Default booking type of events:"), m_eventKind);
    bLayout->addRow(tr("Default booking type of resources:"), m_resourceKind);
    m_occupied = new QCheckBox(tr("Bookings count as occupied cells"));
    m_occupied->setChecked(initial.bookingsOccupied);
    bLayout->addRow(m_occupied);
    tabs->addTab(bookings, tr("Bookings"));

    // Display.
    auto *display = new QWidget;
    auto *dLayout = new QFormLayout(display);
    m_showMode = new QComboBox;
    m_showMode->addItems({tr("Codes [Code]"), tr("Names [Name]"), tr("Both [Code:Name]")});
    m_showMode->setCurrentIndex(std::clamp(initial.showMode, 1, 3) - 1);
    dLayout->addRow(tr("Default show mode:"), m_showMode);
    m_codeMode = new QComboBox;
    m_codeMode->addItems({tr("Codes"), tr("Names"), tr("Codes and names")});
    m_codeMode->setCurrentIndex(std::clamp(initial.codeMode, 1, 3) - 1);
    dLayout->addRow(tr("Timetable cells show:"), m_codeMode);
    m_useColors = new QCheckBox(tr("Use colours in the views"));
    m_useColors->setChecked(initial.useColors);
    m_codeColors = new QCheckBox(tr("Draw codes in their own colours"));
    m_codeColors->setChecked(initial.useCodeColors);
    m_showInfo = new QCheckBox(tr("Show code information"));
    m_showInfo->setChecked(initial.showInfo);
    dLayout->addRow(m_useColors);
    dLayout->addRow(m_codeColors);
    dLayout->addRow(m_showInfo);
    tabs->addTab(display, tr("Display"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Accept"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

void OptionsDialog::followPrevent(int k)
{
    const auto i = static_cast<std::size_t>(k);
    const bool on = m_prevent[i]->isChecked();
    m_gaps[i]->setEnabled(on);
    if (!on)
        m_gaps[i]->setChecked(false);
}

OptionsValues OptionsDialog::values() const
{
    OptionsValues v = m_initial; // categories without a box keep their bits
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!m_prevent[i])
            continue;
        v.preventConflicts[i] = m_prevent[i]->isChecked();
        v.countGaps[i] = v.preventConflicts[i] && m_gaps[i]->isChecked();
    }
    v.blockLength = m_blockLength->value();
    v.eventBookingKind = m_eventKind->currentData().toInt();
    v.resourceBookingKind = m_resourceKind->currentData().toInt();
    v.bookingsOccupied = m_occupied->isChecked();
    v.showMode = m_showMode->currentIndex() + 1;
    v.codeMode = m_codeMode->currentIndex() + 1;
    v.useColors = m_useColors->isChecked();
    v.useCodeColors = m_codeColors->isChecked();
    v.showInfo = m_showInfo->isChecked();
    return v;
}

void showOptionsDialog(TFrameForm &frame)
{
    Session *session = &frame.session();
    ScheduleData &d = session->data;
    Settings &settings = session->settings;
    OptionsDialog dialog(d, readOptions(d, settings), &frame);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OptionsApplied applied = applyOptions(d, settings, dialog.values());
    if (applied.conflictsPossible) {
        QtClipboard clipboard;
        PromptedSweep sweep(frame.prompter(), &clipboard);
        const ConflictReport report =
            settleConflicts(d, frame.prompter(), sweep, frame.progress(), session->clock.today());
        if (report.found > 0 || report.manualRoomOverlaps > 0)
            frame.progress().status("Conflicts: " + sweepStatusText(report));
    }
    frame.setShowMode(settings.preferences.showMode); // also rebuilds the views
}

} // namespace quivra
