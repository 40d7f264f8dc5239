#include "appstart/CInspectionSystemModel.h"

CInspectionSystemModel::CInspectionSystemModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

CInspectionSystemModel::~CInspectionSystemModel() = default;

int CInspectionSystemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_systems.size();
}

QVariant CInspectionSystemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_systems.size())
        return QVariant();
    const Ulx::CSystemConnectionInfo& system = m_systems.at(index.row());
    switch (role) {
    case DisplayRole:
        return system.displayName();
    case NetworkNameRole:
        return system.networkName();
    case FamilyNameRole:
        return system.familyName();
    case SerialNumberRole:
        return system.serialNumber();
    case SpectatorModeSupportedRole:
        return system.supportsSpectatorMode();
    default:
        return QVariant();
    }
}

Qt::ItemFlags CInspectionSystemModel::flags(const QModelIndex& index) const
{
    Q_UNUSED(index)
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> CInspectionSystemModel::roleNames() const
{
    return {{DisplayRole, QByteArrayLiteral("modelData_Display")},
            {NetworkNameRole, QByteArrayLiteral("modelData_NetworkName")},
            {FamilyNameRole, QByteArrayLiteral("modelData_FamilyName")},
            {SerialNumberRole, QByteArrayLiteral("modelData_SerialNumber")},
            {SpectatorModeSupportedRole, QByteArrayLiteral("modelData_SpectatorModeSupported")}};
}

void CInspectionSystemModel::setSystems(const QList<Ulx::CSystemConnectionInfo>& systems)
{
    beginResetModel();
    m_systems = systems;
    endResetModel();
}
