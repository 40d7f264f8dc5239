#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace Ulx {
namespace Communication {

class CAbstractSystemSession;
class CSessionManager;
class CSystemListMaintainer;

// The state behind CSessionManager: the reachable-systems list and the current session.
// A finished session is released with deleteLater; until the event loop has deleted it, it is
// remembered here, so that a shutdown before that turn still deletes it while everything it
// points to exists.
class CSessionManagerPrivate : public QObject
{
    Q_OBJECT

public:
    explicit CSessionManagerPrivate(CSessionManager* manager);
    ~CSessionManagerPrivate() override;

    CSystemListMaintainer* systemListMaintainer() const { return m_systemListMaintainer; }
    CAbstractSystemSession* session() const { return m_session; }

    void createSession(const QString& systemName);

    // An adapter chosen while a session runs is taken up once the session has ended: its
    // network is left through the adapter that joined it.
    void deferWifiInterface(const QString& interfaceName);

public slots:
    void onSessionStateChanged();

private:
    void retireSession();

    CSessionManager* q = nullptr;                            // not owned
    CSystemListMaintainer* m_systemListMaintainer = nullptr; // owned
    CAbstractSystemSession* m_session = nullptr;             // owned
    QList<QPointer<CAbstractSystemSession>> m_retiredSessions;
    QString m_deferredWifiInterface;
    bool m_wifiInterfaceDeferred = false;
};

} // namespace Communication
} // namespace Ulx
