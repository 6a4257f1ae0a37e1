#pragma once

// The code list of the Resources or Events view: one row per entry of resourceList or
// eventList, one column per CodeListRow field. The model takes a snapshot of the list when it
// is reloaded, so rows stay stable until the next reload; the frame reloads after every change.

#include "commands/codelistrow.h"
#include "engine/codetable.h"
#include "views/viewoptions.h"

#include <QAbstractTableModel>

#include <functional>
#include <string>
#include <vector>

namespace quivra {

class CodeListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    CodeListModel(const ScheduleData &d, const ViewOptions &options, CodeKind kind,
                  QObject *parent = nullptr);

    // Re-reads the list and the fields from the data set.
    void reload();

    CodeKind kind() const { return m_kind; }
    // The code of a row; 0 for the guidance row of an empty list.
    CodeId codeAt(int row) const;
    // The row of a code, or -1.
    int rowOf(CodeId c) const;
    int codeCount() const { return static_cast<int>(m_codes.size()); }
    ListField fieldAt(int column) const { return m_fields.at(column); }

    // Text typed into a cell of the code, the name or an event's PLANNED goes to `editor`,
    // which checks and stores it and says whether the code changed; without one the list is
    // read-only.
    using FieldEditor = std::function<bool(CodeId, ListField, const std::string &)>;
    void setFieldEditor(FieldEditor editor) { m_editor = std::move(editor); }
    bool editable(ListField field) const;

    // Whether rows and headers give their hints ("Show tooltips"; on by default).
    bool hints() const { return m_hints; }
    void setHints(bool on) { m_hints = on; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    const ScheduleData &m_d;
    const ViewOptions &m_options;
    CodeKind m_kind;
    std::vector<ListField> m_fields;
    std::vector<CodeId> m_codes;
    std::vector<int> m_left;     // events: allocated - scheduled in the active week
    std::vector<bool> m_hasLeft; // events: periods allocated to the active week
    FieldEditor m_editor;
    bool m_hints = true;
};

} // namespace quivra
