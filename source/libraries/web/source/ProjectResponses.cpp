#include "ProjectResponses.h"

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

void UserProjectsResponse::fromJson(const QString& text)
{
    CLogger::logMessage(CLogger::LogLevelInfo, QStringLiteral("TovrinWeb"), QStringLiteral("CUserProjectsResponse::fromJSON"));
    // Only an object with a list of project objects is a list, an empty one or none at all
    // included. Anything else (a portal's login page, a cut-off body, a list of something else)
    // says nothing about the projects and must not be taken for "no projects".
    const auto unreadable = [this](const QString& why) {
        if (!why.isEmpty())
            CLogger::logMessage(CLogger::LogLevelError, QStringLiteral("TovrinWeb"), why);
        if (error() == ErrorNone)
            setErrorValue(ErrorInvalidReply);
        setRequestSucceeded(false);
    };
    QJsonObject document;
    if (!ResponseReading::readJsonObject(text, QStringLiteral("UserProjectsResponse"), document)) {
        unreadable(QString());
        return;
    }
    const QJsonValue list = document.value(QStringLiteral("projects"));
    if (list.isUndefined())
        return; // no projects
    if (!list.isArray()) {
        unreadable(QStringLiteral("UserProjectsResponse holds no list of projects."));
        return;
    }
    const QJsonArray projects = list.toArray();
    QList<UserProjectEntry> entries;
    entries.reserve(projects.size());
    for (const QJsonValue& value : projects) {
        if (!value.isObject()) {
            unreadable(QStringLiteral("UserProjectsResponse lists a project that is not an object."));
            return;
        }
        const QJsonObject object = value.toObject();
        UserProjectEntry entry;
        entry.projectName = object.value(QStringLiteral("projectName")).toString();
        entry.projectImportDate = QDateTime::fromString(object.value(QStringLiteral("projectImportDate")).toString(), Qt::ISODate);
        entry.projectId = object.value(QStringLiteral("projectId")).toString();
        entry.webProjectId = object.value(QStringLiteral("webProjectId")).toString();
        entry.projectFolderName = object.value(QStringLiteral("projectFolderName")).toString();
        entry.diskUsage = ResponseReading::toInt64(object.value(QStringLiteral("diskUsage")), 0);
        entries.append(entry);
    }
    m->projects = entries;
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

void SingleProjectFileDownloadResponse::fromXml(const QString& text)
{
    SingleMediaFileLinkData link;
    // A list cut short or no list at all (a portal's page) is not the project's media: it is
    // unreadable, never taken for fewer or no files.
    const bool whole = ResponseReading::readXml(
        text,
        [&link](const QStringRef& name, const QString& value) {
            if (name == QLatin1String("url"))
                link.url = value;
            else if (name == QLatin1String("type"))
                link.type = value;
            else if (name == QLatin1String("name"))
                link.name = value;
        },
        {QStringLiteral("url"), QStringLiteral("type"), QStringLiteral("name")},
        [this, &link](const QStringRef& name) {
            if (name == QLatin1String("media-item")) {
                m->links.append(link);
                // An item without its own address or name must not fetch or overwrite the
                // file of the item before; the folder carries over as the service sends it.
                link.url.clear();
                link.name.clear();
            }
        });
    if (!whole)
        setUnreadable();
}

} // namespace Web
} // namespace Tovrin
