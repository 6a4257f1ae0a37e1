#include "shell/roomsdialog.h"

#include "engine/calendar.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"
#include "views/qtext.h"
#include "views/timetablesview.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <memory>

namespace quivra {

TRoomsDlg::TRoomsDlg(RoomsDialogState &state, QWidget *parent)
    : QDialog(parent), m_state(state), m_slots(new QListWidget(this)),
      m_rooms(new QListWidget(this)), m_roomsTitle(new QLabel(this)), m_usage(new QLabel(this)),
      m_firstWeek(new QComboBox(this)), m_lastWeek(new QComboBox(this))
{
    setObjectName("TRoomsDlg");
    m_slots->setObjectName("slots");
    m_rooms->setObjectName("rooms");
    m_firstWeek->setObjectName("firstWeek");
    m_lastWeek->setObjectName("lastWeek");

    auto *weeks = new QHBoxLayout;
    weeks->addWidget(new QLabel(QStringLiteral("First included week:"), this));
    weeks->addWidget(m_firstWeek);
    weeks->addSpacing(12);
    weeks->addWidget(new QLabel(QStringLiteral("Last included week:"), this));
    weeks->addWidget(m_lastWeek);
    weeks->addStretch();
    weeks->addWidget(m_usage);

    auto *buttons = new QVBoxLayout;
    const auto add = [&](const char *name, const QString &caption, const QString &hint) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton *assign = add("assign", "&Assign room", "Give the chosen slot the chosen room");
    QPushButton *clear = add("clear", "C&lear room", "Take the room from the chosen slot");
    QPushButton *copy = add("copy", "Co&py this room to ...", "Give the room to other slots");
    buttons->addSpacing(12);
    QPushButton *capacity = add("capacity", "Ca&pacity",
                                "Compact the list: events that use one room everywhere "
                                "get it as a room resource");
    QPushButton *imitate =
        add("imitate", "&Imitate", "Assign rooms automatically based on previous selections");
    QPushButton *categories = add("categories", "Include event &categories",
                                  "Choose the event categories this list includes");
    QPushButton *clearAll = add("clearAll", "Clear all rooms", "Take every room chosen here");
    buttons->addStretch();
    QPushButton *close = add("close", "Close", "Close this dialog");

    auto *roomsColumn = new QVBoxLayout;
    roomsColumn->addWidget(m_roomsTitle);
    roomsColumn->addWidget(m_rooms);

    auto *grid = new QGridLayout(this);
    grid->addLayout(weeks, 0, 0, 1, 3);
    grid->addWidget(m_slots, 1, 0);
    grid->addLayout(roomsColumn, 1, 1);
    grid->addLayout(buttons, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);

    connect(m_slots, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_refreshing)
            return;
        m_state.choose(row);
        refresh();
    });
    connect(m_rooms, &QListWidget::itemActivated, this, [this] { assignChosenRoom(); });
    connect(assign, &QPushButton::clicked, this, [this] { assignChosenRoom(); });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_state.clearCurrent();
        refresh();
    });
    connect(copy, &QPushButton::clicked, this, [this] {
        m_state.copyRoom();
        refresh();
    });
    connect(capacity, &QPushButton::clicked, this, [this] {
        m_state.compact();
        refresh();
    });
    connect(imitate, &QPushButton::clicked, this, [this] {
        m_state.imitate();
        refresh();
    });
    connect(categories, &QPushButton::clicked, this, [this] {
        m_state.chooseCategories();
        refresh();
    });
    connect(clearAll, &QPushButton::clicked, this, [this] {
        m_state.clearAll();
        refresh();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_firstWeek, &QComboBox::activated, this, [this] { weeksChosen(true); });
    connect(m_lastWeek, &QComboBox::activated, this, [this] { weeksChosen(false); });

    resize(960, 600);
    refresh();
}

QPushButton *TRoomsDlg::button(const char *name) const
{
    return findChild<QPushButton *>(QString::fromLatin1(name));
}

void TRoomsDlg::refresh()
{
    m_refreshing = true;
    setWindowTitle(toQString(m_state.caption()));
    m_usage->setText(toQString(m_state.usageText()));

    const int weeks = m_state.weeksInUse();
    const WeekSpan span = m_state.weeks();
    for (QComboBox *box : {m_firstWeek, m_lastWeek}) {
        const QSignalBlocker block(box);
        if (box->count() != weeks) {
            box->clear();
            for (int w = 1; w <= weeks; ++w)
                box->addItem(toQString(m_state.weekLabel(w)));
        }
    }
    m_firstWeek->setCurrentIndex(span.first - 1);
    m_lastWeek->setCurrentIndex(span.last - 1);

    {
        const QSignalBlocker block(m_slots);
        m_slots->clear();
        for (const RoomSlotLine &line : m_state.lines())
            m_slots->addItem(toQString(line.text));
        m_slots->setCurrentRow(m_state.current());
    }
    m_roomsTitle->setText(toQString(m_state.offersTitle()));
    m_rooms->clear();
    for (const RoomOffer &offer : m_state.offers())
        m_rooms->addItem(toQString(offer.text));
    if (m_rooms->count() > 0)
        m_rooms->setCurrentRow(0);

    const bool chosen = m_state.current() >= 0;
    const bool hasRoom =
        chosen && m_state.lines()[static_cast<std::size_t>(m_state.current())].triple.room != 0;
    button("assign")->setEnabled(chosen && m_rooms->count() > 0);
    button("clear")->setEnabled(hasRoom);
    button("copy")->setEnabled(hasRoom);
    m_refreshing = false;
}

void TRoomsDlg::assignChosenRoom()
{
    const int row = m_rooms->currentRow();
    if (row < 0 || row >= static_cast<int>(m_state.offers().size()))
        return;
    m_state.assign(m_state.offers()[static_cast<std::size_t>(row)].room);
    refresh();
}

void TRoomsDlg::weeksChosen(bool firstMoved)
{
    int first = m_firstWeek->currentIndex() + 1;
    int last = m_lastWeek->currentIndex() + 1;
    if (last < first) { // the box just moved wins
        if (firstMoved)
            last = first;
        else
            first = last;
    }
    m_state.setWeeks(first, last);
    refresh();
}

void showRoomsDialog(TFrameForm &frame, RoomsDialogMemory &memory)
{
    RoomsDialogState state(frame.data(), frame.prompter(), memory);
    if (!state.open())
        return;
    {
        TRoomsDlg dialog(state, &frame);
        dialog.exec();
    }
    // Opening already cleans up and extends the list, so the room timetables may differ.
    frame.refreshViews();
}

void bindRoomsCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Select rooms manually for events without a room resource");
    row.run = [&frame, memory = std::make_shared<RoomsDialogMemory>()] {
        // In the Timetables view, on a period of its current event, the choice is that slot's.
        if (frame.currentView() == ViewTag::Timetables) {
            auto *view = static_cast<TMatsForm *>(frame.view(ViewTag::Timetables));
            const TimetablesSession &s = view->session();
            const MasterBlock block =
                s.isOpen() ? blockAt(frame.data(), s, s.current().day, s.current().bell)
                           : MasterBlock{};
            if (block && block.event == s.event()) {
                for (QAction *action : view->actions())
                    if (action->objectName() == QStringLiteral("timetables.selectRoom") &&
                        action->isEnabled()) {
                        action->trigger();
                        return;
                    }
            }
        }
        showRoomsDialog(frame, *memory);
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

} // namespace quivra
