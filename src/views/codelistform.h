#pragma once

// The Resources view (TRefForm) and the Events view (TCodesForm): both list their codes with
// the CodeListRow fields; selecting a row makes its code the current code.

#include "views/codelistmodel.h"
#include "views/viewcommands.h"
#include "views/viewform.h"

class QTableView;

namespace quivra {

class CodeListTools;

class CodeListForm : public ViewForm
{
    Q_OBJECT

public:
    CodeListForm(const ScheduleData &d, const ViewOptions &options, CodeKind kind,
                 QWidget *parent = nullptr);

    void refresh() override;
    void followCurrentCode() override;

    CodeListModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }
    // The code of the selected row, 0 when none.
    CodeId selectedCode() const;
    // The link list, the snapshot and the weekly periods grid beside the list.
    CodeListTools *tools() const { return m_tools; }

private:
    void selectCode(CodeId c);
    void onRowChanged();
    void updateTitle();

    CodeListModel *m_model;
    QTableView *m_table;
    bool m_selecting = false;
    CodeListTools *m_tools;
};

class TRefForm final : public CodeListForm
{
    Q_OBJECT

public:
    TRefForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent = nullptr)
        : CodeListForm(d, options, CodeKind::Resource, parent)
    {
        installViewCommands(*this);
    }
    ViewTag tag() const override { return ViewTag::Resources; }
};

class TCodesForm final : public CodeListForm
{
    Q_OBJECT

public:
    TCodesForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent = nullptr)
        : CodeListForm(d, options, CodeKind::Event, parent)
    {
        installViewCommands(*this);
    }
    ViewTag tag() const override { return ViewTag::Events; }
};

} // namespace quivra
