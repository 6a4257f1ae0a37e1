#include "shell/optionsdialog.h"

#include "commands/session.h"
#include "engine/codetable.h"
#include "engine/lectures.h"
#include "engine/textutil.h"
#include "shell/qtports.h"
#include "shell/mainframe.h"
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

namespace {

constexpr std::size_t ResourceMasks = 1; // entry of the category masks that holds resources

constexpr const char *ConflictQuestion =
    "Your changes in \"Options|Timetables\" may cause conflicts. Do you like to check and "
    "remove them now?";
constexpr const char *ConflictsLeft =
    "Some conflicts may exist in your data. To remove them, run \"Tools|Remove conflicts\".";
constexpr int OptionsConflictSource = 2; // counter of a declined check after this page

bool bitSet(std::uint8_t mask, int k)
{
    return (mask >> k) & 1u;
}

std::uint8_t withBit(std::uint8_t mask, int k, bool on)
{
    const auto bit = static_cast<std::uint8_t>(1u << k);
    return static_cast<std::uint8_t>(on ? mask | bit : mask & ~bit);
}

// Resource categories 1..7 that have at least one resource.
std::array<bool, MaxCategories + 1> populatedCategories(const ScheduleData &d)
{
    std::array<bool, MaxCategories + 1> has{};
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent())
            continue;
        const int k = categoryOf(d, c);
        if (k >= 1 && k <= MaxCategories)
            has[static_cast<std::size_t>(k)] = true;
    }
    return has;
}

// A conflict-source counter: the high half counts the occasions (held below the sign bit), the
// low half carries the day of the latest.
void noteConflictSource(ScheduleData &d, int k, std::int32_t today)
{
    auto &counter = d.header.conflictSourceCounters[static_cast<std::size_t>(k)];
    const std::uint32_t occasions =
        std::min<std::uint32_t>((static_cast<std::uint32_t>(counter) >> 16) + 1, 0x7fff);
    counter =
        static_cast<std::int32_t>((occasions << 16) | (static_cast<std::uint32_t>(today) & 0xffff));
}

} // namespace

OptionsValues readOptions(const ScheduleData &d, const Settings &s)
{
    OptionsValues v;
    const std::uint8_t noTimetable = d.noTimetableMasks[ResourceMasks];
    const std::uint8_t noGaps = d.noGapsMasks[ResourceMasks];
    for (int k = 1; k <= MaxCategories; ++k) {
        v.preventConflicts[static_cast<std::size_t>(k)] = !bitSet(noTimetable, k);
        v.countGaps[static_cast<std::size_t>(k)] = !bitSet(noTimetable, k) && !bitSet(noGaps, k);
    }
    const auto &p = s.preferences;
    v.blockLength = std::clamp(p.blockSize, 1, MaxBells);
    v.eventBookingKind = std::clamp<int>(d.header.defaultEventBookingKind, 1, 3);
    v.resourceBookingKind = std::clamp<int>(d.header.defaultResourceBookingKind, 1, 3);
    v.bookingsOccupied = d.header.bookingsCountAsOccupied != 0;
    v.showMode = std::clamp(p.showMode, 1, 3);
    v.codeMode = std::clamp(p.codeMode, 1, 3);
    v.useColors = p.useColors;
    v.useCodeColors = p.useCodeColors;
    v.showInfo = p.showInfo;
    return v;
}

