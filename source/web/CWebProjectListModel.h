#pragma once

#include "ProjectInfo.h"

#include <QAbstractListModel>
#include <QList>
#include <QSet>

// The logged-in user's projects on the web service, one row per record, in list order. Roles
// are those of CProjectItemRolesModel. Created and owned by WebProjectService; GUI thread.
class CWebProjectListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit CWebProjectListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces the whole list (model reset).
    void setProjectList(const QList<Tovrin::Web::ProjectInfo>& projectList);
    // A copy of the row's record; a default record outside the list.
    Tovrin::Web::ProjectInfo projectInfoAt(int row) const;
    QSet<Tovrin::Web::ProjectInfo> projectInfoSet() const;
    void insertProject(const Tovrin::Web::ProjectInfo& project, int row);

    // Column-0 index of the first row whose id (name) equals the text; invalid when none.
    QModelIndex indexOfProjectId(const QString& projectId) const;
    QModelIndex indexOfProjectName(const QString& projectName) const;
    int rowOfProjectId(const QString& projectId) const;
    bool containsProjectId(const QString& projectId) const;

    // Whole mebibytes, rounded down, with the locale's group separators: "5 MB".
    static QString sizeText(quint64 diskUsage);

private:
    QList<Tovrin::Web::ProjectInfo> m_projectList;
};
