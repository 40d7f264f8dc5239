#include "surveyprojects/CManholeMapModel.h"

CManholeMapModel::CManholeMapModel(QObject* parent)
    : QAbstractListModel(parent)
{
    qRegisterMetaType<QGeoCoordinate>("QGeoCoordinate");
}

int CManholeMapModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_manholeList ? 0 : m_manholeList->size();
}

QVariant CManholeMapModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_manholeList || index.row() < 0 || index.row() >= m_manholeList->size())
        return QVariant();
    const CGeoManhole& manhole = m_manholeList->at(index.row());
    switch (role) {
    case Qt::UserRole:
        return manhole.name();
    case Qt::UserRole + 1:
        return QVariant::fromValue(manhole.coordinate());
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CManholeMapModel::roleNames() const
{
    return {{Qt::UserRole, QByteArrayLiteral("modelData_ManholeName")},
            {Qt::UserRole + 1, QByteArrayLiteral("modelData_ManholeCoordinate")}};
}

void CManholeMapModel::setManholeList(const ManholeListPtr& manholeList)
{
    beginResetModel();
    m_manholeList = manholeList;
    endResetModel();
}
