#include "web/WebProjectService.h"

#include "surveyprojects/CProjectItemRolesModel.h"
#include "web/CWebProjectListModel.h"

#include "TovrinWebApi.h"

#include <QSet>
#include <QTimerEvent>

using Tovrin::Web::ProjectInfo;
using Tovrin::Web::TovrinWebApi;
using Tovrin::Web::UploadStatusInfo;

namespace {
// Status values of an upload on the web service that end the wait for its import.
constexpr int UploadStatusImported = 2;
constexpr int UploadStatusGone = 3;
} // namespace

WebProjectService::WebProjectService(TovrinWebApi* webApi, QObject* parent)
    : QObject(parent)
    , m_webApi(webApi)
    , m_model(new CWebProjectListModel(nullptr))
{
    if (!m_webApi)
        return;
    connect(m_webApi, &TovrinWebApi::projectInfoReceived, this, &WebProjectService::onProjectInfoReceived);
    connect(m_webApi, &TovrinWebApi::uploadStatusInfoReceived, this, &WebProjectService::onUploadStatusInfoReceived);
    connect(m_webApi, &TovrinWebApi::queryRemoteProjectsError, this, &WebProjectService::onListQueryFailed);
    connect(m_webApi, &TovrinWebApi::uploadStatusQueryFailed, this, &WebProjectService::onUploadStatusQueryFailed);
    connect(m_webApi, &TovrinWebApi::loginStatusChanged, this, &WebProjectService::onLoginStatusChanged);
}

WebProjectService::~WebProjectService()
{
    delete m_model;
}

void WebProjectService::setTimerIntervals(int queryIntervalMs, int uploadStatusIntervalMs)
{
    m_queryIntervalMs = qMax(1, queryIntervalMs);
    m_uploadStatusIntervalMs = qMax(1, uploadStatusIntervalMs);
}

void WebProjectService::queryRemoteProjects()
{
    if (!m_uploadBackup.isEmpty())
        queryUploadStatuses();
    if (m_staleListAnswer) {
        // The query on its way was sent with a login that has ended: this start asks anew.
        m_listQueryWanted = true;
    } else {
        // A query still on its way from before a stop answers this start.
        m_dropListAnswer = false;
    }
    sendListQuery();
    m_queryTimer.start(m_queryIntervalMs, this);
}

void WebProjectService::stopRemoteProjectsQuerying()
{
    m_queryTimer.stop();
    m_dropListAnswer = m_listQueryInFlight;
    m_listQueryWanted = false;
    m_model->setProjectList({});
}

void WebProjectService::onLoginStatusChanged()
{
    if (m_webApi->loginStatus() != TovrinWebApi::LoginStatusLoggedOut)
        return;
    // Polls without a login (an expired one, say) could only be refused; the screen starts
    // querying again after the next login. The list stays until then, and an answer still on
    // its way belongs to the login that ended.
    m_queryTimer.stop();
    m_staleListAnswer = m_listQueryInFlight;
    m_listQueryWanted = false;
}

void WebProjectService::sendListQuery()
{
    if (!m_webApi || m_listQueryInFlight)
        return;
    m_listQueryInFlight = true;
    m_webApi->queryRemoteProjects();
}

bool WebProjectService::takeDroppedListAnswer()
{
    m_listQueryInFlight = false;
    if (m_staleListAnswer) {
        m_staleListAnswer = false;
        m_dropListAnswer = false;
        if (m_listQueryWanted) {
            m_listQueryWanted = false;
            sendListQuery();
        }
        return true;
    }
    if (!m_dropListAnswer)
        return false;
    m_dropListAnswer = false;
    return true;
}

void WebProjectService::onListQueryFailed(Tovrin::Web::Error error)
{
    if (!takeDroppedListAnswer())
        emit queryRemoteProjectsError(error);
}

void WebProjectService::addUploadedProject(const ProjectInfo& project)
{
    m_uploadBackup.insert(project.projectId(), project);
    queryUploadStatuses();
    updateProjectEntry(project);
}

void WebProjectService::resetSessionBackup()
{
    m_uploadBackup.clear();
    m_uploadStatusTimer.stop();
    // A query still on its way speaks of the uploads of the login that ended; the uploads of
    // the next login are asked for once it is answered.
    m_staleStatusAnswer = m_statusQueryInFlight;
    m_statusQueryWanted = false;
}

bool WebProjectService::takeStaleStatusAnswer()
{
    m_statusQueryInFlight = false;
    if (!m_staleStatusAnswer)
        return false;
    m_staleStatusAnswer = false;
    if (m_statusQueryWanted) {
        m_statusQueryWanted = false;
        queryUploadStatuses();
    }
    return true;
}

