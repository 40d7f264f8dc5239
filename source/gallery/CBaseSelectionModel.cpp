#include "gallery/CBaseSelectionModel.h"

CBaseSelectionModel::CBaseSelectionModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

CBaseSelectionModel::~CBaseSelectionModel() = default;

bool CBaseSelectionModel::isValidRow(int row) const
{
    return row >= 0 && row < rowCount();
}

QVariant CBaseSelectionModel::data(const QModelIndex& index, int role) const
{
    if (role != SelectedRole || !isValidRow(index.row()))
        return QVariant();
    return m_selection.contains(index.row());
}

bool CBaseSelectionModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int row = index.row();
    if (role != SelectedRole || !isValidRow(row))
        return false;
    const bool selected = value.toBool();
    if (selected == m_selection.contains(row))
        return false;
    // A row that "select all" leaves out cannot be ticked one by one either.
    if (selected && unselectableRows().contains(row))
        return false;
    if (selected)
        m_selection.insert(row);
    else
        m_selection.remove(row);
    emit dataChanged(index, index, {});
    emit selectionCountChanged();
    return true;
}

QHash<int, QByteArray> CBaseSelectionModel::roleNames() const
{
    return {{SelectedRole, "modelData_Selected"}};
}

QSet<int> CBaseSelectionModel::unselectableRows() const
{
    return {};
}

int CBaseSelectionModel::selectionCount() const
{
    return m_selection.size();
}

QSet<int> CBaseSelectionModel::selection() const
{
    return m_selection;
}

void CBaseSelectionModel::setSelection(const QSet<int>& selection)
{
    m_selection = selection;
    notifySelectionChanged(true);
}

void CBaseSelectionModel::selectAll()
{
    const QSet<int> unselectable = unselectableRows();
    const int count = rowCount();
    if (count == 0)
        return;
    // Nothing to signal when every row that may be selected already is.
    bool added = false;
    m_selection.reserve(count);
    for (int row = 0; row < count; ++row) {
        if (!unselectable.contains(row) && !m_selection.contains(row)) {
            m_selection.insert(row);
            added = true;
        }
    }
    if (added)
        notifySelectionChanged(true);
}

void CBaseSelectionModel::clearSelection()
{
    clearSelection(true);
}

void CBaseSelectionModel::clearSelection(bool notifyRows)
{
    if (m_selection.isEmpty())
        return;
    m_selection.clear();
    notifySelectionChanged(notifyRows);
}

void CBaseSelectionModel::deselectRow(int row, bool notifyRow)
{
    if (m_selection.isEmpty() || !m_selection.remove(row))
        return;
    if (notifyRow)
        emit dataChanged(index(row, 0), index(row, 0), {});
    emit selectionCountChanged();
}

void CBaseSelectionModel::notifySelectionChanged(bool notifyRows)
{
    if (notifyRows && rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {});
    emit selectionCountChanged();
}

void CBaseSelectionModel::shiftSelectionForInsertedRow(int row)
{
    QSet<int> moved;
    moved.reserve(m_selection.size());
    for (int selected : qAsConst(m_selection))
        moved.insert(selected >= row ? selected + 1 : selected);
    m_selection = moved;
}

void CBaseSelectionModel::shiftSelectionForRemovedRow(int row)
{
    QSet<int> moved;
    moved.reserve(m_selection.size());
    for (int selected : qAsConst(m_selection)) {
        if (selected != row)
            moved.insert(selected > row ? selected - 1 : selected);
    }
    m_selection = moved;
}
