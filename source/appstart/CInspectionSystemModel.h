#pragma once

#include "CSystemConnectionInfo.h"

#include <QAbstractListModel>
#include <QList>

// The inspection systems in reach, one row each, in the order the session manager gives them.
// Owned by the start screen's controller; GUI thread.
class CInspectionSystemModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        DisplayRole = Qt::UserRole, // 256
        NetworkNameRole,
        FamilyNameRole,
        SerialNumberRole,
        SpectatorModeSupportedRole // 260
    };

    explicit CInspectionSystemModel(QObject* parent = nullptr);
    ~CInspectionSystemModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces every row inside one model reset, even when nothing changed.
    void setSystems(const QList<Ulx::CSystemConnectionInfo>& systems);

private:
    QList<Ulx::CSystemConnectionInfo> m_systems;
};
