#pragma once

// The Resources view (TRefForm) and the Events view (TCodesForm): both list their codes with
// the CodeListRow fields; selecting a row makes its code the current code.
//
// A click on a field of the header sorts the codes themselves (the code table, through the
// host), never only what the list shows; a click on the selected cell of a code, a name or an
// event's PLANNED edits it in place, checked as the dialogs check it.

#include "commands/codelistcommands.h"
#include "views/codelistmodel.h"
#include "views/viewcommands.h"
#include "views/viewform.h"

#include <cstdint>
#include <string>

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
    CodeKind kind() const { return m_model->kind(); }

    // The text Find looks for and Search again repeats: the host's, which both lists share,
    // or the view's own while it stands alone.
    std::string &searchText() { return host() ? host()->searchText() : m_searchText; }
    const std::string &searchText() const { return host() ? host()->searchText() : m_searchText; }
    // The codes Find by links looks for links with; Search again goes on with them while no
    // text is searched for.
    LinkSearch &linkSearch() { return m_linkSearch; }
    const LinkSearch &linkSearch() const { return m_linkSearch; }
    // The link list, the snapshot and the weekly periods grid beside the list.
    CodeListTools *tools() const { return m_tools; }

private:
    void sortByHeader(int section);
    bool editField(CodeId c, ListField field, const std::string &text);
    void selectCode(CodeId c);
    void onRowChanged();
    void updateTitle();

    CodeListModel *m_model;
    QTableView *m_table;
    bool m_selecting = false;
    std::string m_searchText;
    LinkSearch m_linkSearch;
    std::uint32_t m_sortDirections = 0; // one bit per sort key: its next sort ascends
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
