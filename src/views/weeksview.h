#pragma once

// TEditForm, the Weeks view: the events-by-weeks allocation grid, read only.

#include "views/viewform.h"
#include "views/weeksmodel.h"

class QTableView;

namespace quivra {

class TEditForm final : public ViewForm
{
    Q_OBJECT

public:
    TEditForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent = nullptr);

    ViewTag tag() const override { return ViewTag::Weeks; }
    void refresh() override;
    void followCurrentCode() override;

    WeeksModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }

private:
    void onCellChanged();

    WeeksModel *m_model;
    QTableView *m_table;
    bool m_selecting = false;
};

} // namespace quivra
