#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

namespace Ulx {
namespace Communication {

class CAbstractNetworkManager;

// The list of reachable inspection systems: after every Wi-Fi scan it keeps the network names
// that a system family recognises, leaves out names hidden for a while (a system that was just
// shut down from the application), sorts them without letter case and signals a real change.
// Owned by the session manager; GUI thread.
class CSystemListMaintainer : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultHideIntervalMs = 60000;

    explicit CSystemListMaintainer(CAbstractNetworkManager* networkManager);
    ~CSystemListMaintainer() override;

    const QStringList& availableSystems() const { return m_availableNames; }

    // Hides the name for one hide interval; hiding it again extends that until both end.
    void hideSystem(const QString& networkName);

    // How long hideSystem() hides a name; applies to later calls.
    void setHideInterval(int milliseconds) { m_hideIntervalMs = milliseconds; }
    int hideInterval() const { return m_hideIntervalMs; }

signals:
    void availableSystemsChanged();

public slots:
    void onNetworkScanEnded();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void rebuild();

    CAbstractNetworkManager* m_networkManager = nullptr; // not owned
    QStringList m_availableNames;
    QStringList m_hiddenNames;
    QList<int> m_hideTimers; // entry i ends the hiding of m_hiddenNames[i]
    int m_hideIntervalMs = DefaultHideIntervalMs;
};

} // namespace Communication
} // namespace Ulx
