#include "errorlog/CErrorLogModel.h"

#include "messages/TranslationHelper.h"

CErrorLogModel::CErrorLogModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void CErrorLogModel::setErrorLog(const Ulx::SystemTypes::ErrorRecordList& records)
{
    beginResetModel();
    m_records = records;
    endResetModel();
}

int CErrorLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_records.size();
}

QVariant CErrorLogModel::data(const QModelIndex& index, int role) const
{
    if (index.row() < 0 || index.row() >= m_records.size())
        return QVariant();
    const Ulx::SystemTypes::ErrorRecord& record = m_records.at(index.row());
    switch (role) {
    case ErrorTimeRole:
        return static_cast<int>(record.first);
    case ErrorCodeRole:
        return static_cast<int>(record.second);
    case ErrorMessageRole:
        return TranslationHelper::loggedErrorText(record.second);
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CErrorLogModel::roleNames() const
{
    return {{ErrorTimeRole, QByteArrayLiteral("modelData_ErrorTime")},
            {ErrorCodeRole, QByteArrayLiteral("modelData_ErrorCode")},
            {ErrorMessageRole, QByteArrayLiteral("modelData_ErrorMessage")}};
}
