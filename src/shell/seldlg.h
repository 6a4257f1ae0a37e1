#pragma once

// TSelDlg: the list of changes a collection tool made, with the buttons "Accept" and "Reject"
// (Selection optimisation). The dialog only shows the list and reports the button; undoing the
// changes is the command's business (commands/selectioncommands.h).

#include "commands/selectioncommands.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace quivra {

class TSelDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TSelDlg(const ChangeReview &review, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QPushButton *acceptButton() const { return m_accept; }
    QPushButton *rejectButton() const { return m_reject; }

private:
    QLabel *m_title;
    QListWidget *m_list;
    QPushButton *m_accept;
    QPushButton *m_reject;
};

// Shows the dialog modally: true on Accept, false on Reject or when it is closed.
bool reviewInDialog(const ChangeReview &review, QWidget *parent);

} // namespace quivra
