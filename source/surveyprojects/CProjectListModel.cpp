#include "surveyprojects/CProjectListModel.h"

#include "surveyprojects/CProjectItemRolesModel.h"

#include <QLocale>

#include <locale>
#include <sstream>

CProjectListModel::CProjectListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int CProjectListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_projectList.size();
}

QVariant CProjectListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_projectList.size())
        return QVariant();
    const CLocalProjectInfo& project = m_projectList.at(index.row());
    switch (role) {
    case CProjectItemRolesModel::RoleProjectName:
        return project.name();
    case CProjectItemRolesModel::RoleProjectSizeString:
        return sizeText(project.size());
    case CProjectItemRolesModel::RoleProjectCreationDateString:
        return QLocale().toString(project.creationDate().toLocalTime(), QLocale::ShortFormat);
    case CProjectItemRolesModel::RoleProjectSize:
        return project.size();
    case CProjectItemRolesModel::RoleProjectCreationDate:
        return project.creationDate();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CProjectListModel::roleNames() const
{
    return {{CProjectItemRolesModel::RoleProjectName, QByteArrayLiteral("modelData_ProjectName")},
            {CProjectItemRolesModel::RoleProjectSizeString, QByteArrayLiteral("modelData_ProjectSize")},
            {CProjectItemRolesModel::RoleProjectCreationDateString, QByteArrayLiteral("modelData_ProjectCreationDate")}};
}

void CProjectListModel::setProjectList(const QVector<CLocalProjectInfo>& projectList)
{
    bool sameRows = projectList.size() == m_projectList.size();
    for (int i = 0; sameRows && i < projectList.size(); ++i)
        sameRows = projectList.at(i).path() == m_projectList.at(i).path();

    if (!sameRows) {
        beginResetModel();
        m_projectList = projectList;
        endResetModel();
        return;
    }
    m_projectList = projectList;
    if (!m_projectList.isEmpty())
        emit dataChanged(index(0), index(m_projectList.size() - 1), {});
}

int CProjectListModel::rowOfPath(const QString& path) const
{
    if (path.isEmpty())
        return -1;
    for (int i = 0; i < m_projectList.size(); ++i) {
        if (m_projectList.at(i).path() == path)
            return i;
    }
    return -1;
}

QString CProjectListModel::pathAt(int row) const
{
    return row >= 0 && row < m_projectList.size() ? m_projectList.at(row).path() : QString();
}

QString CProjectListModel::sizeText(qint64 size)
{
    if (size == -1)
        return QStringLiteral("...");
    const double kiloBytes = double(size) * 0.0009765625;
    const int wholeKiloBytes = int(kiloBytes);
    if (wholeKiloBytes > 1023)
        return QLocale().toString(wholeKiloBytes >> 10) + QStringLiteral(" MB");

    // The classic locale: a point and no grouping whatever the operator's language.
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream.precision(kiloBytes < 100.0 ? 3 : 4);
    stream << kiloBytes;
    return QString::fromStdString(stream.str()) + QStringLiteral(" kB");
}
