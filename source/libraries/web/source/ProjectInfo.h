#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Tovrin {
namespace Web {

class ProjectInfoData;

// A project on the web service as the project list shows it. Implicitly shared: copies share
// one data block until one of them changes. Identity is the project id plus the import flag.
class ProjectInfo
{
public:
    ProjectInfo();
    ProjectInfo(const QString& projectName, const QString& projectId, const QString& webProjectId,
                const QString& projectFolderName, const QDateTime& creationDate, quint64 diskUsage,
                bool isImportedByWeb);
    ProjectInfo(const ProjectInfo& other);
    ~ProjectInfo();
    ProjectInfo& operator=(const ProjectInfo& other);

    QString projectName() const;
    QString projectId() const;
    QString webProjectId() const;
    QString projectFolderName() const;
    QDateTime creationDate() const;
    quint64 diskUsage() const;
    bool isImportedByWeb() const;

    void setProjectName(const QString& value);
    void setProjectId(const QString& value);
    void setWebProjectId(const QString& value);
    void setProjectFolderName(const QString& value);
    void setCreationDateName(const QDateTime& value);
    void setDiskUsage(quint64 value);
    void setIsImportedByWeb(bool value);

    bool operator==(const ProjectInfo& other) const;
    bool operator!=(const ProjectInfo& other) const { return !(*this == other); }

private:
    QSharedDataPointer<ProjectInfoData> d;
};

uint qHash(const ProjectInfo& info, uint seed = 0);

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::ProjectInfo)
Q_DECLARE_METATYPE(QList<Tovrin::Web::ProjectInfo>)
