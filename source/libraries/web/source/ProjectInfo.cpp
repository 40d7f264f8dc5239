#include "ProjectInfo.h"

namespace Tovrin {
namespace Web {

class ProjectInfoData : public QSharedData
{
public:
    QString projectName;
    QString projectId;
    QString webProjectId;
    QString projectFolderName;
    QDateTime creationDate;
    quint64 diskUsage = 0;
    bool isImportedByWeb = true;
};

ProjectInfo::ProjectInfo()
    : d(new ProjectInfoData)
{
}

ProjectInfo::ProjectInfo(const QString& projectName, const QString& projectId, const QString& webProjectId,
                         const QString& projectFolderName, const QDateTime& creationDate, quint64 diskUsage,
                         bool isImportedByWeb)
    : d(new ProjectInfoData)
{
    d->projectName = projectName;
    d->projectId = projectId;
    d->webProjectId = webProjectId;
    d->projectFolderName = projectFolderName;
    d->creationDate = creationDate;
    d->diskUsage = diskUsage;
    d->isImportedByWeb = isImportedByWeb;
}

ProjectInfo::ProjectInfo(const ProjectInfo& other) = default;
ProjectInfo::~ProjectInfo() = default;
ProjectInfo& ProjectInfo::operator=(const ProjectInfo& other) = default;

QString ProjectInfo::projectName() const { return d->projectName; }
QString ProjectInfo::projectId() const { return d->projectId; }
QString ProjectInfo::webProjectId() const { return d->webProjectId; }
QString ProjectInfo::projectFolderName() const { return d->projectFolderName; }
QDateTime ProjectInfo::creationDate() const { return d->creationDate; }
quint64 ProjectInfo::diskUsage() const { return d->diskUsage; }
bool ProjectInfo::isImportedByWeb() const { return d->isImportedByWeb; }

void ProjectInfo::setProjectName(const QString& value) { d->projectName = value; }
void ProjectInfo::setProjectId(const QString& value) { d->projectId = value; }
void ProjectInfo::setWebProjectId(const QString& value) { d->webProjectId = value; }
void ProjectInfo::setProjectFolderName(const QString& value) { d->projectFolderName = value; }
void ProjectInfo::setCreationDateName(const QDateTime& value) { d->creationDate = value; }
void ProjectInfo::setDiskUsage(quint64 value) { d->diskUsage = value; }
void ProjectInfo::setIsImportedByWeb(bool value) { d->isImportedByWeb = value; }

bool ProjectInfo::operator==(const ProjectInfo& other) const
{
    return d->projectId == other.d->projectId && d->isImportedByWeb == other.d->isImportedByWeb;
}

uint qHash(const ProjectInfo& info, uint seed)
{
    // A fixed seed keeps the hash of a record stable; the container's seed is mixed in after.
    return ::qHash(info.projectId(), 0xA03Fu) ^ seed;
}

} // namespace Web
} // namespace Tovrin
