#include "settings/CDateFormatModel.h"

#include <QDate>

CDateFormatModel::CDateFormatModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void CDateFormatModel::setFormats(const QStringList& formats)
{
    beginResetModel();
    m_formats = formats;
    endResetModel();
}

QString CDateFormatModel::formatAt(int index) const
{
    return index >= 0 && index < m_formats.size() ? m_formats.at(index) : QString();
}

int CDateFormatModel::indexOf(const QString& format) const
{
    return m_formats.indexOf(format);
}

int CDateFormatModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_formats.size();
}

QVariant CDateFormatModel::data(const QModelIndex& index, int role) const
{
    if (index.row() < 0 || index.row() >= m_formats.size())
        return QVariant();
    const QString& format = m_formats.at(index.row());
    switch (role) {
    case RawDateFormatRole:
        return format;
    case DateFormatExampleRole:
        return QDate(2015, 12, 31).toString(format);
    default:
        return QVariant();
    }
}

Qt::ItemFlags CDateFormatModel::flags(const QModelIndex&) const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> CDateFormatModel::roleNames() const
{
    return {{RawDateFormatRole, QByteArrayLiteral("modelData_RawDateFormat")},
            {DateFormatExampleRole, QByteArrayLiteral("modelData_DateFormatExample")}};
}
