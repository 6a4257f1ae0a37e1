#pragma once

// TCycleMapDlg: the "Cycle table" of Tools|Cycling timetables: the map of the new weeks' days,
// one line per day with the cycle day it receives. "Remove" takes the selected lines (several
// may be selected) out of the map, and the later lines move up one cycle day per removed line.

#include "commands/cyclingcommands.h"

#include <QDialog>

#include <vector>

class QListWidget;
class QPushButton;

namespace quivra {

struct FrameCommand;
class TFrameForm;

class TCycleMapDlg : public QDialog
{
    Q_OBJECT

public:
    TCycleMapDlg(std::vector<CycleDay> lines, int cycles, QWidget *parent = nullptr);

    const std::vector<CycleDay> &lines() const { return m_lines; }
    QListWidget *list() const { return m_list; }
    QPushButton *removeButton() const { return m_remove; }
    void removeSelected();

private:
    void fill();

    std::vector<CycleDay> m_lines;
    int m_cycles;
    QListWidget *m_list;
    QPushButton *m_remove;
};

// Tools|Cycling timetables: the Weeks view comes to the front, the questions are asked, the
// map is edited in a TCycleMapDlg, and the views are refreshed after the copy.
void runCyclingTimetables(TFrameForm &frame);
void bindCyclingCommand(FrameCommand &row, TFrameForm &frame);

} // namespace quivra
