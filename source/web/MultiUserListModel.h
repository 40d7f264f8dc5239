#pragma once

#include <QAbstractListModel>
#include <QMap>

namespace Tovrin {
namespace Web {

// The user aliases of a multi-user account, for the login screen's alias choice: one row per
// alias, in alias order, with the user id beside it. Owned by WebLoginService; GUI thread.
class MultiUserListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles
    {
        RoleUserAlias = Qt::UserRole,
        RoleUserId
    };

    explicit MultiUserListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces all aliases (model reset), also by an empty map.
    void setUserMap(const QMap<QString, QString>& userMap);

private:
    QMap<QString, QString> m_userMap;
};

} // namespace Web
} // namespace Tovrin
