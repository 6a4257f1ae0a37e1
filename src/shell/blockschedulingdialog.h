#pragma once

// TSlotDlg, "Block scheduling": the block patterns of the weeks in a grid of days and bells, a
// symbol per slot, with Clear, Copy, Paste, Random and From file, and the switch that applies the
// blocks in the Timetables view. The dialog works on a BlockSchedulingEditor
// (commands/blockscheduling.h); Cancel puts back the patterns as they were when it opened.

#include "commands/blockscheduling.h"
#include "ui/ports.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace quivra {

struct FrameCommand;
class TFrameForm;

class TSlotDlg final : public QDialog
{
    Q_OBJECT

public:
    TSlotDlg(BlockSchedulingEditor &editor, Prompter &prompter, Clipboard &clipboard,
             Random &random, QWidget *parent = nullptr);

    QTableWidget *grid() const { return m_grid; }
    // Shows the editor's week again.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cellChosen();
    void symbolChosen();

    BlockSchedulingEditor &m_editor;
    Prompter &m_prompter;
    Clipboard &m_clipboard;
    Random &m_random;
    QListWidget *m_weeks;
    QListWidget *m_symbols;
    QTableWidget *m_grid;
    QLabel *m_status;
    QCheckBox *m_apply;
    QPushButton *m_fromFile;
    bool m_filling = false;
};

// Opens the dialog over the frame's settings, modal; OK keeps the patterns and the switch.
void showBlockSchedulingDialog(TFrameForm &frame);
// Binds Tools|Block scheduling.
void bindBlockSchedulingCommand(FrameCommand &row, TFrameForm &frame);

} // namespace quivra
