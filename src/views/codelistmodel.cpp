#include "views/codelistmodel.h"

#include "engine/lectures.h"
#include "engine/lecturestore.h"
#include "views/qtext.h"

#include <QFont>

namespace quivra {

CodeListModel::CodeListModel(const ScheduleData &d, const ViewOptions &options, CodeKind kind,
                             QObject *parent)
    : QAbstractTableModel(parent), m_d(d), m_options(options), m_kind(kind)
{
    reload();
}

void CodeListModel::reload()
{
    beginResetModel();
    const auto &list = m_kind == CodeKind::Event ? m_d.eventList : m_d.resourceList;
    const int count = std::min<int>(list[0], MaxCodes);
    m_codes.clear();
    for (int i = 1; i <= count; ++i) {
        if (validCode(m_d, list[i]))
            m_codes.push_back(list[i]);
    }
    m_fields = codeListFields(m_d, m_kind, m_options.showSeats);
    m_left.assign(m_codes.size(), 0);
    m_hasLeft.assign(m_codes.size(), false);
    const int week = m_options.activeWeek;
    if (m_kind == CodeKind::Event && week >= 1 && week < WeekTableSize) {
        // One pass over the lecture store for all events, not one per event.
        const LectureIndex index(m_d);
        WeekAllocation wa;
        for (std::size_t i = 0; i < m_codes.size(); ++i) {
            loadWeekAllocation(m_d, m_codes[i], wa, index);
            if (wa.allocated[week] > 0) {
                m_hasLeft[i] = true;
                m_left[i] = wa.allocated[week] - wa.scheduled[week];
            }
        }
    }
    endResetModel();
}

CodeId CodeListModel::codeAt(int row) const
{
    return row >= 0 && row < codeCount() ? m_codes[row] : 0;
}

int CodeListModel::rowOf(CodeId c) const
{
    for (int i = 0; i < codeCount(); ++i) {
        if (m_codes[i] == c)
            return i;
    }
    return -1;
}

int CodeListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_codes.empty() ? 1 : codeCount();
}

int CodeListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant CodeListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::ToolTipRole && !m_hints)
        return {};
    if (m_codes.empty()) {
        if (index.column() == 0 && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
            return toQString(emptyListText(m_kind));
        return {};
    }
    const CodeId c = m_codes[index.row()];
    const ListField field = m_fields[index.column()];
    const CodeRecord &r = m_d.codes[c];
    switch (role) {
    case Qt::DisplayRole: {
        const int *left = m_hasLeft[index.row()] ? &m_left[index.row()] : nullptr;
        return toQString(codeListCell(m_d, c, index.row() + 1, field, left));
    }
    case Qt::EditRole:
        // The stored text as it is, not cut to the field's width.
        if (field == ListField::Code)
            return toQString(std::string(r.code.view()));
        if (field == ListField::Name)
            return toQString(std::string(r.name.view()));
        if (field == ListField::Planned)
            return static_cast<int>(r.planned);
        return {};
    case Qt::ToolTipRole:
        return toQString(codeListRowHint(m_d, c));
    case Qt::TextAlignmentRole:
        if (field >= ListField::Planned && field <= ListField::Seats)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (m_options.showColours && codeColour(r.colour).isValid())
            return codeColour(r.colour);
        return {};
    case Qt::ForegroundRole:
        // A coloured row is written in black whatever the palette says.
        if (m_options.showColours && codeColour(r.colour).isValid())
            return QColor(Qt::black);
        return {};
    case Qt::FontRole:
        if (r.isEvent() && (r.flags & LockedBit)) {
            QFont font;
            font.setStrikeOut(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant CodeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < rowCount())
            return section + 1;
        return {};
    }
    if (section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return toQString(codeListHeader(m_fields[section]));
    if (role == Qt::ToolTipRole) {
        if (!m_hints)
            return {};
        if (m_codes.empty())
            return toQString(emptyListHint(m_kind));
        const std::string hint = codeListHeaderHint(m_fields[section], m_kind);
        return hint.empty() ? QVariant() : QVariant(toQString(hint));
    }
    return {};
}

bool CodeListModel::editable(ListField field) const
{
    return m_editor && (field == ListField::Code || field == ListField::Name ||
                        (field == ListField::Planned && m_kind == CodeKind::Event));
}

Qt::ItemFlags CodeListModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !m_codes.empty() && index.column() < columnCount() &&
        editable(m_fields[index.column()]))
        f |= Qt::ItemIsEditable;
    return f;
}

bool CodeListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        m_codes.empty() || !editable(m_fields[index.column()]))
        return false;
    return m_editor(m_codes[index.row()], m_fields[index.column()], fromQString(value.toString()));
}

} // namespace quivra