OptionsApplied applyOptions(ScheduleData &d, Settings &s, const OptionsValues &v)
{
    OptionsApplied out;
    const auto populated = populatedCategories(d);
    std::uint8_t noTimetable = d.noTimetableMasks[ResourceMasks];
    std::uint8_t noGaps = d.noGapsMasks[ResourceMasks];
    for (int k = 1; k <= MaxCategories; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const bool wasOff = bitSet(noTimetable, k);
        noTimetable = withBit(noTimetable, k, !v.preventConflicts[i]);
        // Gaps of a timetable that is not kept mean nothing, so they are not counted either.
        noGaps = withBit(noGaps, k, !v.preventConflicts[i] || !v.countGaps[i]);
        if (wasOff && v.preventConflicts[i] && populated[i])
            out.conflictsPossible = true;
    }
    out.masksChanged =
        noTimetable != d.noTimetableMasks[ResourceMasks] || noGaps != d.noGapsMasks[ResourceMasks];
    bool changed = out.masksChanged;
    d.noTimetableMasks[ResourceMasks] = noTimetable;
    d.noGapsMasks[ResourceMasks] = noGaps;
    if (out.masksChanged)
        recount(d); // carries the category bits into every resource's NoTimetable flag

    const auto eventKind = static_cast<std::uint16_t>(std::clamp(v.eventBookingKind, 1, 3));
    const auto resourceKind = static_cast<std::uint16_t>(std::clamp(v.resourceBookingKind, 1, 3));
    const std::uint16_t occupied = v.bookingsOccupied ? 1 : 0;
    FileHeaderState &h = d.header;
    changed = changed || h.defaultEventBookingKind != eventKind ||
              h.defaultResourceBookingKind != resourceKind ||
              (h.bookingsCountAsOccupied != 0) != v.bookingsOccupied;
    h.defaultEventBookingKind = eventKind;
    h.defaultResourceBookingKind = resourceKind;
    if ((h.bookingsCountAsOccupied != 0) != v.bookingsOccupied)
        h.bookingsCountAsOccupied = occupied;
    if (changed)
        d.modified = true;

    auto &p = s.preferences;
    p.blockSize = std::clamp(v.blockLength, 1, MaxBells);
    p.showMode = std::clamp(v.showMode, 1, 3);
    p.codeMode = std::clamp(v.codeMode, 1, 3);
    p.useColors = v.useColors;
    p.useCodeColors = v.useCodeColors;
    p.showInfo = v.showInfo;
    return out;
}

ConflictReport settleConflicts(ScheduleData &d, Prompter &prompter, SweepDialogue &sweep,
                               std::int32_t today)
{
    if (!prompter.yesNoDlg(ConflictQuestion)) {
        prompter.infoDlg(ConflictsLeft);
        noteConflictSource(d, OptionsConflictSource, today);
        d.modified = true;
        return {};
    }
    // From week 1, removing, without the sweep's own question.
    const ConflictReport report = conflictSweep(d, 1 + 256, sweep);
    if (report.found > 0 || report.manualRoomOverlaps > 0)
        d.modified = true;
    return report;
}

// ---- PromptedSweep ---------------------------------------------------------------------------

SweepDialogue::Handling PromptedSweep::askHandling()
{
    const int choice = m_prompter.choice("\nHow would you like to handle possible conflicts?", 0, 1,
                                         "Count and remove them$Only count$");
    return choice == 1 ? Handling::Remove : choice == 2 ? Handling::CountOnly : Handling::Cancel;
}

bool PromptedSweep::offerLines(bool removing)
{
    std::string question = "Do you want to copy possible conflicts to the Clipboard?";
    if (removing)
        question += "\n(Conflicts are automatically removed.)";
    return m_clipboard != nullptr && m_prompter.yesNoDlg(question);
}

void PromptedSweep::progress(int done, int total, int fromWeek, int toWeek, int found, int removed)
{
    if (!m_began) {
        m_began = true;
        m_progress.begin("Checking for conflicts", total);
    }
    m_progress.status("Checking for conflicts in weeks " + std::to_string(fromWeek) + "-" +
                      std::to_string(toWeek) + " - " + std::to_string(found) + " found, " +
                      std::to_string(removed) + " removed.");
    m_progress.step(done);
}

void PromptedSweep::finish()
{
    if (m_began)
        m_progress.end();
    m_began = false;
}

bool PromptedSweep::stopRequested()
{
    return m_progress.stopRequested();
}

void PromptedSweep::deliverLines(const std::string &lines)
{
    if (m_clipboard)
        m_clipboard->setText(lines);
}

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
        PromptedSweep sweep(frame.prompter(), frame.progress(), &clipboard);
        const ConflictReport report =
            settleConflicts(d, frame.prompter(), sweep, session->clock.today());
        sweep.finish();
        if (report.found > 0 || report.manualRoomOverlaps > 0)
            frame.progress().status("Conflicts: " + sweepStatusText(report));
    }
    frame.setShowMode(settings.preferences.showMode); // also rebuilds the views
}

} // namespace quivra
