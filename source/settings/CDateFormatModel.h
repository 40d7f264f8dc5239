#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The date formats offered for the overlay, each with the last day of 2015 written in it.
class CDateFormatModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles
    {
        RawDateFormatRole = Qt::UserRole,
        DateFormatExampleRole
    };

    explicit CDateFormatModel(QObject* parent = nullptr);

    void setFormats(const QStringList& formats);
    QString formatAt(int index) const;
    int indexOf(const QString& format) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QStringList m_formats;
};
