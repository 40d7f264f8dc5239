#include "web/MultiUserListModel.h"

namespace Tovrin {
namespace Web {

MultiUserListModel::MultiUserListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int MultiUserListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_userMap.size();
}

QVariant MultiUserListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() < 0 || index.column() < 0
        || index.row() >= m_userMap.size())
        return QVariant();
    if (role == RoleUserAlias)
        return m_userMap.keys().at(index.row());
    if (role == RoleUserId)
        return m_userMap.values().at(index.row());
    return QVariant();
}

QHash<int, QByteArray> MultiUserListModel::roleNames() const
{
    return {{RoleUserAlias, "modelData_UserAlias"}, {RoleUserId, "modelData_UserId"}};
}

void MultiUserListModel::setUserMap(const QMap<QString, QString>& userMap)
{
    beginResetModel();
    m_userMap = userMap;
    endResetModel();
}

} // namespace Web
} // namespace Tovrin
