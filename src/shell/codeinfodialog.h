#pragma once

// The information window of a code (Resource info, Event info; commands/codeinfo.h): the
// details as an outline, Previous and Next through the list, and a button that reads "Edit?"
// when the code can be edited from here and "Close" otherwise. Accepted means edit code().

#include "commands/codeinfo.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

namespace quivra {

class CodeInfoDialog : public QDialog
{
    Q_OBJECT

public:
    CodeInfoDialog(const ScheduleData &d, CodeId code, bool editingAllowed,
                   QWidget *parent = nullptr);

    // The code shown now.
    CodeId code() const { return m_code; }
    QTreeWidget *outline() const { return m_outline; }

private:
    void showCode(CodeId code);

    const ScheduleData &m_d;
    CodeId m_code = 0;
    bool m_editingAllowed;
    bool m_canEdit = false;
    QTreeWidget *m_outline;
    QPushButton *m_ok;
};

} // namespace quivra
