#pragma once

#include "ProjectInfo.h"
#include "TovrinWebTypes.h"
#include "UploadStatusInfo.h"

#include <QBasicTimer>
#include <QList>
#include <QMap>
#include <QObject>

namespace Tovrin {
namespace Web {
class TovrinWebApi;
}
} // namespace Tovrin

class CWebProjectListModel;

// Keeps the web project list up to date while the web main screen is open, and keeps the
// projects uploaded during this login visible until the web service has imported them.
// The context object creates one at start; the facade is not owned; the list model is created
// here without a parent and deleted by the destructor. GUI thread only.
class WebProjectService : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultQueryIntervalMs = 20000;
    static constexpr int DefaultUploadStatusIntervalMs = 10000;

    explicit WebProjectService(Tovrin::Web::TovrinWebApi* webApi, QObject* parent = nullptr);
    ~WebProjectService() override;

    CWebProjectListModel* webProjectListModel() const { return m_model; }

    // Asks for the list now and every query interval from now on, until querying stops or the
    // login ends.
    Q_INVOKABLE void queryRemoteProjects();
    // Stops the periodic list query and empties the list; the next list starts it afresh.
    void stopRemoteProjectsQuerying();
    // Keeps a finished upload shown as being imported until the service reports it imported.
    void addUploadedProject(const Tovrin::Web::ProjectInfo& project);

    // Lets tests run the two periods in milliseconds rather than seconds.
    void setTimerIntervals(int queryIntervalMs, int uploadStatusIntervalMs);
    bool isQueryTimerActive() const { return m_queryTimer.isActive(); }
    bool isUploadStatusTimerActive() const { return m_uploadStatusTimer.isActive(); }
    QMap<QString, Tovrin::Web::ProjectInfo> uploadBackup() const { return m_uploadBackup; }

public slots:
    void resetSessionBackup();
    void onProjectInfoReceived(QList<Tovrin::Web::ProjectInfo> projectInfoList);
    void onUploadStatusInfoReceived(QList<Tovrin::Web::UploadStatusInfo> uploadsStatusInfoList);

signals:
    void queryRemoteProjectsError(Tovrin::Web::Error error);
    void webProjectListInitilized();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void onLoginStatusChanged();
    void sendListQuery();
    void onListQueryFailed(Tovrin::Web::Error error);
    void onUploadStatusQueryFailed();
    bool takeDroppedListAnswer();
    // Ends the status query on the wire; true when its answer belongs to an earlier login.
    bool takeStaleStatusAnswer();
    void queryUploadStatuses();
    void updateProjectEntry(const Tovrin::Web::ProjectInfo& project);

    Tovrin::Web::TovrinWebApi* m_webApi = nullptr;
    CWebProjectListModel* m_model = nullptr;
    // Uploads of this login by project id; the flag says whether the service has imported it.
    QMap<QString, Tovrin::Web::ProjectInfo> m_uploadBackup;
    QBasicTimer m_queryTimer;
    QBasicTimer m_uploadStatusTimer;
    int m_queryIntervalMs = DefaultQueryIntervalMs;
    int m_uploadStatusIntervalMs = DefaultUploadStatusIntervalMs;
    // One query of each kind on the wire at a time: a slow service must not collect a queue of
    // polls whose answers then arrive in any order.
    bool m_listQueryInFlight = false;
    // The answer still on its way when querying stopped belongs to no one.
    bool m_dropListAnswer = false;
    // The answer still on its way when the login ended cannot answer a start of the next login,
    // which asks again once it is in.
    bool m_staleListAnswer = false;
    bool m_listQueryWanted = false;
    bool m_statusQueryInFlight = false;
    bool m_statusQueryWanted = false;
    bool m_staleStatusAnswer = false;
};
