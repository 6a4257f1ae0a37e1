#include "shell/blockschedulingdialog.h"

#include "engine/calendar.h"
#include "engine/textutil.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"
#include "shell/qtports.h"
#include "views/qtext.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quivra {
namespace {

// The colour a symbol is drawn in: a fixed palette, one colour per symbol.
QColor symbolColour(char symbol)
{
    const auto at = BlockSymbols.find(symbol);
    if (at == std::string_view::npos)
        return {};
    return QColor::fromHsv(static_cast<int>(at * 47 % 360), 90, 245);
}

} // namespace

TSlotDlg::TSlotDlg(BlockSchedulingEditor &editor, Prompter &prompter, Clipboard &clipboard,
                   Random &random, QWidget *parent)
    : QDialog(parent), m_editor(editor), m_prompter(prompter), m_clipboard(clipboard),
      m_random(random), m_weeks(new QListWidget(this)), m_symbols(new QListWidget(this)),
      m_grid(new QTableWidget(this)), m_status(new QLabel(this)),
      m_apply(new QCheckBox(QStringLiteral("Apply block scheduling "), this)),
      m_fromFile(new QPushButton(QStringLiteral("From file"), this))
{
    setObjectName("TSlotDlg");
    setWindowTitle(QStringLiteral("Block scheduling"));
    m_weeks->setObjectName("weekList");
    m_symbols->setObjectName("symbolList");
    m_grid->setObjectName("blockGrid");
    m_status->setObjectName("blockStatus");
    m_apply->setObjectName("applyBlocks");
    m_apply->setChecked(editor.applyBlocks());
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->installEventFilter(this);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_symbols->setMaximumWidth(60);
    m_weeks->setMaximumWidth(180);

    m_symbols->addItem(QStringLiteral("-"));
    for (const char c : BlockSymbols) {
        auto *item = new QListWidgetItem(QString(QChar(c)), m_symbols);
        item->setBackground(symbolColour(c));
    }

    auto *buttons = new QVBoxLayout;
    const auto button = [&](const QString &caption, const QString &hint, auto slot) {
        auto *b =
            caption == QStringLiteral("From file") ? m_fromFile : new QPushButton(caption, this);
        b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button(QStringLiteral("Clear"), QStringLiteral("Clear the blocks from this week"), [this] {
        m_editor.clear();
        refresh();
    });
    button(QStringLiteral("Copy"), QStringLiteral("Copy block table in memory"), [this] {
        m_clipboard.setText(copyPattern(m_editor.data(), m_editor.patterns(), m_editor.week()));
    });
    button(QStringLiteral("Paste"), QStringLiteral("Copy block table from memory"), [this] {
        pastePattern(m_editor.data(), m_editor.patterns(), m_editor.week(), m_clipboard.text());
        refresh();
    });
    button(QStringLiteral("Random"), QStringLiteral("Create blocks randomly for this week"),
           [this] {
               if (m_editor.random(m_prompter, m_random))
                   refresh();
           });
    button(QStringLiteral("From file"),
           QStringLiteral("Create blocks from the current Quivra file"), [this] {
               std::string message;
               if (!m_editor.fromSchedule(m_prompter, message))
                   return;
               refresh();
               if (!message.empty())
                   m_prompter.infoDlg(message);
           });
    buttons->addStretch(1);
    buttons->addWidget(m_apply);

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_apply, &QCheckBox::toggled, this, [this](bool on) { m_editor.setApplyBlocks(on); });

    auto *middle = new QVBoxLayout;
    middle->addWidget(m_grid, 1);
    middle->addWidget(m_status);
    auto *row = new QHBoxLayout;
    row->addWidget(m_weeks);
    row->addWidget(m_symbols);
    row->addLayout(middle, 1);
    row->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(box);

    const ScheduleData &d = m_editor.data();
    for (int w = 1; w <= std::max(usedWeeks(d), 1); ++w)
        m_weeks->addItem(toQString(formatWeek(d, w, 6)));
    connect(m_weeks, &QListWidget::currentRowChanged, this, [this](int week) {
        if (m_filling || week < 0)
            return;
        m_editor.setWeek(week + 1);
        refresh();
    });
    connect(m_grid, &QTableWidget::currentCellChanged, this, &TSlotDlg::cellChosen);
    connect(m_symbols, &QListWidget::itemClicked, this, &TSlotDlg::symbolChosen);
    resize(760, 420);
    refresh();
}

