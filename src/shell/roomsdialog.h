#pragma once

// TRoomsDlg: "Select rooms manually". On the left the slots of the included weeks that need a
// room, on the right the rooms free for the chosen slot; buttons assign, clear and copy rooms,
// compact the list ("Capacity"), imitate earlier choices and narrow the list by weeks and event
// categories. The dialog draws what RoomsDialogState says and forwards the clicks to it.

#include "commands/roomcommands.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace quivra {

struct FrameCommand;
class TFrameForm;

class TRoomsDlg : public QDialog
{
    Q_OBJECT

public:
    // `state` has been opened and outlives the dialog.
    explicit TRoomsDlg(RoomsDialogState &state, QWidget *parent = nullptr);

    QListWidget *slotList() const { return m_slots; }
    QListWidget *roomList() const { return m_rooms; }
    QLabel *roomsTitle() const { return m_roomsTitle; }
    QComboBox *firstWeek() const { return m_firstWeek; }
    QComboBox *lastWeek() const { return m_lastWeek; }
    // The buttons by their object names: "assign", "clear", "copy", "clearAll", "capacity",
    // "imitate", "categories", "close".
    QPushButton *button(const char *name) const;

    // Redraws everything from the state.
    void refresh();

private:
    void assignChosenRoom();
    void weeksChosen(bool firstMoved);

    RoomsDialogState &m_state;
    QListWidget *m_slots;
    QListWidget *m_rooms;
    QLabel *m_roomsTitle;
    QLabel *m_usage;
    QComboBox *m_firstWeek;
    QComboBox *m_lastWeek;
    bool m_refreshing = false;
};

// Opens the dialog over the frame's data set, modal, when there are rooms; the views are
// refreshed afterwards. `memory` lives as long as the frame.
void showRoomsDialog(TFrameForm &frame, RoomsDialogMemory &memory);
// Binds Tools|Select rooms manually.
void bindRoomsCommand(FrameCommand &row, TFrameForm &frame);

} // namespace quivra
