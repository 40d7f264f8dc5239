#include "web/CWebProjectListModel.h"

#include "surveyprojects/CProjectItemRolesModel.h"

#include <QLocale>

using Tovrin::Web::ProjectInfo;

CWebProjectListModel::CWebProjectListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int CWebProjectListModel::rowCount(const QModelIndex&) const
{
    return m_projectList.size();
}

QString CWebProjectListModel::sizeText(quint64 diskUsage)
{
    return QLocale().toString(static_cast<qulonglong>(diskUsage >> 20)) + QStringLiteral(" MB");
}

QVariant CWebProjectListModel::data(const QModelIndex& index, int role) const
{
    if (index.row() < 0 || index.row() >= m_projectList.size())
        return QVariant();
    const ProjectInfo& project = m_projectList.at(index.row());
    switch (role) {
    case CProjectItemRolesModel::RoleProjectName:
        return project.projectName();
    case CProjectItemRolesModel::RoleProjectSizeString:
        return sizeText(project.diskUsage());
    case CProjectItemRolesModel::RoleProjectCreationDateString:
        return QLocale().toString(project.creationDate().toLocalTime(), QLocale::ShortFormat);
    case CProjectItemRolesModel::RoleProjectSize:
        return QVariant::fromValue<qulonglong>(project.diskUsage());
    case CProjectItemRolesModel::RoleProjectCreationDate:
        return project.creationDate();
    case CProjectItemRolesModel::RoleIsImportedByWeb:
        return project.isImportedByWeb();
    default:
        return QVariant();
    }
}

bool CWebProjectListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.model() != this || index.column() < 0 || index.row() >= m_projectList.size())
        return false;
    ProjectInfo& project = m_projectList[index.row()];
    int announced = role;
    switch (role) {
    case CProjectItemRolesModel::RoleProjectName:
        project.setProjectName(value.toString());
        break;
    case CProjectItemRolesModel::RoleProjectSize:
        project.setDiskUsage(value.toULongLong());
        announced = CProjectItemRolesModel::RoleProjectSizeString;
        break;
    case CProjectItemRolesModel::RoleProjectCreationDate:
        project.setCreationDateName(value.toDateTime());
        announced = CProjectItemRolesModel::RoleProjectCreationDateString;
        break;
    case CProjectItemRolesModel::RoleIsImportedByWeb:
        project.setIsImportedByWeb(value.toBool());
        break;
    case CProjectItemRolesModel::RoleProjectId:
        project.setProjectId(value.toString());
        break;
    case CProjectItemRolesModel::RoleProjectFolderName:
        project.setProjectFolderName(value.toString());
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, {announced});
    return true;
}

bool CWebProjectListModel::insertRows(int row, int count, const QModelIndex&)
{
    if (count <= 0 || row < 0 || row > m_projectList.size())
        return false;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    for (int i = 0; i < count; ++i)
        m_projectList.insert(row, ProjectInfo());
    endInsertRows();
    return true;
}

bool CWebProjectListModel::removeRows(int row, int count, const QModelIndex&)
{
    if (row < 0 || row >= m_projectList.size())
        return false;
    if (count <= 0)
        return true;
    const int last = qMin(row + count, m_projectList.size()) - 1;
    beginRemoveRows(QModelIndex(), row, last);
    m_projectList.erase(m_projectList.begin() + row, m_projectList.begin() + last + 1);
    endRemoveRows();
    return true;
}

Qt::ItemFlags CWebProjectListModel::flags(const QModelIndex&) const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> CWebProjectListModel::roleNames() const
{
    return {
        {CProjectItemRolesModel::RoleProjectName, "modelData_ProjectName"},
        {CProjectItemRolesModel::RoleProjectSizeString, "modelData_ProjectSize"},
        {CProjectItemRolesModel::RoleProjectCreationDateString, "modelData_ProjectCreationDate"},
        {CProjectItemRolesModel::RoleIsImportedByWeb, "modelData_IsImportedByWeb"},
    };
}

void CWebProjectListModel::setProjectList(const QList<ProjectInfo>& projectList)
{
    beginResetModel();
    m_projectList = projectList;
    endResetModel();
}

ProjectInfo CWebProjectListModel::projectInfoAt(int row) const
{
    return m_projectList.value(row);
}

QSet<ProjectInfo> CWebProjectListModel::projectInfoSet() const
{
    QSet<ProjectInfo> set;
    set.reserve(m_projectList.size());
    for (const ProjectInfo& project : m_projectList)
        set.insert(project);
    return set;
}

void CWebProjectListModel::insertProject(const ProjectInfo& project, int row)
{
    row = qBound(0, row, m_projectList.size());
    beginInsertRows(QModelIndex(), row, row);
    m_projectList.insert(row, project);
    endInsertRows();
}

QModelIndex CWebProjectListModel::indexOfProjectId(const QString& projectId) const
{
    for (int row = 0; row < m_projectList.size(); ++row) {
        if (m_projectList.at(row).projectId() == projectId)
            return index(row, 0);
    }
    return QModelIndex();
}

QModelIndex CWebProjectListModel::indexOfProjectName(const QString& projectName) const
{
    for (int row = 0; row < m_projectList.size(); ++row) {
        if (m_projectList.at(row).projectName() == projectName)
            return index(row, 0);
    }
    return QModelIndex();
}

int CWebProjectListModel::rowOfProjectId(const QString& projectId) const
{
    const QModelIndex found = indexOfProjectId(projectId);
    return found.isValid() ? found.row() : -1;
}

bool CWebProjectListModel::containsProjectId(const QString& projectId) const
{
    return indexOfProjectId(projectId).isValid();
}
