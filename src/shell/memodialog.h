#pragma once

// The memo panel: the memo of the current event or resource beside the views. It shows the
// code, its name, how many memos the data set holds and the memo itself, or an invitation to
// enter one; a click on the memo opens TMemoDlg to enter, change or remove it.

#include "engine/scheduledata.h"
#include "ui/prompter.h"

#include <QDialog>
#include <QDockWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quivra {

struct FrameCommand;
class TFrameForm;

// Enters or changes one code's memo. The text is held to what the memo may keep.
class TMemoDlg : public QDialog
{
    Q_OBJECT

public:
    enum Outcome { Cancelled, Store, Remove };
    TMemoDlg(const ScheduleData &d, CodeId code, QWidget *parent = nullptr);

    QPlainTextEdit *editor() const { return m_text; }
    QPushButton *removeButton() const { return m_remove; }
    Outcome outcome() const { return m_outcome; }
    // What was typed, as stored bytes.
    std::string typed() const;

private:
    void holdToLimit();

    QPlainTextEdit *m_text;
    QPushButton *m_remove;
    qsizetype m_limit;
    Outcome m_outcome = Cancelled;
};

class TMemoPanel : public QDockWidget
{
    Q_OBJECT

public:
    TMemoPanel(ScheduleData &d, Prompter &p, QWidget *parent = nullptr);

    // Shows the memo of the data set's current code.
    void refresh();
    // The click on the memo: opens the editor and stores or removes what it returns. True when
    // the data set changed.
    bool editMemo();

    QLabel *codeLabel() const { return m_code; }
    QLabel *countLabel() const { return m_count; }
    QLabel *memoLabel() const { return m_memo; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScheduleData &m_d;
    Prompter &m_p;
    QLabel *m_code;
    QLabel *m_count;
    QLabel *m_memo;
};

// Binds the command that shows or hides the frame's memo panel; the panel follows the
// current code of the views.
void bindMemoCommand(FrameCommand &row, TFrameForm &frame);

} // namespace quivra
