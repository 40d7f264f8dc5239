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
    QList<UserProjectEntry> projects() const { return m->projects; }

private:
    friend class UserProjectListReader;
    struct Data : QSharedData
    {
        QList<UserProjectEntry> projects;
    };
    QSharedDataPointer<Data> m;
};

// Reads the user's projects (JSON) as their pieces arrive, as a bucket listing is read: a list
// of tens of thousands of projects is held as its entries only.
class UserProjectListReader
{
public:
    UserProjectListReader();
    void addData(const QByteArray& piece) { m_reader.addData(piece); }
    // Hands what was read to the reply, which is unreadable (and holds no projects) unless the
    // list read to its end.
    void finishInto(UserProjectsResponse& response);
    bool refused() const { return m_reader.refused(); }

private:
    bool take(const QJsonValue& value);

    ResponseReading::JsonListReader m_reader;
    QList<UserProjectEntry> m_projects;
    QString m_problem;
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
    QList<SingleMediaFileLinkData> links() const { return m->links; }

private:
    friend class MediaLinkListReader;
    struct Data : QSharedData
    {
        QList<SingleMediaFileLinkData> links;
    };
    QSharedDataPointer<Data> m;
};

// Reads a list of media links (XML) as its pieces arrive, as a bucket listing is read: a project
// of tens of thousands of photos is held as its links only, never also as the text that lists
// them.
class MediaLinkListReader
{
public:
    MediaLinkListReader();
    void addData(const QByteArray& piece);
    // Hands what was read to the reply, which is unreadable unless the list read to its end.
    void finishInto(SingleProjectFileDownloadResponse& response);
    // Nothing more of the answer is worth reading: it is no list of links.
    bool refused() const { return m_reader.refused(); }

private:
    ResponseReading::XmlReader m_reader;
    SingleMediaFileLinkData m_link;
    QList<SingleMediaFileLinkData> m_links;
};

} // namespace Web
} // namespace Tovrin

Q_DECLARE_METATYPE(Tovrin::Web::UserProjectsResponse)
Q_DECLARE_METATYPE(Tovrin::Web::ProjectReadyToDownloadResponse)
Q_DECLARE_METATYPE(Tovrin::Web::UploadProjectsStatusResponse)
Q_DECLARE_METATYPE(Tovrin::Web::SingleProjectFileDownloadResponse)
