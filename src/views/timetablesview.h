#pragma once

// TMatsForm, the Timetables view: the week timetable of one timetabled resource in the active
// week, read only. The resource is chosen in the view, or follows the current code when that is
// one.

#include "views/timetablemodel.h"
#include "views/viewform.h"

#include <vector>

class QComboBox;
class QLabel;
class QTableView;

namespace quivra {

class TMatsForm final : public ViewForm
{
    Q_OBJECT

public:
    TMatsForm(const ScheduleData &d, const ViewOptions &options, QWidget *parent = nullptr);

    ViewTag tag() const override { return ViewTag::Timetables; }
    void refresh() override;
    void followCurrentCode() override;

    TimetableModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }
    // The resource whose timetable is shown, 0 when none.
    CodeId resource() const { return m_model->code(); }

    // The timetables offered, and the place of the one shown among them (-1 when none).
    int timetableCount() const { return static_cast<int>(m_timetables.size()); }
    int timetableIndex() const;
    // Shows the timetable at `index`, held within the ones offered, as if the user chose it.
    void chooseTimetable(int index);

private:
    void showResource(CodeId r);
    void onResourceChosen(int index);
    void updateStatus();

    TimetableModel *m_model;
    QComboBox *m_resources;
    QLabel *m_status;
    QTableView *m_table;
    std::vector<CodeId> m_timetables; // combo entries
    bool m_filling = false;
};

} // namespace quivra
