#pragma once

#include "Response.h"
#include "SingleMediaFileLinkData.h"
#include "UploadStatusInfo.h"

#include <QDateTime>
#include <QList>

// Replies about the user's web projects: the project list, one project's details, upload
// statuses and media download links.
namespace Tovrin {
namespace Web {

struct UserProjectEntry
{
    QString projectName;
    QString projectId;
    QString webProjectId;
    QString projectFolderName;
    QDateTime projectImportDate;
    qint64 diskUsage = 0;
};

// The user's projects. A body that is not a list of projects leaves the list empty and the
// error ErrorInvalidReply, so that it is never taken for a user without projects.
class UserProjectsResponse : public Response
{
public:
    UserProjectsResponse();
    void fromJson(const QString& text);
    QList<UserProjectEntry> projects() const { return m->projects; }

private:
    struct Data : QSharedData
    {
        QList<UserProjectEntry> projects;
    };
    QSharedDataPointer<Data> m;
};

class ProjectReadyToDownloadResponse : public Response
{
public:
    ProjectReadyToDownloadResponse();
    void fromJson(const QString& text);
    QString projectId() const { return m->projectId; }
    QString projectName() const { return m->projectName; }
    bool isCulvertixProject() const { return m->isCulvertixProject; }

private:
    struct Data : QSharedData
    {
        QString projectId;
        QString projectName;
        bool isCulvertixProject = false;
    };
    QSharedDataPointer<Data> m;
};

class UploadProjectsStatusResponse : public Response
{
public:
    UploadProjectsStatusResponse();
    void fromJson(const QString& text);
    QList<UploadStatusInfo> statuses() const { return m->statuses; }

private:
    struct Data : QSharedData
    {
        QList<UploadStatusInfo> statuses;
    };
    QSharedDataPointer<Data> m;
};

class SingleProjectFileDownloadResponse : public Response
{
public:
    SingleProjectFileDownloadResponse();
    void fromXml(const QString& text);
    QList<SingleMediaFileLinkData> links() const { return m->links; }

private:
    struct Data : QSharedData
    {
        QList<SingleMediaFileLinkData> links;
    };
    QSharedDataPointer<Data> m;
};

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::UserProjectsResponse)
Q_DECLARE_METATYPE(Tovrin::Web::ProjectReadyToDownloadResponse)
Q_DECLARE_METATYPE(Tovrin::Web::UploadProjectsStatusResponse)
Q_DECLARE_METATYPE(Tovrin::Web::SingleProjectFileDownloadResponse)
