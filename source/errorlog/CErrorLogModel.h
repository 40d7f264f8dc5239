#pragma once

#include "systemcontrol/SystemTypes.h"

#include <QAbstractListModel>

// The connected system's error log, one row per record in the order the system gave them.
class CErrorLogModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles
    {
        ErrorTimeRole = Qt::UserRole,
        ErrorCodeRole,
        ErrorMessageRole
    };

    explicit CErrorLogModel(QObject* parent = nullptr);

    // Replaces every row, always inside a model reset (also for identical data).
    void setErrorLog(const Ulx::SystemTypes::ErrorRecordList& records);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    Ulx::SystemTypes::ErrorRecordList m_records;
};
