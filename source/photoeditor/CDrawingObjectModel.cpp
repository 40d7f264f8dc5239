#include "photoeditor/CDrawingObjectModel.h"

QVariant CDrawingObjectModel::data(const QModelIndex& index, int role) const
{
    if (role != RoleObject || index.row() < 0 || index.row() >= m_items.size())
        return QVariant();
    return QVariant::fromValue(static_cast<QObject*>(m_items.at(index.row()).get()));
}

QHash<int, QByteArray> CDrawingObjectModel::roleNames() const
{
    return {{RoleObject, "modelData_Object"}};
}

Qt::ItemFlags CDrawingObjectModel::flags(const QModelIndex&) const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void CDrawingObjectModel::appendObject(const DrawingObjectPtr& object)
{
    const int row = m_items.size();
    beginInsertRows(QModelIndex(), row, row);
    m_items.append(object);
    endInsertRows();
}

bool CDrawingObjectModel::removeObject(const DrawingObjectPtr& object)
{
    const int row = m_items.indexOf(object);
    if (row < 0)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_items.remove(row);
    endRemoveRows();
    return true;
}

void CDrawingObjectModel::resetObjects(const QVector<DrawingObjectPtr>& objects)
{
    beginResetModel();
    m_items = objects;
    endResetModel();
}
