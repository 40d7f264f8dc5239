#include "surveyprojects/CProjectFilterProxyModel.h"

CProjectFilterProxyModel::CProjectFilterProxyModel(QObject* parent)
    : QSortFilterProxyModel(parent)
{
    // QML passes the role to setSortFilterRole as this enumeration.
    qRegisterMetaType<CProjectItemRolesModel::Roles>("CProjectItemRolesModel::Roles");
}

void CProjectFilterProxyModel::setSortFilterRole(CProjectItemRolesModel::Roles role)
{
    if (int(role) != sortRole())
        m_ascendingOrder = true;
    else
        m_ascendingOrder = !m_ascendingOrder;
    setSortRole(role);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    sort(0, m_ascendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CProjectFilterProxyModel::setFilterString(const QString& string)
{
    setFilterRole(CProjectItemRolesModel::RoleProjectName);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
    setFilterFixedString(string);
}
