#pragma once

#include "surveyprojects/CGeoManhole.h"

#include <QAbstractListModel>

// The project's manholes in list order with their coordinates, for the map's markers.
class CManholeMapModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CManholeMapModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setManholeList(const ManholeListPtr& manholeList);

private:
    ManholeListPtr m_manholeList;
};