void TSlotDlg::refresh()
{
    const ScheduleData &d = m_editor.data();
    const int days = std::clamp(usedDays(d), 0, MaxDays);
    const int bells = std::clamp(usedBells(d), 0, MaxBells);
    m_filling = true;
    m_weeks->setCurrentRow(m_editor.week() - 1);
    m_grid->setColumnCount(days);
    m_grid->setRowCount(bells);
    QStringList dayNames;
    for (int day = 1; day <= days; ++day)
        dayNames << toQString(listItem(d.dayNames, day));
    m_grid->setHorizontalHeaderLabels(dayNames);
    for (int bell = 1; bell <= bells; ++bell)
        for (int day = 1; day <= days; ++day) {
            const char c = m_editor.symbol(day, bell);
            auto *item = m_grid->item(bell - 1, day - 1);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                m_grid->setItem(bell - 1, day - 1, item);
            }
            item->setText(QString(QChar(c)));
            item->setBackground(c == NoBlock ? QBrush() : QBrush(symbolColour(c)));
        }
    m_fromFile->setEnabled(m_editor.canReadSchedule());
    m_filling = false;
    cellChosen();
}

void TSlotDlg::cellChosen()
{
    const int day = m_grid->currentColumn() + 1, bell = m_grid->currentRow() + 1;
    if (day < 1 || bell < 1) {
        m_status->clear();
        return;
    }
    const char c = m_editor.symbol(day, bell);
    const auto at = BlockSymbols.find(c);
    m_filling = true;
    m_symbols->setCurrentRow(at == std::string_view::npos ? 0 : static_cast<int>(at) + 1);
    m_filling = false;
    m_status->setText(toQString(m_editor.status(day, bell)));
}

void TSlotDlg::symbolChosen()
{
    const int day = m_grid->currentColumn() + 1, bell = m_grid->currentRow() + 1;
    const int row = m_symbols->currentRow();
    if (m_filling || day < 1 || bell < 1 || row < 0)
        return;
    m_editor.setSymbol(day, bell,
                       row == 0 ? NoBlock : BlockSymbols[static_cast<std::size_t>(row - 1)]);
    refresh();
}

bool TSlotDlg::eventFilter(QObject *watched, QEvent *event)
{
    // A symbol typed on the grid goes into the selected slot, in upper case.
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.size() == 1 && text[0].unicode() < 128 &&
            (text[0].isLetterOrNumber() || text[0] == QChar('-'))) {
            const int day = m_grid->currentColumn() + 1, bell = m_grid->currentRow() + 1;
            m_editor.setSymbol(day, bell, static_cast<char>(text[0].toUpper().unicode()));
            refresh();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void showBlockSchedulingDialog(TFrameForm &frame)
{
    Settings &settings = frame.settings();
    BlockSchedulingEditor editor(frame.data(), settings.slotPatterns, frame.activeWeek(),
                                 settings.preferences.slotTimetables);
    QtClipboard clipboard;
    Random random(static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch()));
    TSlotDlg dialog(editor, frame.prompter(), clipboard, random, &frame);
    if (dialog.exec() != QDialog::Accepted) {
        editor.cancel();
        return;
    }
    settings.preferences.slotTimetables = editor.applyBlocks();
    frame.setActiveWeek(editor.week());
    frame.refreshViews();
}

void bindBlockSchedulingCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Creates timetables using block scheduling schema");
    row.run = [&frame] { showBlockSchedulingDialog(frame); };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

} // namespace quivra