void WebProjectService::onProjectInfoReceived(QList<ProjectInfo> projectInfoList)
{
    // After a stop the list is empty on purpose; a late answer must not fill it again.
    if (takeDroppedListAnswer())
        return;
    if (m_model->rowCount() == 0) {
        m_model->setProjectList(projectInfoList);
        for (auto it = m_uploadBackup.begin(); it != m_uploadBackup.end();) {
            if (it->isImportedByWeb()) {
                it = m_uploadBackup.erase(it);
            } else {
                updateProjectEntry(*it);
                ++it;
            }
        }
        emit webProjectListInitilized();
        return;
    }

    const QSet<ProjectInfo> shown = m_model->projectInfoSet();
    QSet<ProjectInfo> received;
    received.reserve(projectInfoList.size());
    for (const ProjectInfo& project : qAsConst(projectInfoList))
        received.insert(project);
    const QSet<ProjectInfo> added = QSet<ProjectInfo>(received).subtract(shown);
    const QSet<ProjectInfo> removed = QSet<ProjectInfo>(shown).subtract(received);

    for (const ProjectInfo& project : removed) {
        // A pending upload stays shown although the list does not carry it in that state yet.
        if (project.isImportedByWeb() || m_uploadBackup.isEmpty()) {
            const int row = m_model->rowOfProjectId(project.projectId());
            if (row >= 0)
                m_model->removeRows(row, 1);
        }
    }
    for (const ProjectInfo& project : added) {
        const auto backup = m_uploadBackup.find(project.projectId());
        if (backup == m_uploadBackup.end()) {
            m_model->insertProject(project, 0);
        } else if (backup->isImportedByWeb()) {
            const QModelIndex index = m_model->indexOfProjectId(project.projectId());
            if (index.isValid()) {
                m_model->setData(index, true, CProjectItemRolesModel::RoleIsImportedByWeb);
                m_model->setData(index, QVariant::fromValue<qulonglong>(project.diskUsage()),
                                 CProjectItemRolesModel::RoleProjectSize);
            }
            m_uploadBackup.erase(backup);
        }
    }
}

void WebProjectService::onUploadStatusInfoReceived(QList<UploadStatusInfo> uploadsStatusInfoList)
{
    // Even an empty answer of an earlier login would end the following of this login's uploads.
    if (takeStaleStatusAnswer())
        return;
    // An upload added while the query was on its way is not in this answer: ask again for it.
    const bool askAgain = m_statusQueryWanted;
    m_statusQueryWanted = false;
    if (uploadsStatusInfoList.isEmpty()) {
        m_uploadStatusTimer.stop();
        m_uploadBackup.clear();
        return;
    }
    bool pending = false;
    for (const UploadStatusInfo& info : qAsConst(uploadsStatusInfoList)) {
        // An upload that is not followed (any more) gets no entry: an "imported" one would keep
        // its project out of the list.
        if (!m_uploadBackup.contains(info.projectId))
            continue;
        if (info.status == UploadStatusImported) {
            m_uploadBackup[info.projectId].setIsImportedByWeb(true);
        } else if (info.status == UploadStatusGone) {
            if (m_model->rowCount() > 0) {
                const int row = m_model->rowOfProjectId(info.projectId);
                if (row >= 0)
                    m_model->removeRows(row, 1);
            }
            m_uploadBackup.remove(info.projectId);
        } else {
            pending = true;
        }
    }
    if (pending) {
        if (!m_uploadStatusTimer.isActive())
            m_uploadStatusTimer.start(m_uploadStatusIntervalMs, this);
    } else {
        m_uploadStatusTimer.stop();
    }
    if (askAgain)
        queryUploadStatuses();
}

void WebProjectService::onUploadStatusQueryFailed()
{
    if (takeStaleStatusAnswer())
        return;
    m_statusQueryWanted = false;
    // Nothing was learnt: keep following the uploads and ask again on the next tick.
    if (!m_uploadStatusTimer.isActive())
        m_uploadStatusTimer.start(m_uploadStatusIntervalMs, this);
}

void WebProjectService::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_queryTimer.timerId()) {
        sendListQuery();
    } else if (event->timerId() == m_uploadStatusTimer.timerId()) {
        // The answer on its way is the one this tick would ask for.
        if (!m_statusQueryInFlight)
            queryUploadStatuses();
    } else {
        QObject::timerEvent(event);
    }
}

void WebProjectService::queryUploadStatuses()
{
    QList<QString> ids;
    for (auto it = m_uploadBackup.cbegin(); it != m_uploadBackup.cend(); ++it) {
        if (!it->isImportedByWeb())
            ids.append(it.key());
    }
    if (ids.isEmpty() || !m_webApi) {
        // Nothing left to follow: a tick would only find the same.
        m_uploadStatusTimer.stop();
        return;
    }
    if (m_statusQueryInFlight) {
        m_statusQueryWanted = true;
        return;
    }
    m_statusQueryInFlight = true;
    m_webApi->queryUploadProjectStatus(ids);
}

void WebProjectService::updateProjectEntry(const ProjectInfo& project)
{
    const QModelIndex index = m_model->indexOfProjectId(project.projectId());
    if (index.isValid())
        m_model->setData(index, false, CProjectItemRolesModel::RoleIsImportedByWeb);
    else
        m_model->insertProject(project, 0);
}
