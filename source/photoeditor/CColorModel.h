#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QString>
#include <QVector>

// The colours offered by the photo editor's colour menus, with their display names.
class CColorModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles
    {
        RoleColor = Qt::UserRole,
        RoleName = Qt::UserRole + 1
    };

    CColorModel() = default;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setColors(const QVector<QColor>& colors, const QVector<QString>& names);

private:
    QVector<QColor> m_colors;
    QVector<QString> m_names;
};
