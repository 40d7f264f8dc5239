#include "photoeditor/CColorModel.h"

int CColorModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_colors.size();
}

QVariant CColorModel::data(const QModelIndex& index, int role) const
{
    if (index.row() < 0 || index.row() >= m_colors.size())
        return QVariant();
    if (role == RoleColor)
        return m_colors.at(index.row());
    if (role == RoleName)
        return m_names.value(index.row());
    return QVariant();
}

QHash<int, QByteArray> CColorModel::roleNames() const
{
    return {{RoleColor, "modelData_Color"}, {RoleName, "modelData_Name"}};
}

Qt::ItemFlags CColorModel::flags(const QModelIndex&) const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void CColorModel::setColors(const QVector<QColor>& colors, const QVector<QString>& names)
{
    beginResetModel();
    m_colors = colors;
    m_names = names;
    endResetModel();
}
