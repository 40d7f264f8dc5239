#pragma once

#include "surveyprojects/CLocalProjectInfo.h"

#include <QAbstractListModel>
#include <QVector>

// The local projects as a list: name, size and creation date as texts for QML, size and date
// as values for sorting. Holds a copy of the list it was given; GUI thread.
class CProjectListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CProjectListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Resets the model when a project was added, removed or moved; otherwise the rows stay
    // and only their values change.
    void setProjectList(const QVector<CLocalProjectInfo>& projectList);
    QVector<CLocalProjectInfo> projectList() const { return m_projectList; }

    // The row of the project in that folder, -1 when there is none.
    int rowOfPath(const QString& path) const;
    QString pathAt(int row) const;

    // The size as the list shows it: "..." while unknown, kB below 1024 KiB, whole MB above.
    static QString sizeText(qint64 size);

private:
    QVector<CLocalProjectInfo> m_projectList;
};
