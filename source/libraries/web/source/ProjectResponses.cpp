#include "ProjectResponses.h"

#include "StorageResponses.h"

#include "CLogger.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using Tovrin::Logging::CLogger;

namespace Tovrin {
namespace Web {

UserProjectsResponse::UserProjectsResponse()
    : m(new Data)
{
}

UserProjectListReader::UserProjectListReader()
    : m_reader(QStringLiteral("projects"), [this](const QJsonValue& value) { return take(value); })
{
}

bool UserProjectListReader::take(const QJsonValue& value)
{
    if (!value.isObject()) {
        m_problem = QStringLiteral("UserProjectsResponse lists a project that is not an object.");
        return false;
    }
    // No account holds more projects than a bucket of the largest project holds objects.
    if (m_projects.size() >= BucketListingReader::MaxEntries) {
        m_problem = QStringLiteral("UserProjectsResponse lists more projects than any account holds.");
        return false;
    }
    const QJsonObject object = value.toObject();
    UserProjectEntry entry;
    entry.projectName = object.value(QStringLiteral("projectName")).toString();
    entry.projectImportDate = QDateTime::fromString(object.value(QStringLiteral("projectImportDate")).toString(), Qt::ISODate);
    entry.projectId = object.value(QStringLiteral("projectId")).toString();
    entry.webProjectId = object.value(QStringLiteral("webProjectId")).toString();
    entry.projectFolderName = object.value(QStringLiteral("projectFolderName")).toString();
    entry.diskUsage = ResponseReading::toInt64(object.value(QStringLiteral("diskUsage")), 0);
    m_projects.append(entry);
    return true;
}

void UserProjectListReader::finishInto(UserProjectsResponse& response)
{
    // Only an object with a list of project objects is a list, an empty one or none at all
    // included. Anything else (a portal's login page, a cut-off body, a list of something else)
    // says nothing about the projects and must not be taken for "no projects".
    QJsonObject rest;
    bool whole = m_reader.finish(rest);
    if (!whole && m_problem.isEmpty())
        m_problem = QStringLiteral("UserProjectsResponse is null.");
    const QJsonValue list = rest.value(QStringLiteral("projects"));
    if (whole && !list.isUndefined() && !list.isArray()) {
        whole = false;
        m_problem = QStringLiteral("UserProjectsResponse holds no list of projects.");
    }
    // A list the reader did not see as it came (its key written with escapes) is in the rest.
    const QJsonArray unseen = list.toArray();
    for (int i = 0; whole && i < unseen.size(); ++i)
        whole = take(unseen.at(i));
    if (!whole) {
        CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"), m_problem);
        m_projects.clear();
        response.setUnreadable();
        return;
    }
    response.m->projects = std::move(m_projects);
    m_projects.clear();
}

ProjectReadyToDownloadResponse::ProjectReadyToDownloadResponse()
    : m(new Data)
{
}

void ProjectReadyToDownloadResponse::fromJson(const QString& text)
{
    QJsonObject object;
    if (!ResponseReading::readJsonObject(text, QStringLiteral("ProjectReadyToDownloadResponse"), object))
        return;
    m->projectId = object.value(QStringLiteral("projectId")).toString();
    m->projectName = object.value(QStringLiteral("projectName")).toString();
    m->isCulvertixProject = ResponseReading::toInt64(object.value(QStringLiteral("projectType")), 0) == 1;
}

UploadProjectsStatusResponse::UploadProjectsStatusResponse()
    : m(new Data)
{
}

void UploadProjectsStatusResponse::fromJson(const QString& text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isArray()) {
        // Unreadable statuses are not "no statuses": the caller must not stop following uploads.
        if (error() == ErrorNone)
            setErrorValue(ErrorInvalidReply);
        return;
    }
    const QJsonArray array = document.array();
    for (const QJsonValue& value : array) {
        const QJsonObject object = value.toObject();
        UploadStatusInfo info;
        info.projectId = object.value(QStringLiteral("projectId")).toString();
        info.status = ResponseReading::toInt32(object.value(QStringLiteral("status")), 0);
        m->statuses.append(info);
    }
}

SingleProjectFileDownloadResponse::SingleProjectFileDownloadResponse()
    : m(new Data)
{
}

MediaLinkListReader::MediaLinkListReader()
    : m_reader(
        {QStringLiteral("url"), QStringLiteral("type"), QStringLiteral("name")},
        [this](const QStringRef& name, const QString& value) {
            if (name == QLatin1String("url"))
                m_link.url = value;
            else if (name == QLatin1String("type"))
                m_link.type = value;
            else if (name == QLatin1String("name"))
                m_link.name = value;
        },
        [this](const QStringRef& name) {
            if (name != QLatin1String("media-item"))
                return;
            // A project's media are among the objects of its bucket: a list longer than the
            // largest listing is made up.
            if (m_links.size() >= BucketListingReader::MaxEntries) {
                m_reader.refuse();
                return;
            }
            m_links.append(m_link);
            // An item without its own address or name must not fetch or overwrite the file of
            // the item before; the folder carries over as the service sends it.
            m_link.url.clear();
            m_link.name.clear();
        })
{
}

void MediaLinkListReader::addData(const QByteArray& piece)
{
    m_reader.addData(piece);
}

void MediaLinkListReader::finishInto(SingleProjectFileDownloadResponse& response)
{
    // A list cut short or no list at all (a portal's page) is not the project's media: it is
    // unreadable, never taken for fewer or no files.
    // What it held so far depends on where its pieces were cut: none of it is handed over.
    const bool whole = m_reader.finish();
    if (whole)
        response.m->links = std::move(m_links);
    m_links.clear();
    if (!whole)
        response.setUnreadable();
}

} // namespace Web
} // namespace Tovrin
