#include "surveyprojects/CManholeDistanceModel.h"

#include "helpers/FormattingHelpers.h"

#include <algorithm>
#include <cmath>
#include <limits>

CManholeDistanceModel::CManholeDistanceModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int CManholeDistanceModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_manholeList ? 0 : m_manholeList->size();
}

QVariant CManholeDistanceModel::data(const QModelIndex& index, int role) const
{
    const int listIndex = index.isValid() ? listIndexAt(index.row()) : -1;
    if (listIndex < 0)
        return QVariant();
    switch (role) {
    case Qt::UserRole:
        return m_manholeList->at(listIndex).name();
    case Qt::UserRole + 1:
        return formatDistanceValue(m_distances.value(listIndex, std::numeric_limits<double>::quiet_NaN()),
                                   m_useImperialUnits);
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CManholeDistanceModel::roleNames() const
{
    return {{Qt::UserRole, QByteArrayLiteral("modelData_ManholeName")},
            {Qt::UserRole + 1, QByteArrayLiteral("modelData_ManholeDistance")}};
}

void CManholeDistanceModel::setManholeList(const ManholeListPtr& manholeList)
{
    beginResetModel();
    m_manholeList = manholeList;
    rebuild();
    endResetModel();
}

void CManholeDistanceModel::setCurrentPosition(const QGeoCoordinate& position)
{
    if (position == m_currentPosition)
        return;
    m_currentPosition = position;
    if (!m_manholeList)
        return;
    beginResetModel();
    computeDistances();
    endResetModel();
}

void CManholeDistanceModel::setUseImperialUnits(bool useImperialUnits)
{
    if (useImperialUnits == m_useImperialUnits)
        return;
    beginResetModel();
    m_useImperialUnits = useImperialUnits;
    endResetModel();
}

int CManholeDistanceModel::rowOfManhole(const QString& name) const
{
    if (!m_manholeList)
        return -1;
    for (int i = 0; i < m_manholeList->size(); ++i) {
        if (m_manholeList->at(i).name() == name)
            return rowOfListIndex(i);
    }
    return -1;
}

QString CManholeDistanceModel::nameAt(int row) const
{
    const int listIndex = listIndexAt(row);
    return listIndex >= 0 ? m_manholeList->at(listIndex).name() : QString();
}

int CManholeDistanceModel::listIndexAt(int row) const
{
    if (!m_manholeList || row < 0 || row >= m_order.size())
        return -1;
    const int listIndex = m_order.at(row);
    return listIndex >= 0 && listIndex < m_manholeList->size() ? listIndex : -1;
}

int CManholeDistanceModel::rowOfListIndex(int listIndex) const
{
    if (listIndex < 0)
        return -1;
    return m_order.indexOf(listIndex);
}

void CManholeDistanceModel::rebuild()
{
    m_order.clear();
    m_distances.clear();
    if (!m_manholeList)
        return;
    const int count = m_manholeList->size();
    m_order.resize(count);
    for (int i = 0; i < count; ++i)
        m_order[i] = i;
    m_distances.fill(std::numeric_limits<double>::quiet_NaN(), count);
    computeDistances();
}

void CManholeDistanceModel::computeDistances()
{
    const int count = m_manholeList ? m_manholeList->size() : 0;
    m_distances.resize(count);
    for (int i = 0; i < count; ++i) {
        // distanceTo gives 0 when either coordinate is invalid: 0 means unknown.
        const double distance = m_currentPosition.distanceTo(m_manholeList->at(i).coordinate());
        m_distances[i] = distance == 0.0 ? std::numeric_limits<double>::quiet_NaN() : distance;
    }
    if (m_order.size() != count) {
        m_order.resize(count);
        for (int i = 0; i < count; ++i)
            m_order[i] = i;
    }
    sortByDistance(m_order, m_distances);
}

void CManholeDistanceModel::sortByDistance(QVector<int>& order, const QVector<double>& distances)
{
    std::sort(order.begin(), order.end(), [&distances](int a, int b) {
        const double da = distances.at(a);
        const double db = distances.at(b);
        const bool knownA = !std::isnan(da);
        const bool knownB = !std::isnan(db);
        if (knownA != knownB)
            return knownA;
        if (knownA && da != db)
            return da < db;
        return a < b;
    });
}
